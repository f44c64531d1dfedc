// The custom popup window and the popup hooks on the headless screen:
// closing on an outside click, on hiding its owner, on application
// deactivation (telling an owner container) and from the loop; the modal
// loop from the first opening; an owner freed while its popup is open; the
// messages the hooks swallow or void; nested popups; an owner on an MDI
// child form.
#include "lib/lookandfeel/vlCustomPopup.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

// A popup whose outside-click answer a test sets (True: the click must not
// reach its target).
class TEatingPopup : public TvlCustomPopupWindow {
  CL_CLASS(TEatingPopup, TvlCustomPopupWindow)
 public:
  using inherited::Create;
  Boolean EatClicks = false;

 protected:
  Boolean ProcessOutsideClick(HWND, Cardinal, const TPoint&, TShiftState) override { return EatClicks; }
};
CL_IMPLEMENT_CLASS(TEatingPopup)

// Event handlers bound to functions a test sets.
struct THandlers {
  std::function<void()> Closing;
  std::function<void(TMessage&)> Message;
  std::function<void(Word, TShiftState)> Key;
  void OnClosing(TObject*) { Closing(); }
  void OnMessage(TMessage& M) { Message(M); }
  void OnKeyDown(TObject*, Word& AKey, TShiftState Shift) { Key(AKey, Shift); }
};

class PopupTest : public ControlFixture {
 protected:
  void SetUp() override {
    Default = New<TvlStyleController>(nullptr);
    vlSetFallbackStyleController(Default);
    ControlFixture::SetUp();
    Owner = Add<TEdit>(20, 20, 120, 21);
    Other = Add<TEdit>(20, 200, 120, 21);
    Pump();
  }
  void TearDown() override {
    for (TvlCustomPopupWindow* p : Popups) Free(p);
    ControlFixture::TearDown();
    vlSetFallbackStyleController(nullptr);
    FreeAndNil(Default);
  }
  // A non-modal capturing popup below AOwner with one panel inside.
  template <class T = TvlCustomPopupWindow>
  T* Make(TWinControl* AOwner) {
    T* p = New<T>(AOwner);
    p->SetModalMode(false);
    p->SetOwnerParent(AOwner);
    p->SetOwnerBounds(TRect{0, 0, AOwner->Width(), AOwner->Height()});
    TEdit* inside = New<TEdit>(static_cast<TComponent*>(p));
    inside->SetBounds(0, 0, 150, 21);
    inside->SetParent(p);
    Popups.push_back(p);
    return p;
  }
  TvlStyleController* Default{};
  TEdit* Owner{};
  TEdit* Other{};
  std::vector<TvlCustomPopupWindow*> Popups;
};

TEST_F(PopupTest, OpensBelowItsOwnerAndClosesOnAnOutsideClick) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->Popup(nullptr);
  Pump();
  ASSERT_TRUE(p->IsVisible());
  EXPECT_EQ(p->BoundsRect().Top, Owner->ClientToScreen(TPoint{0, 21}).Y);
  EXPECT_EQ(vlOpenPopupCount(), 1);
  ClickAt(p, 10, 10);  // inside: stays open
  EXPECT_TRUE(p->IsVisible());
  ClickAt(Other, 10, 10);  // another control of the form: closes, the click goes on
  EXPECT_FALSE(p->IsVisible());
  EXPECT_EQ(vlOpenPopupCount(), 0);
  EXPECT_EQ(GetFocus(), Other->Handle());
}

TEST_F(PopupTest, HidingTheOwnerClosesItsPopup) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->Popup(nullptr);
  Pump();
  ASSERT_EQ(vlOpenPopupCount(), 1);
  Owner->SetVisible(false);
  Pump();
  EXPECT_EQ(vlOpenPopupCount(), 0);
  EXPECT_FALSE(p->IsVisible());
}

TEST_F(PopupTest, ApplicationDeactivationClosesNonCapturingPopups) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->SetCaptureFocus(false);
  p->Popup(nullptr);
  Pump();
  ASSERT_TRUE(p->IsVisible());
  SendMessageW(Form->Handle(), WM_ACTIVATEAPP, 0, 0);
  Pump();
  EXPECT_FALSE(p->IsVisible());
  SendMessageW(Form->Handle(), WM_ACTIVATEAPP, 1, 0);  // active again for the next tests
}

