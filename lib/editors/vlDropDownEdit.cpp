#include "lib/editors/vlDropDownEdit.h"

#include <algorithm>

#include "lib/editors/vlDropDownInnerEdit.h"
#include "lib/editors/vlEditListBox.h"
#include "lib/editors/vlEditRepository.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/editors/vlInnerTextEdit.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/vlDragImages.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/rtl/Finally.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

constexpr Integer ShadowSize = 3;

Boolean IsLeftCorner(TvlEditCorner C) { return C == ecoTopLeft || C == ecoBottomLeft; }
Boolean IsTopCorner(TvlEditCorner C) { return C == ecoTopLeft || C == ecoTopRight; }

// One sizing at a time for the whole process.
struct TSizingState {
  TvlCustomEditPopupWindow* Popup{};
  Integer Horz{}, Vert{};
  TPoint Delta{};
  TRect FrameRect{};
  Boolean CursorShown{};
} Sizing;

Integer RectWidth(const TRect& R) { return R.Right - R.Left; }
Integer RectHeight(const TRect& R) { return R.Bottom - R.Top; }

// The theme's size of a part (0 x 0 without the theme).
TSize ThemePartSize(TnbThemedObjectType AType, int APart, int AState) {
  HTHEME theme = nbGetThemeHandle(AType);
  SIZE size{};
  if (!theme || GetThemePartSize(theme, nullptr, APart, AState, nullptr, TS_TRUE, &size) != S_OK) return TSize{};
  return TSize{size.cx, size.cy};
}

}  // namespace

// --- Popup window view info ------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomEditPopupWindowViewInfo)

Integer TvlCustomEditPopupWindowViewInfo::GetBorderWidth() {
  if (Assigned(OnCustomDrawBorder)) {
    Boolean handled = false;
    Integer width = 0;
    OnCustomDrawBorder(this, nullptr, Bounds, handled, width);
    if (handled) return width;
  }
  if (NativeStyle || Painter) return 1;
  switch (BorderStyle) {
    case epbsSingle: return 1;
    case epbsFrame3D: return 4;
    case epbsFlat: return 2;
    default: return 0;
  }
}

Integer TvlCustomEditPopupWindowViewInfo::GetClientEdgeWidth() {
  if (!ClientEdge) return 0;
  if (NativeStyle || Painter) return 2;
  switch (BorderStyle) {
    case epbsSingle:
    case epbsFrame3D: return 2;
    case epbsFlat: return 1;
    default: return 0;
  }
}

Boolean TvlCustomEditPopupWindowViewInfo::UsesWindowTheme() const {
  return SysPanelStyle && NativeStyle && nbGetThemeHandle(totWindow) != nullptr;
}

Integer TvlCustomEditPopupWindowViewInfo::GetSysPanelBasis() {
  Integer h = std::max(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE));
  if (UsesWindowTheme())
    h = std::max({h, ThemePartSize(totWindow, WP_CLOSEBUTTON, CBS_NORMAL).cy,
                  ThemePartSize(totScrollBar, SBP_SIZEBOX, SZB_RIGHTALIGN).cy});
  return h;
}

Integer TvlCustomEditPopupWindowViewInfo::GetSysPanelHeight() {
  Integer h = GetSysPanelBasis();
  if (MinSysPanelHeight > 0) h = std::max(h, MinSysPanelHeight);
  return h;
}

TRect TvlCustomEditPopupWindowViewInfo::GetBorderExtent() {
  const Integer w = GetBorderWidth() + GetClientEdgeWidth();
  TRect r{w, w, w, w};
  if (Shadow) {
    r.Right += ShadowSize;
    r.Bottom += ShadowSize;
  }
  if (SysPanelStyle) {
    const Integer panel =
        GetSysPanelHeight() + ((NativeStyle || BorderStyle == epbsSingle || Painter) ? 1 : 0);
    if (IsTopCorner(SizeGripCorner))
      r.Top += panel;
    else
      r.Bottom += panel;
  }
  return r;
}

void TvlCustomEditPopupWindowViewInfo::Calculate() {
  SizingOffset = std::max(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE));
  SysPanelHeight = SysPanelStyle ? GetSysPanelHeight() : 0;
  const TRect local{0, 0, RectWidth(Bounds), RectHeight(Bounds)};
  ClientRect = vlDeflateRectByBorders(local, GetBorderExtent());
  const Integer bw = GetBorderWidth();
  const Integer inner = SysPanelStyle ? bw : bw + GetClientEdgeWidth();
  SizingRegionBounds = TRect{local.Left + inner, local.Top + inner, local.Right - inner, local.Bottom - inner};
  if (Shadow) {
    SizingRegionBounds.Right -= ShadowSize;
    SizingRegionBounds.Bottom -= ShadowSize;
  }
  CloseButtonNativeState = 0;
  SizeGripSizingRect = SizeGripRect = CloseButtonRect = TRect{};
  if (!SysPanelStyle) return;
  const Boolean themed = UsesWindowTheme();
  if (themed) {
    switch (CloseButtonState) {
      case vlbsNormal: CloseButtonNativeState = CBS_NORMAL; break;
      case vlbsHot: CloseButtonNativeState = CBS_HOT; break;
      case vlbsPressed: CloseButtonNativeState = CBS_PUSHED; break;
      case vlbsDisabled: CloseButtonNativeState = CBS_DISABLED; break;
      default: CloseButtonNativeState = 0;
    }
  }
  const Integer p = GetSysPanelBasis();
  const TRect& s = SizingRegionBounds;
  const Boolean left = IsLeftCorner(SizeGripCorner), top = IsTopCorner(SizeGripCorner);
  if (Sizeable) {
    Integer w = p - 2, h = p - 2;
    if (themed) {
      const TSize box = ThemePartSize(totScrollBar, SBP_SIZEBOX, SZB_RIGHTALIGN);
      w = std::max(w, box.cx + 2);
      h = std::max(h, box.cy + 2);
    }
    TRect g;
    g.Left = left ? s.Left : s.Right - w;
    g.Right = g.Left + w;
    g.Top = top ? s.Top : s.Bottom - h;
    g.Bottom = g.Top + h;
    SizeGripSizingRect = g;
    // The drawn grip keeps 2 pixels off the popup's edges.
    if (left) g.Left += 2; else g.Right -= 2;
    if (top) g.Top += 2; else g.Bottom -= 2;
    SizeGripRect = g;
  }
  if (CloseButton) {
    TSize size{p - 4, p - 4};
    Integer inset = 3;
    if (themed) {
      size = ThemePartSize(totWindow, WP_CLOSEBUTTON, CBS_NORMAL);
      inset = 1;
    }
    TRect c;
    c.Left = left ? s.Right - inset - size.cx : s.Left + inset;
    c.Right = c.Left + size.cx;
    if (themed) {
      // Centred in the panel.
      const Integer panelTop = top ? s.Top : s.Bottom - SysPanelHeight;
      c.Top = panelTop + (SysPanelHeight - size.cy) / 2;
    } else
      c.Top = top ? s.Top + 2 : s.Bottom - 2 - size.cy;
    c.Bottom = c.Top + size.cy;
    CloseButtonRect = c;
  }
}

Boolean TvlCustomEditPopupWindowViewInfo::IsSizingPlace(Integer X, Integer Y, Integer& AHorz, Integer& AVert) {
  AHorz = AVert = 0;
  if (!Sizeable) return false;
  const TRect local{0, 0, RectWidth(Bounds), RectHeight(Bounds)};
  const TPoint p{X, Y};
  if (!vlPointInRect(local, p)) return false;
  const Boolean left = IsLeftCorner(SizeGripCorner), top = IsTopCorner(SizeGripCorner);
  if (!vlIsRectEmpty(SizeGripSizingRect) && vlPointInRect(SizeGripSizingRect, p)) {
    AHorz = left ? -1 : 1;
    AVert = top ? -1 : 1;
    return true;
  }
  if (vlPointInRect(SizingRegionBounds, p)) return false;
  if (left && X < SizingOffset) AHorz = -1;
  if (!left && X >= local.Right - SizingOffset) AHorz = 1;
  if (top && Y < SizingOffset) AVert = -1;
  if (!top && Y >= local.Bottom - SizingOffset) AVert = 1;
  return AHorz != 0 || AVert != 0;
}

void TvlCustomEditPopupWindowViewInfo::DrawBorder(TvlCanvas* ACanvas, TRect& R) {
  if (Assigned(OnCustomDrawBorder)) {
    Boolean handled = false;
    Integer width = 0;
    OnCustomDrawBorder(this, ACanvas, R, handled, width);
    if (handled) {
      R = vlInflateRectBy(R, -width, -width);
      return;
    }
  }
  auto frame = [&](TColor AColor) {
    ACanvas->FrameRect(R, AColor);
    R = vlInflateRectBy(R, -1, -1);
  };
  if (NativeStyle) {
    // The themed list-box border from Vista on: only its one-pixel ring is
    // drawn, the inside belongs to the panel and the client area.
    HTHEME theme = nbOSWindowsVistaOrLater ? nbGetThemeHandle(totListBox) : nullptr;
    if (!theme) {
      frame(clBtnText);
      return;
    }
    const TRect inner = vlInflateRectBy(R, -1, -1);
    ACanvas->SaveClipRegion();
    ACanvas->ExcludeClipRect(inner);
    DrawThemeBackground(theme, ACanvas->Handle(), LBCP_BORDER_NOSCROLL, 1, &R, nullptr);
    ACanvas->RestoreClipRegion();
    R = inner;
    return;
  }
  if (Painter) {
    frame(Painter->GetContainerBorderColor(false));
    return;
  }
  switch (BorderStyle) {
    case epbsSingle:
      frame(clBtnText);
      break;
    case epbsFrame3D:
    case epbsFlat:
      ACanvas->DrawEdge(R, false, true);
      R = vlInflateRectBy(R, -1, -1);
      ACanvas->DrawEdge(R, false, false);
      R = vlInflateRectBy(R, -1, -1);
      if (BorderStyle == epbsFrame3D) {
        frame(ClientEdge ? clInactiveBorder : clBtnFace);
        if (ClientEdge)
          frame(clBtnFace);
        else {
          ACanvas->DrawEdge(R, true, true);
          R = vlInflateRectBy(R, -1, -1);
        }
      }
      break;
    default:
      break;
  }
}

