// The drop-down protocol in a failing world, with real mouse and keys on the
// headless screen: the lent control freed or lent twice, the editor
// disabled, hidden or freed while open and from its own popup events, the
// form closed or freed, a modal dialog from OnCloseUp, an opening cancelled
// while it waits in the queue, a refused post and a raising OnCloseUp.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "lib/editors/vlComboBox.h"
#include "lib/editors/vlPopupEdit.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

std::string Narrow(const String& S) { return std::string(S.begin(), S.end()); }

// What an event handler does to its editor.
enum class TAct { None, Disable, Hide, Free, Raise, Modal };

class TDropRecorder : public TObject {
  CL_CLASS(TDropRecorder, TObject)
 public:
  std::vector<std::string> Log;
  std::vector<std::string> Errors;
  // The event that acts, and what it does.
  std::string ActOn;
  TAct Act{TAct::None};
  TvlCustomDropDownEdit* Target{};
  Integer Count(const char* S) const { return Integer(std::count(Log.begin(), Log.end(), std::string(S))); }
  void Note(const char* S) {
    Log.emplace_back(S);
    if (ActOn != S || !Target) return;
    TvlCustomDropDownEdit* e = Target;
    const TAct act = Act;
    ActOn.clear();
    switch (act) {
      case TAct::Disable: e->SetEnabledProp(false); break;
      case TAct::Hide: e->SetVisible(false); break;
      case TAct::Free:
        Target = nullptr;
        Free(e);
        break;
      case TAct::Raise: throw Exception(u"Handler failed");
      case TAct::Modal: {
        TForm* dialog = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
        Finally freeDialog([&] { Free(dialog); });
        dialog->SetBounds(200, 200, 200, 100);
        dialog->HandleNeeded();
        PostMessageW(dialog->WindowHandle(), WM_CLOSE, 0, 0);
        dialog->ShowModal();
        Log.emplace_back("modal done");
        break;
      }
      default: break;
    }
  }
  void InitPopup(TObject*) { Note("init"); }
  void FinalizePopup(TObject*) { Note("finalize"); }
  // Run when the popup has shown: input queued there reaches the popup's modal loop.
  std::function<void()> WhenShown;
  void Popup(TObject*) {
    Note("popup");
    if (WhenShown) WhenShown();
  }
  void CloseUp(TObject*) { Note("closeup"); }
  void ButtonClick(TObject*) { Note("button"); }
  void ClosePopup(TvlControl*, TvlEditCloseUpReason) { Note("closepopup"); }
  void Failed(TObject*, const Exception& E) { Errors.push_back(Narrow(E.Message())); }
};
CL_IMPLEMENT_CLASS(TDropRecorder)

// A binding whose store fails, as a data set that refuses a post does.
class TRefusingBinding : public TvlEditDataBinding {
  CL_CLASS(TRefusingBinding, TvlEditDataBinding)
 public:
  Boolean GetModified() override { return true; }
  void SetStoredValue(const Variant&) override {
    ++Tries;
    throw Exception(u"Post refused");
  }
  Integer Tries{};
};
CL_IMPLEMENT_CLASS(TRefusingBinding)

class TRefusingCombo : public TvlComboBox {
  CL_CLASS(TRefusingCombo, TvlComboBox)
 public:
  TRefusingBinding* Binding() const { return static_cast<TRefusingBinding*>(DataBinding()); }

 protected:
  TvlEditDataBindingClass DataBindingClass() const override { return ClassOf<TRefusingBinding>(); }
};
CL_IMPLEMENT_CLASS(TRefusingCombo)

class DropDownEditTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TDropRecorder>();
    Application->SetOnException(TExceptionEvent(Recorder, &TDropRecorder::Failed));
  }
  void TearDown() override {
    Application->SetOnException(TExceptionEvent());
    ControlFixture::TearDown();
    Free(Recorder);
  }
  void Hook(TvlCustomDropDownEditProperties* P) {
    P->SetOnInitPopup(TNotifyEvent(Recorder, &TDropRecorder::InitPopup));
    P->SetOnFinalizePopup(TNotifyEvent(Recorder, &TDropRecorder::FinalizePopup));
    P->SetOnPopup(TNotifyEvent(Recorder, &TDropRecorder::Popup));
    P->SetOnCloseUp(TNotifyEvent(Recorder, &TDropRecorder::CloseUp));
    P->SetOnClosePopup(TvlEditClosePopupEvent(Recorder, &TDropRecorder::ClosePopup));
  }
  // A popup edit lending APanel; its popup is driven from outside its modal loop.
  TvlPopupEdit* AddPopupEdit(TControl* APanel, Integer ATop = 10) {
    TvlPopupEdit* e = Add<TvlPopupEdit>(10, ATop, 150, 21);
    e->PopupWindow()->SetModalMode(false);
    e->Properties()->SetPopupControl(APanel);
    Hook(e->Properties());
    Pump();
    return e;
  }
  TPanel* AddPanel(TWinControl* AParent = nullptr) {
    TPanel* p = Add<TPanel>(200, 40, 160, 120, AParent);
    p->SetAlign(alNone);
    Pump();
    return p;
  }
  template <class T = TvlComboBox>
  T* AddCombo(Integer ATop = 10) {
    T* c = Add<T>(10, ATop, 150, 21);
    for (const char16_t* s : {u"COM1", u"COM2", u"COM3", u"COM4"}) c->Properties()->Items()->Add(s);
    c->Properties()->SetDropDownListStyle(lsFixedList);
    c->Properties()->SetImmediateUpdateText(true);
    Hook(c->Properties());
    Pump();
    return c;
  }
  void ClickButton(TvlCustomDropDownEdit* C) {
    const TRect b = C->ViewInfo()->ButtonsInfo[0]->Bounds;
    ClickAt(C, (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  }
  void Key(UINT AKey, UINT AModifier = 0) {
    if (AModifier) Display.KeyDown(AModifier);
    Display.KeyPress(AKey);
    if (AModifier) Display.KeyUp(AModifier);
    Pump();
  }
  // The lent panel is back where it was, as it was.
  void ExpectPanelBack(TPanel* APanel, TWinControl* AParent = nullptr) {
    EXPECT_EQ(APanel->Parent(), AParent ? AParent : Form);
    EXPECT_EQ(APanel->Align(), alNone);
    EXPECT_EQ(APanel->BoundsRect(), (TRect{200, 40, 360, 160}));
    EXPECT_TRUE(APanel->Visible());
  }
  void ExpectBalanced() {
    EXPECT_EQ(Recorder->Count("init"), Recorder->Count("finalize"));
    EXPECT_EQ(vlOpenPopupCount(), 0);
  }
  TDropRecorder* Recorder{};
};

// --- The lent control -------------------------------------------------------------------------------------------

// The popup control freed while its popup shows, or while the opening that
// lent it waits in the queue: nothing touches the freed control, the popup
// closes cleanly and opens no more without a control.
TEST_F(DropDownEditTest, ThePopupControlFreedWhileShownOrLent) {
  for (const Boolean shown : {true, false}) {
    SCOPED_TRACE(shown ? "shown" : "lent, not yet shown");
    TPanel* panel = AddPanel();
    Add<TEdit>(10, 10, 100, 21, panel);  // a focusable child, freed with the panel
    TvlPopupEdit* e = AddPopupEdit(panel);
    ClickButton(e);
    if (!shown) {
      e->SetDroppedDown(false);
      Pump();
      e->SetDroppedDown(true);
      ASSERT_EQ(panel->Parent(), e->PopupWindow());
    }
    ASSERT_EQ(e->DroppedDown(), shown);
    Free(panel);
    Pump();
    EXPECT_EQ(e->Properties()->PopupControl(), nullptr);
    ClickAt(Form, 300, 250);
    Key(VK_ESCAPE);
    e->SetDroppedDown(false);
    Pump();
    ExpectBalanced();
    ClickButton(e);
    EXPECT_FALSE(e->DroppedDown());
    ExpectBalanced();
    Free(e);
    Recorder->Log.clear();
  }
}

// One panel lent to two popup edits, the second opened while the first is
// open: the panel is never left inside a hidden popup, and after both close
// it is back on the form as it was, alive when both editors are freed.
TEST_F(DropDownEditTest, OneControlLentToTwoPopupEdits) {
  for (const Boolean firstClosesFirst : {true, false}) {
    SCOPED_TRACE(firstClosesFirst ? "the first closes first" : "the second closes first");
    TPanel* panel = AddPanel();
    TWeakRef<TPanel> alive(panel);
    TvlPopupEdit* e1 = AddPopupEdit(panel, 10);
    TvlPopupEdit* e2 = AddPopupEdit(panel, 60);
    ClickButton(e1);
    ASSERT_TRUE(e1->DroppedDown());
    e2->SetDroppedDown(true);
    Pump();
    if (e2->DroppedDown()) EXPECT_EQ(panel->Parent(), e2->PopupWindow());
    if (e1->DroppedDown()) EXPECT_EQ(panel->Parent(), e1->PopupWindow());
    (firstClosesFirst ? e1 : e2)->SetDroppedDown(false);
    Pump();
    (firstClosesFirst ? e2 : e1)->SetDroppedDown(false);
    Pump();
    ExpectBalanced();
    ExpectPanelBack(panel);
    Free(e1);
    Free(e2);
    ASSERT_TRUE(alive);
    ExpectPanelBack(panel);
    Free(panel);
    Recorder->Log.clear();
  }
}

// --- The editor going away while open -----------------------------------------------------------------------------

// The editor disabled, hidden or freed while its popup is open: the popup
// closes, the panel comes back, each opening is finalised once.
TEST_F(DropDownEditTest, TheEditorDisabledHiddenOrFreedWhileOpen) {
  for (const TAct act : {TAct::Disable, TAct::Hide, TAct::Free}) {
    SCOPED_TRACE(int(act));
    TPanel* panel = AddPanel();
    TvlPopupEdit* e = AddPopupEdit(panel);
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    if (act == TAct::Disable) e->SetEnabledProp(false);
    if (act == TAct::Hide) e->SetVisible(false);
    if (act == TAct::Free) Free(e);
    Pump();
    if (act != TAct::Free) EXPECT_FALSE(e->DroppedDown());
    ExpectBalanced();
    ExpectPanelBack(panel);
    ClickAt(Form, 300, 250);
    Key(VK_ESCAPE);
    if (act != TAct::Free) Free(e);
    Free(panel);
    Recorder->Log.clear();
  }
}

// The editor disabled, hidden or freed from each of its popup events, opened
// by its button and closed by an outside click: no popup stays open, the
// panel comes back, nothing freed is touched, and an editor that is still
// there opens again once it is enabled and shown.
TEST_F(DropDownEditTest, TheEditorDisabledHiddenOrFreedFromItsPopupEvents) {
  for (const char* event : {"init", "popup", "closeup", "closepopup"})
    for (const TAct act : {TAct::Disable, TAct::Hide, TAct::Free}) {
      SCOPED_TRACE(std::string(event) + " " + std::to_string(int(act)));
      TPanel* panel = AddPanel();
      TvlPopupEdit* e = AddPopupEdit(panel);
      TWeakRef<TvlPopupEdit> alive(e);
      Recorder->ActOn = event;
      Recorder->Act = act;
      Recorder->Target = e;
      ClickButton(e);
      ClickAt(Form, 300, 250);
      Pump();
      EXPECT_TRUE(Recorder->ActOn.empty());
      ExpectBalanced();
      ExpectPanelBack(panel);
      if (alive) {
        e->SetVisible(true);
        e->SetEnabledProp(true);
        Pump();
        Recorder->Log.clear();
        ClickButton(e);
        EXPECT_TRUE(e->DroppedDown());
        ClickAt(Form, 300, 250);
        ExpectBalanced();
        ExpectPanelBack(panel);
        Free(e);
      }
      Free(panel);
      Recorder->Log.clear();
    }
}

// --- The form -------------------------------------------------------------------------------------------------------

// The form closed or freed while the popup is open, and the owner form
// losing activation to another form: the popup closes and the panel comes
// back (or goes with its form).
TEST_F(DropDownEditTest, TheFormClosedFreedOrDeactivatedWhileOpen) {
  enum TWay { Close, FreeForm, Deactivate };
  for (const TWay way : {Close, FreeForm, Deactivate})
    for (const Boolean combo : {false, true}) {
      SCOPED_TRACE(std::to_string(int(way)) + (combo ? " combo" : " popup edit"));
      TForm* host = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
      host->SetBorderStyle(bsNone);
      host->SetBounds(100, 400, 400, 300);
      host->Show();
      TPanel* panel = New<TPanel>(static_cast<TComponent*>(host));
      panel->SetBounds(200, 40, 160, 120);
      panel->SetParent(host);
      TvlCustomDropDownEdit* e = nullptr;
      if (combo) {
        auto* c = New<TvlComboBox>(static_cast<TComponent*>(host));
        c->Properties()->Items()->Add(u"COM1");
        e = c;
      } else {
        auto* p = New<TvlPopupEdit>(static_cast<TComponent*>(host));
        p->Properties()->SetPopupControl(panel);
        e = p;
      }
      e->SetBounds(10, 10, 150, 21);
      e->SetParent(host);
      e->PopupWindow()->SetModalMode(false);
      Hook(e->ActiveProperties());
      Pump();
      ClickButton(e);
      ASSERT_TRUE(e->DroppedDown());
      TForm* other = nullptr;
      switch (way) {
        case Close: host->Close(); break;
        case FreeForm: FreeAndNil(host); break;
        case Deactivate:
          other = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
          other->SetBounds(600, 100, 200, 100);
          other->Show();
          SetActiveWindow(other->WindowHandle());
          break;
      }
      Pump();
      EXPECT_EQ(vlOpenPopupCount(), 0);
      EXPECT_EQ(Recorder->Count("init"), Recorder->Count("finalize"));
      if (host) {
        EXPECT_FALSE(e->DroppedDown());
        EXPECT_EQ(panel->Parent(), host);
        EXPECT_EQ(panel->BoundsRect(), (TRect{200, 40, 360, 160}));
      }
      Free(other);
      Free(host);
      ClickAt(Form, 10, 10);
      Key(VK_ESCAPE);
      Recorder->Log.clear();
    }
}

// A modal dialog shown from OnCloseUp while the popup closes by Enter: the
// dialog runs and ends, the popup is closed, and the editor opens and
// closes again afterwards.
TEST_F(DropDownEditTest, AModalDialogFromOnCloseUp) {
  TvlComboBox* c = AddCombo();
  ClickAt(c, 20, 10);
  if (c->DroppedDown()) c->SetDroppedDown(false);
  Key(VK_DOWN, VK_MENU);
  ASSERT_TRUE(c->DroppedDown());
  Recorder->ActOn = "closeup";
  Recorder->Act = TAct::Modal;
  Recorder->Target = c;
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Recorder->Count("modal done"), 1);
  EXPECT_FALSE(c->DroppedDown());
  ExpectBalanced();
  Key(VK_DOWN, VK_MENU);
  EXPECT_TRUE(c->DroppedDown());
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->DroppedDown());
  ExpectBalanced();
  EXPECT_TRUE(Recorder->Errors.empty());
}

