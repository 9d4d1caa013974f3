#pragma once
// Registers the section addressed by currentSection for removal: copies TOVRADE.EXE from the start
// folder into the Windows folder and writes the section's uninstall entry.

#include <optional>
#include <string>
#include <vector>

// Why the section's entry would be refused (a value too long, a product name that cannot be a key,
// a ProductName that `registeredNames` holds already, case ignored), so that the section can be
// refused before any of its files is copied; nothing when it would be written or is not made at all.
std::optional<std::string> SectionEntryRefusal(const std::vector<std::string>& registeredNames);
// Writes the entry (and the uninstaller) with the section's install record; a refusal is shown as a
// failure. True when it was written.
bool RegisterSectionForUninstall();
// Before the section is installed again: what its entry's record names stays the section's, and a
// shared file it counted already is not counted twice.
void LoadSectionRecord();
// Writes the section's install record into its entry again, once its script has run.
void WriteSectionRecord();
