// Controls on real windows of the headless screen: window creation, the
// message layers, alignment, constraints, parent properties, painting of
// graphic controls, mouse routing, focus, keys, streaming and recreation.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/Headless.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ControlsPublish.h"
#include "tests/platform/vcl/VclTestSupport.h"

using namespace win;

namespace {

std::vector<std::string> gLog;

std::string MsgName(Cardinal m) {
  static const std::map<Cardinal, const char*> names = {
      {WM_NCCREATE, "WM_NCCREATE"},     {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
      {WM_CREATE, "WM_CREATE"},         {WM_SIZE, "WM_SIZE"},
      {WM_MOVE, "WM_MOVE"},             {WM_SETFONT, "WM_SETFONT"},
      {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"}, {WM_DESTROY, "WM_DESTROY"},
      {WM_NCDESTROY, "WM_NCDESTROY"},   {CM_SHOWINGCHANGED, "CM_SHOWINGCHANGED"},
      {CM_ENTER, "CM_ENTER"},           {CM_EXIT, "CM_EXIT"},
      {WM_SETFOCUS, "WM_SETFOCUS"},     {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {CM_MOUSEENTER, "CM_MOUSEENTER"}, {CM_MOUSELEAVE, "CM_MOUSELEAVE"},
      {CM_INVALIDATE, "CM_INVALIDATE"}, {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
      {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"}};
  auto it = names.find(m);
  return it == names.end() ? std::string() : it->second;
}

// A windowed control that logs the messages of its WndProc, paints its
// colour and records its input events.
class TTestControl : public TCustomControl {
  CL_CLASS(TTestControl, TCustomControl)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    TControlStyle s = ControlStyle();
    s.Include(csAcceptsControls);
    SetControlStyle(s);
  }
  void WndProc(TMessage& M) override {
    if (Logging) {
      std::string n = MsgName(M.Msg);
      if (!n.empty()) gLog.push_back(UTF16ToUTF8(Name()) + ":" + n);
    }
    inherited::WndProc(M);
  }
  bool Logging = false;
  bool ThrowInPaint = false;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    if (ThrowInPaint) throw EConvertError(u"bad paint");
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
  void MouseDown(TMouseButton B, TShiftState S, Integer X, Integer Y) override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":down " + std::to_string(X) + "," + std::to_string(Y) +
                   (S.Contains(ssDouble) ? " double" : ""));
    inherited::MouseDown(B, S, X, Y);
  }
  void MouseUp(TMouseButton B, TShiftState S, Integer X, Integer Y) override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":up " + std::to_string(X) + "," + std::to_string(Y));
    inherited::MouseUp(B, S, X, Y);
  }
  void Click() override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":click");
    inherited::Click();
  }
  void DblClick() override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":dblclick");
    inherited::DblClick();
  }
  void DoEnter() override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":enter");
    inherited::DoEnter();
  }
  void DoExit() override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":exit");
    inherited::DoExit();
  }
};

// The same control publishing what the library's controls publish.
CL_IMPLEMENT_CLASS_PUBLISHED(TTestControl, P) {
  PublishControlProperties(P, {u"Align", u"Anchors", u"Caption", u"Color", u"Font", u"ParentColor", u"ParentFont",
                               u"PopupMenu", u"ShowHint", u"TabOrder", u"TabStop", u"Visible", u"OnClick",
                               u"OnKeyDown"});
}

// A graphic control that fills its client area (or, with Spill, far more)
// with its colour and records its input.
class TTestGraphic : public TGraphicControl {
  CL_CLASS(TTestGraphic, TGraphicControl)
 public:
  bool Spill = false;
  bool ThrowInPaint = false;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    if (ThrowInPaint) throw EConvertError(u"bad paint");
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(Spill ? TRect{-100, -100, 1000, 1000} : ClientRect());
  }
  void MouseDown(TMouseButton B, TShiftState S, Integer X, Integer Y) override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":down " + std::to_string(X) + "," + std::to_string(Y) +
                   (S.Contains(ssDouble) ? " double" : ""));
    inherited::MouseDown(B, S, X, Y);
  }
  void MouseUp(TMouseButton B, TShiftState S, Integer X, Integer Y) override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":up " + std::to_string(X) + "," + std::to_string(Y));
    inherited::MouseUp(B, S, X, Y);
  }
  void Click() override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":click");
    inherited::Click();
  }
  void DblClick() override {
    gLog.push_back(UTF16ToUTF8(Name()) + ":dblclick");
    inherited::DblClick();
  }
};

CL_IMPLEMENT_CLASS_PUBLISHED(TTestGraphic, P) {
  PublishControlProperties(P, {u"Align", u"Caption", u"Color", u"ParentColor", u"OnEndDrag"});
}

// Holds the screen, a foreign host window and a root control placed in it.
class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      registered = true;
      WNDCLASSW c{};
      c.lpfnWndProc = WNDPROC(&DefWindowProcW);
      c.hInstance = HInstance;
      c.lpszClassName = u"ControlsTestHost";
      c.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
      RegisterClassW(&c);
      RegisterClasses({TTestControl::StaticClass(), TTestGraphic::StaticClass()});
    }
    gLog.clear();
    InjectMouseMove(POINT{1200, 1000});
    Host = CreateWindowExW(0, u"ControlsTestHost", u"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                           HInstance, nullptr);
    Root = NewBy<TTestControl>(&TWinControl::CreateParented, Host);
    Root->SetName(u"Root");
    Root->SetBounds(0, 0, 400, 300);
    Root->SetColor(clWhite);
  }
  void TearDown() override {
    if (::testing::Test::HasFailure()) Screen.SaveScreenshot(vcltest::TempPath("controls", "failed.png"));
    Free(Root);
    DestroyWindow(Host);
    Pump();
    gLog.clear();
  }
  // Shows the root (and so creates the windows of every showing child).
  void ShowRoot() {
    Root->UpdateControlState();
    Pump();
  }
  // Runs the queue the way the application's loop does: key messages go
  // to their control as CN_ messages first.
  void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (IsKeyMsg(m)) continue;
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  template <class T>
  T* Child(TWinControl* Parent, const char16_t* Name, TRect Bounds) {
    T* c = New<T>(Root);
    c->SetName(Name);
    c->SetBoundsRect(Bounds);
    c->SetParent(Parent);
    return c;
  }
  TColor ScreenPixel(int X, int Y) {
    Screen.Compose();
    return TColor(Screen.Pixel(X, Y));
  }

  backend::THeadlessBackend Screen;
  HWND Host{};
  TTestControl* Root{};
};

// --- Window creation -------------------------------------------------------------------------------

