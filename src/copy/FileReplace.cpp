#include "copy/FileReplace.h"

#include "framework/AnsiText.h"
#include "framework/SafeFormat.h"

void WriteFailures::Add(const std::string& path, unsigned long error, bool replacing, const std::string& pending)
{
    if (!pending.empty()) {
        inUse_.push_back({path, error, replacing, pending});
        return;
    }
    if (listed_.size() < kListed) listed_.push_back({path, error, replacing, std::string()});
    ++count_;
}

std::vector<FailedWrite> WriteFailures::TakeInUse()
{
    std::vector<FailedWrite> taken;
    taken.swap(inUse_);
    return taken;
}

void WriteFailures::Clear()
{
    listed_.clear();
    inUse_.clear();
    count_ = 0;
}

std::string BreakLongPath(const std::string& path, size_t lineChars)
{
    std::string out;
    size_t lineStart = 0;  // in `out`
    size_t lastBreak = 0;  // in `out`: just after the last backslash of this line, 0 when none
    for (size_t i = 0; i < path.size();) {
        const size_t next = ansi::NextChar(path, i);
        if (out.size() - lineStart + (next - i) > lineChars) {
            // Break after the line's last backslash; a name longer than a line is cut where it stands.
            const size_t at = lastBreak > lineStart ? lastBreak : out.size();
            out.insert(at, "\n");
            lineStart = at + 1;
            lastBreak = 0;
        }
        out.append(path, i, next - i);
        if (next == i + 1 && path[i] == '\\') lastBreak = out.size();
        i = next;
    }
    return out;
}

std::string WriteFailureText(const std::string& problemText, const WriteFailures& failures,
                             const std::function<std::string(unsigned long)>& errorText)
{
    std::string text = problemText;
    for (const FailedWrite& file : failures.Listed()) {
        if (!text.empty()) text += "\n\n";
        text += FormatText(file.replacing ? "%s\nSetup can't replace \"%s\"." : "%s\nSetup can't copy \"%s\".",
                           {errorText(file.error), BreakLongPath(file.path, kMessageLineChars)});
    }
    const size_t more = failures.Count() - failures.Listed().size();
    if (more > 0) text += FormatText("\n\nSetup can't write %d more files either.", {static_cast<unsigned long>(more)});
    return text;
}
