// The Office 2003 and Windows XP painters: their values, the parts they
// borrow from each other and from the standard painter, and a picture
// sheet per painter and colour mode.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "lib/foundation/nbUxTheme.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "lib/lookandfeel/vlOffice11LookAndFeelPainter.h"
#include "lib/lookandfeel/vlRadioButtonImageList.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/FontMap.h"
#include "platform/win/Gdi.h"
#include "platform/win/UxTheme.h"
#include "tests/lib/lookandfeel/LookAndFeelPicture.h"

namespace {

struct TFreeObject {
  void operator()(TObject* p) const { Free(p); }
};
template <class T>
using TOwned = std::unique_ptr<T, TFreeObject>;

const char* const TestFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A 32-bit bitmap with a library canvas over it.
struct TSurface {
  TSurface(Integer W, Integer H, TColor AFill = clWhite) : Bitmap(New<TBitmap>()) {
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(W, H);
    Canvas.reset(New<TvlCanvas>(Bitmap->Canvas()));
    Canvas->FillRect(Rect(0, 0, W, H), AFill);
    Canvas->Font()->SetName(u"Tahoma");
    Canvas->Font()->SetHeight(-11);
  }
  TColor Pixel(Integer X, Integer Y) const { return TColor(win::GetPixel(Bitmap->Canvas()->Handle(), X, Y)); }
  TOwned<TBitmap> Bitmap;
  TOwned<TvlCanvas> Canvas;
};

// Themes on or off, the reported theme (nil: the platform's own); restored
// afterwards. The palette follows through the theme-change listeners.
class Painters : public ::testing::Test {
 protected:
  void SetUp() override { win::fontmap::SetFontFileOverride(TestFontFile); }
  void TearDown() override {
    win::SetCurrentThemeName(nullptr, nullptr);
    Themes(true);
    nbReloadOffice11Colors();
    vlGetRadioButtonImages()->Reset();
    win::fontmap::SetFontFileOverride("");
  }
  static void Themes(bool AOn) {
    if (win::ThemesActive() != AOn) win::SetThemesActive(AOn);
  }
  static void UseTheme(const char16_t* AColorName) {
    win::SetCurrentThemeName(AColorName ? u"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles" : nullptr,
                             AColorName);
    Themes(false);
    Themes(true);
    // as the theme listeners do (tests may have restarted the theme manager)
    nbReloadOffice11Colors();
    vlGetRadioButtonImages()->Reset();
  }
};

using TPainter = TvlCustomLookAndFeelPainterClass;
const TvlButtonState States[5] = {vlbsDefault, vlbsNormal, vlbsHot, vlbsPressed, vlbsDisabled};

// The sheet of one painter: rows of buttons (five states), check boxes and
// radio buttons (four states, unchecked then checked), headers with
// neighbours and sorting marks (normal, hot, pressed) and a footer,
// scroll-bar parts (horizontal and vertical: line buttons, page areas,
// thumb in normal, hot and pressed) and the size grip, tabs with their root
// and indicators, expand buttons, border and separator.
void DrawSheet(TPainter APainter, TvlCanvas* C) {
  // buttons
  for (Integer i = 0; i < 5; ++i)
    APainter->DrawButton(C, Bounds(4 + i * 44, 4, 40, 22), u"Ok", States[i]);
  // check boxes and radio buttons
  const TSize check = APainter->CheckButtonSize();
  for (Integer i = 0; i < 8; ++i) {
    const TvlButtonState state = States[1 + i % 4];
    APainter->DrawCheckButton(C, Bounds(4 + i * 20, 32, check.cx, check.cy), state, i >= 4);
    APainter->DrawRadioButton(C, 172 + i * 17, 33, state, i >= 4, false, clDefault);
  }
  // headers: three neighbours, then a lone one; a footer cell on its border
  const TvlButtonState headerStates[3] = {vlbsNormal, vlbsHot, vlbsPressed};
  for (Integer i = 0; i < 3; ++i) {
    TvlNeighbors neighbours;
    if (i > 0) neighbours.Include(nLeft);
    if (i < 2) neighbours.Include(nRight);
    const TRect r = Bounds(4 + i * 50, 54, 50, 19);
    APainter->DrawHeader(C, r, vlInflateRectBy(r, -3, -2), neighbours, APainter->HeaderBorders(neighbours),
                         headerStates[i], taLeftJustify, vaCenter, false, false, u"Col", C->Font(), clBtnText,
                         APainter->DefaultHeaderColor(), {}, i == 2);
    const TPoint mark = APainter->SortingMarkSize();
    APainter->DrawSortingMark(C, Bounds(r.Right - mark.x - 5, r.Top + (19 - mark.y) / 2, mark.x, mark.y), i != 1);
  }
  const TRect footer = Rect(180, 50, 300, 76);
  C->FillRect(footer, APainter->DefaultFooterColor());
  APainter->DrawFooterBorder(C, footer);
  APainter->DrawFooterCell(C, vlInflateRectBy(footer, -4, -3), taRightJustify, vaCenter, false, u"12", C->Font(),
                           APainter->DefaultFooterTextColor(), APainter->DefaultFooterColor());
  // scroll-bar parts: a horizontal bar and a vertical one, normal then hot and pressed thumbs
  const Integer y = 80;
  APainter->DrawScrollBarPart(C, true, Bounds(4, y, 17, 17), sbpLineUp, vlbsNormal);
  APainter->DrawScrollBarPart(C, true, Bounds(21, y, 30, 17), sbpPageUp, vlbsNormal);
  APainter->DrawScrollBarPart(C, true, Bounds(51, y, 30, 17), sbpThumbnail, vlbsNormal);
  APainter->DrawScrollBarPart(C, true, Bounds(81, y, 30, 17), sbpPageDown, vlbsPressed);
  APainter->DrawScrollBarPart(C, true, Bounds(111, y, 17, 17), sbpLineDown, vlbsHot);
  APainter->DrawScrollBarPart(C, false, Bounds(134, y, 17, 17), sbpLineUp, vlbsPressed);
  APainter->DrawScrollBarPart(C, false, Bounds(134, y + 17, 17, 25), sbpThumbnail, vlbsHot);
  APainter->DrawScrollBarPart(C, false, Bounds(134, y + 42, 17, 17), sbpLineDown, vlbsDisabled);
  APainter->DrawScrollBarPart(C, true, Bounds(4, y + 20, 40, 17), sbpThumbnail, vlbsPressed);
  APainter->DrawSizeGrip(C, Bounds(50, y + 20, 17, 17), clBtnFace);
  // tabs over their root
  APainter->DrawTabsRoot(C, Rect(160, y + 22, 260, y + 40), TvlBorders{bTop}, false);
  const TvlButtonState tabStates[3] = {vlbsNormal, vlbsHot, vlbsPressed};
  for (Integer i = 0; i < 3; ++i)
    APainter->DrawTab(C, Bounds(160 + i * 32, y, 32, 22), TvlBorders{bLeft, bTop, bRight}, u"T", tabStates[i],
                      false, C->Font(), clBtnText, APainter->DefaultTabColor());
  // indicators, expand buttons, a border and separators
  const TvlIndicatorKind kinds[3] = {ikArrow, ikEdit, ikInsert};
  for (Integer i = 0; i < 3; ++i)
    APainter->DrawIndicatorItem(C, Bounds(4 + i * 14, 144, 12, 19), kinds[i], APainter->DefaultHeaderColor());
  const Integer e = APainter->ExpandButtonSize();
  APainter->DrawExpandButton(C, Bounds(52, 146, e, e), false);
  APainter->DrawExpandButton(C, Bounds(68, 146, e, e), true);
  APainter->DrawBorder(C, Rect(90, 142, 130, 166));
  // a horizontal separator is a horizontal line, a vertical one a vertical line
  APainter->DrawSeparator(C, Rect(136, 142, 180, 148), false);
  APainter->DrawSeparator(C, Rect(186, 142, 192, 166), true);
}

void ExpectSheet(TPainter APainter, const char* AName) {
  TSurface s(312, 170, clBtnFace);
  DrawSheet(APainter, s.Canvas.get());
  lookandfeel_test::ExpectMatchesReference(s.Bitmap.get(), AName, 2);
}

TEST_F(Painters, TheKindTableAndTheNativeStyleChooseThesePainters) {
  EXPECT_TRUE(vlLookAndFeelPainterOfKind(lfOffice11) == ClassOf<TvlOffice11LookAndFeelPainter>());
  TOwned<TvlLookAndFeel> lf(New<TvlLookAndFeel>(nullptr));
  lf->SetKind(lfOffice11);
  EXPECT_TRUE(lf->Painter() == ClassOf<TvlOffice11LookAndFeelPainter>());
  EXPECT_EQ(lf->Painter()->LookAndFeelStyle(), lfsOffice11);
  lf->SetNativeStyle(true);
  EXPECT_TRUE(lf->Painter() == ClassOf<TvlWinXPLookAndFeelPainter>());
  EXPECT_EQ(lf->ActiveStyle(), lfsNative);
}

TEST_F(Painters, Office11Values) {
  UseTheme(u"NormalColor");
  ASSERT_EQ(nbOffice11ColorScheme(), 1);
  const auto p = ClassOf<TvlOffice11LookAndFeelPainter>();
  EXPECT_EQ(p->ButtonColor(vlbsHot), nbOffice11HotButtonColor);
  EXPECT_EQ(p->ButtonColor(vlbsDisabled), clBtnFace);
  EXPECT_EQ(p->ButtonColor(vlbsNormal), nbOffice11FaceColor);
  EXPECT_EQ(p->CheckButtonColor(vlbsNormal), clWindow);
  EXPECT_EQ(p->CheckButtonColor(vlbsPressed), nbOffice11PressedButtonColor);
  EXPECT_EQ(p->DefaultHeaderColor(), nbBlendColors(nbOffice11GradientLightColor, nbOffice11GradientDarkColor, 50));
  EXPECT_EQ(p->ExpandButtonSize(), 11);
  EXPECT_EQ(p->HeaderBorderSize(), 1);
  EXPECT_EQ(p->HeaderBorders(TvlNeighbors{nLeft, nRight}), vlBordersAll);
  EXPECT_EQ(p->GetSplitterSize(true).cx, ClassOf<TvlCustomLookAndFeelPainter>()->GetSplitterSize(true).cx);
  // a pressed symbol is clHighlightText only with system colours
  EXPECT_EQ(p->ButtonSymbolColor(vlbsPressed), nbOffice11TextColor);
  UseTheme(nullptr);
  EXPECT_EQ(p->ButtonSymbolColor(vlbsPressed), clHighlightText);
  EXPECT_EQ(p->ButtonSymbolColor(vlbsDisabled), nbOffice11DisabledTextColor);
}

// Counts the calls of a header background handler.
class TBackgroundCounter : public TObject {
  CL_CLASS(TBackgroundCounter, TObject)
 public:
  Boolean Draw(TvlCanvas*, const TRect&) {
    ++Calls;
    return false;
  }
  int Calls = 0;
};
CL_IMPLEMENT_CLASS(TBackgroundCounter)

TEST_F(Painters, Office11HotHeaderAndTheIgnoredBackgroundHandler) {
  UseTheme(u"NormalColor");
  const auto p = ClassOf<TvlOffice11LookAndFeelPainter>();
  TSurface s(60, 19);
  TOwned<TBackgroundCounter> counter(New<TBackgroundCounter>());
  p->DrawHeader(s.Canvas.get(), Rect(0, 0, 60, 19), Rect(2, 2, 58, 17), TvlNeighbors(), vlBordersAll, vlbsHot,
                taLeftJustify, vaCenter, false, false, String(), nullptr, clBtnText, clBtnFace,
                TvlDrawBackgroundEvent(counter.get(), &TBackgroundCounter::Draw));
  EXPECT_EQ(counter->Calls, 0);
  // the light top colour inside, the hot underline at the bottom
  EXPECT_EQ(s.Pixel(30, 5), TColor(ColorToRGB(nbOffice11GradientLightColor)));
  const TColor underline = s.Pixel(30, 17), from = TColor(ColorToRGB(nbOffice11HotButtonColor)),
               to = TColor(ColorToRGB(nbOffice11HotButtonColor2));
  EXPECT_EQ(underline & 0xFF, 0xFFu);
  EXPECT_LE((underline >> 8) & 0xFF, (from >> 8) & 0xFF);
  EXPECT_GE((underline >> 8) & 0xFF, (to >> 8) & 0xFF);
  // the plain cell content does call it
  TSurface footer(40, 10);
  p->DrawFooterCell(footer.Canvas.get(), Rect(0, 0, 40, 10), taLeftJustify, vaCenter, false, String(), nullptr,
                    clBtnText, clBtnFace, TvlDrawBackgroundEvent(counter.get(), &TBackgroundCounter::Draw));
  EXPECT_EQ(counter->Calls, 1);
  // month headers honour it too
  TSurface month(80, 20);
  TvlViewParams params;
  params.Color = clBtnFace;
  params.TextColor = clBtnText;
  params.Font = month.Canvas->Font();
  p->DrawMonthHeader(month.Canvas.get(), Rect(0, 0, 80, 20), u"May", TvlNeighbors(), params, haBoth, 15,
                     TvlDrawBackgroundEvent(counter.get(), &TBackgroundCounter::Draw));
  EXPECT_EQ(counter->Calls, 2);
  EXPECT_EQ(month.Pixel(40, 2), TColor(ColorToRGB(clBtnFace)));  // filled when the handler declines
}

TEST_F(Painters, WithoutThemesTheBorrowedPartsAreTheStandardPainters) {
  Themes(false);
  struct TPart {
    TvlScrollBarPart Part;
    TvlButtonState State;
  };
  const TPart parts[] = {{sbpLineUp, vlbsNormal}, {sbpThumbnail, vlbsHot}, {sbpPageDown, vlbsPressed}};
  for (const TPart& part : parts) {
    TSurface a(30, 17), b(30, 17), c(30, 17);
    ClassOf<TvlOffice11LookAndFeelPainter>()->DrawScrollBarPart(a.Canvas.get(), true, Rect(0, 0, 30, 17), part.Part,
                                                                part.State);
    ClassOf<TvlWinXPLookAndFeelPainter>()->DrawScrollBarPart(b.Canvas.get(), true, Rect(0, 0, 30, 17), part.Part,
                                                             part.State);
    ClassOf<TvlStandardLookAndFeelPainter>()->DrawScrollBarPart(c.Canvas.get(), true, Rect(0, 0, 30, 17), part.Part,
                                                                part.State);
    for (Integer y = 0; y < 17; ++y)
      for (Integer x = 0; x < 30; ++x) {
        ASSERT_EQ(a.Pixel(x, y), c.Pixel(x, y)) << x << "," << y;
        ASSERT_EQ(b.Pixel(x, y), c.Pixel(x, y)) << x << "," << y;
      }
  }
  // the themed painter's values fall back too
  const auto xp = ClassOf<TvlWinXPLookAndFeelPainter>();
  const auto standard = ClassOf<TvlStandardLookAndFeelPainter>();
  EXPECT_EQ(xp->BorderSize(), standard->BorderSize());
  EXPECT_EQ(xp->ButtonColor(vlbsHot), standard->ButtonColor(vlbsHot));
  EXPECT_EQ(xp->CheckButtonSize().cx, standard->CheckButtonSize().cx);
  EXPECT_EQ(xp->HeaderBorderSize(), standard->HeaderBorderSize());
  EXPECT_EQ(xp->ScrollBarMinimalThumbSize(true), 8);
  EXPECT_FALSE(xp->NeedRedrawOnResize());
}

TEST_F(Painters, ThemedButtonsAndHeadersUseTheThemeStates) {
  win::HTHEME button = nbGetThemeHandle(totButton);
  ASSERT_NE(button, nullptr);
  const auto xp = ClassOf<TvlWinXPLookAndFeelPainter>();
  // a default button is push-button state 5, and the colours passed are ignored
  TSurface a(40, 20), b(40, 20);
  xp->DrawButton(a.Canvas.get(), Rect(0, 0, 40, 20), String(), vlbsDefault, true, clRed, clLime);
  win::RECT r{0, 0, 40, 20};
  ::DrawThemeBackground(button, b.Canvas->Handle(), 1, 5, &r, nullptr);
  for (Integer y = 0; y < 20; y += 3)
    for (Integer x = 0; x < 40; x += 3) ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
  // tool buttons are tool-bar part 1 in the push-button states too (a normal
  // one is not hot, a hot one not checked)
  win::HTHEME toolBar = nbGetThemeHandle(totToolBar);
  ASSERT_NE(toolBar, nullptr);
  const int pushStates[5] = {5, 1, 2, 3, 4};
  for (Integer i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    TSurface drawn(40, 20), expected(40, 20);
    xp->DrawButton(drawn.Canvas.get(), Rect(0, 0, 40, 20), String(), States[i], true, clDefault, clDefault, false,
                   true);
    ::DrawThemeBackground(toolBar, expected.Canvas->Handle(), 1, pushStates[States[i]], &r, nullptr);
    for (Integer y = 0; y < 20; ++y)
      for (Integer x = 0; x < 40; ++x) ASSERT_EQ(drawn.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
  }
  // the last header of the blue scheme: part 3 when normal, part 1 when hot
  UseTheme(u"NormalColor");
  win::HTHEME header = nbGetThemeHandle(totHeader);
  ASSERT_NE(header, nullptr);
  struct TCase {
    TvlButtonState State;
    int Part, ThemeState;
  };
  for (const TCase& c : {TCase{vlbsNormal, 3, 1}, TCase{vlbsHot, 1, 2}}) {
    TSurface drawn(50, 19), expected(50, 19);
    xp->DrawHeader(drawn.Canvas.get(), Rect(0, 0, 50, 19), Rect(2, 2, 48, 17), TvlNeighbors(), vlBordersAll, c.State,
                   taLeftJustify, vaCenter, false, false, String(), nullptr, clBtnText, clBtnFace, {}, true);
    win::RECT hr{0, 0, 50, 19};
    ::DrawThemeBackground(header, expected.Canvas->Handle(), c.Part, c.ThemeState, &hr, nullptr);
    for (Integer y = 0; y < 19; ++y)
      for (Integer x = 0; x < 50; ++x) ASSERT_EQ(drawn.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
  }
}

// Month headers with both arrows, scheduler navigation buttons (previous
// and next, normal and hot) and a scheduler splitter border, one row per
// painter: Office 2003 blue, Office 2003 without themes, themed, themed
// without themes.
TEST_F(Painters, PictureMonthHeadersAndSchedulerParts) {
  if (access(TestFontFile, R_OK) != 0) GTEST_SKIP() << "no test font";
  TSurface s(240, 4 * 30, clWindow);
  TvlViewParams params;
  params.TextColor = clBtnText;
  params.Font = s.Canvas->Font();
  struct TRow {
    TPainter Painter;
    const char16_t* Theme;
    bool Themes;
  };
  const TRow rows[] = {{ClassOf<TvlOffice11LookAndFeelPainter>(), u"NormalColor", true},
                       {ClassOf<TvlOffice11LookAndFeelPainter>(), nullptr, false},
                       {ClassOf<TvlWinXPLookAndFeelPainter>(), nullptr, true},
                       {ClassOf<TvlWinXPLookAndFeelPainter>(), nullptr, false}};
  for (Integer i = 0; i < 4; ++i) {
    UseTheme(rows[i].Theme);
    Themes(rows[i].Themes);
    nbReloadOffice11Colors();
    const TPainter p = rows[i].Painter;
    const Integer y = i * 30 + 3;
    params.Color = p->DefaultHeaderColor();
    p->DrawMonthHeader(s.Canvas.get(), Rect(4, y, 100, y + 20), u"May", TvlNeighbors(), params, haBoth, 16);
    for (Integer b = 0; b < 4; ++b) {
      const TRect r = Bounds(108 + b * 22, y, 18, 24);
      const TRect arrow = Bounds(r.Left + 4, r.Top + 7, 9, 9);
      p->DrawSchedulerNavigationButton(s.Canvas.get(), r, b % 2 == 1, b < 2 ? vlbsNormal : vlbsHot, String(), r,
                                       arrow);
    }
    TvlViewParams content;
    content.Color = clWindow;
    p->DrawSchedulerSplitterBorder(s.Canvas.get(), Rect(200, y, 236, y + 6), content, true);
  }
  lookandfeel_test::ExpectMatchesReference(s.Bitmap.get(), "office11-xp-scheduler-parts", 2);
}

TEST_F(Painters, PictureOffice11Blue) {
  if (access(TestFontFile, R_OK) != 0) GTEST_SKIP() << "no test font";
  UseTheme(u"NormalColor");
  ExpectSheet(ClassOf<TvlOffice11LookAndFeelPainter>(), "office11-blue");
}

TEST_F(Painters, PictureOffice11SystemColoursWithoutThemes) {
  if (access(TestFontFile, R_OK) != 0) GTEST_SKIP() << "no test font";
  Themes(false);
  nbReloadOffice11Colors();
  vlGetRadioButtonImages()->Reset();
  ExpectSheet(ClassOf<TvlOffice11LookAndFeelPainter>(), "office11-system");
}

TEST_F(Painters, PictureWinXPThemed) {
  if (access(TestFontFile, R_OK) != 0) GTEST_SKIP() << "no test font";
  ExpectSheet(ClassOf<TvlWinXPLookAndFeelPainter>(), "winxp-themed");
}

TEST_F(Painters, PictureWinXPWithoutThemes) {
  if (access(TestFontFile, R_OK) != 0) GTEST_SKIP() << "no test font";
  Themes(false);
  ExpectSheet(ClassOf<TvlWinXPLookAndFeelPainter>(), "winxp-unthemed");
}

}  // namespace
