#pragma once
// Texts from SETUP.TXT are printf-style formats written by a product's author. They are never handed
// to the printf family: FormatText substitutes the given arguments for %s, %c and %d in order and
// writes every other % sequence literally, so a stray % can never read past the arguments.

#include <initializer_list>
#include <string>
#include <string_view>

class FormatArg {
public:
    enum class Kind { String, Char, Number };

    FormatArg(const std::string& s) : kind_(Kind::String), text_(s) {}
    FormatArg(const char* s) : kind_(Kind::String), text_(s ? s : "") {}
    FormatArg(std::string_view s) : kind_(Kind::String), text_(s) {}
    FormatArg(char c) : kind_(Kind::Char), text_(1, c) {}
    FormatArg(int n) : kind_(Kind::Number), text_(std::to_string(n)) {}
    FormatArg(long n) : kind_(Kind::Number), text_(std::to_string(n)) {}
    FormatArg(long long n) : kind_(Kind::Number), text_(std::to_string(n)) {}
    FormatArg(unsigned n) : kind_(Kind::Number), text_(std::to_string(n)) {}
    FormatArg(unsigned long n) : kind_(Kind::Number), text_(std::to_string(n)) {}
    FormatArg(unsigned long long n) : kind_(Kind::Number), text_(std::to_string(n)) {}

    Kind kind() const { return kind_; }
    const std::string& text() const { return text_; }

private:
    Kind kind_;
    std::string text_;
};

// Each conversion takes the next argument: %s wants a string, %c a character, %d (or %i, %u) a
// number. "%%" is one percent sign, as the authors of these texts expect from printf. A conversion
// whose argument has another kind, a conversion without an argument left, and any other % sequence
// are written literally; a mismatched argument is still used up.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args = {});
