// The filter builder against a data controller's own filter: criteria to
// rows and back for every operator and nested groups, the written values
// and texts, filter files (their first bytes, damaged and foreign ones),
// incomplete rows, and the control driven with real keys and clicks on the
// headless screen.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/editors/vlComboBox.h"
#include "lib/editors/vlDateUtils.h"
#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditListBox.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlFilterControl.h"
#include "lib/foundation/vlVariants.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "tests/lib/editors/EditorPicture.h"
#include "tests/lib/editors/FilterSource.h"
#include "tests/lib/editors/ScreenSheet.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using filtertest::TFilterSource;

CL_IMPLEMENT_CLASS(filtertest::TFilterSource)

namespace {

using TStreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;

constexpr Integer kName = 0, kAmount = 1;

std::string Bytes(TvlFilterCriteria* ACriteria) {
  TStreamPtr S(New<TMemoryStream>());
  ACriteria->WriteData(S.get());
  return std::string(static_cast<const char*>(S->Memory()), size_t(S->Size()));
}

std::string Utf8(const String& S) {
  std::string R;
  for (Char C : S) R += char(C < 128 ? C : '?');
  return R;
}

class TProbe : public TObject {
  CL_CLASS(TProbe, TObject)
 public:
  TvlFilterCriteria* Linked{};
  Integer Lock{-1};
  void Applied(TObject*) { Lock = Linked->LockCount(); }
};
CL_IMPLEMENT_CLASS(TProbe)

// Frees the builder from its apply handler.
class TFreer : public TObject {
  CL_CLASS(TFreer, TObject)
 public:
  TvlFilterControl* Builder{};
  void Applied(TObject*) { FreeAndNil(Builder); }
};
CL_IMPLEMENT_CLASS(TFreer)

// Keys queued for the action menu's own loop when it pops up.
class TMenuKeys : public TObject {
  CL_CLASS(TMenuKeys, TObject)
 public:
  backend::THeadlessBackend* Display{};
  std::vector<UINT> Keys;
  void Popup(TObject*) {
    for (UINT K : Keys) Display->KeyPress(K);
  }
};
CL_IMPLEMENT_CLASS(TMenuKeys)

class FilterControlTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Source = New<TFilterSource>(static_cast<TComponent*>(Form));
    Source->Load({{u"ax", 1, 1.5}, {u"ab", 2, 2.5}, {u"bx", 3, 3.5}, {u"cx", 7, 0.5}});
    Source->DC->Filter()->SetActive(true);
    Builder = Add<TvlFilterControl>(10, 10, 380, 200);
    Pump();
  }
  TvlDataFilterCriteria* Filter() { return Source->DC->Filter(); }
  TObject* Column(Integer I) { return Source->DC->GetItemField(I); }
  TvlConditionViewInfo* Condition(Integer ARow) { return dynamic_cast<TvlConditionViewInfo*>(Builder->Rows(ARow)); }
  // The centre of a rectangle of the builder's client area, on the screen.
  void Click(const TRect& R) {
    ClickAt(Builder, (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
  }
  void Key(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  void CtrlKey(UINT AKey) {
    Display.KeyDown(VK_CONTROL);
    Display.KeyPress(AKey);
    Display.KeyUp(VK_CONTROL);
    Pump();
  }
  // One character at a time: the first opens the value editor, which takes the rest.
  void Type(const String& AText) {
    for (Char C : AText) {
      Display.TypeText(String(1, C));
      Pump();
    }
  }

  TFilterSource* Source{};
  TvlFilterControl* Builder{};
};

// --- Criteria to rows and back -------------------------------------------------------------------------

// Each case: a leaf on an item, then an OR group holding a leaf and a NOT AND
// group; the builder reads it, applies it back, and the controller's filter
// is the same to the byte. The row shows the operator the leaf becomes.
TEST_F(FilterControlTest, EveryOperatorAndNestedGroupsRoundTrip) {
  struct TCase {
    TvlFilterOperatorKind Kind;
    Integer Item;
    Variant Value;
    const char16_t* Display;
    TvlFilterControlOperator Row;
  };
  const Variant Pair = vlMakeVariantPair(1, 5);
  Variant List = vlMakeVariantSingle(1);
  vlAppendVariant(List, 2);
  vlAppendVariant(List, 3);
  std::vector<TCase> Cases = {
      {foEqual, kAmount, 5, u"5", fcoEqual},
      {foNotEqual, kAmount, 5, u"5", fcoNotEqual},
      {foLess, kAmount, 5, u"5", fcoLess},
      {foLessEqual, kAmount, 5, u"5", fcoLessEqual},
      {foGreater, kAmount, 5, u"5", fcoGreater},
      {foGreaterEqual, kAmount, 5, u"5", fcoGreaterEqual},
      {foLike, kName, u"a%", u"a%", fcoLike},
      {foNotLike, kName, u"%x", u"%x", fcoNotLike},
      {foEqual, kName, Null(), u"blank", fcoBlanks},
      {foNotEqual, kName, Null(), u"blank", fcoNonBlanks},
      {foBetween, kAmount, Pair, u"1;5", fcoBetween},
      {foNotBetween, kAmount, Pair, u"1;5", fcoNotBetween},
      {foInList, kAmount, List, u"1;2;3", fcoInList},
      {foNotInList, kAmount, List, u"1;2;3", fcoNotInList},
  };
  for (Integer K = foYesterday; K <= foInFuture; ++K)
    Cases.push_back({TvlFilterOperatorKind(K), kAmount, Null(), u"blank",
                     TvlFilterControlOperator(fcoYesterday + (K - foYesterday))});
  Builder->LinkTo(Source);
  for (const TCase& C : Cases) {
    SCOPED_TRACE(Utf8(vlGetFilterControlOperatorText(C.Row)));
    Filter()->BeginUpdate();
    Filter()->Clear();
    Filter()->AddItem(nullptr, Column(C.Item), C.Kind, C.Value, C.Display);
    TvlFilterCriteriaItemList* Or = Filter()->Root()->AddItemList(fboOr);
    Filter()->AddItem(Or, Column(kName), foEqual, u"x", u"x");
    TvlFilterCriteriaItemList* NotAnd = Or->AddItemList(fboNotAnd);
    Filter()->AddItem(NotAnd, Column(kAmount), foGreater, 3, u"3");
    Filter()->EndUpdate();
    const std::string Before = Bytes(Filter());
    Builder->UpdateFilter();
    ASSERT_EQ(Builder->RowCount(), 6);
    EXPECT_EQ(Condition(1)->Operator(), C.Row);
    EXPECT_EQ(dynamic_cast<TvlGroupViewInfo*>(Builder->Rows(2))->BoolOperator(), fboOr);
    EXPECT_EQ(dynamic_cast<TvlGroupViewInfo*>(Builder->Rows(4))->BoolOperator(), fboNotAnd);
    EXPECT_EQ(Builder->Rows(5)->Level(), 3);
    Builder->ApplyFilter();
    EXPECT_EQ(Bytes(Filter()), Before);
    EXPECT_EQ(Builder->RowCount(), 6);
  }
}

// The values and texts a condition row writes, one row per case.
TEST_F(FilterControlTest, ConditionRowsWriteTheirValuesAndTexts) {
  struct TCase {
    const char* Name;
    TvlFilterControlOperator Op;
    std::vector<Variant> Values;
    std::vector<const char16_t*> Texts;
    Variant Want;
    const char16_t* WantText;
  };
  const TCase Cases[] = {
      {"between 5..1 written ascending", fcoBetween, {5, 1}, {u"five", u"one"}, vlMakeVariantPair(1, 5),
       u"one;five"},
      {"equal never set", fcoEqual, {Null()}, {u""}, Null(), u"blank"},
      {"like the empty string", fcoLike, {u""}, {u""}, u"", u"blank"},
      {"today takes no value", fcoToday, {Null()}, {u""}, Null(), u"blank"},
      {"in list in row order", fcoInList, {3, 1}, {u"3", u"1"}, vlMakeVariantPair(3, 1), u"3;1"},
  };
  Builder->LinkTo(Source);
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Builder->Clear();
    Builder->AddCondition(nullptr);
    TvlConditionViewInfo* Row = Condition(1);
    Row->SetItemIndex(C.Op == fcoLike ? kName : kAmount);
    Row->SetOperator(C.Op);
    Row->AdjustValueCount(true);
    while (Row->Values()->Count() < Integer(C.Values.size())) Row->Values()->AddValue();
    for (size_t I = 0; I < C.Values.size(); ++I) {
      Row->Values()->Values(Integer(I))->Value() = C.Values[I];
      Row->Values()->Values(Integer(I))->ValueText() = C.Texts[I];
    }
    Builder->WriteRowsToCriteria();
    auto* Leaf = dynamic_cast<TvlFilterCriteriaItem*>(Builder->Criteria()->Root()->Items(0));
    ASSERT_NE(Leaf, nullptr);
    EXPECT_EQ(vlCompareVariants(Leaf->Value(), C.Want), 0);
    EXPECT_EQ(Utf8(Leaf->DisplayValue()), Utf8(C.WantText));
  }
  // An equal row never set reads back as a blanks row.
  Builder->Clear();
  Builder->AddCondition(nullptr);
  Condition(1)->SetItemIndex(kAmount);
  Condition(1)->SetOperator(fcoEqual);
  Builder->ApplyFilter();
  EXPECT_EQ(Condition(1)->Operator(), fcoBlanks);
}

// Item links resolve through the linked component: names without regard to
// case, IDs exactly, nothing without a link.
TEST_F(FilterControlTest, CriteriaResolveItemLinksThroughTheLinkedComponent) {
  TvlFilterControlCriteria* Criteria = Builder->Criteria();
  EXPECT_EQ(Criteria->NameToItemLink(u"amount"), nullptr);
  Source->LinkNames = true;
  Builder->LinkTo(Source);
  struct TCase {
    const char16_t* Name;
    Integer ID;
    TObject* Want;
  };
  const TCase Cases[] = {
      {u"amount", 1, Source->Columns[1]}, {u"NAME", 0, Source->Columns[0]}, {u"Nothing", 9, nullptr}};
  for (const TCase& C : Cases) {
    EXPECT_EQ(Criteria->NameToItemLink(C.Name), C.Want);
    EXPECT_EQ(Criteria->IDToItemLink(C.ID), C.Want);
  }
  EXPECT_EQ(Criteria->ItemLinkToID(Source->Columns[2]), 2);
  EXPECT_EQ(Utf8(Criteria->ItemLinkToName(Source->Columns[2])), "PRICE");
  EXPECT_EQ(Criteria->ItemLinkToID(Source), -1);
}

// A leaf whose item the component does not offer cannot be shown.
TEST_F(FilterControlTest, ALeafOfAnUnknownItemCannotBeBuilt) {
  TComponent* Stranger = New<TComponent>(static_cast<TComponent*>(Form));
  Source->OwnCriteria = Builder->Criteria();
  Builder->Criteria()->AddItem(nullptr, Stranger, foEqual, 1, u"1");
  try {
    Builder->LinkTo(Source);
    ADD_FAILURE() << "built";
  } catch (const EvlFilterControlError& E) {
    EXPECT_EQ(Utf8(E.Message()), "Can't build filter from source");
  }
}

// Applying to the builder's own criteria copies nothing; the handler runs
// while the linked criteria are locked.
TEST_F(FilterControlTest, ApplyingFiresTheHandlerInsideTheLinkedUpdate) {
  TProbe* Probe = New<TProbe>();
  Finally FreeProbe([&] { Free(Probe); });
  Source->OwnCriteria = Builder->Criteria();
  Builder->LinkTo(Source);
  Builder->AddCondition(nullptr);
  Probe->Linked = Builder->Criteria();
  Builder->SetOnApplyFilter(TNotifyEvent(Probe, &TProbe::Applied));
  Builder->ApplyFilter();
  EXPECT_EQ(Probe->Lock, 1);
  EXPECT_EQ(Builder->Criteria()->Root()->Count(), 1);
  EXPECT_EQ(Builder->RowCount(), 2);
}

// The handler frees the builder: the filter is still applied to the
// controller and nothing of the builder is touched afterwards.
TEST_F(FilterControlTest, TheBuilderFreedFromItsApplyHandler) {
  TFreer* Freer = New<TFreer>();
  Finally FreeFreer([&] { Free(Freer); });
  Builder->LinkTo(Source);
  Builder->AddCondition(nullptr);
  Condition(1)->SetOperator(fcoBlanks);
  Freer->Builder = Builder;
  Builder->SetOnApplyFilter(TNotifyEvent(Freer, &TFreer::Applied));
  Builder->ApplyFilter();
  EXPECT_EQ(Freer->Builder, nullptr);
  Builder = nullptr;
  EXPECT_EQ(Filter()->Root()->Count(), 1);
  Pump();
}

// Frees or disables the builder from whichever of its handlers runs first.
class TSaboteur : public TObject {
  CL_CLASS(TSaboteur, TObject)
 public:
  TvlFilterControl* Builder{};
  Boolean Disable{};
  void Act() {
    TvlFilterControl* B = Builder;
    if (!B) return;
    Builder = nullptr;
    if (Disable)
      B->SetEnabledProp(false);
    else
      Free(B);
  }
  void Notify(TObject*) { Act(); }
  void KeyDown(TObject*, Word&, TShiftState) { Act(); }
  void KeyPress(TObject*, Char&) { Act(); }
  void MouseDown(TObject*, TMouseButton, TShiftState, Integer, Integer) { Act(); }
  void MouseMove(TObject*, TShiftState, Integer, Integer) { Act(); }
};
CL_IMPLEMENT_CLASS(TSaboteur)

// The builder freed or disabled by its own handlers while a pick list's
// choice, the value editor's closing or a key is being handled: nothing
// freed is touched afterwards, and a disabled builder is left with no list
// or editor open.
TEST_F(FilterControlTest, TheBuilderFreedOrDisabledFromItsHandlers) {
  const struct {
    const char* Name;
    std::function<void(TSaboteur*)> Prepare;  // opens what the key acts on and sets the handler
    UINT Key;
  } Cases[] = {
      {"pick list choice, on enter",
       [this](TSaboteur* S) {
         Click(Condition(1)->ItemRect());
         Builder->SetOnEnter(TNotifyEvent(S, &TSaboteur::Notify));
       },
       VK_RETURN},
      {"value editor Enter, on enter",
       [this](TSaboteur* S) {
         Click(Condition(1)->Values()->Values(0)->ValueRect());
         Builder->SetOnEnter(TNotifyEvent(S, &TSaboteur::Notify));
       },
       VK_RETURN},
      {"value editor Down, on key down",
       [this](TSaboteur* S) {
         Click(Condition(1)->Values()->Values(0)->ValueRect());
         Builder->SetOnKeyDown(TKeyEvent(S, &TSaboteur::KeyDown));
       },
       VK_DOWN},
      {"Down on the builder, on key down",
       [this](TSaboteur* S) {
         Builder->SetFocus();
         Builder->SetOnKeyDown(TKeyEvent(S, &TSaboteur::KeyDown));
       },
       VK_DOWN},
  };
  for (const Boolean Disable : {false, true})
    for (const auto& C : Cases) {
      SCOPED_TRACE(std::string(C.Name) + (Disable ? ", disabled" : ", freed"));
      if (!Builder) Builder = Add<TvlFilterControl>(10, 10, 380, 200);
      Builder->SetEnabledProp(true);
      Builder->SetOnEnter(TNotifyEvent());
      Builder->SetOnKeyDown(TKeyEvent());
      Filter()->Clear();
      Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
      Filter()->AddItem(nullptr, Column(kAmount), foEqual, 1, u"1");
      Builder->LinkTo(nullptr);
      Builder->LinkTo(Source);
      Pump();
      TSaboteur* S = New<TSaboteur>();
      Finally FreeS([&] { Free(S); });
      S->Disable = Disable;
      C.Prepare(S);
      S->Builder = Builder;
      Key(C.Key);
      Pump();
      if (!Disable) {
        Builder = nullptr;
        continue;
      }
      EXPECT_FALSE(Builder->Enabled());
      EXPECT_EQ(Builder->ValueEditor(), nullptr);
      EXPECT_FALSE(Builder->PickList()->Visible());
      EXPECT_EQ(Builder->State(), fcsNormal);
    }
}

// The builder freed by a handler of a key press or a click on one of its
// parts: nothing of it is touched afterwards.
TEST_F(FilterControlTest, TheBuilderFreedFromItsInputHandlers) {
  const struct {
    const char* Name;
    std::function<void(TSaboteur*)> Prepare;  // sets the handler
    UINT Key;  // none: a click on the first row's item
  } Cases[] = {
      {"Space on the builder, on key press",
       [this](TSaboteur* S) {
         Builder->SetFocus();
         Builder->SetOnKeyPress(TKeyPressEvent(S, &TSaboteur::KeyPress));
       },
       VK_SPACE},
      {"a click on a part, on enter",
       [this](TSaboteur* S) {
         Add<TvlComboBox>(10, 250, 100, 20)->SetFocus();  // the builder is entered by the click
         Pump();
         Builder->SetOnEnter(TNotifyEvent(S, &TSaboteur::Notify));
       },
       0},
      {"a click on a part, on mouse down",
       [this](TSaboteur* S) {
         Builder->SetFocus();
         Builder->SetOnMouseDown(TMouseEvent(S, &TSaboteur::MouseDown));
       },
       0},
      {"a click on a part, on mouse move",
       [this](TSaboteur* S) {
         Builder->SetFocus();
         MoveTo(Builder, 1, 1);  // the click moves the mouse onto the item
         Builder->SetOnMouseMove(TMouseMoveEvent(S, &TSaboteur::MouseMove));
       },
       0},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Builder = Add<TvlFilterControl>(10, 10, 380, 200);
    Filter()->Clear();
    Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
    Builder->LinkTo(Source);
    Pump();
    TSaboteur* S = New<TSaboteur>();
    Finally FreeS([&] { Free(S); });
    C.Prepare(S);
    S->Builder = Builder;
    if (C.Key)
      Key(C.Key);
    else
      Click(Condition(1)->ItemRect());
    Pump();
    EXPECT_EQ(S->Builder, nullptr);
    Builder = nullptr;
  }
}

// The builder disabled by a handler of a key press or a click on one of its
// parts: the key or click opens nothing afterwards and the builder is left
// with no list, menu or editor open.
TEST_F(FilterControlTest, TheBuilderDisabledFromItsInputHandlers) {
  const struct {
    const char* Name;
    std::function<void(TSaboteur*)> Prepare;  // sets the handler
    UINT Key;  // none: a click on the first row's item
  } Cases[] = {
      {"Space on the builder, on key press",
       [this](TSaboteur* S) { Builder->SetOnKeyPress(TKeyPressEvent(S, &TSaboteur::KeyPress)); }, VK_SPACE},
      {"a click on a part, on mouse down",
       [this](TSaboteur* S) { Builder->SetOnMouseDown(TMouseEvent(S, &TSaboteur::MouseDown)); }, 0},
  };
  Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
  Builder->LinkTo(Source);
  Pump();
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Builder->SetEnabledProp(true);
    Builder->SetOnKeyPress(TKeyPressEvent());
    Builder->SetOnMouseDown(TMouseEvent());
    Builder->SetFocus();
    Pump();
    TSaboteur* S = New<TSaboteur>();
    Finally FreeS([&] { Free(S); });
    S->Disable = true;
    C.Prepare(S);
    S->Builder = Builder;
    if (C.Key)
      Key(C.Key);
    else
      Click(Condition(1)->ItemRect());
    Pump();
    EXPECT_EQ(S->Builder, nullptr);
    EXPECT_FALSE(Builder->Enabled());
    EXPECT_EQ(Builder->ValueEditor(), nullptr);
    EXPECT_FALSE(Builder->PickList()->Visible());
    EXPECT_EQ(Builder->State(), fcsNormal);
  }
}

