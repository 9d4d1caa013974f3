#pragma once
// The install script format: cutting a script into lines and a line into fields, the path
// placeholders, and the command words. Portable: the Win32 layer supplies the folder values.

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

constexpr int kScriptFieldCount = 10;
// A line is read into 1024 characters with its terminator.
constexpr size_t kScriptLineLimit = 1023;

// Field 0 is the command word, fields 1 to 9 its arguments; a field a line does not supply is empty.
using ScriptFieldTable = std::array<std::string, kScriptFieldCount>;

// Calls `line` for every non-empty line of a script text. A line ends at a carriage return; the
// carriage returns and line feeds after it are skipped, so CR LF, lone CRs and blank lines all
// separate lines alike, while a line feed that follows no carriage return is an ordinary character.
// A zero byte ends the text.
void ForEachScriptLine(std::string_view text, const std::function<void(std::string_view)>& line);

enum class LineCut {
    Cut,           // the fields are in the table
    TooLong,       // more than kScriptLineLimit characters: refused, the table is left empty
    TooManyFields  // more than ten fields: refused, the table is left empty
};

// Resets `fields` and cuts `line` into them. Fields are separated by blanks (a tab is ordinary); a
// field that opens with a double quote runs to the next double quote, or, when there is none, to
// the end of the line plus the one blank the format appends to every line. A line that begins
// with a blank has an empty command word.
LineCut CutScriptLine(std::string_view line, ScriptFieldTable& fields);

// The values behind the placeholders, as the special-folder table and the current section hold them.
struct PlaceholderValues {
    std::string system;
    std::string windows;
    std::string startDir;  // with its trailing backslash, as the special-folder table keeps it
    std::string destDir;   // the DestDir of the section being worked on
    std::string desktop;
    std::string favorites;
    std::string myDocuments;
    std::string myPictures;
    std::string startMenu;
    std::string programs;
};

// Expands the placeholder at the very start of `field` (%PROGRAMS%\Book and the like). A name that
// is not known expands to its own upper-case text; the rest keeps its case and is joined to the
// expansion with one backslash. A field that does not begin with % is returned unchanged.
std::string ExpandPlaceholder(std::string_view field, const PlaceholderValues& values);
// False only for a field that begins with a placeholder name the table does not know.
bool IsKnownPlaceholder(std::string_view field);

enum class ScriptCommand { None, Copy, CopyNtOnly, CopyFileIfNotInPath, Del, Rename, Md, CreateShortcut, Run, Attrib };

// The command a command word names, in any case; only the whole word counts.
ScriptCommand ParseCommandWord(std::string_view word);
