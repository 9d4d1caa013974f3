#pragma once
// Geometry of the section check list: how tall a row is, where its parts are drawn and what a click
// at a point hits. Kept apart from the window so that the rules can be tested without one.

#include <string>

constexpr int kCheckListNameX = 20;  // the product name starts here, whatever the check box's width
constexpr int kCheckListMinRowHeight = 10;

// Every row has this height: at least 10 pixels, the cell height + 1, and the list font's height.
int CheckListRowHeight(int cellHeight, int textHeight);

// Width of the check area at a row's left edge; a click there toggles the check.
inline int CheckAreaWidth(int checkBoxWidth)
{
    return checkBoxWidth + 2;
}

// Offset of the check-box image below a row's top: centred, never above 1 pixel.
int CheckImageTop(int rowHeight, int cellHeight);

// A row's text split at its first tab: the name left, the size right-aligned; no tab, no size.
struct RowTextParts {
    std::string name;
    std::string size;
};
RowTextParts SplitRowText(const std::string& text);

enum class CheckListPart { None, CheckBox, Text };
struct CheckListHit {
    int row = -1;
    CheckListPart part = CheckListPart::None;
};

struct CheckListGeometry {
    int topIndex = 0;  // first visible row
    int rowCount = 0;
    int rowHeight = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int checkBoxWidth = 0;
};

// The row under point (x, y) of the list's client area, walking the visible rows from the top; stops
// at the last row, so a point below it hits nothing.
CheckListHit HitTestCheckList(const CheckListGeometry& geometry, int x, int y);

// Next check state when a click or the space bar toggles a row: 0 <-> 1, indeterminate becomes 0.
inline int ToggledCheck(int state)
{
    return state == 0 ? 1 : 0;
}
