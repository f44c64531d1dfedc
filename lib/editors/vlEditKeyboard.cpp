// The editor's keyboard, clipboard and focus handling, validation and posting.
#include "lib/editors/vlEdit.h"

#include "lib/editors/vlEditRepository.h"
#include "lib/foundation/vlClasses.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// A printable character (the ones IsCharAcceptable decides on).
Boolean IsTextChar(Char C) { return C >= u' ' && C != Char(127); }

// Sets a Boolean field for a scope and puts the old value back after it,
// also when the scope ends in an exception; not when the object holding the
// field went meanwhile (ALink cleared).
class TFlagScope {
 public:
  TFlagScope(Boolean& AFlag, Boolean AValue, const TvlObjectLinkScope* ALink = nullptr)
      : FFlag(AFlag), FSaved(AFlag), FLink(ALink) {
    AFlag = AValue;
  }
  ~TFlagScope() {
    if (!FLink || FLink->Alive()) FFlag = FSaved;
  }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  Boolean& FFlag;
  Boolean FSaved;
  const TvlObjectLinkScope* FLink;
};

}  // namespace

// --- Validation -------------------------------------------------------------------------------------------

void TvlCustomEdit::LockValidate(Boolean ALock) {
  if (ALock)
    ++FLockValidate;
  else if (FLockValidate > 0)
    --FLockValidate;
}

Boolean TvlCustomEdit::ValidateEdit(Boolean ARaiseExceptionOnError) {
  if (!FModifiedAfterEnter || FIsEditValidated || FLockValidate > 0) return true;
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  FIsEditValidating = true;
  Finally validating([&] {
    if (link->Ref) FIsEditValidating = false;
  });
  Variant displayValue(CurrentDisplayText());
  Boolean error = false;
  String errorText;
  TvlCustomEditProperties* p = ActiveProperties();
  if (p->ValidationSupported()) p->ValidateDisplayValue(displayValue, errorText, error, this);
  if (!link->Ref) return false;
  if (error) {
    // A handler that corrected the value has its text shown, selected.
    auto showCorrection = [&] {
      if (!link->Ref || CurrentDisplayText() == VarToStr(displayValue)) return;
      ShowDisplayValue(displayValue);
      if (Visible()) {
        SelectAll();
        if (!IsEditClass()) RefreshAfterFocusChange();
      }
    };
    if (ARaiseExceptionOnError) {
      Finally corrected(showCorrection);
      HandleValidationError(errorText, true);
      return false;
    }
    showCorrection();
    return false;
  }
  if (FKeyboardAction && !DoEditing()) return true;
  CommitValidatedDisplayValue(displayValue);
  if (!link->Ref) return true;
  if (!FIsInplace && !Focused()) FModifiedAfterEnter = false;
  FIsEditValidated = true;
  return true;
}

void TvlCustomEdit::HandleValidationError(const String& AErrorText, Boolean ARaise) {
  // An editor that cannot take the focus keeps its text unvalidated: the next
  // exit or post validates it again, so a refused text is never taken as accepted.
  if (CanFocus() && Visible()) {
    // Moving the focus runs other controls' handlers, which may free this editor.
    TvlObjectLinkScope alive(this);
    if (!Focused()) {
      TFlagScope processing(FValidateErrorProcessing, true, &alive);
      if (FInnerEdit)
        FInnerEdit->SafelySetFocus();
      else
        SetFocus();
    }
    if (!alive.Alive()) {
      if (ARaise) Abort();
      return;
    }
    SelectAll();
  }
  if (ActiveProperties()->BeepOnError()) MessageBeep(0);
  if (!AErrorText.empty()) throw EvlEditValidationError(AErrorText);
  if (ARaise) Abort();
}

// --- Posting and reverting ------------------------------------------------------------------------------------

void TvlCustomEdit::PostEditValue() {
  if (CanPostEditValue() && !IsDesigning()) {
    InternalPostEditValue(true);
    return;
  }
  if (!Focused() || !DoEditing()) return;
  SetModifiedAfterEnter(true);
  FIsEditValidated = true;
  Finally cleared([&] { FModifiedAfterEnter = false; });
  InternalPostEditValue(false);
}

