#include <gtest/gtest.h>

#include "uninstaller/InstallFolderCheck.h"

namespace {
const std::vector<std::string> kGuarded = {"C:\\WINDOWS",
                                           "C:\\WINDOWS\\system32",
                                           "C:\\Program Files",
                                           "C:\\Program Files (x86)",
                                           "C:\\ProgramData",
                                           "C:\\Users",
                                           "C:\\Users\\me",
                                           "C:\\Users\\me\\Desktop",
                                           "C:\\Users\\me\\Documents",
                                           "C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
                                           "D:\\Shared Docs"};

FolderVerdict Verdict(const std::string& folder)
{
    return CheckInstallFolder(folder, kGuarded).verdict;
}
}  // namespace

TEST(UninstallFolderCheck, CanonicalFormIsFullAndClean)
{
    EXPECT_EQ(CanonicalFolderPath("C:\\Book"), "C:\\Book");
    EXPECT_EQ(CanonicalFolderPath("c:/Book//Samples\\"), "C:\\Book\\Samples");
    EXPECT_EQ(CanonicalFolderPath("C:\\Book\\.\\Samples\\..\\Data"), "C:\\Book\\Data");
    EXPECT_EQ(CanonicalFolderPath("C:\\Book  \\Data. "), "C:\\Book\\Data");
    EXPECT_EQ(CanonicalFolderPath("C:\\"), "C:\\");
    EXPECT_EQ(CanonicalFolderPath("C:\\Book\\.."), "C:\\");
    EXPECT_EQ(CanonicalFolderPath("\\\\server\\share\\Book\\"), "\\\\server\\share\\Book");
}

TEST(UninstallFolderCheck, RelativeDriveRelativeAndEscapingPathsHaveNoCanonicalForm)
{
    for (const char* path :
         {"", "C:", "C:Book", "Book", "\\Book", ".\\Book", "C:\\Book\\..\\..", "\\\\?\\C:\\Book",
          "\\\\.\\C:", "\\\\server", "\\\\server\\", "C:\\Bo:ok", "C:\\Book\\*", "C:\\...", "C:\\Book\\ "}) {
        EXPECT_FALSE(CanonicalFolderPath(path)) << path;
        EXPECT_EQ(Verdict(path), FolderVerdict::NotFullPath) << path;
    }
}

TEST(UninstallFolderCheck, DriveAndShareRootsAreRefused)
{
    EXPECT_EQ(Verdict("C:\\"), FolderVerdict::DriveRoot);
    EXPECT_EQ(Verdict("E:\\Book\\.."), FolderVerdict::DriveRoot);
    EXPECT_EQ(Verdict("\\\\server\\share"), FolderVerdict::DriveRoot);
    EXPECT_EQ(Verdict("\\\\server\\share\\Book"), FolderVerdict::Removable);
}

TEST(UninstallFolderCheck, GuardedFoldersAndTheirParentsAreRefusedTheirChildrenAreNot)
{
    for (const char* path : {"C:\\Windows", "c:\\windows\\", "C:\\WINDOWS  ", "C:\\Windows\\System32",
                             "C:\\Program Files", "C:\\Users", "C:\\Users\\me", "C:\\users\\ME\\desktop",
                             "C:\\Users\\me\\AppData", "C:\\Users\\me\\Documents\\..", "D:\\Shared Docs."}) {
        EXPECT_EQ(Verdict(path), FolderVerdict::Protected) << path;
    }
    const FolderCheck check = CheckInstallFolder("C:\\Users\\me\\AppData\\Roaming", kGuarded);
    EXPECT_EQ(check.protectedFolder, "C:\\Users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");

    for (const char* path : {"C:\\Program Files\\My Book", "C:\\Users\\me\\Documents\\My Book", "C:\\WindowsBook",
                             "C:\\Program Files Book", "D:\\Shared", "C:\\Book"}) {
        EXPECT_EQ(Verdict(path), FolderVerdict::Removable) << path;
    }
    EXPECT_EQ(CheckInstallFolder("c:/Program Files/My Book/", kGuarded).canonical, "C:\\Program Files\\My Book");
}
