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

// Updating Files (115), modeless and without buttons, while the scripts run.
class CUpdatingDialog : public Dialog {
public:
    CUpdatingDialog();

protected:
    bool OnInitDialog() override;
};
