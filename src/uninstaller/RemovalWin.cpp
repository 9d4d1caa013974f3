#include "uninstaller/RemovalWin.h"

#include <shlobj.h>

#include "framework/App.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"

bool PathExists(const std::string& path)
{
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool Win32RemovalFileSystem::SetCurrentFolder(const std::string& path)
{
    return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}

std::string Win32RemovalFileSystem::CurrentFolder()
{
    return ::CurrentFolder();
}

std::vector<FolderEntry> Win32RemovalFileSystem::ListCurrentFolder()
{
    // The whole listing is read before anything is deleted: entries removed behind an open find
    // handle may otherwise make it skip others.
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found{};
    UniqueFind find(::FindFirstFileA("*.*", &found));
    if (!find) return entries;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        FolderEntry entry;
        entry.name = name;
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.readOnly = (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        entry.isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back(std::move(entry));
    } while (::FindNextFileA(find.get(), &found));
    return entries;
}

void Win32RemovalFileSystem::ClearReadOnly(const std::string& name)
{
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesA(name.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool Win32RemovalFileSystem::RemoveFile(const std::string& name)
{
    return ::DeleteFileA(name.c_str()) != FALSE;
}

bool Win32RemovalFileSystem::RemoveFolder(const std::string& name)
{
    return ::RemoveDirectoryA(name.c_str()) != FALSE;
}

void Win32RemovalFileSystem::ShowMessage(const std::string& text)
{
    AppMessageBox(text, MB_OK | MB_ICONWARNING);
}

void RemoveFolderContents(const std::string& folder)
{
    Win32RemovalFileSystem fileSystem;
    RemoveFolderContents(fileSystem, folder);
}

void DeleteRegistryKeyTree(HKEY key, const std::string& keyPath)
{
    DWORD subkeyCount = 0;
    const LONG status = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        CaptionedMessageBox(SystemErrorText(static_cast<DWORD>(status)), "Error", MB_OK | MB_ICONINFORMATION);
        return;
    }
    // An empty path names HKEY_LOCAL_MACHINE itself.
    if (keyPath.empty()) return;
    // Last index first: the indices below stay valid while keys disappear.
    for (DWORD index = subkeyCount; index-- > 0;) {
        char name[1024] = {};
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            length == 0)
            continue;
        const std::string path = keyPath + "\\" + std::string(name, length);
        UniqueRegKey subkey;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, subkey.put()) != ERROR_SUCCESS)
            continue;
        DeleteRegistryKeyTree(subkey.get(), path);
    }
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str());
}

bool IsAdministrator()
{
    UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE));
    return static_cast<bool>(manager);
}

std::vector<std::string> ProtectedFolders()
{
    std::vector<std::string> folders;
    auto add = [&folders](const std::string& path) {
        if (!path.empty()) folders.push_back(path);
    };
    char buffer[MAX_PATH + 1] = {};
    UINT n = ::GetWindowsDirectoryA(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) add(buffer);
    n = ::GetSystemDirectoryA(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) add(buffer);
    n = ::GetSystemWow64DirectoryA(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) add(buffer);
    const int kFolders[] = {CSIDL_WINDOWS,
                            CSIDL_SYSTEM,
                            CSIDL_PROGRAM_FILES,
                            CSIDL_PROGRAM_FILESX86,
                            CSIDL_PROGRAM_FILES_COMMON,
                            CSIDL_COMMON_APPDATA,
                            CSIDL_PROFILE,
                            CSIDL_APPDATA,
                            CSIDL_LOCAL_APPDATA,
                            CSIDL_DESKTOPDIRECTORY,
                            CSIDL_COMMON_DESKTOPDIRECTORY,
                            CSIDL_PERSONAL,
                            CSIDL_COMMON_DOCUMENTS,
                            CSIDL_MYPICTURES,
                            CSIDL_FAVORITES,
                            CSIDL_STARTMENU,
                            CSIDL_COMMON_STARTMENU,
                            CSIDL_PROGRAMS,
                            CSIDL_COMMON_PROGRAMS,
                            CSIDL_STARTUP,
                            CSIDL_FONTS};
    for (int folder : kFolders) {
        char path[MAX_PATH + 1] = {};
        if (SUCCEEDED(::SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) add(path);
    }
    const char* kVariables[] = {
        "SystemRoot",         "windir",      "ProgramFiles",    "ProgramFiles(x86)", "ProgramW6432",
        "CommonProgramFiles", "ProgramData", "ALLUSERSPROFILE", "USERPROFILE",       "PUBLIC"};
    for (const char* variable : kVariables) {
        char value[MAX_PATH + 1] = {};
        const DWORD length = ::GetEnvironmentVariableA(variable, value, MAX_PATH);
        if (length > 0 && length < MAX_PATH) add(value);
    }
    // The Users folder: the folder that holds the profiles.
    char profile[MAX_PATH + 1] = {};
    if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile))) {
        std::string users = profile;
        const size_t slash = users.find_last_of('\\');
        if (slash != std::string::npos && slash > 3) add(users.substr(0, slash));
    }
    return folders;
}
