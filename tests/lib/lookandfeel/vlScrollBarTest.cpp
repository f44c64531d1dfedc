// The library's scroll bar driven by the mouse on the headless screen:
// its rectangles and thumb, auto-repeat on the manual clock, the thumb
// drag with the jump back outside the tracking zone, its ranges, and a
// handler that frees the bar.
#include "lib/lookandfeel/vlScrollBar.h"

#include <gtest/gtest.h>

#include <vector>

#include "lib/lookandfeel/vlControlServices.h"
#include "lib/foundation/vlGeometry.h"
#include "platform/rtl/Numbers.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

class TScrollLog : public TObject {
  CL_CLASS(TScrollLog, TObject)
 public:
  void Scroll(TObject*, TScrollCode Code, Integer& Pos) {
    Codes.push_back(Code);
    if (Force) Pos = 1000;
  }
  void Change(TObject*) { ++Changes; }
  std::vector<TScrollCode> Codes;
  Integer Changes = 0;
  bool Force = false;
};
CL_IMPLEMENT_CLASS(TScrollLog)

class ScrollBarTest : public ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Log = New<TScrollLog>();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    FreeAndNil(Log);
  }
  // A vertical bar on the form, Left 20, Top 20.
  TvlScrollBar* MakeBar(int Width, int Height) {
    TvlScrollBar* bar = Add<TvlScrollBar>(20, 20, 121, 17);
    bar->SetKind(sbVertical);
    bar->SetBounds(20, 20, Width, Height);
    bar->SetOnScroll(TScrollEvent(Log, &TScrollLog::Scroll));
    bar->SetOnChange(TNotifyEvent(Log, &TScrollLog::Change));
    Pump();
    return bar;
  }
  TScrollLog* Log{};
};

TEST_F(ScrollBarTest, RectanglesAndThumbOfTheExampleBar) {
  TvlScrollBar* bar = MakeBar(17, 100);
  bar->SetScrollParams(0, 99, 0, 10);
  TvlScrollBarViewInfo* vi = bar->ViewInfo();
  EXPECT_EQ(vi->TopLeftArrowRect, (TRect{0, 0, 17, 17}));
  EXPECT_EQ(vi->BottomRightArrowRect, (TRect{0, 83, 17, 100}));
  // MulDiv(10, 66, 100) = 7, raised to the painter's minimal thumb size
  const Integer length = std::max(7, vi->ThumbnailSize);
  EXPECT_EQ(vi->ThumbnailRect, (TRect{0, 17, 17, 17 + length}));
  EXPECT_TRUE(vlIsRectEmpty(vi->PageUpRect));  // the thumb touches the arrow
  EXPECT_EQ(vi->PageDownRect, (TRect{0, 17 + length, 17, 83}));
  bar->SetPosition(90);  // the last page: the thumb ends at the second arrow
  EXPECT_EQ(vi->ThumbnailRect.Bottom, 83);
  // too short for a thumb: arrows of half the length each
  TvlScrollBar* small = MakeBar(17, 30);
  EXPECT_EQ(small->ViewInfo()->TopLeftArrowRect, (TRect{0, 0, 17, 15}));
  EXPECT_EQ(small->ViewInfo()->BottomRightArrowRect, (TRect{0, 15, 17, 30}));
  EXPECT_EQ(small->ViewInfo()->ThumbnailRect, TRect{});
  EXPECT_EQ(small->GetPartAtPos(TPoint{5, 20}), sbpLineDown);
}

