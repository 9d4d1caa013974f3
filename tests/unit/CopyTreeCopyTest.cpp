#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "copy/ExpandAhead.h"
#include "copy/TreeCopy.h"
#include "framework/PathText.h"

namespace {
// An in-memory CD (folders by their path below the section folder, "" is the section folder) and a
// destination that remembers what was created, copied and asked.
class FakeHost : public TreeCopyHost, public FolderWalker {
public:
    std::map<std::string, std::vector<FoundEntry>> cd;
    std::set<std::string> unenterable;
    std::map<std::string, ExistingFile> existing;  // destination files the enumeration finds
    std::set<std::string> reportedPresent;         // present for the existence test only
    std::deque<ReplaceAnswer> answers;
    std::deque<bool> exitAnswers;
    std::set<std::string> failingExpansions;            // by name on the CD: no system reason
    std::map<std::string, unsigned> attributes;         // of destination files
    std::map<std::string, unsigned long> writeErrors;   // by destination path
    std::map<std::string, unsigned long> renameErrors;  // by destination path
    std::string shown;                                  // the destination last shown
    int stopAfterEntries = -1;
    bool foldersAreNew = false;  // CreateFolder reports every folder as made now
    bool inPlace = false;        // new files are written in place
    std::function<void()> onCopy;

    std::vector<std::string> log;  // what happened, in order
    std::vector<std::string> folder;

    std::string Current() const
    {
        std::string path;
        for (const auto& f : folder)
            path += (path.empty() ? "" : "\\") + f;
        return path;
    }

    class Enumeration : public FolderEnumeration {
    public:
        explicit Enumeration(std::vector<FoundEntry> e) : entries(std::move(e)) {}
        bool Next(FoundEntry& entry) override
        {
            if (index >= entries.size()) return false;
            entry = entries[index++];
            return true;
        }
        std::vector<FoundEntry> entries;
        size_t index = 0;
    };

    std::unique_ptr<FolderEnumeration> EnumerateCurrentFolder() override
    {
        auto it = cd.find(Current());
        if (it == cd.end()) return nullptr;
        std::vector<FoundEntry> entries{{".", true}, {"..", true}};
        entries.insert(entries.end(), it->second.begin(), it->second.end());
        return std::make_unique<Enumeration>(entries);
    }
    bool EnterFolder(const std::string& name) override
    {
        folder.push_back(name);
        if (unenterable.count(Current()) || !cd.count(Current())) {
            folder.pop_back();
            return false;
        }
        return true;
    }
    void LeaveFolder() override { folder.pop_back(); }
    bool CreateFolder(const std::string& path) override
    {
        log.push_back("mkdir " + path);
        return foldersAreNew;
    }
    bool PathExists(const std::string& path) override
    {
        log.push_back("exists " + path);
        return existing.count(path) || reportedPresent.count(path);
    }
    std::optional<ExistingFile> FindExisting(const std::string& path) override
    {
        auto it = existing.find(path);
        if (it == existing.end()) return std::nullopt;
        return it->second;
    }
    void ShowFile(const std::string& sourceName, const std::string& destPath) override
    {
        shown = destPath;
        log.push_back("show " + sourceName + " -> " + destPath);
    }
    ReplaceAnswer AskReplace(const FoundEntry& source, const ExistingFile& e) override
    {
        log.push_back("ask " + source.name + " " + std::to_string(source.size) + "/" + std::to_string(e.size));
        if (answers.empty()) ADD_FAILURE() << "unexpected question about " << source.name;
        ReplaceAnswer a = answers.empty() ? ReplaceAnswer::No : answers.front();
        if (!answers.empty()) answers.pop_front();
        return a;
    }
    bool ConfirmExit() override
    {
        log.push_back("confirm exit");
        bool exit = !exitAnswers.empty() && exitAnswers.front();
        if (!exitAnswers.empty()) exitAnswers.pop_front();
        return exit;
    }
    // The copy and the expansion are logged with the file they are for: the one last shown when they
    // write the temporary file of the safe write.
    std::string ForFile(const std::string& target) const
    {
        return target.size() >= sizeof kPartialFileName - 1 &&
                       target.compare(target.size() - (sizeof kPartialFileName - 1), std::string::npos,
                                      kPartialFileName) == 0
                   ? shown
                   : target;
    }
    // A new file is created, as the system does, only where none is.
    unsigned long Create(const std::string& target, bool createNew)
    {
        if (!createNew) return 0;
        if (existing.count(target)) return kErrorFileExists;
        existing[target] = {};
        return 0;
    }
    unsigned long CopyPlainFile(const std::string& sourceName, const std::string& target, bool createNew) override
    {
        log.push_back("copy " + (Current().empty() ? "" : Current() + "\\") + sourceName + " -> " + ForFile(target) +
                      (createNew ? " new" : ""));
        if (onCopy) onCopy();
        if (const unsigned long error = Create(target, createNew)) return error;
        return WriteError(ForFile(target));
    }
    unsigned long ExpandCompressedFile(const std::string& sourceName, const std::string& target,
                                       bool createNew) override
    {
        log.push_back("expand " + sourceName + " -> " + ForFile(target) + (createNew ? " new" : ""));
        if (const unsigned long error = Create(target, createNew)) return error;
        return failingExpansions.count(sourceName) ? kFailedWithoutReason : WriteError(ForFile(target));
    }
    bool NewFilesInPlace() override { return inPlace; }
    unsigned long RenameFile(const std::string& from, const std::string& to, bool replace) override
    {
        log.push_back("rename " + from + " -> " + to + (replace ? " replacing" : ""));
        // As the system does: a rename that may not replace stops at a file in the way.
        if (!replace && existing.count(to)) return kErrorAlreadyExists;
        auto it = renameErrors.find(to);
        if (it != renameErrors.end()) return it->second;
        existing[to] = {};
        return 0;
    }
    void RemoveFile(const std::string& path) override { log.push_back("remove " + path); }
    unsigned long WriteError(const std::string& destPath) const
    {
        auto it = writeErrors.find(destPath);
        return it == writeErrors.end() ? 0 : it->second;
    }
    std::optional<unsigned> GetAttributes(const std::string& path) override
    {
        if (attributes.count(path)) return attributes.at(path);
        if (existing.count(path)) return kAttributeArchive;
        return std::nullopt;
    }
    void SetAttributes(const std::string& path, unsigned value) override
    {
        log.push_back("attrib " + path + " " + std::to_string(value));
    }
    bool StopRequested() override { return stopAfterEntries >= 0 && --stopAfterEntries < 0; }
    void FileDone(const FoundEntry& entry) override { log.push_back("done " + entry.name); }

