// Skin element drawing: frame geometry, the nine-part grid, tiling, natural
// size, borders, background and alpha as numbers and pixels; the rendered
// element cache; a reference picture of every drawing mode.
#include <gtest/gtest.h>

#include "lib/foundation/vlImages.h"
#include "lib/lookandfeel/nbSkinsElementCache.h"
#include "platform/win/Gdi.h"
#include "tests/lib/lookandfeel/LookAndFeelPicture.h"
#include "tests/lib/lookandfeel/SkinFixture.h"

namespace {

using namespace skin_test;

Owned<TnbSkin> NewSkin() {
  return Owned<TnbSkin>(New<TnbSkin>(String(u"Draw"), static_cast<void*>(nullptr), false));
}

void Checker(TBitmap* B, const TRect& R) {
  for (Integer y = R.Top; y < R.Bottom; y += 4)
    for (Integer x = R.Left; x < R.Right; x += 4) {
      B->Canvas()->Brush()->SetColor(((x + y) / 4) % 2 ? TColor(0x707070) : TColor(0xB0B0B0));
      B->Canvas()->FillRect(Rect(x, y, std::min(x + 4, R.Right), std::min(y + 4, R.Bottom)));
    }
}

// A frame with 3-pixel margins: corners red, green, blue and yellow, edges
// dark grey, the centre light blue (straight ARGB).
Cardinal FramePixel(Integer x, Integer y, Integer w, Integer h, Cardinal ACentre) {
  const bool left = x < 3, right = x >= w - 3, top = y < 3, bottom = y >= h - 3;
  if (left && top) return 0xFFFF0000u;
  if (right && top) return 0xFF00C000u;
  if (left && bottom) return 0xFF0000FFu;
  if (right && bottom) return 0xFFE0C000u;
  if (left || right || top || bottom) return 0xFF404040u;
  return ACentre;
}

TEST(SkinDrawing, FrameGeometryOfTheWorkedExample) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinElement* e = skin->AddGroup(u"G")->AddElement(u"E");
  e->SetImageCount(2);
  TnbSkinImage* image = e->Image();
  image->SetImageLayout(ilVertical);
  image->SetStates(TnbSkinElementStates{esNormal, esHot});
  SetTexture(image, 6, 40, [](Integer, Integer) { return 0xFF808080u; });
  EXPECT_EQ(2, image->StateCount());
  EXPECT_EQ(6, image->Size().cx);
  EXPECT_EQ(10, image->Size().cy);
  const TRect hot1 = image->GetFrameRect(1, esHot);
  EXPECT_EQ(30, hot1.Top);
  EXPECT_EQ(40, hot1.Bottom);
  EXPECT_EQ(10, image->GetFrameRect(0, esHot).Top);
  // A state without a frame falls back to the first state with one.
  EXPECT_EQ(esNormal, image->CheckState(esPressed));
  EXPECT_EQ(esHot, image->CheckState(esHot));
  // Horizontal: the width is divided instead.
  image->SetImageLayout(ilHorizontal);
  SetTexture(image, 40, 6, [](Integer, Integer) { return 0xFF808080u; });
  EXPECT_EQ(10, image->Size().cx);
  EXPECT_EQ(20, image->GetFrameRect(1, esNormal).Left);
}

TEST(SkinDrawing, NinePartsShrinkTheirMarginsInProportion) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinImage* image = skin->AddGroup(u"G")->AddElement(u"E")->Image();
  image->Margins()->SetRect(Rect(6, 2, 6, 2));
  TRect parts[9];
  Boolean visible[9];
  std::fill(visible, visible + 9, true);
  nbSkinCalculateParts(image, Rect(10, 0, 18, 20), true, parts, visible);
  // 6 + 6 into 8: each loses MulDiv(6, 4, 12) = 2.
  EXPECT_EQ(10, parts[1].Left);
  EXPECT_EQ(14, parts[1].Right);
  EXPECT_FALSE(visible[4]);  // the middle column is empty
  EXPECT_FALSE(visible[3]);
  EXPECT_EQ(14, parts[7].Left);
  EXPECT_EQ(18, parts[7].Right);
  EXPECT_TRUE(visible[0] && visible[2] && visible[6] && visible[8]);
  // A source part keeps its margins even when they do not fit.
  std::fill(visible, visible + 9, true);
  nbSkinCalculateParts(image, Rect(0, 0, 8, 20), false, parts, visible);
  EXPECT_EQ(6, parts[1].Right);
  EXPECT_EQ(6, parts[7].Left);  // x2 = 8 - 6 raised to x1 = 6
  EXPECT_EQ(8, parts[7].Right);
  EXPECT_FALSE(visible[4]);
}

