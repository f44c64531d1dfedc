// The painter family: painters are classes without instances whose const
// members (class methods, called on the class side through a
// TvlCustomLookAndFeelPainterClass) draw every part of the library's
// controls. The base painter gives each operation a default; the standard,
// flat and ultra-flat painters override groups of them. Composite
// operations call the smaller ones virtually on the class in use, so an
// override of a colour or a size changes every drawing that uses it.
//
// The unit also keeps the registry of named (skin) painters and the
// resources every painter shares: the indicator images, the two scroll-bar
// pattern bitmaps and the check-box glyph size. The radio-button images, with
// the primary palette notifier that rebuilds them, are vlRadioButtonImageList's.
#pragma once

#include <vector>

#include "lib/foundation/vlGraphics.h"
#include "platform/classes/Interfaces.h"

class TBitmap;
class TCustomImageList;
class TFont;
class TImageList;
class TWinControl;

using TImageIndex = Integer;

// --- Shared types -----------------------------------------------------------------------

CL_ENUM(TvlLookAndFeelKind, Byte, lfFlat, lfStandard, lfUltraFlat, lfOffice11)
CL_ENUM(TvlLookAndFeelStyle, Byte, lfsFlat, lfsStandard, lfsUltraFlat, lfsNative, lfsOffice11)
CL_ENUM(TvlArrowDirection, Byte, adUp, adDown, adLeft, adRight)
using TvlArrowPoints = TPoint[3];
CL_ENUM(TvlButtonState, Byte, vlbsDefault, vlbsNormal, vlbsHot, vlbsPressed, vlbsDisabled)
CL_ENUM(TvlCheckBoxState, Byte, cbsUnchecked, cbsChecked, cbsGrayed)
CL_ENUM(TvlEditBtnKind, Byte, vlbkCloseBtn, vlbkComboBtn, vlbkEditorBtn, vlbkEllipsisBtn, vlbkSpinUpBtn,
        vlbkSpinDownBtn, vlbkSpinLeftBtn, vlbkSpinRightBtn)
CL_ENUM(TvlEditStateColorKind, Byte, esckNormal, esckDisabled, esckInactive, esckReadOnly)
CL_ENUM(TvlCalcButtonKind, Byte, cbBack, cbCancel, cbClear, cbMC, cbMR, cbMS, cbMP, cbNum0, cbNum1, cbNum2, cbNum3,
        cbNum4, cbNum5, cbNum6, cbNum7, cbNum8, cbNum9, cbSign, cbDecimal, cbDiv, cbMul, cbSub, cbAdd, cbSqrt,
        cbPercent, cbRev, cbEqual, cbNone)
CL_ENUM(TvlGroupBoxCaptionPosition, Byte, vlgpTop, vlgpBottom, vlgpLeft, vlgpRight, vlgpCenter)
CL_ENUM(TvlHeaderArrows, Byte, haNone, haLeft, haRight, haBoth)
CL_ENUM(TvlIndicatorKind, Byte, ikNone, ikArrow, ikEdit, ikInsert, ikMultiDot, ikMultiArrow, ikFilter)
CL_ENUM(TvlNeighbor, Byte, nLeft, nTop, nRight, nBottom)
using TvlNeighbors = TSet<TvlNeighbor, 1>;
CL_SET_TYPEINFO(TvlNeighbors)
CL_ENUM(TvlScrollBarPart, Byte, sbpNone, sbpLineUp, sbpLineDown, sbpThumbnail, sbpPageUp, sbpPageDown)
CL_ENUM(TvlPopupBorderStyle, Byte, pbsNone, pbsUltraFlat, pbsFlat, pbs3D)
CL_ENUM(TvlTrackBarTicksAlign, Byte, tbtaUp, tbtaDown, tbtaBoth)

// True when the handler painted the background itself.
using TvlDrawBackgroundEvent = TDelegate<Boolean(TvlCanvas* ACanvas, const TRect& ABounds)>;

// The kind whose look a style shows: lfsFlat, lfsUltraFlat and lfsOffice11
// their own kinds, every other style lfStandard.
TvlLookAndFeelKind vlStyleToLookAndFeelKind(TvlLookAndFeelStyle AStyle);

// --- The base painter ----------------------------------------------------------------------

class TvlCustomLookAndFeelPainter : public TObject {
  CL_CLASS(TvlCustomLookAndFeelPainter, TObject)
 protected:
  virtual TColor DefaultHeaderHighlightTextColor() const;
  // Fills R with the colour, or, when ATransparent, with the bitmap if any.
  virtual void DrawBackground(TvlCanvas* ACanvas, const TRect& R, TBitmap* ABackgroundBitmap,
                              TColor ABackgroundColor, Boolean ATransparent) const;
  virtual void DrawDropDownTriangle(TvlCanvas* ACanvas, const TRect& R, TColor AColor) const;
  // The body of header, footer, indicator and month-header cells.
  virtual void DrawContent(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                           TvlButtonState AState, TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                           Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText, TFont* AFont,
                           TColor ATextColor, TColor ABkColor, const TvlDrawBackgroundEvent& AOnDrawBackground,
                           Boolean AIsFooter) const;
  virtual void DrawFooterPanelBorder(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders) const;
  virtual void DrawSchedulerNavigationButtonContent(TvlCanvas* ACanvas, const TRect& ARect, const TRect& AArrowRect,
                                                    Boolean AIsNextButton, TvlButtonState AState) const;
  virtual TRect FooterCellContentBounds(const TRect& ABounds) const;
  virtual TRect FooterCellTextAreaBounds(const TRect& ABounds) const;
  // A strip ASize thick centred in R, its thickness taken across R's width
  // when AHorizontal (a vertical strip as tall as R), across its height
  // otherwise (a horizontal strip as wide as R). DrawSeparator passes its
  // AIsVertical, so a vertical separator is a vertical line.
  virtual TRect CenteredStripRect(const TRect& R, Integer ASize, Boolean AHorizontal) const;

