#include "options/SectionCheckList.h"

#include <commctrl.h>

#include <string>

#include "framework/App.h"
#include "framework/DisplayWin.h"
#include "framework/WideText.h"
#include "options/CheckListAccessible.h"
#include "options/CheckListLayout.h"
#include "resource.h"
#include "settings/SetupMessages.h"

namespace {
// Before version 4 the flat boxes are only used when the 3-D controls library is there to match them.
bool UseFlatStrip(unsigned osMajorVersion)
{
    if (osMajorVersion >= 4) return true;
    UniqueLibrary ctl3d(::LoadLibraryW(L"CTL3D32.DLL"));
    return ctl3d && ::GetProcAddress(ctl3d.get(), MAKEINTRESOURCEA(21)) != nullptr;
}

constexpr UINT_PTR kSubclassId = 1;
}  // namespace

SectionCheckList::SectionCheckList(unsigned osMajorVersion)
{
    const int id = UseFlatStrip(osMajorVersion) ? IDB_CHECKS_FLAT : IDB_CHECKS_CLASSIC;
    strip_.reset(::LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    BITMAP info{};
    if (strip_ && ::GetObjectW(strip_.get(), sizeof(info), &info)) {
        stripCellWidth_ = checkBoxWidth_ = info.bmWidth / 3;
        stripCellHeight_ = cellHeight_ = info.bmHeight;
    }
}

SectionCheckList::~SectionCheckList()
{
    if (accessible_) accessible_->Detach();
    if (hwnd_) {
        ::RemoveWindowSubclass(hwnd_, &SectionCheckList::SubclassProc, kSubclassId);
        ::DestroyWindow(hwnd_);
    }
}

bool SectionCheckList::Create(HFONT rowFont, DWORD style, const RECT& rect, HWND parent, int id)
{
    rowFont_ = rowFont;
    lastClickedRow_ = 0;
    style |= WS_CHILD | WS_VISIBLE | LBS_USETABSTOPS | LBS_OWNERDRAWFIXED;
    hwnd_ = ::CreateWindowExW(0, L"LISTBOX", L"", style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ResourceInstance(), nullptr);
    if (!hwnd_) return false;
    if (!::SetWindowSubclass(hwnd_, &SectionCheckList::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        return false;
    }
    FitToScreen();
    return true;
}

void SectionCheckList::FitToScreen()
{
    dpi_ = WindowDpi(hwnd_);
    scaledStrip_.reset();
    checkBoxWidth_ = ScaleForDpi(stripCellWidth_, dpi_);
    cellHeight_ = ScaleForDpi(stripCellHeight_, dpi_);
    if (strip_ && dpi_ != kDefaultDpi)
        scaledStrip_ = ScaledBitmap(static_cast<HBITMAP>(strip_.get()), 3 * checkBoxWidth_, cellHeight_);
    // The row height is measured in the list's own window font (the system font: the list is never
    // given rowFont as its window font) and in the row font, whichever is taller, so that no row text
    // is cut off. WM_MEASUREITEM went to the parent during creation, before this object could answer
    // it, so the height is set here.
    int textHeight = 0;
    {
        WindowDc dc(hwnd_);
        if (dc) {
            for (HFONT font : {reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0)), rowFont_}) {
                SelectedObject selected(dc.get(), font ? font : static_cast<HFONT>(::GetStockObject(SYSTEM_FONT)));
                TEXTMETRICW metrics{};
                if (::GetTextMetricsW(dc.get(), &metrics)) textHeight = std::max<int>(textHeight, metrics.tmHeight);
            }
        }
    }
    ::SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, MAKELPARAM(CheckListRowHeight(cellHeight_, textHeight, dpi_), 0));
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void SectionCheckList::SetRowFont(HFONT rowFont)
{
    rowFont_ = rowFont;
    if (hwnd_) FitToScreen();
}

int SectionCheckList::AddRow(const std::string& text)
{
    const LRESULT row = ::SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
    // The list is not sorted: a new row is always the last one.
    if (row >= 0 && static_cast<size_t>(row) == rows_.size()) rows_.push_back(text);
    return static_cast<int>(row);
}

int SectionCheckList::RowCount() const
{
    const LRESULT n = ::SendMessageW(hwnd_, LB_GETCOUNT, 0, 0);
    return n == LB_ERR ? 0 : static_cast<int>(n);
}

const std::string& SectionCheckList::RowText(int row) const
{
    static const std::string none;
    return row >= 0 && static_cast<size_t>(row) < rows_.size() ? rows_[row] : none;
}

int SectionCheckList::CaretRow() const
{
    if (!hwnd_ || RowCount() == 0) return -1;
    const LRESULT caret = ::SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0);
    return caret == LB_ERR ? -1 : static_cast<int>(caret);
}

int SectionCheckList::RowHeight() const
{
    return static_cast<int>(::SendMessageW(hwnd_, LB_GETITEMHEIGHT, 0, 0));
}

