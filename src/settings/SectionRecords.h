#pragma once
// The install records of this run, one per section (see InstallRecord.h), and what the run created.
// A folder or file that one section of the run created is the book's, not the user's, for every
// later section that meets it: its record names it as created too, so that whichever section of the
// book is removed last takes it.

#include <string>

#include "framework/InstallRecord.h"

// The record of section `section` (0 to kMaxSections - 1).
InstallRecord& SectionRecord(int section);
// Notes that the current run met the folder or file at `path` for `section`: `createdNow` when it has
// just created it. Recorded for the section when this run created it, now or for any section.
void RecordCreated(int section, RecordKind kind, const std::string& path, bool createdNow);
// Whether this run created the folder or file at `path`: a record of this run holds it as made now
// (InstallRecord::Add's `createdNow`).
bool CreatedThisRun(const std::string& path);
// Forgets every record and everything created (tests).
void ClearSectionRecords();