 public:
  // Identity
  virtual TvlLookAndFeelStyle LookAndFeelStyle() const;
  virtual Boolean NeedRedrawOnResize() const;

  // Default colours
  virtual TColor DefaultContentColor() const;
  virtual TColor DefaultContentEvenColor() const;
  virtual TColor DefaultContentOddColor() const;
  virtual TColor DefaultContentTextColor() const;
  virtual TColor DefaultEditorBackgroundColor(Boolean AIsDisabled) const;
  virtual TColor DefaultEditorBackgroundColorEx(TvlEditStateColorKind AKind) const;
  virtual TColor DefaultEditorTextColor(Boolean AIsDisabled) const;
  virtual TColor DefaultEditorTextColorEx(TvlEditStateColorKind AKind) const;
  virtual TColor DefaultFilterBoxColor() const;
  virtual TColor DefaultFilterBoxTextColor() const;
  virtual TColor DefaultFixedSeparatorColor() const;
  virtual TColor DefaultFooterColor() const;
  virtual TColor DefaultFooterTextColor() const;
  virtual TColor DefaultGridDetailsSiteColor() const;
  virtual TColor DefaultGridLineColor() const;
  virtual TColor DefaultGroupByBoxColor() const;
  virtual TColor DefaultGroupByBoxTextColor() const;
  virtual TColor DefaultGroupColor() const;
  virtual TColor DefaultGroupTextColor() const;
  virtual TColor DefaultHeaderBackgroundColor() const;
  virtual TColor DefaultHeaderBackgroundTextColor() const;
  virtual TColor DefaultHeaderColor() const;
  virtual TColor DefaultHeaderTextColor() const;
  virtual TColor DefaultHyperlinkTextColor() const;
  virtual TColor DefaultInactiveColor() const;
  virtual TColor DefaultInactiveTextColor() const;
  virtual TColor DefaultPreviewTextColor() const;
  virtual TColor DefaultRecordSeparatorColor() const;
  virtual TColor DefaultSizeGripAreaColor() const;
  virtual TColor DefaultVGridBandLineColor() const;
  virtual TColor DefaultVGridCategoryColor() const;
  virtual TColor DefaultVGridCategoryTextColor() const;
  virtual TColor DefaultVGridHeaderColor() const;
  virtual TColor DefaultVGridHeaderTextColor() const;
  virtual TColor DefaultVGridLineColor() const;
  virtual TColor DefaultDateNavigatorContentColor() const;
  virtual TColor DefaultDateNavigatorHeaderColor() const;
  virtual TColor DefaultDateNavigatorHeaderTextColor(Boolean AIsHighlight) const;
  virtual TColor DefaultDateNavigatorHolydayTextColor() const;
  virtual TColor DefaultDateNavigatorInactiveTextColor() const;
  virtual TColor DefaultDateNavigatorSelectionColor() const;
  virtual TColor DefaultDateNavigatorSelectionTextColor() const;
  virtual TColor DefaultDateNavigatorSeparator1Color() const;
  virtual TColor DefaultDateNavigatorSeparator2Color() const;
  virtual TColor DefaultDateNavigatorTextColor() const;
  virtual TColor DefaultDateNavigatorTodayFrameColor() const;
  virtual TColor DefaultDateNavigatorTodayTextColor() const;
  virtual TColor DefaultSchedulerBackgroundColor() const;
  virtual TColor DefaultSchedulerTextColor() const;
  virtual TColor DefaultSchedulerBorderColor() const;
  virtual TColor DefaultSchedulerControlColor() const;
  virtual TColor DefaultSchedulerNavigatorColor() const;
  virtual TColor DefaultSchedulerTimeRulerColor() const;
  virtual TColor DefaultSchedulerTimeRulerTextColor() const;
  virtual TColor DefaultSchedulerViewContentColor() const;
  virtual TColor DefaultSchedulerViewSelectedTextColor() const;
  virtual TColor DefaultSchedulerViewTextColor() const;
  virtual TColor DefaultSelectionColor() const;
  virtual TColor DefaultSelectionTextColor() const;
  virtual TColor DefaultSeparatorColor() const;
  virtual TColor DefaultTabColor() const;
  virtual TColor DefaultTabTextColor() const;
  virtual TColor DefaultTabsBackgroundColor() const;
  virtual TColor DefaultTimeGridMajorScaleColor() const;
  virtual TColor DefaultTimeGridMajorScaleTextColor() const;
  virtual TColor DefaultTimeGridMinorScaleColor() const;
  virtual TColor DefaultTimeGridMinorScaleTextColor() const;
  virtual TColor DefaultTimeGridSelectionBarColor() const;
  virtual TColor DefaultChartDiagramValueBorderColor() const;
  virtual TColor DefaultChartDiagramValueCaptionTextColor() const;
  virtual TColor DefaultChartHistogramAxisColor() const;
  virtual TColor DefaultChartHistogramGridLineColor() const;
  virtual TColor DefaultChartHistogramPlotColor() const;
  virtual TColor DefaultChartPieDiagramSeriesSiteBorderColor() const;
  virtual TColor DefaultChartPieDiagramSeriesSiteCaptionColor() const;
  virtual TColor DefaultChartPieDiagramSeriesSiteCaptionTextColor() const;
  virtual TColor DefaultChartToolBoxDataLevelInfoBorderColor() const;
  virtual TColor DefaultChartToolBoxItemSeparatorColor() const;

