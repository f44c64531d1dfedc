#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"

#include <algorithm>

#include "lib/foundation/nbUxTheme.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"

CL_IMPLEMENT_CLASS(TvlWinXPLookAndFeelPainter)

namespace {

// Parts of the theme classes.
constexpr int ButtonPush = 1, ButtonRadio = 2, ButtonCheck = 3, ButtonGroupBox = 4;
constexpr int ScrollArrow = 1, ScrollThumbHorz = 2, ScrollThumbVert = 3, ScrollTrackHorzUp = 4,
              ScrollTrackHorzDown = 5, ScrollTrackVertUp = 6, ScrollTrackVertDown = 7, ScrollGripperHorz = 8,
              ScrollGripperVert = 9, ScrollSizeBox = 10;
constexpr int HeaderItem = 1, HeaderItemLeft = 2, HeaderItemRight = 3;
constexpr int TabItem = 1, TabPane = 9;
constexpr int TreeGlyph = 2;
constexpr int ExplorerGroupExpand = 6, ExplorerGroupCollapse = 7;
constexpr int WindowSmallClose = 19;
constexpr int ComboDropDown = 1;
// The tool-bar separator parts are named after the bar: part 5 stands in a
// horizontal bar (a vertical line), part 6 in a vertical bar (a horizontal line).
constexpr int ToolBarButton = 1, ToolBarSeparator = 5, ToolBarSeparatorVert = 6;
constexpr int TrackBarTrack = 1;
constexpr int ListViewBorder = 5;
constexpr int ProgressBar = 1, ProgressChunk = 3;
constexpr int EditText = 1;

// State maps by button state (vlbsDefault, vlbsNormal, vlbsHot, vlbsPressed, vlbsDisabled).
constexpr int PushStates[5] = {5, 1, 2, 3, 4};
constexpr int TabStates[5] = {1, 1, 2, 3, 4};  // also close and drop-down buttons
constexpr int HeaderStates[5] = {1, 1, 2, 3, 1};
constexpr int ThumbStates[5] = {1, 1, 2, 3, 4};
constexpr int ToolBarStates[5] = {2, 2, 5, 3, 4};

int CheckState(TvlButtonState AState, Boolean AChecked) { return TabStates[AState] + (AChecked ? 4 : 0); }

int ArrowState(TvlArrowDirection ADirection, TvlButtonState AState) {
  return 4 * Integer(ADirection) + TabStates[AState];
}

win::HTHEME Theme(TnbThemedObjectType AType) { return nbGetThemeHandle(AType); }

win::RECT AsRect(const TRect& R) { return win::RECT{R.Left, R.Top, R.Right, R.Bottom}; }

void DrawPart(TvlCanvas* ACanvas, win::HTHEME ATheme, int APart, int AState, const TRect& R) {
  ::DrawThemeBackground(ATheme, ACanvas->Handle(), APart, AState, AsRect(R));
}

// The part's content rectangle inside 100 x 100, as insets.
TRect ContentInsets(win::HTHEME ATheme, int APart, int AState) {
  win::RECT bounds{0, 0, 100, 100}, content{0, 0, 100, 100};
  ::GetThemeBackgroundContentRect(ATheme, nullptr, APart, AState, &bounds, &content);
  return Rect(content.left, content.top, 100 - content.right, 100 - content.bottom);
}

TSize PartSize(win::HTHEME ATheme, int APart, int AState, win::THEMESIZE ASize = win::TS_TRUE) {
  win::SIZE size{};
  if (::GetThemePartSize(ATheme, nullptr, APart, AState, ASize, &size) != S_OK) return TSize{};
  return TSize{size.cx, size.cy};
}

TColor ThemeColor(win::HTHEME ATheme, int APart, int AState, int AProperty, TColor ADefault) {
  win::COLORREF c{};
  return ::GetThemeColor(ATheme, APart, AState, AProperty, &c) == S_OK ? TColor(c) : ADefault;
}

using TStandard = TvlStandardLookAndFeelPainter;

}  // namespace

TvlLookAndFeelStyle TvlWinXPLookAndFeelPainter::LookAndFeelStyle() const { return lfsNative; }

Boolean TvlWinXPLookAndFeelPainter::NeedRedrawOnResize() const { return nbAreThemesAvailable({}); }

TColor TvlWinXPLookAndFeelPainter::DefaultSchedulerBorderColor() const {
  win::HTHEME theme = Theme(totComboBox);
  return theme ? ThemeColor(theme, 1, 1, win::TMT_BORDERCOLOR, inherited::DefaultSchedulerBorderColor())
               : inherited::DefaultSchedulerBorderColor();
}

TColor TvlWinXPLookAndFeelPainter::DefaultSchedulerViewContentColor() const {
  return vl_painters::Rgb(255, 255, 213);
}

