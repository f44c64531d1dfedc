// The inner list box: container cooperation, emulated scroll bars, type-ahead.
#include "lib/lookandfeel/vlInnerListBox.h"

#include <algorithm>

#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlScrollBar.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Backend.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

using namespace win;

CL_IMPLEMENT_CLASS(TvlCustomInnerListBox)

Integer vlFindListBoxItem(TvlCustomInnerListBox* AListBox, const String& AText) {
  if (AListBox->IsVirtual()) return AListBox->DoFindData(AText);
  return Integer(SendMessageW(AListBox->Handle(), LB_FINDSTRING, WPARAM(-1), LPARAM(AText.c_str())));
}

// --- Life ---------------------------------------------------------------------------------------

void TvlCustomInnerListBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FCanvas = New<TvlCanvas>(inherited::Canvas());
  CreateScrollBars();
  FLookAndFeel = New<TvlLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TvlLookAndFeelChangedEvent(this, &TvlCustomInnerListBox::LookAndFeelChanged));
  FHScrollBar->LookAndFeel()->SetMasterLookAndFeel(FLookAndFeel);
  FVScrollBar->LookAndFeel()->SetMasterLookAndFeel(FLookAndFeel);
  SetBorderStyle(bsNone);
  TControlStyle style = ControlStyle();
  style.Exclude(csOpaque);
  style.Include(csDoubleClicks);
  SetControlStyle(style);
  SetParentColor(false);
  SetParentFont(true);
}

void TvlCustomInnerListBox::CreateScrollBars() {
  auto make = [&](TScrollBarKind AKind, void (TvlCustomInnerListBox::*AScroll)(TObject*, TScrollCode, Integer&)) {
    TvlScrollBar* bar = New<TvlScrollBar>(static_cast<TComponent*>(this));
    bar->FreeNotification(this);
    bar->SetKind(AKind);
    bar->SetOnScroll(TScrollEvent(this, AScroll));
    bar->SetSmallChange(1);
    bar->SetVisible(false);
    return bar;
  };
  FHScrollBar = make(sbHorizontal, &TvlCustomInnerListBox::HScrollBarScroll);
  FVScrollBar = make(sbVertical, &TvlCustomInnerListBox::VScrollBarScroll);
}

void TvlCustomInnerListBox::Destroy() {
  // A bar placed on the container goes later with the other owned components.
  if (FHScrollBar && !FHScrollBar->Parent()) FreeAndNil(FHScrollBar);
  if (FVScrollBar && !FVScrollBar->Parent()) FreeAndNil(FVScrollBar);
  FreeAndNil(FLookAndFeel);
  FreeAndNil(FCanvas);
  inherited::Destroy();
}

void TvlCustomInnerListBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
}

void TvlCustomInnerListBox::DestroyWindowHandle() {
  FIsRedrawLocked = false;
  inherited::DestroyWindowHandle();
}

Boolean TvlCustomInnerListBox::ItemVisible(Integer Index) {
  const TRect r = ItemRect(Index);
  const TRect client{0, 0, Width(), Height()};
  const TPoint corners[4] = {{r.Left, r.Top}, {r.Right, r.Top}, {r.Left, r.Bottom}, {r.Right, r.Bottom}};
  for (const TPoint& p : corners)
    if (vlPointInRect(client, p)) return true;
  return false;
}

void TvlCustomInnerListBox::LookAndFeelChanged(TvlLookAndFeel*, TvlLookAndFeelValues) {
  if (HandleAllocated()) Invalidate();
}

Boolean TvlCustomInnerListBox::DrawsFocusRect() { return !Assigned(OnDrawItem()); }

// --- Emulated scroll bars ------------------------------------------------------------------------------

void TvlCustomInnerListBox::SetExternalScrollBarsParameters() {
  if (Destroying() || FScrollBarsLockCount > 0 || !vlUseOwnScrollBars() || FIsRedrawLocked) return;
  FScrollBarsCalculating = true;
  Finally done([&] { FScrollBarsCalculating = false; });
  for (TvlScrollBar* bar : {FHScrollBar, FVScrollBar}) {
    if (!bar) continue;
    PlaceScrollBar(bar);
    UpdateScrollBar(bar);
  }
}

