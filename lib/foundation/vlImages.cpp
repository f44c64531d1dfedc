#include "lib/foundation/vlImages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "lib/foundation/nbCore.h"
#include "lib/foundation/nbGDIPlusClasses.h"
#include "lib/foundation/vlImageList.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/win/Gdi.h"
#include "platform/win/ImageList.h"
#include "platform/win/Modules.h"

using namespace win;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

// The largest plain bitmap data the compressed form may expand to: the
// graphics layer refuses pictures above 2^26 pixels anyway.
constexpr size_t MaxPlainDataSize = (size_t(1) << 28) + 4096;

using TAlphaBlendProc = decltype(&win::AlphaBlend);
HMODULE gMsimg32{};
TAlphaBlendProc gAlphaBlend{};

TvlAlphaBitmap* gDrawBitmap{};
TvlAlphaBitmap* gImageBitmap{};
TvlAlphaBitmap* gMaskBitmap{};

void Startup() {
  gMsimg32 = LoadLibraryW(u"msimg32.dll");
  if (gMsimg32) gAlphaBlend = reinterpret_cast<TAlphaBlendProc>(GetProcAddress(gMsimg32, "AlphaBlend"));
}

void Shutdown() {
  FreeAndNil(gDrawBitmap);
  FreeAndNil(gImageBitmap);
  FreeAndNil(gMaskBitmap);
  gAlphaBlend = nullptr;
  if (gMsimg32) FreeLibrary(gMsimg32);
  gMsimg32 = nullptr;
}

TvlAlphaBitmap* WorkBitmap(TvlAlphaBitmap*& ABitmap, Integer AWidth, Integer AHeight) {
  if (!ABitmap) ABitmap = vlNewAlphaBitmap(AWidth, AHeight, Cardinal(0));
  ABitmap->RefreshImage(AWidth, AHeight);
  return ABitmap;
}

inline Byte Ch(Cardinal P, int AShift) { return Byte(P >> AShift); }
inline Cardinal Pack(Integer B, Integer G, Integer R, Integer A) {
  return Cardinal(B) | Cardinal(G) << 8 | Cardinal(R) << 16 | Cardinal(A) << 24;
}
inline Integer Clamp255(Integer V) { return V < 0 ? 0 : V > 255 ? 255 : V; }
// Half away from zero, as Round of the pixel formulas (values here are not negative).
inline Integer RoundInt(double V) { return V >= 0 ? Integer(V + 0.5) : Integer(std::lround(V)); }

Cardinal ColorToQuad(TColor AColor, Byte AAlpha) {
  const Cardinal rgb = Cardinal(ColorToRGB(AColor));
  return Pack(Integer(rgb >> 16 & 0xFF), Integer(rgb >> 8 & 0xFF), Integer(rgb & 0xFF), AAlpha);
}

Cardinal Gray(Cardinal P, double WR, double WG, double WB) {
  const Integer g = Clamp255(RoundInt(Ch(P, 16) * WR + Ch(P, 8) * WG + Ch(P, 0) * WB));
  return Pack(g, g, g, Ch(P, 24));
}

BLENDFUNCTION Blend(Byte AAlpha) { return BLENDFUNCTION{AC_SRC_OVER, 0, AAlpha, AC_SRC_ALPHA}; }

}  // namespace

CL_UNIT_STEPS(vlImages, &Startup, &Shutdown);

CL_IMPLEMENT_CLASS(TvlBitmap)
CL_IMPLEMENT_CLASS(TvlBitmap32)
CL_IMPLEMENT_CLASS(TvlColorList)
CL_IMPLEMENT_CLASS(TvlAlphaBitmap)

TvlCustomDrawImageProc vlCustomDrawImageProc = nullptr;

Integer vlGetBitmapBitsPerPixel(TBitmap* ABitmap) {
  switch (ABitmap->PixelFormat()) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return GetDeviceCaps(ABitmap->Canvas()->Handle(), BITSPIXEL);
  }
}

TvlBitmap* vlNewBitmap(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat) {
  return NewBy<TvlBitmap>(static_cast<void (TvlBitmap::*)(Integer, Integer, TPixelFormat)>(&TvlBitmap::CreateSize),
                          AWidth, AHeight, APixelFormat);
}

TvlBitmap32* vlNewBitmap32(Integer AWidth, Integer AHeight, Boolean AClear) {
  return NewBy<TvlBitmap32>(static_cast<void (TvlBitmap32::*)(Integer, Integer, Boolean)>(&TvlBitmap32::CreateSize),
                            AWidth, AHeight, AClear);
}

TvlAlphaBitmap* vlNewAlphaBitmap(Integer AWidth, Integer AHeight, Cardinal ATransparentBkColor) {
  return NewBy<TvlAlphaBitmap>(
      static_cast<void (TvlAlphaBitmap::*)(Integer, Integer, Cardinal)>(&TvlAlphaBitmap::CreateSize), AWidth, AHeight,
      ATransparentBkColor);
}

// --- TvlBitmap ------------------------------------------------------------------------------

