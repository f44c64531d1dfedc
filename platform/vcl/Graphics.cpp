#include "platform/vcl/Graphics.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"
#include "platform/win/ImageCodecs.h"

namespace {

using namespace win;

const Char* const SInvalidBitmap = u"Bitmap image is not valid";
const Char* const SInvalidIcon = u"Icon image is not valid";
const Char* const SInvalidMetafile = u"Metafile is not valid";
const Char* const SScanLine = u"Scan line index out of range";
const Char* const SNoCanvasHandle = u"Canvas does not allow drawing";
const Char* const SChangeIconSize = u"Cannot change the size of an icon";
const Char* const SInvalidPixelFormat = u"Invalid pixel format";
const Char* const SOutOfResources = u"Out of system resources";

[[noreturn]] void Abstract() { throw EAbstractError(u"Abstract error"); }

// The bytes from the stream's position to its end.
std::vector<Byte> ReadRest(TStream* Stream) {
  Int64 n = Stream->Size() - Stream->Position();
  if (n < 0) n = 0;
  if (n > MaxInt) throw EInvalidGraphic(u"Graphic data too large");
  std::vector<Byte> data(static_cast<size_t>(n));
  if (n > 0) Stream->ReadBuffer(data.data(), static_cast<Integer>(n));
  return data;
}

// The plain RGB of a colour for comparisons with pixels.
COLORREF PlainRGB(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0x00FFFFFFu; }

// A DC holding a bitmap for the lifetime of the object.
class TMemDC {
 public:
  explicit TMemDC(HBITMAP Bitmap) : FDC(CreateCompatibleDC(nullptr)) {
    FOld = SelectObject(FDC, Bitmap);
  }
  ~TMemDC() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
  }
  TMemDC(const TMemDC&) = delete;
  TMemDC& operator=(const TMemDC&) = delete;
  HDC DC() const { return FDC; }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// --- Identifier maps --------------------------------------------------------------------

const TIdentMapEntry kColors[] = {
    {clBlack, u"clBlack"},
    {clMaroon, u"clMaroon"},
    {clGreen, u"clGreen"},
    {clOlive, u"clOlive"},
    {clNavy, u"clNavy"},
    {clPurple, u"clPurple"},
    {clTeal, u"clTeal"},
    {clGray, u"clGray"},
    {clSilver, u"clSilver"},
    {clRed, u"clRed"},
    {clLime, u"clLime"},
    {clYellow, u"clYellow"},
    {clBlue, u"clBlue"},
    {clFuchsia, u"clFuchsia"},
    {clAqua, u"clAqua"},
    {clWhite, u"clWhite"},
    {clMoneyGreen, u"clMoneyGreen"},
    {clSkyBlue, u"clSkyBlue"},
    {clCream, u"clCream"},
    {clMedGray, u"clMedGray"},
    {clActiveBorder, u"clActiveBorder"},
    {clActiveCaption, u"clActiveCaption"},
    {clAppWorkSpace, u"clAppWorkSpace"},
    {clBackground, u"clBackground"},
    {clBtnFace, u"clBtnFace"},
    {clBtnHighlight, u"clBtnHighlight"},
    {clBtnShadow, u"clBtnShadow"},
    {clBtnText, u"clBtnText"},
    {clCaptionText, u"clCaptionText"},
    {clDefault, u"clDefault"},
    {clGradientActiveCaption, u"clGradientActiveCaption"},
    {clGradientInactiveCaption, u"clGradientInactiveCaption"},
    {clGrayText, u"clGrayText"},
    {clHighlight, u"clHighlight"},
    {clHighlightText, u"clHighlightText"},
    {clHotLight, u"clHotLight"},
    {clInactiveBorder, u"clInactiveBorder"},
    {clInactiveCaption, u"clInactiveCaption"},
    {clInactiveCaptionText, u"clInactiveCaptionText"},
    {clInfoBk, u"clInfoBk"},
    {clInfoText, u"clInfoText"},
    {clMenu, u"clMenu"},
    {clMenuBar, u"clMenuBar"},
    {clMenuHighlight, u"clMenuHighlight"},
    {clMenuText, u"clMenuText"},
    {clNone, u"clNone"},
    {clScrollBar, u"clScrollBar"},
    {cl3DDkShadow, u"cl3DDkShadow"},
    {cl3DLight, u"cl3DLight"},
    {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"},
    {clWindowText, u"clWindowText"},
};

const TIdentMapEntry kCharsets[] = {
    {0, u"ANSI_CHARSET"},          {1, u"DEFAULT_CHARSET"},     {2, u"SYMBOL_CHARSET"},
    {77, u"MAC_CHARSET"},          {128, u"SHIFTJIS_CHARSET"},  {129, u"HANGEUL_CHARSET"},
    {130, u"JOHAB_CHARSET"},       {134, u"GB2312_CHARSET"},    {136, u"CHINESEBIG5_CHARSET"},
    {161, u"GREEK_CHARSET"},       {162, u"TURKISH_CHARSET"},   {163, u"VIETNAMESE_CHARSET"},
    {177, u"HEBREW_CHARSET"},      {178, u"ARABIC_CHARSET"},    {186, u"BALTIC_CHARSET"},
    {204, u"RUSSIAN_CHARSET"},     {222, u"THAI_CHARSET"},      {238, u"EASTEUROPE_CHARSET"},
    {255, u"OEM_CHARSET"},
};

const int kPenModes[16] = {R2_BLACK,      R2_WHITE,       R2_NOP,         R2_NOT,        R2_COPYPEN,   R2_NOTCOPYPEN,
                           R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,  R2_NOTMERGEPEN,
                           R2_MASKPEN,    R2_NOTMASKPEN,  R2_XORPEN,      R2_NOTXORPEN};

// --- Bitmap helpers ---------------------------------------------------------------------

// The colour table of new 4- and 8-bit bitmaps: the 16 default colours, then
// (8 bits) a 6 x 6 x 6 cube and 24 greys.
void DefaultColorTable(int Bits, RGBQUAD* Table) {
  static const BYTE vga[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                  {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                  {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                                  {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  if (Bits == 1) {
    Table[0] = RGBQUAD{0, 0, 0, 0};
    Table[1] = RGBQUAD{255, 255, 255, 0};
    return;
  }
  for (int i = 0; i < 16; ++i) Table[i] = RGBQUAD{vga[i][2], vga[i][1], vga[i][0], 0};
  if (Bits != 8) return;
  int n = 16;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) Table[n++] = RGBQUAD{BYTE(b * 51), BYTE(g * 51), BYTE(r * 51), 0};
  for (int i = 0; i < 24; ++i) {
    BYTE v = BYTE(8 + i * 10);
    Table[n++] = RGBQUAD{v, v, v, 0};
  }
}

int FormatBits(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
  }
}

// The format and handle type of a bitmap handle.
void DescribeHandle(HBITMAP H, TPixelFormat& Format, TBitmapHandleType& Type, Integer& W, Integer& Ht) {
  DIBSECTION ds{};
  int got = GetObjectW(H, sizeof(ds), &ds);
  if (got == 0) throw EInvalidGraphic(SInvalidBitmap);
  W = ds.dsBm.bmWidth;
  Ht = ds.dsBm.bmHeight;
  if (got < int(sizeof(DIBSECTION))) {
    Type = bmDDB;
    Format = ds.dsBm.bmBitsPixel == 1 ? pf1bit : pfDevice;
    return;
  }
  Type = bmDIB;
  const DWORD* m = ds.dsBitfields;
  bool bitfields = ds.dsBmih.biCompression == BI_BITFIELDS;
  switch (ds.dsBmih.biBitCount) {
    case 1: Format = pf1bit; break;
    case 4: Format = pf4bit; break;
    case 8: Format = pf8bit; break;
    case 16:
      if (!bitfields || (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x1F)) Format = pf15bit;
      else if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x1F) Format = pf16bit;
      else Format = pfCustom;
      break;
    case 24: Format = pf24bit; break;
    case 32:
      Format = (!bitfields || (m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF)) ? pf32bit : pfCustom;
      break;
    default: Format = pfCustom;
  }
}

// A copy of a bitmap handle in its own format.
HBITMAP DuplicateBitmap(HBITMAP H) {
  DIBSECTION ds{};
  int got = GetObjectW(H, sizeof(ds), &ds);
  if (got == 0) return nullptr;
  if (got >= int(sizeof(DIBSECTION))) {
    std::vector<uint8_t> file = WriteBmpFile(H);
    return ReadBmpFile(file.data(), file.size());
  }
  HBITMAP copy = CreateBitmap(ds.dsBm.bmWidth, ds.dsBm.bmHeight, 1, ds.dsBm.bmBitsPixel, nullptr);
  if (!copy) return nullptr;
  TMemDC src(H), dst(copy);
  BitBlt(dst.DC(), 0, 0, ds.dsBm.bmWidth, ds.dsBm.bmHeight, src.DC(), 0, 0, SRCCOPY);
  return copy;
}

// A monochrome mask of the bitmap: 1 where the pixel is Color.
HBITMAP MakeMask(HDC Source, Integer W, Integer H, COLORREF Color) {
  HBITMAP mask = CreateBitmap(W, H, 1, 1, nullptr);
  if (!mask) throw EOutOfResources(SOutOfResources);
  TMemDC m(mask);
  COLORREF oldBk = SetBkColor(Source, Color);
  BitBlt(m.DC(), 0, 0, W, H, Source, 0, 0, SRCCOPY);
  SetBkColor(Source, oldBk);
  return mask;
}

String ExtensionOf(const String& FileName) {
  size_t slash = FileName.find_last_of(u"/\\");
  size_t dot = FileName.find_last_of(u'.');
  if (dot == String::npos || (slash != String::npos && dot < slash)) return String();
  return FileName.substr(dot + 1);
}

// --- The registry of picture formats ----------------------------------------------------------------

struct TFileFormat {
  String Extension;
  String Description;
  TGraphicClass GraphicClass;
};

struct TFileFormats {
  std::mutex Lock;
  std::vector<TFileFormat> List;
  TFileFormats() {
    List.push_back({u"wmf", u"Metafiles", ClassOf<TMetafile>()});
    List.push_back({u"emf", u"Enhanced Metafiles", ClassOf<TMetafile>()});
    List.push_back({u"ico", u"Icons", ClassOf<TIcon>()});
    List.push_back({u"bmp", u"Bitmaps", ClassOf<TBitmap>()});
  }
};

TFileFormats& FileFormats() {
  static TFileFormats formats;
  return formats;
}

void BuildFilterStrings(TGraphicClass GraphicClass, String& Descriptions, String& Filters) {
  TFileFormats& f = FileFormats();
  std::lock_guard<std::mutex> g(f.Lock);
  Descriptions.clear();
  Filters.clear();
  int c = 0;
  for (size_t i = f.List.size(); i-- > 0;) {
    const TFileFormat& e = f.List[i];
    if (!e.GraphicClass.Class()->InheritsFrom(GraphicClass) || e.Extension.empty()) continue;
    if (++c != 1) {
      Descriptions += u'|';
      Filters += u';';
    }
    Descriptions += e.Description + u" (*." + e.Extension + u")|*." + e.Extension;
    Filters += u"*." + e.Extension;
  }
  if (c > 1) Descriptions = u"All (" + Filters + u")|" + Filters + u"|" + Descriptions;
}

}  // namespace

// --- Colours ------------------------------------------------------------------------------------------

const TTypeInfo* TypeInfoTColor() {
  static const TTypeInfo* const info = [] {
    const TTypeInfo* t = MakeOrdinalTypeInfo(tkInteger, u"TColor", otSLong, -0x80000000LL, 0x7FFFFFFF);
    RegisterIntegerConsts(t, &IdentToColor, &ColorToIdent);
    return t;
  }();
  return info;
}

Integer ColorToRGB(TColor Color) {
  if (Color < 0) return static_cast<Integer>(GetSysColor(Color & 0xFF));
  return Color;
}

bool ColorToIdent(Integer Color, String& Ident) {
  return IntToIdent(Color, Ident, kColors, std::size(kColors));
}

bool IdentToColor(const String& Ident, Integer& Color) {
  return IdentToInt(Ident, Color, kColors, std::size(kColors));
}

String ColorToString(TColor Color) {
  String s;
  if (ColorToIdent(Color, s)) return s;
  return u"$" + IntToHex(static_cast<Cardinal>(Color), 8);
}

TColor StringToColor(const String& S) {
  Integer v = 0;
  if (IdentToColor(S, v)) return v;
  return StrToInt(S);
}

const TTypeInfo* TypeInfoTFontCharset() {
  static const TTypeInfo* const info = [] {
    const TTypeInfo* t = MakeOrdinalTypeInfo(tkInteger, u"TFontCharset", otUByte, 0, 255);
    RegisterIntegerConsts(t, &IdentToCharset, &CharsetToIdent);
    return t;
  }();
  return info;
}

bool CharsetToIdent(Integer Charset, String& Ident) {
  return IntToIdent(Charset, Ident, kCharsets, std::size(kCharsets));
}

bool IdentToCharset(const String& Ident, Integer& Charset) {
  return IdentToInt(Ident, Charset, kCharsets, std::size(kCharsets));
}

Integer PenModeToROP2(TPenMode Mode) { return Mode <= pmNotXor ? kPenModes[Mode] : R2_COPYPEN; }

TPenMode ROP2ToPenMode(Integer Rop2) {
  for (int i = 0; i < 16; ++i)
    if (kPenModes[i] == Rop2) return static_cast<TPenMode>(i);
  return pmCopy;
}

// --- TGraphicsObject --------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TGraphicsObject)

void TGraphicsObject::Changed() {
  if (Assigned(FOnChange)) FOnChange(this);
}

// --- TFont ---------------------------------------------------------------------------------------------

const Char* const DefFontName = u"Tahoma";

CL_IMPLEMENT_CLASS_PUBLISHED(TFont, P) {
  P.Property(u"Charset", &TFont::Charset, &TFont::SetCharset).Type(TypeInfoTFontCharset()).Default(DEFAULT_CHARSET);
  P.Property(u"Color", &TFont::Color, &TFont::SetColor).Type(TypeInfoTColor());
  P.Property(u"Height", &TFont::Height, &TFont::SetHeight);
  P.Property(u"Name", &TFont::Name, &TFont::SetName);
  P.Property(u"Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0);
  P.Property(u"Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  P.Property(u"Size", &TFont::Size, &TFont::SetSize).Stored(false);
  P.Property(u"Style", &TFont::Style, &TFont::SetStyle);
  P.Property(u"Quality", &TFont::Quality, &TFont::SetQuality).Default(fqDefault);
}

void TFont::Create() {
  FColor = clWindowText;
  FPixelsPerInch = 96;
  FCharset = DEFAULT_CHARSET;
  FHeight = DefFontHeight;
  FName = DefFontName;
  FPitch = fpDefault;
  FQuality = fqDefault;
}

void TFont::Destroy() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  inherited::Destroy();
}

void TFont::Changed() { inherited::Changed(); }

void TFont::DataChanged() {
  HFONT old = FHandle;
  FHandle = nullptr;
  Changed();
  // After the users deselected it; a DC that still holds it deletes it on release.
  if (old) DeleteObject(old);
}

void TFont::GetLogFont(void* LogFontW) const {
  LOGFONTW& lf = *static_cast<LOGFONTW*>(LogFontW);
  lf = LOGFONTW{};
  lf.lfHeight = FHeight;
  lf.lfEscapement = FOrientation;
  lf.lfOrientation = FOrientation;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
  lf.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = FCharset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = static_cast<BYTE>(FQuality);
  lf.lfPitchAndFamily = FPitch == fpVariable ? VARIABLE_PITCH : FPitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
  const String& name = SameText(FName, u"Default") ? String(DefFontName) : FName;
  size_t n = std::min<size_t>(name.size(), LF_FACESIZE - 1);
  std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n), lf.lfFaceName);
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTW lf;
    GetLogFont(&lf);
    FHandle = CreateFontIndirectW(&lf);
  }
  return FHandle;
}

