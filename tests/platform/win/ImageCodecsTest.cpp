// BMP, PNG and JPEG round trips, and truncated or hostile files raising
// EImageCodecError.
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "platform/win/ImageCodecs.h"
#include "tests/platform/win/GdiFixture.h"

namespace {

using namespace gditest;

std::vector<uint8_t> Bits(HBITMAP bm) {
  BITMAP b{};
  GetObjectW(bm, sizeof(b), &b);
  const auto* p = static_cast<const uint8_t*>(b.bmBits);
  return std::vector<uint8_t>(p, p + size_t(b.bmWidthBytes) * size_t(b.bmHeight));
}

TEST(BmpFiles, RoundTripInEveryFormat) {
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    void* bits = nullptr;
    HBITMAP bm = MakeDib(7, 3, bpp, &bits, false);
    BITMAP b{};
    GetObjectW(bm, sizeof(b), &b);
    for (size_t i = 0; i < size_t(b.bmWidthBytes) * 3; ++i) static_cast<uint8_t*>(bits)[i] = uint8_t(i * 37 + 11);
    std::vector<uint8_t> file = WriteBmpFile(bm);
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(file[0], 'B');
    HBITMAP back = ReadBmpFile(file.data(), file.size());
    ASSERT_NE(back, nullptr) << bpp;
    BITMAP c{};
    GetObjectW(back, sizeof(c), &c);
    EXPECT_EQ(c.bmBitsPixel, bpp);
    EXPECT_EQ(c.bmWidth, 7);
    // padding bytes of each row are not kept: compare the pixel bytes of rows
    auto x = Bits(bm), y = Bits(back);
    size_t used = (size_t(7) * size_t(bpp) + 7) / 8;
    for (int r = 0; r < 3; ++r)
      for (size_t k = 0; k < used; ++k) {
        uint8_t mask = 0xFF;
        if (k == used - 1 && (7 * bpp) % 8) mask = uint8_t(0xFF << (8 - (7 * bpp) % 8));
        uint8_t va = x[size_t(r) * size_t(b.bmWidthBytes) + k], vb = y[size_t(r) * size_t(b.bmWidthBytes) + k];
        if (bpp == 16) va &= (k % 2 ? 0x7F : 0xFF), vb &= (k % 2 ? 0x7F : 0xFF);
        if (bpp == 32 && k % 4 == 3) continue;  // alpha of a 32-bit BI_RGB file is kept as read
        EXPECT_EQ(va & mask, vb & mask) << bpp << " row " << r << " byte " << k;
      }
    DeleteObject(bm);
    DeleteObject(back);
  }
}

TEST(BmpFiles, RunLengthEncodedFile) {
  // 4 x 2 RLE8: bottom row a run of 4 pixels of index 1; top row an absolute
  // run 2 2 3 (padded to a word) and a run of one 3
  std::vector<uint8_t> f(14 + 40 + 8, 0);
  f[0] = 'B', f[1] = 'M';
  f[10] = 14 + 40 + 8;
  f[14] = 40;
  f[18] = 4;
  f[22] = 2;
  f[26] = 1;
  f[28] = 8;
  f[30] = BI_RLE8;
  f[46] = 2;  // colours used
  uint8_t table[8] = {0, 0, 0, 0, 0, 0, 255, 0};
  std::memcpy(f.data() + 54, table, 8);
  uint8_t rle[] = {4, 1, 0, 0, 0, 3, 2, 2, 3, 0, 1, 3, 0, 1};
  f.insert(f.end(), rle, rle + sizeof(rle));
  // index 2 and 3 are beyond the two colours: they read as black
  HBITMAP bm = ReadBmpFile(f.data(), f.size());
  ASSERT_NE(bm, nullptr);
  auto bits = Bits(bm);
  EXPECT_EQ(bits[0], 1);
  EXPECT_EQ(bits[3], 1);
  EXPECT_EQ(bits[4], 2);
  EXPECT_EQ(bits[6], 3);
  DeleteObject(bm);
  // the same file cut inside the RLE data
  f.resize(f.size() - 3);
  EXPECT_THROW(ReadBmpFile(f.data(), f.size()), EImageCodecError);
}

