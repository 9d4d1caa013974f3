// The copy engine on real folders under Wine: the tree copy, LZ expansion, the replace question and the
// progress dialog with its worker.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "copy/CopyEngine.h"
#include "copy/ProgressDialog.h"
#include "copy/ReplaceDialog.h"
#include "DialogAnswerer.h"
#include "framework/Dialog.h"
#include "framework/MessageBox.h"
#include "framework/PathFunctions.h"
#include "framework/RunLog.h"
#include "framework/WideText.h"
#include "GlobalSettingsTest.h"
#include "installer/InstallSequence.h"
#include "resource.h"
#include "scripts/Shortcuts.h"
#include "settings/SettingsWin.h"

namespace {
// SAMPLE.TXT (SampleText() below) as SZDD-compressed by mscompress.
const char kCompressedSample[] =
    "\x53\x5a\x44\x44\x88\xf0\x27\x33\x41\x00\x70\x08\x00\x00\xff\x4c\x69\x6e\x65\x20\x30\x30\x20\xff"
    "\x6f\x66\x20\x74\x68\x65\x20\x73\xff\x61\x6d\x70\x6c\x65\x20\x63\x68\xff\x61\x70\x74\x65\x72\x2c"
    "\x20\x63\xff\x6f\x6d\x70\x72\x65\x73\x73\x65\xef\x64\x20\x6f\x6e\xfa\xf2\x43\x44\x2e\x0b\x0d\x0a"
    "\xf0\xf3\x31\xf7\xfd\x07\x0d\x17\x0d\xf1\xf2\x21\x32\x2d\x0d\x3d\x0d\x4d\x0d\xf1\xf2\x33\x63\x0d"
    "\x73\x0d\x84\x83\x0d\xf1\xf2\x34\x99\x0d\xa9\x0d\xb9\x0d\xf1\xf2\x35\x10\xcf\x0d\xdf\x0d\xef\x0d"
    "\xf1\xf2\x36\x05\x1d\x15\x1d\x25\x1d\x42\xf1\xf2\x37\x3b\x1d\x4b\x1d\x5b\x1d\xf1\xf2\x38\x71\x1d"
    "\x08\x81\x1d\x91\x1d\xf1\xf2\x39\xa7\x1d\xb7\x1d\xc7\x1d\xf1\xf1\x01\x31\xf6\xfd\xec\x1d\xfc\x1d"
    "\x0c\x23\x2c\x0d\x22\x2d\x32\x2d\x00\x0c\x23\x62\x0d\x58\x2d\x68\x2d\x0c\x23\x98\x0d\x8e\x2d\x9e"
    "\x2d\x00\x0c\x23\xce\x0d\xc4\x2d\xd4\x2d\x0c\x23\x04\x1d\xfa\x2d\x0a\x3d\x00\x0c\x23\x3a\x1d\x30"
    "\x3d\x40\x3d\x0c\x23\x70\x1d\x66\x3d\x76\x3d\x00\x0c\x23\xa6\x1d\x9c\x3d\xac\x3d\x0c\x23\xdc\x1d"
    "\xd2\x3d\xe2\x3d\x02\xf0\xf2\x32\x12\x2d\x08\x4d\x18\x4d\x28\x43\x48\x2d\x3e\x4d\x00\x4e\x4d\x28"
    "\x43\x7e\x2d\x74\x4d\x84\x4d\x28\x43\xb4\x2d\xaa\x4d\x00\xba\x4d\x28\x43\xea\x2d\xe0\x4d\xf0\x4d"
    "\x28\x43\x20\x3d\x16\x5d\x00\x26\x5d\x28\x43\x56\x3d\x4c\x5d\x5c\x5d\x28\x43\x8c\x3d\x82\x5d\x00"
    "\x92\x5d\x28\x43\xc2\x3d\xb8\x5d\xc8\x5d\x28\x43\xf8\x3d\xee\x5d\x04\xfe\x5d\xf0\xf2\x33\x2e\x4d"
    "\x24\x6d\x34\x6d\x44\x63\x64\x4d\x00\x5a\x6d\x6a\x6d\x44\x63\x9a\x4d\x90\x6d\xa0\x6d\x44\x63\xd0"
    "\x4d\x00\xc6\x6d\xd6\x6d\x44\x63\x06\x5d\xfc\x6d\x0c\x7d\x44\x63\x3c\x5d\x00\x32\x7d\x42\x7d\x44"
    "\x63\x72\x5d\x68\x7d\x78\x7d\x44\x63\xa8\x5d\x00\x9e\x7d\xae\x7d\x44\x63\xde\x5d\xd4\x7d\xe4\x7d"
    "\x44\x63\x14\x6d\x00\x0a\x8d\x1a\x8d";

std::string SampleText()
{
    std::string text;
    char line[80];
    for (int i = 0; i < 40; ++i) {
        snprintf(line, sizeof line, "Line %02d of the sample chapter, compressed on the CD.\r\n", i);
        text += line;
    }
    return text;
}

void WriteFile(const std::string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    UniqueFile file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << path;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    file.reset();
    if (attributes != FILE_ATTRIBUTE_NORMAL) {
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes));
    }
}

