// The editor control driven with real input on the headless screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlEditRepository.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "tests/lib/editors/FormFromText.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Resources.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

// Records what an editor reports, in order.
struct TRecorder : public TObject {
  CL_CLASS(TRecorder, TObject)
 public:
  std::vector<std::string> Events;
  void ButtonClicked(TObject*, Integer AIndex) { Events.push_back("click " + std::to_string(AIndex)); }
  void Changed(TObject*) { Events.push_back("change"); }
  void ValueChanged(TObject*) { Events.push_back("value"); }
  void PropertiesChanged(TObject*) { Events.push_back("properties"); }
};
CL_IMPLEMENT_CLASS(TRecorder)

// Properties whose editors compare values (as the value editors do).
class TComparingProperties : public TvlCustomEditProperties {
  CL_CLASS(TComparingProperties, TvlCustomEditProperties)
 public:
  Boolean CanCompareEditValue() override { return true; }
};

// An editor published the way the editor kinds publish theirs, recording
// ButtonDown/ButtonUp and the order of its life.
class TTestEdit : public TvlCustomEdit {
  CL_CLASS(TTestEdit, TvlCustomEdit)
 public:
  static std::vector<std::string>* Log;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TComparingProperties>(); }
  void Loaded() override {
    if (Log) Log->push_back("loaded");
    inherited::Loaded();
    if (Log) Log->push_back("loaded end");
  }

 protected:
  void ButtonDown(Integer AIndex) override {
    if (Log) Log->push_back("down " + std::to_string(AIndex));
  }
  void ButtonUp(Integer AIndex) override {
    if (Log) Log->push_back("up " + std::to_string(AIndex));
  }
  void PropertiesChanged(TObject* Sender) override {
    if (Log) Log->push_back((ComponentState().Contains(csLoading) ? "properties while loading" : "properties") + std::string(Parent() ? " P" : "") + std::string(ComponentState().Contains(csReading) ? " R" : ""));
    inherited::PropertiesChanged(Sender);
  }
};
std::vector<std::string>* TTestEdit::Log = nullptr;
CL_IMPLEMENT_CLASS_PUBLISHED(TTestEdit, P) {
  P.Property(u"Properties", &TTestEdit::Properties, &TTestEdit::SetProperties);
  P.Property(u"Style", &TTestEdit::Style, &TTestEdit::SetStyle);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TComparingProperties, P) {
  P.Property(u"AutoSelect", &TComparingProperties::AutoSelect, &TComparingProperties::SetAutoSelect).Default(true);
  P.Property(u"Buttons", &TComparingProperties::Buttons, &TComparingProperties::SetButtons);
  P.Property(u"ReadOnly", &TComparingProperties::ReadOnly, &TComparingProperties::SetReadOnly)
      .Stored(&TComparingProperties::IsReadOnlyStored);
}

class EditTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TRecorder>();
    TTestEdit::Log = &Recorder->Events;
  }
  void TearDown() override {
    TTestEdit::Log = nullptr;
    ControlFixture::TearDown();
    Free(Recorder);
  }
  // An editor of 120 x 21 with two ellipsis buttons of 20 (the last one at 99..119).
  TTestEdit* AddEdit() {
    TTestEdit* e = New<TTestEdit>(static_cast<TComponent*>(Form));
    e->SetAutoSize(false);
    e->SetBounds(10, 10, 120, 21);
    e->Style()->SetEditBorderStyle(ebsSingle);
    for (Integer i = 0; i < 2; ++i) {
      TvlEditButton* b = e->Properties()->Buttons()->Add();
      b->SetKind(bkEllipsis);
      b->SetWidth(20);
    }
    e->SetParent(Form);
    e->Properties()->SetOnButtonClick(TvlEditButtonClickEvent(Recorder, &TRecorder::ButtonClicked));
    Pump();
    Recorder->Events.clear();
    return e;
  }
  TvlEditButtonState StateOf(TTestEdit* E, Integer AVisibleIndex) {
    return E->ViewInfo()->ButtonsInfo[size_t(AVisibleIndex)]->Data.State;
  }
  TRecorder* Recorder{};
};

