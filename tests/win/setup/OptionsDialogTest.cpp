// The options dialog under Wine: rows and checks from the settings and the Uninstall key, the list
// notification, the drive mode, the NoChange and no-room refusals, Cancel, and no sections at all.
#include <windows.h>
#include <gtest/gtest.h>

#include "DialogAnswerer.h"
#include "GlobalSettingsTest.h"
#include "options/DiskSpaceWin.h"
#include "options/OptionsDialog.h"
#include "options/SectionCheckList.h"
#include "resource.h"
#include "settings/SettingsWin.h"

namespace {
const char kInstalledKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Options Test Installed";

struct Section {
    const char* productName;
    const char* destDir;
    const char* fileSize;
    const char* installByDefault;
};

class OptionsDialogTest : public GlobalSettingsTest {
protected:
    void SetUp() override
    {
        setupSettings.SetSetupValue(SetupKey::ChangeFolderButton, "Error");
        setupSettings.SetText(TextId::OptionsTitle, "Choose Options");
        setupSettings.SetText(TextId::InstructionText, "Select the items you want installed.");
        setupSettings.SetText(TextId::OptionStatic, "Options:");
        setupSettings.SetText(TextId::DescriptionStatic, "Description:");
        setupSettings.SetText(TextId::FolderTitle, "Folder for Currently Selected Option:");
        setupSettings.SetText(TextId::ChangeDirButton, "Change Folder...");
        setupSettings.SetText(TextId::SpaceAvailable, "Space available on drive %c: %s");
        setupSettings.SetText(TextId::SpaceRequired, "Space required on drive %c: %s");
        setupSettings.SetText(TextId::DescriptionText, "Installs the %s files.");
        setupSettings.SetText(TextId::ContinueButton, "&Go on");
        setupSettings.SetText(TextId::ExitButton, "E&xit");
        setupSettings.SetText(TextId::Bytes, "Bytes");
        setupSettings.SetText(TextId::KBytes, "KBytes");
        setupSettings.SetText(TextId::MBytes, "MBytes");
        setupSettings.SetText(TextId::NoChange, "Please choose a folder, not a drive.");
        setupSettings.SetText(TextId::NoRoomTitle, "No Room");
        setupSettings.SetText(TextId::OkButton, "OK");
        setupSettings.SetText(TextId::NoRoomText, "Drive %c: is too full.");
        setupSettings.SetText(TextId::ExitTitle, "Exit Setup");
        setupSettings.settingsValid = true;
        HKEY key = nullptr;
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstalledKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        if (key) ::RegCloseKey(key);
    }
    void TearDown() override { ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstalledKey); }

