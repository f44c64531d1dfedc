// Skin information for painters: every group, element, colour and property
// that the skin painter uses, resolved once per skin (and again when the
// skin changes) into named fields. An element the skin lacks becomes a
// visible placeholder (a red cross) added to the skin and marked unassigned.
// The information object owns its skin.
//
// Arrays indexed by an enumeration of the painters list their entries in
// that enumeration's order (written beside each array).
#pragma once

#include "lib/lookandfeel/nbSkinsCore.h"

class InbSkinInfo : public virtual IInterface {
  CL_INTERFACE(InbSkinInfo, "{97D85495-E631-413C-8DBC-BE7B784A9EA0}")
 public:
  virtual TnbSkin* GetSkin() = 0;
};

// One part of a scroll bar: an element and the image index it is drawn with.
class TnbSkinScrollInfo : public TObject {
  CL_CLASS(TnbSkinScrollInfo, TObject)
 public:
  void Create(TnbSkinElement* AElement, Integer AImageIndex);
  // Draws the element when there is one; answers whether it did.
  Boolean Draw(win::HDC DC, const TRect& R, Integer AImageIndex, TnbSkinElementState AState);
  Boolean Draw(win::HDC DC, const TRect& R, TnbSkinElementState AState);
  TnbSkinElement* Element() const { return FElement; }
  Integer ImageIndex() const { return FImageIndex; }

 private:
  TnbSkinElement* FElement{};
  Integer FImageIndex{};
};

// Sizes of the arrays below.
constexpr Integer nbSkinScrollBarPartCount = 6;      // sbpNone .. sbpPageDown
constexpr Integer nbSkinGroupBoxPositionCount = 5;   // vlgpTop, vlgpBottom, vlgpLeft, vlgpRight, vlgpCenter
constexpr Integer nbSkinEditBtnKindCount = 8;        // vlbkCloseBtn .. vlbkSpinRightBtn
constexpr Integer nbSkinEditStateColorCount = 4;     // esckNormal, esckDisabled, esckInactive, esckReadOnly
constexpr Integer nbSkinCalcButtonKindCount = 28;    // cbBack .. cbNone
constexpr Integer nbSkinFormIconCount = 6;           // none, help, minimize, maximize, restore, close

// The resolved objects of a skin (nil or 0 when absent); painters read them
// directly.
struct TnbSkinInfoData {
  TnbSkinControlGroup* Group_Bars{};
  TnbSkinControlGroup* Group_Common{};
  TnbSkinControlGroup* Group_Docking{};
  TnbSkinControlGroup* Group_Editors{};
  TnbSkinControlGroup* Group_Form{};
  TnbSkinControlGroup* Group_Grid{};
  TnbSkinControlGroup* Group_Ribbon{};
  TnbSkinControlGroup* Group_Tabs{};
  TnbSkinControlGroup* Group_NavBar{};
  TnbSkinControlGroup* Group_NavPane{};
  TnbSkinControlGroup* Group_PrintingSystem{};
  TnbSkinControlGroup* Group_Scheduler{};
  TnbSkinControlGroup* Group_VerticalGrid{};

  // "Common"
  TnbSkinElement* ButtonElements{};
  TnbSkinColor* ButtonDisabled{};
  TnbSkinElement* GroupBoxCaptionElements[nbSkinGroupBoxPositionCount]{};
  TnbSkinElement* GroupBoxClient{};
  TnbSkinElement* GroupBoxElements[nbSkinGroupBoxPositionCount]{};
  TnbSkinElement* Header{};
  TnbSkinElement* HeaderSpecial{};
  TnbSkinElement* SizeGrip{};
  TnbSkinElement* Splitter[2]{};  // vertical, horizontal
  TnbSkinScrollInfo* ScrollBar_Elements[2][nbSkinScrollBarPartCount]{};  // vertical, horizontal

