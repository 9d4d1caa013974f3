#include "framework/AnsiText.h"

#include <limits>

namespace ansi {
namespace {
bool SingleByteOnly(unsigned char)
{
    return false;
}
LeadByteTest leadByteTest = &SingleByteOnly;
bool utf8 = false;

bool Utf8Lead(unsigned char c)
{
    return c >= 0xC0;
}

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
    utf8 = false;
}
void UseUtf8()
{
    leadByteTest = &Utf8Lead;
    utf8 = true;
}
bool IsLeadByte(unsigned char c)
{
    return leadByteTest(c);
}

size_t NextChar(std::string_view s, size_t i)
{
    if (i >= s.size()) return s.size();
    if (!IsLeadByte(static_cast<unsigned char>(s[i]))) return i + 1;
    if (!utf8) return i + 1 < s.size() ? i + 2 : i + 1;
    size_t next = i + 1;
    while (next < s.size() && next < i + 4 && (static_cast<unsigned char>(s[next]) & 0xC0) == 0x80)
        ++next;
    return next;
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

// In UTF-8 no byte of a multi-byte character is below 0x80, so an ASCII character is found as a byte.
static bool PlainByteSearch(char c)
{
    return utf8 && static_cast<unsigned char>(c) < 0x80;
}

size_t FindChar(std::string_view s, char c, size_t from)
{
    if (PlainByteSearch(c)) return s.find(c, from);
    for (size_t i = 0; i < s.size(); i = NextChar(s, i)) {
        if (i >= from && s[i] == c && !IsLeadByte(static_cast<unsigned char>(s[i]))) return i;
    }
    return std::string_view::npos;
}

size_t FindLastChar(std::string_view s, char c)
{
    if (PlainByteSearch(c)) return s.rfind(c);
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < s.size(); i = NextChar(s, i)) {
        if (s[i] == c && !IsLeadByte(static_cast<unsigned char>(s[i]))) found = i;
    }
    return found;
}

bool EndsWithChar(std::string_view s, char c)
{
    if (s.empty()) return false;
    if (PlainByteSearch(c)) return s.back() == c;
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
