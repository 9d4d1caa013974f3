#pragma once
// The script commands and everything about them that does not need the platform: the command
// dispatcher, COPY's path rules, file versions, RENAME's retries, RUN's command line, ATTRIB's flags,
// and the shortcut paths. The platform is reached through ScriptPlatform, so tests give a fake.

#include <optional>
#include <string>
#include <string_view>

#include "framework/FileOverwrite.h"
#include "scripts/ScriptText.h"
#include "settings/SpecialFolders.h"

// A file version as the installer compares it: major, minor and third number.
struct FileVersion {
    int major = 0;
    int minor = 0;
    int third = 0;
};
bool operator<(const FileVersion& a, const FileVersion& b);
bool operator==(const FileVersion& a, const FileVersion& b);

// The FileVersion text of a version resource: numbers separated by periods or commas (with or without
// blanks), the first three counted: 4.00.2600.1 gives 4.0.2600, "1, 0, 0, 1" gives 1.0.0, 5.1 gives
// 5.1.0; a text without a number gives 0.0.0. Only the first 255 characters count.
FileVersion ParseFileVersionText(std::string_view text);

// A path cut by the usual rules: drive (a letter and a colon), folder (up to the last \ or /),
// name, and extension (the last period of the name and what follows).
struct PathParts {
    std::string drive;
    std::string folder;
    std::string name;
    std::string extension;
};
PathParts SplitPath(std::string_view path);

// ATTRIB: applies the flag fields from field 2 on (stopping at the first empty one) to `attributes`.
// Only the attributes a file can be given are kept; none left gives the normal attribute.
unsigned ApplyAttribFlags(unsigned attributes, const ScriptFieldTable& fields);

// RUN: the command line for the arguments from field 2 on, stopping at the first empty field. Each
// argument stands between blanks, in double quotes when it contains one. Nothing when the result
// would not fit into 1023 characters.
std::optional<std::string> BuildRunCommandLine(const ScriptFieldTable& fields);

// CREATESHORTCUT and the section shortcut: a target that ends in \.. denotes the folder above the
// one written (C:\Demo\Code\.. gives C:\Demo).
std::string ShortcutTargetFolder(const std::string& target);

// The section shortcut's path: the folder that `location` names (Desktop, My Documents, Favorites,
// in any case), a backslash, `shortcutName` and ".Lnk". Empty when the location names no folder or
// the folder is not known on this system.
std::string SectionShortcutPath(const std::string& location, const std::string& shortcutName,
                                const SpecialFolderTable& folders);

// CREATESHORTCUT's target and link (without ".Lnk") are refused beyond this length.
constexpr size_t kShortcutPathLimit = 1023;

constexpr unsigned kRenameRetryPauseMs = 2000;
constexpr int kRenameSilentRetries = 10;

// What the commands need from the system.
class ScriptPlatform : public FileWriteAccess {
public:
    enum class RunResult { Ended, NotStarted, WaitFailed };

    virtual bool PathExists(const std::string& path) = 0;
    // Copies `source` to `destination` (the temporary file of the safe write, or the file itself),
    // replacing what is there. 0 when copied, otherwise the system's error code.
    virtual unsigned long CopyOneFile(const std::string& source, const std::string& destination) = 0;
    virtual FileVersion ReadFileVersion(const std::string& path) = 0;
    virtual bool IsNtFamily() = 0;
    virtual bool FoundOnSearchPath(const std::string& name, const std::string& extension) = 0;
    virtual void DeleteOneFile(const std::string& path) = 0;
    // 0 when moved, otherwise the system's error code.
    virtual unsigned long MoveOneFile(const std::string& from, const std::string& to) = 0;
    virtual void Pause(unsigned milliseconds) = 0;
    virtual std::string ErrorText(unsigned long code) = 0;
    virtual void CreateDirectoryPath(const std::string& path) = 0;
    virtual void CreateShortcut(const std::string& target, const std::string& linkPath) = 0;
    // COPY's destination is in place for the book (copied, or kept as newer): its use is counted and
    // recorded; `created` when the copy put it there.
    virtual void UseSharedFile(const std::string& path, bool created) = 0;
    // Starts the program and waits for it to end; `errorCode` tells why it could not be started.
    virtual RunResult RunProgram(const std::string& program, const std::string& commandLine,
                                 unsigned long& errorCode) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // A message about a file the script could not put in place; the installation then ends as failed.
    virtual void ReportFailure(const std::string& text) = 0;
    // A message with Retry and Cancel; true for Retry.
    virtual bool AskRetry(const std::string& text) = 0;
};

// Executes the command that `fields` hold (already expanded). COPY and COPYFILEIFNOTINPATH rewrite
// fields 1 and 2, as the commands do.
void ExecuteScriptCommand(ScriptFieldTable& fields, ScriptPlatform& platform);

// One line: cut into `fields`, every field expanded, then executed. Refused lines do nothing.
void RunScriptLine(std::string_view line, ScriptFieldTable& fields, const PlaceholderValues& values,
                   ScriptPlatform& platform);

// Every line of a script text, one after the other.
void RunScriptText(std::string_view text, ScriptFieldTable& fields, const PlaceholderValues& values,
                   ScriptPlatform& platform);
