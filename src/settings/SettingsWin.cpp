#include "settings/SettingsWin.h"

#include <vector>

#include "framework/MessageBox.h"
#include "framework/RunLog.h"
#include "framework/SystemWin.h"
#include "framework/WideText.h"
#include "settings/UninstallEntry.h"

std::string PrivateProfileFile::Read(const std::string& section, const std::string& key, const std::string& fallback)
{
    std::vector<char> buffer(kProfileValueLimit + 1, '\0');
    DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                         static_cast<DWORD>(buffer.size()), path_.c_str());
    if (n >= buffer.size()) n = static_cast<DWORD>(buffer.size() - 1);
    // The author's files are in the system's code page: the value is cut to its limit in those bytes,
    // as the profile functions read it, and only then made the programs' text.
    return Utf8FromAnsi(std::string_view(buffer.data(), n));
}

bool ShellFoldersKey::Open()
{
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                           0, KEY_READ, key_.put()) == ERROR_SUCCESS;
}

std::optional<std::string> ShellFoldersKey::Read(const std::string& name)
{
    if (!key_) return std::nullopt;
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    if (::RegQueryValueExW(key_.get(), Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    // A registry string need not be terminated: take at most what was returned.
    return Narrow(std::wstring_view(buffer, ::wcsnlen(buffer, size / sizeof(wchar_t))));
}

void SettingsWarningBoxes::Show(const std::string& text)
{
    // A finding of the settings check is a warning: the run goes on, so it is not counted as a failure.
    if (IsUnattended()) {
        LogLine("warning: " + text);
        return;
    }
    LogLine("message: " + text);
    ::MessageBoxW(nullptr, Wide(text).c_str(), L"Error!", MB_OK | MB_ICONWARNING);
}

void AppMessageBoxes::Show(const std::string& text)
{
    AppMessageBox(text, MB_OK | MB_ICONWARNING);
}

void LoadStartupSettings(SetupSettings& settings)
{
    PrivateProfileFile ini(".\\SETUP.INI");
    PrivateProfileFile texts(".\\SETUP.TXT");
    SettingsWarningBoxes warnings;
    settings.Load(ini, texts, warnings, [](const std::string& name) {
        return ::GetFileAttributesW(SystemPath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

void BuildSpecialFolders(SpecialFolderTable& table, SetupSettings& settings)
{
    wchar_t windowsDir[MAX_PATH] = {};
    wchar_t systemDir[MAX_PATH] = {};
    UINT n = ::GetWindowsDirectoryW(windowsDir, MAX_PATH);
    if (n >= MAX_PATH) windowsDir[0] = L'\0';
    n = ::GetSystemDirectoryW(systemDir, MAX_PATH);
    if (n >= MAX_PATH) systemDir[0] = L'\0';
    ShellFoldersKey shellFolders;
    AppMessageBoxes messages;
    settings.currentSection = 0;
    table.Build(Narrow(windowsDir), Narrow(systemDir), QueryOsVersion(), shellFolders,
                settings.GetSectionValue(SectionKey::AltMyDocumentsDir), messages);
}

std::optional<std::string> InstalledSectionFolder(const std::string& productName)
{
    const std::optional<std::string> uninstallString = InstalledUninstallString(productName);
    if (!uninstallString) return std::nullopt;
    return FolderInUninstallString(*uninstallString, productName);
}
