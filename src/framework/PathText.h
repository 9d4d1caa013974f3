#pragma once
// Path texts worked out without touching the disk: the length limit, joining, the folder of a path and
// the folder steps of CreateDirectoryPath.

#include <optional>
#include <string>
#include <vector>

constexpr size_t kMaxPathChars = 259;  // the plain form's limit: what the shell and the dialogs take
// Files and folders are reached in the \\?\ form when a path is longer (framework/WideText.h), up to the
// system's limit of 32,767 UTF-16 characters; this leaves room for the prefix and a temporary name.
constexpr size_t kMaxLongPathChars = 32000;

// The folders to create, from the root down: C:\Book\Samples gives C:\Book, C:\Book\Samples.
// Nothing for a network path (two leading backslashes) or a path beyond kMaxLongPathChars.
std::optional<std::vector<std::string>> DirectoryPathSteps(const std::string& path);

// `name` after `folder` and a backslash, unless `folder` already ends with one; an empty folder gives
// "\name", a name at the root.
std::string AppendToFolder(const std::string& folder, const std::string& name);
// The same, except that an empty base gives `name` alone, a name relative to the current folder.
std::string JoinPath(const std::string& base, const std::string& name);
// Everything up to and with the last backslash ("C:\Book\SETUP.EXE" gives "C:\Book\"); "." for a
// path without one.
std::string FolderWithBackslash(const std::string& path);
// Everything before the last backslash ("C:\Book\Samples" gives "C:\Book"), but the root of a drive
// keeps its backslash ("C:\Book" gives "C:\"); a path without one is its own parent.
std::string ParentFolder(const std::string& path);