TEST_F(ScrollBarTest, RangesAndPositions) {
  TvlScrollBar* bar = MakeBar(17, 100);
  bar->SetPosition(150);
  EXPECT_EQ(bar->Position(), 100);
  EXPECT_EQ(Log->Changes, 1);
  EXPECT_THROW(bar->SetMax(-1), EInvalidOperation);
  EXPECT_EQ(bar->Max(), 100);
  EXPECT_THROW(bar->SetScrollParams(0, 5, 0, 10), EInvalidOperation);
  bar->SetEnabledProp(false);
  EXPECT_EQ(bar->ViewInfo()->ThumbnailRect, TRect{});  // a disabled bar has no thumb
  bar->SetPosition(10);
  EXPECT_TRUE(bar->Enabled());  // a new position enables the bar
  Log->Force = true;  // OnScroll asks for 1000: clamped to Max
  SendMessageW(bar->Handle(), CN_VSCROLL, scLineDown, 0);
  EXPECT_EQ(bar->Position(), 100);
  // Kind at run time exchanges the sides
  TvlScrollBar* horz = Add<TvlScrollBar>(0, 0, 121, 17);
  horz->SetKind(sbVertical);
  EXPECT_EQ(horz->Width(), 17);
  EXPECT_EQ(horz->Height(), 121);
}

TEST_F(ScrollBarTest, HoldingAnArrowRepeatsAfter400ThenEvery60Milliseconds) {
  TvlScrollBar* bar = MakeBar(17, 200);
  const TPoint arrow = At(bar, 8, 190), elsewhere = At(bar, 100, 100);
  Display.MouseDown(arrow.X, arrow.Y);
  Pump();
  EXPECT_EQ(bar->Position(), 1);  // once at once
  EXPECT_EQ(bar->State().PressedPart, sbpLineDown);
  Wait(390);
  EXPECT_EQ(bar->Position(), 1);
  Wait(10);
  EXPECT_EQ(bar->Position(), 2);  // after 400 ms
  Wait(60);
  EXPECT_EQ(bar->Position(), 3);
  Wait(120);
  EXPECT_EQ(bar->Position(), 5);  // every 60 ms
  Display.MouseMove(elsewhere.X, elsewhere.Y);  // off the arrow: the repeat pauses
  Pump();
  Wait(300);
  EXPECT_EQ(bar->Position(), 5);
  Display.MouseMove(arrow.X, arrow.Y);  // back: it resumes
  Pump();
  Wait(60);
  EXPECT_EQ(bar->Position(), 6);
  Display.MouseUp(arrow.X, arrow.Y);
  Pump();
  EXPECT_EQ(bar->State().PressedPart, sbpNone);
  EXPECT_EQ(Log->Codes.back(), scEndScroll);
  Wait(200);
  EXPECT_EQ(bar->Position(), 6);
}

TEST_F(ScrollBarTest, PageAreasScrollByLargeChange) {
  TvlScrollBar* bar = MakeBar(17, 200);
  bar->SetLargeChange(10);
  bar->SetScrollParams(0, 100, 50, 20);
  const TRect down = bar->ViewInfo()->PageDownRect, up = bar->ViewInfo()->PageUpRect;
  ClickAt(bar, 8, (down.Top + down.Bottom) / 2);
  EXPECT_EQ(bar->Position(), 60);
  ClickAt(bar, 8, (up.Top + up.Bottom) / 2);
  EXPECT_EQ(bar->Position(), 50);
}

