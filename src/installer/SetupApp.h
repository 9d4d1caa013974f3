#pragma once
// The installer's application object: the whole installation runs in its start-up hook.

#include <string>

#include "framework/App.h"
#include "framework/Handles.h"
#include "installer/SetupRun.h"

class CSetupApp : public App {
public:
    std::string Title() const override { return "Setup"; }

protected:
    // Runs the install sequence; always false, so the program ends when the sequence is over.
    bool InitInstance() override;
    int ExitCode() const override { return ExitCodeOf(result_); }

private:
    // Adds one to the counter that all running copies share; false when another copy runs.
    bool IsFirstInstance();
    void RunSequence();
    // The sequence without any window (/S); defined in UnattendedSetup.cpp.
    SetupResult RunUnattendedSequence();

    UniqueHandle instanceCounter_;  // the shared counter's mapping, kept open while this copy runs
    SetupResult result_ = SetupResult::Installed;
};

// Administrator test: the service control manager opens with read, write and execute access.
bool IsAdministrator();

// The command line, read before the settings so that an unattended run shows not even their warnings
// (UnattendedSetup.cpp). Sets the unattended flag for /S and opens the /LOG file.
void ReadSetupCommandLine();
// After the settings are read: writes them into the log, and opens the log of an unattended run
// without /LOG in the temporary folder (named after MainProdName); without a log, turns it off.
void LogSettingsRead();
// One log line per section to install (InstallByDefault TRUE) with its folder.
void LogChosenSections();
// The refusal of the command line; empty when it was understood.
const std::string& SetupCommandLineError();
// The command line's switches (all off when it was refused).
const SetupSwitches& SetupCommandLineSwitches();