  // Arrows
  virtual void DrawArrow(TvlCanvas* ACanvas, const TRect& R, TvlArrowDirection AArrowDirection, TColor AColor) const;
  virtual void DrawArrow(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState, TvlArrowDirection AArrowDirection,
                         Boolean ADrawBorder = true) const;
  virtual void DrawArrowBorder(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState) const;
  virtual void DrawScrollBarArrow(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                  TvlArrowDirection AArrowDirection) const;

  // Borders and separators
  virtual Integer BorderSize() const;
  virtual void DrawBorder(TvlCanvas* ACanvas, TRect R) const;
  virtual void DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const;

  // Buttons and button groups
  virtual TRect AdjustGroupButtonDisplayRect(const TRect& R, Integer AButtonCount, Integer AButtonIndex) const;
  virtual Integer ButtonBorderSize(TvlButtonState AState = vlbsNormal) const;
  virtual TColor ButtonColor(TvlButtonState AState) const;
  virtual TRect ButtonFocusRect(TvlCanvas* ACanvas, TRect R) const;
  virtual TRect ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const;
  virtual Integer ButtonTextOffset() const;
  virtual Integer ButtonTextShift() const;
  virtual TColor ButtonSymbolColor(TvlButtonState AState, TColor ADefaultColor = clDefault) const;
  virtual TvlButtonState ButtonSymbolState(TvlButtonState AState) const;
  virtual void DrawButton(TvlCanvas* ACanvas, TRect R, const String& ACaption, TvlButtonState AState,
                          Boolean ADrawBorder = true, TColor AColor = clDefault, TColor ATextColor = clDefault,
                          Boolean AWordWrap = false, Boolean AIsToolButton = false) const;
  virtual void DrawButtonInGroup(TvlCanvas* ACanvas, TRect R, TvlButtonState AState, Integer AButtonCount,
                                 Integer AButtonIndex, TColor ABackgroundColor) const;
  virtual void DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const;
  virtual void DrawButtonGroupBorder(TvlCanvas* ACanvas, TRect R, Boolean AInplace, Boolean ASelected) const;

