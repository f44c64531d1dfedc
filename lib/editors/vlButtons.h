// The library's push button (TvlButton): an owner-drawn platform button that
// paints every state through its look and feel's painter, with a picture
// and caption laid out by its glyph object, two drop-down kinds that open a
// popup menu, colours by state, and speed-button behaviour (a button that
// need not take the focus, can stay down and can form an exclusive group).
//
// Pictures: TvlButtonGlyph prepares one picture per slot (normal, disabled,
// pressed) on demand into a TvlGlyphList of the picture's size, taken from
// the process-wide TvlGlyphCache, so that buttons with pictures of one size
// share one image list.
//
// Subclassing: a descendant names its glyph class in GetGlyphClass and may
// choose its painter in GetPainterClass; MouseEnter and MouseLeave are the
// hot-state steps. Everything else is the platform button's contract
// (Click, Default, Cancel, ModalResult).
#pragma once

#include "lib/foundation/vlImageList.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlControls.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

class TBits;
class TControlCanvas;
class TvlCustomButton;

// The button's private messages: open the drop-down menu, the menu closed.
constexpr Cardinal VLM_DROPDOWNPOPUPMENU = 0x8065;
constexpr Cardinal VLM_CLOSEUPPOPUPMENU = 0x8066;

// Width of the arrow part of a vlbkDropDownButton; the face ends
// DropDownButtonOverlap pixels inside it.
constexpr Integer vlDropDownButtonWidth = 15;
constexpr Integer vlDropDownButtonOverlap = 2;

CL_ENUM(TvlButtonKind, Byte, vlbkStandard, vlbkDropDown, vlbkDropDownButton)
CL_ENUM(TvlButtonPaintStyle, Byte, bpsDefault, bpsCaption, bpsGlyph)
CL_ENUM(TvlButtonAssignedColor, Byte, vlbcDefault, vlbcDefaultText, vlbcDisabled, vlbcDisabledText, vlbcHot,
        vlbcHotText, vlbcNormal, vlbcNormalText, vlbcPressed, vlbcPressedText)
using TvlButtonAssignedColors = TSet<TvlButtonAssignedColor, 2>;
CL_SET_TYPEINFO(TvlButtonAssignedColors)
CL_ENUM(TvlButtonInternalStateItem, Byte, bisDown, bisHot, bisPressed, bisMenuButtonPressed, bisMenuVisible,
        bisAccelExecute)
using TvlButtonInternalState = TSet<TvlButtonInternalStateItem, 1>;

using TvlButtonGetDrawParamsEvent =
    TDelegate<void(TvlCustomButton* Sender, TvlButtonState AState, TColor& AColor, TFont* AFont)>;
CL_EVENT_TYPEINFO(TvlButtonGetDrawParamsEvent)
using TvlButtonDropDownMenuPopupEvent =
    TDelegate<void(TObject* Sender, TPopupMenu*& APopupMenu, Boolean& AHandled)>;
CL_EVENT_TYPEINFO(TvlButtonDropDownMenuPopupEvent)

// --- Glyphs ----------------------------------------------------------------------------

// The button's picture source: a bitmap strip, or one image of an image list.
// (The image list unit has a class of the same name; this one is the
// button's own, hence the namespace.)
namespace vlButtons {
class TvlImageInfo : public TObject {
  CL_CLASS(TvlImageInfo, TObject)
 public:
  void Create();
  void Destroy() override;

  // The bitmap is not empty, or the index is valid for the image list.
  Boolean IsImageAssigned();
  // (0, 0) when nothing is assigned.
  TSize GetImageSize();

  TBitmap* Glyph() const { return FGlyph; }
  void SetGlyph(TBitmap* Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  const TNotifyEvent& OnChange() const;
  void SetOnChange(const TNotifyEvent& Value);

 private:
  void DoChange();

  TBitmap* FGlyph{};
  TCustomImageList* FImages{};
  Integer FImageIndex{};
};
}  // namespace vlButtons

// An image list of one picture size whose slots are reused: a deleted slot
// only clears its bit, and the next picture takes the first clear slot.
class TvlGlyphList : public TvlImageList {
  CL_CLASS(TvlGlyphList, TvlImageList)
 public:
  void Initialize() override;
  void Destroy() override;