// --- Arrows, borders and separators -----------------------------------------------------------------

void TvlWinXPLookAndFeelPainter::DrawArrow(TvlCanvas* ACanvas, const TRect& R, TvlArrowDirection AArrowDirection,
                                           TColor AColor) const {
  TvlCustomLookAndFeelPainter::DrawArrow(ACanvas, R, AArrowDirection, AColor);
}

void TvlWinXPLookAndFeelPainter::DrawArrow(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState,
                                           TvlArrowDirection AArrowDirection, Boolean ADrawBorder) const {
  if (win::HTHEME theme = Theme(totScrollBar))
    DrawPart(ACanvas, theme, ScrollArrow, ArrowState(AArrowDirection, AState), R);
  else
    TvlCustomLookAndFeelPainter::DrawArrow(ACanvas, R, AState, AArrowDirection, ADrawBorder);
}

void TvlWinXPLookAndFeelPainter::DrawArrowBorder(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState) const {
  if (win::HTHEME theme = Theme(totButton))
    DrawPart(ACanvas, theme, ButtonPush, PushStates[AState], R);
  else
    TvlCustomLookAndFeelPainter::DrawArrowBorder(ACanvas, R, AState);
}

Integer TvlWinXPLookAndFeelPainter::BorderSize() const {
  return Theme(totListView) ? 1 : inherited::BorderSize();
}

void TvlWinXPLookAndFeelPainter::DrawBorder(TvlCanvas* ACanvas, TRect R) const {
  win::HTHEME theme = Theme(totListView);
  if (!theme) {
    inherited::DrawBorder(ACanvas, R);
    return;
  }
  ACanvas->SaveDC();
  ACanvas->ExcludeClipRect(vl_painters::Deflated(R, 1));
  DrawPart(ACanvas, theme, ListViewBorder, 0, R);
  ACanvas->RestoreDC();
}

void TvlWinXPLookAndFeelPainter::DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const {
  if (win::HTHEME theme = Theme(totToolBar))
    DrawPart(ACanvas, theme, AIsVertical ? ToolBarSeparator : ToolBarSeparatorVert, 1, R);
  else
    inherited::DrawSeparator(ACanvas, R, AIsVertical);
}

// --- Buttons ------------------------------------------------------------------------------------------------

TRect TvlWinXPLookAndFeelPainter::AdjustGroupButtonDisplayRect(const TRect& R, Integer AButtonCount,
                                                               Integer AButtonIndex) const {
  win::HTHEME theme = Theme(totButton);
  if (theme && ::IsThemeBackgroundPartiallyTransparent(theme, ButtonPush, 1)) return vlInflateRectBy(R, 1, 1);
  return R;
}

Integer TvlWinXPLookAndFeelPainter::ButtonBorderSize(TvlButtonState AState) const {
  win::HTHEME theme = Theme(totButton);
  return theme ? ContentInsets(theme, ButtonPush, PushStates[AState]).Left : inherited::ButtonBorderSize(vlbsNormal);
}

TColor TvlWinXPLookAndFeelPainter::ButtonColor(TvlButtonState AState) const {
  // The fill colour of the push button in the state, clBtnFace when the
  // theme has none.
  win::HTHEME theme = Theme(totButton);
  return theme ? ThemeColor(theme, ButtonPush, PushStates[AState], win::TMT_FILLCOLOR, clBtnFace)
               : inherited::ButtonColor(AState);
}

TRect TvlWinXPLookAndFeelPainter::ButtonFocusRect(TvlCanvas* ACanvas, TRect R) const {
  win::HTHEME theme = Theme(totButton);
  if (!theme) return inherited::ButtonFocusRect(ACanvas, R);
  win::RECT bounds = AsRect(R), content{};
  if (::GetThemeBackgroundContentRect(theme, ACanvas->Handle(), ButtonPush, 1, &bounds, &content) != S_OK)
    return inherited::ButtonFocusRect(ACanvas, R);
  return Rect(content.left, content.top, content.right, content.bottom);
}

TRect TvlWinXPLookAndFeelPainter::ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const {
  win::HTHEME theme = Theme(totButton);
  if (!theme) return inherited::ButtonGroupBorderSizes(AButtonCount, AButtonIndex);
  TRect result = ContentInsets(theme, ButtonPush, 1);
  if (::IsThemeBackgroundPartiallyTransparent(theme, ButtonPush, 1)) result = vlOffsetRect(result, -1, -1);
  return result;
}

Integer TvlWinXPLookAndFeelPainter::ButtonTextOffset() const { return 2; }
Integer TvlWinXPLookAndFeelPainter::ButtonTextShift() const { return 0; }
Boolean TvlWinXPLookAndFeelPainter::IsButtonHotTrack() const { return true; }