    std::vector<std::string> Only(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& line : log)
            if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
        return out;
    }
};

FoundEntry File(const std::string& name, unsigned long long size = 10)
{
    return {name, false, size, 0};
}
FoundEntry Folder(const std::string& name)
{
    return {name, true, 0, 0};
}

struct TreeCopyTest : testing::Test {
    std::atomic<bool> cancel{false}, yesToAll{false}, expansionFailed{false};
    WriteFailures failedWrites;
    WriteFailures pathsTooLong;
    TreeCopyState state{false, false, cancel, yesToAll, expansionFailed, failedWrites, pathsTooLong};
    FakeHost host;
};

TEST_F(TreeCopyTest, CopiesFilesAndFoldersAndSkipsDotFolders)
{
    host.cd[""] = {File("A.TXT"), Folder(".git"), Folder("SUB"), File(".profile")};
    host.cd[".git"] = {File("CONFIG")};
    host.cd["SUB"] = {Folder("EMPTY"), File("B.TXT")};
    host.cd["SUB\\EMPTY"] = {};
    CopyTree("C:\\Dest", host, state);
    EXPECT_EQ(host.Only("mkdir"), (std::vector<std::string>{"mkdir C:\\Dest\\SUB", "mkdir C:\\Dest\\SUB\\EMPTY"}));
    EXPECT_EQ(host.Only("copy"),
              (std::vector<std::string>{"copy A.TXT -> C:\\Dest\\A.TXT", "copy SUB\\B.TXT -> C:\\Dest\\SUB\\B.TXT",
                                        "copy .profile -> C:\\Dest\\.profile"}));
    EXPECT_TRUE(host.folder.empty()) << "the current folder is restored";
}

TEST_F(TreeCopyTest, UnderscoreRuleRenamesFilesAndFoldersButShowsTheCdName)
{
    state.useUnderscores = true;
    host.cd[""] = {Folder("MY_SAMPLES"), File("READ_ME.TXT")};
    host.cd["MY_SAMPLES"] = {File("CHAPTER_1.DOC")};
    CopyTree("C:\\Book\\", host, state);
    EXPECT_EQ(host.Only("mkdir"), (std::vector<std::string>{"mkdir C:\\Book\\My Samples"}));
    EXPECT_EQ(host.Only("show"), (std::vector<std::string>{"show CHAPTER_1.DOC -> C:\\Book\\My Samples\\Chapter 1.doc",
                                                           "show READ_ME.TXT -> C:\\Book\\Read Me.txt"}));
}