  // Expand buttons
  virtual void DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                TColor AColor = clDefault) const;
  virtual void DrawExpandButtonEx(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState, Boolean AExpanded) const;
  virtual Boolean DrawExpandButtonFirst() const;
  virtual void DrawGroupExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                     TvlButtonState AState) const;
  virtual void DrawSmallExpandButton(TvlCanvas* ACanvas, TRect R, Boolean AExpanded, TColor ABorderColor,
                                     TColor AColor = clDefault) const;
  virtual Integer ExpandButtonSize() const;
  virtual Integer GroupExpandButtonSize() const;
  virtual Boolean IsButtonHotTrack() const;
  virtual Boolean IsPointOverGroupExpandButton(const TRect& R, const TPoint& P) const;
  virtual Integer SmallExpandButtonSize() const;

  // Check boxes and radio buttons
  virtual Integer CheckBorderSize() const;
  virtual TColor CheckButtonColor(TvlButtonState AState) const;
  virtual TSize CheckButtonSize() const;
  virtual void DrawCheck(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState, Boolean AChecked,
                         TColor AColor) const;
  virtual void DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const;
  virtual void DrawCheckButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState, Boolean AChecked) const;
  virtual void DrawCheckButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                               TvlCheckBoxState ACheckState) const;
  virtual void DrawRadioButton(TvlCanvas* ACanvas, Integer X, Integer Y, TvlButtonState AButtonState,
                               Boolean AChecked, Boolean AFocused, TColor ABrushColor,
                               Boolean AIsDesigning = false) const;
  virtual TSize RadioButtonSize() const;

  // Label lines
  virtual void DrawLabelLine(TvlCanvas* ACanvas, const TRect& R, TColor AOuterColor, TColor AInnerColor,
                             Boolean AIsVertical) const;
  virtual Integer LabelLineHeight() const;

  // Headers, header-control sections, sorting marks, group-by box
  virtual void DrawHeader(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                          TvlNeighbors ANeighbors, TvlBorders ABorders, TvlButtonState AState,
                          TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                          Boolean AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
                          TColor ABkColor, const TvlDrawBackgroundEvent& AOnDrawBackground = {},
                          Boolean AIsLast = false, Boolean AIsGroup = false) const;
  virtual void DrawHeaderEx(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                            TvlNeighbors ANeighbors, TvlBorders ABorders, TvlButtonState AState,
                            TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                            Boolean AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
                            TColor ABkColor, const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const;
  virtual void DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                                TvlBorders ABorders) const;
  virtual void DrawHeaderPressed(TvlCanvas* ACanvas, const TRect& ABounds) const;
  virtual void DrawHeaderControlSection(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                        TvlNeighbors ANeighbors, TvlBorders ABorders, TvlButtonState AState,
                                        TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                        Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                        TFont* AFont, TColor ATextColor, TColor ABkColor) const;
  virtual void DrawHeaderControlSectionBorder(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders,
                                              TvlButtonState AState) const;
  virtual void DrawHeaderControlSectionContent(TvlCanvas* ACanvas, const TRect& ABounds,
                                               const TRect& ATextAreaBounds, TvlButtonState AState,
                                               TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                               Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                               TFont* AFont, TColor ATextColor, TColor ABkColor) const;
  virtual void DrawHeaderControlSectionText(TvlCanvas* ACanvas, const TRect& ATextAreaBounds, TvlButtonState AState,
                                            TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                            Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                            TFont* AFont, TColor ATextColor) const;
  virtual void DrawHeaderSeparator(TvlCanvas* ACanvas, const TRect& ABounds, Integer AIndentSize, TColor AColor,
                                   const TvlViewParams& AViewParams) const;
  virtual void DrawSortingMark(TvlCanvas* ACanvas, const TRect& R, Boolean AAscendingSorting) const;
  virtual TvlBorders HeaderBorders(TvlNeighbors ANeighbors) const;
  virtual Integer HeaderBorderSize() const;
  virtual TRect HeaderBounds(const TRect& ABounds, TvlNeighbors ANeighbors, TvlBorders ABorders = vlBordersAll) const;
  virtual TRect HeaderContentBounds(const TRect& ABounds, TvlBorders ABorders) const;
  virtual Boolean HeaderDrawCellsFirst() const;
  virtual Integer HeaderHeight(Integer AFontHeight) const;
  virtual Integer HeaderControlSectionBorderSize(TvlButtonState AState = vlbsNormal) const;
  virtual TRect HeaderControlSectionTextAreaBounds(TRect ABounds, TvlButtonState AState) const;
  virtual TRect HeaderControlSectionContentBounds(const TRect& ABounds, TvlButtonState AState) const;
  virtual Integer HeaderWidth(TvlCanvas* ACanvas, TvlBorders ABorders, const String& AText, TFont* AFont) const;
  virtual Boolean IsHeaderHotTrack() const;
  virtual TPoint SortingMarkAreaSize() const;
  virtual TPoint SortingMarkSize() const;
  virtual void DrawGroupByBox(TvlCanvas* ACanvas, const TRect& ARect, Boolean ATransparent, TColor ABackgroundColor,
                              TBitmap* ABackgroundBitmap) const;
  virtual Boolean GridDrawHeaderCellsFirst() const;

  // Pivot grid
  virtual TColor PivotGridHeadersAreaColor() const;
  virtual TColor PivotGridHeadersAreaTextColor() const;

  // Footers
  virtual TvlBorders FooterBorders() const;
  virtual Integer FooterBorderSize() const;
  virtual Integer FooterCellBorderSize() const;
  virtual Integer FooterCellOffset() const;
  virtual Boolean FooterDrawCellsFirst() const;
  virtual TColor FooterSeparatorColor() const;
  virtual Integer FooterSeparatorSize() const;
  virtual void DrawFooterCell(TvlCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                              TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, const String& AText, TFont* AFont,
                              TColor ATextColor, TColor ABkColor,
                              const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const;
  virtual void DrawFooterCellContent(TvlCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                                     TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, const String& AText,
                                     TFont* AFont, TColor ATextColor, TColor ABkColor,
                                     const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const;
  virtual void DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const;
  virtual void DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const;
  virtual void DrawFooterContent(TvlCanvas* ACanvas, const TRect& ARect, const TvlViewParams& AViewParams) const;
  virtual void DrawFooterSeparator(TvlCanvas* ACanvas, const TRect& R) const;

  // Filter buttons and filter panel
  virtual void DrawFilterActivateButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState, Boolean AChecked) const;
  virtual void DrawFilterCloseButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const;
  virtual void DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                        Boolean AIsFilterActive) const;
  virtual void DrawFilterPanel(TvlCanvas* ACanvas, const TRect& ARect, Boolean ATransparent, TColor ABackgroundColor,
                               TBitmap* ABackgroundBitmap) const;
  virtual TPoint FilterActivateButtonSize() const;
  virtual TPoint FilterCloseButtonSize() const;
  virtual TPoint FilterDropDownButtonSize() const;

  // Windows and popups
  virtual void DrawWindowContent(TvlCanvas* ACanvas, const TRect& ARect) const;
  virtual TvlPopupBorderStyle PopupBorderStyle() const;

  // Tabs
  virtual void DrawTab(TvlCanvas* ACanvas, TRect R, TvlBorders ABorders, const String& AText, TvlButtonState AState,
                       Boolean AVertical, TFont* AFont, TColor ATextColor, TColor ABkColor,
                       Boolean AShowPrefix = false) const;
  virtual void DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder, TvlBorders ABorders,
                             Boolean AVertical) const;
  virtual void DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders, Boolean AVertical) const;
  virtual Boolean IsDrawTabImplemented(Boolean AVertical) const;
  virtual Boolean IsTabHotTrack(Boolean AVertical) const;
  virtual Integer TabBorderSize(Boolean AVertical) const;

  // Indicator
  virtual void DrawIndicatorCustomizationMark(TvlCanvas* ACanvas, const TRect& R, TColor AColor) const;
  virtual void DrawIndicatorImage(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind) const;
  virtual void DrawIndicatorItem(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind, TColor AColor,
                                 const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const;
  virtual void DrawIndicatorItemEx(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind, TColor AColor,
                                   const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const;
  virtual Boolean IndicatorDrawItemsFirst() const;

  // Scroll bars
  virtual Integer ScrollBarMinimalThumbSize(Boolean AVertical) const;
  virtual void DrawScrollBarBackground(TvlCanvas* ACanvas, const TRect& R, Boolean AHorizontal) const;
  virtual void DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R, TvlScrollBarPart APart,
                                 TvlButtonState AState) const;

  // Size grip
  virtual TSize SizeGripSize() const;
  virtual void DrawSizeGrip(TvlCanvas* ACanvas, const TRect& ARect, TColor ABackgroundColor = clDefault) const;

  // Scheduler and month header
  virtual void CalculateSchedulerNavigationButtonRects(Boolean AIsNextButton, Boolean ACollapsed,
                                                       TSize APrevButtonTextSize, TSize ANextButtonTextSize,
                                                       TRect& ABounds, TRect& ATextRect, TRect& AArrowRect) const;
  virtual void DrawMonthHeader(TvlCanvas* ACanvas, const TRect& ABounds, const String& AText,
                               TvlNeighbors ANeighbors, const TvlViewParams& AViewParams, TvlHeaderArrows AArrows,
                               Integer ASideWidth, const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const;
  virtual void DrawSchedulerBorder(TvlCanvas* ACanvas, TRect R) const;
  virtual void DrawSchedulerEventProgress(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& AProgress,
                                          const TvlViewParams& AViewParams, Boolean ATransparent) const;
  virtual void DrawSchedulerNavigationButton(TvlCanvas* ACanvas, const TRect& ARect, Boolean AIsNextButton,
                                             TvlButtonState AState, const String& AText, const TRect& ATextRect,
                                             const TRect& AArrowRect) const;
  virtual void DrawSchedulerNavigationButtonArrow(TvlCanvas* ACanvas, const TRect& ARect, Boolean AIsNextButton,
                                                  TColor AColor) const;
  virtual void DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const;
  virtual void DrawSchedulerSplitterBorder(TvlCanvas* ACanvas, TRect R, const TvlViewParams& AViewParams,
                                           Boolean AIsHorizontal) const;
  virtual TRect SchedulerEventProgressOffsets() const;
  virtual TColor SchedulerNavigationButtonTextColor(Boolean AIsNextButton, TvlButtonState AState,
                                                    TColor ADefaultColor) const;
  virtual void SchedulerNavigationButtonSizes(Boolean AIsNextButton, TRect& ABorders, TSize& AArrowSize,
                                              Boolean& AHasTextArea) const;

  // Chart
  virtual Integer ChartToolBoxDataLevelInfoBorderSize() const;

  // Clock
  virtual void DrawClock(TvlCanvas* ACanvas, const TRect& ARect, TDateTime ADateTime,
                         TColor ABackgroundColor) const;

  // Editor buttons and container border
  virtual void DrawEditorButton(TvlCanvas* ACanvas, const TRect& ARect, TvlEditBtnKind AButtonKind,
                                TvlButtonState AState) const;
  virtual Integer EditButtonTextOffset() const;
  virtual TSize EditButtonSize() const;
  virtual TColor EditButtonTextColor() const;
  virtual TColor GetContainerBorderColor(Boolean AIsHighlightBorder) const;

  // Date navigator
  virtual void DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const;

  // Navigator
  virtual void DrawNavigatorGlyph(TvlCanvas* ACanvas, TCustomImageList* AImageList, TImageIndex AImageIndex,
                                  Integer AButtonIndex, const TRect& AGlyphRect, Boolean AEnabled,
                                  Boolean AUserGlyphs) const;
  virtual TSize NavigatorGlyphSize() const;

  // Progress bar
  virtual void DrawProgressBarBorder(TvlCanvas* ACanvas, TRect ARect, Boolean AVertical) const;
  virtual void DrawProgressBarChunk(TvlCanvas* ACanvas, TRect ARect, Boolean AVertical) const;
  virtual void DrawProgressBarText(TvlCanvas* ACanvas, Boolean AVertical, Boolean ASolid, const String& AText,
                                   const TRect& ATextRect, const TRect& AProgressBarRect,
                                   const TRect& AProgressChunkRect, TColor ATextColor = clDefault) const;
  virtual TRect ProgressBarBorderSize(Boolean AVertical) const;
  virtual TColor ProgressBarTextColor() const;
  virtual TColor ProgressBarTextColorEx(Boolean AIsFilledArea) const;

  // Group box
  virtual void DrawGroupBoxBackground(TvlCanvas* ACanvas, TRect ABounds, TRect ARect) const;
  virtual void DrawGroupBoxCaption(TvlCanvas* ACanvas, TRect ACaptionRect,
                                   TvlGroupBoxCaptionPosition ACaptionPosition) const;
  virtual void DrawGroupBoxContent(TvlCanvas* ACanvas, TRect ABorderRect, TvlGroupBoxCaptionPosition ACaptionPosition,
                                   TvlBorders ABorders = vlBordersAll) const;
  virtual void DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled,
                                 TvlGroupBoxCaptionPosition ACaptionPosition,
                                 TvlBorders ABorders = vlBordersAll) const;
  virtual TRect GroupBoxBorderSize(Boolean ACaption, TvlGroupBoxCaptionPosition ACaptionPosition) const;
  virtual TColor GroupBoxTextColor(Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition) const;
  virtual Boolean IsGroupBoxTransparent(Boolean AIsCaption, TvlGroupBoxCaptionPosition ACaptionPosition) const;

  // Panel
  virtual void DrawPanelBackground(TvlCanvas* ACanvas, TWinControl* AControl, TRect ABounds,
                                   TColor AColorFrom = clDefault, TColor AColorTo = clDefault) const;
  virtual void DrawPanelBorders(TvlCanvas* ACanvas, const TRect& ABorderRect) const;
  virtual void DrawPanelCaption(TvlCanvas* ACanvas, const TRect& ACaptionRect,
                                TvlGroupBoxCaptionPosition ACaptionPosition) const;
  virtual void DrawPanelContent(TvlCanvas* ACanvas, const TRect& ABorderRect, Boolean ABorder) const;
  virtual TRect PanelBorderSize() const;
  virtual TColor PanelTextColor() const;

  // Track bar
  virtual void DrawTrackBar(TvlCanvas* ACanvas, const TRect& ARect, const TRect& ASelection, Boolean AShowSelection,
                            Boolean AEnabled, Boolean AHorizontal) const;
  virtual void DrawTrackBarThumb(TvlCanvas* ACanvas, TRect ARect, TvlButtonState AState, Boolean AHorizontal,
                                 TvlTrackBarTicksAlign ATicks) const;
  virtual TSize TrackBarThumbSize(Boolean AHorizontal) const;
  virtual TColor TrackBarTicksColor(Boolean AText) const;
  virtual Integer TrackBarTrackSize() const;

  // Splitter
  virtual TColor GetSplitterInnerColor(Boolean AHighlighted) const;
  virtual TColor GetSplitterOuterColor(Boolean AHighlighted) const;
  virtual void DrawSplitter(TvlCanvas* ACanvas, const TRect& ARect, Boolean AHighlighted, Boolean AClicked,
                            Boolean AHorizontal) const;
  virtual TSize GetSplitterSize(Boolean AHorizontal) const;

  // Layout control
  virtual TColor LayoutControlEmptyAreaColor() const;
  virtual void DrawLayoutControlBackground(TvlCanvas* ACanvas, const TRect& R) const;

  // Print preview
  virtual TRect PrintPreviewPageBordersWidth() const;
  virtual void DrawPrintPreviewBackground(TvlCanvas* ACanvas, const TRect& R) const;
  virtual void DrawPrintPreviewPageBackground(TvlCanvas* ACanvas, const TRect& ABorderRect, const TRect& AContentRect,
                                              Boolean ASelected, Boolean ADrawContent) const;

  // Calculator
  virtual TColor CalcEditButtonTextColor(TvlCalcButtonKind AButtonKind) const;

  // Customization form
  virtual TColor GetCustomizationFormListBackgroundColor() const;

  // Not virtual.
  // The corners of an arrow triangle in R (made square first when
  // AProportional); AArrowSize 0 derives the size from R.
  void CalculateArrowPoints(TRect R, TvlArrowPoints& P, TvlArrowDirection AArrowDirection, Boolean AProportional,
                            Integer AArrowSize = 0) const;
  void DrawButtonCross(TvlCanvas* ACanvas, const TRect& R, TColor AColor, TvlButtonState AState) const;
  // The content, then the border, clipped to ABounds.
  void DrawFooterPanel(TvlCanvas* ACanvas, const TRect& ABounds, const TvlViewParams& AViewParams,
                       TvlBorders ABorders) const;
};

