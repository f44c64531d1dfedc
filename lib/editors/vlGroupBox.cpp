// The group box: its panel style, the control (caption font and text,
// client area, non-client caption, accelerators) and the unit's start-up.
#include "lib/editors/vlGroupBox.h"

#include "lib/foundation/vlControlBasics.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/vcl/Forms.h"
#include "platform/win/GdiText.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

constexpr Integer kDefaultWidth = 185, kDefaultHeight = 105;
constexpr Integer kMinCaptionIndent = 2;
constexpr Integer kEscapementBottomToTop = 900, kEscapementTopToBottom = 2700;

UINT GUpdateNonClientAreaMessage = 0;
Integer GStartupCount = 0;

void Startup() {
  if (GStartupCount++ == 0)
    GUpdateNonClientAreaMessage = RegisterWindowMessage(u"WM_NBUPDATENONCLIENTAREA");
  RegisterClasses({ClassOf<TvlGroupBox>()});
}

void Shutdown() {}

}  // namespace

CL_UNIT_STEPS(vlGroupBox, &Startup, &Shutdown);

UINT vlGroupBoxUpdateNonClientAreaMessage() { return GUpdateNonClientAreaMessage; }

TvlGroupBoxCaptionPosition vlGetCaptionPosition(TvlCaptionAlignment AAlignment) {
  switch (AAlignment) {
    case alTopLeft:
    case alTopCenter:
    case alTopRight: return vlgpTop;
    case alBottomLeft:
    case alBottomCenter:
    case alBottomRight: return vlgpBottom;
    case alLeftTop:
    case alLeftCenter:
    case alLeftBottom: return vlgpLeft;
    case alRightTop:
    case alRightCenter:
    case alRightBottom: return vlgpRight;
    default: return vlgpCenter;
  }
}

// --- Panel style ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlPanelStyle, P) {
  P.Property(u"Active", &TvlPanelStyle::Active, &TvlPanelStyle::SetActive).Default(false);
  P.Property(u"BorderWidth", &TvlPanelStyle::BorderWidth, &TvlPanelStyle::SetBorderWidth).Default(0);
  P.Property(u"CaptionIndent", &TvlPanelStyle::CaptionIndent, &TvlPanelStyle::SetCaptionIndent)
      .Default(kMinCaptionIndent);
  P.Property(u"OfficeBackgroundKind", &TvlPanelStyle::OfficeBackgroundKind, &TvlPanelStyle::SetOfficeBackgroundKind)
      .Default(pobkOffice11Color);
  P.Property(u"WordWrap", &TvlPanelStyle::WordWrap, &TvlPanelStyle::SetWordWrap).Default(false);
}

void TvlPanelStyle::Create(TvlCustomGroupBox* AOwner) {
  inherited::Create();
  FEdit = AOwner;
  FCaptionIndent = kMinCaptionIndent;
  FOfficeBackgroundKind = pobkOffice11Color;
}

void TvlPanelStyle::Assign(TPersistent* Source) {
  if (TvlPanelStyle* src = dynamic_cast<TvlPanelStyle*>(Source)) {
    SetActive(src->Active());
    SetBorderWidth(src->BorderWidth());
    SetCaptionIndent(src->CaptionIndent());
    SetOfficeBackgroundKind(src->OfficeBackgroundKind());
    SetWordWrap(src->WordWrap());
    return;
  }
  inherited::Assign(Source);
}

void TvlPanelStyle::SetActive(Boolean Value) {
  if (FActive == Value) return;
  FActive = Value;
  FEdit->LayoutChanged();
}

void TvlPanelStyle::SetBorderWidth(Integer Value) {
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  if (FActive) FEdit->LayoutChanged();
}

void TvlPanelStyle::SetCaptionIndent(Integer Value) {
  Value = std::max(kMinCaptionIndent, Value);
  if (FCaptionIndent == Value) return;
  FCaptionIndent = Value;
  if (FActive) FEdit->LayoutChanged();
}

void TvlPanelStyle::SetOfficeBackgroundKind(TvlPanelOffice11BackgroundKind Value) {
  if (FOfficeBackgroundKind == Value) return;
  FOfficeBackgroundKind = Value;
  if (FActive && FEdit->Style()->LookAndFeel()->Kind() == lfOffice11) FEdit->LayoutChanged();
}

void TvlPanelStyle::SetWordWrap(Boolean Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  if (FActive) FEdit->LayoutChanged();
}

