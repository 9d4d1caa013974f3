#include "scripts/ScriptCommands.h"

#include <climits>
#include <initializer_list>
#include <tuple>

#include "framework/AnsiText.h"
#include "framework/PathText.h"
#include "framework/RunLog.h"
#include "framework/SafeFormat.h"
#include "framework/Utf8.h"

bool operator<(const FileVersion& a, const FileVersion& b)
{
    return std::tie(a.major, a.minor, a.third) < std::tie(b.major, b.minor, b.third);
}

bool operator==(const FileVersion& a, const FileVersion& b)
{
    return std::tie(a.major, a.minor, a.third) == std::tie(b.major, b.minor, b.third);
}

namespace {

constexpr size_t kVersionTextLimit = 255;
constexpr size_t kRunCommandLineLimit = 1023;

int VersionNumber(std::string_view text)
{
    const long long value = ansi::ParseLeadingInteger(text);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool ContainsBlank(const std::string& text)
{
    return ansi::FindChar(text, ' ') != std::string::npos;
}

// A path beyond the system's limit names no file the command could reach: the command is not carried
// out, and the user learns which path and why.
bool PathsFit(const ScriptFieldTable& fields, std::initializer_list<int> pathFields, ScriptPlatform& platform)
{
    for (const int f : pathFields) {
        if (fields[f].size() <= kMaxLongPathChars) continue;
        std::string command;
        for (const std::string& field : fields)
            if (!field.empty()) command += (command.empty() ? "" : "    ") + field;
        platform.ReportFailure(FormatText("%s\nI can't use \"%s\". (Script command '%s')",
                                          {platform.ErrorText(kErrorPathTooLong), fields[f], command}));
        return false;
    }
    return true;
}

void Copy(ScriptFieldTable& fields, ScriptPlatform& platform)
{
    const std::string& word = fields[0];
    const std::string& source = fields[1];
    std::string& destination = fields[2];

    if (ansi::FindChar(source, '.') == std::string::npos) {
        platform.ShowMessage(
            FormatText("'%s' is an illegal filename. (The filename _must_ have an extension.)", {source}));
        return;
    }
    const PathParts from = SplitPath(source);
    const PathParts to = SplitPath(destination);
    if (from.drive.empty() || to.drive.empty()) {
        platform.ShowMessage(FormatText("You must specify a source and destination drive. ('%s    %s    %s')",
                                        {word, source, destination}));
        return;
    }
    if (from.folder.empty() || to.folder.empty()) {
        platform.ShowMessage(FormatText("You must specify a source and destination path. ('%s    %s    %s')",
                                        {word, source, destination}));
        return;
    }
    // A destination without an extension names the folder to copy into.
    if (to.extension.empty()) destination = to.drive + to.folder + to.name + "\\" + from.name + from.extension;

    const std::string command = FormatText("(Script command '%s    %s    %s')", {word, source, destination});
    // A path beyond the system's limit cannot name a file the copy could reach.
    if (source.size() > kMaxLongPathChars || destination.size() > kMaxLongPathChars) {
        platform.ReportFailure(FormatText("%s\nI can't copy \"%s\" to \"%s\". %s",
                                          {platform.ErrorText(kErrorPathTooLong), source, destination, command}));
        return;
    }

    if (!platform.PathExists(source)) {
        platform.ShowMessage(FormatText("The file %s does not exist. %s", {source, command}));
        return;
    }
    const bool exists = platform.PathExists(destination);
    if (exists && !(platform.ReadFileVersion(destination) < platform.ReadFileVersion(source))) {
        platform.UseSharedFile(destination, false);
        return;
    }
    // A file that is not there is written as safely as one that is replaced; the older file stays in
    // place when it cannot be replaced. Either way the user learns which file and why.
    const WriteOutcome outcome = WriteFileSafely(
        destination, exists, platform, [&](const std::string& target) { return platform.CopyOneFile(source, target); });
    if (outcome.error == 0) {
        LogLine("  copy " + source + " to " + destination + ": done");
        platform.UseSharedFile(destination, !exists);
        return;
    }
    LogLine("  copy " + source + " to " + destination + ": failed");
    const std::string reason = platform.ErrorText(outcome.error);
    platform.ReportFailure(
        outcome.replacing
            ? FormatText("%s\nI can't replace \"%s\" with \"%s\". %s", {reason, destination, source, command})
            : FormatText("%s\nI can't copy \"%s\" to \"%s\". %s", {reason, source, destination, command}));
}

void CopyFileIfNotInPath(ScriptFieldTable& fields, ScriptPlatform& platform)
{
    const std::string& file = fields[1];
    const size_t period = ansi::FindLastChar(file, '.');
    const std::string name = period == std::string::npos ? file : file.substr(0, period);
    const std::string extension = period == std::string::npos ? std::string(".") : file.substr(period);
    if (platform.FoundOnSearchPath(name, extension)) return;
    fields[1] = fields[2];
    fields[2] = fields[3];
    Copy(fields, platform);
}

void Rename(const ScriptFieldTable& fields, ScriptPlatform& platform)
{
    const std::string& from = fields[1];
    const std::string& to = fields[2];
    if (!PathsFit(fields, {1, 2}, platform)) return;
    if (!platform.PathExists(from)) {
        platform.ShowMessage(FormatText("Batch file error. The file '%s' does not exists; I can't rename it.", {from}));
        return;
    }
    // Another program may still hold the file for a while after it was started; the user is asked
    // only after the silent retries, and every later failure asks again after one pause.
    int failures = 0;
    for (;;) {
        const unsigned long error = platform.MoveOneFile(from, to);
        if (error == 0) return;
        platform.Pause(kRenameRetryPauseMs);
        if (++failures <= kRenameSilentRetries) continue;
        const std::string text = FormatText(
            "%s\nI can't rename \"%s\" as \"%s\". (Retry this operation at least once. If the operation continues "
            "to fail another process might have opened the file.)",
            {platform.ErrorText(error), from, to});
        if (!platform.AskRetry(text)) return;
    }
}

void CreateShortcut(const ScriptFieldTable& fields, ScriptPlatform& platform)
{
    const std::string& target = fields[1];
    if (target.empty()) return;
    const std::string link = fields[2].empty() ? std::string("Default Shortcut") : fields[2];
    if (Utf16Length(target) > kShortcutPathLimit || Utf16Length(link) > kShortcutPathLimit) return;
    platform.CreateShortcut(target, link + ".Lnk");
}

void Run(const ScriptFieldTable& fields, ScriptPlatform& platform)
{
    const std::string& program = fields[1];
    const std::optional<std::string> commandLine = BuildRunCommandLine(fields);
    if (Utf16Length(program) > kMaxPathChars || !commandLine) {
        platform.ShowMessage(
            FormatText("Batch file error. The command line for '%s' is too long; I can't run it.", {program}));
        return;
    }
    if (!platform.PathExists(program)) {
        platform.ShowMessage(FormatText("Batch file error. The file '%s' does not exists; I can't run it.", {program}));
        return;
    }
    unsigned long error = 0;
    switch (platform.RunProgram(program, *commandLine, error)) {
        case ScriptPlatform::RunResult::Ended:
            break;
        case ScriptPlatform::RunResult::NotStarted:
            platform.ShowMessage(FormatText("%s\nBatch file error. The program '%s' could not be started.",
                                            {platform.ErrorText(error), program}));
            break;
        case ScriptPlatform::RunResult::WaitFailed:
            platform.ShowMessage(FormatText("The call to WaitForSingleObject for %s failed.", {program}));
            break;
    }
}

void Attrib(const ScriptFieldTable& fields, ScriptPlatform& platform)
{
    const std::string& file = fields[1];
    if (!PathsFit(fields, {1}, platform) || !platform.PathExists(file)) return;
    const std::optional<unsigned> attributes = platform.GetAttributes(file);
    if (!attributes) return;
    platform.SetAttributes(file, ApplyAttribFlags(*attributes, fields));
}

}  // namespace

FileVersion ParseFileVersionText(std::string_view text)
{
    // Version resources write their numbers as "5.1.2600.1" or as "5, 1, 2600, 1".
    text = text.substr(0, std::min(text.size(), kVersionTextLimit));
    FileVersion version;
    int* const numbers[] = {&version.major, &version.minor, &version.third};
    for (int* number : numbers) {
        *number = VersionNumber(text);
        const size_t separator = text.find_first_of(".,");
        if (separator == std::string_view::npos) break;
        text.remove_prefix(separator + 1);
    }
    return version;
}

PathParts SplitPath(std::string_view path)
{
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    size_t lastSlash = std::string_view::npos;
    for (size_t i = 0; i < path.size(); i = ansi::NextChar(path, i)) {
        if ((path[i] == '\\' || path[i] == '/') && !ansi::IsLeadByte(static_cast<unsigned char>(path[i])))
            lastSlash = i;
    }
    if (lastSlash != std::string_view::npos) {
        parts.folder = std::string(path.substr(0, lastSlash + 1));
        path.remove_prefix(lastSlash + 1);
    }
    const size_t period = ansi::FindLastChar(path, '.');
    if (period != std::string_view::npos) {
        parts.extension = std::string(path.substr(period));
        path = path.substr(0, period);
    }
    parts.name = std::string(path);
    return parts;
}

unsigned ApplyAttribFlags(unsigned attributes, const ScriptFieldTable& fields)
{
    // What a file can be given; the directory bit and the like are the system's to keep.
    constexpr unsigned kSettable = kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeArchive |
                                   0x100 /* temporary */ | 0x1000 /* offline */ | 0x2000 /* not indexed */;
    attributes &= kSettable;
    for (int i = 2; i < kScriptFieldCount && !fields[i].empty(); ++i) {
        const std::string flag = ansi::ToUpper(fields[i]);
        if (flag.size() != 2 || (flag[0] != '+' && flag[0] != '-')) continue;
        unsigned bit = 0;
        switch (flag[1]) {
            case 'R':
                bit = kAttributeReadOnly;
                break;
            case 'H':
                bit = kAttributeHidden;
                break;
            case 'S':
                bit = kAttributeSystem;
                break;
            case 'A':
                bit = kAttributeArchive;
                break;
            default:
                continue;
        }
        if (flag[0] == '+')
            attributes |= bit;
        else
            attributes &= ~bit;
    }
    return attributes == 0 ? kAttributeNormal : attributes;
}

std::optional<std::string> BuildRunCommandLine(const ScriptFieldTable& fields)
{
    std::string line = " ";
    for (int i = 2; i < kScriptFieldCount && !fields[i].empty(); ++i) {
        if (ContainsBlank(fields[i]))
            line += " \"" + fields[i] + "\" ";
        else
            line += " " + fields[i] + " ";
    }
    if (Utf16Length(line) > kRunCommandLineLimit) return std::nullopt;
    return line;
}

std::string ShortcutTargetFolder(const std::string& target)
{
    if (target.size() < 3 || target.compare(target.size() - 3, 3, "\\..") != 0) return target;
    std::string folder = target.substr(0, target.size() - 3);
    const size_t backslash = ansi::FindLastChar(folder, '\\');
    return backslash == std::string::npos ? std::string() : folder.substr(0, backslash);
}

std::string SectionShortcutPath(const std::string& location, const std::string& shortcutName,
                                const SpecialFolderTable& folders)
{
    const std::string word = ansi::ToUpper(location);
    std::string folder;
    if (word == "DESKTOP")
        folder = folders.Get(SpecialFolder::Desktop);
    else if (word == "MY DOCUMENTS")
        folder = folders.Get(SpecialFolder::MyDocuments);
    else if (word == "FAVORITES")
        folder = folders.Get(SpecialFolder::Favorites);
    // An unknown folder would give \Name.Lnk on whatever drive is current.
    if (folder.empty()) return std::string();
    return folder + "\\" + shortcutName + ".Lnk";
}

void ExecuteScriptCommand(ScriptFieldTable& fields, ScriptPlatform& platform)
{
    switch (ParseCommandWord(fields[0])) {
        case ScriptCommand::Copy:
            Copy(fields, platform);
            break;
        case ScriptCommand::CopyNtOnly:
            if (platform.IsNtFamily()) Copy(fields, platform);
            break;
        case ScriptCommand::CopyFileIfNotInPath:
            CopyFileIfNotInPath(fields, platform);
            break;
        case ScriptCommand::Del:
            if (PathsFit(fields, {1}, platform) && platform.PathExists(fields[1])) platform.DeleteOneFile(fields[1]);
            break;
        case ScriptCommand::Rename:
            Rename(fields, platform);
            break;
        case ScriptCommand::Md:
            if (PathsFit(fields, {1}, platform)) platform.CreateDirectoryPath(fields[1]);
            break;
        case ScriptCommand::CreateShortcut:
            CreateShortcut(fields, platform);
            break;
        case ScriptCommand::Run:
            Run(fields, platform);
            break;
        case ScriptCommand::Attrib:
            Attrib(fields, platform);
            break;
        case ScriptCommand::None:
            break;
    }
}

void RunScriptLine(std::string_view line, ScriptFieldTable& fields, const PlaceholderValues& values,
                   ScriptPlatform& platform)
{
    if (CutScriptLine(line, fields) != LineCut::Cut) return;
    for (auto& field : fields)
        field = ExpandPlaceholder(field, values);
    if (TheRunLog().On()) {
        std::string command = "script command:";
        for (const auto& field : fields)
            if (!field.empty()) command += " " + field;
        LogLine(command);
    }
    ExecuteScriptCommand(fields, platform);
}

void RunScriptText(std::string_view text, ScriptFieldTable& fields, const PlaceholderValues& values,
                   ScriptPlatform& platform)
{
    ForEachScriptLine(text, [&](std::string_view line) { RunScriptLine(line, fields, values, platform); });
}
