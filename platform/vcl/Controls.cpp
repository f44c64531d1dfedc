#include "platform/vcl/Controls.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/ControlsInternal.h"
#include "platform/vcl/ImgList.h"

using namespace win;

// --- Hooks and settings -----------------------------------------------------------------------------

Boolean (*PopupMenuIsShortCutHook)(TPopupMenu* Menu, TWMKey& Message) = nullptr;
Boolean (*PopupMenuPopupHook)(TPopupMenu* Menu, TControl* Control, Integer X, Integer Y) = nullptr;
TComponent* (*PopupMenuComponentHook)(TPopupMenu* Menu) = nullptr;
HCURSOR (*ScreenCursorHandleHook)(TCursor Cursor) = nullptr;
TCursor (*ScreenCursorHook)() = nullptr;
void (*ApplicationHintMouseMessage)(TControl* Control, TMessage& Message) = nullptr;
Boolean SysLocaleMiddleEast = false;

namespace controls_detail {

TControl* CaptureControl = nullptr;
TControl* MouseControl = nullptr;
int HandledExceptionCount = 0;

std::unordered_map<HWND, TWinControl*>& HandleMap() {
  static std::unordered_map<HWND, TWinControl*> m;
  return m;
}

HCURSOR CursorHandle(TCursor Cursor) {
  if (ScreenCursorHandleHook) return ScreenCursorHandleHook(Cursor);
  LPCWSTR id = IDC_ARROW;
  switch (Cursor) {
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crNone: return nullptr;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

TCursor ScreenCursor() { return ScreenCursorHook ? ScreenCursorHook() : crDefault; }

// The control at the top of Control's tree that tracks the focus: its form,
// or the topmost windowed parent when there is no form.
TWinControl* FocusRoot(TControl* Control) {
  if (!Control) return nullptr;
  if (TWinControl* f = GetParentFormControl(Control)) return f;
  TControl* c = Control;
  while (c->Parent()) c = c->Parent();
  return Is<TWinControl>(c) ? static_cast<TWinControl*>(c) : nullptr;
}

LPARAM PointToLParam(const TPoint& P) { return LPARAM(MAKELONG(WORD(P.X & 0xFFFF), WORD(P.Y & 0xFFFF))); }

void SetMouseControl(TControl* Control) {
  if (MouseControl == Control) return;
  TControl* old = MouseControl;
  MouseControl = Control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (Control && MouseControl == Control) Control->Perform(CM_MOUSEENTER, 0, 0);
}

void ControlDestroyed(TControl* Control) {
  if (CaptureControl == Control) CaptureControl = nullptr;
  if (MouseControl == Control) MouseControl = nullptr;
}

bool SetLinkedImages(TCustomImageList*& Images, TCustomImageList* Value, TChangeLink* Link,
                     TComponent* Client) {
  if (Value == Images) return false;
  if (Images) {
    Images->UnRegisterChanges(Link);
    Images->RemoveFreeNotification(Client);
  }
  Images = Value;
  if (Images) {
    Images->RegisterChanges(Link);
    Images->FreeNotification(Client);
  }
  return true;
}

}  // namespace controls_detail

using namespace controls_detail;

// --- Cursors and shift states -----------------------------------------------------------------------

namespace {

struct TCursorName {
  TCursor Value;
  const char16_t* Name;
};
const TCursorName kCursorNames[] = {
    {crDefault, u"crDefault"},   {crNone, u"crNone"},         {crArrow, u"crArrow"},
    {crCross, u"crCross"},       {crIBeam, u"crIBeam"},       {crSizeNESW, u"crSizeNESW"},
    {crSizeNS, u"crSizeNS"},     {crSizeNWSE, u"crSizeNWSE"}, {crSizeWE, u"crSizeWE"},
    {crUpArrow, u"crUpArrow"},   {crHourGlass, u"crHourGlass"}, {crDrag, u"crDrag"},
    {crNoDrop, u"crNoDrop"},     {crHSplit, u"crHSplit"},     {crVSplit, u"crVSplit"},
    {crMultiDrag, u"crMultiDrag"}, {crSQLWait, u"crSQLWait"}, {crNo, u"crNo"},
    {crAppStart, u"crAppStart"}, {crHelp, u"crHelp"},         {crHandPoint, u"crHandPoint"},
    {crSizeAll, u"crSizeAll"}};

bool IdentToCursorFn(const String& Ident, Integer& Value) {
  LongInt v = 0;
  if (!IdentToCursor(Ident, v)) return false;
  Value = v;
  return true;
}
bool CursorToIdentFn(Integer Value, String& Ident) { return CursorToIdent(Value, Ident); }

}  // namespace

Boolean CursorToIdent(LongInt Cursor, String& Ident) {
  for (const TCursorName& n : kCursorNames)
    if (n.Value == Cursor) {
      Ident = n.Name;
      return true;
    }
  return false;
}

Boolean IdentToCursor(const String& Ident, LongInt& Cursor) {
  for (const TCursorName& n : kCursorNames)
    if (SameText(Ident, n.Name)) {
      Cursor = n.Value;
      return true;
    }
  return false;
}

String CursorToString(TCursor Cursor) {
  String s;
  if (CursorToIdent(Cursor, s)) return s;
  return IntToStr(Integer(Cursor));
}

TCursor StringToCursor(const String& S) {
  LongInt v = 0;
  if (IdentToCursor(S, v)) return TCursor(v);
  return TCursor(StrToInt(S));
}

const TTypeInfo* TypeInfoTCursor() {
  static const TTypeInfo* const info = [] {
    const TTypeInfo* t = MakeOrdinalTypeInfo(tkInteger, u"TCursor", otSWord, -32768, 32767);
    RegisterIntegerConsts(t, &IdentToCursorFn, &CursorToIdentFn);
    return t;
  }();
  return info;
}

const TTypeInfo* TypeInfoTEndDragEvent() {
  static const TTypeInfo* const info = MakeMethodTypeInfo(u"TEndDragEvent", TEndDragEvent::SignatureId());
  return info;
}

TShiftState KeysToShiftState(Word Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LongInt KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (uint32_t(KeyData) & 0x20000000u) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

void TWMMouse::SetPos(const TPoint& P) const { Message.LParam = PointToLParam(P); }

String GetShortHint(const String& Hint) {
  size_t i = Hint.find(u'|');
  return i == String::npos ? Hint : Hint.substr(0, i);
}

String GetLongHint(const String& Hint) {
  size_t i = Hint.find(u'|');
  return i == String::npos ? Hint : Hint.substr(i + 1);
}

// --- Finding controls -------------------------------------------------------------------------------

TWinControl* FindControl(HWND Handle) {
  if (!Handle) return nullptr;
  auto it = HandleMap().find(Handle);
  return it == HandleMap().end() ? nullptr : it->second;
}

Boolean IsVCLControl(HWND Handle) { return FindControl(Handle) != nullptr; }

TWinControl* FindVCLWindow(const TPoint& Pos) {
  HWND h = WindowFromPoint(Pos);
  while (h) {
    if (TWinControl* c = FindControl(h)) return c;
    h = GetParent(h);
  }
  return nullptr;
}

TControl* GetCaptureControl() {
  TControl* result = FindControl(GetCapture());
  if (result && CaptureControl && CaptureControl->Parent() == result) result = CaptureControl;
  return result;
}

void SetCaptureControl(TControl* Control) {
  ReleaseCapture();
  CaptureControl = nullptr;
  if (!Control) return;
  if (!Is<TWinControl>(Control)) {
    if (!Control->Parent()) return;
    CaptureControl = Control;
    Control = Control->Parent();
  }
  SetCapture(static_cast<TWinControl*>(Control)->Handle());
}

TWinControl* GetParentFormControl(TControl* Control, Boolean TopForm) {
  TWinControl* found = nullptr;
  TControl* c = Control;
  while (c) {
    if (Is<TWinControl>(c) && static_cast<TWinControl*>(c)->IsFormControl()) {
      found = static_cast<TWinControl*>(c);
      if (!TopForm) return found;
    }
    c = c->Parent();
  }
  return found;
}

namespace {
HWND DragCaptureWindow();
}

Boolean IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  HWND wnd = GetCapture();
  // While a drag runs its capture window hears the keys (Escape cancels it);
  // the focused control drops them.
  if (wnd && wnd == DragCaptureWindow())
    return SendMessageW(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
  if (!wnd) {
    wnd = Msg.hwnd;
    while (wnd && !IsVCLControl(wnd)) wnd = GetParent(wnd);
    if (!wnd) wnd = Msg.hwnd;
  } else if (!IsVCLControl(wnd)) {
    return false;
  }
  if (!wnd) return false;
  return SendMessageW(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

// --- TSizeConstraints -------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TSizeConstraints, P) {
  P.Property(u"MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
  P.Property(u"MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
  P.Property(u"MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0);
  P.Property(u"MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}

void TSizeConstraints::Create(TControl* Control) { FControl = Control; }

void TSizeConstraints::SetMaxHeight(TConstraintSize Value) {
  if (Value == FMaxHeight) return;
  FMaxHeight = Value;
  if (Value > 0 && Value < FMinHeight) FMinHeight = Value;
  Change();
}

void TSizeConstraints::SetMaxWidth(TConstraintSize Value) {
  if (Value == FMaxWidth) return;
  FMaxWidth = Value;
  if (Value > 0 && Value < FMinWidth) FMinWidth = Value;
  Change();
}

void TSizeConstraints::SetMinHeight(TConstraintSize Value) {
  if (Value == FMinHeight) return;
  FMinHeight = Value;
  if (FMaxHeight > 0 && Value > FMaxHeight) FMaxHeight = Value;
  Change();
}

void TSizeConstraints::SetMinWidth(TConstraintSize Value) {
  if (Value == FMinWidth) return;
  FMinWidth = Value;
  if (FMaxWidth > 0 && Value > FMaxWidth) FMaxWidth = Value;
  Change();
}

void TSizeConstraints::Change() {
  if (Assigned(FOnChange)) FOnChange(this);
}

void TSizeConstraints::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TSizeConstraints*>(Dest)) {
    d->FMinHeight = FMinHeight;
    d->FMaxHeight = FMaxHeight;
    d->FMinWidth = FMinWidth;
    d->FMaxWidth = FMaxWidth;
    d->Change();
  } else {
    inherited::AssignTo(Dest);
  }
}

// --- TControlCanvas ---------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TControlCanvas)

void TControlCanvas::Destroy() {
  FreeHandle();
  inherited::Destroy();
}

void TControlCanvas::SetControl(TControl* AControl) {
  if (FControl == AControl) return;
  FreeHandle();
  FControl = AControl;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) {
    inherited::CreateHandle();
    return;
  }
  if (!FDeviceContext) {
    FDeviceContext = FControl->GetDeviceContext(FWindowHandle);
    SetHandle(FDeviceContext);
    UpdateTextFlags();
  }
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  SetHandle(nullptr);
  ReleaseDC(FWindowHandle, FDeviceContext);
  FDeviceContext = nullptr;
  FWindowHandle = nullptr;
}

void TControlCanvas::UpdateTextFlags() {
  if (!FControl) return;
  if (FControl->UseRightToLeftReading())
    SetTextFlags(TextFlags() | ETO_RTLREADING);
  else
    SetTextFlags(TextFlags() & ~Integer(ETO_RTLREADING));
}

// --- TControlActionLink -----------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TControlActionLink)

void TControlActionLink::AssignClient(TObject* AClient) { FClient = As<TControl>(AClient); }

Boolean TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}
Boolean TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
Boolean TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
Boolean TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
Boolean TControlActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && FClient->HelpContext() == CustomAction()->HelpContext();
}
Boolean TControlActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && FAction && FClient->OnClick() == FAction->OnExecute();
}

Boolean TControlActionLink::DoShowHint(String& HintStr) {
  if (TCustomAction* a = CustomAction()) return a->DoHint(HintStr);
  return true;
}

void TControlActionLink::SetCaption(const String& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TControlActionLink::SetEnabled(Boolean Value) {
  if (IsEnabledLinked()) FClient->SetEnabledProp(Value);
}
void TControlActionLink::SetHint(const String& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TControlActionLink::SetVisible(Boolean Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}
void TControlActionLink::SetHelpContext(THelpContext Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}
void TControlActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->SetOnClick(Value);
}

// --- TControl ---------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TControl, P) {
  P.Property(u"Left", &TControl::Left, &TControl::SetLeft);
  P.Property(u"Top", &TControl::Top, &TControl::SetTop);
  P.Property(u"Width", &TControl::Width, &TControl::SetWidth);
  P.Property(u"Height", &TControl::Height, &TControl::SetHeight);
  P.Property(u"Cursor", &TControl::Cursor, &TControl::SetCursor).Type(TypeInfoTCursor()).Default(TCursor(crDefault));
  P.Property(u"Hint", &TControl::Hint, &TControl::SetHint).Stored(&TControl::IsHintStored);
  P.Property(u"HelpType", &TControl::HelpType, &TControl::SetHelpType).Default(htContext);
  P.Property(u"HelpKeyword", &TControl::HelpKeyword, &TControl::SetHelpKeyword);
  P.Property(u"HelpContext", &TControl::HelpContext, &TControl::SetHelpContext)
      .Stored(&TControl::IsHelpContextStored)
      .Default(0);
}

void TControl::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FWindowProc = TWndMethod(this, &TControl::WndProc);
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FFont = New<TFont>();
  FFont->SetOnChange(TNotifyEvent(this, &TControl::FontChanged));
  FFontHeight = FFont->Height();
  FAnchors = TAnchors{akLeft, akTop};
  FConstraints = New<TSizeConstraints>(this);
  FConstraints->SetOnChange(TNotifyEvent(this, &TControl::DoConstraintsChange));
  FColor = clWindow;
  FVisible = true;
  FEnabled = true;
  FParentFont = true;
  FParentColor = true;
  FParentShowHint = true;
  FParentBiDiMode = true;
  FDragCursor = crDrag;
  FHelpType = htContext;
}

void TControl::Destroy() {
  ControlDestroyed(this);
  if (Dragging()) CancelDrag();
  SetParent(nullptr);
  FreeAndNil(FActionLink);
  FreeAndNil(FConstraints);
  FreeAndNil(FFont);
  inherited::Destroy();
}

// Messages.

LRESULT TControl::Perform(Cardinal Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  m.Result = 0;
  if (Assigned(FWindowProc))
    FWindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST) {
    // Forms see their children's keys first through their own hooks.
  } else if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
    if (!FControlStyle.Contains(csDoubleClicks)) switch (Message.Msg) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN; break;
      }
    switch (Message.Msg) {
      case WM_MOUSEMOVE:
        if (ApplicationHintMouseMessage) ApplicationHintMouseMessage(this, Message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (FDragMode == dmAutomatic && !ComponentState().Contains(csDesigning)) {
          BeginAutoDrag();
          return;
        }
        FControlState.Include(csLButtonDown);
        break;
      case WM_LBUTTONUP: FControlState.Exclude(csLButtonDown); break;
    }
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_NCLBUTTONDOWN: WMNCLButtonDown(Message); break;
    case WM_RBUTTONDOWN: WMRButtonDown(Message); break;
    case WM_MBUTTONDOWN: WMMButtonDown(Message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); break;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case WM_RBUTTONUP: WMRButtonUp(Message); break;
    case WM_MBUTTONUP: WMMButtonUp(Message); break;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); break;
    case WM_CANCELMODE: WMCancelMode(Message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_HITTEST: CMHitTest(Message); break;
    case CM_MOUSEENTER: CMMouseEnter(Message); break;
    case CM_MOUSELEAVE: CMMouseLeave(Message); break;
    case CM_DESIGNHITTEST: CMDesignHitTest(Message); break;
    case CM_HINTSHOW: CMHintShow(Message); break;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(Message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
    case CM_DRAG: CMDrag(Message); break;
    case CM_FLOAT: CMFloat(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      Char* buf = reinterpret_cast<Char*>(Message.LParam);
      size_t cap = size_t(Message.WParam);
      if (!buf || cap == 0) {
        Message.Result = 0;
        break;
      }
      size_t n = std::min(cap - 1, FText.size());
      std::copy(FText.begin(), FText.begin() + ptrdiff_t(n), buf);
      buf[n] = 0;
      Message.Result = LRESULT(n);
      break;
    }
    case WM_GETTEXTLENGTH: Message.Result = LRESULT(FText.size()); break;
    case WM_SETTEXT: {
      const Char* p = reinterpret_cast<const Char*>(Message.LParam);
      FText = p ? String(p) : String();
      Message.Result = 1;
      break;
    }
    default: inherited::DefaultHandler(Message);
  }
}

// Mouse messages.

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(Message);
  TShiftState s = KeysToShiftState(Word(m.Keys()));
  for (int i = 0; i < 16; ++i)
    if (Shift.Contains(TShiftStateItem(i))) s.Include(TShiftStateItem(i));
  MouseDown(Button, s, m.XPos(), m.YPos());
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(Message);
  MouseUp(Button, KeysToShiftState(Word(m.Keys())), m.XPos(), m.YPos());
}

