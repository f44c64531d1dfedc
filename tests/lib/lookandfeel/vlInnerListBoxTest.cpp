// The inner list box inside a container: type-ahead with Backspace, the
// emulated scroll bars over the native ones, scrolling from them, the look
// and feel they paint with, and the container told of focus changes.
#include "lib/lookandfeel/vlInnerListBox.h"

#include <gtest/gtest.h>

#include "lib/lookandfeel/vlScrollBar.h"
#include "platform/rtl/Conversions.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

// A container hosting an inner list box, as the list editors do.
class TListContainer : public TvlContainer {
  CL_CLASS(TListContainer, TvlContainer)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    List = New<TvlCustomInnerListBox>(static_cast<TComponent*>(this));
    List->SetContainer(this);
    List->SetParent(this);
    SetInnerControl(List);
  }
  TvlCustomInnerListBox* List{};
};
CL_IMPLEMENT_CLASS(TListContainer)

class InnerListBoxTest : public ControlFixture {
 protected:
  void SetUp() override {
    Default = New<TvlStyleController>(nullptr);
    vlSetFallbackStyleController(Default);
    ControlFixture::SetUp();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    vlSetFallbackStyleController(nullptr);
    FreeAndNil(Default);
  }
  TListContainer* Make(int Items, int Height = 100) {
    TListContainer* c = Add<TListContainer>(20, 20, 150, Height);
    for (int i = 0; i < Items; ++i) c->List->Items()->Add(Names[i % 6] + IntToStr(Integer(i)));
    Pump();
    return c;
  }
  void Type(const String& Text) {
    Display.TypeText(Text);
    Pump();
  }
  void Backspace() {
    Display.KeyPress(VK_BACK);
    Pump();
  }
  const String Names[6] = {u"apple", u"apricot", u"banana", u"blueberry", u"cherry", u"date"};
  TvlStyleController* Default{};
};

TEST_F(InnerListBoxTest, TypeAheadSearchesThePrefixAndBackspaceShortensIt) {
  TListContainer* c = Make(6);
  TvlCustomInnerListBox* list = c->List;
  list->SetFocus();
  Pump();
  struct Step {
    const char16_t* Typed;  // nullptr: Backspace
    int WaitBefore;
    const char16_t* Filter;
    int ItemIndex;
  };
  const Step steps[] = {
      {u"ap", 0, u"ap", 0},    // apple0
      {u"r", 0, u"apr", 1},    // apricot1
      {nullptr, 0, u"ap", 0},  // back to apple0
      {u"c", 600, u"c", 4},    // after the delay a new search: cherry4
      {u"z", 0, u"cz", 4},     // nothing starts with "cz": the selection stays
      {nullptr, 0, u"c", 4},
      {nullptr, 0, u"", 0},    // an empty filter selects the first item
      {u"bl", 0, u"bl", 3},    // case-insensitive prefix of blueberry3
      {u"B", 0, u"blB", 3},  // "blB" matches nothing
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "step " << (&s - steps));
    Wait(s.WaitBefore);
    if (s.Typed)
      Type(s.Typed);
    else
      Backspace();
    EXPECT_EQ(list->AutoCompleteFilter(), String(s.Filter));
    EXPECT_EQ(list->ItemIndex(), s.ItemIndex);
  }
}

TEST_F(InnerListBoxTest, TabAndEnterReachNoWindowWithoutAContainer) {
  TvlCustomInnerListBox* list = Add<TvlCustomInnerListBox>(20, 20, 150, 100);
  for (const String& n : Names) list->Items()->Add(n);
  Pump();
  struct TKeys : TObject {
    void Pressed(TObject*, Char& Key) { Seen += Key; }
    String Seen;
  } keys;
  list->SetOnKeyPress(TKeyPressEvent(&keys, &TKeys::Pressed));
  list->SetFocus();
  Pump();
  Display.KeyPress(VK_TAB);
  Display.KeyPress(VK_RETURN);
  Pump();
  Type(u"d");
  EXPECT_EQ(keys.Seen, String(u"d"));  // Tab and Enter went nowhere
  EXPECT_EQ(list->ItemIndex(), 5);
  EXPECT_EQ(GetFocus(), list->Handle());
}

