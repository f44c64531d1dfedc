#include "lib/lookandfeel/nbSkinInfo.h"

#include <algorithm>
#include <memory>

#include "lib/foundation/nbGDIPlusClasses.h"
#include "lib/foundation/vlImages.h"

CL_IMPLEMENT_CLASS(TnbSkinScrollInfo)
CL_IMPLEMENT_CLASS(TnbSkinInfo)

namespace {

void MarkUsed(TnbSkinCustomPersistentObject* AObject) {
  if (!AObject) return;
  TnbSkinObjectStates state = AObject->State();
  state.Exclude(sosUnused);
  AObject->SetState(state);
}

// The red cross of an element the skin lacks.
void MakePlaceholder(TnbSkinElement* AElement) {
  AElement->Image()->SetStates(TnbSkinElementStates{esNormal});
  AElement->Image()->SetStretch(smStretch);
  AElement->SetState(TnbSkinObjectStates{sosUnassigned, sosUnused});
  std::unique_ptr<TvlBitmap, TObjectFree> bitmap(vlNewBitmap(32, 32, pf24bit));
  TCanvas* canvas = bitmap->Canvas();
  canvas->Brush()->SetColor(TColor(0xFFFFFF));
  canvas->FillRect(Rect(0, 0, 32, 32));
  canvas->Pen()->SetColor(TColor(0x0000FF));
  canvas->Pen()->SetWidth(2);
  canvas->MoveTo(0, 0);
  canvas->LineTo(32, 32);
  canvas->MoveTo(0, 32);
  canvas->LineTo(32, 0);
  AElement->Image()->Texture()->SetBitmap(bitmap.get());
  AElement->Image()->Changed();
}

}  // namespace

// --- TnbSkinScrollInfo ------------------------------------------------------------------------

void TnbSkinScrollInfo::Create(TnbSkinElement* AElement, Integer AImageIndex) {
  FElement = AElement;
  FImageIndex = AImageIndex;
}

Boolean TnbSkinScrollInfo::Draw(win::HDC DC, const TRect& R, Integer AImageIndex, TnbSkinElementState AState) {
  if (!FElement) return false;
  FElement->Draw(DC, R, AImageIndex, AState);
  return true;
}

Boolean TnbSkinScrollInfo::Draw(win::HDC DC, const TRect& R, TnbSkinElementState AState) {
  return Draw(DC, R, FImageIndex, AState);
}

// --- TnbSkinInfo ---------------------------------------------------------------------------------

void TnbSkinInfo::Create(TnbSkin* ASkin) { SetSkin(ASkin); }

void TnbSkinInfo::Destroy() {
  TnbSkin* skin = FSkin;
  SetSkin(nullptr);
  Free(skin);
  inherited::Destroy();
}

void TnbSkinInfo::SetSkin(TnbSkin* Value) {
  if (Value == FSkin) return;
  if (FSkin) {
    FinalizeSkinInfo();
    FSkin->RemoveListener(this);
  }
  FSkin = Value;
  if (FSkin) FSkin->AddListener(this);
  InitializeSkinInfo();
}

void TnbSkinInfo::SkinContentChanged(TnbSkin* Sender) {
  FinalizeSkinInfo();
  InitializeSkinInfo();
}

void TnbSkinInfo::FinalizeSkinInfo() {
  for (auto& orientation : ScrollBar_Elements)
    for (TnbSkinScrollInfo*& part : orientation) FreeAndNil(part);
}

void TnbSkinInfo::ClearFields() {
  FinalizeSkinInfo();
  static_cast<TnbSkinInfoData&>(*this) = TnbSkinInfoData{};
}

TnbSkinControlGroup* TnbSkinInfo::GetGroupByName(const String& AName) {
  if (!FSkin) return nullptr;
  TnbSkinControlGroup* group = FSkin->GetGroupByName(AName);
  if (!group) {
    group = FSkin->AddGroup(AName);
    group->SetState(TnbSkinObjectStates{sosUnassigned, sosUnused});
  }
  MarkUsed(group);
  return group;
}

