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
    // Adds one to the counter that all running copies share; false when another copy runs.
    bool IsFirstInstance();
    void RunSequence();

    UniqueHandle instanceCounter_;  // the shared counter's mapping, kept open while this copy runs
};

// Administrator test: the service control manager opens with read, write and execute access.
bool IsAdministrator();
