#include "copy/TreeCopy.h"

#include "framework/AnsiText.h"
#include "framework/PathText.h"

namespace {
constexpr int kMaxCountedDepth = 1000;
// The copy goes no deeper than the count: each level holds a frame of the worker's stack and an open
// folder, and a tree of thousands of one-letter levels fits in the longest path. A deeper folder is
// not copied but reported, like a path too long, so the install says that it is incomplete.
constexpr int kMaxCopiedDepth = kMaxCountedDepth;

std::string DestinationName(const std::string& name, const TreeCopyState& state)
{
    return state.useUnderscores ? MakeLongName(name) : name;
}

void CopyFolder(const std::string& destFolder, bool created, int depth, TreeCopyHost& host, TreeCopyState& state);

// The end of one file's write: told to the host, and a failure collected by its kind.
void Conclude(const FoundEntry& entry, const std::string& destPath, const WriteOutcome& outcome, TreeCopyHost& host,
              TreeCopyState& state)
{
    host.FileWritten(entry.name, destPath, outcome);
    if (outcome.error == kFailedWithoutReason)
        state.expansionFailed = true;
    else if (outcome.error == kErrorPathTooLong)  // the system's own limit: a name or path it refuses
        state.pathsTooLong.Add(destPath, outcome.error, outcome.replacing);
    else if (outcome.error != 0)
        state.failedWrites.Add(destPath, outcome.error, outcome.replacing, outcome.pending);
}

// Copies, asks about or skips one file. False when the user chose Exit from the replace question.
// `inNewFolder`: the copy created the destination folder itself, so no file of the user's is in it.
bool CopyFileEntry(const FoundEntry& entry, const std::string& destFolder, bool inNewFolder, TreeCopyHost& host,
                   TreeCopyState& state)
{
    const std::string destPath = AppendToFolder(destFolder, DestinationName(entry.name, state));
    if (destPath.size() > kMaxLongPathChars) {
        state.pathsTooLong.Add(destPath, kErrorPathTooLong, false);
        return true;
    }
    host.ShowFile(entry.name, destPath);
    // Only the file itself is created new; its temporary file may be a leftover.
    auto write = [&](const std::string& target) {
        const bool createNew = target == destPath;
        return state.filesCompressed ? host.ExpandCompressedFile(entry.name, target, createNew)
                                     : host.CopyPlainFile(entry.name, target, createNew);
    };
    const bool inPlace = host.NewFilesInPlace();
    // In a folder the copy has just made the file is simply written, without an existence test. Its
    // create (in place) or rename never replaces, so a file that is there after all (two CD names that
    // give one destination name, by the underscore rule or by case) stops it, and the file then goes
    // the way of an existing one. Not where the temporary name does not fit: that write would go
    // straight to the path.
    if (inNewFolder && (inPlace || PartialFilePath(destPath).size() <= kMaxLongPathChars)) {
        const WriteOutcome outcome = WriteFileSafely(destPath, false, host, write, inPlace);
        if (!NameTaken(outcome.error)) {
            Conclude(entry, destPath, outcome, host, state);
            return true;
        }
    }
    // Only a file the enumeration really finds is asked about: the existence test also reports
    // "present" for every file of a destination folder that could not be created.
    // One existence test serves the question and the write: a file that is not there is simply written.
    const bool mayExist = host.PathExists(destPath);
    const bool unfinished =
        mayExist && !state.unfinishedFile.empty() && ansi::EqualsNoCase(destPath, state.unfinishedFile);
    if (!state.yesToAllChosen && mayExist && !unfinished) {
        if (std::optional<ExistingFile> existing = host.FindExisting(destPath)) {
            switch (host.AskReplace(entry, *existing)) {
                case ReplaceAnswer::No:
                    return true;
                case ReplaceAnswer::Yes:
                    break;
                case ReplaceAnswer::YesToAll:
                    state.yesToAllChosen = true;
                    break;
                case ReplaceAnswer::Cancel:
                    if (host.ConfirmExit()) {
                        state.cancelRequested = true;
                        return false;
                    }
                    break;
            }
        }
    }
    Conclude(entry, destPath, WriteFileSafely(destPath, mayExist, host, write, inPlace), host, state);
    return true;
}

void CopyFolderEntry(const FoundEntry& entry, const std::string& destFolder, int depth, TreeCopyHost& host,
                     TreeCopyState& state)
{
    // Also covers "." and "..".
    if (entry.name.empty() || entry.name[0] == '.') return;
    const std::string destPath = AppendToFolder(destFolder, DestinationName(entry.name, state));
    if (destPath.size() > kMaxLongPathChars || depth >= kMaxCopiedDepth) {
        state.pathsTooLong.Add(destPath, kErrorPathTooLong, false);
        return;
    }
    const bool created = host.CreateFolder(destPath);
    if (!host.EnterFolder(entry.name)) return;
    CopyFolder(destPath, created, depth + 1, host, state);
    host.LeaveFolder();
}

void CopyFolder(const std::string& destFolder, bool created, int depth, TreeCopyHost& host, TreeCopyState& state)
{
    if (state.cancelRequested) return;
    std::unique_ptr<FolderEnumeration> entries = host.EnumerateCurrentFolder();
    if (!entries) return;
    // Only a folder that was there before can hold the temporary file of a run that was ended.
    if (!created) host.RemoveFile(AppendToFolder(destFolder, kPartialFileName));
    FoundEntry entry;
    while (entries->Next(entry)) {
        if (state.cancelRequested) return;
        if (entry.isFolder) {
            CopyFolderEntry(entry, destFolder, depth, host, state);
        } else if (!CopyFileEntry(entry, destFolder, created, host, state)) {
            return;
        } else {
            host.FileDone(entry);
        }
        if (host.StopRequested()) return;
    }
}
}  // namespace

