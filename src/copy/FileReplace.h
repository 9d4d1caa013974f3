#pragma once
// The files of a section that could not be written over, and the message that names them and why.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "framework/FileOverwrite.h"

struct NotReplacedFile {
    std::string path;
    unsigned long error = 0;
};

// The existing files of one section that could not be replaced. Only the first few are kept: the
// message lists them and counts the rest.
class ReplaceFailures {
public:
    static constexpr size_t kListed = 5;

    void Add(const std::string& path, unsigned long error);
    void Clear();
    bool Empty() const { return count_ == 0; }
    size_t Count() const { return count_; }
    const std::vector<NotReplacedFile>& Listed() const { return listed_; }

private:
    std::vector<NotReplacedFile> listed_;
    size_t count_ = 0;
};

// `problemText` (the product's own words; left out when empty), then for each listed file the
// system's reason and the file, then how many more files failed.
std::string ReplaceFailureText(const std::string& problemText, const ReplaceFailures& failures,
                               const std::function<std::string(unsigned long)>& errorText);
