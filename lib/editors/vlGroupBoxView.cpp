// The group box's view data (extents, caption layout by the panel, skin and
// standard rules) and view info (background, caption, frame).
#include "lib/editors/vlEditUtils.h"
#include "lib/editors/vlGroupBox.h"
#include "lib/foundation/vlControlBasics.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/foundation/vlTextLayout.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/lookandfeel/vlOffice11LookAndFeelPainter.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

constexpr Integer kCaptionOffset = 8;  // the standard caption's distance from the frame's corner
constexpr Integer kShadowSize = 3;
constexpr Integer kCaptionGap = 3;     // between the caption band and the client area


TvlGroupBoxCaptionPosition OppositePosition(TvlGroupBoxCaptionPosition APosition) {
  switch (APosition) {
    case vlgpTop: return vlgpBottom;
    case vlgpBottom: return vlgpTop;
    case vlgpLeft: return vlgpRight;
    case vlgpRight: return vlgpLeft;
    default: return vlgpCenter;
  }
}

Boolean TouchesLeft(TvlCaptionAlignment A) {
  return A == alTopLeft || A == alBottomLeft || A == alLeftTop || A == alLeftCenter || A == alLeftBottom;
}
Boolean TouchesRight(TvlCaptionAlignment A) {
  return A == alTopRight || A == alBottomRight || A == alRightTop || A == alRightCenter || A == alRightBottom;
}
Boolean TouchesTop(TvlCaptionAlignment A) {
  return A == alTopLeft || A == alTopCenter || A == alTopRight || A == alLeftTop || A == alRightTop;
}
Boolean TouchesBottom(TvlCaptionAlignment A) {
  return A == alBottomLeft || A == alBottomCenter || A == alBottomRight || A == alLeftBottom || A == alRightBottom;
}
Boolean CentredHorizontally(TvlCaptionAlignment A) {
  return A == alTopCenter || A == alBottomCenter || A == alCenterCenter;
}
Boolean CentredVertically(TvlCaptionAlignment A) {
  return A == alLeftCenter || A == alRightCenter || A == alCenterCenter;
}

// The Office 2003 panel colours: the button face blended with the window colour.
constexpr Integer kPanelColor1Percent = 22, kPanelColor2Percent = 96;
TColor Office11PanelColor(Integer APercent) {
  return nbBlendColors(ColorToRGB(clBtnFace), ColorToRGB(clWindow), APercent);
}

// The skin's non-client caption band of a group box (empty without a skin or for a panel).
TRect NonClientBandOf(TvlCustomGroupBox* ABox, TvlCustomLookAndFeelPainterClass APainter) {
  if (!ABox || !APainter || ABox->IsPanel()) return TRect{};
  const TvlGroupBoxCaptionPosition pos = vlGetCaptionPosition(ABox->Alignment());
  const TRect s = APainter->GroupBoxBorderSize(true, pos);
  TRect r{};
  switch (pos) {
    case vlgpTop: r.Top = s.Top + s.Bottom; break;
    case vlgpBottom: r.Bottom = s.Top + s.Bottom; break;
    case vlgpLeft: r.Left = s.Left + s.Right; break;
    case vlgpRight: r.Right = s.Left + s.Right; break;
    default: break;
  }
  return r;
}

}  // namespace

// --- Properties -------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomGroupBoxProperties)

TvlCustomEditClass TvlCustomGroupBoxProperties::GetContainerClass() const { return ClassOf<TvlCustomGroupBox>(); }
TvlCustomEditViewInfoClass TvlCustomGroupBoxProperties::GetViewInfoClass() const {
  return ClassOf<TvlGroupBoxViewInfo>();
}
TvlCustomEditViewDataClass TvlCustomGroupBoxProperties::EditViewDataClass() const {
  return ClassOf<TvlGroupBoxViewData>();
}

// --- View data ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlGroupBoxViewData)

TvlCustomGroupBox* TvlGroupBoxViewData::GroupBox() const { return dynamic_cast<TvlCustomGroupBox*>(Edit()); }

TvlContainerState TvlGroupBoxViewData::CalculateContainerState(const TRect&, const TPoint&, TvlMouseButton,
                                                               TShiftState) {
  return TvlContainerState{Enabled ? csNormal : csDisabled};
}

