#include <gtest/gtest.h>

#include "framework/AnsiText.h"
#include "framework/PathText.h"

using Steps = std::vector<std::string>;

TEST(DirectoryPath, CreatesEachLevelFromTheRootDown)
{
    EXPECT_EQ(DirectoryPathSteps("C:\\Book\\Samples\\Data"),
              (Steps{"C:\\Book", "C:\\Book\\Samples", "C:\\Book\\Samples\\Data"}));
    EXPECT_EQ(DirectoryPathSteps("C:\\Book\\"), (Steps{"C:\\Book"}));
    EXPECT_EQ(DirectoryPathSteps("Book\\Samples"), (Steps{"Book", "Book\\Samples"}));
    EXPECT_EQ(DirectoryPathSteps("\\Book"), (Steps{"\\Book"}));
    EXPECT_EQ(DirectoryPathSteps("C:Book"), (Steps{"C:Book"}));
    EXPECT_EQ(DirectoryPathSteps("C:\\"), Steps{});
    EXPECT_EQ(DirectoryPathSteps(""), Steps{});
}

TEST(DirectoryPath, RefusesNetworkPathsAndOverlongPaths)
{
    EXPECT_FALSE(DirectoryPathSteps("\\\\server\\share\\dir"));
    EXPECT_TRUE(DirectoryPathSteps("C:\\" + std::string(kMaxLongPathChars - 3, 'a')));
    EXPECT_FALSE(DirectoryPathSteps("C:\\" + std::string(kMaxLongPathChars - 2, 'a')));
}

TEST(PathText, JoinsAndSplitsAtTheLastBackslash)
{
    struct Case {
        std::string path, appended, joined, folder, parent;
    };
    // path + "x" by AppendToFolder and JoinPath, then FolderWithBackslash(path) and ParentFolder(path).
    const Case cases[] = {
        {"C:\\Book", "C:\\Book\\x", "C:\\Book\\x", "C:\\", "C:\\"},
        {"C:\\Book\\Samples", "C:\\Book\\Samples\\x", "C:\\Book\\Samples\\x", "C:\\Book\\", "C:\\Book"},
        {"C:\\Book\\", "C:\\Book\\x", "C:\\Book\\x", "C:\\Book\\", "C:\\Book"},
        {"\\Book", "\\Book\\x", "\\Book\\x", "\\", ""},
        {"SETUP.EXE", "SETUP.EXE\\x", "SETUP.EXE\\x", ".", "SETUP.EXE"},
        {"", "\\x", "x", ".", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(AppendToFolder(c.path, "x"), c.appended);
        EXPECT_EQ(JoinPath(c.path, "x"), c.joined);
        EXPECT_EQ(FolderWithBackslash(c.path), c.folder);
        EXPECT_EQ(ParentFolder(c.path), c.parent);
    }
}

TEST(PathText, ATrailByteThatLooksLikeABackslashSplitsNothing)
{
    // Japanese (code page 932): the second byte of a name such as "\x94\x5C" is the backslash's code.
    ansi::SetLeadByteTest([](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); });
    const std::string kanji = "\x94\x5C";
    EXPECT_EQ(FolderWithBackslash("C:\\Book\\" + kanji + ".TXT"), "C:\\Book\\");
    EXPECT_EQ(ParentFolder("C:\\Book\\" + kanji + ".TXT"), "C:\\Book");
    EXPECT_EQ(ParentFolder("C:\\" + kanji), "C:\\");
    EXPECT_EQ(AppendToFolder("C:\\" + kanji, "x"), "C:\\" + kanji + "\\x");
    ansi::SetLeadByteTest(nullptr);
}
