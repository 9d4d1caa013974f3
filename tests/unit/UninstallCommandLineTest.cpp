#include <gtest/gtest.h>

#include "settings/UninstallEntry.h"
#include "uninstaller/InstallFolderCheck.h"
#include "uninstaller/UninstallCommandLine.h"

TEST(UninstallCommandLine, SkipsTheProgramNameQuotedOrNot)
{
    EXPECT_EQ(ArgumentsAfterProgramName("C:\\WINDOWS\\TOVRADE.EXE `C:\\Book` My Book"), "`C:\\Book` My Book");
    EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\My Windows\\TOVRADE.EXE\"   `C:\\Book` X"), "`C:\\Book` X");
    EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\A B\\TOVRADE.EXE\"`C:\\Book` X"), "`C:\\Book` X");
    EXPECT_EQ(ArgumentsAfterProgramName("TOVRADE.EXE"), "");
    EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\unterminated `x` y"), "");
    EXPECT_EQ(ArgumentsAfterProgramName(""), "");
}

TEST(UninstallCommandLine, SplitsFolderAndProductNameWithBlanks)
{
    auto command = SplitUninstallCommandLine("`C:\\Program Files\\My Book` My Book  2nd ed.");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->installFolder, "C:\\Program Files\\My Book");
    EXPECT_EQ(command->productName, "My Book  2nd ed.");

    auto emptyName = SplitUninstallCommandLine("`C:\\Book` ");
    ASSERT_TRUE(emptyName);
    EXPECT_EQ(emptyName->productName, "");
}

TEST(UninstallCommandLine, RefusesLinesWithoutTheBackquoteLayout)
{
    for (const char* line : {"", "C:\\Book My Book", "`C:\\Book My Book", "`` My Book", "`C:\\Book`My Book",
                             "`C:\\Book`", " `C:\\Book` My Book", "\"C:\\Book\" My Book"}) {
        EXPECT_FALSE(SplitUninstallCommandLine(line)) << line;
    }
}

TEST(UninstallCommandLine, ProductNamesThatCouldReachAnotherKeyAreUnsafe)
{
    for (const char* name : {"My Book", "Book v1.2 (CD)", "Widgets... Vol 2", "Book..", "...", ".hidden"})
        EXPECT_TRUE(IsSafeProductName(name)) << name;
    for (const char* name : {"", ".", "..", "My\\Book", "\\", "..\\Other"})
        EXPECT_FALSE(IsSafeProductName(name)) << name;
    EXPECT_EQ(UninstallEntryPath("My Book"), "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\My Book");
}

TEST(UninstallCommandLine, TheEntryMustEndWithExactlyTheArguments)
{
    const std::string stored = "C:\\WINDOWS\\TOVRADE.EXE `C:\\Book` My Book";
    EXPECT_TRUE(UninstallStringMatches(stored, "`C:\\Book` My Book"));
    EXPECT_FALSE(UninstallStringMatches(stored, "`C:\\book` My Book"));
    EXPECT_FALSE(UninstallStringMatches(stored, "Book` My Book"));
    EXPECT_FALSE(UninstallStringMatches(stored, "`C:\\Book` My Book "));
    EXPECT_FALSE(UninstallStringMatches(stored, ""));
    EXPECT_FALSE(UninstallStringMatches("`C:\\Book` My Book", "`C:\\Book` My Book"));
    EXPECT_FALSE(UninstallStringMatches("X.EXE`C:\\Book` My Book", "`C:\\Book` My Book"));
}

// The installer writes what the uninstaller splits back: both ends of the entry agree.
TEST(UninstallCommandLine, WhatTheInstallerWritesTheUninstallerReadsBack)
{
    const std::string target = UninstallerTargetPath("C:\\WINDOWS");
    EXPECT_EQ(target, "C:\\WINDOWS\\TOVRADE.EXE");
    EXPECT_EQ(UninstallerTargetPath("C:\\"), "C:\\TOVRADE.EXE");
    const std::string stored = ComposeUninstallString(target, "C:\\Program Files\\My Book", "My Book 2");
    EXPECT_EQ(stored, "C:\\WINDOWS\\TOVRADE.EXE `C:\\Program Files\\My Book` My Book 2");

    const std::string_view arguments = ArgumentsAfterProgramName(stored);
    auto command = SplitUninstallCommandLine(arguments);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->installFolder, "C:\\Program Files\\My Book");
    EXPECT_EQ(command->productName, "My Book 2");
    EXPECT_TRUE(UninstallStringMatches(stored, arguments));
}

// A folder with a backquote would split into another folder and name: the uninstaller refuses the
// run because the entry it then opens does not hold that command line.
TEST(UninstallCommandLine, AFolderWithABackquoteSplitsDifferentlyAndIsCaught)
{
    const std::string stored = ComposeUninstallString("C:\\W\\TOVRADE.EXE", "C:\\Odd` Book", "Odd");
    auto command = SplitUninstallCommandLine(ArgumentsAfterProgramName(stored));
    ASSERT_TRUE(command);
    EXPECT_EQ(command->installFolder, "C:\\Odd");
    EXPECT_EQ(command->productName, "Book` Odd");
}

TEST(UninstallShortcut, OnlyFullLnkPathsAreDeleted)
{
    EXPECT_TRUE(IsDeletableShortcut("C:\\Users\\me\\Desktop\\My Book.lnk"));
    EXPECT_TRUE(IsDeletableShortcut("C:\\Users\\me\\Desktop\\My Book.LNK"));
    EXPECT_TRUE(IsDeletableShortcut("\\\\server\\share\\Book.Lnk"));
    EXPECT_FALSE(IsDeletableShortcut("DESKTOP"));
    EXPECT_FALSE(IsDeletableShortcut("My Book.lnk"));
    EXPECT_FALSE(IsDeletableShortcut("C:My Book.lnk"));
    EXPECT_FALSE(IsDeletableShortcut("C:\\Book\\setup.exe"));
    EXPECT_FALSE(IsDeletableShortcut("C:\\Book\\..\\Windows\\x.lnk"));
    EXPECT_FALSE(IsDeletableShortcut(""));
}