TEST_F(ControlsTest, CreationDeliversEveryMessageToTheControlInOrder) {
  auto* a = Child<TTestControl>(Root, u"A", TRect{10, 10, 110, 60});
  a->Logging = true;
  ShowRoot();
  ASSERT_TRUE(a->HandleAllocated());
  EXPECT_EQ(FindControl(a->Handle()), a);
  EXPECT_EQ(FindControl(Root->Handle()), Root);
  std::vector<std::string> expected = {"A:WM_NCCREATE", "A:WM_NCCALCSIZE", "A:WM_CREATE", "A:WM_SIZE", "A:WM_MOVE",
                                       "A:WM_SETFONT"};
  ASSERT_GE(gLog.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(gLog.begin(), gLog.begin() + ptrdiff_t(expected.size())), expected);
  // Then the window shows through CM_SHOWINGCHANGED.
  auto showing = std::find(gLog.begin(), gLog.end(), "A:CM_SHOWINGCHANGED");
  ASSERT_NE(showing, gLog.end());
  EXPECT_NE(std::find(showing, gLog.end(), "A:WM_WINDOWPOSCHANGED"), gLog.end());
  EXPECT_TRUE(a->Showing());
  EXPECT_TRUE(IsWindowVisible(a->Handle()));
  RECT r;
  GetWindowRect(a->Handle(), &r);
  EXPECT_EQ(TRect(r), (TRect{10, 10, 110, 60}));
}

TEST_F(ControlsTest, CreateParamsFollowTheControl) {
  struct Case {
    const char* What;
    std::function<void(TTestControl*)> Set;
    DWORD Style;
    bool Present;
  };
  const Case cases[] = {
      {"tab stop", [](TTestControl* c) { c->SetTabStop(true); }, WS_TABSTOP, true},
      {"no tab stop", [](TTestControl*) {}, WS_TABSTOP, false},
      {"disabled", [](TTestControl* c) { c->SetEnabledProp(false); }, WS_DISABLED, true},
      {"accepts controls", [](TTestControl*) {}, WS_CLIPCHILDREN, true},
      {"child", [](TTestControl*) {}, WS_CHILD, true},
  };
  for (const Case& k : cases) {
    auto* c = Child<TTestControl>(Root, u"C", TRect{0, 0, 20, 20});
    k.Set(c);
    ShowRoot();
    DWORD style = DWORD(GetWindowLongW(c->Handle(), GWL_STYLE));
    EXPECT_EQ((style & k.Style) != 0, k.Present) << k.What;
    Free(c);
  }
}

TEST_F(ControlsTest, ChildWithoutParentWindowCannotGetAHandle) {
  TTestControl* orphan = New<TTestControl>(nullptr);
  orphan->SetName(u"Orphan");
  EXPECT_THROW(orphan->Handle(), EInvalidOperation);
  EXPECT_FALSE(orphan->HandleAllocated());
  Free(orphan);
}

TEST_F(ControlsTest, RecreateWndKeepsChildrenBoundsAndText) {
  auto* a = Child<TTestControl>(Root, u"A", TRect{5, 5, 205, 105});
  auto* b = Child<TTestControl>(a, u"B", TRect{10, 20, 60, 50});
  auto* g = Child<TTestGraphic>(a, u"G", TRect{70, 20, 90, 40});
  b->SetCaption(u"kept text");
  ShowRoot();
  HWND oldA = a->Handle(), oldB = b->Handle();
  a->RecreateWnd();
  Pump();
  ASSERT_TRUE(a->HandleAllocated());
  ASSERT_TRUE(b->HandleAllocated());
  EXPECT_NE(a->Handle(), oldA);
  EXPECT_NE(b->Handle(), oldB);
  EXPECT_FALSE(IsWindow(oldA));
  EXPECT_EQ(FindControl(oldB), nullptr);
  EXPECT_EQ(::win::GetParent(b->Handle()), a->Handle());
  EXPECT_EQ(b->BoundsRect(), (TRect{10, 20, 60, 50}));
  EXPECT_EQ(b->Caption(), u"kept text");
  EXPECT_TRUE(b->Showing());
  EXPECT_EQ(g->Parent(), a);
  EXPECT_EQ(a->ControlCount(), 2);
}

// --- The message layers -----------------------------------------------------------------------------

TEST_F(ControlsTest, WindowProcCanBeReplacedAndChained) {
  auto* a = Child<TTestControl>(Root, u"A", TRect{0, 0, 50, 50});
  ShowRoot();
  struct TSpy : TObject {
    TWndMethod Old;
    std::vector<Cardinal> Seen;
    void Proc(TMessage& M) {
      Seen.push_back(M.Msg);
      Old(M);
    }
  } spy;
  spy.Old = a->WindowProc();
  a->SetWindowProc(TWndMethod(&spy, &TSpy::Proc));
  // Both Perform and the window's own messages pass through the new procedure.
  a->Perform(CM_COLORCHANGED, 0, 0);
  SendMessageW(a->Handle(), WM_USER + 7, 0, 0);
  EXPECT_NE(std::find(spy.Seen.begin(), spy.Seen.end(), CM_COLORCHANGED), spy.Seen.end());
  EXPECT_NE(std::find(spy.Seen.begin(), spy.Seen.end(), WM_USER + 7), spy.Seen.end());
  // Text set through the chain still reaches the window.
  a->SetCaption(u"abc");
  Char buf[8]{};
  GetWindowTextW(a->Handle(), buf, 8);
  EXPECT_EQ(String(buf), u"abc");
  a->SetWindowProc(spy.Old);
}

// A paint that throws gives the canvas back: no paint DC kept, unlocked
// (another thread drawing on it must not wait forever), and the next paint
// works.
TEST_F(ControlsTest, PaintThatThrowsGivesTheCanvasBack) {
  auto* w = Child<TTestControl>(Root, u"W", TRect{0, 0, 50, 50});
  auto* g = Child<TTestGraphic>(Root, u"G", TRect{60, 0, 110, 50});
  ShowRoot();
  struct TCase {
    TControl* Control;
    TCanvas* Canvas;
    bool* Throw;
    int* Paints;
  } cases[] = {{w, w->Canvas(), &w->ThrowInPaint, &w->Paints},
               {g, g->Canvas(), &g->ThrowInPaint, &g->Paints}};
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(dc, 50, 50);
  HGDIOBJ old = SelectObject(dc, bm);
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Control->Name()));
    *c.Throw = true;
    EXPECT_THROW(c.Control->Perform(WM_PAINT, WPARAM(dc), 0), EConvertError);
    EXPECT_FALSE(c.Canvas->HandleAllocated());
    EXPECT_EQ(c.Canvas->LockCount(), 0);
    ASSERT_TRUE(c.Canvas->TryLock());
    c.Canvas->Unlock();
    *c.Throw = false;
    int before = *c.Paints;
    c.Control->Perform(WM_PAINT, WPARAM(dc), 0);
    EXPECT_EQ(*c.Paints, before + 1);
    EXPECT_FALSE(c.Canvas->HandleAllocated());
  }
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
}

TEST_F(ControlsTest, ExceptionInAHandlerReachesTheApplicationHook) {
  auto* a = Child<TTestControl>(Root, u"A", TRect{0, 0, 50, 50});
  ShowRoot();
  struct TThrower : TObject {
    void Click(TObject*) { throw EConvertError(u"bad click"); }
  } thrower;
  a->SetOnClick(TNotifyEvent(&thrower, &TThrower::Click));
  static TObject* sender;
  static String message;
  sender = nullptr;
  message.clear();
  auto saved = ApplicationHandleException;
  ApplicationHandleException = [](TObject* Sender) {
    sender = Sender;
    try {
      throw;
    } catch (const Exception& e) {
      message = e.Message();
    }
  };
  Screen.Click(20, 20);
  Pump();
  ApplicationHandleException = saved;
  EXPECT_EQ(sender, a);
  EXPECT_EQ(message, u"bad click");
  // The control goes on working after the exception.
  a->SetOnClick(TNotifyEvent());
  gLog.clear();
  Screen.Click(40, 40);  // away from the first click: not a double click
  Pump();
  EXPECT_NE(std::find(gLog.begin(), gLog.end(), "A:click"), gLog.end()) << testing::PrintToString(gLog);
}

