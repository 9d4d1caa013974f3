#pragma once
// The backdrop that covers the screen behind the installer's dialogs: a blue-to-black gradient with
// the product's screen message in large italic letters. It is the application's main window for
// the whole sequence. The letters grow with the screen's pixel density; with a high-contrast theme
// on, the backdrop is the theme's window colour and the message its text colour.

#include "framework/Dialog.h"
#include "framework/Handles.h"

class CBackdropWindow : public Dialog {
public:
    CBackdropWindow();

protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The backdrop lives as long as the sequence: Return does nothing, and Escape, like closing it,
    // asks the dialog in front to cancel.
    void OnOK() override {}
    void OnCancel() override { CancelDialogInFront(); }

private:
    void Paint();
    // The message's font for the screen the backdrop is on.
    void MakeFont();
    // The topmost visible window that the backdrop owns, directly or through another dialog (with
    // `enabledOnly`, the topmost that is also enabled: the one the user can answer); null when none.
    HWND FindDialogInFront(bool enabledOnly) const;
    // Puts every visible window that the backdrop owns back above it, in the order they had.
    void RaiseOwnedWindows();
    // Sends WM_CANCEL_REQUEST to the dialog the user sees in front. Without one, nothing happens.
    void CancelDialogInFront();

    HICON icon_;  // shared resource icon: not destroyed
    UniqueGdiObject font_;
    bool fontCreated_ = false;
    RECT requested_{};
    int dpi_ = 96;
};

// The gradient's brush index of pixel row y in a client area `height` rows high: the top row is
// pure blue (index 0, blue 255) and the colour darkens towards the bottom.
int GradientBrushIndex(int y, int height);
