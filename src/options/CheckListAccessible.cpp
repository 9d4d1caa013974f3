#include "options/CheckListAccessible.h"

#include <new>
#include <string>

#include "framework/Handles.h"
#include "framework/LibraryFunction.h"
#include "framework/WideText.h"
#include "options/CheckListLayout.h"
#include "options/SectionCheckList.h"

namespace {
// The two libraries are not among those the programs import: they are loaded by name, and the
// start-up restricts the search to the system folder.
struct AccessibilityLibraries {
    UniqueLibrary oleacc;
    UniqueLibrary oleaut;
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
    HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
    BSTR(WINAPI* sysAllocString)(const OLECHAR*) = nullptr;

    bool Loaded() const { return lresultFromObject && createStdAccessibleObject && sysAllocString; }
};

const AccessibilityLibraries& Libraries()
{
    static const AccessibilityLibraries libraries = [] {
        AccessibilityLibraries l;
        l.oleacc.reset(::LoadLibraryW(L"oleacc.dll"));
        l.oleaut.reset(::LoadLibraryW(L"oleaut32.dll"));
        l.lresultFromObject = LibraryFunction<decltype(l.lresultFromObject)>(l.oleacc.get(), "LresultFromObject");
        l.createStdAccessibleObject =
            LibraryFunction<decltype(l.createStdAccessibleObject)>(l.oleacc.get(), "CreateStdAccessibleObject");
        l.sysAllocString = LibraryFunction<decltype(l.sysAllocString)>(l.oleaut.get(), "SysAllocString");
        return l;
    }();
    return libraries;
}

HRESULT Text(const std::string& text, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = Libraries().sysAllocString(Wide(text).c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NoText(BSTR* out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
}

void SetChild(VARIANT* out, long child)
{
    out->vt = VT_I4;
    out->lVal = child;
}

void SetEmpty(VARIANT* out)
{
    out->vt = VT_EMPTY;
}

constexpr HRESULT kGone = CO_E_OBJNOTCONNECTED;
}  // namespace

ComPtr<CheckListAccessible> CheckListAccessible::Make(SectionCheckList* list)
{
    ComPtr<CheckListAccessible> made;
    if (!list || !list->Hwnd() || !Libraries().Loaded()) return made;
    ComPtr<IAccessible> system;
    if (FAILED(Libraries().createStdAccessibleObject(list->Hwnd(), OBJID_CLIENT, IID_IAccessible, system.put_void())))
        return made;
    *made.put() = new (std::nothrow) CheckListAccessible(list, std::move(system));
    return made;
}

CheckListAccessible::CheckListAccessible(SectionCheckList* list, ComPtr<IAccessible> system)
    : list_(list), system_(std::move(system))
{
}

LRESULT CheckListAccessible::Answer(WPARAM wParam)
{
    const LRESULT answer =
        Libraries().lresultFromObject(IID_IAccessible, wParam, static_cast<IUnknown*>(static_cast<IAccessible*>(this)));
    return answer > 0 ? answer : 0;
}

int CheckListAccessible::RowOf(const VARIANT& child) const
{
    if (child.vt != VT_I4) return kInvalid;
    if (child.lVal == CHILDID_SELF) return kSelf;
    if (!list_ || child.lVal < 1 || child.lVal > list_->RowCount()) return kInvalid;
    return static_cast<int>(child.lVal - 1);
}

HRESULT CheckListAccessible::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CheckListAccessible::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG CheckListAccessible::Release()
{
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT CheckListAccessible::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CheckListAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT CheckListAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT CheckListAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

HRESULT CheckListAccessible::get_accParent(IDispatch** parent)
{
    if (!list_) return kGone;
    return system_->get_accParent(parent);
}

HRESULT CheckListAccessible::get_accChildCount(long* count)
{
    if (!count) return E_POINTER;
    if (!list_) return kGone;
    *count = list_->RowCount();
    return S_OK;
}

HRESULT CheckListAccessible::get_accChild(VARIANT child, IDispatch** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!list_) return kGone;
    // The rows are simple elements of the list, asked about through the list's own object.
    return RowOf(child) >= 0 ? S_FALSE : E_INVALIDARG;
}

HRESULT CheckListAccessible::get_accName(VARIANT child, BSTR* name)
{
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kSelf) return system_->get_accName(child, name);
    if (row == kInvalid) return E_INVALIDARG;
    return Text(AccessibleRowName(list_->RowText(row)), name);
}

HRESULT CheckListAccessible::get_accValue(VARIANT child, BSTR* value)
{
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kSelf) return system_->get_accValue(child, value);
    return row == kInvalid ? E_INVALIDARG : NoText(value);
}

HRESULT CheckListAccessible::get_accDescription(VARIANT child, BSTR* description)
{
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kSelf) return system_->get_accDescription(child, description);
    return row == kInvalid ? E_INVALIDARG : NoText(description);
}

HRESULT CheckListAccessible::get_accRole(VARIANT child, VARIANT* role)
{
    if (!role) return E_POINTER;
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kInvalid) return E_INVALIDARG;
    SetChild(role, row == kSelf ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_CHECKBUTTON);
    return S_OK;
}

