// Image drawing: the draw modes of vlDrawImageEx checked against their
// formulas, the pixel transformations, blending, Lanczos scaling and
// reference pictures of every mode, the software path, scaling and rotation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "lib/foundation/nbGDIPlusClasses.h"
#include "lib/foundation/vlImageList.h"
#include "lib/foundation/vlImages.h"
#include "platform/win/Gdi.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Numbers.h"
#include "tests/lib/foundation/ReferencePicture.h"

namespace {

using foundation_test::ExpectMatchesReference;
using namespace win;

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

Cardinal Premultiply(Integer R, Integer G, Integer B, Integer A) {
  return Cardinal(B * A / 255) | Cardinal(G * A / 255) << 8 | Cardinal(R * A / 255) << 16 | Cardinal(A) << 24;
}

// A 16 x 16 glyph with alpha: a disc shaded from red to blue with a soft
// edge and a green spot (premultiplied).
TBitmap* AlphaGlyph() {
  TBitmap* b = vlNewBitmap32(16, 16, true);
  for (Integer y = 0; y < 16; ++y) {
    Cardinal* row = static_cast<Cardinal*>(b->ScanLine(y));
    for (Integer x = 0; x < 16; ++x) {
      const double d = std::hypot(x - 7.5, y - 7.5);
      const Integer a = d < 5.5 ? 255 : d > 7.8 ? 0 : Integer((7.8 - d) / 2.3 * 255);
      const Boolean spot = std::hypot(x - 5.0, y - 5.0) < 2;
      row[x] = spot ? Premultiply(40, 220, 40, a) : Premultiply(230 - 14 * x, 40, 20 + 14 * x, a);
    }
  }
  return b;
}

// A 16 x 16 glyph of 24 bits on magenta: a blue square with a yellow diagonal.
TBitmap* MaskedGlyph() {
  TBitmap* b = vlNewBitmap(16, 16, pf24bit);
  b->Canvas()->Brush()->SetColor(TColor(0xFF00FF));
  b->Canvas()->FillRect(Rect(0, 0, 16, 16));
  b->Canvas()->Brush()->SetColor(TColor(0xC04000));
  b->Canvas()->FillRect(Rect(2, 2, 14, 14));
  b->Canvas()->Pen()->SetColor(TColor(0x00E0FF));
  b->Canvas()->MoveTo(3, 3);
  b->Canvas()->LineTo(13, 13);
  return b;
}

TBitmap* Surface(Integer W, Integer H, TColor Color) {
  TBitmap* b = vlNewBitmap32(W, H, true);
  b->Canvas()->Brush()->SetColor(Color);
  b->Canvas()->FillRect(Rect(0, 0, W, H));
  return b;
}

void Checker(TBitmap* B, const TRect& R) {
  for (Integer y = R.Top; y < R.Bottom; y += 4)
    for (Integer x = R.Left; x < R.Right; x += 4) {
      B->Canvas()->Brush()->SetColor(((x + y) / 4) % 2 ? TColor(0x406020) : TColor(0x203040));
      B->Canvas()->FillRect(Rect(x, y, std::min(x + 4, R.Right), std::min(y + 4, R.Bottom)));
    }
}

Cardinal PixelAt(TBitmap* B, Integer X, Integer Y) {
  return static_cast<const Cardinal*>(B->ScanLine(Y))[X] & 0x00FFFFFF;
}

// A picture twice as large, so the references can be looked at.
TBitmap* Zoomed(TBitmap* B) {
  TBitmap* z = vlNewBitmap32(B->Width() * 2, B->Height() * 2, true);
  SetStretchBltMode(z->Canvas()->Handle(), COLORONCOLOR);
  StretchBlt(z->Canvas()->Handle(), 0, 0, z->Width(), z->Height(), B->Canvas()->Handle(), 0, 0, B->Width(),
             B->Height(), SRCCOPY);
  return z;
}

void ExpectNear(Cardinal Got, Cardinal Want, Integer Tolerance, const char* What) {
  for (int shift = 0; shift < 24; shift += 8) {
    const Integer d = Integer(Got >> shift & 0xFF) - Integer(Want >> shift & 0xFF);
    EXPECT_LE(std::abs(d), Tolerance) << What << std::hex << ": got " << Got << ", want " << Want;
  }
}

Integer Gray(Cardinal P, double WR, double WG, double WB) {
  return Integer(std::lround((P >> 16 & 0xFF) * WR + (P >> 8 & 0xFF) * WG + (P & 0xFF) * WB));
}

// The premultiplied blend of an opaque grey g over an RGB background with a constant alpha.
Cardinal Over(Integer G, Cardinal Bg, Integer Alpha) {
  Cardinal out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const double d = (Bg >> shift & 0xFF);
    out |= Cardinal(std::lround(G * Alpha / 255.0 + d * (1 - Alpha / 255.0))) << shift;
  }
  return out;
}

