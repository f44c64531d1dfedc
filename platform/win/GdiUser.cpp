// The user32 drawing helpers (DrawEdge, DrawFocusRect, DrawFrameControl)
// and icons (CreateIconIndirect, GetIconInfo, DrawIconEx).
#include <algorithm>
#include <cstring>

#include "platform/win/GdiRaster.h"
#include "platform/win/SysMetrics.h"

namespace win::gdi {

namespace {

constexpr DWORD OBJ_ICON_INTERNAL = 0x100;  // icons are not GDI objects: GetObjectType answers 0

struct TIconObj : TGdiObject {
  bool IsIcon = true;
  DWORD HotX = 0, HotY = 0;
  HBITMAP Color = nullptr;  // owned copies
  HBITMAP Mask = nullptr;
  bool Shared = false;
  const uint8_t* Source = nullptr;  // the resource it was loaded from
  size_t SourceSize = 0;
  ~TIconObj() override {
    if (Color) DeleteObject(Color);
    if (Mask) DeleteObject(Mask);
  }
};

TIconObj* LookupIcon(HICON h) { return static_cast<TIconObj*>(Lookup(h, OBJ_ICON_INTERNAL)); }

HBITMAP CopyBitmap(HBITMAP src) {
  TBitmapObj* b = LookupBitmap(src);
  if (!b) return nullptr;
  HBITMAP copy =
      b->IsMono() ? CreateBitmap(b->Width, b->Height, 1, 1, nullptr) : NewDib32(b->Width, b->Height);
  TBitmapObj* c = LookupBitmap(copy);
  if (!c) return nullptr;
  TSurface s = BitmapSurface(b), d = BitmapSurface(c, false);
  for (int y = 0; y < b->Height; ++y) std::memcpy(d.Row(y), s.Row(y), size_t(b->Width) * 4);
  BitmapCommit(c);
  return copy;
}

void FillSolid(HDC hdc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(hdc, &r, b);
  DeleteObject(b);
}

void HLine(HDC hdc, int x0, int x1, int y, COLORREF c) { FillSolid(hdc, RECT{x0, y, x1, y + 1}, c); }
void VLine(HDC hdc, int x, int y0, int y1, COLORREF c) { FillSolid(hdc, RECT{x, y0, x + 1, y1}, c); }

// One border line of DrawEdge: top-left colour, bottom-right colour.
void EdgeRing(HDC hdc, RECT& r, UINT flags, COLORREF tl, COLORREF br) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  if (flags & BF_TOP) HLine(hdc, r.left, r.right - ((flags & BF_RIGHT) ? 1 : 0), r.top, tl);
  if (flags & BF_LEFT) VLine(hdc, r.left, r.top, r.bottom - ((flags & BF_BOTTOM) ? 1 : 0), tl);
  if (flags & BF_BOTTOM) HLine(hdc, r.left, r.right, r.bottom - 1, br);
  if (flags & BF_RIGHT) VLine(hdc, r.right - 1, r.top, r.bottom, br);
  if (flags & BF_LEFT) ++r.left;
  if (flags & BF_TOP) ++r.top;
  if (flags & BF_RIGHT) --r.right;
  if (flags & BF_BOTTOM) --r.bottom;
}

// Draws a glyph given as rows of '#' centred in r.
void Glyph(HDC hdc, const RECT& r, const char* const* rows, int n, COLORREF c, int dx = 0, int dy = 0) {
  int w = int(std::strlen(rows[0]));
  int x0 = r.left + (r.right - r.left - w) / 2 + dx, y0 = r.top + (r.bottom - r.top - n) / 2 + dy;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < w; ++x)
      if (rows[y][x] == '#') SetPixelV(hdc, x0 + x, y0 + y, c);
}

