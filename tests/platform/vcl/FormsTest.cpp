#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Resources.h"
#include "platform/classes/Threads.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/FormsTestFixture.h"
#include "tests/support/InjectedInput.h"

using namespace win;

namespace formstest {

// --- The fixture -----------------------------------------------------------------

TLoopStep::TLoopStep() { FWnd = AllocateHWnd(TWndMethod(this, &TLoopStep::WndProc)); }
TLoopStep::~TLoopStep() { DeallocateHWnd(FWnd); }

void TLoopStep::Post(std::function<void()> Step, std::function<bool()> Ready) {
  FStep = std::move(Step);
  FReady = std::move(Ready);
  FRounds = 0;
  FRan = false;
  PostMessageW(FWnd, WM_USER, 0, 0);
}

void TLoopStep::WndProc(TMessage& Message) {
  if (Message.Msg != WM_USER) {
    Message.Result = DefWindowProcW(FWnd, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (FReady && !FReady()) {
    // Not yet: look again on the next round of whatever loop runs.
    if (++FRounds < 20000) PostMessageW(FWnd, WM_USER, 0, 0);
    return;
  }
  FRan = true;
  if (FStep) FStep();
}

// Keeps the tracked components: a component freed elsewhere leaves the set.
class TFormsWatch : public TComponent {
  CL_CLASS(TFormsWatch, TComponent)
 public:
  std::set<TComponent*> Live;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) Live.erase(AComponent);
  }
};
CL_IMPLEMENT_CLASS(TFormsWatch)

void FormsFixture::SetUp() {
  SetManualClock(false);
  ActivateKeyboardLayout(HKL_TURKISH_Q, 0);
  Display.MouseMove(1270, 1010);
  // A run that ended by Terminate leaves the application terminated: each
  // test starts with a fresh one.
  if (Application->Terminated()) {
    FreeAndNil(Application);
    Application = New<TApplication>(nullptr);
  }
  Application->SetTitle(u"Deneme");
  FWatch = New<TFormsWatch>(nullptr);
}

void FormsFixture::TearDown() {
  FAnswer.reset();
  Application->CancelHint();
  std::vector<TComponent*> left(FWatch->Live.begin(), FWatch->Live.end());
  for (TComponent* c : left)
    if (FWatch->Live.count(c)) Free(c);
  FreeAndNil(FWatch);
  Screen->SetCursor(crDefault);
  testing_support::ReleaseInjectedInput();
  SetManualClock(false);
}

void FormsFixture::Track(TComponent* C) {
  FWatch->Live.insert(C);
  C->FreeNotification(FWatch);
}

bool FormsFixture::Alive(TComponent* C) const { return FWatch->Live.count(C) != 0; }

void FormsFixture::AnswerNextWindow(std::vector<UINT> Keys) {
  HWND before = GetActiveWindow();
  FAnswer = std::make_unique<TLoopStep>();
  FAnsweredCaption.clear();
  FAnswer->Post(
      [this, Keys] {
        WCHAR text[256] = {};
        GetWindowTextW(GetActiveWindow(), text, 256);
        FAnsweredCaption = text;
        // Input goes to the focus window of the moment it is injected: each
        // key is handled before the next one is pressed.
        for (size_t i = 0; i < Keys.size(); ++i) {
          if (i > 0) Application->ProcessMessages();
          Display.KeyPress(Keys[i]);
        }
      },
      [before] {
        HWND now = GetActiveWindow();
        return now && now != before && IsWindowVisible(now) && IsWindowEnabled(now);
      });
}

namespace {

// A windowed control that takes the focus and can throw from a message.
class TFormsPad : public TCustomControl {
  CL_CLASS(TFormsPad, TCustomControl)
 public:
  void Create(TComponent* AOwner) override {
    TCustomControl::Create(AOwner);
    SetTabStop(true);
  }
  using TCustomControl::SetEnabled;
  std::function<void()> OnUser;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_USER + 7 && OnUser) {
      OnUser();
      return;
    }
    TCustomControl::Dispatch(Message);
  }
};
CL_IMPLEMENT_CLASS(TFormsPad)

TFormsPad* AddPad(TWinControl* Parent, int Left, int Top, int Width, int Height) {
  TFormsPad* p = New<TFormsPad>(static_cast<TComponent*>(Parent));
  p->SetBounds(Left, Top, Width, Height);
  static_cast<TControl*>(p)->SetParent(Parent);
  return p;
}

// Event handlers that write what happened.
struct TRecorder {
  std::vector<std::string> Log;
  TCloseAction Action = caHide;
  bool AllowClose = true;
  bool SwallowFormKey = false;
  TCustomForm* Form = nullptr;
  Integer ResultOnClick = mrNone;

  void FormKeyDown(TObject*, Word& Key, TShiftState) {
    Log.push_back("form");
    if (SwallowFormKey) Key = 0;
  }
  void ControlKeyDown(TObject*, Word&, TShiftState) { Log.push_back("control"); }
  void Close(TObject*, TCloseAction& A) {
    Log.push_back("close");
    A = Action;
  }
  void CloseQuery(TObject*, Boolean& CanClose) {
    Log.push_back("query");
    CanClose = AllowClose;
  }
  void Destroyed(TObject*) { Log.push_back("destroy"); }
  void Shown(TObject*) { Log.push_back("show"); }
  void Hidden(TObject*) { Log.push_back("hide"); }
  void Created(TObject*) { Log.push_back("create"); }
  void Click(TObject*) {
    Log.push_back("click");
    if (Form) Form->SetModalResult(ResultOnClick);
  }
  void Failed(TObject*, const Exception& E) { Log.push_back("exception:" + UTF16ToUTF8(E.Message())); }
};

