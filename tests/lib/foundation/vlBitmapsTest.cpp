// The library's bitmaps: sizing and update locking, the 32-bit pixel
// operations and the compressed stream form "BNBM".
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlImages.h"
#include "platform/classes/Streams.h"

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;
using Bytes = std::vector<Byte>;

struct ChangeCounter {
  Integer Count = 0;
  void Changed(TObject*) { ++Count; }
};

// --- Run encoding ----------------------------------------------------------------------

Bytes Body(const Bytes& Plain, Integer E) { return vlCompressBitmapData(Plain.data(), Plain.size(), E); }

Bytes Repeat(const Bytes& Element, size_t N) {
  Bytes out;
  for (size_t i = 0; i < N; ++i) out.insert(out.end(), Element.begin(), Element.end());
  return out;
}

TEST(BitmapStream, RunEncodingCases) {
  const Bytes x{1, 2, 3, 4};
  struct Case {
    const char* Name;
    Bytes Plain;
    Integer E;
    Bytes Body;
  } cases[] = {
      {"bytes 01 02 02 02", {1, 2, 2, 2}, 1, {1, 0, 0x81, 1, 3, 2}},
      {"A B C C C: raw 2, repeat 3", {0xA, 0xB, 0xC, 0xC, 0xC}, 1, {1, 0, 0x82, 0xA, 0xB, 3, 0xC}},
      {"a single trailing element", {7}, 1, {1, 0, 0x81, 7}},
      {"24-bit, remainder 2 stored first", {9, 8, 1, 1, 1, 1, 1, 1}, 3, {3, 2, 9, 8, 2, 1, 1, 1}},
      {"A B B: raw 1, repeat 2", {5, 6, 6}, 1, {1, 0, 0x81, 5, 2, 6}},
      {"nothing", {}, 4, {4, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Body(c.Plain, c.E), c.Body) << c.Name;
    EXPECT_EQ(vlDecompressBitmapData(c.Body.data(), c.Body.size(), 2, 1 << 20), c.Plain) << c.Name;
  }
  // 300 equal 32-bit pixels: repeat runs of 125, 125 and 50
  Bytes expected{4, 0, 125, 1, 2, 3, 4, 125, 1, 2, 3, 4, 50, 1, 2, 3, 4};
  EXPECT_EQ(Body(Repeat(x, 300), 4), expected);
  // a long raw stretch splits at 125 elements
  Bytes ramp;
  for (int i = 0; i < 130; ++i) ramp.push_back(Byte(i));
  const Bytes rampBody = Body(ramp, 1);
  EXPECT_EQ(rampBody[2], 0x80 | 125);
  EXPECT_EQ(rampBody[2 + 1 + 125], 0x80 | 5);
  // version 1: runs of single bytes without the E and R bytes
  const Bytes v1{0x82, 1, 2, 3, 9};
  EXPECT_EQ(vlDecompressBitmapData(v1.data(), v1.size(), 1, 100), (Bytes{1, 2, 9, 9, 9}));
}

TEST(BitmapStream, DamagedBodiesRaise) {
  struct Case {
    const char* Name;
    Bytes Body;
    SmallInt Version;
  } cases[] = {
      {"raw run beyond the body", {1, 0, 0x85, 1, 2}, 2},
      {"repeat element beyond the body", {4, 0, 3, 1, 2}, 2},
      {"count 0", {1, 0, 0x00, 1}, 2},
      {"count 126", {1, 0, 126, 1}, 2},
      {"element size 0", {0, 0}, 2},
      {"element size 5", {5, 0, 1, 1, 1, 1, 1, 1}, 2},
      {"remainder not below the element size", {3, 3, 1, 2, 3}, 2},
      {"remainder beyond the body", {4, 3, 1}, 2},
      {"body without its E and R bytes", {1}, 2},
      {"version 3", {1, 0}, 3},
      {"version 0", {}, 0},
  };
  for (const Case& c : cases)
    EXPECT_THROW(vlDecompressBitmapData(c.Body.data(), c.Body.size(), c.Version, 1 << 20), EInvalidGraphic)
        << c.Name;
  // a small body that would expand beyond the allowed size
  const Bytes bomb = Repeat({125, 0}, 1000);
  EXPECT_THROW(vlDecompressBitmapData(bomb.data(), bomb.size(), 1, 10000), EInvalidGraphic);
}

// --- Stream form --------------------------------------------------------------------------

TvlBitmap* RandomBitmap(TPixelFormat Format, Integer W, Integer H, unsigned Seed) {
  std::mt19937 rnd(Seed);
  TvlBitmap* b = vlNewBitmap(W, H, Format);
  for (Integer y = 0; y < H; ++y) {
    Byte* row = static_cast<Byte*>(b->ScanLine(y));
    const Integer bytes = (W * vlGetBitmapBitsPerPixel(b) + 7) / 8;
    for (Integer i = 0; i < bytes; ++i) row[i] = (rnd() % 3 == 0) ? Byte(rnd()) : Byte(i / 7);  // runs and noise
  }
  return b;
}

Bytes Written(TvlBitmap* B) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  B->WriteData(s.get());
  const Byte* p = static_cast<const Byte*>(s->Memory());
  return Bytes(p, p + s->Size());
}

