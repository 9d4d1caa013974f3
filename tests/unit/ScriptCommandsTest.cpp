#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/PathText.h"
#include "scripts/ScriptCommands.h"

namespace {

// A file system of names and versions; every effect is logged as text.
class FakePlatform : public ScriptPlatform {
public:
    std::set<std::string> files;
    std::map<std::string, FileVersion> versions;
    std::map<std::string, unsigned> attributes;
    std::set<std::string> onSearchPath;
    std::map<std::string, unsigned long> copyErrors;    // by destination
    std::map<std::string, unsigned long> renameErrors;  // by destination
    std::string asked;                                  // the path whose existence was asked last
    std::vector<std::string> failures;
    bool ntFamily = true;
    int moveFailuresLeft = 0;
    std::vector<bool> retryAnswers;
    RunResult runResult = RunResult::Ended;
    std::vector<std::string> log;
    std::vector<std::string> messages;

    bool PathExists(const std::string& path) override
    {
        asked = path;
        return files.count(path) != 0;
    }
    // The safe write (tested on its own) copies into its temporary file; the copy is logged and fails
    // for the file it is for, the one whose existence was asked last.
    unsigned long CopyOneFile(const std::string& source, const std::string& target) override
    {
        const std::string destination = SplitPath(target).name == "~setup-partial" ? asked : target;
        log.push_back("copy " + source + " > " + destination);
        auto it = copyErrors.find(destination);
        return it == copyErrors.end() ? 0 : it->second;
    }
    unsigned long RenameFile(const std::string&, const std::string& to, bool) override
    {
        auto it = renameErrors.find(to);
        return it == renameErrors.end() ? 0 : it->second;
    }
    void RemoveFile(const std::string&) override {}
    FileVersion ReadFileVersion(const std::string& path) override
    {
        auto it = versions.find(path);
        return it == versions.end() ? FileVersion{} : it->second;
    }
    bool IsNtFamily() override { return ntFamily; }
    bool FoundOnSearchPath(const std::string& name, const std::string& extension) override
    {
        log.push_back("search " + name + " | " + extension);
        return onSearchPath.count(name + extension) != 0;
    }
    void DeleteOneFile(const std::string& path) override { log.push_back("delete " + path); }
    unsigned long MoveOneFile(const std::string& from, const std::string& to) override
    {
        log.push_back("move");
        if (moveFailuresLeft == 0) return 0;
        --moveFailuresLeft;
        return 32;
    }
    void Pause(unsigned milliseconds) override { log.push_back("pause " + std::to_string(milliseconds)); }
    std::string ErrorText(unsigned long code) override { return "error " + std::to_string(code); }
    void CreateDirectoryPath(const std::string& path) override { log.push_back("md " + path); }
    void CreateShortcut(const std::string& target, const std::string& linkPath) override
    {
        log.push_back("shortcut " + target + " > " + linkPath);
    }
    void UseSharedFile(const std::string& path, bool created) override
    {
        uses.push_back((created ? "new " : "") + path);
    }
    std::vector<std::string> uses;  // COPY's destinations in place, counted
    RunResult RunProgram(const std::string& program, const std::string& commandLine, unsigned long& errorCode) override
    {
        log.push_back("run " + program + " [" + commandLine + "]");
        errorCode = 2;
        return runResult;
    }
    std::optional<unsigned> GetAttributes(const std::string& path) override
    {
        auto it = attributes.find(path);
        if (it == attributes.end()) return std::nullopt;
        return it->second;
    }
    void SetAttributes(const std::string& path, unsigned value) override
    {
        log.push_back("attrib " + path + " " + std::to_string(value));
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ReportFailure(const std::string& text) override { failures.push_back(text); }
    bool AskRetry(const std::string& text) override
    {
        messages.push_back(text);
        log.push_back("ask");
        bool answer = !retryAnswers.empty() && retryAnswers.front();
        if (!retryAnswers.empty()) retryAnswers.erase(retryAnswers.begin());
        return answer;
    }
};

ScriptFieldTable Line(std::vector<std::string> fields)
{
    ScriptFieldTable table;
    for (size_t i = 0; i < fields.size(); ++i)
        table[i] = fields[i];
    return table;
}

void Execute(FakePlatform& platform, std::vector<std::string> fields)
{
    ScriptFieldTable table = Line(std::move(fields));
    ExecuteScriptCommand(table, platform);
}

}  // namespace

TEST(ScriptFileVersion, ParsesTheFileVersionText)
{
    const struct {
        std::string text;
        FileVersion version;
    } cases[] = {
        {"4.00.2600.1", {4, 0, 2600}},
        {"5.1", {5, 1, 0}},
        {"5", {5, 0, 0}},
        {"1, 0, 0, 1", {1, 0, 0}},
        {"2,7,1,0", {2, 7, 1}},
        {"3, 12", {3, 12, 0}},
        {"6.1.7601.17514 (win7sp1_rtm.101119-1850)", {6, 1, 7601}},
        {"4.1.3 (build)", {4, 1, 3}},
        {" 6 . 2 . 9", {6, 2, 9}},
        {"v.x.y", {0, 0, 0}},
        {"beta", {0, 0, 0}},
        {"", {0, 0, 0}},
        {"99999999999999999999.1.2", {2147483647, 1, 2}},
        // Only the first 255 characters are read: the separators beyond them do not count.
        {std::string(254, '0') + "7.1.1", {7, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseFileVersionText(c.text), c.version) << c.text;
}

TEST(ScriptFileVersion, ComparedFieldByField)
{
    EXPECT_LT((FileVersion{4, 0, 0}), (FileVersion{4, 1, 0}));
    EXPECT_LT((FileVersion{4, 1, 2}), (FileVersion{4, 1, 3}));
    EXPECT_LT((FileVersion{3, 9, 9}), (FileVersion{4, 0, 0}));
    EXPECT_FALSE((FileVersion{4, 1, 0}) < (FileVersion{4, 1, 0}));
    EXPECT_FALSE((FileVersion{5, 0, 0}) < (FileVersion{4, 9, 9}));
}

TEST(ScriptSplitPath, DriveFolderNameExtension)
{
    PathParts p = SplitPath("D:\\Rel.2\\Read.me.txt");
    EXPECT_EQ(p.drive, "D:");
    EXPECT_EQ(p.folder, "\\Rel.2\\");
    EXPECT_EQ(p.name, "Read.me");
    EXPECT_EQ(p.extension, ".txt");
    p = SplitPath("x.txt");
    EXPECT_EQ(p.drive, "");
    EXPECT_EQ(p.folder, "");
    p = SplitPath("\\\\server\\share\\x.txt");
    EXPECT_EQ(p.drive, "");
    EXPECT_EQ(p.folder, "\\\\server\\share\\");
    p = SplitPath("C:/Demo/x");
    EXPECT_EQ(p.folder, "/Demo/");
    EXPECT_EQ(p.name, "x");
    EXPECT_EQ(p.extension, "");
}

TEST(ScriptCopy, RefusedPathsGiveTheirMessages)
{
    FakePlatform p;
    Execute(p, {"COPY", "D:\\Readme", "C:\\Demo"});
    Execute(p, {"COPY", "x.txt", "C:\\Demo"});
    Execute(p, {"copy", "\\Demo\\x.txt", "C:\\Demo"});
    Execute(p, {"COPY", "D:x.txt", "C:\\Demo"});
    ASSERT_EQ(p.messages.size(), 4u);
    EXPECT_EQ(p.messages[0], "'D:\\Readme' is an illegal filename. (The filename _must_ have an extension.)");
    EXPECT_EQ(p.messages[1], "You must specify a source and destination drive. ('COPY    x.txt    C:\\Demo')");
    EXPECT_EQ(p.messages[2], "You must specify a source and destination drive. ('copy    \\Demo\\x.txt    C:\\Demo')");
    EXPECT_EQ(p.messages[3], "You must specify a source and destination path. ('COPY    D:x.txt    C:\\Demo')");
    EXPECT_TRUE(p.log.empty());
}

TEST(ScriptCopy, FolderDestinationsAreCompletedAndMissingSourcesReported)
{
    FakePlatform p;
    p.files = {"D:\\x.txt", "D:\\Rel.2\\Readme"};
    ScriptFieldTable table = Line({"COPY", "D:\\x.txt", "C:\\Demo"});
    ExecuteScriptCommand(table, p);
    EXPECT_EQ(table[2], "C:\\Demo\\x.txt");
    Execute(p, {"COPY", "D:\\x.txt", "C:\\Demo\\y.txt"});
    Execute(p, {"COPY", "D:\\x.txt", "C:\\Demo\\"});
    Execute(p, {"COPY", "D:\\Rel.2\\Readme", "C:\\Demo"});
    EXPECT_EQ(p.log, (std::vector<std::string>{"copy D:\\x.txt > C:\\Demo\\x.txt", "copy D:\\x.txt > C:\\Demo\\y.txt",
                                               "copy D:\\x.txt > C:\\Demo\\\\x.txt",
                                               "copy D:\\Rel.2\\Readme > C:\\Demo\\Readme"}));
    EXPECT_EQ(p.uses, (std::vector<std::string>{"new C:\\Demo\\x.txt", "new C:\\Demo\\y.txt", "new C:\\Demo\\\\x.txt",
                                                "new C:\\Demo\\Readme"}));
    Execute(p, {"COPY", "D:\\gone.txt", "C:\\Demo"});
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0],
              "The file D:\\gone.txt does not exist. (Script command 'COPY    D:\\gone.txt    C:\\Demo\\gone.txt')");
}

TEST(ScriptCopy, ExistingDestinationsOnlyReplacedByHigherVersions)
{
    FakePlatform p;
    p.files = {"D:\\new.dll", "C:\\old.dll", "C:\\same.dll", "C:\\text.txt", "C:\\third.dll"};
    p.versions = {{"D:\\new.dll", {4, 1, 3}},
                  {"C:\\old.dll", {4, 0, 0}},
                  {"C:\\same.dll", {4, 1, 3}},
                  {"C:\\third.dll", {4, 1, 2}}};
    Execute(p, {"COPY", "D:\\new.dll", "C:\\old.dll"});
    Execute(p, {"COPY", "D:\\new.dll", "C:\\same.dll"});
    Execute(p, {"COPY", "D:\\new.dll", "C:\\third.dll"});
    EXPECT_EQ(p.log, (std::vector<std::string>{"copy D:\\new.dll > C:\\old.dll", "copy D:\\new.dll > C:\\third.dll"}));
    // Replaced or kept as newer, each destination is in use by the book; none was new.
    EXPECT_EQ(p.uses, (std::vector<std::string>{"C:\\old.dll", "C:\\same.dll", "C:\\third.dll"}));
    p.log.clear();
    // Two files without versions (0.0.0 each) are equal: nothing is copied.
    p.files.insert("D:\\text.txt");
    Execute(p, {"COPY", "D:\\text.txt", "C:\\text.txt"});
    EXPECT_TRUE(p.log.empty());
    EXPECT_TRUE(p.messages.empty());
}

TEST(ScriptCopy, ReplacementClearsAttributesAndAFailureIsReportedByName)
{
    FakePlatform p;
    p.files = {"D:\\new.dll", "C:\\ro.dll", "C:\\locked.dll"};
    p.versions = {{"D:\\new.dll", {2, 0, 0}}};
    p.attributes = {{"C:\\ro.dll", kAttributeReadOnly | kAttributeHidden | kAttributeArchive},
                    {"C:\\locked.dll", kAttributeSystem}};
    p.renameErrors = {{"C:\\locked.dll", 32}};
    p.copyErrors = {{"C:\\fresh.dll", 5}};
    Execute(p, {"COPY", "D:\\new.dll", "C:\\ro.dll"});
    Execute(p, {"COPY", "D:\\new.dll", "C:\\locked.dll"});
    Execute(p, {"COPY", "D:\\new.dll", "C:\\fresh.dll"});
    const std::string tooLong = "C:\\" + std::string(kMaxLongPathChars - 6, 'l') + ".dll";  // beyond the limit
    Execute(p, {"COPY", "D:\\new.dll", tooLong});
    // The new content is written first; the old file's attributes are cleared only to put it in place.
    EXPECT_EQ(p.log, (std::vector<std::string>{"copy D:\\new.dll > C:\\ro.dll", "attrib C:\\ro.dll 32",
                                               "copy D:\\new.dll > C:\\locked.dll", "attrib C:\\locked.dll 128",
                                               "attrib C:\\locked.dll 4", "copy D:\\new.dll > C:\\fresh.dll"}));
    // A file left in place and a new file not written are both named with the system's reason.
    EXPECT_EQ(p.failures,
              (std::vector<std::string>{"error 32\nI can't replace \"C:\\locked.dll\" with \"D:\\new.dll\". "
                                        "(Script command 'COPY    D:\\new.dll    C:\\locked.dll')",
                                        "error 5\nI can't copy \"D:\\new.dll\" to \"C:\\fresh.dll\". "
                                        "(Script command 'COPY    D:\\new.dll    C:\\fresh.dll')",
                                        "error 206\nI can't copy \"D:\\new.dll\" to \"" + tooLong +
                                            "\". (Script command 'COPY    D:\\new.dll    " + tooLong + "')"}));
    EXPECT_TRUE(p.messages.empty());
}

TEST(ScriptCopy, OverlongPathsAreNotCopied)
{
    FakePlatform p;
    const std::string longFolder = "C:\\" + std::string(kMaxLongPathChars - 9, 'f');
    p.files = {"D:\\x.txt"};
    Execute(p, {"COPY", "D:\\x.txt", longFolder + "\\longer"});
    EXPECT_TRUE(p.log.empty());
}

TEST(ScriptCopy, NtOnlyAndNotInPath)
{
    FakePlatform p;
    p.files = {"D:\\a.dll"};
    p.ntFamily = false;
    Execute(p, {"COPYNTONLY", "D:\\a.dll", "C:\\Sys"});
    EXPECT_TRUE(p.log.empty());
    EXPECT_TRUE(p.messages.empty());
    p.ntFamily = true;
    Execute(p, {"CopyNtOnly", "D:\\a.dll", "C:\\Sys"});
    EXPECT_EQ(p.log, std::vector<std::string>{"copy D:\\a.dll > C:\\Sys\\a.dll"});

    p.log.clear();
    p.onSearchPath = {"present.dll"};
    Execute(p, {"COPYFILEIFNOTINPATH", "present.dll", "D:\\a.dll", "C:\\Sys"});
    Execute(p, {"COPYFILEIFNOTINPATH", "absent.x.dll", "D:\\a.dll", "C:\\Sys"});
    Execute(p, {"COPYFILEIFNOTINPATH", "noext", "D:\\a.dll", "C:\\Sys\\b.dll"});
    EXPECT_EQ(p.log, (std::vector<std::string>{"search present | .dll", "search absent.x | .dll",
                                               "copy D:\\a.dll > C:\\Sys\\a.dll", "search noext | .",
                                               "copy D:\\a.dll > C:\\Sys\\b.dll"}));
}

TEST(ScriptDelMd, QuietCommands)
{
    FakePlatform p;
    p.files = {"C:\\x.txt"};
    Execute(p, {"DEL", "C:\\x.txt"});
    Execute(p, {"del", "C:\\gone.txt"});
    Execute(p, {"MD", "C:\\a\\b\\c"});
    Execute(p, {"DELETE", "C:\\x.txt"});
    Execute(p, {"COPYFILE", "C:\\x.txt", "C:\\y.txt"});
    EXPECT_EQ(p.log, (std::vector<std::string>{"delete C:\\x.txt", "md C:\\a\\b\\c"}));
    EXPECT_TRUE(p.messages.empty());
}

TEST(ScriptRename, MissingFileGivesOneMessageWithoutRetries)
{
    FakePlatform p;
    Execute(p, {"RENAME", "C:\\gone.txt", "C:\\new.txt"});
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], "Batch file error. The file 'C:\\gone.txt' does not exists; I can't rename it.");
    EXPECT_TRUE(p.log.empty());
}