void TvlBitmap::Create() { CreateSize(0, 0); }

void TvlBitmap::CreateSize(Integer AWidth, Integer AHeight) { CreateSize(AWidth, AHeight, pf24bit); }

void TvlBitmap::CreateSize(const TRect& ARect) { CreateSize(ARect.Width(), ARect.Height()); }

void TvlBitmap::CreateSize(const TRect& ARect, TPixelFormat APixelFormat) {
  CreateSize(ARect.Width(), ARect.Height(), APixelFormat);
}

void TvlBitmap::CreateSize(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat) {
  inherited::Create();
  Initialize(AWidth, AHeight, APixelFormat);
}

void TvlBitmap::Destroy() {
  FreeAndNil(FvlCanvas);
  inherited::Destroy();
}

void TvlBitmap::Initialize(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat) {
  FvlCanvas = New<TvlCanvas>(Canvas());
  BeginUpdate();
  Finally end([&] { EndUpdate(true); });
  SetPixelFormat(APixelFormat);
  SetSize(AWidth, AHeight);
}

void TvlBitmap::Update() {}

void TvlBitmap::BeginUpdate() { ++FLockCount; }

void TvlBitmap::CancelUpdate() { --FLockCount; }

void TvlBitmap::EndUpdate(Boolean AForceUpdate) {
  --FLockCount;
  if (FLockCount == 0 && (AForceUpdate || FModified)) Changed(this);
}

void TvlBitmap::Changed(TObject* Sender) {
  if (FLockCount > 0) {
    FModified = true;
    return;
  }
  inherited::Changed(Sender);
  Update();
  FModified = false;
}

void TvlBitmap::SetSize(Integer AWidth, Integer AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == Width() && AHeight == Height()) return;
  BeginUpdate();
  Finally end([&] { EndUpdate(false); });
  inherited::SetSize(AWidth, AHeight);
}

void TvlBitmap::SetSize(const TRect& ARect) { SetSize(ARect.Width(), ARect.Height()); }

void TvlBitmap::CopyBitmap(TBitmap* ABitmap, Cardinal ACopyMode) {
  CopyBitmap(ABitmap, ClientRect(), ACopyMode, TPoint());
}

void TvlBitmap::CopyBitmap(TBitmap* ABitmap, const TRect& ADestRect, Cardinal ACopyMode, const TPoint& ASrcTopLeft) {
  BitBlt(Canvas()->Handle(), ADestRect.Left, ADestRect.Top, ADestRect.Width(), ADestRect.Height(),
         ABitmap->Canvas()->Handle(), ASrcTopLeft.X, ASrcTopLeft.Y, ACopyMode);
}

void TvlBitmap::Rotate(TvlRotationAngle ARotationAngle, Boolean AFlipVertically) {
  FvlCanvas->RotateBitmap(this, ARotationAngle, AFlipVertically);
}

void TvlBitmap::WriteData(TStream* Stream) {
  if (!FCompressData) {
    inherited::WriteData(Stream);
    return;
  }
  Owned<TMemoryStream> plain(New<TMemoryStream>());
  inherited::WriteData(plain.get());
  const Integer e = std::max(vlGetBitmapBitsPerPixel(this) / 8, 1);
  const std::vector<Byte> body =
      vlCompressBitmapData(static_cast<const Byte*>(plain->Memory()), size_t(plain->Size()), e);
  const Integer n = Integer(body.size());
  const SmallInt version = vlBitmapStreamVersion;
  Stream->WriteBuffer(&n, 4);
  Stream->WriteBuffer("BNBM", 4);
  Stream->WriteBuffer(&version, 2);
  Stream->WriteBuffer(body.data(), n);
}

void TvlBitmap::ReadData(TStream* Stream) {
  const Int64 start = Stream->Position();
  Integer n = 0;
  char signature[4]{};
  SmallInt version = 0;
  if (Stream->Size() - start >= vlBitmapStreamHeaderSize) {
    Stream->ReadBuffer(&n, 4);
    Stream->ReadBuffer(signature, 4);
  }
  if (std::memcmp(signature, "BNBM", 4) != 0) {
    Stream->SetPosition(start);
    inherited::ReadData(Stream);
    return;
  }
  Stream->ReadBuffer(&version, 2);  // the decoder refuses versions other than 1 and 2
  if (n < 0 || n > Stream->Size() - Stream->Position()) throw EInvalidGraphic(u"Compressed bitmap data is damaged");
  std::vector<Byte> body(static_cast<size_t>(n));
  if (n) Stream->ReadBuffer(body.data(), n);
  const std::vector<Byte> plain = vlDecompressBitmapData(body.data(), body.size(), version, MaxPlainDataSize);
  Integer length = -1;
  if (plain.size() >= 4) std::memcpy(&length, plain.data(), 4);
  if (length < 0 || size_t(length) + 4 != plain.size()) throw EInvalidGraphic(u"Compressed bitmap data is damaged");
  Owned<TMemoryStream> decoded(New<TMemoryStream>());
  decoded->WriteBuffer(plain.data(), Integer(plain.size()));
  decoded->SetPosition(0);
  inherited::ReadData(decoded.get());
}

