#include "settings/ExitConfirmation.h"

#include "framework/Dialog.h"
#include "resource.h"
#include "settings/SettingsWin.h"

std::atomic<bool> exitChosenByUser{false};

namespace {
class CExitConfirmDialog : public Dialog {
public:
    CExitConfirmDialog() : Dialog(IDD_EXITCONFIRM) {}

protected:
    bool OnInitDialog() override
    {
        // This dialog takes its texts from SETUP.TXT whether or not the settings are complete.
        SetTitle(setupSettings.GetText(TextId::ExitTitle));
        SetItemText(IDC_MESSAGE, setupSettings.GetText(TextId::ExitText));
        SetItemText(IDOK, setupSettings.GetText(TextId::ContinueButton));
        SetItemText(IDCANCEL, setupSettings.GetText(TextId::ExitButton));
        CenterWindow();
        ::SetFocus(Item(IDOK));
        return false;
    }
    void OnCancel() override
    {
        setupSettings.cancelRequested = true;
        exitChosenByUser = true;
        EndDialog(IDCANCEL);
    }
    // Closing the backdrop asks the question this dialog already asks; its Cancel button is Exit.
    void OnCancelRequest() override {}
};
}  // namespace

bool RunExitConfirmation(HWND owner)
{
    CExitConfirmDialog dialog;
    return dialog.DoModal(owner) == IDCANCEL && setupSettings.cancelRequested;
}
