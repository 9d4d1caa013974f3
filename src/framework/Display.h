#pragma once
// Sizes on screens of any pixel density. The dialogs' fixed pixel sizes are those of a screen of
// 96 dots per inch; on a denser screen every one of them grows in proportion.

constexpr int kDefaultDpi = 96;

// `pixels` at 96 dpi, on a screen of `dpi`: rounded to the nearest pixel, never below one pixel for a
// size of at least one (a line one pixel wide stays visible).
inline int ScaleForDpi(int pixels, int dpi)
{
    if (dpi <= 0 || dpi == kDefaultDpi) return pixels;
    const long long scaled =
        (static_cast<long long>(pixels) * dpi + (pixels >= 0 ? kDefaultDpi / 2 : -kDefaultDpi / 2)) / kDefaultDpi;
    if (pixels > 0 && scaled < 1) return 1;
    return static_cast<int>(scaled);
}
