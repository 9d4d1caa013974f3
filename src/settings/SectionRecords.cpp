#include "settings/SectionRecords.h"

#include <array>

#include "settings/SetupSettings.h"

namespace {
std::array<InstallRecord, kMaxSections>& Records()
{
    static std::array<InstallRecord, kMaxSections> records;
    return records;
}
}  // namespace

InstallRecord& SectionRecord(int section)
{
    return Records()[section >= 0 && section < kMaxSections ? section : 0];
}

void RecordCreated(int section, RecordKind kind, const std::string& path, bool createdNow)
{
    if (createdNow || CreatedThisRun(path)) SectionRecord(section).Add(kind, path, createdNow);
}

bool CreatedThisRun(const std::string& path)
{
    for (const InstallRecord& record : Records())
        if (record.CreatedNow(path)) return true;
    return false;
}

void ClearSectionRecords()
{
    for (InstallRecord& record : Records())
        record = InstallRecord();
}
