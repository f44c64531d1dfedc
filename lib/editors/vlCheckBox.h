// The check box editor, the drawing of its check mark, and the check states
// of a list of captioned items.
//
// The check box's value is an edit value (a variant) that its properties map
// to one of three states: it is checked when the value equals ValueChecked,
// unchecked when it equals ValueUnchecked, grayed otherwise. A grid paints a
// Boolean cell through the same properties, view data and view info without
// any control.
//
// vlPaintCheckGlyph draws one mark, choosing in this order: a user glyph
// strip, the painter (a skin), the system theme, or a classic frame with the
// mark (the system's frame control, or for the flat styles a one-bit mask
// copied in the mark colour).
//
// vlCheckStatesToEditValue and vlEditValueToCheckStates turn the states of a
// list of items into one edit value and back, in four formats; the items are
// read only through IvlCaptionItems.
//
// Files: vlCheckBox.cpp (properties, editor, caption items, start-up),
// vlCheckBoxView.cpp (view data and view info), vlCheckGlyph.cpp (the mark),
// vlCheckStates.cpp (the state conversions).
#pragma once

#include <vector>

#include "lib/editors/vlEdit.h"
#include "lib/foundation/vlClasses.h"

class TvlCustomCheckBox;

// --- Types ----------------------------------------------------------------------------------------

CL_ENUM(TvlCheckBoxNullValueShowingStyle, Byte, nssUnchecked, nssInactive, nssGrayedChecked)
CL_ENUM(TvlCheckStatesValueFormatEx, Byte, cvfCaptions, cvfIndices, cvfInteger, cvfStatesString, cvfCustom)
// The subrange cvfCaptions .. cvfStatesString.
using TvlCheckStatesValueFormat = TvlCheckStatesValueFormatEx;
using TvlCheckStates = std::vector<TvlCheckBoxState>;
// How the mark is drawn: the mouse or the Space key over it.
CL_ENUM(TvlEditCheckState, Byte, ecsNormal, ecsHot, ecsPressed, ecsDisabled)

// --- Check glyph drawing --------------------------------------------------------------------------

// The size of a mark: a user glyph's cell, else the painter's, else the
// themed painter's when native style is on and the button theme opens, else
// the base painter's.
void vlCheckGlyphSize(TvlCanvas* ACanvas, Boolean ANativeStyle, TBitmap* AGlyph, TSize& ASize,
                      TvlCustomLookAndFeelPainterClass APainter = nullptr, Integer AGlyphCount = 6);
// The space between the check rectangle and the drawn frame: 0 with native
// style, a glyph or a painter; else 2 less the border width of the style.
Integer vlCheckGlyphBorderOffset(TvlEditBorderStyle ABorderStyle, Boolean ANativeStyle, Boolean AHasGlyph,
                                 TvlCustomLookAndFeelPainterClass APainter);
// The same by look-and-feel kind (the check list box).
Integer vlCheckGlyphBorderOffsetByKind(TvlLookAndFeelKind AKind, Boolean ANativeStyle, Boolean AHasGlyph,
                                       TvlCustomLookAndFeelPainterClass APainter);
// The cell of a user glyph strip showing a state.
Integer vlCheckGlyphImageIndex(TvlCheckBoxState ACheckState, TvlEditCheckState AEditCheckState,
                               Boolean AGrayedShowingStyleIsChecked, Integer AGlyphCount);
// The theme state (button class, check box part) of a state and a drawn state.
Integer vlCheckBoxThemeState(TvlCheckBoxState ACheckState, TvlEditCheckState AEditCheckState);
TvlButtonState vlEditCheckStateToButtonState(TvlEditCheckState AState);
void vlPaintCheckGlyph(TvlCanvas* ACanvas, const TRect& ACheckRect, TvlCheckBoxState AState,
                       TvlCheckBoxNullValueShowingStyle ANullValueShowingStyle,
                       TvlCustomLookAndFeelPainterClass APainter, Boolean AGrayedGlyphsPresent, Boolean AFocused,
                       Boolean AIsDesigning, Boolean AFillBackground, TColor ABackgroundColor, TColor ABorderColor,
                       Boolean ANativeStyle, TvlEditBorderStyle ABorderStyle, Integer AGlyphCount, TBitmap* AGlyph,
                       TvlEditCheckState AEditCheckState);
// The one-bit check mark (black on white), made at the check box module's
// start-up from the system's check box picture; nil outside start-up and shut-down.
TBitmap* vlCheckMarkMask();

