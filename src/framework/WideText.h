#pragma once
// The edge between the programs' UTF-8 text (Utf8.h) and the system's UTF-16: every path, name and text
// that goes to a W function passes through Wide or SystemPath, every one that comes back through
// Narrow. The CD author's files are in the ANSI code page and pass through Utf8FromAnsi once, where
// they are read.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);
std::string Narrow(const wchar_t* text);  // a null pointer gives ""

// Text in the system's ANSI code page (double-byte characters and all) as UTF-8.
std::string Utf8FromAnsi(std::string_view text);

// A path for the file functions. One that is too long for the plain form (folders stop at 248
// characters there, files at 260) is made full and given the \\?\ form (\\?\UNC\ for a network path),
// which reaches the system's limit of about 32,000 characters; a shorter one is passed as it is, so
// that the system reads it exactly as before. Never shown to the user.
std::wstring SystemPath(std::string_view path);
// A path that the system gave in the \\?\ form, as the user writes it (C:\..., \\server\share\...).
std::string PlainPath(std::string_view path);

// Makes `path` the current folder, unless the folder it names is too long to be current: the current
// folder is held in 260 characters (some systems overrun that buffer instead of refusing), so a deeper
// folder is refused with ERROR_FILENAME_EXCED_RANGE and reached by full paths instead.
bool SetCurrentFolderPath(const std::string& path);

// The system's full path of `path` (GetFullPathName), of any length; nothing when it fails.
std::optional<std::string> FullPathName(std::string_view path);
// The path with each existing name in its long form (GetLongPathName), of any length; nothing when it
// fails (a part that does not exist, no access).
std::optional<std::string> LongPathName(std::string_view path);
