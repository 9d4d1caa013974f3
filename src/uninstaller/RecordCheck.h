#pragma once
// The install record as the uninstaller trusts it. The record comes from the registry, where only
// administrators write, but it is read as untrusted text all the same: before anything is removed by
// it, each path must be one the removal of the install folder itself would accept.

#include <optional>
#include <string>
#include <vector>

#include "framework/InstallRecord.h"

// The first path of the record that the removal must not follow, or nothing when every path passes:
// each must be a full path in canonical form (see CanonicalFolderPath) that neither is nor holds one of
// `guarded` (see CheckInstallFolder), and folders and plain files must not lie in one of
// `windowsFolders` (only shared files are written there, and they go only by their count).
std::optional<std::string> RefusedRecordPath(const InstallRecord& record, const std::vector<std::string>& guarded,
                                             const std::vector<std::string>& windowsFolders);

// Another installation on the PC, as the removal sees it: its folder and, when it has a readable
// record, the record.
struct OtherInstallation {
    std::string folder;  // canonical
    std::string productName;
    std::optional<InstallRecord> record;
};

// Whether the folder or file at `path` belongs to another installation: it is another one's folder or
// holds one, its record names it, or, for an installation without a record, it lies in its folder.
bool BelongsToOther(const std::string& path, const std::vector<OtherInstallation>& others);
