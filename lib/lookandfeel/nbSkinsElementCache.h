// Rendered skin elements: one element drawn at one size, state and image
// index kept as a ready bitmap and copied (opaque) or blended (with alpha)
// onto the target; a list of a few such renderings evicted in creation order;
// the skin painter's caches of the scroll-bar page areas and the print
// preview background.
#pragma once

#include "lib/foundation/vlClasses.h"
#include "lib/lookandfeel/nbSkinsCore.h"

class TnbSkinElementCache : public TObject {
  CL_CLASS(TnbSkinElementCache, TObject)
 public:
  void Destroy() override;
  // Renders again only when element, state, image index or size differ.
  void CheckCacheState(TnbSkinElement* AElement, const TRect& R, Integer AImageIndex, TnbSkinElementState AState);
  void Draw(win::HDC DC, const TRect& R);
  void DrawEx(win::HDC DC, TnbSkinElement* AElement, Integer AImageIndex, TnbSkinElementState AState,
              const TRect& R);
  void Flush();

  win::gdiplus::GpBitmap* Cache() const { return FCache; }
  TvlBitmap* CacheOpaque() const { return FCacheOpaque; }
  TnbSkinElement* Element() const { return FElement; }
  Integer ImageIndex() const { return FImageIndex; }
  Boolean IsAlphaBlendUsed() const { return FIsAlphaBlendUsed; }
  const TRect& Rect() const { return FRect; }
  TnbSkinElementState State() const { return FState; }

 private:
  void ReleaseRendering();
  win::gdiplus::GpBitmap* FCache{};
  TvlBitmap* FCacheOpaque{};
  TnbSkinElement* FElement{};
  Integer FImageIndex{};
  Boolean FIsAlphaBlendUsed{};
  TRect FRect{};
  TnbSkinElementState FState{};
};

class TnbSkinElementCacheList : public TvlObjectList {
  CL_CLASS(TnbSkinElementCacheList, TvlObjectList)
 public:
  void Create();
  void DrawElement(win::HDC DC, TnbSkinElement* AElement, Integer AImageIndex, TnbSkinElementState AState,
                   const TRect& R);
  void Flush();
  TnbSkinElementCache* Items(Integer AIndex) const { return static_cast<TnbSkinElementCache*>(TList::Items(AIndex)); }
  Integer CacheListLimit() const { return FCacheListLimit; }

 private:
  Integer FCacheListLimit{};
};

class TnbSkinLookAndFeelPainterCacheManager : public TObject {
  CL_CLASS(TnbSkinLookAndFeelPainterCacheManager, TObject)
 public:
  void Create();
  void Destroy() override;
  void DrawScrollBarBackground(win::HDC DC, const TRect& R, Boolean AHorizontal, TnbSkinElement* AElement);
  void DrawPreviewBackground(win::HDC DC, const TRect& R, TnbSkinElement* AElement);
  // Forgets every rendering (the skin they came from changed).
  void Flush();
  TnbSkinElementCache* PrintingPreviewBackground() const { return FPrintingPreviewBackground; }
  TnbSkinElementCache* ScrollBarBackground(Boolean AHorizontal) const { return FScrollBarBackground[AHorizontal]; }

 private:
  TnbSkinElementCache* FPrintingPreviewBackground{};
  TnbSkinElementCache* FScrollBarBackground[2]{};
};
