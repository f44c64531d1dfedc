// The calculator control: 27 push buttons working like a pocket calculator
// (an accumulated operand, a pending operator, a memory register and an
// entry state), laid out to the control's size and drawn by look-and-feel
// painters.
//
// Subclassing contract: the calculator keeps no display of its own. It reads
// and writes its number through GetDisplayText/SetDisplayText (the base
// answers an empty text and keeps nothing); a descendant that shows the
// number overrides both, and LockDisplayChanges when its display fires
// change events of its own. Every mouse and keyboard input ends in
// ButtonClick(kind), which runs OnButtonClick, the state machine and the
// display-change notification in that order.
//
// Arithmetic is in long double (the platform's 80-bit extended type on x86);
// the display text holds max(2, Precision) significant digits in the general
// float format of the locale (FormatSettings()).
#pragma once

#include "lib/lookandfeel/vlControls.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/editors/vlEditProperties.h"

using Extended = long double;

CL_ENUM(TvlCalcState, Byte, csFirst, csValid, csError)

struct TvlButtonInfo {
  TRect BtnRect{};
  Boolean Down{};
  Boolean Grayed{};
  TvlCalcButtonKind Kind{};
  String Text;
};

// Indexed by kind; the cbNone entry holds no button.
using TCalcButtons = TvlButtonInfo[28];

using TvlCalcButtonClick = TDelegate<void(TObject* Sender, TvlCalcButtonKind& ButtonKind)>;

class TvlCustomCalculator : public TvlControl {
  CL_CLASS(TvlCustomCalculator, TvlControl)
 public:
  void Create(TComponent* AOwner) override;

  // The kind whose button holds the client point; cbNone elsewhere.
  TvlCalcButtonKind GetButtonKindAt(Integer X, Integer Y) const;
  static TvlCalcButtonKind GetButtonKindChar(Char Ch);
  static TvlCalcButtonKind GetButtonKindKey(Word Key, TShiftState Shift);
  // What every mouse and keyboard input ends in.
  void ButtonClick(TvlCalcButtonKind ButtonKind);
  void CopyToClipboard();
  void PasteFromClipboard();

  // 0 in csError; otherwise the display text as a number. A text that is no
  // number (a lone "-", say) counts as 0.
  Extended Value();
  void SetValue(Extended AValue);
  Extended Memory() const { return FMemory; }
  Extended Operand() const { return FOperand; }
  TvlCalcButtonKind Operator() const { return FOperator; }
  TvlCalcState Status() const { return FStatus; }
  const TvlButtonInfo& Buttons(TvlCalcButtonKind Kind) const { return FButtons[Kind]; }
  TvlCalcButtonKind ActiveButton() const { return FActiveButton; }
  TvlCalcButtonKind DownButton() const { return FDownButton; }
  TvlCalcButtonKind PressedButton() const { return FPressedButton; }
  Boolean Tracking() const { return FTracking; }

