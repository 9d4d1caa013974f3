// Whole install scripts run against a fake system: every command with arbitrary arguments, COPY's
// path rules and version comparison, RENAME's retries, RUN's command line, ATTRIB's flags. The fake
// answers each question from a hash of the path it is asked about, so one input always takes the
// same way. Input: the section's DestDir on the first line, then the script file's bytes.

#include <cstdint>
#include <string>

#include "framework/PathText.h"
#include "FuzzInput.h"
#include "scripts/ScriptCommands.h"
#include "scripts/ScriptText.h"

namespace {

uint32_t Hash(const std::string& text)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : text)
        h = (h ^ c) * 16777619u;
    return h;
}

class FakePlatform : public ScriptPlatform {
public:
    bool PathExists(const std::string& path) override { return Hash(path) % 4 != 0; }
    unsigned long CopyOneFile(const std::string& source, const std::string& destination) override
    {
        FUZZ_CHECK(source.size() <= kMaxPathChars && destination.size() <= kMaxPathChars);
        return Hash(source + destination) % 3 == 0 ? 5 : 0;
    }
    unsigned long RenameFile(const std::string& from, const std::string& to, bool) override
    {
        FUZZ_CHECK(from.size() <= kMaxPathChars && to.size() <= kMaxPathChars);
        return Hash(from + to) % 5 == 0 ? 32 : 0;
    }
    void RemoveFile(const std::string& path) override { FUZZ_CHECK(path.size() <= kMaxPathChars); }
    FileVersion ReadFileVersion(const std::string& path) override
    {
        const uint32_t h = Hash(path);
        return ParseFileVersionText(std::to_string(h % 7) + "." + std::to_string(h / 7 % 3) + ".0");
    }
    bool IsNtFamily() override { return true; }
    bool FoundOnSearchPath(const std::string& name, const std::string& extension) override
    {
        return Hash(name + extension) % 2 == 0;
    }
    void DeleteOneFile(const std::string& path) override { FUZZ_CHECK(path.size() <= kMaxPathChars); }
    unsigned long MoveOneFile(const std::string& from, const std::string& to) override
    {
        FUZZ_CHECK(from.size() <= kMaxPathChars && to.size() <= kMaxPathChars);
        return Hash(from + to) % 3 == 0 ? 32 : 0;
    }
    void Pause(unsigned milliseconds) override { ++pauses; }
    std::string ErrorText(unsigned long code) override { return "The process cannot access the file (%s)."; }
    void CreateDirectoryPath(const std::string& path) override { DirectoryPathSteps(path); }
    void UseSharedFile(const std::string& path, bool) override { FUZZ_CHECK(!path.empty()); }
    void CreateShortcut(const std::string& target, const std::string& linkPath) override
    {
        FUZZ_CHECK(!target.empty() && linkPath.size() >= 4);
        ShortcutTargetFolder(target);
    }
    RunResult RunProgram(const std::string& program, const std::string& commandLine, unsigned long& errorCode) override
    {
        FUZZ_CHECK(program.size() <= kMaxPathChars && commandLine.size() <= kScriptLineLimit);
        errorCode = 2;
        return static_cast<RunResult>(Hash(program) % 3);
    }
    std::optional<unsigned> GetAttributes(const std::string& path) override
    {
        const uint32_t h = Hash(path);
        if (h % 5 == 0) return std::nullopt;
        return h;
    }
    void SetAttributes(const std::string& path, unsigned attributes) override
    {
        // Only attributes a file can be given, and never none at all.
        FUZZ_CHECK(attributes != 0 && (attributes & ~0x31A7u) == 0);
    }
    void ShowMessage(const std::string& text) override { FUZZ_CHECK(!text.empty()); }
    void ReportFailure(const std::string& text) override { FUZZ_CHECK(!text.empty()); }
    bool AskRetry(const std::string& text) override { return ++retriesAsked < 3; }

    int pauses = 0;
    int retriesAsked = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    PlaceholderValues values;
    values.destDir = input.Line();
    values.system = "C:\\WINDOWS\\SYSTEM";
    values.windows = "C:\\WINDOWS";
    values.startDir = "D:\\";
    values.desktop = "C:\\WINDOWS\\Desktop";
    values.myDocuments = "C:\\My Documents";
    values.programs = "C:\\WINDOWS\\Start Menu\\Programs";

    FakePlatform platform;
    ScriptFieldTable fields;
    RunScriptText(input.Rest(), fields, values, platform);
    return 0;
}
