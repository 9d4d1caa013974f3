// The scenario driver: runs beside setup.exe or TOVRADE.EXE in the same Wine prefix, watches the
// top-level windows, records each new one (texts, controls, screenshot) as a JSON line and answers
// it as the scenario's rules say.
//
// Usage: driver.exe --rules FILE --log FILE [--shots DIR] [--stop FILE] [--watch a.exe,b.exe]
//                   [--until-gone] [--max-ms N] [--settle-ms N] [--poll-ms N]
// Without --shots it takes no screenshots (the bench, which times the windows by their records).

#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <tlhelp32.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "Rules.h"

namespace {

constexpr UINT kQueryTimeoutMs = 1000;
constexpr int kMessageBoxTextId = 0xFFFF;

struct Options {
    std::string rulesPath, logPath, shotDir, stopPath;
    std::vector<std::string> watch;
    bool untilGone = false;
    DWORD maxMs = 120000;
    DWORD settleMs = 150;
    DWORD pollMs = 60;  // between two looks at the windows
};

DWORD startTick = 0;
FILE* logFile = nullptr;

DWORD Elapsed()
{
    return ::GetTickCount() - startTick;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The texts are ANSI; the log is UTF-8 JSON.
std::string JsonString(const std::string& ansi)
{
    std::wstring wide;
    if (!ansi.empty()) {
        int n = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
        wide.resize(n);
        ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
    }
    std::string out = "\"";
    for (wchar_t w : wide) {
        switch (w) {
            case L'"':
                out += "\\\"";
                break;
            case L'\\':
                out += "\\\\";
                break;
            case L'\n':
                out += "\\n";
                break;
            case L'\r':
                out += "\\r";
                break;
            case L'\t':
                out += "\\t";
                break;
            default:
                if (w < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof(buffer), "\\u%04x", static_cast<unsigned>(w));
                    out += buffer;
                } else {
                    char utf8[8];
                    int n = ::WideCharToMultiByte(CP_UTF8, 0, &w, 1, utf8, sizeof(utf8), nullptr, nullptr);
                    out.append(utf8, n);
                }
        }
    }
    return out + "\"";
}

void LogLine(const std::string& body)
{
    std::fprintf(logFile, "{\"t\":%lu,%s}\n", static_cast<unsigned long>(Elapsed()), body.c_str());
    std::fflush(logFile);
}

// Every query goes with a time limit: a program busy on its window thread must not hang the driver.
LRESULT Query(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool* ok = nullptr)
{
    DWORD_PTR result = 0;
    LRESULT sent = ::SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kQueryTimeoutMs, &result);
    if (ok) *ok = sent != 0;
    return sent ? static_cast<LRESULT>(result) : -1;
}

// Row texts of list and combo boxes in another process: Wine hands the A messages back as UTF-16,
// so ask for the W text and convert it here.
std::string RowText(HWND hwnd, UINT lengthMessage, UINT textMessage, WPARAM row)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, lengthMessage, row, 0, SMTO_ABORTIFHUNG, kQueryTimeoutMs, &length) ||
        static_cast<LRESULT>(length) <= 0)
        return std::string();
    std::vector<wchar_t> wide(length + 2, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(hwnd, textMessage, row, reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG,
                               kQueryTimeoutMs, &copied) ||
        static_cast<LRESULT>(copied) <= 0)
        return std::string();
    const int count = static_cast<int>(std::min<DWORD_PTR>(copied, length));
    int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
    std::string text(n, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), count, text.data(), n, nullptr, nullptr);
    return text;
}

