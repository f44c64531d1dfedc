// The painters' values, geometry and composition, checked as numbers and
// pixels (the pictures are in vlPainterPicturesTest.cpp).
#include "lib/lookandfeel/vlLookAndFeelPainters.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/vlSolidBrushCache.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Gdi.h"

namespace {

struct TFreeObject {
  void operator()(TObject* p) const { Free(p); }
};

// A bitmap filled with AColor and a library canvas on it.
struct TSurface {
  TSurface(Integer W, Integer H, TColor AColor = clWhite) : Bitmap(New<TBitmap>()) {
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(W, H);
    Canvas.reset(New<TvlCanvas>(Bitmap->Canvas()));
    Canvas->FillRect(TRect{0, 0, W, H}, AColor);
  }
  TColor At(Integer X, Integer Y) { return Bitmap->Canvas()->Pixels(X, Y); }
  std::unique_ptr<TBitmap, TFreeObject> Bitmap;
  std::unique_ptr<TvlCanvas, TFreeObject> Canvas;
};

TColor Rgb(Byte R, Byte G, Byte B) { return static_cast<TColor>(win::RGB(R, G, B)); }
TColor Sys(TColor C) { return ColorToRGB(C); }

// The base painter with its protected operations reachable.
class TOpenPainter : public TvlCustomLookAndFeelPainter {
  CL_CLASS(TOpenPainter, TvlCustomLookAndFeelPainter)
 public:
  using inherited::CenteredStripRect;
  using inherited::DrawContent;
  using inherited::FooterCellTextAreaBounds;
  Integer HeaderBorderSize() const override { return Border; }
  static inline Integer Border = 0;
};

// A painter that changes only the button colour.
class TRedButtonPainter : public TvlCustomLookAndFeelPainter {
  CL_CLASS(TRedButtonPainter, TvlCustomLookAndFeelPainter)
 public:
  TColor ButtonColor(TvlButtonState AState) const override { return clRed; }
};

// A painter whose splitter is one pixel thick.
class TThinSplitterPainter : public TvlCustomLookAndFeelPainter {
  CL_CLASS(TThinSplitterPainter, TvlCustomLookAndFeelPainter)
 public:
  TSize GetSplitterSize(Boolean AHorizontal) const override { return TSize{17, 1}; }
};

struct TBackgroundHandler : TObject {
  CL_CLASS(TBackgroundHandler, TObject)
 public:
  Boolean Paint(TvlCanvas* ACanvas, const TRect& ABounds) {
    ++Calls;
    return true;
  }
  Integer Calls = 0;
};

}  // namespace

CL_IMPLEMENT_CLASS(TOpenPainter)
CL_IMPLEMENT_CLASS(TRedButtonPainter)
CL_IMPLEMENT_CLASS(TThinSplitterPainter)
CL_IMPLEMENT_CLASS(TBackgroundHandler)