// --- Caption items --------------------------------------------------------------------------------

// What the state conversions read of a list of items.
class IvlCaptionItems : public virtual IInterface {
  CL_INTERFACE(IvlCaptionItems, "{5BF13228-CF05-4741-9833-F2B8FBFD57ED}")
 public:
  virtual String GetCaption(Integer Index) = 0;
  virtual Integer GetCount() = 0;
};

class TvlCaptionItem : public TCollectionItem {
  CL_CLASS(TvlCaptionItem, TCollectionItem)
 public:
  void Assign(TPersistent* Source) override;
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  Boolean IsTagStored() { return FTag != 0; }

 private:
  String FCaption;
  Integer FTag{};
};

// Items kept sorted by caption (case-insensitively) when Sorted.
class TvlCaptionItems : public TvlOwnedInterfacedCollection, public IvlCaptionItems {
  CL_CLASS(TvlCaptionItems, TvlOwnedInterfacedCollection)
 public:
  TvlCaptionItem* Items(Integer Index) const { return static_cast<TvlCaptionItem*>(TCollection::Items(Index)); }
  TvlCaptionItem* Add() { return static_cast<TvlCaptionItem*>(TCollection::Add()); }
  String GetCaption(Integer Index) override { return Items(Index)->Caption(); }
  Integer GetCount() override { return Count(); }

 protected:
  Integer CompareItemsByIndex(TCollectionItem* Item1, TCollectionItem* Item2) override;
};

// --- Check-state conversions ------------------------------------------------------------------------

Variant vlCheckStatesToEditValue(const TvlCheckStates& ACheckStates, IvlCaptionItems* AItems,
                                 TvlCheckStatesValueFormatEx AValueFormat);
// False (and every state unchecked) when the value does not read in the format.
Boolean vlEditValueToCheckStates(const Variant& AValue, IvlCaptionItems* AItems,
                                 TvlCheckStatesValueFormatEx AValueFormat, TvlCheckStates& ACheckStates);

// --- Properties ---------------------------------------------------------------------------------------

class TvlCustomCheckBoxProperties : public TvlCustomEditProperties {
  CL_CLASS(TvlCustomCheckBoxProperties, TvlCustomEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  TvlCustomEditViewDataClass EditViewDataClass() const override;
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditStyleClass GetStyleClass() const override;
  TvlCustomEditViewInfoClass GetViewInfoClass() const override;
  Boolean ValueChangeReportedSeparately() const override { return true; }

  Boolean CanCompareEditValue() override { return true; }
  Boolean CompareDisplayValues(const Variant& AEditValue1, const Variant& AEditValue2) override;
  String GetDisplayText(const Variant& AEditValue, Boolean AFullText = false, Boolean AIsInplace = true) override;
  TvlEditSpecialFeatures GetSpecialFeatures() override;
  TvlEditSupportedOperations GetSupportedOperations() override;
  Boolean IsActivationKey(Char AKey) override { return AKey == u' '; }
  Boolean IsEditValueValid(Variant& EditValue, Boolean AEditFocused) override;
  Boolean IsResetEditClass() override { return true; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean AEditFocused) override;
  Boolean ValidationSupported() override { return true; }
  virtual TBitmap* GetGlyph();
  virtual Boolean ShowsCaptionInplace() { return false; }

  // The state an edit value shows.
  TvlCheckBoxState GetState(const Variant& AEditValue);
  // The edit value of a state.
  Variant GetValueOfState(TvlCheckBoxState AState);

  Boolean AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(Boolean Value);
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  Boolean IsCaptionAssigned() const { return FIsCaptionAssigned; }
  void ClearCaptionAssigned() { FIsCaptionAssigned = false; }
  const String& DisplayChecked() const { return FDisplayChecked; }
  void SetDisplayChecked(const String& Value);
  const String& DisplayGrayed() const { return FDisplayGrayed; }
  void SetDisplayGrayed(const String& Value);
  const String& DisplayUnchecked() const { return FDisplayUnchecked; }
  void SetDisplayUnchecked(const String& Value);
  Boolean FullFocusRect() const { return FFullFocusRect; }
  void SetFullFocusRect(Boolean Value);
  TBitmap* Glyph() { return GetGlyph(); }
  // nil frees the bitmap; otherwise it is copied.
  void SetGlyph(TBitmap* Value);
  TBitmap* GlyphOrNil() const { return FGlyph; }
  Integer GlyphCount() const { return FGlyphCount; }
  void SetGlyphCount(Integer Value);
  Boolean MultiLine() const { return FMultiLine; }
  void SetMultiLine(Boolean Value);
  TvlCheckBoxNullValueShowingStyle NullStyle() const { return FNullStyle; }
  void SetNullStyle(TvlCheckBoxNullValueShowingStyle Value);
  Boolean UseAlignmentWhenInplace() const { return FUseAlignmentWhenInplace; }
  void SetUseAlignmentWhenInplace(Boolean Value);
  const Variant& ValueChecked() const { return FValueChecked; }
  void SetValueChecked(const Variant& Value);
  const Variant& ValueGrayed() const { return FValueGrayed; }
  void SetValueGrayed(const Variant& Value);
  const Variant& ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const Variant& Value);

