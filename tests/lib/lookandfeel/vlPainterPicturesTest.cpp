// Reference pictures of the standard, flat and ultra-flat painters side by
// side (one column each, in that order), enlarged twice. docs/painters.md
// says what each picture shows.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/vcl/Graphics.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/LookAndFeelPicture.h"

namespace {

struct TFreeObject {
  void operator()(TObject* p) const { Free(p); }
};

const TvlCustomLookAndFeelPainterClass kPainters[] = {ClassOf<TvlStandardLookAndFeelPainter>(),
                                                      ClassOf<TvlFlatLookAndFeelPainter>(),
                                                      ClassOf<TvlUltraFlatLookAndFeelPainter>()};

const TvlButtonState kStates[] = {vlbsDefault, vlbsNormal, vlbsHot, vlbsPressed, vlbsDisabled};

using TCellProc = std::function<void(TvlCustomLookAndFeelPainterClass P, TvlCanvas* C, Integer X, Integer Y)>;

// A sheet of AColumnWidth x AHeight per painter on clBtnFace (so that the
// highlight edges show); each
// column is drawn by AProc with its top-left corner.
void DrawSheet(const std::string& AName, Integer AColumnWidth, Integer AHeight, const TCellProc& AProc) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the test font is missing";
  foundation_test::TReferenceFont font;
  std::unique_ptr<TBitmap, TFreeObject> bitmap(New<TBitmap>());
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(AColumnWidth * 3, AHeight);
  std::unique_ptr<TvlCanvas, TFreeObject> canvas(New<TvlCanvas>(bitmap->Canvas()));
  canvas->FillRect(TRect{0, 0, AColumnWidth * 3, AHeight}, clBtnFace);
  canvas->Font()->SetName(u"Tahoma");
  canvas->Font()->SetHeight(-11);
  for (Integer i = 0; i < 3; ++i) {
    canvas->SaveClipRegion();
    canvas->IntersectClipRect(TRect{i * AColumnWidth, 0, (i + 1) * AColumnWidth, AHeight});
    canvas->Font()->SetColor(clBlack);
    AProc(kPainters[i], canvas.get(), i * AColumnWidth, 0);
    canvas->RestoreClipRegion();
  }
  lookandfeel_test::ExpectMatchesReference(bitmap.get(), AName, 2);
}

TEST(PainterPictures, ButtonsArrowsAndExpandButtons) {
  DrawSheet("painters-buttons", 150, 176, [](auto P, TvlCanvas* C, Integer X, Integer Y) {
    for (Integer i = 0; i < 5; ++i) {
      const Integer y = Y + 4 + i * 24;
      const TvlButtonState s = kStates[i];
      P->DrawButton(C, TRect{X + 4, y, X + 60, y + 21}, u"&OK", s);
      P->DrawArrow(C, TRect{X + 64, y + 2, X + 81, y + 19}, s, adDown, true);
      P->DrawScrollBarArrow(C, TRect{X + 84, y + 2, X + 101, y + 19}, s, adRight);
      P->DrawFilterCloseButton(C, TRect{X + 104, y + 3, X + 120, y + 18}, s);
      P->DrawFilterDropDownButton(C, TRect{X + 124, y + 2, X + 139, y + 19}, s, i == 3);
    }
    const Integer y = Y + 126;
    const Integer e = P->ExpandButtonSize();
    P->DrawExpandButton(C, TRect{X + 4, y, X + 4 + e, y + e}, false);
    C->RestoreClipRegion();  // the expand button excluded itself
    C->SaveClipRegion();
    C->IntersectClipRect(TRect{X, 0, X + 150, 176});
    P->DrawExpandButton(C, TRect{X + 20, y, X + 20 + e, y + e}, true);
    C->RestoreClipRegion();
    C->SaveClipRegion();
    C->IntersectClipRect(TRect{X, 0, X + 150, 176});
    P->DrawSmallExpandButton(C, TRect{X + 36, y, X + 45, y + 9}, false, clBtnShadow, clWindow);
    P->DrawSmallExpandButton(C, TRect{X + 48, y, X + 57, y + 9}, true, clBtnShadow);
    P->DrawGroupExpandButton(C, TRect{X + 62, y, X + 77, y + 15}, false, vlbsNormal);
    P->DrawGroupExpandButton(C, TRect{X + 80, y, X + 95, y + 15}, true, vlbsHot);
    for (Integer i = 0; i < 4; ++i) {
      const TvlButtonState s = i == 3 ? vlbsPressed : vlbsNormal;
      P->DrawButtonInGroup(C, TRect{X + 4 + i * 24, y + 22, X + 28 + i * 24, y + 44}, i == 1 ? vlbsHot : s, 4, i,
                           clWindow);
    }
    P->DrawArrow(C, TRect{X + 104, y + 22, X + 113, y + 31}, adUp, clBtnText);
    P->DrawArrow(C, TRect{X + 116, y + 22, X + 125, y + 31}, adLeft, clBtnText);
  });
}

