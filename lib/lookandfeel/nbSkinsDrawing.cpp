// Skin element drawing: frame geometry of the textures, the nine-part grid,
// stretching, tiling and natural size, borders, background and glyph, on a
// GDI+ canvas that double-buffers on low-colour devices.
#include <algorithm>
#include <memory>

#include "lib/foundation/nbGDIPlusClasses.h"
#include "lib/foundation/vlImages.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/nbSkinsCore.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/win/Gdi.h"

namespace gp = win::gdiplus;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

Boolean IsEmptyRect(const TRect& R) { return R.Left >= R.Right || R.Top >= R.Bottom; }

}  // namespace

// --- frame geometry ----------------------------------------------------------------------------

void TnbSkinImage::InitializeInfo() {
  FStateCount = 0;
  for (Integer s = 0; s < nbSkinElementStateCount; ++s) {
    if (FStates.Contains(TnbSkinElementState(s)))
      FStateIndex[s] = FStateCount++;
    else
      FStateIndex[s] = 0;
  }
  FSize = TSize{FTexture->Width(), FTexture->Height()};
  if (FStateCount > 0) {
    Integer& extent = FImageLayout == ilHorizontal ? FSize.cx : FSize.cy;
    extent = extent / ImageCount() / FStateCount;
  }
  for (Integer s = 0; s < nbSkinElementStateCount; ++s) {
    const Integer i = FStateIndex[s];
    if (FImageLayout == ilHorizontal)
      FStateBounds[s] = ::Rect(FSize.cx * i, 0, FSize.cx * (i + 1), FSize.cy);
    else
      FStateBounds[s] = ::Rect(0, FSize.cy * i, FSize.cx, FSize.cy * (i + 1));
  }
  FIsDirty = false;
}

void TnbSkinImage::CheckInfo() {
  if (FIsDirty) InitializeInfo();
}

const TSize& TnbSkinImage::Size() {
  CheckInfo();
  return FSize;
}

Integer TnbSkinImage::StateCount() {
  CheckInfo();
  return FStateCount;
}

TRect TnbSkinImage::StateBounds(TnbSkinElementState AState) {
  CheckInfo();
  return FStateBounds[AState];
}

TRect TnbSkinImage::GetFrameRect(Integer AImageIndex, TnbSkinElementState AState) {
  CheckInfo();
  TRect r = FStateBounds[AState];
  if (AImageIndex > 0) {
    // Indexes beyond the texture give a frame outside it (drawn as nothing).
    const Integer index = std::min(AImageIndex, ImageCount());
    if (FImageLayout == ilHorizontal)
      win::OffsetRect(&r, index * FStateCount * FSize.cx, 0);
    else
      win::OffsetRect(&r, 0, index * FStateCount * FSize.cy);
  }
  return r;
}

TnbSkinElementState TnbSkinImage::CheckState(TnbSkinElementState AState) const {
  if (FStates.Contains(AState)) return AState;
  for (Integer s = 0; s < nbSkinElementStateCount; ++s)
    if (FStates.Contains(TnbSkinElementState(s))) return TnbSkinElementState(s);
  return AState;
}

// --- nine parts ------------------------------------------------------------------------------

void nbSkinCalculateParts(TnbSkinImage* AImage, const TRect& R, Boolean AIsDestination, TRect* AParts,
                          Boolean* AVisibility) {
  TRect m = AImage->Margins()->Rect();
  if (AIsDestination) {
    const Integer dx = m.Left + m.Right - (R.Right - R.Left);
    if (dx > 0) {
      const Integer sum = m.Left + m.Right;
      m.Left -= MulDiv(m.Left, dx, sum);
      m.Right -= MulDiv(m.Right, dx, sum);
    }
    const Integer dy = m.Top + m.Bottom - (R.Bottom - R.Top);
    if (dy > 0) {
      const Integer sum = m.Top + m.Bottom;
      m.Top -= MulDiv(m.Top, dy, sum);
      m.Bottom -= MulDiv(m.Bottom, dy, sum);
    }
  }
  const Integer x1 = std::min(R.Left + m.Left, R.Right);
  const Integer x2 = std::min(std::max(R.Right - m.Right, x1), R.Right);
  const Integer y1 = std::min(R.Top + m.Top, R.Bottom);
  const Integer y2 = std::min(std::max(R.Bottom - m.Bottom, y1), R.Bottom);
  const Integer xs[4] = {R.Left, x1, x2, R.Right};
  const Integer ys[4] = {R.Top, y1, y2, R.Bottom};
  for (Integer column = 0; column < 3; ++column)
    for (Integer row = 0; row < 3; ++row) {
      const Integer k = column * 3 + row;
      if (!AVisibility[k]) {
        AParts[k] = TRect{};
        continue;
      }
      AParts[k] = ::Rect(xs[column], ys[row], xs[column + 1], ys[row + 1]);
      AVisibility[k] = !IsEmptyRect(AParts[k]);
    }
}

