// The CD checker on CDs generated here: a clean one, then one fault at a time, each with the exact
// finding (file, line and wording) an author would see; and --fix-sizes byte for byte.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include "cdcheck/CdCheck.h"
#include "settings/SetupSettings.h"

namespace fs = std::filesystem;

namespace {

// SZDD data made of literals only: valid for the LZ library, no compression needed.
std::string Szdd(const std::string& data, std::optional<uint32_t> headerSize = std::nullopt)
{
    const uint32_t size = headerSize.value_or(static_cast<uint32_t>(data.size()));
    std::string out(
        "SZDD\x88\xF0\x27\x33"
        "A_",
        10);
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((size >> (8 * i)) & 0xFF);
    for (size_t i = 0; i < data.size(); i += 8) {
        out += '\xFF';
        out += data.substr(i, 8);
    }
    return out;
}

struct CdSpec {
    std::vector<std::string> ini = {"[Setup]",
                                    "MainProdName=Test Book",
                                    "FilesCompressed=NO",
                                    "UseUnderscores=NO",
                                    "NumberOfSections=2",
                                    "ChangeFolderButton=TRUE",
                                    "VolumeName=TESTBOOK",
                                    "",
                                    "[Section1]",
                                    "CodeDir=PART1",
                                    "DestDir=C:\\Test Book\\Part 1",
                                    "ProductName=Test Book Part 1",  // 9-12
                                    "ShortcutLocation=Desktop",
                                    "ShortcutName=Test Book",
                                    "FileSize=7000",
                                    "InstallByDefault=TRUE",  // 13-16
                                    "Uninstall=TRUE",
                                    "CommandFile=PART1.SCR",
                                    "",  // 17-19
                                    "[Section2]",
                                    "CodeDir=PART2",
                                    "DestDir=%PROGRAMS%\\Test Book",
                                    "ProductName=Test Book Part 2",  // 20-23
                                    "ShortcutLocation=NULL",
                                    "ShortcutName=Tools",
                                    "FileSize=6000",
                                    "InstallByDefault=FALSE",  // 24-27
                                    "Uninstall=TRUE",
                                    "CommandFile="};  // 28-29
    std::map<std::string, std::string> texts;         // SETUP.TXT: key -> value; every key is written
    std::map<std::string, std::optional<std::string>> files = {
        {"PART1.SCR", "COPY %STARTDIR%\\PART2\\TOOL.TXT %INSTALLPATH%\r\nMD \"%INSTALLPATH%\\My Notes\"\r\n"},
        {"PART1/README.TXT", std::string(5000, 'r')},
        {"PART1/SUB/DATA.DAT", std::string(2000, 'd')},
        {"PART2/TOOL.TXT", std::string(100, 't')},
        {"setup.exe", "MZ setup"},
        {"TOVRADE.EXE", "MZ uninstaller"},
    };
    bool compress = false;  // every file of PART1 and PART2 written SZDD-compressed

