#include "cdcheck/CdCheck.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <system_error>
#include <tuple>

#include "copy/Szdd.h"
#include "copy/TreeCopy.h"
#include "framework/AnsiText.h"
#include "framework/PathText.h"
#include "framework/SafeFormat.h"
#include "scripts/ScriptCommands.h"
#include "scripts/ScriptText.h"
#include "settings/ProfileText.h"
#include "settings/SetupSettings.h"
#include "settings/SpecialFolders.h"
#include "settings/UninstallEntry.h"

namespace fs = std::filesystem;

namespace {

// The folders of a typical reader's PC, for the lengths of paths that placeholders begin. A real
// user name may be longer: a path close to a limit is worth shortening anyway.
PlaceholderValues TypicalFolders(const std::string& destDir)
{
    const std::string profile = "C:\\Users\\Reader";
    PlaceholderValues v;
    v.system = "C:\\Windows\\system32";
    v.windows = "C:\\Windows";
    v.startDir = "D:\\";
    v.destDir = destDir;
    v.desktop = profile + "\\Desktop";
    v.favorites = profile + "\\Favorites";
    v.myDocuments = profile + "\\Documents";
    v.myPictures = profile + "\\Pictures";
    v.startMenu = profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
    v.programs = v.startMenu + "\\Programs";
    return v;
}

// The FileSize a section of `size` installed bytes should give: the size, within the range setup accepts.
long long RightFileSize(unsigned long long size)
{
    return std::max(kSmallestFileSize, static_cast<long long>(std::min<unsigned long long>(size, kLargestFileSize)));
}

bool ReadWholeFile(const fs::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

// Folder entries sorted by name, so that findings come in the same order on every system.
std::vector<fs::directory_entry> SortedEntries(const fs::path& folder)
{
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    return entries;
}

// One line of text per finding: the messages setup shows in boxes have line breaks.
std::string OneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

// Which conversions setup fills into a SETUP.TXT text, and what it gives them.
struct TextUse {
    TextId id;
    const char* conversions;  // s, c or d per argument, in order
    const char* what;
};
const TextUse kFormattedTexts[] = {
    {TextId::WelcomeText, "s", "the product name (MainProdName)"},
    {TextId::FinishedText, "s", "the product name (MainProdName)"},
    {TextId::UpdatingText, "s", "the section's ProductName"},
    {TextId::DescriptionText, "s", "the section's ProductName"},
    {TextId::NoRoomText, "c", "the drive letter"},
    {TextId::SpaceRequired, "cs", "the drive letter, then the size"},
    {TextId::SpaceAvailable, "cs", "the drive letter, then the size"},
    {TextId::ConfirmReplaceText1, "s", "the file name"},
    {TextId::ConfirmReplaceText3, "s", "the file's date and time"},
    {TextId::UninstallText, "s", "the product name (ProductName), when the uninstaller asks"},
};

// The %s, %c and %d conversions of a text as the safe formatter sees them (%i and %u count as %d).
std::string Conversions(const std::string& text)
{
    std::string found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        const char c = text[i + 1];
        if (c == '%') {
            ++i;
        } else if (c == 's' || c == 'c' || c == 'd' || c == 'i' || c == 'u') {
            found += c == 's' || c == 'c' ? c : 'd';
            ++i;
        }
    }
    return found;
}

struct CommandRule {
    ScriptCommand command;
    const char* word;
    int minArgs;
    int maxArgs;
    const char* arguments;
    std::vector<int> pathFields;  // fields that hold a path of at most 259 characters
};
const CommandRule kCommandRules[] = {
    {ScriptCommand::Copy, "COPY", 2, 2, "source, destination", {1, 2}},
    {ScriptCommand::CopyNtOnly, "COPYNTONLY", 2, 2, "source, destination", {1, 2}},
    {ScriptCommand::CopyFileIfNotInPath, "COPYFILEIFNOTINPATH", 3, 3, "file to look for, source, destination", {2, 3}},
    {ScriptCommand::Del, "DEL", 1, 1, "file", {1}},
    {ScriptCommand::Rename, "RENAME", 2, 2, "file, new name", {1, 2}},
    {ScriptCommand::Md, "MD", 1, 1, "folder", {1}},
    {ScriptCommand::CreateShortcut, "CREATESHORTCUT", 1, 2, "target, shortcut", {}},
    {ScriptCommand::Run, "RUN", 1, 9, "program, arguments", {1}},
    {ScriptCommand::Attrib, "ATTRIB", 2, 9, "file, flags", {1}},
};

// Setup's own tree copy run over a CD folder with a host that copies nothing: what setup would install,
// and where, is what the copy asks the host to copy; what it passes over without asking is skipped.
class InstallPlan : private TreeCopyHost {
public:
    struct Item {
        fs::path source;
        bool isFolder = false;
        std::string destPath;
    };
    std::vector<Item> installed;  // files and folders, in the order setup copies them
    std::vector<Item> skipped;    // what setup passes over for the length of its path

