#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "framework/SafeFormat.h"
#include "uninstaller/FolderRemoval.h"
#include "uninstaller/UninstallSequence.h"

namespace {
const char kArguments[] = "`C:\\Program Files\\My Book` My Book";
const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\My Book";

// Records every change; a run that changed nothing leaves `changes` empty.
class FakePlatform : public UninstallPlatform {
public:
    bool ntFamily = true;
    bool administrator = true;
    bool answerYes = true;
    bool folderExists = true;
    bool contentsFail = false;
    bool folderRemovable = true;
    std::map<std::string, std::map<std::string, std::string>> entries;
    std::string current = "C:\\WINDOWS\\system32";
    std::string longName;
    // What the system says about paths; a path not listed is a real folder that is its own final path.
    std::map<std::string, PathKind> kinds;
    std::map<std::string, std::string> finals;
    std::map<std::string, std::string> finalsAfterQuestion;  // a swap while the question is open
    std::map<std::string, PathKind> kindsAfterQuestion;
    bool finalPathCall = true;
    std::map<std::string, std::string> volumeRoots;
    std::map<std::string, std::string> dosDevices;
    std::map<std::string, std::string> identities;  // a path not listed is told apart by its name

    std::vector<UninstallCommand> others;                          // the other entries' folders and products
    std::map<std::string, std::vector<std::string>> otherRecords;  // by product
    std::optional<std::vector<std::string>> record;                // the entry's stored record
    std::set<std::string> files;                                   // files there (all else is a folder)
    std::set<std::string> undeletable;
    std::map<std::string, unsigned long> counts;  // SharedDLLs
    bool uninstallerNamed = true;                 // another entry still runs TOVRADE.EXE
    std::vector<std::string> logged;
    std::vector<std::string> notes;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> changes;
    std::string openEntry;
    bool problemShown = false;
    std::string problemShownText;

    FakePlatform()
    {
        entries[kEntry] = {{"DisplayName", "My Book"},
                           {"UninstallString", std::string("C:\\WINDOWS\\TOVRADE.EXE ") + kArguments},
                           {"UninstallText", "Remove %s now? 100%"},
                           {"UninstallProblemText", "Some files stayed."},
                           {"ShortcutLocation", "C:\\Users\\me\\Desktop\\My Book.lnk"}};
    }