// --- Alignment, anchors and constraints ------------------------------------------------------------

struct TAlignCase {
  const char* What;
  int BorderWidth;
  std::vector<std::pair<TAlign, TRect>> Children;  // align and bounds before aligning
  std::vector<TRect> Expected;
};

TEST_F(ControlsTest, AlignLaysChildrenOutInThePlatformOrder) {
  const TAlignCase cases[] = {
      {"top then bottom then client",
       0,
       {{alClient, {0, 0, 10, 10}}, {alTop, {0, 0, 10, 20}}, {alBottom, {0, 0, 10, 30}}},
       {{0, 20, 200, 70}, {0, 0, 200, 20}, {0, 70, 200, 100}}},
      {"left and right keep their widths",
       0,
       {{alLeft, {0, 0, 30, 5}}, {alRight, {0, 0, 40, 5}}, {alClient, {0, 0, 1, 1}}},
       {{0, 0, 30, 100}, {160, 0, 200, 100}, {30, 0, 160, 100}}},
      {"two tops stack by their top",
       0,
       {{alTop, {0, 50, 10, 60}}, {alTop, {0, 10, 10, 30}}},
       {{0, 20, 200, 30}, {0, 0, 200, 20}}},
      {"tops take the width before lefts",
       0,
       {{alLeft, {0, 0, 25, 5}}, {alTop, {0, 0, 5, 15}}},
       {{0, 15, 25, 100}, {0, 0, 200, 15}}},
      {"border width shrinks the area",
       5,
       {{alClient, {0, 0, 1, 1}}},
       {{5, 5, 195, 95}}},
      {"invisible controls take no room",
       0,
       {{alTop, {0, 0, 10, 20}}, {alClient, {0, 0, 1, 1}}},
       {{0, 0, 200, 20}, {0, 20, 200, 100}}},
  };
  for (const TAlignCase& k : cases) {
    auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
    ShowRoot();
    p->SetBorderWidth(k.BorderWidth);
    p->DisableAlign();
    std::vector<TControl*> kids;
    int n = 0;
    for (const auto& [align, bounds] : k.Children) {
      auto* c = Child<TTestGraphic>(p, (u"K" + IntToStr(n++)).c_str(), bounds);
      c->SetAlign(align);
      kids.push_back(c);
    }
    p->EnableAlign();
    for (size_t i = 0; i < kids.size(); ++i) EXPECT_EQ(kids[i]->BoundsRect(), k.Expected[i]) << k.What << " #" << i;
    Free(p);
  }
}

TEST_F(ControlsTest, AlignFollowsTheParentsSizeAndVisibility) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* top = Child<TTestGraphic>(p, u"T", TRect{0, 0, 10, 20});
  auto* client = Child<TTestGraphic>(p, u"C", TRect{0, 0, 10, 10});
  ShowRoot();
  top->SetAlign(alTop);
  client->SetAlign(alClient);
  EXPECT_EQ(client->BoundsRect(), (TRect{0, 20, 200, 100}));
  p->SetBounds(0, 0, 300, 150);
  EXPECT_EQ(top->BoundsRect(), (TRect{0, 0, 300, 20}));
  EXPECT_EQ(client->BoundsRect(), (TRect{0, 20, 300, 150}));
  top->SetVisible(false);
  EXPECT_EQ(client->BoundsRect(), (TRect{0, 0, 300, 150}));
  // An aligned control that keeps a smaller size gives the room back.
  top->SetVisible(true);
  top->Constraints()->SetMaxWidth(100);
  EXPECT_EQ(top->BoundsRect(), (TRect{0, 0, 100, 20}));
}

TEST_F(ControlsTest, AnchorsKeepDistancesToTheParentsSides) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  ShowRoot();
  struct Case {
    TAnchors Anchors;
    TRect After;  // parent grown by 50 x 20
  };
  const Case cases[] = {
      {TAnchors{akLeft, akTop}, {10, 10, 50, 30}},
      {TAnchors{akRight, akBottom}, {60, 30, 100, 50}},
      {TAnchors{akLeft, akTop, akRight}, {10, 10, 100, 30}},
      {TAnchors{akLeft, akTop, akRight, akBottom}, {10, 10, 100, 50}},
      {TAnchors{}, {18, 14, 58, 34}},  // the centre keeps its proportion: 30 * 250 / 200 - 20
  };
  for (const Case& k : cases) {
    p->SetBounds(0, 0, 200, 100);
    auto* c = Child<TTestGraphic>(p, u"C", TRect{10, 10, 50, 30});
    c->SetAnchors(k.Anchors);
    p->SetBounds(0, 0, 250, 120);
    EXPECT_EQ(c->BoundsRect(), k.After) << UTF16ToUTF8(k.Anchors.ToString());
    Free(c);
  }
}

TEST_F(ControlsTest, ConstraintsBoundTheSize) {
  struct Case {
    int MinW, MaxW, MinH, MaxH;
    int AskW, AskH;
    int W, H;
  };
  const Case cases[] = {
      {10, 0, 10, 0, 5, 5, 10, 10},      // minimums
      {0, 50, 0, 40, 90, 90, 50, 40},    // maximums
      {0, 0, 0, 0, 77, 33, 77, 33},      // none
      {20, 60, 0, 0, 20, 20, 20, 20},    // on the limit
  };
  for (const Case& k : cases) {
    auto* c = Child<TTestGraphic>(Root, u"C", TRect{0, 0, 30, 30});
    c->Constraints()->SetMinWidth(k.MinW);
    c->Constraints()->SetMaxWidth(k.MaxW);
    c->Constraints()->SetMinHeight(k.MinH);
    c->Constraints()->SetMaxHeight(k.MaxH);
    c->SetBounds(0, 0, k.AskW, k.AskH);
    EXPECT_EQ(c->Width(), k.W);
    EXPECT_EQ(c->Height(), k.H);
    Free(c);
  }
  // Setting a constraint resizes a control that breaks it at once, and a
  // minimum above the maximum raises the maximum.
  auto* c = Child<TTestControl>(Root, u"W", TRect{0, 0, 100, 100});
  ShowRoot();
  c->Constraints()->SetMaxHeight(40);
  EXPECT_EQ(c->Height(), 40);
  RECT r;
  GetWindowRect(c->Handle(), &r);
  EXPECT_EQ(r.bottom - r.top, 40);
  c->Constraints()->SetMinHeight(60);
  EXPECT_EQ(c->Constraints()->MaxHeight(), 60);
  EXPECT_EQ(c->Height(), 60);
}

