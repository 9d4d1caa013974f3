// Script files and shortcuts through the installer's own entry points under Wine.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "DialogAnswerer.h"
#include "framework/ComPtr.h"
#include "GlobalSettingsTest.h"
#include "scripts/ScriptRunner.h"
#include "scripts/Shortcuts.h"
#include "ScriptTestSupport.h"
#include "settings/SettingsWin.h"

using namespace scripttest;

namespace {

std::string LinkTarget(const std::string& linkPath)
{
    ComInitGuard com;
    ComPtr<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void())))
        return "<no shell link>";
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return "<no persist file>";
    wchar_t wide[MAX_PATH];
    ::MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
    if (FAILED(file->Load(wide, STGM_READ))) return "<not loaded>";
    char target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, 0))) return "<no path>";
    return target;
}

std::string CurrentDir()
{
    char buffer[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, buffer);
    return buffer;
}

using ScriptRunnerWin = GlobalSettingsTest;
using ScriptShortcutsWin = GlobalSettingsTest;
}  // namespace

TEST_F(ScriptRunnerWin, MissingScriptFileIsReportedAndNullIsNoScript)
{
    const std::string folder = MakeTempFolder("file");
    const std::string before = CurrentDir();
    {
        DialogAnswerer answerer;
        RunScriptFile("NULL", folder);
        EXPECT_EQ(CurrentDir(), before);
        RunScriptFile("null", folder);
        const auto answered = answerer.Answered();
        ASSERT_EQ(answered.size(), 1u);
        EXPECT_EQ(answered[0].text, "Couldn't find script file null.");
    }
    EXPECT_EQ(CurrentDir(), folder);
    ::SetCurrentDirectoryA(before.c_str());
}

TEST_F(ScriptRunnerWin, ScriptFileRunsEveryLineFromTheStartFolder)
{
    const std::string folder = MakeTempFolder("file");
    setupSettings.currentSection = 0;
    setupSettings.SetSectionValueAt(SectionKey::DestDir, 0, folder + "\\Dest");
    specialFolders.Set(SpecialFolder::StartDir, folder + "\\");
    WriteFile(folder + "\\a.txt", "A");
    // Lone CR, CR LF, blank lines, a RENAME that fails with a real message box, and lines after it.
    WriteFile(folder + "\\SCRIPT.TXT",
              "MD %INSTALLPATH%\\Sub\rCOPY %STARTDIR%\\a.txt %INSTALLPATH%\\Sub\r\n\r\n"
              "RENAME %STARTDIR%\\gone.txt x.txt\r\n  DEL %INSTALLPATH%\\Sub\\a.txt\r\n"
              "CREATESHORTCUT %INSTALLPATH%\\Sub\\a.txt\r\n");
    const std::string before = CurrentDir();
    {
        DialogAnswerer answerer;
        RunScriptFile("SCRIPT.TXT", folder);
        const auto answered = answerer.Answered();
        ASSERT_EQ(answered.size(), 1u);
        EXPECT_EQ(answered[0].text,
                  "Batch file error. The file '" + folder + "\\gone.txt' does not exists; I can't rename it.");
    }
    EXPECT_EQ(ReadFile(folder + "\\Dest\\Sub\\a.txt"), "A");
    // The shortcut without a folder lands in the start folder.
    EXPECT_EQ(LinkTarget(folder + "\\Default Shortcut.Lnk"), folder + "\\Dest\\Sub\\a.txt");
    ::SetCurrentDirectoryA(before.c_str());
}

TEST_F(ScriptRunnerWin, BinaryScriptWithoutLineEndsIsHarmless)
{
    // Every byte but the zero, the carriage return and the blank, after an MD command: one line, far
    // longer than a line may be, refused whole. The reader goes on after it, and stops at a zero byte.
    const std::string folder = MakeTempFolder("bin");
    std::string binary = "MD " + folder + "\\never\\";
    for (int i = 0; binary.size() < 3000; ++i)
        if (const char c = static_cast<char>(i % 256); c != '\0' && c != '\r' && c != ' ') binary += c;
    WriteFile(folder + "\\BIN.TXT",
              binary + "\r\nMD " + folder + "\\after\r\n" + std::string("\0\r\nMD ", 6) + folder + "\\beyond\r\n");
    const std::string before = CurrentDir();
    DialogAnswerer answerer;
    RunScriptFile("BIN.TXT", folder);
    EXPECT_TRUE(answerer.Answered().empty());
    EXPECT_FALSE(Exists(folder + "\\never"));
    EXPECT_TRUE(Exists(folder + "\\after")) << "the line after the binary one is run";
    EXPECT_FALSE(Exists(folder + "\\beyond")) << "a zero byte ends the script";
    ::SetCurrentDirectoryA(before.c_str());
}

TEST_F(ScriptShortcutsWin, ShortcutFileResolvesToItsTarget)
{
    const std::string folder = MakeTempFolder("lnk");
    ::CreateDirectoryA((folder + "\\Demo").c_str(), nullptr);
    ::CreateDirectoryA((folder + "\\Demo\\Code").c_str(), nullptr);
    ComInitGuard com;
    EXPECT_EQ(CreateShortcutFile(folder + "\\Demo\\Code", folder + "\\Code.Lnk", ""), S_OK);
    EXPECT_EQ(LinkTarget(folder + "\\Code.Lnk"), folder + "\\Demo\\Code");
    EXPECT_EQ(CreateShortcutFile(folder + "\\Demo\\Code\\..", folder + "\\Up.Lnk", ""), S_OK);
    EXPECT_EQ(LinkTarget(folder + "\\Up.Lnk"), folder + "\\Demo");
    EXPECT_EQ(CreateShortcutFile(folder, folder + "\\" + std::string(260, 'n') + ".Lnk", ""), E_INVALIDARG);
}

TEST_F(ScriptShortcutsWin, SectionShortcutWritesItsPathBack)
{
    const std::string folder = MakeTempFolder("section");
    ::CreateDirectoryA((folder + "\\Desktop").c_str(), nullptr);
    ::CreateDirectoryA((folder + "\\Book").c_str(), nullptr);
    specialFolders.Set(SpecialFolder::Desktop, folder + "\\Desktop");
    specialFolders.Set(SpecialFolder::Favorites, "");
    setupSettings.currentSection = 1;
    setupSettings.SetSectionValueAt(SectionKey::DestDir, 1, folder + "\\Book");
    setupSettings.SetSectionValueAt(SectionKey::ShortcutName, 1, "My Book");
    setupSettings.SetSectionValueAt(SectionKey::ShortcutLocation, 1, "desktop");

    const std::string path = CreateSectionShortcut();
    EXPECT_EQ(path, folder + "\\Desktop\\My Book.Lnk");
    EXPECT_EQ(setupSettings.SectionValueAt(SectionKey::ShortcutLocation, 1), path);
    EXPECT_EQ(LinkTarget(path), folder + "\\Book");

    // A location without a folder on this system, or no location at all: nothing made, value kept.
    for (const char* location : {"Favorites", "NULL", "Start Menu"}) {
        setupSettings.SetSectionValueAt(SectionKey::ShortcutLocation, 1, location);
        EXPECT_EQ(CreateSectionShortcut(), "");
        EXPECT_EQ(setupSettings.SectionValueAt(SectionKey::ShortcutLocation, 1), location);
    }
    EXPECT_FALSE(Exists("\\My Book.Lnk"));
}
