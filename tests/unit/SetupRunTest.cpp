#include <gtest/gtest.h>

#include "installer/SetupRun.h"

namespace {
std::string Describe(const SetupSwitches& s)
{
    std::string out = s.silent ? "S" : "-";
    out += s.keepExisting ? " KEEP" : "";
    if (s.allSections) out += " ALL";
    for (int n : s.sections)
        out += " " + std::to_string(n);
    for (const auto& [n, folder] : s.folders)
        out += " DIR" + std::to_string(n) + "=" + folder;
    if (!s.logPath.empty()) out += " LOG=" + s.logPath;
    return out;
}
}  // namespace

TEST(SetupCommandLine, SwitchesAndRefusals)
{
    struct Case {
        const char* line;
        const char* expected;  // Describe() of the switches, or "!" + a part of the refusal
    } cases[] = {
        {"D:\\setup.exe", "-"},
        {"\"D:\\my setup.exe\"  /s", "S"},
        {"setup /S /KEEP /LOG=C:\\t.log", "S KEEP LOG=C:\\t.log"},
        {"setup /S /SECTIONS=3,1,3", "S 3 1"},
        {"setup /S /sections=all", "S ALL"},
        {"setup /S /DIR2=\"C:\\My Books\\Two\" \"/DIR1=C:\\a b\"", "S DIR1=C:\\a b DIR2=C:\\My Books\\Two"},
        {"setup /S /DIR12=E:\\x", "S DIR12=E:\\x"},
        {"setup \"/LOG=C:\\with blank.log\"", "- LOG=C:\\with blank.log"},
        {"setup /X", "!\"/X\" is not known"},
        {"setup S", "!\"S\" is not known"},
        {"setup /S=1", "!takes no value"},
        {"setup /S /SECTIONS=", "!section numbers"},
        {"setup /S /SECTIONS=0", "!section numbers"},
        {"setup /S /SECTIONS=51", "!section numbers"},
        {"setup /S /SECTIONS=1,,2", "!section numbers"},
        {"setup /S /SECTIONS=1;2", "!section numbers"},
        {"setup /S /DIR=C:\\x", "!not known"},
        {"setup /S /DIRx=C:\\x", "!section number"},
        {"setup /S /DIR1=", "!needs a folder"},
        {"setup /LOG=", "!needs a file name"},
        {"setup /KEEP", "!only together with /S"},
        {"setup /DIR1=C:\\x", "!only together with /S"},
    };
    for (const Case& c : cases) {
        auto parsed = ParseSetupCommandLine(c.line);
        if (c.expected[0] == '!') {
            ASSERT_TRUE(std::holds_alternative<SwitchError>(parsed)) << c.line;
            EXPECT_NE(std::get<SwitchError>(parsed).message.find(c.expected + 1), std::string::npos)
                << c.line << ": " << std::get<SwitchError>(parsed).message;
        } else {
            ASSERT_TRUE(std::holds_alternative<SetupSwitches>(parsed))
                << c.line << ": " << std::get<SwitchError>(parsed).message;
            EXPECT_EQ(Describe(std::get<SetupSwitches>(parsed)), c.expected) << c.line;
        }
    }
    // A refused line still tells whether it asked for a run without windows.
    EXPECT_TRUE(AsksForSilentRun("setup /bogus /s"));
    EXPECT_FALSE(AsksForSilentRun("\"C:\\x /S\\setup.exe\" /bogus"));
    EXPECT_EQ(LogPathAskedFor("setup /S /bogus \"/log=C:\\a b.log\""), "C:\\a b.log");
    EXPECT_EQ(LogPathAskedFor("setup /S /LOG= /bogus"), "");
}

