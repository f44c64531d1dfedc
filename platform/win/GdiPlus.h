// The GDI+ flat API subset the library binds by name, on our own rasterizer.
//
// Images are bitmaps of 32-bit pixels (premultiplied ARGB, straight ARGB or
// RGB with the alpha byte ignored; 24-bit RGB over caller memory) that may
// own their pixels or work on caller memory (GdipCreateBitmapFromScan0).
// PNG, BMP and JPEG are decoded and encoded by the codecs of ImageCodecs.h.
// A graphics object draws onto a device context (through the GDI layer's
// clip, origins and surface) or onto an image. Drawing composes
// premultiplied colours source-over (or copies them in SourceCopy mode).
// Image drawing samples by the interpolation mode (nearest neighbour,
// bilinear, bicubic; the high-quality modes average the covered source
// pixels when shrinking), with samples beyond the image's edge repeating it.
// Shapes are not anti-aliased (the smoothing mode is kept and answered).
//
// Handles are checked: a stale or foreign handle answers InvalidParameter.
// Functions and values are the platform's; only what the library binds is
// declared. Arcs, Bézier curves, cardinal splines and pies are drawn as
// flattened polygons.
#pragma once

#include "platform/rtl/Guid.h"
#include "platform/win/WinTypes.h"

struct IStream;

