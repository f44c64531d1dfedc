// Reference pictures: a few scenes drawn by the graphics layer (primitives and
// raster operations, text, theme parts) compared with PNG files kept under
// tests/platform/win/reference, which were reviewed by eye. They catch visual
// regressions that the exact pixel tests do not name. Run with
// CL_UPDATE_REFERENCES=1 to write new references after a deliberate change
// (and look at them before committing); a mismatch leaves the picture drawn
// in the test-tmp folder.
#include <gtest/gtest-spi.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/win/FontMap.h"
#include "platform/win/GdiText.h"
#include "platform/win/ImageCodecs.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"
#include "tests/platform/win/GdiFixture.h"
#include "tests/support/ReferencePictures.h"

namespace {

using namespace gditest;

const char* const TestFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string ReferencePath(const std::string& name) {
  return std::string(CL_SOURCE_DIR) + "/tests/platform/win/reference/" + name + ".png";
}

void ExpectMatchesReference(const TCanvas& c, const std::string& name) {
  testing_support::ExpectMatchesReference(c.Bits, c.W, c.H, ReferencePath(name), name);
}

void ShapesAndRasterOperations(HDC dc) {
  // pens: solid widths, dotted, and a line drawn with R2_NOT over a fill
  for (int i = 0; i < 4; ++i) {
    HPEN pen = CreatePen(i == 3 ? PS_DOT : PS_SOLID, i == 3 ? 1 : i + 1, RGB(40 * i, 0, 160));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, 8, 8 + 8 * i, nullptr);
    LineTo(dc, 88, 14 + 8 * i);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  RECT band{8, 44, 88, 56};
  HBRUSH green = CreateSolidBrush(RGB(0, 150, 0));
  FillRect(dc, &band, green);
  SetROP2(dc, R2_NOT);
  MoveToEx(dc, 8, 50, nullptr);
  LineTo(dc, 88, 50);
  SetROP2(dc, R2_COPYPEN);

  // filled shapes with outlines
  HBRUSH yellow = CreateSolidBrush(RGB(240, 200, 0));
  HGDIOBJ oldBrush = SelectObject(dc, yellow);
  Rectangle(dc, 100, 8, 140, 36);
  RoundRect(dc, 148, 8, 188, 36, 12, 12);
  Ellipse(dc, 196, 8, 236, 36);
  Pie(dc, 100, 42, 140, 80, 140, 60, 120, 42);
  const POINT star[] = {{168, 42}, {178, 78}, {150, 54}, {186, 54}, {158, 78}};
  SetPolyFillMode(dc, ALTERNATE);
  Polygon(dc, star, 5);
  POINT star2[5];
  for (int i = 0; i < 5; ++i) star2[i] = POINT{star[i].x + 48, star[i].y};
  SetPolyFillMode(dc, WINDING);
  Polygon(dc, star2, 5);
  SelectObject(dc, oldBrush);

  // hatched brushes, then PATINVERT and DSTINVERT over them
  const int hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
  for (int i = 0; i < 6; ++i) {
    HBRUSH h = CreateHatchBrush(hatches[i], RGB(0, 0, 200));
    RECT r{8 + 20 * i, 88, 26 + 20 * i, 106};
    FillRect(dc, &r, h);
    DeleteObject(h);
  }
  HGDIOBJ ob = SelectObject(dc, green);
  PatBlt(dc, 8, 98, 60, 14, PATINVERT);
  SelectObject(dc, ob);
  PatBlt(dc, 68, 98, 60, 14, DSTINVERT);

  // gradients and a constant-alpha blend
  TRIVERTEX v[4] = {{136, 88, 0xFF00, 0, 0, 0}, {184, 112, 0, 0, 0xFF00, 0},
                    {188, 88, 0, 0xFF00, 0, 0}, {236, 112, 0xFF00, 0xFF00, 0xFF00, 0}};
  GRADIENT_RECT g[2] = {{0, 1}, {2, 3}};
  GradientFill(dc, v, 4, &g[0], 1, GRADIENT_FILL_RECT_H);
  GradientFill(dc, v, 4, &g[1], 1, GRADIENT_FILL_RECT_V);
  HDC src = CreateCompatibleDC(dc);
  HBITMAP sb = CreateCompatibleBitmap(dc, 40, 20);
  HGDIOBJ os = SelectObject(src, sb);
  RECT sr{0, 0, 40, 20};
  HBRUSH red = CreateSolidBrush(RGB(220, 0, 0));
  FillRect(src, &sr, red);
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 128, 0};
  AlphaBlend(dc, 160, 80, 40, 20, src, 0, 0, 40, 20, bf);
  SelectObject(src, os);
  DeleteObject(sb);
  DeleteDC(src);

