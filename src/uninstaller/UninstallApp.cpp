#include "uninstaller/UninstallApp.h"

#include <commctrl.h>

#include <cstring>
#include <optional>

#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/RunLog.h"
#include "framework/SystemWin.h"
#include "framework/WideText.h"
#include "uninstaller/RemovalProblemDialog.h"
#include "uninstaller/RemovalWin.h"
#include "uninstaller/UninstallCommandLine.h"
#include "uninstaller/UninstallSequence.h"
#include "uninstaller/UninstallSwitches.h"

namespace {
class Win32UninstallPlatform : public UninstallPlatform {
public:
    bool IsNtFamily() override { return QueryOsVersion().IsNtFamily(); }
    bool IsAdministrator() override { return ::IsAdministrator(); }
    void ShowMessage(const std::string& text) override { AppMessageBox(text, MB_OK | MB_ICONWARNING); }
    bool AskYesNo(const std::string& text) override
    {
        // The quiet removal was asked for by whoever started it: the question is answered Yes.
        if (IsUnattended()) {
            LogLine("question answered Yes: " + text);
            return true;
        }
        return AppMessageBox(text, MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    std::string CurrentFolder() override { return ::CurrentFolder(); }
    bool SetCurrentFolder(const std::string& path) override { return SetCurrentFolderPath(path); }
    bool OpenEntry(const std::string& entryPath) override
    {
        // A link in place of the entry is opened as itself: it holds no UninstallString and is refused.
        entryPath_ = entryPath;
        return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(entryPath).c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS,
                               entry_.put()) == ERROR_SUCCESS;
    }
    std::optional<std::string> ReadEntryValue(const std::string& name) override
    {
        const std::wstring valueName = Wide(name);
        DWORD type = 0, size = 0;
        if (::RegQueryValueExW(entry_.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return std::nullopt;
        std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
        DWORD filled = size;
        if (::RegQueryValueExW(entry_.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                               &filled) != ERROR_SUCCESS ||
            type != REG_SZ)
            return std::nullopt;
        value.resize(std::min<size_t>(filled / sizeof(wchar_t), value.size()));
        const size_t end = value.find(L'\0');
        if (end != std::wstring::npos) value.resize(end);
        return Narrow(value);
    }
    void DeleteEntryTree(const std::string& entryPath) override
    {
        DeleteRegistryKeyTree(entry_.get(), entryPath);
        LogLine("uninstall entry HKLM\\" + entryPath + " removed");
    }
    void DeleteShortcut(const std::string& path) override
    {
        const bool deleted = DeleteFileItself(path);
        LogLine("shortcut " + path + (deleted ? " deleted" : " not deleted: " + SystemErrorText(::GetLastError())));
    }
    PathKind QueryPath(const std::string& path) override { return ::QueryPath(path); }
    std::optional<std::string> FinalPath(const std::string& path) override { return FinalPathOf(path); }
    std::optional<std::string> VolumeRoot(const std::string& path) override
    {
        wchar_t buffer[MAX_PATH + 1] = {};
        if (!::GetVolumePathNameW(SystemPath(path).c_str(), buffer, MAX_PATH)) return std::nullopt;
        return PlainPath(Narrow(buffer));
    }
    std::optional<std::string> DosDevice(const std::string& drive) override
    {
        wchar_t buffer[1024] = {};
        if (!::QueryDosDeviceW(Wide(drive).c_str(), buffer, static_cast<DWORD>(std::size(buffer)) - 1))
            return std::nullopt;
        return Narrow(buffer);  // the first of the names, up to its terminator
    }
    std::vector<std::string> MachineNames() override
    {
        std::vector<std::string> names;
        for (COMPUTER_NAME_FORMAT format :
             {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified, ComputerNamePhysicalNetBIOS,
              ComputerNamePhysicalDnsHostname, ComputerNamePhysicalDnsFullyQualified}) {
            wchar_t buffer[256] = {};
            DWORD size = static_cast<DWORD>(std::size(buffer));
            if (::GetComputerNameExW(format, buffer, &size) && size > 0)
                names.push_back(Narrow(std::wstring_view(buffer, size)));
        }
        return names;
    }
    std::optional<std::string> FolderIdentity(const std::string& path) override { return ::FolderIdentity(path); }
    std::string WindowsFolder() override
    {
        wchar_t buffer[MAX_PATH + 1] = {};
        const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH);
        return length > 0 && length < MAX_PATH ? Narrow(std::wstring_view(buffer, length)) : std::string();
    }
    bool RemoveFolderContents(const std::string& path, const std::vector<std::string>& spared) override
    {
        return ::RemoveFolderContents(path, spared);
    }
    std::vector<InstalledProduct> OtherInstallations(const std::string& productName) override
    {
        return ::OtherInstallations(productName);
    }
    std::optional<std::string> ReadEntryRecord() override
    {
        const size_t prefix = std::strlen(kUninstallKey);
        if (entryPath_.size() <= prefix) return std::nullopt;
        return ReadInstallRecordValue(entryPath_.substr(prefix));
    }
    bool DeleteFile(const std::string& path) override
    {
        const bool deleted = DeleteFileItself(path);
        LogLine("file " + path + (deleted ? " deleted" : " not deleted: " + SystemErrorText(::GetLastError())));
        return deleted;
    }
    std::optional<unsigned long> ReleaseSharedFile(const std::string& path) override
    {
        const std::optional<unsigned long> left = ReleaseSharedCount(path);
        if (left) LogLine("shared count of " + path + " lowered to " + std::to_string(*left));
        return left;
    }
    bool UninstallerStillNamed(const std::string& path) override { return ::UninstallerStillNamed(path); }
    void RemoveUninstaller(const std::string& path) override
    {
        if (DeleteFileItself(path)) {
            LogLine("uninstall program " + path + " deleted");
            return;
        }
        // A running program cannot be deleted on Windows: the system deletes it when it next starts.
        const bool scheduled = ::MoveFileExW(SystemPath(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
        LogLine("uninstall program " + path +
                (scheduled ? " deleted at the next start" : " not deleted: " + SystemErrorText(::GetLastError())));
    }
    void Log(const std::string& text) override { LogLine(text); }
    void Inform(const std::string& text) override
    {
        if (IsUnattended()) {
            LogLine("note: " + text);
            return;
        }
        AppMessageBox(text, MB_OK | MB_ICONINFORMATION);
    }
    bool RemoveFolder(const std::string& path) override
    {
        const bool removed = RemoveFolderOrLink(path);
        LogLine("folder " + path + (removed ? " removed" : " not removed: " + SystemErrorText(::GetLastError())));
        return removed;
    }
    std::vector<std::string> ProtectedFolders() override { return ::ProtectedFolders(); }
    std::string LongPathName(const std::string& path) override { return ::LongPathName(path).value_or(path); }
    void ShowProblemDialog() override
    {
        if (IsUnattended()) {
            LogError("error: " + problemText);
            return;
        }
        CRemovalProblemDialog dialog;
        dialog.DoModal(nullptr);
    }

private:
    UniqueRegKey entry_;
    std::string entryPath_;
};
}  // namespace

std::string CUninstallApp::Title() const
{
    std::string path = ModuleFileName();
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool CUninstallApp::InitInstance()
{
    ::InitCommonControls();
    // The framework keeps no command line; the process's own one holds it after the program name.
    const std::string commandLine = Narrow(::GetCommandLineW());
    const UninstallSwitches switches = SplitUninstallSwitches(ArgumentsAfterProgramName(commandLine));
    SetUnattended(switches.quiet);
    if (switches.logPath.empty()) {
        TheRunLog().TurnOff();
    } else {
        TheRunLog().Open(switches.logPath);
    }
    LogLine("uninstall started: " + commandLine);
    if (!switches.error.empty()) {
        AppMessageBox(switches.error);
        exitCode_ = 3;
    } else {
        Win32UninstallPlatform platform;
        exitCode_ = UninstallExitCode(RunUninstall(platform, switches.command));
    }
    LogLine("result: exit code " + std::to_string(exitCode_));
    return false;
}
