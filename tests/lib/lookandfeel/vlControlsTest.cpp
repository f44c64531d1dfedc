// The control base driven by real messages on the headless screen: focus
// on click and its rules, WM_GETDLGCODE, the scroll bars' settling update,
// scrolling by the wheel and the bars, the library's drag and drop (ended
// when the control is freed, never begun after the capture was taken), the
// platform's drag cancelled by Escape, and the border painted by the painter.
#include "lib/lookandfeel/vlControls.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

// Content of ContentWidth x ContentHeight pixels scrolled by the bars.
class TTestControl : public TvlControl {
  CL_CLASS(TTestControl, TvlControl)
 public:
  Integer ContentWidth = 0, ContentHeight = 0;
  Integer Left0 = 0, Top0 = 0;  // scrolled offsets
  Integer Updates = 0;
  bool AllowBoth = false, AllowDrag = false;
  std::vector<std::string> Log;

  using TvlControl::GetClientBounds;

 protected:
  void InitScrollBarsParameters() override {
    const TRect c = ClientBounds();
    SetScrollBarInfo(sbHorizontal, 0, ContentWidth - 1, 1, c.Width(), Left0, true, true);
    SetScrollBarInfo(sbVertical, 0, ContentHeight - 1, 1, c.Height(), Top0, true, true);
  }
  Boolean AllowHideBothScrollBars(TScrollBarKind) override { return AllowBoth; }

 public:
  void UpdateScrollBars() override {
    ++Updates;
    TvlControl::UpdateScrollBars();
  }

 protected:
  void Scroll(TScrollBarKind AKind, TScrollCode ACode, Integer& APos) override {
    Log.push_back(std::string(AKind == sbHorizontal ? "h" : "v") + std::to_string(int(ACode)));
    if (ACode == scLineDown) (AKind == sbHorizontal ? Left0 : Top0) += 1;
    if (ACode == scLineUp) (AKind == sbHorizontal ? Left0 : Top0) -= 1;
  }
  Boolean StartDragAndDrop(const TPoint& P) override {
    Log.push_back("start");
    return AllowDrag;
  }
  void DragAndDrop(const TPoint& P, Boolean& Accepted) override {
    Log.push_back("drag " + std::to_string(P.X));
    Accepted = true;
    TvlControl::DragAndDrop(P, Accepted);
  }
  void EndDragAndDrop(Boolean Accepted) override {
    Log.push_back(Accepted ? "end accepted" : "end refused");
    TvlControl::EndDragAndDrop(Accepted);
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    Log.push_back("down");
    TvlControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbMiddle) Panning = true;
    NextStep();  // the loop the press starts (panning, drag detection) gets the input
  }

 public:
  // Input given one step at a time from inside the loop a press starts: the
  // first step after the button went down, each next one (panning) after a move.
  std::vector<std::function<void()>> PanningSteps;
  std::vector<HCURSOR> CursorsSeen;  // the cursor shown at each move while panning
  bool Panning = false;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg != StepMessage) return TvlControl::Dispatch(Message);
    if (!PanningSteps.empty()) {
      auto step = PanningSteps.front();
      PanningSteps.erase(PanningSteps.begin());
      step();
    }
  }

 protected:
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override {
    if (Panning) {
      CursorsSeen.push_back(GetCursor());
      NextStep();
    }
    TvlControl::MouseMove(Shift, X, Y);
  }

 private:
  static constexpr UINT StepMessage = WM_APP + 77;
  void NextStep() {
    if (!PanningSteps.empty()) PostMessageW(Handle(), StepMessage, 0, 0);
  }
};
CL_IMPLEMENT_CLASS(TTestControl)

class ControlsTest : public ControlFixture {
 protected:
  TTestControl* Make(int W = 100, int H = 100) {
    TTestControl* c = Add<TTestControl>(20, 20, W, H);
    Pump();
    return c;
  }
  static bool HVisible(TvlControl* C) { return C->HScrollBar()->Visible(); }
  static bool VVisible(TvlControl* C) { return C->VScrollBar()->Visible(); }
};

