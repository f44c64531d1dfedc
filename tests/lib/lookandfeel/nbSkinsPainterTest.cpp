// The skin painter: "UserSkin" registered with the built-in skin, colours and
// sizes from the skin, the drawing rules of the design as pixels, and
// pictures of controls drawn with "UserSkin" in each state and with a skin
// information that has no skin (every operation falls back to the Office
// 2003 painter).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>

#include "lib/foundation/vlImages.h"
#include "lib/lookandfeel/nbSkinsElementCache.h"
#include "lib/lookandfeel/nbSkinsLookAndFeelPainter.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/LookAndFeelPicture.h"
#include "tests/lib/lookandfeel/SkinFixture.h"

namespace {

using namespace skin_test;

// A skin painter registered under a name of its own, with a skin
// information whose skin is empty (every field nil: everything falls back).
class TFallbackSkinPainter : public TnbSkinLookAndFeelPainter {
  CL_CLASS(TFallbackSkinPainter, TnbSkinLookAndFeelPainter)
};
CL_IMPLEMENT_CLASS(TFallbackSkinPainter)

TvlCustomLookAndFeelPainterClass UserSkinPainter() {
  TvlCustomLookAndFeelPainterClass painter;
  EXPECT_TRUE(vlGetStylePainterRegistry()->GetPainterByName(u"UserSkin", painter));
  return painter;
}

TEST(SkinPainter, UserSkinIsRegisteredWithTheBuiltInSkin) {
  const TvlCustomLookAndFeelPainterClass painter = UserSkinPainter();
  ASSERT_TRUE(painter == ClassOf<TnbSkinsUserSkinPainter>());
  auto skinPainter = ClassAs<TnbSkinLookAndFeelPainter>(painter.Class());
  TnbSkinLookAndFeelPainterInfo* info = skinPainter->GetSkinInfo();
  ASSERT_NE(nullptr, info);
  EXPECT_EQ(nbUserSkinInfo(), info);
  EXPECT_EQ(u"defaultuserskindata", info->Skin()->Name());
  EXPECT_FALSE(info->Skin()->HasMissingElements());
  // The base skin painter is never registered: it has no information.
  EXPECT_EQ(nullptr, ClassOf<TnbSkinLookAndFeelPainter>()->GetSkinInfo());
  EXPECT_EQ(u"nbSkinsDefaultPainters", skinPainter->InternalUnitName());
  EXPECT_NE(nullptr, nbSkinPainterCacheManager());
}

TEST(SkinPainter, ColoursAndSizesComeFromTheSkin) {
  const TvlCustomLookAndFeelPainterClass p = UserSkinPainter();
  TnbSkinInfo* info = nbUserSkinInfo();
  EXPECT_EQ(info->ContentColor->Value(), p->DefaultContentColor());
  EXPECT_EQ(info->SelectionColor->Value(), p->DefaultSelectionColor());
  EXPECT_EQ(info->Header->TextColor(), p->DefaultHeaderTextColor());
  EXPECT_EQ(p->DefaultHeaderColor(), p->DefaultFooterColor());
  EXPECT_EQ(p->DefaultGridLineColor(), p->FooterSeparatorColor());
  EXPECT_EQ(TColor(0x8D8D8D), p->ButtonSymbolColor(vlbsDisabled));
  EXPECT_EQ(info->ButtonElements->TextColor(), p->ButtonSymbolColor(vlbsHot));
  EXPECT_EQ(0, p->ButtonBorderSize());
  EXPECT_EQ(13, p->CheckButtonSize().cx);
  EXPECT_EQ(24, p->ScrollBarMinimalThumbSize(true));
  EXPECT_EQ(9, p->ExpandButtonSize());
  EXPECT_TRUE(p->IndicatorDrawItemsFirst());
  // A read-only background of clNone falls back to the normal background.
  TnbSkinColor* readOnly = info->EditorBackgroundColors[esckReadOnly];
  const TColor saved = readOnly->Value();
  info->Skin()->BeginUpdate();
  readOnly->SetValue(clNone);
  EXPECT_EQ(p->DefaultEditorBackgroundColorEx(esckNormal), p->DefaultEditorBackgroundColorEx(esckReadOnly));
  readOnly->SetValue(saved);
  info->Skin()->CancelUpdate();
  // Header borders lose the sides with a neighbour.
  const TvlBorders borders = p->HeaderBorders(TvlNeighbors{nLeft, nTop});
  EXPECT_FALSE(borders.Contains(bLeft));
  EXPECT_FALSE(borders.Contains(bTop));
}

TEST(SkinPainter, DrawingRules) {
  const TvlCustomLookAndFeelPainterClass p = UserSkinPainter();
  Owned<TBitmap> b(NewSurface(40, 40, TColor(0x00FF00)));
  Owned<TvlCanvas> canvas(New<TvlCanvas>(b->Canvas()));
  // A page part at rest leaves the background; hot draws the page element.
  p->DrawScrollBarPart(canvas.get(), false, Rect(0, 0, 17, 20), sbpPageUp, vlbsNormal);
  EXPECT_EQ(0x00FF00u, PixelAt(b.get(), 8, 10));
  p->DrawScrollBarPart(canvas.get(), false, Rect(0, 0, 17, 20), sbpPageUp, vlbsHot);
  EXPECT_EQ(0xE6E6E6u, PixelAt(b.get(), 8, 10));
  // No indicator: nothing drawn.
  p->DrawIndicatorImage(canvas.get(), Rect(20, 0, 40, 20), ikNone);
  EXPECT_EQ(0x00FF00u, PixelAt(b.get(), 30, 10));
  // An ellipsis button 15 wide has an 11-pixel content: three 1-pixel dots
  // 3 apart in a 7-pixel row, centred.
  Owned<TBitmap> e(NewSurface(15, 15, TColor(0x00FF00)));
  Owned<TvlCanvas> ec(New<TvlCanvas>(e->Canvas()));
  p->DrawEditorButton(ec.get(), Rect(0, 0, 15, 15), vlbkEllipsisBtn, vlbsNormal);
  const TColor dot = nbUserSkinInfo()->EditButtonElements[0]->TextColor();
  const Cardinal rgb = Cardinal(ColorToRGB(dot));
  const Cardinal expected = (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
  for (Integer x : {4, 7, 10}) EXPECT_EQ(expected, PixelAt(e.get(), x, 7)) << x;
  for (Integer x : {5, 6, 8, 9}) EXPECT_NE(expected, PixelAt(e.get(), x, 7)) << x;
}

// Editor buttons and the buttons of a button group show the glyph of their
// glyph element inside the face, never a second face: the editor button's
// own glyph entry is the button element, which has a face and no glyph.
TEST(SkinPainter, EditorButtonsDrawTheGlyphElementsGlyph) {
  const auto p = ClassAs<TnbSkinLookAndFeelPainter>(UserSkinPainter().Class());
  const TRect r = Rect(0, 0, 17, 17);
  auto differing = [](TBitmap* A, TBitmap* B) {
    Integer n = 0;
    for (Integer y = 0; y < A->Height(); ++y)
      for (Integer x = 0; x < A->Width(); ++x) n += PixelAt(A, x, y) != PixelAt(B, x, y);
    return n;
  };
  for (TvlButtonState state : {vlbsNormal, vlbsHot, vlbsPressed}) {
    SCOPED_TRACE(state);
    Owned<TBitmap> face(NewSurface(17, 17, TColor(0x00FF00)));
    Owned<TvlCanvas> faceCanvas(New<TvlCanvas>(face->Canvas()));
    p->DrawEditorButtonBackground(faceCanvas.get(), r, false, nbSkinElementState(state));
    // the plain editor button and a button of a group: the face alone
    Owned<TBitmap> editor(NewSurface(17, 17, TColor(0x00FF00))), grouped(NewSurface(17, 17, TColor(0x00FF00)));
    Owned<TvlCanvas> editorCanvas(New<TvlCanvas>(editor->Canvas())), groupCanvas(New<TvlCanvas>(grouped->Canvas()));
    p->DrawEditorButton(editorCanvas.get(), r, vlbkEditorBtn, state);
    p->DrawButtonInGroup(groupCanvas.get(), r, state, 3, 1, clDefault);
    EXPECT_EQ(0, differing(editor.get(), face.get()));
    EXPECT_EQ(0, differing(grouped.get(), face.get()));
    // a combo button: the face with the drop-down glyph in it
    Owned<TBitmap> combo(NewSurface(17, 17, TColor(0x00FF00)));
    Owned<TvlCanvas> comboCanvas(New<TvlCanvas>(combo->Canvas()));
    p->DrawEditorButton(comboCanvas.get(), r, vlbkComboBtn, state);
    EXPECT_GT(differing(combo.get(), face.get()), 4);
    EXPECT_EQ(PixelAt(combo.get(), 1, 1), PixelAt(face.get(), 1, 1));
  }
}

// A change of the skin drops the painter's cached page areas: drawn again at
// the same size, they show the changed element.
TEST(SkinPainter, ASkinChangeDropsTheCachedScrollBarPageAreas) {
  TnbSkin* skin = New<TnbSkin>(String(u"CacheTest"), static_cast<void*>(nullptr), false);
  TnbSkinElement* page = skin->AddGroup(u"Common")->AddElement(u"ScrollContentVert");
  page->SetColor(TColor(0x0000FF));
  TnbSkinLookAndFeelPainterInfo* info = New<TnbSkinLookAndFeelPainterInfo>(skin);
  ASSERT_TRUE(vlGetStylePainterRegistry()->Register(u"CacheSkinTest", ClassOf<TFallbackSkinPainter>(), info));
  const auto p = ClassOf<TFallbackSkinPainter>();
  Owned<TBitmap> b(NewSurface(17, 40, TColor(0x00FF00)));
  Owned<TvlCanvas> canvas(New<TvlCanvas>(b->Canvas()));
  p->DrawScrollBarBackground(canvas.get(), Rect(0, 0, 17, 40), false);
  EXPECT_EQ(0xFF0000u, PixelAt(b.get(), 8, 20));
  skin->BeginUpdate();
  page->SetColor(TColor(0xFF0000));
  skin->EndUpdate();
  p->DrawScrollBarBackground(canvas.get(), Rect(0, 0, 17, 40), false);
  EXPECT_EQ(0x0000FFu, PixelAt(b.get(), 8, 20));
  vlGetStylePainterRegistry()->Unregister(u"CacheSkinTest");
  EXPECT_EQ(nullptr, nbSkinPainterCacheManager()->ScrollBarBackground(false)->Element());
}

// A skin button narrower than its element's minimum width is widened to it
// (the next button keeps its right edge, the previous one its left edge)
// before the inherited layout runs.
TEST(SkinPainter, SchedulerNavigationButtonsKeepTheirMinimumWidth) {
  const TvlCustomLookAndFeelPainterClass p = UserSkinPainter();
  ASSERT_EQ(18, nbUserSkinInfo()->SchedulerNavigationButtons[1]->MinSize()->Width());
  struct {
    bool Next;
    Integer Left, Right, ExpectedLeft, ExpectedRight;
  } const cases[] = {
      {true, 100, 110, 92, 110},   // narrower: widened to the left
      {false, 100, 110, 100, 118}, // narrower: widened to the right
      {true, 100, 118, 100, 118},  // exactly the minimum
      {false, 100, 130, 100, 130}, // wider than the minimum
  };
  for (const auto& c : cases) {
    TRect bounds = Rect(c.Left, 10, c.Right, 210), text{}, arrow{};
    p->CalculateSchedulerNavigationButtonRects(c.Next, false, TSize{20, 8}, TSize{30, 8}, bounds, text, arrow);
    EXPECT_EQ(c.ExpectedLeft, bounds.Left) << c.Next << " " << c.Left << ".." << c.Right;
    EXPECT_EQ(c.ExpectedRight, bounds.Right) << c.Next << " " << c.Left << ".." << c.Right;
    // The arrow is centred in the widened button.
    EXPECT_LE(std::abs((bounds.Left + bounds.Right) - (arrow.Left + arrow.Right)), 1)
        << c.Next << " " << c.Left << ".." << c.Right;
  }
}

// Disabled glyph pixels (0xAARRGGBB, premultiplied): grey from
// (2 * alpha + blue + green + red) div 5, alpha kept.
TEST(SkinPainter, DisabledNavigatorGlyphPixelsTurnGrey) {
  struct {
    Cardinal In, Out;
  } const cases[] = {
      {0xFFFF0000, 0xFF999999},  // opaque red: (510 + 255) div 5 = 153
      {0xFFFFFFFF, 0xFFFFFFFF},  // opaque white stays white
      {0xFF000000, 0xFF666666},  // opaque black: 510 div 5 = 102
      {0x80004000, 0x80404040},  // half alpha: (256 + 64) div 5 = 64
      {0x00000000, 0x00000000},  // transparent stays transparent
  };
  Owned<TBitmap> b(NewSurface(int(std::size(cases)), 1, clBlack));
  auto* row = static_cast<Cardinal*>(b->ScanLine(0));
  for (size_t i = 0; i < std::size(cases); ++i) row[i] = cases[i].In;
  nbSkinGreyGlyphPixels(b.get());
  row = static_cast<Cardinal*>(b->ScanLine(0));
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].Out, row[i]) << std::hex << cases[i].In;