// --- Draw modes against their formulas -------------------------------------------------

TEST(DrawImage, ModesFollowTheirFormulas) {
  Owned<TBitmap> glyph(AlphaGlyph());
  const Cardinal src = static_cast<const Cardinal*>(glyph->ScanLine(8))[3];  // opaque, not the spot
  ASSERT_EQ(src >> 24, 0xFFu);
  const Cardinal bg = 0x00F0F0F0;
  auto drawn = [&](TvlImageDrawMode Mode) {
    Owned<TBitmap> s(Surface(20, 20, TColor(0xF0F0F0)));
    vlDrawImageEx(s->Canvas()->Handle(), Rect(2, 2, 18, 18), Rect(0, 0, 20, 20), glyph.get(), nullptr, -1, Mode);
    return PixelAt(s.get(), 2 + 3, 2 + 8);
  };
  ExpectNear(drawn(idmNormal), src & 0xFFFFFF, 0, "normal");
  ExpectNear(drawn(idmDisabled), Over(Gray(src, 0.0729, 0.7146, 0.2125), bg, 151), 1, "disabled");
  ExpectNear(drawn(idmFaded), Over(Gray(src, 0.299, 0.587, 0.114), bg, 64), 1, "faded");
  const Integer avg = Integer(((src & 0xFF) + (src >> 8 & 0xFF) + (src >> 16 & 0xFF)) / 3);
  ExpectNear(drawn(idmGrayScale), Cardinal(avg * 0x010101), 0, "grayscale");
  auto dingy = [](Integer c) { return c + (255 - c) * 3 / 10 + (((255 - c) * 3 % 10) >= 5 ? 1 : 0); };
  ExpectNear(drawn(idmDingy),
             Cardinal(dingy(src & 0xFF) | dingy(src >> 8 & 0xFF) << 8 | dingy(src >> 16 & 0xFF) << 16), 1, "dingy");
}

TEST(DrawImage, MaskedGlyphShowsTheBackgroundThroughItsColour) {
  Owned<TBitmap> glyph(MaskedGlyph());
  Owned<TBitmap> s(Surface(20, 20, TColor(0x336699)));
  vlDrawImageEx(s->Canvas()->Handle(), Rect(2, 2, 18, 18), Rect(0, 0, 20, 20), glyph.get(), nullptr, -1, idmNormal);
  EXPECT_EQ(PixelAt(s.get(), 2, 2), 0x996633u);        // magenta corner: background
  EXPECT_EQ(PixelAt(s.get(), 2 + 5, 2 + 8), 0x0040C0u);  // the square
  // without the glyph's own transparency the magenta stays
  Owned<TBitmap> s2(Surface(20, 20, TColor(0x336699)));
  vlDrawImageEx(s2->Canvas()->Handle(), Rect(2, 2, 18, 18), Rect(0, 0, 20, 20), glyph.get(), nullptr, -1, idmNormal,
                false, nullptr, clNone, false);
  EXPECT_EQ(PixelAt(s2.get(), 2, 2), 0xFF00FFu);
  // a transparent colour given by the caller works the same
  s2.reset(Surface(20, 20, TColor(0x336699)));
  vlDrawImageEx(s2->Canvas()->Handle(), Rect(2, 2, 18, 18), Rect(0, 0, 20, 20), glyph.get(), nullptr, -1, idmNormal,
                false, nullptr, TColor(0xFF00FF), false);
  EXPECT_EQ(PixelAt(s2.get(), 2, 2), 0x996633u);
}

