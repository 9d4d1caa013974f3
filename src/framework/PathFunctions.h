#pragma once
// The existence test and folder creation of the installer.

#include <string>

// A path is missing only when its attribute query fails with "file not found"; any other failure
// (a missing parent folder, a bad name, no access) counts as present.
bool PathExistsUnlessFileNotFound(const std::string& path);
// Creates every missing folder of the path from the root down. False only for a network path (and
// for a path beyond 259 characters, which is refused); true otherwise, whatever each creation did.
bool CreateDirectoryPath(const std::string& path);
