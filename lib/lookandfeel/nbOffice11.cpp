#include "lib/lookandfeel/nbOffice11.h"

#include <algorithm>
#include <iterator>

#include "lib/foundation/nbCore.h"
#include "lib/foundation/nbUxTheme.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Gdi.h"

TColor nbOffice11FaceColor, nbOffice11LightFaceColor, nbOffice11GradientLightColor, nbOffice11GradientDarkColor,
    nbOffice11Color04, nbOffice11Color05, nbOffice11Color06, nbOffice11Color07, nbOffice11Color08,
    nbOffice11Color09, nbOffice11Color10, nbOffice11Color11, nbOffice11Color12, nbOffice11Color13,
    nbOffice11Color14, nbOffice11Color15, nbOffice11Color16, nbOffice11Color17, nbOffice11Color18,
    nbOffice11Color19, nbOffice11DarkEdgeColor, nbOffice11LightEdgeColor, nbOffice11Color22, nbOffice11Color23,
    nbOffice11FilterBoxColor, nbOffice11Color25, nbOffice11Color26, nbOffice11Color27,
    nbOffice11FilterBoxTextColor, nbOffice11Color29, nbOffice11Color30, nbOffice11Color31, nbOffice11Color32,
    nbOffice11Color33, nbOffice11Color34, nbOffice11Color35, nbOffice11Color36, nbOffice11Color37,
    nbOffice11BorderColor, nbOffice11Color39, nbOffice11HotColor, nbOffice11HighlightBorderColor,
    nbOffice11HotButtonColor, nbOffice11HotButtonColor2, nbOffice11PressedButtonColor,
    nbOffice11PressedButtonColor2, nbOffice11Color46, nbOffice11Color47, nbOffice11Color48, nbOffice11Color49,
    nbOffice11Color50, nbOffice11TextColor, nbOffice11DisabledTextColor, nbOffice11Color53, nbOffice11Color54,
    nbOffice11GroupByBoxColor, nbOffice11Color56, nbOffice11Color57, nbOffice11GroupColor,
    nbOffice11DateSelectionColor, nbOffice11SchedulerBorderColor, nbOffice11SchedulerControlColor,
    nbOffice11Color62, nbOffice11Color63, nbOffice11Color64, nbOffice11Color65, nbOffice11Color66,
    nbOffice11Color67, nbOffice11Color68, nbOffice11Color69, nbOffice11Color70, nbOffice11Color71,
    nbOffice11Color72, nbOffice11Color73, nbOffice11Color74, nbOffice11Color75, nbOffice11Color76,
    nbOffice11Color77, nbOffice11Color78, nbOffice11ExpandButtonLightColor, nbOffice11ExpandButtonDarkColor;