std::string ReadFile(const std::string& path)
{
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return "<missing>";
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    return content;
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
DWORD Attributes(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str());
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    UniqueFind find(::FindFirstFileA((folder + "\\*").c_str(), &data));
    if (find) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find.get(), &data));
    }
    find.reset();
    ::RemoveDirectoryA(folder.c_str());
}

std::string CurrentDirectory()
{
    char buffer[MAX_PATH];
    DWORD n = ::GetCurrentDirectoryA(MAX_PATH, buffer);
    return std::string(buffer, n);
}

// Each test gets a CD folder and a destination folder below a fresh temporary folder.
class CopyEngineTest : public GlobalSettingsTest {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        root = std::string(temp) + "copytest" + std::to_string(::GetTickCount()) + "_" + std::to_string(counter++);
        RemoveTree(root);
        cd = root + "\\CD";
        dest = root + "\\Dest";
        ASSERT_TRUE(CreateDirectoryPath(cd));
        ASSERT_TRUE(CreateDirectoryPath(dest));
        savedFolder = CurrentDirectory();
        yesToAllChosen = false;
        expansionFailed = false;
        ::ResetEvent(copyStopEvent.get());
    }
    void TearDown() override
    {
        ::SetCurrentDirectoryA(savedFolder.c_str());
        RemoveTree(root);
    }
    void CopyCd(HWND sourceControl = nullptr, HWND destControl = nullptr, int width = 0)
    {
        ASSERT_TRUE(::SetCurrentDirectoryA(cd.c_str()));
        CopyTree(dest, sourceControl, destControl, width);
        EXPECT_EQ(CurrentDirectory(), cd) << "the tree copy steps back out of every folder it entered";
    }

    static inline int counter = 0;
    std::string root, cd, dest, savedFolder;
};

const DialogMatch kReplace = DialogWith("the replace question", {IDC_REPLACE_NO, IDC_FIRST_SIZE});
const DialogMatch kProgress = DialogWith("the progress dialog", {IDC_DEST_NAME, IDC_SOURCE_NAME});
const DialogMatch kExitConfirmation =
    DialogWith("the exit confirmation", {IDC_MESSAGE, IDOK, IDCANCEL}, {IDC_REPLACE_NO, IDC_DEST_NAME});
const DialogMatch kMessageBox = MessageBoxDialog();