    static void Fill(const std::vector<Section>& sections)
    {
        setupSettings.sectionCount = static_cast<int>(sections.size());
        for (int i = 0; i < setupSettings.sectionCount; ++i) {
            setupSettings.SetSectionValueAt(SectionKey::ProductName, i, sections[i].productName);
            setupSettings.SetSectionValueAt(SectionKey::DestDir, i, sections[i].destDir);
            setupSettings.SetSectionValueAt(SectionKey::FileSize, i, sections[i].fileSize);
            setupSettings.SetSectionValueAt(SectionKey::InstallByDefault, i, sections[i].installByDefault);
        }
    }
    static std::string RowText(SectionCheckList& list, int row)
    {
        char buffer[512] = {};
        ::SendMessageA(list.Hwnd(), LB_GETTEXT, row, reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
    static void ClickRow(SectionCheckList& list, int row, int x)
    {
        const int y = row * list.RowHeight() + 2;
        ::SendMessageA(list.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageA(list.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    static std::string Value(SectionKey key, int section) { return setupSettings.SectionValueAt(key, section); }
};
}  // namespace

TEST_F(OptionsDialogTest, RowsChecksAndTextsFromTheSettings)
{
    Fill({{"Book Files", "C:\\Book", "1536", "TRUE"},
          {"Options Test Installed", "C:\\Installed", "2048", "true"},
          {"Extras", "C:\\Extras", "", "FALSE"}});
    setupSettings.changeFolderAllowed = true;
    setupSettings.SetSetupValue(SetupKey::ChangeFolderButton, "TRUE");
    COptionsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ::ShowWindow(dialog.Hwnd(), SW_SHOW);
    SectionCheckList& list = *dialog.List();

    EXPECT_EQ(WindowText(dialog.Hwnd()), "Choose Options");
    EXPECT_EQ(dialog.GetItemText(IDOK), "&Go on");
    EXPECT_EQ(list.RowCount(), 3);
    EXPECT_EQ(RowText(list, 0), "Book Files\t1.50 KBytes");
    EXPECT_EQ(RowText(list, 1), "Options Test Installed\t2.00 KBytes");
    EXPECT_EQ(RowText(list, 2), "Extras\t");
    EXPECT_EQ(list.GetCheck(0), 1);
    // Already registered: unchecked, and no longer to be installed.
    EXPECT_EQ(list.GetCheck(1), 0);
    EXPECT_EQ(Value(SectionKey::InstallByDefault, 1), "FALSE");
    EXPECT_EQ(list.GetCheck(2), 0);

    EXPECT_EQ(dialog.GetItemText(IDC_DEST_FOLDER), "C:\\Book");
    EXPECT_EQ(dialog.GetItemText(IDC_SPACE_REQUIRED), "Space required on drive C: 1.50 KBytes");
    EXPECT_EQ(dialog.GetItemText(IDC_DESCRIPTION), "Installs the Book Files files.");
    EXPECT_EQ(dialog.GetItemText(IDC_SPACE_AVAILABLE).rfind("Space available on drive C: ", 0), 0u);
    EXPECT_TRUE(::IsWindowVisible(dialog.Item(IDC_CHANGE_FOLDER)));
    EXPECT_FALSE(::IsWindowVisible(dialog.Item(IDC_DRIVE_LIST)));

    // The list: 263 pixels wide, 10 pixels left of the description frame, 7 pixels lower; the list box
    // trims its height to whole rows.
    RECT frame, listRect;
    ::GetWindowRect(dialog.Item(IDC_DESCRIPTION_FRAME), &frame);
    ::GetWindowRect(list.Hwnd(), &listRect);
    EXPECT_EQ(listRect.right - listRect.left, 263);
    EXPECT_EQ(frame.left - listRect.right, 10);
    EXPECT_EQ(listRect.top - frame.top, 7);
    EXPECT_LE(listRect.bottom - frame.bottom, 7);
    EXPECT_GT(listRect.bottom - frame.bottom, 7 - list.RowHeight());
    HoldForScreenshot();

    // Ticking the third row's box selects it and counts it; a text click only selects.
    ClickRow(list, 2, 5);
    EXPECT_EQ(dialog.SelectedSection(), 2);
    EXPECT_EQ(Value(SectionKey::InstallByDefault, 2), "TRUE");
    EXPECT_EQ(dialog.GetItemText(IDC_DEST_FOLDER), "C:\\Extras");
    EXPECT_EQ(dialog.GetItemText(IDC_DESCRIPTION), "Installs the Extras files.");
    EXPECT_EQ(setupSettings.currentSection, 2);
    ClickRow(list, 1, 60);
    EXPECT_EQ(dialog.SelectedSection(), 1);
    EXPECT_EQ(Value(SectionKey::InstallByDefault, 1), "FALSE");
    EXPECT_EQ(dialog.GetItemText(IDC_SPACE_REQUIRED), "Space required on drive C: 1.50 KBytes");

    // The space bar counts at once, as a click on the box does.
    ::SendMessageA(list.Hwnd(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Value(SectionKey::InstallByDefault, 1), "TRUE");
    EXPECT_EQ(dialog.GetItemText(IDC_SPACE_REQUIRED), "Space required on drive C: 3.50 KBytes");
    ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dialog.Hwnd(), nullptr);  // ended
    EXPECT_EQ(Value(SectionKey::InstallByDefault, 0), "TRUE");
    EXPECT_EQ(Value(SectionKey::InstallByDefault, 1), "TRUE");
    EXPECT_EQ(Value(SectionKey::InstallByDefault, 2), "TRUE");
    EXPECT_EQ(setupSettings.currentSection, 2);
    EXPECT_FALSE(setupSettings.cancelRequested);
}

TEST_F(OptionsDialogTest, DriveModeMovesEveryFolderToTheChosenDrive)
{
    Fill({{"One", "C:\\Book\\Part1", "10", "TRUE"}, {"Two", "C:\\Book\\Part2", "10", "FALSE"}});
    setupSettings.SetSetupValue(SetupKey::ChangeFolderButton, "ChangeDrive");
    COptionsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ::ShowWindow(dialog.Hwnd(), SW_SHOW);
    EXPECT_FALSE(::IsWindowVisible(dialog.Item(IDC_CHANGE_FOLDER)));
    HWND combo = dialog.Item(IDC_DRIVE_LIST);
    ASSERT_TRUE(::IsWindowVisible(combo));
    char selected[16] = {};
    ::GetWindowTextA(combo, selected, sizeof(selected));
    EXPECT_STREQ(selected, "[C]");
    EXPECT_EQ(Value(SectionKey::DestDir, 0), "C:\\Book\\Part1");  // selecting [C] changed nothing

    const LRESULT z =
        ::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("[Z]"));
    ASSERT_NE(z, CB_ERR);
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(z), 0);
    ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(Value(SectionKey::DestDir, 0), "Z:\\Book\\Part1");
    EXPECT_EQ(Value(SectionKey::DestDir, 1), "Z:\\Book\\Part2");
    EXPECT_EQ(dialog.GetItemText(IDC_DEST_FOLDER), "Z:\\Book\\Part1");
    EXPECT_EQ(dialog.GetItemText(IDC_SPACE_REQUIRED), "Space required on drive Z: 10 Bytes");
    dialog.Destroy();
}

TEST_F(OptionsDialogTest, DriveRootIsRefusedAndReverted)
{
    Fill({{"One", "C:\\Book", "10", "TRUE"}, {"Two", "C:\\Tools", "10", "TRUE"}, {"Three", "C:\\Off", "10", "FALSE"}});
    COptionsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ::ShowWindow(dialog.Hwnd(), SW_SHOW);
    // The unchecked third section is not installed, so its root is not refused.
    setupSettings.SetSectionValueAt(SectionKey::DestDir, 2, "C:\\");
    // Every spelling of a root, on the checked section that is not on show: it gets its own folder
    // back (not the first section's) and is shown.
    for (const char* root : {"C:\\", "C:", "C:\\.", "C:\\ ", "C:\\\\"}) {
        setupSettings.SetSectionValueAt(SectionKey::DestDir, 1, root);
        ClickRow(*dialog.List(), 0, 60);
        {
            DialogAnswerer answerer({{MessageBoxDialog(), IDOK}});
            ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            ASSERT_EQ(answerer.Answered().size(), 1u) << root;
            EXPECT_EQ(answerer.Answered()[0].text, "Please choose a folder, not a drive.");
        }
        ASSERT_NE(dialog.Hwnd(), nullptr) << root;  // stays open
        EXPECT_EQ(Value(SectionKey::DestDir, 1), "C:\\Tools") << root;
        EXPECT_EQ(Value(SectionKey::DestDir, 0), "C:\\Book") << root;
        EXPECT_EQ(dialog.SelectedSection(), 1);
        EXPECT_EQ(dialog.GetItemText(IDC_DEST_FOLDER), "C:\\Tools");
    }
    ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dialog.Hwnd(), nullptr);
    EXPECT_EQ(Value(SectionKey::InstallByDefault, 2), "FALSE");
}

TEST_F(OptionsDialogTest, NoRoomKeepsTheDialogOpenUntilTheBigSectionIsUnchecked)
{
    Fill({{"Small", "C:\\Small", "10", "TRUE"}, {"Huge", "c:\\Huge", "9000000000000000", "TRUE"}});
    COptionsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ::ShowWindow(dialog.Hwnd(), SW_SHOW);
    {
        DialogAnswerer answerer({{TitledDialog("No Room"), IDOK}});
        ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_EQ(answerer.Answered().size(), 1u);
        EXPECT_EQ(answerer.Answered()[0].title, "No Room");
        EXPECT_EQ(answerer.Answered()[0].text, "Drive C: is too full.");
    }
    ASSERT_NE(dialog.Hwnd(), nullptr);
    EXPECT_EQ(setupSettings.currentSection, 1);  // the room check leaves it at the last section
    ClickRow(*dialog.List(), 1, 5);
    EXPECT_EQ(Value(SectionKey::InstallByDefault, 1), "FALSE");
    ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dialog.Hwnd(), nullptr);
}

