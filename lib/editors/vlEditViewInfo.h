// Editor layout and painting. A view data (made by the properties for one
// style and one in-place flag) is the layout calculator: from the
// properties, the style, the bounds and the mouse it fills a view info. The
// view info holds the result (rectangles, colours, border, button states),
// paints it, and compares itself with the previous one to tell what must be
// repainted. A grid paints its cells through these two classes without any
// editor; an editor keeps one view info and makes a fresh view data per
// refresh.
#pragma once

#include <vector>

#include "lib/editors/vlEditProperties.h"
#include "lib/lookandfeel/vlContainer.h"

class TvlControlScrollBar;
class IvlCustomInnerEdit;
class TvlEditStyle;

// --- Button view info ------------------------------------------------------------------------------

struct TvlEditButtonViewInfoData {
  TColor BackgroundColor{};
  String Caption;
  TAlignment ContentAlignment{};
  Boolean Default{};
  Boolean Gradient{};
  String Hint;
  Boolean IsInplace{};
  TvlEditButtonKind Kind{};
  Boolean LeftAlignment{};
  Boolean Leftmost{};
  Boolean NativeStyle{};
  Boolean Rightmost{};
  TvlEditButtonState State{};
  TvlEditButtonStyle Style{};
  TColor TextColor{};
  Boolean Transparent{};
  String VisibleCaption;
  Boolean BackgroundPartiallyTransparent{};
  Boolean ComboBoxStyle{};
  Integer NativePart{};
  Integer NativeState{};
};

class TvlEditButtonViewInfo : public TPersistent {
  CL_CLASS(TvlEditButtonViewInfo, TPersistent)
 public:
  // Copies NativeState, BackgroundColor, Bounds, Style and State only.
  void Assign(TPersistent* Source) override;
  // An empty region when nothing that shows changed, else a region of Bounds (the caller frees it).
  virtual TvlRegion* GetUpdateRegion(TvlEditButtonViewInfo* AOldViewInfo);
  // Invalidates Bounds moved by AEditPosition when anything that shows changed.
  virtual Boolean Repaint(TWinControl* AControl, TvlEditButtonViewInfo* AOldViewInfo, const TPoint& AEditPosition);
  Boolean LooksLike(TvlEditButtonViewInfo* AOther) const;

  TRect Bounds{};
  TvlEditButtonViewInfoData Data{};
  TBitmap* Glyph{};
  Boolean HasBackground{};
  Integer Index{};
  Boolean Stretchable{};
  TRect VisibleBounds{};
  Integer Width{};
};
using TvlEditButtonViewInfoClass = TClassOf<TvlEditButtonViewInfo>;

// --- View info --------------------------------------------------------------------------------------

CL_ENUM(TvlEditViewInfoStateItem, Byte, evsPaintButtons)
using TvlEditViewInfoState = TSet<TvlEditViewInfoStateItem, 1>;

class TvlCustomEditViewInfo;
using TvlEditDrawBackgroundEvent = TDelegate<void(TvlCustomEditViewInfo* Sender, TvlCanvas* ACanvas, Boolean& AHandled)>;
using TvlEditDrawButtonEvent = TDelegate<void(TvlCustomEditViewInfo* Sender, TvlCanvas* ACanvas,
                                              Integer AButtonVisibleIndex, Boolean& AHandled)>;
using TvlEditDrawButtonBackgroundEvent = TDelegate<void(TvlCustomEditViewInfo* Sender, TvlCanvas* ACanvas,
                                                        const TRect& ARect, Integer AButtonVisibleIndex,
                                                        Boolean& AHandled)>;
using TvlEditDrawButtonBorderEvent =
    TDelegate<void(TvlCustomEditViewInfo* Sender, TvlCanvas* ACanvas, Integer AButtonVisibleIndex,
                   TRect& ABackgroundRect, TRect& AContentRect, Boolean& AHandled)>;
