// The installer's settings from arbitrary SETUP.INI and SETUP.TXT contents: reading, validation, and
// the values handed on as start-up and the install sequence hand them on (placeholder expansion, the
// section's CD folder, its folder steps, its uninstall entry and the texts used as formats).
//
// The input is one profile text holding [Setup], [SectionN] and [SetupText]; it is read with the
// profile reader's rules (sections and keys without case, blanks around keys and values dropped,
// a value in matching double quotes loses them, the first of two equal keys wins).

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <variant>

#include "FuzzInput.h"
#include "copy/DirectoryPath.h"
#include "copy/TreeCopy.h"
#include "framework/AnsiText.h"
#include "framework/SafeFormat.h"
#include "installer/UninstallEntry.h"
#include "scripts/ScriptText.h"
#include "settings/SetupSettings.h"

namespace {

std::string Trim(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

class TextProfile : public ProfileSource {
public:
    explicit TextProfile(const std::string& text)
    {
        std::string section;
        size_t pos = 0;
        while (pos <= text.size()) {
            size_t end = text.find_first_of("\r\n", pos);
            if (end == std::string::npos) end = text.size();
            const std::string line = Trim(text.substr(pos, end - pos));
            pos = end + 1;
            if (line.empty() || line[0] == ';') continue;
            if (line[0] == '[') {
                const size_t close = line.find(']');
                section =
                    ansi::ToUpper(Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
                continue;
            }
            const size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            std::string value = Trim(line.substr(equals + 1));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            values_.emplace(std::make_pair(section, ansi::ToUpper(Trim(line.substr(0, equals)))), value);
        }
    }

    std::string Read(const std::string& section, const std::string& key, const std::string& fallback) override
    {
        const auto it = values_.find({ansi::ToUpper(section), ansi::ToUpper(key)});
        return it == values_.end() ? fallback : it->second;
    }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

class CountingSink : public MessageSink {
public:
    void Show(const std::string& text) override
    {
        FUZZ_CHECK(!text.empty());
        ++shown;
    }
    int shown = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    TextProfile profile(input.Rest());
    CountingSink warnings;
    SetupSettings settings;
    // A script file "exists" when its name has an odd length, so both answers are reached.
    settings.Load(profile, profile, warnings, [](const std::string& name) { return name.size() % 2 == 1; });

    FUZZ_CHECK(settings.sectionCount >= 0 && settings.sectionCount <= kMaxSections);
    FUZZ_CHECK(!settings.settingsValid || (settings.iniComplete && settings.textsLoaded));
    if (!settings.iniComplete) FUZZ_CHECK(warnings.shown > 0);

    for (int t = 0; t < kUsedTexts; ++t)
        FUZZ_CHECK(settings.GetText(static_cast<TextId>(t)).size() <= kProfileValueLimit);
    const std::string product = settings.GetSetupValue(SetupKey::MainProdName);
    FUZZ_CHECK(product.size() <= kProfileValueLimit);

    // The texts are formats: each is filled as the dialogs fill it.
    FormatText(settings.GetText(TextId::WelcomeText), {product});
    FormatText(settings.GetText(TextId::NoRoomText), {'C'});
    FormatText(settings.GetText(TextId::ConfirmReplaceText1), {"README.TXT"});

    PlaceholderValues values;
    values.system = "C:\\WINDOWS\\SYSTEM32";
    values.windows = "C:\\WINDOWS";
    values.startDir = "D:\\";
    values.desktop = "C:\\Users\\Reader\\Desktop";
    values.programs = "C:\\Users\\Reader\\Start Menu\\Programs";

    for (int s = 0; s < settings.sectionCount; ++s) {
        settings.currentSection = s;
        for (int row = 0; row < kUsedSectionRows; ++row)
            FUZZ_CHECK(settings.GetSectionValue(static_cast<SectionKey>(row)).size() <= kProfileValueLimit);

        const std::string destDir = ExpandPlaceholder(settings.GetSectionValue(SectionKey::DestDir), values);
        values.destDir = destDir;
        if (auto steps = DirectoryPathSteps(destDir)) {
            for (const std::string& step : *steps)
                FUZZ_CHECK(step.size() <= kMaxPathChars);
        }
        if (auto folder = SourceFolderName(settings.GetSectionValue(SectionKey::CodeDir), values.startDir))
            FUZZ_CHECK(folder->size() <= kMaxPathChars);

        UninstallEntrySource source;
        source.uninstallerPath = "C:\\WINDOWS\\TOVRADE.EXE";
        source.destDir = destDir;
        source.productName = settings.GetSectionValue(SectionKey::ProductName);
        source.uninstallText = settings.GetText(TextId::UninstallText);
        source.problemText = settings.GetText(TextId::UninstallProblemText);
        source.shortcutLocation = settings.GetSectionValue(SectionKey::ShortcutLocation);
        source.fileSize = settings.GetSectionValue(SectionKey::FileSize);
        const auto entry = BuildUninstallEntry(source);
        if (const auto* built = std::get_if<UninstallEntry>(&entry)) {
            for (const EntryValue& value : built->values)
                FUZZ_CHECK(value.kind != EntryValue::Kind::String || value.text.size() <= kMaxEntryValueChars);
        }
    }
    return 0;
}
