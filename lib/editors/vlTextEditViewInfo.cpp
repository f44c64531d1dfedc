#include "lib/editors/vlTextEditViewInfo.h"

#include <algorithm>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/editors/vlTextEdit.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"

namespace {

constexpr Cardinal kVertMask = VLTO_CENTER_VERTICALLY | VLTO_BOTTOM;

TColor InvertedColor(TColor AColor) { return TColor(~ColorToRGB(AColor) & 0xFFFFFF); }

Integer LineHeight(TvlCanvas* ACanvas) { return ACanvas->TextHeight(u"Zg"); }

Boolean IsListStyle(TvlEditEditingStyle AStyle) { return AStyle == esFixedList || AStyle == esNoEdit; }

}  // namespace

// --- View info ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomTextEditViewInfo)

void TvlCustomTextEditViewInfo::Destroy() {
  vlResetTextRows(TextOutData.TextRows);
  inherited::Destroy();
}

void TvlCustomTextEditViewInfo::Assign(TObject* Source) {
  inherited::Assign(Source);
  if (auto* src = dynamic_cast<TvlCustomTextEditViewInfo*>(Source)) {
    ComboBoxStyle = src->ComboBoxStyle;
    DrawSelectionBar = src->DrawSelectionBar;
    DrawTextFlags = src->DrawTextFlags;
    EditingStyle = src->EditingStyle;
    HasPopupWindow = src->HasPopupWindow;
    IsEditClass = src->IsEditClass;
    IsOwnerDrawing = src->IsOwnerDrawing;
    MaxLineCount = src->MaxLineCount;
    SelStart = src->SelStart;
    SelLength = src->SelLength;
    SelTextColor = src->SelTextColor;
    SelBackgroundColor = src->SelBackgroundColor;
    Text = src->Text;
    TextRect = src->TextRect;
    TextOutData.Initialized = false;
  }
}

void TvlCustomTextEditViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  TextRect = vlOffsetRect(TextRect, DX, DY);
  if (!TextOutData.Initialized) return;
  TextOutData.TextRect = vlOffsetRect(TextOutData.TextRect, DX, DY);
  for (Integer i = 0; i < TextOutData.RowCount; ++i) {
    TvlTextRow* row = vlGetTextRow(TextOutData.TextRows, i);
    row->TextOriginX += DX;
    row->TextOriginY += DY;
  }
}

Integer TvlCustomTextEditViewInfo::GetTextBaseLine() {
  TvlScreenCanvas* canvas = vlGetScreenCanvas();
  Finally dormant([&] { canvas->Dormant(); });
  if (Font) canvas->SetFont(Font);
  win::TEXTMETRICW tm{};
  win::GetTextMetricsW(canvas->Handle(), &tm);
  if ((DrawTextFlags & kVertMask) == VLTO_TOP) return TextRect.Top + tm.tmAscent + 1;
  if ((DrawTextFlags & kVertMask) == VLTO_BOTTOM) return TextRect.Bottom - tm.tmDescent + 1;
  return TextRect.Top + (TextRect.Height() - tm.tmHeight) / 2 + tm.tmAscent + 1;
}

Boolean TvlCustomTextEditViewInfo::NeedShowHint(TvlCanvas* ACanvas, const TPoint& P, TRect& ATextRect,
                                                Boolean& AIsMultiLine, String& AText, TRect& AVisibleBounds) {
  TRect area = TextRect;
  if (!vlIsRectEmpty(AVisibleBounds)) {
    TRect vb = vlOffsetRect(AVisibleBounds, -Left, -Top);
    area = TRect{std::max(vb.Left, TextRect.Left), std::max(vb.Top, TextRect.Top), std::min(vb.Right, TextRect.Right),
                 std::min(vb.Bottom, TextRect.Bottom)};
  }
  const TPoint p{P.X - Left, P.Y - Top};
  if (vlPointInRect(area, p) && !Text.empty()) {
    if (Font) ACanvas->SetFont(Font);
    TRect r = area;
    vlRenderText(ACanvas, Text, r, (DrawTextFlags & ~(VLTO_SINGLELINE | kVertMask)) | VLTO_CALCRECT, Font);
    if (r.Width() > area.Width() || r.Height() > area.Height()) {
      AText = Text;
      AIsMultiLine = (DrawTextFlags & VLTO_WORDBREAK) && !(DrawTextFlags & VLTO_SINGLELINE);
      ATextRect = vlOffsetRect(TextRect, Left, Top);
      return true;
    }
  }
  return inherited::NeedShowHint(ACanvas, P, ATextRect, AIsMultiLine, AText, AVisibleBounds);
}

