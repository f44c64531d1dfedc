#include "lib/editors/vlInnerTextEdit.h"

#include "lib/editors/vlTextEdit.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

Boolean IsLeadByte(Char C) { return C > 0xFF && IsDBCSLeadByte(Byte(C >> 8)); }

}  // namespace

// --- The adapter -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomInnerTextEditHelper)

void TvlCustomInnerTextEditHelper::Create(TvlCustomInnerTextEdit* AEdit) {
  inherited::Create(nullptr);
  FEdit = AEdit;
}

TWinControl* TvlCustomInnerTextEditHelper::GetInnerControl() { return FEdit; }
TvlContainer* TvlCustomInnerTextEditHelper::GetOwnerContainer() { return FEdit->Container(); }
TWinControl* TvlCustomInnerTextEditHelper::GetControl() { return FEdit; }
TvlCustomEdit* TvlCustomInnerTextEditHelper::GetControlContainer() { return FEdit->Container(); }

void TvlCustomInnerTextEditHelper::CallDefWndProc(TMessage& Message) {
  Message.Result =
      CallWindowProcW(FEdit->DefWndProc(), FEdit->WindowHandle(), UINT(Message.Msg), Message.WParam, Message.LParam);
}

Variant TvlCustomInnerTextEditHelper::GetEditValue() { return Variant(FEdit->Text()); }

void TvlCustomInnerTextEditHelper::SetEditValue(const Variant& Value) {
  const String old = FEdit->Text(), text = VarToStr(Value);
  FEdit->SetText(text);
  if (FEdit->ComponentState().Contains(csDesigning) && old != text) FEdit->Change();
}

TNotifyEvent TvlCustomInnerTextEditHelper::GetOnChange() { return FEdit->OnChange(); }
void TvlCustomInnerTextEditHelper::SetOnChange(const TNotifyEvent& Value) { FEdit->SetOnChange(Value); }
Boolean TvlCustomInnerTextEditHelper::GetReadOnly() { return FEdit->ReadOnly(); }
void TvlCustomInnerTextEditHelper::SetReadOnly(Boolean Value) { FEdit->SetReadOnly(Value); }
void TvlCustomInnerTextEditHelper::SetParent(TWinControl* Value) { FEdit->SetParent(Value); }

void TvlCustomInnerTextEditHelper::LockBounds(Boolean ALock) {
  if (ALock)
    ++FEdit->FLockBoundsCount;
  else if (FEdit->FLockBoundsCount > 0)
    --FEdit->FLockBoundsCount;
}

void TvlCustomInnerTextEditHelper::SafelySetFocus() {
  const Boolean autoSelect = FEdit->AutoSelect();
  FEdit->SetAutoSelect(false);
  Finally restore([&] { FEdit->SetAutoSelect(autoSelect); });
  FEdit->SetFocus();
}

void TvlCustomInnerTextEditHelper::SaveSelection() {
  FSelStart = FEdit->SelStart();
  FSelLength = FEdit->SelLength();
}

void TvlCustomInnerTextEditHelper::RestoreSelection() {
  FEdit->SetSelStart(FSelStart);
  FEdit->SetSelLength(FSelLength);
}

Integer TvlCustomInnerTextEditHelper::GetSelStart() { return FEdit->FImeCharCount > 0 ? FSelStart : FEdit->SelStart(); }
Integer TvlCustomInnerTextEditHelper::GetSelLength() {
  return FEdit->FImeCharCount > 0 ? FSelLength : FEdit->SelLength();
}

void TvlCustomInnerTextEditHelper::SetSelStart(Integer Value) {
  if (!FEdit->HandleAllocated()) return;
  if (FEdit->FImeCharCount > 0)
    FSelStart = Value;
  else
    FEdit->SetSelStart(Value);
}

void TvlCustomInnerTextEditHelper::SetSelLength(Integer Value) {
  if (!FEdit->HandleAllocated()) return;
  if (FEdit->FImeCharCount > 0)
    FSelLength = Value;
  else
    FEdit->SetSelLength(Value);
}

