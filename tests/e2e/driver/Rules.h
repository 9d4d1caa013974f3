#pragma once
// The answers of one scenario: an ordered list of rules, read from the plain-text file that the
// scenario runner writes (one directive per line, so the driver needs no JSON reader).

#include <array>
#include <string>
#include <vector>

struct ControlInfo {
    int id = 0;
    std::string className;
    std::string text;
    bool visible = false;
    unsigned long style = 0;
    std::vector<std::string> rows;   // list box, combo box or tree view entries
    std::vector<long long> rowData;  // list box item data (the check state of a check list)
    int selected = -1;
    int rect[4] = {0, 0, 0, 0};                // x, y, width, height in the window's client area
    std::vector<std::array<int, 4>> rowRects;  // list box rows in the list's client area
};

struct WindowInfo {
    std::string title;
    std::string className;
    std::vector<ControlInfo> controls;
    bool IsMessageBox() const;
    const ControlInfo* Find(int id) const;
};

struct Action {
    // click, bmclick, row, dblrow, settext, keys, key, combo, tree, wait, close, record, shot, clickin,
    // mouseclick, closewindow, ontop
    std::string verb;
    int id = 0;
    // row number and part, text, path, milliseconds, a window title (clickin, mouseclick, closewindow)
    std::string arg;
};

struct Rule {
    std::string title;  // exact title
    std::string titleContains;
    std::string text;  // exact text of some control (a message box's text is control 65535)
    std::string textContains;
    std::vector<int> ids;  // controls that must all be present
    bool repeatable = false;
    bool used = false;
    std::vector<Action> actions;
    bool Matches(const WindowInfo& window) const;
};

struct Scenario {
    bool strict = false;
    std::vector<Rule> rules;
    // Returns the index of the first unused matching rule, or -1.
    int Choose(const WindowInfo& window);
};

// Reads the rules file; returns false with a reason when a line cannot be understood.
bool ReadScenario(const std::string& path, Scenario& scenario, std::string& error);
std::string Unescape(const std::string& text);
