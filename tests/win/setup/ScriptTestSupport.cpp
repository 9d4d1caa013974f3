#include "ScriptTestSupport.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace scripttest {

std::string MakeTempFolder(const std::string& tag)
{
    static int counter = 0;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string base(temp);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    for (;;) {
        const std::string path =
            base + "\\script-" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
        if (::CreateDirectoryA(path.c_str(), nullptr)) return path;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return path;
    }
}

std::string HelperFolder()
{
    char module[MAX_PATH];
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path(module);
    return path.substr(0, path.find_last_of('\\')) + "\\script-files";
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace scripttest