namespace {

const TvlCustomLookAndFeelPainterClass Base = ClassOf<TvlCustomLookAndFeelPainter>();
const TvlCustomLookAndFeelPainterClass Standard = ClassOf<TvlStandardLookAndFeelPainter>();
const TvlCustomLookAndFeelPainterClass Flat = ClassOf<TvlFlatLookAndFeelPainter>();
const TvlCustomLookAndFeelPainterClass UltraFlat = ClassOf<TvlUltraFlatLookAndFeelPainter>();

TEST(PainterValues, DefaultColoursOfTheBasePainter) {
  using Op = TColor (TvlCustomLookAndFeelPainter::*)() const;
  const TvlCustomLookAndFeelPainter* p = Base.operator->();
  const TColor blue = Rgb(0, 0, 255), black = Rgb(0, 0, 0), white = Rgb(255, 255, 255);
  const std::pair<Op, TColor> cases[] = {
      {&TvlCustomLookAndFeelPainter::DefaultContentColor, clWindow},
      {&TvlCustomLookAndFeelPainter::DefaultContentEvenColor, clWindow},
      {&TvlCustomLookAndFeelPainter::DefaultContentOddColor, clWindow},
      {&TvlCustomLookAndFeelPainter::DefaultContentTextColor, clWindowText},
      {&TvlCustomLookAndFeelPainter::DefaultFilterBoxColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::DefaultFilterBoxTextColor, clBtnHighlight},
      {&TvlCustomLookAndFeelPainter::DefaultFixedSeparatorColor, clBtnText},
      {&TvlCustomLookAndFeelPainter::DefaultFooterColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultFooterTextColor, clBtnText},
      {&TvlCustomLookAndFeelPainter::DefaultGridDetailsSiteColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultGridLineColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::DefaultGroupByBoxColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::DefaultGroupByBoxTextColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultGroupColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultGroupTextColor, clBtnText},
      {&TvlCustomLookAndFeelPainter::DefaultHeaderBackgroundColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::DefaultHeaderBackgroundTextColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultHeaderColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultHeaderTextColor, clBtnText},
      {&TvlCustomLookAndFeelPainter::DefaultHyperlinkTextColor, blue},
      {&TvlCustomLookAndFeelPainter::DefaultInactiveColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultInactiveTextColor, clBtnText},
      {&TvlCustomLookAndFeelPainter::DefaultPreviewTextColor, blue},
      {&TvlCustomLookAndFeelPainter::DefaultRecordSeparatorColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::DefaultSizeGripAreaColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultVGridBandLineColor, black},
      {&TvlCustomLookAndFeelPainter::DefaultVGridCategoryColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultVGridCategoryTextColor, clDefault},
      {&TvlCustomLookAndFeelPainter::DefaultVGridHeaderColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultVGridHeaderTextColor, clBtnText},
      {&TvlCustomLookAndFeelPainter::DefaultVGridLineColor, black},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorContentColor, clWindow},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorHeaderColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorHolydayTextColor, Rgb(255, 0, 0)},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorInactiveTextColor, clGrayText},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorSelectionColor, clHighlight},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorSelectionTextColor, clHighlightText},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorSeparator1Color, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorSeparator2Color, clWindow},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorTextColor, clWindowText},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorTodayFrameColor, Rgb(128, 0, 0)},
      {&TvlCustomLookAndFeelPainter::DefaultDateNavigatorTodayTextColor, Rgb(0, 0, 128)},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerBackgroundColor, clWindow},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerTextColor, clWindowText},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerBorderColor, Rgb(161, 157, 157)},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerControlColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerNavigatorColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerTimeRulerColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerTimeRulerTextColor, clBtnText},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerViewContentColor, Rgb(255, 255, 213)},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerViewSelectedTextColor, clHighlightText},
      {&TvlCustomLookAndFeelPainter::DefaultSchedulerViewTextColor, clWindowText},
      {&TvlCustomLookAndFeelPainter::DefaultSelectionColor, clHighlight},
      {&TvlCustomLookAndFeelPainter::DefaultSelectionTextColor, clHighlightText},
      {&TvlCustomLookAndFeelPainter::DefaultSeparatorColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultTabColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultTabTextColor, clBtnText},
      {&TvlCustomLookAndFeelPainter::DefaultTabsBackgroundColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultTimeGridMajorScaleColor, white},
      {&TvlCustomLookAndFeelPainter::DefaultTimeGridMajorScaleTextColor, black},
      {&TvlCustomLookAndFeelPainter::DefaultTimeGridMinorScaleColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::DefaultTimeGridMinorScaleTextColor, clBtnText},
      {&TvlCustomLookAndFeelPainter::DefaultTimeGridSelectionBarColor, white},
      {&TvlCustomLookAndFeelPainter::DefaultChartDiagramValueBorderColor, black},
      {&TvlCustomLookAndFeelPainter::DefaultChartDiagramValueCaptionTextColor, black},
      {&TvlCustomLookAndFeelPainter::DefaultChartHistogramAxisColor, black},
      {&TvlCustomLookAndFeelPainter::DefaultChartHistogramGridLineColor, Rgb(207, 207, 207)},
      {&TvlCustomLookAndFeelPainter::DefaultChartHistogramPlotColor, white},
      {&TvlCustomLookAndFeelPainter::DefaultChartPieDiagramSeriesSiteBorderColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::DefaultChartPieDiagramSeriesSiteCaptionColor, Rgb(166, 202, 240)},
      {&TvlCustomLookAndFeelPainter::DefaultChartPieDiagramSeriesSiteCaptionTextColor, Rgb(0, 0, 128)},
      {&TvlCustomLookAndFeelPainter::DefaultChartToolBoxDataLevelInfoBorderColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::DefaultChartToolBoxItemSeparatorColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::PivotGridHeadersAreaColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::PivotGridHeadersAreaTextColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::FooterSeparatorColor, clBtnShadow},
      {&TvlCustomLookAndFeelPainter::ProgressBarTextColor, clWindowText},
      {&TvlCustomLookAndFeelPainter::EditButtonTextColor, clDefault},
      {&TvlCustomLookAndFeelPainter::PanelTextColor, clDefault},
      {&TvlCustomLookAndFeelPainter::LayoutControlEmptyAreaColor, clBtnFace},
      {&TvlCustomLookAndFeelPainter::GetCustomizationFormListBackgroundColor, clBtnFace},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ((p->*cases[i].first)(), cases[i].second) << "case " << i;
  EXPECT_EQ(p->DefaultEditorBackgroundColor(true), clDefault);
  EXPECT_EQ(p->DefaultEditorTextColor(false), clDefault);
  EXPECT_EQ(p->DefaultDateNavigatorHeaderTextColor(false), clBtnText);
  EXPECT_EQ(p->ProgressBarTextColorEx(true), clDefault);
  EXPECT_EQ(p->GroupBoxTextColor(true, vlgpTop), clWindowText);
  EXPECT_EQ(p->GroupBoxTextColor(false, vlgpTop), clBtnShadow);
  EXPECT_EQ(p->GetSplitterInnerColor(false), clWhite);
  EXPECT_EQ(p->GetContainerBorderColor(true), clDefault);
  EXPECT_EQ(p->TrackBarTicksColor(true), clDefault);
}

TEST(PainterValues, CalculatorKeyColours) {
  const TColor darkRed = Rgb(128, 0, 0), red = Rgb(255, 0, 0), blue = Rgb(0, 0, 255), navy = Rgb(0, 0, 128);
  const std::pair<TvlCalcButtonKind, TColor> cases[] = {
      {cbBack, darkRed}, {cbCancel, darkRed}, {cbClear, darkRed}, {cbMC, red},     {cbMP, red},
      {cbNum0, blue},    {cbNum9, blue},      {cbSign, blue},     {cbDecimal, blue}, {cbDiv, red},
      {cbAdd, red},      {cbSqrt, navy},      {cbPercent, navy},  {cbRev, navy},   {cbEqual, red},
      {cbNone, blue}};
  for (auto [key, colour] : cases) EXPECT_EQ(Base->CalcEditButtonTextColor(key), colour) << int(key);
}

