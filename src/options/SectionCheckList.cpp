#include "options/SectionCheckList.h"

#include <commctrl.h>

#include <string>

#include "framework/App.h"
#include "framework/WideText.h"
#include "options/CheckListLayout.h"
#include "resource.h"
#include "settings/SetupMessages.h"

namespace {
// Before version 4 the flat boxes are only used when the 3-D controls library is there to match them.
bool UseFlatStrip(unsigned osMajorVersion)
{
    if (osMajorVersion >= 4) return true;
    UniqueLibrary ctl3d(::LoadLibraryW(L"CTL3D32.DLL"));
    return ctl3d && ::GetProcAddress(ctl3d.get(), MAKEINTRESOURCEA(21)) != nullptr;
}

constexpr UINT_PTR kSubclassId = 1;
}  // namespace

SectionCheckList::SectionCheckList(unsigned osMajorVersion)
{
    const int id = UseFlatStrip(osMajorVersion) ? IDB_CHECKS_FLAT : IDB_CHECKS_CLASSIC;
    strip_.reset(::LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    BITMAP info{};
    if (strip_ && ::GetObjectW(strip_.get(), sizeof(info), &info)) {
        checkBoxWidth_ = info.bmWidth / 3;
        cellHeight_ = info.bmHeight;
    }
}

SectionCheckList::~SectionCheckList()
{
    if (hwnd_) {
        ::RemoveWindowSubclass(hwnd_, &SectionCheckList::SubclassProc, kSubclassId);
        ::DestroyWindow(hwnd_);
    }
}

bool SectionCheckList::Create(HFONT rowFont, DWORD style, const RECT& rect, HWND parent, int id)
{
    rowFont_ = rowFont;
    lastClickedRow_ = 0;
    style |= WS_CHILD | WS_VISIBLE | LBS_USETABSTOPS | LBS_OWNERDRAWFIXED;
    hwnd_ = ::CreateWindowExW(0, L"LISTBOX", L"", style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ResourceInstance(), nullptr);
    if (!hwnd_) return false;
    if (!::SetWindowSubclass(hwnd_, &SectionCheckList::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        return false;
    }
    // The row height is measured in the list's own window font (the system font: the list is never
    // given rowFont as its window font). WM_MEASUREITEM went to the parent during creation, before
    // this object could answer it, so the height is set here.
    int textHeight = 0;
    {
        WindowDc dc(hwnd_);
        if (dc) {
            HFONT windowFont = reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0));
            SelectedObject font(dc.get(), windowFont);
            TEXTMETRICW metrics{};
            if (::GetTextMetricsW(dc.get(), &metrics)) textHeight = metrics.tmHeight;
        }
    }
    ::SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, MAKELPARAM(CheckListRowHeight(cellHeight_, textHeight), 0));
    return true;
}

int SectionCheckList::AddRow(const std::string& text)
{
    const LRESULT row = ::SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
    // The list is not sorted: a new row is always the last one.
    if (row >= 0 && static_cast<size_t>(row) == rows_.size()) rows_.push_back(text);
    return static_cast<int>(row);
}

int SectionCheckList::RowCount() const
{
    const LRESULT n = ::SendMessageW(hwnd_, LB_GETCOUNT, 0, 0);
    return n == LB_ERR ? 0 : static_cast<int>(n);
}

int SectionCheckList::RowHeight() const
{
    return static_cast<int>(::SendMessageW(hwnd_, LB_GETITEMHEIGHT, 0, 0));
}

// The check state lives in the row's item data, which the has-strings list leaves free.
void SectionCheckList::SetCheck(int row, int state)
{
    if (row < 0 || row >= RowCount()) return;
    ::SendMessageW(hwnd_, LB_SETITEMDATA, row, state);
    InvalidateCheckArea(row);
}

int SectionCheckList::GetCheck(int row) const
{
    if (row < 0 || row >= RowCount()) return 0;
    const LRESULT state = ::SendMessageW(hwnd_, LB_GETITEMDATA, row, 0);
    return state == LB_ERR ? 0 : static_cast<int>(state);
}

void SectionCheckList::InvalidateCheckArea(int row)
{
    RECT rc;
    if (::SendMessageW(hwnd_, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc)) == LB_ERR) return;
    rc.right = rc.left + CheckAreaWidth(checkBoxWidth_);
    ::InvalidateRect(hwnd_, &rc, FALSE);
}

void SectionCheckList::DrawCheckBox(HDC dc, const RECT& row, int state, COLORREF background) const
{
    RECT area = row;
    area.right = area.left + CheckAreaWidth(checkBoxWidth_);
    UniqueGdiObject brush(::CreateSolidBrush(background));
    ::FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
    if (!strip_) return;
    UniqueDc memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    SelectedObject bitmap(memory.get(), strip_.get());
    const int cell = (state < 0 || state > 2) ? 0 : state;
    ::BitBlt(dc, row.left + 1, row.top + CheckImageTop(row.bottom - row.top, cellHeight_), checkBoxWidth_, cellHeight_,
             memory.get(), cell * checkBoxWidth_, 0, SRCCOPY);
}

