// Reference pictures of the group box, the panel and the radio group in every
// look, taken from the headless screen (hot and focused states driven with
// the real mouse). Looked at before kept (docs/group-box-and-radio.md
// describes what each shows).
#include <gtest/gtest.h>

#include "lib/editors/vlGroupBox.h"
#include "lib/editors/vlRadioGroup.h"
#include "lib/lookandfeel/nbSkinsLookAndFeelPainter.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Windows.h"
#include "tests/lib/editors/ScreenSheet.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

using editors_test::TScreenSheet;

enum TLook { kStandard, kFlat, kUltraFlat, kOffice11, kNative, kSkin, kLookCount };

class GroupBoxPicturesTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Form->SetColor(clBtnFace);
    Form->SetBounds(0, 0, 640, 480);
  }
  static void SetLook(TvlCustomEdit* E, TLook ALook) {
    TvlLookAndFeel* l = E->Style()->LookAndFeel();
    const TvlLookAndFeelKind kinds[] = {lfStandard, lfFlat, lfUltraFlat, lfOffice11, lfStandard, lfUltraFlat};
    l->SetNativeStyle(ALook == kNative);
    l->SetKind(kinds[ALook]);
    if (ALook == kSkin) {
      ASSERT_NE(ClassOf<TnbSkinsUserSkinPainter>(), nullptr);  // links the built-in skin
      l->SetSkinName(u"UserSkin");
    }
  }
  void Park() {
    Display.MouseMove(1270, 1010);
    Pump();
  }
};

// Rows: standard, flat, ultra-flat, Office 2003, native, the built-in skin.
// Columns: caption top-left, left-centred (vertical), bottom-right, a panel
// with a centred caption, disabled.
TEST_F(GroupBoxPicturesTest, GroupBoxInEveryLook) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int kW = 120, kH = 70;
  TScreenSheet sheet(kW, kH, 5, kLookCount);
  for (int look = 0; look < kLookCount; ++look)
    for (int col = 0; col < 5; ++col) {
      TvlGroupBox* b = Add<TvlGroupBox>(20, 20, kW, kH);
      SetLook(b, TLook(look));
      b->Style()->SetTransparentBorder(false);
      b->SetCaption(u"&Port");
      const TvlCaptionAlignment alignments[] = {alTopLeft, alLeftCenter, alBottomRight, alCenterCenter, alTopLeft};
      b->SetAlignment(alignments[col]);
      if (col == 3) b->PanelStyle()->SetActive(true);
      if (col == 4) b->SetEnabledProp(false);
      TEdit* child = Add<TEdit>(0, 0, 40, 21, b);
      child->SetAlign(alBottom);
      Pump();
      sheet.Put(Display, b, col, look);
      Free(b);
      Pump();
    }
  sheet.Expect("group-box-looks");
}

// Rows as above. Columns: item 2 checked; two columns with the mouse over
// item 3 (hot); item 1 held down with the mouse (pressed, focused); disabled.
TEST_F(GroupBoxPicturesTest, RadioGroupInEveryLook) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int kW = 150, kH = 84;
  TScreenSheet sheet(kW, kH, 4, kLookCount);
  TEdit* parking = Add<TEdit>(500, 400, 60, 21);
  for (int look = 0; look < kLookCount; ++look)
    for (int col = 0; col < 4; ++col) {
      parking->SetFocus();
      Park();
      TvlRadioGroup* g = Add<TvlRadioGroup>(20, 20, kW, kH);
      SetLook(g, TLook(look));
      g->SetCaption(u"Tarife");
      for (const char16_t* c : {u"Tek", u"&Çift", u"Üç", u"Dört"}) g->Properties()->Items()->Add()->SetCaption(c);
      g->Properties()->SetColumns(col == 1 ? 2 : 1);
      g->SetItemIndex(1);
      if (col == 3) g->SetEnabledProp(false);
      Pump();
      TvlRadioButton* b = g->Buttons(col == 2 ? 0 : 2);
      const TPoint p = At(b, 6, b->Height() / 2);
      if (col == 1) MoveTo(b, 6, b->Height() / 2);
      if (col == 2) {
        Display.MouseMove(p.X, p.Y);
        Display.MouseDown(p.X, p.Y);
        Pump();
      }
      sheet.Put(Display, g, col, look);
      if (col == 2) {
        Display.MouseMove(1270, 1010);
        Display.MouseUp(1270, 1010);
        Pump();
      }
      Free(g);
      Pump();
    }
  sheet.Expect("radio-group-looks");
}

