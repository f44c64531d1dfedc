// The Office 2003 palette: the scheme tables for the three variants of the
// default theme, the system-colour rules otherwise, the refresh on theme and
// system colour changes, and the shared gradient and grip drawing.
#include "lib/lookandfeel/nbOffice11.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "lib/foundation/nbCore.h"
#include "lib/lookandfeel/vlSystemPalette.h"
#include "platform/win/Gdi.h"
#include "platform/win/Modules.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

namespace {

constexpr TColor Rgb(int R, int G, int B) { return TColor(R | (G << 8) | (B << 16)); }

TColor Resolved(TColor C) { return TColor(ColorToRGB(C)); }

// Themes on, the platform's own theme name, the palette acquired; all
// restored afterwards.
class Office11Colors : public ::testing::Test {
 protected:
  void SetUp() override {
    win::SetThemesActive(true);
    // A restart joins the theme manager's current listeners (its own tests
    // restart it).
    nbOffice11Finalize();
    nbOffice11Initialize();
    nbAcquireOffice11Colors();
  }
  void TearDown() override {
    win::SetCurrentThemeName(nullptr, nullptr);
    win::SetThemesActive(true);
    nbInitOSFlags(2, 6, 1, false);
    nbReloadOffice11Colors();
    nbDropOffice11Colors();
  }
  // Reports the theme and tells the windows that the theme changed (the
  // palette follows through the theme-change listeners).
  static void UseTheme(const char16_t* AFile, const char16_t* AColor) {
    win::SetCurrentThemeName(AFile, AColor);
    win::SetThemesActive(false);
    win::SetThemesActive(true);
  }
};

struct TSchemeCase {
  const char16_t* ColorName;
  Byte Scheme;
  Integer GradientPercent;
  TColor Face, LightFace, GradientDark, HighlightBorder, Color12, Color37, GroupByBox, Color64;
};

TEST_F(Office11Colors, EachVariantOfTheDefaultThemeGivesItsTable) {
  const TSchemeCase cases[] = {
      {u"NormalColor", 1, 41, Rgb(158, 190, 245), Rgb(195, 218, 249), Rgb(129, 169, 226), Rgb(0, 0, 128),
       Rgb(127, 173, 242), Rgb(119, 155, 208), Rgb(62, 109, 185), Rgb(123, 164, 224)},
      {u"HomeStead", 2, 125, Rgb(217, 217, 167), Rgb(242, 240, 228), Rgb(183, 198, 145), Rgb(63, 93, 56),
       Rgb(182, 200, 148), Rgb(168, 182, 133), Rgb(139, 158, 126), Rgb(181, 196, 143)},
      {u"metallic", 3, 40, Rgb(215, 215, 229), Rgb(243, 243, 247), Rgb(153, 151, 181), Rgb(75, 75, 111),
       Rgb(185, 184, 205), Rgb(141, 139, 167), Rgb(133, 131, 161), Rgb(147, 145, 176)},
  };
  for (const TSchemeCase& c : cases) {
    SCOPED_TRACE(String(c.ColorName).size());
    UseTheme(u"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles", c.ColorName);
    EXPECT_EQ(nbOffice11ColorScheme(), c.Scheme);
    EXPECT_TRUE(nbUsesOffice11SchemeColors());
    EXPECT_EQ(nbOffice11GradientPercent(), c.GradientPercent);
    EXPECT_EQ(nbOffice11FaceColor, c.Face);
    EXPECT_EQ(nbOffice11LightFaceColor, c.LightFace);
    EXPECT_EQ(nbOffice11GradientDarkColor, c.GradientDark);
    EXPECT_EQ(nbOffice11HighlightBorderColor, c.HighlightBorder);
    EXPECT_EQ(nbOffice11Color12, c.Color12);          // mix(Color04, GradientLight, 90)
    EXPECT_EQ(nbOffice11Color37, c.Color37);          // mix(Color35 = GradientDark, black, 92)
    EXPECT_EQ(nbOffice11GroupByBoxColor, c.GroupByBox);  // = Color15 = mix(Color07, Color11, 50)
    EXPECT_EQ(nbOffice11Color64, c.Color64);          // = Color11
    // colours shared by the three variants and the copies
    EXPECT_EQ(nbOffice11HotButtonColor, Rgb(255, 244, 204));
    EXPECT_EQ(nbOffice11PressedButtonColor, Rgb(255, 211, 142));
    EXPECT_EQ(nbOffice11DisabledTextColor, Rgb(141, 141, 141));
    EXPECT_EQ(nbOffice11Color33, nbOffice11GradientDarkColor);
    EXPECT_EQ(nbOffice11Color57, nbOffice11BorderColor);
    EXPECT_EQ(nbOffice11Color62, Rgb(253, 238, 201));
    EXPECT_EQ(nbOffice11ExpandButtonDarkColor, Rgb(46, 70, 95));
  }
}

TEST_F(Office11Colors, SchemeDetectionByFileNameColourNameAndVersion) {
  struct TCase {
    const char16_t* File;
    const char16_t* Color;
    Cardinal Major;
    Byte Scheme;
  };
  const TCase cases[] = {
      {u"C:\\Windows\\Resources\\Themes\\Luna\\luna.msstyles", u"NormalColor", 5, 1},
      {u"C:\\Windows\\Resources\\Themes\\Royale\\Royale.msstyles", u"NormalColor", 5, 0},  // another file
      {u"C:\\Windows\\Resources\\Themes\\Aero\\Aero.msstyles", u"NormalColor", 6, 1},    // any file from 6 on
      {u"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles", u"Royale", 5, 0},         // unknown variant
      {nullptr, nullptr, 6, 0},                                                          // the platform's theme
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.Major) << " " << int(c.Scheme));
    nbInitOSFlags(2, c.Major, 1, false);
    win::SetCurrentThemeName(c.File, c.Color);
    nbReloadOffice11Colors();
    EXPECT_EQ(nbOffice11ColorScheme(), c.Scheme);
    EXPECT_EQ(nbUsesOffice11SchemeColors(), c.Scheme != 0);
  }
  // themes off: no scheme, whatever the name
  win::SetCurrentThemeName(u"Luna.msstyles", u"NormalColor");
  win::SetThemesActive(false);
  EXPECT_EQ(nbOffice11ColorScheme(), 0);
  EXPECT_FALSE(nbUsesOffice11SchemeColors());
  EXPECT_EQ(nbOffice11FaceColor, clBtnFace);
}

