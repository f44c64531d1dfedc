// Mouse-leave tracking, the library's timers, hint preparation and the hint
// window, driven on the headless screen with the manual clock.
#include "lib/lookandfeel/vlControlServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "lib/lookandfeel/vlControlCursors.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/win/Gdi.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

class TTrackingCaller : public TInterfacedObject, public IvlMouseTrackingCaller {
  CL_CLASS(TTrackingCaller, TInterfacedObject)
 public:
  void MouseLeave() override { ++Leaves; }
  Integer Leaves = 0;
};
CL_IMPLEMENT_CLASS(TTrackingCaller)

// Inside only on the left half of the control.
class TAreaCaller : public TTrackingCaller, public IvlMouseTrackingArea {
  CL_CLASS(TAreaCaller, TTrackingCaller)
 public:
  Boolean PtInCaller(const TPoint& P) override { return P.X >= 0 && P.X < 50 && P.Y >= 0 && P.Y < 40; }
};
CL_IMPLEMENT_CLASS(TAreaCaller)

class TCountingPanel : public TPanel {
  CL_CLASS(TCountingPanel, TPanel)
 public:
  Integer CMLeaves = 0;
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_MOUSELEAVE && M.LParam == reinterpret_cast<LPARAM>(this)) ++CMLeaves;
    inherited::Dispatch(M);
  }
};
CL_IMPLEMENT_CLASS(TCountingPanel)

class ServicesTest : public ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Panel = Add<TCountingPanel>(20, 20, 100, 40);
    Pump();
    Caller = New<TTrackingCaller>();
    Caller->_AddRef();
  }
  void TearDown() override {
    vlStopMouseTracking(Caller);
    Caller->_Release();
    ControlFixture::TearDown();
  }
  TCountingPanel* Panel{};
  TTrackingCaller* Caller{};
};

TEST_F(ServicesTest, LeaveIsSeenWithinOneTickAfterThePointerLeaves) {
  MoveTo(Panel, 10, 10);
  vlStartMouseTracking(Panel, Panel->ClientRect(), Caller);
  vlStartMouseTracking(Panel, Panel->ClientRect(), Caller);  // once only
  EXPECT_TRUE(vlIsMouseTracking(Caller));
  Wait(30);
  MoveTo(Panel, 90, 30);  // still inside
  Wait(30);
  EXPECT_EQ(Caller->Leaves, 0);
  EXPECT_TRUE(vlIsMouseTracking(Caller));
  TPoint out = At(Panel, 150, 10);
  Display.MouseMove(out.X, out.Y);  // not pumped: only the timer can see it
  Wait(10);
  EXPECT_EQ(Caller->Leaves, 1);
  EXPECT_GE(Panel->CMLeaves, 1);
  EXPECT_FALSE(vlIsMouseTracking(Caller));
  Wait(50);
  EXPECT_EQ(Caller->Leaves, 1);
}

TEST_F(ServicesTest, ADisabledControlLeavesAlthoughThePointerStays) {
  MoveTo(Panel, 10, 10);
  vlStartMouseTracking(Panel, Panel->ClientRect(), Caller);
  Wait(20);
  EnableWindow(Form->Handle(), FALSE);  // a parent window disabled
  Wait(10);
  EXPECT_EQ(Caller->Leaves, 1);
  EnableWindow(Form->Handle(), TRUE);
}

// A tracked control freed while its caller still tracks counts as gone:
// the caller is told at the next tick, and nothing reads the freed control.
TEST_F(ServicesTest, AFreedControlLeaves) {
  MoveTo(Panel, 10, 10);
  vlStartMouseTracking(Panel, Panel->ClientRect(), Caller);
  Wait(20);
  ASSERT_EQ(Caller->Leaves, 0);
  FreeAndNil(Panel);
  Wait(10);
  EXPECT_EQ(Caller->Leaves, 1);
  EXPECT_FALSE(vlIsMouseTracking(Caller));
}

TEST_F(ServicesTest, AnAreaCallerDecidesByItsOwnTest) {
  TAreaCaller* area = New<TAreaCaller>();
  area->_AddRef();
  MoveTo(Panel, 10, 10);
  vlStartMouseTracking(Panel, Panel->ClientRect(), area);
  TPoint p = At(Panel, 70, 10);  // inside the bounds, outside the caller's area
  Display.MouseMove(p.X, p.Y);
  Wait(10);
  EXPECT_EQ(area->Leaves, 1);
  EXPECT_EQ(Panel->CMLeaves, 0);  // still over the client area: no CM_MOUSELEAVE
  area->_Release();
}

TEST_F(ServicesTest, ScreenBoundsWithoutAControl) {
  Display.MouseMove(500, 500);
  vlStartMouseTracking(nullptr, TRect{490, 490, 510, 510}, Caller);
  Wait(30);
  EXPECT_EQ(Caller->Leaves, 0);
  Display.MouseMove(520, 500);
  Wait(10);
  EXPECT_EQ(Caller->Leaves, 1);
}

