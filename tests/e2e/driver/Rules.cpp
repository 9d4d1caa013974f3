#include "Rules.h"

#include <fstream>
#include <sstream>

bool WindowInfo::IsMessageBox() const
{
    return className == "#32770" && Find(0xFFFF) != nullptr;
}

const ControlInfo* WindowInfo::Find(int id) const
{
    for (const ControlInfo& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

bool Rule::Matches(const WindowInfo& window) const
{
    if (!title.empty() && window.title != title) return false;
    if (!titleContains.empty() && window.title.find(titleContains) == std::string::npos) return false;
    for (int id : ids)
        if (!window.Find(id)) return false;
    auto anyText = [&](auto predicate) {
        for (const ControlInfo& c : window.controls)
            if (predicate(c.text)) return true;
        return false;
    };
    if (!text.empty() && !anyText([&](const std::string& t) { return t == text; })) return false;
    if (!textContains.empty() &&
        !anyText([&](const std::string& t) { return t.find(textContains) != std::string::npos; }))
        return false;
    return true;
}

int Scenario::Choose(const WindowInfo& window)
{
    for (size_t i = 0; i < rules.size(); ++i) {
        Rule& rule = rules[i];
        if (rule.used && !rule.repeatable) continue;
        if (rule.Matches(window)) {
            rule.used = true;
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
    }
    return out;
}

namespace {
// "verb id rest": the id is omitted by wait, close, record and shot.
bool ParseAction(const std::string& line, Action& action)
{
    std::istringstream in(line);
    in >> action.verb;
    static const char* const kWithoutId[] = {"wait",        "close", "record", "shot",  "mouseclick",
                                             "closewindow", "ontop", "type",   "typein"};
    bool takesId = true;
    for (const char* verb : kWithoutId)
        if (action.verb == verb) takesId = false;
    if (takesId && !(in >> action.id)) return false;
    std::string rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    action.arg = Unescape(rest);
    static const char* const kVerbs[] = {"click", "bmclick",    "row",         "dblrow", "settext", "keys", "key",
                                         "combo", "tree",       "wait",        "close",  "record",  "shot", "clickin",
                                         "ontop", "mouseclick", "closewindow", "type",   "typein"};
    for (const char* verb : kVerbs)
        if (action.verb == verb) return true;
    return false;
}
}  // namespace

bool ReadScenario(const std::string& path, Scenario& scenario, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    Rule* rule = nullptr;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : Unescape(line.substr(space + 1));
        if (key == "strict") {
            scenario.strict = value == "1";
        } else if (key == "rule") {
            scenario.rules.emplace_back();
            rule = &scenario.rules.back();
        } else if (!rule) {
            error = "line " + std::to_string(number) + ": directive outside a rule";
            return false;
        } else if (key == "title") {
            rule->title = value;
        } else if (key == "title~") {
            rule->titleContains = value;
        } else if (key == "text") {
            rule->text = value;
        } else if (key == "text~") {
            rule->textContains = value;
        } else if (key == "ids") {
            std::istringstream ids(value);
            for (int id; ids >> id;)
                rule->ids.push_back(id);
        } else if (key == "repeat") {
            rule->repeatable = true;
        } else if (key == "do") {
            Action action;
            if (!ParseAction(line.substr(space + 1), action)) {
                error = "line " + std::to_string(number) + ": bad action '" + line + "'";
                return false;
            }
            rule->actions.push_back(action);
        } else {
            error = "line " + std::to_string(number) + ": unknown directive '" + key + "'";
            return false;
        }
    }
    return true;
}