using TvlEditGetButtonStateEvent =
    TDelegate<void(TvlCustomEditViewInfo* Sender, Integer AButtonVisibleIndex, TvlEditButtonState& AState)>;
using TvlEditPaintEvent = TDelegate<void(TvlCustomEditViewInfo* Sender, TvlCanvas* ACanvas)>;

class TvlCustomEditViewInfo : public TvlContainerViewInfo {
  CL_CLASS(TvlCustomEditViewInfo, TvlContainerViewInfo)
 public:
  TvlContainerBorderStyle GetBorderStyleValue() override { return TvlContainerBorderStyle(BorderStyle); }
  void DoPaint(TvlCanvas* ACanvas) override;
  void Create() override;
  void Destroy() override;
  void Assign(TObject* Source) override;
  // The caller frees the region.
  using inherited::GetUpdateRegion;
  virtual TvlRegion* GetUpdateRegion(TvlContainerViewInfo* AOldViewInfo);
  void Offset(Integer DX, Integer DY) override;
  void Paint(TvlCanvas* ACanvas) override;
  virtual TvlEditButtonViewInfoClass ButtonViewInfoClass() const { return ClassOf<TvlEditButtonViewInfo>(); }
  virtual void GetEditPainterColors(TColor& ABackground, TColor& ATextColor);
  virtual Integer GetHintPartAt(const TPoint& P);
  virtual TRect GetHintPartBounds(Integer AIndex);
  virtual Boolean RepaintOnStateChange() { return true; }
  virtual void DrawButtonDefault(TvlCanvas* ACanvas, Integer AIndex);
  void SetOnDrawBackground(const TvlEditDrawBackgroundEvent& Value) { FOnDrawBackground = Value; }
  virtual void RememberButtonStates() {
    LastPressedButton = PressedButton;
    LastSelectedButton = SelectedButton;
  }
  // The button border painters: each shrinks ARect, sets the brush and pen colours.
  virtual void Draw3DButtonBorder(TvlCanvas* ACanvas, TRect& ARect, TvlEditButtonState AState, TColor& ABrushColor);
  virtual void DrawFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, TvlEditButtonState AState,
                                    TColor& ABrushColor);
  virtual void DrawHotFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex, TColor& ABrushColor,
                                       TColor& APenColor);
  virtual void DrawThemedButtonBorder(TvlCanvas* ACanvas, Integer AIndex, TRect& ABackgroundRect,
                                      TRect& AContentRect);
  virtual void DrawSimpleButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex, TColor& ABrushColor);
  virtual void DrawUltraFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex, TColor& ABrushColor);
  virtual void DrawThemedButtonBackground(TvlCanvas* ACanvas, Integer AIndex, const TRect& ARect);
  virtual void DrawPlainButtonBackground(TvlCanvas* ACanvas, Integer AIndex, const TRect& ARect, TColor ABrushColor);
  virtual void DrawButton(TvlCanvas* ACanvas, Integer AIndex);
  virtual void DrawNativeStyleEditBackground(TvlCanvas* ACanvas, Boolean AFill, TColor ABackgroundBrush,
                                             TvlEditBackgroundPaintingStyle ABackgroundStyle = bpsSolid);
  // Gives the background and content rectangles, the brush and the pen colour.
  virtual void DrawButtonBorder(TvlCanvas* ACanvas, Integer AIndex, TRect& ABackgroundRect, TRect& AContentRect,
                                TColor& ABrushColor, TColor& APenColor);
  virtual void DrawButtonBackground(TvlCanvas* ACanvas, Integer AIndex, TColor ABrushColor, const TRect& ARect);
  virtual void DrawButtonContent(TvlCanvas* ACanvas, Integer AIndex, Boolean AOffset, TColor ABrushColor,
                                 TColor APenColor, const TRect& AContentRect);
  // Any button hot.
  virtual Boolean IsHotTrack();
  // A button under P (in parent coordinates).
  virtual Boolean IsHotTrack(const TPoint& P);
  virtual Boolean NeedShowHint(TvlCanvas* ACanvas, const TPoint& P, TRect& ATextRect, Boolean& AIsMultiLine,
                               String& AText);
  virtual Boolean NeedShowHint(TvlCanvas* ACanvas, const TPoint& P, TRect& ATextRect, Boolean& AIsMultiLine,
                               String& AText, TRect& AVisibleBounds);
  virtual void PrepareCanvasFont(TvlCanvas* ACanvas) {}
  virtual Boolean Repaint(TWinControl* AControl, TvlContainerViewInfo* AViewInfo = nullptr);
  virtual Boolean Repaint(TWinControl* AControl, const TRect& AInnerEditRect,
                          TvlContainerViewInfo* AViewInfo = nullptr);

  // Painting helpers of the background.
  void DrawButtons(TvlCanvas* ACanvas);
  // 0 custom, 1 full, 2 in-place transparent, 3 solid, 4 transparent, 5 parent background.
  Integer GetBackgroundPaintingStyle();
  Boolean IsBackgroundTransparent();
  void DrawEditBackground(TvlCanvas* ACanvas, const TRect& ARect, const TRect& AInnerEditRect,
                          Boolean AExcludeInnerEditRect = true);
  // The usual (non-native) border, shadow and fill.
  void DrawUsualEditBackground(TvlCanvas* ACanvas, Boolean AFill);
  // Paints with the window origin moved by (-Left, -Top).
  void PaintEx(TvlCanvas* ACanvas);
  // The number of button view infos; changing it makes or frees them.
  Integer ButtonCount() const { return Integer(ButtonsInfo.size()); }
  void SetButtonCount(Integer ACount);
  Boolean DrawsCustomBackground() const { return Assigned(FOnDrawBackground); }

  TRect BorderExtent{};
  TvlEditBorderStyle BorderStyle{};
  std::vector<TvlEditButtonViewInfo*> ButtonsInfo;
  Boolean Calculated{};
  Integer Data{};
  TvlCustomEditProperties* EditProperties{};
  Boolean Enabled{};
  Boolean Focused{};
  TFont* Font{};
  Boolean HasBackground{};
  Boolean HasContentOffsets{};
  Boolean HasInnerEdit{};
  Boolean HasTextButtons{};
  Integer HitTestInfo{};
  TRect InnerEditRect{};
  Boolean IsButtonReallyPressed{};
  Boolean IsContainerInnerControl{};
  Boolean IsDBEditPaintCopyDrawing{};
  Boolean IsDesigning{};
  Boolean IsInplace{};
  Boolean IsSelected{};
  Integer LastPressedButton{};
  Integer LastSelectedButton{};
  Integer Left{};
  TvlEditPaintOptions PaintOptions{};
  TvlEditPopupBorderStyle PopupBorderStyle{};
  Integer PressedButton{};
  Integer SelectedButton{};
  TRect ShadowRect{};
  TColor TextColor{};
  Integer Top{};
  Boolean Transparent{};
  win::HWND WindowHandle{};
  TvlCustomEdit* Edit{};

  TvlEditDrawButtonEvent OnDrawButton;
  TvlEditDrawButtonBackgroundEvent OnDrawButtonBackground;
  TvlEditDrawButtonBorderEvent OnDrawButtonBorder;
  TvlEditGetButtonStateEvent OnGetButtonState;
  TvlEditPaintEvent OnPaint;

 private:
  TvlEditDrawBackgroundEvent FOnDrawBackground;
  TvlEditViewInfoState FState{};
};