TEST_F(TreeCopyTest, FolderThatCannotBeEnteredIsSkipped)
{
    host.cd[""] = {Folder("LOCKED"), File("A")};
    host.cd["LOCKED"] = {File("SECRET")};
    host.unenterable.insert("LOCKED");
    CopyTree("D", host, state);
    EXPECT_EQ(host.Only("copy"), (std::vector<std::string>{"copy A -> D\\A"}));
    EXPECT_EQ(host.Only("mkdir"), (std::vector<std::string>{"mkdir D\\LOCKED"}));
}

TEST_F(TreeCopyTest, ReplaceAnswersNoYesAndYesToAll)
{
    host.cd[""] = {File("A", 1), File("B", 2), File("C", 3), Folder("S")};
    host.cd["S"] = {File("D", 4)};
    for (const char* p : {"X\\A", "X\\B", "X\\C", "X\\S\\D"})
        host.existing[p] = {99, 0};
    host.answers = {ReplaceAnswer::No, ReplaceAnswer::Yes, ReplaceAnswer::YesToAll};
    CopyTree("X", host, state);
    EXPECT_EQ(host.Only("ask"), (std::vector<std::string>{"ask A 1/99", "ask B 2/99", "ask C 3/99"}));
    // No keeps A; Yes To All silences the sub-folder too.
    EXPECT_EQ(host.Only("copy"),
              (std::vector<std::string>{"copy B -> X\\B", "copy C -> X\\C", "copy S\\D -> X\\S\\D"}));
    EXPECT_TRUE(yesToAll);
}

TEST_F(TreeCopyTest, PresentButNotFoundIsCopiedWithoutAQuestion)
{
    // The existence test reports "present" when the destination folder itself is missing.
    host.cd[""] = {File("A")};
    host.reportedPresent.insert("X\\A");
    CopyTree("X", host, state);
    EXPECT_TRUE(host.Only("ask").empty());
    EXPECT_EQ(host.Only("copy").size(), 1u);
}

TEST_F(TreeCopyTest, CancelThenContinueReplacesCancelThenExitStops)
{
    host.cd[""] = {File("A"), File("B"), File("C")};
    host.existing["X\\A"] = {};
    host.existing["X\\B"] = {};
    host.answers = {ReplaceAnswer::Cancel, ReplaceAnswer::Cancel};
    host.exitAnswers = {false, true};
    CopyTree("X", host, state);
    EXPECT_EQ(host.Only("copy"), (std::vector<std::string>{"copy A -> X\\A"}));
    EXPECT_EQ(host.Only("confirm").size(), 2u);
    EXPECT_TRUE(cancel);
}

TEST_F(TreeCopyTest, CancelRequestedStopsBeforeTheNextEntryAtEveryLevel)
{
    host.cd[""] = {Folder("S"), File("AFTER")};
    host.cd["S"] = {File("ONE"), File("TWO")};
    host.onCopy = [this] { cancel = true; };
    CopyTree("X", host, state);
    EXPECT_EQ(host.Only("copy"), (std::vector<std::string>{"copy S\\ONE -> X\\S\\ONE"}));
    EXPECT_TRUE(host.folder.empty());
}

TEST_F(TreeCopyTest, StopRequestEndsTheFolderBeingEnumerated)
{
    host.cd[""] = {File("A"), File("B"), File("C")};
    host.stopAfterEntries = 2;  // seen after ".", "..", then A
    CopyTree("X", host, state);
    EXPECT_EQ(host.Only("copy"), (std::vector<std::string>{"copy A -> X\\A"}));
}

TEST_F(TreeCopyTest, CompressedFilesAreExpandedAndFailuresCollected)
{
    state.filesCompressed = true;
    host.cd[""] = {File("GOOD.TXT"), File("BAD.TXT"), File("ALSO.TXT")};
    host.failingExpansions = {"BAD.TXT"};
    CopyTree("X", host, state);
    EXPECT_EQ(host.Only("expand").size(), 3u);
    EXPECT_TRUE(host.Only("copy").empty());
    EXPECT_TRUE(expansionFailed);
}

