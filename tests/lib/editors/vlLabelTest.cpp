// The label: its accelerator on the headless screen, the depth and style
// offsets, the line rules, the off-screen cache and the small text helpers.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "lib/editors/vlExtEditUtils.h"
#include "lib/editors/vlLabel.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "platform/classes/Filer.h"
#include "tests/lib/editors/FormFromText.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

class LabelTest : public controltest::ControlFixture {
 protected:
  TvlLabel* AddLabel(const String& ACaption) {
    TvlLabel* l = New<TvlLabel>(static_cast<TComponent*>(Form));
    l->SetBounds(10, 10, 100, 21);
    l->SetCaption(ACaption);
    l->SetParent(Form);
    Pump();
    return l;
  }
  TEdit* AddField() {
    TEdit* e = New<TEdit>(static_cast<TComponent*>(Form));
    e->SetBounds(10, 40, 100, 21);
    e->SetParent(Form);
    Pump();
    return e;
  }
  void AltKey(win::UINT AKey) {
    Display.KeyDown(win::VK_MENU);
    Display.KeyDown(AKey);
    Pump();
    Display.KeyUp(AKey);
    Display.KeyUp(win::VK_MENU);
    Pump();
  }
};

TEST_F(LabelTest, TheAcceleratorFocusesTheFieldUnlessItIsDisabled) {
  TvlLabel* l = AddLabel(u"&Kontör:");
  TEdit* field = AddField();
  TEdit* other = AddField();
  other->SetTop(70);
  l->SetFocusControl(field);
  other->SetFocus();
  Pump();
  AltKey('K');
  EXPECT_TRUE(field->Focused());
  other->SetFocus();
  field->SetEnabledProp(false);
  Pump();
  EXPECT_EQ(l->Perform(CM_DIALOGCHAR, WPARAM(u'K'), 0), 0) << "not handled";
  EXPECT_TRUE(other->Focused());
  field->SetEnabledProp(true);
  l->SetEnabledProp(false);
  EXPECT_EQ(l->Perform(CM_DIALOGCHAR, WPARAM(u'K'), 0), 0) << "a disabled label does nothing";
  l->SetEnabledProp(true);
  EXPECT_EQ(l->Perform(CM_DIALOGCHAR, WPARAM(u'X'), 0), 0) << "another letter";
  EXPECT_FALSE(l->CanFocus());
}

// A field that cannot take the focus (hidden, or inside a hidden panel)
// leaves the accelerator unanswered and the focus where it was.
TEST_F(LabelTest, TheAcceleratorOfAHiddenFieldIsNotAnswered) {
  for (bool hidePanel : {false, true}) {
    SCOPED_TRACE(hidePanel);
    TPanel* panel = Add<TPanel>(120, 10, 150, 80);
    TvlLabel* l = AddLabel(u"&Fatura No:");
    TEdit* field = Add<TEdit>(5, 5, 100, 21, panel);
    TEdit* other = AddField();
    l->SetFocusControl(field);
    Pump();
    other->SetFocus();
    Pump();
    if (hidePanel)
      panel->SetVisible(false);
    else
      field->SetVisible(false);
    Pump();
    EXPECT_EQ(l->Perform(CM_DIALOGCHAR, WPARAM(u'F'), 0), 0);
    AltKey('F');
    EXPECT_TRUE(other->Focused());
    Free(l);
    Free(other);
    Free(panel);
  }
}

// Word wrap is for unrotated text only: a rotated label is one line, and
// automatic sizing gives it the rotated extent.
TEST_F(LabelTest, ARotatedWrappingLabelIsOneRotatedLine) {
  TvlLabel* l = AddLabel(u"Yükleme Tarih Saati ve Tahsilat Yeri");
  l->Properties()->SetWordWrap(true);
  Pump();
  const Integer wrappedHeight = l->Height();
  l->Properties()->SetAngle(90);
  Pump();
  EXPECT_FALSE(l->ViewInfo()->TextFlags & vlWordBreak);
  EXPECT_GT(l->Height(), l->Width()) << "standing up";
  EXPECT_GT(l->Height(), wrappedHeight);
  const TRect t = l->ViewInfo()->FLabelTextRect;
  EXPECT_GE(t.Left, 0);
  EXPECT_LE(t.Right, l->Width());
  l->Properties()->SetAngle(0);
  Pump();
  EXPECT_TRUE(l->ViewInfo()->TextFlags & vlWordBreak);
}

