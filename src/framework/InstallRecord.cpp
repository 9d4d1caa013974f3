#include "framework/InstallRecord.h"

#include <algorithm>
#include <string_view>

#include "framework/AnsiText.h"
#include "framework/PathText.h"

namespace {
struct KindName {
    RecordKind kind;
    const char* name;  // with the blank that follows it
};
constexpr KindName kKindNames[] = {{RecordKind::Folder, "folder "},
                                   {RecordKind::File, "file "},
                                   {RecordKind::SharedFile, "shared "},
                                   {RecordKind::CreatedSharedFile, "shared-created "}};

const char* NameOf(RecordKind kind)
{
    for (const KindName& known : kKindNames)
        if (known.kind == kind) return known.name;
    return "";
}

// Both shared kinds are one item: the file is either there before or not.
char KeyTag(RecordKind kind)
{
    return kind == RecordKind::Folder ? 'D' : kind == RecordKind::File ? 'F' : 'S';
}

uint32_t KeyHash(RecordKind kind, std::string_view path)
{
    const std::string key = KeyTag(kind) + ansi::ToUpper(path);
    const uint64_t hash = std::hash<std::string>()(key);
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

bool IsFullPath(std::string_view path)
{
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\';
}
}  // namespace

std::optional<size_t> InstallRecord::Find(RecordKind kind, std::string_view path) const
{
    return Find(kind, path, KeyHash(kind, path));
}

std::optional<size_t> InstallRecord::Find(RecordKind kind, std::string_view path, uint32_t hash) const
{
    if (slots_.empty()) return std::nullopt;
    const size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const uint32_t slot = slots_[at];
        if (slot == 0) return std::nullopt;
        const Entry& entry = entries_[slot - 1];
        if (entry.hash == hash && KeyTag(entry.kind) == KeyTag(kind) && entry.size == path.size() &&
            ansi::EqualsNoCase(PathOf(slot - 1), path))
            return slot - 1;
    }
}

void InstallRecord::Store(std::string_view path, Entry& entry)
{
    constexpr size_t kBlockSize = 64 * 1024;
    if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < path.size()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlockSize, path.size()));
    }
    std::string& block = blocks_.back();
    entry.block = static_cast<uint32_t>(blocks_.size() - 1);
    entry.offset = static_cast<uint32_t>(block.size());
    entry.size = static_cast<uint32_t>(path.size());
    block.append(path);
}

void InstallRecord::GrowTable()
{
    std::vector<uint32_t> slots(std::max<size_t>(64, slots_.size() * 2), 0);
    const size_t mask = slots.size() - 1;
    for (size_t index = 0; index < entries_.size(); ++index) {
        size_t at = entries_[index].hash & mask;
        while (slots[at] != 0)
            at = (at + 1) & mask;
        slots[at] = static_cast<uint32_t>(index + 1);
    }
    slots_.swap(slots);
}

void InstallRecord::Add(RecordKind kind, std::string_view path, bool createdNow)
{
    if (path.empty()) return;
    const uint32_t hash = KeyHash(kind, path);
    if (const std::optional<size_t> found = Find(kind, path, hash)) {
        Entry& entry = entries_[*found];
        if (createdNow) entry.createdNow = true;
        if (kind == RecordKind::CreatedSharedFile && entry.kind == RecordKind::SharedFile) entry.kind = kind;
        return;
    }
    Entry entry{0, 0, 0, hash, kind, createdNow};
    Store(path, entry);
    entries_.push_back(entry);
    if ((entries_.size() + 1) * 2 > slots_.size()) {
        GrowTable();  // places every entry, the new one too
        return;
    }
    const size_t mask = slots_.size() - 1;
    size_t at = hash & mask;
    while (slots_[at] != 0)
        at = (at + 1) & mask;
    slots_[at] = static_cast<uint32_t>(entries_.size());
}

std::string_view InstallRecord::PathOf(size_t index) const
{
    const Entry& entry = entries_[index];
    return std::string_view(blocks_[entry.block]).substr(entry.offset, entry.size);
}

RecordItem InstallRecord::Item(size_t index) const
{
    return RecordItem{entries_[index].kind, std::string(PathOf(index))};
}

bool InstallRecord::Has(RecordKind kind, std::string_view path) const
{
    return Find(kind, path).has_value();
}

bool InstallRecord::Names(std::string_view path) const
{
    return Has(RecordKind::Folder, path) || Has(RecordKind::File, path) || Has(RecordKind::SharedFile, path);
}

bool InstallRecord::CreatedNow(std::string_view path) const
{
    for (RecordKind kind : {RecordKind::Folder, RecordKind::File, RecordKind::SharedFile}) {
        const std::optional<size_t> found = Find(kind, path);
        if (found && entries_[*found].createdNow) return true;
    }
    return false;
}

void InstallRecord::Merge(const InstallRecord& other)
{
    for (size_t index = 0; index < other.Size(); ++index)
        Add(other.KindOf(index), other.PathOf(index));
}

void WriteInstallRecord(const InstallRecord& record, const std::string& installFolder,
                        const std::function<void(std::string_view part)>& part)
{
    constexpr std::string_view kEnd("", 1);  // the NUL after each string
    part(kRecordFormatName);
    part(kEnd);
    const std::string inside = AppendToFolder(installFolder, "");
    for (size_t index = 0; index < record.Size(); ++index) {
        const std::string_view path = record.PathOf(index);
        const bool relative = path.size() > inside.size() && ansi::StartsWithNoCase(path, inside);
        part(NameOf(record.KindOf(index)));
        part(relative ? path.substr(inside.size()) : path);
        part(kEnd);
    }
}

std::string WriteInstallRecord(const InstallRecord& record, const std::string& installFolder)
{
    size_t size = 0;
    WriteInstallRecord(record, installFolder, [&](std::string_view part) { size += part.size(); });
    std::string stored;
    stored.reserve(size);
    WriteInstallRecord(record, installFolder, [&](std::string_view part) { stored.append(part); });
    return stored;
}

std::string StoredRecordForm(const std::vector<std::string>& strings)
{
    std::string stored;
    for (const std::string& text : strings)
        stored.append(text).push_back('\0');
    return stored;
}

std::optional<InstallRecord> ReadInstallRecord(std::string_view stored, const std::string& installFolder)
{
    const auto next = [&](size_t& at) {
        const size_t end = std::min(stored.find('\0', at), stored.size());
        const std::string_view line = stored.substr(at, end - at);
        at = end + 1;
        return line;
    };
    size_t at = 0;
    if (stored.empty() || next(at) != kRecordFormatName) return std::nullopt;
    InstallRecord record;
    while (at < stored.size()) {
        const std::string_view line = next(at);
        if (line.empty()) break;  // the empty string ends the list
        const KindName* found = nullptr;
        for (const KindName& known : kKindNames)
            if (line.substr(0, std::string_view(known.name).size()) == known.name) found = &known;
        if (!found) return std::nullopt;
        const std::string_view path = line.substr(std::string_view(found->name).size());
        if (path.empty() || path[0] == '\\') return std::nullopt;
        for (const char c : path)
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
        if (IsFullPath(path))
            record.Add(found->kind, path);
        else
            record.Add(found->kind, AppendToFolder(installFolder, std::string(path)));
    }
    return record;
}