  // Through the painter: over a grey background every pixel of a disabled
  // glyph stays grey, and the glyph shows.
  const TvlCustomLookAndFeelPainterClass p = UserSkinPainter();
  const TSize size = p->NavigatorGlyphSize();
  Owned<TBitmap> s(NewSurface(size.cx, size.cy, TColor(0x808080)));
  Owned<TvlCanvas> canvas(New<TvlCanvas>(s->Canvas()));
  p->DrawNavigatorGlyph(canvas.get(), nullptr, 0, 0, Rect(0, 0, size.cx, size.cy), false, false);
  bool drawn = false;
  for (Integer y = 0; y < size.cy; ++y)
    for (Integer x = 0; x < size.cx; ++x) {
      const Cardinal c = PixelAt(s.get(), x, y);
      EXPECT_TRUE((c & 0xFF) == (c >> 8 & 0xFF) && (c & 0xFF) == (c >> 16 & 0xFF)) << x << "," << y;
      drawn = drawn || c != 0x808080;
    }
  EXPECT_TRUE(drawn);
}

// The clock's hands in a face of its own coordinates: the half-sizes are
// half the face less 2; the hour hand reaches 0.75 of them (tail 0.15,
// half-width 4.5), the minute hand 0.85 (tail 0.2, half-width 3.5), the
// second hand 0.9.
TEST(SkinPainter, ClockHandGeometry) {
  auto at = [](Integer H, Integer M, Integer S) { return (H * 3600 + M * 60 + S) / 86400.0; };
  struct {
    Integer W, H;
    TDateTime Time;
    TPoint HourTip, HourSide, HourTail, MinuteTip, Second;
  } const cases[] = {
      // 40 x 40: centre (20, 20), half-sizes 18.
      {40, 40, at(3, 0, 0), {34, 20}, {20, 25}, {17, 20}, {20, 5}, {20, 4}},
      // 15:00:30: the hour hand a quarter degree on, the minute hand 3 degrees.
      {40, 40, at(15, 0, 30), {33, 20}, {20, 24}, {17, 20}, {21, 5}, {20, 36}},
      // 6:30: hour hand at 195 degrees, minute hand straight down.
      {40, 40, at(6, 30, 0), {17, 33}, {16, 19}, {21, 17}, {20, 35}, {20, 4}},
      // 60 x 40: centre (30, 20), half-sizes 28 and 18; 21:00:45, the
      // minute hand 4.5 degrees on.
      {60, 40, at(21, 0, 45), {9, 20}, {30, 16}, {34, 20}, {32, 5}, {5, 20}},
  };
  for (const auto& c : cases) {
    const TnbSkinClockHands hands = nbSkinClockHands(c.W, c.H, c.Time);
    const auto text = [&](TPoint P) { return std::to_string(P.X) + "," + std::to_string(P.Y); };
    SCOPED_TRACE(std::to_string(c.W) + "x" + std::to_string(c.H) + " at " + std::to_string(c.Time));
    EXPECT_EQ(text(c.HourTip), text(hands.Hour[0]));
    EXPECT_EQ(text(c.HourSide), text(hands.Hour[1]));
    EXPECT_EQ(text(c.HourTail), text(hands.Hour[2]));
    EXPECT_EQ(text(c.MinuteTip), text(hands.Minute[0]));
    EXPECT_EQ(text(TPoint{c.W / 2, c.H / 2}), text(hands.Centre));
    EXPECT_EQ(text(c.Second), text(hands.Second));
  }
}

