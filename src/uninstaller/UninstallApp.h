#pragma once
// The uninstaller's application object: removes one installed product in its start-up routine.

#include "framework/App.h"

class CUninstallApp : public App {
public:
    // The program's name: its file name without extension.
    std::string Title() const override;

protected:
    bool InitInstance() override;
    int ExitCode() const override { return exitCode_; }

private:
    int exitCode_ = 0;
};