// Draws AElement into a fresh white surface and answers it.
TBitmap* DrawInto(TnbSkinElement* AElement, Integer W, Integer H, const TRect& R, Integer AIndex = 0,
                  TnbSkinElementState AState = esNormal) {
  TBitmap* b = NewSurface(W, H, TColor(0xFFFFFF));
  AElement->Draw(b->Canvas()->Handle(), R, AIndex, AState);
  return b;
}

TEST(SkinDrawing, TilingRepeatsTheSourceAndCutsTheLastTile) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinElement* e = skin->AddGroup(u"G")->AddElement(u"E");
  e->Image()->SetStates(TnbSkinElementStates{esNormal});
  e->Image()->SetStretch(smTile);
  // 3 x 3: a red first column, the rest blue.
  SetTexture(e->Image(), 3, 3, [](Integer x, Integer) { return x == 0 ? 0xFFFF0000u : 0xFF0000FFu; });
  Owned<TBitmap> b(DrawInto(e, 12, 4, Rect(1, 0, 11, 4)));
  for (Integer x = 1; x < 11; ++x)
    EXPECT_EQ((x - 1) % 3 == 0 ? 0xFF0000u : 0x0000FFu, PixelAt(b.get(), x, 2)) << x;
  EXPECT_EQ(0xFFFFFFu, PixelAt(b.get(), 0, 2));
  EXPECT_EQ(0xFFFFFFu, PixelAt(b.get(), 11, 2));
}

TEST(SkinDrawing, NoResizeCentresTheWholeFrameAndDrawsTheBackground) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinElement* e = skin->AddGroup(u"G")->AddElement(u"E");
  e->SetColor(TColor(0x00FF00));
  e->Image()->SetStates(TnbSkinElementStates{esNormal});
  e->Image()->SetStretch(smNoResize);
  SetTexture(e->Image(), 4, 4, [](Integer, Integer) { return 0xFFFF0000u; });
  Owned<TBitmap> b(DrawInto(e, 20, 20, Rect(2, 2, 18, 18)));
  EXPECT_EQ(0x00FF00u, PixelAt(b.get(), 3, 3));     // background first
  EXPECT_EQ(0x0000FFu & 0, PixelAt(b.get(), 8, 8) & 0x0000FF);
  EXPECT_EQ(0xFF0000u, PixelAt(b.get(), 8, 8));     // the frame at (8, 8)-(12, 12)
  EXPECT_EQ(0xFF0000u, PixelAt(b.get(), 11, 11));
  EXPECT_EQ(0x00FF00u, PixelAt(b.get(), 12, 12));
  // A destination smaller than the frame still gets the whole frame, centred.
  // (The element's own drawing stays inside R; through an image draw it
  // reaches beyond.)
  Owned<TBitmap> small(NewSurface(10, 10, TColor(0xFFFFFF)));
  Owned<TnbSkinCanvas> canvas(New<TnbSkinCanvas>());
  canvas->BeginPaint(small->Canvas()->Handle(), Rect(0, 0, 10, 10));
  e->Image()->DrawEx(canvas.get(), Rect(4, 4, 6, 6), 0, esNormal);
  canvas->EndPaint();
  EXPECT_EQ(0xFF0000u, PixelAt(small.get(), 3, 3));
  EXPECT_EQ(0xFF0000u, PixelAt(small.get(), 6, 6));
  EXPECT_EQ(0xFFFFFFu, PixelAt(small.get(), 7, 7));
}