TEST_F(Office11Colors, WithoutASchemeTheColoursComeFromTheSystemColours) {
  UseTheme(nullptr, nullptr);
  ASSERT_EQ(nbOffice11ColorScheme(), 0);
  EXPECT_EQ(nbOffice11GradientPercent(), 75);
  // the platform's colours: button face 240, window 255, shadow 160,
  // highlight (51, 153, 255)
  struct TEntry {
    Integer Index;
    TColor Expected;
  };
  const TEntry entries[] = {
      {0, clBtnFace},                  // FaceColor
      {1, Rgb(252, 252, 252)},         // mix(clBtnFace, clWindow, 20)
      {2, Rgb(252, 252, 252)},         // mix(clBtnFace, clWindow, 22)
      {3, Rgb(240, 240, 240)},         // mix(clBtnFace, clWindow, 96)
      {4, Rgb(184, 184, 184)},         // mix(clBtnShadow, clWindow, 74)
      {12, Rgb(208, 208, 208)},        // mix(Color07, clWindow, 50)
      {15, Rgb(200, 200, 200)},        // mix(Color07, Color11, 50)
      {20, Rgb(189, 189, 189)},        // DarkEdgeColor: mix(clBtnShadow, clWindow, 70)
      {21, Rgb(255, 255, 255)},        //
      {25, Rgb(240, 240, 240)},        // = GradientDark
      {36, Rgb(232, 232, 232)},        // mix(GradientLight, black, 92)
      {37, Rgb(221, 221, 221)},        // mix(Color35, black, 92)
      {40, Rgb(194, 225, 255)},        // nearest(light(-2, 30, 72))
      {41, clHighlight},               // HighlightBorderColor
      {42, Rgb(194, 225, 255)},        // = HotColor
      {47, Rgb(226, 237, 248)},        // light(41, 11, 48)
      {49, Rgb(240, 240, 240)},        // = Color46 = GradientDark
      {52, clGrayText},                // DisabledTextColor
      {55, Rgb(200, 200, 200)},        // GroupByBox = Color15
      {66, Rgb(247, 247, 247)},        // nav-pane light
      {67, Rgb(241, 241, 241)},        // nav-pane dark
      {68, Rgb(194, 225, 255)},        // = HotButtonColor
      {74, Rgb(160, 160, 160)},        // = Color65 = nearest(clBtnShadow)
      {79, Rgb(158, 174, 191)},        //
  };
  for (const TEntry& e : entries) {
    SCOPED_TRACE(e.Index);
    EXPECT_EQ(nbOffice11PaletteColor(e.Index), e.Expected);
  }
}

TEST_F(Office11Colors, HighContrastAndSystemColourChanges) {
  UseTheme(nullptr, nullptr);
  const TColor hotBefore = nbOffice11HotColor;
  const win::COLORREF oldFace = win::GetSysColor(win::COLOR_BTNFACE);
  const win::INT index = win::COLOR_BTNFACE;
  const win::COLORREF black = 0;
  // the system tells the palette listener (a notifier makes it exist)
  TvlSystemPaletteChangedNotifier* notifier = New<TvlSystemPaletteChangedNotifier>(false);
  win::SetSysColors(1, &index, &black);
  EXPECT_TRUE(nbIsBtnFaceBlack());
  EXPECT_TRUE(nbIsBlackFaceDarkText());
  EXPECT_EQ(nbMixSystemColors(-2, 30, 72), clHighlight);
  EXPECT_EQ(nbOffice11HotColor, Resolved(clHighlight));  // recomputed on the change
  EXPECT_NE(nbOffice11HotColor, hotBefore);
  win::SetSysColors(1, &index, &oldFace);
  EXPECT_EQ(nbOffice11HotColor, hotBefore);
  Free(notifier);
}

