#include "framework/PathCompaction.h"

#include <algorithm>

#include "framework/AnsiText.h"
#include "framework/PathText.h"

namespace {
// Start of the character that contains byte `pos` (never splits a double-byte character).
size_t CharStartAt(const std::string& s, size_t pos)
{
    size_t i = 0;
    while (true) {
        size_t next = ansi::NextChar(s, i);
        if (next > pos || next >= s.size()) return i;
        i = next;
    }
}

// Start of the last whole character that ends at or before `pos` (pos > 0).
size_t CharStartBefore(const std::string& s, size_t pos)
{
    size_t i = 0;
    while (true) {
        size_t next = ansi::NextChar(s, i);
        if (next >= pos) return i;
        i = next;
    }
}

std::string CutToPathLimit(const std::string& path)
{
    if (path.size() <= kMaxPathChars) return path;
    size_t end = 0;
    while (end < path.size()) {
        size_t next = ansi::NextChar(path, end);
        if (next > kMaxPathChars) break;
        end = next;
    }
    return path.substr(0, end);
}
}  // namespace

std::string CompactPathToWidth(const std::string& path, int width, TextMeasurer& measurer)
{
    std::string text = CutToPathLimit(path);
    std::optional<int> measured = measurer.Width(text);
    if (width < kMinCompactWidth || text.empty()) return {};
    if (!measured || *measured <= width) return text;

    // The three characters around the middle become dots; a one- or two-character text has fewer to
    // give, and a double-byte character is replaced whole.
    const size_t n = text.size();
    const size_t middle = n / 2;
    const size_t first = CharStartAt(text, middle > 0 ? middle - 1 : 0);
    const size_t lastStart = CharStartAt(text, std::min(middle + 1, n - 1));
    const size_t end = ansi::NextChar(text, lastStart);
    text.replace(first, end - first, std::min<size_t>(end - first, 3), '.');
    measured = measurer.Width(text);

    while (measured && *measured > width) {
        size_t dots = text.find("...");
        if (dots == std::string::npos) break;
        bool removed = false;
        const size_t after = dots + 3;
        if (after < text.size()) {
            text.erase(after, ansi::NextChar(text, after) - after);
            removed = true;
        }
        dots = text.find("...");
        if (dots != std::string::npos && dots > 0) {
            const size_t before = CharStartBefore(text, dots);
            text.erase(before, dots - before);
            removed = true;
        }
        if (!removed) break;
        measured = measurer.Width(text);
    }
    return text;
}