    static InstallPlan Make(const fs::path& folder, const std::string& destFolder, bool useUnderscores)
    {
        InstallPlan plan(useUnderscores);
        plan.frames_.push_back({folder, destFolder, {}});
        std::atomic<bool> cancel{false}, yesToAll{false}, expansionFailed{false};
        WriteFailures failedWrites, pathsTooLong;
        TreeCopyState state{false, useUnderscores, cancel, yesToAll, expansionFailed, failedWrites, pathsTooLong};
        CopyTree(destFolder, plan, state);
        plan.Finish();
        return plan;
    }

private:
    struct Frame {
        fs::path folder;
        std::string dest;
        std::vector<FoundEntry> listed;
    };
    class Listing : public FolderEnumeration {
    public:
        explicit Listing(std::vector<FoundEntry> entries) : entries_(std::move(entries)) {}
        bool Next(FoundEntry& entry) override
        {
            if (next_ == entries_.size()) return false;
            entry = entries_[next_++];
            return true;
        }

    private:
        std::vector<FoundEntry> entries_;
        size_t next_ = 0;
    };

    explicit InstallPlan(bool useUnderscores) : useUnderscores_(useUnderscores) {}

    std::unique_ptr<FolderEnumeration> EnumerateCurrentFolder() override
    {
        std::vector<FoundEntry> entries;
        for (const auto& entry : SortedEntries(frames_.back().folder)) {
            std::error_code error;
            entries.push_back({entry.path().filename().u8string(), entry.is_directory(error), 0, 0});
        }
        frames_.back().listed = entries;
        return std::make_unique<Listing>(std::move(entries));
    }
    bool EnterFolder(const std::string& name) override
    {
        const fs::path folder = frames_.back().folder / fs::u8path(name);
        installed.push_back({folder, true, createdFolder_});
        handled_.insert(createdFolder_);
        frames_.push_back({folder, createdFolder_, {}});
        return true;
    }
    void LeaveFolder() override { Finish(); }
    // Reported as there before, so that each file takes the copy's path through the existence test.
    bool CreateFolder(const std::string& path) override
    {
        createdFolder_ = path;
        return false;
    }
    bool PathExists(const std::string&) override { return false; }
    std::optional<ExistingFile> FindExisting(const std::string&) override { return std::nullopt; }
    void ShowFile(const std::string&, const std::string&) override {}
    ReplaceAnswer AskReplace(const FoundEntry&, const ExistingFile&) override { return ReplaceAnswer::Yes; }
    bool ConfirmExit() override { return false; }
    // The file is recorded when it is put in place under its own name.
    unsigned long CopyPlainFile(const std::string& sourceName, const std::string& target, bool) override
    {
        installed.push_back({frames_.back().folder / fs::u8path(sourceName), false, target});
        handled_.insert(target);
        return 0;
    }
    unsigned long RenameFile(const std::string&, const std::string& to, bool) override
    {
        installed.back().destPath = to;
        handled_.insert(to);
        return 0;
    }
    void RemoveFile(const std::string&) override {}
    unsigned long ExpandCompressedFile(const std::string& sourceName, const std::string& destPath,
                                       bool createNew) override
    {
        return CopyPlainFile(sourceName, destPath, createNew);
    }
    std::optional<unsigned> GetAttributes(const std::string&) override { return std::nullopt; }
    void SetAttributes(const std::string&, unsigned) override {}
    bool StopRequested() override { return false; }

