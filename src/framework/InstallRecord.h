#pragma once
// What setup made on the PC for one section, so that its removal takes exactly that: the folders it
// created, the files it wrote (in the install folder and elsewhere, shortcuts too) and the shared files
// whose use count it raised. Setup keeps it in the section's uninstall entry, where only administrators
// can write; the uninstaller reads it back as untrusted text.
//
// Stored form: a multi-string, one string per item, each ended by a NUL, the first the format's name:
//   "setup install record 1"
//   "folder <path>"          a folder setup created
//   "file <path>"            a file setup wrote (new or replacing one)
//   "shared <path>"          a shared file whose count in SharedDLLs setup raised; it was there before
//   "shared-created <path>"  the same, for a file this install put there
// A path inside the install folder is written relative to it ("Chapter 1\EXAMPLE1.TXT"); every other
// path is a full path.
//
// A book of many thousand files makes a record of as many items; the record holds each path once, in
// blocks of text that never move, and finds an item through a table of small indexes.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class RecordKind : unsigned char { Folder, File, SharedFile, CreatedSharedFile };

struct RecordItem {
    RecordKind kind = RecordKind::File;
    std::string path;  // full path
};

class InstallRecord {
public:
    // Adds the item unless it is there already (case ignored); a shared file recorded as created
    // stays so. `createdNow`: this run made the file or folder (kept apart from the stored form).
    void Add(RecordKind kind, std::string_view path, bool createdNow = false);
    bool Has(RecordKind kind, std::string_view path) const;
    // Whether the record names `path` in any of its kinds.
    bool Names(std::string_view path) const;
    // Whether an item for `path`, of any kind, was added as made by this run.
    bool CreatedNow(std::string_view path) const;
    void Merge(const InstallRecord& other);

    size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    // The items in the order they were added.
    RecordItem Item(size_t index) const;
    RecordKind KindOf(size_t index) const { return entries_[index].kind; }
    std::string_view PathOf(size_t index) const;
    class Iterator {
    public:
        Iterator(const InstallRecord& record, size_t index) : record_(&record), index_(index) {}
        RecordItem operator*() const { return record_->Item(index_); }
        Iterator& operator++()
        {
            ++index_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }

    private:
        const InstallRecord* record_;
        size_t index_;
    };
    Iterator begin() const { return Iterator(*this, 0); }
    Iterator end() const { return Iterator(*this, entries_.size()); }

private:
    struct Entry {
        uint32_t block;   // of blocks_
        uint32_t offset;  // in the block
        uint32_t size;
        uint32_t hash;  // of the key: kind's tag and the path in capitals
        RecordKind kind;
        bool createdNow;
    };
    // The index of the item with this kind's key and path, case ignored.
    std::optional<size_t> Find(RecordKind kind, std::string_view path) const;
    std::optional<size_t> Find(RecordKind kind, std::string_view path, uint32_t hash) const;
    void Store(std::string_view path, Entry& entry);
    void GrowTable();

    std::deque<Entry> entries_;
    // The paths' text, appended to the last block while it has room; a block never grows, so what
    // it holds stays where it is.
    std::vector<std::string> blocks_;
    // Open addressing: entry index + 1, 0 for a free slot; the size a power of two, at most half full.
    std::vector<uint32_t> slots_;
};
constexpr char kRecordFormatName[] = "setup install record 1";

// The stored form, paths inside `installFolder` relative to it, handed to `part` piece by piece (the
// format's name, each kind's name and path, the NULs), so that a caller can build another form of it
// without a copy of the whole.
void WriteInstallRecord(const InstallRecord& record, const std::string& installFolder,
                        const std::function<void(std::string_view part)>& part);
// The same in one string of the exact size.
std::string WriteInstallRecord(const InstallRecord& record, const std::string& installFolder);
// The stored form of these strings, one after the other.
std::string StoredRecordForm(const std::vector<std::string>& strings);

// The record a stored form holds, relative paths joined to `installFolder`. Nothing when the form is
// not one the writer makes: another format name, an unknown kind, an empty path, a relative path
// that begins with a backslash, a path with a character below a blank. The paths still have to pass
// the uninstaller's own rules before anything is done with them.
// The strings end at the first empty one, or at the end of `stored`.
std::optional<InstallRecord> ReadInstallRecord(std::string_view stored, const std::string& installFolder);