// Integer values of every painter: base, standard, flat, ultra-flat.
TEST(PainterValues, SizesOfEachPainter) {
  using Get = Integer (*)(TvlCustomLookAndFeelPainterClass);
  struct Case {
    const char* Name;
    Get Value;
    Integer Expected[4];
  };
  const Case cases[] = {
      {"BorderSize", [](auto P) { return P->BorderSize(); }, {0, 2, 1, 1}},
      {"ButtonBorderSize(default)", [](auto P) { return P->ButtonBorderSize(vlbsDefault); }, {0, 3, 2, 2}},
      {"ButtonBorderSize(normal)", [](auto P) { return P->ButtonBorderSize(vlbsNormal); }, {0, 2, 1, 1}},
      {"ButtonTextOffset", [](auto P) { return P->ButtonTextOffset(); }, {0, 1, 1, 2}},
      {"ButtonTextShift", [](auto P) { return P->ButtonTextShift(); }, {0, 1, 1, 0}},
      {"ExpandButtonSize", [](auto P) { return P->ExpandButtonSize(); }, {0, 12, 11, 11}},
      {"GroupExpandButtonSize", [](auto P) { return P->GroupExpandButtonSize(); }, {15, 15, 15, 15}},
      {"SmallExpandButtonSize", [](auto P) { return P->SmallExpandButtonSize(); }, {9, 9, 9, 9}},
      {"IsButtonHotTrack", [](auto P) { return Integer(P->IsButtonHotTrack()); }, {0, 0, 0, 1}},
      {"HeaderBorderSize", [](auto P) { return P->HeaderBorderSize(); }, {0, 1, 1, 1}},
      {"HeaderControlSectionBorderSize(pressed)",
       [](auto P) { return P->HeaderControlSectionBorderSize(vlbsPressed); },
       {1, 1, 1, 1}},
      {"HeaderControlSectionBorderSize(normal)",
       [](auto P) { return P->HeaderControlSectionBorderSize(vlbsNormal); },
       {1, 2, 1, 1}},
      {"SortingMarkSize.X", [](auto P) { return P->SortingMarkSize().X; }, {0, 8, 8, 7}},
      {"SortingMarkSize.Y", [](auto P) { return P->SortingMarkSize().Y; }, {0, 7, 7, 8}},
      {"SortingMarkAreaSize.X", [](auto P) { return P->SortingMarkAreaSize().X; }, {16, 16, 16, 16}},
      {"FooterBorderSize", [](auto P) { return P->FooterBorderSize(); }, {0, 1, 1, 1}},
      {"FooterCellBorderSize", [](auto P) { return P->FooterCellBorderSize(); }, {0, 1, 1, 1}},
      {"FooterCellOffset", [](auto P) { return P->FooterCellOffset(); }, {0, 1, 1, 2}},
      {"FooterBorders", [](auto P) { return Integer(P->FooterBorders().ToInt()); }, {15, 15, 15, 12}},
      {"TabBorderSize", [](auto P) { return P->TabBorderSize(false); }, {0, 1, 1, 1}},
      {"CheckBorderSize", [](auto P) { return P->CheckBorderSize(); }, {2, 2, 2, 2}},
      {"LabelLineHeight", [](auto P) { return P->LabelLineHeight(); }, {2, 2, 2, 2}},
      {"ScrollBarMinimalThumbSize", [](auto P) { return P->ScrollBarMinimalThumbSize(true); }, {8, 8, 8, 8}},
      {"FilterCloseButtonSize.Y", [](auto P) { return P->FilterCloseButtonSize().Y; }, {14, 14, 14, 15}},
      {"FilterActivateButtonSize.X", [](auto P) { return P->FilterActivateButtonSize().X; }, {13, 13, 13, 13}},
      {"FilterDropDownButtonSize.X", [](auto P) { return P->FilterDropDownButtonSize().X; }, {15, 15, 15, 15}},
      {"GetSplitterSize(horizontal).cy", [](auto P) { return P->GetSplitterSize(true).cy; }, {2, 2, 2, 1}},
      {"GetSplitterSize(vertical).cx", [](auto P) { return P->GetSplitterSize(false).cx; }, {2, 2, 2, 1}},
      {"PopupBorderStyle", [](auto P) { return Integer(P->PopupBorderStyle()); }, {1, 1, 1, 1}},
      {"DrawExpandButtonFirst", [](auto P) { return Integer(P->DrawExpandButtonFirst()); }, {1, 1, 1, 1}},
      {"HeaderDrawCellsFirst", [](auto P) { return Integer(P->GridDrawHeaderCellsFirst()); }, {1, 1, 1, 1}},
      {"PrintPreviewPageBordersWidth.Right", [](auto P) { return P->PrintPreviewPageBordersWidth().Right; },
       {4, 4, 4, 4}},
  };
  const TvlCustomLookAndFeelPainterClass painters[] = {Base, Standard, Flat, UltraFlat};
  for (const Case& c : cases)
    for (Integer i = 0; i < 4; ++i) EXPECT_EQ(c.Value(painters[i]), c.Expected[i]) << c.Name << " of painter " << i;
}

