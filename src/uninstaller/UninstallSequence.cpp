#include "uninstaller/UninstallSequence.h"

#include <map>

#include "framework/AnsiText.h"
#include "framework/PathText.h"
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
    "\"%s\" cannot be the name of an uninstall entry (it is empty, \".\" or \"..\", or contains \"\\\").\n\n"
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
const char kUncheckedLinkText[] =
    "The installation folder \"%s\" is reached through a link, and this system cannot tell where the folder really "
    "is.\n\nNothing has been removed; the uninstall entry is kept.";
const char kUnreachableText[] =
    "The installation folder \"%s\" cannot be reached: its drive or network share is not there, or the drive holds "
    "no disk.\n\nNothing has been removed; the shortcut and the uninstall entry are kept, so that the program can be "
    "removed once the drive is back.";
const char kFolderChangedText[] =
    "The installation folder \"%s\" was replaced while this program was running and will not be removed.";
const char kLinkKeptText[] =
    "The installation folder \"%s\" is a link to another folder, and this system cannot remove the link by "
    "itself. Nothing behind the link has been touched.";
const char kSharedFolderText[] =
    "%s is also the folder of %s, which is still installed. Its files stay until that is removed too.";
const char kSparedFoldersText[] =
    "%s holds folders of other installed programs: %s. They stay, and so do the folders that hold them.";
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

// The folder as the removal will meet it: where it is, whether it is there, where it really is.
struct ResolvedFolder {
    std::string canonical;
    FolderPresence presence = FolderPresence::Unreachable;
    std::string real;  // the real location of the folder, or of the link when it is one; empty when unknown
};

void AddName(std::vector<std::string>& names, const std::optional<std::string>& name)
{
    if (!name || name->empty()) return;
    for (const std::string& known : names)
        if (ansi::EqualsNoCase(known, *name)) return;
    names.push_back(*name);
}

std::optional<std::string> RealPath(UninstallPlatform& platform, const std::string& path)
{
    std::optional<std::string> final = platform.FinalPath(path);
    if (!final) return std::nullopt;
    std::optional<std::string> plain = PathFromFinalPath(*final);
    if (!plain) return std::nullopt;
    return CanonicalFolderPath(*plain);
}

// Where the folder really is: the final path of the folder, or of the folder holding it when it is a
// link (the link alone is removed then). Empty when the system cannot tell.
std::string RealLocation(UninstallPlatform& platform, const std::string& canonical, FolderPresence presence)
{
    if (presence == FolderPresence::Present) return RealPath(platform, canonical).value_or(std::string());
    const size_t slash = ansi::FindLastChar(canonical, '\\');
    const std::vector<std::string> chain = FolderChain(canonical);
    if (chain.size() < 2 || slash == std::string::npos) return std::string();
    std::optional<std::string> parent = RealPath(platform, chain[chain.size() - 2]);
    if (!parent) return std::string();
    return ansi::EndsWithChar(*parent, '\\') ? *parent + canonical.substr(slash + 1)
                                             : *parent + canonical.substr(slash);
}

// Every other name the folder is known by: its long form, the local folder behind an administrative
// share of this computer, the folder or share behind a SUBST or mapped drive letter, its real location.
std::vector<std::string> FolderNames(UninstallPlatform& platform, const ResolvedFolder& folder)
{
    const std::vector<std::string> machineNames = platform.MachineNames();
    const std::string windowsFolder = platform.WindowsFolder();
    auto addLocalForms = [&](std::vector<std::string>& names) {
        // Two rounds: a drive letter may be mapped to an administrative share of this computer.
        for (int round = 0; round < 2; ++round) {
            const std::vector<std::string> known = names;
            for (const std::string& name : known) {
                AddName(names, LocalPathOfAdminShare(name, machineNames, windowsFolder));
                if (name.size() >= 3 && name[1] == ':') {
                    std::optional<std::string> device = platform.DosDevice(name.substr(0, 2));
                    if (device) AddName(names, PathThroughDosDevice(name, *device));
                }
            }
        }
    };
    // The spellings come before the real location, so that a refusal names the folder the user knows.
    std::vector<std::string> names{folder.canonical};
    AddName(names, platform.LongPathName(folder.canonical));
    addLocalForms(names);
    AddName(names, folder.real);
    addLocalForms(names);
    return names;
}

