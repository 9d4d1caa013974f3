#pragma once
// A text that screen readers read out as it changes, without the user moving to it, such as the
// progress dialog's file count: the control is marked as a polite live region (read when the reader
// is free), and Changed() tells the readers that its text is new, at most once a second so that a
// fast copy does not drown every other word.

#include <windows.h>
#include <oleacc.h>

#include "framework/ComPtr.h"

class LiveText {
public:
    LiveText() = default;
    ~LiveText();
    LiveText(const LiveText&) = delete;
    LiveText& operator=(const LiveText&) = delete;

    // Marks the control (and unmarks the one before); a system without the annotation service still
    // gets the change events.
    void Attach(HWND control);
    // Unmarks the control, before it goes.
    void Detach();
    // After the control's text was set.
    void Changed();

private:
    ComInitGuard com_;
    HWND control_ = nullptr;
    ComPtr<IAccPropServices> annotations_;
    ULONGLONG lastAnnounced_ = 0;
    bool announced_ = false;
};
