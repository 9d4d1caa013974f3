#include "uninstaller/UninstallSequence.h"

#include "framework/SafeFormat.h"
#include "uninstaller/FolderRemoval.h"
#include "uninstaller/InstallFolderCheck.h"
#include "uninstaller/UninstallCommandLine.h"

std::string problemText;

const char kNoRightsText[] = "You need administrator privileges in order to uninstall this program.";
const char kBadCommandText[] =
    "This uninstall command is not complete. It must name the installation folder between two backquotes (`), "
    "followed by a blank and the product name.\n\nNothing has been removed.";
const char kUnsafeNameText[] =
    "\"%s\" cannot be the name of an uninstall entry (it is empty or contains \"\\\" or \"..\").\n\n"
    "Nothing has been removed.";
const char kNoEntryText[] = "The uninstall entry of %s cannot be found or opened.\n\nNothing has been removed.";
const char kEntryMismatchText[] =
    "The uninstall entry of %s does not contain this uninstall command.\n\nNothing has been removed.";
const char kNotFullPathText[] =
    "The installation folder \"%s\" is not a full folder path.\n\nNothing has been removed; the uninstall entry is "
    "kept.";
const char kDriveRootText[] =
    "The installation folder \"%s\" is the root of a drive and will not be emptied.\n\nNothing has been removed; "
    "the uninstall entry is kept.";
const char kProtectedFolderText[] =
    "The installation folder \"%s\" is or contains the system or user folder %s and will not be removed.\n\n"
    "Nothing has been removed; the uninstall entry is kept.";
const char kDefaultQuestionText[] = "Do you want to remove %s and all of its files?";
const char kDefaultProblemText[] =
    "Not all the files could be removed. Be sure none of the files are in use and run the uninstall program again.";

namespace {
// The entry's texts are read into 512 bytes.
constexpr size_t kEntryTextLimit = 511;

std::string EntryText(UninstallPlatform& platform, const char* name, const std::string& fallback)
{
    std::optional<std::string> value = platform.ReadEntryValue(name);
    if (!value) return fallback;
    return value->size() > kEntryTextLimit ? value->substr(0, kEntryTextLimit) : *value;
}

// Refuses the folder (with the reason) unless it is removable in its written and its long form.
bool CheckFolder(UninstallPlatform& platform, const std::string& folder, std::string& canonical)
{
    const std::vector<std::string> guarded = platform.ProtectedFolders();
    FolderCheck check = CheckInstallFolder(folder, guarded);
    if (check.verdict == FolderVerdict::Removable) {
        const std::string longName = platform.LongPathName(check.canonical);
        if (longName != check.canonical) {
            FolderCheck longCheck = CheckInstallFolder(longName, guarded);
            if (longCheck.verdict != FolderVerdict::Removable) check = longCheck;
        }
    }
    switch (check.verdict) {
        case FolderVerdict::Removable:
            canonical = check.canonical;
            return true;
        case FolderVerdict::NotFullPath:
            platform.ShowMessage(FormatText(kNotFullPathText, {folder}));
            return false;
        case FolderVerdict::DriveRoot:
            platform.ShowMessage(FormatText(kDriveRootText, {folder}));
            return false;
        case FolderVerdict::Protected:
            platform.ShowMessage(FormatText(kProtectedFolderText, {folder, check.protectedFolder}));
            return false;
    }
    return false;
}

std::string ParentFolder(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return path;
    return slash > 0 && path[slash - 1] == ':' ? path.substr(0, slash + 1) : path.substr(0, slash);
}
}  // namespace

UninstallOutcome RunUninstall(UninstallPlatform& platform, std::string_view arguments)
{
    if (platform.IsNtFamily() && !platform.IsAdministrator()) {
        platform.ShowMessage(kNoRightsText);
        return UninstallOutcome::NoRights;
    }
    if (arguments.empty()) return UninstallOutcome::NoCommand;
    std::optional<UninstallCommand> command = SplitUninstallCommandLine(arguments);
    if (!command) {
        platform.ShowMessage(kBadCommandText);
        return UninstallOutcome::BadCommand;
    }
    if (!IsSafeProductName(command->productName)) {
        platform.ShowMessage(FormatText(kUnsafeNameText, {command->productName}));
        return UninstallOutcome::UnsafeName;
    }
    const std::string initialFolder = platform.CurrentFolder();
    removalFailed = false;
    const std::string entryPath = UninstallEntryPath(command->productName);
    if (!platform.OpenEntry(entryPath)) {
        platform.ShowMessage(FormatText(kNoEntryText, {command->productName}));
        return UninstallOutcome::NoEntry;
    }
    std::optional<std::string> uninstallString = platform.ReadEntryValue("UninstallString");
    if (!uninstallString || !UninstallStringMatches(*uninstallString, arguments)) {
        platform.ShowMessage(FormatText(kEntryMismatchText, {command->productName}));
        return UninstallOutcome::EntryMismatch;
    }
    const std::string question = EntryText(platform, "UninstallText", kDefaultQuestionText);
    problemText = EntryText(platform, "UninstallProblemText", kDefaultProblemText);
    const std::string shortcut = EntryText(platform, "ShortcutLocation", std::string());

    std::string installFolder;
    if (!CheckFolder(platform, command->installFolder, installFolder)) return UninstallOutcome::UnsafeFolder;

    if (!platform.AskYesNo(FormatText(question, {command->productName}))) return UninstallOutcome::Declined;

    if (IsDeletableShortcut(shortcut)) platform.DeleteShortcut(shortcut);

    if (!platform.FolderExists(installFolder)) {
        platform.DeleteEntryTree(entryPath);
        return UninstallOutcome::FolderWasGone;
    }
    platform.RemoveFolderContents(installFolder);
    if (!removalFailed) {
        // The removal leaves the emptied folder current, and a current folder cannot be removed.
        if (!platform.SetCurrentFolder(initialFolder)) platform.SetCurrentFolder(ParentFolder(installFolder));
        if (!platform.RemoveFolder(installFolder)) {
            removalFailed = true;
        } else {
            platform.DeleteEntryTree(entryPath);
        }
    }
    if (removalFailed) {
        platform.ShowProblemDialog();
        return UninstallOutcome::RemovalFailed;
    }
    return UninstallOutcome::Removed;
}
