// The skin painter: a look-and-feel painter that draws from a skin. Each
// operation asks the skin information registered as the painter class's data
// (the named painters registry) for its element or colour and falls back to
// the Office 2003 painter when the skin lacks it. The built-in skin's painter,
// registered as "UserSkin", is TnbSkinsUserSkinPainter.
#pragma once

#include "lib/lookandfeel/nbSkinInfo.h"
#include "lib/lookandfeel/vlOffice11LookAndFeelPainter.h"

class TnbSkinLookAndFeelPainterCacheManager;

// The skin information bound to a painter. A change of its skin, and its
// end, drop the painter's cached renderings (scroll-bar page areas, preview
// background): they show elements of the old skin, and a cache entry only
// compares element, state, image index and size.
class TnbSkinLookAndFeelPainterInfo : public TnbSkinInfo {
  CL_CLASS(TnbSkinLookAndFeelPainterInfo, TnbSkinInfo)
 public:
  void Destroy() override;
  void SkinContentChanged(TnbSkin* Sender) override;
};

// The built-in skin's information: a change of the skin repaints every control.
class TnbSkinUserLookAndFeelPainterInfo : public TnbSkinLookAndFeelPainterInfo {
  CL_CLASS(TnbSkinUserLookAndFeelPainterInfo, TnbSkinLookAndFeelPainterInfo)
 public:
  void SkinContentChanged(TnbSkin* Sender) override;
};

class TnbSkinLookAndFeelPainter : public TvlOffice11LookAndFeelPainter {
  CL_CLASS(TnbSkinLookAndFeelPainter, TvlOffice11LookAndFeelPainter)
 protected:
  void DrawContent(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlButtonState AState,
                   TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                   Boolean AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                   const TvlDrawBackgroundEvent& AOnDrawBackground, Boolean AIsFooter) const override;
  void DrawSchedulerNavigationButtonContent(TvlCanvas* ACanvas, const TRect& ARect, const TRect& AArrowRect,
                                            Boolean AIsNextButton, TvlButtonState AState) const override;

 public:
  // The information registered as this painter class's data; nil when the
  // class is not registered.
  virtual TnbSkinLookAndFeelPainterInfo* GetSkinInfo() const;
  virtual Boolean DrawEditorButtonBackground(TvlCanvas* ACanvas, const TRect& R, Boolean AIsCloseButton,
                                             TnbSkinElementState AState) const;
  virtual String InternalUnitName() const { return u"nbSkinsLookAndFeelPainter"; }

  // Colours
  TColor DefaultContentColor() const override;
  TColor DefaultContentEvenColor() const override;
  TColor DefaultContentOddColor() const override;
  TColor DefaultContentTextColor() const override;
  TColor DefaultEditorBackgroundColorEx(TvlEditStateColorKind AKind) const override;
  TColor DefaultEditorTextColorEx(TvlEditStateColorKind AKind) const override;
  TColor DefaultFilterBoxTextColor() const override;
  TColor DefaultFixedSeparatorColor() const override;
  TColor DefaultFooterColor() const override;
  TColor DefaultGridDetailsSiteColor() const override;
  TColor DefaultGridLineColor() const override;
  TColor DefaultGroupByBoxTextColor() const override;
  TColor DefaultGroupColor() const override;
  TColor DefaultGroupTextColor() const override;
  TColor DefaultHeaderBackgroundColor() const override;
  TColor DefaultHeaderBackgroundTextColor() const override;
  TColor DefaultHeaderColor() const override;
  TColor DefaultHeaderTextColor() const override;
  TColor DefaultHyperlinkTextColor() const override;
  TColor DefaultPreviewTextColor() const override;
  TColor DefaultRecordSeparatorColor() const override;
  TColor DefaultSelectionColor() const override;
  TColor DefaultSelectionTextColor() const override;
  TColor DefaultSeparatorColor() const override;
  TColor DefaultSizeGripAreaColor() const override;
  TColor DefaultDateNavigatorHeaderColor() const override;
  TColor DefaultDateNavigatorHeaderTextColor(Boolean AIsHighlight) const override;
  TColor DefaultDateNavigatorSeparator2Color() const override;
  TColor ButtonSymbolColor(TvlButtonState AState, TColor ADefaultColor = clDefault) const override;
  TColor EditButtonTextColor() const override;
  TColor FooterSeparatorColor() const override;
  TColor GetContainerBorderColor(Boolean AIsHighlightBorder) const override;
  TColor ProgressBarTextColorEx(Boolean AIsFilledArea) const override;

