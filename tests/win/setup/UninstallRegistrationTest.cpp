// The uninstall registration against Wine's real registry and file system.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "copy/CopyEngine.h"
#include "DialogAnswerer.h"
#include "framework/Handles.h"
#include "GlobalSettingsTest.h"
#include "installer/UninstallRegistration.h"
#include "scripts/ScriptPlatformWin.h"
#include "ScriptTestSupport.h"
#include "settings/SettingsWin.h"

namespace {
const char kEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

struct RegValue {
    DWORD type = 0;
    std::string bytes;
};

std::optional<RegValue> ReadValue(const std::string& product, const char* name)
{
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kEntryKey + product).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    RegValue value;
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    value.bytes.assign(size, '\0');
    if (::RegQueryValueExA(key.get(), name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.bytes.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// A string value as stored, with its terminating zero.
std::string Sz(const std::string& text)
{
    return text + '\0';
}
std::string Dword(DWORD number)
{
    return std::string(reinterpret_cast<const char*>(&number), sizeof number);
}
std::string Today()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char text[16] = {};
    ::wsprintfA(text, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

class UninstallRegistration : public GlobalSettingsTest {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        root_ = std::string(temp) + "uninst-reg-" + std::to_string(::GetTickCount() + counter_++);
        cd_ = root_ + "\\CD";
        windows_ = root_ + "\\Windows";
        for (const std::string& folder : {root_, cd_, windows_})
            ::CreateDirectoryA(folder.c_str(), nullptr);
        std::ofstream(cd_ + "\\TOVRADE.EXE", std::ios::binary) << "MZ the uninstaller " << root_;
        specialFolders.Set(SpecialFolder::StartDir, cd_);
        specialFolders.Set(SpecialFolder::SourceDir, cd_);
        specialFolders.Set(SpecialFolder::WindowsDir, windows_);
        setupSettings.currentSection = 0;
        SetSection("C:\\Program Files\\My Book", "My Book", "C:\\users\\me\\Desktop\\My Book.lnk", "TRUE");
        setupSettings.SetSectionValueAt(SectionKey::FileSize, 0, "2048000");
        setupSettings.SetText(TextId::UninstallText, "Remove %s and all its files?");
        setupSettings.SetText(TextId::UninstallProblemText, "Some files could not be removed.");
        sectionBytesWritten = 0;  // no copy: FileSize stands in
    }
    void SetSection(const std::string& dest, const std::string& product, const std::string& shortcut,
                    const std::string& uninstall)
    {
        setupSettings.SetSectionValueAt(SectionKey::DestDir, 0, dest);
        setupSettings.SetSectionValueAt(SectionKey::ProductName, 0, product);
        setupSettings.SetSectionValueAt(SectionKey::ShortcutLocation, 0, shortcut);
        setupSettings.SetSectionValueAt(SectionKey::Uninstall, 0, uninstall);
    }
    static void DeleteEntry(const std::string& product)
    {
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kEntryKey + product).c_str());
    }

    static inline int counter_ = 0;
    std::string root_, cd_, windows_;
};
}  // namespace

TEST_F(UninstallRegistration, WritesTheEntryValuesExactlyAndReplacesAReadOnlyUninstaller)
{
    const std::string target = windows_ + "\\TOVRADE.EXE";
    std::ofstream(target) << "old";
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    DeleteEntry("My Book");
    DialogAnswerer watcher;
    RegisterSectionForUninstall();
    EXPECT_TRUE(watcher.Answered().empty());

    EXPECT_EQ(ReadAll(target), ReadAll(cd_ + "\\TOVRADE.EXE"));
    EXPECT_EQ(::GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    WIN32_FIND_DATAA found;
    UniqueFind leftovers(::FindFirstFileA((windows_ + "\\*.tmp").c_str(), &found));
    EXPECT_FALSE(leftovers);

    const std::string uninstallString = target + " `C:\\Program Files\\My Book` My Book";
    const std::pair<const char*, std::string> strings[] = {{"DisplayName", "My Book"},
                                                           {"UninstallString", uninstallString},
                                                           {"UninstallText", "Remove %s and all its files?"},
                                                           {"UninstallProblemText", "Some files could not be removed."},
                                                           {"ShortcutLocation", "C:\\users\\me\\Desktop\\My Book.lnk"},
                                                           {"InstallLocation", "C:\\Program Files\\My Book"},
                                                           {"DisplayIcon", target},
                                                           {"InstallDate", Today()},
                                                           {"InstallSource", cd_}};
    for (const auto& [name, text] : strings) {
        auto value = ReadValue("My Book", name);
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ)) << name;
        EXPECT_EQ(value->bytes, Sz(text)) << name;
    }
    const std::pair<const char*, DWORD> numbers[] = {{"EstimatedSize", 2000}, {"NoModify", 1}, {"NoRepair", 1}};
    for (const auto& [name, number] : numbers) {
        auto value = ReadValue("My Book", name);
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD)) << name;
        EXPECT_EQ(value->bytes, Dword(number)) << name;
    }
    EXPECT_FALSE(ReadValue("My Book", "Publisher"));  // not set in SETUP.INI
}