TEST_F(EditTest, ReleasingOverThePressedButtonClicksIt) {
  TTestEdit* e = AddEdit();
  MoveTo(e, 105, 10);
  EXPECT_EQ(StateOf(e, 1), ebsSelected);
  TPoint p = At(e, 105, 10);
  Display.MouseDown(p.X, p.Y);
  Pump();
  EXPECT_EQ(StateOf(e, 1), ebsPressed);
  Display.MouseUp(p.X, p.Y);
  Pump();
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"down 1", "up 1", "click 1"}));
  EXPECT_EQ(StateOf(e, 1), ebsSelected);
}

TEST_F(EditTest, LeavingAndComingBackWhileHeldPressesAgain) {
  TTestEdit* e = AddEdit();
  MoveTo(e, 105, 10);
  TPoint p = At(e, 105, 10);
  Display.MouseDown(p.X, p.Y);
  Pump();
  MoveTo(e, 40, 10);  // out, still held
  EXPECT_EQ(StateOf(e, 1), ebsNormal);
  MoveTo(e, 110, 12);  // back in
  EXPECT_EQ(StateOf(e, 1), ebsPressed);
  MoveTo(e, 40, 10);
  TPoint out = At(e, 40, 10);
  Display.MouseUp(out.X, out.Y);  // released outside: no click
  Pump();
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"down 1", "up 1", "down 1", "up 1"}));
}

TEST_F(EditTest, ADoubleClickOnAButtonIsASecondPressNotADoubleClick) {
  TTestEdit* e = AddEdit();
  MoveTo(e, 85, 10);
  TPoint p = At(e, 85, 10);
  Display.DoubleClick(p.X, p.Y);
  Pump();
  EXPECT_EQ(Recorder->Events,
            (std::vector<std::string>{"down 0", "up 0", "click 0", "down 0", "up 0", "click 0"}));
}

TEST_F(EditTest, AcceleratorOfAButtonCaptionClicksIt) {
  TTestEdit* e = AddEdit();
  e->Properties()->Buttons()->Items(0)->SetKind(bkText);
  e->Properties()->Buttons()->Items(0)->SetCaption(u"&Seç");
  Pump();
  Recorder->Events.clear();
  TMessage m{CM_DIALOGCHAR, WPARAM(u'S'), 0, 0};
  e->Perform(m.Msg, m.WParam, m.LParam);
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"click 0"}));
  e->Properties()->Buttons()->Items(0)->SetEnabled(false);
  Pump();
  Recorder->Events.clear();
  EXPECT_EQ(e->Perform(CM_DIALOGCHAR, WPARAM(u'S'), 0), 0);
  EXPECT_TRUE(Recorder->Events.empty());
}

// --- The value pipeline ---------------------------------------------------------------------------------------------

TEST_F(EditTest, NestedLockChangeEventsFireEachEventOnce) {
  TTestEdit* e = AddEdit();
  e->Properties()->SetOnChange(TNotifyEvent(Recorder, &TRecorder::Changed));
  e->Properties()->SetOnEditValueChanged(TNotifyEvent(Recorder, &TRecorder::ValueChanged));
  e->SetEditValue(Variant(1));
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"value", "change"}));
  Recorder->Events.clear();
  e->LockChangeEvents(true);
  e->LockChangeEvents(true);
  e->SetEditValue(Variant(2));
  e->SetEditValue(Variant(3));
  e->LockChangeEvents(false);
  EXPECT_TRUE(Recorder->Events.empty());
  e->LockChangeEvents(false);
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"change", "value"}));
  // Unlocking once more does nothing; a drop at the last level loses the events.
  e->LockChangeEvents(false);
  e->LockChangeEvents(true);
  e->SetEditValue(Variant(4));
  e->LockChangeEvents(false, false);
  EXPECT_EQ(Recorder->Events.size(), 2u);
}

