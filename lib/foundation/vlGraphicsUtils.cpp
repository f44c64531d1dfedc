#include "lib/foundation/vlGraphicsUtils.h"

#include <algorithm>

#include "platform/classes/ModuleInit.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/GdiText.h"
#include "platform/win/Modules.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

constexpr int SysColorBrushCount = 31;

HBRUSH CheckerBrush{};
HBRUSH SysColorBrushes[SysColorBrushCount]{};
TSize ScreenPixelsPerInch{96, 96};
HMODULE MsImg32{};

void Startup() {
  const WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
  CheckerBrush = CreatePatternBrush(pattern);
  DeleteObject(pattern);
  for (int i = 0; i < SysColorBrushCount; ++i) SysColorBrushes[i] = GetSysColorBrush(i);
  MsImg32 = LoadLibraryW(u"msimg32.dll");
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (GetVersionExW(&version) && version.dwMajorVersion > 5) {
    using TSetProcessDPIAware = BOOL (*)();
    if (auto f = reinterpret_cast<TSetProcessDPIAware>(GetProcAddress(FindLoadedModule(u"USER32"),
                                                                      "SetProcessDPIAware")))
      f();
  }
  HDC screen = GetDC(nullptr);
  ScreenPixelsPerInch = TSize{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
  ReleaseDC(nullptr, screen);
}

void Shutdown() {
  DeleteObject(CheckerBrush);
  CheckerBrush = nullptr;
  for (HBRUSH& b : SysColorBrushes) b = nullptr;
  if (MsImg32) FreeLibrary(MsImg32);
  MsImg32 = nullptr;
}

// The DrawText calculation of the text in a rectangle of the given width.
TRect CalcAtWidth(HDC ADC, const String& AText, Integer AWidth, UINT AFlags) {
  RECT r{0, 0, AWidth, 0};
  DrawTextW(ADC, AText.c_str(), Integer(AText.size()), &r, DT_CALCRECT | AFlags);
  return r;
}

Integer Clamp255(Integer AValue) { return std::clamp(AValue, 0, 255); }

// Per channel: the shares (in percent) of button face, highlight and window.
Integer HighlightMix(Integer AFace, Integer AHighlight, Integer AWindow) {
  const Integer face = ColorToRGB(clBtnFace);
  const Integer highlight = ColorToRGB(clHighlight);
  if (face == 0 || face == 0xFFFFFF) return highlight;
  const Integer window = ColorToRGB(clWindow);
  auto channel = [&](int shift) {
    return Clamp255(MulDiv((face >> shift) & 0xFF, AFace, 100) + MulDiv((highlight >> shift) & 0xFF, AHighlight, 100) +
                    MulDiv((window >> shift) & 0xFF, AWindow, 100));
  };
  return vlGetNearestScreenColor(channel(0) | (channel(8) << 8) | (channel(16) << 16));
}

// Reads or writes every pixel of the bitmap through a 32-bit DIB header.
Boolean TransferBitmapColors(HBITMAP ABitmap, Boolean ATopDown, std::vector<RGBQUAD>& APixels, Boolean AStore) {
  BITMAP info{};
  if (!GetObjectW(ABitmap, sizeof(info), &info) || info.bmWidth == 0 || info.bmHeight == 0) return false;
  BITMAPINFO header{};
  header.bmiHeader.biSize = 40;
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = ATopDown ? -info.bmHeight : info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  if (!AStore) APixels.assign(size_t(info.bmWidth) * size_t(info.bmHeight), RGBQUAD{});
  if (APixels.size() < size_t(info.bmWidth) * size_t(info.bmHeight)) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  const int lines = AStore ? SetDIBits(dc, ABitmap, 0, UINT(info.bmHeight), APixels.data(), &header, DIB_RGB_COLORS)
                           : GetDIBits(dc, ABitmap, 0, UINT(info.bmHeight), APixels.data(), &header, DIB_RGB_COLORS);
  DeleteDC(dc);
  return lines > 0;
}

}  // namespace

CL_UNIT_STEPS(vlGraphicsUtils, &Startup, &Shutdown);

// --- Text ---------------------------------------------------------------------------

TSize vlMeasureTextSize(HDC ADC, const String& AText) {
  const TRect r = CalcAtWidth(ADC, AText, 0, DT_SINGLELINE);
  return TSize{r.Right - r.Left, r.Bottom - r.Top};
}

