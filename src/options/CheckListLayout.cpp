#include "options/CheckListLayout.h"

#include <algorithm>

int CheckListRowHeight(int cellHeight, int textHeight)
{
    return std::max({kCheckListMinRowHeight, cellHeight + 1, textHeight});
}

int CheckImageTop(int rowHeight, int cellHeight)
{
    return 1 + std::max(0, (rowHeight - cellHeight) / 2);
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
            const bool onCheck = x < CheckAreaWidth(g.checkBoxWidth);
            return {row, onCheck ? CheckListPart::CheckBox : CheckListPart::Text};
        }
    }
    return {};
}
