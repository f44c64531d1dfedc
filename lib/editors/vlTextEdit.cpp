#include "lib/editors/vlTextEdit.h"

#include <algorithm>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlFilterEdit.h"
#include "lib/editors/vlInnerTextEdit.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

UINT gRedrawMisspellingsMessage = 0;
UINT gSpellCheckerAutoCorrectMessage = 0;
Integer gStartupCount = 0;

void Startup() {
  if (gStartupCount++ > 0) return;
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlTextEditProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryTextItem));
  vlFilterEditsController()->Register(ClassOf<TvlTextEditProperties>(), ClassOf<TvlFilterTextEditHelper>());
  gRedrawMisspellingsMessage = RegisterWindowMessageW(u"WM_REDRAWMISSPELLINGS");
  gSpellCheckerAutoCorrectMessage = RegisterWindowMessageW(u"WM_SPELLCHECKERAUTOCORRECT");
  RegisterClasses({ClassOf<TvlTextEdit>(), ClassOf<TvlTextEditProperties>()});
}

void Shutdown() {
  if (gStartupCount == 0 || --gStartupCount > 0) return;
  vlFilterEditsController()->Unregister(ClassOf<TvlTextEditProperties>(), ClassOf<TvlFilterTextEditHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlTextEditProperties>());
}

Boolean IsTextChar(Char C) { return C >= 0x20 && C != 0x7F; }

}  // namespace

CL_UNIT_STEPS(vlTextEdit, &Startup, &Shutdown);

// --- Life -----------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomTextEdit)

void TvlCustomTextEdit::Initialize() {
  inherited::Initialize();
  FBeepOnEnter = true;
  FFindSelection = false;
  if (TvlCustomInnerTextEdit* inner = InnerTextControl()) {
    inner->SetColor(clWindow);
    inner->SetOnSelChange(TNotifyEvent(this, &TvlCustomTextEdit::InnerSelectionChanged));
  }
  SetBounds(Left(), Top(), 121, 21);
  if (TvlCustomTextEditLookupDataClass cls = ActiveProperties()->LookupDataClass()) {
    FLookupData = CreateFrom(cls, static_cast<TPersistent*>(this));
    FLookupData->SetOnSelectItem(TNotifyEvent(this, &TvlCustomTextEdit::LookupItemSelected));
  }
  vlFormatController()->AddListener(this);
  FListening = true;
}

void TvlCustomTextEdit::Destroy() {
  if (FProperties && InnerEdit()) FText = CurrentDisplayText();
  if (FListening)
    if (TvlFormatController* c = vlExistingFormatController()) c->RemoveListener(this);
  FListening = false;
  FreeAndNil(FLookupData);
  inherited::Destroy();
}

void TvlCustomTextEdit::Loaded() {
  inherited::Loaded();
  ShortRefreshContainer(false);
}

TClass TvlCustomTextEdit::InnerControlClass() const { return ClassOf<TvlCustomInnerTextEdit>(); }

TvlCustomInnerTextEdit* TvlCustomTextEdit::InnerTextControl() const {
  return InnerEdit() ? dynamic_cast<TvlCustomInnerTextEdit*>(InnerEdit()->GetControl()) : nullptr;
}

IvlInnerTextEdit* TvlCustomTextEdit::InnerTextEdit() const { return dynamic_cast<IvlInnerTextEdit*>(InnerEdit()); }

IvlTextEditLookupData* TvlCustomTextEdit::ILookupData() const { return FLookupData; }

TWinControl* TvlCustomTextEdit::LookupListControl() { return FLookupData ? FLookupData->GetActiveControl() : nullptr; }

void TvlCustomTextEdit::LocaleFormatsChanged() {
  ActiveProperties()->Changed();
  SynchronizeDisplayValue();
}

Boolean TvlCustomTextEdit::IsEditClass() {
  const TvlEditEditingStyle style = ActiveProperties()->GetTextEditingStyle();
  return style != esFixedList && style != esNoEdit && InnerEdit();
}

Boolean TvlCustomTextEdit::EditingPossible() { return ActiveProperties()->GetTextEditingStyle() != esNoEdit; }

String TvlCustomTextEdit::CurrentDisplayText() {
  return InnerEdit() ? VarToStr(InnerEdit()->GetEditValue()) : String();
}

void TvlCustomTextEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean) {
  EditValue = ADisplayValue;
}