HRESULT CheckListAccessible::get_accState(VARIANT child, VARIANT* state)
{
    if (!state) return E_POINTER;
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kSelf) return system_->get_accState(child, state);
    if (row == kInvalid) return E_INVALIDARG;
    HWND hwnd = list_->Hwnd();
    long flags = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    const int check = list_->GetCheck(row);
    if (check == 1) flags |= STATE_SYSTEM_CHECKED;
    if (check == 2) flags |= STATE_SYSTEM_MIXED;
    if (::SendMessageW(hwnd, LB_GETSEL, row, 0) > 0) flags |= STATE_SYSTEM_SELECTED;
    if (::GetFocus() == hwnd && list_->CaretRow() == row) flags |= STATE_SYSTEM_FOCUSED;
    RECT item{};
    RECT client{};
    ::GetClientRect(hwnd, &client);
    if (::SendMessageW(hwnd, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)) == LB_ERR ||
        !::IntersectRect(&item, &item, &client))
        flags |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    SetChild(state, flags);
    return S_OK;
}

HRESULT CheckListAccessible::get_accHelp(VARIANT child, BSTR* help)
{
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kSelf) return system_->get_accHelp(child, help);
    return row == kInvalid ? E_INVALIDARG : NoText(help);
}

HRESULT CheckListAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic)
{
    if (!list_) return kGone;
    if (RowOf(child) == kSelf) return system_->get_accHelpTopic(file, child, topic);
    if (topic) *topic = 0;
    return NoText(file);
}

HRESULT CheckListAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut)
{
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kSelf) return system_->get_accKeyboardShortcut(child, shortcut);
    return row == kInvalid ? E_INVALIDARG : NoText(shortcut);
}

HRESULT CheckListAccessible::get_accFocus(VARIANT* focus)
{
    if (!focus) return E_POINTER;
    if (!list_) return kGone;
    if (::GetFocus() != list_->Hwnd()) {
        SetEmpty(focus);
        return S_FALSE;
    }
    const int caret = list_->CaretRow();
    SetChild(focus, caret >= 0 ? caret + 1 : CHILDID_SELF);
    return S_OK;
}

HRESULT CheckListAccessible::get_accSelection(VARIANT* selection)
{
    if (!selection) return E_POINTER;
    if (!list_) return kGone;
    const LRESULT selected = ::SendMessageW(list_->Hwnd(), LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        SetEmpty(selection);
        return S_FALSE;
    }
    SetChild(selection, static_cast<long>(selected) + 1);
    return S_OK;
}

HRESULT CheckListAccessible::get_accDefaultAction(VARIANT child, BSTR* action)
{
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kSelf) return system_->get_accDefaultAction(child, action);
    if (row == kInvalid) return E_INVALIDARG;
    return Text(list_->GetCheck(row) == 1 ? "Uncheck" : "Check", action);
}

HRESULT CheckListAccessible::accSelect(long flags, VARIANT child)
{
    if (!list_) return kGone;
    if (RowOf(child) == kSelf) return system_->accSelect(flags, child);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT CheckListAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child)
{
    if (!left || !top || !width || !height) return E_POINTER;
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kSelf) return system_->accLocation(left, top, width, height, child);
    if (row == kInvalid) return E_INVALIDARG;
    RECT item{};
    if (::SendMessageW(list_->Hwnd(), LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)) == LB_ERR) return E_FAIL;
    ::MapWindowPoints(list_->Hwnd(), nullptr, reinterpret_cast<POINT*>(&item), 2);
    *left = item.left;
    *top = item.top;
    *width = item.right - item.left;
    *height = item.bottom - item.top;
    return S_OK;
}

HRESULT CheckListAccessible::accNavigate(long direction, VARIANT start, VARIANT* end)
{
    if (!end) return E_POINTER;
    SetEmpty(end);
    if (!list_) return kGone;
    const int row = RowOf(start);
    const int rows = list_->RowCount();
    if (row == kInvalid) return E_INVALIDARG;
    int to = kInvalid;
    if (row == kSelf) {
        if (direction == NAVDIR_FIRSTCHILD)
            to = 0;
        else if (direction == NAVDIR_LASTCHILD)
            to = rows - 1;
        else
            return system_->accNavigate(direction, start, end);
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
        to = row + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
        to = row - 1;
    }
    if (to < 0 || to >= rows) return S_FALSE;
    SetChild(end, to + 1);
    return S_OK;
}

HRESULT CheckListAccessible::accHitTest(long x, long y, VARIANT* child)
{
    if (!child) return E_POINTER;
    SetEmpty(child);
    if (!list_) return kGone;
    HWND hwnd = list_->Hwnd();
    POINT point = {x, y};
    ::ScreenToClient(hwnd, &point);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    if (!::PtInRect(&client, point)) return system_->accHitTest(x, y, child);
    // The list's own answer says in its high word whether the point lies below the last row.
    const LRESULT hit = ::SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    const bool onRow = HIWORD(hit) == 0 && static_cast<int>(LOWORD(hit)) < list_->RowCount();
    SetChild(child, onRow ? static_cast<long>(LOWORD(hit)) + 1 : CHILDID_SELF);
    return S_OK;
}

HRESULT CheckListAccessible::accDoDefaultAction(VARIANT child)
{
    if (!list_) return kGone;
    const int row = RowOf(child);
    if (row == kSelf) return system_->accDoDefaultAction(child);
    if (row == kInvalid) return E_INVALIDARG;
    list_->ToggleFromUser(row);
    return S_OK;
}

HRESULT CheckListAccessible::put_accName(VARIANT, BSTR)
{
    return E_NOTIMPL;
}

HRESULT CheckListAccessible::put_accValue(VARIANT, BSTR)
{
    return E_NOTIMPL;
}
