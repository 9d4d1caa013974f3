#pragma once
// Sizes and free space for the options dialog: the byte-count texts, the size column of a section
// row, and the room check. Counts are 64-bit so that drives and totals of 4 GiB and more neither
// wrap nor pass the check by accident; below 4 GiB the texts are those of the 32-bit original.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "framework/Formatters.h"
#include "settings/SetupSettings.h"

// The unit words of SETUP.TXT (Bytes, KBytes, MBytes), whatever they say.
SizeUnitTexts UnitsFrom(const SetupSettings& settings);

// A FileSize value as a byte count: a leading decimal integer; text without one, and a negative
// value, count 0.
uint64_t ReadFileSize(const std::string& fileSize);
// The size column of a section row: nothing for an empty FileSize.
std::string FormatSectionSize(const std::string& fileSize, const SizeUnitTexts& units);

// Free bytes on the drive with that letter (either case); 0 when they cannot be read.
using FreeSpaceQuery = std::function<uint64_t(char driveLetter)>;

// Drive index 0..25 of a DestDir's first character, or -1 when it is not a letter A-Z in either case.
int DriveIndexOf(const std::string& destDir);
// The bytes that the checked sections (InstallByDefault "TRUE") need on each drive A-Z. Sections whose
// DestDir does not begin with a drive letter have no drive to be counted under.
std::array<uint64_t, 26> RequiredBytesPerDrive(const SetupSettings& settings);
// Total FileSize of all checked sections, whatever their drive.
uint64_t RequiredBytesTotal(const SetupSettings& settings);

// The room check: for each drive from A to Z that receives checked sections and has fewer free bytes
// than they need, calls `reportNoRoom` with its upper-case letter. True when every drive has room.
// Leaves `currentSection` at the last section, as the options dialog expects.
bool CheckRoom(SetupSettings& settings, const FreeSpaceQuery& freeBytes,
               const std::function<void(char driveLetter)>& reportNoRoom);