TEST(BmpFiles, HostileAndTruncatedFilesRaise) {
  HBITMAP bm = MakeDib(4, 4, 24);
  std::vector<uint8_t> good = WriteBmpFile(bm);
  DeleteObject(bm);
  struct {
    const char* What;
    size_t Offset;
    uint32_t Value;
    size_t Keep;
  } cases[] = {
      {"cut pixels", 0, 0, good.size() - 1},
      {"cut header", 0, 0, 30},
      {"huge width", 18, 0x7FFFFFFF, 0},
      {"zero height", 22, 0, 0},
      {"bad bit count", 28, 3, 0},
      {"bad header size", 14, 41, 0},
      {"pixel offset past the end", 10, 0x7FFFFFF0, 0},
      {"unknown compression", 30, 9, 0},
  };
  for (auto& k : cases) {
    std::vector<uint8_t> f = good;
    if (k.Keep) f.resize(k.Keep);
    if (k.Offset) {
      if (k.Offset == 28) f[28] = uint8_t(k.Value), f[29] = 0;
      else std::memcpy(f.data() + k.Offset, &k.Value, 4);
    }
    EXPECT_THROW(ReadBmpFile(f.data(), f.size()), EImageCodecError) << k.What;
  }
  EXPECT_THROW(ReadBmpFile(nullptr, 0), EImageCodecError);
  const uint8_t notBmp[40] = {'P', 'K'};
  EXPECT_THROW(ReadBmpFile(notBmp, sizeof(notBmp)), EImageCodecError);
}

TEST(PngFiles, RoundTripWithAlpha) {
  uint32_t px[6] = {0xFF112233, 0x80FF0000, 0x00000000, 0xFFFFFFFF, 0x40404040, 0xC0000080};
  std::vector<uint8_t> png = EncodePng(px, 3, 2, 3, true);
  TDecodedImage img = DecodePng(png.data(), png.size());
  EXPECT_EQ(img.Width, 3);
  EXPECT_EQ(img.Height, 2);
  EXPECT_TRUE(img.HasAlpha);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(img.Pixels[size_t(i)], px[i]) << i;
  std::vector<uint8_t> opaque = EncodePng(px, 3, 2, 3, false);
  EXPECT_EQ(DecodePng(opaque.data(), opaque.size()).Pixels[1], 0xFFFF0000u);
}

TEST(PngFiles, AlphaChannelOnlyWhenSomePixelIsNotOpaque) {
  // colour type (byte 25 of the file): 2 RGB, 6 RGBA
  struct {
    const char* What;
    uint32_t Last;
    bool Alpha;
    int ColourType;
  } cases[] = {
      {"opaque with alpha asked", 0xFF102030, true, 2},
      {"one translucent pixel", 0xFE102030, true, 6},
      {"one clear pixel", 0x00000000, true, 6},
      {"alpha not asked", 0x00102030, false, 2},
  };
  for (auto& k : cases) {
    uint32_t px[6] = {0xFF112233, 0xFFFF0000, 0xFF00FF00, 0xFFFFFFFF, 0xFF000000, k.Last};
    std::vector<uint8_t> png = EncodePng(px, 3, 2, 3, k.Alpha);
    ASSERT_GT(png.size(), 26u);
    EXPECT_EQ(png[25], k.ColourType) << k.What;
    TDecodedImage img = DecodePng(png.data(), png.size());
    EXPECT_EQ(img.HasAlpha, k.ColourType == 6) << k.What;
    for (int i = 0; i < 6; ++i) {
      uint32_t want = (k.Alpha && k.ColourType == 6) ? px[i] : (px[i] | 0xFF000000u);
      EXPECT_EQ(img.Pixels[size_t(i)], want) << k.What << " pixel " << i;
    }
  }
  // rows are read through the stride, padding words included in no decision
  uint32_t strided[8] = {0xFF010203, 0xFF040506, 0x00000000, 0x00000000,
                         0xFF070809, 0xFF0A0B0C, 0x00000000, 0x00000000};
  std::vector<uint8_t> png = EncodePng(strided, 2, 2, 4, true);
  EXPECT_EQ(png[25], 2);
  EXPECT_EQ(DecodePng(png.data(), png.size()).Pixels[3], 0xFF0A0B0Cu);
}

