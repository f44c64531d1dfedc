#include "lib/lookandfeel/vlDragImages.h"

#include <algorithm>

#include "lib/foundation/vlGeometry.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"
#include "platform/win/Modules.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

Boolean LayeredWindowsAvailable() {
  HMODULE user32 = FindLoadedModule(u"user32");
  return user32 && GetProcAddress(user32, "SetLayeredWindowAttributes") != nullptr;
}

}  // namespace

// --- TvlCustomDragImage -------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomDragImage)

void TvlCustomDragImage::Create() {
  inherited::Create();
  SetBounds(0, 0, 0, 0);
  SetAlphaBlend(true);
  SetAlphaBlendValue(180);
  SetPopupMode(pmExplicit);
}

void TvlCustomDragImage::BeforeDestruction() {
  // Marked as destroying first, so that the mode changes without a new window.
  inherited::BeforeDestruction();
  SetPopupMode(pmNone);
}

void TvlCustomDragImage::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.WindowClass.style |= CS_SAVEBITS;
  TCustomForm* owner = PopupParent();
  if (!owner && Screen) owner = Screen->ActiveForm();
  if (owner && owner != this && owner->HandleAllocated()) Params.WndParent = owner->Handle();
}

Boolean TvlCustomDragImage::AlphaBlended() { return AlphaBlend() && LayeredWindowsAvailable(); }

Boolean TvlCustomDragImage::Visible() { return HandleAllocated() && IsWindowVisible(WindowHandle()); }

void TvlCustomDragImage::SetVisible(Boolean Value) {
  if (Value)
    Show(SW_SHOWNA);
  else
    Hide();
}

void TvlCustomDragImage::Init(const TRect& ASourceBounds, const TPoint& ASourcePoint) {
  SetBounds(Left(), Top(), ASourceBounds.Width(), ASourceBounds.Height());
  FPositionOffset = TPoint{ASourcePoint.X - ASourceBounds.Left, ASourcePoint.Y - ASourceBounds.Top};
}

void TvlCustomDragImage::MoveTo(const TPoint& APosition) {
  HandleNeeded();
  SetBounds(APosition.X - FPositionOffset.X, APosition.Y - FPositionOffset.Y, Width(), Height());
}

void TvlCustomDragImage::Show(Integer ACmdShow) {
  ShowWindow(Handle(), ACmdShow);
  Update();
}

void TvlCustomDragImage::Hide() {
  if (HandleAllocated()) ShowWindow(WindowHandle(), SW_HIDE);
}

void TvlCustomDragImage::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      break;
    case WM_NCHITTEST:
      Message.Result = HTTRANSPARENT;
      break;
    default:
      inherited::Dispatch(Message);
  }
}

// --- TvlDragImage -------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlDragImage)

void TvlDragImage::Create() {
  FImage = New<TBitmap>();
  FImageCanvas = New<TvlCanvas>(FImage->Canvas());
  inherited::Create();
}

void TvlDragImage::Destroy() {
  inherited::Destroy();
  FreeAndNil(FImageCanvas);
  FreeAndNil(FImage);
}

void TvlDragImage::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FImage) FImage->SetSize(Width(), Height());
}

void TvlDragImage::Paint() {
  inherited::Paint();
  inherited::Canvas()->Canvas()->Draw(0, 0, FImage);
}

// --- TvlSizeFrame -------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlSizeFrame)

void TvlSizeFrame::Create(Integer AFrameWidth) {
  inherited::Create();
  FFrameWidth = AFrameWidth;
  SetAlphaBlend(false);
  FRegion = New<TvlRegion>();
  // A 50% hatch: black and white pixels alternating.
  FPattern = New<TBitmap>();
  FPattern->SetSize(8, 8);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x) FPattern->Canvas()->SetPixels(x, y, (x + y) % 2 ? clWhite : clBlack);
  inherited::Canvas()->Brush()->SetBitmap(FPattern);
}

void TvlSizeFrame::Destroy() {
  if (inherited::Canvas()) inherited::Canvas()->Brush()->SetBitmap(nullptr);
  inherited::Destroy();
  FreeAndNil(FRegion);
  FreeAndNil(FPattern);
}

void TvlSizeFrame::Paint() { TCustomForm::Canvas()->FillRect(ClientRect()); }

void TvlSizeFrame::DrawSizeFrame(const TRect& ARect) {
  FRegion->Combine(New<TvlRegion>(TRect{0, 0, ARect.Width(), ARect.Height()}), roSet);
  SetBounds(ARect.Left, ARect.Top, ARect.Width(), ARect.Height());
}

void TvlSizeFrame::DrawSizeFrame(const TRect& ARect, HRGN ARegion) {
  CombineRgn(FRegion->Handle(), ARegion, nullptr, RGN_COPY);
  SetBounds(ARect.Left, ARect.Top, ARect.Width(), ARect.Height());
}

