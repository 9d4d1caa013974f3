#pragma once
// The options dialog (template 116): which sections are installed and where. Its only outputs are
// the section values InstallByDefault and DestDir and the flag cancelRequested.

#include <windows.h>

// Runs the dialog modally with no owner; IDOK after Continue, IDCANCEL after a confirmed Exit.
INT_PTR RunOptionsDialog();
