// Internals shared by the text sources of platform/win (GdiText.cpp and
// DrawText.cpp).
#pragma once

#include "platform/win/WinTypes.h"

namespace win::text {

// Draws the one-pixel accelerator underline from x0 to x1 (exclusive) on the
// row y, in logical coordinates, in the DC's text colour; clipped to clip
// when given, and to the DC's clipping.
void DrawUnderscore(HDC hdc, int x0, int x1, int y, const RECT* clip);

}  // namespace win::text
