#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <tuple>

#include "framework/RunLog.h"

namespace {
std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

TEST(RunLog, LineFormatAndFileNames)
{
    const LogTime time{2026, 1, 5, 9, 7, 3, 42};
    const std::pair<const char*, const char*> lines[] = {
        {"copied A.TXT", "2026-01-05 09:07:03.042  copied A.TXT\r\n"},
        {"", "2026-01-05 09:07:03.042  \r\n"},
        {"two\r\nlines\nthree\rfour", "2026-01-05 09:07:03.042  two | lines | three | four\r\n"},
        {"100% done", "2026-01-05 09:07:03.042  100% done\r\n"},
    };
    for (const auto& [text, expected] : lines)
        EXPECT_EQ(FormatLogLine(time, text), expected) << text;
    EXPECT_EQ(FormatLogLine(LogTime{2026, 12, 31, 23, 59, 59, 999}, "x"), "2026-12-31 23:59:59.999  x\r\n");

    const std::pair<const char*, const char*> names[] = {
        {"Learning Widgets", "Learning Widgets.log"},
        {"A/B: C?*", "A_B_ C__.log"},
        {"", "Setup.log"},
        {"Error", "Setup.log"},  // the value of an unset key
        {"Dots...", "Dots.log"},
        {"..\\..\\x", ".._.._x.log"},
    };
    for (const auto& [product, expected] : names)
        EXPECT_EQ(LogFileNameFor(product), expected) << product;

    const std::tuple<const char*, int, const char*> numbered[] = {
        {"Learning Widgets.log", 1, "Learning Widgets.log"},
        {"Learning Widgets.log", 2, "Learning Widgets-2.log"},
        {"Vol. 2.log", 12, "Vol. 2-12.log"},
        {"Setup", 3, "Setup-3"},
        {".log", 2, ".log-2"},
    };
    for (const auto& [name, number, expected] : numbered)
        EXPECT_EQ(NumberedLogFileName(name, number), expected) << name << " " << number;
}

TEST(RunLog, LinesBeforeTheFileAreKeptErrorsCountedAndAnOffLogDropsAll)
{
    const std::string path = ::testing::TempDir() + "runlog-test.log";
    std::remove(path.c_str());
    RunLog log;
    log.SetClock([] { return LogTime{2026, 1, 1, 0, 0, 0, 0}; });
    log.Write("before");
    log.WriteError("failed X");
    ASSERT_TRUE(log.Open(path));
    // Each line is in the file as soon as it is written.
    log.Write("after");
    EXPECT_EQ(ReadFile(path),
              "\xEF\xBB\xBF"
              "2026-01-01 00:00:00.000  before\r\n2026-01-01 00:00:00.000  failed X\r\n"
              "2026-01-01 00:00:00.000  after\r\n");
    EXPECT_EQ(log.ErrorCount(), 1);

    RunLog off;
    off.Write("kept for a while");
    off.TurnOff();
    off.Write("dropped");
    EXPECT_FALSE(off.On());
    // A file that cannot be created turns the log off without failing anything.
    RunLog bad;
    EXPECT_FALSE(bad.Open(::testing::TempDir() + "no-such-folder/x/y.log"));
    EXPECT_FALSE(bad.On());
    bad.WriteError("still counted");
    EXPECT_EQ(bad.ErrorCount(), 1);
    std::remove(path.c_str());
}