TEST_F(EditTest, EditValueChangingLockIgnoresWrites) {
  TTestEdit* e = AddEdit();
  e->SetEditValue(Variant(u"a"));
  e->LockEditValueChanging(true);
  e->SetEditValue(Variant(u"b"));
  EXPECT_EQ(VarToStr(e->EditValue()), u"a");
  e->LockEditValueChanging(false);
  e->LockEditValueChanging(false);  // never below 0
  e->SetEditValue(Variant(u"c"));
  EXPECT_EQ(VarToStr(e->EditValue()), u"c");
}

TEST_F(EditTest, WithoutValueComparisonWritingFiresNothing) {
  TvlCustomEdit* e = New<TvlCustomEdit>(static_cast<TComponent*>(Form));
  e->Properties()->SetOnChange(TNotifyEvent(Recorder, &TRecorder::Changed));
  e->Properties()->SetOnEditValueChanged(TNotifyEvent(Recorder, &TRecorder::ValueChanged));
  e->SetEditValue(Variant(5));
  EXPECT_TRUE(Recorder->Events.empty());
  EXPECT_EQ(e->EditValue(), Variant(5));
  e->Clear();
  EXPECT_TRUE(VarIsNull(e->EditValue()));
}

// --- Repository items ---------------------------------------------------------------------------------------------

class TOtherProperties : public TvlCustomEditProperties {
  CL_CLASS(TOtherProperties, TvlCustomEditProperties)
};
CL_IMPLEMENT_CLASS(TOtherProperties)
class TOtherItem : public TvlEditRepositoryItem {
  CL_CLASS(TOtherItem, TvlEditRepositoryItem)
 public:
  TvlCustomEditPropertiesClass GetEditPropertiesClass() const override { return ClassOf<TOtherProperties>(); }
};
CL_IMPLEMENT_CLASS(TOtherItem)
class TComparingItem : public TvlEditRepositoryItem {
  CL_CLASS(TComparingItem, TvlEditRepositoryItem)
 public:
  TvlCustomEditPropertiesClass GetEditPropertiesClass() const override { return ClassOf<TComparingProperties>(); }
};
CL_IMPLEMENT_CLASS(TComparingItem)

TEST_F(EditTest, AnItemOfAnotherKindIsRefusedAndNilAlwaysAccepted) {
  TTestEdit* e = AddEdit();
  TvlEditRepository* repository = New<TvlEditRepository>(static_cast<TComponent*>(Form));
  TvlEditRepositoryItem* other = repository->CreateItem(ClassOf<TOtherItem>());
  TvlEditRepositoryItem* good = repository->CreateItem(ClassOf<TComparingItem>());
  e->SetRepositoryItem(good);
  try {
    e->SetRepositoryItem(other);
    ADD_FAILURE() << "no error";
  } catch (const EvlEditError& E) {
    EXPECT_EQ(E.Message(), u"The repository item is not acceptable");
  }
  EXPECT_EQ(e->RepositoryItem(), good);
  e->SetRepositoryItem(nullptr);
  EXPECT_EQ(e->RepositoryItem(), nullptr);
  EXPECT_EQ(e->ActiveProperties(), e->Properties());
}

TEST_F(EditTest, ItemPropertiesBecomeActiveAndItsEventsFireAfterTheOwn) {
  TTestEdit* e = AddEdit();
  TvlEditRepository* repository = New<TvlEditRepository>(static_cast<TComponent*>(Form));
  TvlEditRepositoryItem* item = repository->CreateItem(ClassOf<TComparingItem>());
  item->Properties()->Buttons()->Add()->SetWidth(30);
  e->SetRepositoryItem(item);
  Pump();
  EXPECT_EQ(e->ActiveProperties(), item->Properties());
  EXPECT_EQ(e->ViewInfo()->ButtonCount(), 1);  // the item's one button
  e->Properties()->SetOnChange(TNotifyEvent(Recorder, &TRecorder::Changed));
  item->Properties()->SetOnChange(TNotifyEvent(Recorder, &TRecorder::ValueChanged));
  Recorder->Events.clear();
  e->SetEditValue(Variant(7));
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"change", "value"}));
}