// --- drawing an image ------------------------------------------------------------------------

void TnbSkinImage::DrawEx(TnbSkinCanvas* ACanvas, const TRect& ARect, Integer AImageIndex,
                          TnbSkinElementState AState) {
  TRect source[9], dest[9];
  Boolean visible[9];
  if (Empty()) {
    if (FGradientBeginColor != nbSkinClNone) {
      std::fill(visible, visible + 9, true);
      nbSkinCalculateParts(this, ARect, true, dest, visible);
      if (visible[4]) ACanvas->FillRectByGradient(dest[4], FGradientBeginColor, FGradientEndColor, FGradient);
    }
    return;
  }
  CheckInfo();
  AState = CheckState(AState);
  const TRect frame = GetFrameRect(AImageIndex, AState);
  // An image index beyond the texture has no frame: nothing is read outside it.
  if (frame.Right > FTexture->Width() || frame.Bottom > FTexture->Height()) return;
  if (FStretch == smNoResize) {
    ACanvas->DrawImage(FTexture, vlCenterExtentInRect(ARect, frame.Right - frame.Left, frame.Bottom - frame.Top),
                       frame);
    return;
  }
  std::fill(visible, visible + 9, true);
  nbSkinCalculateParts(this, frame, false, source, visible);
  nbSkinCalculateParts(this, ARect, true, dest, visible);
  ACanvas->DrawImageWithMargines(this, ARect, source, dest, visible);
}

void TnbSkinImage::Draw(win::HDC DC, const TRect& ARect, Integer AImageIndex, TnbSkinElementState AState) {
  CheckInfo();
  if (FSize.cx <= 0 || FSize.cy <= 0 || IsEmptyRect(ARect) || !win::RectVisible(DC, &ARect)) return;
  Owned<TnbSkinCanvas> canvas(New<TnbSkinCanvas>());
  canvas->BeginPaint(DC, ARect);
  Finally end([&] { canvas->EndPaint(); });
  DrawEx(canvas.get(), ARect, AImageIndex, AState);
}

void TnbSkinImage::GetBitmap(Integer AImageIndex, TnbSkinElementState AState, TColor ABkColor, TBitmap* ABitmap) {
  ABitmap->FreeImage();
  ABitmap->SetPixelFormat(pf32bit);
  ABitmap->SetSize(Size().cx, Size().cy);
  const TRect r = ::Rect(0, 0, FSize.cx, FSize.cy);
  if (ABkColor != nbSkinClNone) {
    if (ABkColor != nbSkinClDefault) ABitmap->Canvas()->Brush()->SetColor(ABkColor);
    ABitmap->Canvas()->FillRect(r);
  }
  Draw(ABitmap->Canvas()->Handle(), r, AImageIndex, AState);
}

