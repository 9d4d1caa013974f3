#include "framework/Formatters.h"

#include <cmath>

namespace {
std::string TwoDigits(int n)
{
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

// `atBoundary`: exactly 1024 (1048576) bytes are already shown in KBytes (MBytes).
template <typename Count>
std::string FormatSize(Count bytes, bool atBoundary, const SizeUnitTexts& units)
{
    constexpr Count kKilo = 1024;
    constexpr Count kMega = 1024 * 1024;
    const bool kilo = atBoundary ? bytes >= kKilo : bytes > kKilo;
    const bool mega = atBoundary ? bytes >= kMega : bytes > kMega;
    if (!kilo) return std::to_string(bytes) + " " + units.bytes;
    if (!mega) return FormatTwoDecimals(static_cast<double>(bytes) / kKilo) + " " + units.kiloBytes;
    return FormatTwoDecimals(static_cast<double>(bytes) / kMega) + " " + units.megaBytes;
}
}  // namespace

std::string FormatTwoDecimals(double value)
{
    if (std::isnan(value)) value = 0;
    const bool negative = value < 0;
    if (negative) value = -value;
    // Hundredths, cut towards zero after adding a half; saturate rather than overflow the integer.
    const double scaled = value * 100.0 + 0.5;
    constexpr double kLimit = 9.0e18;
    const long long hundredths = scaled >= kLimit ? static_cast<long long>(kLimit) : static_cast<long long>(scaled);
    std::string digits = std::to_string(hundredths);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    std::string text = digits.substr(0, digits.size() - 2) + "." + digits.substr(digits.size() - 2);
    return (negative && hundredths != 0) ? "-" + text : text;
}

std::string FormatSizeSwitchingAt1024(long long bytes, const SizeUnitTexts& units)
{
    return FormatSize(bytes, true, units);
}

std::string FormatSizeSwitchingAbove1024(uint64_t bytes, const SizeUnitTexts& units)
{
    return FormatSize(bytes, false, units);
}

std::string FormatFileDate(const CalendarTime& time)
{
    static const char* const kWeekdays[] = {"Sunday,  ",   "Monday,  ", "Tuesday,  ", "Wednesday,  ",
                                            "Thursday,  ", "Friday,  ", "Saturday,  "};
    static const char* const kMonths[] = {"January ", "February ", "March ",     "April ",   "May ",      "June ",
                                          "July ",    "August ",   "September ", "October ", "November ", "December "};
    std::string text = (time.dayOfWeek >= 0 && time.dayOfWeek <= 6) ? kWeekdays[time.dayOfWeek] : "Monday,  ";
    text += (time.month >= 1 && time.month <= 12) ? kMonths[time.month - 1] : "January ";
    text += std::to_string(time.day) + ", ";
    text += std::to_string(time.year) + ",  ";
    const int hour12 = (time.hour % 12 == 0) ? 12 : time.hour % 12;
    text += std::to_string(hour12) + ":" + TwoDigits(time.minute) + ":" + TwoDigits(time.second) + "  ";
    text += time.hour < 12 ? "AM" : "PM";
    return text;
}
