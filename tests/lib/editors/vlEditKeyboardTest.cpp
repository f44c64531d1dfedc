// The editor's keyboard handling, validation and posting, and in-place
// activation, driven with real keys and clicks on the headless screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditRepository.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/ActnList.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

std::string Narrow(const String& S) { return std::string(S.begin(), S.end()); }

// Properties of a value editor that validates and reverts on Escape.
class TTypingProperties : public TvlCustomEditProperties {
  CL_CLASS(TTypingProperties, TvlCustomEditProperties)
 public:
  Boolean CanCompareEditValue() override { return true; }
  Boolean ValidationSupported() override { return true; }
  Boolean IsResetEditClass() override { return true; }
  TvlCustomEditClass GetContainerClass() const override;
};
CL_IMPLEMENT_CLASS(TTypingProperties)

// A binding to data of its own, as a data-aware binding is: editing starts
// the data's edit mode, and posting stores the value and ends it.
class TRecordingBinding : public TvlEditDataBinding {
  CL_CLASS(TRecordingBinding, TvlEditDataBinding)
 public:
  Boolean SetEditMode() override {
    Editing = true;
    return inherited::SetEditMode();
  }
  Boolean GetModified() override { return Editing || inherited::GetModified(); }
  Boolean CanPostEditorValue() override { return Editing; }
  void SetStoredValue(const Variant& Value) override {
    Stored.push_back(Narrow(VarToStr(Value)));
    Editing = false;
  }
  Boolean ExecuteAction(TBasicAction*) override {
    ++Actions;
    return true;
  }
  Boolean UpdateAction(TBasicAction*) override {
    ++Actions;
    return true;
  }
  Boolean Editing{};
  Integer Actions{};
  std::vector<std::string> Stored;
};
CL_IMPLEMENT_CLASS(TRecordingBinding)

class TTypingEditData : public TvlCustomEditData {
  CL_CLASS(TTypingEditData, TvlCustomEditData)
};
CL_IMPLEMENT_CLASS(TTypingEditData)

// An editor without an inner control that keeps its text itself: typed
// characters are appended, a left press puts the caret at X / 10.
class TTypingEdit : public TvlCustomEdit {
  CL_CLASS(TTypingEdit, TvlCustomEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TTypingProperties>(); }
  String Text;
  Integer Caret{-1};
  Integer SelectAllCount{};
  Integer ClearedCount{};
  void SelectAll() override { ++SelectAllCount; }
  // The clipboard operations run, each with the keyboard-action flag it ran under.
  std::vector<std::string> Clipboard;
  void CopyToClipboard() override { Clipboard.push_back(KeyboardAction() ? "copy+" : "copy"); }
  void CutToClipboard() override { Clipboard.push_back(KeyboardAction() ? "cut+" : "cut"); }
  void PasteFromClipboard() override { Clipboard.push_back(KeyboardAction() ? "paste+" : "paste"); }
  TRecordingBinding* Binding() const { return static_cast<TRecordingBinding*>(DataBinding()); }

 protected:
  TvlEditDataBindingClass DataBindingClass() const override { return ClassOf<TRecordingBinding>(); }
  TvlCustomEditDataClass EditDataClass() const override { return ClassOf<TTypingEditData>(); }
  void ApplyClearedEditData(TvlCustomEditData*) override { ++ClearedCount; }
  String CurrentDisplayText() override { return Text; }
  void ShowDisplayValue(const Variant& AValue) override { Text = VarToStr(AValue); }
  void SynchronizeDisplayValue() override { Text = VarToStr(EditValue()); }
  void StoreValidatedDisplayValue(const Variant& AValue) override { InternalSetEditValue(AValue, false); }
  Boolean KeyPressModifiesValue(Char Key) override { return Key >= u' '; }
  void KeyPress(Char& Key) override {
    inherited::KeyPress(Key);
    if (Key < u' ') return;
    Text += Key;
    SetModifiedAfterEnter(true);
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft) Caret = X / 10;
  }
};
CL_IMPLEMENT_CLASS(TTypingEdit)

TvlCustomEditClass TTypingProperties::GetContainerClass() const { return ClassOf<TTypingEdit>(); }

