#pragma once
// The unattended side of the installer that needs no system: the command line's switches, the
// sections and folders an unattended run installs, and the run's result with its exit code.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "options/OptionsModel.h"

// The run's end, and the process exit code of each (the README lists them).
enum class SetupResult {
    Installed,        // 0
    Cancelled,        // 1: the user chose Exit
    Failed,           // 2: installed with errors, or Setup failed
    BadInput,         // 3: SETUP.INI or SETUP.TXT missing or incomplete, a switch or value refused
    AlreadyRunning,   // 4
    NoAdministrator,  // 5
    NoRoom,           // 6
    RestartNeeded     // 3010: installed; files in use are replaced when the system next starts
};
int ExitCodeOf(SetupResult result);
// "installed", "cancelled", ... for the log's last line.
const char* ResultName(SetupResult result);

struct SetupSwitches {
    bool silent = false;                 // /S
    bool keepExisting = false;           // /KEEP: existing files are kept instead of replaced
    bool sectionsGiven = false;          // /SECTIONS=
    bool allSections = false;            // /SECTIONS=ALL
    std::vector<int> sections;           // /SECTIONS=1,3: numbers from 1, in the order given, no repeats
    std::map<int, std::string> folders;  // /DIRn=path, by section number from 1
    std::string logPath;                 // /LOG=file
};

struct SwitchError {
    std::string message;
};

// The command line as the process received it (the program's path first, quoted or not). Words are
// separated by blanks and tabs; a double quote starts or ends a quoted stretch anywhere in a word and
// is dropped (/DIR1="C:\My Books" and "/DIR1=C:\My Books" are the same); a backslash is an ordinary
// character. Switch names are case-insensitive.
std::variant<SetupSwitches, SwitchError> ParseSetupCommandLine(std::string_view commandLine);
// The words after the program's path, split as above.
std::vector<std::string> CommandLineWords(std::string_view commandLine);
// True when one of the words is /S (any case), even if the line is refused otherwise: the refusal
// must then not show a window either.
bool AsksForSilentRun(std::string_view commandLine);

// The file of a /LOG= word, even if the line is refused otherwise: the refusal goes into it.
std::string LogPathAskedFor(std::string_view commandLine);

// The usage text shown for a refused command line in an interactive run.
extern const char kSetupUsageText[];

// What the unattended run needs to know of each section of SETUP.INI.
struct SectionFacts {
    bool installByDefault = false;
    bool installed = false;  // its uninstall entry exists
    std::string destDir;     // DestDir with its placeholder expanded
    std::string productName;
    std::optional<std::string> installedFolder;  // the folder its uninstall entry names
};

struct SilentChoice {
    int section = 0;  // from 0
    std::string destDir;
};

struct SilentRefusal {
    SetupResult result = SetupResult::BadInput;
    std::string message;
};

// The sections an unattended run installs, in section order, each with its folder: the named ones
// (/SECTIONS), else those with InstallByDefault that are not installed yet; a /DIRn folder replaces the
// section's DestDir. Refused: a section number that SETUP.INI does not have, a /DIRn for a section that
// is not installed by this run, a /DIRn other than the folder of an installed section (which is
// installed again only there), a folder that is not a full path (X:\...), a bare drive root, and a
// folder in the Windows folder (`windowsDir`), with `noChangeText` / `noWindowsDirText` as the reason.
// The Windows-folder test compares both folders as `resolver` resolves them (see RealFolderPath), so
// that "C:\Books\..\Windows" or an 8.3 alias cannot reach it; a chosen folder is kept as resolved.
std::variant<std::vector<SilentChoice>, SilentRefusal> ChooseSilentSections(
    const std::vector<SectionFacts>& sections, const SetupSwitches& switches, const std::string& windowsDir,
    const std::string& noChangeText, const std::string& noWindowsDirText, const PathResolver& resolver = {});