// The check state lives in the row's item data, which the has-strings list leaves free.
void SectionCheckList::SetCheck(int row, int state)
{
    if (row < 0 || row >= RowCount()) return;
    ::SendMessageW(hwnd_, LB_SETITEMDATA, row, state);
    InvalidateCheckArea(row);
}

int SectionCheckList::GetCheck(int row) const
{
    if (row < 0 || row >= RowCount()) return 0;
    const LRESULT state = ::SendMessageW(hwnd_, LB_GETITEMDATA, row, 0);
    return state == LB_ERR ? 0 : static_cast<int>(state);
}

void SectionCheckList::InvalidateCheckArea(int row)
{
    RECT rc;
    if (::SendMessageW(hwnd_, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc)) == LB_ERR) return;
    rc.right = rc.left + CheckAreaWidth(checkBoxWidth_, dpi_);
    ::InvalidateRect(hwnd_, &rc, FALSE);
}

void SectionCheckList::Toggle(int row)
{
    ::SendMessageW(hwnd_, LB_SETITEMDATA, row, ToggledCheck(GetCheck(row)));
    InvalidateCheckArea(row);
    // Screen readers say the new state; the accessible children count from 1.
    ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd_, OBJID_CLIENT, row + 1);
}

void SectionCheckList::ToggleFromUser(int row)
{
    if (!hwnd_ || row < 0 || row >= RowCount()) return;
    Toggle(row);
    lastClickedRow_ = row;
    Notify(kCheckListCodeCheckToggled);
}

void SectionCheckList::DrawCheckBox(HDC dc, const RECT& row, int state, COLORREF background) const
{
    RECT area = row;
    area.right = area.left + CheckAreaWidth(checkBoxWidth_, dpi_);
    UniqueGdiObject brush(::CreateSolidBrush(background));
    ::FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
    const int left = row.left + ScaleForDpi(1, dpi_);
    const int top = row.top + CheckImageTop(row.bottom - row.top, cellHeight_, dpi_);
    const int cell = (state < 0 || state > 2) ? 0 : state;
    if (HighContrastOn()) {
        // The strip's fixed white and black would ignore the theme: a box and a tick in its colours.
        const int line = ScaleForDpi(1, dpi_);
        RECT box = {left, top, left + checkBoxWidth_, top + cellHeight_};
        UniqueGdiObject face(::CreateSolidBrush(::GetSysColor(COLOR_WINDOW)));
        UniqueGdiObject frame(::CreateSolidBrush(::GetSysColor(COLOR_WINDOWTEXT)));
        ::FillRect(dc, &box, static_cast<HBRUSH>(face.get()));
        for (int i = 0; i < line; ++i) {
            RECT edge = {box.left + i, box.top + i, box.right - i, box.bottom - i};
            ::FrameRect(dc, &edge, static_cast<HBRUSH>(frame.get()));
        }
        if (cell != 0) {
            UniqueGdiObject pen(::CreatePen(PS_SOLID, std::max(1, 2 * line),
                                            ::GetSysColor(cell == 1 ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT)));
            SelectedObject selected(dc, pen.get());
            const int w = checkBoxWidth_;
            const int h = cellHeight_;
            const POINT tick[] = {{left + w / 4, top + h / 2},
                                  {left + w / 2 - line / 2, top + 3 * h / 4},
                                  {left + 3 * w / 4 + line / 2, top + h / 4}};
            ::Polyline(dc, tick, 3);
        }
        return;
    }
    HGDIOBJ strip = scaledStrip_ ? scaledStrip_.get() : strip_.get();
    if (!strip) return;
    UniqueDc memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    SelectedObject bitmap(memory.get(), strip);
    ::BitBlt(dc, left, top, checkBoxWidth_, cellHeight_, memory.get(), cell * checkBoxWidth_, 0, SRCCOPY);
}