void TvlCustomEdit::InternalPostEditValue(Boolean AValidateFirst) {
  // The owner's OnPostEditValue or the data may free the editor.
  TvlObjectLinkScope alive(this);
  if (AValidateFirst) {
    TFlagScope keyboard(FKeyboardAction, false, &alive);
    if (!ValidateEdit(true) || !alive.Alive()) return;
  }
  const Boolean inplace = FIsInplace;
  try {
    StartPosting();
    Finally finish([&] {
      if (alive.Alive()) FinishPosting();
    });
    if (FIsInplace) {
      vlCallNotifyEvent(FOnPostEditValue, this);
      if (alive.Alive()) SetEditModified(false);
    } else if (FDataBinding->GetModified()) {
      FDataBinding->SetStoredValue(EditValue());
    }
  } catch (...) {
    // In place the owner decides after the post; stand-alone the focus comes back first.
    if (inplace) return;
    if (alive.Alive()) HandleValidationError(String(), false);
    throw;
  }
}

void TvlCustomEdit::RevertValue() {
  if (!FModifiedAfterEnter || !ActiveProperties()->IsResetEditClass()) return;
  TvlObjectLinkScope alive(this);  // the immediate post may free the editor
  LockChangeEvents(true);
  Finally unlock([&] {
    if (alive.Alive()) LockChangeEvents(false);
  });
  FModifiedAfterEnter = false;
  if (FDataBinding->IDefaultValuesProvider()->IsDataStorage())
    SetInternalEditValue(FDataBinding->GetStoredValue());
  else
    SetInternalEditValue(FPrevEditValue);
  SetEditModified(true);
  SelectAll();
  if (ActiveProperties()->ImmediatePost() && CanPostEditValue()) InternalPostEditValue(false);
}

// --- Focus -----------------------------------------------------------------------------------------------------

void TvlCustomEdit::DoEnter() {
  if (IsDestroying()) return;
  // OnEnter may free the editor.
  TvlObjectLinkScope alive(this);
  if (!FValidateErrorProcessing) HandleEnter();
  if (alive.Alive()) ShortRefreshContainer(false);
}

void TvlCustomEdit::HandleEnter() {
  TvlObjectLinkScope alive(this);
  SaveModifiedState();
  Finally restore([&] {
    if (!alive.Alive()) return;
    RestoreModifiedState();
    FModifiedAfterEnter = false;
  });
  inherited::DoEnter();
  if (!alive.Alive()) return;
  if (RefreshesOnFocus()) FDataBinding->UpdateDisplayValue();
  if (ActiveProperties()->IsResetEditClass()) FPrevEditValue = EditValue();
  if (RefreshesOnFocus()) SynchronizeDisplayValue();
}

void TvlCustomEdit::DoExit() {
  // A validation, post or change handler, or OnExit, may free the editor:
  // nothing of it is touched after that.
  TvlObjectLinkScope alive(this);
  {
    TFlagScope keyboard(FKeyboardAction, false, &alive);
    if (!IsDestroying() && !FValidateErrorProcessing) {
      SaveModifiedState();
      LockChangeEvents(true);
      Boolean done = false;
      // A refused value (or a failed post) ends here: events catch up, the
      // modified state comes back and the exception keeps the focus here.
      Finally failed([&] {
        if (done || !alive.Alive()) return;
        LockChangeEvents(false);
        RestoreModifiedState();
      });
      ValidateEdit(true);
      if (!alive.Alive()) return;
      if (!FIsInplace && CanPostEditValue()) InternalPostEditValue(false);
      if (!alive.Alive()) return;
      done = true;
      LockChangeEvents(false);
      if (!alive.Alive()) return;
      if (RefreshesOnFocus()) FDataBinding->UpdateDisplayValue();
      RefreshAfterFocusChange();
      ShortRefreshContainer(false);
      RestoreModifiedState();
    }
  }
  Finally cleared([&] {
    if (alive.Alive()) FModifiedAfterEnter = false;
  });
  inherited::DoExit();
}