// Buttons with captions, headers with text, scroll bars, check boxes, radio
// buttons, editor buttons, expand buttons and indicators in each state.
// AWithSharedImages: also the expand buttons, which the fallback draws from
// the Office 2003 painter's shared images (another test of this program
// re-initialises them, so the fallback sheet leaves them out).
void DrawControls(TvlCustomLookAndFeelPainterClass APainter, TBitmap* ASheet, bool AWithSharedImages) {
  Owned<TvlCanvas> canvas(New<TvlCanvas>(ASheet->Canvas()));
  TvlCanvas* c = canvas.get();
  c->Font()->SetName(u"Tahoma");
  c->Font()->SetSize(8);
  const TvlButtonState states[5] = {vlbsNormal, vlbsHot, vlbsPressed, vlbsDisabled, vlbsDefault};
  for (Integer s = 0; s < 5; ++s) {
    const Integer x = 4 + s * 60;
    APainter->DrawButton(c, Rect(x, 4, x + 56, 27), u"Button", states[s]);
    const TRect header = Rect(x, 32, x + 56, 52);
    APainter->DrawHeader(c, header, Rect(x + 4, 32, x + 52, 52), TvlNeighbors{}, vlBordersAll, states[s],
                         taLeftJustify, vaCenter, false, true, u"Header", c->Font(), APainter->DefaultHeaderTextColor(),
                         APainter->DefaultHeaderColor());
    APainter->DrawScrollBarBackground(c, Rect(x, 56, x + 17, 126), false);
    APainter->DrawScrollBarPart(c, false, Rect(x, 56, x + 17, 73), sbpLineUp, states[s]);
    APainter->DrawScrollBarPart(c, false, Rect(x, 80, x + 17, 104), sbpThumbnail, states[s]);
    APainter->DrawScrollBarPart(c, false, Rect(x, 104, x + 17, 109), sbpPageDown, states[s]);
    APainter->DrawScrollBarPart(c, false, Rect(x, 109, x + 17, 126), sbpLineDown, states[s]);
    APainter->DrawScrollBarBackground(c, Rect(x + 20, 56, x + 56, 73), true);
    APainter->DrawScrollBarPart(c, true, Rect(x + 20, 56, x + 37, 73), sbpLineUp, states[s]);
    APainter->DrawScrollBarPart(c, true, Rect(x + 39, 56, x + 56, 73), sbpLineDown, states[s]);
    APainter->DrawScrollBarPart(c, true, Rect(x + 20, 76, x + 56, 93), sbpThumbnail, states[s]);
    for (Integer i = 0; i < 3; ++i)
      APainter->DrawCheckButton(c, Rect(x + 20 + i * 12, 96, x + 33 + i * 12, 109), states[s], TvlCheckBoxState(i));
    APainter->DrawRadioButton(c, x + 20, 112, states[s], false, false, clDefault);
    APainter->DrawRadioButton(c, x + 36, 112, states[s], true, false, clDefault);
    APainter->DrawEditorButton(c, Rect(x, 130, x + 17, 150), vlbkComboBtn, states[s]);
    APainter->DrawEditorButton(c, Rect(x + 19, 130, x + 36, 150), vlbkEllipsisBtn, states[s]);
    APainter->DrawEditorButton(c, Rect(x + 38, 130, x + 55, 140), vlbkSpinUpBtn, states[s]);
    APainter->DrawEditorButton(c, Rect(x + 38, 140, x + 55, 150), vlbkSpinDownBtn, states[s]);
  }
  if (AWithSharedImages) {
    APainter->DrawExpandButton(c, Rect(4, 156, 13, 165), false);
    APainter->DrawExpandButton(c, Rect(16, 156, 25, 165), true);
  }
  const TvlIndicatorKind kinds[6] = {ikArrow, ikEdit, ikInsert, ikMultiDot, ikMultiArrow, ikFilter};
  for (Integer i = 0; i < 6; ++i) APainter->DrawIndicatorImage(c, Rect(30 + i * 16, 154, 44 + i * 16, 168), kinds[i]);
  APainter->DrawBorder(c, Rect(130, 154, 200, 168));
  APainter->DrawSizeGrip(c, Rect(210, 154, 222, 166), APainter->DefaultSizeGripAreaColor());
  APainter->DrawProgressBarBorder(c, Rect(228, 154, 300, 166), false);
  APainter->DrawProgressBarChunk(c, Rect(229, 155, 260, 165), false);
}

