// A memory DC with the fixed test font (DejaVu Sans for every face name), for
// the text layout engine's tests and reference pictures.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "lib/foundation/vlTextLayout.h"
#include "platform/win/FontMap.h"
#include "platform/win/GdiText.h"
#include "tests/platform/win/GdiFixture.h"

class TextLayoutFixture : public ::testing::Test {
 protected:
  static constexpr const char* TestFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

  void SetUp() override {
    if (access(TestFontFile, R_OK) != 0) GTEST_SKIP() << "test font missing: " << TestFontFile;
    win::fontmap::SetFontFileOverride(TestFontFile);
    Canvas = std::make_unique<gditest::TCanvas>(320, 200);
    DC = Canvas->DC;
    UseFont(-11);
  }
  void TearDown() override {
    if (!DC) return;
    win::SelectObject(DC, win::GetStockObject(win::SYSTEM_FONT));
    for (win::HFONT f : Fonts) win::DeleteObject(f);
    Canvas.reset();
    win::fontmap::SetFontFileOverride("");
  }
  void UseFont(int AHeight, int AWeight = 400) {
    win::HFONT f = win::CreateFontW(AHeight, 0, 0, 0, AWeight, 0, 0, 0, 1, 0, 0, 0, 0, u"Tahoma");
    Fonts.push_back(f);
    win::SelectObject(DC, f);
  }
  int Width(const String& AText) {
    win::SIZE s{};
    win::GetTextExtentPoint32W(DC, AText.c_str(), int(AText.size()), &s);
    return s.cx;
  }
  // The rows the engine builds for the text in a rectangle AWidth wide.
  std::vector<String> Rows(const String& AText, int AWidth, Cardinal AFormat, int AHeight = 10000,
                           bool* AFits = nullptr) {
    TvlTextParams p = vlGetTextParamsForDC(DC, AFormat);
    TvlTextRows rows;
    Integer count = 0;
    bool fits = vlBuildTextRows(DC, AText.data(), Integer(AText.size()), 0, count, rows, p,
                                TRect{0, 0, AWidth, AHeight});
    if (AFits) *AFits = fits;
    std::vector<String> result;
    for (Integer i = 0; i < count; ++i) {
      TvlTextRow* r = vlGetTextRow(rows, i);
      result.emplace_back(r->Text, size_t(r->TextLength));
    }
    return result;
  }

  std::unique_ptr<gditest::TCanvas> Canvas;
  win::HDC DC{};
  std::vector<win::HFONT> Fonts;
};
