#include "lib/foundation/vlGraphics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "lib/foundation/vlGeometry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"
#include "platform/win/Windows.h"

using namespace win;

CL_IMPLEMENT_CLASS(TvlRegion)
CL_IMPLEMENT_CLASS(TvlCanvas)
CL_IMPLEMENT_CLASS(TScreenCanvas)
CL_IMPLEMENT_CLASS(TvlScreenCanvas)
CL_IMPLEMENT_CLASS(TvlPaintCanvas)

namespace {

TvlScreenCanvas* ScreenCanvas = nullptr;
TvlPaintCanvas* PaintCanvas = nullptr;
Boolean Finalizing = false;

void Startup() { Finalizing = false; }

void Shutdown() {
  Finalizing = true;
  FreeAndNil(ScreenCanvas);
  FreeAndNil(PaintCanvas);
}

constexpr Integer NoClipSize = 30000;

int CombineMode(TvlRegionOperation AOperation) {
  static const int modes[] = {RGN_COPY, RGN_OR, RGN_DIFF, RGN_AND};
  return modes[AOperation];
}

COLORREF RGBOf(TColor AColor) { return static_cast<COLORREF>(ColorToRGB(AColor)); }

// A solid brush of the colour for the region calls (the canvas's brush for clDefault).
class TBrushFor {
 public:
  TBrushFor(TCanvas* ACanvas, TColor AColor) {
    if (AColor == clDefault) {
      FBrush = ACanvas->Brush()->Handle();
    } else {
      FBrush = CreateSolidBrush(RGBOf(AColor));
      FOwned = true;
    }
  }
  ~TBrushFor() {
    if (FOwned) DeleteObject(FBrush);
  }
  TBrushFor(const TBrushFor&) = delete;
  TBrushFor& operator=(const TBrushFor&) = delete;
  HBRUSH Handle() const { return FBrush; }

 private:
  HBRUSH FBrush{};
  bool FOwned{};
};

// The pixels of a bitmap as 32-bit words, top row first.
// The header of W x H pixels of 32 bits, top row first.
BITMAPINFO TopDown32(Integer W, Integer H) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = W;
  bi.bmiHeader.biHeight = -H;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  return bi;
}

std::vector<uint32_t> ReadPixels(TBitmap* ABitmap, Integer W, Integer H) {
  std::vector<uint32_t> pixels(size_t(W) * size_t(H));
  if (pixels.empty()) return pixels;
  BITMAPINFO bi = TopDown32(W, H);
  HDC dc = ABitmap->Canvas()->Handle();
  GetDIBits(dc, ABitmap->Handle(), 0, UINT(H), pixels.data(), &bi, DIB_RGB_COLORS);
  return pixels;
}

void WritePixels(TBitmap* ABitmap, const std::vector<uint32_t>& APixels, Integer W, Integer H) {
  if (APixels.empty()) return;
  BITMAPINFO bi = TopDown32(W, H);
  ABitmap->FreeContext();
  SetDIBits(nullptr, ABitmap->Handle(), 0, UINT(H), APixels.data(), &bi, DIB_RGB_COLORS);
  ABitmap->SetModified(true);
}

// The text without its accelerator prefixes ("&x" is x, "&&" is "&").
String RemovePrefix(const String& AText) {
  String result;
  result.reserve(AText.size());
  for (size_t i = 0; i < AText.size(); ++i) {
    if (AText[i] == u'&' && i + 1 < AText.size()) ++i;
    result += AText[i];
  }
  return result;
}

// Floor division for tile indexes left of or above the origin.
Integer FloorDiv(Integer A, Integer B) {
  Integer q = A / B;
  if ((A % B != 0) && ((A < 0) != (B < 0))) --q;
  return q;
}

}  // namespace

CL_UNIT_STEPS(vlGraphics, &Startup, &Shutdown);

// --- TvlRegion -----------------------------------------------------------------------------

void TvlRegion::Create(HRGN AHandle) {
  inherited::Create();
  FHandle = AHandle;
}

void TvlRegion::Create(const TRect& ABounds) {
  inherited::Create();
  FHandle = CreateRectRgnIndirect(&ABounds);
}

void TvlRegion::Create() { Create(0, 0, 0, 0); }

void TvlRegion::Create(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) {
  Create(Rect(ALeft, ATop, ARight, ABottom));
}

void TvlRegion::CreateRoundCorners(const TRect& ABounds, Integer AWidthEllipse, Integer AHeightEllipse) {
  CreateRoundCorners(ABounds.Left, ABounds.Top, ABounds.Right, ABounds.Bottom, AWidthEllipse, AHeightEllipse);
}

void TvlRegion::CreateRoundCorners(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom,
                                   Integer AWidthEllipse, Integer AHeightEllipse) {
  inherited::Create();
  FHandle = CreateRoundRectRgn(ALeft + 1, ATop + 1, ARight, ABottom, AWidthEllipse, AHeightEllipse);
}

void TvlRegion::Destroy() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  inherited::Destroy();
}

void TvlRegion::Combine(TvlRegion* ARegion, TvlRegionOperation AOperation, Boolean ADestroyRegion) {
  if (!ARegion) return;
  if (AOperation == roSet)
    CombineRgn(FHandle, ARegion->Handle(), nullptr, RGN_COPY);
  else
    CombineRgn(FHandle, FHandle, ARegion->Handle(), CombineMode(AOperation));
  if (ADestroyRegion) Free(ARegion);
}

Boolean TvlRegion::IsEqual(TvlRegion* ARegion) {
  if (!ARegion) return false;
  return (IsEmpty() && ARegion->IsEmpty()) || EqualRgn(FHandle, ARegion->Handle());
}

