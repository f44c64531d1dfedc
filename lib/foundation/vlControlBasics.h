// The few window and caption routines that the graphics helpers and the text
// layout engine need below the control layer (the window utilities of
// lib/lookandfeel offer them with the rest).
#pragma once

#include "platform/rtl/Geometry.h"
#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

class TWinControl;

// Removes accelerator markers: "&x" gives "x", "&&" gives "&"; a final single
// "&" becomes "_" with ATrailingToUnderscore and is dropped otherwise.
String vlStripAccelChars(const String& AText, Boolean ATrailingToUnderscore = false);
// GetClientRect / GetWindowRect; an empty rectangle on failure.
TRect vlGetWindowClientRect(win::HWND AWnd);
TRect vlGetWindowScreenRect(win::HWND AWnd);
// The window rectangle of the control (screen); empty when it has no handle.
TRect vlGetControlWindowRect(TWinControl* AControl);