    bool IsNtFamily() override { return ntFamily; }
    bool IsAdministrator() override { return administrator; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override
    {
        questions.push_back(text);
        for (const auto& [path, final] : finalsAfterQuestion)
            finals[path] = final;
        for (const auto& [path, kind] : kindsAfterQuestion)
            kinds[path] = kind;
        return answerYes;
    }
    std::string CurrentFolder() override { return current; }
    bool SetCurrentFolder(const std::string& path) override
    {
        current = path;
        return true;
    }
    bool OpenEntry(const std::string& entryPath) override
    {
        if (!entries.count(entryPath)) return false;
        openEntry = entryPath;
        return true;
    }
    std::optional<std::string> ReadEntryValue(const std::string& name) override
    {
        auto& values = entries.at(openEntry);
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void DeleteEntryTree(const std::string& entryPath) override { changes.push_back("delete entry " + entryPath); }
    void DeleteShortcut(const std::string& path) override { changes.push_back("delete shortcut " + path); }
    PathKind QueryPath(const std::string& path) override
    {
        auto it = kinds.find(path);
        if (it != kinds.end()) return it->second;
        if (files.count(path)) return PathKind::File;
        return !folderExists && path == "C:\\Program Files\\My Book" ? PathKind::Missing : PathKind::Folder;
    }
    std::optional<std::string> FinalPath(const std::string& path) override
    {
        if (!finalPathCall) return std::nullopt;
        auto it = finals.find(path);
        return "\\\\?\\" + (it != finals.end() ? it->second : path);
    }
    std::optional<std::string> VolumeRoot(const std::string& path) override
    {
        auto it = volumeRoots.find(path);
        return it != volumeRoots.end() ? it->second : path.substr(0, 3);
    }
    std::optional<std::string> DosDevice(const std::string& drive) override
    {
        auto it = dosDevices.find(drive);
        return it != dosDevices.end() ? it->second : "\\Device\\HarddiskVolume1";
    }
    std::vector<std::string> MachineNames() override { return {"PC", "pc.example.org"}; }
    std::string WindowsFolder() override { return "C:\\WINDOWS"; }
    std::optional<std::string> FolderIdentity(const std::string& path) override
    {
        auto it = identities.find(path);
        return it != identities.end() ? it->second : path;
    }
    bool RemoveFolderContents(const std::string& path, const std::vector<std::string>& spared) override
    {
        std::string kept;
        for (const std::string& folder : spared)
            kept += " but " + folder;
        changes.push_back("empty " + path + kept);
        current = path;
        for (auto it = files.begin(); it != files.end();) {
            const bool inside = it->compare(0, path.size() + 1, path + "\\") == 0;
            const bool isSpared = std::any_of(spared.begin(), spared.end(), [&](const std::string& s) {
                return *it == s || it->compare(0, s.size() + 1, s + "\\") == 0;
            });
            it = inside && !isSpared ? files.erase(it) : std::next(it);
        }
        if (contentsFail) removalFailed = true;
        return !spared.empty();
    }
    std::vector<InstalledProduct> OtherInstallations(const std::string& productName) override
    {
        std::vector<InstalledProduct> found;
        for (const UninstallCommand& other : others) {
            auto it = otherRecords.find(other.productName);
            found.push_back(
                {other, it != otherRecords.end() ? std::optional(StoredRecordForm(it->second)) : std::nullopt});
        }
        return found;
    }
    std::optional<std::string> ReadEntryRecord() override
    {
        return record ? std::optional<std::string>(StoredRecordForm(*record)) : std::nullopt;
    }
    bool DeleteFile(const std::string& path) override
    {
        if (undeletable.count(path)) return false;
        changes.push_back("delete file " + path);
        files.erase(path);
        return true;
    }
    std::optional<unsigned long> ReleaseSharedFile(const std::string& path) override
    {
        auto it = counts.find(path);
        if (it == counts.end()) return std::nullopt;
        const unsigned long left = --it->second;
        if (left == 0) counts.erase(it);
        return left;
    }
    bool UninstallerStillNamed(const std::string&) override { return uninstallerNamed; }
    void RemoveUninstaller(const std::string& path) override { changes.push_back("remove uninstaller " + path); }
    void Log(const std::string& text) override { logged.push_back(text); }
    void Inform(const std::string& text) override { notes.push_back(text); }
    bool RemoveFolder(const std::string& path) override
    {
        // A folder that still holds a file stays.
        for (const std::string& file : files)
            if (file.size() > path.size() && file.compare(0, path.size() + 1, path + "\\") == 0) return false;
        changes.push_back("remove " + path + " from " + current);
        return folderRemovable;
    }
    std::vector<std::string> ProtectedFolders() override
    {
        return {"C:\\WINDOWS", "C:\\WINDOWS\\system32", "C:\\Program Files", "C:\\Users\\me\\Desktop", "C:\\Users\\me"};
    }
    std::string LongPathName(const std::string& path) override { return longName.empty() ? path : longName; }
    void ShowProblemDialog() override
    {
        problemShown = true;
        problemShownText = problemText;
    }
};

UninstallOutcome RunWith(FakePlatform& platform, const std::string& arguments = kArguments)
{
    removalFailed = true;  // a run starts with the flag cleared
    return RunUninstall(platform, arguments);
}
}  // namespace

TEST(UninstallSequence, YesRemovesShortcutFolderAndEntryInThatOrder)
{
    FakePlatform platform;
    EXPECT_EQ(RunWith(platform), UninstallOutcome::Removed);
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0], "Remove My Book now? 100%");
    EXPECT_EQ(
        platform.changes,
        (std::vector<std::string>{
            "delete shortcut C:\\Users\\me\\Desktop\\My Book.lnk", "empty C:\\Program Files\\My Book",
            "remove C:\\Program Files\\My Book from C:\\WINDOWS\\system32", std::string("delete entry ") + kEntry}));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(platform.problemShown);
}