Boolean TvlRegion::IsEqual(HRGN ARegion) { return EqualRgn(FHandle, ARegion); }

void TvlRegion::Offset(Integer ADeltaX, Integer ADeltaY) { OffsetRgn(FHandle, ADeltaX, ADeltaY); }

Boolean TvlRegion::PtInRegion(Integer X, Integer Y) { return win::PtInRegion(FHandle, X, Y); }

Boolean TvlRegion::RectInRegion(const TRect& R) { return win::RectInRegion(FHandle, &R); }

Boolean TvlRegion::RectInRegion(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) {
  return RectInRegion(Rect(ALeft, ATop, ARight, ABottom));
}

TRect TvlRegion::BoundsRect() {
  TRect r{};
  if (GetRgnBox(FHandle, &r) == NULLREGION) r = TRect{};
  return r;
}

Boolean TvlRegion::IsEmpty() {
  TRect r{};
  return GetRgnBox(FHandle, &r) == NULLREGION;
}

// --- Text flags ------------------------------------------------------------------------------

Cardinal vlTextFlagsToDrawTextFlags(Integer AFlags) {
  Cardinal result = 0;
  if (AFlags & vlAlignRight) result |= DT_RIGHT;
  if (AFlags & vlAlignHCenter) result |= DT_CENTER;
  if (AFlags & vlAlignBottom) result |= DT_BOTTOM;
  if (AFlags & vlAlignVCenter) result |= DT_VCENTER;
  if (AFlags & vlSingleLine) result |= DT_SINGLELINE;
  if (AFlags & vlDontClip) result |= DT_NOCLIP;
  if (AFlags & vlExpandTabs) result |= DT_EXPANDTABS;
  if (!(AFlags & vlShowPrefix)) result |= DT_NOPREFIX;
  if (AFlags & vlWordBreak) {
    result |= DT_WORDBREAK;
    if (!(AFlags & vlDontBreakChars))
      result |= DT_EDITCONTROL;
    else if (AFlags & vlNoFullWidthCharBreak)
      result |= DT_NOFULLWIDTHCHARBREAK;
  }
  if (AFlags & vlShowEndEllipsis) result |= DT_END_ELLIPSIS;
  if (AFlags & vlCalcRect) result |= DT_CALCRECT;
  if (AFlags & vlShowPathEllipsis) result |= DT_PATH_ELLIPSIS;
  return result;
}

// --- TvlCanvas: properties and state stacks ----------------------------------------------------

void TvlCanvas::Create(TCanvas* ACanvas) {
  inherited::Create();
  FCanvas = ACanvas;
}

void TvlCanvas::Destroy() {
  for (TvlRegion* r : FSavedRegions) Free(r);
  FSavedRegions.clear();
  for (TvlCanvasState& s : FSavedStates) {
    Free(s.Font);
    Free(s.Brush);
    Free(s.Pen);
  }
  FSavedStates.clear();
  inherited::Destroy();
}

TPoint TvlCanvas::WindowOrg() {
  TPoint p{};
  GetWindowOrgEx(Handle(), &p);
  return p;
}

void TvlCanvas::SetWindowOrg(const TPoint& Value) { SetWindowOrgEx(Handle(), Value.X, Value.Y, nullptr); }

TPoint TvlCanvas::ViewportOrg() {
  TPoint p{};
  GetViewportOrgEx(Handle(), &p);
  return p;
}

void TvlCanvas::SetViewportOrg(const TPoint& Value) { SetViewportOrgEx(Handle(), Value.X, Value.Y, nullptr); }

TPoint TvlCanvas::DCOrigin() {
  TPoint w = WindowOrg(), v = ViewportOrg();
  return TPoint{v.X - w.X, v.Y - w.Y};
}

void TvlCanvas::SaveDC() {
  FCanvas->Lock();
  HDC dc = FCanvas->Handle();
  FSavedDCs.push_back(TvlDCState{dc, win::SaveDC(dc)});
}

void TvlCanvas::RestoreDC() {
  if (FSavedDCs.empty()) return;
  TvlDCState s = FSavedDCs.back();
  FSavedDCs.pop_back();
  FCanvas->SetHandle(s.Handle);
  win::RestoreDC(s.Handle, s.State);
  // The DC holds the objects of the saved state again: the canvas selects
  // its own ones anew on its next use.
  FCanvas->Refresh();
  FCanvas->Unlock();
}

