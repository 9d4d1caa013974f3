// The installer's settings from arbitrary SETUP.INI and SETUP.TXT contents: reading, validation, and
// the values handed on as start-up and the install sequence hand them on (placeholder expansion, the
// section's CD folder, its folder steps, its uninstall entry and the texts used as formats).
//
// The input is one profile text holding [Setup], [SectionN] and [SetupText]; it is read with the
// portable profile reader, whose record of every key's line and value bytes is checked too.

#include <cstdint>
#include <string>
#include <variant>

#include "copy/TreeCopy.h"
#include "framework/AnsiText.h"
#include "framework/PathText.h"
#include "framework/SafeFormat.h"
#include "FuzzInput.h"
#include "scripts/ScriptText.h"
#include "settings/ProfileText.h"
#include "settings/SetupSettings.h"
#include "settings/UninstallEntry.h"

namespace {

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
    const std::string text = input.Rest();
    ProfileText profile(text);
    for (const ProfileText::Section& section : profile.Sections()) {
        FUZZ_CHECK(section.bodyBegin <= text.size());
        for (const ProfileText::Key& key : section.keys) {
            FUZZ_CHECK(key.line > section.line);
            if (key.hasValue) FUZZ_CHECK(text.compare(key.valueBegin, key.valueEnd - key.valueBegin, key.value) == 0);
        }
    }
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
