// cdcheck [--fix-sizes] DIR: checks the CD folder DIR as setup would read it and prints one line per
// finding, in UTF-8. Exit status 0: clean; 1: findings; 2: the folder or its SETUP.INI cannot be read.
// cdcheck --value SECTION KEY DIR prints one value of SETUP.INI as setup reads it.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cdcheck/CdCheck.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "framework/Utf8.h"
#endif

namespace {
// The arguments in UTF-8. On Windows they are read from the system's UTF-16 command line: the
// code page's argv would turn a folder name in another script into question marks. Paths are made
// from them as UTF-8 (u8path), never through the code page.
std::vector<std::string> Arguments(int argc, char** argv)
{
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i)
            arguments.push_back(Utf8FromUtf16(reinterpret_cast<const char16_t*>(wide[i])));
        ::LocalFree(wide);
        return arguments;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}
}  // namespace

int main(int argc, char** rawArgv)
{
#ifdef _WIN32
    // The findings are UTF-8 (names as the CD holds them): the console is told so.
    ::SetConsoleOutputCP(CP_UTF8);
#endif
    const std::vector<std::string> arguments = Arguments(argc, rawArgv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    argc = static_cast<int>(pointers.size());
    const char* const* argv = pointers.data();
    if (argc == 5 && std::strcmp(argv[1], "--value") == 0) {
        const std::optional<std::string> value = ReadSetupIniValue(std::filesystem::u8path(argv[4]), argv[2], argv[3]);
        if (!value) {
            std::fprintf(stderr, "cdcheck: %s: SETUP.INI cannot be read\n", argv[4]);
            return 2;
        }
        std::printf("%s\n", value->c_str());
        return 0;
    }
    bool fixSizes = false;
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fix-sizes") == 0) {
            fixSizes = true;
        } else if (!folder && argv[i][0] != '-') {
            folder = argv[i];
        } else {
            folder = nullptr;
            break;
        }
    }
    if (!folder) {
        std::fprintf(stderr, "usage: cdcheck [--fix-sizes] DIR\n       cdcheck --value SECTION KEY DIR\n");
        return 2;
    }

    if (fixSizes) {
        const SizeFixReport fixed = FixFileSizes(std::filesystem::u8path(folder));
        if (fixed.status == CdStatus::Unreadable) {
            std::fprintf(stderr, "cdcheck: %s: %s\n", folder, fixed.error.c_str());
            return 2;
        }
        for (const SizeFix& fix : fixed.fixes) {
            const Finding note{
                "SETUP.INI", fix.line,
                fix.from.empty() ? "FileSize=" + fix.to + " added" : "FileSize " + fix.from + " changed to " + fix.to};
            std::printf("%s\n", FormatFinding(folder, note).c_str());
        }
    }

    const CdReport report = CheckCd(std::filesystem::u8path(folder));
    if (report.status == CdStatus::Unreadable) {
        std::fprintf(stderr, "cdcheck: %s: %s\n", folder, report.error.c_str());
        return 2;
    }
    for (const Finding& finding : report.findings)
        std::printf("%s\n", FormatFinding(folder, finding).c_str());
    return static_cast<int>(report.status);
}
