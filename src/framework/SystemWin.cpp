#include "framework/SystemWin.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "framework/Handles.h"
#include "framework/RunLog.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"

OsVersion QueryOsVersion()
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info)) return OsVersion{};
#pragma GCC diagnostic pop
    return OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

bool IsAdministrator()
{
    UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE));
    return static_cast<bool>(manager);
}

bool IsProductInstalled(const std::string& productName)
{
    UniqueRegKey key;
    const std::string path = kUninstallKey + productName;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

std::optional<std::string> InstalledUninstallString(const std::string& productName)
{
    UniqueRegKey key;
    const std::string path = kUninstallKey + productName;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t value[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof value - sizeof value[0];
    if (::RegQueryValueExW(key.get(), L"UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    return Narrow(std::wstring_view(value, ::wcsnlen(value, size / sizeof value[0])));
}

namespace {
constexpr wchar_t kRecordValueName[] = L"InstallRecord";
}  // namespace

std::optional<std::string> ReadInstallRecordValue(const std::string& productName)
{
    UniqueRegKey key;
    const std::string path = kUninstallKey + productName;
    // A link in place of the entry is opened as itself and holds no record.
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), kRecordValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_MULTI_SZ) return std::string();
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD filled = size;
    if (::RegQueryValueExW(key.get(), kRecordValueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                           &filled) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return std::string();
    data.resize(std::min<size_t>(filled / sizeof(wchar_t), data.size()));
    return Narrow(data);
}

bool WriteInstallRecordValue(const std::string& productName, const InstallRecord& record,
                             const std::string& installFolder)
{
    UniqueRegKey key;
    const std::string path = kUninstallKey + productName;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), REG_OPTION_OPEN_LINK, KEY_SET_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return false;
    // The system's form made straight from the record, in a buffer of the exact size: the record of a
    // book of many files is megabytes. The string's own terminator is the NUL that ends the list after
    // the NUL of the last string.
    size_t units = 0;
    WriteInstallRecord(record, installFolder, [&](std::string_view part) { units += Utf16Length(part); });
    std::u16string data;
    data.reserve(units);
    WriteInstallRecord(record, installFolder, [&](std::string_view part) { data += Utf16FromUtf8(part); });
    return ::RegSetValueExW(key.get(), kRecordValueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(char16_t))) == ERROR_SUCCESS;
}

namespace {
std::optional<DWORD> SharedCount(HKEY key, const std::string& path)
{
    DWORD type = 0, count = 0, size = sizeof count;
    if (::RegQueryValueExW(key, Wide(path).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof count)
        return std::nullopt;
    return count;
}
}  // namespace

bool RaiseSharedCount(const std::string& path)
{
    UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(kSharedDllsKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD count = SharedCount(key.get(), path).value_or(0) + 1;
    return ::RegSetValueExW(key.get(), Wide(path).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                            sizeof count) == ERROR_SUCCESS;
}

std::optional<unsigned long> ReleaseSharedCount(const std::string& path)
{
    UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kSharedDllsKey).c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::optional<DWORD> count = SharedCount(key.get(), path);
    if (!count) return std::nullopt;
    if (*count <= 1) {
        ::RegDeleteValueW(key.get(), Wide(path).c_str());
        // The key goes with its last count, so that a PC that had none is left as it was.
        DWORD values = 1, subkeys = 1;
        if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
            values == 0 && subkeys == 0) {
            key.reset();
            ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(kSharedDllsKey).c_str());
        }
        return 0;
    }
    const DWORD left = *count - 1;
    ::RegSetValueExW(key.get(), Wide(path).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&left), sizeof left);
    return left;
}

namespace {
// Names tried before the log is given up; another run's log of the same product takes one each.
constexpr int kLogNamesTried = 100;

// CREATE_NEW fails on any name that exists, a link to nothing included, so nothing planted is followed;
// FILE_FLAG_OPEN_REPARSE_POINT keeps it that way should the name become a link under way.
std::FILE* CreateNewPlainFile(const std::string& path, DWORD& error)
{
    UniqueFile file(::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
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