TPoint CenterOf(TControl* C) { return C->ClientToScreen(TPoint{C->Width() / 2, C->Height() / 2}); }

}  // namespace

// --- Run and the main form --------------------------------------------------------

TEST_F(FormsFixture, RunEndsOnTerminateOrWhenTheMainFormCloses) {
  struct TCase {
    const char* Name;
    bool CloseMainForm;
  };
  for (const TCase& c : {TCase{"terminate", false}, TCase{"close main form", true}}) {
    SCOPED_TRACE(c.Name);
    if (Application->Terminated()) {
      FreeAndNil(Application);
      Application = New<TApplication>(nullptr);
    }
    TForm* main = nullptr;
    TForm* second = nullptr;
    Application->CreateForm(main);
    Application->CreateForm(second);
    Track(main);
    Track(second);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Application->MainForm(), main);  // the first form made
    EXPECT_EQ(main->Owner(), Application);
    bool visibleInRun = false;
    TLoopStep step;
    step.Post([&] {
      visibleInRun = IsWindowVisible(main->Handle()) != 0;
      if (c.CloseMainForm)
        PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
      else
        Application->Terminate();
    });
    Application->Run();
    EXPECT_TRUE(step.Ran());
    EXPECT_TRUE(visibleInRun);
    EXPECT_TRUE(Application->Terminated());
    Free(second);
    Free(main);
    EXPECT_EQ(Application->MainForm(), nullptr);
  }
}

// --- MDI frames and children ----------------------------------------------------------

// A frame keeps its child forms in an "MDICLIENT" window below its aligned
// controls; the client window knows the active child.
TEST_F(FormsFixture, MDIChildFormsLiveInTheFramesClientWindow) {
  TForm* early = MakeForm(0, 0, 100, 80);
  early->SetFormStyle(fsMDIChild);
  EXPECT_THROW(early->HandleNeeded(), EInvalidOperation);  // no frame yet
  ASSERT_EQ(Application->MainForm(), nullptr);
  TForm* frame = nullptr;
  Application->CreateForm(frame);
  frame->SetFormStyle(fsMDIForm);
  frame->SetBounds(20, 20, 500, 400);
  TPanel* bar = New<TPanel>(static_cast<TComponent*>(frame));
  bar->SetAlign(alTop);
  bar->SetHeight(30);
  bar->SetParent(frame);
  frame->Show();
  Pump();
  const HWND client = frame->ClientHandle();
  ASSERT_NE(client, nullptr);
  Char name[32]{};
  GetClassNameW(client, name, 32);
  EXPECT_EQ(String(name), u"MDICLIENT");
  EXPECT_EQ(GetParent(client), frame->Handle());
  RECT r{};
  GetWindowRect(client, &r);
  const TPoint topLeft = frame->ScreenToClient(TPoint{r.left, r.top});
  EXPECT_EQ(topLeft, (TPoint{0, 30}));
  EXPECT_EQ(r.right - r.left, frame->ClientWidth());
  EXPECT_EQ(r.bottom - r.top, frame->ClientHeight() - 30);

  TForm* a = MakeForm(10, 10, 200, 150);
  a->SetFormStyle(fsMDIChild);
  a->Show();
  TForm* b = MakeForm(40, 40, 200, 150);
  b->SetFormStyle(fsMDIChild);
  b->Show();
  Pump();
  for (TForm* f : {a, b}) {
    EXPECT_EQ(GetParent(f->Handle()), client);
    EXPECT_NE(GetWindowLongW(f->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD, 0);
    EXPECT_NE(GetWindowLongW(f->Handle(), GWL_STYLE) & WS_CHILD, 0);
  }
  // the last made is active and on top
  EXPECT_EQ(frame->MDIChildCount(), 2);
  EXPECT_EQ(frame->ActiveMDIChild(), b);
  EXPECT_EQ(frame->MDIChildren(0), b);
  EXPECT_EQ(frame->MDIChildren(1), a);
  EXPECT_THROW(frame->MDIChildren(2), EListError);
  SendMessageW(client, WM_MDIACTIVATE, WPARAM(a->Handle()), 0);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)), a->Handle());
  EXPECT_EQ(frame->ActiveMDIChild(), a);
  EXPECT_EQ(frame->MDIChildren(0), a);
  // the form made before the frame finds it now
  early->Show();
  Pump();
  EXPECT_EQ(GetParent(early->Handle()), client);
  EXPECT_EQ(frame->MDIChildCount(), 3);
  Free(a);
  Free(early);
  EXPECT_EQ(frame->MDIChildCount(), 1);
  EXPECT_EQ(frame->ActiveMDIChild(), b);
  Free(b);
  Free(frame);
  EXPECT_EQ(Application->MainForm(), nullptr);
}

// --- Modal forms --------------------------------------------------------------------

TEST_F(FormsFixture, ShowModalDisablesTheOtherWindowsUntilItEnds) {
  struct TCase {
    const char* Name;
    int How;  // 0 click a pad, 1 set ModalResult, 2 close box, 3 terminate
    Integer Expected;
  };
  const TCase cases[] = {{"button", 0, mrOk}, {"modal result", 1, mrYes}, {"close", 2, mrCancel},
                         {"terminate", 3, mrCancel}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    if (Application->Terminated()) {
      FreeAndNil(Application);
      Application = New<TApplication>(nullptr);
    }
    TForm* main = MakeForm(50, 50, 400, 300);
    main->Show();
    TForm* dialog = MakeForm(100, 100, 300, 200);
    TFormsPad* button = AddPad(dialog, 20, 20, 80, 30);
    TRecorder rec;
    rec.Form = dialog;
    rec.ResultOnClick = mrOk;
    button->SetOnClick(TNotifyEvent(&rec, &TRecorder::Click));
    bool mainDisabled = false, dialogShown = false;
    TLoopStep step;
    step.Post([&] {
      mainDisabled = !IsWindowEnabled(main->Handle());
      dialogShown = IsWindowVisible(dialog->Handle()) && GetActiveWindow() == dialog->Handle();
      switch (c.How) {
        case 0: {
          TPoint p = CenterOf(button);
          Display.Click(p.X, p.Y);
          break;
        }
        case 1: dialog->SetModalResult(mrYes); break;
        case 2: PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0); break;
        default: Application->Terminate(); break;
      }
    });
    EXPECT_EQ(dialog->ShowModal(), c.Expected);
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(dialogShown);
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
    EXPECT_FALSE(dialog->Visible());
    EXPECT_FALSE(dialog->FormState().Contains(fsModal));
    Free(dialog);
    Free(main);
  }
}