void TvlCustomTextEditViewInfo::DoPaint(TvlCanvas* ACanvas) {
  Byte combo = 0;
  if (ComboBoxStyle) combo = (EditingStyle == esEdit || EditingStyle == esEditList) ? 1 : 2;
  vlDrawEditBackgroundAndButtons(ACanvas, this, !Transparent && !DrawSelectionBar,
                                 TvlEditBackgroundPaintingStyle(combo));
  TRect r = ClientRect;
  if (!IsInplace) {
    if (!((NativeStyle && !DrawSelectionBar) || Transparent || EditingStyle == esNoEdit))
      ACanvas->FrameRect(r, BackgroundColor());
    r = vlInflateRectBy(r, -1, -1);
  }
  if (IsOwnerDrawing && Assigned(CustomDrawHandler)) {
    CustomDrawHandler(ACanvas, r);
  } else {
    if (DrawSelectionBar) ACanvas->FillRect(r, clHighlight);
    if (IsDBEditPaintCopyDrawing || !HasInnerEdit || !IsEditClass) DrawText(ACanvas);
  }
  if (!IsInplace && !IsEditClass && Focused && !HasPopupWindow) {
    if (DrawSelectionBar) {
      ACanvas->Font()->SetColor(clHighlightText);
      ACanvas->SetBrushColor(clHighlight);
    } else {
      ACanvas->Font()->SetColor(clBtnText);
      ACanvas->SetBrushColor(BackgroundColor());
    }
    ACanvas->DrawFocusRect(r);
  }
}

void TvlCustomTextEditViewInfo::DrawText(TvlCanvas* ACanvas) {
  if (Text.empty()) return;
  if (Font) ACanvas->SetFont(Font);
  ACanvas->Font()->SetColor(DrawSelectionBar ? clHighlightText : TextColor);
  PrepareCanvasFont(ACanvas);
  TvlTextOutData& d = TextOutData;
  if (!d.Initialized) {
    d.TextParams = vlGetTextParams(ACanvas, DrawTextFlags);
    d.TextRect = vlApplyTextIndents(TextRect, d.TextParams, 0, 0);
    if (vlIsRectEmpty(d.TextRect)) return;
    d.ForceEndEllipsis = !vlBuildTextRows(ACanvas, Text.data(), Integer(Text.size()), MaxLineCount, d.RowCount,
                                          d.TextRows, d.TextParams, d.TextRect);
    vlPlaceTextRows(ACanvas->Handle(), d.TextRect, d.TextParams, d.RowCount, d.TextRows);
    const Integer len = Integer(Text.size());
    d.SelStart = SelStart;
    d.SelLength = SelStart < 0 || SelStart >= len ? 0 : std::min(SelLength, len - SelStart);
    d.SelBackgroundColor = SelBackgroundColor;
    d.SelTextColor = SelTextColor;
    d.Initialized = true;
  }
  if (d.RowCount <= 0) return;
  vlDrawTextRowsHighlighted(ACanvas->Handle(), d.TextRect, d.TextParams, d.TextRows, d.RowCount, d.SelStart,
                            d.SelLength, Integer(d.SelBackgroundColor), Integer(d.SelTextColor),
                            d.ForceEndEllipsis);
}

// --- View data ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomTextEditViewData)

void TvlCustomTextEditViewData::InitializeFromProperties() {
  inherited::InitializeFromProperties();
  IsValueEditorWithValueFormatting = Properties()->IsValueEditorWithValueFormatting();
}

