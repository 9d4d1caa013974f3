#include "copy/FileReplace.h"

#include "framework/SafeFormat.h"

void ReplaceFailures::Add(const std::string& path, unsigned long error)
{
    if (listed_.size() < kListed) listed_.push_back({path, error});
    ++count_;
}

void ReplaceFailures::Clear()
{
    listed_.clear();
    count_ = 0;
}

std::string ReplaceFailureText(const std::string& problemText, const ReplaceFailures& failures,
                               const std::function<std::string(unsigned long)>& errorText)
{
    std::string text = problemText;
    for (const NotReplacedFile& file : failures.Listed()) {
        if (!text.empty()) text += "\n\n";
        text += FormatText("%s\nSetup can't replace \"%s\".", {errorText(file.error), file.path});
    }
    const size_t more = failures.Count() - failures.Listed().size();
    if (more > 0)
        text += FormatText("\n\nSetup can't replace %d more files either.", {static_cast<unsigned long>(more)});
    return text;
}
