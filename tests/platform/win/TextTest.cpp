// Fonts, text metrics, extents and text output. Every test measures with one
// fixed font file (DejaVu Sans, forced through the font map's test hook) so
// that the figures do not move with the installed fonts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "platform/win/FontMap.h"
#include "platform/win/GdiText.h"

using namespace win;

namespace {

const char* const TestFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct TInk {
  int Left = INT32_MAX, Top = INT32_MAX, Right = INT32_MIN, Bottom = INT32_MIN;  // exclusive right, bottom
  int Count = 0;
  bool Empty() const { return Count == 0; }
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
};

class TextTest : public ::testing::Test {
 protected:
  static constexpr int W = 240, H = 120;
  static constexpr COLORREF White = RGB(255, 255, 255);

  void SetUp() override {
    if (access(TestFontFile, R_OK) != 0) GTEST_SKIP() << "test font missing: " << TestFontFile;
    fontmap::SetFontFileOverride(TestFontFile);
    Dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = -H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    Bmp = CreateDIBSection(Dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(Bmp, nullptr);
    Bits = static_cast<uint32_t*>(bits);
    OldBmp = SelectObject(Dc, Bmp);
    OldFont = GetCurrentObject(Dc, OBJ_FONT);
    Clear();
    SetBkMode(Dc, TRANSPARENT);
  }

  void TearDown() override {
    if (!Dc) return;
    SelectObject(Dc, OldFont);
    for (HFONT f : Fonts) DeleteObject(f);
    SelectObject(Dc, OldBmp);
    DeleteObject(Bmp);
    DeleteDC(Dc);
    fontmap::SetFontFileOverride("");
  }

  HFONT MakeFont(int height, int weight = FW_NORMAL, const char16_t* face = u"Tahoma", int escapement = 0,
                 BYTE quality = DEFAULT_QUALITY, bool italic = false, bool underline = false,
                 bool strike = false, BYTE charset = DEFAULT_CHARSET, BYTE outPrecision = OUT_DEFAULT_PRECIS,
                 BYTE pitch = 0) {
    HFONT f = CreateFontW(height, 0, escapement, escapement, weight, italic, underline, strike, charset,
                          outPrecision, 0, quality, pitch, face);
    Fonts.push_back(f);
    return f;
  }
  HFONT Select(int height, int weight = FW_NORMAL) {
    HFONT f = MakeFont(height, weight);
    SelectObject(Dc, f);
    return f;
  }

  void Clear(COLORREF c = White) {
    uint32_t px = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    for (int i = 0; i < W * H; ++i) Bits[i] = px;
  }
  uint32_t Px(int x, int y) const { return Bits[y * W + x] & 0xFFFFFF; }
  // Pixels that are not the background.
  TInk Ink(COLORREF bg = White, RECT area = RECT{0, 0, W, H}) const {
    uint32_t b = (GetRValue(bg) << 16) | (GetGValue(bg) << 8) | GetBValue(bg);
    TInk k;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (Px(x, y) != b) {
          k.Left = std::min(k.Left, x);
          k.Right = std::max(k.Right, x + 1);
          k.Top = std::min(k.Top, y);
          k.Bottom = std::max(k.Bottom, y + 1);
          ++k.Count;
        }
    return k;
  }
  TEXTMETRICW Metrics() const {
    TEXTMETRICW tm{};
    EXPECT_TRUE(GetTextMetricsW(Dc, &tm));
    return tm;
  }
  int Width(const std::u16string& s) const {
    SIZE sz{};
    EXPECT_TRUE(GetTextExtentPoint32W(Dc, s.data(), int(s.size()), &sz));
    return sz.cx;
  }
  std::u16string Face() const {
    WCHAR buf[LF_FACESIZE] = {};
    GetTextFaceW(Dc, LF_FACESIZE, buf);
    return buf;
  }

  HDC Dc = nullptr;
  HBITMAP Bmp = nullptr;
  HGDIOBJ OldBmp = nullptr, OldFont = nullptr;
  uint32_t* Bits = nullptr;
  std::vector<HFONT> Fonts;
};

// ---------------------------------------------------------------------------
// Metrics

TEST_F(TextTest, MetricsFollowTheHeightRule) {
  // DejaVu Sans: 2048 units per em, win ascent 1901, win descent 483, no line
  // gap, average width 1038, widest advance 3838.
  struct {
    int Height, TmHeight, Ascent, Descent, Internal, Ave, Max;
  } cases[] = {
      {-11, 13, 10, 3, 2, 6, 21},  // character height: the em is 11 pixels
      {-12, 14, 11, 3, 2, 6, 22}, {-16, 19, 15, 4, 3, 8, 30},
      {16, 16, 13, 3, 2, 7, 26},                             // cell height: ascent + descent is 16
      {13, 13, 10, 3, 2, 6, 21},  {0, 16, 13, 3, 2, 7, 26},  // the default cell
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Height);
    SelectObject(Dc, MakeFont(c.Height));
    TEXTMETRICW tm = Metrics();
    EXPECT_EQ(tm.tmHeight, c.TmHeight);
    EXPECT_EQ(tm.tmAscent, c.Ascent);
    EXPECT_EQ(tm.tmDescent, c.Descent);
    EXPECT_EQ(tm.tmInternalLeading, c.Internal);
    EXPECT_EQ(tm.tmExternalLeading, 0);
    EXPECT_EQ(tm.tmAveCharWidth, c.Ave);
    EXPECT_EQ(tm.tmMaxCharWidth, c.Max);
    EXPECT_EQ(tm.tmBreakChar, u' ');
  }
}

TEST_F(TextTest, MetricsDescribeTheFace) {
  SelectObject(Dc, MakeFont(-11, FW_BOLD, u"Tahoma", 0, 0, true, true, true, ANSI_CHARSET));
  TEXTMETRICW tm = Metrics();
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  EXPECT_NE(tm.tmItalic, 0);
  EXPECT_NE(tm.tmUnderlined, 0);
  EXPECT_NE(tm.tmStruckOut, 0);
  EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
  EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_SWISS);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);  // set for variable pitch, as on the platform

  SelectObject(Dc, MakeFont(-11));
  EXPECT_EQ(Metrics().tmWeight, FW_NORMAL);
  EXPECT_EQ(Metrics().tmItalic, 0);

  // Bitmap faces of the platform are not TrueType, unless only TrueType is asked for.
  SelectObject(Dc, MakeFont(-11, FW_NORMAL, u"MS Sans Serif"));
  EXPECT_FALSE(Metrics().tmPitchAndFamily & TMPF_TRUETYPE);
  SelectObject(Dc, MakeFont(-11, FW_NORMAL, u"MS Sans Serif", 0, 0, false, false, false, DEFAULT_CHARSET,
                            OUT_TT_ONLY_PRECIS));
  EXPECT_TRUE(Metrics().tmPitchAndFamily & TMPF_TRUETYPE);

  SelectObject(Dc, MakeFont(-11, FW_NORMAL, u"Courier New"));
  EXPECT_EQ(Metrics().tmPitchAndFamily & (TMPF_FIXED_PITCH | 0xF0), FF_MODERN);
}

TEST_F(TextTest, DefaultCharsetIsTheSystemCodePage) {
  SelectObject(Dc, MakeFont(-11));
  CHARSETINFO cs;
  ASSERT_TRUE(TranslateCharsetInfo(reinterpret_cast<Cardinal*>(uintptr_t(GetACP())), &cs, TCI_SRCCODEPAGE));
  EXPECT_EQ(Metrics().tmCharSet, cs.ciCharset);
  EXPECT_EQ(GetTextCharset(Dc), cs.ciCharset);
}