void Arrow(HDC hdc, const RECT& r, UINT kind, COLORREF c, int dx, int dy) {
  int size = std::max(1, (std::min(r.right - r.left, r.bottom - r.top) + 1) / 4);  // arrow height
  int cx = r.left + (r.right - r.left) / 2 + dx, cy = r.top + (r.bottom - r.top) / 2 + dy;
  for (int i = 0; i < size; ++i) {
    switch (kind) {
      case DFCS_SCROLLUP: HLine(hdc, cx - i, cx + i + 1, cy - size / 2 + i, c); break;
      case DFCS_SCROLLDOWN:
      case DFCS_SCROLLCOMBOBOX: HLine(hdc, cx - (size - 1 - i), cx + (size - 1 - i) + 1, cy - size / 2 + i, c); break;
      case DFCS_SCROLLLEFT: VLine(hdc, cx - size / 2 + i, cy - i, cy + i + 1, c); break;
      case DFCS_SCROLLRIGHT: VLine(hdc, cx - size / 2 + i, cy - (size - 1 - i), cy + (size - 1 - i) + 1, c); break;
      default: break;
    }
  }
}

const char* const CheckGlyph[7] = {"......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#...."};

}  // namespace

}  // namespace win::gdi

namespace win {

using namespace gdi;

BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT flags) {
  if (!LookupDC(hdc) || !qrc) return 0;
  RECT r = *qrc;
  if (flags & BF_DIAGONAL) {
    // a diagonal line across the rectangle in the outer edge's dark colour
    COLORREF c = GetSysColor((edge & BDR_SUNKENOUTER) ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW);
    HPEN pen = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ old = SelectObject(hdc, pen);
    bool endRight = flags & BF_RIGHT;
    bool endTop = flags & BF_TOP;
    MoveToEx(hdc, endRight ? r.left : r.right - 1, endTop ? r.bottom - 1 : r.top, nullptr);
    LineTo(hdc, endRight ? r.right : r.left - 1, endTop ? r.top - 1 : r.bottom);
    SelectObject(hdc, old);
    DeleteObject(pen);
    return 1;
  }
  UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
  COLORREF otl = 0, obr = 0, itl = 0, ibr = 0;
  bool soft = flags & BF_SOFT;
  if (flags & BF_MONO) {
    otl = obr = GetSysColor(COLOR_WINDOWFRAME);
    itl = ibr = GetSysColor(COLOR_WINDOW);
  } else if (flags & BF_FLAT) {
    otl = obr = GetSysColor(COLOR_BTNSHADOW);
    itl = ibr = GetSysColor(COLOR_BTNFACE);
  } else {
    if (outer == BDR_RAISEDOUTER) {
      otl = GetSysColor(soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT);
      obr = GetSysColor(COLOR_3DDKSHADOW);
    } else if (outer == BDR_SUNKENOUTER) {
      otl = GetSysColor(soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW);
      obr = GetSysColor(COLOR_BTNHIGHLIGHT);
    }
    if (inner == BDR_RAISEDINNER) {
      itl = GetSysColor(soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT);
      ibr = GetSysColor(COLOR_BTNSHADOW);
    } else if (inner == BDR_SUNKENINNER) {
      itl = GetSysColor(soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW);
      ibr = GetSysColor(COLOR_3DLIGHT);
    }
  }
  bool hasOuter = outer == BDR_RAISEDOUTER || outer == BDR_SUNKENOUTER;
  bool hasInner = inner == BDR_RAISEDINNER || inner == BDR_SUNKENINNER;
  if (hasOuter) EdgeRing(hdc, r, flags, otl, obr);
  if (hasInner) EdgeRing(hdc, r, flags, itl, ibr);
  if ((flags & BF_MIDDLE) && r.left < r.right && r.top < r.bottom)
    FillSolid(hdc, r, GetSysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) *qrc = r;
  return 1;
}

BOOL DrawFocusRect(HDC hDC, const RECT* r) {
  TDCObj* dc = LookupDC(hDC);
  if (!dc || !r || r->left >= r->right || r->top >= r->bottom) return 0;
  // every other pixel of the frame, by pixel parity, inverted
  TDrawTarget t(dc);
  if (!t.Valid()) return 0;
  RECT d = ToDevice(dc, *r);
  POINT o = t.Offset();
  auto invert = [&](int x, int y) {
    if (((x + y) & 1) != 0) return;
    int sx = x + o.x, sy = y + o.y;
    if (t.Visible(sx, sy)) {
      uint32_t* p = t.Surface().Row(sy) + sx;
      *p = (*p ^ 0x00FFFFFFu) & 0x00FFFFFFu;
    }
  };
  for (int x = d.left; x < d.right; ++x) {
    invert(x, d.top);
    if (d.bottom - 1 != d.top) invert(x, d.bottom - 1);
  }
  for (int y = d.top + 1; y < d.bottom - 1; ++y) {
    invert(d.left, y);
    if (d.right - 1 != d.left) invert(d.right - 1, y);
  }
  return 1;
}