// --- TvlBitmap32 ----------------------------------------------------------------------------

void TvlBitmap32::CreateSize(Integer AWidth, Integer AHeight) { inherited::CreateSize(AWidth, AHeight, pf32bit); }

void TvlBitmap32::CreateSize(Integer AWidth, Integer AHeight, Boolean AClear) {
  CreateSize(AWidth, AHeight);
  if (AClear) Clear();
}

void TvlBitmap32::CreateSize(const TRect& ARect, Boolean AClear) { CreateSize(ARect.Width(), ARect.Height(), AClear); }

void TvlBitmap32::Clear() {
  if (Width() == 0 || Height() == 0) return;
  const RECT r = ClientRect();
  FillRect(Canvas()->Handle(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void TvlBitmap32::Update() {
  if (vlGetBitmapBitsPerPixel(this) != 32) throw EnbException(u"Wrong PixelFormat");
}

// A 32-bit DIB section is one block of rows from the bottom up.
void TvlBitmap32::GetBitmapColors(TRGBColors& AColors) {
  const Integer w = Width(), h = Height();
  AColors.resize(size_t(w) * size_t(h));
  if (AColors.empty()) return;
  std::memcpy(AColors.data(), ScanLine(h - 1), AColors.size() * 4);
}

void TvlBitmap32::SetBitmapColors(const TRGBColors& AColors) {
  const size_t count = size_t(Width()) * size_t(Height());
  if (count == 0 || AColors.size() < count) return;
  std::memcpy(ScanLine(Height() - 1), AColors.data(), count * 4);
}

void TvlBitmap32::AlphaBlend(TBitmap* ADestBitmap, const TRect& ADestRect, Byte AAlpha, Boolean ASmoothStretch) {
  vlAlphaBlendBitmaps(ADestBitmap, this, ADestRect, AAlpha, ASmoothStretch, ClientRect());
}

void TvlBitmap32::Filter(TBitmap* AMaskBitmap) { CopyBitmap(AMaskBitmap, 0x220326); }

void TvlBitmap32::Invert() { CopyBitmap(this, cmNotSrcCopy); }

void TvlBitmap32::LoadFromStream(TStream* Stream) {
  BeginUpdate();
  Finally end([&] {
    SetPixelFormat(pf32bit);
    EndUpdate(false);
  });
  inherited::LoadFromStream(Stream);
}

void TvlBitmap32::SetAlphaChannel(Byte AAlpha) {
  TRGBColors colors;
  GetBitmapColors(colors);
  for (Cardinal& p : colors) p = (p & 0x00FFFFFF) | Cardinal(AAlpha) << 24;
  SetBitmapColors(colors);
  Changed(this);
}

void TvlBitmap32::RecoverTransparency(TColor ATransparentColor) {
  const Cardinal rgb = ColorToQuad(ATransparentColor, 0);
  TRGBColors colors;
  GetBitmapColors(colors);
  for (Cardinal& p : colors)
    if ((p & 0x00FFFFFF) == rgb)
      p = 0;
    else if ((p >> 24) == 0)
      p |= 0xFF000000;
  SetBitmapColors(colors);
  Changed(this);
}

Boolean TvlBitmap32::IsAlphaUsed() {
  const size_t count = size_t(Width()) * size_t(Height());
  if (count == 0) return false;
  const Cardinal* colors = static_cast<const Cardinal*>(ScanLine(Height() - 1));
  return std::any_of(colors, colors + count, [](Cardinal p) { return (p >> 24) != 0; });
}

// --- TvlColorList ---------------------------------------------------------------------------

void TvlColorList::Add(TColor AColor) { inherited::Add(reinterpret_cast<Pointer>(uintptr_t(ColorToQuad(AColor, 0)))); }

Boolean TvlColorList::ContainsRGB(Cardinal APixel) const {
  return IndexOf(reinterpret_cast<Pointer>(uintptr_t(APixel & 0x00FFFFFF))) >= 0;
}

// --- TvlAlphaBitmap -------------------------------------------------------------------------

void TvlAlphaBitmap::CreateSize(Integer AWidth, Integer AHeight) { inherited::CreateSize(AWidth, AHeight); }

void TvlAlphaBitmap::CreateSize(Integer AWidth, Integer AHeight, Cardinal ATransparentBkColor) {
  FTransparentBkColor = ATransparentBkColor;
  CreateSize(AWidth, AHeight);
}

void TvlAlphaBitmap::Destroy() {
  FreeAndNil(FTransparentPixels);
  inherited::Destroy();
}

TvlColorList* TvlAlphaBitmap::TransparentPixels() {
  if (!FTransparentPixels) FTransparentPixels = New<TvlColorList>();
  return FTransparentPixels;
}

Boolean TvlAlphaBitmap::IsColorTransparent(Cardinal APixel) {
  return APixel == FTransparentBkColor || (FTransparentPixels && FTransparentPixels->ContainsRGB(APixel));
}

void TvlAlphaBitmap::Clear() {
  if ((FTransparentBkColor >> 24) != 0)
    TransformBitmap(btmClear);
  else
    inherited::Clear();
}

void TvlAlphaBitmap::RefreshImage(Integer AWidth, Integer AHeight) {
  SetSize(AWidth, AHeight);
  if (FTransparentPixels) FTransparentPixels->Clear();
  Clear();
}

void TvlAlphaBitmap::RefreshImage(const TRect& ARect) { RefreshImage(ARect.Width(), ARect.Height()); }

void TvlAlphaBitmap::TransformPixel(TvlBitmapTransformationMode AMode, Cardinal& P) {
  switch (AMode) {
    case btmSetOpaque: P |= 0xFF000000; return;
    case btmMakeMask: P = IsColorTransparent(P) ? 0xFFFFFFFF : 0; return;
    case btmClear: P = FTransparentBkColor; return;
    case btmResetAlpha: P &= 0x00FFFFFF; return;
    case btmHatch: {
      const Integer step = std::max<Integer>(FHatchData.Step, 1);
      if (((FCurrentColorIndex.X / step) + (FCurrentColorIndex.Y / step)) % 2)
        P = vlBlendPixel(FHatchData.Color2, P, FHatchData.Alpha2);
      else
        P = vlBlendPixel(FHatchData.Color1, P, FHatchData.Alpha1);
      return;
    }
    default: break;
  }
  if (IsColorTransparent(P)) return;
  switch (AMode) {
    case btmDingy:
      if (Ch(P, 24) == 255) {
        auto up = [](Integer c) { return c + MulDiv(255 - c, 3, 10); };
        P = Pack(up(Ch(P, 0)), up(Ch(P, 8)), up(Ch(P, 16)), 255);
      } else {
        auto down = [](Integer c) { return Clamp255(MulDiv(c, 200, 255)); };
        P = Pack(down(Ch(P, 0)), down(Ch(P, 8)), down(Ch(P, 16)), down(Ch(P, 24)));
      }
      break;
    case btmDirty:
      P = vlBlendPixel(ColorToQuad(clBtnShadow, 192), Gray(P, 0.299, 0.587, 0.114), 238);
      break;
    case btmGrayScale: {
      const Integer g = (Ch(P, 0) + Ch(P, 8) + Ch(P, 16)) / 3;
      P = Pack(g, g, g, Ch(P, 24));
      break;
    }
    case btmFade: P = Gray(P, 0.299, 0.587, 0.114); break;
    case btmDisable: P = Gray(P, 0.0729, 0.7146, 0.2125); break;
    case btmCorrectBlend:
      if (Ch(P, 24) == 0) P |= 0xFF000000;
      break;
    default: break;
  }
}

void TvlAlphaBitmap::TransformBitmap(TvlBitmapTransformationMode AMode) {
  const Integer w = Width(), h = Height();
  if (w > 0 && h > 0) {
    // the pixels in place, bottom-up (one block in a 32-bit DIB section)
    Cardinal* colors = static_cast<Cardinal*>(ScanLine(h - 1));
    for (Integer x = 0; x < w; ++x)
      for (Integer y = 0; y < h; ++y) {
        FCurrentColorIndex = Point(x, y);
        TransformPixel(AMode, colors[size_t(y) * size_t(w) + size_t(x)]);
      }
  }
  Changed(this);
}

void TvlAlphaBitmap::DrawHatch(TColor AColor1, TColor AColor2, Byte AAlpha1, Byte AAlpha2, Byte AStep) {
  FHatchData = {ColorToQuad(AColor1, 255), AAlpha1, ColorToQuad(AColor2, 255), AAlpha2, AStep};
  TransformBitmap(btmHatch);
}

void TvlAlphaBitmap::RecoverAlphaChannel(TColor ATransparentColor) {
  TransparentPixels()->Clear();
  TransparentPixels()->Add(ATransparentColor);
  FTransparentBkColor = ColorToQuad(ATransparentColor, 0);
  TransformBitmap(btmCorrectBlend);
}

void TvlAlphaBitmap::DrawShadow(TvlAlphaBitmap* AMaskBitmap, Byte AShadowSize, TColor AShadowColor, Boolean AGrow) {
  const Integer s = AShadowSize, w = Width(), h = Height();
  Owned<TvlAlphaBitmap> shadow(vlNewAlphaBitmap(w + 2 * s, h + 2 * s, 0xFFFFFFFFu));
  shadow->Clear();
  shadow->CopyBitmap(AMaskBitmap, Rect(s, s, s + w, s + h), cmSrcCopy, TPoint());
  // where the glyph moved by s covers a pixel the glyph leaves clear: the shadow colour
  shadow->Canvas()->Brush()->SetColor(AShadowColor);
  shadow->CopyBitmap(shadow.get(), Rect(s, s, w + 3 * s, h + 3 * s), 0x200F09, TPoint());
  shadow->SetTransparentBkColor(0);
  shadow->TransformBitmap(btmCorrectBlend);

  Owned<TvlAlphaBitmap> result(vlNewAlphaBitmap(w + s, h + s, 0u));
  result->Clear();
  result->CopyBitmap(this, Rect(0, 0, w, h), cmSrcCopy, TPoint());
  result->CopyBitmap(shadow.get(), result->ClientRect(), cmSrcPaint, Point(s, s));
  if (AGrow) SetSize(w + s, h + s);
  CopyBitmap(result.get(), cmSrcCopy);
  Changed(this);
}

void TvlAlphaBitmap::Shade(TvlAlphaBitmap* AMaskBitmap) {
  AMaskBitmap->CopyBitmap(AMaskBitmap, cmPatInvert);
  CopyBitmap(AMaskBitmap, Rect(1, 1, Width(), Height()), cmSrcCopy, TPoint());
  Canvas()->Brush()->SetColor(clBtnShadow);
  CopyBitmap(AMaskBitmap, ClientRect(), 0xE20746, TPoint());
  TransformBitmap(btmCorrectBlend);
}

// --- Blending -------------------------------------------------------------------------------

Cardinal vlBlendPixel(Cardinal S, Cardinal D, Byte AAlpha) {
  const double c = AAlpha / 255.0;
  const double a = c * Ch(S, 24);
  const double e = 1 - a / 255;
  auto mix = [&](int shift) { return Clamp255(RoundInt(c * Ch(S, shift) + e * Ch(D, shift))); };
  return Pack(mix(0), mix(8), mix(16), Clamp255(RoundInt(a + e * Ch(D, 24))));
}

void vlBlitBitmap(HDC DC, TBitmap* ABitmap, const TRect& ADestRect, Cardinal ARop, const TPoint& ASrcTopLeft) {
  HDC src = ABitmap->Canvas()->Handle();
  if (nbOSWin9xFamily && GetDeviceCaps(DC, BITSPIXEL) == 32 && vlGetBitmapBitsPerPixel(ABitmap) < 32) {
    Owned<TvlAlphaBitmap> copy(vlNewAlphaBitmap(ABitmap->Width(),
                                                     ABitmap->Height(), Cardinal(0)));
    copy->CopyBitmap(ABitmap, cmSrcCopy);
    copy->TransformBitmap(btmResetAlpha);
    BitBlt(DC, ADestRect.Left, ADestRect.Top, ADestRect.Width(), ADestRect.Height(), copy->Canvas()->Handle(),
           ASrcTopLeft.X, ASrcTopLeft.Y, ARop);
    return;
  }
  BitBlt(DC, ADestRect.Left, ADestRect.Top, ADestRect.Width(), ADestRect.Height(), src, ASrcTopLeft.X,
         ASrcTopLeft.Y, ARop);
}

void vlCopyBitmap(TBitmap* ADest, TBitmap* ASource) {
  vlBlitBitmap(ADest->Canvas()->Handle(), ASource, Rect(0, 0, ADest->Width(), ADest->Height()), cmSrcCopy);
  ADest->SetModified(true);
}

namespace {

TvlBitmap32* NewBitmap32(Integer AWidth, Integer AHeight) {
  TvlBitmap32* b = vlNewBitmap32(AWidth, AHeight, true);
  return b;
}

// The software path: blends ASrcRect of the source DC into ADestRect of the
// destination through 32-bit copies, scaled with Lanczos-3 when smooth.
void SoftwareAlphaBlend(HDC ADestDC, HDC ASrcDC, const TRect& ADestRect, Byte AAlpha, Boolean ASmooth,
                        const TRect& ASrcRect) {
  const Integer dw = ADestRect.Width(), dh = ADestRect.Height(), sw = ASrcRect.Width(), sh = ASrcRect.Height();
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  Owned<TvlBitmap32> source(NewBitmap32(sw, sh));
  BitBlt(source->Canvas()->Handle(), 0, 0, sw, sh, ASrcDC, ASrcRect.Left, ASrcRect.Top, SRCCOPY);
  if (nbOSWow64 && nbIsGdiPlusAvailable()) {
    TRGBColors px;
    source->GetBitmapColors(px);
    auto top = std::make_shared<TnbRGBColors>(px.size());
    for (Integer y = 0; y < sh; ++y)
      std::memcpy(&(*top)[size_t(y) * size_t(sw)], &px[size_t(sh - 1 - y) * size_t(sw)], size_t(sw) * 4);
    Owned<TnbGPImage> image(NewBy<TnbGPImage>(&TnbGPImage::CreateFromPattern, sw, sh, top, true));
    TnbGpGraphics* g{};
    if (!nbGpCheck(nbgp::GdipCreateFromHDC(ADestDC, &g))) return;
    win::gdiplus::InterpolationMode old{};
    nbgp::GdipGetInterpolationMode(g, &old);
    nbgp::GdipSetInterpolationMode(g, ASmooth ? win::gdiplus::InterpolationModeHighQualityBicubic
                                              : win::gdiplus::InterpolationModeLowQuality);
    image->DrawEx(g, ADestRect, AAlpha, Rect(0, 0, sw, sh));
    nbgp::GdipSetInterpolationMode(g, old);
    nbgp::GdipDeleteGraphics(g);
    return;
  }
  Owned<TvlBitmap32> dest(NewBitmap32(dw, dh));
  BitBlt(dest->Canvas()->Handle(), 0, 0, dw, dh, ADestDC, ADestRect.Left, ADestRect.Top, SRCCOPY);
  Owned<TvlBitmap32> scaled(NewBitmap32(dw, dh));
  if (ASmooth) {
    vlStretchLanczos3(source.get(), scaled.get());
  } else {
    SetStretchBltMode(scaled->Canvas()->Handle(), COLORONCOLOR);
    StretchBlt(scaled->Canvas()->Handle(), 0, 0, dw, dh, source->Canvas()->Handle(), 0, 0, sw, sh, SRCCOPY);
  }
  if (!gAlphaBlend ||
      !gAlphaBlend(dest->Canvas()->Handle(), 0, 0, dw, dh, scaled->Canvas()->Handle(), 0, 0, dw, dh, Blend(AAlpha))) {
    TRGBColors s, d;
    scaled->GetBitmapColors(s);
    dest->GetBitmapColors(d);
    for (size_t i = 0; i < d.size(); ++i) d[i] = vlBlendPixel(s[i], d[i], AAlpha);
    dest->SetBitmapColors(d);
  }
  BitBlt(ADestDC, ADestRect.Left, ADestRect.Top, dw, dh, dest->Canvas()->Handle(), 0, 0, SRCCOPY);
}

}  // namespace

void vlAlphaBlendDC(HDC ADestDC, HDC ASrcDC, const TRect& ADestRect, Byte AAlpha, Boolean ASmooth,
                    const TRect& ASrcRect) {
  const Boolean smooth =
      ASmooth && (ADestRect.Width() != ASrcRect.Width() || ADestRect.Height() != ASrcRect.Height());
  if (nbOSWow64 || nbOSWin9xFamily || !gAlphaBlend || smooth)
    SoftwareAlphaBlend(ADestDC, ASrcDC, ADestRect, AAlpha, smooth, ASrcRect);
  else
    gAlphaBlend(ADestDC, ADestRect.Left, ADestRect.Top, ADestRect.Width(), ADestRect.Height(), ASrcDC,
                ASrcRect.Left, ASrcRect.Top, ASrcRect.Width(), ASrcRect.Height(), Blend(AAlpha));
}

void vlAlphaBlendBitmaps(TBitmap* ADestBitmap, TBitmap* ASrcBitmap, const TRect& ADestRect, Byte AAlpha,
                         Boolean ASmooth, const TRect& ASrcRect) {
  vlAlphaBlendDC(ADestBitmap->Canvas()->Handle(), ASrcBitmap->Canvas()->Handle(), ADestRect, AAlpha, ASmooth,
                 ASrcRect);
}

void vlAlphaBlendToDC(HDC ADestDC, TBitmap* ASrcBitmap, const TRect& ADestRect, Byte AAlpha, Boolean ASmooth,
                      const TRect& ASrcRect) {
  vlAlphaBlendDC(ADestDC, ASrcBitmap->Canvas()->Handle(), ADestRect, AAlpha, ASmooth, ASrcRect);
}

void vlDrawHatchRect(HDC DC, const TRect& ARect, TColor AColor1, TColor AColor2, Byte AAlpha1, Byte AAlpha2,
                     Byte AStep) {
  Owned<TvlAlphaBitmap> b(
      vlNewAlphaBitmap(ARect.Width(), ARect.Height(), Cardinal(0)));
  BitBlt(b->Canvas()->Handle(), 0, 0, ARect.Width(), ARect.Height(), DC, ARect.Left, ARect.Top, SRCCOPY);
  b->DrawHatch(AColor1, AColor2, AAlpha1, AAlpha2, AStep);
  BitBlt(DC, ARect.Left, ARect.Top, ARect.Width(), ARect.Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void vlExtractAlphaMask(TBitmap* ABitmap, TBitmap* AMaskBitmap) {
  Owned<TvlAlphaBitmap> b(
      vlNewAlphaBitmap(ABitmap->Width(), ABitmap->Height(), Cardinal(0)));
  b->CopyBitmap(ABitmap, cmSrcCopy);
  if (!b->IsAlphaUsed()) b->RecoverAlphaChannel(ABitmap->TransparentColor() & 0xFFFFFF);
  b->TransformBitmap(btmMakeMask);
  AMaskBitmap->SetSize(b->Width(), b->Height());
  BitBlt(AMaskBitmap->Canvas()->Handle(), 0, 0, b->Width(), b->Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// --- Lanczos-3 ------------------------------------------------------------------------------

namespace {

struct TContributor {
  Integer Index;
  Integer Weight;
};

float Sinc(float X) {
  if (X == 0) return 1;
  const float px = float(M_PI) * X;
  return std::sin(px) / px;
}

float Lanczos3(float X) { return std::fabs(X) < 3 ? Sinc(X) * Sinc(X / 3) : 0; }

// The weighted source indexes of every destination index along one direction.
std::vector<std::vector<TContributor>> Contributors(Integer ASrcSize, Integer ADestSize) {
  const float scale = (ASrcSize == 1 || ADestSize == 1) ? float(ADestSize) / float(ASrcSize)
                                                        : float(ADestSize - 1) / float(ASrcSize - 1);
  const float f = scale >= 1 ? 1 : 1 / scale;
  const float radius = 3 * f;
  std::vector<std::vector<TContributor>> result(static_cast<size_t>(ADestSize));
  for (Integer i = 0; i < ADestSize; ++i) {
    const float m = float(i) / scale;
    for (Integer j = Integer(std::floor(m - radius)); j <= Integer(std::ceil(m + radius)); ++j) {
      const Integer w = Integer(std::lround(Lanczos3((m - float(j)) / f) / f * 256));
      if (w == 0) continue;
      Integer k = j < 0 ? -j : j >= ASrcSize ? 2 * ASrcSize - 1 - j : j;
      k = std::clamp(k, 0, ASrcSize - 1);
      result[size_t(i)].push_back({k, w});
    }
  }
  return result;
}

Cardinal Weigh(const std::vector<TContributor>& AList, const Cardinal* ABase, size_t AStride) {
  Integer sum[4] = {0, 0, 0, 0};
  for (const TContributor& c : AList) {
    const Cardinal p = ABase[size_t(c.Index) * AStride];
    for (int ch = 0; ch < 4; ++ch) sum[ch] += c.Weight * Integer(p >> (8 * ch) & 0xFF);
  }
  Cardinal result = 0;
  for (int ch = 0; ch < 4; ++ch) result |= Cardinal(sum[ch] < 0 ? 0 : std::min(255, sum[ch] >> 8)) << (8 * ch);
  return result;
}

TRGBColors BitsOf(TBitmap* ABitmap) {
  TRGBColors px(size_t(ABitmap->Width()) * size_t(ABitmap->Height()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = 40;
  info.bmiHeader.biWidth = ABitmap->Width();
  info.bmiHeader.biHeight = ABitmap->Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  GetDIBits(dc, ABitmap->Handle(), 0, UINT(ABitmap->Height()), px.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  return px;
}

}  // namespace

void vlStretchLanczos3(TBitmap* ASource, TBitmap* ADest) {
  const Integer sw = ASource->Width(), sh = ASource->Height(), dw = ADest->Width(), dh = ADest->Height();
  if (sw == 0 || sh == 0 || dw == 0 || dh == 0) return;
  ASource->Canvas()->Lock();
  ADest->Canvas()->Lock();
  Finally unlock([&] {
    ADest->Canvas()->Unlock();
    ASource->Canvas()->Unlock();
  });
  ASource->FreeContext();
  const TRGBColors src = BitsOf(ASource);
  // horizontal: dw x sh; vertical: dw x dh (rows from the bottom)
  TRGBColors mid(size_t(dw) * size_t(sh));
  const auto across = Contributors(sw, dw);
  for (Integer y = 0; y < sh; ++y)
    for (Integer x = 0; x < dw; ++x)
      mid[size_t(y) * size_t(dw) + size_t(x)] = Weigh(across[size_t(x)], &src[size_t(y) * size_t(sw)], 1);
  TRGBColors out(size_t(dw) * size_t(dh));
  const auto down = Contributors(sh, dh);
  for (Integer y = 0; y < dh; ++y)
    for (Integer x = 0; x < dw; ++x)
      out[size_t(y) * size_t(dw) + size_t(x)] = Weigh(down[size_t(y)], &mid[size_t(x)], size_t(dw));
  BITMAPINFO info{};
  info.bmiHeader.biSize = 40;
  info.bmiHeader.biWidth = dw;
  info.bmiHeader.biHeight = dh;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  ADest->FreeContext();
  HDC dc = CreateCompatibleDC(nullptr);
  SetDIBits(dc, ADest->Handle(), 0, UINT(dh), out.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
}

// --- vlDrawImageEx --------------------------------------------------------------------------

namespace {

// The image of a list into the image bitmap, and the system list's mask of
// it into AMask (white where transparent); answers whether the list's
// bitmaps carry alpha and, in AHasMask, whether the system list gave a mask.
// A TvlImageList hands over its stored image, which keeps the alpha; the
// mask is always the system list's: the stored mask is empty for images
// added without one or by a mask colour.
Boolean FillFromImageList(TvlAlphaBitmap* AImage, TCustomImageList* AImages, Integer AIndex,
                          TvlAlphaBitmap* AMask, Boolean& AHasMask) {
  AHasMask = false;
  Boolean alpha = false;
  TvlImageList* list = dynamic_cast<TvlImageList*>(AImages);
  if (list) {
    Owned<TvlBitmap> image(New<TvlBitmap>());
    list->GetImageInfo(AIndex, image.get(), nullptr);
    AImage->CopyBitmap(image.get(), cmSrcCopy);
    alpha = vlGetBitmapBitsPerPixel(image.get()) == 32;
  }
  IMAGEINFO info{};
  if (!ImageList_GetImageInfo(AImages->Handle(), AIndex, &info)) return alpha;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, info.hbmImage);
  if (!list)
    BitBlt(AImage->Canvas()->Handle(), 0, 0, AImage->Width(), AImage->Height(), dc, info.rcImage.left,
           info.rcImage.top, SRCCOPY);
  if (info.hbmMask) {
    SelectObject(dc, info.hbmMask);
    BitBlt(AMask->Canvas()->Handle(), 0, 0, AMask->Width(), AMask->Height(), dc, info.rcImage.left,
           info.rcImage.top, SRCCOPY);
    AHasMask = true;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return list ? alpha : TvlImageList::GetPixelFormat(AImages->Handle()) == 32;
}

}  // namespace

void vlDrawImageEx(HDC DC, const TRect& AGlyphRect, const TRect& ABackgroundRect, TBitmap* AGlyph,
                   TCustomImageList* AImages, Integer AImageIndex, TvlImageDrawMode ADrawMode, Boolean ASmoothImage,
                   HBRUSH ABrush, TColor ATransparentColor, Boolean AUseGlyphTransparency) {
  const Boolean isGlyph = AGlyph && !AGlyph->Empty();
  if (!isGlyph && !(AImages && AImageIndex >= 0 && AImageIndex < AImages->Count())) return;
  TvlAlphaBitmap* draw = WorkBitmap(gDrawBitmap, ABackgroundRect.Width(), ABackgroundRect.Height());
  if (ABrush) {
    const RECT r = draw->ClientRect();
    FillRect(draw->Canvas()->Handle(), &r, ABrush);
  } else {
    BitBlt(draw->Canvas()->Handle(), 0, 0, draw->Width(), draw->Height(), DC, ABackgroundRect.Left,
           ABackgroundRect.Top, SRCCOPY);
  }
  TRect glyphRect = AGlyphRect;
  glyphRect = Rect(glyphRect.Left - ABackgroundRect.Left, glyphRect.Top - ABackgroundRect.Top,
                   glyphRect.Right - ABackgroundRect.Left, glyphRect.Bottom - ABackgroundRect.Top);

  if (!(vlCustomDrawImageProc &&
        vlCustomDrawImageProc(draw->Canvas(), AImages, AImageIndex, ADrawMode, glyphRect, AGlyph))) {
    const Integer w = isGlyph ? AGlyph->Width() : AImages->Width();
    const Integer h = isGlyph ? AGlyph->Height() : AImages->Height();
    TvlAlphaBitmap* image = WorkBitmap(gImageBitmap, w, h);
    Boolean alphaUsed;
    Owned<TvlAlphaBitmap> systemMask;
    if (isGlyph) {
      image->CopyBitmap(AGlyph, cmSrcCopy);
      alphaUsed = vlGetBitmapBitsPerPixel(AGlyph) == 32;
    } else {
      systemMask.reset(vlNewAlphaBitmap(w, h, Cardinal(0)));
      systemMask->Clear();
      Boolean hasMask = false;
      alphaUsed = FillFromImageList(image, AImages, AImageIndex, systemMask.get(), hasMask);
      if (!hasMask) systemMask.reset();
    }
    alphaUsed = alphaUsed && image->IsAlphaUsed();
    if (!alphaUsed) image->TransformBitmap(btmSetOpaque);

    TvlAlphaBitmap* mask = WorkBitmap(gMaskBitmap, w, h);
    mask->CopyBitmap(image, cmSrcCopy);
    if (!alphaUsed) {
      if (systemMask) {
        systemMask->TransformBitmap(btmCorrectBlend);
        mask->Filter(systemMask.get());
      }
      if (ATransparentColor != clNone) mask->TransparentPixels()->Add(ATransparentColor);
      if (AUseGlyphTransparency && isGlyph) mask->TransparentPixels()->Add(AGlyph->TransparentColor() & 0xFFFFFF);
    }
    mask->TransformBitmap(btmMakeMask);
    image->Filter(mask);

    Byte alpha = 255;
    switch (ADrawMode) {
      case idmDisabled:
        if (alphaUsed) {
          image->TransformBitmap(btmDisable);
          alpha = 151;
        } else {
          image->TransformBitmap(btmDirty);
          image->DrawShadow(mask, 1, clBtnHighlight, false);
        }
        break;
      case idmFaded:
        image->TransformBitmap(btmFade);
        alpha = 64;
        break;
      case idmGrayScale: image->TransformBitmap(btmGrayScale); break;
      case idmDingy: image->TransformBitmap(btmDingy); break;
      case idmShadowed:
        image->DrawShadow(mask, 2, clBtnShadow, true);
        glyphRect = Rect(glyphRect.Left - 1, glyphRect.Top - 1, glyphRect.Right + 1, glyphRect.Bottom + 1);
        break;
      default: break;
    }
    image->AlphaBlend(draw, glyphRect, alpha, ASmoothImage);
  }
  vlBlitBitmap(DC, draw, ABackgroundRect, cmSrcCopy);
}
