// Points, sizes and rectangles.
//
// The platform's records are spelled two ways in the code we translate: the
// framework writes R.Left and P.X, the operating system's structures rc.left
// and pt.x (the original language does not tell case apart). Each field is
// therefore one storage with both spellings, and the window layer's POINT,
// SIZE and RECT are these same types.
#pragma once

#include "platform/rtl/Types.h"

struct TPoint {
  union { Integer X{}; Integer x; };
  union { Integer Y{}; Integer y; };
};

struct TSize {
  union { Integer cx{}; Integer Width; };
  union { Integer cy{}; Integer Height; };
};

// Half-open: Right and Bottom are outside.
struct TRect {
  union { Integer Left{}; Integer left; };
  union { Integer Top{}; Integer top; };
  union { Integer Right{}; Integer right; };
  union { Integer Bottom{}; Integer bottom; };

  Integer Width() const { return Right - Left; }
  Integer Height() const { return Bottom - Top; }
  TPoint TopLeft() const { return TPoint{Left, Top}; }
  TPoint BottomRight() const { return TPoint{Right, Bottom}; }
};

inline bool operator==(const TPoint& a, const TPoint& b) { return a.X == b.X && a.Y == b.Y; }
inline bool operator==(const TSize& a, const TSize& b) { return a.cx == b.cx && a.cy == b.cy; }
inline bool operator==(const TRect& a, const TRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

inline TPoint Point(Integer AX, Integer AY) { return TPoint{AX, AY}; }
inline TSize Size(Integer ACx, Integer ACy) { return TSize{ACx, ACy}; }
inline TRect Rect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) {
  return TRect{ALeft, ATop, ARight, ABottom};
}
inline TRect Rect(const TPoint& ATopLeft, const TPoint& ABottomRight) {
  return TRect{ATopLeft.X, ATopLeft.Y, ABottomRight.X, ABottomRight.Y};
}
inline TRect Bounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  return TRect{ALeft, ATop, ALeft + AWidth, ATop + AHeight};
}
