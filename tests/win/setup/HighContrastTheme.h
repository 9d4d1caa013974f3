#pragma once
// A test's own high-contrast theme.

#include <windows.h>

#include <optional>

#include "framework/DisplayWin.h"

// A high-contrast theme with colours of its own for as long as it lives, as the user would switch on.
// Where the system cannot switch the theme on (Wine), the programs are told that it is on.
class HighContrastTheme {
public:
    HighContrastTheme()
    {
        const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
        const COLORREF theme[] = {RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 255, 255), RGB(0, 0, 0)};
        for (int i = 0; i < 4; ++i)
            saved_[i] = ::GetSysColor(elements[i]);
        ::SetSysColors(4, elements, theme);
        HIGHCONTRASTW contrast{sizeof(contrast), HCF_HIGHCONTRASTON, nullptr};
        if (!::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0)) SetHighContrastAnswer(true);
    }
    ~HighContrastTheme()
    {
        const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
        ::SetSysColors(4, elements, saved_);
        HIGHCONTRASTW contrast{sizeof(contrast), 0, nullptr};
        ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0);
        SetHighContrastAnswer(std::nullopt);
    }

private:
    COLORREF saved_[4] = {};
};
