#include "platform/vcl/ExtCtrls.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/ControlsPublish.h"

using namespace win;

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) {
  Canvas->Pen()->SetWidth(1);
  Rect.Right -= 1;
  Rect.Bottom -= 1;
  for (Integer i = 0; i < Width; ++i) {
    Canvas->Pen()->SetColor(TopColor);
    TPoint top[3] = {{Rect.Left, Rect.Bottom}, {Rect.Left, Rect.Top}, {Rect.Right, Rect.Top}};
    Canvas->Polyline(top, 3);
    Canvas->Pen()->SetColor(BottomColor);
    // the corner pixel at the top right is the bottom colour's
    TPoint bottom[3] = {{Rect.Right, Rect.Top}, {Rect.Right, Rect.Bottom}, {Rect.Left - 1, Rect.Bottom}};
    Canvas->Polyline(bottom, 3);
    Rect.Left += 1;
    Rect.Top += 1;
    Rect.Right -= 1;
    Rect.Bottom -= 1;
  }
  Rect.Right += 1;
  Rect.Bottom += 1;
}

// --- TCustomPanel ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomPanel)

CL_IMPLEMENT_CLASS_PUBLISHED(TPanel, P) {
  PublishControlProperties(P, {u"Align"});
  P.Property(u"Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter);
  PublishControlProperties(P, {u"Anchors", u"AutoSize"});
  P.Property(u"BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone);
  P.Property(u"BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised);
  P.Property(u"BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Default(1);
  PublishControlProperties(P, {u"BiDiMode", u"BorderWidth"});
  P.Property(u"BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle).Default(bsNone);
  PublishControlProperties(P, {u"Caption"});
  P.Property(u"Color", &TControl::Color, &TControl::SetColor)
      .Type(TypeInfoTColor())
      .Stored(&TControl::IsColorStored)
      .Default(clBtnFace);
  PublishControlProperties(P, {u"Constraints", u"Ctl3D", u"DoubleBuffered", u"DragCursor", u"DragKind",
                               u"DragMode", u"Enabled", u"Font"});
  P.Property(u"FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint).Default(true);
  PublishControlProperties(P, {u"ParentBackground", u"ParentBiDiMode"});
  P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
  PublishControlProperties(P, {u"ParentCtl3D", u"ParentDoubleBuffered", u"ParentFont", u"ParentShowHint",
                               u"PopupMenu", u"ShowHint", u"TabOrder", u"TabStop", u"Visible", u"OnCanResize",
                               u"OnClick", u"OnConstrainedResize", u"OnContextPopup", u"OnDblClick",
                               u"OnDragDrop", u"OnDragOver", u"OnEndDrag", u"OnEnter", u"OnExit",
                               u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove", u"OnMouseUp",
                               u"OnResize", u"OnStartDrag"});
}

void TCustomPanel::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks, csReplicatable});
  SetBounds(Left(), Top(), 185, 41);
  FAlignment = taCenter;
  FBevelOuter = bvRaised;
  FBevelWidth = 1;
  FBorderStyle = bsNone;
  FFullRepaint = true;
  SetColor(clBtnFace);
  SetParentColor(false);
}

void TCustomPanel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CM_BORDERCHANGED: CMBorderChanged(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  Integer bevel = 0;
  if (FBevelOuter != bvNone) bevel += FBevelWidth;
  if (FBevelInner != bvNone) bevel += FBevelWidth;
  Rect.Left += bevel;
  Rect.Top += bevel;
  Rect.Right -= bevel;
  Rect.Bottom -= bevel;
}

namespace {

void BevelColors(TBevelCut Cut, TColor& Top, TColor& Bottom) {
  Top = clBtnHighlight;
  Bottom = clBtnShadow;
  if (Cut == bvLowered) std::swap(Top, Bottom);
}

}  // namespace

// The outer bevel, the border width in the panel's colour, the inner bevel,
// the face and the caption.
void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  TColor top, bottom;
  if (FBevelOuter != bvNone) {
    BevelColors(FBevelOuter, top, bottom);
    if (FBevelOuter == bvSpace) top = bottom = Color();
    Frame3D(c, r, top, bottom, FBevelWidth);
  }
  Frame3D(c, r, Color(), Color(), BorderWidth());
  if (FBevelInner != bvNone) {
    BevelColors(FBevelInner, top, bottom);
    if (FBevelInner == bvSpace) top = bottom = Color();
    Frame3D(c, r, top, bottom, FBevelWidth);
  }
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(ParentBackground() && Parent() ? Parent()->Color() : Color());
  c->FillRect(r);
  String text = Caption();
  if (text.empty()) return;
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  LongInt flags = DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER |
                  (FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER);
  flags = DrawTextBiDiModeFlags(flags);
  c->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
  DrawTextW(c->Handle(), text.c_str(), int(text.size()), &r, UINT(flags));
}

void TCustomPanel::Resize() {
  if (FFullRepaint) Invalidate();
  inherited::Resize();
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  if (FBevelInner == Value) return;
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  if (FBevelOuter == Value) return;
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
  Value = std::max<TBevelWidth>(Value, 1);
  if (FBevelWidth == Value) return;
  FBevelWidth = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (Value != bsNone) Value = bsSingle;
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  Invalidate();
}

void TCustomPanel::CMCtl3DChanged(TMessage& Message) {
  if (FBorderStyle == bsSingle) RecreateWnd();
  inherited::Dispatch(Message);
}

void TCustomPanel::CMBorderChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  Invalidate();
}

// --- TBevel --------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TBevel, P) {
  PublishControlProperties(P, {u"Align", u"Anchors", u"Constraints", u"ParentShowHint"});
  P.Property(u"Shape", &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Style", &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
  PublishControlProperties(P, {u"Visible"});
}

void TBevel::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  TControlStyle s = ControlStyle();
  s.Include(csReplicatable);
  SetControlStyle(s);
  FShape = bsBox;
  FStyle = bsLowered;
  SetBounds(Left(), Top(), 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  if (FShape == Value) return;
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Invalidate();
}

// A lowered bevel is dark at the top left and light at the bottom right;
// lines are two pixels, dark then light.
void TBevel::Paint() {
  TCanvas* c = Canvas();
  TColor c1 = clBtnShadow, c2 = clBtnHighlight;
  if (FStyle == bsRaised) std::swap(c1, c2);
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(psSolid);
  auto rectLines = [&](const TRect& R, TColor A, TColor B) {
    c->Pen()->SetColor(A);
    TPoint p1[3] = {{R.Left, R.Bottom}, {R.Left, R.Top}, {R.Right, R.Top}};
    c->Polyline(p1, 3);
    c->Pen()->SetColor(B);
    TPoint p2[3] = {{R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}};
    c->Polyline(p2, 3);
  };
  auto line = [&](TColor Color, Integer X1, Integer Y1, Integer X2, Integer Y2) {
    c->Pen()->SetColor(Color);
    c->MoveTo(X1, Y1);
    c->LineTo(X2, Y2);
  };
  Integer w = Width(), h = Height();
  switch (FShape) {
    case bsBox: rectLines(TRect{0, 0, w - 1, h - 1}, c1, c2); break;
    case bsFrame:
      rectLines(TRect{1, 1, w - 1, h - 1}, c2, c2);
      rectLines(TRect{0, 0, w - 2, h - 2}, c1, c1);
      break;
    case bsTopLine:
      line(c1, 0, 0, w, 0);
      line(c2, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(c1, 0, h - 2, w, h - 2);
      line(c2, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(c1, 0, 0, 0, h);
      line(c2, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(c1, w - 2, 0, w - 2, h);
      line(c2, w - 1, 0, w - 1, h);
      break;
    case bsSpacer: break;
  }
}

// --- TImage ---------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TImage, P) {
  PublishControlProperties(P, {u"Align", u"Anchors", u"AutoSize"});
  P.Property(u"Center", &TImage::Center, &TImage::SetCenter).Default(false);
  PublishControlProperties(P, {u"Constraints", u"DragCursor", u"DragKind", u"DragMode", u"Enabled",
                               u"ParentShowHint"});
  P.Property(u"Picture", &TImage::Picture, &TImage::SetPicture);
  PublishControlProperties(P, {u"PopupMenu"});
  P.Property(u"Proportional", &TImage::Proportional, &TImage::SetProportional).Default(false);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false);
  P.Property(u"Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
  PublishControlProperties(P, {u"Visible", u"OnClick", u"OnContextPopup", u"OnDblClick", u"OnDragDrop",
                               u"OnDragOver", u"OnEndDrag", u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave",
                               u"OnMouseMove", u"OnMouseUp", u"OnStartDrag"});
}

void TImage::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  TControlStyle s = ControlStyle();
  s.Include(csReplicatable);
  SetControlStyle(s);
  FPicture = New<TPicture>();
  FPicture->SetOnChange(TNotifyEvent(this, &TImage::PictureChanged));
  SetBounds(Left(), Top(), 105, 105);
}

void TImage::Destroy() {
  FreeAndNil(FPicture);
  inherited::Destroy();
}

TCanvas* TImage::Canvas() {
  if (!FPicture->Graphic()) {
    TBitmap* b = New<TBitmap>();
    Finally release([&] { Free(b); });
    b->SetWidth(Width());
    b->SetHeight(Height());
    FPicture->SetGraphic(b);
  }
  if (!Is<TBitmap>(FPicture->Graphic()))
    throw EInvalidOperation(u"Can only modify an image if it contains a bitmap");
  return static_cast<TBitmap*>(FPicture->Graphic())->Canvas();
}

void TImage::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

void TImage::SetCenter(Boolean Value) {
  if (FCenter == Value) return;
  FCenter = Value;
  PictureChanged(this);
}

void TImage::SetProportional(Boolean Value) {
  if (FProportional == Value) return;
  FProportional = Value;
  PictureChanged(this);
}

void TImage::SetStretch(Boolean Value) {
  if (FStretch == Value) return;
  FStretch = Value;
  PictureChanged(this);
}

void TImage::SetTransparent(Boolean Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  PictureChanged(this);
}

TRect TImage::DestRect() {
  Integer w = FPicture->Width(), h = FPicture->Height();
  Integer cw = ClientWidth(), ch = ClientHeight();
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      double aspect = double(w) / double(h);
      if (w > h) {
        w = cw;
        h = Integer(double(cw) / aspect);
        if (h > ch) {
          h = ch;
          w = Integer(double(ch) * aspect);
        }
      } else {
        h = ch;
        w = Integer(double(ch) * aspect);
        if (w > cw) {
          w = cw;
          h = Integer(double(cw) / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r{0, 0, w, h};
  if (FCenter) {
    Integer dx = (cw - w) / 2, dy = (ch - h) / 2;
    r = TRect{dx, dy, dx + w, dy + h};
  }
  return r;
}

void TImage::Paint() {
  if (ComponentState().Contains(csDesigning)) {
    Canvas()->Pen()->SetStyle(psDash);
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Rectangle(0, 0, Width(), Height());
  }
  TGraphic* g = FPicture->Graphic();
  if (!g || g->Empty()) return;
  FDrawing = true;
  Finally reset([&] { FDrawing = false; });
  TGraphicControl::Canvas()->StretchDraw(DestRect(), g);
}

void TImage::PictureChanged(TObject*) {
  if (AutoSize() && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
  TGraphic* g = FPicture->Graphic();
  if (g && !Is<TMetafile>(g)) g->SetTransparent(FTransparent);
  TRect d = DestRect();
  TControlStyle s = ControlStyle();
  if (!g || g->Transparent() || d.Left > 0 || d.Top > 0 || d.Right < Width() || d.Bottom < Height())
    s.Exclude(csOpaque);
  else
    s.Include(csOpaque);
  SetControlStyle(s);
  if (!FDrawing) Invalidate();
}

Boolean TImage::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  if (FPicture->Width() > 0 && FPicture->Height() > 0) {
    if (Align() == alNone || Align() == alLeft || Align() == alRight) NewWidth = FPicture->Width();
    if (Align() == alNone || Align() == alTop || Align() == alBottom) NewHeight = FPicture->Height();
  }
  return true;
}

// --- TTimer ---------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TTimer, P) {
  P.Property(u"Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
  P.Property(u"Interval", &TTimer::Interval, &TTimer::SetInterval).Default(Cardinal(1000));
  P.Property(u"OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

void TTimer::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FEnabled = true;
  FInterval = 1000;
  FWindowHandle = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
}

void TTimer::Destroy() {
  FEnabled = false;
  if (FWindowHandle) {
    UpdateTimer();
    DeallocateHWnd(FWindowHandle);
    FWindowHandle = nullptr;
  }
  inherited::Destroy();
}

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg == WM_TIMER) {
    HandleExceptionsOf(this, [&] { Timer(); });
    return;
  }
  Message.Result = DefWindowProcW(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TTimer::UpdateTimer() {
  KillTimer(FWindowHandle, 1);
  if (FInterval != 0 && FEnabled && Assigned(FOnTimer))
    if (SetTimer(FWindowHandle, 1, FInterval, nullptr) == 0) {
      FEnabled = false;
      throw EOutOfResources(u"Not enough timers available");
    }
}

void TTimer::SetEnabled(Boolean Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (FInterval == Value) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& Value) {
  FOnTimer = Value;
  UpdateTimer();
}

void TTimer::Timer() {
  if (Assigned(FOnTimer)) FOnTimer(this);
}

// --- Unit start-up ------------------------------------------------------------------------------------

namespace {

void ExtCtrlsStartup() { RegisterExtCtrlsClasses(); }
void ExtCtrlsShutdown() {
  UnRegisterClasses({TPanel::StaticClass(), TBevel::StaticClass(), TImage::StaticClass(), TTimer::StaticClass()});
}

}  // namespace

void RegisterExtCtrlsClasses() {
  for (TClass c : {TPanel::StaticClass(), TBevel::StaticClass(), TImage::StaticClass(), TTimer::StaticClass()})
    if (!GetClass(c->ClassName())) RegisterClass(c);
}

CL_UNIT_STEPS(ExtCtrls, &ExtCtrlsStartup, &ExtCtrlsShutdown);