TEST(UninstallSequence, NoAndEveryRefusalChangeNothing)
{
    FakePlatform declined;
    declined.answerYes = false;
    EXPECT_EQ(RunWith(declined), UninstallOutcome::Declined);
    EXPECT_TRUE(declined.changes.empty());

    FakePlatform noRights;
    noRights.administrator = false;
    EXPECT_EQ(RunWith(noRights), UninstallOutcome::NoRights);
    EXPECT_EQ(noRights.messages, std::vector<std::string>{kNoRightsText});
    FakePlatform oldSystem;
    oldSystem.ntFamily = false;
    oldSystem.administrator = false;
    EXPECT_EQ(RunWith(oldSystem), UninstallOutcome::Removed);

    FakePlatform empty;
    EXPECT_EQ(RunWith(empty, ""), UninstallOutcome::NoCommand);
    EXPECT_TRUE(empty.messages.empty());
    EXPECT_TRUE(empty.questions.empty());

    struct Case {
        const char* arguments;
        UninstallOutcome outcome;
    };
    for (const Case& c :
         {Case{"C:\\Program Files\\My Book My Book", UninstallOutcome::BadCommand},
          Case{"`C:\\Program Files\\My Book`", UninstallOutcome::BadCommand},
          Case{"`C:\\Book` ", UninstallOutcome::UnsafeName}, Case{"`C:\\Book` ..\\..", UninstallOutcome::UnsafeName},
          Case{"`C:\\Book` Other Book", UninstallOutcome::NoEntry},
          Case{"`C:\\Program Files` My Book", UninstallOutcome::EntryMismatch}}) {
        FakePlatform platform;
        EXPECT_EQ(RunWith(platform, c.arguments), c.outcome) << c.arguments;
        EXPECT_EQ(platform.messages.size(), 1u) << c.arguments;
        EXPECT_TRUE(platform.questions.empty()) << c.arguments;
        EXPECT_TRUE(platform.changes.empty()) << c.arguments;
    }
}

TEST(UninstallSequence, DangerousFoldersAreRefusedEvenWhenTheEntryAgrees)
{
    for (const char* folder : {"C:", "C:\\Book\\..\\..", "C:\\", "C:\\Program Files ", "C:\\Users\\me", "C:\\Users",
                               "Book", "C:\\WINDOWS\\..\\windows."}) {
        FakePlatform platform;
        const std::string arguments = std::string("`") + folder + "` My Book";
        platform.entries[kEntry]["UninstallString"] = "C:\\WINDOWS\\TOVRADE.EXE " + arguments;
        EXPECT_EQ(RunWith(platform, arguments), UninstallOutcome::UnsafeFolder) << folder;
        EXPECT_EQ(platform.messages.size(), 1u) << folder;
        EXPECT_TRUE(platform.changes.empty()) << folder;
    }
    // A short (8.3) name of a guarded folder is refused through its long form.
    FakePlatform shortName;
    const std::string arguments = "`C:\\PROGRA~1` My Book";
    shortName.entries[kEntry]["UninstallString"] = "C:\\WINDOWS\\TOVRADE.EXE " + arguments;
    shortName.longName = "C:\\Program Files";
    EXPECT_EQ(RunWith(shortName, arguments), UninstallOutcome::UnsafeFolder);
    EXPECT_TRUE(shortName.changes.empty());
}

TEST(UninstallSequence, AFolderAlreadyGoneStillLosesShortcutAndEntry)
{
    FakePlatform platform;
    platform.folderExists = false;
    EXPECT_EQ(RunWith(platform), UninstallOutcome::FolderWasGone);
    EXPECT_EQ(platform.changes, (std::vector<std::string>{"delete shortcut C:\\Users\\me\\Desktop\\My Book.lnk",
                                                          std::string("delete entry ") + kEntry}));
    EXPECT_FALSE(platform.problemShown);
}

TEST(UninstallSequence, ARemovalProblemKeepsTheEntryAndShowsTheDialogOnce)
{
    FakePlatform contents;
    contents.contentsFail = true;
    EXPECT_EQ(RunWith(contents), UninstallOutcome::RemovalFailed);
    EXPECT_TRUE(contents.problemShown);
    EXPECT_EQ(contents.problemShownText, "Some files stayed.");
    EXPECT_EQ(contents.changes.back(), "empty C:\\Program Files\\My Book");

    FakePlatform folder;
    folder.folderRemovable = false;
    EXPECT_EQ(RunWith(folder), UninstallOutcome::RemovalFailed);
    EXPECT_TRUE(folder.problemShown);
    for (const std::string& change : folder.changes)
        EXPECT_EQ(change.find("delete entry"), std::string::npos);
}

