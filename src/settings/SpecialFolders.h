#pragma once
// The special-folder table: the real paths behind the path placeholders and the shortcut location
// words. Built once at start; StartDir and SourceDir are filled in by start-up.

#include <array>
#include <optional>
#include <string>

#include "framework/SystemFacts.h"
#include "settings/SetupSettings.h"

enum class SpecialFolder {
    WindowsDir = 0,
    SystemDir,
    Favorites,
    MyDocuments,
    MyPictures,
    Desktop,
    StartMenu,
    Programs,
    SourceDir,
    Reserved9,
    Reserved10,
    Reserved11,
    StartDir
};
constexpr int kSpecialFolderCount = 13;

// The user's Shell Folders key.
class ShellFolderSource {
public:
    virtual ~ShellFolderSource() = default;
    virtual bool Open() = 0;
    // The value, or nothing when it cannot be read.
    virtual std::optional<std::string> Read(const std::string& name) = 0;
};

class SpecialFolderTable {
public:
    const std::string& Get(SpecialFolder entry) const { return entries_[static_cast<int>(entry)]; }
    void Set(SpecialFolder entry, const std::string& path) { entries_[static_cast<int>(entry)] = path; }
    const OsVersion& Version() const { return version_; }

    // `altMyDocumentsDir`: the first section's AltMyDocumentsDir. A second build does nothing.
    // "Couldn't open the registry." goes to `messages` when the shell-folders key cannot be opened.
    void Build(const std::string& windowsDir, const std::string& systemDir, const OsVersion& version,
               ShellFolderSource& shellFolders, const std::string& altMyDocumentsDir, MessageSink& messages);

private:
    std::array<std::string, kSpecialFolderCount> entries_{};
    OsVersion version_{};
    bool built_ = false;
};

// The My Documents rule: which folder %MYDOCUMENTS% and the My Documents shortcut use.
std::string ChooseMyDocuments(const std::string& personal, const std::string& altMyDocumentsDir,
                              const OsVersion& version);
