// Button groups and the radio group on the headless screen: column rules, the
// value matched by caption or value, ItemIndex, arrow keys, Tab, read-only
// groups, the loaded index, item changes and a button freed while focused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/editors/vlRadioGroup.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/editors/FormFromText.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

struct TGroupRecorder : public TObject {
  CL_CLASS(TGroupRecorder, TObject)
 public:
  std::vector<std::string> Events;
  void Changed(TObject*) { Events.push_back("change"); }
  void Clicked(TObject*) { Events.push_back("click"); }
};
CL_IMPLEMENT_CLASS(TGroupRecorder)

class RadioGroupTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TGroupRecorder>();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    Free(Recorder);
  }
  TvlRadioGroup* AddGroup(std::initializer_list<const char16_t*> ACaptions, int AColumns = 1, int Left = 10,
                          int Top = 10) {
    TvlRadioGroup* g = Add<TvlRadioGroup>(Left, Top, 200, 120);
    g->Style()->LookAndFeel()->SetNativeStyle(false);
    g->Style()->LookAndFeel()->SetKind(lfUltraFlat);
    g->SetCaption(u"&Tarife");
    for (const char16_t* c : ACaptions) g->Properties()->Items()->Add()->SetCaption(c);
    g->Properties()->SetColumns(AColumns);
    g->Properties()->SetOnChange(TNotifyEvent(Recorder, &TGroupRecorder::Changed));
    g->SetOnClick(TNotifyEvent(Recorder, &TGroupRecorder::Clicked));
    Pump();
    return g;
  }
  // A click on the middle of a button's glyph.
  void ClickButton(TvlRadioGroup* G, int AIndex) {
    TvlRadioButton* b = G->Buttons(AIndex);
    ClickAt(b, 6, b->Height() / 2);
  }
  void Key(win::UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  void Alt(win::UINT AKey) {
    Display.KeyDown(win::VK_MENU);
    Display.KeyDown(AKey);
    Pump();
    Display.KeyUp(AKey);
    Display.KeyUp(win::VK_MENU);
    Pump();
  }
  int FocusedButton(TvlRadioGroup* G) {
    for (int i = 0; i < G->ButtonCount(); ++i)
      if (G->Buttons(i)->Focused()) return i;
    return -1;
  }
  TGroupRecorder* Recorder{};
};

// Column and row rules of the button groups and of the radio group, whose
// columns may stay empty.
TEST_F(RadioGroupTest, ColumnsAndRows) {
  TvlCustomButtonGroupProperties* plain =
      New<TvlCustomButtonGroupProperties>(static_cast<TPersistent*>(nullptr));
  Finally freePlain([&] { Free(plain); });
  TvlRadioGroupProperties* radio = New<TvlRadioGroupProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeRadio([&] { Free(radio); });
  struct Case {
    int Items, Columns, PlainColumns, RadioColumns, Rows;
  };
  const Case cases[] = {
      {7, 3, 3, 3, 3}, {4, 3, 2, 3, 2}, {5, 4, 3, 4, 2}, {3, 1, 1, 1, 3}, {2, 5, 2, 2, 1}, {0, 3, 0, 1, 0},
  };
  for (const Case& c : cases) {
    plain->Items()->Clear();
    radio->Items()->Clear();
    for (int i = 0; i < c.Items; ++i) {
      plain->Items()->Add();
      radio->Items()->Add();
    }
    plain->SetColumns(c.Columns);
    radio->SetColumns(c.Columns);
    SCOPED_TRACE(std::to_string(c.Items) + " items in " + std::to_string(c.Columns));
    EXPECT_EQ(plain->GetColumnCount(), c.PlainColumns);
    EXPECT_EQ(radio->GetColumnCount(), c.RadioColumns);
    if (c.Items > 0) EXPECT_EQ(radio->GetRowCount(), c.Rows);
  }
  for (int v : {0, -3}) {
    radio->SetColumns(v);
    EXPECT_EQ(radio->Columns(), 1);
  }
  // No items: no hot tracking offered.
  radio->Items()->Clear();
  EXPECT_FALSE(radio->GetSupportedOperations().Contains(esoHotTrack));
  radio->Items()->Add();
  EXPECT_TRUE(radio->GetSupportedOperations().Contains(esoHotTrack));
}

