#include "settings/ProfileText.h"

#include "framework/AnsiText.h"

namespace {
// The profile functions count Ctrl+Z, the old end-of-file mark, as a blank too.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1a;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}
}  // namespace

ProfileText::ProfileText(std::string_view text)
{
    size_t pos = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;  // editors put a UTF-8 mark in front
    sections_.push_back(Section{});
    bool breakSeen = false;
    for (int line = 1; pos < text.size(); ++line) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        size_t next = end;
        if (next < text.size()) next += text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1;
        if (!breakSeen && next > end) {
            lineBreak_ = std::string(text.substr(end, next - end));
            breakSeen = true;
        }

        std::string_view content = Trim(text.substr(pos, end - pos));
        const size_t contentAt = content.empty() ? pos : static_cast<size_t>(content.data() - text.data());
        pos = next;
        if (content.empty()) continue;
        if (content.front() == '[') {
            const size_t close = content.rfind(']');
            if (close != std::string_view::npos) {
                sections_.push_back(Section{std::string(Trim(content.substr(1, close - 1))), line, next, {}});
                continue;
            }
        }
        Key key;
        key.line = line;
        const size_t equals = content.find('=');
        if (equals == std::string_view::npos) {
            key.name = std::string(content);
        } else {
            key.name = std::string(Trim(content.substr(0, equals)));
            std::string_view value = content.substr(equals + 1);
            while (!value.empty() && IsBlank(value.front()))
                value.remove_prefix(1);
            key.value = std::string(value);
            key.hasValue = true;
            key.valueBegin = contentAt + (value.data() - content.data());
            key.valueEnd = key.valueBegin + value.size();
        }
        sections_.back().keys.push_back(std::move(key));
    }
}

const ProfileText::Section* ProfileText::FindSection(std::string_view name) const
{
    name = Trim(name);
    // The keys before the first header form a section without a name, as "[]" does.
    for (const Section& section : sections_) {
        if (ansi::EqualsNoCase(section.name, name)) return &section;
    }
    return nullptr;
}

const ProfileText::Key* ProfileText::FindKey(std::string_view section, std::string_view key) const
{
    const Section* found = FindSection(section);
    if (!found) return nullptr;
    key = Trim(key);
    for (const Key& k : found->keys) {
        if (ansi::EqualsNoCase(k.name, key)) return &k;
    }
    return nullptr;
}

std::string ProfileText::Read(const std::string& section, const std::string& key, const std::string& fallback)
{
    const Key* found = FindKey(section, key);
    const std::string& value = found && found->hasValue ? found->value : fallback;
    // A value in matching quotes loses them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}