TEST_F(PopupTest, ClosePopupClosesFromTheLoop) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->Popup(nullptr);
  Pump();
  p->ClosePopup();
  EXPECT_TRUE(p->IsVisible());
  Pump();
  EXPECT_FALSE(p->IsVisible());
}

// Under the focusing lock (held while a popup closes) CM_ACTIVATE and
// CM_DEACTIVATE are swallowed once: answered 1, the window's procedure back.
TEST_F(PopupTest, ActivationMessagesAreSwallowedWhileFocusMoves) {
  TvlCustomPopupWindow* p = Make(Owner);
  const LONG_PTR proc = GetWindowLongPtrW(Form->Handle(), GWLP_WNDPROC);
  for (Cardinal msg : {CM_ACTIVATE, CM_DEACTIVATE}) {
    SCOPED_TRACE(msg);
    LRESULT inside = -1;
    THandlers h;
    h.Closing = [&] { inside = SendMessageW(Form->Handle(), msg, 0, 0); };
    p->SetOnClosing(TNotifyEvent(&h, &THandlers::OnClosing));
    p->Popup(nullptr);
    Pump();
    p->CloseUp();
    EXPECT_EQ(inside, 1);
    EXPECT_EQ(GetWindowLongPtrW(Form->Handle(), GWLP_WNDPROC), proc);
    EXPECT_EQ(SendMessageW(Form->Handle(), msg, 0, 0), 0);  // the next one is handled
  }
}

// WM_NCACTIVATE(0) to the owner's form is swallowed while its popup is open.
TEST_F(PopupTest, OwnerFormCaptionStaysActiveWhilePopupIsOpen) {
  Integer seen = 0;
  const TWndMethod old = Form->WindowProc();
  THandlers h;
  h.Message = [&](TMessage& M) {
    if (M.Msg == WM_NCACTIVATE && M.WParam == 0) ++seen;
    old(M);
  };
  Form->SetWindowProc(TWndMethod(&h, &THandlers::OnMessage));
  TvlCustomPopupWindow* p = Make(Owner);
  p->Popup(nullptr);
  Pump();
  seen = 0;
  EXPECT_EQ(SendMessageW(Form->Handle(), WM_NCACTIVATE, 0, 0), 1);
  EXPECT_EQ(seen, 0);
  p->CloseUp();
  Pump();
  seen = 0;
  SendMessageW(Form->Handle(), WM_NCACTIVATE, 0, 0);
  EXPECT_EQ(seen, 1);
  Form->SetWindowProc(old);
}