TEST(PainterPictures, CheckBoxesAndRadioButtons) {
  DrawSheet("painters-checks", 120, 128, [](auto P, TvlCanvas* C, Integer X, Integer Y) {
    const TSize cs = P->CheckButtonSize();
    const TSize rs = P->RadioButtonSize();
    for (Integer i = 0; i < 5; ++i) {
      const Integer y = Y + 4 + i * 24;
      const TvlButtonState s = kStates[i];
      for (Integer k = 0; k < 3; ++k)
        P->DrawCheckButton(C, TRect{X + 4 + k * 18, y, X + 4 + k * 18 + cs.cx, y + cs.cy}, s,
                           static_cast<TvlCheckBoxState>(k));
      P->DrawRadioButton(C, X + 60, y, s, false, false, clBtnFace);
      P->DrawRadioButton(C, X + 60 + rs.cx + 4, y, s, true, i == 1, clBtnFace);
      P->DrawFilterActivateButton(C, TRect{X + 100, y, X + 113, y + 13}, s, i % 2 == 0);
    }
  });
}

TEST(PainterPictures, HeadersFootersIndicatorsAndFrames) {
  DrawSheet("painters-headers", 210, 262, [](auto P, TvlCanvas* C, Integer X, Integer Y) {
    TFont* font = C->Font();
    // a header row: three cells, neighbours between them, sorting marks
    const Integer h = P->HeaderHeight(13);
    const TRect cells[] = {{X + 4, Y + 4, X + 70, Y + 4 + h}, {X + 70, Y + 4, X + 136, Y + 4 + h},
                           {X + 136, Y + 4, X + 202, Y + 4 + h}};
    const TvlNeighbors neighbours[] = {{nRight}, {nLeft, nRight}, {nLeft}};
    const char16_t* texts[] = {u"Index", u"Card", u"Amount"};
    for (Integer i = 0; i < 3; ++i) {
      const TvlBorders borders = P->HeaderBorders(neighbours[i]);
      const TRect bounds = P->HeaderBounds(cells[i], neighbours[i], borders);
      P->DrawHeader(C, bounds, vlInflateRectBy(bounds, -3, -2), neighbours[i], borders, vlbsNormal, taLeftJustify,
                    vaCenter, false, true, texts[i], font, clBtnText, P->DefaultHeaderColor());
      if (i > 0) P->DrawSortingMark(C, TRect{bounds.Right - 16, bounds.Top, bounds.Right - 2, bounds.Bottom}, i == 1);
    }
    // header-control sections in each state
    for (Integer i = 0; i < 5; ++i) {
      const TRect r{X + 4 + i * 40, Y + 30, X + 42 + i * 40, Y + 50};
      P->DrawHeaderControlSection(C, r, r, {}, vlBordersAll, kStates[i], taCenter, vaCenter, false, false, u"Ab",
                                  font, clBtnText, clBtnFace);
    }
    // indicators: every kind, then the customization mark
    for (Integer k = 0; k < 7; ++k) {
      const TRect r{X + 4 + k * 22, Y + 56, X + 24 + k * 22, Y + 74};
      P->DrawIndicatorItem(C, r, static_cast<TvlIndicatorKind>(k), P->DefaultHeaderColor());
    }
    P->DrawIndicatorItemEx(C, TRect{X + 4, Y + 78, X + 24, Y + 96}, ikArrow, P->DefaultHeaderColor());
    P->DrawIndicatorCustomizationMark(C, TRect{X + 30, Y + 78, X + 50, Y + 96}, clBtnText);
    // a footer panel with two cells
    const TRect panel{X + 4, Y + 102, X + 202, Y + 128};
    TvlViewParams params;
    params.Color = P->DefaultFooterColor();
    params.TextColor = P->DefaultFooterTextColor();
    P->DrawFooterPanel(C, panel, params, P->FooterBorders());
    const Integer o = P->FooterCellOffset() + P->FooterBorderSize();
    P->DrawFooterCell(C, TRect{panel.Left + 60, panel.Top + o + 1, panel.Left + 128, panel.Bottom - o}, taRightJustify,
                      vaCenter, false, u"1.250", font, clBtnText, P->DefaultFooterColor());
    P->DrawFooterCell(C, TRect{panel.Left + 130, panel.Top + o + 1, panel.Right - o, panel.Bottom - o},
                      taRightJustify, vaCenter, false, u"37", font, clBtnText, P->DefaultFooterColor());
    // borders, separators, group-box frames, label lines
    P->DrawBorder(C, TRect{X + 4, Y + 134, X + 44, Y + 164});
    P->DrawSeparator(C, TRect{X + 48, Y + 134, X + 88, Y + 144}, false);
    P->DrawSeparator(C, TRect{X + 48, Y + 146, X + 58, Y + 164}, true);
    P->DrawLabelLine(C, TRect{X + 62, Y + 150, X + 100, Y + 152}, clDefault, clDefault, false);
    C->SaveClipRegion();
    P->DrawGroupBoxFrame(C, TRect{X + 104, Y + 134, X + 150, Y + 164}, true, vlgpTop);
    P->DrawGroupBoxFrame(C, TRect{X + 156, Y + 134, X + 202, Y + 164}, false, vlgpTop, TvlBorders{bLeft, bBottom});
    C->RestoreClipRegion();
    // the group-by box, the filter panel and a month header with both arrows
    P->DrawGroupByBox(C, TRect{X + 4, Y + 170, X + 100, Y + 186}, false, P->DefaultGroupByBoxColor(), nullptr);
    P->DrawFilterPanel(C, TRect{X + 104, Y + 170, X + 202, Y + 186}, false, P->DefaultFilterBoxColor(), nullptr);
    TvlViewParams month;
    month.Color = P->DefaultHeaderColor();
    month.TextColor = P->DefaultHeaderTextColor();
    month.Font = font;
    P->DrawMonthHeader(C, TRect{X + 4, Y + 192, X + 202, Y + 212}, u"March 2026", {}, month, haBoth, 20);
    // date-navigator header, header separator, size grip
    TRect dateHeader{X + 4, Y + 218, X + 80, Y + 234};
    P->DrawDateNavigatorDateHeader(C, dateHeader);
    TvlViewParams sep;
    sep.Color = clWindow;
    P->DrawHeaderSeparator(C, TRect{X + 84, Y + 224, X + 160, Y + 228}, 6, clBtnShadow, sep);
    const TSize grip = P->SizeGripSize();
    P->DrawSizeGrip(C, TRect{X + 202 - grip.cx, Y + 258 - grip.cy, X + 202, Y + 258}, P->DefaultSizeGripAreaColor());
  });
}

