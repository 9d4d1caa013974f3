#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "framework/FileOverwrite.h"
#include "framework/PathText.h"

namespace {
// Files by path with their content and attributes; every operation is logged.
class FakeFiles : public FileWriteAccess {
public:
    struct File {
        std::string content;
        unsigned attributes = kAttributeArchive;
    };
    std::map<std::string, File> files;
    std::map<std::string, unsigned long> renameErrors;  // by target
    std::vector<std::string> held;                      // in use by another program
    std::vector<std::string> log;

    bool InUse(const std::string& path) override { return std::find(held.begin(), held.end(), path) != held.end(); }

    std::optional<unsigned> GetAttributes(const std::string& path) override
    {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second.attributes;
    }
    void SetAttributes(const std::string& path, unsigned attributes) override
    {
        log.push_back("attrib " + path + " " + std::to_string(attributes));
        files[path].attributes = attributes;
    }
    unsigned long RenameFile(const std::string& from, const std::string& to, bool replace) override
    {
        log.push_back("rename " + from + " " + to + (replace ? " replace" : ""));
        if (renameErrors.count(to)) return renameErrors[to];
        if (files.count(to) && (!replace || (files[to].attributes & kAttributeReadOnly))) return 5;
        files[to] = files[from];
        files.erase(from);
        return 0;
    }
    void RemoveFile(const std::string& path) override
    {
        log.push_back("remove " + path);
        files.erase(path);
    }
};

TEST(FileOverwrite, ThePartialFileLivesBesideTheFile)
{
    EXPECT_EQ(PartialFilePath("C:\\Book\\Ch 1\\A.PDF"), "C:\\Book\\Ch 1\\~setup-partial.tmp");
    EXPECT_EQ(PartialFilePath("A.PDF"), "~setup-partial.tmp");
    // A double-byte name whose second byte is a backslash does not end the folder.
    EXPECT_EQ(PartialFilePath("C:\\\x94\\\\A.TXT"), "C:\\\x94\\\\~setup-partial.tmp");
}

TEST(FileOverwrite, TheOldFileIsReplacedOnlyByACompleteNewOne)
{
    const std::string path = "C:\\Book\\A.PDF";
    const std::string partial = "C:\\Book\\~setup-partial.tmp";
    struct Case {
        const char* name;
        bool exists;
        unsigned attributes;
        unsigned long writeError;  // what the write of the new content returns
        unsigned long renameError;
        std::string content;  // afterwards at `path`; "" = no file
        unsigned long error;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"new file", false, 0, 0, 0, "new", 0, {"rename " + partial + " " + path}},
        {"new file, disk full", false, 0, 112, 0, "", 112, {"remove " + partial}},
        {"replaced", true, kAttributeArchive, 0, 0, "new", 0, {"rename " + partial + " " + path + " replace"}},
        {"read-only replaced",
         true,
         kAttributeReadOnly | kAttributeHidden,
         0,
         0,
         "new",
         0,
         {"attrib " + path + " 128", "rename " + partial + " " + path + " replace"}},
        {"disk full: the old file stays untouched",
         true,
         kAttributeReadOnly,
         112,
         0,
         "old",
         112,
         {"remove " + partial}},
        {"in use: attributes put back",
         true,
         kAttributeReadOnly | kAttributeArchive,
         0,
         32,
         "old",
         32,
         {"attrib " + path + " 32", "rename " + partial + " " + path + " replace", "attrib " + path + " 33",
          "remove " + partial}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFiles files;
        if (c.exists) files.files[path] = {"old", c.attributes};
        if (c.renameError) files.renameErrors[path] = c.renameError;
        const WriteOutcome outcome = WriteFileSafely(path, c.exists, files, [&](const std::string& target) {
            EXPECT_EQ(target, partial);
            files.files[target] = {c.writeError ? "part" : "new", kAttributeNormal};
            return c.writeError;
        });
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.replacing, c.exists);
        EXPECT_EQ(files.log, c.log);
        EXPECT_EQ(files.files.count(partial), 0u) << "no temporary file stays";
        EXPECT_EQ(files.files.count(path) ? files.files[path].content : "", c.content);
    }
}