String TvlCustomInnerTextEditHelper::GetSelText() { return FEdit->SelText(); }
void TvlCustomInnerTextEditHelper::SetSelText(const String& Value) { FEdit->SetSelText(Value); }
void TvlCustomInnerTextEditHelper::ClearSelection() { FEdit->ClearSelection(); }
void TvlCustomInnerTextEditHelper::CopyToClipboard() { FEdit->CopyToClipboard(); }

void TvlCustomInnerTextEditHelper::SelectAll() {
  if (FEdit->HandleAllocated()) FEdit->SelectAll();
}

Integer TvlCustomInnerTextEditHelper::GetFirstVisibleCharIndex() {
  if (!FEdit->HandleAllocated()) return 0;
  return Integer(LOWORD(SendMessageW(FEdit->WindowHandle(), EM_CHARFROMPOS, 0, MAKELPARAM(0, 0))));
}

Char TvlCustomInnerTextEditHelper::GetImeLastChar() { return FEdit->FImeCharCount == 2 ? FEdit->FImeLastChar : Char(0); }
Boolean TvlCustomInnerTextEditHelper::GetInternalUpdating() { return FEdit->FInternalUpdating; }
void TvlCustomInnerTextEditHelper::SetInternalUpdating(Boolean Value) { FEdit->FInternalUpdating = Value; }
TAlignment TvlCustomInnerTextEditHelper::GetAlignment() { return FEdit->FAlignment; }
Boolean TvlCustomInnerTextEditHelper::GetAutoSelect() { return FEdit->AutoSelect(); }
void TvlCustomInnerTextEditHelper::SetAutoSelect(Boolean Value) { FEdit->SetAutoSelect(Value); }
TEditCharCase TvlCustomInnerTextEditHelper::GetCharCase() { return FEdit->CharCase(); }
void TvlCustomInnerTextEditHelper::SetCharCase(TEditCharCase Value) { FEdit->SetCharCase(Value); }
TvlEditEchoMode TvlCustomInnerTextEditHelper::GetEchoMode() { return FEdit->FEchoMode; }
Boolean TvlCustomInnerTextEditHelper::GetHideSelection() { return FEdit->HideSelection(); }
void TvlCustomInnerTextEditHelper::SetHideSelection(Boolean Value) { FEdit->SetHideSelection(Value); }
TImeMode TvlCustomInnerTextEditHelper::GetImeMode() { return FEdit->FImeMode; }
void TvlCustomInnerTextEditHelper::SetImeMode(TImeMode Value) { FEdit->FImeMode = Value; }
TImeName TvlCustomInnerTextEditHelper::GetImeName() { return FEdit->FImeName; }
void TvlCustomInnerTextEditHelper::SetImeName(const TImeName& Value) { FEdit->FImeName = Value; }
Integer TvlCustomInnerTextEditHelper::GetMaxLength() { return FEdit->MaxLength(); }
void TvlCustomInnerTextEditHelper::SetMaxLength(Integer Value) { FEdit->SetMaxLength(Value); }
Boolean TvlCustomInnerTextEditHelper::GetOEMConvert() { return FEdit->OEMConvert(); }
void TvlCustomInnerTextEditHelper::SetOEMConvert(Boolean Value) { FEdit->SetOEMConvert(Value); }
TNotifyEvent TvlCustomInnerTextEditHelper::GetOnSelChange() { return FEdit->FOnSelChange; }
void TvlCustomInnerTextEditHelper::SetOnSelChange(const TNotifyEvent& Value) { FEdit->FOnSelChange = Value; }
Char TvlCustomInnerTextEditHelper::GetPasswordChar() { return FEdit->FPasswordChar; }
String TvlCustomInnerTextEditHelper::GetTextHint() { return FEdit->TextHint(); }
void TvlCustomInnerTextEditHelper::SetTextHint(const String& Value) { FEdit->SetTextHint(Value); }

void TvlCustomInnerTextEditHelper::SetAlignment(TAlignment Value) {
  if (FAlignmentLock) return;
  TvlCustomTextEdit* editor = FEdit->Container();
  if (editor && editor->ActiveProperties()->UseLeftAlignmentOnEditing() && editor->IsInplace()) Value = taLeftJustify;
  if (Value == FEdit->FAlignment) return;
  FEdit->FAlignment = Value;
  FAlignmentLock = true;
  Finally unlock([&] { FAlignmentLock = false; });
  FEdit->RecreateWnd();
  if (!FEdit->HandleAllocated() && vlCanAllocateHandle(FEdit)) FEdit->HandleNeeded();
}