  // "Editors"
  TnbSkinElement* CheckboxElement{};
  TnbSkinElement* RadioGroupButton{};
  TnbSkinElement* ClockElements[2]{};  // face, glass
  TnbSkinElement* EditButtonElements[2]{};  // editor button, close button
  TnbSkinElement* EditButtonGlyphs[nbSkinEditBtnKindCount]{};
  TnbSkinElement* LabelLine[2]{};  // horizontal, vertical
  TnbSkinElement* NavigatorGlyphs{};
  TnbSkinElement* NavigatorGlyphsVert{};
  TnbSkinElement* ProgressBarElements[4]{};  // border, vertical border, chunk, vertical chunk
  TnbSkinColor* ProgressBarTextColors[2]{};     // empty area, filled area
  TnbSkinElement* TrackBarThumb[2][3]{};        // vertical, horizontal; ticks up, down, both
  TnbSkinElement* TrackBarTrack[2]{};           // vertical, horizontal
  TnbSkinColor* EditorBackgroundColors[nbSkinEditStateColorCount]{};
  TnbSkinColor* EditorTextColors[nbSkinEditStateColorCount]{};
  TnbSkinColor* HyperLinkTextColor{};
  TnbSkinColor* CalendarDayTextColor{};
  TnbSkinColor* CalendarHolidayTextColor{};
  TnbSkinColor* CalendarInactiveDayTextColor{};
  TnbSkinColor* CalendarSelectedDayTextColor{};
  TnbSkinColor* CalendarSelectedDayColor{};
  TnbSkinColor* CalendarSeparatorColor{};
  TnbSkinColor* CalendarTodayFrameColor{};
  TnbSkinColor* CalendarTodayTextColor{};
  TnbSkinColor* CalcEditButtonTextColors[nbSkinCalcButtonKindCount]{};

  // "Grid"
  TnbSkinElement* CardViewSeparator{};
  TnbSkinElement* ExpandButton{};
  TnbSkinElement* FilterButtons[2]{};  // inactive, active filter
  TnbSkinElement* FilterPanel{};
  TnbSkinElement* FooterCell{};
  TnbSkinElement* FooterPanel{};
  TnbSkinElement* GridFixedLine{};
  TnbSkinElement* GridGroupByBox{};
  TnbSkinElement* GridGroupRow{};
  TnbSkinElement* GridLine{};
  TnbSkinElement* IndicatorImages{};

  // "PageControl"
  TnbSkinElement* PageControlHeader{};
  TnbSkinColor* TabTextColor{};
  TnbSkinColor* TabTextColorActive{};
  TnbSkinColor* TabTextColorDisabled{};
  TnbSkinColor* TabTextColorHot{};
  TnbSkinElement* PageControlButtonHorz{};
  TnbSkinElement* PageControlButtonVert{};
  TnbSkinElement* PageControlPane{};
  // RowIndentFar, RowIndentNear, SelectedHeaderDownGrow, SelectedHeaderHGrow,
  // SelectedHeaderUpGrow, HeaderDownGrow.
  Integer PageControlIndents[6]{};

  // "Form"
  TnbSkinElement* FormContent{};
  TnbSkinColor* FormInactiveColor{};
  TnbSkinColor* FormTextShadowColor{};
  TnbSkinElement* FormFrames[2][4]{};  // tool window, normal window; left, caption, right, bottom
  TRect FormBorderWidths[2]{};          // tool window, normal window
  Integer FormCaptionDelta{};
  TnbSkinElement* FormIcons[2][nbSkinFormIconCount]{};  // tool window, normal window

  // "Bars"
  TnbSkinElement* Bar{};
  TnbSkinElement* BarCustomize{};
  TnbSkinElement* BarCustomizeVertical{};
  TnbSkinElement* BarDrag{};
  TnbSkinElement* BarDragVertical{};
  TnbSkinElement* BarSeparator{};
  TnbSkinElement* BarVertical{};
  TnbSkinElement* BarVerticalSeparator{};
  TnbSkinElement* Dock{};
  TnbSkinElement* FloatingBar{};
  TnbSkinElement* ItemSeparator{};
  TnbSkinElement* LinkBorderPainter{};
  TnbSkinElement* LinkSelected{};
  TnbSkinElement* MainMenu{};
  TnbSkinElement* MainMenuCustomize{};
  TnbSkinElement* MainMenuDrag{};
  TnbSkinElement* MainMenuLinkSelected{};
  TnbSkinElement* MainMenuVertical{};
  TnbSkinElement* PopupMenu{};
  TnbSkinElement* PopupMenuCheck{};
  TnbSkinElement* PopupMenuExpandButton{};
  TnbSkinElement* PopupMenuLinkSelected{};
  TnbSkinElement* PopupMenuSeparator{};
  TnbSkinElement* PopupMenuSideStrip{};
  TnbSkinElement* PopupMenuSideStripNonRecent{};
  TnbSkinElement* PopupMenuSplitButton{};
  TnbSkinElement* PopupMenuSplitButton2{};
  TnbSkinElement* ScreenTipWindow{};
  TnbSkinColor* ScreenTipItem{};
  TnbSkinColor* ScreenTipTitleItem{};
  TnbSkinElement* ScreenTipSeparator{};
  TnbSkinElement* FormStatusBar{};
  TnbSkinColor* BarDisabledTextColor{};