Boolean TvlGroupBoxViewData::IsNativeStyle(TvlLookAndFeel* ALookAndFeel) const {
  return (ALookAndFeel->NativeStyle() || ALookAndFeel->Kind() == lfOffice11) && nbIsThemeAvailable(totEdit) &&
         !ALookAndFeel->SkinPainter();
}

TColor TvlGroupBoxViewData::GetBorderColor() {
  const TvlEditBorderStyle border = FStyle->EditBorderStyle();
  if (border == ebsUltraFlat || border == ebsOffice11)
    return Enabled ? vlGetFlatEditBorderColor(border == ebsOffice11) : clBtnShadow;
  return FStyle->BorderColor();
}

Integer TvlGroupBoxViewData::CaptionTextHeight() {
  TvlCustomGroupBox* box = GroupBox();
  TFont* font = box && box->CaptionFont() ? box->CaptionFont() : FStyle->GetVisibleFont();
  return vlMeasureTextHeight(font, u"Wg");
}

TRect TvlGroupBoxViewData::GetBorderExtent() {
  TRect r = inherited::GetBorderExtent();
  TvlCustomGroupBox* box = GroupBox();
  if (IsInplace() || !box || box->Alignment() == alCenterCenter || box->IsPanel()) return r;
  const Integer h = CaptionTextHeight();
  switch (vlGetCaptionPosition(box->Alignment())) {
    case vlgpTop: r.Top = h / 2 + 1; break;
    case vlgpBottom: r.Bottom = h / 2 + 1; break;
    case vlgpLeft: r.Left = h / 2; break;
    case vlgpRight: r.Right = h / 2; break;
    default: break;
  }
  return r;
}

TRect TvlGroupBoxViewData::GetClientExtent(TvlCanvas*, TvlCustomEditViewInfo* AViewInfo) {
  TRect r = TvlCustomEditViewData::GetBorderExtent();
  TvlCustomGroupBox* box = GroupBox();
  if (!box) return r;
  const TvlGroupBoxCaptionPosition pos = vlGetCaptionPosition(box->Alignment());
  if (!IsInplace()) {
    if (TvlCustomLookAndFeelPainterClass skin = FStyle->LookAndFeel()->SkinPainter()) {
      const TRect s = box->IsPanel() ? skin->PanelBorderSize() : skin->GroupBoxBorderSize(false, pos);
      r = TRect{r.Left + s.Left, r.Top + s.Top, r.Right + s.Right, r.Bottom + s.Bottom};
      if (box->HasNonClientArea()) {
        const TRect band = NonClientBandOf(box, skin);
        if (pos == vlgpTop) r.Bottom += band.Top;
        if (pos == vlgpLeft) r.Right += band.Left;
      }
    }
  }
  if (IsInplace() || box->IsPanel() || box->Alignment() == alCenterCenter) return r;
  const Integer side = CaptionTextHeight() + kCaptionGap + r.Top;
  switch (pos) {
    case vlgpTop: r.Top = side; break;
    case vlgpBottom: r.Bottom = side; break;
    case vlgpLeft: r.Left = side; break;
    case vlgpRight: r.Right = side; break;
    default: break;
  }
  (void)AViewInfo;
  return r;
}

Boolean TvlGroupBoxViewData::HasShadow() {
  TvlCustomGroupBox* box = GroupBox();
  if (box && !box->IsShadowVisible()) return false;
  return inherited::HasShadow();
}

void TvlGroupBoxViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                                   TShiftState Shift, TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) {
  TvlGroupBoxViewInfo* vi = static_cast<TvlGroupBoxViewInfo*>(AViewInfo);
  vi->IsDesigning = IsDesigning;
  inherited::Calculate(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  TvlCustomGroupBox* box = GroupBox();
  vi->CaptionRect = TRect{};
  vi->TextRect = TRect{};
  vi->NonClientBand = TRect{};
  if (IsInplace() || !box) return;
  box->UpdateCaptionFont();
  box->UpdateVisibleCaption();
  vi->Text = box->VisibleCaption();
  // The control's canvas may be outside painting: the caption is measured on the screen's.
  TvlScreenCanvas* measure = vlGetScreenCanvas();
  Finally dormant([&] { measure->Dormant(); });
  if (box->IsPanel())
    CalculatePanelCaption(measure, vi);
  else if (vi->Painter)
    CalculateSkinCaption(measure, vi);
  else
    CalculateStandardCaption(measure, vi);
}

void TvlGroupBoxViewData::CalculatePanelCaption(TvlCanvas* ACanvas, TvlGroupBoxViewInfo* AViewInfo) {
  TvlCustomGroupBox* box = GroupBox();
  const TvlCaptionAlignment a = box->Alignment();
  const Integer indent = box->PanelStyle()->CaptionIndent();
  const Integer border = vlGetBorderStyleWidth(TvlContainerBorderStyle(AViewInfo->BorderStyle));
  TRect content = vlInflateRectBy(AViewInfo->PanelRect(), -border, -border);
  if (TouchesLeft(a)) content.Left += indent;
  if (TouchesRight(a)) content.Right -= indent;
  if (TouchesTop(a)) content.Top += indent;
  if (TouchesBottom(a)) content.Bottom -= indent;
  TRect text = content;
  Cardinal flags = VLTO_CALCRECT | VLTO_LEFT | VLTO_TOP;
  if (box->PanelStyle()->WordWrap()) flags |= VLTO_WORDBREAK;
  if (!AViewInfo->Text.empty())
    vlRenderText(ACanvas, AViewInfo->Text, text, flags, box->CaptionFont(), 0, 0, 0, 0x20000000, 1.0);
  else
    text = TRect{text.Left, text.Top, text.Left, text.Top};
  const Integer w = text.Width(), h = text.Height();
  text = TRect{content.Left, content.Top, content.Left + w, content.Top + h};
  if (CentredHorizontally(a))
    text = vlOffsetRect(text, (content.Width() - w) / 2, 0);
  else if (TouchesRight(a))
    text = vlOffsetRect(text, content.Right - text.Right, 0);
  if (TouchesBottom(a))
    text = vlOffsetRect(text, 0, content.Bottom - text.Bottom);
  else if (CentredVertically(a))
    text = vlOffsetRect(text, 0, (content.Height() - h) / 2);
  AViewInfo->TextRect = text;
  TRect caption{};
  IntersectRect(&caption, &text, &content);
  AViewInfo->CaptionRect = caption;
}

void TvlGroupBoxViewData::CalculateSkinCaption(TvlCanvas* ACanvas, TvlGroupBoxViewInfo* AViewInfo) {
  TvlCustomGroupBox* box = GroupBox();
  TvlCustomLookAndFeelPainterClass skin = AViewInfo->Painter;
  const TvlCaptionAlignment a = box->Alignment();
  const TvlGroupBoxCaptionPosition pos = vlGetCaptionPosition(a);
  const Boolean nonClient = box->HasNonClientArea();
  const TRect band = NonClientBandOf(box, skin);
  AViewInfo->NonClientBand = band;
  AViewInfo->BorderRect = TRect{0, 0, box->Width(), box->Height()};
  TRect caption = AViewInfo->Bounds;
  ACanvas->SaveState();
  Finally restore([&] { ACanvas->RestoreState(); });
  AViewInfo->PrepareCaptionFont(ACanvas);
  TSize size = ACanvas->TextExtent(AViewInfo->Text);
  size.cy = std::max(size.cy, ACanvas->TextExtent(u"Qq").cy);
  switch (pos) {
    case vlgpTop:
      caption.Bottom = caption.Top + size.cy;
      if (nonClient)
        caption.Top -= band.Top;
      else
        caption.Bottom += band.Top;
      break;
    case vlgpBottom: caption.Top = caption.Bottom - size.cy - band.Bottom; break;
    case vlgpLeft:
      caption.Right = caption.Left + size.cy;
      if (nonClient)
        caption.Left -= band.Left;
      else
        caption.Right += band.Left;
      break;
    case vlgpRight: caption.Left = caption.Right - size.cy - band.Right; break;
    default: caption = vlCenterSizeInRect(caption, size); break;
  }
  if (nonClient) {
    if (pos == vlgpTop) AViewInfo->BorderRect.Bottom -= band.Top;
    if (pos == vlgpLeft) AViewInfo->BorderRect.Right -= band.Left;
  }
  AViewInfo->CaptionRect = caption;
  TRect text = vlDeflateRectByBorders(caption, skin->GroupBoxBorderSize(true, pos));
  const Integer length = size.cx;
  switch (a) {
    case alTopRight:
    case alBottomRight: text.Left = text.Right - length; break;
    case alTopCenter:
    case alBottomCenter: text.Left = (text.Left + text.Right - length) / 2; break;
    case alLeftTop:
    case alRightTop: text.Bottom = text.Top + length; break;
    case alLeftBottom:
    case alRightBottom: text.Top = text.Bottom - length; break;
    case alLeftCenter:
    case alRightCenter:
      text.Top = (text.Top + text.Bottom - length) / 2;
      text.Bottom = text.Top + length;
      break;
    default: break;
  }
  AViewInfo->TextRect = text;
  AViewInfo->AdjustCaptionRect(skin);
}

void TvlGroupBoxViewData::CalculateStandardCaption(TvlCanvas* ACanvas, TvlGroupBoxViewInfo* AViewInfo) {
  if (AViewInfo->Text.empty()) return;
  TvlCustomGroupBox* box = GroupBox();
  TSize extent{};
  {
    ACanvas->SaveState();
    Finally restore([&] { ACanvas->RestoreState(); });
    AViewInfo->PrepareCaptionFont(ACanvas);
    vlMeasureTextExtent(ACanvas->Font(), AViewInfo->Text, 0, extent);
  }
  const Integer w = extent.cx, h = extent.cy;
  const Integer W = AViewInfo->Bounds.Width(), H = AViewInfo->Bounds.Height();
  const Integer s = HasShadow() ? kShadowSize : 0;
  TRect r{};
  switch (box->Alignment()) {
    case alTopLeft: r = TRect{kCaptionOffset, 0, kCaptionOffset + w, h}; break;
    case alTopCenter: r = vlRectFromBounds((W - s - w) / 2, 0, w, h); break;
    case alTopRight: r = vlRectFromBounds(W - s - kCaptionOffset - w, 0, w, h); break;
    case alBottomLeft: r = TRect{kCaptionOffset, H - h, kCaptionOffset + w, H}; break;
    case alBottomCenter: r = TRect{(W - s - w) / 2, H - h, (W - s - w) / 2 + w, H}; break;
    case alBottomRight: r = TRect{W - s - kCaptionOffset - w, H - h, W - s - kCaptionOffset, H}; break;
    case alCenterCenter: r = vlRectFromBounds((W - s - w) / 2, (H - s - h) / 2, w, h); break;
    case alLeftTop: r = TRect{0, kCaptionOffset, h, kCaptionOffset + 1 + w}; break;
    case alLeftCenter: {
      const Integer b = (H - s) - (H - s - w) / 2;
      r = TRect{0, b - w - 1, h, b};
      break;
    }
    case alLeftBottom: {
      const Integer b = H - s - kCaptionOffset;
      r = TRect{0, b - w - 1, h, b};
      break;
    }
    case alRightTop: r = TRect{W - h, kCaptionOffset, W, kCaptionOffset + w}; break;
    case alRightCenter: {
      const Integer t = (H - w) / 2;
      r = TRect{W - h, t, W, t + w};
      break;
    }
    case alRightBottom: r = TRect{W - h, H - kCaptionOffset - w, W, H - kCaptionOffset}; break;
  }
  r = vlOffsetRect(r, AViewInfo->Bounds.Left, AViewInfo->Bounds.Top);
  AViewInfo->CaptionRect = r;
  AViewInfo->TextRect = r;
}

// --- View info ----------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlGroupBoxViewInfo)

TvlCustomGroupBox* TvlGroupBoxViewInfo::GroupBox() const { return dynamic_cast<TvlCustomGroupBox*>(Edit); }

TvlEditButtonViewInfoClass TvlGroupBoxViewInfo::ButtonViewInfoClass() const {
  return ClassOf<TvlGroupBoxButtonViewInfo>();
}

void TvlGroupBoxViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  CaptionRect = vlOffsetRect(CaptionRect, DX, DY);
}