    CdSpec()
    {
        for (int i = 0; i < kUsedTexts; ++i)
            texts[TextKeyName(static_cast<TextId>(i))] = "Text " + std::to_string(i);
        texts["WelcomeText"] = "Welcome to %s.";
        texts["NoRoomText"] = "Drive %c: is full.";
        texts["SpaceRequired"] = "Space required on drive %c: %s";
        texts["UninstallText"] = "Remove %s?";
    }
    void Set(int line, const std::string& text) { ini.at(line - 1) = text; }
};

void WriteFile(const fs::path& path, const std::string& content)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

fs::path WriteCd(const CdSpec& spec, const std::string& name)
{
    const fs::path root = fs::temp_directory_path() / ("cdcheck-test-" + std::to_string(::getpid())) / name;
    fs::remove_all(root);
    std::string ini;
    for (const std::string& line : spec.ini)
        ini += line + "\r\n";
    WriteFile(root / "SETUP.INI", ini);
    std::string txt = "[SetupText]\r\n";
    for (const auto& [key, value] : spec.texts)
        txt += key + "=" + value + "\r\n";
    WriteFile(root / "SETUP.TXT", txt);
    for (const auto& [file, content] : spec.files) {
        if (!content) continue;
        if (file.back() == '/') {
            fs::create_directories(root / file);
            continue;
        }
        const bool section = file.rfind("PART", 0) == 0 && file.find('/') != std::string::npos;
        WriteFile(root / file, spec.compress && section ? Szdd(*content) : *content);
    }
    return root;
}

std::vector<std::string> Lines(const CdReport& report)
{
    std::vector<std::string> lines;
    for (const Finding& finding : report.findings)
        lines.push_back(FormatFinding("", finding));
    return lines;
}

struct BrokenCd {
    const char* name;
    std::function<void(CdSpec&)> change;
    const char* finding;  // empty: the CD is clean
};

const std::string kLongName(240, 'n');

const BrokenCd kCases[] = {
    {"clean", [](CdSpec&) {}, ""},
    {"names in another case",
     [](CdSpec& cd) {
         cd.Set(10, "CodeDir=part1");
         cd.Set(18, "CommandFile=part1.scr");
     },
     ""},
    {"compressed",
     [](CdSpec& cd) {
         cd.Set(3, "FilesCompressed=YES");
         cd.compress = true;
     },
     ""},
    {"entry's optional values",
     [](CdSpec& cd) {
         cd.Set(8, "Publisher=Widget Press");
         cd.ini.insert(cd.ini.begin() + 8, {"Version=2.0", "URLInfoAbout=https://example.com", ""});
     },
     ""},
    {"help link not a link", [](CdSpec& cd) { cd.Set(8, "HelpLink=www.example.com"); },
     "SETUP.INI:8: The 'www.example.com' entry in SETUP.INI looks suspicious. It should be a web address beginning "
     "with 'http://' or 'https://', or 'mailto:' and a mail address."},
    {"missing key", [](CdSpec& cd) { cd.Set(7, ""); },
     "SETUP.INI:1: Warning: The VolumeName key (or its text) is not set in SETUP.INI"},
    {"DestDir form", [](CdSpec& cd) { cd.Set(11, "DestDir=D:"); },
     "SETUP.INI:11: The 'D:' entry in SETUP.INI looks suspicious. It should be an entry like 'C:\\Tessery'."},
    {"script missing", [](CdSpec& cd) { cd.files["PART1.SCR"] = std::nullopt; },
     "SETUP.INI:18: The script file 'PART1.SCR' in SETUP.INI does not exist."},
    {"FileSize wrong", [](CdSpec& cd) { cd.Set(15, "FileSize=7001"); },
     "SETUP.INI:15: FileSize is '7001', but the section's files take 7000 bytes once installed: write FileSize=7000"},
    {"FileSize below the smallest", [](CdSpec& cd) { cd.Set(26, "FileSize=7000"); },
     "SETUP.INI:26: FileSize is '7000', but the section's files take 100 bytes once installed and the smallest size "
     "setup accepts is 6000: write FileSize=6000"},
    {"CodeDir missing", [](CdSpec& cd) { cd.Set(10, "CodeDir=PART9"); },
     "SETUP.INI:10: CodeDir: the folder 'PART9' does not exist on the CD; setup would stop when it comes to copy this "
     "section"},
    {"CodeDir empty",
     [](CdSpec& cd) {
         cd.files["PART2/TOOL.TXT"] = std::nullopt;
         cd.files["PART2/"] = "";
     },
     "SETUP.INI:21: CodeDir: the folder 'PART2' is empty; the section installs nothing"},
    // Paths of 260 characters and more are copied and made in the long form.
    {"long path", [](CdSpec& cd) { cd.files["PART1/" + kLongName] = "x"; },
     "SETUP.INI:15: FileSize is '7000', but the section's files take 7001 bytes once installed: write FileSize=7001"},
    {"name clash",
     [](CdSpec& cd) {
         cd.Set(4, "UseUnderscores=YES");
         cd.files["PART2/TOOL_A.TXT"] = "a";
         cd.files["PART2/Tool a.txt"] = "b";
     },
     "PART2/Tool a.txt: installs as 'Tool a.txt' like 'TOOL_A.TXT' in the same folder: one would replace the other"},
    {"LF line ends", [](CdSpec& cd) { cd.files["PART1.SCR"] = "MD %INSTALLPATH%\\Notes\n"; },
     "PART1.SCR:1: this line ends with a line feed alone: setup reads everything up to the next carriage return as "
     "one line (save the script with CR LF line ends)"},
    {"unknown command", [](CdSpec& cd) { cd.files["PART1.SCR"] = "MD C:\\x\r\n\r\nDELETE C:\\x\r\n"; },
     "PART1.SCR:3: unknown command 'DELETE'; setup ignores the line"},
    {"field count", [](CdSpec& cd) { cd.files["PART1.SCR"] = "MD C:\\x C:\\y\r\n"; },
     "PART1.SCR:1: MD takes 1 argument(s) (folder), but the line gives 2; setup ignores the rest"},
    {"too few fields", [](CdSpec& cd) { cd.files["PART1.SCR"] = "\rcopy C:\\x.txt\r"; },
     "PART1.SCR:2: COPY takes 2 argument(s) (source, destination), but the line gives 1"},
    {"unknown placeholder", [](CdSpec& cd) { cd.files["PART1.SCR"] = "MD %INSTALLDIRECTORY%\\x\r\n"; },
     "PART1.SCR:1: unknown placeholder '%INSTALLDIRECTORY%'; setup writes it as it stands"},
    {"line too long", [](CdSpec& cd) { cd.files["PART1.SCR"] = "MD C:\\x\r\nMD C:\\" + std::string(1100, 'x'); },
     "PART1.SCR:2: the line has 1106 characters; setup refuses lines of more than 1023"},
    {"long script path", [](CdSpec& cd) { cd.files["PART1.SCR"] = "MD %INSTALLPATH%\\" + std::string(240, 'p'); }, ""},
    {"text key missing", [](CdSpec& cd) { cd.texts.erase("NoButton"); },
     "SETUP.TXT:1: the key NoButton is missing: setup shows an empty text"},
    {"conversion of the wrong kind", [](CdSpec& cd) { cd.texts["SpaceRequired"] = "Space required: %s"; },
     "SETUP.TXT:49: SpaceRequired: setup fills in %c, %s (the drive letter, then the size); the text's conversion 1, "
     "%s, does not fit and would appear as it stands"},
    {"conversion in a plain text", [](CdSpec& cd) { cd.texts["ExitText"] = "Exit %d%%?"; },
     "SETUP.TXT:20: ExitText is shown as written: its %d would appear as it stands"},
    {"shared uninstall entry", [](CdSpec& cd) { cd.Set(23, "ProductName=test book part 1"); },
     "SETUP.INI:23: Section1 and Section2 in SETUP.INI have the same Product Name ('test book part 1'), so they would "
     "share one uninstall entry. Setup registers only the first of them that it installs, and does not install the "
     "other."},
    {"product name refused", [](CdSpec& cd) { cd.Set(23, "ProductName=Test\\Book"); },
     "SETUP.INI:23: setup would not register this section for removal: \"Test\\Book\" cannot be registered for "
     "removal: a product name must not be empty, \".\" or \"..\", or contain \"\\\"."},
    {"uninstaller missing", [](CdSpec& cd) { cd.files["TOVRADE.EXE"] = std::nullopt; },
     "TOVRADE.EXE: missing from the CD's root folder: setup cannot copy the uninstaller, and the sections it "
     "registers cannot be removed"},
};

}  // namespace

