// The size and date texts of the replace question and the options dialog. Input lines: a byte
// count, the three unit words, the seven calendar fields; the bytes after them, when there are at
// least eight, are taken as a double for the two-decimal text (NaN, infinities and all).

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "framework/Formatters.h"
#include "FuzzInput.h"

namespace {

// An optional minus, at least one digit, a period and exactly two digits.
bool IsTwoDecimalText(const std::string& text)
{
    size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    const size_t period = text.find('.');
    if (period == std::string::npos || period == i || text.size() != period + 3) return false;
    for (; i < text.size(); ++i) {
        if (i != period && (text[i] < '0' || text[i] > '9')) return false;
    }
    return true;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), std::string::npos, tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const long long bytes = input.Number(std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max());
    SizeUnitTexts units;
    units.bytes = input.Line();
    units.kiloBytes = input.Line();
    units.megaBytes = input.Line();
    CalendarTime time;
    for (int* field : {&time.year, &time.month, &time.dayOfWeek, &time.day, &time.hour, &time.minute, &time.second})
        *field = static_cast<int>(input.Number(std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    const std::string rest = input.Rest();

    const std::string sizeText = FormatSizeSwitchingAt1024(bytes, units);
    if (bytes < 1024) {
        FUZZ_CHECK(sizeText == std::to_string(bytes) + " " + units.bytes);
    } else {
        const std::string& unit = bytes < 1024 * 1024 ? units.kiloBytes : units.megaBytes;
        FUZZ_CHECK(EndsWith(sizeText, " " + unit));
        FUZZ_CHECK(IsTwoDecimalText(sizeText.substr(0, sizeText.size() - unit.size() - 1)));
    }

    const std::string date = FormatFileDate(time);
    FUZZ_CHECK(EndsWith(date, "  AM") || EndsWith(date, "  PM"));

    if (rest.size() >= sizeof(double)) {
        double value;
        std::memcpy(&value, rest.data(), sizeof value);
        FUZZ_CHECK(IsTwoDecimalText(FormatTwoDecimals(value)));
    }
    return 0;
}