void vlCalcTextRectForRows(HDC ADC, const String& AText, Integer ARows, TRect& R, Boolean AForceHeight) {
  R = TRect{};
  if (ARows == 1) {
    R = CalcAtWidth(ADC, AText, 0, DT_SINGLELINE);
    return;
  }
  constexpr UINT flags = DT_WORDBREAK | DT_NOFULLWIDTHCHARBREAK;
  const Integer limit = ARows > 0 ? ARows * vlMeasureTextSize(ADC, u"Wg").cy : 32000;
  Integer lo = CalcAtWidth(ADC, AText, 1, flags).Right;
  Integer hi = vlMeasureTextSize(ADC, AText).cx;
  while (hi - lo > 1) {
    const Integer c = lo + (hi - lo) / 2;
    if (CalcAtWidth(ADC, AText, c, flags).Bottom > limit)
      lo = c;
    else
      hi = c;
  }
  R = CalcAtWidth(ADC, AText, lo, flags);
  if (R.Bottom > limit) R = CalcAtWidth(ADC, AText, hi, flags);
  if (AForceHeight) R.Bottom = limit;
}

Boolean vlWinTextExtent(HDC ADC, const String& AText, TSize& ASize, Integer ALength) {
  if (ALength < 0) ALength = Integer(AText.size());
  return GetTextExtentPoint32W(ADC, AText.c_str(), ALength, &ASize) != 0;
}

Integer vlWinDrawText(HDC ADC, const String& AText, TRect& R, Integer ALength, Cardinal AFormat) {
  if (ALength < 0) ALength = Integer(AText.size());
  return DrawTextW(ADC, AText.c_str(), ALength, &R, AFormat);
}

Boolean vlWinExtTextOut(HDC ADC, const String& AText, const TPoint& P, Integer ALength, Cardinal AOptions,
                        const TRect* AClipRect) {
  if (ALength < 0) ALength = Integer(AText.size());
  return ExtTextOutW(ADC, P.X, P.Y, AOptions, AClipRect, AText.c_str(), UINT(ALength), nullptr) != 0;
}

Boolean vlIsMirroredCharSetText(Byte ACharSet, const String& AText) {
  if (AText.empty() || AText[0] < 128) return false;
  Byte charSet = ACharSet;
  if (charSet == DEFAULT_CHARSET) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    charSet = Byte(GetTextCharset(screen));
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
  }
  return charSet == 134 || charSet == 136 || charSet == 178;
}

// --- Windows ------------------------------------------------------------------------

void vlInvalidateWindowRect(HWND AWnd, const TRect& R, Boolean AErase) { InvalidateRect(AWnd, &R, AErase); }

void vlInvalidateWindowRect(HWND AWnd, Boolean AErase) { InvalidateRect(AWnd, nullptr, AErase); }

void vlGetCursorSize(TSize& ASize) {
  ASize = TSize{GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR)};
  ICONINFO info{};
  HCURSOR cursor = GetCursor();
  if (!cursor || !GetIconInfo(cursor, &info)) return;
  BITMAP mask{};
  if (info.hbmMask && GetObjectW(info.hbmMask, sizeof(mask), &mask) && mask.bmWidth > 0 && mask.bmHeight > 0) {
    // the AND mask is the top half when the mask also holds the XOR half
    const Boolean withXor = !info.hbmColor;
    const Integer andRows = withXor ? mask.bmHeight / 2 : mask.bmHeight;
    std::vector<RGBQUAD> pixels;
    if (TransferBitmapColors(info.hbmMask, true, pixels, false)) {
      auto lowestRow = [&](Integer AFirst, Integer ACount, Boolean AWantSet) {
        for (Integer y = AFirst + ACount - 1; y >= AFirst; --y)
          for (Integer x = 0; x < mask.bmWidth; ++x) {
            const RGBQUAD& p = pixels[size_t(y) * size_t(mask.bmWidth) + size_t(x)];
            const Boolean set = p.rgbRed | p.rgbGreen | p.rgbBlue;
            if (set == AWantSet) return y - AFirst;
          }
        return -1;
      };
      Integer lowest = lowestRow(0, andRows, false);  // not fully transparent: an AND bit of 0
      if (lowest < 0 && withXor) lowest = lowestRow(andRows, andRows, true);
      ASize = TSize{mask.bmWidth, lowest + 1 - Integer(info.yHotspot)};
    }
  }
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}

