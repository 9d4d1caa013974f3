#include "framework/Dialog.h"
#include "framework/WideText.h"

#include "framework/App.h"

namespace {
// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message)
{
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}
}  // namespace

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog()
{
    if (hwnd_ && !modal_) ::DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND owner)
{
    modal_ = true;
    if (!owner) owner = DefaultOwnerWindow();
    return ::DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), owner, &Dialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

bool Dialog::Create(HWND owner)
{
    modal_ = false;
    if (!owner) owner = DefaultOwnerWindow();
    HWND hwnd = ::CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), owner, &Dialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void Dialog::Destroy()
{
    if (hwnd_) ::DestroyWindow(hwnd_);
}

HWND Dialog::Item(int id) const
{
    return ::GetDlgItem(hwnd_, id);
}

void Dialog::SetItemText(int id, const std::string& text)
{
    ::SetDlgItemTextW(hwnd_, id, Wide(text).c_str());
}

std::string Dialog::GetItemText(int id) const
{
    return WindowText(Item(id));
}

void Dialog::SetTitle(const std::string& text)
{
    ::SetWindowTextW(hwnd_, Wide(text).c_str());
}

void Dialog::ShowItem(int id, bool show)
{
    ::ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE);
}

void Dialog::CenterWindow()
{
    CenterOnScreen(hwnd_);
}

void Dialog::EndDialog(INT_PTR result)
{
    if (!hwnd_) return;
    if (modal_)
        ::EndDialog(hwnd_, result);
    else
        ::DestroyWindow(hwnd_);
}

void Dialog::OnCancelRequest()
{
    HWND cancel = Item(IDCANCEL);
    if (cancel && ::IsWindowEnabled(cancel)) OnCommand(IDCANCEL, BN_CLICKED, cancel);
}

bool Dialog::OnCommand(int id, int code, HWND control)
{
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR handled = FALSE;
    try {
        handled = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        handled = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return handled;
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        case WM_CANCEL_REQUEST:
            OnCancelRequest();
            return TRUE;
        default:
            break;
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result)) return FALSE;
    if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

std::string WindowText(HWND hwnd)
{
    if (!hwnd) return {};
    int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int n = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return Narrow(text);
}

void CenterOnScreen(HWND hwnd)
{
    RECT rc;
    if (!hwnd || !::GetWindowRect(hwnd, &rc)) return;
    RECT work;
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int x = work.left + ((work.right - work.left) - w) / 2;
    int y = work.top + ((work.bottom - work.top) - h) / 2;
    ::SetWindowPos(hwnd, nullptr, x < work.left ? work.left : x, y < work.top ? work.top : y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
