#include "options/CheckListLayout.h"

#include <algorithm>

int CheckListRowHeight(int cellHeight, int textHeight, int dpi)
{
    return std::max({ScaleForDpi(kCheckListMinRowHeight, dpi), cellHeight + 1, textHeight});
}

int CheckImageTop(int rowHeight, int cellHeight, int dpi)
{
    return ScaleForDpi(1, dpi) + std::max(0, (rowHeight - cellHeight) / 2);
}

RowColumns LayOutRowColumns(int rowLeft, int rowRight, int sizeWidth, int dpi)
{
    RowColumns columns;
    columns.nameLeft = rowLeft + ScaleForDpi(kCheckListNameX, dpi);
    if (sizeWidth <= 0) {
        columns.sizeLeft = rowRight;
        columns.nameRight = std::max(columns.nameLeft, rowRight);
        return columns;
    }
    columns.sizeLeft = std::max(columns.nameLeft, rowRight - sizeWidth);
    columns.nameRight = std::max(columns.nameLeft, columns.sizeLeft - ScaleForDpi(kCheckListColumnGap, dpi));
    return columns;
}

std::string AccessibleRowName(const std::string& rowText)
{
    const RowTextParts parts = SplitRowText(rowText);
    return parts.size.empty() ? parts.name : parts.name + ", " + parts.size;
}

RowTextParts SplitRowText(const std::string& text)
{
    // A tab byte (0x09) can never be a DBCS trail byte, so a plain search is safe here.
    size_t tab = text.find('\t');
    if (tab == std::string::npos) return {text, {}};
    return {text.substr(0, tab), text.substr(tab + 1)};
}

CheckListHit HitTestCheckList(const CheckListGeometry& g, int x, int y)
{
    if (g.rowHeight <= 0 || x < 0 || x >= g.clientWidth || y < 0) return {};
    for (int row = std::max(0, g.topIndex); row < g.rowCount; ++row) {
        const int top = (row - g.topIndex) * g.rowHeight;
        if (top >= g.clientHeight) break;  // the row's top-left corner is outside the client area
        if (y >= top && y < top + g.rowHeight) {
            const bool onCheck = x < CheckAreaWidth(g.checkBoxWidth, g.dpi);
            return {row, onCheck ? CheckListPart::CheckBox : CheckListPart::Text};
        }
    }
    return {};
}