TEST(UninstallSequence, MissingValuesFallBackAndOddShortcutsAreSkipped)
{
    FakePlatform platform;
    auto& values = platform.entries[kEntry];
    values.erase("UninstallText");
    values.erase("UninstallProblemText");
    values["ShortcutLocation"] = "DESKTOP";
    platform.contentsFail = true;
    EXPECT_EQ(RunWith(platform), UninstallOutcome::RemovalFailed);
    EXPECT_EQ(platform.questions, std::vector<std::string>{FormatText(kDefaultQuestionText, {"My Book"})});
    EXPECT_EQ(platform.problemShownText, kDefaultProblemText);
    for (const std::string& change : platform.changes)
        EXPECT_EQ(change.find("shortcut"), std::string::npos);

    FakePlatform longText;
    longText.entries[kEntry]["UninstallProblemText"] = std::string(600, 'x');
    longText.contentsFail = true;
    RunWith(longText);
    EXPECT_EQ(longText.problemShownText.size(), 511u);
}

namespace {
std::string EntryChange()
{
    return std::string("delete entry ") + kEntry;
}
}  // namespace

// Each case is an entry whose folder the system shows in another light: links on the way, other names
// of protected folders, a drive that is not there. `changes` is everything the run did, in order.
TEST(UninstallSequence, EveryNameAFolderIsKnownByIsCheckedAndOnlyLinksGoWhenTheyAreTheFolder)
{
    const std::string shortcut = "delete shortcut C:\\Users\\me\\Desktop\\My Book.lnk";
    struct Case {
        const char* name;
        const char* folder;
        std::function<void(FakePlatform&)> arrange;
        UninstallOutcome outcome;
        std::vector<std::string> changes;
        const char* message;  // the start of the one message shown, or nothing
    };
    const Case cases[] = {
        {"the folder is a link",
         "C:\\Book",
         [](FakePlatform& p) {
             p.kinds["C:\\Book"] = PathKind::LinkedFolder;
             p.finals["C:\\Book"] = "C:\\WINDOWS";
         },
         UninstallOutcome::Removed,
         {shortcut, "remove C:\\Book from C:\\WINDOWS\\system32", EntryChange()},
         nullptr},
        {"a link the system cannot remove by itself",
         "C:\\Book",
         [](FakePlatform& p) {
             p.kinds["C:\\Book"] = PathKind::LinkedFolder;
             p.folderRemovable = false;
         },
         UninstallOutcome::RemovalFailed,
         {shortcut, "remove C:\\Book from C:\\WINDOWS\\system32"},
         "The installation folder \"C:\\Book\" is a link to another folder, and this system cannot remove"},
        {"a folder above links into the Windows folder",
         "C:\\Up\\system32",
         [](FakePlatform& p) {
             p.kinds["C:\\Up"] = PathKind::LinkedFolder;
             p.finals["C:\\Up\\system32"] = "C:\\WINDOWS\\system32";
         },
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"C:\\Up\\system32\" is or contains the system or user folder C:\\WINDOWS\\system32"},
        {"a moved folder above, linked back",
         "C:\\Moved\\App",
         [](FakePlatform& p) {
             p.kinds["C:\\Moved"] = PathKind::LinkedFolder;
             p.finals["C:\\Moved\\App"] = "C:\\Real\\App";
         },
         UninstallOutcome::Removed,
         {shortcut, "empty C:\\Moved\\App", "remove C:\\Moved\\App from C:\\WINDOWS\\system32", EntryChange()},
         nullptr},
        {"a protected folder that lives elsewhere",
         "D:\\Desk",
         [](FakePlatform& p) { p.finals["C:\\Users\\me\\Desktop"] = "D:\\Desk\\Top"; },
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"D:\\Desk\" is or contains the system or user folder D:\\Desk\\Top"},
        {"an administrative share of this computer",
         "\\\\pc.example.org\\c$\\Users",
         [](FakePlatform&) {},
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"\\\\pc.example.org\\c$"},
        {"the ADMIN$ share",
         "\\\\localhost\\ADMIN$\\system32",
         [](FakePlatform&) {},
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"\\\\localhost\\ADMIN$\\system32\" is or contains"},
        {"this computer under an address no rule knows",
         "\\\\10.1.2.3\\c$\\WINDOWS",
         [](FakePlatform& p) { p.identities["\\\\10.1.2.3\\c$\\WINDOWS"] = "C:\\WINDOWS"; },
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"\\\\10.1.2.3\\c$\\WINDOWS\" is or contains the system or user folder C:\\WINDOWS"},
        {"a drive root under an address no rule knows",
         "\\\\10.1.2.3\\Data\\All",
         [](FakePlatform& p) { p.identities["\\\\10.1.2.3\\Data\\All"] = "C:\\"; },
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"\\\\10.1.2.3\\Data\\All\" is the root of a drive"},
        {"a SUBST drive",
         "S:\\me",
         [](FakePlatform& p) { p.dosDevices["S:"] = "\\??\\C:\\Users"; },
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"S:\\me\" is or contains the system or user folder C:\\Users\\me"},
        {"a network drive mapped to this computer",
         "N:\\WINDOWS",
         [](FakePlatform& p) { p.dosDevices["N:"] = "\\Device\\LanmanRedirector\\;N:0000000000012345\\PC\\C$"; },
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"N:\\WINDOWS\" is or contains"},
        {"a volume mounted on the folder",
         "C:\\Mount",
         [](FakePlatform& p) {
             p.kinds["C:\\Mount"] = PathKind::LinkedFolder;
             p.volumeRoots["C:\\Mount"] = "C:\\Mount\\";
         },
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"C:\\Mount\" is the root of a drive"},
        {"no final path and a link on the way",
         "C:\\Up\\Book",
         [](FakePlatform& p) {
             p.finalPathCall = false;
             p.kinds["C:\\Up"] = PathKind::LinkedFolder;
         },
         UninstallOutcome::UnsafeFolder,
         {},
         "The installation folder \"C:\\Up\\Book\" is reached through a link"},
        {"no final path and no link",
         "C:\\Up\\Book",
         [](FakePlatform& p) { p.finalPathCall = false; },
         UninstallOutcome::Removed,
         {shortcut, "empty C:\\Up\\Book", "remove C:\\Up\\Book from C:\\WINDOWS\\system32", EntryChange()},
         nullptr},
        {"a drive that is not there",
         "Q:\\Book",
         [](FakePlatform& p) {
             p.kinds["Q:\\Book"] = PathKind::Missing;
             p.kinds["Q:\\"] = PathKind::Missing;
         },
         UninstallOutcome::FolderUnreachable,
         {},
         "The installation folder \"Q:\\Book\" cannot be reached: its drive or network share is not there"},
        {"a drive without a disk",
         "A:\\Book",
         [](FakePlatform& p) { p.kinds["A:\\Book"] = PathKind::Unreachable; },
         UninstallOutcome::FolderUnreachable,
         {},
         "The installation folder \"A:\\Book\" cannot be reached"},
        {"a folder above is gone",
         "C:\\Gone\\Book",
         [](FakePlatform& p) {
             p.kinds["C:\\Gone\\Book"] = PathKind::Missing;
             p.kinds["C:\\Gone"] = PathKind::Missing;
         },
         UninstallOutcome::FolderWasGone,
         {shortcut, EntryChange()},
         nullptr},
        {"the folder replaced by a link while the question is open",
         "C:\\Book",
         [](FakePlatform& p) { p.kindsAfterQuestion["C:\\Book"] = PathKind::LinkedFolder; },
         UninstallOutcome::RemovalFailed,
         {shortcut},
         "The installation folder \"C:\\Book\" was replaced"},
        {"a link put above while the question is open, no final path",
         "C:\\Up\\Book",
         [](FakePlatform& p) {
             p.finalPathCall = false;
             p.kindsAfterQuestion["C:\\Up"] = PathKind::LinkedFolder;
         },
         UninstallOutcome::RemovalFailed,
         {shortcut},
         "The installation folder \"C:\\Up\\Book\" was replaced"},
        {"a folder swapped in while the question is open",
         "C:\\Moved\\App",
         [](FakePlatform& p) {
             p.kinds["C:\\Moved"] = PathKind::LinkedFolder;
             p.finals["C:\\Moved\\App"] = "C:\\Real\\App";
             p.finalsAfterQuestion["C:\\Moved\\App"] = "C:\\Other\\App";
         },
         UninstallOutcome::RemovalFailed,
         {shortcut},
         "The installation folder \"C:\\Moved\\App\" was replaced while this program was running"},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        const std::string arguments = std::string("`") + c.folder + "` My Book";
        platform.entries[kEntry]["UninstallString"] = "C:\\WINDOWS\\TOVRADE.EXE " + arguments;
        c.arrange(platform);
        EXPECT_EQ(RunWith(platform, arguments), c.outcome) << c.name;
        EXPECT_EQ(platform.changes, c.changes) << c.name;
        EXPECT_EQ(platform.messages.size(), c.message ? 1u : 0u) << c.name;
        if (c.message && !platform.messages.empty()) {
            EXPECT_EQ(platform.messages[0].rfind(c.message, 0), 0u) << c.name << ": " << platform.messages[0];
        }
        const bool refused = c.outcome == UninstallOutcome::UnsafeFolder;
        EXPECT_EQ(platform.questions.size(), refused ? 0u : 1u) << c.name;
        const bool problem =
            c.outcome == UninstallOutcome::FolderUnreachable || c.outcome == UninstallOutcome::RemovalFailed;
        EXPECT_EQ(platform.problemShown, problem) << c.name;
    }
}

