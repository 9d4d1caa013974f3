#pragma once
// The install sequence, once for both runs: the start-up checks, the choice of sections and folders,
// then for each chosen section its folder, copy, shortcut and uninstall registration, then the
// scripts, the closing dialog and the run's result. The interactive and the unattended run differ
// only in their presenter: how the choice, the copy's progress, the scripts and the end reach the user.
// Messages and questions go through the message boxes (MessageBox.h) and the replace question, which
// an unattended run answers from the log's rules and /KEEP.

#include <functional>
#include <memory>
#include <optional>

#include "installer/SetupRun.h"

class SetupPresenter {
public:
    virtual ~SetupPresenter() = default;

    // False when SETUP.INI or SETUP.TXT incomplete ends the run before anything is done. The
    // interactive run has shown its warning and goes on with the template texts.
    virtual bool GoesOnWithIncompleteSettings() const = 0;
    // After the start-up checks: the backdrop and the Welcome dialog.
    virtual void Greet() = 0;
    // Decides InstallByDefault and DestDir of every section: each chosen folder has passed
    // CheckChosenFolder and is stored as resolved. A result when the run ends here, having
    // installed nothing.
    virtual std::optional<SetupResult> ChooseSections() = 0;
    // Copies the section addressed by currentSection (SourceDir current) and calls `copied` on this
    // thread once the copy has ended, stopped or not.
    virtual void CopySection(const std::function<void()>& copied) = 0;
    // Around the script phase, and before each script (currentSection addresses its section).
    virtual void BeginScripts() = 0;
    virtual void ShowScript() = 0;
    virtual void EndScripts() = 0;
    // The closing dialog, Finished or (when `failed`) Setup failed; the backdrop goes with it.
    virtual void Close(bool failed) = 0;
};

std::unique_ptr<SetupPresenter> MakeInteractivePresenter();
// Defined in UnattendedSetup.cpp.
std::unique_ptr<SetupPresenter> MakeUnattendedPresenter();

// Runs the sequence to its end; the result gives the process's exit code.
SetupResult RunInstallSequence(SetupPresenter& presenter);

// What follows the copy of the current section, in both runs: unless the copy was stopped, the
// section's shortcut and the reports of files that were not installed.
void FinishCopiedSection();