TEST_F(FormsFixture, ShowModalOfAVisibleFormRaises) {
  TForm* f = MakeForm(10, 10, 200, 100);
  f->Show();
  EXPECT_THROW(f->ShowModal(), EInvalidOperation);
}

TEST_F(FormsFixture, ModalResultRefusedByCloseQueryKeepsTheLoopRunning) {
  TForm* dialog = MakeForm(100, 100, 300, 200);
  TRecorder rec;
  rec.AllowClose = false;
  dialog->SetOnCloseQuery(TCloseQueryEvent(&rec, &TRecorder::CloseQuery));
  Integer seenAfterRefusal = -1;
  TLoopStep first, second;
  first.Post([&] {
    dialog->SetModalResult(mrOk);
    // The loop asks CloseQuery, which refuses: ModalResult goes back to 0.
    second.Post([&] {
      seenAfterRefusal = dialog->ModalResult();
      rec.AllowClose = true;
      dialog->SetModalResult(mrIgnore);
    });
  });
  EXPECT_EQ(dialog->ShowModal(), mrIgnore);
  EXPECT_EQ(seenAfterRefusal, 0);
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"query", "query"}));
}

// --- Close ----------------------------------------------------------------------------

TEST_F(FormsFixture, CloseFollowsCloseQueryAndTheCloseAction) {
  struct TCase {
    const char* Name;
    bool Allow;
    TCloseAction Action;
    bool Visible;
    bool Alive;
    std::vector<std::string> Log;
  };
  const TCase cases[] = {
      {"refused", false, caHide, true, true, {"query"}},
      {"hide", true, caHide, false, true, {"query", "close", "hide"}},
      {"none", true, caNone, true, true, {"query", "close"}},
      {"free", true, caFree, false, false, {"query", "close", "hide", "destroy"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm* f = MakeForm(30, 30, 200, 150);
    TRecorder rec;
    rec.AllowClose = c.Allow;
    rec.Action = c.Action;
    f->SetOnCloseQuery(TCloseQueryEvent(&rec, &TRecorder::CloseQuery));
    f->SetOnClose(TCloseEvent(&rec, &TRecorder::Close));
    f->SetOnHide(TNotifyEvent(&rec, &TRecorder::Hidden));
    f->SetOnDestroy(TNotifyEvent(&rec, &TRecorder::Destroyed));
    f->Show();
    f->Close();
    // caFree frees the form from the message loop, not inside Close.
    EXPECT_TRUE(Alive(f));
    Pump();
    EXPECT_EQ(Alive(f), c.Alive);
    if (Alive(f)) {
      EXPECT_EQ(f->Visible(), c.Visible);
      EXPECT_EQ(IsWindowVisible(f->Handle()) != 0, c.Visible);
      f->SetOnCloseQuery(TCloseQueryEvent());
      f->SetOnClose(TCloseEvent());
      f->SetOnHide(TNotifyEvent());
      f->SetOnDestroy(TNotifyEvent());
      Free(f);
    }
    EXPECT_EQ(rec.Log, c.Log);
  }
}

// --- Keys -----------------------------------------------------------------------------

TEST_F(FormsFixture, KeyPreviewShowsTheFormTheKeyFirst) {
  struct TCase {
    const char* Name;
    bool Preview;
    bool Swallow;
    std::vector<std::string> Log;
  };
  const TCase cases[] = {{"no preview", false, false, {"control"}},
                         {"preview", true, false, {"form", "control"}},
                         {"preview eats the key", true, true, {"form"}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm* f = MakeForm(40, 40, 300, 200);
    TFormsPad* pad = AddPad(f, 10, 10, 100, 40);
    TRecorder rec;
    rec.SwallowFormKey = c.Swallow;
    f->SetKeyPreview(c.Preview);
    f->SetOnKeyDown(TKeyEvent(&rec, &TRecorder::FormKeyDown));
    pad->SetOnKeyDown(TKeyEvent(&rec, &TRecorder::ControlKeyDown));
    f->Show();
    Pump();
    ASSERT_EQ(GetFocus(), pad->Handle());
    EXPECT_EQ(f->ActiveControl(), pad);
    Display.KeyPress('A');
    Pump();
    EXPECT_EQ(rec.Log, c.Log);
    Free(f);
  }
}

// --- Exceptions -----------------------------------------------------------------------

TEST_F(FormsFixture, HandleExceptionIsSilentForEAbortAndShowsOthers) {
  TForm* f = MakeForm(60, 60, 300, 200);
  TFormsPad* pad = AddPad(f, 10, 10, 100, 40);
  f->Show();
  Pump();
  Application->SetTitle(u"Kart Yükleme");

  // EAbort through a window procedure: nothing is shown.
  pad->OnUser = [] { throw EAbort(u"sessiz"); };
  AnswerNextWindow({VK_RETURN});
  SendMessageW(pad->Handle(), WM_USER + 7, 0, 0);
  EXPECT_FALSE(Answered());

  // Another exception: an error box captioned with the title, answered by Enter.
  pad->OnUser = [] { throw EConvertError(u"Geçersiz değer"); };
  AnswerNextWindow({VK_RETURN});
  SendMessageW(pad->Handle(), WM_USER + 7, 0, 0);
  EXPECT_TRUE(Answered());
  EXPECT_EQ(AnsweredCaption(), u"Kart Yükleme");
  EXPECT_TRUE(IsWindowEnabled(f->Handle()));

  // OnException takes the place of the box, with the exception itself.
  TRecorder rec;
  Application->SetOnException(TExceptionEvent(&rec, &TRecorder::Failed));
  try {
    throw EConvertError(u"ikinci");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  try {
    throw EAbort(u"yok");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  Application->SetOnException(TExceptionEvent());
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"exception:ikinci"}));
}

// --- Synchronize ----------------------------------------------------------------------

namespace {
class TSyncThread : public TThread {
  CL_CLASS(TSyncThread, TThread)
 public:
  std::atomic<bool> RanOnMain{false};
  std::atomic<bool> Done{false};

 protected:
  void Execute() override {
    Synchronize([this] { RanOnMain = IsMainThread(); });
    Done = true;
  }
};
CL_IMPLEMENT_CLASS(TSyncThread)
}  // namespace

TEST_F(FormsFixture, ProcessMessagesServesAWorkersSynchronize) {
  TSyncThread* t = NewBy<TSyncThread>(&TThread::Create, false);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!t->Done && std::chrono::steady_clock::now() < deadline) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(t->Done);
  EXPECT_TRUE(t->RanOnMain);
  t->WaitFor();
  Free(t);
}

namespace {
// Waits a little, then ends the application's run from a synchronized call.
class TTerminatingThread : public TThread {
  CL_CLASS(TTerminatingThread, TThread)
 protected:
  void Execute() override {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Synchronize([] { Application->Terminate(); });
  }
};
CL_IMPLEMENT_CLASS(TTerminatingThread)
}  // namespace

TEST_F(FormsFixture, AnIdleRunWakesForAWorkersSynchronize) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  Track(main);
  // The run waits in WaitMessage: the worker's call must wake it.
  TTerminatingThread* t = NewBy<TTerminatingThread>(&TThread::Create, false);
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  t->WaitFor();
  Free(t);
  Free(main);
}