void TvlCanvas::TakeObjectsFrom(HDC ADC, Boolean AKeepPending) {
  TCanvasStates state = FCanvas->State();
  // Whether the DC's object of that kind already is the canvas's own, or a
  // placeholder for an object the canvas has yet to select.
  auto keep = [&](TCanvasState AFlag, int AStock, UINT AType, HGDIOBJ AOwn) {
    if (!AKeepPending) return false;
    HGDIOBJ current = GetCurrentObject(ADC, AType);
    return state.Contains(AFlag) ? current == AOwn : current == GetStockObject(AStock);
  };
  auto own = [&](TCanvasState AFlag, auto* AObject) -> HGDIOBJ {
    return state.Contains(AFlag) ? static_cast<HGDIOBJ>(AObject->Handle()) : nullptr;
  };
  // The text colour and the mix are DC settings: taken unless the canvas
  // has yet to set its own.
  const Boolean fontSet = !AKeepPending || state.Contains(csFontValid);
  const Boolean penSet = !AKeepPending || state.Contains(csPenValid);
  const TColor textColor = static_cast<TColor>(GetTextColor(ADC));
  const TPenMode penMode = ROP2ToPenMode(GetROP2(ADC));
  if (!keep(csFontValid, SYSTEM_FONT, OBJ_FONT, own(csFontValid, FCanvas->Font()))) {
    LOGFONTW lf{};
    if (GetObjectW(GetCurrentObject(ADC, OBJ_FONT), sizeof(lf), &lf) == sizeof(lf))
      FCanvas->Font()->SetHandle(CreateFontIndirectW(&lf));
  }
  if (fontSet) FCanvas->Font()->SetColor(textColor);
  if (!keep(csBrushValid, HOLLOW_BRUSH, OBJ_BRUSH, own(csBrushValid, FCanvas->Brush()))) {
    LOGBRUSH lb{};
    if (GetObjectW(GetCurrentObject(ADC, OBJ_BRUSH), sizeof(lb), &lb) == sizeof(lb)) {
      TBrushStyle style = bsSolid;
      if (lb.lbStyle == BS_NULL)
        style = bsClear;
      else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS)
        style = static_cast<TBrushStyle>(bsHorizontal + lb.lbHatch);
      TBrush* brush = FCanvas->Brush();
      brush->SetHandle(CreateBrushIndirect(&lb));
      brush->SetColor(static_cast<TColor>(lb.lbColor));
      brush->SetStyle(style);
    }
  }
  if (!keep(csPenValid, BLACK_PEN, OBJ_PEN, own(csPenValid, FCanvas->Pen()))) {
    LOGPEN lp{};
    if (GetObjectW(GetCurrentObject(ADC, OBJ_PEN), sizeof(lp), &lp) == sizeof(lp)) {
      TPen* pen = FCanvas->Pen();
      pen->SetHandle(CreatePenIndirect(&lp));
      pen->SetColor(static_cast<TColor>(lp.lopnColor));
      pen->SetStyle(lp.lopnStyle <= PS_INSIDEFRAME ? static_cast<TPenStyle>(lp.lopnStyle) : psSolid);
      pen->SetWidth(lp.lopnWidth.x);
    }
  }
  if (penSet) FCanvas->Pen()->SetMode(penMode);
}

void TvlCanvas::SaveState() {
  TakeObjectsFrom(FCanvas->Handle(), true);
  SaveDC();
  TvlCanvasState s;
  s.Font = New<TFont>();
  s.Font->Assign(FCanvas->Font());
  s.Brush = New<TBrush>();
  s.Brush->Assign(FCanvas->Brush());
  s.Pen = New<TPen>();
  s.Pen->Assign(FCanvas->Pen());
  FSavedStates.push_back(s);
}

void TvlCanvas::RestoreState() {
  if (FSavedStates.empty()) return;
  TvlCanvasState s = FSavedStates.back();
  FSavedStates.pop_back();
  {
    Finally release([&] {
      Free(s.Font);
      Free(s.Brush);
      Free(s.Pen);
    });
    FCanvas->Font()->Assign(s.Font);
    FCanvas->Brush()->Assign(s.Brush);
    FCanvas->Pen()->Assign(s.Pen);
  }
  RestoreDC();
}

void TvlCanvas::SaveClipRegion() { FSavedRegions.push_back(GetClipRegion()); }

void TvlCanvas::RestoreClipRegion() {
  if (FSavedRegions.empty()) return;
  TvlRegion* r = FSavedRegions.back();
  FSavedRegions.pop_back();
  SetClipRegion(r, roSet);
}

// --- Clipping ----------------------------------------------------------------------------------

TvlRegion* TvlCanvas::GetClipRegion(Boolean AConsiderOrigin) {
  TvlRegion* result = New<TvlRegion>();
  if (GetClipRgn(Handle(), result->Handle()) != 1) SetRectRgn(result->Handle(), 0, 0, NoClipSize, NoClipSize);
  if (AConsiderOrigin) {
    TPoint o = DCOrigin();
    result->Offset(-o.X, -o.Y);
  }
  return result;
}

void TvlCanvas::SetClipRegion(TvlRegion* ARegion, TvlRegionOperation AOperation, Boolean AConsiderOrigin,
                              Boolean ADestroyRegion) {
  if (AOperation != roSet) {
    TvlRegion* clip = GetClipRegion(AConsiderOrigin);
    clip->Combine(ARegion, AOperation, ADestroyRegion);
    SetClipRegion(clip, roSet, AConsiderOrigin, true);
    return;
  }
  TPoint o{};
  if (AConsiderOrigin) {
    o = DCOrigin();
    ARegion->Offset(o);
  }
  SelectClipRgn(Handle(), ARegion->Handle());
  if (ADestroyRegion)
    Free(ARegion);
  else if (AConsiderOrigin)
    ARegion->Offset(-o.X, -o.Y);
}

void TvlCanvas::ExcludeClipRect(const TRect& R) { win::ExcludeClipRect(Handle(), R.Left, R.Top, R.Right, R.Bottom); }

void TvlCanvas::IntersectClipRect(const TRect& R) {
  win::IntersectClipRect(Handle(), R.Left, R.Top, R.Right, R.Bottom);
}

Boolean TvlCanvas::RectVisible(const TRect& R) { return win::RectVisible(Handle(), &R); }

Boolean TvlCanvas::RectFullyVisible(const TRect& R) {
  TvlRegion* clip = GetClipRegion();
  TvlRegion* rect = New<TvlRegion>(R);
  Finally release([&] {
    Free(clip);
    Free(rect);
  });
  clip->Combine(rect, roIntersect, false);
  return clip->IsEqual(rect);
}

// --- Fills and frames -----------------------------------------------------------------------

void TvlCanvas::FillRect(const TRect& R, TColor AColor) {
  if (AColor == clNone) return;
  if (AColor != clDefault) SetBrushColor(AColor);
  FCanvas->FillRect(R);
}