void TFont::SetHandle(HFONT Value) {
  if (Value == FHandle) return;
  LOGFONTW lf{};
  if (Value && GetObjectW(Value, sizeof(lf), &lf)) {
    FHeight = lf.lfHeight;
    FOrientation = lf.lfEscapement;
    TFontStyles s;
    if (lf.lfWeight >= FW_BOLD) s.Include(fsBold);
    if (lf.lfItalic) s.Include(fsItalic);
    if (lf.lfUnderline) s.Include(fsUnderline);
    if (lf.lfStrikeOut) s.Include(fsStrikeOut);
    FStyle = s;
    FCharset = lf.lfCharSet;
    FQuality = lf.lfQuality <= fqClearTypeNatural ? static_cast<TFontQuality>(lf.lfQuality) : fqDefault;
    BYTE pitch = lf.lfPitchAndFamily & 3;
    FPitch = pitch == VARIABLE_PITCH ? fpVariable : pitch == FIXED_PITCH ? fpFixed : fpDefault;
    size_t n = 0;
    while (n < LF_FACESIZE && lf.lfFaceName[n]) ++n;
    FName.assign(lf.lfFaceName, n);
  }
  HFONT old = FHandle;
  FHandle = Value;
  Changed();
  if (old) DeleteObject(old);
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = Is<TFont>(Source) ? static_cast<TFont*>(Source) : nullptr) {
    if (f == this) return;
    Integer height = f->FHeight;
    if (FPixelsPerInch != f->FPixelsPerInch && FPixelsPerInch > 0) height = -MulDiv(f->Size(), FPixelsPerInch, 72);
    bool data = height != FHeight || f->FName != FName || f->FCharset != FCharset || f->FPitch != FPitch ||
                !(f->FStyle == FStyle) || f->FOrientation != FOrientation || f->FQuality != FQuality;
    bool color = f->FColor != FColor;
    FHeight = height;
    FName = f->FName;
    FCharset = f->FCharset;
    FPitch = f->FPitch;
    FStyle = f->FStyle;
    FOrientation = f->FOrientation;
    FQuality = f->FQuality;
    FColor = f->FColor;
    if (data) DataChanged();
    else if (color) Changed();
    return;
  }
  inherited::Assign(Source);
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  DataChanged();
}

void TFont::SetHeight(Integer Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  DataChanged();
}

void TFont::SetName(const String& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  DataChanged();
}

void TFont::SetOrientation(Integer Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  DataChanged();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  DataChanged();
}

