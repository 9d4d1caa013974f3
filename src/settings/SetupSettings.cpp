#include "settings/SetupSettings.h"

#include "framework/AnsiText.h"
#include "framework/SafeFormat.h"
#include "framework/Utf8.h"
#include "settings/UninstallEntry.h"

const char kNotSet[] = "Error";
const char kSetupIniMissingText[] = "Can't find Setup.ini. Setup needs this file to continue so it's exiting.";
const char kSetupTxtMissingText[] = "Can't find Setup.txt. Setup needs this file to continue so it's exiting.";

namespace {
const char* const kSetupKeyNames[kUsedSetupKeys] = {
    "MainProdName", "FilesCompressed", "UseUnderscores", "NumberOfSections", "ChangeFolderButton",
    "VolumeName",   "Publisher",       "Version",        "URLInfoAbout",     "HelpLink"};
const char* const kSectionKeyNames[] = {"CodeDir",          "DestDir",      "AltMyDocumentsDir", "ProductName",
                                        "ShortcutLocation", "ShortcutName", "FileSize",          "InstallByDefault",
                                        "Uninstall",        "CommandFile"};
// Laid out as a table to be read, not one entry a line.
// clang-format off
const char* const kTextKeyNames[kUsedTexts] = {
    "OkButton",          "CancelButton",        "ScreenMessage",        "AppName",
    "WelcomeTitle",      "WelcomeText",         "InstallTitle",         "InstallText",
    "ExitTitle",         "ExitText",            "InstallingTitle",      "InstallingText1",
    "InstallingText2",   "FinishedTitle",       "FinishedText",         "NoRoomTitle",
    "NoRoomText",        "ConfirmReplaceTitle", "ConfirmReplaceText1",  "ConfirmReplaceText2",
    "ConfirmReplaceText3", "ConfirmReplaceText4", "YesToAllTitle",      "YesToAllButton",
    "NoButton",          "ChangeDirTitle",      "SetupFailedTitle",     "SetupFailedText",
    "LongFilenameProblemText", "ProblemInstallingText", "BrowseTitle",  "BrowseText1",
    "BrowseText2",       "CreateDirText",       "UninstallText",        "UninstallProblemText",
    "ContinueButton",    "ExitButton",          "ChangeDirButton",      "FolderText",
    "UpdatingTitle",     "UpdatingText",        "OptionsTitle",         "InstructionText",
    "OptionStatic",      "FolderTitle",         "SpaceRequired",        "SpaceAvailable",
    "DescriptionStatic", "DescriptionText",     "Bytes",                "KBytes",
    "MBytes",            "NoChange",            "UpdateRegistryError",  "NoWindowsDir",
    "NotEmptyDirectory"};
// clang-format on

std::string Cut(std::string value)
{
    if (value.size() > kProfileValueLimit) value.resize(kProfileValueLimit);
    return value;
}

bool ValidSection(int section)
{
    return section >= 0 && section < kMaxSections;
}

// Folder names may not contain the control characters 1 to 31 nor ? * :
size_t FindIllegalFolderChar(const std::string& s)
{
    for (size_t i = 0; i < s.size(); i = ansi::NextChar(s, i)) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (ansi::IsLeadByte(c)) continue;
        if ((c >= 1 && c <= 31) || c == '?' || c == '*' || c == ':') return i;
    }
    return std::string::npos;
}
}  // namespace

const char* SetupKeyName(SetupKey key)
{
    return kSetupKeyNames[static_cast<int>(key)];
}
const char* SectionKeyName(SectionKey key)
{
    return kSectionKeyNames[static_cast<int>(key)];
}
const char* TextKeyName(TextId id)
{
    return kTextKeyNames[static_cast<int>(id)];
}

bool IsTrueValue(const std::string& value)
{
    return ansi::EqualsNoCase(value, "TRUE");
}

bool IsOptionalSetupKey(SetupKey key)
{
    return key == SetupKey::UseUnderscores || key >= SetupKey::Publisher;
}

bool IsLinkValue(const std::string& value)
{
    for (const char* scheme : {"http://", "https://", "mailto:"}) {
        const size_t length = std::char_traits<char>::length(scheme);
        if (value.size() > length && ansi::StartsWithNoCase(value, scheme)) return true;
    }
    return false;
}

std::string SetupSettings::GetSetupValue(SetupKey key) const
{
    return setupValues_[static_cast<int>(key)];
}

std::string SetupSettings::OptionalSetupValue(SetupKey key) const
{
    const std::string& value = setupValues_[static_cast<int>(key)];
    return value == kNotSet ? std::string() : value;
}

std::string SetupSettings::GetSectionValue(SectionKey key) const
{
    return SectionValueAt(key, currentSection);
}

void SetupSettings::SetSectionValue(SectionKey key, const std::string& value)
{
    SetSectionValueAt(key, currentSection, value);
}