TEST_F(TextTest, FaceNames) {
  struct {
    const char16_t* Asked;
    BYTE Pitch;
    const char16_t* Reported;
  } cases[] = {
      {u"Tahoma", 0, u"Tahoma"},
      {u"tahoma", 0, u"Tahoma"},
      {u"MS Sans Serif", 0, u"MS Sans Serif"},
      {u"No Such Face", 0, u"Arial"},
      {u"", FIXED_PITCH, u"Courier New"},
      {u"", FF_ROMAN, u"Times New Roman"},
  };
  for (const auto& c : cases) {
    SelectObject(Dc, MakeFont(-11, FW_NORMAL, c.Asked, 0, 0, false, false, false, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, c.Pitch));
    EXPECT_EQ(Face(), c.Reported);
  }
  SelectObject(Dc, MakeFont(-11));
  EXPECT_EQ(GetTextFaceW(Dc, 0, nullptr), 7);  // "Tahoma" and its zero
  WCHAR small[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(GetTextFaceW(Dc, 4, small), 3);
  EXPECT_EQ(std::u16string(small), u"Tah");
  EXPECT_EQ(GetTextFaceW(nullptr, 4, small), 0);
}

TEST_F(TextTest, SystemFontWhenNoneIsSelected) {
  HDC dc = CreateCompatibleDC(nullptr);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  DeleteDC(dc);
}

// ---------------------------------------------------------------------------
// Extents

TEST_F(TextTest, ExtentIsTheSumOfCharacterWidths) {
  Select(-11);
  const std::u16string s = u"Hello, Wörld";
  int sum = 0;
  for (char16_t ch : s) {
    int w = 0;
    ASSERT_TRUE(GetCharWidth32W(Dc, ch, ch, &w));
    EXPECT_GT(w, 0);
    sum += w;
  }
  SIZE sz{};
  ASSERT_TRUE(GetTextExtentPoint32W(Dc, s.data(), int(s.size()), &sz));
  EXPECT_EQ(sz.cx, sum);
  EXPECT_EQ(sz.cy, Metrics().tmHeight);
  EXPECT_GT(Width(u"W"), Width(u"i"));

  ABC abc[3];
  ASSERT_TRUE(GetCharABCWidthsW(Dc, u'A', u'C', abc));
  for (int i = 0; i < 3; ++i) {
    int w = 0;
    GetCharWidth32W(Dc, u'A' + i, u'A' + i, &w);
    EXPECT_EQ(abc[i].abcA + int(abc[i].abcB) + abc[i].abcC, w);
    EXPECT_GT(abc[i].abcB, 0u);
  }
}

TEST_F(TextTest, ExtentBadInput) {
  Select(-11);
  SIZE sz{5, 5};
  EXPECT_TRUE(GetTextExtentPoint32W(Dc, u"", 0, &sz));
  EXPECT_EQ(sz.cx, 0);
  EXPECT_EQ(sz.cy, Metrics().tmHeight);
  EXPECT_TRUE(GetTextExtentPoint32W(Dc, nullptr, 0, &sz));
  EXPECT_FALSE(GetTextExtentPoint32W(Dc, u"abc", -1, &sz));
  EXPECT_FALSE(GetTextExtentPoint32W(Dc, nullptr, 3, &sz));
  EXPECT_FALSE(GetTextExtentPoint32W(Dc, u"abc", 3, nullptr));
  EXPECT_FALSE(GetTextExtentPoint32W(nullptr, u"abc", 3, &sz));
  int w[2];
  EXPECT_FALSE(GetCharWidth32W(Dc, 'b', 'a', w));
  EXPECT_FALSE(GetTextExtentExPointW(Dc, u"abc", -5, 10, nullptr, nullptr, &sz));
}

TEST_F(TextTest, PartialExtentsAndFit) {
  Select(-11);
  const std::u16string s = u"abcdef";
  int dx[6] = {};
  int fit = -1;
  SIZE sz{};
  ASSERT_TRUE(GetTextExtentExPointW(Dc, s.data(), 6, 1000, &fit, dx, &sz));
  EXPECT_EQ(fit, 6);
  EXPECT_EQ(dx[5], sz.cx);
  for (int i = 1; i < 6; ++i) EXPECT_EQ(dx[i] - dx[i - 1], Width(s.substr(size_t(i), 1)));
  struct {
    int Max, Fit;
  } cases[] = {{dx[2], 3}, {dx[2] - 1, 2}, {0, 0}, {-1, 0}, {dx[5] - 1, 5}};
  for (const auto& c : cases) {
    ASSERT_TRUE(GetTextExtentExPointW(Dc, s.data(), 6, c.Max, &fit, nullptr, nullptr));
    EXPECT_EQ(fit, c.Fit) << "max " << c.Max;
  }
  // A surrogate pair counts as two units; the second adds nothing.
  const char16_t pair[] = u"a\U0001F600b";
  int pdx[4];
  ASSERT_TRUE(GetTextExtentExPointW(Dc, pair, 4, 0, nullptr, pdx, &sz));
  EXPECT_EQ(pdx[1], pdx[2]);
  EXPECT_GT(pdx[1], pdx[0]);
}

TEST_F(TextTest, CharacterExtraAndJustification) {
  Select(-11);
  const int plain = Width(u"a b c"), space = Width(u" ");
  EXPECT_EQ(SetTextCharacterExtra(Dc, 2), 0);
  EXPECT_EQ(GetTextCharacterExtra(Dc), 2);
  EXPECT_EQ(Width(u"a b c"), plain + 10);
  SetTextCharacterExtra(Dc, 0);
  ASSERT_TRUE(SetTextJustification(Dc, 5, 2));
  EXPECT_EQ(Width(u"a b c"), plain + 5);
  int dx[5];
  SIZE sz;
  GetTextExtentExPointW(Dc, u"a b c", 5, 0, nullptr, dx, &sz);
  EXPECT_EQ(dx[1] - dx[0], space + 3);  // the first break takes the remainder
  EXPECT_EQ(dx[3] - dx[2], space + 2);
  SetTextJustification(Dc, 0, 0);
  EXPECT_EQ(Width(u"a b c"), plain);
}

TEST_F(TextTest, SynthesizedStyles) {
  Select(-11);
  const int normal = Width(u"Hello");
  TEXTMETRICW tmNormal = Metrics();
  Select(-11, FW_BOLD);
  EXPECT_EQ(Width(u"Hello"), normal + 5);  // one pixel per character
  EXPECT_EQ(Metrics().tmAveCharWidth, tmNormal.tmAveCharWidth + 1);
  SelectObject(Dc, MakeFont(-11, FW_NORMAL, u"Tahoma", 0, 0, true));
  EXPECT_EQ(Width(u"Hello"), normal);  // slanting keeps the advances
  // A width scales the characters: the average width becomes it.
  HFONT wide = CreateFontW(-11, 12, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, u"Tahoma");
  Fonts.push_back(wide);
  SelectObject(Dc, wide);
  EXPECT_EQ(Metrics().tmAveCharWidth, 12);
  EXPECT_EQ(Metrics().tmHeight, tmNormal.tmHeight);
  EXPECT_NEAR(Width(u"Hello"), normal * 2, 5);
}

// ---------------------------------------------------------------------------
// Output

TEST_F(TextTest, TextOutDrawsAntiAliasedInkInTheCell) {
  Select(-16);
  TEXTMETRICW tm = Metrics();
  ASSERT_TRUE(TextOutW(Dc, 10, 20, u"Hxg", 3));
  TInk k = Ink();
  ASSERT_FALSE(k.Empty());
  EXPECT_GE(k.Left, 10);
  EXPECT_LE(k.Right, 10 + Width(u"Hxg"));
  EXPECT_GE(k.Top, 20);
  EXPECT_LE(k.Bottom, 20 + tm.tmHeight);
  // "H" stands on the baseline: its bottom row is the last one above it.
  TInk h = Ink(White, RECT{10, 0, 10 + Width(u"H"), H});
  EXPECT_EQ(h.Bottom, 20 + tm.tmAscent);
  int grey = 0, black = 0;
  for (int y = k.Top; y < k.Bottom; ++y)
    for (int x = k.Left; x < k.Right; ++x) {
      uint32_t p = Px(x, y);
      if (p == 0)
        ++black;
      else if (p != 0xFFFFFF)
        ++grey;
    }
  EXPECT_GT(black, 0);
  EXPECT_GT(grey, 0);
}

TEST_F(TextTest, NonAntialiasedQualityDrawsOnlyTheTextColour) {
  SelectObject(Dc, MakeFont(-16, FW_NORMAL, u"Tahoma", 0, NONANTIALIASED_QUALITY));
  TextOutW(Dc, 5, 5, u"Swag", 4);
  TInk k = Ink();
  ASSERT_FALSE(k.Empty());
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) ASSERT_TRUE(Px(x, y) == 0 || Px(x, y) == 0xFFFFFF);
}

