#pragma once
// What setup made on the PC for one section, so that its removal takes exactly that: the folders it
// created, the files it wrote (in the install folder and elsewhere, shortcuts too) and the shared files
// whose use count it raised. Setup keeps it in the section's uninstall entry, where only administrators
// can write; the uninstaller reads it back as untrusted text.
//
// Stored form: one string per item (a multi-string value), the first the format's name:
//   "setup install record 1"
//   "folder <path>"          a folder setup created
//   "file <path>"            a file setup wrote (new or replacing one)
//   "shared <path>"          a shared file whose count in SharedDLLs setup raised; it was there before
//   "shared-created <path>"  the same, for a file this install put there
// A path inside the install folder is written relative to it ("Chapter 1\EXAMPLE1.TXT"); every other
// path is a full path.

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

enum class RecordKind { Folder, File, SharedFile, CreatedSharedFile };

struct RecordItem {
    RecordKind kind = RecordKind::File;
    std::string path;  // full path
};

class InstallRecord {
public:
    // Adds the item unless it is there already (case ignored); a shared file recorded as created
    // stays so. `createdNow`: this run made the file or folder (kept apart from the stored form).
    void Add(RecordKind kind, const std::string& path, bool createdNow = false);
    bool Has(RecordKind kind, const std::string& path) const;
    // Whether the record names `path` in any of its kinds.
    bool Names(const std::string& path) const;
    // Whether an item for `path`, of any kind, was added as made by this run.
    bool CreatedNow(const std::string& path) const;
    void Merge(const InstallRecord& other);
    const std::vector<RecordItem>& Items() const { return items_; }
    bool Empty() const { return items_.empty(); }

private:
    // The index of the item with this kind's key and path, case ignored.
    std::optional<size_t> Find(RecordKind kind, const std::string& path) const;

    std::vector<RecordItem> items_;
    std::vector<bool> createdNow_;  // by item
    // Item indexes by the hash of their key: a record of many thousand files holds each path once.
    std::unordered_multimap<size_t, size_t> keys_;
};

constexpr char kRecordFormatName[] = "setup install record 1";

// The stored form, paths inside `installFolder` relative to it.
std::vector<std::string> WriteInstallRecord(const InstallRecord& record, const std::string& installFolder);

// The record a stored form holds, relative paths joined to `installFolder`. Nothing when the form is
// not one the writer makes: another format name, an unknown kind, an empty path, a relative path
// that begins with a backslash, a path with a character below a blank. The paths still have to pass
// the uninstaller's own rules before anything is done with them.
std::optional<InstallRecord> ReadInstallRecord(const std::vector<std::string>& stored,
                                               const std::string& installFolder);
