#include "options/OptionsDialog.h"

#include <algorithm>

#include "framework/DisplayWin.h"
#include "framework/MessageBox.h"
#include "framework/SystemWin.h"
#include "framework/WideText.h"
#include "options/BrowseDialog.h"
#include "options/DiskSpaceWin.h"
#include "options/OptionsModel.h"
#include "options/SectionCheckList.h"
#include "resource.h"
#include "settings/ExitConfirmation.h"
#include "settings/SettingsWin.h"
#include "settings/SetupMessages.h"

namespace {

unsigned OsMajorVersion()
{
    // Start-up fills osVersion; a caller that did not (a test) gets the running system's version.
    return osVersion.major != 0 ? osVersion.major : QueryOsVersion().major;
}
}  // namespace

PathResolver SystemPathResolver()
{
    return PathResolver{[](const std::string& path) { return FullPathName(path); },
                        [](const std::string& path) { return LongPathName(path); }};
}

COptionsDialog::COptionsDialog() : Dialog(IDD_OPTIONS) {}

COptionsDialog::~COptionsDialog() = default;

bool COptionsDialog::OnInitDialog()
{
    // An installed section stays where it is: chosen again, it goes into the folder its entry names.
    initialDestDirs_.clear();
    installedFolders_.clear();
    for (int i = 0; i < setupSettings.sectionCount; ++i) {
        installedFolders_.push_back(InstalledSectionFolder(setupSettings.SectionValueAt(SectionKey::ProductName, i)));
        if (installedFolders_.back())
            setupSettings.SetSectionValueAt(SectionKey::DestDir, i, *installedFolders_.back());
        initialDestDirs_.push_back(setupSettings.SectionValueAt(SectionKey::DestDir, i));
    }
    setupSettings.currentSection = 0;

    // This dialog always takes its texts from SETUP.TXT, complete or not.
    SetTitle(setupSettings.GetText(TextId::OptionsTitle));
    selectedSection_ = 0;
    SetItemText(IDC_INSTRUCTION, setupSettings.GetText(TextId::InstructionText));
    SetItemText(IDC_OPTIONS_LABEL, setupSettings.GetText(TextId::OptionStatic));
    SetItemText(IDC_DESCRIPTION_LABEL, setupSettings.GetText(TextId::DescriptionStatic));
    SetItemText(IDC_FOLDER_FRAME, setupSettings.GetText(TextId::FolderTitle));
    SetItemText(IDC_CHANGE_FOLDER, setupSettings.GetText(TextId::ChangeDirButton));
    SetItemText(IDOK, setupSettings.GetText(TextId::ContinueButton));
    SetItemText(IDCANCEL, setupSettings.GetText(TextId::ExitButton));
    SetItemText(IDC_SPACE_AVAILABLE, setupSettings.GetText(TextId::SpaceAvailable));
    SetItemText(IDC_SPACE_REQUIRED, setupSettings.GetText(TextId::SpaceRequired));

    rowFont_ = reinterpret_cast<HFONT>(::SendMessageW(Item(IDC_DESCRIPTION), WM_GETFONT, 0, 0));
    CreateSectionList();

    const SizeUnitTexts units = UnitsFrom(setupSettings);
    for (int i = 0; i < setupSettings.sectionCount; ++i) {
        setupSettings.currentSection = i;
        const std::string productName = setupSettings.GetSectionValue(SectionKey::ProductName);
        const int row = sectionList_->AddRow(
            SectionRowText(productName, setupSettings.GetSectionValue(SectionKey::FileSize), units));
        if (!IsTrueValue(setupSettings.GetSectionValue(SectionKey::InstallByDefault))) continue;
        if (installedFolders_[i] || IsProductInstalled(productName))
            setupSettings.SetSectionValue(SectionKey::InstallByDefault, "FALSE");
        else
            sectionList_->SetCheck(row, 1);
    }

    if (!setupSettings.changeFolderAllowed) ShowItem(IDC_CHANGE_FOLDER, false);
    if (FolderModeFrom(setupSettings.GetSetupValue(SetupKey::ChangeFolderButton)) == FolderMode::ChangeDrive)
        FillDriveList();

    // The row of the section on show is the selected one, so that the keyboard starts from it.
    if (sectionList_ && setupSettings.sectionCount > 0) ::SendMessageW(sectionList_->Hwnd(), LB_SETCURSEL, 0, 0);
    Refresh();
    CenterWindow();
    return true;
}