bool RefuseFolder(UninstallPlatform& platform, const std::string& written, const FolderCheck& check)
{
    switch (check.verdict) {
        case FolderVerdict::Removable:
            return false;
        case FolderVerdict::NotFullPath:
            platform.ShowMessage(FormatText(kNotFullPathText, {written}));
            break;
        case FolderVerdict::DriveRoot:
            platform.ShowMessage(FormatText(kDriveRootText, {written}));
            break;
        case FolderVerdict::Protected:
            platform.ShowMessage(FormatText(kProtectedFolderText, {written, check.protectedFolder}));
            break;
    }
    return true;
}

// The folder reached under a name none of the rules knows (another address of this computer, a share of
// a protected folder) is still the same folder: refused when it is one of the protected folders or one
// of the folders holding them.
bool RefuseSameFolder(UninstallPlatform& platform, const std::string& written, const ResolvedFolder& folder,
                      const std::vector<std::string>& guarded)
{
    const std::optional<std::string> identity = platform.FolderIdentity(folder.canonical);
    if (!identity) return false;
    std::map<std::string, std::optional<std::string>> known;
    for (const std::string& path : guarded) {
        std::optional<std::string> canonical = CanonicalFolderPath(path);
        if (!canonical) continue;
        const std::vector<std::string> chain = FolderChain(*canonical);
        for (size_t i = 0; i < chain.size(); ++i) {
            auto it = known.find(chain[i]);
            if (it == known.end()) it = known.emplace(chain[i], platform.FolderIdentity(chain[i])).first;
            if (it->second != identity) continue;
            FolderCheck check;
            check.verdict = i == 0 ? FolderVerdict::DriveRoot : FolderVerdict::Protected;
            check.protectedFolder = *canonical;
            return RefuseFolder(platform, written, check);
        }
    }
    return false;
}

// Refuses the folder (with the reason) unless every name it is known by is removable, checked against
// the protected folders under their written names and their real locations.
bool CheckFolder(UninstallPlatform& platform, const std::string& written, ResolvedFolder& folder)
{
    const std::vector<std::string> guarded = platform.ProtectedFolders();
    const FolderCheck check = CheckInstallFolder(written, guarded);
    if (RefuseFolder(platform, written, check)) return false;
    folder.canonical = check.canonical;
    folder.presence =
        FindFolderPresence(folder.canonical, [&platform](const std::string& path) { return platform.QueryPath(path); });
    if (folder.presence == FolderPresence::Present || folder.presence == FolderPresence::IsLink) {
        folder.real = RealLocation(platform, folder.canonical, folder.presence);
        if (folder.real.empty()) {
            // Without the real location only a path free of links can be trusted.
            for (const std::string& step : FolderChain(folder.canonical)) {
                if (step != folder.canonical && platform.QueryPath(step) == PathKind::LinkedFolder) {
                    platform.ShowMessage(FormatText(kUncheckedLinkText, {written}));
                    return false;
                }
            }
        }
        // A volume mounted on the folder makes it the root of that volume.
        std::optional<std::string> root = platform.VolumeRoot(folder.canonical);
        std::optional<std::string> rootPath = root ? CanonicalFolderPath(*root) : std::nullopt;
        if (rootPath && ansi::EqualsNoCase(*rootPath, folder.canonical)) {
            platform.ShowMessage(FormatText(kDriveRootText, {written}));
            return false;
        }
    }
    std::vector<std::string> guardedEverywhere = guarded;
    for (const std::string& path : guarded)
        AddName(guardedEverywhere, RealPath(platform, path));
    for (const std::string& name : FolderNames(platform, folder)) {
        if (RefuseFolder(platform, written, CheckInstallFolder(name, guardedEverywhere))) return false;
    }
    return folder.presence != FolderPresence::Present ||
           !RefuseSameFolder(platform, written, folder, guardedEverywhere);
}

