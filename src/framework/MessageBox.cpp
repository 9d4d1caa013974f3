#include "framework/MessageBox.h"

#include "framework/App.h"
#include "framework/Handles.h"

int AppMessageBox(const std::string& text, UINT flags, HWND owner)
{
    App* app = App::Current();
    const std::string caption = app ? app->Title() : ModuleFileName();
    return ::MessageBoxA(owner ? owner : DefaultOwnerWindow(), text.c_str(), caption.c_str(), flags);
}

int CaptionedMessageBox(const std::string& text, const std::string& caption, UINT flags)
{
    return ::MessageBoxA(DefaultOwnerWindow(), text.c_str(), caption.c_str(), flags);
}

std::string SystemErrorText(DWORD code)
{
    char* buffer = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                               reinterpret_cast<char*>(&buffer), 0, nullptr);
    UniqueLocalMemory owner(buffer);
    if (n == 0 || buffer == nullptr) return "Error " + std::to_string(code);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}
