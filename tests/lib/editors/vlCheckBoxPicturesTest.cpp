// Reference pictures of the check marks in every look and state, of Boolean
// cells painted through the check box's properties alone (as a grid paints
// them), and of the label's effects. Looked at before kept
// (docs/check-box-and-label.md describes what each shows).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/editors/vlCheckBox.h"
#include "lib/editors/vlLabel.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/nbSkinsLookAndFeelPainter.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/editors/EditorPicture.h"

namespace {

using editors_test::ExpectPicture;

const TvlEditCheckState kEditStates[] = {ecsNormal, ecsHot, ecsPressed, ecsDisabled};
const TvlCheckBoxState kStates[] = {cbsUnchecked, cbsChecked, cbsGrayed};

class CheckBoxPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Bitmap = New<TBitmap>();
    Bitmap->SetPixelFormat(pf32bit);
    Canvas = New<TvlCanvas>(Bitmap->Canvas());
  }
  void TearDown() override {
    Free(Canvas);
    Free(Bitmap);
  }
  void Begin(int AWidth, int AHeight) {
    Bitmap->SetSize(AWidth, AHeight);
    Canvas->FillRect(TRect{0, 0, AWidth, AHeight}, clWhite);
  }
  TBitmap* Bitmap{};
  TvlCanvas* Canvas{};
};

// A strip of six 13 x 13 cells: unchecked, checked, grayed, then the same pressed.
TBitmap* MakeGlyphStrip() {
  TBitmap* strip = New<TBitmap>();
  strip->SetPixelFormat(pf32bit);
  strip->SetSize(6 * 13, 13);
  TCanvas* c = strip->Canvas();
  const TColor fills[] = {clWhite, clLime, clYellow, clSilver, clGreen, clOlive};
  for (int i = 0; i < 6; ++i) {
    // The corner colour (fuchsia) is the transparent one.
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect{i * 13, 0, i * 13 + 13, 13});
    c->Brush()->SetColor(clNavy);
    c->FillRect(TRect{i * 13 + 1, 1, i * 13 + 12, 12});
    c->Brush()->SetColor(fills[i]);
    c->FillRect(TRect{i * 13 + 2, 2, i * 13 + 11, 11});
  }
  strip->SetTransparent(false);
  return strip;
}

// Rows: ebsNone, ebsSingle, ebsThick, ebsFlat, ebs3D, ebsUltraFlat,
// ebsOffice11, the theme, the built-in skin's painter, a user glyph strip.
// Columns: unchecked, checked, grayed, each normal, hot, pressed, disabled.
TEST_F(CheckBoxPicturesTest, EveryCheckMarkInEveryLookAndState) {
  constexpr int kCell = 17, kRows = 10;
  Begin(12 * kCell + 4, kRows * kCell + 4);
  Canvas->FillRect(TRect{0, 0, Bitmap->Width(), Bitmap->Height()}, clBtnFace);
  TBitmap* strip = MakeGlyphStrip();
  Finally freeStrip([&] { Free(strip); });
  const TvlEditBorderStyle borders[] = {ebsNone, ebsSingle, ebsThick, ebsFlat, ebs3D, ebsUltraFlat, ebsOffice11};
  // Naming the class links the built-in skin's unit into this program.
  ASSERT_NE(ClassOf<TnbSkinsUserSkinPainter>(), nullptr);
  TvlEditStyle* skinned = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
  Finally freeSkinned([&] { Free(skinned); });
  skinned->LookAndFeel()->SetSkinName(u"UserSkin");
  TvlCustomLookAndFeelPainterClass skin = skinned->LookAndFeel()->SkinPainter();
  ASSERT_NE(skin, nullptr);
  for (int row = 0; row < kRows; ++row)
    for (int s = 0; s < 3; ++s)
      for (int e = 0; e < 4; ++e) {
        const int x = 2 + (s * 4 + e) * kCell + 2, y = 2 + row * kCell + 2;
        const TRect r{x, y, x + 13, y + 13};
        const Boolean native = row == 7;
        vlPaintCheckGlyph(Canvas, r, kStates[s], nssGrayedChecked, row == 8 ? skin : nullptr, true, false, false,
                          true, clWindow, clBlack, native, row < 7 ? borders[row] : ebsSingle, row == 9 ? 6 : 0,
                          row == 9 ? strip : nullptr, kEditStates[e]);
      }
  ExpectPicture(Bitmap, "check-marks", 3);
}

