#include "lib/lookandfeel/vlControls.h"

#include <algorithm>
#include <cstdlib>

#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlImages.h"
#include "lib/lookandfeel/vlControlCursors.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// The platform drag object of the drag running now (its image is hidden
// around painting and scrolling so that it leaves no trails).
TDragObject* CurrentDragObject{};

TvlSettingsController* SettingsController{};
Boolean SettingsControllerFreed = false;
TvlDesignController* DesignController{};

TPoint MessagePoint(TControl* AControl, const TMessage& Message) {
  if (AControl->Width() > 32768 || AControl->Height() > 32768) {
    TPoint p{};
    GetCursorPos(&p);
    return AControl->ScreenToClient(p);
  }
  return TPoint{SmallInt(LOWORD(Message.LParam)), SmallInt(HIWORD(Message.LParam))};
}

}  // namespace

// --- TvlDragAndDropObject ---------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlDragAndDropObject)

void TvlDragAndDropObject::Create(TvlControl* AControl) {
  inherited::Create();
  FControl = AControl;
  FCanvas = AControl->Canvas();
}

TCursor TvlDragAndDropObject::GetDragAndDropCursor(Boolean Accepted) { return Accepted ? crDrag : crNoDrop; }

void TvlDragAndDropObject::DragAndDrop(const TPoint&, Boolean& Accepted) {
  SetDirty(false);
  Screen->SetCursor(GetDragAndDropCursor(Accepted));
}

void TvlDragAndDropObject::SetDirty(Boolean Value) {
  if (FDirty == Value) return;
  FDirty = Value;
  DirtyStateChanged();
}

void TvlDragAndDropObject::DoBeginDragAndDrop() {
  TPoint p{};
  GetCursorPos(&p);
  CurMousePos = PrevMousePos = FControl->ScreenToClient(p);
  BeginDragAndDrop();
}

void TvlDragAndDropObject::DoDragAndDrop(const TPoint& P, Boolean& Accepted) {
  PrevMousePos = CurMousePos;
  CurMousePos = P;
  DragAndDrop(P, Accepted);
}

void TvlDragAndDropObject::DoEndDragAndDrop(Boolean Accepted) {
  AfterDragAndDrop(Accepted);
  EndDragAndDrop(Accepted);
}

CL_IMPLEMENT_CLASS(TvlDragControlObject)
CL_IMPLEMENT_CLASS(TvlDragImageList)

TCursor TvlDragControlObject::GetDragCursor(Boolean Accepted, Integer X, Integer Y) {
  TvlControl* source = dynamic_cast<TvlControl*>(Control());
  if (Accepted && source && source->IsCopyDragDrop()) return crvlDragCopy;
  return inherited::GetDragCursor(Accepted, X, Y);
}

// --- Internal controls ------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlControlScrollBar)
CL_IMPLEMENT_CLASS(TvlSizeGrip)

void TvlControlScrollBar::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetColor(clBtnFace);
  TControlStyle style = ControlStyle();
  style.Exclude(csFramed);
  style.Include(csNoDesignVisible);
  SetControlStyle(style);
  SetTabStop(false);
  SetVisible(false);
}

void TvlControlScrollBar::Destroy() {
  vlClearObjectLinks(this);
  inherited::Destroy();
}

void TvlControlScrollBar::ApplyData() {
  if (Data.Visible) {
    SetScrollParams(Data.Min, Data.Max, Data.Position, Data.PageSize, true);
    SetSmallChange(Data.SmallChange);
    SetLargeChange(Data.LargeChange);
  }
  SetEnabled(Data.Enabled);
  if (Visible() != Data.Visible) {
    SetVisible(Data.Visible);
    Perform(CM_SHOWINGCHANGED, 0, 0);
  }
}

void TvlControlScrollBar::FocusParent() {
  TWinControl* parent = Parent();
  if (!parent) return;
  if (TvlControl* control = dynamic_cast<TvlControl*>(parent)) {
    if (control->FocusOnChildClick(this)) control->SetFocus();
  } else if (parent->CanFocus()) {
    parent->SetFocus();
  }
}

void TvlControlScrollBar::WndProc(TMessage& Message) {
  TWeakRef<Self> link(this);
  if (Message.Msg == WM_LBUTTONDOWN) {
    FocusParent();
    if (!link) return;
  }
  inherited::WndProc(Message);
}

void TvlControlScrollBar::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DESIGNHITTEST && ComponentState().Contains(csDesigning)) {
    Message.Result = 1;
    return;
  }
  inherited::Dispatch(Message);
}

void TvlSizeGrip::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetColor(clBtnFace);
  TControlStyle style = ControlStyle();
  style.Include(csNoDesignVisible);
  SetControlStyle(style);
  FLookAndFeel = New<TvlLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TvlLookAndFeelChangedEvent(this, &TvlSizeGrip::LookAndFeelChanged));
}

void TvlSizeGrip::Destroy() {
  FreeAndNil(FLookAndFeel);
  inherited::Destroy();
}

void TvlSizeGrip::LookAndFeelChanged(TvlLookAndFeel*, TvlLookAndFeelValues) { Invalidate(); }

void TvlSizeGrip::Paint() {
  inherited::Canvas()->Brush()->SetColor(FLookAndFeel->Painter()->DefaultSizeGripAreaColor());
  inherited::Canvas()->FillRect(ClientRect());
}

void TvlSizeGrip::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_ERASEBKGND) {
    Message.Result = 1;
    return;
  }
  inherited::Dispatch(Message);
}

// --- TvlControl: life ---------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlControl)

void TvlControl::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  if (HasDragImages()) {
    TControlStyle style = ControlStyle();
    style.Include(csDisplayDragImage);
    SetControlStyle(style);
  }
  FCanvas = New<TvlCanvas>(inherited::Canvas());
  FDefaultCursor = Cursor();
  FFocusOnClick = true;
  FLookAndFeel = New<TvlLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TvlLookAndFeelChangedEvent(this, &TvlControl::LookAndFeelChangeHandler));
  FScrollBars = ssBoth;
  CreateInternalControls();
  SetTabStop(MayFocus());
  FLastParentBackground = true;
  TControlStyle style = ControlStyle();
  style.Include(csParentBackground);
  SetControlStyle(style);
  nbResourceStringsRepository()->AddListener(this);
}