BOOL DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
  if (!LookupDC(hdc) || !lprc) return 0;
  RECT r = *lprc;
  bool inactive = uState & DFCS_INACTIVE, pushed = uState & DFCS_PUSHED, flat = uState & DFCS_FLAT,
       mono = uState & DFCS_MONO;
  auto button = [&](RECT& rc) {
    if (mono) DrawEdge(hdc, &rc, BDR_SUNKENOUTER, BF_RECT | BF_MONO | BF_MIDDLE | BF_ADJUST);
    else if (flat) DrawEdge(hdc, &rc, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE | BF_ADJUST);
    else if (pushed) DrawEdge(hdc, &rc, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE | BF_ADJUST);
    else DrawEdge(hdc, &rc, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  };
  switch (uType) {
    case DFC_SCROLL: {
      UINT kind = uState & 0xFF;
      if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
        if (!(uState & DFCS_TRANSPARENT)) FillSolid(hdc, r, GetSysColor(COLOR_BTNFACE));
        // three pairs of diagonal lines in the bottom-right corner
        int size = std::min(r.right - r.left, r.bottom - r.top);
        int x = r.right, y = r.bottom;
        COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), sh = GetSysColor(COLOR_BTNSHADOW);
        for (int k = 0; k < 3; ++k) {
          int d = size - 2 - 4 * k;
          if (d < 2) break;
          HPEN pens[2] = {CreatePen(PS_SOLID, 1, hi), CreatePen(PS_SOLID, 1, sh)};
          for (int j = 0; j < 3; ++j) {
            HGDIOBJ old = SelectObject(hdc, j == 0 ? pens[0] : pens[1]);
            int off = d - j;
            if (off < 1) {
              SelectObject(hdc, old);
              break;
            }
            MoveToEx(hdc, x - 1, y - 1 - off, nullptr);
            LineTo(hdc, x - 1 - off, y - 1);
            SelectObject(hdc, old);
          }
          DeleteObject(pens[0]);
          DeleteObject(pens[1]);
        }
        return 1;
      }
      button(r);
      // the arrow is sized and centred on the whole control, one pixel
      // down and right when pushed
      RECT whole = *lprc;
      InflateRect(&whole, -2, -2);
      int shift = pushed ? 1 : 0;
      if (inactive) {
        Arrow(hdc, whole, kind, GetSysColor(COLOR_BTNHIGHLIGHT), 1, 1);
        Arrow(hdc, whole, kind, GetSysColor(COLOR_BTNSHADOW), 0, 0);
      } else {
        Arrow(hdc, whole, kind, GetSysColor(COLOR_BTNTEXT), shift, shift);
      }
      return 1;
    }
    case DFC_BUTTON: {
      UINT kind = uState & 0xFF;
      if (kind == DFCS_BUTTONPUSH) {
        button(r);
        return 1;
      }
      // the glyph is a square of the smaller side at the left, centred vertically
      int s = std::min(r.right - r.left, r.bottom - r.top);
      RECT g{r.left, r.top + (r.bottom - r.top - s) / 2, r.left + s, r.top + (r.bottom - r.top - s) / 2 + s};
      bool radio = kind == DFCS_BUTTONRADIO || kind == DFCS_BUTTONRADIOIMAGE || kind == DFCS_BUTTONRADIOMASK;
      COLORREF face = (inactive || pushed) ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW);
      COLORREF mark = inactive ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_WINDOWTEXT);
      if (!radio) {
        RECT in = g;
        if (mono) DrawEdge(hdc, &in, BDR_SUNKENOUTER, BF_RECT | BF_MONO | BF_ADJUST);
        else if (flat) DrawEdge(hdc, &in, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
        else DrawEdge(hdc, &in, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        bool third = kind == DFCS_BUTTON3STATE && (uState & DFCS_CHECKED);
        FillSolid(hdc, in, third ? GetSysColor(COLOR_BTNFACE) : face);
        if (uState & DFCS_CHECKED) Glyph(hdc, in, CheckGlyph, 7, third ? GetSysColor(COLOR_BTNSHADOW) : mark);
        return 1;
      }
      if (kind == DFCS_BUTTONRADIOMASK) {
        // the mask: black disc on white
        FillSolid(hdc, g, RGB(255, 255, 255));
        HRGN rgn = CreateEllipticRgn(g.left, g.top, g.right + 1, g.bottom + 1);
        HBRUSH b = CreateSolidBrush(RGB(0, 0, 0));
        FillRgn(hdc, rgn, b);
        DeleteObject(b);
        DeleteObject(rgn);
        return 1;
      }
      // the radio image: an outer ring (shadow over light), an inner ring and the face
      auto disc = [&](int inset, COLORREF c) {
        HRGN rgn = CreateEllipticRgn(g.left + inset, g.top + inset, g.right - inset + 1, g.bottom - inset + 1);
        HBRUSH b = CreateSolidBrush(c);
        FillRgn(hdc, rgn, b);
        DeleteObject(b);
        DeleteObject(rgn);
      };
      if (mono || flat) {
        disc(0, GetSysColor(mono ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW));
        disc(1, face);
      } else {
        disc(0, GetSysColor(COLOR_BTNHIGHLIGHT));
        disc(0, GetSysColor(COLOR_BTNSHADOW));
        disc(1, GetSysColor(COLOR_3DLIGHT));
        disc(1, GetSysColor(COLOR_3DDKSHADOW));
        disc(2, face);
      }
      if (uState & DFCS_CHECKED) {
        int d = std::max(2, s / 3);
        int off = (s - d) / 2;
        HRGN rgn = CreateEllipticRgn(g.left + off, g.top + off, g.left + off + d + 1, g.top + off + d + 1);
        HBRUSH b = CreateSolidBrush(mark);
        FillRgn(hdc, rgn, b);
        DeleteObject(b);
        DeleteObject(rgn);
      }
      return 1;
    }
    case DFC_CAPTION:
    case DFC_MENU:
    case DFC_POPUPMENU: {
      if (uType == DFC_CAPTION) button(r);
      else if (!(uState & DFCS_TRANSPARENT)) FillSolid(hdc, r, GetSysColor(COLOR_MENU));
      COLORREF c = inactive ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_BTNTEXT);
      int sh = pushed ? 1 : 0;
      int s = std::max(3, (std::min(r.right - r.left, r.bottom - r.top)) / 2 - 1);
      int cx = (r.left + r.right) / 2 + sh, cy = (r.top + r.bottom) / 2 + sh;
      UINT kind = uState & 0xFF;
      if (uType == DFC_CAPTION && kind == DFCS_CAPTIONCLOSE) {
        // a cross two pixels thick
        for (int i = 0; i < s; ++i) {
          int x = cx - s / 2 + i;
          for (int t = 0; t < 2; ++t) {
            SetPixelV(hdc, x + t, cy - s / 2 + i, c);
            SetPixelV(hdc, x + t, cy + s / 2 - i, c);
          }
        }
      } else if (uType == DFC_CAPTION && kind == DFCS_CAPTIONMIN) {
        FillSolid(hdc, RECT{cx - s / 2, cy + s / 2 - 1, cx + s / 2 + 1, cy + s / 2 + 1}, c);
      } else if (uType == DFC_CAPTION && (kind == DFCS_CAPTIONMAX || kind == DFCS_CAPTIONRESTORE)) {
        RECT box{cx - s / 2, cy - s / 2, cx + s / 2 + 1, cy + s / 2 + 1};
        if (kind == DFCS_CAPTIONRESTORE) box = RECT{cx - s / 2, cy - s / 2 + 2, cx + s / 2 - 1, cy + s / 2 + 1};
        HBRUSH b = CreateSolidBrush(c);
        FrameRect(hdc, &box, b);
        FillSolid(hdc, RECT{box.left, box.top + 1, box.right, box.top + 2}, c);
        if (kind == DFCS_CAPTIONRESTORE) {
          RECT back{box.left + 2, box.top - 2, box.right + 2, box.bottom - 2};
          HLine(hdc, back.left, back.right, back.top, c);
          HLine(hdc, back.left, back.right, back.top + 1, c);
          VLine(hdc, back.right - 1, back.top, back.bottom, c);
        }
        DeleteObject(b);
      } else if (uType != DFC_CAPTION && kind == DFCS_MENUCHECK) {
        Glyph(hdc, r, CheckGlyph, 7, c);
      } else if (uType != DFC_CAPTION && kind == DFCS_MENUBULLET) {
        FillSolid(hdc, RECT{cx - 2, cy - 2, cx + 2, cy + 2}, c);
      } else if (uType != DFC_CAPTION) {
        Arrow(hdc, r, DFCS_SCROLLRIGHT, c, 0, 0);
      }
      return 1;
    }
    default: return 0;
  }
}

