#include "uninstaller/FolderRemoval.h"

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

// Whether the folder at `path` is one of `spared`, holds one, or neither.
Spare SpareOf(const std::string& path, const std::vector<std::string>& spared)
{
    Spare found = Spare::No;
    for (const std::string& folder : spared) {
        if (ansi::EqualsNoCase(folder, path)) return Spare::Whole;
        if (IsSameOrInsideFolder(folder, path)) found = Spare::Holder;
    }
    return found;
}

void EmptyCurrentFolder(RemovalFileSystem& fileSystem, const std::vector<std::string>& spared, bool& kept)
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
            const Spare spare = spared.empty() ? Spare::No : SpareOf(AppendToFolder(listed, entry.name), spared);
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
        if (!spared.empty() && SpareOf(AppendToFolder(listed, entry.name), spared) == Spare::Whole) {
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
    EmptyCurrentFolder(fileSystem, spared, kept);
    return kept;
}
