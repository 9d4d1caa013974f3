#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripts/ScriptText.h"

namespace {

std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    ForEachScriptLine(text, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::vector<std::string> Fields(std::string_view line)
{
    ScriptFieldTable table;
    table.fill("stale");
    EXPECT_EQ(CutScriptLine(line, table), LineCut::Cut);
    return std::vector<std::string>(table.begin(), table.end());
}

std::vector<std::string> Expect10(std::vector<std::string> first)
{
    first.resize(kScriptFieldCount);
    return first;
}

PlaceholderValues DemoValues()
{
    PlaceholderValues v;
    v.system = "C:\\WINDOWS\\SYSTEM32";
    v.windows = "C:\\WINDOWS";
    v.startDir = "D:\\";
    v.destDir = "E:\\Demo";
    v.desktop = "C:\\Users\\me\\Desktop";
    v.favorites = "C:\\Users\\me\\Favorites";
    v.myDocuments = "C:\\Users\\me\\Documents";
    v.myPictures = "C:\\Users\\me\\Pictures\\";
    v.startMenu = "C:\\Users\\me\\Start Menu";
    v.programs = "C:\\Users\\me\\Start Menu\\Programs";
    return v;
}

}  // namespace

TEST(ScriptLines, CrLfLoneCrAndBlankLinesSeparateAlike)
{
    const std::vector<std::string> expected{"COPY a.x b.x", "DEL c.x"};
    EXPECT_EQ(Lines("COPY a.x b.x\r\nDEL c.x\r\n"), expected);
    EXPECT_EQ(Lines("COPY a.x b.x\rDEL c.x"), expected);
    EXPECT_EQ(Lines("\r\n\r\nCOPY a.x b.x\r\n\r\n\r\r\n\nDEL c.x\r\n\r\n"), expected);
}

TEST(ScriptLines, LineFeedAloneIsOrdinaryAndZeroByteEndsTheText)
{
    EXPECT_EQ(Lines("COPY a.x b.x\nDEL c.x\n"), std::vector<std::string>{"COPY a.x b.x\nDEL c.x\n"});
    // A line feed at the very start is not after a carriage return, so it is part of the line.
    EXPECT_EQ(Lines("\nMD x"), std::vector<std::string>{"\nMD x"});
    EXPECT_EQ(Lines(std::string_view("MD a\r\nMD b\0\r\nMD c", 17)), (std::vector<std::string>{"MD a", "MD b"}));
    EXPECT_TRUE(Lines("").empty());
    EXPECT_TRUE(Lines("\r\n\r\n").empty());
}

TEST(ScriptLines, BinaryTextOfAnyShapeIsWalkedSafely)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += static_cast<char>((i * 37 + 11) % 255 + 1);
    size_t total = 0;
    ForEachScriptLine(text, [&](std::string_view line) {
        EXPECT_FALSE(line.empty());
        EXPECT_EQ(line.find('\r'), std::string_view::npos);
        total += line.size();
    });
    EXPECT_GT(total, 0u);
    EXPECT_LT(total, text.size());
}

TEST(ScriptFields, BlanksSeparateAndTabsDoNot)
{
    EXPECT_EQ(Fields("COPY  D:\\a.txt   C:\\Demo"), Expect10({"COPY", "D:\\a.txt", "C:\\Demo"}));
    EXPECT_EQ(Fields("DEL a\tb.txt"), Expect10({"DEL", "a\tb.txt"}));
    EXPECT_EQ(Fields("MD x   "), Expect10({"MD", "x"}));
}

TEST(ScriptFields, LeadingBlankGivesEmptyCommandWord)
{
    EXPECT_EQ(Fields("  COPY D:\\a.txt C:\\Demo"), Expect10({"", "COPY", "D:\\a.txt", "C:\\Demo"}));
}

TEST(ScriptFields, QuotedFields)
{
    EXPECT_EQ(Fields("COPY \"C:\\Program Files\\x.txt\" D:\\y"),
              Expect10({"COPY", "C:\\Program Files\\x.txt", "D:\\y"}));
    // A quoted field followed directly by another.
    EXPECT_EQ(Fields("RUN \"a\"b c"), Expect10({"RUN", "a", "b", "c"}));
    // A quote inside an unquoted field is ordinary.
    EXPECT_EQ(Fields("DEL ab\"c d"), Expect10({"DEL", "ab\"c", "d"}));
    EXPECT_EQ(Fields("RUN p.exe \"\" x"), Expect10({"RUN", "p.exe", "", "x"}));
}