    // Leaves the current folder: whatever it listed that the copy neither copied nor entered was
    // skipped, except the folders that begin with a period, which setup never installs.
    void Finish()
    {
        const Frame frame = frames_.back();
        frames_.pop_back();
        for (const FoundEntry& entry : frame.listed) {
            if (entry.isFolder && entry.name[0] == '.') continue;
            const std::string dest =
                AppendToFolder(frame.dest, useUnderscores_ ? MakeLongName(entry.name) : entry.name);
            if (!handled_.count(dest)) skipped.push_back({frame.folder / fs::u8path(entry.name), entry.isFolder, dest});
        }
    }

    bool useUnderscores_;
    std::vector<Frame> frames_;
    std::string createdFolder_;
    std::set<std::string> handled_;
};

class CdScan {
public:
    explicit CdScan(const fs::path& root) : root_(root.lexically_normal())
    {
        if (!root_.has_filename() && root_.has_parent_path()) root_ = root_.parent_path();
    }

    CdReport Check();
    // The installed size of each section whose folder exists, by section index.
    std::map<int, unsigned long long> SectionSizes();

    // Reads SETUP.INI and SETUP.TXT and loads the settings as setup does; false when they cannot be read.
    bool Load(std::string& error);
    ProfileText& Ini() { return *ini_; }
    const std::string& IniText() const { return iniText_; }
    const std::string& IniName() const { return iniName_; }

private:
    class LocatingSink;

    std::optional<fs::path> Resolve(const std::string& windowsPath) const;
    std::string Relative(const fs::path& path) const;
    void Add(const std::string& file, int line, const std::string& message);
    int IniLine(const std::string& section, const std::string& key) const;
    std::string DestDirOf(int section) const;

    void CheckSectionFolder(int section);
    unsigned long long WalkTree(const fs::path& folder, const std::string& destFolder, bool report);
    void CheckScript(int section);
    void CheckTexts();
    void CheckUninstallEntries();
    void CheckPrograms();