TEST(CdCheck, ReportsEachFaultOfAGeneratedCdOnce)
{
    for (const BrokenCd& broken : kCases) {
        CdSpec spec;
        broken.change(spec);
        const fs::path root = WriteCd(spec, "case");
        const CdReport report = CheckCd(root);
        std::vector<std::string> expected;
        if (*broken.finding) expected.push_back(broken.finding);
        std::vector<std::string> found = Lines(report);
        for (std::string& line : found)  // the long name, shortened for the table
            for (size_t at; (at = line.find(kLongName)) != std::string::npos;)
                line.replace(at, kLongName.size(), "nnnnnnnnnn");
        EXPECT_EQ(found, expected) << broken.name;
        EXPECT_EQ(report.status, expected.empty() ? CdStatus::Clean : CdStatus::Findings) << broken.name;
    }
}

TEST(CdCheck, FlagsPlainAndDamagedFilesOfACompressedCd)
{
    CdSpec spec;
    spec.Set(3, "FilesCompressed=YES");
    spec.compress = true;
    const fs::path root = WriteCd(spec, "compressed");
    WriteFile(root / "PART2" / "TOOL.TXT", std::string(100, 't'));  // left plain
    // Literals for 4992 bytes, then a back-reference cut off after its first byte.
    std::string damaged = Szdd(std::string(4992, 'r'), 5000);
    damaged += std::string("\x00\x01", 2);
    WriteFile(root / "PART1" / "README.TXT", damaged);
    EXPECT_EQ(
        Lines(CheckCd(root)),
        (std::vector<std::string>{
            "PART1/README.TXT: damaged compressed file: its header gives 5000 bytes, its data expand to 4992; "
            "setup would not expand it",
            "PART2/TOOL.TXT: not a compressed file, but SETUP.INI says FilesCompressed=YES (setup copies it as it "
            "is)"}));
}

