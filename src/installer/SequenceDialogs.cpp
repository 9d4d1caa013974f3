#include "installer/SequenceDialogs.h"

#include "framework/SafeFormat.h"
#include "resource.h"
#include "settings/SettingsWin.h"

CMessageDialog::CMessageDialog(int templateId, TextId title, TextId text, bool formatWithProductName)
    : Dialog(templateId), title_(title), text_(text), formatWithProductName_(formatWithProductName)
{
}

bool CMessageDialog::OnInitDialog()
{
    if (setupSettings.settingsValid) {
        SetTitle(setupSettings.GetText(title_));
        const std::string text = setupSettings.GetText(text_);
        SetItemText(IDC_MESSAGE, formatWithProductName_
                                     ? FormatText(text, {setupSettings.GetSetupValue(SetupKey::MainProdName)})
                                     : text);
        SetItemText(IDOK, setupSettings.GetText(TextId::OkButton));
    }
    CenterWindow();
    return true;
}

CMessageDialog MakeWelcomeDialog()
{
    return CMessageDialog(IDD_WELCOME, TextId::WelcomeTitle, TextId::WelcomeText, true);
}

CMessageDialog MakeFinishedDialog()
{
    return CMessageDialog(IDD_FINISHED, TextId::FinishedTitle, TextId::FinishedText, true);
}

CMessageDialog MakeSetupFailedDialog()
{
    return CMessageDialog(IDD_SETUPFAILED, TextId::SetupFailedTitle, TextId::SetupFailedText, false);
}

CUpdatingDialog::CUpdatingDialog() : Dialog(IDD_UPDATING) {}

bool CUpdatingDialog::OnInitDialog()
{
    if (setupSettings.settingsValid) SetTitle(setupSettings.GetText(TextId::UpdatingTitle));
    ShowSection();
    CenterWindow();
    return true;
}

void CUpdatingDialog::ShowSection()
{
    if (!setupSettings.settingsValid) return;
    SetItemText(IDC_UPDATING_TEXT, FormatText(setupSettings.GetText(TextId::UpdatingText),
                                              {setupSettings.GetSectionValue(SectionKey::ProductName)}));
}
