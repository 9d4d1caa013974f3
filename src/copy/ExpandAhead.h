#pragma once
// Compressed files expanded ahead of the copy: while the copy waits on the system to create and write
// one file, a second thread opens and expands the next ones into memory. This is the bookkeeping of
// that queue, without threads or files: the Win32 side holds it under its lock.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "copy/TreeCopy.h"

// A file expanded ahead: 0 and its whole expanded contents, or why it could not be expanded.
struct ExpandedFile {
    unsigned long error = 0;
    std::string bytes;
};

// The files the copy will expand, in the order it takes them. Only files up to kLargestSource bytes on
// the CD are expanded ahead (a larger one streams through the copy as before), and only while the files
// waiting in memory hold less than the budget.
class ExpansionQueue {
public:
    static constexpr unsigned long long kLargestSource = 256 * 1024;

    explicit ExpansionQueue(size_t budgetBytes) : budget_(budgetBytes) {}

    // A file the copy will come to after those added before it; `path` names it in full.
    void Add(std::string path, unsigned long long sourceSize);

    // For the expanding thread: the next file to expand, now in progress; nothing when no file waits
    // or the budget is spent.
    std::optional<std::string> StartNext();
    // The file in progress is expanded (or failed); kept for the copy unless the copy has passed it.
    void Finish(ExpandedFile result);

    enum class Take {
        Ready,       // `out` holds the file
        InProgress,  // being expanded: wait for Finish and take again
        Absent       // not expanded ahead (too large, not reached, not queued): the copy expands it itself
    };
    // The copy has come to `path`: the files queued before it were passed over and go. A file that has
    // not been started is taken out of the queue, so that the expanding thread never does it twice.
    Take TakeFile(const std::string& path, ExpandedFile& out);

    size_t Waiting() const { return entries_.size(); }
    size_t BytesHeld() const { return held_; }

private:
    enum class State { Queued, Large, InProgress, Done };
    struct Entry {
        std::string path;
        State state = State::Queued;
        ExpandedFile result;
    };

    size_t budget_;
    size_t held_ = 0;  // bytes of the expanded files waiting for the copy
    std::deque<Entry> entries_;
    // The file being expanded, once the copy has passed it: its result is dropped.
    bool inProgressPassed_ = false;
};

// An enumeration that reads a few entries ahead of the copy and tells `ahead` of each file as it reads
// it. It reads no further than the next folder entry until that one has been handed out: the copy goes
// down into the folder before it asks for more, so the files come to the queue in the copy's order.
class LookaheadEnumeration : public FolderEnumeration {
public:
    static constexpr size_t kEntriesAhead = 64;

    LookaheadEnumeration(std::unique_ptr<FolderEnumeration> inner, std::function<void(const FoundEntry&)> ahead)
        : inner_(std::move(inner)), ahead_(std::move(ahead))
    {
    }
    bool Next(FoundEntry& entry) override;

private:
    std::unique_ptr<FolderEnumeration> inner_;
    std::function<void(const FoundEntry&)> ahead_;
    std::deque<FoundEntry> read_;
    bool atFolder_ = false;  // the last entry read is a folder not yet handed out
    bool ended_ = false;
};