void TvlCustomInnerListBox::PlaceScrollBar(TvlScrollBar* ABar) {
  SCROLLBARINFO info{};
  if (!Parent() || !HandleAllocated() ||
      !vlQueryScrollBarInfo(WindowHandle(), ABar->Kind() == sbHorizontal ? OBJID_HSCROLL : OBJID_VSCROLL, info))
    return;
  Boolean show = (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) == 0;
  ABar->SetEnabledProp((info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0 &&
                       (!ABar->Parent() || ABar->Parent()->Enabled()));
  TRect r = info.rcScrollBar;
  const TPoint p = Parent()->ScreenToClient(TPoint{r.Left, r.Top});
  r = TRect{p.X, p.Y, p.X + r.Width(), p.Y + r.Height()};
  if (r.Left < 0 || r.Top < 0 || r.Width() > Width() || r.Height() > Height()) show = false;
  if (show) {
    ABar->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    if (ABar->Parent() != Parent()) {
      ++FScrollBarsLockCount;
      Finally unlock([&] { --FScrollBarsLockCount; });
      ABar->SetParent(Parent());
    }
    ABar->SetCtl3D(false);
    ABar->BringToFront();
  } else {
    ABar->SetBounds(0, 0, 0, 0);
  }
  ABar->SetVisible(show);
}

void TvlCustomInnerListBox::UpdateScrollBar(TvlScrollBar* ABar) {
  if (!ABar->Visible() || !HandleAllocated()) return;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
  GetScrollInfo(WindowHandle(), ABar->Kind() == sbHorizontal ? SB_HORZ : SB_VERT, &si);
  const Integer page = std::min(Integer(si.nPage), si.nMax);
  ABar->SetScrollParams(si.nMin, si.nMax, si.nPos, page, true);
}

void TvlCustomInnerListBox::HScrollBarScroll(TObject*, TScrollCode ScrollCode, Integer& ScrollPos) {
  if (!FHScrollBar || !FHScrollBar->HandleAllocated()) return;
  TMessage m{WM_HSCROLL, WPARAM(ScrollPos) * 65536 + WPARAM(ScrollCode),
             reinterpret_cast<LPARAM>(FHScrollBar->Handle()), 0};
  inherited::DefaultHandler(m);
  ScrollPos = GetScrollPos(WindowHandle(), SB_HORZ);
}

void TvlCustomInnerListBox::VScrollBarScroll(TObject*, TScrollCode ScrollCode, Integer& ScrollPos) {
  if (!FVScrollBar || !FVScrollBar->HandleAllocated()) return;
  switch (ScrollCode) {
    case scLineUp:
    case scLineDown: SetTopIndex(ScrollPos); break;
    case scPosition:
    case scTrack:
      SetTopIndex(ScrollPos);
      ScrollPos = GetScrollPos(WindowHandle(), SB_VERT);
      break;
    default: {
      TMessage m{WM_VSCROLL, WPARAM(ScrollPos) * 65536 + WPARAM(ScrollCode),
                 reinterpret_cast<LPARAM>(FVScrollBar->Handle()), 0};
      inherited::DefaultHandler(m);
      ScrollPos = GetScrollPos(WindowHandle(), SB_VERT);
    }
  }
}

TRect TvlCustomInnerListBox::GetSizeGripBounds() {
  if (!FHScrollBar || !FVScrollBar || !FHScrollBar->Visible() || !FVScrollBar->Visible() || !Parent() ||
      !HandleAllocated())
    return TRect{};
  TPoint p = Parent()->ClientToScreen(TPoint{FVScrollBar->Left(), FHScrollBar->Top()});
  RECT window{};
  GetWindowRect(WindowHandle(), &window);
  p.X -= window.left;
  p.Y -= window.top;
  return TRect{p.X, p.Y, p.X + FVScrollBar->Width(), p.Y + FHScrollBar->Height()};
}

void TvlCustomInnerListBox::DrawSizeGrip() {
  if (!FContainer || !vlUseOwnScrollBars()) return;
  const TRect r = GetSizeGripBounds();
  if (!vlIsRectEmpty(r)) vlFillSizeGripArea(FContainer, r);
}

void TvlCustomInnerListBox::Click() {
  inherited::Click();
  if (FVScrollBar) FVScrollBar->SetPosition(TopIndex());
  if (FContainer) FContainer->Click();
}

// --- Type-ahead ------------------------------------------------------------------------------------

void TvlCustomInnerListBox::DoAutoComplete(Char& Key) {
  if (!AutoComplete()) return;
  const Cardinal now = Cardinal(MessageClock());  // the tick counter (tests drive it by hand)
  if (now - FPrevKeyPressTime >= AutoCompleteDelay()) FAutoCompleteFilter.clear();
  FPrevKeyPressTime = now;
  if (Key == Char(VK_BACK)) {
    if (!FAutoCompleteFilter.empty()) {
      FAutoCompleteFilter.pop_back();
      // a surrogate pair goes as a whole
      if (!FAutoCompleteFilter.empty() && FAutoCompleteFilter.back() >= 0xD800 && FAutoCompleteFilter.back() < 0xDC00)
        FAutoCompleteFilter.pop_back();
    }
  } else {
    // Characters are UTF-16 here: there are no double-byte lead bytes to pair.
    FAutoCompleteFilter += Key;
  }
  if (FAutoCompleteFilter.empty()) {
    SetItemIndex(0);
    Click();
  } else if (HandleAllocated()) {
    const Integer index = vlFindListBoxItem(this, FAutoCompleteFilter);
    if (index >= 0) {
      if (MultiSelect()) {
        SendMessageW(WindowHandle(), LB_SELITEMRANGE, 0, MAKELPARAM(0, std::max<Integer>(Count() - 1, 0)));
        SendMessageW(WindowHandle(), LB_SELITEMRANGE, 1, MAKELPARAM(index, index));
      }
      SetItemIndex(index);
      Click();
    }
  }
  if (Key != Char(VK_BACK) && Key != Char(VK_RETURN) && Key != Char(VK_ESCAPE)) Key = 0;
}

// --- Keyboard ------------------------------------------------------------------------------------------

void TvlCustomInnerListBox::KeyDown(Word& Key, TShiftState Shift) {
  if (FContainer) FContainer->KeyDown(Key, Shift);
  if (Key != 0) inherited::KeyDown(Key, Shift);
}

void TvlCustomInnerListBox::KeyPress(Char& Key) {
  if (Key == Char(VK_TAB)) Key = 0;
  if (Key != 0 && FContainer) FContainer->KeyPress(Key);
  if (Key == Char(VK_RETURN)) Key = 0;
  if (Key != 0 && Assigned(OnKeyPress())) OnKeyPress()(this, Key);
  if (Key != 0) DoAutoComplete(Key);
}

void TvlCustomInnerListBox::KeyUp(Word& Key, TShiftState Shift) {
  if (Key == VK_TAB) Key = 0;
  if (FContainer) FContainer->KeyUp(Key, Shift);
  if (Key != 0) inherited::KeyUp(Key, Shift);
}

// --- Mouse, menus, drag and drop ----------------------------------------------------------------------------

void TvlCustomInnerListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (!FContainer) return;
  FContainer->SetInnerControlMouseDown(true);
  Finally done([&] { FContainer->SetInnerControlMouseDown(false); });
  FContainer->MouseDown(Button, Shift, X + Left(), Y + Top());
}

void TvlCustomInnerListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (FContainer) FContainer->MouseMove(Shift, X + Left(), Y + Top());
}

void TvlCustomInnerListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (FContainer) FContainer->MouseUp(Button, Shift, X + Left(), Y + Top());
}

Boolean TvlCustomInnerListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (FContainer && FContainer->DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  return inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TvlCustomInnerListBox::MouseLeave(TControl*) {
  if (FContainer) FContainer->ShortRefreshContainer(true);
}

void TvlCustomInnerListBox::DblClick() {
  inherited::DblClick();
  if (FContainer) FContainer->DblClick();
}

TPopupMenu* TvlCustomInnerListBox::GetPopupMenu() {
  return FContainer ? FContainer->GetPopupMenu() : inherited::GetPopupMenu();
}

void TvlCustomInnerListBox::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept) {
  if (FContainer)
    FContainer->DragOver(Source, X + Left(), Y + Top(), State, Accept);
  else
    inherited::DragOver(Source, X, Y, State, Accept);
}

void TvlCustomInnerListBox::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (FContainer)
    FContainer->DragDrop(Source, X + Left(), Y + Top());
  else
    inherited::DragDrop(Source, X, Y);
}

void TvlCustomInnerListBox::LeftButtonDown(TMessage& Message) {
  const TDragMode saved = DragMode();
  SetDragModeProp(dmManual);
  Finally restore([&] { SetDragModeProp(saved); });
  const TShiftState shift = vlGetShiftStateNow();
  const Boolean shiftDown = shift.Contains(ssShift), ctrlDown = shift.Contains(ssCtrl);
  if (MultiSelect() && (!shiftDown || ctrlDown)) {
    const TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    const Integer index = ItemAtPos(p, true);
    if (index >= 0 && Selected(index)) {
      // keep the selection: the whole selection is dragged
      FContainer->BeginDrag(false);
      return;
    }
  }
  inherited::WndProc(Message);
  if (!(MultiSelect() && (ctrlDown || shiftDown))) FContainer->BeginDrag(false);
}

// --- Messages -----------------------------------------------------------------------------------------------