namespace {

// The system's size grip: three pairs of diagonal lines in the grip's corner.
void DrawSizeGrip(TvlCanvas* ACanvas, const TRect& R, TvlEditCorner ACorner) {
  ACanvas->FillRect(R, clBtnFace);
  const Boolean left = IsLeftCorner(ACorner), top = IsTopCorner(ACorner);
  const Integer size = std::min(RectWidth(R), RectHeight(R));
  // Corner pixel and the directions towards the opposite corner.
  const Integer cx = left ? R.Left : R.Right - 1, cy = top ? R.Top : R.Bottom - 1;
  const Integer dx = left ? 1 : -1, dy = top ? 1 : -1;
  for (Integer k = 2; k < size; k += 4)
    for (Integer j = 0; j < 3 && k + j < size; ++j) {
      const TColor color = j == 0 ? clBtnHighlight : clBtnShadow;
      for (Integer i = 0; i <= k + j; ++i) {
        const Integer x = cx + dx * i, y = cy + dy * (k + j - i);
        ACanvas->FillRect(TRect{x, y, x + 1, y + 1}, color);
      }
    }
}

// The themed size box, drawn for the bottom-right corner on the face colour
// and mirrored into the grip's corner.
void DrawThemedSizeGrip(TvlCanvas* ACanvas, const TRect& R, TvlEditCorner ACorner) {
  const Integer w = RectWidth(R), h = RectHeight(R);
  TBitmap* bitmap = New<TBitmap>();
  Finally freeBitmap([&] { Free(bitmap); });
  bitmap->SetWidth(w);
  bitmap->SetHeight(h);
  const TRect local{0, 0, w, h};
  bitmap->Canvas()->Brush()->SetColor(clBtnFace);
  bitmap->Canvas()->FillRect(local);
  DrawThemeBackground(nbGetThemeHandle(totScrollBar), bitmap->Canvas()->Handle(), SBP_SIZEBOX, SZB_RIGHTALIGN,
                      &local, nullptr);
  const Boolean flipX = IsLeftCorner(ACorner), flipY = IsTopCorner(ACorner);
  StretchBlt(ACanvas->Handle(), flipX ? R.Right - 1 : R.Left, flipY ? R.Bottom - 1 : R.Top, flipX ? -w : w,
             flipY ? -h : h, bitmap->Canvas()->Handle(), 0, 0, w, h, SRCCOPY);
}

// The skin's size grip on the skin's window background, drawn for the
// bottom-right corner and turned into the grip's corner.
void DrawSkinSizeGrip(TvlCanvas* ACanvas, TvlCustomLookAndFeelPainterClass APainter, const TRect& R,
                      TvlEditCorner ACorner) {
  const Integer w = RectWidth(R), h = RectHeight(R);
  if (w <= 0 || h <= 0) return;
  TBitmap* bitmap = New<TBitmap>();
  Finally freeBitmap([&] { Free(bitmap); });
  bitmap->SetWidth(w);
  bitmap->SetHeight(h);
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  Finally freeCanvas([&] { Free(canvas); });
  const TRect local{0, 0, w, h};
  APainter->DrawWindowContent(canvas, local);
  APainter->DrawSizeGrip(canvas, local, clDefault);
  const TvlRotationAngle angle = ACorner == ecoTopLeft      ? ra180
                                 : ACorner == ecoTopRight   ? raPlus90
                                 : ACorner == ecoBottomLeft ? raMinus90
                                                            : ra0;
  canvas->RotateBitmap(bitmap, angle);
  ACanvas->Draw(R.Left, R.Top, bitmap);
}

}  // namespace

void TvlCustomEditPopupWindowViewInfo::DoPaint(TvlCanvas* ACanvas) {
  TRect r{0, 0, RectWidth(Bounds), RectHeight(Bounds)};
  if (Shadow) {
    r.Right -= ShadowSize;
    r.Bottom -= ShadowSize;
    vlDrawShadow(ACanvas, r);
  }
  DrawBorder(ACanvas, r);
  // The panel and the client area take the skin's window background or the face colour.
  auto fill = [&](const TRect& AR) {
    if (Painter)
      Painter->DrawWindowContent(ACanvas, AR);
    else
      ACanvas->FillRect(AR, clBtnFace);
  };
  if (SysPanelStyle) {
    const Boolean top = IsTopCorner(SizeGripCorner);
    TRect panel = r;
    if (top)
      panel.Bottom = ClientRect.Top - GetClientEdgeWidth();
    else
      panel.Top = ClientRect.Bottom + GetClientEdgeWidth();
    if (BorderStyle == epbsSingle || NativeStyle || Painter) {
      // The separator between the panel and the client area.
      TRect line = panel;
      if (top)
        line.Top = line.Bottom - 1;
      else
        line.Bottom = line.Top + 1;
      ACanvas->FillRect(line, Painter ? Painter->GetContainerBorderColor(false) : clBtnText);
      if (top)
        panel.Bottom -= 1;
      else
        panel.Top += 1;
    }
    if (Sizeable && !vlIsRectEmpty(SizeGripRect)) {
      if (Painter)
        DrawSkinSizeGrip(ACanvas, Painter, SizeGripRect, SizeGripCorner);
      else if (NativeStyle && nbGetThemeHandle(totScrollBar))
        DrawThemedSizeGrip(ACanvas, SizeGripRect, SizeGripCorner);
      else
        DrawSizeGrip(ACanvas, SizeGripRect, SizeGripCorner);
      ACanvas->ExcludeClipRect(SizeGripRect);
    }
    if (CloseButton && !vlIsRectEmpty(CloseButtonRect)) {
      if (Painter) {
        Painter->DrawWindowContent(ACanvas, CloseButtonRect);
        Painter->DrawEditorButton(ACanvas, CloseButtonRect, vlbkCloseBtn, CloseButtonState);
      } else if (CloseButtonNativeState != 0) {
        HTHEME theme = nbGetThemeHandle(totWindow);
        if (IsThemeBackgroundPartiallyTransparent(theme, WP_CLOSEBUTTON, CloseButtonNativeState))
          ACanvas->FillRect(CloseButtonRect, clBtnFace);
        DrawThemeBackground(theme, ACanvas->Handle(), WP_CLOSEBUTTON, CloseButtonNativeState, &CloseButtonRect,
                            nullptr);
      } else
        vlGetButtonPainterClass(NativeStyle, CloseButtonStyle)->DrawFilterCloseButton(ACanvas, CloseButtonRect,
                                                                                     CloseButtonState);
      ACanvas->ExcludeClipRect(CloseButtonRect);
    }
    fill(panel);
  }
  if (ClientEdge) {
    const Integer ce = GetClientEdgeWidth();
    TRect e = vlInflateRectBy(ClientRect, ce, ce);
    ACanvas->DrawEdge(e, true, true);
    if (ce > 1) ACanvas->DrawEdge(vlInflateRectBy(e, -1, -1), true, false);
  }
  fill(ClientRect);
}

// --- Popup window ----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomEditPopupWindow)

void TvlCustomEditPopupWindow::Create(TWinControl* AOwnerControl) {
  inherited::Create(AOwnerControl);
  ViewInfo()->CloseButtonState = vlbsNormal;
}

void TvlCustomEditPopupWindow::Destroy() {
  if (Sizing.Popup == this) Sizing = TSizingState{};
  FreeAndNil(FSizeFrame);
  inherited::Destroy();
}

Boolean TvlCustomEditPopupWindow::IsSizing() { return Sizing.Popup != nullptr; }

TvlCustomDropDownEdit* TvlCustomEditPopupWindow::Edit() const {
  return dynamic_cast<TvlCustomDropDownEdit*>(OwnerControl());
}

void TvlCustomEditPopupWindow::SetBorderStyle(TvlEditPopupBorderStyle Value) {
  FBorderStyle = Value;
  ViewInfo()->BorderStyle = Value;
}
void TvlCustomEditPopupWindow::SetClientEdge(Boolean Value) {
  FClientEdge = Value;
  ViewInfo()->ClientEdge = Value;
}
void TvlCustomEditPopupWindow::SetCloseButton(Boolean Value) {
  FCloseButton = Value;
  ViewInfo()->CloseButton = Value;
}
void TvlCustomEditPopupWindow::SetNativeStyle(Boolean Value) {
  FNativeStyle = Value;
  ViewInfo()->NativeStyle = Value;
}
void TvlCustomEditPopupWindow::SetShadow(Boolean Value) {
  FShadow = Value;
  ViewInfo()->Shadow = Value;
}
void TvlCustomEditPopupWindow::SetSizeable(Boolean Value) {
  FSizeable = Value;
  ViewInfo()->Sizeable = Value;
}
void TvlCustomEditPopupWindow::SetSysPanelStyle(Boolean Value) {
  FSysPanelStyle = Value;
  ViewInfo()->SysPanelStyle = Value;
}

