#include "installer/UninstallRegistration.h"

#include <windows.h>

#include <variant>

#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/PathFunctions.h"
#include "framework/PathText.h"
#include "framework/RunLog.h"
#include "settings/SettingsWin.h"
#include "settings/UninstallEntry.h"

namespace {
const char kCopyFailedText[] = "Couldn't copy uninstall program.";

// One uninstaller serves every product already registered, so it is never left half-written: the
// start folder's TOVRADE.EXE is expanded (or copied, when it is not compressed) into a temporary
// file beside the target, which then replaces the old program in one move. The source goes to the
// library by its full path: a bare name would be searched for, in the program's own folder first.
bool CopyUninstaller(std::string source, const std::string& target)
{
    OFSTRUCT sourceInfo{};
    UniqueLzHandle input(::LZOpenFileA(source.data(), &sourceInfo, OF_READ));
    if (!input) return false;
    char temporary[MAX_PATH] = {};
    if (::GetTempFileNameA(FolderWithBackslash(target).c_str(), "tov", 0, temporary) == 0) return false;
    ScopeExit removeTemporary([&] { ::DeleteFileA(temporary); });
    {
        OFSTRUCT targetInfo{};
        UniqueLzHandle output(::LZOpenFileA(temporary, &targetInfo, OF_CREATE));
        if (!output) return false;
        if (::LZCopy(input.get(), output.get()) < 0) return false;
    }
    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesA(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!::MoveFileExA(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    removeTemporary.dismiss();
    return true;
}

void WriteEntry(const UninstallEntry& entry)
{
    UniqueRegKey key;
    DWORD disposition = 0;
    const LONG status = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, entry.keyPath.c_str(), 0, nullptr,
                                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(), &disposition);
    if (status != ERROR_SUCCESS) {
        LogError("uninstall entry HKLM\\" + entry.keyPath + " not written: " + SystemErrorText(status));
        return;
    }
    LogLine("uninstall entry HKLM\\" + entry.keyPath);
    for (const EntryValue& value : entry.values) {
        if (value.kind == EntryValue::Kind::String) {
            ::RegSetValueExA(key.get(), value.name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.text.c_str()),
                             static_cast<DWORD>(value.text.size() + 1));
        } else {
            const DWORD number = value.number;
            ::RegSetValueExA(key.get(), value.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof number);
        }
    }
}
}  // namespace

void RegisterSectionForUninstall()
{
    const std::string& startDir = specialFolders.Get(SpecialFolder::StartDir);
    ::SetCurrentDirectoryA(startDir.c_str());
    if (!PathExistsUnlessFileNotFound(kUninstallerFileName)) {
        LogLine("no uninstall entry: the CD has no uninstall program");
        return;
    }
    const std::string target = UninstallerTargetPath(specialFolders.Get(SpecialFolder::WindowsDir));
    ::SetCurrentDirectoryA(specialFolders.Get(SpecialFolder::SourceDir).c_str());
    if (!IsTrueValue(setupSettings.GetSectionValue(SectionKey::Uninstall))) {
        LogLine("no uninstall entry: Uninstall is not TRUE");
        return;
    }

    UninstallEntrySource source;
    source.uninstallerPath = target;
    source.destDir = setupSettings.GetSectionValue(SectionKey::DestDir);
    source.productName = setupSettings.GetSectionValue(SectionKey::ProductName);
    source.uninstallText = setupSettings.GetText(TextId::UninstallText);
    source.problemText = setupSettings.GetText(TextId::UninstallProblemText);
    source.shortcutLocation = setupSettings.GetSectionValue(SectionKey::ShortcutLocation);
    source.fileSize = setupSettings.GetSectionValue(SectionKey::FileSize);
    auto built = BuildUninstallEntry(source);
    if (const EntryRefusal* refusal = std::get_if<EntryRefusal>(&built)) {
        FailureMessageBox(refusal->message);
        return;
    }
    if (!CopyUninstaller(AppendToFolder(startDir, kUninstallerFileName), target)) FailureMessageBox(kCopyFailedText);
    WriteEntry(std::get<UninstallEntry>(built));
}