// --- The control ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomGroupBox)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlGroupBox, P) {
  PublishControlProperties(P, {u"Align"});
  P.Property(u"Alignment", &TvlGroupBox::Alignment, &TvlGroupBox::SetAlignment).Default(alTopLeft);
  PublishControlProperties(P, {u"Anchors", u"BiDiMode", u"Caption"});
  P.Property(u"CaptionBkColor", &TvlGroupBox::CaptionBkColor, &TvlGroupBox::SetCaptionBkColor).Stored(false);
  PublishControlProperties(P, {u"Constraints", u"Ctl3D", u"DockSite", u"DragCursor", u"DragKind", u"DragMode",
                               u"Enabled"});
  P.Property(u"LookAndFeel", &TvlGroupBox::StyleLookAndFeel, &TvlGroupBox::SetStyleLookAndFeel);
  P.Property(u"PanelStyle", &TvlGroupBox::PanelStyle, &TvlGroupBox::SetPanelStyle);
  PublishControlProperties(P, {u"ParentBackground", u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D",
                               u"ParentFont", u"ParentShowHint", u"PopupMenu"});
  P.Property(u"RedrawOnResize", &TvlGroupBox::RedrawOnResize, &TvlGroupBox::SetRedrawOnResize).Default(true);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Style", &TvlGroupBox::Style, &TvlGroupBox::SetStyle);
  P.Property(u"StyleDisabled", &TvlGroupBox::StyleDisabled, &TvlGroupBox::SetStyleDisabled);
  P.Property(u"StyleFocused", &TvlGroupBox::StyleFocused, &TvlGroupBox::SetStyleFocused);
  P.Property(u"StyleHot", &TvlGroupBox::StyleHot, &TvlGroupBox::SetStyleHot);
  PublishControlProperties(P, {u"TabOrder", u"TabStop"});
  P.Property(u"Transparent", &TvlGroupBox::Transparent, &TvlGroupBox::SetTransparent).Default(false);
  PublishControlProperties(P, {u"Visible", u"OnClick", u"OnContextPopup"});
  P.Property(u"OnCustomDraw", &TvlGroupBox::OnCustomDraw, &TvlGroupBox::SetOnCustomDraw);
  P.Property(u"OnCustomDrawCaption", &TvlGroupBox::OnCustomDrawCaption, &TvlGroupBox::SetOnCustomDrawCaption);
  P.Property(u"OnCustomDrawContentBackground", &TvlGroupBox::OnCustomDrawContentBackground,
             &TvlGroupBox::SetOnCustomDrawContentBackground);
  PublishControlProperties(P, {u"OnDblClick", u"OnDockDrop", u"OnDockOver", u"OnDragDrop", u"OnDragOver",
                               u"OnEndDock", u"OnEndDrag", u"OnEnter", u"OnExit", u"OnGetSiteInfo"});
  P.Property(u"OnMeasureCaptionHeight", &TvlGroupBox::OnMeasureCaptionHeight,
             &TvlGroupBox::SetOnMeasureCaptionHeight);
  PublishControlProperties(P, {u"OnMouseDown", u"OnMouseMove", u"OnMouseUp", u"OnStartDock", u"OnStartDrag",
                               u"OnUnDock"});
}

void TvlCustomGroupBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FRedrawOnResize = true;
}

void TvlCustomGroupBox::Initialize() {
  inherited::Initialize();
  TControlStyle style = ControlStyle();
  style.Include(csAcceptsControls);
  style.Include(csCaptureMouse);
  style.Include(csClickEvents);
  SetControlStyle(style);
  SetBounds(Left(), Top(), kDefaultWidth, kDefaultHeight);
  FCaptionFont = New<TFont>();
  UpdateCaptionFont();
  SetTabStop(false);
  FPanelStyle = CreatePanelStyle();
}

void TvlCustomGroupBox::Destroy() {
  FreeAndNil(FCaptionFont);
  FreeAndNil(FPanelStyle);
  inherited::Destroy();
}

TvlPanelStyle* TvlCustomGroupBox::CreatePanelStyle() { return New<TvlPanelStyle>(this); }

void TvlCustomGroupBox::SetAlignment(TvlCaptionAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  LayoutChanged();
}

void TvlCustomGroupBox::SetPanelStyle(TvlPanelStyle* Value) {
  FPanelStyle->Assign(Value);
  LayoutChanged();
}

Boolean TvlCustomGroupBox::IsVerticalCaption() const {
  if (IsPanel()) return false;
  const TvlGroupBoxCaptionPosition pos = vlGetCaptionPosition(FAlignment);
  return pos == vlgpLeft || pos == vlgpRight;
}

Boolean TvlCustomGroupBox::HasNonClientArea() {
  // Messages arrive before the styles exist (early in construction).
  return FStyles && !IsPanel() && CanUseNonClientArea() && Style()->LookAndFeel()->SkinPainter() && !Text().empty() &&
         FAlignment != alCenterCenter;
}