TEST_F(TextTest, EdgesBlendTheTextColourIntoTheBackground) {
  Select(-20);
  Clear(RGB(0, 0, 255));
  SetTextColor(Dc, RGB(255, 0, 0));
  TextOutW(Dc, 5, 5, u"O", 1);
  int partial = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint32_t p = Px(x, y);
      int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      EXPECT_EQ(g, 0);
      EXPECT_NEAR(r + b, 255, 1);
      if (r != 0 && r != 255) ++partial;
    }
  EXPECT_GT(partial, 0);
}

TEST_F(TextTest, AlignmentPlacesTheReferencePoint) {
  Select(-16);
  TEXTMETRICW tm = Metrics();
  const int w = Width(u"HH");
  struct {
    UINT Align;
    int Left, Top;  // where the cell's top-left corner lands for the point (100, 60)
  } cases[] = {
      {TA_LEFT | TA_TOP, 100, 60},
      {TA_RIGHT | TA_TOP, 100 - w, 60},
      {TA_CENTER | TA_TOP, 100 - w / 2, 60},
      {TA_LEFT | TA_BASELINE, 100, 60 - tm.tmAscent},
      {TA_LEFT | TA_BOTTOM, 100, 60 - tm.tmHeight},
  };
  SetTextAlign(Dc, TA_LEFT | TA_TOP);
  TextOutW(Dc, 0, 0, u"HH", 2);
  const TInk ref = Ink();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Align);
    Clear();
    SetTextAlign(Dc, c.Align);
    TextOutW(Dc, 100, 60, u"HH", 2);
    TInk k = Ink();
    EXPECT_EQ(k.Left - ref.Left, c.Left);
    EXPECT_EQ(k.Top - ref.Top, c.Top);
  }
}

TEST_F(TextTest, UpdateCurrentPosition) {
  Select(-11);
  SetTextAlign(Dc, TA_UPDATECP);
  MoveToEx(Dc, 10, 10, nullptr);
  TextOutW(Dc, 500, 500, u"abc", 3);  // the point given is ignored
  POINT p{};
  GetCurrentPositionEx(Dc, &p);
  EXPECT_EQ(p.x, 10 + Width(u"abc"));
  EXPECT_EQ(p.y, 10);
  TInk k = Ink();
  EXPECT_GE(k.Left, 10);
  EXPECT_LT(k.Bottom, 40);
}

TEST_F(TextTest, OpaqueBackgroundFillsTheCell) {
  Select(-11);
  TEXTMETRICW tm = Metrics();
  SetBkMode(Dc, OPAQUE);
  SetBkColor(Dc, RGB(0, 255, 0));
  TextOutW(Dc, 10, 10, u"ab", 2);
  TInk k = Ink();
  EXPECT_EQ(k.Left, 10);
  EXPECT_EQ(k.Top, 10);
  EXPECT_EQ(k.Right, 10 + Width(u"ab"));
  EXPECT_EQ(k.Bottom, 10 + tm.tmHeight);
  EXPECT_EQ(Px(10, 10), 0x00FF00u);

  Clear();
  SetBkMode(Dc, TRANSPARENT);
  RECT r{50, 50, 90, 70};
  ExtTextOutW(Dc, 55, 52, ETO_OPAQUE, &r, u"x", 1, nullptr);
  k = Ink();
  EXPECT_EQ(k.Left, 50);
  EXPECT_EQ(k.Top, 50);
  EXPECT_EQ(k.Right, 90);
  EXPECT_EQ(k.Bottom, 70);
}

TEST_F(TextTest, ClippedOutputStaysInTheRectangle) {
  Select(-16);
  RECT r{20, 10, 40, 30};
  ExtTextOutW(Dc, 10, 10, ETO_CLIPPED, &r, u"WWWWW", 5, nullptr);
  TInk k = Ink();
  ASSERT_FALSE(k.Empty());
  EXPECT_GE(k.Left, 20);
  EXPECT_LE(k.Right, 40);
  EXPECT_LE(k.Bottom, 30);
  // The DC's clip region limits it too.
  Clear();
  IntersectClipRect(Dc, 0, 0, 25, H);
  TextOutW(Dc, 10, 10, u"WWWWW", 5);
  EXPECT_LE(Ink().Right, 25);
}

TEST_F(TextTest, ClippingCutsGlyphsAtThePixel) {
  // Text drawn under a clip equals the unclipped text inside the clip and
  // leaves every pixel outside alone: one rectangle, the output rectangle,
  // and regions of several rectangles (the row-by-row path).
  Select(-24);
  SetTextColor(Dc, RGB(200, 30, 60));
  const COLORREF bg = RGB(10, 120, 240);
  const char16_t text[] = u"WgŞQ@";
  Clear(bg);
  TextOutW(Dc, 7, 5, text, 5);
  const std::vector<uint32_t> whole(Bits, Bits + W * H);
  ASSERT_GT(Ink(bg).Count, 100);
  struct {
    const char* What;
    HRGN Clip;      // the DC's clip region (nil: none)
    RECT Out;       // ETO_CLIPPED rectangle (empty: none)
  } cases[] = {
      {"one rectangle", CreateRectRgn(13, 9, 41, 27), RECT{}},
      {"output rectangle", nullptr, RECT{11, 8, 57, 22}},
      {"both", CreateRectRgn(0, 12, W, H), RECT{20, 0, 50, 25}},
      {"ellipse", CreateEllipticRgn(5, 2, 70, 33), RECT{}},
      {"ellipse and rectangle", CreateEllipticRgn(5, 2, 70, 33), RECT{9, 9, 60, 20}},
  };
  for (auto& k : cases) {
    // a hole in the middle makes every region complex
    HRGN clip = k.Clip;
    if (clip) {
      HRGN hole = CreateRectRgn(30, 15, 34, 19);
      CombineRgn(clip, clip, hole, RGN_DIFF);
      DeleteObject(hole);
    }
    Clear(bg);
    SelectClipRgn(Dc, clip);
    bool out = k.Out.right > k.Out.left;
    ExtTextOutW(Dc, 7, 5, out ? ETO_CLIPPED : 0, out ? &k.Out : nullptr, text, 5, nullptr);
    SelectClipRgn(Dc, nullptr);
    int shown = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        bool inside = (!clip || PtInRegion(clip, x, y)) &&
                      (!out || (x >= k.Out.left && x < k.Out.right && y >= k.Out.top && y < k.Out.bottom));
        uint32_t want = inside ? (whole[size_t(y * W + x)] & 0xFFFFFF) : (uint32_t(GetRValue(bg)) << 16 | GetGValue(bg) << 8 | GetBValue(bg));
        ASSERT_EQ(Px(x, y), want) << k.What << " at " << x << "," << y;
        shown += inside && want != Px(0, 0);
      }
    EXPECT_GT(shown, 20) << k.What;
    if (clip) DeleteObject(clip);
  }
}