using TvlCustomLookAndFeelPainterClass = TClassOf<TvlCustomLookAndFeelPainter>;

// --- Standard, flat and ultra-flat painters ---------------------------------------------------

// The classic three-dimensional look: two-pixel bevels in the system colours.
class TvlStandardLookAndFeelPainter : public TvlCustomLookAndFeelPainter {
  CL_CLASS(TvlStandardLookAndFeelPainter, TvlCustomLookAndFeelPainter)
 public:
  TvlLookAndFeelStyle LookAndFeelStyle() const override;
  TColor DefaultSchedulerViewContentColor() const override;
  Integer BorderSize() const override;
  void DrawBorder(TvlCanvas* ACanvas, TRect R) const override;
  void DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const override;
  Integer ButtonBorderSize(TvlButtonState AState = vlbsNormal) const override;
  Integer ButtonTextOffset() const override;
  Integer ButtonTextShift() const override;
  void DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                        TColor AColor = clDefault) const override;
  void DrawGroupExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                             TvlButtonState AState) const override;
  Integer ExpandButtonSize() const override;
  Boolean IsButtonHotTrack() const override;
  void DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                        TvlBorders ABorders) const override;
  void DrawHeaderControlSectionBorder(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders,
                                      TvlButtonState AState) const override;
  void DrawSortingMark(TvlCanvas* ACanvas, const TRect& R, Boolean AAscendingSorting) const override;
  Integer HeaderBorderSize() const override;
  Integer HeaderControlSectionBorderSize(TvlButtonState AState = vlbsNormal) const override;
  TPoint SortingMarkSize() const override;
  Integer FooterBorderSize() const override;
  Integer FooterCellBorderSize() const override;
  Integer FooterCellOffset() const override;
  void DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                Boolean AIsFilterActive) const override;
  void DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder, TvlBorders ABorders,
                     Boolean AVertical) const override;
  void DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders, Boolean AVertical) const override;
  Integer TabBorderSize(Boolean AVertical) const override;
  void DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R, TvlScrollBarPart APart,
                         TvlButtonState AState) const override;
  void DrawMonthHeader(TvlCanvas* ACanvas, const TRect& ABounds, const String& AText, TvlNeighbors ANeighbors,
                       const TvlViewParams& AViewParams, TvlHeaderArrows AArrows, Integer ASideWidth,
                       const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;
  void DrawSchedulerSplitterBorder(TvlCanvas* ACanvas, TRect R, const TvlViewParams& AViewParams,
                                   Boolean AIsHorizontal) const override;
  void DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition,
                         TvlBorders ABorders = vlBordersAll) const override;
};

