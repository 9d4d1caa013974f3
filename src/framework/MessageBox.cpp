#include "framework/MessageBox.h"

#include "framework/App.h"
#include "framework/Handles.h"
#include "framework/RunLog.h"
#include "framework/WideText.h"

namespace {
// Every box goes into the log. Unattended, none is shown: the box counts as a failure of the run and
// takes the answer that changes nothing more: No, Cancel, or OK where that is the only button.
int LogMessageBox(const std::string& text, UINT flags, bool& shown)
{
    shown = !IsUnattended();
    if (shown) {
        LogLine("message: " + text);
        return 0;
    }
    LogError("error: " + text);
    switch (flags & MB_TYPEMASK) {
        case MB_YESNO:
            return IDNO;
        case MB_OKCANCEL:
        case MB_RETRYCANCEL:
        case MB_YESNOCANCEL:
            return IDCANCEL;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        default:
            return IDOK;
    }
}

int ShowAppBox(const std::string& text, UINT flags, HWND owner)
{
    App* app = App::Current();
    const std::string caption = app ? app->Title() : ModuleFileName();
    return ::MessageBoxW(owner ? owner : DefaultOwnerWindow(), Wide(text).c_str(), Wide(caption).c_str(), flags);
}
}  // namespace

int AppMessageBox(const std::string& text, UINT flags, HWND owner)
{
    bool shown = false;
    const int answer = LogMessageBox(text, flags, shown);
    if (!shown) return answer;
    return ShowAppBox(text, flags, owner);
}

int FailureMessageBox(const std::string& text, UINT flags, HWND owner)
{
    // Unattended, every box is counted already.
    if (IsUnattended()) return AppMessageBox(text, flags, owner);
    LogError("error: " + text);
    return ShowAppBox(text, flags, owner);
}

int CaptionedMessageBox(const std::string& text, const std::string& caption, UINT flags)
{
    bool shown = false;
    const int answer = LogMessageBox(caption + ": " + text, flags, shown);
    if (!shown) return answer;
    return ::MessageBoxW(DefaultOwnerWindow(), Wide(text).c_str(), Wide(caption).c_str(), flags);
}

std::string SystemErrorText(DWORD code)
{
    wchar_t* buffer = nullptr;
    DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    UniqueLocalMemory owner(buffer);
    if (n == 0 || buffer == nullptr) return "Error " + std::to_string(code);
    std::string text = Narrow(std::wstring_view(buffer, n));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}