  Integer Add(TBitmap* AImage, TBitmap* AMask);
  Integer AddMasked(TBitmap* AImage, TColor AMaskColor);
  void Delete(Integer AIndex);
  // The slots in use.
  Integer UsedCount() const { return FCount; }

 private:
  Integer AllocateIndex(TBitmap* AImage);

  TBits* FUsed{};
  Integer FCount{};
};

// The process-wide set of glyph lists, one per picture size.
class TvlGlyphCache : public TObject {
  CL_CLASS(TvlGlyphCache, TObject)
 public:
  void Create();
  void Destroy() override;
  TvlGlyphList* GetList(Integer AWidth, Integer AHeight);
  // Frees a list whose slots are all free.
  void ReturnList(TvlGlyphList* AList);
  Boolean Empty() const;
  Integer ListCount() const;

 private:
  TList* FGlyphLists{};
};

// The cache (nil when none exists).
TvlGlyphCache* vlGlyphCache();

// Places and draws a button's picture and caption.
class TvlButtonGlyph : public TObject {
  CL_CLASS(TvlButtonGlyph, TObject)
 public:
  static constexpr Integer SlotCount = 4;

  // Widths kept free around the caption.
  virtual TRect GetCaptionMargins(TButtonLayout ALayout);
  virtual void PaintGlyphImage(TvlCanvas* ACanvas, const TPoint& AGlyphPos, TvlButtonState AState);
  virtual void PaintCaption(TvlCanvas* ACanvas, const String& ACaption, const TRect& ATextBounds,
                            TvlButtonState AState, Integer ABiDiFlags, Boolean AIsWinXPPainter, Boolean AWordWrap,
                            Boolean AIsSkinPainter);
  virtual void Create(TvlCustomButton* AButton);
  void Destroy() override;
  virtual void Draw(TvlCanvas* ACanvas, const TRect& AClient, Integer AOffset, const String& ACaption,
                    TButtonLayout ALayout, Integer AMargin, Integer ASpacing, TvlButtonState AState,
                    Integer ABiDiFlags, Boolean AIsWinXPPainter, Boolean AWordWrap, Boolean AIsSkinPainter);

  // The layout of Draw: the picture's top-left corner and the caption's box.
  void CalcLayout(TvlCanvas* ACanvas, const TRect& AClient, Integer AOffset, const String& ACaption,
                  TButtonLayout ALayout, Integer AMargin, Integer ASpacing, Integer ABiDiFlags, Boolean AWordWrap,
                  TPoint& AGlyphPos, TRect& ATextBounds);
  // The slot's picture in the glyph list, prepared when needed (-1 when
  // no picture is assigned).
  Integer PrepareGlyph(Integer ASlot);
  // The picture slot shown for a button state.
  Integer SlotOfState(TvlButtonState AState) const;
  Boolean IsGlyphVisible();
  Boolean IsCaptionVisible(const String& ACaption);
  // One picture's size ((0, 0) without a picture).
  TSize GlyphSize();

  TBitmap* Glyph() const;
  void SetGlyph(TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(TNumGlyphs Value);
  TCustomImageList* ImageList() const;
  void SetImageList(TCustomImageList* Value);
  Integer ImageIndex() const;
  void SetImageIndex(Integer Value);
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  TvlGlyphList* GlyphList() const { return FGlyphList; }
  Integer GlyphIndex(Integer ASlot) const { return FIndexs[ASlot]; }

 private:
  void GlyphChanged(TObject* Sender);
  // Drops every prepared picture and gives the list back to the cache.
  void Invalidate();
  void DoChange();

  TvlCustomButton* FButton{};
  TvlGlyphList* FGlyphList{};
  Integer FIndexs[SlotCount]{};
  TNumGlyphs FNumGlyphs{};
  TNotifyEvent FOnChange;
  vlButtons::TvlImageInfo* FImageInfo{};
};
using TvlButtonGlyphClass = TClassOf<TvlButtonGlyph>;

// --- Colours and speed-button options -------------------------------------------------

class TvlButtonColors : public TPersistent {
  CL_CLASS(TvlButtonColors, TPersistent)
 public:
  void Create(TvlCustomButton* AButton);
  void Assign(TPersistent* Source) override;

