#include "ScriptTestSupport.h"

#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

namespace scripttest {

namespace {
std::mutex textsMutex;

// The first visible dialog window (a message box) of the thread.
BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param)
{
    char cls[16] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (::lstrcmpA(cls, "#32770") != 0 || !::IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}
}  // namespace

std::string MakeTempFolder(const std::string& tag)
{
    static int counter = 0;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string base(temp);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    for (;;) {
        const std::string path =
            base + "\\script-" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
        if (::CreateDirectoryA(path.c_str(), nullptr)) return path;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return path;
    }
}

std::string HelperFolder()
{
    char module[MAX_PATH];
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path(module);
    return path.substr(0, path.find_last_of('\\')) + "\\script-files";
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

MessageBoxAnswerer::MessageBoxAnswerer(int button)
    : thread_(::GetCurrentThreadId()), button_(button), watcher_([this] { Watch(); })
{
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    stop_ = true;
    watcher_.join();
}

std::vector<std::string> MessageBoxAnswerer::Texts()
{
    std::lock_guard<std::mutex> lock(textsMutex);
    return texts_;
}

void MessageBoxAnswerer::Watch()
{
    while (!stop_) {
        HWND box = nullptr;
        ::EnumThreadWindows(thread_, &FindDialog, reinterpret_cast<LPARAM>(&box));
        if (box) {
            char text[2048] = {};
            ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            {
                std::lock_guard<std::mutex> lock(textsMutex);
                texts_.emplace_back(text);
            }
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
            // Let the box close before looking again, so one box is not read twice.
            for (int i = 0; i < 100 && ::IsWindow(box); ++i)
                ::Sleep(20);
        }
        ::Sleep(50);
    }
}

}  // namespace scripttest
