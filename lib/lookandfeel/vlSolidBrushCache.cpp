#include "lib/lookandfeel/vlSolidBrushCache.h"

#include "lib/lookandfeel/vlSystemPalette.h"
#include "platform/classes/ModuleInit.h"
#include "platform/win/Gdi.h"

CL_IMPLEMENT_CLASS(TvlSolidBrushCache)

namespace {

constexpr Integer SystemBrushCount = 31;
win::HBRUSH SystemBrushes[SystemBrushCount] = {};
Boolean SystemBrushesFetched = false;
TvlSolidBrushCache* SharedCache = nullptr;

}  // namespace

void TvlSolidBrushCache::Create() { Create(128); }

void TvlSolidBrushCache::Create(Integer AMaxDepth) {
  inherited::Create();
  FMaxDepth = AMaxDepth < 1 ? 1 : AMaxDepth;
  FBrushColors.resize(size_t(FMaxDepth));
  FBrushes.resize(size_t(FMaxDepth));
  FCounts.resize(size_t(FMaxDepth));
  FSystemPaletteChangedNotifier = New<TvlSystemPaletteChangedNotifier>(true);
  FSystemPaletteChangedNotifier->SetOnSystemPaletteChanged(
      TvlSystemPaletteChangedEvent(this, &TvlSolidBrushCache::SystemPaletteChanged));
}

void TvlSolidBrushCache::Destroy() {
  FreeAndNil(FSystemPaletteChangedNotifier);
  Clear();
  FBrushColors.clear();
  FBrushes.clear();
  FCounts.clear();
  inherited::Destroy();
}

Integer TvlSolidBrushCache::FindIndex(TColor AColor, Boolean& AFound) const {
  AFound = false;
  Integer low = 0, high = FDepth - 1;
  while (high >= low) {
    Integer middle = (low + high) / 2;
    // Colours compare as signed 32-bit numbers.
    if (Integer(FBrushColors[size_t(middle)]) < Integer(AColor))
      low = middle + 1;
    else {
      high = middle - 1;
      if (FBrushColors[size_t(middle)] == AColor) {
        low = middle;
        AFound = true;
      }
    }
  }
  return low;
}

void TvlSolidBrushCache::MakeRoomForBrush(Integer& AIndex) {
  if (FDepth == FMaxDepth) {
    // The first entry never asked for again, else the first of the rarest.
    Integer rarest = 0;
    for (Integer i = 0; i < FDepth; ++i) {
      if (FCounts[size_t(i)] == 0) {
        rarest = i;
        break;
      }
      if (FCounts[size_t(i)] < FCounts[size_t(rarest)]) rarest = i;
    }
    win::DeleteObject(FBrushes[size_t(rarest)]);
    for (Integer i = rarest; i < FDepth - 1; ++i) {
      FBrushColors[size_t(i)] = FBrushColors[size_t(i + 1)];
      FBrushes[size_t(i)] = FBrushes[size_t(i + 1)];
      FCounts[size_t(i)] = FCounts[size_t(i + 1)];
    }
    --FDepth;
    if (rarest < AIndex) --AIndex;
  }
  for (Integer i = FDepth; i > AIndex; --i) {
    FBrushColors[size_t(i)] = FBrushColors[size_t(i - 1)];
    FBrushes[size_t(i)] = FBrushes[size_t(i - 1)];
    FCounts[size_t(i)] = FCounts[size_t(i - 1)];
  }
  ++FDepth;
}

win::HBRUSH TvlSolidBrushCache::GetBrush(TColor AColor) {
  const Cardinal value = Cardinal(AColor);
  if (SystemBrushesFetched && value >= 0xFF000000u && value <= 0xFF00001Eu)
    return SystemBrushes[value & 0x00FFFFFFu];
  Boolean found;
  Integer index = FindIndex(AColor, found);
  if (found) {
    ++FCounts[size_t(index)];
    return FBrushes[size_t(index)];
  }
  MakeRoomForBrush(index);
  win::HBRUSH brush = win::CreateSolidBrush(win::COLORREF(ColorToRGB(AColor)));
  FBrushColors[size_t(index)] = AColor;
  FBrushes[size_t(index)] = brush;
  FCounts[size_t(index)] = 0;
  return brush;
}

void TvlSolidBrushCache::Clear() {
  for (Integer i = 0; i < FDepth; ++i) win::DeleteObject(FBrushes[size_t(i)]);
  FDepth = 0;
}

void TvlSolidBrushCache::SystemPaletteChanged() { Clear(); }

win::HBRUSH vlGetSolidBrush(TColor AColor) { return SharedCache ? SharedCache->GetBrush(AColor) : nullptr; }
win::HBRUSH vlGetSolidBrush(TCanvas*, TColor AColor) { return vlGetSolidBrush(AColor); }
win::HBRUSH vlGetSolidBrush(TvlCanvas*, TColor AColor) { return vlGetSolidBrush(AColor); }
TvlSolidBrushCache* vlSolidBrushCache() { return SharedCache; }

void vlSolidBrushCacheInitialize() {
  for (Integer i = 0; i < SystemBrushCount; ++i) SystemBrushes[i] = win::GetSysColorBrush(i);
  SystemBrushesFetched = true;
  if (!SharedCache) SharedCache = New<TvlSolidBrushCache>();
}

void vlSolidBrushCacheFinalize() {
  FreeAndNil(SharedCache);
  SystemBrushesFetched = false;
  for (win::HBRUSH& brush : SystemBrushes) brush = nullptr;
}

CL_UNIT_STEPS(vlSolidBrushCache, &vlSolidBrushCacheInitialize, &vlSolidBrushCacheFinalize);