void CopyTree(const std::string& destFolder, TreeCopyHost& host, TreeCopyState& state, bool destFolderIsNew)
{
    CopyFolder(destFolder, destFolderIsNew, 0, host, state);
}

namespace {
void CountFolder(FolderWalker& host, TreeCount& count, int depth, const std::atomic<bool>* stop)
{
    std::unique_ptr<FolderEnumeration> entries = host.EnumerateCurrentFolder();
    if (!entries) return;
    FoundEntry entry;
    while (entries->Next(entry)) {
        if (stop && *stop) return;
        if (!entry.isFolder) {
            ++count.files;
            count.bytes += entry.size;
            continue;
        }
        if (entry.name.empty() || entry.name[0] == '.') continue;
        // A loop of links cannot hold the count forever, nor run the stack out.
        if (depth >= kMaxCountedDepth) continue;
        if (!host.EnterFolder(entry.name)) continue;
        CountFolder(host, count, depth + 1, stop);
        host.LeaveFolder();
    }
}
}  // namespace

TreeCount CountTree(FolderWalker& walker, const std::atomic<bool>* stop)
{
    TreeCount count;
    CountFolder(walker, count, 0, stop);
    return count;
}

std::string MakeLongName(const std::string& name)
{
    std::string out = ansi::ToLower(name);
    bool upperNext = true;
    for (size_t i = 0; i < out.size();) {
        const size_t next = ansi::NextChar(out, i);
        const bool singleByte = next == i + 1;
        if (singleByte && out[i] == '_') {
            out[i] = ' ';
            upperNext = true;
        } else {
            if (upperNext && singleByte && out[i] >= 'a' && out[i] <= 'z')
                out[i] = static_cast<char>(out[i] - 'a' + 'A');
            upperNext = false;
        }
        i = next;
    }
    return out;
}

std::optional<std::string> SourceFolderName(const std::string& codeDir, const std::string& startDir)
{
    if (codeDir.empty()) return std::nullopt;
    std::string name = codeDir[0] == '\\' ? codeDir : AppendToFolder(startDir, codeDir);
    if (name.size() > kMaxLongPathChars) return std::nullopt;
    return name;
}
