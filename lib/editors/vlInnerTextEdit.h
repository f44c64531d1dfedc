// The platform edit window inside every text editor. It has no border and
// margins 0 and 1, forwards keys, mouse and drag events to its editor (mouse
// points moved into the editor's space), keeps a second alignment that turns
// left while an in-place editor with UseLeftAlignmentOnEditing is focused,
// emulates the double click after a press that switched that alignment,
// remembers the selection around a DBCS input-method character, and asks
// the editor before a message changes the text. The editor reads and writes
// its settings through the adapter's IvlInnerTextEdit.
#pragma once

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlTextEditProperties.h"
#include "platform/vcl/StdCtrls.h"

class TvlTimer;
class TvlCustomTextEdit;
class TvlCustomInnerTextEdit;

// How a text editor drives its inner edit.
class IvlInnerTextEdit : public virtual IvlCustomInnerEdit {
  CL_INTERFACE(IvlInnerTextEdit, "{C4E1B7A2-58D3-4F6E-9A20-7B3D5E1F8C92}")
 public:
  virtual void ClearSelection() = 0;
  virtual void CopyToClipboard() = 0;
  virtual TAlignment GetAlignment() = 0;
  virtual Boolean GetAutoSelect() = 0;
  virtual TEditCharCase GetCharCase() = 0;
  virtual TvlEditEchoMode GetEchoMode() = 0;
  virtual Integer GetFirstVisibleCharIndex() = 0;
  virtual Boolean GetHideSelection() = 0;
  virtual Char GetImeLastChar() = 0;
  virtual TImeMode GetImeMode() = 0;
  virtual TImeName GetImeName() = 0;
  virtual Boolean GetInternalUpdating() = 0;
  virtual Integer GetMaxLength() = 0;
  virtual Boolean GetMultiLine() = 0;
  virtual Boolean GetOEMConvert() = 0;
  virtual TNotifyEvent GetOnSelChange() = 0;
  virtual Char GetPasswordChar() = 0;
  virtual Integer GetSelLength() = 0;
  virtual Integer GetSelStart() = 0;
  virtual String GetSelText() = 0;
  virtual void SelectAll() = 0;
  virtual void SetAlignment(TAlignment Value) = 0;
  virtual void SetAutoSelect(Boolean Value) = 0;
  virtual void SetCharCase(TEditCharCase Value) = 0;
  virtual void SetEchoMode(TvlEditEchoMode Value) = 0;
  virtual void SetHideSelection(Boolean Value) = 0;
  virtual void SetInternalUpdating(Boolean Value) = 0;
  virtual void SetImeMode(TImeMode Value) = 0;
  virtual void SetImeName(const TImeName& Value) = 0;
  virtual void SetMaxLength(Integer Value) = 0;
  virtual void SetOEMConvert(Boolean Value) = 0;
  virtual void SetOnSelChange(const TNotifyEvent& Value) = 0;
  virtual void SetPasswordChar(Char Value) = 0;
  virtual void SetSelLength(Integer Value) = 0;
  virtual void SetSelStart(Integer Value) = 0;
  virtual void SetSelText(const String& Value) = 0;
  virtual String GetTextHint() = 0;
  virtual void SetTextHint(const String& Value) = 0;
};

// The adapter through which the editor reads and writes the inner edit.
class TvlCustomInnerTextEditHelper : public TvlInterfacedPersistent,
                                     public IvlContainerInnerControl,
                                     public IvlInnerTextEdit {
  CL_CLASS(TvlCustomInnerTextEditHelper, TvlInterfacedPersistent)
 public:
  using TvlInterfacedPersistent::Create;
  virtual void Create(TvlCustomInnerTextEdit* AEdit);

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
  TvlEditEchoMode GetEchoMode() override;
  Integer GetFirstVisibleCharIndex() override;
  Boolean GetHideSelection() override;
  Char GetImeLastChar() override;
  TImeMode GetImeMode() override;
  TImeName GetImeName() override;
  Boolean GetInternalUpdating() override;
  Integer GetMaxLength() override;
  Boolean GetMultiLine() override { return false; }
  Boolean GetOEMConvert() override;
  TNotifyEvent GetOnSelChange() override;
  Char GetPasswordChar() override;
  Integer GetSelLength() override;
  Integer GetSelStart() override;
  String GetSelText() override;
  void SelectAll() override;
  void SetAlignment(TAlignment Value) override;
  void SetAutoSelect(Boolean Value) override;
  void SetCharCase(TEditCharCase Value) override;
  void SetEchoMode(TvlEditEchoMode Value) override;
  void SetHideSelection(Boolean Value) override;
  void SetInternalUpdating(Boolean Value) override;
  void SetImeMode(TImeMode Value) override;
  void SetImeName(const TImeName& Value) override;
  void SetMaxLength(Integer Value) override;
  void SetOEMConvert(Boolean Value) override;
  void SetOnSelChange(const TNotifyEvent& Value) override;
  void SetPasswordChar(Char Value) override;
  void SetSelLength(Integer Value) override;
  void SetSelStart(Integer Value) override;
  void SetSelText(const String& Value) override;
  String GetTextHint() override;
  void SetTextHint(const String& Value) override;

  TvlCustomInnerTextEdit* Edit() const { return FEdit; }
  // The selection kept while a DBCS input-method character arrives.
  void SaveSelection();
  void RestoreSelection();

 private:
  Boolean FAlignmentLock{};
  TvlCustomInnerTextEdit* FEdit{};
  Integer FSelLength{};
  Integer FSelStart{};
};

class TvlCustomInnerTextEdit : public TCustomEdit, public IvlInnerEditHelperProvider {
  CL_CLASS(TvlCustomInnerTextEdit, TCustomEdit)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void WndProc(TMessage& Message) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void DefaultHandler(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  Boolean CanFocus() override;
  virtual void UpdateEditingAlignment();
  virtual void ApplyMargins();

  // IvlInnerEditHelperProvider
  IvlCustomInnerEdit* GetHelper() override;
  TvlCustomInnerTextEditHelper* Helper() const { return FHelper; }
  // The text editor that owns this edit (nil while it has none).
  TvlCustomTextEdit* Container() const;

  TvlEditEchoMode EchoMode() const { return FEchoMode; }
  TAlignment WindowAlignment() const { return FAlignment; }
  Boolean InternalUpdating() const { return FInternalUpdating; }
  void SetInternalUpdating(Boolean Value) { FInternalUpdating = Value; }
  const TNotifyEvent& OnSelChange() const { return FOnSelChange; }
  void SetOnSelChange(const TNotifyEvent& Value) { FOnSelChange = Value; }
  Boolean DblClickTimerRunning() const;

 protected:
  void CreateHandle() override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void Change() override;
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
  Boolean LeftAlignmentRuleApplies();
  void DblClickTimerTick(TObject* Sender);
  void WMKeyDown(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMLButtonDown(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  Boolean Destroying() const { return ComponentState().Contains(csDestroying); }

  TAlignment FAlignment{};
  TvlEditEchoMode FEchoMode{};
  Boolean FDblClickLock{};
  TvlTimer* FDblClickTimer{};
  TvlCustomInnerTextEditHelper* FHelper{};
  Integer FImeCharCount{};
  Char FImeLastChar{};
  Boolean FInternalUpdating{};
  Boolean FIsCreating{};
  Integer FLockBoundsCount{};
  Char FPasswordChar{};
  TImeMode FImeMode{};
  TImeName FImeName;
  TNotifyEvent FOnSelChange;

  friend class TvlCustomInnerTextEditHelper;
};
