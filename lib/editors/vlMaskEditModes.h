// Mask modes: how a masked editor applies its edit mask. A mode compiles
// the mask, turns values into the text the editor shows and back, decides
// what every editing key does, and says whether a text is complete. One
// class per mask kind: the standard mode (TvlStandardMask), the
// regular-expression mode and the extended one that completes fixed
// characters by itself (both over TvlRegExpr).
//
// A mode serves either an editor (IvlMaskEditModeEditor, which the masked
// editor implements) or only a properties object (a temporary mode that
// formats values for display and checks masks). It sees of them only the two
// narrow interfaces below.
//
// The key operations (PressBackSpace .. PressSymbol) answer True when the
// inner edit control is still to handle the key in its usual way, False when
// the mode has handled it (the editor then drops the key).
#pragma once

#include "lib/editors/vlEditProperties.h"
#include "lib/editors/vlTextEditProperties.h"
#include "platform/classes/Interfaces.h"
#include "platform/vcl/StdCtrls.h"

class TvlStandardMask;
class TvlRegExpr;

CL_ENUM(TvlEditMaskKind, Byte, emkStandard, emkRegExpr, emkRegExprEx)

RTL_EXCEPTION_CLASS(EvlMaskEditError, EvlEditError);

// What a mode reads of the properties it serves.
class IvlMaskEditModeProperties : public virtual IInterface {
  CL_INTERFACE(IvlMaskEditModeProperties, "{5E1B7C20-8A4D-4F36-9D2E-71C3B8A0F5D4}")
 public:
  virtual Boolean GetBeepOnError() = 0;
  virtual Boolean GetCaseInsensitive() = 0;
  virtual TEditCharCase GetCharCase() = 0;
  virtual Boolean GetIgnoreMaskBlank() = 0;
  // The text an edit value shows for the editor's focus state.
  virtual String PrepareDisplayText(const String& AEditValue, Boolean AEditFocused) = 0;
};

// What a mode asks of and does to its editor. Keys and characters sent
// through SendKey and SendChar go to the inner edit control's own handling
// (the editor's key handlers skip them).
class IvlMaskEditModeEditor : public virtual IInterface {
  CL_INTERFACE(IvlMaskEditModeEditor, "{A3D9E6F1-2C7B-4B85-8E40-6F19D2C5B7A3}")
 public:
  // The editor's active properties.
  virtual IvlMaskEditModeProperties* GetModeProperties() = 0;
  // The inner edit control exists.
  virtual Boolean HasInnerEdit() = 0;
  virtual Boolean HandleAllocated() = 0;
  virtual Boolean IsMasked() = 0;
  virtual Boolean IsFocused() = 0;
  // The text changed since the editor was entered.
  virtual Boolean ModifiedAfterEnter() = 0;
  virtual Boolean GetShiftOn() = 0;
  virtual void SetShiftOn(Boolean Value) = 0;
  // The inner edit's text; setting it is setting the display value.
  virtual String GetDisplayText() = 0;
  virtual void SetDisplayText(const String& AText) = 0;
  virtual String GetEditValueText() = 0;
  virtual void SetEditValueText(const String& AText) = 0;
  virtual Integer GetSelStart() = 0;
  virtual void SetSelStart(Integer Value) = 0;
  virtual Integer GetSelLength() = 0;
  virtual void SetSelLength(Integer Value) = 0;
  // The caret stands at the start of the selection (else at its end).
  virtual Boolean CaretAtSelStart() = 0;
  virtual void SendKey(Word AKey) = 0;
  virtual void SendChar(Char AChar) = 0;
  // The descendants' hook: whether AChar may be typed at APos (it may be
  // changed; a null character is refused with a beep).
  virtual Boolean CanTypeChar(Integer APos, Char& AChar) = 0;
  virtual void Beep() = 0;
};

