// The label: an editor whose value is its caption, drawn optionally rotated,
// with a depth effect (copies of the text stepping away in one direction), a
// raised, lowered or outlined style, letters filled with a picture, and a
// line beside the text. Stand-alone it never takes the focus: its
// accelerator moves the focus to FocusControl. It keeps its picture in an
// off-screen bitmap and repaints by copying it unless it moved, changed or is
// transparent.
//
// Files: vlLabel.cpp (properties, editor, start-up), vlLabelView.cpp (view
// data, view info, drawing).
#pragma once

#include "lib/editors/vlEdit.h"

CL_ENUM(TvlLabelEffect, Byte, vlleNormal, vlleFun, vlleExtrude, vlleCool)
CL_ENUM(TvlLabelStyle, Byte, vllsNormal, vllsRaised, vllsLowered, vllsOutLine)
// The direction in which the depth extends.
CL_ENUM(TvlLabelOrientation, Byte, vloLeft, vloRight, vloTop, vloBottom, vloLeftTop, vloLeftBottom, vloRightTop,
        vloRightBottom)
CL_ENUM(TvlLabelLineAlignment, Byte, vlllaTop, vlllaCenter, vlllaBottom)
CL_ENUM(TvlLabelLineOrientation, Byte, vllloHorizontal, vllloVertical)

class TvlLabelLineOptions : public TPersistent {
  CL_CLASS(TvlLabelLineOptions, TPersistent)
 public:
  virtual void Create();
  void Assign(TPersistent* Source) override;
  TvlLabelLineAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TvlLabelLineAlignment Value);
  TColor InnerColor() const { return FInnerColor; }
  void SetInnerColor(TColor Value);
  TColor OuterColor() const { return FOuterColor; }
  void SetOuterColor(TColor Value);
  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value);
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

 private:
  void DoChanged() { vlCallNotifyEvent(FOnChanged, this); }
  TvlLabelLineAlignment FAlignment{};
  TColor FInnerColor{};
  TColor FOuterColor{};
  TNotifyEvent FOnChanged;
  Boolean FVisible{};
};

class TvlCustomLabelProperties : public TvlCustomEditProperties {
  CL_CLASS(TvlCustomLabelProperties, TvlCustomEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  TvlCustomEditViewDataClass EditViewDataClass() const override;
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditStyleClass GetStyleClass() const override;
  TvlCustomEditViewInfoClass GetViewInfoClass() const override;
  Boolean ValueChangeReportedSeparately() const override { return true; }
  Integer FormatOptionFlags() const override { return 0; }

  Boolean CanCompareEditValue() override { return true; }
  String GetDisplayText(const Variant& AEditValue, Boolean AFullText = false, Boolean AIsInplace = true) override;
  TvlEditSupportedOperations GetSupportedOperations() override;
  Integer GetEditValueSource(Boolean) override { return 1; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean AEditFocused) override;
  // How far the depth copies reach: (0, 0) without an effect.
  virtual TSize GetDepthDeltaSize();

  Integer Angle() const { return FAngle; }
  void SetAngle(Integer Value);
  Word Depth() const { return FDepth; }
  void SetDepth(Word Value);
  TBitmap* Glyph();
  void SetGlyph(TBitmap* Value);
  TBitmap* GlyphOrNil() const { return FGlyph; }
  TvlLabelEffect LabelEffect() const { return FLabelEffect; }
  void SetLabelEffect(TvlLabelEffect Value);
  TvlLabelStyle LabelStyle() const { return FLabelStyle; }
  void SetLabelStyle(TvlLabelStyle Value);
  TvlLabelLineOptions* LineOptions() const { return FLineOptions; }
  void SetLineOptions(TvlLabelLineOptions* Value) { FLineOptions->Assign(Value); }
  TvlLabelOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TvlLabelOrientation Value);
  Integer PenWidth() const { return FPenWidth; }
  void SetPenWidth(Integer Value);
  TColor ShadowedColor() const { return FShadowedColor; }
  void SetShadowedColor(TColor Value);
  Boolean ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(Boolean Value);
  Boolean ShowEndEllipsis() const { return FShowEndEllipsis; }
  void SetShowEndEllipsis(Boolean Value) { FShowEndEllipsis = Value; }
  Boolean WordWrap() const { return FWordWrap; }
  void SetWordWrap(Boolean Value);

 private:
  void SubObjectChanged(TObject*) { Changed(); }

  Integer FAngle{};
  Word FDepth{};
  TBitmap* FGlyph{};
  TvlLabelEffect FLabelEffect{};
  TvlLabelStyle FLabelStyle{};
  TvlLabelLineOptions* FLineOptions{};
  TvlLabelOrientation FOrientation{};
  Integer FPenWidth{};
  TColor FShadowedColor{};
  Boolean FShowAccelChar{};
  Boolean FShowEndEllipsis{};
  Boolean FWordWrap{};
};

class TvlLabelProperties : public TvlCustomLabelProperties {
  CL_CLASS(TvlLabelProperties, TvlCustomLabelProperties)
};

class TvlLabelEditStyle : public TvlEditStyle {
  CL_CLASS(TvlLabelEditStyle, TvlEditStyle)
 protected:
  TvlContainerBorderStyle GetDefaultBorderStyle() override;
  Boolean GetDefaultHotTrack() override { return false; }
};