namespace {

TColor* const Palette[nbOffice11PaletteSize] = {
    &nbOffice11FaceColor,          &nbOffice11LightFaceColor,       &nbOffice11GradientLightColor,
    &nbOffice11GradientDarkColor,  &nbOffice11Color04,              &nbOffice11Color05,
    &nbOffice11Color06,            &nbOffice11Color07,              &nbOffice11Color08,
    &nbOffice11Color09,            &nbOffice11Color10,              &nbOffice11Color11,
    &nbOffice11Color12,            &nbOffice11Color13,              &nbOffice11Color14,
    &nbOffice11Color15,            &nbOffice11Color16,              &nbOffice11Color17,
    &nbOffice11Color18,            &nbOffice11Color19,              &nbOffice11DarkEdgeColor,
    &nbOffice11LightEdgeColor,     &nbOffice11Color22,              &nbOffice11Color23,
    &nbOffice11FilterBoxColor,     &nbOffice11Color25,              &nbOffice11Color26,
    &nbOffice11Color27,            &nbOffice11FilterBoxTextColor,   &nbOffice11Color29,
    &nbOffice11Color30,            &nbOffice11Color31,              &nbOffice11Color32,
    &nbOffice11Color33,            &nbOffice11Color34,              &nbOffice11Color35,
    &nbOffice11Color36,            &nbOffice11Color37,              &nbOffice11BorderColor,
    &nbOffice11Color39,            &nbOffice11HotColor,             &nbOffice11HighlightBorderColor,
    &nbOffice11HotButtonColor,     &nbOffice11HotButtonColor2,      &nbOffice11PressedButtonColor,
    &nbOffice11PressedButtonColor2, &nbOffice11Color46,             &nbOffice11Color47,
    &nbOffice11Color48,            &nbOffice11Color49,              &nbOffice11Color50,
    &nbOffice11TextColor,          &nbOffice11DisabledTextColor,    &nbOffice11Color53,
    &nbOffice11Color54,            &nbOffice11GroupByBoxColor,      &nbOffice11Color56,
    &nbOffice11Color57,            &nbOffice11GroupColor,           &nbOffice11DateSelectionColor,
    &nbOffice11SchedulerBorderColor, &nbOffice11SchedulerControlColor, &nbOffice11Color62,
    &nbOffice11Color63,            &nbOffice11Color64,              &nbOffice11Color65,
    &nbOffice11Color66,            &nbOffice11Color67,              &nbOffice11Color68,
    &nbOffice11Color69,            &nbOffice11Color70,              &nbOffice11Color71,
    &nbOffice11Color72,            &nbOffice11Color73,              &nbOffice11Color74,
    &nbOffice11Color75,            &nbOffice11Color76,              &nbOffice11Color77,
    &nbOffice11Color78,            &nbOffice11ExpandButtonLightColor, &nbOffice11ExpandButtonDarkColor};

TColor& P(Integer AIndex) { return *Palette[AIndex]; }

constexpr TColor Rgb(Integer R, Integer G, Integer B) { return TColor(R | (G << 8) | (B << 16)); }

// The scheme colours of the entries that take a value of their own, blue,
// olive and silver.
struct TSchemeEntry {
  Byte Index;
  TColor Colors[3];
};

const TSchemeEntry SchemeEntries[] = {
    {0, {Rgb(158, 190, 245), Rgb(217, 217, 167), Rgb(215, 215, 229)}},
    {1, {Rgb(195, 218, 249), Rgb(242, 240, 228), Rgb(243, 243, 247)}},
    {2, {Rgb(221, 236, 254), Rgb(244, 247, 222), Rgb(243, 244, 250)}},
    {3, {Rgb(129, 169, 226), Rgb(183, 198, 145), Rgb(153, 151, 181)}},
    {4, {Rgb(117, 166, 241), Rgb(176, 194, 140), Rgb(179, 178, 200)}},
    {5, {Rgb(255, 248, 211), Rgb(255, 248, 211), Rgb(255, 248, 211)}},
    {6, {Rgb(254, 149, 82), Rgb(254, 149, 82), Rgb(254, 149, 82)}},
    {7, {Rgb(0, 53, 145), Rgb(96, 119, 107), Rgb(118, 116, 146)}},
    {8, {Rgb(255, 193, 118), Rgb(255, 193, 118), Rgb(255, 193, 118)}},
    {9, {Rgb(255, 221, 152), Rgb(255, 221, 152), Rgb(255, 221, 152)}},
    {10, {Rgb(59, 97, 156), Rgb(96, 128, 88), Rgb(124, 124, 148)}},
    {11, {Rgb(123, 164, 224), Rgb(181, 196, 143), Rgb(147, 145, 176)}},
    {18, {Rgb(39, 65, 118), Rgb(81, 94, 51), Rgb(84, 84, 117)}},
    {19, {Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(255, 255, 255)}},
    {20, {Rgb(106, 140, 203), Rgb(96, 128, 88), Rgb(110, 109, 143)}},
    {21, {Rgb(241, 249, 255), Rgb(244, 247, 222), Rgb(255, 255, 255)}},
    {22, {Rgb(0, 0, 0), Rgb(0, 0, 0), Rgb(0, 0, 0)}},
    {23, {Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(255, 255, 255)}},
    {24, {Rgb(42, 102, 201), Rgb(116, 134, 94), Rgb(122, 121, 153)}},
    {25, {Rgb(196, 219, 249), Rgb(225, 222, 173), Rgb(219, 218, 228)}},
    {28, {Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(255, 255, 255)}},
    {29, {Rgb(0, 0, 0), Rgb(0, 0, 0), Rgb(0, 0, 0)}},
    {30, {Rgb(0, 0, 0), Rgb(0, 0, 0), Rgb(0, 0, 0)}},
    {31, {Rgb(246, 246, 246), Rgb(244, 244, 238), Rgb(253, 250, 255)}},
    {38, {Rgb(0, 45, 150), Rgb(117, 141, 94), Rgb(124, 124, 148)}},
    {40, {Rgb(255, 238, 194), Rgb(255, 238, 194), Rgb(255, 238, 194)}},
    {41, {Rgb(0, 0, 128), Rgb(63, 93, 56), Rgb(75, 75, 111)}},
    {42, {Rgb(255, 244, 204), Rgb(255, 244, 204), Rgb(255, 244, 204)}},
    {43, {Rgb(255, 208, 145), Rgb(255, 208, 145), Rgb(255, 208, 145)}},
    {44, {Rgb(255, 211, 142), Rgb(255, 211, 142), Rgb(255, 211, 142)}},
    {45, {Rgb(254, 145, 78), Rgb(254, 145, 78), Rgb(254, 145, 78)}},
    {46, {Rgb(203, 225, 252), Rgb(216, 227, 182), Rgb(214, 211, 231)}},
    {47, {Rgb(255, 192, 111), Rgb(255, 192, 111), Rgb(255, 192, 111)}},
    {48, {Rgb(254, 128, 62), Rgb(254, 128, 62), Rgb(254, 128, 62)}},
    {49, {Rgb(169, 199, 240), Rgb(197, 212, 159), Rgb(192, 192, 211)}},
    {51, {Rgb(0, 0, 0), Rgb(0, 0, 0), Rgb(0, 0, 0)}},
    {52, {Rgb(141, 141, 141), Rgb(141, 141, 141), Rgb(141, 141, 141)}},
    {58, {Rgb(190, 218, 251), Rgb(175, 186, 145), Rgb(229, 229, 235)}},
    {59, {Rgb(251, 230, 148), Rgb(251, 230, 148), Rgb(251, 230, 148)}},
    {60, {Rgb(0, 45, 150), Rgb(96, 128, 88), Rgb(124, 124, 148)}},
    {61, {Rgb(196, 218, 250), Rgb(242, 241, 228), Rgb(243, 243, 247)}},
    {62, {Rgb(253, 238, 201), Rgb(253, 238, 201), Rgb(253, 238, 201)}},
    {63, {Rgb(55, 104, 185), Rgb(115, 137, 84), Rgb(112, 111, 145)}},
    {65, {Rgb(0, 45, 150), Rgb(117, 141, 94), Rgb(124, 124, 148)}},
    {66, {Rgb(211, 229, 251), Rgb(242, 245, 219), Rgb(240, 241, 248)}},
    {67, {Rgb(136, 174, 228), Rgb(188, 201, 151), Rgb(160, 158, 186)}},
    {68, {Rgb(255, 255, 220), Rgb(255, 255, 220), Rgb(255, 255, 220)}},
    {69, {Rgb(247, 192, 91), Rgb(247, 192, 91), Rgb(247, 192, 91)}},
    {70, {Rgb(251, 230, 148), Rgb(251, 230, 148), Rgb(251, 230, 148)}},
    {71, {Rgb(238, 149, 21), Rgb(238, 149, 21), Rgb(238, 149, 21)}},
    {72, {Rgb(232, 127, 8), Rgb(232, 127, 8), Rgb(232, 127, 8)}},
    {73, {Rgb(247, 218, 124), Rgb(247, 218, 124), Rgb(247, 218, 124)}},
    {74, {Rgb(89, 135, 214), Rgb(175, 192, 130), Rgb(168, 167, 191)}},
    {75, {Rgb(3, 56, 147), Rgb(99, 122, 68), Rgb(112, 111, 145)}},
    {76, {Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(255, 255, 255)}},
    {77, {Rgb(89, 135, 214), Rgb(175, 192, 130), Rgb(168, 167, 191)}},
    {78, {Rgb(3, 56, 147), Rgb(99, 122, 68), Rgb(112, 111, 145)}},
};

// The entries that copy an earlier (or later) entry, in table order:
// {entry, source} in scheme mode and in system-colour mode (-1: not a copy
// in that mode).
struct TCopyEntry {
  Byte Index;
  SmallInt SchemeSource;
  SmallInt SystemSource;
};

const TCopyEntry CopyEntries[] = {
    {25, -1, 3}, {26, 2, 2},   {27, 24, 24}, {32, 2, 2},   {33, 3, 3},   {34, 2, 2},   {35, 3, 3},
    {39, 31, 31}, {42, -1, 40}, {43, -1, 40}, {44, -1, 48}, {45, -1, 48}, {46, -1, 3},  {49, -1, 46},
    {50, 40, 40}, {53, 38, 38}, {54, 0, 0},   {55, 15, 15}, {56, 28, 28}, {57, 38, 38}, {59, -1, 47},
    {60, -1, 38}, {61, -1, 0},  {64, 11, -1}, {68, -1, 42}, {69, -1, 43}, {70, -1, 47}, {71, -1, 47},
    {72, -1, 48}, {73, -1, 48}, {74, -1, 65}, {75, -1, 65}, {78, -1, 65},
};

constexpr Integer GradientPercents[4] = {75, 41, 125, 40};

Byte Scheme = 0;
Boolean SchemeColors = false;
Integer GradientPercent = 75;
Integer RefCount = 0;

// Brushes: entries 18-21; border (two handles); entry 31 (two handles);
// highlight border; entries 46-49; hot (two handles); group-by box.
constexpr Integer BrushCount = 16;
win::HBRUSH Brushes[BrushCount] = {};
constexpr Integer HighlightBorderBrush = 8;

TBitmap* SubMenuExpandBitmap = nullptr;
TBitmap* ExpandButtonBitmaps[2] = {};  // plus, minus

const char* const GradientFillName[] = {"GradientFill"};
TnbBoundLibrary Msimg32;
class TnbOffice11ThemeListener;
TnbOffice11ThemeListener* ThemeNotificator = nullptr;

Integer Red(TColor C) { return Integer(C & 0xFF); }
Integer Green(TColor C) { return Integer((C >> 8) & 0xFF); }
Integer Blue(TColor C) { return Integer((C >> 16) & 0xFF); }

TColor NearestScreenColor(TColor AColor) { return TColor(vlGetNearestScreenColor(AColor)); }

// The colour name of the default theme's variants.
Byte DetectScheme() {
  if (!nbAreThemesAvailable(TnbThemedObjectTypes())) return 0;
  Char fileName[1024] = {}, colorName[1024] = {}, sizeName[1024] = {};
  if (::GetCurrentThemeName(fileName, 1024, colorName, 1024, sizeName, 1024) != S_OK) return 0;
  if (UpperCase(nbThemeFileName(String(fileName))) != u"LUNA.MSSTYLES" && !nbOSWindowsVistaOrLater) return 0;
  String color = UpperCase(String(colorName));
  if (color == u"NORMALCOLOR") return 1;
  if (color == u"HOMESTEAD") return 2;
  if (color == u"METALLIC") return 3;
  return 0;
}

TColor Mix(TColor A, TColor B, Integer APercent) { return nbBlendColors(A, B, APercent); }

TColor NavPaneColor(Boolean ALight) {
  TColor face = TColor(ColorToRGB(clBtnFace));
  auto channel = [ALight](Integer c) { return ALight ? c * 127 / 255 + 128 : (c - c * 4 / 255 + 4) % 256; };
  return NearestScreenColor(Rgb(channel(Red(face)), channel(Green(face)), channel(Blue(face))));
}

// The entries with a rule or a system colour of their own (the copies are
// made afterwards), system-colour mode.
void FillSystemColors() {
  const TColor black = Rgb(0, 0, 0);
  P(0) = clBtnFace;
  P(1) = Mix(clBtnFace, clWindow, 20);
  P(2) = Mix(clBtnFace, clWindow, 22);
  P(3) = Mix(clBtnFace, clWindow, 96);
  P(4) = Mix(clBtnShadow, clWindow, 74);
  P(5) = NearestScreenColor(nbMixSystemColors(-15, 29, 86));
  P(6) = NearestScreenColor(nbMixSystemColors(42, 11, 47));
  P(7) = clBtnShadow;
  P(8) = NearestScreenColor(nbMixSystemColors(-15, 29, 86));
  P(9) = NearestScreenColor(nbMixSystemColors(42, 11, 47));
  P(10) = Mix(clBtnFace, clWindow, 85);
  P(11) = clBtnFace;
  P(12) = Mix(P(7), clWindow, 50);
  P(13) = Mix(P(8), clWindow, 50);
  P(14) = Mix(P(9), clWindow, 50);
  P(15) = Mix(P(7), P(11), 50);
  P(16) = Mix(P(8), P(11), 50);
  P(17) = Mix(P(9), P(11), 50);
  P(18) = Mix(clBtnShadow, clWindow, 76);
  P(19) = clWindow;
  P(20) = Mix(clBtnShadow, clWindow, 70);
  P(21) = Rgb(255, 255, 255);
  P(22) = clBtnText;
  P(23) = clWindow;
  P(24) = clBtnShadow;
  P(28) = clBtnHighlight;
  P(29) = clBtnText;
  P(30) = clBtnText;
  P(31) = clWindow;
  P(36) = Mix(P(2), black, 92);
  P(38) = clBtnShadow;
  P(40) = NearestScreenColor(nbMixSystemColors(-2, 30, 72));
  P(41) = clHighlight;
  P(47) = nbMixSystemColors(41, 11, 48);
  P(48) = NearestScreenColor(nbMixSystemColors(14, 44, 40));
  P(51) = clBtnText;
  P(52) = clGrayText;
  P(58) = clBtnFace;
  P(62) = clBtnFace;
  P(63) = clBtnShadow;
  P(64) = clBtnShadow;
  P(65) = NearestScreenColor(clBtnShadow);
  P(66) = NavPaneColor(true);
  P(67) = NavPaneColor(false);
  P(76) = clHighlightText;
  P(77) = NearestScreenColor(clBtnFace);
}

void FillSchemeColors(Byte AScheme) {
  for (const TSchemeEntry& e : SchemeEntries) P(e.Index) = e.Colors[AScheme - 1];
  const TColor black = Rgb(0, 0, 0);
  P(12) = Mix(P(4), P(2), 90);
  P(13) = Mix(P(5), P(2), 90);
  P(14) = Mix(P(6), P(2), 90);
  P(15) = Mix(P(7), P(11), 50);
  P(16) = Mix(P(8), P(11), 50);
  P(17) = Mix(P(9), P(11), 50);
  P(36) = Mix(P(2), black, 92);
}

void ComputePalette() {
  Scheme = DetectScheme();
  SchemeColors = nbAreThemesAvailable(TnbThemedObjectTypes()) && Scheme != 0;
  if (Scheme != 0)
    FillSchemeColors(Scheme);
  else
    FillSystemColors();
  P(79) = Rgb(158, 174, 191);
  P(80) = Rgb(46, 70, 95);
  for (const TCopyEntry& c : CopyEntries) {
    Integer source = Scheme != 0 ? c.SchemeSource : c.SystemSource;
    if (source >= 0) P(c.Index) = P(source);
  }
  // Color37 mixes Color35, a copy: taken after the copies so that it sees
  // this computation's value, not the previous one's.
  P(37) = Mix(P(35), Rgb(0, 0, 0), 92);
  GradientPercent = GradientPercents[Scheme];
}

win::HBRUSH SolidBrush(TColor AColor) { return win::CreateSolidBrush(win::COLORREF(ColorToRGB(AColor))); }

// Replaces every pixel other than the background (top left) and black by
// the gradient colour its red value gives.
void RecolorSubMenuArrow(TBitmap* ABitmap) {
  TColor c1 = TColor(ColorToRGB(nbOffice11GradientLightColor));
  TColor c2 = TColor(ColorToRGB(nbOffice11GradientDarkColor));
  if (c1 == c2) c2 = c1 == Rgb(0, 0, 0) ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
  win::HDC dc = ABitmap->Canvas()->Handle();
  const Integer w = ABitmap->Width(), h = ABitmap->Height();
  const win::COLORREF background = win::GetPixel(dc, 0, 0);
  auto recoloured = [&](win::COLORREF c) { return c != background && (c & 0xFFFFFF) != 0; };
  Integer minRed = 255, maxRed = 1;
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      win::COLORREF c = win::GetPixel(dc, x, y);
      if (!recoloured(c)) continue;
      minRed = std::min(minRed, Integer(win::GetRValue(c)));
      maxRed = std::max(maxRed, Integer(win::GetRValue(c)));
    }
  const Integer range = std::max(1, maxRed - minRed);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      win::COLORREF c = win::GetPixel(dc, x, y);
      if (!recoloured(c)) continue;
      Integer p = std::clamp((Integer(win::GetRValue(c)) - minRed) * 100 / range, 0, 100);
      win::SetPixel(dc, x, y, win::COLORREF(ColorToRGB(nbBlendColors(c1, c2, p))));
    }
}

