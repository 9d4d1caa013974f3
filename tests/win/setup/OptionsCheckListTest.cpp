// The section check list in a window of its own: row height, clicks by position, the order of the
// notifications, the focus hand-back, the space bar and the drawn rows.
#include <windows.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <vector>

#include "DialogAnswerer.h"
#include "framework/ComPtr.h"
#include "framework/Handles.h"
#include "HighContrastTheme.h"
#include "options/CheckListLayout.h"
#include "options/SectionCheckList.h"
#include "settings/SetupMessages.h"

namespace {
struct Notification {
    UINT message;
    WORD code;
    WORD id;
    int lastClickedRow;
    int selectedRow;  // the list's selection while the parent handles the notification
    int check;        // the clicked row's check state at that moment
};

class CheckListHost : public testing::Test {
protected:
    static LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<CheckListHost*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && self->list_) {
            if (message == WM_DRAWITEM && self->list_->DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam)))
                return TRUE;
            if (message == WM_CHECKLIST_NOTIFY || (message == WM_COMMAND && HIWORD(wParam) == 40)) {
                EXPECT_EQ(reinterpret_cast<HWND>(lParam), self->list_->Hwnd());
                const int row = self->list_->LastClickedRow();
                self->notifications_.push_back(
                    {message, HIWORD(wParam), LOWORD(wParam), row,
                     static_cast<int>(::SendMessageA(self->list_->Hwnd(), LB_GETCURSEL, 0, 0)),
                     self->list_->GetCheck(row)});
                return 0;
            }
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }

    void SetUp() override
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &HostProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "OptionsCheckListHost";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        ::RegisterClassA(&wc);
        host_ = ::CreateWindowExA(0, "OptionsCheckListHost", "Check list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                  400, 260, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(host_, nullptr);
        ::SetWindowLongPtrA(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        font_ = ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    }
    void TearDown() override
    {
        list_.reset();
        ::DestroyWindow(host_);
        ::DeleteObject(font_);
    }

    void MakeList(unsigned osMajor, int rows)
    {
        list_ = std::make_unique<SectionCheckList>(osMajor);
        RECT rc{10, 10, 273, 160};
        ASSERT_TRUE(list_->Create(font_, WS_BORDER | WS_VSCROLL | LBS_HASSTRINGS, rc, host_, 4000));
        for (int i = 0; i < rows; ++i)
            list_->AddRow("Row " + std::to_string(i) + "\t" + std::to_string(i) + " KBytes");
    }
    void Click(int x, int y, UINT message = WM_LBUTTONDOWN)
    {
        ::SendMessageA(list_->Hwnd(), message, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageA(list_->Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    int RowMiddle(int row) const { return row * list_->RowHeight() + list_->RowHeight() / 2; }

    HWND host_ = nullptr;
    HFONT font_ = nullptr;
    std::unique_ptr<SectionCheckList> list_;
    std::vector<Notification> notifications_;
};

int SystemFontHeight()
{
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(SYSTEM_FONT));
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}
}  // namespace

TEST_F(CheckListHost, StripAndRowHeightFollowTheSystemVersion)
{
    MakeList(6, 3);
    EXPECT_EQ(list_->CheckBoxWidth(), 11);
    EXPECT_EQ(list_->RowHeight(), std::max(12, SystemFontHeight()));
    EXPECT_EQ(list_->RowCount(), 3);
    // Before version 4 the flat boxes need the 3-D controls library (Wine has one); else classic 13 pixels.
    HMODULE ctl3d = ::LoadLibraryA("CTL3D32.DLL");
    const bool flat = ctl3d && ::GetProcAddress(ctl3d, MAKEINTRESOURCEA(21));
    if (ctl3d) ::FreeLibrary(ctl3d);
    SectionCheckList old(3);
    EXPECT_EQ(old.CheckBoxWidth(), flat ? 11 : 13);
}

TEST_F(CheckListHost, CheckBoxClickTogglesThenSelectsThenNotifies)
{
    MakeList(6, 3);
    list_->SetCheck(1, 1);
    Click(5, RowMiddle(1));
    ASSERT_EQ(notifications_.size(), 1u);
    EXPECT_EQ(notifications_[0].message, WM_CHECKLIST_NOTIFY);
    EXPECT_EQ(notifications_[0].code, 40);
    EXPECT_EQ(notifications_[0].id, 4000);
    EXPECT_EQ(notifications_[0].lastClickedRow, 1);
    EXPECT_EQ(notifications_[0].selectedRow, 1);  // selected before the parent hears of it
    EXPECT_EQ(notifications_[0].check, 0);
    EXPECT_EQ(list_->GetCheck(1), 0);

    // Just inside the check area (checkBoxWidth + 2 = 13 pixels) and a double-click: two toggles.
    Click(12, RowMiddle(2));
    Click(12, RowMiddle(2), WM_LBUTTONDBLCLK);
    ASSERT_EQ(notifications_.size(), 3u);
    EXPECT_EQ(notifications_[1].check, 1);
    EXPECT_EQ(notifications_[2].check, 0);
    EXPECT_EQ(notifications_[2].code, 40);
}

TEST_F(CheckListHost, TextClickNotifiesBeforeTheSelectionMoves)
{
    MakeList(6, 3);
    Click(100, RowMiddle(0));
    Click(13, RowMiddle(2));  // first pixel right of the check area
    ASSERT_EQ(notifications_.size(), 2u);
    EXPECT_EQ(notifications_[1].code, 1);
    EXPECT_EQ(notifications_[1].lastClickedRow, 2);
    EXPECT_EQ(notifications_[1].selectedRow, 0);  // still the previous row
    EXPECT_EQ(::SendMessageA(list_->Hwnd(), LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(list_->GetCheck(2), 0);
}

TEST_F(CheckListHost, ClickBelowTheLastRowNotifiesNothing)
{
    MakeList(6, 2);
    Click(100, RowMiddle(1));
    notifications_.clear();
    Click(5, RowMiddle(2));
    Click(100, RowMiddle(5));
    EXPECT_TRUE(notifications_.empty());
    EXPECT_EQ(list_->LastClickedRow(), 1);
    EXPECT_EQ(list_->GetCheck(1), 0);
}

TEST_F(CheckListHost, ReleaseHandsTheFocusBackAndFreesTheMouse)
{
    MakeList(6, 2);
    ::SetFocus(list_->Hwnd());
    Click(100, RowMiddle(0));
    EXPECT_EQ(::GetFocus(), host_);
    EXPECT_NE(::GetCapture(), list_->Hwnd());
}

TEST_F(CheckListHost, KeysMoveAndToggleTheFocusRowAsClicksDoAndShowTheFocus)
{
    MakeList(6, 3);
    ::SendMessageA(list_->Hwnd(), LB_SETCURSEL, 0, 0);
    ::SetFocus(list_->Hwnd());
    ::SendMessageA(list_->Hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageA(list_->Hwnd(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(list_->Hwnd(), WM_CHAR, ' ', 0);  // not a search for a row
    ::SendMessageA(list_->Hwnd(), WM_KEYDOWN, VK_END, 0);
    ::SendMessageA(list_->Hwnd(), WM_KEYDOWN, VK_END, 0);  // already there: nothing to report
    ASSERT_EQ(notifications_.size(), 3u);
    const struct {
        WORD code;
        int row;
        int check;
    } expected[] = {{1, 1, 0}, {40, 1, 1}, {1, 2, 0}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(notifications_[i].message, WM_CHECKLIST_NOTIFY);
        EXPECT_EQ(notifications_[i].code, expected[i].code);
        EXPECT_EQ(notifications_[i].lastClickedRow, expected[i].row);
        EXPECT_EQ(notifications_[i].selectedRow, expected[i].row);
        EXPECT_EQ(notifications_[i].check, expected[i].check);
    }
    EXPECT_EQ(list_->GetCheck(1), 1);
    // The list takes the arrows and letters; Tab, Return and Esc stay the dialog's.
    const LRESULT code = ::SendMessageA(list_->Hwnd(), WM_GETDLGCODE, 0, 0);
    EXPECT_TRUE(code & DLGC_WANTARROWS);
    EXPECT_FALSE(code & DLGC_WANTTAB);
    // The focus row shows a dotted frame around its text: its top edge is not all highlight.
    ::RedrawWindow(list_->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HDC dc = ::GetDC(list_->Hwnd());
    const int top = 2 * list_->RowHeight();
    int frame = 0;
    for (int x = 20; x < 120; ++x)
        if (::GetPixel(dc, x, top) != ::GetSysColor(COLOR_HIGHLIGHT)) ++frame;
    ::ReleaseDC(list_->Hwnd(), dc);
    EXPECT_GT(frame, 20);
}

TEST_F(CheckListHost, RowsAreDrawnWithTheirChecksAndHighlight)
{
    MakeList(6, 3);
    list_->SetCheck(0, 1);
    Click(100, RowMiddle(1));
    ::RedrawWindow(list_->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HoldForScreenshot();
    HDC dc = ::GetDC(list_->Hwnd());
    const int h = list_->RowHeight();
    const int boxTop = 1 + (h - 11) / 2;
    auto darkPixelsInBox = [&](int row) {
        int dark = 0;
        for (int y = boxTop + 3; y < boxTop + 8; ++y)
            for (int x = 4; x < 9; ++x)
                if (GetRValue(::GetPixel(dc, x, row * h + y)) < 100) ++dark;
        return dark;
    };
    EXPECT_GT(darkPixelsInBox(0), 0);                                         // the tick
    EXPECT_EQ(darkPixelsInBox(2), 0);                                         // an empty box
    EXPECT_EQ(::GetPixel(dc, 0, h + h / 2), ::GetSysColor(COLOR_HIGHLIGHT));  // behind the selected row's box
    EXPECT_EQ(::GetPixel(dc, 0, 2 * h + h / 2), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(::GetPixel(dc, 16, h + h / 2), ::GetSysColor(COLOR_HIGHLIGHT));  // text area before the name
    ::ReleaseDC(list_->Hwnd(), dc);
}

TEST_F(CheckListHost, ALongNameEndsBeforeItsSizeAndTheSizeStaysWhole)
{
    list_ = std::make_unique<SectionCheckList>(6);
    RECT rc{10, 10, 273, 160};
    ASSERT_TRUE(list_->Create(font_, WS_BORDER | LBS_HASSTRINGS, rc, host_, 4000));
    list_->AddRow("A section name far too long for its row, which goes on and on\t12345.67 KBytes");
    ::RedrawWindow(list_->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HDC dc = ::GetDC(list_->Hwnd());
    RECT client{};
    ::GetClientRect(list_->Hwnd(), &client);
    SIZE size{};
    {
        HGDIOBJ old = ::SelectObject(dc, font_);
        ::GetTextExtentPoint32A(dc, "12345.67 KBytes", 15, &size);
        ::SelectObject(dc, old);
    }
    const RowColumns columns = LayOutRowColumns(0, client.right, size.cx);
    auto inkBetween = [&](int left, int right) {
        int ink = 0;
        for (int y = 0; y < list_->RowHeight(); ++y)
            for (int x = left; x < right; ++x)
                if (::GetPixel(dc, x, y) != ::GetSysColor(COLOR_WINDOW)) ++ink;
        return ink;
    };
    EXPECT_GT(inkBetween(columns.nameLeft, columns.nameRight), 0);  // the name, cut short
    EXPECT_EQ(inkBetween(columns.nameRight, columns.sizeLeft), 0);  // the gap stays clear
    EXPECT_GT(inkBetween(columns.sizeLeft, client.right), 0);       // the size
    ::ReleaseDC(list_->Hwnd(), dc);
}

TEST_F(CheckListHost, ScreenReadersSeeEveryRowAsACheckBoxWithItsNameSizeAndState)
{
    ComInitGuard com;
    MakeList(6, 3);
    list_->SetCheck(0, 1);
    ::SendMessageA(list_->Hwnd(), LB_SETCURSEL, 1, 0);
    // Asked the way a reader asks, through the system's library (not linked: its import library and
    // the interface identifiers' one both define IID_IAccessible for 64 bits).
    const UniqueLibrary oleacc(::LoadLibraryW(L"oleacc.dll"));
    ASSERT_TRUE(oleacc);
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    const auto fromWindow = reinterpret_cast<FromWindow>(
        reinterpret_cast<void*>(::GetProcAddress(oleacc.get(), "AccessibleObjectFromWindow")));
    ASSERT_NE(fromWindow, nullptr);
    ComPtr<IAccessible> accessible;
    ASSERT_EQ(fromWindow(list_->Hwnd(), OBJID_CLIENT, IID_IAccessible, accessible.put_void()), S_OK);
    long count = 0;
    ASSERT_EQ(accessible->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    const struct {
        long child;
        const wchar_t* name;
        bool checked;
        bool selected;
        const wchar_t* action;
    } rows[] = {{1, L"Row 0, 0 KBytes", true, false, L"Uncheck"},
                {2, L"Row 1, 1 KBytes", false, true, L"Check"},
                {3, L"Row 2, 2 KBytes", false, false, L"Check"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.child);
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = row.child;
        BSTR name = nullptr;
        ASSERT_EQ(accessible->get_accName(child, &name), S_OK);
        EXPECT_STREQ(name, row.name);
        ::SysFreeString(name);
        VARIANT role{};
        ASSERT_EQ(accessible->get_accRole(child, &role), S_OK);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_CHECKBUTTON);
        VARIANT state{};
        ASSERT_EQ(accessible->get_accState(child, &state), S_OK);
        EXPECT_EQ((state.lVal & STATE_SYSTEM_CHECKED) != 0, row.checked);
        EXPECT_EQ((state.lVal & STATE_SYSTEM_SELECTED) != 0, row.selected);
        BSTR action = nullptr;
        ASSERT_EQ(accessible->get_accDefaultAction(child, &action), S_OK);
        EXPECT_STREQ(action, row.action);
        ::SysFreeString(action);
        long x = 0, y = 0, w = 0, h = 0;
        ASSERT_EQ(accessible->accLocation(&x, &y, &w, &h, child), S_OK);
        EXPECT_EQ(h, list_->RowHeight());
        VARIANT hit{};
        ASSERT_EQ(accessible->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
        EXPECT_EQ(hit.lVal, row.child);
    }
    // The default action toggles the row and tells the parent, as the space bar does.
    VARIANT third{};
    third.vt = VT_I4;
    third.lVal = 3;
    EXPECT_EQ(accessible->accDoDefaultAction(third), S_OK);
    EXPECT_EQ(list_->GetCheck(2), 1);
    ASSERT_EQ(notifications_.size(), 1u);
    EXPECT_EQ(notifications_[0].code, 40);
    EXPECT_EQ(notifications_[0].lastClickedRow, 2);
    // A reader that holds on to the object after the list is gone gets "disconnected", not a crash.
    list_.reset();
    EXPECT_EQ(accessible->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
}

TEST_F(CheckListHost, AHighContrastThemeDrawsTheCheckBoxesInItsColours)
{
    HighContrastTheme theme;
    ASSERT_TRUE(HighContrastOn());
    MakeList(6, 2);
    list_->SetCheck(0, 1);
    ::RedrawWindow(list_->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    // The frame and the tick in the theme's text colour, never the strip's white box.
    const int h = list_->RowHeight();
    const int w = list_->CheckBoxWidth();
    HDC dc = ::GetDC(list_->Hwnd());
    auto count = [&](int row, COLORREF colour) {
        int n = 0;
        for (int y = row * h; y < (row + 1) * h; ++y)
            for (int x = 0; x < w + 2; ++x)
                if (::GetPixel(dc, x, y) == colour) ++n;
        return n;
    };
    const int frame = 4 * (w - 1);
    EXPECT_EQ(count(0, RGB(255, 255, 255)), 0);
    EXPECT_EQ(count(1, RGB(255, 255, 255)), 0);
    EXPECT_GT(count(0, RGB(255, 255, 0)), frame + 4);  // frame and tick
    EXPECT_EQ(count(1, RGB(255, 255, 0)), frame);      // the frame alone
    ::ReleaseDC(list_->Hwnd(), dc);
}
