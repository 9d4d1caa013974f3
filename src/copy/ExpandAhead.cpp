#include "copy/ExpandAhead.h"

void ExpansionQueue::Add(std::string path, unsigned long long sourceSize)
{
    entries_.push_back(Entry{std::move(path), sourceSize > kLargestSource ? State::Large : State::Queued, {}});
}

std::optional<std::string> ExpansionQueue::StartNext()
{
    // One file at a time, a passed one included.
    if (inProgressPassed_ || held_ >= budget_) return std::nullopt;
    Entry* next = nullptr;
    for (Entry& entry : entries_) {
        if (entry.state == State::InProgress) return std::nullopt;
        if (!next && entry.state == State::Queued) next = &entry;
    }
    if (!next) return std::nullopt;
    next->state = State::InProgress;
    return next->path;
}

void ExpansionQueue::Finish(ExpandedFile result)
{
    if (inProgressPassed_) {
        inProgressPassed_ = false;
        return;
    }
    for (Entry& entry : entries_) {
        if (entry.state != State::InProgress) continue;
        entry.state = State::Done;
        held_ += result.bytes.size();
        entry.result = std::move(result);
        return;
    }
}

ExpansionQueue::Take ExpansionQueue::TakeFile(const std::string& path, ExpandedFile& out)
{
    size_t at = 0;
    while (at < entries_.size() && entries_[at].path != path)
        ++at;
    if (at == entries_.size()) return Take::Absent;
    for (; at > 0; --at) {
        const Entry& passed = entries_.front();
        if (passed.state == State::InProgress) inProgressPassed_ = true;
        if (passed.state == State::Done) held_ -= passed.result.bytes.size();
        entries_.pop_front();
    }
    Entry& entry = entries_.front();
    if (entry.state == State::InProgress) return Take::InProgress;
    Take taken = Take::Absent;
    if (entry.state == State::Done) {
        held_ -= entry.result.bytes.size();
        out = std::move(entry.result);
        taken = Take::Ready;
    }
    entries_.pop_front();
    return taken;
}

bool LookaheadEnumeration::Next(FoundEntry& entry)
{
    while (!ended_ && !atFolder_ && read_.size() < kEntriesAhead) {
        FoundEntry found;
        if (!inner_->Next(found)) {
            ended_ = true;
            break;
        }
        if (found.isFolder)
            atFolder_ = true;
        else
            ahead_(found);
        read_.push_back(std::move(found));
    }
    if (read_.empty()) return false;
    entry = std::move(read_.front());
    read_.pop_front();
    // Reading stops at a folder, so a folder is the last entry read: from here on the copy is below it.
    if (entry.isFolder) atFolder_ = false;
    return true;
}
