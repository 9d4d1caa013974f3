// The uninstaller's command line and what it decides from it. Input lines: the process command line
// as WinMain receives it, the entry's UninstallString, its ShortcutLocation, its UninstallText, and a
// folder and a product name for the installer's side of the round trip.
//
// Beyond not crashing, the run keeps its promises: a folder is emptied only when it is a full,
// canonical path that is neither a root nor a protected folder or one of their parents, and an entry
// the installer accepts splits back into the folder and name it was written with.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/AnsiText.h"
#include "FuzzInput.h"
#include "settings/UninstallEntry.h"
#include "uninstaller/InstallFolderCheck.h"
#include "uninstaller/UninstallCommandLine.h"
#include "uninstaller/UninstallSequence.h"

namespace {

const std::vector<std::string> kProtected = {
    "C:\\WINDOWS", "C:\\WINDOWS\\system32", "C:\\Program Files",         "C:\\ProgramData",
    "C:\\Users",   "C:\\Users\\Reader",     "C:\\Users\\Reader\\Desktop"};

// The folder as the uninstaller would work on it, or nothing when it must be left alone.
std::optional<std::string> RemovableForm(const std::string& folder)
{
    const FolderCheck check = CheckInstallFolder(folder, kProtected);
    if (check.verdict != FolderVerdict::Removable) return std::nullopt;
    FUZZ_CHECK(CanonicalFolderPath(folder) == check.canonical);
    FUZZ_CHECK(!ansi::EndsWithChar(check.canonical, '\\'));
    for (const std::string& guarded : kProtected) {
        FUZZ_CHECK(!ansi::EqualsNoCase(check.canonical, guarded));
        FUZZ_CHECK(!ansi::StartsWithNoCase(guarded, check.canonical + "\\"));
    }
    return check.canonical;
}

// Only a folder already in its removable form may be handed to the removal.
bool IsRemovable(const std::string& folder)
{
    return RemovableForm(folder) == folder;
}

class FakeUninstallPlatform : public UninstallPlatform {
public:
    std::string uninstallString;
    std::string shortcut;
    std::string question;
    bool emptied = false;

    bool IsNtFamily() override { return true; }
    bool IsAdministrator() override { return true; }
    void ShowMessage(const std::string& text) override { FUZZ_CHECK(!text.empty()); }
    bool AskYesNo(const std::string& text) override { return true; }
    std::string CurrentFolder() override { return "C:\\Users\\Reader"; }
    bool SetCurrentFolder(const std::string& path) override { return !path.empty(); }
    bool OpenEntry(const std::string& entryPath) override
    {
        // Exactly one key below the Uninstall key (52 characters): never that key itself or its parent.
        const std::string name = entryPath.substr(52);
        FUZZ_CHECK(!name.empty() && name != "." && name != "..");
        FUZZ_CHECK(ansi::FindChar(name, '\\') == std::string::npos);
        return true;
    }
    std::optional<std::string> ReadEntryValue(const std::string& name) override
    {
        const std::string* value = name == "UninstallString"    ? &uninstallString
                                   : name == "ShortcutLocation" ? &shortcut
                                   : name == "UninstallText"    ? &question
                                                                : nullptr;
        if (!value || value->empty()) return std::nullopt;
        return *value;
    }
    void DeleteEntryTree(const std::string& entryPath) override {}
    void DeleteShortcut(const std::string& path) override { FUZZ_CHECK(IsDeletableShortcut(path)); }
    PathKind QueryPath(const std::string& path) override { return PathKind::Folder; }
    // Every folder is where it is written, seen through the system's final-path form.
    std::optional<std::string> FinalPath(const std::string& path) override { return "\\\\?\\" + path; }
    std::optional<std::string> VolumeRoot(const std::string& path) override { return path.substr(0, 3); }
    std::optional<std::string> DosDevice(const std::string& drive) override { return "\\??\\C:\\Mapped"; }
    std::vector<std::string> MachineNames() override { return {"READER-PC"}; }
    std::string WindowsFolder() override { return "C:\\WINDOWS"; }
    std::optional<std::string> FolderIdentity(const std::string& path) override { return ansi::ToUpper(path); }
    bool RemoveFolderContents(const std::string& path, const std::vector<std::string>& spared) override
    {
        FUZZ_CHECK(IsRemovable(path));
        emptied = true;
        return false;
    }
    std::vector<InstalledProduct> OtherInstallations(const std::string&) override { return {}; }
    std::optional<std::string> ReadEntryRecord() override { return std::nullopt; }
    // Without a record nothing outside the folder is touched.
    bool DeleteFile(const std::string& path) override
    {
        FUZZ_CHECK(false);
        return false;
    }
    std::optional<unsigned long> ReleaseSharedFile(const std::string&) override
    {
        FUZZ_CHECK(false);
        return std::nullopt;
    }
    bool UninstallerStillNamed(const std::string&) override { return true; }
    void RemoveUninstaller(const std::string&) override {}
    void Log(const std::string&) override {}
    void Inform(const std::string&) override {}
    bool RemoveFolder(const std::string& path) override
    {
        FUZZ_CHECK(IsRemovable(path));
        return true;
    }
    std::vector<std::string> ProtectedFolders() override { return kProtected; }
    // Short names expand to the folder as the fake file system spells it: all in upper case.
    std::string LongPathName(const std::string& path) override { return ansi::ToUpper(path); }
    void ShowProblemDialog() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string commandLine = input.Line();
    FakeUninstallPlatform platform;
    platform.uninstallString = input.Line();
    platform.shortcut = input.Line();
    platform.question = input.Line();
    const std::string folder = input.Line();
    const std::string product = input.Rest();

    const std::string_view arguments = ArgumentsAfterProgramName(commandLine);
    FUZZ_CHECK(arguments.size() <= commandLine.size());
    FUZZ_CHECK(commandLine.compare(commandLine.size() - arguments.size(), std::string::npos, arguments) == 0);
    if (const auto command = SplitUninstallCommandLine(arguments)) {
        FUZZ_CHECK(!command->installFolder.empty());
        FUZZ_CHECK("`" + command->installFolder + "` " + command->productName == arguments);
    }
    if (const auto canonical = CanonicalFolderPath(folder)) FUZZ_CHECK(CanonicalFolderPath(*canonical) == canonical);
    RemovableForm(folder);

    const UninstallOutcome outcome = RunUninstall(platform, arguments);
    if (outcome == UninstallOutcome::Removed || outcome == UninstallOutcome::RemovalFailed)
        FUZZ_CHECK(platform.emptied);

    // The installer's side: an entry it writes must lead its own uninstaller back to the same folder.
    UninstallEntrySource source;
    source.uninstallerPath = "C:\\WINDOWS\\TOVRADE.EXE";
    source.destDir = folder;
    source.productName = product;
    source.shortcutLocation = "NULL";
    source.fileSize = "1000";
    const auto entry = BuildUninstallEntry(source);
    if (std::holds_alternative<UninstallEntry>(entry) && !folder.empty()) {
        FUZZ_CHECK(IsSafeProductName(product));
        const std::string written = ComposeUninstallString(source.uninstallerPath, folder, product);
        const std::string_view args = ArgumentsAfterProgramName(written);
        const auto split = SplitUninstallCommandLine(args);
        FUZZ_CHECK(split && split->installFolder == folder && split->productName == product);
        FUZZ_CHECK(UninstallStringMatches(written, args));
    }
    return 0;
}
