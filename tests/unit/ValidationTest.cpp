#include <gtest/gtest.h>

#include "framework/AnsiText.h"
#include "SettingsFakes.h"

namespace {
const char kSummary[] =
    "At least one entry in SETUP.INI is suspicious.\nSetup will continue, but the results will be unpredictable.";

// What loading `ini` shows, in order.
std::vector<std::string> FindingsOf(FakeProfile ini, SetupSettings& s)
{
    RecordingSink sink;
    FakeProfile texts;
    s.Load(ini, texts, sink, [](const std::string&) { return true; });
    return sink.shown;
}

std::vector<std::string> Findings(const std::map<std::string, std::string>& section1,
                                  const std::function<bool(const std::string&)>& exists = nullptr,
                                  SetupSettings* keep = nullptr)
{
    FakeProfile ini = CompleteIni(1);
    for (const auto& [key, value] : section1)
        ini.Set("Section1", key, value);
    SetupSettings local;
    SetupSettings& s = keep ? *keep : local;
    RecordingSink sink;
    FakeProfile texts;
    s.Load(
        ini, texts, sink, exists ? exists : [](const std::string&) { return true; });
    return sink.shown;
}

int IndexOf(const std::string& setupKey)
{
    for (int k = 0; k < kUsedSetupKeys; ++k)
        if (setupKey == SetupKeyName(static_cast<SetupKey>(k))) return k;
    return -1;
}

std::string IllegalChar(const std::string& value, char c)
{
    return "The '" + value + "' entry in SETUP.INI is invalid because\nit contains the illegal character '" +
           std::string(1, c) + "'.\n(Directory names cannot contain this character.)";
}
}  // namespace

TEST(Validation, CleanSettingsShowNothingNotEvenTheSummary)
{
    EXPECT_TRUE(Findings({}).empty());
    EXPECT_TRUE(Findings({{"DestDir", "%INSTALLDIR%\\Sub"}, {"CodeDir", "Files\\Data"}}).empty());
}

TEST(Validation, FolderFindings)
{
    EXPECT_EQ(Findings({{"DestDir", "C:\\A*B"}}), (std::vector<std::string>{IllegalChar("A*B", '*'), kSummary}));
    EXPECT_EQ(
        Findings({{"DestDir", "D:"}}),
        (std::vector<std::string>{
            "The 'D:' entry in SETUP.INI looks suspicious.\nIt should be an entry like 'C:\\Tessery'.", kSummary}));
    EXPECT_EQ(Findings({{"CodeDir", "D:\\Files"}}),
              (std::vector<std::string>{IllegalChar("D:\\Files", ':'), kSummary}));
    EXPECT_EQ(Findings({{"CodeDir", std::string("A\tB")}}),
              (std::vector<std::string>{IllegalChar("A\tB", '\t'), kSummary}));
    // The first three characters are dropped whatever they are; the placeholder's % is allowed.
    EXPECT_EQ(Findings({{"DestDir", "%PROGRAMS%\\What?"}}),
              (std::vector<std::string>{IllegalChar("OGRAMS%\\What?", '?'), kSummary}));
}

TEST(Validation, ShortcutLocationWordsAndTheEmptyValue)
{
    EXPECT_TRUE(Findings({{"ShortcutLocation", "desktop"}}).empty());
    EXPECT_TRUE(Findings({{"ShortcutLocation", "My Documents"}}).empty());
    EXPECT_EQ(Findings({{"ShortcutLocation", "Start Menu"}}),
              (std::vector<std::string>{"The 'START MENU' entry in SETUP.INI looks suspicious.\nIt should be either "
                                        "'NULL,' 'Favorites,' 'My Documents,' or 'Desktop.'",
                                        kSummary}));
    SetupSettings s;
    EXPECT_TRUE(Findings({{"ShortcutLocation", ""}}, nullptr, &s).empty());
    EXPECT_EQ(s.SectionValueAt(SectionKey::ShortcutLocation, 0), "NULL");
}

TEST(Validation, FileSizeCharactersAndRangeAreIndependent)
{
    const std::string range =
        "' entry in SETUP.INI is suspiciously small or large.\n(This entry is the total size of "
        "the installed files.)";
    EXPECT_EQ(Findings({{"FileSize", "12,000"}}),
              (std::vector<std::string>{"The '12,000' entry in SETUP.INI invalid because\nit contains the illegal "
                                        "character ','.\n(This entry is the total size of the installed files.)",
                                        "The '12,000" + range, kSummary}));
    EXPECT_TRUE(Findings({{"FileSize", "6000"}}).empty());
    EXPECT_TRUE(Findings({{"FileSize", "620000000"}}).empty());
    EXPECT_EQ(Findings({{"FileSize", "5999"}}), (std::vector<std::string>{"The '5999" + range, kSummary}));
    EXPECT_EQ(Findings({{"FileSize", "620000001"}}), (std::vector<std::string>{"The '620000001" + range, kSummary}));
    EXPECT_EQ(Findings({{"FileSize", ""}}), (std::vector<std::string>{"The '" + range, kSummary}));
}