TnbSkinElement* TnbSkinInfo::GetElementByName(TnbSkinControlGroup* AGroup, const String& AName,
                                              Boolean AAllowPlaceholder) {
  if (!AGroup) return nullptr;
  TnbSkinElement* element = AGroup->GetElementByName(AName);
  if (!element && AAllowPlaceholder) {
    element = AGroup->AddElement(AName);
    MakePlaceholder(element);
  }
  MarkUsed(element);
  return element;
}

TnbSkinColor* TnbSkinInfo::GetColorByName(TnbSkinPersistent* AOwner, const String& AName) {
  if (!AOwner) return nullptr;
  TnbSkinProperty* property = AOwner->GetPropertyByName(AName);
  if (!property) return nullptr;
  TnbSkinColor* color = As<TnbSkinColor>(property);
  MarkUsed(color);
  return color;
}

TColor TnbSkinInfo::GetColorValueByName(TnbSkinPersistent* AOwner, const String& AName) {
  TnbSkinColor* color = GetColorByName(AOwner, AName);
  return color ? color->Value() : nbSkinClDefault;
}

TnbSkinIntegerProperty* TnbSkinInfo::GetIntegerPropertyByName(TnbSkinPersistent* AOwner, const String& AName) {
  if (!AOwner) return nullptr;
  auto* property = dynamic_cast<TnbSkinIntegerProperty*>(AOwner->GetPropertyByName(AName));
  MarkUsed(property);
  return property;
}

Integer TnbSkinInfo::GetIntegerByName(TnbSkinPersistent* AOwner, const String& AName, Integer ADefault) {
  TnbSkinIntegerProperty* property = GetIntegerPropertyByName(AOwner, AName);
  return property ? property->Value() : ADefault;
}