TEST_F(EditTest, FreeingAnItemLeavesItsEditorsWithTheirOwnProperties) {
  TvlEditRepository* repository = New<TvlEditRepository>(static_cast<TComponent*>(Form));
  TvlEditRepositoryItem* item = repository->CreateItem(ClassOf<TComparingItem>());
  TTestEdit* edits[3] = {AddEdit(), AddEdit(), AddEdit()};
  for (TTestEdit* e : edits) e->SetRepositoryItem(item);
  EXPECT_EQ(item->ListenerCount(), 3);
  Free(item);
  for (TTestEdit* e : edits) {
    EXPECT_EQ(e->RepositoryItem(), nullptr);
    EXPECT_EQ(e->ActiveProperties(), e->Properties());
  }
  // The own hook is back: a change of the own properties refreshes the editor.
  Recorder->Events.clear();
  edits[0]->Properties()->SetReadOnly(true);
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"properties P"}));
}

// --- Loading from a form file -------------------------------------------------------------------------------------

const char kForm[] =
    "object Form1: TForm\n"
    "  Left = 0\n"
    "  Top = 0\n"
    "  Width = 300\n"
    "  Height = 200\n"
    "  object Edit1: TTestEdit\n"
    "    Left = 8\n"
    "    Top = 8\n"
    "    Width = 121\n"
    "    Height = 21\n"
    "    Properties.ReadOnly = True\n"
    "    Properties.Buttons = <\n"
    "      item\n"
    "        Kind = bkEllipsis\n"
    "        Width = 18\n"
    "      end>\n"
    "  end\n"
    "end\n";

TEST_F(EditTest, LoadingFromAFormFileRefreshesOnceAfterReading) {
  RegisterClass(ClassOf<TTestEdit>());
  TForm* form = NewFormFromText(RawByteString(kForm));
  Finally freeForm([&] { Free(form); });
  TTestEdit* e = dynamic_cast<TTestEdit*>(form->FindComponent(u"Edit1"));
  ASSERT_NE(e, nullptr);
  // Creation (the provider given to the own properties), the first
  // parenting while reading, then Loaded; reading the properties themselves
  // notifies nothing (the hook is detached until Loaded).
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"properties", "properties while loading R", "loaded",
                                                        "properties P", "loaded end"}));
  EXPECT_TRUE(e->Properties()->ReadOnly());
  ASSERT_EQ(e->Properties()->Buttons()->Count(), 1);
  EXPECT_EQ(e->Properties()->Buttons()->Items(0)->Width(), 18);
  Recorder->Events.clear();
  e->Properties()->SetReadOnly(false);  // the hook is attached again
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"properties P"}));
}

}  // namespace

namespace {

// An editor that sizes its width to its buttons and keeps its horizontal anchor.
class TAnchoredEdit : public TvlCustomEdit {
  CL_CLASS(TAnchoredEdit, TvlCustomEdit)
 protected:
  Boolean UsesAnchorX() override { return true; }
};
CL_IMPLEMENT_CLASS(TAnchoredEdit)

TEST_F(EditTest, ACentredAnchorKeepsTheCentreOfAnAutoSizingEditor) {
  TAnchoredEdit* e = New<TAnchoredEdit>(static_cast<TComponent*>(Form));
  e->Style()->SetEditBorderStyle(ebsSingle);
  e->Properties()->SetButtonsViewStyle(bvsButtonsAutoWidth);
  e->Properties()->Alignment()->SetHorz(taCenter);
  e->Properties()->Buttons()->Add()->SetWidth(20);
  e->SetBounds(100, 10, 60, 21);
  e->SetParent(Form);
  Pump();
  EXPECT_EQ(e->Width(), 22);  // the border and one button
  const Integer centre = e->Left() + (e->Width() + 1) / 2;
  e->Properties()->Buttons()->Add()->SetWidth(20);
  Pump();
  EXPECT_EQ(e->Width(), 42);
  EXPECT_EQ(e->Left() + (e->Width() + 1) / 2, centre);
  EXPECT_EQ(e->AnchorX(), centre);
}

}  // namespace