void TControl::WMLButtonDown(TMessage& Message) {
  SendCancelMode(this);
  inherited::Dispatch(Message);
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
  DoMouseDown(Message, mbLeft, TShiftState{});
}

void TControl::WMNCLButtonDown(TMessage& Message) {
  SendCancelMode(this);
  inherited::Dispatch(Message);
}

void TControl::WMRButtonDown(TMessage& Message) {
  inherited::Dispatch(Message);
  DoMouseDown(Message, mbRight, TShiftState{});
}

void TControl::WMMButtonDown(TMessage& Message) {
  inherited::Dispatch(Message);
  DoMouseDown(Message, mbMiddle, TShiftState{});
}

void TControl::WMLButtonDblClk(TMessage& Message) {
  SendCancelMode(this);
  inherited::Dispatch(Message);
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) DblClick();
  DoMouseDown(Message, mbLeft, TShiftState{ssDouble});
}

void TControl::WMRButtonDblClk(TMessage& Message) {
  inherited::Dispatch(Message);
  DoMouseDown(Message, mbRight, TShiftState{ssDouble});
}

void TControl::WMMButtonDblClk(TMessage& Message) {
  inherited::Dispatch(Message);
  DoMouseDown(Message, mbMiddle, TShiftState{ssDouble});
}

