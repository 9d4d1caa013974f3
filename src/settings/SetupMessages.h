#pragma once
// Setup's own window messages. The two WM_USER + 5 go to different windows, the first to the
// progress dialog and the second to the options dialog. The framework's WM_CANCEL_REQUEST, which
// may go to any dialog, is in framework/Dialog.h.

#include <windows.h>

constexpr UINT WM_SECTION_COPIED = WM_USER + 5;    // copy worker -> progress dialog: the section's copy has ended
constexpr UINT WM_CHECKLIST_NOTIFY = WM_USER + 5;  // section check list -> options dialog: a row was clicked
constexpr UINT WM_COPY_COUNTED =
    WM_USER + 6;  // count walk -> progress dialog: wParam = files, lParam = KiB in the section
constexpr UINT WM_COPY_PROGRESS =
    WM_USER + 7;  // copy worker -> progress dialog: wParam = files done, lParam = KiB done
// copy worker -> progress dialog, sent: wParam = const std::string* source name, lParam = const
// std::string* destination path, both valid until the dialog has handled it.
constexpr UINT WM_COPY_SHOW_FILE = WM_USER + 8;
// options dialog -> itself, posted after the screen's density changed: the list takes the new font.
constexpr UINT WM_ROW_FONT_CHANGED = WM_APP + 2;