TEST(ScriptFields, UnterminatedQuoteRunsToTheEndPlusTheAppendedBlank)
{
    EXPECT_EQ(Fields("COPY \"C:\\My Files\\x.txt D:\\y"), Expect10({"COPY", "C:\\My Files\\x.txt D:\\y "}));
    EXPECT_EQ(Fields("COPY \""), Expect10({"COPY", " "}));
}

TEST(ScriptFields, OverlongLinesAndTooManyFieldsAreRefused)
{
    ScriptFieldTable table;
    EXPECT_EQ(CutScriptLine(std::string(kScriptLineLimit, 'x'), table), LineCut::Cut);
    EXPECT_EQ(table[0].size(), kScriptLineLimit);

    table.fill("stale");
    EXPECT_EQ(CutScriptLine(std::string(kScriptLineLimit + 1, 'x'), table), LineCut::TooLong);
    for (const auto& field : table)
        EXPECT_TRUE(field.empty());

    EXPECT_EQ(CutScriptLine("RUN p.exe 2 3 4 5 6 7 8 9", table), LineCut::Cut);
    EXPECT_EQ(table[9], "9");
    EXPECT_EQ(CutScriptLine("RUN p.exe 2 3 4 5 6 7 8 9   ", table), LineCut::Cut);
    EXPECT_EQ(CutScriptLine("RUN p.exe 2 3 4 5 6 7 8 9 10", table), LineCut::TooManyFields);
    for (const auto& field : table)
        EXPECT_TRUE(field.empty());
    // A file with LF line ends is one line: "MD a\nMD b" gives the fields MD, a LF MD, b.
    std::string lfOnly;
    for (int i = 0; i < 6; ++i)
        lfOnly += "MD x\n";
    EXPECT_EQ(CutScriptLine(lfOnly, table), LineCut::Cut);
    EXPECT_EQ(table[1], "x\nMD");
    for (int i = 0; i < 6; ++i)
        lfOnly += "MD x\n";
    EXPECT_EQ(CutScriptLine(lfOnly, table), LineCut::TooManyFields);
}

TEST(ScriptPlaceholders, TheExpansionTable)
{
    const PlaceholderValues v = DemoValues();
    EXPECT_EQ(ExpandPlaceholder("%InstallPath%\\Code\\Readme.txt", v), "E:\\Demo\\Code\\Readme.txt");
    EXPECT_EQ(ExpandPlaceholder("%INSTALLPATH%Readme.txt", v), "E:\\Demo\\Readme.txt");
    EXPECT_EQ(ExpandPlaceholder("%INSTALLPATH%", v), "E:\\Demo");
    EXPECT_EQ(ExpandPlaceholder("%STARTDIR%\\Code\\x.txt", v), "D:\\Code\\x.txt");
    EXPECT_EQ(ExpandPlaceholder("%INSTALLDIR%", v), "Demo");
    EXPECT_EQ(ExpandPlaceholder("%INSTALLDRIVE%", v), "E");
    EXPECT_EQ(ExpandPlaceholder("%INSTALLDRIVE%:\\x", v), "E\\:\\x");
    EXPECT_EQ(ExpandPlaceholder("%unknown%\\x", v), "%UNKNOWN%\\x");
    EXPECT_EQ(ExpandPlaceholder("%abc", v), "%ABC");
    EXPECT_EQ(ExpandPlaceholder("x%PROGRAMS%", v), "x%PROGRAMS%");
}

