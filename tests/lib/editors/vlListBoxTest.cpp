// The list box driven with real mouse and keys on the headless screen: its
// binding of the selected text to a data set's field, read-only selection,
// integral height, and the list-box messages and coordinates it forwards.
#include <gtest/gtest.h>

#include "lib/editors/vlCheckListBox.h"
#include "lib/editors/vlListBox.h"
#include "platform/classes/StringLists.h"
#include "platform/db/MemData.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Windows.h"
#include "tests/lib/editors/FieldBinding.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

CL_IMPLEMENT_CLASS(TTestFieldBindingLink)
CL_IMPLEMENT_CLASS(TTestFieldBinding)

namespace {

using namespace win;

class TBoundListBox : public TvlListBox {
  CL_CLASS(TBoundListBox, TvlListBox)
 public:
  TClassOf<TvlCustomDataBinding> GetDataBindingClass() override { return ClassOf<TTestFieldBinding>(); }
  TTestFieldBinding* Binding() { return static_cast<TTestFieldBinding*>(DataBinding()); }
};

// Answers one height for every item of an owner-drawn variable list.
struct THeights : public TObject {
  CL_CLASS(THeights, TObject)
 public:
  Integer Height{};
  Integer Calls{};
  void Measure(TvlListBox*, Integer, Integer& AHeight) {
    ++Calls;
    AHeight = Height;
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TBoundListBox)
CL_IMPLEMENT_CLASS(THeights)

namespace {

class ListBoxTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Tariffs = New<TMemDataSet>(static_cast<TComponent*>(Form));
    Tariffs->FieldDefs()->Add(u"Tariff", ftString, 10);
    Tariffs->Open();
    for (const char16_t* t : {u"T1", u"T2", u"T3"}) Tariffs->AppendRecord({Variant(String(t))});
    Source = New<TDataSource>(static_cast<TComponent*>(Form));
    Source->SetDataSet(Tariffs);
  }
  template <class T = TvlListBox>
  T* AddList(int Top = 10) {
    T* list = Add<T>(10, Top, 150, 120);
    for (const char16_t* t : {u"T1", u"T2", u"T3", u"T4", u"T5"}) list->Items()->Add(t);
    Pump();
    return list;
  }
  void ClickItem(TvlListBox* AList, Integer AIndex) {
    const TRect r = AList->ItemRect(AIndex);
    ClickAt(AList, r.Left + 10, (r.Top + r.Bottom) / 2);
  }
  void Press(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  Integer VerticalBorders(TvlListBox* AList) {
    TRect b;
    AList->GetBorderSizes(b);
    return b.Top + b.Bottom;
  }

  TMemDataSet* Tariffs{};
  TDataSource* Source{};
};

TEST_F(ListBoxTest, IntegralHeightKeepsWholeItemsAndTheHorizontalBar) {
  TvlListBox* list = AddList();
  list->SetListStyle(lbOwnerDrawFixed);
  list->SetItemHeight(16);
  const Integer borders = VerticalBorders(list);
  const Integer hbar = GetSystemMetrics(SM_CYHSCROLL);
  struct TCase {
    const char* Name;
    Integer Asked;
    Integer ScrollWidth;
    Integer Expected;
  };
  const TCase cases[] = {
      {"exactly three rows", borders + 48, 0, borders + 48},
      {"between rows falls back", borders + 48 + 7, 0, borders + 48},
      {"below one row grows to one", 5, 0, borders + 16},
      {"past the last item keeps whole rows", borders + 7 * 16 + 3, 0, borders + 7 * 16},
      {"a wide scroll width adds the bar", borders + 48 + hbar + 2, 500, borders + 48 + hbar},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    list->SetScrollWidth(c.ScrollWidth);
    EXPECT_EQ(list->IntegralHeightFor(c.Asked), c.Expected);
  }
  list->SetScrollWidth(0);
  list->SetIntegralHeight(true);
  list->SetHeight(borders + 48 + 7);
  EXPECT_EQ(list->Height(), borders + 48);
  // An aligned list fills its side whatever the items.
  list->SetAlign(alClient);
  Pump();
  EXPECT_EQ(list->Height(), Form->ClientHeight());
}

TEST_F(ListBoxTest, IntegralHeightOverItemsMeasuredAtZeroCountsTheRowsPastThem) {
  TvlListBox* list = AddList();
  THeights* heights = New<THeights>();
  list->SetListStyle(lbOwnerDrawVariable);
  list->SetItemHeight(16);
  list->SetOnMeasureItem(TvlListBoxMeasureItemEvent(heights, &THeights::Measure));
  const Integer borders = VerticalBorders(list);
  // The five items take no room; rows past them take the item height.
  EXPECT_EQ(list->IntegralHeightFor(borders + 50), borders + 48);
  EXPECT_GT(heights->Calls, 0);
  list->SetIntegralHeight(true);
  list->SetHeight(borders + 50);
  EXPECT_EQ(list->Height(), borders + 48);
  list->SetOnMeasureItem(TvlListBoxMeasureItemEvent());
  Free(heights);
}

TEST_F(ListBoxTest, AReadOnlyListFocusesOnAClickButKeepsItsSelection) {
  TvlListBox* list = AddList();
  list->SetItemIndex(1);
  list->SetReadOnly(true);
  ClickItem(list, 3);
  EXPECT_TRUE(list->InnerListBox()->Focused());
  EXPECT_EQ(list->ItemIndex(), 1);
  Press(VK_DOWN);
  Press(VK_END);
  EXPECT_EQ(list->ItemIndex(), 1);

  list->SetReadOnly(false);
  ClickItem(list, 3);
  EXPECT_EQ(list->ItemIndex(), 3);
  Press(VK_UP);
  EXPECT_EQ(list->ItemIndex(), 2);
}

TEST_F(ListBoxTest, TheSelectedTextFollowsAndWritesTheBoundField) {
  TBoundListBox* list = AddList<TBoundListBox>();
  TvlListBox* other = AddList(150);
  Tariffs->First();
  Tariffs->Next();
  list->Binding()->Bind(Source, u"Tariff");
  EXPECT_EQ(list->ItemIndex(), 1);
  Tariffs->Next();
  EXPECT_EQ(list->ItemIndex(), 2);

  // A click edits the record; leaving the list writes the field.
  ClickItem(list, 4);
  EXPECT_EQ(list->ItemIndex(), 4);
  EXPECT_EQ(Tariffs->State(), dsEdit);
  ClickItem(other, 0);
  EXPECT_EQ(VarToStr(Tariffs->FieldByName(u"Tariff")->Value()), u"T5");

  // Escape puts the list back on the stored value.
  Tariffs->Cancel();
  list->SetFocus();
  Pump();
  ClickItem(list, 0);
  Press(VK_ESCAPE);
  EXPECT_EQ(list->ItemIndex(), 2);

  // New items pick the stored text again.
  TStringList* items = New<TStringList>();
  for (const char16_t* t : {u"T3", u"T2"}) items->Add(t);
  list->SetItems(items);
  Free(items);
  EXPECT_EQ(list->ItemIndex(), 0);
}

TEST_F(ListBoxTest, ADataSetClosedOrFreedWhileBoundClearsTheSelection) {
  TBoundListBox* list = AddList<TBoundListBox>();
  Tariffs->First();
  list->Binding()->Bind(Source, u"Tariff");
  EXPECT_EQ(list->ItemIndex(), 0);
  Tariffs->Close();
  EXPECT_EQ(list->ItemIndex(), -1);
  // Without live data nothing can be chosen.
  ClickItem(list, 2);
  EXPECT_EQ(list->ItemIndex(), -1);

  Tariffs->Open();
  EXPECT_EQ(list->ItemIndex(), 0);
  FreeAndNil(Tariffs);
  EXPECT_EQ(list->ItemIndex(), -1);
  ClickItem(list, 2);
  Press(VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ListBoxTest, KeysAndClicksOnEmptyListsSelectAndToggleNothing) {
  TvlListBox* list = Add<TvlListBox>(10, 10, 150, 120);
  TvlCheckListBox* checks = Add<TvlCheckListBox>(170, 10, 150, 120);
  TvlCheckListBox* plain = Add<TvlCheckListBox>(10, 140, 150, 120);
  plain->SetShowChecks(false);
  Pump();
  for (TvlContainer* box : {static_cast<TvlContainer*>(list), static_cast<TvlContainer*>(checks),
                            static_cast<TvlContainer*>(plain)}) {
    ClickAt(box, 20, 8);
    for (UINT key : {UINT(VK_DOWN), UINT(VK_UP), UINT(VK_NEXT), UINT(VK_PRIOR), UINT(VK_END), UINT(VK_HOME),
                     UINT(VK_SPACE), UINT('A'), UINT(VK_ESCAPE)})
      Press(key);
  }
  EXPECT_EQ(list->ItemIndex(), -1);
  for (TvlCheckListBox* box : {checks, plain}) {
    EXPECT_EQ(box->ItemIndex(), -1);
    EXPECT_EQ(box->EditValue().AsInteger(), 0);
    EXPECT_FALSE(box->IsModified());
  }
}

TEST_F(ListBoxTest, ListMessagesAndCoordinatesGoThroughTheContainer) {
  TvlListBox* list = AddList();
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 5);
  SendMessageW(list->Handle(), LB_SETCURSEL, 2, 0);
  EXPECT_EQ(list->ItemIndex(), 2);
  const TRect first = list->ItemRect(0);
  EXPECT_EQ(first.Left, list->InnerListBox()->Left());
  EXPECT_EQ(first.Top, list->InnerListBox()->Top());
  EXPECT_EQ(list->ItemAtPos(TPoint{first.Left + 3, first.Top + 2}, true), 0);
  EXPECT_EQ(list->ItemAtPos(TPoint{0, 0}, true), -1);
  EXPECT_EQ(list->ItemAtPos(TPoint{first.Left + 3, list->Height() - 3}, true), -1);
  TObject* tag = New<TObject>();
  list->Items()->AddObject(u"T6", tag);
  list->SetItemObject(tag);
  EXPECT_EQ(list->ItemIndex(), 5);
  EXPECT_EQ(list->ItemObject(), tag);
  list->Clear();
  EXPECT_EQ(list->ItemObject(), nullptr);
  Free(tag);
}

}  // namespace