TEST_F(Office11Colors, ColourHelpers) {
  EXPECT_EQ(nbBlendColors(Rgb(200, 100, 0), Rgb(0, 100, 200), 25), Rgb(50, 100, 150));
  EXPECT_EQ(nbBlendColors(Rgb(255, 255, 255), Rgb(255, 255, 255), 60), Rgb(255, 255, 255));  // capped
  EXPECT_EQ(nbScaleColorBrightness(Rgb(100, 101, 255), 50), Rgb(50, 50, 128));
  EXPECT_EQ(nbScaleColorBrightness(Rgb(200, 10, 0), 200), Rgb(255, 20, 0));
}

// A 32-bit bitmap to draw on.
struct TFreeBitmap {
  void operator()(TBitmap* p) const { Free(p); }
};
using TBitmapPtr = std::unique_ptr<TBitmap, TFreeBitmap>;

TBitmapPtr NewBitmap(Integer W, Integer H, TColor AFill = clWhite) {
  TBitmapPtr b(New<TBitmap>());
  b->SetPixelFormat(pf32bit);
  b->SetSize(W, H);
  nbSolidFillRect(b->Canvas()->Handle(), Rect(0, 0, W, H), AFill);
  return b;
}

TColor PixelAt(TBitmap* B, Integer X, Integer Y) { return TColor(win::GetPixel(B->Canvas()->Handle(), X, Y)); }

TEST_F(Office11Colors, GradientsWithAndWithoutGradientFill) {
  for (bool present : {true, false}) {
    SCOPED_TRACE(present);
    nbOffice11Finalize();
    win::SetLibraryMissing(u"msimg32.dll", present ? win::FALSE : win::TRUE);
    nbOffice11Initialize();
    TBitmapPtr b = NewBitmap(3, 300);
    nbFillGradientRect(b->Canvas()->Handle(), Rect(0, 0, 3, 300), Rgb(0, 0, 0), false, Rgb(255, 255, 255));
    std::set<TColor> shades;
    for (Integer y = 0; y < 300; ++y) shades.insert(PixelAt(b.get(), 1, y));
    EXPECT_EQ(PixelAt(b.get(), 1, 0), Rgb(0, 0, 0));
    EXPECT_GE(Integer(PixelAt(b.get(), 1, 299) & 0xFF), 254);
    if (!present) {
      EXPECT_EQ(shades.size(), 256u);  // 256 bands
      // the colour of a band as nbGradientColorAt tells it
      EXPECT_EQ(PixelAt(b.get(), 1, 150), nbGradientColorAt(Rect(0, 0, 3, 300), 150, Rgb(0, 0, 0), false,
                                                             Rgb(255, 255, 255)));
    }
    // equal colours fill solid
    nbFillGradientRect(b->Canvas()->Handle(), Rect(0, 0, 3, 300), clRed, true, Rgb(255, 0, 0));
    EXPECT_EQ(PixelAt(b.get(), 2, 299), Rgb(255, 0, 0));
  }
  win::SetLibraryMissing(u"msimg32.dll", win::FALSE);
  nbOffice11Finalize();
  nbOffice11Initialize();
  EXPECT_NE(nbOffice11ExpandButtonBitmap(true), nullptr);  // a restart gives the images back
}

TEST_F(Office11Colors, TheSoftGradientReachesItsMiddleByTheSchemePercentage) {
  UseTheme(u"Luna.msstyles", u"NormalColor");  // 41 %
  TBitmapPtr b = NewBitmap(2, 10);
  nbFillOffice11GradientRect(b->Canvas()->Handle(), Rect(0, 0, 2, 10), Rgb(255, 255, 255), false, Rgb(0, 0, 0));
  EXPECT_EQ(PixelAt(b.get(), 0, 0), Rgb(255, 255, 255));
  EXPECT_EQ(PixelAt(b.get(), 0, 5), Rgb(203, 203, 203));  // 255 - MulDiv(255, 41, 200)
  EXPECT_EQ(PixelAt(b.get(), 0, 9), Rgb(0, 0, 0));
  // the rows fall monotonically
  for (Integer y = 1; y < 10; ++y) EXPECT_LE(PixelAt(b.get(), 0, y) & 0xFF, PixelAt(b.get(), 0, y - 1) & 0xFF);
}

}  // namespace
