#include "lib/foundation/nbGDIPlusAPI.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "lib/foundation/nbCore.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Modules.h"

namespace gp = win::gdiplus;

namespace nbgp {
#define NB_GDIPLUS_DEFINE(Name) decltype(&win::gdiplus::Name) Name = nullptr;
NB_GDIPLUS_ENTRIES(NB_GDIPLUS_DEFINE)
#undef NB_GDIPLUS_DEFINE
}  // namespace nbgp

Boolean nbIsLibraryModule = false;

namespace {

win::HMODULE gLibrary{};
Boolean gAvailable = false;
win::ULONG_PTR gStartupToken{};
win::ULONG_PTR gHookToken{};
gp::GdiplusStartupInput gStartupInput{1, nullptr, win::TRUE, win::FALSE};
gp::GdiplusStartupOutput gStartupOutput{};
gp::CLSID gPngEncoder{};
TnbUnitsLoader* gUnitsLoader{};
Boolean gLoaderInitialized = false;

// GdipAlloc's blocks and ordinary ones are told apart by a header, so a block
// made before GDI+ was bound is still freed by the right allocator.
constexpr size_t HeaderSize = alignof(std::max_align_t);

Boolean IsZeroGuid(const gp::CLSID& AId) {
  static const gp::CLSID zero{};
  return std::memcmp(&AId, &zero, sizeof(zero)) == 0;
}

void ClearEntryPoints() {
#define NB_GDIPLUS_CLEAR(Name) nbgp::Name = nullptr;
  NB_GDIPLUS_ENTRIES(NB_GDIPLUS_CLEAR)
#undef NB_GDIPLUS_CLEAR
}

// Binds every entry point in order; after the first missing one nothing more
// is asked of the system and the rest stay nil.
Boolean BindEntryPoints() {
  Boolean found = true;
  auto bind = [&found](auto& APointer, const char* AName) {
    APointer = nullptr;
    if (!found) return;
    win::FARPROC proc = win::GetProcAddress(gLibrary, AName);
    if (!proc) {
      found = false;
      return;
    }
    APointer = reinterpret_cast<std::remove_reference_t<decltype(APointer)>>(proc);
  };
#define NB_GDIPLUS_BIND(Name) bind(nbgp::Name, #Name);
  NB_GDIPLUS_ENTRIES(NB_GDIPLUS_BIND)
#undef NB_GDIPLUS_BIND
  return found;
}

void GdiPlusInitialize() {
  gAvailable = false;
  gLibrary = nullptr;
}

void GdiPlusFinalize() { nbUnloadGdiPlus(); }

void Startup() { nbUnitsLoader()->AddUnit(&GdiPlusInitialize, &GdiPlusFinalize); }

void Shutdown() {
  if (gAvailable && nbIsLibraryModule && gUnitsLoader && gUnitsLoader->FinalizeCount() > 0)
    throw EnbException(u"Need call nbFinalizeGDIPlus before free library!");
  FreeAndNil(gUnitsLoader);
}

}  // namespace

CL_UNIT_STEPS(nbGDIPlusAPI, &Startup, &Shutdown);

CL_IMPLEMENT_CLASS(TnbGPBase)
CL_IMPLEMENT_CLASS(TnbUnitsLoader)

void* TnbGPBase::operator new(size_t ASize) {
  const Boolean viaGdiPlus = nbgp::GdipAlloc != nullptr && nbgp::GdipFree != nullptr;
  void* block = viaGdiPlus ? nbgp::GdipAlloc(ASize + HeaderSize) : std::malloc(ASize + HeaderSize);
  if (!block) throw std::bad_alloc();
  std::memset(block, 0, ASize + HeaderSize);
  *static_cast<Boolean*>(block) = viaGdiPlus;
  return static_cast<Byte*>(block) + HeaderSize;
}

void TnbGPBase::operator delete(void* APtr) {
  if (!APtr) return;
  void* block = static_cast<Byte*>(APtr) - HeaderSize;
  if (*static_cast<Boolean*>(block) && nbgp::GdipFree)
    nbgp::GdipFree(block);
  else
    std::free(block);
}

// --- Units loader --------------------------------------------------------------------

void TnbUnitsLoader::Create() {}

void TnbUnitsLoader::Destroy() {
  Finalize();
  inherited::Destroy();
}

Boolean TnbUnitsLoader::Initialized() const { return gLoaderInitialized; }

void TnbUnitsLoader::AddUnit(TnbProcedure AInitializeProc, TnbProcedure AFinalizeProc) {
  if (AInitializeProc) {
    if (nbIsLibraryModule) {
      FInitializeList.push_back(AInitializeProc);
    } else {
      AInitializeProc();
      gLoaderInitialized = true;
    }
  }
  if (AFinalizeProc) FFinalizeList.push_back(AFinalizeProc);
}

