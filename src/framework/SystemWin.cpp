#include "framework/SystemWin.h"

#include <windows.h>

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