TEST(SkinDrawing, BordersAndTranslucentColour) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinElement* e = skin->AddGroup(u"G")->AddElement(u"E");
  e->Borders()->Left()->SetColor(TColor(0x0000FF));
  e->Borders()->Left()->SetThin(2);
  e->Borders()->Top()->SetColor(TColor(0x00FF00));
  e->Borders()->Top()->SetThin(0);
  e->Borders()->Right()->SetThin(3);  // clNone: nothing
  Owned<TBitmap> b(DrawInto(e, 10, 10, Rect(0, 0, 10, 10)));
  EXPECT_EQ(0xFF0000u, PixelAt(b.get(), 1, 5));
  EXPECT_EQ(0xFFFFFFu, PixelAt(b.get(), 2, 5));
  EXPECT_EQ(0xFFFFFFu, PixelAt(b.get(), 5, 0));
  EXPECT_EQ(0xFFFFFFu, PixelAt(b.get(), 9, 5));
  // Half-transparent red over white.
  e->SetColor(TColor(0x0000FF));
  e->SetAlpha(128);
  Owned<TBitmap> c(DrawInto(e, 10, 10, Rect(0, 0, 10, 10)));
  const Cardinal p = PixelAt(c.get(), 5, 5);
  EXPECT_EQ(0xFFu, p >> 16 & 0xFF);
  EXPECT_NEAR(127, Integer(p & 0xFF), 2);
}

// The platform's displays have 32 bits per pixel, so the buffer of a
// low-colour display is not reached here; a 16-bit bitmap is drawn on directly.
TEST(SkinDrawing, SixteenBitBitmapsAreDrawnOn) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinElement* e = skin->AddGroup(u"G")->AddElement(u"E");
  e->SetColor(TColor(0xFF0000));  // blue
  Owned<TBitmap> b16(New<TBitmap>());
  b16->SetPixelFormat(pf16bit);
  b16->SetSize(8, 8);
  Owned<TBitmap> b32(NewSurface(8, 8, TColor(0)));
  Owned<TnbSkinCanvas> canvas(New<TnbSkinCanvas>());
  EXPECT_FALSE(canvas->IsDoubleBufferNeeded(b32->Canvas()->Handle()));
  e->Draw(b16->Canvas()->Handle(), Rect(2, 2, 6, 6), 0, esNormal);
  b16->SetPixelFormat(pf32bit);
  EXPECT_EQ(0x0000F8u, PixelAt(b16.get(), 3, 3) & 0x0000F8);
  EXPECT_EQ(0xFFFFFFu, PixelAt(b16.get(), 1, 1));
}

TEST(SkinElementCache, RendersOnceAndCopiesAtAnyPosition) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinElement* e = skin->AddGroup(u"G")->AddElement(u"E");
  e->SetColor(TColor(0x0000FF));
  Owned<TnbSkinElementCache> cache(New<TnbSkinElementCache>());
  Owned<TBitmap> b(NewSurface(30, 10, TColor(0xFFFFFF)));
  cache->DrawEx(b->Canvas()->Handle(), e, 0, esNormal, Rect(0, 0, 8, 8));
  EXPECT_NE(nullptr, cache->CacheOpaque());
  EXPECT_EQ(nullptr, cache->Cache());
  // A change inside the element does not renew the rendering; the same size
  // elsewhere is a copy of it.
  e->SetColor(TColor(0x00FF00));
  cache->DrawEx(b->Canvas()->Handle(), e, 0, esNormal, Rect(10, 0, 18, 8));
  EXPECT_EQ(0xFF0000u, PixelAt(b.get(), 12, 4));
  // Another size renders again.
  cache->DrawEx(b->Canvas()->Handle(), e, 0, esNormal, Rect(20, 0, 29, 8));
  EXPECT_EQ(0x00FF00u, PixelAt(b.get(), 24, 4));
  // Alpha: kept as a premultiplied bitmap and blended.
  e->SetAlpha(128);
  cache->DrawEx(b->Canvas()->Handle(), e, 1, esNormal, Rect(0, 0, 8, 8));
  EXPECT_TRUE(cache->IsAlphaBlendUsed());
  EXPECT_NE(nullptr, cache->Cache());
  EXPECT_EQ(nullptr, cache->CacheOpaque());
  // An empty rectangle stores the request and draws nothing.
  cache->DrawEx(b->Canvas()->Handle(), e, 0, esHot, Rect(5, 5, 5, 9));
  EXPECT_EQ(esHot, cache->State());
  EXPECT_EQ(nullptr, cache->Cache());
  cache->Flush();
  EXPECT_EQ(nullptr, cache->Element());
}