// --- Colours and GDI objects ----------------------------------------------------------

Integer vlGetLightHighlightColor() { return HighlightMix(14, 44, 40); }

Integer vlGetLighterHighlightColor() { return HighlightMix(-2, 30, 72); }

Integer vlGetNearestScreenColor(Integer AColor) {
  HDC screen = GetDC(nullptr);
  const COLORREF result = GetNearestColor(screen, COLORREF(ColorToRGB(AColor)));
  ReleaseDC(nullptr, screen);
  return Integer(result);
}

Boolean vlGetBitmapInfo(HBITMAP AHandle, BITMAP& AInfo) { return GetObjectW(AHandle, sizeof(AInfo), &AInfo) != 0; }

Boolean vlGetBrushInfo(HBRUSH AHandle, LOGBRUSH& AInfo) { return GetObjectW(AHandle, sizeof(AInfo), &AInfo) != 0; }

Boolean vlGetFontInfo(HFONT AHandle, LOGFONTW& AInfo) { return GetObjectW(AHandle, sizeof(AInfo), &AInfo) != 0; }

Boolean vlGetPenInfo(HPEN AHandle, LOGPEN& AInfo) { return GetObjectW(AHandle, sizeof(AInfo), &AInfo) != 0; }

void vlGetBitmapColors(HBITMAP ABitmap, Boolean ATopDown, std::vector<RGBQUAD>& APixels) {
  if (!TransferBitmapColors(ABitmap, ATopDown, APixels, false)) APixels.clear();
}

void vlStoreBitmapColors(HBITMAP ABitmap, std::vector<RGBQUAD>& APixels, Boolean ATopDown) {
  TransferBitmapColors(ABitmap, ATopDown, APixels, true);
  std::vector<RGBQUAD>().swap(APixels);
}

TBitmap* vlCreateBitmapOfSize(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat) {
  TBitmap* result = New<TBitmap>();
  result->SetPixelFormat(APixelFormat);
  result->SetSize(AWidth, AHeight);
  return result;
}

TBitmap* vlCreateBitmapOfSize(const TSize& ASize, TPixelFormat APixelFormat) {
  return vlCreateBitmapOfSize(ASize.cx, ASize.cy, APixelFormat);
}

TBitmap* vlCreateBitmapOfSize(const TRect& ARect, TPixelFormat APixelFormat) {
  return vlCreateBitmapOfSize(ARect.Right - ARect.Left, ARect.Bottom - ARect.Top, APixelFormat);
}

Boolean vlBitBltRect(HDC ADestDC, HDC ASourceDC, const TRect& ADestRect, Cardinal ARop,
                     const TPoint& ASourcePoint) {
  return BitBlt(ADestDC, ADestRect.Left, ADestRect.Top, ADestRect.Right - ADestRect.Left,
                ADestRect.Bottom - ADestRect.Top, ASourceDC, ASourcePoint.X, ASourcePoint.Y, ARop) != 0;
}

void vlAssignImageList(TCustomImageList* ANewList, TCustomImageList*& AField, TChangeLink* AChangeLink,
                       TComponent* AOwner) {
  if (ANewList == AField) return;
  if (AField) {
    if (AOwner) AField->RemoveFreeNotification(AOwner);
    AField->UnRegisterChanges(AChangeLink);
  }
  AField = ANewList;
  if (AField) {
    AField->RegisterChanges(AChangeLink);
    if (AOwner) AField->FreeNotification(AOwner);
  }
  AChangeLink->Change();
}

TRect vlDeflateRectBy(const TRect& R, const TRect& AExtension) {
  return TRect{R.Left + AExtension.Left, R.Top + AExtension.Top, R.Right - AExtension.Right,
               R.Bottom - AExtension.Bottom};
}

Boolean vlIsGlyphAssigned(TBitmap* ABitmap) { return ABitmap && !ABitmap->Empty(); }

Boolean vlIsImageIndexValid(TCustomImageList* AImages, Integer AIndex) {
  return AImages && AIndex >= 0 && AIndex < AImages->Count();
}

TSize vlGetScreenPixelsPerInch() { return ScreenPixelsPerInch; }

HBRUSH vlCheckerBrush() { return CheckerBrush; }

HBRUSH vlSysColorBrush(Integer AIndex) {
  return AIndex >= 0 && AIndex < SysColorBrushCount ? SysColorBrushes[AIndex] : nullptr;
}
