#include "framework/App.h"

#include <cstdio>

#include "framework/AnsiText.h"
#include "framework/RunLog.h"
#include "framework/WideText.h"

namespace {
App* currentApp = nullptr;

std::FILE* OpenLogFile(const std::string& path)
{
    return ::_wfopen(SystemPath(path).c_str(), L"wb");
}
}  // namespace

App::App()
{
    RunLog::SetFileOpener(&OpenLogFile);
    currentApp = this;
    ansi::UseUtf8();
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
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

HINSTANCE ResourceInstance()
{
    App* app = App::Current();
    return app && app->Instance() ? app->Instance() : ::GetModuleHandleW(nullptr);
}

HWND DefaultOwnerWindow()
{
    App* app = App::Current();
    HWND main = app ? app->MainWindow() : nullptr;
    return main && ::IsWindow(main) ? main : nullptr;
}

std::string ModuleFileName()
{
    // The buffer grows until the whole name fits: a program may lie deeper than 260 characters.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return PlainPath(Narrow(std::wstring_view(path.data(), n)));
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::string CurrentFolder()
{
    DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::wstring buffer(needed, L'\0');
    DWORD n = ::GetCurrentDirectoryW(needed, buffer.data());
    buffer.resize(n < needed ? n : 0);
    return Narrow(buffer);
}
