#include "framework/App.h"

#include "framework/AnsiText.h"

namespace {
App* currentApp = nullptr;

bool IsLeadByteInAnsiCodePage(unsigned char c)
{
    return ::IsDBCSLeadByte(c) != FALSE;
}
}  // namespace

App::App()
{
    currentApp = this;
    ansi::SetLeadByteTest(&IsLeadByteInAnsiCodePage);
}

App::~App()
{
    if (currentApp == this) currentApp = nullptr;
}

App* App::Current()
{
    return currentApp;
}

int App::Run(HINSTANCE instance)
{
    instance_ = instance;
    bool keepRunning = false;
    try {
        keepRunning = InitInstance();
    } catch (...) {
        keepRunning = false;
    }
    if (!keepRunning) return ExitCode();
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

HINSTANCE ResourceInstance()
{
    App* app = App::Current();
    return app && app->Instance() ? app->Instance() : ::GetModuleHandleA(nullptr);
}

HWND DefaultOwnerWindow()
{
    App* app = App::Current();
    HWND main = app ? app->MainWindow() : nullptr;
    return main && ::IsWindow(main) ? main : nullptr;
}

std::string ModuleFileName()
{
    char path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : MAX_PATH - 1);
}

std::string CurrentFolder()
{
    DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::string buffer(needed, '\0');
    DWORD n = ::GetCurrentDirectoryA(needed, buffer.data());
    buffer.resize(n < needed ? n : 0);
    return buffer;
}
