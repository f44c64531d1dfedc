// The memo's inner multi-line edit window and the adapter through which the
// memo editor drives it.
#include <algorithm>

#include "lib/editors/vlMemo.h"
#include "lib/foundation/vlClasses.h"
#include "lib/lookandfeel/vlContainer.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

using namespace win;

// --- The adapter -----------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomInnerMemoHelper)

void TvlCustomInnerMemoHelper::Create(TvlCustomInnerMemo* AEdit) {
  inherited::Create(nullptr);
  FEdit = AEdit;
}

TWinControl* TvlCustomInnerMemoHelper::GetInnerControl() { return FEdit; }
TvlContainer* TvlCustomInnerMemoHelper::GetOwnerContainer() { return FEdit->Container(); }
TWinControl* TvlCustomInnerMemoHelper::GetControl() { return FEdit; }
TvlCustomEdit* TvlCustomInnerMemoHelper::GetControlContainer() { return FEdit->Container(); }

void TvlCustomInnerMemoHelper::CallDefWndProc(TMessage& Message) {
  Message.Result =
      CallWindowProcW(FEdit->DefWndProc(), FEdit->WindowHandle(), UINT(Message.Msg), Message.WParam, Message.LParam);
}

Variant TvlCustomInnerMemoHelper::GetEditValue() { return Variant(FEdit->Lines()->Text()); }

void TvlCustomInnerMemoHelper::SetEditValue(const Variant& Value) {
  TvlCustomMemo* editor = FEdit->Container();
  if (!FEdit->HandleAllocated() || !editor) {
    FEdit->SetTextProp(VarToStr(Value));
    return;
  }
  TvlObjectLinkScope alive(editor);
  editor->LockChangeEvents(true);
  ++FEdit->FInternalTextSettingCount;
  Finally done([&] {
    --FEdit->FInternalTextSettingCount;
    // The change the value's own showing made is not the user's: it is dropped.
    if (alive.Alive()) editor->LockChangeEvents(false, false);
  });
  if (editor->IsInplace() && FEdit->WordWrap()) FEdit->Lines()->Clear();
  FEdit->Lines()->SetText(VarToStr(Value));
}

TNotifyEvent TvlCustomInnerMemoHelper::GetOnChange() { return FEdit->OnChange(); }
void TvlCustomInnerMemoHelper::SetOnChange(const TNotifyEvent& Value) { FEdit->SetOnChange(Value); }
Boolean TvlCustomInnerMemoHelper::GetReadOnly() { return FEdit->ReadOnly(); }
void TvlCustomInnerMemoHelper::SetReadOnly(Boolean Value) { FEdit->SetReadOnly(Value); }
void TvlCustomInnerMemoHelper::SetParent(TWinControl* Value) { FEdit->SetParent(Value); }

void TvlCustomInnerMemoHelper::LockBounds(Boolean ALock) {
  if (ALock)
    ++FEdit->FLockBoundsCount;
  else if (FEdit->FLockBoundsCount > 0)
    --FEdit->FLockBoundsCount;
}

void TvlCustomInnerMemoHelper::SafelySetFocus() {
  const Boolean autoSelect = FEdit->AutoSelect();
  FEdit->SetAutoSelect(false);
  Finally restore([&] { FEdit->SetAutoSelect(autoSelect); });
  FEdit->SetFocus();
}