void TvlCustomInnerTextEditHelper::SetEchoMode(TvlEditEchoMode Value) {
  if (Value == FEdit->FEchoMode) return;
  FEdit->FEchoMode = Value;
  FEdit->RecreateWnd();
}

void TvlCustomInnerTextEditHelper::SetPasswordChar(Char Value) {
  if (Value == FEdit->FPasswordChar) return;
  FEdit->FPasswordChar = Value;
  if (FEdit->FEchoMode == eemPassword) FEdit->RecreateWnd();
}

// --- The inner edit: life --------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomInnerTextEdit)

void TvlCustomInnerTextEdit::Create(TComponent* AOwner) {
  FIsCreating = true;
  inherited::Create(AOwner);
  FDblClickTimer = New<TvlTimer>(static_cast<TComponent*>(nullptr));
  FDblClickTimer->SetEnabled(false);
  FDblClickTimer->SetInterval(GetDoubleClickTime());
  FDblClickTimer->SetOnTimer(TNotifyEvent(this, &TvlCustomInnerTextEdit::DblClickTimerTick));
  FHelper = New<TvlCustomInnerTextEditHelper>(this);
  TControlStyle style = ControlStyle();
  style.Include(csDoubleClicks);
  SetControlStyle(style);
  SetParentColor(true);
  SetParentFont(false);
  FAlignment = taLeftJustify;
  FInternalUpdating = false;
  FEchoMode = eemNormal;
  FIsCreating = false;
}

void TvlCustomInnerTextEdit::Destroy() {
  // The message handlers hold weak links to the edit: an editor freed from
  // its own handler frees this edit under them.
  vlClearObjectLinks(this);
  FreeAndNil(FHelper);
  FreeAndNil(FDblClickTimer);
  inherited::Destroy();
}

IvlCustomInnerEdit* TvlCustomInnerTextEdit::GetHelper() { return FHelper; }

TvlCustomTextEdit* TvlCustomInnerTextEdit::Container() const { return dynamic_cast<TvlCustomTextEdit*>(Owner()); }

Boolean TvlCustomInnerTextEdit::DblClickTimerRunning() const { return FDblClickTimer && FDblClickTimer->Enabled(); }

void TvlCustomInnerTextEdit::DblClickTimerTick(TObject*) { FDblClickTimer->SetEnabled(false); }

Boolean TvlCustomInnerTextEdit::CanFocus() {
  TvlCustomTextEdit* editor = Container();
  return editor ? editor->CanFocus() : inherited::CanFocus();
}

void TvlCustomInnerTextEdit::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (FIsCreating || FLockBoundsCount > 0) return;
  TvlCustomTextEdit* editor = Container();
  if (editor) editor->LockAlignControls(true);
  Finally unlock([&] {
    if (editor) editor->LockAlignControls(false);
  });
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

// --- Window creation ----------------------------------------------------------------------------------------

void TvlCustomInnerTextEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~DWORD(ES_LEFT | ES_RIGHT | ES_CENTER | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME);
  Params.Style |= FAlignment == taRightJustify ? ES_RIGHT : FAlignment == taCenter ? ES_CENTER : ES_LEFT;
  Params.Style |= ES_AUTOHSCROLL;
  TvlCustomTextEdit* editor = Container();
  if (editor && editor->ActiveProperties()->EchoMode() == eemPassword) Params.Style |= ES_PASSWORD;
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
}

