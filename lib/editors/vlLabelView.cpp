// The label's layout (view data) and drawing (view info).
#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "lib/editors/vlEditUtils.h"
#include "lib/editors/vlExtEditUtils.h"
#include "lib/editors/vlLabel.h"
#include "lib/foundation/vlControlBasics.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// The gap between a centred line and the text, and around the text where the line is cut.
constexpr Integer kLineTextGap = 3;
// Fonts from this size up draw the raised and lowered styles with a second shade.
constexpr Integer kLargeFontSize = 12;

Boolean IsUnbounded(const TRect& R) { return R.Bottom == INT_MAX || R.Right >= INT_MAX; }

TColor Channel(TColor AColor, Integer AShift) { return TColor((Cardinal(ColorToRGB(AColor)) >> AShift) & 0xFF); }

// Copy i of n between the background and the shadow colour.
TColor FunCopyColor(TColor ABackground, TColor AShadow, Integer I, Integer N) {
  Cardinal rgb = 0;
  for (Integer shift : {0, 8, 16}) {
    const Integer b = Integer(Channel(ABackground, shift)), s = Integer(Channel(AShadow, shift));
    const Integer c = Integer(std::trunc(Double(I) * Double(s - b) / Double(N) + Double(b)));
    rgb |= Cardinal(std::clamp(c, 0, 255)) << shift;
  }
  return TColor(rgb);
}

Integer Sign(Integer V) { return V > 0 ? 1 : V < 0 ? -1 : 0; }

}  // namespace

// --- View info -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomLabelViewInfo)

void TvlCustomLabelViewInfo::Create() {
  inherited::Create();
  FAlignment = New<TvlEditAlignment>(static_cast<TPersistent*>(nullptr));
  FDrawBitmap = New<TBitmap>();
  FInplaceOffset = TPoint{INT_MAX, INT_MAX};
}

void TvlCustomLabelViewInfo::Destroy() {
  FreeAndNil(FDrawBitmap);
  FreeAndNil(FAlignment);
  inherited::Destroy();
}

void TvlCustomLabelViewInfo::WriteBackgroundColor(TColor Value) {
  inherited::WriteBackgroundColor(Value);
  FIsDrawBitmapDirty = true;
}

void TvlCustomLabelViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  FLabelTextRect = vlOffsetRect(FLabelTextRect, DX, DY);
  FocusRect = vlOffsetRect(FocusRect, DX, DY);
  if (Transparent) FIsDrawBitmapDirty = true;
}

void TvlCustomLabelViewInfo::Paint(TvlCanvas* ACanvas) { inherited::Paint(ACanvas); }

void TvlCustomLabelViewInfo::DoPaint(TvlCanvas* ACanvas) {
  vlDrawEditBackgroundAndButtons(ACanvas, this, true);
  DrawLabel(ACanvas);
}

void TvlCustomLabelViewInfo::DrawLabelBackground(TvlCanvas* ACanvas, const TRect& ARect) {
  ACanvas->FillRect(ARect, BackgroundColor());
}

void TvlCustomLabelViewInfo::DrawLabel(TvlCanvas* ACanvas) {
  const TRect client = ClientRect;
  if (vlIsRectEmpty(client)) return;
  TRect textRect = FLabelTextRect;
  if (IsInplace) textRect = vlDeflateRectByBorders(textRect, DrawTextOffsets);
  if (!IsInplace && Transparent && Edit && Edit->ControlState().Contains(csPaintCopy)) {
    DrawLabelTo(ACanvas, client, textRect, FLineRect, true);
    return;
  }
  const TPoint at{Left, Top};
  if (!vlPointsEqual(FInplaceOffset, at) || FIsDrawBitmapDirty || Transparent) {
    FInplaceOffset = at;
    FDrawBitmap->SetPixelFormat(pf32bit);
    FDrawBitmap->SetSize(client.Width(), client.Height());
    TvlCanvas* canvas = New<TvlCanvas>(FDrawBitmap->Canvas());
    Finally freeCanvas([&] { Free(canvas); });
    // A transparent label starts from what is already painted under it.
    if (Transparent)
      BitBlt(canvas->Handle(), 0, 0, client.Width(), client.Height(), ACanvas->Handle(), client.Left, client.Top,
             SRCCOPY);
    DrawLabelTo(canvas, TRect{0, 0, client.Width(), client.Height()},
                vlOffsetRect(textRect, -client.Left, -client.Top), vlOffsetRect(FLineRect, -client.Left, -client.Top),
                false);
    FIsDrawBitmapDirty = false;
  }
  BitBlt(ACanvas->Handle(), client.Left, client.Top, client.Width(), client.Height(), FDrawBitmap->Canvas()->Handle(),
         0, 0, SRCCOPY);
}

