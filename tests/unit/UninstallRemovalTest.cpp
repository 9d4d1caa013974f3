#include <gtest/gtest.h>

#include <map>

#include "uninstaller/FolderRemoval.h"

namespace {
struct Node {
    bool isFolder = false;
    bool readOnly = false;
    bool locked = false;    // a file open elsewhere / a folder that cannot be removed
    bool enterable = true;  // a folder that cannot be made current
    bool isLink = false;
    bool swapped = false;  // turns into a link or another folder between the listing and the descent
};

// A file system in memory, addressed through a current folder like the real one.
class FakeFileSystem : public RemovalFileSystem {
public:
    std::map<std::string, Node> nodes;
    std::string current = "C:\\";
    std::vector<std::string> messages;
    std::vector<std::string> removed;
    bool failRestore = false;

    void Folder(const std::string& path, Node node = {})
    {
        node.isFolder = true;
        nodes[path] = node;
    }
    void File(const std::string& path, Node node = {}) { nodes[path] = node; }
    bool Has(const std::string& path) const { return nodes.count(path) != 0; }

    bool SetCurrentFolder(const std::string& path) override
    {
        const std::string full = path.size() > 1 && path[1] == ':' ? path : current + "\\" + path;
        if (failRestore && full == restoreRefused) return false;
        auto it = nodes.find(full);
        if (it == nodes.end() || !it->second.isFolder || !it->second.enterable) return false;
        current = full;
        return true;
    }
    EnterResult EnterSubfolder(const std::string& name) override
    {
        auto it = nodes.find(current + "\\" + name);
        if (it == nodes.end() || !it->second.isFolder || !it->second.enterable) return EnterResult::CannotEnter;
        if (it->second.swapped) return EnterResult::NotTheListedFolder;
        current = it->first;
        return EnterResult::Entered;
    }
    bool ReturnToFolder(const std::string& parent) override { return SetCurrentFolder(parent); }
    std::string CurrentFolder() override { return current; }
    std::vector<FolderEntry> ListCurrentFolder() override
    {
        std::vector<FolderEntry> entries;
        for (const auto& [path, node] : nodes) {
            if (Parent(path) != current) continue;
            entries.push_back({path.substr(current.size() + 1), node.isFolder, node.readOnly, node.isLink});
        }
        return entries;
    }
    void ClearReadOnly(const std::string& name) override { nodes[current + "\\" + name].readOnly = false; }
    bool RemoveFile(const std::string& name) override
    {
        const std::string full = current + "\\" + name;
        Node& node = nodes.at(full);
        if (node.readOnly || node.locked) return false;
        Erase(full);
        return true;
    }
    bool RemoveFolder(const std::string& name) override
    {
        const std::string full = current + "\\" + name;
        if (nodes.at(full).locked || full == current) return false;
        if (nodes.at(full).isLink) {  // a junction goes by itself; what it points at stays
            Erase(full);
            return true;
        }
        for (const auto& entry : nodes)
            if (Parent(entry.first) == full) return false;
        Erase(full);
        return true;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::string restoreRefused;

private:
    static std::string Parent(const std::string& path)
    {
        const size_t slash = path.find_last_of('\\');
        return slash == std::string::npos ? std::string() : path.substr(0, slash);
    }
    void Erase(const std::string& full)
    {
        nodes.erase(full);
        removed.push_back(full);
    }
};

// C:\Book with read-only, hidden and plain files on three levels.
FakeFileSystem ThreeLevels()
{
    FakeFileSystem fs;
    fs.Folder("C:\\Book");
    fs.Folder("C:\\Book\\A");
    fs.Folder("C:\\Book\\A\\B", {true, true});
    fs.Folder("C:\\Book\\Z");
    for (const std::string folder : {"C:\\Book", "C:\\Book\\A", "C:\\Book\\A\\B", "C:\\Book\\Z"}) {
        fs.File(folder + "\\readme.txt", {false, true});
        fs.File(folder + "\\data.bin");
    }
    return fs;
}
}  // namespace

class UninstallRemoval : public ::testing::Test {
protected:
    void SetUp() override { removalFailed = false; }
};

TEST_F(UninstallRemoval, EmptiesATreeWithReadOnlyEntriesSilently)
{
    FakeFileSystem fs = ThreeLevels();
    RemoveFolderContents(fs, "C:\\Book");
    EXPECT_FALSE(removalFailed);
    EXPECT_TRUE(fs.messages.empty());
    EXPECT_EQ(fs.nodes.size(), 1u);
    EXPECT_TRUE(fs.Has("C:\\Book"));
    EXPECT_EQ(fs.current, "C:\\Book");
}

TEST_F(UninstallRemoval, ALockedFileIsReportedByItsBareNameAndKeepsItsFolders)
{
    FakeFileSystem fs = ThreeLevels();
    fs.File("C:\\Book\\A\\B\\open.doc", {false, false, true});
    RemoveFolderContents(fs, "C:\\Book");
    EXPECT_TRUE(removalFailed);
    ASSERT_EQ(fs.messages.size(), 1u);
    EXPECT_EQ(fs.messages[0], "Setup cannot delete open.doc. (The file might be read-only or it might be in use.)");
    EXPECT_TRUE(fs.Has("C:\\Book\\A\\B\\open.doc"));
    EXPECT_TRUE(fs.Has("C:\\Book\\A\\B"));
    EXPECT_TRUE(fs.Has("C:\\Book\\A"));
    EXPECT_EQ(fs.nodes.size(), 4u);  // Book, A, B, open.doc: Z and every other file are gone
}

TEST_F(UninstallRemoval, AFolderThatCannotBeEnteredLeavesItsParentsOtherEntriesRemoved)
{
    FakeFileSystem fs = ThreeLevels();
    fs.nodes["C:\\Book\\A"].enterable = false;
    fs.Folder("C:\\Other");
    fs.File("C:\\Other\\keep.txt");
    fs.File("C:\\keep.txt");
    RemoveFolderContents(fs, "C:\\Book");
    EXPECT_TRUE(removalFailed);
    EXPECT_TRUE(fs.messages.empty());
    // Everything below A stays; Z and the files of Book go; nothing outside Book is touched.
    EXPECT_TRUE(fs.Has("C:\\Book\\A\\B\\data.bin"));
    EXPECT_TRUE(fs.Has("C:\\Book\\A\\readme.txt"));
    EXPECT_FALSE(fs.Has("C:\\Book\\Z"));
    EXPECT_FALSE(fs.Has("C:\\Book\\data.bin"));
    EXPECT_TRUE(fs.Has("C:\\Other\\keep.txt"));
    EXPECT_TRUE(fs.Has("C:\\keep.txt"));
    for (const std::string& path : fs.removed)
        EXPECT_EQ(path.rfind("C:\\Book\\", 0), 0u) << path;
}

TEST_F(UninstallRemoval, LosingTheWayBackStopsInsteadOfDeletingElsewhere)
{
    FakeFileSystem fs = ThreeLevels();
    fs.failRestore = true;
    fs.restoreRefused = "C:\\Book\\A";
    RemoveFolderContents(fs, "C:\\Book");
    EXPECT_TRUE(removalFailed);
    EXPECT_TRUE(fs.Has("C:\\Book\\A"));
    EXPECT_TRUE(fs.Has("C:\\Book\\A\\readme.txt"));
}

TEST_F(UninstallRemoval, LinksAreRemovedWithoutTouchingTheirTargets)
{
    FakeFileSystem fs;
    fs.Folder("C:\\Book");
    fs.Folder("C:\\Book\\link", {true, false, false, true, true});
    fs.File("C:\\Book\\link\\target-file.txt");  // seen through the link; it lives elsewhere
    RemoveFolderContents(fs, "C:\\Book");
    EXPECT_FALSE(removalFailed);
    EXPECT_FALSE(fs.Has("C:\\Book\\link"));
    EXPECT_TRUE(fs.Has("C:\\Book\\link\\target-file.txt"));
    EXPECT_EQ(fs.removed, std::vector<std::string>{"C:\\Book\\link"});
    EXPECT_TRUE(fs.messages.empty());

    // A link the system cannot remove by itself stays and is named.
    fs.Folder("C:\\Book\\stuck", {true, false, true, true, true});
    RemoveFolderContents(fs, "C:\\Book");
    EXPECT_TRUE(removalFailed);
    EXPECT_EQ(fs.messages, std::vector<std::string>{
                               "Setup cannot delete stuck. (The file might be read-only or it might be in use.)"});
}

TEST_F(UninstallRemoval, AFolderThatCannotBeMadeCurrentChangesNothing)
{
    FakeFileSystem fs = ThreeLevels();
    RemoveFolderContents(fs, "C:\\Missing");
    EXPECT_TRUE(removalFailed);
    EXPECT_TRUE(fs.removed.empty());
}

TEST_F(UninstallRemoval, AnEmptyFolderIsQuiet)
{
    FakeFileSystem fs;
    fs.Folder("C:\\Book");
    RemoveFolderContents(fs, "C:\\Book");
    EXPECT_FALSE(removalFailed);
    EXPECT_TRUE(fs.messages.empty());
}

TEST_F(UninstallRemoval, AFolderSwappedBeforeItIsEnteredIsReportedAndKeepsItsContents)
{
    FakeFileSystem fs = ThreeLevels();
    fs.nodes["C:\\Book\\A"].swapped = true;
    RemoveFolderContents(fs, "C:\\Book");
    EXPECT_TRUE(removalFailed);
    EXPECT_EQ(fs.messages,
              std::vector<std::string>{"Setup cannot delete A. (The file might be read-only or it might be in use.)"});
    // Nothing inside A is touched, A itself stays; the rest of Book is emptied.
    for (const std::string& path : fs.removed)
        EXPECT_NE(path.rfind("C:\\Book\\A", 0), 0u) << path;
    EXPECT_TRUE(fs.Has("C:\\Book\\A\\B\\data.bin"));
    EXPECT_FALSE(fs.Has("C:\\Book\\Z"));
    EXPECT_FALSE(fs.Has("C:\\Book\\data.bin"));
}

TEST_F(UninstallRemoval, AnotherSectionsFolderInsideStaysWithTheFoldersThatHoldIt)
{
    FakeFileSystem fs = ThreeLevels();
    // Another section installed into C:\Book\A\B (any case); C:\Book\Z is this section's alone.
    EXPECT_TRUE(RemoveFolderContents(fs, "C:\\Book", {"c:\\book\\a\\b"}));
    EXPECT_FALSE(removalFailed);
    EXPECT_TRUE(fs.messages.empty());
    for (const char* kept : {"C:\\Book\\A", "C:\\Book\\A\\B", "C:\\Book\\A\\B\\readme.txt", "C:\\Book\\A\\B\\data.bin"})
        EXPECT_TRUE(fs.Has(kept)) << kept;
    for (const char* gone : {"C:\\Book\\readme.txt", "C:\\Book\\A\\data.bin", "C:\\Book\\Z", "C:\\Book\\Z\\data.bin"})
        EXPECT_FALSE(fs.Has(gone)) << gone;
    // A file another record names keeps the folders above it.
    FakeFileSystem named = ThreeLevels();
    EXPECT_TRUE(RemoveFolderContents(named, "C:\\Book", {"C:\\BOOK\\Z\\DATA.BIN"}));
    EXPECT_TRUE(named.Has("C:\\Book\\Z\\data.bin"));
    EXPECT_FALSE(named.Has("C:\\Book\\A"));
    EXPECT_FALSE(named.Has("C:\\Book\\readme.txt"));
    EXPECT_TRUE(IsSameOrInsideFolder("C:\\Book\\A", "C:\\BOOK"));
    EXPECT_FALSE(IsSameOrInsideFolder("C:\\Bookshelf", "C:\\Book"));
    EXPECT_TRUE(IsSameOrInsideFolder("C:\\Book", "C:\\"));
}