TEST_F(TextTest, SpacingArray) {
  Select(-16);
  INT dx[2] = {40, 40};
  ExtTextOutW(Dc, 10, 10, 0, nullptr, u"ll", 2, dx);
  TInk first = Ink(White, RECT{0, 0, 40, H}), second = Ink(White, RECT{40, 0, W, H});
  ASSERT_FALSE(first.Empty());
  ASSERT_FALSE(second.Empty());
  EXPECT_EQ(second.Left - first.Left, 40);
}

TEST_F(TextTest, UnderlineAndStrikeOut) {
  SelectObject(Dc, MakeFont(-16, FW_NORMAL, u"Tahoma", 0, 0, false, true));
  TEXTMETRICW tm = Metrics();
  TextOutW(Dc, 10, 10, u"ab", 2);
  // The underline spans the whole advance below the baseline.
  int row = -1;
  for (int y = 10 + tm.tmAscent; y < 10 + tm.tmHeight && row < 0; ++y) {
    bool full = true;
    for (int x = 10; x < 10 + Width(u"ab"); ++x) full = full && Px(x, y) == 0;
    if (full) row = y;
  }
  EXPECT_GT(row, 10 + tm.tmAscent - 1);

  Clear();
  SelectObject(Dc, MakeFont(-16, FW_NORMAL, u"Tahoma", 0, 0, false, false, true));
  TextOutW(Dc, 10, 10, u"  ", 2);  // blanks: only the stroke shows
  TInk k = Ink();
  ASSERT_FALSE(k.Empty());
  EXPECT_EQ(k.Width(), Width(u"  "));
  EXPECT_LT(k.Bottom, 10 + tm.tmAscent);
}

TEST_F(TextTest, RotatedText) {
  Select(-16);
  const int w = Width(u"HHHH");
  TEXTMETRICW tm = Metrics();
  SelectObject(Dc, MakeFont(-16, FW_NORMAL, u"Tahoma", 900));  // reads bottom to top
  SIZE sz{};
  GetTextExtentPoint32W(Dc, u"HHHH", 4, &sz);
  EXPECT_EQ(sz.cx, w);  // extents stay along the baseline
  TextOutW(Dc, 40, 100, u"HHHH", 4);
  TInk k = Ink();
  ASSERT_FALSE(k.Empty());
  EXPECT_GT(k.Height(), k.Width());
  EXPECT_GE(k.Left, 40);
  EXPECT_LE(k.Right, 40 + tm.tmHeight + 1);
  EXPECT_LE(k.Bottom, 101);
  EXPECT_GE(k.Top, 100 - w - 1);

  Clear();
  SelectObject(Dc, MakeFont(-16, FW_NORMAL, u"Tahoma", 2700));  // top to bottom
  TextOutW(Dc, 40, 10, u"HHHH", 4);
  k = Ink();
  EXPECT_GT(k.Height(), k.Width());
  EXPECT_LE(k.Right, 41);
  EXPECT_GE(k.Top, 9);
  EXPECT_LE(k.Bottom, 10 + w + 1);

  Clear();
  SelectObject(Dc, MakeFont(-16, FW_NORMAL, u"Tahoma", 450));
  SetBkMode(Dc, OPAQUE);
  SetBkColor(Dc, RGB(0, 0, 0));
  TextOutW(Dc, 20, 100, u"HHHH", 4);
  k = Ink();  // the opaque cell is the rotated rectangle
  EXPECT_NEAR(k.Width(), (w + tm.tmHeight) * 0.7071, 3);
  EXPECT_NEAR(k.Height(), (w + tm.tmHeight) * 0.7071, 3);
}

TEST_F(TextTest, TextOutBadInput) {
  Select(-11);
  EXPECT_TRUE(TextOutW(Dc, 0, 0, u"", 0));
  EXPECT_TRUE(TextOutW(Dc, 0, 0, nullptr, 0));
  EXPECT_FALSE(TextOutW(Dc, 0, 0, u"abc", -1));
  EXPECT_FALSE(TextOutW(Dc, 0, 0, nullptr, 2));
  EXPECT_FALSE(TextOutW(nullptr, 0, 0, u"abc", 3));
  EXPECT_FALSE(ExtTextOutW(Dc, 0, 0, 0, nullptr, u"abc", 0x80000000u, nullptr));
  EXPECT_TRUE(ExtTextOutW(Dc, -100000, 2000000, ETO_CLIPPED | ETO_OPAQUE, nullptr, u"abc", 3, nullptr));
  EXPECT_TRUE(Ink().Empty());
  std::u16string longText(100000, u'x');
  EXPECT_TRUE(TextOutW(Dc, -5000, 5, longText.data(), int(longText.size())));
}

TEST_F(TextTest, MarlettDrawsItsGlyphs) {
  SelectObject(Dc, MakeFont(-16, FW_NORMAL, u"Marlett"));
  EXPECT_EQ(Metrics().tmCharSet, SYMBOL_CHARSET);
  TextOutW(Dc, 10, 10, u"6", 1);  // the down arrow
  TInk k = Ink();
  ASSERT_FALSE(k.Empty());
  // a triangle pointing down: its top row is wider than its bottom row
  int top = 0, bottom = 0;
  for (int x = 0; x < W; ++x) {
    top += Px(x, k.Top) != 0xFFFFFF;
    bottom += Px(x, k.Bottom - 1) != 0xFFFFFF;
  }
  EXPECT_GT(top, bottom);
}

