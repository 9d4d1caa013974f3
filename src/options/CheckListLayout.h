#pragma once
// Geometry of the section check list: how tall a row is, where its parts are drawn and what a click
// at a point hits. Kept apart from the window so that the rules can be tested without one.

// Every size in pixels is one of a screen of 96 dpi, scaled for the list's screen (`dpi`); the
// check-box width and cell height passed in are the images' as drawn, already scaled.

#include <string>

#include "framework/Display.h"

constexpr int kCheckListNameX = 20;  // the product name starts here, whatever the check box's width
constexpr int kCheckListMinRowHeight = 10;
constexpr int kCheckListColumnGap = 6;  // between a name cut short and the size

// Every row has this height: at least 10 pixels, the cell height + 1, and the text's height.
int CheckListRowHeight(int cellHeight, int textHeight, int dpi = kDefaultDpi);

// Width of the check area at a row's left edge; a click there toggles the check.
inline int CheckAreaWidth(int checkBoxWidth, int dpi = kDefaultDpi)
{
    return checkBoxWidth + ScaleForDpi(2, dpi);
}

// Offset of the check-box image below a row's top: centred, never above 1 pixel.
int CheckImageTop(int rowHeight, int cellHeight, int dpi = kDefaultDpi);

// The two columns of a row between its left and right edges: the name from x = 20, the size
// (`sizeWidth` pixels wide, 0 for none) flush right. A name that would run into the size ends a gap
// before it (it is drawn cut short with an ellipsis); a size wider than the row starts where the name
// would, and the name gets no room.
struct RowColumns {
    int nameLeft = 0;
    int nameRight = 0;
    int sizeLeft = 0;
};
RowColumns LayOutRowColumns(int rowLeft, int rowRight, int sizeWidth, int dpi = kDefaultDpi);

// What a screen reader says for a row: the name, and after a comma the size when there is one.
std::string AccessibleRowName(const std::string& rowText);

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
    int dpi = kDefaultDpi;
};

// The row under point (x, y) of the list's client area, walking the visible rows from the top; stops
// at the last row, so a point below it hits nothing.
CheckListHit HitTestCheckList(const CheckListGeometry& geometry, int x, int y);

// Next check state when a click or the space bar toggles a row: 0 <-> 1, indeterminate becomes 0.
inline int ToggledCheck(int state)
{
    return state == 0 ? 1 : 0;
}