TEST(DrawImage, DisabledMaskedGlyphIsEmbossedAndShadowedNeedsTwoPixels) {
  Owned<TBitmap> glyph(MaskedGlyph());
  Owned<TBitmap> s(Surface(24, 24, clWhite));
  vlDrawImageEx(s->Canvas()->Handle(), Rect(2, 2, 18, 18), Rect(0, 0, 24, 24), glyph.get(), nullptr, -1,
                idmDisabled);
  // the square's outline one pixel down and right in the highlight colour, full opacity
  EXPECT_EQ(PixelAt(s.get(), 2 + 14, 2 + 8), Cardinal(ColorToRGB(clBtnHighlight)) & 0xFFFFFF);
  const Cardinal inside = PixelAt(s.get(), 2 + 5, 2 + 8);
  EXPECT_EQ(inside & 0xFF, inside >> 8 & 0xFF);  // a grey shade, not blended with the white background
  EXPECT_NE(inside, 0xFFFFFFu);

  Owned<TBitmap> shadowed(Surface(24, 24, clWhite));
  vlDrawImageEx(shadowed->Canvas()->Handle(), Rect(2, 2, 18, 18), Rect(0, 0, 24, 24), glyph.get(), nullptr, -1,
                idmShadowed);
  // moved up and left by one, the shadow two pixels beyond the square's right and bottom edges
  EXPECT_EQ(PixelAt(shadowed.get(), 1 + 5, 1 + 8), 0x0040C0u);
  const Cardinal shadow = Cardinal(ColorToRGB(clBtnShadow)) & 0xFFFFFF;
  EXPECT_EQ(PixelAt(shadowed.get(), 1 + 14, 1 + 8), shadow);
  EXPECT_EQ(PixelAt(shadowed.get(), 1 + 15, 1 + 8), shadow);
  EXPECT_EQ(PixelAt(shadowed.get(), 1 + 16, 1 + 8), 0xFFFFFFu);
}