TEST_F(CopyEngineTest, CopiesTheTreeClearsAttributesAndSkipsDotFolders)
{
    WriteFile(cd + "\\PLAIN.TXT", "plain");
    WriteFile(cd + "\\HIDDEN.TXT", "hidden", FILE_ATTRIBUTE_HIDDEN);
    WriteFile(cd + "\\SYSTEM.DAT", "system", FILE_ATTRIBUTE_SYSTEM);
    WriteFile(cd + "\\READONLY.TXT", "read-only", FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(CreateDirectoryPath(cd + "\\.SVN"));
    WriteFile(cd + "\\.SVN\\ENTRIES", "x");
    ASSERT_TRUE(CreateDirectoryPath(cd + "\\EMPTY"));
    ASSERT_TRUE(CreateDirectoryPath(cd + "\\SUB\\DEEPER"));
    WriteFile(cd + "\\SUB\\DEEPER\\NOTE.TXT", "deep");
    ASSERT_TRUE(Attributes(cd + "\\HIDDEN.TXT") & FILE_ATTRIBUTE_HIDDEN) << "the prefix keeps DOS attributes";
    // Larger than the copy's buffer, with the date of an old CD.
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7919 >> 5);
    WriteFile(cd + "\\BIG.BIN", big);
    const unsigned long long stamp = (0x01C00000ull << 32) | 0x12345678u;
    {
        const FILETIME time{0x12345678, 0x01C00000};
        UniqueFile file(
            ::CreateFileA((cd + "\\BIG.BIN").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time));
    }

    CopyCd();

    EXPECT_EQ(ReadFile(dest + "\\BIG.BIN"), big);
    EXPECT_EQ(GetFoundWriteTime(dest + "\\BIG.BIN"), stamp) << "the copy keeps the file's date";

    for (const char* name : {"PLAIN.TXT", "HIDDEN.TXT", "SYSTEM.DAT", "READONLY.TXT", "SUB\\DEEPER\\NOTE.TXT"}) {
        const std::string path = dest + "\\" + name;
        ASSERT_TRUE(Exists(path)) << name;
        EXPECT_EQ(Attributes(path) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY), 0u)
            << name;
    }
    EXPECT_EQ(ReadFile(dest + "\\READONLY.TXT"), "read-only");
    EXPECT_EQ(ReadFile(dest + "\\SUB\\DEEPER\\NOTE.TXT"), "deep");
    EXPECT_FALSE(Exists(dest + "\\.SVN"));
    ASSERT_TRUE(Attributes(dest + "\\EMPTY") & FILE_ATTRIBUTE_DIRECTORY);
    WIN32_FIND_DATAA data;
    UniqueFind inside(::FindFirstFileA((dest + "\\EMPTY\\*").c_str(), &data));
    int entries = 0;
    if (inside) do
            ++entries;
        while (::FindNextFileA(inside.get(), &data));
    EXPECT_EQ(entries, 2) << "only . and ..";
}

TEST_F(CopyEngineTest, UnderscoresTurnIntoBlanksInFileAndFolderNames)
{
    setupSettings.useUnderscores = true;
    ASSERT_TRUE(CreateDirectoryPath(cd + "\\MY_SAMPLES"));
    WriteFile(cd + "\\MY_SAMPLES\\CHAPTER_1.TXT", "one");
    HWND source = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 20, nullptr, nullptr, nullptr, nullptr);
    HWND target = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 20, nullptr, nullptr, nullptr, nullptr);
    CopyCd(source, target, 2000);
    EXPECT_EQ(ReadFile(dest + "\\My Samples\\Chapter 1.txt"), "one");
    EXPECT_EQ(WindowText(source), "CHAPTER_1.TXT");
    EXPECT_EQ(WindowText(target), dest + "\\My Samples\\Chapter 1.txt");
    // A narrow field shows the path shortened around "..." (the copy is now there: replace it unasked).
    yesToAllChosen = true;
    CopyCd(source, target, 60);
    const std::string shown = WindowText(target);
    EXPECT_NE(shown.find("..."), std::string::npos);
    EXPECT_LT(shown.size(), (dest + "\\My Samples\\Chapter 1.txt").size());
    ::DestroyWindow(source);
    ::DestroyWindow(target);
}

TEST_F(CopyEngineTest, CompressedFilesAreExpandedAndPlainOnesPassUnchanged)
{
    setupSettings.filesCompressed = true;
    WriteFile(cd + "\\SAMPLE.TXT", std::string(kCompressedSample, sizeof kCompressedSample - 1));
    WriteFile(cd + "\\PLAIN.BIN", std::string("not compressed\0\x01\x02", 17));
    CopyCd();
    EXPECT_EQ(ReadFile(dest + "\\SAMPLE.TXT"), SampleText()) << "same name as on the CD, contents expanded";
    EXPECT_EQ(ReadFile(dest + "\\PLAIN.BIN"), std::string("not compressed\0\x01\x02", 17));
    EXPECT_FALSE(expansionFailed);
}

// `text` in the compressed format, every byte a literal: eight to each flag byte.
std::string LiteralSzdd(const std::string& text)
{
    std::string file(
        "SZDD\x88\xF0\x27\x33"
        "A",
        9);
    file += '\0';
    for (int shift = 0; shift < 32; shift += 8)
        file += static_cast<char>(text.size() >> shift & 0xFF);
    for (size_t i = 0; i < text.size(); i += 8)
        file += '\xFF' + text.substr(i, 8);
    return file;
}