TEST_F(TreeCopyTest, EveryFileGoesThroughTheTemporaryFileAndFailuresAreCollected)
{
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        FakeHost host;
        WriteFailures failures, tooLong;
        std::atomic<bool> expansionFailed{false};
        TreeCopyState state{compressed, false, cancel, yesToAll, expansionFailed, failures, tooLong};
        yesToAll = true;
        host.cd[""] = {File("RO.TXT"), File("LOCKED.TXT"), File("NEW.TXT"), File("DAMAGED.TXT")};
        host.existing = {{"X\\RO.TXT", {}}, {"X\\LOCKED.TXT", {}}, {"X\\DAMAGED.TXT", {}}};
        host.attributes = {{"X\\RO.TXT", kAttributeReadOnly | kAttributeHidden},
                           {"X\\LOCKED.TXT", kAttributeReadOnly | kAttributeArchive}};
        host.renameErrors = {{"X\\LOCKED.TXT", 32}};
        host.writeErrors = {{"X\\NEW.TXT", 112}};
        host.failingExpansions = {"DAMAGED.TXT"};
        CopyTree("X", host, state);
        // A temporary file left by an ended run goes first; each file is renamed into place, replacing
        // the old one only after its blocking attributes are cleared, which are put back when it stays.
        const std::string partial = "X\\~setup-partial.tmp";
        // Removed at the start, and after each failure: LOCKED, NEW (and DAMAGED when expanded).
        EXPECT_EQ(host.Only("remove"), std::vector<std::string>(compressed ? 4 : 3, "remove " + partial));
        EXPECT_EQ(host.Only("attrib"), (std::vector<std::string>{"attrib X\\RO.TXT 128", "attrib X\\LOCKED.TXT 32",
                                                                 "attrib X\\LOCKED.TXT 33"}));
        std::vector<std::string> renames{"rename " + partial + " -> X\\RO.TXT replacing",
                                         "rename " + partial + " -> X\\LOCKED.TXT replacing"};
        if (!compressed) renames.push_back("rename " + partial + " -> X\\DAMAGED.TXT replacing");
        EXPECT_EQ(host.Only("rename"), renames);
        // The old file left in place and the new file not written are named with their reasons; an
        // expansion without a system reason is reported apart.
        ASSERT_EQ(failures.Count(), 2u);
        EXPECT_EQ(failures.Listed()[0].path, "X\\LOCKED.TXT");
        EXPECT_EQ(failures.Listed()[0].error, 32u);
        EXPECT_TRUE(failures.Listed()[0].replacing);
        EXPECT_EQ(failures.Listed()[1].path, "X\\NEW.TXT");
        EXPECT_EQ(failures.Listed()[1].error, 112u);
        EXPECT_FALSE(failures.Listed()[1].replacing);
        EXPECT_EQ(expansionFailed, compressed);
    }
}