void TControl::WMMouseMove(TMessage& Message) {
  inherited::Dispatch(Message);
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(Message);
  MouseMove(KeysToShiftState(Word(m.Keys())), m.XPos(), m.YPos());
}

void TControl::WMLButtonUp(TMessage& Message) {
  // The window's own handling may click the control, whose OnClick may free it.
  TWeakRef<TControl> self(this);
  inherited::Dispatch(Message);
  if (!self) return;
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (FControlState.Contains(csClicked)) {
    FControlState.Exclude(csClicked);
    TWMMouse m(Message);
    TRect r = ClientRect();
    if (m.XPos() >= r.Left && m.XPos() < r.Right && m.YPos() >= r.Top && m.YPos() < r.Bottom) Click();
  }
  DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonUp(TMessage& Message) {
  inherited::Dispatch(Message);
  DoMouseUp(Message, mbRight);
}

void TControl::WMMButtonUp(TMessage& Message) {
  inherited::Dispatch(Message);
  DoMouseUp(Message, mbMiddle);
}

namespace {
// Set while a wheel that no control handled goes from a child control's
// native window up through its window parents: CM_MOUSEWHEEL went up
// through those controls already, so they only pass it on natively.
Boolean WheelPassedUp = false;
}  // namespace

void TControl::WMMouseWheel(TMessage& Message) {
  if (!WheelPassedUp) {
    // The MK_ keys in WParam's low word become the shift state.
    TShiftState s = KeysToShiftState(Word(Message.WParam & 0xFFFF));
    Message.WParam = (Message.WParam & ~WPARAM(0xFFFF)) | WPARAM(Word(s.ToInt()));
    MouseWheelHandler(Message);
    if (Message.Result != 0) return;
  }
  // Unhandled: the control's own window has its turn (a native list box
  // scrolls); the default procedure passes the wheel on to the parent
  // window. The top control of the tree passes it on with the mark cleared,
  // so that a window hosting the tree gets its full turn.
  const Boolean passedUp = WheelPassedUp;
  WheelPassedUp = FParent != nullptr;
  Finally restore([&] { WheelPassedUp = passedUp; });
  inherited::Dispatch(Message);
}

void TControl::MouseWheelHandler(TMessage& Message) {
  TWinControl* form = GetParentFormControl(this);
  if (form && form != this)
    form->MouseWheelHandler(Message);
  else
    Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::CMMouseWheel(TMessage& Message) {
  TCMMouseWheel m(Message);
  Message.Result = 0;
  if (DoMouseWheel(m.ShiftState(), m.WheelDelta(), m.Pos()))
    Message.Result = 1;
  else if (FParent)
    Message.Result = static_cast<TControl*>(FParent)->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::WMCancelMode(TMessage& Message) {
  inherited::Dispatch(Message);
  if (GetCaptureControl() == this) SetMouseCapture(false);
  FControlState.Exclude(csClicked);
}

void TControl::WMWindowPosChanged(TMessage& Message) { inherited::Dispatch(Message); }

void TControl::WMContextMenu(TMessage& Message) {
  if (Message.Result != 0) return;
  if (ComponentState().Contains(csDesigning)) return;
  TWMContextMenu m(Message);
  TPoint pt = m.Pos();
  bool invalid = pt.X == -1 && pt.Y == -1;
  TPoint temp = invalid ? pt : ScreenToClient(pt);
  Boolean handled = false;
  DoContextPopup(temp, handled);
  Message.Result = handled ? 1 : 0;
  if (handled) return;
  if (TPopupMenu* menu = GetPopupMenu()) {
    if (invalid) pt = ClientToScreen(TPoint{0, 0});
    SendCancelMode(nullptr);
    if (PopupMenuPopupHook && PopupMenuPopupHook(menu, this, pt.X, pt.Y)) Message.Result = 1;
  }
  if (Message.Result == 0) inherited::Dispatch(Message);
}

void TControl::SendCancelMode(TControl* Sender) {
  TWinControl* focused = FindControl(GetFocus());
  if (focused && focused != Sender && focused != this) focused->Perform(CM_CANCELMODE, 0, LPARAM(Sender));
}

// Input virtuals.

void TControl::Click() {
  TBasicAction* action = GetAction();
  if (Assigned(FOnClick) && action && !(FOnClick == action->OnExecute()))
    FOnClick(this);
  else if (!ComponentState().Contains(csDesigning) && FActionLink)
    FActionLink->Execute(this);
  else if (Assigned(FOnClick))
    FOnClick(this);
}

void TControl::DblClick() {
  if (Assigned(FOnDblClick)) FOnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Assigned(FOnMouseDown)) FOnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (Assigned(FOnMouseMove)) FOnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Assigned(FOnMouseUp)) FOnMouseUp(this, Button, Shift, X, Y);
}

Boolean TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  Boolean result = false;
  if (Assigned(FOnMouseWheel)) FOnMouseWheel(this, Shift, WheelDelta, MousePos, result);
  if (!result) {
    // Whole notches run the up/down steps; the rest waits for the next message.
    FWheelAccumulator += WheelDelta;
    while (std::abs(FWheelAccumulator) >= WHEEL_DELTA) {
      bool neg = FWheelAccumulator < 0;
      FWheelAccumulator = std::abs(FWheelAccumulator) - WHEEL_DELTA;
      if (neg) {
        if (FWheelAccumulator != 0) FWheelAccumulator = -FWheelAccumulator;
        result = DoMouseWheelDown(Shift, MousePos);
      } else {
        result = DoMouseWheelUp(Shift, MousePos);
      }
    }
  }
  return result;
}