TColor TvlWinXPLookAndFeelPainter::ButtonSymbolColor(TvlButtonState AState, TColor ADefaultColor) const {
  win::HTHEME theme = Theme(totButton);
  if (!theme) return inherited::ButtonSymbolColor(AState, ADefaultColor);
  return ThemeColor(theme, ButtonPush, PushStates[AState], win::TMT_TEXTCOLOR,
                    inherited::ButtonSymbolColor(AState, ADefaultColor));
}

void TvlWinXPLookAndFeelPainter::DrawButton(TvlCanvas* ACanvas, TRect R, const String& ACaption,
                                            TvlButtonState AState, Boolean ADrawBorder, TColor AColor,
                                            TColor ATextColor, Boolean AWordWrap, Boolean AIsToolButton) const {
  win::HTHEME theme = Theme(AIsToolButton ? totToolBar : totButton);
  if (!theme) {
    inherited::DrawButton(ACanvas, R, ACaption, AState, ADrawBorder, AColor, ATextColor, AWordWrap, AIsToolButton);
    return;
  }
  const int state = PushStates[AState];  // tool buttons too: the tool-bar map is the scheduler navigator's
  DrawPart(ACanvas, theme, AIsToolButton ? ToolBarButton : ButtonPush, state, R);
  DrawThemedText(ACanvas, theme, AIsToolButton ? ToolBarButton : ButtonPush, state, R, R, taCenter, vaCenter, false,
                 false, true, ACaption, ACanvas->Font(), ACanvas->Font()->Color(), clNone);
}

// --- Expand buttons ---------------------------------------------------------------------------------------

void TvlWinXPLookAndFeelPainter::DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                  TColor AColor) const {
  win::HTHEME theme = Theme(totTreeview);
  if (!theme) {
    inherited::DrawExpandButton(ACanvas, R, AExpanded, AColor);
    return;
  }
  DrawPart(ACanvas, theme, TreeGlyph, AExpanded ? 2 : 1, R);
  ACanvas->ExcludeClipRect(R);
}

Boolean TvlWinXPLookAndFeelPainter::DrawExpandButtonFirst() const { return false; }

void TvlWinXPLookAndFeelPainter::DrawGroupExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                       TvlButtonState AState) const {
  win::HTHEME theme = Theme(totExplorerBar);
  if (!theme) {
    inherited::DrawGroupExpandButton(ACanvas, R, AExpanded, AState);
    return;
  }
  const int state = AState == vlbsHot ? 2 : AState == vlbsPressed ? 3 : 1;
  DrawPart(ACanvas, theme, AExpanded ? ExplorerGroupExpand : ExplorerGroupCollapse, state, R);
}

void TvlWinXPLookAndFeelPainter::DrawSmallExpandButton(TvlCanvas* ACanvas, TRect R, Boolean AExpanded,
                                                       TColor ABorderColor, TColor AColor) const {
  if (Theme(totTreeview))
    DrawExpandButton(ACanvas, R, AExpanded);
  else
    TvlCustomLookAndFeelPainter::DrawSmallExpandButton(ACanvas, R, AExpanded, ABorderColor);
}

Integer TvlWinXPLookAndFeelPainter::ExpandButtonSize() const {
  win::HTHEME theme = Theme(totTreeview);
  return theme ? PartSize(theme, TreeGlyph, 1).cx : inherited::ExpandButtonSize();
}

Integer TvlWinXPLookAndFeelPainter::SmallExpandButtonSize() const {
  win::HTHEME theme = Theme(totTreeview);
  return theme ? PartSize(theme, TreeGlyph, 1).cx : TvlCustomLookAndFeelPainter::SmallExpandButtonSize();
}

Integer TvlWinXPLookAndFeelPainter::GroupExpandButtonSize() const {
  win::HTHEME theme = Theme(totExplorerBar);
  return theme ? PartSize(theme, ExplorerGroupCollapse, 1).cx : TvlCustomLookAndFeelPainter::GroupExpandButtonSize();
}

Boolean TvlWinXPLookAndFeelPainter::IsPointOverGroupExpandButton(const TRect& R, const TPoint& P) const {
  win::HTHEME theme = Theme(totExplorerBar);
  if (!theme) return TvlCustomLookAndFeelPainter::IsPointOverGroupExpandButton(R, P);
  win::RECT r = AsRect(R);
  win::HRGN region = nullptr;
  if (::GetThemeBackgroundRegion(theme, nullptr, ExplorerGroupCollapse, 1, &r, &region) != S_OK || !region)
    return false;
  const Boolean result = win::PtInRegion(region, P.x, P.y) != 0;
  win::DeleteObject(region);
  return result;
}

// --- Check boxes and radio buttons ------------------------------------------------------------------------

Integer TvlWinXPLookAndFeelPainter::CheckBorderSize() const {
  return Theme(totButton) ? 0 : TvlCustomLookAndFeelPainter::CheckBorderSize();
}

