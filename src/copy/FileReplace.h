#pragma once
// The files of a section that could not be written, and the message that names them and why.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "framework/FileOverwrite.h"

struct FailedWrite {
    std::string path;
    unsigned long error = 0;
    bool replacing = false;  // an existing file stayed in place
    std::string pending;     // the new content kept aside while the old file is in use
};

// The files of one section that could not be written. Only the first few are kept: the message
// lists them and counts the rest.
class WriteFailures {
public:
    static constexpr size_t kListed = 5;

    // A file with `pending` content is kept apart, every one of them (see TakeInUse), and not counted.
    void Add(const std::string& path, unsigned long error, bool replacing, const std::string& pending = {});
    // The files in use whose new content waits beside them; the list is empty afterwards.
    std::vector<FailedWrite> TakeInUse();
    void Clear();
    bool Empty() const { return count_ == 0; }
    size_t Count() const { return count_; }
    const std::vector<FailedWrite>& Listed() const { return listed_; }

private:
    std::vector<FailedWrite> listed_;
    std::vector<FailedWrite> inUse_;
    size_t count_ = 0;
};

// A message box breaks its lines only at blanks: a long path is broken after a backslash (a name
// longer than a line where it stands) so that no line is longer than `lineChars` characters.
std::string BreakLongPath(const std::string& path, size_t lineChars);
constexpr size_t kMessageLineChars = 80;

// `problemText` (the product's own words; left out when empty), then for each listed file the
// system's reason and the file ("Setup can't replace" an existing file, "can't copy" a new one),
// then how many more files failed. Long paths are broken into lines of kMessageLineChars.
std::string WriteFailureText(const std::string& problemText, const WriteFailures& failures,
                             const std::function<std::string(unsigned long)>& errorText);
