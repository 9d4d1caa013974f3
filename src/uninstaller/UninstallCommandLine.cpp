#include "uninstaller/UninstallCommandLine.h"

std::optional<UninstallCommand> SplitUninstallCommandLine(std::string_view line)
{
    if (line.empty() || line[0] != '`') return std::nullopt;
    const size_t close = line.find('`', 1);
    if (close == std::string_view::npos) return std::nullopt;
    UninstallCommand command;
    command.installFolder = std::string(line.substr(1, close - 1));
    const size_t nameStart = close + 2;
    command.productName = nameStart <= line.size() ? std::string(line.substr(nameStart)) : std::string();
    return command;
}

bool IsSafeProductName(std::string_view name)
{
    return !name.empty() && name.find('\\') == std::string_view::npos && name.find("..") == std::string_view::npos;
}

std::string UninstallEntryPath(std::string_view productName)
{
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + std::string(productName);
}
