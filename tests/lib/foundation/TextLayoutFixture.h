// A memory DC with the fixed test font (DejaVu Sans for every face name), for
// the text layout engine's tests and reference pictures.
#pragma once

#include <string>
#include <vector>

#include "lib/foundation/vlTextLayout.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/FontMap.h"
#include "platform/win/GdiText.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/platform/win/GdiFixture.h"

// Compares what a DIB canvas shows with its reference picture.
inline void ExpectPictureMatches(const gditest::TCanvas& APicture, const std::string& AName) {
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(APicture.W, APicture.H);
  win::BitBlt(bitmap->Canvas()->Handle(), 0, 0, APicture.W, APicture.H, APicture.DC, 0, 0, win::SRCCOPY);
  foundation_test::ExpectMatchesReference(bitmap, AName);
  Free(bitmap);
}

class TextLayoutFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the test font is missing";
    Font = std::make_unique<foundation_test::TReferenceFont>();
    Canvas = std::make_unique<gditest::TCanvas>(320, 200);
    DC = Canvas->DC;
    UseFont(-11);
  }
  void TearDown() override {
    if (!DC) return;
    win::SelectObject(DC, win::GetStockObject(win::SYSTEM_FONT));
    for (win::HFONT f : Fonts) win::DeleteObject(f);
    Canvas.reset();
    Font.reset();
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

  std::unique_ptr<foundation_test::TReferenceFont> Font;
  std::unique_ptr<gditest::TCanvas> Canvas;
  win::HDC DC{};
  std::vector<win::HFONT> Fonts;
};
