// The command line, the log's start and the install sequence without any window (/S).

#include <windows.h>

#include "copy/CopyEngine.h"
#include "framework/Handles.h"
#include "framework/PathFunctions.h"
#include "framework/RunLog.h"
#include "framework/SystemWin.h"
#include "installer/SetupApp.h"
#include "installer/UninstallRegistration.h"
#include "options/DiskSpace.h"
#include "options/DiskSpaceWin.h"
#include "options/OptionsDialog.h"
#include "scripts/ScriptRunner.h"
#include "scripts/Shortcuts.h"
#include "settings/SettingsWin.h"

namespace {
// Read during static initialisation, before this file's own globals may exist: function statics.
SetupSwitches& Switches()
{
    static SetupSwitches switches;
    return switches;
}

std::string& CommandLineError()
{
    static std::string error;
    return error;
}

std::string TemporaryFolder()
{
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(MAX_PATH, buffer);
    return n > 0 && n <= MAX_PATH ? std::string(buffer, n) : std::string();
}

void SetCurrentFolder(const std::string& folder)
{
    ::SetCurrentDirectoryA(folder.c_str());
}

void LogSection(int section)
{
    setupSettings.currentSection = section;
    LogLine("section " + std::to_string(section + 1) + " \"" + setupSettings.GetSectionValue(SectionKey::ProductName) +
            "\" into " + setupSettings.GetSectionValue(SectionKey::DestDir));
}
}  // namespace

void ReadSetupCommandLine()
{
    const char* line = ::GetCommandLineA();
    const std::string_view commandLine = line ? line : "";
    auto parsed = ParseSetupCommandLine(commandLine);
    if (const SwitchError* error = std::get_if<SwitchError>(&parsed)) {
        CommandLineError() = error->message;
        SetUnattended(AsksForSilentRun(commandLine));
        Switches().logPath = LogPathAskedFor(commandLine);
    } else {
        Switches() = std::get<SetupSwitches>(parsed);
        SetUnattended(Switches().silent);
        keepExistingFiles = Switches().keepExisting;
    }
    // A log that cannot be created is never a reason to fail: the run goes on without it.
    if (!Switches().logPath.empty()) TheRunLog().Open(Switches().logPath);
    LogLine(std::string("setup started: ") + std::string(commandLine));
}

const std::string& SetupCommandLineError()
{
    return CommandLineError();
}

const SetupSwitches& SetupCommandLineSwitches()
{
    return Switches();
}

void LogSettingsRead()
{
    if (Switches().logPath.empty()) {
        // An unattended run always leaves a log; an interactive one only when asked.
        if (IsUnattended()) {
            TheRunLog().Open(TemporaryFolder() + LogFileNameFor(setupSettings.GetSetupValue(SetupKey::MainProdName)));
        } else {
            TheRunLog().TurnOff();
        }
    }
    if (!TheRunLog().On()) return;
    LogLine(std::string("settings: SETUP.INI ") + (setupSettings.iniComplete ? "complete" : "incomplete") +
            ", SETUP.TXT " + (setupSettings.textsLoaded ? "read" : "missing or incomplete"));
    for (SetupKey key : {SetupKey::MainProdName, SetupKey::FilesCompressed, SetupKey::UseUnderscores,
                         SetupKey::NumberOfSections, SetupKey::ChangeFolderButton, SetupKey::VolumeName})
        LogLine(std::string("setting ") + SetupKeyName(key) + "=" + setupSettings.GetSetupValue(key));
    for (int s = 0; s < setupSettings.sectionCount; ++s) {
        std::string line = "setting Section" + std::to_string(s + 1) + ":";
        for (SectionKey key : {SectionKey::CodeDir, SectionKey::DestDir, SectionKey::ProductName,
                               SectionKey::InstallByDefault, SectionKey::FileSize, SectionKey::CommandFile})
            line += std::string(" ") + SectionKeyName(key) + "=" + setupSettings.SectionValueAt(key, s);
        LogLine(line);
    }
}

void LogChosenSections()
{
    for (int s = 0; s < setupSettings.sectionCount; ++s) {
        if (IsTrueValue(setupSettings.SectionValueAt(SectionKey::InstallByDefault, s))) LogSection(s);
    }
}

