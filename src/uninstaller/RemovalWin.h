#pragma once
// The uninstaller's Win32 file-system and registry work.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "uninstaller/FolderRemoval.h"
#include "uninstaller/FolderResolution.h"
#include "uninstaller/UninstallCommandLine.h"

// The uninstaller's own existence test, as the installer's: a path counts as present unless its
// attribute query fails with "file not found" or, because a folder whose parent is gone is just as
// absent, "path not found".
bool PathExistsUnlessFileOrPathNotFound(const std::string& path);

// The process's current folder and the find functions; messages in the program's message box.
// Every folder entered is held open without delete sharing until the removal leaves it, so that on
// Windows it cannot be renamed or replaced meanwhile; each change of the current folder is checked
// against the folder held open, so that a folder swapped for a link between the check and the change is
// never worked in.
class Win32RemovalFileSystem : public RemovalFileSystem {
public:
    bool SetCurrentFolder(const std::string& path) override;
    EnterResult EnterSubfolder(const std::string& name) override;
    bool ReturnToFolder(const std::string& parent) override;
    std::string CurrentFolder() override;
    std::vector<FolderEntry> ListCurrentFolder() override;
    void ClearReadOnly(const std::string& name) override;
    bool RemoveFile(const std::string& name) override;
    bool RemoveFolder(const std::string& name) override;
    void ShowMessage(const std::string& text) override;

protected:
    // Every change of the current folder goes through here.
    virtual bool ChangeCurrentFolder(const std::string& path);

private:
    struct HeldFolder {
        UniqueFile handle;
        std::optional<std::string> finalPath;
    };
    // The final path of the current folder, when the system can tell it.
    std::optional<std::string> CurrentFinalPath() const;
    // `name` in the folder worked in: as it is, or in full below the current folder's depth limit.
    std::string Here(const std::string& name) const;
    std::vector<HeldFolder> held_;  // the folders entered, outermost first
    // The folder worked in when it is too deep to be the current folder (held open like the others and
    // reached by full paths); empty while the current folder is the one worked in.
    std::string detached_;
};

// What is at `path` (see PathKind): its attributes, its last name not followed; a link counts as a
// linked folder only when the folder it leads to can be opened.
PathKind QueryPath(const std::string& path);

// The volume serial number and file index of the folder `path` leads to, as text; nothing when it
// cannot be opened.
std::optional<std::string> FolderIdentity(const std::string& path);

// Deletes the file `path` itself, never what a link in its place leads to: false when it cannot be
// deleted, or when it is a link the system can only open through (Wine).
bool DeleteFileItself(const std::string& path);

// Removes an empty folder, or a link to a folder as itself (never what it leads to): false when the
// system cannot open the link itself.
bool RemoveFolderOrLink(const std::string& path);

// The final path of an open file or folder ("\\?\C:\Real\Book"); nothing where the system has no
// such call or cannot tell.
std::optional<std::string> FinalPathOfHandle(HANDLE handle);

// Opens the folder `path` leads to (every link followed) for its final path; nothing when it cannot.
std::optional<std::string> FinalPathOf(const std::string& path);

// Empties `folder` on the real file system but for `spared` and leaves it as the current folder; see
// FolderRemoval.h.
bool RemoveFolderContents(const std::string& folder, const std::vector<std::string>& spared = {});

// The folder and product of every other uninstall entry below HKEY_LOCAL_MACHINE whose UninstallString
// has the installer's layout and names its own entry, with its install record.
std::vector<InstalledProduct> OtherInstallations(const std::string& productName);

// Whether the UninstallString or QuietUninstallString of any uninstall entry runs the program at `path`.
bool UninstallerStillNamed(const std::string& path);

// Deletes the key at `keyPath` below HKEY_LOCAL_MACHINE and every key below it, deepest first.
// `key` must be open on that key. When its subkeys cannot be counted the system's error text is shown
// in a box captioned "Error" and nothing below it is deleted.
void DeleteRegistryKeyTree(HKEY key, const std::string& keyPath);

// The Windows, system, program, data and profile folders and the user's shell folders, which the
// uninstaller never empties.
std::vector<std::string> ProtectedFolders();
