#include "framework/PathText.h"

#include "framework/AnsiText.h"

std::optional<std::vector<std::string>> DirectoryPathSteps(const std::string& path)
{
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return std::nullopt;
    if (path.size() > kMaxLongPathChars) return std::nullopt;
    size_t pos = 0;
    if (!path.empty() && path[0] == '\\') {
        pos = 1;
    } else if (path.size() >= 2 && path[1] == ':') {
        pos = (path.size() >= 3 && path[2] == '\\') ? 3 : 2;
    }
    std::vector<std::string> steps;
    while (pos < path.size()) {
        size_t slash = ansi::FindChar(path, '\\', pos);
        size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > pos) steps.push_back(path.substr(0, end));
        pos = end + 1;
    }
    return steps;
}

std::string AppendToFolder(const std::string& folder, const std::string& name)
{
    if (ansi::EndsWithChar(folder, '\\')) return folder + name;
    return folder + "\\" + name;
}

std::string JoinPath(const std::string& base, const std::string& name)
{
    return base.empty() ? name : AppendToFolder(base, name);
}

std::string FolderWithBackslash(const std::string& path)
{
    const size_t slash = ansi::FindLastChar(path, '\\');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string ParentFolder(const std::string& path)
{
    const size_t slash = ansi::FindLastChar(path, '\\');
    if (slash == std::string::npos) return path;
    return slash > 0 && path[slash - 1] == ':' ? path.substr(0, slash + 1) : path.substr(0, slash);
}