TEST(SkinPainter, ReferencePicturesWithUserSkinAndWithoutASkin) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "no reference font";
  foundation_test::TReferenceFont font;
  {
    Owned<TBitmap> sheet(NewSurface(304, 172, TColor(0xF3F1F0)));
    DrawControls(UserSkinPainter(), sheet.get(), true);
    lookandfeel_test::ExpectMatchesReference(sheet.get(), "skin-painter-userskin", 2);
  }
  // Registered with an information that has no skin: every operation falls back.
  TnbSkinLookAndFeelPainterInfo* empty = New<TnbSkinLookAndFeelPainterInfo>(static_cast<TnbSkin*>(nullptr));
  ASSERT_TRUE(vlGetStylePainterRegistry()->Register(u"EmptySkinTest", ClassOf<TFallbackSkinPainter>(), empty));
  {
    EXPECT_EQ(empty, ClassOf<TFallbackSkinPainter>()->GetSkinInfo());
    Owned<TBitmap> sheet(NewSurface(304, 172, TColor(0xF3F1F0)));
    DrawControls(ClassOf<TFallbackSkinPainter>(), sheet.get(), false);
    lookandfeel_test::ExpectMatchesReference(sheet.get(), "skin-painter-fallback", 2);
    EXPECT_EQ(ClassOf<TvlOffice11LookAndFeelPainter>()->DefaultContentColor(),
              ClassOf<TFallbackSkinPainter>()->DefaultContentColor());
  }
  vlGetStylePainterRegistry()->Unregister(u"EmptySkinTest");
}

