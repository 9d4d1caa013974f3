#pragma once
// The settings objects of the running installer and their Win32 sources.

#include <windows.h>

#include "framework/Handles.h"
#include "settings/SetupSettings.h"
#include "settings/SpecialFolders.h"

// Defined by the program (in start-up order: settings, special folders, application object) or by a
// test program.
extern SetupSettings setupSettings;
extern SpecialFolderTable specialFolders;
// The system's version, filled by start-up; the script commands read its platform identifier.
extern OsVersion osVersion;

// The folder that the product's uninstall entry names; nothing when there is no entry or it names none.
std::optional<std::string> InstalledSectionFolder(const std::string& productName);

// A profile file read with GetPrivateProfileStringA into a buffer of 4096 characters.
class PrivateProfileFile : public ProfileSource {
public:
    explicit PrivateProfileFile(std::string path) : path_(std::move(path)) {}
    std::string Read(const std::string& section, const std::string& key, const std::string& fallback) override;

private:
    std::string path_;
};

// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders.
class ShellFoldersKey : public ShellFolderSource {
public:
    bool Open() override;
    std::optional<std::string> Read(const std::string& name) override;

private:
    UniqueRegKey key_;
};

// SETUP.INI warnings and validation findings: caption "Error!", warning icon, no owner.
class SettingsWarningBoxes : public MessageSink {
public:
    void Show(const std::string& text) override;
};
// The application's message box (caption "Setup", or the program path before the application exists).
class AppMessageBoxes : public MessageSink {
public:
    void Show(const std::string& text) override;
};

// Reads .\SETUP.INI and .\SETUP.TXT of the current folder into `settings` and validates them.
void LoadStartupSettings(SetupSettings& settings);
// Builds `table` from the system and the user's shell folders.
void BuildSpecialFolders(SpecialFolderTable& table, SetupSettings& settings);
