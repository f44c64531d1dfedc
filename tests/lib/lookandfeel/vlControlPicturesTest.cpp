// Reference pictures of the control base: a library control with each
// border style under each look-and-feel kind, the scroll bar in its states
// and a container with an inner edit in each state. docs/control-base.md
// says what each picture shows.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/vlContainer.h"
#include "lib/lookandfeel/vlControlCursors.h"
#include "lib/lookandfeel/vlInnerListBox.h"
#include "lib/lookandfeel/vlScrollBar.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Gdi.h"
#include "platform/win/UxTheme.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/ControlFixture.h"
#include "tests/lib/lookandfeel/LookAndFeelPicture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

struct TFreeObject {
  void operator()(TObject* p) const { Free(p); }
};

// Paints the controls (each at its place on the form) into one sheet of
// the form's client area.
class PictureTest : public ControlFixture {
 protected:
  void SetUp() override {
    if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the test font is missing";
    Font = std::make_unique<foundation_test::TReferenceFont>();
    Default = New<TvlStyleController>(nullptr);
    vlSetFallbackStyleController(Default);
    ControlFixture::SetUp();
    Form->SetColor(clBtnFace);
    Form->Font()->SetName(u"Tahoma");
    Form->Font()->SetHeight(-11);
  }
  void TearDown() override {
    ControlFixture::TearDown();
    vlSetFallbackStyleController(nullptr);
    FreeAndNil(Default);
    Font.reset();
  }
  // The screen pixels of a rectangle of the form's client area.
  void ExpectSheet(const std::string& AName, const TRect& R) {
    Pump();
    Display.Compose();
    std::unique_ptr<TBitmap, TFreeObject> bitmap(New<TBitmap>());
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(R.Width(), R.Height());
    const TPoint origin = Form->ClientToScreen(TPoint{R.Left, R.Top});
    for (int y = 0; y < R.Height(); ++y)
      for (int x = 0; x < R.Width(); ++x)
        bitmap->Canvas()->SetPixels(x, y, TColor(Display.Pixel(origin.X + x, origin.Y + y)));
    lookandfeel_test::ExpectMatchesReference(bitmap.get(), AName, 2);
  }
  // A container 120 x 24 with an inner edit showing a load.
  TvlContainer* AddEditBox(int Left, int Top) {
    TvlContainer* c = Add<TvlContainer>(Left, Top, 120, 24);
    TEdit* edit = New<TEdit>(static_cast<TComponent*>(c));
    edit->SetBorderStyle(bsNone);
    edit->SetParent(c);
    edit->SetCaption(u"Yük 12,5 kWh");
    c->SetInnerControl(edit);
    return c;
  }
  std::unique_ptr<foundation_test::TReferenceFont> Font;
  TvlStyleController* Default{};
};

// A library control that fills its client bounds white.
class TFilledControl : public TvlControl {
  CL_CLASS(TFilledControl, TvlControl)
 protected:
  void Paint() override {
    TvlControl::Paint();
    Canvas()->FillRect(ClientBounds(), clWhite);
  }
  Boolean HasScrollBars() override { return false; }
};
CL_IMPLEMENT_CLASS(TFilledControl)

TEST_F(PictureTest, ControlBorders) {
  // columns: flat, standard, ultra-flat; rows: no border, the painter's border
  const TvlLookAndFeelKind kinds[] = {lfFlat, lfStandard, lfUltraFlat};
  for (int k = 0; k < 3; ++k)
    for (int b = 0; b < 2; ++b) {
      TFilledControl* c = Add<TFilledControl>(4 + k * 44, 4 + b * 34, 40, 30);
      c->LookAndFeel()->SetKind(kinds[k]);
      c->SetBorderStyle(b ? vlcbsDefault : vlcbsNone);
    }
  ExpectSheet("control-borders", TRect{0, 0, 136, 72});
}

TEST_F(PictureTest, ScrollBarStates) {
  // four vertical bars: normal, hot down arrow, pressed down arrow (held),
  // disabled; a horizontal bar below
  TvlScrollBar* bars[4];
  for (int i = 0; i < 4; ++i) {
    bars[i] = Add<TvlScrollBar>(4 + i * 21, 4, 121, 17);
    bars[i]->SetKind(sbVertical);
    bars[i]->SetBounds(4 + i * 21, 4, 17, 100);
    bars[i]->SetScrollParams(0, 99, 20, 30);
  }
  TvlScrollBar* horz = Add<TvlScrollBar>(4, 108, 121, 17);
  horz->SetScrollParams(0, 99, 50, 20);
  bars[3]->SetEnabledProp(false);
  Pump();
  MoveTo(bars[1], 8, 92);
  ASSERT_EQ(bars[1]->State().HotPart, sbpLineDown);
  const TPoint arrow = At(bars[2], 8, 92);
  Display.MouseDown(arrow.X, arrow.Y);
  Pump();
  bars[1]->Repaint();  // the pointer left it without a leave message yet
  ExpectSheet("scrollbar-states", TRect{0, 0, 130, 130});
  Display.MouseUp(arrow.X, arrow.Y);
  Pump();
  // the thumb pressed and dragged 20 pixels down
  Wait(1000);
  const TRect thumb = bars[0]->ViewInfo()->ThumbnailRect;
  const TPoint grip = At(bars[0], 8, thumb.Top + 4);
  Display.MouseDown(grip.X, grip.Y);
  Pump();
  Display.MouseMove(grip.X, grip.Y + 20);
  Pump();
  ExpectSheet("scrollbar-thumb-dragged", TRect{0, 0, 25, 108});
  Display.MouseUp(grip.X, grip.Y + 20);
  Pump();
}

