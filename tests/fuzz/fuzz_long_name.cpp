// The copy engine's name rules: the underscore rule for long names, joining a name to a folder and
// the section's folder on the CD. Input lines: a name, a folder, CodeDir, StartDir.

#include <cstdint>
#include <string>

#include "copy/TreeCopy.h"
#include "framework/AnsiText.h"
#include "framework/PathText.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string name = input.Line();
    const std::string folder = input.Line();
    const std::string codeDir = input.Line();
    const std::string startDir = input.Rest();

    const std::string longName = MakeLongName(name);
    // Letters change case and underscores become blanks; the length and every other byte stay.
    FUZZ_CHECK(longName.size() == name.size());
    FUZZ_CHECK(ansi::EqualsNoCase(longName, name) || name.find('_') != std::string::npos);
    for (size_t i = 0; i < name.size(); i = ansi::NextChar(name, i)) {
        if (ansi::NextChar(name, i) == i + 1 && name[i] == '_') FUZZ_CHECK(longName[i] == ' ');
    }

    const std::string joined = AppendToFolder(folder, longName);
    FUZZ_CHECK(joined.compare(0, folder.size(), folder) == 0);
    FUZZ_CHECK(joined.size() >= longName.size() &&
               joined.compare(joined.size() - longName.size(), std::string::npos, longName) == 0);
    FUZZ_CHECK(joined.size() <= folder.size() + 1 + longName.size());

    if (const auto source = SourceFolderName(codeDir, startDir)) {
        FUZZ_CHECK(!codeDir.empty());
        FUZZ_CHECK(source->size() <= kMaxLongPathChars);
    }
    return 0;
}