void TvlControl::BeforeDestruction() {
  if (FDragAndDropState != ddsNone) FinishDragAndDrop(false);
  inherited::BeforeDestruction();
}

void TvlControl::Destroy() {
  nbResourceStringsRepository()->RemoveListener(this);
  EndDrag(false);
  DestroyInternalControls();
  FFontListenerList.clear();
  FreeAndNil(FDragAndDropObject);
  FreeAndNil(FDragImages);
  FreeAndNil(FActiveCanvas);
  FreeAndNil(FCanvas);
  FreeAndNil(FLookAndFeel);
  vlClearObjectLinks(this);
  inherited::Destroy();
}

void TvlControl::CreateInternalControls() {
  if (!HasScrollBars() || FHScrollBar) return;
  auto makeBar = [&](TScrollBarKind AKind) {
    TvlControlScrollBar* bar = New<TvlControlScrollBar>(static_cast<TComponent*>(nullptr));
    bar->SetKind(AKind);
    bar->SetOnScroll(TScrollEvent(this, &TvlControl::ScrollBarScroll));
    TControlStyle style = bar->ControlStyle();
    style.Include(csReplicatable);
    bar->SetControlStyle(style);
    bar->LookAndFeel()->SetMasterLookAndFeel(FLookAndFeel);
    return bar;
  };
  FHScrollBar = makeBar(sbHorizontal);
  FVScrollBar = makeBar(sbVertical);
  FSizeGrip = New<TvlSizeGrip>(static_cast<TComponent*>(nullptr));
  TControlStyle style = FSizeGrip->ControlStyle();
  style.Include(csReplicatable);
  FSizeGrip->SetControlStyle(style);
  FSizeGrip->SetVisible(false);
  FSizeGrip->LookAndFeel()->SetMasterLookAndFeel(FLookAndFeel);
  if (TvlSettingsController* s = vlSettingsController()) s->AddListener(this);
}

void TvlControl::DestroyInternalControls() {
  if (SettingsController) SettingsController->RemoveListener(this);
  if (!FHScrollBar) return;
  // While the control is destroyed the bars it parents go with it.
  if (IsDestroying() && FHScrollBar->Parent() == this) {
    FHScrollBar = FVScrollBar = nullptr;
    FSizeGrip = nullptr;
    return;
  }
  FreeAndNil(FSizeGrip);
  FreeAndNil(FVScrollBar);
  FreeAndNil(FHScrollBar);
}

void TvlControl::UpdateInternalControls() {
  if (HasScrollBars()) {
    CreateInternalControls();
    if (HandleAllocated()) ParentInternalControls();
  } else {
    DestroyInternalControls();
  }
}

void TvlControl::ParentInternalControls() {
  if (!FHScrollBar) return;
  FHScrollBar->SetParent(this);
  FVScrollBar->SetParent(this);
  FSizeGrip->SetParent(this);
}

void TvlControl::InitializeControl() { ParentInternalControls(); }

void TvlControl::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TvlControl::CreateWnd() {
  FCreatingWindow = true;
  Finally done([&] { FCreatingWindow = false; });
  inherited::CreateWnd();
  UpdateInternalControls();
  InitializeControl();
}

void TvlControl::DestroyWindowHandle() {
  inherited::DestroyWindowHandle();
  TControlState state = ControlState();
  state.Exclude(csClicked);
  SetControlState(state);
}

TvlCanvas* TvlControl::ActiveCanvas() {
  if (HandleAllocated()) {
    FreeAndNil(FActiveCanvas);
    return FCanvas;
  }
  if (!FActiveCanvas) FActiveCanvas = New<TvlScreenCanvas>();
  return FActiveCanvas;
}

// --- Bounds and painting -----------------------------------------------------------------

TvlCustomLookAndFeelPainterClass TvlControl::CurrentPainter() { return GetLookAndFeelValue()->Painter(); }

Integer TvlControl::GetBorderSize() { return FBorderStyle == vlcbsNone ? 0 : CurrentPainter()->BorderSize(); }

void TvlControl::SetBorderStyle(TvlControlBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  BoundsChanged();
}

TRect TvlControl::ControlBoundsRect() {
  if (!vlIsRectEmpty(FBounds)) return FBounds;
  if (HandleAllocated()) return ClientRect();
  return TRect{0, 0, Width(), Height()};
}

TRect TvlControl::GetClientBounds() {
  const Integer border = GetBorderSize();
  TRect r = vlInflateRectBy(Bounds(), -border, -border);
  if (HScrollBarVisible()) r.Bottom -= FHScrollBar->Height();
  if (VScrollBarVisible()) r.Right -= FVScrollBar->Width();
  return r;
}

TRect TvlControl::GetHScrollBarBounds() {
  const TRect c = ClientBounds();
  return TRect{c.Left, c.Bottom, c.Right, c.Bottom + FHScrollBar->Height()};
}

TRect TvlControl::GetVScrollBarBounds() {
  const TRect c = ClientBounds();
  return TRect{c.Right, c.Top, c.Right + FVScrollBar->Width(), c.Bottom};
}

TRect TvlControl::GetSizeGripBounds() {
  const TRect v = GetVScrollBarBounds(), h = GetHScrollBarBounds();
  return TRect{v.Left, h.Top, v.Right, h.Bottom};
}

void TvlControl::SetInternalControlsBounds() {
  if (!FHScrollBar) return;
  auto place = [](TControl* C, const TRect& R) { C->SetBounds(R.Left, R.Top, R.Width(), R.Height()); };
  if (FHScrollBar->Visible()) place(FHScrollBar, GetHScrollBarBounds());
  if (FVScrollBar->Visible()) place(FVScrollBar, GetVScrollBarBounds());
  if (FSizeGrip->Visible()) place(FSizeGrip, GetSizeGripBounds());
}