TEST_F(InnerListBoxTest, EmulatedBarsCoverTheNativeOnesAndFollowThem) {
  TListContainer* c = Make(30);
  TvlCustomInnerListBox* list = c->List;
  TvlScrollBar* v = list->VScrollBar();
  ASSERT_TRUE(v->Visible());
  EXPECT_EQ(v->Parent(), c);
  EXPECT_FALSE(list->HScrollBar()->Visible());
  EXPECT_EQ(list->HScrollBar()->BoundsRect(), TRect{});
  SCROLLBARINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetScrollBarInfo(list->Handle(), OBJID_VSCROLL, &info));
  const TPoint at = c->ScreenToClient(TPoint{info.rcScrollBar.left, info.rcScrollBar.top});
  EXPECT_EQ(v->BoundsRect(), (TRect{at.X, at.Y, at.X + (info.rcScrollBar.right - info.rcScrollBar.left),
                                    at.Y + (info.rcScrollBar.bottom - info.rcScrollBar.top)}));
  EXPECT_EQ(v->Max(), 29);
  // fewer items than the view holds: the native bar goes, so does the emulated one
  while (list->Items()->Count() > 2) list->Items()->Delete(0);
  Pump();
  EXPECT_FALSE(v->Visible());
  EXPECT_EQ(v->BoundsRect(), TRect{});
  // a wide extent brings the horizontal bar
  list->SetScrollWidth(400);
  Pump();
  EXPECT_TRUE(list->HScrollBar()->Visible());
  EXPECT_EQ(list->HScrollBar()->Parent(), c);
}

TEST_F(InnerListBoxTest, ScrollingFromTheEmulatedBarMovesTheList) {
  TListContainer* c = Make(40);
  TvlCustomInnerListBox* list = c->List;
  TvlScrollBar* v = list->VScrollBar();
  ASSERT_TRUE(v->Visible());
  // a click on the down arrow scrolls one line
  ClickAt(v, v->Width() / 2, v->Height() - 3);
  EXPECT_EQ(list->TopIndex(), 1);
  EXPECT_EQ(v->Position(), 1);
  // a page click below the thumb goes through the native handling
  ClickAt(v, v->Width() / 2, v->Height() - 25);
  EXPECT_GT(list->TopIndex(), 1);
  EXPECT_EQ(v->Position(), GetScrollPos(list->Handle(), SB_VERT));
  // dragging the thumb moves TopIndex with it
  const TRect thumb = v->ViewInfo()->ThumbnailRect;
  const TPoint from = At(v, thumb.Left + thumb.Width() / 2, thumb.Top + thumb.Height() / 2);
  Display.MouseDown(from.X, from.Y);
  Pump();
  Display.MouseMove(from.X, from.Y + 20);
  Pump();
  EXPECT_GT(v->Position(), 2);
  EXPECT_EQ(list->TopIndex(), v->Position());
  Display.MouseUp(from.X, from.Y + 20);
  Pump();
  EXPECT_EQ(list->TopIndex(), v->Position());
}

TEST_F(InnerListBoxTest, TheWheelScrollsTheListInsideAFormAndTheBarFollows) {
  TListContainer* c = Make(40);
  TvlCustomInnerListBox* list = c->List;
  TvlScrollBar* v = list->VScrollBar();
  list->SetFocus();
  Pump();
  ASSERT_TRUE(list->Focused());
  ASSERT_EQ(list->TopIndex(), 0);
  const TPoint p = At(list, 20, 20);
  Display.Wheel(p.X, p.Y, -120);
  Pump();
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  EXPECT_EQ(list->TopIndex(), Integer(lines));
  EXPECT_EQ(v->Position(), Integer(lines));
  Display.Wheel(p.X, p.Y, 120);
  Pump();
  EXPECT_EQ(list->TopIndex(), 0);
  EXPECT_EQ(v->Position(), 0);
}

