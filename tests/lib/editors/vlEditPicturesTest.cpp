// Reference pictures of the editor buttons: every button style in every
// state, and the default buttons of each painter. Painted through view data
// and view info alone, as a grid paints its cells. Looked at before kept
// (docs/editors.md describes what each shows).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/editors/vlEditProperties.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/editors/vlTextEditViewInfo.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/nbSkinsLookAndFeelPainter.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/editors/EditorPicture.h"
#include "platform/win/UxTheme.h"

namespace {

using editors_test::ExpectPicture;

// Forces one state on every button of a view info.
struct TStateForcer : public TObject {
  CL_CLASS(TStateForcer, TObject)
 public:
  TvlEditButtonState State{};
  void GetState(TvlCustomEditViewInfo*, Integer, TvlEditButtonState& AState) {
    if (AState != ebsDisabled) AState = State;
  }
};
CL_IMPLEMENT_CLASS(TStateForcer)

const TvlEditButtonState kStates[] = {ebsNormal, ebsSelected, ebsPressed, ebsDisabled};
constexpr int kCellWidth = 96, kCellHeight = 22, kGap = 6;

class EditPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Props = New<TvlCustomEditProperties>(static_cast<TPersistent*>(nullptr));
    TvlEditButton* ellipsis = Props->Buttons()->Add();
    ellipsis->SetKind(bkEllipsis);
    Props->Buttons()->Add()->SetKind(bkDown);
    TvlEditButton* text = Props->Buttons()->Add();
    text->SetKind(bkText);
    text->SetCaption(u"&OK");
    Forcer = New<TStateForcer>();
    Bitmap = New<TBitmap>();
    Bitmap->SetPixelFormat(pf32bit);
    Canvas = New<TvlCanvas>(Bitmap->Canvas());
  }
  void TearDown() override {
    if (SchemeSet) {
      win::SetCurrentThemeName(nullptr, nullptr);
      nbReloadOffice11Colors();
    }
    Free(Canvas);
    Free(Bitmap);
    Free(Forcer);
    Free(Props);
  }
  // The Office 2003 colours of the blue scheme, so that its gradients show.
  void UseBlueScheme() {
    win::SetCurrentThemeName(u"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles", u"NormalColor");
    nbReloadOffice11Colors();
    SchemeSet = true;
  }
  void Begin(int ARows) {
    Bitmap->SetSize(kGap + 4 * (kCellWidth + kGap), kGap + ARows * (kCellHeight + kGap));
    Bitmap->Canvas()->Brush()->SetColor(clWhite);
    Bitmap->Canvas()->FillRect(TRect{0, 0, Bitmap->Width(), Bitmap->Height()});
  }
  // One editor of the style in each of the four states along row ARow.
  void PaintRow(int ARow, TvlEditStyle* AStyle, Boolean AInplace) {
    for (int c = 0; c < 4; ++c) {
      TvlCustomEditViewInfo* info = CreateFrom(Props->GetViewInfoClass());
      Finally freeInfo([&] { Free(info); });
      TvlCustomEditViewData* data = Props->CreateViewData(AStyle, AInplace);
      Finally freeData([&] { Free(data); });
      data->Enabled = kStates[c] != ebsDisabled;
      if (AInplace) data->ContentOffset = TRect{1, 1, 1, 1};
      Forcer->State = kStates[c];
      info->OnGetButtonState = TvlEditGetButtonStateEvent(Forcer, &TStateForcer::GetState);
      const int x = kGap + c * (kCellWidth + kGap), y = kGap + ARow * (kCellHeight + kGap);
      data->CalculateEx(Canvas, TRect{x, y, x + kCellWidth, y + kCellHeight}, TPoint{-1, -1}, vlmbNone,
                        TShiftState{}, info, false);
      info->PaintEx(Canvas);
    }
  }
  TvlEditStyle* NewStyle() {
    TvlEditStyle* s = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
    s->LookAndFeel()->SetNativeStyle(false);
    s->SetColor(clWindow);
    return s;
  }
  TvlCustomEditProperties* Props{};
  TStateForcer* Forcer{};
  TBitmap* Bitmap{};
  TvlCanvas* Canvas{};
  Boolean SchemeSet{};
};