namespace {

TEST_F(EditTest, HintsComeFromTheButtonUnderTheCursorOrTheEditor) {
  TTestEdit* e = AddEdit();
  e->Properties()->Buttons()->Items(1)->SetHint(u"Aç|Dosyayı açar");
  e->SetHint(u"Sayaç numarası");
  e->SetShowHint(true);
  Pump();
  const struct {
    TPoint At;
    LRESULT Result;
    const char16_t* Hint;
  } cases[] = {
      {{105, 10}, 0, u"Aç"},              // the last button: its short hint
      {{85, 10}, 0, u"Sayaç numarası"},   // a button without a hint: the editor's
      {{40, 10}, 0, u"Sayaç numarası"},   // the text area
      {{40, 0}, -1, u""},                 // on the border: no hint
  };
  for (const auto& c : cases) {
    THintInfo info{};
    info.CursorPos = c.At;
    const LRESULT r = e->Perform(CM_HINTSHOW, 0, LPARAM(&info));
    EXPECT_EQ(r, c.Result) << c.At.X << "," << c.At.Y;
    if (r == 0) EXPECT_EQ(info.HintStr, c.Hint) << c.At.X << "," << c.At.Y;
  }
  THintInfo info{};
  info.CursorPos = TPoint{105, 10};
  e->Perform(CM_HINTSHOW, 0, LPARAM(&info));
  EXPECT_EQ(info.CursorRect.Left, 99);
  EXPECT_EQ(info.CursorRect.Right, 119);
}

}  // namespace

// --- A failing world: editors freed or changed from their own handlers -------------------------------------------

namespace {

// Frees the editor it is given from whichever handler it is hooked to.
struct TFreer : public TObject {
  CL_CLASS(TFreer, TObject)
 public:
  TvlCustomEdit* Edit{};
  Integer Calls{};
  void FreeNow() {
    ++Calls;
    TvlCustomEdit* e = Edit;
    Edit = nullptr;
    if (e) Free(e);
  }
  void OnNotify(TObject*) { FreeNow(); }
  void OnClick(TObject*, Integer) { FreeNow(); }
};
CL_IMPLEMENT_CLASS(TFreer)

TEST_F(EditTest, AnEditorFreedFromItsOwnValueHandlersStopsThere) {
  enum Hook { kChange, kValueChanged, kChangeAfterUnlock };
  for (Hook hook : {kChange, kValueChanged, kChangeAfterUnlock}) {
    SCOPED_TRACE(int(hook));
    TTestEdit* e = AddEdit();
    TFreer* freer = New<TFreer>();
    Finally freeFreer([&] { Free(freer); });
    freer->Edit = e;
    if (hook == kValueChanged)
      e->Properties()->SetOnEditValueChanged(TNotifyEvent(freer, &TFreer::OnNotify));
    else
      e->Properties()->SetOnChange(TNotifyEvent(freer, &TFreer::OnNotify));
    if (hook == kChangeAfterUnlock) {
      e->Properties()->SetOnEditValueChanged(TNotifyEvent(Recorder, &TRecorder::ValueChanged));
      e->LockChangeEvents(true);
      e->SetEditValue(Variant(5));
      e->LockChangeEvents(false);
      EXPECT_TRUE(Recorder->Events.empty());  // the editor went before its second event
    } else {
      e->SetEditValue(Variant(5));
    }
    EXPECT_EQ(freer->Calls, 1);
    EXPECT_EQ(freer->Edit, nullptr);
    Pump();
  }
}

// A real click on a button whose handler frees the editor: nothing reads it afterwards.
TEST_F(EditTest, AnEditorFreedFromItsButtonClickByTheMouse) {
  TTestEdit* e = AddEdit();
  TFreer* freer = New<TFreer>();
  Finally freeFreer([&] { Free(freer); });
  freer->Edit = e;
  e->Properties()->SetOnButtonClick(TvlEditButtonClickEvent(freer, &TFreer::OnClick));
  MoveTo(e, 105, 10);
  TPoint p = At(e, 105, 10);
  Display.MouseDown(p.X, p.Y);
  Pump();
  Display.MouseUp(p.X, p.Y);
  Pump();
  EXPECT_EQ(freer->Calls, 1);
  Display.MouseMove(p.X + 1, p.Y);
  Pump();
}

TEST_F(EditTest, AnEditorFreedFromItsButtonClickByTheKeyboardAccelerator) {
  TTestEdit* e = AddEdit();
  e->Properties()->Buttons()->Items(0)->SetKind(bkText);
  e->Properties()->Buttons()->Items(0)->SetCaption(u"&Seç");
  TFreer* freer = New<TFreer>();
  Finally freeFreer([&] { Free(freer); });
  freer->Edit = e;
  e->Properties()->SetOnButtonClick(TvlEditButtonClickEvent(freer, &TFreer::OnClick));
  Pump();
  e->Perform(CM_DIALOGCHAR, WPARAM(u'S'), 0);
  EXPECT_EQ(freer->Calls, 1);
}

// Swaps what an editor takes its buttons from while a button is held.
TEST_F(EditTest, PropertiesReplacedWhileAButtonIsHeld) {
  enum What { kFewerButtons, kItemSet, kItemFreed, kHidden };
  for (What what : {kFewerButtons, kItemSet, kItemFreed, kHidden}) {
    SCOPED_TRACE(int(what));
    TTestEdit* e = AddEdit();
    TvlEditRepository* repository = New<TvlEditRepository>(static_cast<TComponent*>(Form));
    Finally freeRepository([&] { Free(repository); });
    TvlEditRepositoryItem* item = repository->CreateItem(ClassOf<TComparingItem>());
    if (what == kItemFreed) {
      for (Integer i = 0; i < 2; ++i) item->Properties()->Buttons()->Add()->SetWidth(20);
      e->SetRepositoryItem(item);
      Pump();
    }
    MoveTo(e, 105, 10);
    TPoint p = At(e, 105, 10);
    Display.MouseDown(p.X, p.Y);
    Pump();
    Recorder->Events.clear();
    switch (what) {
      case kFewerButtons: e->Properties()->Buttons()->Clear(); break;
      case kItemSet: e->SetRepositoryItem(item); break;
      case kItemFreed: Free(item); break;
      case kHidden: e->SetVisible(false); break;
    }
    Pump();
    MoveTo(e, 100, 12);
    Display.MouseUp(p.X, p.Y);
    Pump();
    // The held button is gone or out of reach: releasing clicks nothing.
    EXPECT_EQ(std::count(Recorder->Events.begin(), Recorder->Events.end(), std::string("click 1")), 0);
    if (what == kHidden) {
      EXPECT_EQ(e->ViewInfo()->PressedButton, -1);
      e->SetVisible(true);
      Pump();
      MoveTo(e, 40, 10);
      EXPECT_EQ(StateOf(e, 1), ebsNormal);
    }
    Free(e);
    Pump();
  }
}

}  // namespace