TEST(ScriptRename, ElevenSilentAttemptsThenOneAttemptPerRetry)
{
    FakePlatform p;
    p.files = {"C:\\a.txt"};
    p.moveFailuresLeft = 12;
    p.retryAnswers = {true, true};
    Execute(p, {"RENAME", "C:\\a.txt", "C:\\b.txt"});

    std::vector<std::string> expected;
    for (int i = 0; i < 11; ++i)
        expected.insert(expected.end(), {"move", "pause 2000"});
    expected.insert(expected.end(), {"ask", "move", "pause 2000", "ask", "move"});
    EXPECT_EQ(p.log, expected);
    ASSERT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(p.messages[0],
              "error 32\nI can't rename \"C:\\a.txt\" as \"C:\\b.txt\". (Retry this operation at least once. If the "
              "operation continues to fail another process might have opened the file.)");
}

TEST(ScriptRename, CancelStops)
{
    FakePlatform p;
    p.files = {"C:\\a.txt"};
    p.moveFailuresLeft = 1000;
    p.retryAnswers = {false};
    Execute(p, {"RENAME", "C:\\a.txt", "C:\\b.txt"});
    EXPECT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(std::count(p.log.begin(), p.log.end(), "move"), 11);
}

TEST(ScriptRun, CommandLineOfTheArguments)
{
    EXPECT_EQ(BuildRunCommandLine(Line({"RUN", "p.exe", "a", "b c"})), std::optional<std::string>("  a  \"b c\" "));
    EXPECT_EQ(BuildRunCommandLine(Line({"RUN", "p.exe", "x", "a b", "", "y"})),
              std::optional<std::string>("  x  \"a b\" "));
    EXPECT_EQ(BuildRunCommandLine(Line({"RUN", "p.exe"})), std::optional<std::string>(" "));
    EXPECT_EQ(BuildRunCommandLine(Line({"RUN", "p.exe", "1", "2", "3", "4", "5", "6", "7", "8"})),
              std::optional<std::string>("  1  2  3  4  5  6  7  8 "));
    const std::string wide(300, 'w');
    EXPECT_FALSE(BuildRunCommandLine(Line({"RUN", "p.exe", wide, wide, wide, wide})));
}