std::string SetupSettings::GetText(TextId id) const
{
    return texts_[static_cast<int>(id)];
}

std::string SetupSettings::SectionValueAt(SectionKey key, int section) const
{
    return ValidSection(section) ? sectionValues_[static_cast<int>(key)][section] : std::string();
}

void SetupSettings::SetSectionValueAt(SectionKey key, int section, const std::string& value)
{
    if (ValidSection(section)) sectionValues_[static_cast<int>(key)][section] = value;
}

void SetupSettings::SetText(TextId id, const std::string& value)
{
    texts_[static_cast<int>(id)] = value;
}

void SetupSettings::SetSetupValue(SetupKey key, const std::string& value)
{
    setupValues_[static_cast<int>(key)] = value;
}

void SetupSettings::Load(ProfileSource& ini, ProfileSource& texts, MessageSink& warnings,
                         const std::function<bool(const std::string&)>& fileExists)
{
    ReadIni(ini, warnings);
    ReadTexts(texts);
    settingsValid = iniComplete && textsLoaded;
    if (settingsValid) Validate(warnings, fileExists);
}

void SetupSettings::ReadIni(ProfileSource& ini, MessageSink& warnings)
{
    iniComplete = true;
    for (int k = 0; k < kUsedSetupKeys; ++k) {
        const auto key = static_cast<SetupKey>(k);
        std::string value = Cut(ini.Read("Setup", SetupKeyName(key), kNotSet));
        setupValues_[k] = value;
        if (value == kNotSet && !IsOptionalSetupKey(key)) {
            iniComplete = false;
            warnings.ShowAbout(
                "Setup", SetupKeyName(key),
                FormatText("Warning: The %s key (or its text) is not set in SETUP.INI", {SetupKeyName(key)}));
            break;
        }
    }

    changeFolderAllowed = IsTrueValue(GetSetupValue(SetupKey::ChangeFolderButton));

    long long count = ansi::ParseLeadingInteger(GetSetupValue(SetupKey::NumberOfSections));
    if (count < 0) count = 0;  // a negative count offers no section
    if (count > kMaxSections) {
        warnings.ShowAbout(
            "Setup", "NumberOfSections",
            FormatText("Warning: The NumberOfSections entry in SETUP.INI is too large. (The maximum number "
                       "of sections is %d.) Any sections beyond the maximum will be ignored.",
                       {kMaxSections}));
        count = kMaxSections;
    }
    sectionCount = static_cast<int>(count);

    for (int n = 1; n <= sectionCount && iniComplete; ++n) {
        const std::string section = "Section" + std::to_string(n);
        for (int row = 0; row < kUsedSectionRows; ++row) {
            const auto key = static_cast<SectionKey>(row);
            std::string value = Cut(ini.Read(section, SectionKeyName(key), kNotSet));
            sectionValues_[row][n - 1] = value;
            if (value == kNotSet && key != SectionKey::AltMyDocumentsDir) {
                iniComplete = false;
                warnings.ShowAbout(section, SectionKeyName(key),
                                   FormatText("Warning: The %s key (or its text) in Section%d is not set in SETUP.INI",
                                              {SectionKeyName(key), n}));
                break;
            }
        }
    }
}

void SetupSettings::ReadTexts(ProfileSource& texts)
{
    textsLoaded = true;
    for (int i = 0; i < kUsedTexts; ++i) {
        std::string value = Cut(texts.Read("SetupText", kTextKeyNames[i], kNotSet));
        texts_[i] = value == kNotSet ? std::string() : value;
    }
}