  // the user32 helpers: edges, focus rectangle, frame controls
  RECT e1{8, 120, 40, 148}, e2{48, 120, 80, 148}, f{88, 120, 120, 148};
  DrawEdge(dc, &e1, EDGE_RAISED, BF_RECT);
  DrawEdge(dc, &e2, EDGE_SUNKEN, BF_RECT);
  DrawFocusRect(dc, &f);
  RECT c1{128, 124, 141, 137}, c2{148, 124, 161, 137}, c3{168, 122, 184, 138}, c4{192, 122, 208, 138};
  DrawFrameControl(dc, &c1, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  DrawFrameControl(dc, &c2, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
  DrawFrameControl(dc, &c3, DFC_SCROLL, DFCS_SCROLLUP);
  DrawFrameControl(dc, &c4, DFC_SCROLL, DFCS_SCROLLRIGHT | DFCS_INACTIVE);

  DeleteObject(red);
  DeleteObject(yellow);
  DeleteObject(green);
}

void Text(HDC dc) {
  auto font = [](int height, int weight, int escapement = 0, BOOL underline = FALSE) {
    return CreateFontW(height, 0, escapement, escapement, weight, FALSE, underline, FALSE, DEFAULT_CHARSET, 0, 0,
                       ANTIALIASED_QUALITY, 0, u"Tahoma");
  };
  HFONT normal = font(-11, FW_NORMAL), bold = font(-14, FW_BOLD), turned = font(-11, FW_NORMAL, 900);
  HGDIOBJ old = SelectObject(dc, normal);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutW(dc, 8, 6, u"Kontör yükleme: 1.234,50 TL", 27);
  SelectObject(dc, bold);
  SetTextColor(dc, RGB(0, 0, 160));
  TextOutW(dc, 8, 22, u"Sayaç Kartı ĞÜŞİÖÇ", 18);

  SelectObject(dc, normal);
  SetTextColor(dc, RGB(0, 0, 0));
  RECT wrap{8, 44, 120, 100};
  FrameRect(dc, &wrap, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  DrawTextW(dc, u"Kart okuyucu bağlı değil; lütfen kabloyu ve bağlantı noktasını denetleyin.", -1, &wrap,
            DT_WORDBREAK | DT_EDITCONTROL);
  RECT ell{128, 44, 232, 60};
  FrameRect(dc, &ell, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  DrawTextW(dc, u"Uzun bir sütun başlığı kısaltılır", -1, &ell, DT_SINGLELINE | DT_END_ELLIPSIS | DT_VCENTER);
  RECT pre{128, 64, 232, 80};
  DrawTextW(dc, u"&Dosya  &&  A&yarlar", -1, &pre, DT_SINGLELINE | DT_CENTER);
  RECT tabs{128, 84, 232, 100};
  DrawTextW(dc, u"1\t22\t333", -1, &tabs, DT_SINGLELINE | DT_EXPANDTABS);

  // opaque, clipped ExtTextOut and rotated text
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 180));
  RECT clip{8, 108, 90, 124};
  ExtTextOutW(dc, 10, 110, ETO_OPAQUE | ETO_CLIPPED, &clip, u"Kırpılan metin örneği", 21, nullptr);
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, turned);
  SetTextColor(dc, RGB(160, 0, 0));
  TextOutW(dc, 236, 150, u"Döndürülmüş", 11);

  SelectObject(dc, old);
  DeleteObject(normal);
  DeleteObject(bold);
  DeleteObject(turned);
}

void ThemeParts(HDC dc) {
  struct TPart {
    const char16_t* Class;
    int Part, State;
    RECT Rect;
  };
  const TPart parts[] = {
      {u"Button", BP_PUSHBUTTON, PBS_NORMAL, {8, 8, 64, 30}},
      {u"Button", BP_PUSHBUTTON, PBS_HOT, {72, 8, 128, 30}},
      {u"Button", BP_PUSHBUTTON, PBS_PRESSED, {136, 8, 192, 30}},
      {u"Button", BP_PUSHBUTTON, PBS_DISABLED, {200, 8, 248, 30}},
      {u"Button", BP_CHECKBOX, CBS_CHECKEDNORMAL, {8, 40, 21, 53}},
      {u"Button", BP_CHECKBOX, CBS_UNCHECKEDHOT, {28, 40, 41, 53}},
      {u"Button", BP_RADIOBUTTON, RBS_CHECKEDNORMAL, {48, 40, 61, 53}},
      {u"Button", BP_GROUPBOX, GBS_NORMAL, {72, 40, 128, 76}},
      {u"Header", HP_HEADERITEM, HIS_NORMAL, {136, 40, 192, 60}},
      {u"Header", HP_HEADERITEM, HIS_HOT, {192, 40, 248, 60}},
      {u"ScrollBar", SBP_ARROWBTN, ABS_UPNORMAL, {8, 84, 25, 101}},
      {u"ScrollBar", SBP_THUMBBTNVERT, SCRBS_NORMAL, {8, 101, 25, 130}},
      {u"ScrollBar", SBP_LOWERTRACKVERT, SCRBS_NORMAL, {8, 130, 25, 140}},
      {u"ScrollBar", SBP_ARROWBTN, ABS_DOWNNORMAL, {8, 140, 25, 157}},
      {u"Tab", TABP_TOPTABITEM, TIS_SELECTED, {40, 84, 96, 106}},
      {u"Tab", TABP_TABITEM, TIS_NORMAL, {96, 88, 152, 106}},
      {u"Tab", TABP_PANE, 0, {40, 106, 248, 150}},
      {u"Progress", PP_BAR, 0, {160, 114, 240, 128}},
      {u"Progress", PP_CHUNK, 0, {163, 117, 200, 125}},
      {u"ToolBar", TP_BUTTON, TS_HOT, {48, 116, 72, 140}},
      {u"ToolBar", TP_BUTTON, TS_CHECKED, {76, 116, 100, 140}},
  };
  for (const TPart& p : parts) {
    HTHEME th = OpenThemeData(nullptr, p.Class);
    ASSERT_NE(th, nullptr);
    EXPECT_EQ(DrawThemeBackground(th, dc, p.Part, p.State, &p.Rect, nullptr), S_OK);
    CloseThemeData(th);
  }
}

class ReferencePictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(TestFontFile, R_OK) != 0) GTEST_SKIP() << "test font missing: " << TestFontFile;
    fontmap::SetFontFileOverride(TestFontFile);
  }
  void TearDown() override { fontmap::SetFontFileOverride(""); }
};