// A skinned group box keeps its caption in the non-client area, so a child
// filling the client area cannot cover it. Columns: caption top-left, then
// left-top (vertical); each holds a white panel aligned to the client area.
// The whole window is taken (the caption lies outside the client area).
TEST_F(GroupBoxPicturesTest, SkinnedCaptionInTheNonClientArea) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int kW = 120, kH = 70, kGap = 6;
  const int sheetW = kGap + 2 * (kW + kGap), sheetH = kGap + kH + kGap;
  std::vector<uint32_t> sheet(size_t(sheetW) * size_t(sheetH), 0xFFFFFFFF);
  const TvlCaptionAlignment alignments[] = {alTopLeft, alLeftTop};
  for (int col = 0; col < 2; ++col) {
    SCOPED_TRACE(col);
    TvlGroupBox* b = Add<TvlGroupBox>(20, 20, kW, kH);
    SetLook(b, kSkin);
    b->SetCaption(u"&Port");
    b->SetAlignment(alignments[col]);
    TPanel* child = Add<TPanel>(0, 0, 10, 10, b);
    child->SetBevelOuter(bvNone);
    child->SetParentBackground(false);
    child->SetColor(clWhite);
    child->SetAlign(alClient);
    Pump();
    ASSERT_TRUE(b->HasNonClientArea());
    // The caption band lies outside the client area: the child, filling the
    // client area, starts past the caption.
    win::RECT window{};
    win::GetWindowRect(b->Handle(), &window);
    const TPoint client = b->ClientToScreen(TPoint{0, 0});
    const TRect band = b->ViewInfo()->NonClientBand;
    EXPECT_EQ(client.X - window.left, band.Left);
    EXPECT_EQ(client.Y - window.top, band.Top);
    EXPECT_GT(col == 0 ? band.Top : band.Left, 0);
    const TPoint childAt = child->ClientToScreen(TPoint{0, 0});
    if (col == 0)
      EXPECT_GE(childAt.Y, window.top + band.Top);
    else
      EXPECT_GE(childAt.X, window.left + band.Left);
    Display.Compose();
    const int x0 = kGap + col * (kW + kGap);
    for (int y = 0; y < std::min(kH, int(window.bottom - window.top)); ++y)
      for (int x = 0; x < std::min(kW, int(window.right - window.left)); ++x)
        sheet[size_t(kGap + y) * size_t(sheetW) + size_t(x0 + x)] =
            Display.Pixels()[size_t(window.top + y) * size_t(Display.Width()) + size_t(window.left + x)];
    Free(b);
    Pump();
  }
  std::vector<uint32_t> big(size_t(sheetW) * 2 * size_t(sheetH) * 2);
  for (int y = 0; y < sheetH * 2; ++y)
    for (int x = 0; x < sheetW * 2; ++x)
      big[size_t(y) * size_t(sheetW * 2) + size_t(x)] = sheet[size_t(y / 2) * size_t(sheetW) + size_t(x / 2)];
  testing_support::ExpectMatchesReference(
      big.data(), sheetW * 2, sheetH * 2,
      std::string(CL_SOURCE_DIR) + "/tests/lib/editors/reference/group-box-skin-nonclient.png",
      "group-box-skin-nonclient");
}

}  // namespace