void TvlCustomGroupBox::UpdateCaptionFont() {
  if (!FCaptionFont) return;
  FCaptionFont->Assign(GetVisibleFont());
  if (!IsVerticalCaption()) return;
  TEXTMETRICW metrics{};
  {
    HDC dc = GetDC(nullptr);
    Finally release([&] { ReleaseDC(nullptr, dc); });
    HGDIOBJ old = SelectObject(dc, FCaptionFont->Handle());
    GetTextMetrics(dc, &metrics);
    SelectObject(dc, old);
  }
  // A raster font cannot be rotated.
  if (!(metrics.tmPitchAndFamily & TMPF_TRUETYPE)) FCaptionFont->SetName(u"Arial");
  const Integer escapement =
      vlGetCaptionPosition(FAlignment) == vlgpLeft ? kEscapementBottomToTop : kEscapementTopToBottom;
  LOGFONTW lf{};
  GetObject(FCaptionFont->Handle(), sizeof(lf), &lf);
  if (lf.lfEscapement == escapement) return;
  lf.lfEscapement = escapement;
  lf.lfOrientation = escapement;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  FCaptionFont->SetHandle(CreateFontIndirect(&lf));
}

void TvlCustomGroupBox::UpdateVisibleCaption() {
  const String caption = IsVerticalCaption() ? vlStripAccelChars(Text(), true) : Text();
  if (caption == FVisibleCaption) return;
  FVisibleCaption = caption;
  PostNonClientUpdate();
}

void TvlCustomGroupBox::PostNonClientUpdate() {
  if (HandleAllocated() && CanUseNonClientArea() && GUpdateNonClientAreaMessage)
    PostMessage(WindowHandle(), GUpdateNonClientAreaMessage, 0, 0);
}

void TvlCustomGroupBox::LayoutChanged() {
  UpdateCaptionFont();
  UpdateVisibleCaption();
  ShortRefreshContainer(false);
  PostNonClientUpdate();
  Realign();
}

Boolean TvlCustomGroupBox::DoCustomDrawCaption(TvlCanvas* ACanvas, const TRect& ABounds,
                                               TvlCustomLookAndFeelPainterClass APainter) {
  Boolean done = false;
  if (Assigned(FOnCustomDrawCaption)) FOnCustomDrawCaption(this, ACanvas->Canvas(), ABounds, APainter, done);
  return done;
}

Boolean TvlCustomGroupBox::DoCustomDrawContentBackground(TvlCanvas* ACanvas, const TRect& ABounds,
                                                         TvlCustomLookAndFeelPainterClass APainter) {
  Boolean done = false;
  if (Assigned(FOnCustomDrawContentBackground))
    FOnCustomDrawContentBackground(this, ACanvas->Canvas(), ABounds, APainter, done);
  return done;
}

void TvlCustomGroupBox::AdjustClientRect(TRect& Rect) {
  if (IsDestroying()) return;
  TvlCustomEditViewData* data = MakeViewData();
  Finally freeData([&] { Free(data); });
  data->Bounds = TRect{0, 0, Width(), Height()};
  const TRect extent = data->GetClientExtent(Canvas(), ViewInfo());
  Rect = vlDeflateRectByBorders(TRect{0, 0, Width(), Height()}, extent);
  if (IsPanel()) Rect = vlInflateRectBy(Rect, -FPanelStyle->BorderWidth(), -FPanelStyle->BorderWidth());
}

Boolean TvlCustomGroupBox::IsShadowVisible() {
  if (!inherited::IsShadowVisible()) return false;
  const TvlGroupBoxCaptionPosition pos = vlGetCaptionPosition(FAlignment);
  if (!IsPanel() && pos != vlgpTop && pos != vlgpLeft) return false;
  return !UsesNativeStyle() && !Style()->LookAndFeel()->SkinPainter();
}

void TvlCustomGroupBox::GetShadowRect(TRect& R) {
  if (IsPanel())
    R = ViewInfo()->PanelRect();
  else
    inherited::GetShadowRect(R);
  switch (vlGetCaptionPosition(FAlignment)) {
    case vlgpTop: R.Top = 0; break;
    case vlgpBottom: R.Bottom = Height(); break;
    case vlgpLeft: R.Left = 0; break;
    case vlgpRight: R.Right = Width(); break;
    default: break;
  }
}

void TvlCustomGroupBox::GetShadowRectOffsets(TRect& R) {
  inherited::GetShadowRectOffsets(R);
  TRect shadow;
  GetShadowRect(shadow);
  const TRect frame = ViewInfo()->FrameRect();
  switch (vlGetCaptionPosition(FAlignment)) {
    case vlgpTop: R.Top = frame.Top - shadow.Top; break;
    case vlgpLeft: R.Left = frame.Left - shadow.Left; break;
    default: break;
  }
}