// --- View data ---------------------------------------------------------------------------------------

using TvlEditGetDefaultButtonWidthEvent =
    TDelegate<void(TvlCustomEditViewData* Sender, Integer AIndex, Integer& ADefaultWidth)>;
using TvlEditViewDataGetDisplayTextEvent = TDelegate<void(TvlCustomEditViewData* Sender, String& AText)>;

class TvlCustomEditViewData : public TPersistent {
  CL_CLASS(TvlCustomEditViewData, TPersistent)
 public:
  virtual void CalculateNativeButtonPart(TvlEditButtonViewInfo* AButtonViewInfo);
  virtual Boolean ButtonMayBePressed(TvlCustomEditViewInfo* AViewInfo, Integer AIndex) { return true; }
  virtual TvlContainerState CalculateContainerState(const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                                                    TShiftState Shift);
  virtual TRect DefaultContentOffsets();
  virtual Integer CalculateNativeState();
  virtual void InitializeFromProperties();
  virtual void InitEditContentParams(TvlEditContentParams& AParams);
  virtual void InitDefaults();
  virtual void DisplayTextOfValue(const Variant& AEditValue, String& AText) { AText = String(); }
  virtual void CalculateButtonsMinSize(TvlCanvas* ACanvas, Boolean AIsInplace, TSize& AConstantSize,
                                       TvlCustomEditViewInfo* AViewInfo, TSize& AMinContentSize,
                                       const TvlEditSizeProperties& AEditSizeProperties);
  virtual TSize ContentSizeOfValue(TvlCanvas* ACanvas, const Variant& AEditValue,
                                   const TvlEditSizeProperties& AEditSizeProperties) {
    return TSize{};
  }
  virtual Boolean ButtonIsPressed(TvlCustomEditViewInfo* AViewInfo, Integer AIndex) { return false; }
  virtual void Create(TvlCustomEditProperties* AProperties, TvlCustomEditStyle* AStyle, Boolean AIsInplace);
  virtual void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                         TShiftState Shift, TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent);
  virtual void CalculateButtonBounds(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo, Integer AIndex,
                                     TRect& AButtonsRect);
  virtual void CalculateButtonsViewInfo(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                        TvlMouseButton Button, TShiftState Shift, TvlCustomEditViewInfo* AViewInfo,
                                        Boolean AIsMouseEvent);
  virtual void CalculateButtonViewInfo(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo,
                                       TRect& AButtonsRect, Integer AIndex);
  virtual void CheckButtonsOnly(TvlCustomEditViewInfo* AViewInfo, Integer APrevButtonsWidth, Integer AButtonsWidth);
  virtual void EditValueToDrawValue(TvlCanvas* ACanvas, const Variant& AEditValue, TvlCustomEditViewInfo* AViewInfo) {}
  virtual TColor GetBorderColor();
  virtual TRect GetBorderExtent();
  virtual TRect GetBorderExtentByEdges(Integer ABorderWidth);
  virtual TRect GetBorderExtentByPainter();
  virtual TvlEditBorderStyle GetBorderStyle();
  virtual TRect GetButtonsExtent(TvlCanvas* ACanvas);
  virtual TRect GetClientExtent(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo);
  virtual void GetEditConstantPartSize(TvlCanvas* ACanvas, const TvlEditSizeProperties& AEditSizeProperties,
                                       TSize& ASize, TSize& AMinContentSize, TvlCustomEditViewInfo* AViewInfo = nullptr);
  virtual TSize GetEditContentSize(TvlCanvas* ACanvas, const Variant& AEditValue,
                                   const TvlEditSizeProperties& AEditSizeProperties);
  virtual TSize GetEditContentSizeCorrection();
  virtual Boolean HasShadow();
  virtual Boolean IgnoreButtonWhileStretching(Integer AIndex) { return false; }
  // Class level: themes are in use for the edit theme class under the look and feel.
  virtual Boolean IsNativeStyle(TvlLookAndFeel* ALookAndFeel) const;

  Boolean DisplayFocused();
  void CalculateEx(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                   TShiftState Shift, TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent);
  void CheckSizeConstraints(TSize& AEditSize);
  static TvlEditBorderStyle CorrectBorderStyle(TvlEditBorderStyle AStyle);
  String EditValueToDisplayText(const Variant& AEditValue);
  TvlEditButtonStyle GetButtonsStyle();
  TSize GetEditSize(TvlCanvas* ACanvas, const Variant& AEditValue, const TvlEditSizeProperties& AEditSizeProperties,
                    TvlCustomEditViewInfo* AViewInfo = nullptr);
  TvlEditPaintOptions GetPaintOptions();

  TvlCustomEditProperties* Properties() const { return FProperties; }
  TvlCustomEditStyle* Style() const { return FStyle; }
  void SetStyle(TvlCustomEditStyle* Value) { FStyle = Value; }
  Boolean IsInplace() const { return FIsInplace; }
  TvlCustomEdit* Edit() const { return FEdit; }
  void SetEdit(TvlCustomEdit* Value) { FEdit = Value; }
  TObject* DataObject() const { return FData; }
  void SetDataObject(TObject* Value) { FData = Value; }
  void SetOnGetDefaultButtonWidth(const TvlEditGetDefaultButtonWidthEvent& Value) {
    FOnGetDefaultButtonWidth = Value;
  }
  void SetOnGetDisplayText(const TvlEditViewDataGetDisplayTextEvent& Value) { FOnGetDisplayText = Value; }
  Integer LeftSideLeftmostButtonIndex() const { return FLeftSideLeftmostButtonIndex; }
  Integer LeftSideRightmostButtonIndex() const { return FLeftSideRightmostButtonIndex; }
  Integer RightSideLeftmostButtonIndex() const { return FRightSideLeftmostButtonIndex; }
  Integer RightSideRightmostButtonIndex() const { return FRightSideRightmostButtonIndex; }

  TRect Bounds{};
  Boolean ButtonsOnlyStyle{};
  Integer ButtonVisibleCount{};
  TvlContainerState ContainerState{};
  TRect ContentOffset{};
  TvlEditContentParams EditContentParams{};
  Boolean Enabled{};
  Boolean Focused{};
  TAlignment HorzAlignment{};
  TControl* HScrollBar{};
  TControl* VScrollBar{};
  IvlCustomInnerEdit* InnerEdit{};
  TvlInplaceEditParams InplaceEditParams{};
  Boolean IsDesigning{};
  Boolean IsSelected{};
  Boolean IsValueSource{};
  Integer MaxLineCount{};
  Boolean NativeStyle{};
  TvlEditPaintOptions PaintOptions{};
  Boolean PreviewMode{};
  Boolean Selected{};
  Integer SelStart{};
  Integer SelLength{};
  TColor SelTextColor{};
  TColor SelBackgroundColor{};
  TvlEditVertAlignment VertAlignment{};
  win::HWND WindowHandle{};

 protected:
  // The button index the editor captured with the mouse (-1 without an editor).
  Integer CaptureButtonVisibleIndex();
  TvlCustomEditStyle* FStyle{};

 private:
  void CalculateButtonStates(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                             TvlCustomEditViewInfo* AViewInfo, Integer APrevPressed);

  TObject* FData{};
  Boolean FIsInplace{};
  Integer FLeftSideLeftmostButtonIndex{};
  Integer FLeftSideRightmostButtonIndex{};
  Integer FRightSideLeftmostButtonIndex{};
  Integer FRightSideRightmostButtonIndex{};
  TvlEditGetDefaultButtonWidthEvent FOnGetDefaultButtonWidth;
  TvlEditViewDataGetDisplayTextEvent FOnGetDisplayText;
  TvlCustomEdit* FEdit{};
  TvlCustomEditProperties* FProperties{};
};

// The look-and-feel kind the editor's buttons imply, for its popups.
TvlLookAndFeelKind vlGetEditButtonsLookAndFeelKind(TvlCustomEdit* AEdit);