TEST(Validation, CommandFileAndProductName)
{
    auto none = [](const std::string&) { return false; };
    EXPECT_TRUE(Findings({{"CommandFile", ""}}, none).empty());
    EXPECT_EQ(Findings({{"CommandFile", "NULL"}}, none),
              (std::vector<std::string>{"The script file 'NULL' in SETUP.INI does not exist.", kSummary}));
    EXPECT_TRUE(Findings({{"ProductName", std::string(63, 'p')}}).empty());
    const std::string longName(64, 'p');
    EXPECT_EQ(Findings({{"ProductName", longName}}),
              (std::vector<std::string>{"The Product Name field ('" + longName +
                                            "') in SETUP.INI is too long. Setup creates a registry data value using "
                                            "this value; the data value must be less than 64 characters long.)",
                                        kSummary}));
}

TEST(Validation, TwoRegisteredSectionsOfOneProductNameAreReported)
{
    // Sections 1 and 3 share a name (case ignored, as the registry does); 2 shares it without an entry.
    FakeProfile ini = CompleteIni(3);
    ini.Set("Section1", "ProductName", "My Book");
    ini.Set("Section2", "ProductName", "My Book");
    ini.Set("Section2", "Uninstall", "FALSE");
    ini.Set("Section3", "ProductName", "MY BOOK");
    SetupSettings s;
    EXPECT_EQ(FindingsOf(ini, s),
              (std::vector<std::string>{"Section1 and Section3 in SETUP.INI have the same Product Name ('MY "
                                        "BOOK'), so they would share one uninstall entry.\nSetup registers "
                                        "only the first of them that it installs, and does not install "
                                        "the other.",
                                        kSummary}));
}

TEST(Validation, FindingsComeInOrderAndFlagsAreDerived)
{
    FakeProfile ini = CompleteIni(2);
    ini.Set("Setup", "FilesCompressed", "yes");
    ini.Set("Setup", "UseUnderscores", "Yes");
    ini.Set("Section1", "FileSize", "1");
    ini.Set("Section2", "CodeDir", "A:B");
    ini.Set("Section2", "DestDir", "X");
    SetupSettings s;
    const std::vector<std::string> shown = FindingsOf(ini, s);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_NE(shown[0].find("'1'"), std::string::npos);
    EXPECT_EQ(shown[1], IllegalChar("A:B", ':'));
    EXPECT_NE(shown[2].find("'X' entry in SETUP.INI looks suspicious"), std::string::npos);
    EXPECT_EQ(shown[3], kSummary);
    EXPECT_TRUE(s.filesCompressed);
    EXPECT_TRUE(s.useUnderscores);

    // Without UseUnderscores the flag stays false; an incomplete INI runs no validation at all.
    FakeProfile plain = CompleteIni(1);
    plain.values.erase({"Setup", "UseUnderscores"});
    plain.Set("Setup", "FilesCompressed", "YES");
    SetupSettings p;
    FindingsOf(plain, p);
    EXPECT_FALSE(p.useUnderscores);
    EXPECT_TRUE(p.filesCompressed);
}

TEST(Validation, OptionalSetupKeysAreCheckedOnlyWhenSet)
{
    const std::string linkText =
        "' entry in SETUP.INI looks suspicious.\nIt should be a web address beginning with 'http://' or "
        "'https://', or 'mailto:' and a mail address.";
    auto tooLong = [](const char* key, size_t length) {
        return std::string("The ") + key + " entry in SETUP.INI has " + std::to_string(length) +
               " characters; the list of installed programs takes at most 255.\nSetup would register no section "
               "for removal.";
    };
    const std::string longLink = "http://" + std::string(249, 'h');
    const struct {
        const char* key;
        std::string value;  // "Error": not set
        std::vector<std::string> findings;
    } cases[] = {
        {"Publisher", "Error", {}},
        {"Publisher", "", {}},
        {"Publisher", std::string(255, 'p'), {}},
        {"Publisher", std::string(256, 'p'), {tooLong("Publisher", 256)}},
        {"URLInfoAbout", "HTTPS://example.com/book", {}},
        {"URLInfoAbout", "www.example.com", {"The 'www.example.com" + linkText}},
        {"URLInfoAbout", "http://", {"The 'http://" + linkText}},
        {"HelpLink", "mailto:help@example.com", {}},
        {"HelpLink", "ftp://example.com", {"The 'ftp://example.com" + linkText}},
        {"HelpLink", longLink + "x", {tooLong("HelpLink", 257)}},
        {"Publisher", "www.example.com", {}},
    };
    for (const auto& c : cases) {
        FakeProfile ini = CompleteIni(1);
        if (c.value != "Error") ini.Set("Setup", c.key, c.value);
        SetupSettings s;
        std::vector<std::string> expected = c.findings;
        if (!expected.empty()) expected.push_back(kSummary);
        EXPECT_EQ(FindingsOf(ini, s), expected) << c.key << "=" << c.value;
        EXPECT_TRUE(s.iniComplete) << c.key;
        EXPECT_EQ(s.OptionalSetupValue(static_cast<SetupKey>(IndexOf(c.key))), c.value == "Error" ? "" : c.value);
    }
}

TEST(Validation, DoubleByteTrailBytesAreNotTakenForIllegalCharacters)
{
    // In a double-byte code page 0x81 0x3A is one character whose trail byte equals ':'.
    ansi::SetLeadByteTest([](unsigned char c) { return c >= 0x81 && c <= 0x9F; });
    const std::string dbcs = std::string("Files\x81:") + "Data";
    auto findings = Findings({{"CodeDir", dbcs}});
    ansi::SetLeadByteTest(nullptr);
    EXPECT_TRUE(findings.empty());
}