// 7 items in 3 columns fill 3, 3 and 1 buttons column by column; 5 radio
// items in 4 columns leave the fourth empty.
TEST_F(RadioGroupTest, ButtonsFillColumnByColumn) {
  TvlRadioGroup* g = AddGroup({u"1", u"2", u"3", u"4", u"5", u"6", u"7"}, 3);
  ASSERT_EQ(g->ButtonCount(), 7);
  const int columns[] = {0, 0, 0, 1, 1, 1, 2};
  const int rows[] = {0, 1, 2, 0, 1, 2, 0};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(g->Buttons(i)->Column(), columns[i]);
    EXPECT_EQ(g->Buttons(i)->Row(), rows[i]);
    EXPECT_EQ(g->Buttons(i)->BoundsRect(), g->ViewInfo()->ButtonsInfo[size_t(i)]->Bounds);
  }
  TvlRadioGroup* five = AddGroup({u"a", u"b", u"c", u"d", u"e"}, 4, 10, 140);
  int used = 0;
  for (int i = 0; i < 5; ++i) used = std::max(used, five->Buttons(i)->Column() + 1);
  EXPECT_EQ(used, 3);
  // The fourth column slot keeps its width: the third column does not reach the right side.
  EXPECT_LT(five->Buttons(4)->BoundsRect().Right, five->Width() - five->Buttons(4)->Width());
}

// The value selects the item: by its Value, or by its Caption (exact case)
// when the item has no Value; ItemIndex is clamped.
TEST_F(RadioGroupTest, ValueMatchedByCaptionOrValueAndItemIndexClamped) {
  TvlRadioGroup* g = AddGroup({u"One", u"Two", u"Three"});
  g->Properties()->Items()->Items(2)->SetValue(Variant(30));
  struct Case {
    Variant Value;
    int Index;
  };
  const Case cases[] = {{Variant(u"Two"), 1}, {Variant(u"two"), -1}, {Variant(30), 2},
                        {Variant(u"Three"), -1}, {Null(), -1}, {Variant(u"One"), 0}};
  for (const Case& c : cases) {
    g->SetEditValue(c.Value);
    EXPECT_EQ(g->ItemIndex(), c.Index) << VarToStr(c.Value).size();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(g->Buttons(i)->Checked(), i == c.Index);
  }
  g->SetItemIndex(10);
  EXPECT_EQ(g->ItemIndex(), 2);
  EXPECT_TRUE(vlEditValuesEqual(g->EditValue(), Variant(30)));
  g->SetItemIndex(1);
  EXPECT_EQ(VarToStr(g->EditValue()), u"Two");
  g->SetItemIndex(-5);
  EXPECT_EQ(g->ItemIndex(), -1);
  EXPECT_TRUE(VarIsNull(g->EditValue()));
  // A Null value matches no item, not even one with an empty caption: the
  // selection can be cleared.
  g->Properties()->Items()->Items(0)->SetCaption(u"");
  g->SetItemIndex(0);
  ASSERT_EQ(g->ItemIndex(), 0);
  g->SetItemIndex(-1);
  EXPECT_EQ(g->ItemIndex(), -1);
  EXPECT_EQ(g->Properties()->GetRadioGroupItemIndex(Null()), -1);
  // The display text: the item's caption, else DefaultCaption.
  g->Properties()->SetDefaultCaption(u"(yok)");
  EXPECT_EQ(g->Properties()->GetDisplayText(Variant(30)), u"Three");
  EXPECT_EQ(g->Properties()->GetDisplayText(Variant(31)), u"(yok)");
}