void TvlCanvas::FillRect(const TRect& R, TBitmap* ABitmap, Boolean AExcludeRect) {
  if (vlIsRectEmpty(R)) return;
  if (ABitmap && !ABitmap->Empty()) {
    const Integer w = ABitmap->Width(), h = ABitmap->Height();
    HDC dest = Handle(), src = ABitmap->Canvas()->Handle();
    for (Integer row = FloorDiv(R.Top, h); row * Int64(h) < R.Bottom; ++row)
      for (Integer col = FloorDiv(R.Left, w); col * Int64(w) < R.Right; ++col) {
        TRect tile = Bounds(col * w, row * h, w, h), part{};
        if (!win::IntersectRect(&part, &tile, &R)) continue;
        BitBlt(dest, part.Left, part.Top, part.Width(), part.Height(), src, part.Left - tile.Left,
               part.Top - tile.Top, SRCCOPY);
      }
  } else {
    FCanvas->FillRect(R);
  }
  if (AExcludeRect) SetClipRegion(New<TvlRegion>(R), roSubtract);
}

void TvlCanvas::FillRect(const TRect& R, const TvlViewParams& AParams, TvlBorders ABorders, TColor ABorderColor,
                         Integer ALineWidth, Boolean AExcludeRect) {
  TRect r = R;
  if (!ABorders.Empty()) {
    FrameRect(R, ABorderColor, ALineWidth, ABorders, AExcludeRect);
    if (ABorders.Contains(bLeft)) r.Left += ALineWidth;
    if (ABorders.Contains(bTop)) r.Top += ALineWidth;
    if (ABorders.Contains(bRight)) r.Right -= ALineWidth;
    if (ABorders.Contains(bBottom)) r.Bottom -= ALineWidth;
  }
  if (AParams.Color == clNone) {
    if (AExcludeRect && !vlIsRectEmpty(r)) SetClipRegion(New<TvlRegion>(r), roSubtract);
    return;
  }
  if (AParams.Color != clDefault) SetBrushColor(AParams.Color);
  FillRect(r, AParams.Bitmap, AExcludeRect);
}

void TvlCanvas::FrameRect(const TRect& R, TColor AColor, Integer ALineWidth, TvlBorders ABorders,
                          Boolean AExcludeFrame) {
  if (vlIsRectEmpty(R) || ALineWidth <= 0) return;
  if (AColor != clDefault && AColor != clNone) SetBrushColor(AColor);
  const Integer w = ALineWidth;
  auto strip = [&](TvlBorder ABorder, const TRect& AStrip) {
    if (!ABorders.Contains(ABorder)) return;
    if (AColor != clNone) FCanvas->FillRect(AStrip);
    if (AExcludeFrame) ExcludeClipRect(AStrip);
  };
  strip(bLeft, Rect(R.Left, R.Top, std::min(R.Left + w, R.Right), R.Bottom));
  strip(bRight, Rect(std::max(R.Right - w, R.Left), R.Top, R.Right, R.Bottom));
  strip(bTop, Rect(R.Left, R.Top, R.Right, std::min(R.Top + w, R.Bottom)));
  strip(bBottom, Rect(R.Left, std::max(R.Bottom - w, R.Top), R.Right, R.Bottom));
}

void TvlCanvas::DrawComplexFrame(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor,
                                 TvlBorders ABorders, Integer ABorderWidth) {
  const Integer w = ABorderWidth;
  if (ABorders.Contains(bLeft)) FillRect(Rect(R.Left, R.Top, R.Left + w, R.Bottom), ALeftTopColor);
  if (ABorders.Contains(bTop)) FillRect(Rect(R.Left, R.Top, R.Right, R.Top + w), ALeftTopColor);
  if (ABorders.Contains(bRight)) FillRect(Rect(R.Right - w, R.Top, R.Right, R.Bottom), ARightBottomColor);
  if (ABorders.Contains(bBottom)) FillRect(Rect(R.Left, R.Bottom - w, R.Right, R.Bottom), ARightBottomColor);
}

void TvlCanvas::DrawEdge(const TRect& R, Boolean ASunken, Boolean AOuter, TvlBorders ABorders) {
  static const TColor colors[2][2][2] = {
      // inner: raised, sunken
      {{clBtnHighlight, clBtnShadow}, {cl3DDkShadow, cl3DLight}},
      // outer: raised, sunken
      {{cl3DLight, cl3DDkShadow}, {clBtnShadow, clBtnHighlight}},
  };
  const TColor* c = colors[AOuter ? 1 : 0][ASunken ? 1 : 0];
  DrawComplexFrame(R, c[0], c[1], ABorders, 1);
}

void TvlCanvas::DrawFocusRect(const TRect& R) {
  SetBrushColor(clWhite);
  FCanvas->Font()->SetColor(clBlack);
  FCanvas->DrawFocusRect(R);
}

void TvlCanvas::DrawDesignSelection(const TRect& ARect, Integer AWidth) {
  TRect r = ARect;
  for (Integer i = 0; i < AWidth; ++i) {
    DrawFocusRect(r);
    InflateRect(&r, -1, -1);
  }
}

void TvlCanvas::InvertRect(const TRect& R) {
  SetCopyMode(cmDstInvert);
  FCanvas->CopyRect(R, FCanvas, R);
  SetCopyMode(cmSrcCopy);
}

void TvlCanvas::InvertFrame(const TRect& R, Integer ABorderSize) {
  const Integer b = ABorderSize;
  InvertRect(Rect(R.Left, R.Top, R.Left + b, R.Bottom));
  InvertRect(Rect(R.Right - b, R.Top, R.Right, R.Bottom));
  InvertRect(Rect(R.Left + b, R.Top, R.Right - b, R.Top + b));
  InvertRect(Rect(R.Left + b, R.Bottom - b, R.Right - b, R.Bottom));
}