// Boolean cells of 60 x 18 painted through properties, view data and view
// info alone: in place (mark centred) and with a caption shown at the left,
// for False, True and Null; the last column disabled.
TEST_F(CheckBoxPicturesTest, BooleanCellsThroughTheViewInfo) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int kW = 60, kH = 18;
  Begin(4 * (kW + 4) + 4, 2 * (kH + 4) + 4);
  TvlCheckBoxProperties* props = New<TvlCheckBoxProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeProps([&] { Free(props); });
  TvlEditStyle* style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
  Finally freeStyle([&] { Free(style); });
  style->LookAndFeel()->SetNativeStyle(false);
  style->LookAndFeel()->SetKind(lfUltraFlat);
  style->SetEditBorderStyle(ebsUltraFlat);
  style->SetColor(clWindow);
  const Variant values[] = {Variant(false), Variant(true), Null(), Variant(true)};
  for (int row = 0; row < 2; ++row) {
    props->SetUseAlignmentWhenInplace(row == 1);
    for (int c = 0; c < 4; ++c) {
      TvlCustomCheckBoxViewInfo* info = static_cast<TvlCustomCheckBoxViewInfo*>(CreateFrom(props->GetViewInfoClass()));
      Finally freeInfo([&] { Free(info); });
      TvlCustomEditViewData* data = props->CreateViewData(style, true);
      Finally freeData([&] { Free(data); });
      data->Enabled = c != 3;
      const int x = 4 + c * (kW + 4), y = 4 + row * (kH + 4);
      data->CalculateEx(Canvas, TRect{x, y, x + kW, y + kH}, TPoint{-1, -1}, vlmbNone, TShiftState{}, info, false);
      data->EditValueToDrawValue(Canvas, values[c], info);
      if (row == 1) {
        info->Text = props->GetDisplayText(values[c]);
      }
      info->PaintEx(Canvas);
    }
  }
  ExpectPicture(Bitmap, "check-box-cells", 2);
}

// The label's effects, each cell 160 x 56 painted through view data and view info:
// plain, cool depth 4 (right-bottom), extrude 5, fun 6, raised, lowered,
// outline, 45 degrees, word wrap, end ellipsis, a centred line, a glyph fill,
// an outline with a pen 2 wide, a glyph fill at 15 degrees.
TEST_F(CheckBoxPicturesTest, LabelEffects) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int kW = 160, kH = 56, kCells = 14;
  Begin(2 * (kW + 4) + 4, (kCells / 2) * (kH + 4) + 4);
  // The fill picture: navy and orange bands two pixels high.
  TBitmap* glyph = New<TBitmap>();
  Finally freeGlyph([&] { Free(glyph); });
  glyph->SetPixelFormat(pf32bit);
  glyph->SetSize(4, 4);
  glyph->Canvas()->Brush()->SetColor(clNavy);
  glyph->Canvas()->FillRect(TRect{0, 0, 4, 2});
  glyph->Canvas()->Brush()->SetColor(TColor(0x0080FF));
  glyph->Canvas()->FillRect(TRect{0, 2, 4, 4});
  for (int i = 0; i < kCells; ++i) {
    TvlLabelProperties* props = New<TvlLabelProperties>(static_cast<TPersistent*>(nullptr));
    Finally freeProps([&] { Free(props); });
    TvlEditStyle* style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
    Finally freeStyle([&] { Free(style); });
    style->LookAndFeel()->SetNativeStyle(false);
    style->SetEditBorderStyle(ebsNone);
    style->SetColor(clBtnFace);
    TFont* f = New<TFont>();
    Finally freeFont([&] { Free(f); });
    f->SetName(u"Tahoma");
    f->SetSize(i >= 7 && i <= 9 ? 9 : 14);
    f->SetStyle(TFontStyles{fsBold});
    style->SetFont(f);
    String text = u"&Kontör:";
    switch (i) {
      case 1: props->SetLabelEffect(vlleCool); props->SetDepth(4); break;
      case 2: props->SetLabelEffect(vlleExtrude); props->SetDepth(5); props->SetOrientation(vloRight); break;
      case 3: props->SetLabelEffect(vlleFun); props->SetDepth(6); props->SetShadowedColor(clRed); break;
      case 4: props->SetLabelStyle(vllsRaised); break;
      case 5: props->SetLabelStyle(vllsLowered); break;
      case 6: props->SetLabelStyle(vllsOutLine); break;
      case 7: props->SetAngle(45); text = u"Seri No:"; break;
      case 8: props->SetWordWrap(true); text = u"Yükleme Tarih Saati ve Tahsilat Yeri bilgisi"; break;
      case 9: text = u"Yükleme Tarih Saati ve Tahsilat Yeri bilgisi"; break;
      case 10: props->LineOptions()->SetVisible(true); text = u"Tarife"; break;
      case 11: props->SetGlyph(glyph); break;
      case 12: props->SetLabelStyle(vllsOutLine); props->SetPenWidth(2); break;
      case 13: props->SetGlyph(glyph); props->SetAngle(15); break;
      default: break;
    }
    props->Alignment()->SetVert(i == 7 || i == 13 ? taVCenter : taTopJustify);
    TvlCustomLabelViewInfo* info = static_cast<TvlCustomLabelViewInfo*>(CreateFrom(props->GetViewInfoClass()));
    Finally freeInfo([&] { Free(info); });
    TvlCustomEditViewData* data = props->CreateViewData(style, i == 9);
    Finally freeData([&] { Free(data); });
    data->Enabled = true;
    if (i == 9) data->PaintOptions.Include(epoShowEndEllipsis);
    const int x = 4 + (i % 2) * (kW + 4), y = 4 + (i / 2) * (kH + 4);
    data->EditValueToDrawValue(Canvas, Variant(text), info);
    data->CalculateEx(Canvas, TRect{x, y, x + kW, y + kH}, TPoint{-1, -1}, vlmbNone, TShiftState{}, info, false);
    info->PaintEx(Canvas);
  }
  ExpectPicture(Bitmap, "label-effects", 2);
}

}  // namespace