class TvlCustomLabelViewInfo : public TvlCustomEditViewInfo {
  CL_CLASS(TvlCustomLabelViewInfo, TvlCustomEditViewInfo)
 public:
  void Create() override;
  void Destroy() override;
  void WriteBackgroundColor(TColor Value) override;
  void Offset(Integer DX, Integer DY) override;
  void Paint(TvlCanvas* ACanvas) override;
  void DoPaint(TvlCanvas* ACanvas) override;
  virtual void DrawLabelBackground(TvlCanvas* ACanvas, const TRect& ARect);
  virtual void DrawLabel(TvlCanvas* ACanvas);
  // The label drawn into ACanvas with its text and line rectangles (the bitmap's or the target's).
  void DrawLabelTo(TvlCanvas* ACanvas, const TRect& AClient, const TRect& ATextRect, const TRect& ALineRect,
                   Boolean AOnTarget);

  TvlEditAlignment* FAlignment{};
  Integer FAngle{};
  Integer FDepth{};
  TSize FDepthDeltaSize{};
  TBitmap* FDrawBitmap{};
  TBitmap* FGlyph{};
  TPoint FInplaceOffset{};
  Boolean FIsDrawBitmapDirty{};
  TvlLabelEffect FLabelEffect{};
  TvlLabelStyle FLabelStyle{};
  Integer FLabelStyleOffset{};
  TRect FLabelTextRect{};
  TColor FLineInnerColor{};
  TvlLabelLineOrientation FLineOrientation{};
  TColor FLineOuterColor{};
  TRect FLineRect{};
  TvlLabelOrientation FOrientation{};
  Integer FPenWidth{};
  TColor FShadowedColor{};
  Boolean FWordWrap{};
  TRect DrawTextOffsets{};
  TRect FocusRect{};
  Boolean HasGlyph{};
  TPoint LeftTop{};
  Boolean ShowAccelChar{};
  // The text and its library canvas flags (the text part of a text editor's view info).
  String Text;
  Integer TextFlags{};
  TRect TextRect{};
  // How many times DrawLabelTo ran (the off-screen cache's test).
  Integer DrawCount{};

 private:
  void DrawTextOnce(TvlCanvas* ACanvas, const TPoint& AOrigin, const TRect& ATextRect, Integer ARealAngle);
};

class TvlCustomLabelViewData : public TvlCustomEditViewData {
  CL_CLASS(TvlCustomLabelViewData, TvlCustomEditViewData)
 public:
  virtual Integer GetLabelStyleOffset();
  virtual void CalculateLineRect(TRect& ATextRect, const TRect& AClientRect, TvlLabelLineOrientation AOrientation,
                                 Integer ALineHeight, Boolean AVisible, TvlLabelLineAlignment AAlignment,
                                 TRect& ALineRect);
  virtual TRect AlignTextRect(const TRect& AClientRect, const TSize& ASize, Integer AAngle);
  virtual TSize CalculateLabelTextSize(TvlCanvas* ACanvas, const TRect& ARect, const String& AText);
  virtual Integer GetLabelTextFlags();
  virtual Integer GetLineHeight();
  virtual Boolean IsLineVisible(Integer ARealAngle);

  void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                 TShiftState Shift, TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) override;
  void EditValueToDrawValue(TvlCanvas* ACanvas, const Variant& AEditValue, TvlCustomEditViewInfo* AViewInfo) override;
  void DisplayTextOfValue(const Variant& AEditValue, String& AText) override;
  TSize GetEditContentSize(TvlCanvas* ACanvas, const Variant& AEditValue,
                           const TvlEditSizeProperties& AEditSizeProperties) override;

  TvlCustomLabelProperties* LabelProperties() const { return static_cast<TvlCustomLabelProperties*>(Properties()); }

 private:
  Integer FLabelStyleOffset{};
  Integer FRealAngle{};
};

class TvlCustomLabel : public TvlCustomEdit {
  CL_CLASS(TvlCustomLabel, TvlCustomEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlLabelProperties>(); }
  void Destroy() override;
  Boolean CanFocus() override { return IsInplace(); }
  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  Boolean DefaultParentColor() override { return true; }
  TvlEditStateColorKind GetEditStateColorKind() override { return Enabled() ? esckNormal : esckDisabled; }
  Boolean HasTextBaseLine() override;

  TvlCustomLabelProperties* ActiveProperties() {
    return static_cast<TvlCustomLabelProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomLabelProperties* Properties() const {
    return static_cast<TvlCustomLabelProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomLabelProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  TvlCustomLabelViewInfo* ViewInfo() const { return static_cast<TvlCustomLabelViewInfo*>(TvlCustomEdit::ViewInfo()); }
  using TWinControl::FocusControl;
  TWinControl* FocusControl() const { return FFocusControl; }
  TWinControl* GetFocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);

 protected:
  void Initialize() override;
  void InternalSetEditValue(const Variant& AValue, Boolean AValidate) override;
  void PropertiesChanged(TObject* Sender) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WriteAutoSize(Boolean Value) override;
  Boolean AutoSizeWithinWidth() override;
  Boolean AutoWidthWanted() override { return true; }
  Boolean CanFocusOnClick() override { return IsInplace(); }
  Boolean UsesAnchorX() override;
  Boolean UsesAnchorY() override;
  void SynchronizeDisplayValue() override;

 private:
  void CMDialogChar(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void ShowCaption();

  TWinControl* FFocusControl{};
  Boolean FLockCaption{};
};

class TvlLabel : public TvlCustomLabel {
  CL_CLASS(TvlLabel, TvlCustomLabel)
};
