#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "settings/UninstallEntry.h"

namespace {
const std::string kUninstallKeyPrefix = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

UninstallEntrySource Source()
{
    UninstallEntrySource source;
    source.uninstallerPath = "C:\\WINDOWS\\TOVRADE.EXE";
    source.destDir = "C:\\Program Files\\My Book";
    source.productName = "My Book";
    source.uninstallText = "Remove %s?";
    source.problemText = "Not everything went.";
    source.shortcutLocation = "C:\\Users\\me\\Desktop\\My Book.lnk";
    source.fileSize = "1048577";
    source.installSource = "D:\\";
    source.installDay = {2026, 3, 8};
    return source;
}

std::vector<std::string> Names(const UninstallEntry& entry)
{
    std::vector<std::string> names;
    for (const EntryValue& value : entry.values)
        names.push_back(value.name);
    return names;
}
}  // namespace

TEST(UninstallEntry, ValuesComeInTheirWrittenOrderWithTheExtrasLast)
{
    UninstallEntrySource source = Source();
    source.publisher = "Widget Press";
    source.version = "2.0";
    source.aboutLink = "https://example.com/book";
    source.helpLink = "mailto:help@example.com";
    auto built = BuildUninstallEntry(source);
    ASSERT_TRUE(std::holds_alternative<UninstallEntry>(built));
    const UninstallEntry& entry = std::get<UninstallEntry>(built);
    EXPECT_EQ(entry.keyPath, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\My Book");
    EXPECT_EQ(Names(entry),
              (std::vector<std::string>{"DisplayName", "UninstallString", "UninstallText", "UninstallProblemText",
                                        "ShortcutLocation", "InstallLocation", "EstimatedSize", "DisplayIcon",
                                        "NoModify", "NoRepair", "Publisher", "DisplayVersion", "URLInfoAbout",
                                        "HelpLink", "InstallDate", "InstallSource", "QuietUninstallString"}));
    EXPECT_EQ(entry.values[1].text, "C:\\WINDOWS\\TOVRADE.EXE `C:\\Program Files\\My Book` My Book");
    EXPECT_EQ(entry.values[4].text, "C:\\Users\\me\\Desktop\\My Book.lnk");
    EXPECT_EQ(entry.values[6].kind, EntryValue::Kind::Dword);
    EXPECT_EQ(entry.values[6].number, 1025u);
    EXPECT_EQ(entry.values[7].text, "C:\\WINDOWS\\TOVRADE.EXE");
    EXPECT_EQ(entry.values[8].number, 1u);
    EXPECT_EQ(entry.values[9].number, 1u);
    EXPECT_EQ(entry.values[10].text, "Widget Press");
    EXPECT_EQ(entry.values[11].text, "2.0");
    EXPECT_EQ(entry.values[12].text, "https://example.com/book");
    EXPECT_EQ(entry.values[13].text, "mailto:help@example.com");
    EXPECT_EQ(entry.values[14].text, "20260308");
    EXPECT_EQ(entry.values[15].text, "D:\\");
    EXPECT_EQ(entry.values.back().text, "C:\\WINDOWS\\TOVRADE.EXE /S `C:\\Program Files\\My Book` My Book");
}

TEST(UninstallEntry, OnlyAnExactNullLeavesTheShortcutOut)
{
    UninstallEntrySource source = Source();
    source.shortcutLocation = "NULL";
    auto none = std::get<UninstallEntry>(BuildUninstallEntry(source));
    EXPECT_EQ(Names(none)[4], "InstallLocation");
    source.shortcutLocation = "null";
    auto lower = std::get<UninstallEntry>(BuildUninstallEntry(source));
    EXPECT_EQ(Names(lower)[4], "ShortcutLocation");
    EXPECT_EQ(lower.values[4].text, "null");
}

TEST(UninstallEntry, RefusedRatherThanShortened)
{
    UninstallEntrySource fits = Source();
    fits.destDir = "C:\\" + std::string(255 - std::string("C:\\WINDOWS\\TOVRADE.EXE `C:\\` My Book").size(), 'd');
    auto fitting = BuildUninstallEntry(fits);
    ASSERT_TRUE(std::holds_alternative<UninstallEntry>(fitting));
    // The quiet command is three characters longer: left out, the entry itself kept.
    EXPECT_EQ(Names(std::get<UninstallEntry>(fitting)).back(), "InstallSource");
    UninstallEntrySource tooLong = fits;
    tooLong.destDir += "d";
    auto refused = BuildUninstallEntry(tooLong);
    ASSERT_TRUE(std::holds_alternative<EntryRefusal>(refused));
    EXPECT_NE(std::get<EntryRefusal>(refused).message.find("UninstallString"), std::string::npos);

    UninstallEntrySource longText = Source();
    longText.problemText = std::string(256, 'p');
    EXPECT_TRUE(std::holds_alternative<EntryRefusal>(BuildUninstallEntry(longText)));

    // Only names that are not one key below the Uninstall key are refused; dots inside a name are not.
    for (const auto& [name, accepted] : std::vector<std::pair<std::string, bool>>{{"", false},
                                                                                  {".", false},
                                                                                  {"..", false},
                                                                                  {"My\\Book", false},
                                                                                  {"\\", false},
                                                                                  {"..\\Other", false},
                                                                                  {"Widgets... Vol 2", true},
                                                                                  {"Book..x", true},
                                                                                  {"...", true},
                                                                                  {".hidden", true}}) {
        UninstallEntrySource source = Source();
        source.productName = name;
        auto built = BuildUninstallEntry(source);
        EXPECT_EQ(std::holds_alternative<UninstallEntry>(built), accepted) << name;
        if (accepted) {
            EXPECT_EQ(std::get<UninstallEntry>(built).keyPath, kUninstallKeyPrefix + name) << name;
        }
    }
    UninstallEntrySource backquote = Source();
    backquote.destDir = "C:\\Odd` Book";
    EXPECT_TRUE(std::holds_alternative<EntryRefusal>(BuildUninstallEntry(backquote)));
}

TEST(UninstallEntry, EstimatedSizeRoundsUpToWholeKiB)
{
    EXPECT_EQ(EstimatedSizeKiB("0"), 0u);
    EXPECT_EQ(EstimatedSizeKiB(""), 0u);
    EXPECT_EQ(EstimatedSizeKiB("1"), 1u);
    EXPECT_EQ(EstimatedSizeKiB("1024"), 1u);
    EXPECT_EQ(EstimatedSizeKiB("1025"), 2u);
    EXPECT_EQ(EstimatedSizeKiB("620000000"), 605469u);
    EXPECT_EQ(EstimatedSizeKiB("-5"), 0u);
    EXPECT_EQ(EstimatedSizeKiB("99999999999999999999"), 0xFFFFFFFFu);
}

TEST(UninstallEntry, TheInstalledFolderIsReadBackFromTheUninstallString)
{
    const std::string program = "C:\\WINDOWS\\TOVRADE.EXE";
    for (const char* folder : {"C:\\Widgets\\Samples", "C:\\\x94\\\\\x95\x5c", "C:\\A B `x"}) {
        // The product name marks the end of the folder, whatever either holds.
        const std::string composed = ComposeUninstallString(program, folder, "Widgets` 2");
        EXPECT_EQ(FolderInUninstallString(composed, "Widgets` 2"), std::string(folder)) << folder;
    }
    EXPECT_EQ(FolderInUninstallString(program + " `C:\\Book` Other", "Book"), std::nullopt);
    EXPECT_EQ(FolderInUninstallString(program + " `` Book", "Book"), std::nullopt);
    EXPECT_EQ(FolderInUninstallString("`C:\\Book` Book", "Book"), std::nullopt);
    EXPECT_EQ(FolderInUninstallString("", "Book"), std::nullopt);
}

TEST(UninstallEntry, OptionalValuesDateSizeAndSource)
{
    const std::string kLong(256, 'x');
    struct Case {
        const char* name;
        std::function<void(UninstallEntrySource&)> change;
        std::map<std::string, std::string> expected;  // value -> text or number; "-" = not written
        const char* refusedFor = nullptr;             // the value a refusal names
    };
    const Case cases[] = {
        {"none set, FileSize stands in",
         [](UninstallEntrySource&) {},
         {{"Publisher", "-"},
          {"DisplayVersion", "-"},
          {"URLInfoAbout", "-"},
          {"HelpLink", "-"},
          {"EstimatedSize", "1025"},
          {"InstallDate", "20260308"},
          {"InstallSource", "D:\\"}}},
        {"copied bytes win", [](UninstallEntrySource& s) { s.copiedBytes = 2049; }, {{"EstimatedSize", "3"}}},
        {"padded date",
         [](UninstallEntrySource& s) {
             s.installDay = {999, 1, 2};
         },
         {{"InstallDate", "09990102"}}},
        {"long publisher", [&](UninstallEntrySource& s) { s.publisher = kLong; }, {}, "Publisher"},
        {"long source left out",
         [&](UninstallEntrySource& s) { s.installSource = kLong; },
         {{"InstallSource", "-"}, {"InstallDate", "20260308"}}},
    };
    for (const Case& c : cases) {
        UninstallEntrySource source = Source();
        c.change(source);
        auto built = BuildUninstallEntry(source);
        if (c.refusedFor) {
            ASSERT_TRUE(std::holds_alternative<EntryRefusal>(built)) << c.name;
            EXPECT_NE(std::get<EntryRefusal>(built).message.find(std::string("its value ") + c.refusedFor + " "),
                      std::string::npos)
                << c.name;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<UninstallEntry>(built)) << c.name;
        std::map<std::string, std::string> values;
        for (const EntryValue& v : std::get<UninstallEntry>(built).values)
            values[v.name] = v.kind == EntryValue::Kind::Dword ? std::to_string(v.number) : v.text;
        for (const auto& [name, text] : c.expected)
            EXPECT_EQ(values.count(name) ? values[name] : "-", text) << c.name << ": " << name;
    }
}