TEST_F(PictureTest, ContainerStates) {
  // rows: normal, hot, focused, disabled; left an ultra-flat border, right a
  // single border with a shadow
  TvlContainer* boxes[8];
  for (int i = 0; i < 8; ++i) {
    TvlContainer* c = AddEditBox(4 + (i / 4) * 130, 4 + (i % 4) * 28);
    if (i >= 4) {
      c->Style()->SetBorderStyle(cbsSingle);
      c->Style()->SetTransparentBorder(false);
      c->Style()->SetShadow(true);
    }
    boxes[i] = c;
  }
  boxes[3]->SetEnabledProp(false);
  boxes[7]->SetEnabledProp(false);
  Pump();
  boxes[2]->InnerControl()->SetFocus();  // the focused ones refresh on focus
  Pump();
  boxes[2]->ShortRefreshContainer(false);
  boxes[6]->Style()->SetBorderColor(clNavy);
  // plain edits do not tell their container about the focus: refresh all
  for (TvlContainer* c : boxes) c->ShortRefreshContainer(false);
  // hot: the pointer over the second box of the left column
  MoveTo(boxes[1], 60, 12);
  ASSERT_TRUE(boxes[1]->ViewInfo()->ContainerState.Contains(csHotTrack));
  ExpectSheet("container-states", TRect{0, 0, 260, 120});
}

TEST_F(PictureTest, ContainerOffice2003Border) {
  // Office 2003 look and feel under the blue variant of the default theme;
  // rows: normal, hot, focused
  win::SetCurrentThemeName(u"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles", u"NormalColor");
  nbReloadOffice11Colors();
  Finally restore([] {
    win::SetCurrentThemeName(nullptr, nullptr);
    nbReloadOffice11Colors();
  });
  ASSERT_EQ(nbOffice11ColorScheme(), 1);
  ASSERT_EQ(nbOffice11HighlightBorderColor, TColor(0x800000));  // navy
  TvlContainer* boxes[3];
  for (int i = 0; i < 3; ++i) {
    boxes[i] = AddEditBox(4, 4 + i * 28);
    boxes[i]->Style()->LookAndFeel()->SetKind(lfOffice11);
  }
  Pump();
  ASSERT_EQ(boxes[0]->Style()->BorderStyle(), cbsOffice11);
  boxes[2]->InnerControl()->SetFocus();
  Pump();
  for (TvlContainer* c : boxes) c->ShortRefreshContainer(false);
  MoveTo(boxes[1], 60, 12);
  ASSERT_TRUE(boxes[1]->ViewInfo()->ContainerState.Contains(csHotTrack));
  EXPECT_EQ(boxes[0]->ViewInfo()->BorderColor, TColor(clBtnShadow));
  for (int i : {1, 2}) EXPECT_EQ(boxes[i]->ViewInfo()->BorderColor, nbOffice11HighlightBorderColor);
  ExpectSheet("container-office2003-border", TRect{0, 0, 128, 92});
}

TEST_F(PictureTest, LibraryCursorsAndPanningIndicator) {
  // rows: the cursors 2100-2107, then 2108-2115 and the hand (-2099), on a
  // grey ground in cells of 36 pixels; last the panning indicator's three
  // bitmaps (both bars, vertical only, horizontal only)
  std::unique_ptr<TBitmap, TFreeObject> sheet(New<TBitmap>());
  sheet->SetPixelFormat(pf32bit);
  sheet->SetSize(9 * 36, 3 * 36);
  sheet->Canvas()->Brush()->SetColor(TColor(0x808080));
  sheet->Canvas()->FillRect(TRect{0, 0, 9 * 36, 3 * 36});
  const HDC dc = sheet->Canvas()->Handle();
  for (int i = 0; i < 17; ++i) {
    const TCursor id = i < 16 ? TCursor(2100 + i) : crvlHandPoint;
    const int col = i < 8 ? i : i - 8, row = i < 8 ? 0 : 1;
    ASSERT_TRUE(
        DrawIconEx(dc, col * 36 + 2, row * 36 + 2, Screen->Cursors(id), 32, 32, 0, nullptr, DI_NORMAL));
  }
  const std::pair<bool, bool> bars[] = {{true, true}, {false, true}, {true, false}};
  for (int i = 0; i < 3; ++i) {
    HBITMAP indicator = vlCreateScrollIndicatorBitmap(bars[i].first, bars[i].second);
    HDC mdc = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mdc, indicator);
    BitBlt(dc, i * 36 + 4, 2 * 36 + 4, vlScrollIndicatorSize, vlScrollIndicatorSize, mdc, 0, 0, SRCCOPY);
    SelectObject(mdc, old);
    DeleteDC(mdc);
    DeleteObject(indicator);
  }
  lookandfeel_test::ExpectMatchesReference(sheet.get(), "control-cursors", 2);
}

TEST_F(PictureTest, InnerListBoxWithEmulatedBars) {
  // a container with an inner list box of 20 items wider than the view: both
  // emulated bars over the native ones and the size-grip corner between them
  TvlContainer* c = Add<TvlContainer>(4, 4, 140, 100);
  TvlCustomInnerListBox* list = New<TvlCustomInnerListBox>(static_cast<TComponent*>(c));
  list->SetContainer(c);
  list->SetParent(c);
  c->SetInnerControl(list);
  for (Integer i = 0; i < 20; ++i) list->Items()->Add(u"Yük " + IntToStr(i) + u" kWh");
  list->SetScrollWidth(300);
  list->SetItemIndex(2);
  Pump();
  c->ShortRefreshContainer(false);  // lays the list into the border
  Pump();
  ASSERT_TRUE(list->VScrollBar()->Visible());
  ASSERT_TRUE(list->HScrollBar()->Visible());
  ExpectSheet("inner-listbox", TRect{0, 0, 148, 108});
}

}  // namespace