TEST(PainterValues, StylesAndColoursThatDifferByPainter) {
  EXPECT_EQ(Base->LookAndFeelStyle(), lfsStandard);
  EXPECT_EQ(Standard->LookAndFeelStyle(), lfsStandard);
  EXPECT_EQ(Flat->LookAndFeelStyle(), lfsFlat);
  EXPECT_EQ(UltraFlat->LookAndFeelStyle(), lfsUltraFlat);
  EXPECT_EQ(Standard->DefaultSchedulerViewContentColor(), clWindow);
  EXPECT_EQ(UltraFlat->DefaultSchedulerBorderColor(), clBtnShadow);
  EXPECT_EQ(Flat->GetSplitterOuterColor(true), cl3DDkShadow);
  EXPECT_EQ(Flat->GetSplitterOuterColor(false), clBtnShadow);
  EXPECT_EQ(UltraFlat->GetSplitterOuterColor(true), clHighlight);
  EXPECT_EQ(Base->CheckButtonColor(vlbsHot), clWindow);
  EXPECT_EQ(Base->CheckButtonColor(vlbsDisabled), clBtnFace);
  // button symbols
  EXPECT_EQ(Base->ButtonSymbolColor(vlbsDisabled, clRed), clBtnShadow);
  EXPECT_EQ(Base->ButtonSymbolColor(vlbsNormal), clBtnText);
  EXPECT_EQ(Base->ButtonSymbolColor(vlbsPressed, clRed), clRed);
  EXPECT_EQ(UltraFlat->ButtonSymbolColor(vlbsPressed, clRed), clHighlightText);
  EXPECT_EQ(UltraFlat->ButtonSymbolState(vlbsPressed), vlbsNormal);
  EXPECT_EQ(Base->ButtonSymbolState(vlbsPressed), vlbsPressed);
  auto* ultra = static_cast<const TvlUltraFlatLookAndFeelPainter*>(UltraFlat.operator->());
  EXPECT_EQ(ultra->BorderHighlightColor(), clHighlight);
  // the header borders each painter leaves to its neighbours
  EXPECT_EQ(Base->HeaderBorders(TvlNeighbors{nLeft, nTop}).ToInt(), 15);
  EXPECT_EQ(UltraFlat->HeaderBorders(TvlNeighbors{nLeft, nTop}).ToInt(), TvlBorders({bRight, bBottom}).ToInt());
  EXPECT_EQ(UltraFlat->HeaderBorders(TvlNeighbors{nRight}).ToInt(), 15);
}

TEST(PainterValues, UltraFlatHotAndPressedColoursFollowTheSystemColours) {
  EXPECT_EQ(UltraFlat->ButtonColor(vlbsNormal), clBtnFace);
  EXPECT_EQ(UltraFlat->ButtonColor(vlbsDisabled), clBtnFace);
  EXPECT_EQ(UltraFlat->ButtonColor(vlbsHot), vlGetLighterHighlightColor());
  EXPECT_EQ(UltraFlat->ButtonColor(vlbsPressed), vlGetLightHighlightColor());
  const TColor hot = UltraFlat->ButtonColor(vlbsHot);
  const win::INT index = win::COLOR_HIGHLIGHT;
  const win::COLORREF old = win::GetSysColor(index), changed = win::RGB(200, 0, 0);
  win::SetSysColors(1, &index, &changed);
  const TColor hotAfter = UltraFlat->ButtonColor(vlbsHot);
  win::SetSysColors(1, &index, &old);
  EXPECT_NE(hot, hotAfter);
}

TEST(PainterValues, ButtonGroupBorderSizes) {
  struct Case {
    Integer Count, Index;
    TRect Expected;
  };
  const Case cases[] = {{1, 0, {2, 2, 1, 2}}, {3, 2, {1, 2, 2, 2}}, {3, 1, {1, 2, 1, 2}}, {3, 0, {2, 2, 1, 2}}};
  for (const Case& c : cases) EXPECT_TRUE(vlRectsEqual(UltraFlat->ButtonGroupBorderSizes(c.Count, c.Index), c.Expected));
  EXPECT_TRUE(vlRectsEqual(Standard->ButtonGroupBorderSizes(3, 1), TRect{2, 2, 2, 2}));
}

// --- Geometry -----------------------------------------------------------------------------------

TEST(PainterGeometry, ArrowPoints) {
  TvlArrowPoints p;
  // 9 x 9 with the derived size: n = 3, an up arrow 5 wide and 3 high
  Base->CalculateArrowPoints(TRect{0, 0, 9, 9}, p, adUp, false);
  EXPECT_TRUE(vlPointsEqual(p[0], TPoint{2, 5}));
  EXPECT_TRUE(vlPointsEqual(p[1], TPoint{6, 5}));
  EXPECT_TRUE(vlPointsEqual(p[2], TPoint{4, 3}));
  Base->CalculateArrowPoints(TRect{0, 0, 9, 9}, p, adRight, false);
  EXPECT_TRUE(vlPointsEqual(p[0], TPoint{3, 2}));
  EXPECT_TRUE(vlPointsEqual(p[1], TPoint{3, 6}));
  EXPECT_TRUE(vlPointsEqual(p[2], TPoint{5, 4}));
  // proportional: a wide rectangle is made square around its centre first
  Base->CalculateArrowPoints(TRect{0, 0, 21, 9}, p, adDown, true);
  EXPECT_TRUE(vlPointsEqual(p[0], TPoint{8, 3}));
  EXPECT_TRUE(vlPointsEqual(p[1], TPoint{12, 3}));
  EXPECT_TRUE(vlPointsEqual(p[2], TPoint{10, 5}));
  // a given size
  Base->CalculateArrowPoints(TRect{0, 0, 20, 20}, p, adLeft, false, 4);
  EXPECT_EQ(p[0].Y - p[1].Y, -6);  // 2n - 1 high
  EXPECT_EQ(p[0].X - p[2].X, 3);   // n wide
}

TEST(PainterGeometry, ArrowFillsItsTriangle) {
  TSurface s(9, 9);
  Base->DrawArrow(s.Canvas.get(), TRect{0, 0, 9, 9}, adUp, clBlack);
  std::vector<Integer> rows;
  for (Integer y = 0; y < 9; ++y) {
    Integer n = 0;
    for (Integer x = 0; x < 9; ++x) n += s.At(x, y) == clBlack;
    rows.push_back(n);
  }
  EXPECT_EQ(rows, (std::vector<Integer>{0, 0, 0, 1, 3, 5, 0, 0, 0}));
}