TSize TvlWinXPLookAndFeelPainter::CheckButtonSize() const {
  win::HTHEME theme = Theme(totButton);
  return theme ? PartSize(theme, ButtonCheck, 5) : TvlCustomLookAndFeelPainter::CheckButtonSize();
}

void TvlWinXPLookAndFeelPainter::DrawCheck(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState,
                                           Boolean AChecked, TColor AColor) const {
  if (win::HTHEME theme = Theme(totButton))
    DrawPart(ACanvas, theme, ButtonCheck, CheckState(AState, AChecked), R);
  else
    TvlCustomLookAndFeelPainter::DrawCheck(ACanvas, R, AState, AChecked, AColor);
}

void TvlWinXPLookAndFeelPainter::DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  if (!Theme(totButton)) inherited::DrawCheckBorder(ACanvas, R, AState);
}

void TvlWinXPLookAndFeelPainter::DrawRadioButton(TvlCanvas* ACanvas, Integer X, Integer Y,
                                                 TvlButtonState AButtonState, Boolean AChecked, Boolean AFocused,
                                                 TColor ABrushColor, Boolean AIsDesigning) const {
  win::HTHEME theme = Theme(totButton);
  if (!theme) {
    inherited::DrawRadioButton(ACanvas, X, Y, AButtonState, AChecked, AFocused, ABrushColor, AIsDesigning);
    return;
  }
  const TSize size = RadioButtonSize();
  DrawPart(ACanvas, theme, ButtonRadio, CheckState(AButtonState, AChecked), Bounds(X, Y, size.cx, size.cy));
}

TSize TvlWinXPLookAndFeelPainter::RadioButtonSize() const {
  win::HTHEME theme = Theme(totButton);
  return theme ? PartSize(theme, ButtonRadio, 1) : inherited::RadioButtonSize();
}

// --- Headers ------------------------------------------------------------------------------------------------

void TvlWinXPLookAndFeelPainter::DrawHeader(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                            TvlNeighbors ANeighbors, TvlBorders ABorders, TvlButtonState AState,
                                            TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                            Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                            TFont* AFont, TColor ATextColor, TColor ABkColor,
                                            const TvlDrawBackgroundEvent& AOnDrawBackground, Boolean AIsLast,
                                            Boolean AIsGroup) const {
  win::HTHEME theme = Theme(totHeader);
  if (!theme) {
    inherited::DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz,
                          AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor,
                          AOnDrawBackground, AIsLast, AIsGroup);
    return;
  }
  // The last header of the blue and olive schemes has its own right edge.
  const Byte scheme = nbOffice11ColorScheme();
  const int part = AIsLast && (AState == vlbsNormal || AState == vlbsDisabled) && (scheme == 1 || scheme == 2)
                       ? HeaderItemRight
                       : HeaderItem;
  const int state = HeaderStates[AState];
  DrawPart(ACanvas, theme, part, state, ABounds);
  TRect textRect = ATextAreaBounds;
  if (AState == vlbsPressed) textRect = vlOffsetRect(textRect, 1, 1);
  DrawThemedText(ACanvas, theme, part, state, ABounds, textRect, AAlignmentHorz, AAlignmentVert, AMultiLine,
                 AShowEndEllipsis, false, AText, AFont, ATextColor, ABkColor);
}

void TvlWinXPLookAndFeelPainter::DrawHeaderPressed(TvlCanvas*, const TRect&) const {}

void TvlWinXPLookAndFeelPainter::DrawHeaderControlSection(
    TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
    TvlBorders ABorders, TvlButtonState AState, TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
    Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
    TColor ABkColor) const {
  ACanvas->FillRect(ABounds, clBtnFace);
  DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert,
             AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor);
}

void TvlWinXPLookAndFeelPainter::DrawSortingMark(TvlCanvas* ACanvas, const TRect& R,
                                                 Boolean AAscendingSorting) const {
  ClassOf<TvlUltraFlatLookAndFeelPainter>()->DrawSortingMark(ACanvas, R, AAscendingSorting);
}

TPoint TvlWinXPLookAndFeelPainter::SortingMarkSize() const {
  return ClassOf<TvlUltraFlatLookAndFeelPainter>()->SortingMarkSize();
}

Integer TvlWinXPLookAndFeelPainter::HeaderBorderSize() const {
  win::HTHEME theme = Theme(totHeader);
  if (!theme) return inherited::HeaderBorderSize();
  const TRect insets = ContentInsets(theme, HeaderItem, 1);
  return std::max(1, (insets.Left + insets.Top) / 2);
}

Integer TvlWinXPLookAndFeelPainter::HeaderControlSectionBorderSize(TvlButtonState) const {
  return HeaderBorderSize();
}

