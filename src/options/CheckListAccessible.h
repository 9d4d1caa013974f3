#pragma once
// What screen readers see of the section check list: the list, and one child per row (child id =
// row + 1) in the role of a check box, named after the section and its size, with its check state,
// the selection and the keyboard focus. A row's default action toggles it as the space bar does.
// What the list as a whole says (its name from the label before it, its place, its parent) comes
// from the system's own object for the window.
//
// The accessibility libraries are loaded from the system folder when a screen reader first asks, so
// that a program that nobody reads aloud never loads them.

#include <windows.h>
#include <oleacc.h>

#include "framework/ComPtr.h"

class SectionCheckList;

class CheckListAccessible final : public IAccessible {
public:
    // Nothing when the system has no accessibility libraries.
    static ComPtr<CheckListAccessible> Make(SectionCheckList* list);
    // The list is gone: every later question is answered with "disconnected".
    void Detach() { list_ = nullptr; }
    // The answer to WM_GETOBJECT for the list's client area; 0 when it cannot be given.
    LRESULT Answer(WPARAM wParam);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: not offered; clients use the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    CheckListAccessible(SectionCheckList* list, ComPtr<IAccessible> system);
    ~CheckListAccessible() = default;
    // The row a child id names, kSelf for the list itself, kInvalid for anything else.
    static constexpr int kSelf = -1;
    static constexpr int kInvalid = -2;
    int RowOf(const VARIANT& child) const;

    LONG references_ = 1;
    SectionCheckList* list_;
    ComPtr<IAccessible> system_;  // the system's object for the list window's client area
};
