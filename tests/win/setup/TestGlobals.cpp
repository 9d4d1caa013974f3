// The settings objects that setup.exe defines in its start-up order; tests fill them as they need.
#include "GlobalSettingsTest.h"
#include "settings/SettingsWin.h"

SetupSettings setupSettings;
SpecialFolderTable specialFolders;
OsVersion osVersion;

struct GlobalSettingsTest::Saved {
    SpecialFolderTable folders = specialFolders;
    OsVersion version = osVersion;
    SetupSettings& s = setupSettings;
    bool iniComplete = s.iniComplete, textsLoaded = s.textsLoaded, settingsValid = s.settingsValid;
    bool cancelRequested = s.cancelRequested;
    bool filesCompressed = s.filesCompressed, useUnderscores = s.useUnderscores;
    bool changeFolderAllowed = s.changeFolderAllowed;
    int sectionCount = s.sectionCount, currentSection = s.currentSection;
    std::vector<std::string> values;  // every text, [Setup] value and section value, in the order of Values()

    // Calls `value` with every stored value, each time in the same order.
    template <typename Visit>
    static void Values(Visit value)
    {
        for (int i = 0; i < kTextSlots; ++i)
            value(setupSettings.GetText(TextId(i)), [i](const std::string& v) { setupSettings.SetText(TextId(i), v); });
        for (int i = 0; i < kSetupSlots; ++i)
            value(setupSettings.GetSetupValue(SetupKey(i)),
                  [i](const std::string& v) { setupSettings.SetSetupValue(SetupKey(i), v); });
        for (int row = 0; row < kSectionRows; ++row)
            for (int i = 0; i < kMaxSections; ++i)
                value(setupSettings.SectionValueAt(SectionKey(row), i),
                      [row, i](const std::string& v) { setupSettings.SetSectionValueAt(SectionKey(row), i, v); });
    }
};

GlobalSettingsTest::GlobalSettingsTest() : saved_(std::make_unique<Saved>())
{
    Saved::Values([this](const std::string& value, auto) { saved_->values.push_back(value); });
}

GlobalSettingsTest::~GlobalSettingsTest()
{
    specialFolders = saved_->folders;
    osVersion = saved_->version;
    SetupSettings& s = setupSettings;
    s.iniComplete = saved_->iniComplete;
    s.textsLoaded = saved_->textsLoaded;
    s.settingsValid = saved_->settingsValid;
    s.cancelRequested = saved_->cancelRequested;
    s.filesCompressed = saved_->filesCompressed;
    s.useUnderscores = saved_->useUnderscores;
    s.changeFolderAllowed = saved_->changeFolderAllowed;
    s.sectionCount = saved_->sectionCount;
    s.currentSection = saved_->currentSection;
    size_t next = 0;
    Saved::Values([&](const std::string&, auto restore) { restore(saved_->values[next++]); });
}