SetupResult CSetupApp::RunUnattendedSequence()
{
    osVersion = QueryOsVersion();
    if (!PathExistsUnlessFileNotFound(".\\SETUP.INI")) {
        LogError("Can't find Setup.ini.");
        return SetupResult::BadInput;
    }
    if (!PathExistsUnlessFileNotFound(".\\SETUP.TXT")) {
        LogError("Can't find Setup.txt.");
        return SetupResult::BadInput;
    }
    if (!setupSettings.settingsValid) {
        LogError("SETUP.INI or SETUP.TXT is incomplete; nothing is installed.");
        return SetupResult::BadInput;
    }
    if (osVersion.IsNtFamily() && !IsAdministrator()) {
        LogError(setupSettings.GetText(TextId::UpdateRegistryError));
        return SetupResult::NoAdministrator;
    }
    const std::string programPath = ModuleFileName();
    if (programPath.size() < 2 || programPath[1] != ':') {
        LogError("setup must run from a drive with a letter.");
        return SetupResult::Failed;
    }

    const std::string startFolder = CurrentFolder();
    std::string startDir = startFolder;
    if (startDir.empty() || startDir.back() != '\\') startDir += '\\';
    specialFolders.Set(SpecialFolder::StartDir, startDir);
    specialFolders.Set(SpecialFolder::SourceDir, startDir);

    std::vector<SectionFacts> facts;
    for (int s = 0; s < setupSettings.sectionCount; ++s) {
        setupSettings.currentSection = s;
        std::string destDir = setupSettings.GetSectionValue(SectionKey::DestDir);
        ExpandPathPlaceholder(destDir);
        setupSettings.SetSectionValue(SectionKey::DestDir, destDir);
        SectionFacts section;
        section.installByDefault = IsTrueValue(setupSettings.GetSectionValue(SectionKey::InstallByDefault));
        section.installed = IsProductInstalled(setupSettings.GetSectionValue(SectionKey::ProductName));
        section.destDir = destDir;
        if (section.installByDefault && section.installed)
            LogLine("section " + std::to_string(s + 1) + " is installed already");
        facts.push_back(section);
    }
    auto chosen = ChooseSilentSections(facts, Switches(), specialFolders.Get(SpecialFolder::WindowsDir),
                                       setupSettings.GetText(TextId::NoChange),
                                       setupSettings.GetText(TextId::NoWindowsDir), SystemPathResolver());
    if (const SilentRefusal* refusal = std::get_if<SilentRefusal>(&chosen)) {
        LogError(refusal->message);
        return refusal->result;
    }
    for (int s = 0; s < setupSettings.sectionCount; ++s)
        setupSettings.SetSectionValueAt(SectionKey::InstallByDefault, s, "FALSE");
    for (const SilentChoice& choice : std::get<std::vector<SilentChoice>>(chosen)) {
        setupSettings.SetSectionValueAt(SectionKey::InstallByDefault, choice.section, "TRUE");
        setupSettings.SetSectionValueAt(SectionKey::DestDir, choice.section, choice.destDir);
    }
    LogChosenSections();
    bool room = CheckRoom(setupSettings, &GetDriveFreeBytes,
                          [](char letter) { LogError(std::string("not enough room on drive ") + letter + ":"); });
    if (!room) return SetupResult::NoRoom;

    const std::string& sourceDir = specialFolders.Get(SpecialFolder::SourceDir);
    for (int s = 0; s < setupSettings.sectionCount && !setupSettings.cancelRequested; ++s) {
        setupSettings.currentSection = s;
        if (!IsTrueValue(setupSettings.GetSectionValue(SectionKey::InstallByDefault))) continue;
        SetCurrentFolder(sourceDir);
        CopyCurrentSection();
        SetCurrentFolder(sourceDir);
        if (setupSettings.cancelRequested) break;
        CreateSectionShortcut();
        if (expansionFailed) LogError(setupSettings.GetText(TextId::LongFilenameProblemText));
        ReportFilesNotReplaced();
        RegisterSectionForUninstall();
    }
    if (setupSettings.cancelRequested) return SetupResult::Failed;

    for (int s = 0; s < setupSettings.sectionCount; ++s) {
        setupSettings.currentSection = s;
        if (!IsTrueValue(setupSettings.GetSectionValue(SectionKey::InstallByDefault))) continue;
        const std::string commandFile = setupSettings.GetSectionValue(SectionKey::CommandFile);
        if (commandFile.empty() || commandFile == "NULL") continue;
        SetCurrentFolder(sourceDir);
        LogLine("script " + commandFile);
        RunScriptFile(commandFile, startFolder);
    }
    if (setupSettings.cancelRequested || setupSettings.installFailed) return SetupResult::Failed;
    return TheRunLog().ErrorCount() > 0 ? SetupResult::Failed : SetupResult::Installed;
}