  // The colour of a state (AIsText: its text colour); may be clDefault.
  TColor GetColorByState(TvlButtonState AState, Boolean AIsText = false) const;
  TColor Color(TvlButtonAssignedColor AIndex) const { return FColors[AIndex]; }
  void SetColor(TvlButtonAssignedColor AIndex, TColor Value);
  // The published colours, by the ordinal of their member.
  TColor GetIndexedColor(Integer AIndex) const { return FColors[AIndex]; }
  void SetIndexedColor(Integer AIndex, TColor Value) { SetColor(TvlButtonAssignedColor(AIndex), Value); }
  Boolean IsIndexedColorStored(Integer AIndex) const {
    return FAssignedColors.Contains(TvlButtonAssignedColor(AIndex));
  }
  Boolean AnyAssigned() const { return !FAssignedColors.Empty(); }

  TvlButtonAssignedColors AssignedColors() const { return FAssignedColors; }
  void SetAssignedColors(TvlButtonAssignedColors Value);
  TColor Default() const { return FColors[vlbcDefault]; }
  void SetDefault(TColor Value) { SetColor(vlbcDefault, Value); }
  TColor DefaultText() const { return FColors[vlbcDefaultText]; }
  void SetDefaultText(TColor Value) { SetColor(vlbcDefaultText, Value); }
  TColor Normal() const { return FColors[vlbcNormal]; }
  void SetNormal(TColor Value) { SetColor(vlbcNormal, Value); }
  TColor NormalText() const { return FColors[vlbcNormalText]; }
  void SetNormalText(TColor Value) { SetColor(vlbcNormalText, Value); }
  TColor Hot() const { return FColors[vlbcHot]; }
  void SetHot(TColor Value) { SetColor(vlbcHot, Value); }
  TColor HotText() const { return FColors[vlbcHotText]; }
  void SetHotText(TColor Value) { SetColor(vlbcHotText, Value); }
  TColor Pressed() const { return FColors[vlbcPressed]; }
  void SetPressed(TColor Value) { SetColor(vlbcPressed, Value); }
  TColor PressedText() const { return FColors[vlbcPressedText]; }
  void SetPressedText(TColor Value) { SetColor(vlbcPressedText, Value); }
  TColor Disabled() const { return FColors[vlbcDisabled]; }
  void SetDisabled(TColor Value) { SetColor(vlbcDisabled, Value); }
  TColor DisabledText() const { return FColors[vlbcDisabledText]; }
  void SetDisabledText(TColor Value) { SetColor(vlbcDisabledText, Value); }

 private:
  void Changed();

  TvlCustomButton* FButton{};
  TvlButtonAssignedColors FAssignedColors{};
  TColor FColors[10]{};
};

class TvlSpeedButtonOptions : public TPersistent {
  CL_CLASS(TvlSpeedButtonOptions, TPersistent)
 public:
  void Create(TvlCustomButton* AOwner);
  void Assign(TPersistent* Source) override;
  void BeginUpdate() { ++FLockCount; }
  void CancelUpdate() { --FLockCount; }
  void EndUpdate();
  // The owner exists and GroupIndex is not 0 or CanBeFocused is False.
  Boolean Active() const;
  Boolean IsLocked() const { return FLockCount > 0; }

  Boolean AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(Boolean Value);
  Boolean CanBeFocused() const { return FCanBeFocused; }
  void SetCanBeFocused(Boolean Value);
  Boolean Down() const;
  void SetDown(Boolean Value);
  Boolean Flat() const { return FFlat; }
  void SetFlat(Boolean Value);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value);
  Boolean Transparent() const { return FTransparent; }
  void SetTransparent(Boolean Value);

 protected:
  TPersistent* GetOwner() override;

 private:
  void UpdateGroupValues();