TBitmap* LoadBitmapResource(const Char* AName) {
  if (!FindResourceW(HInstance, AName, RT_BITMAP)) return nullptr;
  TBitmap* result = New<TBitmap>();
  result->LoadFromResourceName(HInstance, AName);
  return result;
}

void CreateObjects() {
  const TColor sources[BrushCount] = {P(18), P(19), P(20), P(21), P(38), P(38), P(31), P(31),
                                      P(41), P(46), P(47), P(48), P(49), P(40), P(40), P(55)};
  for (Integer i = 0; i < BrushCount; ++i)
    Brushes[i] = (i == 5 || i == 7 || i == 14) ? Brushes[i - 1] : SolidBrush(sources[i]);
  SubMenuExpandBitmap = LoadBitmapResource(u"NBSUBMENUEXPAND");
  if (SubMenuExpandBitmap) RecolorSubMenuArrow(SubMenuExpandBitmap);
  ExpandButtonBitmaps[0] = LoadBitmapResource(u"NBEXPANDBUTTON_PLUS");
  ExpandButtonBitmaps[1] = LoadBitmapResource(u"NBEXPANDBUTTON_MINUS");
}

void FreeObjects() {
  for (Integer i = 0; i < BrushCount; ++i) {
    if (Brushes[i] && !(i == 5 || i == 7 || i == 14)) win::DeleteObject(Brushes[i]);
    Brushes[i] = nullptr;
  }
  FreeAndNil(SubMenuExpandBitmap);
  FreeAndNil(ExpandButtonBitmaps[0]);
  FreeAndNil(ExpandButtonBitmaps[1]);
}

