#include "options/DiskSpace.h"

#include "framework/AnsiText.h"

SizeUnitTexts UnitsFrom(const SetupSettings& settings)
{
    return {settings.GetText(TextId::Bytes), settings.GetText(TextId::KBytes), settings.GetText(TextId::MBytes)};
}

uint64_t ReadFileSize(const std::string& fileSize)
{
    const long long value = ansi::ParseLeadingInteger(fileSize);
    return value > 0 ? static_cast<uint64_t>(value) : 0;
}

std::string FormatSectionSize(const std::string& fileSize, const SizeUnitTexts& units)
{
    if (fileSize.empty()) return {};
    return FormatSizeSwitchingAbove1024(ReadFileSize(fileSize), units);
}

int DriveIndexOf(const std::string& destDir)
{
    if (destDir.empty()) return -1;
    const char c = destDir[0];
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a';
    return -1;
}

namespace {
bool IsChecked(const SetupSettings& settings, int section)
{
    return IsTrueValue(settings.SectionValueAt(SectionKey::InstallByDefault, section));
}

// Saturates: no sum of FileSize values can wrap to a small number and pass the check.
uint64_t AddBytes(uint64_t a, uint64_t b)
{
    return b > UINT64_MAX - a ? UINT64_MAX : a + b;
}
}  // namespace

std::array<uint64_t, 26> RequiredBytesPerDrive(const SetupSettings& settings)
{
    std::array<uint64_t, 26> totals{};
    for (int i = 0; i < settings.sectionCount; ++i) {
        if (!IsChecked(settings, i)) continue;
        const int drive = DriveIndexOf(settings.SectionValueAt(SectionKey::DestDir, i));
        if (drive < 0) continue;
        totals[drive] = AddBytes(totals[drive], ReadFileSize(settings.SectionValueAt(SectionKey::FileSize, i)));
    }
    return totals;
}

uint64_t RequiredBytesTotal(const SetupSettings& settings)
{
    uint64_t total = 0;
    for (int i = 0; i < settings.sectionCount; ++i) {
        if (IsChecked(settings, i))
            total = AddBytes(total, ReadFileSize(settings.SectionValueAt(SectionKey::FileSize, i)));
    }
    return total;
}

bool CheckRoom(SetupSettings& settings, const FreeSpaceQuery& freeBytes,
               const std::function<void(char driveLetter)>& reportNoRoom)
{
    const std::array<uint64_t, 26> totals = RequiredBytesPerDrive(settings);
    if (settings.sectionCount > 0) settings.currentSection = settings.sectionCount - 1;
    bool result = true;
    for (int drive = 0; drive < 26; ++drive) {
        if (totals[drive] == 0) continue;
        const char letter = static_cast<char>('A' + drive);
        if (totals[drive] > freeBytes(letter)) {
            if (reportNoRoom) reportNoRoom(letter);
            result = false;
        }
    }
    return result;
}
