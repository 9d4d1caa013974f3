#include "framework/SystemWin.h"

#include <windows.h>

#include <cstring>

#include "framework/Handles.h"

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