TEST(PainterGeometry, ButtonTextRectangleOfASeventeenPixelButton) {
  // the text rectangle loses its odd bottom row and, being under 18, gains
  // one at the top: (5, 22) becomes (4, 21)
  auto text = [](const TRect& R) {
    auto s = std::make_unique<TSurface>(40, 30);
    s->Canvas->Font()->SetColor(clBlack);
    s->Canvas->Brush()->SetStyle(bsClear);
    s->Canvas->DrawTexT(u"Xy", R, vlAlignHCenter | vlAlignVCenter | vlShowPrefix | vlSingleLine);
    return s;
  };
  TSurface button(40, 30);
  Base->DrawButton(button.Canvas.get(), TRect{0, 5, 40, 22}, u"Xy", vlbsNormal, false, clWhite, clBlack);
  auto adjusted = text(TRect{0, 4, 40, 21});
  auto plain = text(TRect{0, 5, 40, 22});
  Integer differences = 0, plainDifferences = 0;
  for (Integer y = 0; y < 30; ++y)
    for (Integer x = 0; x < 40; ++x) {
      differences += button.At(x, y) != adjusted->At(x, y);
      plainDifferences += button.At(x, y) != plain->At(x, y);
    }
  EXPECT_EQ(differences, 0);
  EXPECT_GT(plainDifferences, 0);
  EXPECT_EQ(button.Canvas->Brush()->Style(), bsSolid);
}

TEST(PainterGeometry, FocusAndContentRectangles) {
  EXPECT_TRUE(vlRectsEqual(Base->ButtonFocusRect(nullptr, TRect{0, 0, 8, 20}), TRect{0, 0, 8, 20}));
  EXPECT_TRUE(vlRectsEqual(Base->ButtonFocusRect(nullptr, TRect{0, 0, 20, 20}), TRect{4, 4, 16, 16}));
  EXPECT_TRUE(vlRectsEqual(UltraFlat->ButtonFocusRect(nullptr, TRect{0, 0, 20, 20}), TRect{3, 3, 17, 17}));
  EXPECT_TRUE(vlRectsEqual(UltraFlat->ButtonFocusRect(nullptr, TRect{0, 0, 6, 20}), TRect{0, 0, 6, 20}));
  EXPECT_TRUE(vlRectsEqual(Standard->HeaderControlSectionContentBounds(TRect{0, 0, 20, 20}, vlbsNormal),
                           TRect{2, 2, 18, 18}));
  EXPECT_TRUE(vlRectsEqual(Base->HeaderControlSectionTextAreaBounds(TRect{0, 0, 20, 20}, vlbsPressed),
                           TRect{1, 1, 21, 21}));
  auto* open = ClassOf<TOpenPainter>().operator->();
  // the thickness across the width (a vertical strip) when horizontal, across the height otherwise
  EXPECT_TRUE(vlRectsEqual(open->CenteredStripRect(TRect{0, 0, 10, 10}, 2, true), TRect{4, 0, 6, 10}));
  EXPECT_TRUE(vlRectsEqual(open->CenteredStripRect(TRect{0, 0, 10, 10}, 1, false), TRect{0, 4, 10, 5}));
  EXPECT_TRUE(vlRectsEqual(Standard->HeaderContentBounds(TRect{0, 0, 20, 20}, TvlBorders{bLeft, bBottom}),
                           TRect{1, 0, 20, 19}));
  // the header grows outwards on the sides it borders but leaves to a neighbour
  EXPECT_TRUE(vlRectsEqual(UltraFlat->HeaderBounds(TRect{10, 10, 20, 20}, TvlNeighbors{nLeft}, vlBordersAll),
                           TRect{9, 10, 20, 20}));
  EXPECT_TRUE(vlRectsEqual(open->FooterCellTextAreaBounds(TRect{0, 0, 20, 20}), TRect{2, 2, 18, 18}));
}

TEST(PainterGeometry, HeaderHeightAndWidth) {
  EXPECT_EQ(Standard->HeaderHeight(13), 19);
  EXPECT_EQ(UltraFlat->HeaderHeight(13), 19);
  EXPECT_EQ(Base->HeaderHeight(13), 17);
  TSurface s(10, 10);
  const Integer text = s.Canvas->TextWidth(u"Amount");
  EXPECT_EQ(UltraFlat->HeaderWidth(s.Canvas.get(), TvlBorders{bLeft, bRight}, u"Amount", nullptr), text + 4);
  EXPECT_EQ(UltraFlat->HeaderWidth(s.Canvas.get(), TvlBorders{bLeft}, u"Amount", nullptr), text + 5);
  EXPECT_EQ(UltraFlat->HeaderWidth(s.Canvas.get(), TvlBorders{bRight}, u"Amount", nullptr), text + 3);
}

TEST(PainterGeometry, SchedulerNavigationButtonRectangles) {
  TRect bounds{0, 0, 20, 200}, text, arrow;
  Base->CalculateSchedulerNavigationButtonRects(false, true, TSize{30, 10}, TSize{30, 10}, bounds, text, arrow);
  EXPECT_TRUE(vlIsRectEmpty(text));
  EXPECT_EQ(bounds.Bottom - bounds.Top, 21 + 12);  // 3 arrows high and the borders
  EXPECT_EQ(arrow.Right - arrow.Left, 7);
  // with a text area: the arrow on top, the text below it
  bounds = TRect{0, 0, 20, 200};
  Base->CalculateSchedulerNavigationButtonRects(true, false, TSize{30, 10}, TSize{40, 10}, bounds, text, arrow);
  EXPECT_TRUE(vlRectsEqual(text, TRect{2, 32, 20, 180}));
  EXPECT_TRUE(vlRectsEqual(arrow, TRect{7, 13, 14, 20}));
  // a text longer than the area grows the button at both ends
  bounds = TRect{0, 0, 20, 60};
  Base->CalculateSchedulerNavigationButtonRects(true, false, TSize{30, 10}, TSize{40, 10}, bounds, text, arrow);
  const Integer d = 40 - (60 - 6 - 14 - 32);
  EXPECT_TRUE(vlRectsEqual(bounds, TRect{0, -d, 20, 60 + d}));
  EXPECT_EQ(arrow.Top, 13 - d);
  TRect borders;
  TSize arrowSize;
  Boolean hasText = false;
  Base->SchedulerNavigationButtonSizes(false, borders, arrowSize, hasText);
  EXPECT_TRUE(vlRectsEqual(borders, TRect{0, 6, 2, 6}));
  EXPECT_TRUE(hasText);
}