// The standard painter's parts with one-pixel bevels.
class TvlFlatLookAndFeelPainter : public TvlCustomLookAndFeelPainter {
  CL_CLASS(TvlFlatLookAndFeelPainter, TvlCustomLookAndFeelPainter)
 public:
  TvlLookAndFeelStyle LookAndFeelStyle() const override;
  Integer BorderSize() const override;
  void DrawBorder(TvlCanvas* ACanvas, TRect R) const override;
  void DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const override;
  Integer ButtonBorderSize(TvlButtonState AState = vlbsNormal) const override;
  Integer ButtonTextOffset() const override;
  Integer ButtonTextShift() const override;
  void DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                        TColor AColor = clDefault) const override;
  Integer ExpandButtonSize() const override;
  Boolean IsButtonHotTrack() const override;
  void DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                        TvlBorders ABorders) const override;
  void DrawHeaderControlSectionBorder(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders,
                                      TvlButtonState AState) const override;
  void DrawSortingMark(TvlCanvas* ACanvas, const TRect& R, Boolean AAscendingSorting) const override;
  Integer HeaderBorderSize() const override;
  TPoint SortingMarkSize() const override;
  Integer FooterBorderSize() const override;
  Integer FooterCellBorderSize() const override;
  Integer FooterCellOffset() const override;
  void DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                Boolean AIsFilterActive) const override;
  void DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder, TvlBorders ABorders,
                     Boolean AVertical) const override;
  void DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders, Boolean AVertical) const override;
  Integer TabBorderSize(Boolean AVertical) const override;
  void DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R, TvlScrollBarPart APart,
                         TvlButtonState AState) const override;
  void DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const override;
  void DrawSchedulerSplitterBorder(TvlCanvas* ACanvas, TRect R, const TvlViewParams& AViewParams,
                                   Boolean AIsHorizontal) const override;
  void DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition,
                         TvlBorders ABorders = vlBordersAll) const override;
  TColor GetSplitterOuterColor(Boolean AHighlighted) const override;
};

