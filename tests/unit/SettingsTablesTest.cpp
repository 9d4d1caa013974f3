// The fixed index tables: a wrong slot would show one text in another's place.
#include <gtest/gtest.h>

#include "SettingsFakes.h"

TEST(SettingsTables, EveryTextKeyHasItsIndex)
{
    // Laid out as a table to be read, not one entry a line.
    // clang-format off
    const char* expected[kUsedTexts] = {
        "OkButton", "CancelButton", "ScreenMessage", "AppName", "WelcomeTitle", "WelcomeText", "InstallTitle",
        "InstallText", "ExitTitle", "ExitText", "InstallingTitle", "InstallingText1", "InstallingText2",
        "FinishedTitle", "FinishedText", "NoRoomTitle", "NoRoomText", "ConfirmReplaceTitle", "ConfirmReplaceText1",
        "ConfirmReplaceText2", "ConfirmReplaceText3", "ConfirmReplaceText4", "YesToAllTitle", "YesToAllButton",
        "NoButton", "ChangeDirTitle", "SetupFailedTitle", "SetupFailedText", "LongFilenameProblemText",
        "ProblemInstallingText", "BrowseTitle", "BrowseText1", "BrowseText2", "CreateDirText", "UninstallText",
        "UninstallProblemText", "ContinueButton", "ExitButton", "ChangeDirButton", "FolderText", "UpdatingTitle",
        "UpdatingText", "OptionsTitle", "InstructionText", "OptionStatic", "FolderTitle", "SpaceRequired",
        "SpaceAvailable", "DescriptionStatic", "DescriptionText", "Bytes", "KBytes", "MBytes", "NoChange",
        "UpdateRegistryError", "NoWindowsDir", "NotEmptyDirectory"};
    // clang-format on
    FakeProfile texts;
    for (int i = 0; i < kUsedTexts; ++i) {
        EXPECT_STREQ(TextKeyName(static_cast<TextId>(i)), expected[i]) << i;
        texts.Set("SetupText", expected[i], "#" + std::to_string(i));
    }
    SetupSettings s;
    s.ReadTexts(texts);
    for (int i = 0; i < kUsedTexts; ++i)
        EXPECT_EQ(s.GetText(static_cast<TextId>(i)), "#" + std::to_string(i));
    // Keys are read in index order, all from section SetupText.
    ASSERT_EQ(texts.readOrder.size(), static_cast<size_t>(kUsedTexts));
    EXPECT_EQ(texts.readOrder.front(), "SetupText/OkButton");
    EXPECT_EQ(texts.readOrder.back(), "SetupText/NotEmptyDirectory");
    // The reserved slots stay empty.
    EXPECT_EQ(s.GetText(static_cast<TextId>(kUsedTexts)), "");
    EXPECT_EQ(s.GetText(static_cast<TextId>(kTextSlots - 1)), "");
}

TEST(SettingsTables, IniKeysAreReadInTheirRowOrder)
{
    FakeProfile ini = CompleteIni(2);
    ini.Set("Section2", "AltMyDocumentsDir", "D:\\Papers");
    ini.Set("Setup", "Publisher", "Widget Press");
    ini.Set("Setup", "Version", "2.0");
    ini.Set("Setup", "URLInfoAbout", "https://example.com");
    ini.Set("Setup", "HelpLink", "mailto:help@example.com");
    SetupSettings s;
    RecordingSink sink;
    s.ReadIni(ini, sink);
    // Laid out as a table to be read, not one entry a line.
    // clang-format off
    const std::vector<std::string> expected = {
        "Setup/MainProdName",          "Setup/FilesCompressed",       "Setup/UseUnderscores",
        "Setup/NumberOfSections",      "Setup/ChangeFolderButton",    "Setup/VolumeName",
        "Setup/Publisher",             "Setup/Version",               "Setup/URLInfoAbout",
        "Setup/HelpLink",              "Section1/CodeDir",            "Section1/DestDir",
        "Section1/AltMyDocumentsDir",  "Section1/ProductName",        "Section1/ShortcutLocation",
        "Section1/ShortcutName",       "Section1/FileSize",           "Section1/InstallByDefault",
        "Section1/Uninstall",          "Section1/CommandFile",        "Section2/CodeDir",
        "Section2/DestDir",            "Section2/AltMyDocumentsDir",  "Section2/ProductName",
        "Section2/ShortcutLocation",   "Section2/ShortcutName",       "Section2/FileSize",
        "Section2/InstallByDefault",   "Section2/Uninstall",          "Section2/CommandFile"};
    // clang-format on
    EXPECT_EQ(ini.readOrder, expected);
    for (int row = 0; row < kUsedSectionRows; ++row) {
        const auto key = static_cast<SectionKey>(row);
        EXPECT_EQ(s.SectionValueAt(key, 1), (ini.values[{"Section2", SectionKeyName(key)}])) << SectionKeyName(key);
    }
    for (int k = 0; k < kUsedSetupKeys; ++k) {
        const auto key = static_cast<SetupKey>(k);
        EXPECT_EQ(s.GetSetupValue(key), (ini.values[{"Setup", SetupKeyName(key)}])) << SetupKeyName(key);
    }
}