TEST(PainterPictures, ScrollBarsAndTabs) {
  DrawSheet("painters-scrollbars", 190, 180, [](auto P, TvlCanvas* C, Integer X, Integer Y) {
    // vertical bars: normal, a pressed page and hot line button, disabled
    for (Integer b = 0; b < 3; ++b) {
      const Integer x = X + 4 + b * 22;
      const TvlButtonState line = b == 2 ? vlbsDisabled : vlbsNormal;
      P->DrawScrollBarPart(C, false, TRect{x, Y + 4, x + 17, Y + 21}, sbpLineUp, b == 1 ? vlbsHot : line);
      P->DrawScrollBarPart(C, false, TRect{x, Y + 21, x + 17, Y + 40}, sbpPageUp, b == 1 ? vlbsPressed : line);
      P->DrawScrollBarPart(C, false, TRect{x, Y + 40, x + 17, Y + 70}, sbpThumbnail, line);
      P->DrawScrollBarPart(C, false, TRect{x, Y + 70, x + 17, Y + 100}, sbpPageDown, line);
      P->DrawScrollBarPart(C, false, TRect{x, Y + 100, x + 17, Y + 117}, sbpLineDown,
                           b == 1 ? vlbsPressed : line);
    }
    // a horizontal bar with the background drawn first
    P->DrawScrollBarBackground(C, TRect{X + 4, Y + 124, X + 120, Y + 141}, true);
    P->DrawScrollBarPart(C, true, TRect{X + 4, Y + 124, X + 21, Y + 141}, sbpLineUp, vlbsNormal);
    P->DrawScrollBarPart(C, true, TRect{X + 40, Y + 124, X + 70, Y + 141}, sbpThumbnail, vlbsHot);
    P->DrawScrollBarPart(C, true, TRect{X + 103, Y + 124, X + 120, Y + 141}, sbpLineDown, vlbsNormal);
    // tabs: a root with three horizontal tabs, the middle one selected (taller)
    const TRect root{X + 72, Y + 30, X + 186, Y + 100};
    P->DrawTabsRoot(C, root, TvlBorders{bLeft, bTop, bRight, bBottom}, false);
    const TRect tabs[] = {{X + 74, Y + 12, X + 110, Y + 30}, {X + 110, Y + 8, X + 148, Y + 31},
                          {X + 148, Y + 12, X + 184, Y + 30}};
    for (const TRect& t : tabs) {
      const TvlBorders sides{bLeft, bTop, bRight};
      const Integer b = std::max<Integer>(P->TabBorderSize(false), 1);
      P->DrawTabBorder(C, TRect{t.Left, t.Top, t.Left + b, t.Bottom}, bLeft, sides, false);
      P->DrawTabBorder(C, TRect{t.Left, t.Top, t.Right, t.Top + b}, bTop, sides, false);
      P->DrawTabBorder(C, TRect{t.Right - b, t.Top, t.Right, t.Bottom}, bRight, sides, false);
    }
    // vertical tabs on the left of a second root
    P->DrawTabsRoot(C, TRect{X + 100, Y + 110, X + 186, Y + 170}, TvlBorders{bTop, bRight, bBottom}, true);
    const TRect vt{X + 76, Y + 114, X + 100, Y + 150};
    const TvlBorders vs{bLeft, bTop, bBottom};
    P->DrawTabBorder(C, TRect{vt.Left, vt.Top, vt.Left + 1, vt.Bottom}, bLeft, vs, true);
    P->DrawTabBorder(C, TRect{vt.Left, vt.Top, vt.Right, vt.Top + 1}, bTop, vs, true);
    P->DrawTabBorder(C, TRect{vt.Left, vt.Bottom - 1, vt.Right, vt.Bottom}, bBottom, vs, true);
    // splitters
    P->DrawSplitter(C, TRect{X + 4, Y + 150, X + 70, Y + 156}, false, false, true);
    P->DrawSplitter(C, TRect{X + 4, Y + 160, X + 70, Y + 166}, true, false, true);
  });
}

}  // namespace

