#include "lib/foundation/nbGDIPlusClasses.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Gdi.h"
#include "platform/win/OleStreams.h"

namespace gp = win::gdiplus;

namespace {

TnbGPImageClass gImageClass;

const String SPngDescription = u"PNG graphics from Nimbosoft";
const String SInvalidPng = u"PNG image is not valid";

}  // namespace

void nbGDIPlusClassesInitialize() {
  gImageClass = ClassOf<TnbGPNullImage>();
  if (nbIsGdiPlusAvailable()) {
    nbEnsurePngEncoder();
    gImageClass = ClassOf<TnbGPImage>();
    RegisterClass(TnbPNGImage::StaticClass());
    ClassOf<TPicture>()->RegisterFileFormat(u"PNG", SPngDescription, ClassOf<TnbPNGImage>());
  }
}

void nbGDIPlusClassesFinalize() {
  ClassOf<TPicture>()->UnregisterGraphicClass(ClassOf<TnbPNGImage>());
  UnRegisterClass(TnbPNGImage::StaticClass());
  gImageClass = ClassOf<TnbGPNullImage>();
}

namespace {

void Startup() { nbUnitsLoader()->AddUnit(&nbGDIPlusClassesInitialize, &nbGDIPlusClassesFinalize); }
void Shutdown() { nbUnitsLoader()->RemoveUnit(&nbGDIPlusClassesFinalize); }

TnbGPImage* NewImage() { return static_cast<TnbGPImage*>(nbGPImageClass().Class()->NewInstance()); }

// A graphics object over a DC for the length of one drawing.
struct TGraphicsOnDC {
  explicit TGraphicsOnDC(win::HDC DC) { nbgp::GdipCreateFromHDC(DC, &Graphics); }
  ~TGraphicsOnDC() {
    if (Graphics) nbgp::GdipDeleteGraphics(Graphics);
  }
  TnbGpGraphics* Graphics{};
};

}  // namespace

CL_UNIT_STEPS(nbGDIPlusClasses, &Startup, &Shutdown);

CL_IMPLEMENT_CLASS(TnbGPImage)
CL_IMPLEMENT_CLASS(TnbGPNullImage)
CL_IMPLEMENT_CLASS(TnbPNGImage)

TnbGPImageClass nbGPImageClass() { return gImageClass ? gImageClass : ClassOf<TnbGPNullImage>(); }

// --- TnbGPImage ---------------------------------------------------------------------

void TnbGPImage::Destroy() {
  FreeHandle();
  FBits.reset();
  inherited::Destroy();
}

void TnbGPImage::FreeHandle() {
  if (FHandle && nbgp::GdipDisposeImage) nbgp::GdipDisposeImage(FHandle);
  FHandle = nullptr;
}

Integer TnbGPImage::Width() const {
  win::UINT value = 0;
  if (FHandle && nbgp::GdipGetImageWidth) nbgp::GdipGetImageWidth(FHandle, &value);
  return Integer(value);
}

Integer TnbGPImage::Height() const {
  win::UINT value = 0;
  if (FHandle && nbgp::GdipGetImageHeight) nbgp::GdipGetImageHeight(FHandle, &value);
  return Integer(value);
}

void TnbGPImage::CreateFromBitmap(TBitmap* ABitmap) {
  nbEnsurePngEncoder();
  auto pixels = std::make_shared<TnbRGBColors>();
  GetBitmapBits(ABitmap, *pixels);
  CreateFromPattern(ABitmap->Width(), ABitmap->Height(), pixels, ABitmap->PixelFormat() == pf32bit);
}

void TnbGPImage::CreateFromPattern(Integer AWidth, Integer AHeight, std::shared_ptr<TnbRGBColors> APixels,
                                   Boolean AHasAlpha) {
  FreeHandle();
  FBits = std::move(APixels);
  if (!FBits) return;
  if (!AHasAlpha)
    for (Cardinal& p : *FBits) p |= 0xFF000000u;
  if (AWidth < 1 || AHeight < 1 || FBits->size() < size_t(AWidth) * size_t(AHeight) || !nbIsGdiPlusAvailable())
    return;
  gp::GpBitmap* bitmap{};
  if (nbGpCheck(nbgp::GdipCreateBitmapFromScan0(AWidth, AHeight, AWidth * 4, gp::PixelFormat32bppPARGB,
                                                reinterpret_cast<win::BYTE*>(FBits->data()), &bitmap)))
    FHandle = bitmap;
}