Integer TFont::Size() const { return FPixelsPerInch > 0 ? -MulDiv(FHeight, 72, FPixelsPerInch) : 0; }

void TFont::SetSize(Integer Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  DataChanged();
}

void TFont::SetQuality(TFontQuality Value) {
  if (Value == FQuality) return;
  FQuality = Value;
  DataChanged();
}

// --- TPen ----------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TPen, P) {
  P.Property(u"Color", &TPen::Color, &TPen::SetColor).Type(TypeInfoTColor()).Default(clBlack);
  P.Property(u"Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  P.Property(u"Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
  P.Property(u"Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::Create() {
  FColor = clBlack;
  FMode = pmCopy;
  FStyle = psSolid;
  FWidth = 1;
}

void TPen::Destroy() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  inherited::Destroy();
}

void TPen::DataChanged() {
  HPEN old = FHandle;
  FHandle = nullptr;
  Changed();
  if (old) DeleteObject(old);
}

HPEN TPen::Handle() {
  if (!FHandle) {
    LOGPEN lp{};
    // psSolid .. psInsideFrame are PS_SOLID .. PS_INSIDEFRAME.
    lp.lopnStyle = FStyle <= psInsideFrame ? static_cast<UINT>(FStyle) : static_cast<UINT>(PS_SOLID);
    lp.lopnWidth = TPoint{FWidth, 0};
    lp.lopnColor = static_cast<COLORREF>(ColorToRGB(FColor));
    FHandle = CreatePenIndirect(&lp);
  }
  return FHandle;
}

void TPen::SetHandle(HPEN Value) {
  if (Value == FHandle) return;
  LOGPEN lp{};
  if (Value && GetObjectW(Value, sizeof(lp), &lp)) {
    FColor = static_cast<TColor>(lp.lopnColor);
    FWidth = lp.lopnWidth.x;
    UINT st = lp.lopnStyle & PS_STYLE_MASK;
    FStyle = st <= PS_INSIDEFRAME ? static_cast<TPenStyle>(st) : psSolid;
  }
  HPEN old = FHandle;
  FHandle = Value;
  Changed();
  if (old) DeleteObject(old);
}

void TPen::Assign(TPersistent* Source) {
  if (Is<TPen>(Source)) {
    auto* p = static_cast<TPen*>(Source);
    if (p == this) return;
    bool data = p->FColor != FColor || p->FStyle != FStyle || p->FWidth != FWidth;
    bool mode = p->FMode != FMode;
    FColor = p->FColor;
    FStyle = p->FStyle;
    FWidth = p->FWidth;
    FMode = p->FMode;
    if (data) DataChanged();
    else if (mode) Changed();
    return;
  }
  inherited::Assign(Source);
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  DataChanged();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  DataChanged();
}

void TPen::SetWidth(Integer Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  DataChanged();
}

// --- TBrush ---------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TBrush, P) {
  P.Property(u"Color", &TBrush::Color, &TBrush::SetColor).Type(TypeInfoTColor()).Default(clWhite);
  P.Property(u"Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::Create() {
  FColor = clWhite;
  FStyle = bsSolid;
}

void TBrush::Destroy() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  inherited::Destroy();
}

void TBrush::DataChanged() {
  HBRUSH old = FHandle;
  FHandle = nullptr;
  Changed();
  if (old) DeleteObject(old);
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    if (FBitmap && !FBitmap->Empty()) {
      FHandle = CreatePatternBrush(FBitmap->Handle());
    } else {
      LOGBRUSH lb{};
      lb.lbColor = static_cast<COLORREF>(ColorToRGB(FColor));
      if (FStyle == bsSolid || FStyle > bsDiagCross) {
        lb.lbStyle = BS_SOLID;
      } else if (FStyle == bsClear) {
        lb.lbStyle = BS_NULL;
      } else {
        lb.lbStyle = BS_HATCHED;
        lb.lbHatch = static_cast<ULONG_PTR>(FStyle - bsHorizontal);
      }
      FHandle = CreateBrushIndirect(&lb);
    }
  }
  return FHandle;
}

void TBrush::SetHandle(HBRUSH Value) {
  if (Value == FHandle) return;
  LOGBRUSH lb{};
  if (Value && GetObjectW(Value, sizeof(lb), &lb)) {
    FColor = static_cast<TColor>(lb.lbColor);
    if (lb.lbStyle == BS_NULL) FStyle = bsClear;
    else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS)
      FStyle = static_cast<TBrushStyle>(bsHorizontal + lb.lbHatch);
    else FStyle = bsSolid;
  }
  HBRUSH old = FHandle;
  FHandle = Value;
  Changed();
  if (old) DeleteObject(old);
}

void TBrush::Assign(TPersistent* Source) {
  if (Is<TBrush>(Source)) {
    auto* b = static_cast<TBrush*>(Source);
    if (b == this) return;
    if (b->FColor == FColor && b->FStyle == FStyle && b->FBitmap == FBitmap) return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    FBitmap = b->FBitmap;
    DataChanged();
    return;
  }
  inherited::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  DataChanged();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  DataChanged();
}

void TBrush::SetBitmap(TBitmap* Value) {
  FBitmap = Value;
  DataChanged();
}

// --- TCanvas --------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCanvas)

void TCanvas::Create() {
  FFont = New<TFont>();
  FFont->SetOnChange(TNotifyEvent(this, &TCanvas::FontChanged));
  FPen = New<TPen>();
  FPen->SetOnChange(TNotifyEvent(this, &TCanvas::PenChanged));
  FBrush = New<TBrush>();
  FBrush->SetOnChange(TNotifyEvent(this, &TCanvas::BrushChanged));
  FCopyMode = cmSrcCopy;
}

void TCanvas::Destroy() {
  SetHandle(nullptr);
  FreeAndNil(FFont);
  FreeAndNil(FPen);
  FreeAndNil(FBrush);
  inherited::Destroy();
}

void TCanvas::Changed() {
  if (Assigned(FOnChange)) FOnChange(this);
}

void TCanvas::Changing() {
  if (Assigned(FOnChanging)) FOnChanging(this);
}

void TCanvas::CreateHandle() {}

HDC TCanvas::Handle() {
  Changing();
  RequiredState(csAllValid);
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (FHandle == Value) return;
  if (FHandle) {
    DeselectHandles();
    POINT p{};
    if (GetCurrentPositionEx(FHandle, &p)) FPenPos = p;
    FHandle = nullptr;
    FState.Exclude(csHandleValid);
  }
  if (Value) {
    FState.Include(csHandleValid);
    FHandle = Value;
    MoveToEx(Value, FPenPos.X, FPenPos.Y, nullptr);
  }
}

void TCanvas::RequiredState(TCanvasStates ReqState) {
  TCanvasStates needed = ReqState - FState;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation(SNoCanvasHandle);
  }
  if (needed.Contains(csFontValid)) CreateFont();
  if (needed.Contains(csPenValid)) CreatePen();
  if (needed.Contains(csBrushValid)) CreateBrush();
  FState += needed;
}

void TCanvas::CreateFont() {
  SelectObject(FHandle, FFont->Handle());
  SetTextColor(FHandle, static_cast<COLORREF>(ColorToRGB(FFont->Color())));
}

void TCanvas::CreatePen() {
  SelectObject(FHandle, FPen->Handle());
  SetROP2(FHandle, PenModeToROP2(FPen->Mode()));
}

void TCanvas::CreateBrush() {
  UnrealizeObject(FBrush->Handle());
  SelectObject(FHandle, FBrush->Handle());
  COLORREF c = static_cast<COLORREF>(ColorToRGB(FBrush->Color()));
  if (FBrush->Style() == bsSolid) {
    SetBkColor(FHandle, c);
    SetBkMode(FHandle, OPAQUE);
  } else {
    // Hatches need a background different from the brush; nothing uses it
    // in transparent mode.
    SetBkColor(FHandle, ~c & 0x00FFFFFFu);
    SetBkMode(FHandle, TRANSPARENT);
  }
}

void TCanvas::DeselectHandles() {
  if (FHandle && !(FState * TCanvasStates{csPenValid, csBrushValid, csFontValid}).Empty()) {
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    FState -= TCanvasStates{csPenValid, csBrushValid, csFontValid};
  }
}

