// The button's picture source, the shared glyph lists and the glyph object
// that lays out and draws a button's picture and caption.
#include <algorithm>
#include <memory>

#include "lib/editors/vlButtons.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/foundation/vlImages.h"
#include "platform/classes/Lists.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

// The pictures a bitmap strip holds: width div height when the width is a
// multiple of the height and that gives fewer than five, else one.
TNumGlyphs NumGlyphsOfBitmap(TBitmap* ABitmap) {
  if (!vlIsGlyphAssigned(ABitmap)) return 1;
  const Integer w = ABitmap->Width(), h = ABitmap->Height();
  if (h <= 0 || w % h != 0) return 1;
  return w / h < 5 ? w / h : 1;
}

TvlGlyphCache*& GlyphCacheInstance() {
  static TvlGlyphCache* cache = nullptr;
  return cache;
}

TvlGlyphCache* NeedGlyphCache() {
  TvlGlyphCache*& cache = GlyphCacheInstance();
  if (!cache) cache = New<TvlGlyphCache>();
  return cache;
}

}  // namespace

TvlGlyphCache* vlGlyphCache() { return GlyphCacheInstance(); }

// --- TvlImageInfo -------------------------------------------------------------------------

namespace vlButtons {

CL_IMPLEMENT_CLASS(TvlImageInfo)

void TvlImageInfo::Create() {
  inherited::Create();
  FGlyph = New<TBitmap>();
  FImageIndex = -1;
}

void TvlImageInfo::Destroy() {
  FreeAndNil(FGlyph);
  inherited::Destroy();
}

Boolean TvlImageInfo::IsImageAssigned() {
  return vlIsGlyphAssigned(FGlyph) || vlIsImageIndexValid(FImages, FImageIndex);
}

TSize TvlImageInfo::GetImageSize() {
  if (!IsImageAssigned()) return TSize{0, 0};
  if (vlIsGlyphAssigned(FGlyph)) return TSize{FGlyph->Width(), FGlyph->Height()};
  return TSize{FImages->Width(), FImages->Height()};
}

void TvlImageInfo::SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }

void TvlImageInfo::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  FImages = Value;
  if (FImageIndex != -1) DoChange();
}

void TvlImageInfo::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  if (FImages) DoChange();
}

const TNotifyEvent& TvlImageInfo::OnChange() const { return FGlyph->OnChange(); }
void TvlImageInfo::SetOnChange(const TNotifyEvent& Value) { FGlyph->SetOnChange(Value); }

// A new list or index matters only while the bitmap, which wins, is empty.
void TvlImageInfo::DoChange() {
  if (FGlyph->Empty() && Assigned(OnChange())) OnChange()(FGlyph);
}

}  // namespace vlButtons

// --- TvlGlyphList ---------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlGlyphList)

void TvlGlyphList::Initialize() {
  inherited::Initialize();
  FUsed = New<TBits>();
}

void TvlGlyphList::Destroy() {
  FreeAndNil(FUsed);
  inherited::Destroy();
}

Integer TvlGlyphList::AllocateIndex(TBitmap* AImage) {
  Integer index = FUsed->OpenBit();
  if (index >= Count()) {
    index = inherited::Add(AImage, nullptr);
    FUsed->SetSize(index + 1);
  }
  FUsed->SetBits(index, true);
  return index;
}

Integer TvlGlyphList::Add(TBitmap* AImage, TBitmap* AMask) {
  const Integer index = AllocateIndex(AImage);
  Replace(index, AImage, AMask);
  ++FCount;
  return index;
}

Integer TvlGlyphList::AddMasked(TBitmap* AImage, TColor AMaskColor) {
  const Integer index = AllocateIndex(AImage);
  ReplaceMasked(index, AImage, AMaskColor);
  ++FCount;
  return index;
}

// The image stays; its slot is taken by the next picture.
void TvlGlyphList::Delete(Integer AIndex) {
  if (AIndex < 0 || AIndex >= FUsed->Size() || !FUsed->Bits(AIndex)) return;
  FUsed->SetBits(AIndex, false);
  --FCount;
}

// --- TvlGlyphCache ---------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlGlyphCache)

void TvlGlyphCache::Create() {
  inherited::Create();
  FGlyphLists = New<TList>();
}

void TvlGlyphCache::Destroy() {
  if (FGlyphLists)
    for (Integer i = FGlyphLists->Count() - 1; i >= 0; --i) Free(static_cast<TvlGlyphList*>(FGlyphLists->Items(i)));
  FreeAndNil(FGlyphLists);
  inherited::Destroy();
}