// A form file may carry the label's tab order: it is read, never written.
TEST_F(LabelTest, TheTabOrderIsReadButNotWritten) {
  const char* const text =
      "object F: TForm\n"
      "  object L: TvlLabel\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "    Caption = '&Seri No:'\n"
      "    FocusControl = E\n"
      "    TabOrder = 1\n"
      "  end\n"
      "  object E: TEdit\n"
      "    Left = 8\n"
      "    Top = 30\n"
      "    TabOrder = 0\n"
      "  end\n"
      "end\n";
  TForm* f = NewFormFromText(RawByteString(text));
  Finally freeForm([&] { Free(f); });
  TvlLabel* l = dynamic_cast<TvlLabel*>(f->FindComponent(u"L"));
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->FocusControl(), f->FindComponent(u"E"));
  TMemoryStream* out = New<TMemoryStream>();
  Finally freeOut([&] { Free(out); });
  out->WriteComponent(l);
  const RawByteString binary(static_cast<const char*>(out->Memory()), size_t(out->Size()));
  const RawByteString textOut = ObjectBinaryToText(binary);
  const std::string written(textOut.begin(), textOut.end());
  EXPECT_EQ(written.find("TabOrder"), std::string::npos) << written;
}

TEST_F(LabelTest, FocusControlIsClearedWhenItGoes) {
  TvlLabel* l = AddLabel(u"&Seri No:");
  TEdit* field = AddField();
  l->SetFocusControl(field);
  l->SetFocusControl(l);  // never itself
  EXPECT_EQ(l->FocusControl(), field);
  Free(field);
  EXPECT_EQ(l->FocusControl(), nullptr);
}

TEST_F(LabelTest, TheCaptionIsTheValue) {
  TvlLabel* l = AddLabel(u"T1:");
  EXPECT_EQ(l->EditValue(), Variant(u"T1:"));
  l->SetEditValue(Variant(42));
  EXPECT_EQ(l->Caption(), u"42");
  EXPECT_EQ(l->ViewInfo()->Text, u"42");
}

TEST_F(LabelTest, TheLineGoesWithAutoSizeAndRotation) {
  TvlLabel* l = AddLabel(u"Tarife");
  l->Properties()->LineOptions()->SetVisible(true);
  EXPECT_FALSE(l->AutoSize()) << "a visible line turns automatic sizing off";
  l->SetWidth(150);
  Pump();
  EXPECT_FALSE(vlIsRectEmpty(l->ViewInfo()->FLineRect));
  l->Properties()->SetAngle(45);
  l->Properties()->SetDepth(0);
  Pump();
  EXPECT_TRUE(vlIsRectEmpty(l->ViewInfo()->FLineRect)) << "no line at 45 degrees";
  l->SetAutoSize(true);
  EXPECT_FALSE(l->Properties()->LineOptions()->Visible());
}

TEST_F(LabelTest, TheOffScreenPictureIsRedrawnOnlyOnChange) {
  TvlLabel* l = AddLabel(u"Kontör:");
  l->Repaint();
  Pump();
  const Integer drawn = l->ViewInfo()->DrawCount;
  l->Invalidate();
  l->Update();
  EXPECT_GT(drawn, 0);
  // A repaint alone copies the picture; a new caption draws it again.
  const Integer copied = l->ViewInfo()->DrawCount;
  EXPECT_LE(copied - drawn, 1);
  l->SetCaption(u"Kontör 2:");
  l->Repaint();
  EXPECT_GT(l->ViewInfo()->DrawCount, copied);
}

// --- Depth and style, painted through view data and view info --------------------------------------

struct TBox {
  int Left = INT_MAX, Top = INT_MAX, Right = -1, Bottom = -1;
  void Add(int X, int Y) {
    Left = std::min(Left, X);
    Top = std::min(Top, Y);
    Right = std::max(Right, X);
    Bottom = std::max(Bottom, Y);
  }
};

// Pixels near black, and strongly red (glyph edges are blended with the white).
bool LooksLike(TColor APixel, TColor AColor) {
  const int r = APixel & 0xFF, g = (APixel >> 8) & 0xFF, b = (APixel >> 16) & 0xFF;
  if (AColor == clRed) return r > 0xC0 && g < 0x60 && b < 0x60;
  if (AColor == clLime) return g > 0xC0 && r < 0x60 && b < 0x60;
  return r < 0x60 && g < 0x60 && b < 0x60;
}

constexpr int kDrawW = 120, kDrawH = 40;

