#pragma once
// Size and date texts: the replace question's file sizes and dates, the options dialog's space figures.

#include <cstdint>
#include <string>

// A value with exactly two decimals, rounded half up, "." as separator, no thousands grouping.
// Works in 64 bits, so sizes of many GiB keep all their digits; values below 1 get a leading "0".
std::string FormatTwoDecimals(double value);

// The words that name the units, as the program's texts give them (Bytes, KBytes, MBytes).
struct SizeUnitTexts {
    std::string bytes;
    std::string kiloBytes;
    std::string megaBytes;
};

// Sizes in the unit their size calls for, with two decimals in KBytes and MBytes. The unit is chosen
// before rounding. The two differ only in where the next unit starts:
// at 1024: 1023 gives "1023 Bytes", 1024 "1.00 KBytes", 1048575 "1024.00 KBytes", 1048576 "1.00 MBytes"
// (the replace question's file sizes);
std::string FormatSizeSwitchingAt1024(long long bytes, const SizeUnitTexts& units);
// above 1024: 1024 gives "1024 Bytes", 1025 "1.00 KBytes", 1048576 "1024.00 KBytes", 1048577 "1.00 MBytes"
// (the options dialog's sizes and free space).
std::string FormatSizeSwitchingAbove1024(uint64_t bytes, const SizeUnitTexts& units);

// A local date and time broken into calendar fields (day of week 0 is Sunday, month 1 is January).
struct CalendarTime {
    int year = 0;
    int month = 1;
    int dayOfWeek = 0;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "Tuesday,  January 5, 1999,  3:07:09  PM" (two blanks where shown, 12-hour clock).
std::string FormatFileDate(const CalendarTime& time);
