#pragma once
// The installer's settings: the [Setup] values and install sections of SETUP.INI, the texts of
// SETUP.TXT, and the run's flags. Section values are addressed through `currentSection`: a caller
// sets it, then reads or writes.

#include <array>
#include <atomic>
#include <functional>
#include <string>

enum class SetupKey {
    MainProdName = 0,
    FilesCompressed,
    UseUnderscores,
    NumberOfSections,
    ChangeFolderButton,
    VolumeName,
    // Optional: shown in the list of installed programs when set; missing is no finding.
    Publisher,
    Version,
    URLInfoAbout,
    HelpLink
};

enum class SectionKey {
    CodeDir = 0,
    DestDir,
    AltMyDocumentsDir,
    ProductName,
    ShortcutLocation,
    ShortcutName,
    FileSize,
    InstallByDefault,
    Uninstall,
    CommandFile
};

// Laid out as a table to be read, not one entry a line.
// clang-format off
enum class TextId {
    OkButton = 0, CancelButton, ScreenMessage, AppName, WelcomeTitle, WelcomeText, InstallTitle, InstallText,
    ExitTitle, ExitText, InstallingTitle, InstallingText1, InstallingText2, FinishedTitle, FinishedText,
    NoRoomTitle, NoRoomText, ConfirmReplaceTitle, ConfirmReplaceText1, ConfirmReplaceText2, ConfirmReplaceText3,
    ConfirmReplaceText4, YesToAllTitle, YesToAllButton, NoButton, ChangeDirTitle, SetupFailedTitle,
    SetupFailedText, LongFilenameProblemText, ProblemInstallingText, BrowseTitle, BrowseText1, BrowseText2,
    CreateDirText, UninstallText, UninstallProblemText, ContinueButton, ExitButton, ChangeDirButton, FolderText,
    UpdatingTitle, UpdatingText, OptionsTitle, InstructionText, OptionStatic, FolderTitle, SpaceRequired,
    SpaceAvailable, DescriptionStatic, DescriptionText, Bytes, KBytes, MBytes, NoChange, UpdateRegistryError,
    NoWindowsDir, NotEmptyDirectory
};
// clang-format on

constexpr int kMaxSections = 50;
constexpr int kTextSlots = 100;
constexpr int kUsedTexts = 57;
constexpr int kSetupSlots = 20;
constexpr int kUsedSetupKeys = 10;
constexpr int kSectionRows = 20;
constexpr int kUsedSectionRows = 10;
constexpr size_t kProfileValueLimit = 4095;  // a profile value is read into 4096 characters
// FileSize values outside this range are reported as suspicious.
constexpr long long kSmallestFileSize = 6000;
constexpr long long kLargestFileSize = 620000000;
extern const char kNotSet[];  // "Error": the default of every read; means "not set"
// What start-up says, and the program's end, when SETUP.INI or SETUP.TXT is not beside setup.
extern const char kSetupIniMissingText[];
extern const char kSetupTxtMissingText[];

const char* SetupKeyName(SetupKey key);
const char* SectionKeyName(SectionKey key);
const char* TextKeyName(TextId id);

// Reads one value of a profile (INI) file: the value, or `fallback` when the key is missing.
class ProfileSource {
public:
    virtual ~ProfileSource() = default;
    virtual std::string Read(const std::string& section, const std::string& key, const std::string& fallback) = 0;
};

// Where a message for the user goes (a message box in the programs, a list in tests).
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Show(const std::string& text) = 0;
    // A message about one key of a profile file: [section] and key. Shown like any other message;
    // a checker that reports file and line overrides it.
    virtual void ShowAbout(const std::string& section, const std::string& key, const std::string& text) { Show(text); }
};

class SetupSettings {
public:
    bool iniComplete = true;
    bool textsLoaded = false;
    bool settingsValid = false;
    std::atomic<bool> cancelRequested{false};
    bool filesCompressed = false;
    bool useUnderscores = false;
    int sectionCount = 0;
    bool changeFolderAllowed = false;
    int currentSection = 0;

    std::string GetSetupValue(SetupKey key) const;
    // An optional [Setup] value, empty when it is not set.
    std::string OptionalSetupValue(SetupKey key) const;
    std::string GetSectionValue(SectionKey key) const;
    void SetSectionValue(SectionKey key, const std::string& value);
    std::string GetText(TextId id) const;

    // Direct access by section index, without `currentSection` (validation, tests).
    std::string SectionValueAt(SectionKey key, int section) const;
    void SetSectionValueAt(SectionKey key, int section, const std::string& value);
    void SetText(TextId id, const std::string& value);
    void SetSetupValue(SetupKey key, const std::string& value);

    // Start-up: SETUP.INI, then SETUP.TXT, then (when both were complete) validation.
    // `fileExists` answers whether a script file named in SETUP.INI can be found.
    void Load(ProfileSource& ini, ProfileSource& texts, MessageSink& warnings,
              const std::function<bool(const std::string&)>& fileExists);
    void ReadIni(ProfileSource& ini, MessageSink& warnings);
    void ReadTexts(ProfileSource& texts);
    void Validate(MessageSink& warnings, const std::function<bool(const std::string&)>& fileExists);

private:
    std::array<std::string, kTextSlots> texts_{};
    std::array<std::string, kSetupSlots> setupValues_{};
    std::array<std::array<std::string, kMaxSections>, kSectionRows> sectionValues_{};
};

// Yes/no values: "TRUE" (any case).
bool IsTrueValue(const std::string& value);
// Whether a [Setup] key may be left out without a warning.
bool IsOptionalSetupKey(SetupKey key);
// A web address (http:// or https://) or a mail link (mailto:), prefix in any case, with something after it.
bool IsLinkValue(const std::string& value);
