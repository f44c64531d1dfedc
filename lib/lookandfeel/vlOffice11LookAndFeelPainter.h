// The Office 2003 painter: the ultra-flat painter's geometry in the colours
// of the Office 2003 palette, soft gradients on header and footer cells,
// bitmap expand buttons; scroll bars and group boxes borrowed from the
// themed (or, without themes, the standard) painter.
#pragma once

#include "lib/lookandfeel/vlLookAndFeelPainters.h"

class TvlOffice11LookAndFeelPainter : public TvlUltraFlatLookAndFeelPainter {
  CL_CLASS(TvlOffice11LookAndFeelPainter, TvlUltraFlatLookAndFeelPainter)
 protected:
  TColor DefaultHeaderHighlightTextColor() const override;
  void DrawContent(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlButtonState AState,
                   TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                   Boolean AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                   const TvlDrawBackgroundEvent& AOnDrawBackground, Boolean AIsFooter) const override;
  TColor FilterDropDownButtonBorderColor(TvlButtonState AState) const override;
  TColor TabBorderColor() const override;
  TColor TabBorderDarkColor() const override;

  virtual TColor HeaderBottomColor() const;
  virtual TColor HeaderDarkEdgeColor() const;
  virtual TColor HeaderLightEdgeColor() const;
  virtual TColor HeaderTopColor() const;

 public:
  TColor BorderHighlightColor() const override;
  TvlLookAndFeelStyle LookAndFeelStyle() const override;
  Boolean NeedRedrawOnResize() const override;

  TColor DefaultDateNavigatorHeaderColor() const override;
  TColor DefaultDateNavigatorSelectionColor() const override;
  TColor DefaultDateNavigatorSelectionTextColor() const override;
  TColor DefaultFilterBoxColor() const override;
  TColor DefaultFilterBoxTextColor() const override;
  TColor DefaultFooterColor() const override;
  TColor DefaultFooterTextColor() const override;
  TColor DefaultGroupColor() const override;
  TColor DefaultGroupByBoxColor() const override;
  TColor DefaultGroupByBoxTextColor() const override;
  TColor DefaultHeaderColor() const override;
  TColor DefaultHeaderBackgroundColor() const override;
  TColor DefaultSchedulerBorderColor() const override;
  TColor DefaultSchedulerControlColor() const override;
  TColor DefaultTabColor() const override;
  TColor DefaultTabsBackgroundColor() const override;
  TColor DefaultTimeGridMinorScaleColor() const override;
  TColor DefaultTimeGridSelectionBarColor() const override;

  void DrawBorder(TvlCanvas* ACanvas, TRect R) const override;
  void DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const override;

  TColor ButtonColor(TvlButtonState AState) const override;
  TColor ButtonSymbolColor(TvlButtonState AState, TColor ADefaultColor = clDefault) const override;
  void DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;

  void DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                        TColor AColor = clDefault) const override;
  Boolean DrawExpandButtonFirst() const override;
  void DrawSmallExpandButton(TvlCanvas* ACanvas, TRect R, Boolean AExpanded, TColor ABorderColor,
                             TColor AColor = clDefault) const override;
  Integer ExpandButtonSize() const override;
  Integer SmallExpandButtonSize() const override;

  TColor CheckButtonColor(TvlButtonState AState) const override;

  void DrawHeader(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
                  TvlBorders ABorders, TvlButtonState AState, TAlignment AAlignmentHorz,
                  TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                  TFont* AFont, TColor ATextColor, TColor ABkColor,
                  const TvlDrawBackgroundEvent& AOnDrawBackground = {}, Boolean AIsLast = false,
                  Boolean AIsGroup = false) const override;
  void DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                        TvlBorders ABorders) const override;
  void DrawHeaderControlSection(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                TvlNeighbors ANeighbors, TvlBorders ABorders, TvlButtonState AState,
                                TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                                Boolean AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
                                TColor ABkColor) const override;
  void DrawSortingMark(TvlCanvas* ACanvas, const TRect& R, Boolean AAscendingSorting) const override;
  TvlBorders HeaderBorders(TvlNeighbors ANeighbors) const override;
  Integer HeaderBorderSize() const override;
  Boolean IsHeaderHotTrack() const override;

  TColor FooterSeparatorColor() const override;

  void DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R, TvlScrollBarPart APart,
                         TvlButtonState AState) const override;
  void DrawSizeGrip(TvlCanvas* ACanvas, const TRect& ARect, TColor ABackgroundColor = clDefault) const override;

  void DrawSchedulerBorder(TvlCanvas* ACanvas, TRect R) const override;
  void DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;

  void DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition,
                         TvlBorders ABorders = vlBordersAll) const override;
  TColor GroupBoxTextColor(Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition) const override;
  void DrawPanelBackground(TvlCanvas* ACanvas, TWinControl* AControl, TRect ABounds, TColor AColorFrom = clDefault,
                           TColor AColorTo = clDefault) const override;
  void DrawLayoutControlBackground(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const override;

  TColor GetSplitterInnerColor(Boolean AHighlighted) const override;
  TColor GetSplitterOuterColor(Boolean AHighlighted) const override;
  TSize GetSplitterSize(Boolean AHorizontal) const override;
};
