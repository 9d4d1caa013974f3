// The script commands on real files under Wine.
#include <windows.h>
#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/RunLog.h"
#include "GlobalSettingsTest.h"
#include "scripts/ScriptRunner.h"
#include "ScriptTestSupport.h"
#include "settings/SettingsWin.h"

using namespace scripttest;

namespace {

class ScriptCommandsWin : public GlobalSettingsTest {
protected:
    void SetUp() override
    {
        folder = MakeTempFolder("cmd");
        helpers = HelperFolder();
        setupSettings.currentSection = 0;
        setupSettings.SetSectionValueAt(SectionKey::DestDir, 0, folder + "\\Dest");
        osVersion.platformId = 2;
    }

    void Run(const std::string& script) { RunScriptText(script, ScriptFields, CurrentPlaceholderValues(), platform); }

    std::string Helper(const std::string& name) const { return helpers + "\\" + name; }

    std::string folder;
    std::string helpers;
    RecordingPlatform platform;
};

}  // namespace

TEST_F(ScriptCommandsWin, VersionResourcesAreReadFromTheUsEnglishTable)
{
    EXPECT_EQ(ReadFileVersionResource(Helper("scriptver400.dll")), (FileVersion{4, 0, 0}));
    EXPECT_EQ(ReadFileVersionResource(Helper("scriptver4139.dll")), (FileVersion{4, 1, 3}));
    EXPECT_EQ(ReadFileVersionResource(Helper("scriptvercommas.dll")), (FileVersion{1, 0, 0}));
    EXPECT_EQ(ReadFileVersionResource(Helper("scriptver41.dll")), (FileVersion{4, 1, 0}));
    EXPECT_EQ(ReadFileVersionResource(Helper("scriptvergerman.dll")), (FileVersion{0, 0, 0}));
    WriteFile(folder + "\\plain.txt", "no resources here");
    EXPECT_EQ(ReadFileVersionResource(folder + "\\plain.txt"), (FileVersion{0, 0, 0}));
    EXPECT_EQ(ReadFileVersionResource(folder + "\\missing.dll"), (FileVersion{0, 0, 0}));
}

TEST_F(ScriptCommandsWin, CopyToFolderAndToFileAndRefusedPaths)
{
    WriteFile(folder + "\\x.txt", "source");
    ::CreateDirectoryA((folder + "\\Dest").c_str(), nullptr);
    Run("COPY " + folder + "\\x.txt %INSTALLPATH%\r\ncopy " + folder + "\\x.txt %INSTALLPATH%\\y.txt\r\n");
    EXPECT_EQ(ReadFile(folder + "\\Dest\\x.txt"), "source");
    EXPECT_EQ(ReadFile(folder + "\\Dest\\y.txt"), "source");

    Run("COPY x.txt " + folder + "\\Dest\r\nCOPY " + folder + "\\none " + folder + "\\Dest\r\nCOPY " + folder +
        "\\gone.txt " + folder + "\\Dest");
    ASSERT_EQ(platform.messages.size(), 3u);
    EXPECT_EQ(platform.messages[0],
              "You must specify a source and destination drive. ('COPY    x.txt    " + folder + "\\Dest')");
    EXPECT_EQ(platform.messages[1],
              "'" + folder + "\\none' is an illegal filename. (The filename _must_ have an extension.)");
    EXPECT_EQ(platform.messages[2], "The file " + folder + "\\gone.txt does not exist. (Script command 'COPY    " +
                                        folder + "\\gone.txt    " + folder + "\\Dest\\gone.txt')");
}