namespace {

TEST(PainterPictures, OtherControls) {
  DrawSheet("painters-controls", 200, 150, [](auto P, TvlCanvas* C, Integer X, Integer Y) {
    // a clock at 10:10:30
    C->SaveClipRegion();
    P->DrawClock(C, TRect{X + 4, Y + 4, X + 64, Y + 64}, (10 * 3600 + 10 * 60 + 30) / 86400.0, clWindow);
    C->RestoreClipRegion();
    // scheduler navigation buttons: previous with its text turned, next pressed without text
    TRect prev{X + 70, Y + 4, X + 90, Y + 100}, text, arrow;
    P->CalculateSchedulerNavigationButtonRects(false, false, TSize{40, 13}, TSize{40, 13}, prev, text, arrow);
    C->Font()->SetColor(clBlack);
    P->DrawSchedulerNavigationButton(C, prev, false, vlbsNormal, u"Earlier", text, arrow);
    TRect next{X + 94, Y + 4, X + 114, Y + 100};
    P->CalculateSchedulerNavigationButtonRects(true, true, TSize{40, 13}, TSize{40, 13}, next, text, arrow);
    P->DrawSchedulerNavigationButton(C, next, true, vlbsPressed, u"", text, arrow);
    P->DrawSchedulerNavigatorButton(C, TRect{X + 120, Y + 4, X + 140, Y + 20}, vlbsHot);
    // event progress, opaque and transparent
    TvlViewParams params;
    params.Color = clWindow;
    P->DrawSchedulerEventProgress(C, TRect{X + 120, Y + 26, X + 196, Y + 34}, TRect{X + 122, Y + 28, X + 150, Y + 32},
                                  params, false);
    P->DrawSchedulerEventProgress(C, TRect{X + 120, Y + 38, X + 196, Y + 46}, TRect{X + 122, Y + 40, X + 170, Y + 44},
                                  params, true);
    // progress-bar text: inverted over a filled half, then in two colours
    C->FillRect(TRect{X + 4, Y + 70, X + 64, Y + 86}, clWindow);
    C->FillRect(TRect{X + 4, Y + 70, X + 34, Y + 86}, clHighlight);
    P->DrawProgressBarText(C, false, false, u"50 %", TRect{X + 20, Y + 70, X + 64, Y + 86},
                           TRect{X + 4, Y + 70, X + 64, Y + 86}, TRect{X + 4, Y + 70, X + 34, Y + 86});
    // splitters, horizontal and vertical, highlighted below
    P->DrawSplitter(C, TRect{X + 4, Y + 92, X + 64, Y + 98}, false, false, true);
    P->DrawSplitter(C, TRect{X + 4, Y + 100, X + 64, Y + 106}, true, false, true);
    P->DrawSplitter(C, TRect{X + 120, Y + 50, X + 126, Y + 100}, false, false, false);
    // a print-preview page, selected, on the preview background
    P->DrawPrintPreviewBackground(C, TRect{X + 130, Y + 50, X + 196, Y + 146});
    C->SaveClipRegion();
    P->DrawPrintPreviewPageBackground(C, TRect{X + 136, Y + 56, X + 190, Y + 140},
                                      TRect{X + 138, Y + 58, X + 186, Y + 136}, true, true);
    C->RestoreClipRegion();
    // the panel content and a date-navigator header
    P->DrawPanelContent(C, TRect{X + 4, Y + 112, X + 64, Y + 126}, true);
    TRect dateHeader{X + 4, Y + 130, X + 64, Y + 146};
    P->DrawDateNavigatorDateHeader(C, dateHeader);
  });
}

}  // namespace
