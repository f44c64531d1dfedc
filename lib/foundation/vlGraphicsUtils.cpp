#include "lib/foundation/vlGraphicsUtils.h"

#include <algorithm>

#include "lib/foundation/nbUxTheme.h"
#include "lib/foundation/vlControlBasics.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/Controls.h"
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

// Calls AProc with a library canvas on the platform canvas for its duration.
template <typename F>
void WithLibraryCanvas(TCanvas* ACanvas, F AProc) {
  TvlCanvas* canvas = New<TvlCanvas>(ACanvas);
  Finally release([&] { Free(canvas); });
  AProc(canvas);
}

Boolean IsDelimiter(Char C) { return C == u' ' || C == u'\t' || C == 13 || C == 10; }

// Paints control C into the canvas: the window origin moved by AOriginDelta,
// R (in C's coordinates) the part wanted.
void PaintControl(TWinControl* C, TvlCanvas* ACanvas, const TPoint& AOriginDelta, TRect R, Boolean AWithRegion,
                  Boolean AWithFrame, TWinControl* AStop, Boolean APaintSiblings) {
  if (C->ComponentState().Contains(csDestroying) || !C->HandleAllocated()) return;
  HDC dc = ACanvas->Handle();
  ACanvas->SaveDC();
  Finally restore([&] { ACanvas->RestoreDC(); });
  POINT org{};
  GetWindowOrgEx(dc, &org);
  SetWindowOrgEx(dc, org.x + AOriginDelta.X, org.y + AOriginDelta.Y, nullptr);
  if (!RectVisible(dc, &R)) return;
  C->SetControlState(C->ControlState() + TControlState{csPaintCopy});
  Finally unmark([&] { C->SetControlState(C->ControlState() - TControlState{csPaintCopy}); });
  HWND wnd = C->Handle();
  if (AWithFrame) {
    auto* query = dynamic_cast<IvlParentFrameQuery*>(C);
    if (!query || query->NeedsParentFrame()) {
      const LONG_PTR exStyle = GetWindowLongW(wnd, GWL_EXSTYLE), style = GetWindowLongW(wnd, GWL_STYLE);
      RECT frame{0, 0, C->Width(), C->Height()};
      const RECT outer = frame;
      if (exStyle & WS_EX_CLIENTEDGE)
        DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
      else if (style & WS_BORDER)
        DrawEdge(dc, &frame, BDR_RAISEDOUTER | BDR_SUNKENOUTER, BF_RECT | BF_MONO | BF_ADJUST);
      if (frame.left != outer.left || frame.top != outer.top) {
        IntersectClipRect(dc, frame.left, frame.top, frame.right, frame.bottom);
        GetWindowOrgEx(dc, &org);
        SetWindowOrgEx(dc, org.x - frame.left, org.y - frame.top, nullptr);
        R = vlOffsetRect(R, -frame.left, -frame.top);
      }
    }
  }
  if (AWithRegion) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(wnd, region);
    if (kind == SIMPLEREGION || kind == COMPLEXREGION) {
      // from window coordinates to the canvas's device coordinates
      const TRect windowRect = vlGetControlWindowRect(C);
      POINT client{0, 0};
      ClientToScreen(wnd, &client);
      POINT logical{client.x - windowRect.Left, client.y - windowRect.Top};
      GetWindowOrgEx(dc, &org);
      POINT viewport{};
      GetViewportOrgEx(dc, &viewport);
      OffsetRgn(region, -logical.x - org.x + viewport.x, -logical.y - org.y + viewport.y);
      ExtSelectClipRgn(dc, region, RGN_AND);
    }
    DeleteObject(region);
  }
  IntersectClipRect(dc, R.Left, R.Top, R.Right, R.Bottom);
  {
    const int saved = SaveDC(dc);
    C->Perform(WM_ERASEBKGND, WPARAM(dc), LPARAM(dc));
    C->Perform(WM_PAINT, WPARAM(dc), 0);
    RestoreDC(dc, saved);
  }
  if (!APaintSiblings) return;
  for (Integer i = 0; i < C->ControlCount(); ++i) {
    auto* child = dynamic_cast<TWinControl*>(C->Controls(i));
    if (C->Controls(i) == AStop) break;
    if (!child || !child->Visible() || !child->HandleAllocated()) continue;
    const TPoint at{child->Left(), child->Top()};
    PaintControl(child, ACanvas, TPoint{-at.X, -at.Y}, vlOffsetRect(R, -at.X, -at.Y), true, true, AStop, true);
  }
}

}  // namespace