void TnbSkinImage::SetStateMapping(const std::vector<TnbSkinElementState>& AStates) {
  if (FTexture->Empty()) return;
  CheckInfo();
  Owned<TvlBitmap32> bitmap(vlNewBitmap32(FTexture->Width(), FTexture->Height(), true));
  {
    Owned<TnbSkinCanvas> canvas(New<TnbSkinCanvas>());
    canvas->BeginPaint(bitmap->Canvas()->Handle(), bitmap->Canvas()->ClipRect());
    Finally end([&] { canvas->EndPaint(); });
    Integer position = 0;
    for (Integer index = 0; index < ImageCount(); ++index)
      for (const TnbSkinElementState s : AStates) {
        if (!FStates.Contains(s)) continue;
        const TRect dest = FImageLayout == ilHorizontal
                               ? ::Rect(position * FSize.cx, 0, (position + 1) * FSize.cx, FSize.cy)
                               : ::Rect(0, position * FSize.cy, FSize.cx, (position + 1) * FSize.cy);
        FTexture->StretchDrawEx(canvas->Graphics(), dest, GetFrameRect(index, s));
        ++position;
      }
  }
  FTexture->SetBitmap(bitmap.get());
  Changed();
}

// --- borders -------------------------------------------------------------------------------------

void TnbSkinBorder::DrawEx(TnbSkinCanvas* ACanvas, const TRect& ABounds) {
  if (FColor == nbSkinClNone) return;
  TRect r = ABounds;
  switch (FKind) {
    case bLeft: r.Right = r.Left + FThin; break;
    case bTop: r.Bottom = r.Top + FThin; break;
    case bRight: r.Left = r.Right - FThin; break;
    case bBottom: r.Top = r.Bottom - FThin; break;
  }
  ACanvas->FillRectByColor(r, FColor);
}

void TnbSkinBorder::Draw(win::HDC DC, const TRect& ABounds) {
  if (FColor == nbSkinClNone) return;
  Owned<TnbSkinCanvas> canvas(New<TnbSkinCanvas>());
  canvas->BeginPaint(DC, ABounds);
  Finally end([&] { canvas->EndPaint(); });
  DrawEx(canvas.get(), ABounds);
}

void TnbSkinBorders::Draw(TnbSkinCanvas* ACanvas, const TRect& ABounds) {
  for (TnbSkinBorder* b : FBorders) b->DrawEx(ACanvas, ABounds);
}

// --- drawing an element ------------------------------------------------------------------------

void TnbSkinElement::DrawOnCanvas(TnbSkinCanvas* ACanvas, const TRect& ARect, Integer AImageIndex,
                                  TnbSkinElementState AState) {
  if (FIsColorAssigned && (FImage->Empty() || FImage->Stretch() == smNoResize || IsAlphaUsed())) {
    if (FAlpha == 255) {
      ACanvas->FillRectByColor(ARect, FColor);
    } else if (FBrush && ACanvas->Graphics()) {
      nbgp::GdipFillRectangleI(ACanvas->Graphics(), FBrush, ARect.Left, ARect.Top, ARect.Right - ARect.Left,
                               ARect.Bottom - ARect.Top);
    }
  }
  FImage->DrawEx(ACanvas, ARect, AImageIndex, AState);
  FBorders->Draw(ACanvas, ARect);
  const TRect& offset = FContentOffset->Rect();
  const TRect content =
      ::Rect(ARect.Left + offset.Left, ARect.Top + offset.Top, ARect.Right - offset.Right, ARect.Bottom - offset.Bottom);
  FGlyph->DrawEx(ACanvas, content, AImageIndex, AState);
}

void TnbSkinElement::Draw(win::HDC DC, const TRect& ARect, Integer AImageIndex, TnbSkinElementState AState) {
  if (!FCanvas->IsRectVisible(DC, ARect)) return;
  FCanvas->BeginPaint(DC, ARect);
  Finally end([&] { FCanvas->EndPaint(); });
  DrawOnCanvas(FCanvas, ARect, AImageIndex, AState);
}

void TnbSkinEmptyElement::Draw(win::HDC DC, const TRect& ARect, Integer AImageIndex, TnbSkinElementState AState) {
  win::FillRect(DC, &ARect, win::HBRUSH(win::GetStockObject(win::WHITE_BRUSH)));
  win::HBRUSH red = win::CreateSolidBrush(0x0000FF);
  win::FrameRect(DC, &ARect, red);
  win::DeleteObject(red);
}

// --- TnbSkinCanvas -------------------------------------------------------------------------------

void TnbSkinCanvas::Destroy() {
  if (FGraphics || FBuffer) EndPaint();
  inherited::Destroy();
}

