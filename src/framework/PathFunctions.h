#pragma once
// The existence test, folder creation and the file operations of the safe write of the installer.

#include <functional>
#include <string>

#include "framework/FileOverwrite.h"

// A path is missing only when its attribute query fails with "file not found"; any other failure
// (a missing parent folder, a bad name, no access) counts as present.
bool PathExistsUnlessFileNotFound(const std::string& path);
// Creates every missing folder of the path from the root down. False only for a network path (and
// for a path beyond 259 characters, which is refused); true otherwise, whatever each creation did.
// Each step is passed to `met` with whether this call created it.
bool CreateDirectoryPath(const std::string& path,
                         const std::function<void(const std::string& folder, bool created)>& met = nullptr);
// Renames a file, replacing a file at `to` when `replace` is set. 0, or the system's error code.
unsigned long RenameFileInto(const std::string& from, const std::string& to, bool replace);
// Renames the file open on `file` (with DELETE access) to the full path `to`, replacing a file there
// when `replace` is set, in one request; nothing when the system cannot rename through a handle (the
// caller then closes the file and renames it by its path).
std::optional<unsigned long> RenameOpenFile(void* file, const std::string& to, bool replace);
// Deletes a file, read-only or not, that may not be there; failures are not reported.
void RemoveFileIfThere(const std::string& path);

// The system's files as the safe write sees them (FileOverwrite.h).
class SystemFiles : public FileWriteAccess {
public:
    std::optional<unsigned> GetAttributes(const std::string& path) override;
    void SetAttributes(const std::string& path, unsigned attributes) override;
    unsigned long RenameFile(const std::string& from, const std::string& to, bool replace) override;
    void RemoveFile(const std::string& path) override;
    // Another program has the file open without sharing it (a book's viewer left open).
    bool InUse(const std::string& path) override;
};

// Has the system put `pending` in the place of `path` when it next starts (administrators only). 0,
// or the system's error code.
unsigned long ReplaceAtRestart(const std::string& pending, const std::string& path);