TEST(FileOverwrite, WithoutRoomForTheTemporaryNameOnlyANewFileIsWrittenInPlace)
{
    const std::string folder = "C:\\" + std::string(kMaxLongPathChars - 19, 'f');
    const std::string path = folder + "\\A.TXT";  // fits; the temporary name beside it does not
    FakeFiles files;
    std::vector<std::string> written;
    auto write = [&](unsigned long error) {
        return [&written, &files, error](const std::string& target) {
            written.push_back(target);
            files.files[target] = {"part"};
            return error;
        };
    };
    EXPECT_EQ(WriteFileSafely(path, false, files, write(0)).error, 0u);
    EXPECT_EQ(WriteFileSafely(path + "2", false, files, write(112)).error, 112u);
    EXPECT_EQ(files.files.count(path + "2"), 0u) << "a failed write in place deletes what it wrote";
    files.files[path] = {"old"};
    const WriteOutcome refused = WriteFileSafely(path, true, files, write(0));
    EXPECT_EQ(refused.error, kErrorPathTooLong);
    EXPECT_TRUE(refused.replacing);
    EXPECT_EQ(files.files[path].content, "old");
    EXPECT_EQ(written, (std::vector<std::string>{path, path + "2"}));
}

// With the caller's note of the file being written, a new file is created under its own name; a file in
// the way is not touched, and a replacement still goes through the temporary name.
TEST(FileOverwrite, InPlaceOnlyANewFileIsCreatedAndOnlyWhatTheWriteMadeIsDeleted)
{
    const std::string path = "C:\\Book\\A.PDF";
    const std::string partial = "C:\\Book\\~setup-partial.tmp";
    struct Case {
        const char* name;
        bool mayExist;
        bool there;
        unsigned long writeError;
        std::string target;   // where the write went
        std::string content;  // afterwards at `path`
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"new", false, false, 0, path, "new", {}},
        {"new, disk full", false, false, 112, path, "", {"remove " + path}},
        {"name taken after all", false, true, kErrorFileExists, path, "old", {}},
        {"not found by the existence test", true, false, 0, path, "new", {}},
        {"replaced", true, true, 0, partial, "new", {"rename " + partial + " " + path + " replace"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFiles files;
        if (c.there) files.files[path] = {"old"};
        std::string target;
        const WriteOutcome outcome = WriteFileSafely(
            path, c.mayExist, files,
            [&](const std::string& to) {
                target = to;
                if (!NameTaken(c.writeError)) files.files[to] = {c.writeError ? "part" : "new"};
                return c.writeError;
            },
            true);
        EXPECT_EQ(outcome.error, c.writeError);
        EXPECT_EQ(target, c.target);
        EXPECT_EQ(files.log, c.log);
        EXPECT_EQ(files.files.count(path) ? files.files[path].content : "", c.content);
    }
    // The note names the file up to its NUL, whatever a longer name left after it.
    EXPECT_EQ(NotedNewFile(std::string("C:\\B\\A.PDF\0C:\\Longer", 20)), "C:\\B\\A.PDF");
    EXPECT_EQ(NotedNewFile(std::string_view("\0C:\\B", 5)), "");
    EXPECT_EQ(NotedNewFile(""), "");
}

// A file in use keeps its old content; the new one waits under the first free pending name, which
// the caller has put in place at the next start. Anything else that stops the rename deletes it.
TEST(FileOverwrite, TheNewContentOfAFileInUseWaitsBesideIt)
{
    const std::string path = "C:\\Book\\A.PDF";
    FakeFiles files;
    files.files = {{path, {"old"}}, {"C:\\Book\\~setup-restart-1.tmp", {"another run's"}}};
    files.renameErrors = {{path, 32}};
    files.held = {path};
    auto write = [&files](const std::string& target) {
        files.files[target] = {"new"};
        return 0ul;
    };
    const WriteOutcome held = WriteFileSafely(path, true, files, write);
    EXPECT_EQ(held.error, 32u);
    EXPECT_EQ(held.pending, "C:\\Book\\~setup-restart-2.tmp");
    EXPECT_EQ(files.files[path].content, "old");
    EXPECT_EQ(files.files[held.pending].content, "new");
    EXPECT_EQ(files.files["C:\\Book\\~setup-restart-1.tmp"].content, "another run's");
    EXPECT_EQ(files.files.count("C:\\Book\\~setup-partial.tmp"), 0u);

    files.held.clear();
    const WriteOutcome refused = WriteFileSafely(path, true, files, write);
    EXPECT_EQ(refused.error, 32u);
    EXPECT_TRUE(refused.pending.empty());
    EXPECT_EQ(files.files.count("C:\\Book\\~setup-restart-3.tmp"), 0u);
    EXPECT_EQ(files.files.count("C:\\Book\\~setup-partial.tmp"), 0u);
}
}  // namespace
