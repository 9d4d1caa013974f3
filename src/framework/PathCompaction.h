#pragma once
// Fitting a path into a field of a given pixel width by putting "..." in its middle.

#include <optional>
#include <string>

// Measures text in pixels as it would be drawn in the field.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // The width of the text, or nothing when it cannot be measured (the measurer reports that itself).
    virtual std::optional<int> Width(const std::string& text) = 0;
};

constexpr int kMinCompactWidth = 10;  // narrower fields show nothing

// The path unchanged when it fits; otherwise its middle three characters become "..." and then one
// character on each side of the first "..." goes per pass until it fits or nothing is left to remove.
// Empty for an empty path or a width below kMinCompactWidth. A failed measurement counts as fitting.
// Paths are held in 259 characters, as everywhere else; a longer one is cut first.
std::string CompactPathToWidth(const std::string& path, int width, TextMeasurer& measurer);
