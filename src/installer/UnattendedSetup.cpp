// The command line, the log's start and the presenter of a run without any window (/S).

#include <windows.h>

#include "copy/CopyEngine.h"
#include "framework/RunLog.h"
#include "framework/SystemWin.h"
#include "framework/WideText.h"
#include "installer/InstallSequence.h"
#include "installer/SetupApp.h"
#include "options/DiskSpace.h"
#include "options/DiskSpaceWin.h"
#include "options/OptionsDialog.h"
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
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    return n > 0 && n <= MAX_PATH ? Narrow(std::wstring_view(buffer, n)) : std::string();
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
    const std::string line = Narrow(::GetCommandLineW());
    const std::string_view commandLine = line;
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
            // The temporary folder is shared with every program of the user: a name already there is never
            // replaced or followed, the log takes the next free one.
            OpenNewRunLog(TemporaryFolder(), LogFileNameFor(setupSettings.GetSetupValue(SetupKey::MainProdName)));
        } else {
            TheRunLog().TurnOff();
        }
    }
    if (!TheRunLog().On()) return;
    LogLine(std::string("settings: SETUP.INI ") + (setupSettings.iniComplete ? "complete" : "incomplete") +
            ", SETUP.TXT " + (setupSettings.textsLoaded ? "read" : "missing or incomplete"));
    for (int k = 0; k < kUsedSetupKeys; ++k) {
        const auto key = static_cast<SetupKey>(k);
        // The entry's optional values only when the CD sets them.
        if (key >= SetupKey::Publisher && setupSettings.OptionalSetupValue(key).empty()) continue;
        LogLine(std::string("setting ") + SetupKeyName(key) + "=" + setupSettings.GetSetupValue(key));
    }
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

namespace {
// The unattended run: the sections come from the command line and InstallByDefault, the replace
// question is answered by /KEEP (CopyEngine), and every message goes into the log.
class UnattendedPresenter : public SetupPresenter {
public:
    bool GoesOnWithIncompleteSettings() const override { return false; }
    void Greet() override {}
    std::optional<SetupResult> ChooseSections() override
    {
        std::vector<SectionFacts> facts;
        for (int s = 0; s < setupSettings.sectionCount; ++s) {
            setupSettings.currentSection = s;
            SectionFacts section;
            section.installByDefault = IsTrueValue(setupSettings.GetSectionValue(SectionKey::InstallByDefault));
            section.productName = setupSettings.GetSectionValue(SectionKey::ProductName);
            section.installedFolder = InstalledSectionFolder(section.productName);
            section.installed = section.installedFolder || IsProductInstalled(section.productName);
            section.destDir = setupSettings.GetSectionValue(SectionKey::DestDir);
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
        const bool room = CheckRoom(setupSettings, &GetDriveFreeBytes, [](char letter) {
            LogError(std::string("not enough room on drive ") + letter + ":");
        });
        if (!room) return SetupResult::NoRoom;
        return std::nullopt;
    }
    void CopySection(const std::function<void()>& copied) override
    {
        CopyCurrentSection();
        copied();
    }
    void BeginScripts() override {}
    void ShowScript() override {}
    void EndScripts() override {}
    void Close(bool) override {}
};
}  // namespace

std::unique_ptr<SetupPresenter> MakeUnattendedPresenter()
{
    return std::make_unique<UnattendedPresenter>();
}