Integer TvlCustomTextEdit::GetTextBaseLine() {
  return static_cast<TvlCustomTextEditViewInfo*>(ViewInfo())->GetTextBaseLine();
}

Boolean TvlCustomTextEdit::IsCharAcceptable(Char AChar) {
  // The whole code decides: a character beyond the 8-bit range is never one of ValidChars.
  return inherited::IsCharAcceptable(AChar) || (AChar < 256 && ActiveProperties()->ValidChars().Contains(Byte(AChar)));
}

Boolean TvlCustomTextEdit::KeyDownModifiesValue(Word Key, TShiftState Shift) {
  if (inherited::KeyDownModifiesValue(Key, Shift) || Key == VK_DELETE) return true;
  if (!ActiveProperties()->UsesLookupData() || !FLookupData || FLookupData->IsEmpty() ||
      !AllowsLookupNavigation(false))
    return false;
  if (Key == VK_PRIOR || Key == VK_NEXT) return !HasPopupWindow();
  if (Key == VK_UP || Key == VK_DOWN) return !HasPopupWindow() && !Shift.Contains(ssAlt);
  return false;
}

Boolean TvlCustomTextEdit::KeyPressModifiesValue(Char Key) {
  return Key == 8 || Key == 22 || Key == 24 || IsTextChar(Key);
}

void TvlCustomTextEdit::AutoSizeLimits(TvlEditSizeProperties& AEditSizeProperties) {
  inherited::AutoSizeLimits(AEditSizeProperties);
  AEditSizeProperties.Height = -1;
  AEditSizeProperties.MaxLineCount = 1;
  AEditSizeProperties.Width = -1;
}

// --- Value and text ------------------------------------------------------------------------------------------

void TvlCustomTextEdit::ShowDisplayValue(const Variant& ADisplayValue) {
  if (InnerEdit()) InnerEdit()->SetEditValue(ADisplayValue);
}

void TvlCustomTextEdit::SynchronizeDisplayValue() {
  TvlCustomTextEditProperties* p = ActiveProperties();
  const Boolean focused = InternalFocused();
  Variant value = EditValue(), display;
  if (p->ValidationSupported()) {
    const Boolean valid = p->IsEditValueValid(value, focused);
    if (valid)
      PrepareDisplayValueOf(value, display, focused);
    else if (focused)
      display = p->GetEmptyDisplayValue();
    else {
      try {
        display = Variant(vlVarIsDateTime(value) ? DateTimeToStr(VarToDateTime(value)) : VarToStr(value));
      } catch (const EVariantError&) {
        display = Variant(String());
      }
    }
  } else {
    PrepareDisplayValueOf(value, display, focused);
  }
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  Finally refresh([&] {
    if (!link->Ref) return;
    ClearFindSelectionOnValue();
    RefreshAfterFocusChange();
  });
  SaveModifiedState();
  FIsDisplayValueSynchronizing = true;
  Finally restore([&] {
    if (!link->Ref) return;
    FIsDisplayValueSynchronizing = false;
    RestoreModifiedState();
  });
  DataBinding()->SetDisplayValue(display);
}

void TvlCustomTextEdit::SynchronizeEditValue() {
  TvlCustomTextEditProperties* p = ActiveProperties();
  const Variant old = p->CanCompareEditValue() ? EditValue() : Null();
  Variant value;
  PrepareEditValue(Variant(CurrentDisplayText()), value, InternalFocused());
  // The text is the value's source here: the value is stored without showing it again.
  FEditValue = value;
  if (IsKeyboardActionNow())
    SetModifiedAfterEnter(true);
  else
    SetEditModified(false);
  if (p->CanCompareEditValue() && !vlVarEqualsStrict(value, old)) {
    TvlObjectLink* link = vlAddObjectLink(this);
    Finally unlink([&] { vlRemoveObjectLink(link); });
    RaiseEditValueChanged();
    if (link->Ref && !p->ValueChangeReportedSeparately()) RaiseChange();
  }
}

void TvlCustomTextEdit::StoreValidatedDisplayValue(const Variant& ADisplayValue) {
  DataBinding()->SetDisplayValue(ADisplayValue);
  if (IsKeyboardActionNow()) return;
  ClearFindSelectionOnValue();
  SynchronizeEditValue();
  SetEditModified(false);
}