// A theme switch may change the scheme without a system colour change.
class TnbOffice11ThemeListener : public TnbThemeChangedNotificator {
  CL_CLASS(TnbOffice11ThemeListener, TnbThemeChangedNotificator)
 public:
  void ThemeChanged() { nbReloadOffice11Colors(); }
};
CL_IMPLEMENT_CLASS(TnbOffice11ThemeListener)

using TGradientFill = win::BOOL (*)(win::HDC, win::TRIVERTEX*, win::ULONG, void*, win::ULONG, win::ULONG);

TGradientFill GradientFillProc() { return reinterpret_cast<TGradientFill>(Msimg32.Proc(0)); }

void FillWith(win::HDC DC, const TRect& R, TColor AColor) {
  win::HBRUSH brush = SolidBrush(AColor);
  win::RECT r = R;
  win::FillRect(DC, &r, brush);
  win::DeleteObject(brush);
}

}  // namespace

TColor nbOffice11PaletteColor(Integer AIndex) {
  return AIndex >= 0 && AIndex < nbOffice11PaletteSize ? P(AIndex) : clNone;
}

void nbAcquireOffice11Colors() {
  if (RefCount == 0) {
    ComputePalette();
    CreateObjects();
  }
  ++RefCount;
}

void nbDropOffice11Colors() {
  if (RefCount == 0) return;
  if (--RefCount == 0) FreeObjects();
}

