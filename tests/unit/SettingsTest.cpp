#include <gtest/gtest.h>

#include "SettingsFakes.h"

namespace {
bool NoFiles(const std::string&)
{
    return false;
}

struct Loaded {
    SetupSettings settings;
    RecordingSink warnings;
};

std::unique_ptr<Loaded> Load(FakeProfile ini, FakeProfile texts = FakeProfile())
{
    auto loaded = std::make_unique<Loaded>();
    loaded->settings.Load(ini, texts, loaded->warnings, &NoFiles);
    return loaded;
}
}  // namespace

TEST(SettingsIni, ReadsSetupValuesAndSectionsIntoTheirSlots)
{
    FakeProfile ini = CompleteIni(2);
    ini.Set("Section2", "AltMyDocumentsDir", "D:\\Papers");
    auto r = Load(ini);
    SetupSettings& s = r->settings;
    EXPECT_TRUE(s.iniComplete);
    EXPECT_TRUE(s.settingsValid);
    EXPECT_EQ(s.sectionCount, 2);
    EXPECT_TRUE(s.changeFolderAllowed);
    EXPECT_EQ(s.GetSetupValue(SetupKey::MainProdName), "My Book");
    EXPECT_EQ(s.GetSetupValue(SetupKey::VolumeName), "BOOKCD");
    s.currentSection = 1;
    EXPECT_EQ(s.GetSectionValue(SectionKey::CodeDir), "PART2");
    EXPECT_EQ(s.GetSectionValue(SectionKey::DestDir), "C:\\Book\\Part2");
    EXPECT_EQ(s.GetSectionValue(SectionKey::AltMyDocumentsDir), "D:\\Papers");
    EXPECT_EQ(s.GetSectionValue(SectionKey::ProductName), "My Book Part 2");
    s.currentSection = 0;
    EXPECT_EQ(s.GetSectionValue(SectionKey::AltMyDocumentsDir), "Error");  // absent: the not-set marker
    s.SetSectionValue(SectionKey::DestDir, "E:\\Elsewhere");
    EXPECT_EQ(s.SectionValueAt(SectionKey::DestDir, 0), "E:\\Elsewhere");
    EXPECT_EQ(s.SectionValueAt(SectionKey::DestDir, 1), "C:\\Book\\Part2");
    EXPECT_TRUE(r->warnings.shown.empty());
}

TEST(SettingsIni, FirstMissingKeyWarnsOnceAndStopsReading)
{
    FakeProfile ini = CompleteIni(3);
    ini.values.erase({"Section2", "FileSize"});
    auto r = Load(ini);
    ASSERT_EQ(r->warnings.shown.size(), 1u);
    EXPECT_EQ(r->warnings.shown[0], "Warning: The FileSize key (or its text) in Section2 is not set in SETUP.INI");
    EXPECT_FALSE(r->settings.iniComplete);
    EXPECT_FALSE(r->settings.settingsValid);
    EXPECT_EQ(r->settings.SectionValueAt(SectionKey::ShortcutName, 1), "My Book");
    EXPECT_EQ(r->settings.SectionValueAt(SectionKey::InstallByDefault, 1), "");
    EXPECT_EQ(r->settings.SectionValueAt(SectionKey::CodeDir, 2), "");
    // Validation did not run.
    EXPECT_FALSE(r->settings.filesCompressed);
}

TEST(SettingsIni, SetupKeysStopAtTheFirstMissingOneButUseUnderscoresIsOptional)
{
    FakeProfile ini = CompleteIni(1);
    ini.values.erase({"Setup", "MainProdName"});
    ini.values.erase({"Setup", "VolumeName"});
    ini.values.erase({"Setup", "UseUnderscores"});
    auto r = Load(ini);
    ASSERT_EQ(r->warnings.shown.size(), 1u);
    EXPECT_EQ(r->warnings.shown[0], "Warning: The MainProdName key (or its text) is not set in SETUP.INI");
    EXPECT_EQ(r->settings.GetSetupValue(SetupKey::FilesCompressed), "");

    FakeProfile onlyVolume = CompleteIni(2);
    onlyVolume.values.erase({"Setup", "VolumeName"});
    onlyVolume.values.erase({"Setup", "UseUnderscores"});
    auto v = Load(onlyVolume);
    ASSERT_EQ(v->warnings.shown.size(), 1u);
    EXPECT_EQ(v->warnings.shown[0], "Warning: The VolumeName key (or its text) is not set in SETUP.INI");
    EXPECT_EQ(v->settings.sectionCount, 2);  // still taken, but no section value is read
    EXPECT_EQ(v->settings.SectionValueAt(SectionKey::CodeDir, 0), "");
    EXPECT_EQ(v->settings.GetSetupValue(SetupKey::UseUnderscores), "Error");
}