Boolean TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  Boolean result = false;
  if (Assigned(FOnMouseWheelDown)) FOnMouseWheelDown(this, Shift, MousePos, result);
  return result;
}

Boolean TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  Boolean result = false;
  if (Assigned(FOnMouseWheelUp)) FOnMouseWheelUp(this, Shift, MousePos, result);
  return result;
}

void TControl::DoContextPopup(TPoint MousePos, Boolean& Handled) {
  if (Assigned(FOnContextPopup)) FOnContextPopup(this, MousePos, Handled);
}

TPopupMenu* TControl::GetPopupMenu() { return FPopupMenu; }

void TControl::SetPopupMenu(TPopupMenu* Value) {
  FPopupMenu = Value;
  TComponent* c = Value && PopupMenuComponentHook ? PopupMenuComponentHook(Value) : nullptr;
  if (c) c->FreeNotification(this);
}

Boolean TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(Boolean Value) {
  if (MouseCapture() != Value) SetCaptureControl(Value ? this : nullptr);
}

// Component messages.

void TControl::CMVisibleChanged(TMessage& Message) {
  InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque));
}

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMParentFontChanged(TMessage& Message) {
  if (!FParentFont) return;
  if (Message.WParam != 0)
    SetFont(reinterpret_cast<TFont*>(Message.LParam));
  else if (FParent)
    SetFont(static_cast<TControl*>(FParent)->FFont);
  FParentFont = true;
}

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!FParentColor) return;
  if (Message.WParam != 0)
    SetColor(TColor(Message.LParam));
  else if (FParent)
    SetColor(static_cast<TControl*>(FParent)->FColor);
  FParentColor = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!FParentShowHint || !FParent) return;
  SetShowHint(static_cast<TControl*>(FParent)->FShowHint);
  FParentShowHint = true;
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (!FParentBiDiMode) return;
  if (FParent) SetBiDiMode(static_cast<TControl*>(FParent)->FBiDiMode);
  FParentBiDiMode = true;
}

void TControl::CMHitTest(TMessage& Message) { Message.Result = HTCLIENT; }

void TControl::CMMouseEnter(TMessage& Message) {
  if (FParent) {
    // The parent's handling (its mouse events) may free this control.
    TWeakRef<TControl> self(this);
    static_cast<TControl*>(FParent)->Perform(CM_MOUSEENTER, 0, LPARAM(this));
    if (!self) return;
  }
  if (Message.LParam == 0) {
    FMouseInControl = true;
    if (Assigned(FOnMouseEnter)) FOnMouseEnter(this);
  }
}

void TControl::CMMouseLeave(TMessage& Message) {
  if (FParent) {
    // The parent's handling (its mouse events) may free this control.
    TWeakRef<TControl> self(this);
    static_cast<TControl*>(FParent)->Perform(CM_MOUSELEAVE, 0, LPARAM(this));
    if (!self) return;
  }
  if (Message.LParam == 0) {
    FMouseInControl = false;
    if (Assigned(FOnMouseLeave)) FOnMouseLeave(this);
  }
}

void TControl::CMDesignHitTest(TMessage& Message) { Message.Result = 0; }

void TControl::CMHintShow(TMessage& Message) {
  TCMHintShow m(Message);
  if (FActionLink && m.HintInfo() && !FActionLink->DoShowHint(m.HintInfo()->HintStr)) Message.Result = 1;
}

// Placement.

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (static_cast<TControl*>(AParent) == this) throw EInvalidOperation(u"A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) {
    AParent->InsertControl(this);
    UpdateAnchorRules();
  }
}

void TControl::SetLeft(Integer Value) {
  SetBounds(Value, FTop, FWidth, FHeight);
  if (ComponentState().Contains(csLoading)) FScalingFlags.Include(sfLeft);
}

void TControl::SetTop(Integer Value) {
  SetBounds(FLeft, Value, FWidth, FHeight);
  if (ComponentState().Contains(csLoading)) FScalingFlags.Include(sfTop);
}

void TControl::SetWidth(Integer Value) {
  SetBounds(FLeft, FTop, Value, FHeight);
  if (ComponentState().Contains(csLoading)) FScalingFlags.Include(sfWidth);
}

void TControl::SetHeight(Integer Value) {
  SetBounds(FLeft, FTop, FWidth, Value);
  if (ComponentState().Contains(csLoading)) FScalingFlags.Include(sfHeight);
}

void TControl::SetBoundsRect(const TRect& Rect) {
  SetBounds(Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
}

namespace controls_detail {

void ClampBounds(Integer& ALeft, Integer& ATop, Integer& AWidth, Integer& AHeight) {
  // The window layer's coordinate range; sums of two stay far from overflow.
  constexpr Integer kMax = 1 << 24;
  ALeft = std::clamp(ALeft, -kMax, kMax);
  ATop = std::clamp(ATop, -kMax, kMax);
  AWidth = std::clamp(AWidth, 0, kMax);
  AHeight = std::clamp(AHeight, 0, kMax);
}

}  // namespace controls_detail

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  ClampBounds(ALeft, ATop, AWidth, AHeight);
  if (!CheckNewSize(AWidth, AHeight)) {
    // A refused size keeps the current one; the position still changes.
    AWidth = FWidth;
    AHeight = FHeight;
  }
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  InvalidateControl(FVisible, false);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  UpdateAnchorRules();
  Invalidate();
  Perform(WM_WINDOWPOSCHANGED, 0, 0);
  RequestAlign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

Boolean TControl::CheckNewSize(Integer& NewWidth, Integer& NewHeight) {
  Integer w = NewWidth, h = NewHeight;
  if (!DoCanResize(w, h)) return false;
  Integer w2 = w, h2 = h;
  bool ok = !FAutoSize || (DoCanAutoSize(w2, h2) && w2 == w && h2 == h) || DoCanResize(w2, h2);
  if (ok) {
    NewWidth = w2;
    NewHeight = h2;
  }
  return ok;
}

Boolean TControl::DoCanResize(Integer& NewWidth, Integer& NewHeight) {
  Boolean result = CanResize(NewWidth, NewHeight);
  if (result) DoConstrainedResize(NewWidth, NewHeight);
  return result;
}

Boolean TControl::DoCanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  Integer w = NewWidth, h = NewHeight;
  Boolean result = FAlign != alClient && CanAutoSize(w, h);
  if (result) {
    if (FAlign != alLeft && FAlign != alRight) NewWidth = w;
    if (FAlign != alTop && FAlign != alBottom) NewHeight = h;
  }
  return result;
}

