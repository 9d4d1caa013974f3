#include "uninstaller/UninstallCommandLine.h"

#include "framework/AnsiText.h"
#include "framework/SystemFacts.h"

namespace {
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
}  // namespace

std::string_view ArgumentsAfterProgramName(std::string_view commandLine)
{
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t close = ansi::FindChar(commandLine, '"', 1);
        i = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i]))
            i = ansi::NextChar(commandLine, i);
    }
    while (i < commandLine.size() && IsBlank(commandLine[i]))
        ++i;
    return commandLine.substr(i);
}

std::optional<UninstallCommand> SplitUninstallCommandLine(std::string_view line)
{
    if (line.empty() || line[0] != '`') return std::nullopt;
    const size_t close = ansi::FindChar(line, '`', 1);
    if (close == std::string_view::npos || close == 1) return std::nullopt;
    if (close + 1 >= line.size() || line[close + 1] != ' ') return std::nullopt;
    UninstallCommand command;
    command.installFolder = std::string(line.substr(1, close - 1));
    command.productName = std::string(line.substr(close + 2));
    return command;
}

bool IsSafeProductName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && ansi::FindChar(name, '\\') == std::string_view::npos;
}

std::string UninstallEntryPath(std::string_view productName)
{
    return kUninstallKey + std::string(productName);
}

bool UninstallStringMatches(std::string_view uninstallString, std::string_view arguments)
{
    if (arguments.empty() || uninstallString.size() < arguments.size() + 2) return false;
    const size_t start = uninstallString.size() - arguments.size();
    return uninstallString.substr(start) == arguments && uninstallString[start - 1] == ' ';
}
