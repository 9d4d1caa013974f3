#include "installer/InstallSequence.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "copy/CopyEngine.h"
#include "copy/ProgressDialog.h"
#include "framework/App.h"
#include "framework/MessageBox.h"
#include "framework/MessagePump.h"
#include "framework/PathFunctions.h"
#include "framework/RunLog.h"
#include "framework/SystemWin.h"
#include "framework/WideText.h"
#include "installer/Backdrop.h"
#include "installer/SequenceDialogs.h"
#include "installer/SetupApp.h"
#include "installer/UninstallRegistration.h"
#include "options/OptionsDialog.h"
#include "scripts/ScriptRunner.h"
#include "scripts/Shortcuts.h"
#include "settings/ExitConfirmation.h"
#include "settings/SettingsWin.h"

namespace {
const char kRestartCompletesText[] =
    "Setup has installed the files. Some of them were in use and are replaced when you restart the computer.";

void SetMainWindow(HWND window)
{
    if (App* app = App::Current()) app->SetMainWindow(window);
}

void SetCurrentFolder(const std::string& folder)
{
    SetCurrentFolderPath(folder);
}

bool IsChosen(int section)
{
    return IsTrueValue(setupSettings.SectionValueAt(SectionKey::InstallByDefault, section));
}

// The first section chosen for installation; the last section when none is.
int FirstChosenSection()
{
    for (int s = 0; s < setupSettings.sectionCount; ++s) {
        if (IsChosen(s)) return s;
    }
    return setupSettings.sectionCount > 0 ? setupSettings.sectionCount - 1 : 0;
}

// The run's end once anything may have been installed: a stop, or any failure the log counted (a
// file not written, a shortcut or entry not made, a script command that failed, a message box of an
// unattended run), ends as failed; Exit chosen by the user as cancelled.
SetupResult EndResult()
{
    const bool failed = setupSettings.cancelRequested || TheRunLog().ErrorCount() > 0;
    if (failed) return exitChosenByUser ? SetupResult::Cancelled : SetupResult::Failed;
    // The dialogs ran with template texts: nothing could be installed from settings that incomplete.
    if (!setupSettings.settingsValid) return SetupResult::BadInput;
    return restartNeeded ? SetupResult::RestartNeeded : SetupResult::Installed;
}

class InteractivePresenter : public SetupPresenter {
public:
    InteractivePresenter()
    {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    ~InteractivePresenter() override { CloseBackdrop(); }

    bool GoesOnWithIncompleteSettings() const override { return true; }
    void Greet() override
    {
        backdrop_.Create();
        ::ShowWindow(backdrop_.Hwnd(), SW_SHOW);
        ::UpdateWindow(backdrop_.Hwnd());
        SetMainWindow(backdrop_.Hwnd());
        if (!setupSettings.GetText(TextId::WelcomeTitle).empty()) {
            CMessageDialog welcome = MakeWelcomeDialog();
            welcome.DoModal();
        }
    }
    std::optional<SetupResult> ChooseSections() override
    {
        // The dialog closes on Cancel only after Exit was chosen, which sets cancelRequested.
        RunOptionsDialog();
        if (!setupSettings.cancelRequested) return std::nullopt;
        return exitChosenByUser ? SetupResult::Cancelled : SetupResult::Failed;
    }
    void CopySection(const std::function<void()>& copied) override
    {
        CProgressDialog progress(copied);
        progress.DoModal();
        // A worker stopped by Exit may still be finishing its file and stepping out of folders; let it
        // end before the sequence sets the current folder again.
        progress.WaitForWorkerToEnd();
    }
    void BeginScripts() override
    {
        updating_.Create();
        ::ShowWindow(updating_.Hwnd(), SW_SHOW);
        HandlePendingMessages();
    }
    void ShowScript() override
    {
        updating_.ShowSection();
        HandlePendingMessages();
    }
    void EndScripts() override
    {
        HandlePendingMessages();
        updating_.Destroy();
    }
    void Close(bool failed) override
    {
        CMessageDialog dialog = failed ? MakeSetupFailedDialog() : MakeFinishedDialog();
        dialog.DoModal();
        CloseBackdrop();
    }

private:
    void CloseBackdrop()
    {
        if (!backdrop_.Hwnd()) return;
        backdrop_.Destroy();
        SetMainWindow(nullptr);
    }

    CBackdropWindow backdrop_;
    CUpdatingDialog updating_;
};
}  // namespace

std::unique_ptr<SetupPresenter> MakeInteractivePresenter()
{
    return std::make_unique<InteractivePresenter>();
}

void FinishCopiedSection()
{
    if (setupSettings.cancelRequested) return;
    CreateSectionShortcut();
    ReportCopyFailures();
}

SetupResult RunInstallSequence(SetupPresenter& presenter)
{
    osVersion = QueryOsVersion();
    if (!PathExistsUnlessFileNotFound(".\\SETUP.INI")) {
        AppMessageBox(kSetupIniMissingText);
        return SetupResult::BadInput;
    }
    if (!PathExistsUnlessFileNotFound(".\\SETUP.TXT")) {
        AppMessageBox(kSetupTxtMissingText);
        return SetupResult::BadInput;
    }
    if (!setupSettings.settingsValid && !presenter.GoesOnWithIncompleteSettings()) {
        LogError("SETUP.INI or SETUP.TXT is incomplete; nothing is installed.");
        return SetupResult::BadInput;
    }
    if (osVersion.IsNtFamily() && !IsAdministrator()) {
        AppMessageBox(setupSettings.GetText(TextId::UpdateRegistryError));
        return SetupResult::NoAdministrator;
    }
    const std::string programPath = ModuleFileName();
    if (programPath.size() < 2 || programPath[1] != ':') {
        AppMessageBox(
            "Please run this program from a mapped network drive. (Yes, I know this restriction is lame, "
            "but I don't have time to fix it right now.)");
        return SetupResult::Failed;
    }

    // The start folder as the system reports it (scripts get it so) and with a closing backslash.
    const std::string startFolder = CurrentFolder();
    std::string startDir = startFolder;
    if (startDir.empty() || startDir.back() != '\\') startDir += '\\';
    specialFolders.Set(SpecialFolder::StartDir, startDir);
    specialFolders.Set(SpecialFolder::SourceDir, startDir);

    presenter.Greet();
    for (int s = 0; s < setupSettings.sectionCount; ++s) {
        setupSettings.currentSection = s;
        std::string destDir = setupSettings.GetSectionValue(SectionKey::DestDir);
        ExpandPathPlaceholder(destDir);
        setupSettings.SetSectionValue(SectionKey::DestDir, destDir);
    }
    if (std::optional<SetupResult> stop = presenter.ChooseSections()) {
        presenter.Close(true);
        return *stop;
    }
    LogChosenSections();

    // A section whose entry would be refused is refused before any of its files is copied: they would
    // be left with nothing that removes them. Each other section is registered even when its copy was
    // stopped or failed, so that what was made of it can be removed; the next run offers it as installed.
    const std::string& sourceDir = specialFolders.Get(SpecialFolder::SourceDir);
    std::vector<std::string> registered;
    for (int s = 0; s < setupSettings.sectionCount && !setupSettings.cancelRequested; ++s) {
        if (!IsChosen(s)) continue;
        setupSettings.currentSection = s;
        if (const std::optional<std::string> refusal = SectionEntryRefusal(registered)) {
            FailureMessageBox(*refusal);
            // Not installed: its script does not run either.
            setupSettings.SetSectionValueAt(SectionKey::InstallByDefault, s, "FALSE");
            continue;
        }
        LoadSectionRecord();
        SetCurrentFolder(sourceDir);
        presenter.CopySection(&FinishCopiedSection);
        SetCurrentFolder(sourceDir);
        setupSettings.currentSection = s;
        if (RegisterSectionForUninstall()) registered.push_back(setupSettings.GetSectionValue(SectionKey::ProductName));
    }

    if (!setupSettings.cancelRequested) {
        // The dialog names the section whose script runs; before the first one, the first chosen section.
        setupSettings.currentSection = FirstChosenSection();
        presenter.BeginScripts();
        for (int s = 0; s < setupSettings.sectionCount; ++s) {
            if (!IsChosen(s)) continue;
            setupSettings.currentSection = s;
            const std::string commandFile = setupSettings.GetSectionValue(SectionKey::CommandFile);
            if (commandFile.empty() || commandFile == "NULL") continue;
            presenter.ShowScript();
            SetCurrentFolder(sourceDir);
            LogLine("script " + commandFile);
            RunScriptFile(commandFile, startFolder);
            // What the script made is the section's too.
            if (std::find(registered.begin(), registered.end(),
                          setupSettings.GetSectionValue(SectionKey::ProductName)) != registered.end())
                WriteSectionRecord();
        }
        presenter.EndScripts();
    }

    const SetupResult result = EndResult();
    if (result == SetupResult::RestartNeeded) {
        if (IsUnattended()) {
            LogLine(kRestartCompletesText);
        } else {
            AppMessageBox(kRestartCompletesText, MB_OK | MB_ICONINFORMATION);
        }
    }
    presenter.Close(result != SetupResult::Installed && result != SetupResult::BadInput &&
                    result != SetupResult::RestartNeeded);
    return result;
}