void TControl::DoConstrainedResize(Integer& NewWidth, Integer& NewHeight) {
  Integer minW = FConstraints->MinWidth() > 0 ? FConstraints->MinWidth() : 0;
  Integer minH = FConstraints->MinHeight() > 0 ? FConstraints->MinHeight() : 0;
  Integer maxW = FConstraints->MaxWidth() > 0 ? FConstraints->MaxWidth() : 0;
  Integer maxH = FConstraints->MaxHeight() > 0 ? FConstraints->MaxHeight() : 0;
  ConstrainedResize(minW, minH, maxW, maxH);
  // The maximum first; the minimum only when the maximum did not apply.
  if (maxW > 0 && NewWidth > maxW)
    NewWidth = maxW;
  else if (minW > 0 && NewWidth < minW)
    NewWidth = minW;
  if (maxH > 0 && NewHeight > maxH)
    NewHeight = maxH;
  else if (minH > 0 && NewHeight < minH)
    NewHeight = minH;
}

Boolean TControl::CanResize(Integer& NewWidth, Integer& NewHeight) {
  Boolean result = true;
  if (Assigned(FOnCanResize)) FOnCanResize(this, NewWidth, NewHeight, result);
  return result;
}

Boolean TControl::CanAutoSize(Integer&, Integer&) { return true; }

