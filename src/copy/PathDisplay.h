#pragma once
// A path fitted into a control's width for display, with "..." in its middle.

#include <windows.h>

#include <string>

// Measures in the display context of the control's window (the screen's when `control` is null) with
// that context's default font. A failed measurement shows the system's text for the error in a box
// captioned "GetLastError" and counts as fitting. Empty for a width below 10 pixels.
std::string CompactPathToWidth(const std::string& path, HWND control, int width);