TEST_F(ControlsTest, OutOfRangeBoundsAreClamped) {
  struct Case {
    TRect Asked;
    TRect Kept;
  };
  const int M = 1 << 24;
  const Case cases[] = {
      {{0, 0, 0x7FFFFFFF, 10}, {0, 0, M, 10}},
      {{-0x7FFFFFFF, 0, -0x7FFFFFFF + 10, 10}, {-M, 0, -M + 10, 10}},
      {{5, 5, -20, -30}, {5, 5, 5, 5}},  // negative sizes become 0
  };
  for (const Case& k : cases) {
    for (bool windowed : {false, true}) {
      TControl* c = windowed ? static_cast<TControl*>(Child<TTestControl>(Root, u"W", TRect{0, 0, 1, 1}))
                             : static_cast<TControl*>(Child<TTestGraphic>(Root, u"G", TRect{0, 0, 1, 1}));
      c->SetBounds(k.Asked.Left, k.Asked.Top, int(int64_t(k.Asked.Right) - k.Asked.Left),
                   int(int64_t(k.Asked.Bottom) - k.Asked.Top));
      EXPECT_EQ(c->BoundsRect(), k.Kept) << windowed;
      Free(c);
    }
  }
}

TEST_F(ControlsTest, OnCanResizeCanRefuse) {
  auto* c = Child<TTestGraphic>(Root, u"C", TRect{0, 0, 30, 30});
  struct TGuard : TObject {
    void CanResize(TObject*, Integer& W, Integer& H, Boolean& Resize) { Resize = W <= 100; }
  } guard;
  c->SetOnCanResize(TCanResizeEvent(&guard, &TGuard::CanResize));
  c->SetBounds(5, 5, 200, 30);
  EXPECT_EQ(c->BoundsRect(), (TRect{5, 5, 35, 35}));
  c->SetBounds(5, 5, 80, 30);
  EXPECT_EQ(c->BoundsRect(), (TRect{5, 5, 85, 35}));
}

// --- Parent properties ------------------------------------------------------------------------------

TEST_F(ControlsTest, FontAndColorFlowToChildrenThatFollowTheirParent) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* follows = Child<TTestControl>(p, u"F", TRect{0, 0, 20, 20});
  auto* grand = Child<TTestGraphic>(follows, u"G", TRect{0, 0, 5, 5});
  auto* own = Child<TTestGraphic>(p, u"O", TRect{30, 0, 50, 20});
  own->Font()->SetName(u"Arial");
  own->SetColor(clRed);
  EXPECT_FALSE(own->ParentFont());
  EXPECT_FALSE(own->ParentColor());

  p->Font()->SetName(u"Courier New");
  p->Font()->SetSize(12);
  p->SetColor(clLime);
  for (TControl* c : {static_cast<TControl*>(follows), static_cast<TControl*>(grand)}) {
    EXPECT_EQ(c->Font()->Name(), u"Courier New");
    EXPECT_EQ(c->Font()->Size(), 12);
    EXPECT_EQ(c->Color(), clLime);
    EXPECT_TRUE(c->ParentFont());
    EXPECT_TRUE(c->ParentColor());
  }
  EXPECT_EQ(own->Font()->Name(), u"Arial");
  EXPECT_EQ(own->Color(), clRed);

  // Following the parent again takes its values at once.
  own->SetParentFont(true);
  own->SetParentColor(true);
  EXPECT_EQ(own->Font()->Name(), u"Courier New");
  EXPECT_EQ(own->Color(), clLime);

  // A control joining a parent takes its font and colour.
  auto* late = New<TTestGraphic>(Root);
  late->SetParent(p);
  EXPECT_EQ(late->Color(), clLime);
  EXPECT_EQ(late->Font()->Size(), 12);

  // ShowHint follows the same rule.
  p->SetShowHint(true);
  EXPECT_TRUE(late->ShowHint());
  EXPECT_TRUE(late->ParentShowHint());
}

// --- Painting ---------------------------------------------------------------------------------------

TEST_F(ControlsTest, GraphicControlsArePaintedByTheirParentClippedToTheirBounds) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  p->SetColor(clWhite);
  auto* g = Child<TTestGraphic>(p, u"G", TRect{20, 20, 60, 50});
  g->SetColor(clRed);
  g->Spill = true;  // paints far beyond its bounds: the clip keeps it inside
  auto* hidden = Child<TTestGraphic>(p, u"H", TRect{100, 20, 140, 50});
  hidden->SetColor(clBlue);
  hidden->SetVisible(false);
  ShowRoot();
  EXPECT_EQ(ScreenPixel(25, 25), clRed);
  EXPECT_EQ(ScreenPixel(59, 49), clRed);
  EXPECT_EQ(ScreenPixel(60, 25), clWhite);
  EXPECT_EQ(ScreenPixel(19, 25), clWhite);
  EXPECT_EQ(ScreenPixel(25, 50), clWhite);
  EXPECT_EQ(ScreenPixel(110, 30), clWhite);
  EXPECT_GT(g->Paints, 0);
  EXPECT_EQ(hidden->Paints, 0);

  // Showing, moving and recolouring repaint the parent where needed.
  hidden->SetVisible(true);
  EXPECT_EQ(ScreenPixel(110, 30), clBlue);
  g->SetBounds(150, 60, 20, 20);
  g->Spill = false;
  EXPECT_EQ(ScreenPixel(25, 25), clWhite);
  EXPECT_EQ(ScreenPixel(155, 65), clRed);
  g->SetColor(clYellow);
  EXPECT_EQ(ScreenPixel(155, 65), clYellow);

  // Later graphic siblings paint over earlier ones; BringToFront changes that.
  auto* over = Child<TTestGraphic>(p, u"V", TRect{150, 60, 160, 70});
  over->SetColor(clGreen);
  EXPECT_EQ(ScreenPixel(155, 65), clGreen);
  g->BringToFront();
  EXPECT_EQ(ScreenPixel(155, 65), clYellow);
}

TEST_F(ControlsTest, WindowedSiblingsStackInListOrder) {
  auto* a = Child<TTestControl>(Root, u"A", TRect{0, 0, 50, 50});
  auto* b = Child<TTestControl>(Root, u"B", TRect{25, 25, 75, 75});
  a->SetColor(clRed);
  b->SetColor(clBlue);
  ShowRoot();
  EXPECT_EQ(ScreenPixel(30, 30), clBlue);
  a->BringToFront();
  EXPECT_EQ(ScreenPixel(30, 30), clRed);
  EXPECT_EQ(Root->Controls(Root->ControlCount() - 1), a);
  // A window made later still takes its place in the list.
  a->RecreateWnd();
  Pump();
  EXPECT_EQ(ScreenPixel(30, 30), clRed);
  a->SendToBack();
  EXPECT_EQ(ScreenPixel(30, 30), clBlue);
}

TEST_F(ControlsTest, OpaqueGraphicControlsHideTheParentsPainting) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 100, 100});
  auto* g = Child<TTestGraphic>(p, u"G", TRect{0, 0, 100, 100});
  TControlStyle s = g->ControlStyle();
  s.Include(csOpaque);
  g->SetControlStyle(s);
  g->SetColor(clRed);
  ShowRoot();
  int before = p->Paints;
  p->Invalidate();
  p->Update();
  EXPECT_EQ(p->Paints, before);  // the whole client area is covered
  EXPECT_EQ(ScreenPixel(50, 50), clRed);
}

