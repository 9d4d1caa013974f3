#include "installer/SetupRun.h"

#include <algorithm>

#include "framework/AnsiText.h"
#include "options/OptionsModel.h"

const char kSetupUsageText[] =
    "Usage: setup [/S [/SECTIONS=n,m|ALL] [/DIRn=folder] [/KEEP]] [/LOG=file]\n\n"
    "/S: install without any window, with the choices the dialogs start with.\n"
    "/SECTIONS: the sections to install, by number, or ALL.\n"
    "/DIRn: the folder of section n.\n"
    "/KEEP: keep existing files instead of replacing them.\n"
    "/LOG: write every step into this file.";

namespace {
constexpr int kMaxSectionNumber = 50;

// A whole decimal number from 1 to kMaxSectionNumber; 0 for anything else.
int SectionNumber(std::string_view text)
{
    if (text.empty() || text.size() > 2) return 0;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= kMaxSectionNumber ? value : 0;
}

bool ReadSections(const std::string& value, SetupSwitches& switches)
{
    if (ansi::EqualsNoCase(value, "ALL")) {
        switches.allSections = true;
        return true;
    }
    size_t start = 0;
    while (true) {
        const size_t comma = value.find(',', start);
        const std::string part = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const int number = SectionNumber(part);
        if (number == 0) return false;
        if (std::find(switches.sections.begin(), switches.sections.end(), number) == switches.sections.end())
            switches.sections.push_back(number);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

std::string WithoutClosingBackslash(const std::string& path)
{
    // "C:\Books\" and "C:\Books" are one folder; a drive root keeps its backslash.
    if (path.size() > 3 && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}
}  // namespace

int ExitCodeOf(SetupResult result)
{
    // The code deployment tools read as "installed, restart needed".
    if (result == SetupResult::RestartNeeded) return 3010;
    return static_cast<int>(result);
}

const char* ResultName(SetupResult result)
{
    switch (result) {
        case SetupResult::Installed:
            return "installed";
        case SetupResult::Cancelled:
            return "cancelled by the user";
        case SetupResult::Failed:
            return "failed or installed with errors";
        case SetupResult::BadInput:
            return "refused: SETUP.INI, SETUP.TXT or the command line";
        case SetupResult::AlreadyRunning:
            return "another copy of setup is running";
        case SetupResult::NoAdministrator:
            return "no administrator rights";
        case SetupResult::NoRoom:
            return "not enough room";
        case SetupResult::RestartNeeded:
            return "installed, a restart completes it";
    }
    return "unknown";
}

std::vector<std::string> CommandLineWords(std::string_view line)
{
    std::vector<std::string> words;
    size_t i = 0;
    bool first = true;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size()) break;
        std::string word;
        bool quoted = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && (c == ' ' || c == '\t')) {
                break;
            } else {
                word += c;
            }
        }
        if (!first) words.push_back(std::move(word));
        first = false;
    }
    return words;
}

bool AsksForSilentRun(std::string_view commandLine)
{
    const std::vector<std::string> words = CommandLineWords(commandLine);
    return std::any_of(words.begin(), words.end(), [](const std::string& w) { return ansi::EqualsNoCase(w, "/S"); });
}

std::string LogPathAskedFor(std::string_view commandLine)
{
    std::string path;
    for (const std::string& word : CommandLineWords(commandLine)) {
        if (word.size() > 5 && ansi::EqualsNoCase(word.substr(0, 5), "/LOG=")) path = word.substr(5);
    }
    return path;
}

