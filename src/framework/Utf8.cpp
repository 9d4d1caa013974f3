#include "framework/Utf8.h"

namespace {
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point that starts at text[i] and the bytes it takes. Overlong forms, values past U+10FFFF
// and cut sequences are not valid: they give U+FFFD for their first byte. Surrogates are accepted (the
// lone ones Utf8FromUtf16 keeps).
char32_t DecodeUtf8(std::string_view text, size_t i, size_t& length)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char first = byte(i);
    length = 1;
    if (first < 0x80) return first;
    size_t need = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        need = 1, c = first & 0x1F, least = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        need = 2, c = first & 0x0F, least = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        need = 3, c = first & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    if (i + need >= text.size()) return kReplacement;
    for (size_t k = 1; k <= need; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return kReplacement;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < least || c > 0x10FFFF) return kReplacement;
    length = need + 1;
    return c;
}
}  // namespace

std::string Utf8FromUtf16(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf16FromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        const char32_t c = DecodeUtf8(text, i, length);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

size_t Utf16Length(std::string_view text)
{
    size_t units = 0;
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        units += DecodeUtf8(text, i, length) >= 0x10000 ? 2 : 1;
        i += length;
    }
    return units;
}
