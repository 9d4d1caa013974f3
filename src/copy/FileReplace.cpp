#include "copy/FileReplace.h"

#include "framework/SafeFormat.h"

void WriteFailures::Add(const std::string& path, unsigned long error, bool replacing)
{
    if (listed_.size() < kListed) listed_.push_back({path, error, replacing});
    ++count_;
}

void WriteFailures::Clear()
{
    listed_.clear();
    count_ = 0;
}

std::string WriteFailureText(const std::string& problemText, const WriteFailures& failures,
                             const std::function<std::string(unsigned long)>& errorText)
{
    std::string text = problemText;
    for (const FailedWrite& file : failures.Listed()) {
        if (!text.empty()) text += "\n\n";
        text += FormatText(file.replacing ? "%s\nSetup can't replace \"%s\"." : "%s\nSetup can't copy \"%s\".",
                           {errorText(file.error), file.path});
    }
    const size_t more = failures.Count() - failures.Listed().size();
    if (more > 0) text += FormatText("\n\nSetup can't write %d more files either.", {static_cast<unsigned long>(more)});
    return text;
}