void TvlControl::UpdateInternalControlsState() {
  if (!FHScrollBar) return;
  if (FHScrollBar->Visible()) FHScrollBar->UpdateControlState();
  if (FVScrollBar->Visible()) FVScrollBar->UpdateControlState();
  if (FSizeGrip->Visible()) FSizeGrip->UpdateControlState();
}

void TvlControl::BringInternalControlsToFront() {
  if (!FHScrollBar) return;
  FHScrollBar->BringToFront();
  FVScrollBar->BringToFront();
  FSizeGrip->BringToFront();
}

Boolean TvlControl::IsInternalControl(TControl* AControl) {
  return AControl && (AControl == FHScrollBar || AControl == FVScrollBar || AControl == FSizeGrip);
}

void TvlControl::Paint() {
  if (FBorderStyle == vlcbsDefault) {
    CurrentPainter()->DrawBorder(FCanvas, Bounds());
    FCanvas->IntersectClipRect(ClientBounds());
  }
  inherited::Paint();
  UpdateInternalControlsState();
}

void TvlControl::InvalidateRect(const TRect& R, Boolean EraseBackground) {
  if (HandleAllocated()) win::InvalidateRect(WindowHandle(), &R, EraseBackground);
}

void TvlControl::InvalidateRgn(HRGN ARegion, Boolean EraseBackground) {
  if (!HandleAllocated() || !ARegion) return;
  RECT box{};
  if (GetRgnBox(ARegion, &box) == NULLREGION) return;
  win::InvalidateRgn(WindowHandle(), ARegion, EraseBackground);
}

void TvlControl::InvalidateWithChildren() {
  if (HandleAllocated()) RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_NOERASE);
}

void TvlControl::UpdateWithChildren() {
  if (HandleAllocated()) RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TvlControl::CMInvalidate(TMessage& Message) {
  if (!HandleAllocated() || IsDestroying()) return;
  if (Parent()) Parent()->Perform(CM_INVALIDATE, 1, 0);
  if (Message.WParam != 0) return;
  win::InvalidateRect(WindowHandle(), nullptr, !ControlStyle().Contains(csOpaque));
  if (!NeedsFullRepaint()) return;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TWinControl* child = dynamic_cast<TWinControl*>(Controls(i));
    if (child && (!child->ControlStyle().Contains(csOpaque) || child->ControlStyle().Contains(csParentBackground)))
      child->Invalidate();
  }
}

void TvlControl::WMPaint(TMessage& Message) {
  if (nbOSWindows7 && Message.WParam == 0 && !DoubleBuffered()) {
    // Painted off screen and copied in one step.
    const TRect client = ClientRect();
    TvlBitmap* bitmap = New<TvlBitmap>();
    Finally freeBitmap([&] { Free(bitmap); });
    bitmap->SetSize(client.Width(), client.Height());
    bitmap->Canvas()->Lock();
    Finally unlock([&] { bitmap->Canvas()->Unlock(); });
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(WindowHandle(), &ps);
    Finally endPaint([&] { EndPaint(WindowHandle(), &ps); });
    Message.WParam = reinterpret_cast<WPARAM>(bitmap->Canvas()->Handle());
    inherited::Dispatch(Message);
    BitBlt(dc, 0, 0, client.Width(), client.Height(), bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
    Message.WParam = 0;
    return;
  }
  if (CurrentDragObject) CurrentDragObject->HideDragImage();
  Finally show([&] {
    if (CurrentDragObject) CurrentDragObject->ShowDragImage();
  });
  inherited::Dispatch(Message);
}

// --- Window procedure and messages ------------------------------------------------------------

void TvlControl::WndProc(TMessage& Message) {
  TWeakRef<Self> link(this);
  // Runs after the message, also when its handling raises.
  Finally afterwards([&] {
    if (!link || IsDestroying()) return;
    switch (Message.Msg) {
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        FocusChanged();
        break;
      case WM_PAINT:
        if (ParentBackground() != FLastParentBackground) {
          FLastParentBackground = ParentBackground();
          ParentBackgroundChanged();
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN: {
        const TMouseButton button =
            Message.Msg == WM_LBUTTONDOWN ? mbLeft : Message.Msg == WM_RBUTTONDOWN ? mbRight : mbMiddle;
        const TPoint p = MessagePoint(this, Message);
        AfterMouseDown(button, p.X, p.Y);
        break;
      }
      default:
        break;
    }
  });
  Boolean done = false;
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && !Dragging()) {
    const TPoint p = MessagePoint(this, Message);
    if ((IsDesignTime() && GetDesignHitTest(p.X, p.Y, TShiftState{ssLeft})) ||
        (!IsDesignTime() && DragMode() == dmAutomatic)) {
      // Straight to the handlers: the platform starts no drag on the press.
      if (!IsControlMouseMsg(Message)) {
        TControlState state = ControlState();
        state.Include(csLButtonDown);
        SetControlState(state);
        Dispatch(Message);
        if (link) {
          state = ControlState();
          state.Exclude(csLButtonDown);
          SetControlState(state);
        }
      }
      done = true;
    }
  }
  if (!done) inherited::WndProc(Message);
}

Boolean TvlControl::IsPopupMenuShortCut(TWMKey& Message) {
  if (IsDesignTime()) return false;
  for (TWinControl* c = this; c; c = c->Parent())
    if (TvlControl* control = dynamic_cast<TvlControl*>(c))
      if (control->FPopupMenu && vlIsPopupMenuShortCut(control->FPopupMenu, Message)) return true;
  return false;
}

void TvlControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      WMPaint(Message);
      break;
    case WM_ERASEBKGND:
      if (ErasesBackground())
        inherited::Dispatch(Message);
      else
        Message.Result = 0;
      break;
    case CM_INVALIDATE:
      CMInvalidate(Message);
      break;
    case WM_GETDLGCODE: {
      LRESULT code = 0;
      if (FKeys.Contains(kAll)) code += DLGC_WANTALLKEYS;
      if (FKeys.Contains(kArrows)) code += DLGC_WANTARROWS;
      if (FKeys.Contains(kChars)) code += DLGC_WANTCHARS;
      if (FKeys.Contains(kTab) && GetKeyState(VK_CONTROL) >= 0) code += DLGC_WANTTAB;
      Message.Result = code;
      break;
    }
    case CN_KEYDOWN: {
      TWMKey key(Message);
      if (IsPopupMenuShortCut(key)) {
        Message.Result = 1;
      } else if (FDragAndDropState != ddsNone) {
        FinishDragAndDrop(false);
        Message.Result = 1;
      } else {
        inherited::Dispatch(Message);
      }
      break;
    }
    case CN_SYSKEYDOWN: {
      TWMKey key(Message);
      if (IsPopupMenuShortCut(key))
        Message.Result = 1;
      else
        inherited::Dispatch(Message);
      break;
    }
    case WM_CANCELMODE:
      inherited::Dispatch(Message);
      FinishDragAndDrop(false);
      CancelMouseOperations();
      break;
    case WM_CAPTURECHANGED:
      inherited::Dispatch(Message);
      // Another window took the mouse before the drag began: it never will.
      if (FDragAndDropState == ddsStarting && HandleAllocated() &&
          reinterpret_cast<HWND>(Message.LParam) != WindowHandle())
        FinishDragAndDrop(false);
      break;
    case WM_SETCURSOR:
      if (IsDesignTime() && FDragAndDropState == ddsNone) {
        TPoint p{};
        GetCursorPos(&p);
        p = ScreenToClient(p);
        if (GetDesignHitTest(p.X, p.Y, TShiftState{ssLeft})) {
          win::SetCursor(Screen->Cursors(GetCurrentCursor(p.X, p.Y)));
          Message.Result = 1;
          break;
        }
      }
      inherited::Dispatch(Message);
      break;
    case CM_DESIGNHITTEST:
      inherited::Dispatch(Message);
      if (Message.Result == 0) {
        const TPoint p{SmallInt(LOWORD(Message.LParam)), SmallInt(HIWORD(Message.LParam))};
        Message.Result = GetDesignHitTest(p.X, p.Y, TShiftState{ssLeft}) ? 1 : 0;
      }
      break;
    case CM_COLORCHANGED:
      ColorChanged();
      inherited::Dispatch(Message);
      break;
    case CM_CURSORCHANGED:
      CursorChanged();
      inherited::Dispatch(Message);
      break;
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      FontChanged();
      break;
    case CM_TEXTCHANGED:
      inherited::Dispatch(Message);
      TextChanged();
      break;
    case CM_VISIBLECHANGED:
      inherited::Dispatch(Message);
      VisibleChanged();
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      vlNotifyMouseEnterLeave(this, this, Message);
      break;
    case WM_NCCALCSIZE:
      inherited::Dispatch(Message);
      if (HandleAllocated()) PostMessageW(WindowHandle(), VLM_SCROLLBARMETRICSCHANGED, 0, 0);
      break;
    case VLM_SCROLLBARMETRICSCHANGED:
      ScrollBarMetricsChanged();
      break;
    default:
      inherited::Dispatch(Message);
  }
}

