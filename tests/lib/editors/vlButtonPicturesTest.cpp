// Reference pictures of the button, taken from the headless screen after
// driving each button into its state with real input: every look in every
// state, the glyph layouts, the drop-down kinds and speed buttons, and the
// program's own buttons. Looked at before kept (docs/buttons.md describes
// what each shows).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/editors/vlButtons.h"
#include "lib/lookandfeel/nbSkinsLookAndFeelPainter.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/ControlFixture.h"
#include "tests/lib/editors/ScreenSheet.h"

namespace {

using TSheet = editors_test::TScreenSheet;

enum TLook { kFlat, kStandard, kUltraFlat, kOffice11, kNative, kSkin };
enum TShown { kNormal, kHot, kPressed, kDisabled, kDefault };

class ButtonPicturesTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Form->SetColor(clBtnFace);
    Edit = Add<TEdit>(300, 260, 60, 21);
  }
  TvlButton* AddButton(const String& ACaption, int Left, int Top, int Width = 90, int Height = 25) {
    TvlButton* b = Add<TvlButton>(Left, Top, Width, Height);
    b->SetCaption(ACaption);
    return b;
  }
  void SetLook(TvlButton* B, TLook ALook) {
    TvlLookAndFeel* l = B->LookAndFeel();
    l->SetNativeStyle(ALook == kNative);
    const TvlLookAndFeelKind kinds[] = {lfFlat, lfStandard, lfUltraFlat, lfOffice11, lfStandard, lfUltraFlat};
    l->SetKind(kinds[ALook]);
    if (ALook == kSkin) {
      ASSERT_NE(ClassOf<TnbSkinsUserSkinPainter>(), nullptr);  // links the built-in skin
      l->SetSkinName(u"UserSkin");
      ASSERT_NE(l->SkinPainter(), nullptr);
    }
  }
  // Drives B into the state with real input and copies it into the sheet.
  void Shoot(TSheet& ASheet, TvlButton* B, TShown AShown, int ACol, int ARow) {
    Edit->SetFocus();
    Display.MouseMove(1270, 1010);
    Pump();
    switch (AShown) {
      case kNormal: break;
      case kHot: MoveTo(B, B->Width() / 2, B->Height() / 2); break;
      case kPressed: {
        MoveTo(B, B->Width() / 2, B->Height() / 2);
        const TPoint p = At(B, B->Width() / 2, B->Height() / 2);
        Display.MouseDown(p.X, p.Y);
        Pump();
        break;
      }
      case kDisabled:
        B->SetEnabledProp(false);
        Pump();
        break;
      case kDefault:
        B->SetDefault(true);
        Pump();
        break;
    }
    ASheet.Put(Display, B, ACol, ARow);
    switch (AShown) {
      case kPressed: {
        Display.MouseMove(1270, 1010);
        Display.MouseUp(1270, 1010);
        Pump();
        break;
      }
      case kDisabled: B->SetEnabledProp(true); break;
      case kDefault: B->SetDefault(false); break;
      default: break;
    }
    Pump();
  }
  // A two-picture strip of 16 x 16 cells on a fuchsia ground: a green tick,
  // then the same tick in grey.
  TBitmap* NewTickStrip() {
    TBitmap* b = New<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(32, 16);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect{0, 0, 32, 16});
    const TColor colors[] = {clGreen, clGray};
    for (int i = 0; i < 2; ++i) {
      c->Pen()->SetColor(colors[i]);
      c->Pen()->SetWidth(3);
      c->MoveTo(i * 16 + 3, 8);
      c->LineTo(i * 16 + 6, 12);
      c->LineTo(i * 16 + 13, 3);
    }
    return b;
  }
  TEdit* Edit{};
};

}  // namespace

