#include "options/BrowseModel.h"

#include <algorithm>

#include "framework/AnsiText.h"

bool IsAllowedFolderNameChar(char ch)
{
    const unsigned char c = static_cast<unsigned char>(ch);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' ||
           (c >= 0x23 && c <= 0x29);
}

std::optional<FilteredFolderName> FilterFolderNameInput(const std::string& text, size_t caret)
{
    if (text.empty() || caret == 0) return std::nullopt;
    caret = std::min(caret, text.size());
    // Find the character that ends at the caret. A double-byte character is one character: taking its
    // trail byte alone could let it through (trail bytes may look like letters) or cut it in half.
    size_t start = 0;
    for (size_t i = 0; i < caret;) {
        start = i;
        i = ansi::NextChar(text, i);
    }
    const size_t length = ansi::NextChar(text, start) - start;
    if (length == 1 && IsAllowedFolderNameChar(text[start])) return std::nullopt;
    FilteredFolderName result;
    result.text = text;
    result.text.erase(start, length);
    if (caret >= 2) result.caret = start;
    return result;
}

void SortFolderNames(std::vector<std::string>& names)
{
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (auto& name : names)
        keyed.emplace_back(ansi::ToUpper(name), std::move(name));
    // std::string compares bytes as unsigned, as the multibyte comparison does.
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    names.clear();
    for (auto& entry : keyed)
        names.push_back(std::move(entry.second));
}

std::string TreeItemPath(const std::string& text, const std::vector<std::string>& ancestorsNearestFirst)
{
    std::string path = text;
    for (const std::string& ancestor : ancestorsNearestFirst) {
        path = ansi::EndsWithChar(ancestor, '\\') ? ancestor + path : ancestor + '\\' + path;
    }
    return path;
}

bool OnlyDotEntries(const std::vector<std::string>& names)
{
    return std::all_of(names.begin(), names.end(), [](const std::string& n) { return n == "." || n == ".."; });
}