TRect TvlGroupBoxViewInfo::PanelRect() {
  TRect r = Bounds;
  if (Shadow && !NativeStyle && !Painter) {
    r.Right -= kShadowSize;
    r.Bottom -= kShadowSize;
  }
  return r;
}

TRect TvlGroupBoxViewInfo::FrameRect() {
  TvlCustomGroupBox* box = GroupBox();
  if (box && box->IsPanel()) return PanelRect();
  TRect r = BorderRect;
  vlExtendRectByEdges(r, BorderWidth, Edges);
  return r;
}

void TvlGroupBoxViewInfo::PrepareCaptionFont(TvlCanvas* ACanvas) {
  TvlCustomGroupBox* box = GroupBox();
  ACanvas->Font()->Assign(box ? box->CaptionFont() : Font);
  const TvlGroupBoxCaptionPosition pos = box ? vlGetCaptionPosition(box->Alignment()) : vlgpTop;
  TColor color = clDefault;
  if (Painter)
    color = Painter->GroupBoxTextColor(Enabled, pos);
  else if (NativeStyle)
    color = ClassOf<TvlWinXPLookAndFeelPainter>()->GroupBoxTextColor(Enabled, pos);
  if (color != clDefault) ACanvas->Font()->SetColor(color);
}

void TvlGroupBoxViewInfo::AdjustCaptionRect(TvlCustomLookAndFeelPainterClass APainter) {
  TvlCustomGroupBox* box = GroupBox();
  if (!box || !Assigned(box->OnMeasureCaptionHeight())) return;
  const TvlGroupBoxCaptionPosition pos = vlGetCaptionPosition(box->Alignment());
  const Boolean vertical = pos == vlgpLeft || pos == vlgpRight;
  Integer value = vertical ? CaptionRect.Width() : CaptionRect.Height();
  box->OnMeasureCaptionHeight()(box, APainter, value);
  switch (pos) {
    case vlgpTop: CaptionRect.Bottom = CaptionRect.Top + value; break;
    case vlgpBottom: CaptionRect.Top = CaptionRect.Bottom - value; break;
    case vlgpLeft: CaptionRect.Right = CaptionRect.Left + value; break;
    case vlgpRight: CaptionRect.Left = CaptionRect.Right - value; break;
    default: break;
  }
}

