#include "framework/FileOverwrite.h"

namespace {
constexpr unsigned kBlockingAttributes = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;
// What SetFileAttributes accepts; the directory bit and the like are the system's to keep.
constexpr unsigned kSettableAttributes =
    kBlockingAttributes | kAttributeArchive | 0x100 /* temporary */ | 0x1000 /* offline */ | 0x2000 /* not indexed */;

unsigned Settable(unsigned attributes)
{
    attributes &= kSettableAttributes;
    return attributes == 0 ? kAttributeNormal : attributes;
}
}  // namespace

WriteOutcome WriteOverExisting(const std::string& path, FileAttributeAccess& files,
                               const std::function<unsigned long()>& write)
{
    const std::optional<unsigned> before = files.GetAttributes(path);
    const bool clear = before && !(*before & kAttributeDirectory) && (*before & kBlockingAttributes);
    if (clear) files.SetAttributes(path, Settable(*before & ~kBlockingAttributes));
    const WriteOutcome outcome{write(), before.has_value()};
    if (outcome.error != 0 && clear) files.SetAttributes(path, Settable(*before));
    return outcome;
}