TEST(SetupCommandLine, SectionsChosenForAnUnattendedRun)
{
    // Section 1 default, 2 not default, 3 default but installed already (in another folder than its
    // DestDir), 4 default on the bare root.
    const std::vector<SectionFacts> facts = {
        {true, false, "C:\\Widgets\\Samples"},
        {false, false, "C:\\Widgets\\Tools"},
        {true, true, "C:\\Widgets\\Old", "Old Book", "C:\\Widgets\\Installed"},
        {false, false, "C:\\"},
    };
    struct Case {
        const char* line;
        const char* expected;  // "n=folder;..." from 1, or "!" + a part of the refusal
    } cases[] = {
        {"setup /S", "1=C:\\Widgets\\Samples;"},
        {"setup /S /SECTIONS=2", "2=C:\\Widgets\\Tools;"},
        {"setup /S /SECTIONS=3,2", "2=C:\\Widgets\\Tools;3=C:\\Widgets\\Installed;"},
        {"setup /S /SECTIONS=3 /DIR3=c:\\widgets\\Books\\..\\installed\\", "3=C:\\Widgets\\Installed;"},
        {"setup /S /SECTIONS=3 /DIR3=C:\\Widgets\\Old",
         "!/DIR3: Old Book is installed in C:\\Widgets\\Installed. Setup installs it again only there; to install it "
         "in another folder, remove it first."},
        {"setup /S /SECTIONS=2 /DIR2=E:\\Tools\\", "2=E:\\Tools;"},
        {"setup /S /DIR1=C:\\Other", "1=C:\\Other;"},
        {"setup /S /DIR1=C:\\Books\\..\\Other", "1=C:\\Other;"},  // kept as resolved, as the entry names it
        {"setup /S /SECTIONS=ALL", "!Section 4, folder \"C:\\\": NOCHANGE"},
        {"setup /S /SECTIONS=5", "!Section 5 does not exist. SETUP.INI has 4 section(s)."},
        {"setup /S /DIR5=C:\\x", "!section 5 does not exist"},
        {"setup /S /DIR2=C:\\x", "!section 2 is not installed by this run"},
        {"setup /S /DIR1=E:", "!NOCHANGE"},
        {"setup /S /DIR1=C:\\Books\\..\\Windows\\x", "!NOWINDOWS"},
        {"setup /S /DIR1=C:\\WINDOW~1\\x", "!NOWINDOWS"},
        {"setup /S /DIR1=Widgets", "!not a full folder path"},
        {"setup /S /DIR1=\\\\server\\share", "!not a full folder path"},
        {"setup /S /DIR1=D:\\", "!NOCHANGE"},
        {"setup /S /DIR1=c:\\WINDOWS\\Books", "!NOWINDOWS"},
    };
    // The system as the folder tests see it: ".." resolved, and an 8.3 alias of the Windows folder.
    PathResolver resolver;
    resolver.fullPath = [](const std::string& path) -> std::optional<std::string> {
        const size_t up = path.find("\\Books\\..");
        return up == std::string::npos ? path : path.substr(0, up) + path.substr(up + 9);
    };
    resolver.longName = [](const std::string& path) -> std::optional<std::string> {
        if (path == "C:\\WINDOW~1" || path == "C:\\windows") return std::string("C:\\windows");
        return std::nullopt;
    };
    for (const Case& c : cases) {
        const SetupSwitches switches = std::get<SetupSwitches>(ParseSetupCommandLine(c.line));
        auto chosen = ChooseSilentSections(facts, switches, "C:\\windows", "NOCHANGE", "NOWINDOWS", resolver);
        if (c.expected[0] == '!') {
            ASSERT_TRUE(std::holds_alternative<SilentRefusal>(chosen)) << c.line;
            EXPECT_EQ(std::get<SilentRefusal>(chosen).result, SetupResult::BadInput);
            EXPECT_NE(std::get<SilentRefusal>(chosen).message.find(c.expected + 1), std::string::npos)
                << c.line << ": " << std::get<SilentRefusal>(chosen).message;
        } else {
            ASSERT_TRUE(std::holds_alternative<std::vector<SilentChoice>>(chosen))
                << c.line << ": " << std::get<SilentRefusal>(chosen).message;
            std::string got;
            for (const SilentChoice& choice : std::get<std::vector<SilentChoice>>(chosen))
                got += std::to_string(choice.section + 1) + "=" + choice.destDir + ";";
            EXPECT_EQ(got, c.expected) << c.line;
        }
    }
}

TEST(SetupCommandLine, ExitCodesAsDocumented)
{
    const std::pair<SetupResult, int> codes[] = {
        {SetupResult::Installed, 0}, {SetupResult::Cancelled, 1},      {SetupResult::Failed, 2},
        {SetupResult::BadInput, 3},  {SetupResult::AlreadyRunning, 4}, {SetupResult::NoAdministrator, 5},
        {SetupResult::NoRoom, 6},
    };
    for (const auto& [result, code] : codes)
        EXPECT_EQ(ExitCodeOf(result), code) << ResultName(result);
}