TEST_F(ControlsTest, ClickFocusesUnlessTheRulesSayNo) {
  TTestControl* a = Make();
  TEdit* edit = Add<TEdit>(200, 20, 80, 21);
  Pump();
  edit->SetFocus();
  Pump();
  ClickAt(a, 10, 10);
  EXPECT_TRUE(a->IsFocused());
  edit->SetFocus();
  Wait(1000);  // the next click is no double click
  a->SetFocusOnClick(false);
  a->Log.clear();
  ClickAt(a, 10, 10);
  EXPECT_FALSE(a->IsFocused());
  EXPECT_TRUE(edit->Focused());
  // the click went on: the drag-and-drop start was asked and OnMouseDown ran
  EXPECT_EQ(a->Log, (std::vector<std::string>{"down", "start"}));
  EXPECT_EQ(a->MouseDownPos(), (TPoint{10, 10}));
}

TEST_F(ControlsTest, DialogCodeFollowsKeysAndCtrl) {
  TTestControl* c = Make();
  struct Case {
    TvlKeys Keys;
    LRESULT Code;
  };
  const Case cases[] = {{TvlKeys{}, 0},
                        {TvlKeys{kTab}, DLGC_WANTTAB},
                        {TvlKeys{kArrows, kChars}, DLGC_WANTARROWS | DLGC_WANTCHARS},
                        {TvlKeys{kAll, kArrows, kChars, kTab}, 4 + 1 + 0x80 + 2}};
  for (const Case& k : cases) {
    c->SetKeys(k.Keys);
    EXPECT_EQ(SendMessageW(c->Handle(), WM_GETDLGCODE, 0, 0), k.Code);
  }
  c->SetKeys(TvlKeys{kTab});
  c->SetFocus();
  Display.KeyDown(VK_CONTROL);
  Pump();
  EXPECT_EQ(SendMessageW(c->Handle(), WM_GETDLGCODE, 0, 0), 0);
  Display.KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(SendMessageW(c->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTTAB);
}

TEST_F(ControlsTest, ScrollBarsSettleForEachContentSize) {
  TTestControl* c = Make(100, 100);
  struct Case {
    Integer W, H;
    bool AllowBoth;
    bool H_, V;
  };
  const Case cases[] = {
      {100, 100, false, false, false},  // fits exactly without bars
      {101, 50, false, true, false},
      {50, 101, false, false, true},
      {90, 101, false, true, true},   // the vertical bar takes the room the width needed
      {83, 101, false, false, true},  // still fits beside the vertical bar
      {100, 100, false, false, false},
      {100, 101, true, true, true},   // the width fits only without the vertical bar
      {90, 90, true, false, false},
  };
  for (const Case& k : cases) {
    c->ContentWidth = k.W;
    c->ContentHeight = k.H;
    c->AllowBoth = k.AllowBoth;
    c->Updates = 0;
    c->UpdateScrollBars();
    EXPECT_EQ(HVisible(c), k.H_) << k.W << "x" << k.H;
    EXPECT_EQ(VVisible(c), k.V) << k.W << "x" << k.H;
    EXPECT_LE(c->Updates, 4) << "settles in few rounds";
    // a second update changes nothing
    c->UpdateScrollBars();
    EXPECT_EQ(HVisible(c), k.H_);
    EXPECT_EQ(VVisible(c), k.V);
    const TRect cb = c->GetClientBounds();
    EXPECT_EQ(cb.Right, 100 - (k.V ? 17 : 0));
    EXPECT_EQ(cb.Bottom, 100 - (k.H_ ? 17 : 0));
    EXPECT_EQ(c->SizeGrip()->Visible(), k.H_ && k.V);
  }
  // the bars are placed beside the client bounds
  c->ContentWidth = c->ContentHeight = 300;
  c->UpdateScrollBars();
  EXPECT_EQ(c->VScrollBar()->BoundsRect(), (TRect{83, 0, 100, 83}));
  EXPECT_EQ(c->HScrollBar()->BoundsRect(), (TRect{0, 83, 83, 100}));
  EXPECT_EQ(c->SizeGrip()->BoundsRect(), (TRect{83, 83, 100, 100}));
}

TEST_F(ControlsTest, PageCoveringTheRangeHidesOrDisablesAndStyleNoneHides) {
  TTestControl* c = Make();
  c->SetScrollBarInfo(sbVertical, 0, 9, 1, 10, 0, true, false);  // page = range, not hideable
  c->SetScrollBarInfo(sbHorizontal, 0, 9, 1, 10, 0, true, true);
  c->HScrollBar()->ApplyData();
  c->VScrollBar()->ApplyData();
  EXPECT_TRUE(VVisible(c));
  EXPECT_FALSE(c->VScrollBar()->Enabled());
  EXPECT_FALSE(HVisible(c));
  c->ContentWidth = c->ContentHeight = 500;
  c->SetScrollBars(ssNone);
  EXPECT_FALSE(HVisible(c));
  EXPECT_FALSE(VVisible(c));
  c->SetScrollBars(ssVertical);
  EXPECT_FALSE(HVisible(c));
  EXPECT_TRUE(VVisible(c));
}

TEST_F(ControlsTest, LockedScrollBarsUpdateOnceAtTheEnd) {
  TTestControl* c = Make();
  c->ContentWidth = c->ContentHeight = 500;
  c->LockScrollBars();
  c->LockScrollBars();
  c->UpdateScrollBars();
  c->UpdateScrollBars();
  EXPECT_FALSE(VVisible(c));
  c->UnlockScrollBars();
  EXPECT_FALSE(VVisible(c));
  c->UnlockScrollBars();
  EXPECT_TRUE(VVisible(c));
  c->UnlockScrollBars();  // never below zero
  c->LockScrollBars();
  c->Updates = 0;
  c->UnlockScrollBars();  // nothing asked: no update
  EXPECT_EQ(c->Updates, 0);
}

TEST_F(ControlsTest, WheelAndBarsScrollTheContent) {
  TTestControl* c = Make();
  c->ContentWidth = 500;
  c->ContentHeight = 500;
  c->UpdateScrollBars();
  c->SetFocus();
  Pump();
  c->Log.clear();
  ASSERT_TRUE(VVisible(c));
  ASSERT_EQ(GetFocus(), c->Handle());
  const TPoint p = At(c, 40, 40);
  Display.Wheel(p.X, p.Y, -120);
  Pump();
  const std::vector<std::string> three(size_t(Mouse()->WheelScrollLines()), "v1");
  EXPECT_EQ(c->Log, three);
  c->Log.clear();
  Display.Wheel(p.X, p.Y, 120);
  Pump();
  EXPECT_EQ(c->Log.front(), "v0");
  // a click on the vertical bar's down arrow scrolls by a line through Scroll
  c->Log.clear();
  ClickAt(c, 90, 80);
  ASSERT_FALSE(c->Log.empty());
  EXPECT_EQ(c->Log.front(), "v1");
  EXPECT_TRUE(c->IsFocused());  // the bar hands the focus to its control
}

TEST_F(ControlsTest, MiddleButtonPanningShowsTheLibraryCursors) {
  // only a vertical bar: sideways moves stay in the neutral zone
  TTestControl* c = Make();
  c->ContentHeight = 500;
  c->UpdateScrollBars();
  Pump();
  ASSERT_TRUE(VVisible(c));
  ASSERT_FALSE(HVisible(c));
  const TPoint p = At(c, 40, 40);
  Display.MouseMove(p.X, p.Y);
  Pump();
  c->PanningSteps = {[&] { Display.MouseMove(p.X, p.Y + 40); },    // below the neutral zone: down
                     [&] { Display.MouseMove(p.X + 200, p.Y); },   // sideways: neutral again
                     [&] { Display.MouseDown(p.X + 200, p.Y); }};  // a click ends the panning
  Display.MouseDown(p.X, p.Y, VK_MBUTTON);
  Pump();
  EXPECT_TRUE(c->PanningSteps.empty());
  EXPECT_EQ(GetCapture(), nullptr);
  c->Panning = false;
  Display.MouseUp(p.X + 200, p.Y);
  Display.MouseUp(p.X, p.Y, VK_MBUTTON);
  Pump();
  const std::vector<HCURSOR> expected{Screen->Cursors(crvlDownScroll), Screen->Cursors(crvlVerScroll)};
  EXPECT_EQ(c->CursorsSeen, expected);
  EXPECT_NE(expected[0], Screen->Cursors(crDefault));
  EXPECT_NE(expected[0], expected[1]);
}

TEST_F(ControlsTest, LibraryDragAndDropStartsPastTheThreshold) {
  TTestControl* c = Make(200, 100);
  c->AllowDrag = true;
  const Integer t = Mouse()->DragThreshold();
  const TPoint p = At(c, 50, 50);
  // released inside the pressed area: never begins
  Display.MouseDown(p.X, p.Y);
  Pump();
  EXPECT_EQ(c->DragAndDropState(), ddsStarting);
  Display.MouseMove(p.X + t - 1, p.Y);
  Pump();
  EXPECT_EQ(c->DragAndDropState(), ddsStarting);
  Display.MouseUp(p.X + t - 1, p.Y);
  Pump();
  EXPECT_EQ(c->DragAndDropState(), ddsNone);
  EXPECT_EQ(std::count(c->Log.begin(), c->Log.end(), "end accepted"), 0);
  // past the threshold: in process, moves reported, accepted at the release
  Wait(1000);  // no double click
  c->Log.clear();
  Display.MouseDown(p.X, p.Y);
  Pump();
  Display.MouseMove(p.X + t, p.Y);
  Pump();
  EXPECT_EQ(c->DragAndDropState(), ddsInProcess);
  EXPECT_EQ(GetCapture(), c->Handle());
  Display.MouseMove(p.X + 30, p.Y);
  Pump();
  EXPECT_EQ(Screen->Cursor(), crDrag);
  Display.MouseUp(p.X + 30, p.Y);
  Pump();
  EXPECT_EQ(c->DragAndDropState(), ddsNone);
  EXPECT_EQ(c->Log.back(), "end accepted");
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_NE(std::find(c->Log.begin(), c->Log.end(), "drag 80"), c->Log.end());
  // a key ends it without acceptance and is consumed
  Wait(1000);
  c->Log.clear();
  Display.MouseDown(p.X, p.Y);
  Pump();
  Display.MouseMove(p.X + 20, p.Y);
  Pump();
  ASSERT_EQ(c->DragAndDropState(), ddsInProcess);
  Display.KeyPress(VK_SPACE);
  Pump();
  EXPECT_EQ(c->DragAndDropState(), ddsNone);
  EXPECT_EQ(c->Log.back(), "end refused");
  Display.MouseUp(p.X + 20, p.Y);
  Pump();
  // a refused start leaves the state alone
  Wait(1000);
  c->AllowDrag = false;
  ClickAt(c, 50, 50);
  EXPECT_EQ(c->DragAndDropState(), ddsNone);
}

TEST_F(ControlsTest, PopupMenuAcceptsOnlyMenusAndIsForgottenWhenFreed) {
  TTestControl* c = Make();
  TEdit* notAMenu = New<TEdit>(static_cast<TComponent*>(Form));
  c->SetPopupMenu(notAMenu);
  EXPECT_EQ(c->PopupMenu(), nullptr);
  TPopupMenu* menu = New<TPopupMenu>(static_cast<TComponent*>(Form));
  c->SetPopupMenu(menu);
  EXPECT_EQ(c->PopupMenu(), menu);
  Free(menu);
  EXPECT_EQ(c->PopupMenu(), nullptr);
}

// Freed while its drag and drop runs: the drag ends first, so the screen
// cursor is the one from before the drag.
TEST_F(ControlsTest, FreeingADraggingControlRestoresTheCursor) {
  TTestControl* c = Make(200, 100);
  c->AllowDrag = true;
  const TPoint p = At(c, 50, 50);
  Display.MouseDown(p.X, p.Y);
  Pump();
  Display.MouseMove(p.X + 30, p.Y);
  Pump();
  ASSERT_EQ(c->DragAndDropState(), ddsInProcess);
  ASSERT_EQ(Screen->Cursor(), crDrag);
  Free(c);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  Display.MouseUp(p.X + 30, p.Y);
  Pump();
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

// Another window takes the mouse while a drag is starting: the drag never
// begins, also when the mouse later moves over the control with no button.
TEST_F(ControlsTest, ADragWhoseCaptureWasTakenNeverBegins) {
  TTestControl* c = Make(200, 100);
  TEdit* other = Add<TEdit>(20, 200, 100, 21);
  Pump();
  c->AllowDrag = true;
  const TPoint p = At(c, 50, 50);
  Display.MouseDown(p.X, p.Y);
  Pump();
  ASSERT_EQ(c->DragAndDropState(), ddsStarting);
  SetCapture(other->Handle());
  Display.MouseUp(p.X, p.Y);
  Pump();
  ReleaseCapture();
  EXPECT_EQ(c->DragAndDropState(), ddsNone);
  Display.MouseMove(p.X + 30, p.Y);
  Pump();
  Display.MouseMove(p.X + 40, p.Y);
  Pump();
  EXPECT_EQ(c->DragAndDropState(), ddsNone);
  EXPECT_EQ(std::count(c->Log.begin(), c->Log.end(), "drag 80"), 0);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

// Counts the end of a platform drag and where it dropped.
class TDragEnd : public TObject {
  CL_CLASS(TDragEnd, TObject)
 public:
  Integer Ends = 0;
  TObject* Target{};
  void EndDrag(TObject*, TObject* ATarget, Integer, Integer) {
    ++Ends;
    Target = ATarget;
  }
  void DragOver(TObject*, TObject*, Integer, Integer, TDragState, Boolean& Accept) { Accept = true; }
};
CL_IMPLEMENT_CLASS(TDragEnd)

// Escape cancels the platform's drag started from a library control: the
// key reaches the drag, and the release drops nothing.
TEST_F(ControlsTest, EscapeCancelsAStandardDrag) {
  TTestControl* c = Make(200, 100);
  TEdit* target = Add<TEdit>(20, 200, 100, 21);
  Pump();
  TDragEnd* end = New<TDragEnd>();
  Finally freeEnd([&] { Free(end); });
  c->SetDragModeProp(dmAutomatic);
  c->SetOnEndDrag(TEndDragEvent(end, &TDragEnd::EndDrag));
  target->SetOnDragOver(TDragOverEvent(end, &TDragEnd::DragOver));
  c->SetFocus();
  Pump();
  const TPoint p = At(c, 50, 50);
  // the move comes from inside the drag detection the press starts
  c->PanningSteps = {[&] { Display.MouseMove(p.X + 20, p.Y); }};
  Display.MouseDown(p.X, p.Y);
  Pump();
  ASSERT_TRUE(c->Dragging());
  const TPoint over = At(target, 10, 10);
  Display.MouseMove(over.X, over.Y);
  Pump();
  Display.KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_FALSE(c->Dragging());
  EXPECT_EQ(end->Ends, 1);
  EXPECT_EQ(end->Target, nullptr);
  Display.MouseUp(over.X, over.Y);
  Pump();
  EXPECT_EQ(end->Ends, 1);
}

}  // namespace