std::variant<SetupSwitches, SwitchError> ParseSetupCommandLine(std::string_view commandLine)
{
    SetupSwitches switches;
    for (const std::string& word : CommandLineWords(commandLine)) {
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const bool hasValue = equals != std::string::npos;
        const std::string value = hasValue ? word.substr(equals + 1) : std::string();
        auto refuse = [&](const std::string& why) { return SwitchError{"The switch \"" + word + "\" " + why}; };
        if (ansi::EqualsNoCase(name, "/S") || ansi::EqualsNoCase(name, "/KEEP")) {
            if (hasValue) return refuse("takes no value.");
            (ansi::EqualsNoCase(name, "/S") ? switches.silent : switches.keepExisting) = true;
        } else if (ansi::EqualsNoCase(name, "/SECTIONS")) {
            if (!ReadSections(value, switches))
                return refuse("needs section numbers from 1 to 50 separated by commas, or ALL.");
            switches.sectionsGiven = true;
        } else if (ansi::EqualsNoCase(name, "/LOG")) {
            if (value.empty()) return refuse("needs a file name.");
            switches.logPath = value;
        } else if (name.size() > 4 && ansi::EqualsNoCase(name.substr(0, 4), "/DIR")) {
            const int number = SectionNumber(std::string_view(name).substr(4));
            if (number == 0) return refuse("needs a section number from 1 to 50 after /DIR.");
            if (value.empty()) return refuse("needs a folder.");
            switches.folders[number] = value;
        } else {
            return refuse("is not known.");
        }
    }
    if (!switches.silent && (switches.keepExisting || switches.sectionsGiven || !switches.folders.empty()))
        return SwitchError{"/SECTIONS, /DIRn and /KEEP are used only together with /S."};
    return switches;
}

std::variant<std::vector<SilentChoice>, SilentRefusal> ChooseSilentSections(
    const std::vector<SectionFacts>& sections, const SetupSwitches& switches, const std::string& windowsDir,
    const std::string& noChangeText, const std::string& noWindowsDirText, const PathResolver& resolver)
{
    const int count = static_cast<int>(sections.size());
    const std::string countText = " SETUP.INI has " + std::to_string(count) + " section(s).";
    std::vector<bool> chosen(sections.size(), false);
    if (switches.allSections) {
        chosen.assign(sections.size(), true);
    } else if (switches.sectionsGiven) {
        for (const int number : switches.sections) {
            if (number > count)
                return SilentRefusal{SetupResult::BadInput,
                                     "Section " + std::to_string(number) + " does not exist." + countText};
            chosen[number - 1] = true;
        }
    } else {
        for (int i = 0; i < count; ++i)
            chosen[i] = sections[i].installByDefault && !sections[i].installed;
    }
    for (const auto& [number, folder] : switches.folders) {
        if (number > count)
            return SilentRefusal{SetupResult::BadInput, "/DIR" + std::to_string(number) + ": section " +
                                                            std::to_string(number) + " does not exist." + countText};
        if (!chosen[number - 1])
            return SilentRefusal{SetupResult::BadInput, "/DIR" + std::to_string(number) + ": section " +
                                                            std::to_string(number) + " is not installed by this run."};
    }

    std::vector<SilentChoice> choices;
    for (int i = 0; i < count; ++i) {
        if (!chosen[i]) continue;
        const auto given = switches.folders.find(i + 1);
        const std::optional<std::string>& installed = sections[i].installedFolder;
        if (installed && given != switches.folders.end() && !SameFolder(given->second, *installed, resolver))
            return SilentRefusal{
                SetupResult::BadInput,
                "/DIR" + std::to_string(i + 1) + ": " + InstalledElsewhereText(sections[i].productName, *installed)};
        const std::string folder = installed                         ? *installed
                                   : given != switches.folders.end() ? WithoutClosingBackslash(given->second)
                                                                     : sections[i].destDir;
        const ChosenFolder check = CheckChosenFolder(folder, windowsDir, resolver);
        if (check.refusal != FolderRefusal::None)
            return SilentRefusal{SetupResult::BadInput,
                                 "Section " + std::to_string(i + 1) + ", folder \"" + folder +
                                     "\": " + FolderRefusalText(check, noChangeText, noWindowsDirText)};
        choices.push_back({i, check.folder});
    }
    return choices;
}