void TvlCustomInnerMemoHelper::ClearSelection() { FEdit->ClearSelection(); }
void TvlCustomInnerMemoHelper::CopyToClipboard() { FEdit->CopyToClipboard(); }
TAlignment TvlCustomInnerMemoHelper::GetAlignment() { return FEdit->Alignment(); }
void TvlCustomInnerMemoHelper::SetAlignment(TAlignment Value) { FEdit->SetAlignment(Value); }
Boolean TvlCustomInnerMemoHelper::GetAutoSelect() { return FEdit->AutoSelect(); }
void TvlCustomInnerMemoHelper::SetAutoSelect(Boolean Value) { FEdit->SetAutoSelect(Value); }
TEditCharCase TvlCustomInnerMemoHelper::GetCharCase() { return FEdit->CharCase(); }
void TvlCustomInnerMemoHelper::SetCharCase(TEditCharCase Value) { FEdit->SetCharCase(Value); }
Boolean TvlCustomInnerMemoHelper::GetHideSelection() { return FEdit->HideSelection(); }
void TvlCustomInnerMemoHelper::SetHideSelection(Boolean Value) { FEdit->SetHideSelection(Value); }
TImeMode TvlCustomInnerMemoHelper::GetImeMode() { return FEdit->FImeMode; }
void TvlCustomInnerMemoHelper::SetImeMode(TImeMode Value) { FEdit->FImeMode = Value; }
TImeName TvlCustomInnerMemoHelper::GetImeName() { return FEdit->FImeName; }
void TvlCustomInnerMemoHelper::SetImeName(const TImeName& Value) { FEdit->FImeName = Value; }
Boolean TvlCustomInnerMemoHelper::GetInternalUpdating() { return FEdit->FInternalUpdating; }
void TvlCustomInnerMemoHelper::SetInternalUpdating(Boolean Value) { FEdit->FInternalUpdating = Value; }
Integer TvlCustomInnerMemoHelper::GetMaxLength() { return FEdit->MaxLength(); }
void TvlCustomInnerMemoHelper::SetMaxLength(Integer Value) { FEdit->SetMaxLength(Value); }
Boolean TvlCustomInnerMemoHelper::GetOEMConvert() { return FEdit->OEMConvert(); }
void TvlCustomInnerMemoHelper::SetOEMConvert(Boolean Value) { FEdit->SetOEMConvert(Value); }
TNotifyEvent TvlCustomInnerMemoHelper::GetOnSelChange() { return FEdit->FOnSelChange; }
void TvlCustomInnerMemoHelper::SetOnSelChange(const TNotifyEvent& Value) { FEdit->FOnSelChange = Value; }
Integer TvlCustomInnerMemoHelper::GetSelStart() { return FEdit->SelStart(); }
Integer TvlCustomInnerMemoHelper::GetSelLength() { return FEdit->SelLength(); }
String TvlCustomInnerMemoHelper::GetSelText() { return FEdit->SelText(); }
void TvlCustomInnerMemoHelper::SetSelText(const String& Value) { FEdit->SetSelText(Value); }
String TvlCustomInnerMemoHelper::GetTextHint() { return FEdit->TextHint(); }
void TvlCustomInnerMemoHelper::SetTextHint(const String& Value) { FEdit->SetTextHint(Value); }
TStrings* TvlCustomInnerMemoHelper::GetLines() { return FEdit->Lines(); }
TScrollStyle TvlCustomInnerMemoHelper::GetScrollBars() { return FEdit->ScrollBars(); }
void TvlCustomInnerMemoHelper::SetScrollBars(TScrollStyle Value) { FEdit->SetScrollBars(Value); }
Boolean TvlCustomInnerMemoHelper::GetWantReturns() { return FEdit->WantReturns(); }
void TvlCustomInnerMemoHelper::SetWantReturns(Boolean Value) { FEdit->SetWantReturns(Value); }
Boolean TvlCustomInnerMemoHelper::GetWantTabs() { return FEdit->WantTabs(); }
void TvlCustomInnerMemoHelper::SetWantTabs(Boolean Value) { FEdit->SetWantTabs(Value); }
Boolean TvlCustomInnerMemoHelper::GetWordWrap() { return FEdit->WordWrap(); }
void TvlCustomInnerMemoHelper::SetWordWrap(Boolean Value) { FEdit->SetWordWrap(Value); }

void TvlCustomInnerMemoHelper::SetSelStart(Integer Value) {
  if (FEdit->HandleAllocated()) FEdit->SetSelStart(Value);
}

void TvlCustomInnerMemoHelper::SetSelLength(Integer Value) {
  if (FEdit->HandleAllocated()) FEdit->SetSelLength(Value);
}

void TvlCustomInnerMemoHelper::SelectAll() {
  if (FEdit->HandleAllocated()) FEdit->SelectAll();
}

Integer TvlCustomInnerMemoHelper::GetFirstVisibleCharIndex() {
  if (!FEdit->HandleAllocated()) return 0;
  return Integer(LOWORD(SendMessageW(FEdit->WindowHandle(), EM_CHARFROMPOS, 0, MAKELPARAM(0, 0))));
}

