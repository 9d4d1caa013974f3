#pragma once
// The section list of the options dialog: an owner-drawn list box with a check box, the product name
// and the right-aligned size in every row. Every mouse press is reported to the parent with
// WM_CHECKLIST_NOTIFY (code 40: the check box was toggled; code 1: the text was hit), and the focus
// goes back to the owner when the button is released.
//
// The parent receives WM_DRAWITEM for the list and must pass it to DrawItem().

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"

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
    int LastClickedRow() const { return lastClickedRow_; }
    int CheckBoxWidth() const { return checkBoxWidth_; }
    int RowHeight() const;

    // Draws a row when `item` belongs to this list; false otherwise.
    bool DrawItem(const DRAWITEMSTRUCT& item);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    void Notify(WORD code);
    void InvalidateCheckArea(int row);
    void DrawCheckBox(HDC dc, const RECT& row, int state, COLORREF background) const;

    int lastClickedRow_ = 0;
    int checkBoxWidth_ = 0;
    int cellHeight_ = 0;
    HFONT rowFont_ = nullptr;
    UniqueGdiObject strip_;
    HWND hwnd_ = nullptr;
    // The row texts as added. Drawing takes them from here rather than reading them back: the list
    // box of the common controls is a Unicode window, and reading a row of thousands of characters
    // through LB_GETTEXT's ANSI conversion overran a fixed buffer under Wine.
    std::vector<std::string> rows_;
};
