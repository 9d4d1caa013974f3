#include "framework/SystemWin.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "framework/Handles.h"
#include "framework/RunLog.h"

OsVersion QueryOsVersion()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&info)) return OsVersion{};
#pragma GCC diagnostic pop
    return OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

bool IsAdministrator()
{
    UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE));
    return static_cast<bool>(manager);
}

bool IsProductInstalled(const std::string& productName)
{
    UniqueRegKey key;
    const std::string path = kUninstallKey + productName;
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

std::optional<std::string> InstalledUninstallString(const std::string& productName)
{
    UniqueRegKey key;
    const std::string path = kUninstallKey + productName;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    char value[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof value - 1;
    if (::RegQueryValueExA(key.get(), "UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    return std::string(value, ::strnlen(value, size));
}

namespace {
// Names tried before the log is given up; another run's log of the same product takes one each.
constexpr int kLogNamesTried = 100;

// CREATE_NEW fails on any name that exists, a link to nothing included, so nothing planted is followed;
// FILE_FLAG_OPEN_REPARSE_POINT keeps it that way should the name become a link under way.
std::FILE* CreateNewPlainFile(const std::string& path, DWORD& error)
{
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    error = file ? ERROR_SUCCESS : ::GetLastError();
    if (!file) return nullptr;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        info.nNumberOfLinks != 1) {
        error = ERROR_ALREADY_EXISTS;
        return nullptr;
    }
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_WRONLY | _O_BINARY);
    if (descriptor == -1) return nullptr;
    file.release();  // the descriptor owns the handle now
    std::FILE* stream = ::_fdopen(descriptor, "wb");
    if (!stream) ::_close(descriptor);
    return stream;
}
}  // namespace

bool OpenNewRunLog(const std::string& folder, const std::string& fileName)
{
    if (folder.empty()) {
        TheRunLog().TurnOff();
        return false;
    }
    for (int number = 1; number <= kLogNamesTried; ++number) {
        const std::string path = folder + NumberedLogFileName(fileName, number);
        DWORD error = ERROR_SUCCESS;
        if (std::FILE* file = CreateNewPlainFile(path, error)) return TheRunLog().Adopt(file, path);
        // A folder of that name is refused with "access denied"; anything else ends the search.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) break;
    }
    TheRunLog().TurnOff();
    return false;
}