// The linked component goes, or its filter is read anew, while a pick list
// is open: the list closes with the rows it was opened for, and a later
// choice changes nothing.
TEST_F(FilterControlTest, RowsRebuiltWhileAPickListIsOpen) {
  const struct {
    const char* Name;
    std::function<void()> Rebuild;
  } Cases[] = {
      {"component freed", [this] { FreeAndNil(Source); }},
      {"filter read anew", [this] { Builder->UpdateFilter(); }},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    if (!Source) {
      Source = New<TFilterSource>(static_cast<TComponent*>(Form));
      Source->DC->Filter()->SetActive(true);
    }
    Filter()->Clear();
    Filter()->AddItem(Filter()->Root()->AddItemList(fboAnd), Column(kName), foEqual, u"ax", u"ax");
    Builder->LinkTo(nullptr);
    Builder->LinkTo(Source);
    Pump();
    Click(dynamic_cast<TvlGroupViewInfo*>(Builder->Rows(1))->BoolOperatorRect());
    ASSERT_EQ(Builder->State(), fcsSelectingBoolOperator);
    C.Rebuild();
    Pump();
    EXPECT_EQ(Builder->State(), fcsNormal);
    EXPECT_FALSE(Builder->PickList()->Visible());
    EXPECT_FALSE(Builder->PickList()->DroppedDown());
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(Builder->Root()->BoolOperator(), fboAnd);
  }
}