TEST(DrawImage, NothingForAnEmptyGlyphOrABadIndex) {
  Owned<TBitmap> s(Surface(8, 8, clWhite));
  Owned<TBitmap> empty(New<TBitmap>());
  Owned<TvlImageList> list(New<TvlImageList>(nullptr));
  vlDrawImageEx(s->Canvas()->Handle(), Rect(0, 0, 8, 8), Rect(0, 0, 8, 8), empty.get(), nullptr, -1, idmNormal,
                false, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  vlDrawImageEx(s->Canvas()->Handle(), Rect(0, 0, 8, 8), Rect(0, 0, 8, 8), nullptr, list.get(), 0, idmNormal, false,
                static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(PixelAt(s.get(), 3, 3), 0xFFFFFFu);
}

TEST(DrawImage, BrushFillsTheBackground) {
  Owned<TBitmap> glyph(AlphaGlyph());
  Owned<TBitmap> s(Surface(20, 20, clWhite));
  HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
  vlDrawImageEx(s->Canvas()->Handle(), Rect(2, 2, 18, 18), Rect(0, 0, 20, 20), glyph.get(), nullptr, -1, idmNormal,
                false, brush);
  DeleteObject(brush);
  EXPECT_EQ(PixelAt(s.get(), 0, 0), 0x0A141Eu);
}

// --- Pixel transformations and blending --------------------------------------------------

TEST(AlphaBitmap, TransformationsOfTransparentAndOpaquePixels) {
  Owned<TvlAlphaBitmap> b(vlNewAlphaBitmap(2, 1, 0));
  b->SetBitmapColors({0, 0x00336699});
  b->TransformBitmap(btmCorrectBlend);  // the mark stays transparent, the other becomes opaque
  TRGBColors px;
  b->GetBitmapColors(px);
  EXPECT_EQ(px, (TRGBColors{0, 0xFF336699}));
  b->TransformBitmap(btmMakeMask);
  b->GetBitmapColors(px);
  EXPECT_EQ(px, (TRGBColors{0xFFFFFFFF, 0}));

  b->SetBitmapColors({0x80402010, 0xFF000000});
  b->TransformBitmap(btmDingy);  // not opaque: every channel * 200 / 255
  b->GetBitmapColors(px);
  EXPECT_EQ(px[0], Cardinal(MulDiv(0x80, 200, 255)) << 24 | Cardinal(MulDiv(0x40, 200, 255)) << 16 |
                       Cardinal(MulDiv(0x20, 200, 255)) << 8 | Cardinal(MulDiv(0x10, 200, 255)));
  EXPECT_EQ(px[1], 0xFF4D4D4Du);  // opaque black: 30 % toward white

  b->TransparentPixels()->Add(TColor(0x112233));
  b->SetBitmapColors({0x55332211, 0x00445566});
  b->TransformBitmap(btmGrayScale);  // the listed RGB is transparent whatever its alpha
  b->GetBitmapColors(px);
  EXPECT_EQ(px[0], 0x55332211u);
  EXPECT_EQ(px[1], 0x00555555u);

  Owned<TvlAlphaBitmap> h(vlNewAlphaBitmap(4, 2, 0));
  h->DrawHatch(clBlack, clWhite, 255, 255, 2);
  h->GetBitmapColors(px);  // bottom-up rows: (column div 2 + row div 2) odd takes colour 2
  EXPECT_EQ(px, (TRGBColors{0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF,
                            0xFFFFFFFF}));
}

TEST(AlphaBitmap, PixelBlend) {
  EXPECT_EQ(vlBlendPixel(0xFF102030, 0xFFFFFFFF, 255), 0xFF102030u);
  EXPECT_EQ(vlBlendPixel(0x80402010, 0x00000000, 255), 0x80402010u);
  EXPECT_EQ(vlBlendPixel(0xFFFFFFFF, 0xFF000000, 0), 0xFF000000u);
  // c = 0.5, a = 127.5, e = 0.5: (0.5 * 200 + 0.5 * 100)
  EXPECT_EQ(vlBlendPixel(0xFFC8C8C8, 0xFF646464, 128) & 0xFF, 150u);
}

TEST(AlphaBlend, SoftwareAndSystemPathsAgree) {
  Owned<TBitmap> glyph(AlphaGlyph());
  Owned<TBitmap> a(Surface(16, 16, TColor(0x80C0E0))), b(Surface(16, 16, TColor(0x80C0E0)));
  vlAlphaBlendBitmaps(a.get(), glyph.get(), Rect(0, 0, 16, 16), 200, false, Rect(0, 0, 16, 16));
  // smooth counts only at another size: at its own size the system blend draws
  vlAlphaBlendBitmaps(b.get(), glyph.get(), Rect(0, 0, 16, 16), 200, true, Rect(0, 0, 16, 16));
  for (Integer y = 0; y < 16; ++y)
    for (Integer x = 0; x < 16; ++x) ASSERT_EQ(PixelAt(a.get(), x, y), PixelAt(b.get(), x, y)) << x << "," << y;
}

TEST(Lanczos, TenToOneAndOneToTen) {
  Owned<TvlBitmap32> one(vlNewBitmap32(1, 1, false)), ten(vlNewBitmap32(10, 1, false));
  one->SetBitmapColors({0xC8C8C8C8});
  vlStretchLanczos3(one.get(), ten.get());
  TRGBColors px;
  ten->GetBitmapColors(px);
  EXPECT_EQ(px[0], 0xC8C8C8C8u);  // at a whole source index only the centre weighs
  for (Cardinal p : px) EXPECT_NEAR(double(p & 0xFF), 200, 12);
  ten->SetBitmapColors(TRGBColors(10, 0x64646464));
  vlStretchLanczos3(ten.get(), one.get());
  one->GetBitmapColors(px);
  EXPECT_NEAR(double(px[0] & 0xFF), 100, 3);  // the scale 1/10 averages (weights not normalised)
  Owned<TvlBitmap32> zero(vlNewBitmap32(0, 0, false));
  vlStretchLanczos3(zero.get(), one.get());  // nothing happens
  one->GetBitmapColors(px);
  EXPECT_NEAR(double(px[0] & 0xFF), 100, 3);
}

// --- Reference pictures -----------------------------------------------------------------------

TEST(DrawImageReference, EveryModeOnTwoBackgrounds) {
  Owned<TBitmap> alpha(AlphaGlyph()), masked(MaskedGlyph());
  const TvlImageDrawMode modes[] = {idmNormal, idmDisabled, idmFaded, idmGrayScale, idmDingy, idmShadowed};
  Owned<TBitmap> sheet(Surface(4 * 24, 6 * 24, TColor(0xF0F0F0)));
  for (Integer col = 0; col < 4; ++col)
    if (col % 2) Checker(sheet.get(), Rect(col * 24, 0, col * 24 + 24, 6 * 24));
  for (Integer row = 0; row < 6; ++row)
    for (Integer col = 0; col < 4; ++col) {
      const TRect cell = Rect(col * 24, row * 24, col * 24 + 24, row * 24 + 24);
      const TRect glyph = Rect(cell.Left + 4, cell.Top + 4, cell.Left + 20, cell.Top + 20);
      vlDrawImageEx(sheet->Canvas()->Handle(), glyph, cell, col < 2 ? alpha.get() : masked.get(), nullptr, -1,
                    modes[row]);
    }
  Owned<TBitmap> z(Zoomed(sheet.get()));
  ExpectMatchesReference(z.get(), "images-draw-modes");
}

TEST(DrawImageReference, ScalingRotationAndTheSoftwarePath) {
  Owned<TBitmap> glyph(AlphaGlyph());
  Owned<TBitmap> sheet(Surface(160, 64, TColor(0xF0F0F0)));
  Checker(sheet.get(), Rect(0, 0, 160, 64));
  // 16 -> 40 without and with smoothing (the smooth one through Lanczos-3)
  vlAlphaBlendBitmaps(sheet.get(), glyph.get(), Rect(2, 2, 42, 42), 255, false, Rect(0, 0, 16, 16));
  vlAlphaBlendBitmaps(sheet.get(), glyph.get(), Rect(44, 2, 84, 42), 255, true, Rect(0, 0, 16, 16));
  // 16 -> 8 smooth, and a constant alpha of 128 at its own size
  vlAlphaBlendBitmaps(sheet.get(), glyph.get(), Rect(88, 2, 96, 10), 255, true, Rect(0, 0, 16, 16));
  vlAlphaBlendBitmaps(sheet.get(), glyph.get(), Rect(100, 2, 116, 18), 128, false, Rect(0, 0, 16, 16));
  // a ten-pixel ramp scaled 10 -> 1 and 1 -> 10 (rows of 4 pixels)
  Owned<TvlBitmap32> ramp(vlNewBitmap32(10, 1, false)), pixel(vlNewBitmap32(1, 1, false));
  TRGBColors r;
  for (Integer i = 0; i < 10; ++i) r.push_back(0xFF000000 | Cardinal(i * 25) << 16 | Cardinal(250 - i * 25));
  ramp->SetBitmapColors(r);
  vlStretchLanczos3(ramp.get(), pixel.get());
  vlAlphaBlendBitmaps(sheet.get(), ramp.get(), Rect(120, 2, 160, 6), 255, true, Rect(0, 0, 10, 1));
  vlAlphaBlendBitmaps(sheet.get(), pixel.get(), Rect(120, 8, 130, 12), 255, false, Rect(0, 0, 1, 1));
  // the masked glyph turned a quarter each way and flipped
  const TvlRotationAngle angles[] = {raPlus90, raMinus90, ra180};
  for (Integer i = 0; i < 3; ++i) {
    Owned<TvlBitmap> turned(vlNewBitmap(16, 16, pf24bit));
    Owned<TBitmap> masked(MaskedGlyph());
    turned->Assign(masked.get());
    turned->Canvas()->Pen()->SetColor(clLime);
    turned->Canvas()->MoveTo(2, 1);
    turned->Canvas()->LineTo(8, 1);  // marks the top
    turned->Rotate(angles[i], i == 2);
    vlDrawImageEx(sheet->Canvas()->Handle(), Rect(2 + 20 * i, 44, 18 + 20 * i, 60), Rect(0, 0, 160, 64),
                  turned.get(), nullptr, -1, idmNormal);
  }
  // a hatch of two colours with their alphas
  vlDrawHatchRect(sheet->Canvas()->Handle(), Rect(64, 44, 104, 62), clRed, clBlue, 160, 60, 3);
  Owned<TBitmap> z(Zoomed(sheet.get()));
  ExpectMatchesReference(z.get(), "images-scaling");
}

TEST(DrawImageReference, PngWithPerPixelAlpha) {
  Owned<TBitmap> glyph(AlphaGlyph());
  Owned<TnbPNGImage> png(New<TnbPNGImage>());
  png->Assign(glyph.get());
  Owned<TMemoryStream> s(New<TMemoryStream>());
  png->SaveToStream(s.get());
  s->SetPosition(0);
  Owned<TnbPNGImage> loaded(New<TnbPNGImage>());
  loaded->LoadFromStream(s.get());
  Owned<TBitmap> sheet(Surface(96, 40, TColor(0xF0F0F0)));
  Checker(sheet.get(), Rect(48, 0, 96, 40));
  for (Integer half = 0; half < 2; ++half) {
    sheet->Canvas()->Draw(half * 48 + 4, 4, loaded.get());
    sheet->Canvas()->StretchDraw(Rect(half * 48 + 22, 4, half * 48 + 46, 28), loaded.get());
    loaded->StretchDraw(sheet->Canvas()->Handle(), Rect(half * 48 + 4, 24, half * 48 + 20, 40), Rect(4, 4, 12, 12));
  }
  Owned<TBitmap> z(Zoomed(sheet.get()));
  ExpectMatchesReference(z.get(), "images-png");
}

}  // namespace