// One-pixel frames, no bevels; hot and pressed parts framed in the highlight
// colour on a background mixed from the highlight and window colours.
class TvlUltraFlatLookAndFeelPainter : public TvlCustomLookAndFeelPainter {
  CL_CLASS(TvlUltraFlatLookAndFeelPainter, TvlCustomLookAndFeelPainter)
 protected:
  void DrawFooterPanelBorder(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders) const override;
  void DrawSchedulerNavigationButtonContent(TvlCanvas* ACanvas, const TRect& ARect, const TRect& AArrowRect,
                                            Boolean AIsNextButton, TvlButtonState AState) const override;

 public:
  TvlLookAndFeelStyle LookAndFeelStyle() const override;
  TColor DefaultSchedulerBorderColor() const override;
  Integer BorderSize() const override;
  void DrawBorder(TvlCanvas* ACanvas, TRect R) const override;
  void DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const override;
  Integer ButtonBorderSize(TvlButtonState AState = vlbsNormal) const override;
  TColor ButtonColor(TvlButtonState AState) const override;
  TRect ButtonFocusRect(TvlCanvas* ACanvas, TRect R) const override;
  TRect ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const override;
  Integer ButtonTextOffset() const override;
  Integer ButtonTextShift() const override;
  TColor ButtonSymbolColor(TvlButtonState AState, TColor ADefaultColor = clDefault) const override;
  TvlButtonState ButtonSymbolState(TvlButtonState AState) const override;
  void DrawButtonInGroup(TvlCanvas* ACanvas, TRect R, TvlButtonState AState, Integer AButtonCount,
                         Integer AButtonIndex, TColor ABackgroundColor) const override;
  void DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawButtonGroupBorder(TvlCanvas* ACanvas, TRect R, Boolean AInplace, Boolean ASelected) const override;
  void DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                        TColor AColor = clDefault) const override;
  Integer ExpandButtonSize() const override;
  Boolean IsButtonHotTrack() const override;
  void DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawHeaderEx(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
                    TvlBorders ABorders, TvlButtonState AState, TAlignment AAlignmentHorz,
                    TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis,
                    const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                    const TvlDrawBackgroundEvent& AOnDrawBackground = {}) const override;
  void DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                        TvlBorders ABorders) const override;
  void DrawHeaderControlSectionBorder(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders,
                                      TvlButtonState AState) const override;
  void DrawHeaderControlSectionContent(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                       TvlButtonState AState, TAlignment AAlignmentHorz,
                                       TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis,
                                       const String& AText, TFont* AFont, TColor ATextColor,
                                       TColor ABkColor) const override;
  void DrawSortingMark(TvlCanvas* ACanvas, const TRect& R, Boolean AAscendingSorting) const override;
  TvlBorders HeaderBorders(TvlNeighbors ANeighbors) const override;
  Integer HeaderBorderSize() const override;
  TPoint SortingMarkSize() const override;
  TvlBorders FooterBorders() const override;
  Integer FooterBorderSize() const override;
  Integer FooterCellBorderSize() const override;
  Integer FooterCellOffset() const override;
  void DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const override;
  void DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                Boolean AIsFilterActive) const override;
  TPoint FilterCloseButtonSize() const override;
  void DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder, TvlBorders ABorders,
                     Boolean AVertical) const override;
  void DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders, Boolean AVertical) const override;
  Integer TabBorderSize(Boolean AVertical) const override;
  void DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R, TvlScrollBarPart APart,
                         TvlButtonState AState) const override;
  void DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const override;
  void DrawSchedulerSplitterBorder(TvlCanvas* ACanvas, TRect R, const TvlViewParams& AViewParams,
                                   Boolean AIsHorizontal) const override;
  void DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled, TvlGroupBoxCaptionPosition ACaptionPosition,
                         TvlBorders ABorders = vlBordersAll) const override;
  void DrawPrintPreviewBackground(TvlCanvas* ACanvas, const TRect& R) const override;
  TColor GetSplitterOuterColor(Boolean AHighlighted) const override;
  TSize GetSplitterSize(Boolean AHorizontal) const override;

 protected:
  // Added by this painter.
  virtual TColor FilterDropDownButtonBorderColor(TvlButtonState AState) const;
  virtual TColor TabBorderColor() const;
  virtual TColor TabBorderDarkColor() const;

 public:
  virtual TColor BorderHighlightColor() const;
};