bool SectionCheckList::DrawItem(const DRAWITEMSTRUCT& item)
{
    if (!hwnd_ || item.hwndItem != hwnd_ || item.CtlType != ODT_LISTBOX) return false;
    if (item.itemID == static_cast<UINT>(-1)) {
        // An empty list with the keyboard focus still shows where the focus is.
        if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
        return true;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const COLORREF background = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    HDC dc = item.hDC;

    if (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) {
        DrawCheckBox(dc, item.rcItem, GetCheck(static_cast<int>(item.itemID)), background);
    }

    const RowTextParts parts = SplitRowText(RowText(static_cast<int>(item.itemID)));

    RECT textArea = item.rcItem;
    textArea.left += CheckAreaWidth(checkBoxWidth_, dpi_);
    SelectedObject font(dc, rowFont_);
    UniqueGdiObject brush(::CreateSolidBrush(background));
    ::FillRect(dc, &textArea, static_cast<HBRUSH>(brush.get()));
    ::FrameRect(dc, &textArea, static_cast<HBRUSH>(brush.get()));

    const COLORREF oldBack = ::SetBkColor(dc, background);
    const COLORREF oldText = ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring size = Wide(parts.size);
    SIZE extent{};
    if (!size.empty()) ::GetTextExtentPoint32W(dc, size.c_str(), static_cast<int>(size.size()), &extent);
    const RowColumns columns = LayOutRowColumns(item.rcItem.left, item.rcItem.right, extent.cx, dpi_);
    // A name too long for its column ends in an ellipsis before the size, never under it.
    std::wstring name = Wide(parts.name);
    RECT nameArea = {columns.nameLeft, item.rcItem.top, columns.nameRight, item.rcItem.bottom};
    ::DrawTextW(dc, name.data(), static_cast<int>(name.size()), &nameArea,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (!size.empty()) {
        RECT sizeArea = {columns.sizeLeft, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
        ::DrawTextW(dc, size.data(), static_cast<int>(size.size()), &sizeArea,
                    DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
    // The text area was drawn afresh, so the focus rectangle is drawn on a clean row, never inverted twice.
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &textArea);
    return true;
}

void SectionCheckList::OnKeyDown(WPARAM key, LPARAM lParam)
{
    if (key == VK_SPACE) {
        ToggleFromUser(CaretRow());
        return;
    }
    // Up, Down, Home, End and the page keys move the focus row and its selection: the parent shows
    // that row's description and folder, as after a click on its text.
    const int before = CaretRow();
    ::DefSubclassProc(hwnd_, WM_KEYDOWN, key, lParam);
    const int after = CaretRow();
    if (after >= 0 && after != before) {
        lastClickedRow_ = after;
        Notify(kCheckListCodeTextClicked);
    }
}

void SectionCheckList::Notify(WORD code)
{
    const WPARAM wParam = MAKEWPARAM(::GetDlgCtrlID(hwnd_), code);
    ::SendMessageW(::GetParent(hwnd_), WM_CHECKLIST_NOTIFY, wParam, reinterpret_cast<LPARAM>(hwnd_));
}

void SectionCheckList::OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam)
{
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    CheckListGeometry geometry;
    geometry.topIndex = static_cast<int>(::SendMessageW(hwnd_, LB_GETTOPINDEX, 0, 0));
    geometry.rowCount = RowCount();
    geometry.rowHeight = RowHeight();
    geometry.clientWidth = client.right;
    geometry.clientHeight = client.bottom;
    geometry.checkBoxWidth = checkBoxWidth_;
    geometry.dpi = dpi_;
    const CheckListHit hit =
        HitTestCheckList(geometry, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    if (hit.row >= 0) {
        lastClickedRow_ = hit.row;
        if (hit.part == CheckListPart::CheckBox) {
            Toggle(hit.row);
            // The parent hears of a toggle only after the row is selected and its new state stored.
            ::DefSubclassProc(hwnd_, message, wParam, lParam);
            Notify(kCheckListCodeCheckToggled);
            return;
        }
        // A text click is reported while the previous row is still selected.
        Notify(kCheckListCodeTextClicked);
    }
    ::DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT SectionCheckList::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnButtonDown(message, wParam, lParam);
            return 0;
        case WM_LBUTTONUP: {
            // The list box's own release handling is skipped, but the capture that its press handling
            // took must still end, or later mouse moves would drag the selection.
            if (::GetCapture() == hwnd_) ::ReleaseCapture();
            HWND owner = ::GetWindow(hwnd_, GW_OWNER);
            ::SetFocus(owner ? owner : ::GetParent(hwnd_));
            return 0;
        }
        case WM_KEYDOWN:
            OnKeyDown(wParam, lParam);
            return 0;
        case WM_CHAR: {
            if (wParam == ' ') return 0;  // not a search for a row starting with a blank
            // A letter moves to the next row starting with it: the parent hears of it as of an arrow key.
            const int before = CaretRow();
            const LRESULT result = ::DefSubclassProc(hwnd_, message, wParam, lParam);
            const int after = CaretRow();
            if (after >= 0 && after != before) {
                lastClickedRow_ = after;
                Notify(kCheckListCodeTextClicked);
            }
            return result;
        }
        case WM_GETDLGCODE:
            // The arrow keys and the letters are the list's; Tab, Enter and Esc stay the dialog's.
            return ::DefSubclassProc(hwnd_, message, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
                if (!accessible_) accessible_ = CheckListAccessible::Make(this);
                if (accessible_) {
                    const LRESULT answer = accessible_->Answer(wParam);
                    if (answer) return answer;
                }
            }
            break;
        case WM_DPICHANGED_AFTERPARENT:
            FitToScreen();
            return 0;
        case WM_NCDESTROY: {
            if (accessible_) accessible_->Detach();
            HWND hwnd = hwnd_;
            ::RemoveWindowSubclass(hwnd, &SectionCheckList::SubclassProc, kSubclassId);
            hwnd_ = nullptr;
            return ::DefSubclassProc(hwnd, message, wParam, lParam);
        }
        default:
            break;
    }
    return ::DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK SectionCheckList::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self)
{
    try {
        return reinterpret_cast<SectionCheckList*>(self)->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
}