void TCanvas::FontChanged(TObject*) {
  if (FState.Contains(csFontValid)) {
    FState.Exclude(csFontValid);
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
}

void TCanvas::PenChanged(TObject*) {
  if (FState.Contains(csPenValid)) {
    FState.Exclude(csPenValid);
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (FState.Contains(csBrushValid)) {
    FState.Exclude(csBrushValid);
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  }
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::Lock() {
  FLock.lock();
  ++FLockCount;
}

void TCanvas::Unlock() {
  --FLockCount;
  FLock.unlock();
}

bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  ++FLockCount;
  return true;
}

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  POINT p{};
  GetCurrentPositionEx(FHandle, &p);
  return p;
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  RECT r{};
  GetClipBox(FHandle, &r);
  return r;
}

void TCanvas::Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  win::Arc(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  win::Chord(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  win::Pie(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  win::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  win::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  win::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::FillRect(const TRect& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  win::FillRect(FHandle, &Rect, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  win::FrameRect(FHandle, &Rect, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& Rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  win::DrawFocusRect(FHandle, &Rect);
  Changed();
}

void TCanvas::Polygon(const TPoint* Points, Integer Count) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  if (Points && Count > 0) win::Polygon(FHandle, Points, Count);
  Changed();
}

void TCanvas::Polyline(const TPoint* Points, Integer Count) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  if (Points && Count > 0) win::Polyline(FHandle, Points, Count);
  Changed();
}

void TCanvas::PolyBezier(const TPoint* Points, Integer Count) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  if (Points && Count > 0) win::PolyBezier(FHandle, Points, static_cast<DWORD>(Count));
  Changed();
}

void TCanvas::MoveTo(Integer X, Integer Y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(Integer X, Integer Y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  win::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  RECT box{};
  GetClipBox(FHandle, &box);
  int w = box.right - box.left, h = box.bottom - box.top;
  if (w > 0 && h > 0 && X >= box.left && X < box.right && Y >= box.top && Y < box.bottom &&
      int64_t(w) * h <= MaxImagePixels) {
    // Copy the visible area into 32-bit memory and search it there.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy && bits) {
      {
        TMemDC m(copy);
        BitBlt(m.DC(), 0, 0, w, h, FHandle, box.left, box.top, SRCCOPY);
      }
      const auto* px = static_cast<const uint32_t*>(bits);
      COLORREF c = PlainRGB(Color);
      uint32_t target = (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
      auto fillable = [&](int x, int y) {
        bool same = (px[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFFu) == target;
        return FillStyle == fsSurface ? same : !same;
      };
      std::vector<uint8_t> done(size_t(w) * size_t(h), 0);
      std::vector<RECT> spans;
      std::vector<POINT> stack{POINT{X - box.left, Y - box.top}};
      while (!stack.empty()) {
        POINT p = stack.back();
        stack.pop_back();
        if (done[size_t(p.y) * size_t(w) + size_t(p.x)] || !fillable(p.x, p.y)) continue;
        int l = p.x, r = p.x;
        while (l > 0 && !done[size_t(p.y) * size_t(w) + size_t(l - 1)] && fillable(l - 1, p.y)) --l;
        while (r + 1 < w && !done[size_t(p.y) * size_t(w) + size_t(r + 1)] && fillable(r + 1, p.y)) ++r;
        for (int x = l; x <= r; ++x) done[size_t(p.y) * size_t(w) + size_t(x)] = 1;
        spans.push_back(RECT{l + box.left, p.y + box.top, r + 1 + box.left, p.y + 1 + box.top});
        for (int ny : {p.y - 1, p.y + 1}) {
          if (ny < 0 || ny >= h) continue;
          for (int x = l; x <= r; ++x)
            if (!done[size_t(ny) * size_t(w) + size_t(x)] && fillable(x, ny)) stack.push_back(POINT{x, ny});
        }
      }
      if (!spans.empty()) {
        HRGN rgn = CreateRectsRgn(spans.data(), static_cast<int>(spans.size()));
        FillRgn(FHandle, rgn, FBrush->Handle());
        DeleteObject(rgn);
      }
    }
    if (copy) DeleteObject(copy);
  }
  Changed();
}

TColor TCanvas::Pixels(Integer X, Integer Y) {
  RequiredState({csHandleValid});
  return static_cast<TColor>(GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixels(Integer X, Integer Y, TColor Value) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  SetPixel(FHandle, X, Y, static_cast<COLORREF>(ColorToRGB(Value)));
  Changed();
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  SetBkColor(FHandle, static_cast<COLORREF>(ColorToRGB(FBrush->Color())));
  Graphic->Draw(this, TRect{X, Y, X + Graphic->Width(), Y + Graphic->Height()});
  Changed();
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (!Graphic) return;
  Changing();
  RequiredState(csAllValid);
  Graphic->Draw(this, Rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  if (!Canvas) return;
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  Canvas->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Right - Dest.Left, Dest.Bottom - Dest.Top, Canvas->FHandle,
             Source.Left, Source.Top, Source.Right - Source.Left, Source.Bottom - Source.Top,
             static_cast<DWORD>(FCopyMode));
  Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
  if (!Bitmap || Bitmap->Empty()) return;
  constexpr DWORD ROP_DSPDxax = 0x00E20746;
  Lock();
  try {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    HDC src = Bitmap->Canvas()->Handle();
    if (FBrush->Style() == bsClear) {
      // No brush to paint: the pixels of Color let the destination show through.
      TransparentBlt(FHandle, Dest.Left, Dest.Top, Dest.Right - Dest.Left, Dest.Bottom - Dest.Top, src,
                     Source.Left, Source.Top, Source.Right - Source.Left, Source.Bottom - Source.Top,
                     PlainRGB(Color));
      Changed();
      Unlock();
      return;
    }
    HBITMAP mask = MakeMask(src, Bitmap->Width(), Bitmap->Height(), PlainRGB(Color));
    {
      TMemDC m(mask);
      int dw = Dest.Right - Dest.Left, dh = Dest.Bottom - Dest.Top;
      int sw = Source.Right - Source.Left, sh = Source.Bottom - Source.Top;
      COLORREF oldText = SetTextColor(FHandle, 0);
      COLORREF oldBack = SetBkColor(FHandle, 0xFFFFFF);
      // The bitmap, then the brush where the mask is white.
      StretchBlt(FHandle, Dest.Left, Dest.Top, dw, dh, src, Source.Left, Source.Top, sw, sh, SRCCOPY);
      StretchBlt(FHandle, Dest.Left, Dest.Top, dw, dh, m.DC(), Source.Left, Source.Top, sw, sh, ROP_DSPDxax);
      SetTextColor(FHandle, oldText);
      SetBkColor(FHandle, oldBack);
    }
    DeleteObject(mask);
    Changed();
  } catch (...) {
    Unlock();
    throw;
  }
  Unlock();
}

void TCanvas::TextOut(Integer X, Integer Y, const String& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ExtTextOutW(FHandle, X, Y, static_cast<UINT>(FTextFlags), nullptr, Text.data(), static_cast<UINT>(Text.size()),
              nullptr);
  MoveTo(X + TextWidth(Text), Y);
  Changed();
}

void TCanvas::TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED | static_cast<UINT>(FTextFlags);
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutW(FHandle, X, Y, options, &Rect, Text.data(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(TRect& Rect, String& Text, TTextFormat TextFormat) {
  static const UINT flags[] = {DT_BOTTOM,       DT_CALCRECT,         DT_CENTER,     DT_EDITCONTROL,
                               DT_END_ELLIPSIS, DT_PATH_ELLIPSIS,    DT_EXPANDTABS, DT_EXTERNALLEADING,
                               DT_LEFT,         DT_MODIFYSTRING,     DT_NOCLIP,     DT_NOPREFIX,
                               DT_RIGHT,        DT_RTLREADING,       DT_SINGLELINE, DT_TOP,
                               DT_VCENTER,      DT_WORDBREAK,        DT_HIDEPREFIX, DT_NOFULLWIDTHCHARBREAK,
                               DT_PREFIXONLY,   DT_TABSTOP,          DT_WORD_ELLIPSIS};
  UINT format = 0;
  for (size_t i = 0; i < std::size(flags); ++i)
    if (TextFormat.Contains(static_cast<TTextFormats>(i))) format |= flags[i];
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  std::vector<Char> buf(Text.begin(), Text.end());
  buf.resize(Text.size() + 5, 0);
  DrawTextExW(FHandle, buf.data(), static_cast<int>(Text.size()), &Rect, format, nullptr);
  if (format & DT_MODIFYSTRING) {
    size_t n = 0;
    while (n < buf.size() && buf[n]) ++n;
    Text.assign(buf.data(), n);
  }
  Changed();
}

TSize TCanvas::TextExtent(const String& Text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE s{};
  GetTextExtentPoint32W(FHandle, Text.data(), static_cast<int>(Text.size()), &s);
  return s;
}

// --- TGraphic ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TGraphic)

void TGraphic::Create() {}

void TGraphic::SetModified(Boolean Value) {
  if (Value) Changed(this);
  else FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (Assigned(FOnChange)) FOnChange(this);
}

void TGraphic::Draw(TCanvas*, const TRect&) { Abstract(); }
void TGraphic::LoadFromStream(TStream*) { Abstract(); }
void TGraphic::SaveToStream(TStream*) { Abstract(); }
Boolean TGraphic::GetEmpty() { Abstract(); }
Integer TGraphic::GetWidth() { Abstract(); }
Integer TGraphic::GetHeight() { Abstract(); }
void TGraphic::DoSetWidth(Integer) { Abstract(); }
void TGraphic::DoSetHeight(Integer) { Abstract(); }

void TGraphic::DoSetTransparent(Boolean Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::LoadFromFile(const String& FileName) {
  std::unique_ptr<TFileStream, TObjectFree> s(New<TFileStream>(FileName, Word(fmOpenRead | fmShareDenyWrite)));
  LoadFromStream(s.get());
}

void TGraphic::SaveToFile(const String& FileName) {
  std::unique_ptr<TFileStream, TObjectFree> s(New<TFileStream>(FileName, fmCreate));
  SaveToStream(s.get());
}

Boolean TGraphic::Equals(TGraphic* Graphic) {
  if (!Graphic || Graphic->ClassType() != ClassType()) return false;
  if (Empty() || Graphic->Empty()) return Empty() && Graphic->Empty();
  std::unique_ptr<TMemoryStream, TObjectFree> a(New<TMemoryStream>()), b(New<TMemoryStream>());
  SaveToStream(a.get());
  Graphic->SaveToStream(b.get());
  return a->Size() == b->Size() &&
         std::memcmp(a->Memory(), b->Memory(), static_cast<size_t>(a->Size())) == 0;
}

void TGraphic::ReadData(TStream* Stream) { LoadFromStream(Stream); }
void TGraphic::WriteData(TStream* Stream) { SaveToStream(Stream); }

void TGraphic::DefineProperties(TFiler* Filer) {
  TPersistent* ancestor = Filer->Ancestor();
  Boolean write = ancestor ? (!Is<TGraphic>(ancestor) || !Equals(static_cast<TGraphic*>(ancestor))) : !Empty();
  Filer->DefineBinaryProperty(u"Data", TStreamProc(this, &TGraphic::ReadDataProc),
                              TStreamProc(this, &TGraphic::WriteDataProc), write);
}

// --- TBitmapCanvas ----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TBitmapCanvas)

void TBitmapCanvas::Create(TBitmap* ABitmap) {
  inherited::Create();
  FBitmap = ABitmap;
}

void TBitmapCanvas::Destroy() {
  FreeContext();
  inherited::Destroy();
}

void TBitmapCanvas::CreateHandle() {
  if (!FBitmap) return;
  FBitmap->HandleNeeded();
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) throw EOutOfResources(SOutOfResources);
  if (FBitmap->FHandle) FOldBitmap = SelectObject(dc, FBitmap->FHandle);
  if (FBitmap->FPalette) {
    FOldPalette = SelectPalette(dc, FBitmap->FPalette, TRUE);
    RealizePalette(dc);
  }
  SetHandle(dc);
}

void TBitmapCanvas::FreeContext() {
  if (!HandleAllocated()) return;
  HDC dc = FHandle;
  SetHandle(nullptr);
  if (FOldBitmap) SelectObject(dc, FOldBitmap);
  if (FOldPalette) SelectPalette(dc, static_cast<HPALETTE>(FOldPalette), TRUE);
  FOldBitmap = nullptr;
  FOldPalette = nullptr;
  DeleteDC(dc);
}

// --- TBitmap ------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TBitmap)

void TBitmap::Create() {
  inherited::Create();
  FTransparentColor = clDefault;
  FTransparentMode = tmAuto;
  FPixelFormat = pfDevice;
  FHandleType = bmDDB;
}

void TBitmap::Destroy() {
  FreeAndNil(FCanvas);
  FreeHandles();
  inherited::Destroy();
}

void TBitmap::FreeContext() {
  if (FCanvas) FCanvas->FreeContext();
}

void TBitmap::FreeHandles() {
  FreeContext();
  if (FHandle) DeleteObject(FHandle);
  if (FMaskHandle) DeleteObject(FMaskHandle);
  if (FPalette) DeleteObject(FPalette);
  FHandle = nullptr;
  FMaskHandle = nullptr;
  FPalette = nullptr;
}

HBITMAP TBitmap::MakeBitmap(TPixelFormat Format, TBitmapHandleType Type, Integer W, Integer H, HBITMAP Old) {
  if (W <= 0 || H <= 0) return nullptr;
  // A bitmap is selected into one DC at a time: the canvas lets go of it.
  if (Old && Old == FHandle) FreeContext();
  if (int64_t(W) * H > MaxImagePixels) throw EOutOfResources(SOutOfResources);
  HBITMAP result = nullptr;
  if (Type == bmDDB) {
    result = CreateBitmap(W, H, 1, Format == pf1bit ? 1 : 32, nullptr);
  } else {
    if (Format == pfCustom) throw EInvalidGraphic(SInvalidPixelFormat);
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
    int bits = FormatBits(Format);
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = W;
    bi->bmiHeader.biHeight = H;  // bottom-up, as bitmap files are
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = WORD(bits);
    auto* table = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
    if (bits <= 8) {
      bi->bmiHeader.biClrUsed = DWORD(1) << bits;
      DefaultColorTable(bits, table);
      // Keep the colour table of an old picture of the same depth.
      DIBSECTION ds{};
      if (Old && GetObjectW(Old, sizeof(ds), &ds) >= int(sizeof(DIBSECTION)) && ds.dsBmih.biBitCount == bits) {
        TMemDC m(Old);
        GetDIBColorTable(m.DC(), 0, 1u << bits, table);
      }
    } else if (Format == pf16bit) {
      bi->bmiHeader.biCompression = BI_BITFIELDS;
      DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
      std::memcpy(table, masks, sizeof(masks));
    }
    void* p = nullptr;
    result = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &p, nullptr, 0);
  }
  if (!result) throw EOutOfResources(SOutOfResources);
  TMemDC dst(result);
  // New pixels take the canvas's brush colour (white by default).
  TColor fill = FCanvas ? FCanvas->Brush()->Color() : clWhite;
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(fill)));
  RECT all{0, 0, W, H};
  win::FillRect(dst.DC(), &all, brush);
  DeleteObject(brush);
  if (Old) {
    BITMAP bm{};
    GetObjectW(Old, sizeof(bm), &bm);
    TMemDC src(Old);
    BitBlt(dst.DC(), 0, 0, std::min(W, Integer(bm.bmWidth)), std::min(H, Integer(bm.bmHeight)), src.DC(), 0, 0,
           SRCCOPY);
  }
  return result;
}

void TBitmap::ReplaceHandle(HBITMAP NewHandle) {
  FreeContext();
  if (FHandle && FHandle != NewHandle) DeleteObject(FHandle);
  if (FMaskHandle) DeleteObject(FMaskHandle);
  if (FPalette) DeleteObject(FPalette);
  FMaskHandle = nullptr;
  FPalette = nullptr;
  FHandle = NewHandle;
  FDormantData.clear();
}

void TBitmap::HandleNeeded() {
  if (FHandle) return;
  if (!FDormantData.empty()) {
    HBITMAP h = ReadBmpFile(FDormantData.data(), FDormantData.size());
    if (FHandleType == bmDDB) {
      HBITMAP ddb = nullptr;
      try {
        ddb = MakeBitmap(FPixelFormat, bmDDB, FWidth, FHeight, h);
      } catch (...) {
        DeleteObject(h);
        throw;
      }
      DeleteObject(h);
      h = ddb;
    }
    FDormantData.clear();
    FHandle = h;
    return;
  }
  if (FWidth > 0 && FHeight > 0) FHandle = MakeBitmap(FPixelFormat, FHandleType, FWidth, FHeight, nullptr);
}

Boolean TBitmap::GetEmpty() { return !FHandle && FDormantData.empty(); }

void TBitmap::Changed(TObject* Sender) {
  if (FMaskHandle) {
    DeleteObject(FMaskHandle);
    FMaskHandle = nullptr;
  }
  inherited::Changed(Sender);
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = New<TBitmapCanvas>(this);
  return FCanvas;
}

HBITMAP TBitmap::Handle() {
  HandleNeeded();
  return FHandle;
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle && Value) return;
  if (Value) {
    TPixelFormat format;
    TBitmapHandleType type;
    Integer w, h;
    DescribeHandle(Value, format, type, w, h);
    ReplaceHandle(Value);
    FPixelFormat = format;
    FHandleType = type;
    FWidth = w;
    FHeight = h;
  } else {
    ReplaceHandle(nullptr);
    FWidth = FHeight = 0;
  }
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  HandleNeeded();
  HBITMAP result = FHandle;
  if (result) {
    FreeContext();
    FHandle = DuplicateBitmap(result);
  }
  return result;
}

HBITMAP TBitmap::MaskHandle() {
  if (!FMaskHandle) {
    HandleNeeded();
    if (FHandle)
      FMaskHandle = MakeMask(Canvas()->Handle(), FWidth, FHeight, static_cast<COLORREF>(TransparentColor()) & 0xFFFFFF);
  }
  return FMaskHandle;
}

void TBitmap::SetMaskHandle(HBITMAP Value) {
  if (Value == FMaskHandle) return;
  if (FMaskHandle) DeleteObject(FMaskHandle);
  FMaskHandle = Value;
}

HBITMAP TBitmap::ReleaseMaskHandle() {
  HBITMAP result = MaskHandle();
  FMaskHandle = nullptr;
  return result;
}

void TBitmap::Mask(TColor TransparentColor) {
  HandleNeeded();
  if (!FHandle) return;
  HBITMAP mask = MakeMask(Canvas()->Handle(), FWidth, FHeight, PlainRGB(TransparentColor));
  ReplaceHandle(mask);
  FHandleType = bmDDB;
  FPixelFormat = pf1bit;
  Changed(this);
}

void TBitmap::Dormant() {
  if (!FHandle) return;
  std::vector<uint8_t> file = WriteBmpFile(FHandle);
  FreeHandles();
  FDormantData.assign(file.begin(), file.end());
}

void TBitmap::FreeImage() {}

void TBitmap::SetSize(Integer AWidth, Integer AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (AWidth == FWidth && AHeight == FHeight) return;
  HandleNeeded();
  HBITMAP h = MakeBitmap(FPixelFormat, FHandleType, AWidth, AHeight, FHandle);
  ReplaceHandle(h);
  FWidth = AWidth;
  FHeight = AHeight;
  Changed(this);
}

TPixelFormat TBitmap::PixelFormat() { return FHandleType == bmDDB ? pfDevice : FPixelFormat; }

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == PixelFormat()) return;
  if (Value == pfCustom) throw EInvalidGraphic(SInvalidPixelFormat);
  TBitmapHandleType type = Value == pfDevice ? bmDDB : bmDIB;
  HandleNeeded();
  HBITMAP h = MakeBitmap(Value, type, FWidth, FHeight, FHandle);
  ReplaceHandle(h);
  FPixelFormat = Value;
  FHandleType = type;
  Changed(this);
}

TBitmapHandleType TBitmap::HandleType() { return FHandleType; }

void TBitmap::SetHandleType(TBitmapHandleType Value) {
  if (Value == FHandleType) return;
  TPixelFormat format = FPixelFormat == pf1bit ? pf1bit : Value == bmDDB ? pfDevice : pf32bit;
  HandleNeeded();
  HBITMAP h = MakeBitmap(format, Value, FWidth, FHeight, FHandle);
  ReplaceHandle(h);
  FPixelFormat = format;
  FHandleType = Value;
  Changed(this);
}

Boolean TBitmap::Monochrome() { return FPixelFormat == pf1bit; }

void TBitmap::SetMonochrome(Boolean Value) {
  if (Value == Monochrome()) return;
  TPixelFormat format = Value ? pf1bit : FHandleType == bmDDB ? pfDevice : pf32bit;
  HandleNeeded();
  HBITMAP h = MakeBitmap(format, FHandleType, FWidth, FHeight, FHandle);
  ReplaceHandle(h);
  FPixelFormat = format;
  Changed(this);
}

void* TBitmap::ScanLine(Integer Row) {
  HandleNeeded();
  if (!FHandle || Row < 0 || Row >= FHeight) throw EInvalidGraphicOperation(SScanLine);
  if (FHandleType == bmDDB) SetHandleType(bmDIB);
  DIBSECTION ds{};
  if (GetObjectW(FHandle, sizeof(ds), &ds) < int(sizeof(DIBSECTION)) || !ds.dsBm.bmBits)
    throw EInvalidGraphicOperation(SScanLine);
  GdiFlush();
  Integer row = ds.dsBmih.biHeight > 0 ? FHeight - 1 - Row : Row;
  if (FMaskHandle) {
    DeleteObject(FMaskHandle);
    FMaskHandle = nullptr;
  }
  return static_cast<Byte*>(ds.dsBm.bmBits) + size_t(row) * size_t(ds.dsBm.bmWidthBytes);
}

TColor TBitmap::TransparentColor() {
  TColor result;
  if (FTransparentColor == clDefault) {
    if (Monochrome()) result = clWhite;
    else result = Canvas()->Pixels(0, FHeight - 1);
  } else {
    result = ColorToRGB(FTransparentColor);
  }
  return result | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  FTransparentColor = Value;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == tmAuto) SetTransparentColor(clDefault);
  else SetTransparentColor(TransparentColor());
}

HPALETTE TBitmap::GetPalette() {
  if (!FPalette) {
    HandleNeeded();
    FreeContext();
    DIBSECTION ds{};
    if (FHandle && GetObjectW(FHandle, sizeof(ds), &ds) >= int(sizeof(DIBSECTION)) && ds.dsBmih.biBitCount <= 8) {
      RGBQUAD table[256];
      UINT n;
      {
        TMemDC m(FHandle);
        n = GetDIBColorTable(m.DC(), 0, 256, table);
      }
      std::vector<uint8_t> buf(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY), 0);
      auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
      lp->palVersion = 0x300;
      lp->palNumEntries = WORD(n);
      for (UINT i = 0; i < n; ++i)
        lp->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
      if (n) FPalette = CreatePalette(lp);
    }
  }
  return FPalette;
}