    fs::path root_;
    std::string iniName_ = "SETUP.INI";
    std::string txtName_ = "SETUP.TXT";
    std::string iniText_;
    std::optional<ProfileText> ini_;
    std::optional<ProfileText> txt_;
    bool txtPresent_ = false;
    SetupSettings settings_;
    std::vector<Finding> findings_;
    std::set<std::tuple<std::string, int, std::string>> seen_;
};

class SilentSink : public MessageSink {
public:
    void Show(const std::string&) override {}
};

// Setup's SETUP.INI messages, each placed on the line of the key it is about.
class CdScan::LocatingSink : public MessageSink {
public:
    explicit LocatingSink(CdScan& scan) : scan_(scan) {}
    // The only message without a key is the closing summary of the findings already listed.
    void Show(const std::string&) override {}
    void ShowAbout(const std::string& section, const std::string& key, const std::string& text) override
    {
        scan_.Add(scan_.iniName_, scan_.IniLine(section, key), OneLine(text));
    }

private:
    CdScan& scan_;
};

std::optional<fs::path> CdScan::Resolve(const std::string& windowsPath) const
{
    // The CD's file system ignores case; the author's copy of it may not.
    fs::path current = root_;
    std::string part;
    std::istringstream parts(windowsPath);
    while (std::getline(parts, part, '\\')) {
        if (part.empty() || part == ".") continue;
        std::error_code error;
        if (fs::exists(current / fs::u8path(part), error)) {
            current /= fs::u8path(part);
            continue;
        }
        bool found = false;
        for (const auto& entry : SortedEntries(current)) {
            if (ansi::EqualsNoCase(entry.path().filename().u8string(), part)) {
                current = entry.path();
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
    }
    return current;
}

std::string CdScan::Relative(const fs::path& path) const
{
    return path.lexically_relative(root_).generic_u8string();
}

void CdScan::Add(const std::string& file, int line, const std::string& message)
{
    if (seen_.insert({file, line, message}).second) findings_.push_back({file, line, message});
}

int CdScan::IniLine(const std::string& section, const std::string& key) const
{
    if (const ProfileText::Key* found = ini_->FindKey(section, key)) return found->line;
    if (const ProfileText::Section* found = ini_->FindSection(section)) return found->line;
    return 0;
}

std::string CdScan::DestDirOf(int section) const
{
    const std::string destDir = settings_.SectionValueAt(SectionKey::DestDir, section);
    return ExpandPlaceholder(destDir, TypicalFolders(destDir));
}

bool CdScan::Load(std::string& error)
{
    std::error_code fsError;
    if (!fs::is_directory(root_, fsError)) {
        error = "not a folder that can be read";
        return false;
    }
    if (std::optional<fs::path> ini = Resolve("SETUP.INI")) {
        iniName_ = Relative(*ini);
        if (!ReadWholeFile(*ini, iniText_)) {
            error = iniName_ + " cannot be read";
            return false;
        }
    } else {
        Add("SETUP.INI", 0, kSetupIniMissingText);
    }
    std::string txtText;
    if (std::optional<fs::path> txt = Resolve("SETUP.TXT")) {
        txtName_ = Relative(*txt);
        txtPresent_ = true;
        if (!ReadWholeFile(*txt, txtText)) {
            error = txtName_ + " cannot be read";
            return false;
        }
    } else {
        Add("SETUP.TXT", 0, kSetupTxtMissingText);
    }
    ini_.emplace(iniText_);
    txt_.emplace(txtText);
    LocatingSink sink(*this);
    auto fileExists = [this](const std::string& name) { return Resolve(name).has_value(); };
    settings_.Load(*ini_, *txt_, sink, fileExists);
    if (!settings_.settingsValid) {
        // Setup checks nothing more then; the compression flags are still wanted for the sizes.
        SilentSink none;
        settings_.Validate(none, fileExists);
    }
    return true;
}

CdReport CdScan::Check()
{
    CdReport report;
    if (!Load(report.error)) {
        report.status = CdStatus::Unreadable;
        return report;
    }
    if (!iniText_.empty() && settings_.iniComplete) {
        for (int s = 0; s < settings_.sectionCount; ++s) {
            CheckSectionFolder(s);
            CheckScript(s);
        }
    }
    if (txtPresent_) CheckTexts();
    if (settings_.iniComplete) CheckUninstallEntries();
    CheckPrograms();
    // SETUP.INI, then SETUP.TXT, each by line; then the other files in the order they were found.
    auto rank = [this](const Finding& f) {
        const int file = f.file == iniName_ ? 0 : f.file == txtName_ ? 1 : 2;
        return std::make_pair(file, file < 2 ? f.line : 0);
    };
    std::stable_sort(findings_.begin(), findings_.end(),
                     [&](const Finding& a, const Finding& b) { return rank(a) < rank(b); });
    report.findings = findings_;
    report.status = findings_.empty() ? CdStatus::Clean : CdStatus::Findings;
    return report;
}

std::map<int, unsigned long long> CdScan::SectionSizes()
{
    std::map<int, unsigned long long> sizes;
    // Straight from the file: setup stops reading SETUP.INI at the first missing key, and the sizes
    // are wanted for every section.
    for (int s = 0; s < settings_.sectionCount; ++s) {
        const std::string section = "Section" + std::to_string(s + 1);
        const std::string codeDir = ini_->Read(section, "CodeDir", kNotSet);
        const std::string destDir = ini_->Read(section, "DestDir", kNotSet);
        if (codeDir == kNotSet || !SourceFolderName(codeDir, "D:\\")) continue;
        const std::optional<fs::path> folder = Resolve(codeDir);
        std::error_code error;
        if (!folder || !fs::is_directory(*folder, error)) continue;
        sizes[s] = WalkTree(*folder, ExpandPlaceholder(destDir, TypicalFolders(destDir)), false);
    }
    return sizes;
}

void CdScan::CheckSectionFolder(int s)
{
    const std::string section = "Section" + std::to_string(s + 1);
    const std::string codeDir = settings_.SectionValueAt(SectionKey::CodeDir, s);
    const int codeDirLine = IniLine(section, "CodeDir");
    // Setup takes CodeDir below the CD's root; one that begins with a backslash is the root's too.
    const std::optional<fs::path> folder = SourceFolderName(codeDir, "D:\\") ? Resolve(codeDir) : std::nullopt;
    std::error_code error;
    if (!folder || !fs::is_directory(*folder, error)) {
        Add(iniName_, codeDirLine,
            FormatText("CodeDir: the folder '%s' does not exist on the CD; setup would stop when it comes to copy "
                       "this section",
                       {codeDir}));
        return;
    }
    if (SortedEntries(*folder).empty()) {
        Add(iniName_, codeDirLine,
            FormatText("CodeDir: the folder '%s' is empty; the section installs nothing", {codeDir}));
        return;
    }

    const unsigned long long size = WalkTree(*folder, DestDirOf(s), true);
    const std::string fileSize = settings_.SectionValueAt(SectionKey::FileSize, s);
    const long long right = RightFileSize(size);
    const int line = IniLine(section, "FileSize");
    if (size > static_cast<unsigned long long>(kLargestFileSize)) {
        Add(iniName_, line,
            FormatText("FileSize: the section's files take %s bytes once installed, more than the largest size setup "
                       "accepts (%s)",
                       {std::to_string(size), std::to_string(kLargestFileSize)}));
    } else if (fileSize != std::to_string(right)) {
        std::string message = FormatText("FileSize is '%s', but the section's files take %s bytes once installed",
                                         {fileSize, std::to_string(size)});
        if (right != static_cast<long long>(size))
            message += FormatText(" and the smallest size setup accepts is %s", {std::to_string(kSmallestFileSize)});
        Add(iniName_, line, message + FormatText(": write FileSize=%s", {std::to_string(right)}));
    }
}

// The installed size of the files below `folder`, which setup copies into `destFolder`; with `report`,
// the paths setup would skip, the names that would clash and the files that do not expand.
unsigned long long CdScan::WalkTree(const fs::path& folder, const std::string& destFolder, bool report)
{
    const InstallPlan plan = InstallPlan::Make(folder, destFolder, settings_.useUnderscores);
    unsigned long long total = 0;
    std::map<std::string, fs::path> installedAt;  // upper-case destination -> what goes there
    for (const InstallPlan::Item& item : plan.installed) {
        if (report) {
            const auto [clash, added] = installedAt.emplace(ansi::ToUpper(item.destPath), item.source);
            if (!added) {
                Add(Relative(item.source), 0,
                    FormatText(
                        "installs as '%s' like '%s' in the same folder: one would replace the other",
                        {item.destPath.substr(item.destPath.rfind('\\') + 1), clash->second.filename().u8string()}));
            }
        }
        if (item.isFolder) continue;
        std::string content;
        if (!ReadWholeFile(item.source, content)) {
            if (report) Add(Relative(item.source), 0, "cannot be read");
            continue;
        }
        if (!settings_.filesCompressed) {
            total += content.size();
            continue;
        }
        const SzddInfo szdd = InspectSzdd(content);
        switch (szdd.state) {
            case SzddState::Valid:
                total += szdd.expandedSize;
                break;
            case SzddState::NotCompressed:
                total += content.size();
                if (report)
                    Add(Relative(item.source), 0,
                        "not a compressed file, but SETUP.INI says FilesCompressed=YES (setup copies it as it is)");
                break;
            case SzddState::Damaged:
                total += szdd.headerSize;
                if (report)
                    Add(Relative(item.source), 0,
                        FormatText("damaged compressed file: its header gives %s bytes, its data expand to %s; setup "
                                   "would not expand it",
                                   {std::to_string(szdd.headerSize), std::to_string(szdd.expandedSize)}));
                break;
        }
    }
    if (report) {
        for (const InstallPlan::Item& item : plan.skipped) {
            Add(Relative(item.source), 0,
                FormatText("setup would skip this %s: installed as '%s' its path has %d characters, and setup "
                           "copies only paths of up to %d",
                           {item.isFolder ? "folder and everything in it" : "file", item.destPath,
                            static_cast<int>(item.destPath.size()), static_cast<int>(kMaxLongPathChars)}));
        }
    }
    return total;
}

void CdScan::CheckScript(int s)
{
    const std::string commandFile = settings_.SectionValueAt(SectionKey::CommandFile, s);
    if (commandFile.empty() || commandFile == "NULL") return;
    const std::optional<fs::path> path = Resolve(commandFile);
    std::error_code error;
    if (!path || fs::is_directory(*path, error)) return;  // validation has reported it
    const std::string file = Relative(*path);
    std::string text;
    if (!ReadWholeFile(*path, text)) {
        Add(file, 0, "cannot be read");
        return;
    }

    // Line numbers as an editor counts them: CR LF, a lone CR and a lone LF each end a line.
    std::vector<size_t> lineStarts{0};
    int loneLineFeed = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        else if (text[i] == '\n' && !loneLineFeed)
            loneLineFeed = static_cast<int>(lineStarts.size());
        if (text[i] == '\r' || text[i] == '\n') lineStarts.push_back(i + 1);
    }
    auto lineOf = [&](size_t offset) {
        return static_cast<int>(std::upper_bound(lineStarts.begin(), lineStarts.end(), offset) - lineStarts.begin());
    };
    if (loneLineFeed) {
        Add(file, loneLineFeed,
            "this line ends with a line feed alone: setup reads everything up to the next carriage return as one "
            "line (save the script with CR LF line ends)");
    }

    const PlaceholderValues folders = TypicalFolders(DestDirOf(s));
    ForEachScriptLine(text, [&](std::string_view line) {
        const int number = lineOf(static_cast<size_t>(line.data() - text.data()));
        ScriptFieldTable fields;
        switch (CutScriptLine(line, fields)) {
            case LineCut::TooLong:
                Add(file, number,
                    FormatText("the line has %d characters; setup refuses lines of more than %d",
                               {static_cast<int>(line.size()), static_cast<int>(kScriptLineLimit)}));
                return;
            case LineCut::TooManyFields:
                Add(file, number,
                    FormatText("the line has more than %d fields; setup refuses it", {kScriptFieldCount}));
                return;
            case LineCut::Cut:
                break;
        }
        if (fields[0].empty()) {
            Add(file, number, "the line begins with a blank; setup ignores it");
            return;
        }
        const ScriptCommand command = ParseCommandWord(fields[0]);
        const auto rule = std::find_if(std::begin(kCommandRules), std::end(kCommandRules),
                                       [&](const CommandRule& r) { return r.command == command; });
        if (rule == std::end(kCommandRules)) {
            Add(file, number, FormatText("unknown command '%s'; setup ignores the line", {fields[0]}));
            return;
        }
        int count = 0;
        for (int i = 0; i < kScriptFieldCount; ++i)
            if (!fields[i].empty()) count = i + 1;
        const int args = count - 1;
        if (args < rule->minArgs || args > rule->maxArgs) {
            const std::string wanted = rule->minArgs == rule->maxArgs
                                           ? std::to_string(rule->minArgs)
                                           : std::to_string(rule->minArgs) + " to " + std::to_string(rule->maxArgs);
            Add(file, number,
                FormatText("%s takes %s argument(s) (%s), but the line gives %d%s",
                           {rule->word, wanted, rule->arguments, args,
                            args > rule->maxArgs ? "; setup ignores the rest" : ""}));
        }
        for (int i = 0; i < count; ++i) {
            if (!IsKnownPlaceholder(fields[i])) {
                const size_t close = fields[i].find('%', 1);
                Add(file, number,
                    FormatText("unknown placeholder '%s'; setup writes it as it stands",
                               {fields[i].substr(0, close == std::string::npos ? std::string::npos : close + 1)}));
            }
        }
        ScriptFieldTable expanded = fields;
        for (int i = 0; i < count; ++i)
            expanded[i] = ExpandPlaceholder(fields[i], folders);
        for (int i : rule->pathFields) {
            if (expanded[i].size() > kMaxLongPathChars) {
                Add(file, number,
                    FormatText(
                        "field %d is %d characters long once expanded; %s ignores paths of more than %d "
                        "characters",
                        {i, static_cast<int>(expanded[i].size()), rule->word, static_cast<int>(kMaxLongPathChars)}));
            }
        }
        if (command == ScriptCommand::CreateShortcut) {
            for (int i = 1; i <= 2; ++i) {
                if (expanded[i].size() > kShortcutPathLimit)
                    Add(file, number,
                        FormatText("field %d is longer than %d characters once expanded; the shortcut is not made",
                                   {i, static_cast<int>(kShortcutPathLimit)}));
            }
        }
        if (command == ScriptCommand::Run && !BuildRunCommandLine(expanded))
            Add(file, number, "RUN's command line would be longer than 1023 characters; setup does not start it");
    });
}

void CdScan::CheckTexts()
{
    const ProfileText::Section* section = txt_->FindSection("SetupText");
    if (!section) {
        Add(txtName_, 0, "there is no [SetupText] section: every title, message and button of setup would be empty");
        return;
    }
    for (int i = 0; i < kUsedTexts; ++i) {
        const char* name = TextKeyName(static_cast<TextId>(i));
        const ProfileText::Key* key = txt_->FindKey("SetupText", name);
        if (!key || !key->hasValue) {
            Add(txtName_, section->line, FormatText("the key %s is missing: setup shows an empty text", {name}));
        } else if (key->value == kNotSet) {
            Add(txtName_, key->line, FormatText("%s=Error reads as not set: setup shows an empty text", {name}));
        }
    }
    for (int i = 0; i < kUsedTexts; ++i) {
        const auto id = static_cast<TextId>(i);
        const ProfileText::Key* key = txt_->FindKey("SetupText", TextKeyName(id));
        if (!key || !key->hasValue) continue;
        const std::string found = Conversions(settings_.GetText(id));
        const auto use = std::find_if(std::begin(kFormattedTexts), std::end(kFormattedTexts),
                                      [&](const TextUse& u) { return u.id == id; });
        if (use == std::end(kFormattedTexts)) {
            if (!found.empty())
                Add(txtName_, key->line,
                    FormatText("%s is shown as written: its %%%c would appear as it stands",
                               {TextKeyName(id), found[0]}));
            continue;
        }
        const std::string wanted = use->conversions;
        for (size_t n = 0; n < found.size(); ++n) {
            if (n >= wanted.size() || found[n] != wanted[n]) {
                Add(txtName_, key->line,
                    FormatText(
                        "%s: setup fills in %s (%s); the text's conversion %d, %%%c, does not fit and would "
                        "appear as it stands",
                        {TextKeyName(id),
                         "%" + std::string(1, wanted[0]) + (wanted.size() > 1 ? ", %" + std::string(1, wanted[1]) : ""),
                         use->what, static_cast<int>(n + 1), found[n]}));
                break;
            }
        }
    }
}

void CdScan::CheckUninstallEntries()
{
    // Two sections of one product name are among setup's own SETUP.INI findings.
    const PlaceholderValues typical = TypicalFolders("");
    for (int s = 0; s < settings_.sectionCount; ++s) {
        if (!IsTrueValue(settings_.SectionValueAt(SectionKey::Uninstall, s))) continue;
        const std::string section = "Section" + std::to_string(s + 1);
        const std::string name = settings_.SectionValueAt(SectionKey::ProductName, s);
        const int line = IniLine(section, "ProductName");
        UninstallEntrySource source;
        source.uninstallerPath = UninstallerTargetPath(typical.windows);
        source.destDir = DestDirOf(s);
        source.productName = name;
        source.uninstallText = settings_.GetText(TextId::UninstallText);
        source.problemText = settings_.GetText(TextId::UninstallProblemText);
        source.fileSize = settings_.SectionValueAt(SectionKey::FileSize, s);
        source.publisher = settings_.OptionalSetupValue(SetupKey::Publisher);
        source.version = settings_.OptionalSetupValue(SetupKey::Version);
        source.aboutLink = settings_.OptionalSetupValue(SetupKey::URLInfoAbout);
        source.helpLink = settings_.OptionalSetupValue(SetupKey::HelpLink);
        // ShortcutLocation as the shortcut step leaves it for the entry: the shortcut's path, or the word.
        SpecialFolderTable folders;
        folders.Set(SpecialFolder::Desktop, typical.desktop);
        folders.Set(SpecialFolder::MyDocuments, typical.myDocuments);
        folders.Set(SpecialFolder::Favorites, typical.favorites);
        const std::string location = settings_.SectionValueAt(SectionKey::ShortcutLocation, s);
        const std::string shortcut =
            SectionShortcutPath(location, settings_.SectionValueAt(SectionKey::ShortcutName, s), folders);
        source.shortcutLocation = shortcut.empty() ? location : shortcut;
        const auto entry = BuildUninstallEntry(source);
        if (const auto* refusal = std::get_if<EntryRefusal>(&entry))
            Add(iniName_, line, "setup would not register this section for removal: " + refusal->message);
    }
}

void CdScan::CheckPrograms()
{
    if (!Resolve("setup.exe"))
        Add("setup.exe", 0, "missing from the CD's root folder: the reader has no installer to start");
    if (!Resolve(kUninstallerFileName))
        Add(kUninstallerFileName, 0,
            "missing from the CD's root folder: setup cannot copy the uninstaller, and the sections it registers "
            "cannot be removed");
}

}  // namespace

CdReport CheckCd(const fs::path& root)
{
    return CdScan(root).Check();
}

SizeFixReport FixFileSizes(const fs::path& root)
{
    SizeFixReport report;
    CdScan scan(root);
    if (!scan.Load(report.error) || scan.IniText().empty()) {
        if (report.error.empty()) report.error = "SETUP.INI is missing or empty";
        report.status = CdStatus::Unreadable;
        return report;
    }
    struct Edit {
        size_t begin;
        size_t end;
        std::string text;
    };
    std::vector<Edit> edits;
    const ProfileText& ini = scan.Ini();
    const std::string& text = scan.IniText();
    for (const auto& [s, size] : scan.SectionSizes()) {
        const std::string section = "Section" + std::to_string(s + 1);
        const std::string value = std::to_string(RightFileSize(size));
        const ProfileText::Key* key = ini.FindKey(section, "FileSize");
        if (key && key->hasValue) {
            if (key->value == value) continue;
            edits.push_back({key->valueBegin, key->valueEnd, value});
            report.fixes.push_back({key->line, key->value, value});
        } else if (const ProfileText::Section* header = ini.FindSection(section)) {
            const size_t at = header->bodyBegin;
            const bool needBreak = at == text.size() && !text.empty() && text.back() != '\n' && text.back() != '\r';
            edits.push_back({at, at, (needBreak ? ini.LineBreak() : "") + "FileSize=" + value + ini.LineBreak()});
            report.fixes.push_back({header->line + 1, "", value});
        }
    }
    if (edits.empty()) return report;
    std::string fixed = text;
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin > b.begin; });
    for (const Edit& edit : edits)
        fixed.replace(edit.begin, edit.end - edit.begin, edit.text);
    std::ofstream out(root / scan.IniName(), std::ios::binary | std::ios::trunc);
    out << fixed;
    out.close();
    if (!out) {
        report.status = CdStatus::Unreadable;
        report.error = scan.IniName() + " cannot be written";
    }
    return report;
}

std::optional<std::string> ReadSetupIniValue(const fs::path& root, const std::string& section, const std::string& key)
{
    CdScan scan(root);
    std::string error;
    if (!scan.Load(error) || scan.IniText().empty()) return std::nullopt;
    return scan.Ini().Read(section, key, kNotSet);
}

std::string FormatFinding(const std::string& root, const Finding& finding)
{
    // A folder given the Windows way gets its file names the Windows way.
    const char separator = root.find('\\') != std::string::npos && root.find('/') == std::string::npos ? '\\' : '/';
    std::string file = finding.file;
    std::replace(file.begin(), file.end(), '/', separator);
    std::string place = root.empty() || root.back() == separator ? root + file : root + separator + file;
    if (finding.line > 0) place += ":" + std::to_string(finding.line);
    return place + ": " + finding.message;
}