std::string WindowTextOf(HWND hwnd)
{
    LRESULT length = Query(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::string();
    std::vector<char> buffer(length + 2, '\0');
    // Wine copies WM_GETTEXT's buffer between the processes.
    LRESULT n = Query(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    if (n <= 0) return std::string();
    return std::string(buffer.data(), std::min<size_t>(n, length));
}

std::string ClassOf(HWND hwnd)
{
    char name[128] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

// Memory in the target process, for the tree-view messages that Wine does not copy between processes.
class RemoteBuffer {
public:
    RemoteBuffer(HWND hwnd, size_t size) : size_(size)
    {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        process_.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        if (process_) address_ = ::VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (address_) ::VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    explicit operator bool() const { return address_ != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const
    {
        return ::WriteProcessMemory(process_.get(), At(offset), data, size, nullptr) != 0;
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        return ::ReadProcessMemory(process_.get(), At(offset), data, size, nullptr) != 0;
    }

private:
    UniqueHandle process_;
    void* address_ = nullptr;
    size_t size_;
};

std::string TreeItemText(HWND tree, HTREEITEM item)
{
    RemoteBuffer remote(tree, sizeof(TVITEMA) + 520);
    if (!remote) return std::string();
    TVITEMA tvItem = {};
    tvItem.mask = TVIF_TEXT;
    tvItem.hItem = item;
    tvItem.pszText = remote.At(sizeof(TVITEMA));
    tvItem.cchTextMax = 512;
    char text[520] = {};
    remote.Write(0, &tvItem, sizeof(tvItem));
    remote.Write(sizeof(TVITEMA), text, 1);
    if (Query(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.At(0))) <= 0) return std::string();
    remote.Read(sizeof(TVITEMA), text, 512);
    return text;
}

HTREEITEM TreeNext(HWND tree, UINT how, HTREEITEM item)
{
    return reinterpret_cast<HTREEITEM>(Query(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

// The items a user can see: each expanded level, indented by two blanks per depth.
void CollectTreeRows(HWND tree, HTREEITEM item, int depth, std::vector<std::string>& rows)
{
    for (; item && item != reinterpret_cast<HTREEITEM>(-1) && rows.size() < 500;
         item = TreeNext(tree, TVGN_NEXT, item)) {
        rows.push_back(std::string(depth * 2, ' ') + TreeItemText(tree, item));
        LRESULT state = Query(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED);
        if (state > 0 && (state & TVIS_EXPANDED))
            CollectTreeRows(tree, TreeNext(tree, TVGN_CHILD, item), depth + 1, rows);
    }
}

void ReadRows(HWND hwnd, ControlInfo& control)
{
    const std::string cls = Lower(control.className);
    if (cls == "listbox") {
        LRESULT count = Query(hwnd, LB_GETCOUNT, 0, 0);
        const bool strings =
            (control.style & LBS_HASSTRINGS) || !(control.style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE));
        for (LRESULT i = 0; i < count && i < 500; ++i) {
            control.rows.push_back(strings ? RowText(hwnd, LB_GETTEXTLEN, LB_GETTEXT, i) : std::string());
            control.rowData.push_back(static_cast<long long>(Query(hwnd, LB_GETITEMDATA, i, 0)));
            RECT row = {};
            // Wine copies LB_GETITEMRECT's rectangle between the processes.
            if (Query(hwnd, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&row)) != LB_ERR)
                control.rowRects.push_back({row.left, row.top, row.right - row.left, row.bottom - row.top});
        }
        control.selected = static_cast<int>(Query(hwnd, LB_GETCURSEL, 0, 0));
    } else if (cls == "combobox") {
        LRESULT count = Query(hwnd, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count && i < 500; ++i) {
            control.rows.push_back(RowText(hwnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, i));
        }
        control.selected = static_cast<int>(Query(hwnd, CB_GETCURSEL, 0, 0));
    } else if (cls == Lower(WC_TREEVIEWA)) {
        CollectTreeRows(hwnd, TreeNext(hwnd, TVGN_ROOT, nullptr), 0, control.rows);
        HTREEITEM selected = TreeNext(hwnd, TVGN_CARET, nullptr);
        if (selected) control.text = TreeItemText(hwnd, selected);
    }
}

struct ControlContext {
    WindowInfo* info;
    std::vector<HWND>* handles;
    HWND parent;
};

BOOL CALLBACK CollectControl(HWND child, LPARAM param)
{
    auto* ctx = reinterpret_cast<ControlContext*>(param);
    if (::GetParent(child) != ctx->parent) return TRUE;  // combo boxes' own edits and lists
    ControlInfo control;
    control.id = ::GetDlgCtrlID(child);
    control.className = ClassOf(child);
    control.style = static_cast<unsigned long>(::GetWindowLongA(child, GWL_STYLE));
    control.visible = ::IsWindowVisible(child) != 0;
    control.text = WindowTextOf(child);
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ctx->parent, reinterpret_cast<POINT*>(&rect), 2);
    control.rect[0] = rect.left;
    control.rect[1] = rect.top;
    control.rect[2] = rect.right - rect.left;
    control.rect[3] = rect.bottom - rect.top;
    ReadRows(child, control);
    ctx->info->controls.push_back(control);
    if (ctx->handles) ctx->handles->push_back(child);
    return TRUE;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

WindowInfo Inspect(HWND hwnd, std::vector<HWND>* handles = nullptr)
{
    WindowInfo info;
    info.title = WindowTextOf(hwnd);
    info.className = ClassOf(hwnd);
    ControlContext context{&info, handles, hwnd};
    ::EnumChildWindows(hwnd, CollectControl, reinterpret_cast<LPARAM>(&context));
    return info;
}

template <typename It>
std::string JsonInts(It begin, It end)
{
    std::string out = "[";
    for (It i = begin; i != end; ++i)
        out += (i == begin ? "" : ",") + std::to_string(*i);
    return out + "]";
}

std::string ControlsJson(const WindowInfo& info)
{
    std::string out = "[";
    for (size_t i = 0; i < info.controls.size(); ++i) {
        const ControlInfo& c = info.controls[i];
        if (i) out += ",";
        out += "{\"id\":" + std::to_string(c.id) + ",\"class\":" + JsonString(c.className) +
               ",\"text\":" + JsonString(c.text) + ",\"visible\":" + (c.visible ? "true" : "false") +
               ",\"style\":" + std::to_string(c.style) + ",\"rect\":" + JsonInts(c.rect, c.rect + 4);
        if (!c.rowRects.empty()) {
            out += ",\"rowRects\":[";
            for (size_t r = 0; r < c.rowRects.size(); ++r)
                out += (r ? "," : "") + JsonInts(c.rowRects[r].begin(), c.rowRects[r].end());
            out += "]";
        }
        if (!c.rows.empty() || !c.rowData.empty()) {
            out += ",\"rows\":[";
            for (size_t r = 0; r < c.rows.size(); ++r)
                out += (r ? "," : "") + JsonString(c.rows[r]);
            out += "]";
            if (!c.rowData.empty()) {
                out += ",\"rowData\":[";
                for (size_t r = 0; r < c.rowData.size(); ++r)
                    out += (r ? "," : "") + std::to_string(c.rowData[r]);
                out += "]";
            }
            out += ",\"selected\":" + std::to_string(c.selected);
        }
        out += "}";
    }
    return out + "]";
}

std::string SafeFileName(const std::string& title)
{
    std::string out;
    for (char c : title) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')
            out += c;
        else if (!out.empty() && out.back() != '_')
            out += '_';
        if (out.size() >= 40) break;
    }
    return out.empty() ? "untitled" : out;
}

// A copy of the window's screen area as a 24-bit BMP. The screen, not PrintWindow: the backdrop
// paints only on WM_PAINT, and what counts is what the user sees.
bool SaveScreenshot(HWND hwnd, const std::string& path)
{
    RECT rect;
    if (!::GetWindowRect(hwnd, &rect)) return false;
    // Only the part on the screen: a copy that reaches past its edge (the backdrop is a caption
    // taller than the screen) comes back all black.
    const RECT screenRect = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (!::IntersectRect(&rect, &rect, &screenRect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    WindowDc screen(nullptr);
    if (!screen) return false;
    UniqueDc memoryDc(::CreateCompatibleDC(screen.get()));
    if (!memoryDc) return false;
    const HDC memory = memoryDc.get();
    UniqueGdiObject bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap) return false;
    {
        SelectedObject selected(memory, bitmap.get());
        ::BitBlt(memory, 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    }
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = ((width * 3) + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
    if (!::GetDIBits(memory, static_cast<HBITMAP>(bitmap.get()), 0, height, pixels.data(),
                     reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS))
        return false;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&header, sizeof(header), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

HWND ControlOf(HWND dialog, int id)
{
    return ::GetDlgItem(dialog, id);
}

// Real mouse messages at a row of a list box: the check list tells a click on its check area
// (the first 13 pixels at 96 dpi) from a click on the text.
bool ClickRow(HWND dialog, const Action& action, bool doubleClick, std::string& detail)
{
    HWND list = ControlOf(dialog, action.id);
    if (!list) return detail = "no such control", false;
    int row = std::atoi(action.arg.c_str());
    const bool onCheck = action.arg.find("check") != std::string::npos;
    RECT rect = {};
    // Wine copies LB_GETITEMRECT's rectangle between the processes.
    if (Query(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
        return detail = "no such row", false;
    // On a denser screen the check area and the name have grown with it.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpiForWindow ? getDpiForWindow(list) : 0;
    const int x = rect.left + ::MulDiv(onCheck ? 6 : 24, dpi ? static_cast<int>(dpi) : 96, 96);
    const int y = (rect.top + rect.bottom) / 2;
    const LPARAM point = MAKELPARAM(x, y);
    ::PostMessageA(list, WM_MOUSEMOVE, 0, point);
    ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::PostMessageA(list, WM_LBUTTONUP, 0, point);
    if (doubleClick) {
        ::PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        ::PostMessageA(list, WM_LBUTTONUP, 0, point);
    }
    detail = "at " + std::to_string(x) + "," + std::to_string(y);
    return true;
}

// Walks a path of item texts ("C:\\Tessery\\Book") from the root, expanding each level by the
// keyboard so that the dialog fills folders on demand as it would for a user.
bool SelectTreePath(HWND dialog, const Action& action, std::string& detail)
{
    HWND tree = ControlOf(dialog, action.id);
    if (!tree) return detail = "no such control", false;
    std::vector<std::string> parts;
    std::string part;
    for (char c : action.arg + "\\") {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    HTREEITEM level = TreeNext(tree, TVGN_ROOT, nullptr);
    HTREEITEM found = nullptr;
    for (size_t p = 0; p < parts.size(); ++p) {
        found = nullptr;
        // A drive item reads "C:\" or "[C:]" depending on the dialog: compare without backslashes.
        std::string wanted = Lower(parts[p]);
        for (int attempt = 0; attempt < 20 && !found; ++attempt) {
            for (HTREEITEM item = level; item && item != reinterpret_cast<HTREEITEM>(-1);
                 item = TreeNext(tree, TVGN_NEXT, item)) {
                std::string text = Lower(TreeItemText(tree, item));
                while (!text.empty() && text.back() == '\\')
                    text.pop_back();
                if (text == wanted) {
                    found = item;
                    break;
                }
            }
            if (!found) ::Sleep(100);
        }
        if (!found) return detail = "no item '" + parts[p] + "'", false;
        Query(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found));
        Query(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(found));
        if (p + 1 < parts.size()) {
            ::PostMessageA(tree, WM_KEYDOWN, VK_RIGHT, 0);
            ::PostMessageA(tree, WM_KEYUP, VK_RIGHT, 0);
            HTREEITEM child = nullptr;
            for (int attempt = 0; attempt < 20 && !child; ++attempt) {
                ::Sleep(50);
                child = TreeNext(tree, TVGN_CHILD, found);
            }
            level = child;
        }
    }
    return true;
}

void Snapshot(HWND hwnd, const Options& options, int seq, const char* event, const std::string& extra);

struct TopLevel {
    HWND hwnd;
    DWORD pid;
    RECT rect;
    std::string title;
};

// The visible top-level windows of other processes, topmost first.
std::vector<TopLevel> VisibleTopLevels()
{
    std::vector<HWND> windows;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    std::vector<TopLevel> result;
    for (HWND hwnd : windows) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        if (pid == ::GetCurrentProcessId() || !::IsWindowVisible(hwnd)) continue;
        TopLevel window{hwnd, pid, {}, WindowTextOf(hwnd)};
        ::GetWindowRect(hwnd, &window.rect);
        result.push_back(window);
    }
    return result;
}

bool IsOwnedBy(HWND window, HWND owner)
{
    for (HWND up = ::GetWindow(window, GW_OWNER); up; up = ::GetWindow(up, GW_OWNER))
        if (up == owner) return true;
    return false;
}

// The visible window with exactly this title; of several, the largest (the backdrop rather than a
// message box with the same caption).
HWND FindVisibleByTitle(const std::string& title)
{
    HWND best = nullptr;
    long bestArea = -1;
    for (const TopLevel& w : VisibleTopLevels()) {
        if (w.title != title) continue;
        const long area = static_cast<long>(w.rect.right - w.rect.left) * (w.rect.bottom - w.rect.top);
        if (area > bestArea) best = w.hwnd, bestArea = area;
    }
    return best;
}

// A real click of the left button (through the system's input queue, as a user's) on a point of the
// window that no other visible window covers.
bool MouseClickOn(const std::string& title, std::string& detail)
{
    HWND target = FindVisibleByTitle(title);
    if (!target) return detail = "no window '" + title + "'", false;
    RECT rect{};
    ::GetWindowRect(target, &rect);
    const RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::IntersectRect(&rect, &rect, &screen);
    const std::vector<TopLevel> windows = VisibleTopLevels();
    // Below the caption, away from the edges: the corners first, then the middle of each side.
    const int inset = 40;
    const POINT candidates[] = {{rect.left + inset, rect.bottom - inset},
                                {rect.right - inset, rect.bottom - inset},
                                {rect.left + inset, rect.top + inset},
                                {rect.right - inset, rect.top + inset},
                                {(rect.left + rect.right) / 2, rect.bottom - inset},
                                {rect.left + inset, (rect.top + rect.bottom) / 2}};
    for (const POINT& point : candidates) {
        if (!::PtInRect(&rect, point)) continue;
        bool covered = false;
        for (const TopLevel& w : windows) {
            if (w.hwnd == target) break;  // the rest lie below it
            if (::PtInRect(&w.rect, point)) covered = true;
        }
        if (covered) continue;
        ::SetCursorPos(point.x, point.y);
        INPUT inputs[2] = {};
        inputs[0].type = inputs[1].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(1, &inputs[0], sizeof(INPUT));
        ::Sleep(50);
        ::SendInput(1, &inputs[1], sizeof(INPUT));
        detail = "at " + std::to_string(point.x) + "," + std::to_string(point.y);
        return true;
    }
    return detail = "every point of '" + title + "' is covered", false;
}

// Real key strokes, through the system's input queue as a user's, to the window in front: names
// separated by blanks, each a key (TAB, DOWN, SPACE, RETURN, ESCAPE, a letter or digit) with
// optional SHIFT+ or ALT+ before it.
bool TypeKeys(HWND hwnd, const std::string& names, std::string& detail)
{
    static const std::map<std::string, WORD> keys = {
        {"TAB", VK_TAB},       {"DOWN", VK_DOWN}, {"UP", VK_UP},   {"SPACE", VK_SPACE}, {"RETURN", VK_RETURN},
        {"ESCAPE", VK_ESCAPE}, {"HOME", VK_HOME}, {"END", VK_END}, {"RIGHT", VK_RIGHT}, {"LEFT", VK_LEFT}};
    ::SetForegroundWindow(hwnd);
    ::Sleep(100);
    std::istringstream words(names);
    std::string word;
    while (words >> word) {
        std::vector<WORD> held;
        size_t plus;
        while ((plus = word.find('+')) != std::string::npos && plus + 1 < word.size()) {
            const std::string modifier = word.substr(0, plus);
            if (modifier == "SHIFT")
                held.push_back(VK_SHIFT);
            else if (modifier == "ALT")
                held.push_back(VK_MENU);
            else
                return detail = "unknown modifier " + modifier, false;
            word = word.substr(plus + 1);
        }
        WORD vk = 0;
        if (auto known = keys.find(word); known != keys.end())
            vk = known->second;
        else if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0])))
            vk = static_cast<WORD>(std::toupper(static_cast<unsigned char>(word[0])));
        else
            return detail = "unknown key " + word, false;
        std::vector<INPUT> inputs;
        auto push = [&inputs](WORD key, bool up) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
            // The arrows and Home/End are the extended keys, not the number pad's.
            const bool extended =
                key == VK_DOWN || key == VK_UP || key == VK_LEFT || key == VK_RIGHT || key == VK_HOME || key == VK_END;
            input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
            inputs.push_back(input);
        };
        for (WORD m : held)
            push(m, false);
        push(vk, false);
        push(vk, true);
        for (auto m = held.rbegin(); m != held.rend(); ++m)
            push(*m, true);
        for (INPUT& input : inputs) {
            ::SendInput(1, &input, sizeof(INPUT));
            ::Sleep(30);
        }
        ::Sleep(120);  // the program handles the key before the next one
    }
    detail = "typed " + names;
    return true;
}

// True when no other visible window of the same program lies above `hwnd`, except windows it owns.
bool CheckOnTop(HWND hwnd, std::string& detail)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    std::string order;
    bool above = true;
    bool onTop = true;
    for (const TopLevel& w : VisibleTopLevels()) {
        if (w.pid != pid) continue;
        char owner[48];
        std::snprintf(owner, sizeof(owner), "%s%s", ::GetWindow(w.hwnd, GW_OWNER) ? " (owned" : " (unowned",
                      ::IsWindowEnabled(w.hwnd) ? ")" : ", disabled)");
        order += (order.empty() ? "" : " > ") + ("'" + w.title + "'" + owner);
        if (w.hwnd == hwnd) {
            above = false;
            continue;
        }
        if (above && !IsOwnedBy(w.hwnd, hwnd)) onTop = false;
    }
    if (above) return detail = "window gone; z-order " + order, false;
    detail = "z-order " + order;
    return onTop;
}

bool Perform(HWND hwnd, const Action& action, const Options& options, int seq, std::string& detail)
{
    const std::string& verb = action.verb;
    if (verb == "wait") {
        ::Sleep(std::atoi(action.arg.c_str()));
        return true;
    }
    if (verb == "mouseclick") return MouseClickOn(action.arg, detail);
    if (verb == "typein") {
        // "title|keys": another dialog that is still open, such as the options dialog after the browse
        // dialog it opened has closed.
        const size_t bar = action.arg.find('|');
        HWND other = bar == std::string::npos ? nullptr : FindVisibleByTitle(action.arg.substr(0, bar));
        if (!other) return detail = "no window for '" + action.arg + "'", false;
        return TypeKeys(other, action.arg.substr(bar + 1), detail);
    }
    if (verb == "closewindow") {
        HWND other = FindVisibleByTitle(action.arg);
        if (!other) return detail = "no window '" + action.arg + "'", false;
        return ::PostMessageA(other, WM_CLOSE, 0, 0) != 0;
    }
    if (verb == "clickin") {
        // A button of another dialog that is still open, such as the options dialog after the
        // browse dialog it opened has closed: that window appeared earlier and gets no new rule.
        HWND other = ::FindWindowA("#32770", action.arg.c_str());
        if (!other) return detail = "no window '" + action.arg + "'", false;
        return ::PostMessageA(other, WM_COMMAND, MAKEWPARAM(action.id, BN_CLICKED),
                              reinterpret_cast<LPARAM>(ControlOf(other, action.id))) != 0;
    }
    if (!::IsWindow(hwnd)) return detail = "window gone", false;
    if (verb == "click") {
        // Posted: the button may start a modal dialog, which would hold a sent message until it closes.
        HWND control = ControlOf(hwnd, action.id);
        return ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(action.id, BN_CLICKED), reinterpret_cast<LPARAM>(control)) !=
               0;
    }
    if (verb == "bmclick") {
        HWND control = ControlOf(hwnd, action.id);
        if (!control) return detail = "no such control", false;
        return ::PostMessageA(control, BM_CLICK, 0, 0) != 0;
    }
    if (verb == "row" || verb == "dblrow") return ClickRow(hwnd, action, verb == "dblrow", detail);
    if (verb == "settext") {
        HWND control = ControlOf(hwnd, action.id);
        if (!control) return detail = "no such control", false;
        bool ok = false;
        Query(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(action.arg.c_str()), &ok);
        return ok;
    }
    if (verb == "keys") {
        HWND control = ControlOf(hwnd, action.id);
        if (!control) return detail = "no such control", false;
        for (char c : action.arg) {
            ::PostMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
            ::Sleep(10);
        }
        return true;
    }
    if (verb == "key") {
        HWND control = action.id ? ControlOf(hwnd, action.id) : hwnd;
        if (!control) return detail = "no such control", false;
        const WPARAM vk = std::strtoul(action.arg.c_str(), nullptr, 0);
        ::PostMessageA(control, WM_KEYDOWN, vk, 1);
        ::PostMessageA(control, WM_KEYUP, vk, 0xC0000001);
        return true;
    }
    if (verb == "combo") {
        HWND combo = ControlOf(hwnd, action.id);
        if (!combo) return detail = "no such control", false;
        // CB_SELECTSTRING matches a prefix; prefer the exact entry when there is one.
        LRESULT index =
            Query(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(action.arg.c_str()));
        if (index == CB_ERR) {
            index =
                Query(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(action.arg.c_str()));
        } else {
            Query(combo, CB_SETCURSEL, index, 0);
        }
        if (index == CB_ERR || index < 0) return detail = "no entry '" + action.arg + "'", false;
        ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(action.id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        detail = "index " + std::to_string(index);
        return true;
    }
    if (verb == "tree") return SelectTreePath(hwnd, action, detail);
    if (verb == "type") return TypeKeys(hwnd, action.arg, detail);
    if (verb == "ontop") return CheckOnTop(hwnd, detail);
    if (verb == "close") return ::PostMessageA(hwnd, WM_CLOSE, 0, 0) != 0;
    if (verb == "record" || verb == "shot") {
        Snapshot(hwnd, options, seq, "snapshot", "");
        return true;
    }
    return detail = "unknown action", false;
}

int shotCounter = 0;

void Snapshot(HWND hwnd, const Options& options, int seq, const char* event, const std::string& extra)
{
    WindowInfo info = Inspect(hwnd);
    RECT rect = {};
    ::GetWindowRect(hwnd, &rect);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    // Let the window's thread handle what is queued (its first paint) and the display show it: a
    // window caught right after it appeared, such as the backdrop, is otherwise still black.
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &ignored);
    std::string shot;
    if (!options.shotDir.empty()) {  // without --shots (the bench), no screenshot and no wait for one
        char number[16];
        std::snprintf(number, sizeof(number), "%03d", ++shotCounter);
        shot = std::string(number) + "-" + SafeFileName(info.title) + ".bmp";
        ::Sleep(50);
        if (!SaveScreenshot(hwnd, options.shotDir + "\\" + shot)) shot.clear();
    }
    char handle[32];
    std::snprintf(handle, sizeof(handle), "0x%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd)));
    RECT client = {};
    ::GetClientRect(hwnd, &client);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    int focus = 0;
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd, nullptr), &thread) && thread.hwndFocus &&
        ::GetParent(thread.hwndFocus) == hwnd)
        focus = ::GetDlgCtrlID(thread.hwndFocus);
    LogLine(std::string("\"event\":\"") + event + "\",\"seq\":" + std::to_string(seq) + ",\"hwnd\":\"" + handle +
            "\",\"pid\":" + std::to_string(pid) + ",\"class\":" + JsonString(info.className) + ",\"title\":" +
            JsonString(info.title) + ",\"messagebox\":" + (info.IsMessageBox() ? "true" : "false") + ",\"rect\":[" +
            std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right - rect.left) +
            "," + std::to_string(rect.bottom - rect.top) + "]" + ",\"client\":[" + std::to_string(client.right) + "," +
            std::to_string(client.bottom) + "]" + ",\"focus\":" + std::to_string(focus) +
            ",\"shot\":" + JsonString(shot) + extra + ",\"controls\":" + ControlsJson(info));
}