Boolean TvlCustomGroupBox::AlwaysTransparent() {
  // Asked by the window's last messages too, after the styles are gone.
  return FStyles && UsesNativeStyle() && ParentBackground() && !IsInplace() && !Transparent();
}

Boolean TvlCustomGroupBox::NeedsFullRepaint() {
  return FStyles && FRedrawOnResize && (UsesNativeStyle() || Style()->LookAndFeel()->SkinPainter());
}

void TvlCustomGroupBox::CreateHandle() {
  inherited::CreateHandle();
  PostNonClientUpdate();
}

void TvlCustomGroupBox::Paint() {
  Boolean done = false;
  if (Assigned(FOnCustomDraw)) FOnCustomDraw(this, done);
  if (!done) inherited::Paint();
}

void TvlCustomGroupBox::LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) {
  inherited::LookAndFeelChanged(Sender, AChangedValues);
  PostNonClientUpdate();
  Invalidate();
}

void TvlCustomGroupBox::StyleChanged(TObject* Sender) {
  UpdateCaptionFont();
  inherited::StyleChanged(Sender);
}

TvlContainerStyle* TvlCustomGroupBox::GetStyleForState(const TvlContainerState& AState) {
  return AState.Contains(csDisabled) ? StyleDisabled() : Style();
}

TvlContainerStyleValues TvlCustomGroupBox::GetUnpublishedStyleValues() {
  TvlContainerStyleValues r = inherited::GetUnpublishedStyleValues();
  r.Include(Byte(svHotTrack));
  return r;
}

void TvlCustomGroupBox::FontChanged() {
  inherited::FontChanged();
  Realign();
}

void TvlCustomGroupBox::TextChanged() {
  inherited::TextChanged();
  UpdateVisibleCaption();
  ShortRefreshContainer(false);
}

void TvlCustomGroupBox::Resize() {
  inherited::Resize();
  if (HasNonClientArea() && HandleAllocated())
    RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TvlCustomGroupBox::WndProc(TMessage& Message) {
  // HasNonClientArea reads the text, itself a message: asked only for these two.
  if (Message.Msg == WM_NCCALCSIZE && HasNonClientArea()) {
    WMNCCalcSize(Message);
    return;
  }
  if (Message.Msg == WM_NCPAINT && HasNonClientArea()) {
    WMNCPaint(Message);
    return;
  }
  if (GUpdateNonClientAreaMessage && Message.Msg == GUpdateNonClientAreaMessage) {
    if (CanUseNonClientArea()) UpdateNonClientArea();
    return;
  }
  inherited::WndProc(Message);
}

void TvlCustomGroupBox::WMNCCalcSize(TMessage& Message) {
  const TRect band = ViewInfo()->NonClientBand;
  RECT* r = reinterpret_cast<RECT*>(Message.LParam);
  if (r) *r = vlDeflateRectByBorders(*r, band);
  inherited::WndProc(Message);
}

void TvlCustomGroupBox::WMNCPaint(TMessage& Message) {
  TvlGroupBoxViewInfo* vi = ViewInfo();
  const TRect band = vi->NonClientBand;
  HDC dc = GetWindowDC(WindowHandle());
  {
    Finally release([&] { ReleaseDC(WindowHandle(), dc); });
    TvlPaintCanvas* canvas = vlGetPaintCanvas();
    canvas->BeginPaint(dc);
    Finally endPaint([&] { canvas->EndPaint(); });
    canvas->SetWindowOrg(TPoint{-band.Left, -band.Top});
    TRect clip = vi->CaptionRect;
    switch (vlGetCaptionPosition(FAlignment)) {
      case vlgpTop: clip.Bottom = clip.Top + band.Top; break;
      case vlgpBottom: clip.Top = clip.Bottom - band.Bottom; break;
      case vlgpLeft: clip.Right = clip.Left + band.Left; break;
      case vlgpRight: clip.Left = clip.Right - band.Right; break;
      default: break;
    }
    canvas->IntersectClipRect(clip);
    vi->DrawCaption(canvas);
  }
  inherited::WndProc(Message);
}

void TvlCustomGroupBox::UpdateNonClientArea() {
  SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
  Realign();
}

void TvlCustomGroupBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    CMDialogChar(Message);
    return;
  }
  inherited::Dispatch(Message);
}

void TvlCustomGroupBox::CMDialogChar(TMessage& Message) {
  TWMKey key(Message);
  if (IsAccel(key.CharCode(), Text()) && CanFocus()) {
    FIsAccelCharHandling = true;
    TWeakRef<TvlCustomGroupBox> self(this);
    {
      Finally reset([&] {
        if (self) FIsAccelCharHandling = false;
      });
      SelectFirst();
    }
    Message.Result = 1;
    return;
  }
  inherited::Dispatch(Message);
}