Boolean TvlCustomEditPopupWindow::CanShrinkToWorkArea() {
  TvlCustomDropDownEdit* edit = Edit();
  return edit && edit->ActiveProperties()->PopupWindowCanShrink();
}

void TvlCustomEditPopupWindow::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (!FNativeStyle || !nbOSWindowsVistaOrLater) return;
  Params.WindowClass.style |= CS_DROPSHADOW;
  // A class is registered once under its name: the shadowed windows get a
  // class of their own, so a popup created first without it does not decide
  // for the others.
  static constexpr char16_t suffix[] = u"Shadow";
  const size_t n = std::char_traits<char16_t>::length(Params.WinClassName);
  const size_t room = std::size(Params.WinClassName) - 1 - n;
  for (size_t i = 0; i < std::min(room, std::size(suffix) - 1); ++i) Params.WinClassName[n + i] = suffix[i];
  Params.WinClassName[n + std::min(room, std::size(suffix) - 1)] = 0;
}

void TvlCustomEditPopupWindow::ModalCloseUp() {
  TvlCustomDropDownEdit* edit = Edit();
  if (!edit) {
    inherited::ModalCloseUp();
    return;
  }
  const Integer r = ModalResult();
  edit->CloseUp(r == mrOk ? crEnter : r == mrCancel ? crCancel : crUnknown);
}

void TvlCustomEditPopupWindow::AdjustClientRect(TRect& Rect) {
  Rect = vlDeflateRectByBorders(TRect{0, 0, Width(), Height()}, ViewInfo()->GetClientExtent());
}

void TvlCustomEditPopupWindow::Resize() {
  inherited::Resize();
  if (HandleAllocated()) SetPopupWindowRegion();
}

void TvlCustomEditPopupWindow::RecalculateViewInfo() {
  TvlCustomEditPopupWindowViewInfo* vi = ViewInfo();
  vi->Bounds = TRect{0, 0, Width(), Height()};
  vi->Calculate();
  if (TvlCustomDropDownEdit* edit = Edit())
    vi->CloseButtonStyle = edit->PopupControlsLookAndFeel() ? edit->PopupControlsLookAndFeel()->Kind()
                                                            : vlGetEditButtonsLookAndFeelKind(edit);
  vi->Painter = Style()->LookAndFeel()->SkinPainter();
}

void TvlCustomEditPopupWindow::DoPopupChar(Char AChar) {
  if (HWND f = GetFocus()) SendMessageW(f, WM_CHAR, WPARAM(AChar), 0);
}

TSize TvlCustomEditPopupWindow::GetMinSize() {
  TvlCustomEditPopupWindowViewInfo* vi = ViewInfo();
  const TRect e = vi->GetClientExtent();
  TSize r{e.Left + e.Right, e.Top + e.Bottom};
  if (FSizeable && FSysPanelStyle) {
    vi->Calculate();
    r.cx += RectWidth(vi->CloseButtonRect) + RectWidth(vi->SizeGripSizingRect) + 10;
  }
  return r;
}

void TvlCustomEditPopupWindow::CalculateSize() {
  TvlCustomDropDownEdit* edit = Edit();
  if (!edit) return;
  TvlCustomEditPopupWindowViewInfo* vi = ViewInfo();
  vi->SizeGripCorner = ecoBottomRight;
  const TRect owner = edit->GetPopupOwnerBounds();
  SetOwnerBounds(owner);
  const TRect e = vi->GetClientExtent();
  const TSize m = MinSize();
  TSize c{};
  edit->GetPopupContentPreferredSize(c);
  Integer w, h;
  if (FPopupAutoSize)
    w = e.Left + e.Right + c.cx;
  else
    w = FPopupWidth != 0 ? FPopupWidth : RectWidth(owner);
  if (FSizeable && FMinWidth > 0) w = std::max(w, FMinWidth);
  if (FPopupAutoSize)
    h = e.Top + e.Bottom + c.cy;
  else
    h = FPopupHeight > 0 ? FPopupHeight : std::max(FMinHeight, m.cy);
  if (FSizeable && FMinHeight > 0) h = std::max(h, FMinHeight);
  SetWidth(std::max(w, m.cx));
  SetHeight(std::max(h, m.cy));
}

TPoint TvlCustomEditPopupWindow::CalculatePosition() {
  TPoint p = inherited::CalculatePosition();
  const Integer w = Width(), h = Height();
  const TRect o = OwnerScreenBounds();
  const TRect a = vlGetDesktopWorkAreaAtPoint(p);
  const Boolean leftwards = (AlignHorz() == pahRight && p.X + w == o.Right && p.X > a.Left) || p.X + w == o.Left ||
                            (p.X + w == a.Right && p.X < o.Right);
  const Boolean upwards = (AlignVert() == pavBottom && p.Y + h == o.Bottom && p.Y > a.Top) || p.Y + h == o.Top ||
                          (p.Y + h == a.Bottom && p.Y < o.Bottom);
  TvlEditCorner corner = ecoBottomRight;
  if (leftwards && upwards)
    corner = ecoTopLeft;
  else if (leftwards)
    corner = ecoBottomLeft;
  else if (upwards)
    corner = ecoTopRight;
  const Boolean changed = ViewInfo()->SizeGripCorner != corner;
  ViewInfo()->SizeGripCorner = corner;
  // The panel moves to the other side: the height stays, the client area moves.
  if (changed) RecalculateViewInfo();
  if (upwards && FShadow) p.Y += ShadowSize;
  return p;
}

void TvlCustomEditPopupWindow::PlaceForEditor() {
  FLockCheckSize = true;
  TPoint p{};
  {
    Finally unlock([&] { FLockCheckSize = false; });
    CalculateSize();
    p = CalculatePosition();
    CorrectBoundsWithDesktopWorkArea(p);
  }
  SetBounds(p.X, p.Y, Width(), Height());
  RecalculateViewInfo();
  Realign();
}

void TvlCustomEditPopupWindow::GetMaxContentSize(TSize& ASize) {
  TvlCustomDropDownEdit* edit = Edit();
  const TRect o = OwnerScreenBounds();
  const TRect a = vlGetDesktopWorkAreaAtPoint(TPoint{o.Left, o.Top});
  const TRect e = ViewInfo()->GetClientExtent();
  const Integer shadow = FShadow ? ShadowSize : 0;
  if (!edit || edit->ActiveProperties()->PopupDirection() == pdVertical) {
    ASize.cx = RectWidth(a);
    ASize.cy = std::max(a.Bottom - o.Bottom, o.Top - a.Top + shadow);
  } else {
    ASize.cx = std::max(a.Right - o.Right, o.Left - a.Left + shadow) + 1;
    ASize.cy = RectHeight(a);
  }
  ASize.cx -= e.Left + e.Right;
  ASize.cy -= e.Top + e.Bottom;
}

void TvlCustomEditPopupWindow::SetPopupWindowRegion() {
  if (!HandleAllocated()) return;
  HRGN region = nullptr;
  if (FShadow && !FNativeStyle) {
    const TRect body{0, 0, Width() - ShadowSize, Height() - ShadowSize};
    TRect cut{};
    TvlCustomDropDownEdit* edit = Edit();
    if (IsTopCorner(ViewInfo()->SizeGripCorner) && edit) {
      // The editor stays visible under the shadow strip of an upward popup,
      // from its left edge to 3 pixels left of its right edge (the owner
      // bounds may be a cell's or grown by the editor's own shadow).
      const TPoint e = edit->Parent() ? edit->Parent()->ClientToScreen(TPoint{edit->Left(), edit->Top()})
                                      : edit->ClientToScreen(TPoint{0, 0});
      cut = TRect{e.X - Left(), Height() - ShadowSize, e.X + edit->Width() - ShadowSize - Left(), Height()};
    }
    region = vlCreateShadowRegion(WindowHandle(), body, TRect{}, cut, true, false);
  }
  vlSetRegionToWindow(WindowHandle(), region);
}

Boolean TvlCustomEditPopupWindow::ProcessOutsideClick(HWND, Cardinal AMessage, const TPoint& APoint, TShiftState) {
  TvlCustomDropDownEdit* edit = Edit();
  return edit && (AMessage == WM_LBUTTONDOWN || AMessage == WM_LBUTTONDBLCLK) && edit->IsDropDownPlace(APoint);
}

void TvlCustomEditPopupWindow::CloseUp() {
  EndSizing();
  inherited::CloseUp();
}

void TvlCustomEditPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case VLM_POPUPCHAR:
      if (IsVisible()) DoPopupChar(Char(Message.WParam));
      break;
    case VLM_POPUPREOPEN: {
      TWeakRef<TvlCustomEditPopupWindow> self(this);
      TvlCustomDropDownEdit* owner = Edit();
      if (owner && !owner->Enabled()) {
        owner->PopupNotShown();
        break;
      }
      inherited::Dispatch(Message);
      if (self && !IsVisible())
        if (TvlCustomDropDownEdit* edit = Edit()) edit->PopupNotShown();
      break;
    }
    default:
      inherited::Dispatch(Message);
  }
}