// --- Composition ------------------------------------------------------------------------------------

TEST(PainterComposition, ButtonColourReachesEveryCompositeDrawing) {
  const TvlCustomLookAndFeelPainterClass red = ClassOf<TRedButtonPainter>();
  TSurface s(80, 30);
  red->DrawButton(s.Canvas.get(), TRect{0, 0, 20, 20}, u"", vlbsNormal);
  red->DrawArrow(s.Canvas.get(), TRect{25, 0, 45, 20}, vlbsNormal, adDown, false);
  red->DrawFilterCloseButton(s.Canvas.get(), TRect{50, 0, 66, 14}, vlbsNormal);
  EXPECT_EQ(s.At(1, 1), clRed);
  EXPECT_EQ(s.At(26, 1), clRed);
  EXPECT_EQ(s.At(51, 1), clRed);
  // the base painter fills clBtnFace
  Base->DrawButton(s.Canvas.get(), TRect{0, 0, 20, 20}, u"", vlbsNormal);
  EXPECT_EQ(s.At(1, 1), Sys(clBtnFace));
}

// A two-colour frame draws with the first brush before it asks the shared
// cache for the second: with the cache full, asking for the second drops
// the first (the only one never asked for again).
TEST(PainterComposition, TwoColourFramesHoldTheirFirstBrushWhileTheyDraw) {
  TvlSolidBrushCache* cache = vlSolidBrushCache();
  ASSERT_NE(cache, nullptr);
  cache->Clear();
  for (Integer i = 0; i < cache->MaxDepth(); ++i)
    for (Integer twice = 0; twice < 2; ++twice) vlGetSolidBrush(Rgb(Byte(i), 10, 200));
  ASSERT_EQ(cache->Depth(), cache->MaxDepth());
  const TColor outer = Rgb(200, 0, 0), inner = Rgb(0, 0, 200);
  TSurface s(20, 6);
  Base->DrawLabelLine(s.Canvas.get(), TRect{0, 2, 20, 4}, outer, inner, false);
  cache->Clear();
  EXPECT_EQ(s.At(10, 2), outer);
  EXPECT_EQ(s.At(10, 3), inner);
}

TEST(PainterComposition, ButtonBorders) {
  TSurface s(40, 40);
  // a pressed standard button: a black outer frame and a shadow ring
  Standard->DrawButtonBorder(s.Canvas.get(), TRect{0, 0, 20, 20}, vlbsPressed);
  EXPECT_EQ(s.At(0, 10), clBlack);
  EXPECT_EQ(s.At(19, 10), clBlack);
  EXPECT_EQ(s.At(1, 10), Sys(clBtnShadow));
  EXPECT_EQ(s.At(18, 10), Sys(clBtnShadow));
  // an ultra-flat default button: two clWindowFrame frames
  UltraFlat->DrawButtonBorder(s.Canvas.get(), TRect{20, 20, 40, 40}, vlbsDefault);
  EXPECT_EQ(s.At(20, 30), Sys(clWindowFrame));
  EXPECT_EQ(s.At(21, 30), Sys(clWindowFrame));
  EXPECT_EQ(s.At(22, 30), clWhite);
  UltraFlat->DrawButtonBorder(s.Canvas.get(), TRect{20, 0, 40, 20}, vlbsHot);
  EXPECT_EQ(s.At(20, 10), Sys(clHighlight));
}

TEST(PainterComposition, CheckBoxes) {
  // with a clear brush the background stays; a tick is drawn in the colour
  TSurface s(13, 13, clLime);
  s.Canvas->Brush()->SetStyle(bsClear);
  Base->DrawCheck(s.Canvas.get(), TRect{2, 2, 11, 11}, vlbsNormal, true, clBlack);
  Integer ticked = 0;
  for (Integer y = 2; y < 11; ++y)
    for (Integer x = 2; x < 11; ++x) ticked += s.At(x, y) == clBlack;
  EXPECT_GT(ticked, 10);
  EXPECT_EQ(s.At(2, 2), clLime);
  // with a solid brush the box takes the check-button colour
  TSurface t(13, 13, clLime);
  Base->DrawCheck(t.Canvas.get(), TRect{2, 2, 11, 11}, vlbsPressed, false, clBlack);
  EXPECT_EQ(t.At(2, 2), Sys(clBtnFace));
  // the whole check button: the ultra-flat border, then the inside
  TSurface u(13, 13, clLime);
  UltraFlat->DrawCheckButton(u.Canvas.get(), TRect{0, 0, 13, 13}, vlbsNormal, cbsChecked);
  EXPECT_EQ(u.At(0, 6), Sys(clBtnText));
  EXPECT_EQ(u.At(1, 6), Sys(clWindow));
  EXPECT_EQ(u.At(2, 2), Sys(clWindow));
  EXPECT_EQ(Base->CheckButtonSize().cx, vlCheckButtonGlyphSize().cx);
  EXPECT_GT(vlCheckButtonGlyphSize().cx, 0);
}

TEST(PainterComposition, UltraFlatHeaderWithLeftAndTopNeighboursDrawsRightAndBottomOnly) {
  TSurface s(20, 20);
  const TvlNeighbors n{nLeft, nTop};
  UltraFlat->DrawHeaderBorder(s.Canvas.get(), TRect{0, 0, 20, 20}, n, UltraFlat->HeaderBorders(n));
  EXPECT_EQ(s.At(0, 10), clWhite);
  EXPECT_EQ(s.At(10, 0), clWhite);
  EXPECT_EQ(s.At(19, 10), Sys(clBtnText));
  EXPECT_EQ(s.At(10, 19), Sys(clBtnText));
}