void nbReloadOffice11Colors() {
  ComputePalette();
  if (RefCount > 0) {
    FreeObjects();
    CreateObjects();
  }
}

Byte nbOffice11ColorScheme() { return Scheme; }
Boolean nbUsesOffice11SchemeColors() { return SchemeColors; }
Integer nbOffice11GradientPercent() { return GradientPercent; }
TBitmap* nbOffice11SubMenuExpandBitmap() { return SubMenuExpandBitmap; }
TBitmap* nbOffice11ExpandButtonBitmap(Boolean AExpanded) { return ExpandButtonBitmaps[AExpanded ? 1 : 0]; }

Boolean nbIsBtnFaceBlack() { return (ColorToRGB(clBtnFace) & 0xFFFFFF) == 0; }
Boolean nbIsBtnFaceWhite() { return (ColorToRGB(clBtnFace) & 0xFFFFFF) == 0xFFFFFF; }
Boolean nbIsBlackFaceDarkText() {
  return nbIsBtnFaceBlack() && (ColorToRGB(clBtnText) & 0xFFFFFF) != 0xFFFFFF;
}

TColor nbBlendColors(TColor AColor1, TColor AColor2, Integer APercent) {
  TColor a = TColor(ColorToRGB(AColor1)), b = TColor(ColorToRGB(AColor2));
  auto channel = [APercent](Integer x, Integer y) {
    return std::min(255, MulDiv(x, APercent, 100) + MulDiv(y, 100 - APercent, 100));
  };
  return NearestScreenColor(
      Rgb(channel(Red(a), Red(b)), channel(Green(a), Green(b)), channel(Blue(a), Blue(b))));
}

