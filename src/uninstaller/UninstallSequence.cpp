#include "uninstaller/UninstallSequence.h"

#include <algorithm>
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
const char kUninstallerName[] = "TOVRADE.EXE";
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

// The entry's install record when it can be followed: read, and every path of it one the removal may
// touch under each name it is known by. Otherwise nothing, and the log says why: the folder is then
// removed by the rule for entries without a record.
std::optional<InstallRecord> FollowableRecord(UninstallPlatform& platform, const std::string& installFolder,
                                              const std::string& productName)
{
    const std::optional<std::string> stored = platform.ReadEntryRecord();
    if (!stored) return std::nullopt;
    std::optional<InstallRecord> record = ReadInstallRecord(*stored, installFolder);
    if (!record) {
        platform.Log("the install record of " + productName + " cannot be read: the folder is removed as a whole");
        return std::nullopt;
    }
    std::vector<std::string> guarded = platform.ProtectedFolders();
    std::vector<std::string> windowsFolders{platform.WindowsFolder()};
    AddName(windowsFolders, RealPath(platform, windowsFolders[0]));
    for (const std::string& path : std::vector<std::string>(guarded))
        AddName(guarded, RealPath(platform, path));
    std::optional<std::string> refused = RefusedRecordPath(*record, guarded, windowsFolders);
    // The paths outside the install folder under their other names too: the long form, and the real
    // location of the folder that holds them.
    InstallRecord spellings;
    for (const RecordItem& item : *record) {
        if (refused) break;
        if (IsSameOrInsideFolder(item.path, installFolder)) continue;
        spellings.Add(item.kind, platform.LongPathName(item.path));
        const size_t slash = ansi::FindLastChar(item.path, '\\');
        const std::optional<std::string> parent = RealPath(platform, ParentFolder(item.path));
        if (parent && slash != std::string::npos)
            spellings.Add(item.kind, AppendToFolder(*parent, item.path.substr(slash + 1)));
    }
    if (!refused) refused = RefusedRecordPath(spellings, guarded, windowsFolders);
    if (refused) {
        platform.Log("the install record of " + productName + " names " + *refused +
                     ", which this program does not remove: the folder is removed as a whole, nothing else");
        return std::nullopt;
    }
    return record;
}

std::vector<OtherInstallation> OtherInstallationsOf(UninstallPlatform& platform, const std::string& productName)
{
    std::vector<OtherInstallation> others;
    for (const InstalledProduct& product : platform.OtherInstallations(productName)) {
        const std::optional<std::string> folder = CanonicalFolderPath(product.command.installFolder);
        if (!folder) continue;
        OtherInstallation other{*folder, product.command.productName, std::nullopt};
        // A record that cannot be read protects less than none: the whole folder is the other's then.
        if (product.record) other.record = ReadInstallRecord(*product.record, *folder);
        others.push_back(std::move(other));
    }
    return others;
}

// Whether the way to `path` from `from` (a folder that holds it, already checked) passes only real
// folders. Answers are kept per folder in `plain`.
bool WayIsPlain(UninstallPlatform& platform, const std::string& path, const std::string& from,
                std::map<std::string, bool>& plain)
{
    for (std::string folder = ParentFolder(path); folder.size() > from.size(); folder = ParentFolder(folder)) {
        auto it = plain.find(folder);
        if (it == plain.end()) it = plain.emplace(folder, platform.QueryPath(folder) == PathKind::Folder).first;
        if (!it->second) return false;
    }
    return true;
}

// Whether another installation's folder is the same as, above or inside `folder`.
bool SharesFolder(const std::string& folder, const std::vector<OtherInstallation>& others)
{
    for (const OtherInstallation& other : others)
        if (IsSameOrInsideFolder(folder, other.folder) || IsSameOrInsideFolder(other.folder, folder)) return true;
    return false;
}