TEST_F(ScriptCommandsWin, CopyComparesVersions)
{
    const std::string target = folder + "\\target.dll";
    auto copyOnto = [&](const std::string& existing, const std::string& source) {
        ::CopyFileA(Helper(existing).c_str(), target.c_str(), FALSE);
        Run("COPY " + Helper(source) + " " + target);
        return ReadFileVersionResource(target);
    };
    EXPECT_EQ(copyOnto("scriptver400.dll", "scriptver410.dll"), (FileVersion{4, 1, 0}));
    EXPECT_EQ(copyOnto("scriptver412.dll", "scriptver413.dll"), (FileVersion{4, 1, 3}));
    EXPECT_EQ(copyOnto("scriptver413.dll", "scriptver412.dll"), (FileVersion{4, 1, 3}));
    // "4.1" is 4.1.0, newer than 4.0.0.
    EXPECT_EQ(copyOnto("scriptver400.dll", "scriptver41.dll"), (FileVersion{4, 1, 0}));
    // Equal versions (4.1.3.9 reads 4.1.3): the destination stays as it was.
    copyOnto("scriptver413.dll", "scriptver4139.dll");
    EXPECT_EQ(ReadFile(target), ReadFile(Helper("scriptver413.dll")));

    // A text file without version information onto another: nothing copied.
    WriteFile(folder + "\\new.txt", "new");
    WriteFile(folder + "\\old.txt", "old");
    Run("COPY " + folder + "\\new.txt " + folder + "\\old.txt");
    EXPECT_EQ(ReadFile(folder + "\\old.txt"), "old");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ScriptCommandsWin, CopyOverAnOlderFileThatCannotBeReplacedNamesItAndTheInstallFails)
{
    const std::string target = folder + "\\held.dll";
    const std::string source = Helper("scriptver410.dll");
    ASSERT_TRUE(::CopyFileA(Helper("scriptver400.dll").c_str(), target.c_str(), FALSE));
    ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    {
        UniqueFile hold(::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(hold);
        Run("COPY " + source + " " + target);
    }
    ASSERT_EQ(platform.messages.size(), 1u);
    // The new file is complete beside the held one; the system refuses the rename over it.
    const std::string reason = platform.messages[0].substr(0, platform.messages[0].find('\n'));
    EXPECT_TRUE(reason == SystemErrorText(ERROR_SHARING_VIOLATION) || reason == SystemErrorText(ERROR_ACCESS_DENIED))
        << reason;
    EXPECT_EQ(platform.messages[0], reason + "\nI can't replace \"" + target + "\" with \"" + source +
                                        "\". (Script command 'COPY    " + source + "    " + target + "')");
    EXPECT_FALSE(Exists(folder + "\\" + kPartialFileName)) << "no temporary file stays";
    EXPECT_EQ(ReadFileVersionResource(target), (FileVersion{4, 0, 0}));
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    EXPECT_EQ(::GetFileAttributesA(target.c_str()) & kept, kept) << "the old file stays as it was";
    const int failures = TheRunLog().ErrorCount();

    // No longer held: the read-only, hidden older file is replaced.
    Run("COPY " + source + " " + target);
    EXPECT_EQ(ReadFileVersionResource(target), (FileVersion{4, 1, 0}));
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(TheRunLog().ErrorCount(), failures);
}

TEST_F(ScriptCommandsWin, CopyNtOnlyFollowsThePlatform)
{
    WriteFile(folder + "\\nt.txt", "nt");
    osVersion.platformId = 1;
    Run("COPYNTONLY " + folder + "\\nt.txt " + folder + "\\w95.txt");
    EXPECT_FALSE(Exists(folder + "\\w95.txt"));
    osVersion.platformId = 2;
    Run("CopyNtOnly " + folder + "\\nt.txt " + folder + "\\winnt.txt");
    EXPECT_EQ(ReadFile(folder + "\\winnt.txt"), "nt");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ScriptCommandsWin, CopyFileIfNotInPath)
{
    WriteFile(folder + "\\k.dll", "ours");
    Run("COPYFILEIFNOTINPATH kernel32.dll " + folder + "\\k.dll " + folder + "\\kernel32.dll");
    EXPECT_FALSE(Exists(folder + "\\kernel32.dll"));
    Run("COPYFILEIFNOTINPATH scriptnowhere.dll " + folder + "\\k.dll " + folder + "\\scriptnowhere.dll");
    EXPECT_EQ(ReadFile(folder + "\\scriptnowhere.dll"), "ours");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ScriptCommandsWin, DelMdAttribAndUnknownWords)
{
    WriteFile(folder + "\\del.txt", "x");
    WriteFile(folder + "\\kept.txt", "x");
    WriteFile(folder + "\\attr.txt", "x");
    ::SetFileAttributesA((folder + "\\attr.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    FILETIME before{};
    {
        HANDLE h =
            ::CreateFileA((folder + "\\attr.txt").c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ::GetFileTime(h, nullptr, nullptr, &before);
        ::CloseHandle(h);
    }
    Run("del " + folder + "\\del.txt\r\nDELETE " + folder + "\\kept.txt\r\nDEL " + folder +
        "\\gone.txt\r\nmd %INSTALLPATH%\\a\\b\\c\r\nattrib " + folder + "\\attr.txt -R +h\r\nATTRIB " + folder +
        "\\gone.txt +R\r\n");
    EXPECT_FALSE(Exists(folder + "\\del.txt"));
    EXPECT_TRUE(Exists(folder + "\\kept.txt"));
    EXPECT_NE(::GetFileAttributesA((folder + "\\Dest\\a\\b\\c").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    const DWORD attributes = ::GetFileAttributesA((folder + "\\attr.txt").c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), DWORD{FILE_ATTRIBUTE_HIDDEN});
    FILETIME after{};
    HANDLE h = ::CreateFileA((folder + "\\attr.txt").c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ::GetFileTime(h, nullptr, nullptr, &after);
    ::CloseHandle(h);
    EXPECT_EQ(::CompareFileTime(&before, &after), 0);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ScriptCommandsWin, RenameMovesOrReports)
{
    WriteFile(folder + "\\a.txt", "a");
    Run("RENAME " + folder + "\\a.txt " + folder + "\\b.txt\r\nRENAME " + folder + "\\gone.txt " + folder + "\\c.txt");
    EXPECT_EQ(ReadFile(folder + "\\b.txt"), "a");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0],
              "Batch file error. The file '" + folder + "\\gone.txt' does not exists; I can't rename it.");
    EXPECT_EQ(platform.pauses, 0);
}

TEST_F(ScriptCommandsWin, RenameOntoAnExistingFileRetriesThenAsks)
{
    // MoveFile never replaces: the target in the way fails every attempt the same way.
    WriteFile(folder + "\\a.txt", "a");
    WriteFile(folder + "\\b.txt", "b");
    platform.retryAnswers = {true};
    Run("RENAME " + folder + "\\a.txt " + folder + "\\b.txt");
    EXPECT_EQ(platform.pauses, 12);
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0], SystemErrorText(ERROR_ALREADY_EXISTS) + "\nI can't rename \"" + folder +
                                        "\\a.txt\" as \"" + folder +
                                        "\\b.txt\". (Retry this operation at least once. If the operation continues "
                                        "to fail another process might have opened the file.)");
    EXPECT_EQ(ReadFile(folder + "\\a.txt"), "a");
}

TEST_F(ScriptCommandsWin, RunPassesTheArgumentsAndWaits)
{
    const std::string out = folder + "\\probe.txt";
    ::SetEnvironmentVariableA("SCRIPT_PROBE_OUT", out.c_str());
    Run("RUN " + Helper("scriptprobe.exe") + " a \"b c\"\r\nrun " + Helper("scriptprobe.exe") + " x \"\" y");
    // The second run wrote last; the first one's text was checked by its own run below.
    EXPECT_EQ(ReadFile(out), "  x ");
    Run("RUN " + Helper("scriptprobe.exe") + " a \"b c\"");
    EXPECT_EQ(ReadFile(out), "  a  \"b c\" ");
    ::SetEnvironmentVariableA("SCRIPT_PROBE_OUT", nullptr);

    Run("RUN " + folder + "\\gone.exe a");
    // A file that exists but is no program cannot be started.
    WriteFile(folder + "\\fake.exe", "not a program");
    Run("RUN " + folder + "\\fake.exe");
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0],
              "Batch file error. The file '" + folder + "\\gone.exe' does not exists; I can't run it.");
    EXPECT_NE(
        platform.messages[1].find("Batch file error. The program '" + folder + "\\fake.exe' could not be started."),
        std::string::npos);
}
