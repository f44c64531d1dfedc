// GDI+ access: "gdiplus.dll" is loaded on first use and its flat-API entry
// points are bound by name (the library never links to it); GDI+ is started
// with its background thread suppressed and shut down at the end. The units
// loader lets the units that depend on GDI+ hand over their initialize and
// finalize procedures; finalize procedures run in reverse order, so GDI+,
// registered first, is shut down last.
//
// Every GDI+ user asks nbIsGdiPlusAvailable before any GDI+ call and takes
// its GDI-only path when it answers false.
#pragma once

#include <vector>

#include "platform/classes/ObjectModel.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/GdiPlus.h"

// The bound entry points, in binding order.
#define NB_GDIPLUS_ENTRIES(X)                                                                                   \
  X(GdipAlloc)                                                                                                  \
  X(GdipFree)                                                                                                   \
  X(GdiplusStartup)                                                                                             \
  X(GdiplusShutdown)                                                                                            \
  X(GdipCloneBrush)                                                                                             \
  X(GdipDeleteBrush)                                                                                            \
  X(GdipGetBrushType)                                                                                           \
  X(GdipCreateSolidFill)                                                                                        \
  X(GdipSetSolidFillColor)                                                                                      \
  X(GdipGetSolidFillColor)                                                                                      \
  X(GdipCreateLineBrushFromRectI)                                                                               \
  X(GdipGetLineRectI)                                                                                           \
  X(GdipSetLineColors)                                                                                          \
  X(GdipGetLineColors)                                                                                          \
  X(GdipSetLineWrapMode)                                                                                        \
  X(GdipGetLineWrapMode)                                                                                        \
  X(GdipCreateHatchBrush)                                                                                       \
  X(GdipGetHatchStyle)                                                                                          \
  X(GdipGetHatchForegroundColor)                                                                                \
  X(GdipGetHatchBackgroundColor)                                                                                \
  X(GdipCreatePen1)                                                                                             \
  X(GdipCreatePen2)                                                                                             \
  X(GdipClonePen)                                                                                               \
  X(GdipDeletePen)                                                                                              \
  X(GdipGetPenFillType)                                                                                         \
  X(GdipSetPenBrushFill)                                                                                        \
  X(GdipGetPenBrushFill)                                                                                        \
  X(GdipSetPenColor)                                                                                            \
  X(GdipGetPenColor)                                                                                            \
  X(GdipSetPenMode)                                                                                             \
  X(GdipGetPenMode)                                                                                             \
  X(GdipSetPenWidth)                                                                                            \
  X(GdipGetPenWidth)                                                                                            \
  X(GdipCreateFromHDC)                                                                                          \
  X(GdipDeleteGraphics)                                                                                         \
  X(GdipGetDC)                                                                                                  \
  X(GdipReleaseDC)                                                                                              \
  X(GdipGraphicsClear)                                                                                          \
  X(GdipDrawLineI)                                                                                              \
  X(GdipFillRectangleI)                                                                                         \
  X(GdipDrawArcI)                                                                                               \
  X(GdipDrawBezierI)                                                                                            \
  X(GdipDrawRectangleI)                                                                                         \
  X(GdipDrawEllipseI)                                                                                           \
  X(GdipDrawPieI)                                                                                               \
  X(GdipDrawPolygonI)                                                                                           \
  X(GdipDrawCurve2I)                                                                                            \
  X(GdipDrawClosedCurve2I)                                                                                      \
  X(GdipFillPolygonI)                                                                                           \
  X(GdipFillEllipseI)                                                                                           \
  X(GdipFillPieI)                                                                                               \
  X(GdipFillClosedCurveI)                                                                                       \
  X(GdipLoadImageFromStream)                                                                                    \
  X(GdipCreateBitmapFromFile)                                                                                   \
  X(GdipCreateBitmapFromStream)                                                                                 \
  X(GdipCreateBitmapFromStreamICM)                                                                              \
  X(GdipCreateHBITMAPFromBitmap)                                                                                \
  X(GdipLoadImageFromFile)                                                                                      \
  X(GdipGetImageDimension)                                                                                      \
  X(GdipDrawImageRectI)                                                                                         \
  X(GdipDisposeImage)                                                                                           \
  X(GdipGetImageEncodersSize)                                                                                   \
  X(GdipGetImageEncoders)                                                                                       \
  X(GdipSaveImageToStream)                                                                                      \
  X(GdipCreateBitmapFromHBITMAP)                                                                                \
  X(GdipIsVisibleRect)                                                                                          \
  X(GdipIsVisibleRectI)                                                                                         \
  X(GdipGetEncoderParameterListSize)                                                                            \
  X(GdipGetEncoderParameterList)                                                                                \
  X(GdipCreateBitmapFromGdiDib)                                                                                 \
  X(GdipCreateBitmapFromScan0)                                                                                  \
  X(GdipBitmapLockBits)                                                                                         \
  X(GdipBitmapUnlockBits)                                                                                       \
  X(GdipDrawImageRectRectI)                                                                                     \
  X(GdipDrawImageRectRect)                                                                                      \
  X(GdipDrawImagePointRect)                                                                                     \
  X(GdipCloneImage)                                                                                             \
  X(GdipCreateTexture2I)                                                                                        \
  X(GdipCreateImageAttributes)                                                                                  \
  X(GdipDisposeImageAttributes)                                                                                 \
  X(GdipSetImageAttributesColorMatrix)                                                                          \
  X(GdipSetInterpolationMode)                                                                                   \
  X(GdipGetInterpolationMode)                                                                                   \
  X(GdipCreateCachedBitmap)                                                                                     \
  X(GdipDeleteCachedBitmap)                                                                                     \
  X(GdipDrawCachedBitmap)                                                                                       \
  X(GdipCreateBitmapFromGraphics)                                                                               \
  X(GdipGetImageGraphicsContext)                                                                                \
  X(GdipGetImageWidth)                                                                                          \
  X(GdipGetImageHeight)                                                                                         \
  X(GdipSetCompositingMode)                                                                                     \
  X(GdipGetCompositingMode)                                                                                     \
  X(GdipSetCompositingQuality)                                                                                  \
  X(GdipGetCompositingQuality)                                                                                  \
  X(GdipSetSmoothingMode)                                                                                       \
  X(GdipGetSmoothingMode)                                                                                       \
  X(GdipCloneBitmapAreaI)

