#include "platform/vcl/JPEG.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Streams.h"
#include "platform/win/Gdi.h"
#include "platform/win/ImageCodecs.h"

namespace {

using namespace win;

const Char* const SJPEGError = u"JPEG error: the data is not a valid JPEG image";
const Char* const SChangeJPGSize = u"Cannot change the size of a JPEG image";

// The picture of a bitmap as top-down BGRA words.
std::vector<uint32_t> BitmapPixels(TBitmap* Bitmap) {
  int w = Bitmap->Width(), h = Bitmap->Height();
  std::vector<uint32_t> px(size_t(w) * size_t(h));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  if (GetDIBits(nullptr, Bitmap->Handle(), 0, UINT(h), px.data(), &bi, DIB_RGB_COLORS) != h)
    throw EJPEG(u"JPEG error: cannot read the bitmap");
  return px;
}

}  // namespace

CL_IMPLEMENT_CLASS(TJPEGImage)

void TJPEGImage::Create() {
  inherited::Create();
  FQuality = 90;
  FPerformance = jpBestQuality;
  FScale = jsFullSize;
  FPixelFormat = jf24Bit;
}

void TJPEGImage::Destroy() {
  FreeAndNil(FBitmap);
  inherited::Destroy();
}

void TJPEGImage::FreeBitmap() { FreeAndNil(FBitmap); }

Boolean TJPEGImage::GetEmpty() { return FData.empty() && (!FBitmap || FBitmap->Empty()); }

Integer TJPEGImage::GetWidth() {
  if (FBitmap) return FBitmap->Width();
  if (FData.empty()) return 0;
  Integer d = 1 << FScale;
  return (FJpegWidth + d - 1) / d;
}

Integer TJPEGImage::GetHeight() {
  if (FBitmap) return FBitmap->Height();
  if (FData.empty()) return 0;
  Integer d = 1 << FScale;
  return (FJpegHeight + d - 1) / d;
}

void TJPEGImage::DoSetWidth(Integer) { throw EInvalidGraphicOperation(SChangeJPGSize); }
void TJPEGImage::DoSetHeight(Integer) { throw EInvalidGraphicOperation(SChangeJPGSize); }

void TJPEGImage::SetCompressionQuality(TJPEGQuality Value) { FQuality = Value < 1 ? 1 : Value > 100 ? 100 : Value; }

