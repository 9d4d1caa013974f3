#include "installer/UninstallRegistration.h"

#include <windows.h>

#include <optional>
#include <variant>

#include "copy/CopyEngine.h"
#include "framework/AnsiText.h"
#include "framework/FileOverwrite.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/PathFunctions.h"
#include "framework/PathText.h"
#include "framework/RunLog.h"
#include "framework/SafeFormat.h"
#include "framework/SystemWin.h"
#include "framework/WideText.h"
#include "scripts/ScriptPlatformWin.h"
#include "settings/SectionRecords.h"
#include "settings/SettingsWin.h"
#include "settings/UninstallEntry.h"

namespace {
const char kCopyFailedText[] = "Couldn't copy uninstall program.";

// One uninstaller serves every product already registered, so it is never left half-written: the
// start folder's TOVRADE.EXE is expanded (or copied, when it is not compressed) into the temporary
// file of the safe write beside the target (FileOverwrite.h), which then replaces the old program in
// one rename.
unsigned long ExpandUninstaller(const std::string& source, const std::string& target)
{
    const LzLibraryLock turn;
    UniqueLzHandle input;
    if (const unsigned long error = OpenForExpansion(source, input))
        return error != kFailedWithoutReason ? error : ERROR_INVALID_DATA;
    UniqueFile output(::CreateFileW(SystemPath(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output) return ::GetLastError();
    const unsigned long error = WriteExpanded(input.get(), output.get());
    return error != kFailedWithoutReason ? error : ERROR_INVALID_DATA;
}

// What the write of the uninstaller returns when the program in place is newer than the CD's.
constexpr unsigned long kNewerInPlace = ERROR_ALREADY_EXISTS;

// 0 when the program is in place, otherwise the system's reason. One program serves the entries of
// every book on the PC, so an older CD's program never replaces a newer one (their version resources
// compared once the CD's is expanded); the newer one stays and serves this entry too.
unsigned long CopyUninstaller(const std::string& source, const std::string& target)
{
    SystemFiles files;
    const bool existed = files.GetAttributes(target).has_value();
    const FileVersion inPlace = ReadFileVersionResource(target);
    const WriteOutcome outcome = WriteFileSafely(target, true, files, [&](const std::string& to) {
        const unsigned long error = ExpandUninstaller(source, to);
        if (error != 0) return error;
        return ReadFileVersionResource(to) < inPlace ? kNewerInPlace : 0;
    });
    if (outcome.error != kNewerInPlace && outcome.error != 0) return outcome.error;
    if (outcome.error == kNewerInPlace) LogLine("kept the newer uninstall program " + target);
    // One program serves every entry: each one counts it, so that the last removal can take it.
    InstallRecord& record = SectionRecord(setupSettings.currentSection);
    if (!record.Has(RecordKind::SharedFile, target) && !RaiseSharedCount(target))
        LogError("shared count of " + target + " not raised");
    record.Add(existed ? RecordKind::SharedFile : RecordKind::CreatedSharedFile, target);
    return 0;
}

void WriteEntry(const UninstallEntry& entry)
{
    UniqueRegKey key;
    DWORD disposition = 0;
    const LONG status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(entry.keyPath).c_str(), 0, nullptr,
                                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(), &disposition);
    if (status != ERROR_SUCCESS) {
        LogError("uninstall entry HKLM\\" + entry.keyPath + " not written: " + SystemErrorText(status));
        return;
    }
    LogLine("uninstall entry HKLM\\" + entry.keyPath);
    for (const EntryValue& value : entry.values) {
        if (value.kind == EntryValue::Kind::String) {
            const std::wstring text = Wide(value.text);
            ::RegSetValueExW(key.get(), Wide(value.name).c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        } else {
            const DWORD number = value.number;
            ::RegSetValueExW(key.get(), Wide(value.name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof number);
        }
    }
}

// The entry of the section addressed by currentSection; nothing when the section is not registered
// (the CD has no uninstall program, or Uninstall is not TRUE), with the reason in the log.
std::optional<std::variant<UninstallEntry, EntryRefusal>> BuildSectionEntry(bool logWhy)
{
    const std::string& startDir = specialFolders.Get(SpecialFolder::StartDir);
    if (!PathExistsUnlessFileNotFound(AppendToFolder(startDir, kUninstallerFileName))) {
        if (logWhy) LogLine("no uninstall entry: the CD has no uninstall program");
        return std::nullopt;
    }
    if (!IsTrueValue(setupSettings.GetSectionValue(SectionKey::Uninstall))) {
        if (logWhy) LogLine("no uninstall entry: Uninstall is not TRUE");
        return std::nullopt;
    }
    UninstallEntrySource source;
    source.uninstallerPath = UninstallerTargetPath(specialFolders.Get(SpecialFolder::WindowsDir));
    source.destDir = setupSettings.GetSectionValue(SectionKey::DestDir);
    source.productName = setupSettings.GetSectionValue(SectionKey::ProductName);
    source.uninstallText = setupSettings.GetText(TextId::UninstallText);
    source.problemText = setupSettings.GetText(TextId::UninstallProblemText);
    source.shortcutLocation = setupSettings.GetSectionValue(SectionKey::ShortcutLocation);
    source.fileSize = setupSettings.GetSectionValue(SectionKey::FileSize);
    // Registration follows the section's copy; the refusal test before it does not depend on the size.
    source.copiedBytes = sectionBytesWritten;
    source.publisher = setupSettings.OptionalSetupValue(SetupKey::Publisher);
    source.version = setupSettings.OptionalSetupValue(SetupKey::Version);
    source.aboutLink = setupSettings.OptionalSetupValue(SetupKey::URLInfoAbout);
    source.helpLink = setupSettings.OptionalSetupValue(SetupKey::HelpLink);
    source.installSource = startDir;
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    source.installDay = {today.wYear, today.wMonth, today.wDay};
    return BuildUninstallEntry(source);
}
}  // namespace

std::optional<std::string> SectionEntryRefusal(const std::vector<std::string>& registeredNames)
{
    const auto built = BuildSectionEntry(false);
    if (!built) return std::nullopt;
    if (const EntryRefusal* refusal = std::get_if<EntryRefusal>(&*built)) return refusal->message;
    const std::string name = setupSettings.GetSectionValue(SectionKey::ProductName);
    for (const std::string& other : registeredNames) {
        if (ansi::ToUpper(other) == ansi::ToUpper(name))
            return FormatText(
                "%s cannot be registered for removal: another section of this CD has already been "
                "registered under the same ProductName.",
                {name});
    }
    return std::nullopt;
}

bool RegisterSectionForUninstall()
{
    const auto built = BuildSectionEntry(true);
    if (!built) return false;
    if (const EntryRefusal* refusal = std::get_if<EntryRefusal>(&*built)) {
        FailureMessageBox(refusal->message);
        return false;
    }
    const std::string& startDir = specialFolders.Get(SpecialFolder::StartDir);
    const std::string target = UninstallerTargetPath(specialFolders.Get(SpecialFolder::WindowsDir));
    if (const unsigned long error = CopyUninstaller(AppendToFolder(startDir, kUninstallerFileName), target))
        FailureMessageBox(std::string(kCopyFailedText) + "\n" + SystemErrorText(error));
    WriteEntry(std::get<UninstallEntry>(*built));
    WriteSectionRecord();
    return true;
}

void LoadSectionRecord()
{
    const std::string productName = setupSettings.GetSectionValue(SectionKey::ProductName);
    const std::string destDir = setupSettings.GetSectionValue(SectionKey::DestDir);
    const std::optional<std::string> uninstallString = InstalledUninstallString(productName);
    if (!uninstallString) return;
    // Only an entry of this very folder: its record's relative paths are relative to it.
    const std::optional<std::string> folder = FolderInUninstallString(*uninstallString, productName);
    if (!folder || !ansi::EqualsNoCase(*folder, destDir)) return;
    const std::optional<std::string> stored = ReadInstallRecordValue(productName);
    if (!stored) return;
    if (const std::optional<InstallRecord> record = ReadInstallRecord(*stored, destDir)) {
        SectionRecord(setupSettings.currentSection).Merge(*record);
    } else {
        LogLine("the install record of " + productName + " cannot be read; a new one is written");
    }
}

void WriteSectionRecord()
{
    const std::string productName = setupSettings.GetSectionValue(SectionKey::ProductName);
    const InstallRecord& record = SectionRecord(setupSettings.currentSection);
    if (WriteInstallRecordValue(productName, record, setupSettings.GetSectionValue(SectionKey::DestDir))) {
        LogLine("install record of " + productName + ": " + std::to_string(record.Size()) + " items");
    } else {
        LogError("install record of " + productName + " not written");
    }
}