void TvlCustomLabelViewInfo::DrawTextOnce(TvlCanvas* ACanvas, const TPoint& AOrigin, const TRect& ATextRect,
                                          Integer ARealAngle) {
  if (ARealAngle != 0) {
    const String s = ShowAccelChar ? vlStripAccelChars(Text) : Text;
    ExtTextOutW(ACanvas->Handle(), AOrigin.X, AOrigin.Y, 0, nullptr, reinterpret_cast<LPCWSTR>(s.c_str()),
                UINT(s.size()), nullptr);
    return;
  }
  TRect r = ATextRect;
  r.Right -= FDepthDeltaSize.cx;
  r.Bottom -= FDepthDeltaSize.cy;
  r = vlOffsetRect(r, AOrigin.X, AOrigin.Y);
  const UINT flags = vlTextFlagsToDrawTextFlags(TextFlags);
  RECT rr = r;
  DrawTextW(ACanvas->Handle(), reinterpret_cast<LPCWSTR>(Text.c_str()), Integer(Text.size()), &rr, flags);
}

void TvlCustomLabelViewInfo::DrawLabelTo(TvlCanvas* ACanvas, const TRect& AClient, const TRect& ATextRect,
                                         const TRect& ALineRect, Boolean AOnTarget) {
  ++DrawCount;
  const HDC dc = ACanvas->Handle();
  if (!Transparent && !AOnTarget) DrawLabelBackground(ACanvas, AClient);
  const Boolean trueType = vlSelectRotatedFont(ACanvas->Canvas(), Font, FAngle);
  const Integer angle = vlNormalizeTextAngle(FAngle, trueType);
  const Integer oldMode = SetBkMode(dc, TRANSPARENT);
  Finally restoreMode([&] { SetBkMode(dc, oldMode); });
  const HGDIOBJ font = SelectObject(dc, ACanvas->Font()->Handle());
  Finally restoreFont([&] { SelectObject(dc, font); });
  auto color = [&](TColor C) { SetTextColor(dc, COLORREF(ColorToRGB(C))); };

  // Origin and step.
  TPoint origin{};
  if (angle != 0) {
    const String s = ShowAccelChar ? vlStripAccelChars(Text) : Text;
    RECT m{0, 0, 0, 0};
    DrawTextW(dc, reinterpret_cast<LPCWSTR>(s.c_str()), Integer(s.size()), &m, DT_CALCRECT | DT_NOPREFIX);
    const Double w = m.right - m.left, h = m.bottom - m.top;
    const Double a = angle * std::numbers::pi / 180.0;
    const Double l = ATextRect.Left, t = ATextRect.Top, r = ATextRect.Right - FDepthDeltaSize.cx,
                 b = ATextRect.Bottom - FDepthDeltaSize.cy;
    origin.X = Integer(std::lround((l + r) / 2 - std::cos(a) * w / 2 - std::sin(a) * h / 2));
    origin.Y = Integer(std::lround(std::sin(a) * w / 2 + (t + b) / 2 - std::cos(a) * h / 2));
  }
  TPoint step{};
  if (FLabelEffect != vlleNormal && FDepth != 0) {
    step = TPoint{FDepthDeltaSize.cx, FDepthDeltaSize.cy};
    if (FOrientation == vloRight || FOrientation == vloRightTop || FOrientation == vloRightBottom) {
      origin.X += FDepthDeltaSize.cx + FLabelStyleOffset;
      step.X = -step.X;
    }
    if (FOrientation == vloBottom || FOrientation == vloLeftBottom || FOrientation == vloRightBottom) {
      origin.Y += FDepthDeltaSize.cy + FLabelStyleOffset;
      step.Y = -step.Y;
    }
    if (FLabelEffect == vlleFun || FLabelEffect == vlleExtrude) step = TPoint{Sign(step.X), Sign(step.Y)};
  }

  // Depth copies.
  if (step.X != 0 || step.Y != 0) {
    const Integer count = FDepth / std::abs(step.X != 0 ? step.X : step.Y);
    for (Integer i = 1; i <= count; ++i) {
      color(FLabelEffect == vlleFun ? FunCopyColor(BackgroundColor(), FShadowedColor, i, count) : FShadowedColor);
      DrawTextOnce(ACanvas, origin, ATextRect, angle);
      origin.X += step.X;
      origin.Y += step.Y;
    }
    if (step.X < 0) origin.X -= FLabelStyleOffset;
    if (step.Y < 0) origin.Y -= FLabelStyleOffset;
  }

  // The styles' shades.
  const Boolean large = Font && Font->Size() >= kLargeFontSize;
  if (FLabelStyle == vllsRaised) {
    color(clBtnHighlight);
    DrawTextOnce(ACanvas, origin, ATextRect, angle);
    if (large) {
      color(clBtnShadow);
      DrawTextOnce(ACanvas, TPoint{origin.X + 2, origin.Y + 2}, ATextRect, angle);
    }
    origin = TPoint{origin.X + 1, origin.Y + 1};
  } else if (FLabelStyle == vllsLowered) {
    if (large) {
      color(clBtnShadow);
      DrawTextOnce(ACanvas, origin, ATextRect, angle);
      color(clBtnHighlight);
      DrawTextOnce(ACanvas, TPoint{origin.X + 2, origin.Y + 2}, ATextRect, angle);
    }
    origin = TPoint{origin.X + 1, origin.Y + 1};
  }

  // The main text: filled with the glyph, outlined, or plain.
  color(TextColor);
  const Boolean glyphFill = HasGlyph && FGlyph && !FGlyph->Empty() && trueType;
  if (glyphFill) {
    BeginPath(dc);
    DrawTextOnce(ACanvas, origin, ATextRect, angle);
    EndPath(dc);
    SaveDC(dc);
    SelectClipPath(dc, RGN_AND);
    ACanvas->FillRect(ATextRect, FGlyph);
    RestoreDC(dc, -1);
  } else if (!(FLabelStyle == vllsOutLine && trueType))
    DrawTextOnce(ACanvas, origin, ATextRect, angle);
  if (FLabelStyle == vllsOutLine && trueType) {
    const HPEN pen = CreatePen(PS_SOLID, std::max<Integer>(FPenWidth, 1), COLORREF(ColorToRGB(TextColor)));
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    BeginPath(dc);
    DrawTextOnce(ACanvas, origin, ATextRect, angle);
    EndPath(dc);
    StrokePath(dc);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }

  // The line beside the text.
  if (!vlIsRectEmpty(ALineRect)) {
    ACanvas->SaveClipRegion();
    Finally restoreClip([&] { ACanvas->RestoreClipRegion(); });
    const Boolean vertical = FLineOrientation == vllloVertical;
    ACanvas->ExcludeClipRect(vertical ? vlInflateRectBy(ATextRect, 0, kLineTextGap)
                                      : vlInflateRectBy(ATextRect, kLineTextGap, 0));
    TvlCustomLookAndFeelPainterClass painter = Painter ? Painter : ClassOf<TvlCustomLookAndFeelPainter>();
    painter->DrawLabelLine(ACanvas, ALineRect, FLineOuterColor, FLineInnerColor, vertical);
  }
}