TEST_F(TextTest, FontsFollowTheMapping) {
  Select(-11);
  const int before = Width(u"Hello");
  fontmap::SetFontFileOverride("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
  if (access("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", R_OK) == 0) {
    // the realized font is stale now and is made again from the new file
    EXPECT_EQ(Width(u"iiiii"), Width(u"WWWWW"));
  }
  fontmap::SetFontFileOverride(TestFontFile);
  EXPECT_EQ(Width(u"Hello"), before);
  // Many fonts made and dropped: each realized font is released with its object.
  for (int i = 0; i < 200; ++i) {
    HFONT f = CreateFontW(-8 - i % 40, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
    HGDIOBJ old = SelectObject(Dc, f);
    EXPECT_GT(Width(u"x"), 0);
    SelectObject(Dc, old);
    DeleteObject(f);
  }
}

// Names outside the table of the system's faces: an installed family is
// used under its own name, anything else falls back by pitch and family.
TEST_F(TextTest, InstalledFacesAreFoundByTheirOwnName) {
  if (access("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", R_OK) != 0 ||
      access("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf", R_OK) != 0)
    GTEST_SKIP() << "DejaVu Sans Mono or Liberation Sans missing";
  fontmap::SetFontFileOverride("");
  struct {
    const char16_t* Asked;
    BYTE Pitch;
    const char16_t* Reported;
    bool Fixed;
  } cases[] = {
      {u"DejaVu Sans Mono", 0, u"DejaVu Sans Mono", true},
      {u"dejavu sans mono", 0, u"DejaVu Sans Mono", true},
      {u"DejaVu Sans", FIXED_PITCH, u"DejaVu Sans", false},
      {u"Tahoma", 0, u"Tahoma", false},  // the table's name, drawn with DejaVu Sans
      {u"No Such Face", 0, u"Arial", false},
      {u"No Such Face", FIXED_PITCH, u"Courier New", true},
  };
  std::map<std::u16string, int> widths;
  for (const auto& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Asked));
    SelectObject(Dc, MakeFont(-16, FW_NORMAL, c.Asked, 0, 0, false, false, false, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, c.Pitch));
    EXPECT_EQ(Face(), c.Reported);
    // TMPF_FIXED_PITCH set means proportional.
    EXPECT_EQ((Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, c.Fixed);
    EXPECT_EQ(Width(u"iiiii") == Width(u"WWWWW"), c.Fixed);
    widths.emplace(c.Asked, Width(u"Kontör yüklendi"));
  }
  // "DejaVu Sans" is the face itself, not Arial's stand-in.
  EXPECT_EQ(widths[u"DejaVu Sans"], widths[u"Tahoma"]);
  EXPECT_NE(widths[u"DejaVu Sans"], widths[u"No Such Face"]);
}

TEST_F(TextTest, MissingCharactersComeFromTheFallbackFace) {
  // This one needs the installed fonts: Liberation Mono has no check mark.
  const char* mono = "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf";
  if (access(mono, R_OK) != 0) GTEST_SKIP() << "Liberation Mono missing";
  fontmap::SetFontFileOverride("");
  SelectObject(Dc, MakeFont(-16, FW_NORMAL, u"Courier New"));
  int a = 0, check = 0;
  GetCharWidth32W(Dc, u'a', u'a', &a);
  GetCharWidth32W(Dc, 0x2713, 0x2713, &check);
  EXPECT_NE(check, a);  // every glyph of the monospaced face, its box too, is as wide as "a"
  TextOutW(Dc, 10, 10, u"\u2713", 1);
  EXPECT_FALSE(Ink().Empty());
}

// ---------------------------------------------------------------------------
// Text in an open path

// Text drawn between BeginPath and EndPath adds the glyph outlines: the
// path's area is the letter as drawn (with its counters as holes), rotated
// and underlined text included; nothing is drawn while recording.
TEST_F(TextTest, TextInAPathIsTheLetterAsDrawn) {
  struct Case {
    const char* Name;
    int Escapement;
    bool Underline;
    const char16_t* Text;
  } cases[] = {{"upright", 0, false, u"O"}, {"quarter turn", 900, false, u"O"}, {"underlined", 0, true, u"O"},
               {"two letters", 0, false, u"Oe"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    SelectObject(Dc, MakeFont(-60, FW_BOLD, u"Tahoma", c.Escapement, DEFAULT_QUALITY, false, c.Underline));
    const int x = 20, y = c.Escapement ? 110 : 10;
    const int n = int(std::char_traits<char16_t>::length(c.Text));
    Clear();
    TextOutW(Dc, x, y, c.Text, n);
    const TInk drawn = Ink();
    ASSERT_FALSE(drawn.Empty());
    Clear();
    ASSERT_TRUE(BeginPath(Dc));
    EXPECT_TRUE(TextOutW(Dc, x, y, c.Text, n));
    ASSERT_TRUE(EndPath(Dc));
    EXPECT_TRUE(Ink().Empty());  // nothing drawn while recording
    HRGN rgn = PathToRegion(Dc);
    ASSERT_NE(rgn, nullptr);
    RECT box{};
    GetRgnBox(rgn, &box);
    EXPECT_NEAR(box.left, drawn.Left, 1);
    EXPECT_NEAR(box.top, drawn.Top, 1);
    EXPECT_NEAR(box.right, drawn.Right, 1);
    EXPECT_NEAR(box.bottom, drawn.Bottom, 1);
    // The first letter's counter is a hole; its ring is in the area.
    Clear();
    TextOutW(Dc, x, y, c.Text, 1);
    const TInk o = Ink();
    const int cx = (o.Left + o.Right) / 2, cy = (o.Top + o.Bottom) / 2;
    EXPECT_FALSE(PtInRegion(rgn, cx, cy));
    if (c.Escapement == 0) {
      EXPECT_TRUE(PtInRegion(rgn, o.Left + 3, cy));
      EXPECT_TRUE(PtInRegion(rgn, cx, o.Top + 3));
    } else {
      EXPECT_TRUE(PtInRegion(rgn, cx, o.Top + 3));
      EXPECT_TRUE(PtInRegion(rgn, o.Right - 4, cy));
    }
    DeleteObject(rgn);
  }
}

// StrokePath draws the letter's outline only: its edges are inked, the
// inside of a thick stem stays clear.
TEST_F(TextTest, StrokedTextPathDrawsTheOutline) {
  SelectObject(Dc, MakeFont(-80, FW_BOLD));
  TextOutW(Dc, 20, 10, u"I", 1);
  const TInk drawn = Ink();
  ASSERT_GT(drawn.Width(), 8);
  const int cx = (drawn.Left + drawn.Right) / 2, cy = (drawn.Top + drawn.Bottom) / 2;
  Clear();
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(Dc, pen);
  BeginPath(Dc);
  TextOutW(Dc, 20, 10, u"I", 1);
  EndPath(Dc);
  EXPECT_TRUE(StrokePath(Dc));
  SelectObject(Dc, old);
  DeleteObject(pen);
  const TInk stroked = Ink();
  EXPECT_NEAR(stroked.Left, drawn.Left, 1);
  EXPECT_NEAR(stroked.Right, drawn.Right, 1);
  EXPECT_NEAR(stroked.Top, drawn.Top, 1);
  EXPECT_NEAR(stroked.Bottom, drawn.Bottom, 1);
  EXPECT_EQ(Px(cx, cy), 0xFFFFFFu);            // inside the stem
  EXPECT_EQ(Px(stroked.Left, cy), 0xFF0000u);  // its left edge
  EXPECT_EQ(Px(cx, stroked.Top), 0xFF0000u);   // its top edge
  EXPECT_LT(stroked.Count, drawn.Count);
}

// SelectClipPath of text limits drawing to the letters: a fill of the whole
// surface paints the letter's area only.
TEST_F(TextTest, TextPathAsClip) {
  SelectObject(Dc, MakeFont(-60, FW_BOLD));
  TextOutW(Dc, 20, 10, u"O", 1);
  const TInk drawn = Ink();
  const int cx = (drawn.Left + drawn.Right) / 2, cy = (drawn.Top + drawn.Bottom) / 2;
  Clear();
  SaveDC(Dc);
  BeginPath(Dc);
  TextOutW(Dc, 20, 10, u"O", 1);
  EndPath(Dc);
  ASSERT_TRUE(SelectClipPath(Dc, RGN_AND));
  RECT all{0, 0, W, H};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(Dc, &all, blue);
  DeleteObject(blue);
  RestoreDC(Dc, -1);
  const TInk filled = Ink();
  EXPECT_NEAR(filled.Left, drawn.Left, 1);
  EXPECT_NEAR(filled.Right, drawn.Right, 1);
  EXPECT_NEAR(filled.Top, drawn.Top, 1);
  EXPECT_NEAR(filled.Bottom, drawn.Bottom, 1);
  EXPECT_EQ(Px(cx, cy), 0xFFFFFFu);           // the counter
  EXPECT_EQ(Px(drawn.Left + 3, cy), 0x0000FFu);  // the ring
  EXPECT_EQ(Px(0, 0), 0xFFFFFFu);
  // The clip went with RestoreDC: a fill now covers everything.
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
  FillRect(Dc, &all, black);
  DeleteObject(black);
  EXPECT_EQ(Px(cx, cy), 0u);
}

// A clip taken from a text path meets what clips the DC already, follows the
// viewport origin like the drawn text, and an empty text leaves nothing to
// paint (not the whole surface).
TEST_F(TextTest, TextPathClipWithOtherState) {
  struct Case {
    const char* Name;
    const char16_t* Text;
    POINT Viewport;
    bool LeftHalfClip;  // a clip rectangle over the left half of the letter first
  };
  const Case cases[] = {
      {"plain", u"O", {0, 0}, false},
      {"an existing clip", u"O", {0, 0}, true},
      {"a moved viewport", u"O", {30, 12}, false},
      {"empty text", u"", {0, 0}, false},
  };
  SelectObject(Dc, MakeFont(-60, FW_BOLD));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const int len = int(std::char_traits<char16_t>::length(c.Text));
    SaveDC(Dc);
    SetViewportOrgEx(Dc, c.Viewport.x, c.Viewport.y, nullptr);
    Clear();
    TextOutW(Dc, 20, 10, c.Text, len);
    TInk expected = Ink();
    const int mid = expected.Empty() ? 0 : (expected.Left + expected.Right) / 2;
    if (c.LeftHalfClip) {
      IntersectClipRect(Dc, 0 - c.Viewport.x, 0 - c.Viewport.y, mid - c.Viewport.x, H - c.Viewport.y);
      expected = Ink(White, RECT{0, 0, mid, H});
    }
    Clear();
    BeginPath(Dc);
    TextOutW(Dc, 20, 10, c.Text, len);
    EndPath(Dc);
    SelectClipPath(Dc, RGN_AND);
    RECT all{-c.Viewport.x, -c.Viewport.y, W - c.Viewport.x, H - c.Viewport.y};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(Dc, &all, blue);
    DeleteObject(blue);
    RestoreDC(Dc, -1);
    const TInk filled = Ink();
    ASSERT_EQ(filled.Empty(), expected.Empty());
    if (expected.Empty()) continue;
    EXPECT_NEAR(filled.Left, expected.Left, 1);
    EXPECT_NEAR(filled.Right, expected.Right, 1);
    EXPECT_NEAR(filled.Top, expected.Top, 1);
    EXPECT_NEAR(filled.Bottom, expected.Bottom, 1);
  }
}

// DrawText's accelerator underline joins the path as a bar under the letter.
TEST_F(TextTest, DrawTextPrefixUnderlineJoinsThePath) {
  SelectObject(Dc, MakeFont(-30));
  RECT r{10, 10, 200, 100};
  BeginPath(Dc);
  DrawTextW(Dc, u"&l", 2, &r, DT_LEFT | DT_TOP);
  EndPath(Dc);
  HRGN withBar = PathToRegion(Dc);
  BeginPath(Dc);
  DrawTextW(Dc, u"l", 1, &r, DT_LEFT | DT_TOP);
  EndPath(Dc);
  HRGN plain = PathToRegion(Dc);
  ASSERT_TRUE(withBar && plain);
  RECT a{}, b{};
  GetRgnBox(withBar, &a);
  GetRgnBox(plain, &b);
  EXPECT_GT(a.bottom, b.bottom);  // the bar lies below the letter
  EXPECT_TRUE(Ink().Empty());
  DeleteObject(withBar);
  DeleteObject(plain);
}

// ---------------------------------------------------------------------------
// Tabbed text

TEST_F(TextTest, TabbedExtent) {
  Select(-11);
  const int ave = Metrics().tmAveCharWidth, h = Metrics().tmHeight, b = Width(u"b");
  struct {
    const char16_t* Text;
    std::vector<INT> Tabs;
    int Width;
  } cases[] = {
      {u"a\tb", {}, 8 * ave + b},
      {u"a\tb", {50}, 50 + b},
      {u"a\t\tb", {50}, 100 + b},
      {u"a\tb\tb", {20, 60}, 60 + b},
      // past the last stop: every 8 average widths from the origin
      {u"a\tb\tb\tb", {20, 60}, ((60 + b) / (8 * ave) + 1) * 8 * ave + b},
      {u"abc", {}, Width(u"abc")},
      {u"", {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Text, c.Text + std::char_traits<char16_t>::length(c.Text)));
    DWORD r = GetTabbedTextExtentW(Dc, c.Text, int(std::char_traits<char16_t>::length(c.Text)),
                                   int(c.Tabs.size()), c.Tabs.empty() ? nullptr : c.Tabs.data());
    EXPECT_EQ(int(r & 0xFFFF), c.Width);
    EXPECT_EQ(int(r >> 16), h);
  }
  // The width is a 16-bit field: the text engine corrects for the overflow.
  std::u16string wide(8000, u'W');
  DWORD r = GetTabbedTextExtentW(Dc, wide.data(), int(wide.size()), 0, nullptr);
  EXPECT_EQ(r & 0xFFFF, DWORD(Width(wide)) & 0xFFFF);
  EXPECT_GT(Width(wide), 65535);
  EXPECT_EQ(GetTabbedTextExtentW(Dc, u"abc", -1, 0, nullptr), 0u);
}

TEST_F(TextTest, TabbedTextOutDrawsAtTheStops) {
  Select(-11);
  INT tab = 100;
  LONG r = TabbedTextOutW(Dc, 10, 10, u"l\tl", 3, 1, &tab, 10);
  EXPECT_EQ(r & 0xFFFF, 100 + Width(u"l"));
  TInk second = Ink(White, RECT{60, 0, W, H});
  ASSERT_FALSE(second.Empty());
  TInk first = Ink(White, RECT{0, 0, 60, H});
  EXPECT_EQ(second.Left - first.Left, 100);
}

// ---------------------------------------------------------------------------
// DrawText

class DrawTextTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    if (IsSkipped()) return;
    Select(-11);
    Lh = Metrics().tmHeight;
  }
  // DrawText with DT_CALCRECT from a rectangle of the given width.
  RECT Calc(const std::u16string& s, UINT format, int width = 1000, int* result = nullptr) {
    RECT r{10, 20, 10 + width, 20};
    int h = DrawTextW(Dc, s.data(), int(s.size()), &r, format | DT_CALCRECT);
    if (result) *result = h;
    return r;
  }
  int Lh = 0;
};