// Raises or disables the builder from its apply handler.
class TApplyTrouble : public TObject {
  CL_CLASS(TApplyTrouble, TObject)
 public:
  TvlFilterControl* Builder{};
  Boolean Raise{};
  void Applied(TObject*) {
    if (Raise) throw EvlFilterControlError(u"stop");
    Builder->SetEnabledProp(false);
  }
};
CL_IMPLEMENT_CLASS(TApplyTrouble)

// The apply handler raises or disables the builder: the linked update still
// ends (the controller filters), the rows are rebuilt from the applied
// criteria, and a raised error reaches the caller.
TEST_F(FilterControlTest, TheApplyHandlerRaisesOrDisablesTheBuilder) {
  for (const Boolean Raise : {true, false}) {
    SCOPED_TRACE(Raise ? "raises" : "disables");
    TApplyTrouble* T = New<TApplyTrouble>();
    Finally FreeT([&] { Free(T); });
    T->Builder = Builder;
    T->Raise = Raise;
    Builder->SetEnabledProp(true);
    Filter()->Clear();
    Builder->LinkTo(nullptr);
    Builder->LinkTo(Source);
    Builder->AddCondition(nullptr);
    Condition(1)->SetItemIndex(kAmount);
    Condition(1)->SetOperator(fcoGreater);
    Condition(1)->Values()->Values(0)->Value() = 2;
    Builder->SetOnApplyFilter(TNotifyEvent(T, &TApplyTrouble::Applied));
    if (Raise)
      EXPECT_THROW(Builder->ApplyFilter(), EvlFilterControlError);
    else
      Builder->ApplyFilter();
    EXPECT_EQ(Filter()->LockCount(), 0);
    EXPECT_EQ(Source->Shown(), (std::vector<Integer>{2, 3}));
    ASSERT_EQ(Builder->RowCount(), 2);
    EXPECT_EQ(Condition(1)->CriteriaItem(), Builder->Criteria()->Root()->Items(0));
    Builder->SetOnApplyFilter(TNotifyEvent());
    Pump();
  }
}