// Records the events of the editors and the application's exceptions.
struct TRecorder : public TObject {
  CL_CLASS(TRecorder, TObject)
 public:
  std::vector<std::string> Events;
  // Texts the validation refuses; a refusal sets ErrorText unless Keep.
  String Refused = u"x";
  String ErrorText;
  Boolean KeepErrorText{true};
  String Correction;
  Integer Validations{};
  void Validate(TObject*, Variant& DisplayValue, String& AErrorText, Boolean& Error) {
    ++Validations;
    if (Pos(Refused, VarToStr(DisplayValue)) == 0) return;
    Error = true;
    if (!KeepErrorText) AErrorText = ErrorText;
    if (!Correction.empty()) DisplayValue = Variant(Correction);
  }
  void Failed(TObject*, const Exception& E) { Events.push_back(Narrow(E.ClassName()) + ": " + Narrow(E.Message())); }
  void KeyPressed(TObject*, Char& Key) { Events.push_back("char " + std::to_string(Integer(Key))); }
  void ButtonClicked(TObject*, Integer AIndex) { Events.push_back("click " + std::to_string(AIndex)); }
  void Changed(TObject*) { Events.push_back("change"); }
  void AfterKeyDown(TObject*, Word& Key, TShiftState) {
    Events.push_back("after " + std::to_string(Key));
    if (ConsumeAfterKeyDown) Key = 0;
  }
  Boolean ConsumeAfterKeyDown{};
  void Posted(TObject* Sender) {
    Events.push_back("post " + Narrow(VarToStr(static_cast<TvlCustomEdit*>(Sender)->EditValue())));
  }
};
CL_IMPLEMENT_CLASS(TRecorder)

class EditKeyboardTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TRecorder>();
    Application->SetOnException(TExceptionEvent(Recorder, &TRecorder::Failed));
    Display.Sounds().clear();
  }
  void TearDown() override {
    Application->SetOnException(TExceptionEvent());
    ControlFixture::TearDown();
    Free(Recorder);
  }
  template <class T = TTypingEdit>
  T* AddEdit(Integer ATop, const String& AValue = String()) {
    T* e = New<T>(static_cast<TComponent*>(Form));
    e->SetAutoSize(false);
    e->SetBounds(10, ATop, 120, 21);
    e->SetParent(Form);
    e->Properties()->SetOnValidate(TvlEditValidateEvent(Recorder, &TRecorder::Validate));
    e->SetOnKeyPress(TKeyPressEvent(Recorder, &TRecorder::KeyPressed));
    if (!AValue.empty()) e->SetEditValue(Variant(AValue));
    Pump();
    return e;
  }
  // A click that never pairs with the one before into a double click.
  void SingleClickAt(TControl* C, int X, int Y) {
    Wait(GetDoubleClickTime() + 10);
    ClickAt(C, X, Y);
  }
  void Press(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  TRecorder* Recorder{};
};

TEST_F(EditKeyboardTest, EscapeRevertsToTheValueOnEnteringAndSwallowsItsCharacter) {
  TTypingEdit* e = AddEdit(10, u"abc");
  ClickAt(e, 5, 5);
  ASSERT_TRUE(e->Focused());
  Display.TypeText(u"xy");
  Pump();
  EXPECT_EQ(Narrow(e->Text), "abcxy");
  EXPECT_TRUE(e->ModifiedAfterEnter());
  Recorder->Events.clear();
  Press(VK_ESCAPE);
  EXPECT_EQ(Narrow(e->Text), "abc");
  EXPECT_EQ(Narrow(VarToStr(e->EditValue())), "abc");
  EXPECT_FALSE(e->ModifiedAfterEnter());
  EXPECT_TRUE(Recorder->Events.empty()) << Recorder->Events.front();
  // A second Escape reverts nothing: its character goes on.
  Press(VK_ESCAPE);
  EXPECT_EQ(Narrow(e->Text), "abc");
  EXPECT_EQ(Recorder->Events, std::vector<std::string>{"char 27"});
}

TEST_F(EditKeyboardTest, CtrlEnterClicksTheDefaultButtonWithoutTypingACharacter) {
  TTypingEdit* e = AddEdit(10, u"abc");
  e->Properties()->Buttons()->Add()->SetDefault(true);
  e->Properties()->SetOnButtonClick(TvlEditButtonClickEvent(Recorder, &TRecorder::ButtonClicked));
  ClickAt(e, 5, 5);
  Recorder->Events.clear();
  Display.KeyDown(VK_CONTROL);
  Display.KeyPress(VK_RETURN);
  Display.KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(Recorder->Events, std::vector<std::string>{"click 0"});
  EXPECT_EQ(Narrow(e->Text), "abc");
  EXPECT_FALSE(e->ModifiedAfterEnter());
}

TEST_F(EditKeyboardTest, EnterWithValidateOnEnterValidatesAndPostsWithoutLeaving) {
  TTypingEdit* e = AddEdit(10);
  e->Properties()->SetValidateOnEnter(true);
  SingleClickAt(e, 5, 5);
  Display.TypeText(u"12");
  Pump();
  Press(VK_RETURN);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(Narrow(VarToStr(e->EditValue())), "12");
  EXPECT_EQ(e->Binding()->Stored, std::vector<std::string>{"12"});
  EXPECT_EQ(Recorder->Validations, 1);
  // Leaving now validates nothing again.
  TTypingEdit* other = AddEdit(40);
  SingleClickAt(other, 5, 5);
  EXPECT_EQ(Recorder->Validations, 1);
}