void TvlCustomEditPopupWindow::SetCloseButtonState(TvlButtonState AState) {
  TvlCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (vi->CloseButtonState == AState) return;
  vi->CloseButtonState = AState;
  vi->Calculate();  // the themed state follows
  if (HandleAllocated()) InvalidateRect(WindowHandle(), &vi->CloseButtonRect, false);
}

void TvlCustomEditPopupWindow::UpdateSizingCursor(Integer X, Integer Y) {
  Integer h = 0, v = 0;
  if (ViewInfo()->IsSizingPlace(X, Y, h, v)) {
    TCursor c = crSizeNS;
    if (h != 0 && v != 0)
      c = h == v ? crSizeNWSE : crSizeNESW;
    else if (h != 0)
      c = crSizeWE;
    Screen->SetCursor(c);
    Sizing.CursorShown = true;
  } else if (Sizing.CursorShown) {
    Screen->SetCursor(crDefault);
    Sizing.CursorShown = false;
  }
}

void TvlCustomEditPopupWindow::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  TvlCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (vi->CloseButton && vlPointInRect(vi->CloseButtonRect, TPoint{X, Y})) {
    SetCloseButtonState(vlbsPressed);
    return;
  }
  Integer h = 0, v = 0;
  if (!vi->IsSizingPlace(X, Y, h, v)) return;
  const TPoint pt = ClientToScreen(TPoint{X, Y});
  const TRect b = BoundsRect();
  Sizing = TSizingState{this, h, v, TPoint{h < 0 ? b.Left - pt.X : b.Right - pt.X, v < 0 ? b.Top - pt.Y : b.Bottom - pt.Y},
                        b, Sizing.CursorShown};
  SetCapture(WindowHandle());
  if (!FShowContentWhileResize) {
    FreeAndNil(FSizeFrame);
    FSizeFrame = New<TvlSizeFrame>(std::max(vi->GetBorderWidth(), 2));
    FSizeFrame->DrawSizeFrame(b);
  }
}

TRect TvlCustomEditPopupWindow::SizingRect(const TPoint& AScreenPoint) {
  const TRect b = BoundsRect();
  TRect r = b;
  if (Sizing.Horz < 0) r.Left = AScreenPoint.X + Sizing.Delta.X;
  if (Sizing.Horz > 0) r.Right = AScreenPoint.X + Sizing.Delta.X;
  if (Sizing.Vert < 0) r.Top = AScreenPoint.Y + Sizing.Delta.Y;
  if (Sizing.Vert > 0) r.Bottom = AScreenPoint.Y + Sizing.Delta.Y;
  TvlCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (FSysPanelStyle && vlPointInRect(b, AScreenPoint) &&
      !vlPointInRect(vi->SizeGripSizingRect, ScreenToClient(AScreenPoint))) {
    // Inside the window only the grip itself widens or lengthens the popup.
    if (r.Right > b.Right) r.Right = b.Right;
    if (r.Bottom > b.Bottom) r.Bottom = b.Bottom;
  }
  Integer w = RectWidth(r), h = RectHeight(r);
  CanResizePopup(w, h);
  // Anchored at the corner opposite the grip.
  if (Sizing.Horz < 0)
    r.Left = r.Right - w;
  else
    r.Right = r.Left + w;
  if (Sizing.Vert < 0)
    r.Top = r.Bottom - h;
  else
    r.Bottom = r.Top + h;
  const TRect o = OwnerScreenBounds();
  if (r.Left > o.Right - 1) r.Left = o.Right - 1;
  if (r.Right < o.Left + 1) r.Right = o.Left + 1;
  const TRect a = vlGetDesktopWorkAreaAtPoint(AScreenPoint);
  r.Left = std::max(r.Left, a.Left);
  r.Top = std::max(r.Top, a.Top);
  r.Right = std::min(r.Right, a.Right);
  r.Bottom = std::min(r.Bottom, a.Bottom);
  return r;
}

void TvlCustomEditPopupWindow::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (Sizing.Popup == this) {
    const TRect r = SizingRect(ClientToScreen(TPoint{X, Y}));
    if (r == Sizing.FrameRect) return;
    Sizing.FrameRect = r;
    if (FSizeFrame)
      FSizeFrame->DrawSizeFrame(r);
    else
      ApplyUserSize(r);
    return;
  }
  TvlCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (vi->CloseButton) {
    const Boolean over = vlPointInRect(vi->CloseButtonRect, TPoint{X, Y});
    if (!over && vi->CloseButtonState != vlbsNormal)
      SetCloseButtonState(vlbsNormal);
    else if (over && vi->CloseButtonState == vlbsNormal && Shift.Empty())
      SetCloseButtonState(vlbsHot);
  }
  UpdateSizingCursor(X, Y);
}

void TvlCustomEditPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (Sizing.Popup == this) {
    const TRect r = Sizing.FrameRect;
    const Boolean withFrame = FSizeFrame != nullptr;
    EndSizing();
    if (withFrame && r != BoundsRect()) ApplyUserSize(r);
    UpdateSizingCursor(X, Y);
    return;
  }
  TvlCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (vi->CloseButtonState != vlbsPressed) return;
  if (!vlPointInRect(vi->CloseButtonRect, TPoint{X, Y})) {
    SetCloseButtonState(vlbsNormal);
    return;
  }
  TWeakRef<TvlCustomEditPopupWindow> self(this);
  if (CloseQuery())
    if (TvlCustomDropDownEdit* edit = Edit()) edit->CloseUp(crUnknown);
  if (self && IsVisible()) SetCloseButtonState(vlbsHot);
}

void TvlCustomEditPopupWindow::MouseLeave(TControl* AControl) {
  SetCloseButtonState(vlbsNormal);
  if (Sizing.CursorShown && Sizing.Popup != this) {
    Screen->SetCursor(crDefault);
    Sizing.CursorShown = false;
  }
}

void TvlCustomEditPopupWindow::EndSizing() {
  if (Sizing.Popup == this) {
    if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
    Sizing = TSizingState{nullptr, 0, 0, TPoint{}, TRect{}, Sizing.CursorShown};
  }
  FreeAndNil(FSizeFrame);
}

Boolean TvlCustomEditPopupWindow::CanResizePopup(Integer& NewWidth, Integer& NewHeight) {
  if (!FSizeable || FLockCheckSize || (NewWidth == Width() && NewHeight == Height())) return true;
  const TSize m = MinSize();
  NewWidth = std::max({NewWidth, m.cx, FMinWidth});
  NewHeight = std::max({NewHeight, m.cy, FMinHeight});
  TvlCustomDropDownEdit* edit = Edit();
  if ((NewWidth != Width() || NewHeight != Height()) && edit && edit->ILookupData() &&
      edit->ActiveProperties()->LookupListInPopup()) {
    const TRect e = ViewInfo()->GetClientExtent();
    TSize content{NewWidth - e.Left - e.Right, NewHeight - e.Top - e.Bottom};
    TSize maxSize{};
    GetMaxContentSize(maxSize);
    if (edit->ILookupData()->CanResizeVisualArea(content, maxSize.cy, maxSize.cx)) {
      NewWidth = std::max(content.cx + e.Left + e.Right, m.cx);
      NewHeight = std::max(content.cy + e.Top + e.Bottom, m.cy);
    } else {
      NewWidth = Width();
      NewHeight = Height();
    }
  }
  return true;
}

void TvlCustomEditPopupWindow::ApplyUserSize(const TRect& ABounds) {
  TvlCustomDropDownEdit* edit = Edit();
  if (edit) edit->MarkPopupSized();
  SetBounds(ABounds.Left, ABounds.Top, RectWidth(ABounds), RectHeight(ABounds));
  RecalculateViewInfo();
  Realign();
  if (edit) edit->PositionPopupContent(ViewInfo()->ClientRect);
  Invalidate();
}

// --- Properties ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterDropDownEditHelper)

CL_IMPLEMENT_CLASS(TvlCustomDropDownEditProperties)

void TvlCustomDropDownEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FImmediateDropDown = true;
  FPopupAutoSize = true;
  FPopupDirection = pdVertical;
  FPopupHorzAlignment = pahLeft;
  FPopupVertAlignment = pavBottom;
  Buttons()->Add()->SetKind(bkDown);
  FGlyphButtonIndex = 0;
}

TvlCustomEditViewDataClass TvlCustomDropDownEditProperties::EditViewDataClass() const {
  return ClassOf<TvlCustomDropDownEditViewData>();
}

TvlCustomEditClass TvlCustomDropDownEditProperties::GetContainerClass() const {
  return ClassOf<TvlCustomDropDownEdit>();
}

void TvlCustomDropDownEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TvlCustomDropDownEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Assign(Source);
  SetButtonGlyph(s->ButtonGlyph());
  FImmediateDropDown = s->FImmediateDropDown;
  FImmediatePopup = s->FImmediatePopup;
  SetKeepArrowButtonPressedWhenDroppedDown(s->FKeepArrowButtonPressedWhenDroppedDown);
  FPopupAutoSize = s->FPopupAutoSize;
  SetPopupClientEdge(s->FPopupClientEdge);
  FPopupDirection = s->FPopupDirection;
  FPopupHorzAlignment = s->FPopupHorzAlignment;
  FPopupVertAlignment = s->FPopupVertAlignment;
  SetPopupMinHeight(s->FPopupMinHeight);
  SetPopupMinWidth(s->FPopupMinWidth);
  SetPopupHeight(s->FPopupHeight);
  SetPopupWidth(s->FPopupWidth);
  SetPopupSizeable(s->FPopupSizeable);
  SetPopupSysPanelStyle(s->FPopupSysPanelStyle);
  FPostPopupValueOnTab = s->FPostPopupValueOnTab;
  SetOnClosePopup(s->OnClosePopup());
  FOnCloseQuery = s->FOnCloseQuery;
  FOnCloseUp = s->FOnCloseUp;
  FOnInitPopup = s->FOnInitPopup;
  FOnPopup = s->FOnPopup;
}

TBitmap* TvlCustomDropDownEditProperties::ButtonGlyph() {
  if (FGlyphButtonIndex < 0 || FGlyphButtonIndex >= Buttons()->Count()) return nullptr;
  return Buttons()->Items(FGlyphButtonIndex)->Glyph();
}

void TvlCustomDropDownEditProperties::SetButtonGlyph(TBitmap* Value) {
  if (FGlyphButtonIndex < 0 || FGlyphButtonIndex >= Buttons()->Count()) return;
  TvlEditButton* b = Buttons()->Items(FGlyphButtonIndex);
  b->SetGlyph(Value);
  // A valid glyph makes the button a glyph button; without one it draws the arrow again.
  const Boolean valid = b->GlyphOrNil() && !b->GlyphOrNil()->Empty();
  if (valid)
    b->SetKind(bkGlyph);
  else if (b->Kind() == bkGlyph)
    b->SetKind(bkDown);
}

void TvlCustomDropDownEditProperties::SetKeepArrowButtonPressedWhenDroppedDown(Boolean Value) {
  if (FKeepArrowButtonPressedWhenDroppedDown == Value) return;
  FKeepArrowButtonPressedWhenDroppedDown = Value;
  Changed();
}

TAlignment TvlCustomDropDownEditProperties::PopupAlignment() const {
  switch (FPopupHorzAlignment) {
    case pahCenter: return taCenter;
    case pahRight: return taRightJustify;
    default: return taLeftJustify;
  }
}

void TvlCustomDropDownEditProperties::SetPopupAlignment(TAlignment Value) {
  const TvlPopupAlignHorz a = Value == taCenter ? pahCenter : Value == taRightJustify ? pahRight : pahLeft;
  if (a == FPopupHorzAlignment) return;
  FPopupHorzAlignment = a;
  Changed();
}

void TvlCustomDropDownEditProperties::SetPopupClientEdge(Boolean Value) {
  if (FPopupClientEdge == Value) return;
  FPopupClientEdge = Value;
  Changed();
}

void TvlCustomDropDownEditProperties::SetPopupHeight(Integer Value) { FPopupHeight = std::max(Value, FPopupMinHeight); }

void TvlCustomDropDownEditProperties::SetPopupMinHeight(Integer Value) {
  FPopupMinHeight = std::max(Value, 0);
  SetPopupHeight(FPopupHeight);
}

void TvlCustomDropDownEditProperties::SetPopupMinWidth(Integer Value) {
  FPopupMinWidth = std::max(Value, 0);
  SetPopupWidth(FPopupWidth);
}

void TvlCustomDropDownEditProperties::SetPopupWidth(Integer Value) {
  FPopupWidth = Value <= 0 ? 0 : std::max(Value, FPopupMinWidth);
}

void TvlCustomDropDownEditProperties::SetPopupSizeable(Boolean Value) {
  if (FPopupSizeable == Value) return;
  FPopupSizeable = Value;
  Changed();
}

void TvlCustomDropDownEditProperties::SetPopupSysPanelStyle(Boolean Value) {
  if (FPopupSysPanelStyle == Value) return;
  FPopupSysPanelStyle = Value;
  Changed();
}

// --- View data ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomDropDownEditViewData)

void TvlCustomDropDownEditViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                              TvlMouseButton Button, TShiftState Shift,
                                              TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) {
  const Boolean vistaNative = NativeStyle && nbOSWindowsVistaOrLater;
  KeepArrowButtonPressedWhenDroppedDown = Properties()->KeepArrowButtonPressedWhenDroppedDown() || vistaNative;
  inherited::Calculate(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  auto* vi = static_cast<TvlCustomTextEditViewInfo*>(AViewInfo);
  const TvlEditEditingStyle style = Properties()->GetTextEditingStyle();
  auto* edit = dynamic_cast<TvlCustomTextEdit*>(Edit());
  // A fixed list whose text shows the found selection draws that selection instead.
  const Boolean showsFoundText =
      edit && style == esFixedList && Properties()->FixedListSelection() && edit->FindSelection();
  vi->DrawSelectionBar = !IsInplace() && !showsFoundText && style == esFixedList && Focused && !vi->Transparent &&
                         !HasPopupWindow && !vistaNative;
}

Boolean TvlCustomDropDownEditViewData::ButtonMayBePressed(TvlCustomEditViewInfo* AViewInfo, Integer AIndex) {
  if (IsHotAndPopup && AIndex == Properties()->GetDropDownButtonVisibleIndex()) return false;
  return inherited::ButtonMayBePressed(AViewInfo, AIndex);
}

Integer TvlCustomDropDownEditViewData::CalculateNativeState() {
  const Integer state = inherited::CalculateNativeState();
  if (state == ETS_SELECTED && Properties()->GetTextEditingStyle() == esFixedList && !HasPopupWindow)
    return ContainerState.Contains(csHotTrack) ? ETS_HOT : ETS_NORMAL;
  return state;
}

Boolean TvlCustomDropDownEditViewData::ButtonIsPressed(TvlCustomEditViewInfo* AViewInfo, Integer AIndex) {
  if (inherited::ButtonIsPressed(AViewInfo, AIndex)) return true;
  return Edit() && (HasPopupWindow || IsHotAndPopup) && KeepArrowButtonPressedWhenDroppedDown &&
         AIndex == Properties()->GetDropDownButtonVisibleIndex();
}

// --- The popup controls' look and feel -------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlEditPopupControlLookAndFeel)

void TvlEditPopupControlLookAndFeel::Create(TvlCustomDropDownEdit* AEdit) {
  FEdit = AEdit;
  inherited::Create(AEdit);
  FKind = InternalGetKind();
  FNativeStyle = InternalGetNativeStyle();
  FSkinName = InternalGetSkinName();
}

TvlLookAndFeelKind TvlEditPopupControlLookAndFeel::InternalGetKind() const {
  return FEdit ? vlGetEditButtonsLookAndFeelKind(FEdit) : inherited::InternalGetKind();
}

Boolean TvlEditPopupControlLookAndFeel::InternalGetNativeStyle() const {
  return FEdit ? FEdit->ViewInfo()->NativeStyle : inherited::InternalGetNativeStyle();
}

String TvlEditPopupControlLookAndFeel::InternalGetSkinName() const {
  return FEdit ? String(FEdit->Style()->LookAndFeel()->SkinName()) : inherited::InternalGetSkinName();
}

void TvlEditPopupControlLookAndFeel::Refresh() {
  const TvlLookAndFeelKind kind = InternalGetKind();
  const Boolean native = InternalGetNativeStyle();
  const String skin = InternalGetSkinName();
  TvlLookAndFeelValues changed;
  if (kind != FKind) changed.Include(lfvKind);
  if (native != FNativeStyle) changed.Include(lfvNativeStyle);
  if (skin != FSkinName) changed.Include(lfvSkinName);
  FKind = kind;
  FNativeStyle = native;
  FSkinName = skin;
  if (!changed.Empty()) Changed(changed);
}

// --- The inner edit --------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomDropDownInnerEdit)

void TvlCustomDropDownInnerEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_HINTSHOW) {
    auto* edit = dynamic_cast<TvlCustomDropDownEdit*>(Container());
    if (edit && edit->DroppedDown()) {
      Message.Result = 1;
      return;
    }
  }
  inherited::Dispatch(Message);
}

// --- The editor ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomDropDownEditData)
CL_IMPLEMENT_CLASS(TvlCustomDropDownEdit)

TvlCustomDropDownEditProperties* TvlCustomDropDownEdit::RepositoryProperties() {
  TvlEditRepositoryItem* item = RepositoryItem();
  return item ? dynamic_cast<TvlCustomDropDownEditProperties*>(item->Properties()) : nullptr;
}

namespace {

// Fires a notify event of the editor's own properties, then of the
// repository item's; stops when a handler frees the editor.
template <class F>
void FireOnBoth(TvlCustomDropDownEdit* AEdit, TvlCustomDropDownEditProperties* AOwn,
                TvlCustomDropDownEditProperties* AItem, F AFire) {
  TWeakRef<TvlCustomDropDownEdit> self(AEdit);
  if (AOwn) AFire(AOwn);
  if (self && AItem && AItem != AOwn) AFire(AItem);
}

}  // namespace

void TvlCustomDropDownEdit::Initialize() {
  inherited::Initialize();
  if (!ComponentState().Contains(csDesigning)) CreatePopupWindow();
  FSendChildrenStyle = true;
  FPopupControlsLookAndFeel = New<TvlEditPopupControlLookAndFeel>(this);
  FPopupControlsLookAndFeel->SetOnChanged(
      TvlLookAndFeelChangedEvent(this, &TvlCustomDropDownEdit::PopupControlsLookAndFeelNotify));
}