// The builder freed or disabled from outside while its value editor (with
// a value it accepts or one it refuses) or a pick list is open.
TEST_F(FilterControlTest, TheBuilderFreedOrDisabledWhileAPartIsOpen) {
  const struct {
    const char* Name;
    std::function<void()> Open;
    Boolean Refused;
  } Cases[] = {
      {"value editor, valid value",
       [this] {
         Click(Condition(1)->Values()->Values(0)->ValueRect());
         Type(u"7");
       },
       false},
      {"value editor, invalid value",
       [this] {
         Click(Condition(1)->Values()->Values(0)->ValueRect());
         Type(u"x");
       },
       true},
      {"pick list", [this] { Click(Condition(1)->ItemRect()); }, false},
  };
  for (const Boolean Disable : {false, true})
    for (const auto& C : Cases) {
      // Disabling moves the focus out of a refused value: the error goes to
      // the application's message box, which no one closes here.
      if (Disable && C.Refused) continue;
      SCOPED_TRACE(std::string(C.Name) + (Disable ? ", disabled" : ", freed"));
      if (!Builder) Builder = Add<TvlFilterControl>(10, 10, 380, 200);
      Builder->SetEnabledProp(true);
      Filter()->Clear();
      Filter()->AddItem(nullptr, Column(kAmount), foEqual, 1, u"1");
      Builder->LinkTo(nullptr);
      Builder->LinkTo(Source);
      Pump();
      C.Open();
      Pump();
      if (!Disable) {
        FreeAndNil(Builder);
        Pump();
        Key(VK_RETURN);
        continue;
      }
      try {
        Builder->SetEnabledProp(false);
        Pump();
      } catch (const EvlFilterControlError&) {
      }
      Key(VK_RETURN);
      Key(VK_ESCAPE);
      Builder->SetEnabledProp(true);
      Pump();
      Builder->SetFocus();
      Key(VK_ESCAPE);
      Pump();
      Click(Builder->ViewInfo()->AddConditionRect());
      EXPECT_EQ(Builder->RowCount(), 3);
    }
}

// The linked component goes while the value editor is open: the rows and
// the editor go with it, and keys afterwards reach nothing freed.
TEST_F(FilterControlTest, TheLinkedComponentFreedWhileTheValueEditorIsOpen) {
  Filter()->AddItem(nullptr, Column(kAmount), foEqual, 5, u"5");
  Builder->LinkTo(Source);
  Pump();
  Builder->SetFocus();
  Key(VK_DOWN);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  Type(u"7");
  ASSERT_NE(Builder->ValueEditor(), nullptr);
  FreeAndNil(Source);
  Pump();
  EXPECT_EQ(Builder->ValueEditor(), nullptr);
  EXPECT_EQ(Builder->RowCount(), 1);
  Key(VK_RETURN);
  Key(VK_DOWN);
  Type(u"8");
  EXPECT_EQ(Builder->RowCount(), 1);
}

// Rows go while the value editor is open (cleared, rebuilt from a changed
// linked filter, the row removed): the editor closes with them, keeping
// nothing, and later keys and clicks reach only live rows.
TEST_F(FilterControlTest, RowsRemovedWhileTheValueEditorIsOpen) {
  const struct {
    const char* Name;
    std::function<void()> Remove;
    Integer Rows;
  } Cases[] = {
      {"cleared", [this] { Builder->Clear(); }, 1},
      {"linked filter changed",
       [this] {
         Filter()->Clear();
         Builder->UpdateFilter();
       },
       1},
      {"row removed", [this] { Builder->RemoveRow(); }, 2},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Filter()->Clear();
    Filter()->AddItem(nullptr, Column(kAmount), foEqual, 5, u"5");
    Filter()->AddItem(nullptr, Column(kAmount), foEqual, 6, u"6");
    Builder->LinkTo(nullptr);
    Builder->LinkTo(Source);
    Pump();
    Builder->SetFocus();
    Key(VK_DOWN);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Type(u"7");
    ASSERT_NE(Builder->ValueEditor(), nullptr);
    C.Remove();
    Pump();
    EXPECT_EQ(Builder->ValueEditor(), nullptr);
    ASSERT_EQ(Builder->RowCount(), C.Rows);
    Key(VK_RETURN);
    Type(u"8");
    Key(VK_ESCAPE);
    Click(Builder->ViewInfo()->AddConditionRect());
    EXPECT_EQ(Builder->RowCount(), C.Rows + 1);
    for (Integer R = 1; R < Builder->RowCount(); ++R)
      if (Condition(R)->Values()->Count() > 0)
        EXPECT_NE(Utf8(VarToStr(Condition(R)->Values()->Values(0)->Value())), "7");
  }
}

// --- Incomplete rows ---------------------------------------------------------------------------------

// A condition without an operator: applying, saving and the filter text all
// refuse, name the row and leave the criteria as they were.
TEST_F(FilterControlTest, AnIncompleteRowIsNamedAndNothingIsWritten) {
  Filter()->AddItem(nullptr, Column(kAmount), foEqual, 1, u"1");
  Builder->LinkTo(Source);
  const std::string Linked = Bytes(Filter()), Own = Bytes(Builder->Criteria());
  Builder->AddCondition(nullptr);
  Condition(2)->SetOperator(fcoNone);
  TStreamPtr S(New<TMemoryStream>());
  const std::function<void()> Actions[] = {[&] { Builder->ApplyFilter(); }, [&] { Builder->SaveToStream(S.get()); },
                                           [&] { Builder->FilterText(); }};
  for (const auto& Action : Actions) {
    try {
      Action();
      ADD_FAILURE() << "an incomplete row was written";
    } catch (const EvlFilterControlError& E) {
      EXPECT_EQ(Utf8(E.Message()), "Row 3 is incomplete: choose its item and its operator");
    }
    EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Rows(2));
    EXPECT_EQ(Bytes(Filter()), Linked);
    EXPECT_EQ(Bytes(Builder->Criteria()), Own);
  }
  EXPECT_EQ(S->Size(), 0);
  EXPECT_EQ(Source->Shown(), (std::vector<Integer>{0}));
}

// --- Filter files ---------------------------------------------------------------------------------------

TEST_F(FilterControlTest, AFileHoldsTheCriteriaStreamAndLoadsBack) {
  Filter()->AddItem(nullptr, Column(kAmount), foBetween, vlMakeVariantPair(1, 5), u"1;5");
  Filter()->AddItem(Filter()->Root()->AddItemList(fboOr), Column(kName), foLike, u"a%", u"a%");
  Builder->LinkTo(Source);
  TStreamPtr S(New<TMemoryStream>());
  Builder->SaveToStream(S.get());
  ASSERT_GE(S->Size(), 4);
  const auto* B = static_cast<const unsigned char*>(S->Memory());
  EXPECT_EQ(std::vector<int>(B, B + 4), (std::vector<int>{0xFE, 0xFF, 0xFF, 0xFF}));
  const String Text = Builder->FilterText();

  TvlFilterControl* Other = Add<TvlFilterControl>(10, 220, 200, 60);
  Other->LinkTo(Source);
  Other->Clear();
  S->SetPosition(0);
  Other->LoadFromStream(S.get());
  EXPECT_EQ(Other->RowCount(), 4);
  EXPECT_EQ(Utf8(Other->FilterText()), Utf8(Text));
}