// --- Hints ----------------------------------------------------------------------------

TEST_F(FormsFixture, HintShowsTheShortTextAfterThePauseAndHidesLater) {
  SetManualClock(true);
  TForm* f = MakeForm(100, 100, 300, 200);
  TFormsPad* pad = AddPad(f, 10, 10, 120, 40);
  pad->SetHint(u"Kaydet|Kaydı veritabanına yazar");
  pad->SetShowHint(true);
  f->Show();
  Pump();
  Application->SetHintPause(500);
  Application->SetHintHidePause(2500);
  TPoint p = CenterOf(pad);
  Display.MouseMove(p.X, p.Y);
  Pump();
  auto hintShown = [] {
    THintWindow* h = Application->HintWindow();
    return h && h->HandleAllocated() && IsWindowVisible(h->WindowHandle());
  };
  EXPECT_FALSE(hintShown());
  AdvanceManualClock(499);
  Pump();
  EXPECT_FALSE(hintShown());
  AdvanceManualClock(1);
  Pump();
  ASSERT_TRUE(hintShown());
  THintWindow* h = Application->HintWindow();
  EXPECT_EQ(h->Caption(), u"Kaydet");
  RECT r;
  GetWindowRect(h->Handle(), &r);
  EXPECT_EQ(r.left, p.X);
  EXPECT_GT(r.top, p.Y);
  EXPECT_TRUE(GetWindowLongPtrW(h->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetActiveWindow(), f->Handle());  // the hint never activates
  // The client area starts inside the border.
  POINT origin{0, 0};
  ClientToScreen(h->Handle(), &origin);
  EXPECT_EQ(origin.x, r.left + 1);
  EXPECT_EQ(origin.y, r.top + 1);
  AdvanceManualClock(2500);
  Pump();
  EXPECT_FALSE(hintShown());
}

TEST_F(FormsFixture, OnShowHintSeesTheHintAndCanRefuseIt) {
  struct TCase {
    const char* Name;
    bool WithAction;
    bool ShortCuts;
    String Expected;
  };
  const TShortCut ctrlO = ShortCut('O', TShiftState{ssCtrl});
  const TCase cases[] = {{"plain", false, true, u"Oku"},
                         {"action with shortcut", true, true, u"Oku (" + ShortCutToText(ctrlO) + u")"},
                         {"shortcuts off", true, false, u"Oku"}};
  SetManualClock(true);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm* f = MakeForm(100, 100, 300, 200);
    TFormsPad* pad = AddPad(f, 10, 10, 120, 40);
    TAction* action = nullptr;
    if (c.WithAction) {
      action = New<TAction>(static_cast<TComponent*>(f));
      action->SetHint(u"Oku|Kartı okur");
      action->SetShortCut(ctrlO);
      pad->SetAction(action);
    } else {
      pad->SetHint(u"Oku|Kartı okur");
    }
    pad->SetShowHint(true);
    Application->SetHintShortCuts(c.ShortCuts);
    f->Show();
    Pump();
    struct TRefuse {
      std::vector<String> Seen;
      void Show(String& HintStr, Boolean& CanShow, THintInfo& Info) {
        Seen.push_back(HintStr);
        EXPECT_EQ(Info.HideTimeout, Application->HintHidePause());
        CanShow = false;
      }
    } refuse;
    Application->SetOnShowHint(TShowHintEvent(&refuse, &TRefuse::Show));
    TPoint p = CenterOf(pad);
    Display.MouseMove(p.X, p.Y);
    Pump();
    AdvanceManualClock(Application->HintPause());
    Pump();
    Application->SetOnShowHint(TShowHintEvent());
    Application->SetHintShortCuts(true);
    EXPECT_EQ(refuse.Seen, std::vector<String>{c.Expected});
    THintWindow* h = Application->HintWindow();
    EXPECT_FALSE(h && h->HandleAllocated() && IsWindowVisible(h->WindowHandle()));
    Display.MouseMove(1270, 1010);
    Pump();
    Free(f);
  }
}

