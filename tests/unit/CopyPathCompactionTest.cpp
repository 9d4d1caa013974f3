#include <gtest/gtest.h>

#include <vector>

#include "framework/AnsiText.h"
#include "framework/PathCompaction.h"

namespace {
// Every byte is `perChar` pixels wide; records what it was asked to measure.
class FakeMeasurer : public TextMeasurer {
public:
    explicit FakeMeasurer(int perChar = 1) : perChar_(perChar) {}
    std::optional<int> Width(const std::string& text) override
    {
        measured.push_back(text);
        if (failAfter >= 0 && static_cast<int>(measured.size()) > failAfter) return std::nullopt;
        return static_cast<int>(text.size()) * perChar_;
    }
    std::vector<std::string> measured;
    int failAfter = -1;

private:
    int perChar_;
};

TEST(CopyPathCompaction, FittingPathIsUnchanged)
{
    FakeMeasurer m;
    EXPECT_EQ(CompactPathToWidth("C:\\Book\\README.TXT", 18, m), "C:\\Book\\README.TXT");
    EXPECT_EQ(m.measured.size(), 1u);
}

TEST(CopyPathCompaction, NarrowFieldOrEmptyPathGivesNothing)
{
    FakeMeasurer m;
    EXPECT_EQ(CompactPathToWidth("C:\\Book", 9, m), "");
    EXPECT_EQ(CompactPathToWidth("C:\\Book", -5, m), "");
    EXPECT_EQ(CompactPathToWidth("", 100, m), "");
}

TEST(CopyPathCompaction, OneCharacterTooWideGetsEllipsisThenLosesOnePerSide)
{
    FakeMeasurer m;
    // 12 characters into 11: the middle three become dots (still 12), then one on each side goes.
    EXPECT_EQ(CompactPathToWidth("ABCDEFGHIJKL", 11, m), "ABCD...JKL");
    ASSERT_EQ(m.measured.size(), 3u);
    EXPECT_EQ(m.measured[1], "ABCDE...IJKL");
}

TEST(CopyPathCompaction, KeepsBothEndsOfALongPath)
{
    FakeMeasurer m(2);
    const std::string path = "C:\\Program Files\\My Book\\Samples\\Chapter 1\\Listing.txt";
    const std::string result = CompactPathToWidth(path, 60, m);
    EXPECT_LE(static_cast<int>(result.size()) * 2, 60);
    EXPECT_EQ(result.substr(0, 5), path.substr(0, 5));
    EXPECT_EQ(result.substr(result.size() - 5), path.substr(path.size() - 5));
    EXPECT_NE(result.find("..."), std::string::npos);
}

TEST(CopyPathCompaction, ExistingEllipsisBeforeTheMiddleIsTheOneTrimmed)
{
    FakeMeasurer m;
    // The first "..." is the path's own; the passes remove characters around it.
    EXPECT_EQ(CompactPathToWidth("a...bcdefghijklmnop", 16, m), "...de...ijklmnop");
}

TEST(CopyPathCompaction, TinyPathsNeverIndexOutside)
{
    FakeMeasurer wide(20);
    EXPECT_EQ(CompactPathToWidth("A", 10, wide), ".");
    EXPECT_EQ(CompactPathToWidth("AB", 10, wide), "..");
    EXPECT_EQ(CompactPathToWidth("ABC", 10, wide), "...");
    EXPECT_EQ(CompactPathToWidth("ABCD", 10, wide), "...");
}

TEST(CopyPathCompaction, WidthBelowTheEllipsisEndsWithTheEllipsisAlone)
{
    FakeMeasurer m(5);
    EXPECT_EQ(CompactPathToWidth("C:\\Some\\Long\\Folder\\File.txt", 10, m), "...");
}

TEST(CopyPathCompaction, FailedMeasurementCountsAsFitting)
{
    FakeMeasurer m;
    m.failAfter = 0;
    EXPECT_EQ(CompactPathToWidth("ABCDEFGHIJKL", 11, m), "ABCDEFGHIJKL");
    // A failure during the passes stops them where they are.
    FakeMeasurer later(2);
    later.failAfter = 2;
    EXPECT_EQ(CompactPathToWidth("ABCDEFGHIJKL", 10, later), "ABCD...JKL");
}

TEST(CopyPathCompaction, OverlongPathIsCutToTheBuffer)
{
    FakeMeasurer m;
    const std::string path(400, 'x');
    EXPECT_EQ(CompactPathToWidth(path, 1000, m), std::string(259, 'x'));
    EXPECT_EQ(m.measured[0].size(), 259u);
}

bool TestLeadByte(unsigned char c)
{
    return c >= 0x81 && c <= 0x9F;
}

TEST(CopyPathCompaction, DoubleByteCharactersAreNeverSplit)
{
    ansi::SetLeadByteTest(&TestLeadByte);
    // Pairs of \x82 + trail, a double-byte character straddling the middle.
    const std::string path =
        "AB\x82\x41\x82\x42\x82\x43\x82\x44"
        "CD";
    FakeMeasurer m;
    std::string result = CompactPathToWidth(path, 10, m);
    ansi::SetLeadByteTest(nullptr);
    // The two middle double-byte characters are replaced whole; each pass removes whole characters.
    ASSERT_GE(m.measured.size(), 2u);
    EXPECT_EQ(m.measured[1],
              "AB\x82\x41...\x82\x44"
              "CD");
    EXPECT_EQ(result, "AB...CD");
    EXPECT_NE(result.find("..."), std::string::npos);
}
}  // namespace