// The box of the pixels of one colour in a label drawn at (0, 0) on white;
// in bold Tahoma of AFontSize points when given, and its pixels in APixels
// (rows of kDrawW) when asked for.
TBox DrawnBox(TvlLabelProperties* AProps, TColor AColor, TSize* ASize = nullptr, int AFontSize = 0,
              std::vector<TColor>* APixels = nullptr) {
  TBitmap* bmp = New<TBitmap>();
  Finally freeBmp([&] { Free(bmp); });
  bmp->SetPixelFormat(pf32bit);
  bmp->SetSize(kDrawW, kDrawH);
  TvlCanvas* canvas = New<TvlCanvas>(bmp->Canvas());
  Finally freeCanvas([&] { Free(canvas); });
  TvlEditStyle* style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
  Finally freeStyle([&] { Free(style); });
  style->LookAndFeel()->SetNativeStyle(false);
  style->SetEditBorderStyle(ebsNone);
  style->SetColor(clWhite);
  style->SetTextColor(clBlack);
  if (AFontSize > 0) {
    TFont* f = New<TFont>();
    Finally freeFont([&] { Free(f); });
    f->SetName(u"Tahoma");
    f->SetSize(AFontSize);
    f->SetStyle(TFontStyles{fsBold});
    style->SetFont(f);
  }
  TvlCustomLabelViewInfo* info = static_cast<TvlCustomLabelViewInfo*>(CreateFrom(AProps->GetViewInfoClass()));
  Finally freeInfo([&] { Free(info); });
  TvlCustomEditViewData* data = AProps->CreateViewData(style, false);
  Finally freeData([&] { Free(data); });
  data->Enabled = true;
  data->EditValueToDrawValue(canvas, Variant(u"Kl"), info);
  data->CalculateEx(canvas, TRect{0, 0, kDrawW, kDrawH}, TPoint{-1, -1}, vlmbNone, TShiftState{}, info, false);
  info->PaintEx(canvas);
  if (ASize) *ASize = data->GetEditSize(canvas, Variant(u"Kl"), TvlEditSizeProperties{});
  TBox box;
  if (APixels) APixels->clear();
  for (int y = 0; y < kDrawH; ++y)
    for (int x = 0; x < kDrawW; ++x) {
      const TColor px = bmp->Canvas()->Pixels(x, y);
      if (APixels) APixels->push_back(px);
      if (LooksLike(px, AColor)) box.Add(x, y);
    }
  return box;
}

TEST(LabelDrawingTest, ACoolDepthDrawsOneCopyDownRightAndGrowsTheSize) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  TvlLabelProperties* props = New<TvlLabelProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeProps([&] { Free(props); });
  TSize plainSize{}, coolSize{};
  const TBox plain = DrawnBox(props, clBlack, &plainSize);
  props->SetLabelEffect(vlleCool);
  props->SetDepth(4);
  props->SetShadowedColor(clRed);
  const TBox shadow = DrawnBox(props, clRed, &coolSize);
  const TBox text = DrawnBox(props, clBlack);
  ASSERT_GE(plain.Right, 0);
  EXPECT_EQ(text.Left, plain.Left) << "the main text stays";
  EXPECT_EQ(text.Top, plain.Top);
  EXPECT_EQ(shadow.Left, plain.Left + 4);
  EXPECT_EQ(shadow.Top, plain.Top + 4);
  EXPECT_EQ(coolSize.cx, plainSize.cx + 4);
  EXPECT_EQ(coolSize.cy, plainSize.cy + 4);
}

TEST(LabelDrawingTest, RaisedSmallTextIsOffsetByOnePixel) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  TvlLabelProperties* props = New<TvlLabelProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeProps([&] { Free(props); });
  TSize plainSize{}, raisedSize{};
  const TBox plain = DrawnBox(props, clBlack, &plainSize);
  props->SetLabelStyle(vllsRaised);
  const TBox raised = DrawnBox(props, clBlack, &raisedSize);
  ASSERT_GE(plain.Right, 0);
  EXPECT_EQ(raised.Left, plain.Left + 1);
  EXPECT_EQ(raised.Top, plain.Top + 1);
  EXPECT_EQ(raisedSize.cx, plainSize.cx + 1);
}

