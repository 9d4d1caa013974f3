#include <gtest/gtest.h>

#include "framework/AnsiText.h"
#include "framework/Utf8.h"

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

TEST(Utf8Text, ConvertsBothWaysAndKeepsEveryNameTheSystemCanGive)
{
    const std::u16string names = u"Пример κείμενο 能\\表 \U0001F600";
    const std::string utf8 = Utf8FromUtf16(names);
    EXPECT_EQ(utf8, "Пример κείμενο 能\\表 \xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16FromUtf8(utf8), names);
    EXPECT_EQ(Utf16Length(utf8), names.size());
    // A lone surrogate (a name no valid UTF-16 spells) comes back as it was.
    const std::u16string lone = {u'a', 0xD800, u'b', 0xDC01};
    EXPECT_EQ(Utf16FromUtf8(Utf8FromUtf16(lone)), lone);

    // Bytes that start no valid sequence become U+FFFD, one each; nothing is read past the end.
    struct Case {
        std::string bytes;
        std::u16string text;
    };
    // clang-format off
    const Case invalid[] = {
        {"a\x80z", u"a\uFFFDz"},           // a continuation byte alone
        {"\xC0\xAF", u"\uFFFD\uFFFD"},     // an overlong '/'
        {"\xE2\x82", u"\uFFFD\uFFFD"},     // cut at the end
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\xFF", u"\uFFFD"},
    };
    // clang-format on
    for (const Case& c : invalid)
        EXPECT_EQ(Utf16FromUtf8(c.bytes), c.text) << c.bytes;

    // Scans step over whole characters: the programs' text is UTF-8.
    ansi::UseUtf8();
    const std::string path = "C:\\Пример\\能.TXT";
    EXPECT_EQ(ansi::NextChar(path, 3), 5u);
    EXPECT_EQ(ansi::NextChar(path, 16), 19u);
    EXPECT_EQ(ansi::FindLastChar(path, '\\'), 15u);
    EXPECT_EQ(ansi::ToUpper(path), "C:\\Пример\\能.TXT");
    EXPECT_EQ(ansi::NextChar("a\xE8\x83", 1), 3u);  // a cut sequence ends with the text
    ansi::SetLeadByteTest(nullptr);
}