// --- View data -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomLabelViewData)

Integer TvlCustomLabelViewData::GetLabelStyleOffset() {
  const TvlLabelStyle style = LabelProperties()->LabelStyle();
  if (style != vllsRaised && style != vllsLowered) return 0;
  TFont* font = FStyle->GetVisibleFont();
  return (font && font->Size() >= kLargeFontSize) ? 2 : 1;
}

Integer TvlCustomLabelViewData::GetLabelTextFlags() {
  TvlCustomLabelProperties* p = LabelProperties();
  return vlMakeTextFlags(0, p->Alignment()->Horz(), p->Alignment()->Vert(), p->ShowAccelChar(), false, 0,
                         p->WordWrap() && p->Angle() % 360 == 0, GetPaintOptions().Contains(epoShowEndEllipsis));
}

Boolean TvlCustomLabelViewData::IsLineVisible(Integer ARealAngle) {
  return LabelProperties()->LineOptions()->Visible() && (ARealAngle == 0 || ARealAngle == 90);
}

Integer TvlCustomLabelViewData::GetLineHeight() {
  if (Edit()) return Edit()->Style()->LookAndFeel()->Painter()->LabelLineHeight();
  return ClassOf<TvlCustomLookAndFeelPainter>()->LabelLineHeight();
}