void TvlCanvas::FillRegion(TvlRegion* ARegion, TColor AColor) { FillRegion(ARegion->Handle(), AColor); }

void TvlCanvas::FillRegion(HRGN ARegion, TColor AColor) {
  if (AColor == clNone) return;
  TBrushFor brush(FCanvas, AColor);
  FillRgn(Handle(), ARegion, brush.Handle());
}

void TvlCanvas::FrameRegion(TvlRegion* ARegion, TColor AColor, Integer ABorderWidth, Integer ABorderHeight) {
  FrameRegion(ARegion->Handle(), AColor, ABorderWidth, ABorderHeight);
}

void TvlCanvas::FrameRegion(HRGN ARegion, TColor AColor, Integer ABorderWidth, Integer ABorderHeight) {
  if (AColor == clNone) return;
  TBrushFor brush(FCanvas, AColor);
  FrameRgn(Handle(), ARegion, brush.Handle(), ABorderWidth, ABorderHeight);
}

void TvlCanvas::DrawRegion(TvlRegion* ARegion, TColor AContentColor, TColor ABorderColor, Integer ABorderWidth,
                           Integer ABorderHeight) {
  DrawRegion(ARegion->Handle(), AContentColor, ABorderColor, ABorderWidth, ABorderHeight);
}

void TvlCanvas::DrawRegion(HRGN ARegion, TColor AContentColor, TColor ABorderColor, Integer ABorderWidth,
                           Integer ABorderHeight) {
  FillRegion(ARegion, AContentColor);
  FrameRegion(ARegion, ABorderColor, ABorderWidth, ABorderHeight);
}

// --- Glyphs and images --------------------------------------------------------------------

void TvlCanvas::DrawGlyph(Integer X, Integer Y, TBitmap* AGlyph, Boolean AEnabled, TColor ABackgroundColor) {
  if (!AGlyph || AGlyph->Empty()) return;
  const Integer w = AGlyph->Width(), h = AGlyph->Height();
  const TColor transparent = AGlyph->TransparentColor() & 0xFFFFFF;
  if (AEnabled) {
    TBrushStyle style = Brush()->Style();
    if (ABackgroundColor == clNone)
      Brush()->SetStyle(bsClear);
    else
      SetBrushColor(ABackgroundColor);
    FCanvas->BrushCopy(Bounds(X, Y, w, h), AGlyph, Rect(0, 0, w, h), transparent);
    Brush()->SetStyle(style);
    return;
  }
  TCustomImageList* images = NewBy<TCustomImageList>(&TCustomImageList::CreateSize, w, h);
  Finally freeImages([&] { Free(images); });
  images->AddMasked(AGlyph, AGlyph->TransparentMode() == tmFixed ? transparent : clDefault);
  if (ABackgroundColor != clNone) {
    TBitmap* bitmap = New<TBitmap>();
    Finally freeBitmap([&] { Free(bitmap); });
    bitmap->SetSize(w, h);
    bitmap->Canvas()->Brush()->SetColor(ABackgroundColor);
    bitmap->Canvas()->FillRect(Rect(0, 0, w, h));
    images->Draw(bitmap->Canvas(), 0, 0, 0, false);
    FCanvas->Draw(X, Y, bitmap);
  } else {
    images->Draw(FCanvas, X, Y, 0, false);
  }
}

void TvlCanvas::DrawImage(TCustomImageList* Images, Integer X, Integer Y, Integer Index, Boolean Enabled) {
  if (!Images || Index < 0 || Index >= Images->Count()) return;
  SaveDC();
  Finally restore([&] { RestoreDC(); });
  Images->Draw(FCanvas, X, Y, Index, Enabled);
}

void TvlCanvas::TransparentDraw(Integer X, Integer Y, TBitmap* ABitmap, Byte AAlpha, TBitmap* ABackground) {
  if (!ABitmap || ABitmap->Empty()) return;
  const Integer w = ABitmap->Width(), h = ABitmap->Height();
  TBitmap* temp = New<TBitmap>();
  Finally freeTemp([&] { Free(temp); });
  temp->SetPixelFormat(pf32bit);
  temp->SetSize(w, h);
  if (ABackground)
    temp->Canvas()->Draw(0, 0, ABackground);
  else
    BitBlt(temp->Canvas()->Handle(), 0, 0, w, h, Handle(), X, Y, SRCCOPY);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, AAlpha, 0};
  AlphaBlend(temp->Canvas()->Handle(), 0, 0, w, h, ABitmap->Canvas()->Handle(), 0, 0, w, h, blend);
  FCanvas->Draw(X, Y, temp);
}

// --- Text ------------------------------------------------------------------------------------

TSize TvlCanvas::TextExtent(const String& Text) {
  TSize size{};
  FCanvas->RequiredState(TCanvasStates{csHandleValid, csFontValid});
  if (!GetTextExtentPoint32W(FCanvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &size))
    size = TSize{};
  return size;
}

void TvlCanvas::TextExtent(const String& Text, TRect& R, Integer Flags) {
  const Integer w0 = R.Width(), h0 = R.Height();
  if (w0 <= 0 && !Text.empty()) R.Right = R.Left + 1;
  Cardinal format = (vlTextFlagsToDrawTextFlags(Flags) & ~DT_VCENTER) | DT_CALCRECT;
  FCanvas->RequiredState(TCanvasStates{csHandleValid, csFontValid});
  if (DrawTextW(FCanvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &R, format) == 0)
    R = Rect(R.Left, R.Top, R.Left, R.Top);
  const Integer w = R.Width(), h = R.Height();
  Integer dx = 0, dy = 0;
  if (Flags & vlAlignHCenter)
    dx = (w0 - w) / 2;
  else if (Flags & vlAlignRight)
    dx = w0 - w;
  if (Flags & vlAlignVCenter)
    dy = (h0 - h) / 2;
  else if (Flags & vlAlignBottom)
    dy = h0 - h;
  OffsetRect(&R, dx, dy);
}