TEST(ScriptRun, MissingUnstartableAndWaitFailure)
{
    FakePlatform p;
    Execute(p, {"RUN", "C:\\gone.exe", "a"});
    p.files = {"C:\\p.exe"};
    Execute(p, {"run", "C:\\p.exe", "a", "b c"});
    p.runResult = ScriptPlatform::RunResult::NotStarted;
    Execute(p, {"RUN", "C:\\p.exe"});
    p.runResult = ScriptPlatform::RunResult::WaitFailed;
    Execute(p, {"RUN", "C:\\p.exe"});
    EXPECT_EQ(p.log,
              (std::vector<std::string>{"run C:\\p.exe [  a  \"b c\" ]", "run C:\\p.exe [ ]", "run C:\\p.exe [ ]"}));
    EXPECT_EQ(p.messages,
              (std::vector<std::string>{"Batch file error. The file 'C:\\gone.exe' does not exists; I can't run it.",
                                        "error 2\nBatch file error. The program 'C:\\p.exe' could not be started.",
                                        "The call to WaitForSingleObject for C:\\p.exe failed."}));
}

TEST(ScriptAttrib, FlagsInOrderAndOnlySettableBits)
{
    EXPECT_EQ(ApplyAttribFlags(kAttributeReadOnly | kAttributeArchive, Line({"ATTRIB", "f", "-R", "+H"})),
              kAttributeHidden | kAttributeArchive);
    EXPECT_EQ(ApplyAttribFlags(kAttributeArchive, Line({"ATTRIB", "f", "+r", "-r"})), kAttributeArchive);
    EXPECT_EQ(ApplyAttribFlags(0, Line({"ATTRIB", "f", "+S", "+X", "R", "", "+H"})), kAttributeSystem);
    EXPECT_EQ(ApplyAttribFlags(kAttributeArchive, Line({"ATTRIB", "f", "-A"})), kAttributeNormal);
    // The normal and directory bits are not the caller's to write back.
    EXPECT_EQ(ApplyAttribFlags(kAttributeNormal | 0x10, Line({"ATTRIB", "f", "+A"})), kAttributeArchive);

    FakePlatform p;
    Execute(p, {"ATTRIB", "C:\\gone.txt", "+R"});
    p.files = {"C:\\f.txt"};
    p.attributes = {{"C:\\f.txt", kAttributeReadOnly}};
    Execute(p, {"attrib", "C:\\f.txt", "-R", "+H"});
    EXPECT_EQ(p.log, std::vector<std::string>{"attrib C:\\f.txt 2"});
    EXPECT_TRUE(p.messages.empty());
}

