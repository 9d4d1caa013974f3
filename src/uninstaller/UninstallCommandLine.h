#pragma once
// The uninstaller's command line, as the installer stores it in the uninstall entry:
// `install folder` product name

#include <optional>
#include <string>
#include <string_view>

struct UninstallCommand {
    std::string installFolder;
    std::string productName;
};

// Nothing when the line does not have the backquote layout (no leading backquote, no closing
// backquote); the character after the closing backquote (a blank) is skipped.
std::optional<UninstallCommand> SplitUninstallCommandLine(std::string_view line);

// A product name may name an uninstall entry only when it is not empty and can never reach another
// key: no backslash and no "..".
bool IsSafeProductName(std::string_view name);

// "Software\Microsoft\Windows\CurrentVersion\Uninstall\" followed by the product name.
std::string UninstallEntryPath(std::string_view productName);
