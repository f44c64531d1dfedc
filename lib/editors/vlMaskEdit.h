// The masked text editor: the text editor with an edit mask. The properties
// add the mask, its kind and options; the editor routes keys, paste, cut,
// the mouse and value changes through a mask mode (vlMaskEditModes). A blank
// mask is no mask: the editor then behaves exactly as the text editor (the
// port dialog's combo box: the regular-expression kind with an empty mask).
//
// Display rule (PrepareDisplayValue): focused, or with a regular-expression
// kind, the value is shown formatted by the mask (a standard mask with its
// blanks and literals); unfocused with a standard mask, its edit-value form
// (blanks as blanks, literals only when the mask keeps them) unless
// AlwaysShowBlanksAndLiterals. The properties format through a temporary mode
// of their own, so formatting a value never disturbs an editor's mode.
//
// Subclassing: descendants (drop-down, spin, time editors) override
// GetModeClass on the properties for their own modes, and on the editor the
// hooks CanTypeChar (whether a character may be typed at a position) and
// ModeFollowsText.
#pragma once

#include "lib/editors/vlFilterEdit.h"
#include "lib/editors/vlMaskEditModes.h"
#include "lib/editors/vlTextEdit.h"

class TvlCustomMaskEdit;

class TvlCustomMaskEditProperties : public TvlCustomTextEditProperties, public IvlMaskEditModeProperties {
  CL_CLASS(TvlCustomMaskEditProperties, TvlCustomTextEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  Integer FormatOptionFlags() const override;
  TvlCustomEditClass GetContainerClass() const override;
  Boolean IsEditValueValid(Variant& EditValue, Boolean AEditFocused) override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean AEditFocused) override;
  void ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                            TvlCustomEdit* AEdit) override;
  void MaxLengthChanged() override;
  void SetCharCase(TEditCharCase Value) override;
  Boolean UsesLookupData() override;
  virtual TvlMaskEditModeClass GetModeClass(TvlEditMaskKind AMaskKind) const;

  // IvlMaskEditModeProperties
  Boolean GetBeepOnError() override { return BeepOnError(); }
  Boolean GetCaseInsensitive() override { return FCaseInsensitive; }
  TEditCharCase GetCharCase() override { return CharCase(); }
  Boolean GetIgnoreMaskBlank() override { return FIgnoreMaskBlank; }
  String PrepareDisplayText(const String& AEditValue, Boolean AEditFocused) override;

  // The effective mask: a blank standard mask takes the data's edit mask.
  String EditMask();
  // A regular-expression mask that does not compile raises EvlMaskEditError
  // and leaves the mask as it was.
  void SetEditMask(const String& Value);
  Boolean IsMasked() { return !vlIsBlankMask(EditMask()); }
  Boolean IsEditMaskStored() const { return !FEditMask.empty(); }
  // The stored text, whatever the kind.
  const String& OwnEditMask() const { return FEditMask; }
  TvlEditMaskKind MaskKind() const { return FMaskKind; }
  void SetMaskKind(TvlEditMaskKind Value);
  Boolean AlwaysShowBlanksAndLiterals() const { return FAlwaysShowBlanksAndLiterals; }
  void SetAlwaysShowBlanksAndLiterals(Boolean Value);
  Boolean CaseInsensitive() const { return FCaseInsensitive; }
  void SetCaseInsensitive(Boolean Value);
  Boolean IgnoreMaskBlank() const { return FIgnoreMaskBlank; }
  void SetIgnoreMaskBlank(Boolean Value);
  const String& EmptyString() const { return FEmptyString; }
  void SetEmptyString(const String& Value) { FEmptyString = Value; }

 protected:
  void FirePropertiesChanged() override;

 private:
  // A mode of the current kind, compiled for the effective mask (kept until
  // the kind, the mask or any property changes).
  TvlMaskEditCustomMode* TempMode();

  Boolean FAlwaysShowBlanksAndLiterals{};
  Boolean FCaseInsensitive{};
  String FEditMask;
  String FEmptyString;
  Boolean FIgnoreMaskBlank{};
  TvlEditMaskKind FMaskKind{};
  Boolean FMaxLengthSetting{};
  TvlMaskEditCustomMode* FTempMode{};
};

// The published properties of the masked editor.
class TvlMaskEditProperties : public TvlCustomMaskEditProperties {
  CL_CLASS(TvlMaskEditProperties, TvlCustomMaskEditProperties)
};

