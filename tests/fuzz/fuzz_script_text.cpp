// Install script text: cutting into lines, cutting a line into fields, the path placeholders and the
// command word. Input: the section's DestDir on the first line, then the script file's bytes.

#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "scripts/ScriptText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    PlaceholderValues values;
    values.destDir = input.Line();
    values.system = "C:\\WINDOWS\\SYSTEM";
    values.windows = "C:\\WINDOWS";
    values.startDir = "D:\\";
    values.desktop = "C:\\WINDOWS\\Desktop";
    values.favorites = "C:\\WINDOWS\\Favorites";
    values.myDocuments = "C:\\My Documents";
    values.startMenu = "C:\\WINDOWS\\Start Menu";
    values.programs = "C:\\WINDOWS\\Start Menu\\Programs";
    const std::string script = input.Rest();

    ScriptFieldTable fields;
    ForEachScriptLine(script, [&](std::string_view line) {
        FUZZ_CHECK(!line.empty());
        FUZZ_CHECK(line.find('\r') == std::string_view::npos && line.find('\0') == std::string_view::npos);
        FUZZ_CHECK(line.data() >= script.data() && line.data() + line.size() <= script.data() + script.size());

        fields[3] = "left over from the line before";
        const LineCut cut = CutScriptLine(line, fields);
        if (cut != LineCut::Cut) {
            FUZZ_CHECK(cut != LineCut::TooLong || line.size() > kScriptLineLimit);
            for (const std::string& field : fields)
                FUZZ_CHECK(field.empty());
            return;
        }
        FUZZ_CHECK(line.size() <= kScriptLineLimit);
        size_t total = 0;
        for (const std::string& field : fields) {
            // A field is part of the line (plus the blank every line gets), never longer.
            FUZZ_CHECK(field.size() <= line.size() + 1);
            total += field.size();
            const std::string expanded = ExpandPlaceholder(field, values);
            if (field.empty() || field[0] != '%') FUZZ_CHECK(expanded == field);
        }
        FUZZ_CHECK(total <= line.size() + 1);
        ParseCommandWord(fields[0]);
    });
    return 0;
}