void TvlGroupBoxViewInfo::DoPaint(TvlCanvas* ACanvas) {
  TvlCustomGroupBox* box = GroupBox();
  if (IsInplace || !box) {
    if (!box)
      inherited::DoPaint(ACanvas);
    else if (!DrawsCustomBackground())
      ACanvas->FillRect(Bounds, BackgroundColor());
    else
      DrawEditBackground(ACanvas, Bounds, TRect{}, false);
    return;
  }
  DrawBackground(ACanvas);
  DrawCaption(ACanvas);
  if (!box->IsPanel() && !vlIsRectEmpty(CaptionRect)) ACanvas->ExcludeClipRect(CaptionRect);
  DrawFrame(ACanvas);
  if (IsDBEditPaintCopyDrawing) DrawButtons(ACanvas);
}

void TvlGroupBoxViewInfo::DrawBackground(TvlCanvas* ACanvas) {
  TvlCustomGroupBox* box = GroupBox();
  const Boolean panel = box->IsPanel();
  TvlCustomLookAndFeelPainterClass lfPainter = box->Style()->LookAndFeel()->Painter();
  const Boolean office11Panel = panel && lfPainter == ClassOf<TvlOffice11LookAndFeelPainter>();
  const TRect local{0, 0, box->Width(), box->Height()};
  if (NativeStyle || office11Panel) {
    if (panel) {
      TRect r = PanelRect();
      TvlCustomLookAndFeelPainterClass painter = NativeStyle ? ClassOf<TvlWinXPLookAndFeelPainter>() : lfPainter;
      const Boolean hasBorder = BorderStyle != ebsNone;
      TRect inner = hasBorder ? vlInflateRectBy(r, -painter->BorderSize(), -painter->BorderSize()) : r;
      if (box->Transparent()) {
        ACanvas->SaveClipRegion();
        Finally restore([&] { ACanvas->RestoreClipRegion(); });
        ACanvas->IntersectClipRect(inner);
        painter->DrawPanelBackground(ACanvas, box, r, clDefault, clDefault);
      } else if (NativeStyle) {
        if (box->AlwaysTransparent())
          vlDrawParentBackground(box, ACanvas, inner);
        else
          painter->DrawPanelBackground(ACanvas, box, inner, BackgroundColor(), BackgroundColor());
      } else {
        const TColor c1 = Office11PanelColor(kPanelColor1Percent), c2 = Office11PanelColor(kPanelColor2Percent);
        switch (box->PanelStyle()->OfficeBackgroundKind()) {
          case pobkGradient: painter->DrawPanelBackground(ACanvas, box, inner, c1, c2); break;
          case pobkOffice11Color: {
            const TColor c = nbBlendColors(c1, c2, 50);
            painter->DrawPanelBackground(ACanvas, box, inner, c, c);
            break;
          }
          default: painter->DrawPanelBackground(ACanvas, box, inner, BackgroundColor(), BackgroundColor()); break;
        }
      }
      return;
    }
    ACanvas->SaveClipRegion();
    Finally restore([&] { ACanvas->RestoreClipRegion(); });
    if (box->Transparent()) {
      vlDrawTransparentBackground(box, ACanvas, Bounds, true);
      return;
    }
    const Integer state = Enabled ? GBS_NORMAL : GBS_DISABLED;
    if (box->AlwaysTransparent() &&
        IsThemeBackgroundPartiallyTransparent(nbGetThemeHandle(totButton), BP_GROUPBOX, state)) {
      vlDrawParentBackground(box, ACanvas, Bounds);
    } else
      ACanvas->FillRect(Bounds, BackgroundColor());
    return;
  }
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  if (Painter) {
    const TRect r = panel ? PanelRect() : (BorderStyle != ebsNone ? BorderRect : Bounds);
    if (box->DoCustomDrawContentBackground(ACanvas, r, Painter)) return;
    if (panel) {
      Painter->DrawPanelContent(ACanvas, r, BorderStyle != ebsNone);
    } else if (BorderStyle != ebsNone) {
      const TvlGroupBoxCaptionPosition pos =
          Text.empty() ? vlgpCenter : vlGetCaptionPosition(box->Alignment());
      if (Painter->IsGroupBoxTransparent(false, pos) || Painter->IsGroupBoxTransparent(true, pos))
        vlDrawTransparentBackground(box, ACanvas, local, true);
      Painter->DrawGroupBoxContent(ACanvas, r, pos, Edges);
    } else
      Painter->DrawGroupBoxBackground(ACanvas, Bounds, r);
    return;
  }
  if (box->IsShadowVisible()) vlDrawShadow(ACanvas, FrameRect());
  if (Transparent) return;
  if (box->Transparent())
    vlDrawTransparentBackground(box, ACanvas, local, true);
  else
    vlFillRectByColor(ACanvas, local, BackgroundColor());
}