void COptionsDialog::CreateSectionList()
{
    // The list sits left of the description frame: 263 pixels wide, 10 pixels away from it, as tall
    // as the frame and 7 pixels lower, each at 96 dpi and in proportion on a denser screen (where the
    // template's controls have grown with the dialog font).
    const int dpi = WindowDpi(Hwnd());
    RECT frame{};
    ::GetWindowRect(Item(IDC_DESCRIPTION_FRAME), &frame);
    RECT rect{frame.left - ScaleForDpi(273, dpi), frame.top + ScaleForDpi(7, dpi), frame.left - ScaleForDpi(10, dpi),
              frame.bottom + ScaleForDpi(7, dpi)};
    // Never over the folder's frame below it, which the dialog font may have brought closer.
    RECT folderFrame{};
    if (::GetWindowRect(Item(IDC_FOLDER_FRAME), &folderFrame) && folderFrame.top > rect.top)
        rect.bottom = std::min(rect.bottom, folderFrame.top);
    ::MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    sectionList_ = std::make_unique<SectionCheckList>(OsMajorVersion());
    if (!sectionList_->Create(rowFont_, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_HASSTRINGS,
                              rect, Hwnd(), IDC_SECTION_LIST))
        return;
    // In the tab order the list follows its label, as it does on screen: Continue, Cancel, the list,
    // Change Folder. Screen readers also name the list after the label before it.
    ::SetWindowPos(sectionList_->Hwnd(), Item(IDC_OPTIONS_LABEL), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void COptionsDialog::FillDriveList()
{
    HWND combo = Item(IDC_DRIVE_LIST);
    const auto entries = DriveListEntries(::GetLogicalDrives(), [](char letter) {
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
        return ::GetDriveTypeW(root) == DRIVE_CDROM;
    });
    for (const std::string& entry : entries)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    // Selecting by message raises no CBN_SELCHANGE, so no folder changes here.
    const LRESULT c = ::SendMessageW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"[C]"));
    if (c != CB_ERR) ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(c), 0);
    ShowItem(IDC_DRIVES_LABEL, true);
    ShowItem(IDC_DRIVE_LIST, true);
}

void COptionsDialog::Refresh()
{
    const OptionsRefreshTexts texts = ComputeRefreshTexts(setupSettings, selectedSection_, &GetDriveFreeBytes);
    SetItemText(IDC_SPACE_AVAILABLE, texts.spaceAvailable);
    SetItemText(IDC_DEST_FOLDER, texts.destFolder);
    SetItemText(IDC_SPACE_REQUIRED, texts.spaceRequired);
    SetItemText(IDC_DESCRIPTION, texts.description);
}

void COptionsDialog::OnListNotify()
{
    if (!sectionList_) return;
    selectedSection_ = sectionList_->LastClickedRow();
    setupSettings.currentSection = selectedSection_;
    setupSettings.SetSectionValue(SectionKey::InstallByDefault,
                                  sectionList_->GetCheck(selectedSection_) == 1 ? "TRUE" : "FALSE");
    setupSettings.currentSection = 0;
    Refresh();
}

void COptionsDialog::OnChangeFolder()
{
    if (const std::optional<std::string>& installed = InstalledFolder(selectedSection_)) {
        AppMessageBox(
            InstalledElsewhereText(setupSettings.SectionValueAt(SectionKey::ProductName, selectedSection_), *installed),
            MB_OK | MB_ICONINFORMATION, Hwnd());
        return;
    }
    CBrowseDialog browse;
    if (browse.DoModal(Hwnd()) != IDOK) return;
    // The Windows folder is refused at once; a drive root is refused at Continue, with every folder.
    const ChosenFolder check = CheckFolder(browse.currentDir);
    if (check.refusal == FolderRefusal::WindowsFolder) {
        AppMessageBox(setupSettings.GetText(TextId::NoWindowsDir), MB_OK | MB_ICONEXCLAMATION, Hwnd());
        return;
    }
    setupSettings.currentSection = selectedSection_;
    setupSettings.SetSectionValue(SectionKey::DestDir, check.folder);
    Refresh();
}

const std::optional<std::string>& COptionsDialog::InstalledFolder(int section) const
{
    static const std::optional<std::string> none;
    return section >= 0 && section < static_cast<int>(installedFolders_.size()) ? installedFolders_[section] : none;
}

ChosenFolder COptionsDialog::CheckFolder(const std::string& folder) const
{
    return CheckChosenFolder(folder, specialFolders.Get(SpecialFolder::WindowsDir), SystemPathResolver());
}

