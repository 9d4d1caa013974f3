#pragma once
// Switches that may come before the uninstall command (`folder` product): /S removes without the
// question and without any message box (QuietUninstallString), /LOG=file writes every step into a
// file. And the uninstaller's exit codes, the same as the installer's where they mean the same.

#include <string>
#include <string_view>

#include "uninstaller/UninstallSequence.h"

struct UninstallSwitches {
    bool quiet = false;
    std::string logPath;
    std::string_view command;  // the rest: the folder between backquotes and the product name
    std::string error;         // why the switches were refused; empty when understood
};

// Words before the first backquote that begin with '/' are switches (any case; a word may be put in
// double quotes, for a log file name with blanks). Anything else is left to the command's own checks.
UninstallSwitches SplitUninstallSwitches(std::string_view arguments);

// 0 removed (or the folder was gone already), 1 the user said No, 2 something was left (the entry is
// kept), 3 a command line or uninstall entry refused, 5 no administrator rights.
int UninstallExitCode(UninstallOutcome outcome);
