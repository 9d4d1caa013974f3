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