class TvlMaskEditCustomMode : public TObject {
  CL_CLASS(TvlMaskEditCustomMode, TObject)
 public:
  virtual Integer GetMaskKind() const { return 0; }
  virtual void Create(IvlMaskEditModeEditor* AEdit, IvlMaskEditModeProperties* AProperties);
  virtual void AfterPasteFromClipboard() {}
  virtual void Compile(const String& AMask);
  virtual String GetEmptyString() { return String(); }
  virtual String GetFormattedText(const String& AText, Boolean AMatchForBlanksAndLiterals = true);
  virtual void GotoEnd() {}
  virtual Boolean IsCursorBegin() { return false; }
  virtual Boolean IsCursorEnd() { return false; }
  virtual Boolean IsFullValidText(const String& AText) { return true; }
  virtual void LMouseDown() {}
  virtual void PrePasteFromClipboard() {}
  virtual Boolean PressBackSpace() { return true; }
  virtual Boolean PressDelete() { return true; }
  virtual Boolean PressEnd() { return true; }
  virtual Boolean PressHome() { return true; }
  virtual Boolean PressLeft() { return true; }
  virtual Boolean PressRight() { return true; }
  virtual Boolean PressSymbol(Char& ASymbol) { return true; }
  virtual void SetText(const String& AText) {}
  virtual void SynchronizeEditValue();
  virtual void UpdateEditValue() {}
  virtual String GetUpdatedText(const String& AText, Boolean AMatchForBlanksAndLiterals = true);

  IvlMaskEditModeProperties* GetProperties() const;
  Boolean HasEdit() const;
  void BeepOnError() const;

  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value) { FCharCase = Value; }
  TvlEditEchoMode EchoMode() const { return FEchoMode; }
  void SetEchoMode(TvlEditEchoMode Value) { FEchoMode = Value; }
  const String& EditMask() const { return FEditMask; }
  Integer ClipboardTextLength() const { return FClipboardTextLength; }
  void SetClipboardTextLength(Integer Value) { FClipboardTextLength = Value; }
  IvlMaskEditModeEditor* Edit() const { return FEdit; }
  Boolean NeedUpdateEditValue() const { return FNeedUpdateEditValue; }

 protected:
  // The text of the editor and its length.
  String Text() const { return FEdit->GetDisplayText(); }
  Integer TextLength() const { return Integer(FEdit->GetDisplayText().size()); }

  TEditCharCase FCharCase{};
  TvlEditEchoMode FEchoMode{};
  String FEditMask;
  // Not counted: the properties and the editor own their mode.
  IvlMaskEditModeProperties* FProperties{};
  Integer FClipboardTextLength{};
  IvlMaskEditModeEditor* FEdit{};
  Boolean FNeedUpdateEditValue{};
};

using TvlMaskEditModeClass = TClassOf<TvlMaskEditCustomMode>;

// A mask of blank characters only (or none) is no mask.
Boolean vlIsBlankMask(const String& AMask);

class TvlMaskEditStandardMode : public TvlMaskEditCustomMode {
  CL_CLASS(TvlMaskEditStandardMode, TvlMaskEditCustomMode)
 public:
  void Create(IvlMaskEditModeEditor* AEdit, IvlMaskEditModeProperties* AProperties) override;
  void Destroy() override;
  void AfterPasteFromClipboard() override;
  void Compile(const String& AMask) override;
  String GetEmptyString() override;
  String GetFormattedText(const String& AText, Boolean AMatchForBlanksAndLiterals = true) override;
  Boolean IsCursorBegin() override;
  Boolean IsCursorEnd() override;
  Boolean IsFullValidText(const String& AText) override;
  void LMouseDown() override;
  void PrePasteFromClipboard() override;
  Boolean PressBackSpace() override;
  Boolean PressDelete() override;
  Boolean PressEnd() override;
  Boolean PressHome() override;
  Boolean PressLeft() override;
  Boolean PressRight() override;
  Boolean PressSymbol(Char& ASymbol) override;
  void SetText(const String& AText) override;
  void SynchronizeEditValue() override;
  void UpdateEditValue() override;
  String GetUpdatedText(const String& AText, Boolean AMatchForBlanksAndLiterals = true) override;
  virtual Char GetBlank();
  // The blank of one position (0: none; Delete leaves the position as it stands).
  virtual Char GetBlankAt(Integer APos) { return GetBlank(); }