void TvlCustomInnerMemoHelper::SetCaretPos(const TPoint& P) {
  if (!FEdit->HandleAllocated()) return;
  const LRESULT start = SendMessageW(FEdit->WindowHandle(), EM_LINEINDEX, WPARAM(P.Y), 0);
  if (start < 0) return;
  const LRESULT pos = start + P.X;
  SendMessageW(FEdit->WindowHandle(), EM_SETSEL, WPARAM(pos), LPARAM(pos));
}

// --- The inner memo: life ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomInnerMemo)

void TvlCustomInnerMemo::Create(TComponent* AOwner) {
  FIsCreating = true;
  inherited::Create(AOwner);
  FHelper = New<TvlCustomInnerMemoHelper>(this);
  TControlStyle style = ControlStyle();
  style.Include(csDoubleClicks);
  SetControlStyle(style);
  if (!ComponentState().Contains(csDesigning)) SetCursor(crIBeam);
  SetParentColor(true);
  SetParentFont(true);
  FIsCreating = false;
}

void TvlCustomInnerMemo::Destroy() {
  // The message handlers hold weak links to the memo: an editor freed from
  // its own handler frees this memo under them.
  vlClearObjectLinks(this);
  FreeAndNil(FHelper);
  inherited::Destroy();
}

IvlCustomInnerEdit* TvlCustomInnerMemo::GetHelper() { return FHelper; }
TvlContainer* TvlCustomInnerMemo::GetOwnerContainer() { return Container(); }
TvlCustomMemo* TvlCustomInnerMemo::Container() const { return dynamic_cast<TvlCustomMemo*>(Owner()); }

Boolean TvlCustomInnerMemo::CanFocus() {
  TvlCustomMemo* editor = Container();
  return editor ? editor->CanFocus() : inherited::CanFocus();
}

Boolean TvlCustomInnerMemo::ExecuteAction(TBasicAction* Action) {
  if (inherited::ExecuteAction(Action)) return true;
  TvlCustomMemo* editor = Container();
  return editor && editor->ExecuteAction(Action);
}

Boolean TvlCustomInnerMemo::UpdateAction(TBasicAction* Action) {
  if (inherited::UpdateAction(Action)) return true;
  TvlCustomMemo* editor = Container();
  return editor && editor->UpdateAction(Action);
}

void TvlCustomInnerMemo::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (FIsCreating || FLockBoundsCount > 0) return;
  TvlCustomMemo* editor = Container();
  if (editor) editor->LockAlignControls(true);
  Finally unlock([&] {
    if (editor) editor->LockAlignControls(false);
  });
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TvlCustomInnerMemo::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~DWORD(WS_BORDER | WS_DLGFRAME | WS_THICKFRAME);
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
  Params.WindowClass.style &= ~UINT(CS_VREDRAW);
  if (ScrollBars() == ssHorizontal || ScrollBars() == ssBoth || !WordWrap())
    Params.WindowClass.style &= ~UINT(CS_HREDRAW);
}

void TvlCustomInnerMemo::CreateWnd() {
  const String text = Text();
  ++FInternalTextSettingCount;
  {
    Finally done([&] { --FInternalTextSettingCount; });
    inherited::CreateWnd();
    if (HandleAllocated()) Lines()->SetText(text);
  }
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  if (TvlCustomMemo* editor = Container()) editor->SetScrollBarsParameters();
}

// --- Messages ---------------------------------------------------------------------------------------------------

void TvlCustomInnerMemo::WndProc(TMessage& Message) {
  TvlCustomMemo* editor = Container();
  if (editor && editor->InnerMenuHandler(Message)) return;
  inherited::WndProc(Message);
}

void TvlCustomInnerMemo::DefaultHandler(TMessage& Message) {
  TvlCustomMemo* editor = Container();
  if (editor && editor->InnerControlDefaultHandler(Message)) return;
  inherited::DefaultHandler(Message);
}

TvlCustomInnerMemo::TSavedState TvlCustomInnerMemo::SaveState() { return TSavedState{Text(), SelStart(), SelLength()}; }

Boolean TvlCustomInnerMemo::StateChanged(const TSavedState& AState) {
  return AState.SelStart != SelStart() || AState.SelLength != SelLength() || AState.Text != Text();
}

