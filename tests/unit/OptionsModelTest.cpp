// Folder and drive rules of the options dialog, the check list's geometry, and the browser's rules.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "framework/AnsiText.h"
#include "framework/PathText.h"
#include "options/BrowseModel.h"
#include "options/CheckListLayout.h"
#include "options/OptionsModel.h"

TEST(OptionsModes, ChangeFolderButtonValues)
{
    EXPECT_EQ(FolderModeFrom("TRUE"), FolderMode::ChangeFolder);
    EXPECT_EQ(FolderModeFrom("true"), FolderMode::ChangeFolder);
    EXPECT_EQ(FolderModeFrom("ChangeDrive"), FolderMode::ChangeDrive);
    EXPECT_EQ(FolderModeFrom("FALSE"), FolderMode::None);
    EXPECT_EQ(FolderModeFrom("Error"), FolderMode::None);
    EXPECT_EQ(FolderModeFrom("CHANGEDRIVES"), FolderMode::None);
}

TEST(OptionsModes, DriveListLeavesOutCdRomDrives)
{
    const uint32_t mask = (1u << 0) | (1u << 2) | (1u << 3) | (1u << 25);  // A, C, D, Z
    auto entries = DriveListEntries(mask, [](char letter) { return letter == 'D'; });
    EXPECT_EQ(entries, (std::vector<std::string>{"[A]", "[C]", "[Z]"}));
    EXPECT_TRUE(DriveListEntries(0, [](char) { return false; }).empty());
}

TEST(OptionsFolders, WindowsFolderTestIsAPrefixTestIgnoringCase)
{
    EXPECT_TRUE(IsInWindowsFolder("C:\\WINDOWS", "C:\\Windows"));
    EXPECT_TRUE(IsInWindowsFolder("c:\\windows\\system32\\Book", "C:\\Windows"));
    EXPECT_TRUE(IsInWindowsFolder("C:\\WindowsBooks", "C:\\Windows"));  // a name that merely starts with it
    EXPECT_FALSE(IsInWindowsFolder("C:\\Win", "C:\\Windows"));
    EXPECT_FALSE(IsInWindowsFolder("D:\\Windows", "C:\\Windows"));
    EXPECT_FALSE(IsInWindowsFolder("C:\\Book", ""));
}

TEST(OptionsFolders, EverySpellingOfADriveRootIsOne)
{
    // Each of these installs into the root of the drive: the system drops "." and "..", and the dots
    // and blanks that end a name, and the copy appends "\name" to "C:".
    for (const char* root : {"C:\\", "z:\\", "C:", "C:\\.", "C:\\ ", "C:\\\\", "C:\\..", "C:/", "C:.", "C:\\. \\..\\"})
        EXPECT_TRUE(IsBareDriveRoot(root)) << root;
    for (const char* folder :
         {"C:\\Book", "C:\\.Book", "C:\\ Book", "C:\\..\\Book", "", "C", "\\\\server\\share", "CC:\\"})
        EXPECT_FALSE(IsBareDriveRoot(folder)) << folder;
}

