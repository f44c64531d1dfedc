#include "lib/lookandfeel/vlControlCursors.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "lib/foundation/vlClasses.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "platform/win/Gdi.h"

using namespace win;

namespace {

// A picture being drawn: each pixel transparent, black or white.
enum TPixel : Byte { pxClear, pxBlack, pxWhite };

class TPixelGrid {
 public:
  explicit TPixelGrid(int ASize) : FSize(ASize), FPixels(size_t(ASize * ASize), pxClear) {}
  int Size() const { return FSize; }
  TPixel At(int X, int Y) const { return Inside(X, Y) ? FPixels[size_t(Y * FSize + X)] : pxClear; }
  void Set(int X, int Y, TPixel V) {
    if (Inside(X, Y)) FPixels[size_t(Y * FSize + X)] = V;
  }
  // Rows of text from (X, Y): 'X' black, 'o' white, anything else left as it is.
  void Stamp(int X, int Y, std::initializer_list<const char*> ARows) {
    for (const char* row : ARows) {
      for (int i = 0; row[i]; ++i)
        if (row[i] == 'X')
          Set(X + i, Y, pxBlack);
        else if (row[i] == 'o')
          Set(X + i, Y, pxWhite);
      ++Y;
    }
  }
  // A white box with a black frame.
  void Box(int L, int T, int R, int B) {
    for (int y = T; y <= B; ++y)
      for (int x = L; x <= R; ++x) Set(x, y, (x == L || x == R || y == T || y == B) ? pxBlack : pxWhite);
  }
  // A black disc of radius AR around (CX, CY), minus the disc of AHole.
  void Ring(double CX, double CY, double AR, double AHole = -1) {
    for (int y = 0; y < FSize; ++y)
      for (int x = 0; x < FSize; ++x) {
        const double d = std::hypot(x - CX, y - CY);
        if (d <= AR && d > AHole) Set(x, y, pxBlack);
      }
  }
  // A black line AWidth wide from (X1, Y1) to (X2, Y2).
  void Line(double X1, double Y1, double X2, double Y2, double AWidth) {
    const double dx = X2 - X1, dy = Y2 - Y1, len2 = dx * dx + dy * dy;
    for (int y = 0; y < FSize; ++y)
      for (int x = 0; x < FSize; ++x) {
        double t = len2 > 0 ? ((x - X1) * dx + (y - Y1) * dy) / len2 : 0;
        t = t < 0 ? 0 : t > 1 ? 1 : t;
        if (std::hypot(x - (X1 + t * dx), y - (Y1 + t * dy)) <= AWidth / 2) Set(x, y, pxBlack);
      }
  }
  // A filled black arrow head pointing in ADirection with its tip ADistance
  // pixels from (CX, CY), ADepth long and 2 * ADepth - 1 wide at its base.
  void ArrowHead(int CX, int CY, TvlDirection ADirection, int ADistance, int ADepth) {
    for (int i = 0; i < ADepth; ++i)
      for (int j = -i; j <= i; ++j) {
        const int along = ADistance - i;
        switch (ADirection) {
          case dirUp:
            Set(CX + j, CY - along, pxBlack);
            break;
          case dirDown:
            Set(CX + j, CY + along, pxBlack);
            break;
          case dirLeft:
            Set(CX - along, CY + j, pxBlack);
            break;
          case dirRight:
            Set(CX + along, CY + j, pxBlack);
            break;
          default:
            break;
        }
      }
  }
  // Every clear pixel beside a black one turns white, so that the shape
  // shows on dark and light backgrounds alike.
  void Outline() {
    std::vector<TPixel> before = FPixels;
    auto black = [&](int x, int y) { return Inside(x, y) && before[size_t(y * FSize + x)] == pxBlack; };
    for (int y = 0; y < FSize; ++y)
      for (int x = 0; x < FSize; ++x)
        if (At(x, y) == pxClear && (black(x - 1, y) || black(x + 1, y) || black(x, y - 1) || black(x, y + 1)))
          Set(x, y, pxWhite);
  }