// The folder is still what was checked before the question: the same kind of thing, in the same real
// location, or, where the system cannot tell the location, still without a link on its way.
bool StillTheCheckedFolder(UninstallPlatform& platform, const ResolvedFolder& folder)
{
    const bool isLink = folder.presence == FolderPresence::IsLink;
    if (platform.QueryPath(folder.canonical) != (isLink ? PathKind::LinkedFolder : PathKind::Folder)) return false;
    if (!folder.real.empty()) return RealLocation(platform, folder.canonical, folder.presence) == folder.real;
    for (const std::string& step : FolderChain(folder.canonical)) {
        if (step != folder.canonical && platform.QueryPath(step) == PathKind::LinkedFolder) return false;
    }
    return true;
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

    ResolvedFolder folder;
    if (!CheckFolder(platform, command->installFolder, folder)) return UninstallOutcome::UnsafeFolder;
    const std::string& installFolder = folder.canonical;

    if (!platform.AskYesNo(FormatText(question, {command->productName}))) return UninstallOutcome::Declined;

    if (folder.presence == FolderPresence::Unreachable) {
        // The files are still there; the shortcut and the entry stay for a later run.
        platform.ShowMessage(FormatText(kUnreachableText, {command->installFolder}));
        platform.ShowProblemDialog();
        return UninstallOutcome::FolderUnreachable;
    }

    if (IsDeletableShortcut(shortcut)) platform.DeleteShortcut(shortcut);

    if (folder.presence == FolderPresence::Absent) {
        platform.DeleteEntryTree(entryPath);
        return UninstallOutcome::FolderWasGone;
    }
    if (folder.presence == FolderPresence::NotAFolder) {
        removalFailed = true;
    } else if (!StillTheCheckedFolder(platform, folder)) {
        // Something was swapped in while the question was open: what is there now was never checked.
        platform.ShowMessage(FormatText(kFolderChangedText, {command->installFolder}));
        removalFailed = true;
    } else if (folder.presence == FolderPresence::IsLink) {
        // Only the link goes; whatever it leads to stays untouched.
        if (!platform.RemoveFolder(installFolder)) {
            platform.ShowMessage(FormatText(kLinkKeptText, {command->installFolder}));
            removalFailed = true;
        }
    } else {
        // Another registered section installed into the same folder, or into one inside it, keeps its
        // files: the folder it shares stays whole; a folder of its inside this one stays with what
        // holds it.
        std::string sharedWith;
        std::vector<std::string> spared;
        std::string sparedList;
        for (const UninstallCommand& other : platform.OtherInstallations(command->productName)) {
            const std::optional<std::string> otherFolder = CanonicalFolderPath(other.installFolder);
            if (!otherFolder) continue;
            if (ansi::EqualsNoCase(*otherFolder, installFolder)) {
                if (sharedWith.empty()) sharedWith = other.productName;
            } else if (IsSameOrInsideFolder(*otherFolder, installFolder)) {
                spared.push_back(*otherFolder);
                sparedList += (sparedList.empty() ? "" : ", ") + *otherFolder + " (" + other.productName + ")";
            }
        }
        if (!sharedWith.empty()) {
            platform.Inform(FormatText(kSharedFolderText, {command->installFolder, sharedWith}));
        } else if (platform.RemoveFolderContents(installFolder, spared)) {
            if (!platform.SetCurrentFolder(initialFolder)) platform.SetCurrentFolder(ParentFolder(installFolder));
            platform.Inform(FormatText(kSparedFoldersText, {command->installFolder, sparedList}));
        } else if (!removalFailed) {
            // The removal leaves the emptied folder current, and a current folder cannot be removed.
            if (!platform.SetCurrentFolder(initialFolder)) platform.SetCurrentFolder(ParentFolder(installFolder));
            if (!platform.RemoveFolder(installFolder)) removalFailed = true;
        }
    }
    if (!removalFailed) platform.DeleteEntryTree(entryPath);
    if (removalFailed) {
        platform.ShowProblemDialog();
        return UninstallOutcome::RemovalFailed;
    }
    return UninstallOutcome::Removed;
}