// One pointer per entry point, named as the entry point; nil until bound.
namespace nbgp {
#define NB_GDIPLUS_DECLARE(Name) extern decltype(&win::gdiplus::Name) Name;
NB_GDIPLUS_ENTRIES(NB_GDIPLUS_DECLARE)
#undef NB_GDIPLUS_DECLARE
}  // namespace nbgp

using TnbGpGraphics = win::gdiplus::GpGraphics;
using TnbGpImage = win::gdiplus::GpImage;
using TnbGpStatus = win::gdiplus::GpStatus;

// The base of objects handed to GDI+: allocated with GdipAlloc and freed with
// GdipFree (the ordinary allocator while GDI+ is not bound).
class TnbGPBase : public TObject {
  CL_CLASS(TnbGPBase, TObject)
 public:
  static void* operator new(size_t ASize);
  static void operator delete(void* APtr);
};

using TnbProcedure = void (*)();

// Runs the initialize procedures of GDI+ dependent units and, at the end,
// their finalize procedures in reverse order.
class TnbUnitsLoader : public TObject {
  CL_CLASS(TnbUnitsLoader, TObject)
 public:
  void Create();
  void Destroy() override;
  // AInitializeProc runs at once (it waits for Initialize when the module is
  // a dynamic library); AFinalizeProc is kept for Finalize. Either may be nil.
  void AddUnit(TnbProcedure AInitializeProc, TnbProcedure AFinalizeProc);
  // Removes the finalize procedure and, when it was registered, runs it.
  void RemoveUnit(TnbProcedure AFinalizeProc);
  void Initialize();
  void Finalize();
  Boolean Initialized() const;
  Integer FinalizeCount() const { return Integer(FFinalizeList.size()); }

 private:
  std::vector<TnbProcedure> FInitializeList;
  std::vector<TnbProcedure> FFinalizeList;
};

// The process-wide units loader, made on first use.
TnbUnitsLoader* nbUnitsLoader();
// Whether the running module is a dynamic library that is not a run-time
// package (always false: the library is linked into the program).
extern Boolean nbIsLibraryModule;

// Loads GDI+ when it is not available yet; answers whether it is.
Boolean nbIsGdiPlusAvailable();
void nbLoadGdiPlus();
void nbUnloadGdiPlus();

// clNone gives 0 (fully transparent); any other colour its RGB with AAlpha on top.
win::gdiplus::ARGB nbColorToGpArgb(TColor AColor, Byte AAlpha = 255);
void nbGpFillGradientRect(TnbGpGraphics* AGraphics, const TRect& ARect, TColor AColor1, TColor AColor2,
                          win::gdiplus::LinearGradientMode AMode);
Boolean nbGpIsRectVisible(TnbGpGraphics* AGraphics, const TRect& ARect);
// Looks the PNG encoder up once (GDI+ must be available).
void nbEnsurePngEncoder();
// The PNG encoder's class id (all zero until found).
const win::gdiplus::CLSID& nbPngEncoder();
inline Boolean nbGpCheck(TnbGpStatus AStatus) { return AStatus == win::gdiplus::Ok; }
