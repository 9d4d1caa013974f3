#pragma once
// Writing a file that may already be there, so that the old file is never lost. The new content is
// written into a temporary file beside it and put in place with one rename once it is complete and
// closed; when anything fails, the temporary file is deleted and the old file is untouched. The
// system refuses to rename over a read-only file, and over a hidden or system one, so those
// attributes are cleared for the time of the rename and put back when it still fails.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Attribute bits, as the platform numbers them.
constexpr unsigned kAttributeReadOnly = 0x01;
constexpr unsigned kAttributeHidden = 0x02;
constexpr unsigned kAttributeSystem = 0x04;
constexpr unsigned kAttributeDirectory = 0x10;
constexpr unsigned kAttributeArchive = 0x20;
constexpr unsigned kAttributeNormal = 0x80;

// A write's result: 0, or the system's error code, or this when the failure has no system reason
// (a damaged compressed file).
constexpr unsigned long kFailedWithoutReason = 0xFFFFFFFFul;
// The system's code for a path longer than it allows.
constexpr unsigned long kErrorPathTooLong = 206;
// The system's codes for a name that is taken, as a rename that may not replace reports it.
constexpr unsigned long kErrorFileExists = 80;
constexpr unsigned long kErrorAlreadyExists = 183;

// The one temporary name, in the folder of the file being written: setup writes one file at a time,
// so a run always reuses it, and a run that was ended in the middle of a replacement leaves at most this
// file, which the next write into that folder (or the copy's sweep of it) removes. Never a name a
// book uses: it starts with "~" and says what it is.
constexpr char kPartialFileName[] = "~setup-partial.tmp";
// The temporary file's path for a file at `path` (in the same folder).
std::string PartialFilePath(const std::string& path);

class FileAttributeAccess {
public:
    virtual ~FileAttributeAccess() = default;
    // Nothing when the path cannot be asked about (it does not exist).
    virtual std::optional<unsigned> GetAttributes(const std::string& path) = 0;
    virtual void SetAttributes(const std::string& path, unsigned attributes) = 0;
};

// What the safe write needs besides the attributes.
class FileWriteAccess : public FileAttributeAccess {
public:
    // Renames `from` to `to`, replacing a file at `to` when `replace` is set. 0 or the system's error.
    virtual unsigned long RenameFile(const std::string& from, const std::string& to, bool replace) = 0;
    // Deletes a file that may not be there (read-only or not); failures are not reported.
    virtual void RemoveFile(const std::string& path) = 0;
    // Whether another program holds the file at `path` open so that it cannot be replaced now.
    virtual bool InUse(const std::string& path) { return false; }
};

// While a section's copy writes new files in place, this file in the section's folder names the one
// being written (its full path in UTF-8, ended by a NUL): a run ended in the middle of a new file
// leaves it, and the next run replaces the file it names without asking, as the short file it is.
constexpr char kNewFileNoteName[] = "~setup-writing.tmp";
// The path such a note names; empty when it names none.
std::string NotedNewFile(std::string_view note);

// The system's answers when a create or a rename that may not replace finds a file at its target.
bool NameTaken(unsigned long error);

// The new content of a file that is in use waits under this name and a number, beside the file, for
// the replacement at the next start of the system.
constexpr char kPendingFilePrefix[] = "~setup-restart-";
constexpr int kPendingNamesTried = 100;

struct WriteOutcome {
    unsigned long error = 0;  // 0, what `write` returned, or why the file could not be put in place
    bool replacing = false;   // something was at the path before
    std::string pending;      // the new content, kept aside, when the old file is in use
};

// Writes the file at `path` through `write`, which writes the file it is given and returns 0 or why
// it failed. A file that may be at `path` (`mayExist`) is replaced as described above; one that is
// not is written through the temporary name as well, so that a write that is ended part-way never
// leaves a short file under the book's name, unless the caller keeps account of a new file while it
// is written (`newInPlace`, see kNewFileNoteName): it is then written in place, which saves its
// rename. When the temporary path would be longer than the system allows a new file is written in
// place too; a replacement is then refused with kErrorPathTooLong rather than risk the old file.
// A write in place creates a new file only (NameTaken when one is there, which stays untouched) and
// deletes what it wrote when it fails. When the old file cannot be replaced
// because it is in use, the new content is kept under a pending name (kPendingFilePrefix) beside it,
// for the caller to have it put in place at the next start of the system, or to delete.
WriteOutcome WriteFileSafely(const std::string& path, bool mayExist, FileWriteAccess& files,
                             const std::function<unsigned long(const std::string& target)>& write,
                             bool newInPlace = false);
