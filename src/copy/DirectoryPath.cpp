#include "copy/DirectoryPath.h"

#include "framework/AnsiText.h"

std::optional<std::vector<std::string>> DirectoryPathSteps(const std::string& path)
{
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return std::nullopt;
    if (path.size() > kMaxPathChars) return std::nullopt;
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
