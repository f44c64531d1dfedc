#include "lib/lookandfeel/vlPopupWindow.h"

#include <algorithm>

#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/win/Windows.h"

using namespace win;

CL_IMPLEMENT_CLASS(TvlPopupWindow)

void TvlPopupWindow::Create() {
  inherited::CreateNew(nullptr);
  FCanvas = New<TvlCanvas>(inherited::Canvas());
  FAdjustable = true;
  FAlignHorz = pahLeft;
  FAlignVert = pavBottom;
  FBorderStyle = pbsNone;
  FDirection = pdVertical;
  FFrameColor = clWindowText;
  inherited::SetBorderStyle(bsNone);
  SetDefaultMonitor(dmDesktop);
  SetFormStyle(fsStayOnTop);
}

void TvlPopupWindow::Destroy() {
  FreeAndNil(FCanvas);
  inherited::Destroy();
}

void TvlPopupWindow::Popup() {
  InitPopup();
  CalculateSize();
  const TPoint p = CalculatePosition();
  SetLeft(p.X);
  SetTop(p.Y);
  Show();
}

void TvlPopupWindow::CloseUp() { Hide(); }

Integer TvlPopupWindow::GetBorderWidth(TvlBorder) {
  switch (FBorderStyle) {
    case pbsUltraFlat:
    case pbsFlat:
      return 1;
    case pbs3D:
      return 2;
    default:
      return 0;
  }
}

Integer TvlPopupWindow::GetFullBorderWidth(TvlBorder ABorder) { return GetBorderWidth(ABorder) + FBorderSpace; }

Integer TvlPopupWindow::GetNCWidth() { return GetFullBorderWidth(bLeft) + GetFullBorderWidth(bRight); }

Integer TvlPopupWindow::GetNCHeight() { return GetFullBorderWidth(bTop) + GetFullBorderWidth(bBottom); }

TRect TvlPopupWindow::GetClientBounds() {
  const TRect r = ClientRect();
  return TRect{r.Left + GetFullBorderWidth(bLeft), r.Top + GetFullBorderWidth(bTop), r.Right - GetFullBorderWidth(bRight),
               r.Bottom - GetFullBorderWidth(bBottom)};
}

TRect TvlPopupWindow::OwnerBoundsOnScreen() {
  if (!FOwnerParent) return FOwnerBounds;
  const TPoint tl = FOwnerParent->ClientToScreen(TPoint{FOwnerBounds.Left, FOwnerBounds.Top});
  const TPoint br = FOwnerParent->ClientToScreen(TPoint{FOwnerBounds.Right, FOwnerBounds.Bottom});
  return TRect{tl.X, tl.Y, br.X, br.Y};
}

void TvlPopupWindow::InitPopup() {
  if (FOwnerParent) SetFont(FOwnerParent->Font());
}

void TvlPopupWindow::RestoreControlsPosition() {
  // Only children that CalculateSize moved inside the frame go back: two
  // settings in a row would otherwise move them out twice.
  if (!FControlsMoved) return;
  FControlsMoved = false;
  const Integer dx = GetFullBorderWidth(bLeft), dy = GetFullBorderWidth(bTop);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left() - dx, c->Top() - dy, c->Width(), c->Height());
  }
}

void TvlPopupWindow::SetBorderStyle(TvlPopupBorderStyle Value) {
  if (FBorderStyle == Value) return;
  RestoreControlsPosition();
  FBorderStyle = Value;
}

void TvlPopupWindow::SetBorderSpace(Integer Value) {
  if (FBorderSpace == Value) return;
  RestoreControlsPosition();
  FBorderSpace = Value;
}

void TvlPopupWindow::CalculateSize() {
  if (!FAdjustable) return;
  RestoreControlsPosition();
  const Integer dx = GetFullBorderWidth(bLeft), dy = GetFullBorderWidth(bTop);
  Integer right = 0, bottom = 0;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    right = std::max(right, c->Left() + c->Width());
    bottom = std::max(bottom, c->Top() + c->Height());
    c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  FControlsMoved = ControlCount() > 0;
  if (ControlCount() == 0 && right == 0 && bottom == 0) return;
  SetWidth(dx + right + GetFullBorderWidth(bRight));
  SetHeight(dy + bottom + GetFullBorderWidth(bBottom));
}