// The arrow keys move the focus (and the check) between the buttons by
// columns and rows; a move past the grid does nothing.
TEST_F(RadioGroupTest, ArrowKeysMoveBetweenItems) {
  TvlRadioGroup* g = AddGroup({u"a", u"b", u"c", u"d", u"e"}, 2);  // rows 3: a b c | d e
  ClickButton(g, 0);
  ASSERT_EQ(FocusedButton(g), 0);
  EXPECT_EQ(g->ItemIndex(), 0);
  struct Step {
    win::UINT Key;
    int Focused;
  };
  const Step steps[] = {{win::VK_DOWN, 1}, {win::VK_RIGHT, 4}, {win::VK_DOWN, 4},  {win::VK_RIGHT, 4},
                        {win::VK_UP, 3},   {win::VK_LEFT, 0},  {win::VK_LEFT, 0},  {win::VK_UP, 0},
                        {win::VK_DOWN, 1}, {win::VK_DOWN, 2},  {win::VK_DOWN, 2},  {win::VK_RIGHT, 2}};
  for (const Step& s : steps) {
    Key(s.Key);
    EXPECT_EQ(FocusedButton(g), s.Focused) << "key " << s.Key;
    EXPECT_EQ(g->ItemIndex(), s.Focused);
  }
}

// Tab passes a group with nothing checked by; once an item is checked the
// checked button takes its turn and the group itself never does.
TEST_F(RadioGroupTest, TabSkipsAGroupWithNothingChecked) {
  TEdit* before = Add<TEdit>(220, 10, 60, 21);
  TvlRadioGroup* g = AddGroup({u"a", u"b", u"c"});
  TEdit* after = Add<TEdit>(220, 60, 60, 21);
  before->SetTabOrder(0);
  g->SetTabOrder(1);
  after->SetTabOrder(2);
  before->SetFocus();
  Pump();
  Key(win::VK_TAB);
  EXPECT_TRUE(after->Focused());
  EXPECT_EQ(g->ItemIndex(), -1);
  g->SetItemIndex(1);
  before->SetFocus();
  Pump();
  Key(win::VK_TAB);
  EXPECT_EQ(FocusedButton(g), 1);
  EXPECT_EQ(g->ItemIndex(), 1);
  Key(win::VK_TAB);
  EXPECT_TRUE(after->Focused());
  // The caption's accelerator lands on the checked item and keeps the value.
  Alt('T');
  EXPECT_EQ(FocusedButton(g), 1);
  EXPECT_EQ(g->ItemIndex(), 1);
  g->SetItemIndex(-1);
  after->SetFocus();
  Pump();
  Alt('T');
  EXPECT_TRUE(after->Focused());
  EXPECT_EQ(g->ItemIndex(), -1);
}

// Clicks check items and report once; a read-only group ignores clicks on
// unchecked buttons and drops Space.
TEST_F(RadioGroupTest, ClicksAndReadOnly) {
  TvlRadioGroup* g = AddGroup({u"a", u"b", u"c"});
  ClickButton(g, 2);
  EXPECT_EQ(g->ItemIndex(), 2);
  EXPECT_EQ(VarToStr(g->EditValue()), u"c");
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"click", "change"}));
  Recorder->Events.clear();
  ClickButton(g, 2);
  EXPECT_TRUE(Recorder->Events.empty()) << ::testing::PrintToString(Recorder->Events);
  g->Properties()->SetReadOnly(true);
  ClickButton(g, 0);
  EXPECT_EQ(g->ItemIndex(), 2);
  Key(win::VK_UP);
  Key(win::VK_SPACE);
  EXPECT_EQ(g->ItemIndex(), 2);
  EXPECT_TRUE(Recorder->Events.empty()) << ::testing::PrintToString(Recorder->Events);
}

