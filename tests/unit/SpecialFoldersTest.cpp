#include <gtest/gtest.h>

#include "SettingsFakes.h"

namespace {
class FakeShellFolders : public ShellFolderSource {
public:
    bool opens = true;
    std::map<std::string, std::string> values;
    bool Open() override { return opens; }
    std::optional<std::string> Read(const std::string& name) override
    {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
};

const OsVersion kWin95{1, 4, 0};
const OsVersion kNt4{2, 4, 0};
const OsVersion kWin2000{2, 5, 0};
const OsVersion kWin10{2, 10, 0};
}  // namespace

TEST(SpecialFolders, MyDocumentsRuleForEachPlatform)
{
    EXPECT_EQ(ChooseMyDocuments("D:\\Profiles\\My Documents", "Error", kWin95), "D:\\Profiles\\My Documents");
    EXPECT_EQ(ChooseMyDocuments("D:\\Profiles\\my documents", "Error", kWin2000), "D:\\Profiles\\my documents");
    EXPECT_EQ(ChooseMyDocuments("D:\\Data", "Error", kWin95), "C:\\My Documents");
    EXPECT_EQ(ChooseMyDocuments("D:\\Data", "error", kWin2000), "C:\\My Documents");
    EXPECT_EQ(ChooseMyDocuments("D:\\Data", "Error", kNt4), "D:\\Data");
    EXPECT_EQ(ChooseMyDocuments("D:\\Data", "D:\\Papers", kWin95), "D:\\Papers");
    EXPECT_EQ(ChooseMyDocuments("D:\\Data", "D:\\Papers", kWin10), "D:\\Papers");
    // Since NT 6 the documents folder is ...\Documents everywhere: it is kept.
    EXPECT_EQ(ChooseMyDocuments("C:\\Users\\ann\\Documents", "Error", kWin10), "C:\\Users\\ann\\Documents");
    // An AltMyDocumentsDir that is present but empty counts as not set.
    EXPECT_EQ(ChooseMyDocuments("D:\\Data", "", kWin95), "C:\\My Documents");
    // Shorter than "My Documents": no reading outside the value.
    EXPECT_EQ(ChooseMyDocuments("", "Error", kWin95), "C:\\My Documents");
}

TEST(SpecialFolders, TableIsFilledFromTheShellFoldersOnce)
{
    FakeShellFolders shell;
    shell.values = {{"Favorites", "C:\\Fav"},
                    {"Personal", "C:\\Docs\\My Documents"},
                    {"Desktop", "C:\\Desk"},
                    {"Start Menu", "C:\\Start"},
                    {"Programs", "C:\\Start\\Progs"}};
    SpecialFolderTable table;
    RecordingSink messages;
    table.Set(SpecialFolder::Reserved9, "stale");
    table.Build("C:\\windows", "C:\\windows\\system32", kWin10, shell, "Error", messages);
    EXPECT_EQ(table.Get(SpecialFolder::WindowsDir), "C:\\windows");
    EXPECT_EQ(table.Get(SpecialFolder::SystemDir), "C:\\windows\\system32");
    EXPECT_EQ(table.Get(SpecialFolder::Favorites), "C:\\Fav");
    EXPECT_EQ(table.Get(SpecialFolder::MyDocuments), "C:\\Docs\\My Documents");
    EXPECT_EQ(table.Get(SpecialFolder::MyPictures), "");
    EXPECT_EQ(table.Get(SpecialFolder::Desktop), "C:\\Desk");
    EXPECT_EQ(table.Get(SpecialFolder::StartMenu), "C:\\Start");
    EXPECT_EQ(table.Get(SpecialFolder::Programs), "C:\\Start\\Progs");
    EXPECT_EQ(table.Get(SpecialFolder::Reserved9), "");
    EXPECT_EQ(table.Version().major, 10u);
    EXPECT_TRUE(messages.shown.empty());

    shell.values["Desktop"] = "changed";
    table.Build("X", "Y", kWin10, shell, "Error", messages);
    EXPECT_EQ(table.Get(SpecialFolder::Desktop), "C:\\Desk");
    EXPECT_EQ(table.Get(SpecialFolder::WindowsDir), "C:\\windows");
}

TEST(SpecialFolders, MissingKeyIsReportedAndLongValuesAreCut)
{
    FakeShellFolders closed;
    closed.opens = false;
    SpecialFolderTable table;
    RecordingSink messages;
    table.Build("C:\\windows", "C:\\windows\\system32", kWin95, closed, "Error", messages);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Couldn't open the registry."});
    EXPECT_EQ(table.Get(SpecialFolder::Desktop), "");
    EXPECT_EQ(table.Get(SpecialFolder::MyDocuments), "");

    FakeShellFolders shell;
    shell.values = {{"Desktop", std::string(5000, 'd')}, {"My Pictures", "C:\\Pics"}};
    SpecialFolderTable second;
    second.Build("C:\\windows", "C:\\windows\\system32", kWin95, shell, "Error", messages);
    EXPECT_EQ(second.Get(SpecialFolder::Desktop).size(), 1023u);
    EXPECT_EQ(second.Get(SpecialFolder::MyPictures), "C:\\Pics");
}