std::map<DWORD, std::string> ProcessNames()
{
    std::map<DWORD, std::string> names;
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return names;
    }
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry))
        names[entry.th32ProcessID] = Lower(entry.szExeFile);
    return names;
}

bool Watched(const Options& options, const std::string& exe)
{
    if (options.watch.empty()) return exe != "explorer.exe" && exe != "services.exe" && exe != "winedevice.exe";
    for (const std::string& name : options.watch)
        if (name == exe) return true;
    return false;
}

// The answer for a window that no rule names: its default push button, else OK; never Cancel, so
// that a progress dialog (whose only button is Cancel) is left to finish.
int DefaultButton(HWND hwnd, const WindowInfo& info)
{
    for (const ControlInfo& c : info.controls) {
        if (Lower(c.className) != "button" || !c.visible) continue;
        if ((c.style & 0x0F) == BS_DEFPUSHBUTTON && c.id != IDCANCEL) return c.id;
    }
    if (const ControlInfo* ok = info.Find(IDOK); ok && Lower(ok->className) == "button") return IDOK;
    // A message box with a single button (Cancel alone does not exist there, but Yes/No boxes do).
    if (info.IsMessageBox()) {
        LRESULT def = Query(hwnd, DM_GETDEFID, 0, 0);
        if (def > 0 && HIWORD(def) == DC_HASDEFID && info.Find(LOWORD(def))) return LOWORD(def);
    }
    return 0;
}

