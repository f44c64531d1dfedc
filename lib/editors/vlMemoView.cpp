// The memo's layout: several lines, wrapped at the editor's width unless a
// horizontal scroll bar is shown, measured and drawn by the text layout engine.
#include "lib/editors/vlMemo.h"

#include <algorithm>

#include "lib/editors/vlEditStyles.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlTextLayout.h"
#include "platform/win/Windows.h"

using namespace win;

CL_IMPLEMENT_CLASS(TvlCustomMemoViewData)
CL_IMPLEMENT_CLASS(TvlCustomMemoViewInfo)

TRect TvlCustomMemoViewData::GetDrawTextOffset() { return IsInplace() ? TRect{1, 1, 1, 1} : TRect{1, 1, 1, 3}; }

TSize TvlCustomMemoViewData::GetEditContentSizeCorrection() {
  const TRect r = GetDrawTextOffset();
  return TSize{r.Left + r.Right, r.Top + r.Bottom};
}

Integer TvlCustomMemoViewData::GetMaxLineCount() {
  const Integer n = MemoProperties()->VisibleLineCount();
  return n > 0 ? n : inherited::GetMaxLineCount();
}

Cardinal TvlCustomMemoViewData::GetDrawTextFlags() {
  TvlCustomMemoProperties* p = MemoProperties();
  Cardinal r = VLTO_EDITCONTROL | VLTO_EXPANDTABS | VLTO_PREVENT_LEFT_EXCEED;
  const TScrollStyle bars = p->ScrollBars();
  if (p->WordWrap() && bars != ssHorizontal && bars != ssBoth) r |= VLTO_WORDBREAK | VLTO_CHARBREAK;
  switch (p->Alignment()) {
    case taRightJustify: r |= VLTO_RIGHT; break;
    case taCenter: r |= VLTO_CENTER_HORIZONTALLY; break;
    default: break;
  }
  return r;
}

TSize TvlCustomMemoViewData::ContentSizeOfValue(TvlCanvas* ACanvas, const Variant& AEditValue,
                                                const TvlEditSizeProperties& AEditSizeProperties) {
  TSize size{};
  vlCalculateEditTextSize(ACanvas, this, EditValueToDisplayText(AEditValue), size, true,
                          MemoProperties()->VisibleLineCount(), AEditSizeProperties, GetDrawTextFlags());
  return size;
}

void TvlCustomMemoViewData::GetEditConstantPartSize(TvlCanvas* ACanvas,
                                                    const TvlEditSizeProperties& AEditSizeProperties, TSize& ASize,
                                                    TSize& AMinContentSize, TvlCustomEditViewInfo* AViewInfo) {
  inherited::GetEditConstantPartSize(ACanvas, AEditSizeProperties, ASize, AMinContentSize, AViewInfo);
  TvlCustomMemoProperties* p = MemoProperties();
  const TScrollStyle bars = p->ScrollBars();
  if (!IsInplace() && (bars == ssHorizontal || bars == ssBoth)) ASize.cy += GetSystemMetrics(SM_CYHSCROLL);
  if (p->VisibleLineCount() > 0) {
    ACanvas->SetFont(Style()->GetVisibleFont());
    const Integer h = GetEditContentSizeCorrection().cy + p->VisibleLineCount() * ACanvas->TextHeight(u"Zg");
    AMinContentSize.cy = std::max(AMinContentSize.cy, h);
  }
}
