#include "installer/SetupApp.h"

#include <commctrl.h>

#include <memory>

#include "copy/ProgressDialog.h"
#include "framework/MessageBox.h"
#include "framework/MessagePump.h"
#include "framework/PathFunctions.h"
#include "framework/RunLog.h"
#include "framework/SystemWin.h"
#include "installer/Backdrop.h"
#include "installer/SequenceDialogs.h"
#include "installer/UninstallRegistration.h"
#include "options/OptionsDialog.h"
#include "scripts/ScriptRunner.h"
#include "scripts/Shortcuts.h"
#include "settings/ExitConfirmation.h"
#include "settings/SettingsWin.h"

namespace {
// The counter lives in a named mapping that every running copy opens: it starts at -1 (stored as
// 0) when the first copy creates it and disappears with the last copy, so it is never decremented.
constexpr char kInstanceCounterName[] = "BookCompanionSetup.InstanceCounter";

void ShowEndMessage(const std::string& text)
{
    AppMessageBox(text, MB_OK | MB_ICONWARNING);
}

void SetCurrentFolder(const std::string& folder)
{
    ::SetCurrentDirectoryA(folder.c_str());
}

// Setup failed: cancelled when the user chose Exit, failed otherwise.
SetupResult RunSetupFailed()
{
    CMessageDialog dialog = MakeSetupFailedDialog();
    dialog.DoModal();
    return exitChosenByUser ? SetupResult::Cancelled : SetupResult::Failed;
}

// The first section chosen for installation; the last section when none is.
int FirstChosenSection()
{
    for (int s = 0; s < setupSettings.sectionCount; ++s) {
        if (IsTrueValue(setupSettings.SectionValueAt(SectionKey::InstallByDefault, s))) return s;
    }
    return setupSettings.sectionCount > 0 ? setupSettings.sectionCount - 1 : 0;
}
}  // namespace

InstanceClaim::InstanceClaim()
{
    counter_.reset(
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), kInstanceCounterName));
    if (!counter_) return;  // without the counter, let this copy run
    const UniqueMappedView view(::MapViewOfFile(counter_.get(), FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    if (!view) return;
    first_ = ::InterlockedIncrement(static_cast<volatile LONG*>(view.get())) == 1;
}

bool CSetupApp::InitInstance()
{
    if (!SetupCommandLineError().empty()) {
        result_ = SetupResult::BadInput;
        LogError("command line refused: " + SetupCommandLineError());
        if (!IsUnattended()) AppMessageBox(SetupCommandLineError() + "\n\n" + kSetupUsageText, MB_OK | MB_ICONWARNING);
    } else if (!setupInstance.IsFirst()) {
        result_ = SetupResult::AlreadyRunning;
        LogError("another copy of setup is running");
    } else if (IsUnattended()) {
        result_ = RunUnattendedSequence();
    } else {
        RunSequence();
    }
    LogLine(std::string("result: ") + ResultName(result_) + ", exit code " + std::to_string(ExitCodeOf(result_)));
    return false;
}

void CSetupApp::RunSequence()
{
    osVersion = QueryOsVersion();

    if (!PathExistsUnlessFileNotFound(".\\SETUP.INI")) {
        ShowEndMessage(kSetupIniMissingText);
        result_ = SetupResult::BadInput;
        return;
    }
    if (!PathExistsUnlessFileNotFound(".\\SETUP.TXT")) {
        ShowEndMessage(kSetupTxtMissingText);
        result_ = SetupResult::BadInput;
        return;
    }
    if (osVersion.IsNtFamily() && !IsAdministrator()) {
        ShowEndMessage(setupSettings.GetText(TextId::UpdateRegistryError));
        result_ = SetupResult::NoAdministrator;
        return;
    }
    const std::string programPath = ModuleFileName();
    if (programPath.size() < 2 || programPath[1] != ':') {
        ShowEndMessage(
            "Please run this program from a mapped network drive. (Yes, I know this restriction is lame, "
            "but I don't have time to fix it right now.)");
        result_ = SetupResult::Failed;
        return;
    }

    // The start folder as the system reports it (scripts get it so) and with a closing backslash.
    const std::string startFolder = CurrentFolder();
    std::string startDir = startFolder;
    if (startDir.empty() || startDir.back() != '\\') startDir += '\\';
    specialFolders.Set(SpecialFolder::StartDir, startDir);
    specialFolders.Set(SpecialFolder::SourceDir, startDir);

    CProgressDialog progress(CreateSectionShortcut);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    CBackdropWindow backdrop;
    backdrop.Create();
    ::ShowWindow(backdrop.Hwnd(), SW_SHOW);
    ::UpdateWindow(backdrop.Hwnd());
    SetMainWindow(backdrop.Hwnd());
    auto closeBackdrop = [&] {
        backdrop.Destroy();
        SetMainWindow(nullptr);
    };

    if (!setupSettings.GetText(TextId::WelcomeTitle).empty()) {
        CMessageDialog welcome = MakeWelcomeDialog();
        welcome.DoModal();
    }

    for (int s = 0; s < setupSettings.sectionCount; ++s) {
        setupSettings.currentSection = s;
        std::string destDir = setupSettings.GetSectionValue(SectionKey::DestDir);
        ExpandPathPlaceholder(destDir);
        setupSettings.SetSectionValue(SectionKey::DestDir, destDir);
    }

    RunOptionsDialog();
    if (setupSettings.cancelRequested) {
        result_ = RunSetupFailed();
        closeBackdrop();
        return;
    }
    LogChosenSections();

    const std::string& sourceDir = specialFolders.Get(SpecialFolder::SourceDir);
    for (int s = 0; s < setupSettings.sectionCount && !setupSettings.cancelRequested; ++s) {
        setupSettings.currentSection = s;
        if (!IsTrueValue(setupSettings.GetSectionValue(SectionKey::InstallByDefault))) continue;
        SetCurrentFolder(sourceDir);
        progress.DoModal();
        // A worker stopped by Exit may still be finishing its file and stepping out of folders;
        // let it end before the current folder is set again.
        progress.WaitForWorkerToEnd();
        SetCurrentFolder(sourceDir);
        RegisterSectionForUninstall();
    }
    if (setupSettings.cancelRequested) {
        result_ = RunSetupFailed();
        closeBackdrop();
        return;
    }

    {
        // The dialog names the section whose script runs; before the first one, the first chosen section.
        setupSettings.currentSection = FirstChosenSection();
        CUpdatingDialog updating;
        updating.Create();
        ::ShowWindow(updating.Hwnd(), SW_SHOW);
        HandlePendingMessages();
        for (int s = 0; s < setupSettings.sectionCount; ++s) {
            setupSettings.currentSection = s;
            if (!IsTrueValue(setupSettings.GetSectionValue(SectionKey::InstallByDefault))) continue;
            const std::string commandFile = setupSettings.GetSectionValue(SectionKey::CommandFile);
            if (commandFile.empty() || commandFile == "NULL") continue;
            updating.ShowSection();
            HandlePendingMessages();
            SetCurrentFolder(sourceDir);
            RunScriptFile(commandFile, startFolder);
            HandlePendingMessages();
        }
        updating.Destroy();
    }

    if (setupSettings.cancelRequested || setupSettings.installFailed) {
        result_ = RunSetupFailed();
    } else {
        CMessageDialog finished = MakeFinishedDialog();
        finished.DoModal();
        // The dialogs ran with template texts: nothing could be installed from settings that incomplete.
        result_ = setupSettings.settingsValid ? SetupResult::Installed : SetupResult::BadInput;
    }
    closeBackdrop();
}