TEST(UninstallSequence, OtherSectionsInTheSameOrAnInnerFolderKeepTheirFiles)
{
    const std::string shortcut = "delete shortcut C:\\Users\\me\\Desktop\\My Book.lnk";
    const std::string entry = std::string("delete entry ") + kEntry;
    struct Case {
        const char* name;
        std::vector<UninstallCommand> others;
        std::vector<std::string> changes;
        const char* note;  // "" when none
    } cases[] = {
        {"the same folder, another spelling",
         {{"C:\\program files\\My Book\\", "Tools"}},
         {shortcut, entry},
         "C:\\Program Files\\My Book is also the folder of Tools, which is still installed."},
        {"a folder inside",
         {{"C:\\Program Files\\My Book\\Tools", "Tools"}, {"C:\\Program Files\\My Bookshelf", "Shelf"}},
         {shortcut, "empty C:\\Program Files\\My Book but C:\\Program Files\\My Book\\Tools", entry},
         "holds folders of other installed programs: C:\\Program Files\\My Book\\Tools (Tools)"},
        {"a folder above and a neighbour",
         {{"C:\\Program Files", "All"}, {"C:\\Program Files\\My Bookshelf", "Shelf"}},
         {shortcut, "empty C:\\Program Files\\My Book", "remove C:\\Program Files\\My Book from C:\\WINDOWS\\system32",
          entry},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.others = c.others;
        EXPECT_EQ(RunWith(platform), UninstallOutcome::Removed);
        EXPECT_EQ(platform.changes, c.changes);
        EXPECT_TRUE(platform.messages.empty()) << "no failure";
        EXPECT_FALSE(platform.problemShown);
        if (*c.note) {
            ASSERT_EQ(platform.notes.size(), 1u);
            EXPECT_NE(platform.notes[0].find(c.note), std::string::npos) << platform.notes[0];
        } else {
            EXPECT_TRUE(platform.notes.empty());
        }
    }
}

// The removal by the entry's install record: what the record names goes, what another installation
// or the user owns stays, what the install made outside the folder goes once the folder is done, and a
// record that cannot be followed changes nothing but the folder.
TEST(UninstallSequence, TheInstallRecordDecidesWhatGoes)
{
    const std::string folder = "C:\\Program Files\\My Book";
    const std::string readme = folder + "\\README.TXT", a = folder + "\\Sub\\A.TXT",
                      notes = folder + "\\Sub\\NOTES.TXT";
    const std::string desktop = "C:\\Users\\me\\Desktop\\Readme.lnk";
    const std::string copied = "C:\\WINDOWS\\system32\\WIDGETS.TXT";
    const std::string older = "C:\\WINDOWS\\system32\\OLD.DLL";
    const std::string uninstaller = "C:\\WINDOWS\\TOVRADE.EXE";
    const std::string winIni = "C:\\WINDOWS\\win.ini";
    const std::vector<std::string> record{kRecordFormatName,
                                          "folder " + folder,
                                          "folder Sub",
                                          "file README.TXT",
                                          "file Sub\\A.TXT",
                                          "file " + desktop,
                                          "folder C:\\Users\\me\\Start Menu\\Book",
                                          "shared-created " + copied,
                                          "shared " + older,
                                          "shared-created " + uninstaller};
    auto with = [&](const std::string& line) {
        std::vector<std::string> lines = record;
        lines.push_back(line);
        return lines;
    };
    std::vector<std::string> existedBefore = record;
    existedBefore.erase(existedBefore.begin() + 1);
    const std::map<std::string, unsigned long> untouched{{copied, 1}, {older, 1}, {uninstaller, 2}};
    const std::set<std::string> allOutside{desktop, copied, older, uninstaller};
    struct Case {
        const char* name;
        std::optional<std::vector<std::string>> record;
        std::vector<UninstallCommand> others;
        std::vector<std::string> otherRecord;  // of the first other
        std::string undeletable;
        bool uninstallerNamed;
        UninstallOutcome outcome;
        bool emptied;  // the folder emptied and removed as a whole
        std::set<std::string> filesLeft;
        std::map<std::string, unsigned long> countsLeft;
        bool uninstallerRemoved;
        bool fallsBack;  // the record is not followed, and the log says why
    };
    // Laid out as a table to be read, one case a row.
    // clang-format off
    std::vector<Case> cases = {
        {"made the folder, alone in it", record, {}, {}, "", true, UninstallOutcome::Removed, true, {older, uninstaller}, {{uninstaller, 1}}, false, false},
        {"the folder was there before", existedBefore, {}, {}, "", true, UninstallOutcome::Removed, false, {notes, older, uninstaller}, {{uninstaller, 1}}, false, false},
        {"another section in the folder owns a file", record, {{folder, "Tools"}}, {kRecordFormatName, "file README.TXT"}, "", true, UninstallOutcome::Removed, false, {notes, readme, older, uninstaller}, {{uninstaller, 1}}, false, false},
        {"an older section above keeps everything inside", record, {{"C:\\Program Files", "All"}}, {}, "", true, UninstallOutcome::Removed, false, {notes, readme, a, older, uninstaller}, {{uninstaller, 1}}, false, false},
        {"the last entry takes the uninstaller", record, {}, {}, "", false, UninstallOutcome::Removed, true, {older, uninstaller}, {{uninstaller, 1}}, true, false},
        {"an outside file that stays keeps the entry and the counts", record, {}, {}, desktop, true, UninstallOutcome::RemovalFailed, true, allOutside, untouched, false, false},
    };
    // clang-format on
    // A record that cannot be followed: the folder goes whole, nothing outside it is touched.
    const std::pair<const char*, std::vector<std::string>> refused[] = {
        {"a plain file in the Windows folder", with("file " + winIni)},
        {"a protected folder", with("folder C:\\Users\\me\\Desktop")},
        {"another spelling", with("file " + folder + "\\..\\..\\WINDOWS\\notepad.exe")},
        {"a record that cannot be read", {"some other format", "file README.TXT"}}};
    for (const auto& [name, lines] : refused)
        cases.push_back(
            {name, lines, {}, {}, "", true, UninstallOutcome::Removed, true, allOutside, untouched, false, true});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        platform.record = c.record;
        platform.others = c.others;
        if (!c.otherRecord.empty()) platform.otherRecords[c.others[0].productName] = c.otherRecord;
        if (!c.undeletable.empty()) platform.undeletable.insert(c.undeletable);
        platform.uninstallerNamed = c.uninstallerNamed;
        platform.files = {readme, a, notes, desktop, copied, older, uninstaller, winIni};
        platform.counts = untouched;
        EXPECT_EQ(RunWith(platform), c.outcome);
        auto changed = [&](const std::string& change) {
            return std::find(platform.changes.begin(), platform.changes.end(), change) != platform.changes.end();
        };
        EXPECT_EQ(changed("empty " + folder), c.emptied);
        EXPECT_EQ(changed("remove " + folder + " from C:\\WINDOWS\\system32"), c.emptied);
        std::set<std::string> expected = c.filesLeft;
        expected.insert(winIni);
        EXPECT_EQ(platform.files, expected);
        EXPECT_EQ(platform.counts, c.countsLeft);
        EXPECT_EQ(changed(std::string("delete entry ") + kEntry), c.outcome == UninstallOutcome::Removed);
        EXPECT_EQ(changed("remove uninstaller " + uninstaller), c.uninstallerRemoved);
        const bool logged = std::any_of(platform.logged.begin(), platform.logged.end(), [](const std::string& line) {
            return line.find("the install record of My Book") == 0;
        });
        EXPECT_EQ(logged, c.fallsBack);
    }
}