TEST(CdCheck, CannotReadAMissingFolder)
{
    const CdReport report = CheckCd(fs::temp_directory_path() / "cdcheck-no-such-folder");
    EXPECT_EQ(report.status, CdStatus::Unreadable);
    EXPECT_TRUE(report.findings.empty());
}

TEST(CdCheck, FixSizesRewritesOnlyTheFileSizeValues)
{
    CdSpec spec;
    const fs::path root = WriteCd(spec, "fix");
    // LF line ends, blanks, another case, a comment, quotes, and a section without FileSize.
    const std::string before =
        "; Test book\n[Setup]\nMainProdName=Test Book\nFilesCompressed=NO\nNumberOfSections=2\n"
        "ChangeFolderButton=TRUE\nVolumeName=TESTBOOK\n[SECTION1]\nCodeDir=PART1\nDestDir=C:\\Book\n"
        "ProductName=Book 1\nShortcutLocation=NULL\nShortcutName=B\n  filesize =  \"48000\" \t\nInstallByDefault=TRUE\n"
        "Uninstall=TRUE\nCommandFile=\nFileSize=1\n[Section2]\nCodeDir=PART2\nDestDir=C:\\Book2\nProductName=Book 2\n"
        "ShortcutLocation=NULL\nShortcutName=B\nInstallByDefault=TRUE\nUninstall=FALSE\nCommandFile=";
    const std::string after =
        "; Test book\n[Setup]\nMainProdName=Test Book\nFilesCompressed=NO\nNumberOfSections=2\n"
        "ChangeFolderButton=TRUE\nVolumeName=TESTBOOK\n[SECTION1]\nCodeDir=PART1\nDestDir=C:\\Book\n"
        "ProductName=Book 1\nShortcutLocation=NULL\nShortcutName=B\n  filesize =  7000 \t\nInstallByDefault=TRUE\n"
        "Uninstall=TRUE\nCommandFile=\nFileSize=1\n[Section2]\nFileSize=6000\nCodeDir=PART2\nDestDir=C:\\Book2\n"
        "ProductName=Book 2\nShortcutLocation=NULL\nShortcutName=B\nInstallByDefault=TRUE\nUninstall=FALSE\n"
        "CommandFile=";
    WriteFile(root / "SETUP.INI", before);

    const SizeFixReport fixed = FixFileSizes(root);
    EXPECT_EQ(fixed.status, CdStatus::Clean);
    ASSERT_EQ(fixed.fixes.size(), 2u);
    EXPECT_EQ(fixed.fixes[0].line, 14);
    EXPECT_EQ(fixed.fixes[0].from, "\"48000\"");
    EXPECT_EQ(fixed.fixes[1].line, 20);
    EXPECT_EQ(ReadFile(root / "SETUP.INI"), after);
    // A second run finds nothing to change.
    EXPECT_TRUE(FixFileSizes(root).fixes.empty());
    EXPECT_EQ(ReadFile(root / "SETUP.INI"), after);
}
