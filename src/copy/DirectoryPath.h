#pragma once
// The folder steps of CreateDirectoryPath, worked out without touching the disk.

#include <optional>
#include <string>
#include <vector>

constexpr size_t kMaxPathChars = 259;  // paths are held in 260 characters

// The folders to create, from the root down: C:\Book\Samples gives C:\Book, C:\Book\Samples.
// Nothing for a network path (two leading backslashes) or a path longer than 259 characters.
std::optional<std::vector<std::string>> DirectoryPathSteps(const std::string& path);