TEST_F(ScrollBarTest, ThumbDragTracksAndSnapsBackOutsideTheZone) {
  TvlScrollBar* bar = MakeBar(17, 200);
  bar->SetScrollParams(0, 100, 0, 0);
  const TRect thumb = bar->ViewInfo()->ThumbnailRect;
  const TPoint grip = At(bar, 8, thumb.Top + 5);
  Display.MouseDown(grip.X, grip.Y);
  Pump();
  Display.MouseMove(grip.X, grip.Y + 60);
  Pump();
  const Integer tracked = bar->Position();
  EXPECT_GT(tracked, 0);
  EXPECT_EQ(bar->ViewInfo()->ThumbnailRect.Top, thumb.Top + 60);
  EXPECT_EQ(Log->Codes.back(), scTrack);
  EXPECT_EQ(Log->Changes, 0);  // tracking changes the position without OnChange
  Display.MouseMove(grip.X + 200, grip.Y + 60);  // 200 pixels sideways: outside the zone
  Pump();
  EXPECT_EQ(bar->Position(), 0);
  Display.MouseMove(grip.X + 100, grip.Y + 60);  // back inside the zone
  Pump();
  EXPECT_EQ(bar->Position(), tracked);
  Display.MouseUp(grip.X + 100, grip.Y + 60);
  Pump();
  EXPECT_EQ(bar->Position(), tracked);
  ASSERT_GE(Log->Codes.size(), 2u);
  EXPECT_EQ(Log->Codes[Log->Codes.size() - 2], scPosition);
  EXPECT_EQ(Log->Codes.back(), scEndScroll);
  // with unlimited tracking the far pointer keeps the position
  bar->SetUnlimitedTracking(true);
  bar->SetPosition(0);
  Display.MouseDown(grip.X, grip.Y);
  Pump();
  Display.MouseMove(grip.X + 400, grip.Y + 60);
  Pump();
  EXPECT_EQ(bar->Position(), tracked);
  Display.MouseUp(grip.X + 400, grip.Y + 60);
  Pump();
}

TEST_F(ScrollBarTest, DraggingPastTheEndStopsAtTheLastPosition) {
  TvlScrollBar* bar = MakeBar(17, 200);
  bar->SetScrollParams(0, 100, 0, 10);
  const TRect thumb = bar->ViewInfo()->ThumbnailRect;
  const TPoint grip = At(bar, 8, thumb.Top + 2);
  Display.MouseDown(grip.X, grip.Y);
  Pump();
  Display.MouseMove(grip.X, grip.Y + 190);
  Pump();
  EXPECT_EQ(bar->ViewInfo()->ThumbnailRect.Bottom, 183);
  EXPECT_EQ(bar->Position(), 91);  // Max - PageSize + 1
  Display.MouseUp(grip.X, grip.Y + 190);
  Pump();
}

// Frees the bar from its own scroll handler at one scroll code.
class TFreeingHandler : public TObject {
  CL_CLASS(TFreeingHandler, TObject)
 public:
  TvlScrollBar* Bar{};
  TScrollCode FreeAt{};
  void Scroll(TObject*, TScrollCode Code, Integer&) {
    if (Code == FreeAt) FreeAndNil(Bar);
  }
};
CL_IMPLEMENT_CLASS(TFreeingHandler)

// A handler may free the bar: the bar reads nothing of itself afterwards,
// whether the press, the repeat or the release scrolled.
TEST_F(ScrollBarTest, AHandlerMayFreeTheBar) {
  struct TCase {
    const char* Name;
    TPoint At;  // in the bar
    TScrollCode FreeAt;
    Boolean Release;
  };
  const TCase cases[] = {
      {"arrow press", TPoint{8, 90}, scLineDown, false},
      {"thumb press", TPoint{8, 20}, scTrack, false},
      {"page press", TPoint{8, 70}, scPageDown, false},
      {"release", TPoint{8, 90}, scEndScroll, true},
  };
  TFreeingHandler* handler = New<TFreeingHandler>();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlScrollBar* bar = MakeBar(17, 100);
    bar->SetScrollParams(0, 99, 0, 10);
    bar->SetOnScroll(TScrollEvent(handler, &TFreeingHandler::Scroll));
    handler->Bar = bar;
    handler->FreeAt = c.FreeAt;
    const TPoint p = At(bar, c.At.X, c.At.Y);
    Display.MouseDown(p.X, p.Y);
    Pump();
    if (c.Release) {
      Wait(500);  // the repeat runs too
      Display.MouseUp(p.X, p.Y);
      Pump();
    }
    EXPECT_EQ(handler->Bar, nullptr);
    if (!c.Release) {
      Display.MouseUp(p.X, p.Y);
      Pump();
    }
    Wait(100);
  }
  Free(handler);
}

}  // namespace
