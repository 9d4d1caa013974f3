#include "installer/Backdrop.h"

#include <array>
#include <vector>

#include "framework/App.h"
#include "framework/Dialog.h"
#include "framework/DisplayWin.h"
#include "framework/WideText.h"
#include "resource.h"
#include "settings/SettingsWin.h"

namespace {
constexpr int kGradientSteps = 256;
}  // namespace

int GradientBrushIndex(int y, int height)
{
    return height > 0 ? (255 * y) / height : 0;
}

CBackdropWindow::CBackdropWindow()
    : Dialog(IDD_BACKDROP), icon_(::LoadIconW(ResourceInstance(), MAKEINTRESOURCEW(IDI_APP)))
{
}

bool CBackdropWindow::OnInitDialog()
{
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    MakeFont();

    // The full-screen client area plus a caption bar, so the client covers the screen below it.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(Hwnd(), &placement);
    requested_ = {0, 0, ::GetSystemMetrics(SM_CXFULLSCREEN),
                  ::GetSystemMetrics(SM_CYFULLSCREEN) + ::GetSystemMetrics(SM_CYCAPTION)};
    placement.rcNormalPosition = requested_;
    ::SetWindowPlacement(Hwnd(), &placement);
    return true;
}

void CBackdropWindow::MakeFont()
{
    dpi_ = WindowDpi(Hwnd());
    font_.reset(::CreateFontW(-ScaleForDpi(28, dpi_), 0, 0, 0, FW_NORMAL, TRUE, FALSE, FALSE, ANSI_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                              L"ARIAL"));
    fontCreated_ = static_cast<bool>(font_);
}

bool CBackdropWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
        case WM_PAINT:
            Paint();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            // The gradient covers every pixel; erasing first would only flicker.
            result = ::IsIconic(Hwnd()) ? 0 : 1;
            return !::IsIconic(Hwnd());
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(icon_);
            return true;
        case WM_MOUSEACTIVATE:
            // Owned dialogs stay above their owner, but a click that activates the backdrop can still
            // raise it above them on some systems: while a dialog is up, the click does not activate it.
            if (!FindDialogInFront(false)) return false;
            result = MA_NOACTIVATE;
            return true;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) RaiseOwnedWindows();
            return false;
        case WM_WINDOWPOSCHANGED:
            if (!(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOZORDER)) RaiseOwnedWindows();
            return false;
        case WM_DPICHANGED:
            MakeFont();
            ::InvalidateRect(Hwnd(), nullptr, FALSE);
            return false;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // A high-contrast theme may have been switched on or off.
            ::InvalidateRect(Hwnd(), nullptr, FALSE);
            return false;
        case WM_CLOSE:
            // Closing the backdrop (its close box, Alt+F4) is Cancel in the dialog in front, never the end
            // of the window that owns every dialog of the sequence.
            CancelDialogInFront();
            result = 0;
            return true;
        default:
            return false;
    }
}

namespace {
bool IsOwnedBy(HWND window, HWND owner)
{
    for (HWND up = ::GetWindow(window, GW_OWNER); up; up = ::GetWindow(up, GW_OWNER)) {
        if (up == owner) return true;
    }
    return false;
}

struct OwnedSearch {
    HWND owner;
    bool enabledOnly;
    std::vector<HWND> found;  // topmost first
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM param)
{
    // The top-level windows come topmost first.
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    if (!::IsWindowVisible(window) || !IsOwnedBy(window, search->owner)) return TRUE;
    if (search->enabledOnly && !::IsWindowEnabled(window)) return TRUE;
    search->found.push_back(window);
    return TRUE;
}
}  // namespace

HWND CBackdropWindow::FindDialogInFront(bool enabledOnly) const
{
    OwnedSearch search{Hwnd(), enabledOnly, {}};
    ::EnumWindows(&CollectOwned, reinterpret_cast<LPARAM>(&search));
    return search.found.empty() ? nullptr : search.found.front();
}

void CBackdropWindow::RaiseOwnedWindows()
{
    OwnedSearch search{Hwnd(), false, {}};
    ::EnumWindows(&CollectOwned, reinterpret_cast<LPARAM>(&search));
    // From the lowest up, so that they keep their order among themselves.
    for (auto it = search.found.rbegin(); it != search.found.rend(); ++it)
        ::SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

void CBackdropWindow::CancelDialogInFront()
{
    // Posted: the dialog may belong to the copy worker's thread, and its Cancel may open a question.
    if (HWND front = FindDialogInFront(true)) ::PostMessageW(front, WM_CANCEL_REQUEST, 0, 0);
}

void CBackdropWindow::Paint()
{
    PaintDc paint(Hwnd());
    if (!paint) return;
    const HDC dc = paint.get();
    RECT client;
    ::GetClientRect(Hwnd(), &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    if (::IsIconic(Hwnd())) {
        ::SendMessageW(Hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        const int x = (width - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (height - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(dc, x, y, icon_);
    } else {
        const bool contrast = HighContrastOn();
        if (contrast) {
            UniqueGdiObject background(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
            ::FillRect(dc, &client, static_cast<HBRUSH>(background.get()));
        } else {
            std::array<UniqueGdiObject, kGradientSteps> brushes;
            for (int i = 0; i < kGradientSteps; ++i)
                brushes[i].reset(::CreateSolidBrush(RGB(0, 0, 255 - i)));
            for (int y = 0; y < height; ++y) {
                RECT row = {0, y, width, y + 1};
                ::FillRect(dc, &row, static_cast<HBRUSH>(brushes[GradientBrushIndex(y, height)].get()));
            }
        }
        if (fontCreated_ && setupSettings.settingsValid) {
            const std::wstring message = Wide(setupSettings.GetText(TextId::ScreenMessage));
            SelectedObject selectFont(dc, font_.get());
            ::SetBkMode(dc, TRANSPARENT);
            const int letters = ScaleForDpi(46, dpi_);
            if (!contrast) {
                // A black shadow 4 pixels (at 96 dpi) below and right of the white letters.
                const int shadow = ScaleForDpi(50, dpi_);
                ::SetTextColor(dc, RGB(0, 0, 0));
                ::TextOutW(dc, shadow, shadow, message.c_str(), static_cast<int>(message.size()));
            }
            ::SetTextColor(dc, contrast ? ::GetSysColor(COLOR_WINDOWTEXT) : RGB(255, 255, 255));
            ::TextOutW(dc, letters, letters, message.c_str(), static_cast<int>(message.size()));
        }
    }
}