// --- Requests while the opening waits in the queue ---------------------------------------------------------------

// Two requests open one popup; a request to close while the opening still
// waits cancels it: nothing shows, the opening is finalised and the lent
// panel is back.
TEST_F(DropDownEditTest, OpeningRequestsWhileTheOpeningIsQueued) {
  TPanel* panel = AddPanel();
  TvlPopupEdit* e = AddPopupEdit(panel);
  e->SetDroppedDown(true);
  e->SetDroppedDown(true);
  Pump();
  EXPECT_TRUE(e->DroppedDown());
  EXPECT_EQ(Recorder->Count("init"), 1);
  EXPECT_EQ(Recorder->Count("popup"), 1);
  EXPECT_EQ(vlOpenPopupCount(), 1);
  e->SetDroppedDown(false);
  ExpectBalanced();
  ExpectPanelBack(panel);

  for (const Boolean combo : {false, true}) {
    SCOPED_TRACE(combo ? "combo" : "popup edit");
    Recorder->Log.clear();
    TvlCustomDropDownEdit* d = combo ? static_cast<TvlCustomDropDownEdit*>(AddCombo(60)) : e;
    d->SetDroppedDown(true);
    EXPECT_FALSE(d->DroppedDown());
    d->SetDroppedDown(false);
    Pump();
    EXPECT_FALSE(d->DroppedDown());
    EXPECT_EQ(Recorder->Count("popup"), 0);
    ExpectBalanced();
    ExpectPanelBack(panel);
    // It opens again afterwards.
    d->SetDroppedDown(true);
    Pump();
    EXPECT_TRUE(d->DroppedDown());
    d->SetDroppedDown(false);
    ExpectBalanced();
  }
}