TEST_F(FormsFixture, HintWindowStaysInsideTheWorkArea) {
  THintWindow* h = New<THintWindow>(static_cast<TComponent*>(nullptr));
  Track(h);
  TRect r = h->CalcHintRect(Screen->Width(), u"Uzun bir ipucu metni", nullptr);
  EXPECT_GT(r.Width(), 6);
  EXPECT_GT(r.Height(), 4);
  TRect wa = Screen->WorkAreaRect();
  h->ActivateHint(TRect{wa.Right - 10, wa.Bottom - 5, wa.Right - 10 + r.Width(), wa.Bottom - 5 + r.Height()},
                  u"Uzun bir ipucu metni");
  RECT w;
  GetWindowRect(h->Handle(), &w);
  EXPECT_EQ(w.right, wa.Right);
  EXPECT_EQ(w.bottom, wa.Bottom);
  EXPECT_EQ(w.right - w.left, r.Width());
  EXPECT_EQ(SendMessageW(h->Handle(), WM_NCHITTEST, 0, MAKELPARAM(WORD(w.left + 2), WORD(w.top + 2))),
            HTTRANSPARENT);
  h->ReleaseHandle();
  EXPECT_FALSE(h->HandleAllocated());
}

// --- Screen -----------------------------------------------------------------------------

TEST_F(FormsFixture, ScreenCursorTableMapsStandardAndRegisteredIds) {
  struct TCase {
    TCursor Id;
    LPCWSTR System;
  };
  for (const TCase& c : {TCase{crArrow, IDC_ARROW}, TCase{crHourGlass, IDC_WAIT}, TCase{crIBeam, IDC_IBEAM},
                         TCase{crHandPoint, IDC_HAND}, TCase{crSizeNS, IDC_SIZENS}, TCase{crNoDrop, IDC_NO},
                         TCase{crDefault, IDC_ARROW}, TCase{TCursor(2105), IDC_ARROW}}) {
    SCOPED_TRACE(c.Id);
    EXPECT_EQ(Screen->Cursors(c.Id), LoadCursorW(nullptr, c.System));
  }
  EXPECT_EQ(Screen->Cursors(crNone), nullptr);
  HCURSOR custom = LoadCursorW(nullptr, IDC_CROSS);
  Screen->SetCursors(2105, custom);
  EXPECT_EQ(Screen->Cursors(2105), custom);
  Screen->SetCursors(2105, nullptr);
  EXPECT_EQ(Screen->Cursors(2105), Screen->Cursors(crDefault));
}

TEST_F(FormsFixture, ScreenCursorIsShownAndModalFormsRestoreIt) {
  TForm* f = MakeForm(100, 100, 300, 200);
  f->Show();
  Pump();
  Display.MouseMove(200, 200);
  Pump();
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  // A mouse move over the form keeps the hourglass.
  Display.MouseMove(210, 210);
  Pump();
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));

  // A modal form shows the default cursor and gives the hourglass back...
  TForm* dialog = MakeForm(150, 150, 200, 100);
  TCursor inside = crNone;
  TLoopStep step;
  step.Post([&] {
    inside = Screen->Cursor();
    dialog->SetModalResult(mrOk);
  });
  dialog->ShowModal();
  EXPECT_EQ(inside, crDefault);
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  // ...unless the cursor was set while it ran.
  step.Post([&] {
    Screen->SetCursor(crIBeam);
    dialog->SetModalResult(mrOk);
  });
  dialog->ShowModal();
  EXPECT_EQ(Screen->Cursor(), crDefault);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(FormsFixture, ScreenKnowsTheFormsTheActiveFormAndTheMonitor) {
  EXPECT_EQ(Screen->Width(), Display.Width());
  EXPECT_EQ(Screen->Height(), Display.Height());
  EXPECT_EQ(Screen->PixelsPerInch(), 96);
  ASSERT_EQ(Screen->MonitorCount(), 1);
  TMonitor* m = Screen->Monitors(0);
  EXPECT_TRUE(m->Primary());
  EXPECT_EQ(m->BoundsRect(), (TRect{0, 0, Display.Width(), Display.Height()}));
  EXPECT_EQ(m->WorkareaRect(), m->BoundsRect());
  int before = Screen->FormCount();
  TForm* a = MakeForm(10, 10, 200, 100);
  TForm* b = MakeForm(300, 10, 200, 100);
  EXPECT_EQ(Screen->FormCount(), before + 2);
  a->Show();
  Pump();
  EXPECT_EQ(Screen->ActiveForm(), a);
  b->Show();
  Pump();
  EXPECT_EQ(Screen->ActiveForm(), b);
  Free(b);
  EXPECT_EQ(Screen->FormCount(), before + 1);
  EXPECT_NE(Screen->ActiveForm(), b);
  EXPECT_THROW(Screen->Forms(Screen->FormCount()), EListError);
}

// --- Frame, placement and layering ---------------------------------------------------