void COptionsDialog::OnDriveChosen()
{
    HWND combo = Item(IDC_DRIVE_LIST);
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    wchar_t wideEntry[16] = {};
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 2 || length >= static_cast<LRESULT>(std::size(wideEntry))) return;
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wideEntry));
    const std::string entry = Narrow(wideEntry);
    if (entry.size() < 2) return;
    for (int i = 0; i < setupSettings.sectionCount; ++i) {
        if (InstalledFolder(i)) continue;
        setupSettings.currentSection = i;
        setupSettings.SetSectionValue(SectionKey::DestDir,
                                      WithDriveLetter(setupSettings.GetSectionValue(SectionKey::DestDir), entry[1]));
    }
    setupSettings.currentSection = 0;
    Refresh();
}

void COptionsDialog::ShowSection(int section)
{
    selectedSection_ = section;
    if (sectionList_) ::SendMessageW(sectionList_->Hwnd(), LB_SETCURSEL, static_cast<WPARAM>(section), 0);
    Refresh();
}

void COptionsDialog::OnOK()
{
    // Every checked section is tested, not only the one on show, with the tests of an unattended run:
    // the first that is refused gets its own folder back and is shown, so that the user sees which
    // one it was. A folder that is taken is kept as the system will use it, which is also the folder
    // its uninstall entry names.
    for (int i = 0; i < setupSettings.sectionCount; ++i) {
        if (!sectionList_ || sectionList_->GetCheck(i) != 1) continue;
        const ChosenFolder check = CheckFolder(setupSettings.SectionValueAt(SectionKey::DestDir, i));
        if (check.refusal == FolderRefusal::None) {
            setupSettings.SetSectionValueAt(SectionKey::DestDir, i, check.folder);
            continue;
        }
        AppMessageBox(FolderRefusalText(check, setupSettings.GetText(TextId::NoChange),
                                        setupSettings.GetText(TextId::NoWindowsDir)),
                      MB_OK | MB_ICONEXCLAMATION, Hwnd());
        setupSettings.SetSectionValueAt(SectionKey::DestDir, i,
                                        i < static_cast<int>(initialDestDirs_.size()) ? initialDestDirs_[i] : "");
        ShowSection(i);
        return;
    }
    for (int i = 0; i < setupSettings.sectionCount; ++i) {
        setupSettings.currentSection = i;
        const bool checked = sectionList_ && sectionList_->GetCheck(i) == 1;
        setupSettings.SetSectionValue(SectionKey::InstallByDefault, checked ? "TRUE" : "FALSE");
    }
    setupSettings.currentSection = 0;
    if (!CheckRoom()) return;
    EndDialog(IDOK);
}

void COptionsDialog::OnCancel()
{
    if (RunExitConfirmation(Hwnd())) EndDialog(IDCANCEL);
}

bool COptionsDialog::OnCommand(int id, int code, HWND control)
{
    switch (id) {
        case IDC_CHANGE_FOLDER:
            if (code == BN_CLICKED) OnChangeFolder();
            return true;
        case IDC_DRIVE_LIST:
            if (code == CBN_SELCHANGE) OnDriveChosen();
            return true;
        default:
            return Dialog::OnCommand(id, code, control);
    }
}

bool COptionsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
        case WM_CHECKLIST_NOTIFY:
            if (LOWORD(wParam) != IDC_SECTION_LIST) return false;
            OnListNotify();
            result = 0;
            return true;
        case WM_DRAWITEM:
            if (!sectionList_ || !sectionList_->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
                return false;
            result = TRUE;
            return true;
        case WM_DPICHANGED:
            // The system scales the template's controls and makes their fonts anew; the list takes the
            // description's new font once that is done.
            ::PostMessageW(Hwnd(), WM_ROW_FONT_CHANGED, 0, 0);
            return false;
        case WM_ROW_FONT_CHANGED:
            rowFont_ = reinterpret_cast<HFONT>(::SendMessageW(Item(IDC_DESCRIPTION), WM_GETFONT, 0, 0));
            if (sectionList_) sectionList_->SetRowFont(rowFont_);
            result = 0;
            return true;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // A high-contrast theme switched on or off: the rows take the new colours.
            if (sectionList_) ::InvalidateRect(sectionList_->Hwnd(), nullptr, TRUE);
            return false;
        default:
            return false;
    }
}

void COptionsDialog::OnDestroy()
{
    sectionList_.reset();
}

INT_PTR RunOptionsDialog()
{
    COptionsDialog dialog;
    return dialog.DoModal();
}