TEST_F(TreeCopyTest, InFoldersTheCopyMadeFilesAreWrittenWithoutExistenceTestsOrSweep)
{
    struct Case {
        bool rootIsNew;
        bool foldersAreNew;
        std::vector<std::string> existenceTests;
        std::vector<std::string> sweeps;
    };
    const std::string partial = std::string("\\") + kPartialFileName;
    // clang-format off
    const Case cases[] = {
        {false, false, {"exists X\\A", "exists X\\SUB\\B"}, {"remove X" + partial, "remove X\\SUB" + partial}},
        {false, true,  {"exists X\\A"},                    {"remove X" + partial}},
        {true,  true,  {},                                  {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "root new " << c.rootIsNew << ", folders new " << c.foldersAreNew);
        FakeHost host;
        host.foldersAreNew = c.foldersAreNew;
        host.cd[""] = {File("A"), Folder("SUB")};
        host.cd["SUB"] = {File("B")};
        CopyTree("X", host, state, c.rootIsNew);
        EXPECT_EQ(host.Only("exists"), c.existenceTests);
        EXPECT_EQ(host.Only("remove"), c.sweeps);
        EXPECT_EQ(host.Only("rename"), (std::vector<std::string>{"rename X" + partial + " -> X\\A",
                                                                 "rename X\\SUB" + partial + " -> X\\SUB\\B"}));
    }
    EXPECT_TRUE(failedWrites.Empty());
}

TEST_F(TreeCopyTest, InANewFolderTwoCdNamesForOneFileBringTheReplaceQuestion)
{
    state.useUnderscores = true;
    host.cd[""] = {File("READ_ME.TXT", 1), File("Read_Me.txt", 2), File("READ_ME.DOC", 3)};
    for (ReplaceAnswer answer : {ReplaceAnswer::No, ReplaceAnswer::Yes}) {
        SCOPED_TRACE(answer == ReplaceAnswer::No ? "No" : "Yes");
        host.log.clear();
        host.existing.clear();
        host.answers = {answer};
        CopyTree("X", host, state, true);
        // The second name finds the first file in its way: nothing is replaced unasked.
        EXPECT_EQ(host.Only("ask"), (std::vector<std::string>{"ask Read_Me.txt 2/0"}));
        std::vector<std::string> renames{"rename X\\~setup-partial.tmp -> X\\Read Me.txt",
                                         "rename X\\~setup-partial.tmp -> X\\Read Me.txt"};
        if (answer == ReplaceAnswer::Yes) renames.push_back("rename X\\~setup-partial.tmp -> X\\Read Me.txt replacing");
        renames.push_back("rename X\\~setup-partial.tmp -> X\\Read Me.doc");
        EXPECT_EQ(host.Only("rename"), renames);
        EXPECT_EQ(host.Only("remove"), (std::vector<std::string>{"remove X\\~setup-partial.tmp"}));
        EXPECT_TRUE(failedWrites.Empty());
    }
}

// With the host's note of the file being written, new files are created in place without a rename;
// a replacement still goes through the temporary file, and the file an ended run left short is
// replaced without a question.
TEST_F(TreeCopyTest, NewFilesAreCreatedInPlaceAndTheOneAnEndedRunLeftShortIsReplacedUnasked)
{
    host.inPlace = true;
    host.cd[""] = {File("NEW.TXT"), File("OLD.TXT"), File("CUT.TXT"), File("FULL.TXT")};
    host.existing = {{"X\\OLD.TXT", {}}, {"X\\CUT.TXT", {}}};
    host.writeErrors = {{"X\\FULL.TXT", 112}};
    host.answers = {ReplaceAnswer::No};
    state.unfinishedFile = "x\\cut.txt";
    CopyTree("X", host, state);
    EXPECT_EQ(host.Only("ask"), (std::vector<std::string>{"ask OLD.TXT 10/0"}));
    EXPECT_EQ(host.Only("copy"),
              (std::vector<std::string>{"copy NEW.TXT -> X\\NEW.TXT new", "copy CUT.TXT -> X\\CUT.TXT",
                                        "copy FULL.TXT -> X\\FULL.TXT new"}));
    EXPECT_EQ(host.Only("rename"), (std::vector<std::string>{"rename X\\~setup-partial.tmp -> X\\CUT.TXT replacing"}));
    // The sweep of the old folder, and what the failed write made.
    EXPECT_EQ(host.Only("remove"), (std::vector<std::string>{"remove X\\~setup-partial.tmp", "remove X\\FULL.TXT"}));
    ASSERT_EQ(failedWrites.Count(), 1u);
    EXPECT_EQ(failedWrites.Listed()[0].path, "X\\FULL.TXT");
    EXPECT_FALSE(failedWrites.Listed()[0].replacing);

    // In a folder the copy made, a second CD name for one file finds the first in its way.
    FakeHost made;
    made.inPlace = true;
    made.cd[""] = {File("READ_ME.TXT", 1), File("Read_Me.txt", 2)};
    made.answers = {ReplaceAnswer::Yes};
    state.useUnderscores = true;
    CopyTree("Y", made, state, true);
    EXPECT_EQ(made.Only("ask"), (std::vector<std::string>{"ask Read_Me.txt 2/0"}));
    EXPECT_EQ(made.Only("copy"), (std::vector<std::string>{"copy READ_ME.TXT -> Y\\Read Me.txt new",
                                                           "copy Read_Me.txt -> Y\\Read Me.txt new",
                                                           "copy Read_Me.txt -> Y\\Read Me.txt"}));
    EXPECT_EQ(made.Only("rename"),
              (std::vector<std::string>{"rename Y\\~setup-partial.tmp -> Y\\Read Me.txt replacing"}));
    EXPECT_EQ(failedWrites.Count(), 1u);
}

TEST(CopyWriteFailures, MessageNamesEachFileWithItsReasonAndCountsTheRest)
{
    WriteFailures failures;
    for (int i = 0; i < 7; ++i)
        failures.Add("C:\\B\\F" + std::to_string(i) + ".TXT", 32 + i % 2, i % 2 == 0);
    auto reason = [](unsigned long code) { return "reason " + std::to_string(code); };
    std::string expected = "There was a problem.";
    for (int i = 0; i < 5; ++i)
        expected += "\n\nreason " + std::to_string(32 + i % 2) +
                    (i % 2 == 0 ? "\nSetup can't replace \"" : "\nSetup can't copy \"") + "C:\\B\\F" +
                    std::to_string(i) + ".TXT\".";
    expected += "\n\nSetup can't write 2 more files either.";
    EXPECT_EQ(WriteFailureText("There was a problem.", failures, reason), expected);

    // A long path is broken after a backslash, a long name where it stands; nothing is lost.
    const std::string folder = "C:\\" + std::string(60, 'f');
    const std::string name = std::string(100, 'n') + ".TXT";
    EXPECT_EQ(BreakLongPath(folder + "\\SUB\\" + name, 80),
              folder + "\\SUB\\\n" + name.substr(0, 80) + "\n" + name.substr(80));
    EXPECT_EQ(BreakLongPath("C:\\A\\B.TXT", 80), "C:\\A\\B.TXT");
    WriteFailures longOne;
    longOne.Add(folder + "\\" + name, 206, false);
    EXPECT_EQ(WriteFailureText("", longOne, reason),
              "reason 206\nSetup can't copy \"" + BreakLongPath(folder + "\\" + name, kMessageLineChars) + "\".");

    WriteFailures one;
    one.Add("C:\\100%s.TXT", 5, true);
    EXPECT_EQ(WriteFailureText("", one, reason), "reason 5\nSetup can't replace \"C:\\100%s.TXT\".");
    one.Clear();
    EXPECT_TRUE(one.Empty());
}

TEST_F(TreeCopyTest, OverlongDestinationsAreNotWrittenButCollected)
{
    const std::string dest(kMaxLongPathChars - 9, 'd');
    host.cd[""] = {File("SHORT"), File("A_NAME_TOO_LONG"), Folder("LONGFOLDERNAME")};
    host.cd["LONGFOLDERNAME"] = {File("X")};
    CopyTree(dest, host, state);
    // The limit less 3 fits; the limit and 7 does not, nor does the folder.
    // Written in place, as a new file only: the temporary name beside it would not fit.
    EXPECT_EQ(host.Only("copy"), (std::vector<std::string>{"copy SHORT -> " + dest + "\\SHORT new"}));
    EXPECT_TRUE(host.Only("mkdir").empty());
    EXPECT_EQ(host.Only("show").size(), 1u);
    ASSERT_EQ(pathsTooLong.Count(), 2u);
    EXPECT_EQ(pathsTooLong.Listed()[0].path, dest + "\\A_NAME_TOO_LONG");
    EXPECT_EQ(pathsTooLong.Listed()[1].path, dest + "\\LONGFOLDERNAME");
    EXPECT_EQ(pathsTooLong.Listed()[0].error, kErrorPathTooLong);
    EXPECT_TRUE(failedWrites.Empty());
}

TEST_F(TreeCopyTest, ATreeDeeperThanTheCountReachesIsReportedNotCopiedOrCounted)
{
    // 1,002 levels of one-letter folders, a file at the bottom of each.
    std::string path;
    for (int level = 0; level <= 1001; ++level) {
        host.cd[path] = {File("F"), Folder("D")};
        path += (path.empty() ? "" : "\\") + std::string("D");
    }
    host.cd[path] = {File("F")};
    CopyTree("C:\\X", host, state);
    const TreeCount count = CountTree(static_cast<FolderWalker&>(host));
    EXPECT_EQ(host.Only("copy").size(), 1001u);
    EXPECT_EQ(count.files, 1001u) << "the count and the copy go equally deep";
    ASSERT_EQ(pathsTooLong.Count(), 1u);
    EXPECT_EQ(pathsTooLong.Listed()[0].path.size(), std::string("C:\\X").size() + 2 * 1001);
    EXPECT_TRUE(host.folder.empty());
}

TEST_F(TreeCopyTest, NothingHappensWhenAlreadyCancelledOrUnreadable)
{
    cancel = true;
    host.cd[""] = {File("A")};
    CopyTree("X", host, state);
    EXPECT_TRUE(host.log.empty());
    cancel = false;
    host.cd.clear();
    CopyTree("X", host, state);
    EXPECT_TRUE(host.log.empty());
}

TEST(CopyMakeLongName, Examples)
{
    EXPECT_EQ(MakeLongName("MY_BOOK.TXT"), "My Book.txt");
    EXPECT_EQ(MakeLongName("CHAPTER_1"), "Chapter 1");
    EXPECT_EQ(MakeLongName("README.TX_"), "Readme.tx ");
    EXPECT_EQ(MakeLongName(""), "");
    EXPECT_EQ(MakeLongName("_A"), " A");
    EXPECT_EQ(MakeLongName("A__B"), "A  B");
    EXPECT_EQ(MakeLongName("x"), "X");
    EXPECT_EQ(MakeLongName("1ST_day"), "1st Day");
}

TEST(CopySourceFolder, BuiltFromStartDirOrTakenWhole)
{
    EXPECT_EQ(SourceFolderName("SAMPLES", "D:\\"), "D:\\SAMPLES");
    EXPECT_EQ(SourceFolderName("SAMPLES", "D:\\CD"), "D:\\CD\\SAMPLES");
    EXPECT_EQ(SourceFolderName("\\SAMPLES", "D:\\CD"), "\\SAMPLES");
    EXPECT_EQ(SourceFolderName("", "D:\\"), std::nullopt);
    EXPECT_EQ(SourceFolderName(std::string(kMaxLongPathChars - 2, 'c'), "D:\\"), std::nullopt);
    EXPECT_EQ(SourceFolderName(std::string(kMaxLongPathChars - 3, 'c'), "D:\\"),
              "D:\\" + std::string(kMaxLongPathChars - 3, 'c'));
}
}  // namespace