void TvlCustomTextEdit::CommitValidatedDisplayValue(const Variant& ADisplayValue) {
  Variant value = ADisplayValue;
  TvlCustomTextEditProperties* p = ActiveProperties();
  if (p->GetTextEditingStyle() == esEdit && p->UsesLookupData() && FLookupData) {
    if (FFindSelection) {
      FLookupData->SelectItem();
      value = Variant(CurrentDisplayText());
    }
    if (!FLookupData->Find(VarToStr(ADisplayValue))) RaiseNewLookupDisplayText(VarToStr(ADisplayValue));
  }
  inherited::CommitValidatedDisplayValue(value);
}

Boolean TvlCustomTextEdit::AcceptsDisplayText(const String& AText) {
  Variant value(AText);
  Boolean valid = ActiveProperties()->IsDisplayValueValid(value, InternalFocused());
  if (valid && IsKeyboardActionNow()) valid = DoEditing();
  if (valid) StoreValidatedDisplayValue(value);
  return valid;
}

void TvlCustomTextEdit::HandleInnerEditChange(TObject* Sender) {
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  LockChangeEvents(true);
  Finally unlock([&] {
    if (link->Ref) LockChangeEvents(false);
  });
  const Boolean synchronizing = FIsDisplayValueSynchronizing;
  if (synchronizing) SaveModifiedState();
  {
    Finally restore([&] {
      if (link->Ref && synchronizing) RestoreModifiedState();
    });
    inherited::HandleInnerEditChange(Sender);
  }
  if (!link->Ref) return;
  if (!static_cast<TvlCustomTextEditViewInfo*>(ViewInfo())->IsEditClass) RefreshAfterFocusChange();
  TvlCustomTextEditProperties* p = ActiveProperties();
  if (Focused() && p->EditsNumbers() && p->GroupsDigitsWhileEditing(FIsDisplayValueSynchronizing)) RegroupDigits();
}

void TvlCustomTextEdit::RegroupDigits() {
  const String text = CurrentDisplayText(), grouped = vlInsertThousandSeparators(text);
  double number = 0;
  if (grouped == text || !TryStrToFloat(Trim(vlRemoveThousandSeparators(grouped)), number)) return;
  const Char sep = FormatSettings().ThousandSeparator;
  const Integer caret = SelStart();
  Integer digits = 0;
  for (Integer i = 0; i < caret && i < Integer(text.size()); ++i)
    if (text[size_t(i)] != sep) ++digits;
  ShowDisplayValue(Variant(grouped));
  Integer pos = 0;
  while (pos < Integer(grouped.size()) && digits > 0) {
    if (grouped[size_t(pos)] != sep) --digits;
    ++pos;
  }
  SetSelStart(pos);
}

void TvlCustomTextEdit::RaiseNewLookupDisplayText(const String& AText) {
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  if (Assigned(Properties()->OnNewLookupDisplayText())) Properties()->OnNewLookupDisplayText()(this, AText);
  if (link->Ref && RepositoryItem() && Assigned(ActiveProperties()->OnNewLookupDisplayText()))
    ActiveProperties()->OnNewLookupDisplayText()(this, AText);
}

Boolean TvlCustomTextEdit::IsBoundToField() {
  return !IsInplace() && !DataBinding()->IDefaultValuesProvider()->IsDataStorage();
}

void TvlCustomTextEdit::ClearFindSelectionOnValue() {
  if (ActiveProperties()->UsesLookupData()) SetFindSelection(false);
}

void TvlCustomTextEdit::SetEditingText(const String& Value) {
  if (!DoEditing()) return;
  SetTextProp(Value);
  SetModifiedAfterEnter(true);
}

void TvlCustomTextEdit::CheckRangeAfterChange() {
  TvlCustomTextEditProperties* p = ActiveProperties();
  if (DataBinding()->CanCheckEditorValue() && p->EditsNumbers() && InnerEdit() && p->HasRangeCheck()) RangeCheckHook();
}

void TvlCustomTextEdit::RefreshDisplayAfterChange() {
  if (!InnerEdit()) return;
  TvlCustomTextEditProperties* p = ActiveProperties();
  const TvlEditEditingStyle style = p->GetTextEditingStyle();
  if (style == esEdit || style == esNoEdit) {
    if (!ModifiedAfterEnter()) DataBinding()->UpdateDisplayValue();
    return;
  }
  if (!((ModifiedAfterEnter() && !IsEditValidatedNow()) || IsBoundToField())) return;
  Variant text(CurrentDisplayText());
  if (!p->IsDisplayValueValid(text, InternalFocused())) {
    SaveModifiedState();
    {
      Finally restore([&] { RestoreModifiedState(); });
      DataBinding()->SetDisplayValue(p->GetEmptyDisplayValue());
    }
    if (!ModifiedAfterEnter()) SynchronizeEditValue();
  } else {
    SynchronizeDisplayValue();
  }
}

