#pragma once
// The bottom-up removal of an installation folder's contents. It works through the process's current
// folder, so entries are handled by their bare names and messages name a file without its folder.

#include <string>
#include <vector>

// Set whenever a folder cannot be entered or removed or a file cannot be deleted; never reset by the
// removal itself (the uninstaller clears it once at start).
extern bool removalFailed;

extern const char kCannotDeleteText[];  // "Setup cannot delete %s. ..."

struct FolderEntry {
    std::string name;
    bool isFolder = false;
    bool readOnly = false;
    // A junction, directory symbolic link or other reparse point: removed itself, never followed.
    bool isLink = false;
};

enum class EnterResult {
    Entered,
    CannotEnter,        // missing or refused: nothing was changed
    NotTheListedFolder  // a link, or another folder put in its place after the listing: not entered
};

class RemovalFileSystem {
public:
    virtual ~RemovalFileSystem() = default;
    virtual bool SetCurrentFolder(const std::string& path) = 0;
    // Makes the subfolder `name` of the current folder current, after making sure, on an open handle,
    // that it is a real folder (no link) and the very child of the current folder that was listed.
    virtual EnterResult EnterSubfolder(const std::string& name) = 0;
    // Makes `parent` (the full path of the folder a subfolder was entered from) current again, and
    // says whether it is still the same folder.
    virtual bool ReturnToFolder(const std::string& parent) = 0;
    // Full path of the current folder; empty when it cannot be read.
    virtual std::string CurrentFolder() = 0;
    // Every entry of the current folder ("*.*", hidden and system ones too), without "." and "..".
    virtual std::vector<FolderEntry> ListCurrentFolder() = 0;
    virtual void ClearReadOnly(const std::string& name) = 0;
    virtual bool RemoveFile(const std::string& name) = 0;
    virtual bool RemoveFolder(const std::string& name) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};

// Removes every file and subfolder inside `folder` and leaves it, empty, as the current folder.
// Nothing stops early except losing the way back: after each subfolder the listed folder is made
// current again by its full path, and when that fails the removal ends with `removalFailed`. A
// subfolder that turns out to be a link or another folder when it is entered is left as it is and
// reported like a file that cannot be deleted.
//
// `spared` holds full paths of folders and files inside `folder` that belong to other registered
// sections: each stays with everything in it, and so do the folders that hold one (emptied of
// everything else). True when something was spared: the folder itself must then stay too.
bool RemoveFolderContents(RemovalFileSystem& fileSystem, const std::string& folder,
                          const std::vector<std::string>& spared = {});

// True when `path` is `folder` or lies inside it (case ignored, whole names only).
bool IsSameOrInsideFolder(const std::string& path, const std::string& folder);
