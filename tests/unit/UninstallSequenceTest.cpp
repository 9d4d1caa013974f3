#include <gtest/gtest.h>

#include <map>

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
    bool FolderExists(const std::string& path) override { return folderExists; }
    void RemoveFolderContents(const std::string& path) override
    {
        changes.push_back("empty " + path);
        current = path;
        if (contentsFail) removalFailed = true;
    }
    bool RemoveFolder(const std::string& path) override
    {
        changes.push_back("remove " + path + " from " + current);
        return folderRemovable;
    }
    std::vector<std::string> ProtectedFolders() override
    {
        return {"C:\\WINDOWS", "C:\\Program Files", "C:\\Users\\me\\Desktop", "C:\\Users\\me"};
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
