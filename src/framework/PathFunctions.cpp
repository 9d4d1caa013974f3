#include "framework/PathFunctions.h"

#include <windows.h>

#include "framework/PathText.h"

bool PathExistsUnlessFileNotFound(const std::string& path)
{
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return ::GetLastError() != ERROR_FILE_NOT_FOUND;
}

bool CreateDirectoryPath(const std::string& path)
{
    auto steps = DirectoryPathSteps(path);
    if (!steps) return false;
    for (const std::string& folder : *steps)
        ::CreateDirectoryA(folder.c_str(), nullptr);
    return true;
}

unsigned long RenameFileInto(const std::string& from, const std::string& to, bool replace)
{
    if (::MoveFileExA(from.c_str(), to.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) return 0;
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

void RemoveFileIfThere(const std::string& path)
{
    if (::DeleteFileA(path.c_str()) || ::GetLastError() != ERROR_ACCESS_DENIED) return;
    // A copy from a CD arrives read-only until its attributes are cleared.
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path.c_str());
}

std::optional<unsigned> SystemFiles::GetAttributes(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

void SystemFiles::SetAttributes(const std::string& path, unsigned attributes)
{
    ::SetFileAttributesA(path.c_str(), attributes);
}

unsigned long SystemFiles::RenameFile(const std::string& from, const std::string& to, bool replace)
{
    return RenameFileInto(from, to, replace);
}

void SystemFiles::RemoveFile(const std::string& path)
{
    RemoveFileIfThere(path);
}