void TvlCustomTextEditViewData::DisplayTextOfValue(const Variant& AEditValue, String& AText) {
  if (IsValueEditorWithValueFormatting)
    AText = VarToStr(AEditValue);
  else
    AText = VarToStr(TextProperties()->MakeDisplayValue(AEditValue, DisplayFocused()));
  AText = TextProperties()->DisplayValueToDisplayText(AText);
}

void TvlCustomTextEditViewData::EditValueToDrawValue(TvlCanvas*, const Variant& AEditValue,
                                                     TvlCustomEditViewInfo* AViewInfo) {
  auto* vi = static_cast<TvlCustomTextEditViewInfo*>(AViewInfo);
  vi->Text = PreviewMode ? String() : EditValueToDisplayText(AEditValue);
  PrepareSelection(vi);
}

void TvlCustomTextEditViewData::DisplayValueToDrawValue(const Variant& ADisplayValue,
                                                        TvlCustomEditViewInfo* AViewInfo) {
  static_cast<TvlCustomTextEditViewInfo*>(AViewInfo)->Text =
      TextProperties()->DisplayValueToDisplayText(VarToStr(ADisplayValue));
}

void TvlCustomTextEditViewData::PrepareSelection(TvlCustomTextEditViewInfo* AViewInfo) {
  AViewInfo->SelStart = SelStart;
  AViewInfo->SelLength = SelLength;
  if (SelLength == 0) return;
  if (SelBackgroundColor == clDefault) {
    if (SelTextColor != clDefault) {
      AViewInfo->SelTextColor = SelTextColor;
      AViewInfo->SelBackgroundColor = InvertedColor(SelTextColor);
    } else if (FStyle->Color() == clHighlight) {
      AViewInfo->SelTextColor = clWhite;
      AViewInfo->SelBackgroundColor = clBlack;
    } else {
      AViewInfo->SelTextColor = clHighlightText;
      AViewInfo->SelBackgroundColor = clHighlight;
    }
  } else {
    AViewInfo->SelBackgroundColor = SelBackgroundColor;
    AViewInfo->SelTextColor = SelTextColor != clDefault ? SelTextColor : InvertedColor(SelBackgroundColor);
  }
}

TRect TvlCustomTextEditViewData::GetClientExtent(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo) {
  TRect r = inherited::GetClientExtent(ACanvas, AViewInfo);
  if (!IsInplace() && UsesNativeComboLook() && NativeStyle) r.Right += 1;
  return r;
}

Boolean TvlCustomTextEditViewData::IsEditClassNow() { return Edit() && Edit()->IsEditClass(); }

void TvlCustomTextEditViewData::CalculateNativeButtonPart(TvlEditButtonViewInfo* AButtonViewInfo) {
  inherited::CalculateNativeButtonPart(AButtonViewInfo);
  if (!IsInplace() && NativeStyle && TextProperties()->GetTextEditingStyle() == esFixedList &&
      AButtonViewInfo->Data.NativeStyle && AButtonViewInfo->Data.NativeState != 4)
    AButtonViewInfo->Data.NativeState = 1;
}

Cardinal TvlCustomTextEditViewData::GetDrawTextFlags() {
  Cardinal r = VLTO_SINGLELINE | VLTO_PREVENT_LEFT_EXCEED | VLTO_PREVENT_TOP_EXCEED;
  if (HorzAlignment == taCenter)
    r |= VLTO_CENTER_HORIZONTALLY;
  else if (HorzAlignment == taRightJustify)
    r |= VLTO_RIGHT;
  if (VertAlignment == taVCenter)
    r |= VLTO_CENTER_VERTICALLY;
  else if (VertAlignment == taBottomJustify)
    r |= VLTO_BOTTOM;
  return r;
}

