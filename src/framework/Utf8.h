#pragma once
// Text inside both programs is UTF-8: paths and names as the system gives them, and the CD author's
// files once read (they are converted from the ANSI code page where they are read). The system's own
// form is UTF-16; these two turn one into the other at the edge (WideText.h).
//
// A file name on the system may hold a lone surrogate, which is no valid UTF-16. It is kept as the
// three bytes that UTF-8 would give the code point (as WTF-8 does), so every name the system can return
// comes back to it unchanged. UTF-8 that is not valid (which only text from outside can be) turns into
// U+FFFD, one per byte that starts no valid sequence.

#include <string>
#include <string_view>

std::string Utf8FromUtf16(std::u16string_view text);
std::u16string Utf16FromUtf8(std::string_view text);

// How many UTF-16 units the text takes: the length the system counts in its limits.
size_t Utf16Length(std::string_view text);