void TvlControl::ScrollBarMetricsChanged() {
  if (!HasScrollBars() || !FHScrollBar) return;
  const Integer h = GetSystemMetrics(SM_CYHSCROLL), w = GetSystemMetrics(SM_CXVSCROLL);
  if (FHScrollBar->Height() == h && FVScrollBar->Width() == w) return;
  FHScrollBar->SetHeight(h);
  FVScrollBar->SetWidth(w);
  BoundsChanged();
}

void TvlControl::Resize() {
  inherited::Resize();
  BoundsChanged();
}

void TvlControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TvlControl::LookAndFeelChangeHandler(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) {
  if ((Application && Application->ComponentState().Contains(csDestroying)) || IsDestroying()) return;
  LookAndFeelChanged(Sender, AChangedValues);
}

// --- Notifications --------------------------------------------------------------------------

void TvlControl::BoundsChanged() {
  UpdateScrollBars();
  if (NeedsFullRepaint()) Invalidate();
}

void TvlControl::FocusChanged() {
  if (Assigned(FOnFocusChanged)) FOnFocusChanged(this);
}

void TvlControl::FontChanged() {
  std::vector<TInterfacePtr<IvlFontListener>> listeners = FFontListenerList;
  for (auto& l : listeners) l->Changed(this, Font());
  Invalidate();
}

void TvlControl::MouseEnter(TControl*) {
  if (Assigned(FOnMouseEnter)) FOnMouseEnter(this);
}

void TvlControl::MouseLeave(TControl*) {
  if (Assigned(FOnMouseLeave)) FOnMouseLeave(this);
}

void TvlControl::AddFontListener(IvlFontListener* AListener) { FFontListenerList.emplace_back(AListener); }

void TvlControl::RemoveFontListener(IvlFontListener* AListener) {
  for (auto it = FFontListenerList.begin(); it != FFontListenerList.end(); ++it)
    if (it->get() == AListener) {
      FFontListenerList.erase(it);
      return;
    }
}

void TvlControl::AddChildComponent(TvlControlChildComponent* AComponent) { AComponent->AttachControl(this); }

void TvlControl::RemoveChildComponent(TvlControlChildComponent* AComponent) { AComponent->AttachControl(nullptr); }

void TvlControl::CancelMouseOperations() {
  FMouseButtonPressed = false;
  SetMouseCaptureObject(nullptr);
}

Boolean TvlControl::GetDesignHitTest(Integer, Integer, TShiftState) {
  return FDragAndDropState != ddsNone || FMouseButtonPressed;
}

void TvlControl::NotifyDesignerModified() {
  if (!IsDesignTime()) return;
  for (TControl* c = this; c; c = c->Parent())
    if (c->ComponentState().Contains(csLoading) || c->ComponentState().Contains(csReading) ||
        c->ComponentState().Contains(csDestroying))
      return;
  vlDesignerModified(this);
}

// --- Focus and mouse ----------------------------------------------------------------------

Boolean TvlControl::CanFocusOnClick() { return !IsDesignTime() && FFocusOnClick && MayFocus() && CanFocus(); }

Boolean TvlControl::CanFocusEx() {
  if (!CanFocus()) return false;
  TCustomForm* form = GetParentForm(this);
  return !form || (form->CanFocus() && form->Enabled() && form->Visible());
}