// WM_CLOSE to a capturing popup closes it and then its owner's top-level
// window; to the owner form it closes a non-capturing popup.
TEST_F(PopupTest, CloseMessageClosesPopupAndItsOwnerForm) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->Popup(nullptr);
  Pump();
  SendMessageW(p->Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(p->IsVisible());
  EXPECT_FALSE(Form->Visible());

  Form->Show();
  Pump();
  TvlCustomPopupWindow* q = Make(Owner);
  q->SetCaptureFocus(false);
  q->Popup(nullptr);
  Pump();
  ASSERT_TRUE(q->IsVisible());
  SendMessageW(Form->Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(q->IsVisible());
}

// A popup opened from a control of a popup keeps the first one open, also
// when clicked into; a click on the first popup closes only the nested one.
TEST_F(PopupTest, NestedPopupsStayOpen) {
  TvlCustomPopupWindow* outer = Make(Owner);
  outer->Popup(nullptr);
  Pump();
  auto* inside = static_cast<TWinControl*>(outer->Controls(0));
  TvlCustomPopupWindow* inner = Make(inside);
  inner->Popup(nullptr);
  Pump();
  EXPECT_TRUE(outer->IsVisible());
  ASSERT_TRUE(inner->IsVisible());
  EXPECT_EQ(vlOpenPopupCount(), 2);
  ClickAt(inner, 10, 10);
  EXPECT_TRUE(outer->IsVisible());
  EXPECT_TRUE(inner->IsVisible());
  ClickAt(inside, 10, 10);  // the nested popup's owner, in the first popup
  EXPECT_TRUE(outer->IsVisible());
  EXPECT_FALSE(inner->IsVisible());
  inner->Popup(nullptr);
  Pump();
  inner->CloseUp();  // closing the nested one leaves the first open
  Pump();
  EXPECT_TRUE(outer->IsVisible());
}

// While a non-modal popup is open, Alt with a key it does not accept never
// reaches the focused window; Alt with an arrow or F4 does.
TEST_F(PopupTest, AltKeysAreVoidedWhilePopupIsOpen) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->SetCaptureFocus(false);
  std::vector<Word> keys;
  THandlers h;
  h.Key = [&](Word Key, TShiftState Shift) {
    if (Shift.Contains(ssAlt)) keys.push_back(Key);
  };
  Owner->SetOnKeyDown(TKeyEvent(&h, &THandlers::OnKeyDown));
  Owner->SetFocus();
  p->Popup(nullptr);
  Pump();
  ASSERT_TRUE(p->IsVisible());
  struct Case {
    Word Key;
    Boolean Reaches;
  };
  for (Case c : {Case{'X', false}, Case{VK_DOWN, true}, Case{VK_PRIOR, true}, Case{VK_F5, false}}) {
    SCOPED_TRACE(c.Key);
    keys.clear();
    Display.KeyDown(VK_MENU);
    Display.KeyDown(c.Key);
    Display.KeyUp(c.Key);
    Display.KeyUp(VK_MENU);
    Pump();
    EXPECT_EQ(!keys.empty() && keys.back() == c.Key, c.Reaches);
  }
  p->CloseUp();
  Pump();
  keys.clear();
  Display.KeyDown(VK_MENU);
  Display.KeyDown('X');
  Display.KeyUp('X');
  Display.KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(keys, (std::vector<Word>{VK_MENU, 'X'}));  // with no popup open all pass
}

}  // namespace