  Boolean AutoFontSize() const { return FAutoFontSize; }
  void SetAutoFontSize(Boolean Value);
  Boolean BeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(Boolean Value) { FBeepOnError = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  Boolean FocusRectVisible() const { return FFocusRectVisible; }
  void SetFocusRectVisible(Boolean Value);
  Byte Precision() const { return FPrecision; }
  void SetPrecision(Byte Value) { FPrecision = Value; }
  Boolean IsPopupControl() const { return FIsPopupControl; }

  // The layout's figures.
  Integer CalcFontSize() const { return FCalcFontSize; }
  Integer CalcBtnWidth() const { return FCalcBtnWidth; }
  Integer CalcBtnHeight() const { return FCalcBtnHeight; }
  Integer CalcLargeBtnWidth() const { return FCalcLargeBtnWidth; }
  Integer CalcXOfs() const { return FCalcXOfs; }
  Integer CalcYOfs() const { return FCalcYOfs; }
  Integer CalcWidth() const { return FCalcWidth; }
  Integer CalcHeight() const { return FCalcHeight; }

  const TNotifyEvent& OnDisplayChange() const { return FOnDisplayChange; }
  void SetOnDisplayChange(const TNotifyEvent& Value) { FOnDisplayChange = Value; }
  const TvlCalcButtonClick& OnButtonClick() const { return FOnButtonClick; }
  void SetOnButtonClick(const TvlCalcButtonClick& Value) { FOnButtonClick = Value; }
  const TNotifyEvent& OnResult() const { return FOnResult; }
  void SetOnResult(const TNotifyEvent& Value) { FOnResult = Value; }
  const TvlEditClosePopupEvent& OnHidePopup() const { return FOnHidePopup; }
  void SetOnHidePopup(const TvlEditClosePopupEvent& Value) { FOnHidePopup = Value; }

 protected:
  virtual TvlCustomLookAndFeelPainterClass GetCalcPainter();
  virtual void GetDisplayText(String& Text) { Text.clear(); }
  virtual void SetDisplayText(const String& Text) {}
  virtual void HidePopup(TObject* Sender, TvlEditCloseUpReason AReason);
  virtual void LockDisplayChanges(Boolean ALock, Boolean AInvokeChangedOnUnlock) {}

  void SetIsPopupControl(Boolean Value) { FIsPopupControl = Value; }
  // Puts a memory value back (a layout clears it) and refreshes the memory keys.
  void RestoreMemory(Extended AMemory);
  // Lets go of the button held with the keyboard.
  void ReleasePressed();
  String DisplayText();
  // Lays the buttons out for the client size and resets the state.
  void Layout();

  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseLeave(TControl* AControl) override;
  void CancelMouseOperations() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  Boolean CanFocusOnClick() override;
  void BoundsChanged() override;
  void FocusChanged() override;
  void FontChanged() override;
  void Dispatch(TMessage& Message) override;

 private:
  void CalcSizes(Integer& H, Integer& W, Integer& XO, Integer& LW, Integer& FontSize);
  void Error();
  void Beep();
  void StartEntry();
  void RefreshMemoryKeys();
  void InvalidateButton(TvlCalcButtonKind Kind);
  void SetDownButton(TvlCalcButtonKind Kind, Boolean ADown);
  void SetActiveButton(TvlCalcButtonKind Kind);
  void PressKind(TvlCalcButtonKind Kind);
  void StopTracking();
  void DoButtonClick(TvlCalcButtonKind Kind);

  Boolean FAutoFontSize{};
  Boolean FBeepOnError{};
  TBorderStyle FBorderStyle{};
  Boolean FFocusRectVisible{};
  Integer FCalcFontSize{};
  Integer FCalcBtnWidth{}, FCalcBtnHeight{}, FCalcLargeBtnWidth{};
  Integer FCalcXOfs{}, FCalcYOfs{};
  Integer FCalcWidth{}, FCalcHeight{};
  Extended FMemory{};
  TvlCalcButtonKind FOperator{};
  Extended FOperand{};
  Byte FPrecision{};
  TvlCalcState FStatus{};
  TCalcButtons FButtons{};
  TvlCalcButtonKind FActiveButton{};
  TvlCalcButtonKind FDownButton{};
  TvlCalcButtonKind FPressedButton{};
  Boolean FTracking{};
  Boolean FInLayout{};
  TRect FPaintBox{};
  Boolean FPaintBoxSet{};
  TNotifyEvent FOnDisplayChange;
  TvlCalcButtonClick FOnButtonClick;
  TNotifyEvent FOnResult;
  TvlEditClosePopupEvent FOnHidePopup;
  Boolean FIsPopupControl{};
};

// The calculator's number conversions, in the locale's format: the general
// format with Precision significant digits, and the text read back (thousand
// separators dropped, false when it is no number).
String vlCalcFloatToText(Extended AValue, Integer APrecision);
Boolean vlCalcTextToFloat(const String& AText, Extended& AValue);