// Navigator glyphs enabled and greyed, two clocks, a month header with both
// arrows and the scheduler's navigation buttons in each state, through
// "UserSkin".
// The sheet of the glyphs, clocks, month headers and scheduler buttons
// drawn by p, the month headers in the colours of AColours (the caller
// frees it).
TBitmap* DrawGlyphsClockAndScheduler(TvlCustomLookAndFeelPainterClass p, TvlCustomLookAndFeelPainterClass AColours) {
  const TSize g = p->NavigatorGlyphSize();
  const Integer clocks = 4 + 2 * (g.cy + 4) + 4, buttons = clocks + 56;
  TBitmap* sheet = NewSurface(std::max(6 + 20 * (g.cx + 2), 340), buttons + 94, TColor(0xF3F1F0));
  Owned<TvlCanvas> canvas(New<TvlCanvas>(sheet->Canvas()));
  TvlCanvas* c = canvas.get();
  c->Font()->SetName(u"Tahoma");
  c->Font()->SetSize(8);
  // Rows 1 and 2: the 16 horizontal and 4 vertical navigator glyphs,
  // enabled, then disabled.
  for (Integer i = 0; i < 20; ++i)
    for (Integer row = 0; row < 2; ++row) {
      const Integer x = 4 + i * (g.cx + 2), y = 4 + row * (g.cy + 4);
      p->DrawNavigatorGlyph(c, nullptr, i, i, Rect(x, y, x + g.cx, y + g.cy), row == 0, false);
    }
  // Clocks at 10:10:30 and 15:45:15 over a white and a grey background.
  p->DrawClock(c, Rect(4, clocks, 52, clocks + 48), (10 * 3600 + 10 * 60 + 30) / 86400.0, clWhite);
  p->DrawClock(c, Rect(56, clocks, 104, clocks + 48), (15 * 3600 + 45 * 60 + 15) / 86400.0, TColor(0xC0C0C0));
  // A month header with both arrows, and one with the left arrow only.
  TvlViewParams params{};
  params.Font = c->Font();
  params.Color = AColours->DefaultDateNavigatorHeaderColor();
  params.TextColor = AColours->DefaultDateNavigatorHeaderTextColor(false);
  p->DrawMonthHeader(c, Rect(112, clocks, 300, clocks + 20), u"December 2026", TvlNeighbors{}, params, haBoth, 18);
  p->DrawMonthHeader(c, Rect(112, clocks + 26, 300, clocks + 46), u"January 2027", TvlNeighbors{}, params, haLeft,
                     18);
  // Scheduler navigation buttons, previous and next, in the states normal,
  // hot, pressed and disabled: 14 pixels asked, widened to the element's
  // 18 (the next button to the left); then both collapsed.
  const String text = u"Next";
  const TSize textSize{c->TextWidth(text), 12};
  const TvlButtonState states[4] = {vlbsNormal, vlbsHot, vlbsPressed, vlbsDisabled};
  for (Integer s = 0; s < 4; ++s)
    for (Integer next = 0; next < 2; ++next)
      for (Integer collapsed = 0; collapsed < 2; ++collapsed) {
        const Integer x = 6 + s * 84 + next * 24 + collapsed * 42;
        TRect bounds = Rect(x, buttons, x + 14, buttons + 90), textRect{}, arrowRect{};
        p->CalculateSchedulerNavigationButtonRects(next == 1, collapsed == 1, textSize, textSize, bounds, textRect,
                                                   arrowRect);
        p->DrawSchedulerNavigationButton(c, bounds, next == 1, states[s], text, textRect, arrowRect);
      }
  return sheet;
}