 private:
  bool Inside(int X, int Y) const { return X >= 0 && Y >= 0 && X < FSize && Y < FSize; }
  int FSize;
  std::vector<TPixel> FPixels;
};

constexpr int CursorSize = 32, Middle = 15;

// The pointer every drag cursor starts from; the hot spot is its tip.
void DrawPointer(TPixelGrid& G, POINT& AHotSpot) {
  AHotSpot = POINT{0, 0};
  // clang-format off
  G.Stamp(0, 0, {"X",
                 "XX",
                 "XoX",
                 "XooX",
                 "XoooX",
                 "XooooX",
                 "XoooooX",
                 "XooooooX",
                 "XoooooooX",
                 "XooooooooX",
                 "XoooooXXXXX",
                 "XooXooX",
                 "XoX XooX",
                 "XX  XooX",
                 "X    XooX",
                 "     XooX",
                 "      XX"});
  // clang-format on
}

void DrawPlus(TPixelGrid& G, int CX, int CY) {
  for (int i = -2; i <= 2; ++i) {
    G.Set(CX + i, CY, pxBlack);
    G.Set(CX, CY + i, pxBlack);
  }
}

// The middle-button panning cursors: a dot with the arrows of the
// directions that can scroll (or of the direction scrolled).
struct TPanningCursor {
  TCursor Id;
  TvlDirection Arrows[4];  // dirNone: no arrow
};
const TPanningCursor PanningCursors[] = {
    {crvlFullScroll, {dirUp, dirRight, dirDown, dirLeft}},  // "VL_FULLSCROLLCURSOR"
    {crvlHorScroll, {dirLeft, dirRight}},                   // "VL_HORSCROLLCURSOR"
    {crvlVerScroll, {dirUp, dirDown}},                      // "VL_VERSCROLLCURSOR"
    {crvlUpScroll, {dirUp}},                                // "VL_UPSCROLLCURSOR"
    {crvlRightScroll, {dirRight}},                          // "VL_RIGHTSCROLLCURSOR"
    {crvlDownScroll, {dirDown}},                            // "VL_DOWNSCROLLCURSOR"
    {crvlLeftScroll, {dirLeft}},                            // "VL_LEFTSCROLLCURSOR"
};

void DrawPanning(TPixelGrid& G, const TPanningCursor& ACursor) {
  G.Ring(Middle, Middle, 2.2);
  for (TvlDirection d : ACursor.Arrows) G.ArrowHead(Middle, Middle, d, 11, 5);
  G.Outline();
}

// The drag cursors: the pointer with one page or a stack of two, with a
// plus when the drop copies.
struct TDragCursor {
  TCursor Id;
  bool Many, Copy;
};
const TDragCursor DragCursors[] = {
    {crvlDragCopy, false, true},      // "VL_DRAGCOPYCURSOR"
    {crvlDrag, false, false},         // "VL_DRAGCURSOR"
    {crvlMultiDrag, true, false},     // "VL_MULTIDRAGCURSOR"
    {crvlMultiDragCopy, true, true},  // "VL_MULTIDRAGCOPYCURSOR"
};

void DrawDragged(TPixelGrid& G, POINT& AHotSpot, const TDragCursor& ACursor) {
  DrawPointer(G, AHotSpot);
  if (ACursor.Many) G.Box(15, 21, 26, 29);
  G.Box(12, 18, 23, 26);
  if (ACursor.Copy) DrawPlus(G, 17, 22);
}

// A splitter being moved: two bars across the axis with arrows along it.
void DrawSizing(TPixelGrid& G, bool AVertical) {
  for (int i = 5; i <= 25; ++i)
    for (int bar : {Middle - 2, Middle + 2}) {
      if (AVertical)
        G.Set(i, bar, pxBlack);
      else
        G.Set(bar, i, pxBlack);
    }
  if (AVertical) {
    G.Line(Middle, Middle - 9, Middle, Middle - 3, 1);
    G.Line(Middle, Middle + 3, Middle, Middle + 9, 1);
    G.ArrowHead(Middle, Middle, dirUp, 12, 4);
    G.ArrowHead(Middle, Middle, dirDown, 12, 4);
  } else {
    G.Line(Middle - 9, Middle, Middle - 3, Middle, 1);
    G.Line(Middle + 3, Middle, Middle + 9, Middle, 1);
    G.ArrowHead(Middle, Middle, dirLeft, 12, 4);
    G.ArrowHead(Middle, Middle, dirRight, 12, 4);
  }
  G.Outline();
}

// Draws the cursor AId; false for an id that is not a library cursor. The
// hot spot is the middle unless the picture says otherwise.
bool DrawCursor(TCursor AId, TPixelGrid& G, POINT& AHotSpot) {
  AHotSpot = POINT{Middle, Middle};
  for (const TDragCursor& c : DragCursors)
    if (c.Id == AId) {
      DrawDragged(G, AHotSpot, c);
      return true;
    }
  for (const TPanningCursor& c : PanningCursors)
    if (c.Id == AId) {
      DrawPanning(G, c);
      return true;
    }
  switch (AId) {
    case crvlRemove:  // "VL_REMOVECURSOR": the pointer and a cross
      DrawPointer(G, AHotSpot);
      G.Line(13, 18, 22, 27, 2.5);
      G.Line(22, 18, 13, 27, 2.5);
      G.Outline();
      break;
    case crvlNoDrop:  // "VL_NODROPCURSOR": a barred circle
      G.Ring(Middle, Middle, 10, 7);
      G.Line(Middle - 5, Middle - 5, Middle + 5, Middle + 5, 3);
      G.Outline();
      break;
    case crvlVertSize:  // "VL_VERTSIZECURSOR"
      DrawSizing(G, true);
      break;
    case crvlHorzSize:  // "VL_HORZSIZECURSOR"
      DrawSizing(G, false);
      break;
    case crvlColorPicker:  // "VL_COLORPICKERCURSOR": a dropper whose tip is the hot spot
      G.Ring(24, 7, 4.5);
      G.Line(19, 12, 4, 27, 4.5);
      G.Line(2, 29, 4, 27, 1.5);
      for (int x = 6; x <= 17; ++x) G.Set(x, 31 - x, pxWhite);  // the glass inside the tube
      G.Outline();
      AHotSpot = POINT{1, 30};
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace

HCURSOR vlCreateLibraryCursor(TCursor AId) {
  TPixelGrid grid(CursorSize);
  POINT hot{};
  if (!DrawCursor(AId, grid, hot)) return nullptr;
  // The mask (AND) rows, then the image (XOR) rows: clear pixels keep the
  // screen, black ones are AND 0 / XOR 0, white ones AND 0 / XOR 1.
  constexpr int rowBytes = CursorSize / 8;
  BYTE bits[2 * CursorSize * rowBytes];
  std::memset(bits, 0, sizeof bits);
  for (int y = 0; y < CursorSize; ++y)
    for (int x = 0; x < CursorSize; ++x) {
      const BYTE bit = BYTE(0x80 >> (x & 7));
      const TPixel p = grid.At(x, y);
      if (p == pxClear) bits[y * rowBytes + x / 8] |= bit;
      if (p == pxWhite) bits[(CursorSize + y) * rowBytes + x / 8] |= bit;
    }
  ICONINFO info{};
  info.fIcon = FALSE;
  info.xHotspot = DWORD(hot.x);
  info.yHotspot = DWORD(hot.y);
  info.hbmMask = CreateBitmap(CursorSize, 2 * CursorSize, 1, 1, bits);
  HCURSOR cursor = CreateIconIndirect(&info);
  DeleteObject(info.hbmMask);
  return cursor;
}

HBITMAP vlCreateScrollIndicatorBitmap(Boolean AHorzBar, Boolean AVertBar) {
  constexpr int size = vlScrollIndicatorSize, middle = size / 2;
  TPixelGrid grid(size);
  grid.Ring(middle, middle, 2.2);
  if (AVertBar) {
    grid.ArrowHead(middle, middle, dirUp, middle - 3, 5);
    grid.ArrowHead(middle, middle, dirDown, middle - 4, 5);
  }
  if (AHorzBar) {
    grid.ArrowHead(middle, middle, dirLeft, middle - 3, 5);
    grid.ArrowHead(middle, middle, dirRight, middle - 4, 5);
  }
  // Black on white, a top-down 32-bit picture.
  std::vector<DWORD> pixels(size_t(size * size));
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      pixels[size_t(y * size + x)] = grid.At(x, y) == pxBlack ? 0x000000 : 0xFFFFFF;
  return CreateBitmap(size, size, 1, 32, pixels.data());
}