void TvlCustomDropDownEdit::PopupControlsLookAndFeelNotify(TvlLookAndFeel* Sender, TvlLookAndFeelValues) {
  PopupControlsLookAndFeelChanged(Sender);
}

TClass TvlCustomDropDownEdit::InnerControlClass() const { return ClassOf<TvlCustomDropDownInnerEdit>(); }

TvlCustomEditViewData* TvlCustomDropDownEdit::MakeViewData() {
  TvlCustomEditViewData* data = inherited::MakeViewData();
  if (auto* d = dynamic_cast<TvlCustomDropDownEditViewData*>(data)) {
    d->HasPopupWindow = HasPopupWindow();
    d->IsHotAndPopup = FIsHotAndPopup;
  }
  return data;
}

void TvlCustomDropDownEdit::StyleChanged(TObject* Sender) {
  inherited::StyleChanged(Sender);
  if (HandleAllocated() && FPopupControlsLookAndFeel) FPopupControlsLookAndFeel->Refresh();
}

void TvlCustomDropDownEdit::ActivateByKey(Char AKey, TvlCustomEditData*& AEditData) {
  TWeakRef<TvlCustomDropDownEdit> self(this);
  inherited::ActivateByKey(AKey, AEditData);
  if (!self) return;
  TvlCustomDropDownEditProperties* p = ActiveProperties();
  if (!vlIsTextInputChar(AKey) || !p->ImmediateDropDown() || p->ImmediatePopup()) return;
  SetDroppedDown(true);
  if (self && FPopupWindow && FPopupWindow->CaptureFocus() && AKey != Char(VK_RETURN) && CanDropDown() &&
      FPopupWindow->HandleAllocated())
    PostMessageW(FPopupWindow->WindowHandle(), VLM_POPUPCHAR, WPARAM(AKey), 0);
}

void TvlCustomDropDownEdit::ActivateByMouse(TShiftState AShift, Integer AX, Integer AY,
                                            TvlCustomEditData*& AEditData) {
  TWeakRef<TvlCustomDropDownEdit> self(this);
  FIsActivatingByMouse = true;
  Finally unflag([&] {
    if (self) FIsActivatingByMouse = false;
  });
  inherited::ActivateByMouse(AShift, AX, AY, AEditData);
}

void TvlCustomDropDownEdit::CreatePopupWindow() {
  TvlCustomDropDownEditProperties* p = ActiveProperties();
  FPopupWindow = CreateFrom(p->GetPopupWindowClass(), static_cast<TWinControl*>(this));
  FPopupWindow->SetCaptureFocus(p->PopupWindowCapturesFocus());
  FPopupWindow->SetIsTopMost(!IsInplace());
  FPopupWindow->Style()->LookAndFeel()->SetMasterLookAndFeel(Style()->LookAndFeel());
  FPopupWindow->SetBiDiMode(BiDiMode());
  FPopupWindow->SetOnCloseQuery(TCloseQueryEvent(this, &TvlCustomDropDownEdit::PopupWindowCloseQuery));
  FPopupWindow->SetOnClosed(TNotifyEvent(this, &TvlCustomDropDownEdit::PopupWindowClosed));
  FPopupWindow->SetOnClosing(TNotifyEvent(this, &TvlCustomDropDownEdit::PopupWindowClosing));
  FPopupWindow->SetOnShowed(TNotifyEvent(this, &TvlCustomDropDownEdit::PopupWindowShowed));
  FPopupWindow->SetOnShowing(TNotifyEvent(this, &TvlCustomDropDownEdit::PopupWindowShowing));
}

void TvlCustomDropDownEdit::BeforeDestruction() {
  // An opening (open, queued or being initialised) goes with the editor: it
  // is finalised first.
  DoFinalizePopup();
  if (IvlTextEditLookupData* l = ILookupData()) l->Deinitialize();
  inherited::BeforeDestruction();
}

void TvlCustomDropDownEdit::Destroy() {
  if (FPopupWindow) {
    RemovePendingPopup();
    // The popup goes without telling the editor being freed.
    FPopupWindow->SetOnCloseQuery(TCloseQueryEvent());
    FPopupWindow->SetOnClosed(TNotifyEvent());
    FPopupWindow->SetOnClosing(TNotifyEvent());
    FPopupWindow->SetOnShowed(TNotifyEvent());
    FPopupWindow->SetOnShowing(TNotifyEvent());
    if (FPopupWindow->IsVisible()) FPopupWindow->CloseUp();
    FreeAndNil(FPopupWindow);
  }
  FreeAndNil(FPopupControlsLookAndFeel);
  inherited::Destroy();
}

void TvlCustomDropDownEdit::CreateWnd() {
  inherited::CreateWnd();
  InitializeLookupData();
}

void TvlCustomDropDownEdit::DestroyWnd() {
  if (FPopupWindow && !ComponentState().Contains(csDestroying)) {
    if (DroppedDown()) CloseUp(crUnknown);
    if (FPopupWindow && FPopupWindow->HandleAllocated()) FPopupWindow->DestroyHandle();
  }
  inherited::DestroyWnd();
}

Boolean TvlCustomDropDownEdit::DroppedDown() { return FPopupWindow && FPopupWindow->IsVisible(); }

Boolean TvlCustomDropDownEdit::HasPopupWindow() { return DroppedDown(); }

Boolean TvlCustomDropDownEdit::IsPopupPending() {
  if (!FPopupWindow || !FPopupWindow->HandleAllocated()) return false;
  MSG m{};
  return PeekMessageW(&m, FPopupWindow->WindowHandle(), VLM_POPUPREOPEN, VLM_POPUPREOPEN, PM_NOREMOVE);
}

void TvlCustomDropDownEdit::SetDroppedDown(Boolean Value) {
  if (Value) {
    if (DroppedDown() || IsPopupPending()) return;
    DropDown();
  } else {
    CloseUp(crUnknown);
    // An opening still queued is cancelled (and finalised) too.
    TWeakRef<TvlCustomDropDownEdit> self(this);
    if (self) RemovePendingPopup();
  }
}

void TvlCustomDropDownEdit::InitializePopup() {
  if (FPopupInitialized) return;
  FPopupInitialized = true;
  TWeakRef<TvlCustomDropDownEdit> self(this);
  try {
    FireOnBoth(this, Properties(), RepositoryProperties(), [&](TvlCustomDropDownEditProperties* p) {
      if (Assigned(p->OnInitPopup())) p->OnInitPopup()(this);
    });
  } catch (...) {
    if (self) FPopupInitialized = false;
    throw;
  }
  // OnInitPopup may free the editor.
  if (self && ActiveProperties()->UsesLookupData() && ILookupData()) ILookupData()->DropDown();
}

void TvlCustomDropDownEdit::DropDown() {
  if (!FPopupWindow || !HandleAllocated() || !IsWindowVisible(WindowHandle()) || !Enabled()) return;
  TWeakRef<TvlCustomDropDownEdit> self(this);
  InitializePopup();
  if (!self) return;
  if (!CanDropDown()) {
    DoFinalizePopup();
    return;
  }
  try {
    InitializePopupWindow();
    if (!self) return;
    FPopupWindow->HandleNeeded();
    FPopupWindow->SetFocusedControlProp(GetPopupFocusedControl());
  } catch (...) {
    // A failed attempt is finalised, so the next one initialises again.
    if (self) DoFinalizePopup();
    throw;
  }
  PostMessageW(FPopupWindow->WindowHandle(), VLM_POPUPREOPEN, 0, 0);
}

void TvlCustomDropDownEdit::InitializeLookupData() {
  TvlCustomDropDownEditProperties* p = ActiveProperties();
  if (ILookupData() && FPopupWindow && !ComponentState().Contains(csDesigning) && p->LookupListInPopup())
    ILookupData()->Initialize(FPopupWindow);
}

void TvlCustomDropDownEdit::SetupPopupWindow() {
  TvlCustomDropDownEditProperties* p = ActiveProperties();
  TvlCustomEditPopupWindow* w = FPopupWindow;
  w->SetOwnerParent(Parent());
  w->SetDirection(p->PopupDirection());
  w->SetAlignHorz(p->PopupHorzAlignment());
  w->SetAlignVert(p->PopupVertAlignment());
  w->SetClientEdge(p->PopupClientEdge());
  w->SetMinHeight(p->PopupMinHeight());
  w->SetMinWidth(p->PopupMinWidth());
  w->SetPopupAutoSize(p->PopupAutoSize());
  w->SetSizeable(p->PopupSizeable());
  w->SetSysPanelStyle(p->PopupSysPanelStyle());
  auto* data = dynamic_cast<TvlCustomDropDownEditData*>(EditData());
  if (IsInplace() && p->PopupSizeable() && data) {
    w->SetPopupWidth(data->Width);
    w->SetPopupHeight(data->Height);
  } else {
    w->SetPopupWidth(p->PopupWidth());
    w->SetPopupHeight(p->PopupHeight());
  }
  w->SetCloseButton(Style()->PopupCloseButton());
  w->SetBorderStyle(ViewInfo()->PopupBorderStyle);
  w->SetNativeStyle(ViewInfo()->NativeStyle);
  w->SetShadow(ViewInfo()->Shadow);
}