void TvlGroupBoxViewInfo::DrawCaption(TvlCanvas* ACanvas) {
  TvlCustomGroupBox* box = GroupBox();
  if (!box) return;
  ACanvas->SaveClipRegion();
  Finally restoreClip([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->IntersectClipRect(CaptionRect);
  if (Text.empty()) return;
  if (box->DoCustomDrawCaption(ACanvas, CaptionRect, Painter)) return;
  ACanvas->SaveState();
  Finally restoreState([&] { ACanvas->RestoreState(); });
  PrepareCaptionFont(ACanvas);
  const Boolean panel = box->IsPanel();
  const TvlCaptionAlignment a = box->Alignment();
  if (Painter && !panel) {
    const TvlGroupBoxCaptionPosition pos = vlGetCaptionPosition(a);
    TRect r = CaptionRect;
    if (BorderStyle == ebsNone) {
      const TRect s = Painter->GroupBoxBorderSize(false, OppositePosition(pos));
      r = vlInflateRectSides(r, s.Left, s.Top, s.Right, s.Bottom);
    }
    Painter->DrawGroupBoxCaption(ACanvas, r, pos);
  }
  ACanvas->Brush()->SetStyle(bsClear);
  const HDC dc = ACanvas->Handle();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(ACanvas->Font()->Color()));
  if (box->IsVerticalCaption()) {
    const Boolean left = vlGetCaptionPosition(a) == vlgpLeft;
    const TPoint p = left ? TPoint{TextRect.Left, TextRect.Bottom - 1} : TPoint{TextRect.Right, TextRect.Top + 1};
    vlWinExtTextOut(dc, Text, p, Integer(Text.size()), ETO_CLIPPED, &TextRect);
    return;
  }
  Cardinal flags = DT_SINGLELINE;
  if (panel) {
    flags = box->PanelStyle()->WordWrap() ? DT_WORDBREAK : DT_SINGLELINE;
    if (CentredHorizontally(a)) flags |= DT_CENTER;
    if (TouchesRight(a)) flags |= DT_RIGHT;
    if (CentredVertically(a)) flags |= DT_VCENTER;
    if (TouchesBottom(a)) flags |= DT_BOTTOM;
  }
  TRect r = TextRect;
  vlWinDrawText(dc, Text, r, Integer(Text.size()), flags);
}

void TvlGroupBoxViewInfo::DrawFrame(TvlCanvas* ACanvas) {
  TvlCustomGroupBox* box = GroupBox();
  const Boolean panel = box->IsPanel();
  const TRect frame = FrameRect();
  if (NativeStyle) {
    if (BorderStyle == ebsNone) return;
    if (panel) {
      ClassOf<TvlWinXPLookAndFeelPainter>()->DrawBorder(ACanvas, PanelRect());
      return;
    }
    TRect r{0, 0, box->Width(), box->Height()};
    if (box->Alignment() != alCenterCenter) {
      ACanvas->SaveState();
      PrepareCaptionFont(ACanvas);
      const Integer half = ACanvas->TextExtent(u"Qq").cy / 2;
      ACanvas->RestoreState();
      switch (vlGetCaptionPosition(box->Alignment())) {
        case vlgpTop: r.Top = half; break;
        case vlgpBottom: r.Bottom -= half; break;
        case vlgpLeft: r.Left = half; break;
        case vlgpRight: r.Right -= half; break;
        default: break;
      }
    }
    ClassOf<TvlWinXPLookAndFeelPainter>()->DrawGroupBoxFrame(ACanvas, r, Enabled, vlgpCenter, vlBordersAll);
    return;
  }
  if (Painter) return;
  switch (BorderStyle) {
    case ebsSingle:
    case ebsThick: ACanvas->FrameRect(frame, BorderColor, BorderStyle == ebsThick ? 2 : 1, Edges, true); break;
    case ebsFlat:
      ClassOf<TvlFlatLookAndFeelPainter>()->DrawGroupBoxFrame(ACanvas, frame, Enabled, vlgpCenter, Edges);
      break;
    case ebs3D:
      if (box->Ctl3D())
        ClassOf<TvlStandardLookAndFeelPainter>()->DrawGroupBoxFrame(ACanvas, frame, Enabled, vlgpCenter, Edges);
      else {
        ACanvas->FrameRect(frame, clWindowFrame, 1, Edges, true);
        ACanvas->FrameRect(vlInflateRectBy(frame, -1, -1), BackgroundColor(), 1, Edges, true);
      }
      break;
    default: break;
  }
}

// --- Button view info of the button groups ----------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlGroupBoxButtonViewInfo)

TRect TvlGroupBoxButtonViewInfo::GetGlyphRect(const TSize& AGlyphSize, TAlignment AAlignment, Boolean) {
  const Integer top = Bounds.Top + (Bounds.Height() - AGlyphSize.cy) / 2;
  const Integer left = AAlignment == taRightJustify ? Bounds.Left : Bounds.Right - AGlyphSize.cx;
  return vlRectFromBounds(left, top, AGlyphSize.cx, AGlyphSize.cy);
}