TEST_F(InnerListBoxTest, BarsTakeTheListsLookAndFeel) {
  TListContainer* c = Make(30);
  TvlCustomInnerListBox* list = c->List;
  list->LookAndFeel()->SetKind(lfFlat);
  Pump();
  EXPECT_EQ(list->VScrollBar()->LookAndFeel()->Kind(), lfFlat);
  EXPECT_EQ(list->VScrollBar()->CurrentPainter(), list->LookAndFeel()->Painter());
  list->LookAndFeel()->SetKind(lfUltraFlat);
  EXPECT_EQ(list->HScrollBar()->CurrentPainter(), list->LookAndFeel()->Painter());
}

TEST_F(InnerListBoxTest, FocusChangesReachTheContainer) {
  TListContainer* a = Make(5);
  TListContainer* b = Add<TListContainer>(20, 140, 150, 60);
  Pump();
  ClickAt(a->List, 20, 5);
  EXPECT_EQ(GetFocus(), a->List->Handle());
  EXPECT_TRUE(a->ViewInfo()->ContainerState.Contains(csActive));
  EXPECT_EQ(a->List->ItemIndex(), 0);
  b->List->SetFocus();
  Pump();
  EXPECT_FALSE(a->ViewInfo()->ContainerState.Contains(csActive));
  EXPECT_TRUE(b->ViewInfo()->ContainerState.Contains(csActive));
}

TEST_F(InnerListBoxTest, AutomaticDragMovesTheContainerAndKeepsAMultiSelection) {
  TListContainer* c = Make(6);
  TvlCustomInnerListBox* list = c->List;
  list->SetMultiSelect(true);
  list->SetDragModeProp(dmAutomatic);
  Pump();
  list->SetSelected(1, true);
  list->SetSelected(2, true);
  // a click on a selected item drags the container at once, selection kept
  const TPoint p = At(list, 20, list->ItemRect(1).Top + 4);
  Display.MouseDown(p.X, p.Y);
  Pump();
  EXPECT_TRUE(c->Dragging());
  EXPECT_FALSE(list->Dragging());
  EXPECT_EQ(list->DragMode(), dmAutomatic);  // restored after the click
  EXPECT_TRUE(list->Selected(1));
  EXPECT_TRUE(list->Selected(2));
  c->EndDrag(false);
  Display.MouseUp(p.X, p.Y);
  Pump();
  // a click on an unselected item selects it first, then drags
  const TPoint q = At(list, 20, list->ItemRect(4).Top + 4);
  Display.MouseDown(q.X, q.Y);
  Pump();
  EXPECT_TRUE(list->Selected(4));
  EXPECT_FALSE(list->Selected(1));
  EXPECT_TRUE(c->Dragging());
  c->EndDrag(false);
  Display.MouseUp(q.X, q.Y);
  Pump();
}

TEST_F(InnerListBoxTest, PrintingFillsTheSizeGripCorner) {
  TListContainer* c = Make(30);
  TvlCustomInnerListBox* list = c->List;
  list->SetScrollWidth(400);
  Pump();
  const TRect grip = list->GetSizeGripBounds();
  ASSERT_FALSE(grip.Width() <= 0 || grip.Height() <= 0);
  // spoil the corner on the screen, then print the window
  HDC wdc = GetWindowDC(list->Handle());
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(wdc, &grip, red);
  DeleteObject(red);
  ReleaseDC(list->Handle(), wdc);
  RECT window{};
  GetWindowRect(list->Handle(), &window);
  const int gx = window.left + grip.Left + 2, gy = window.top + grip.Top + 2;
  Display.Compose();
  ASSERT_EQ(TColor(Display.Pixel(gx, gy) & 0xFFFFFF), TColor(clRed));
  HDC mem = CreateCompatibleDC(nullptr);
  SendMessageW(list->Handle(), WM_PRINT, WPARAM(mem), PRF_NONCLIENT | PRF_CLIENT);
  DeleteDC(mem);
  Display.Compose();
  const TColor expected = ColorToRGB(c->CurrentPainter()->DefaultSizeGripAreaColor());
  EXPECT_EQ(TColor(Display.Pixel(gx, gy) & 0xFFFFFF), expected);
}

}  // namespace
