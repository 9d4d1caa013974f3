#include "scripts/ScriptPlatformWin.h"

#include <cstring>
#include <new>
#include <vector>

#include "framework/ComPtr.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/MessagePump.h"
#include "framework/PathFunctions.h"
#include "framework/RunLog.h"
#include "framework/SystemWin.h"
#include "framework/WideText.h"
#include "scripts/Shortcuts.h"
#include "settings/SectionRecords.h"
#include "settings/SettingsWin.h"

namespace {
// One log line per operation of a script command, with the system's reason when it failed.
void LogOperation(bool done, const std::string& what)
{
    const DWORD error = done ? 0 : ::GetLastError();
    if (done) {
        LogLine("  " + what + ": done");
    } else {
        LogError("  " + what + ": failed: " + SystemErrorText(error));
    }
}
}  // namespace

FileVersion ReadFileVersionResource(const std::string& path)
{
    DWORD ignored = 0;
    const std::wstring name = SystemPath(path);
    const DWORD size = ::GetFileVersionInfoSizeW(name.c_str(), &ignored);
    if (size == 0) return {};

    std::vector<wchar_t> block;
    try {
        block.resize(size / sizeof(wchar_t) + 1);
    } catch (const std::bad_alloc&) {
        CaptionedMessageBox("Setup ran out of memory.", "Out of Memory", MB_OK);
        return {};
    }
    if (!::GetFileVersionInfoW(name.c_str(), 0, size, block.data())) return {};

    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\StringFileInfo\\040904E4\\FileVersion", &value, &length) ||
        value == nullptr || length == 0)
        return {};
    // The text must lie inside the block; it need not be terminated within it.
    const wchar_t* text = static_cast<const wchar_t*>(value);
    const wchar_t* end = block.data() + block.size();
    if (text < block.data() || text >= end) return {};
    const size_t available = std::min<size_t>(static_cast<size_t>(end - text), length);
    return ParseFileVersionText(Narrow(std::wstring_view(text, ::wcsnlen(text, available))));
}

bool WinScriptPlatform::PathExists(const std::string& path)
{
    return ::PathExistsUnlessFileNotFound(path);
}

unsigned long WinScriptPlatform::CopyOneFile(const std::string& source, const std::string& destination)
{
    if (::CopyFileW(SystemPath(source).c_str(), SystemPath(destination).c_str(), FALSE)) return 0;
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

unsigned long WinScriptPlatform::RenameFile(const std::string& from, const std::string& to, bool replace)
{
    return SystemFiles().RenameFile(from, to, replace);
}

void WinScriptPlatform::RemoveFile(const std::string& path)
{
    SystemFiles().RemoveFile(path);
}

FileVersion WinScriptPlatform::ReadFileVersion(const std::string& path)
{
    return ReadFileVersionResource(path);
}

bool WinScriptPlatform::IsNtFamily()
{
    return osVersion.IsNtFamily();
}

bool WinScriptPlatform::FoundOnSearchPath(const std::string& name, const std::string& extension)
{
    wchar_t found[MAX_PATH];
    wchar_t* filePart = nullptr;
    return ::SearchPathW(nullptr, Wide(name).c_str(), Wide(extension).c_str(), MAX_PATH, found, &filePart) != 0;
}

void WinScriptPlatform::DeleteOneFile(const std::string& path)
{
    LogOperation(::DeleteFileW(SystemPath(path).c_str()) != FALSE, "delete " + path);
}

unsigned long WinScriptPlatform::MoveOneFile(const std::string& from, const std::string& to)
{
    if (::MoveFileW(SystemPath(from).c_str(), SystemPath(to).c_str())) {
        LogLine("  rename " + from + " to " + to + ": done");
        // A file of the book keeps being the book's under its new name.
        InstallRecord& record = SectionRecord(setupSettings.currentSection);
        if (record.Has(RecordKind::File, from)) record.Add(RecordKind::File, to);
        return 0;
    }
    const DWORD error = ::GetLastError();
    LogLine("  rename " + from + " to " + to + ": " + SystemErrorText(error));
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

void WinScriptPlatform::Pause(unsigned milliseconds)
{
    ::Sleep(milliseconds);
}

std::string WinScriptPlatform::ErrorText(unsigned long code)
{
    return SystemErrorText(code);
}

void WinScriptPlatform::CreateDirectoryPath(const std::string& path)
{
    ::CreateDirectoryPath(path, [](const std::string& folder, bool created) {
        RecordCreated(setupSettings.currentSection, RecordKind::Folder, folder, created);
    });
}

void WinScriptPlatform::UseSharedFile(const std::string& path, bool created)
{
    // The existence test also says "present" for a file whose folder is missing: nothing to count.
    if (!created && ::GetFileAttributesW(SystemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) return;
    // Counted once per section: an install of the section again finds the file in its record.
    InstallRecord& record = SectionRecord(setupSettings.currentSection);
    if (!record.Has(RecordKind::SharedFile, path)) {
        if (!RaiseSharedCount(path)) {
            LogError("  shared count of " + path + " not raised");
            return;
        }
        LogLine("  shared count of " + path + " raised");
    }
    record.Add(created || CreatedThisRun(path) ? RecordKind::CreatedSharedFile : RecordKind::SharedFile, path, created);
}

void WinScriptPlatform::CreateShortcut(const std::string& target, const std::string& linkPath)
{
    ComInitGuard com;
    const HRESULT result = CreateShortcutFile(target, linkPath, "");
    if (SUCCEEDED(result)) {
        LogLine("  shortcut " + linkPath + " to " + target + ": done");
        SectionRecord(setupSettings.currentSection).Add(RecordKind::File, linkPath);
    } else {
        LogError("  shortcut " + linkPath + " to " + target +
                 ": failed: " + SystemErrorText(static_cast<DWORD>(result)));
    }
}

ScriptPlatform::RunResult WinScriptPlatform::RunProgram(const std::string& program, const std::string& commandLine,
                                                        unsigned long& errorCode)
{
    // The program path goes in as the program to run, so a blank in it can never make the system
    // pick another program; the command line is writable, as CreateProcessW requires.
    std::wstring arguments = Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES processAttributes{sizeof processAttributes, nullptr, TRUE};
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(Wide(program).c_str(), arguments.data(), &processAttributes, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info)) {
        errorCode = ::GetLastError();
        LogError("  run " + program + ": not started: " + SystemErrorText(errorCode));
        return RunResult::NotStarted;
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    const bool ended = WaitHandlingMessages(process.get());
    DWORD exitCode = 0;
    if (ended && ::GetExitCodeProcess(process.get(), &exitCode)) {
        LogLine("  run " + program + ": ended with exit code " + std::to_string(exitCode));
    }
    return ended ? RunResult::Ended : RunResult::WaitFailed;
}

std::optional<unsigned> WinScriptPlatform::GetAttributes(const std::string& path)
{
    return SystemFiles().GetAttributes(path);
}

void WinScriptPlatform::SetAttributes(const std::string& path, unsigned attributes)
{
    LogOperation(::SetFileAttributesW(SystemPath(path).c_str(), attributes) != FALSE, "attributes of " + path);
}

void WinScriptPlatform::ShowMessage(const std::string& text)
{
    // Every message of a script command reports a command that did not do its work.
    FailureMessageBox(text);
}

void WinScriptPlatform::ReportFailure(const std::string& text)
{
    ShowMessage(text);
}

bool WinScriptPlatform::AskRetry(const std::string& text)
{
    // A retry that then works is no failure; Cancel leaves the command undone.
    if (AppMessageBox(text, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY) return true;
    LogError("  cancelled: " + text);
    return false;
}
