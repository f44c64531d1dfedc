// Reference pictures of the memo: the editor on the headless screen and
// grid cells painted through its view data alone. Looked at before kept
// (docs/memo.md describes what each shows).
#include <gtest/gtest.h>

#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlMemo.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/editors/EditorPicture.h"
#include "tests/lib/editors/ScreenSheet.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

using editors_test::TScreenSheet;

const char16_t* const kText =
    u"Kart 12 yüklendi\r\nKontör: 150 kWh\r\nTarife: çok zamanlı, gündüz ve gece ayrı\r\nSon satır";

class MemoPicturesTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Form->SetColor(clBtnFace);
    Form->SetBounds(0, 0, 640, 480);
    Other = Add<TEdit>(500, 400, 60, 21);
  }
  TEdit* Other{};
};

// Columns: word-wrapped text, focused with a selection typed by the keys,
// both scroll bars (the corner filled), disabled. Rows: the standard and the
// Office 2003 look.
TEST_F(MemoPicturesTest, MemoEditor) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int kW = 140, kH = 76;
  TScreenSheet sheet(kW, kH, 4, 2);
  const TvlLookAndFeelKind kinds[] = {lfStandard, lfOffice11};
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 4; ++col) {
      TvlMemo* m = Add<TvlMemo>(20, 20, kW, kH);
      m->Style()->LookAndFeel()->SetKind(kinds[row]);
      if (col == 2) m->Properties()->SetScrollBars(ssBoth);
      m->SetEditValue(Variant(String(kText)));
      if (col == 3) m->SetEnabledProp(false);
      Pump();
      if (col == 1) {
        ClickAt(m, 30, 10);
        Pump();
        Display.KeyDown(win::VK_SHIFT);
        Display.KeyPress(win::VK_DOWN);
        Display.KeyUp(win::VK_SHIFT);
        Pump();
      } else {
        Other->SetFocus();
        Pump();
      }
      sheet.Put(Display, m, col, row);
      Free(m);
      Pump();
    }
  sheet.Expect("memo-editor");
}

// Grid cells painted through the memo's view data: left, centred and right
// alignment with word wrap, no wrap (the long line cut at the edge), and
// VisibleLineCount 2 (two lines only).
TEST(MemoCellPicturesTest, MemoCells) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int w = 120, h = 64, gap = 6, n = 5;
  TBitmap* bitmap = New<TBitmap>();
  Finally freeBitmap([&] { Free(bitmap); });
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(gap + n * (w + gap), gap + h + gap);
  bitmap->Canvas()->Brush()->SetColor(clBtnFace);
  bitmap->Canvas()->FillRect(TRect{0, 0, bitmap->Width(), bitmap->Height()});
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  Finally freeCanvas([&] { Free(canvas); });
  for (int c = 0; c < n; ++c) {
    TvlMemoProperties* props = New<TvlMemoProperties>(static_cast<TPersistent*>(nullptr));
    Finally freeProps([&] { Free(props); });
    TvlEditStyle* style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
    Finally freeStyle([&] { Free(style); });
    style->SetColor(clWindow);
    const TAlignment alignments[] = {taLeftJustify, taCenter, taRightJustify, taLeftJustify, taLeftJustify};
    props->SetAlignment(alignments[c]);
    if (c == 3) props->SetWordWrap(false);
    if (c == 4) props->SetVisibleLineCount(2);
    auto* info = static_cast<TvlCustomTextEditViewInfo*>(CreateFrom(props->GetViewInfoClass()));
    Finally freeInfo([&] { Free(info); });
    auto* data = static_cast<TvlCustomTextEditViewData*>(props->CreateViewData(style, true));
    Finally freeData([&] { Free(data); });
    data->Enabled = true;
    data->EditValueToDrawValue(canvas, Variant(String(kText)), info);
    const int x = gap + c * (w + gap), y = gap;
    data->CalculateEx(canvas, TRect{x, y, x + w, y + h}, TPoint{-1, -1}, vlmbNone, TShiftState{}, info, false);
    info->PaintEx(canvas);
  }
  editors_test::ExpectPicture(bitmap, "memo-cells", 2);
}

}  // namespace