HBITMAP CreateCheckBoxesBitmap() {
  constexpr int cell = 13;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateBitmap(4 * cell, 3 * cell, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bm);
  const UINT kinds[3] = {DFCS_BUTTONCHECK, DFCS_BUTTONRADIO, DFCS_BUTTON3STATE};
  const UINT states[4] = {0, DFCS_CHECKED, DFCS_PUSHED, DFCS_PUSHED | DFCS_CHECKED};
  RECT all{0, 0, 4 * cell, 3 * cell};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 4; ++col) {
      RECT r{col * cell, row * cell, (col + 1) * cell, (row + 1) * cell};
      DrawFrameControl(dc, &r, DFC_BUTTON, kinds[row] | states[col]);
    }
  SelectObject(dc, old);
  DeleteDC(dc);
  return bm;
}

// ---------------------------------------------------------------------------
// Icons

HICON CreateSystemIcon(int id) {
  constexpr int size = 32;
  constexpr uint32_t key = 0x00FF00FF;  // not drawn: transparent in the icon
  enum { Disc, Triangle, Window } shape;
  COLORREF fill, edge, ink;
  switch (id) {
    case 32513: shape = Disc, fill = RGB(204, 0, 0), edge = RGB(128, 0, 0), ink = RGB(255, 255, 255); break;
    case 32514:
    case 32516: shape = Disc, fill = RGB(0, 102, 204), edge = RGB(0, 51, 153), ink = RGB(255, 255, 255); break;
    case 32515: shape = Triangle, fill = RGB(255, 204, 0), edge = RGB(128, 96, 0), ink = RGB(0, 0, 0); break;
    case 32512:
    case 32517: shape = Window, fill = RGB(255, 255, 255), edge = RGB(0, 51, 153), ink = RGB(0, 102, 204); break;
    default: return nullptr;
  }
  uint32_t* px = nullptr;
  HBITMAP color = NewDib32(size, size, &px);
  if (!color) return nullptr;
  std::fill(px, px + size * size, key);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBm = SelectObject(dc, color);
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  HBRUSH brush = CreateSolidBrush(fill);
  HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
  if (shape == Disc) {
    Ellipse(dc, 1, 1, 31, 31);
  } else if (shape == Triangle) {
    POINT tri[3] = {POINT{16, 1}, POINT{30, 29}, POINT{1, 29}};
    Polygon(dc, tri, 3);
  } else {
    Rectangle(dc, 2, 4, 30, 28);
    FillSolid(dc, RECT{3, 5, 29, 10}, ink);
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
  // the mark: rectangles, or the question mark as 2 x 2 pixel cells
  switch (id) {
    case 32513: {
      HPEN cross = CreatePen(PS_SOLID, 4, ink);
      HGDIOBJ o = SelectObject(dc, cross);
      MoveToEx(dc, 10, 10, nullptr);
      LineTo(dc, 22, 22);
      MoveToEx(dc, 22, 10, nullptr);
      LineTo(dc, 10, 22);
      SelectObject(dc, o);
      DeleteObject(cross);
      break;
    }
    case 32514: {
      static const char* const rows[] = {".####.", "##..##", "....##", "...##.", "..##..",
                                         "..##..", "......", "..##..", "..##.."};
      for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 6; ++c)
          if (rows[r][c] == '#') FillSolid(dc, RECT{10 + 2 * c, 7 + 2 * r, 12 + 2 * c, 9 + 2 * r}, ink);
      break;
    }
    case 32515:
      FillSolid(dc, RECT{14, 10, 18, 21}, ink);
      FillSolid(dc, RECT{14, 23, 18, 27}, ink);
      break;
    case 32516:
      FillSolid(dc, RECT{14, 6, 18, 10}, ink);
      FillSolid(dc, RECT{12, 12, 18, 15}, ink);
      FillSolid(dc, RECT{14, 15, 18, 23}, ink);
      FillSolid(dc, RECT{12, 23, 20, 26}, ink);
      break;
    default: break;
  }
  SelectObject(dc, oldBm);
  DeleteDC(dc);
  // transparent where nothing was drawn: mask 1, colour black
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  TBitmapObj* m = LookupBitmap(mask);
  TSurface ms = BitmapSurface(m, false);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      uint32_t& v = px[y * size + x];
      bool clear = (v & 0x00FFFFFF) == key;
      if (clear) v = 0;
      ms.Row(y)[x] = clear ? 0x00FFFFFFu : 0;
    }
  BitmapCommit(m);
  ICONINFO ii{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(mask);
  DeleteObject(color);
  return icon;
}