void TBitmap::DoSetPalette(HPALETTE Value) {
  if (Value == FPalette) return;
  FreeContext();
  if (FPalette) DeleteObject(FPalette);
  FPalette = Value;
  DIBSECTION ds{};
  if (Value && FHandle && GetObjectW(FHandle, sizeof(ds), &ds) >= int(sizeof(DIBSECTION)) &&
      ds.dsBmih.biBitCount <= 8) {
    PALETTEENTRY e[256];
    UINT n = GetPaletteEntries(Value, 0, 256, e);
    RGBQUAD table[256];
    for (UINT i = 0; i < n; ++i) table[i] = RGBQUAD{e[i].peBlue, e[i].peGreen, e[i].peRed, 0};
    TMemDC m(FHandle);
    SetDIBColorTable(m.DC(), 0, n, table);
  }
  Changed(this);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  HandleNeeded();
  if (!FHandle || !ACanvas) return;
  HDC dst = ACanvas->Handle();
  HDC src = Canvas()->Handle();
  int w = Rect.Right - Rect.Left, h = Rect.Bottom - Rect.Top;
  if (Transparent())
    TransparentBlt(dst, Rect.Left, Rect.Top, w, h, src, 0, 0, FWidth, FHeight,
                   static_cast<UINT>(TransparentColor()) & 0xFFFFFFu);
  else
    StretchBlt(dst, Rect.Left, Rect.Top, w, h, src, 0, 0, FWidth, FHeight, static_cast<DWORD>(ACanvas->CopyMode()));
}