TEST(OptionsFolders, RealFolderPathResolvesDotsAndAliasesOfTheExistingPart)
{
    // A fake system: C:\WINNT Folder (alias WINNTF~1) and C:\users exist; full paths drop "." and "..".
    const std::map<std::string, std::string> longNames = {{"C:\\", "C:\\"},
                                                          {"C:\\users", "C:\\users"},
                                                          {"C:\\WINNTF~1", "C:\\WINNT Folder"},
                                                          {"C:\\WINNT Folder", "C:\\WINNT Folder"}};
    PathResolver resolver;
    resolver.fullPath = [](const std::string& path) -> std::optional<std::string> {
        if (path == "C:\\users\\..\\WINNTF~1") return std::string("C:\\WINNTF~1");
        if (path == "C:\\users\\.\\New") return std::string("C:\\users\\New");
        if (path == "bad") return std::nullopt;
        return path;
    };
    resolver.longName = [&](const std::string& path) -> std::optional<std::string> {
        auto found = longNames.find(path);
        return found == longNames.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
    const struct {
        const char* typed;
        const char* real;
    } cases[] = {
        {"C:\\users\\..\\WINNTF~1", "C:\\WINNT Folder"},                   // climbed into, and spelled short
        {"C:\\WINNTF~1\\Book\\Part 1", "C:\\WINNT Folder\\Book\\Part 1"},  // the missing rest kept as typed
        {"C:\\users\\.\\New", "C:\\users\\New"},
        {"C:\\New Book", "C:\\New Book"},  // only the drive exists
        {"Q:\\Book", "Q:\\Book"},          // nothing exists
        {"bad", "bad"},                    // cannot be resolved: kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(RealFolderPath(c.typed, resolver), c.real) << c.typed;
    EXPECT_TRUE(IsInWindowsFolder(RealFolderPath("C:\\users\\..\\WINNTF~1", resolver),
                                  RealFolderPath("C:\\WINNT Folder", resolver)));
    EXPECT_EQ(RealFolderPath("C:\\users\\.\\New", PathResolver{}), "C:\\users\\.\\New");  // no system: as given
}

TEST(OptionsFolders, DriveChoiceReplacesOnlyTheFirstCharacter)
{
    EXPECT_EQ(WithDriveLetter("C:\\Book\\Part1", 'D'), "D:\\Book\\Part1");
    EXPECT_EQ(WithDriveLetter("c", 'E'), "E");
    EXPECT_EQ(WithDriveLetter("", 'D'), "");
}

TEST(CheckListLayout, RowHeightIsTheLargestOfItsThreeRules)
{
    EXPECT_EQ(CheckListRowHeight(11, 13), 13);
    EXPECT_EQ(CheckListRowHeight(13, 13), 14);
    EXPECT_EQ(CheckListRowHeight(5, 0), 10);
    EXPECT_EQ(CheckImageTop(16, 11), 3);
    EXPECT_EQ(CheckImageTop(10, 13), 1);
}

TEST(CheckListLayout, EverySizeGrowsWithTheScreensDensityAndNameAndSizeNeverMeet)
{
    // A row from x = 0 to 263 at 96 dpi, and the same row on denser screens.
    const struct {
        int dpi;
        int rowRight;
        int sizeWidth;
        int nameLeft, nameRight, sizeLeft;
        int checkArea, minRowHeight, imageTop;
    } cases[] = {
        {96, 263, 50, 20, 207, 213, 13, 10, 1},    // room for both
        {144, 395, 75, 30, 311, 320, 20, 15, 2},   // 150 %
        {192, 526, 100, 40, 414, 426, 26, 20, 2},  // 200 %
        {96, 263, 0, 20, 263, 263, 13, 10, 1},     // no size: the name may take the whole row
        {96, 263, 250, 20, 20, 20, 13, 10, 1},     // a size wider than the row leaves the name no room
        {120, 329, 60, 25, 261, 269, 17, 13, 1},   // 125 %
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const RowColumns columns = LayOutRowColumns(0, c.rowRight, c.sizeWidth, c.dpi);
        EXPECT_EQ(columns.nameLeft, c.nameLeft);
        EXPECT_EQ(columns.nameRight, c.nameRight);
        EXPECT_EQ(columns.sizeLeft, c.sizeLeft);
        EXPECT_LE(columns.nameRight, columns.sizeLeft);
        EXPECT_LE(columns.sizeLeft, c.rowRight);
        EXPECT_EQ(CheckAreaWidth(ScaleForDpi(11, c.dpi), c.dpi), c.checkArea);
        EXPECT_EQ(CheckListRowHeight(0, 0, c.dpi), c.minRowHeight);
        EXPECT_EQ(CheckImageTop(0, 0, c.dpi), c.imageTop);
        EXPECT_GE(columns.nameLeft, CheckAreaWidth(ScaleForDpi(13, c.dpi), c.dpi));  // never under the box
    }
    EXPECT_EQ(ScaleForDpi(1, 72), 1);  // a line stays visible
    EXPECT_EQ(ScaleForDpi(273, 0), 273);
}

TEST(CheckListLayout, ScreenReadersHearTheNameAndTheSize)
{
    EXPECT_EQ(AccessibleRowName("Samples\t1.50 KBytes"), "Samples, 1.50 KBytes");
    EXPECT_EQ(AccessibleRowName("Extras\t"), "Extras");
    EXPECT_EQ(AccessibleRowName("No tab"), "No tab");
}

TEST(CheckListLayout, RowTextSplitsAtTheFirstTab)
{
    EXPECT_EQ(SplitRowText("Samples\t1.50 KBytes").name, "Samples");
    EXPECT_EQ(SplitRowText("Samples\t1.50 KBytes").size, "1.50 KBytes");
    EXPECT_EQ(SplitRowText("a\tb\tc").size, "b\tc");
    EXPECT_EQ(SplitRowText("No tab").name, "No tab");
    EXPECT_EQ(SplitRowText("No tab").size, "");
}

TEST(CheckListLayout, HitTestFindsRowAndPart)
{
    CheckListGeometry g{0, 3, 16, 200, 100, 11};
    EXPECT_EQ(HitTestCheckList(g, 5, 20).row, 1);
    EXPECT_EQ(HitTestCheckList(g, 5, 20).part, CheckListPart::CheckBox);
    EXPECT_EQ(HitTestCheckList(g, 12, 20).part, CheckListPart::CheckBox);  // inside checkBoxWidth + 2
    EXPECT_EQ(HitTestCheckList(g, 13, 20).part, CheckListPart::Text);
    EXPECT_EQ(HitTestCheckList(g, 199, 47).row, 2);
    EXPECT_EQ(HitTestCheckList(g, 5, 0).row, 0);
}

TEST(CheckListLayout, HitTestNeverPassesTheLastRowOrTheClientArea)
{
    CheckListGeometry g{0, 3, 16, 200, 100, 11};
    EXPECT_EQ(HitTestCheckList(g, 5, 48).row, -1);  // just below the last row
    EXPECT_EQ(HitTestCheckList(g, 5, 48).part, CheckListPart::None);
    EXPECT_EQ(HitTestCheckList(g, 5, -1).row, -1);
    EXPECT_EQ(HitTestCheckList(g, 200, 5).row, -1);
    g.rowCount = 0;
    EXPECT_EQ(HitTestCheckList(g, 5, 5).row, -1);
    g.rowCount = 1000;
    g.rowHeight = 0;
    EXPECT_EQ(HitTestCheckList(g, 5, 5).row, -1);
}

TEST(CheckListLayout, HitTestCountsFromTheTopVisibleRow)
{
    CheckListGeometry g{40, 50, 16, 200, 40, 13};
    EXPECT_EQ(HitTestCheckList(g, 15, 17).row, 41);
    EXPECT_EQ(HitTestCheckList(g, 15, 17).part, CheckListPart::Text);
    EXPECT_EQ(HitTestCheckList(g, 14, 17).part, CheckListPart::CheckBox);
    EXPECT_EQ(HitTestCheckList(g, 14, 39).row, 42);  // partly visible row
    EXPECT_EQ(HitTestCheckList(g, 14, 48).row, -1);  // below the client area
}

TEST(CheckListLayout, ToggleClearsAnIndeterminateCheck)
{
    EXPECT_EQ(ToggledCheck(0), 1);
    EXPECT_EQ(ToggledCheck(1), 0);
    EXPECT_EQ(ToggledCheck(2), 0);
}

TEST(BrowseFolderName, AllowedCharacters)
{
    for (char c : std::string("AZaz09 #$%&'()"))
        EXPECT_TRUE(IsAllowedFolderNameChar(c)) << c;
    for (char c : std::string("-_.,!\"*+/:;<=>?@[\\]^`{|}~\t"))
        EXPECT_FALSE(IsAllowedFolderNameChar(c)) << c;
    EXPECT_FALSE(IsAllowedFolderNameChar(static_cast<char>(0xE9)));
}

TEST(BrowseFolderName, RemovesTheForbiddenCharacterBeforeTheCaret)
{
    EXPECT_FALSE(FilterFolderNameInput("My Book (2)", 11).has_value());
    EXPECT_FALSE(FilterFolderNameInput("", 0).has_value());
    EXPECT_FALSE(FilterFolderNameInput("a-b", 0).has_value());  // caret at the start checks nothing

    auto typed = FilterFolderNameInput("Book-", 5);
    ASSERT_TRUE(typed.has_value());
    EXPECT_EQ(typed->text, "Book");
    EXPECT_EQ(typed->caret, 4u);

    auto middle = FilterFolderNameInput("Bo.ok", 3);  // typed in the middle
    ASSERT_TRUE(middle.has_value());
    EXPECT_EQ(middle->text, "Book");
    EXPECT_EQ(middle->caret, 2u);

    auto first = FilterFolderNameInput("-Book", 1);  // caret below 2: left where the edit puts it
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->text, "Book");
    EXPECT_FALSE(first->caret.has_value());

    auto beyond = FilterFolderNameInput("ab?", 99);
    ASSERT_TRUE(beyond.has_value());
    EXPECT_EQ(beyond->text, "ab");
}

TEST(BrowseFolderName, DoubleByteCharacterIsRemovedWhole)
{
    ansi::SetLeadByteTest([](unsigned char c) { return c >= 0x81 && c <= 0x9F; });
    const std::string text = std::string("Ab") + "\x82" + "A";  // a lead byte and a trail byte that looks like A
    auto filtered = FilterFolderNameInput(text, text.size());
    ansi::SetLeadByteTest(nullptr);
    ASSERT_TRUE(filtered.has_value());
    EXPECT_EQ(filtered->text, "Ab");
    EXPECT_EQ(filtered->caret, 2u);
}

TEST(BrowseTree, FoldersSortIgnoringCase)
{
    std::vector<std::string> names{"gamma", "beta", "Alpha", "_under", "10"};
    SortFolderNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"10", "Alpha", "beta", "gamma", "_under"}));
}

TEST(BrowseTree, ItemPathJoinsAncestorsWithOneBackslash)
{
    EXPECT_EQ(TreeItemPath("Part1", {"Books", "C:\\"}), "C:\\Books\\Part1");
    EXPECT_EQ(TreeItemPath("C:\\", {}), "C:\\");
    EXPECT_EQ(JoinPath("C:\\", "Book"), "C:\\Book");
    EXPECT_EQ(JoinPath("C:\\Books", "New"), "C:\\Books\\New");
}

TEST(BrowseTree, EmptyFolderHoldsNothingButDotAndDotDot)
{
    EXPECT_TRUE(OnlyDotEntries({}));
    EXPECT_TRUE(OnlyDotEntries({".", ".."}));
    for (const char* name : {".hidden", ".git", "...", "file.txt"})
        EXPECT_FALSE(OnlyDotEntries({".", "..", name})) << name;
}
