#pragma once
// The install sequence's own dialogs: Welcome, Finished, Setup failed and Updating Files. They fill
// in their texts from SETUP.TXT only when the settings are complete; otherwise the template texts
// stay.

#include "framework/Dialog.h"
#include "settings/SetupSettings.h"

// Welcome (101), Finished (104) and Setup failed (111): a title, one text and an OK button.
class CMessageDialog : public Dialog {
public:
    // `formatWithProductName`: the text is a format whose %s is MainProdName.
    CMessageDialog(int templateId, TextId title, TextId text, bool formatWithProductName);

protected:
    bool OnInitDialog() override;

private:
    TextId title_;
    TextId text_;
    bool formatWithProductName_;
};

CMessageDialog MakeWelcomeDialog();
CMessageDialog MakeFinishedDialog();
CMessageDialog MakeSetupFailedDialog();

// Updating Files (115), modeless and without buttons, while the scripts run. It names the section
// addressed by currentSection: the one whose script runs.
class CUpdatingDialog : public Dialog {
public:
    CUpdatingDialog();
    // Names the section now addressed by currentSection.
    void ShowSection();

protected:
    bool OnInitDialog() override;
    // No buttons and nothing to cancel while a script runs: Escape must not close it.
    void OnCancel() override {}
};
