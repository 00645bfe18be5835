#pragma once

// Pixels at the display scaling of a window's monitor. The layout is drawn
// for 96 dots per inch; the program declares itself aware of each monitor's
// scaling, so Windows leaves the scaling, and sharp text, to it.

#include <windows.h>

namespace kelvandor::win32 {

inline constexpr int kDefaultDpi = 96;

// The dots per inch of the monitor showing `window` (the system's where
// Windows cannot tell them per window).
int DpiOf(HWND window);

inline int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, kDefaultDpi); }

// The window rectangle around the client rectangle `client`.
RECT OuterRect(RECT client, DWORD style, DWORD ex_style, int dpi);

}  // namespace kelvandor::win32