void TnbGPImage::CreateFromStream(TStream* AStream) {
  if (!nbIsGdiPlusAvailable() || AStream->Size() < 14) return;
  Byte head[14]{};
  const Integer got = AStream->Read(head, sizeof(head));
  AStream->Seek(-Int64(got), soCurrent);
  if (got == Integer(sizeof(head)) && head[0] == 'B' && head[1] == 'M') {
    std::unique_ptr<TBitmap, TObjectFree> bitmap(New<TBitmap>());
    bitmap->LoadFromStream(AStream);
    CreateFromBitmap(bitmap.get());
  } else {
    CreateHandleFromStream(AStream);
  }
}

void TnbGPImage::CreateHandleFromStream(TStream* AStream) {
  // GDI+ refuses streams above 256 MiB; the block is never made for them
  const Int64 size = AStream->Size();
  if (size <= 0 || size > (Int64(1) << 28) || !nbIsGdiPlusAvailable()) return;
  win::HGLOBAL block = win::GlobalAlloc(win::GMEM_MOVEABLE | win::GMEM_DDESHARE, size_t(size));
  if (!block) return;
  Finally freeBlock([&] { win::GlobalFree(block); });
  void* data = win::GlobalLock(block);
  if (!data) return;
  AStream->Read(data, Integer(size));
  win::GlobalUnlock(block);
  IStream* stream{};
  if (win::CreateStreamOnHGlobal(block, win::FALSE, &stream) != 0 || !stream) return;
  Finally release([&] { stream->_Release(); });
  gp::GpBitmap* bitmap{};
  FreeHandle();
  if (nbGpCheck(nbgp::GdipCreateBitmapFromStream(stream, &bitmap))) FHandle = bitmap;
}

TBitmap* TnbGPImage::GetAsBitmap() {
  std::unique_ptr<TBitmap, TObjectFree> bitmap(New<TBitmap>());
  bitmap->SetPixelFormat(pf32bit);
  win::HBITMAP handle{};
  if (FHandle && nbGpCheck(nbgp::GdipCreateHBITMAPFromBitmap(static_cast<gp::GpBitmap*>(FHandle), &handle, 0))) {
    bitmap->SetHandle(handle);
    bitmap->SetPixelFormat(pf32bit);
  }
  return bitmap.release();
}

TnbGPImage* TnbGPImage::Clone() {
  if (FBits) return CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromPattern, Width(), Height(), FBits, true);
  TnbGPImage* image = NewImage();
  if (FHandle && nbgp::GdipCloneImage) {
    gp::GpImage* clone{};
    if (nbGpCheck(nbgp::GdipCloneImage(FHandle, &clone))) image->FHandle = clone;
  }
  return image;
}

void TnbGPImage::SaveToStream(TStream* AStream) {
  if (!FHandle || !nbIsGdiPlusAvailable()) return;
  nbEnsurePngEncoder();
  TInterfacePtr<IStream> adapter(New<TStreamAdapter>(AStream, soReference));
  nbgp::GdipSaveImageToStream(FHandle, adapter.get(), &nbPngEncoder(), nullptr);
}

void TnbGPImage::Draw(win::HDC DC, const TRect& ARect) {
  if (!FHandle || !nbIsGdiPlusAvailable()) return;
  TGraphicsOnDC g(DC);
  if (g.Graphics) DrawEx(g.Graphics, ARect, 255, ClientRect());
}