bool SectionCheckList::DrawItem(const DRAWITEMSTRUCT& item)
{
    if (!hwnd_ || item.hwndItem != hwnd_ || item.CtlType != ODT_LISTBOX) return false;
    if (item.itemID == static_cast<UINT>(-1)) return true;  // an empty list asks for its focus rectangle only
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const COLORREF background = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    HDC dc = item.hDC;

    if (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
        DrawCheckBox(dc, item.rcItem, GetCheck(static_cast<int>(item.itemID)), background);
    }

    const RowTextParts parts = SplitRowText(item.itemID < rows_.size() ? rows_[item.itemID] : std::string());

    RECT textArea = item.rcItem;
    textArea.left += CheckAreaWidth(checkBoxWidth_);
    SelectedObject font(dc, rowFont_);
    UniqueGdiObject brush(::CreateSolidBrush(background));
    ::FillRect(dc, &textArea, static_cast<HBRUSH>(brush.get()));
    ::FrameRect(dc, &textArea, static_cast<HBRUSH>(brush.get()));

    const COLORREF oldBack = ::SetBkColor(dc, background);
    const COLORREF oldText = ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring name = Wide(parts.name);
    ::TextOutW(dc, item.rcItem.left + kCheckListNameX, item.rcItem.top, name.c_str(), static_cast<int>(name.size()));
    if (!parts.size.empty()) {
        const std::wstring size = Wide(parts.size);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, size.c_str(), static_cast<int>(size.size()), &extent);
        ::TextOutW(dc, item.rcItem.right - extent.cx, item.rcItem.top, size.c_str(), static_cast<int>(size.size()));
    }
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
    return true;
}

void SectionCheckList::Notify(WORD code)
{
    const WPARAM wParam = MAKEWPARAM(::GetDlgCtrlID(hwnd_), code);
    ::SendMessageW(::GetParent(hwnd_), WM_CHECKLIST_NOTIFY, wParam, reinterpret_cast<LPARAM>(hwnd_));
}

void SectionCheckList::OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam)
{
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    CheckListGeometry geometry;
    geometry.topIndex = static_cast<int>(::SendMessageW(hwnd_, LB_GETTOPINDEX, 0, 0));
    geometry.rowCount = RowCount();
    geometry.rowHeight = RowHeight();
    geometry.clientWidth = client.right;
    geometry.clientHeight = client.bottom;
    geometry.checkBoxWidth = checkBoxWidth_;
    const CheckListHit hit =
        HitTestCheckList(geometry, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    if (hit.row >= 0) {
        lastClickedRow_ = hit.row;
        if (hit.part == CheckListPart::CheckBox) {
            ::SendMessageW(hwnd_, LB_SETITEMDATA, hit.row, ToggledCheck(GetCheck(hit.row)));
            InvalidateCheckArea(hit.row);
            // The parent hears of a toggle only after the row is selected and its new state stored.
            ::DefSubclassProc(hwnd_, message, wParam, lParam);
            Notify(kCheckListCodeCheckToggled);
            return;
        }
        // A text click is reported while the previous row is still selected.
        Notify(kCheckListCodeTextClicked);
    }
    ::DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT SectionCheckList::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnButtonDown(message, wParam, lParam);
            return 0;
        case WM_LBUTTONUP: {
            // The list box's own release handling is skipped, but the capture that its press handling
            // took must still end, or later mouse moves would drag the selection.
            if (::GetCapture() == hwnd_) ::ReleaseCapture();
            HWND owner = ::GetWindow(hwnd_, GW_OWNER);
            ::SetFocus(owner ? owner : ::GetParent(hwnd_));
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                const int row = static_cast<int>(::SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0));
                if (row >= 0 && row < RowCount()) {
                    ::SendMessageW(hwnd_, LB_SETITEMDATA, row, ToggledCheck(GetCheck(row)));
                    InvalidateCheckArea(row);
                    ::SendMessageW(::GetParent(hwnd_), WM_COMMAND,
                                   MAKEWPARAM(::GetDlgCtrlID(hwnd_), kCheckListCodeCheckToggled),
                                   reinterpret_cast<LPARAM>(hwnd_));
                }
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == ' ') return 0;  // not a search for a row starting with a blank
            break;
        case WM_NCDESTROY: {
            HWND hwnd = hwnd_;
            ::RemoveWindowSubclass(hwnd, &SectionCheckList::SubclassProc, kSubclassId);
            hwnd_ = nullptr;
            return ::DefSubclassProc(hwnd, message, wParam, lParam);
        }
        default:
            break;
    }
    return ::DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK SectionCheckList::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self)
{
    try {
        return reinterpret_cast<SectionCheckList*>(self)->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
}