TEST_F(TreeCopyTest, CountWalksWhatTheCopyVisitsAndEveryVisitedFileIsReportedDone)
{
    // Kept (No), copied and skipped-for-length files all count; dot folders and unenterable ones do not.
    host.cd[""] = {File("A", 100), Folder(".svn"), Folder("SUB"), Folder("LOCKED"), File("B", 20)};
    host.cd[".svn"] = {File("ENTRIES", 5000)};
    host.cd["SUB"] = {File("C", 3), Folder("DEEP")};
    host.cd["SUB\\DEEP"] = {File("D", 4)};
    host.cd["LOCKED"] = {File("E", 7000)};
    host.unenterable.insert("LOCKED");
    host.existing["X\\A"] = {1, 0};
    host.answers = {ReplaceAnswer::No};

    const TreeCount count = CountTree(static_cast<FolderWalker&>(host));
    EXPECT_EQ(count.files, 4u);
    EXPECT_EQ(count.bytes, 127u);
    // A stop ends the walk at the next entry.
    std::atomic<bool> stop{true};
    EXPECT_EQ(CountTree(static_cast<FolderWalker&>(host), &stop).files, 0u);
    EXPECT_TRUE(host.folder.empty()) << "the walk leaves the current folder as it found it";
    EXPECT_TRUE(host.Only("copy").empty()) << "the walk copies nothing";

    CopyTree("X", host, state);
    EXPECT_EQ(host.Only("done"), (std::vector<std::string>{"done A", "done C", "done D", "done B"}));
}