  TvlStandardMask* Mask() const { return FMask; }

 private:
  Boolean IsLiteral(Integer APos) const;
  // Puts the cursor at APos, shown as a one-character selection inside the text.
  void SetCursor(Integer APos);

  TvlStandardMask* FMask{};
  Integer FSelStart{};
};

class TvlMaskEditRegExprMode : public TvlMaskEditCustomMode {
  CL_CLASS(TvlMaskEditRegExprMode, TvlMaskEditCustomMode)
 public:
  Integer GetMaskKind() const override { return 1; }
  void Create(IvlMaskEditModeEditor* AEdit, IvlMaskEditModeProperties* AProperties) override;
  void Destroy() override;
  void Compile(const String& AMask) override;
  String GetFormattedText(const String& AText, Boolean AMatchForBlanksAndLiterals = true) override;
  void GotoEnd() override;
  Boolean IsCursorBegin() override;
  Boolean IsCursorEnd() override;
  Boolean IsFullValidText(const String& AText) override;
  void LMouseDown() override;
  Boolean PressBackSpace() override;
  Boolean PressDelete() override;
  Boolean PressEnd() override;
  Boolean PressHome() override;
  Boolean PressLeft() override;
  Boolean PressRight() override;
  Boolean PressSymbol(Char& ASymbol) override;
  void SetText(const String& AText) override;
  void SynchronizeEditValue() override;
  virtual void CutSelection();
  virtual void RestoreSelection();

  TvlRegExpr* RegExpr() const { return FRegExpr; }
  const String& Head() const { return FHead; }
  const String& Tail() const { return FTail; }

 protected:
  // Rebuilds Head and Tail from the editor's text and cursor when they no
  // longer describe it.
  virtual void Align();
  // Feeding Tail after Head is accepted to the end (the automaton is then
  // stepped back).
  Boolean TailFits();
  // Cuts the editor's text at APos; the cursor goes to the end.
  void CutTail(Integer APos);
  // The caret's position in the editor's text.
  Integer Cursor();
  void Feed(Char AChar);
  Boolean RemoveSelection(Word AKey);

  TvlRegExpr* FRegExpr{};
  String FHead;
  String FTail;
  String FSelect;
  Boolean FBeginCursor{};
  Boolean FMouseAction{};
};

class TvlMaskEditRegExprExMode : public TvlMaskEditRegExprMode {
  CL_CLASS(TvlMaskEditRegExprExMode, TvlMaskEditRegExprMode)
 public:
  Integer GetMaskKind() const override { return 2; }
  void Create(IvlMaskEditModeEditor* AEdit, IvlMaskEditModeProperties* AProperties) override;
  void Compile(const String& AMask) override;
  String GetEmptyString() override;
  String GetFormattedText(const String& AText, Boolean AMatchForBlanksAndLiterals = true) override;
  void GotoEnd() override;
  Boolean IsFullValidText(const String& AText) override;
  void PrePasteFromClipboard() override;
  void AfterPasteFromClipboard() override {}
  Boolean PressBackSpace() override;
  Boolean PressDelete() override;
  Boolean PressEnd() override;
  Boolean PressHome() override;
  Boolean PressLeft() override;
  Boolean PressRight() override;
  Boolean PressSymbol(Char& ASymbol) override;
  void SetText(const String& AText) override;
  void UpdateEditValue() override;

  const String& Update() const { return FUpdate; }
  Integer DeleteNumber() const { return FDeleteNumber; }

 protected:
  void Align() override;

 private:
  void SymbolUpdate(Char ASymbol);
  void SymbolDelete();
  // The characters fixed at the start of the mask.
  String FixedStart();
  // Re-fits the tail after Head (the characters it now completes are
  // appended to the editor's text), or cuts it.
  void RefitTail();
  void StepRight();
  void StepLeft();
  void SelectPastFixedStart();
  Boolean RemoveSelectionEx(Word AKey);

  String FUpdate;
  Integer FDeleteNumber{};
  String FBuffer;
};
