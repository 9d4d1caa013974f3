#include "uninstaller/RemovalWin.h"

#include <shlobj.h>

#include <cstring>
#include <functional>
#include <initializer_list>

#include "framework/AnsiText.h"
#include "framework/App.h"
#include "framework/Handles.h"
#include "framework/LibraryFunction.h"
#include "framework/MessageBox.h"
#include "framework/SystemFacts.h"
#include "framework/SystemWin.h"
#include "framework/WideText.h"

bool PathExistsUnlessFileOrPathNotFound(const std::string& path)
{
    if (::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

namespace {
// Open for its attributes and identity only; without FILE_SHARE_DELETE nobody can rename or delete it
// while it is held. FILE_FLAG_OPEN_REPARSE_POINT opens a link itself where the system supports it.
UniqueFile OpenFolder(const std::string& path, bool followLink)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return UniqueFile(::CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, flags, nullptr));
}

bool SameObject(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return ::GetFileInformationByHandle(a, &first) && ::GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

// The current folder is the one held open last.
bool CurrentFolderIs(HANDLE held)
{
    UniqueFile current(::CreateFileW(L".", FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return current && SameObject(current.get(), held);
}
std::string ChildPath(const std::string& folder, const std::string& name)
{
    return ansi::EndsWithChar(folder, '\\') ? folder + name : folder + "\\" + name;
}

// Opens the file or folder `name` as itself (a link as the link where the system can) and makes sure it
// lies right inside `folder` (a final path): where the system opens what a link leads to instead (Wine),
// its final path is elsewhere, and whatever is done through the handle would be done to that.
UniqueFile OpenInsideFolder(const std::string& name, DWORD access, const std::optional<std::string>& folder)
{
    UniqueFile file(::CreateFileW(SystemPath(name).c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file || !folder) return file;
    const size_t slash = ansi::FindLastChar(name, '\\');
    std::optional<std::string> path = FinalPathOfHandle(file.get());
    if (path &&
        !ansi::EqualsNoCase(*path, ChildPath(*folder, slash == std::string::npos ? name : name.substr(slash + 1))))
        return UniqueFile();
    return file;
}

bool DeleteThroughHandle(HANDLE file, const std::string& name)
{
    using SetInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    static const auto setInformation =
        LoadedLibraryFunction<SetInformationFunction>(L"kernel32.dll", "SetFileInformationByHandle");
    // Before Windows Vista there are no file links, and a junction goes by its name as itself.
    if (!setInformation) {
        const std::wstring path = SystemPath(name);
        return ::RemoveDirectoryW(path.c_str()) != FALSE || ::DeleteFileW(path.c_str()) != FALSE;
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return setInformation(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

void ClearReadOnlyThrough(HANDLE file, const std::string& name)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) return;
    using SetInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    static const auto setInformation =
        LoadedLibraryFunction<SetInformationFunction>(L"kernel32.dll", "SetFileInformationByHandle");
    const DWORD attributes = info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY;
    if (!setInformation) {
        ::SetFileAttributesW(SystemPath(name).c_str(), attributes);
        return;
    }
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    setInformation(file, FileBasicInfo, &basic, sizeof basic);
}
}  // namespace

std::optional<std::string> FolderIdentity(const std::string& path)
{
    UniqueFile folder = OpenFolder(path, true);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder || !::GetFileInformationByHandle(folder.get(), &info)) return std::nullopt;
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
           std::to_string(info.nFileIndexLow);
}

bool RemoveFolderOrLink(const std::string& path)
{
    const std::wstring name = SystemPath(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return ::RemoveDirectoryW(name.c_str()) != FALSE;
    // A link goes only through a handle on the link itself. Some systems (Wine) open what the link leads
    // to whatever the flags say, and removing the folder by its name there removes that folder when it is
    // empty: such a link is left in place and counts as not removed.
    UniqueFile link(::CreateFileW(name.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!link || !::GetFileInformationByHandle(link.get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    return DeleteThroughHandle(link.get(), path);
}

bool DeleteFileItself(const std::string& path)
{
    // Wine shows no link attribute on a link to a file and deletes its target through it: the file must
    // lie in the folder its path names.
    const size_t slash = ansi::FindLastChar(path, '\\');
    std::optional<std::string> folder =
        slash == std::string::npos ? std::nullopt : FinalPathOf(slash == 2 ? path.substr(0, 3) : path.substr(0, slash));
    UniqueFile file = OpenInsideFolder(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, folder);
    if (!file) return false;
    // The system refuses to delete a read-only file.
    ClearReadOnlyThrough(file.get(), path);
    return DeleteThroughHandle(file.get(), path);
}

std::optional<std::string> FinalPathOfHandle(HANDLE handle)
{
    // Missing before Windows Vista: then the callers trust only paths without links.
    using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto finalPath =
        LoadedLibraryFunction<FinalPathFunction>(L"kernel32.dll", "GetFinalPathNameByHandleW");
    if (!finalPath) return std::nullopt;
    std::wstring buffer(MAX_PATH + 1, L'\0');
    DWORD length = finalPath(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = finalPath(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    if (length == 0 || length >= buffer.size()) return std::nullopt;
    buffer.resize(length);
    return Narrow(buffer);
}

std::optional<std::string> FinalPathOf(const std::string& path)
{
    UniqueFile folder = OpenFolder(path, true);
    if (!folder) return std::nullopt;
    return FinalPathOfHandle(folder.get());
}

PathKind QueryPath(const std::string& path)
{
    std::string query = path;
    // A share is asked for by its root, "\\server\share\".
    if (query.rfind("\\\\", 0) == 0 && query.find('\\', query.find('\\', 2) + 1) == std::string::npos) query += '\\';
    const DWORD attributes = ::GetFileAttributesW(SystemPath(query).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                              : PathKind::Unreachable;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return PathKind::File;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return PathKind::Folder;
    return OpenFolder(query, true) ? PathKind::LinkedFolder : PathKind::Unreachable;
}

std::optional<std::string> Win32RemovalFileSystem::CurrentFinalPath() const
{
    return held_.empty() ? std::nullopt : held_.back().finalPath;
}

bool Win32RemovalFileSystem::ChangeCurrentFolder(const std::string& path)
{
    return SetCurrentFolderPath(path);
}

bool Win32RemovalFileSystem::SetCurrentFolder(const std::string& path)
{
    // The folder is opened as itself first and must be what becomes current: a link put in its place
    // after the caller's checks leads elsewhere. The attributes by name are asked again once it is
    // current, since Wine opens a link's target even as itself.
    auto isRealFolder = [&path] {
        const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
               !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    };
    if (!isRealFolder()) return false;
    UniqueFile folder = OpenFolder(path, false);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder || !::GetFileInformationByHandle(folder.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    const std::string previous = ::CurrentFolder();
    if (!ChangeCurrentFolder(path)) return false;
    if (!CurrentFolderIs(folder.get()) || !isRealFolder()) {
        ChangeCurrentFolder(previous);
        return false;
    }
    std::optional<std::string> finalPath = FinalPathOfHandle(folder.get());
    held_.push_back({std::move(folder), std::move(finalPath)});
    return true;
}

std::string Win32RemovalFileSystem::Here(const std::string& name) const
{
    return detached_.empty() ? name : ChildPath(detached_, name);
}

EnterResult Win32RemovalFileSystem::EnterSubfolder(const std::string& name)
{
    // The attributes by name see a link even where an open handle does not (Wine opens its target).
    const DWORD attributes = ::GetFileAttributesW(SystemPath(Here(name)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return EnterResult::CannotEnter;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return EnterResult::NotTheListedFolder;
    UniqueFile folder = OpenFolder(Here(name), false);
    if (!folder) return EnterResult::CannotEnter;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(folder.get(), &info)) return EnterResult::CannotEnter;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return EnterResult::NotTheListedFolder;
    // The folder opened must lie right inside the current one, not wherever a link led.
    const std::optional<std::string> parentPath = CurrentFinalPath();
    std::optional<std::string> childPath = FinalPathOfHandle(folder.get());
    if (parentPath && childPath && !ansi::EqualsNoCase(*childPath, ChildPath(*parentPath, name)))
        return EnterResult::NotTheListedFolder;
    const std::string parent = CurrentFolder();
    // Too deep to be current: held open and worked in by full paths. The folder opened is the one
    // listed (its final path was checked above), and a link swapped in later is not followed through
    // its handle.
    const bool changed = detached_.empty() && ChangeCurrentFolder(name);
    if (!changed) {
        if (detached_.empty() && ::GetLastError() != ERROR_FILENAME_EXCED_RANGE) return EnterResult::CannotEnter;
        detached_ = ChildPath(parent, name);
        held_.push_back({std::move(folder), std::move(childPath)});
        return EnterResult::Entered;
    }
    // Swapped for a link since it was opened: the change followed the link, away from the folder held.
    if (!CurrentFolderIs(folder.get())) {
        ChangeCurrentFolder(parent);
        return EnterResult::NotTheListedFolder;
    }
    held_.push_back({std::move(folder), std::move(childPath)});
    return EnterResult::Entered;
}

bool Win32RemovalFileSystem::ReturnToFolder(const std::string& parent)
{
    // The subfolder is let go first: it is removed next, and a folder held open cannot be.
    if (!held_.empty()) held_.pop_back();
    if (!detached_.empty()) {
        if (!ansi::EqualsNoCase(parent, ::CurrentFolder())) {
            detached_ = parent;
            return !held_.empty();
        }
        detached_.clear();
        return !held_.empty() && CurrentFolderIs(held_.back().handle.get());
    }
    if (!ChangeCurrentFolder(parent)) return false;
    return !held_.empty() && CurrentFolderIs(held_.back().handle.get());
}

std::string Win32RemovalFileSystem::CurrentFolder()
{
    return detached_.empty() ? ::CurrentFolder() : detached_;
}

std::vector<FolderEntry> Win32RemovalFileSystem::ListCurrentFolder()
{
    // The whole listing is read before anything is deleted: entries removed behind an open find
    // handle may otherwise make it skip others.
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found{};
    UniqueFind find(::FindFirstFileW(SystemPath(Here("*.*")).c_str(), &found));
    if (!find) return entries;
    do {
        const std::string name = Narrow(found.cFileName);
        if (name == "." || name == "..") continue;
        FolderEntry entry;
        entry.name = name;
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.readOnly = (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        entry.isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(find.get(), &found));
    return entries;
}

void Win32RemovalFileSystem::ClearReadOnly(const std::string& name)
{
    // Through a handle on the entry itself: by name, Wine would change what a link leads to.
    UniqueFile file = OpenInsideFolder(Here(name), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, CurrentFinalPath());
    if (file) ClearReadOnlyThrough(file.get(), name);
}

bool Win32RemovalFileSystem::RemoveFile(const std::string& name)
{
    UniqueFile file = OpenInsideFolder(Here(name), DELETE | FILE_READ_ATTRIBUTES, CurrentFinalPath());
    return file && DeleteThroughHandle(file.get(), Here(name));
}

bool Win32RemovalFileSystem::RemoveFolder(const std::string& name)
{
    return RemoveFolderOrLink(Here(name));
}

void Win32RemovalFileSystem::ShowMessage(const std::string& text)
{
    AppMessageBox(text, MB_OK | MB_ICONWARNING);
}

bool RemoveFolderContents(const std::string& folder, const std::vector<std::string>& spared)
{
    Win32RemovalFileSystem fileSystem;
    return RemoveFolderContents(fileSystem, folder, spared);
}

namespace {
// The name and the string values `names` of every uninstall entry below HKEY_LOCAL_MACHINE, until
// `visit` returns true; whether it did.
bool VisitUninstallEntries(
    std::initializer_list<const char*> names,
    const std::function<bool(const std::string& entry, const std::vector<std::string>& values)>& visit)
{
    std::string parent = kUninstallKey;
    parent.pop_back();
    UniqueRegKey uninstall;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(parent).c_str(), 0, KEY_READ, uninstall.put()) != ERROR_SUCCESS)
        return false;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        const LONG status =
            ::RegEnumKeyExW(uninstall.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) continue;
        std::vector<std::string> values;
        for (const char* valueName : names) {
            wchar_t value[1024] = {};
            DWORD size = sizeof value - sizeof value[0];
            const bool read = ::RegGetValueW(uninstall.get(), name, Wide(valueName).c_str(), RRF_RT_REG_SZ, nullptr,
                                             value, &size) == ERROR_SUCCESS;
            values.push_back(read ? Narrow(std::wstring_view(value, ::wcsnlen(value, std::size(value))))
                                  : std::string());
        }
        if (visit(Narrow(std::wstring_view(name, nameLength)), values)) return true;
    }
    return false;
}
}  // namespace

std::vector<InstalledProduct> OtherInstallations(const std::string& productName)
{
    std::vector<InstalledProduct> found;
    VisitUninstallEntries({"UninstallString"}, [&](const std::string& name, const std::vector<std::string>& values) {
        if (ansi::EqualsNoCase(name, productName)) return false;
        // The folder begins at the first backquote: the program's path before it may hold blanks.
        const size_t open = ansi::FindChar(values[0], '`');
        if (open == std::string::npos) return false;
        std::optional<UninstallCommand> command = SplitUninstallCommandLine(std::string_view(values[0]).substr(open));
        if (command && ansi::EqualsNoCase(command->productName, name))
            found.push_back(InstalledProduct{*command, ReadInstallRecordValue(name)});
        return false;
    });
    return found;
}

bool UninstallerStillNamed(const std::string& path)
{
    auto runs = [&path](std::string command) {
        if (!command.empty() && command[0] == '"') command = command.substr(1);
        return ansi::StartsWithNoCase(command, path) &&
               (command.size() == path.size() || command[path.size()] == ' ' || command[path.size()] == '"');
    };
    return VisitUninstallEntries(
        {"UninstallString", "QuietUninstallString"},
        [&](const std::string&, const std::vector<std::string>& values) { return runs(values[0]) || runs(values[1]); });
}

namespace {
// Deletes the key a handle is open on, the handle itself naming it: deleting by path would follow a
// registry link in that path and delete its target.
void DeleteOpenKey(HKEY key, const std::string& keyPath)
{
    using DeleteKeyFunction = LONG(WINAPI*)(HANDLE);
    static const auto deleteKey = LoadedLibraryFunction<DeleteKeyFunction>(L"ntdll.dll", "NtDeleteKey");
    if (deleteKey) {
        deleteKey(key);
    } else {
        // Systems without it (the Windows 95 family) have no registry links either.
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(keyPath).c_str());
    }
}
}  // namespace

void DeleteRegistryKeyTree(HKEY key, const std::string& keyPath)
{
    DWORD subkeyCount = 0;
    const LONG status = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        CaptionedMessageBox(SystemErrorText(static_cast<DWORD>(status)), "Error", MB_OK | MB_ICONINFORMATION);
        return;
    }
    // An empty path names HKEY_LOCAL_MACHINE itself.
    if (keyPath.empty()) return;
    // Last index first: the indices below stay valid while keys disappear.
    for (DWORD index = subkeyCount; index-- > 0;) {
        wchar_t name[1024] = {};
        DWORD length = static_cast<DWORD>(std::size(name));
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            length == 0)
            continue;
        const std::string path = keyPath + "\\" + Narrow(std::wstring_view(name, length));
        // A link is opened as itself (it has no subkeys then) and deleted as itself; its target stays.
        UniqueRegKey subkey;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS,
                            subkey.put()) != ERROR_SUCCESS)
            continue;
        DeleteRegistryKeyTree(subkey.get(), path);
    }
    DeleteOpenKey(key, keyPath);
}

std::vector<std::string> ProtectedFolders()
{
    std::vector<std::string> folders;
    auto add = [&folders](const std::string& path) {
        if (!path.empty()) folders.push_back(path);
    };
    wchar_t buffer[MAX_PATH + 1] = {};
    UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) add(Narrow(buffer));
    n = ::GetSystemDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) add(Narrow(buffer));
    n = ::GetSystemWow64DirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) add(Narrow(buffer));
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
        wchar_t path[MAX_PATH + 1] = {};
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) add(Narrow(path));
    }
    const wchar_t* kVariables[] = {
        L"SystemRoot",         L"windir",      L"ProgramFiles",    L"ProgramFiles(x86)", L"ProgramW6432",
        L"CommonProgramFiles", L"ProgramData", L"ALLUSERSPROFILE", L"USERPROFILE",       L"PUBLIC"};
    for (const wchar_t* variable : kVariables) {
        wchar_t value[MAX_PATH + 1] = {};
        const DWORD length = ::GetEnvironmentVariableW(variable, value, MAX_PATH);
        if (length > 0 && length < MAX_PATH) add(Narrow(value));
    }
    if (::GetWindowsDirectoryW(buffer, MAX_PATH) > 0) {
        const std::string windows = Narrow(buffer);
        // The 64-bit system folder as a 32-bit program sees it, and the old name of the Users folder.
        add(windows + "\\Sysnative");
        if (windows.size() >= 2 && windows[1] == ':') add(windows.substr(0, 2) + "\\Documents and Settings");
    }
    // The Users folder: the folder that holds the profiles.
    wchar_t profile[MAX_PATH + 1] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile))) {
        std::string users = Narrow(profile);
        const size_t slash = ansi::FindLastChar(users, '\\');
        if (slash != std::string::npos && slash > 3) add(users.substr(0, slash));
    }
    return folders;
}