namespace {

// Records the mouse-down clicks that reached a control.
struct TClickLog {
  std::vector<std::string> Seen;
  void Down(TObject* Sender, TMouseButton, TShiftState, Integer, Integer) {
    Seen.push_back(UTF16ToUTF8(static_cast<TComponent*>(Sender)->Name()));
  }
};

// The owner of the popup lies on an MDI child form: clicks on the frame, its
// client window and the other children close the popup too.
TEST_F(PopupTest, ClicksElsewhereInTheMDIFrameCloseThePopup) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  TForm* frame = nullptr;
  Application->CreateForm(frame);
  Finally freeFrame([&] { Free(frame); });
  frame->SetFormStyle(fsMDIForm);
  frame->SetBorderStyle(bsNone);
  frame->SetBounds(520, 100, 500, 400);
  TClickLog log;
  TPanel* bar = New<TPanel>(static_cast<TComponent*>(frame));
  bar->SetName(u"Bar");
  bar->SetAlign(alTop);
  bar->SetHeight(30);
  bar->SetParent(frame);
  frame->Show();
  TForm* children[2];
  TPanel* pads[2];
  for (int i = 0; i < 2; ++i) {
    children[i] = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(frame), 0);
    children[i]->SetFormStyle(fsMDIChild);
    children[i]->SetBorderStyle(bsNone);
    children[i]->SetBounds(10 + i * 230, 10, 220, 200);
    pads[i] = New<TPanel>(static_cast<TComponent*>(children[i]));
    pads[i]->SetName(i ? u"OtherPad" : u"OwnerPad");
    pads[i]->SetBounds(10, 60, 150, 100);
    pads[i]->SetParent(children[i]);
    children[i]->Show();
  }
  for (TControl* c : std::initializer_list<TControl*>{bar, pads[0], pads[1]})
    c->SetOnMouseDown(TMouseEvent(&log, &TClickLog::Down));
  TEdit* owner = New<TEdit>(static_cast<TComponent*>(children[0]));
  owner->SetBounds(10, 10, 120, 21);
  owner->SetParent(children[0]);
  Pump();
  TEatingPopup* p = Make<TEatingPopup>(owner);
  p->SetCaptureFocus(false);
  struct TCase {
    const char* Name;
    std::function<TPoint()> Where;
    bool Eat;
    std::vector<std::string> Reached;
  };
  const TCase cases[] = {
      {"frame's bar", [&] { return At(bar, 200, 10); }, false, {"Bar"}},
      {"another child", [&] { return At(pads[1], 20, 20); }, false, {"OtherPad"}},
      {"client window", [&] { return At(frame, 480, 380); }, false, {}},
      {"another child, eaten", [&] { return At(pads[1], 20, 20); }, true, {}},
      {"the owner's own form", [&] { return At(pads[0], 20, 20); }, false, {"OwnerPad"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    p->EatClicks = c.Eat;
    p->Popup(nullptr);
    Pump();
    ASSERT_TRUE(p->IsVisible());
    log.Seen.clear();
    const TPoint at = c.Where();
    Display.Click(at.X, at.Y);
    Pump();
    EXPECT_FALSE(p->IsVisible());
    EXPECT_EQ(log.Seen, c.Reached);
  }
  // the MDI child that holds the owner is its top form window
  EXPECT_EQ(vlGetTopFormWindow(owner->Handle()), children[0]->Handle());
  EXPECT_TRUE(vlIsWindowInMDIFrame(children[0], bar->Handle()));
  EXPECT_TRUE(vlIsWindowInMDIFrame(children[0], frame->ClientHandle()));
  EXPECT_FALSE(vlIsWindowInMDIFrame(frame, bar->Handle()));  // not an MDI child
  // hot tracking inside MDI children follows the active child
  ASSERT_EQ(GetActiveWindow(), frame->Handle());
  SendMessageW(frame->Handle(), WM_ACTIVATEAPP, 1, 0);  // an earlier test may have left it inactive
  ASSERT_TRUE(Application->Active());
  SendMessageW(frame->ClientHandle(), WM_MDIACTIVATE, WPARAM(children[1]->Handle()), 0);
  EXPECT_TRUE(vlIsActiveMDIChild(children[1]));
  EXPECT_FALSE(vlIsActiveMDIChild(children[0]));
  MoveTo(pads[0], 20, 20);
  EXPECT_FALSE(vlCanControlHotTrack(pads[0]));  // its form is not the active child
  SendMessageW(frame->ClientHandle(), WM_MDIACTIVATE, WPARAM(children[0]->Handle()), 0);
  EXPECT_TRUE(vlCanControlHotTrack(pads[0]));
  EXPECT_FALSE(vlCanControlHotTrack(pads[1]));  // not under the cursor
  MoveTo(bar, 20, 10);
  EXPECT_TRUE(vlCanControlHotTrack(bar));  // on the frame itself
  Free(p);
  Popups.clear();
}

// The events of a popup and of its form, in the order they come.
class TEventLog : public TObject {
  CL_CLASS(TEventLog, TObject)
 public:
  std::vector<std::string> Seen;
  std::function<void()> WhenShowed;
  void Showing(TObject*) { Seen.push_back("showing"); }
  void Showed(TObject*) {
    Seen.push_back("showed");
    if (WhenShowed) WhenShowed();
  }
  void Closing(TObject*) { Seen.push_back("closing"); }
  void Closed(TObject*) { Seen.push_back("closed"); }
  void CloseQuery(TObject*, Boolean&) { Seen.push_back("close query"); }
  void Close(TObject*, TCloseAction&) { Seen.push_back("close"); }
  void Listen(TvlCustomPopupWindow* P) {
    P->SetOnShowing(TNotifyEvent(this, &TEventLog::Showing));
    P->SetOnShowed(TNotifyEvent(this, &TEventLog::Showed));
    P->SetOnClosing(TNotifyEvent(this, &TEventLog::Closing));
    P->SetOnClosed(TNotifyEvent(this, &TEventLog::Closed));
    P->SetOnCloseQuery(TCloseQueryEvent(this, &TEventLog::CloseQuery));
    P->SetOnClose(TCloseEvent(this, &TEventLog::Close));
  }
};
CL_IMPLEMENT_CLASS(TEventLog)

// The first opening of a modal popup is like every later one: the window
// is not made again while it is shown (which closed the popup at the old
// window's destruction), the loop runs until the popup closes, and the
// events come in their order.
TEST_F(PopupTest, AModalPopupRunsItsLoopFromTheFirstOpening) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->SetModalMode(true);
  TEventLog* log = New<TEventLog>();
  Finally freeLog([&] { Free(log); });
  log->Listen(p);
  for (int opening = 1; opening <= 2; ++opening) {
    SCOPED_TRACE(opening);
    log->Seen.clear();
    Boolean shownWhileOpen = false;
    log->WhenShowed = [&] {
      shownWhileOpen = p->Visible() && IsWindowVisible(p->Handle()) && p->IsVisible();
      p->ClosePopup();  // the loop closes it
    };
    p->Popup(nullptr);
    EXPECT_TRUE(shownWhileOpen);
    EXPECT_FALSE(p->IsVisible());
    EXPECT_EQ(log->Seen, (std::vector<std::string>{"showing", "showed", "closing", "closed"}));
  }
}

