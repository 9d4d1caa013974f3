#pragma once
// The script commands' access to the system. Message boxes are virtual so tests can record them.

#include <windows.h>

#include "scripts/ScriptCommands.h"

class WinScriptPlatform : public ScriptPlatform {
public:
    bool PathExists(const std::string& path) override;
    unsigned long CopyOneFile(const std::string& source, const std::string& destination) override;
    unsigned long RenameFile(const std::string& from, const std::string& to, bool replace) override;
    void RemoveFile(const std::string& path) override;
    FileVersion ReadFileVersion(const std::string& path) override;
    bool IsNtFamily() override;
    bool FoundOnSearchPath(const std::string& name, const std::string& extension) override;
    void DeleteOneFile(const std::string& path) override;
    unsigned long MoveOneFile(const std::string& from, const std::string& to) override;
    void Pause(unsigned milliseconds) override;
    std::string ErrorText(unsigned long code) override;
    void CreateDirectoryPath(const std::string& path) override;
    void CreateShortcut(const std::string& target, const std::string& linkPath) override;
    void UseSharedFile(const std::string& path, bool created) override;
    RunResult RunProgram(const std::string& program, const std::string& commandLine, unsigned long& errorCode) override;
    std::optional<unsigned> GetAttributes(const std::string& path) override;
    void SetAttributes(const std::string& path, unsigned attributes) override;
    // A message box that counts as a failure of the run (FailureMessageBox).
    void ShowMessage(const std::string& text) override;
    void ReportFailure(const std::string& text) override;
    bool AskRetry(const std::string& text) override;
};

// The FileVersion text of the U.S. English, code page 1252 string table, parsed; 0.0.0 when the
// file has none.
FileVersion ReadFileVersionResource(const std::string& path);