TRect TvlWinXPLookAndFeelPainter::HeaderControlSectionContentBounds(const TRect& ABounds,
                                                                   TvlButtonState AState) const {
  if (!Theme(totHeader)) return TvlCustomLookAndFeelPainter::HeaderControlSectionContentBounds(ABounds, AState);
  return vl_painters::Deflated(ABounds, HeaderBorderSize());
}

Boolean TvlWinXPLookAndFeelPainter::IsHeaderHotTrack() const { return true; }

// --- Footers ----------------------------------------------------------------------------------------------

void TvlWinXPLookAndFeelPainter::DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const {
  win::HTHEME theme = Theme(totEdit);
  if (!theme) {
    inherited::DrawFooterBorder(ACanvas, R);
    return;
  }
  win::RECT r = AsRect(R);
  ::DrawThemeEdge(theme, ACanvas->Handle(), EditText, 1, &r, win::BDR_RAISEDINNER, win::BF_RECT, nullptr);
}

void TvlWinXPLookAndFeelPainter::DrawFooterCell(TvlCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                                                TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                                                const String& AText, TFont* AFont, TColor ATextColor,
                                                TColor ABkColor,
                                                const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  win::HTHEME theme = Theme(totTrackBar);
  if (!theme) {
    inherited::DrawFooterCell(ACanvas, ABounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AText, AFont, ATextColor,
                              ABkColor, AOnDrawBackground);
    return;
  }
  DrawPart(ACanvas, theme, TrackBarTrack, 1, ABounds);
  DrawThemedText(ACanvas, theme, TrackBarTrack, 1, ABounds, FooterCellTextAreaBounds(ABounds), AAlignmentHorz,
                 AAlignmentVert, AMultiLine, false, false, AText, AFont, ATextColor, ABkColor);
}

Integer TvlWinXPLookAndFeelPainter::FooterBorderSize() const {
  return Theme(totEdit) ? 1 : inherited::FooterBorderSize();
}

Integer TvlWinXPLookAndFeelPainter::FooterCellBorderSize() const {
  win::HTHEME theme = Theme(totTrackBar);
  return theme ? ContentInsets(theme, TrackBarTrack, 1).Left : inherited::FooterCellBorderSize();
}

Integer TvlWinXPLookAndFeelPainter::FooterCellOffset() const {
  return Theme(totTrackBar) ? 1 : inherited::FooterCellOffset();
}

Boolean TvlWinXPLookAndFeelPainter::FooterDrawCellsFirst() const { return false; }

// --- Filter buttons -------------------------------------------------------------------------------------

void TvlWinXPLookAndFeelPainter::DrawFilterCloseButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  if (win::HTHEME theme = Theme(totWindow))
    DrawPart(ACanvas, theme, WindowSmallClose, TabStates[AState], R);
  else
    TvlCustomLookAndFeelPainter::DrawFilterCloseButton(ACanvas, R, AState);
}

void TvlWinXPLookAndFeelPainter::DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                          Boolean AIsFilterActive) const {
  if (win::HTHEME theme = Theme(totComboBox))
    DrawPart(ACanvas, theme, ComboDropDown, TabStates[AState], R);
  else
    inherited::DrawFilterDropDownButton(ACanvas, R, AState, AIsFilterActive);
}

TPoint TvlWinXPLookAndFeelPainter::FilterActivateButtonSize() const {
  win::HTHEME theme = Theme(totButton);
  if (!theme) return TvlCustomLookAndFeelPainter::FilterActivateButtonSize();
  const TSize size = PartSize(theme, ButtonCheck, 5);
  return TPoint{size.cx, size.cy};
}

TPoint TvlWinXPLookAndFeelPainter::FilterCloseButtonSize() const {
  win::HTHEME theme = Theme(totWindow);
  if (!theme) return TvlCustomLookAndFeelPainter::FilterCloseButtonSize();
  const TSize size = PartSize(theme, WindowSmallClose, 1);
  return TPoint{size.cx + 4, size.cy + 4};
}

// --- Tabs -----------------------------------------------------------------------------------------------