void TvlCustomEdit::FocusChanged() {
  inherited::FocusChanged();
  if (IsDestroying() || FValidateErrorProcessing) return;
  const Boolean focused = Focused() && (!Application || Application->Active());
  if (focused == FFocused) return;
  FFocused = focused;
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  vlCallNotifyEvent(FOnFocusChanged, this);
  if (link->Ref) HandleFocusChange();
}

void TvlCustomEdit::HandleFocusChange() {
  RefreshAfterFocusChange();
  // A modal form closed with a result other than Cancel validates the editor
  // without raising; Cancel skips validation.
  TCustomForm* form = GetParentForm(this);
  if (form && form->FormState().Contains(fsModal) && !form->Visible() && form->ModalResult() != mrNone &&
      form->ModalResult() != mrCancel)
    ValidateEdit(false);
}

// --- Keyboard ----------------------------------------------------------------------------------------------------

void TvlCustomEdit::KeyDown(Word& Key, TShiftState Shift) {
  FIsEditValueResetting = false;
  // A key handler may free the editor.
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  const Boolean escape = Key == VK_ESCAPE;
  FIsEscapeDown = escape;
  Finally escapeUp([&] {
    if (link->Ref && escape) FIsEscapeDown = false;
  });
  if (!IsClickKey(Key, Shift)) inherited::KeyDown(Key, Shift);
  if (Key == 0 || !link->Ref) return;
  DoEditKeyDown(Key, Shift);
  if (!link->Ref) return;
  if (Key != 0 && WantsAfterKeyDown(Key, Shift) && Assigned(FOnAfterKeyDown)) FOnAfterKeyDown(this, Key, Shift);
}

void TvlCustomEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (Key == 0) return;
  auto afterKeyDown = [&] {
    if (Assigned(FOnAfterKeyDown)) FOnAfterKeyDown(this, Key, Shift);
  };
  // Handlers run from here (validation, posting, OnAfterKeyDown, the focus
  // leaving on Tab) may free the editor.
  TvlObjectLinkScope alive(this);
  auto unlockEvents = [&] {
    if (alive.Alive()) LockChangeEvents(false);
  };
  TvlCustomEditProperties* p = ActiveProperties();
  const TShortCut shortCut = ShortCut(Key, Shift);
  if (p->ClearKey() != 0 && shortCut == p->ClearKey()) {
    Key = 0;
    LockChangeEvents(true);
    Finally unlock(unlockEvents);
    TFlagScope keyboard(FKeyboardAction, true, &alive);
    SetInternalEditValue(EmptyValue());
    if (p->ImmediatePost() && CanPostEditValue()) InternalPostEditValue(false);
    if (alive.Alive()) FIsEditValidated = true;
    return;
  }
  // Only the click key itself clicks the default button; descendants widen
  // IsClickKey for what a hosting control must leave to the editor (the
  // arrows of an open drop-down in a cell), which must still reach it here.
  if (TvlCustomEdit::IsClickKey(Key, Shift)) {
    // The character this key makes (Ctrl+Enter: a line feed) is not typed.
    MSG msg{};
    if (!(HandleAllocated() && PeekMessageW(&msg, WindowHandle(), WM_CHAR, WM_CHAR, PM_REMOVE)) && InnerControl() &&
        InnerControl()->HandleAllocated())
      PeekMessageW(&msg, InnerControl()->WindowHandle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    Key = 0;
    ClickDefaultButton();
    return;
  }
  if (!CanKeyDownModify(Key, Shift)) {
    afterKeyDown();
    Key = 0;
    return;
  }
  switch (Key) {
    case VK_TAB:
      if (Focused() && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl) && !p->KeepsTabKey()) {
        BeforeTabNavigation(Shift);
        if (!alive.Alive()) return;
        afterKeyDown();
        if (Key == 0 || !alive.Alive()) return;
        Key = 0;
        if (TCustomForm* form = GetParentForm(this)) {
          form->SelectNext(form->ActiveControl(), !Shift.Contains(ssShift), true);
          if (alive.Alive() && FInnerEdit && HandleAllocated() && GetFocus() == WindowHandle())
            FInnerEdit->SafelySetFocus();
        }
        return;
      }
      break;
    case VK_RETURN:
      if (p->ValidateOnEnter()) {
        Key = 0;
        LockChangeEvents(true);
        Finally unlock(unlockEvents);
        if (ValidateEdit(true) && alive.Alive() && CanPostEditValue()) InternalPostEditValue(false);
        return;
      }
      break;
    case VK_ESCAPE:
      if (FModifiedAfterEnter && (FDataBinding->IDefaultValuesProvider()->IsDataStorage() || p->IsResetEditClass())) {
        Key = 0;
        {
          LockChangeEvents(true);
          Finally unlock(unlockEvents);
          FDataBinding->Reset();
          if (!alive.Alive()) return;
          SetEditModified(true);
        }
        if (alive.Alive()) FIsEditValueResetting = true;
        return;
      }
      break;
    default: break;
  }
  if (KeyHandledByDescendant(Key, Shift)) return;
  if (Key >= VK_PRIOR && Key <= VK_DOWN) {
    afterKeyDown();
    Key = 0;
  }
}