// Adding an item appends one control; deleting one frees exactly the control
// at its index, also while that control has the focus.
TEST_F(RadioGroupTest, ItemChangesAndAFocusedButtonFreed) {
  TvlRadioGroup* g = AddGroup({u"a", u"b", u"c"});
  TWinControl* first = g->Buttons(0);
  TWinControl* last = g->Buttons(2);
  g->Properties()->Items()->Add()->SetCaption(u"d");
  Pump();
  ASSERT_EQ(g->ButtonCount(), 4);
  EXPECT_EQ(g->Buttons(0), first);
  EXPECT_EQ(g->Buttons(3)->Caption(), u"d");
  ClickButton(g, 1);
  ASSERT_EQ(FocusedButton(g), 1);
  g->Properties()->Items()->Delete(1);
  Pump();
  ASSERT_EQ(g->ButtonCount(), 3);
  EXPECT_EQ(g->Buttons(0), first);
  EXPECT_EQ(g->Buttons(1), last);
  EXPECT_EQ(g->Buttons(1)->Caption(), u"c");
  // The group goes on working with the keyboard and the mouse.
  Key(win::VK_DOWN);
  ClickButton(g, 2);
  EXPECT_EQ(g->ItemIndex(), 2);
  EXPECT_EQ(FocusedButton(g), 2);
  Key(win::VK_UP);
  EXPECT_EQ(FocusedButton(g), 1);
  // The group freed while one of its buttons has the focus.
  Free(g);
  Pump();
  Key(win::VK_DOWN);
}