Boolean TvlControl::AcceptMousePosForClick(Integer X, Integer Y) {
  return DragMode() == dmManual || IsMouseInPressedArea(X, Y);
}

Boolean TvlControl::IsMouseInPressedArea(Integer X, Integer Y) {
  const Integer t = Mouse()->DragThreshold();
  return std::abs(X - FMouseDownPos.X) < t && std::abs(Y - FMouseDownPos.Y) < t;
}

void TvlControl::PostMouseMove() {
  if (!HandleAllocated()) return;
  TPoint p{};
  GetCursorPos(&p);
  PostMouseMove(ScreenToClient(p));
}

void TvlControl::PostMouseMove(const TPoint& AMousePos) {
  if (HandleAllocated()) PostMessageW(WindowHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(AMousePos.X, AMousePos.Y));
}

void TvlControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<Self> link(this);
  Finally pressed([&] {
    if (link && MouseCapture()) FMouseButtonPressed = true;
  });
  FMouseDownPos = TPoint{X, Y};
  if (CanFocusOnClickAtPos(X, Y) && !Shift.Contains(ssDouble)) {
    const TRect before = BoundsRect();
    SetFocus();
    if (!link) return;
    TCustomForm* form = GetParentForm(this);
    if (form && form->ActiveControl() == this && !IsFocused()) win::SetFocus(Handle());
    if (!IsFocused() && !AllowMouseDownWithoutFocus()) {
      SetMouseCapture(false);
      return;
    }
    if (CorrectMousePosAfterFocus()) {
      X += before.Left - Left();
      Y += before.Top - Top();
    }
  }
  if (Button == mbLeft && !Shift.Contains(ssDouble) && StartDragAndDrop(TPoint{X, Y})) {
    if (!link) return;
    if (DragAndDropObject()->ImmediateStart())
      BeginDragAndDrop();
    else
      SetDragAndDropState(ddsStarting);
  } else {
    if (!link) return;
    FinishDragAndDrop(false);
  }
  if (!link) return;
  InternalMouseDown(Button, Shift, X, Y);
  if (!link) return;
  inherited::MouseDown(Button, Shift, X, Y);
}

void TvlControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  const TCursor keep = FDefaultCursor;
  SetCursor(GetCurrentCursor(X, Y));
  FDefaultCursor = keep;
  TWeakRef<Self> link(this);
  inherited::MouseMove(Shift, X, Y);
  if (!link) return;
  if (FDragAndDropState == ddsStarting && !IsMouseInPressedArea(X, Y)) BeginDragAndDrop();
  if (link && FDragAndDropState == ddsInProcess) {
    Boolean accepted = false;
    DragAndDrop(TPoint{X, Y}, accepted);
  }
}

void TvlControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FMouseButtonPressed = false;
  TWeakRef<Self> link(this);
  EndMouseOperations();
  if (link) inherited::MouseUp(Button, Shift, X, Y);
}

void TvlControl::EndMouseOperations() {
  FinishDragAndDrop(true);
  SetMouseCaptureObject(nullptr);
}

void TvlControl::SetMouseCaptureObject(TObject* Value) {
  if (FMouseCaptureObject == Value) return;
  const Boolean hadCapture = MouseCapture();
  if (IvlMouseCaptureNotify* n = dynamic_cast<IvlMouseCaptureNotify*>(FMouseCaptureObject)) n->MouseCaptureLost();
  FMouseCaptureObject = Value;
  SetMouseCapture(Value != nullptr);
  if (hadCapture && !MouseCapture() && FDragAndDropState == ddsStarting && HandleAllocated())
    SendMessageW(WindowHandle(), WM_CANCELMODE, 0, 0);
}

void TvlControl::AfterMouseDown(TMouseButton AButton, Integer X, Integer Y) {
  if (AButton == mbLeft) {
    if (DragMode() == dmAutomatic && MouseCapture() &&
        (!IsDesignTime() || AllowAutoDragAndDropAtDesignTime(X, Y, TShiftState{})) && CanDrag(X, Y) &&
        vlDragDetect(Handle()) == 1)
      BeginDrag(true, -1);
  } else if (AButton == mbMiddle) {
    DoMiddleButtonScrolling();
  }
}

// --- Popup menus -----------------------------------------------------------------------------

void TvlControl::SetPopupMenu(TComponent* Value) {
  if (Value && !dynamic_cast<TPopupMenu*>(Value) && !dynamic_cast<IvlExternalPopupMenu*>(Value)) Value = nullptr;
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

TPopupMenu* TvlControl::GetPopupMenu() { return dynamic_cast<TPopupMenu*>(FPopupMenu); }

Boolean TvlControl::DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y) {
  return vlShowPopupMenu(this, AMenu, X, Y);
}

void TvlControl::DoContextPopup(TPoint MousePos, Boolean& Handled) {
  inherited::DoContextPopup(MousePos, Handled);
  if (Handled) return;
  if (MousePos.X == -1 && MousePos.Y == -1) MousePos = TPoint{0, 0};
  const TPoint p = ClientToScreen(MousePos);
  Handled = DoShowPopupMenu(FPopupMenu, p.X, p.Y);
}

// --- Scrolling ---------------------------------------------------------------------------------

Boolean TvlControl::HScrollBarVisible() {
  if (!HasScrollBars() || !FHScrollBar) return false;
  return FCalculatingScrollBarsParams ? FHScrollBar->Data.Visible : FHScrollBar->Visible();
}

Boolean TvlControl::VScrollBarVisible() {
  if (!HasScrollBars() || !FVScrollBar) return false;
  return FCalculatingScrollBarsParams ? FVScrollBar->Data.Visible : FVScrollBar->Visible();
}

void TvlControl::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  BoundsChanged();
}