void TnbSkinInfo::InitializeSkinInfo() {
  ClearFields();
  auto element = [this](TnbSkinControlGroup* AGroup, const char16_t* AName) {
    return GetElementByName(AGroup, AName);
  };
  auto skinColor = [this](const char16_t* AName) -> TnbSkinColor* {
    if (!FSkin) return nullptr;
    TnbSkinColor* color = FSkin->GetColorByName(AName);
    MarkUsed(color);
    return color;
  };
  if (FSkin) FSkin->BeginUpdate();
  struct TUnlock {
    TnbSkin* Skin;
    ~TUnlock() {
      // Placeholders added here are no change of the skin's content.
      if (Skin) Skin->CancelUpdate();
    }
  } unlock{FSkin};

  // Groups.
  Group_Bars = GetGroupByName(u"Bars");
  Group_Common = GetGroupByName(u"Common");
  Group_Docking = GetGroupByName(u"Docking");
  Group_Editors = GetGroupByName(u"Editors");
  Group_Ribbon = GetGroupByName(u"Ribbon");
  Group_Form = GetGroupByName(u"Form");
  Group_Grid = GetGroupByName(u"Grid");
  Group_Tabs = GetGroupByName(u"PageControl");
  Group_Scheduler = GetGroupByName(u"Scheduler");
  Group_VerticalGrid = GetGroupByName(u"VerticalGrid");
  Group_NavBar = GetGroupByName(u"NavBar");
  Group_NavPane = GetGroupByName(u"NavPane");
  Group_PrintingSystem = GetGroupByName(u"PrintingSystem");

  // Bars.
  TnbSkinControlGroup* bars = Group_Bars;
  Bar = element(bars, u"Bar");
  BarCustomize = element(bars, u"BarCustomize");
  BarCustomizeVertical = element(bars, u"BarCustomizeVertical");
  BarDrag = element(bars, u"BarDragGrip");
  BarDragVertical = element(bars, u"BarDragGripVertical");
  BarSeparator = element(bars, u"BarSeparator");
  BarVertical = element(bars, u"BarVertical");
  BarVerticalSeparator = element(bars, u"BarSeparatorVertical");
  Dock = element(bars, u"Dock");
  FloatingBar = element(bars, u"FloatBar");
  ItemSeparator = element(bars, u"ItemSeparator");
  LinkBorderPainter = element(bars, u"LinkStatic");
  LinkSelected = element(bars, u"LinkSelected");
  MainMenu = element(bars, u"MainMenu");
  MainMenuCustomize = GetElementByName(bars, u"MainMenuCustomize", false);
  MainMenuDrag = GetElementByName(bars, u"MainMenuDrag", false);
  MainMenuLinkSelected = element(bars, u"MainMenuLinkSelected");
  MainMenuVertical = element(bars, u"MainMenuVertical");
  PopupMenu = element(bars, u"PopupMenu");
  PopupMenuCheck = element(bars, u"PopupMenuCheck");
  PopupMenuExpandButton = element(bars, u"PopupMenuExpandButton");
  PopupMenuLinkSelected = element(bars, u"PopupMenuLinkSelected");
  PopupMenuSeparator = element(bars, u"PopupMenuSeparator");
  PopupMenuSideStrip = element(bars, u"PopupMenuSideStrip");
  PopupMenuSideStripNonRecent = element(bars, u"PopupMenuSideStripNonRecent");
  PopupMenuSplitButton = element(bars, u"PopupMenuDropDownButtonLabel");
  PopupMenuSplitButton2 = element(bars, u"PopupMenuDropDownButtonArrow");

  // Form.
  static const char16_t* const frameNames[2][4] = {
      {u"FormFrameLeft", u"SmallFormCaption", u"FormFrameRight", u"FormFrameBottom"},
      {u"FormFrameLeft", u"FormCaption", u"FormFrameRight", u"FormFrameBottom"}};
  for (Integer w = 0; w < 2; ++w) {
    for (Integer i = 0; i < 4; ++i) FormFrames[w][i] = element(Group_Form, frameNames[w][i]);
    auto width = [](TnbSkinElement* AElement) { return AElement ? AElement->Size().cx : 0; };
    FormBorderWidths[w] = Rect(width(FormFrames[w][0]), 0, width(FormFrames[w][2]),
                               FormFrames[w][3] ? FormFrames[w][3]->Size().cy : 0);
  }
  FormStatusBar = element(bars, u"StatusBar");
  FormContent = element(Group_Form, u"FormContent");
  FormInactiveColor = GetColorByName(Group_Form, u"TextColorInactive");
  FormTextShadowColor = GetColorByName(Group_Form, u"TextShadowColor");
  FormCaptionDelta = std::max(1, GetIntegerByName(FormFrames[1][1], u"FontDelta", 0));
  FormIcons[0][5] = element(Group_Form, u"SmallFormButtonClose");
  static const char16_t* const iconNames[5] = {u"FormButtonHelp", u"FormButtonMinimize", u"FormButtonMaximize",
                                               u"FormButtonRestore", u"FormButtonClose"};
  for (Integer i = 0; i < 5; ++i) FormIcons[1][i + 1] = element(Group_Form, iconNames[i]);

  // Docking.
  TnbSkinControlGroup* docking = Group_Docking;
  DockControlTabHeaderBackground = element(docking, u"TabHeaderBackground");
  DockControlTabHeaderLine = element(docking, u"TabHeaderLine");
  DockControlHideBarButtons = element(docking, u"TabHeaderAutoHideBar");
  DockControlWindowButton = element(docking, u"DockWindowButton");
  DockControlWindowButtonGlyphs = element(docking, u"DockWindowButtonGlyphs");
  DockControlTabHeader = element(docking, u"TabHeader");
  DockControlHideBar = element(docking, u"AutoHideBar");
  DockControlHideBarLeft = element(docking, u"AutoHideBarLeft");
  DockControlHideBarRight = element(docking, u"AutoHideBarRight");
  DockControlHideBarBottom = element(docking, u"AutoHideBarBottom");
  DockControlCaption = element(docking, u"DockWindowCaption");
  DockControlBorder = element(docking, u"DockWindowBorder");
  DockControlCaptionNonFocusedTextColor = GetColorValueByName(DockControlCaption, u"InactiveCaptionTextColor");
  DockControlIndents[0] = GetIntegerByName(docking, u"ActiveTabHeaderDownGrow", 0);
  DockControlIndents[1] = GetIntegerByName(docking, u"ActiveTabHeaderHGrow", 0);
  DockControlIndents[2] = GetIntegerByName(docking, u"ActiveTabHeaderUpGrow", 0);

  // Buttons, expand button, footer.
  ButtonElements = element(Group_Common, u"Button");
  ButtonDisabled = GetColorByName(ButtonElements, u"DisabledText");
  ExpandButton = element(Group_Grid, u"PlusMinus");
  FooterCell = element(Group_Grid, u"FooterCell");
  FooterPanel = element(Group_Grid, u"FooterPanel");

  // Calculator and calendar colours.
  TnbSkinControlGroup* editors = Group_Editors;
  for (Integer k = 0; k < nbSkinCalcButtonKindCount; ++k) {
    const char16_t* name = k < 3    ? u"CalcEditEditingOperationTextColor"
                           : k < 7  ? u"CalcEditMemoryOperationTextColor"
                           : k < 19 ? u"CalcEditDigitTextColor"
                           : k < 23 ? u"CalcEditArithmeticOperationTextColor"
                                    : u"CalcEditScientificOperationTextColor";
    CalcEditButtonTextColors[k] = GetColorByName(editors, name);
  }
  CalendarDayTextColor = GetColorByName(editors, u"CalendarDayTextColor");
  CalendarHolidayTextColor = GetColorByName(editors, u"CalendarHolidayTextColor");
  CalendarInactiveDayTextColor = GetColorByName(editors, u"CalendarInactiveDayTextColor");
  CalendarSelectedDayTextColor = GetColorByName(editors, u"CalendarSelectedDayTextColor");
  CalendarSelectedDayColor = GetColorByName(editors, u"CalendarSelectedDayColor");
  CalendarSeparatorColor = GetColorByName(editors, u"CalendarSeparatorColor");
  CalendarTodayFrameColor = GetColorByName(editors, u"CalendarTodayFrameColor");
  CalendarTodayTextColor = GetColorByName(editors, u"CalendarTodayTextColor");

  // Check box, clock, label lines, editor buttons and glyphs.
  CheckboxElement = element(editors, u"Checkbox");
  ClockElements[0] = element(editors, u"ClockFace");
  ClockElements[1] = element(editors, u"ClockGlass");
  LabelLine[0] = element(editors, u"LabelLine");
  LabelLine[1] = element(editors, u"LabelLineVert");
  EditButtonElements[0] = element(editors, u"EditorButton");
  EditButtonElements[1] = element(editors, u"CloseButton");
  static const char16_t* const glyphNames[nbSkinEditBtnKindCount] = {
      u"CloseButton", u"ComboButtonGlyph", u"EditorButton", u"EditorButton",
      u"SpinUpGlyph", u"SpinDownGlyph",    u"SpinLeftGlyph", u"SpinRightGlyph"};
  for (Integer k = 0; k < nbSkinEditBtnKindCount; ++k) EditButtonGlyphs[k] = element(editors, glyphNames[k]);

  // Group boxes.
  static const char16_t* const captionNames[4] = {u"GroupPanelCaptionTop", u"GroupPanelCaptionBottom",
                                                  u"GroupPanelCaptionLeft", u"GroupPanelCaptionRight"};
  for (Integer p = 0; p < 4; ++p) GroupBoxCaptionElements[p] = element(Group_Common, captionNames[p]);
  GroupBoxClient = element(Group_Common, u"GroupPanelNoBorder");
  static const char16_t* const frameBoxNames[nbSkinGroupBoxPositionCount] = {
      u"GroupPanelTop", u"GroupPanelBottom", u"GroupPanelLeft", u"GroupPanelRight", u"GroupPanel"};
  for (Integer p = 0; p < nbSkinGroupBoxPositionCount; ++p) GroupBoxElements[p] = element(Group_Common, frameBoxNames[p]);

  // Grid lines, card separator, group panel and row, vertical grid.
  GridLine = element(Group_Grid, u"GridLine");
  GridFixedLine = element(Group_Grid, u"GridFixedLine");
  CardViewSeparator = element(Group_Grid, u"CardSeparator");
  GridGroupByBox = element(Group_Grid, u"GridGroupPanel");
  if (GridGroupByBox && !GridGroupByBox->Image()->Empty()) GridGroupByBox->SetColor(nbSkinClNone);
  GridGroupRow = element(Group_Grid, u"GroupRow");
  VGridCategory = element(Group_VerticalGrid, u"Category");
  VGridLine = element(Group_VerticalGrid, u"GridLine");
  VGridBandBorder = element(Group_VerticalGrid, u"BandBorder");
  VGridRowHeader = element(Group_VerticalGrid, u"RowHeader");
  IndicatorImages = element(Group_Grid, u"IndicatorImages");

  // Navigator glyphs.
  NavigatorGlyphs = element(editors, u"Navigator");
  NavigatorGlyphsVert = element(editors, u"NavigatorVert");

  // Scheduler.
  TnbSkinControlGroup* scheduler = Group_Scheduler;
  SchedulerTimeRuler = element(scheduler, u"Ruler");
  SchedulerAppointment[0] = element(scheduler, u"AppointmentRightBorder");
  SchedulerAppointment[1] = element(scheduler, u"Appointment");
  SchedulerNavigationButtons[0] = element(scheduler, u"NavButtonPrev");
  SchedulerNavigationButtons[1] = element(scheduler, u"NavButtonNext");
  SchedulerNavigationButtonsArrow[0] = element(scheduler, u"NavButtonPrevArrow");
  SchedulerNavigationButtonsArrow[1] = element(scheduler, u"NavButtonNextArrow");

  // Header, filter, page control, progress bar, radio button.
  Header = element(Group_Common, u"Header");
  HeaderSpecial = element(Group_Common, u"HeaderSpecial");
  FilterButtons[0] = element(Group_Grid, u"FilterButton");
  FilterButtons[1] = element(Group_Grid, u"FilterButtonActive");
  FilterPanel = element(Group_Grid, u"GridFilterPanel");
  PageControlHeader = element(Group_Tabs, u"TabHeader");
  PageControlButtonHorz = element(Group_Tabs, u"TabButtonHorz");
  PageControlButtonVert = element(Group_Tabs, u"TabButtonVert");
  if (FormContent) {
    if (PageControlButtonHorz) PageControlButtonHorz->SetColor(FormContent->Color());
    if (PageControlButtonVert) PageControlButtonVert->SetColor(FormContent->Color());
  }
  PageControlPane = element(Group_Tabs, u"TabPane");
  static const char16_t* const indentNames[6] = {u"RowIndentFar",        u"RowIndentNear",
                                                 u"SelectedHeaderDownGrow", u"SelectedHeaderHGrow",
                                                 u"SelectedHeaderUpGrow",   u"HeaderDownGrow"};
  for (Integer i = 0; i < 6; ++i) PageControlIndents[i] = GetIntegerByName(Group_Tabs, indentNames[i], 0);
  ProgressBarElements[0] = element(editors, u"ProgressBorder");
  ProgressBarElements[1] = element(editors, u"ProgressBorderVert");
  ProgressBarElements[2] = element(editors, u"ProgressChunk");
  ProgressBarElements[3] = element(editors, u"ProgressChunkVert");
  ProgressBarTextColors[0] = GetColorByName(editors, u"ProgressBarEmptyTextColor");
  ProgressBarTextColors[1] = GetColorByName(editors, u"ProgressBarFilledTextColor");
  RadioGroupButton = element(editors, u"RadioButton");

  // Scroll bars: line buttons, thumbs and both page areas of each orientation.
  if (FSkin) {
    TnbSkinElement* button = element(Group_Common, u"ScrollButton");
    if (button && FormContent) button->SetColor(FormContent->Color());
    for (Integer horizontal = 0; horizontal < 2; ++horizontal) {
      TnbSkinElement* thumb = element(Group_Common, horizontal ? u"ScrollThumbHorz" : u"ScrollThumbVert");
      TnbSkinElement* content = element(Group_Common, horizontal ? u"ScrollContentHorz" : u"ScrollContentVert");
      TnbSkinScrollInfo** parts = ScrollBar_Elements[horizontal];
      parts[1] = New<TnbSkinScrollInfo>(button, horizontal * 2);      // line up (left)
      parts[2] = New<TnbSkinScrollInfo>(button, horizontal * 2 + 1);  // line down (right)
      parts[3] = New<TnbSkinScrollInfo>(thumb, 0);
      parts[4] = New<TnbSkinScrollInfo>(content, 0);
      parts[5] = New<TnbSkinScrollInfo>(content, 0);
    }
  }

  // Size grip, splitters, track bar, screen tips, print preview.
  SizeGrip = element(Group_Common, u"SizeGrip");
  Splitter[0] = element(Group_Common, u"Splitter");
  Splitter[1] = element(Group_Common, u"SplitterHorz");
  static const char16_t* const thumbNames[2][3] = {
      {u"TrackBarThumbVertUp", u"TrackBarThumbVert", u"TrackBarThumbVertBoth"},
      {u"TrackBarThumbUp", u"TrackBarThumb", u"TrackBarThumbBoth"}};
  for (Integer o = 0; o < 2; ++o)
    for (Integer t = 0; t < 3; ++t) TrackBarThumb[o][t] = element(editors, thumbNames[o][t]);
  TrackBarTrack[0] = element(editors, u"TrackBarTrackVert");
  TrackBarTrack[1] = element(editors, u"TrackBarTrack");
  ScreenTipWindow = element(bars, u"ScreenTipWindow");
  ScreenTipItem = GetColorByName(ScreenTipWindow, u"ScreenTipItem");
  ScreenTipTitleItem = GetColorByName(ScreenTipWindow, u"ScreenTipTitleItem");
  ScreenTipSeparator = element(bars, u"ScreenTipSeparator");
  PrintingPageBorder = element(Group_PrintingSystem, u"PageBorder");
  PrintingPreviewBackground = element(Group_PrintingSystem, u"PreviewBackground");

  // Colours.
  BarDisabledTextColor = GetColorByName(bars, u"DisabledTextColor");
  DockControlTabTextColor[0] = GetColorByName(docking, u"TabHeaderTextColor");
  DockControlTabTextColor[1] = GetColorByName(docking, u"TabHeaderTextColorActive");
  SchedulerNavigatorColor = GetColorByName(scheduler, u"NavigatorColor");
  TabTextColor = GetColorByName(PageControlHeader, u"TextColor");
  TabTextColorActive = GetColorByName(PageControlHeader, u"TextColorSelected");
  TabTextColorDisabled = GetColorByName(PageControlHeader, u"TextColorDisabled");
  TabTextColorHot = GetColorByName(PageControlHeader, u"TextColorHot");
  HyperLinkTextColor = GetColorByName(editors, u"HyperLinkTextColor");
  static const char16_t* const backgroundNames[nbSkinEditStateColorCount] = {
      u"BackgroundColor", u"BackgroundDisabledColor", u"BackgroundInactiveColor", u"BackgroundReadOnlyColor"};
  static const char16_t* const textNames[nbSkinEditStateColorCount] = {u"TextColor", u"TextDisabledColor",
                                                                       u"TextInactiveColor", u"TextReadOnlyColor"};
  for (Integer k = 0; k < nbSkinEditStateColorCount; ++k) {
    EditorBackgroundColors[k] = GetColorByName(editors, backgroundNames[k]);
    EditorTextColors[k] = GetColorByName(editors, textNames[k]);
  }
  ContainerBorderColor = skinColor(u"ContainerBorderColor");
  ContainerHighlightBorderColor = skinColor(u"ContainerHighlightBorderColor");
  ContentColor = skinColor(u"ContentColor");
  ContentEvenColor = skinColor(u"ContentEvenColor");
  ContentOddColor = skinColor(u"ContentOddColor");
  ContentTextColor = skinColor(u"ContentTextColor");
  HeaderBackgroundColor = skinColor(u"HeaderBackgroundColor");
  HeaderBackgroundTextColor = skinColor(u"HeaderBackgroundTextColor");
  LayoutControlColor = skinColor(u"LayoutControlColor");
  SelectionColor = skinColor(u"SelectionColor");
  SelectionTextColor = skinColor(u"SelectionTextColor");
  DockControlHideBarTextColor[0] = skinColor(u"DockControlHiddenBarTextColor");
  DockControlHideBarTextColor[1] = skinColor(u"DockControlHiddenBarTextHotColor");
}
