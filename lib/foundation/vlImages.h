// The library's bitmaps and image drawing.
//
// TvlBitmap adds update locking, sizing helpers and the compressed stream
// form "BNBM" (a run-length encoding of the plain bitmap data) to the
// platform's bitmap; TvlBitmap32 fixes 32 bits per pixel and adds per-pixel
// alpha operations; TvlAlphaBitmap carries the per-pixel transformations of
// the draw modes. vlDrawImageEx draws every glyph and image-list image:
// it composes the image with its background in 32-bit work bitmaps, applies
// the draw mode and alpha-blends the result into place.
#pragma once

#include <vector>

#include "lib/foundation/vlGraphics.h"
#include "platform/classes/Classes.h"
#include "platform/vcl/Graphics.h"

class TCustomImageList;

// Pixels of 32 bits laid out B, G, R, A (an RGBQUAD; 0xAARRGGBB as words),
// rows of Width values; each operation states its row order.
using TRGBColors = std::vector<Cardinal>;

// The bits per pixel of a bitmap: its format's, or the canvas DC's for a
// device-dependent or custom format.
Integer vlGetBitmapBitsPerPixel(TBitmap* ABitmap);

// --- The compressed stream form --------------------------------------------------------

// Header of the compressed form: N (bytes after the header), "BNBM", version.
constexpr Integer vlBitmapStreamHeaderSize = 10;
constexpr SmallInt vlBitmapStreamVersion = 2;

// The version 2 body for plain bitmap data with elements of AElementSize bytes.
std::vector<Byte> vlCompressBitmapData(const Byte* AData, size_t ASize, Integer AElementSize);
// Decodes a body of the version (1 or 2). Damaged data (a run beyond the
// body, a count of 0 or above 125, an element size other than 1 to 4, more
// output than AMaxSize) raises EInvalidGraphic.
std::vector<Byte> vlDecompressBitmapData(const Byte* ABody, size_t ASize, SmallInt AVersion, size_t AMaxSize);

// --- Bitmaps ----------------------------------------------------------------------------

class TvlBitmap : public TBitmap {
  CL_CLASS(TvlBitmap, TBitmap)
 public:
  // 0 x 0; goes through the virtual CreateSize(AWidth, AHeight).
  void Create() override;
  // 24 bits here, 32 bits in TvlBitmap32 and its descendants.
  virtual void CreateSize(Integer AWidth, Integer AHeight);
  void CreateSize(const TRect& ARect);
  void CreateSize(const TRect& ARect, TPixelFormat APixelFormat);
  void CreateSize(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat);
  void Destroy() override;

  void SetSize(Integer AWidth, Integer AHeight) override;
  void SetSize(const TRect& ARect);
  virtual void Initialize(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat);
  virtual void Update();

  void BeginUpdate();
  void CancelUpdate();
  void EndUpdate(Boolean AForceUpdate = true);

  void CopyBitmap(TBitmap* ABitmap, Cardinal ACopyMode = cmSrcCopy);
  void CopyBitmap(TBitmap* ABitmap, const TRect& ADestRect, Cardinal ACopyMode, const TPoint& ASrcTopLeft);
  void Rotate(TvlRotationAngle ARotationAngle, Boolean AFlipVertically = false);

  // The stream form: compressed when CompressData is set; either form is read.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

  Boolean CompressData() const { return FCompressData; }
  void SetCompressData(Boolean Value) { FCompressData = Value; }
  TRect ClientRect() { return Rect(0, 0, Width(), Height()); }
  // The library canvas over the bitmap's canvas.
  TvlCanvas* vlCanvas() const { return FvlCanvas; }
  Integer LockCount() const { return FLockCount; }

 protected:
  void Changed(TObject* Sender) override;

 private:
  TvlCanvas* FvlCanvas{};
  Boolean FCompressData{};
  Integer FLockCount{};
  Boolean FModified{};
};

class TvlBitmap32 : public TvlBitmap {
  CL_CLASS(TvlBitmap32, TvlBitmap)
 public:
  using inherited::CreateSize;
  void CreateSize(Integer AWidth, Integer AHeight) override;
  void CreateSize(Integer AWidth, Integer AHeight, Boolean AClear);
  void CreateSize(const TRect& ARect, Boolean AClear);

  // Every pixel 0 (black, alpha 0).
  virtual void Clear();
  // "Wrong PixelFormat" (EnbException) unless 32 bits per pixel.
  void Update() override;

  // All pixels, bottom-up.
  void GetBitmapColors(TRGBColors& AColors);
  void SetBitmapColors(const TRGBColors& AColors);
  // Blends the whole bitmap into ADestRect of ADestBitmap with a constant alpha.
  void AlphaBlend(TBitmap* ADestBitmap, const TRect& ADestRect, Byte AAlpha, Boolean ASmoothStretch);
  // Pixels where the mask is white become 0.
  void Filter(TBitmap* AMaskBitmap);
  void Invert();
  void LoadFromStream(TStream* Stream) override;
  void MakeOpaque() { SetAlphaChannel(255); }
  void SetAlphaChannel(Byte AAlpha);
  // Pixels of the colour become fully transparent black; every other pixel
  // whose alpha is 0 becomes opaque.
  void RecoverTransparency(TColor ATransparentColor);
  Boolean IsAlphaUsed();
};

// --- Alpha bitmap and draw modes ---------------------------------------------------------

