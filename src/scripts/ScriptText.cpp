#include "scripts/ScriptText.h"

#include <cstring>

#include "framework/AnsiText.h"

void ForEachScriptLine(std::string_view text, const std::function<void(std::string_view)>& line)
{
    const size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);

    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\r', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view current = text.substr(pos, end - pos);
        pos = end;
        while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n'))
            ++pos;
        if (!current.empty()) line(current);
    }
}

LineCut CutScriptLine(std::string_view line, ScriptFieldTable& fields)
{
    for (auto& field : fields)
        field.clear();
    if (line.size() > kScriptLineLimit) return LineCut::TooLong;

    // Every line gets one trailing blank, which is what an unterminated quote runs into.
    std::string text(line);
    text += ' ';

    ScriptFieldTable cut;
    int count = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        if (count == kScriptFieldCount) return LineCut::TooManyFields;
        if (text[pos] == '"') {
            const size_t start = pos + 1;
            const size_t close = ansi::FindChar(text, '"', start);
            if (close == std::string::npos) {
                cut[count++] = text.substr(start);
                pos = text.size();
            } else {
                cut[count++] = text.substr(start, close - start);
                pos = close + 1;
            }
        } else {
            size_t blank = ansi::FindChar(text, ' ', pos);
            if (blank == std::string::npos) blank = text.size();
            cut[count++] = text.substr(pos, blank - pos);
            pos = blank;
        }
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    }
    fields = std::move(cut);
    return LineCut::Cut;
}

namespace {

std::string WithoutTrailingBackslash(const std::string& path)
{
    if (ansi::EndsWithChar(path, '\\')) return path.substr(0, path.size() - 1);
    return path;
}

// DestDir without its drive: C:\Books\Demo gives Books\Demo. Short values never read past the text.
std::string InstallDir(const std::string& destDir)
{
    if (destDir.size() >= 2 && destDir[1] == ':' && !ansi::IsLeadByte(static_cast<unsigned char>(destDir[0])))
        return destDir.size() > 3 ? destDir.substr(3) : std::string();
    return destDir;
}

bool LookUp(const std::string& name, const PlaceholderValues& v, std::string& out)
{
    if (name == "%SYSTEM%")
        out = v.system;
    else if (name == "%WINDOWS%")
        out = v.windows;
    else if (name == "%STARTDIR%")
        out = WithoutTrailingBackslash(v.startDir);
    else if (name == "%INSTALLDRIVE%")
        out = v.destDir.substr(0, ansi::NextChar(v.destDir, 0));
    else if (name == "%INSTALLDIR%")
        out = InstallDir(v.destDir);
    else if (name == "%INSTALLPATH%")
        out = v.destDir;
    else if (name == "%DESKTOP%")
        out = v.desktop;
    else if (name == "%FAVORITES%")
        out = v.favorites;
    else if (name == "%MYDOCUMENTS%" || name == "%MY DOCUMENTS%")
        out = v.myDocuments;
    else if (name == "%MYPICTURES%" || name == "%MY PICTURES%")
        out = v.myPictures;
    else if (name == "%STARTMENU%")
        out = v.startMenu;
    else if (name == "%PROGRAMS%")
        out = v.programs;
    else
        return false;
    return true;
}

// The placeholder at the start of a field that begins with %, upper-cased: up to the next %, or all.
std::string PlaceholderName(std::string_view field)
{
    const std::string upper = ansi::ToUpper(field);
    const size_t close = ansi::FindChar(upper, '%', 1);
    return upper.substr(0, close == std::string::npos ? upper.size() : close + 1);
}

}  // namespace

bool IsKnownPlaceholder(std::string_view field)
{
    std::string ignored;
    return field.empty() || field[0] != '%' || LookUp(PlaceholderName(field), PlaceholderValues{}, ignored);
}

std::string ExpandPlaceholder(std::string_view field, const PlaceholderValues& values)
{
    if (field.empty() || field[0] != '%') return std::string(field);

    const std::string name = PlaceholderName(field);
    const std::string_view rest = field.substr(name.size());

    std::string result;
    if (!LookUp(name, values, result)) result = name;
    if (!rest.empty()) {
        if (!ansi::EndsWithChar(result, '\\') && rest[0] != '\\') result += '\\';
        result += rest;
    }
    return result;
}

ScriptCommand ParseCommandWord(std::string_view word)
{
    const std::string upper = ansi::ToUpper(word);
    if (upper == "COPY") return ScriptCommand::Copy;
    if (upper == "COPYNTONLY") return ScriptCommand::CopyNtOnly;
    if (upper == "COPYFILEIFNOTINPATH") return ScriptCommand::CopyFileIfNotInPath;
    if (upper == "DEL") return ScriptCommand::Del;
    if (upper == "RENAME") return ScriptCommand::Rename;
    if (upper == "MD") return ScriptCommand::Md;
    if (upper == "CREATESHORTCUT") return ScriptCommand::CreateShortcut;
    if (upper == "RUN") return ScriptCommand::Run;
    if (upper == "ATTRIB") return ScriptCommand::Attrib;
    return ScriptCommand::None;
}