Integer TvlCanvas::FontHeight(TFont* AFont) {
  SetFont(AFont);
  return TextHeight(u"Qq");
}

void TvlCanvas::AlignMultiLineTextRectVertically(TRect& R, const String& AText, Boolean AShowEndEllipsis,
                                                 Boolean ADontBreakChars, Boolean AEnabled, Boolean AShowPrefix,
                                                 Boolean AWordBreak, TvlAlignmentVert AAlignmentVert) {
  const Integer d = AEnabled ? 0 : 1;
  Integer height;
  if (AShowEndEllipsis && AWordBreak) {
    const Integer line = std::max(1, TextHeight(u"Wg"));
    height = std::max(1, (R.Height() - d) / line) * line;
  } else {
    Integer flags = vlAlignLeft | vlAlignTop;
    if (AWordBreak) flags |= vlWordBreak;
    if (AShowPrefix) flags |= vlShowPrefix;
    if (ADontBreakChars) flags |= vlDontBreakChars;
    TRect r = Rect(0, 0, R.Width() - d, 0);
    TextExtent(AText, r, flags);
    height = r.Height();
  }
  if (AAlignmentVert == vaBottom)
    R.Top = R.Bottom - d - height;
  else
    R.Top = (R.Top + R.Bottom - height) / 2;
}

void TvlCanvas::OutputText(const String& AText, TRect R, Boolean ADrawTextPath, Cardinal AFormat) {
  HDC dc = FCanvas->Handle();
  FCanvas->RequiredState(csAllValid);
  if (ADrawTextPath)
    DrawTextW(dc, AText.c_str(), static_cast<int>(AText.size()), &R, AFormat);
  else
    ExtTextOutW(dc, R.Left, R.Top, AFormat, &R, AText.c_str(), static_cast<UINT>(AText.size()), nullptr);
}

void TvlCanvas::DrawTexT(const String& Text, const TRect& R, Integer Flags, Boolean Enabled) {
  if (Text.empty()) return;
  const Boolean drawTextPath =
      !(Flags & vlSingleLine) || (Flags & (vlShowPrefix | vlShowEndEllipsis | vlShowPathEllipsis));
  const TSize size = TextExtent(Text);
  if (size.cx <= R.Width() && size.cy <= R.Height()) Flags |= vlDontClip;
  const Integer d = Enabled ? 0 : 1;
  TRect r = R;
  Cardinal format;
  if (drawTextPath) {
    if (!(Flags & vlSingleLine) && (Flags & (vlAlignBottom | vlAlignVCenter)))
      AlignMultiLineTextRectVertically(r, Text, Flags & vlShowEndEllipsis, Flags & vlDontBreakChars, Enabled,
                                       Flags & vlShowPrefix, Flags & vlWordBreak,
                                       (Flags & vlAlignBottom) ? vaBottom : vaCenter);
    format = vlTextFlagsToDrawTextFlags(Flags);
  } else {
    if (size.cx < r.Width()) {
      if (Flags & vlAlignRight)
        r.Left = r.Right - size.cx - d;
      else if (Flags & vlAlignHCenter)
        r.Left = (r.Left + r.Right - size.cx) / 2;
    }
    if (size.cy < r.Height()) {
      if (Flags & vlAlignBottom)
        r.Top = r.Bottom - size.cy - d;
      else if (Flags & vlAlignVCenter)
        r.Top = (r.Top + r.Bottom - size.cy) / 2;
    }
    format = (Flags & vlDontClip) ? 0 : ETO_CLIPPED;
  }
  TBrush* brush = Brush();
  TFont* font = Font();
  const TBrushStyle brushStyle = brush->Style();
  const TColor fontColor = font->Color();
  Finally restore([&] {
    if (brush->Style() != brushStyle) brush->SetStyle(brushStyle);
    font->SetColor(fontColor);
  });
  if (!Enabled) {
    brush->SetStyle(bsClear);
    font->SetColor(clBtnHighlight);
    TRect shifted = r;
    OffsetRect(&shifted, 1, 1);
    OutputText(Text, shifted, drawTextPath, format);
    font->SetColor(clBtnShadow);
  }
  OutputText(Text, r, drawTextPath, format);
}

void TvlCanvas::DrawTexT(const String& Text, const TRect& R, TAlignment AAlignHorz, TvlAlignmentVert AAlignVert,
                         Boolean AMultiLine, Boolean AShowEndEllipsis) {
  static const Integer horz[] = {vlAlignLeft, vlAlignRight, vlAlignHCenter};
  static const Integer vert[] = {vlAlignTop, vlAlignBottom, vlAlignVCenter};
  Integer flags = horz[AAlignHorz] | vert[AAlignVert];
  flags |= AMultiLine ? vlWordBreak : vlSingleLine;
  if (AShowEndEllipsis) flags |= vlShowEndEllipsis;
  DrawTexT(Text, R, flags, true);
}

