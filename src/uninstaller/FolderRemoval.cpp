#include "uninstaller/FolderRemoval.h"

#include "framework/SafeFormat.h"

bool removalFailed = false;
const char kCannotDeleteText[] = "Setup cannot delete %s. (The file might be read-only or it might be in use.)";

namespace {
void EmptyCurrentFolder(RemovalFileSystem& fileSystem)
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
            const EnterResult entered = fileSystem.EnterSubfolder(entry.name);
            if (entered == EnterResult::NotTheListedFolder) {
                fileSystem.ShowMessage(FormatText(kCannotDeleteText, {entry.name}));
                removalFailed = true;
                continue;
            }
            if (entered == EnterResult::Entered) {
                EmptyCurrentFolder(fileSystem);
                if (!fileSystem.ReturnToFolder(listed)) {
                    removalFailed = true;
                    return;
                }
            } else {
                removalFailed = true;
            }
            if (entry.readOnly) fileSystem.ClearReadOnly(entry.name);
            if (!fileSystem.RemoveFolder(entry.name)) removalFailed = true;
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

void RemoveFolderContents(RemovalFileSystem& fileSystem, const std::string& folder)
{
    if (!fileSystem.SetCurrentFolder(folder)) {
        removalFailed = true;
        return;
    }
    EmptyCurrentFolder(fileSystem);
}