// The outline style strokes the letters' edges and leaves their inside
// clear; a picture fills the letters only, without the plain text. Both
// follow the letters as the plain style draws them.
TEST(LabelDrawingTest, OutlineAndPictureFillFollowTheLetters) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int kSize = 18;
  TvlLabelProperties* props = New<TvlLabelProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeProps([&] { Free(props); });
  std::vector<TColor> px;
  const TBox plain = DrawnBox(props, clBlack, nullptr, kSize, &px);
  ASSERT_GE(plain.Right, 0);
  // The middle of the "l" stem: the black run ending at the right edge, halfway down.
  const int midY = (plain.Top + plain.Bottom) / 2;
  int stemLeft = plain.Right;
  while (stemLeft > 0 && LooksLike(px[size_t(midY * kDrawW + stemLeft - 1)], clBlack)) --stemLeft;
  ASSERT_GE(plain.Right - stemLeft, 2) << "the stem is thick enough to have an inside";
  const int stemX = (stemLeft + plain.Right) / 2;
  auto at = [&](int X, int Y) { return px[size_t(Y * kDrawW + X)]; };

  TBitmap* lime = New<TBitmap>();
  Finally freeLime([&] { Free(lime); });
  lime->SetPixelFormat(pf32bit);
  lime->SetSize(8, 8);
  lime->Canvas()->Brush()->SetColor(clLime);
  lime->Canvas()->FillRect(TRect{0, 0, 8, 8});
  struct Case {
    const char* Name;
    TvlLabelStyle Style;
    Boolean Glyph;
    TColor Ink;        // the colour that traces the letters
    TColor StemInside;  // the middle of the stem
  };
  const Case cases[] = {{"outline", vllsOutLine, false, clBlack, clWhite},
                        {"picture fill", vllsNormal, true, clLime, clLime}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    props->SetLabelStyle(c.Style);
    props->SetGlyph(c.Glyph ? lime : nullptr);
    const TBox box = DrawnBox(props, c.Ink, nullptr, kSize, &px);
    EXPECT_NEAR(box.Left, plain.Left, 1);
    EXPECT_NEAR(box.Top, plain.Top, 1);
    EXPECT_NEAR(box.Right, plain.Right, 1);
    EXPECT_NEAR(box.Bottom, plain.Bottom, 1);
    EXPECT_EQ(ColorToRGB(at(stemX, midY)), ColorToRGB(c.StemInside));
    EXPECT_EQ(ColorToRGB(at(0, 0)), ColorToRGB(clWhite));
    if (c.Glyph) EXPECT_EQ(DrawnBox(props, clBlack, nullptr, kSize).Right, -1) << "no plain text under the picture";
  }
}

TEST(LabelUtilsTest, TextAndValueHelpers) {
  EXPECT_EQ(vlNormalizeTextAngle(450, true), 90);
  EXPECT_EQ(vlNormalizeTextAngle(-90, true), 270);
  EXPECT_EQ(vlNormalizeTextAngle(450, false), 0);
  EXPECT_EQ(vlGetNonNegativeRectWidth(TRect{10, 0, 4, 0}), 0);
  EXPECT_EQ(vlGetNonNegativeRectHeight(TRect{0, 2, 0, 9}), 7);
  EXPECT_TRUE(vlIsValidIntegerText(u" 42 "));
  EXPECT_FALSE(vlIsValidIntegerText(u"4294967296"));
  EXPECT_FALSE(vlIsValidIntegerText(u""));
  const String sep(1, FormatSettings().DecimalSeparator);
  EXPECT_TRUE(vlIsValidFloatText(u"-12" + sep + u"5"));
  EXPECT_FALSE(vlIsValidFloatText(u"1" + sep + u"2" + sep + u"3"));
  EXPECT_FALSE(vlIsValidFloatText(u"1-2"));
  EXPECT_FALSE(vlIsValidFloatText(u"9" + String(400, u'9')));
  EXPECT_TRUE(vlIsVarEmptyOrNull(Null()));
  EXPECT_TRUE(vlIsVarEmptyOrNull(Variant()));
  EXPECT_FALSE(vlIsVarEmptyOrNull(Variant(0)));
  EXPECT_EQ(vlMakeTextFlags(0, taRightJustify, taVCenter, false, true, 8, true, true),
            Integer(win::DT_RIGHT | win::DT_VCENTER | win::DT_NOPREFIX | win::DT_WORDBREAK | win::DT_END_ELLIPSIS |
                    win::DT_EXPANDTABS | win::DT_TABSTOP));
  EXPECT_EQ(vlMakeTextFlags(0, taCenter, taBottomJustify, true, false, 0, false, false),
            vlAlignHCenter | vlAlignBottom | vlShowPrefix);
}

}  // namespace
