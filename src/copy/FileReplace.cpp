#include "copy/FileReplace.h"

#include "framework/SafeFormat.h"

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

void ReplaceFailures::Add(const std::string& path, unsigned long error)
{
    if (listed_.size() < kListed) listed_.push_back({path, error});
    ++count_;
}

void ReplaceFailures::Clear()
{
    listed_.clear();
    count_ = 0;
}

std::string ReplaceFailureText(const std::string& problemText, const ReplaceFailures& failures,
                               const std::function<std::string(unsigned long)>& errorText)
{
    std::string text = problemText;
    for (const NotReplacedFile& file : failures.Listed()) {
        if (!text.empty()) text += "\n\n";
        text += FormatText("%s\nSetup can't replace \"%s\".", {errorText(file.error), file.path});
    }
    const size_t more = failures.Count() - failures.Listed().size();
    if (more > 0)
        text += FormatText("\n\nSetup can't replace %d more files either.", {static_cast<unsigned long>(more)});
    return text;
}