TEST_F(EditKeyboardTest, LeavingWithoutTypingDoesNotValidateAndLeavingAfterTypingPosts) {
  TTypingEdit* e = AddEdit(10, u"x");  // a refused text, but not typed by the user
  TTypingEdit* other = AddEdit(40);
  SingleClickAt(e, 5, 5);
  SingleClickAt(other, 5, 5);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(Recorder->Validations, 0);
  SingleClickAt(e, 5, 5);
  Press(VK_ESCAPE);  // nothing typed yet: nothing to revert
  e->Text = u"";
  Display.TypeText(u"ok");
  Pump();
  Recorder->Events.clear();
  SingleClickAt(other, 5, 5);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(Recorder->Validations, 1);
  EXPECT_EQ(e->Binding()->Stored, std::vector<std::string>{"ok"});
  EXPECT_FALSE(e->ModifiedAfterEnter());
  EXPECT_TRUE(Recorder->Events.empty()) << Recorder->Events.front();
}

TEST_F(EditKeyboardTest, ARefusedValueKeepsTheFocusSelectsAllAndRaisesItsText) {
  struct Case {
    const char* Name;
    Boolean Keep;
    const char16_t* Text;
    const char* Expected;  // the exception reported, "" for the silent Abort
  } cases[] = {
      {"standard text", true, u"", "EvlEditValidationError: Invalid input value. Use escape key to abandon changes"},
      {"handler's text", false, u"Too big", "EvlEditValidationError: Too big"},
      {"empty text aborts", false, u"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Recorder->KeepErrorText = c.Keep;
    Recorder->ErrorText = c.Text;
    TTypingEdit* e = AddEdit(10);
    e->Properties()->SetBeepOnError(true);
    TTypingEdit* other = AddEdit(40);
    SingleClickAt(e, 5, 5);
    Display.TypeText(u"1x");
    Pump();
    Recorder->Events.clear();
    Display.Sounds().clear();
    const Integer selected = e->SelectAllCount;
    SingleClickAt(other, 5, 5);
    EXPECT_TRUE(e->Focused());
    EXPECT_GT(e->SelectAllCount, selected);
    EXPECT_EQ(Display.Sounds().size(), 1u);
    std::vector<std::string> expected;
    if (*c.Expected) expected.push_back(c.Expected);
    EXPECT_EQ(Recorder->Events, expected);
    EXPECT_TRUE(e->Binding()->Stored.empty());
    // Escape gives up the change; then the focus may leave.
    Press(VK_ESCAPE);
    SingleClickAt(other, 5, 5);
    EXPECT_TRUE(other->Focused());
    Free(e);
    Free(other);
  }
}

TEST_F(EditKeyboardTest, AHandlersCorrectionIsShownAndAcceptedOnTheNextExit) {
  Recorder->Correction = u"good";
  TTypingEdit* e = AddEdit(10);
  TTypingEdit* other = AddEdit(40);
  SingleClickAt(e, 5, 5);
  Display.TypeText(u"x");
  Pump();
  SingleClickAt(other, 5, 5);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(Narrow(e->Text), "good");
  SingleClickAt(other, 5, 5);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(Narrow(VarToStr(e->EditValue())), "good");
  EXPECT_EQ(Recorder->Validations, 2);
}

TEST_F(EditKeyboardTest, ARefusedTextOfAnEditorThatCannotTakeTheFocusIsNeverTakenAsAccepted) {
  TTypingEdit* e = AddEdit(10, u"old");
  SingleClickAt(e, 5, 5);
  Display.TypeText(u"x");
  Pump();
  e->SetEnabledProp(false);
  Pump();
  const Integer before = Recorder->Validations;
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_THROW(e->ValidateEdit(true), EvlEditValidationError);
    EXPECT_FALSE(e->IsEditValidated());
  }
  EXPECT_FALSE(e->ValidateEdit(false));
  EXPECT_EQ(Narrow(VarToStr(e->EditValue())), "old");
  EXPECT_EQ(Recorder->Validations, before + 3);
}

// --- A modal form ----------------------------------------------------------------------------------------

// Runs a script once the modal loop of a form has started.
struct TModalScript : public TObject {
  CL_CLASS(TModalScript, TObject)
 public:
  TForm* Form{};
  TWndMethod Saved;
  std::function<void()> Script;
  void WndProc(TMessage& Message) {
    if (Message.Msg == WM_APP + 1) {
      Script();
      return;
    }
    Saved(Message);
  }
};
CL_IMPLEMENT_CLASS(TModalScript)