TEST_F(DrawTextTest, CalcRectSingleLine) {
  int h = 0;
  RECT r = Calc(u"Hello world", DT_SINGLELINE, 5, &h);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 10 + Width(u"Hello world"));
  EXPECT_EQ(r.bottom, 20 + Lh);
  EXPECT_EQ(h, Lh);
  // Without DT_SINGLELINE line breaks make lines.
  struct {
    const char16_t* Text;
    int Lines;
  } cases[] = {{u"a\r\nb", 2}, {u"a\n\rb", 2},     {u"a\rb", 2},
               {u"a\n\nb", 3}, {u"a\r\n\r\nb", 3}, {u"ab\n", 1}};
  for (const auto& c : cases) {
    RECT rc = Calc(c.Text, 0, 1000, &h);
    EXPECT_EQ(h, c.Lines * Lh) << c.Lines;
    EXPECT_EQ(rc.bottom - rc.top, c.Lines * Lh);
  }
  EXPECT_EQ(Calc(u"a\r\nb", DT_SINGLELINE).bottom - 20, Lh);
}

TEST_F(DrawTextTest, WordBreak) {
  const int aaa = Width(u"aaa"), space = Width(u" "), bbb = Width(u"bbb");
  // room for "aaa bbb" but not for "aaa bbb ccc"
  const int width = aaa + space + bbb + space;
  int h = 0;
  RECT r = Calc(u"aaa bbb ccc", DT_WORDBREAK, width, &h);
  EXPECT_EQ(h, 2 * Lh);
  EXPECT_EQ(r.right - r.left, aaa + space + bbb);  // the breaking blank is not counted
  // A word wider than the line stays whole and widens the rectangle...
  r = Calc(u"aaaaaaaaaaaa b", DT_WORDBREAK, aaa, &h);
  EXPECT_EQ(h, 2 * Lh);
  EXPECT_EQ(r.right - r.left, Width(u"aaaaaaaaaaaa"));
  // ...but an edit control breaks it inside.
  r = Calc(u"aaaaaaaaaaaa b", DT_WORDBREAK | DT_EDITCONTROL, aaa, &h);
  EXPECT_EQ(h, 5 * Lh);
  EXPECT_EQ(r.right - r.left, aaa);
  // A single line is never broken.
  r = Calc(u"aaa bbb ccc", DT_WORDBREAK | DT_SINGLELINE, width, &h);
  EXPECT_EQ(h, Lh);
  EXPECT_EQ(r.right - r.left, Width(u"aaa bbb ccc"));
  // In a 1 x 1 rectangle every word is a line: the width is the widest word.
  RECT one{0, 0, 1, 1};
  const std::u16string words = u"ab abcdef abc";
  DrawTextW(Dc, words.data(), -1, &one, DT_CALCRECT | DT_WORDBREAK | DT_NOFULLWIDTHCHARBREAK);
  EXPECT_EQ(one.right, Width(u"abcdef"));
  EXPECT_EQ(one.bottom, 3 * Lh);
}

