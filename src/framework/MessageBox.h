#pragma once
// The programs' message boxes. The application's box has the application's title as caption, or
// the program file's path while no application object exists yet. Boxes opened without an owner are
// owned by the application's main window while it exists (DefaultOwnerWindow). Every box is written to
// the run's log; in an unattended run none is shown (see RunLog.h) and each returns No, Cancel or OK.

#include <windows.h>
#include <string>

int AppMessageBox(const std::string& text, UINT flags = MB_OK | MB_ICONWARNING, HWND owner = nullptr);
// The application's box for a failure of the run (a file not installed, an uninstall entry not
// written): shown as AppMessageBox and counted as a failure in both runs, so the run ends as failed.
int FailureMessageBox(const std::string& text, UINT flags = MB_OK | MB_ICONWARNING, HWND owner = nullptr);
// A plain system box with a caption of its own ("Out of Memory", "Error", "GetLastError").
int CaptionedMessageBox(const std::string& text, const std::string& caption, UINT flags);

// The system's message text for an error code, without inserts; "Error N" when there is none.
std::string SystemErrorText(DWORD code);
