#include "framework/AnsiText.h"

#include <limits>

namespace ansi {
namespace {
bool SingleByteOnly(unsigned char)
{
    return false;
}
LeadByteTest leadByteTest = &SingleByteOnly;

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

void SetLeadByteTest(LeadByteTest test)
{
    leadByteTest = test ? test : &SingleByteOnly;
}
bool IsLeadByte(unsigned char c)
{
    return leadByteTest(c);
}

size_t NextChar(std::string_view s, size_t i)
{
    if (i >= s.size()) return s.size();
    if (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) return i + 2;
    return i + 1;
}

static std::string MapCase(std::string_view s, char (*map)(char))
{
    std::string out(s);
    for (size_t i = 0; i < out.size(); i = NextChar(out, i)) {
        if (!IsLeadByte(static_cast<unsigned char>(out[i]))) out[i] = map(out[i]);
    }
    return out;
}

std::string ToUpper(std::string_view s)
{
    return MapCase(s, &Upper);
}
std::string ToLower(std::string_view s)
{
    return MapCase(s, &Lower);
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ToUpper(a) == ToUpper(b);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

size_t FindChar(std::string_view s, char c, size_t from)
{
    for (size_t i = 0; i < s.size(); i = NextChar(s, i)) {
        if (i >= from && s[i] == c && !IsLeadByte(static_cast<unsigned char>(s[i]))) return i;
    }
    return std::string_view::npos;
}

size_t FindLastChar(std::string_view s, char c)
{
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < s.size(); i = NextChar(s, i)) {
        if (s[i] == c && !IsLeadByte(static_cast<unsigned char>(s[i]))) found = i;
    }
    return found;
}

bool EndsWithChar(std::string_view s, char c)
{
    if (s.empty()) return false;
    size_t last = 0;
    for (size_t i = 0; i < s.size(); i = NextChar(s, i))
        last = i;
    return last == s.size() - 1 && s[last] == c;
}

long long ParseLeadingInteger(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() &&
           (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\v' || s[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long value = 0;
    const long long limit = std::numeric_limits<long long>::max() / 10 - 10;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        if (value > limit) {
            value = std::numeric_limits<long long>::max();
            while (i < s.size() && s[i] >= '0' && s[i] <= '9')
                ++i;
            break;
        }
        value = value * 10 + (s[i] - '0');
    }
    return negative ? -value : value;
}

}  // namespace ansi