// The uninstaller the entry runs, when it is the one setup puts into the Windows folder; else empty.
std::string UninstallerInString(UninstallPlatform& platform, const std::string& uninstallString,
                                std::string_view arguments)
{
    if (uninstallString.size() <= arguments.size()) return std::string();
    const std::string program = uninstallString.substr(0, uninstallString.size() - arguments.size() - 1);
    const std::string windows = platform.WindowsFolder();
    if (windows.empty() || !ansi::EqualsNoCase(program, AppendToFolder(windows, kUninstallerName)))
        return std::string();
    return program;
}

// The root a full path's way is checked from: its drive root.
std::string RootOf(const std::string& path)
{
    const std::vector<std::string> chain = FolderChain(path);
    return chain.empty() ? path : chain.front();
}

// Deletes the recorded files inside the install folder (or, when `outside`, those outside it) that no
// other installation owns and that are reached without a link on the way. False when one of them stays.
bool DeleteRecordedFiles(UninstallPlatform& platform, const InstallRecord& record, const std::string& installFolder,
                         bool outside, const std::vector<OtherInstallation>& others, std::map<std::string, bool>& plain)
{
    bool allGone = true;
    for (const RecordItem& item : record) {
        if (item.kind != RecordKind::File) continue;
        if (IsSameOrInsideFolder(item.path, installFolder) == outside) continue;
        if (BelongsToOther(item.path, others)) continue;
        if (!WayIsPlain(platform, item.path, outside ? RootOf(item.path) : installFolder, plain)) {
            platform.Log("not removed, a link is on its way: " + item.path);
            continue;
        }
        if (platform.QueryPath(item.path) != PathKind::File) continue;
        if (platform.DeleteFile(item.path)) continue;
        platform.ShowMessage(
            FormatText(kCannotDeleteText, {item.path.substr(ansi::FindLastChar(item.path, '\\') + 1)}));
        allGone = false;
    }
    return allGone;
}

// Removes the recorded folders inside (or outside) the install folder that are empty now, deepest first.
void RemoveRecordedFolders(UninstallPlatform& platform, const InstallRecord& record, const std::string& installFolder,
                           bool outside, const std::vector<OtherInstallation>& others,
                           std::map<std::string, bool>& plain)
{
    std::vector<std::string> folders;
    for (const RecordItem& item : record) {
        if (item.kind != RecordKind::Folder || IsSameOrInsideFolder(item.path, installFolder) == outside) continue;
        if (!BelongsToOther(item.path, others)) folders.push_back(item.path);
    }
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : folders) {
        if (!WayIsPlain(platform, folder, outside ? RootOf(folder) : installFolder, plain)) continue;
        if (platform.QueryPath(folder) != PathKind::Folder) continue;
        // A folder that still holds something stays: that is the user's, or another program's.
        if (platform.RemoveFolder(folder)) plain.erase(folder);
    }
}