TColor nbScaleColorBrightness(TColor AColor, Integer APercent) {
  TColor c = TColor(ColorToRGB(AColor));
  auto channel = [APercent](Integer x) { return std::clamp(Integer(Round(x * APercent / 100.0)), 0, 255); };
  return Rgb(channel(Red(c)), channel(Green(c)), channel(Blue(c)));
}

TColor nbMixSystemColors(Integer ABtnFacePercent, Integer AHighlightPercent, Integer AWindowPercent) {
  if (nbIsBtnFaceBlack() || nbIsBtnFaceWhite()) return clHighlight;
  TColor face = TColor(ColorToRGB(clBtnFace)), highlight = TColor(ColorToRGB(clHighlight)),
         window = TColor(ColorToRGB(clWindow));
  auto channel = [&](Integer f, Integer h, Integer w) {
    return std::clamp(MulDiv(f, ABtnFacePercent, 100) + MulDiv(h, AHighlightPercent, 100) +
                          MulDiv(w, AWindowPercent, 100),
                      0, 255);
  };
  return Rgb(channel(Red(face), Red(highlight), Red(window)), channel(Green(face), Green(highlight), Green(window)),
             channel(Blue(face), Blue(highlight), Blue(window)));
}

void nbSolidFillRect(win::HDC DC, const TRect& R, TColor AColor) { FillWith(DC, R, AColor); }

void nbSolidFrameRect(win::HDC DC, const TRect& R, TColor AColor) {
  win::HBRUSH brush = SolidBrush(AColor);
  win::RECT r = R;
  win::FrameRect(DC, &r, brush);
  win::DeleteObject(brush);
}

