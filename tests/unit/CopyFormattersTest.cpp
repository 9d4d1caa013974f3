#include <gtest/gtest.h>

#include <cmath>

#include "copy/ProgressTexts.h"
#include "framework/Formatters.h"

namespace {
const SizeUnitTexts kUnits{"Bytes", "KBytes", "MBytes"};

// The replace question's and the options dialog's sizes: one implementation, two unit boundaries.
TEST(SizeFormatters, UnitBoundariesLargeCountsAndUnitWords)
{
    struct Case {
        long long bytes;
        const char* at1024;     // the replace question
        const char* above1024;  // the options dialog
    };
    const Case cases[] = {
        {0, "0 Bytes", "0 Bytes"},
        {1023, "1023 Bytes", "1023 Bytes"},
        {1024, "1.00 KBytes", "1024 Bytes"},
        {1025, "1.00 KBytes", "1.00 KBytes"},
        {1536, "1.50 KBytes", "1.50 KBytes"},
        // The unit is chosen before rounding: just below one mebibyte rounds up to 1024.00 KBytes.
        {1048570, "1023.99 KBytes", "1023.99 KBytes"},
        {1048575, "1024.00 KBytes", "1024.00 KBytes"},
        {1048576, "1.00 MBytes", "1024.00 KBytes"},
        {1048577, "1.00 MBytes", "1.00 MBytes"},
        {3000000, "2.86 MBytes", "2.86 MBytes"},
        // Beyond 32 bits: seven sections of 620,000,000 bytes must not wrap to a few megabytes.
        {2147483648LL, "2048.00 MBytes", "2048.00 MBytes"},
        {0xFFFFFFFFLL, "4096.00 MBytes", "4096.00 MBytes"},
        {7LL * 620000000, "4138.95 MBytes", "4138.95 MBytes"},
        {5LL * 1024 * 1024 * 1024 + 512 * 1024, "5120.50 MBytes", "5120.50 MBytes"},
        {1LL << 50, "1073741824.00 MBytes", "1073741824.00 MBytes"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSizeSwitchingAt1024(c.bytes, kUnits), c.at1024) << c.bytes;
        EXPECT_EQ(FormatSizeSwitchingAbove1024(static_cast<uint64_t>(c.bytes), kUnits), c.above1024) << c.bytes;
    }
    EXPECT_EQ(FormatSizeSwitchingAt1024(12, {"Octets", "Ko", "Mo"}), "12 Octets");
    EXPECT_EQ(FormatSizeSwitchingAt1024(2048, {"Octets", "Ko", "Mo"}), "2.00 Ko");
    EXPECT_EQ(FormatSizeSwitchingAbove1024(2048, {"", "", ""}), "2.00 ");
}

TEST(CopyFormatters, TwoDecimalsRoundHalfUp)
{
    EXPECT_EQ(FormatTwoDecimals(1.0), "1.00");
    EXPECT_EQ(FormatTwoDecimals(1.5), "1.50");
    EXPECT_EQ(FormatTwoDecimals(2.345), "2.35");
    EXPECT_EQ(FormatTwoDecimals(2.344), "2.34");
    EXPECT_EQ(FormatTwoDecimals(999.999), "1000.00");
    EXPECT_EQ(FormatTwoDecimals(123456789.0), "123456789.00");
    // Far beyond what a 32-bit count of hundredths can hold.
    EXPECT_EQ(FormatTwoDecimals(40000000.25), "40000000.25");
}

TEST(CopyFormatters, TwoDecimalsOfSmallAndOddValuesStayWellFormed)
{
    EXPECT_EQ(FormatTwoDecimals(0.0), "0.00");
    EXPECT_EQ(FormatTwoDecimals(0.05), "0.05");
    EXPECT_EQ(FormatTwoDecimals(0.5), "0.50");
    EXPECT_EQ(FormatTwoDecimals(-1.5), "-1.50");
    EXPECT_EQ(FormatTwoDecimals(std::nan("")), "0.00");
    const std::string huge = FormatTwoDecimals(1e300);
    ASSERT_GE(huge.size(), 4u);
    EXPECT_EQ(huge.substr(huge.size() - 3, 1), ".");
}

TEST(CopyFormatters, FileDateExample)
{
    CalendarTime t{1999, 1, 2, 5, 15, 7, 9};
    EXPECT_EQ(FormatFileDate(t), "Tuesday,  January 5, 1999,  3:07:09  PM");
}

TEST(CopyFormatters, FileDateTwelveHourClock)
{
    CalendarTime t{2024, 12, 0, 31, 0, 0, 0};
    EXPECT_EQ(FormatFileDate(t), "Sunday,  December 31, 2024,  12:00:00  AM");
    t.hour = 12;
    EXPECT_EQ(FormatFileDate(t), "Sunday,  December 31, 2024,  12:00:00  PM");
    t.hour = 11, t.minute = 59, t.second = 59;
    EXPECT_EQ(FormatFileDate(t), "Sunday,  December 31, 2024,  11:59:59  AM");
    t.hour = 23;
    EXPECT_EQ(FormatFileDate(t), "Sunday,  December 31, 2024,  11:59:59  PM");
    t.hour = 1, t.minute = 5, t.second = 0;
    EXPECT_EQ(FormatFileDate(t), "Sunday,  December 31, 2024,  1:05:00  AM");
}

TEST(CopyFormatters, FileDateOutOfRangeNamesFallBack)
{
    CalendarTime t{2001, 13, 7, 9, 10, 11, 12};
    EXPECT_EQ(FormatFileDate(t), "Monday,  January 9, 2001,  10:11:12  AM");
    t.month = 0, t.dayOfWeek = -1;
    EXPECT_EQ(FormatFileDate(t), "Monday,  January 9, 2001,  10:11:12  AM");
    t.month = 9, t.dayOfWeek = 6;
    EXPECT_EQ(FormatFileDate(t), "Saturday,  September 9, 2001,  10:11:12  AM");
}
}  // namespace

TEST(CopyFormatters, ProgressBarAndFileCount)
{
    struct Case {
        unsigned long long filesDone, kibDone, filesTotal, kibTotal;
        int perMille;
        const char* text;
    } cases[] = {
        {0, 0, 0, 0, 0, ""},                      // nothing known yet
        {12, 40, 0, 0, 0, "File 12"},             // copying before the count has ended
        {0, 0, 3000, 6000, 0, "File 0 of 3000"},  // counted, nothing done
        {580, 1160, 3000, 6000, 193, "File 580 of 3000"},
        {1, 1048576, 5, 1048576 * 5, 200, "File 1 of 5"},              // by bytes, not by files
        {2, 0, 4, 0, 500, "File 2 of 4"},                              // empty files: by files
        {3000, 5999, 3000, 6000, 1000, "File 3000 of 3000"},           // the last file ends the bar
        {3002, 6010, 3000, 6000, 1000, "File 3002 of 3002"},           // files added after the walk
        {10, 4000000000ull, 20, 4294967295ull, 931, "File 10 of 20"},  // KiB totals near the 32-bit limit
    };
    for (const Case& c : cases) {
        const ProgressTexts shown = ComputeProgress(c.filesDone, c.kibDone, c.filesTotal, c.kibTotal);
        EXPECT_EQ(shown.perMille, c.perMille) << c.text;
        EXPECT_EQ(shown.fileCount, c.text);
    }
}