CL_ENUM(TvlImageDrawMode, Byte, idmNormal, idmDisabled, idmFaded, idmGrayScale, idmDingy, idmShadowed)
CL_ENUM(TvlBitmapTransformationMode, Byte, btmDingy, btmDirty, btmGrayScale, btmSetOpaque, btmMakeMask, btmFade,
        btmDisable, btmCorrectBlend, btmHatch, btmClear, btmResetAlpha)

// A list of RGB values (B, G, R with the fourth byte 0).
class TvlColorList : public TList {
  CL_CLASS(TvlColorList, TList)
 public:
  void Add(TColor AColor);
  Boolean ContainsRGB(Cardinal APixel) const;
};

#pragma pack(push, 1)
struct TvlHatchData {
  Cardinal Color1{};
  Byte Alpha1{};
  Cardinal Color2{};
  Byte Alpha2{};
  Byte Step{};
};
#pragma pack(pop)

class TvlAlphaBitmap : public TvlBitmap32 {
  CL_CLASS(TvlAlphaBitmap, TvlBitmap32)
 public:
  using inherited::CreateSize;
  void CreateSize(Integer AWidth, Integer AHeight) override;
  // The colour value is kept as the 32-bit background mark.
  void CreateSize(Integer AWidth, Integer AHeight, Cardinal ATransparentBkColor);
  void Destroy() override;

  void Clear() override;
  void RefreshImage(Integer AWidth, Integer AHeight);
  void RefreshImage(const TRect& ARect);
  void TransformBitmap(TvlBitmapTransformationMode AMode);
  void DrawHatch(TColor AColor1, TColor AColor2, Byte AAlpha1, Byte AAlpha2, Byte AStep);
  void DrawShadow(TvlAlphaBitmap* AMaskBitmap, Byte AShadowSize, TColor AShadowColor, Boolean AGrow);
  void RecoverAlphaChannel(TColor ATransparentColor);
  void Shade(TvlAlphaBitmap* AMaskBitmap);

  Cardinal TransparentBkColor() const { return FTransparentBkColor; }
  void SetTransparentBkColor(Cardinal Value) { FTransparentBkColor = Value; }
  TvlColorList* TransparentPixels();
  Boolean IsColorTransparent(Cardinal APixel);

 private:
  void TransformPixel(TvlBitmapTransformationMode AMode, Cardinal& APixel);
  Cardinal FTransparentBkColor{};
  TvlColorList* FTransparentPixels{};
  TPoint FCurrentColorIndex{};
  TvlHatchData FHatchData{};
};

// The pixel blend: source S (premultiplied) over destination D with the constant alpha K.
Cardinal vlBlendPixel(Cardinal ASource, Cardinal ADest, Byte AAlpha);

// Draws a glyph (a non-empty bitmap) or image AImageIndex of AImages into
// AGlyphRect over ABackgroundRect of the DC (filled with ABrush when given,
// else the DC's own pixels), in the draw mode. ATransparentColor (unless
// clNone) and, with AUseGlyphTransparency, the glyph's transparent colour
// mark see-through pixels of images without alpha.
void vlDrawImageEx(win::HDC DC, const TRect& AGlyphRect, const TRect& ABackgroundRect, TBitmap* AGlyph,
                   TCustomImageList* AImages, Integer AImageIndex, TvlImageDrawMode ADrawMode,
                   Boolean ASmoothImage = false, win::HBRUSH ABrush = nullptr, TColor ATransparentColor = clNone,
                   Boolean AUseGlyphTransparency = true);

void vlAlphaBlendDC(win::HDC ADestDC, win::HDC ASrcDC, const TRect& ADestRect, Byte AAlpha, Boolean ASmooth,
                    const TRect& ASrcRect);
void vlAlphaBlendBitmaps(TBitmap* ADestBitmap, TBitmap* ASrcBitmap, const TRect& ADestRect, Byte AAlpha,
                         Boolean ASmooth, const TRect& ASrcRect);
void vlAlphaBlendToDC(win::HDC ADestDC, TBitmap* ASrcBitmap, const TRect& ADestRect, Byte AAlpha, Boolean ASmooth,
                      const TRect& ASrcRect);
void vlBlitBitmap(win::HDC DC, TBitmap* ABitmap, const TRect& ADestRect, Cardinal ARop,
                  const TPoint& ASrcTopLeft = TPoint());
void vlDrawHatchRect(win::HDC DC, const TRect& ARect, TColor AColor1, TColor AColor2, Byte AAlpha1, Byte AAlpha2,
                     Byte AStep);
void vlExtractAlphaMask(TBitmap* ABitmap, TBitmap* AMaskBitmap);
void vlCopyBitmap(TBitmap* ADest, TBitmap* ASource);
// Lanczos-3 resampling of ASource into ADest (of another size).
void vlStretchLanczos3(TBitmap* ASource, TBitmap* ADest);

// New bitmaps through the sized constructors.
TvlBitmap* vlNewBitmap(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat);
TvlBitmap32* vlNewBitmap32(Integer AWidth, Integer AHeight, Boolean AClear = true);
TvlAlphaBitmap* vlNewAlphaBitmap(Integer AWidth, Integer AHeight, Cardinal ATransparentBkColor = 0);

// A custom image-draw hook: answers true when it has drawn.
using TvlCustomDrawImageProc = Boolean (*)(TCanvas* ACanvas, TCustomImageList* AImages, Integer AImageIndex,
                                           TvlImageDrawMode ADrawMode, const TRect& AGlyphRect, TBitmap* AGlyph);
extern TvlCustomDrawImageProc vlCustomDrawImageProc;
