// The install record as the uninstaller reads it from the registry. Input lines: the install folder,
// then the record's strings, one a line.
//
// Beyond not crashing: a record read back is what the writer writes for it (the same items from the
// same strings), every path it holds is a full path, and a record the checks let through touches
// nothing in a protected folder or in the Windows folder but a counted shared file.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/AnsiText.h"
#include "framework/InstallRecord.h"
#include "FuzzInput.h"
#include "uninstaller/FolderRemoval.h"
#include "uninstaller/RecordCheck.h"

namespace {
const std::vector<std::string> kProtected = {"C:\\WINDOWS", "C:\\WINDOWS\\system32", "C:\\Program Files",
                                             "C:\\Users\\Reader", "C:\\Users\\Reader\\Desktop"};
const std::vector<std::string> kWindows = {"C:\\WINDOWS"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string folder = input.Line();
    std::vector<std::string> lines;
    while (!input.Empty())
        lines.push_back(input.Line());
    const std::optional<InstallRecord> record = ReadInstallRecord(StoredRecordForm(lines), folder);
    if (!record) return 0;
    for (const RecordItem& item : *record)
        FUZZ_CHECK(!item.path.empty());
    // Written back and read again, the record holds the same items.
    const std::optional<InstallRecord> again = ReadInstallRecord(WriteInstallRecord(*record, folder), folder);
    FUZZ_CHECK(again && again->Size() == record->Size());
    for (size_t i = 0; i < record->Size(); ++i) {
        FUZZ_CHECK(again->KindOf(i) == record->KindOf(i));
        FUZZ_CHECK(ansi::EqualsNoCase(again->PathOf(i), record->PathOf(i)));
    }
    if (RefusedRecordPath(*record, kProtected, kWindows)) return 0;
    for (const RecordItem& item : *record) {
        for (const std::string& guarded : kProtected) {
            FUZZ_CHECK(!IsSameOrInsideFolder(guarded, item.path));
        }
        if (item.kind == RecordKind::Folder || item.kind == RecordKind::File)
            FUZZ_CHECK(!IsSameOrInsideFolder(item.path, kWindows[0]));
    }
    return 0;
}