  Boolean FAllowAllUp{};
  Boolean FCanBeFocused{};
  Integer FGroupIndex{};
  Boolean FFlat{};
  Integer FLockCount{};
  TvlCustomButton* FOwner{};
  Boolean FTransparent{};
};

class TvlButtonActionLink : public TButtonActionLink {
  CL_CLASS(TvlButtonActionLink, TButtonActionLink)
 public:
  void SetImageIndex(Integer Value) override;
  void Destroy() override;
};

// --- The button -------------------------------------------------------------------------

class TvlCustomButton : public TCustomButton,
                        public IvlLookAndFeelOwner,
                        public IvlMouseTrackingCaller,
                        public IvlSkinnableControl {
  CL_CLASS(TvlCustomButton, TCustomButton)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Click() override;
  Boolean CanFocus() override;
  void SetButtonStyle(Boolean ADefault) override;
  Boolean UpdateAction(TBasicAction* Action) override;
  void Dispatch(TMessage& Message) override;

  // The painter the button draws with: buttons never use the Office 2003
  // painter (the themed one when the button theme opens, else standard).
  virtual TvlCustomLookAndFeelPainterClass GetPainterClass();
  virtual Boolean UsesSystemPainting() { return false; }
  virtual void GetOptimalSize(TSize& ASize);

  // IvlLookAndFeelOwner
  TvlLookAndFeel* GetLookAndFeelValue() override { return FLookAndFeel; }
  // IvlMouseTrackingCaller
  void MouseLeave() override { MouseLeave(nullptr); }

  TvlButtonColors* Colors() const { return FColors; }
  void SetColors(TvlButtonColors* Value) { FColors->Assign(Value); }
  TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* Value);
  TBitmap* Glyph() const { return FGlyph->Glyph(); }
  void SetGlyph(TBitmap* Value) { FGlyph->SetGlyph(Value); }
  TvlButtonKind Kind() const { return FKind; }
  void SetKind(TvlButtonKind Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  TvlLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TvlLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer Value);
  TNumGlyphs NumGlyphs() const { return FGlyph->NumGlyphs(); }
  void SetNumGlyphs(TNumGlyphs Value) { FGlyph->SetNumGlyphs(Value); }
  TvlButtonPaintStyle PaintStyle() const { return FPaintStyle; }
  void SetPaintStyle(TvlButtonPaintStyle Value);
  TPopupAlignment PopupAlignment() const { return FPopupAlignment; }
  void SetPopupAlignment(TPopupAlignment Value) { FPopupAlignment = Value; }
  // Nil, a TPopupMenu or a component implementing IvlExternalPopupMenu.
  TComponent* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer Value);
  TvlSpeedButtonOptions* SpeedButtonOptions() const { return FSpeedButtonOptions; }
  void SetSpeedButtonOptions(TvlSpeedButtonOptions* Value) { FSpeedButtonOptions->Assign(Value); }
  Boolean UseSystemPaint() const { return FUseSystemPaint; }
  void SetUseSystemPaint(Boolean Value);
  const TvlButtonDropDownMenuPopupEvent& OnDropDownMenuPopup() const { return FOnDropDownMenuPopup; }
  void SetOnDropDownMenuPopup(const TvlButtonDropDownMenuPopupEvent& Value) { FOnDropDownMenuPopup = Value; }
  const TvlButtonGetDrawParamsEvent& OnGetDrawParams() const { return FOnGetDrawParams; }
  void SetOnGetDrawParams(const TvlButtonGetDrawParamsEvent& Value) { FOnGetDrawParams = Value; }

  // Speed-button shortcuts to SpeedButtonOptions (their defaults while the
  // options do not exist, early in construction and late in destruction).
  Boolean AllowAllUp() const { return FSpeedButtonOptions && FSpeedButtonOptions->AllowAllUp(); }
  void SetAllowAllUp(Boolean Value) { FSpeedButtonOptions->SetAllowAllUp(Value); }
  Boolean CanBeFocused() const { return !FSpeedButtonOptions || FSpeedButtonOptions->CanBeFocused(); }
  void SetCanBeFocused(Boolean Value) { FSpeedButtonOptions->SetCanBeFocused(Value); }
  Boolean Down() const { return FInternalState.Contains(bisDown); }
  void SetDown(Boolean Value);
  Integer GroupIndex() const { return FSpeedButtonOptions ? FSpeedButtonOptions->GroupIndex() : 0; }
  void SetGroupIndex(Integer Value) { FSpeedButtonOptions->SetGroupIndex(Value); }

  TvlButtonGlyph* GlyphObject() const { return FGlyph; }
  TvlButtonInternalState InternalState() const { return FInternalState; }
  // CanBeFocused is False or GroupIndex is not 0.
  Boolean IsSpeedMode() const;
  Boolean IsDropDownMenuClosing() const { return FIsDropDownMenuClosing; }
  // The state the last owner-draw request painted.
  TvlButtonState LastPaintState() const { return FLastPaintState; }
  Boolean IsColorsStored() const { return FColors->AnyAssigned(); }

 protected:
  virtual Boolean RunDropDownMenuPopupEvent(TPopupMenu*& APopupMenu);
  virtual Boolean ShowPopupMenuAt(TComponent* APopupMenu, const TPoint& P);
  virtual TvlButtonGlyphClass GetGlyphClass() { return ClassOf<TvlButtonGlyph>(); }
  virtual void MouseEnter(TControl* AControl);
  virtual void MouseLeave(TControl* AControl);

  void Notification(TComponent* AComponent, TOperation Operation) override;
  Boolean CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void WndProc(TMessage& Message) override;
  void CreateHandle() override;
  void CreateParams(TCreateParams& Params) override;
  void DestroyWindowHandle() override;
  Boolean GetChecked() override { return Down(); }
  void SetChecked(Boolean Value) override { SetDown(Value); }
  void ActionChange(TObject* Sender, Boolean CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() override { return ClassOf<TvlButtonActionLink>(); }
  void KeyDown(Word& Key, TShiftState Shift) override;
  win::HPALETTE GetPalette() override;
  void DoContextPopup(TPoint MousePos, Boolean& Handled) override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

  // The background of a part of the button for a state and colour.
  void DrawBackground(const TRect& R, TvlButtonState AState, TColor AColor);
  void DoDropDownMenu();
  // Posts the request to open the drop-down menu (not while it is shown
  // or closing).
  void DropDownMenuRequest();
  void UpdateImageInfo();
  // The group notification: tells the buttons of its group.
  void UpdateGroup();

 private:
  friend class TvlSpeedButtonOptions;
  friend class TvlButtonColors;
  friend class TvlButtonGlyph;

  void GlyphChanged(TObject* Sender);
  void LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues);
  TvlButtonState GetButtonState(Boolean ASelected, Boolean AFocused);
  TRect GetContentRect(TvlButtonState AState);
  Boolean IsMenuPartAt(Integer X, Integer Y);
  Boolean CanHotTrack();
  void SetPressedFlags(Integer X, Integer Y);
  void Paint(win::DRAWITEMSTRUCT& ADrawItem);

  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  void CNCommand(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNSysKeyDown(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMButtonPressed(TMessage& Message);
  void WMCaptureChanged(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void VLMDropDownPopupMenu(TMessage& Message);
  void VLMCloseUpPopupMenu(TMessage& Message);

  Boolean FAutoSize{};
  TvlButtonInternalState FInternalState{};
  TvlCanvas* FCanvas{};
  TvlButtonColors* FColors{};
  TControlCanvas* FControlCanvas{};
  TPopupMenu* FDropDownMenu{};
  Boolean FIsFocused{};
  TvlButtonKind FKind{};
  TvlLookAndFeel* FLookAndFeel{};
  Boolean FIsDropDownMenuClosing{};
  Boolean FIsPaintDefault{};
  Boolean FIsPaintPressed{};
  TvlButtonPaintStyle FPaintStyle{};
  TPopupAlignment FPopupAlignment{};
  TComponent* FPopupMenu{};
  TvlSpeedButtonOptions* FSpeedButtonOptions{};
  Boolean FUseSystemPaint{};
  TvlButtonGlyph* FGlyph{};
  TButtonLayout FLayout{};
  Integer FMargin{};
  Integer FSpacing{};
  TvlButtonDropDownMenuPopupEvent FOnDropDownMenuPopup;
  TvlButtonGetDrawParamsEvent FOnGetDrawParams;
  TvlButtonState FLastPaintState{};
};

class TvlButton : public TvlCustomButton {
  CL_CLASS(TvlButton, TvlCustomButton)
};
