#pragma once
// The uninstaller's command line, as the installer stores it in the uninstall entry after the
// uninstaller's own path:  `install folder` product name

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct UninstallCommand {
    std::string installFolder;
    std::string productName;
};

// An uninstall entry of the installer's layout and the install record stored with it.
struct InstalledProduct {
    UninstallCommand command;
    std::optional<std::string> record;  // the stored form (see InstallRecord.h)
};

// What follows the program's own name in a full process command line, as WinMain receives it: the
// name is skipped (quoted or up to the first blank), then the blanks and tabs after it.
std::string_view ArgumentsAfterProgramName(std::string_view commandLine);

// Nothing when the line does not have the backquote layout: a leading backquote, a non-empty folder,
// a closing backquote and one blank after it. Everything after that blank is the product name.
std::optional<UninstallCommand> SplitUninstallCommandLine(std::string_view line);

// A product name may name an uninstall entry only when it is exactly one key below the Uninstall key:
// not empty, not "." or "..", no backslash. An empty name would name the Uninstall key of every
// program. Dots inside a name ("Widgets... Vol 2") are ordinary characters of a key name.
bool IsSafeProductName(std::string_view name);

// "Software\Microsoft\Windows\CurrentVersion\Uninstall\" followed by the product name.
std::string UninstallEntryPath(std::string_view productName);

// True when the entry's UninstallString is a program path, one blank, and exactly `arguments`: only
// then was this run started from that entry (a folder with a backquote in it splits differently).
bool UninstallStringMatches(std::string_view uninstallString, std::string_view arguments);