void TBitmap::LoadBmp(const Byte* Data, size_t Size) {
  if (Size == 0) {
    SetHandle(nullptr);
    return;
  }
  HBITMAP h = nullptr;
  try {
    h = ReadBmpFile(Data, Size);
  } catch (const EImageCodecError&) {
    throw EInvalidGraphic(SInvalidBitmap);
  }
  SetHandle(h);
}

void TBitmap::LoadFromStream(TStream* Stream) {
  std::vector<Byte> data = ReadRest(Stream);
  LoadBmp(data.data(), data.size());
}

void TBitmap::SaveToStream(TStream* Stream) {
  HandleNeeded();
  if (!FHandle) return;
  std::vector<uint8_t> file = WriteBmpFile(FHandle);
  Stream->WriteBuffer(file.data(), static_cast<Integer>(file.size()));
}

void TBitmap::ReadData(TStream* Stream) {
  Integer size = 0;
  Stream->ReadBuffer(&size, sizeof(size));
  if (size < 0 || size > Stream->Size() - Stream->Position()) throw EInvalidGraphic(SInvalidBitmap);
  std::vector<Byte> data(static_cast<size_t>(size));
  if (size) Stream->ReadBuffer(data.data(), size);
  LoadBmp(data.data(), data.size());
}

void TBitmap::WriteData(TStream* Stream) {
  HandleNeeded();
  std::vector<uint8_t> file;
  if (FHandle) file = WriteBmpFile(FHandle);
  Integer size = static_cast<Integer>(file.size());
  Stream->WriteBuffer(&size, sizeof(size));
  if (size) Stream->WriteBuffer(file.data(), size);
}

void TBitmap::LoadFromResourceName(void* Instance, const String& ResName) {
  std::unique_ptr<TResourceStream, TObjectFree> rs(New<TResourceStream>(Instance, ResName, RT_BITMAP));
  HBITMAP h = nullptr;
  try {
    h = ReadPackedDib(static_cast<const uint8_t*>(rs->Memory()), static_cast<size_t>(rs->Size()));
  } catch (const EImageCodecError&) {
    throw EInvalidGraphic(SInvalidBitmap);
  }
  SetHandle(h);
}

void TBitmap::LoadFromResourceID(void* Instance, Integer ResID) {
  std::unique_ptr<TResourceStream, TObjectFree> rs(NewBy<TResourceStream>(&TResourceStream::CreateFromID, Instance,
                                                                          ResID, RT_BITMAP));
  HBITMAP h = nullptr;
  try {
    h = ReadPackedDib(static_cast<const uint8_t*>(rs->Memory()), static_cast<size_t>(rs->Size()));
  } catch (const EImageCodecError&) {
    throw EInvalidGraphic(SInvalidBitmap);
  }
  SetHandle(h);
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    SetHandle(nullptr);
    return;
  }
  if (Is<TBitmap>(Source)) {
    auto* b = static_cast<TBitmap*>(Source);
    if (b == this) return;
    b->HandleNeeded();
    b->FreeContext();
    HBITMAP copy = b->FHandle ? DuplicateBitmap(b->FHandle) : nullptr;
    if (b->FHandle && !copy) throw EOutOfResources(SOutOfResources);
    ReplaceHandle(copy);
    FWidth = b->FWidth;
    FHeight = b->FHeight;
    FPixelFormat = b->FPixelFormat;
    FHandleType = b->FHandleType;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    FTransparent = b->FTransparent;
    Changed(this);
    return;
  }
  inherited::Assign(Source);
}

// --- TIcon ---------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TIcon)