class TvlCustomMaskEdit : public TvlCustomTextEdit {
  CL_CLASS(TvlCustomMaskEdit, TvlCustomTextEdit)
 public:
  void Destroy() override;
  void Loaded() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomMaskEditProperties>();
  }
  void PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) override;
  void SetSelText(const String& AText) override;
  void InnerSelectionChanged(TObject* Sender) override;
  // Whether the mode follows the editor's text (SetText after a value is shown).
  virtual Boolean ModeFollowsText() { return true; }
  // Whether AChar may be typed at APos (it may be changed; a null character
  // is refused with a beep).
  virtual Boolean CanTypeChar(Integer APos, Char& AChar) { return true; }
  // The current text applied again through the mask.
  virtual void ReapplyText();
  // Holds the inner edit's repainting while the text changes in several
  // steps (a mode's key, a paste): with a mask its window's redraw goes off,
  // and on again with a repaint of the whole edit at the last unlock.
  // Without a mask nothing is held (the text editor changes its text in one
  // step). Calls nest.
  virtual void LockInnerEditRepainting(Boolean ALock);

  TvlCustomMaskEditProperties* ActiveProperties() {
    return static_cast<TvlCustomMaskEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomMaskEditProperties* Properties() const {
    return static_cast<TvlCustomMaskEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomMaskEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  // The inner edit's text; writing it formats the text by the mask.
  String EditText() { return CurrentDisplayText(); }
  void SetEditText(const String& Value);
  TvlMaskEditCustomMode* Mode() const { return FMode; }
  Boolean IsMasked() { return FProperties && ActiveProperties()->IsMasked(); }

 protected:
  void Initialize() override;
  void HandleInnerEditChange(TObject* Sender) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void PropertiesChanged(TObject* Sender) override;
  Boolean SetTextFromMessage(const String& AText) override;
  void ShowDisplayValue(const Variant& ADisplayValue) override;
  void SynchronizeDisplayValue() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void DblClick() override;
  void DoEnter() override;
  Boolean SupportsSpelling() override { return !IsMasked(); }

 private:
  // What the mode sees of the editor.
  class TModeEditor : public IvlMaskEditModeEditor {
   public:
    explicit TModeEditor(TvlCustomMaskEdit* AEdit) : FEdit(AEdit) {}
    HRESULT QueryInterface(const TGUID&, void**) override { return E_NOINTERFACE; }
    Integer _AddRef() override { return -1; }
    Integer _Release() override { return -1; }
    IvlMaskEditModeProperties* GetModeProperties() override { return FEdit->ActiveProperties(); }
    Boolean HasInnerEdit() override { return FEdit->InnerEdit() != nullptr; }
    Boolean HandleAllocated() override;
    Boolean IsMasked() override { return FEdit->IsMasked(); }
    Boolean IsFocused() override { return FEdit->InternalFocused(); }
    Boolean ModifiedAfterEnter() override { return FEdit->ModifiedAfterEnter(); }
    Boolean GetShiftOn() override { return FEdit->FShiftOn; }
    void SetShiftOn(Boolean Value) override { FEdit->FShiftOn = Value; }
    String GetDisplayText() override { return FEdit->CurrentDisplayText(); }
    void SetDisplayText(const String& AText) override;
    String GetEditValueText() override;
    void SetEditValueText(const String& AText) override;
    Integer GetSelStart() override { return HandleAllocated() ? FEdit->SelStart() : 0; }
    void SetSelStart(Integer Value) override;
    Integer GetSelLength() override { return HandleAllocated() ? FEdit->SelLength() : 0; }
    void SetSelLength(Integer Value) override;
    Boolean CaretAtSelStart() override;
    void SendKey(Word AKey) override;
    void SendChar(Char AChar) override;
    Boolean CanTypeChar(Integer APos, Char& AChar) override { return FEdit->CanTypeChar(APos, AChar); }
    void Beep() override;

   private:
    TvlCustomMaskEdit* FEdit;
  };

  void ReplaceMode(TvlEditMaskKind AKind);
  void RefreshEmptyString();
  // Shows a text in the inner edit without counting as the user's change.
  void ShowTextQuietly(const String& AText);
  void InsertThroughMode(const String& AText);

  TvlMaskEditCustomMode* FMode{};
  TModeEditor FModeEditor{this};
  Boolean FInternalKeySending{};
  Boolean FInternalSelSetting{};
  Boolean FShiftOn{};
  String FText;
  Integer FRepaintLockCount{};
  win::HWND FRepaintLockedWnd{};  // the inner window whose redraw is off
};

// The published masked editor.
class TvlMaskEdit : public TvlCustomMaskEdit {
  CL_CLASS(TvlMaskEdit, TvlCustomMaskEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlMaskEditProperties>(); }
  TvlMaskEditProperties* Properties() const {
    return static_cast<TvlMaskEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlMaskEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  TvlMaskEditProperties* ActiveProperties() {
    return static_cast<TvlMaskEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
};

// The masked editor as a filter value editor.
class TvlFilterMaskEditHelper : public TvlFilterTextEditHelper {
  CL_CLASS(TvlFilterMaskEditHelper, TvlFilterTextEditHelper)
 public:
  TvlCustomEditClass GetFilterEditClass() const override;
  TvlFilterControlOperators GetSupportedFilterOperators(TvlCustomEditProperties* AProperties,
                                                        TvlValueTypeClass AValueTypeClass,
                                                        Boolean AExtendedSet) const override;
  void InitializeProperties(TvlCustomEditProperties* AProperties, TvlCustomEditProperties* AEditProperties,
                            Boolean AHasButtons) const override;
};
