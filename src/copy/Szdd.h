#pragma once
// SZDD-compressed files, as the system's LZ library expands them: the header and the expanded size,
// checked by expanding the data, without writing anything.

#include <cstdint>
#include <string_view>

enum class SzddState {
    NotCompressed,  // no SZDD header: the LZ library copies such a file as it is
    Valid,
    Damaged  // a header, but method other than 'A' or data that do not expand to the size it gives
};

struct SzddInfo {
    SzddState state = SzddState::NotCompressed;
    uint32_t headerSize = 0;    // the expanded size the header gives
    uint64_t expandedSize = 0;  // what the data really expand to
};

constexpr size_t kSzddHeaderBytes = 14;

SzddInfo InspectSzdd(std::string_view file);