namespace {

uint32_t Le32(const Byte* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const Byte* p) { return uint16_t(p[0] | (p[1] << 8)); }
void Put32(std::vector<Byte>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(Byte(x >> (8 * i)));
}
void Put16(std::vector<Byte>& v, uint16_t x) {
  v.push_back(Byte(x));
  v.push_back(Byte(x >> 8));
}

// A 1-bit bottom-up DIB section of the given rows (the AND mask of an icon).
HBITMAP MakeMonoDib(int W, int H, const Byte* Rows, size_t Stride) {
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD), 0);
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = W;
  bi->bmiHeader.biHeight = H;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = 1;
  bi->bmiHeader.biClrUsed = 2;
  auto* table = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
  table[1] = RGBQUAD{255, 255, 255, 0};
  void* bits = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!h) throw EOutOfResources(SOutOfResources);
  if (Rows) std::memcpy(bits, Rows, Stride * size_t(H));
  return h;
}

struct TIconImage {
  HBITMAP Color = nullptr;
  HBITMAP Mask = nullptr;
  int Width = 0, Height = 0;
};

// Decodes one image of an icon file: a PNG, or a DIB whose height counts the
// colour and the mask rows.
TIconImage DecodeIconImage(const Byte* P, size_t N) {
  TIconImage r;
  static const Byte png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (N >= 8 && std::memcmp(P, png, 8) == 0) {
    TDecodedImage img = DecodePng(P, N);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = img.Width;
    bi.bmiHeader.biHeight = -img.Height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    r.Color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!r.Color) throw EOutOfResources(SOutOfResources);
    std::memcpy(bits, img.Pixels.data(), img.Pixels.size() * 4);
    size_t stride = size_t(((img.Width + 31) / 32) * 4);
    std::vector<Byte> mask(stride * size_t(img.Height), 0);
    for (int y = 0; y < img.Height; ++y)
      for (int x = 0; x < img.Width; ++x)
        if ((img.Pixels[size_t(y) * size_t(img.Width) + size_t(x)] >> 24) == 0)
          mask[size_t(img.Height - 1 - y) * stride + size_t(x / 8)] |= Byte(0x80 >> (x % 8));
    r.Mask = MakeMonoDib(img.Width, img.Height, mask.data(), stride);
    r.Width = img.Width;
    r.Height = img.Height;
    return r;
  }
  if (N < 40 || Le32(P) < 40 || Le32(P) > N) throw EInvalidGraphic(SInvalidIcon);
  uint32_t hs = Le32(P);
  int32_t w = int32_t(Le32(P + 4)), h2 = int32_t(Le32(P + 8));
  int bpp = Le16(P + 14);
  uint32_t compression = Le32(P + 16), clrUsed = Le32(P + 32);
  if (w <= 0 || w > 1024 || h2 <= 0 || h2 > 2048 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) ||
      compression != BI_RGB)
    throw EInvalidGraphic(SInvalidIcon);
  int h = h2 / 2;
  if (h <= 0) throw EInvalidGraphic(SInvalidIcon);
  size_t colors = bpp <= 8 ? (clrUsed && clrUsed < (1u << bpp) ? clrUsed : (1u << bpp)) : 0;
  size_t xorStride = size_t(((int64_t(w) * bpp + 31) / 32) * 4);
  size_t andStride = size_t(((w + 31) / 32) * 4);
  size_t xorOffset = hs + colors * 4;
  size_t need = xorOffset + xorStride * size_t(h);
  if (need > N) throw EInvalidGraphic(SInvalidIcon);
  // The colour image as a packed DIB of the image's own height.
  std::vector<Byte> packed(P, P + need);
  uint32_t hh = uint32_t(h);
  std::memcpy(packed.data() + 8, &hh, 4);
  try {
    r.Color = ReadPackedDib(packed.data(), packed.size());
  } catch (const EImageCodecError&) {
    throw EInvalidGraphic(SInvalidIcon);
  }
  // The mask follows; a file without one is opaque.
  bool hasMask = need + andStride * size_t(h) <= N;
  r.Mask = MakeMonoDib(w, h, hasMask ? P + need : nullptr, andStride);
  r.Width = w;
  r.Height = h;
  return r;
}

}  // namespace

void TIcon::Create() {
  inherited::Create();
  FTransparent = true;
}

void TIcon::Destroy() {
  Reset();
  inherited::Destroy();
}

void TIcon::Reset() {
  if (FHandle) DestroyIcon(FHandle);
  FHandle = nullptr;
  FData.clear();
  FWidth = FHeight = 0;
}

void TIcon::DoSetWidth(Integer Value) {
  if (Value != FWidth) throw EInvalidGraphicOperation(SChangeIconSize);
}

void TIcon::DoSetHeight(Integer Value) {
  if (Value != FHeight) throw EInvalidGraphicOperation(SChangeIconSize);
}

void TIcon::SetHandle(HICON Value) {
  if (Value == FHandle) return;
  Reset();
  FHandle = Value;
  ICONINFO ii{};
  if (Value && GetIconInfo(Value, &ii)) {
    BITMAP bm{};
    if (GetObjectW(ii.hbmMask, sizeof(bm), &bm)) {
      FWidth = bm.bmWidth;
      FHeight = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    }
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
  }
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON result = FHandle;
  if (result) FHandle = CopyIcon(result);
  return result;
}

void TIcon::Assign(TPersistent* Source) {
  if (!Source) {
    Reset();
    Changed(this);
    return;
  }
  if (Is<TIcon>(Source)) {
    auto* i = static_cast<TIcon*>(Source);
    if (i == this) return;
    Reset();
    if (i->FHandle) FHandle = CopyIcon(i->FHandle);
    FData = i->FData;
    FWidth = i->FWidth;
    FHeight = i->FHeight;
    Changed(this);
    return;
  }
  inherited::Assign(Source);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (!FHandle || !ACanvas) return;
  DrawIconEx(ACanvas->Handle(), Rect.Left, Rect.Top, FHandle, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, 0,
             nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream* Stream) {
  std::vector<Byte> data = ReadRest(Stream);
  const Byte* p = data.data();
  size_t n = data.size();
  if (n < 6 || Le16(p) != 0 || (Le16(p + 2) != 1 && Le16(p + 2) != 2) || Le16(p + 4) == 0 ||
      6 + size_t(Le16(p + 4)) * 16 > n)
    throw EInvalidGraphic(SInvalidIcon);
  int count = Le16(p + 4);
  // The image nearest 32 x 32, the deepest of equal distance.
  int best = -1, bestDist = 0, bestBits = 0;
  for (int i = 0; i < count; ++i) {
    const Byte* e = p + 6 + i * 16;
    int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256, bits = Le16(e + 6);
    int dist = std::abs(w - 32) + std::abs(h - 32);
    if (best < 0 || dist < bestDist || (dist == bestDist && bits > bestBits)) {
      best = i;
      bestDist = dist;
      bestBits = bits;
    }
  }
  const Byte* e = p + 6 + best * 16;
  uint64_t size = Le32(e + 8), offset = Le32(e + 12);
  if (size == 0 || offset + size > n) throw EInvalidGraphic(SInvalidIcon);
  TIconImage img;
  try {
    img = DecodeIconImage(p + offset, size_t(size));
  } catch (const EImageCodecError&) {
    throw EInvalidGraphic(SInvalidIcon);
  }
  ICONINFO ii{TRUE, 0, 0, img.Mask, img.Color};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(img.Mask);
  DeleteObject(img.Color);
  if (!icon) throw EInvalidGraphic(SInvalidIcon);
  Reset();
  FHandle = icon;
  FData = std::move(data);
  FWidth = img.Width;
  FHeight = img.Height;
  Changed(this);
}

void TIcon::SaveToStream(TStream* Stream) {
  if (!FData.empty()) {
    Stream->WriteBuffer(FData.data(), static_cast<Integer>(FData.size()));
    return;
  }
  if (!FHandle) return;
  // One 32-bit image with its mask, made from the handle.
  ICONINFO ii{};
  if (!GetIconInfo(FHandle, &ii)) throw EInvalidGraphic(SInvalidIcon);
  int w = FWidth, h = FHeight;
  std::vector<Byte> xorBits(size_t(w) * size_t(h) * 4, 0);
  size_t andStride = size_t(((w + 31) / 32) * 4);
  std::vector<Byte> andBits(andStride * size_t(h), 0);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  if (ii.hbmColor) GetDIBits(nullptr, ii.hbmColor, 0, UINT(h), xorBits.data(), &bi, DIB_RGB_COLORS);
  std::vector<uint8_t> mi(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD), 0);
  auto* mbi = reinterpret_cast<BITMAPINFO*>(mi.data());
  mbi->bmiHeader = bi.bmiHeader;
  mbi->bmiHeader.biBitCount = 1;
  GetDIBits(nullptr, ii.hbmMask, 0, UINT(h), andBits.data(), mbi, DIB_RGB_COLORS);
  DeleteObject(ii.hbmMask);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  std::vector<Byte> out;
  uint32_t imageSize = uint32_t(40 + xorBits.size() + andBits.size());
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(Byte(w >= 256 ? 0 : w));
  out.push_back(Byte(h >= 256 ? 0 : h));
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, imageSize);
  Put32(out, 22);
  Put32(out, 40);
  Put32(out, uint32_t(w));
  Put32(out, uint32_t(h * 2));
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  out.insert(out.end(), xorBits.begin(), xorBits.end());
  out.insert(out.end(), andBits.begin(), andBits.end());
  Stream->WriteBuffer(out.data(), static_cast<Integer>(out.size()));
}

// --- TMetafile ----------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TMetafile)

void TMetafile::Clear() {
  FData.clear();
  FWidth = FHeight = 0;
  Changed(this);
}