// A damaged or foreign file raises and leaves the rows, including edits not
// yet applied, and the criteria as they were; without items nothing is read.
TEST_F(FilterControlTest, ADamagedFileLeavesTheFilterAsItWas) {
  Filter()->AddItem(nullptr, Column(kAmount), foEqual, 1, u"1");
  Builder->LinkTo(Source);
  TStreamPtr Good(New<TMemoryStream>());
  Builder->SaveToStream(Good.get());
  Builder->AddCondition(nullptr);  // an edit not yet applied
  const std::string Own = Bytes(Builder->Criteria());

  const std::string Whole(static_cast<const char*>(Good->Memory()), size_t(Good->Size()));
  const struct {
    const char* Name;
    std::string Bytes;
  } Cases[] = {
      {"cut short", Whole.substr(0, Whole.size() - 3)},
      {"only a version", Whole.substr(0, 4)},
      {"a count past the end", std::string("\x40\x00\x00\x00\x01", 5)},
      {"empty", std::string()},
      {"a newer version's mark", std::string("\xFD\xFF\xFF\xFF", 4) + Whole.substr(4)},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TStreamPtr S(New<TMemoryStream>());
    S->WriteBuffer(C.Bytes.data(), Integer(C.Bytes.size()));
    S->SetPosition(0);
    EXPECT_ANY_THROW(Builder->LoadFromStream(S.get()));
    EXPECT_EQ(Builder->RowCount(), 3);
    EXPECT_EQ(Bytes(Builder->Criteria()), Own);
  }
  // Without items the stream is not touched.
  Builder->LinkTo(nullptr);
  Good->SetPosition(0);
  EXPECT_THROW(Builder->LoadFromStream(Good.get()), EvlFilterControlError);
  EXPECT_EQ(Good->Position(), 0);
}

// A value typed under one locale ("1,5" in Turkish, "1.5" in English) is
// kept as a number: the file saved under it filters the same records when
// read under the other locale.
TEST_F(FilterControlTest, AFileSavedUnderOneLocaleReadsUnderTheOther) {
  const TSystemLocale Saved = SystemLocale();
  auto Use = [](TSystemLocale L) {
    SetSystemLocale(L);
    vlFormatController()->RegionalSettingsChanged();
  };
  Finally Restore([&] { Use(Saved); });
  const struct {
    TSystemLocale Typed, Read;
    const char16_t* Text;
  } Cases[] = {{TSystemLocale::Turkish, TSystemLocale::EnglishUS, u"1,5"},
               {TSystemLocale::EnglishUS, TSystemLocale::Turkish, u"1.5"}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(Utf8(C.Text));
    Use(C.Typed);
    Filter()->Clear();
    Filter()->AddItem(nullptr, Column(2), foGreater, 0.0, u"0");
    Builder->LinkTo(nullptr);
    Builder->LinkTo(Source);
    Pump();
    Builder->SetFocus();
    Key(VK_DOWN);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Type(C.Text);
    Key(VK_RETURN);
    TStreamPtr S(New<TMemoryStream>());
    Builder->SaveToStream(S.get());
    Use(C.Read);
    Builder->Clear();
    S->SetPosition(0);
    Builder->LoadFromStream(S.get());
    Builder->ApplyFilter();
    EXPECT_EQ(Source->Shown(), (std::vector<Integer>{1, 2}));  // prices 2.5 and 3.5
  }
}

// --- The control with real input ---------------------------------------------------------------------

// Clicks and keys build a group of two like conditions, which filters the controller.
TEST_F(FilterControlTest, KeysAndClicksBuildATwoConditionGroupAndApplyIt) {
  Builder->LinkTo(Source);
  Pump();
  Click(Builder->ViewInfo()->AddConditionRect());
  ASSERT_EQ(Builder->RowCount(), 2);
  EXPECT_EQ(Condition(1)->ItemIndex(), kName);
  EXPECT_EQ(Condition(1)->Operator(), fcoLike);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtItem);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtValue);
  Type(u"a%");
  ASSERT_NE(Builder->ValueEditor(), nullptr);
  Key(VK_RETURN);
  EXPECT_EQ(Builder->ValueEditor(), nullptr);
  EXPECT_EQ(Utf8(VarToStr(Condition(1)->Values()->Values(0)->Value())), "a%");
  Key(VK_INSERT);
  ASSERT_EQ(Builder->RowCount(), 3);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  Type(u"%x");
  Key(VK_RETURN);
  Builder->ApplyFilter();
  EXPECT_EQ(Source->Shown(), (std::vector<Integer>{0}));
  EXPECT_EQ(Filter()->Root()->Count(), 2);
}

// Ctrl+Delete removes a value of an in-list condition, the row with its
// last value, a group with its only condition, and nothing on the root;
// Insert with Shift adds nothing.
TEST_F(FilterControlTest, CtrlDeleteRemovesValuesRowsAndEmptyGroups) {
  Filter()->AddItem(nullptr, Column(kAmount), foInList, vlMakeVariantPair(1, 2), u"1;2");
  Filter()->AddItem(Filter()->Root()->AddItemList(fboOr), Column(kName), foEqual, u"x", u"x");
  Builder->LinkTo(Source);
  Pump();
  ASSERT_EQ(Builder->RowCount(), 4);
  // The value opens its editor; Ctrl+Delete there drops the value.
  Click(Condition(1)->Values()->Values(1)->ValueRect());
  ASSERT_NE(Builder->ValueEditor(), nullptr);
  CtrlKey(VK_DELETE);
  EXPECT_EQ(Builder->ValueEditor(), nullptr);
  EXPECT_EQ(Condition(1)->Values()->Count(), 1);
  EXPECT_EQ(Builder->FocusedInfo().ValueIndex, 0);
  CtrlKey(VK_DELETE);
  ASSERT_EQ(Builder->RowCount(), 3);
  // The group's only condition goes with its group.
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Root());
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Rows(2));
  CtrlKey(VK_DELETE);
  EXPECT_EQ(Builder->RowCount(), 1);
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Root());
  CtrlKey(VK_DELETE);
  EXPECT_EQ(Builder->RowCount(), 1);
  Display.KeyDown(VK_SHIFT);
  Key(VK_INSERT);
  Display.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(Builder->RowCount(), 1);
  // On the add-condition button the focused row is the last one: it goes.
  Key(VK_INSERT);
  ASSERT_EQ(Builder->RowCount(), 2);
  Key(VK_DOWN);
  ASSERT_EQ(Builder->FocusedInfo().HitTest, fhtAddCondition);
  CtrlKey(VK_DELETE);
  EXPECT_EQ(Builder->RowCount(), 1);
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Root());
}

// The mouse rests on the second row's value; Ctrl+Delete on the first row
// moves the rows up under it without a mouse move. The focus leaving for the
// value editor and coming back finds the part now under the mouse, the value
// of the row that was third.
TEST_F(FilterControlTest, AFocusChangeFindsThePartUnderTheMouse) {
  for (const Char* V : {u"1", u"2", u"3"}) Filter()->AddItem(nullptr, Column(kAmount), foEqual, String(V), V);
  Builder->LinkTo(Source);
  Pump();
  Builder->SetFocus();
  Pump();
  const TRect R = Condition(2)->Values()->Values(0)->ValueRect();
  MoveTo(Builder, R.Left + 2, (R.Top + R.Bottom) / 2);
  ASSERT_EQ(Builder->HotTrack().Row, Condition(2));
  ASSERT_EQ(Builder->HotTrack().HitTest, fhtValue);
  Key(VK_DOWN);
  CtrlKey(VK_DELETE);
  ASSERT_EQ(Builder->RowCount(), 3);
  TvlConditionViewInfo* Third = Condition(2);
  EXPECT_EQ(VarToStr(Third->Values()->Values(0)->Value()), u"3");
  EXPECT_EQ(Builder->HotTrack().HitTest, fhtNone);
  Key(VK_DOWN);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  ASSERT_EQ(Builder->FocusedInfo().HitTest, fhtValue);
  Key(VK_RETURN);
  ASSERT_NE(Builder->ValueEditor(), nullptr);
  Key(VK_ESCAPE);
  ASSERT_TRUE(Builder->Focused());
  EXPECT_EQ(Builder->HotTrack().Row, Third);
  EXPECT_EQ(Builder->HotTrack().HitTest, fhtValue);
  EXPECT_EQ(Builder->HotTrack().ValueIndex, 0);
}

