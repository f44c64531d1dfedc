// The painter that draws through the operating system's visual theme. Each
// operation asks for the theme handle of its object type and, without one,
// draws as the standard painter does.
#pragma once

#include "lib/lookandfeel/vlLookAndFeelPainters.h"

namespace win {
struct HTHEME__;
using HTHEME = HTHEME__*;
}  // namespace win

class TvlWinXPLookAndFeelPainter : public TvlStandardLookAndFeelPainter {
  CL_CLASS(TvlWinXPLookAndFeelPainter, TvlStandardLookAndFeelPainter)
 public:
  TvlLookAndFeelStyle LookAndFeelStyle() const override;
  Boolean NeedRedrawOnResize() const override;
  TColor DefaultSchedulerBorderColor() const override;
  TColor DefaultSchedulerViewContentColor() const override;

  void DrawArrow(TvlCanvas* ACanvas, const TRect& R, TvlArrowDirection AArrowDirection, TColor AColor) const override;
  void DrawArrow(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState, TvlArrowDirection AArrowDirection,
                 Boolean ADrawBorder = true) const override;
  void DrawArrowBorder(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState) const override;

  Integer BorderSize() const override;
  void DrawBorder(TvlCanvas* ACanvas, TRect R) const override;
  void DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const override;

  TRect AdjustGroupButtonDisplayRect(const TRect& R, Integer AButtonCount, Integer AButtonIndex) const override;
  Integer ButtonBorderSize(TvlButtonState AState = vlbsNormal) const override;
  TColor ButtonColor(TvlButtonState AState) const override;
  TRect ButtonFocusRect(TvlCanvas* ACanvas, TRect R) const override;
  TRect ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const override;
  Integer ButtonTextOffset() const override;
  Integer ButtonTextShift() const override;
  TColor ButtonSymbolColor(TvlButtonState AState, TColor ADefaultColor = clDefault) const override;
  void DrawButton(TvlCanvas* ACanvas, TRect R, const String& ACaption, TvlButtonState AState,
                  Boolean ADrawBorder = true, TColor AColor = clDefault, TColor ATextColor = clDefault,
                  Boolean AWordWrap = false, Boolean AIsToolButton = false) const override;
  Boolean IsButtonHotTrack() const override;

  void DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                        TColor AColor = clDefault) const override;
  Boolean DrawExpandButtonFirst() const override;
  void DrawGroupExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                             TvlButtonState AState) const override;
  void DrawSmallExpandButton(TvlCanvas* ACanvas, TRect R, Boolean AExpanded, TColor ABorderColor,
                             TColor AColor = clDefault) const override;
  Integer ExpandButtonSize() const override;
  Integer SmallExpandButtonSize() const override;
  Integer GroupExpandButtonSize() const override;
  Boolean IsPointOverGroupExpandButton(const TRect& R, const TPoint& P) const override;

  Integer CheckBorderSize() const override;
  TSize CheckButtonSize() const override;
  void DrawCheck(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState, Boolean AChecked,
                 TColor AColor) const override;
  void DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawRadioButton(TvlCanvas* ACanvas, Integer X, Integer Y, TvlButtonState AButtonState, Boolean AChecked,
                       Boolean AFocused, TColor ABrushColor, Boolean AIsDesigning = false) const override;
  TSize RadioButtonSize() const override;

  void DrawHeader(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
                  TvlBorders ABorders, TvlButtonState AState, TAlignment AAlignmentHorz,
                  TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                  TFont* AFont, TColor ATextColor, TColor ABkColor,
                  const TvlDrawBackgroundEvent& AOnDrawBackground = {}, Boolean AIsLast = false,
                  Boolean AIsGroup = false) const override;
  void DrawHeaderPressed(TvlCanvas* ACanvas, const TRect& ABounds) const override;
  void DrawHeaderControlSection(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                TvlNeighbors ANeighbors, TvlBorders ABorders, TvlButtonState AState,
                                TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                                Boolean AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
                                TColor ABkColor) const override;
  void DrawSortingMark(TvlCanvas* ACanvas, const TRect& R, Boolean AAscendingSorting) const override;
  TPoint SortingMarkSize() const override;
  Integer HeaderBorderSize() const override;
  Integer HeaderControlSectionBorderSize(TvlButtonState AState = vlbsNormal) const override;
  TRect HeaderControlSectionContentBounds(const TRect& ABounds, TvlButtonState AState) const override;
  Boolean IsHeaderHotTrack() const override;

  void DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawFooterCell(TvlCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                      TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, const String& AText, TFont* AFont,
                      TColor ATextColor, TColor ABkColor,
                      const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;
  Integer FooterBorderSize() const override;
  Integer FooterCellBorderSize() const override;
  Integer FooterCellOffset() const override;
  Boolean FooterDrawCellsFirst() const override;

  void DrawFilterCloseButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                Boolean AIsFilterActive) const override;
  TPoint FilterActivateButtonSize() const override;
  TPoint FilterCloseButtonSize() const override;

  void DrawTab(TvlCanvas* ACanvas, TRect R, TvlBorders ABorders, const String& AText, TvlButtonState AState,
               Boolean AVertical, TFont* AFont, TColor ATextColor, TColor ABkColor,
               Boolean AShowPrefix = false) const override;
  void DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder, TvlBorders ABorders,
                     Boolean AVertical) const override;
  void DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders, Boolean AVertical) const override;
  Boolean IsDrawTabImplemented(Boolean AVertical) const override;
  Boolean IsTabHotTrack(Boolean AVertical) const override;
  Integer TabBorderSize(Boolean AVertical) const override;

  void DrawSplitter(TvlCanvas* ACanvas, const TRect& ARect, Boolean AHighlighted, Boolean AClicked,
                    Boolean AHorizontal) const override;
  void DrawIndicatorItem(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind, TColor AColor,
                         const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;

  Integer ScrollBarMinimalThumbSize(Boolean AVertical) const override;
  void DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R, TvlScrollBarPart APart,
                         TvlButtonState AState) const override;
  void DrawSizeGrip(TvlCanvas* ACanvas, const TRect& ARect, TColor ABackgroundColor = clDefault) const override;

  void DrawSchedulerEventProgress(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& AProgress,
                                  const TvlViewParams& AViewParams, Boolean ATransparent) const override;
  TRect SchedulerEventProgressOffsets() const override;
  void DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;

  void DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition,
                         TvlBorders ABorders = vlBordersAll) const override;
  TColor GroupBoxTextColor(Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition) const override;
  void DrawPanelBackground(TvlCanvas* ACanvas, TWinControl* AControl, TRect ABounds, TColor AColorFrom = clDefault,
                           TColor AColorTo = clDefault) const override;
  void DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const override;

  // Text through the theme (nothing for an empty text). ABounds and
  // ABackgroundColor are not used.
  virtual void DrawThemedText(TvlCanvas* ACanvas, win::HTHEME ATheme, Integer APart, Integer AState,
                              const TRect& ABounds, TRect ATextRect, TAlignment AAlignmentHorz,
                              TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis,
                              Boolean AShowPrefix, const String& AText, TFont* AFont, TColor ATextColor,
                              TColor ABackgroundColor) const;
};