TPoint TvlPopupWindow::CalculatePosition() {
  const TRect owner = OwnerBoundsOnScreen();
  const Integer w = Width(), h = Height();
  TvlPopupAlignHorz alignHorz = FAlignHorz;
  TvlPopupAlignVert alignVert = FAlignVert;
  TPoint p{}, ref{};
  auto place = [&] {
    if (alignHorz == pahCenter) p.X = ref.X = (owner.Left + owner.Right - w) / 2;
    if (alignVert == pavCenter) p.Y = ref.Y = (owner.Top + owner.Bottom - h) / 2;
    if (FDirection == pdVertical) {
      if (alignHorz == pahLeft) p.X = ref.X = owner.Left;
      if (alignHorz == pahRight) {
        p.X = owner.Right - w;
        ref.X = owner.Right;
      }
      if (alignVert == pavTop) {
        p.Y = owner.Top - h;
        ref.Y = owner.Top;
      }
      if (alignVert == pavBottom) p.Y = ref.Y = owner.Bottom;
    } else {
      if (alignHorz == pahLeft) {
        p.X = owner.Left - w;
        ref.X = owner.Left;
      }
      if (alignHorz == pahRight) p.X = ref.X = owner.Right;
      if (alignVert == pavTop) p.Y = ref.Y = owner.Top;
      if (alignVert == pavBottom) {
        p.Y = owner.Bottom - h;
        ref.Y = owner.Bottom;
      }
    }
  };
  place();
  const TRect work = vlGetDesktopWorkAreaAtPoint(ref);
  Boolean turned = false;
  if (FDirection == pdVertical) {
    const Boolean moreRoomAbove = work.Bottom - owner.Bottom < owner.Top - work.Top;
    if (alignVert == pavBottom && p.Y + h > work.Bottom && moreRoomAbove) {
      alignVert = pavTop;
      turned = true;
    } else if (alignVert == pavTop && p.Y < work.Top && !moreRoomAbove) {
      alignVert = pavBottom;
      turned = true;
    }
  } else {
    const Boolean moreRoomLeft = work.Right - owner.Right < owner.Left - work.Left;
    if (alignHorz == pahRight && p.X + w > work.Right && moreRoomLeft) {
      alignHorz = pahLeft;
      turned = true;
    } else if (alignHorz == pahLeft && p.X < work.Left && !moreRoomLeft) {
      alignHorz = pahRight;
      turned = true;
    }
  }
  if (turned) place();
  if (FDirection == pdVertical || alignHorz == pahCenter) {
    if (p.X + w > work.Right) p.X = work.Right - w;
    if (p.X < work.Left) p.X = work.Left;
  }
  if (FDirection == pdHorizontal || alignVert == pavCenter) {
    if (p.Y + h > work.Bottom) p.Y = work.Bottom - h;
    if (p.Y < work.Top) p.Y = work.Top;
  }
  return p;
}

void TvlPopupWindow::Paint() {
  inherited::Paint();
  DrawFrame();
}

void TvlPopupWindow::DrawFrame() {
  const TRect r{0, 0, Width(), Height()};
  switch (FBorderStyle) {
    case pbsUltraFlat:
      FCanvas->FrameRect(r, FFrameColor);
      break;
    case pbsFlat:
      FCanvas->DrawEdge(r, false, false);
      break;
    case pbs3D:
      FCanvas->DrawEdge(r, false, true);
      FCanvas->DrawEdge(vlInflateRectBy(r, -1, -1), false, false);
      break;
    default:
      break;
  }
}

void TvlPopupWindow::DoDeactivate() {
  inherited::DoDeactivate();
  CloseUp();
}

void TvlPopupWindow::WMActivate(TMessage& Message) {
  inherited::Dispatch(Message);
  if (LOWORD(Message.WParam) != WA_INACTIVE) {
    FPrevActiveWindow = reinterpret_cast<HWND>(Message.LParam);
    if (FPrevActiveWindow) SendMessageW(FPrevActiveWindow, WM_NCACTIVATE, 1, 0);
  }
}

void TvlPopupWindow::WMActivateApp(TMessage& Message) {
  inherited::Dispatch(Message);
  if (Message.WParam == 0) {
    if (FPrevActiveWindow && IsWindow(FPrevActiveWindow)) SendMessageW(FPrevActiveWindow, WM_NCACTIVATE, 0, 0);
    CloseUp();
  }
}

void TvlPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ACTIVATE:
      WMActivate(Message);
      break;
    case WM_ACTIVATEAPP:
      WMActivateApp(Message);
      break;
    case CM_VISIBLECHANGED:
      inherited::Dispatch(Message);
      VisibleChanged();
      break;
    default:
      inherited::Dispatch(Message);
  }
}
