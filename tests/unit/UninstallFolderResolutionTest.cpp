#include <gtest/gtest.h>

#include <map>

#include "uninstaller/FolderResolution.h"

TEST(UninstallFolderResolution, OtherNamesOfAFolderLeadToItsDrivePath)
{
    struct Case {
        std::optional<std::string> got;
        std::optional<std::string> want;
    };
    const std::vector<std::string> names = {"READER-PC", "reader-pc.example.org"};
    const Case cases[] = {
        {PathFromFinalPath("\\\\?\\C:\\Real\\Book"), "C:\\Real\\Book"},
        {PathFromFinalPath("\\\\?\\Q:\\"), "Q:\\"},
        {PathFromFinalPath("\\\\?\\UNC\\server\\share\\Book"), "\\\\server\\share\\Book"},
        {PathFromFinalPath("C:\\Book"), "C:\\Book"},
        {PathFromFinalPath("\\\\?\\Volume{0b1c2d3e-0000-0000-0000-100000000000}\\Book"), std::nullopt},
        {PathFromFinalPath("\\\\.\\PhysicalDrive0"), std::nullopt},
        {LocalPathOfAdminShare("\\\\localhost\\C$\\Windows", names, "C:\\WINDOWS"), "C:\\Windows"},
        {LocalPathOfAdminShare("\\\\127.0.0.2\\d$", names, "C:\\WINDOWS"), "D:\\"},
        {LocalPathOfAdminShare("\\\\Reader-PC.Example.Org\\c$\\Users", names, "C:\\WINDOWS"), "C:\\Users"},
        {LocalPathOfAdminShare("\\\\READER-PC\\ADMIN$\\System32", names, "C:\\WINDOWS"), "C:\\WINDOWS\\System32"},
        {LocalPathOfAdminShare("\\\\server\\C$\\Windows", names, "C:\\WINDOWS"), std::nullopt},
        {LocalPathOfAdminShare("\\\\localhost\\Books\\Windows", names, "C:\\WINDOWS"), std::nullopt},
        {LocalPathOfAdminShare("\\\\127.0.0.1.evil\\C$", names, "C:\\WINDOWS"), std::nullopt},
        {PathThroughDosDevice("S:\\Book", "\\??\\C:\\Data"), "C:\\Data\\Book"},
        {PathThroughDosDevice("S:\\", "\\??\\C:\\Data"), "C:\\Data"},
        {PathThroughDosDevice("S:\\Book", "\\??\\UNC\\srv\\share\\Data"), "\\\\srv\\share\\Data\\Book"},
        {PathThroughDosDevice("N:\\Book", "\\Device\\LanmanRedirector\\;N:0000000000012345\\srv\\share"),
         "\\\\srv\\share\\Book"},
        {PathThroughDosDevice("N:\\Book", "\\Device\\HarddiskVolume2"), std::nullopt},
        {PathThroughDosDevice("\\\\srv\\share\\Book", "\\??\\C:\\Data"), std::nullopt},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(UninstallFolderResolution, AFolderIsAbsentOnlyWhenWhatHoldsItIsThere)
{
    struct Case {
        const char* name;
        std::map<std::string, PathKind> kinds;  // paths not listed are missing
        FolderPresence want;
    };
    const Case cases[] = {
        {"there", {{"C:\\A\\Book", PathKind::Folder}}, FolderPresence::Present},
        {"a link", {{"C:\\A\\Book", PathKind::LinkedFolder}}, FolderPresence::IsLink},
        {"a file", {{"C:\\A\\Book", PathKind::File}}, FolderPresence::NotAFolder},
        {"gone, its folder there", {{"C:\\A", PathKind::Folder}}, FolderPresence::Absent},
        {"gone with its folder, the drive there", {{"C:\\", PathKind::Folder}}, FolderPresence::Absent},
        {"gone below a link to a folder", {{"C:\\A", PathKind::LinkedFolder}}, FolderPresence::Absent},
        {"no drive", {}, FolderPresence::Unreachable},
        {"no disk in the drive", {{"C:\\A\\Book", PathKind::Unreachable}}, FolderPresence::Unreachable},
        {"behind a link to nothing",
         {{"C:\\A", PathKind::Unreachable}, {"C:\\", PathKind::Folder}},
         FolderPresence::Unreachable},
    };
    for (const Case& c : cases) {
        auto query = [&c](const std::string& path) {
            auto it = c.kinds.find(path);
            return it == c.kinds.end() ? PathKind::Missing : it->second;
        };
        EXPECT_EQ(FindFolderPresence("C:\\A\\Book", query), c.want) << c.name;
    }
    // A share counts as the root of a UNC path.
    std::vector<std::string> asked;
    FindFolderPresence("\\\\srv\\share\\Book", [&](const std::string& path) {
        asked.push_back(path);
        return PathKind::Missing;
    });
    EXPECT_EQ(asked, (std::vector<std::string>{"\\\\srv\\share\\Book", "\\\\srv\\share"}));
}