TvlGlyphList* TvlGlyphCache::GetList(Integer AWidth, Integer AHeight) {
  for (Integer i = FGlyphLists->Count() - 1; i >= 0; --i) {
    auto* list = static_cast<TvlGlyphList*>(FGlyphLists->Items(i));
    if (list->Width() == AWidth && list->Height() == AHeight) return list;
  }
  TvlGlyphList* list = NewBy<TvlGlyphList>(&TvlGlyphList::CreateSize, AWidth, AHeight);
  FGlyphLists->Add(list);
  return list;
}

void TvlGlyphCache::ReturnList(TvlGlyphList* AList) {
  if (!AList || AList->UsedCount() != 0) return;
  FGlyphLists->Remove(AList);
  Free(AList);
}

Boolean TvlGlyphCache::Empty() const { return FGlyphLists->Count() == 0; }
Integer TvlGlyphCache::ListCount() const { return FGlyphLists->Count(); }

// --- TvlButtonGlyph -------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlButtonGlyph)

void TvlButtonGlyph::Create(TvlCustomButton* AButton) {
  inherited::Create();
  FButton = AButton;
  FImageInfo = New<vlButtons::TvlImageInfo>();
  FImageInfo->SetOnChange(TNotifyEvent(this, &TvlButtonGlyph::GlyphChanged));
  std::fill(std::begin(FIndexs), std::end(FIndexs), -1);
  FNumGlyphs = 1;
  NeedGlyphCache();
}

void TvlButtonGlyph::Destroy() {
  FreeAndNil(FImageInfo);
  Invalidate();
  TvlGlyphCache*& cache = GlyphCacheInstance();
  if (cache && cache->Empty()) FreeAndNil(cache);
  inherited::Destroy();
}

void TvlButtonGlyph::Invalidate() {
  for (Integer& index : FIndexs) {
    if (index != -1 && FGlyphList) FGlyphList->Delete(index);
    index = -1;
  }
  if (FGlyphList && GlyphCacheInstance()) GlyphCacheInstance()->ReturnList(FGlyphList);
  FGlyphList = nullptr;
}

void TvlButtonGlyph::DoChange() {
  if (Assigned(FOnChange)) FOnChange(this);
}

void TvlButtonGlyph::GlyphChanged(TObject*) {
  Invalidate();
  DoChange();
}

TBitmap* TvlButtonGlyph::Glyph() const { return FImageInfo->Glyph(); }

void TvlButtonGlyph::SetGlyph(TBitmap* Value) {
  Invalidate();
  FImageInfo->SetGlyph(Value);
  SetNumGlyphs(NumGlyphsOfBitmap(Value));
}

void TvlButtonGlyph::SetNumGlyphs(TNumGlyphs Value) {
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs) return;
  Invalidate();
  FNumGlyphs = Value;
  DoChange();
}

TCustomImageList* TvlButtonGlyph::ImageList() const { return FImageInfo->Images(); }
void TvlButtonGlyph::SetImageList(TCustomImageList* Value) { FImageInfo->SetImages(Value); }
Integer TvlButtonGlyph::ImageIndex() const { return FImageInfo->ImageIndex(); }
void TvlButtonGlyph::SetImageIndex(Integer Value) { FImageInfo->SetImageIndex(Value); }
TColor TvlButtonGlyph::TransparentColor() const { return FImageInfo->Glyph()->TransparentColor(); }
void TvlButtonGlyph::SetTransparentColor(TColor Value) { FImageInfo->Glyph()->SetTransparentColor(Value); }

Boolean TvlButtonGlyph::IsGlyphVisible() {
  return (FButton->PaintStyle() == bpsDefault || FButton->PaintStyle() == bpsGlyph) &&
         FImageInfo->IsImageAssigned();
}

Boolean TvlButtonGlyph::IsCaptionVisible(const String& ACaption) {
  return (FButton->PaintStyle() == bpsDefault || FButton->PaintStyle() == bpsCaption) && !ACaption.empty();
}

TSize TvlButtonGlyph::GlyphSize() {
  if (!FImageInfo->IsImageAssigned()) return TSize{0, 0};
  TSize size = FImageInfo->GetImageSize();
  size.cx /= FNumGlyphs;
  return size;
}

Integer TvlButtonGlyph::SlotOfState(TvlButtonState AState) const {
  switch (AState) {
    case vlbsDisabled: return 1;
    case vlbsPressed: return FNumGlyphs < 3 ? 0 : 2;
    default: return 0;
  }
}