// The value editor keeps a value on Enter, discards it on Escape, and an
// invalid value refuses to leave it.
TEST_F(FilterControlTest, TheValueEditorAcceptsRevertsAndRefuses) {
  Filter()->AddItem(nullptr, Column(kAmount), foEqual, 5, u"5");
  Builder->LinkTo(Source);
  Pump();
  TvlValueInfo* Value = Condition(1)->Values()->Values(0);
  Builder->SetFocus();
  Key(VK_DOWN);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  Type(u"7");
  Key(VK_RETURN);
  EXPECT_EQ(Utf8(VarToStr(Value->Value())), "7");
  Type(u"9");
  ASSERT_NE(Builder->ValueEditor(), nullptr);
  Key(VK_ESCAPE);
  EXPECT_EQ(Builder->ValueEditor(), nullptr);
  EXPECT_EQ(Utf8(VarToStr(Value->Value())), "7");
  Type(u"abc");
  const std::string Before = Bytes(Filter());
  EXPECT_THROW(Builder->ApplyFilter(), EvlFilterControlError);
  EXPECT_NE(Builder->ValueEditor(), nullptr);
  EXPECT_EQ(Bytes(Filter()), Before);
  Key(VK_ESCAPE);
  Builder->ApplyFilter();
  EXPECT_EQ(Source->Shown(), (std::vector<Integer>{3}));
}

// Any character but Escape typed on a value opens the value editor with it:
// Backspace opens it on an emptied value. Tab (with WantTabs) only moves
// the focus: arriving on a value by Tab opens nothing.
TEST_F(FilterControlTest, CharactersOnAValueOpenTheValueEditor) {
  Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
  Builder->LinkTo(Source);
  Builder->SetWantTabs(true);
  Pump();
  Builder->SetFocus();
  Key(VK_DOWN);
  Key(VK_TAB);
  Key(VK_TAB);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtValue);
  EXPECT_EQ(Builder->ValueEditor(), nullptr);
  Key(VK_BACK);
  ASSERT_NE(Builder->ValueEditor(), nullptr);
  Key(VK_RETURN);
  EXPECT_EQ(Builder->ValueEditor(), nullptr);
  EXPECT_EQ(Utf8(VarToStr(Condition(1)->Values()->Values(0)->Value())), "");
  Key(VK_ESCAPE);
  EXPECT_EQ(Builder->ValueEditor(), nullptr);
}

// Shift+Tab from the next row's button reaches the in-list row's "+" and
// then its last value; arrows down a long list scroll each focused row into
// view, up again to the top.
TEST_F(FilterControlTest, FocusMovesAcrossRowsAndScrolling) {
  Variant List = vlMakeVariantPair(1, 2);
  vlAppendVariant(List, 3);
  Filter()->AddItem(nullptr, Column(kAmount), foInList, List, u"1;2;3");
  for (Integer I = 0; I < 20; ++I) Filter()->AddItem(nullptr, Column(kAmount), foEqual, I, u"");
  Builder->LinkTo(Source);
  Builder->SetWantTabs(true);
  Pump();
  Builder->SetFocus();
  Key(VK_DOWN);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  Key(VK_RIGHT);  // the second of the three values
  EXPECT_EQ(Builder->FocusedInfo().ValueIndex, 1);
  Key(VK_DOWN);
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Rows(2));
  Key(VK_LEFT);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtButton);
  Display.KeyDown(VK_SHIFT);
  Key(VK_TAB);
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Rows(1));
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtAddValue);
  Key(VK_TAB);
  Display.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtValue);
  EXPECT_EQ(Builder->FocusedInfo().ValueIndex, 2);
  const TRect Client = Builder->ClientBounds();
  for (Integer R = 2; R < Builder->RowCount(); ++R) {
    Key(VK_DOWN);
    ASSERT_EQ(Builder->FocusedInfo().Row, Builder->Rows(R));
    EXPECT_LE(Builder->Rows(R)->RowRect().Bottom, Client.Bottom) << R;
    EXPECT_GE(Builder->Rows(R)->RowRect().Top, Client.Top) << R;
  }
  EXPECT_GT(Builder->TopVisibleRow(), 0);
  Key(VK_DOWN);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtAddCondition);
  EXPECT_LE(Builder->ViewInfo()->AddConditionRect().Bottom, Client.Bottom);
  for (Integer R = 0; R < Builder->RowCount(); ++R) Key(VK_UP);
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Root());
  EXPECT_EQ(Builder->TopVisibleRow(), 0);
}

// Right and Left walk the values of a row wider than the builder: each
// focused value is scrolled into view, and the item again at the end.
TEST_F(FilterControlTest, ArrowsScrollAWideRowSideways) {
  Variant List = vlMakeVariantSingle(100000);
  for (Integer I = 1; I < 30; ++I) vlAppendVariant(List, 100000 + I);
  Filter()->AddItem(nullptr, Column(kAmount), foInList, List, u"");
  Builder->LinkTo(Source);
  Pump();
  Builder->SetFocus();
  Key(VK_DOWN);
  Key(VK_RIGHT);
  const TRect Client = Builder->ClientBounds();
  TvlValuesViewInfo* Values = Condition(1)->Values();
  for (Integer I = 0; I < Values->Count(); ++I) {
    Key(VK_RIGHT);
    ASSERT_EQ(Builder->FocusedInfo().ValueIndex, I);
    EXPECT_LE(Values->Values(I)->ValueRect().Right, Client.Right) << I;
    EXPECT_GE(Values->Values(I)->ValueRect().Left, Client.Left) << I;
  }
  EXPECT_GT(Builder->LeftOffset(), 0);
  Key(VK_RIGHT);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtAddValue);
  EXPECT_LE(Values->AddButtonRect().Right, Client.Right);
  for (Integer I = 0; I < Values->Count() + 2; ++I) Key(VK_LEFT);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtItem);
  EXPECT_GE(Condition(1)->ItemRect().Left, Client.Left);
}

// Down on the last row reaches the add-condition button, Right comes back to
// the last row's item, Tab there does nothing (WantTabs off).
TEST_F(FilterControlTest, ArrowsWalkRowsAndTheAddConditionButton) {
  Filter()->AddItem(nullptr, Column(kAmount), foEqual, 5, u"5");
  Builder->LinkTo(Source);
  Pump();
  Builder->SetFocus();
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtAddCondition);
  Key(VK_RIGHT);
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Rows(1));
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtItem);
  Key(VK_UP);
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Root());
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtBoolOperator);
}

// Clicking the item, the operator and the join opens a pick list; choosing
// an entry with the keys changes the row; Escape keeps it.
TEST_F(FilterControlTest, PickListsChangeTheItemTheOperatorAndTheJoin) {
  Filter()->AddItem(nullptr, Column(kName), foLike, u"a%", u"a%");
  Builder->LinkTo(Source);
  Pump();
  Click(Condition(1)->ItemRect());
  EXPECT_EQ(Builder->State(), fcsSelectingItem);
  ASSERT_EQ(Builder->PickList()->Properties()->Items()->Count(), 3);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Builder->State(), fcsNormal);
  EXPECT_EQ(Condition(1)->ItemIndex(), kAmount);
  EXPECT_FALSE(Condition(1)->SupportedOperators().Contains(fcoLike));
  EXPECT_EQ(Condition(1)->Operator(), fcoEqual);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtOperator);
  Click(Condition(1)->OperatorRect());
  EXPECT_EQ(Builder->State(), fcsSelectingCondition);
  for (Integer I = 0; I < 8; ++I) Key(VK_DOWN);  // equal .. between, like not offered
  Key(VK_RETURN);
  EXPECT_EQ(Condition(1)->Operator(), fcoBetween);
  EXPECT_EQ(Condition(1)->Values()->Count(), 2);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtValue);
  Click(Builder->Root()->BoolOperatorRect());
  EXPECT_EQ(Builder->State(), fcsSelectingBoolOperator);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Builder->Root()->BoolOperator(), fboOr);
  Builder->ApplyFilter();
  EXPECT_EQ(Filter()->Root()->BoolOperatorKind(), fboOr);
}

