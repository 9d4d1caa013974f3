#pragma once
// The uninstall entry of one section: key name and values, worked out and checked before anything
// is written. The uninstaller reads UninstallString back and splits it, so the entry is refused
// rather than shortened when a value does not fit.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

constexpr char kUninstallerFileName[] = "TOVRADE.EXE";
constexpr size_t kMaxEntryValueChars = 255;  // each value is composed in 256 characters

struct InstallDay {
    int year = 0;
    int month = 0;
    int day = 0;
};

struct UninstallEntrySource {
    std::string uninstallerPath;  // TOVRADE.EXE in the Windows folder
    std::string destDir;          // expanded install folder
    std::string productName;
    std::string uninstallText;     // SETUP.TXT UninstallText
    std::string problemText;       // SETUP.TXT UninstallProblemText
    std::string shortcutLocation;  // "NULL" when the section has no shortcut
    std::string fileSize;          // bytes, decimal: SETUP.INI's figure
    // Bytes of the files the copy put in place for the section; 0 when it wrote none (every file
    // kept, or stopped before the first), and then FileSize stands in.
    unsigned long long copiedBytes = 0;
    // The optional [Setup] values; empty ones are not written.
    std::string publisher;
    std::string version;
    std::string aboutLink;
    std::string helpLink;
    std::string installSource;  // the folder setup was started from
    InstallDay installDay;      // the local date of the install
};

struct EntryValue {
    enum class Kind { String, Dword };
    std::string name;
    Kind kind = Kind::String;
    std::string text;
    uint32_t number = 0;
};

struct UninstallEntry {
    std::string keyPath;  // below HKEY_LOCAL_MACHINE
    std::vector<EntryValue> values;
};

// The refusal's message for the user.
struct EntryRefusal {
    std::string message;
};

// WindowsDir, a backslash unless it already ends with one, and TOVRADE.EXE.
std::string UninstallerTargetPath(const std::string& windowsDir);
// The uninstaller's path, a blank, the folder between backquotes, a blank and the product name.
std::string ComposeUninstallString(const std::string& uninstallerPath, const std::string& destDir,
                                   const std::string& productName);
// The same with /S between the uninstaller's path and the folder: removal without any window.
std::string ComposeQuietUninstallString(const std::string& uninstallerPath, const std::string& destDir,
                                        const std::string& productName);
// The install folder that an UninstallString composed as above names (between the backquotes, before
// the product name); nothing when the string does not have that layout.
std::optional<std::string> FolderInUninstallString(const std::string& uninstallString, const std::string& productName);
// FileSize in KiB, rounded up, limited to 32 bits; 0 for an empty or negative size.
uint32_t EstimatedSizeKiB(const std::string& fileSize);
// A byte count in KiB, rounded up, limited to 32 bits.
uint32_t EstimatedSizeKiB(unsigned long long bytes);
// The date as the list of installed programs sorts it: yyyymmdd, each part zero-padded.
std::string FormatInstallDate(const InstallDay& day);

// The key and its values in the order they are written: DisplayName, UninstallString, UninstallText,
// UninstallProblemText, ShortcutLocation (unless exactly "NULL"), then InstallLocation,
// EstimatedSize (copiedBytes, else FileSize), DisplayIcon, NoModify, NoRepair, Publisher,
// DisplayVersion, URLInfoAbout, HelpLink (each only when set), InstallDate, then InstallSource and
// QuietUninstallString, each when it fits in 255 characters. Refused for a product name that is empty,
// "." or "..", or holds "\", a folder with a backquote (the uninstaller could not split it back) and
// any other value beyond 255 characters: those come from the CD, whose checks report them.
std::variant<UninstallEntry, EntryRefusal> BuildUninstallEntry(const UninstallEntrySource& source);
