#include "copy/Szdd.h"

namespace {
constexpr char kMagic[] = "SZDD\x88\xF0\x27\x33";
}  // namespace

SzddInfo InspectSzdd(std::string_view file)
{
    SzddInfo info;
    if (file.size() < kSzddHeaderBytes || file.substr(0, 8) != std::string_view(kMagic, 8)) return info;
    info.headerSize = static_cast<uint32_t>(static_cast<unsigned char>(file[10])) |
                      static_cast<uint32_t>(static_cast<unsigned char>(file[11])) << 8 |
                      static_cast<uint32_t>(static_cast<unsigned char>(file[12])) << 16 |
                      static_cast<uint32_t>(static_cast<unsigned char>(file[13])) << 24;
    info.state = SzddState::Damaged;
    if (file[8] != 'A') return info;

    // LZSS over a 4096-byte window of blanks, written from 16 bytes before its end: a flag byte, then
    // eight items, each a literal (flag bit 1) or a 12-bit position and a length of 3 to 18 (bit 0).
    // Only the length matters here, but a copy that reads past the data marks it damaged.
    size_t pos = kSzddHeaderBytes;
    uint64_t out = 0;
    bool truncated = false;
    while (pos < file.size() && !truncated) {
        const unsigned flags = static_cast<unsigned char>(file[pos++]);
        for (int bit = 0; bit < 8 && pos < file.size(); ++bit) {
            if (flags & (1u << bit)) {
                ++pos;
                ++out;
            } else {
                if (pos + 1 >= file.size()) {
                    truncated = true;
                    break;
                }
                out += (static_cast<unsigned char>(file[pos + 1]) & 0x0F) + 3;
                pos += 2;
            }
        }
    }
    info.expandedSize = out;
    if (!truncated && out == info.headerSize) info.state = SzddState::Valid;
    return info;
}
