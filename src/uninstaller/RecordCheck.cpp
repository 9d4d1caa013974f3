#include "uninstaller/RecordCheck.h"

#include "uninstaller/FolderRemoval.h"
#include "uninstaller/InstallFolderCheck.h"

std::optional<std::string> RefusedRecordPath(const InstallRecord& record, const std::vector<std::string>& guarded,
                                             const std::vector<std::string>& windowsFolders)
{
    for (const RecordItem& item : record) {
        const std::optional<std::string> canonical = CanonicalFolderPath(item.path);
        if (!canonical || *canonical != item.path) return item.path;
        if (CheckInstallFolder(item.path, guarded).verdict != FolderVerdict::Removable) return item.path;
        if (item.kind != RecordKind::Folder && item.kind != RecordKind::File) continue;
        for (const std::string& windows : windowsFolders)
            if (!windows.empty() && IsSameOrInsideFolder(item.path, windows)) return item.path;
    }
    return std::nullopt;
}

bool BelongsToOther(const std::string& path, const std::vector<OtherInstallation>& others)
{
    for (const OtherInstallation& other : others) {
        if (IsSameOrInsideFolder(other.folder, path)) return true;
        if (other.record ? other.record->Names(path) : IsSameOrInsideFolder(path, other.folder)) return true;
    }
    return false;
}
