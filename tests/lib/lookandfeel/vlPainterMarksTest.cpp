// Separators and sorting marks of every painter, checked pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/lookandfeel/vlOffice11LookAndFeelPainter.h"
#include "lib/lookandfeel/vlRadioButtonImageList.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"
#include "platform/win/UxTheme.h"

namespace {

// The Office 2003 painter with its header edge colours reachable.
class TOpenOffice11Painter : public TvlOffice11LookAndFeelPainter {
  CL_CLASS(TOpenOffice11Painter, TvlOffice11LookAndFeelPainter)
 public:
  using inherited::HeaderDarkEdgeColor;
  using inherited::HeaderLightEdgeColor;
};

}  // namespace

CL_IMPLEMENT_CLASS(TOpenOffice11Painter)

namespace {

const TColor Background = TColor(0x00FF00);  // a colour no painter draws these parts in

// A 32-bit bitmap filled with the background and a library canvas on it.
struct TSurface {
  TSurface(Integer W, Integer H) : Bitmap(New<TBitmap>()) {
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(W, H);
    Canvas.reset(New<TvlCanvas>(Bitmap->Canvas()));
    Canvas->FillRect(Rect(0, 0, W, H), Background);
  }
  TColor Pixel(Integer X, Integer Y) const { return TColor(win::GetPixel(Bitmap->Canvas()->Handle(), X, Y)); }
  // The smallest rectangle holding every pixel that is not the background.
  TRect Drawn() const {
    TRect r{Bitmap->Width(), Bitmap->Height(), 0, 0};
    for (Integer y = 0; y < Bitmap->Height(); ++y)
      for (Integer x = 0; x < Bitmap->Width(); ++x)
        if (Pixel(x, y) != Background) r = TRect{std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
                                                 std::max(r.Bottom, y + 1)};
    return r;
  }
  std::unique_ptr<TBitmap, TObjectFree> Bitmap;
  std::unique_ptr<TvlCanvas, TObjectFree> Canvas;
};

TvlCustomLookAndFeelPainterClass UserSkin() {
  TvlCustomLookAndFeelPainterClass painter;
  EXPECT_TRUE(vlGetStylePainterRegistry()->GetPainterByName(u"UserSkin", painter));
  return painter;
}

struct TPainterCase {
  const char* Name;
  TvlCustomLookAndFeelPainterClass Painter;
};

std::vector<TPainterCase> PaintersWithoutThemes() {
  return {{"standard", ClassOf<TvlStandardLookAndFeelPainter>()},
          {"flat", ClassOf<TvlFlatLookAndFeelPainter>()},
          {"ultra-flat", ClassOf<TvlUltraFlatLookAndFeelPainter>()},
          {"Office 2003", ClassOf<TvlOffice11LookAndFeelPainter>()},
          {"skin", UserSkin()}};
}

// Themes switched off for a test's life (the themed painter then draws as
// the standard one), on again afterwards with the colours that follow them
// (as the theme listeners do; tests may have restarted the theme manager).
struct TThemesOff {
  TThemesOff() { Switch(false); }
  ~TThemesOff() { Switch(true); }
  static void Switch(bool AOn) {
    if (win::ThemesActive() != AOn) win::SetThemesActive(AOn);
    nbReloadOffice11Colors();
    vlGetRadioButtonImages()->Reset();
  }
};

// A vertical separator is a vertical line through the middle of R, a
// horizontal one a horizontal line, in every painter.
TEST(PainterMarks, SeparatorsRunAlongTheirDirection) {
  std::vector<TPainterCase> painters = PaintersWithoutThemes();
  painters.push_back({"themed", ClassOf<TvlWinXPLookAndFeelPainter>()});
  for (Boolean themes : {false, true}) {
    std::unique_ptr<TThemesOff> off(themes ? nullptr : new TThemesOff);
    for (const TPainterCase& c : painters) {
      SCOPED_TRACE(std::string(c.Name) + (themes ? " with themes" : " without themes"));
      TSurface vertical(20, 30), horizontal(30, 20);
      c.Painter->DrawSeparator(vertical.Canvas.get(), Rect(0, 0, 20, 30), true);
      c.Painter->DrawSeparator(horizontal.Canvas.get(), Rect(0, 0, 30, 20), false);
      const TRect v = vertical.Drawn(), h = horizontal.Drawn();
      EXPECT_LE(v.Right - v.Left, 2) << "vertical: " << v.Left << ".." << v.Right;
      EXPECT_GE(v.Left, 8);
      EXPECT_GE(v.Bottom - v.Top, 29);
      EXPECT_LE(h.Bottom - h.Top, 2) << "horizontal: " << h.Top << ".." << h.Bottom;
      EXPECT_GE(h.Top, 8);
      EXPECT_GE(h.Right - h.Left, 29);
    }
  }
}

// With the theme, the separators are the tool bar's parts: 5 (in a
// horizontal bar: a vertical line) for a vertical separator, 6 for a
// horizontal one.
TEST(PainterMarks, ThemedSeparatorsAreTheToolBarSeparatorParts) {
  win::HTHEME toolBar = nbGetThemeHandle(totToolBar);
  ASSERT_NE(toolBar, nullptr);
  for (const auto& [vertical, part] : {std::pair{true, 5}, std::pair{false, 6}}) {
    SCOPED_TRACE(part);
    TSurface drawn(12, 12), expected(12, 12);
    ClassOf<TvlWinXPLookAndFeelPainter>()->DrawSeparator(drawn.Canvas.get(), Rect(0, 0, 12, 12), vertical);
    win::RECT r{0, 0, 12, 12};
    win::DrawThemeBackground(toolBar, expected.Canvas->Handle(), part, 1, &r, nullptr);
    for (Integer y = 0; y < 12; ++y)
      for (Integer x = 0; x < 12; ++x) ASSERT_EQ(drawn.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
  }
}

// The marks as the painters draw them: L the light edges (the left edge and
// an upward mark's base), D the dark ones, '.' untouched. Each mark is the
// mirror image of the other, with a one-pixel tip and straight edges.
struct TMarkCase {
  TPoint Size;
  std::vector<std::string> Ascending, Descending;
};

const TMarkCase MarkCases[] = {
    {{8, 7},
     {"...L....", "..L.D...", "..L.D...", ".L...D..", ".L....D.", "L.....D.", "LLLLLLLL"},
     {"LDDDDDDD", "L.....D.", ".L....D.", ".L...D..", "..L.D...", "..L.D...", "...L...."}},
    {{7, 8},
     {"...L...", "...L...", "..L.D..", "..L.D..", ".L...D.", ".L...D.", "L.....D", "LLLLLLL"},
     {"LDDDDDD", "L.....D", ".L...D.", ".L...D.", "..L.D..", "..L.D..", "...L...", "...L..."}},
};

TEST(PainterMarks, SortingMarksOfEveryPainterAndSize) {
  TThemesOff off;  // the themed painter borrows the ultra-flat marks either way
  const auto office11 = ClassOf<TOpenOffice11Painter>();
  struct TCase {
    const char* Name;
    TvlCustomLookAndFeelPainterClass Painter;
    TColor Light, Dark;
  };
  const TCase cases[] = {
      {"standard", ClassOf<TvlStandardLookAndFeelPainter>(), clBtnHighlight, clBtnShadow},
      {"flat", ClassOf<TvlFlatLookAndFeelPainter>(), clBtnHighlight, clBtnShadow},
      {"ultra-flat", ClassOf<TvlUltraFlatLookAndFeelPainter>(), clBtnShadow, clBtnShadow},
      {"themed", ClassOf<TvlWinXPLookAndFeelPainter>(), clBtnShadow, clBtnShadow},
      {"Office 2003", ClassOf<TvlOffice11LookAndFeelPainter>(), office11->HeaderLightEdgeColor(),
       office11->HeaderDarkEdgeColor()},
      {"skin", UserSkin(), office11->HeaderLightEdgeColor(), office11->HeaderDarkEdgeColor()},
  };
  for (const TCase& c : cases) {
    const TPoint size = c.Painter->SortingMarkSize();
    const TMarkCase* mark = nullptr;
    for (const TMarkCase& m : MarkCases)
      if (m.Size.X == size.X && m.Size.Y == size.Y) mark = &m;
    ASSERT_NE(mark, nullptr) << c.Name << ": no pattern for " << size.X << " x " << size.Y;
    for (Boolean ascending : {true, false}) {
      SCOPED_TRACE(std::string(c.Name) + (ascending ? " ascending" : " descending"));
      TSurface s(24, 22);
      const TRect r = Rect(3, 2, 21, 20);
      c.Painter->DrawSortingMark(s.Canvas.get(), r, ascending);
      // centred in R
      const Integer x0 = (r.Left + r.Right - size.X) / 2, y0 = (r.Top + r.Bottom - size.Y) / 2;
      const std::vector<std::string>& rows = ascending ? mark->Ascending : mark->Descending;
      std::string drawn, expected;
      for (Integer y = 0; y < 22; ++y) {
        for (Integer x = 0; x < 24; ++x) {
          const Integer mx = x - x0, my = y - y0;
          const char want =
              mx >= 0 && my >= 0 && mx < size.X && my < size.Y ? rows[size_t(my)][size_t(mx)] : '.';
          const TColor pixel = s.Pixel(x, y);
          const char got = pixel == Background                ? '.'
                           : pixel == ColorToRGB(c.Light)     ? 'L'
                           : pixel == ColorToRGB(c.Dark)      ? 'D'
                                                              : '?';
          // where both edge colours are one, L and D look alike
          expected += c.Light == c.Dark && want == 'D' ? 'L' : want;
          drawn += got;
        }
        expected += '\n';
        drawn += '\n';
      }
      EXPECT_EQ(drawn, expected);
    }
  }
}

}  // namespace
