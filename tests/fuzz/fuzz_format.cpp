// The safe text formatter with arbitrary formats (as SETUP.TXT's authors write them) and arguments.
// Input: the format on the first line, then one argument per line: "s" and a string, "c" and a
// character, "d" and a number; up to six are passed.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/SafeFormat.h"
#include "FuzzInput.h"

namespace {

std::string Format(const std::string& format, const std::vector<FormatArg>& a)
{
    switch (a.size()) {
        case 0:
            return FormatText(format);
        case 1:
            return FormatText(format, {a[0]});
        case 2:
            return FormatText(format, {a[0], a[1]});
        case 3:
            return FormatText(format, {a[0], a[1], a[2]});
        case 4:
            return FormatText(format, {a[0], a[1], a[2], a[3]});
        case 5:
            return FormatText(format, {a[0], a[1], a[2], a[3], a[4]});
        default:
            return FormatText(format, {a[0], a[1], a[2], a[3], a[4], a[5]});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string format = input.Line();
    std::vector<FormatArg> args;
    size_t argChars = 0;
    while (!input.Empty() && args.size() < 6) {
        const std::string line = input.Line();
        const std::string rest = line.empty() ? std::string() : line.substr(1);
        if (!line.empty() && line[0] == 'c') {
            args.emplace_back(rest.empty() ? '\0' : rest[0]);
        } else if (!line.empty() && line[0] == 'd') {
            args.emplace_back(static_cast<long long>(ansi::ParseLeadingInteger(rest)));
        } else {
            args.emplace_back(rest);
        }
        argChars += args.back().text().size();
    }

    const std::string out = Format(format, args);
    // Each conversion is replaced by at most its argument; nothing else can grow the text.
    FUZZ_CHECK(out.size() <= format.size() + argChars);

    // Without arguments a format only loses the second percent sign of each "%%".
    std::string collapsed;
    for (size_t i = 0; i < format.size(); ++i) {
        collapsed += format[i];
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') ++i;
    }
    FUZZ_CHECK(FormatText(format) == collapsed);

    // An argument is inserted as it is, never read as a format itself.
    for (const FormatArg& arg : args) {
        if (arg.kind() == FormatArg::Kind::String) FUZZ_CHECK(FormatText("%s", {arg}) == arg.text());
    }
    return 0;
}
