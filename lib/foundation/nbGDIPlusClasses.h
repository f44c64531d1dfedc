// GDI+ images and the PNG picture format: PNG images are loaded from
// streams, drawn with per-pixel alpha, compared, converted to and from
// bitmaps, and accepted wherever the picture classes take a graphic (the
// format "PNG" is registered while GDI+ is available). Without GDI+ the
// classes exist but hold nothing.
#pragma once

#include <memory>
#include <vector>

#include "lib/foundation/nbGDIPlusAPI.h"

class TStream;

// Pixels of 32 bits laid out B, G, R, A (0xAARRGGBB as words), rows from the
// top, Width values per row.
using TnbRGBColors = std::vector<Cardinal>;

class TnbGPImage;
using TnbGPImageClass = TClassOf<TnbGPImage>;

// A GDI+ image, optionally over an unpacked pixel array that is then its
// pixel source (shared by clones).
class TnbGPImage : public TnbGPBase {
  CL_CLASS(TnbGPImage, TnbGPBase)
 public:
  void Destroy() override;

  virtual void FreeHandle();
  virtual void CreateHandleFromStream(TStream* AStream);
  virtual void CreateFromBitmap(TBitmap* ABitmap);
  // Pixels are taken over (shared); without alpha every alpha byte becomes 255.
  virtual void CreateFromPattern(Integer AWidth, Integer AHeight, std::shared_ptr<TnbRGBColors> APixels,
                                 Boolean AHasAlpha);
  // A stream of 14 bytes or more: a BMP file ("BM") through a bitmap, else
  // whatever GDI+ decodes; a shorter one gives an empty image.
  virtual void CreateFromStream(TStream* AStream);
  // A new 32-bit bitmap of the image (the caller frees it).
  virtual TBitmap* GetAsBitmap();

  TnbGpImage* Handle() const { return FHandle; }
  Integer Width() const;
  Integer Height() const;
  TRect ClientRect() const { return Rect(0, 0, Width(), Height()); }
  Boolean Empty() const { return !FHandle || Width() < 1 || Height() < 1; }

  TnbGPImage* Clone();
  void SaveToStream(TStream* AStream);
  void Draw(win::HDC DC, const TRect& ARect);
  void DrawEx(TnbGpGraphics* AGraphics, const TRect& ADestRect, Byte AAlpha, const TRect& ASourceRect);
  // A copy of the pixels (unpacking the image first).
  TnbRGBColors GetBitmapBits();
  // The bitmap's pixels, top-down, 32 bits (class method).
  static void GetBitmapBits(TBitmap* ABitmap, TnbRGBColors& APixels);
  // A new image mixing every channel toward AOverlay by AAlpha / 255; nil
  // when the image has no pixels.
  TnbGPImage* MakeComposition(TnbGPImage* AOverlay, Byte AAlpha);

 protected:
  void Unpack();
  TnbGpImage* FHandle{};
  std::shared_ptr<TnbRGBColors> FBits;
};

// The same image kept in ordinary memory: the image class while GDI+ is
// unavailable.
class TnbGPNullImage : public TnbGPImage {
  CL_CLASS(TnbGPNullImage, TnbGPImage)
 public:
  static void* operator new(size_t ASize);
  static void operator delete(void* APtr);
};

// The class all images are made of (TnbGPNullImage until GDI+ is found).
TnbGPImageClass nbGPImageClass();
// The unit's initialize and finalize procedures (run through the units
// loader): the image class chosen and the PNG format registered while GDI+
// is available; at finalize the format unregistered.
void nbGDIPlusClassesInitialize();
void nbGDIPlusClassesFinalize();

// The PNG picture format.
class TnbPNGImage : public TGraphic {
  CL_CLASS(TnbPNGImage, TGraphic)
 public:
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  // An empty stream empties the graphic; data that is no picture raises
  // EInvalidGraphic and keeps the old image. Without GDI+ the graphic is
  // emptied whatever the data.
  void LoadFromStream(TStream* Stream) override;
  // Nothing is written for an empty graphic.
  void SaveToStream(TStream* Stream) override;

  // Equal sizes and either empty, or every pixel equal in all four channels.
  virtual Boolean Compare(TnbPNGImage* AImage);
  virtual TBitmap* GetAsBitmap();
  virtual void SetBitmap(TBitmap* ABitmap);
  virtual void StretchDraw(win::HDC DC, const TRect& ADest);
  virtual void StretchDraw(win::HDC DC, const TRect& ADest, const TRect& ASource);
  virtual void StretchDrawEx(TnbGpGraphics* AGraphics, const TRect& ADest, const TRect& ASource);
  void DrawEx(TnbGpGraphics* AGraphics, const TRect& ADest, const TRect& ASource);

  TnbGPImage* Handle() const { return FHandle; }
  // Takes ownership of AValue (the held image is freed).
  void SetHandle(TnbGPImage* AValue);
  // Whether any pixel's alpha differs from 255 (cached until Changed).
  Boolean IsAlphaUsed();

 protected:
  void AssignTo(TPersistent* Dest) override;
  void Changed(TObject* Sender) override;
  Boolean GetEmpty() override;
  Integer GetWidth() override;
  Integer GetHeight() override;
  void DoSetWidth(Integer) override {}
  void DoSetHeight(Integer) override {}
  Boolean GetTransparent() override { return true; }

 private:
  TnbGPImage* FHandle{};
  Boolean FIsAlphaUsed{};
  Boolean FIsAlphaUsedValid{};
};