// Rows: bts3D, btsFlat, btsSimple, btsHotFlat, btsUltraFlat, btsOffice11,
// btsOffice11 with gradient buttons; columns: normal, hot, pressed, disabled.
TEST_F(EditPicturesTest, EveryButtonStyleInEveryState) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  const TvlEditButtonStyle styles[] = {bts3D, btsFlat, btsSimple, btsHotFlat, btsUltraFlat, btsOffice11, btsOffice11};
  UseBlueScheme();
  Begin(7);
  for (int r = 0; r < 7; ++r) {
    TvlEditStyle* style = NewStyle();
    Finally freed([&] { Free(style); });
    style->SetEditBorderStyle(styles[r] == btsUltraFlat ? ebsUltraFlat : styles[r] == btsOffice11 ? ebsOffice11
                                                                                                   : ebsSingle);
    style->SetButtonStyle(styles[r]);
    style->SetGradientButtons(r == 6);
    PaintRow(r, style, false);
  }
  ExpectPicture(Bitmap, "edit-button-styles", 2);
}

// Rows: in-place editors whose buttons come from the standard, flat,
// ultra-flat and Office 2003 look and feel, the XP themed painter (native
// style) and the built-in skin; columns: normal, hot, pressed, disabled.
TEST_F(EditPicturesTest, TheDefaultButtonsOfEachPainter) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  UseBlueScheme();
  Begin(6);
  const TvlLookAndFeelKind kinds[] = {lfStandard, lfFlat, lfUltraFlat, lfOffice11};
  for (int r = 0; r < 6; ++r) {
    TvlEditStyle* style = NewStyle();
    Finally freed([&] { Free(style); });
    if (r < 4) style->LookAndFeel()->SetKind(kinds[r]);
    if (r == 4) style->LookAndFeel()->SetNativeStyle(true);
    if (r == 5) {
      // Naming the class links the built-in skin's unit into this program.
      ASSERT_NE(ClassOf<TnbSkinsUserSkinPainter>(), nullptr);
      style->LookAndFeel()->SetSkinName(u"UserSkin");
      ASSERT_NE(style->LookAndFeel()->SkinPainter(), nullptr);
    }
    PaintRow(r, style, r != 4);
  }
  ExpectPicture(Bitmap, "edit-button-painters", 2);
}

}  // namespace

namespace {

// The text editor's content: columns a centred bold field, a password field,
// a selection and a disabled field; rows the standard, flat, ultra-flat and
// Office 2003 painters and the themed painter.
TEST(TextEditPicturesTest, TextEditorWithEachPainter) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int w = 96, h = 22, gap = 6;
  TBitmap* bitmap = New<TBitmap>();
  Finally freeBitmap([&] { Free(bitmap); });
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(gap + 4 * (w + gap), gap + 5 * (h + gap));
  bitmap->Canvas()->Brush()->SetColor(clWhite);
  bitmap->Canvas()->FillRect(TRect{0, 0, bitmap->Width(), bitmap->Height()});
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  Finally freeCanvas([&] { Free(canvas); });
  const TvlLookAndFeelKind kinds[] = {lfStandard, lfFlat, lfUltraFlat, lfOffice11};
  const TvlEditBorderStyle borders[] = {ebs3D, ebsFlat, ebsUltraFlat, ebsOffice11, ebsSingle};
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 4; ++c) {
      TvlTextEditProperties* props = New<TvlTextEditProperties>(static_cast<TPersistent*>(nullptr));
      Finally freeProps([&] { Free(props); });
      TvlEditStyle* style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
      Finally freeStyle([&] { Free(style); });
      style->LookAndFeel()->SetNativeStyle(r == 4);
      if (r < 4) style->LookAndFeel()->SetKind(kinds[r]);
      style->SetColor(clWindow);
      style->SetEditBorderStyle(borders[r]);
      if (c == 0) {
        props->Alignment()->SetHorz(taCenter);
        props->Alignment()->SetVert(taVCenter);
        style->Font()->SetStyle(TFontStyles{fsBold});
      }
      if (c == 1) props->SetEchoMode(eemPassword);
      TvlCustomTextEditViewInfo* info = static_cast<TvlCustomTextEditViewInfo*>(CreateFrom(props->GetViewInfoClass()));
      Finally freeInfo([&] { Free(info); });
      auto* data = static_cast<TvlCustomTextEditViewData*>(props->CreateViewData(style, false));
      Finally freeData([&] { Free(data); });
      data->Enabled = c != 3;
      if (c == 2) {
        data->SelStart = 1;
        data->SelLength = 3;
      }
      data->EditValueToDrawValue(canvas, Variant(u"12345"), info);
      const int x = gap + c * (w + gap), y = gap + r * (h + gap);
      data->CalculateEx(canvas, TRect{x, y, x + w, y + h}, TPoint{-1, -1}, vlmbNone, TShiftState{}, info, false);
      info->PaintEx(canvas);
    }
  }
  ExpectPicture(bitmap, "text-edit-painters", 2);
}

}  // namespace