// Rows: flat, standard, ultra-flat, Office 2003 (drawn by the standard or
// themed painter), native (themed), skin; columns: normal, hot, pressed,
// disabled, default.
TEST_F(ButtonPicturesTest, EveryLookInEveryState) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  TSheet sheet(90, 25, 5, 6);
  for (int look = kFlat; look <= kSkin; ++look) {
    TvlButton* b = AddButton(u"&OKU", 10, 10);
    SetLook(b, TLook(look));
    for (int s = kNormal; s <= kDefault; ++s) Shoot(sheet, b, TShown(s), s, look);
    Free(b);
  }
  sheet.Expect("button-looks");
}

// The port dialog's button ("&TAMAM", the two-picture strip, spacing 8,
// ultra-flat) in the four layouts, then the picture alone and the caption
// alone; columns as above.
TEST_F(ButtonPicturesTest, GlyphLayoutsInEveryState) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  TBitmap* strip = NewTickStrip();
  Finally freeStrip([&] { Free(strip); });
  TSheet sheet(121, 40, 5, 6);
  struct TRow {
    TButtonLayout Layout;
    TvlButtonPaintStyle Style;
  } rows[] = {{blGlyphLeft, bpsDefault}, {blGlyphRight, bpsDefault}, {blGlyphTop, bpsDefault},
              {blGlyphBottom, bpsDefault}, {blGlyphLeft, bpsGlyph},  {blGlyphLeft, bpsCaption}};
  for (int r = 0; r < 6; ++r) {
    TvlButton* b = AddButton(u"&TAMAM", 10, 10, 121, 40);
    SetLook(b, kUltraFlat);
    b->SetGlyph(strip);
    b->SetSpacing(r >= 2 && r <= 3 ? 2 : 8);
    b->SetLayout(rows[r].Layout);
    b->SetPaintStyle(rows[r].Style);
    for (int s = kNormal; s <= kDefault; ++s) Shoot(sheet, b, TShown(s), s, r);
    Free(b);
  }
  sheet.Expect("button-glyphs");
}

// Rows: a drop-down button (arrow part), a whole drop-down button, a flat
// speed button (not focusable) and a flat speed button held down in a group,
// a transparent flat speed button over a coloured form; columns as above.
TEST_F(ButtonPicturesTest, DropDownKindsAndSpeedButtons) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  TSheet sheet(100, 25, 5, 5);
  for (int r = 0; r < 5; ++r) {
    TvlButton* b = AddButton(u"&OKU", 10, 10, 100, 25);
    SetLook(b, kUltraFlat);
    if (r == 0) b->SetKind(vlbkDropDownButton);
    if (r == 1) b->SetKind(vlbkDropDown);
    if (r >= 2) {
      b->SpeedButtonOptions()->SetFlat(true);
      b->SetCanBeFocused(false);
    }
    if (r == 3) {
      b->SetGroupIndex(1);
      b->SetDown(true);
    }
    if (r == 4) {
      Form->SetColor(clTeal);
      b->SpeedButtonOptions()->SetTransparent(true);
    }
    for (int s = kNormal; s <= kDefault; ++s) Shoot(sheet, b, TShown(s), s, r);
    Form->SetColor(clBtnFace);
    Free(b);
  }
  sheet.Expect("button-kinds");
}

// The program's "&YÜKLE", "&OKU" and "&TAMAM" as its windows set them
// (ultra-flat without the native style; "&TAMAM" with its strip and spacing 8).
TEST_F(ButtonPicturesTest, TheProgramsButtons) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  TBitmap* strip = NewTickStrip();
  Finally freeStrip([&] { Free(strip); });
  TSheet sheet(121, 33, 5, 3);
  const char16_t* captions[] = {u"&YÜKLE", u"&OKU", u"&TAMAM"};
  for (int r = 0; r < 3; ++r) {
    TvlButton* b = AddButton(captions[r], 10, 10, 121, 33);
    SetLook(b, kUltraFlat);
    if (r == 2) {
      b->SetGlyph(strip);
      b->SetNumGlyphs(2);
      b->SetSpacing(8);
    }
    for (int s = kNormal; s <= kDefault; ++s) Shoot(sheet, b, TShown(s), s, r);
    Free(b);
  }
  sheet.Expect("button-program");
}
