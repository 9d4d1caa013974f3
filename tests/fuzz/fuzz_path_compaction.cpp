// Fitting a path into a field's width with "..." in its middle, measured by a fake whose character
// widths (and whether and when it fails) come from the input. Input lines: the field width, the
// width of each character class, the measurement that fails (0: none), then the path.

#include <cstdint>
#include <optional>
#include <string>

#include "framework/PathCompaction.h"
#include "framework/PathText.h"
#include "FuzzInput.h"

namespace {

class FakeMeasurer : public TextMeasurer {
public:
    std::string widths;  // the width of byte c is widths[c % size] - '0', or 1
    long long failAt = 0;
    long long calls = 0;

    std::optional<int> Width(const std::string& text) override
    {
        if (++calls == failAt) return std::nullopt;
        FUZZ_CHECK(calls < 10000);
        int total = 0;
        for (unsigned char c : text)
            total += widths.empty() ? 1 : (static_cast<unsigned char>(widths[c % widths.size()]) % 16);
        return total;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const int width = static_cast<int>(input.Number(-100000, 100000));
    FakeMeasurer measurer;
    measurer.widths = input.Line();
    measurer.failAt = input.Number(0, 1000000);
    const std::string path = input.Rest();

    const std::string shown = CompactPathToWidth(path, width, measurer);
    if (width < kMinCompactWidth || path.empty()) FUZZ_CHECK(shown.empty());
    FUZZ_CHECK(shown.size() <= kMaxPathChars && shown.size() <= path.size());
    if (!shown.empty() && path.compare(0, shown.size(), shown) != 0) {
        // Shortened: dots stand where characters were taken out (fewer than three only for a path of
        // one or two characters).
        FUZZ_CHECK(shown.find(path.size() > 2 ? "..." : ".") != std::string::npos);
    }
    if (measurer.failAt == 0 && !shown.empty()) {
        // Measured throughout: what is shown fits, unless nothing but the dots is left.
        FakeMeasurer check;
        check.widths = measurer.widths;
        const int shownWidth = *check.Width(shown);
        FUZZ_CHECK(shownWidth <= width || shown.size() <= 3);
    }
    return 0;
}