// --- Messages -------------------------------------------------------------------------------------------------

void TvlCustomTextEdit::WMGetText(TMessage& Message) {
  const Integer size = Integer(Message.WParam);
  Message.Result = 0;
  if (size < 1 || !Message.LParam) return;
  const String text = FProperties ? GetTextForMessage() : FText;
  const Integer n = std::min(Integer(text.size()), size - 1);
  Char* buffer = reinterpret_cast<Char*>(Message.LParam);
  std::copy(text.begin(), text.begin() + n, buffer);
  buffer[n] = 0;
  Message.Result = n;
}

void TvlCustomTextEdit::WMGetTextLength(TMessage& Message) {
  Message.Result = LRESULT((FProperties ? GetTextForMessage() : FText).size());
}

void TvlCustomTextEdit::WMSetText(TMessage& Message) {
  if (FInternalTextSetting) {
    DefaultHandler(Message);
    return;
  }
  Message.Result = 0;
  FInternalTextSetting = true;
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  Finally done([&] {
    if (link->Ref) FInternalTextSetting = false;
  });
  const Char* text = reinterpret_cast<const Char*>(Message.LParam);
  if (SetTextFromMessage(text ? String(text) : String())) Message.Result = 1;
}

void TvlCustomTextEdit::WMClear(TMessage& Message) {
  if (ActiveProperties()->ReadOnly() || !DataBinding()->IsDataAvailable()) return;
  ClearSelectionByKeyboard();
  Message.Result = 0;
}

void TvlCustomTextEdit::WMSetFocus(TMessage& Message) {
  if (TvlCustomInnerTextEdit* inner = InnerTextControl())
    if (!IsInplace() && !FIsCreating) inner->HandleNeeded();
  inherited::Dispatch(Message);
}

void TvlCustomTextEdit::WMCommand(TMessage& Message) {
  // Spell checking is not installed in this system; the notifications need no more.
  inherited::Dispatch(Message);
}

void TvlCustomTextEdit::WndProc(TMessage& Message) { inherited::WndProc(Message); }

void TvlCustomTextEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: WMGetText(Message); break;
    case WM_GETTEXTLENGTH: WMGetTextLength(Message); break;
    case WM_SETTEXT: WMSetText(Message); break;
    case WM_CLEAR: WMClear(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_COMMAND: WMCommand(Message); break;
    default: inherited::Dispatch(Message);
  }
}

// --- Selection and the clipboard -----------------------------------------------------------------------------------

Integer TvlCustomTextEdit::SelStart() {
  const TvlEditEditingStyle style = ActiveProperties()->GetTextEditingStyle();
  if (style == esNoEdit || (style == esFixedList && !FFindSelection) || !InnerTextEdit()) return 0;
  return InnerTextEdit()->GetSelStart();
}

Integer TvlCustomTextEdit::SelLength() {
  const TvlEditEditingStyle style = ActiveProperties()->GetTextEditingStyle();
  if (style == esNoEdit || (style == esFixedList && !FFindSelection) || !InnerTextEdit()) return 0;
  return InnerTextEdit()->GetSelLength();
}

String TvlCustomTextEdit::SelText() {
  const TvlEditEditingStyle style = ActiveProperties()->GetTextEditingStyle();
  if (style == esNoEdit || (style == esFixedList && !FFindSelection) || !InnerTextEdit()) return String();
  return InnerTextEdit()->GetSelText();
}

void TvlCustomTextEdit::SetSelStart(Integer Value) {
  if (ActiveProperties()->GetTextEditingStyle() != esNoEdit && InnerTextEdit()) InnerTextEdit()->SetSelStart(Value);
}

void TvlCustomTextEdit::SetSelLength(Integer Value) {
  if (ActiveProperties()->GetTextEditingStyle() != esNoEdit && InnerTextEdit())
    InnerTextEdit()->SetSelLength(Value);
}

void TvlCustomTextEdit::SetSelection(Integer ASelStart, Integer ASelLength) {
  SetSelStart(ASelStart);
  SetSelLength(ASelLength);
}

