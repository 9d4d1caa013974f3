// The options dialog's rules without a window: row texts and sizes, the folder and drive modes, the
// drive list, the Windows-folder and drive-root tests, the room check and refresh texts, the check
// list's geometry and the folder browser's name filter and paths.
// Input lines: ChangeFolderButton, the Windows folder, the logical-drive mask, ten geometry figures
// (top index, rows, row height, client width and height, check-box width, x, y, cell height, text
// height), a caret, a new folder's name, then four lines per section: ProductName, FileSize,
// DestDir, InstallByDefault.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/AnsiText.h"
#include "framework/PathText.h"
#include "FuzzInput.h"
#include "options/BrowseModel.h"
#include "options/CheckListLayout.h"
#include "options/DiskSpace.h"
#include "options/OptionsModel.h"

namespace {

uint64_t FreeBytes(char letter)
{
    const unsigned char c = static_cast<unsigned char>(letter);
    return c * 0x9E3779B97F4A7C15ull >> (c % 40);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string changeFolder = input.Line();
    const std::string windowsDir = input.Line();
    const uint32_t drives = static_cast<uint32_t>(input.Number(0, 0xFFFFFFFFLL));
    CheckListGeometry g;
    g.topIndex = static_cast<int>(input.Number(-10, 1000));
    g.rowCount = static_cast<int>(input.Number(-10, 1000));
    g.rowHeight = static_cast<int>(input.Number(-10, 1000));
    g.clientWidth = static_cast<int>(input.Number(-32768, 32767));
    g.clientHeight = static_cast<int>(input.Number(-32768, 32767));
    g.checkBoxWidth = static_cast<int>(input.Number(-100, 1000));
    const int x = static_cast<int>(input.Number(-32768, 32767));
    const int y = static_cast<int>(input.Number(-32768, 32767));
    const int cellHeight = static_cast<int>(input.Number(-1000, 1000));
    const int textHeight = static_cast<int>(input.Number(-1000, 1000));
    const size_t caret = static_cast<size_t>(input.Number(0, 100000));
    const std::string newName = input.Line();

    SetupSettings settings;
    settings.SetText(TextId::Bytes, "Bytes");
    settings.SetText(TextId::KBytes, "KBytes");
    settings.SetText(TextId::MBytes, "MBytes");
    settings.SetText(TextId::SpaceAvailable, "Space available on %c: %s");
    settings.SetText(TextId::SpaceRequired, "Space required on %c: %s");
    settings.SetText(TextId::DescriptionText, "%s");
    std::vector<std::string> folders;
    while (!input.Empty() && settings.sectionCount < kMaxSections) {
        const int s = settings.sectionCount++;
        settings.SetSectionValueAt(SectionKey::ProductName, s, input.Line());
        settings.SetSectionValueAt(SectionKey::FileSize, s, input.Line());
        settings.SetSectionValueAt(SectionKey::DestDir, s, input.Line());
        settings.SetSectionValueAt(SectionKey::InstallByDefault, s, input.Line());
        folders.push_back(settings.SectionValueAt(SectionKey::DestDir, s));
    }

    const SizeUnitTexts units = UnitsFrom(settings);
    FolderModeFrom(changeFolder);
    for (const std::string& entry : DriveListEntries(drives, [](char c) { return c == 'D'; })) {
        FUZZ_CHECK(entry.size() == 3 && entry[0] == '[' && entry[2] == ']' && entry[1] != 'D');
    }

    const auto perDrive = RequiredBytesPerDrive(settings);
    const uint64_t total = RequiredBytesTotal(settings);
    for (uint64_t bytes : perDrive)
        FUZZ_CHECK(bytes <= total);
    CheckRoom(settings, &FreeBytes, [](char letter) { FUZZ_CHECK(letter >= 'A' && letter <= 'Z'); });

    for (int s = 0; s < settings.sectionCount; ++s) {
        const std::string fileSize = settings.SectionValueAt(SectionKey::FileSize, s);
        const std::string row = SectionRowText(settings.SectionValueAt(SectionKey::ProductName, s), fileSize, units);
        const RowTextParts parts = SplitRowText(row);
        FUZZ_CHECK(parts.name.size() + parts.size.size() < row.size() || parts.size.empty());
        FormatSectionSize(fileSize, units);

        const std::string destDir = settings.SectionValueAt(SectionKey::DestDir, s);
        const OptionsRefreshTexts texts = ComputeRefreshTexts(settings, s, &FreeBytes);
        FUZZ_CHECK(settings.currentSection == s && texts.destFolder == destDir);
        const int drive = DriveIndexOf(destDir);
        FUZZ_CHECK(drive >= -1 && drive < 26);
        const std::string moved = WithDriveLetter(destDir, 'E');
        FUZZ_CHECK(moved.empty() == destDir.empty() && (moved.empty() || moved[0] == 'E'));
        IsBareDriveRoot(destDir);
        if (IsInWindowsFolder(destDir, windowsDir)) FUZZ_CHECK(!windowsDir.empty());
    }

    FUZZ_CHECK(CheckListRowHeight(cellHeight, textHeight) >= kCheckListMinRowHeight);
    FUZZ_CHECK(CheckImageTop(g.rowHeight, cellHeight) >= 1);
    const CheckListHit hit = HitTestCheckList(g, x, y);
    if (hit.row != -1) {
        FUZZ_CHECK(hit.row >= std::max(0, g.topIndex) && hit.row < g.rowCount);
        FUZZ_CHECK(hit.part != CheckListPart::None);
    }

    if (const auto filtered = FilterFolderNameInput(newName, caret)) {
        FUZZ_CHECK(filtered->text.size() < newName.size() && filtered->text.size() + 2 >= newName.size());
        if (filtered->caret) FUZZ_CHECK(*filtered->caret <= filtered->text.size());
    }
    SortFolderNames(folders);
    for (size_t i = 1; i < folders.size(); ++i)
        FUZZ_CHECK(!(ansi::ToUpper(folders[i]) < ansi::ToUpper(folders[i - 1])));
    const std::string joined = JoinPath(windowsDir, newName);
    FUZZ_CHECK(joined.size() >= windowsDir.size() + newName.size());
    TreeItemPath(newName, folders);
    OnlyDotEntries(folders);
    return 0;
}
