// The folder browser under Wine: drives at the top, folders read on expansion in case-insensitive
// order, the expand buttons, the filtered new-folder name, the shortened current folder and OK.
#include <windows.h>
#include <gtest/gtest.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include "DialogAnswerer.h"
#include "GlobalSettingsTest.h"
#include "options/BrowseDialog.h"
#include "resource.h"
#include "settings/SettingsWin.h"

namespace {
const char kRoot[] = "C:\\browse-test";
const char kLongName[] = "a folder with a rather long name that cannot fit the field";

class BrowseDialogTest : public GlobalSettingsTest {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        setupSettings.settingsValid = true;
        setupSettings.SetText(TextId::BrowseTitle, "Pick a Folder");
        setupSettings.SetText(TextId::BrowseText1, "Current directory:");
        setupSettings.SetText(TextId::BrowseText2, "New Directory:");
        setupSettings.SetText(TextId::OkButton, "OK");
        setupSettings.SetText(TextId::CancelButton, "Cancel");
        setupSettings.SetText(TextId::NotEmptyDirectory, "That folder is not empty. Use it anyway?");
        for (const std::string& dir :
             {std::string(kRoot), std::string(kRoot) + "\\beta", std::string(kRoot) + "\\Alpha",
              std::string(kRoot) + "\\gamma", std::string(kRoot) + "\\gamma\\inner",
              std::string(kRoot) + "\\" + kLongName, std::string(kRoot) + "\\" + kLongName + "\\last"})
            ::CreateDirectoryA(dir.c_str(), nullptr);
        HANDLE file = ::CreateFileA((std::string(kRoot) + "\\Alpha\\file.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr);
        ::CloseHandle(file);
    }

    HWND Tree() const { return dialog_.Item(IDC_FOLDER_TREE); }
    std::string Text(HTREEITEM item) const
    {
        char buffer[MAX_PATH] = {};
        TVITEMA tvi{};
        tvi.mask = TVIF_TEXT;
        tvi.hItem = item;
        tvi.pszText = buffer;
        tvi.cchTextMax = sizeof(buffer);
        ::SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
        return buffer;
    }
    HTREEITEM Child(HTREEITEM parent, const std::string& text) const
    {
        for (HTREEITEM item = TreeView_GetChild(Tree(), parent); item; item = TreeView_GetNextSibling(Tree(), item))
            if (Text(item) == text) return item;
        return nullptr;
    }
    std::vector<std::string> Children(HTREEITEM parent) const
    {
        std::vector<std::string> names;
        for (HTREEITEM item = TreeView_GetChild(Tree(), parent); item; item = TreeView_GetNextSibling(Tree(), item))
            names.push_back(Text(item));
        return names;
    }
    HTREEITEM Expand(HTREEITEM item)
    {
        TreeView_Expand(Tree(), item, TVE_EXPAND);
        return item;
    }
    HTREEITEM OpenTestFolder()
    {
        HTREEITEM drive = Child(TVI_ROOT, "C:\\");
        EXPECT_NE(drive, nullptr);
        return Expand(Child(Expand(drive), "browse-test"));
    }
    void Type(const std::string& keys)
    {
        HWND edit = dialog_.Item(IDC_NEWDIR);
        for (char c : keys)
            ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
    }

    CBrowseDialog dialog_;
};
}  // namespace

TEST_F(BrowseDialogTest, DrivesFirstWithTheFirstFixedDriveSelected)
{
    ASSERT_TRUE(dialog_.Create());
    ::ShowWindow(dialog_.Hwnd(), SW_SHOW);
    EXPECT_EQ(WindowText(dialog_.Hwnd()), "Pick a Folder");
    const std::vector<std::string> drives = Children(TVI_ROOT);
    ASSERT_FALSE(drives.empty());
    for (const std::string& drive : drives)
        EXPECT_EQ(drive.size(), 3u) << drive;
    EXPECT_EQ(Text(TreeView_GetSelection(Tree())), "C:\\");
    EXPECT_EQ(dialog_.currentDir, "C:\\");
    EXPECT_EQ(dialog_.GetItemText(IDC_CURDIR), "C:\\");
    // C:\ has folders, so it carries a placeholder (the expand button) before it is read.
    HTREEITEM c = Child(TVI_ROOT, "C:\\");
    ASSERT_NE(TreeView_GetChild(Tree(), c), nullptr);
    EXPECT_EQ(Text(TreeView_GetChild(Tree(), c)), "");
    dialog_.Destroy();
}

TEST_F(BrowseDialogTest, ExpansionListsSortedFoldersWithButtonsOnlyWhereNeeded)
{
    ASSERT_TRUE(dialog_.Create());
    ::ShowWindow(dialog_.Hwnd(), SW_SHOW);
    HTREEITEM test = OpenTestFolder();
    ASSERT_NE(test, nullptr);
    EXPECT_EQ(Children(test), (std::vector<std::string>{kLongName, "Alpha", "beta", "gamma"}));
    EXPECT_EQ(TreeView_GetChild(Tree(), Child(test, "Alpha")), nullptr);  // files only: no button
    EXPECT_EQ(TreeView_GetChild(Tree(), Child(test, "beta")), nullptr);
    EXPECT_NE(TreeView_GetChild(Tree(), Child(test, "gamma")), nullptr);

    // A folder made while collapsed shows after expanding again. The tree only asks again about an
    // item it has expanded once when the user does it, so the keyboard is used here.
    TreeView_SelectItem(Tree(), test);
    ::SendMessageA(Tree(), WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_EQ(Children(test), std::vector<std::string>{""});
    ::CreateDirectoryA((std::string(kRoot) + "\\Delta").c_str(), nullptr);
    ::SendMessageA(Tree(), WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(Children(test), (std::vector<std::string>{kLongName, "Alpha", "beta", "Delta", "gamma"}));
    ::RemoveDirectoryA((std::string(kRoot) + "\\Delta").c_str());

    // Expanding a folder without subfolders is refused and leaves no children.
    HTREEITEM alpha = Child(test, "Alpha");
    TreeView_Expand(Tree(), alpha, TVE_EXPAND);
    EXPECT_EQ(TreeView_GetChild(Tree(), alpha), nullptr);
    HoldForScreenshot();
    dialog_.Destroy();
}

TEST_F(BrowseDialogTest, LongCurrentFolderIsShortenedInTheMiddle)
{
    ASSERT_TRUE(dialog_.Create());
    ::ShowWindow(dialog_.Hwnd(), SW_SHOW);
    HTREEITEM test = OpenTestFolder();
    HTREEITEM last = Child(Expand(Child(test, kLongName)), "last");
    ASSERT_NE(last, nullptr);
    TreeView_SelectItem(Tree(), last);
    EXPECT_EQ(dialog_.currentDir, std::string(kRoot) + "\\" + kLongName + "\\last");
    const std::string shown = dialog_.GetItemText(IDC_CURDIR);
    EXPECT_LT(shown.size(), dialog_.currentDir.size());
    EXPECT_EQ(shown.rfind("C:\\", 0), 0u) << shown;
    EXPECT_NE(shown.find("..."), std::string::npos) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 5), "\\last") << shown;
    dialog_.Destroy();
}

TEST_F(BrowseDialogTest, NewFolderNameIsFilteredAndAppendedAtOk)
{
    ASSERT_TRUE(dialog_.Create());
    ::ShowWindow(dialog_.Hwnd(), SW_SHOW);
    TreeView_SelectItem(Tree(), Child(OpenTestFolder(), "beta"));
    Type("Book-1");
    EXPECT_EQ(dialog_.GetItemText(IDC_NEWDIR), "Book1");
    ::SetWindowTextA(dialog_.Item(IDC_NEWDIR), "");
    Type("My Book (2)");
    EXPECT_EQ(dialog_.GetItemText(IDC_NEWDIR), "My Book (2)");
    ::SendMessageA(dialog_.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dialog_.Hwnd(), nullptr);  // the new folder does not exist: accepted at once
    EXPECT_EQ(dialog_.currentDir, std::string(kRoot) + "\\beta\\My Book (2)");
}

TEST_F(BrowseDialogTest, FolderWithFilesAsksFirst)
{
    ASSERT_TRUE(dialog_.Create());
    ::ShowWindow(dialog_.Hwnd(), SW_SHOW);
    TreeView_SelectItem(Tree(), Child(OpenTestFolder(), "Alpha"));
    {
        DialogAnswerer answerer({{MessageBoxDialog(), IDNO}});
        ::SendMessageA(dialog_.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_EQ(answerer.Answered().size(), 1u);
        EXPECT_EQ(answerer.Answered()[0].text, "That folder is not empty. Use it anyway?");
        EXPECT_EQ(answerer.Answered()[0].title, "");
    }
    ASSERT_NE(dialog_.Hwnd(), nullptr);
    EXPECT_EQ(dialog_.currentDir, std::string(kRoot) + "\\Alpha");
    {
        DialogAnswerer answerer({{MessageBoxDialog(), IDYES}});
        ::SendMessageA(dialog_.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    EXPECT_EQ(dialog_.Hwnd(), nullptr);
    EXPECT_EQ(dialog_.currentDir, std::string(kRoot) + "\\Alpha");

    // An empty existing folder is taken without a question.
    CBrowseDialog again;
    ASSERT_TRUE(again.Create());
    again.currentDir = kRoot;
    ::SetWindowTextA(again.Item(IDC_NEWDIR), "beta");
    ::SendMessageA(again.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(again.Hwnd(), nullptr);
    EXPECT_EQ(again.currentDir, std::string(kRoot) + "\\beta");
}