void TvlCustomDropDownEdit::InitializePopupWindow() {
  FPopupWindow->SetCaptureFocus(ActiveProperties()->PopupWindowCapturesFocus());
  InitializeLookupData();
  SetupPopupWindow();
  FPopupWindow->PlaceForEditor();
  PositionPopupContent(FPopupWindow->ViewInfo()->ClientRect);
  FPopupWindow->SetPopupWindowRegion();
  // The popup is as translucent as the form it drops from.
  if (TCustomForm* form = nbOSWindowsXPOrLater ? GetParentForm(this) : nullptr) {
    FPopupWindow->SetAlphaBlend(form->AlphaBlend());
    FPopupWindow->SetAlphaBlendValue(form->AlphaBlendValue());
    FPopupWindow->SetTransparentColor(form->TransparentColor());
    FPopupWindow->SetTransparentColorValue(form->TransparentColorValue());
  }
}

TWinControl* TvlCustomDropDownEdit::GetPopupFocusedControl() {
  TWinControl* result = InnerControl();
  if (ILookupData() && ActiveProperties()->LookupListInPopup() && FPopupWindow && FPopupWindow->CaptureFocus())
    if (TWinControl* list = ILookupData()->GetActiveControl()) result = list;
  return result;
}

void TvlCustomDropDownEdit::GetPopupContentPreferredSize(TSize&) { throw EAbstractError(u"Abstract error"); }

TRect TvlCustomDropDownEdit::GetPopupOwnerBounds() {
  // In a cell the popup is placed against the cell's content rectangle that
  // its host gives (in the parent's coordinates, as the editor's bounds).
  TRect r = IsInplace() && !vlIsRectEmpty(ContentParams.ExternalBorderBounds)
                ? ContentParams.ExternalBorderBounds
                : BoundsRect();
  if (ViewInfo()->Shadow) r.Right += ShadowSize;
  return r;
}

void TvlCustomDropDownEdit::PositionPopupContent(const TRect& AClientRect) {
  if (ILookupData()) ILookupData()->PositionVisualArea(AClientRect);
}

void TvlCustomDropDownEdit::PopupWindowShowed(TObject*) {
  TWeakRef<TvlCustomDropDownEdit> self(this);
  ShortRefreshContainer(false);
  FPopupWindow->RecalculateViewInfo();
  PositionPopupContent(FPopupWindow->ViewInfo()->ClientRect);
  DoPopup();
  if (!self) return;
  TvlCustomDropDownEditProperties* p = ActiveProperties();
  if (ILookupData() && FindSelection() && p->ImmediateDropDown() && FPopupWindow->CaptureFocus())
    ILookupData()->DroppedDown(Text().substr(0, size_t(std::max(0, SelStart()))));
  FNeedStorePopupSize = false;
}

void TvlCustomDropDownEdit::DoPopup() {
  FCloseUpReason = crUnknown;
  FireOnBoth(this, Properties(), RepositoryProperties(), [&](TvlCustomDropDownEditProperties* p) {
    if (Assigned(p->OnPopup())) p->OnPopup()(this);
  });
}

void TvlCustomDropDownEdit::CloseUp(TvlEditCloseUpReason AReason) {
  if (!DroppedDown()) return;
  if (FCloseUpReason == crUnknown) FCloseUpReason = AReason;
  TWeakRef<TvlCustomDropDownEdit> self(this);
  // The popup closes however the step ends: a refused post leaves the value
  // in the editor. The change events are unlocked before it closes.
  Finally close([&] {
    if (self && FPopupWindow) FPopupWindow->CloseUp();
  });
  {
    LockChangeEvents(true);
    Finally unlock([&] {
      if (self) LockChangeEvents(false);
    });
    if (AReason == crTab || AReason == crClose || AReason == crEnter) {
      TvlCustomDropDownEditProperties* p = ActiveProperties();
      if (p->UsesLookupData() && LookupData()) {
        const Integer prevKey = LookupData()->CurrentKey();
        LockClick(true);
        {
          Finally unlockClick([&] {
            if (self) LockClick(false);
          });
          LookupData()->SelectItem();
        }
        if (!self) return;
        if (ModifiedAfterEnter() && LookupData()->CurrentKey() != prevKey) DoModifiedClick();
        if (!self) return;
      }
      if (!p->PostValueAfterPopupClosed() && p->ImmediatePost() && CanPostEditValue()) InternalPostEditValue(true);
      if (!self) return;
    }
  }
}

void TvlCustomDropDownEdit::PopupWindowCloseQuery(TObject* Sender, Boolean& CanClose) {
  FireOnBoth(this, Properties(), RepositoryProperties(), [&](TvlCustomDropDownEditProperties* p) {
    if (Assigned(p->OnCloseQuery())) p->OnCloseQuery()(this, CanClose);
  });
}

void TvlCustomDropDownEdit::PopupWindowClosed(TObject*) {
  TWeakRef<TvlCustomDropDownEdit> self(this);
  TvlCustomDropDownEditProperties* p = ActiveProperties();
  if (p->PopupSizeable() && FNeedStorePopupSize && FPopupWindow) {
    auto* data = dynamic_cast<TvlCustomDropDownEditData*>(EditData());
    if (IsInplace() && data) {
      data->Initialized = true;
      data->Width = FPopupWindow->Width();
      data->Height = FPopupWindow->Height();
    } else {
      p->SetPopupWidth(FPopupWindow->Width());
      p->SetPopupHeight(FPopupWindow->Height());
    }
  }
  FNeedStorePopupSize = false;
  DoFinalizePopup();
  if (!self) return;
  if (ActiveProperties()->GetTextEditingStyle() == esFixedList) ShortRefreshContainer(false);
  DoCloseUp();
  if (!self) return;
  p = ActiveProperties();
  if (p->PostValueAfterPopupClosed() && p->ImmediatePost() && CanPostEditValue()) {
    LockChangeEvents(true);
    Finally unlock([&] {
      if (self) LockChangeEvents(false);
    });
    if (ValidateEdit(true) && self) InternalPostEditValue(false);
  }
  if (self) ShortRefreshContainer(false);
}

void TvlCustomDropDownEdit::DoFinalizePopup() {
  if (!FPopupInitialized) return;
  FPopupInitialized = false;
  if (ILookupData()) ILookupData()->CloseUp();
  FireOnBoth(this, Properties(), RepositoryProperties(), [&](TvlCustomDropDownEditProperties* p) {
    if (Assigned(p->OnFinalizePopup())) p->OnFinalizePopup()(this);
  });
}

void TvlCustomDropDownEdit::DoCloseUp() {
  const TvlEditCloseUpReason reason = FCloseUpReason;
  TWeakRef<TvlCustomDropDownEdit> self(this);
  FireOnBoth(this, Properties(), RepositoryProperties(), [&](TvlCustomDropDownEditProperties* p) {
    if (Assigned(p->OnClosePopup())) p->OnClosePopup()(this, reason);
  });
  // OnClosePopup may free the editor.
  if (!self) return;
  FireOnBoth(this, Properties(), RepositoryProperties(), [&](TvlCustomDropDownEditProperties* p) {
    if (Assigned(p->OnCloseUp())) p->OnCloseUp()(this);
  });
}

void TvlCustomDropDownEdit::RemovePendingPopup() {
  if (FPopupWindow && FPopupWindow->HandleAllocated() &&
      vlRemovePendingMessages(FPopupWindow->WindowHandle(), VLM_POPUPREOPEN, VLM_POPUPREOPEN, false))
    PopupWindowClosed(FPopupWindow);
}

Boolean TvlCustomDropDownEdit::IsDropDownPlace(const TPoint& AScreenPoint) {
  if (!HandleAllocated()) return false;
  const TPoint p = ScreenToClient(AScreenPoint);
  const Integer b = GetButtonIndexAt(p);
  if (b >= 0) return b == ActiveProperties()->GetDropDownButtonVisibleIndex();
  return ActiveProperties()->DropDownOnClick() && vlPointInRect(ViewInfo()->ClientRect, p);
}

// --- Keys and mouse --------------------------------------------------------------------------------------

void TvlCustomDropDownEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  const Word key = vlNormalizeKey(Key);
  const Boolean alt = Shift.Contains(ssAlt);
  if (((key == VK_UP || key == VK_DOWN) && alt) || (key == VK_F4 && !alt)) {
    if (DroppedDown())
      CloseUp(crClose);
    else
      SetDroppedDown(true);
    Key = 0;
    return;
  }
  if ((key == VK_RETURN || key == VK_ESCAPE) && !alt && DroppedDown()) {
    TWeakRef<TvlCustomDropDownEdit> self(this);
    SetPopupWindowJustClosed(true);
    SetKeyboardAction(true);
    if (key == VK_RETURN && DoEditing())
      CloseUp(crEnter);
    else if (self)
      CloseUp(crCancel);
    if (!self) return;
    SetKeyboardAction(false);
    if (!DroppedDown()) {
      if (key == VK_ESCAPE && GetCapture()) ReleaseCapture();
      Key = 0;
      return;
    }
  }
  inherited::DoEditKeyDown(Key, Shift);
}