TEST_F(ControlsTest, DoubleBufferedControlsPaintTheSame) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 120, 80});
  p->SetColor(clAqua);
  auto* g = Child<TTestGraphic>(p, u"G", TRect{10, 10, 30, 30});
  g->SetColor(clMaroon);
  p->SetDoubleBuffered(true);
  ShowRoot();
  EXPECT_EQ(ScreenPixel(5, 5), clAqua);
  EXPECT_EQ(ScreenPixel(15, 15), clMaroon);
  EXPECT_EQ(ScreenPixel(119, 79), clAqua);
}

TEST_F(ControlsTest, InvalidateOfAWindowedControlInvalidatesItsParentFirst) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 120, 80});
  auto* c = Child<TTestControl>(p, u"C", TRect{10, 10, 50, 50});
  ShowRoot();
  std::vector<std::pair<std::string, WPARAM>> seen;
  struct TSpy : TObject {
    std::vector<std::pair<std::string, WPARAM>>* Seen;
    std::string Name;
    TWndMethod Old;
    void Proc(TMessage& M) {
      if (M.Msg == CM_INVALIDATE) Seen->push_back({Name, M.WParam});
      Old(M);
    }
  } sp, sc;
  sp.Seen = sc.Seen = &seen;
  sp.Name = "P";
  sc.Name = "C";
  sp.Old = p->WindowProc();
  sc.Old = c->WindowProc();
  p->SetWindowProc(TWndMethod(&sp, &TSpy::Proc));
  c->SetWindowProc(TWndMethod(&sc, &TSpy::Proc));
  c->Invalidate();
  p->SetWindowProc(sp.Old);
  c->SetWindowProc(sc.Old);
  std::vector<std::pair<std::string, WPARAM>> expected = {{"C", 0}, {"P", 1}};
  EXPECT_EQ(seen, expected);
}

// --- Mouse --------------------------------------------------------------------------------------------

TEST_F(ControlsTest, MouseMessagesReachTheGraphicControlUnderTheMouse) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* g = Child<TTestGraphic>(p, u"G", TRect{20, 20, 60, 50});
  auto* disabled = Child<TTestGraphic>(p, u"D", TRect{100, 20, 140, 50});
  disabled->SetEnabledProp(false);
  ShowRoot();
  Screen.Click(25, 30);
  Pump();
  Screen.Click(110, 30);  // a disabled graphic control gives way to its parent
  Pump();
  std::vector<std::string> expected = {"G:down 5,10", "G:click", "G:up 5,10", "P:down 110,30", "P:click",
                                       "P:up 110,30"};
  EXPECT_EQ(gLog, expected);
  (void)g;
}

TEST_F(ControlsTest, ACapturedGraphicControlKeepsTheMouseAndClicksOnlyInside) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* g = Child<TTestGraphic>(p, u"G", TRect{20, 20, 60, 50});
  ShowRoot();
  Screen.MouseDown(25, 30);
  Pump();
  EXPECT_TRUE(g->MouseCapture());
  EXPECT_EQ(GetCaptureControl(), g);
  Screen.MouseMove(150, 80);
  Screen.MouseUp(150, 80);
  Pump();
  EXPECT_FALSE(g->MouseCapture());
  std::vector<std::string> expected = {"G:down 5,10", "G:up 130,60"};
  EXPECT_EQ(gLog, expected);
}

TEST_F(ControlsTest, DoubleClicksFollowCsDoubleClicks) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* g = Child<TTestGraphic>(p, u"G", TRect{20, 20, 60, 50});
  ShowRoot();
  Screen.DoubleClick(25, 30);
  Pump();
  std::vector<std::string> expected = {"G:down 5,10",        "G:click",    "G:up 5,10",
                                       "G:dblclick",         "G:down 5,10 double", "G:up 5,10"};
  EXPECT_EQ(gLog, expected);

  // Without csDoubleClicks the second press is a plain press.
  TControlStyle s = g->ControlStyle();
  s.Exclude(csDoubleClicks);
  g->SetControlStyle(s);
  gLog.clear();
  Screen.DoubleClick(45, 30);
  Pump();
  expected = {"G:down 25,10", "G:click", "G:up 25,10", "G:down 25,10", "G:click", "G:up 25,10"};
  EXPECT_EQ(gLog, expected);
}

TEST_F(ControlsTest, MouseEnterAndLeaveFollowTheMouse) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* g = Child<TTestGraphic>(p, u"G", TRect{20, 20, 60, 50});
  ShowRoot();
  struct TEvents : TObject {
    void Enter(TObject* S) { gLog.push_back(UTF16ToUTF8(static_cast<TComponent*>(S)->Name()) + ":enter"); }
    void Leave(TObject* S) { gLog.push_back(UTF16ToUTF8(static_cast<TComponent*>(S)->Name()) + ":leave"); }
  } ev;
  for (TControl* c : {static_cast<TControl*>(p), static_cast<TControl*>(g)}) {
    c->SetOnMouseEnter(TNotifyEvent(&ev, &TEvents::Enter));
    c->SetOnMouseLeave(TNotifyEvent(&ev, &TEvents::Leave));
  }
  gLog.clear();
  Screen.MouseMove(150, 80);
  Pump();
  Screen.MouseMove(30, 30);
  Pump();
  Screen.MouseMove(35, 35);
  Pump();
  Screen.MouseMove(150, 80);
  Pump();
  Screen.MouseMove(390, 290);  // over the root: leaves P
  Pump();
  std::vector<std::string> expected = {"P:enter", "P:leave", "G:enter", "G:leave", "P:enter", "P:leave"};
  EXPECT_EQ(gLog, expected);
}

TEST_F(ControlsTest, WheelNotchesAccumulateAndUnhandledWheelsGoToTheParent) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* c = Child<TTestControl>(p, u"C", TRect{10, 10, 60, 60});
  c->SetTabStop(true);
  ShowRoot();
  c->SetFocus();
  Pump();
  ASSERT_TRUE(c->Focused());
  struct TWheel : TObject {
    std::vector<std::string> Seen;
    Boolean Handle = true;
    void Up(TObject* S, TShiftState, TPoint, Boolean& H) {
      Seen.push_back(UTF16ToUTF8(static_cast<TComponent*>(S)->Name()) + ":up");
      H = Handle;
    }
    void Down(TObject* S, TShiftState, TPoint, Boolean& H) {
      Seen.push_back(UTF16ToUTF8(static_cast<TComponent*>(S)->Name()) + ":down");
      H = Handle;
    }
  } w;
  for (TControl* x : {static_cast<TControl*>(p), static_cast<TControl*>(c)}) {
    x->SetOnMouseWheelUp(TMouseWheelUpDownEvent(&w, &TWheel::Up));
    x->SetOnMouseWheelDown(TMouseWheelUpDownEvent(&w, &TWheel::Down));
  }
  Screen.Wheel(20, 20, 60);
  Pump();
  EXPECT_TRUE(w.Seen.empty());  // half a notch waits
  Screen.Wheel(20, 20, 60);
  Pump();
  Screen.Wheel(20, 20, -240);
  Pump();
  std::vector<std::string> expected = {"C:up", "C:down", "C:down"};
  EXPECT_EQ(w.Seen, expected);
  w.Seen.clear();
  w.Handle = false;
  Screen.Wheel(20, 20, 120);
  Pump();
  expected = {"C:up", "P:up"};
  EXPECT_EQ(w.Seen, expected);
}