// The popup takes its form's translucency at each opening.
TEST_F(DropDownEditTest, ThePopupIsAsTranslucentAsItsForm) {
  TvlComboBox* c = AddCombo();
  for (const Boolean translucent : {true, false}) {
    SCOPED_TRACE(translucent);
    Form->SetAlphaBlend(translucent);
    Form->SetAlphaBlendValue(translucent ? 180 : 255);
    Form->SetTransparentColor(translucent);
    Form->SetTransparentColorValue(translucent ? clLime : clBlack);
    Pump();
    ClickButton(c);
    ASSERT_TRUE(c->DroppedDown());
    TvlCustomEditPopupWindow* w = c->PopupWindow();
    EXPECT_EQ(w->AlphaBlend(), translucent);
    EXPECT_EQ(w->AlphaBlendValue(), translucent ? 180 : 255);
    EXPECT_EQ(w->TransparentColor(), translucent);
    EXPECT_EQ(w->TransparentColorValue(), translucent ? clLime : clBlack);
    c->SetDroppedDown(false);
    Pump();
  }
}

// A popup edit in its popup's modal loop closed by ClosePopupWithReason
// (the posted close): closed once, with that reason, the panel back.
TEST_F(DropDownEditTest, ClosingAPopupEditFromItsModalLoop) {
  for (const TvlEditCloseUpReason reason : {crEnter, crCancel}) {
    SCOPED_TRACE(int(reason));
    TPanel* panel = AddPanel();
    TvlPopupEdit* e = AddPopupEdit(panel);
    e->PopupWindow()->SetModalMode(true);
    Recorder->WhenShown = [&] { e->ClosePopupWithReason(reason); };
    ClickButton(e);
    Recorder->WhenShown = nullptr;
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(Recorder->Count("popup"), 1);
    EXPECT_EQ(Recorder->Count("closepopup"), 1);
    EXPECT_EQ(e->CloseUpReason(), reason);
    ExpectBalanced();
    ExpectPanelBack(panel);
    Free(e);
    Free(panel);
    Recorder->Log.clear();
  }
}

