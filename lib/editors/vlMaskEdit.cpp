#include "lib/editors/vlMaskEdit.h"

#include <algorithm>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlInnerTextEdit.h"
#include "lib/editors/vlRegExpr.h"
#include "lib/editors/vlStandardMask.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "lib/foundation/vlClasses.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Menus.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

Integer gStartupCount = 0;

void Startup() {
  if (gStartupCount++ > 0) return;
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlMaskEditProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryMaskItem));
  vlFilterEditsController()->Register(ClassOf<TvlMaskEditProperties>(), ClassOf<TvlFilterMaskEditHelper>());
  RegisterClasses({ClassOf<TvlMaskEdit>(), ClassOf<TvlMaskEditProperties>()});
}

void Shutdown() {
  if (gStartupCount == 0 || --gStartupCount > 0) return;
  vlFilterEditsController()->Unregister(ClassOf<TvlMaskEditProperties>(), ClassOf<TvlFilterMaskEditHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlMaskEditProperties>());
}

Boolean IsRegExprKind(TvlEditMaskKind AKind) { return AKind != emkStandard; }

TvlMaskEditCustomMode* NewMode(TvlMaskEditModeClass AClass, IvlMaskEditModeEditor* AEdit,
                               IvlMaskEditModeProperties* AProperties) {
  return CreateFrom(AClass, &TvlMaskEditCustomMode::Create, AEdit, AProperties);
}

}  // namespace

CL_UNIT_STEPS(vlMaskEdit, &Startup, &Shutdown);

// --- Properties -----------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomMaskEditProperties)

void TvlCustomMaskEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FCaseInsensitive = true;
  FMaskKind = emkStandard;
  SetValidateOnEnter(true);
}

void TvlCustomMaskEditProperties::Destroy() {
  FreeAndNil(FTempMode);
  inherited::Destroy();
}

void TvlCustomMaskEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TvlCustomMaskEditProperties*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  inherited::Assign(Source);
  SetMaskKind(src->MaskKind());
  SetEditMask(src->EditMask());
  SetCaseInsensitive(src->CaseInsensitive());
  SetIgnoreMaskBlank(src->IgnoreMaskBlank());
  SetAlwaysShowBlanksAndLiterals(src->AlwaysShowBlanksAndLiterals());
}

void TvlCustomMaskEditProperties::FirePropertiesChanged() {
  FreeAndNil(FTempMode);
  inherited::FirePropertiesChanged();
}

Integer TvlCustomMaskEditProperties::FormatOptionFlags() const {
  // Display and edit formats do not apply to a masked text.
  if (const_cast<TvlCustomMaskEditProperties*>(this)->IsMasked()) return 0;
  return inherited::FormatOptionFlags();
}

TvlCustomEditClass TvlCustomMaskEditProperties::GetContainerClass() const { return ClassOf<TvlMaskEdit>(); }

Boolean TvlCustomMaskEditProperties::IsEditValueValid(Variant& EditValue, Boolean AEditFocused) {
  return IsMasked() || inherited::IsEditValueValid(EditValue, AEditFocused);
}

TvlMaskEditCustomMode* TvlCustomMaskEditProperties::TempMode() {
  const String mask = EditMask();
  if (FTempMode && FTempMode->ClassType() == GetModeClass(FMaskKind).Class() && FTempMode->EditMask() == mask)
    return FTempMode;
  FreeAndNil(FTempMode);
  FTempMode = NewMode(GetModeClass(FMaskKind), nullptr, this);
  FTempMode->SetCharCase(CharCase());
  try {
    FTempMode->Compile(mask);
  } catch (const EvlMaskEditError&) {
    // A mask that came from the data and does not compile formats nothing.
  }
  return FTempMode;
}

void TvlCustomMaskEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue,
                                                      Boolean AEditFocused) {
  IvlEditDefaultValuesProvider* provider = IDefaultValuesProvider();
  if (!IsMasked() || (!AEditFocused && provider && provider->IsDisplayFormatDefined(false))) {
    inherited::PrepareDisplayValue(AEditValue, DisplayValue, AEditFocused);
    return;
  }
  const String text = VarIsNull(AEditValue) || VarIsEmpty(AEditValue) ? String() : VarToStr(AEditValue);
  TvlMaskEditCustomMode* mode = TempMode();
  if (AEditFocused || IsRegExprKind(FMaskKind) || FAlwaysShowBlanksAndLiterals)
    DisplayValue = Variant(mode->GetFormattedText(text));
  else
    DisplayValue = Variant(mode->GetUpdatedText(text));
}