void TMetafile::DoSetWidth(Integer Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  Changed(this);
}

void TMetafile::DoSetHeight(Integer Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed(this);
}

void TMetafile::Assign(TPersistent* Source) {
  if (!Source) {
    Clear();
    return;
  }
  if (Is<TMetafile>(Source)) {
    auto* m = static_cast<TMetafile*>(Source);
    FData = m->FData;
    FWidth = m->FWidth;
    FHeight = m->FHeight;
    FEnhanced = m->FEnhanced;
    Changed(this);
    return;
  }
  inherited::Assign(Source);
}

void TMetafile::LoadFromStream(TStream* Stream) {
  std::vector<Byte> data = ReadRest(Stream);
  const Byte* p = data.data();
  size_t n = data.size();
  if (n >= 88 && Le32(p) == 1 && Le32(p + 40) == 0x464D4520) {
    // Enhanced: the frame in hundredths of a millimetre.
    int32_t l = int32_t(Le32(p + 24)), t = int32_t(Le32(p + 28)), r = int32_t(Le32(p + 32)), b = int32_t(Le32(p + 36));
    FWidth = static_cast<Integer>((int64_t(r) - l) * 96 / 2540);
    FHeight = static_cast<Integer>((int64_t(b) - t) * 96 / 2540);
    FEnhanced = true;
  } else if (n >= 22 && Le32(p) == 0x9AC6CDD7u) {
    // A placeable metafile: the box in units of "inch" per inch.
    int l = int16_t(Le16(p + 6)), t = int16_t(Le16(p + 8)), r = int16_t(Le16(p + 10)), b = int16_t(Le16(p + 12));
    int inch = Le16(p + 14);
    if (inch == 0) throw EInvalidGraphic(SInvalidMetafile);
    FWidth = (r - l) * 96 / inch;
    FHeight = (b - t) * 96 / inch;
    FEnhanced = false;
  } else {
    throw EInvalidGraphic(SInvalidMetafile);
  }
  FData = std::move(data);
  Changed(this);
}

void TMetafile::SaveToStream(TStream* Stream) {
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<Integer>(FData.size()));
}

// --- TPicture -------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TPicture)

void TPicture::Create() {}

void TPicture::Destroy() {
  FreeAndNil(FGraphic);
  inherited::Destroy();
}

void TPicture::Changed(TObject*) {
  if (Assigned(FOnChange)) FOnChange(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic && Value) return;
  TGraphic* graphic = nullptr;
  if (Value) {
    graphic = CreateFrom(Value->ClassType(), &TGraphic::Create);
    try {
      graphic->Assign(Value);
    } catch (...) {
      Free(graphic);
      throw;
    }
  }
  Free(FGraphic);
  FGraphic = graphic;
  if (FGraphic) FGraphic->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
  Changed(this);
}

void TPicture::ForceType(TGraphicClass GraphicType) {
  if (FGraphic && FGraphic->InheritsFrom(GraphicType)) return;
  FreeAndNil(FGraphic);
  FGraphic = CreateFrom(GraphicType, &TGraphic::Create);
  FGraphic->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
  Changed(this);
}

TBitmap* TPicture::Bitmap() {
  ForceType(ClassOf<TBitmap>());
  return static_cast<TBitmap*>(FGraphic);
}

TIcon* TPicture::Icon() {
  ForceType(ClassOf<TIcon>());
  return static_cast<TIcon*>(FGraphic);
}

TMetafile* TPicture::Metafile() {
  ForceType(ClassOf<TMetafile>());
  return static_cast<TMetafile*>(FGraphic);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) SetGraphic(nullptr);
  else if (Is<TPicture>(Source)) SetGraphic(static_cast<TPicture*>(Source)->Graphic());
  else if (Is<TGraphic>(Source)) SetGraphic(static_cast<TGraphic*>(Source));
  else inherited::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (FGraphic && Dest && FGraphic->InheritsFrom(Dest->ClassType())) Dest->Assign(FGraphic);
  else inherited::AssignTo(Dest);
}

void TPicture::LoadFromFile(const String& Filename) {
  String ext = ExtensionOf(Filename);
  TGraphicClass cls = FindExtension(ext);
  if (!cls) throw EInvalidGraphic(u"Unknown picture file extension (." + ext + u")");
  TGraphic* graphic = CreateFrom(cls, &TGraphic::Create);
  try {
    graphic->LoadFromFile(Filename);
  } catch (...) {
    Free(graphic);
    throw;
  }
  Free(FGraphic);
  FGraphic = graphic;
  FGraphic->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
  Changed(this);
}

void TPicture::SaveToFile(const String& Filename) {
  if (FGraphic) FGraphic->SaveToFile(Filename);
}

void TPicture::RegisterFileFormat(const String& AExtension, const String& ADescription,
                                  TGraphicClass AGraphicClass) const {
  if (!AGraphicClass) return;
  TFileFormats& f = FileFormats();
  std::lock_guard<std::mutex> g(f.Lock);
  f.List.push_back({LowerCase(AExtension), ADescription, AGraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass AClass) const {
  if (!AClass) return;
  TFileFormats& f = FileFormats();
  std::lock_guard<std::mutex> g(f.Lock);
  std::erase_if(f.List, [&](const TFileFormat& e) { return e.GraphicClass.Class()->InheritsFrom(AClass); });
}

TGraphicClass TPicture::GetGraphicClass(const String& AClassName) const {
  TFileFormats& f = FileFormats();
  std::lock_guard<std::mutex> g(f.Lock);
  for (size_t i = f.List.size(); i-- > 0;)
    if (SameText(f.List[i].GraphicClass.Class()->ClassName(), AClassName)) return f.List[i].GraphicClass;
  return nullptr;
}

TGraphicClass TPicture::FindExtension(const String& AExtension) const {
  TFileFormats& f = FileFormats();
  std::lock_guard<std::mutex> g(f.Lock);
  for (size_t i = f.List.size(); i-- > 0;)
    if (SameText(f.List[i].Extension, AExtension)) return f.List[i].GraphicClass;
  return nullptr;
}

void TPicture::ReadData(TStream* Stream) {
  Byte len = 0;
  Stream->ReadBuffer(&len, 1);
  std::string name(len, '\0');
  if (len) Stream->ReadBuffer(name.data(), len);
  String className(name.begin(), name.end());
  TGraphicClass cls = GetGraphicClass(className);
  TGraphic* graphic = nullptr;
  if (cls) {
    graphic = CreateFrom(cls, &TGraphic::Create);
    try {
      graphic->ReadData(Stream);
    } catch (...) {
      Free(graphic);
      throw;
    }
  }
  Free(FGraphic);
  FGraphic = graphic;
  if (FGraphic) FGraphic->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
  Changed(this);
}

void TPicture::WriteData(TStream* Stream) {
  String name = FGraphic ? FGraphic->ClassName() : String();
  std::string bytes(name.begin(), name.end());  // class names are ASCII identifiers
  Byte len = static_cast<Byte>(std::min<size_t>(bytes.size(), 255));
  Stream->WriteBuffer(&len, 1);
  if (len) Stream->WriteBuffer(bytes.data(), len);
  if (FGraphic) FGraphic->WriteData(Stream);
}

void TPicture::DefineProperties(TFiler* Filer) {
  Boolean write;
  TPersistent* ancestor = Filer->Ancestor();
  if (ancestor) {
    write = true;
    if (Is<TPicture>(ancestor)) {
      TGraphic* other = static_cast<TPicture*>(ancestor)->Graphic();
      write = !(FGraphic == other || (FGraphic && other && FGraphic->Equals(other)));
    }
  } else {
    write = FGraphic != nullptr;
  }
  Filer->DefineBinaryProperty(u"Data", TStreamProc(this, &TPicture::ReadData), TStreamProc(this, &TPicture::WriteData),
                              write);
}

String GraphicFilter(TGraphicClass GraphicClass) {
  String descriptions, filters;
  BuildFilterStrings(GraphicClass, descriptions, filters);
  return descriptions;
}

String GraphicExtension(TGraphicClass GraphicClass) {
  TFileFormats& f = FileFormats();
  std::lock_guard<std::mutex> g(f.Lock);
  for (size_t i = f.List.size(); i-- > 0;)
    if (f.List[i].GraphicClass == GraphicClass) return f.List[i].Extension;
  return String();
}

String GraphicFileMask(TGraphicClass GraphicClass) {
  String descriptions, filters;
  BuildFilterStrings(GraphicClass, descriptions, filters);
  return filters;
}

// --- Unit start-up ------------------------------------------------------------------------------------------

namespace {

void GraphicsStartup() {
  TypeInfoTColor();
  TypeInfoTFontCharset();
  RegisterClasses({TFont::StaticClass(), TPen::StaticClass(), TBrush::StaticClass(), TBitmap::StaticClass(),
                   TIcon::StaticClass(), TMetafile::StaticClass(), TPicture::StaticClass()});
}

void GraphicsShutdown() {
  UnRegisterClasses({TFont::StaticClass(), TPen::StaticClass(), TBrush::StaticClass(), TBitmap::StaticClass(),
                     TIcon::StaticClass(), TMetafile::StaticClass(), TPicture::StaticClass()});
}

}  // namespace

CL_UNIT_STEPS(Graphics, &GraphicsStartup, &GraphicsShutdown);
