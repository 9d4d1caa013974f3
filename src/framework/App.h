#pragma once
// The application object. One global instance per program; WinMain calls Run(), which calls the
// start-up hook. A hook that returns false ends the program without a message loop.

#include <windows.h>
#include <string>

class App {
public:
    App();
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // The application object, or null while static initialisation has not built it yet.
    static App* Current();

    int Run(HINSTANCE instance);

    HINSTANCE Instance() const { return instance_; }
    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND hwnd) { mainWindow_ = hwnd; }
    // Caption of the program's message boxes.
    virtual std::string Title() const = 0;

protected:
    virtual bool InitInstance() = 0;
    // The process's exit code when the start-up hook ends the program.
    virtual int ExitCode() const { return 0; }

private:
    HINSTANCE instance_ = nullptr;
    HWND mainWindow_ = nullptr;
};

// The owner of the dialogs and message boxes opened without one: the application's main window while
// it exists, so that a click on it never hides them behind it; otherwise none.
HWND DefaultOwnerWindow();

// The module whose resources the program uses: the application's instance, or the program file's
// module before the application has run (and in test programs, which have no application object).
HINSTANCE ResourceInstance();

// Full path of the running program file.
std::string ModuleFileName();
// The process's current folder.
std::string CurrentFolder();
