// The shared solid brush cache: system colours bypass it, the rarest entry
// goes when it is full, a palette change empties it.
#include "lib/lookandfeel/vlSolidBrushCache.h"

#include <gtest/gtest.h>

#include <memory>

#include "lib/lookandfeel/vlSystemPalette.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

namespace {

struct TFreeCache {
  void operator()(TvlSolidBrushCache* p) const { Free(p); }
};
using TCachePtr = std::unique_ptr<TvlSolidBrushCache, TFreeCache>;

TCachePtr NewCache() { return TCachePtr(New<TvlSolidBrushCache>()); }

Boolean IsLiveBrush(win::HBRUSH ABrush) {
  win::LOGBRUSH info{};
  return win::GetObjectW(ABrush, sizeof(info), &info) != 0;
}

TEST(SolidBrushCache, SystemColoursAreServedByTheSystemBrushes) {
  TCachePtr cache = NewCache();
  EXPECT_EQ(cache->GetBrush(clBtnFace), win::GetSysColorBrush(win::COLOR_BTNFACE));
  EXPECT_EQ(cache->GetBrush(TColor(0xFF00001E)), win::GetSysColorBrush(30));
  EXPECT_EQ(cache->Depth(), 0);
  // index 31 is no system brush: cached like any colour
  win::HBRUSH beyond = cache->GetBrush(TColor(0xFF00001F));
  EXPECT_NE(beyond, nullptr);
  EXPECT_EQ(cache->Depth(), 1);
  // the shared cache and its overloads
  EXPECT_EQ(vlGetSolidBrush(static_cast<TCanvas*>(nullptr), clBtnFace), win::GetSysColorBrush(win::COLOR_BTNFACE));
  EXPECT_EQ(cache->MaxDepth(), 128);
}

TEST(SolidBrushCache, EntriesStaySortedAndCountRepeatedRequests) {
  TCachePtr cache = NewCache();
  const TColor colors[] = {TColor(0x00FF00), TColor(0x0000FF), TColor(-5), TColor(0x123456), TColor(0x0000FF)};
  win::HBRUSH first = cache->GetBrush(colors[1]);
  for (TColor c : colors) cache->GetBrush(c);
  ASSERT_EQ(cache->Depth(), 4);
  // signed order: the negative colour first
  EXPECT_EQ(cache->BrushColor(0), TColor(-5));
  EXPECT_EQ(cache->BrushColor(1), TColor(0x0000FF));
  EXPECT_EQ(cache->BrushColor(2), TColor(0x00FF00));
  EXPECT_EQ(cache->BrushColor(3), TColor(0x123456));
  EXPECT_EQ(cache->Count(1), 2u);  // asked three times, the first not counted
  EXPECT_EQ(cache->Count(3), 0u);
  EXPECT_EQ(cache->GetBrush(colors[1]), first);
  win::LOGBRUSH info{};
  ASSERT_NE(win::GetObjectW(first, sizeof(info), &info), 0);
  EXPECT_EQ(info.lbColor, win::COLORREF(0x0000FF));
}

TEST(SolidBrushCache, AFullCacheDropsTheFirstUnusedOrTheRarestEntry) {
  struct TCase {
    const char* Name;
    TColor Repeated[2];  // asked for twice before filling (count 1)
    TColor Dropped;
  };
  const TCase cases[] = {
      // every count 0: entry 0, the smallest colour
      {"all unused", {clNone, clNone}, TColor(1)},
      // colour 1 counted: the first with count 0 goes
      {"smallest counted", {TColor(1), clNone}, TColor(2)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TCachePtr cache = NewCache();
    win::HBRUSH droppedBrush = nullptr;
    for (TColor color = 1; color <= 128; ++color) {
      win::HBRUSH b = cache->GetBrush(color);
      if (color == c.Dropped) droppedBrush = b;
    }
    for (TColor r : c.Repeated)
      if (r != clNone) cache->GetBrush(r);
    cache->GetBrush(TColor(1000));  // the 129th colour
    EXPECT_EQ(cache->Depth(), 128);
    for (Integer i = 0; i < cache->Depth(); ++i) EXPECT_NE(cache->BrushColor(i), c.Dropped);
    EXPECT_EQ(cache->BrushColor(127), TColor(1000));
    // deleted: the handle is dead, or already reused by a brush of another colour
    win::LOGBRUSH info{};
    EXPECT_TRUE(win::GetObjectW(droppedBrush, sizeof(info), &info) == 0 ||
                info.lbColor != win::COLORREF(ColorToRGB(c.Dropped)));
  }
  // all counted: the first of the smallest count goes
  TCachePtr cache(New<TvlSolidBrushCache>(3));
  for (TColor color : {TColor(10), TColor(20), TColor(30), TColor(10), TColor(20), TColor(30), TColor(10),
                       TColor(30)})
    cache->GetBrush(color);
  cache->GetBrush(TColor(15));  // 20 has the smallest count (1)
  ASSERT_EQ(cache->Depth(), 3);
  EXPECT_EQ(cache->BrushColor(0), TColor(10));
  EXPECT_EQ(cache->BrushColor(1), TColor(15));
  EXPECT_EQ(cache->BrushColor(2), TColor(30));
}

TEST(SolidBrushCache, APaletteChangeDeletesEveryBrush) {
  TvlSolidBrushCache* shared = vlSolidBrushCache();
  ASSERT_NE(shared, nullptr);
  shared->Clear();
  win::HBRUSH before = vlGetSolidBrush(TColor(0x102030));
  vlGetSolidBrush(TColor(0x102030));
  ASSERT_EQ(shared->Count(0), 1u);
  ASSERT_NE(vlSystemPaletteChangedWindow(), nullptr);
  win::SendMessageW(vlSystemPaletteChangedWindow(), win::WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(shared->Depth(), 0);
  EXPECT_FALSE(IsLiveBrush(before));
  EXPECT_NE(vlGetSolidBrush(TColor(0x102030)), nullptr);
  EXPECT_EQ(shared->Count(0), 0u);
}

}  // namespace
