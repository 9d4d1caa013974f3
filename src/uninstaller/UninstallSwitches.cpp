#include "uninstaller/UninstallSwitches.h"

#include "framework/AnsiText.h"

namespace {
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
}  // namespace

UninstallSwitches SplitUninstallSwitches(std::string_view arguments)
{
    UninstallSwitches switches;
    size_t i = 0;
    while (true) {
        while (i < arguments.size() && IsBlank(arguments[i]))
            ++i;
        const bool quoted = i < arguments.size() && arguments[i] == '"';
        const size_t start = quoted ? i + 1 : i;
        if (start >= arguments.size() || arguments[start] != '/') break;
        const size_t end = quoted ? arguments.find('"', start) : arguments.find_first_of(" \t", start);
        const std::string word(
            arguments.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        i = end == std::string_view::npos ? arguments.size() : end + (quoted ? 1 : 0);
        if (ansi::EqualsNoCase(word, "/S")) {
            switches.quiet = true;
        } else if (word.size() > 5 && ansi::EqualsNoCase(word.substr(0, 5), "/LOG=")) {
            switches.logPath = word.substr(5);
        } else if (switches.error.empty()) {
            switches.error =
                "The switch \"" + word + "\" is not known. Usage: TOVRADE [/S] [/LOG=file] `folder` product";
        }
    }
    while (i < arguments.size() && IsBlank(arguments[i]))
        ++i;
    switches.command = arguments.substr(i);
    return switches;
}

int UninstallExitCode(UninstallOutcome outcome)
{
    switch (outcome) {
        case UninstallOutcome::Removed:
        case UninstallOutcome::FolderWasGone:
            return 0;
        case UninstallOutcome::Declined:
            return 1;
        case UninstallOutcome::RemovalFailed:
        case UninstallOutcome::FolderUnreachable:  // the files are still on a drive that is not there
            return 2;
        case UninstallOutcome::NoRights:
            return 5;
        case UninstallOutcome::NoCommand:
        case UninstallOutcome::BadCommand:
        case UninstallOutcome::UnsafeName:
        case UninstallOutcome::NoEntry:
        case UninstallOutcome::EntryMismatch:
        case UninstallOutcome::UnsafeFolder:
            return 3;
    }
    return 3;
}