void nbFillGradientRect(win::HDC DC, const TRect& R, TColor AColor1, Boolean AHorizontal, TColor AColor2) {
  const TColor c1 = TColor(ColorToRGB(AColor1)), c2 = TColor(ColorToRGB(AColor2));
  if (c1 == c2) {
    FillWith(DC, R, c1);
    return;
  }
  if (TGradientFill gradientFill = GradientFillProc()) {
    // 16-bit channels: the colour byte times 256, alpha 0.
    auto vertex = [](Integer X, Integer Y, TColor C) {
      return win::TRIVERTEX{X, Y, win::COLOR16(Red(C) << 8), win::COLOR16(Green(C) << 8),
                            win::COLOR16(Blue(C) << 8), 0};
    };
    win::TRIVERTEX v[2] = {vertex(R.Left, R.Top, c1), vertex(R.Right, R.Bottom, c2)};
    win::GRADIENT_RECT mesh{0, 1};
    gradientFill(DC, v, 2, &mesh, 1, AHorizontal ? win::GRADIENT_FILL_RECT_H : win::GRADIENT_FILL_RECT_V);
    return;
  }
  const Integer start = AHorizontal ? R.Left : R.Top, farEdge = AHorizontal ? R.Right : R.Bottom;
  const Integer n = farEdge - start;
  if (n <= 0) return;
  const Integer bands = std::min(n, 256);
  Integer from = start;
  for (Integer i = 0; i < bands; ++i) {
    Integer to = start + MulDiv(i + 1, n, bands);
    if (to > from) {
      // One band: the start colour (the divisor bands - 1 is then 0).
      auto channel = [&](Integer a, Integer b) { return bands > 1 ? a + MulDiv(i, b - a, bands - 1) : a; };
      TColor c = Rgb(channel(Red(c1), Red(c2)), channel(Green(c1), Green(c2)), channel(Blue(c1), Blue(c2)));
      TRect band = AHorizontal ? Rect(from, R.Top, to, R.Bottom) : Rect(R.Left, from, R.Right, to);
      FillWith(DC, band, c);
      from = to;
    }
    if (to >= farEdge) break;
  }
}

TColor nbGradientColorAt(const TRect& R, Integer X, TColor AColor1, Boolean AHorizontal, TColor AColor2) {
  const TColor c1 = TColor(ColorToRGB(AColor1)), c2 = TColor(ColorToRGB(AColor2));
  const Integer start = AHorizontal ? R.Left : R.Top;
  const Integer n = (AHorizontal ? R.Right : R.Bottom) - start;
  if (n <= 0) return c1;
  const Integer steps = std::min(n, 256);
  if (steps < 2) return c1;
  const Integer i = std::max(0, MulDiv(X - start + 1, steps, n) - 1);
  auto channel = [&](Integer a, Integer b) { return a + MulDiv(i, b - a, steps - 1); };
  return Rgb(channel(Red(c1), Red(c2)), channel(Green(c1), Green(c2)), channel(Blue(c1), Blue(c2)));
}

void nbFillOffice11GradientRect(win::HDC DC, const TRect& R, TColor AColor1, Boolean AHorizontal,
                                TColor AColor2) {
  const TColor c1 = TColor(ColorToRGB(AColor1)), c2 = TColor(ColorToRGB(AColor2));
  if (c1 == c2) {
    FillWith(DC, R, c1);
    return;
  }
  const Integer start = AHorizontal ? R.Left : R.Top, farEdge = AHorizontal ? R.Right : R.Bottom;
  const Integer n = farEdge - start;
  if (n <= 0) return;
  const Integer half = n / 2;
  auto channel = [&](Integer a, Integer b, Integer i) {
    const Integer d = MulDiv(a - b, GradientPercent, 200), m = a - d;
    Integer v;
    if (i < half)
      v = a - MulDiv(i, MulDiv(d, n, half), n - 1);
    else if (i == half)
      v = m;
    else {
      const Integer t = b + MulDiv(m - b, n, half);
      v = t + MulDiv(i, b - t, n - 1);
    }
    return std::clamp(v, 0, 255);
  };
  for (Integer i = 0; i < n; ++i) {
    TColor c = Rgb(channel(Red(c1), Red(c2), i), channel(Green(c1), Green(c2), i), channel(Blue(c1), Blue(c2), i));
    TRect line = AHorizontal ? Rect(start + i, R.Top, start + i + 1, R.Bottom)
                             : Rect(R.Left, start + i, R.Right, start + i + 1);
    FillWith(DC, line, c);
  }
}

void nbOffice11FrameRect(win::HDC DC, const TRect& R) {
  win::RECT r = R;
  if (nbIsBtnFaceBlack() || nbIsBlackFaceDarkText() || !Brushes[HighlightBorderBrush])
    nbSolidFrameRect(DC, R, nbIsBtnFaceBlack() ? clHighlightText : nbOffice11HighlightBorderColor);
  else
    win::FrameRect(DC, &r, Brushes[HighlightBorderBrush]);
}

