// The platform's button layout types: where a button's picture stands beside
// its caption, and how many pictures a glyph strip holds.
#pragma once

#include "platform/classes/TypInfo.h"

CL_ENUM(TButtonLayout, Byte, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)

// 1 to 4 pictures side by side in a glyph bitmap.
using TNumGlyphs = Integer;