namespace win {

struct BITMAPINFO;

namespace gdiplus {

enum GpStatus : int {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};
using Status = GpStatus;

using ARGB = uint32_t;
using REAL = float;
using PixelFormat = int32_t;
using GraphicsState = UINT;

constexpr PixelFormat PixelFormatIndexed = 0x00010000, PixelFormatGDI = 0x00020000,
                      PixelFormatAlpha = 0x00040000, PixelFormatPAlpha = 0x00080000,
                      PixelFormatExtended = 0x00100000, PixelFormatCanonical = 0x00200000;
constexpr PixelFormat PixelFormatUndefined = 0, PixelFormatDontCare = 0;
constexpr PixelFormat PixelFormat24bppRGB = 0x00021808, PixelFormat32bppRGB = 0x00022009,
                      PixelFormat32bppARGB = 0x0026200A, PixelFormat32bppPARGB = 0x000E200B;

enum GpUnit : int {
  UnitWorld = 0,
  UnitDisplay = 1,
  UnitPixel = 2,
  UnitPoint = 3,
  UnitInch = 4,
  UnitDocument = 5,
  UnitMillimeter = 6
};
enum GpBrushType : int {
  BrushTypeSolidColor = 0,
  BrushTypeHatchFill = 1,
  BrushTypeTextureFill = 2,
  BrushTypePathGradient = 3,
  BrushTypeLinearGradient = 4
};
enum GpWrapMode : int {
  WrapModeTile = 0,
  WrapModeTileFlipX = 1,
  WrapModeTileFlipY = 2,
  WrapModeTileFlipXY = 3,
  WrapModeClamp = 4
};
enum LinearGradientMode : int {
  LinearGradientModeHorizontal = 0,
  LinearGradientModeVertical = 1,
  LinearGradientModeForwardDiagonal = 2,
  LinearGradientModeBackwardDiagonal = 3
};
enum GpHatchStyle : int {
  HatchStyleHorizontal = 0,
  HatchStyleVertical = 1,
  HatchStyleForwardDiagonal = 2,
  HatchStyleBackwardDiagonal = 3,
  HatchStyleCross = 4,
  HatchStyleDiagonalCross = 5
};
enum GpPenAlignment : int { PenAlignmentCenter = 0, PenAlignmentInset = 1 };
enum GpPenType : int {
  PenTypeSolidColor = 0,
  PenTypeHatchFill = 1,
  PenTypeTextureFill = 2,
  PenTypePathGradient = 3,
  PenTypeLinearGradient = 4,
  PenTypeUnknown = -1
};
enum InterpolationMode : int {
  InterpolationModeInvalid = -1,
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality = 1,
  InterpolationModeHighQuality = 2,
  InterpolationModeBilinear = 3,
  InterpolationModeBicubic = 4,
  InterpolationModeNearestNeighbor = 5,
  InterpolationModeHighQualityBilinear = 6,
  InterpolationModeHighQualityBicubic = 7,
};
enum SmoothingMode : int {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4
};
enum PixelOffsetMode : int {
  PixelOffsetModeInvalid = -1,
  PixelOffsetModeDefault = 0,
  PixelOffsetModeHighSpeed = 1,
  PixelOffsetModeHighQuality = 2,
  PixelOffsetModeNone = 3,
  PixelOffsetModeHalf = 4
};
enum CompositingMode : int { CompositingModeSourceOver = 0, CompositingModeSourceCopy = 1 };
enum CompositingQuality : int {
  CompositingQualityInvalid = -1,
  CompositingQualityDefault = 0,
  CompositingQualityHighSpeed = 1,
  CompositingQualityHighQuality = 2,
  CompositingQualityGammaCorrected = 3,
  CompositingQualityAssumeLinear = 4
};
enum ColorAdjustType : int {
  ColorAdjustTypeDefault = 0,
  ColorAdjustTypeBitmap = 1,
  ColorAdjustTypeBrush = 2,
  ColorAdjustTypePen = 3,
  ColorAdjustTypeText = 4
};
enum ColorMatrixFlags : int {
  ColorMatrixFlagsDefault = 0,
  ColorMatrixFlagsSkipGrays = 1,
  ColorMatrixFlagsAltGray = 2
};

// BitmapLockBits modes
constexpr UINT ImageLockModeRead = 1, ImageLockModeWrite = 2, ImageLockModeUserInputBuf = 4;

struct GpRect {
  INT X{}, Y{}, Width{}, Height{};
};
struct GpRectF {
  REAL X{}, Y{}, Width{}, Height{};
};
struct GpPoint {
  INT X{}, Y{};
};
struct GpPointF {
  REAL X{}, Y{};
};

struct ColorMatrix {
  REAL m[5][5]{};
};

struct BitmapData {
  UINT Width{};
  UINT Height{};
  INT Stride{};
  gdiplus::PixelFormat PixelFormat{};
  void* Scan0{};
  UINT_PTR Reserved{};
};

using CLSID = TGUID;

struct ImageCodecInfo {
  CLSID Clsid{};
  TGUID FormatID{};
  const WCHAR* CodecName{};
  const WCHAR* DllName{};
  const WCHAR* FormatDescription{};
  const WCHAR* FilenameExtension{};
  const WCHAR* MimeType{};
  DWORD Flags{};
  DWORD Version{};
  DWORD SigCount{};
  DWORD SigSize{};
  const BYTE* SigPattern{};
  const BYTE* SigMask{};
};

struct EncoderParameter {
  TGUID Guid{};
  ULONG NumberOfValues{};
  ULONG Type{};
  void* Value{};
};
struct EncoderParameters {
  UINT Count{};
  EncoderParameter Parameter[1]{};
};

// The encoders: PNG, BMP and JPEG.
inline constexpr CLSID CLSID_PngEncoder = GUIDConst("{557CF406-1A04-11D3-9A73-0000F81EF32E}");
inline constexpr CLSID CLSID_BmpEncoder = GUIDConst("{557CF400-1A04-11D3-9A73-0000F81EF32E}");
inline constexpr CLSID CLSID_JpegEncoder = GUIDConst("{557CF401-1A04-11D3-9A73-0000F81EF32E}");

using DebugEventProc = void (*)(int level, char* message);
using NotificationHookProc = GpStatus (*)(ULONG_PTR* token);
using NotificationUnhookProc = void (*)(ULONG_PTR token);

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
  DebugEventProc DebugEventCallback{};
  BOOL SuppressBackgroundThread{};
  BOOL SuppressExternalCodecs{};
};
struct GdiplusStartupOutput {
  NotificationHookProc NotificationHook{};
  NotificationUnhookProc NotificationUnhook{};
};

using DrawImageAbort = BOOL (*)(void*);
using GetThumbnailImageAbort = DrawImageAbort;

// Opaque objects. A bitmap is an image; every brush kind is a brush.
class GpImage {
 protected:
  GpImage() = default;
  ~GpImage() = default;
};
class GpBitmap : public GpImage {
 protected:
  GpBitmap() = default;
  ~GpBitmap() = default;
};
class GpBrush {
 protected:
  GpBrush() = default;
  ~GpBrush() = default;
};
class GpSolidFill : public GpBrush {};
class GpLineGradient : public GpBrush {};
class GpTexture : public GpBrush {};
class GpHatch : public GpBrush {};
class GpPen;
class GpGraphics;
class GpImageAttributes;
class GpCachedBitmap;

// ---------------------------------------------------------------------------
// Start-up and memory

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);
void* GdipAlloc(size_t size);
void GdipFree(void* ptr);