void TvlCanvas::GetTextStringsBounds(const String& Text, const TRect& R, Integer Flags, Boolean Enabled,
                                     std::vector<TRect>& ABounds) {
  ABounds.clear();
  const String text = (Flags & vlShowPrefix) ? RemovePrefix(Text) : Text;
  const Integer d = Enabled ? 0 : 1;
  const Integer maxWidth = std::max(1, R.Width() - d);
  const Boolean breakChars = !(Flags & vlDontBreakChars);
  HDC dc = FCanvas->Handle();
  FCanvas->RequiredState(TCanvasStates{csHandleValid, csFontValid});
  // Widths are differences of the running widths of the whole text, measured
  // once (whole-pixel advances add up): the wrapping stays linear in the
  // text, however long a paragraph or a word.
  std::vector<INT> running(text.size() + 1, 0);
  SIZE whole{};
  if (!text.empty())
    GetTextExtentExPointW(dc, text.c_str(), int(text.size()), 0, nullptr, running.data() + 1, &whole);
  auto width = [&](size_t AStart, size_t ACount) {
    return Integer(running[AStart + ACount] - running[AStart]);
  };
  const Integer lineHeight = TextHeight(u"Wg");
  std::vector<std::pair<size_t, size_t>> lines;  // start, length
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find_first_of(u"\r\n", pos);
    if (end == String::npos) end = text.size();
    // word wrapping of the paragraph [pos, end)
    size_t start = pos;
    while (true) {
      size_t count = end - start;
      if (count == 0 || width(start, count) <= maxWidth) {
        lines.emplace_back(start, count);
        break;
      }
      // the longest head that fits (widths grow with the head), then back to its last blank
      size_t fit = 0, over = count;
      while (over - fit > 1) {
        const size_t mid = fit + (over - fit) / 2;
        if (width(start, mid) <= maxWidth)
          fit = mid;
        else
          over = mid;
      }
      size_t brk = fit;
      while (brk > 0 && text[start + brk] != u' ') --brk;
      size_t next;
      if (brk > 0) {
        next = start + brk + 1;  // the breaking blank is consumed
      } else if (breakChars) {
        brk = std::max<size_t>(fit, 1);
        next = start + brk;
      } else {
        size_t blank = text.find(u' ', start);
        brk = (blank == String::npos || blank >= end) ? count : blank - start;
        next = start + brk + 1;
      }
      lines.emplace_back(start, brk);
      if (next >= end) break;
      start = next;
    }
    if (end >= text.size()) break;
    pos = end + 1;
    if (text[end] == u'\r' && pos < text.size() && text[pos] == u'\n') ++pos;
  }
  const Integer total = Integer(lines.size()) * lineHeight;
  Integer top = R.Top;
  if (Flags & vlAlignBottom)
    top = R.Bottom - d - total;
  else if (Flags & vlAlignVCenter)
    top = (R.Top + R.Bottom - total) / 2;
  for (const auto& [start, count] : lines) {
    const Integer w = width(start, count);
    Integer left = R.Left;
    if (Flags & vlAlignRight)
      left = R.Right - d - w;
    else if (Flags & vlAlignHCenter)
      left = (R.Left + R.Right - w) / 2;
    ABounds.push_back(Bounds(left, top, w, lineHeight));
    top += lineHeight;
  }
}

// --- Shapes and bitmaps -------------------------------------------------------------------------

void TvlCanvas::Pie(const TRect& R, const TPoint& ARadial1, const TPoint& ARadial2) {
  FCanvas->Pie(R.Left, R.Top, R.Right, R.Bottom, ARadial1.X, ARadial1.Y, ARadial2.X, ARadial2.Y);
}

void TvlCanvas::Pie(const TRect& R, Integer AStartAngle, Integer ASweepAngle) {
  if (vlIsRectEmpty(R) || ASweepAngle == 0) return;
  const Integer xc = R.Left + R.Width() / 2, yc = R.Top + R.Height() / 2;
  const double a = R.Width() / 2, b = R.Height() / 2;
  auto point = [&](double ADegrees) {
    const double t = ADegrees * std::numbers::pi / 180, c = std::cos(t), s = std::sin(t);
    const double r = (a == 0 || b == 0) ? 0 : a * b / std::sqrt(b * b * c * c + a * a * s * s);
    return TPoint{xc + static_cast<Integer>(std::lround(r * c)), yc - static_cast<Integer>(std::lround(r * s))};
  };
  const TPoint p1 = point(AStartAngle);
  const TPoint p2 = ASweepAngle == 360 ? p1 : point(double(AStartAngle) + ASweepAngle);
  if (!(p1 == p2) || ASweepAngle > 180) Pie(R, p1, p2);
}

void TvlCanvas::RotateBitmap(TBitmap* ABitmap, TvlRotationAngle AAngle, Boolean AFlipVertically) {
  if (!ABitmap || (AAngle == ra0 && !AFlipVertically)) return;
  const Integer W = ABitmap->Width(), H = ABitmap->Height();
  const std::vector<uint32_t> src = ReadPixels(ABitmap, W, H);
  const Boolean quarter = AAngle == raPlus90 || AAngle == raMinus90;
  const Integer newW = quarter ? H : W, newH = quarter ? W : H;
  std::vector<uint32_t> dst(src.size());
  for (Integer i = 0; i < H; ++i)
    for (Integer j = 0; j < W; ++j) {
      Integer row = 0, col = 0;
      switch (AAngle) {
        case ra0:
          row = H - 1 - i, col = j;
          break;
        case raPlus90:
          row = AFlipVertically ? j : W - 1 - j, col = i;
          break;
        case raMinus90:
          row = AFlipVertically ? W - 1 - j : j, col = H - 1 - i;
          break;
        case ra180:
          row = AFlipVertically ? i : H - 1 - i, col = W - 1 - j;
          break;
      }
      dst[size_t(row) * size_t(newW) + size_t(col)] = src[size_t(i) * size_t(W) + size_t(j)];
    }
  if (quarter) {
    ABitmap->SetHeight(0);
    ABitmap->SetWidth(newW);
    ABitmap->SetHeight(newH);
  }
  WritePixels(ABitmap, dst, newW, newH);
}