void TvlCustomInnerTextEdit::CreateWindowHandle(const TCreateParams& Params) {
  // The kept text is taken before the window exists: asked afterwards, the
  // new window would answer with its own empty text.
  const String text = Params.Caption ? String(Params.Caption) : String();
  TCreateParams p = Params;
  p.Caption = u"";
  inherited::CreateWindowHandle(p);
  if (!HandleAllocated()) return;
  // The text goes in through the default procedure: no change notification reaches the editor.
  CallWindowProcW(DefWndProc(), WindowHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TvlCustomInnerTextEdit::CreateHandle() {
  TvlCustomTextEdit* editor = Container();
  if (editor) editor->ClearSavedInnerRegions();
  inherited::CreateHandle();
  if (!editor || FEchoMode != eemPassword) return;
  Char c = editor->ActiveProperties()->PasswordChar();
  if (c == 0 && (!IsThemeActive() || !editor->UsesNativeStyle())) c = u'*';
  if (c != 0) SendMessageW(WindowHandle(), EM_SETPASSWORDCHAR, WPARAM(c), 0);
}

void TvlCustomInnerTextEdit::CreateWnd() {
  inherited::CreateWnd();
  ApplyMargins();
}

void TvlCustomInnerTextEdit::ApplyMargins() {
  if (HandleAllocated())
    SendMessageW(WindowHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 1));
}

// --- Alignment while editing ----------------------------------------------------------------------------------

Boolean TvlCustomInnerTextEdit::LeftAlignmentRuleApplies() {
  TvlCustomTextEdit* editor = Container();
  return editor && editor->ActiveProperties()->UseLeftAlignmentOnEditing() &&
         editor->ActiveProperties()->Alignment()->Horz() != taLeftJustify;
}

void TvlCustomInnerTextEdit::UpdateEditingAlignment() {
  if (!LeftAlignmentRuleApplies()) return;
  TvlCustomTextEdit* editor = Container();
  FHelper->SetAlignment(editor->IsActiveControlNow() ? taLeftJustify : editor->ActiveProperties()->Alignment()->Horz());
  editor->ShortRefreshContainer(false);
}

// --- Messages -------------------------------------------------------------------------------------------------------

void TvlCustomInnerTextEdit::WndProc(TMessage& Message) {
  TvlCustomTextEdit* editor = Container();
  if (editor && editor->InnerMenuHandler(Message)) return;
  inherited::WndProc(Message);
}

void TvlCustomInnerTextEdit::DefaultHandler(TMessage& Message) {
  TvlCustomTextEdit* editor = Container();
  if (editor && editor->InnerControlDefaultHandler(Message)) return;
  inherited::DefaultHandler(Message);
}

TvlCustomInnerTextEdit::TSavedState TvlCustomInnerTextEdit::SaveState() {
  TSavedState s;
  s.Text = Text();
  s.SelStart = SelStart();
  s.SelLength = SelLength();
  return s;
}

Boolean TvlCustomInnerTextEdit::StateChanged(const TSavedState& AState) {
  return AState.SelStart != SelStart() || AState.SelLength != SelLength() ||
         AnsiCompareText(AState.Text, Text()) != 0;
}

void TvlCustomInnerTextEdit::WMKeyDown(TMessage& Message) {
  TvlCustomTextEdit* editor = Container();
  TWMKey key(Message);
  const TShiftState shift = KeyDataToShiftState(key.KeyData());
  if (editor && editor->HasPopupWindow() && editor->ActiveProperties()->ForwardsKeyToList(key.CharCode(), shift)) {
    TWinControl* list = editor->LookupListControl();
    if (list && list->HandleAllocated()) {
      Message.Result = SendMessageW(list->WindowHandle(), UINT(Message.Msg), Message.WParam, Message.LParam);
      if (Message.Result == 0) return;
    }
  }
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  const TSavedState state = SaveState();
  FInternalUpdating = false;
  inherited::Dispatch(Message);
  if (!link->Ref || !editor) return;
  Word k = key.CharCode();
  if (k != 0 && !FInternalUpdating && !StateChanged(state)) {
    editor->DoAfterKeyDown(k, shift);
    key.SetCharCode(k);
  }
}

void TvlCustomInnerTextEdit::WMChar(TMessage& Message) {
  TvlCustomTextEdit* editor = Container();
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  const TSavedState state = SaveState();
  FInternalUpdating = false;
  inherited::Dispatch(Message);
  if (!link->Ref || !editor) return;
  if (FImeCharCount > 0 && --FImeCharCount == 0 && editor->FindSelection()) {
    FHelper->RestoreSelection();
  }
  editor->SetLookupDataTextChangedLocked(false);
  if (!FInternalUpdating && StateChanged(state)) editor->SetFindSelection(false);
}

void TvlCustomInnerTextEdit::WMLButtonDown(TMessage& Message) {
  TvlCustomTextEdit* editor = Container();
  if (LeftAlignmentRuleApplies() && FAlignment != taLeftJustify) {
    inherited::Dispatch(Message);
    if (!Destroying()) UpdateEditingAlignment();
    FDblClickTimer->SetEnabled(true);
    FDblClickLock = true;
    return;
  }
  if (editor && editor->DragMode() == dmAutomatic && !editor->IsDesigning()) {
    editor->BeginDrag(false);
    return;
  }
  if (FDblClickTimer->Enabled()) {
    Message.Msg = WM_LBUTTONDBLCLK;
    FDblClickTimer->SetEnabled(false);
    FDblClickTimer->SetEnabled(true);
  }
  FDblClickLock = false;
  inherited::Dispatch(Message);
}

void TvlCustomInnerTextEdit::WMSetFocus(TMessage& Message) {
  if (!Destroying() && !(GetKeyState(VK_LBUTTON) < 0)) UpdateEditingAlignment();
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  inherited::Dispatch(Message);
  if (!link->Ref) return;
  TvlCustomTextEdit* editor = Container();
  const HWND from = reinterpret_cast<HWND>(Message.WParam);
  if (editor && (!editor->HandleAllocated() || from != editor->WindowHandle())) editor->FocusChanged();
}

void TvlCustomInnerTextEdit::WMKillFocus(TMessage& Message) {
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  inherited::Dispatch(Message);
  if (!link->Ref || Destroying()) return;
  FDblClickTimer->SetEnabled(false);
  TvlCustomTextEdit* editor = Container();
  if (!editor) return;
  FHelper->SetAlignment(editor->ActiveProperties()->Alignment()->Horz());
  editor->FocusChanged();
}

void TvlCustomInnerTextEdit::Dispatch(TMessage& Message) {
  TvlCustomTextEdit* editor = Container();
  switch (Message.Msg) {
    case WM_KEYDOWN: WMKeyDown(Message); return;
    case WM_CHAR: WMChar(Message); return;
    case WM_LBUTTONDOWN: WMLButtonDown(Message); return;
    case WM_LBUTTONDBLCLK:
      if (editor && editor->DragMode() == dmAutomatic && !editor->IsDesigning()) {
        editor->BeginDrag(false);
        return;
      }
      if (FDblClickTimer->Enabled()) return;
      break;
    case WM_SETFOCUS: WMSetFocus(Message); return;
    case WM_KILLFOCUS: WMKillFocus(Message); return;
    case WM_GETDLGCODE: {
      inherited::Dispatch(Message);
      Message.Result |= DLGC_WANTCHARS;
      if (editor && editor->InPlaceMode() && GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
      if (editor && (editor->IsInplace() || editor->HasPopupWindow())) Message.Result |= DLGC_WANTALLKEYS;
      return;
    }
    case WM_IME_CHAR:
      if (!IsWindowUnicode(WindowHandle())) {
        const Char c = Char(Message.WParam);
        FImeCharCount = IsLeadByte(c) ? 2 : 1;
        if (FImeCharCount == 2) FImeLastChar = Char(c & 0xFF);
        FHelper->SaveSelection();
      }
      DefaultHandler(Message);
      return;
    case WM_IME_COMPOSITION:
      if (editor && !editor->DoEditing()) return;
      DefaultHandler(Message);
      return;
    case EM_REPLACESEL:
      if (editor && editor->Focused() && !editor->DoEditing()) return;
      break;
    case WM_CLEAR:
      if (ReadOnly()) return;
      if (editor) {
        editor->ClearSelectionByKeyboard();
        return;
      }
      break;
    case WM_UNDO:
      DefaultHandler(Message);
      if (editor) editor->AfterUndo();
      return;
    case EM_SETSEL:
      DefaultHandler(Message);
      vlCallNotifyEvent(FOnSelChange, this);
      return;
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_NCPAINT: Message.Result = 0; return;
    case WM_SIZE:
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      ApplyMargins();
      return;
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      if (editor) editor->ShortRefreshContainer(true);
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

// --- Forwarded input ----------------------------------------------------------------------------------------

void TvlCustomInnerTextEdit::Change() {
  inherited::Change();
}

void TvlCustomInnerTextEdit::KeyDown(Word& Key, TShiftState Shift) {
  FDblClickTimer->SetEnabled(false);
  FInternalUpdating = false;
  if (TvlCustomTextEdit* editor = Container()) {
    TvlObjectLink* link = vlAddObjectLink(this);
    Finally unlink([&] { vlRemoveObjectLink(link); });
    Finally consumed([&] {
      if (link->Ref && Key == 0) FInternalUpdating = true;
    });
    editor->KeyDown(Key, Shift);
    if (!link->Ref) return;
  }
  if (Key != 0) inherited::KeyDown(Key, Shift);
}

void TvlCustomInnerTextEdit::KeyUp(Word& Key, TShiftState Shift) {
  if (Key == VK_TAB) Key = 0;
  FDblClickTimer->SetEnabled(false);
  FInternalUpdating = false;
  if (TvlCustomTextEdit* editor = Container()) {
    TvlObjectLink* link = vlAddObjectLink(this);
    Finally unlink([&] { vlRemoveObjectLink(link); });
    Finally consumed([&] {
      if (link->Ref && Key == 0) FInternalUpdating = true;
    });
    editor->KeyUp(Key, Shift);
    if (!link->Ref) return;
  }
  if (Key != 0) inherited::KeyUp(Key, Shift);
}

void TvlCustomInnerTextEdit::KeyPress(Char& Key) {
  FInternalUpdating = false;
  if (Key == Char(VK_TAB)) Key = 0;
  TvlCustomTextEdit* editor = Container();
  if (editor) {
    TvlObjectLink* link = vlAddObjectLink(this);
    Finally unlink([&] { vlRemoveObjectLink(link); });
    editor->KeyPress(Key);
    if (!link->Ref) return;
    if ((Key == Char(VK_RETURN) || Key == Char(VK_ESCAPE)) &&
        (editor->IsInplace() || editor->IsPopupWindowJustClosed() ||
         (!editor->BeepOnEnter() && Key == Char(VK_RETURN)))) {
      Key = 0;
      editor->SetPopupWindowJustClosed(false);
    }
  }
  if (Key == 0)
    FInternalUpdating = true;
  else
    inherited::KeyPress(Key);
}

void TvlCustomInnerTextEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  inherited::MouseDown(Button, Shift, X, Y);
  TvlCustomTextEdit* editor = Container();
  if (!link->Ref || !editor) return;
  editor->SetInnerControlMouseDown(true);
  Finally up([&] { editor->SetInnerControlMouseDown(false); });
  editor->MouseDown(Button, Shift, X + Left(), Y + Top());
}

void TvlCustomInnerTextEdit::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  inherited::MouseMove(Shift, X, Y);
  if (link->Ref)
    if (TvlCustomTextEdit* editor = Container()) editor->MouseMove(Shift, X + Left(), Y + Top());
}

void TvlCustomInnerTextEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  inherited::MouseUp(Button, Shift, X, Y);
  if (link->Ref)
    if (TvlCustomTextEdit* editor = Container()) editor->MouseUp(Button, Shift, X + Left(), Y + Top());
}

void TvlCustomInnerTextEdit::Click() {
  inherited::Click();
  if (TvlCustomTextEdit* editor = Container()) editor->Click();
}

void TvlCustomInnerTextEdit::DblClick() {
  inherited::DblClick();
  if (TvlCustomTextEdit* editor = Container()) editor->DblClick();
}

void TvlCustomInnerTextEdit::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept) {
  if (TvlCustomTextEdit* editor = Container())
    editor->DragOver(Source, X + Left(), Y + Top(), State, Accept);
  else
    inherited::DragOver(Source, X, Y, State, Accept);
}

void TvlCustomInnerTextEdit::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (TvlCustomTextEdit* editor = Container())
    editor->DragDrop(Source, X + Left(), Y + Top());
  else
    inherited::DragDrop(Source, X, Y);
}