Integer TvlButtonGlyph::PrepareGlyph(Integer ASlot) {
  if (FIndexs[ASlot] != -1) return FIndexs[ASlot];
  if (!FImageInfo->IsImageAssigned()) return -1;
  const TSize size = GlyphSize();
  const Integer w = size.cx, h = size.cy;
  Owned<TvlBitmap32> image(vlNewBitmap32(w, h, true));
  Owned<TBitmap> mask(New<TBitmap>());
  mask->SetMonochrome(true);
  mask->SetSize(w, h);
  const TRect r = Rect(0, 0, w, h);
  if (vlIsGlyphAssigned(FImageInfo->Glyph())) {
    TBitmap* glyph = FImageInfo->Glyph();
    if (ASlot == 1 && FNumGlyphs == 1) {
      vlDrawImageEx(image->Canvas()->Handle(), r, r, glyph, nullptr, -1, idmDisabled, false, nullptr,
                    glyph->TransparentColor());
    } else {
      const Integer cell = ASlot < FNumGlyphs ? ASlot : 0;
      BitBlt(image->Canvas()->Handle(), 0, 0, w, h, glyph->Canvas()->Handle(), cell * w, 0, SRCCOPY);
      image->SetTransparentColor(glyph->TransparentColor());
    }
    vlExtractAlphaMask(image.get(), mask.get());
    glyph->Dormant();
  } else {
    auto* images = FImageInfo->Images();
    if (ASlot == 1) {
      vlDrawImageEx(image->Canvas()->Handle(), r, r, nullptr, images, FImageInfo->ImageIndex(), idmDisabled);
      vlExtractAlphaMask(image.get(), mask.get());
    } else {
      TvlImageList::GetImageInfo(images->Handle(), FImageInfo->ImageIndex(), mask.get(), image.get());
    }
  }
  if (!FGlyphList) FGlyphList = NeedGlyphCache()->GetList(w, h);
  FIndexs[ASlot] = FGlyphList->Add(image.get(), mask.get());
  return FIndexs[ASlot];
}

TRect TvlButtonGlyph::GetCaptionMargins(TButtonLayout) {
  return IsGlyphVisible() ? TRect{0, 0, 0, 0} : TRect{1, 0, 2, 0};
}

void TvlButtonGlyph::CalcLayout(TvlCanvas* ACanvas, const TRect& AClient, Integer AOffset, const String& ACaption,
                                TButtonLayout ALayout, Integer AMargin, Integer ASpacing, Integer ABiDiFlags,
                                Boolean AWordWrap, TPoint& AGlyphPos, TRect& ATextBounds) {
  if (ABiDiFlags & DT_RIGHT) {
    if (ALayout == blGlyphLeft)
      ALayout = blGlyphRight;
    else if (ALayout == blGlyphRight)
      ALayout = blGlyphLeft;
  }
  const Boolean horizontal = ALayout == blGlyphLeft || ALayout == blGlyphRight;
  const TSize glyph = IsGlyphVisible() ? GlyphSize() : TSize{0, 0};
  TSize caption{0, 0};
  ATextBounds = TRect{};
  if (IsCaptionVisible(ACaption)) {
    ATextBounds = Rect(0, 0, AClient.Width(), 0);
    if (horizontal) ATextBounds.Right -= glyph.cx + ASpacing;
    const TRect margins = GetCaptionMargins(ALayout);
    ATextBounds.Left += margins.Left;
    ATextBounds.Top += margins.Top;
    ATextBounds.Right -= margins.Right;
    ATextBounds.Bottom -= margins.Bottom;
    UINT flags = UINT(ABiDiFlags) | DT_CALCRECT;
    if (AWordWrap) flags |= DT_WORDBREAK;
    DrawTextW(ACanvas->Handle(), ACaption.c_str(), Integer(ACaption.size()), &ATextBounds, flags);
    caption = TSize{ATextBounds.Width() + margins.Left + margins.Right,
                    ATextBounds.Height() + margins.Top + margins.Bottom};
  }
  const TSize client{AClient.Width(), AClient.Height()};
  TPoint textPos{};
  if (horizontal) {
    AGlyphPos.Y = (client.cy - glyph.cy) / 2;
    textPos.Y = (client.cy - caption.cy - 1) / 2;
  } else {
    AGlyphPos.X = (client.cx - glyph.cx) / 2;
    textPos.X = (client.cx - caption.cx) / 2;
  }
  if (caption.cx == 0 || glyph.cx == 0) ASpacing = 0;
  const Integer clientExtent = horizontal ? client.cx : client.cy;
  const Integer glyphExtent = horizontal ? glyph.cx : glyph.cy;
  const Integer captionExtent = horizontal ? caption.cx : caption.cy;
  if (AMargin == -1) {
    if (ASpacing == -1) {
      AMargin = (clientExtent - (glyphExtent + captionExtent)) / 3;
      ASpacing = AMargin;
    } else {
      AMargin = (clientExtent - (glyphExtent + ASpacing + captionExtent)) / 2;
    }
  } else if (ASpacing == -1) {
    ASpacing = (clientExtent - AMargin - glyphExtent - captionExtent) / 2;
  }
  switch (ALayout) {
    case blGlyphLeft:
      AGlyphPos.X = AMargin;
      textPos.X = AMargin + glyph.cx + ASpacing;
      break;
    case blGlyphRight:
      AGlyphPos.X = client.cx - AMargin - glyph.cx;
      textPos.X = AGlyphPos.X - ASpacing - caption.cx;
      break;
    case blGlyphTop:
      AGlyphPos.Y = AMargin;
      textPos.Y = AMargin + glyph.cy + ASpacing;
      break;
    case blGlyphBottom:
      AGlyphPos.Y = client.cy - AMargin - glyph.cy;
      textPos.Y = AGlyphPos.Y - ASpacing - caption.cy;
      break;
  }
  AGlyphPos.X += AClient.Left + AOffset;
  AGlyphPos.Y += AClient.Top + AOffset;
  ATextBounds = Rect(textPos.X, textPos.Y, textPos.X + caption.cx, textPos.Y + caption.cy);
  ATextBounds = Rect(ATextBounds.Left + AClient.Left + AOffset, ATextBounds.Top + AClient.Top + AOffset,
                     ATextBounds.Right + AClient.Left + AOffset, ATextBounds.Bottom + AClient.Top + AOffset);
}