// ---------------------------------------------------------------------------
// Brushes

GpStatus GdipCloneBrush(GpBrush* brush, GpBrush** cloneBrush);
GpStatus GdipDeleteBrush(GpBrush* brush);
GpStatus GdipGetBrushType(GpBrush* brush, GpBrushType* type);
GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
GpStatus GdipSetSolidFillColor(GpSolidFill* brush, ARGB color);
GpStatus GdipGetSolidFillColor(GpSolidFill* brush, ARGB* color);
GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                     GpWrapMode wrapMode, GpLineGradient** lineGradient);
GpStatus GdipCreateLineBrushFromRectI(const GpRect* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                      GpWrapMode wrapMode, GpLineGradient** lineGradient);
GpStatus GdipCreateLineBrushI(const GpPoint* point1, const GpPoint* point2, ARGB color1, ARGB color2,
                              GpWrapMode wrapMode, GpLineGradient** lineGradient);
GpStatus GdipGetLineRectI(GpLineGradient* brush, GpRect* rect);
GpStatus GdipSetLineColors(GpLineGradient* brush, ARGB color1, ARGB color2);
GpStatus GdipGetLineColors(GpLineGradient* brush, ARGB* colors);
GpStatus GdipSetLineWrapMode(GpLineGradient* brush, GpWrapMode wrapmode);
GpStatus GdipGetLineWrapMode(GpLineGradient* brush, GpWrapMode* wrapmode);
GpStatus GdipCreateHatchBrush(GpHatchStyle hatchstyle, ARGB forecol, ARGB backcol, GpHatch** brush);
GpStatus GdipGetHatchStyle(GpHatch* brush, GpHatchStyle* hatchstyle);
GpStatus GdipGetHatchForegroundColor(GpHatch* brush, ARGB* forecol);
GpStatus GdipGetHatchBackgroundColor(GpHatch* brush, ARGB* backcol);
GpStatus GdipCreateTexture(GpImage* image, GpWrapMode wrapmode, GpTexture** texture);
GpStatus GdipCreateTexture2I(GpImage* image, GpWrapMode wrapmode, INT x, INT y, INT width, INT height,
                             GpTexture** texture);

// ---------------------------------------------------------------------------
// Pens

GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen);
GpStatus GdipCreatePen2(GpBrush* brush, REAL width, GpUnit unit, GpPen** pen);
GpStatus GdipClonePen(GpPen* pen, GpPen** clonepen);
GpStatus GdipDeletePen(GpPen* pen);
GpStatus GdipGetPenFillType(GpPen* pen, GpPenType* type);
GpStatus GdipSetPenBrushFill(GpPen* pen, GpBrush* brush);
GpStatus GdipGetPenBrushFill(GpPen* pen, GpBrush** brush);
GpStatus GdipSetPenColor(GpPen* pen, ARGB argb);
GpStatus GdipGetPenColor(GpPen* pen, ARGB* argb);
GpStatus GdipSetPenMode(GpPen* pen, GpPenAlignment penMode);
GpStatus GdipGetPenMode(GpPen* pen, GpPenAlignment* penMode);
GpStatus GdipSetPenWidth(GpPen* pen, REAL width);
GpStatus GdipGetPenWidth(GpPen* pen, REAL* width);

// ---------------------------------------------------------------------------
// Graphics

GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipGetDC(GpGraphics* graphics, HDC* hdc);
GpStatus GdipReleaseDC(GpGraphics* graphics, HDC hdc);
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);
GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode interpolationMode);
GpStatus GdipGetInterpolationMode(GpGraphics* graphics, InterpolationMode* interpolationMode);
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode smoothingMode);
GpStatus GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* smoothingMode);
GpStatus GdipSetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode pixelOffsetMode);
GpStatus GdipGetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode* pixelOffsetMode);
GpStatus GdipSetCompositingMode(GpGraphics* graphics, CompositingMode compositingMode);
GpStatus GdipGetCompositingMode(GpGraphics* graphics, CompositingMode* compositingMode);
GpStatus GdipSetCompositingQuality(GpGraphics* graphics, CompositingQuality compositingQuality);
GpStatus GdipGetCompositingQuality(GpGraphics* graphics, CompositingQuality* compositingQuality);
GpStatus GdipIsVisibleRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, BOOL* result);
GpStatus GdipIsVisibleRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, BOOL* result);