TEST_F(EditKeyboardTest, AModalFormsOkValidatesWithoutRaisingAndCancelDoesNot) {
  for (Integer result : {mrOk, mrCancel}) {
    SCOPED_TRACE(result);
    Recorder->Validations = 0;
    Recorder->Events.clear();
    TForm* dialog = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
    Finally freeDialog([&] { Free(dialog); });
    dialog->SetPosition(poDesigned);
    dialog->SetBounds(150, 150, 200, 100);
    TTypingEdit* e = New<TTypingEdit>(static_cast<TComponent*>(dialog));
    e->SetAutoSize(false);
    e->SetBounds(10, 10, 120, 21);
    e->SetParent(dialog);
    e->Properties()->SetOnValidate(TvlEditValidateEvent(Recorder, &TRecorder::Validate));
    dialog->SetActiveControl(e);
    TModalScript* script = New<TModalScript>();
    Finally freeScript([&] { Free(script); });
    script->Saved = dialog->WindowProc();
    dialog->SetWindowProc(TWndMethod(script, &TModalScript::WndProc));
    script->Script = [&] {
      Display.TypeText(u"x");
      Application->ProcessMessages();
      dialog->SetModalResult(result);
    };
    dialog->HandleNeeded();
    PostMessageW(dialog->Handle(), WM_APP + 1, 0, 0);
    EXPECT_EQ(dialog->ShowModal(), result);
    EXPECT_EQ(Narrow(e->Text), "x");
    EXPECT_EQ(Recorder->Validations, result == mrOk ? 1 : 0);
    EXPECT_TRUE(Recorder->Events.empty()) << Recorder->Events.front();
    dialog->SetWindowProc(script->Saved);
  }
}

// --- In place --------------------------------------------------------------------------------------------

// A stand-in for a grid: starts editing on a typed character or a click.
class THost : public TCustomControl {
  CL_CLASS(THost, TCustomControl)
 public:
  TvlInplaceEditList* List{};
  TvlCustomEditProperties* Properties{};
  TvlCustomEditData* Data{};
  TTypingEdit* Edit{};
  Integer ContextMenus{};
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_CONTEXTMENU) ++ContextMenus;
    inherited::Dispatch(Message);
  }

 protected:
  TTypingEdit* StartEdit() {
    Edit = static_cast<TTypingEdit*>(List->GetEdit(Properties));
    Edit->SetParent(this);
    Edit->SetBounds(20, 10, 100, 20);
    Edit->SetEditValue(Null());
    return Edit;
  }
  void KeyPress(Char& Key) override {
    inherited::KeyPress(Key);
    if (Key == 0 || (Edit && Edit->Visible())) return;
    StartEdit()->ActivateByKey(Key, Data);
    Key = 0;
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    inherited::MouseDown(Button, Shift, X, Y);
    StartEdit()->ActivateByMouse(Shift, X, Y, Data);
  }
};
CL_IMPLEMENT_CLASS(THost)

class InplaceEditTest : public EditKeyboardTest {
 protected:
  void SetUp() override {
    EditKeyboardTest::SetUp();
    Host = Add<THost>(10, 10, 300, 100);
    Host->SetTabStop(true);
    List = New<TvlInplaceEditList>(static_cast<TComponent*>(Host));
    Props = New<TTypingProperties>(static_cast<TPersistent*>(nullptr));
    Props->SetOnValidate(TvlEditValidateEvent(Recorder, &TRecorder::Validate));
    Host->List = List;
    Host->Properties = Props;
    Pump();
  }
  void TearDown() override {
    Free(Host->Data);
    Free(List);
    Free(Props);
    EditKeyboardTest::TearDown();
  }
  THost* Host{};
  TvlInplaceEditList* List{};
  TTypingProperties* Props{};
};

TEST_F(InplaceEditTest, GetEditReusesAnEditorPerPropertiesAndFreesOrReusesOnRequest) {
  TTypingProperties* second = New<TTypingProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeSecond([&] { Free(second); });
  Props->SetReadOnly(true);
  TvlCustomEdit* first = List->GetEdit(Props);
  EXPECT_TRUE(first->IsInplace());
  EXPECT_FALSE(first->Visible());
  EXPECT_EQ(first->Owner(), Host);
  EXPECT_TRUE(first->Properties()->ReadOnly());
  // The properties are assigned on every call.
  Props->SetReadOnly(false);
  EXPECT_TRUE(first->Properties()->ReadOnly());
  EXPECT_EQ(List->GetEdit(Props), first);
  EXPECT_FALSE(first->Properties()->ReadOnly());
  TvlCustomEdit* other = List->GetEdit(second);
  EXPECT_NE(other, first);
  EXPECT_EQ(List->Count(), 2);
  // A disconnected editor serves the next properties of its class.
  List->DisconnectProperties(Props);
  TTypingProperties* third = New<TTypingProperties>(static_cast<TPersistent*>(nullptr));
  EXPECT_EQ(List->GetEdit(third), first);
  // Properties that go leave their editor free for reuse.
  Free(third);
  EXPECT_EQ(List->FindEdit(ClassOf<TTypingProperties>()), first);
  EXPECT_EQ(List->GetEdit(Props), first);
  List->RemoveItem(static_cast<TvlCustomEditProperties*>(nullptr));
  TTypingProperties* unknown = New<TTypingProperties>(static_cast<TPersistent*>(nullptr));
  List->RemoveItem(unknown);
  Free(unknown);
  EXPECT_EQ(List->Count(), 2);
  List->RemoveItem(Props);
  EXPECT_EQ(List->Count(), 1);
  EXPECT_EQ(List->FindEdit(static_cast<TvlCustomEditProperties*>(second)), other);
  List->DisconnectProperties(second);
  List->RemoveItem(ClassOf<TTypingProperties>());
  EXPECT_EQ(List->Count(), 0);
}