TEST_F(ReferencePictureTest, ScenesLookAsReviewed) {
  struct TScene {
    const char* Name;
    std::function<void(HDC)> Draw;
  };
  const TScene scenes[] = {
      {"shapes", ShapesAndRasterOperations},
      {"text", Text},
      {"themes", ThemeParts},
  };
  for (const TScene& s : scenes) {
    SCOPED_TRACE(s.Name);
    TCanvas c(256, 160, RGB(255, 255, 255));
    s.Draw(c.DC);
    ExpectMatchesReference(c, s.Name);
  }
}

// The comparison is exact: a short one-pixel line, one pixel of
// another colour and a shade one step off all fail; the same pixels pass.
TEST(ReferencePictureComparison, ALinePixelOrShadeDifferenceFails) {
  if (std::getenv("CL_UPDATE_REFERENCES")) GTEST_SKIP() << "references are being written";
  const int w = 600, h = 40;
  std::vector<uint32_t> picture(size_t(w) * h, 0xFFF0F0F0u);
  for (int x = 100; x < 140; ++x) picture[size_t(20 * w + x)] = 0xFF3366CCu;
  const char* tmp = std::getenv("CL_TEST_TMP");
  const std::string path = std::string(tmp ? tmp : "/tmp") + "/comparison-reference.png";
  {
    const std::vector<uint8_t> png = win::EncodePng(picture.data(), w, h, w, false);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
  }
  testing_support::ExpectMatchesReference(picture.data(), w, h, path, "comparison-same");
  struct TCase {
    const char* Name;
    std::function<void(std::vector<uint32_t>&)> Change;
  };
  const TCase cases[] = {
      {"line", [&](std::vector<uint32_t>& p) {
         for (int x = 200; x < 240; ++x) p[size_t(30 * w + x)] = 0xFF000000u;
       }},
      {"pixel", [&](std::vector<uint32_t>& p) { p[size_t(5 * w + 7)] = 0xFF0000FFu; }},
      {"shade", [&](std::vector<uint32_t>& p) { p[size_t(20 * w + 120)] = 0xFF3366CDu; }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<uint32_t> changed = picture;
    c.Change(changed);
    EXPECT_NONFATAL_FAILURE(testing_support::ExpectMatchesReference(changed.data(), w, h, path, "comparison-changed"),
                            "pixels differ");
  }
  std::remove(path.c_str());
}

}  // namespace