Boolean TvlCustomEdit::CanKeyDownModify(Word Key, TShiftState Shift) {
  return FDataBinding->GetModified() || !KeyDownModifiesValue(Key, Shift) || DoEditing();
}

void TvlCustomEdit::KeyPress(Char& Key) {
  if (Key == Char(VK_ESCAPE) && FIsEditValueResetting) {
    // The character of the Escape that reverted the value.
    FIsEditValueResetting = false;
    Key = 0;
    return;
  }
  inherited::KeyPress(Key);
  if (Key != 0) DoEditKeyPress(Key);
}

void TvlCustomEdit::DoEditKeyPress(Char& Key) { CanKeyPressModify(Key); }

Boolean TvlCustomEdit::CanKeyPressModify(Char& Key) {
  if (IsTextChar(Key) && !IsCharAcceptable(Key)) {
    Key = 0;
    MessageBeep(0);
    return false;
  }
  if (!FDataBinding->GetModified() && KeyPressModifiesValue(Key) && !DoEditing()) {
    Key = 0;
    return false;
  }
  return true;
}

void TvlCustomEdit::KeyUp(Word& Key, TShiftState Shift) {
  inherited::KeyUp(Key, Shift);
  if (Key != 0) DoEditKeyUp(Key, Shift);
}

// --- Clipboard -----------------------------------------------------------------------------------------------------

void TvlCustomEdit::WMClipboard(TMessage& Message) {
  TvlCustomEditProperties* p = ActiveProperties();
  const Boolean readOnly = p->ReadOnly() || !FDataBinding->IsDataAvailable();
  switch (Message.Msg) {
    case WM_CUT: {
      TFlagScope keyboard(FKeyboardAction, true);
      if (readOnly)
        CopyToClipboard();
      else
        CutToClipboard();
      break;
    }
    case WM_COPY: CopyToClipboard(); break;
    case WM_PASTE:
      if (!readOnly) {
        TFlagScope keyboard(FKeyboardAction, true);
        PasteFromClipboard();
      }
      break;
    default: break;
  }
}

Boolean TvlCustomEdit::HandleInnerControlMessage(TMessage& Message) {
  if (inherited::HandleInnerControlMessage(Message)) return true;
  const Boolean innerTakesClipboard = FInnerEdit && FInnerEdit->CanProcessClipboardMessages();
  switch (Message.Msg) {
    case WM_CUT: {
      if (innerTakesClipboard) return false;
      TvlObjectLinkScope alive(this);  // a change handler may free the editor
      TFlagScope keyboard(FKeyboardAction, true, &alive);
      if (DoEditing())
        CutToClipboard();
      else
        CopyToClipboard();
      return true;
    }
    case WM_PASTE:
      if (innerTakesClipboard) return false;
      if (DoEditing()) {
        TvlObjectLinkScope alive(this);
        TFlagScope keyboard(FKeyboardAction, true, &alive);
        PasteFromClipboard();
      }
      return true;
    case WM_UNDO: FDataBinding->SetEditMode(); return false;
    default: return false;
  }
}