TEST_F(OptionsDialogTest, CancelAsksAndOnlyExitEndsTheDialog)
{
    Fill({{"One", "C:\\Book", "10", "TRUE"}});
    COptionsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ::ShowWindow(dialog.Hwnd(), SW_SHOW);
    {
        DialogAnswerer answerer({{TitledDialog("Exit Setup"), IDOK}});  // Continue
        ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ASSERT_EQ(answerer.Answered().size(), 1u);
        EXPECT_EQ(answerer.Answered()[0].title, "Exit Setup");
    }
    ASSERT_NE(dialog.Hwnd(), nullptr);
    EXPECT_FALSE(setupSettings.cancelRequested);
    {
        DialogAnswerer answerer({{TitledDialog("Exit Setup"), IDCANCEL}});  // Exit
        ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    EXPECT_EQ(dialog.Hwnd(), nullptr);
    EXPECT_TRUE(setupSettings.cancelRequested);
}

TEST_F(OptionsDialogTest, ModalRunWithoutSectionsEndsWithContinue)
{
    setupSettings.sectionCount = 0;
    setupSettings.SetSetupValue(SetupKey::ChangeFolderButton, "CHANGEDRIVE");
    std::atomic<bool> sawEmptyList{false};
    DialogAnswerer answerer({{TitledDialog("Choose Options"), IDOK, [&](HWND dialog) {
                                  sawEmptyList =
                                      ::SendDlgItemMessageA(dialog, IDC_SECTION_LIST, LB_GETCOUNT, 0, 0) == 0;
                              }}});
    const INT_PTR result = RunOptionsDialog();
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(sawEmptyList);
    EXPECT_FALSE(setupSettings.cancelRequested);
}

namespace {
// Types `folder` into the browser's new-folder field and presses OK.
AnswerStep ChooseInBrowser(const std::string& folder)
{
    return {TitledDialog("Pick a Folder"), IDOK,
            [folder](HWND browse) { ::SetDlgItemTextA(browse, IDC_NEWDIR, folder.c_str()); }};
}
}  // namespace

TEST_F(OptionsDialogTest, ChangeFolderSetsOnlyTheSelectedSectionAndRefusesTheWindowsFolder)
{
    Fill({{"One", "C:\\Book\\Part1", "10", "TRUE"}, {"Two", "C:\\Book\\Part2", "10", "TRUE"}});
    setupSettings.changeFolderAllowed = true;
    setupSettings.SetSetupValue(SetupKey::ChangeFolderButton, "TRUE");
    setupSettings.SetText(TextId::BrowseTitle, "Pick a Folder");
    setupSettings.SetText(TextId::NoWindowsDir, "Not into the Windows folder, please.");
    setupSettings.SetText(TextId::NotEmptyDirectory, "Not empty. Use it?");
    char windowsDir[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
    specialFolders.Set(SpecialFolder::WindowsDir, windowsDir);
    COptionsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ::ShowWindow(dialog.Hwnd(), SW_SHOW);
    ClickRow(*dialog.List(), 1, 60);

    // The Windows folder itself (typed below C:\, in another case): not empty, Yes; then refused.
    std::string lowerWindows = std::string(windowsDir).substr(3);
    for (char& c : lowerWindows)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    {
        DialogAnswerer answerer(
            {ChooseInBrowser(lowerWindows), {MessageBoxDialog(), IDYES}, {MessageBoxDialog(), IDOK}});
        ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_CHANGE_FOLDER, BN_CLICKED), 0);
        const auto answered = answerer.Answered();
        ASSERT_EQ(answered.size(), 3u);
        EXPECT_EQ(answered[1].text, "Not empty. Use it?");
        EXPECT_EQ(answered[2].text, "Not into the Windows folder, please.");
    }
    EXPECT_EQ(Value(SectionKey::DestDir, 1), "C:\\Book\\Part2");

    // A new folder below C:\ becomes the second section's folder only.
    {
        DialogAnswerer answerer({ChooseInBrowser("New Book")});
        ::SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_CHANGE_FOLDER, BN_CLICKED), 0);
        EXPECT_TRUE(answerer.Finished());
    }
    EXPECT_EQ(Value(SectionKey::DestDir, 0), "C:\\Book\\Part1");
    EXPECT_EQ(Value(SectionKey::DestDir, 1), "C:\\New Book");
    EXPECT_EQ(dialog.GetItemText(IDC_DEST_FOLDER), "C:\\New Book");
    EXPECT_EQ(dialog.GetItemText(IDC_SPACE_REQUIRED), "Space required on drive C: 20 Bytes");
    EXPECT_EQ(::GetFileAttributesA("C:\\New Book"), INVALID_FILE_ATTRIBUTES);  // not created here
    dialog.Destroy();
}

TEST(DriveFreeBytes, SystemDriveHasRoomAndAMissingDriveHasNone)
{
    const uint64_t upper = GetDriveFreeBytes('C');
    EXPECT_GT(upper, 0u);
    const uint64_t lower = GetDriveFreeBytes('c');
    EXPECT_GT(lower, 0u);
    EXPECT_LT((upper > lower ? upper - lower : lower - upper), 64u * 1024 * 1024);  // the same drive
    // Find a letter that no drive uses.
    const DWORD drives = ::GetLogicalDrives();
    for (int i = 25; i >= 3; --i) {
        if (!(drives & (1u << i))) {
            EXPECT_EQ(GetDriveFreeBytes(static_cast<char>('A' + i)), 0u);
            break;
        }
    }
}