  // Sizes and flags
  Integer ButtonBorderSize(TvlButtonState AState = vlbsNormal) const override;
  TSize CheckButtonSize() const override;
  TSize RadioButtonSize() const override;
  TSize SizeGripSize() const override;
  TSize EditButtonSize() const override;
  TPoint FilterCloseButtonSize() const override;
  Integer ExpandButtonSize() const override;
  Integer LabelLineHeight() const override;
  Integer ScrollBarMinimalThumbSize(Boolean AVertical) const override;
  TRect ProgressBarBorderSize(Boolean AVertical) const override;
  TvlBorders HeaderBorders(TvlNeighbors ANeighbors) const override;
  Boolean GridDrawHeaderCellsFirst() const override;
  Boolean HeaderDrawCellsFirst() const override { return false; }
  Boolean FooterDrawCellsFirst() const override { return false; }
  Boolean IndicatorDrawItemsFirst() const override { return true; }
  Integer EditButtonTextOffset() const override { return 1; }

  // Drawing
  void DrawBorder(TvlCanvas* ACanvas, TRect R) const override;
  void DrawButton(TvlCanvas* ACanvas, TRect R, const String& ACaption, TvlButtonState AState,
                  Boolean ADrawBorder = true, TColor AColor = clDefault, TColor ATextColor = clDefault,
                  Boolean AWordWrap = false, Boolean AIsToolButton = false) const override;
  void DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                        TColor AColor = clDefault) const override;
  void DrawExpandButtonEx(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState,
                          Boolean AExpanded) const override;
  void DrawCheckButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                       TvlCheckBoxState ACheckState) const override;
  using TvlOffice11LookAndFeelPainter::DrawCheckButton;
  void DrawRadioButton(TvlCanvas* ACanvas, Integer X, Integer Y, TvlButtonState AButtonState, Boolean AChecked,
                       Boolean AFocused, TColor ABrushColor, Boolean AIsDesigning = false) const override;
  void DrawLabelLine(TvlCanvas* ACanvas, const TRect& R, TColor AOuterColor, TColor AInnerColor,
                     Boolean AIsVertical) const override;
  void DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const override;
  void DrawHeader(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
                  TvlBorders ABorders, TvlButtonState AState, TAlignment AAlignmentHorz,
                  TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis,
                  const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                  const TvlDrawBackgroundEvent& AOnDrawBackground = {}, Boolean AIsLast = false,
                  Boolean AIsGroup = false) const override;
  void DrawHeaderEx(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
                    TvlBorders ABorders, TvlButtonState AState, TAlignment AAlignmentHorz,
                    TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis,
                    const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                    const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;
  void DrawHeaderSeparator(TvlCanvas* ACanvas, const TRect& ABounds, Integer AIndentSize, TColor AColor,
                           const TvlViewParams& AViewParams) const override;
  void DrawGroupByBox(TvlCanvas* ACanvas, const TRect& ARect, Boolean ATransparent, TColor ABackgroundColor,
                      TBitmap* ABackgroundBitmap) const override;
  void DrawFilterPanel(TvlCanvas* ACanvas, const TRect& ARect, Boolean ATransparent, TColor ABackgroundColor,
                       TBitmap* ABackgroundBitmap) const override;
  void DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                Boolean AIsFilterActive) const override;
  void DrawFilterCloseButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawScrollBarBackground(TvlCanvas* ACanvas, const TRect& R, Boolean AHorizontal) const override;
  void DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R, TvlScrollBarPart APart,
                         TvlButtonState AState) const override;
  void DrawSizeGrip(TvlCanvas* ACanvas, const TRect& ARect, TColor ABackgroundColor = clDefault) const override;
  void DrawEditorButton(TvlCanvas* ACanvas, const TRect& ARect, TvlEditBtnKind AButtonKind,
                        TvlButtonState AState) const override;
  void DrawProgressBarBorder(TvlCanvas* ACanvas, TRect ARect, Boolean AVertical) const override;
  void DrawProgressBarChunk(TvlCanvas* ACanvas, TRect ARect, Boolean AVertical) const override;
  void DrawIndicatorImage(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind) const override;
  void DrawIndicatorCustomizationMark(TvlCanvas* ACanvas, const TRect& R, TColor AColor) const override;
  void DrawWindowContent(TvlCanvas* ACanvas, const TRect& ARect) const override;
  void DrawNavigatorGlyph(TvlCanvas* ACanvas, TCustomImageList* AImageList, TImageIndex AImageIndex,
                          Integer AButtonIndex, const TRect& AGlyphRect, Boolean AEnabled,
                          Boolean AUserGlyphs) const override;
  void DrawClock(TvlCanvas* ACanvas, const TRect& ARect, TDateTime ADateTime, TColor ABackgroundColor) const override;
  void DrawMonthHeader(TvlCanvas* ACanvas, const TRect& ABounds, const String& AText, TvlNeighbors ANeighbors,
                       const TvlViewParams& AViewParams, TvlHeaderArrows AArrows, Integer ASideWidth,
                       const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;

  // Calendar, calculator, layout and the colours of controls this system lacks
  TColor DefaultDateNavigatorTextColor() const override;
  TColor DefaultDateNavigatorHolydayTextColor() const override;
  TColor DefaultDateNavigatorInactiveTextColor() const override;
  TColor DefaultDateNavigatorSelectionColor() const override;
  TColor DefaultDateNavigatorSelectionTextColor() const override;
  TColor DefaultDateNavigatorSeparator1Color() const override;
  TColor DefaultDateNavigatorTodayFrameColor() const override;
  TColor DefaultDateNavigatorTodayTextColor() const override;
  TColor CalcEditButtonTextColor(TvlCalcButtonKind AButtonKind) const override;
  TColor GetCustomizationFormListBackgroundColor() const override;
  TColor LayoutControlEmptyAreaColor() const override;
  void DrawLayoutControlBackground(TvlCanvas* ACanvas, const TRect& R) const override;
  TColor DefaultSchedulerBackgroundColor() const override;
  TColor DefaultSchedulerControlColor() const override;
  TColor DefaultSchedulerBorderColor() const override;
  TColor DefaultSchedulerNavigatorColor() const override;
  TColor DefaultSchedulerTimeRulerColor() const override;
  TColor DefaultSchedulerTimeRulerTextColor() const override;
  TColor DefaultSchedulerViewTextColor() const override;
  TColor DefaultSchedulerViewSelectedTextColor() const override;
  TColor DefaultVGridCategoryColor() const override;
  TColor DefaultVGridCategoryTextColor() const override;
  TColor DefaultVGridHeaderColor() const override;
  TColor DefaultVGridHeaderTextColor() const override;
  TColor DefaultVGridLineColor() const override;
  TColor DefaultVGridBandLineColor() const override;
  TColor PivotGridHeadersAreaColor() const override;
  TColor PivotGridHeadersAreaTextColor() const override;
  void DrawPrintPreviewBackground(TvlCanvas* ACanvas, const TRect& R) const override;

  // Button groups, small expand buttons, navigator glyph size
  TRect ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const override;
  void DrawButtonInGroup(TvlCanvas* ACanvas, TRect R, TvlButtonState AState, Integer AButtonCount,
                         Integer AButtonIndex, TColor ABackgroundColor) const override;
  void DrawButtonGroupBorder(TvlCanvas* ACanvas, TRect R, Boolean AInplace, Boolean ASelected) const override;
  void DrawSmallExpandButton(TvlCanvas* ACanvas, TRect R, Boolean AExpanded, TColor ABorderColor,
                             TColor AColor = clDefault) const override;
  TSize NavigatorGlyphSize() const override;
  Integer FooterCellBorderSize() const override;

  // Group box and panel
  TRect GroupBoxBorderSize(Boolean ACaption, TvlGroupBoxCaptionPosition ACaptionPosition) const override;
  TColor GroupBoxTextColor(Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition) const override;
  Boolean IsGroupBoxTransparent(Boolean AIsCaption, TvlGroupBoxCaptionPosition ACaptionPosition) const override;
  void DrawGroupBoxBackground(TvlCanvas* ACanvas, TRect ABounds, TRect ARect) const override;
  void DrawGroupBoxCaption(TvlCanvas* ACanvas, TRect ACaptionRect,
                           TvlGroupBoxCaptionPosition ACaptionPosition) const override;
  void DrawGroupBoxContent(TvlCanvas* ACanvas, TRect ABorderRect, TvlGroupBoxCaptionPosition ACaptionPosition,
                           TvlBorders ABorders = vlBordersAll) const override;
  void DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition,
                         TvlBorders ABorders = vlBordersAll) const override;
  void DrawPanelBorders(TvlCanvas* ACanvas, const TRect& ABorderRect) const override;
  void DrawPanelContent(TvlCanvas* ACanvas, const TRect& ABorderRect, Boolean ABorder) const override;

  // Track bar and splitter
  void DrawTrackBar(TvlCanvas* ACanvas, const TRect& ARect, const TRect& ASelection, Boolean AShowSelection,
                    Boolean AEnabled, Boolean AHorizontal) const override;
  void DrawTrackBarThumb(TvlCanvas* ACanvas, TRect ARect, TvlButtonState AState, Boolean AHorizontal,
                         TvlTrackBarTicksAlign ATicks) const override;
  TSize TrackBarThumbSize(Boolean AHorizontal) const override;
  Integer TrackBarTrackSize() const override;
  void DrawSplitter(TvlCanvas* ACanvas, const TRect& ARect, Boolean AHighlighted, Boolean AClicked,
                    Boolean AHorizontal) const override;
  TSize GetSplitterSize(Boolean AHorizontal) const override;

  // Footers
  void DrawFooterCell(TvlCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                      TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, const String& AText, TFont* AFont,
                      TColor ATextColor, TColor ABkColor,
                      const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;
  void DrawFooterCellContent(TvlCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                             TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, const String& AText, TFont* AFont,
                             TColor ATextColor, TColor ABkColor,
                             const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;
  void DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawFooterContent(TvlCanvas* ACanvas, const TRect& ARect, const TvlViewParams& AViewParams) const override;

  // Indicator, date navigator, scheduler and print preview
  void DrawIndicatorItem(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind, TColor AColor,
                         const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;
  void DrawIndicatorItemEx(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind, TColor AColor,
                           const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;
  void DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const override;
  void DrawSchedulerEventProgress(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& AProgress,
                                  const TvlViewParams& AViewParams, Boolean ATransparent) const override;
  void DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  TRect SchedulerEventProgressOffsets() const override;
  void CalculateSchedulerNavigationButtonRects(Boolean AIsNextButton, Boolean ACollapsed,
                                               TSize APrevButtonTextSize, TSize ANextButtonTextSize, TRect& ABounds,
                                               TRect& ATextRect, TRect& AArrowRect) const override;
  TColor SchedulerNavigationButtonTextColor(Boolean AIsNextButton, TvlButtonState AState,
                                            TColor ADefaultColor) const override;
  void SchedulerNavigationButtonSizes(Boolean AIsNextButton, TRect& ABorders, TSize& AArrowSize,
                                      Boolean& AHasTextArea) const override;
  TRect PrintPreviewPageBordersWidth() const override;
  void DrawPrintPreviewPageBackground(TvlCanvas* ACanvas, const TRect& ABorderRect, const TRect& AContentRect,
                                      Boolean ASelected, Boolean ADrawContent) const override;

 protected:
  void DrawFooterPanelBorder(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders) const override;
};

// The built-in skin's painter, registered as "UserSkin" when GDI+ is there.
class TnbSkinsUserSkinPainter : public TnbSkinLookAndFeelPainter {
  CL_CLASS(TnbSkinsUserSkinPainter, TnbSkinLookAndFeelPainter)
 public:
  TnbSkinLookAndFeelPainterInfo* GetSkinInfo() const override;
  String InternalUnitName() const override { return u"nbSkinsDefaultPainters"; }
};

// The painter unit's cache manager (nil outside the unit's life).
TnbSkinLookAndFeelPainterCacheManager* nbSkinPainterCacheManager();
// The built-in skin's information (nil when GDI+ was not available).
TnbSkinUserLookAndFeelPainterInfo* nbUserSkinInfo();
// The painter state of a button state.
TnbSkinElementState nbSkinElementState(TvlButtonState AState);
// Greys a 32-bit image (blue in the low byte, alpha in the high one) as a
// disabled glyph: blue, green and red each become
// (2 * alpha + blue + green + red) div 5, alpha unchanged.
void nbSkinGreyGlyphPixels(TBitmap* ABitmap);

// The skin clock's hands in a face AWidth x AHeight (its own coordinates):
// the hour and minute hands as polygons (tip, side, tail, other side), the
// second hand as a line from the centre.
struct TnbSkinClockHands {
  TPoint Hour[4];
  TPoint Minute[4];
  TPoint Centre;
  TPoint Second;
};
TnbSkinClockHands nbSkinClockHands(Integer AWidth, Integer AHeight, TDateTime ADateTime);