// A real click on a button of the panel lent to a modal popup edit reaches
// the button and leaves the popup open.
TEST_F(DropDownEditTest, AClickOnAButtonOfTheLentPanelInAModalPopup) {
  for (const Boolean nested : {false, true}) {
    SCOPED_TRACE(nested ? "the button on a panel inside the lent panel" : "the button on the lent panel");
    TPanel* panel = AddPanel();
    TWinControl* holder = panel;
    if (nested) {
      TPanel* inner = Add<TPanel>(5, 5, 140, 100, panel);
      inner->SetAlign(alNone);
      holder = inner;
    }
    TButton* button = Add<TButton>(10, 10, 80, 25, holder);
    button->SetOnClick(TNotifyEvent(Recorder, &TDropRecorder::ButtonClick));
    TvlPopupEdit* e = AddPopupEdit(panel);
    e->PopupWindow()->SetModalMode(true);
    Integer openAfterClick = -1;
    Recorder->WhenShown = [&] {
      Pump();
      const TPoint at = button->ClientToScreen(TPoint{40, 12});
      Display.Click(at.X, at.Y);
      Pump();
      openAfterClick = e->DroppedDown();
      e->ClosePopupWithReason(crCancel);
    };
    ClickButton(e);
    Recorder->WhenShown = nullptr;
    EXPECT_EQ(openAfterClick, 1);
    EXPECT_EQ(Recorder->Count("button"), 1);
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(Recorder->Count("closepopup"), 1);
    ExpectBalanced();
    ExpectPanelBack(panel);
    Free(e);
    Free(panel);
    Recorder->Log.clear();
  }
}

// OnPopup raising as the popup shows, for a popup edit with and without its
// modal loop and for a combo: the error is shown once, an outside click
// leaves no popup open, the panel is back, each opening is finalised, and
// the editor opens and closes again.
TEST_F(DropDownEditTest, AnExceptionInOnPopup) {
  enum TKind { Modeless, Modal, Combo };
  for (const TKind kind : {Modeless, Modal, Combo}) {
    SCOPED_TRACE(int(kind));
    TPanel* panel = AddPanel();
    TvlCustomDropDownEdit* e = nullptr;
    if (kind == Combo)
      e = AddCombo();
    else {
      TvlPopupEdit* p = AddPopupEdit(panel);
      p->PopupWindow()->SetModalMode(kind == Modal);
      e = p;
    }
    Recorder->ActOn = "popup";
    Recorder->Act = TAct::Raise;
    Recorder->Target = e;
    ClickButton(e);
    EXPECT_EQ(Recorder->Errors, std::vector<std::string>{"Handler failed"});
    if (e->DroppedDown()) ClickAt(Form, 300, 250);
    EXPECT_FALSE(e->DroppedDown());
    ExpectBalanced();
    ExpectPanelBack(panel);
    Recorder->Errors.clear();
    if (kind == Modal) {
      Recorder->WhenShown = [&] { static_cast<TvlPopupEdit*>(e)->ClosePopupWithReason(crCancel); };
      ClickButton(e);
      Recorder->WhenShown = nullptr;
    } else {
      ClickButton(e);
      EXPECT_TRUE(e->DroppedDown());
      ClickAt(Form, 300, 250);
    }
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(Recorder->Count("popup"), 2);
    ExpectBalanced();
    ExpectPanelBack(panel);
    EXPECT_TRUE(Recorder->Errors.empty());
    Free(e);
    Free(panel);
    Recorder->Log.clear();
  }
}

