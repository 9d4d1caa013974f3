#pragma once
// Questions to the running system.

#include <optional>
#include <string>
#include <vector>

#include "framework/InstallRecord.h"
#include "framework/SystemFacts.h"

// The version the system reports (all zero when it does not answer).
OsVersion QueryOsVersion();
// Administrator test: the service control manager opens with read, write and execute access.
bool IsAdministrator();
// A product counts as installed when its uninstall entry (kUninstallKey + its name) can be opened.
bool IsProductInstalled(const std::string& productName);
// The UninstallString of the product's uninstall entry: nothing when there is no entry, empty when the
// entry has no readable string value of that name.
std::optional<std::string> InstalledUninstallString(const std::string& productName);

// The install record's value in the uninstall entry of `productName` (see InstallRecord.h): nothing
// when there is no entry or no such value; a value that is not a multi-string reads as one empty
// string, which no record begins with.
std::optional<std::string> ReadInstallRecordValue(const std::string& productName);
// Writes the record into the entry, which must exist, paths inside `installFolder` relative to it;
// false when it cannot.
bool WriteInstallRecordValue(const std::string& productName, const InstallRecord& record,
                             const std::string& installFolder);

// The use counts of shared files, one DWORD per full path below HKEY_LOCAL_MACHINE.
constexpr char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
// Raises the count of the file at `path` by one (a missing count counts as 0); false when it cannot.
bool RaiseSharedCount(const std::string& path);
// Lowers the count by one and deletes the value when it reaches 0: the count left, or nothing when
// the file had no count.
std::optional<unsigned long> ReleaseSharedCount(const std::string& path);

// Opens the run's log as a new file in `folder` (ending in a backslash): `fileName`, or when that name
// is taken, the next free of NumberedLogFileName's names. A name that exists, whatever it is (a file
// with content, a link planted there, a folder), is never opened, followed or overwritten; nor is a
// file that turns out not to be a plain file of its own. False when no name could be created: the
// log is then off.
bool OpenNewRunLog(const std::string& folder, const std::string& fileName);
