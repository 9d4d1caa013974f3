#include "uninstaller/FolderRemoval.h"

#include <unordered_set>

#include "framework/AnsiText.h"
#include "framework/PathText.h"
#include "framework/SafeFormat.h"

bool removalFailed = false;
const char kCannotDeleteText[] = "Setup cannot delete %s. (The file might be read-only or it might be in use.)";

bool IsSameOrInsideFolder(const std::string& path, const std::string& folder)
{
    if (path.size() < folder.size() || !ansi::EqualsNoCase(std::string_view(path).substr(0, folder.size()), folder))
        return false;
    return path.size() == folder.size() || ansi::EndsWithChar(folder, '\\') || path[folder.size()] == '\\';
}

namespace {
enum class Spare { No, Whole, Holder };

// The spared paths and every folder that holds one, by their upper-case spelling: each entry of the
// tree is looked up once, however many paths the other records name.
class SparedPaths {
public:
    explicit SparedPaths(const std::vector<std::string>& spared)
    {
        for (const std::string& path : spared) {
            std::string key = ansi::ToUpper(path);
            for (size_t slash = ansi::FindChar(key, '\\'); slash != std::string::npos;
                 slash = ansi::FindChar(key, '\\', slash + 1))
                holders_.insert(key.substr(0, slash));
            whole_.insert(std::move(key));
        }
    }
    // Whether the entry at `path` is spared, holds a spared path, or neither.
    Spare Of(const std::string& path) const
    {
        if (whole_.empty()) return Spare::No;
        const std::string key = ansi::ToUpper(path);
        if (whole_.count(key)) return Spare::Whole;
        return holders_.count(key) ? Spare::Holder : Spare::No;
    }

private:
    std::unordered_set<std::string> whole_;
    std::unordered_set<std::string> holders_;
};

void EmptyCurrentFolder(RemovalFileSystem& fileSystem, const SparedPaths& spared, bool& kept)
{
    // Going back up with ".." would, after a subfolder that could not be entered, climb out of the
    // folder being emptied; the full path always leads back to the right place.
    const std::string listed = fileSystem.CurrentFolder();
    if (listed.empty()) {
        removalFailed = true;
        return;
    }
    for (const FolderEntry& entry : fileSystem.ListCurrentFolder()) {
        if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
        if (entry.isFolder && !entry.isLink) {
            const Spare spare = spared.Of(AppendToFolder(listed, entry.name));
            if (spare == Spare::Whole) {
                kept = true;
                continue;
            }
            const EnterResult entered = fileSystem.EnterSubfolder(entry.name);
            if (entered == EnterResult::NotTheListedFolder) {
                fileSystem.ShowMessage(FormatText(kCannotDeleteText, {entry.name}));
                removalFailed = true;
                continue;
            }
            if (entered == EnterResult::Entered) {
                EmptyCurrentFolder(fileSystem, spared, kept);
                if (!fileSystem.ReturnToFolder(listed)) {
                    removalFailed = true;
                    return;
                }
            } else {
                removalFailed = true;
            }
            if (spare == Spare::Holder) continue;
            if (entry.readOnly) fileSystem.ClearReadOnly(entry.name);
            if (!fileSystem.RemoveFolder(entry.name)) removalFailed = true;
            continue;
        }
        if (spared.Of(AppendToFolder(listed, entry.name)) == Spare::Whole) {
            kept = true;
            continue;
        }
        if (entry.readOnly) fileSystem.ClearReadOnly(entry.name);
        if (entry.isFolder) {
            // A link left in place is named like a file, so that the user knows what stayed.
            if (!fileSystem.RemoveFolder(entry.name)) {
                fileSystem.ShowMessage(FormatText(kCannotDeleteText, {entry.name}));
                removalFailed = true;
            }
            continue;
        }
        if (!fileSystem.RemoveFile(entry.name)) {
            fileSystem.ShowMessage(FormatText(kCannotDeleteText, {entry.name}));
            removalFailed = true;
        }
    }
}
}  // namespace

bool RemoveFolderContents(RemovalFileSystem& fileSystem, const std::string& folder,
                          const std::vector<std::string>& spared)
{
    if (!fileSystem.SetCurrentFolder(folder)) {
        removalFailed = true;
        return false;
    }
    bool kept = false;
    EmptyCurrentFolder(fileSystem, SparedPaths(spared), kept);
    return kept;
}