TSize TvlCustomLabelViewData::CalculateLabelTextSize(TvlCanvas* ACanvas, const TRect& ARect, const String& AText) {
  TvlCustomLabelProperties* p = LabelProperties();
  const Integer angle = FRealAngle;
  const String s = (angle != 0 && p->ShowAccelChar()) ? vlStripAccelChars(AText) : AText;
  UINT flags = DT_CALCRECT;
  if (p->WordWrap() && angle == 0 && !(IsInplace() && ARect.Width() <= 0)) flags |= DT_WORDBREAK;
  if (!(p->ShowAccelChar() && angle == 0)) flags |= DT_NOPREFIX;
  RECT r{0, 0, std::max<Integer>(ARect.Width(), 0), 0};
  DrawTextW(ACanvas->Handle(), reinterpret_cast<LPCWSTR>(s.c_str()), Integer(s.size()), &r, flags);
  const Double w = r.right - r.left, h = r.bottom - r.top;
  TSize size{Integer(w), Integer(h)};
  if (angle != 0) {
    const Double a = angle * std::numbers::pi / 180.0;
    size.cx = Integer(std::trunc(std::fabs(h * std::sin(a)) + std::fabs(w * std::cos(a)) + 0.5));
    size.cy = Integer(std::trunc(std::fabs(h * std::cos(a)) + std::fabs(w * std::sin(a)) + 0.5));
  }
  const TSize delta = p->GetDepthDeltaSize();
  size.cx += FLabelStyleOffset + delta.cx;
  size.cy += FLabelStyleOffset + delta.cy;
  return size;
}

TRect TvlCustomLabelViewData::AlignTextRect(const TRect& AClientRect, const TSize& ASize, Integer) {
  TRect r = AClientRect;
  TvlCustomLabelProperties* p = LabelProperties();
  if (IsInplace() && !IsLineVisible(FRealAngle)) return r;
  switch (p->Alignment()->Horz()) {
    case taLeftJustify: r.Right = std::min(r.Left + ASize.cx, r.Right); break;
    case taRightJustify: r.Left = std::max(r.Right - ASize.cx, r.Left); break;
    default:
      r.Left = (AClientRect.Left + AClientRect.Right - ASize.cx) / 2;
      r.Right = r.Left + ASize.cx;
  }
  switch (p->Alignment()->Vert()) {
    case taTopJustify: r.Bottom = std::min(r.Top + ASize.cy, r.Bottom); break;
    case taBottomJustify: r.Top = std::max(r.Bottom - ASize.cy, r.Top); break;
    default:
      r.Top = (AClientRect.Top + AClientRect.Bottom - ASize.cy) / 2;
      r.Bottom = r.Top + ASize.cy;
  }
  return r;
}

