#pragma once
// The CD checker for authors: reads a CD folder the way setup does (SETUP.INI and SETUP.TXT with the
// profile functions' rules, the sections' folders, the scripts) and reports what would go wrong on a
// reader's PC, each finding with its file and line. Portable: it runs on the author's machine.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct Finding {
    std::string file;  // relative to the CD folder, with forward slashes
    int line = 0;      // from 1; 0 when the finding is about the file as a whole
    std::string message;
};

enum class CdStatus { Clean = 0, Findings = 1, Unreadable = 2 };

struct CdReport {
    CdStatus status = CdStatus::Clean;
    std::string error;  // why the folder could not be read
    std::vector<Finding> findings;
};

CdReport CheckCd(const std::filesystem::path& root);

struct SizeFix {
    int line = 0;
    std::string from;  // the value written before
    std::string to;
};

struct SizeFixReport {
    CdStatus status = CdStatus::Clean;  // Unreadable when SETUP.INI could not be read or written
    std::string error;
    std::vector<SizeFix> fixes;
};

// Writes into SETUP.INI, for every section whose folder exists, the FileSize that its files take once
// installed (at least the smallest size setup accepts). Nothing else in the file changes; a section
// without FileSize gets the line right after its header.
SizeFixReport FixFileSizes(const std::filesystem::path& root);

// A value of the CD's SETUP.INI as setup reads it ("Error" when it is not set); nothing when the
// file cannot be read. For scripts that lay out a CD.
std::optional<std::string> ReadSetupIniValue(const std::filesystem::path& root, const std::string& section,
                                             const std::string& key);

// "DIR/FILE:LINE: message", or "DIR/FILE: message" for line 0.
std::string FormatFinding(const std::string& root, const Finding& finding);
