#include <gtest/gtest.h>

#include "framework/AnsiText.h"

TEST(AnsiText, CaseAndSearchSkipDoubleByteCharacters)
{
    EXPECT_EQ(ansi::ToUpper("My Book 1.txt"), "MY BOOK 1.TXT");
    EXPECT_TRUE(ansi::EqualsNoCase("TrUe", "TRUE"));
    EXPECT_FALSE(ansi::EqualsNoCase("TRUE ", "TRUE"));
    EXPECT_EQ(ansi::FindLastChar("C:\\a\\b", '\\'), 4u);
    EXPECT_TRUE(ansi::EndsWithChar("C:\\", '\\'));
    EXPECT_FALSE(ansi::EndsWithChar("", '\\'));

    ansi::SetLeadByteTest([](unsigned char c) { return c >= 0x81 && c <= 0x9F; });
    const std::string dbcs = "a\x81\\b\x81q";  // 0x81 0x5C and 0x81 'q' are single characters
    EXPECT_EQ(ansi::FindChar(dbcs, '\\'), std::string::npos);
    EXPECT_FALSE(ansi::EndsWithChar("x\x81\\", '\\'));
    EXPECT_EQ(ansi::ToUpper(dbcs), "A\x81\\B\x81q");
    // A lead byte at the very end never reads past the text.
    EXPECT_EQ(ansi::NextChar("ab\x81", 2), 3u);
    ansi::SetLeadByteTest(nullptr);
}

TEST(AnsiText, LeadingIntegerIsReadLikeAtoiWithoutOverflow)
{
    EXPECT_EQ(ansi::ParseLeadingInteger("  42abc"), 42);
    EXPECT_EQ(ansi::ParseLeadingInteger("-7"), -7);
    EXPECT_EQ(ansi::ParseLeadingInteger("+12,000"), 12);
    EXPECT_EQ(ansi::ParseLeadingInteger("abc"), 0);
    EXPECT_EQ(ansi::ParseLeadingInteger(""), 0);
    EXPECT_GT(ansi::ParseLeadingInteger(std::string(400, '9')), 4000000000LL);
}
