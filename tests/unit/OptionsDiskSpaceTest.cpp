// Byte-count texts, section sizes and the room check of the options dialog.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "options/DiskSpace.h"
#include "options/OptionsModel.h"

namespace {
const SizeUnitTexts kUnits{"Bytes", "KBytes", "MBytes"};

struct Section {
    std::string destDir;
    std::string fileSize;
    std::string installByDefault;
    std::string productName = "Product";
};

void Fill(SetupSettings& settings, const std::vector<Section>& sections)
{
    settings.sectionCount = static_cast<int>(sections.size());
    for (int i = 0; i < settings.sectionCount; ++i) {
        settings.SetSectionValueAt(SectionKey::DestDir, i, sections[i].destDir);
        settings.SetSectionValueAt(SectionKey::FileSize, i, sections[i].fileSize);
        settings.SetSectionValueAt(SectionKey::InstallByDefault, i, sections[i].installByDefault);
        settings.SetSectionValueAt(SectionKey::ProductName, i, sections[i].productName);
    }
}

// Free bytes per drive letter; a drive not listed has none. Records which letters were asked for.
struct FakeDrives {
    std::map<char, uint64_t> free;
    std::vector<char> asked;
    uint64_t operator()(char letter)
    {
        asked.push_back(letter);
        auto it = free.find(letter);
        return it == free.end() ? 0 : it->second;
    }
};

std::vector<char> RunCheck(SetupSettings& settings, FakeDrives& drives, bool* result = nullptr)
{
    std::vector<char> reports;
    bool ok = CheckRoom(settings, std::ref(drives), [&](char letter) { reports.push_back(letter); });
    if (result) *result = ok;
    return reports;
}
}  // namespace

TEST(FormatSectionSize, EmptyAndNonNumericSizes)
{
    EXPECT_EQ(FormatSectionSize("", kUnits), "");
    EXPECT_EQ(FormatSectionSize("0", kUnits), "0 Bytes");
    EXPECT_EQ(FormatSectionSize("abc", kUnits), "0 Bytes");
    EXPECT_EQ(FormatSectionSize("  2097152 bytes", kUnits), "2.00 MBytes");
    EXPECT_EQ(FormatSectionSize("-5000", kUnits), "0 Bytes");
    EXPECT_EQ(FormatSectionSize("4400000000", kUnits), "4196.17 MBytes");
}

TEST(SectionRowText, NameTabAndSize)
{
    EXPECT_EQ(SectionRowText("Samples", "1536", kUnits), "Samples\t1.50 KBytes");
    EXPECT_EQ(SectionRowText("Samples", "", kUnits), "Samples\t");
}

TEST(CheckRoom, TwoSectionsOnOneDrive)
{
    SetupSettings settings;
    Fill(settings, {{"C:\\A", "600", "TRUE"}, {"C:\\B", "500", "true"}});
    FakeDrives drives;
    drives.free['C'] = 1000;
    bool ok = true;
    EXPECT_EQ(RunCheck(settings, drives, &ok), std::vector<char>{'C'});
    EXPECT_FALSE(ok);
    EXPECT_EQ(settings.currentSection, 1);

    drives.free['C'] = 1100;  // exactly fits
    EXPECT_TRUE(RunCheck(settings, drives, &ok).empty());
    EXPECT_TRUE(ok);
}

TEST(CheckRoom, OneReportPerShortDriveInLetterOrder)
{
    SetupSettings settings;
    Fill(settings, {{"D:\\Later", "5000", "TRUE"}, {"C:\\First", "5000", "TRUE"}, {"E:\\Fits", "10", "TRUE"}});
    FakeDrives drives;
    drives.free = {{'C', 10}, {'D', 10}, {'E', 10}};
    EXPECT_EQ(RunCheck(settings, drives), (std::vector<char>{'C', 'D'}));
    // Only drives that receive sections are asked for their free space.
    EXPECT_EQ(drives.asked, (std::vector<char>{'C', 'D', 'E'}));
}