TRect vlGetTextEditContentOffsets(TvlCustomEditViewData* AViewData) {
  TRect r = AViewData->EditContentParams.Offsets;
  auto* props = dynamic_cast<TvlCustomTextEditProperties*>(AViewData->Properties());
  if (!AViewData->IsInplace() && props && IsListStyle(props->GetTextEditingStyle())) {
    r.Top += 1;
    r.Bottom -= 1;
    if (AViewData->HorzAlignment == taRightJustify)
      r.Right += 1;
    else
      r.Left += 1;
  }
  return r;
}

TRect TvlCustomTextEditViewData::GetDrawTextOffset() { return vlGetTextEditContentOffsets(this); }

void TvlCustomTextEditViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                          TvlMouseButton Button, TShiftState Shift, TvlCustomEditViewInfo* AViewInfo,
                                          Boolean AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  auto* vi = static_cast<TvlCustomTextEditViewInfo*>(AViewInfo);
  vi->DrawSelectionBar = false;
  vi->EditingStyle = TextProperties()->GetTextEditingStyle();
  vi->IsEditClass = IsEditClassNow();
  vi->HasPopupWindow = Edit() && Edit()->HasPopupWindow();
  const TRect off = GetDrawTextOffset();
  TRect tr = vlDeflateRectByBorders(vi->ClientRect, off);
  if (!IsInplace()) {
    // Measured on the screen: the editor's canvas draws only while painting.
    TvlScreenCanvas* screen = vlGetScreenCanvas();
    Finally dormant([&] { screen->Dormant(); });
    if (vi->Font) screen->SetFont(vi->Font);
    const Integer h = LineHeight(screen);
    if (tr.Height() < h) tr.Bottom = std::min(tr.Top + h, std::max(tr.Bottom, vi->ClientRect.Bottom));
  }
  vi->TextRect = tr;
  vi->MaxLineCount = GetMaxLineCount();
  vi->TextOutData.Initialized = false;
  PrepareTextFlags(ACanvas, vi);
}

void TvlCustomTextEditViewData::PrepareTextFlags(TvlCanvas* ACanvas, TvlCustomTextEditViewInfo* AViewInfo) {
  TvlCustomTextEditProperties* props = TextProperties();
  const TvlEditPaintOptions options = GetPaintOptions();
  AViewInfo->DrawTextFlags = GetDrawTextFlags();
  if (!props->LaysOutOwnLines() && props->GetSupportedOperations().Contains(esoAutoHeight) &&
      options.Contains(epoAutoHeight) && !AViewInfo->Text.empty()) {
    ACanvas->SetFont(FStyle->GetVisibleFont());
    const Cardinal probe =
        (AViewInfo->DrawTextFlags & ~VLTO_SINGLELINE) | VLTO_WORDBREAK | VLTO_EDITCONTROL | VLTO_CALCROWCOUNT;
    const TRect off = GetDrawTextOffset();
    const TSize corr = GetEditContentSizeCorrection();
    Integer width = AViewInfo->TextRect.Width() + off.Left + off.Right - corr.cx - EditContentParams.Offsets.Left -
                    EditContentParams.Offsets.Right;
    if (HorzAlignment == taRightJustify) ++width;
    const TvlTextParams params = vlGetTextParams(ACanvas, probe);
    const Integer rowHeight = std::max(1, params.FullRowHeight);
    const Integer fit = (AViewInfo->TextRect.Height() + rowHeight - 1) / rowHeight;
    TRect r{0, 0, std::max(width, 1), INT32_MAX / 4};
    const Integer rows = vlRenderText(ACanvas, AViewInfo->Text, r, probe, nullptr, fit + 1);
    if (rows >= 2) {
      AViewInfo->DrawTextFlags =
          (AViewInfo->DrawTextFlags & ~VLTO_SINGLELINE) | VLTO_WORDBREAK | VLTO_EDITCONTROL;
      if (AViewInfo->TextRect.Height() < rowHeight * rows) AViewInfo->DrawTextFlags &= ~kVertMask;
    }
  }
  if (options.Contains(epoShowEndEllipsis)) AViewInfo->DrawTextFlags |= VLTO_END_ELLIPSIS;
  AViewInfo->ComboBoxStyle = UsesNativeComboLook();
}