GpStatus GdipDrawLineI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2);
GpStatus GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);
GpStatus GdipDrawEllipseI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);
GpStatus GdipDrawArcI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                      REAL sweepAngle);
GpStatus GdipDrawPieI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                      REAL sweepAngle);
GpStatus GdipDrawBezierI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2, INT x3, INT y3,
                         INT x4, INT y4);
GpStatus GdipDrawPolygonI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count);
GpStatus GdipDrawCurve2I(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count, REAL tension);
GpStatus GdipDrawClosedCurve2I(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count,
                               REAL tension);
GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillPolygonI(GpGraphics* graphics, GpBrush* brush, const GpPoint* points, INT count,
                          int fillMode);
GpStatus GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus GdipFillPieI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height,
                      REAL startAngle, REAL sweepAngle);
GpStatus GdipFillClosedCurveI(GpGraphics* graphics, GpBrush* brush, const GpPoint* points, INT count);

// ---------------------------------------------------------------------------
// Images

GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image);
GpStatus GdipLoadImageFromFile(const WCHAR* filename, GpImage** image);
GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromFile(const WCHAR* filename, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE hpal, GpBitmap** bitmap);
GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbmReturn, ARGB background);
GpStatus GdipCreateBitmapFromGdiDib(const BITMAPINFO* gdiBitmapInfo, void* gdiBitmapData, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromGraphics(INT width, INT height, GpGraphics* target, GpBitmap** bitmap);
GpStatus GdipCloneImage(GpImage* image, GpImage** cloneImage);
GpStatus GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, PixelFormat format, GpBitmap* srcBitmap,
                              GpBitmap** dstBitmap);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipGetImageDimension(GpImage* image, REAL* width, REAL* height);
GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format,
                            BitmapData* lockedBitmapData);
GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* lockedBitmapData);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color);
GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color);

GpStatus GdipGetImageEncodersSize(UINT* numEncoders, UINT* size);
GpStatus GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);
GpStatus GdipGetEncoderParameterListSize(GpImage* image, const CLSID* clsidEncoder, UINT* size);
GpStatus GdipGetEncoderParameterList(GpImage* image, const CLSID* clsidEncoder, UINT size,
                                     EncoderParameters* buffer);
GpStatus GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* clsidEncoder,
                               const EncoderParameters* encoderParams);

GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height);
GpStatus GdipDrawImagePointRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL srcx, REAL srcy,
                                REAL srcwidth, REAL srcheight, GpUnit srcUnit);
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth,
                               REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight,
                               GpUnit srcUnit, const GpImageAttributes* imageAttributes,
                               DrawImageAbort callback, void* callbackData);
GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstx, INT dsty, INT dstwidth,
                                INT dstheight, INT srcx, INT srcy, INT srcwidth, INT srcheight,
                                GpUnit srcUnit, const GpImageAttributes* imageAttributes,
                                DrawImageAbort callback, void* callbackData);

GpStatus GdipCreateImageAttributes(GpImageAttributes** imageattr);
GpStatus GdipDisposeImageAttributes(GpImageAttributes* imageattr);
GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* imageattr, ColorAdjustType type,
                                           BOOL enableFlag, const ColorMatrix* colorMatrix,
                                           const ColorMatrix* grayMatrix, ColorMatrixFlags flags);

GpStatus GdipCreateCachedBitmap(GpBitmap* bitmap, GpGraphics* graphics, GpCachedBitmap** cachedBitmap);
GpStatus GdipDeleteCachedBitmap(GpCachedBitmap* cachedBitmap);
GpStatus GdipDrawCachedBitmap(GpGraphics* graphics, GpCachedBitmap* cachedBitmap, INT x, INT y);

}  // namespace gdiplus
}  // namespace win