void TvlSizeFrame::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!FRegion || !HandleAllocated() || 2 * FFrameWidth >= Width() || 2 * FFrameWidth >= Height()) return;
  TvlRegion* shape = New<TvlRegion>();
  CombineRgn(shape->Handle(), FRegion->Handle(), nullptr, RGN_COPY);
  if (!FFillSelection) {
    TvlRegion* eroded = New<TvlRegion>();
    CombineRgn(eroded->Handle(), FRegion->Handle(), nullptr, RGN_COPY);
    const TPoint shifts[] = {{FFrameWidth, 0}, {0, FFrameWidth}, {-FFrameWidth, 0}, {0, -FFrameWidth}};
    for (const TPoint& d : shifts) {
      TvlRegion* moved = New<TvlRegion>();
      CombineRgn(moved->Handle(), eroded->Handle(), nullptr, RGN_COPY);
      moved->Offset(d);
      eroded->Combine(moved, roIntersect);
    }
    shape->Combine(eroded, roSubtract);
  }
  HRGN current = CreateRectRgn(0, 0, 0, 0);
  const Boolean hasRegion = GetWindowRgn(Handle(), current) != ERROR;
  if (hasRegion && EqualRgn(current, shape->Handle())) {
    DeleteObject(current);
    Free(shape);
    return;
  }
  DeleteObject(current);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(region, shape->Handle(), nullptr, RGN_COPY);
  SetWindowRgn(Handle(), region, TRUE);  // the window owns the region now
  Free(shape);
}

// --- The insertion arrow --------------------------------------------------------------

TRect vlGetDragAndDropArrowBounds(const TRect& AAreaBounds, const TRect& AClientRect, TvlArrowPlace APlace) {
  TRect a = AAreaBounds;
  if (!vlIsRectEmpty(AClientRect)) {
    auto clampH = [&](Integer v) { return std::min(std::max(v, AClientRect.Left), AClientRect.Right - 1); };
    auto clampV = [&](Integer v) { return std::min(std::max(v, AClientRect.Top), AClientRect.Bottom - 1); };
    a.Left = clampH(a.Left);
    a.Right = clampH(a.Right);
    a.Top = clampV(a.Top);
    a.Bottom = clampV(a.Bottom);
  }
  switch (APlace) {
    case apLeft:
      return TRect{a.Left - 9, a.Top - 5, a.Left, a.Top + 6};
    case apRight:
      return TRect{a.Right, a.Top - 5, a.Right + 9, a.Top + 6};
    case apTop:
      return TRect{a.Left - 5, a.Top - 9, a.Left + 6, a.Top};
    default:
      return TRect{a.Left - 5, a.Bottom, a.Left + 6, a.Bottom + 9};
  }
}

std::vector<TPoint> vlGetDragAndDropArrowPoints(const TRect& ARect, TvlArrowPlace APlace, Boolean ARegion) {
  const Integer L = ARect.Left, T = ARect.Top, R = ARect.Right, B = ARect.Bottom, d = ARegion ? 1 : 0;
  switch (APlace) {
    case apLeft:
      return {{L + 3, T - d}, {L + 3, T + 3}, {L, T + 3}, {L, B + d - 4}, {L + 3, B + d - 4}, {L + 3, B + d - 1},
              {R + d - 1, T + 5}};
    case apTop:
      return {{L + 3, T},         {R + d - 4, T}, {R + d - 4, T + 3}, {R + d - 1, T + 3}, {L + 5, B + d - 1},
              {L, T + 3},         {L + 3, T + 3}};
    case apRight:
      return {{R + d - 4, T - d}, {R + d - 4, T + 3}, {R + d - 1, T + 3}, {R + d - 1, B + d - 4},
              {R + d - 4, B + d - 4}, {R + d - 4, B + d - 1}, {L, T + 5}};
    default:
      return {{L + 3, B + d - 1}, {R + d - 4, B + d - 1}, {R + d - 4, B + d - 4}, {R + d - 1, B + d - 4},
              {L + 5, T - d},     {L - d, B + d - 4},     {L + 3, B - 4}};
  }
}

void vlDrawDragAndDropArrow(TvlCanvas* ACanvas, const TRect& ARect, TvlArrowPlace APlace) {
  ACanvas->Brush()->SetColor(clLime);
  ACanvas->Pen()->SetColor(clBlack);
  ACanvas->Polygon(vlGetDragAndDropArrowPoints(ARect, APlace, false));
}

CL_IMPLEMENT_CLASS(TvlDragAndDropArrow)

void TvlDragAndDropArrow::Create(Boolean ATransparent) {
  inherited::Create();
  FTransparent = ATransparent;
  SetAlphaBlend(false);
  if (Transparent()) {
    SetTransparentColorValue(GetTransparentColor());
    SetTransparentColor(true);
  }
}

Boolean TvlDragAndDropArrow::Transparent() { return FTransparent && LayeredWindowsAvailable(); }

void TvlDragAndDropArrow::Init(TControl* AOwner, const TRect& AAreaBounds, TvlArrowPlace APlace,
                               const TRect& AClientRect) {
  TRect r = vlGetDragAndDropArrowBounds(AAreaBounds, AClientRect, APlace);
  if (AOwner) {
    const TPoint tl = AOwner->ClientToScreen(TPoint{r.Left, r.Top});
    const TPoint br = AOwner->ClientToScreen(TPoint{r.Right, r.Bottom});
    r = TRect{tl.X, tl.Y, br.X, br.Y};
  }
  HandleNeeded();
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
  const TRect image{0, 0, r.Width(), r.Height()};
  Canvas()->FillRect(image, GetTransparentColor());
  vlDrawDragAndDropArrow(Canvas(), image, APlace);
  if (!Transparent()) {
    const std::vector<TPoint> points = vlGetDragAndDropArrowPoints(image, APlace, true);
    SetWindowRgn(Handle(), CreatePolygonRgn(points.data(), Integer(points.size()), WINDING), TRUE);
  }
}