TEST(SettingsIni, NotSetMarkerIsCaseSensitiveAndEmptyValuesCount)
{
    FakeProfile ini = CompleteIni(1);
    ini.Set("Section1", "CodeDir", "ERROR");
    ini.Set("Section1", "ShortcutName", "");
    auto r = Load(ini);
    EXPECT_TRUE(r->settings.iniComplete);
    EXPECT_EQ(r->settings.SectionValueAt(SectionKey::CodeDir, 0), "ERROR");
    EXPECT_EQ(r->settings.SectionValueAt(SectionKey::ShortcutName, 0), "");

    FakeProfile marker = CompleteIni(1);
    marker.Set("Section1", "CodeDir", "Error");
    auto m = Load(marker);
    ASSERT_EQ(m->warnings.shown.size(), 1u);
    EXPECT_EQ(m->warnings.shown[0], "Warning: The CodeDir key (or its text) in Section1 is not set in SETUP.INI");
}

TEST(SettingsIni, NumberOfSectionsIsReadLikeAnIntegerAndCappedAtFifty)
{
    for (const char* text : {"0", "", "-3", "many", "  -0"}) {
        FakeProfile ini = CompleteIni(1);
        ini.Set("Setup", "NumberOfSections", text);
        auto r = Load(ini);
        EXPECT_EQ(r->settings.sectionCount, 0) << text;
        EXPECT_TRUE(r->warnings.shown.empty()) << text;
    }
    FakeProfile fifty = CompleteIni(50);
    auto f = Load(fifty);
    EXPECT_EQ(f->settings.sectionCount, 50);
    EXPECT_TRUE(f->warnings.shown.empty());
    EXPECT_EQ(f->settings.SectionValueAt(SectionKey::CodeDir, 49), "PART50");

    FakeProfile many = CompleteIni(50);
    many.Set("Setup", "NumberOfSections", "51");
    auto m = Load(many);
    ASSERT_EQ(m->warnings.shown.size(), 1u);
    EXPECT_EQ(m->warnings.shown[0],
              "Warning: The NumberOfSections entry in SETUP.INI is too large. (The maximum number of sections is 50.) "
              "Any sections beyond the maximum will be ignored.");
    EXPECT_EQ(m->settings.sectionCount, 50);

    FakeProfile huge = CompleteIni(1);
    huge.Set("Setup", "NumberOfSections", "99999999999999999999999");
    EXPECT_EQ(Load(huge)->settings.sectionCount, 50);
}

TEST(SettingsIni, ValuesAreCutAt4095CharactersAndCurrentSectionOutOfRangeIsSafe)
{
    FakeProfile ini = CompleteIni(1);
    ini.Set("Section1", "DestDir", "C:\\" + std::string(100000, 'x'));
    auto r = Load(ini);
    EXPECT_EQ(r->settings.SectionValueAt(SectionKey::DestDir, 0).size(), 4095u);
    r->settings.currentSection = 50;
    EXPECT_EQ(r->settings.GetSectionValue(SectionKey::DestDir), "");
    r->settings.SetSectionValue(SectionKey::DestDir, "ignored");
    r->settings.currentSection = -1;
    EXPECT_EQ(r->settings.GetSectionValue(SectionKey::DestDir), "");
}

TEST(SettingsTexts, EveryKeyHasItsFixedSlotAndErrorMeansEmpty)
{
    FakeProfile texts;
    for (int i = 0; i < kUsedTexts; ++i)
        texts.Set("SetupText", TextKeyName(static_cast<TextId>(i)), "text " + std::to_string(i));
    texts.Set("SetupText", "WelcomeTitle", "Error");
    texts.Set("SetupText", "ExitTitle", "ERROR");
    auto r = Load(CompleteIni(1), texts);
    EXPECT_EQ(r->settings.GetText(TextId::OkButton), "text 0");
    EXPECT_EQ(r->settings.GetText(TextId::ScreenMessage), "text 2");
    EXPECT_EQ(r->settings.GetText(TextId::WelcomeTitle), "");
    EXPECT_EQ(r->settings.GetText(TextId::ExitTitle), "ERROR");
    EXPECT_EQ(r->settings.GetText(TextId::UninstallText), "text 34");
    EXPECT_EQ(r->settings.GetText(TextId::NotEmptyDirectory), "text 56");
    EXPECT_STREQ(TextKeyName(TextId::LongFilenameProblemText), "LongFilenameProblemText");
    EXPECT_STREQ(TextKeyName(TextId::UpdateRegistryError), "UpdateRegistryError");
    EXPECT_STREQ(TextKeyName(TextId::SpaceAvailable), "SpaceAvailable");
    EXPECT_TRUE(r->settings.textsLoaded);
    // Missing texts are empty, and an empty SETUP.TXT still counts as loaded.
    auto empty = Load(CompleteIni(1));
    EXPECT_TRUE(empty->settings.settingsValid);
    EXPECT_EQ(empty->settings.GetText(TextId::FinishedTitle), "");
}