Bytes PixelsOf(TBitmap* B) {
  Bytes out;
  const Integer bytes = (B->Width() * vlGetBitmapBitsPerPixel(B) + 7) / 8;
  for (Integer y = 0; y < B->Height(); ++y) {
    const Byte* row = static_cast<const Byte*>(B->ScanLine(y));
    out.insert(out.end(), row, row + bytes);
  }
  return out;
}

TvlBitmap* ReadBack(const Bytes& Data) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer(Data.data(), Integer(Data.size()));
  s->SetPosition(0);
  TvlBitmap* back = vlNewBitmap(0, 0, pf24bit);
  back->ReadData(s.get());
  EXPECT_EQ(s->Position(), s->Size());
  return back;
}

TEST(BitmapStream, RoundTripsOfEveryFormat) {
  const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit};
  unsigned seed = 1;
  for (TPixelFormat f : formats)
    for (Integer w : {1, 7, 32, 33}) {
      Owned<TvlBitmap> b(RandomBitmap(f, w, 5, seed++));
      const Bytes plain = Written(b.get());
      b->SetCompressData(true);
      const Bytes data = Written(b.get());
      ASSERT_GE(data.size(), 10u);
      EXPECT_EQ(std::memcmp(&data[4], "BNBM", 4), 0);
      Integer n = 0;
      std::memcpy(&n, data.data(), 4);
      EXPECT_EQ(size_t(n) + 10, data.size());
      EXPECT_EQ(data[8], 2);
      EXPECT_EQ(data[10], std::max(vlGetBitmapBitsPerPixel(b.get()) / 8, 1));
      // the body decodes to exactly the plain form
      EXPECT_EQ(vlDecompressBitmapData(&data[10], data.size() - 10, 2, 1 << 24), plain);

      Owned<TvlBitmap> back(ReadBack(data)), backPlain(ReadBack(plain));
      EXPECT_EQ(back->PixelFormat(), f);
      EXPECT_EQ(PixelsOf(back.get()), PixelsOf(backPlain.get())) << "format " << int(f) << " width " << w;
      // palette formats keep colours, not duplicate palette indexes; 1-bit rows keep no padding bits
      if (f != pf4bit && f != pf8bit && (f != pf1bit || w % 8 == 0)) {
        EXPECT_EQ(PixelsOf(back.get()), PixelsOf(b.get())) << "format " << int(f) << " width " << w;
      }
    }
}

TEST(BitmapStream, PlainDataLoadsUnchanged) {
  Owned<TvlBitmap> b(RandomBitmap(pf24bit, 9, 4, 7));
  const Bytes plain = Written(b.get());  // CompressData off: the platform's form
  EXPECT_NE(std::memcmp(&plain[4], "BNBM", 4), 0);
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer(plain.data(), Integer(plain.size()));
  s->SetPosition(0);
  Owned<TvlBitmap> back(vlNewBitmap(0, 0, pf24bit));
  back->ReadData(s.get());
  EXPECT_EQ(PixelsOf(back.get()), PixelsOf(b.get()));
}

TEST(BitmapStream, DamagedStreamsRaise) {
  Owned<TvlBitmap> b(RandomBitmap(pf32bit, 8, 8, 3));
  b->SetCompressData(true);
  const Bytes good = Written(b.get());
  auto read = [](const Bytes& Data) {
    Owned<TMemoryStream> s(New<TMemoryStream>());
    s->WriteBuffer(Data.data(), Integer(Data.size()));
    s->SetPosition(0);
    Owned<TvlBitmap> back(vlNewBitmap(0, 0, pf24bit));
    back->ReadData(s.get());
  };
  Bytes truncated(good.begin(), good.end() - 3);
  EXPECT_THROW(read(truncated), EInvalidGraphic);  // N beyond the stream
  Bytes negative = good;
  negative[3] = 0x80;
  EXPECT_THROW(read(negative), EInvalidGraphic);
  Bytes version = good;
  version[8] = 7;
  try {
    read(version);
    ADD_FAILURE() << "version 7 was read";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), u"Compressed bitmap version 7 is not supported");
  }
  // a plain-data length that claims more than was decoded
  Bytes body{1, 0, 4, 0xFF};  // E = 1: decodes to FF FF FF FF (length -1)
  Bytes lying{Byte(body.size()), 0, 0, 0, 'B', 'N', 'B', 'M', 2, 0};
  lying.insert(lying.end(), body.begin(), body.end());
  EXPECT_THROW(read(lying), EInvalidGraphic);
  // a hostile length in a valid run stream: a 4-byte length of 2^30 with no data
  Bytes huge{1, 0, 0x84, 0, 0, 0, 0x40};
  Bytes hostile{Byte(huge.size()), 0, 0, 0, 'B', 'N', 'B', 'M', 2, 0};
  hostile.insert(hostile.end(), huge.begin(), huge.end());
  EXPECT_THROW(read(hostile), EInvalidGraphic);
}