void TJPEGImage::SetGrayscale(Boolean Value) {
  if (Value == FGrayscale) return;
  FGrayscale = Value;
  if (!FData.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetScale(TJPEGScale Value) {
  if (Value == FScale) return;
  FScale = Value;
  if (!FData.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat Value) {
  if (Value == FPixelFormat) return;
  FPixelFormat = Value;
  if (!FData.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::DIBNeeded() {
  if (FBitmap || FData.empty()) return;
  TDecodedImage img;
  try {
    img = DecodeJpeg(FData.data(), FData.size());
  } catch (const EImageCodecError& E) {
    throw EJPEG(E.Message());
  }
  // Scale down by averaging d x d blocks (the last ones may be partial).
  int d = 1 << FScale;
  int w = (img.Width + d - 1) / d, h = (img.Height + d - 1) / d;
  std::vector<uint32_t> px(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t r = 0, g = 0, b = 0, n = 0;
      for (int yy = y * d; yy < std::min(img.Height, y * d + d); ++yy)
        for (int xx = x * d; xx < std::min(img.Width, x * d + d); ++xx) {
          uint32_t v = img.Pixels[size_t(yy) * size_t(img.Width) + size_t(xx)];
          r += (v >> 16) & 0xFF, g += (v >> 8) & 0xFF, b += v & 0xFF, ++n;
        }
      r = (r + n / 2) / n, g = (g + n / 2) / n, b = (b + n / 2) / n;
      if (FGrayscale) r = g = b = (r * 299 + g * 587 + b * 114 + 500) / 1000;
      px[size_t(y) * size_t(w) + size_t(x)] = (r << 16) | (g << 8) | b;
    }
  std::unique_ptr<TBitmap, TObjectFree> bmp(New<TBitmap>());
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(w, h);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  SetDIBits(nullptr, bmp->Handle(), 0, UINT(h), px.data(), &bi, DIB_RGB_COLORS);
  if (FPixelFormat == jf8Bit) bmp->SetPixelFormat(pf8bit);
  FBitmap = bmp.release();
}

TBitmap* TJPEGImage::Bitmap() {
  DIBNeeded();
  if (!FBitmap) FBitmap = New<TBitmap>();
  return FBitmap;
}

void TJPEGImage::Compress() {
  if (!FBitmap || FBitmap->Empty()) return;
  std::vector<uint32_t> px = BitmapPixels(FBitmap);
  std::vector<uint8_t> data;
  try {
    data = EncodeJpeg(px.data(), FBitmap->Width(), FBitmap->Height(), FBitmap->Width(), FQuality, FGrayscale);
  } catch (const EImageCodecError& E) {
    throw EJPEG(E.Message());
  }
  FData.assign(data.begin(), data.end());
  FJpegWidth = FBitmap->Width();
  FJpegHeight = FBitmap->Height();
}

void TJPEGImage::JPEGNeeded() {
  if (FData.empty()) Compress();
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!ACanvas || Empty()) return;
  DIBNeeded();
  if (FBitmap) ACanvas->StretchDraw(Rect, FBitmap);
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  Int64 n = Stream->Size() - Stream->Position();
  if (n < 0 || n > MaxInt) throw EJPEG(SJPEGError);
  std::vector<Byte> data(static_cast<size_t>(n));
  if (n) Stream->ReadBuffer(data.data(), static_cast<Integer>(n));
  // Decoded at once, so that bad data fails here rather than when drawn.
  TDecodedImage img;
  try {
    img = DecodeJpeg(data.data(), data.size());
  } catch (const EImageCodecError& E) {
    throw EJPEG(E.Message());
  }
  FreeBitmap();
  FData = std::move(data);
  FJpegWidth = img.Width;
  FJpegHeight = img.Height;
  DIBNeeded();
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  JPEGNeeded();
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<Integer>(FData.size()));
}

void TJPEGImage::Assign(TPersistent* Source) {
  if (!Source) {
    FreeBitmap();
    FData.clear();
    FJpegWidth = FJpegHeight = 0;
    Changed(this);
    return;
  }
  if (Is<TJPEGImage>(Source)) {
    auto* j = static_cast<TJPEGImage*>(Source);
    if (j == this) return;
    j->JPEGNeeded();
    FreeBitmap();
    FData = j->FData;
    FJpegWidth = j->FJpegWidth;
    FJpegHeight = j->FJpegHeight;
    FQuality = j->FQuality;
    FGrayscale = j->FGrayscale;
    FScale = j->FScale;
    FPixelFormat = j->FPixelFormat;
    FPerformance = j->FPerformance;
    FProgressive = j->FProgressive;
    Changed(this);
    return;
  }
  if (Is<TBitmap>(Source)) {
    std::unique_ptr<TBitmap, TObjectFree> bmp(New<TBitmap>());
    bmp->Assign(Source);
    FreeBitmap();
    FData.clear();
    FBitmap = bmp.release();
    FJpegWidth = FBitmap->Width();
    FJpegHeight = FBitmap->Height();
    Changed(this);
    return;
  }
  inherited::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  if (Is<TBitmap>(Dest)) {
    DIBNeeded();
    Dest->Assign(FBitmap);
    return;
  }
  inherited::AssignTo(Dest);
}

namespace {

void JPEGStartup() {
  RegisterClass(TJPEGImage::StaticClass());
  TClassOf<TPicture> picture = ClassOf<TPicture>();
  picture->RegisterFileFormat(u"jpeg", u"JPEG Image File", ClassOf<TJPEGImage>());
  picture->RegisterFileFormat(u"jpg", u"JPEG Image File", ClassOf<TJPEGImage>());
}

void JPEGShutdown() {
  ClassOf<TPicture>()->UnregisterGraphicClass(ClassOf<TJPEGImage>());
  UnRegisterClass(TJPEGImage::StaticClass());
}

}  // namespace

CL_UNIT_STEPS(JPEG, &JPEGStartup, &JPEGShutdown);