TEST_F(FormsFixture, BorderStyleAndIconsGiveTheWindowStyles) {
  struct TCase {
    const char* Name;
    TFormBorderStyle Border;
    TBorderIcons Icons;
    TFormStyle Style;
    DWORD Has, HasNot, ExHas;
  };
  const TBorderIcons all{biSystemMenu, biMinimize, biMaximize};
  const TCase cases[] = {
      {"sizeable", bsSizeable, all, fsNormal, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MAXIMIZEBOX, WS_CHILD, 0},
      {"dialog", bsDialog, all, fsNormal, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MAXIMIZEBOX,
       WS_EX_DLGMODALFRAME},
      {"none", bsNone, all, fsNormal, WS_POPUP, WS_CAPTION | WS_SYSMENU, 0},
      {"tool window", bsSizeToolWin, TBorderIcons{}, fsNormal, WS_THICKFRAME, WS_SYSMENU, WS_EX_TOOLWINDOW},
      {"single, no icons", bsSingle, TBorderIcons{}, fsStayOnTop, WS_CAPTION, WS_SYSMENU | WS_MINIMIZEBOX,
       WS_EX_TOPMOST},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm* f = MakeForm(20, 20, 200, 150);
    f->SetBorderStyle(c.Border);
    f->SetBorderIcons(c.Icons);
    f->SetFormStyle(c.Style);
    HWND h = f->Handle();
    DWORD style = DWORD(GetWindowLongPtrW(h, GWL_STYLE)), ex = DWORD(GetWindowLongPtrW(h, GWL_EXSTYLE));
    EXPECT_EQ(style & c.Has, c.Has);
    EXPECT_EQ(style & c.HasNot, 0u);
    EXPECT_EQ(ex & c.ExHas, c.ExHas);
    Free(f);
  }
}

TEST_F(FormsFixture, PositionPlacesTheFormWhenShown) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  Track(main);
  main->SetPosition(poDesigned);
  main->SetBounds(100, 200, 400, 300);
  main->Show();
  struct TCase {
    TPosition Position;
    int Left, Top;
  };
  const int sw = Display.Width(), sh = Display.Height();
  for (const TCase& c : {TCase{poDesigned, 7, 9}, TCase{poScreenCenter, (sw - 200) / 2, (sh - 100) / 2},
                         TCase{poMainFormCenter, 100 + (400 - 200) / 2, 200 + (300 - 100) / 2}}) {
    SCOPED_TRACE(int(c.Position));
    TForm* f = MakeForm(7, 9, 200, 100);
    f->SetPosition(c.Position);
    f->Show();
    RECT r;
    GetWindowRect(f->Handle(), &r);
    EXPECT_EQ(r.left, c.Left);
    EXPECT_EQ(r.top, c.Top);
    Free(f);
  }
  Free(main);
}