void TvlControl::SetScrollBarInfo(TScrollBarKind AScrollBarKind, Integer AMin, Integer AMax, Integer AStep,
                                  Integer APage, Integer APos, Boolean AAllowShow, Boolean AAllowHide) {
  TvlControlScrollBar* bar = AScrollBarKind == sbHorizontal ? FHScrollBar : FVScrollBar;
  if (!bar) return;
  TvlScrollBarData d = bar->Data;
  const TScrollStyle own = AScrollBarKind == sbHorizontal ? ssHorizontal : ssVertical;
  d.AllowShow = AAllowShow && (FScrollBars == ssBoth || FScrollBars == own);
  d.AllowHide = AAllowHide;
  if (!d.AllowShow) {
    d.Visible = false;
  } else if (AMin > AMax || APage >= AMax - AMin + 1 || APos < AMin) {
    if (AAllowHide) {
      d.Visible = false;
    } else {
      d.Enabled = false;
      d.Visible = true;
    }
  } else {
    d.Min = AMin;
    d.Max = AMax;
    d.Position = APos;
    d.PageSize = APage;
    d.SmallChange = TScrollBarInc(AStep);
    d.LargeChange = TScrollBarInc(APage);
    d.Enabled = true;
    d.Visible = true;
  }
  bar->Data = d;
}

void TvlControl::LockScrollBars() {
  if (FScrollBarsLockCount == 0) FScrollBarsUpdateNeeded = false;
  ++FScrollBarsLockCount;
}

void TvlControl::UnlockScrollBars() {
  if (FScrollBarsLockCount < 1) return;
  --FScrollBarsLockCount;
  if (FScrollBarsLockCount == 0 && FScrollBarsUpdateNeeded) UpdateScrollBars();
}

void TvlControl::UpdateScrollBars() {
  if (!HasScrollBars() || !FHScrollBar) return;
  if (FScrollBarsLockCount >= 1) {
    FScrollBarsUpdateNeeded = true;
    return;
  }
  const Boolean nested = FUpdatingScrollBars;
  if (!nested) {
    FInitialHScrollBarVisible = FHScrollBar->Visible();
    FInitialVScrollBarVisible = FVScrollBar->Visible();
  }
  FUpdatingScrollBars = true;
  Finally restore([&] {
    FUpdatingScrollBars = nested;
    if (!nested) FIsInitialScrollBarsParams = false;
  });
  const Boolean hWas = FHScrollBar->Visible(), vWas = FVScrollBar->Visible();
  if (!FIsInitialScrollBarsParams) {
    if (!FCalculatingScrollBarsParams) {
      FCalculatingScrollBarsParams = true;
      Finally calculated([&] { FCalculatingScrollBarsParams = false; });
      FHScrollBar->Data.Visible = false;
      FVScrollBar->Data.Visible = false;
      // Each round sees the client bounds shrunk by the bars asked for so
      // far; the pair settles within a few rounds (bounded for safety).
      for (Integer round = 0; round < 8; ++round) {
        const Boolean h = FHScrollBar->Data.Visible, v = FVScrollBar->Data.Visible;
        InitScrollBarsParameters();
        if (h == FHScrollBar->Data.Visible && v == FVScrollBar->Data.Visible) break;
      }
      const TvlScrollBarData& hd = FHScrollBar->Data;
      const TvlScrollBarData& vd = FVScrollBar->Data;
      if (hd.Visible && vd.Visible && hd.Enabled && vd.Enabled && hd.AllowHide && vd.AllowHide &&
          AllowHideBothScrollBars(sbHorizontal) && AllowHideBothScrollBars(sbVertical) &&
          FVScrollBar->Width() + hd.PageSize >= hd.Max - hd.Min + 1 &&
          FHScrollBar->Height() + vd.PageSize >= vd.Max - vd.Min + 1) {
        const TvlScrollBarData h = hd, v = vd;
        SetScrollBarInfo(sbHorizontal, h.Min, h.Max, h.SmallChange, h.PageSize + FVScrollBar->Width(), h.Position,
                         h.AllowShow, h.AllowHide);
        SetScrollBarInfo(sbVertical, v.Min, v.Max, v.SmallChange, v.PageSize + FHScrollBar->Height(), v.Position,
                         v.AllowShow, v.AllowHide);
      }
    }
    if (nested && FHScrollBar->Data.Visible == FInitialHScrollBarVisible &&
        FVScrollBar->Data.Visible == FInitialVScrollBarVisible) {
      // Flip-flop: the bars would come back to where the outer update began.
      FIsInitialScrollBarsParams = true;
      const Boolean initial[2] = {FInitialHScrollBarVisible, FInitialVScrollBarVisible};
      TvlControlScrollBar* bars[2] = {FHScrollBar, FVScrollBar};
      for (Integer i = 0; i < 2; ++i)
        if (bars[i]->Visible() != initial[i]) {
          bars[i]->SetVisible(true);
          bars[i]->SetEnabledProp(false);
        }
    } else {
      FHScrollBar->ApplyData();
      FVScrollBar->ApplyData();
    }
  }
  if (hWas != FHScrollBar->Visible() || vWas != FVScrollBar->Visible()) {
    BoundsChanged();
  } else {
    FSizeGrip->SetVisible(FHScrollBar->Visible() && FVScrollBar->Visible());
    SetInternalControlsBounds();
    if (KeepInternalControlsOnTop()) BringInternalControlsToFront();
  }
}

void TvlControl::ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos) {
  Scroll(static_cast<TvlScrollBar*>(Sender)->Kind(), ScrollCode, ScrollPos);
}

void TvlControl::ScrollContent(TvlDirection ADirection) {
  if (ADirection == dirNone) return;
  const Boolean bars = HasScrollBars() && FHScrollBar;
  if (!bars && !CanScrollContentWithoutScrollBars(ADirection)) return;
  const TScrollBarKind kind = (ADirection == dirLeft || ADirection == dirRight) ? sbHorizontal : sbVertical;
  const TScrollCode code = (ADirection == dirLeft || ADirection == dirUp) ? scLineUp : scLineDown;
  Integer pos = bars ? (kind == sbHorizontal ? FHScrollBar : FVScrollBar)->Position() : 0;
  Scroll(kind, code, pos);
  Update();
}