namespace {
// The copy with files expanded ahead, by an expander that keeps up at once within a small budget: the
// queue meets the files in the order the copy takes them, below folders and past skipped files.
struct AheadHost : FakeHost {
    ExpansionQueue queue{100};
    std::vector<std::string> taken;  // "path ready|absent", as the copy took them

    std::string Path(const std::string& name) const { return Current().empty() ? name : Current() + "\\" + name; }
    void ExpandWhatFits()
    {
        while (const std::optional<std::string> path = queue.StartNext())
            queue.Finish(ExpandedFile{0, std::string(40, 'x')});
    }
    std::unique_ptr<FolderEnumeration> EnumerateCurrentFolder() override
    {
        std::unique_ptr<FolderEnumeration> inner = FakeHost::EnumerateCurrentFolder();
        if (!inner) return nullptr;
        return std::make_unique<LookaheadEnumeration>(
            std::move(inner), [this, folder = Current()](const FoundEntry& f) {
                queue.Add(folder.empty() ? f.name : folder + "\\" + f.name, f.size);
                ExpandWhatFits();
            });
    }
    unsigned long ExpandCompressedFile(const std::string& sourceName, const std::string& target,
                                       bool createNew) override
    {
        ExpandedFile file;
        const ExpansionQueue::Take result = queue.TakeFile(Path(sourceName), file);
        EXPECT_NE(result, ExpansionQueue::Take::InProgress);
        taken.push_back(Path(sourceName) + (result == ExpansionQueue::Take::Ready ? " ready" : " absent"));
        ExpandWhatFits();
        return FakeHost::ExpandCompressedFile(sourceName, target, createNew);
    }
};
}  // namespace

