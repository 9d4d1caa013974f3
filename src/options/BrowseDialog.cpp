#include "options/BrowseDialog.h"

#include <vector>

#include "framework/AnsiText.h"
#include "framework/App.h"
#include "framework/DisplayWin.h"
#include "framework/PathCompaction.h"
#include "framework/PathFunctions.h"
#include "framework/PathText.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "options/BrowseModel.h"
#include "resource.h"
#include "settings/SettingsWin.h"

namespace {
enum TreeImage { kImageHardDisk = 0, kImageFloppy, kImageCd, kImageFolder, kImageOpenFolder };

// Set at each initialisation: the first fixed drive in letter order becomes the selection.
bool firstFixedDrivePending = true;

// Measures in the control's context as obtained, without selecting the control's font into it. A failed
// measurement is not reported here: the text then counts as fitting.
class ContextMeasurer : public TextMeasurer {
public:
    explicit ContextMeasurer(HDC dc) : dc_(dc) {}
    std::optional<int> Width(const std::string& text) override
    {
        SIZE size{};
        const std::wstring wide = Wide(text);
        if (!dc_ || !::GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size))
            return std::nullopt;
        return size.cx;
    }

private:
    HDC dc_;
};

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Calls `onEntry(name, isFolder)` for each entry of `folder` until it returns false; false when the
// search cannot start.
template <typename F>
bool ForEachEntry(const std::string& folder, F onEntry)
{
    WIN32_FIND_DATAW data{};
    // Folders on drives without a medium must fail quietly instead of asking for a disk.
    const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    UniqueFind find(::FindFirstFileW(SystemPath(JoinPath(folder, "*.*")).c_str(), &data));
    ::SetErrorMode(oldMode);
    if (!find) return false;
    do {
        if (!onEntry(Narrow(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) break;
    } while (::FindNextFileW(find.get(), &data));
    return true;
}
}  // namespace

CBrowseDialog::CBrowseDialog() : Dialog(IDD_BROWSE) {}

HWND CBrowseDialog::Tree() const
{
    return Item(IDC_FOLDER_TREE);
}

bool CBrowseDialog::OnInitDialog()
{
    if (setupSettings.settingsValid) {
        SetTitle(setupSettings.GetText(TextId::BrowseTitle));
        SetItemText(IDC_CURDIR_LABEL, setupSettings.GetText(TextId::BrowseText1));
        SetItemText(IDC_NEWDIR_LABEL, setupSettings.GetText(TextId::BrowseText2));
        SetItemText(IDOK, setupSettings.GetText(TextId::OkButton));
        SetItemText(IDCANCEL, setupSettings.GetText(TextId::CancelButton));
    }
    CenterWindow();
    // The list is made in true colour and filled by colour: a list loaded straight from the 16-colour
    // bitmap would keep its palette indexes and show them in the standard palette's colours.
    // On a denser screen the pictures grow with the tree's font, pixel by pixel so that the mask colour
    // stays exact.
    UniqueGdiObject strip(::LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(IDB_FOLDERTREE), IMAGE_BITMAP, 0, 0, 0));
    BITMAP info{};
    if (strip && ::GetObjectW(strip.get(), sizeof(info), &info)) {
        const int dpi = WindowDpi(Hwnd());
        const int count = info.bmWidth / 16;
        const int width = ScaleForDpi(16, dpi);
        const int height = ScaleForDpi(info.bmHeight, dpi);
        if (dpi != kDefaultDpi) {
            UniqueGdiObject scaled = ScaledBitmap(static_cast<HBITMAP>(strip.get()), width * count, height);
            if (scaled) strip = std::move(scaled);
        }
        if (count > 0 && ::GetObjectW(strip.get(), sizeof(info), &info)) {
            folderImages_.reset(
                ::ImageList_Create(info.bmWidth / count, info.bmHeight, ILC_COLOR24 | ILC_MASK, count, 1));
            if (folderImages_)
                ::ImageList_AddMasked(folderImages_.get(), static_cast<HBITMAP>(strip.get()), RGB(255, 0, 255));
        }
    }
    TreeView_SetImageList(Tree(), folderImages_.get(), TVSIL_NORMAL);
    SetItemText(IDC_NEWDIR, newDir);

    firstFixedDrivePending = true;
    const DWORD drives = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
        AddDrive(root, ::GetDriveTypeW(Wide(root).c_str()));
    }
    return true;
}