bool ParseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (arg == "--rules")
            options.rulesPath = next();
        else if (arg == "--log")
            options.logPath = next();
        else if (arg == "--shots")
            options.shotDir = next();
        else if (arg == "--stop")
            options.stopPath = next();
        else if (arg == "--until-gone")
            options.untilGone = true;
        else if (arg == "--max-ms")
            options.maxMs = std::strtoul(next().c_str(), nullptr, 10);
        else if (arg == "--settle-ms")
            options.settleMs = std::strtoul(next().c_str(), nullptr, 10);
        else if (arg == "--poll-ms")
            options.pollMs = std::strtoul(next().c_str(), nullptr, 10);
        else if (arg == "--watch") {
            std::string list = Lower(next()) + ",";
            std::string name;
            for (char c : list) {
                if (c == ',') {
                    if (!name.empty()) options.watch.push_back(name);
                    name.clear();
                } else {
                    name += c;
                }
            }
        } else {
            std::fprintf(stderr, "driver: unknown argument %s\n", arg.c_str());
            return false;
        }
    }
    return !options.logPath.empty();
}

struct Seen {
    int seq;
    std::string exe;
};

int Run(const Options& options, Scenario& scenario)
{
    char driveType[16];
    std::snprintf(driveType, sizeof(driveType), "%u", ::GetDriveTypeA("D:\\"));
    RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    LogLine(std::string("\"event\":\"start\",\"driveTypeD\":") + driveType + ",\"screen\":[" +
            std::to_string(screen.right) + "," + std::to_string(screen.bottom) +
            "],\"rules\":" + std::to_string(scenario.rules.size()));

    std::map<HWND, Seen> open;
    int seq = 0;
    bool sawWatchedProcess = false;
    const DWORD self = ::GetCurrentProcessId();
    std::string reason = "max-ms";
    while (Elapsed() < options.maxMs) {
        const bool stopRequested =
            !options.stopPath.empty() && ::GetFileAttributesA(options.stopPath.c_str()) != INVALID_FILE_ATTRIBUTES;
        std::map<DWORD, std::string> names = ProcessNames();
        bool watchedRunning = false;
        for (const auto& [pid, exe] : names)
            if (pid != self && !options.watch.empty() && Watched(options, exe)) watchedRunning = true;
        sawWatchedProcess = sawWatchedProcess || watchedRunning;

        std::vector<HWND> windows;
        ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
        std::set<HWND> visibleNow;
        std::vector<HWND> fresh;
        for (HWND hwnd : windows) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            if (pid == self || !::IsWindowVisible(hwnd)) continue;
            const std::string exe = names.count(pid) ? names[pid] : std::string();
            if (!Watched(options, exe)) continue;
            visibleNow.insert(hwnd);
            if (!open.count(hwnd)) fresh.push_back(hwnd);
        }
        for (auto it = open.begin(); it != open.end();) {
            if (!visibleNow.count(it->first) || !::IsWindow(it->first)) {
                LogLine("\"event\":\"closed\",\"seq\":" + std::to_string(it->second.seq));
                it = open.erase(it);
            } else {
                ++it;
            }
        }
        // EnumWindows lists the topmost first; answer the windows in the order they came up.
        for (auto it = fresh.rbegin(); it != fresh.rend(); ++it) {
            HWND hwnd = *it;
            ::Sleep(options.settleMs);  // let it paint before the screenshot
            if (!::IsWindow(hwnd) || !::IsWindowVisible(hwnd)) continue;
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            const int mySeq = ++seq;
            open[hwnd] = Seen{mySeq, names[pid]};
            WindowInfo info = Inspect(hwnd);
            int ruleIndex = scenario.Choose(info);
            std::string answer;
            int defaultId = 0;
            if (ruleIndex >= 0) {
                answer = "rule";
            } else {
                defaultId = DefaultButton(hwnd, info);
                answer = defaultId ? "default" : "none";
            }
            std::string extra = ",\"exe\":" + JsonString(names[pid]) + ",\"answer\":\"" + answer +
                                "\",\"rule\":" + (ruleIndex >= 0 ? std::to_string(ruleIndex) : std::string("null")) +
                                ",\"unmatched\":" + (ruleIndex < 0 && scenario.strict ? "true" : "false");
            Snapshot(hwnd, options, mySeq, "window", extra);
            std::vector<Action> actions;
            if (ruleIndex >= 0) {
                actions = scenario.rules[ruleIndex].actions;
            } else if (defaultId) {
                actions.push_back(Action{"click", defaultId, ""});
            }
            for (const Action& action : actions) {
                std::string detail;
                const bool ok = Perform(hwnd, action, options, mySeq, detail);
                LogLine("\"event\":\"action\",\"seq\":" + std::to_string(mySeq) +
                        ",\"verb\":" + JsonString(action.verb) + ",\"id\":" + std::to_string(action.id) +
                        ",\"arg\":" + JsonString(action.arg) + ",\"ok\":" + (ok ? "true" : "false") +
                        ",\"detail\":" + JsonString(detail));
                ::Sleep(30);
            }
        }
        if (stopRequested) {
            reason = "stop-file";
            break;
        }
        if (options.untilGone && sawWatchedProcess && !watchedRunning && open.empty()) {
            reason = "program-ended";
            break;
        }
        ::Sleep(options.pollMs);
    }
    LogLine("\"event\":\"stop\",\"reason\":\"" + reason + "\",\"windows\":" + std::to_string(seq));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    startTick = ::GetTickCount();
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: driver --log FILE [--shots DIR] [--rules FILE] [--stop FILE] [--watch a.exe,b.exe] "
                     "[--until-gone] [--max-ms N] [--settle-ms N] [--poll-ms N]\n");
        return 2;
    }
    logFile = std::fopen(options.logPath.c_str(), "wb");
    if (!logFile) {
        std::fprintf(stderr, "driver: cannot write %s\n", options.logPath.c_str());
        return 2;
    }
    Scenario scenario;
    std::string error;
    if (!options.rulesPath.empty() && !ReadScenario(options.rulesPath, scenario, error)) {
        LogLine("\"event\":\"error\",\"message\":" + JsonString(error));
        std::fclose(logFile);
        return 2;
    }
    int result = 0;
    try {
        result = Run(options, scenario);
    } catch (const std::exception& e) {
        LogLine("\"event\":\"error\",\"message\":" + JsonString(e.what()));
        result = 3;
    }
    std::fclose(logFile);
    return result;
}
