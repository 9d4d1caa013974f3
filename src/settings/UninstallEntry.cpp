#include "settings/UninstallEntry.h"

#include "framework/AnsiText.h"
#include "framework/SafeFormat.h"
#include "framework/SystemFacts.h"
#include "framework/Utf8.h"

namespace {
EntryValue Text(const char* name, const std::string& text)
{
    return {name, EntryValue::Kind::String, text, 0};
}
EntryValue Number(const char* name, uint32_t number)
{
    return {name, EntryValue::Kind::Dword, {}, number};
}
// Half a double-byte character at the end of the folder would take the closing backquote of the
// uninstall string as its trail byte, and the uninstaller could not split the string back.
bool EndsInLoneLeadByte(const std::string& text)
{
    size_t last = 0;
    for (size_t i = 0; i < text.size(); i = ansi::NextChar(text, i))
        last = i;
    return !text.empty() && last + 1 == text.size() && ansi::IsLeadByte(static_cast<unsigned char>(text[last]));
}
}  // namespace

std::string UninstallerTargetPath(const std::string& windowsDir)
{
    if (windowsDir.empty() || ansi::EndsWithChar(windowsDir, '\\')) return windowsDir + kUninstallerFileName;
    return windowsDir + "\\" + kUninstallerFileName;
}

std::string ComposeUninstallString(const std::string& uninstallerPath, const std::string& destDir,
                                   const std::string& productName)
{
    return uninstallerPath + " `" + destDir + "` " + productName;
}

std::string ComposeQuietUninstallString(const std::string& uninstallerPath, const std::string& destDir,
                                        const std::string& productName)
{
    return uninstallerPath + " /S `" + destDir + "` " + productName;
}

std::optional<std::string> FolderInUninstallString(const std::string& uninstallString, const std::string& productName)
{
    const std::string tail = "` " + productName;
    if (uninstallString.size() < tail.size() ||
        uninstallString.compare(uninstallString.size() - tail.size(), tail.size(), tail) != 0)
        return std::nullopt;
    // The folder holds no backquote (the entry is refused otherwise): it begins after the first one.
    const size_t open = ansi::FindChar(uninstallString, '`');
    const size_t end = uninstallString.size() - tail.size();
    if (open == std::string::npos || open == 0 || uninstallString[open - 1] != ' ' || open + 1 >= end)
        return std::nullopt;
    return uninstallString.substr(open + 1, end - open - 1);
}

uint32_t EstimatedSizeKiB(const std::string& fileSize)
{
    const long long bytes = ansi::ParseLeadingInteger(fileSize);
    return bytes <= 0 ? 0 : EstimatedSizeKiB(static_cast<unsigned long long>(bytes));
}

uint32_t EstimatedSizeKiB(unsigned long long bytes)
{
    const unsigned long long kib = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return kib > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(kib);
}

std::string FormatInstallDate(const InstallDay& day)
{
    auto padded = [](int number, size_t width) {
        std::string text = std::to_string(number < 0 ? 0 : number);
        return text.size() < width ? std::string(width - text.size(), '0') + text : text;
    };
    return padded(day.year, 4) + padded(day.month, 2) + padded(day.day, 2);
}

std::variant<UninstallEntry, EntryRefusal> BuildUninstallEntry(const UninstallEntrySource& source)
{
    const std::string& name = source.productName;
    // The name is one key below the Uninstall key: "." and ".." would name that key or its parent, a
    // backslash a key further down. Dots inside a name ("Widgets... Vol 2") are ordinary characters.
    if (name.empty() || name == "." || name == ".." || ansi::FindChar(name, '\\') != std::string::npos) {
        return EntryRefusal{
            FormatText("\"%s\" cannot be registered for removal: a product name must not be empty, \".\" or \"..\", or "
                       "contain \"\\\".",
                       {name})};
    }
    if (ansi::FindChar(source.destDir, '`') != std::string::npos) {
        return EntryRefusal{FormatText("%s cannot be registered for removal: its folder %s contains a backquote (`).",
                                       {name, source.destDir})};
    }
    if (EndsInLoneLeadByte(source.destDir)) {
        return EntryRefusal{
            FormatText("%s cannot be registered for removal: its folder %s ends in an incomplete character.",
                       {name, source.destDir})};
    }
    UninstallEntry entry;
    entry.keyPath = kUninstallKey + name;
    entry.values.push_back(Text("DisplayName", name));
    entry.values.push_back(
        Text("UninstallString", ComposeUninstallString(source.uninstallerPath, source.destDir, name)));
    entry.values.push_back(Text("UninstallText", source.uninstallText));
    entry.values.push_back(Text("UninstallProblemText", source.problemText));
    if (source.shortcutLocation != "NULL") entry.values.push_back(Text("ShortcutLocation", source.shortcutLocation));
    entry.values.push_back(Text("InstallLocation", source.destDir));
    entry.values.push_back(Number("EstimatedSize", source.copiedBytes != 0 ? EstimatedSizeKiB(source.copiedBytes)
                                                                           : EstimatedSizeKiB(source.fileSize)));
    entry.values.push_back(Text("DisplayIcon", source.uninstallerPath));
    entry.values.push_back(Number("NoModify", 1));
    entry.values.push_back(Number("NoRepair", 1));
    auto optional = [&entry](const char* valueName, const std::string& text) {
        if (!text.empty()) entry.values.push_back(Text(valueName, text));
    };
    optional("Publisher", source.publisher);
    optional("DisplayVersion", source.version);
    optional("URLInfoAbout", source.aboutLink);
    optional("HelpLink", source.helpLink);
    entry.values.push_back(Text("InstallDate", FormatInstallDate(source.installDay)));
    for (const EntryValue& value : entry.values) {
        if (value.kind == EntryValue::Kind::String && Utf16Length(value.text) > kMaxEntryValueChars) {
            return EntryRefusal{
                FormatText("%s cannot be registered for removal: its value %s would be longer than 255 characters.",
                           {name, value.name})};
        }
    }
    // Where the reader started setup (a CD drive, or a deep folder of a copied CD): the CD's checks
    // cannot foresee it, so a folder that does not fit is left out rather than refusing the entry.
    if (!source.installSource.empty() && Utf16Length(source.installSource) <= kMaxEntryValueChars)
        entry.values.push_back(Text("InstallSource", source.installSource));
    // For deployment tools: the same command with /S right after the program. It is only offered,
    // never read back, so an entry whose quiet command would not fit is kept without it.
    const std::string quiet = ComposeQuietUninstallString(source.uninstallerPath, source.destDir, name);
    if (Utf16Length(quiet) <= kMaxEntryValueChars) entry.values.push_back(Text("QuietUninstallString", quiet));
    return entry;
}