void TvlCustomInnerListBox::WndProc(TMessage& Message) {
  if (FContainer && FContainer->InnerControlMenuHandler(Message)) return;
  // The platform starts an automatic drag of the control itself here; inside
  // a container the container is dragged instead.
  if (Message.Msg == WM_LBUTTONDOWN && DragMode() == dmAutomatic && FContainer && !FContainer->IsDesigning())
    LeftButtonDown(Message);
  else
    inherited::WndProc(Message);
}

void TvlCustomInnerListBox::DefaultHandler(TMessage& Message) {
  if (FContainer && FContainer->InnerControlDefaultHandler(Message)) return;
  inherited::DefaultHandler(Message);
}

void TvlCustomInnerListBox::DrawItemMessage(TMessage& Message) {
  auto* dis = TWMDrawItem(Message).DrawItemStruct();
  // A focused list being freed loses the focus after its canvas went: the
  // focus change still redraws the focused row.
  if (!dis || !FCanvas) return;
  TOwnerDrawState state;
  if (dis->itemState & ODS_SELECTED) state.Include(odSelected);
  if (dis->itemState & ODS_FOCUS) state.Include(odFocused);
  if (dis->itemState & ODS_DISABLED) state.Include(odDisabled);
  TCanvas* canvas = FCanvas->Canvas();
  const Integer saved = SaveDC(dis->hDC);
  canvas->SetHandle(dis->hDC);
  // A draw handler may free the list with its owner.
  TWeakRef<TvlCustomInnerListBox> self(this);
  Finally release([&] {
    if (self) canvas->SetHandle(nullptr);
    RestoreDC(dis->hDC, saved);
  });
  canvas->SetFont(Font());
  canvas->SetBrush(Brush());
  if (state.Contains(odSelected)) {
    canvas->Brush()->SetColor(clHighlight);
    canvas->Font()->SetColor(clHighlightText);
  }
  if (Integer(dis->itemID) < 0)
    canvas->FillRect(dis->rcItem);
  else
    DrawItem(Integer(dis->itemID), dis->rcItem, state);
  if (!self) return;
  if (state.Contains(odFocused) && DrawsFocusRect()) canvas->DrawFocusRect(dis->rcItem);
  Message.Result = 1;
}

void TvlCustomInnerListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: DrawItemMessage(Message); return;
    case WM_SETREDRAW:
      inherited::Dispatch(Message);
      FIsRedrawLocked = Message.WParam == 0;
      if (!FIsRedrawLocked && !Destroying()) SetExternalScrollBarsParameters();
      return;
    case WM_PRINTCLIENT: DefaultHandler(Message); return;
    case WM_GETDLGCODE:
      inherited::Dispatch(Message);
      if (FContainer) {
        Message.Result |= DLGC_WANTCHARS;
        if (GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
      }
      return;
    case WM_SETFOCUS:
      inherited::Dispatch(Message);
      if (FContainer && !FContainer->IsDestroying() && !Destroying() &&
          (!FContainer->HandleAllocated() || reinterpret_cast<HWND>(Message.WParam) != FContainer->WindowHandle()))
        FContainer->FocusChanged();
      return;
    case WM_KILLFOCUS:
      inherited::Dispatch(Message);
      if (FContainer && !FContainer->IsDestroying()) FContainer->FocusChanged();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      vlNotifyMouseEnterLeave(this, this, Message);
      return;
    case WM_NCPAINT:
      inherited::Dispatch(Message);
      DrawSizeGrip();
      return;
    case WM_PRINT:
      if (Message.LParam & PRF_NONCLIENT) {
        DrawSizeGrip();
        Message.LParam &= ~LPARAM(PRF_NONCLIENT);
      }
      break;
    case WM_NCCALCSIZE:
      inherited::Dispatch(Message);
      if (!FScrollBarsCalculating) SetExternalScrollBarsParameters();
      return;
    case WM_WINDOWPOSCHANGED:
      inherited::Dispatch(Message);
      SetExternalScrollBarsParameters();
      if (HandleAllocated() && FHScrollBar && FVScrollBar && FHScrollBar->Visible() && FVScrollBar->Visible()) {
        const TRect r = GetSizeGripBounds();
        HRGN rgn = CreateRectRgnIndirect(&r);
        SendMessageW(WindowHandle(), WM_NCPAINT, reinterpret_cast<WPARAM>(rgn), 0);
        DeleteObject(rgn);
      }
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
    case LB_SETCURSEL:
    case LB_SETHORIZONTALEXTENT:
    case LB_SETTOPINDEX:
    case LB_SETCARETINDEX:
    case WM_MOUSEWHEEL:
    case CM_WININICHANGE:
      inherited::Dispatch(Message);
      SetExternalScrollBarsParameters();
      return;
  }
  inherited::Dispatch(Message);
}