void TvlCustomTextEdit::SelectAll() {
  if (InnerTextEdit()) InnerTextEdit()->SelectAll();
}

void TvlCustomTextEdit::SetFindSelection(Boolean Value) {
  if (!HandleAllocated() || FFindSelection == Value || FDisableRefresh) return;
  FFindSelection = Value;
  RefreshAfterFocusChange();
}

Integer TvlCustomTextEdit::CursorPos() {
  TvlCustomInnerTextEdit* inner = InnerTextControl();
  if (!inner || !inner->HandleAllocated()) return 0;
  POINT caret{};
  GetCaretPos(&caret);
  const Integer len = Integer(CurrentDisplayText().size());
  auto xOf = [&](Integer i) {
    return Integer(SmallInt(LOWORD(SendMessageW(inner->WindowHandle(), EM_POSFROMCHAR, WPARAM(i), 0))));
  };
  // The caret stands at one end of the selection. The ends are tried first:
  // positions are 16-bit, so in a long text the far characters' positions
  // wrap around and would mislead the search below.
  IvlInnerTextEdit* edit = InnerTextEdit();
  const Integer selStart = std::clamp(edit->GetSelStart(), 0, len);
  const Integer selEnd = std::clamp(selStart + edit->GetSelLength(), selStart, len);
  if (selStart == selEnd) return selStart;
  if (selEnd < len && xOf(selEnd) == caret.x) return selEnd;
  if (xOf(selStart) == caret.x) return selStart;
  if (selEnd == len) return selEnd;
  Integer lo = 0, hi = std::max(0, len - 1);
  while (hi - lo >= 2) {
    const Integer mid = (lo + hi) / 2;
    if (xOf(mid) < caret.x)
      lo = mid;
    else
      hi = mid;
  }
  if (xOf(lo) == caret.x) return lo;
  if (xOf(hi) == caret.x) return hi;
  return hi + 1;
}

Boolean TvlCustomTextEdit::PrepareInsertion(const String& AText, String& ANewText, Integer& ACaretPos) {
  TvlCustomTextEditProperties* p = ActiveProperties();
  const TvlEditEditingStyle style = p->GetTextEditingStyle();
  const Boolean keyboard = IsKeyboardActionNow();
  if (keyboard && style == esNoEdit) return false;
  if (style == esFixedList || style == esNoEdit) SelectAll();
  const String text = CurrentDisplayText();
  const Integer selStart = std::clamp(SelStart(), 0, Integer(text.size()));
  const Integer selEnd = std::clamp(selStart + SelLength(), selStart, Integer(text.size()));
  const String before = text.substr(0, size_t(selStart)), after = text.substr(size_t(selEnd));
  const Integer maxLength = p->MaxLength();
  if (!keyboard || (style != esEdit && style != esNoEdit) || maxLength < 1) {
    ANewText = style == esFixedList ? AText : before + AText + after;
    ACaretPos = selStart + Integer(AText.size());
  } else {
    ANewText = before + AText;
    ACaretPos = std::min(Integer(ANewText.size()), maxLength);
    ANewText.resize(size_t(ACaretPos));
    if (ACaretPos < selStart) return false;
    ANewText += after;
    if (Integer(ANewText.size()) > maxLength) ANewText.resize(size_t(maxLength));
  }
  Variant value(ANewText);
  Boolean accepted = p->IsDisplayValueValid(value, InternalFocused());
  if (accepted && keyboard) accepted = DoEditing();
  if (accepted) ANewText = VarToStr(value);
  return accepted;
}

void TvlCustomTextEdit::SetSelText(const String& AText) {
  const Boolean saved = IsKeyboardActionNow();
  SetKeyboardActionNow(Focused());
  Finally restore([&] { SetKeyboardActionNow(saved); });
  String text;
  Integer caret = 0;
  if (!PrepareInsertion(AText, text, caret)) return;
  StoreValidatedDisplayValue(Variant(text));
  SetSelStart(caret);
}

void TvlCustomTextEdit::ClearSelection() {
  if (SelLength() == 0) return;
  const Boolean saved = IsKeyboardActionNow();
  SetKeyboardActionNow(Focused());
  Finally restore([&] { SetKeyboardActionNow(saved); });
  String text = CurrentDisplayText();
  const Integer start = SelStart();
  text.erase(size_t(start), size_t(SelLength()));
  if (AcceptsDisplayText(text)) SetSelStart(start);
}