TEST_F(DrawTextTest, LastLineRule) {
  const std::u16string text = u"1\n2\n3\n4\n5";
  // The rectangle holds two lines and a half.
  RECT r{0, 0, 100, Lh * 5 / 2};
  EXPECT_EQ(DrawTextW(Dc, text.data(), -1, &r, 0), 3 * Lh);  // the cut third line is drawn, clipped
  EXPECT_LE(Ink().Bottom, r.bottom);
  Clear();
  EXPECT_EQ(DrawTextW(Dc, text.data(), -1, &r, DT_EDITCONTROL), 2 * Lh);  // only whole lines
  EXPECT_LE(Ink().Bottom, 2 * Lh);
  // Without clipping every line is drawn.
  EXPECT_EQ(DrawTextW(Dc, text.data(), -1, &r, DT_NOCLIP), 5 * Lh);
  // Even a rectangle lower than a line draws the first line.
  RECT low{0, 0, 100, 3};
  EXPECT_EQ(DrawTextW(Dc, text.data(), -1, &low, DT_EDITCONTROL), Lh);
}

TEST_F(DrawTextTest, Placement) {
  const int w = Width(u"HH");
  RECT r{20, 10, 220, 110};
  struct {
    UINT Format;
    int Left, Top, Result;
  } cases[] = {
      {DT_SINGLELINE, 20, 10, Lh},
      {DT_SINGLELINE | DT_CENTER, (20 + 220 - w) / 2, 10, Lh},
      {DT_SINGLELINE | DT_RIGHT, 220 - w, 10, Lh},
      {DT_SINGLELINE | DT_VCENTER, 20, 10 + (100 - Lh) / 2, (100 - Lh) / 2 + Lh},
      {DT_SINGLELINE | DT_BOTTOM, 20, 110 - Lh, 100},
      {DT_VCENTER, 20, 10, Lh},  // vertical placement needs a single line
  };
  RECT cell{0, 0, 40, 40};
  DrawTextW(Dc, u"HH", 2, &cell, DT_SINGLELINE);
  const TInk ref = Ink();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Format);
    Clear();
    RECT rc = r;
    EXPECT_EQ(DrawTextW(Dc, u"HH", -1, &rc, c.Format), c.Result);
    EXPECT_TRUE(EqualRect(&rc, &r));
    TInk k = Ink();
    EXPECT_EQ(k.Left - ref.Left, c.Left);
    EXPECT_EQ(k.Top - ref.Top, c.Top);
  }
}

