#include "framework/InstallRecord.h"

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

std::string Key(RecordKind kind, const std::string& path)
{
    return KeyTag(kind) + ansi::ToUpper(path);
}

size_t KeyHash(const std::string& key)
{
    return std::hash<std::string>()(key);
}

bool IsFullPath(const std::string& path)
{
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\';
}
}  // namespace

std::optional<size_t> InstallRecord::Find(RecordKind kind, const std::string& path) const
{
    const std::string key = Key(kind, path);
    const auto range = keys_.equal_range(KeyHash(key));
    for (auto it = range.first; it != range.second; ++it) {
        const RecordItem& item = items_[it->second];
        if (Key(item.kind, item.path) == key) return it->second;
    }
    return std::nullopt;
}

void InstallRecord::Add(RecordKind kind, const std::string& path, bool createdNow)
{
    if (path.empty()) return;
    if (const std::optional<size_t> found = Find(kind, path)) {
        if (createdNow) createdNow_[*found] = true;
        if (kind == RecordKind::CreatedSharedFile && items_[*found].kind == RecordKind::SharedFile)
            items_[*found].kind = kind;
        return;
    }
    keys_.emplace(KeyHash(Key(kind, path)), items_.size());
    items_.push_back(RecordItem{kind, path});
    createdNow_.push_back(createdNow);
}

bool InstallRecord::Has(RecordKind kind, const std::string& path) const
{
    return Find(kind, path).has_value();
}

bool InstallRecord::Names(const std::string& path) const
{
    return Has(RecordKind::Folder, path) || Has(RecordKind::File, path) || Has(RecordKind::SharedFile, path);
}

bool InstallRecord::CreatedNow(const std::string& path) const
{
    for (RecordKind kind : {RecordKind::Folder, RecordKind::File, RecordKind::SharedFile}) {
        const std::optional<size_t> found = Find(kind, path);
        if (found && createdNow_[*found]) return true;
    }
    return false;
}

void InstallRecord::Merge(const InstallRecord& other)
{
    for (const RecordItem& item : other.items_)
        Add(item.kind, item.path);
}

std::vector<std::string> WriteInstallRecord(const InstallRecord& record, const std::string& installFolder)
{
    const std::string inside = AppendToFolder(installFolder, "");
    std::vector<std::string> stored{kRecordFormatName};
    stored.reserve(record.Items().size() + 1);
    for (const RecordItem& item : record.Items()) {
        const bool relative = item.path.size() > inside.size() && ansi::StartsWithNoCase(item.path, inside);
        stored.push_back(NameOf(item.kind) + (relative ? item.path.substr(inside.size()) : item.path));
    }
    return stored;
}

std::optional<InstallRecord> ReadInstallRecord(const std::vector<std::string>& stored, const std::string& installFolder)
{
    if (stored.empty() || stored[0] != kRecordFormatName) return std::nullopt;
    InstallRecord record;
    for (size_t i = 1; i < stored.size(); ++i) {
        const std::string& line = stored[i];
        const KindName* found = nullptr;
        for (const KindName& known : kKindNames)
            if (std::string_view(line).substr(0, std::string_view(known.name).size()) == known.name) found = &known;
        if (!found) return std::nullopt;
        const std::string path = line.substr(std::string_view(found->name).size());
        if (path.empty() || path[0] == '\\') return std::nullopt;
        for (const char c : path)
            if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
        record.Add(found->kind, IsFullPath(path) ? path : AppendToFolder(installFolder, path));
    }
    return record;
}