void TvlWinXPLookAndFeelPainter::DrawTab(TvlCanvas* ACanvas, TRect R, TvlBorders ABorders, const String& AText,
                                         TvlButtonState AState, Boolean AVertical, TFont* AFont, TColor ATextColor,
                                         TColor ABkColor, Boolean AShowPrefix) const {
  win::HTHEME theme = Theme(totTab);
  if (!theme) {
    TvlCustomLookAndFeelPainter::DrawTab(ACanvas, R, ABorders, AText, AState, AVertical, AFont, ATextColor, ABkColor,
                                         AShowPrefix);
    return;
  }
  // The tab reaches 2 pixels further on its sides without a border.
  TRect tab = R;
  if (!ABorders.Contains(bLeft)) tab.Left -= 2;
  if (!ABorders.Contains(bTop)) tab.Top -= 2;
  if (!ABorders.Contains(bRight)) tab.Right += 2;
  if (!ABorders.Contains(bBottom)) tab.Bottom += 2;
  const int state = TabStates[AState];
  TRect textRect = R;
  if (AState == vlbsPressed) textRect = AVertical ? vlOffsetRect(textRect, -2, 0) : vlOffsetRect(textRect, 0, -2);
  if (!AVertical) {
    DrawPart(ACanvas, theme, TabItem, state, tab);
  } else {
    // Drawn upright on a bitmap, then turned by +90 degrees.
    const Integer w = tab.Right - tab.Left, h = tab.Bottom - tab.Top;
    TBitmap* bitmap = vlCreateBitmapOfSize(h, w, pf32bit);
    TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
    DrawPart(canvas, theme, TabItem, state, Rect(0, 0, h, w));
    canvas->RotateBitmap(bitmap, raPlus90);
    Free(canvas);
    ACanvas->Draw(tab.Left, tab.Top, bitmap);
    Free(bitmap);
  }
  DrawThemedText(ACanvas, theme, TabItem, state, R, textRect, taCenter, vaCenter, false, false, AShowPrefix, AText,
                 AFont, ATextColor, ABkColor);
}

void TvlWinXPLookAndFeelPainter::DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder, TvlBorders ABorders,
                                               Boolean AVertical) const {
  if (!Theme(totTab)) inherited::DrawTabBorder(ACanvas, R, ABorder, ABorders, AVertical);
}

void TvlWinXPLookAndFeelPainter::DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders,
                                              Boolean AVertical) const {
  win::HTHEME theme = Theme(totTab);
  if (!theme) {
    inherited::DrawTabsRoot(ACanvas, R, ABorders, AVertical);
    return;
  }
  // Only the pane's edge next to the tabs shows: the pane reaches beyond R
  // by its content insets and 10 pixels on the far side.
  const TRect insets = ContentInsets(theme, TabPane, 1);
  TRect pane = R;
  if (AVertical) {
    pane.Top -= insets.Top;
    pane.Bottom += insets.Bottom;
    pane.Right += insets.Right + 10;
  } else {
    pane.Left -= insets.Left;
    pane.Right += insets.Right;
    pane.Bottom += insets.Bottom + 10;
  }
  win::RECT clip = AsRect(R);
  ::DrawThemeBackground(theme, ACanvas->Handle(), TabPane, 1, AsRect(pane), &clip);
}

Boolean TvlWinXPLookAndFeelPainter::IsDrawTabImplemented(Boolean AVertical) const {
  return Theme(totTab) ? true : TvlCustomLookAndFeelPainter::IsDrawTabImplemented(AVertical);
}

Boolean TvlWinXPLookAndFeelPainter::IsTabHotTrack(Boolean AVertical) const {
  return Theme(totTab) ? true : TvlCustomLookAndFeelPainter::IsTabHotTrack(AVertical);
}

Integer TvlWinXPLookAndFeelPainter::TabBorderSize(Boolean) const { return 1; }

// --- Splitter, indicator, scroll bars, size grip -----------------------------------------------------------

void TvlWinXPLookAndFeelPainter::DrawSplitter(TvlCanvas*, const TRect&, Boolean, Boolean, Boolean) const {}

void TvlWinXPLookAndFeelPainter::DrawIndicatorItem(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind,
                                                   TColor AColor,
                                                   const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  // The base drawing with the flat painter's operations.
  ClassOf<TvlFlatLookAndFeelPainter>()->TvlCustomLookAndFeelPainter::DrawIndicatorItem(ACanvas, R, AKind, AColor,
                                                                                       AOnDrawBackground);
}

Integer TvlWinXPLookAndFeelPainter::ScrollBarMinimalThumbSize(Boolean AVertical) const {
  win::HTHEME theme = Theme(totScrollBar);
  if (!theme) return 8;
  const int part = AVertical ? ScrollGripperVert : ScrollGripperHorz;
  win::SIZE minimum{}, actual{};
  if (::GetThemePartSize(theme, nullptr, part, 1, win::TS_MIN, &minimum) != S_OK) return 8;
  const Integer along = AVertical ? minimum.cy : minimum.cx;
  if (::GetThemePartSize(theme, nullptr, part, 1, win::TS_TRUE, &actual) == S_OK)
    return std::max({(AVertical ? actual.cx : actual.cy) + 4, along, Integer(8)});
  return std::max(along, Integer(8));
}