TEST_F(InplaceEditTest, ActivateByKeyTypesTheKeyOnceIntoAFreshEditor) {
  Host->SetFocus();
  Pump();
  Display.TypeText(u"5");
  Pump();
  ASSERT_TRUE(Host->Edit);
  EXPECT_TRUE(Host->Edit->Visible());
  EXPECT_TRUE(Host->Edit->Focused());
  EXPECT_EQ(Narrow(Host->Edit->Text), "5");
  ASSERT_TRUE(Host->Data);
  Display.TypeText(u"6");
  Pump();
  EXPECT_EQ(Narrow(Host->Edit->Text), "56");
}

TEST_F(InplaceEditTest, ActivateByMousePutsTheCaretWhereTheClickFellAndLeavesNoCapture) {
  ClickAt(Host, 55, 15);  // the editor's client point (35, 5)
  ASSERT_TRUE(Host->Edit);
  EXPECT_TRUE(Host->Edit->Focused());
  EXPECT_EQ(Host->Edit->Caret, 3);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InplaceEditTest, ActivatingWithClearedEditDataResetsItOnce) {
  TvlCustomEdit* e = List->GetEdit(Props);
  e->SetParent(Host);
  TvlCustomEditData* data = nullptr;
  e->Activate(data);
  ASSERT_TRUE(data);
  Host->Data = data;
  data->Clear();  // the editor holds it: applied at once
  EXPECT_EQ(static_cast<TTypingEdit*>(e)->ClearedCount, 1);
  EXPECT_FALSE(data->Cleared());
  TvlCustomEditData* otherData = nullptr;
  e->Activate(otherData);
  Finally freeOther([&] { Free(otherData); });
  data->Clear();  // not held now: applied on the next activation
  EXPECT_TRUE(data->Cleared());
  e->Activate(data);
  EXPECT_EQ(static_cast<TTypingEdit*>(e)->ClearedCount, 2);
  EXPECT_FALSE(data->Cleared());
}

TEST_F(InplaceEditTest, DeactivateRaisesARefusalAndPostsThroughTheOwner) {
  Host->SetFocus();
  Pump();
  Display.TypeText(u"x");
  Pump();
  TTypingEdit* e = Host->Edit;
  ASSERT_TRUE(e);
  e->SetOnPostEditValue(TNotifyEvent(Recorder, &TRecorder::Posted));
  EXPECT_THROW(e->Deactivate(), EvlEditValidationError);
  EXPECT_TRUE(e->Focused());
  Press(VK_BACK);
  e->Text = u"7";
  EXPECT_TRUE(e->Deactivate());
  EXPECT_EQ(Narrow(VarToStr(e->EditValue())), "7");
  e->SetModifiedAfterEnter(true);
  e->PostEditValue();
  EXPECT_EQ(Recorder->Events.back(), "post 7");
  EXPECT_FALSE(e->EditModified());
}

// --- Tab, ClearKey, the clipboard -------------------------------------------------------------------------

// An editor that reads the Tab key itself (as one with an inner edit does);
// its properties say whether it keeps Tab (a memo that wants tabs).
class TTabProperties : public TTypingProperties {
  CL_CLASS(TTabProperties, TTypingProperties)
 public:
  Boolean KeepsTabKey() override { return Keeps; }
  TvlCustomEditClass GetContainerClass() const override;
  Boolean Keeps{};
};
CL_IMPLEMENT_CLASS(TTabProperties)

class TTabEdit : public TTypingEdit {
  CL_CLASS(TTabEdit, TTypingEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TTabProperties>(); }
  TTabProperties* TabProperties() { return static_cast<TTabProperties*>(Properties()); }
  void Dispatch(TMessage& Message) override {
    inherited::Dispatch(Message);
    if (Message.Msg == WM_GETDLGCODE) Message.Result |= DLGC_WANTTAB;
  }
};
CL_IMPLEMENT_CLASS(TTabEdit)

TvlCustomEditClass TTabProperties::GetContainerClass() const { return ClassOf<TTabEdit>(); }