class TTicks : public TObject {
  CL_CLASS(TTicks, TObject)
 public:
  void Tick(TObject*) { ++Count; }
  Integer Count = 0;
};
CL_IMPLEMENT_CLASS(TTicks)

TEST_F(ServicesTest, TimerRunsOnlyWhileEnabledAndAssigned) {
  TTicks* ticks = New<TTicks>();
  TvlTimer* timer = New<TvlTimer>(nullptr);
  EXPECT_EQ(timer->Interval(), 1000u);
  timer->SetInterval(30);
  EXPECT_FALSE(timer->TimerOn());  // no OnTimer: no window timer
  Wait(100);
  timer->SetOnTimer(TNotifyEvent(ticks, &TTicks::Tick));
  EXPECT_TRUE(timer->TimerOn());
  Wait(90);
  EXPECT_EQ(ticks->Count, 3);
  timer->SetInterval(0);  // ignored
  EXPECT_EQ(timer->Interval(), 30u);
  timer->SetEnabled(false);
  EXPECT_FALSE(timer->TimerOn());
  Wait(100);
  EXPECT_EQ(ticks->Count, 3);
  timer->SetEnabled(true);
  // a freed timer's id is forgotten: its WM_TIMER does nothing
  const Cardinal id = timer->EventID();
  Free(timer);
  TvlTimer* other = New<TvlTimer>(nullptr);
  other->SetOnTimer(TNotifyEvent(ticks, &TTicks::Tick));
  other->SetInterval(10);
  Wait(10);
  EXPECT_EQ(ticks->Count, 4);
  EXPECT_NE(other->EventID(), id);
  Free(other);
  Wait(50);
  EXPECT_EQ(ticks->Count, 4);
  Free(ticks);
}

TEST_F(ServicesTest, HintAnimationFollowsTheSystemSettings) {
  TvlBaseHintWindow* hint = New<TvlBaseHintWindow>(static_cast<TComponent*>(Application));
  EXPECT_EQ(hint->AnimationStyle(), vlhaAuto);
  EXPECT_EQ(hint->AnimationDelay(), 100);
  const String shortText(20, u'a'), longText(100, u'a');
  EXPECT_EQ(hint->EffectiveAnimationStyle(shortText), vlhaFadeIn);
  EXPECT_EQ(hint->EffectiveAnimationStyle(longText), vlhaNone);
  SystemParametersInfoW(SPI_GETTOOLTIPFADE + 1, 0, nullptr, 0);
  EXPECT_EQ(hint->EffectiveAnimationStyle(shortText), vlhaSlideDownward);
  hint->SetAnimationStyle(vlhaSlideFromLeft);
  EXPECT_EQ(hint->EffectiveAnimationStyle(shortText), vlhaSlideFromLeft);
  SystemParametersInfoW(SPI_GETTOOLTIPANIMATION + 1, 0, nullptr, 0);
  EXPECT_EQ(hint->EffectiveAnimationStyle(shortText), vlhaNone);
  SystemParametersInfoW(SPI_GETTOOLTIPANIMATION + 1, 0, reinterpret_cast<void*>(1), 0);
  SystemParametersInfoW(SPI_GETTOOLTIPFADE + 1, 0, reinterpret_cast<void*>(1), 0);
  hint->SetAnimationStyle(vlhaNone);
  EXPECT_EQ(hint->EffectiveAnimationStyle(shortText), vlhaNone);
  Free(hint);
}

TEST_F(ServicesTest, HintIsShownInsideTheWorkAreaOfItsMonitor) {
  // a second monitor right of the screen, with a task bar 40 high at its bottom
  SetExtraMonitors({{RECT{1280, 0, 2080, 600}, RECT{1280, 0, 2080, 560}}});
  TvlBaseHintWindow* hint = New<TvlBaseHintWindow>(static_cast<TComponent*>(Application));
  struct Case {
    TRect Asked;
    TPoint Expected;
  };
  const Case cases[] = {
      {{2050, 540, 2150, 560}, {1980, 540}},  // bottom-right of the second monitor
      {{1250, 1010, 1350, 1030}, {1180, 1004}},  // bottom-right of the first
      {{-20, -5, 80, 15}, {0, 0}},
  };
  for (const Case& c : cases) {
    hint->ActivateHint(c.Asked, u"İpucu");
    Pump();
    RECT r{};
    GetWindowRect(hint->Handle(), &r);
    EXPECT_EQ((TPoint{r.left, r.top}), c.Expected) << c.Asked.Left;
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_TRUE(IsWindowVisible(hint->Handle()));
    EXPECT_EQ(SendMessageW(hint->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + 2, r.top + 2)), HTTRANSPARENT);
  }
  Free(hint);
  SetExtraMonitors({});
}