void TvlCustomLabelViewData::CalculateLineRect(TRect& ATextRect, const TRect& AClientRect,
                                               TvlLabelLineOrientation AOrientation, Integer ALineHeight,
                                               Boolean AVisible, TvlLabelLineAlignment AAlignment,
                                               TRect& ALineRect) {
  ALineRect = TRect{};
  if (!AVisible) return;
  const Integer h = ALineHeight;
  TRect r = AClientRect;
  const TvlEditAlignment* align = LabelProperties()->Alignment();
  if (AOrientation == vllloHorizontal) {
    if (AAlignment == vlllaTop)
      r.Bottom = r.Top + h;
    else if (AAlignment == vlllaBottom)
      r.Top = r.Bottom - h;
    else {
      r.Top = (AClientRect.Top + AClientRect.Bottom - h) / 2;
      r.Bottom = r.Top + h;
      if (align->Horz() == taLeftJustify) r.Left = ATextRect.Right + kLineTextGap;
      if (align->Horz() == taRightJustify) r.Right = ATextRect.Left - kLineTextGap;
    }
    if (AAlignment == vlllaTop) ATextRect = vlOffsetRect(ATextRect, 0, h);
    if (AAlignment == vlllaBottom) ATextRect = vlOffsetRect(ATextRect, 0, -h);
  } else {
    if (AAlignment == vlllaTop)
      r.Right = r.Left + h;
    else if (AAlignment == vlllaBottom)
      r.Left = r.Right - h;
    else {
      r.Left = (AClientRect.Left + AClientRect.Right - h) / 2;
      r.Right = r.Left + h;
      if (align->Vert() == taTopJustify) r.Top = ATextRect.Bottom - kLineTextGap;
      if (align->Vert() == taBottomJustify) r.Bottom = ATextRect.Top + kLineTextGap;
    }
    if (AAlignment == vlllaTop) ATextRect = vlOffsetRect(ATextRect, -h, 0);
    if (AAlignment == vlllaBottom) ATextRect = vlOffsetRect(ATextRect, h, 0);
  }
  ALineRect = r;
}

void TvlCustomLabelViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                       TvlMouseButton Button, TShiftState Shift, TvlCustomEditViewInfo* AViewInfo,
                                       Boolean AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  if (IsInplace() && IsUnbounded(ABounds)) return;
  TvlCustomLabelViewInfo* vi = static_cast<TvlCustomLabelViewInfo*>(AViewInfo);
  TvlCustomLabelProperties* p = LabelProperties();
  if (Edit()) vi->Text = Edit()->Caption();
  vi->TextFlags = GetLabelTextFlags();
  if (vi->NativeStyle && GetBorderStyle() == ebsNone) vi->NativeStyle = false;
  if (!IsInplace() && Edit()) vi->Transparent = Edit()->Transparent();

  vi->FLabelEffect = p->LabelEffect();
  vi->FLabelStyle = p->LabelStyle();
  vi->FOrientation = p->Orientation();
  vi->FDepth = p->Depth();
  vi->FShadowedColor = p->ShadowedColor();
  vi->ShowAccelChar = p->ShowAccelChar();
  vi->FAngle = p->Angle();
  vi->FPenWidth = p->PenWidth();
  vi->FWordWrap = p->WordWrap();
  vi->FLineInnerColor = p->LineOptions()->InnerColor();
  vi->FLineOuterColor = p->LineOptions()->OuterColor();
  vi->FAlignment->Assign(p->Alignment());
  vi->FGlyph = p->GlyphOrNil();
  vi->HasGlyph = vi->FGlyph && !vi->FGlyph->Empty();
  vi->FDepthDeltaSize = p->GetDepthDeltaSize();

  // The control's canvas may be outside painting: measure on the screen's.
  TvlScreenCanvas* canvas = vlGetScreenCanvas();
  Finally dormant([&] { canvas->Dormant(); });
  const Boolean trueType = vlSelectRotatedFont(canvas->Canvas(), vi->Font, p->Angle());
  FRealAngle = vlNormalizeTextAngle(p->Angle(), trueType);
  FLabelStyleOffset = GetLabelStyleOffset();
  vi->FLabelStyleOffset = FLabelStyleOffset;
  const TSize size = CalculateLabelTextSize(canvas, vi->ClientRect, vi->Text);
  TRect textRect = AlignTextRect(vi->ClientRect, size, FRealAngle);
  vi->FLineOrientation = FRealAngle != 0 ? vllloVertical : vllloHorizontal;
  TRect lineRect;
  CalculateLineRect(textRect, vi->ClientRect, vi->FLineOrientation, GetLineHeight(), IsLineVisible(FRealAngle),
                    p->LineOptions()->Alignment(), lineRect);
  vi->FLineRect = lineRect;
  vi->FLabelTextRect = textRect;
  vi->TextRect = textRect;

  vi->FocusRect = (!IsInplace() && vi->Focused && !vi->Text.empty()) ? vlInflateRectBy(textRect, 1, 1) : TRect{};
  vi->LeftTop = Edit() ? TPoint{Edit()->Left(), Edit()->Top()} : TPoint{};
  vi->DrawTextOffsets = ContentOffset;
  vi->FIsDrawBitmapDirty = true;
}

void TvlCustomLabelViewData::EditValueToDrawValue(TvlCanvas*, const Variant& AEditValue,
                                                  TvlCustomEditViewInfo* AViewInfo) {
  TvlCustomLabelViewInfo* vi = static_cast<TvlCustomLabelViewInfo*>(AViewInfo);
  vi->Text = Properties()->GetDisplayText(AEditValue);
  vi->FIsDrawBitmapDirty = true;
}

void TvlCustomLabelViewData::DisplayTextOfValue(const Variant& AEditValue, String& AText) {
  AText = VarToStr(AEditValue);
}

TSize TvlCustomLabelViewData::GetEditContentSize(TvlCanvas* ACanvas, const Variant& AEditValue,
                                                 const TvlEditSizeProperties& AEditSizeProperties) {
  TvlCustomLabelProperties* p = LabelProperties();
  TvlScreenCanvas* canvas = vlGetScreenCanvas();
  Finally dormant([&] { canvas->Dormant(); });
  const Boolean trueType = vlSelectRotatedFont(canvas->Canvas(), FStyle->GetVisibleFont(), p->Angle());
  FRealAngle = vlNormalizeTextAngle(p->Angle(), trueType);
  FLabelStyleOffset = GetLabelStyleOffset();
  const TSize delta = p->GetDepthDeltaSize();
  const Boolean border = GetBorderStyle() != ebsNone;
  const Integer correction = IsInplace() ? GetEditContentSizeCorrection().cx : (border ? 2 : 0);
  Integer width = AEditSizeProperties.Width;
  if (width >= 0 && width < INT_MAX) width -= FLabelStyleOffset + delta.cx + correction;
  String text = Edit() ? Edit()->Caption() : VarToStr(AEditValue);
  if (text.empty()) text = u" ";
  TSize size = CalculateLabelTextSize(canvas, TRect{0, 0, width < 0 || width == INT_MAX ? 0 : width, 0}, text);
  size.cx += correction;
  if (IsLineVisible(FRealAngle) && p->LineOptions()->Alignment() != vlllaCenter) {
    if (FRealAngle != 0)
      size.cx -= GetLineHeight();
    else
      size.cy += GetLineHeight();
  }
  return size;
}