void TnbGPImage::DrawEx(TnbGpGraphics* AGraphics, const TRect& ADestRect, Byte AAlpha, const TRect& ASourceRect) {
  if (!FHandle || !AGraphics) return;
  Integer srcW = ASourceRect.Width(), srcH = ASourceRect.Height();
  const Integer dstW = ADestRect.Width(), dstH = ADestRect.Height();
  if (srcW < 1 || srcH < 1 || dstW < 1 || dstH < 1 || !nbGpIsRectVisible(AGraphics, ADestRect)) return;
  // Enlarging samples one column and row less, so the interpolation never
  // reaches beyond the last pixel.
  if (srcW < dstW && srcW > 1) --srcW;
  if (srcH < dstH && srcH > 1) --srcH;
  gp::GpImageAttributes* attributes{};
  if (AAlpha != 255) {
    gp::ColorMatrix matrix{};
    for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1;
    matrix.m[3][3] = gp::REAL(AAlpha) / 255;
    if (nbGpCheck(nbgp::GdipCreateImageAttributes(&attributes)))
      nbgp::GdipSetImageAttributesColorMatrix(attributes, gp::ColorAdjustTypeBitmap, win::TRUE, &matrix, nullptr,
                                              gp::ColorMatrixFlagsDefault);
  }
  nbgp::GdipDrawImageRectRectI(AGraphics, FHandle, ADestRect.Left, ADestRect.Top, dstW, dstH, ASourceRect.Left,
                               ASourceRect.Top, srcW, srcH, gp::UnitPixel, attributes, nullptr, nullptr);
  if (attributes) nbgp::GdipDisposeImageAttributes(attributes);
}

void TnbGPImage::GetBitmapBits(TBitmap* ABitmap, TnbRGBColors& APixels) {
  const Integer w = ABitmap->Width(), h = ABitmap->Height();
  APixels.assign(size_t(std::max(w, 0)) * size_t(std::max(h, 0)), 0);
  if (APixels.empty()) return;
  win::BITMAPINFO info{};
  info.bmiHeader.biSize = 40;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = win::BI_RGB;
  win::HDC dc = win::GetDC(nullptr);
  const int lines = win::GetDIBits(dc, ABitmap->Handle(), 0, win::UINT(h), APixels.data(), &info, win::DIB_RGB_COLORS);
  win::ReleaseDC(nullptr, dc);
  if (lines == 0 && ABitmap->PixelFormat() == pf32bit)
    for (Integer y = 0; y < h; ++y)
      std::memcpy(&APixels[size_t(y) * size_t(w)], ABitmap->ScanLine(y), size_t(w) * 4);
}

void TnbGPImage::Unpack() {
  if (FBits || !FHandle) return;
  std::unique_ptr<TBitmap, TObjectFree> bitmap(GetAsBitmap());
  CreateFromBitmap(bitmap.get());
}

TnbRGBColors TnbGPImage::GetBitmapBits() {
  Unpack();
  return FBits ? *FBits : TnbRGBColors();
}

TnbGPImage* TnbGPImage::MakeComposition(TnbGPImage* AOverlay, Byte AAlpha) {
  Unpack();
  if (!FBits || FBits->empty()) return nullptr;
  const TnbRGBColors overlay = AOverlay->GetBitmapBits();
  if (overlay.size() < FBits->size()) return nullptr;
  auto pixels = std::make_shared<TnbRGBColors>(FBits->size());
  const double a = AAlpha / 255.0;
  for (size_t i = 0; i < FBits->size(); ++i) {
    Cardinal result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const double own = ((*FBits)[i] >> shift) & 0xFF, over = (overlay[i] >> shift) & 0xFF;
      result |= Cardinal(std::lround((1 - a) * own + a * over)) << shift;
    }
    (*pixels)[i] = result;
  }
  return CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromPattern, Width(), Height(), pixels, true);
}

// --- TnbGPNullImage ----------------------------------------------------------------------

void* TnbGPNullImage::operator new(size_t ASize) {
  void* block = std::calloc(1, ASize);
  if (!block) throw std::bad_alloc();
  return block;
}

void TnbGPNullImage::operator delete(void* APtr) { std::free(APtr); }

// --- TnbPNGImage --------------------------------------------------------------------------

void TnbPNGImage::Destroy() {
  FreeAndNil(FHandle);
  inherited::Destroy();
}

void TnbPNGImage::SetHandle(TnbGPImage* AValue) {
  if (AValue == FHandle) return;
  FreeAndNil(FHandle);
  FHandle = AValue;
  Changed(this);
}

void TnbPNGImage::Assign(TPersistent* Source) {
  if (Is<TBitmap>(Source)) {
    SetBitmap(static_cast<TBitmap*>(Source));
  } else if (Is<TnbPNGImage>(Source)) {
    TnbGPImage* source = static_cast<TnbPNGImage*>(Source)->FHandle;
    SetHandle(source ? source->Clone() : nullptr);
  } else {
    inherited::Assign(Source);
  }
}