TEST(ScriptPlaceholders, EveryFolderName)
{
    const PlaceholderValues v = DemoValues();
    EXPECT_EQ(ExpandPlaceholder("%SYSTEM%\\a.dll", v), "C:\\WINDOWS\\SYSTEM32\\a.dll");
    EXPECT_EQ(ExpandPlaceholder("%windows%", v), "C:\\WINDOWS");
    EXPECT_EQ(ExpandPlaceholder("%Desktop%\\x", v), "C:\\Users\\me\\Desktop\\x");
    EXPECT_EQ(ExpandPlaceholder("%FAVORITES%", v), "C:\\Users\\me\\Favorites");
    EXPECT_EQ(ExpandPlaceholder("%MYDOCUMENTS%\\Book", v), "C:\\Users\\me\\Documents\\Book");
    EXPECT_EQ(ExpandPlaceholder("%My Documents%\\Book", v), "C:\\Users\\me\\Documents\\Book");
    // The value already ends with a backslash: none is added.
    EXPECT_EQ(ExpandPlaceholder("%MYPICTURES%x.bmp", v), "C:\\Users\\me\\Pictures\\x.bmp");
    EXPECT_EQ(ExpandPlaceholder("%MY PICTURES%", v), "C:\\Users\\me\\Pictures\\");
    EXPECT_EQ(ExpandPlaceholder("%STARTMENU%\\Book", v), "C:\\Users\\me\\Start Menu\\Book");
    EXPECT_EQ(ExpandPlaceholder("%programs%\\Book\\Read Me", v), "C:\\Users\\me\\Start Menu\\Programs\\Book\\Read Me");
    // Only the first placeholder of a field counts; the rest keeps its case.
    EXPECT_EQ(ExpandPlaceholder("%WINDOWS%\\%SYSTEM%\\MixedCase", v), "C:\\WINDOWS\\%SYSTEM%\\MixedCase");
    EXPECT_EQ(ExpandPlaceholder("%", v), "%");
    EXPECT_EQ(ExpandPlaceholder("", v), "");
}

TEST(ScriptPlaceholders, ShortAndDriveLessDestDirsStayInside)
{
    PlaceholderValues v = DemoValues();
    v.destDir = "Demo";
    EXPECT_EQ(ExpandPlaceholder("%INSTALLDIR%", v), "Demo");
    v.destDir = "E:";
    EXPECT_EQ(ExpandPlaceholder("%INSTALLDIR%", v), "");
    v.destDir = "E:\\";
    EXPECT_EQ(ExpandPlaceholder("%INSTALLDIR%\\x", v), "\\x");
    v.destDir = "";
    EXPECT_EQ(ExpandPlaceholder("%INSTALLDIR%", v), "");
    EXPECT_EQ(ExpandPlaceholder("%INSTALLDRIVE%", v), "");
    v.startDir = "D:\\CD\\";
    EXPECT_EQ(ExpandPlaceholder("%STARTDIR%", v), "D:\\CD");
    v.startDir = "";
    EXPECT_EQ(ExpandPlaceholder("%STARTDIR%\\x", v), "\\x");
}

TEST(ScriptPlaceholders, BlankNamesOnlyInQuotedFields)
{
    const PlaceholderValues v = DemoValues();
    ScriptFieldTable quoted;
    ASSERT_EQ(CutScriptLine("MD \"%MY DOCUMENTS%\\Book\"", quoted), LineCut::Cut);
    EXPECT_EQ(ExpandPlaceholder(quoted[1], v), "C:\\Users\\me\\Documents\\Book");

    ScriptFieldTable plain;
    ASSERT_EQ(CutScriptLine("MD %MY DOCUMENTS%\\Book", plain), LineCut::Cut);
    EXPECT_EQ(ExpandPlaceholder(plain[1], v), "%MY");
    EXPECT_EQ(ExpandPlaceholder(plain[2], v), "DOCUMENTS%\\Book");
}

TEST(ScriptCommandWords, AnyCaseWholeWordOnly)
{
    EXPECT_EQ(ParseCommandWord("copy"), ScriptCommand::Copy);
    EXPECT_EQ(ParseCommandWord("CopyNtOnly"), ScriptCommand::CopyNtOnly);
    EXPECT_EQ(ParseCommandWord("COPYFILEIFNOTINPATH"), ScriptCommand::CopyFileIfNotInPath);
    EXPECT_EQ(ParseCommandWord("del"), ScriptCommand::Del);
    EXPECT_EQ(ParseCommandWord("Rename"), ScriptCommand::Rename);
    EXPECT_EQ(ParseCommandWord("md"), ScriptCommand::Md);
    EXPECT_EQ(ParseCommandWord("CreateShortcut"), ScriptCommand::CreateShortcut);
    EXPECT_EQ(ParseCommandWord("run"), ScriptCommand::Run);
    EXPECT_EQ(ParseCommandWord("ATTRIB"), ScriptCommand::Attrib);
    EXPECT_EQ(ParseCommandWord("COPYFILE"), ScriptCommand::None);
    EXPECT_EQ(ParseCommandWord("DELETE"), ScriptCommand::None);
    EXPECT_EQ(ParseCommandWord("COP"), ScriptCommand::None);
    EXPECT_EQ(ParseCommandWord(""), ScriptCommand::None);
}