TEST(PngFiles, TruncatedAndCorruptRaise) {
  uint32_t px[64];
  for (int i = 0; i < 64; ++i) px[i] = 0xFF000000u | uint32_t(i * 0x030507);
  std::vector<uint8_t> png = EncodePng(px, 8, 8, 8, false);
  for (size_t keep : {size_t(0), size_t(7), size_t(20), png.size() / 2, png.size() - 13}) {
    std::vector<uint8_t> cut(png.begin(), png.begin() + long(keep));
    EXPECT_THROW(DecodePng(cut.data(), cut.size()), EImageCodecError) << keep;
  }
  std::vector<uint8_t> bad = png;
  bad[bad.size() / 2] ^= 0x5A;  // a damaged compressed stream (CRC or inflate error)
  EXPECT_THROW(DecodePng(bad.data(), bad.size()), EImageCodecError);
  // a header claiming a huge picture is refused before allocating
  std::vector<uint8_t> huge = png;
  huge[16] = 0x00, huge[17] = 0x7F, huge[18] = 0xFF, huge[19] = 0xFF;
  EXPECT_THROW(DecodePng(huge.data(), huge.size()), EImageCodecError);
}

TEST(JpegFiles, RoundTripIsClose) {
  std::vector<uint32_t> px(16 * 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) px[size_t(y * 16 + x)] = (uint32_t(x * 16) << 16) | (uint32_t(y * 16) << 8) | 0x80;
  std::vector<uint8_t> jpg = EncodeJpeg(px.data(), 16, 16, 16, 95, false);
  TDecodedImage img = DecodeJpeg(jpg.data(), jpg.size());
  ASSERT_EQ(img.Width, 16);
  ASSERT_EQ(img.Height, 16);
  for (size_t i = 0; i < px.size(); ++i)
    for (int s : {0, 8, 16}) {
      int a = int((px[i] >> s) & 0xFF), b = int((img.Pixels[i] >> s) & 0xFF);
      EXPECT_NEAR(a, b, 12) << i;
    }
  std::vector<uint8_t> gray = EncodeJpeg(px.data(), 16, 16, 16, 90, true);
  EXPECT_TRUE(DecodeJpeg(gray.data(), gray.size()).Grayscale);
}

TEST(JpegFiles, TruncatedAndCorruptRaise) {
  std::vector<uint32_t> px(32 * 32, 0x00336699);
  std::vector<uint8_t> jpg = EncodeJpeg(px.data(), 32, 32, 32, 80, false);
  for (size_t keep : {size_t(0), size_t(2), size_t(100), jpg.size() - 10}) {
    std::vector<uint8_t> cut(jpg.begin(), jpg.begin() + long(keep));
    EXPECT_THROW(DecodeJpeg(cut.data(), cut.size()), EImageCodecError) << keep;
  }
  std::vector<uint8_t> garbage(200, 0xFF);
  garbage[1] = 0xD8;
  EXPECT_THROW(DecodeJpeg(garbage.data(), garbage.size()), EImageCodecError);
}

// --- Headers that declare more than their data holds ---------------------------