TEST_F(DrawTextTest, Clipping) {
  RECT r{10, 10, 30, 30};
  DrawTextW(Dc, u"WWWWWWWW", -1, &r, DT_SINGLELINE);
  EXPECT_LE(Ink().Right, 30);
  Clear();
  DrawTextW(Dc, u"WWWWWWWW", -1, &r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(Ink().Right, 30);
}

TEST_F(DrawTextTest, Ellipses) {
  struct {
    const char16_t* Text;
    UINT Format;
    int Width;  // in "W"s
    const char16_t* Shown;
  } cases[] = {
      {u"abcdefghijklmnop", DT_SINGLELINE | DT_END_ELLIPSIS, 4, nullptr},
      {u"abcdefghijklmnop", DT_SINGLELINE | DT_WORD_ELLIPSIS, 4, nullptr},
      {u"short", DT_SINGLELINE | DT_END_ELLIPSIS, 20, u"short"},
      {u"C:\\folder\\sub\\file.txt", DT_SINGLELINE | DT_PATH_ELLIPSIS, 6, nullptr},
      {u"line1\nline2\nline3", DT_END_ELLIPSIS | DT_EDITCONTROL, 20, u"line1..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Text, c.Text + std::char_traits<char16_t>::length(c.Text)));
    const int width = c.Width * Width(u"W");
    WCHAR buf[64] = {};
    std::char_traits<char16_t>::copy(buf, c.Text, std::char_traits<char16_t>::length(c.Text));
    RECT r{0, 0, width, Lh};
    DrawTextW(Dc, buf, -1, &r, c.Format | DT_MODIFYSTRING);
    std::u16string shown = buf;
    EXPECT_LE(Width(shown), width);
    if (c.Shown) {
      EXPECT_EQ(shown, c.Shown);
    } else if (c.Format & DT_PATH_ELLIPSIS) {
      EXPECT_NE(shown.find(u"..."), std::u16string::npos);
      EXPECT_EQ(shown.substr(shown.size() - 9), u"\\file.txt");
    } else {
      EXPECT_EQ(shown.substr(shown.size() - 3), u"...");
      EXPECT_EQ(std::u16string(c.Text).substr(0, shown.size() - 3), shown.substr(0, shown.size() - 3));
      // as many characters as fit
      std::u16string more = std::u16string(c.Text).substr(0, shown.size() - 2) + u"...";
      EXPECT_GT(Width(more), width);
    }
    TInk k = Ink();
    EXPECT_LE(k.Right, width);
    Clear();
  }
}

TEST_F(DrawTextTest, Prefixes) {
  const int file = Width(u"File");
  EXPECT_EQ(Calc(u"&File", DT_SINGLELINE).right - 10, file);
  EXPECT_EQ(Calc(u"&File", DT_SINGLELINE | DT_NOPREFIX).right - 10, Width(u"&File"));
  EXPECT_EQ(Calc(u"A&&B", DT_SINGLELINE).right - 10, Width(u"A&B"));
  EXPECT_EQ(Calc(u"AB&", DT_SINGLELINE).right - 10, Width(u"AB&"));  // a last "&" is shown

  TEXTMETRICW tm = Metrics();
  const int underRow = 10 + tm.tmAscent + 1;
  RECT r{10, 10, 200, 40};
  DrawTextW(Dc, u"F&ile", -1, &r, DT_SINGLELINE);
  // the underline runs under "i", one pixel short of its advance
  const int x0 = 10 + Width(u"F"), x1 = 10 + Width(u"Fi") - 1;
  for (int x = x0; x < x1; ++x) EXPECT_EQ(Px(x, underRow), 0u) << x;
  EXPECT_NE(Px(x0 - 1, underRow), 0u);

  Clear();
  DrawTextW(Dc, u"F&ile", -1, &r, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_NE(Px(x0 + 1, underRow), 0u);
  EXPECT_FALSE(Ink().Empty());

  Clear();
  DrawTextW(Dc, u"F&ile", -1, &r, DT_SINGLELINE | DT_PREFIXONLY);
  TInk k = Ink();
  EXPECT_EQ(k.Top, underRow);
  EXPECT_EQ(k.Height(), 1);
  EXPECT_EQ(k.Left, x0);
  EXPECT_EQ(k.Right, x1);
}

TEST_F(DrawTextTest, Tabs) {
  const int ave = Metrics().tmAveCharWidth, b = Width(u"b");
  EXPECT_EQ(Calc(u"a\tb", DT_SINGLELINE | DT_EXPANDTABS).right - 10, 8 * ave + b);
  // Without expansion a tab is a character like another.
  EXPECT_EQ(Calc(u"a\tb", DT_SINGLELINE).right - 10, Width(u"a\tb"));

  // DrawTextEx takes the tab length from its parameters and keeps every flag.
  DRAWTEXTPARAMS p{sizeof(DRAWTEXTPARAMS), 2, 0, 0, 0};
  WCHAR text[] = u"&&\tb";
  RECT r{0, 0, 1000, 0};
  DrawTextExW(Dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | DT_NOPREFIX, &p);
  EXPECT_EQ(r.right, (Width(u"&&") / (2 * ave) + 1) * 2 * ave + b);

  // The second segment is drawn at the stop; DrawText takes the tab length
  // from the format's second byte.
  struct {
    UINT Format;
    int Stop;
  } cases[] = {{DT_EXPANDTABS, 8 * ave}, {DT_EXPANDTABS | DT_TABSTOP | (4 << 8), 4 * ave}};
  for (const auto& c : cases) {
    Clear();
    RECT d{10, 10, 200, 40};
    DrawTextW(Dc, u"l\tl", -1, &d, DT_SINGLELINE | c.Format);
    TInk first = Ink(White, RECT{0, 0, 10 + 2 * ave, H}), second = Ink(White, RECT{10 + 2 * ave, 0, W, H});
    ASSERT_FALSE(second.Empty());
    EXPECT_EQ(second.Left - first.Left, c.Stop);
  }
}

TEST_F(DrawTextTest, Margins) {
  DRAWTEXTPARAMS p{sizeof(DRAWTEXTPARAMS), 0, 7, 5, 0};
  WCHAR text[] = u"Hello";
  RECT r{10, 10, 10, 10};
  int h = DrawTextExW(Dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE, &p);
  EXPECT_EQ(h, Lh);
  EXPECT_EQ(r.right - r.left, 7 + Width(u"Hello") + 5);
  EXPECT_EQ(p.uiLengthDrawn, 5u);

  RECT a{10, 10, 200, 40};
  DrawTextExW(Dc, text, -1, &a, DT_SINGLELINE, &p);
  const int left = Ink().Left;
  Clear();
  RECT b{10, 10, 200, 40};
  DrawTextW(Dc, text, -1, &b, DT_SINGLELINE);
  EXPECT_EQ(left - Ink().Left, 7);
  Clear();
  DrawTextExW(Dc, text, -1, &a, DT_SINGLELINE | DT_RIGHT, &p);
  TInk right = Ink();
  Clear();
  DrawTextW(Dc, text, -1, &b, DT_SINGLELINE | DT_RIGHT);
  EXPECT_EQ(Ink().Left - right.Left, 5);

  // Only the lines drawn count.
  WCHAR lines[] = u"ab\ncd\nef";
  RECT two{0, 0, 100, 2 * Lh};
  DrawTextExW(Dc, lines, -1, &two, DT_EDITCONTROL, &p);
  EXPECT_EQ(p.uiLengthDrawn, 6u);
}

TEST_F(DrawTextTest, BadInput) {
  RECT r{10, 10, 100, 100};
  int h = -1;
  RECT e = Calc(u"", 0, 50, &h);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(e.right, 10);
  EXPECT_EQ(e.bottom, 20);
  e = Calc(u"", DT_SINGLELINE, 50, &h);
  EXPECT_EQ(e.bottom, 20 + Lh);
  EXPECT_EQ(DrawTextW(Dc, u"abc", 3, nullptr, 0), 0);
  EXPECT_EQ(DrawTextW(Dc, nullptr, 3, &r, 0), 0);
  EXPECT_EQ(DrawTextW(nullptr, u"abc", 3, &r, 0), 0);
  EXPECT_EQ(DrawTextW(Dc, u"abc", -7, &r, DT_CALCRECT | DT_SINGLELINE), Lh);  // any negative: zero-terminated
  EXPECT_EQ(r.right, 10 + Width(u"abc"));
  EXPECT_TRUE(Ink().Empty());
  // Inverted and empty rectangles draw nothing but still measure.
  RECT inv{100, 100, 10, 10};
  EXPECT_GT(DrawTextW(Dc, u"a b c", -1, &inv, DT_WORDBREAK), 0);
  EXPECT_TRUE(Ink().Empty());
  // Long texts.
  std::u16string longText(100000, u'a');
  for (size_t i = 7; i < longText.size(); i += 9) longText[i] = u' ';
  RECT lr{0, 0, 200, 0};
  EXPECT_GT(DrawTextW(Dc, longText.data(), int(longText.size()), &lr, DT_CALCRECT | DT_WORDBREAK), 1000 * Lh);
  RECT sl{0, 0, 200, 50};
  EXPECT_EQ(DrawTextW(Dc, longText.data(), int(longText.size()), &sl, DT_SINGLELINE | DT_END_ELLIPSIS), Lh);
}

// ---------------------------------------------------------------------------
// System fonts

TEST(SystemFonts, NonClientMetrics) {
  NONCLIENTMETRICSW m{};
  m.cbSize = sizeof m;
  ASSERT_TRUE(SystemFontParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0));
  for (const LOGFONTW* lf :
       {&m.lfCaptionFont, &m.lfSmCaptionFont, &m.lfMenuFont, &m.lfStatusFont, &m.lfMessageFont}) {
    EXPECT_EQ(std::u16string(lf->lfFaceName), u"Segoe UI");
    EXPECT_EQ(lf->lfHeight, -12);
    EXPECT_EQ(lf->lfWeight, FW_NORMAL);
  }
  EXPECT_EQ(m.iScrollWidth, 17);
  EXPECT_EQ(m.iSmCaptionHeight, 20);

  NONCLIENTMETRICSW old{};
  old.cbSize = sizeof old - sizeof(int);  // without the padded border
  old.iPaddedBorderWidth = 77;
  ASSERT_TRUE(SystemFontParametersInfoW(SPI_GETNONCLIENTMETRICS, old.cbSize, &old, 0));
  EXPECT_EQ(old.iPaddedBorderWidth, 77);
  NONCLIENTMETRICSW bad{};
  bad.cbSize = 12;
  EXPECT_FALSE(SystemFontParametersInfoW(SPI_GETNONCLIENTMETRICS, 12, &bad, 0));
  EXPECT_FALSE(SystemFontParametersInfoW(SPI_GETNONCLIENTMETRICS, 0, nullptr, 0));

  LOGFONTW icon{};
  ASSERT_TRUE(SystemFontParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof icon, &icon, 0));
  EXPECT_EQ(icon.lfHeight, -12);
  EXPECT_FALSE(SystemFontParametersInfoW(0x1234, 0, &icon, 0));
}

}  // namespace