  // The horizontal alignment, as published (the whole alignment is inherited).
  TAlignment HorzAlignment() { return Alignment()->Horz(); }
  void SetHorzAlignment(TAlignment Value) { Alignment()->SetHorz(Value); }

  // Stored rules.
  Boolean IsDisplayCheckedStored();
  Boolean IsDisplayGrayedStored();
  Boolean IsDisplayUncheckedStored();
  Boolean IsValueCheckedStored();
  Boolean IsValueGrayedStored();
  Boolean IsValueUncheckedStored();
  Boolean IsHorzAlignmentStored() { return Alignment()->IsHorzAssigned(); }

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  void GlyphChanged(TObject* Sender);
  void ReadCaption(TReader* Reader);
  // A new checked or unchecked value (or, with AAllowNull, grayed) is taken
  // while loading, or when it is not Null, equals none of the three exactly
  // and does not read as one of the other two (AReplaced is its own).
  Boolean AcceptsValue(const Variant& Value, const Variant& AReplaced, Boolean AAllowNull);
  Boolean IsOwnerLoading();

  Boolean FAllowGrayed{};
  String FCaption;
  String FDisplayChecked;
  String FDisplayGrayed;
  String FDisplayUnchecked;
  Boolean FFullFocusRect{};
  TBitmap* FGlyph{};
  Integer FGlyphCount{};
  Boolean FIsCaptionAssigned{};
  Boolean FMultiLine{};
  TvlCheckBoxNullValueShowingStyle FNullStyle{};
  Boolean FUseAlignmentWhenInplace{};
  Variant FValueChecked;
  Variant FValueGrayed;
  Variant FValueUnchecked;
};

class TvlCheckBoxProperties : public TvlCustomCheckBoxProperties {
  CL_CLASS(TvlCheckBoxProperties, TvlCustomCheckBoxProperties)
};

// --- Style ----------------------------------------------------------------------------------------------

class TvlCheckBoxStyle : public TvlEditStyle {
  CL_CLASS(TvlCheckBoxStyle, TvlEditStyle)
 public:
  // The frame belongs to the mark, not to the editor.
  Boolean HasBorder() override { return false; }
};

// --- View info and view data ------------------------------------------------------------------------------

class TvlCustomCheckBoxViewInfo : public TvlCustomEditViewInfo {
  CL_CLASS(TvlCustomCheckBoxViewInfo, TvlCustomEditViewInfo)
 public:
  void Assign(TObject* Source) override;
  void DoPaint(TvlCanvas* ACanvas) override;
  void Offset(Integer DX, Integer DY) override;
  TvlRegion* GetUpdateRegion(TvlContainerViewInfo* AOldViewInfo) override;
  using TvlCustomEditViewInfo::Repaint;
  Boolean Repaint(TWinControl* AControl, const TRect& AInnerEditRect,
                  TvlContainerViewInfo* AViewInfo = nullptr) override;
  Boolean NeedShowHint(TvlCanvas*, const TPoint&, TRect&, Boolean&, String&, TRect&) override { return false; }
  Boolean IsHotTrack() override { return true; }
  Boolean IsHotTrack(const TPoint&) override { return true; }
  // The caption in the text rectangle.
  virtual void DrawText(TvlCanvas* ACanvas);
  // The mark is see-through: a painter, a user glyph, or a theme part that
  // reports partial transparency for the current state.
  Boolean IsCheckPartiallyTransparent();