// Space in an open pick list chooses the highlighted entry as Enter does,
// and its character reaches neither the list nor the builder (where Space
// would open the next part's list).
TEST_F(FilterControlTest, SpaceInAPickListChoosesLikeEnter) {
  Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
  Builder->LinkTo(Source);
  Pump();
  Click(Condition(1)->ItemRect());
  ASSERT_EQ(Builder->State(), fcsSelectingItem);
  Key(VK_DOWN);
  Key(VK_SPACE);
  EXPECT_EQ(Condition(1)->ItemIndex(), kAmount);
  EXPECT_EQ(Builder->FocusedInfo().HitTest, fhtOperator);
  EXPECT_EQ(Builder->State(), fcsNormal);
  EXPECT_FALSE(Builder->PickList()->Visible());
  EXPECT_TRUE(Builder->Focused());
  Click(Builder->Root()->BoolOperatorRect());
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_SPACE);
  EXPECT_EQ(Builder->Root()->BoolOperator(), fboNotAnd);
  EXPECT_EQ(Builder->State(), fcsNormal);
  EXPECT_FALSE(Builder->PickList()->Visible());
}

// Choosing the entry already shown is a choice: a string item that supports
// like gets the like operator (its value kept), the operator list moves the
// focus to the first value. Escape chooses nothing and the list stays until
// it loses the focus.
TEST_F(FilterControlTest, ChoosingTheEntryAlreadyShown) {
  const struct {
    const char* Name;
    Boolean OperatorList;
    UINT Key;
    TvlFilterControlOperator Operator;
    TvlFilterControlHitTest Focused;
    TFilterControlState State;
  } Cases[] = {
      {"item by Enter", false, VK_RETURN, fcoLike, fhtOperator, fcsNormal},
      {"item by Space", false, VK_SPACE, fcoLike, fhtOperator, fcsNormal},
      {"item list cancelled", false, VK_ESCAPE, fcoEqual, fhtItem, fcsSelectingItem},
      {"operator by Enter", true, VK_RETURN, fcoEqual, fhtValue, fcsNormal},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Filter()->Clear();
    Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
    Builder->LinkTo(nullptr);
    Builder->LinkTo(Source);
    Pump();
    Click(C.OperatorList ? Condition(1)->OperatorRect() : Condition(1)->ItemRect());
    ASSERT_TRUE(Builder->PickList()->DroppedDown());
    Key(C.Key);
    EXPECT_EQ(Builder->State(), C.State);
    EXPECT_EQ(Condition(1)->ItemIndex(), kName);
    EXPECT_EQ(Condition(1)->Operator(), C.Operator);
    EXPECT_EQ(Builder->FocusedInfo().HitTest, C.Focused);
    ASSERT_EQ(Condition(1)->Values()->Count(), 1);
    EXPECT_EQ(Utf8(VarToStr(Condition(1)->Values()->Values(0)->Value())), "ax");
    Builder->SetFocus();
    Pump();
    EXPECT_EQ(Builder->State(), fcsNormal);
    EXPECT_FALSE(Builder->PickList()->Visible());
  }
}

// Two items with one caption: the entry chosen is the one taken, and the
// list opens on the entry of the item shown (also after it was open on
// another row), so Enter on it keeps that item.
TEST_F(FilterControlTest, TheItemChosenAmongEqualCaptions) {
  Source->AddColumn(u"Amount", ClassOf<TvlStringValueType>());
  Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
  Filter()->AddItem(nullptr, Column(kName), foEqual, u"bx", u"bx");
  Builder->LinkTo(Source);
  Pump();
  Click(Condition(1)->ItemRect());
  ASSERT_EQ(Builder->PickList()->Properties()->Items()->Count(), 4);
  for (Integer I = 0; I < 3; ++I) Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_EQ(Condition(1)->ItemIndex(), 3);
  EXPECT_EQ(Condition(1)->Operator(), fcoLike);
  Click(Condition(2)->ItemRect());
  EXPECT_EQ(Builder->PickList()->ItemIndex(), kName);
  Key(VK_ESCAPE);
  Builder->SetFocus();
  Pump();
  Click(Condition(1)->ItemRect());
  EXPECT_EQ(Builder->PickList()->ItemIndex(), 3);
  Key(VK_RETURN);
  EXPECT_EQ(Condition(1)->ItemIndex(), 3);
  Click(Condition(1)->ItemRect());
  Key(VK_UP);
  Key(VK_UP);
  Key(VK_RETURN);
  EXPECT_EQ(Condition(1)->ItemIndex(), 1);
}

// The one pick list serves the joins, the items and the operators: each time
// it drops down its entries take that part's font without the underline,
// while the closed pick list keeps it. The picture: the open join, item and
// operator lists, left to right.
TEST_F(FilterControlTest, TheDroppedDownListTakesThePartFontWithoutStyles) {
  Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
  Builder->LinkTo(Source);
  Builder->SetHeight(240);
  Pump();
  editors_test::TScreenSheet Sheet(330, 240, 3, 1);
  const struct {
    const char* Name;
    std::function<TRect()> Part;
    TFont* Font;
  } Cases[] = {
      {"join", [this] { return Builder->Root()->BoolOperatorRect(); }, Builder->FontBoolOperator()},
      {"item", [this] { return Condition(1)->ItemRect(); }, Builder->FontItem()},
      {"operator", [this] { return Condition(1)->OperatorRect(); }, Builder->FontCondition()},
  };
  Integer Col = 0;
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Click(C.Part());
    ASSERT_TRUE(Builder->PickList()->DroppedDown());
    TvlCustomEditListBox* List = Builder->PickList()->LookupData()->List();
    ASSERT_NE(List, nullptr);
    EXPECT_EQ(List->Font()->Color(), C.Font->Color());
    EXPECT_TRUE(List->Font()->Style().Empty());
    EXPECT_TRUE(Builder->PickList()->Style()->GetVisibleFont()->Style().Contains(fsUnderline));
    Sheet.PutArea(Display, Builder->ClientToScreen(TPoint{0, 0}), Col++, 0);
    Key(VK_ESCAPE);
    Builder->SetFocus();
    Pump();
  }
  Sheet.Expect("filter-builder-pick-lists");
}

// The row button's menu adds a group with its first condition, and on the
// root clears everything.
TEST_F(FilterControlTest, TheActionMenuAddsAGroupAndClearsAll) {
  TMenuKeys* Keys = New<TMenuKeys>();
  Finally FreeKeys([&] { Free(Keys); });
  Keys->Display = &Display;
  Builder->LinkTo(Source);
  Builder->ActionMenu()->SetOnPopup(TNotifyEvent(Keys, &TMenuKeys::Popup));
  Pump();
  Keys->Keys = {VK_DOWN, VK_DOWN, VK_RETURN};
  Click(Builder->Root()->ButtonRect());
  Pump();
  EXPECT_EQ(Builder->State(), fcsNormal);
  ASSERT_EQ(Builder->RowCount(), 3);
  EXPECT_TRUE(Builder->Rows(1)->IsGroup());
  EXPECT_EQ(Builder->Rows(2)->Parent(), Builder->Rows(1));
  Keys->Keys = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
  Click(Builder->Root()->ButtonRect());
  Pump();
  EXPECT_EQ(Builder->RowCount(), 1);
}