TEST_F(CopyEngineTest, ATreeOfCompressedFilesIsExpandedAheadOfTheCopyWhateverItsShape)
{
    // Files in the order the copy comes to them and out of it, below folders and beside them; one too
    // large to wait in memory, one damaged, one not compressed at all.
    setupSettings.filesCompressed = true;
    std::vector<std::pair<std::string, std::string>> expected;
    for (const char* folder : {"", "\\A", "\\A\\DEEP", "\\B"}) {
        ASSERT_TRUE(CreateDirectoryPath(cd + folder));
        for (int i = 0; i < 40; ++i) {
            const std::string name = std::string(folder) + "\\F" + std::to_string(i) + ".TXT";
            const std::string text = "file " + name + std::string(i * 97 % 3000, 'a' + i % 26);
            WriteFile(cd + name, LiteralSzdd(text));
            expected.emplace_back(name, text);
        }
    }
    std::string large(300 * 1024, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>(i * 31 >> 3);
    WriteFile(cd + "\\A\\LARGE.BIN", LiteralSzdd(large));
    expected.emplace_back("\\A\\LARGE.BIN", large);
    WriteFile(cd + "\\A\\PLAIN.TXT", "not compressed");
    expected.emplace_back("\\A\\PLAIN.TXT", "not compressed");
    WriteFile(cd + "\\B\\BAD.TXT", std::string("SZDD\x88\xF0\x27\x33"
                                               "B\0\x04\0\0\0abcd",
                                               18));
    CopyCd();
    for (const auto& [name, text] : expected)
        EXPECT_TRUE(ReadFile(dest + name) == text) << name;
    EXPECT_TRUE(expansionFailed) << "the damaged file is told";
    EXPECT_FALSE(Exists(dest + "\\B\\BAD.TXT")) << "and nothing of it is left";
}

TEST_F(CopyEngineTest, ExpansionTakesLongDestinationsAndTheLeftoverOfAnEndedRunGoes)
{
    setupSettings.filesCompressed = true;
    WriteFile(cd + "\\S.TXT", std::string(kCompressedSample, sizeof kCompressedSample - 1));
    // Far beyond the expansion library's 128 bytes: the destination is the system's to open.
    const std::string deepDest = dest + "\\" + std::string(200 - dest.size() - 1 - 6, 'd');
    ASSERT_TRUE(CreateDirectoryPath(deepDest));
    // What a run ended part-way leaves: the temporary file, read-only as a copy from a CD arrives.
    const std::string leftover = deepDest + "\\" + kPartialFileName;
    WriteFile(leftover, "part of an old copy");
    ASSERT_TRUE(::SetFileAttributesA(leftover.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::SetCurrentDirectoryA(cd.c_str()));
    CopyTree(deepDest, nullptr, nullptr, 0);
    EXPECT_FALSE(expansionFailed);
    EXPECT_EQ(ReadFile(deepDest + "\\S.TXT"), SampleText());
    EXPECT_FALSE(Exists(leftover));
}

TEST_F(CopyEngineTest, UnreadableSourceNeverEmptiesTheDestination)
{
    WriteFile(dest + "\\KEEP.TXT", "precious");
    ASSERT_TRUE(::SetCurrentDirectoryA(cd.c_str()));
    EXPECT_NE(ExpandCompressedFile("MISSING.TXT", dest + "\\KEEP.TXT"), 0u);
    EXPECT_EQ(ReadFile(dest + "\\KEEP.TXT"), "precious");
}

TEST_F(CopyEngineTest, DestinationsBeyondThePlainLimitAreWritten)
{
    // A destination folder of 250 characters: both names are written, the longer in the long form.
    std::string deep = dest;
    while (deep.size() < 250)
        deep += "\\" + std::string(std::min<size_t>(60, 250 - deep.size() - 1), 'x');
    ASSERT_EQ(deep.size(), 250u);
    ASSERT_TRUE(CreateDirectoryPath(deep));
    ASSERT_TRUE(Exists(deep));
    WriteFile(cd + "\\A.TXT", "short");
    WriteFile(cd + "\\LONGER_NAME.TXT", "long");
    ASSERT_TRUE(::SetCurrentDirectoryA(cd.c_str()));
    pathsTooLong.Clear();
    CopyTree(deep, nullptr, nullptr, 0);
    EXPECT_EQ(ReadFile(deep + "\\A.TXT"), "short");
    EXPECT_NE(::GetFileAttributesW(SystemPath(deep + "\\LONGER_NAME.TXT").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(pathsTooLong.Count(), 0u);
}

TEST_F(CopyEngineTest, YesToAllReplacesWithoutAsking)
{
    yesToAllChosen = true;
    WriteFile(cd + "\\A.TXT", "new");
    WriteFile(dest + "\\A.TXT", "old");
    DialogAnswerer watch(IDCANCEL);
    CopyCd();
    EXPECT_EQ(ReadFile(dest + "\\A.TXT"), "new");
    EXPECT_TRUE(watch.Answered().empty()) << "no replace question was shown";
}

TEST_F(CopyEngineTest, FoundSizeAndTimeAreThoseOfTheFirstMatch)
{
    WriteFile(dest + "\\SIZED.BIN", std::string(3000, 'z'));
    FILETIME stamp{0x12345678, 0x01C00000};
    {
        UniqueFile file(::CreateFileA((dest + "\\SIZED.BIN").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                      0, nullptr));
        ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &stamp));
    }
    EXPECT_EQ(GetFoundFileSize(dest + "\\SIZED.BIN"), 3000u);
    EXPECT_EQ(GetFoundWriteTime(dest + "\\SIZED.BIN"), (0x01C00000ull << 32) | 0x12345678u);
    EXPECT_EQ(GetFoundFileSize(dest + "\\NONE.BIN"), 0u);
    EXPECT_EQ(GetFoundWriteTime(dest + "\\NONE.BIN"), 0u);
}

TEST_F(CopyEngineTest, ReplaceQuestionsNoThenYesToAllSilencesSubFolders)
{
    setupSettings.settingsValid = true;
    setupSettings.SetText(TextId::ConfirmReplaceTitle, "Replace?");
    setupSettings.SetText(TextId::ConfirmReplaceText1, "There is already '%s' (100%).");
    setupSettings.SetText(TextId::ConfirmReplaceText3, "changed %s");
    setupSettings.SetText(TextId::YesToAllButton, "Yes");
    setupSettings.SetText(TextId::YesToAllTitle, "All");
    setupSettings.SetText(TextId::NoButton, "Nope");
    setupSettings.SetText(TextId::Bytes, "Bytes");
    setupSettings.SetText(TextId::KBytes, "KBytes");
    setupSettings.SetText(TextId::MBytes, "MBytes");
    WriteFile(cd + "\\A.TXT", std::string(1024, 'a'));
    WriteFile(cd + "\\B.TXT", "new b");
    ASSERT_TRUE(CreateDirectoryPath(cd + "\\SUB"));
    ASSERT_TRUE(CreateDirectoryPath(dest + "\\SUB"));
    WriteFile(cd + "\\SUB\\C.TXT", "new c");
    WriteFile(dest + "\\A.TXT", std::string(1023, 'o'));
    WriteFile(dest + "\\B.TXT", "old b");
    WriteFile(dest + "\\SUB\\C.TXT", "old c");

    // The enumeration order is the file system's: answer No first, then Yes To All.
    DialogAnswerer answerer(
        {{kReplace, IDC_REPLACE_NO}, {kReplace, IDC_YESTOALL}, {kReplace, IDCANCEL}},
        {IDC_MESSAGE, IDC_FIRST_SIZE, IDC_SECOND_SIZE, IDC_FIRST_DATE, IDOK, IDC_YESTOALL, IDC_REPLACE_NO});
    CopyCd();
    const auto answered = answerer.Answered();
    ASSERT_EQ(answered.size(), 2u) << "no question after Yes To All, not even in the sub-folder";
    const auto& first = answered[0].controls;
    const bool firstWasA = first[0].find("A.TXT") != std::string::npos;
    EXPECT_EQ(answered[0].title, "Replace?");
    if (firstWasA) {
        EXPECT_EQ(first[0], "There is already 'A.TXT' (100%).");
        EXPECT_EQ(first[1], "1.00 KBytes");
        EXPECT_EQ(first[2], "1023 Bytes");
    }
    EXPECT_EQ(first[3].rfind("changed ", 0), 0u) << first[3];
    EXPECT_NE(first[3].find("M"), std::string::npos) << "AM or PM: " << first[3];
    EXPECT_EQ(first[4], "Yes");
    EXPECT_EQ(first[5], "All");
    EXPECT_EQ(first[6], "No") << "the No button keeps its own text";
    // The file answered No keeps its contents; the others are replaced.
    const std::string keptName = firstWasA ? "A.TXT" : "B.TXT";
    EXPECT_EQ(ReadFile(dest + "\\" + keptName), firstWasA ? std::string(1023, 'o') : "old b");
    EXPECT_EQ(ReadFile(dest + "\\SUB\\C.TXT"), "new c");
    EXPECT_TRUE(yesToAllChosen);
}

TEST_F(CopyEngineTest, ReplaceCancelThenContinueReplacesThenExitStops)
{
    WriteFile(cd + "\\A.TXT", "new a");
    WriteFile(dest + "\\A.TXT", "old a");
    DialogAnswerer answerer({{kReplace, IDCANCEL}, {kExitConfirmation, IDOK}});
    CopyCd();
    EXPECT_TRUE(answerer.Finished());
    EXPECT_EQ(ReadFile(dest + "\\A.TXT"), "new a");
    EXPECT_FALSE(setupSettings.cancelRequested);

    WriteFile(dest + "\\A.TXT", "old a");
    DialogAnswerer exiting({{kReplace, IDCANCEL}, {kExitConfirmation, IDCANCEL}});
    CopyCd();
    EXPECT_TRUE(exiting.Finished());
    EXPECT_EQ(ReadFile(dest + "\\A.TXT"), "old a");
    EXPECT_TRUE(setupSettings.cancelRequested);
}

TEST_F(CopyEngineTest, PresentButUnfindableDestinationIsNotAskedAbout)
{
    // The destination folder does not exist: the existence test says "present" (path not found), but
    // there is nothing to replace, so no question is shown.
    WriteFile(cd + "\\A.TXT", "a");
    const std::string missingDest = dest + "\\NOT\\THERE";
    DialogAnswerer watch(IDCANCEL);
    ASSERT_TRUE(::SetCurrentDirectoryA(cd.c_str()));
    ASSERT_TRUE(PathExistsUnlessFileNotFound(missingDest + "\\A.TXT"));
    CopyTree(missingDest, nullptr, nullptr, 0);
    EXPECT_TRUE(watch.Answered().empty());
}

class ProgressDialogTest : public CopyEngineTest {
protected:
    void SetUp() override
    {
        CopyEngineTest::SetUp();
        setupSettings.currentSection = 0;
        setupSettings.SetSectionValueAt(SectionKey::CodeDir, 0, "SECTION");
        setupSettings.SetSectionValueAt(SectionKey::DestDir, 0, dest + "\\Book");
        setupSettings.SetSectionValueAt(SectionKey::ShortcutLocation, 0, "NULL");
        setupSettings.SetSectionValueAt(SectionKey::ShortcutName, 0, "NULL");
        specialFolders.Set(SpecialFolder::StartDir, cd);
        ASSERT_TRUE(CreateDirectoryPath(cd + "\\SECTION"));
    }
};

std::vector<int> liveRegionControls;  // the control ids of the live-region changes seen

void CALLBACK OnLiveRegionChanged(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    if (object == OBJID_CLIENT && child == CHILDID_SELF) liveRegionControls.push_back(::GetDlgCtrlID(hwnd));
}

TEST_F(ProgressDialogTest, CopiesTheSectionAndClosesWithOk)
{
    setupSettings.settingsValid = true;
    setupSettings.SetText(TextId::InstallingTitle, "Installing");
    setupSettings.SetText(TextId::InstallingText2, "into");
    WriteFile(cd + "\\SECTION\\README.TXT", "readme");
    // Screen readers are told when the file count changes.
    constexpr DWORD kLiveRegionChanged = 0x8019;
    liveRegionControls.clear();
    HWINEVENTHOOK hook = ::SetWinEventHook(kLiveRegionChanged, kLiveRegionChanged, nullptr, &OnLiveRegionChanged,
                                           ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    CProgressDialog dialog(FinishCopiedSection);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ::UnhookWinEvent(hook);
    ASSERT_FALSE(liveRegionControls.empty());
    EXPECT_EQ(liveRegionControls.front(), IDC_FILE_COUNT);
    dialog.WaitForWorkerToEnd();
    EXPECT_EQ(ReadFile(dest + "\\Book\\README.TXT"), "readme");
    EXPECT_FALSE(setupSettings.cancelRequested);
    EXPECT_EQ(setupSettings.SectionValueAt(SectionKey::ShortcutLocation, 0), "NULL") << "no shortcut asked for";
}

TEST_F(ProgressDialogTest, MissingSourceFolderIsReportedAndCancels)
{
    setupSettings.settingsValid = true;
    setupSettings.SetSectionValueAt(SectionKey::CodeDir, 0, "NOSUCH");
    DialogAnswerer answerer({{kMessageBox, IDOK}});
    CProgressDialog dialog(FinishCopiedSection);
    dialog.DoModal();
    dialog.WaitForWorkerToEnd();
    ASSERT_TRUE(answerer.Finished());
    EXPECT_EQ(answerer.Answered()[0].text, "The book's files are supposed to be in a directory named '" + cd +
                                               "\\NOSUCH'. Setup can't find this directory so it's exiting.");
    EXPECT_TRUE(setupSettings.cancelRequested);
    EXPECT_TRUE(Attributes(dest + "\\Book") & FILE_ATTRIBUTE_DIRECTORY) << "the destination is created first";
}

TEST_F(ProgressDialogTest, EmptyCodeDirOrAFolderThatCannotBeEnteredCountsAsMissing)
{
    setupSettings.settingsValid = true;
    WriteFile(cd + "\\SECTION\\A.TXT", "a");
    for (const char* codeDir : {"", "SECTION\\MISSING\\DEEPER"}) {
        setupSettings.cancelRequested = false;
        setupSettings.SetSectionValueAt(SectionKey::CodeDir, 0, codeDir);
        // The section's own folder is current, as the sequence leaves it; nothing of it may be copied.
        ASSERT_TRUE(::SetCurrentDirectoryA((cd + "\\SECTION").c_str()));
        DialogAnswerer answerer({{kMessageBox, IDOK}});
        CProgressDialog dialog(FinishCopiedSection);
        dialog.DoModal();
        dialog.WaitForWorkerToEnd();
        EXPECT_TRUE(answerer.Finished()) << codeDir;
        EXPECT_TRUE(setupSettings.cancelRequested) << codeDir;
        EXPECT_FALSE(Exists(dest + "\\Book\\A.TXT")) << codeDir;
    }
}

TEST_F(ProgressDialogTest, ExitWhileAReplaceQuestionIsUpWaitsForTheAnswer)
{
    setupSettings.settingsValid = true;
    WriteFile(cd + "\\SECTION\\A.TXT", "new a");
    ASSERT_TRUE(CreateDirectoryPath(dest + "\\Book"));
    WriteFile(dest + "\\Book\\A.TXT", "old a");
    // The worker asks about A.TXT; meanwhile the user cancels the progress dialog and chooses Exit; the
    // question is answered Yes only after the dialog has closed.
    DialogAnswerer answerer({{kReplace, 0}, {kProgress, IDCANCEL}, {kExitConfirmation, IDCANCEL}, {kReplace, IDOK}});
    CProgressDialog dialog(FinishCopiedSection);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    dialog.WaitForWorkerToEnd();
    EXPECT_TRUE(answerer.Finished());
    EXPECT_TRUE(setupSettings.cancelRequested);
    EXPECT_EQ(ReadFile(dest + "\\Book\\A.TXT"), "new a") << "the file being asked about is still copied";
}

TEST_F(ProgressDialogTest, PathsBeyond260CharactersAreCopiedExpandedAndReplaced)
{
    setupSettings.settingsValid = true;
    setupSettings.filesCompressed = true;
    // The folder alone takes more than the plain form's 248 characters, and the tree goes deeper still.
    const std::string longDest = dest + "\\" + std::string(250, 'L') + "\\" + std::string(200, 'M');
    setupSettings.SetSectionValueAt(SectionKey::DestDir, 0, longDest);
    ASSERT_TRUE(::CreateDirectoryW(SystemPath(cd + "\\SECTION\\" + std::string(200, 'N')).c_str(), nullptr));
    WriteFile(cd + "\\SECTION\\ONE.TXT", "1");
    const std::string deepSource = cd + "\\SECTION\\" + std::string(200, 'N') + "\\TWO.TXT";
    UniqueFile two(::CreateFileW(SystemPath(deepSource).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(two);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(two.get(), "2", 1, &written, nullptr));
    two.reset();
    for (int run = 0; run < 2; ++run) {  // the second run replaces what the first wrote
        const int failures = TheRunLog().ErrorCount();
        DialogAnswerer answerer({{kReplace, IDOK}, {kReplace, IDOK}});
        CProgressDialog dialog(FinishCopiedSection);
        EXPECT_EQ(dialog.DoModal(), IDOK);
        dialog.WaitForWorkerToEnd();
        EXPECT_EQ(TheRunLog().ErrorCount(), failures) << run;
        for (const std::string& path : {longDest + "\\ONE.TXT", longDest + "\\" + std::string(200, 'N') + "\\TWO.TXT"})
            EXPECT_NE(::GetFileAttributesW(SystemPath(path).c_str()), INVALID_FILE_ATTRIBUTES) << path;
    }
}

TEST_F(ProgressDialogTest, AFileThatCannotBeReplacedIsNamedWithTheReasonAndTheInstallFails)
{
    setupSettings.settingsValid = true;
    setupSettings.SetText(TextId::ProblemInstallingText, "There was a problem installing the files.");
    WriteFile(cd + "\\SECTION\\LOCKED.TXT", "new");
    ASSERT_TRUE(CreateDirectoryPath(dest + "\\Book"));
    const std::string locked = dest + "\\Book\\LOCKED.TXT";
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        setupSettings.filesCompressed = compressed;
        const int failures = TheRunLog().ErrorCount();
        ::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteFile(locked, "old", FILE_ATTRIBUTE_HIDDEN);
        UniqueFile hold(::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(hold);
        DialogAnswerer answerer({{kReplace, IDOK}, {kMessageBox, IDNO}, {kMessageBox, IDOK}});
        CProgressDialog dialog(FinishCopiedSection);
        EXPECT_EQ(dialog.DoModal(), IDOK);
        dialog.WaitForWorkerToEnd();
        hold.reset();
        ASSERT_TRUE(answerer.Finished());
        // The new file is written beside the held one; the system refuses the rename over it. The user
        // declines the replacement at the next start, so the file counts as not replaced.
        ASSERT_EQ(answerer.Answered().size(), 3u);
        EXPECT_NE(answerer.Answered()[1].text.find("Replace them when the computer restarts?"), std::string::npos);
        const std::string text = answerer.Answered()[2].text;
        EXPECT_TRUE(text == "There was a problem installing the files.\n\n" + SystemErrorText(ERROR_SHARING_VIOLATION) +
                                "\nSetup can't replace \"" + locked + "\"." ||
                    text == "There was a problem installing the files.\n\n" + SystemErrorText(ERROR_ACCESS_DENIED) +
                                "\nSetup can't replace \"" + locked + "\".")
            << text;
        EXPECT_FALSE(Exists(dest + "\\Book\\" + kPartialFileName)) << "no temporary file stays";
        EXPECT_GT(TheRunLog().ErrorCount(), failures) << "a failure of the run";
        EXPECT_FALSE(expansionFailed) << "no blame on a long path";
        EXPECT_EQ(ReadFile(locked), "old");
        EXPECT_TRUE(Attributes(locked) & FILE_ATTRIBUTE_HIDDEN) << "the file that stayed keeps its attributes";
        EXPECT_FALSE(Exists(dest + "\\Book\\LOCKED.TX_")) << "nothing written beside it";
    }
}

TEST(CopyReplaceDate, UniversalTimeIsShownInLocalTime)
{
    // The test prefix runs with the system's zone; compare against the platform's own conversion.
    SYSTEMTIME noonUtc{2024, 3, 0, 3, 12, 0, 0, 0};
    FILETIME universal, local;
    ASSERT_TRUE(::SystemTimeToFileTime(&noonUtc, &universal));
    ASSERT_TRUE(::FileTimeToLocalFileTime(&universal, &local));
    SYSTEMTIME fields;
    ASSERT_TRUE(::FileTimeToSystemTime(&local, &fields));
    const unsigned long long value =
        (static_cast<unsigned long long>(universal.dwHighDateTime) << 32) | universal.dwLowDateTime;
    const std::string text = FormatUniversalFileTime(value);
    EXPECT_NE(text.find(", " + std::to_string(fields.wYear) + ",  "), std::string::npos) << text;
    const int hour12 = fields.wHour % 12 == 0 ? 12 : fields.wHour % 12;
    EXPECT_NE(text.find(",  " + std::to_string(hour12) + ":00:00  "), std::string::npos) << text;
}
}  // namespace