  // "Docking"
  TnbSkinElement* DockControlTabHeaderBackground{};
  TnbSkinElement* DockControlTabHeaderLine{};
  TnbSkinElement* DockControlHideBarButtons{};
  TnbSkinElement* DockControlWindowButton{};
  TnbSkinElement* DockControlWindowButtonGlyphs{};
  TnbSkinElement* DockControlTabHeader{};
  TnbSkinElement* DockControlHideBar{};
  TnbSkinElement* DockControlHideBarLeft{};
  TnbSkinElement* DockControlHideBarRight{};
  TnbSkinElement* DockControlHideBarBottom{};
  TnbSkinElement* DockControlCaption{};
  TnbSkinElement* DockControlBorder{};
  TColor DockControlCaptionNonFocusedTextColor{};
  TnbSkinColor* DockControlTabTextColor[2]{};  // normal, active
  Integer DockControlIndents[3]{};  // ActiveTabHeaderDownGrow, ActiveTabHeaderHGrow, ActiveTabHeaderUpGrow

  // The skin's own colours.
  TnbSkinColor* ContainerBorderColor{};
  TnbSkinColor* ContainerHighlightBorderColor{};
  TnbSkinColor* ContentColor{};
  TnbSkinColor* ContentEvenColor{};
  TnbSkinColor* ContentOddColor{};
  TnbSkinColor* ContentTextColor{};
  TnbSkinColor* HeaderBackgroundColor{};
  TnbSkinColor* HeaderBackgroundTextColor{};
  TnbSkinColor* LayoutControlColor{};
  TnbSkinColor* SelectionColor{};
  TnbSkinColor* SelectionTextColor{};
  TnbSkinColor* DockControlHideBarTextColor[2]{};  // normal, hot

  // Groups of controls this system does not have (read by the painter's
  // operations for them).
  TnbSkinElement* SchedulerTimeRuler{};
  TnbSkinElement* SchedulerAppointment[2]{};  // right border, body
  TnbSkinElement* SchedulerNavigationButtons[2]{};  // previous, next
  TnbSkinElement* SchedulerNavigationButtonsArrow[2]{};  // previous, next
  TnbSkinColor* SchedulerNavigatorColor{};
  TnbSkinElement* VGridCategory{};
  TnbSkinElement* VGridLine{};
  TnbSkinElement* VGridBandBorder{};
  TnbSkinElement* VGridRowHeader{};
  TnbSkinElement* PrintingPageBorder{};
  TnbSkinElement* PrintingPreviewBackground{};

};

class TnbSkinInfo : public TvlIUnknownObject,
                    public InbSkinChangeListener,
                    public InbSkinInfo,
                    public TnbSkinInfoData {
  CL_CLASS(TnbSkinInfo, TvlIUnknownObject)
 public:
  virtual void InitializeSkinInfo();
  virtual void FinalizeSkinInfo();
  void SkinContentChanged(TnbSkin* Sender) override;
  virtual void Create(TnbSkin* ASkin);
  void Destroy() override;
  TnbSkin* GetSkin() override { return FSkin; }

  TnbSkin* Skin() const { return FSkin; }
  void SetSkin(TnbSkin* Value);

  // Look-up primitives; each object found is marked used.
  TnbSkinControlGroup* GetGroupByName(const String& AName);
  TnbSkinElement* GetElementByName(TnbSkinControlGroup* AGroup, const String& AName,
                                   Boolean AAllowPlaceholder = true);
  // The colour property of that name (EInvalidCast when it is of another class).
  TnbSkinColor* GetColorByName(TnbSkinPersistent* AOwner, const String& AName);
  TColor GetColorValueByName(TnbSkinPersistent* AOwner, const String& AName);
  Integer GetIntegerByName(TnbSkinPersistent* AOwner, const String& AName, Integer ADefault);
  TnbSkinIntegerProperty* GetIntegerPropertyByName(TnbSkinPersistent* AOwner, const String& AName);

 private:
  // Every resolved field back to nil or 0.
  void ClearFields();
  TnbSkin* FSkin{};
};