TEST(CheckRoom, UncheckedSectionsAndOtherDrivesAreIgnored)
{
    SetupSettings settings;
    Fill(settings, {{"C:\\Full", "5000", "FALSE"}, {"c:\\lower", "100", "TRUE"}, {"\\\\server\\share", "9", "TRUE"}});
    FakeDrives drives;
    drives.free['C'] = 99;
    // The lower-case letter counts under C; the network path has no drive and is not counted.
    EXPECT_EQ(RunCheck(settings, drives), std::vector<char>{'C'});
    drives.free['C'] = 100;
    EXPECT_TRUE(RunCheck(settings, drives).empty());
    EXPECT_EQ(drives.asked, (std::vector<char>{'C', 'C'}));
}

TEST(CheckRoom, TotalsAboveFourGigabytesDoNotWrap)
{
    SetupSettings settings;
    Fill(settings, std::vector<Section>(7, Section{"C:\\Big", "620000000", "TRUE"}));
    FakeDrives drives;
    drives.free['C'] = 1000000000;  // 1 GB: a 32-bit sum would wrap to 45,032,704 bytes and pass
    EXPECT_EQ(RunCheck(settings, drives), std::vector<char>{'C'});
    EXPECT_EQ(RequiredBytesTotal(settings), 4340000000ull);
    drives.free['C'] = 5000000000ull;
    EXPECT_TRUE(RunCheck(settings, drives).empty());
}

TEST(CheckRoom, NegativeAndHugeSizes)
{
    SetupSettings settings;
    Fill(settings, {{"C:\\A", "-4294967295", "TRUE"},
                    {"C:\\B", "99999999999999999999999", "TRUE"},
                    {"C:\\C", "99999999999999999999999", "TRUE"},
                    {"C:\\D", "99999999999999999999999", "TRUE"}});
    // A negative size adds nothing; sums saturate instead of wrapping round to a small number.
    EXPECT_EQ(RequiredBytesPerDrive(settings)['C' - 'A'], UINT64_MAX);
    FakeDrives drives;
    drives.free['C'] = UINT64_MAX - 1;
    EXPECT_EQ(RunCheck(settings, drives), std::vector<char>{'C'});
}

TEST(CheckRoom, NoSectionsPasses)
{
    SetupSettings settings;
    FakeDrives drives;
    bool ok = false;
    EXPECT_TRUE(RunCheck(settings, drives, &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(drives.asked.empty());
    EXPECT_EQ(settings.currentSection, 0);
}

TEST(OptionsRefresh, RequiredIsTheTotalOfAllCheckedSectionsAvailableIsTheSelectedDrive)
{
    SetupSettings settings;
    Fill(settings, {{"C:\\One", "1048577", "TRUE", "First"},
                    {"E:\\Data", "1048576", "TRUE", "Second"},
                    {"C:\\Off", "999999", "FALSE", "Third"}});
    settings.SetText(TextId::SpaceAvailable, "Space available on drive %c: %s");
    settings.SetText(TextId::SpaceRequired, "Space required on drive %c: %s");
    settings.SetText(TextId::DescriptionText, "Installs %s, 100% sure.");
    settings.SetText(TextId::Bytes, "Bytes");
    settings.SetText(TextId::KBytes, "KBytes");
    settings.SetText(TextId::MBytes, "MBytes");
    FakeDrives drives;
    drives.free['E'] = 1536;
    const OptionsRefreshTexts texts = ComputeRefreshTexts(settings, 1, std::ref(drives));
    EXPECT_EQ(texts.spaceAvailable, "Space available on drive E: 1.50 KBytes");
    EXPECT_EQ(texts.spaceRequired, "Space required on drive E: 2.00 MBytes");
    EXPECT_EQ(texts.destFolder, "E:\\Data");
    EXPECT_EQ(texts.description, "Installs Second, 100% sure.");
    EXPECT_EQ(settings.currentSection, 1);
    EXPECT_EQ(drives.asked, std::vector<char>{'E'});
}

TEST(OptionsRefresh, NoSectionsGivesEmptySpaceTexts)
{
    SetupSettings settings;
    settings.SetText(TextId::SpaceAvailable, "Available on %c: %s");
    settings.SetText(TextId::DescriptionText, "Installs %s");
    FakeDrives drives;
    const OptionsRefreshTexts texts = ComputeRefreshTexts(settings, 0, std::ref(drives));
    EXPECT_EQ(texts.spaceAvailable, "");
    EXPECT_EQ(texts.spaceRequired, "");
    EXPECT_EQ(texts.destFolder, "");
    EXPECT_EQ(texts.description, "Installs ");
    EXPECT_TRUE(drives.asked.empty());
}
