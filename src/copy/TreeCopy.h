#pragma once
// The recursive copy of the current folder's tree into a destination folder, over a small host
// interface (the file system, the progress controls and the questions), so the decisions it makes
// can be tested without a disk or a window.

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "copy/FileReplace.h"

// One entry of a folder enumeration.
struct FoundEntry {
    std::string name;
    bool isFolder = false;
    unsigned long long size = 0;
    unsigned long long writeTime = 0;  // platform file time, universal time
};

// A file found in the destination, for the replace question.
struct ExistingFile {
    unsigned long long size = 0;
    unsigned long long writeTime = 0;
};

enum class ReplaceAnswer { Yes, YesToAll, No, Cancel };

class FolderEnumeration {
public:
    virtual ~FolderEnumeration() = default;
    // The next entry ("." and ".." included, as the file system gives them); false at the end.
    virtual bool Next(FoundEntry& entry) = 0;
};

class TreeCopyHost : public FileWriteAccess {
public:
    // Enumerates the current folder; null when it cannot be enumerated.
    virtual std::unique_ptr<FolderEnumeration> EnumerateCurrentFolder() = 0;
    // Makes the named sub-folder of the current folder current; false when it cannot be entered.
    virtual bool EnterFolder(const std::string& name) = 0;
    // Makes the parent folder current again.
    virtual void LeaveFolder() = 0;
    // Creates one folder level; true when it was made now. Failures (it exists, no room) are not
    // reported.
    virtual bool CreateFolder(const std::string& path) = 0;
    virtual bool PathExists(const std::string& path) = 0;
    // The file at `path` as the enumeration finds it; nothing when no entry matches.
    virtual std::optional<ExistingFile> FindExisting(const std::string& path) = 0;
    // Shows the name as found on the CD and the destination path in the progress dialog.
    virtual void ShowFile(const std::string& sourceName, const std::string& destPath) = 0;
    virtual ReplaceAnswer AskReplace(const FoundEntry& source, const ExistingFile& existing) = 0;
    // The exit confirmation; true when the user chose Exit.
    virtual bool ConfirmExit() = 0;
    // Copies the file to `target` and clears the copy's attributes: to the temporary file of the safe
    // write (see FileOverwrite.h), replacing what is there, or with `createNew` to the destination
    // itself, which it creates (kErrorFileExists when a file is there). 0 when copied, otherwise the
    // system's error code.
    virtual unsigned long CopyPlainFile(const std::string& sourceName, const std::string& target, bool createNew) = 0;
    // Expands a compressed file (a plain one passes unchanged) to `target`, as CopyPlainFile writes.
    // 0 when expanded, otherwise the system's error code or kFailedWithoutReason.
    virtual unsigned long ExpandCompressedFile(const std::string& sourceName, const std::string& target,
                                               bool createNew) = 0;
    // Whether a new file may be written in place, as the host keeps account of the one it is writing
    // (kNewFileNoteName): a write in place is then told by `createNew`.
    virtual bool NewFilesInPlace() { return false; }
    // The file's write has ended, put in place at `destPath` or not: for the log.
    virtual void FileWritten(const std::string& sourceName, const std::string& destPath, const WriteOutcome& outcome) {}
    // Tests the stop request without waiting; a request is consumed by the test that sees it.
    virtual bool StopRequested() = 0;
    // A file has been copied, expanded, kept or skipped: for the progress bar.
    virtual void FileDone(const FoundEntry& entry) {}
};

struct TreeCopyState {
    bool filesCompressed = false;
    bool useUnderscores = false;
    std::atomic<bool>& cancelRequested;
    std::atomic<bool>& yesToAllChosen;
    std::atomic<bool>& expansionFailed;
    // Files that could not be written (new or replaced), for the message at the end of the section.
    WriteFailures& failedWrites;
    // Files and folders whose destination path is longer than the system allows.
    WriteFailures& pathsTooLong;
    // The new file that an ended run was writing in place, as its note names it: short, so it is
    // replaced without a question.
    std::string unfinishedFile;
};

// Copies everything below the current folder into `destFolder` (which exists). Returns when the tree
// is copied, when a stop was requested, or when the user chose Exit (cancelRequested is then set).
// In a folder that the copy has just made (`destFolderIsNew`, and every sub-folder it creates) there
// is nothing to replace: files are written there without an existence test each.
// Every file is written safely (FileOverwrite.h), a new one in place where the host allows it; the
// temporary file that an ended run may have left in a destination folder is removed first. Destination paths beyond 259
// characters are not written and are collected in pathsTooLong, folders with everything below them. An existing file is
// replaced whatever its attributes. A file that cannot be written is collected in failedWrites with the system's
// reason; an expansion that fails without one (a damaged file) sets expansionFailed.
void CopyTree(const std::string& destFolder, TreeCopyHost& host, TreeCopyState& state, bool destFolderIsNew = false);

// What the count walk needs: a folder to enumerate and a way into and out of its sub-folders.
class FolderWalker {
public:
    virtual ~FolderWalker() = default;
    virtual std::unique_ptr<FolderEnumeration> EnumerateCurrentFolder() = 0;
    virtual bool EnterFolder(const std::string& name) = 0;
    virtual void LeaveFolder() = 0;
};

// The files and bytes below the walker's folder, walked as CopyTree walks it (the same folders left
// out), for the progress bar. Ends early, with what it has counted, once `stop` is set.
struct TreeCount {
    unsigned long long files = 0;
    unsigned long long bytes = 0;
};
TreeCount CountTree(FolderWalker& walker, const std::atomic<bool>* stop = nullptr);

// The underscore rule: MY_BOOK.TXT -> "My Book.txt", CHAPTER_1 -> "Chapter 1".
std::string MakeLongName(const std::string& name);

// The section's folder on the CD: CodeDir itself when it begins with a backslash, else below StartDir.
// Nothing when CodeDir is empty or the result is longer than 259 characters: the section then has no
// folder to copy from.
std::optional<std::string> SourceFolderName(const std::string& codeDir, const std::string& startDir);