TEST(ScriptShortcuts, TargetsAndLinkNames)
{
    EXPECT_EQ(ShortcutTargetFolder("C:\\Demo\\Code\\.."), "C:\\Demo");
    EXPECT_EQ(ShortcutTargetFolder("C:\\.."), "");
    EXPECT_EQ(ShortcutTargetFolder(".."), "..");
    EXPECT_EQ(ShortcutTargetFolder("\\.."), "");
    EXPECT_EQ(ShortcutTargetFolder("C:\\Demo\\x.exe"), "C:\\Demo\\x.exe");

    FakePlatform p;
    Execute(p, {"CREATESHORTCUT", "", "C:\\x"});
    Execute(p, {"CreateShortcut", "C:\\Demo\\Code\\.."});
    Execute(p, {"CREATESHORTCUT", "C:\\Demo", "C:\\Links\\Demo"});
    EXPECT_EQ(p.log, (std::vector<std::string>{"shortcut C:\\Demo\\Code\\.. > Default Shortcut.Lnk",
                                               "shortcut C:\\Demo > C:\\Links\\Demo.Lnk"}));
}

TEST(ScriptShortcuts, SectionShortcutPath)
{
    SpecialFolderTable folders;
    folders.Set(SpecialFolder::Desktop, "C:\\Users\\me\\Desktop");
    folders.Set(SpecialFolder::Favorites, "C:\\Users\\me\\Favorites");
    EXPECT_EQ(SectionShortcutPath("Desktop", "My Book", folders), "C:\\Users\\me\\Desktop\\My Book.Lnk");
    EXPECT_EQ(SectionShortcutPath("desktop", "My Book", folders), "C:\\Users\\me\\Desktop\\My Book.Lnk");
    EXPECT_EQ(SectionShortcutPath("FAVORITES", "B", folders), "C:\\Users\\me\\Favorites\\B.Lnk");
    // No folder known for My Documents on this system: no shortcut rather than \B.Lnk.
    EXPECT_EQ(SectionShortcutPath("My Documents", "B", folders), "");
    EXPECT_EQ(SectionShortcutPath("NULL", "B", folders), "");
    EXPECT_EQ(SectionShortcutPath("Start Menu", "B", folders), "");
}

