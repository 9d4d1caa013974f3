#include "settings/SectionRecords.h"

#include <array>
#include <unordered_set>

#include "framework/AnsiText.h"
#include "settings/SetupSettings.h"

namespace {
std::array<InstallRecord, kMaxSections>& Records()
{
    static std::array<InstallRecord, kMaxSections> records;
    return records;
}

std::unordered_set<std::string>& Created()
{
    static std::unordered_set<std::string> created;
    return created;
}
}  // namespace

InstallRecord& SectionRecord(int section)
{
    return Records()[section >= 0 && section < kMaxSections ? section : 0];
}

void RecordCreated(int section, RecordKind kind, const std::string& path, bool createdNow)
{
    if (createdNow) NoteCreatedThisRun(path);
    if (createdNow || CreatedThisRun(path)) SectionRecord(section).Add(kind, path);
}

void NoteCreatedThisRun(const std::string& path)
{
    Created().insert(ansi::ToUpper(path));
}

bool CreatedThisRun(const std::string& path)
{
    return Created().count(ansi::ToUpper(path)) != 0;
}

void ClearSectionRecords()
{
    for (InstallRecord& record : Records())
        record = InstallRecord();
    Created().clear();
}
