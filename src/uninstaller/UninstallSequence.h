#pragma once
// The uninstaller's run: rights, command line, uninstall entry, confirmation, shortcut, folder,
// entry removal and the problem dialog. Nothing is changed until the command line, the product name,
// the entry and the folder have all been found sound and the user has said Yes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uninstaller/FolderResolution.h"
#include "uninstaller/RecordCheck.h"
#include "uninstaller/UninstallCommandLine.h"

// The entry's UninstallProblemText; the problem dialog shows it.
extern std::string problemText;

extern const char kNoRightsText[];
extern const char kBadCommandText[];
extern const char kUnsafeNameText[];
extern const char kNoEntryText[];
extern const char kEntryMismatchText[];
extern const char kNotFullPathText[];
extern const char kDriveRootText[];
extern const char kProtectedFolderText[];
extern const char kUncheckedLinkText[];
extern const char kUnreachableText[];
extern const char kFolderChangedText[];
extern const char kLinkKeptText[];
extern const char kSharedFolderText[];
extern const char kSparedFoldersText[];
extern const char kUninstallerName[];  // "TOVRADE.EXE", in the Windows folder
extern const char kDefaultQuestionText[];
extern const char kDefaultProblemText[];

class UninstallPlatform {
public:
    virtual ~UninstallPlatform() = default;
    virtual bool IsNtFamily() = 0;
    virtual bool IsAdministrator() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual std::string CurrentFolder() = 0;
    virtual bool SetCurrentFolder(const std::string& path) = 0;
    // Opens the entry below HKEY_LOCAL_MACHINE with full access; false when missing or refused.
    virtual bool OpenEntry(const std::string& entryPath) = 0;
    // A string value of the open entry; nothing when it is missing or not a string.
    virtual std::optional<std::string> ReadEntryValue(const std::string& name) = 0;
    // Deletes the open entry and every key below it.
    virtual void DeleteEntryTree(const std::string& entryPath) = 0;
    virtual void DeleteShortcut(const std::string& path) = 0;
    // What is at `path`, its last name not followed when it is a link.
    virtual PathKind QueryPath(const std::string& path) = 0;
    // The final path the system gives for the folder `path` leads to, every link and drive mapping
    // followed ("\\?\C:\Real\Book"); nothing when the system has no such call or cannot open it.
    virtual std::optional<std::string> FinalPath(const std::string& path) = 0;
    // The root of the volume that holds `path`: a drive root, or the folder a volume is mounted on.
    virtual std::optional<std::string> VolumeRoot(const std::string& path) = 0;
    // The DOS device that drive letter `drive` ("Q:") stands for, as the system names it.
    virtual std::optional<std::string> DosDevice(const std::string& drive) = 0;
    // The names this computer answers to on the network (NetBIOS and DNS forms).
    virtual std::vector<std::string> MachineNames() = 0;
    virtual std::string WindowsFolder() = 0;
    // What tells the folder `path` leads to from every other one (its volume and file index), the same
    // under every name it can be reached by; nothing when it cannot be opened.
    virtual std::optional<std::string> FolderIdentity(const std::string& path) = 0;
    // Empties the folder but for `spared` (see the removal's RemoveFolderContents); true when something
    // was spared.
    virtual bool RemoveFolderContents(const std::string& path, const std::vector<std::string>& spared) = 0;
    // The folder and product of every other uninstall entry whose UninstallString has the layout the
    // installer writes (a program, then `folder` product), with its stored install record.
    virtual std::vector<InstalledProduct> OtherInstallations(const std::string& productName) = 0;
    // The install record stored in the open entry (see InstallRecord.h); nothing when it has none.
    virtual std::optional<std::string> ReadEntryRecord() = 0;
    // Deletes the file at `path` itself, read-only or not, never what a link in its place leads to;
    // true when it is gone.
    virtual bool DeleteFile(const std::string& path) = 0;
    // Lowers the use count of a shared file by one (its value goes at 0): the count left, or nothing
    // when the file has no count.
    virtual std::optional<unsigned long> ReleaseSharedFile(const std::string& path) = 0;
    // Whether an uninstall entry still runs the program at `path`.
    virtual bool UninstallerStillNamed(const std::string& path) = 0;
    // Deletes the uninstaller at `path`; when it is this running program, the system deletes it at
    // the next start.
    virtual void RemoveUninstaller(const std::string& path) = 0;
    // A line for the log only.
    virtual void Log(const std::string& text) = 0;
    // Tells the user what is no failure (an unattended run logs it).
    virtual void Inform(const std::string& text) = 0;
    virtual bool RemoveFolder(const std::string& path) = 0;
    // The folders that must never be emptied (see CheckInstallFolder).
    virtual std::vector<std::string> ProtectedFolders() = 0;
    // The long form of an existing path whose components may be short (8.3) names; else the path.
    virtual std::string LongPathName(const std::string& path) = 0;
    virtual void ShowProblemDialog() = 0;
};

enum class UninstallOutcome {
    NoRights,
    NoCommand,
    BadCommand,
    UnsafeName,
    NoEntry,
    EntryMismatch,
    UnsafeFolder,
    Declined,
    FolderUnreachable,
    FolderWasGone,
    Removed,
    RemovalFailed
};

// `arguments`: the command line after the program's own name.
UninstallOutcome RunUninstall(UninstallPlatform& platform, std::string_view arguments);