void TControl::ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
  if (Assigned(FOnConstrainedResize)) FOnConstrainedResize(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

void TControl::DoConstraintsChange(TObject*) { AdjustSize(); }

void TControl::AdjustSize() {
  if (!ComponentState().Contains(csLoading)) SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetAutoSize(Boolean Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) AdjustSize();
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::Resize() {
  if (Assigned(FOnResize)) FOnResize(this);
}

void TControl::SetClientWidth(Integer Value) { SetClientSize(TPoint{Value, ClientHeight()}); }
void TControl::SetClientHeight(Integer Value) { SetClientSize(TPoint{ClientWidth(), Value}); }

void TControl::SetClientSize(const TPoint& Value) {
  TRect client = GetClientRect();
  SetBounds(FLeft, FTop, FWidth - client.Right + Value.X, FHeight - client.Bottom + Value.Y);
}

TRect TControl::GetClientRect() { return TRect{0, 0, FWidth, FHeight}; }

TPoint TControl::GetClientOrigin() {
  if (!FParent) throw EInvalidOperation(u"Control '" + Name() + u"' has no parent window");
  TPoint p = FParent->ClientOrigin();
  return TPoint{p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(const TPoint& Point) {
  TPoint o = ClientOrigin();
  return TPoint{Point.X + o.X, Point.Y + o.Y};
}

TPoint TControl::ScreenToClient(const TPoint& Point) {
  TPoint o = ClientOrigin();
  return TPoint{Point.X - o.X, Point.Y - o.Y};
}

TPoint TControl::ClientToParent(const TPoint& Point, TWinControl* AParent) {
  if (!AParent) AParent = FParent;
  if (!AParent) throw EInvalidOperation(u"Control '" + Name() + u"' has no parent window");
  TPoint r = Point;
  TControl* c = this;
  while (c && c != AParent) {
    r.X += c->FLeft;
    r.Y += c->FTop;
    c = c->FParent;
  }
  if (!c) throw EInvalidOperation(u"Control '" + Name() + u"' is not a child of '" + AParent->Name() + u"'");
  return r;
}

TPoint TControl::ParentToClient(const TPoint& Point, TWinControl* AParent) {
  TPoint o = ClientToParent(TPoint{0, 0}, AParent);
  return TPoint{Point.X - o.X, Point.Y - o.Y};
}

void TControl::UpdateBoundsRect(const TRect& R) {
  UpdateAnchorRules();
  FLeft = R.Left;
  FTop = R.Top;
  FWidth = R.Right - R.Left;
  FHeight = R.Bottom - R.Top;
}

void TControl::UpdateAnchorRules() {
  if (FAnchorMove || ComponentState().Contains(csLoading)) return;
  if (FAnchors == TAnchors{akLeft, akTop}) {
    FOriginalParentSize = TPoint{0, 0};
    return;
  }
  if (FAnchors.Contains(akRight))
    FAnchorRules.X = FAnchors.Contains(akLeft) ? FWidth : FLeft;
  else
    FAnchorRules.X = FLeft + FWidth / 2;
  if (FAnchors.Contains(akBottom))
    FAnchorRules.Y = FAnchors.Contains(akTop) ? FHeight : FTop;
  else
    FAnchorRules.Y = FTop + FHeight / 2;
  if (FParent) {
    if (FParent->HandleAllocated()) {
      TRect r = FParent->ClientRect();
      FOriginalParentSize = TPoint{r.Right, r.Bottom};
    } else {
      FOriginalParentSize = TPoint{FParent->Width(), FParent->Height()};
    }
  }
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  TAlign old = FAlign;
  FAlign = Value;
  static const TAnchors kAnchorAlign[] = {TAnchors{akLeft, akTop},
                                          TAnchors{akLeft, akTop, akRight},
                                          TAnchors{akLeft, akRight, akBottom},
                                          TAnchors{akLeft, akTop, akBottom},
                                          TAnchors{akRight, akTop, akBottom},
                                          TAnchors{akLeft, akTop, akRight, akBottom},
                                          TAnchors{akLeft, akTop}};
  FAnchors = kAnchorAlign[Value];
  if (!ComponentState().Contains(csLoading) && Value != alCustom && old != alCustom) {
    // A control turning between horizontal and vertical alignment swaps its sides.
    bool oldVert = old == alTop || old == alBottom;
    bool newHorz = Value == alLeft || Value == alRight;
    if (oldVert == newHorz && old != alNone && old != alClient && Value != alNone && Value != alClient)
      SetBounds(FLeft, FTop, FHeight, FWidth);
  }
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  if (FAnchors == Value) return;
  FAnchors = Value;
  if (!ComponentState().Contains(csLoading)) UpdateAnchorRules();
}

void TControl::BringToFront() { SetZOrder(true); }
void TControl::SendToBack() { SetZOrder(false); }

void TControl::SetZOrder(Boolean TopMost) {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  if (TopMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  InvalidateControl(FVisible, true);
}

// Appearance.

void TControl::SetVisible(Boolean Value) {
  if (FVisible == Value) return;
  VisibleChanging();
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::VisibleChanging() {}

void TControl::Show() {
  if (FParent) FParent->ShowControl(this);
  if (!ComponentState().Contains(csDesigning) || !FControlStyle.Contains(csNoDesignVisible)) SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

Boolean TControl::GetEnabled() { return FEnabled; }

void TControl::SetEnabled(Boolean Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::Changed() { Perform(CM_CHANGED, 0, LPARAM(this)); }

void TControl::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(Boolean Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*) {
  FParentFont = false;
  FDesktopFont = false;
  if (FFont->Height() != FFontHeight) {
    FScalingFlags.Include(sfFont);
    FFontHeight = FFont->Height();
  }
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(Boolean Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetDesktopFont(Boolean Value) { FDesktopFont = Value; }

void TControl::SetShowHint(Boolean Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(Boolean Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode Value) {
  if (FBiDiMode == Value) return;
  FBiDiMode = Value;
  FParentBiDiMode = false;
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(Boolean Value) {
  if (FParentBiDiMode == Value) return;
  FParentBiDiMode = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

Boolean TControl::IsRightToLeft() { return SysLocaleMiddleEast && FBiDiMode != bdLeftToRight; }
Boolean TControl::UseRightToLeftReading() { return SysLocaleMiddleEast && FBiDiMode != bdLeftToRight; }
Boolean TControl::UseRightToLeftAlignment() { return SysLocaleMiddleEast && FBiDiMode == bdRightToLeft; }
Boolean TControl::UseRightToLeftScrollBar() {
  return SysLocaleMiddleEast && (FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign);
}

LongInt TControl::DrawTextBiDiModeFlags(LongInt Flags) {
  LongInt r = Flags;
  if (UseRightToLeftAlignment()) {
    if ((r & DT_RIGHT) == DT_RIGHT)
      r &= ~LongInt(DT_RIGHT);
    else if ((r & DT_CENTER) == 0)
      r |= DT_RIGHT;
  }
  r |= DrawTextBiDiModeFlagsReadingOnly();
  return r;
}

LongInt TControl::DrawTextBiDiModeFlagsReadingOnly() { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

TAlignment TControl::GetControlsAlignment() { return taLeftJustify; }

// Text.

const TCaption& TControl::GetText() {
  Integer len = GetTextLen();
  String buf(size_t(len) + 1, u'\0');
  Integer got = GetTextBuf(buf.data(), len + 1);
  buf.resize(size_t(std::max(0, std::min(got, len))));
  FText = buf;
  return FText;
}

void TControl::SetText(const TCaption& Value) {
  if (GetText() == Value) return;
  SetTextBuf(Value.c_str());
}

Integer TControl::GetTextLen() { return Integer(Perform(WM_GETTEXTLENGTH, 0, 0)); }

Integer TControl::GetTextBuf(Char* Buffer, Integer BufSize) {
  return Integer(Perform(WM_GETTEXT, WPARAM(BufSize), LPARAM(Buffer)));
}

void TControl::SetTextBuf(const Char* Buffer) {
  Perform(WM_SETTEXT, 0, LPARAM(Buffer));
  Perform(CM_TEXTCHANGED, 0, 0);
}

// Painting.

void TControl::InvalidateControl(Boolean IsVisible, Boolean IsOpaque) {
  if ((IsVisible || (ComponentState().Contains(csDesigning) && !FControlStyle.Contains(csNoDesignVisible))) &&
      FParent && FParent->HandleAllocated()) {
    RECT r = BoundsRect();
    InvalidateRect(FParent->Handle(), &r, !(IsOpaque || FParent->ControlStyle().Contains(csOpaque)));
  }
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!(FVisible || ComponentState().Contains(csDesigning)) || !FParent || !FParent->HandleAllocated()) return;
  if (FControlStyle.Contains(csOpaque)) {
    HDC dc = GetDC(FParent->Handle());
    IntersectClipRect(dc, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
    FParent->PaintControls(dc, this);
    ReleaseDC(FParent->Handle(), dc);
  } else {
    Invalidate();
    Update();
  }
}

HDC TControl::GetDeviceContext(HWND& WindowHandle) {
  if (!FParent) throw EInvalidOperation(u"Control '" + Name() + u"' has no parent window");
  HDC dc = FParent->GetDeviceContext(WindowHandle);
  SetViewportOrgEx(dc, FLeft, FTop, nullptr);
  IntersectClipRect(dc, 0, 0, FWidth, FHeight);
  return dc;
}

// Actions.

TBasicAction* TControl::GetAction() { return FActionLink ? FActionLink->Action() : nullptr; }

TControlActionLinkClass TControl::GetActionLinkClass() { return ClassOf<TControlActionLink>(); }

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    FreeAndNil(FActionLink);
    FControlStyle.Exclude(csActionClient);
    return;
  }
  FControlStyle.Include(csActionClient);
  if (!FActionLink)
    FActionLink = static_cast<TControlActionLink*>(
        CreateFrom(TClass(GetActionLinkClass()), &TBasicActionLink::Create, static_cast<TObject*>(this)));
  FActionLink->SetAction(Value);
  FActionLink->SetOnChange(TNotifyEvent(this, &TControl::DoActionChange));
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TControl::DoActionChange(TObject* Sender) {
  if (Sender == GetAction()) ActionChange(Sender, false);
}

void TControl::ActionChange(TObject* Sender, Boolean CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(a->Caption());
  if (!CheckDefaults || Enabled()) SetEnabled(a->Enabled());
  if (!CheckDefaults || FHint.empty()) SetHint(a->Hint());
  if (!CheckDefaults || FVisible) SetVisible(a->Visible());
  if (!CheckDefaults || !Assigned(FOnClick)) SetOnClick(a->OnExecute());
  if (!CheckDefaults || FHelpContext == 0) SetHelpContext(a->HelpContext());
}

void TControl::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

Boolean TControl::ExecuteAction(TBasicAction* Action) {
  if (Action->HandlesTarget(this)) {
    Action->ExecuteTarget(this);
    return true;
  }
  return false;
}

Boolean TControl::UpdateAction(TBasicAction* Action) {
  if (Action->HandlesTarget(this)) {
    Action->UpdateTarget(this);
    return true;
  }
  return false;
}

Boolean TControl::IsCaptionStored() { return !FActionLink || !FActionLink->IsCaptionLinked(); }
Boolean TControl::IsEnabledStored() { return !FActionLink || !FActionLink->IsEnabledLinked(); }
Boolean TControl::IsHintStored() { return !FActionLink || !FActionLink->IsHintLinked(); }
Boolean TControl::IsHelpContextStored() { return !FActionLink || !FActionLink->IsHelpContextLinked(); }
Boolean TControl::IsShowHintStored() { return !FParentShowHint; }
Boolean TControl::IsVisibleStored() { return !FActionLink || !FActionLink->IsVisibleLinked(); }
Boolean TControl::IsOnClickStored() { return !FActionLink || !FActionLink->IsOnExecuteLinked(); }
Boolean TControl::IsColorStored() { return !FParentColor; }
Boolean TControl::IsFontStored() { return !FParentFont && !FDesktopFont; }
Boolean TControl::IsBiDiModeStored() { return !FParentBiDiMode; }

// Components.

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FPopupMenu && PopupMenuComponentHook && PopupMenuComponentHook(FPopupMenu) == AComponent)
    FPopupMenu = nullptr;
  else if (AComponent == static_cast<TComponent*>(GetAction()))
    SetAction(nullptr);
}

void TControl::Loaded() {
  inherited::Loaded();
  if (TBasicAction* a = GetAction()) ActionChange(a, true);
  UpdateAnchorRules();
}

void TControl::ReadState(TReader* Reader) {
  FControlState.Include(csReadingState);
  // The reader names the parent of the component it reads (itself for a root).
  auto* p = dynamic_cast<TWinControl*>(Reader->Parent());
  if (p && static_cast<TControl*>(p) != this) SetParent(p);
  inherited::ReadState(Reader);
  FControlState.Exclude(csReadingState);
  if (FParent) {
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
    Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    Perform(CM_SYSFONTCHANGED, 0, 0);
    Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
  }
}

void TControl::SetName(const String& Value) {
  // A control whose caption follows its name keeps following it.
  bool changeText = FControlStyle.Contains(csSetCaption) && !ComponentState().Contains(csLoading) &&
                    Name() == GetText() && (!Owner() || !Is<TControl>(Owner()) ||
                                            !Owner()->ComponentState().Contains(csLoading));
  inherited::SetName(Value);
  if (changeText) SetText(Value);
}

void TControl::DefineProperties(TFiler* Filer) { inherited::DefineProperties(Filer); }

void TControl::AssignTo(TPersistent* Dest) { inherited::AssignTo(Dest); }

Boolean TControl::HasParent() { return true; }

TComponent* TControl::GetParentComponent() { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) {
    if (w != FParent) SetParent(w);
  }
}

void TControl::ChangeScale(Integer M, Integer D) {
  if (M != D) {
    TScalingFlags flags = ComponentState().Contains(csLoading)
                              ? FScalingFlags
                              : TScalingFlags{sfLeft, sfTop, sfWidth, sfHeight, sfFont};
    Integer x = flags.Contains(sfLeft) ? MulDiv(FLeft, M, D) : FLeft;
    Integer y = flags.Contains(sfTop) ? MulDiv(FTop, M, D) : FTop;
    Integer w = FWidth, h = FHeight;
    if (flags.Contains(sfWidth) && !FControlStyle.Contains(csFixedWidth))
      w = flags.Contains(sfLeft) ? MulDiv(FLeft + FWidth, M, D) - x : MulDiv(FWidth, M, D);
    if (flags.Contains(sfHeight) && !FControlStyle.Contains(csFixedHeight))
      h = flags.Contains(sfTop) ? MulDiv(FTop + FHeight, M, D) - y : MulDiv(FHeight, M, D);
    if (FConstraints->MinWidth() > 0) FConstraints->SetMinWidth(MulDiv(FConstraints->MinWidth(), M, D));
    if (FConstraints->MaxWidth() > 0) FConstraints->SetMaxWidth(MulDiv(FConstraints->MaxWidth(), M, D));
    if (FConstraints->MinHeight() > 0) FConstraints->SetMinHeight(MulDiv(FConstraints->MinHeight(), M, D));
    if (FConstraints->MaxHeight() > 0) FConstraints->SetMaxHeight(MulDiv(FConstraints->MaxHeight(), M, D));
    SetBounds(x, y, w, h);
    if (flags.Contains(sfLeft) || flags.Contains(sfWidth))
      FOriginalParentSize.X = MulDiv(FOriginalParentSize.X, M, D);
    if (flags.Contains(sfTop) || flags.Contains(sfHeight))
      FOriginalParentSize.Y = MulDiv(FOriginalParentSize.Y, M, D);
    if (!FParentFont && flags.Contains(sfFont)) FFont->SetSize(MulDiv(FFont->Size(), M, D));
  }
  FScalingFlags = TScalingFlags{};
}

// --- Drag and drop ----------------------------------------------------------------------------------

namespace {

TControl* gDragControl = nullptr;
TDragObject* gDragObject = nullptr;
bool gDragActive = false;
bool gDragFreeObject = false;
TPoint gDragStartPos{};
Integer gDragThreshold = 0;
HWND gDragCapture = nullptr;

LRESULT DragMessage(HWND Handle, TDragMessage Msg, TDragObject* Source, void* Target, const TPoint& Pos) {
  if (!Handle) return 0;
  TDragRec rec;
  rec.Pos = Pos;
  rec.Target = Target;
  rec.Source = Source;
  return SendMessageW(Handle, CM_DRAG, WPARAM(Msg), LPARAM(&rec));
}

bool DoDragOver(TDragMessage Msg) {
  if (!gDragObject || !gDragObject->DragTarget()) return false;
  return DragMessage(gDragObject->DragHandle(), Msg, gDragObject, gDragObject->DragTarget(),
                     gDragObject->DragPos()) != 0;
}

// The control under Pos that takes part in drag and drop, and its window.
TControl* DragFindTarget(const TPoint& Pos, HWND& Handle) {
  Handle = WindowFromPoint(Pos);
  TWinControl* w = nullptr;
  while (Handle && !(w = FindControl(Handle))) Handle = GetParent(Handle);
  if (!w) {
    Handle = nullptr;
    return nullptr;
  }
  TDragRec rec;
  rec.Pos = Pos;
  rec.Source = gDragObject;
  LRESULT r = SendMessageW(Handle, CM_DRAG, WPARAM(dmFindTarget), LPARAM(&rec));
  return reinterpret_cast<TControl*>(r);
}

void DragCaptureProc(TMessage& Message);

struct TDragCaptureSink {
  void Proc(TMessage& Message) { DragCaptureProc(Message); }
};
TDragCaptureSink gSink;

void DragCaptureProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE: {
      TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      ClientToScreen(gDragCapture, &p);
      DragTo(p);
      break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: DragDone(true); break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(Message.LParam) != gDragCapture) DragDone(false);
      break;
    case WM_KEYDOWN:
      if (Message.WParam == VK_ESCAPE) DragDone(false);
      break;
    case CN_KEYDOWN:
      if (Message.WParam == VK_ESCAPE) {
        Message.Result = 1;  // consumed
        DragDone(false);
      }
      break;
    case CN_CHAR:
    case CN_KEYUP:
    case CN_SYSKEYDOWN:
    case CN_SYSCHAR:
    case CN_BASE + WM_SYSKEYUP:
      break;  // not handled: the key goes on
    default: Message.Result = DefWindowProcW(gDragCapture, Message.Msg, Message.WParam, Message.LParam);
  }
}

HWND DragCaptureWindow() { return gDragCapture; }

}  // namespace

CL_IMPLEMENT_CLASS(TDragObject)
CL_IMPLEMENT_CLASS(TDragObjectEx)
CL_IMPLEMENT_CLASS(TBaseDragControlObject)
CL_IMPLEMENT_CLASS(TDragControlObject)
CL_IMPLEMENT_CLASS(TDragControlObjectEx)
CL_IMPLEMENT_CLASS(TDragDockObject)

void TDragObject::Create() {}

void TDragObject::Assign(TDragObject* Source) {
  FDragTarget = Source->FDragTarget;
  FDragHandle = Source->FDragHandle;
  FDragPos = Source->FDragPos;
  FDragTargetPos = Source->FDragTargetPos;
  FMouseDeltaX = Source->FMouseDeltaX;
  FMouseDeltaY = Source->FMouseDeltaY;
}

TCursor TDragObject::GetDragCursor(Boolean Accepted, Integer, Integer) { return Accepted ? crDrag : crNoDrop; }

String TDragObject::GetName() { return ClassName(); }

void TBaseDragControlObject::Create(TControl* AControl) {
  inherited::Create();
  FControl = AControl;
}

void TBaseDragControlObject::Assign(TDragObject* Source) {
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TBaseDragControlObject*>(Source)) FControl = s->FControl;
}

void TBaseDragControlObject::EndDrag(TObject* Target, Integer X, Integer Y) {
  if (FControl) FControl->DoEndDrag(Target, X, Y);
}

void TBaseDragControlObject::Finished(TObject* Target, Integer X, Integer Y, Boolean Accepted) {
  if (!Accepted) {
    FControl->DragCanceled();
    Target = nullptr;
  }
  EndDrag(Target, X, Y);
}

TCursor TDragControlObject::GetDragCursor(Boolean Accepted, Integer X, Integer Y) {
  return Accepted ? Control()->DragCursor() : TCursor(crNoDrop);
}

TDragImageList* TDragControlObject::GetDragImages() { return Control()->GetDragImages(); }
void TDragControlObject::HideDragImage() {}
void TDragControlObject::ShowDragImage() {}

TDragObject* DragObject() { return gDragObject; }

Boolean TControl::Dragging() { return gDragControl == this; }

void TControl::BeginAutoDrag() { BeginDrag(Mouse()->DragImmediate(), Mouse()->DragThreshold()); }

void TControl::BeginDrag(Boolean Immediate, Integer Threshold) {
  if (gDragControl) return;
  if (FControlState.Contains(csLButtonDown)) {
    POINT p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    Perform(WM_LBUTTONUP, 0, PointToLParam(p));
  }
  if (Threshold < 0) Threshold = Mouse()->DragThreshold();
  gDragControl = this;
  TDragObject* obj = nullptr;
  DoStartDrag(obj);
  if (gDragControl != this) return;  // ended from OnStartDrag
  gDragFreeObject = obj == nullptr || obj->Instance();
  if (!obj) obj = New<TDragControlObjectEx>(this);
  gDragObject = obj;
  gDragActive = false;
  POINT p;
  GetCursorPos(&p);
  gDragStartPos = p;
  gDragThreshold = Threshold;
  gDragObject->SetDragPos(p);
  if (!gDragCapture) gDragCapture = AllocateHWnd(TWndMethod(&gSink, &TDragCaptureSink::Proc));
  SetCapture(gDragCapture);
  if (Immediate) {
    gDragActive = true;
    DragTo(p);
  }
}

void DragTo(const TPoint& Pos) {
  if (!gDragObject) return;
  if (!gDragActive && std::abs(gDragStartPos.X - Pos.X) < gDragThreshold &&
      std::abs(gDragStartPos.Y - Pos.Y) < gDragThreshold)
    return;
  gDragActive = true;
  HWND handle = nullptr;
  TControl* target = DragFindTarget(Pos, handle);
  gDragObject->SetDragPos(Pos);
  if (target != gDragObject->DragTarget()) {
    DoDragOver(dmDragLeave);
    if (!gDragObject) return;
    gDragObject->SetDragTarget(target);
    gDragObject->FDragHandle = handle;
    gDragObject->SetDragTargetPos(Pos);
    DoDragOver(dmDragEnter);
    if (!gDragObject) return;
  }
  if (target) gDragObject->SetDragTargetPos(target->ScreenToClient(Pos));
  bool accepted = DoDragOver(dmDragMove);
  if (!gDragObject) return;
  SetCursor(CursorHandle(gDragObject->GetDragCursor(accepted, Pos.X, Pos.Y)));
}

void DragDone(Boolean Drop) {
  if (!gDragObject || gDragObject->Cancelling()) return;
  TDragObject* save = gDragObject;
  save->SetCancelling(true);
  save->SetDropped(Drop);
  bool accepted = false;
  if (gDragActive && save->DragTarget()) accepted = DoDragOver(dmDragLeave) && Drop;
  TPoint targetPos = save->DragTargetPos();
  void* target = save->DragTarget();
  HWND handle = save->DragHandle();
  gDragObject = nullptr;
  bool freeIt = gDragFreeObject;
  if (GetCapture() == gDragCapture) ReleaseCapture();
  if (target && accepted) DragMessage(handle, dmDragDrop, save, target, save->DragPos());
  Finally done([&] {
    gDragControl = nullptr;
    gDragActive = false;
    save->SetCancelling(false);
    if (freeIt) Free(save);
  });
  save->Finished(accepted ? static_cast<TObject*>(target) : nullptr, targetPos.X, targetPos.Y, accepted);
}

void CancelDrag() {
  if (gDragObject) DragDone(false);
  gDragControl = nullptr;
}

void TControl::EndDrag(Boolean Drop) {
  if (Dragging()) DragDone(Drop);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (Assigned(FOnStartDrag)) FOnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  if (Assigned(FOnEndDrag)) FOnEndDrag(this, Target, X, Y);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept) {
  Accept = false;
  if (Assigned(FOnDragOver)) {
    Accept = true;
    FOnDragOver(this, Source, X, Y, State, Accept);
  }
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (Assigned(FOnDragDrop)) FOnDragDrop(this, Source, X, Y);
}

LRESULT TControl::DoDragMsg(TCMDrag& DragMsg) {
  TDragRec* rec = DragMsg.DragRec();
  TObject* source = rec->Source;
  // A drag the framework made for a control shows that control as the source.
  if (auto* c = dynamic_cast<TDragControlObjectEx*>(rec->Source)) source = c->Control();
  TPoint p = ScreenToClient(rec->Pos);
  switch (DragMsg.DragMessage()) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
      Boolean accepts = true;
      DragOver(source, p.X, p.Y, TDragState(DragMsg.DragMessage()), accepts);
      return accepts ? 1 : 0;
    }
    case dmDragDrop: DragDrop(source, p.X, p.Y); return 0;
    default: return 0;
  }
}

void TControl::CMDrag(TMessage& Message) {
  TCMDrag m(Message);
  TDragRec* rec = m.DragRec();
  if (!rec) return;
  switch (m.DragMessage()) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove:
    case dmDragDrop:
      if (rec->Target) Message.Result = static_cast<TControl*>(rec->Target)->DoDragMsg(m);
      break;
    case dmFindTarget: Message.Result = LRESULT(this); break;
    default: break;
  }
}

TControl* FindDragTarget(const TPoint& Pos, Boolean AllowDisabled) {
  TWinControl* w = FindVCLWindow(Pos);
  if (!w) return nullptr;
  TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled);
  return c ? c : w;
}

// --- TMouse -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TMouse)

void TMouse::Create() {
  FDragImmediate = true;
  FDragThreshold = 5;
}

TPoint TMouse::CursorPos() {
  POINT p;
  GetCursorPos(&p);
  return p;
}

void TMouse::SetCursorPos(const TPoint& Value) { win::SetCursorPos(Value.X, Value.Y); }

HWND TMouse::Capture() { return GetCapture(); }

void TMouse::SetCapture(HWND Value) {
  if (Value)
    win::SetCapture(Value);
  else
    ReleaseCapture();
}

Integer TMouse::WheelScrollLines() {
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  return Integer(lines);
}

namespace {
TMouse* gMouse = nullptr;
}

TMouse* Mouse() {
  if (!gMouse) gMouse = New<TMouse>();
  return gMouse;
}

// --- Unit start-up ----------------------------------------------------------------------------------

void RegisterControlClasses() {
  RegisterClasses({TControl::StaticClass(), TWinControl::StaticClass(), TGraphicControl::StaticClass(),
                   TCustomControl::StaticClass(), TSizeConstraints::StaticClass()});
}

namespace {

void ControlsStartup() {
  TypeInfoTCursor();
  RegisterControlClasses();
  Mouse();
}

void ControlsShutdown() {
  CancelDrag();
  if (gDragCapture) {
    DeallocateHWnd(gDragCapture);
    gDragCapture = nullptr;
  }
  FreeAndNil(gMouse);
  UnRegisterClasses({TControl::StaticClass(), TWinControl::StaticClass(), TGraphicControl::StaticClass(),
                     TCustomControl::StaticClass(), TSizeConstraints::StaticClass()});
}

}  // namespace

CL_UNIT_STEPS(Controls, &ControlsStartup, &ControlsShutdown);