TEST(SkinElementCache, TheListEvictsInCreationOrder) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinElement* e = skin->AddGroup(u"G")->AddElement(u"E");
  e->SetColor(TColor(0x0000FF));
  Owned<TnbSkinElementCacheList> list(New<TnbSkinElementCacheList>());
  Owned<TBitmap> b(NewSurface(120, 10, TColor(0xFFFFFF)));
  const win::HDC dc = b->Canvas()->Handle();
  for (Integer i = 0; i < 8; ++i) list->DrawElement(dc, e, 0, esNormal, Rect(i * 10, 0, i * 10 + 8, 8));
  TnbSkinElementCache* first = list->Items(0);
  TnbSkinElementCache* second = list->Items(1);
  // A hit keeps its place (eviction follows creation, not use) and renders
  // again only for another state.
  list->DrawElement(dc, e, 0, esHot, Rect(0, 0, 8, 8));
  EXPECT_EQ(first, list->Items(0));
  EXPECT_EQ(esHot, first->State());
  EXPECT_EQ(8, list->Count());
  list->DrawElement(dc, e, 0, esNormal, Rect(80, 0, 88, 8));
  EXPECT_EQ(8, list->Count());
  EXPECT_EQ(second, list->Items(0));
  list->Flush();
  EXPECT_EQ(0, list->Count());
}

// --- the reference picture ---------------------------------------------------------------------