// --- Focus and keys -----------------------------------------------------------------------------------

TEST_F(ControlsTest, TabMovesTheFocusInTabOrderSkippingWhatCannotTakeIt) {
  auto* a = Child<TTestControl>(Root, u"A", TRect{0, 0, 30, 30});
  auto* b = Child<TTestControl>(Root, u"B", TRect{40, 0, 70, 30});
  auto* box = Child<TTestControl>(Root, u"Box", TRect{80, 0, 200, 100});
  auto* inner = Child<TTestControl>(box, u"In", TRect{5, 5, 30, 30});
  auto* off = Child<TTestControl>(Root, u"Off", TRect{0, 40, 30, 70});
  for (TWinControl* c : {static_cast<TWinControl*>(a), static_cast<TWinControl*>(b),
                         static_cast<TWinControl*>(inner), static_cast<TWinControl*>(off)})
    c->SetTabStop(true);
  off->SetEnabledProp(false);
  b->SetTabOrder(0);  // B, A, Box (In), Off
  EXPECT_EQ(b->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  ShowRoot();
  Root->SelectFirst();
  Pump();
  ASSERT_TRUE(b->Focused());
  std::vector<std::string> order;
  for (int i = 0; i < 4; ++i) {
    Screen.KeyPress(VK_TAB);
    Pump();
    TWinControl* f = FindControl(GetFocus());
    order.push_back(f ? UTF16ToUTF8(f->Name()) : "?");
  }
  std::vector<std::string> expected = {"A", "In", "B", "A"};
  EXPECT_EQ(order, expected);
  Screen.KeyDown(VK_SHIFT);
  Screen.KeyPress(VK_TAB);
  Screen.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_TRUE(b->Focused());
}

TEST_F(ControlsTest, EnterAndExitRunAlongThePathOfTheFocus) {
  auto* box1 = Child<TTestControl>(Root, u"Box1", TRect{0, 0, 100, 100});
  auto* a = Child<TTestControl>(box1, u"A", TRect{5, 5, 30, 30});
  auto* box2 = Child<TTestControl>(Root, u"Box2", TRect{100, 0, 200, 100});
  auto* b = Child<TTestControl>(box2, u"B", TRect{5, 5, 30, 30});
  ShowRoot();
  a->SetFocus();
  Pump();
  gLog.clear();
  b->SetFocus();
  Pump();
  std::vector<std::string> expected = {"A:exit", "Box1:exit", "Box2:enter", "B:enter"};
  EXPECT_EQ(gLog, expected);
  EXPECT_EQ(Root->FocusedControl(), b);
  // A control that cannot take the focus answers so.
  b->SetVisible(false);
  EXPECT_FALSE(b->CanFocus());
  EXPECT_NE(Root->FocusedControl(), b);
}

TEST_F(ControlsTest, AnExceptionInOnExitStopsTheFocusChange) {
  auto* a = Child<TTestControl>(Root, u"A", TRect{0, 0, 30, 30});
  auto* b = Child<TTestControl>(Root, u"B", TRect{40, 0, 70, 30});
  ShowRoot();
  a->SetFocus();
  Pump();
  struct TExit : TObject {
    void Exit(TObject*) { throw EConvertError(u"invalid value"); }
  } ex;
  a->SetOnExit(TNotifyEvent(&ex, &TExit::Exit));
  static int hooked;
  hooked = 0;
  auto saved = ApplicationHandleException;
  ApplicationHandleException = [](TObject*) { ++hooked; };
  gLog.clear();
  b->SetFocus();
  Pump();
  ApplicationHandleException = saved;
  EXPECT_EQ(hooked, 1);
  EXPECT_EQ(std::find(gLog.begin(), gLog.end(), "B:enter"), gLog.end()) << testing::PrintToString(gLog);
  EXPECT_NE(Root->FocusedControl(), b);
}

TEST_F(ControlsTest, KeyEventsCanChangeOrSwallowTheKey) {
  auto* a = Child<TTestControl>(Root, u"A", TRect{0, 0, 30, 30});
  ShowRoot();
  a->SetFocus();
  Pump();
  struct TKeys : TObject {
    std::vector<std::string> Seen;
    void Down(TObject*, Word& Key, TShiftState Shift) {
      Seen.push_back("down " + std::to_string(Key) + (Shift.Contains(ssShift) ? " shift" : ""));
      if (Key == 'X') Key = 0;
    }
    void Press(TObject*, Char& Key) {
      Seen.push_back(std::string("press ") + char(Key));
      if (Key == u'b') Key = u'c';
    }
    void Up(TObject*, Word& Key, TShiftState) { Seen.push_back("up " + std::to_string(Key)); }
  } k;
  a->SetOnKeyDown(TKeyEvent(&k, &TKeys::Down));
  a->SetOnKeyPress(TKeyPressEvent(&k, &TKeys::Press));
  a->SetOnKeyUp(TKeyEvent(&k, &TKeys::Up));
  Screen.KeyPress('B');
  Pump();
  std::vector<std::string> expected = {"down 66", "press b", "up 66"};
  EXPECT_EQ(k.Seen, expected);
  k.Seen.clear();
  Screen.KeyDown(VK_SHIFT);
  Screen.KeyPress('A');
  Screen.KeyUp(VK_SHIFT);
  Pump();
  ASSERT_GE(k.Seen.size(), 3u);
  EXPECT_EQ(k.Seen[1], "down 65 shift");
  EXPECT_EQ(k.Seen[2], "press A");
}

// A handler may free its own control: the key's default handling must not
// run on the freed control (the sanitizer build reports it if it does).
TEST_F(ControlsTest, AControlFreedFromItsOwnKeyEvent) {
  for (int which = 0; which < 3; ++which) {
    auto* a = Child<TTestControl>(Root, u"A", TRect{0, 0, 30, 30});
    ShowRoot();
    a->SetFocus();
    Pump();
    struct TFreer : TObject {
      TWinControl* Victim{};
      int Which{};
      void Drop() {
        ::Free(Victim);
        Victim = nullptr;
      }
      void Down(TObject*, Word&, TShiftState) { if (Which == 0 && Victim) Drop(); }
      void Press(TObject*, Char&) { if (Which == 1 && Victim) Drop(); }
      void Up(TObject*, Word&, TShiftState) { if (Which == 2 && Victim) Drop(); }
    } f;
    f.Victim = a;
    f.Which = which;
    a->SetOnKeyDown(TKeyEvent(&f, &TFreer::Down));
    a->SetOnKeyPress(TKeyPressEvent(&f, &TFreer::Press));
    a->SetOnKeyUp(TKeyEvent(&f, &TFreer::Up));
    Screen.KeyPress('B');
    Pump();
    EXPECT_EQ(f.Victim, nullptr) << "event " << which;
  }
}

// --- Streaming ------------------------------------------------------------------------------------------

TEST_F(ControlsTest, ControlsReadFromAFormLandInTheirParents) {
  const char* text =
      "object Root: TTestControl\r\n"
      "  Left = 0\r\n"
      "  Top = 0\r\n"
      "  Width = 400\r\n"
      "  Height = 300\r\n"
      "  Color = clWhite\r\n"
      "  object Panel: TTestControl\r\n"
      "    Left = 10\r\n"
      "    Top = 10\r\n"
      "    Width = 200\r\n"
      "    Height = 150\r\n"
      "    Color = clRed\r\n"
      "    Font.Height = -16\r\n"
      "    Font.Name = 'Arial'\r\n"
      "    ParentFont = False\r\n"
      "    TabOrder = 1\r\n"
      "    object Inner: TTestControl\r\n"
      "      Left = 0\r\n"
      "      Top = 0\r\n"
      "      Width = 50\r\n"
      "      Height = 20\r\n"
      "      Align = alTop\r\n"
      "      Caption = 'inner'\r\n"
      "      TabOrder = 0\r\n"
      "    end\r\n"
      "    object Mark: TTestGraphic\r\n"
      "      Left = 5\r\n"
      "      Top = 30\r\n"
      "      Width = 10\r\n"
      "      Height = 10\r\n"
      "    end\r\n"
      "  end\r\n"
      "  object Second: TTestControl\r\n"
      "    Left = 220\r\n"
      "    Top = 10\r\n"
      "    Width = 50\r\n"
      "    Height = 50\r\n"
      "    Cursor = crHandPoint\r\n"
      "    TabOrder = 0\r\n"
      "    TabStop = True\r\n"
      "  end\r\n"
      "end\r\n";
  RawByteString binary = ObjectTextToBinary(RawByteString(text));
  vcltest::Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer(binary.data(), Integer(binary.size()));
  s->SetPosition(0);
  Root->SetName(u"");
  try {
    s->ReadComponent(Root);
  } catch (const Exception& e) {
    FAIL() << UTF16ToUTF8(e.Message());
  }
  ShowRoot();

  auto* panel = dynamic_cast<TTestControl*>(Root->FindComponent(u"Panel"));
  auto* inner = dynamic_cast<TTestControl*>(Root->FindComponent(u"Inner"));
  auto* mark = dynamic_cast<TTestGraphic*>(Root->FindComponent(u"Mark"));
  auto* second = dynamic_cast<TTestControl*>(Root->FindComponent(u"Second"));
  ASSERT_TRUE(panel && inner && mark && second);
  EXPECT_EQ(panel->Parent(), Root);
  EXPECT_EQ(inner->Parent(), panel);
  EXPECT_EQ(mark->Parent(), panel);
  EXPECT_EQ(second->Parent(), Root);
  EXPECT_EQ(panel->TabOrder(), 1);
  EXPECT_EQ(second->TabOrder(), 0);
  EXPECT_EQ(second->Cursor(), crHandPoint);
  // Parent values reach the children read with the default ParentFont/ParentColor.
  EXPECT_EQ(inner->Font()->Name(), u"Arial");
  EXPECT_EQ(inner->Color(), clRed);
  EXPECT_EQ(mark->Color(), clRed);
  // Alignment ran once the parent had a window.
  EXPECT_EQ(inner->BoundsRect(), (TRect{0, 0, 200, 20}));
  EXPECT_EQ(inner->Caption(), u"inner");
  EXPECT_TRUE(inner->Showing());

  // Writing the root back gives the same children, each inside its parent.
  vcltest::Owned<TMemoryStream> out(New<TMemoryStream>());
  out->WriteComponent(Root);
  String written = UTF8ToUTF16(ObjectBinaryToText(vcltest::StreamBytes(out.get())));
  auto at = [&](const char16_t* what) { return written.find(what); };
  // Graphic children come first, as Controls lists them.
  EXPECT_LT(at(u"object Panel"), at(u"object Mark"));
  EXPECT_LT(at(u"object Mark"), at(u"object Inner"));
  EXPECT_LT(at(u"object Inner"), at(u"object Second"));
  EXPECT_NE(at(u"Cursor = crHandPoint"), String::npos);
  // A child that follows its parent's colour and font writes neither.
  String block = written.substr(at(u"object Inner"), at(u"object Second") - at(u"object Inner"));
  EXPECT_EQ(block.find(u"Color"), String::npos);
  EXPECT_EQ(block.find(u"Font"), String::npos);
}

// --- Drag and drop -------------------------------------------------------------------------------------

TEST_F(ControlsTest, AutomaticDragStartsPastTheThresholdAndDropsOnAnAcceptingTarget) {
  auto* source = Child<TTestControl>(Root, u"Src", TRect{10, 10, 60, 60});
  auto* target = Child<TTestControl>(Root, u"Dst", TRect{200, 10, 260, 60});
  source->SetDragModeProp(dmAutomatic);
  Mouse()->SetDragImmediate(false);
  ShowRoot();
  struct TDnD : TObject {
    std::vector<std::string> Seen;
    void Over(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept) {
      Seen.push_back("over " + std::to_string(int(State)) + " " +
                     UTF16ToUTF8(static_cast<TComponent*>(Source)->Name()));
      Accept = true;
    }
    void Drop(TObject* Sender, TObject* Source, Integer X, Integer Y) {
      Seen.push_back("drop " + std::to_string(X) + "," + std::to_string(Y));
    }
    void End(TObject* Sender, TObject* Target, Integer X, Integer Y) {
      Seen.push_back(std::string("end ") + (Target ? UTF16ToUTF8(static_cast<TComponent*>(Target)->Name()) : "nil"));
    }
  } d;
  target->SetOnDragOver(TDragOverEvent(&d, &TDnD::Over));
  target->SetOnDragDrop(TDragDropEvent(&d, &TDnD::Drop));
  source->SetOnEndDrag(TEndDragEvent(&d, &TDnD::End));
  Screen.MouseDown(20, 20);
  Pump();
  EXPECT_TRUE(source->Dragging());
  Screen.MouseMove(22, 21);  // inside the threshold: nothing yet
  Pump();
  EXPECT_TRUE(d.Seen.empty());
  Screen.MouseMove(210, 20);
  Pump();
  Screen.MouseMove(215, 25);
  Pump();
  Screen.MouseUp(215, 25);
  Pump();
  EXPECT_FALSE(source->Dragging());
  std::vector<std::string> expected = {"over 0 Src", "over 2 Src", "over 2 Src", "over 1 Src", "drop 15,15",
                                       "end Dst"};
  EXPECT_EQ(d.Seen, expected);
  Mouse()->SetDragImmediate(true);
}

}  // namespace