void TvlCustomTextEdit::ClearSelectionByKeyboard() {
  const Boolean saved = IsKeyboardActionNow();
  SetKeyboardActionNow(true);
  Finally restore([&] { SetKeyboardActionNow(saved); });
  ClearSelection();
}

String vlGetClipboardText(HWND AOwner) {
  String s;
  if (!OpenClipboard(AOwner)) return s;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const Char*>(GlobalLock(h))) {
      const size_t max = GlobalSize(h) / sizeof(Char);
      size_t n = 0;
      while (n < max && p[n]) ++n;
      s.assign(p, n);
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return s;
}

String TvlCustomTextEdit::ClipboardText() {
  const String s = vlGetClipboardText(HandleAllocated() ? WindowHandle() : nullptr);
  // A single-line editor takes the first line.
  return s.substr(0, std::min(s.find(u'\r'), s.find(u'\n')));
}

void TvlCustomTextEdit::CopyToClipboard() {
  const TvlEditEditingStyle style = ActiveProperties()->GetTextEditingStyle();
  if (style == esFixedList || style == esNoEdit) SelectAll();
  if (SelLength() > 0 && InnerTextEdit()) InnerTextEdit()->CopyToClipboard();
}

void TvlCustomTextEdit::CutToClipboard() {
  if (SelLength() == 0) return;
  if (!Focused()) {
    CopyToClipboard();
    SetSelText(String());
    return;
  }
  const Boolean saved = IsKeyboardActionNow();
  SetKeyboardActionNow(true);
  Finally restore([&] { SetKeyboardActionNow(saved); });
  String text;
  Integer caret = 0;
  if (!PrepareInsertion(String(), text, caret)) return;
  TMessage m{WM_CUT, 0, 0, 0};
  InnerEdit()->CallDefWndProc(m);
}

// A paste the text limit would cut keeps what PrepareInsertion made of it:
// the part after the selection start is replaced by the prepared text's, so
// the window's own limit and undo still apply.
void TvlCustomTextEdit::PasteFromClipboard() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return;
  const String clip = ClipboardText();
  if (!Focused()) {
    SetSelText(clip);
    return;
  }
  const Boolean saved = IsKeyboardActionNow();
  SetKeyboardActionNow(true);
  Finally restore([&] { SetKeyboardActionNow(saved); });
  String text;
  Integer caret = 0;
  if (!PrepareInsertion(clip, text, caret) || !InnerEdit()) return;
  const Integer start = std::min(SelStart(), Integer(text.size()));
  const Integer length = Integer(CurrentDisplayText().size());
  const String tail = text.substr(size_t(start));
  TMessage select{EM_SETSEL, WPARAM(start), LPARAM(length), 0};
  InnerEdit()->CallDefWndProc(select);
  TMessage replace{EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(tail.c_str()), 0};
  InnerEdit()->CallDefWndProc(replace);
  TMessage place{EM_SETSEL, WPARAM(caret), LPARAM(caret), 0};
  InnerEdit()->CallDefWndProc(place);
}

void TvlCustomTextEdit::Activate(TvlCustomEditData*& AEditData) {
  inherited::Activate(AEditData);
  if (!HandleAllocated()) return;
  SetSelStart(0);
  if (ActiveProperties()->AutoSelect()) SelectAll();
}

// --- Properties and painting ------------------------------------------------------------------------------------------

void TvlCustomTextEdit::PropertiesChanged(TObject* Sender) {
  TvlCustomTextEditProperties* p = ActiveProperties();
  IvlInnerTextEdit* inner = InnerTextEdit();
  const Boolean wasModified = ModifiedAfterEnter();
  if (inner) inner->SetAlignment(p->Alignment()->Horz());
  if (p->UsesLookupData() && FLookupData) {
    FLookupData->PropertiesChanged();
    if (!FLookupDataTextChangedLocked) FLookupData->TextChanged();
  }
  if (inner && !IsEditClass()) RefreshAfterFocusChange();
  if (inner) {
    inner->SetAlignment(p->Alignment()->Horz());
    inner->SetAutoSelect(p->AutoSelect() && !IsInplace());
    inner->SetCharCase(p->CharCase());
    inner->SetEchoMode(p->EchoMode());
    inner->SetHideSelection(p->HideSelection());
    inner->SetImeMode(p->ImeMode());
    inner->SetImeName(p->ImeName());
    inner->SetMaxLength(p->MaxLength());
    inner->SetOEMConvert(p->OEMConvert());
    inner->SetPasswordChar(p->PasswordChar());
    CheckRangeAfterChange();
    if (!IsPosting()) RefreshDisplayAfterChange();
    RefreshAfterFocusChange();
  }
  inherited::PropertiesChanged(Sender);
  // The framework drops an unposted change when the editor turns read-only:
  // the text shows the value again now, not at some later refresh.
  if (inner && wasModified && !ModifiedAfterEnter() && !IsPosting()) RefreshDisplayAfterChange();
  if (inner) inner->GetControl()->Invalidate();
}

