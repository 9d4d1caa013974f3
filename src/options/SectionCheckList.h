#pragma once
// The section list of the options dialog: an owner-drawn list box with a check box, the product name
// and the right-aligned size in every row. Every mouse press is reported to the parent with
// WM_CHECKLIST_NOTIFY (code 40: the check box was toggled; code 1: the text was hit), and the focus
// goes back to the owner when the button is released. The keyboard does the same: a key that moves
// the focus row reports code 1 for the new row, the space bar toggles the focus row's check and
// reports code 40. Screen readers see every row as a check box with its name, size and state
// (CheckListAccessible.h).
//
// Sizes follow the screen's pixel density (the check boxes, the name column, the row height), and a
// high-contrast theme draws the check boxes in the system's colours.
//
// The parent receives WM_DRAWITEM for the list and must pass it to DrawItem().

#include <windows.h>

#include <string>
#include <vector>

#include "framework/ComPtr.h"
#include "framework/Display.h"
#include "framework/Handles.h"

class CheckListAccessible;

constexpr WORD kCheckListCodeCheckToggled = 40;
constexpr WORD kCheckListCodeTextClicked = 1;

class SectionCheckList {
public:
    // Chooses the check-box strip from the system's major version (4 and later: the flat strip).
    explicit SectionCheckList(unsigned osMajorVersion);
    ~SectionCheckList();
    SectionCheckList(const SectionCheckList&) = delete;
    SectionCheckList& operator=(const SectionCheckList&) = delete;

    // Adds child, visible, use-tab-stops and owner-draw-fixed to `style`. `rowFont` is not owned.
    bool Create(HFONT rowFont, DWORD style, const RECT& rect, HWND parent, int id);

    HWND Hwnd() const { return hwnd_; }
    int AddRow(const std::string& text);
    int RowCount() const;
    void SetCheck(int row, int state);
    int GetCheck(int row) const;
    // The row last pressed with the mouse or moved to with the keyboard.
    int LastClickedRow() const { return lastClickedRow_; }
    // One check box as drawn: the strip's cell, scaled for the list's screen once it is created.
    int CheckBoxWidth() const { return checkBoxWidth_; }
    int RowHeight() const;
    int Dpi() const { return dpi_; }
    const std::string& RowText(int row) const;
    // The row with the keyboard focus (the caret), -1 for none.
    int CaretRow() const;
    // Toggles a row as a click on its check box does, and tells the parent (code 40).
    void ToggleFromUser(int row);
    // The font of the row texts changed (the parent's fonts follow the screen).
    void SetRowFont(HFONT rowFont);

    // Draws a row when `item` belongs to this list; false otherwise.
    bool DrawItem(const DRAWITEMSTRUCT& item);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    void OnKeyDown(WPARAM key, LPARAM lParam);
    void Notify(WORD code);
    void Toggle(int row);
    void InvalidateCheckArea(int row);
    void DrawCheckBox(HDC dc, const RECT& row, int state, COLORREF background) const;
    // Sizes the check boxes and the rows for the screen the list is on.
    void FitToScreen();

    int lastClickedRow_ = 0;
    int checkBoxWidth_ = 0;
    int cellHeight_ = 0;
    int dpi_ = kDefaultDpi;
    HFONT rowFont_ = nullptr;
    UniqueGdiObject strip_;        // as loaded, one cell per check state
    UniqueGdiObject scaledStrip_;  // the strip at the list's density, when that is not 96 dpi
    int stripCellWidth_ = 0;
    int stripCellHeight_ = 0;
    HWND hwnd_ = nullptr;
    ComPtr<CheckListAccessible> accessible_;  // made when a screen reader first asks
    // The row texts as added. Drawing takes them from here rather than reading them back: the list
    // box of the common controls is a Unicode window, and reading a row of thousands of characters
    // through LB_GETTEXT's ANSI conversion overran a fixed buffer under Wine.
    std::vector<std::string> rows_;
};