TEST(ScriptText, WholeScriptRunsEveryLineWhateverFails)
{
    FakePlatform p;
    p.files = {"D:\\x.txt", "E:\\Demo\\old.txt"};
    PlaceholderValues values;
    values.destDir = "E:\\Demo";
    values.startDir = "D:\\";
    ScriptFieldTable fields;
    RunScriptText(
        "copy %STARTDIR%\\x.txt %INSTALLPATH%\r\n  DEL E:\\Demo\\old.txt\r\nRENAME D:\\gone.txt "
        "b.txt\rDEL %INSTALLPATH%\\old.txt\r\n\r\nMD \"%INSTALLPATH%\\Sub Folder\"",
        fields, values, p);
    EXPECT_EQ(p.log, (std::vector<std::string>{"copy D:\\x.txt > E:\\Demo\\x.txt", "delete E:\\Demo\\old.txt",
                                               "md E:\\Demo\\Sub Folder"}));
    EXPECT_EQ(p.messages.size(), 1u);
}

TEST(ScriptCommands, APathBeyondTheLimitIsReportedAndTheCommandNotCarriedOut)
{
    // Beyond the system's limit; 260 characters and more are reached in the long form.
    const std::string tooLong = "C:\\" + std::string(kMaxLongPathChars - 6, 'l') + ".txt";
    const std::vector<std::vector<std::string>> commands = {{"DEL", tooLong},
                                                            {"RENAME", tooLong, "C:\\b.txt"},
                                                            {"RENAME", "C:\\a.txt", tooLong},
                                                            {"ATTRIB", tooLong, "+R"},
                                                            {"MD", tooLong}};
    for (const auto& command : commands) {
        FakePlatform p;
        p.files = {"C:\\a.txt", tooLong};
        Execute(p, command);
        std::string text;
        for (const std::string& field : command)
            text += (text.empty() ? "" : "    ") + field;
        EXPECT_TRUE(p.log.empty()) << text;
        EXPECT_EQ(p.failures, std::vector<std::string>{"error 206\nI can't use \"" + tooLong + "\". (Script command '" +
                                                       text + "')"});
    }
}