// An owner freed while its popup is open: the popup forgets it, and the
// next click outside closes the popup instead of reading the freed owner.
TEST_F(PopupTest, APopupOutlivingItsOwnerClosesOnTheNextClick) {
  TEdit* owner = Add<TEdit>(200, 20, 120, 21);
  Pump();
  for (Boolean capture : {true, false}) {
    SCOPED_TRACE(capture);
    TvlCustomPopupWindow* p = Make(owner);
    p->SetCaptureFocus(capture);
    p->Popup(nullptr);
    Pump();
    ASSERT_TRUE(p->IsVisible());
    FreeAndNil(owner);
    EXPECT_EQ(p->OwnerControl(), nullptr);
    EXPECT_EQ(p->OwnerParent(), nullptr);
    ClickAt(Other, 10, 10);
    EXPECT_FALSE(p->IsVisible());
    EXPECT_EQ(vlOpenPopupCount(), 0);
    owner = Add<TEdit>(200, 20, 120, 21);
    Pump();
  }
}

// The control a popup focused is freed while the popup is closed: opening
// it again (VLM_POPUPREOPEN) focuses the popup's first control instead.
TEST_F(PopupTest, ReopeningForgetsAFreedFocusedControl) {
  TvlCustomPopupWindow* p = Make(Owner);
  TEdit* second = New<TEdit>(static_cast<TComponent*>(p));
  second->SetBounds(0, 30, 150, 21);
  second->SetParent(p);
  p->Popup(second);
  Pump();
  ASSERT_EQ(p->FocusedControl(), second);
  p->CloseUp();
  Pump();
  FreeAndNil(second);
  EXPECT_EQ(p->FocusedControl(), nullptr);
  PostMessageW(p->Handle(), VLM_POPUPREOPEN, 0, 0);
  Pump();
  EXPECT_TRUE(p->IsVisible());
  ASSERT_NE(p->FocusedControl(), nullptr);
  EXPECT_EQ(GetFocus(), p->FocusedControl()->Handle());
}

// A container that counts its focus changes.
class TCountingContainer : public TvlContainer {
  CL_CLASS(TCountingContainer, TvlContainer)
 public:
  Integer FocusChanges = 0;
  void FocusChanged() override {
    ++FocusChanges;
    TvlContainer::FocusChanged();
  }
};
CL_IMPLEMENT_CLASS(TCountingContainer)

// Closing a popup because the application went inactive tells its owner
// container of the focus change (OnFocusChanged included).
TEST_F(PopupTest, ApplicationDeactivationTellsTheOwnerContainerOfTheFocusChange) {
  TCountingContainer* c = Add<TCountingContainer>(200, 60, 120, 24);
  Pump();
  TvlCustomPopupWindow* p = Make(c);
  p->SetCaptureFocus(false);
  p->Popup(nullptr);
  Pump();
  ASSERT_TRUE(p->IsVisible());
  c->FocusChanges = 0;
  SendMessageW(Form->Handle(), WM_ACTIVATEAPP, 0, 0);
  Pump();
  EXPECT_FALSE(p->IsVisible());
  EXPECT_EQ(c->FocusChanges, 1);
  SendMessageW(Form->Handle(), WM_ACTIVATEAPP, 1, 0);
}

}  // namespace