TEST_F(FormsFixture, AlphaBlendAndTransparentColorMakeALayeredWindow) {
  TForm* f = MakeForm(20, 20, 200, 150);
  f->SetAlphaBlend(true);
  f->SetAlphaBlendValue(128);
  f->Show();
  BYTE alpha = 0;
  COLORREF key = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(f->Handle(), &key, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags, LWA_ALPHA);
  f->SetTransparentColorValue(clFuchsia);
  f->SetTransparentColor(true);
  ASSERT_TRUE(GetLayeredWindowAttributes(f->Handle(), &key, &alpha, &flags));
  EXPECT_EQ(flags, LWA_ALPHA | LWA_COLORKEY);
  EXPECT_EQ(key, COLORREF(0xFF00FF));
  f->SetAlphaBlend(false);
  f->SetTransparentColor(false);
  EXPECT_FALSE(GetWindowLongPtrW(f->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
}

// --- Forms from their resource ------------------------------------------------------

namespace {

class TResForm : public TForm {
  CL_CLASS(TResForm, TForm)
 public:
  TFormsPad* Pad1{};
  std::vector<std::string> Log;
  void FormCreate(TObject*) { Log.push_back("create:" + UTF16ToUTF8(Caption())); }
};
CL_IMPLEMENT_CLASS_PUBLISHED(TResForm, P) {
  P.Field(u"Pad1", &TResForm::Pad1);
  P.Method(u"FormCreate", &TResForm::FormCreate);
}

// A form stored at twice the screen's pixel density.
class TScaledForm : public TForm {
  CL_CLASS(TScaledForm, TForm)
 public:
  TFormsPad* Pad1{};
};
CL_IMPLEMENT_CLASS_PUBLISHED(TScaledForm, P) { P.Field(u"Pad1", &TScaledForm::Pad1); }

const char* const ScaledFormText =
    "object ScaledForm: TScaledForm\n"
    "  BorderStyle = bsSingle\n"
    "  ClientHeight = 100\n"
    "  ClientWidth = 200\n"
    "  PixelsPerInch = 192\n"
    "  object Pad1: TFormsPad\n"
    "    Left = 40\n"
    "    Top = 20\n"
    "    Width = 100\n"
    "    Height = 30\n"
    "  end\n"
    "end\n";

// A form class with no resource of its own.
class TBareForm : public TForm {
  CL_CLASS(TBareForm, TForm)
};
CL_IMPLEMENT_CLASS(TBareForm)

const char* const ResFormText =
    "object ResForm: TResForm\n"
    "  Left = 30\n"
    "  Top = 40\n"
    "  BorderStyle = bsDialog\n"
    "  Caption = 'Seri Port'\n"
    "  ClientHeight = 132\n"
    "  ClientWidth = 184\n"
    "  Position = poDesigned\n"
    "  PixelsPerInch = 96\n"
    "  OnCreate = FormCreate\n"
    "  object Pad1: TFormsPad\n"
    "    Left = 32\n"
    "    Top = 24\n"
    "    Width = 121\n"
    "    Height = 21\n"
    "  end\n"
    "end\n";

}  // namespace

TEST_F(FormsFixture, CreateReadsTheFormResourceOfTheClass) {
  RegisterClasses({TFormsPad::StaticClass()});
  static const RawByteString binary = ObjectTextToBinary(RawByteString(ResFormText));
  static const TResourceEntry entries[] = {{nullptr, 10, u"TResForm", 0,
                                            reinterpret_cast<const Byte*>(binary.data()), binary.size()}};
  RegisterResources(entries, 1);
  TResForm* f = New<TResForm>(static_cast<TComponent*>(nullptr));
  Track(f);
  EXPECT_EQ(f->Name(), u"ResForm");
  EXPECT_EQ(f->Caption(), u"Seri Port");
  EXPECT_EQ(f->Log, (std::vector<std::string>{"create:Seri Port"}));
  ASSERT_NE(f->Pad1, nullptr);
  EXPECT_EQ(f->Pad1->Parent(), f);
  EXPECT_FALSE(f->Visible());
  f->Show();
  RECT client;
  GetClientRect(f->Handle(), &client);
  EXPECT_EQ(client.right, 184);
  EXPECT_EQ(client.bottom, 132);
  RECT w;
  GetWindowRect(f->Handle(), &w);
  EXPECT_EQ(w.left, 30);
  EXPECT_EQ(w.top, 40);
  Free(f);
  UnregisterResources(entries, 1);

  EXPECT_THROW(New<TBareForm>(static_cast<TComponent*>(nullptr)), EResNotFound);
}

TEST_F(FormsFixture, AFormStoredAtAnotherPixelDensityIsScaledToTheScreens) {
  RegisterClasses({TFormsPad::StaticClass()});
  static const RawByteString binary = ObjectTextToBinary(RawByteString(ScaledFormText));
  static const TResourceEntry entries[] = {{nullptr, 10, u"TScaledForm", 0,
                                            reinterpret_cast<const Byte*>(binary.data()), binary.size()}};
  RegisterResources(entries, 1);
  TScaledForm* f = New<TScaledForm>(static_cast<TComponent*>(nullptr));
  Track(f);
  EXPECT_EQ(f->PixelsPerInch(), 96);
  EXPECT_EQ(f->ClientWidth(), 100);
  EXPECT_EQ(f->ClientHeight(), 50);
  ASSERT_NE(f->Pad1, nullptr);
  EXPECT_EQ(f->Pad1->BoundsRect(), (TRect{20, 10, 70, 25}));
  Free(f);
  UnregisterResources(entries, 1);
}

// --- Painting, focus bookkeeping, modal loops ------------------------------------------

namespace {

// Writes the focus events of named controls in the order they come.
struct TFocusLog {
  std::vector<std::string> Log;
  void Enter(TObject* S) { Log.push_back(UTF16ToUTF8(static_cast<TComponent*>(S)->Name()) + " enter"); }
  void Exit(TObject* S) { Log.push_back(UTF16ToUTF8(static_cast<TComponent*>(S)->Name()) + " exit"); }
  void Key(TObject* S, Word&, TShiftState) { Log.push_back(UTF16ToUTF8(static_cast<TComponent*>(S)->Name()) + " key"); }
  void Watch(TWinControl* C, const char16_t* Name) {
    C->SetName(Name);
    C->SetOnEnter(TNotifyEvent(this, &TFocusLog::Enter));
    C->SetOnExit(TNotifyEvent(this, &TFocusLog::Exit));
  }
};

struct TPaintCount {
  int Count = 0;
  TCustomForm* Form{};
  void Paint(TObject*) {
    ++Count;
    Form->Canvas()->Brush()->SetColor(clRed);
    Form->Canvas()->FillRect(TRect{10, 10, 60, 40});
  }
};

}  // namespace

// A form without controls paints through Paint and OnPaint, as every form does.
TEST_F(FormsFixture, AFormWithoutControlsPaintsItself) {
  TForm* f = MakeForm(100, 100, 200, 150);
  TPaintCount paint;
  paint.Form = f;
  f->SetOnPaint(TNotifyEvent(&paint, &TPaintCount::Paint));
  f->Show();
  Pump();
  EXPECT_EQ(paint.Count, 1);
  Display.Compose();
  TPoint inside = f->ClientToScreen(TPoint{30, 20}), outside = f->ClientToScreen(TPoint{100, 100});
  EXPECT_EQ(Display.Pixel(inside.X, inside.Y), RGB(255, 0, 0));
  EXPECT_EQ(Display.Pixel(outside.X, outside.Y), ColorToRGB(clBtnFace));
  f->Invalidate();
  Pump();
  EXPECT_EQ(paint.Count, 2);
}

// A control that cannot hold the focus any more gives it and the active
// control back to its form, with the exit events in the platform's order; the
// group it sat in is left once and entered again only after that.
TEST_F(FormsFixture, HiddenDisabledMovedOrFreedControlsGiveTheFocusBack) {
  struct TCase {
    const char* Name;
    int How;  // 0 hide, 1 disable, 2 move to another form, 3 free
    std::vector<std::string> Log;
  };
  const TCase cases[] = {{"hidden", 0, {"edit exit", "group exit"}},
                         {"disabled", 1, {"edit exit", "group exit"}},
                         {"moved", 2, {"group exit"}},
                         {"freed", 3, {"group exit"}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm* f = MakeForm(40, 40, 400, 300);
    TForm* other = MakeForm(500, 40, 300, 200);
    TFocusLog log;
    auto* group = New<TGroupBox>(static_cast<TComponent*>(f));
    group->SetBounds(10, 10, 250, 200);
    static_cast<TControl*>(group)->SetParent(f);
    log.Watch(group, u"group");
    TFormsPad* edit = AddPad(group, 10, 30, 100, 30);
    log.Watch(edit, u"edit");
    edit->SetOnKeyDown(TKeyEvent(&log, &TFocusLog::Key));
    TFormsPad* second = AddPad(group, 10, 100, 100, 30);
    log.Watch(second, u"second");
    TFormsPad* outside = AddPad(f, 280, 30, 100, 30);
    log.Watch(outside, u"outside");
    f->Show();
    Pump();
    ASSERT_EQ(GetFocus(), edit->Handle());  // the first tab stop
    log.Log.clear();

    switch (c.How) {
      case 0: edit->SetVisible(false); break;
      case 1: edit->SetEnabled(false); break;
      case 2: static_cast<TControl*>(edit)->SetParent(other); break;
      default: Free(edit); break;
    }
    Pump();
    EXPECT_EQ(log.Log, c.Log);
    EXPECT_EQ(f->ActiveControl(), nullptr);
    EXPECT_EQ(GetFocus(), f->Handle());
    // Keys go to the form, not to the control that lost the focus.
    log.Log.clear();
    Display.KeyPress('A');
    Pump();
    EXPECT_EQ(log.Log, std::vector<std::string>{});
    // The group is entered again once, after it was left.
    second->SetFocus();
    Pump();
    EXPECT_EQ(log.Log, (std::vector<std::string>{"group enter", "second enter"}));
    EXPECT_EQ(f->ActiveControl(), second);
    if (c.How == 2) {
      // The first form can still be activated: the moved control is not its
      // active control any more.
      other->Show();
      Pump();
      ASSERT_EQ(GetActiveWindow(), other->Handle());
      f->SetFocus();
      Pump();
      EXPECT_EQ(GetActiveWindow(), f->Handle());
      EXPECT_EQ(GetFocus(), second->Handle());
    }
    Free(f);
    Free(other);
  }
}

// Tab moves the focus on while the leaving control's OnExit frees it with the
// group that owns it (a control made of inner controls freed by its user):
// the next control gets the focus and neither the form nor the screen keeps
// the freed one as its active control.
TEST_F(FormsFixture, AControlFreedFromItsOnExitWhileTabMovesTheFocusOn) {
  struct TFreeGroup {
    TWinControl* Group{};
    void Exit(TObject*) {
      TWinControl* g = Group;
      Group = nullptr;
      if (g) Free(g);
    }
  } freer;
  TForm* f = MakeForm(40, 40, 400, 300);
  auto* group = New<TGroupBox>(static_cast<TComponent*>(f));
  group->SetBounds(10, 10, 200, 100);
  static_cast<TControl*>(group)->SetParent(f);
  TFormsPad* inner = AddPad(group, 10, 30, 100, 30);  // owned by the group, not the form
  TFormsPad* next = AddPad(f, 280, 30, 100, 30);
  TFormsPad* last = AddPad(f, 280, 100, 100, 30);
  f->Show();
  Pump();
  ASSERT_EQ(GetFocus(), inner->Handle());
  ASSERT_EQ(Screen->ActiveControl(), inner);
  freer.Group = group;
  inner->SetOnExit(TNotifyEvent(&freer, &TFreeGroup::Exit));
  Display.KeyPress(VK_TAB);
  Pump();
  ASSERT_EQ(freer.Group, nullptr);
  EXPECT_EQ(GetFocus(), next->Handle());
  EXPECT_EQ(f->ActiveControl(), next);
  EXPECT_EQ(Screen->ActiveControl(), next);
  Display.KeyPress(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), last->Handle());
  EXPECT_EQ(Screen->ActiveControl(), last);
  Free(f);
}

// A modal loop left by an exception gives back the cursor, the other windows
// and the activation of the window that was active, as the normal end does.
TEST_F(FormsFixture, ShowModalEndedByAnExceptionRestoresTheFormerState) {
  TForm* main = MakeForm(50, 50, 400, 300);
  main->Show();
  Pump();
  ASSERT_EQ(GetActiveWindow(), main->Handle());
  Screen->SetCursor(crHourGlass);
  TForm* dialog = MakeForm(100, 100, 300, 200);
  TLoopStep step;
  bool inside = false;
  step.Post([&] {
    inside = GetActiveWindow() == dialog->Handle() && Screen->Cursor() == crDefault;
    throw Exception(u"the loop fails");
  });
  EXPECT_THROW(dialog->ShowModal(), Exception);
  EXPECT_TRUE(inside);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(dialog->FormState().Contains(fsModal));
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_EQ(GetActiveWindow(), main->Handle());
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
}

// The wheel over a form reaches its active control first, then the form.
TEST_F(FormsFixture, WheelGoesToTheActiveControlThenToTheForm) {
  TForm* form = MakeForm(50, 50, 300, 200);
  TEdit* edit = New<TEdit>(static_cast<TComponent*>(form));
  edit->SetBounds(10, 10, 100, 21);
  edit->SetParent(form);
  form->Show();
  edit->SetFocus();
  Pump();
  ASSERT_EQ(form->ActiveControl(), edit);
  struct TWheel : TObject {
    std::vector<std::string> Seen;
    Boolean Handle = true;
    void Down(TObject* S, TShiftState, TPoint, Boolean& H) {
      Seen.push_back(S->ClassName() == String(u"TEdit") ? "edit" : "form");
      H = Handle;
    }
  } w;
  edit->SetOnMouseWheelDown(TMouseWheelUpDownEvent(&w, &TWheel::Down));
  form->SetOnMouseWheelDown(TMouseWheelUpDownEvent(&w, &TWheel::Down));
  Display.Wheel(200, 150, -120);
  Pump();
  EXPECT_EQ(w.Seen, (std::vector<std::string>{"edit"}));
  w.Seen.clear();
  w.Handle = false;
  Display.Wheel(200, 150, -120);
  Pump();
  EXPECT_EQ(w.Seen, (std::vector<std::string>{"edit", "form"}));
}

}  // namespace formstest
