#pragma once
// Writing a file over one that may already be there. The system refuses to write over a read-only
// file, and over a hidden or system one unless the writer names those attributes too, so they are
// cleared first and put back when the write still fails: the old file then stays exactly as it was.

#include <functional>
#include <optional>
#include <string>

// Attribute bits, as the platform numbers them.
constexpr unsigned kAttributeReadOnly = 0x01;
constexpr unsigned kAttributeHidden = 0x02;
constexpr unsigned kAttributeSystem = 0x04;
constexpr unsigned kAttributeDirectory = 0x10;
constexpr unsigned kAttributeArchive = 0x20;
constexpr unsigned kAttributeNormal = 0x80;

// A write's result: 0, or the system's error code, or this when the failure has no system reason
// (a path the expansion library cannot take, a damaged compressed file).
constexpr unsigned long kFailedWithoutReason = 0xFFFFFFFFul;

class FileAttributeAccess {
public:
    virtual ~FileAttributeAccess() = default;
    // Nothing when the path cannot be asked about (it does not exist).
    virtual std::optional<unsigned> GetAttributes(const std::string& path) = 0;
    virtual void SetAttributes(const std::string& path, unsigned attributes) = 0;
};

struct WriteOutcome {
    unsigned long error = 0;  // what `write` returned
    bool replacing = false;   // something was at the path before
};

// Runs `write`, which writes the file at `path` and returns 0 or why it failed, with read-only,
// hidden and system cleared from an existing file at `path` for the time of the write.
WriteOutcome WriteOverExisting(const std::string& path, FileAttributeAccess& files,
                               const std::function<unsigned long()>& write);
