#pragma once
// A profile (INI) file read from its text by the rules of the system's private profile functions,
// so that a tool can read SETUP.INI and SETUP.TXT as setup does and still say on which line a key
// stands. Sections and keys are found without regard to case; blanks around names and values are
// trimmed, inside brackets too; a value in matching single or double quotes loses them; of two
// sections or two keys of the same name only the first counts; a key line without '=' reads as
// missing.

#include <string>
#include <string_view>
#include <vector>

#include "settings/SetupSettings.h"

class ProfileText : public ProfileSource {
public:
    struct Key {
        std::string name;
        std::string value;  // as written, quotes included
        bool hasValue = false;
        int line = 0;           // from 1
        size_t valueBegin = 0;  // the value's bytes in the text
        size_t valueEnd = 0;
    };
    struct Section {
        std::string name;
        int line = 0;          // of the header; 0 for the keys before the first header
        size_t bodyBegin = 0;  // where the line after the header begins in the text
        std::vector<Key> keys;
    };

    explicit ProfileText(std::string_view text);

    std::string Read(const std::string& section, const std::string& key, const std::string& fallback) override;

    // The section Read searches for `name` (the first of that name), or null.
    const Section* FindSection(std::string_view name) const;
    // The key Read finds, or null.
    const Key* FindKey(std::string_view section, std::string_view key) const;
    const std::vector<Section>& Sections() const { return sections_; }
    // The line break the text uses first ("\r\n" when it has none).
    const std::string& LineBreak() const { return lineBreak_; }

private:
    std::vector<Section> sections_;
    std::string lineBreak_ = "\r\n";
};