class THintEvents : public TObject {
  CL_CLASS(THintEvents, TObject)
 public:
  void ShowHint(String& HintStr, Boolean& CanShow, THintInfo& HintInfo) {
    Seen = HintInfo;
    if (Refuse) CanShow = false;
    HintInfo.HintPos = TPoint{300, 200};
  }
  THintInfo Seen;
  bool Refuse = false;
};
CL_IMPLEMENT_CLASS(THintEvents)

TEST_F(ServicesTest, PrepareControlHintFillsTheRecordAndMeasures) {
  THintEvents* events = New<THintEvents>();
  THintInfo info;
  THintWindow* window = nullptr;
  MoveTo(Panel, 5, 6);
  TRect r{40, 50, 40, 50};
  // without OnShowHint: the record only
  EXPECT_TRUE(vlPrepareControlHint(info, window, Panel, nullptr, r, u"Bilgi"));
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(info.HintControl, Panel);
  EXPECT_EQ(info.HintPos, (TPoint{40, 50}));
  EXPECT_EQ(info.CursorPos, (TPoint{5, 6}));
  EXPECT_EQ(info.CursorRect, (TRect{0, 0, 100, 40}));
  EXPECT_EQ(info.HideTimeout, Application->HintHidePause());
  Application->SetOnShowHint(TShowHintEvent(events, &THintEvents::ShowHint));
  EXPECT_TRUE(vlPrepareControlHint(info, window, Panel, nullptr, r, u"Bilgi"));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->ClassType(), TClass(Application->HintWindowClass()));
  const TRect calc = window->CalcHintRect(info.HintMaxWidth, u"Bilgi", nullptr);
  EXPECT_EQ(r, (TRect{300, 200, 300 + calc.Width(), 200 + calc.Height()}));
  events->Refuse = true;
  EXPECT_FALSE(vlPrepareControlHint(info, window, Panel, nullptr, r, u"Bilgi"));
  Application->SetOnShowHint(TShowHintEvent());
  Free(window);
  Free(events);
}

TEST_F(ServicesTest, TheLibraryCursorsAreRegisteredUnderTheirNumbers) {
  // each a cursor of its own, not the default, with its hot spot: the tip of
  // the pointer for the drag cursors, the middle for the others
  struct TCase {
    TCursor Id;
    DWORD HotX, HotY;
  };
  const TCase cases[] = {
      {crvlDragCopy, 0, 0},   {crvlFullScroll, 15, 15},  {crvlHorScroll, 15, 15},  {crvlVerScroll, 15, 15},
      {crvlUpScroll, 15, 15}, {crvlRightScroll, 15, 15}, {crvlDownScroll, 15, 15}, {crvlLeftScroll, 15, 15},
      {crvlRemove, 0, 0},     {crvlVertSize, 15, 15},    {crvlHorzSize, 15, 15},   {crvlMultiDrag, 0, 0},
      {crvlNoDrop, 15, 15},   {crvlDrag, 0, 0},          {crvlColorPicker, 1, 30}, {crvlMultiDragCopy, 0, 0}};
  std::vector<HCURSOR> seen;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Id);
    HCURSOR h = Screen->Cursors(c.Id);
    EXPECT_NE(h, Screen->Cursors(crDefault));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), h), 0);
    seen.push_back(h);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(h, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, c.HotX);
    EXPECT_EQ(info.yHotspot, c.HotY);
    DeleteObject(info.hbmMask);
  }
  EXPECT_EQ(Screen->Cursors(crvlHandPoint), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(vlCreateLibraryCursor(crvlHandPoint), nullptr);
  EXPECT_EQ(vlCreateLibraryCursor(2116), nullptr);
  // shut-down takes them from the screen; start-up registers them again
  vlControlsFinalize();
  EXPECT_EQ(Screen->Cursors(crvlDrag), Screen->Cursors(crDefault));
  vlControlsInitialize();
  EXPECT_NE(Screen->Cursors(crvlDrag), Screen->Cursors(crDefault));
}

TEST(ControlServicesShutdown, ALeftoverTrackingEntryDoesNotFailTheExit) {
  backend::THeadlessBackend display;
  TTrackingCaller* caller = New<TTrackingCaller>();
  caller->_AddRef();
  vlStartMouseTracking(nullptr, TRect{0, 0, 10, 10}, caller);
  EXPECT_NO_THROW(vlControlsFinalize());
  EXPECT_FALSE(vlIsMouseTracking(caller));
  vlStartMouseTracking(nullptr, TRect{0, 0, 10, 10}, caller);  // refused after shut-down
  EXPECT_FALSE(vlIsMouseTracking(caller));
  vlControlsInitialize();
  EXPECT_NE(vlGetMessageWindow(), nullptr);
  caller->_Release();
}

}  // namespace