String TvlCustomMaskEditProperties::PrepareDisplayText(const String& AEditValue, Boolean AEditFocused) {
  Variant display;
  PrepareDisplayValue(Variant(AEditValue), display, AEditFocused);
  return VarToStr(display);
}

void TvlCustomMaskEditProperties::ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                                                       TvlCustomEdit* AEdit) {
  if (!AError) {
    if (IsMasked()) {
      auto* edit = dynamic_cast<TvlCustomMaskEdit*>(AEdit);
      TvlMaskEditCustomMode* mode = edit && edit->Mode() ? edit->Mode() : TempMode();
      AError = !mode->IsFullValidText(VarToStr(ADisplayValue));
      if (AError) AErrorText = vlGetResourceStringText(svlMaskEditInvalidEditValue);
    } else {
      AError = false;
    }
  }
  inherited::ValidateDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

void TvlCustomMaskEditProperties::MaxLengthChanged() {
  if (!IsMasked()) {
    inherited::MaxLengthChanged();
    return;
  }
  // A mask decides the length: MaxLength stays 0.
  if (FMaxLengthSetting) return;
  FMaxLengthSetting = true;
  Finally done([&] { FMaxLengthSetting = false; });
  BeginUpdate();
  Finally update([&] { EndUpdate(true); });
  SetMaxLength(0);
}

void TvlCustomMaskEditProperties::SetCharCase(TEditCharCase Value) {
  if (Value == ecUpperCase || Value == ecLowerCase) FCaseInsensitive = true;
  inherited::SetCharCase(Value);
}

Boolean TvlCustomMaskEditProperties::UsesLookupData() { return !IsMasked() && inherited::UsesLookupData(); }

TvlMaskEditModeClass TvlCustomMaskEditProperties::GetModeClass(TvlEditMaskKind AMaskKind) const {
  switch (AMaskKind) {
    case emkRegExpr: return ClassOf<TvlMaskEditRegExprMode>();
    case emkRegExprEx: return ClassOf<TvlMaskEditRegExprExMode>();
    default: return ClassOf<TvlMaskEditStandardMode>();
  }
}

String TvlCustomMaskEditProperties::EditMask() {
  if (FMaskKind == emkStandard && vlIsBlankMask(FEditMask)) {
    IvlEditDefaultValuesProvider* provider = IDefaultValuesProvider();
    return provider ? provider->DefaultEditMask() : String();
  }
  return FEditMask;
}

void TvlCustomMaskEditProperties::SetEditMask(const String& Value) {
  if (Value == EditMask()) {
    FEditMask = Value;
    return;
  }
  // Compiled first: a mask with errors raises here and changes nothing.
  TvlMaskEditCustomMode* mode = NewMode(GetModeClass(FMaskKind), nullptr, this);
  Finally freeMode([&] { Free(mode); });
  mode->Compile(Value);
  FEditMask = Value;
  Changed();
}

void TvlCustomMaskEditProperties::SetMaskKind(TvlEditMaskKind Value) {
  if (FMaskKind == Value) return;
  FMaskKind = Value;
  Changed();
}

void TvlCustomMaskEditProperties::SetAlwaysShowBlanksAndLiterals(Boolean Value) {
  if (FAlwaysShowBlanksAndLiterals == Value) return;
  FAlwaysShowBlanksAndLiterals = Value;
  Changed();
}

void TvlCustomMaskEditProperties::SetCaseInsensitive(Boolean Value) {
  FCaseInsensitive = Value || CharCase() != ecNormal;
  Changed();
}

void TvlCustomMaskEditProperties::SetIgnoreMaskBlank(Boolean Value) {
  if (FIgnoreMaskBlank == Value) return;
  FIgnoreMaskBlank = Value;
  Changed();
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlMaskEditProperties, P) {
  using T = TvlMaskEditProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AlwaysShowBlanksAndLiterals", &T::AlwaysShowBlanksAndLiterals, &T::SetAlwaysShowBlanksAndLiterals)
      .Default(false);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
  P.Property(u"BeepOnError", &T::BeepOnError, &T::SetBeepOnError).Default(false);
  P.Property(u"CaseInsensitive", &T::CaseInsensitive, &T::SetCaseInsensitive).Default(true);
  P.Property(u"CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"EchoMode", &T::EchoMode, &T::SetEchoMode).Default(eemNormal);
  P.Property(u"HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true);
  P.Property(u"IgnoreMaskBlank", &T::IgnoreMaskBlank, &T::SetIgnoreMaskBlank).Default(false);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"IncrementalSearch", &T::IncrementalSearch, &T::SetIncrementalSearch).Default(true);
  P.Property(u"LookupItems", &T::LookupItems, &T::SetLookupItems);
  P.Property(u"LookupItemsSorted", &T::LookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  // The kind before the mask: a form file sets the kind first, so the mask
  // is compiled in its own language.
  P.Property(u"MaskKind", &T::MaskKind, &T::SetMaskKind).Default(emkStandard);
  P.Property(u"EditMask", &T::OwnEditMask, &T::SetEditMask).Stored(&T::IsEditMaskStored);
  P.Property(u"MaxLength", &T::MaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  P.Property(u"MaxValue", &T::MaxValue, &T::SetMaxValue).Stored(&T::IsMaxValueStored);
  P.Property(u"MinValue", &T::MinValue, &T::SetMinValue).Stored(&T::IsMinValueStored);
  P.Property(u"OEMConvert", &T::OEMConvert, &T::SetOEMConvert).Default(false);
  P.Property(u"PasswordChar", &T::PasswordChar, &T::SetPasswordChar).Default(Char(0));
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"UseLeftAlignmentOnEditing", &T::UseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  P.Property(u"ValidateOnEnter", &T::ValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnNewLookupDisplayText", &T::OnNewLookupDisplayText, &T::SetOnNewLookupDisplayText);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}

// --- The editor: life and the mode ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomMaskEdit)

void TvlCustomMaskEdit::Initialize() {
  inherited::Initialize();
  // PropertiesChanged puts a mode of the right kind in place.
  FMode = NewMode(ClassOf<TvlMaskEditStandardMode>(), &FModeEditor, nullptr);
  FShiftOn = false;
  RefreshEmptyString();
}

void TvlCustomMaskEdit::Destroy() {
  inherited::Destroy();
  FreeAndNil(FMode);
}

void TvlCustomMaskEdit::ReplaceMode(TvlEditMaskKind AKind) {
  TvlMaskEditCustomMode* old = FMode;
  FMode = NewMode(ActiveProperties()->GetModeClass(AKind), &FModeEditor, nullptr);
  Free(old);
}

void TvlCustomMaskEdit::RefreshEmptyString() {
  if (FMode) ActiveProperties()->SetEmptyString(FMode->GetEmptyString());
}

void TvlCustomMaskEdit::Loaded() {
  inherited::Loaded();
  if (!IsMasked()) return;
  LockChangeEvents(true);
  Finally unlock([&] { LockChangeEvents(false, false); });
  ReapplyText();
}

void TvlCustomMaskEdit::ReapplyText() {
  if (!FMode) return;
  SetEditText(CurrentDisplayText());
}

void TvlCustomMaskEdit::ShowTextQuietly(const String& AText) {
  if (!InnerEdit() || CurrentDisplayText() == AText) return;
  SaveModifiedState();
  Finally restore([&] { RestoreModifiedState(); });
  InnerEdit()->SetEditValue(Variant(AText));
}

void TvlCustomMaskEdit::PropertiesChanged(TObject* Sender) {
  TvlCustomMaskEditProperties* p = ActiveProperties();
  Boolean kindChanged = false, maskChanged = false, caseChanged = false;
  if (FMode) {
    p->LockUpdate(true);
    Finally unlock([&] { p->LockUpdate(false); });
    const String mask = p->EditMask();
    maskChanged = FMode->EditMask() != mask || p->FormatChanging();
    // A properties class with its own mode class (the time editor's) gets it
    // as it would get a new kind.
    kindChanged = FMode->GetMaskKind() != Integer(p->MaskKind()) ||
                  FMode->ClassType() != p->GetModeClass(p->MaskKind()).Class();
    caseChanged = p->CharCase() != FMode->CharCase();
    SaveModifiedState();
    Finally restore([&] { RestoreModifiedState(); });
    // A mask that does not compile in the kind's language (one of the other
    // language carried into it inside a change, say a field's standard mask
    // followed by the expression kind) is dropped as a kind change drops
    // masks of the other language: the editor goes on without a mask rather
    // than raising from its change handling.
    auto compile = [&](const String& AMask) {
      try {
        FMode->Compile(AMask);
        return true;
      } catch (const EvlMaskEditError&) {
        FMode->Compile(String());
        if (!p->OwnEditMask().empty()) p->SetEditMask(String());
        return false;
      }
    };
    Boolean maskCleared = false;
    if (kindChanged) {
      const Boolean regExprBefore = FMode->GetMaskKind() != 0;
      ReplaceMode(p->MaskKind());
      if (regExprBefore != IsRegExprKind(p->MaskKind()) && !p->OwnEditMask().empty()) {
        // A mask of one language means nothing in the other.
        p->SetEditMask(String());
        maskCleared = true;
      }
      compile(p->EditMask());
      if (!vlIsBlankMask(FMode->EditMask())) FMode->SynchronizeEditValue();
      RefreshEmptyString();
    }
    if (maskChanged) {
      if (p->MaxLength() != 0) p->SetMaxLength(0);
      FMode->SetCharCase(p->CharCase());
      if (compile(mask) && maskCleared) p->SetEditMask(mask);
      if (!vlIsBlankMask(FMode->EditMask()))
        FMode->SynchronizeEditValue();
      else if (!IsRegExprKind(p->MaskKind()) && SelLength() == 1)
        SetSelLength(0);
      RefreshEmptyString();
    }
    if (caseChanged) {
      if (p->CharCase() == ecNormal) {
        if (IvlInnerTextEdit* inner = InnerTextEdit()) inner->SetCharCase(ecNormal);
        FMode->SynchronizeEditValue();
      }
      FMode->SetCharCase(p->CharCase());
    }
    if (IsMasked() && !VarIsNull(EditValue())) FMode->UpdateEditValue();
  }
  if (auto* regExpr = dynamic_cast<TvlMaskEditRegExprMode*>(FMode))
    regExpr->RegExpr()->SetCaseInsensitive(p->CaseInsensitive());
  // A new echo mode or password character rebuilds the inner window, which
  // keeps its text but comes back with the caret at the start: the selection
  // is put back and the mode told that the cursor moved.
  IvlInnerTextEdit* inner = InnerTextEdit();
  const Boolean rebuilds = IsMasked() && FMode && inner && FModeEditor.HandleAllocated() &&
                           (inner->GetEchoMode() != p->EchoMode() ||
                            (p->EchoMode() == eemPassword && inner->GetPasswordChar() != p->PasswordChar()));
  const Integer keptStart = rebuilds ? SelStart() : 0, keptLength = rebuilds ? SelLength() : 0;
  const Boolean keptCaretAtStart = rebuilds && FModeEditor.CaretAtSelStart();
  if (FMode) FMode->SetEchoMode(p->EchoMode());
  inherited::PropertiesChanged(Sender);
  if (rebuilds && IsMasked() && FModeEditor.HandleAllocated()) {
    const Boolean saved = FInternalSelSetting;
    FInternalSelSetting = true;
    Finally restoreFlag([&] { FInternalSelSetting = saved; });
    if (keptCaretAtStart)
      SendMessageW(InnerEdit()->GetControl()->WindowHandle(), EM_SETSEL, WPARAM(keptStart + keptLength),
                   LPARAM(keptStart));
    else
      SetSelection(keptStart, keptLength);
    FMode->LMouseDown();
  }
  if ((kindChanged || maskChanged || caseChanged) && FMode)
    FText = FMode->GetUpdatedText(CurrentDisplayText());
}

// --- Value and text -----------------------------------------------------------------------------------------------------

void TvlCustomMaskEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) {
  if (!IsMasked() || !FMode) {
    inherited::PrepareEditValue(ADisplayValue, EditValue, AEditFocused);
    return;
  }
  const Boolean regExpr = IsRegExprKind(ActiveProperties()->MaskKind());
  if (AEditFocused || regExpr) {
    EditValue = Variant(FMode->GetUpdatedText(VarToStr(ADisplayValue)));
    return;
  }
  auto* standard = dynamic_cast<TvlMaskEditStandardMode*>(FMode);
  const Boolean keepsLiterals = standard && standard->Mask() && standard->Mask()->SaveLiteralCharacters();
  if (!keepsLiterals && ActiveProperties()->AlwaysShowBlanksAndLiterals())
    EditValue = Variant(FMode->GetUpdatedText(VarToStr(ADisplayValue)));
  else
    inherited::PrepareEditValue(ADisplayValue, EditValue, AEditFocused);
}

void TvlCustomMaskEdit::HandleInnerEditChange(TObject* Sender) {
  if (IsMasked() && FMode) FText = FMode->GetUpdatedText(CurrentDisplayText());
  inherited::HandleInnerEditChange(Sender);
}

// The mode learns the shown text: what it knew of the text before (the part
// before the cursor it had matched) no longer holds.
void TvlCustomMaskEdit::ShowDisplayValue(const Variant& ADisplayValue) {
  inherited::ShowDisplayValue(ADisplayValue);
  if (!IsMasked() || !FMode || ComponentState().Contains(csLoading)) return;
  FText = FMode->GetUpdatedText(CurrentDisplayText());
  if (ModeFollowsText()) FMode->SetText(CurrentDisplayText());
}

// A text written (WM_SETTEXT, Text) is shown by the display rule: focused,
// a standard mask keeps its slots and literals.
Boolean TvlCustomMaskEdit::SetTextFromMessage(const String& AText) {
  if (!IsMasked() || !FMode || ComponentState().Contains(csLoading)) return inherited::SetTextFromMessage(AText);
  return inherited::SetTextFromMessage(ActiveProperties()->PrepareDisplayText(AText, InternalFocused()));
}

void TvlCustomMaskEdit::SynchronizeDisplayValue() {
  inherited::SynchronizeDisplayValue();
  if (IsMasked() && FMode && ModeFollowsText()) FMode->SetText(CurrentDisplayText());
}

void TvlCustomMaskEdit::SetEditText(const String& Value) {
  if (!IsMasked() || !FMode) {
    ShowDisplayValue(Variant(Value));
    return;
  }
  String text = ActiveProperties()->PrepareDisplayText(Value, InternalFocused());
  if (InnerEdit()) InnerEdit()->SetEditValue(Variant(text));
  FText = FMode->GetUpdatedText(CurrentDisplayText());
  FMode->SetText(CurrentDisplayText());
  SynchronizeEditValue();
}

void TvlCustomMaskEdit::LockInnerEditRepainting(Boolean ALock) {
  if (ALock) {
    if (FRepaintLockCount++ > 0 || !IsMasked() || !FModeEditor.HandleAllocated()) return;
    const HWND wnd = InnerEdit()->GetControl()->WindowHandle();
    // A hidden edit stays hidden: turning redraw on again would show it.
    if (!IsWindowVisible(wnd)) return;
    SendMessageW(wnd, WM_SETREDRAW, 0, 0);
    FRepaintLockedWnd = wnd;
    return;
  }
  if (FRepaintLockCount == 0 || --FRepaintLockCount > 0) return;
  const HWND wnd = FRepaintLockedWnd;
  FRepaintLockedWnd = nullptr;
  // The window may have been rebuilt meanwhile: only the one locked is released.
  if (!wnd || !IsWindow(wnd)) return;
  SendMessageW(wnd, WM_SETREDRAW, 1, 0);
  win::InvalidateRect(wnd, nullptr, TRUE);
}

namespace {

// Holds the inner edit's repainting for a scope; the editor may be freed
// inside (a handler), then nothing is released.
class TRepaintLock {
 public:
  explicit TRepaintLock(TvlCustomMaskEdit* AEdit) : FEdit(AEdit), FAlive(AEdit) {
    FEdit->LockInnerEditRepainting(true);
  }
  ~TRepaintLock() {
    if (FAlive.Alive()) FEdit->LockInnerEditRepainting(false);
  }
  TRepaintLock(const TRepaintLock&) = delete;
  TRepaintLock& operator=(const TRepaintLock&) = delete;

 private:
  TvlCustomMaskEdit* FEdit;
  TvlObjectLinkScope FAlive;
};

}  // namespace

// --- Keys ------------------------------------------------------------------------------------------------------------

// Keys the editor sends itself for the mode go straight to the inner edit.
void TvlCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (!FInternalKeySending) inherited::KeyDown(Key, Shift);
}

void TvlCustomMaskEdit::KeyPress(Char& Key) {
  if (!FInternalKeySending) inherited::KeyPress(Key);
}

void TvlCustomMaskEdit::KeyUp(Word& Key, TShiftState Shift) {
  if (!FInternalKeySending) inherited::KeyUp(Key, Shift);
}

void TvlCustomMaskEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TvlCustomMaskEditProperties* p = ActiveProperties();
  if (!IsMasked() || !FMode || Key == 0 || (p->ClearKey() != 0 && ShortCut(Key, Shift) == p->ClearKey()) ||
      IsClickKey(Key, Shift)) {
    inherited::DoEditKeyDown(Key, Shift);
    return;
  }
  if (!CanKeyDownModify(Key, Shift)) {
    DoAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  if (Key == VK_TAB) {
    inherited::DoEditKeyDown(Key, Shift);
    return;
  }
  FShiftOn = Shift.Contains(ssShift);
  TvlObjectLinkScope alive(this);
  // The mode changes the text in several steps: the change events wait until
  // it is done, since their handlers may free the editor.
  auto byMode = [&](Boolean (TvlMaskEditCustomMode::*AOperation)()) {
    TRepaintLock repaint(this);
    LockChangeEvents(true);
    Finally unlock([&] {
      if (alive.Alive()) LockChangeEvents(false);
    });
    return (FMode->*AOperation)();
  };
  Boolean pass = true;
  switch (Key) {
    case VK_UP:
    case VK_DOWN:
      if (HasPopupWindow()) break;
      DoAfterKeyDown(Key, Shift);
      if (alive.Alive()) Key = 0;
      return;
    case VK_LEFT:
    case VK_RIGHT: {
      const Boolean left = Key == VK_LEFT;
      if (Shift.Contains(ssCtrl)) {
        pass = byMode(left ? &TvlMaskEditCustomMode::PressHome : &TvlMaskEditCustomMode::PressEnd);
        if (pass) FModeEditor.SendKey(left ? VK_HOME : VK_END);
        Key = 0;
        return;
      }
      const Boolean atEdge = left ? FMode->IsCursorBegin() : FMode->IsCursorEnd();
      pass = byMode(left ? &TvlMaskEditCustomMode::PressLeft : &TvlMaskEditCustomMode::PressRight);
      if (!pass && atEdge) {
        Word key = Key;
        DoAfterKeyDown(key, Shift);
        if (!alive.Alive()) return;
      }
      break;
    }
    case VK_DELETE:
      if (!Shift.Contains(ssShift))
        pass = byMode(&TvlMaskEditCustomMode::PressDelete);
      else if (SelLength() == 0)
        pass = byMode(&TvlMaskEditCustomMode::PressBackSpace);
      break;
    case VK_HOME: pass = byMode(&TvlMaskEditCustomMode::PressHome); break;
    case VK_END: pass = byMode(&TvlMaskEditCustomMode::PressEnd); break;
    default: break;
  }
  if (!alive.Alive()) return;
  if (!pass) {
    Key = 0;
    return;
  }
  inherited::DoEditKeyDown(Key, Shift);
}

void TvlCustomMaskEdit::DoEditKeyPress(Char& Key) {
  if (!IsMasked() || !FMode || Key == 0) {
    inherited::DoEditKeyPress(Key);
    return;
  }
  if (Key == Char(VK_TAB) || Key == Char(VK_ESCAPE)) {
    Key = 0;
    return;
  }
  if (Key == Char(VK_RETURN)) return;
  if (Key == 3 || Key == 22 || Key == 24) {  // Ctrl+C, Ctrl+V, Ctrl+X
    inherited::DoEditKeyPress(Key);
    return;
  }
  if (!CanKeyPressModify(Key)) {
    Key = 0;
    return;
  }
  const Boolean saved = IsKeyboardActionNow();
  SetKeyboardActionNow(true);
  TvlObjectLinkScope alive(this);
  Finally restore([&] {
    if (alive.Alive()) SetKeyboardActionNow(saved);
  });
  Boolean pass;
  {
    // The change events wait until the mode is done (see DoEditKeyDown).
    TRepaintLock repaint(this);
    LockChangeEvents(true);
    Finally unlock([&] {
      if (alive.Alive()) LockChangeEvents(false);
    });
    pass = Key == Char(VK_BACK) ? FMode->PressBackSpace() : FMode->PressSymbol(Key);
  }
  if (alive.Alive() && !pass) Key = 0;
}

// --- Mouse, focus and selection -----------------------------------------------------------------------------------

void TvlCustomMaskEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && IsMasked() && FMode) FMode->LMouseDown();
  inherited::MouseDown(Button, Shift, X, Y);
}

void TvlCustomMaskEdit::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (Shift.Contains(ssLeft) && IsMasked() && FMode) {
    const Boolean saved = FShiftOn;
    FShiftOn = true;
    Finally restore([&] { FShiftOn = saved; });
    FMode->LMouseDown();
  }
  inherited::MouseMove(Shift, X, Y);
}

void TvlCustomMaskEdit::InnerSelectionChanged(TObject* Sender) {
  inherited::InnerSelectionChanged(Sender);
  if (!FInternalSelSetting && !FInternalKeySending && IsMasked() && FMode) FMode->LMouseDown();
}

void TvlCustomMaskEdit::DblClick() {
  if (IsMasked() && FMode) FMode->GotoEnd();
  inherited::DblClick();
}

void TvlCustomMaskEdit::DoEnter() {
  if (IsMasked() && FMode && ActiveProperties()->AutoSelect()) FMode->GotoEnd();
  inherited::DoEnter();
}

// --- The clipboard ----------------------------------------------------------------------------------------------------

// A standard mask takes the text into its slots from the cursor on: a
// literal typed where it stands is passed over, a character its slot refuses
// is left out. A regular expression keeps the characters it accepts.
void TvlCustomMaskEdit::InsertThroughMode(const String& AText) {
  if (!InnerEdit() || !DoEditing()) return;
  // The text changes in steps: the change events wait until it is done,
  // since their handlers may free the editor.
  TvlObjectLinkScope alive(this);
  TRepaintLock repaint(this);
  LockChangeEvents(true);
  Finally unlock([&] {
    if (alive.Alive()) LockChangeEvents(false);
  });
  FMode->SetClipboardTextLength(Integer(AText.size()));
  Finally cleared([&] { FMode->SetClipboardTextLength(0); });
  FMode->PrePasteFromClipboard();
  String text = CurrentDisplayText();
  const Integer start = std::clamp(SelStart(), 0, Integer(text.size()));
  const Integer length = std::clamp(SelLength(), 0, Integer(text.size()) - start);
  auto show = [&](const String& AShown, Integer ACaret) {
    const Boolean saved = FInternalSelSetting;
    FInternalSelSetting = true;
    Finally restore([&] { FInternalSelSetting = saved; });
    InnerEdit()->SetEditValue(Variant(AShown));
    SetSelStart(std::min(ACaret, Integer(AShown.size())));
    SetSelLength(0);
  };
  if (auto* standard = dynamic_cast<TvlMaskEditStandardMode*>(FMode)) {
    TvlStandardMask* mask = standard->Mask();
    const Integer count = std::min(mask->Count(), Integer(text.size()));
    Integer pos = start;
    for (Char c : AText) {
      Boolean consumed = false;
      while (pos < count && mask->Items(pos)->InheritsFrom(TvlStandardMaskLiteralItem::StaticClass())) {
        Char literal = c;
        consumed = mask->Items(pos++)->Check(literal);
        if (consumed) break;
      }
      if (consumed) continue;
      if (pos >= count) break;
      Char symbol = c;
      if (mask->Items(pos)->Check(symbol) && CanTypeChar(pos, symbol) && symbol != 0) text[size_t(pos++)] = symbol;
    }
    show(text, pos);
    FMode->SetText(CurrentDisplayText());
    return;
  }
  text.replace(size_t(start), size_t(length), AText);
  show(text, start + Integer(AText.size()));
  FMode->SetText(CurrentDisplayText());
  FMode->AfterPasteFromClipboard();
  // What the expression refuses goes: the accepted characters stay.
  const String accepted = FMode->GetFormattedText(CurrentDisplayText());
  if (accepted != CurrentDisplayText()) show(accepted, Integer(accepted.size()));
  FMode->SetClipboardTextLength(0);
  FMode->SetText(CurrentDisplayText());
}

void TvlCustomMaskEdit::PasteFromClipboard() {
  if (!IsMasked() || !FMode) {
    inherited::PasteFromClipboard();
    return;
  }
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return;
  const Boolean saved = IsKeyboardActionNow();
  SetKeyboardActionNow(true);
  TvlObjectLinkScope alive(this);
  Finally restore([&] {
    if (alive.Alive()) SetKeyboardActionNow(saved);
  });
  InsertThroughMode(ClipboardText());
}

void TvlCustomMaskEdit::SetSelText(const String& AText) {
  if (!IsMasked() || !FMode) {
    inherited::SetSelText(AText);
    return;
  }
  InsertThroughMode(AText);
}

void TvlCustomMaskEdit::CutToClipboard() {
  if (!IsMasked() || !FMode) {
    inherited::CutToClipboard();
    return;
  }
  if (Focused() && !DoEditing()) return;
  CopyToClipboard();
  // A read-only editor's text stays: the cut is a copy.
  if (ActiveProperties()->ReadOnly()) return;
  TRepaintLock repaint(this);
  if (FMode->PressDelete()) FModeEditor.SendKey(VK_BACK);
}

// --- What the mode sees ------------------------------------------------------------------------------------------------

Boolean TvlCustomMaskEdit::TModeEditor::HandleAllocated() {
  return FEdit->InnerEdit() && FEdit->InnerEdit()->GetControl()->HandleAllocated();
}

void TvlCustomMaskEdit::TModeEditor::SetDisplayText(const String& AText) {
  if (FEdit->InnerEdit()) FEdit->InnerEdit()->SetEditValue(Variant(AText));
}

String TvlCustomMaskEdit::TModeEditor::GetEditValueText() {
  const Variant& v = FEdit->EditValue();
  return VarIsNull(v) || VarIsEmpty(v) ? String() : VarToStr(v);
}

void TvlCustomMaskEdit::TModeEditor::SetEditValueText(const String& AText) {
  FEdit->AssignEditValueQuietly(Variant(AText));
}

void TvlCustomMaskEdit::TModeEditor::SetSelStart(Integer Value) {
  if (!HandleAllocated()) return;  // a selection exists only in a window
  const Boolean saved = FEdit->FInternalSelSetting;
  FEdit->FInternalSelSetting = true;
  Finally restore([&] { FEdit->FInternalSelSetting = saved; });
  FEdit->SetSelStart(Value);
}

void TvlCustomMaskEdit::TModeEditor::SetSelLength(Integer Value) {
  if (!HandleAllocated()) return;
  const Boolean saved = FEdit->FInternalSelSetting;
  FEdit->FInternalSelSetting = true;
  Finally restore([&] { FEdit->FInternalSelSetting = saved; });
  FEdit->SetSelLength(Value);
}

Boolean TvlCustomMaskEdit::TModeEditor::CaretAtSelStart() {
  return HandleAllocated() && FEdit->SelLength() > 0 && FEdit->CursorPos() == FEdit->SelStart();
}

void TvlCustomMaskEdit::TModeEditor::SendKey(Word AKey) {
  if (!HandleAllocated()) return;
  const Boolean saved = FEdit->FInternalKeySending;
  FEdit->FInternalKeySending = true;
  Finally restore([&] { FEdit->FInternalKeySending = saved; });
  const HWND wnd = FEdit->InnerEdit()->GetControl()->WindowHandle();
  // The edit control takes Backspace as a character.
  if (AKey == VK_BACK)
    SendMessageW(wnd, WM_CHAR, WPARAM(VK_BACK), 0);
  else
    SendMessageW(wnd, WM_KEYDOWN, WPARAM(AKey), 0);
}

void TvlCustomMaskEdit::TModeEditor::SendChar(Char AChar) {
  if (!HandleAllocated()) return;
  const Boolean saved = FEdit->FInternalKeySending;
  FEdit->FInternalKeySending = true;
  Finally restore([&] { FEdit->FInternalKeySending = saved; });
  SendMessageW(FEdit->InnerEdit()->GetControl()->WindowHandle(), WM_CHAR, WPARAM(AChar), 0);
}

void TvlCustomMaskEdit::TModeEditor::Beep() { MessageBeep(0); }

// --- The published editor -------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlMaskEdit, P) {
  using T = TvlMaskEdit;
  P.Property(u"AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
  P.Property(u"BeepOnEnter", &T::BeepOnEnter, &T::SetBeepOnEnter).Default(true);
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  P.Property(u"Text", &T::Text, &T::SetTextProp);
}

// --- The filter helper --------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterMaskEditHelper)

TvlCustomEditClass TvlFilterMaskEditHelper::GetFilterEditClass() const { return ClassOf<TvlMaskEdit>(); }

TvlFilterControlOperators TvlFilterMaskEditHelper::GetSupportedFilterOperators(TvlCustomEditProperties* AProperties,
                                                                             TvlValueTypeClass AValueTypeClass,
                                                                             Boolean AExtendedSet) const {
  TvlFilterControlOperators r = vlOrderedValueFilterOperators(AExtendedSet);
  auto* p = dynamic_cast<TvlCustomMaskEditProperties*>(AProperties);
  if ((!p || !p->IsMasked()) && AValueTypeClass && AValueTypeClass->IsString()) {
    r.Include(fcoLike);
    r.Include(fcoNotLike);
  }
  return r;
}

void TvlFilterMaskEditHelper::InitializeProperties(TvlCustomEditProperties* AProperties,
                                                   TvlCustomEditProperties* AEditProperties,
                                                   Boolean AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  auto* p = dynamic_cast<TvlCustomMaskEditProperties*>(AProperties);
  if (!p) return;
  // A column's regular-expression mask completes its fixed characters in a filter row.
  if (p->MaskKind() == emkRegExpr) {
    const String mask = p->EditMask();
    p->BeginUpdate();
    Finally done([&] { p->EndUpdate(true); });
    p->SetMaskKind(emkRegExprEx);
    p->SetEditMask(mask);
  }
  p->SetAutoSelect(!p->IsMasked());
}