CL_UNIT_STEPS(vlGraphicsUtils, &Startup, &Shutdown);

// --- Text ---------------------------------------------------------------------------

void vlMeasureTextExtent(TFont* AFont, const String& AText, Integer AFontSize, TSize& ASize) {
  ASize = TSize{};
  TvlScreenCanvas* canvas = vlGetScreenCanvas();
  if (!canvas) return;
  canvas->Font()->Assign(AFont);
  if (AFontSize != 0) canvas->Font()->SetSize(AFontSize);
  ASize = canvas->TextExtent(AText);
  canvas->Dormant();
}

Integer vlMeasureTextWidth(TFont* AFont, const String& AText, Integer AFontSize) {
  TSize size{};
  vlMeasureTextExtent(AFont, AText, AFontSize, size);
  return size.cx;
}

Integer vlMeasureTextHeight(TFont* AFont, const String& AText, Integer AFontSize) {
  TSize size{};
  vlMeasureTextExtent(AFont, AText, AFontSize, size);
  return size.cy;
}

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

void vlSplitTextToLines(const String& AText, TvlCanvas* ACanvas, const TRect& R, TStrings* ALines) {
  if (AText.empty()) return;
  const Integer length = Integer(AText.size()), width = R.Right - R.Left;
  Integer lineStart = 0, wordStart = 0, previousWordEnd = -1;
  for (;;) {
    Integer wordEnd = wordStart;
    while (wordEnd < length && !IsDelimiter(AText[wordEnd])) ++wordEnd;
    // an explicit line break since the line's start ends the line there
    Integer brk = lineStart;
    while (brk < wordEnd && AText[brk] != 13 && AText[brk] != 10) ++brk;
    if (brk < wordEnd) {
      ALines->Add(AText.substr(size_t(lineStart), size_t(brk - lineStart)));
      while (brk < length && (AText[brk] == 13 || AText[brk] == 10)) ++brk;
      lineStart = wordStart = brk;
      previousWordEnd = -1;
      continue;
    }
    if (previousWordEnd > lineStart &&
        ACanvas->TextWidth(AText.substr(size_t(lineStart), size_t(wordEnd - lineStart))) > width) {
      ALines->Add(AText.substr(size_t(lineStart), size_t(previousWordEnd - lineStart)));
      lineStart = wordStart;
      previousWordEnd = -1;
      continue;
    }
    if (wordEnd >= length) break;
    previousWordEnd = wordEnd;
    wordStart = wordEnd + 1;
  }
  ALines->Add(AText.substr(size_t(lineStart)));
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

void vlDrawParentBackground(TWinControl* AControl, TvlCanvas* ACanvas, const TRect& R) {
  TWinControl* parent = AControl->Parent();
  if ((parent && parent->DoubleBuffered()) || !nbIsUxThemeLoaded()) {
    vlDrawTransparentBackground(AControl, ACanvas, R, false);
  } else {
    ::DrawThemeParentBackground(AControl->Handle(), ACanvas->Handle(), &R);
  }
}

void vlDrawParentBackground(TWinControl* AControl, TCanvas* ACanvas, const TRect& R) {
  WithLibraryCanvas(ACanvas, [&](TvlCanvas* canvas) { vlDrawParentBackground(AControl, canvas, R); });
}

void vlDrawTransparentBackground(TWinControl* AControl, TvlCanvas* ACanvas, const TRect& R,
                                 Boolean APaintSiblings) {
  TWinControl* parent = AControl->Parent();
  if (!parent) return;
  const TRect inParent = vlOffsetRect(R, AControl->Left(), AControl->Top());
  PaintControl(parent, ACanvas, inParent.TopLeft(), inParent, true, false, AControl, APaintSiblings);
}

void vlDrawTransparentBackground(TWinControl* AControl, TCanvas* ACanvas, const TRect& R,
                                 Boolean APaintSiblings) {
  WithLibraryCanvas(ACanvas,
                    [&](TvlCanvas* canvas) { vlDrawTransparentBackground(AControl, canvas, R, APaintSiblings); });
}

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