TEST(SkinPainter, ReferencePictureOfGlyphsClockMonthHeaderAndSchedulerButtons) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "no reference font";
  foundation_test::TReferenceFont font;
  Owned<TBitmap> sheet(DrawGlyphsClockAndScheduler(UserSkinPainter(), UserSkinPainter()));
  lookandfeel_test::ExpectMatchesReference(sheet.get(), "skin-painter-glyphs-clock-scheduler", 2);
}

// Without a skin the same operations draw exactly what the Office 2003
// painter draws (given the same colours: the header colours of the two
// painters differ).
TEST(SkinPainter, GlyphsClockAndSchedulerFallBackWithoutASkin) {
  TnbSkinLookAndFeelPainterInfo* empty = New<TnbSkinLookAndFeelPainterInfo>(static_cast<TnbSkin*>(nullptr));
  ASSERT_TRUE(vlGetStylePainterRegistry()->Register(u"EmptySkinTest", ClassOf<TFallbackSkinPainter>(), empty));
  const TvlCustomLookAndFeelPainterClass office2003 = ClassOf<TvlOffice11LookAndFeelPainter>();
  Owned<TBitmap> skin(DrawGlyphsClockAndScheduler(ClassOf<TFallbackSkinPainter>(), office2003));
  Owned<TBitmap> office(DrawGlyphsClockAndScheduler(office2003, office2003));
  vlGetStylePainterRegistry()->Unregister(u"EmptySkinTest");
  ASSERT_EQ(office->Width(), skin->Width());
  ASSERT_EQ(office->Height(), skin->Height());
  Integer differing = 0, painted = 0;
  for (Integer y = 0; y < skin->Height(); ++y)
    for (Integer x = 0; x < skin->Width(); ++x) {
      differing += PixelAt(skin.get(), x, y) != PixelAt(office.get(), x, y);
      painted += PixelAt(office.get(), x, y) != 0xF3F1F0;
    }
  EXPECT_EQ(0, differing);
  EXPECT_GT(painted, 1000);
}

}  // namespace