void nbDrawOffice11GripDots(win::HDC DC, const TRect& R, Boolean AVertical, win::HBRUSH ALightBrush,
                            win::HBRUSH ADarkBrush) {
  win::HBRUSH light = ALightBrush ? ALightBrush : Brushes[1];
  win::HBRUSH dark = ADarkBrush ? ADarkBrush : Brushes[0];
  const Integer extent = AVertical ? R.Bottom - R.Top : R.Right - R.Left;
  if (extent <= 0) return;
  Integer leftover = extent % 4;
  if (leftover >= 2) leftover /= 2;
  const Integer farEdge = AVertical ? R.Bottom : R.Right;
  Integer x = R.Left + (AVertical ? 0 : leftover), y = R.Top + (AVertical ? leftover : 0);
  while ((AVertical ? y : x) + 4 <= farEdge) {
    win::RECT lightRect{x + 1, y + 1, x + 3, y + 3}, darkRect{x, y, x + 2, y + 2};
    if (light) win::FillRect(DC, &lightRect, light);
    if (dark) win::FillRect(DC, &darkRect, dark);
    (AVertical ? y : x) += 4;
  }
}

void nbDrawOffice11SizeGripDots(win::HDC DC, const TRect& R, TColor AColor1, TColor AColor2) {
  win::HBRUSH light = AColor1 == clDefault ? nullptr : SolidBrush(AColor1);
  win::HBRUSH dark = AColor2 == clDefault ? nullptr : SolidBrush(AColor2);
  for (Integer row = 0; row < 3; ++row) {
    TRect r = Rect(R.Right - 12 + 4 * row, R.Bottom - 3 - 4 * row, R.Right, R.Bottom - 4 * row);
    nbDrawOffice11GripDots(DC, r, false, light, dark);
  }
  if (light) win::DeleteObject(light);
  if (dark) win::DeleteObject(dark);
}

void nbDrawOffice11ItemArrow(win::HDC DC, const TRect& R, Boolean AVertical, Boolean AEnabled, Boolean ASelected,
                             TColor) {
  const Integer e = AVertical ? R.Right - R.Left : R.Bottom - R.Top + 2;
  const Integer size = std::max(3, (e - 8 + 1) / 2);
  TColor color;
  if (!AEnabled)
    color = nbOffice11DisabledTextColor;
  else if (ASelected && nbIsBtnFaceWhite())
    color = clWhite;
  else
    color = nbOffice11TextColor;
  nbDrawOffice11ArrowSized(DC, R, AVertical, color, size);
}

void nbDrawOffice11ArrowSized(win::HDC DC, const TRect& R, Boolean AVertical, TColor AColor, Integer ASize) {
  const Integer cx = R.Left + (R.Right - R.Left) / 2, cy = R.Top + (R.Bottom - R.Top) / 2;
  win::POINT points[3];
  if (AVertical) {
    const Integer y = cy - ASize / 2;
    points[0] = {cx - ASize + 1, y};
    points[1] = {cx + ASize - 1, y};
    points[2] = {cx, y + ASize - 1};
  } else {
    const Integer x = cx - ASize / 2;
    points[0] = {x, cy - ASize + 1};
    points[1] = {x + ASize - 1, cy};
    points[2] = {x, cy + ASize - 1};
  }
  const win::COLORREF c = win::COLORREF(ColorToRGB(AColor));
  win::HPEN pen = win::CreatePen(win::PS_SOLID, 1, c);
  win::HBRUSH brush = win::CreateSolidBrush(c);
  win::HGDIOBJ oldPen = win::SelectObject(DC, pen), oldBrush = win::SelectObject(DC, brush);
  win::Polygon(DC, points, 3);
  win::SelectObject(DC, oldPen);
  win::SelectObject(DC, oldBrush);
  win::DeleteObject(pen);
  win::DeleteObject(brush);
}

void nbOffice11Initialize() {
  Msimg32.Load(u"msimg32.dll", GradientFillName, 1);
  // A restarted unit gives its users their brushes and bitmaps back.
  if (RefCount > 0 && !Brushes[0]) {
    ComputePalette();
    CreateObjects();
  }
  if (!ThemeNotificator) {
    ThemeNotificator = New<TnbOffice11ThemeListener>();
    ThemeNotificator->SetOnThemeChanged(TnbThemeChangedEvent(ThemeNotificator, &TnbOffice11ThemeListener::ThemeChanged));
  }
}

void nbOffice11Finalize() {
  FreeAndNil(ThemeNotificator);
  FreeObjects();
  Msimg32.Unload();
}

CL_UNIT_STEPS(nbOffice11, &nbOffice11Initialize, &nbOffice11Finalize);