HICON CreateIconIndirect(const ICONINFO* ii) {
  if (!ii || !ii->hbmMask) return nullptr;
  TBitmapObj* m = LookupBitmap(ii->hbmMask);
  if (!m) return nullptr;
  auto* icon = new TIconObj();
  icon->Type = OBJ_ICON_INTERNAL;
  icon->IsIcon = ii->fIcon != 0;
  icon->Mask = CopyBitmap(ii->hbmMask);
  icon->Color = ii->hbmColor ? CopyBitmap(ii->hbmColor) : nullptr;
  TBitmapObj* mm = LookupBitmap(icon->Mask);
  int w = mm ? mm->Width : 0, h = mm ? (icon->Color ? mm->Height : mm->Height / 2) : 0;
  icon->HotX = icon->IsIcon ? DWORD(w / 2) : ii->xHotspot;
  icon->HotY = icon->IsIcon ? DWORD(h / 2) : ii->yHotspot;
  return static_cast<HICON>(Register(icon));
}

BOOL GetIconInfo(HICON hIcon, ICONINFO* ii) {
  TIconObj* icon = LookupIcon(hIcon);
  if (!icon || !ii) return 0;
  ii->fIcon = icon->IsIcon ? 1 : 0;
  ii->xHotspot = icon->HotX;
  ii->yHotspot = icon->HotY;
  // the caller owns the copies
  ii->hbmMask = CopyBitmap(icon->Mask);
  ii->hbmColor = icon->Color ? CopyBitmap(icon->Color) : nullptr;
  return 1;
}

