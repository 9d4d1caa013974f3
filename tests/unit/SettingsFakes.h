#pragma once
// Fakes for the settings' platform interfaces.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/SetupSettings.h"
#include "settings/SpecialFolders.h"

class FakeProfile : public ProfileSource {
public:
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> readOrder;

    void Set(const std::string& section, const std::string& key, const std::string& value)
    {
        values[{section, key}] = value;
    }
    std::string Read(const std::string& section, const std::string& key, const std::string& fallback) override
    {
        readOrder.push_back(section + "/" + key);
        auto it = values.find({section, key});
        return it == values.end() ? fallback : it->second;
    }
};

class RecordingSink : public MessageSink {
public:
    std::vector<std::string> shown;
    void Show(const std::string& text) override { shown.push_back(text); }
};

// A complete SETUP.INI with `sections` valid sections.
inline FakeProfile CompleteIni(int sections)
{
    FakeProfile ini;
    ini.Set("Setup", "MainProdName", "My Book");
    ini.Set("Setup", "FilesCompressed", "no");
    ini.Set("Setup", "UseUnderscores", "no");
    ini.Set("Setup", "NumberOfSections", std::to_string(sections));
    ini.Set("Setup", "ChangeFolderButton", "TRUE");
    ini.Set("Setup", "VolumeName", "BOOKCD");
    for (int n = 1; n <= sections; ++n) {
        const std::string s = "Section" + std::to_string(n);
        ini.Set(s, "CodeDir", "PART" + std::to_string(n));
        ini.Set(s, "DestDir", "C:\\Book\\Part" + std::to_string(n));
        ini.Set(s, "ProductName", "My Book Part " + std::to_string(n));
        ini.Set(s, "ShortcutLocation", "Desktop");
        ini.Set(s, "ShortcutName", "My Book");
        ini.Set(s, "FileSize", "120000");
        ini.Set(s, "InstallByDefault", "TRUE");
        ini.Set(s, "Uninstall", "TRUE");
        ini.Set(s, "CommandFile", "");
    }
    return ini;
}
