#pragma once
// Setup's own window messages. Both are WM_USER + 5: they go to different windows, the first to the
// progress dialog and the second to the options dialog. The framework's WM_CANCEL_REQUEST, which
// may go to any dialog, is in framework/Dialog.h.

#include <windows.h>

constexpr UINT WM_SECTION_COPIED = WM_USER + 5;    // copy worker -> progress dialog: the section's copy has ended
constexpr UINT WM_CHECKLIST_NOTIFY = WM_USER + 5;  // section check list -> options dialog: a row was clicked