namespace {

// --- Actions, context menus, hints, scaling, auto size ---------------------------------------------------

TEST_F(ControlsTest, AnActionDrivesTheControlWhileTheyAgree) {
  auto* c = Child<TTestControl>(Root, u"C", TRect{0, 0, 50, 50});
  TAction* action = New<TAction>(Root);
  action->SetCaption(u"Run");
  action->SetHint(u"Runs it");
  struct TRun : TObject {
    int Runs = 0;
    void Execute(TObject*) { ++Runs; }
  } run;
  action->SetOnExecute(TNotifyEvent(&run, &TRun::Execute));
  c->SetAction(action);
  EXPECT_EQ(c->Caption(), u"Run");
  EXPECT_EQ(c->Hint(), u"Runs it");
  EXPECT_TRUE(c->ControlStyle().Contains(csActionClient));
  EXPECT_FALSE(c->IsCaptionStored());

  // Changes of the action reach the control; a caption of its own breaks the link.
  action->SetEnabled(false);
  EXPECT_FALSE(c->Enabled());
  action->SetEnabled(true);
  c->SetCaption(u"Own");
  action->SetCaption(u"Later");
  EXPECT_EQ(c->Caption(), u"Own");
  EXPECT_TRUE(c->IsCaptionStored());

  // A click runs the action.
  ShowRoot();
  Screen.Click(10, 10);
  Pump();
  EXPECT_EQ(run.Runs, 1);

  // Freeing the action unlinks the control.
  Free(action);
  EXPECT_EQ(c->Action(), nullptr);
  EXPECT_FALSE(c->ControlStyle().Contains(csActionClient));
}

TEST_F(ControlsTest, ContextPopupGetsTheClientPointOrMinusOneFromTheKeyboard) {
  auto* c = Child<TTestControl>(Root, u"C", TRect{20, 30, 120, 130});
  ShowRoot();
  struct TCtx : TObject {
    std::vector<TPoint> Points;
    void Popup(TObject*, TPoint P, Boolean& Handled) {
      Points.push_back(P);
      Handled = true;
    }
  } ctx;
  c->SetOnContextPopup(TContextPopupEvent(&ctx, &TCtx::Popup));
  SendMessageW(c->Handle(), WM_CONTEXTMENU, WPARAM(c->Handle()), MAKELPARAM(25, 40));
  SendMessageW(c->Handle(), WM_CONTEXTMENU, WPARAM(c->Handle()), LPARAM(-1));
  ASSERT_EQ(ctx.Points.size(), 2u);
  EXPECT_EQ(ctx.Points[0], (TPoint{5, 10}));
  EXPECT_EQ(ctx.Points[1], (TPoint{-1, -1}));
}

TEST_F(ControlsTest, HintTextSplitsAtTheBar) {
  struct Case {
    const char16_t* Hint;
    const char16_t* Short;
    const char16_t* Long;
  };
  const Case cases[] = {{u"Open|Opens a file", u"Open", u"Opens a file"},
                        {u"Plain", u"Plain", u"Plain"},
                        {u"|only long", u"", u"only long"},
                        {u"a|b|c", u"a", u"b|c"}};
  for (const Case& k : cases) {
    EXPECT_EQ(GetShortHint(k.Hint), k.Short);
    EXPECT_EQ(GetLongHint(k.Hint), k.Long);
  }
}

TEST_F(ControlsTest, ScaleByScalesBoundsAndFontsOfTheChildren) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* c = Child<TTestGraphic>(p, u"C", TRect{10, 20, 50, 40});
  c->SetParentFont(false);
  c->Font()->SetSize(8);
  ShowRoot();
  p->ScaleBy(3, 2);
  EXPECT_EQ(c->BoundsRect(), (TRect{15, 30, 75, 60}));
  EXPECT_EQ(c->Font()->Size(), 12);
}