  TAlignment Alignment{};
  Integer CheckBorderOffset{};
  TvlEditBorderStyle CheckBoxBorderStyle{};
  TBitmap* CheckBoxGlyph{};
  Integer CheckBoxGlyphCount{};
  TvlEditCheckState CheckBoxLastState{};
  TRect CheckBoxRect{};
  TvlEditCheckState CheckBoxState{};
  // Library canvas text flags of the caption.
  Integer DrawCaptionFlags{};
  TRect FocusRect{};
  Boolean HasGlyph{};
  Boolean IsTextColorAssigned{};
  TvlCheckBoxNullValueShowingStyle NullValueShowingStyle{};
  TvlCheckBoxState State{};
  // The caption and where it goes (the text part of a text editor's view info).
  String Text;
  TRect TextRect{};
};

class TvlCustomCheckBoxViewData : public TvlCustomEditViewData {
  CL_CLASS(TvlCustomCheckBoxViewData, TvlCustomEditViewData)
 public:
  void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                 TShiftState Shift, TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) override;
  void EditValueToDrawValue(TvlCanvas* ACanvas, const Variant& AEditValue, TvlCustomEditViewInfo* AViewInfo) override;
  TvlEditBorderStyle GetBorderStyle() override { return ebsNone; }
  TSize GetEditContentSize(TvlCanvas* ACanvas, const Variant& AEditValue,
                           const TvlEditSizeProperties& AEditSizeProperties) override;
  // The library canvas text flags of the caption.
  virtual Integer GetDrawTextFlags();

  TvlCustomCheckBoxProperties* CheckBoxProperties() const {
    return static_cast<TvlCustomCheckBoxProperties*>(Properties());
  }

 private:
  void CalculateFocusRect(TvlCanvas* ACanvas, TvlCustomCheckBoxViewInfo* AViewInfo);
  Boolean ShowsCaption();
};

// --- The editor -------------------------------------------------------------------------------------------

class TvlCustomCheckBox : public TvlCustomEdit {
  CL_CLASS(TvlCustomCheckBox, TvlCustomEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCheckBoxProperties>();
  }
  void Clear() override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) override;
  // Unchecked to grayed (with AllowGrayed) or checked, checked to
  // unchecked, grayed to checked; as a keyboard action.
  virtual void Toggle();

  TvlCustomCheckBoxProperties* ActiveProperties() {
    return static_cast<TvlCustomCheckBoxProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomCheckBoxProperties* Properties() const {
    return static_cast<TvlCustomCheckBoxProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomCheckBoxProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  TvlCustomCheckBoxViewInfo* ViewInfo() const {
    return static_cast<TvlCustomCheckBoxViewInfo*>(TvlCustomEdit::ViewInfo());
  }
  TvlCheckBoxState State();
  void SetState(TvlCheckBoxState Value);
  Boolean IsStateStored();
  Boolean IsCheckPressed() const { return FIsCheckPressed; }

  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  Boolean DefaultParentColor() override { return true; }
  TvlEditStateColorKind GetEditStateColorKind() override;
  TControlActionLinkClass GetActionLinkClass() override;
  void ActionChange(TObject* Sender, Boolean CheckDefaults) override;

 protected:
  void Initialize() override;
  void InternalSetEditValue(const Variant& AValue, Boolean AValidate) override;
  void PropertiesChanged(TObject* Sender) override;
  void SynchronizeDisplayValue() override;
  Boolean ClickWhileLoading() override;
  void ProcessStateTransitions() override;
  Boolean IsTransparentBackground() override;
  void ClipToShadowRegion(TvlCanvas* ACanvas) override;
  void GetShadowRect(TRect& R) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void DoExit() override;
  void EnabledChanged() override;
  void ColorChanged() override;

 private:
  void WMLButtonUp(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  // The state through the active properties, without the loading rule.
  TvlCheckBoxState CurrentState();
  void InvalidateCheckRect();
  void EndCheckPress();

  Boolean FIsCheckPressed{};
  Boolean FIsLoaded{};
  Boolean FIsLoadingStateAssigned{};
  TvlCheckBoxState FLoadingState{};

  friend class TvlCheckBoxActionLink;
};

class TvlCheckBox : public TvlCustomCheckBox {
  CL_CLASS(TvlCheckBox, TvlCustomCheckBox)
 public:
  Boolean Checked() { return State() == cbsChecked; }
  void SetChecked(Boolean Value) { SetState(Value ? cbsChecked : cbsUnchecked); }
};

class TvlCheckBoxActionLink : public TControlActionLink {
  CL_CLASS(TvlCheckBoxActionLink, TControlActionLink)
 public:
  Boolean IsCheckedLinked() override;
  void SetChecked(Boolean Value) override;
};