void TvlCustomTextEdit::StyleChanged(TObject* Sender) {
  TvlCustomInnerTextEdit* inner = InnerTextControl();
  if (inner && !IsDestroying() && !FIsCreating && ActiveProperties()->EchoMode() == eemPassword &&
      ActiveProperties()->PasswordChar() == 0)
    inner->RecreateWnd();
  inherited::StyleChanged(Sender);
}

Boolean TvlCustomTextEdit::DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                                              Boolean AIsMouseEvent) {
  const Boolean r = inherited::DoRefreshContainer(P, Button, Shift, AIsMouseEvent);
  if (r) ApplyStyleToInnerEdit();
  return r;
}

void TvlCustomTextEdit::ApplyStyleToInnerEdit() {
  TvlCustomInnerTextEdit* inner = InnerTextControl();
  if (!inner || inner->ControlState().Contains(csCreating) || !InnerEdit()) return;
  InnerEdit()->LockBounds(true);
  Finally unlock([&] { InnerEdit()->LockBounds(false); });
  TvlCustomEditViewInfo* vi = ViewInfo();
  inner->SetColor(vi->BackgroundColor());
  TFont* font = New<TFont>();
  Finally freeFont([&] { Free(font); });
  font->Assign(GetVisibleFont());
  font->SetColor(vi->TextColor);
  inner->Font()->Assign(font);
}

void TvlCustomTextEdit::CalcInnerControlRegion(const TRect& AClientRect, TControl* AControl,
                                               TvlContainerInnerControlBounds& ABounds) {
  if (IsEditClass()) {
    inherited::CalcInnerControlRegion(AClientRect, AControl, ABounds);
    return;
  }
  ABounds.IsEmpty = false;
  ABounds.Rect = TRect{};
}

Integer TvlCustomTextEdit::InnerTextHeight() {
  TvlScreenCanvas* canvas = vlGetScreenCanvas();
  Finally dormant([&] { canvas->Dormant(); });
  TWinControl* inner = InnerEdit() ? InnerEdit()->GetControl() : nullptr;
  canvas->SetFont(inner ? inner->Font() : GetVisibleFont());
  return canvas->TextHeight(u"Wg");
}

void TvlCustomTextEdit::PlaceInnerControl() {
  if (!InnerEdit() || FInnerEditPositionAdjusting) return;
  FInnerEditPositionAdjusting = true;
  Finally done([&] { FInnerEditPositionAdjusting = false; });
  const Integer h = InnerTextHeight();
  const TRect client = ViewInfo()->ClientRect;
  const TRect off = ContentParams.Offsets;
  Integer top;
  switch (ActiveProperties()->Alignment()->Vert()) {
    case taTopJustify: top = client.Top + off.Top; break;
    case taBottomJustify: top = client.Bottom - h - off.Bottom; break;
    default: top = client.Top + off.Top + (client.Height() - h - off.Top - off.Bottom) / 2;
  }
  top = std::max(top, client.Top + off.Top);
  const Integer left = client.Left + off.Left;
  const Integer width = client.Right - client.Left + 1 - off.Left - off.Right;
  TWinControl* inner = InnerEdit()->GetControl();
  if (inner->Left() != left || inner->Top() != top || inner->Width() != width || inner->Height() != h)
    inner->SetBounds(left, top, width, h);
}

void TvlCustomTextEdit::AlignControls(TControl* AControl, TRect& Rect) {
  TRect r = ViewInfo()->ClientRect;
  const TvlEditEditingStyle style = ActiveProperties()->GetTextEditingStyle();
  auto* vi = static_cast<TvlCustomTextEditViewInfo*>(ViewInfo());
  if (IsInplace()) {
    ++r.Top;
    --r.Bottom;
  } else if (vi->NativeStyle && vi->ComboBoxStyle && (style == esEdit || style == esEditList)) {
    --r.Right;
    --r.Bottom;
  }
  inherited::AlignControls(AControl, r);
}