TEST(PainterComposition, ContentBackgroundHandlerAndTransparentGroupByBox) {
  if (!vlIndicatorImages()) GTEST_SKIP();
  TSurface s(40, 20, clLime);
  TBackgroundHandler handler;
  auto* open = ClassOf<TOpenPainter>().operator->();
  open->DrawContent(s.Canvas.get(), TRect{0, 0, 40, 20}, TRect{0, 0, 40, 20}, vlbsNormal, taLeftJustify, vaTop, false,
                    false, u"Wg", nullptr, clBlack, clRed,
                    TvlDrawBackgroundEvent(&handler, &TBackgroundHandler::Paint), false);
  EXPECT_EQ(handler.Calls, 1);
  Integer text = 0, red = 0;
  for (Integer y = 0; y < 20; ++y)
    for (Integer x = 0; x < 40; ++x) {
      text += s.At(x, y) == clBlack;
      red += s.At(x, y) == clRed;
    }
  EXPECT_GT(text, 0);  // the text is still drawn
  EXPECT_EQ(red, 0);   // the background was the handler's
  // a transparent group-by box without a bitmap draws nothing
  TSurface t(10, 10, clLime);
  Base->DrawGroupByBox(t.Canvas.get(), TRect{0, 0, 10, 10}, true, clRed, nullptr);
  EXPECT_EQ(t.At(5, 5), clLime);
  Base->DrawGroupByBox(t.Canvas.get(), TRect{0, 0, 10, 10}, false, clRed, nullptr);
  EXPECT_EQ(t.At(5, 5), clRed);
}

TEST(PainterComposition, IndicatorImages) {
  TImageList* images = vlIndicatorImages();
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->Count(), 6);
  TSurface none(20, 20, clLime);
  Base->DrawIndicatorImage(none.Canvas.get(), TRect{0, 0, 20, 20}, ikNone);
  for (Integer y = 0; y < 20; ++y)
    for (Integer x = 0; x < 20; ++x) ASSERT_EQ(none.At(x, y), clLime);
  // the filter kind is the sixth image, centred; white is transparent
  TSurface filter(20, 20, clLime), sixth(20, 20, clLime);
  Base->DrawIndicatorImage(filter.Canvas.get(), TRect{0, 0, 20, 20}, ikFilter);
  sixth.Canvas->DrawImage(images, (20 - images->Width()) / 2, (20 - images->Height()) / 2, 5);
  Integer black = 0;
  for (Integer y = 0; y < 20; ++y)
    for (Integer x = 0; x < 20; ++x) {
      ASSERT_EQ(filter.At(x, y), sixth.At(x, y));
      black += filter.At(x, y) == clBlack;
    }
  EXPECT_GT(black, 0);
  EXPECT_EQ(filter.At(0, 0), clLime);
}

TEST(PainterComposition, ScrollBarParts) {
  // a disabled bar draws no thumb; a pressed page uses the dark pattern
  for (auto painter : {Standard, Flat, UltraFlat}) {
    TSurface s(20, 40, clLime);
    painter->DrawScrollBarPart(s.Canvas.get(), false, TRect{0, 0, 17, 20}, sbpThumbnail, vlbsDisabled);
    EXPECT_EQ(s.At(8, 10), clLime);
    painter->DrawScrollBarPart(s.Canvas.get(), false, TRect{0, 20, 16, 36}, sbpPageUp, vlbsPressed);
    const TColor a = s.At(0, 20), b = s.At(1, 20);
    EXPECT_TRUE((a == clBlack && b == Sys(cl3DDkShadow)) || (b == clBlack && a == Sys(cl3DDkShadow)));
    EXPECT_EQ(s.Canvas->Brush()->Bitmap(), nullptr);
    EXPECT_EQ(s.Canvas->Brush()->Style(), bsSolid);
  }
  // the pattern bitmaps are 8 x 8 checkerboards of the system colours
  TBitmap* light = vlScrollBarPatternBitmap(0);
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->Width(), 8);
  EXPECT_EQ(light->Canvas()->Pixels(0, 0), Sys(clBtnFace));
  EXPECT_EQ(light->Canvas()->Pixels(1, 0), Sys(clBtnHighlight));
  EXPECT_EQ(light->Canvas()->Pixels(1, 1), Sys(clBtnFace));
  EXPECT_EQ(vlScrollBarPatternBitmap(1)->Canvas()->Pixels(3, 3), clBlack);
  EXPECT_EQ(vlScrollBarPatternBitmap(2), nullptr);
}

TEST(PainterComposition, SplitterOfAOnePixelPainterDrawsOnlyTheOuterLine) {
  TSurface thin(40, 6), thick(40, 6);
  ClassOf<TThinSplitterPainter>()->DrawSplitter(thin.Canvas.get(), TRect{0, 0, 40, 6}, false, false, true);
  Base->DrawSplitter(thick.Canvas.get(), TRect{0, 0, 40, 6}, false, false, true);
  // the outer line runs along the middle, broken by three dashes at the centre
  const Integer yThin = (6 - 1) / 2, yThick = (6 - 2) / 2;
  EXPECT_EQ(thin.At(0, yThin), Sys(clBtnShadow));
  EXPECT_EQ(thin.At(15, yThin), clWhite);  // the gap before the dashes
  EXPECT_EQ(thin.At(16, yThin), Sys(clBtnShadow));
  EXPECT_EQ(thin.At(18, yThin), clWhite);
  for (Integer x = 0; x < 40; ++x) EXPECT_EQ(thin.At(x, yThin + 1), clWhite);
  EXPECT_EQ(thick.At(0, yThick), Sys(clBtnShadow));
  EXPECT_EQ(thick.At(1, yThick + 1), clWhite);  // the inner line is white too: seen on a grey ground
  TSurface grey(40, 6, clGray);
  Base->DrawSplitter(grey.Canvas.get(), TRect{0, 0, 40, 6}, false, false, true);
  EXPECT_EQ(grey.At(1, yThick + 1), clWhite);
}

