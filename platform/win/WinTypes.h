// Basic types of the Win32-shaped graphics and window API: colours,
// rectangles, points and sizes, and the handle types.
//
// The integer types and HANDLE come from platform/classes/WinHandles.h, which
// starts namespace win below this layer. Every GDI handle kind is a distinct
// opaque pointer type, so that passing a pen where a brush is asked does not
// compile; HGDIOBJ is untyped and takes any of them.
#pragma once

#include "platform/rtl/Geometry.h"

#include "platform/classes/WinHandles.h"

namespace win {

using INT = int32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using UCHAR = uint8_t;
using CHAR = char;
using FLOAT = float;
using LONG_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using INT_PTR = intptr_t;
using LPVOID = void*;
using LPCVOID = const void*;
using LPINT = INT*;
using LPSTR = char*;
using LPCSTR = const char*;
using COLORREF = DWORD;
using LPCOLORREF = COLORREF*;
using COLOR16 = USHORT;

#define CL_WIN_DECLARE_HANDLE(Name) \
  struct Name##__;                  \
  using Name = Name##__*

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

using HGDIOBJ = void*;
CL_WIN_DECLARE_HANDLE(HDC);
CL_WIN_DECLARE_HANDLE(HBITMAP);
CL_WIN_DECLARE_HANDLE(HBRUSH);
CL_WIN_DECLARE_HANDLE(HPEN);
CL_WIN_DECLARE_HANDLE(HFONT);
CL_WIN_DECLARE_HANDLE(HRGN);
CL_WIN_DECLARE_HANDLE(HPALETTE);
CL_WIN_DECLARE_HANDLE(HICON);
CL_WIN_DECLARE_HANDLE(HWND);
CL_WIN_DECLARE_HANDLE(HIMAGELIST);
using HCURSOR = HICON;

#undef CL_WIN_DECLARE_HANDLE

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }
constexpr COLORREF PALETTEINDEX(WORD i) { return 0x01000000u | i; }
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) { return 0x02000000u | RGB(r, g, b); }

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// POINT, SIZE and RECT are the run-time library's TPoint, TSize and TRect,
// which carry both field spellings (rc.left and R.Left).
using POINT = ::TPoint;
using LPPOINT = POINT*;
struct POINTS {
  SHORT x{};
  SHORT y{};
};
using SIZE = ::TSize;
using LPSIZE = SIZE*;
using RECT = ::TRect;
using LPRECT = RECT*;
using LPCRECT = const RECT*;

}  // namespace win