// A group read from a form, not bound to data: the loaded index applies,
// and the edit value is DefaultValue before it.
TEST_F(RadioGroupTest, LoadedIndexFromAForm) {
  RegisterClasses({ClassOf<TvlRadioGroup>()});
  TForm* f = NewFormFromText(
      "object Form1: TForm\n"
      "  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n"
      "  object Group1: TvlRadioGroup\n"
      "    Left = 8\n    Top = 8\n    Width = 200\n    Height = 120\n"
      "    Caption = 'Tarife'\n"
      "    ItemIndex = 1\n"
      "    Properties.DefaultValue = 'none'\n"
      "    Properties.Items = <\n"
      "      item\n        Caption = 'Tek'\n      end\n"
      "      item\n        Caption = 'Cok'\n        Value = 2\n      end>\n"
      "  end\n"
      "end\n");
  Finally freeForm([&] { Free(f); });
  TvlRadioGroup* g = static_cast<TvlRadioGroup*>(f->FindComponent(u"Group1"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->ItemIndex(), 1);
  EXPECT_TRUE(vlEditValuesEqual(g->EditValue(), Variant(2)));
  g->SetItemIndex(-1);
  EXPECT_EQ(VarToStr(g->EditValue()), u"none");
}

// The failing world: the pressed button's item deleted before the release,
// the group freed from its own OnClick (by mouse and by keyboard), and the
// group disabled while one of its buttons has the focus.
struct TGroupKiller : public TObject {
  CL_CLASS(TGroupKiller, TObject)
 public:
  TvlRadioGroup* Group{};
  void Kill(TObject*) {
    TvlRadioGroup* g = Group;
    Group = nullptr;
    if (g) Free(g);
  }
};
CL_IMPLEMENT_CLASS(TGroupKiller)

TEST_F(RadioGroupTest, ItemsChangedWhileAButtonIsPressed) {
  TvlRadioGroup* g = AddGroup({u"a", u"b", u"c"});
  TvlRadioButton* b = g->Buttons(1);
  const TPoint p = b->ClientToScreen(TPoint{6, b->Height() / 2});
  Display.MouseDown(p.X, p.Y);
  Pump();
  g->Properties()->Items()->Delete(1);
  Pump();
  Display.MouseUp(p.X, p.Y);
  Pump();
  ASSERT_EQ(g->ButtonCount(), 2);
  // The release lands on a button that was never pressed: nothing is checked.
  EXPECT_EQ(g->ItemIndex(), -1);
  EXPECT_TRUE(Recorder->Events.empty()) << ::testing::PrintToString(Recorder->Events);
  // All items replaced while a button is held down.
  TvlRadioButton* c = g->Buttons(0);
  const TPoint q = c->ClientToScreen(TPoint{6, c->Height() / 2});
  Display.MouseDown(q.X, q.Y);
  Pump();
  g->Properties()->Items()->Clear();
  g->Properties()->Items()->Add()->SetCaption(u"x");
  Pump();
  Display.MouseUp(q.X, q.Y);
  Pump();
  ASSERT_EQ(g->ButtonCount(), 1);
  ClickButton(g, 0);
  EXPECT_EQ(g->ItemIndex(), 0);
}

TEST_F(RadioGroupTest, GroupFreedFromItsOwnClick) {
  TGroupKiller* killer = New<TGroupKiller>();
  Finally freeKiller([&] { Free(killer); });
  // By mouse.
  TvlRadioGroup* g = AddGroup({u"a", u"b", u"c"});
  killer->Group = g;
  g->SetOnClick(TNotifyEvent(killer, &TGroupKiller::Kill));
  ClickButton(g, 1);
  Pump();
  EXPECT_EQ(killer->Group, nullptr);
  // By keyboard: an arrow key checks the next item.
  g = AddGroup({u"a", u"b", u"c"});
  ClickButton(g, 0);
  killer->Group = g;
  g->SetOnClick(TNotifyEvent(killer, &TGroupKiller::Kill));
  Key(win::VK_DOWN);
  EXPECT_EQ(killer->Group, nullptr);
  Key(win::VK_DOWN);
  // From OnChange.
  g = AddGroup({u"a", u"b", u"c"});
  killer->Group = g;
  g->Properties()->SetOnChange(TNotifyEvent(killer, &TGroupKiller::Kill));
  ClickButton(g, 2);
  Pump();
  EXPECT_EQ(killer->Group, nullptr);
}

TEST_F(RadioGroupTest, GroupDisabledWhileAButtonHasTheFocus) {
  TEdit* after = Add<TEdit>(220, 60, 60, 21);
  TvlRadioGroup* g = AddGroup({u"a", u"b", u"c"});
  after->SetTabOrder(1);
  g->SetTabOrder(0);
  ClickButton(g, 1);
  ASSERT_EQ(FocusedButton(g), 1);
  Recorder->Events.clear();
  g->SetEnabledProp(false);
  Pump();
  for (int i = 0; i < g->ButtonCount(); ++i) EXPECT_FALSE(g->Buttons(i)->Enabled());
  // Keys and clicks change nothing while disabled.
  for (win::UINT k : {win::VK_DOWN, win::VK_UP, win::VK_SPACE}) Key(k);
  ClickButton(g, 2);
  EXPECT_EQ(g->ItemIndex(), 1);
  EXPECT_TRUE(Recorder->Events.empty()) << ::testing::PrintToString(Recorder->Events);
  g->SetEnabledProp(true);
  Pump();
  ClickButton(g, 2);
  EXPECT_EQ(g->ItemIndex(), 2);
  Key(win::VK_UP);
  EXPECT_EQ(FocusedButton(g), 1);
  // A disabled item is never reached by the arrow keys, and never checked.
  g->Properties()->Items()->Items(2)->SetEnabled(false);
  Pump();
  ASSERT_FALSE(g->Buttons(2)->Enabled());
  Key(win::VK_DOWN);
  EXPECT_EQ(FocusedButton(g), 1);
  EXPECT_EQ(g->ItemIndex(), 1);
}

// ItemIndex read from a form before the items that would hold it, and
// beyond them: the loaded index is clamped once the items are there.
TEST_F(RadioGroupTest, LoadedIndexBeyondTheItems) {
  RegisterClasses({ClassOf<TvlRadioGroup>()});
  struct Case {
    const char* Index;
    int Expected;
  };
  const Case cases[] = {{"5", 1}, {"2", 1}, {"-3", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Index);
    TForm* f = NewFormFromText(std::string("object Form1: TForm\n"
                                           "  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n"
                                           "  object Group1: TvlRadioGroup\n"
                                           "    Left = 8\n    Top = 8\n    Width = 200\n    Height = 120\n"
                                           "    ItemIndex = ") +
                               c.Index +
                               "\n"
                               "    Properties.Items = <\n"
                               "      item\n        Caption = 'Tek'\n      end\n"
                               "      item\n        Caption = 'Cok'\n      end>\n"
                               "  end\n"
                               "end\n");
    Finally freeForm([&] { Free(f); });
    TvlRadioGroup* g = static_cast<TvlRadioGroup*>(f->FindComponent(u"Group1"));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->ItemIndex(), c.Expected);
    for (int i = 0; i < g->ButtonCount(); ++i) EXPECT_EQ(g->Buttons(i)->Checked(), i == c.Expected);
  }
}