void SetupSettings::Validate(MessageSink& warnings, const std::function<bool(const std::string&)>& fileExists)
{
    bool suspicious = false;
    int s = 0;
    auto report = [&](SectionKey key, const std::string& text) {
        warnings.ShowAbout("Section" + std::to_string(s + 1), SectionKeyName(key), text);
        suspicious = true;
    };
    const char* illegalCharText =
        "The '%s' entry in SETUP.INI is invalid because\nit contains the illegal character '%c'.\n(Directory names "
        "cannot contain this character.)";

    // The optional keys go into every section's uninstall entry, whose values hold 255 characters at most.
    for (SetupKey key : {SetupKey::Publisher, SetupKey::Version, SetupKey::URLInfoAbout, SetupKey::HelpLink}) {
        const std::string value = OptionalSetupValue(key);
        if (Utf16Length(value) > kMaxEntryValueChars) {
            warnings.ShowAbout("Setup", SetupKeyName(key),
                               FormatText("The %s entry in SETUP.INI has %d characters; the list of installed "
                                          "programs takes at most %d.\nSetup would register no section for removal.",
                                          {SetupKeyName(key), value.size(), kMaxEntryValueChars}));
            suspicious = true;
        }
        if ((key == SetupKey::URLInfoAbout || key == SetupKey::HelpLink) && !value.empty() && !IsLinkValue(value)) {
            warnings.ShowAbout("Setup", SetupKeyName(key),
                               FormatText("The '%s' entry in SETUP.INI looks suspicious.\nIt should be a web address "
                                          "beginning with 'http://' or 'https://', or 'mailto:' and a mail address.",
                                          {value}));
            suspicious = true;
        }
    }

    for (s = 0; s < sectionCount; ++s) {
        const std::string codeDir = SectionValueAt(SectionKey::CodeDir, s);
        if (size_t at = FindIllegalFolderChar(codeDir); at != std::string::npos)
            report(SectionKey::CodeDir, FormatText(illegalCharText, {codeDir, codeDir[at]}));

        const std::string destDir = SectionValueAt(SectionKey::DestDir, s);
        const bool placeholder = !destDir.empty() && destDir[0] == '%';
        const bool driveForm = destDir.size() >= 3 && destDir[1] == ':' && destDir[2] == '\\';
        if (!placeholder && !driveForm)
            report(
                SectionKey::DestDir,
                FormatText("The '%s' entry in SETUP.INI looks suspicious.\nIt should be an entry like 'C:\\Tessery'.",
                           {destDir}));

        const std::string destRest = destDir.size() > 3 ? destDir.substr(3) : std::string();
        if (size_t at = FindIllegalFolderChar(destRest); at != std::string::npos)
            report(SectionKey::DestDir, FormatText(illegalCharText, {destRest, destRest[at]}));

        std::string shortcut = SectionValueAt(SectionKey::ShortcutLocation, s);
        if (shortcut.empty()) {
            shortcut = "NULL";
            SetSectionValueAt(SectionKey::ShortcutLocation, s, shortcut);
        }
        const std::string upper = ansi::ToUpper(shortcut);
        if (upper != "NULL" && upper != "DESKTOP" && upper != "MY DOCUMENTS" && upper != "FAVORITES")
            report(SectionKey::ShortcutLocation,
                   FormatText("The '%s' entry in SETUP.INI looks suspicious.\nIt should be either 'NULL,' 'Favorites,' "
                              "'My Documents,' or 'Desktop.'",
                              {upper}));

        const std::string fileSize = SectionValueAt(SectionKey::FileSize, s);
        for (char c : fileSize) {
            if (c < '0' || c > '9') {
                report(SectionKey::FileSize,
                       FormatText("The '%s' entry in SETUP.INI invalid because\nit contains the illegal character "
                                  "'%c'.\n(This entry is the total size of the installed files.)",
                                  {fileSize, c}));
                break;
            }
        }
        const long long size = ansi::ParseLeadingInteger(fileSize);
        if (size < kSmallestFileSize || size > kLargestFileSize)
            report(SectionKey::FileSize,
                   FormatText("The '%s' entry in SETUP.INI is suspiciously small or large.\n(This entry is the total "
                              "size of the installed files.)",
                              {fileSize}));

        const std::string commandFile = SectionValueAt(SectionKey::CommandFile, s);
        if (!commandFile.empty() && !fileExists(commandFile))
            report(SectionKey::CommandFile,
                   FormatText("The script file '%s' in SETUP.INI does not exist.", {commandFile}));

        const std::string productName = SectionValueAt(SectionKey::ProductName, s);
        if (Utf16Length(productName) >= 64)
            report(SectionKey::ProductName,
                   FormatText("The Product Name field ('%s') in SETUP.INI is too long. Setup creates a registry data "
                              "value using this value; the data value must be less than 64 characters long.)",
                              {productName}));
        // One uninstall entry per product name (the registry ignores case): setup registers only the
        // first section of a name that it installs, and refuses the others before copying them.
        if (IsTrueValue(SectionValueAt(SectionKey::Uninstall, s))) {
            for (int t = 0; t < s; ++t) {
                if (!IsTrueValue(SectionValueAt(SectionKey::Uninstall, t)) ||
                    ansi::ToUpper(SectionValueAt(SectionKey::ProductName, t)) != ansi::ToUpper(productName))
                    continue;
                report(SectionKey::ProductName,
                       FormatText("Section%d and Section%d in SETUP.INI have the same Product Name ('%s'), so they "
                                  "would share one uninstall entry.\nSetup registers only the first of them that it "
                                  "installs, and does not install the other.",
                                  {t + 1, s + 1, productName}));
                break;
            }
        }
    }

    filesCompressed = ansi::ToUpper(GetSetupValue(SetupKey::FilesCompressed)) == "YES";
    useUnderscores = ansi::ToUpper(GetSetupValue(SetupKey::UseUnderscores)) == "YES";

    if (suspicious)
        warnings.Show(
            "At least one entry in SETUP.INI is suspicious.\nSetup will continue, but the results will be "
            "unpredictable.");
}
