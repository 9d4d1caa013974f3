#pragma once
// The dialog shown once at the end when something could not be removed: it shows `problemText` and
// the program's icon, and is the program's main window while it is up.

#include "framework/Dialog.h"
#include "framework/Handles.h"

class CRemovalProblemDialog : public Dialog {
public:
    CRemovalProblemDialog();

protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;

private:
    UniqueIcon largeIcon_;
    UniqueIcon smallIcon_;
};
