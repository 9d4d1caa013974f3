#include "framework/PathFunctions.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "framework/Handles.h"
#include "framework/LibraryFunction.h"
#include "framework/PathText.h"
#include "framework/WideText.h"

bool PathExistsUnlessFileNotFound(const std::string& path)
{
    if (::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return ::GetLastError() != ERROR_FILE_NOT_FOUND;
}

bool CreateDirectoryPath(const std::string& path,
                         const std::function<void(const std::string& folder, bool created)>& met)
{
    auto steps = DirectoryPathSteps(path);
    if (!steps) return false;
    for (const std::string& folder : *steps) {
        const bool created = ::CreateDirectoryW(SystemPath(folder).c_str(), nullptr) != FALSE;
        if (met) met(folder, created);
    }
    return true;
}

unsigned long RenameFileInto(const std::string& from, const std::string& to, bool replace)
{
    if (::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0))
        return 0;
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

std::optional<unsigned long> RenameOpenFile(void* file, const std::string& to, bool replace)
{
    using SetInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    // Looked up, so that the program still starts on systems older than Windows Vista.
    static const auto setInformation =
        LoadedLibraryFunction<SetInformationFunction>(L"kernel32.dll", "SetFileInformationByHandle");
    if (!setInformation || to.size() < 3 || to[1] != ':' || to[2] != '\\') return std::nullopt;
    // The system's own form of a full path, which the call takes as it is.
    const std::wstring name = L"\\??\\" + Wide(to);
    std::vector<unsigned char> block(sizeof(FILE_RENAME_INFO) + (name.size() + 1) * sizeof(WCHAR));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(WCHAR));
    std::copy(name.begin(), name.end(), info->FileName);
    info->FileName[name.size()] = L'\0';
    if (setInformation(file, FileRenameInfo, info, static_cast<DWORD>(block.size()))) return 0ul;
    const DWORD error = ::GetLastError();
    if (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED ||
        error == ERROR_INVALID_FUNCTION)
        return std::nullopt;
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

void RemoveFileIfThere(const std::string& path)
{
    const std::wstring name = SystemPath(path);
    if (::DeleteFileW(name.c_str()) || ::GetLastError() != ERROR_ACCESS_DENIED) return;
    // A copy from a CD arrives read-only until its attributes are cleared.
    ::SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(name.c_str());
}

std::optional<unsigned> SystemFiles::GetAttributes(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

void SystemFiles::SetAttributes(const std::string& path, unsigned attributes)
{
    ::SetFileAttributesW(SystemPath(path).c_str(), attributes);
}

unsigned long SystemFiles::RenameFile(const std::string& from, const std::string& to, bool replace)
{
    return RenameFileInto(from, to, replace);
}

void SystemFiles::RemoveFile(const std::string& path)
{
    RemoveFileIfThere(path);
}

bool SystemFiles::InUse(const std::string& path)
{
    UniqueFile file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

unsigned long ReplaceAtRestart(const std::string& pending, const std::string& path)
{
    if (::MoveFileExW(SystemPath(pending).c_str(), SystemPath(path).c_str(),
                      MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
        return 0;
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}
