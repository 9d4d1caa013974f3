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
    SetupResult result_ = SetupResult::Installed;
};

// This copy's claim on the counter that all running copies share. It is the first global object of
// setup, made before SETUP.INI is read, so that a second copy shows none of its warnings either.
class InstanceClaim {
public:
    InstanceClaim();  // adds one to the counter
    // False when another copy was running when this one started.
    bool IsFirst() const { return first_; }

private:
    UniqueHandle counter_;  // the shared counter's mapping, kept open while this copy runs
    bool first_ = true;
};

extern InstanceClaim setupInstance;

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