// A key that neither changed the text nor moved the caret tells the editor
// (OnAfterKeyDown), so a grid can move on from a memo that cannot move
// further left or right; Up and Down never do.
void TvlCustomInnerMemo::WMKeyDown(TMessage& Message) {
  TvlCustomMemo* editor = Container();
  TWMKey key(Message);
  const TShiftState shift = KeyDataToShiftState(key.KeyData());
  TvlObjectLinkScope alive(this);
  const TSavedState state = SaveState();
  FInternalUpdating = false;
  inherited::Dispatch(Message);
  if (!alive.Alive() || !editor) return;
  Word k = key.CharCode();
  if (k != 0 && k != VK_UP && k != VK_DOWN && !FInternalUpdating && !StateChanged(state)) {
    TvlObjectLinkScope editorAlive(editor);
    editor->DoAfterKeyDown(k, shift);
    if (!editorAlive.Alive() || !alive.Alive()) return;
    key.SetCharCode(k);
  }
  editor->UpdateScrollBarsParameters();
}

void TvlCustomInnerMemo::WMGetDlgCode(TMessage& Message) {
  inherited::Dispatch(Message);
  TvlCustomMemo* editor = Container();
  if (editor && editor->InPlaceMode() && GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
  if (FEscapePressed) Message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
}

void TvlCustomInnerMemo::WMSetText(TMessage& Message) {
  inherited::Dispatch(Message);
  TvlCustomMemo* editor = Container();
  if (FInternalTextSettingCount > 0 || !editor || !HandleAllocated()) return;
  editor->SetEditValue(Variant(Text()));
}

// The replacement's line breaks become CR LF, each kind counting once.
void TvlCustomInnerMemo::EMReplaceSel(TMessage& Message) {
  TvlCustomMemo* editor = Container();
  if (editor && editor->Focused() && !ReadOnly() && !editor->DoEditing()) return;
  const auto* p = reinterpret_cast<const Char*>(Message.LParam);
  const String text = vlNormalizeMemoLineBreaks(p ? String(p) : String());
  TvlObjectLinkScope alive(editor);
  TMessage m{Message.Msg, Message.WParam, reinterpret_cast<LPARAM>(text.c_str()), 0};
  inherited::Dispatch(m);
  Message.Result = m.Result;
  if (editor && alive.Alive()) editor->SynchronizeEditValue();
}

void TvlCustomInnerMemo::WMClear(TMessage& Message) {
  TvlCustomMemo* editor = Container();
  if (editor && editor->FInternalAction) {
    DefaultHandler(Message);
    return;
  }
  if (ReadOnly()) return;
  if (editor)
    editor->ClearSelectionByKeyboard();
  else
    DefaultHandler(Message);
}

// With both bars the corner between them takes the look and feel's size-grip colour.
void TvlCustomInnerMemo::WMNCPaint(TMessage& Message) {
  inherited::Dispatch(Message);
  TvlCustomMemo* editor = Container();
  if (!editor || ScrollBars() != ssBoth || !vlUseOwnScrollBars()) return;
  const TRect r = vlGetSizeGripRectOfInner(this);
  if (r.Width() > 0 && r.Height() > 0) vlFillSizeGripArea(editor, r);
}

void TvlCustomInnerMemo::Dispatch(TMessage& Message) {
  TvlCustomMemo* editor = Container();
  switch (Message.Msg) {
    case WM_KEYDOWN: WMKeyDown(Message); return;
    case CN_KEYDOWN:
      if (Message.WParam == VK_ESCAPE) {
        FEscapePressed = true;
        TvlObjectLinkScope alive(this);
        Finally done([&] {
          if (alive.Alive()) FEscapePressed = false;
        });
        inherited::Dispatch(Message);
        return;
      }
      break;
    case WM_GETDLGCODE: WMGetDlgCode(Message); return;
    case WM_SETTEXT: WMSetText(Message); return;
    case EM_REPLACESEL: EMReplaceSel(Message); return;
    case EM_SETSEL:
      DefaultHandler(Message);
      vlCallNotifyEvent(FOnSelChange, this);
      return;
    case WM_CLEAR: WMClear(Message); return;
    case WM_IME_COMPOSITION:
      if (editor && !editor->DoEditing()) return;
      break;
    case WM_SETFONT:
      inherited::Dispatch(Message);
      SendMessageW(WindowHandle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
      return;
    case WM_SETFOCUS: {
      TvlObjectLinkScope alive(this);
      inherited::Dispatch(Message);
      if (!alive.Alive() || Destroying() || !editor) return;
      const HWND from = reinterpret_cast<HWND>(Message.WParam);
      if (!editor->HandleAllocated() || from != editor->WindowHandle()) editor->FocusChanged();
      return;
    }
    case WM_KILLFOCUS: {
      TvlObjectLinkScope alive(this);
      inherited::Dispatch(Message);
      if (alive.Alive() && !Destroying() && editor) editor->FocusChanged();
      return;
    }
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
      inherited::Dispatch(Message);
      if (editor && !Destroying()) editor->SetScrollBarsParameters();
      return;
    case WM_NCPAINT: WMNCPaint(Message); return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (editor && editor->DragMode() == dmAutomatic && !editor->IsDesigning()) {
        editor->BeginDrag(false);
        return;
      }
      break;
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      if (editor) editor->ShortRefreshContainer(true);
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

// --- Forwarded input ------------------------------------------------------------------------------------------

void TvlCustomInnerMemo::KeyDown(Word& Key, TShiftState Shift) {
  FInternalUpdating = false;
  if (TvlCustomMemo* editor = Container()) {
    TvlObjectLinkScope alive(this);
    editor->KeyDown(Key, Shift);
    if (!alive.Alive()) return;
    if (Key == 0) {
      FInternalUpdating = true;
      return;
    }
  }
  inherited::KeyDown(Key, Shift);
}

void TvlCustomInnerMemo::KeyUp(Word& Key, TShiftState Shift) {
  FInternalUpdating = false;
  if (TvlCustomMemo* editor = Container()) {
    if (Key == VK_TAB && !editor->ActiveProperties()->WantTabs()) Key = 0;
    TvlObjectLinkScope alive(this);
    if (Key != 0) editor->KeyUp(Key, Shift);
    if (!alive.Alive()) return;
    if (Key == 0) {
      FInternalUpdating = true;
      return;
    }
  }
  inherited::KeyUp(Key, Shift);
}

void TvlCustomInnerMemo::KeyPress(Char& Key) {
  FInternalUpdating = false;
  if (TvlCustomMemo* editor = Container()) {
    TvlObjectLinkScope alive(this);
    editor->KeyPress(Key);
    if (!alive.Alive()) return;
    if (Key == 0) {
      FInternalUpdating = true;
      return;
    }
  }
  inherited::KeyPress(Key);
}

void TvlCustomInnerMemo::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLinkScope alive(this);
  inherited::MouseDown(Button, Shift, X, Y);
  TvlCustomMemo* editor = Container();
  if (!alive.Alive() || !editor) return;
  editor->SetInnerControlMouseDown(true);
  TvlObjectLinkScope editorAlive(editor);
  Finally up([&] {
    if (editorAlive.Alive()) editor->SetInnerControlMouseDown(false);
  });
  editor->MouseDown(Button, Shift, X + Left(), Y + Top());
}

void TvlCustomInnerMemo::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLinkScope alive(this);
  inherited::MouseMove(Shift, X, Y);
  if (alive.Alive())
    if (TvlCustomMemo* editor = Container()) editor->MouseMove(Shift, X + Left(), Y + Top());
}

void TvlCustomInnerMemo::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLinkScope alive(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (alive.Alive())
    if (TvlCustomMemo* editor = Container()) editor->MouseUp(Button, Shift, X + Left(), Y + Top());
}

void TvlCustomInnerMemo::Click() {
  TvlObjectLinkScope alive(this);
  inherited::Click();
  if (alive.Alive())
    if (TvlCustomMemo* editor = Container()) editor->Click();
}

void TvlCustomInnerMemo::DblClick() {
  TvlObjectLinkScope alive(this);
  inherited::DblClick();
  if (alive.Alive())
    if (TvlCustomMemo* editor = Container()) editor->DblClick();
}

void TvlCustomInnerMemo::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept) {
  if (TvlCustomMemo* editor = Container())
    editor->DragOver(Source, X + Left(), Y + Top(), State, Accept);
  else
    inherited::DragOver(Source, X, Y, State, Accept);
}

void TvlCustomInnerMemo::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (TvlCustomMemo* editor = Container())
    editor->DragDrop(Source, X + Left(), Y + Top());
  else
    inherited::DragDrop(Source, X, Y);
}