TEST(BitmapStream, TheFuzzSeedLoads) {
  Owned<TFileStream> f(New<TFileStream>(String(u"" CL_SOURCE_DIR u"/fuzz/seeds/bitmap_stream/bnbm-32bit.bin"), fmOpenRead));
  Owned<TvlBitmap> b(vlNewBitmap(0, 0, pf24bit));
  b->ReadData(f.get());
  EXPECT_EQ(b->Width(), 4);
  EXPECT_EQ(b->Height(), 3);
  EXPECT_EQ(b->PixelFormat(), pf32bit);
}

// --- TvlBitmap ------------------------------------------------------------------------------

TEST(vlBitmap, SizeChangesNotifyOnce) {
  Owned<TvlBitmap> b(New<TvlBitmap>());
  EXPECT_EQ(b->PixelFormat(), pf24bit);
  EXPECT_TRUE(b->Empty());
  ChangeCounter changes;
  b->SetOnChange(TNotifyEvent(&changes, &ChangeCounter::Changed));
  b->SetSize(10, 20);
  EXPECT_EQ(changes.Count, 1);
  b->SetSize(10, 20);
  EXPECT_EQ(changes.Count, 1);
  b->SetSize(-5, 3);
  EXPECT_EQ(b->Width(), 0);
  EXPECT_EQ(changes.Count, 2);
  b->BeginUpdate();
  b->SetSize(4, 4);
  b->SetPixelFormat(pf8bit);
  EXPECT_EQ(changes.Count, 2);
  b->EndUpdate(false);
  EXPECT_EQ(changes.Count, 3);
  b->BeginUpdate();
  b->EndUpdate(false);  // nothing changed
  EXPECT_EQ(changes.Count, 3);
  b->BeginUpdate();
  b->EndUpdate(true);
  EXPECT_EQ(changes.Count, 4);
}

TEST(vlBitmap32, PixelOperations) {
  Owned<TvlBitmap32> b(vlNewBitmap32(3, 2, true));
  EXPECT_EQ(b->PixelFormat(), pf32bit);
  EXPECT_FALSE(b->IsAlphaUsed());
  TRGBColors px;
  b->GetBitmapColors(px);
  EXPECT_EQ(px, TRGBColors(6, 0));
  // bottom-up: the first value is the bottom-left pixel
  b->SetBitmapColors({0x00FF00FF, 0x00123456, 0x80102030, 0, 0, 0x00FFFFFF});
  EXPECT_EQ(static_cast<const Cardinal*>(b->ScanLine(1))[0], 0x00FF00FFu);
  EXPECT_TRUE(b->IsAlphaUsed());
  b->RecoverTransparency(TColor(0xFF00FF));  // magenta
  b->GetBitmapColors(px);
  EXPECT_EQ(px, (TRGBColors{0, 0xFF123456, 0x80102030, 0xFF000000, 0xFF000000, 0xFFFFFFFF}));
  b->SetAlphaChannel(7);
  b->GetBitmapColors(px);
  EXPECT_EQ(px[1], 0x07123456u);
  b->MakeOpaque();
  b->GetBitmapColors(px);
  EXPECT_EQ(px[0], 0xFF000000u);

  Owned<TvlBitmap32> mask(vlNewBitmap32(3, 2, true));
  mask->SetBitmapColors({0x00FFFFFF, 0, 0x00FFFFFF, 0, 0, 0});  // white: filtered away
  b->Filter(mask.get());
  b->GetBitmapColors(px);
  EXPECT_EQ(px[0] & 0xFFFFFF, 0u);
  EXPECT_EQ(px[1] & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(px[2] & 0xFFFFFF, 0u);
  b->Invert();
  b->GetBitmapColors(px);
  EXPECT_EQ(px[1] & 0xFFFFFF, 0xEDCBA9u);
  b->Clear();
  b->GetBitmapColors(px);
  EXPECT_EQ(px, TRGBColors(6, 0));
}

TEST(vlBitmap32, OtherFormatsAreRefused) {
  Owned<TvlBitmap32> b(vlNewBitmap32(2, 2, true));
  EXPECT_THROW(b->SetPixelFormat(pf24bit), EnbException);
  // loading a 24-bit file keeps 32 bits
  Owned<TvlBitmap> b24(RandomBitmap(pf24bit, 4, 3, 9));
  Owned<TMemoryStream> s(New<TMemoryStream>());
  b24->SaveToStream(s.get());
  s->SetPosition(0);
  Owned<TvlBitmap32> loaded(vlNewBitmap32(0, 0, false));
  loaded->LoadFromStream(s.get());
  EXPECT_EQ(loaded->PixelFormat(), pf32bit);
  EXPECT_EQ(loaded->Width(), 4);
}

}  // namespace