// The shared files' counts go down; a file this install put there goes when no one counts it any more.
void ReleaseSharedFiles(UninstallPlatform& platform, const InstallRecord& record, const std::string& uninstaller,
                        const std::vector<OtherInstallation>& others, std::map<std::string, bool>& plain)
{
    for (const RecordItem& item : record) {
        if (item.kind != RecordKind::SharedFile && item.kind != RecordKind::CreatedSharedFile) continue;
        if (ansi::EqualsNoCase(item.path, uninstaller)) continue;
        const std::optional<unsigned long> left = platform.ReleaseSharedFile(item.path);
        if (!left || *left > 0 || item.kind != RecordKind::CreatedSharedFile) continue;
        if (BelongsToOther(item.path, others) || !WayIsPlain(platform, item.path, RootOf(item.path), plain)) continue;
        if (platform.QueryPath(item.path) != PathKind::File) continue;
        if (!platform.DeleteFile(item.path)) platform.ShowMessage(FormatText(kCannotDeleteText, {item.path}));
    }
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

    const std::optional<InstallRecord> record = FollowableRecord(platform, installFolder, command->productName);
    const std::vector<OtherInstallation> others = OtherInstallationsOf(platform, command->productName);
    std::map<std::string, bool> plain;
    if (folder.presence == FolderPresence::Absent) {
        // Nothing inside to remove; what the install made elsewhere still goes.
    } else if (folder.presence == FolderPresence::NotAFolder) {
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
    } else if (record && (SharesFolder(installFolder, others) || !record->Has(RecordKind::Folder, installFolder))) {
        // Another installation lives in, above or inside the folder, or the folder was there before
        // the install: only what the record names goes, then the folders the install created that
        // are empty now.
        if (!platform.SetCurrentFolder(initialFolder)) platform.SetCurrentFolder(ParentFolder(installFolder));
        if (!DeleteRecordedFiles(platform, *record, installFolder, false, others, plain)) removalFailed = true;
        RemoveRecordedFolders(platform, *record, installFolder, false, others, plain);
        if (platform.QueryPath(installFolder) != PathKind::Missing)
            platform.Log("folder " + installFolder + " kept: it holds what the install did not make");
    } else {
        // Another registered section installed into the same folder, or into one inside it, keeps its
        // files: the folder it shares stays whole; a folder of its inside this one stays with what
        // holds it, and so does every file or folder another record names.
        std::string sharedWith;
        std::vector<std::string> spared;
        std::string sparedList;
        for (const OtherInstallation& other : others) {
            if (ansi::EqualsNoCase(other.folder, installFolder)) {
                if (sharedWith.empty()) sharedWith = other.productName;
            } else if (IsSameOrInsideFolder(other.folder, installFolder)) {
                spared.push_back(other.folder);
                sparedList += (sparedList.empty() ? "" : ", ") + other.folder + " (" + other.productName + ")";
            }
            if (!other.record) continue;
            for (const RecordItem& item : *other.record)
                if (IsSameOrInsideFolder(item.path, installFolder)) spared.push_back(item.path);
        }
        if (!sharedWith.empty()) {
            platform.Inform(FormatText(kSharedFolderText, {command->installFolder, sharedWith}));
        } else if (platform.RemoveFolderContents(installFolder, spared)) {
            if (!platform.SetCurrentFolder(initialFolder)) platform.SetCurrentFolder(ParentFolder(installFolder));
            if (!sparedList.empty())
                platform.Inform(FormatText(kSparedFoldersText, {command->installFolder, sparedList}));
        } else if (!removalFailed) {
            // The removal leaves the emptied folder current, and a current folder cannot be removed.
            if (!platform.SetCurrentFolder(initialFolder)) platform.SetCurrentFolder(ParentFolder(installFolder));
            if (!platform.RemoveFolder(installFolder)) removalFailed = true;
        }
    }
    // What the install made outside the folder goes once the folder is done: the files first, so
    // that a run after a failure finds the counts unchanged; the counts are released only by the run
    // that also deletes the entry.
    if (!removalFailed && record && !DeleteRecordedFiles(platform, *record, installFolder, true, others, plain))
        removalFailed = true;
    if (removalFailed) {
        platform.ShowProblemDialog();
        return UninstallOutcome::RemovalFailed;
    }
    const std::string uninstaller = UninstallerInString(platform, *uninstallString, arguments);
    if (record) {
        ReleaseSharedFiles(platform, *record, uninstaller, others, plain);
        RemoveRecordedFolders(platform, *record, installFolder, true, others, plain);
    }
    platform.DeleteEntryTree(entryPath);
    if (!uninstaller.empty()) {
        if (record && record->Has(RecordKind::SharedFile, uninstaller)) platform.ReleaseSharedFile(uninstaller);
        // Entries of books whose setup never counted it name it all the same.
        if (!platform.UninstallerStillNamed(uninstaller)) platform.RemoveUninstaller(uninstaller);
    }
    return folder.presence == FolderPresence::Absent ? UninstallOutcome::FolderWasGone : UninstallOutcome::Removed;
}
