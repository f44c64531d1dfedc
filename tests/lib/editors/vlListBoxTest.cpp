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
#include "platform/classes/Filer.h"
#include "platform/rtl/Finally.h"
#include "tests/lib/editors/FieldBinding.h"
#include "tests/lib/editors/FormFromText.h"
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

// --- Form files ---------------------------------------------------------------------------------

// Both lists are read from a form file by their published properties, and
// what a form writes of them reads back the same (the check list's caption
// travels once, as Text; the value format comes before the items, so a
// format that limits the count is not checked against a longer list).
TEST_F(ListBoxTest, BothListsAreReadFromAFormFileAndWrittenBack) {
  const char* text =
      "object Form1: TForm\n"
      "  object List1: TvlListBox\n"
      "    Left = 8\n    Top = 8\n    Width = 120\n    Height = 97\n"
      "    Columns = 2\n    ExtendedSelect = False\n    ItemHeight = 20\n"
      "    Items.Strings = (\n      'T3'\n      'T1'\n      'T2')\n"
      "    ListStyle = lbOwnerDrawFixed\n    MultiSelect = True\n    ReadOnly = True\n"
      "    Sorted = True\n    Style.BorderStyle = cbsSingle\n    TabStop = False\n    TabWidth = 12\n"
      "  end\n"
      "  object Checks1: TvlCheckListBox\n"
      "    Left = 8\n    Top = 120\n    Width = 120\n    Height = 97\n"
      "    AllowGrayed = True\n    EditValueFormat = cvfStatesString\n"
      "    ImageLayout = ilAfterChecks\n"
      "    Items = <\n"
      "      item\n        State = cbsChecked\n        Text = 'Gece'\n      end\n"
      "      item\n        Enabled = False\n        ImageIndex = 2\n        State = cbsGrayed\n"
      "        Text = 'Gündüz'\n      end\n"
      "      item\n        Text = 'Puant'\n      end>\n"
      "    ShowChecks = False\n"
      "  end\n"
      "end\n";
  auto check = [](TForm* F) {
    auto* list = dynamic_cast<TvlListBox*>(F->FindComponent(u"List1"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Columns(), 2);
    EXPECT_FALSE(list->ExtendedSelect());
    EXPECT_EQ(list->ItemHeight(), 20);
    ASSERT_EQ(list->Items()->Count(), 3);
    EXPECT_EQ(list->Items()->Strings(0), u"T1");  // sorted
    EXPECT_EQ(list->ListStyle(), lbOwnerDrawFixed);
    EXPECT_TRUE(list->MultiSelect());
    EXPECT_TRUE(list->ReadOnly());
    EXPECT_EQ(list->Style()->BorderStyle(), cbsSingle);
    EXPECT_FALSE(list->TabStop());
    EXPECT_EQ(list->TabWidth(), 12);
    EXPECT_TRUE(list->AutoComplete());  // defaults kept
    EXPECT_FALSE(list->ParentColor());

    auto* checks = dynamic_cast<TvlCheckListBox*>(F->FindComponent(u"Checks1"));
    ASSERT_NE(checks, nullptr);
    EXPECT_TRUE(checks->AllowGrayed());
    EXPECT_EQ(checks->EditValueFormat(), cvfStatesString);
    EXPECT_EQ(checks->ImageLayout(), ilAfterChecks);
    EXPECT_FALSE(checks->ShowChecks());
    ASSERT_EQ(checks->Items()->Count(), 3);
    const TvlCheckListBoxItem* second = checks->Items()->Items(1);
    EXPECT_EQ(checks->Items()->Items(0)->Text(), u"Gece");
    EXPECT_EQ(second->Text(), u"Gündüz");
    EXPECT_FALSE(second->Enabled());
    EXPECT_EQ(second->ImageIndex(), 2);
    EXPECT_EQ(second->State(), cbsGrayed);
    EXPECT_EQ(checks->Items()->Items(2)->State(), cbsUnchecked);
    EXPECT_EQ(VarToStr(checks->EditValue()), u"120");
    EXPECT_TRUE(checks->TabStop());
  };
  TForm* form = NewFormFromText(RawByteString(text));
  Finally freeForm([&] { Free(form); });
  check(form);
  TMemoryStream* written = New<TMemoryStream>();
  Finally freeWritten([&] { Free(written); });
  WriteComponentToStream(written, form);
  written->SetPosition(0);
  const RawByteString back = ObjectBinaryToText(
      RawByteString(static_cast<const char*>(written->Memory()), size_t(written->Size())));
  EXPECT_EQ(back.find("Caption =", back.find("Checks1")), std::string::npos) << back;
  TForm* again = NewFormFromText(back);
  Finally freeAgain([&] { Free(again); });
  check(again);
}

// Boxes left at their defaults write none of the defaulted properties (nor
// the check list box's edit value, which is never stored).
TEST_F(ListBoxTest, DefaultsAreNotWrittenToAFormFile) {
  TForm* form = NewFormFromText(RawByteString(
      "object Form1: TForm\n"
      "  object List1: TvlListBox\n    Left = 8\n  end\n"
      "  object Checks1: TvlCheckListBox\n    Left = 8\n  end\n"
      "end\n"));
  Finally freeForm([&] { Free(form); });
  TMemoryStream* written = New<TMemoryStream>();
  Finally freeWritten([&] { Free(written); });
  WriteComponentToStream(written, form);
  const RawByteString back = ObjectBinaryToText(
      RawByteString(static_cast<const char*>(written->Memory()), size_t(written->Size())));
  for (const char* name :
       {"AutoComplete", "Columns", "ExtendedSelect", "ImeMode", "IntegralHeight", "ListStyle", "MultiSelect",
        "ParentColor", "ReadOnly", "ScrollWidth", "Sorted", "TabStop", "TabWidth", "AllowDblClickToggle",
        "AllowGrayed", "EditValue", "GlyphCount", "ImageLayout", "ShowChecks", "Align"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(back.find(std::string("    ") + name), std::string::npos) << back;
  }
  EXPECT_NE(back.find("Left = 8"), std::string::npos) << back;
}

}  // namespace
