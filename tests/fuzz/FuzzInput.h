#pragma once
// Cuts a fuzz input into the pieces a target needs. Pieces are separated by line feeds so that seed
// files stay readable; the last piece a target asks for with Rest() may hold line feeds itself.
//
// An input that starts with the byte 0x01 is read in a double-byte code page (lead bytes as in
// code page 932), so the DBCS-aware scans are fuzzed with trail bytes that look like '\', '`' or '%'.
// Every other input is read in a single-byte code page.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "framework/AnsiText.h"

// A property the code under test promises; a violation is reported as a crash so libFuzzer keeps it.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace fuzz {

inline bool Cp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

class Input {
public:
    Input(const uint8_t* data, size_t size) : text_(reinterpret_cast<const char*>(data), size)
    {
        const bool doubleByte = !text_.empty() && text_[0] == '\x01';
        if (doubleByte) text_.remove_prefix(1);
        ansi::SetLeadByteTest(doubleByte ? &Cp932LeadByte : nullptr);
    }

    bool Empty() const { return text_.empty(); }

    // Up to the next line feed (consumed), or everything left when there is none.
    std::string Line()
    {
        const size_t end = text_.find('\n');
        std::string line(text_.substr(0, end));
        text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
        return line;
    }

    std::string Rest()
    {
        std::string rest(text_);
        text_ = {};
        return rest;
    }

    // A decimal number from the next line; lines without digits give 0. Clamped to [low, high].
    long long Number(long long low, long long high)
    {
        const long long n = ansi::ParseLeadingInteger(Line());
        return n < low ? low : n > high ? high : n;
    }

private:
    std::string_view text_;
};

}  // namespace fuzz