TEST(SkinDrawing, ReferencePictureOfEveryMode) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinControlGroup* g = skin->AddGroup(u"G");
  Owned<TBitmap> sheet(NewSurface(200, 150, TColor(0xF4F4F4)));
  const win::HDC dc = sheet->Canvas()->Handle();

  // Row 1: a 12 x 12 frame with 3-pixel margins stretched into 12 x 12,
  // 40 x 20, 8 x 8 (margins shrink) and 30 x 6; then tiled into 40 x 20.
  TnbSkinElement* grid = g->AddElement(u"Grid");
  grid->Image()->SetStates(TnbSkinElementStates{esNormal});
  grid->Image()->Margins()->SetRect(Rect(3, 3, 3, 3));
  SetTexture(grid->Image(), 12, 12, [](Integer x, Integer y) {
    return FramePixel(x, y, 12, 12, (x + y) % 2 ? 0xFFA0C8F0u : 0xFF6090D0u);
  });
  grid->Draw(dc, Rect(4, 4, 16, 16), 0, esNormal);
  grid->Draw(dc, Rect(20, 4, 60, 24), 0, esNormal);
  grid->Draw(dc, Rect(64, 4, 72, 12), 0, esNormal);
  grid->Draw(dc, Rect(76, 4, 106, 10), 0, esNormal);
  TnbSkinElement* tiled = g->AddElement(u"Tiled");
  tiled->Image()->Assign(grid->Image());
  tiled->Image()->SetStretch(smTile);
  tiled->Draw(dc, Rect(110, 4, 150, 24), 0, esNormal);
  // No resize: the frame centred in 30 x 20 with a background colour.
  TnbSkinElement* fixed = g->AddElement(u"Fixed");
  fixed->Image()->Assign(grid->Image());
  fixed->Image()->SetStretch(smNoResize);
  fixed->SetColor(TColor(0x40C0FF));
  fixed->Draw(dc, Rect(156, 4, 186, 24), 0, esNormal);

  // Row 2: four states of a vertical texture with two images (the second
  // image darker), drawn for esNormal, esHot, esPressed, esDisabled and
  // esChecked (no frame: falls back to esNormal) for image 0, then image 1.
  TnbSkinElement* states = g->AddElement(u"States");
  states->SetImageCount(2);
  states->Image()->SetImageLayout(ilVertical);
  states->Image()->SetStates(TnbSkinElementStates{esNormal, esHot, esPressed, esDisabled});
  states->Image()->Margins()->SetRect(Rect(3, 3, 3, 3));
  const Cardinal hues[4] = {0xFF70B0F0u, 0xFFF0C040u, 0xFF3070D0u, 0xFFC0C0C0u};
  SetTexture(states->Image(), 12, 96, [&](Integer x, Integer y) {
    const Integer frame = y / 12, image = frame / 4;
    Cardinal c = FramePixel(x, y % 12, 12, 12, hues[frame % 4]);
    if (image == 1) c = 0xFF000000u | ((c & 0xFEFEFE) >> 1);
    return c;
  });
  const TnbSkinElementState shown[5] = {esNormal, esHot, esPressed, esDisabled, esChecked};
  for (Integer image = 0; image < 2; ++image)
    for (Integer i = 0; i < 5; ++i)
      states->Draw(dc, Rect(4 + (image * 5 + i) * 19, 30, 20 + (image * 5 + i) * 19, 46), image, shown[i]);

  // Row 3: alpha over a checker: a texture whose alpha falls from left to
  // right, a colour with Alpha 128, a horizontal and a diagonal gradient
  // centre, borders of 1, 2 and 3 pixels and a glyph inside the content
  // offsets, and the empty element's placeholder.
  Checker(sheet.get(), Rect(0, 52, 200, 100));
  TnbSkinElement* fade = g->AddElement(u"Fade");
  fade->Image()->SetStates(TnbSkinElementStates{esNormal});
  SetTexture(fade->Image(), 16, 16, [](Integer x, Integer) { return Cardinal(255 - x * 15) << 24 | 0xD02020u; });
  fade->Draw(dc, Rect(4, 56, 36, 76), 0, esNormal);
  TnbSkinElement* half = g->AddElement(u"Half");
  half->SetColor(TColor(0xC06000));
  half->SetAlpha(128);
  half->Draw(dc, Rect(40, 56, 72, 76), 0, esNormal);
  TnbSkinElement* gradient = g->AddElement(u"Gradient");
  gradient->Image()->SetGradientBeginColor(TColor(0xFFFFFF));
  gradient->Image()->SetGradientEndColor(TColor(0x803000));
  gradient->Image()->SetGradient(gmHorizontal);
  gradient->Draw(dc, Rect(76, 56, 108, 76), 0, esNormal);
  gradient->Image()->SetGradient(gmForwardDiagonal);
  gradient->Draw(dc, Rect(112, 56, 144, 76), 0, esNormal);
  TnbSkinElement* framed = g->AddElement(u"Framed");
  framed->SetColor(TColor(0xFFFFFF));
  framed->Borders()->Left()->SetColor(TColor(0x0000C0));
  framed->Borders()->Top()->SetColor(TColor(0x00A000));
  framed->Borders()->Top()->SetThin(2);
  framed->Borders()->Right()->SetColor(TColor(0xC00000));
  framed->Borders()->Right()->SetThin(3);
  framed->Borders()->Bottom()->SetColor(TColor(0x404040));
  framed->ContentOffset()->SetRect(Rect(4, 4, 4, 4));
  framed->Glyph()->SetStates(TnbSkinElementStates{esNormal});
  framed->Glyph()->SetStretch(smNoResize);
  SetTexture(framed->Glyph(), 6, 6, [](Integer x, Integer y) { return x == y || x == 5 - y ? 0xFF000000u : 0u; });
  framed->Draw(dc, Rect(148, 56, 180, 76), 0, esNormal);
  nbSkinEmptyElement()->Draw(dc, Rect(4, 80, 36, 96), 0, esNormal);

  // Row 4: the same opaque and translucent elements through the cache, at
  // two positions each.
  Owned<TnbSkinElementCacheList> list(New<TnbSkinElementCacheList>());
  list->DrawElement(dc, grid, 0, esNormal, Rect(4, 104, 44, 124));
  list->DrawElement(dc, grid, 0, esNormal, Rect(48, 104, 88, 124));
  Checker(sheet.get(), Rect(92, 104, 180, 124));
  list->DrawElement(dc, fade, 0, esNormal, Rect(96, 104, 136, 124));
  list->DrawElement(dc, fade, 0, esNormal, Rect(140, 104, 180, 124));

  lookandfeel_test::ExpectMatchesReference(sheet.get(), "skin-elements", 2);
}

}  // namespace
