#include "framework/FileOverwrite.h"

#include "framework/AnsiText.h"
#include "framework/PathText.h"

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

std::string PartialFilePath(const std::string& path)
{
    const size_t slash = ansi::FindLastChar(path, '\\');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + kPartialFileName;
}

std::string NotedNewFile(std::string_view note)
{
    return std::string(note.substr(0, note.find('\0')));
}

bool NameTaken(unsigned long error)
{
    return error == kErrorAlreadyExists || error == kErrorFileExists;
}

WriteOutcome WriteFileSafely(const std::string& path, bool mayExist, FileWriteAccess& files,
                             const std::function<unsigned long(const std::string& target)>& write, bool newInPlace)
{
    const std::optional<unsigned> before = mayExist ? files.GetAttributes(path) : std::nullopt;
    const bool replacing = before.has_value();
    const std::string partial = PartialFilePath(path);
    const bool partialTooLong = partial.size() > kMaxLongPathChars;
    if (replacing && partialTooLong) return {kErrorPathTooLong, true, std::string()};
    if (!replacing && (newInPlace || partialTooLong)) {
        const unsigned long error = write(path);
        // A file in the way is not this write's: it stays.
        if (error != 0 && !NameTaken(error)) files.RemoveFile(path);
        return {error, false, std::string()};
    }
    unsigned long error = write(partial);
    if (error == 0) {
        const unsigned old = before.value_or(0);
        const bool clear = replacing && !(old & kAttributeDirectory) && (old & kBlockingAttributes);
        if (clear) files.SetAttributes(path, Settable(old & ~kBlockingAttributes));
        error = files.RenameFile(partial, path, replacing);
        if (error != 0 && clear) files.SetAttributes(path, Settable(old));
    }
    if (error != 0 && replacing && files.InUse(path)) {
        const std::string folder = partial.substr(0, partial.size() - std::string(kPartialFileName).size());
        for (int number = 1; number <= kPendingNamesTried; ++number) {
            const std::string pending = folder + kPendingFilePrefix + std::to_string(number) + ".tmp";
            if (files.RenameFile(partial, pending, false) == 0) return {error, replacing, pending};
        }
    }
    if (error != 0) files.RemoveFile(partial);
    return {error, replacing, std::string()};
}
