// RUN's command line and ATTRIB's flags from arbitrary fields: one field per line, field 0 first.

#include <cstdint>
#include <string>

#include "framework/AnsiText.h"
#include "FuzzInput.h"
#include "scripts/ScriptCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    ScriptFieldTable fields;
    for (int i = 0; i < kScriptFieldCount && !input.Empty(); ++i)
        fields[i] = input.Line();

    size_t argumentChars = 0;
    int arguments = 0;
    for (int i = 2; i < kScriptFieldCount && !fields[i].empty(); ++i) {
        argumentChars += fields[i].size();
        ++arguments;
    }

    const std::optional<std::string> line = BuildRunCommandLine(fields);
    if (line) {
        FUZZ_CHECK(line->size() <= kScriptLineLimit);
        FUZZ_CHECK(line->size() >= 1 + argumentChars + 2 * arguments);
        // Every argument is on the line, in order, between blanks; in quotes when it holds a blank
        // (a trail byte that equals a blank is none).
        size_t from = 0;
        for (int i = 2; i < 2 + arguments; ++i) {
            const std::string& a = fields[i];
            const std::string written = ansi::FindChar(a, ' ') == std::string::npos ? " " + a + " " : " \"" + a + "\" ";
            const size_t at = line->find(written, from);
            FUZZ_CHECK(at != std::string::npos);
            from = at + written.size();
        }
    } else {
        // Refused only when even the longest form (leading blank; blanks and quotes round each
        // argument) would not fit.
        FUZZ_CHECK(1 + argumentChars + 4 * arguments > kScriptLineLimit);
    }

    const unsigned attributes = static_cast<unsigned>(input.Number(0, 0xFFFFFFFFLL));
    const unsigned applied = ApplyAttribFlags(attributes, fields);
    FUZZ_CHECK(applied != 0);
    FUZZ_CHECK((applied & ~(0x3127u | kAttributeNormal)) == 0);
    FUZZ_CHECK(applied == kAttributeNormal || (applied & kAttributeNormal) == 0);
    return 0;
}
