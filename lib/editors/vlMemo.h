// The memo: the multi-line text editor. It stands on the text editor and
// holds the platform's multi-line edit window (TvlCustomInnerMemo), whose
// scroll bars the container covers with its own library-drawn ones. In place
// it lets Return (with WantReturns) and Tab (with WantTabs) into the text
// instead of the grid. A grid cell paints several lines through the memo's
// view data; the display text asked for without the full text is the first
// line, at most 250 characters.
#pragma once

#include "lib/editors/vlFilterEdit.h"
#include "lib/editors/vlInnerTextEdit.h"
#include "lib/editors/vlTextEdit.h"
#include "lib/editors/vlTextEditViewInfo.h"
#include "platform/vcl/StdCtrls.h"

class TvlCustomMemo;
class TvlCustomInnerMemo;

// Every line break of a text (CR LF, LF CR, a lone CR or LF) as one CR LF.
String vlNormalizeMemoLineBreaks(const String& AText);

// --- Properties -------------------------------------------------------------------------------------------

class TvlCustomMemoProperties : public TvlCustomTextEditProperties {
  CL_CLASS(TvlCustomMemoProperties, TvlCustomTextEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Assign(TPersistent* Source) override;
  TvlCustomEditViewDataClass EditViewDataClass() const override;
  Boolean KeepsTabKey() override { return FWantTabs; }
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditViewInfoClass GetViewInfoClass() const override;
  String GetDisplayText(const Variant& AEditValue, Boolean AFullText = false, Boolean AIsInplace = true) override;
  // A memo bound to a BLOB field exchanges the field's value, any other its text.
  Integer GetEditValueSource(Boolean AEditFocused) override;
  Boolean LaysOutOwnLines() override { return true; }

  // The horizontal part of the edit alignment.
  TAlignment Alignment() { return TvlCustomEditProperties::Alignment()->Horz(); }
  void SetAlignment(TAlignment Value) { TvlCustomEditProperties::Alignment()->SetHorz(Value); }
  Boolean IsAlignmentStored() { return TvlCustomEditProperties::Alignment()->IsHorzStored(); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  Integer VisibleLineCount() const { return FVisibleLineCount; }
  void SetVisibleLineCount(Integer Value);
  Boolean WantReturns() const { return FWantReturns; }
  void SetWantReturns(Boolean Value);
  Boolean WantTabs() const { return FWantTabs; }
  void SetWantTabs(Boolean Value);
  Boolean WordWrap() const { return FWordWrap; }
  void SetWordWrap(Boolean Value);

 private:
  TScrollStyle FScrollBars{};
  Integer FVisibleLineCount{};
  Boolean FWantReturns{};
  Boolean FWantTabs{};
  Boolean FWordWrap{};
};

class TvlMemoProperties : public TvlCustomMemoProperties {
  CL_CLASS(TvlMemoProperties, TvlCustomMemoProperties)
};

// --- View data and view info ---------------------------------------------------------------------------------

class TvlCustomMemoViewData : public TvlCustomTextEditViewData {
  CL_CLASS(TvlCustomMemoViewData, TvlCustomTextEditViewData)
 public:
  void GetEditConstantPartSize(TvlCanvas* ACanvas, const TvlEditSizeProperties& AEditSizeProperties, TSize& ASize,
                               TSize& AMinContentSize, TvlCustomEditViewInfo* AViewInfo = nullptr) override;
  TSize ContentSizeOfValue(TvlCanvas* ACanvas, const Variant& AEditValue,
                           const TvlEditSizeProperties& AEditSizeProperties) override;
  TSize GetEditContentSizeCorrection() override;
  Integer GetMaxLineCount() override;
  Cardinal GetDrawTextFlags() override;
  TRect GetDrawTextOffset() override;

  TvlCustomMemoProperties* MemoProperties() const { return static_cast<TvlCustomMemoProperties*>(Properties()); }
};

class TvlCustomMemoViewInfo : public TvlCustomTextEditViewInfo {
  CL_CLASS(TvlCustomMemoViewInfo, TvlCustomTextEditViewInfo)
};

// --- The inner memo --------------------------------------------------------------------------------------------

// What a memo editor reads and writes of its inner memo besides the text-edit part.
class IvlInnerMemo : public virtual IvlInnerTextEdit {
  CL_INTERFACE(IvlInnerMemo, "{8E2F4B61-3A7D-4C95-B0E8-6D1F2A9C5B37}")
 public:
  virtual TStrings* GetLines() = 0;
  virtual TScrollStyle GetScrollBars() = 0;
  virtual void SetScrollBars(TScrollStyle Value) = 0;
  virtual Boolean GetWantReturns() = 0;
  virtual void SetWantReturns(Boolean Value) = 0;
  virtual Boolean GetWantTabs() = 0;
  virtual void SetWantTabs(Boolean Value) = 0;
  virtual Boolean GetWordWrap() = 0;
  virtual void SetWordWrap(Boolean Value) = 0;
};

class TvlCustomInnerMemoHelper : public TvlInterfacedPersistent, public IvlContainerInnerControl, public IvlInnerMemo {
  CL_CLASS(TvlCustomInnerMemoHelper, TvlInterfacedPersistent)
 public:
  using TvlInterfacedPersistent::Create;
  virtual void Create(TvlCustomInnerMemo* AEdit);

  // IvlContainerInnerControl
  TWinControl* GetInnerControl() override;
  TvlContainer* GetOwnerContainer() override;
  // IvlCustomInnerEdit
  TWinControl* GetControl() override;
  TvlCustomEdit* GetControlContainer() override;
  void CallDefWndProc(TMessage& Message) override;
  Boolean CanProcessClipboardMessages() override { return false; }
  Variant GetEditValue() override;
  TNotifyEvent GetOnChange() override;
  Boolean GetReadOnly() override;
  void LockBounds(Boolean ALock) override;
  void SafelySetFocus() override;
  void SetEditValue(const Variant& Value) override;
  void SetParent(TWinControl* Value) override;
  void SetOnChange(const TNotifyEvent& Value) override;
  void SetReadOnly(Boolean Value) override;
  // IvlInnerTextEdit
  void ClearSelection() override;
  void CopyToClipboard() override;
  TAlignment GetAlignment() override;
  Boolean GetAutoSelect() override;
  TEditCharCase GetCharCase() override;
  TvlEditEchoMode GetEchoMode() override { return eemNormal; }
  Integer GetFirstVisibleCharIndex() override;
  Boolean GetHideSelection() override;
  Char GetImeLastChar() override { return 0; }
  TImeMode GetImeMode() override;
  TImeName GetImeName() override;
  Boolean GetInternalUpdating() override;
  Integer GetMaxLength() override;
  Boolean GetMultiLine() override { return true; }
  Boolean GetOEMConvert() override;
  TNotifyEvent GetOnSelChange() override;
  Char GetPasswordChar() override { return 0; }
  Integer GetSelLength() override;
  Integer GetSelStart() override;
  String GetSelText() override;
  void SelectAll() override;
  void SetAlignment(TAlignment Value) override;
  void SetAutoSelect(Boolean Value) override;
  void SetCharCase(TEditCharCase Value) override;
  void SetEchoMode(TvlEditEchoMode Value) override {}
  void SetHideSelection(Boolean Value) override;
  void SetInternalUpdating(Boolean Value) override;
  void SetImeMode(TImeMode Value) override;
  void SetImeName(const TImeName& Value) override;
  void SetMaxLength(Integer Value) override;
  void SetOEMConvert(Boolean Value) override;
  void SetOnSelChange(const TNotifyEvent& Value) override;
  void SetPasswordChar(Char Value) override {}
  void SetSelLength(Integer Value) override;
  void SetSelStart(Integer Value) override;
  void SetSelText(const String& Value) override;
  String GetTextHint() override;
  void SetTextHint(const String& Value) override;
  // IvlInnerMemo
  TStrings* GetLines() override;
  TScrollStyle GetScrollBars() override;
  void SetScrollBars(TScrollStyle Value) override;
  Boolean GetWantReturns() override;
  void SetWantReturns(Boolean Value) override;
  Boolean GetWantTabs() override;
  void SetWantTabs(Boolean Value) override;
  Boolean GetWordWrap() override;
  void SetWordWrap(Boolean Value) override;

  // Moves the caret to column P.X of line P.Y.
  void SetCaretPos(const TPoint& P);
  TvlCustomInnerMemo* Edit() const { return FEdit; }

 private:
  TvlCustomInnerMemo* FEdit{};
};

class TvlCustomInnerMemo : public TCustomMemo, public IvlContainerInnerControl, public IvlInnerEditHelperProvider {
  CL_CLASS(TvlCustomInnerMemo, TCustomMemo)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  Boolean CanFocus() override;
  // Actions the memo does not handle are offered to its editor.
  Boolean ExecuteAction(TBasicAction* Action) override;
  Boolean UpdateAction(TBasicAction* Action) override;

  // IvlContainerInnerControl
  TWinControl* GetInnerControl() override { return this; }
  TvlContainer* GetOwnerContainer() override;
  // IvlInnerEditHelperProvider
  IvlCustomInnerEdit* GetHelper() override;

  TvlCustomInnerMemoHelper* Helper() const { return FHelper; }
  // The memo editor that owns this memo (nil while it has none).
  TvlCustomMemo* Container() const;
  Boolean InternalUpdating() const { return FInternalUpdating; }
  void SetInternalUpdating(Boolean Value) { FInternalUpdating = Value; }
  const TNotifyEvent& OnSelChange() const { return FOnSelChange; }
  void SetOnSelChange(const TNotifyEvent& Value) { FOnSelChange = Value; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Click() override;
  void DblClick() override;
  Boolean DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override { return false; }
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept) override;
  void DragDrop(TObject* Source, Integer X, Integer Y) override;

 private:
  struct TSavedState {
    String Text;
    Integer SelStart{};
    Integer SelLength{};
  };
  TSavedState SaveState();
  Boolean StateChanged(const TSavedState& AState);
  void WMKeyDown(TMessage& Message);
  void WMGetDlgCode(TMessage& Message);
  void WMSetText(TMessage& Message);
  void EMReplaceSel(TMessage& Message);
  void WMClear(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  Boolean Destroying() const { return ComponentState().Contains(csDestroying); }

  Boolean FEscapePressed{};
  TvlCustomInnerMemoHelper* FHelper{};
  Integer FInternalTextSettingCount{};
  Boolean FInternalUpdating{};
  Boolean FIsCreating{};
  Integer FLockBoundsCount{};
  TImeMode FImeMode{};
  TImeName FImeName;
  TNotifyEvent FOnSelChange;

  friend class TvlCustomInnerMemoHelper;
};

// --- The editor -----------------------------------------------------------------------------------------------

class TvlCustomMemo : public TvlCustomTextEdit {
  CL_CLASS(TvlCustomMemo, TvlCustomTextEdit)
 public:
  void ReadState(TReader* Reader) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlCustomMemoProperties>(); }
  Boolean IsEditClass() override { return true; }
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  void SetSelText(const String& AText) override;
  void ClearSelection() override;
  // Return when WantReturns is on or Ctrl is held; Tab with ATabAlways or WantTabs.
  virtual Boolean WantsKey(Word Key, TShiftState Shift, Boolean ATabAlways);

  TvlCustomMemoProperties* ActiveProperties() {
    return static_cast<TvlCustomMemoProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomMemoProperties* Properties() const {
    return static_cast<TvlCustomMemoProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomMemoProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  // The inner memo's lines; assigning copies the strings.
  TStrings* Lines();
  void SetLines(TStrings* Value);
  // X the column, Y the line.
  TPoint CaretPos();
  void SetCaretPos(const TPoint& Value);
  TvlCustomInnerMemo* InnerMemo() const;

 protected:
  Boolean CanScrollContentWithoutScrollBars(TvlDirection ADirection) override;
  Boolean HasScrollBars() override;
  void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) override;
  void PlaceInnerControl() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  Boolean AutoSizingActive() override;
  Boolean KeyDownModifiesValue(Word Key, TShiftState Shift) override;
  void HandleInnerEditChange(TObject* Sender) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  TClass InnerControlClass() const override;
  void Initialize() override;
  void FillViewDataState(TvlCustomEditViewData* AViewData) override;
  void PropertiesChanged(TObject* Sender) override;
  Boolean ShouldReplayActivationKey(Word Key) override;
  Boolean InPlaceMode() override;
  void ApplyStyleToInnerEdit() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void EnabledChanged() override;
  void FontChanged() override;

 private:
  void WMCommand(TMessage& Message);

  Boolean FCanCreateScrollBars{};
  Boolean FInternalAction{};
  Integer FOldScrollPos{};

  friend class TvlCustomInnerMemo;
  friend class TvlCustomInnerMemoHelper;
};

class TvlMemo : public TvlCustomMemo {
  CL_CLASS(TvlMemo, TvlCustomMemo)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlMemoProperties>(); }
  TvlMemoProperties* Properties() const { return static_cast<TvlMemoProperties*>(TvlCustomEdit::Properties()); }
  void SetProperties(TvlMemoProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  TvlMemoProperties* ActiveProperties() {
    return static_cast<TvlMemoProperties*>(TvlCustomEdit::ActiveProperties());
  }
};

// The filter builder's helper for memo items: like, not like, blanks and non-blanks only.
class TvlFilterMemoHelper : public TvlFilterTextEditHelper {
  CL_CLASS(TvlFilterMemoHelper, TvlFilterTextEditHelper)
 public:
  TvlFilterControlOperators GetSupportedFilterOperators(TvlCustomEditProperties* AProperties,
                                                        TvlValueTypeClass AValueTypeClass,
                                                        Boolean AExtendedSet) const override;
};