Boolean TnbSkinCanvas::IsDoubleBufferNeeded(win::HDC DC) {
  return win::GetDeviceCaps(DC, win::NUMCOLORS) > 1 || win::GetDeviceCaps(DC, win::BITSPIXEL) < 17;
}

Boolean TnbSkinCanvas::IsRectVisible(win::HDC DC, const TRect& R) {
  return R.Left < R.Right && R.Top < R.Bottom && win::RectVisible(DC, &R);
}

void TnbSkinCanvas::BeginPaint(win::HDC DC, const TRect& R) {
  FRect = R;
  FSourceDC = DC;
  win::HDC target = DC;
  if (IsDoubleBufferNeeded(DC)) {
    FBuffer = vlNewBitmap32(R.Right - R.Left, R.Bottom - R.Top, false);
    win::BitBlt(FBuffer->Canvas()->Handle(), 0, 0, R.Right - R.Left, R.Bottom - R.Top, DC, R.Left, R.Top,
                win::SRCCOPY);
    win::SetWindowOrgEx(FBuffer->Canvas()->Handle(), R.Left, R.Top, nullptr);
    target = FBuffer->Canvas()->Handle();
  }
  FGraphics = nullptr;
  if (nbIsGdiPlusAvailable()) nbgp::GdipCreateFromHDC(target, &FGraphics);
}

void TnbSkinCanvas::BeginPaintEx(TnbGpGraphics* AGraphics, const TRect& R) {
  FRect = R;
  FSourceDC = nullptr;
  FGraphics = AGraphics;
}

void TnbSkinCanvas::EndPaint() {
  if (FGraphics) nbgp::GdipDeleteGraphics(FGraphics);
  FGraphics = nullptr;
  if (FBuffer) {
    win::HDC buffer = FBuffer->Canvas()->Handle();
    win::SetWindowOrgEx(buffer, 0, 0, nullptr);
    const Integer saved = win::SaveDC(FSourceDC);
    win::BitBlt(FSourceDC, FRect.Left, FRect.Top, FRect.Right - FRect.Left, FRect.Bottom - FRect.Top, buffer, 0, 0,
                win::SRCCOPY);
    win::RestoreDC(FSourceDC, saved);
    FreeAndNil(FBuffer);
  }
}

Integer TnbSkinCanvas::InterpolationMode() const {
  gp::InterpolationMode mode{};
  if (FGraphics) nbgp::GdipGetInterpolationMode(FGraphics, &mode);
  return Integer(mode);
}

void TnbSkinCanvas::SetInterpolationMode(Integer Value) {
  if (FGraphics) nbgp::GdipSetInterpolationMode(FGraphics, gp::InterpolationMode(Value));
}

void TnbSkinCanvas::FillRectByColor(const TRect& R, TColor AColor) {
  if (!FGraphics || IsEmptyRect(R)) return;
  win::HDC dc{};
  if (!nbGpCheck(nbgp::GdipGetDC(FGraphics, &dc))) return;
  win::HBRUSH brush = win::CreateSolidBrush(win::COLORREF(ColorToRGB(AColor)));
  win::FillRect(dc, &R, brush);
  win::DeleteObject(brush);
  nbgp::GdipReleaseDC(FGraphics, dc);
}

void TnbSkinCanvas::FillRectByGradient(const TRect& R, TColor AColor1, TColor AColor2, TnbSkinGradientMode AMode) {
  if (AColor1 == AColor2 || AColor2 == nbSkinClNone || AColor2 == nbSkinClDefault) {
    FillRectByColor(R, AColor1);
    return;
  }
  if (!FGraphics) return;
  switch (AMode) {
    case gmForwardDiagonal:
      nbGpFillGradientRect(FGraphics, R, AColor1, AColor2, gp::LinearGradientModeForwardDiagonal);
      break;
    case gmBackwardDiagonal:
      nbGpFillGradientRect(FGraphics, R, AColor1, AColor2, gp::LinearGradientModeBackwardDiagonal);
      break;
    default: {
      win::HDC dc{};
      if (!nbGpCheck(nbgp::GdipGetDC(FGraphics, &dc))) return;
      nbFillGradientRect(dc, R, AColor1, AMode == gmHorizontal, AColor2);
      nbgp::GdipReleaseDC(FGraphics, dc);
    }
  }
}

