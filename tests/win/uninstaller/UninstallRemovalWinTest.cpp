// The uninstaller's folder and registry removal on Wine's real file system and registry.
#include <windows.h>
#include <gtest/gtest.h>
#include <winioctl.h>

#include <fstream>

#include "DialogAnswerer.h"
#include "framework/AnsiText.h"
#include "framework/App.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "uninstaller/RemovalWin.h"

namespace {
const DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::string TempRoot()
{
    char buffer[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, buffer);
    std::string root = std::string(buffer) + "uninst-removal-" + std::to_string(::GetTickCount());
    ::CreateDirectoryA(root.c_str(), nullptr);
    return root;
}

void WriteFile(const std::string& path, DWORD attributes = 0)
{
    std::ofstream(path) << "content of " << path;
    if (attributes) ::SetFileAttributesA(path.c_str(), attributes);
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Three levels, each with a plain, a read-only, a hidden and a system file.
void MakeTree(const std::string& folder)
{
    std::string level = folder;
    for (const char* sub : {"", "\\Level 1", "\\Level 2"}) {
        level += sub;
        ::CreateDirectoryA(level.c_str(), nullptr);
        WriteFile(level + "\\plain.txt");
        WriteFile(level + "\\readonly.txt", FILE_ATTRIBUTE_READONLY);
        WriteFile(level + "\\hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
        WriteFile(level + "\\system.dat", kHiddenSystem | FILE_ATTRIBUTE_READONLY);
    }
    ::CreateDirectoryA((folder + "\\Level 1\\Empty").c_str(), nullptr);
}

// Wine only pretends to make symbolic links, while a Unix link inside a drive reads as a reparse point
// there: when the system call makes nothing, Wine is asked for the Unix paths and "ln -s" makes one.
std::string UnixPath(const std::string& path)
{
    using UnixNameFunction = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return std::string();
    const std::wstring wide(path.begin(), path.end());
    char* name = unixName(wide.c_str());
    if (!name) return std::string();
    std::string result = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

bool IsLink(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Runs "program "first" "second"" with the two paths as Unix paths and waits until `done` says so: Wine
// runs a Unix program without a process handle to wait on. The command line is split the Windows way:
// double quotes hold a blank.
template <typename Done>
bool RunUnix(const std::string& program, const std::string& first, const std::string& second, Done done)
{
    const std::string unixFirst = UnixPath(first), unixSecond = UnixPath(second);
    if (unixFirst.empty() || unixSecond.empty()) return false;
    std::string command = program + " \"" + unixFirst + "\" \"" + unixSecond + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
    for (int i = 0; i < 100 && !done(); ++i)
        ::Sleep(50);
    return done();
}

bool MakeFolderLink(const std::string& link, const std::string& target, bool folder = true)
{
    if (::CreateSymbolicLinkA(link.c_str(), target.c_str(), folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) && IsLink(link))
        return true;
    // Wine shows a link to a file as the file itself: that it can be found tells that it is there.
    return RunUnix("/bin/ln -s", target, link, [&] {
        return folder ? IsLink(link) : ::GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

class UninstallRemovalWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = TempRoot();
        initial_ = CurrentFolder();
        removalFailed = false;
    }
    void TearDown() override { ::SetCurrentDirectoryA(initial_.c_str()); }
    std::string root_;
    std::string initial_;
};
}  // namespace

TEST_F(UninstallRemovalWin, EmptiesAThreeLevelTreeWithProtectedFilesSilently)
{
    const std::string folder = root_ + "\\Book";
    MakeTree(folder);
    WriteFile(root_ + "\\outside.txt");
    DialogAnswerer watcher;
    RemoveFolderContents(folder);
    EXPECT_TRUE(watcher.Answered().empty());
    EXPECT_FALSE(removalFailed);
    EXPECT_TRUE(Exists(folder));
    EXPECT_FALSE(Exists(folder + "\\Level 1"));
    EXPECT_FALSE(Exists(folder + "\\system.dat"));
    EXPECT_TRUE(Exists(root_ + "\\outside.txt"));
    EXPECT_TRUE(ansi::EqualsNoCase(CurrentFolder(), folder));
    WIN32_FIND_DATAA found;
    UniqueFind find(::FindFirstFileA((folder + "\\*").c_str(), &found));
    int entries = 0;
    if (find) do {
            ++entries;
        } while (::FindNextFileA(find.get(), &found));
    EXPECT_EQ(entries, 2);  // "." and ".."
}

TEST_F(UninstallRemovalWin, ALockedFileTwoLevelsDownIsReportedOnceByItsBareName)
{
    const std::string folder = root_ + "\\Book";
    MakeTree(folder);
    const std::string locked = folder + "\\Level 1\\Level 2\\in use.doc";
    WriteFile(locked);
    UniqueFile holder(::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    DialogAnswerer watcher;
    RemoveFolderContents(folder);
    const auto boxes = watcher.Answered();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Setup cannot delete in use.doc. (The file might be read-only or it might be in use.)");
    EXPECT_TRUE(removalFailed);
    EXPECT_TRUE(Exists(locked));
    EXPECT_TRUE(Exists(folder + "\\Level 1\\Level 2"));
    EXPECT_FALSE(Exists(folder + "\\Level 1\\Level 2\\plain.txt"));
    EXPECT_FALSE(Exists(folder + "\\Level 1\\Level 2\\system.dat"));
    EXPECT_FALSE(Exists(folder + "\\Level 1\\readonly.txt"));
    EXPECT_FALSE(Exists(folder + "\\Level 1\\Empty"));
    EXPECT_FALSE(Exists(folder + "\\hidden.txt"));

    // A second run after the file is closed removes the rest, without a message.
    holder.reset();
    removalFailed = false;
    RemoveFolderContents(folder);
    EXPECT_FALSE(removalFailed);
    EXPECT_FALSE(Exists(folder + "\\Level 1"));
    EXPECT_EQ(watcher.Answered().size(), 1u);
}

TEST_F(UninstallRemovalWin, AFolderThatCannotBeEnteredSetsTheFlagAndChangesNothing)
{
    DialogAnswerer watcher;
    RemoveFolderContents(root_ + "\\No Such Folder");
    EXPECT_TRUE(removalFailed);
    EXPECT_TRUE(watcher.Answered().empty());
    EXPECT_TRUE(ansi::EqualsNoCase(CurrentFolder(), initial_));
}

// True where a link can be opened as itself, so that it can be removed without touching its target.
// Wine opens the target instead.
bool OpensLinksThemselves(const std::string& link)
{
    UniqueFile handle(::CreateFileA(link.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return handle && ::GetFileInformationByHandle(handle.get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST_F(UninstallRemovalWin, ALinkedFolderIsRemovedAndItsTargetSurvives)
{
    // One link leads to a folder with a file, one to an empty folder: the empty one is what removing a
    // link by its name takes along where the system cannot open links as themselves.
    const std::string folder = root_ + "\\Book";
    const std::string target = root_ + "\\Precious";
    const std::string empty = root_ + "\\Empty Precious";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CreateDirectoryA(target.c_str(), nullptr);
    ::CreateDirectoryA(empty.c_str(), nullptr);
    WriteFile(target + "\\keep.txt");
    const std::string link = folder + "\\link", emptyLink = folder + "\\empty link";
    ASSERT_TRUE(MakeFolderLink(link, target));
    ASSERT_TRUE(MakeFolderLink(emptyLink, empty));
    const bool removable = OpensLinksThemselves(link);
    DialogAnswerer watcher;
    RemoveFolderContents(folder);
    const auto boxes = watcher.Answered();
    EXPECT_TRUE(Exists(target + "\\keep.txt"));
    EXPECT_TRUE(Exists(empty));
    EXPECT_NE(Exists(link), removable);
    EXPECT_NE(Exists(emptyLink), removable);
    EXPECT_NE(removalFailed, removable);
    // A link left in place is reported like a file that cannot be deleted.
    EXPECT_EQ(boxes.size(), removable ? 0u : 2u);
}

TEST_F(UninstallRemovalWin, AFileLinkIsNeverDeletedThroughToItsTarget)
{
    // In the folder being emptied, and as the shortcut.
    const std::string folder = root_ + "\\Book";
    const std::string target = root_ + "\\system.dll";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    WriteFile(target);
    WriteFile(folder + "\\plain.txt");
    ASSERT_TRUE(MakeFolderLink(folder + "\\linked.dll", target, false));
    const std::string shortcut = root_ + "\\My Book.lnk";
    ASSERT_TRUE(MakeFolderLink(shortcut, target, false));
    DialogAnswerer watcher;
    RemoveFolderContents(folder);
    DeleteFileItself(shortcut);
    const auto boxes = watcher.Answered();
    EXPECT_TRUE(Exists(target));
    EXPECT_FALSE(Exists(folder + "\\plain.txt"));
    // Removed as itself where the system can open the link itself, else kept and named.
    const bool removed = !Exists(folder + "\\linked.dll");
    EXPECT_EQ(removed, !Exists(shortcut));
    EXPECT_EQ(removalFailed, !removed);
    EXPECT_EQ(boxes.size(), removed ? 0u : 1u);
    WriteFile(shortcut + ".plain");
    EXPECT_TRUE(DeleteFileItself(shortcut + ".plain"));
    EXPECT_FALSE(Exists(shortcut + ".plain"));
}

namespace {
// Between the listing of the current folder and the descent into it, a subfolder is emptied and
// replaced by a link to another folder, as another user could do.
class SwappingFileSystem : public Win32RemovalFileSystem {
public:
    std::string victim;  // the subfolder's full path
    std::string target;  // where the link leads
    bool swapped = false;
    std::vector<FolderEntry> ListCurrentFolder() override
    {
        std::vector<FolderEntry> entries = Win32RemovalFileSystem::ListCurrentFolder();
        if (!swapped && ansi::EqualsNoCase(CurrentFolder() + "\\Swapped", victim)) {
            ::DeleteFileA((victim + "\\inside.txt").c_str());
            swapped = ::RemoveDirectoryA(victim.c_str()) && MakeFolderLink(victim, target);
        }
        return entries;
    }
};
}  // namespace

TEST_F(UninstallRemovalWin, ASubfolderSwappedForALinkAfterTheListingIsNotEntered)
{
    const std::string folder = root_ + "\\Book";
    MakeTree(folder);
    SwappingFileSystem fs;
    fs.victim = folder + "\\Swapped";
    fs.target = root_ + "\\Precious";
    ::CreateDirectoryA(fs.victim.c_str(), nullptr);
    WriteFile(fs.victim + "\\inside.txt");
    ::CreateDirectoryA(fs.target.c_str(), nullptr);
    ::CreateDirectoryA((fs.target + "\\Deep").c_str(), nullptr);
    WriteFile(fs.target + "\\keep.txt");
    WriteFile(fs.target + "\\Deep\\keep too.txt");
    DialogAnswerer watcher;
    RemoveFolderContents(fs, folder);
    const auto boxes = watcher.Answered();
    ASSERT_TRUE(fs.swapped);
    EXPECT_TRUE(Exists(fs.target + "\\keep.txt"));
    EXPECT_TRUE(Exists(fs.target + "\\Deep\\keep too.txt"));
    EXPECT_TRUE(Exists(fs.victim));
    EXPECT_TRUE(removalFailed);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Setup cannot delete Swapped. (The file might be read-only or it might be in use.)");
    // Everything else in the folder is gone.
    EXPECT_FALSE(Exists(folder + "\\Level 1"));
    EXPECT_FALSE(Exists(folder + "\\plain.txt"));
}

namespace {
// Right before the current folder changes to `trigger`, the folder is moved away behind the removal's
// back (as another user could, from outside the system's sharing rules) and a link to another folder
// takes its name: the check before the change saw the real folder.
class SwapOnEnterFileSystem : public Win32RemovalFileSystem {
public:
    std::string trigger;  // the path the removal changes to, as it passes it
    std::string victim;   // that folder's full path
    std::string movedTo;
    std::string target;
    bool swapped = false;

protected:
    bool ChangeCurrentFolder(const std::string& path) override
    {
        if (!swapped && path == trigger) {
            swapped =
                RunUnix("/bin/mv", victim, movedTo, [&] { return !Exists(victim); }) && MakeFolderLink(victim, target);
        }
        return Win32RemovalFileSystem::ChangeCurrentFolder(path);
    }
};
}  // namespace

TEST_F(UninstallRemovalWin, AFolderSwappedForALinkRightBeforeItIsEnteredIsNotWorkedIn)
{
    struct Case {
        const char* name;
        bool top;  // the install folder itself, else its subfolder "Swapped"
    };
    for (const Case& c : {Case{"the install folder", true}, Case{"a subfolder", false}}) {
        SCOPED_TRACE(c.name);
        const std::string folder = root_ + (c.top ? "\\Top" : "\\Sub");
        MakeTree(folder);
        SwapOnEnterFileSystem fs;
        fs.victim = c.top ? folder : folder + "\\Swapped";
        fs.trigger = c.top ? folder : "Swapped";
        fs.movedTo = folder + " moved";
        fs.target = folder + " precious";
        ::CreateDirectoryA(fs.victim.c_str(), nullptr);
        WriteFile(fs.victim + "\\inside.txt");
        ::CreateDirectoryA(fs.target.c_str(), nullptr);
        ::CreateDirectoryA((fs.target + "\\Deep").c_str(), nullptr);
        WriteFile(fs.target + "\\keep.txt");
        WriteFile(fs.target + "\\Deep\\keep too.txt");
        removalFailed = false;
        DialogAnswerer watcher;
        RemoveFolderContents(fs, folder);
        const auto boxes = watcher.Answered();
        ASSERT_TRUE(fs.swapped);
        EXPECT_TRUE(removalFailed);
        EXPECT_TRUE(Exists(fs.target + "\\keep.txt"));
        EXPECT_TRUE(Exists(fs.target + "\\Deep\\keep too.txt"));
        EXPECT_TRUE(Exists(fs.movedTo + "\\inside.txt"));
        EXPECT_TRUE(IsLink(fs.victim));
        if (c.top) {
            // Nothing was removed anywhere, and the removal is back where it started.
            EXPECT_TRUE(boxes.empty());
            EXPECT_TRUE(ansi::EqualsNoCase(CurrentFolder(), initial_));
            EXPECT_TRUE(Exists(fs.movedTo + "\\Level 1\\plain.txt"));
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text,
                      "Setup cannot delete Swapped. (The file might be read-only or it might be in use.)");
            EXPECT_FALSE(Exists(folder + "\\Level 1"));
            EXPECT_FALSE(Exists(folder + "\\plain.txt"));
        }
    }
}

TEST(UninstallPathExists, AFolderWhoseParentIsGoneIsAbsent)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_TRUE(PathExistsUnlessFileOrPathNotFound(windows));
    EXPECT_FALSE(PathExistsUnlessFileOrPathNotFound(std::string(windows) + "\\no-such-file.txt"));
    EXPECT_FALSE(PathExistsUnlessFileOrPathNotFound(std::string(windows) + "\\no-such-folder\\Book"));
}

namespace {
const char kTestKey[] = "Software\\UninstallRemovalTest";

bool KeyExists(const std::string& path)
{
    UniqueRegKey key;
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void CreateKey(const std::string& path)
{
    UniqueRegKey key;
    ASSERT_EQ(
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
        ERROR_SUCCESS);
    const char value[] = "v";
    ::RegSetValueExA(key.get(), "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
}
}  // namespace

namespace {
// Deletes the entry's tree through a key open on it, as the uninstaller does; no box may be shown.
void DeleteEntryTreeWithoutBoxes(const std::string& entry)
{
    UniqueRegKey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry.c_str(), 0, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    DialogAnswerer watcher;
    DeleteRegistryKeyTree(key.get(), entry);
    key.reset();
    EXPECT_TRUE(watcher.Answered().empty());
}
}  // namespace

TEST(UninstallRegistryRemoval, DeletesNestedKeysAndLeavesItsNeighbours)
{
    const std::string entry = std::string(kTestKey) + "\\My Book";
    for (const char* sub : {"", "\\A", "\\A\\Deep", "\\A\\Deep\\Deeper", "\\B", "\\C\\Deep"})
        CreateKey(entry + sub);
    CreateKey(std::string(kTestKey) + "\\My Book 2");
    DeleteEntryTreeWithoutBoxes(entry);
    EXPECT_FALSE(KeyExists(entry));
    EXPECT_FALSE(KeyExists(entry + "\\A"));
    EXPECT_TRUE(KeyExists(std::string(kTestKey) + "\\My Book 2"));
    EXPECT_TRUE(KeyExists(kTestKey));
}

TEST(UninstallRegistryRemoval, ALinkBelowTheEntryGoesAndItsTargetStays)
{
    const std::string entry = std::string(kTestKey) + "\\Linked Book";
    const std::string target = std::string(kTestKey) + "\\Link Target";
    CreateKey(entry + "\\Plain");
    CreateKey(target + "\\Below");
    {
        UniqueRegKey link;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, (entry + "\\Link").c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                                    KEY_ALL_ACCESS, nullptr, link.put(), nullptr),
                  ERROR_SUCCESS);
        const std::wstring to = L"\\Registry\\Machine\\Software\\UninstallRemovalTest\\Link Target";
        ASSERT_EQ(
            ::RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(to.data()),
                             static_cast<DWORD>(to.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
    }
    ASSERT_TRUE(KeyExists(entry + "\\Link\\Below"));  // the link leads to the target
    DeleteEntryTreeWithoutBoxes(entry);
    EXPECT_FALSE(KeyExists(entry));
    EXPECT_TRUE(KeyExists(target + "\\Below"));
}

TEST(UninstallRegistryRemoval, AnInvalidHandleShowsTheSystemTextAndDeletesNothing)
{
    const std::string entry = std::string(kTestKey) + "\\Kept";
    CreateKey(entry + "\\Sub");
    DialogAnswerer watcher;
    DeleteRegistryKeyTree(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x0BADF00D)), entry);
    const auto boxes = watcher.Answered();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text, SystemErrorText(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(boxes[0].text.empty());
    EXPECT_TRUE(KeyExists(entry + "\\Sub"));
}
