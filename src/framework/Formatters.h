#pragma once
// Size and date texts of the replace question and the options dialog's space figures.

#include <string>

// A value with exactly two decimals, rounded half up, "." as separator, no thousands grouping.
// Works in 64 bits, so sizes of many GiB keep all their digits; values below 1 get a leading "0".
std::string FormatTwoDecimals(double value);

// The texts of SETUP.TXT that name the units (Bytes, KBytes, MBytes).
struct SizeUnitTexts {
    std::string bytes;
    std::string kiloBytes;
    std::string megaBytes;
};

// Below 1024: "975 Bytes"; below 1048576: "1.50 KBytes"; from there: "2.86 MBytes". The unit is chosen
// before rounding, so 1048575 bytes give "1024.00 KBytes".
std::string FormatFileSize(long long bytes, const SizeUnitTexts& units);

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