void TnbUnitsLoader::RemoveUnit(TnbProcedure AFinalizeProc) {
  auto it = std::find(FFinalizeList.begin(), FFinalizeList.end(), AFinalizeProc);
  if (it == FFinalizeList.end()) return;
  FFinalizeList.erase(it);
  if (AFinalizeProc) AFinalizeProc();
}

void TnbUnitsLoader::Initialize() {
  std::vector<TnbProcedure> procs;
  procs.swap(FInitializeList);
  for (TnbProcedure proc : procs) proc();
  gLoaderInitialized = true;
}

void TnbUnitsLoader::Finalize() {
  if (gLoaderInitialized) {
    // A finalize procedure may remove others: take them from the end one by one.
    while (!FFinalizeList.empty()) {
      TnbProcedure proc = FFinalizeList.back();
      FFinalizeList.pop_back();
      proc();
    }
  }
  gLoaderInitialized = false;
  FFinalizeList.clear();
}

TnbUnitsLoader* nbUnitsLoader() {
  if (!gUnitsLoader) gUnitsLoader = New<TnbUnitsLoader>();
  return gUnitsLoader;
}

// --- Loading ------------------------------------------------------------------------

Boolean nbIsGdiPlusAvailable() {
  if (!gAvailable) nbLoadGdiPlus();
  return gAvailable;
}

void nbLoadGdiPlus() {
  if (gAvailable) return;
  const win::UINT oldMode = win::SetErrorMode(win::SEM_NOOPENFILEERRORBOX);
  Finally restoreMode([&] { win::SetErrorMode(oldMode); });
  if (!gLibrary) gLibrary = win::LoadLibraryW(u"gdiplus.dll");
  if (!gLibrary) return;
  if (!BindEntryPoints()) return;
  gStartupOutput = {};
  gAvailable = nbGpCheck(nbgp::GdiplusStartup(&gStartupToken, &gStartupInput, &gStartupOutput)) &&
               gStartupOutput.NotificationHook && nbGpCheck(gStartupOutput.NotificationHook(&gHookToken));
  if (!gAvailable) gStartupOutput = {};
}

void nbUnloadGdiPlus() {
  if (gAvailable) {
    if (gStartupOutput.NotificationUnhook) gStartupOutput.NotificationUnhook(gHookToken);
    nbgp::GdiplusShutdown(gStartupToken);
  }
  if (gLibrary) {
    win::FreeLibrary(gLibrary);
    gLibrary = nullptr;
  }
  gAvailable = false;
  gStartupOutput = {};
  gPngEncoder = {};
  ClearEntryPoints();
}

// --- Helpers ------------------------------------------------------------------------

gp::ARGB nbColorToGpArgb(TColor AColor, Byte AAlpha) {
  if (AColor == clNone) return 0;
  const Cardinal rgb = Cardinal(ColorToRGB(AColor));
  const Cardinal r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  return (Cardinal(AAlpha) << 24) | (r << 16) | (g << 8) | b;
}

void nbGpFillGradientRect(TnbGpGraphics* AGraphics, const TRect& ARect, TColor AColor1, TColor AColor2,
                          gp::LinearGradientMode AMode) {
  const gp::GpRect rect{ARect.Left, ARect.Top, ARect.Right - ARect.Left, ARect.Bottom - ARect.Top};
  gp::GpLineGradient* brush{};
  if (!nbGpCheck(nbgp::GdipCreateLineBrushFromRectI(&rect, nbColorToGpArgb(AColor1), nbColorToGpArgb(AColor2),
                                                     AMode, gp::WrapModeTile, &brush)))
    return;
  nbGpCheck(nbgp::GdipFillRectangleI(AGraphics, brush, rect.X, rect.Y, rect.Width, rect.Height));
  nbgp::GdipDeleteBrush(brush);
}

Boolean nbGpIsRectVisible(TnbGpGraphics* AGraphics, const TRect& ARect) {
  win::BOOL visible = win::FALSE;
  nbgp::GdipIsVisibleRectI(AGraphics, ARect.Left, ARect.Top, ARect.Right - ARect.Left, ARect.Bottom - ARect.Top,
                           &visible);
  return visible != win::FALSE;
}

void nbEnsurePngEncoder() {
  if (!IsZeroGuid(gPngEncoder) || !nbIsGdiPlusAvailable()) return;
  win::UINT count = 0, size = 0;
  if (!nbGpCheck(nbgp::GdipGetImageEncodersSize(&count, &size)) || size == 0) return;
  std::vector<Byte> buffer(size);
  auto* codecs = reinterpret_cast<gp::ImageCodecInfo*>(buffer.data());
  if (!nbGpCheck(nbgp::GdipGetImageEncoders(count, size, codecs))) return;
  for (win::UINT i = 0; i < count; ++i) {
    const char16_t* mime = reinterpret_cast<const char16_t*>(codecs[i].MimeType);
    if (mime && SameText(String(mime), u"image/png")) {
      gPngEncoder = codecs[i].Clsid;
      return;
    }
  }
}

const gp::CLSID& nbPngEncoder() { return gPngEncoder; }