void TvlButtonGlyph::PaintGlyphImage(TvlCanvas* ACanvas, const TPoint& AGlyphPos, TvlButtonState AState) {
  if (!IsGlyphVisible()) return;
  const Integer index = PrepareGlyph(SlotOfState(AState));
  if (index >= 0) FGlyphList->Draw(ACanvas->Canvas(), AGlyphPos.X, AGlyphPos.Y, index);
}

void TvlButtonGlyph::PaintCaption(TvlCanvas* ACanvas, const String& ACaption, const TRect& ATextBounds,
                                  TvlButtonState AState, Integer ABiDiFlags, Boolean, Boolean AWordWrap,
                                  Boolean AIsSkinPainter) {
  if (!IsCaptionVisible(ACaption)) return;
  TBrush* brush = ACanvas->Brush();
  const TBrushStyle style = brush->Style();
  brush->SetStyle(bsClear);
  Finally restore([&] { brush->SetStyle(style); });
  UINT flags = UINT(ABiDiFlags) | DT_CENTER | DT_VCENTER;
  if (AWordWrap) flags |= DT_WORDBREAK;
  HDC dc = ACanvas->Handle();
  TRect r = ATextBounds;
  if (AState == vlbsDisabled && !AIsSkinPainter) {
    const TColor color = ACanvas->Font()->Color();
    ACanvas->Font()->SetColor(clBtnHighlight);
    TRect shifted = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    DrawTextW(ACanvas->Handle(), ACaption.c_str(), Integer(ACaption.size()), &shifted, flags);
    ACanvas->Font()->SetColor(color);
    dc = ACanvas->Handle();
  }
  DrawTextW(dc, ACaption.c_str(), Integer(ACaption.size()), &r, flags);
}

void TvlButtonGlyph::Draw(TvlCanvas* ACanvas, const TRect& AClient, Integer AOffset, const String& ACaption,
                          TButtonLayout ALayout, Integer AMargin, Integer ASpacing, TvlButtonState AState,
                          Integer ABiDiFlags, Boolean AIsWinXPPainter, Boolean AWordWrap, Boolean AIsSkinPainter) {
  TPoint glyphPos{};
  TRect textBounds{};
  CalcLayout(ACanvas, AClient, AOffset, ACaption, ALayout, AMargin, ASpacing, ABiDiFlags, AWordWrap, glyphPos,
             textBounds);
  PaintGlyphImage(ACanvas, glyphPos, AState);
  PaintCaption(ACanvas, ACaption, textBounds, AState, ABiDiFlags, AIsWinXPPainter, AWordWrap, AIsSkinPainter);
}