void TnbPNGImage::AssignTo(TPersistent* Dest) {
  if (Is<TnbPNGImage>(Dest)) {
    static_cast<TnbPNGImage*>(Dest)->Assign(this);
  } else if (Is<TBitmap>(Dest)) {
    std::unique_ptr<TBitmap, TObjectFree> bitmap(GetAsBitmap());
    static_cast<TBitmap*>(Dest)->Assign(bitmap.get());
  } else {
    inherited::AssignTo(Dest);
  }
}

void TnbPNGImage::Changed(TObject* Sender) {
  FIsAlphaUsedValid = false;
  inherited::Changed(Sender);
}

void TnbPNGImage::Draw(TCanvas* ACanvas, const TRect& Rect) { StretchDraw(ACanvas->Handle(), Rect); }

Boolean TnbPNGImage::GetEmpty() { return GetWidth() < 1 || GetHeight() < 1; }

Integer TnbPNGImage::GetWidth() {
  gp::REAL w = 0, h = 0;
  if (FHandle && FHandle->Handle() && nbgp::GdipGetImageDimension)
    nbgp::GdipGetImageDimension(FHandle->Handle(), &w, &h);
  return Integer(std::lround(w));
}

Integer TnbPNGImage::GetHeight() {
  gp::REAL w = 0, h = 0;
  if (FHandle && FHandle->Handle() && nbgp::GdipGetImageDimension)
    nbgp::GdipGetImageDimension(FHandle->Handle(), &w, &h);
  return Integer(std::lround(h));
}

void TnbPNGImage::LoadFromStream(TStream* Stream) {
  if (Stream->Size() == 0) {
    SetHandle(nullptr);
    return;
  }
  // Without GDI+ nothing loads: the graphic is empty, the data not judged.
  if (!nbIsGdiPlusAvailable()) {
    SetHandle(nullptr);
    return;
  }
  TnbGPImage* image = CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromStream, Stream);
  if (!image->Handle()) {
    Free(image);
    throw EInvalidGraphic(SInvalidPng);
  }
  SetHandle(image);
}

void TnbPNGImage::SaveToStream(TStream* Stream) {
  if (!FHandle || !FHandle->Handle()) return;
  std::unique_ptr<TMemoryStream, TObjectFree> memory(New<TMemoryStream>());
  FHandle->SaveToStream(memory.get());
  memory->SetPosition(0);
  Stream->CopyFrom(memory.get(), memory->Size());
}

Boolean TnbPNGImage::Compare(TnbPNGImage* AImage) {
  if (Width() != AImage->Width() || Height() != AImage->Height()) return false;
  if (Empty() || AImage->Empty()) return true;
  return FHandle->GetBitmapBits() == AImage->FHandle->GetBitmapBits();
}

TBitmap* TnbPNGImage::GetAsBitmap() { return FHandle ? FHandle->GetAsBitmap() : New<TBitmap>(); }

void TnbPNGImage::SetBitmap(TBitmap* ABitmap) {
  SetHandle(CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromBitmap, ABitmap));
}

void TnbPNGImage::StretchDraw(win::HDC DC, const TRect& ADest) {
  if (FHandle) StretchDraw(DC, ADest, FHandle->ClientRect());
}

void TnbPNGImage::StretchDraw(win::HDC DC, const TRect& ADest, const TRect& ASource) {
  if (!FHandle || !FHandle->Handle() || !nbIsGdiPlusAvailable()) return;
  TGraphicsOnDC g(DC);
  if (g.Graphics) StretchDrawEx(g.Graphics, ADest, ASource);
}

void TnbPNGImage::StretchDrawEx(TnbGpGraphics* AGraphics, const TRect& ADest, const TRect& ASource) {
  FHandle->DrawEx(AGraphics, ADest, 255, ASource);
}

void TnbPNGImage::DrawEx(TnbGpGraphics* AGraphics, const TRect& ADest, const TRect& ASource) {
  if (FHandle) StretchDrawEx(AGraphics, ADest, ASource);
}

Boolean TnbPNGImage::IsAlphaUsed() {
  if (!FIsAlphaUsedValid) {
    FIsAlphaUsed = false;
    if (FHandle)
      for (Cardinal p : FHandle->GetBitmapBits())
        if ((p >> 24) != 0xFF) {
          FIsAlphaUsed = true;
          break;
        }
    FIsAlphaUsedValid = true;
  }
  return FIsAlphaUsed;
}
