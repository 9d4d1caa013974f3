#include "options/OptionsModel.h"

#include "framework/AnsiText.h"
#include "framework/SafeFormat.h"

namespace {
std::string JoinFolder(const std::string& base, const std::string& name)
{
    return ansi::EndsWithChar(base, '\\') ? base + name : base + '\\' + name;
}
}  // namespace

std::string SectionRowText(const std::string& productName, const std::string& fileSize, const SizeUnitTexts& units)
{
    return productName + '\t' + FormatSectionSize(fileSize, units);
}

FolderMode FolderModeFrom(const std::string& changeFolderButton)
{
    if (ansi::EqualsNoCase(changeFolderButton, "TRUE")) return FolderMode::ChangeFolder;
    if (ansi::EqualsNoCase(changeFolderButton, "CHANGEDRIVE")) return FolderMode::ChangeDrive;
    return FolderMode::None;
}

std::vector<std::string> DriveListEntries(uint32_t logicalDrives, const std::function<bool(char)>& isCdRom)
{
    std::vector<std::string> entries;
    for (int i = 0; i < 26; ++i) {
        if (!(logicalDrives & (1u << i))) continue;
        const char letter = static_cast<char>('A' + i);
        if (isCdRom && isCdRom(letter)) continue;
        entries.push_back(std::string("[") + letter + "]");
    }
    return entries;
}

bool IsInWindowsFolder(const std::string& folder, const std::string& windowsDir)
{
    return !windowsDir.empty() && ansi::StartsWithNoCase(folder, windowsDir);
}

bool IsBareDriveRoot(const std::string& destDir)
{
    // A double-byte first character cannot be a drive letter, and its trail byte is never a colon.
    if (destDir.size() < 2 || destDir[1] != ':') return false;
    return destDir.find_first_not_of("\\/. ", 2) == std::string::npos;
}

std::string RealFolderPath(const std::string& folder, const PathResolver& resolver)
{
    std::optional<std::string> full = resolver.fullPath ? resolver.fullPath(folder) : std::nullopt;
    const std::string path = full && !full->empty() ? *full : folder;
    if (!resolver.longName) return path;
    // Walk up until a part exists; the names below it are not there yet and have no other spelling.
    std::string head = path;
    std::string rest;
    for (;;) {
        if (std::optional<std::string> spelled = resolver.longName(head); spelled && !spelled->empty())
            return rest.empty() ? *spelled : JoinFolder(*spelled, rest);
        const size_t slash = ansi::FindLastChar(head, '\\');
        if (slash == std::string::npos || slash + 1 == head.size()) return path;  // a root, or nothing to drop
        const std::string name = head.substr(slash + 1);
        rest = rest.empty() ? name : name + '\\' + rest;
        // Keep the backslash of a drive root: "C:" alone would name the drive's current folder.
        head = head.substr(0, slash == 2 && head[1] == ':' ? slash + 1 : slash);
    }
}

ChosenFolder CheckChosenFolder(const std::string& folder, const std::string& windowsDir, const PathResolver& resolver)
{
    if (IsBareDriveRoot(folder)) return {FolderRefusal::DriveRoot, folder};
    const bool letter =
        !folder.empty() && ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
    if (!letter || folder.size() < 3 || folder[1] != ':' || folder[2] != '\\')
        return {FolderRefusal::NotFullPath, folder};
    std::string real = RealFolderPath(folder, resolver);
    if (IsInWindowsFolder(real, RealFolderPath(windowsDir, resolver))) return {FolderRefusal::WindowsFolder, folder};
    return {FolderRefusal::None, std::move(real)};
}

std::string FolderRefusalText(const ChosenFolder& check, const std::string& noChangeText,
                              const std::string& noWindowsDirText)
{
    switch (check.refusal) {
        case FolderRefusal::DriveRoot:
            return noChangeText;
        case FolderRefusal::NotFullPath:
            return "The folder \"" + check.folder + "\" is not a full folder path (X:\\folder).";
        case FolderRefusal::WindowsFolder:
            return noWindowsDirText;
        case FolderRefusal::None:
            break;
    }
    return std::string();
}

std::string WithDriveLetter(const std::string& destDir, char letter)
{
    if (destDir.empty()) return destDir;
    std::string result = destDir;
    // A double-byte first character would leave an orphaned trail byte behind the new letter.
    result.replace(0, ansi::NextChar(destDir, 0), 1, letter);
    return result;
}

OptionsRefreshTexts ComputeRefreshTexts(SetupSettings& settings, int selectedSection, const FreeSpaceQuery& freeBytes)
{
    OptionsRefreshTexts texts;
    const SizeUnitTexts units = UnitsFrom(settings);
    settings.currentSection = selectedSection;
    const std::string destDir = settings.GetSectionValue(SectionKey::DestDir);
    if (!destDir.empty()) {
        const char letter = destDir[0];
        const uint64_t available = freeBytes ? freeBytes(letter) : 0;
        texts.spaceAvailable = FormatText(settings.GetText(TextId::SpaceAvailable),
                                          {letter, FormatSizeSwitchingAbove1024(available, units)});
        texts.spaceRequired = FormatText(settings.GetText(TextId::SpaceRequired),
                                         {letter, FormatSizeSwitchingAbove1024(RequiredBytesTotal(settings), units)});
    }
    settings.currentSection = selectedSection;
    texts.destFolder = destDir;
    texts.description =
        FormatText(settings.GetText(TextId::DescriptionText), {settings.GetSectionValue(SectionKey::ProductName)});
    return texts;
}

std::string InstalledElsewhereText(const std::string& productName, const std::string& installedFolder)
{
    return FormatText(
        "%s is installed in %s. Setup installs it again only there; to install it in another "
        "folder, remove it first.",
        {productName, installedFolder});
}

bool SameFolder(const std::string& a, const std::string& b, const PathResolver& resolver)
{
    const auto normal = [&](const std::string& folder) {
        std::string real = ansi::ToUpper(RealFolderPath(folder, resolver));
        while (real.size() > 3 && ansi::EndsWithChar(real, '\\'))
            real.pop_back();
        return real;
    };
    return normal(a) == normal(b);
}
