#pragma once
// The copy worker and the Win32 side of the tree copy: the process-wide state shared by the progress
// dialog and its worker, the worker's entry, and the file operations of one copied file.

#include <windows.h>

#include <atomic>
#include <string>

#include "copy/FileReplace.h"
#include "framework/Handles.h"

// Auto-reset, not signalled at start, unnamed; they live as long as the process.
extern const UniqueHandle copyReadyEvent;  // the progress dialog is on the screen; the worker waits for it first
extern const UniqueHandle copyStopEvent;   // the user chose Exit; consumed by the first check that sees it
// Cleared by each initialisation of the progress dialog, then written only by its worker.
extern std::atomic<bool> yesToAllChosen;
extern std::atomic<bool> expansionFailed;
// Read by the user-interface thread only after the worker has reported the end of the section.
extern WriteFailures failedWrites;
extern WriteFailures pathsTooLong;
// The bytes of the files the section's copy put in place (new or replacing one), for its uninstall
// entry; set to 0 when the copy begins. Read like failedWrites.
extern unsigned long long sectionBytesWritten;
// An unattended run asks no replace question: an existing file is replaced, or kept when this is set.
extern std::atomic<bool> keepExistingFiles;
// Files in use are replaced when the system next starts: the run ends asking for a restart.
extern std::atomic<bool> restartNeeded;

// The block the progress dialog hands to its worker; the worker frees it as its first act.
struct CopyWorkerParams {
    HWND dialogWindow = nullptr;  // receives WM_COPY_SHOW_FILE, WM_COPY_PROGRESS and WM_SECTION_COPIED
};

// The worker thread's entry (for _beginthreadex): copies the section addressed by currentSection,
// then posts WM_SECTION_COPIED to the dialog. Takes ownership of a CopyWorkerParams allocated with new.
unsigned __stdcall CopyWorkerProc(void* params);

// The unattended copy of the section addressed by currentSection: on the calling thread, without a
// dialog, with the worker's checks (a missing CodeDir sets cancelRequested).
void CopyCurrentSection();
// After a section's copy has ended, on the user-interface thread: reports, once each, that files
// could not be expanded, and names the existing files that could not be replaced with the system's
// reasons. Both are failures of the run.
void ReportCopyFailures();

// Copies everything below the current folder into destFolder, showing each file in the two controls
// (either may be null) and asking before replacing. Runs on the worker thread.
void CopyTree(const std::string& destFolder, HWND sourceNameControl, HWND destNameControl, int fieldWidth);

// Size in bytes of the first entry matching the path; 0 when nothing matches. 64 bits wide, so files of
// 2 GiB and more are shown with their real size.
unsigned long long GetFoundFileSize(const std::string& path);
// Last-write time (universal file time) of the first entry matching the path; 0 when nothing matches.
unsigned long long GetFoundWriteTime(const std::string& path);

// The note of the new file being written in place (kNewFileNoteName) in a section's folder, for as long
// as the section's copy runs, and gone with it; what a run that was ended left there is read first.
// When the folder takes no note, new files go through the temporary name.
class NewFileNote {
public:
    explicit NewFileNote(const std::string& folder);
    ~NewFileNote();
    NewFileNote(const NewFileNote&) = delete;
    NewFileNote& operator=(const NewFileNote&) = delete;

    bool Open() const { return static_cast<bool>(file_); }
    // The file that an ended run was writing, as its note named it; empty when there was none.
    const std::string& Unfinished() const { return unfinished_; }
    // Names the file just created at `path`, before anything is written into it. 0 or why not.
    unsigned long Name(const std::string& path);

private:
    std::string path_;
    UniqueFile file_;
    std::string unfinished_;
};

// Copies a file to the destination (replacing what is there) and clears the copy's attributes. 0 when
// copied, otherwise the system's error code.
// With `keepOpen`, a copy that succeeds is left open there (with DELETE access), for its rename.
// With `createNew`, the destination is a new file (ERROR_FILE_EXISTS when one is there), which `note`
// names (when given) as soon as it is created.
unsigned long CopyPlainFile(const std::string& sourceName, const std::string& destPath, UniqueFile* keepOpen = nullptr,
                            bool createNew = false, NewFileNote* note = nullptr);

// The expansion library keeps the state of its open files in one table for the whole process, which it
// does not guard: every use of it, from the open to the close, holds this lock.
class LzLibraryLock : public ExclusiveLock {
public:
    LzLibraryLock();
};

// Opens a file for the expansion library (a file not in the compressed format reads as it is). 0, the
// system's error code when it cannot be opened, or kFailedWithoutReason when the library refuses it.
// The caller holds an LzLibraryLock for as long as `source` is open.
unsigned long OpenForExpansion(const std::string& path, UniqueLzHandle& source);
// Expands a compressed file of the current folder through LZ32 (a file not in the compressed format is
// copied unchanged), taking the library's lock. 0 when expanded; the system's error code when the
// source or destination cannot be opened or written; kFailedWithoutReason for a damaged file.
unsigned long ExpandCompressedFile(const std::string& sourceName, const std::string& destPath,
                                   UniqueFile* keepOpen = nullptr, bool createNew = false, NewFileNote* note = nullptr);
// Writes what the expansion library reads from `source` (an open LZ handle) to `dest`. 0 when done, the
// system's error code when a write fails, kFailedWithoutReason when the source is damaged.
unsigned long WriteExpanded(INT source, HANDLE dest);
