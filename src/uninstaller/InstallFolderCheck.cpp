#include "uninstaller/InstallFolderCheck.h"

#include "framework/AnsiText.h"

namespace {
bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::vector<std::string> SplitComponents(std::string_view path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = ansi::FindChar(path, '\\', start);
        if (end == std::string_view::npos) end = path.size();
        parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool HasIllegalCharacter(std::string_view name)
{
    for (size_t i = 0; i < name.size(); i = ansi::NextChar(name, i)) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (ansi::IsLeadByte(c)) continue;
        if (c < 32 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') return true;
    }
    return false;
}

// Blanks and dots at the end of a name are dropped by the file system ("Book. " is "Book").
std::string TrimTrailingBlanksAndDots(const std::string& name)
{
    size_t keep = 0;
    for (size_t i = 0; i < name.size(); i = ansi::NextChar(name, i)) {
        const size_t next = ansi::NextChar(name, i);
        if (next - i > 1 || (name[i] != ' ' && name[i] != '.')) keep = next;
    }
    return name.substr(0, keep);
}

bool IsSameOrInside(const std::string& inner, const std::string& outer)
{
    if (ansi::EqualsNoCase(inner, outer)) return true;
    const std::string prefix = ansi::EndsWithChar(outer, '\\') ? outer : outer + "\\";
    return ansi::StartsWithNoCase(inner, prefix);
}
}  // namespace

std::optional<std::string> CanonicalFolderPath(std::string_view input)
{
    std::string path(input);
    for (size_t i = 0; i < path.size(); i = ansi::NextChar(path, i)) {
        if (path[i] == '/' && !ansi::IsLeadByte(static_cast<unsigned char>(path[i]))) path[i] = '\\';
    }
    std::string root;
    std::string_view rest;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        std::vector<std::string> parts = SplitComponents(std::string_view(path).substr(2));
        if (parts.size() < 2 || parts[0].empty() || parts[1].empty()) return std::nullopt;
        if (parts[0] == "?" || parts[0] == "." || HasIllegalCharacter(parts[0]) || HasIllegalCharacter(parts[1]))
            return std::nullopt;
        root = "\\\\" + parts[0] + "\\" + parts[1];
        const size_t restStart = 2 + parts[0].size() + 1 + parts[1].size();
        rest = std::string_view(path).substr(restStart < path.size() ? restStart + 1 : path.size());
    } else if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
        root = ansi::ToUpper(path.substr(0, 1)) + ":\\";
        rest = std::string_view(path).substr(3);
    } else {
        return std::nullopt;
    }

    std::vector<std::string> kept;
    if (!rest.empty()) {
        for (const std::string& raw : SplitComponents(rest)) {
            if (raw.empty() || raw == ".") continue;
            if (raw == "..") {
                if (kept.empty()) return std::nullopt;
                kept.pop_back();
                continue;
            }
            if (HasIllegalCharacter(raw)) return std::nullopt;
            std::string name = TrimTrailingBlanksAndDots(raw);
            if (name.empty()) return std::nullopt;
            kept.push_back(std::move(name));
        }
    }
    std::string result = root;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0 || !ansi::EndsWithChar(result, '\\')) result += '\\';
        result += kept[i];
    }
    return result;
}

FolderCheck CheckInstallFolder(std::string_view folder, const std::vector<std::string>& protectedFolders)
{
    FolderCheck check;
    std::optional<std::string> canonical = CanonicalFolderPath(folder);
    if (!canonical) return check;
    check.canonical = *canonical;
    const bool isDriveRoot = ansi::EndsWithChar(check.canonical, '\\');
    const bool isShareRoot = check.canonical.rfind("\\\\", 0) == 0 &&
                             ansi::FindChar(check.canonical, '\\', 2) == ansi::FindLastChar(check.canonical, '\\');
    if (isDriveRoot || isShareRoot) {
        check.verdict = FolderVerdict::DriveRoot;
        return check;
    }
    for (const std::string& candidate : protectedFolders) {
        std::optional<std::string> guarded = CanonicalFolderPath(candidate);
        if (!guarded) continue;
        if (IsSameOrInside(*guarded, check.canonical)) {
            check.verdict = FolderVerdict::Protected;
            check.protectedFolder = *guarded;
            return check;
        }
    }
    check.verdict = FolderVerdict::Removable;
    return check;
}

bool IsDeletableShortcut(std::string_view path)
{
    if (path.size() < 5 || !ansi::EqualsNoCase(path.substr(path.size() - 4), ".lnk")) return false;
    std::optional<std::string> canonical = CanonicalFolderPath(path);
    return canonical && !ansi::EndsWithChar(*canonical, '\\') && ansi::EqualsNoCase(*canonical, std::string(path));
}