// --- Named painters registry ----------------------------------------------------------------

// Told when a named painter is registered or unregistered.
class IvlLookAndFeelPainterListener : public virtual IInterface {
  CL_INTERFACE(IvlLookAndFeelPainterListener, "{7665B7CA-2C4B-48B9-ABA2-FA530E7EA468}")
 public:
  virtual void PainterChanged(TvlCustomLookAndFeelPainterClass APainter) = 0;
};

class TvlExtendedStylePainterInfo : public TObject {
  CL_CLASS(TvlExtendedStylePainterInfo, TObject)
 public:
  void Destroy() override;
  TObject* Data{};  // owned
  String Name;
  TvlCustomLookAndFeelPainterClass Painter;
};

// Painters by name: sorted by name (case-sensitive, the locale's order),
// looked up without regard to case. Owns its entries and their data.
class TvlExtendedStylePainters : public TvlObjectList {
  CL_CLASS(TvlExtendedStylePainters, TvlObjectList)
 public:
  void Create();
  void Destroy() override;

  // False (AData stays the caller's) when the name is registered already.
  Boolean Register(const String& AName, TvlCustomLookAndFeelPainterClass APainter, TObject* AData);
  Boolean Unregister(const String& AName);
  Boolean GetPainterByName(const String& AName, TvlCustomLookAndFeelPainterClass& APainter) const;
  Boolean GetNameByPainter(TvlCustomLookAndFeelPainterClass APainter, String& AName) const;
  Boolean GetPainterData(TvlCustomLookAndFeelPainterClass APainter, TObject*& AData) const;
  void AddListener(IvlLookAndFeelPainterListener* AListener);
  void RemoveListener(IvlLookAndFeelPainterListener* AListener);

  TvlExtendedStylePainterInfo* Items(Integer AIndex) const;
  String Names(Integer AIndex) const { return Items(AIndex)->Name; }
  TvlCustomLookAndFeelPainterClass Painters(Integer AIndex) const { return Items(AIndex)->Painter; }
  const std::vector<TInterfacePtr<IvlLookAndFeelPainterListener>>& Listeners() const { return FListeners; }

 private:
  Integer IndexOfName(const String& AName) const;
  void NotifyListeners(TvlCustomLookAndFeelPainterClass APainter);
  std::vector<TInterfacePtr<IvlLookAndFeelPainterListener>> FListeners;
};

// The registry: nil before the unit's start-up and after its shut-down.
TvlExtendedStylePainters* vlGetStylePainterRegistry();

// --- Shared painter resources ------------------------------------------------------------------

// The six indicator images (index = indicator kind - 1); nil outside the
// unit's life.
TImageList* vlIndicatorImages();
// The two 8 x 8 scroll-bar patterns: 0 clBtnFace / clBtnHighlight, 1 black /
// cl3DDkShadow.
TBitmap* vlScrollBarPatternBitmap(Integer AIndex);
// Repaints both patterns from the current system colours (making them when
// missing).
void vlUpdateScrollBarBitmaps();
// A quarter of the width and a third of the height of the system's
// check-box bitmap.
TSize vlCheckButtonGlyphSize();

// The unit's start-up and shut-down.
void vlLookAndFeelPaintersInitialize();
void vlLookAndFeelPaintersFinalize();
