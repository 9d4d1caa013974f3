#pragma once
// The free-space query and the room check of the running installer.

#include <cstdint>

// Free bytes on the drive (letter in either case), in 64 bits; 0 when the drive cannot be read.
uint64_t GetDriveFreeBytes(char driveLetter);
// The room check over the global settings: one no-room message (template 106) per drive that lacks
// room, in letter order; true when every drive has room. Leaves currentSection at the last section.
bool CheckRoom();