BOOL DestroyIcon(HICON hIcon) {
  TIconObj* icon = LookupIcon(hIcon);
  if (!icon) return 0;
  if (!icon->Shared) Destroy(icon);
  return 1;
}

void gdi::SetIconOrigin(HICON hIcon, bool shared, const uint8_t* source, size_t size) {
  if (TIconObj* icon = LookupIcon(hIcon)) {
    icon->Shared = shared;
    icon->Source = source;
    icon->SourceSize = size;
  }
}

bool gdi::IconOrigin(HICON hIcon, const uint8_t** source, size_t* size) {
  TIconObj* icon = LookupIcon(hIcon);
  if (!icon || !icon->Source) return false;
  *source = icon->Source;
  *size = icon->SourceSize;
  return true;
}

BOOL DestroyCursor(HCURSOR hCursor) { return DestroyIcon(hCursor); }

HICON CopyIcon(HICON hIcon) {
  TIconObj* icon = LookupIcon(hIcon);
  if (!icon) return nullptr;
  ICONINFO ii{icon->IsIcon ? 1 : 0, icon->HotX, icon->HotY, icon->Mask, icon->Color};
  return CreateIconIndirect(&ii);
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON hIcon, int cx, int cy, UINT, HBRUSH hbrFlickerFreeDraw, UINT diFlags) {
  TIconObj* icon = LookupIcon(hIcon);
  TDCObj* dc = LookupDC(hdc);
  if (!icon || !dc) return 0;
  TBitmapObj* mask = LookupBitmap(icon->Mask);
  TBitmapObj* color = LookupBitmap(icon->Color);
  if (!mask) return 0;
  int w = mask->Width, h = color ? mask->Height : mask->Height / 2;
  if (cx == 0) cx = (diFlags & DI_DEFAULTSIZE) ? DefaultSystemMetric(SM_CXICON, 0, 0) : w;
  if (cy == 0) cy = (diFlags & DI_DEFAULTSIZE) ? DefaultSystemMetric(SM_CYICON, 0, 0) : h;
  if (!(diFlags & DI_NORMAL)) diFlags |= DI_NORMAL;
  HDC target = hdc;
  HDC buffer = nullptr;
  HBITMAP bufBmp = nullptr;
  HGDIOBJ oldBuf = nullptr;
  int tx = x, ty = y;
  if (hbrFlickerFreeDraw) {
    // draw into an off-screen bitmap filled with the brush, then copy
    buffer = CreateCompatibleDC(hdc);
    bufBmp = CreateBitmap(cx, cy, 1, 32, nullptr);
    oldBuf = SelectObject(buffer, bufBmp);
    RECT all{0, 0, cx, cy};
    FillRect(buffer, &all, hbrFlickerFreeDraw);
    target = buffer;
    tx = ty = 0;
  }
  HDC mem = CreateCompatibleDC(hdc);
  // 32-bit colour images with any alpha are blended by their alpha
  bool alpha = false;
  if (color && color->BitsPixel == 32) {
    TSurface s = BitmapSurface(color);
    for (int yy = 0; yy < color->Height && !alpha; ++yy)
      for (int xx = 0; xx < color->Width; ++xx)
        if (s.Row(yy)[xx] >> 24) {
          alpha = true;
          break;
        }
  }
  COLORREF oldText = SetTextColor(target, RGB(0, 0, 0)), oldBk = SetBkColor(target, RGB(255, 255, 255));
  if (alpha && (diFlags & DI_IMAGE) == DI_IMAGE && (diFlags & DI_NORMAL) == DI_NORMAL) {
    // straight alpha: premultiply a copy, then blend
    HBITMAP pm = CopyBitmap(icon->Color);
    TBitmapObj* p = LookupBitmap(pm);
    TSurface s = BitmapSurface(p);
    for (int yy = 0; yy < p->Height; ++yy)
      for (int xx = 0; xx < p->Width; ++xx) {
        uint32_t v = s.Row(yy)[xx], a = v >> 24;
        auto m = [&](int sh) { return (((v >> sh) & 0xFF) * a + 127) / 255; };
        s.Row(yy)[xx] = (a << 24) | (m(16) << 16) | (m(8) << 8) | m(0);
      }
    BitmapCommit(p);
    HGDIOBJ old = SelectObject(mem, pm);
    AlphaBlend(target, tx, ty, cx, cy, mem, 0, 0, w, h, BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
    SelectObject(mem, old);
    DeleteObject(pm);
  } else {
    HGDIOBJ old = SelectObject(mem, icon->Mask);
    if (diFlags & DI_MASK) StretchBlt(target, tx, ty, cx, cy, mem, 0, 0, w, h, (diFlags & DI_IMAGE) ? SRCAND : SRCCOPY);
    if (diFlags & DI_IMAGE) {
      DWORD rop = (diFlags & DI_MASK) ? SRCINVERT : SRCCOPY;
      if (color) {
        SelectObject(mem, icon->Color);
        StretchBlt(target, tx, ty, cx, cy, mem, 0, 0, w, h, rop);
      } else {
        StretchBlt(target, tx, ty, cx, cy, mem, 0, h, w, h, rop);
      }
    }
    SelectObject(mem, old);
  }
  SetTextColor(target, oldText);
  SetBkColor(target, oldBk);
  DeleteDC(mem);
  if (buffer) {
    BitBlt(hdc, x, y, cx, cy, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, oldBuf);
    DeleteDC(buffer);
    DeleteObject(bufBmp);
  }
  return 1;
}

BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
  return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

}  // namespace win
