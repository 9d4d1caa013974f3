#pragma once
// Where an installation folder really is, and whether it is there at all. The uninstaller runs with
// administrator rights, while any user may have replaced the install folder or a folder above it by a
// link, so every name a folder can be reached by is worked out before anything is deleted; the system
// is asked (final path of an open handle, drive mappings, this computer's names) and these functions
// turn its answers into full folder paths that the folder check understands.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the system says about one path, without following the path's last name if it is a link.
enum class PathKind {
    Missing,       // it, or a folder above it, is not found
    Folder,        // a real folder
    LinkedFolder,  // a junction, directory symbolic link or mount point that leads to a folder
    File,
    Unreachable  // any other failure: no drive, no medium, no share, no access, a link that leads nowhere
};

// "\\?\C:\Book" -> "C:\Book", "\\?\UNC\server\share\Book" -> "\\server\share\Book"; a path the system
// gave without these prefixes is returned as it is. Nothing for a path with no drive letter or share
// (such as "\\?\Volume{...}\Book"): its location cannot be compared.
std::optional<std::string> PathFromFinalPath(std::string_view finalPath);

// "\\<this computer>\C$\Book" (any of its names, "localhost", a 127.x.x.x address) is "C:\Book", and
// "\\<this computer>\ADMIN$\Book" is "<windows folder>\Book". Nothing for any other path.
std::optional<std::string> LocalPathOfAdminShare(std::string_view path, const std::vector<std::string>& machineNames,
                                                 std::string_view windowsFolder);

// A drive path seen through its drive's DOS device: a SUBST drive ("\??\C:\Data") leads to that folder,
// a mapped network drive ("\Device\LanmanRedirector\;Q:0000000000001234\server\share") to that share.
// Nothing when the device is a disk of its own or the path has no drive letter.
std::optional<std::string> PathThroughDosDevice(std::string_view path, std::string_view dosDevice);

enum class FolderPresence { Present, IsLink, Absent, Unreachable, NotAFolder };

// Present or a link when the folder is there; Absent only when the folder or a folder above it is not
// found while the drive root (or the share of a UNC path) is there and nothing on the way is a link
// whose target is lost; everything else is Unreachable, because the files may still be on a drive
// that is unplugged or a share that is not connected. `canonical` is a canonical folder path.
FolderPresence FindFolderPresence(const std::string& canonical,
                                  const std::function<PathKind(const std::string&)>& query);

// The folders from the root down to `canonical` itself: "C:\", "C:\A", "C:\A\B".
std::vector<std::string> FolderChain(const std::string& canonical);
