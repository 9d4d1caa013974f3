#pragma once
// Modal and modeless dialogs from templates. The static dialog procedure keeps `this` in DWLP_USER
// from WM_INITDIALOG to WM_NCDESTROY and calls the virtual handlers; no exception leaves it.

#include <windows.h>
#include <string>

// Owner -> any dialog: cancel as your Cancel button would. WM_APP keeps it out of the range that
// dialogs and their controls use.
constexpr UINT WM_CANCEL_REQUEST = WM_APP + 1;

class Dialog {
public:
    explicit Dialog(int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally on the calling thread; returns the EndDialog result (-1 on failure).
    // Without an owner, the application's main window owns it (DefaultOwnerWindow).
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modeless; the caller owns it and destroys it with Destroy(). Owned as above.
    bool Create(HWND owner = nullptr);
    void Destroy();

    HWND Hwnd() const { return hwnd_; }
    HWND Item(int id) const;
    void SetItemText(int id, const std::string& text);
    std::string GetItemText(int id) const;
    void SetTitle(const std::string& text);
    void ShowItem(int id, bool show);
    void CenterWindow();
    // Ends a modal dialog with the result, or destroys a modeless one.
    void EndDialog(INT_PTR result);

protected:
    // Return true to let the system give the focus to the first tab stop.
    virtual bool OnInitDialog() { return true; }
    // Default: IDOK calls OnOK, IDCANCEL calls OnCancel.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Any other message. Return true when handled; `result` is what the message returns.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }
    // WM_CANCEL_REQUEST: the owner asks to cancel, as the user would with this dialog's Cancel button.
    // Default: press Cancel when the dialog has one; a dialog without one stays as it is.
    virtual void OnCancelRequest();
    virtual void OnDestroy() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
};

// Text of any window.
std::string WindowText(HWND hwnd);
void CenterOnScreen(HWND hwnd);
