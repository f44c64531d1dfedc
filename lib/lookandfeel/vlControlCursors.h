// The pictures of the control base, drawn here as pixel data: the library
// cursors that the unit "vlControls" registers with the screen, and the
// indicator of middle-button panning.
#pragma once

#include "lib/foundation/vlClasses.h"
#include "platform/vcl/Controls.h"
#include "platform/win/WinTypes.h"

// A new 32 x 32 monochrome cursor (the caller owns it) for one of the
// library cursors crvlDragCopy ... crvlMultiDragCopy of vlControlServices.h;
// nil for any other id (the hand, -2099, is the system's own).
win::HCURSOR vlCreateLibraryCursor(TCursor AId);

// The size of the panning indicator's bitmaps.
constexpr Integer vlScrollIndicatorSize = 28;

// A new bitmap of the panning indicator (the caller owns it): a white disc
// with the arrows of the directions that can scroll and a dot in the
// middle; both bars (the picture "VL_FULLSCROLLBITMAP"), only the vertical
// one ("VL_VERSCROLLBITMAP") or only the horizontal one ("VL_HORSCROLLBITMAP").
win::HBITMAP vlCreateScrollIndicatorBitmap(Boolean AHorzBar, Boolean AVertBar);