// --- Form files and a failing world -------------------------------------------------------------------------------

namespace {

std::string WrittenText(TComponent* C) {
  TMemoryStream* out = New<TMemoryStream>();
  Finally freeOut([&] { Free(out); });
  out->WriteComponent(C);
  const RawByteString binary(static_cast<const char*>(out->Memory()), size_t(out->Size()));
  const RawByteString text = ObjectBinaryToText(binary);
  return std::string(text.begin(), text.end());
}

TEST_F(EditTest, HeightAndWidthAreWrittenOnlyWhenSizingDoesNotDecideThem) {
  struct TCase {
    const char* Name;
    Boolean AutoSize;
    Boolean AutoWidth;  // the width follows the buttons
    Boolean Height, Width, AnchorX;
  } cases[] = {
      {"fixed size", false, false, true, true, true},
      {"automatic height", true, false, false, true, true},
      {"automatic height and width", true, true, false, false, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TAnchoredEdit* e = New<TAnchoredEdit>(static_cast<TComponent*>(Form));
    Finally freeEdit([&] { Free(e); });
    e->SetAutoSize(c.AutoSize);
    if (c.AutoWidth) e->Properties()->SetButtonsViewStyle(bvsButtonsAutoWidth);
    e->Properties()->Buttons()->Add()->SetWidth(20);
    e->SetBounds(100, 10, 60, 21);
    e->SetParent(Form);
    Pump();
    const std::string text = WrittenText(e);
    EXPECT_EQ(text.find("  Height = ") != std::string::npos, c.Height) << text;
    EXPECT_EQ(text.find("  Width = ") != std::string::npos, c.Width) << text;
    EXPECT_EQ(text.find("  AnchorX = ") != std::string::npos, c.AnchorX) << text;
    EXPECT_EQ(text.find("AnchorY"), std::string::npos) << text;
  }
}

TEST_F(EditTest, AFormFileGivesTheSizeTheBorderStyleByNameAndSurvivesAnUnknownItem) {
  RegisterClass(ClassOf<TTestEdit>());
  const char* text =
      "object Form1: TForm\n"
      "  object Edit1: TTestEdit\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "    Width = 133\n"
      "    Height = 27\n"
      "    Style.BorderStyle = ebsUltraFlat\n"
      "  end\n"
      "end\n";
  TForm* form = NewFormFromText(RawByteString(text));
  Finally freeForm([&] { Free(form); });
  auto* e = dynamic_cast<TTestEdit*>(form->FindComponent(u"Edit1"));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Width(), 133);
  EXPECT_EQ(e->Style()->EditBorderStyle(), ebsUltraFlat);
  // Written back by the same name.
  const std::string written = WrittenText(e);
  EXPECT_NE(written.find("Style.BorderStyle = ebsUltraFlat"), std::string::npos) << written;

  const char* unknown =
      "object Form1: TForm\n"
      "  object Edit1: TTestEdit\n"
      "    RepositoryItem = NoSuchItem\n"
      "  end\n"
      "end\n";
  // An item no form knows stays a pending reference of the reader (as any
  // reference to another form's component); the editor keeps its own properties.
  TForm* other = NewFormFromText(RawByteString(unknown));
  Finally freeOther([&] { Free(other); });
  auto* e2 = dynamic_cast<TTestEdit*>(other->FindComponent(u"Edit1"));
  ASSERT_NE(e2, nullptr);
  EXPECT_EQ(e2->RepositoryItem(), nullptr);
  EXPECT_EQ(e2->ActiveProperties(), e2->Properties());
  GlobalFixupReferences();
  EXPECT_EQ(e2->RepositoryItem(), nullptr);
}

TEST_F(EditTest, EditorsOutliveTheirStyleControllerRepositoryAndUnfinishedUpdates) {
  TvlEditStyleController* controller = New<TvlEditStyleController>(static_cast<TComponent*>(Form));
  controller->Style()->SetColor(clYellow);
  TvlEditRepository* repository = New<TvlEditRepository>(static_cast<TComponent*>(Form));
  TvlEditRepositoryItem* item = repository->CreateItem(ClassOf<TComparingItem>());
  TTestEdit* edits[2] = {AddEdit(), AddEdit()};
  for (TTestEdit* e : edits) {
    e->Style()->SetStyleController(controller);
    e->SetRepositoryItem(item);
  }
  Pump();
  EXPECT_EQ(edits[0]->Style()->Color(), clYellow);
  Free(controller);
  for (TTestEdit* e : edits) {
    EXPECT_EQ(e->Style()->StyleController(), nullptr);
    EXPECT_NE(e->Style()->Color(), clYellow);
    e->Repaint();
  }
  // An update left open on the item's properties, then the whole repository goes.
  item->Properties()->BeginUpdate();
  item->Properties()->SetReadOnly(true);
  Free(repository);
  for (TTestEdit* e : edits) {
    EXPECT_EQ(e->RepositoryItem(), nullptr);
    EXPECT_EQ(e->ActiveProperties(), e->Properties());
    EXPECT_FALSE(e->ActiveProperties()->ReadOnly());
    e->Repaint();
  }
  // And on an editor's own properties, with the editor freed.
  edits[1]->Properties()->BeginUpdate();
  edits[1]->Properties()->SetReadOnly(true);
  Free(edits[1]);
  Pump();
  edits[0]->Properties()->SetReadOnly(true);
  EXPECT_TRUE(edits[0]->ActiveProperties()->ReadOnly());
}

}  // namespace
