// The settings' Win32 sources and the path functions, on Wine's real file system and registry.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>

#include "framework/PathFunctions.h"
#include "framework/WideText.h"
#include "settings/SettingsWin.h"

namespace {
std::string TempFolder(const char* name)
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

bool IsFolder(const std::string& path)
{
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

TEST(PathFunctionsWin, OnlyFileNotFoundCountsAsMissing)
{
    const std::string folder = TempFolder("pathexists");
    std::ofstream(folder + "\\present.txt") << "x";
    EXPECT_TRUE(PathExistsUnlessFileNotFound(folder + "\\present.txt"));
    EXPECT_TRUE(PathExistsUnlessFileNotFound(folder));  // folders like files
    EXPECT_FALSE(PathExistsUnlessFileNotFound(folder + "\\absent.txt"));
    // Under a missing folder the system reports "path not found": that counts as present.
    EXPECT_TRUE(PathExistsUnlessFileNotFound(folder + "\\no-such-folder\\absent.txt"));
}

TEST(PathFunctionsWin, CreatesFolderPaths)
{
    const std::string root = TempFolder("createpath");
    EXPECT_TRUE(CreateDirectoryPath(root + "\\Book\\Samples\\Data"));
    EXPECT_TRUE(IsFolder(root + "\\Book\\Samples\\Data"));
    EXPECT_TRUE(CreateDirectoryPath(root + "\\Trailing\\"));
    EXPECT_TRUE(IsFolder(root + "\\Trailing"));

    ASSERT_TRUE(::SetCurrentDirectoryA(root.c_str()));
    EXPECT_TRUE(CreateDirectoryPath("Rel\\Sub"));
    EXPECT_TRUE(IsFolder(root + "\\Rel\\Sub"));
    // Drive-relative: below the current folder of that drive.
    const std::string drive = root.substr(0, 2);
    EXPECT_TRUE(CreateDirectoryPath(drive + "DriveRel"));
    EXPECT_TRUE(IsFolder(root + "\\DriveRel"));

    EXPECT_FALSE(CreateDirectoryPath("\\\\server\\share\\dir"));
    // Beyond the plain form's limit the folders are made in the long form.
    const std::string deep = root + "\\" + std::string(200, 'x') + "\\" + std::string(200, 'y');
    EXPECT_TRUE(CreateDirectoryPath(deep));
    EXPECT_NE(::GetFileAttributesW(SystemPath(deep).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SettingsWin, ReadsTheProfileFilesOfTheCurrentFolder)
{
    const std::string folder = TempFolder("profiles");
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.c_str()));
    {
        std::ofstream ini(folder + "\\SETUP.INI");
        ini << "[Setup]\r\nMainProdName=My Book\r\nFilesCompressed=YES\r\nNumberOfSections=1\r\n"
               "ChangeFolderButton=TRUE\r\nVolumeName=BOOK\r\n[Section1]\r\nCodeDir=PART1\r\nDestDir=C:\\Book\r\n"
               "ProductName=My Book Part 1\r\nShortcutLocation=\r\nShortcutName=My Book\r\nFileSize=12000\r\n"
               "InstallByDefault=TRUE\r\nUninstall=TRUE\r\nCommandFile=\r\n";
        std::ofstream txt(folder + "\\SETUP.TXT");
        txt << "[SetupText]\r\nWelcomeTitle=Welcome\r\nOkButton=Error\r\nWelcomeText=" << std::string(5000, 'w')
            << "\r\n";
    }
    SetupSettings settings;
    LoadStartupSettings(settings);
    EXPECT_TRUE(settings.settingsValid);
    EXPECT_TRUE(settings.filesCompressed);
    EXPECT_EQ(settings.SectionValueAt(SectionKey::ShortcutLocation, 0), "NULL");
    EXPECT_EQ(settings.SectionValueAt(SectionKey::AltMyDocumentsDir, 0), "Error");
    EXPECT_EQ(settings.GetText(TextId::WelcomeTitle), "Welcome");
    EXPECT_EQ(settings.GetText(TextId::OkButton), "");
    EXPECT_EQ(settings.GetText(TextId::WelcomeText).size(), 4095u);
}

TEST(SettingsWin, SpecialFoldersComeFromTheSystemAndTheUsersShellFolders)
{
    SpecialFolderTable table;
    SetupSettings settings;
    BuildSpecialFolders(table, settings);
    char windowsDir[MAX_PATH];
    ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
    EXPECT_EQ(table.Get(SpecialFolder::WindowsDir), windowsDir);
    EXPECT_FALSE(table.Get(SpecialFolder::SystemDir).empty());
    EXPECT_FALSE(table.Get(SpecialFolder::Desktop).empty());
    EXPECT_TRUE(IsFolder(table.Get(SpecialFolder::Desktop)));
    EXPECT_FALSE(table.Get(SpecialFolder::Programs).empty());
    // A modern NT keeps its real documents folder.
    EXPECT_TRUE(IsFolder(table.Get(SpecialFolder::MyDocuments))) << table.Get(SpecialFolder::MyDocuments);
    EXPECT_TRUE(table.Version().IsNtFamily());
}