// The growth of the process's peak resident size while AWork runs, in MB
// (the peak is reset first); -1 where the system cannot reset it.
long PeakGrowthMB(const std::function<void()>& AWork) {
  auto peakKB = [] {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
      if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1L;
  };
  {
    std::ofstream reset("/proc/self/clear_refs");
    if (!(reset << "5")) return -1;
  }
  const long before = peakKB();
  AWork();
  const long after = peakKB();
  return before < 0 || after < 0 ? -1 : (after - before) / 1024;
}

// A BMP file header and BITMAPINFOHEADER for a W x H picture.
std::vector<uint8_t> BmpHeader(int32_t W, int32_t H, uint16_t Bpp, uint32_t Compression, uint32_t Colors) {
  std::vector<uint8_t> f(14 + 40 + 4 * Colors, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(f.data() + at, &v, 4); };
  f[0] = 'B', f[1] = 'M';
  put32(10, uint32_t(f.size()));
  put32(14, 40);
  put32(18, uint32_t(W));
  put32(22, uint32_t(H));
  f[26] = 1;
  f[28] = uint8_t(Bpp);
  put32(30, Compression);
  put32(46, Colors);
  return f;
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// A few bytes that declare an 8192 x 8192 picture are refused before the
// picture is reserved (a run-length picture too: its codes could not reach
// a fraction of it).
TEST(ImageFiles, HeadersBeyondTheirDataAreRefusedBeforeThePictureIsMade) {
  const int32_t side = 8192;
  std::vector<uint8_t> plain = BmpHeader(side, side, 32, BI_RGB, 0);  // 54 bytes, no pixels
  std::vector<uint8_t> rle = BmpHeader(side, side, 8, BI_RLE8, 2);
  for (uint8_t b : {0, 0, 0, 1}) rle.push_back(b);  // a line end, then the end of the bitmap

  uint32_t px[1] = {0xFF102030};
  std::vector<uint8_t> png = EncodePng(px, 1, 1, 1, false);
  // IHDR: length (4), "IHDR" (4), width and height big-endian, ..., its CRC after 13 data bytes
  for (size_t at : {size_t(16), size_t(20)})
    png[at] = 0, png[at + 1] = 0, png[at + 2] = 0x20, png[at + 3] = 0;
  const uint32_t crc = Crc32(png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + size_t(i)] = uint8_t(crc >> (24 - 8 * i));

  std::vector<uint32_t> small(64, 0xFF808080);
  std::vector<uint8_t> jpg = EncodeJpeg(small.data(), 8, 8, 8, 80, false);
  for (size_t i = 2; i + 8 < jpg.size(); ++i)
    if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {  // the frame header: height and width big-endian
      jpg[i + 5] = 0x20, jpg[i + 6] = 0, jpg[i + 7] = 0x20, jpg[i + 8] = 0;
      break;
    }

  struct Case {
    const char* What;
    std::function<void()> Read;
  } cases[] = {
      {"BMP without pixels", [&] { ReadBmpFile(plain.data(), plain.size()); }},
      {"BMP of four RLE bytes", [&] { DeleteObject(ReadBmpFile(rle.data(), rle.size())); }},
      {"PNG of one pixel's data", [&] { DecodePng(png.data(), png.size()); }},
      {"JPEG of one block's data", [&] { DecodeJpeg(jpg.data(), jpg.size()); }},
  };
  for (const Case& c : cases) {
    const long growth = PeakGrowthMB([&] { EXPECT_THROW(c.Read(), EImageCodecError) << c.What; });
    if (growth >= 0) EXPECT_LT(growth, 32) << c.What << ": MB reserved";
  }
  // a run-length picture its data can describe is read
  std::vector<uint8_t> fits = BmpHeader(1000, 1000, 8, BI_RLE8, 2);
  for (uint8_t b : {255, 1, 0, 1}) fits.push_back(b);
  HBITMAP bm = ReadBmpFile(fits.data(), fits.size());
  EXPECT_NE(bm, nullptr);
  DeleteObject(bm);
}

}  // namespace