HTREEITEM CBrowseDialog::AppendItem(HTREEITEM parent, const std::string& text, int image, int selectedImage)
{
    std::wstring wide = Wide(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = wide.data();
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(::SendMessageW(Tree(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void CBrowseDialog::AppendPlaceholder(HTREEITEM parent)
{
    AppendItem(parent, "", kImageFolder, kImageFolder);
}

void CBrowseDialog::AddDrive(const std::string& root, UINT driveType)
{
    switch (driveType) {
        case DRIVE_REMOVABLE:
            // Removable and CD drives are not touched here: no waiting on an empty floppy drive.
            AppendPlaceholder(AppendItem(TVI_ROOT, root, kImageFloppy, kImageFloppy));
            break;
        case DRIVE_CDROM:
            AppendPlaceholder(AppendItem(TVI_ROOT, root, kImageCd, kImageCd));
            break;
        case DRIVE_FIXED: {
            HTREEITEM item = AppendItem(TVI_ROOT, root, kImageHardDisk, kImageHardDisk);
            ProbeSubfolder(item, root);
            if (firstFixedDrivePending) {
                firstFixedDrivePending = false;
                TreeView_SelectItem(Tree(), item);
                OnSelectionChanged(item);
            }
            break;
        }
        case DRIVE_REMOTE:
        case DRIVE_RAMDISK:
            ProbeSubfolder(AppendItem(TVI_ROOT, root, kImageHardDisk, kImageHardDisk), root);
            break;
        default:  // unknown type, or no root folder
            break;
    }
}

bool CBrowseDialog::ProbeSubfolder(HTREEITEM item, const std::string& path)
{
    bool found = false;
    ForEachEntry(path, [&](const std::string& name, bool isFolder) {
        if (isFolder && !IsDotOrDotDot(name.c_str())) found = true;
        return !found;
    });
    if (found) AppendPlaceholder(item);
    return found;
}

std::string CBrowseDialog::ItemText(HTREEITEM item) const
{
    // A folder's name has at most 255 characters; a drive's text is shorter.
    wchar_t buffer[MAX_PATH] = {};
    TVITEMW tvi{};
    tvi.mask = TVIF_TEXT;
    tvi.hItem = item;
    tvi.pszText = buffer;
    tvi.cchTextMax = MAX_PATH;
    if (!::SendMessageW(Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi))) return {};
    buffer[MAX_PATH - 1] = L'\0';
    return Narrow(tvi.pszText ? tvi.pszText : L"");
}

std::string CBrowseDialog::ItemPath(HTREEITEM item) const
{
    std::vector<std::string> ancestors;
    for (HTREEITEM parent = TreeView_GetParent(Tree(), item); parent; parent = TreeView_GetParent(Tree(), parent))
        ancestors.push_back(ItemText(parent));
    return TreeItemPath(ItemText(item), ancestors);
}

void CBrowseDialog::DeleteChildren(HTREEITEM item)
{
    for (HTREEITEM child = TreeView_GetChild(Tree(), item); child; child = TreeView_GetChild(Tree(), item))
        TreeView_DeleteItem(Tree(), child);
}

bool CBrowseDialog::OnItemExpanding(HTREEITEM item, UINT action)
{
    const std::string path = ItemPath(item);
    const bool isDrive = TreeView_GetParent(Tree(), item) == nullptr;
    if (action & TVE_EXPAND) {
        if (HTREEITEM placeholder = TreeView_GetChild(Tree(), item)) TreeView_DeleteItem(Tree(), placeholder);
        std::vector<std::string> folders;
        const bool searched = ForEachEntry(path, [&](const std::string& name, bool isFolder) {
            if (isFolder && !IsDotOrDotDot(name.c_str())) folders.push_back(name);
            return true;
        });
        if (!searched) {
            // A drive without a medium keeps its button so that it can be tried again.
            if (isDrive) AppendPlaceholder(item);
            return true;
        }
        SortFolderNames(folders);
        for (const std::string& name : folders) {
            HTREEITEM child = AppendItem(item, name, kImageFolder, kImageOpenFolder);
            ProbeSubfolder(child, JoinPath(path, name));
        }
        return folders.empty();
    }
    // Collapsing forgets the children, so the next expansion reads the folder anew.
    DeleteChildren(item);
    if (isDrive)
        AppendPlaceholder(item);
    else
        ProbeSubfolder(item, path);
    return false;
}

void CBrowseDialog::OnSelectionChanged(HTREEITEM item)
{
    if (!item) return;
    currentDir = ItemPath(item);
    HWND label = Item(IDC_CURDIR);
    RECT rc{};
    ::GetClientRect(label, &rc);
    WindowDc dc(label);
    // In the label's own font, not the system font its device context starts with.
    SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    ContextMeasurer measurer(dc.get());
    SetItemText(IDC_CURDIR, CompactPathToWidth(currentDir, rc.right - rc.left, measurer));
}

void CBrowseDialog::OnNewDirChanged()
{
    HWND edit = Item(IDC_NEWDIR);
    newDir = WindowText(edit);
    if (newDir.empty()) return;
    // The edit counts its caret in UTF-16 characters, the filter in bytes of the text.
    DWORD selectionEnd = 0;
    ::SendMessageW(edit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&selectionEnd));
    size_t caretBytes = 0;
    for (DWORD units = 0; caretBytes < newDir.size() && units < selectionEnd;) {
        const size_t next = ansi::NextChar(newDir, caretBytes);
        units += static_cast<DWORD>(Utf16Length(std::string_view(newDir).substr(caretBytes, next - caretBytes)));
        caretBytes = next;
    }
    const auto filtered = FilterFolderNameInput(newDir, caretBytes);
    if (!filtered) return;
    newDir = filtered->text;
    // Setting the text raises EN_CHANGE once more; that pass finds the caret at the start.
    ::SetWindowTextW(edit, Wide(newDir).c_str());
    if (filtered->caret) {
        const WPARAM caret = Utf16Length(std::string_view(newDir).substr(0, *filtered->caret));
        ::SendMessageW(edit, EM_SETSEL, caret, static_cast<LPARAM>(caret));
        ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    }
}

bool CBrowseDialog::OnCommand(int id, int code, HWND control)
{
    if (id == IDC_NEWDIR) {
        if (code == EN_CHANGE) OnNewDirChanged();
        return true;
    }
    return Dialog::OnCommand(id, code, control);
}

void CBrowseDialog::OnOK()
{
    const std::string saved = currentDir;
    newDir = GetItemText(IDC_NEWDIR);
    if (!newDir.empty()) currentDir = JoinPath(currentDir, newDir);
    if (!PathExistsUnlessFileNotFound(currentDir)) {
        EndDialog(IDOK);
        return;
    }
    std::vector<std::string> names;
    ForEachEntry(currentDir, [&](const std::string& name, bool) {
        names.push_back(name);
        return true;
    });
    if (OnlyDotEntries(names)) {
        EndDialog(IDOK);
        return;
    }
    const std::string question = setupSettings.GetText(TextId::NotEmptyDirectory);
    if (::MessageBoxW(Hwnd(), Wide(question).c_str(), L"", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        EndDialog(IDOK);
        return;
    }
    currentDir = saved;
}

bool CBrowseDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message != WM_NOTIFY) return false;
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->idFrom != IDC_FOLDER_TREE) return false;
    // The A and W forms of the notifications share the layout of the fields read here.
    const NMTREEVIEWA* tree = reinterpret_cast<const NMTREEVIEWA*>(lParam);
    switch (header->code) {
        case TVN_ITEMEXPANDINGA:
        case TVN_ITEMEXPANDINGW:
            result = OnItemExpanding(tree->itemNew.hItem, tree->action) ? TRUE : FALSE;
            return true;
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW:
            OnSelectionChanged(tree->itemNew.hItem);
            result = 0;
            return true;
        default:
            return false;
    }
}