TEST_F(ControlsTest, AutoSizeFitsAWindowedControlToItsChildren) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  Child<TTestGraphic>(p, u"A", TRect{10, 10, 40, 30});
  Child<TTestGraphic>(p, u"B", TRect{30, 20, 90, 70});
  ShowRoot();
  p->SetAutoSize(true);
  EXPECT_EQ(p->Width(), 80);
  EXPECT_EQ(p->Height(), 60);
}

TEST_F(ControlsTest, CursorOfTheControlUnderTheMouseIsShown) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* g = Child<TTestGraphic>(p, u"G", TRect{20, 20, 60, 50});
  p->SetCursor(crIBeam);
  g->SetCursor(crHandPoint);
  ShowRoot();
  Screen.MouseMove(30, 30);
  Pump();
  HCURSOR onGraphic = Screen.Cursor();
  Screen.MouseMove(150, 80);
  Pump();
  HCURSOR onParent = Screen.Cursor();
  EXPECT_NE(onGraphic, onParent);
  EXPECT_NE(onGraphic, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_NE(onParent, LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(ControlsTest, PublishedPropertiesFollowTheFrameworksRules) {
  auto* c = Child<TTestControl>(Root, u"C", TRect{1, 2, 31, 42});
  // TControl's own, then the class's, in order.
  std::vector<String> names;
  for (const TPropInfo* p : GetPropList(c)) names.push_back(p->Name);
  std::vector<String> expected = {u"Name",     u"Tag",        u"Left",        u"Top",         u"Width",
                                  u"Height",   u"Cursor",     u"Hint",        u"HelpType",    u"HelpKeyword",
                                  u"HelpContext", u"Align",   u"Anchors",     u"Caption",     u"Color",
                                  u"Font",     u"ParentColor", u"ParentFont", u"PopupMenu",   u"ShowHint",
                                  u"TabOrder", u"TabStop",    u"Visible",     u"OnClick",     u"OnKeyDown"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(GetOrdProp(c, u"Width"), 30);
  SetEnumProp(c, u"Align", u"alClient");
  EXPECT_EQ(c->Align(), alClient);
  SetSetProp(c, u"Anchors", u"[akLeft,akRight]");
  EXPECT_EQ(c->Anchors(), (TAnchors{akLeft, akRight}));
  // Stored rules: a colour of its own is stored, the parent's is not.
  EXPECT_FALSE(IsStoredProp(c, GetPropInfo(c, u"Color")));
  c->SetColor(clRed);
  EXPECT_TRUE(IsStoredProp(c, GetPropInfo(c, u"Color")));
}

TEST_F(ControlsTest, FlipChildrenMirrorsPositionsAndSideAlignment) {
  auto* p = Child<TTestControl>(Root, u"P", TRect{0, 0, 200, 100});
  auto* left = Child<TTestGraphic>(p, u"L", TRect{0, 0, 30, 10});
  auto* box = Child<TTestControl>(p, u"B", TRect{40, 10, 100, 60});
  auto* inner = Child<TTestGraphic>(box, u"I", TRect{5, 5, 15, 15});
  ShowRoot();
  left->SetAlign(alLeft);
  p->FlipChildren(true);
  EXPECT_EQ(left->Align(), alRight);
  EXPECT_EQ(left->BoundsRect(), (TRect{170, 0, 200, 100}));
  EXPECT_EQ(box->BoundsRect(), (TRect{100, 10, 160, 60}));
  EXPECT_EQ(inner->BoundsRect(), (TRect{45, 5, 55, 15}));
}

TEST_F(ControlsTest, CursorNamesRoundTrip) {
  for (TCursor c : {crDefault, crArrow, crHandPoint, crSizeAll, crHourGlass}) {
    EXPECT_EQ(StringToCursor(CursorToString(c)), c);
  }
  EXPECT_EQ(CursorToString(crHandPoint), u"crHandPoint");
  EXPECT_EQ(CursorToString(TCursor(2100)), u"2100");
  EXPECT_EQ(StringToCursor(u"crhandpoint"), crHandPoint);
  EXPECT_THROW(StringToCursor(u"crNoSuchCursor"), EConvertError);
}

}  // namespace
