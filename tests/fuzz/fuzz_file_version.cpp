// The FileVersion text of a version resource, and the path cutting COPY compares versions for.
// Input: two version texts on the first two lines, then a path.

#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "scripts/ScriptCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string first = input.Line();
    const std::string second = input.Line();
    const std::string path = input.Rest();

    const FileVersion a = ParseFileVersionText(first);
    const FileVersion b = ParseFileVersionText(second);
    // Only the first 255 characters count.
    if (first.size() > 255) FUZZ_CHECK(ParseFileVersionText(first.substr(0, 255)) == a);
    // A text without a digit holds no number.
    if (first.substr(0, 255).find_first_of("0123456789") == std::string::npos) FUZZ_CHECK(a == FileVersion{});
    // The comparison COPY relies on is a strict order.
    FUZZ_CHECK(!(a < a));
    FUZZ_CHECK((a < b) + (b < a) + (a == b) == 1);

    const PathParts parts = SplitPath(path);
    // The four parts are the path, cut, in order.
    FUZZ_CHECK(parts.drive + parts.folder + parts.name + parts.extension == path);
    FUZZ_CHECK(parts.drive.empty() || parts.drive.size() == 2);
    FUZZ_CHECK(parts.extension.empty() || parts.extension[0] == '.');
    return 0;
}
