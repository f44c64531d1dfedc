#include "lib/lookandfeel/nbSkinsElementCache.h"

#include <memory>

#include "lib/foundation/vlImages.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Gdi.h"

namespace gp = win::gdiplus;

CL_IMPLEMENT_CLASS(TnbSkinElementCache)
CL_IMPLEMENT_CLASS(TnbSkinElementCacheList)
CL_IMPLEMENT_CLASS(TnbSkinLookAndFeelPainterCacheManager)

// --- TnbSkinElementCache ----------------------------------------------------------------------

void TnbSkinElementCache::Destroy() {
  ReleaseRendering();
  inherited::Destroy();
}

void TnbSkinElementCache::ReleaseRendering() {
  if (FCache && nbgp::GdipDisposeImage) nbgp::GdipDisposeImage(FCache);
  FCache = nullptr;
  FreeAndNil(FCacheOpaque);
}

void TnbSkinElementCache::CheckCacheState(TnbSkinElement* AElement, const TRect& R, Integer AImageIndex,
                                          TnbSkinElementState AState) {
  const Integer w = R.Right - R.Left, h = R.Bottom - R.Top;
  if (AElement == FElement && AState == FState && AImageIndex == FImageIndex &&
      w == FRect.Right - FRect.Left && h == FRect.Bottom - FRect.Top)
    return;
  FElement = AElement;
  FImageIndex = AImageIndex;
  FRect = R;
  FState = AState;
  FIsAlphaBlendUsed = AElement && AElement->IsAlphaUsed();
  ReleaseRendering();
  if (!AElement || w <= 0 || h <= 0 || !nbIsGdiPlusAvailable()) return;
  std::unique_ptr<TnbSkinCanvas, TObjectFree> canvas(New<TnbSkinCanvas>());
  const TRect bounds = ::Rect(0, 0, w, h);
  if (FIsAlphaBlendUsed) {
    if (!nbGpCheck(nbgp::GdipCreateBitmapFromScan0(w, h, 0, gp::PixelFormat32bppPARGB, nullptr, &FCache))) {
      FCache = nullptr;
      return;
    }
    TnbGpGraphics* graphics{};
    if (!nbGpCheck(nbgp::GdipGetImageGraphicsContext(FCache, &graphics))) return;
    canvas->BeginPaintEx(graphics, bounds);
  } else {
    FCacheOpaque = vlNewBitmap32(w, h, true);
    canvas->BeginPaint(FCacheOpaque->Canvas()->Handle(), bounds);
  }
  Finally end([&] { canvas->EndPaint(); });
  AElement->DrawOnCanvas(canvas.get(), bounds, AImageIndex, AState);
}

void TnbSkinElementCache::Draw(win::HDC DC, const TRect& R) {
  if (FCacheOpaque) {
    win::BitBlt(DC, R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top, FCacheOpaque->Canvas()->Handle(), 0, 0,
                win::SRCCOPY);
  } else if (FCache) {
    TnbGpGraphics* graphics{};
    if (!nbGpCheck(nbgp::GdipCreateFromHDC(DC, &graphics))) return;
    nbgp::GdipDrawImageRectI(graphics, FCache, R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top);
    nbgp::GdipDeleteGraphics(graphics);
  }
}

void TnbSkinElementCache::DrawEx(win::HDC DC, TnbSkinElement* AElement, Integer AImageIndex,
                                 TnbSkinElementState AState, const TRect& R) {
  CheckCacheState(AElement, R, AImageIndex, AState);
  Draw(DC, R);
}

void TnbSkinElementCache::Flush() {
  FElement = nullptr;
  FRect = TRect{};
  ReleaseRendering();
}

// --- TnbSkinElementCacheList -------------------------------------------------------------------

void TnbSkinElementCacheList::Create() {
  inherited::Create(true);
  FCacheListLimit = 8;
}

void TnbSkinElementCacheList::DrawElement(win::HDC DC, TnbSkinElement* AElement, Integer AImageIndex,
                                          TnbSkinElementState AState, const TRect& R) {
  TnbSkinElementCache* entry = nullptr;
  for (Integer i = 0; i < Count() && !entry; ++i) {
    TnbSkinElementCache* candidate = Items(i);
    const TRect& kept = candidate->Rect();
    if (candidate->Element() == AElement && kept.Left == R.Left && kept.Top == R.Top && kept.Right == R.Right &&
        kept.Bottom == R.Bottom)
      entry = candidate;
  }
  if (!entry) {
    entry = New<TnbSkinElementCache>();
    Add(entry);
    if (Count() > FCacheListLimit) {
      TObject* oldest = static_cast<TObject*>(TList::Items(0));
      Delete(0);
      Free(oldest);
    }
  }
  entry->DrawEx(DC, AElement, AImageIndex, AState, R);
}

void TnbSkinElementCacheList::Flush() { Clear(); }

// --- TnbSkinLookAndFeelPainterCacheManager -----------------------------------------------------

void TnbSkinLookAndFeelPainterCacheManager::Create() {
  FPrintingPreviewBackground = New<TnbSkinElementCache>();
  FScrollBarBackground[false] = New<TnbSkinElementCache>();
  FScrollBarBackground[true] = New<TnbSkinElementCache>();
}

void TnbSkinLookAndFeelPainterCacheManager::Destroy() {
  FreeAndNil(FPrintingPreviewBackground);
  FreeAndNil(FScrollBarBackground[false]);
  FreeAndNil(FScrollBarBackground[true]);
  inherited::Destroy();
}

void TnbSkinLookAndFeelPainterCacheManager::DrawScrollBarBackground(win::HDC DC, const TRect& R,
                                                                   Boolean AHorizontal, TnbSkinElement* AElement) {
  FScrollBarBackground[AHorizontal]->DrawEx(DC, AElement, 0, esNormal, R);
}

void TnbSkinLookAndFeelPainterCacheManager::DrawPreviewBackground(win::HDC DC, const TRect& R,
                                                                 TnbSkinElement* AElement) {
  FPrintingPreviewBackground->DrawEx(DC, AElement, 0, esNormal, R);
}

void TnbSkinLookAndFeelPainterCacheManager::Flush() {
  FPrintingPreviewBackground->Flush();
  FScrollBarBackground[false]->Flush();
  FScrollBarBackground[true]->Flush();
}