void TvlCanvas::FlipHorizontally(TBitmap* ABitmap) {
  if (!ABitmap) return;
  const Integer W = ABitmap->Width(), H = ABitmap->Height();
  std::vector<uint32_t> pixels = ReadPixels(ABitmap, W, H);
  for (Integer i = 0; i < H; ++i) {
    auto row = pixels.begin() + ptrdiff_t(i) * W;
    std::reverse(row, row + W);
  }
  WritePixels(ABitmap, pixels, W, H);
}

// --- Parameters and paths ---------------------------------------------------------------------

void TvlCanvas::GetParams(TvlViewParams& AParams) {
  AParams.Color = Brush()->Color();
  AParams.Font = Font();
  AParams.TextColor = Font()->Color();
}

void TvlCanvas::SetParams(const TvlViewParams& AParams) {
  SetBrushColor(AParams.Color);
  if (AParams.Font) SetFont(AParams.Font);
  Font()->SetColor(AParams.TextColor);
}

void TvlCanvas::SetBrushColor(TColor AColor) {
  if (Brush()->Color() != AColor) Brush()->SetColor(AColor);
}

void TvlCanvas::SetFontAngle(Integer ADegrees) {
  LOGFONTW lf{};
  GetObjectW(Font()->Handle(), sizeof(lf), &lf);
  lf.lfEscapement = ADegrees * 10;
  if (ADegrees != 0) lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  Font()->SetHandle(CreateFontIndirectW(&lf));
}

void TvlCanvas::BeginPath() { win::BeginPath(Handle()); }
void TvlCanvas::EndPath() { win::EndPath(Handle()); }
void TvlCanvas::WidenPath() { win::WidenPath(Handle()); }
TvlRegion* TvlCanvas::PathToRegion() { return New<TvlRegion>(win::PathToRegion(Handle())); }

void TvlCanvas::CopyRect(const TRect& Dest, TCanvas* ACanvas, const TRect& Source) {
  FCanvas->CopyRect(Dest, ACanvas, Source);
}
void TvlCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic) { FCanvas->Draw(X, Y, Graphic); }
void TvlCanvas::LineTo(Integer X, Integer Y) { FCanvas->LineTo(X, Y); }
void TvlCanvas::MoveTo(Integer X, Integer Y) { FCanvas->MoveTo(X, Y); }
void TvlCanvas::Polygon(const std::vector<TPoint>& Points) { FCanvas->Polygon(Points); }
void TvlCanvas::Polyline(const std::vector<TPoint>& Points) { FCanvas->Polyline(Points); }
void TvlCanvas::SetPixel(Integer X, Integer Y, TColor AColor) { FCanvas->SetPixels(X, Y, AColor); }

// --- Screen canvas ------------------------------------------------------------------------------

void TScreenCanvas::Destroy() {
  FreeHandle();
  inherited::Destroy();
}

void TScreenCanvas::CreateHandle() {
  SetHandle(GetDCEx(GetDesktopWindow(), nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE));
}

void TScreenCanvas::FreeHandle() {
  if (!HandleAllocated()) return;
  HDC dc = Handle();
  SetHandle(nullptr);
  ReleaseDC(GetDesktopWindow(), dc);
}

void TvlScreenCanvas::Create() { inherited::Create(New<TScreenCanvas>()); }

void TvlScreenCanvas::Destroy() {
  TCanvas* canvas = Canvas();
  inherited::Destroy();
  Free(canvas);
}

void TvlScreenCanvas::Dormant() { static_cast<TScreenCanvas*>(Canvas())->FreeHandle(); }

TvlScreenCanvas* vlGetScreenCanvas() {
  if (!ScreenCanvas && !Finalizing) ScreenCanvas = New<TvlScreenCanvas>();
  return ScreenCanvas;
}

// --- Paint canvas -------------------------------------------------------------------------------

void TvlPaintCanvas::Create() {
  FOwnCanvas = New<TCanvas>();
  inherited::Create(FOwnCanvas);
}

void TvlPaintCanvas::Destroy() {
  inherited::Destroy();
  FreeAndNil(FOwnCanvas);
}

void TvlPaintCanvas::BeginPaint(HDC DC) {
  TvlPaintCanvasState s;
  if (Canvas()->HandleAllocated()) {
    SaveState();
    s.PrevHandle = Canvas()->Handle();
  }
  s.DC = DC;
  s.SaveDCIndex = win::SaveDC(DC);
  TakeObjectsFrom(DC, false);
  Canvas()->SetHandle(DC);
  FStates.push_back(s);
}

void TvlPaintCanvas::BeginPaint(TCanvas* ACanvas) {
  TvlPaintCanvasState s;
  s.IsCanvas = true;
  s.PrevCanvas = Canvas();
  SetCanvas(ACanvas);
  SaveState();
  FStates.push_back(s);
}

void TvlPaintCanvas::EndPaint() {
  if (FStates.empty()) return;
  TvlPaintCanvasState s = FStates.back();
  FStates.pop_back();
  if (s.IsCanvas) {
    RestoreState();
    SetCanvas(s.PrevCanvas);
  } else {
    Canvas()->SetHandle(s.PrevHandle);
    win::RestoreDC(s.DC, s.SaveDCIndex);
    if (s.PrevHandle) RestoreState();
  }
}

TvlPaintCanvas* vlGetPaintCanvas() {
  if (!PaintCanvas && !Finalizing) PaintCanvas = New<TvlPaintCanvas>();
  return PaintCanvas;
}
