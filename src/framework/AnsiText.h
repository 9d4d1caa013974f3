#pragma once
// Scans and case changes of the programs' text that step over multi-byte characters, so a trail byte
// that happens to equal '\' or '%' is never taken for one. Inside the programs the text is UTF-8 (see
// Utf8.h), whose trail bytes never equal an ASCII character; the programs select it at start with
// UseUtf8. Text in a double-byte ANSI code page (a CD author's file read as bytes) takes that code
// page's lead-byte test instead; natively (tests, the CD checker) a single-byte code page is assumed
// unless a test installs its own.

#include <cstddef>
#include <string>
#include <string_view>

namespace ansi {

using LeadByteTest = bool (*)(unsigned char);
void SetLeadByteTest(LeadByteTest test);
// UTF-8: a character is its lead byte and the continuation bytes after it (at most three).
void UseUtf8();
bool IsLeadByte(unsigned char c);

// Index of the character after the one at i (2 for a double-byte character, the whole sequence of a
// UTF-8 one, never past the end).
size_t NextChar(std::string_view s, size_t i);

// Upper case for the letters a-z; double-byte characters are copied unchanged.
std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);

// First / last position of a single-byte character, or npos; never matches a trail byte.
size_t FindChar(std::string_view s, char c, size_t from = 0);
size_t FindLastChar(std::string_view s, char c);
bool EndsWithChar(std::string_view s, char c);

// Leading blanks, an optional sign, then digits (as atoi); saturates instead of overflowing.
long long ParseLeadingInteger(std::string_view s);

}  // namespace ansi