TEST_F(UninstallRegistration, NullShortcutIsLeftOutAndTheSameNameSharesOneEntry)
{
    DeleteEntry("Shared Book");
    SetSection("C:\\Books\\One", "Shared Book", "C:\\users\\me\\Desktop\\One.lnk", "true");
    RegisterSectionForUninstall();
    SetSection("C:\\Books\\Two", "Shared Book", "NULL", "True");
    RegisterSectionForUninstall();
    auto uninstallString = ReadValue("Shared Book", "UninstallString");
    ASSERT_TRUE(uninstallString);
    EXPECT_EQ(uninstallString->bytes, Sz(windows_ + "\\TOVRADE.EXE `C:\\Books\\Two` Shared Book"));
    // The earlier section's shortcut stays: values of an existing entry are replaced, never removed.
    auto shortcut = ReadValue("Shared Book", "ShortcutLocation");
    ASSERT_TRUE(shortcut);
    EXPECT_EQ(shortcut->bytes, Sz("C:\\users\\me\\Desktop\\One.lnk"));

    DeleteEntry("Lower Null");
    SetSection("C:\\Books\\Three", "Lower Null", "null", "TRUE");
    RegisterSectionForUninstall();
    auto lower = ReadValue("Lower Null", "ShortcutLocation");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->bytes, Sz("null"));
}

TEST_F(UninstallRegistration, NothingIsRegisteredWithoutUninstallerUninstallFlagOrSafeValues)
{
    DeleteEntry("Not Wanted");
    SetSection("C:\\Books\\Four", "Not Wanted", "NULL", "FALSE");
    RegisterSectionForUninstall();
    EXPECT_FALSE(ReadValue("Not Wanted", "DisplayName"));
    EXPECT_EQ(::GetFileAttributesA((windows_ + "\\TOVRADE.EXE").c_str()), INVALID_FILE_ATTRIBUTES);

    for (const char* name : {"", "..\\..\\Run", "Book\\Sub"}) {
        SetSection("C:\\Books\\Five", name, "NULL", "TRUE");
        DialogAnswerer watcher;
        RegisterSectionForUninstall();
        EXPECT_EQ(watcher.Answered().size(), 1u) << name;
    }
    UniqueRegKey uninstallKey;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0,
                              KEY_READ, uninstallKey.put()),
              ERROR_SUCCESS);
    DWORD values = 0;
    ::RegQueryInfoKeyA(uninstallKey.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr);
    EXPECT_EQ(values, 0u);  // nothing was written into the Uninstall key itself

    SetSection("C:\\" + std::string(250, 'x'), "Long Book", "NULL", "TRUE");
    DeleteEntry("Long Book");
    DialogAnswerer watcher;
    RegisterSectionForUninstall();
    ASSERT_EQ(watcher.Answered().size(), 1u);
    EXPECT_NE(watcher.Answered()[0].text.find("255"), std::string::npos);
    EXPECT_FALSE(ReadValue("Long Book", "DisplayName"));

    ::DeleteFileA((cd_ + "\\TOVRADE.EXE").c_str());
    SetSection("C:\\Books\\Six", "No Uninstaller", "NULL", "TRUE");
    RegisterSectionForUninstall();
    EXPECT_FALSE(ReadValue("No Uninstaller", "DisplayName"));
}

TEST_F(UninstallRegistration, AFailedCopySaysSoAndStillWritesTheEntry)
{
    specialFolders.Set(SpecialFolder::WindowsDir, root_ + "\\Missing Windows");
    DeleteEntry("Copy Fails");
    SetSection("C:\\Books\\Seven", "Copy Fails", "NULL", "TRUE");
    DialogAnswerer watcher;
    RegisterSectionForUninstall();
    ASSERT_EQ(watcher.Answered().size(), 1u);
    EXPECT_EQ(watcher.Answered()[0].text.rfind("Couldn't copy uninstall program.\n", 0), 0u)
        << "followed by the system's reason: " << watcher.Answered()[0].text;
    EXPECT_TRUE(ReadValue("Copy Fails", "UninstallString"));
}

TEST_F(UninstallRegistration, AnOlderCdsUninstallerNeverReplacesANewerOne)
{
    // The build gives the program a version to compare (the test program lies one folder below it);
    // the script tests' version DLLs stand in for two builds of the program.
    const std::string helpers = scripttest::HelperFolder();
    EXPECT_EQ(ReadFileVersionResource(helpers + "\\..\\..\\TOVRADE.EXE"), (FileVersion{1, 1, 0}));
    const std::string target = windows_ + "\\TOVRADE.EXE";
    struct Case {
        const char* onCd;
        const char* inPlace;  // nullptr: none yet
        const char* expected;
    } cases[] = {
        {"scriptver400.dll", "scriptver410.dll", "scriptver410.dll"},
        {"scriptver410.dll", "scriptver400.dll", "scriptver410.dll"},
        {"scriptver410.dll", nullptr, "scriptver410.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.onCd);
        ASSERT_TRUE(::CopyFileA((helpers + "\\" + c.onCd).c_str(), (cd_ + "\\TOVRADE.EXE").c_str(), FALSE));
        ::DeleteFileA(target.c_str());
        if (c.inPlace) {
            ASSERT_TRUE(::CopyFileA((helpers + "\\" + c.inPlace).c_str(), target.c_str(), FALSE));
        }
        DialogAnswerer watcher;
        EXPECT_TRUE(RegisterSectionForUninstall());
        EXPECT_TRUE(watcher.Answered().empty()) << "no failure";
        EXPECT_EQ(ReadAll(target), ReadAll(helpers + "\\" + c.expected));
        EXPECT_EQ(::GetFileAttributesA((windows_ + "\\~setup-partial.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(ReadValue("My Book", "UninstallString"));
    }
}