void TnbSkinCanvas::DrawImage(TnbPNGImage* AImage, const TRect& ADest, const TRect& ASource) {
  SetInterpolationMode(gp::InterpolationModeNearestNeighbor);
  if (FGraphics) AImage->DrawEx(FGraphics, ADest, ASource);
}

namespace {

// Tiles ASource of the texture over ADest: through a texture brush on a
// bitmap of ADest's size, or tile by tile when the brush cannot be made.
void TileImage(TnbSkinCanvas* ACanvas, TnbPNGImage* ATexture, const TRect& ASource, const TRect& ADest) {
  TnbGpGraphics* graphics = ACanvas->Graphics();
  if (!graphics || !nbGpIsRectVisible(graphics, ADest) || IsEmptyRect(ASource) || !ATexture->Handle()) return;
  const Integer sw = ASource.Right - ASource.Left, sh = ASource.Bottom - ASource.Top;
  const Integer dw = ADest.Right - ADest.Left, dh = ADest.Bottom - ADest.Top;
  gp::GpTexture* brush{};
  if (nbGpCheck(nbgp::GdipCreateTexture2I(ATexture->Handle()->Handle(), gp::WrapModeTile, ASource.Left, ASource.Top,
                                          sw, sh, &brush))) {
    gp::GpBitmap* bitmap{};
    if (nbGpCheck(nbgp::GdipCreateBitmapFromScan0(dw, dh, 0, gp::PixelFormat32bppPARGB, nullptr, &bitmap))) {
      TnbGpGraphics* bitmapGraphics{};
      if (nbGpCheck(nbgp::GdipGetImageGraphicsContext(bitmap, &bitmapGraphics))) {
        nbgp::GdipFillRectangleI(bitmapGraphics, brush, 0, 0, dw, dh);
        nbgp::GdipDeleteGraphics(bitmapGraphics);
      }
      nbgp::GdipDrawImageRectI(graphics, bitmap, ADest.Left, ADest.Top, dw, dh);
      nbgp::GdipDisposeImage(bitmap);
    }
    nbgp::GdipDeleteBrush(brush);
    return;
  }
  const Integer rows = (dh + sh - 1) / sh, columns = (dw + sw - 1) / sw;
  for (Integer r = 0; r < rows; ++r)
    for (Integer c = 0; c < columns; ++c) {
      TRect dest = ::Rect(ADest.Left + c * sw, ADest.Top + r * sh, ADest.Left + (c + 1) * sw, ADest.Top + (r + 1) * sh);
      TRect source = ASource;
      if (dest.Right > ADest.Right) {
        source.Right -= dest.Right - ADest.Right;
        dest.Right = ADest.Right;
      }
      if (dest.Bottom > ADest.Bottom) {
        source.Bottom -= dest.Bottom - ADest.Bottom;
        dest.Bottom = ADest.Bottom;
      }
      ATexture->DrawEx(graphics, dest, source);
    }
}

}  // namespace

void TnbSkinCanvas::DrawImageWithMargines(TnbSkinImage* AImage, const TRect& R, const TRect* ASourceParts,
                                          const TRect* ADestParts, const Boolean* AVisibility) {
  SetInterpolationMode(gp::InterpolationModeDefault);
  for (Integer row = 0; row < 3; ++row)
    for (Integer column = 0; column < 3; ++column) {
      const Integer k = column * 3 + row;
      if (!AVisibility[k]) continue;
      if (k == 4 && AImage->GradientBeginColor() != nbSkinClNone)
        FillRectByGradient(ADestParts[k], AImage->GradientBeginColor(), AImage->GradientEndColor(),
                           AImage->Gradient());
      else if (AImage->Stretch() == smTile)
        TileImage(this, AImage->Texture(), ASourceParts[k], ADestParts[k]);
      else if (FGraphics)
        AImage->Texture()->DrawEx(FGraphics, ADestParts[k], ASourceParts[k]);
    }
}