TEST(CopyExpandAhead, FilesComeToTheQueueInTheCopysOrderAndPassedOnesMakeRoom)
{
    std::atomic<bool> cancel{false}, yesToAll{false}, expansionFailed{false};
    WriteFailures failedWrites, pathsTooLong;
    TreeCopyState state{true, false, cancel, yesToAll, expansionFailed, failedWrites, pathsTooLong};
    AheadHost host;
    const unsigned long long large = ExpansionQueue::kLargestSource + 1;
    // The budget (100 bytes, 40 a file) holds two files ahead: KEPT, which the user keeps, would hold
    // its place for ever if passing it did not free it.
    host.cd[""] = {File("A"), File("KEPT"), Folder("SUB"), File("F"), File("BIG", large), File("G")};
    host.cd["SUB"] = {File("C"), Folder("DEEP"), File("D")};
    host.cd["SUB\\DEEP"] = {File("E")};
    host.existing["X\\KEPT"] = {1, 0};
    host.answers = {ReplaceAnswer::No};
    CopyTree("X", host, state);
    EXPECT_EQ(host.taken, (std::vector<std::string>{"A ready", "SUB\\C ready", "SUB\\DEEP\\E ready", "SUB\\D ready",
                                                    "F ready", "BIG absent", "G ready"}));
    EXPECT_EQ(host.queue.Waiting(), 0u);
    EXPECT_EQ(host.queue.BytesHeld(), 0u);
}

TEST(CopyExpandAhead, TheCopyWaitsOnlyForTheFileInProgressAndDoesTheRestItself)
{
    ExpansionQueue queue(1000);
    ExpandedFile out;
    queue.Add("A", 10);
    queue.Add("B", 10);
    queue.Add("C", 10);
    ASSERT_EQ(queue.StartNext(), "A");
    EXPECT_EQ(queue.StartNext(), std::nullopt) << "one file at a time";
    EXPECT_EQ(queue.TakeFile("A", out), ExpansionQueue::Take::InProgress);
    queue.Finish({0, "aaa"});
    EXPECT_EQ(queue.BytesHeld(), 3u);
    ASSERT_EQ(queue.TakeFile("A", out), ExpansionQueue::Take::Ready);
    EXPECT_EQ(out.bytes, "aaa");
    EXPECT_EQ(queue.BytesHeld(), 0u);

    // Not started: the copy takes it out and expands it itself; the expander goes on with the next.
    EXPECT_EQ(queue.TakeFile("B", out), ExpansionQueue::Take::Absent);
    ASSERT_EQ(queue.StartNext(), "C");
    // Not queued at all (a second write of a file already taken): nothing is passed over.
    EXPECT_EQ(queue.TakeFile("B", out), ExpansionQueue::Take::Absent);
    EXPECT_EQ(queue.Waiting(), 1u);

    // The copy passes the file in progress: its result is dropped when it comes, and a failure is kept.
    queue.Add("D", 10);
    queue.Add("E", 10);
    EXPECT_EQ(queue.TakeFile("D", out), ExpansionQueue::Take::Absent);
    queue.Finish({0, std::string(500, 'c')});
    EXPECT_EQ(queue.BytesHeld(), 0u);
    ASSERT_EQ(queue.StartNext(), "E");
    queue.Finish({5, ""});
    ASSERT_EQ(queue.TakeFile("E", out), ExpansionQueue::Take::Ready);
    EXPECT_EQ(out.error, 5u);

    // A spent budget stops the expander until the copy takes a file.
    queue.Add("F", 10);
    queue.Add("G", 10);
    ASSERT_EQ(queue.StartNext(), "F");
    queue.Finish({0, std::string(1000, 'f')});
    EXPECT_EQ(queue.StartNext(), std::nullopt);
    ASSERT_EQ(queue.TakeFile("F", out), ExpansionQueue::Take::Ready);
    EXPECT_EQ(queue.StartNext(), "G");
}
