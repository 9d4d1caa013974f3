#include "copy/CopyEngine.h"

#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "copy/ExpandAhead.h"
#include "copy/PathDisplay.h"
#include "copy/ReplaceDialog.h"
#include "copy/TreeCopy.h"
#include "framework/App.h"
#include "framework/MessageBox.h"
#include "framework/PathFunctions.h"
#include "framework/PathText.h"
#include "framework/RunLog.h"
#include "framework/SafeFormat.h"
#include "framework/WideText.h"
#include "settings/ExitConfirmation.h"
#include "settings/SectionRecords.h"
#include "settings/SettingsWin.h"
#include "settings/SetupMessages.h"

const UniqueHandle copyReadyEvent{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
const UniqueHandle copyStopEvent{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
std::atomic<bool> yesToAllChosen{false};
std::atomic<bool> expansionFailed{false};
WriteFailures failedWrites;
WriteFailures pathsTooLong;
unsigned long long sectionBytesWritten = 0;
std::atomic<bool> keepExistingFiles{false};
std::atomic<bool> restartNeeded{false};

namespace {
// Byte counts travel in a message's 32-bit lParam as KiB, rounded up (up to 4 TiB).
unsigned long KiB(unsigned long long bytes)
{
    const unsigned long long kib = (bytes + 1023) / 1024;
    return kib > 0xFFFFFFFFull ? 0xFFFFFFFFul : static_cast<unsigned long>(kib);
}

// The copy's switches and the flags it shares with the user-interface thread.
TreeCopyState SectionCopyState()
{
    return TreeCopyState{setupSettings.filesCompressed,
                         setupSettings.useUnderscores,
                         setupSettings.cancelRequested,
                         yesToAllChosen,
                         expansionFailed,
                         failedWrites,
                         pathsTooLong};
}

unsigned long long Combine(DWORD high, DWORD low)
{
    return (static_cast<unsigned long long>(high) << 32) | low;
}

FoundEntry ToEntry(const WIN32_FIND_DATAW& data)
{
    return {Narrow(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            Combine(data.nFileSizeHigh, data.nFileSizeLow),
            Combine(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
}

// The first entry matching a path, as the enumeration sees it.
std::optional<FoundEntry> FindFirstEntry(const std::string& path)
{
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW(SystemPath(path).c_str(), &data));
    if (!find) return std::nullopt;
    return ToEntry(data);
}

class FindEnumeration : public FolderEnumeration {
public:
    bool Start(const std::string& pattern = "*.*")
    {
        // One enumeration per folder; the large fetch saves round trips on folders of many files.
        const std::wstring name = SystemPath(pattern);
        find_.reset(::FindFirstFileExW(name.c_str(), FindExInfoBasic, &data_, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
        if (!find_) find_.reset(::FindFirstFileW(name.c_str(), &data_));
        pending_ = static_cast<bool>(find_);
        return pending_;
    }
    bool Next(FoundEntry& entry) override
    {
        if (!pending_ && !(find_ && ::FindNextFileW(find_.get(), &data_))) return false;
        pending_ = false;
        entry = ToEntry(data_);
        return true;
    }

private:
    UniqueFind find_;
    WIN32_FIND_DATAW data_{};
    bool pending_ = false;
};

// Walks a tree by full paths: the count runs beside the copy, which moves the process's current folder.
class PathWalker : public FolderWalker {
public:
    explicit PathWalker(std::string root) { folders_.push_back(std::move(root)); }
    std::unique_ptr<FolderEnumeration> EnumerateCurrentFolder() override
    {
        auto enumeration = std::make_unique<FindEnumeration>();
        if (!enumeration->Start(AppendToFolder(folders_.back(), "*.*"))) return nullptr;
        return enumeration;
    }
    bool EnterFolder(const std::string& name) override
    {
        folders_.push_back(AppendToFolder(folders_.back(), name));
        return true;
    }
    void LeaveFolder() override { folders_.pop_back(); }

private:
    std::vector<std::string> folders_;
};

ExpandedFile ExpandIntoMemory(const std::string& path);
unsigned long WriteExpandedFile(const ExpandedFile& file, const std::string& destPath, UniqueFile* keepOpen,
                                bool createNew, NewFileNote* note);

// Expands a section's compressed files ahead of its copy, on a thread of its own, into memory: the
// expansion costs the processor about as much as the copy waits on the system for the file's create,
// write and close, and the source's open and close move off the copy's thread with it. The lock and
// the conditions cost no request to the system; the copy waits only for the one file being expanded.
class ExpansionThread {
public:
    // About the most that expanded files waiting for the copy hold in memory.
    static constexpr size_t kBudgetBytes = 4 * 1024 * 1024;

    ExpansionThread()
    {
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (...) {
            // Without the thread the copy expands every file itself.
            stopped_ = true;
        }
    }
    // Stops after the file being expanded.
    ~ExpansionThread()
    {
        if (!thread_.joinable()) return;
        {
            const ExclusiveLock hold(lock_);
            stopped_ = true;
        }
        ::WakeConditionVariable(&work_);
        thread_.join();
    }
    ExpansionThread(const ExpansionThread&) = delete;
    ExpansionThread& operator=(const ExpansionThread&) = delete;

    // A file of the source, named in full, that the copy will come to next.
    void Add(const std::string& path, unsigned long long sourceSize)
    {
        {
            const ExclusiveLock hold(lock_);
            if (stopped_) return;
            queue_.Add(path, sourceSize);
        }
        ::WakeConditionVariable(&work_);
    }
    // The file, expanded; nothing when the copy is to expand it itself.
    std::optional<ExpandedFile> Take(const std::string& path)
    {
        ExpandedFile file;
        ExpansionQueue::Take taken = ExpansionQueue::Take::Absent;
        {
            const ExclusiveLock hold(lock_);
            while (!stopped_ && (taken = queue_.TakeFile(path, file)) == ExpansionQueue::Take::InProgress)
                ::SleepConditionVariableSRW(&expanded_, &lock_, INFINITE, 0);
        }
        // What was taken or passed over makes room.
        ::WakeConditionVariable(&work_);
        if (taken != ExpansionQueue::Take::Ready) return std::nullopt;
        return file;
    }

private:
    void Run()
    {
        try {
            const ExclusiveLock hold(lock_);
            while (!stopped_) {
                const std::optional<std::string> path = queue_.StartNext();
                if (!path) {
                    ::SleepConditionVariableSRW(&work_, &lock_, INFINITE, 0);
                    continue;
                }
                ::ReleaseSRWLockExclusive(&lock_);
                ExpandedFile file;
                try {
                    file = ExpandIntoMemory(*path);
                } catch (...) {
                    // Nothing leaves while the lock is not held: no room for the file.
                    file = ExpandedFile{ERROR_NOT_ENOUGH_MEMORY, {}};
                }
                ::AcquireSRWLockExclusive(&lock_);
                queue_.Finish(std::move(file));
                ::WakeConditionVariable(&expanded_);
            }
        } catch (...) {
            // Out of memory for the queue itself: the copy expands the rest, the one in progress too.
            {
                const ExclusiveLock hold(lock_);
                stopped_ = true;
            }
            ::WakeConditionVariable(&expanded_);
        }
    }

    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE work_ = CONDITION_VARIABLE_INIT;      // a file to expand, room, or the stop
    CONDITION_VARIABLE expanded_ = CONDITION_VARIABLE_INIT;  // the file in progress is done
    ExpansionQueue queue_{kBudgetBytes};
    bool stopped_ = false;  // no more files are expanded ahead
    std::thread thread_;    // last: it starts once the rest is made
};

class WinTreeCopyHost : public TreeCopyHost {
public:
    // With a progress window, the names and the progress go to it; without one, to the given controls
    // of the calling thread (or nowhere, unattended).
    // With a note that is open, new files are written in place.
    // With an expansion thread, compressed files are expanded ahead.
    WinTreeCopyHost(HWND sourceNameControl, HWND destNameControl, int fieldWidth, HWND progressWindow = nullptr,
                    NewFileNote* note = nullptr, ExpansionThread* ahead = nullptr)
        : sourceNameControl_(sourceNameControl),
          destNameControl_(destNameControl),
          fieldWidth_(fieldWidth),
          progressWindow_(progressWindow),
          note_(note && note->Open() ? note : nullptr),
          ahead_(ahead),
          sourceFolder_(::CurrentFolder())
    {
    }

    // The section's folder is the current folder; its sub-folders are reached by full paths and never
    // made current: entering and leaving each one would cost two opens of it besides its enumeration,
    // and a deep one can be beyond the current folder's limit.
    std::unique_ptr<FolderEnumeration> EnumerateCurrentFolder() override
    {
        auto enumeration = std::make_unique<FindEnumeration>();
        if (!enumeration->Start(SourceName("*.*"))) return nullptr;
        if (!ahead_) return enumeration;
        return std::make_unique<LookaheadEnumeration>(std::move(enumeration),
                                                      [ahead = ahead_, folder = sourceFolder_](const FoundEntry& file) {
                                                          ahead->Add(AppendToFolder(folder, file.name), file.size);
                                                      });
    }
    bool EnterFolder(const std::string& name) override
    {
        const std::string folder = AppendToFolder(sourceFolder_, name);
        const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        ++depth_;
        sourceFolder_ = folder;
        return true;
    }
    void LeaveFolder() override
    {
        sourceFolder_ = ParentFolder(sourceFolder_);
        --depth_;
    }
    bool CreateFolder(const std::string& path) override
    {
        const bool created = ::CreateDirectoryW(SystemPath(path).c_str(), nullptr) != FALSE;
        RecordCreated(setupSettings.currentSection, RecordKind::Folder, path, created);
        return created;
    }
    bool PathExists(const std::string& path) override { return ::PathExistsUnlessFileNotFound(path); }
    std::optional<ExistingFile> FindExisting(const std::string& path) override
    {
        // Size and time come from one look-up.
        std::optional<FoundEntry> found = FindFirstEntry(path);
        if (!found) return std::nullopt;
        return ExistingFile{found->size, found->writeTime};
    }
    void ShowFile(const std::string& sourceName, const std::string& destPath) override
    {
        // The controls belong to the user-interface thread: each call waits until it has been handled,
        // which costs more than copying a small file. No eye follows more than a few names a second, so
        // a name is shown when the last one has stood for kShowIntervalMs (so every file of a slow copy).
        const ULONGLONG now = ::GetTickCount64();
        if (shownOnce_ && now - lastShown_ < kShowIntervalMs) return;
        shownOnce_ = true;
        lastShown_ = now;
        if (progressWindow_) {
            // The dialog sets and measures both names on its own thread, with the font it owns: after
            // Exit it is destroyed while the copy runs on until it sees the stop, and a font or field
            // used from here could be gone half-way through (the send then does nothing).
            ::SendMessageW(progressWindow_, WM_COPY_SHOW_FILE, reinterpret_cast<WPARAM>(&sourceName),
                           reinterpret_cast<LPARAM>(&destPath));
            return;
        }
        if (sourceNameControl_) ::SetWindowTextW(sourceNameControl_, Wide(sourceName).c_str());
        if (destNameControl_) {
            ::SetWindowTextW(destNameControl_,
                             Wide(CompactPathToWidth(destPath, destNameControl_, fieldWidth_)).c_str());
        }
    }
    ReplaceAnswer AskReplace(const FoundEntry& source, const ExistingFile& existing) override
    {
        ReplaceAnswer answer = ReplaceAnswer::Yes;
        if (IsUnattended()) {
            // Each file is decided on its own, so that each replaced file is logged as one.
            answer = keepExistingFiles ? ReplaceAnswer::No : ReplaceAnswer::Yes;
        } else {
            CReplaceDialog dialog(source.name, source.size, existing.size, source.writeTime, existing.writeTime);
            answer = dialog.Ask(ProgressWindow());
        }
        if (answer == ReplaceAnswer::No) LogLine("kept existing file " + source.name);
        return answer;
    }
    bool ConfirmExit() override { return RunExitConfirmation(ProgressWindow()); }
    // The file just written stays open until it is renamed into place through its handle: one request
    // instead of opening it again by its name.
    unsigned long CopyPlainFile(const std::string& sourceName, const std::string& target, bool createNew) override
    {
        written_.reset();
        writtenPath_ = target;
        return Measured(::CopyPlainFile(SourceName(sourceName), target, &written_, createNew, note_));
    }
    unsigned long ExpandCompressedFile(const std::string& sourceName, const std::string& target,
                                       bool createNew) override
    {
        written_.reset();
        writtenPath_ = target;
        if (ahead_) {
            if (const std::optional<ExpandedFile> file = ahead_->Take(AppendToFolder(sourceFolder_, sourceName)))
                return Measured(WriteExpandedFile(*file, target, &written_, createNew, note_));
        }
        return Measured(::ExpandCompressedFile(SourceName(sourceName), target, &written_, createNew, note_));
    }
    // A new file written in place saves its rename, a request to the system and the search of its
    // folder for the name; the note stands in for the temporary name should the run be ended.
    bool NewFilesInPlace() override { return note_ != nullptr; }
    unsigned long RenameFile(const std::string& from, const std::string& to, bool replace) override
    {
        if (written_ && from == writtenPath_) {
            const std::optional<unsigned long> renamed = RenameOpenFile(written_.get(), to, replace);
            written_.reset();
            if (renamed) return *renamed;
        }
        return files_.RenameFile(from, to, replace);
    }
    void RemoveFile(const std::string& path) override
    {
        if (path == writtenPath_) written_.reset();
        files_.RemoveFile(path);
    }
    void FileWritten(const std::string& sourceName, const std::string& destPath, const WriteOutcome& outcome) override
    {
        written_.reset();
        if (!outcome.pending.empty()) {
            // Not yet a failure: the user decides at the end of the section (ReplaceFilesInUseAtRestart).
            LogLine("in use: " + destPath + "; its new content waits in " + outcome.pending);
            return;
        }
        // A failure counts with the log off as well.
        const unsigned long long bytes = writtenBytes_;
        writtenBytes_ = 0;
        if (outcome.error == 0) {
            sectionBytesWritten += bytes;
            // Written by the book, new or replacing a file: the removal takes it.
            SectionRecord(setupSettings.currentSection).Add(RecordKind::File, destPath, !outcome.replacing);
            if (!TheRunLog().On()) return;
            const bool compressed = setupSettings.filesCompressed;
            const char* what = outcome.replacing ? (compressed ? "expanded (replaced)" : "replaced")
                                                 : (compressed ? "expanded" : "copied");
            LogLine(std::string(what) + " " + sourceName + " to " + destPath);
        } else {
            LogError("failed " + sourceName + " to " + destPath + ": " +
                     (outcome.error != kFailedWithoutReason ? SystemErrorText(outcome.error)
                                                            : std::string("the expansion failed")));
        }
    }
    std::optional<unsigned> GetAttributes(const std::string& path) override { return files_.GetAttributes(path); }
    void SetAttributes(const std::string& path, unsigned attributes) override
    {
        files_.SetAttributes(path, attributes);
    }
    bool InUse(const std::string& path) override { return files_.InUse(path); }
    // The stop is signalled only after the user chose Exit, which sets cancelRequested first: until then
    // the event is not asked about, which would cost a request to the system per file.
    bool StopRequested() override
    {
        return setupSettings.cancelRequested && ::WaitForSingleObject(copyStopEvent.get(), 0) == WAIT_OBJECT_0;
    }
    void FileDone(const FoundEntry& entry) override
    {
        ++filesDone_;
        bytesDone_ += entry.size;
        if (!progressWindow_) return;
        // Posted, so the worker never waits for the dialog; at most one per interval.
        const ULONGLONG now = ::GetTickCount64();
        if (now - lastProgress_ < kProgressIntervalMs) return;
        lastProgress_ = now;
        PostProgress();
    }
    void PostProgress()
    {
        if (progressWindow_) {
            ::PostMessageW(progressWindow_, WM_COPY_PROGRESS, static_cast<WPARAM>(filesDone_),
                           static_cast<LPARAM>(KiB(bytesDone_)));
        }
    }

private:
    // A name of the source folder as the system is to open it.
    std::string SourceName(const std::string& name) const
    {
        return depth_ > 0 ? AppendToFolder(sourceFolder_, name) : name;
    }

    static constexpr ULONGLONG kShowIntervalMs = 40;
    // The bar and the count repaint on the user-interface thread; ten times a second is smooth enough.
    static constexpr ULONGLONG kProgressIntervalMs = 100;

    // The size of the file just written, from its open handle (an expanded file is larger than the
    // CD's); counted for the section once the file is in place.
    unsigned long Measured(unsigned long error)
    {
        LARGE_INTEGER size{};
        writtenBytes_ = error == 0 && written_ && ::GetFileSizeEx(written_.get(), &size)
                            ? static_cast<unsigned long long>(size.QuadPart)
                            : 0;
        return error;
    }

    // The worker's questions belong to the progress dialog whose fields show the copy, so that they
    // stay in front of it (and of the backdrop) wherever the user clicks.
    HWND ProgressWindow() const
    {
        if (progressWindow_) return progressWindow_;
        return sourceNameControl_ ? ::GetParent(sourceNameControl_) : nullptr;
    }

    SystemFiles files_;
    UniqueFile written_;  // the file last written, while it waits for its rename
    std::string writtenPath_;
    unsigned long long writtenBytes_ = 0;  // of the file last written, until it is put in place
    HWND sourceNameControl_;
    HWND destNameControl_;
    int fieldWidth_;
    bool shownOnce_ = false;
    ULONGLONG lastShown_ = 0;
    HWND progressWindow_;       // receives WM_COPY_PROGRESS; null without a dialog
    NewFileNote* note_;         // names each new file written in place; null: none are
    ExpansionThread* ahead_;    // expands compressed files ahead; null: each is expanded when it comes
    std::string sourceFolder_;  // the folder of the CD being copied, in full
    int depth_ = 0;             // levels below the current folder
    unsigned long long filesDone_ = 0;
    unsigned long long bytesDone_ = 0;
    ULONGLONG lastProgress_ = 0;
};

void CopySection(const CopyWorkerParams& params)
{
    ::WaitForSingleObject(copyReadyEvent.get(), INFINITE);
    sectionBytesWritten = 0;
    const std::string destDir = setupSettings.GetSectionValue(SectionKey::DestDir);
    // Whether the last step, DestDir itself, was made now: then it holds nothing to replace.
    bool destDirIsNew = false;
    CreateDirectoryPath(destDir, [&destDirIsNew](const std::string& folder, bool created) {
        RecordCreated(setupSettings.currentSection, RecordKind::Folder, folder, created);
        destDirIsNew = created;
    });

    const std::string codeDir = setupSettings.GetSectionValue(SectionKey::CodeDir);
    const std::string& startDir = specialFolders.Get(SpecialFolder::StartDir);
    const std::optional<std::string> source = SourceFolderName(codeDir, startDir);
    // Only the section's own folder is ever copied: an empty CodeDir, or a folder that passes the
    // existence test but cannot be entered (under a missing folder, no medium, no access), counts as
    // missing rather than letting the copy run on whatever folder happens to be current.
    bool missing = !source;
    if (!missing) missing = !PathExistsUnlessFileNotFound(setupSettings.settingsValid ? *source : std::string("Code"));
    if (!missing) missing = !SetCurrentFolderPath(*source);
    if (missing) {
        const std::string text =
            setupSettings.settingsValid
                ? FormatText(
                      "The book's files are supposed to be in a directory named '%s'. Setup can't find this "
                      "directory so it's exiting.",
                      {source ? *source : AppendToFolder(startDir, codeDir)})
                : std::string("Setup can't find the directory where the files should be stored so it's exiting.");
        FailureMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        setupSettings.cancelRequested = true;
        return;
    }
    LogLine("copying " + *source + " to " + destDir);
    NewFileNote note(destDir);
    TreeCopyState state = SectionCopyState();
    state.unfinishedFile = note.Unfinished();
    if (!state.unfinishedFile.empty()) LogLine("an ended run left " + state.unfinishedFile + " short");
    std::optional<ExpansionThread> ahead;
    if (setupSettings.filesCompressed) ahead.emplace();
    ExpansionThread* expanding = ahead ? &*ahead : nullptr;
    if (!params.dialogWindow) {
        WinTreeCopyHost unattended(nullptr, nullptr, 0, nullptr, &note, expanding);
        CopyTree(destDir, unattended, state, destDirIsNew);
        return;
    }
    // The count for the bar walks the section's tree beside the copy: done first, on the worker, it
    // held back the first file by a quarter to a whole second for 5,000 files under Wine. Until it
    // ends, the dialog shows the files done without a total.
    std::atomic<bool> stopCount{false};
    std::thread counter;
    try {
        counter = std::thread([&stopCount, root = *source, dialog = params.dialogWindow] {
            PathWalker walker(root);
            const TreeCount total = CountTree(walker, &stopCount);
            if (!stopCount) {
                ::PostMessageW(dialog, WM_COPY_COUNTED, static_cast<WPARAM>(total.files),
                               static_cast<LPARAM>(KiB(total.bytes)));
            }
        });
    } catch (...) {
        // Without a thread there is no total; the copy itself is not affected.
    }
    WinTreeCopyHost copying(nullptr, nullptr, 0, params.dialogWindow, &note, expanding);
    CopyTree(destDir, copying, state, destDirIsNew);
    stopCount = true;
    if (counter.joinable()) counter.join();
    copying.PostProgress();
}
}  // namespace

void CopyCurrentSection()
{
    yesToAllChosen = false;
    expansionFailed = false;
    failedWrites.Clear();
    pathsTooLong.Clear();
    ::SetEvent(copyReadyEvent.get());
    CopySection(CopyWorkerParams{});
}

namespace {
const char kInUseText[] =
    "These files are in use by another program, so Setup can't replace them now:\n\n%s\n"
    "Replace them when the computer restarts?";

// The files in use of the section: with the user's Yes (an unattended run's is implied), the system
// puts the new content in place when it next starts; otherwise the new content goes and the old
// files count as not replaced.
void ReplaceFilesInUseAtRestart()
{
    std::vector<FailedWrite> inUse = failedWrites.TakeInUse();
    if (inUse.empty()) return;
    std::string list;
    for (size_t i = 0; i < inUse.size() && i < WriteFailures::kListed; ++i)
        list += BreakLongPath(inUse[i].path, kMessageLineChars) + "\n";
    if (inUse.size() > WriteFailures::kListed)
        list += "and " + std::to_string(inUse.size() - WriteFailures::kListed) + " more\n";
    const std::string question = FormatText(kInUseText, {list});
    bool schedule = true;
    if (IsUnattended()) {
        LogLine("question answered Yes: " + question);
    } else {
        schedule = AppMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    SystemFiles files;
    for (const FailedWrite& file : inUse) {
        const unsigned long error = schedule ? ReplaceAtRestart(file.pending, file.path) : file.error;
        if (schedule && error == 0) {
            restartNeeded = true;
            LogLine("replaced at the next start: " + file.path);
            // The book's file from then on: its removal takes it.
            SectionRecord(setupSettings.currentSection).Add(RecordKind::File, file.path);
            continue;
        }
        files.RemoveFile(file.pending);
        failedWrites.Add(file.path, error, true);
    }
}
}  // namespace

void ReportCopyFailures()
{
    // Reported once per section however many expansions failed, with the files whose paths are too
    // long for the system.
    if (expansionFailed || !pathsTooLong.Empty()) {
        FailureMessageBox(WriteFailureText(setupSettings.GetText(TextId::LongFilenameProblemText), pathsTooLong,
                                           [](unsigned long code) { return SystemErrorText(code); }),
                          MB_OK | MB_ICONEXCLAMATION);
    }
    ReplaceFilesInUseAtRestart();
    // A file not written, or an old one left in place, would otherwise pass for installed: the user
    // learns which and why.
    if (failedWrites.Empty()) return;
    FailureMessageBox(WriteFailureText(setupSettings.GetText(TextId::ProblemInstallingText), failedWrites,
                                       [](unsigned long code) { return SystemErrorText(code); }),
                      MB_OK | MB_ICONEXCLAMATION);
}

unsigned __stdcall CopyWorkerProc(void* block)
{
    CopyWorkerParams params;
    {
        std::unique_ptr<CopyWorkerParams> owned(static_cast<CopyWorkerParams*>(block));
        if (owned) params = *owned;
    }
    try {
        CopySection(params);
    } catch (...) {
        // Nothing may leave the thread; the dialog still learns that the copy has ended.
    }
    ::PostMessageW(params.dialogWindow, WM_SECTION_COPIED, 0, 0);
    return 0;
}

void CopyTree(const std::string& destFolder, HWND sourceNameControl, HWND destNameControl, int fieldWidth)
{
    std::optional<ExpansionThread> ahead;
    if (setupSettings.filesCompressed) ahead.emplace();
    WinTreeCopyHost host(sourceNameControl, destNameControl, fieldWidth, nullptr, nullptr, ahead ? &*ahead : nullptr);
    TreeCopyState state = SectionCopyState();
    CopyTree(destFolder, host, state);
}

unsigned long long GetFoundFileSize(const std::string& path)
{
    std::optional<FoundEntry> found = FindFirstEntry(path);
    return found ? found->size : 0;
}

unsigned long long GetFoundWriteTime(const std::string& path)
{
    std::optional<FoundEntry> found = FindFirstEntry(path);
    return found ? found->writeTime : 0;
}

namespace {
unsigned long LastErrorOr(DWORD fallback)
{
    const DWORD error = ::GetLastError();
    return error != 0 ? error : fallback;
}

// Writes all of `size` bytes at the file's position. 0, the system's error code, or ERROR_DISK_FULL when
// the write ended short.
unsigned long WriteAll(HANDLE file, const char* data, DWORD size)
{
    if (size == 0) return 0;  // nothing to ask the system
    DWORD written = 0;
    if (!::WriteFile(file, data, size, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
    return written == size ? 0 : ERROR_DISK_FULL;
}

// Hands what the expansion library reads from `source` to `take` block by block, until the end, a
// damaged source (kFailedWithoutReason) or the first error `take` returns.
template <typename Take>
unsigned long ReadExpanded(INT source, Take&& take)
{
    constexpr INT kBlock = 64 * 1024;
    thread_local std::vector<char> buffer(kBlock);
    for (;;) {
        const INT read = ::LZRead(source, buffer.data(), kBlock);
        if (read < 0) return kFailedWithoutReason;
        if (read == 0) return 0;
        if (const unsigned long error = take(buffer.data(), static_cast<DWORD>(read))) return error;
    }
}
}  // namespace

NewFileNote::NewFileNote(const std::string& folder) : path_(AppendToFolder(folder, kNewFileNoteName))
{
    const std::wstring name = SystemPath(path_);
    // A note left by an ended run is read, then deleted, never written to: whatever is at its name
    // (a link, even) only ever names a file for the copy, which writes that file anyway.
    UniqueFile left(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (left) {
        constexpr DWORD kLongest = kMaxLongPathChars * 3 + 1;  // a path in UTF-8, and its end
        std::string text(kLongest, '\0');
        DWORD read = 0;
        if (::ReadFile(left.get(), text.data(), kLongest, &read, nullptr)) {
            text.resize(read);
            unfinished_ = NotedNewFile(text);
        }
        left.reset();
        RemoveFileIfThere(path_);
    }
    file_.reset(::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
}

NewFileNote::~NewFileNote()
{
    if (!file_) return;
    file_.reset();
    ::DeleteFileW(SystemPath(path_).c_str());
}

unsigned long NewFileNote::Name(const std::string& path)
{
    // Always from the start: the name ends at its NUL, whatever a longer one left after it. The file
    // position, not an offset in an OVERLAPPED: with one, the write also asks the system about a
    // completion port, a request per file.
    const LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return LastErrorOr(ERROR_WRITE_FAULT);
    return WriteAll(file_.get(), path.c_str(), static_cast<DWORD>(path.size() + 1));
}

namespace {
// Creates a destination to write: a new file, named by the note, or the temporary file, replacing it.
unsigned long CreateDestination(const std::string& destPath, DWORD access, DWORD flags, bool createNew,
                                NewFileNote* note, UniqueFile& dest)
{
    dest.reset(::CreateFileW(SystemPath(destPath).c_str(), access, 0, nullptr, createNew ? CREATE_NEW : CREATE_ALWAYS,
                             flags, nullptr));
    if (!dest) return LastErrorOr(ERROR_GEN_FAILURE);
    return createNew && note ? note->Name(destPath) : 0;
}
}  // namespace

unsigned long CopyPlainFile(const std::string& sourceName, const std::string& destPath, UniqueFile* keepOpen,
                            bool createNew, NewFileNote* note)
{
    // The copy's own loop rather than CopyFile: the copy is created with no attributes (a file from a
    // CD arrives read-only otherwise, and clearing that costs a request per file) and gets the
    // source's times on its open handle.
    UniqueFile source(::CreateFileW(SystemPath(sourceName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source) return LastErrorOr(ERROR_GEN_FAILURE);
    FILETIME created{}, accessed{}, written{};
    const bool timed = ::GetFileTime(source.get(), &created, &accessed, &written) != FALSE;
    UniqueFile dest;
    if (const unsigned long error =
            CreateDestination(destPath, GENERIC_WRITE | (keepOpen ? DELETE : 0),
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, createNew, note, dest))
        return error;
    // One buffer per thread for the whole run: large enough that a large file takes few requests.
    constexpr DWORD kBlock = 256 * 1024;
    thread_local std::vector<char> buffer(kBlock);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(source.get(), buffer.data(), kBlock, &read, nullptr)) return LastErrorOr(ERROR_READ_FAULT);
        if (read == 0) break;
        if (const unsigned long error = WriteAll(dest.get(), buffer.data(), read)) return error;
    }
    if (timed) ::SetFileTime(dest.get(), &created, &accessed, &written);
    if (keepOpen) *keepOpen = std::move(dest);
    return 0;
}

namespace {
SRWLOCK lzLibrary = SRWLOCK_INIT;
}  // namespace

LzLibraryLock::LzLibraryLock() : ExclusiveLock(lzLibrary) {}

unsigned long OpenForExpansion(const std::string& path, UniqueLzHandle& source)
{
    // Opened here and handed to the library, whose own open takes only code-page names of up to 128
    // bytes (and searches for a bare name); the library's handle owns the file from then on.
    UniqueFile file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return LastErrorOr(ERROR_GEN_FAILURE);
    // The library's file numbers are the system's handles.
    const INT opened = ::LZInit(static_cast<HFILE>(reinterpret_cast<intptr_t>(file.get())));
    if (opened < 0) return kFailedWithoutReason;
    file.release();
    source.reset(opened);
    return 0;
}

unsigned long ExpandCompressedFile(const std::string& sourceName, const std::string& destPath, UniqueFile* keepOpen,
                                   bool createNew, NewFileNote* note)
{
    const LzLibraryLock turn;
    UniqueLzHandle source;
    if (const unsigned long error = OpenForExpansion(sourceName, source)) return error;
    // The destination is not opened through the library: when it cannot be created (read-only, in use)
    // the library silently creates the compressed name ("README.TX_") beside it instead.
    UniqueFile dest;
    if (const unsigned long error = CreateDestination(destPath, GENERIC_WRITE | (keepOpen ? DELETE : 0),
                                                      FILE_ATTRIBUTE_NORMAL, createNew, note, dest))
        return error;
    const unsigned long error = WriteExpanded(source.get(), dest.get());
    if (error == 0 && keepOpen) *keepOpen = std::move(dest);
    return error;
}

unsigned long WriteExpanded(INT source, HANDLE dest)
{
    // Read through the library and written here, so that a failed write (a full disk) has its reason.
    return ReadExpanded(source, [dest](const char* data, DWORD size) { return WriteAll(dest, data, size); });
}

namespace {
ExpandedFile ExpandIntoMemory(const std::string& path)
{
    const LzLibraryLock turn;
    UniqueLzHandle source;
    if (const unsigned long error = OpenForExpansion(path, source)) return {error, {}};
    ExpandedFile file;
    file.error = ReadExpanded(source.get(), [&file](const char* data, DWORD size) {
        file.bytes.append(data, size);
        return 0ul;
    });
    if (file.error != 0) file.bytes.clear();
    return file;
}

unsigned long WriteExpandedFile(const ExpandedFile& file, const std::string& destPath, UniqueFile* keepOpen,
                                bool createNew, NewFileNote* note)
{
    if (file.error != 0) return file.error;
    UniqueFile dest;
    if (const unsigned long error = CreateDestination(destPath, GENERIC_WRITE | (keepOpen ? DELETE : 0),
                                                      FILE_ATTRIBUTE_NORMAL, createNew, note, dest))
        return error;
    if (const unsigned long error = WriteAll(dest.get(), file.bytes.data(), static_cast<DWORD>(file.bytes.size())))
        return error;
    if (keepOpen) *keepOpen = std::move(dest);
    return 0;
}
}  // namespace