// The filter builder edits a radio group's value in a fixed-list combo box of
// its captions; the combo's item index goes to the item's value and back.
TEST(RadioGroupFilterTest, HelperFillsAFixedListAndMapsTheIndex) {
  EXPECT_EQ(vlFilterEditsController()->FindHelper(ClassOf<TvlRadioGroupProperties>()),
            ClassOf<TvlFilterRadioGroupHelper>());
  TvlRadioGroupProperties* column = New<TvlRadioGroupProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeColumn([&] { Free(column); });
  for (const char16_t* c : {u"Tek", u"Cok", u"Gece"}) column->Items()->Add()->SetCaption(c);
  column->Items()->Items(1)->SetValue(Variant(2));
  column->SetDefaultValue(Variant(u"yok"));
  column->SetDefaultCaption(u"(yok)");
  TvlCustomFilterEditHelperClass helper = ClassOf<TvlFilterRadioGroupHelper>();
  EXPECT_TRUE(helper->UseDisplayValue());
  for (Boolean extended : {false, true}) {
    const TvlFilterControlOperators ops = helper->GetSupportedFilterOperators(column, nullptr, extended);
    for (TvlFilterControlOperator o : {fcoEqual, fcoNotEqual, fcoBlanks, fcoNonBlanks}) EXPECT_TRUE(ops.Contains(o));
    EXPECT_EQ(ops.Contains(fcoInList), extended);
    EXPECT_EQ(ops.Contains(fcoNotInList), extended);
    for (TvlFilterControlOperator o : {fcoLess, fcoLike, fcoBetween, fcoToday}) EXPECT_FALSE(ops.Contains(o));
  }
  TvlCustomEdit* edit = helper->GetFilterEdit(column);
  Finally freeEdit([&] { Free(edit); });
  auto* combo = dynamic_cast<TvlComboBox*>(edit);
  ASSERT_NE(combo, nullptr);
  TStrings* items = combo->Properties()->Items();
  ASSERT_EQ(items->Count(), 3);
  EXPECT_EQ(items->Strings(0), u"Tek");
  EXPECT_EQ(items->Strings(2), u"Gece");
  EXPECT_EQ(combo->Properties()->DropDownListStyle(), lsFixedList);
  struct Case {
    Variant Value;
    int Index;
    Variant Back;
    const char16_t* Text;
  };
  // An item without a value stands for its caption, as in the group.
  const Case cases[] = {{Variant(2), 1, Variant(2), u"Cok"},
                        {Variant(u"Gece"), 2, Variant(u"Gece"), u"Gece"},
                        {Variant(u"gece"), -1, Variant(u"yok"), u"(yok)"},
                        {Null(), -1, Variant(u"yok"), u"(yok)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Index);
    helper->SetFilterValue(edit, column, c.Value);
    EXPECT_EQ(combo->ItemIndex(), c.Index);
    Variant v;
    String s;
    helper->GetFilterValue(edit, column, v, s);
    EXPECT_TRUE(vlEditValuesEqual(v, c.Back));
    EXPECT_EQ(s, c.Text);
  }
}

}  // namespace