TSize TvlCustomTextEditViewData::ContentSizeOfValue(TvlCanvas* ACanvas, const Variant& AEditValue,
                                                    const TvlEditSizeProperties& AEditSizeProperties) {
  TSize base = inherited::ContentSizeOfValue(ACanvas, AEditValue, AEditSizeProperties);
  TSize text{};
  vlCalculateEditTextSize(ACanvas, this, EditValueToDisplayText(AEditValue), text, true, 0, AEditSizeProperties,
                          GetDrawTextFlags());
  return TSize{std::max(base.cx, text.cx), std::max(base.cy, text.cy)};
}

void vlCalculateEditTextSize(TvlCanvas* ACanvas, TvlCustomEditViewData* AViewData, const String& AText, TSize& ASize,
                             Boolean AAddWidthCorrection, Integer ALineCount,
                             const TvlEditSizeProperties& AEditSizeProperties, Cardinal AFlags) {
  ACanvas->SetFont(AViewData->Style()->GetVisibleFont());
  const TSize corr = AViewData->GetEditContentSizeCorrection();
  auto* textData = dynamic_cast<TvlCustomTextEditViewData*>(AViewData);
  auto* props = dynamic_cast<TvlCustomTextEditProperties*>(AViewData->Properties());
  const Boolean adjust = textData && !AViewData->IsInplace() && props &&
                         IsListStyle(props->GetTextEditingStyle()) &&
                         !(textData->UsesNativeComboLook() && AViewData->NativeStyle);
  const TvlEditPaintOptions options = AViewData->GetPaintOptions();
  const Boolean autoHeight = options.Contains(epoAutoHeight) && AViewData->Properties()->GetSupportedOperations().Contains(esoAutoHeight);
  const Integer line = LineHeight(ACanvas);
  const Integer maxLines = ALineCount > 0 ? ALineCount : AEditSizeProperties.MaxLineCount;
  if (AEditSizeProperties.Width < 0) {
    if (!(AFlags & VLTO_SINGLELINE) || autoHeight) {
      TRect r{0, 0, INT32_MAX / 4, INT32_MAX / 4};
      const Cardinal f = (AFlags & ~VLTO_SINGLELINE) | VLTO_WORDBREAK | VLTO_EDITCONTROL | VLTO_CALCRECT;
      if (!AText.empty()) vlRenderText(ACanvas, AText, r, f, nullptr, maxLines);
      ASize.cx = AText.empty() ? 0 : r.Width();
      ASize.cy = ALineCount > 0 ? line * ALineCount : line;
    } else {
      ASize.cx = AText.empty() ? 0 : ACanvas->TextWidth(AText);
      ASize.cy = line;
    }
    ASize.cx += 1 + (adjust ? 1 : 0);
    if (AAddWidthCorrection) ASize.cx += corr.cx;
  } else if (ALineCount > 0) {
    ASize.cy = line * ALineCount;
    ASize.cx = AEditSizeProperties.Width;
  } else {
    Integer avail = AEditSizeProperties.Width - (AViewData->IsInplace() ? 2 : 0) - (adjust ? 1 : 0);
    const Boolean zero = options.Contains(epoAllowZeroHeight);
    if (avail <= 0) {
      ASize.cx = 0;
      ASize.cy = (AText.empty() && zero) ? 0 : line;
    } else {
      ASize.cx = AEditSizeProperties.Width;
      if (AText.empty()) {
        ASize.cy = zero ? 0 : line;
      } else {
        TRect r{0, 0, avail, INT32_MAX / 4};
        const Cardinal f =
            (AFlags & ~(VLTO_SINGLELINE | kVertMask)) | VLTO_WORDBREAK | VLTO_EDITCONTROL | VLTO_CALCROWCOUNT;
        const Integer rows = vlRenderText(ACanvas, AText, r, f, nullptr, AEditSizeProperties.MaxLineCount);
        ASize.cy = line * std::max(1, rows);
      }
    }
  }
  if (ASize.cy > 0) ASize.cy += corr.cy;
}
