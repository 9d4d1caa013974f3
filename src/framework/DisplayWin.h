#pragma once
// What the screen under a window is like: its pixel density and whether a high-contrast theme is on.

#include <windows.h>

#include <optional>

#include "framework/Display.h"
#include "framework/Handles.h"

// Sent by systems that show windows at the density of each monitor (8.1 and later), which the
// headers for the oldest supported system leave out.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

// The dots per inch of the monitor that shows `hwnd` (the system's, where the system cannot tell per
// window; 96 when nothing answers). A program that declares itself aware of the density gets the
// real value; others get 96 and are scaled by the system.
int WindowDpi(HWND hwnd);

// True while the user has a high-contrast theme on: everything is then drawn in the system's colours.
bool HighContrastOn();
// What HighContrastOn() answers instead of asking the system (nothing: ask it again), for a test on a
// system that cannot switch the theme on.
void SetHighContrastAnswer(std::optional<bool> answer);

// A copy of `source` scaled to `width` × `height` pixels, pixel by pixel (no blending, so that a
// colour key such as a mask colour keeps its exact value); nothing when it cannot be made.
UniqueGdiObject ScaledBitmap(HBITMAP source, int width, int height);