void TvlWinXPLookAndFeelPainter::DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R,
                                                   TvlScrollBarPart APart, TvlButtonState AState) const {
  win::HTHEME theme = Theme(totScrollBar);
  if (!theme) {
    inherited::DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
    return;
  }
  if (vlIsRectEmpty(R)) return;
  switch (APart) {
    case sbpLineUp:
      DrawArrow(ACanvas, R, AState, AHorizontal ? adLeft : adUp, true);
      break;
    case sbpLineDown:
      DrawArrow(ACanvas, R, AState, AHorizontal ? adRight : adDown, true);
      break;
    case sbpThumbnail:
      DrawPart(ACanvas, theme, AHorizontal ? ScrollThumbHorz : ScrollThumbVert, ThumbStates[AState], R);
      DrawPart(ACanvas, theme, AHorizontal ? ScrollGripperHorz : ScrollGripperVert, 0, R);
      break;
    case sbpPageUp:
      DrawPart(ACanvas, theme, AHorizontal ? ScrollTrackHorzUp : ScrollTrackVertUp, ThumbStates[AState], R);
      break;
    case sbpPageDown:
      DrawPart(ACanvas, theme, AHorizontal ? ScrollTrackHorzDown : ScrollTrackVertDown, ThumbStates[AState], R);
      break;
    default:
      break;
  }
}

void TvlWinXPLookAndFeelPainter::DrawSizeGrip(TvlCanvas* ACanvas, const TRect& ARect,
                                              TColor ABackgroundColor) const {
  win::HTHEME theme = Theme(totScrollBar);
  if (!theme) {
    TvlCustomLookAndFeelPainter::DrawSizeGrip(ACanvas, ARect, ABackgroundColor);
    return;
  }
  ACanvas->FillRect(ARect, ABackgroundColor);
  DrawPart(ACanvas, theme, ScrollSizeBox, 1, ARect);
}

// --- Scheduler, group box, panel, date navigator -------------------------------------------------------------

void TvlWinXPLookAndFeelPainter::DrawMonthHeader(TvlCanvas* ACanvas, const TRect& ABounds, const String& AText,
                                                 TvlNeighbors ANeighbors, const TvlViewParams& AViewParams,
                                                 TvlHeaderArrows AArrows, Integer ASideWidth,
                                                 const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  if (!Theme(totHeader)) {
    inherited::DrawMonthHeader(ACanvas, ABounds, AText, ANeighbors, AViewParams, AArrows, ASideWidth,
                               AOnDrawBackground);
    return;
  }
  DrawHeader(ACanvas, ABounds, ABounds, ANeighbors, HeaderBorders(ANeighbors), vlbsNormal, taCenter, vaCenter, false,
             false, AText, AViewParams.Font, AViewParams.TextColor, AViewParams.Color);
  vl_painters::DrawMonthHeaderArrows(ACanvas, ABounds, AArrows, ASideWidth, BorderSize());
}

void TvlWinXPLookAndFeelPainter::DrawSchedulerEventProgress(TvlCanvas* ACanvas, const TRect& ABounds,
                                                            const TRect& AProgress, const TvlViewParams& AViewParams,
                                                            Boolean ATransparent) const {
  win::HTHEME theme = Theme(totProgress);
  if (!theme) {
    TvlCustomLookAndFeelPainter::DrawSchedulerEventProgress(ACanvas, ABounds, AProgress, AViewParams, ATransparent);
    return;
  }
  DrawPart(ACanvas, theme, ProgressBar, 1, ABounds);
  DrawPart(ACanvas, theme, ProgressChunk, 1, AProgress);
}

TRect TvlWinXPLookAndFeelPainter::SchedulerEventProgressOffsets() const { return Rect(3, 3, 3, 3); }

void TvlWinXPLookAndFeelPainter::DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R,
                                                              TvlButtonState AState) const {
  if (win::HTHEME theme = Theme(totToolBar))
    DrawPart(ACanvas, theme, ToolBarButton, ToolBarStates[AState], R);
  else
    TvlCustomLookAndFeelPainter::DrawSchedulerNavigatorButton(ACanvas, R, AState);
}

void TvlWinXPLookAndFeelPainter::DrawSchedulerSplitterBorder(TvlCanvas* ACanvas, TRect R,
                                                             const TvlViewParams& AViewParams,
                                                             Boolean AIsHorizontal) const {
  if (!Theme(totComboBox) || !Theme(totListView)) {
    inherited::DrawSchedulerSplitterBorder(ACanvas, R, AViewParams, AIsHorizontal);
    return;
  }
  // Two lines in the combo box's border colour along the splitter's length.
  const TColor color = DefaultSchedulerBorderColor();
  if (AIsHorizontal) {
    ACanvas->FillRect(Rect(R.Left, R.Top, R.Right, R.Top + 1), color);
    ACanvas->FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom), color);
    R = vlInflateRectSides(R, 1, -1, 1, -1);
  } else {
    ACanvas->FillRect(Rect(R.Left, R.Top, R.Left + 1, R.Bottom), color);
    ACanvas->FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom), color);
    R = vlInflateRectSides(R, -1, 1, -1, 1);
  }
  ACanvas->FillRect(R, AViewParams);
}