// --- Failures while closing --------------------------------------------------------------------------------------

// The binding refuses the post that closing by Enter makes with
// ImmediatePost: the popup closes, the picked value stays in the editor, and
// the error is shown once.
TEST_F(DropDownEditTest, APostRefusedWhenClosingByEnter) {
  TRefusingCombo* c = AddCombo<TRefusingCombo>();
  c->Properties()->SetImmediatePost(true);
  // Only the list's selection moves while open: the post comes with Enter.
  c->Properties()->SetImmediateUpdateText(false);
  ClickAt(c, 20, 10);
  if (c->DroppedDown()) c->SetDroppedDown(false);
  Key(VK_DOWN, VK_MENU);
  ASSERT_TRUE(c->DroppedDown());
  Key(VK_DOWN);
  Key(VK_DOWN);
  Recorder->Log.clear();
  Recorder->Errors.clear();
  const Integer tries = c->Binding()->Tries;
  Key(VK_RETURN);
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(c->Text(), u"COM2");
  EXPECT_EQ(c->Binding()->Tries, tries + 1);
  EXPECT_EQ(Recorder->Errors, std::vector<std::string>{"Post refused"});
  EXPECT_EQ(vlOpenPopupCount(), 0);
  EXPECT_EQ(Recorder->Count("finalize"), 1);
  EXPECT_EQ(Recorder->Count("closeup"), 1);
  EXPECT_TRUE(c->Focused());
  // The editor still opens and closes.
  Recorder->Errors.clear();
  Key(VK_DOWN, VK_MENU);
  EXPECT_TRUE(c->DroppedDown());
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_TRUE(Recorder->Errors.empty());
}

// OnCloseUp raising while the popup closes by a key or an outside click: the
// error is shown once, the popup is closed (the lent panel back), change
// events are not left locked, and the editor opens and closes again.
TEST_F(DropDownEditTest, AnExceptionInOnCloseUp) {
  for (const Boolean combo : {true, false}) {
    SCOPED_TRACE(combo ? "combo, Enter" : "popup edit, outside click");
    TPanel* panel = AddPanel();
    TvlCustomDropDownEdit* e = combo ? static_cast<TvlCustomDropDownEdit*>(AddCombo())
                                     : static_cast<TvlCustomDropDownEdit*>(AddPopupEdit(panel));
    ClickButton(e);
    ASSERT_TRUE(e->DroppedDown());
    Recorder->ActOn = "closeup";
    Recorder->Act = TAct::Raise;
    Recorder->Target = e;
    if (combo) {
      Key(VK_DOWN);
      Key(VK_RETURN);
    } else
      ClickAt(Form, 300, 250);
    EXPECT_EQ(Recorder->Errors, std::vector<std::string>{"Handler failed"});
    EXPECT_FALSE(e->DroppedDown());
    ExpectBalanced();
    ExpectPanelBack(panel);
    EXPECT_FALSE(TvlCustomEditPopupWindow::IsSizing());
    EXPECT_EQ(GetCapture(), nullptr);
    Recorder->Errors.clear();
    ClickButton(e);
    EXPECT_TRUE(e->DroppedDown());
    ClickAt(Form, 300, 250);
    EXPECT_FALSE(e->DroppedDown());
    ExpectBalanced();
    ExpectPanelBack(panel);
    EXPECT_TRUE(Recorder->Errors.empty());
    Free(e);
    Free(panel);
    Recorder->Log.clear();
  }
}

}  // namespace