TEST_F(EditKeyboardTest, TabMovesTheFocusInTabOrderUnlessTheEditorKeepsTab) {
  struct Case {
    const char* Name;
    Boolean Keeps, Shift, Consume;
    int Focused;  // 0 first, 1 middle, 2 last
  } cases[] = {
      {"Tab", false, false, false, 2},
      {"Shift+Tab", false, true, false, 0},
      {"a memo keeps Tab", true, false, false, 1},
      {"OnAfterKeyDown takes it", false, false, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTabEdit* edits[3];
    for (int i = 0; i < 3; ++i) {
      edits[i] = AddEdit<TTabEdit>(10 + 30 * i);
      edits[i]->SetTabOrder(i);
    }
    TTabEdit* e = edits[1];
    e->TabProperties()->Keeps = c.Keeps;
    e->SetOnAfterKeyDown(TKeyEvent(Recorder, &TRecorder::AfterKeyDown));
    Recorder->ConsumeAfterKeyDown = c.Consume;
    SingleClickAt(e, 5, 5);
    ASSERT_TRUE(e->Focused());
    Recorder->Events.clear();
    if (c.Shift) Display.KeyDown(VK_SHIFT);
    Display.KeyPress(VK_TAB);
    if (c.Shift) Display.KeyUp(VK_SHIFT);
    Pump();
    EXPECT_TRUE(edits[c.Focused]->Focused());
    const Boolean navigates = !c.Keeps;
    EXPECT_EQ(std::count(Recorder->Events.begin(), Recorder->Events.end(), std::string("after 9")), navigates ? 1 : 0);
    if (c.Keeps)  // the memo gets its tab character
      EXPECT_EQ(std::count(Recorder->Events.begin(), Recorder->Events.end(), std::string("char 9")), 1);
    for (TTabEdit* x : edits) Free(x);
    Recorder->ConsumeAfterKeyDown = false;
  }
}

TEST_F(EditKeyboardTest, TabWithARefusedValueKeepsTheFocus) {
  TTabEdit* e = AddEdit<TTabEdit>(10);
  TTabEdit* next = AddEdit<TTabEdit>(40);
  SingleClickAt(e, 5, 5);
  Display.TypeText(u"x");
  Pump();
  Recorder->Events.clear();
  Press(VK_TAB);
  EXPECT_TRUE(e->Focused());
  EXPECT_FALSE(next->Focused());
  EXPECT_EQ(Recorder->Events.front(),
            "EvlEditValidationError: Invalid input value. Use escape key to abandon changes");
  EXPECT_TRUE(e->Binding()->Stored.empty());
}

TEST_F(EditKeyboardTest, ClearKeyEmptiesTheValueAsAcceptedAndPostsWhenImmediate) {
  for (Boolean immediate : {false, true}) {
    SCOPED_TRACE(immediate);
    Recorder->Validations = 0;
    TTypingEdit* e = AddEdit(10, u"x12");  // a text the validation would refuse
    TTypingEdit* other = AddEdit(40);
    e->Properties()->SetClearKey(ShortCut(VK_DELETE, TShiftState{ssCtrl}));
    e->Properties()->SetImmediatePost(immediate);
    e->Properties()->SetOnChange(TNotifyEvent(Recorder, &TRecorder::Changed));
    SingleClickAt(e, 5, 5);
    Recorder->Events.clear();
    Display.KeyDown(VK_CONTROL);
    Display.KeyPress(VK_DELETE);
    Display.KeyUp(VK_CONTROL);
    Pump();
    EXPECT_TRUE(VarIsNull(e->EditValue()));
    EXPECT_EQ(Narrow(e->Text), "");
    EXPECT_TRUE(e->IsEditValidated());
    EXPECT_EQ(Recorder->Events, std::vector<std::string>{"change"});
    EXPECT_EQ(e->Binding()->Stored.size(), immediate ? 1u : 0u);
    // Leaving does not validate the cleared value again; it posts what is still unposted.
    SingleClickAt(other, 5, 5);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(Recorder->Validations, 0);
    EXPECT_EQ(e->Binding()->Stored, std::vector<std::string>{""});
    Free(e);
    Free(other);
  }
}

TEST_F(EditKeyboardTest, ClipboardMessagesCutCopyAndPasteAsTheReadOnlyStateAllows) {
  struct Case {
    const char* Name;
    Boolean ReadOnly;
    std::vector<std::string> Expected;  // after WM_CUT, WM_COPY, WM_PASTE
  } cases[] = {
      {"editable", false, {"cut+", "copy", "paste+"}},
      {"read-only", true, {"copy+", "copy"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTypingEdit* e = AddEdit(10, u"abc");
    e->Properties()->SetReadOnly(c.ReadOnly);
    for (UINT msg : {WM_CUT, WM_COPY, WM_PASTE}) SendMessageW(e->Handle(), msg, 0, 0);
    EXPECT_EQ(e->Clipboard, c.Expected);
    EXPECT_FALSE(e->KeyboardAction());
    Free(e);
  }
}

// --- A failing world: the editor freed or disabled while it is busy ------------------------------------------

// Frees an editor (or the in-place list holding it) from a handler.
struct TEditFreer : public TObject {
  CL_CLASS(TEditFreer, TObject)
 public:
  TvlCustomEdit* Edit{};
  TvlInplaceEditList** List{};
  void FreeIt() {
    if (List) {
      TvlInplaceEditList* list = *List;
      *List = nullptr;
      Edit = nullptr;
      Free(list);
      return;
    }
    TvlCustomEdit* e = Edit;
    Edit = nullptr;
    Free(e);
  }
  void OnExit(TObject*) { FreeIt(); }
  void OnValidate(TObject*, Variant&, String&, Boolean&) { FreeIt(); }
  void DisableOnValidate(TObject*, Variant&, String&, Boolean& Error) {
    Edit->SetEnabledProp(false);
    Error = true;
  }
};
CL_IMPLEMENT_CLASS(TEditFreer)

TEST_F(EditKeyboardTest, AnEditorFreedFromItsOwnHandlersWhileTheFocusLeaves) {
  enum How { kClick, kTab, kEnter };
  struct Case {
    const char* Name;
    Boolean FromExit;
    How Leave;
  } cases[] = {
      {"OnExit, a click elsewhere", true, kClick},
      {"OnExit, Tab", true, kTab},
      {"OnValidate, a click elsewhere", false, kClick},
      {"OnValidate, Tab", false, kTab},
      {"OnValidate, Enter with ValidateOnEnter", false, kEnter},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTabEdit* e = AddEdit<TTabEdit>(10);
    TTabEdit* other = AddEdit<TTabEdit>(40);
    TEditFreer* freer = New<TEditFreer>();
    Finally freeFreer([&] { Free(freer); });
    freer->Edit = e;
    e->Properties()->SetValidateOnEnter(true);
    SingleClickAt(e, 5, 5);
    Display.TypeText(u"1");
    Pump();
    if (c.FromExit)
      e->SetOnExit(TNotifyEvent(freer, &TEditFreer::OnExit));
    else
      e->Properties()->SetOnValidate(TvlEditValidateEvent(freer, &TEditFreer::OnValidate));
    Recorder->Events.clear();
    switch (c.Leave) {
      case kClick: SingleClickAt(other, 5, 5); break;
      case kTab: Press(VK_TAB); break;
      case kEnter: Press(VK_RETURN); break;
    }
    Pump();
    EXPECT_EQ(freer->Edit, nullptr);
    EXPECT_TRUE(Recorder->Events.empty()) << Recorder->Events.front();
    Free(other);
  }
}

TEST_F(EditKeyboardTest, AnEditorDisabledByItsValidationHandlerRefusesTheTextAndLetsTheFocusGo) {
  TTypingEdit* e = AddEdit(10);
  TTypingEdit* other = AddEdit(40);
  TEditFreer* freer = New<TEditFreer>();
  Finally freeFreer([&] { Free(freer); });
  freer->Edit = e;
  SingleClickAt(e, 5, 5);
  Display.TypeText(u"1");
  Pump();
  e->Properties()->SetOnValidate(TvlEditValidateEvent(freer, &TEditFreer::DisableOnValidate));
  SingleClickAt(other, 5, 5);
  EXPECT_FALSE(e->Enabled());
  EXPECT_FALSE(e->IsEditValidated());
  EXPECT_TRUE(e->Binding()->Stored.empty());
  EXPECT_EQ(Narrow(VarToStr(e->EditValue())), "");
}

// A binding whose store fails, as a data set that refuses a post does.
class TFailingBinding : public TRecordingBinding {
  CL_CLASS(TFailingBinding, TRecordingBinding)
 public:
  void SetStoredValue(const Variant&) override { throw Exception(u"Store failed"); }
};
CL_IMPLEMENT_CLASS(TFailingBinding)

class TFailingEdit : public TTypingEdit {
  CL_CLASS(TFailingEdit, TTypingEdit)
 protected:
  TvlEditDataBindingClass DataBindingClass() const override { return ClassOf<TFailingBinding>(); }
};
CL_IMPLEMENT_CLASS(TFailingEdit)

TEST_F(EditKeyboardTest, AFailedPostKeepsTheFocusAndTheModifiedStateAndTriesAgain) {
  TFailingEdit* e = AddEdit<TFailingEdit>(10);
  TTypingEdit* other = AddEdit(40);
  SingleClickAt(e, 5, 5);
  Display.TypeText(u"12");
  Pump();
  Recorder->Events.clear();
  SingleClickAt(other, 5, 5);
  EXPECT_TRUE(e->Focused());
  EXPECT_FALSE(e->IsPosting());
  EXPECT_TRUE(e->ModifiedAfterEnter());
  EXPECT_EQ(Recorder->Events, std::vector<std::string>{"Exception: Store failed"});
  // The next exit posts again and fails again the same way.
  Recorder->Events.clear();
  SingleClickAt(other, 5, 5);
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(Recorder->Events, std::vector<std::string>{"Exception: Store failed"});
}

TEST_F(InplaceEditTest, TheListFreedWhileItsEditorIsActive) {
  for (Boolean refused : {false, true}) {
    SCOPED_TRACE(refused);
    if (!List) {
      List = New<TvlInplaceEditList>(static_cast<TComponent*>(Host));
      Host->List = List;
    }
    Host->SetFocus();
    Pump();
    Display.TypeText(refused ? u"x" : u"5");
    Pump();
    ASSERT_TRUE(Host->Edit);
    ASSERT_TRUE(Host->Edit->Focused());
    Recorder->Events.clear();
    Free(List);
    List = nullptr;
    Host->List = nullptr;
    Host->Edit = nullptr;
    Pump();
    EXPECT_TRUE(Recorder->Events.empty()) << Recorder->Events.front();
  }
}

TEST_F(InplaceEditTest, AnEditorFreedWithItsListFromItsValidationHandlerWhileDeactivating) {
  Host->SetFocus();
  Pump();
  Display.TypeText(u"5");
  Pump();
  ASSERT_TRUE(Host->Edit);
  TEditFreer* freer = New<TEditFreer>();
  Finally freeFreer([&] { Free(freer); });
  freer->Edit = Host->Edit;
  freer->List = &List;
  Host->Edit->Properties()->SetOnValidate(TvlEditValidateEvent(freer, &TEditFreer::OnValidate));
  EXPECT_FALSE(Host->Edit->Deactivate());
  EXPECT_EQ(List, nullptr);
  Host->List = nullptr;
  Host->Edit = nullptr;
}

TEST_F(InplaceEditTest, NilPropertiesFindAndRemoveNoFreeEditor) {
  List->GetEdit(Props);
  List->DisconnectProperties(Props);
  ASSERT_EQ(List->Count(), 1);
  EXPECT_EQ(List->FindEdit(static_cast<TvlCustomEditProperties*>(nullptr)), nullptr);
  List->RemoveItem(static_cast<TvlCustomEditProperties*>(nullptr));
  List->DisconnectProperties(nullptr);
  EXPECT_EQ(List->Count(), 1);
  EXPECT_EQ(List->Items(0).Properties, nullptr);
}

TEST_F(InplaceEditTest, AnActiveEditorTakesItsOwnersPlaceInTabOrderAndKeepsItsContextMenu) {
  TTypingEdit* standalone = New<TTypingEdit>(static_cast<TComponent*>(Form));
  standalone->SetParent(Host);
  standalone->SetBounds(150, 10, 100, 20);
  Host->SetFocus();
  Pump();
  Display.TypeText(u"5");
  Pump();
  TTypingEdit* e = Host->Edit;
  ASSERT_TRUE(e && e->Visible());
  std::vector<TWinControl*> order;
  Form->GetTabOrderList(order);
  EXPECT_EQ(std::count(order.begin(), order.end(), static_cast<TWinControl*>(Host)), 0);
  EXPECT_EQ(std::count(order.begin(), order.end(), static_cast<TWinControl*>(e)), 1);
  // The owner is back in the tab order once the editor is hidden.
  e->SetVisible(false);
  order.clear();
  Form->GetTabOrderList(order);
  EXPECT_EQ(std::count(order.begin(), order.end(), static_cast<TWinControl*>(Host)), 1);
  e->SetVisible(true);
  // A context menu asked of the in-place editor does not reach the owner; of a stand-alone one it does.
  SendMessageW(e->Handle(), WM_CONTEXTMENU, WPARAM(e->Handle()), MAKELPARAM(30, 20));
  EXPECT_EQ(Host->ContextMenus, 0);
  SendMessageW(standalone->Handle(), WM_CONTEXTMENU, WPARAM(standalone->Handle()), MAKELPARAM(160, 20));
  EXPECT_GT(Host->ContextMenus, 0);
  Free(standalone);
}

TEST_F(EditKeyboardTest, ActionsTheEditorDoesNotHandleGoToItsDataBinding) {
  TTypingEdit* e = AddEdit(10);
  TBasicAction* action = New<TBasicAction>(static_cast<TComponent*>(nullptr));
  Finally freeAction([&] { Free(action); });
  EXPECT_TRUE(e->ExecuteAction(action));
  EXPECT_TRUE(e->UpdateAction(action));
  EXPECT_EQ(e->Binding()->Actions, 2);
}

}  // namespace
