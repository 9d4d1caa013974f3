#include "options/OptionsModel.h"

#include "framework/AnsiText.h"
#include "framework/SafeFormat.h"

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
    return destDir.size() == 3 && destDir[1] == ':' && destDir[2] == '\\';
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
        texts.spaceAvailable = FormatText(settings.GetText(TextId::SpaceAvailable),
                                          {letter, FormatByteCount(freeBytes ? freeBytes(letter) : 0, units)});
        texts.spaceRequired = FormatText(settings.GetText(TextId::SpaceRequired),
                                         {letter, FormatByteCount(RequiredBytesTotal(settings), units)});
    }
    settings.currentSection = selectedSection;
    texts.destFolder = destDir;
    texts.description =
        FormatText(settings.GetText(TextId::DescriptionText), {settings.GetSectionValue(SectionKey::ProductName)});
    return texts;
}