// Space on a row's button opens its menu from the keyboard: on a condition
// all four entries with "Remove Row" (which removes it), on a root without
// rows neither the separator nor "Clear All".
TEST_F(FilterControlTest, TheActionMenuFromTheKeyboard) {
  TMenuKeys* Keys = New<TMenuKeys>();
  Finally FreeKeys([&] { Free(Keys); });
  Keys->Display = &Display;
  Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
  Builder->LinkTo(Source);
  Builder->ActionMenu()->SetOnPopup(TNotifyEvent(Keys, &TMenuKeys::Popup));
  Pump();
  TMenuItem* Items = Builder->ActionMenu()->Items();
  Builder->SetFocus();
  Key(VK_DOWN);
  Key(VK_LEFT);
  ASSERT_EQ(Builder->FocusedInfo().HitTest, fhtButton);
  Keys->Keys = {VK_ESCAPE};
  Key(VK_SPACE);
  Pump();
  EXPECT_EQ(Builder->State(), fcsNormal);
  EXPECT_TRUE(Items->Items(2)->Visible());
  EXPECT_TRUE(Items->Items(3)->Visible());
  EXPECT_EQ(Utf8(Items->Items(3)->Caption()), "&Remove Row");
  EXPECT_EQ(Builder->RowCount(), 2);
  Keys->Keys = {VK_UP, VK_RETURN};  // the last entry
  Key(VK_SPACE);
  Pump();
  EXPECT_EQ(Builder->RowCount(), 1);
  EXPECT_EQ(Builder->FocusedInfo().Row, Builder->Root());
  Key(VK_LEFT);
  Keys->Keys = {VK_ESCAPE};
  Key(VK_RETURN);
  Pump();
  EXPECT_FALSE(Items->Items(2)->Visible());
  EXPECT_FALSE(Items->Items(3)->Visible());
  EXPECT_EQ(Builder->State(), fcsNormal);
}

// --- Layout and pictures ------------------------------------------------------------------------------

TEST_F(FilterControlTest, RowLayoutFollowsTheOperator) {
  Filter()->AddItem(nullptr, Column(kAmount), foToday, Null(), u"blank");
  Filter()->AddItem(nullptr, Column(kAmount), foGreater, Null(), u"blank");
  Builder->LinkTo(Source);
  Pump();
  TvlConditionViewInfo* Today = Condition(1);
  EXPECT_GT(Builder->Root()->ButtonRect().Width(), Today->ButtonRect().Width());
  EXPECT_EQ(Today->Values()->Values(0)->ValueRect().Width(), 0);
  EXPECT_EQ(Today->GetRowWidth(), Today->ButtonRect().Width() + Today->Indent() + 5 + Today->ItemRect().Width() +
                                      Today->OperatorRect().Width() + 16);
  // A blank value is as wide as the null text; highlighted, twelve digits at least.
  TvlConditionViewInfo* Blank = Condition(2);
  const Integer Plain = Blank->Values()->Values(0)->ValueRect().Width();
  MoveTo(Builder, Blank->Values()->Values(0)->ValueRect().Left + 2, Blank->Values()->Values(0)->ValueRect().Top + 2);
  EXPECT_EQ(Builder->HotTrack().HitTest, fhtValue);
  EXPECT_GE(Blank->Values()->Values(0)->ValueRect().Width(), Builder->ViewInfo()->MinValueWidth());
  EXPECT_LT(Plain, Builder->ViewInfo()->MinValueWidth());
}

// The part fonts follow the control font's name and height and keep their
// colours and styles; one made larger makes every row taller; a part font
// is stored only when it differs from what the control gives it.
TEST_F(FilterControlTest, PartFontsFollowTheControlFont) {
  Filter()->AddItem(nullptr, Column(kName), foEqual, u"ax", u"ax");
  Builder->LinkTo(Source);
  Pump();
  Builder->Font()->SetHeight(-20);
  Pump();
  const TColor Colors[] = {clRed, clGreen, clMaroon, clBlue};
  for (Integer I = 0; I < 4; ++I) {
    SCOPED_TRACE(I);
    EXPECT_EQ(Builder->PartFont(I)->Height(), -20);
    EXPECT_EQ(Builder->PartFont(I)->Color(), Colors[I]);
    EXPECT_EQ(Builder->PartFont(I)->Style().Contains(fsUnderline), I < 3);
    EXPECT_FALSE(Builder->IsPartFontStored(I));
  }
  const Integer Before = Builder->ViewInfo()->RowHeight();
  Builder->FontItem()->SetHeight(-40);
  Pump();
  EXPECT_TRUE(Builder->IsPartFontStored(1));
  EXPECT_GT(Builder->ViewInfo()->RowHeight(), Before);
  EXPECT_EQ(Condition(1)->RowRect().Height(), Builder->ViewInfo()->RowHeight());
  Builder->FontValue()->SetColor(clPurple);
  EXPECT_TRUE(Builder->IsPartFontStored(3));
  EXPECT_EQ(Builder->ValueEditorStyle()->Font()->Color(), clPurple);
}

// Nested groups in each painter: standard, flat, ultra-flat, Office 2003, themed.
TEST_F(FilterControlTest, NestedGroupsInEveryPainter) {
  Filter()->AddItem(nullptr, Column(kAmount), foBetween, vlMakeVariantPair(1, 5), u"1;5");
  TvlFilterCriteriaItemList* Or = Filter()->Root()->AddItemList(fboOr);
  Variant List = vlMakeVariantPair(1, 2);
  vlAppendVariant(List, 3);
  Filter()->AddItem(Or, Column(kAmount), foInList, List, u"1;2;3");
  TvlFilterCriteriaItemList* NotAnd = Or->AddItemList(fboNotAnd);
  Filter()->AddItem(NotAnd, Column(kName), foLike, u"a%", u"a%");
  Filter()->AddItem(NotAnd, Column(kName), foEqual, Null(), u"blank");
  Filter()->AddItem(Or, Column(kAmount), foToday, Null(), u"blank");
  Builder->LinkTo(Source);
  Builder->SetHeight(230);  // every row and the add-condition button whole
  const TvlLookAndFeelKind Kinds[] = {lfStandard, lfFlat, lfUltraFlat, lfOffice11, lfStandard};
  const Integer W = Builder->Width(), H = Builder->Height();
  TBitmap* Sheet = New<TBitmap>();
  Finally FreeSheet([&] { Free(Sheet); });
  Sheet->SetPixelFormat(pf32bit);
  Sheet->SetSize(W, H * 5);
  for (Integer I = 0; I < 5; ++I) {
    Builder->LookAndFeel()->SetNativeStyle(I == 4);
    Builder->LookAndFeel()->SetKind(Kinds[I]);
    Builder->LayoutChanged();
    Builder->Repaint();
    Pump();
    Sheet->Canvas()->Draw(0, H * I, Builder->ViewInfo()->Bitmap());
    if (Kinds[I] != lfOffice11) continue;
    // Its buttons are framed in the text colour, every row's alike: the
    // clear brush of one row's texts does not reach the next button.
    TCanvas* Drawn = Builder->ViewInfo()->Bitmap()->Canvas();
    auto LeftEdge = [&](const TRect& R) { return ColorToRGB(Drawn->Pixels(R.Left, (R.Top + R.Bottom) / 2)); };
    for (Integer R = 0; R < Builder->RowCount(); ++R)
      EXPECT_EQ(LeftEdge(Builder->Rows(R)->ButtonRect()), ColorToRGB(clBtnText)) << "row " << R;
    EXPECT_EQ(LeftEdge(Condition(3)->Values()->AddButtonRect()), ColorToRGB(clBtnText));
    EXPECT_EQ(LeftEdge(Builder->ViewInfo()->AddConditionRect()), ColorToRGB(clBtnText));
  }
  editors_test::ExpectPicture(Sheet, "filter-builder-painters", 1);
}

}  // namespace