void TvlWinXPLookAndFeelPainter::DrawSchedulerNavigationButtonContent(TvlCanvas* ACanvas, const TRect& ARect,
                                                                      const TRect& AArrowRect,
                                                                      Boolean AIsNextButton,
                                                                      TvlButtonState AState) const {
  win::HTHEME theme = Theme(totTab);
  if (!theme) {
    inherited::DrawSchedulerNavigationButtonContent(ACanvas, ARect, AArrowRect, AIsNextButton, AState);
    return;
  }
  // The button is a tab lying on its side: the area under it is turned
  // upright, the tab drawn in it, and the whole turned back.
  const Integer w = ARect.Right - ARect.Left, h = ARect.Bottom - ARect.Top;
  TBitmap* bitmap = vlCreateBitmapOfSize(w, h, pf32bit);
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  bitmap->Canvas()->CopyRect(Rect(0, 0, w, h), ACanvas->Canvas(), ARect);
  canvas->RotateBitmap(bitmap, AIsNextButton ? raPlus90 : raMinus90);
  DrawPart(canvas, theme, TabItem, TabStates[AState], Rect(0, 0, bitmap->Width(), bitmap->Height()));
  canvas->RotateBitmap(bitmap, AIsNextButton ? raMinus90 : raPlus90);
  Free(canvas);
  ACanvas->Draw(ARect.Left, ARect.Top, bitmap);
  Free(bitmap);
  DrawSchedulerNavigationButtonArrow(ACanvas, AArrowRect, AIsNextButton, ButtonSymbolColor(AState));
}

void TvlWinXPLookAndFeelPainter::DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled,
                                                   TvlGroupBoxCaptionPosition ACaptionPosition,
                                                   TvlBorders ABorders) const {
  if (win::HTHEME theme = Theme(totButton))
    DrawPart(ACanvas, theme, ButtonGroupBox, AEnabled ? 1 : 2, R);
  else
    inherited::DrawGroupBoxFrame(ACanvas, R, AEnabled, ACaptionPosition, ABorders);
}

TColor TvlWinXPLookAndFeelPainter::GroupBoxTextColor(Boolean AEnabled,
                                                     TvlGroupBoxCaptionPosition ACaptionPosition) const {
  win::HTHEME theme = Theme(totButton);
  const TColor base = TvlCustomLookAndFeelPainter::GroupBoxTextColor(AEnabled, ACaptionPosition);
  return theme ? ThemeColor(theme, ButtonGroupBox, AEnabled ? 1 : 2, win::TMT_TEXTCOLOR, base) : base;
}

void TvlWinXPLookAndFeelPainter::DrawPanelBackground(TvlCanvas* ACanvas, TWinControl* AControl, TRect ABounds,
                                                     TColor AColorFrom, TColor) const {
  if (AColorFrom == clDefault)
    vlDrawTransparentBackground(AControl, ACanvas, ABounds);
  else
    ACanvas->FillRect(ABounds, AColorFrom);
}

void TvlWinXPLookAndFeelPainter::DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const {
  if (win::HTHEME theme = Theme(totHeader))
    DrawPart(ACanvas, theme, HeaderItemLeft, 1, R);
  else
    inherited::DrawDateNavigatorDateHeader(ACanvas, R);
}

// --- Themed text -----------------------------------------------------------------------------------------------

void TvlWinXPLookAndFeelPainter::DrawThemedText(TvlCanvas* ACanvas, win::HTHEME ATheme, Integer APart,
                                                Integer AState, const TRect&, TRect ATextRect,
                                                TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                                Boolean AMultiLine, Boolean AShowEndEllipsis, Boolean AShowPrefix,
                                                const String& AText, TFont* AFont, TColor ATextColor,
                                                TColor) const {
  if (AText.empty()) return;
  if (AFont) ACanvas->SetFont(AFont);
  ACanvas->Font()->SetColor(ATextColor);
  if (AMultiLine)
    ACanvas->AlignMultiLineTextRectVertically(ATextRect, AText, AShowEndEllipsis, false, true, AShowPrefix, true,
                                              AAlignmentVert);
  win::DWORD flags = 8192;  // edit control
  flags |= AAlignmentHorz == taRightJustify ? 2 : AAlignmentHorz == taCenter ? 1 : 0;
  flags |= AAlignmentVert == vaBottom ? 8 : AAlignmentVert == vaCenter ? 4 : 0;
  flags |= AMultiLine ? 16 : 32;
  if (AShowEndEllipsis) flags |= 32768;
  if (!AShowPrefix) flags |= 2048;
  ACanvas->Canvas()->RequiredState(TCanvasStates{csHandleValid, csFontValid});
  ::DrawThemeText(ATheme, ACanvas->Handle(), APart, AState, AText, -1, flags, 0, AsRect(ATextRect));
}