void TvlControl::ScrollWindow(Integer DX, Integer DY, const TRect& AScrollRect) {
  if (!HandleAllocated()) return;
  if (CurrentDragObject) CurrentDragObject->HideDragImage();
  ScrollWindowEx(WindowHandle(), DX, DY, &AScrollRect, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
  if (CurrentDragObject) CurrentDragObject->ShowDragImage();
}

TvlMouseWheelScrollingKind TvlControl::GetMouseWheelScrollingKind() {
  return VScrollBarVisible() ? mwskVertical : mwskNone;
}

Boolean TvlControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  const TvlMouseWheelScrollingKind kind = GetMouseWheelScrollingKind();
  if (kind == mwskNone) return false;
  TvlDirection dir;
  if (kind == mwskVertical)
    dir = WheelDelta >= 0 ? dirUp : dirDown;
  else
    dir = WheelDelta >= 0 ? dirLeft : dirRight;
  for (Integer i = 0; i < Mouse()->WheelScrollLines(); ++i) ScrollContent(dir);
  return true;
}

// --- Middle-button panning -------------------------------------------------------------------

void TvlControl::DoMiddleButtonScrolling() {
  const Boolean hBar = HScrollBarVisible(), vBar = VScrollBarVisible();
  if (!hBar && !vBar) return;
  FIsScrollingContent = true;
  TPoint start{};
  GetCursorPos(&start);
  const Integer size = vlScrollIndicatorSize;
  HBITMAP indicator = vlCreateScrollIndicatorBitmap(hBar, vBar);
  HWND wnd = CreateWindowExW(WS_EX_TOPMOST, u"STATIC", u"", WS_POPUP, start.X - size / 2, start.Y - size / 2, size,
                             size, Handle(), nullptr, nullptr, nullptr);
  SetWindowRgn(wnd, CreateEllipticRgn(0, 0, size + 1, size + 1), FALSE);
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  {
    HDC wdc = GetDC(wnd);
    HDC mdc = CreateCompatibleDC(wdc);
    HGDIOBJ old = SelectObject(mdc, indicator);
    BitBlt(wdc, 0, 0, size, size, mdc, 0, 0, SRCCOPY);
    SelectObject(mdc, old);
    DeleteDC(mdc);
    HRGN frame = CreateEllipticRgn(0, 0, size + 1, size + 1);
    FrameRgn(wdc, frame, GetSysColorBrush(COLOR_WINDOWTEXT), 1, 1);
    DeleteObject(frame);
    ReleaseDC(wnd, wdc);
  }
  TvlDirection direction = dirNone;
  Integer speed = 1, counter = 0;
  Boolean moved = false;
  auto setCursor = [&] {
    TCursor c;
    switch (direction) {
      case dirUp: c = crvlUpScroll; break;
      case dirRight: c = crvlRightScroll; break;
      case dirDown: c = crvlDownScroll; break;
      case dirLeft: c = crvlLeftScroll; break;
      default: c = hBar && vBar ? crvlFullScroll : hBar ? crvlHorScroll : crvlVerScroll;
    }
    win::SetCursor(Screen->Cursors(c));
  };
  setCursor();
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
  SetCapture(Handle());
  TWeakRef<Self> link(this);
  Finally leave([&] {
    if (link && HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
    KillTimer(nullptr, timer);
    DestroyWindow(wnd);
    DeleteObject(indicator);
    if (link) FIsScrollingContent = false;
  });
  TPoint last = start;
  while (link && HandleAllocated() && GetCapture() == WindowHandle()) {
    MSG msg{};
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (!got) {
      PostQuitMessage(Integer(msg.wParam));
      break;
    }
    if (msg.message == WM_PAINT && msg.hwnd == wnd) {
      ValidateRect(wnd, nullptr);
      continue;
    }
    if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_ESCAPE) {
      DispatchMessageW(&msg);
      break;
    }
    if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer) {
      ++counter;
      if (speed > 0 && counter % (13 - speed) == 0) ScrollContent(direction);
      continue;
    }
    if (msg.message == WM_MOUSEMOVE) {
      TPoint p{};
      GetCursorPos(&p);
      if (p != last) {
        last = p;
        // The neutral zone: a square of the indicator's size around the start,
        // stretched along an axis that cannot scroll.
        const Boolean inH = !hBar || std::abs(p.X - start.X) <= size / 2;
        const Boolean inV = !vBar || std::abs(p.Y - start.Y) <= size / 2;
        if (inH && inV) {
          direction = dirNone;
          speed = 0;
        } else {
          moved = true;
          const Integer dx = p.X - start.X, dy = p.Y - start.Y;
          const Boolean vertical = !hBar || (vBar && std::abs(dy) >= std::abs(dx));
          const Integer d = vertical ? dy : dx;
          direction = vertical ? (d < 0 ? dirUp : dirDown) : (d < 0 ? dirLeft : dirRight);
          speed = std::min((std::abs(d) - size / 2) / 5 + 1, 12);
        }
        setCursor();
      }
      DispatchMessageW(&msg);
      continue;
    }
    if (msg.message == WM_MBUTTONUP) {
      if (moved) {
        DispatchMessageW(&msg);
        break;
      }
      continue;
    }
    if ((msg.message >= 513 && msg.message <= 519) || (msg.message >= 521 && msg.message <= 526)) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// --- Drag and drop ------------------------------------------------------------------------------

TvlDragAndDropObjectClass TvlControl::ChooseDragAndDropObjectClass() {
  return FDragAndDropObjectClass ? FDragAndDropObjectClass : ClassOf<TvlDragAndDropObject>();
}

TvlDragAndDropObject* TvlControl::DragAndDropObject() {
  if (!FDragAndDropObject) FDragAndDropObject = CreateFrom(ChooseDragAndDropObjectClass(), this);
  return FDragAndDropObject;
}

void TvlControl::SetDragAndDropState(TvlDragAndDropState Value) {
  if (FDragAndDropState == Value) return;
  FDragAndDropState = Value;
  if (Value == ddsNone && !FFinishingDragAndDrop) CancelMouseOperations();
}

void TvlControl::BeginDragAndDrop() {
  DragAndDropObject()->DoBeginDragAndDrop();
  SetMouseCapture(true);
  FDragAndDropPrevCursor = Screen->Cursor();
  FDragAndDropState = ddsInProcess;
}

void TvlControl::DragAndDrop(const TPoint& P, Boolean& Accepted) { DragAndDropObject()->DoDragAndDrop(P, Accepted); }

void TvlControl::EndDragAndDrop(Boolean Accepted) {
  FDragAndDropState = ddsNone;
  Screen->SetCursor(FDragAndDropPrevCursor);
  SetMouseCapture(false);
  SetMouseCaptureObject(nullptr);
  DragAndDropObject()->DoEndDragAndDrop(Accepted);
}

void TvlControl::FinishDragAndDrop(Boolean Accepted) {
  if (FFinishingDragAndDrop) return;
  FFinishingDragAndDrop = true;
  TWeakRef<Self> link(this);
  Finally done([&] {
    if (link) FFinishingDragAndDrop = false;
  });
  if (FDragAndDropState == ddsInProcess)
    EndDragAndDrop(Accepted);
  else
    SetDragAndDropState(ddsNone);
  if (link) FreeAndNil(FDragAndDropObject);
}

Boolean TvlControl::IsCopyDragDrop() { return GetAsyncKeyState(VK_CONTROL) < 0; }

void TvlControl::DoStartDrag(TDragObject*& DragObject) {
  Update();
  inherited::DoStartDrag(DragObject);
  if (!DragObject) DragObject = CreateFrom(GetDragObjectClass(), static_cast<TControl*>(this));
  if (!StartDrag(DragObject)) {
    FreeAndNil(DragObject);
    CancelDrag();
  }
}

void TvlControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  inherited::DoEndDrag(Target, X, Y);
  FreeAndNil(FDragImages);
}

void TvlControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept) {
  if (TDragObject* d = dynamic_cast<TDragObject*>(Source)) CurrentDragObject = State == dsDragLeave ? nullptr : d;
  inherited::DragOver(Source, X, Y, State, Accept);
}

TDragImageList* TvlControl::GetDragImages() {
  if (!HasDragImages()) return nullptr;
  if (!FDragImages) {
    FDragImages = CreateFrom(GetDragImagesClass(), static_cast<TComponent*>(nullptr));
    InitDragImages(FDragImages);
  }
  return FDragImages->Count() > 0 ? FDragImages : nullptr;
}

void TvlControl::InitDragImages(TvlDragImageList* AImages) {
  const TPoint size = GetDragImagesSize();
  AImages->SetWidth(size.X);
  AImages->SetHeight(size.Y);
  if (size.X == 0 || size.Y == 0) return;
  TBitmap* bitmap = New<TBitmap>();
  Finally freeBitmap([&] { Free(bitmap); });
  bitmap->SetSize(size.X, size.Y);
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  Finally freeCanvas([&] { Free(canvas); });
  DrawDragImage(canvas, TRect{0, 0, size.X, size.Y});
  AImages->AddMasked(bitmap, bitmap->TransparentColor());
}

// --- Child components and the design controller ------------------------------------------

CL_IMPLEMENT_CLASS(TvlControlChildComponent)
CL_IMPLEMENT_CLASS(TvlDesignController)
CL_IMPLEMENT_CLASS(TvlSettingsController)

void TvlControlChildComponent::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  Initialize();
}

void TvlControlChildComponent::CreateEx(TvlControl* AControl, Boolean AAssignOwner) {
  Create(AAssignOwner && AControl ? AControl->Owner() : nullptr);
  FControl = AControl;
}

void TvlControlChildComponent::Destroy() {
  if (FControl) FControl->RemoveChildComponent(this);
  inherited::Destroy();
}

void TvlControlChildComponent::SetParentComponent(TComponent* Value) {
  inherited::SetParentComponent(Value);
  if (TvlControl* control = dynamic_cast<TvlControl*>(Value)) control->AddChildComponent(this);
}

void TvlDesignController::DesignerModified(TCustomForm* AForm) {
  if (FLockDesignerModifiedCount > 0 || FState.Contains(dsDesignerModifying)) return;
  FState.Include(dsDesignerModifying);
  Finally done([&] { FState.Exclude(dsDesignerModifying); });
  // No form designer runs in this system: a form never has one to tell.
  (void)AForm;
}

TvlDesignController* vlDesignController() {
  if (!DesignController) DesignController = New<TvlDesignController>();
  return DesignController;
}

void TvlSettingsController::Destroy() {
  if (FWindow) DeallocateHWnd(FWindow);
  FWindow = nullptr;
  inherited::Destroy();
}

void TvlSettingsController::AddListener(TvlControl* AControl) {
  if (std::find(FList.begin(), FList.end(), AControl) != FList.end()) return;
  if (FList.empty()) FWindow = AllocateHWnd(TWndMethod(this, &TvlSettingsController::WndProc));
  FList.push_back(AControl);
}

void TvlSettingsController::RemoveListener(TvlControl* AControl) {
  auto it = std::find(FList.begin(), FList.end(), AControl);
  if (it == FList.end()) return;
  FList.erase(it);
  if (FList.empty() && FWindow) {
    DeallocateHWnd(FWindow);
    FWindow = nullptr;
  }
}

void TvlSettingsController::NotifyListeners() {
  for (TvlControl* c : FList)
    if (c->HandleAllocated()) SendNotifyMessageW(c->WindowHandle(), VLM_SCROLLBARMETRICSCHANGED, 0, 0);
}

void TvlSettingsController::WndProc(TMessage& Message) {
  HandleExceptionsOf(this, [&] {
    if (Message.Msg == WM_SETTINGCHANGE && Message.WParam == SPI_SETNONCLIENTMETRICS) {
      NotifyListeners();
      Message.Result = 0;
    } else {
      Message.Result = DefWindowProcW(FWindow, Message.Msg, Message.WParam, Message.LParam);
    }
  });
}

TvlSettingsController* vlSettingsController() {
  if (!SettingsController && !SettingsControllerFreed) SettingsController = New<TvlSettingsController>();
  return SettingsController;
}

void vlFreeSettingsController() {
  SettingsControllerFreed = true;
  FreeAndNil(SettingsController);
  FreeAndNil(DesignController);
}

void vlResetSettingsControllerForStartup() { SettingsControllerFreed = false; }
