// SZDD files as the CD checker inspects them: any bytes, never a read past the data, and a file
// called valid expands to exactly the size its header gives.

#include <cstdint>
#include <string_view>

#include "copy/Szdd.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const SzddInfo info = InspectSzdd(file);
    if (info.state == SzddState::NotCompressed) FUZZ_CHECK(info.expandedSize == 0);
    if (info.state == SzddState::Valid) FUZZ_CHECK(info.expandedSize == info.headerSize);
    // Each data byte yields at most 18 bytes: a back-reference of two bytes expands to 3 to 18.
    if (size > kSzddHeaderBytes) FUZZ_CHECK(info.expandedSize <= 9 * (size - kSzddHeaderBytes));
    return 0;
}
