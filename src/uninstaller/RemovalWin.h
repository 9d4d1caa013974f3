#pragma once
// The uninstaller's Win32 file-system and registry work.

#include <windows.h>

#include <string>
#include <vector>

#include "uninstaller/FolderRemoval.h"

// The uninstaller's own existence test, as the installer's: a path counts as present unless its
// attribute query fails with "file not found" or, because a folder whose parent is gone is just as
// absent, "path not found".
bool PathExists(const std::string& path);

// The process's current folder and the find functions; messages in the program's message box.
class Win32RemovalFileSystem : public RemovalFileSystem {
public:
    bool SetCurrentFolder(const std::string& path) override;
    std::string CurrentFolder() override;
    std::vector<FolderEntry> ListCurrentFolder() override;
    void ClearReadOnly(const std::string& name) override;
    bool RemoveFile(const std::string& name) override;
    bool RemoveFolder(const std::string& name) override;
    void ShowMessage(const std::string& text) override;
};

// Empties `folder` on the real file system and leaves it as the current folder; see FolderRemoval.h.
void RemoveFolderContents(const std::string& folder);

// Deletes the key at `keyPath` below HKEY_LOCAL_MACHINE and every key below it, deepest first.
// `key` must be open on that key. When its subkeys cannot be counted the system's error text is shown
// in a box captioned "Error" and nothing below it is deleted.
void DeleteRegistryKeyTree(HKEY key, const std::string& keyPath);

// The service control manager of this computer opens with read, write and execute access.
bool IsAdministrator();

// The Windows, system, program, data and profile folders and the user's shell folders, which the
// uninstaller never empties.
std::vector<std::string> ProtectedFolders();