TEST(PainterComposition, ProgressBarTextIsInvertedOverTheFilledPartWhenItsColourIsDefault) {
  TSurface s(60, 16, clWhite);
  s.Canvas->FillRect(TRect{0, 0, 30, 16}, clBlack);  // the filled chunk
  Base->DrawProgressBarText(s.Canvas.get(), false, false, u"MMMMMM", TRect{0, 0, 60, 16}, TRect{0, 0, 60, 16},
                            TRect{0, 0, 30, 16});
  Integer whiteOverChunk = 0, blackOverEmpty = 0;
  for (Integer y = 0; y < 16; ++y) {
    for (Integer x = 0; x < 30; ++x) whiteOverChunk += s.At(x, y) == clWhite;
    for (Integer x = 30; x < 60; ++x) blackOverEmpty += s.At(x, y) == clBlack;
  }
  EXPECT_GT(whiteOverChunk, 0);
  EXPECT_GT(blackOverEmpty, 0);
}

// Every operation of the family runs on every painter without raising (none
// is abstract), on one canvas.
TEST(PainterComposition, EveryPainterDrawsEveryPart) {
  for (auto painter : {Base, Standard, Flat, UltraFlat}) {
    TSurface s(120, 120);
    TvlCanvas* c = s.Canvas.get();
    const TRect r{10, 10, 60, 40};
    TvlViewParams params;
    params.Color = clWindow;
    params.TextColor = clWindowText;
    c->SaveClipRegion();
    painter->DrawClock(c, TRect{0, 0, 80, 80}, 0.5 + 1.0 / 24 / 4, clWindow);
    c->RestoreClipRegion();
    painter->DrawSchedulerNavigationButton(c, TRect{0, 0, 20, 100}, true, vlbsNormal, u"Next", TRect{2, 30, 18, 90},
                                           TRect{6, 10, 13, 17});
    painter->DrawSchedulerNavigationButton(c, TRect{20, 0, 40, 100}, false, vlbsPressed, u"", TRect{},
                                           TRect{26, 10, 33, 17});
    painter->DrawSchedulerNavigatorButton(c, r, vlbsHot);
    painter->DrawSchedulerEventProgress(c, r, TRect{11, 11, 30, 39}, params, false);
    painter->DrawSchedulerSplitterBorder(c, r, params, true);
    painter->DrawSchedulerSplitterBorder(c, r, params, false);
    painter->DrawSchedulerBorder(c, r);
    painter->DrawProgressBarText(c, true, true, u"50%", r, r, TRect{10, 10, 30, 40});
    painter->DrawProgressBarText(c, false, false, u"50%", r, r, TRect{10, 10, 30, 40}, clRed);
    painter->DrawPrintPreviewPageBackground(c, TRect{0, 0, 100, 100}, TRect{5, 5, 90, 90}, true, true);
    painter->DrawPrintPreviewPageBackground(c, TRect{0, 0, 100, 100}, TRect{5, 5, 90, 90}, false, false);
    painter->DrawPrintPreviewBackground(c, r);
    painter->DrawLayoutControlBackground(c, r);
    painter->DrawPanelBackground(c, nullptr, r);
    painter->DrawPanelContent(c, r, true);
    painter->DrawPanelCaption(c, r, vlgpTop);
    painter->DrawPanelBorders(c, r);
    painter->DrawGroupBoxBackground(c, r, r);
    painter->DrawGroupBoxContent(c, r, vlgpTop);
    painter->DrawGroupBoxCaption(c, r, vlgpLeft);
    painter->DrawNavigatorGlyph(c, vlIndicatorImages(), 0, 0, r, false, false);
    painter->DrawNavigatorGlyph(c, nullptr, 0, 0, r, true, false);
    painter->DrawEditorButton(c, r, vlbkComboBtn, vlbsNormal);
    painter->DrawTrackBar(c, r, r, true, true, true);
    painter->DrawTrackBarThumb(c, r, vlbsNormal, true, tbtaBoth);
    painter->DrawProgressBarBorder(c, r, false);
    painter->DrawProgressBarChunk(c, r, false);
    painter->DrawHeaderPressed(c, r);
    painter->DrawHeaderEx(c, r, r, {}, vlBordersAll, vlbsNormal, taCenter, vaCenter, true, true, u"A long header",
                          nullptr, clBtnText, clBtnFace);
    painter->DrawTab(c, r, vlBordersAll, u"Tab", vlbsNormal, false, nullptr, clBtnText, clBtnFace);
    painter->DrawWindowContent(c, r);
    painter->DrawButtonGroupBorder(c, r, false, true);
    painter->DrawExpandButtonEx(c, r, vlbsPressed, true);
    painter->DrawButton(c, r, u"Word wrapped caption", vlbsDefault, true, clDefault, clDefault, true);
    painter->DrawFooterContent(c, TRect{}, params);
    painter->DrawFooterSeparator(c, r);
    painter->DrawCheckBorder(c, r, vlbsNormal);
    painter->DrawRadioButton(c, 0, 0, vlbsHot, true, true, clDefault, true);
    TRect header = r;
    painter->DrawDateNavigatorDateHeader(c, header);
    EXPECT_FALSE(vlRectsEqual(header, r));
  }
}

}  // namespace
