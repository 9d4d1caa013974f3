#pragma once
// The rules of the options dialog that do not need a window: row texts, the folder and drive modes,
// the drive list, the Windows-folder and drive-root tests, and the texts of the refresh.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "options/DiskSpace.h"
#include "settings/SetupSettings.h"

// ProductName, a tab, and the size text (nothing after the tab for an empty FileSize).
std::string SectionRowText(const std::string& productName, const std::string& fileSize, const SizeUnitTexts& units);

enum class FolderMode { None, ChangeFolder, ChangeDrive };
// From ChangeFolderButton: "TRUE" or "CHANGEDRIVE" in any case; anything else shows neither control.
FolderMode FolderModeFrom(const std::string& changeFolderButton);

// "[A]", "[C]", ... for each drive of the logical-drive mask in letter order, CD-ROM drives left out.
std::vector<std::string> DriveListEntries(uint32_t logicalDrives, const std::function<bool(char)>& isCdRom);

// True when `folder` begins with the Windows folder's whole path (case ignored): the folder itself,
// anything inside it, and a sibling whose name merely starts with it. An unknown (empty) Windows
// folder refuses nothing.
bool IsInWindowsFolder(const std::string& folder, const std::string& windowsDir);

// A folder that the system resolves to the root of a drive: a first character and a colon followed
// only by backslashes, slashes, dots and blanks ("C:\", "C:", "C:\.", "C:\ ", "C:\\", "C:\..").
// The system drops "." and ".." (there is nothing above a root) and the dots and blanks that end a
// name, and the copy appends "\name" to "C:", so every one of them installs into the root.
bool IsBareDriveRoot(const std::string& destDir);

// What the folder tests ask the system: the full path without "." and ".." (nothing when the path
// cannot be resolved), and the long-name spelling of a path that exists (nothing when it does not).
struct PathResolver {
    std::function<std::optional<std::string>(const std::string&)> fullPath;
    std::function<std::optional<std::string>(const std::string&)> longName;
};

// The folder as the system will use it: a full path without "." and "..", in which the longest part
// that exists is spelled with long names (an 8.3 alias such as "WINDOW~1" becomes its real name); the
// part that does not exist yet is kept as typed.
std::string RealFolderPath(const std::string& folder, const PathResolver& resolver);

// Why a folder chosen for a section is refused; None when it is taken.
enum class FolderRefusal { None, DriveRoot, NotFullPath, WindowsFolder };
struct ChosenFolder {
    FolderRefusal refusal = FolderRefusal::None;
    std::string folder;  // as the system will use it (RealFolderPath) when taken; as given otherwise
};
// The tests of every folder a section is installed into, the same for the options dialog and the
// unattended run: not a bare drive root, a full path (X:\...), and not in the Windows folder, both
// compared as `resolver` resolves them (so that "C:\Books\..\Windows" or an 8.3 alias cannot reach it).
ChosenFolder CheckChosenFolder(const std::string& folder, const std::string& windowsDir, const PathResolver& resolver);
// What the user is told of a refusal: the texts NoChange and NoWindowsDir, or one of setup's own.
std::string FolderRefusalText(const ChosenFolder& check, const std::string& noChangeText,
                              const std::string& noWindowsDirText);

// An installed section is installed again only into the folder its uninstall entry names: what the
// user is told when another folder is chosen for it.
std::string InstalledElsewhereText(const std::string& productName, const std::string& installedFolder);
// True when the two folders are the same once resolved (case and a closing backslash ignored).
bool SameFolder(const std::string& a, const std::string& b, const PathResolver& resolver);

// DestDir with its drive letter replaced; an empty DestDir stays empty.
std::string WithDriveLetter(const std::string& destDir, char letter);

// What the refresh shows for the selected section.
struct OptionsRefreshTexts {
    std::string spaceAvailable;
    std::string spaceRequired;
    std::string destFolder;
    std::string description;
};
// Leaves `currentSection` at `selectedSection`. A DestDir without a first character has no drive:
// both space texts are then empty and no free space is asked for.
OptionsRefreshTexts ComputeRefreshTexts(SetupSettings& settings, int selectedSection, const FreeSpaceQuery& freeBytes);
