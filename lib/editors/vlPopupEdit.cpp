#include "lib/editors/vlPopupEdit.h"

#include "lib/editors/vlEditConsts.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlGeometry.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"

// --- Properties ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomPopupEditProperties)

void TvlCustomPopupEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  SetPopupAutoSize(true);
  SetPopupMinHeight(100);
  SetPopupMinWidth(100);
  SetPopupHeight(200);
  SetPopupWidth(250);
  SetPopupSizeable(true);
}

TvlCustomEditClass TvlCustomPopupEditProperties::GetContainerClass() const { return ClassOf<TvlPopupEdit>(); }

TvlCustomEditPopupWindowClass TvlCustomPopupEditProperties::GetPopupWindowClass() const {
  return ClassOf<TvlPopupEditPopupWindow>();
}

void TvlCustomPopupEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TvlCustomPopupEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Assign(Source);
  SetPopupControl(s->PopupControl());
}

void TvlCustomPopupEditProperties::SetPopupControl(TControl* Value) { FPopupControl = Value; }

CL_IMPLEMENT_CLASS(TvlPopupEditProperties)

void TvlPopupEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  SetImmediateDropDown(true);
  SetImmediatePopup(true);
}

// --- The editor ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomPopupEdit)

void TvlCustomPopupEdit::Destroy() {
  // The lent control goes back before the popup holding it is freed.
  RestorePopupControlData();
  inherited::Destroy();
}

void TvlCustomPopupEdit::InitializePopup() {
  if (TControl* c = ActiveProperties()->PopupControl()) {
    Boolean circular = c == PopupWindow() || c == this;
    for (TWinControl* p = Parent(); p && !circular; p = p->Parent()) circular = c == p;
    if (circular) throw EvlEditError(vlGetResourceStringText(vlSEditPopupCircularReferencingError));
  }
  inherited::InitializePopup();
}

TWinControl* TvlCustomPopupEdit::GetPopupFocusedControl() {
  return dynamic_cast<TWinControl*>(ActiveProperties()->PopupControl());
}

void TvlCustomPopupEdit::GetPopupContentPreferredSize(TSize& ASize) {
  TControl* c = ActiveProperties()->PopupControl();
  ASize = c ? TSize{c->Width(), c->Height()} : TSize{};
}

void TvlCustomPopupEdit::SavePopupControlData() {
  TControl* c = ActiveProperties()->PopupControl();
  if (!c || FLentControl.Get() == c) return;
  FPrevPopupControlData.Align = c->Align();
  FPrevPopupControlData.Bounds = c->BoundsRect();
  FPrevPopupControlData.Parent = c->Parent();
  FPrevPopupControlData.Visible = c->Visible();
  FPrevParent = c->Parent();
  if (auto* form = dynamic_cast<TCustomForm*>(c)) {
    FPrevPopupControlData.BorderStyle = form->BorderStyle();
    form->SetBorderStyle(bsNone);
  }
  FLentControl = c;
}

void TvlCustomPopupEdit::RestorePopupControlData() {
  TControl* c = FLentControl.Get();
  FLentControl = nullptr;
  if (!c || c->ComponentState().Contains(csDestroying)) return;
  c->SetVisible(false);
  c->SetParent(FPrevParent.Get());
  c->SetAlign(FPrevPopupControlData.Align);
  c->SetBoundsRect(FPrevPopupControlData.Bounds);
  if (auto* form = dynamic_cast<TCustomForm*>(c)) form->SetBorderStyle(FPrevPopupControlData.BorderStyle);
  c->SetVisible(FPrevPopupControlData.Visible);
}

void TvlCustomPopupEdit::InitializePopupWindow() {
  TControl* c = ActiveProperties()->PopupControl();
  SavePopupControlData();
  if (c) {
    c->SetParent(PopupWindow());
    c->SetVisible(true);
  }
  inherited::InitializePopupWindow();
  if (c) c->SetAlign(alClient);
}

void TvlCustomPopupEdit::PositionPopupContent(const TRect& AClientRect) {
  if (TControl* c = ActiveProperties()->PopupControl())
    c->SetBounds(AClientRect.Left, AClientRect.Top, AClientRect.Right - AClientRect.Left,
                 AClientRect.Bottom - AClientRect.Top);
}

void TvlCustomPopupEdit::PopupWindowClosed(TObject* Sender) {
  RestorePopupControlData();
  inherited::PopupWindowClosed(Sender);
}

void TvlCustomPopupEdit::ClosePopupWithReason(TvlEditCloseUpReason AReason) {
  FCloseUpReason = AReason;
  if (PopupWindow()) PopupWindow()->ClosePopup();
}

CL_IMPLEMENT_CLASS(TvlPopupEdit)

// --- The popup window ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlPopupEditPopupWindowViewInfo)

void TvlPopupEditPopupWindowViewInfo::DrawBorder(TvlCanvas* ACanvas, TRect& R) {
  if (Assigned(OnCustomDrawBorder) || NativeStyle || Painter || BorderStyle != epbsFrame3D) {
    inherited::DrawBorder(ACanvas, R);
    return;
  }
  // Raised outer and inner edges, then an inactive-border and a face frame.
  ACanvas->DrawEdge(R, false, true);
  R = vlInflateRectBy(R, -1, -1);
  ACanvas->DrawEdge(R, false, false);
  R = vlInflateRectBy(R, -1, -1);
  ACanvas->FrameRect(R, clInactiveBorder);
  R = vlInflateRectBy(R, -1, -1);
  ACanvas->FrameRect(R, clBtnFace);
  R = vlInflateRectBy(R, -1, -1);
}

CL_IMPLEMENT_CLASS(TvlPopupEditPopupWindow)