void TvlCustomDropDownEdit::DoEditKeyPress(Char& Key) {
  TvlCustomDropDownEditProperties* p = ActiveProperties();
  if (vlIsTextInputChar(Key) && p->ImmediateDropDown() && !DroppedDown()) {
    TWeakRef<TvlCustomDropDownEdit> self(this);
    SetDroppedDown(true);
    if (!self) return;
    if (FPopupWindow && FPopupWindow->CaptureFocus() && Key != Char(VK_RETURN) && CanDropDown() &&
        FPopupWindow->FocusedControl()) {
      PostMessageW(FPopupWindow->WindowHandle(), VLM_POPUPCHAR, WPARAM(Key), 0);
      Key = 0;
      return;
    }
  }
  inherited::DoEditKeyPress(Key);
}

void TvlCustomDropDownEdit::BeforeTabNavigation(TShiftState Shift) {
  if (DroppedDown() && ActiveProperties()->PostPopupValueOnTab()) CloseUp(crTab);
}

Boolean TvlCustomDropDownEdit::InPlaceMode() {
  return inherited::InPlaceMode() || (DroppedDown() && ActiveProperties()->PostPopupValueOnTab());
}

Boolean TvlCustomDropDownEdit::IsClickKey(Word Key, TShiftState Shift) {
  if (inherited::IsClickKey(Key, Shift)) return true;
  return IsInplace() && DroppedDown() && (Shift.Contains(ssAlt) || Shift.Contains(ssCtrl) || vlIsSystemKey(Key));
}

Boolean TvlCustomDropDownEdit::ShouldReplayActivationKey(Word Key) {
  return !(ActiveProperties()->ImmediateDropDown() && ActiveProperties()->PopupWindowCapturesFocus() &&
           Key != VK_RETURN);
}

Boolean TvlCustomDropDownEdit::AllowsLookupNavigation(Boolean AByMouseWheel) {
  if (ComponentState().Contains(csDestroying) || !InnerTextEdit()) return false;
  // In a cell of a multi-row parent the closed editor leaves the keys to the rows.
  return AByMouseWheel || !IsInplace() || !InplaceParams.MultiRowParent || DroppedDown();
}

void TvlCustomDropDownEdit::ButtonDown(Integer AButtonIndex) {
  inherited::ButtonDown(AButtonIndex);
  if (AButtonIndex != ActiveProperties()->GetDropDownButtonVisibleIndex()) return;
  if (FPopupWindow && FPopupWindow->JustClosed()) return;
  DropDownButtonClick();
  SetDroppedDown(true);
}

void TvlCustomDropDownEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<TvlCustomDropDownEdit> self(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (!self || Button != mbLeft || FIsActivatingByMouse) return;
  if (!ActiveProperties()->DropDownOnClick() || DroppedDown() || FIsHotAndPopup) return;
  if (!vlPointInRect(ViewInfo()->ClientRect, TPoint{X, Y}) || GetButtonIndexAt(TPoint{X, Y}) >= 0) return;
  if (FPopupWindow && FPopupWindow->JustClosed()) return;
  if (InternalFocused()) SetDroppedDown(true);
}

Boolean TvlCustomDropDownEdit::DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                                                  Boolean AIsMouseEvent) {
  // A mouse event after the popup closed is no longer on an open editor: the
  // button may be pressed again.
  if (AIsMouseEvent && !DroppedDown()) FIsHotAndPopup = false;
  const Boolean r = inherited::DoRefreshContainer(P, Button, Shift, AIsMouseEvent);
  if (AIsMouseEvent && !(Button == vlmbRight && Shift.Contains(ssRight)))
    FIsHotAndPopup = DroppedDown() && ViewInfo()->ContainerState.Contains(csHotTrack);
  if (FPopupControlsLookAndFeel) FPopupControlsLookAndFeel->Refresh();
  return r;
}

Boolean TvlCustomDropDownEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!DroppedDown() || !AllowsLookupNavigation(true) || !ActiveProperties()->UsesLookupData() || !LookupData() ||
      LookupData()->IsEmpty())
    return false;
  TWinControl* list = ILookupData()->GetActiveControl();
  if (!list || !list->HandleAllocated()) return false;
  SendMessageW(list->WindowHandle(), WM_MOUSEWHEEL, WPARAM(UINT(WheelDelta) << 16), LPARAM(0));
  return true;
}

void TvlCustomDropDownEdit::FocusChanged() {
  TWeakRef<TvlCustomDropDownEdit> self(this);
  inherited::FocusChanged();
  if (!self || !DroppedDown() || FPopupWindow->CaptureFocus()) return;
  // The focus went elsewhere (another form activated): a popup that does not
  // take the focus closes unless the focus stays in the inner edit or the popup.
  const HWND focus = GetFocus();
  if (focus && InnerControl() && InnerControl()->HandleAllocated() && focus == InnerControl()->WindowHandle()) return;
  if (focus && vlIsWindowOwnedBy(FPopupWindow, focus, true)) return;
  CloseUp(crUnknown);
}

void TvlCustomDropDownEdit::DoExit() {
  CloseUp(crUnknown);
  // An opening still queued (asked for while the popup was closing, from its
  // OnCloseUp) would show a list for an editor without the focus.
  TWeakRef<TvlCustomDropDownEdit> self(this);
  RemovePendingPopup();
  if (self) inherited::DoExit();
}

void TvlCustomDropDownEdit::PasteFromClipboard() {
  if (!InternalFocused()) {
    inherited::PasteFromClipboard();
    return;
  }
  const Boolean saved = KeyboardAction();
  SetKeyboardAction(true);
  TWeakRef<TvlCustomDropDownEdit> self(this);
  const String before = Text();
  {
    Finally restore([&] {
      if (self) SetKeyboardAction(saved);
    });
    inherited::PasteFromClipboard();
  }
  if (!self || Text() == before) return;
  if (ActiveProperties()->ImmediateDropDown() && !DroppedDown()) {
    SetDroppedDown(true);
    if (self && ActiveProperties()->UsesLookupData() && HandleAllocated())
      PostMessageW(WindowHandle(), VLM_DROPDOWNTEXTCHANGED, 0, 0);
  }
}

void TvlCustomDropDownEdit::DropDownTextChanged() {
  if (!DroppedDown() || !LookupData()) return;
  const Integer prevKey = LookupData()->CurrentKey();
  LockClick(true);
  {
    Finally unlock([&] { LockClick(false); });
    LookupData()->TextChanged();
  }
  if (LookupData()->CurrentKey() != prevKey) DoModifiedClick();
  const TvlEditEditingStyle style = ActiveProperties()->GetTextEditingStyle();
  if (style == esEdit)
    SetFindSelection(SelStart() == Integer(Text().size()) && LookupData()->Find(Text()));
  else if (style == esFixedList)
    SetFindSelection(true);
}

void TvlCustomDropDownEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == VLM_DROPDOWNTEXTCHANGED) {
    DropDownTextChanged();
    return;
  }
  if (Message.Msg == CM_ENABLEDCHANGED) {
    // A disabled editor keeps no popup open.
    TWeakRef<TvlCustomDropDownEdit> self(this);
    inherited::Dispatch(Message);
    if (self && !Enabled()) CloseUp(crUnknown);
    return;
  }
  if (Message.Msg == CM_HINTSHOW) {
    // No hint while dropped down.
    inherited::Dispatch(Message);
    if (DroppedDown() && Message.Result == 0) Message.Result = 1;
    return;
  }
  if (Message.Msg == CM_BIDIMODECHANGED) {
    inherited::Dispatch(Message);
    if (FPopupWindow) FPopupWindow->SetBiDiMode(BiDiMode());
    return;
  }
  inherited::Dispatch(Message);
}

void TvlCustomDropDownEdit::PropertiesChanged(TObject* Sender) {
  inherited::PropertiesChanged(Sender);
  // A change of the list style decides whether the inner edit shows the text
  // (edit lists) or the editor draws it (fixed lists): the inner edit's window
  // region follows.
  if (HandleAllocated() && InnerControl() && InnerControl()->HandleAllocated()) {
    TRect r = ViewInfo()->ClientRect;
    AlignControls(InnerControl(), r);
  }
  if (!ActiveProperties()->PopupSizeable()) FPopupSizeChanged = false;
  if (DroppedDown()) InitializePopupWindow();
}

void TvlCustomDropDownEdit::ApplyClearedEditData(TvlCustomEditData* AEditData) {
  if (auto* data = dynamic_cast<TvlCustomDropDownEditData*>(AEditData)) {
    data->Initialized = false;
    data->Width = ActiveProperties()->PopupWidth();
    data->Height = ActiveProperties()->PopupHeight();
  }
}

void TvlCustomDropDownEdit::Activate(TvlCustomEditData*& AEditData) {
  auto* data = dynamic_cast<TvlCustomDropDownEditData*>(AEditData);
  FPopupSizeChanged = data && data->Initialized && ActiveProperties()->PopupSizeable();
  TWeakRef<TvlCustomDropDownEdit> self(this);
  inherited::Activate(AEditData);
  if (self && ActiveProperties()->ImmediatePopup()) SetDroppedDown(true);
}

Boolean TvlCustomDropDownEdit::Deactivate() {
  CloseUp(crUnknown);
  if (auto* data = dynamic_cast<TvlCustomDropDownEditData*>(EditData()))
    data->Initialized = FPopupSizeChanged || data->Initialized;
  TWeakRef<TvlCustomDropDownEdit> self(this);
  const Boolean r = inherited::Deactivate();
  if (self) RemovePendingPopup();
  return r;
}
