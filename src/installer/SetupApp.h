#pragma once
// The installer's application object: the whole installation runs in its start-up hook.

#include <string>

#include "framework/App.h"
#include "framework/Handles.h"

class CSetupApp : public App {
public:
    std::string Title() const override { return "Setup"; }

protected:
    // Runs the install sequence; always false, so the program ends when the sequence is over.
    bool InitInstance() override;

private:
    void RunSequence();
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