void TvlCustomTextEdit::RefreshAfterFocusChange() {
  if (IsDestroying() || !FProperties) return;
  auto* vi = static_cast<TvlCustomTextEditViewInfo*>(ViewInfo());
  TvlCustomEditViewData* data = MakeViewData();
  Finally freeData([&] { Free(data); });
  static_cast<TvlCustomTextEditViewData*>(data)->DisplayValueToDrawValue(Variant(CurrentDisplayText()), vi);
  vi->TextOutData.Initialized = false;
  if (!HandleAllocated()) return;
  TvlCustomTextEditProperties* p = ActiveProperties();
  const TvlEditEditingStyle style = p->GetTextEditingStyle();
  vi->SelLength = 0;
  if ((style == esFixedList || style == esNoEdit) && style != esNoEdit && FFindSelection && p->FixedListSelection()) {
    const Integer len = Integer(vi->Text.size());
    if (vi->DrawSelectionBar) {
      vi->SelStart = 0;
      vi->SelLength = len - SelLength();
      vi->SelTextColor = clHighlight;
      vi->SelBackgroundColor = clHighlightText;
    } else {
      vi->SelStart = SelStart();
      vi->SelLength = SelLength();
      vi->SelTextColor = clHighlightText;
      vi->SelBackgroundColor = clHighlight;
    }
  }
  Invalidate();
}

// --- Lookup items on the editor's side -----------------------------------------------------------------------------------

Variant TvlCustomTextEdit::LookupKeyToEditValue(const Variant& AKey) {
  Variant v;
  PrepareEditValue(Variant(FLookupData ? FLookupData->GetDisplayText(AKey) : String()), v, false);
  return v;
}

Integer TvlCustomTextEdit::ItemIndex() { return FLookupData ? LookupKeyToItemIndex(FLookupData->GetCurrentKey()) : -1; }

TObject* TvlCustomTextEdit::ItemObject() {
  const Integer i = ItemIndex();
  return i == -1 ? nullptr : ActiveProperties()->LookupItems()->Objects(i);
}

void TvlCustomTextEdit::SetItemObject(TObject* Value) {
  SetItemIndex(ActiveProperties()->LookupItems()->IndexOfObject(Value));
}

void TvlCustomTextEdit::SetItemIndex(Integer Value) {
  if (!FLookupData) return;
  const Integer old = ItemIndex();
  {
    LockClick(true);
    Finally unlock([&] { LockClick(false); });
    FLookupData->SetCurrentKey(ItemIndexToLookupKey(Value));
    const Variant v = LookupKeyToEditValue(FLookupData->GetCurrentKey());
    if (!vlVarEqualsStrict(v, EditValue())) {
      FLookupDataTextChangedLocked = true;
      Finally unlockText([&] { FLookupDataTextChangedLocked = false; });
      SetEditValue(v);
    }
  }
  if (ItemIndex() != old) {
    SetEditModified(false);
    Click();
  }
}

void TvlCustomTextEdit::LookupItemSelected(TObject*) {
  const Variant v = LookupKeyToEditValue(FLookupData->GetCurrentKey());
  const Boolean differs = !vlVarEqualsStrict(v, EditValue());
  if (differs && !DoEditing()) return;
  SaveModifiedState();
  FLookupDataTextChangedLocked = true;
  {
    Finally restore([&] {
      FLookupDataTextChangedLocked = false;
      RestoreModifiedState();
    });
    AssignEditValueQuietly(v);
  }
  if (differs) SetModifiedAfterEnter(true);
  SelectAll();
  ShortRefreshContainer(false);
}

void TvlCustomTextEdit::DoAfterKeyDown(Word& Key, TShiftState Shift) {
  if (Assigned(OnAfterKeyDown())) OnAfterKeyDown()(this, Key, Shift);
}

// --- The published editor ---------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlTextEdit, P) {
  using T = TvlTextEdit;
  P.Property(u"AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
  P.Property(u"BeepOnEnter", &T::BeepOnEnter, &T::SetBeepOnEnter).Default(true);
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  P.Property(u"Text", &T::Text, &T::SetTextProp);
}
