#pragma once
// Which folders the uninstaller may empty. It deletes recursively with administrator rights, so a
// folder is accepted only in full, canonical form and only when it holds no folder the system or
// the user's profile depends on.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// "C:\Book\Samples" or "\\server\share\Book": backslashes only, no "." or ".." or empty components,
// no trailing blanks or dots in a component (the file system drops them), no trailing backslash
// except on a drive root ("C:\"). Nothing for a relative or drive-relative path ("C:" alone names
// the drive's current folder), a path rooted without a drive, a device path ("\\?\", "\\.\"), a
// path that climbs above its root, or a component with a character no folder name can hold.
std::optional<std::string> CanonicalFolderPath(std::string_view path);

enum class FolderVerdict { Removable, NotFullPath, DriveRoot, Protected };

struct FolderCheck {
    FolderVerdict verdict = FolderVerdict::NotFullPath;
    std::string canonical;        // the folder to work on when Removable
    std::string protectedFolder;  // the folder that made it Protected
};

// `protectedFolders`: the Windows and system folders, Program Files, ProgramData, the Users folder,
// the profile and the user's shell folders. The folder is refused when it equals one of them or
// contains one (compared without case).
FolderCheck CheckInstallFolder(std::string_view folder, const std::vector<std::string>& protectedFolders);

// The shortcut is deleted only when it is a full path of a ".lnk" file (any case): an unrecognised
// location word stored by the installer would otherwise name a file in the current folder.
bool IsDeletableShortcut(std::string_view path);
