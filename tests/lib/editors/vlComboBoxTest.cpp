// The drop-down editors driven with real mouse and keys on the headless
// screen: the combo box, its popup window and the drop-down protocol
// (opening through the posted message, the close-up reasons, the size the
// user gives the popup), and the editor freed, disabled or its form closed
// while the popup is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <string>
#include <vector>

#include "lib/editors/vlComboBox.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/editors/vlMRUEdit.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/classes/TypInfo.h"
#include "tests/lib/editors/FormFromText.h"
#include "tests/lib/editors/ScreenSheet.h"
#include "tests/lib/lookandfeel/ControlFixture.h"
#include "tests/support/ReferencePictures.h"

using namespace win;

namespace {

class TComboRecorder : public TObject {
  CL_CLASS(TComboRecorder, TObject)
 public:
  std::vector<std::string> Log;
  std::vector<TvlEditCloseUpReason> Reasons;
  TvlCustomComboBox* FreeOnCloseUp{};
  TvlCustomComboBox* ReopenOnCloseUp{};
  // The owner-drawn text area: the items and states drawn.
  std::vector<std::pair<Integer, TOwnerDrawState>> Drawn;
  std::vector<TvlLookAndFeelValues> LookAndFeelChanges;
  void Note(const char* S) { Log.emplace_back(S); }
  Integer Count(const char* S) const { return Integer(std::count(Log.begin(), Log.end(), std::string(S))); }
  // Freed (or disabled) from the next OnChange or OnClick.
  TvlCustomComboBox* FreeOnChange{};
  TvlCustomComboBox* FreeOnClick{};
  TvlCustomComboBox* DisableOnClick{};
  TvlCustomComboBox* DisableOnCloseUp{};
  void ValueChanged(TObject*) { Note("value"); }
  void MeasureItem(TvlCustomComboBox*, Integer AIndex, TvlCanvas*, Integer& AHeight) {
    if (AIndex == RaiseOnItem) throw Exception(u"cannot measure");
    AHeight = 18;
  }
  // The item an OnChange handler reads from Watched.
  TvlCustomComboBox* Watched{};
  std::vector<Integer> ItemOnChange;
  void Changed(TObject*) {
    Note("change");
    if (Watched) ItemOnChange.push_back(Watched->ItemIndex());
    FreeNow(FreeOnChange);
  }
  void Clicked(TObject*) {
    Note("click");
    FreeNow(FreeOnClick);
    if (DisableOnClick) std::exchange(DisableOnClick, nullptr)->SetEnabledProp(false);
  }
  void InitPopup(TObject*) { Note("init"); }
  void FinalizePopup(TObject*) { Note("finalize"); }
  TvlCustomComboBox* FreeOnPopup{};
  TvlCustomComboBox* FreeOnDrawItem{};
  // The item whose drawing raises (-1: none), and the exceptions that reached the application.
  Integer RaiseOnItem{-1};
  std::vector<String> Failures;
  void Failed(TObject*, const Exception& E) { Failures.push_back(E.Message()); }
  void Popup(TObject*) {
    Note("popup");
    FreeNow(FreeOnPopup);
  }
  static void FreeNow(TvlCustomComboBox*& AEditor) {
    if (!AEditor) return;
    TvlCustomComboBox* c = AEditor;
    AEditor = nullptr;
    Free(c);
  }
  void CloseUp(TObject*) {
    Note("closeup");
    if (ReopenOnCloseUp) {
      TvlCustomComboBox* c = ReopenOnCloseUp;
      ReopenOnCloseUp = nullptr;
      c->SetDroppedDown(true);
    }
    if (FreeOnCloseUp) {
      TvlCustomComboBox* c = FreeOnCloseUp;
      FreeOnCloseUp = nullptr;
      Free(c);
    }
    if (DisableOnCloseUp) std::exchange(DisableOnCloseUp, nullptr)->SetEnabledProp(false);
  }
  void ClosePopup(TvlControl*, TvlEditCloseUpReason AReason) { Reasons.push_back(AReason); }
  void DrawItem(TvlCustomComboBox*, TvlCanvas* ACanvas, Integer AIndex, const TRect& ARect, TOwnerDrawState AState) {
    Drawn.emplace_back(AIndex, AState);
    if (AIndex == RaiseOnItem) throw Exception(u"cannot draw");
    if (FreeOnDrawItem) {
      FreeNow(FreeOnDrawItem);
      return;
    }
    // A green mark shows which area the handler was given.
    ACanvas->FillRect(ARect, clLime);
  }
  void LookAndFeelChanged(TvlLookAndFeel*, TvlLookAndFeelValues AValues) { LookAndFeelChanges.push_back(AValues); }
};
CL_IMPLEMENT_CLASS(TComboRecorder)

class ComboBoxTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TComboRecorder>();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    Free(Recorder);
  }
  // The port-choice combo: COM1 to COM4, a fixed list, the text updated at once.
  TvlComboBox* AddPortCombo(Integer ATop = 10) {
    TvlComboBox* c = AddCombo({u"COM1", u"COM2", u"COM3", u"COM4"}, ATop);
    c->Properties()->SetDropDownListStyle(lsFixedList);
    c->Properties()->SetImmediateUpdateText(true);
    return c;
  }
  TvlComboBox* AddCombo(std::initializer_list<const char16_t*> AItems, Integer ATop = 10) {
    TvlComboBox* c = Add<TvlComboBox>(10, ATop, 150, 21);
    for (const char16_t* s : AItems) c->Properties()->Items()->Add(s);
    TvlComboBoxProperties* p = c->Properties();
    p->SetOnChange(TNotifyEvent(Recorder, &TComboRecorder::Changed));
    p->SetOnInitPopup(TNotifyEvent(Recorder, &TComboRecorder::InitPopup));
    p->SetOnFinalizePopup(TNotifyEvent(Recorder, &TComboRecorder::FinalizePopup));
    p->SetOnPopup(TNotifyEvent(Recorder, &TComboRecorder::Popup));
    p->SetOnCloseUp(TNotifyEvent(Recorder, &TComboRecorder::CloseUp));
    p->SetOnClosePopup(TvlEditClosePopupEvent(Recorder, &TComboRecorder::ClosePopup));
    c->SetOnClick(TNotifyEvent(Recorder, &TComboRecorder::Clicked));
    Pump();
    return c;
  }
  // A click on the drop-down button.
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
  TListBox* ListOf(TvlCustomComboBox* C) { return dynamic_cast<TListBox*>(C->LookupListControl()); }
  // A click on an item of the open list.
  void ClickItem(TvlCustomComboBox* C, Integer AIndex) {
    TListBox* list = ListOf(C);
    ASSERT_NE(list, nullptr);
    const TRect r = list->ItemRect(AIndex);
    MoveTo(list, r.Left + 10, (r.Top + r.Bottom) / 2);
    ClickAt(list, r.Left + 10, (r.Top + r.Bottom) / 2);
  }
  TComboRecorder* Recorder{};
};

// --- The port-choice combo ----------------------------------------------------------------------------------

TEST_F(ComboBoxTest, PortComboOpensByClickStepsByKeysAndPicksWithTheMouse) {
  TvlComboBox* c = AddPortCombo();
  c->SetItemIndex(0);
  EXPECT_EQ(c->Text(), u"COM1");
  Recorder->Log.clear();
  ClickButton(c);
  ASSERT_TRUE(c->DroppedDown());
  EXPECT_EQ(Recorder->Count("popup"), 1);
  TListBox* list = ListOf(c);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Items()->Count(), 4);
  EXPECT_EQ(list->ItemIndex(), 0);
  // Down steps through the list; with ImmediateUpdateText the text follows.
  Key(VK_DOWN);
  EXPECT_TRUE(c->DroppedDown());
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(c->Text(), u"COM2");
  Recorder->Log.clear();
  ClickItem(c, 2);
  EXPECT_FALSE(c->DroppedDown());
  ASSERT_FALSE(Recorder->Reasons.empty());
  EXPECT_EQ(Recorder->Reasons.back(), crEnter);
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(c->Text(), u"COM3");
  EXPECT_GE(Recorder->Count("change"), 1);
  EXPECT_EQ(Recorder->Count("click"), 1);
}

TEST_F(ComboBoxTest, AClickInTheTextOfAFixedListOpensIt) {
  TvlComboBox* c = AddPortCombo();
  ClickAt(c, 20, 10);
  Pump();
  if (!c->DroppedDown()) ClickAt(c, 20, 10);  // the first click may only focus
  EXPECT_TRUE(c->DroppedDown());
  // A click on the editor while open closes it, and does not open it again.
  ClickAt(c, 20, 10);
  EXPECT_FALSE(c->DroppedDown());
}

TEST_F(ComboBoxTest, OnClickFiresOnlyWhenTheItemChanges) {
  TvlComboBox* c = AddPortCombo();
  c->SetItemIndex(1);
  Recorder->Log.clear();
  ClickAt(c, 20, 10);
  ClickButton(c);
  if (!c->DroppedDown()) ClickButton(c);
  ASSERT_TRUE(c->DroppedDown());
  ClickItem(c, 1);  // the current item again
  EXPECT_EQ(Recorder->Count("click"), 0);
  ClickButton(c);
  ASSERT_TRUE(c->DroppedDown());
  ClickItem(c, 3);
  EXPECT_EQ(Recorder->Count("click"), 1);
  EXPECT_EQ(c->ItemIndex(), 3);
}

// --- Under a mask ----------------------------------------------------------------------------------------------

// The combo box is a masked editor: with a date mask typed characters go
// through the mask, and the opening keys still come before the mask's own
// Up and Down handling.
TEST_F(ComboBoxTest, AComboWithADateMaskTypesThroughTheMask) {
  TvlComboBox* c = AddCombo({u"01.01.2020", u"31.12.2021"});
  c->Properties()->SetMaskKind(emkStandard);
  c->Properties()->SetEditMask(u"99.99.0000;1; ");
  Pump();
  ClickAt(c, 20, 10);
  Pump();
  if (c->DroppedDown()) c->SetDroppedDown(false);
  EXPECT_EQ(c->Text(), u"  .  .    ");
  Key(VK_HOME);
  Display.TypeText(u"12x022011");
  Pump();
  EXPECT_EQ(c->Text(), u"12.02.2011");
  EXPECT_TRUE(c->ValidateEdit(false));
  Key(VK_BACK);
  EXPECT_EQ(c->Text(), u"12.02.201 ");
  // Alt+Down opens the list although the mask takes plain Up and Down.
  if (c->DroppedDown()) c->SetDroppedDown(false);
  Key(VK_DOWN, VK_MENU);
  EXPECT_TRUE(c->DroppedDown());
  Key(VK_UP, VK_MENU);
  EXPECT_FALSE(c->DroppedDown());
}

// The port dialog's combo is stored with the regular-expression kind and an
// empty mask: it must behave as the plain combo.
TEST_F(ComboBoxTest, AnEmptyRegularExpressionMaskLeavesThePortComboAsItWas) {
  for (const Boolean regExpr : {false, true}) {
    SCOPED_TRACE(regExpr ? "empty regular expression" : "no mask");
    TvlComboBox* c = AddPortCombo();
    if (regExpr) {
      c->Properties()->SetMaskKind(emkRegExpr);
      c->Properties()->SetEditMask(String());
    }
    EXPECT_FALSE(c->IsMasked());
    c->SetItemIndex(0);
    ClickButton(c);
    ASSERT_TRUE(c->DroppedDown());
    Key(VK_DOWN);
    EXPECT_TRUE(c->DroppedDown());
    EXPECT_EQ(c->Text(), u"COM2");
    Key(VK_RETURN);
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->ItemIndex(), 1);
    // Closed, Down steps through the fixed list and typing searches it.
    Key(VK_DOWN);
    EXPECT_EQ(c->Text(), u"COM3");
    Key(VK_DOWN, VK_MENU);
    EXPECT_TRUE(c->DroppedDown());
    Key(VK_ESCAPE);
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->Text(), u"COM3");
    Free(c);
  }
}

// --- The list changed under an open popup -----------------------------------------------------------------------

// Items cleared or cut short while the list is open: the accepting keys and
// a click on the list must not take over an item that is gone.
TEST_F(ComboBoxTest, ItemsChangedWhileTheListIsOpenLeaveNoStaleItem) {
  struct TCase {
    const char* Name;
    Integer Keep;  // items left
    UINT Key;      // 0: a click on the list instead
  } cases[] = {
      {"cleared, Enter", 0, VK_RETURN},
      {"cut short, Enter", 1, VK_RETURN},
      {"cut short, F4", 1, VK_F4},
      {"cut short, click", 1, 0},
  };
  for (const TCase& t : cases) {
    SCOPED_TRACE(t.Name);
    TvlComboBox* c = AddPortCombo();
    c->SetItemIndex(0);
    ClickButton(c);
    ASSERT_TRUE(c->DroppedDown());
    Key(VK_DOWN);
    Key(VK_DOWN);
    ASSERT_EQ(c->Text(), u"COM3");
    TStrings* items = c->Properties()->Items();
    while (items->Count() > t.Keep) items->Delete(items->Count() - 1);
    Pump();
    if (t.Key) {
      Key(t.Key);
    } else if (c->DroppedDown()) {
      ClickItem(c, 2);  // where the third item was
      if (c->DroppedDown()) c->SetDroppedDown(false);
    }
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_LT(c->ItemIndex(), t.Keep);
    Free(c);
  }
}

// The item under a held mouse button deleted before the button comes up:
// the release picks nothing that is gone.
TEST_F(ComboBoxTest, AnItemDeletedUnderTheMouseIsNotPicked) {
  TvlComboBox* c = AddPortCombo();
  c->SetItemIndex(0);
  ClickButton(c);
  ASSERT_TRUE(c->DroppedDown());
  TListBox* list = ListOf(c);
  ASSERT_NE(list, nullptr);
  const TRect r = list->ItemRect(3);
  const TPoint p = list->ClientToScreen(TPoint{r.Left + 10, (r.Top + r.Bottom) / 2});
  Display.MouseMove(p.X, p.Y);
  Display.MouseDown(p.X, p.Y);
  Pump();
  TStrings* items = c->Properties()->Items();
  items->Delete(3);
  Pump();
  Display.MouseUp(p.X, p.Y);
  Pump();
  if (c->DroppedDown()) c->SetDroppedDown(false);
  EXPECT_LT(c->ItemIndex(), 3);
  EXPECT_NE(c->Text(), u"COM4");
  EXPECT_EQ(vlOpenPopupCount(), 0);
}

// A combo column edits its filter value through the masked set-up: a
// regular-expression mask takes the completing kind.
TEST(ComboBoxFilterTest, TheFilterComboTakesTheMaskedSetUp) {
  TvlComboBoxProperties* column = New<TvlComboBoxProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeColumn([&] { Free(column); });
  column->SetMaskKind(emkRegExpr);
  column->SetEditMask(u"COM[1-4]");
  TvlCustomFilterEditHelperClass helper = ClassOf<TvlFilterComboBoxHelper>();
  EXPECT_TRUE(helper->EditPropertiesHasButtons());
  TvlCustomEdit* edit = helper->GetFilterEdit(column);
  Finally freeEdit([&] { Free(edit); });
  auto* combo = dynamic_cast<TvlComboBox*>(edit);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->Properties()->MaskKind(), emkRegExprEx);
  EXPECT_EQ(combo->Properties()->EditMask(), u"COM[1-4]");
  EXPECT_FALSE(combo->Properties()->ImmediateDropDown());
}

// Every property and event a form file may hold for a combo box and its
// properties is published.
TEST(ComboBoxPublishedTest, TheFormPropertiesArePublished) {
  for (const char16_t* name :
       {u"Alignment", u"AssignedValues", u"AutoSelect", u"BeepOnError", u"ButtonGlyph", u"CaseInsensitive",
        u"CharCase", u"ClearKey", u"DropDownAutoWidth", u"DropDownListStyle", u"DropDownRows", u"DropDownSizeable",
        u"DropDownWidth", u"HideSelection", u"IgnoreMaskBlank", u"ImeMode", u"ImeName", u"ImmediateDropDown",
        u"ImmediatePost", u"ImmediateUpdateText", u"IncrementalSearch", u"ItemHeight", u"Items", u"MaskKind",
        u"EditMask", u"MaxLength", u"OEMConvert", u"PopupAlignment", u"PostPopupValueOnTab", u"ReadOnly",
        u"Revertable", u"Sorted", u"UseLeftAlignmentOnEditing", u"ValidateOnEnter", u"OnChange", u"OnCloseUp",
        u"OnDrawItem", u"OnEditValueChanged", u"OnInitPopup", u"OnMeasureItem", u"OnNewLookupDisplayText",
        u"OnPopup", u"OnValidate"})
    EXPECT_NE(GetPropInfo(ClassOf<TvlComboBoxProperties>(), name), nullptr) << UTF16ToUTF8(name);
}

// Only a freely typed, unmasked list is offered to spelling.
TEST(ComboBoxSpellingTest, OnlyAnUnmaskedEditListIsSpelled) {
  // Reaches the protected answer without making an object of another class.
  struct TProbe : TvlCustomComboBox {
    static Boolean Spelled(TvlCustomComboBox* C) { return (C->*(&TProbe::SupportsSpelling))(); }
  };
  struct TCase {
    TvlEditDropDownListStyle Style;
    const char16_t* Mask;
    Boolean Spelled;
  } cases[] = {
      {lsEditList, u"", true},
      {lsEditFixedList, u"", false},
      {lsFixedList, u"", false},
      {lsEditList, u"000", false},
  };
  for (const TCase& t : cases) {
    SCOPED_TRACE(testing::Message() << int(t.Style) << " " << UTF16ToUTF8(t.Mask));
    TvlComboBox* c = New<TvlComboBox>(static_cast<TComponent*>(nullptr));
    Finally freeCombo([&] { Free(c); });
    c->Properties()->SetDropDownListStyle(t.Style);
    c->Properties()->SetEditMask(t.Mask);
    EXPECT_EQ(TProbe::Spelled(c), t.Spelled);
  }
}

// --- Opening --------------------------------------------------------------------------------------------------

TEST_F(ComboBoxTest, TwoDroppedDownRequestsBeforeTheLoopRunsOpenOnePopup) {
  TvlComboBox* c = AddPortCombo();
  c->SetDroppedDown(true);
  c->SetDroppedDown(true);
  EXPECT_FALSE(c->DroppedDown());  // shown when the message loop delivers it
  Pump();
  EXPECT_TRUE(c->DroppedDown());
  EXPECT_EQ(Recorder->Count("init"), 1);
  EXPECT_EQ(Recorder->Count("popup"), 1);
  EXPECT_EQ(vlOpenPopupCount(), 1);
  c->SetDroppedDown(false);
  EXPECT_EQ(Recorder->Count("finalize"), 1);
  EXPECT_EQ(vlOpenPopupCount(), 0);
}

TEST_F(ComboBoxTest, WithoutItemsItNeverOpensButInitialisesAndFinalisesOnce) {
  TvlComboBox* c = AddCombo({});
  ClickButton(c);
  Key(VK_F4);
  Key(VK_DOWN, VK_MENU);
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(vlOpenPopupCount(), 0);
  EXPECT_EQ(Recorder->Count("init"), Recorder->Count("finalize"));
  EXPECT_GE(Recorder->Count("init"), 1);
  EXPECT_EQ(Recorder->Count("popup"), 0);
}

// --- Closing and its reasons ---------------------------------------------------------------------------------

TEST_F(ComboBoxTest, EachWayOfClosingReportsItsReason) {
  struct TCase {
    const char* Name;
    UINT Key, Modifier;  // 0: an outside click instead
    Boolean PostOnTab;
    TvlEditCloseUpReason Reason;
  } cases[] = {
      {"Escape", VK_ESCAPE, 0, false, crCancel},
      {"Enter", VK_RETURN, 0, false, crEnter},
      {"Alt+Up", VK_UP, VK_MENU, false, crClose},
      {"F4", VK_F4, 0, false, crClose},
      {"Tab", VK_TAB, 0, false, crUnknown},
      {"Tab posting", VK_TAB, 0, true, crTab},
      {"outside click", 0, 0, false, crUnknown},
  };
  for (const TCase& t : cases) {
    SCOPED_TRACE(t.Name);
    TvlComboBox* c = AddPortCombo();
    Add<TvlComboBox>(10, 100, 150, 21);  // somewhere for Tab to go
    c->Properties()->SetPostPopupValueOnTab(t.PostOnTab);
    ClickAt(c, 20, 10);
    if (c->DroppedDown()) c->SetDroppedDown(false);
    Key(VK_DOWN, VK_MENU);
    ASSERT_TRUE(c->DroppedDown());
    Recorder->Reasons.clear();
    if (t.Key)
      Key(t.Key, t.Modifier);
    else
      ClickAt(Form, 300, 250);
    EXPECT_FALSE(c->DroppedDown());
    ASSERT_EQ(Recorder->Reasons.size(), 1u);
    EXPECT_EQ(Recorder->Reasons[0], t.Reason);
    EXPECT_EQ(vlOpenPopupCount(), 0);
    Free(c);
  }
}

TEST_F(ComboBoxTest, EscapeClosesWithoutRevertingAndASecondEscapeReachesTheEditor) {
  TvlComboBox* c = AddCombo({u"Alpha", u"Beta", u"Bravo"});
  ClickAt(c, 20, 10);
  Display.TypeText(u"b");
  Pump();
  ASSERT_TRUE(c->DroppedDown());  // typing opens it (ImmediateDropDown)
  EXPECT_EQ(c->Text(), u"beta");
  Key(VK_ESCAPE);
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(c->Text(), u"beta");
  Key(VK_ESCAPE);
  EXPECT_EQ(c->Text(), u"");
}

// Escape on the closed editor reverts a change: the text and the item go
// back together to what they were on entry, also when nothing was chosen.
TEST_F(ComboBoxTest, EscapeRevertsTheItemWithTheText) {
  struct TCase {
    const char* Name;
    Integer Before;  // the item on entry (-1: none)
    Boolean Pick;    // changed by a mouse pick in the list, else by Down
  } cases[] = {
      {"none, Down", -1, false},
      {"none, picked", -1, true},
      {"COM2, Down", 1, false},
      {"COM2, picked", 1, true},
  };
  for (const TCase& t : cases) {
    SCOPED_TRACE(t.Name);
    TvlComboBox* c = AddPortCombo();
    c->SetItemIndex(t.Before);
    const String before = c->Text();
    c->SetFocus();
    Pump();
    if (t.Pick) {
      Key(VK_DOWN, VK_MENU);
      ASSERT_TRUE(c->DroppedDown());
      ClickItem(c, 3);
    } else {
      Key(VK_DOWN);
    }
    ASSERT_FALSE(c->DroppedDown());
    ASSERT_NE(c->ItemIndex(), t.Before);
    Recorder->Log.clear();
    Recorder->Watched = c;
    Recorder->ItemOnChange.clear();
    Key(VK_ESCAPE);
    Recorder->Watched = nullptr;
    EXPECT_EQ(c->Text(), before);
    EXPECT_EQ(c->ItemIndex(), t.Before);
    // OnChange already reads the item of the text it reports.
    ASSERT_FALSE(Recorder->ItemOnChange.empty());
    EXPECT_EQ(Recorder->ItemOnChange.back(), t.Before);
    // The list opens on the item of the value shown.
    Key(VK_DOWN, VK_MENU);
    ASSERT_TRUE(c->DroppedDown());
    EXPECT_EQ(ListOf(c)->ItemIndex(), t.Before);
    Key(VK_ESCAPE);
    Free(c);
  }
}

TEST_F(ComboBoxTest, TheOwnerLosingActivationOrItsFormClosingClosesThePopup) {
  for (UINT msg : {UINT(WM_ACTIVATEAPP), UINT(WM_CLOSE)}) {
    SCOPED_TRACE(msg);
    TvlComboBox* c = AddPortCombo();
    c->SetDroppedDown(true);
    Pump();
    ASSERT_TRUE(c->DroppedDown());
    Recorder->Reasons.clear();
    SendMessageW(Form->WindowHandle(), msg, 0, 0);
    Pump();
    // The application is active again for the tests that follow.
    if (msg == WM_ACTIVATEAPP) SendMessageW(Form->WindowHandle(), WM_ACTIVATEAPP, 1, 0);
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(vlOpenPopupCount(), 0);
    ASSERT_EQ(Recorder->Reasons.size(), 1u);
    EXPECT_EQ(Recorder->Reasons[0], crUnknown);
    Free(c);
    if (!Form->Visible()) Form->Show();
    Pump();
  }
}

// --- The editor going away while open -----------------------------------------------------------------------

TEST_F(ComboBoxTest, TheEditorFreedWhileOpenTakesItsPopupWithIt) {
  TvlComboBox* c = AddPortCombo();
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  Free(c);
  EXPECT_EQ(vlOpenPopupCount(), 0);
  // Clicks and keys afterwards reach nothing freed.
  ClickAt(Form, 50, 150);
  Key(VK_ESCAPE);
}

TEST_F(ComboBoxTest, TheEditorFreedFromItsOnCloseUpStopsThere) {
  TvlComboBox* c = AddPortCombo();
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  Recorder->FreeOnCloseUp = c;
  ClickAt(c, 20, 10);  // focus
  Key(VK_RETURN);
  EXPECT_EQ(Recorder->FreeOnCloseUp, nullptr);
  EXPECT_EQ(vlOpenPopupCount(), 0);
  Key(VK_DOWN);
}

// The editor freed from a handler it runs while opening or drawing its list:
// nothing touches the freed editor, and no popup stays open.
TEST_F(ComboBoxTest, TheEditorFreedFromItsOpeningOrDrawingHandlers) {
  for (const Boolean fromDraw : {false, true}) {
    SCOPED_TRACE(fromDraw ? "OnDrawItem" : "OnPopup");
    TvlComboBox* c = AddPortCombo();
    if (fromDraw) {
      c->Properties()->SetOnDrawItem(TvlEditDrawItemEvent(Recorder, &TComboRecorder::DrawItem));
      Recorder->FreeOnDrawItem = c;
    } else
      Recorder->FreeOnPopup = c;
    ClickButton(c);
    Pump();
    EXPECT_EQ(fromDraw ? Recorder->FreeOnDrawItem : Recorder->FreeOnPopup, nullptr);
    EXPECT_EQ(vlOpenPopupCount(), 0);
    ClickAt(Form, 50, 150);
    Key(VK_ESCAPE);
  }
}

// A draw handler that raises on the first item while the list opens: the
// exception reaches the application once, nothing hangs, no popup is left
// open, and the editor opens again and picks when the handler stops raising.
TEST_F(ComboBoxTest, ADrawHandlerRaisingWhileTheListOpensReachesTheApplicationOnce) {
  Application->SetOnException(TExceptionEvent(Recorder, &TComboRecorder::Failed));
  Finally restore([] { Application->SetOnException(TExceptionEvent()); });
  for (const Boolean byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "Alt+Down" : "click");
    TvlComboBox* c = AddPortCombo();
    c->Properties()->SetOnDrawItem(TvlEditDrawItemEvent(Recorder, &TComboRecorder::DrawItem));
    Recorder->RaiseOnItem = 0;
    Recorder->Failures.clear();
    c->SetFocus();
    Pump();
    if (byKey)
      Key(VK_DOWN, VK_MENU);
    else
      ClickButton(c);
    Pump();
    Pump();
    EXPECT_EQ(Recorder->Failures.size(), 1u);
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(vlOpenPopupCount(), 0);
    // The editor still works.
    Recorder->RaiseOnItem = -1;
    Recorder->Failures.clear();
    Key(VK_DOWN, VK_MENU);
    ASSERT_TRUE(c->DroppedDown());
    ClickItem(c, 2);
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->Text(), u"COM3");
    EXPECT_TRUE(Recorder->Failures.empty());
    Free(c);
  }
}

// The editor freed or disabled from its OnChange, OnClick or OnCloseUp while
// an item is picked by the mouse, by Enter in the open list or by Down on the
// closed editor: nothing touches the freed editor, no popup stays open.
TEST_F(ComboBoxTest, TheEditorFreedOrDisabledFromItsChangeOrClickHandlers) {
  enum TWhat { wFreeOnChange, wFreeOnClick, wDisableOnClick, wDisableOnCloseUp };
  enum THow { hMouse, hEnter, hDown };
  for (const TWhat what : {wFreeOnChange, wFreeOnClick, wDisableOnClick, wDisableOnCloseUp})
    for (const THow how : {hMouse, hEnter, hDown}) {
      if (what == wDisableOnCloseUp && how == hDown) continue;  // no closing there
      SCOPED_TRACE(testing::Message() << "what " << what << " how " << how);
      TvlComboBox* c = AddPortCombo();
      c->SetItemIndex(0);
      c->SetFocus();
      Pump();
      if (how != hDown) {
        Key(VK_DOWN, VK_MENU);
        ASSERT_TRUE(c->DroppedDown());
      }
      TWeakRef<TvlComboBox> alive(c);
      (what == wFreeOnChange       ? Recorder->FreeOnChange
       : what == wFreeOnClick      ? Recorder->FreeOnClick
       : what == wDisableOnClick   ? Recorder->DisableOnClick
                                   : Recorder->DisableOnCloseUp) = c;
      if (how == hMouse)
        ClickItem(c, 2);
      else if (how == hEnter) {
        Key(VK_DOWN);
        Key(VK_RETURN);
      } else
        Key(VK_DOWN);
      Recorder->FreeOnChange = Recorder->FreeOnClick = Recorder->DisableOnClick = Recorder->DisableOnCloseUp = nullptr;
      EXPECT_EQ(vlOpenPopupCount(), 0);
      EXPECT_EQ(bool(alive), what == wDisableOnClick || what == wDisableOnCloseUp);
      if (alive) {
        EXPECT_FALSE(c->Enabled());
        EXPECT_FALSE(c->DroppedDown());
        Free(c);
      }
      Key(VK_DOWN);
      ClickAt(Form, 50, 150);
    }
}

// With ImmediatePost each way of taking an item posts the value once.
TEST_F(ComboBoxTest, ImmediatePostPostsOncePerItemTaken) {
  enum THow { hMouse, hEnter, hAltUp, hDown, hDoubleClick };
  for (const THow how : {hMouse, hEnter, hAltUp, hDown, hDoubleClick}) {
    SCOPED_TRACE(how);
    TvlComboBox* c = AddPortCombo();
    c->Properties()->SetImmediatePost(true);
    c->Properties()->SetRevertable(true);
    c->Properties()->SetOnEditValueChanged(TNotifyEvent(Recorder, &TComboRecorder::ValueChanged));
    c->SetItemIndex(0);
    c->SetFocus();
    Pump();
    if (how == hMouse || how == hEnter || how == hAltUp) {
      Key(VK_DOWN, VK_MENU);
      ASSERT_TRUE(c->DroppedDown());
    }
    Recorder->Log.clear();
    switch (how) {
      case hMouse: ClickItem(c, 1); break;
      case hEnter:
        Key(VK_DOWN);
        Key(VK_RETURN);
        break;
      case hAltUp:
        Key(VK_DOWN);
        Key(VK_UP, VK_MENU);
        break;
      case hDown: Key(VK_DOWN); break;
      case hDoubleClick: {
        const TPoint p = At(c, 20, 10);
        Display.DoubleClick(p.X, p.Y);
        Pump();
        if (c->DroppedDown()) Key(VK_ESCAPE);
        break;
      }
    }
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->Text(), u"COM2");
    EXPECT_EQ(Recorder->Count("value"), 1);
    EXPECT_EQ(Recorder->Count("change"), 1);
    Free(c);
  }
}

// A measure handler raising while the list is sized for opening: the
// exception reaches the application once, the failed opening is finalised,
// and the next opening initialises, shows and finalises as usual.
TEST_F(ComboBoxTest, AMeasureHandlerRaisingWhileOpeningFinalisesTheAttempt) {
  Application->SetOnException(TExceptionEvent(Recorder, &TComboRecorder::Failed));
  Finally restore([] { Application->SetOnException(TExceptionEvent()); });
  TvlComboBox* c = AddPortCombo();
  c->Properties()->SetOnMeasureItem(TvlEditMeasureItemEvent(Recorder, &TComboRecorder::MeasureItem));
  c->SetFocus();
  Pump();
  Recorder->RaiseOnItem = 0;
  Recorder->Log.clear();
  Key(VK_DOWN, VK_MENU);
  EXPECT_EQ(Recorder->Failures.size(), 1u);
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(vlOpenPopupCount(), 0);
  EXPECT_EQ(Recorder->Count("init"), 1);
  EXPECT_EQ(Recorder->Count("finalize"), 1);
  Recorder->RaiseOnItem = -1;
  Key(VK_DOWN, VK_MENU);
  ASSERT_TRUE(c->DroppedDown());
  EXPECT_EQ(Recorder->Count("init"), 2);
  EXPECT_EQ(Recorder->Count("popup"), 1);
  ClickItem(c, 1);
  EXPECT_EQ(c->Text(), u"COM2");
  EXPECT_EQ(Recorder->Count("finalize"), 2);
  EXPECT_EQ(Recorder->Failures.size(), 1u);
}

TEST_F(ComboBoxTest, DisablingTheEditorClosesItsPopup) {
  TvlComboBox* c = AddPortCombo();
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  c->SetEnabledProp(false);
  Pump();
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(vlOpenPopupCount(), 0);
  // A pending opening of a disabled editor does not show either.
  c->SetDroppedDown(true);
  Pump();
  EXPECT_FALSE(c->DroppedDown());
}

// --- Size and placement ----------------------------------------------------------------------------------------

TEST_F(ComboBoxTest, TenItemsWithEightRowsGiveAScrollBarAndTheWidthRule) {
  TvlComboBox* c = AddCombo({u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9",
                             u"A rather long item that is wider than the editor"});
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  auto* list = dynamic_cast<TvlCustomEditListBox*>(c->LookupListControl());
  ASSERT_NE(list, nullptr);
  TvlCustomEditPopupWindow* w = c->PopupWindow();
  const TRect e = w->ViewInfo()->GetClientExtent();
  EXPECT_EQ(list->Height(), 8 * list->GetItemHeight(-1));
  Integer widest = 0;
  for (Integer i = 0; i < 10; ++i) widest = std::max(widest, list->GetItemWidth(i));
  const Integer expected = std::max(c->Width(), widest + 4 + GetSystemMetrics(SM_CXVSCROLL) + e.Left + e.Right);
  EXPECT_EQ(w->Width(), expected);
  EXPECT_GT(expected, c->Width());
  // The popup opens below the editor, at its left edge.
  const TPoint below = c->ClientToScreen(TPoint{0, c->Height()});
  EXPECT_EQ(w->Left(), below.X);
  EXPECT_EQ(w->Top(), below.Y);
}

TEST_F(ComboBoxTest, ShortItemsGiveAPopupAsWideAsTheEditor) {
  TvlComboBox* c = AddPortCombo();
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  EXPECT_EQ(c->PopupWindow()->Width(), c->Width());
  EXPECT_EQ(c->LookupListControl()->Height(), 4 * dynamic_cast<TvlCustomEditListBox*>(c->LookupListControl())->GetItemHeight(-1));
}

TEST_F(ComboBoxTest, NearTheBottomOfTheScreenThePopupOpensUpwardsWithTheGripInATopCorner) {
  Form->SetBounds(100, GetSystemMetrics(SM_CYSCREEN) - 60, 400, 50);
  Pump();
  for (Boolean shadow : {false, true}) {
    SCOPED_TRACE(shadow);
    TvlComboBox* c = AddPortCombo(10);
    c->Properties()->SetDropDownSizeable(true);
    c->Style()->SetShadow(shadow);
    c->SetDroppedDown(true);
    Pump();
    ASSERT_TRUE(c->DroppedDown());
    TvlCustomEditPopupWindow* w = c->PopupWindow();
    const TPoint top = c->ClientToScreen(TPoint{0, 0});
    // An upward popup with a shadow moves down by 3, its shadow strip over the editor.
    EXPECT_EQ(w->Top() + w->Height(), top.Y + (shadow ? 3 : 0));
    EXPECT_EQ(w->ViewInfo()->SizeGripCorner, ecoTopRight);
    // The system panel lies above the client area, the grip at its right.
    EXPECT_GT(w->ViewInfo()->ClientRect.Top, w->ViewInfo()->SysPanelHeight - 1);
    EXPECT_LT(w->ViewInfo()->SizeGripRect.Top, w->ViewInfo()->ClientRect.Top);
    EXPECT_GT(w->ViewInfo()->SizeGripRect.Left, w->Width() / 2);
    if (shadow) EXPECT_EQ(w->Width(), c->Width() + 3);
    Free(c);
  }
}

// The upward popup's shadow strip lies over the editor's top rows: the window
// region leaves the editor visible from its left edge to 3 pixels left of its
// right edge, where the shadow shows again.
TEST_F(ComboBoxTest, TheUpwardPopupsRegionLeavesTheEditorVisibleUnderTheShadow) {
  Form->SetBounds(100, GetSystemMetrics(SM_CYSCREEN) - 60, 400, 50);
  Pump();
  TvlComboBox* c = AddPortCombo(10);
  c->Style()->SetShadow(true);
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  TvlCustomEditPopupWindow* w = c->PopupWindow();
  ASSERT_EQ(w->ViewInfo()->SizeGripCorner, ecoTopRight);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  Finally freeRgn([&] { DeleteObject(rgn); });
  ASSERT_NE(GetWindowRgn(w->WindowHandle(), rgn), ERROR);
  const TPoint e = c->ClientToScreen(TPoint{0, 0});
  const TPoint p = w->ClientToScreen(TPoint{0, 0});
  const Integer editorLeft = e.X - p.X, editorRight = e.X + c->Width() - p.X, bottom = w->Height() - 1;
  struct TCase {
    Integer X, Y;
    Boolean Inside;
  };
  const TCase cases[] = {
      {editorLeft + 5, bottom, false},     // over the editor: cut out
      {editorRight - 4, bottom, false},    // the last pixel of the cut
      {editorRight - 3, bottom, true},     // the shadow from 3 pixels left of the editor's right edge on
      {editorRight - 1, bottom, true},     // still the shadow strip
      {editorLeft + 5, bottom - 3, true},  // the popup's own body
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(testing::Message() << k.X << "," << k.Y);
    EXPECT_EQ(Boolean(PtInRegion(rgn, k.X, k.Y)), k.Inside);
  }
}

// Only a natively styled editor's popup gets the system's drop shadow, also
// when a popup of the same kind without it was created first.
TEST_F(ComboBoxTest, OnlyANativelyStyledPopupGetsTheDropShadowClass) {
  for (Boolean native : {false, true, false}) {
    SCOPED_TRACE(native);
    TvlComboBox* c = AddPortCombo(10);
    c->Style()->LookAndFeel()->SetNativeStyle(native);
    c->SetDroppedDown(true);
    Pump();
    ASSERT_TRUE(c->DroppedDown());
    const ULONG_PTR style = GetClassLongPtrW(c->PopupWindow()->WindowHandle(), GCL_STYLE);
    EXPECT_EQ((style & CS_DROPSHADOW) != 0, native);
    Free(c);
    Pump();
  }
}

// In a cell the popup is placed against the cell's content rectangle given by
// the host (in the parent's coordinates), not against the editor's bounds;
// without one, against the editor.
TEST_F(ComboBoxTest, InACellThePopupIsPlacedAgainstTheCellsContentRectangle) {
  struct TCase {
    TRect Cell;
    Integer Left, Top, Right;  // the popup's edges in the form's client coordinates
  };
  const TCase cases[] = {
      {TRect{4, 6, 204, 40}, 4, 40, 204},
      {TRect{}, 10, 31, 160},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(testing::Message() << "cell from " << k.Cell.Left);
    TvlComboBox* c = New<TvlComboBox>(static_cast<TComponent*>(Form), Boolean(true));
    TvlCustomEditData* data = nullptr;
    Finally freeAll([&] {
      Free(c);
      Free(data);
      Pump();
    });
    c->SetBounds(10, 10, 150, 21);
    c->SetParent(Form);
    for (const char16_t* s : {u"one", u"two", u"three"}) c->Properties()->Items()->Add(s);
    c->Activate(data);
    Pump();
    c->ContentParams.ExternalBorderBounds = k.Cell;
    c->SetDroppedDown(true);
    Pump();
    ASSERT_TRUE(c->DroppedDown());
    TvlCustomEditPopupWindow* w = c->PopupWindow();
    const TPoint origin = Form->ClientToScreen(TPoint{0, 0});
    const TPoint p = w->ClientToScreen(TPoint{0, 0});
    EXPECT_EQ(p.X - origin.X, k.Left);
    EXPECT_EQ(p.Y - origin.Y, k.Top);
    EXPECT_EQ(p.X - origin.X + w->Width(), k.Right);
  }
}

TEST_F(ComboBoxTest, AUserResizeIsKeptInThePropertiesAndNotBelowTheMinimum) {
  TvlComboBox* c = AddCombo({u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10", u"11", u"12"});
  c->Properties()->SetDropDownSizeable(true);
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  TvlCustomEditPopupWindow* w = c->PopupWindow();
  const Integer w0 = w->Width(), h0 = w->Height();
  const TRect g = w->ViewInfo()->SizeGripSizingRect;
  ASSERT_FALSE(g.Left == g.Right);
  const TPoint from = w->ClientToScreen(TPoint{(g.Left + g.Right) / 2, (g.Top + g.Bottom) / 2});
  Display.MouseMove(from.X, from.Y);
  Pump();
  EXPECT_EQ(Screen->Cursor(), crSizeNWSE);
  Display.MouseDown(from.X, from.Y);
  Pump();
  EXPECT_TRUE(TvlCustomEditPopupWindow::IsSizing());
  Display.MouseMove(from.X + 40, from.Y + 30);
  Pump();
  Display.MouseUp(from.X + 40, from.Y + 30);
  Pump();
  EXPECT_FALSE(TvlCustomEditPopupWindow::IsSizing());
  const Integer w1 = w->Width(), h1 = w->Height();
  EXPECT_EQ(w1, w0 + 40);
  EXPECT_GT(h1, h0);
  // The list height snaps to whole rows.
  auto* list = dynamic_cast<TvlCustomEditListBox*>(c->LookupListControl());
  EXPECT_EQ(list->Height() % list->GetItemHeight(-1), 0);
  c->SetDroppedDown(false);
  EXPECT_EQ(c->Properties()->PopupWidth(), w1);
  EXPECT_EQ(c->Properties()->PopupHeight(), h1);
  c->SetDroppedDown(true);
  Pump();
  EXPECT_EQ(w->Width(), w1);
  EXPECT_EQ(w->Height(), h1);
  // Dragged far to the left and up, it stops at its minimum.
  const TRect g2 = w->ViewInfo()->SizeGripSizingRect;
  const TPoint from2 = w->ClientToScreen(TPoint{(g2.Left + g2.Right) / 2, (g2.Top + g2.Bottom) / 2});
  Display.MouseMove(from2.X, from2.Y);
  Display.MouseDown(from2.X, from2.Y);
  Pump();
  Display.MouseMove(from2.X - 400, from2.Y - 400);
  Pump();
  Display.MouseUp(from2.X - 400, from2.Y - 400);
  Pump();
  EXPECT_GE(w->Width(), w->MinSize().cx);
  EXPECT_GE(w->Height(), w->MinSize().cy);
  EXPECT_GT(w->Left() + w->Width(), c->ClientToScreen(TPoint{0, 0}).X);
  c->SetDroppedDown(false);
}

TEST_F(ComboBoxTest, InPlaceAUserResizeIsKeptPerCell) {
  TvlComboBox* c = New<TvlComboBox>(static_cast<TComponent*>(Form), Boolean(true));
  c->SetBounds(10, 10, 150, 21);
  c->SetParent(Form);
  for (const char16_t* s : {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10"})
    c->Properties()->Items()->Add(s);
  c->Properties()->SetDropDownSizeable(true);
  c->PopupWindow()->SetShowContentWhileResize(true);
  TvlCustomEditData* first = nullptr;
  TvlCustomEditData* second = nullptr;
  Finally freeData([&] {
    Free(c);
    Free(first);
    Free(second);
  });
  c->Activate(first);
  Pump();
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  TvlCustomEditPopupWindow* w = c->PopupWindow();
  const Integer w0 = w->Width(), h0 = w->Height();
  const TRect g = w->ViewInfo()->SizeGripSizingRect;
  const TPoint from = w->ClientToScreen(TPoint{(g.Left + g.Right) / 2, (g.Top + g.Bottom) / 2});
  Display.MouseMove(from.X, from.Y);
  Display.MouseDown(from.X, from.Y);
  Pump();
  Display.MouseMove(from.X + 30, from.Y);
  Pump();
  Display.MouseUp(from.X + 30, from.Y);
  Pump();
  ASSERT_EQ(w->Width(), w0 + 30);
  c->SetDroppedDown(false);
  auto* data = dynamic_cast<TvlCustomDropDownEditData*>(first);
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->Initialized);
  EXPECT_EQ(data->Width, w0 + 30);
  EXPECT_EQ(c->Properties()->PopupWidth(), 0);  // the properties keep no cell's size
  // Another cell opens at the natural size, the first one at its own again.
  c->Activate(second);
  c->SetDroppedDown(true);
  Pump();
  EXPECT_EQ(w->Width(), w0);
  EXPECT_EQ(w->Height(), h0);
  c->SetDroppedDown(false);
  c->Activate(first);
  c->SetDroppedDown(true);
  Pump();
  EXPECT_EQ(w->Width(), w0 + 30);
  c->SetDroppedDown(false);
}

TEST_F(ComboBoxTest, ClosingWhileSizingEndsTheSizing) {
  TvlComboBox* c = AddPortCombo();
  c->Properties()->SetDropDownSizeable(true);
  c->SetDroppedDown(true);
  Pump();
  TvlCustomEditPopupWindow* w = c->PopupWindow();
  const TRect g = w->ViewInfo()->SizeGripSizingRect;
  const TPoint from = w->ClientToScreen(TPoint{(g.Left + g.Right) / 2, (g.Top + g.Bottom) / 2});
  Display.MouseMove(from.X, from.Y);
  Display.MouseDown(from.X, from.Y);
  Pump();
  ASSERT_TRUE(TvlCustomEditPopupWindow::IsSizing());
  c->SetDroppedDown(false);
  EXPECT_FALSE(TvlCustomEditPopupWindow::IsSizing());
  EXPECT_NE(GetCapture(), w->WindowHandle());
  Display.MouseUp(from.X, from.Y);
  Pump();
}

// --- Properties ---------------------------------------------------------------------------------------------

TEST(DropDownPropertiesTest, PopupSizesAreClamped) {
  struct TCase {
    const char* Name;
    Integer Width, MinWidth, Height, MinHeight;  // set in this order
    Integer WantWidth, WantHeight;
  } cases[] = {
      {"plain", 120, 0, 90, 0, 120, 90},
      {"negative width stores 0", -5, 0, 0, 0, 0, 0},
      {"min width raises a positive width", 120, 200, 0, 0, 200, 0},
      {"min width leaves 0 alone", 0, 200, 0, 0, 0, 0},
      {"min height raises the height, 0 included", 0, 0, 0, 50, 0, 50},
      {"min height above the height", 0, 0, 40, 60, 0, 60},
      {"negative minimum is 0", 0, -10, 30, -10, 0, 30},
  };
  for (const TCase& t : cases) {
    SCOPED_TRACE(t.Name);
    TvlComboBoxProperties* p = New<TvlComboBoxProperties>(static_cast<TPersistent*>(nullptr));
    Finally free([&] { Free(p); });
    p->SetPopupWidth(t.Width);
    p->SetPopupMinWidth(t.MinWidth);
    p->SetPopupHeight(t.Height);
    p->SetPopupMinHeight(t.MinHeight);
    EXPECT_EQ(p->PopupWidth(), t.WantWidth);
    EXPECT_EQ(p->PopupHeight(), t.WantHeight);
    EXPECT_GE(p->PopupMinWidth(), 0);
  }
}

// --- Lookup and double click --------------------------------------------------------------------------------

TEST_F(ComboBoxTest, RevertableDoubleClickOnTheLastItemSelectsTheFirst) {
  TvlComboBox* c = AddCombo({u"Alpha", u"Beta", u"Bravo"});
  c->Properties()->SetRevertable(true);
  c->SetItemIndex(2);
  ClickAt(c, 20, 10);
  const TPoint p = At(c, 20, 10);
  Display.DoubleClick(p.X, p.Y);
  Pump();
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(c->ItemIndex(), 0);
  EXPECT_EQ(c->Text(), u"Alpha");
}

// A double click steps through the items as the Down key does: an editor
// that reorders its items on a pick (most recently used first) is left with
// the same text and the same order either way.
TEST_F(ComboBoxTest, RevertableDoubleClicksStepAnMRUListAsTheDownKeyDoes) {
  auto make = [&](Integer ATop) {
    TvlMRUEdit* c = Add<TvlMRUEdit>(10, ATop, 150, 21);
    for (const char16_t* s : {u"Alpha", u"Beta", u"Gamma", u"Delta", u"Epsilon"}) c->Properties()->Items()->Add(s);
    c->Properties()->SetRevertable(true);
    c->SetItemIndex(0);
    return c;
  };
  TvlMRUEdit* byKey = make(10);
  TvlMRUEdit* byClick = make(60);
  auto itemsOf = [](TvlMRUEdit* C) {
    std::vector<String> r;
    for (Integer i = 0; i < C->Properties()->Items()->Count(); ++i) r.push_back(C->Properties()->Items()->Strings(i));
    return r;
  };
  // The text and the items after each of three steps.
  std::vector<std::pair<String, std::vector<String>>> keySteps, clickSteps;
  byKey->SetFocus();
  Pump();
  for (int step = 0; step < 3; ++step) {
    Key(VK_DOWN);
    keySteps.emplace_back(byKey->Text(), itemsOf(byKey));
  }
  byClick->SetFocus();
  Pump();
  const TPoint p = At(byClick, 20, 10);
  for (int step = 0; step < 3; ++step) {
    Display.DoubleClick(p.X, p.Y);
    Pump();
    EXPECT_FALSE(byClick->DroppedDown());
    clickSteps.emplace_back(byClick->Text(), itemsOf(byClick));
  }
  EXPECT_EQ(clickSteps, keySteps);
}

TEST_F(ComboBoxTest, TheWheelOverAnOpenListScrollsIt) {
  TvlComboBox* c = AddCombo({u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10", u"11", u"12", u"13",
                             u"14", u"15", u"16", u"17", u"18", u"19", u"20"});
  ClickAt(c, 20, 10);
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  TListBox* list = ListOf(c);
  EXPECT_EQ(list->TopIndex(), 0);
  const TPoint p = At(list, 10, 10);
  Display.MouseMove(p.X, p.Y);
  Pump();
  Display.Wheel(p.X, p.Y, -120);
  Pump();
  EXPECT_GT(list->TopIndex(), 0);
  EXPECT_TRUE(c->DroppedDown());
}

}  // namespace

// --- Reopening from the close-up ------------------------------------------------------------------------------

// An OnCloseUp handler that opens the popup again while an outside click
// closes it. A click on the form's background leaves the focus in the
// editor: the popup opens again through the queued request and closes
// cleanly afterwards. A click on another editor takes the focus away: the
// queued opening is dropped (and finalised) instead of showing a list for
// an editor without the focus.
TEST_F(ComboBoxTest, OnCloseUpReopeningDuringAnOutsideClick) {
  for (const Boolean onOtherEditor : {false, true}) {
    SCOPED_TRACE(onOtherEditor ? "click on another editor" : "click on the form");
    TvlComboBox* c = AddPortCombo();
    TvlComboBox* other = AddCombo({u"x"}, 200);
    ClickAt(c, 20, 10);
    if (!c->DroppedDown()) ClickAt(c, 20, 10);
    ASSERT_TRUE(c->DroppedDown());
    Recorder->Log.clear();
    Recorder->Reasons.clear();
    Recorder->ReopenOnCloseUp = c;
    if (onOtherEditor)
      ClickAt(other, 20, 10);
    else
      ClickAt(Form, 300, 150);
    Pump();
    EXPECT_EQ(Recorder->ReopenOnCloseUp, nullptr);
    ASSERT_GE(Recorder->Reasons.size(), 1u);
    EXPECT_EQ(Recorder->Reasons[0], crUnknown);
    EXPECT_EQ(c->DroppedDown(), !onOtherEditor);
    EXPECT_EQ(vlOpenPopupCount(), onOtherEditor ? 0 : 1);
    // The reopening was initialised once; the first opening was finalised, and
    // a dropped reopening too.
    EXPECT_EQ(Recorder->Count("init"), 1);
    EXPECT_EQ(Recorder->Count("finalize"), onOtherEditor ? 2 : 1);
    EXPECT_EQ(Recorder->Count("popup"), onOtherEditor ? 0 : 1);
    if (!onOtherEditor) {
      ClickAt(Form, 300, 150);
      Pump();
      EXPECT_FALSE(c->DroppedDown());
      EXPECT_EQ(vlOpenPopupCount(), 0);
      EXPECT_EQ(Recorder->Count("finalize"), 2);
    }
    // The next click on the button opens it as usual.
    ClickButton(c);
    if (!c->DroppedDown()) ClickButton(c);
    EXPECT_TRUE(c->DroppedDown());
    c->SetDroppedDown(false);
    Free(other);
    Free(c);
    Pump();
  }
}

// In a cell of a multi-row parent the closed combo leaves Up and Down to the
// rows instead of stepping through its items.
TEST_F(ComboBoxTest, InAMultiRowCellTheClosedComboLeavesUpAndDownToTheRows) {
  TvlComboBox* c = New<TvlComboBox>(static_cast<TComponent*>(Form), Boolean(true));
  TvlCustomEditData* data = nullptr;
  Finally freeAll([&] {
    Free(c);
    Free(data);
  });
  c->SetBounds(10, 10, 150, 21);
  c->SetParent(Form);
  for (const char16_t* s : {u"one", u"two", u"three"}) c->Properties()->Items()->Add(s);
  c->Activate(data);
  Pump();
  ASSERT_TRUE(c->InplaceParams.MultiRowParent);
  c->SetItemIndex(0);
  Key(VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 0);
  Key(VK_UP);
  EXPECT_EQ(c->ItemIndex(), 0);
  // Alt+Down still reaches the editor and opens the list; the open list takes
  // Up and Down, and Enter accepts the item stepped to.
  Key(VK_DOWN, VK_MENU);
  ASSERT_TRUE(c->DroppedDown());
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_UP);
  EXPECT_TRUE(c->DroppedDown());
  Key(VK_RETURN);
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(c->ItemIndex(), 1);
}

// A combo saved with ValidateOnEnter off (on by default for masked editors)
// reads back off.
TEST_F(ComboBoxTest, ValidateOnEnterOffSurvivesAFormRoundTrip) {
  for (const Boolean validate : {false, true}) {
    SCOPED_TRACE(validate);
    TvlComboBox* c = AddPortCombo();
    static_cast<TComponent*>(c)->SetName(u"ComCombo");
    c->Properties()->SetValidateOnEnter(validate);
    TMemoryStream* out = New<TMemoryStream>();
    Finally freeOut([&] { Free(out); });
    out->WriteComponent(Form);
    const RawByteString text =
        ObjectBinaryToText(RawByteString(static_cast<const char*>(out->Memory()), size_t(out->Size())));
    Free(c);
    TForm* f = NewFormFromText(text);
    Finally freeForm([&] { Free(f); });
    auto* read = dynamic_cast<TvlComboBox*>(f->FindComponent(u"ComCombo"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Properties()->ValidateOnEnter(), validate);
    EXPECT_EQ(read->Properties()->DropDownListStyle(), lsFixedList);
  }
}

// --- View data ---------------------------------------------------------------------------------------------

TEST_F(ComboBoxTest, TheDropDownButtonStaysPressedWhileOpenOnlyWhenAskedTo) {
  for (const Boolean keep : {false, true}) {
    SCOPED_TRACE(keep ? "kept pressed" : "plain");
    TvlComboBox* c = AddPortCombo();
    c->Properties()->SetKeepArrowButtonPressedWhenDroppedDown(keep);
    Display.MouseMove(600, 400);
    c->SetDroppedDown(true);
    Pump();
    ASSERT_TRUE(c->DroppedDown());
    EXPECT_EQ(c->ViewInfo()->ButtonsInfo[0]->Data.State, keep ? ebsPressed : ebsNormal);
    c->SetDroppedDown(false);
    Pump();
    EXPECT_EQ(c->ViewInfo()->ButtonsInfo[0]->Data.State, ebsNormal);
    Free(c);
  }
}

// The focused closed fixed list draws its text on a selection bar; an open
// popup, another list style or an unfocused editor draw none.
TEST_F(ComboBoxTest, TheFocusedClosedFixedListDrawsASelectionBar) {
  struct TCase {
    const char* Name;
    TvlEditDropDownListStyle Style;
    Boolean Focus, Open, Bar;
  } const cases[] = {
      {"focused fixed list", lsFixedList, true, false, true},
      {"open fixed list", lsFixedList, true, true, false},
      {"unfocused fixed list", lsFixedList, false, false, false},
      {"focused edit list", lsEditList, true, false, false},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TvlComboBox* c = AddPortCombo();
    c->Properties()->SetDropDownListStyle(k.Style);
    c->SetItemIndex(1);
    if (k.Focus) c->SetFocus();
    if (k.Open) c->SetDroppedDown(true);
    Pump();
    auto* vi = static_cast<TvlCustomTextEditViewInfo*>(c->ViewInfo());
    EXPECT_EQ(vi->DrawSelectionBar, k.Bar);
    if (k.Bar) {
      // The middle of the text area is on the highlight.
      Display.Compose();
      const TRect cr = vi->ClientRect;
      // Right of the text, where only the bar is.
      const TPoint p = c->ClientToScreen(TPoint{cr.Right - 6, (cr.Top + cr.Bottom) / 2});
      const Cardinal rgb = Cardinal(ColorToRGB(clHighlight));
      EXPECT_EQ(Display.Pixels()[size_t(p.Y) * size_t(Display.Width()) + size_t(p.X)] & 0xFFFFFF,
                ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
    }
    if (k.Open) c->SetDroppedDown(false);
    Free(c);
    Pump();
  }
}

// The closed fixed list with a draw handler draws its text area through it:
// the current item, odComboBoxEdit, and selected and focused when focused.
TEST_F(ComboBoxTest, TheClosedFixedListDrawsItsTextAreaByTheDrawHandler) {
  struct TCase {
    const char* Name;
    TvlEditDropDownListStyle Style;
    Integer Item;
    Boolean Focus;
    Integer Drawn;  // -2: the handler draws no text area
  } const cases[] = {
      {"unfocused", lsFixedList, 2, false, 2},
      {"focused", lsFixedList, 3, true, 3},
      {"no item", lsFixedList, -1, false, -2},
      {"edit list", lsEditList, 2, false, -2},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TvlComboBox* c = AddPortCombo();
    c->Properties()->SetDropDownListStyle(k.Style);
    c->Properties()->SetOnDrawItem(TvlEditDrawItemEvent(Recorder, &TComboRecorder::DrawItem));
    c->SetItemIndex(k.Item);
    if (k.Focus) c->SetFocus();
    Pump();
    Recorder->Drawn.clear();
    c->Invalidate();
    Pump();
    auto* vi = static_cast<TvlCustomComboBoxViewInfo*>(c->ViewInfo());
    if (k.Drawn == -2) {
      EXPECT_EQ(vi->ItemIndex, -1);
      EXPECT_TRUE(Recorder->Drawn.empty());
    } else {
      EXPECT_EQ(vi->ItemIndex, k.Drawn);
      ASSERT_FALSE(Recorder->Drawn.empty());
      EXPECT_EQ(Recorder->Drawn.back().first, k.Drawn);
      const TOwnerDrawState state = Recorder->Drawn.back().second;
      EXPECT_TRUE(state.Contains(odComboBoxEdit));
      EXPECT_EQ(state.Contains(odSelected), k.Focus);
      EXPECT_EQ(state.Contains(odFocused), k.Focus);
    }
    Free(c);
    Pump();
  }
}

// --- The popup controls' look and feel ---------------------------------------------------------------------------

TEST_F(ComboBoxTest, ThePopupControlsLookAndFeelFollowsTheEditorWithAMaskOfWhatChanged) {
  TvlComboBox* c = AddPortCombo();
  TvlEditPopupControlLookAndFeel* laf = c->PopupControlsLookAndFeel();
  ASSERT_NE(laf, nullptr);
  laf->SetOnChanged(TvlLookAndFeelChangedEvent(Recorder, &TComboRecorder::LookAndFeelChanged));
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  // The list in the popup takes it as master.
  auto* list = dynamic_cast<TvlCustomEditListBox*>(c->LookupListControl());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->LookAndFeel()->MasterLookAndFeel(), laf);
  c->SetDroppedDown(false);
  struct TCase {
    const char* Name;
    void (*Change)(TvlComboBox*);
    TvlLookAndFeelValues Mask;
  } const cases[] = {
      {"kind", [](TvlComboBox* C) { C->Style()->LookAndFeel()->SetKind(lfFlat); }, {lfvKind}},
      {"same kind again", [](TvlComboBox* C) { C->Style()->LookAndFeel()->SetKind(lfFlat); }, {}},
      {"native style", [](TvlComboBox* C) { C->Style()->LookAndFeel()->SetNativeStyle(true); }, {lfvNativeStyle}},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    Recorder->LookAndFeelChanges.clear();
    k.Change(c);
    Pump();
    if (k.Mask.Empty()) {
      EXPECT_TRUE(Recorder->LookAndFeelChanges.empty());
    } else {
      ASSERT_EQ(Recorder->LookAndFeelChanges.size(), 1u);
      EXPECT_EQ(Recorder->LookAndFeelChanges[0], k.Mask);
    }
  }
  EXPECT_EQ(laf->Kind(), lfFlat);
  EXPECT_TRUE(laf->NativeStyle());
}

// --- Hints, paste ------------------------------------------------------------------------------------------

TEST_F(ComboBoxTest, NoHintShowsWhileDroppedDown) {
  TvlComboBox* c = AddPortCombo();
  c->SetHint(u"Port");
  c->SetShowHint(true);
  auto hintResult = [&](TWinControl* AControl) {
    THintInfo info{};
    info.HintControl = AControl;
    info.CursorPos = TPoint{20, 10};
    return AControl->Perform(CM_HINTSHOW, 0, LPARAM(&info));
  };
  TWinControl* inner = c->InnerControl();
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(hintResult(c), 0);
  EXPECT_EQ(hintResult(inner), 0);
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  EXPECT_NE(hintResult(c), 0);
  EXPECT_NE(hintResult(inner), 0);
  c->SetDroppedDown(false);
  EXPECT_EQ(hintResult(c), 0);
}

TEST_F(ComboBoxTest, APasteThatChangesTheTextOpensTheListOnTheItem) {
  auto setClipboard = [](const String& Text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (Text.size() + 1) * sizeof(Char));
    auto* p = static_cast<Char*>(GlobalLock(h));
    std::copy(Text.begin(), Text.end(), p);
    p[Text.size()] = 0;
    GlobalUnlock(h);
    SetClipboardData(CF_UNICODETEXT, h);
    CloseClipboard();
  };
  struct TCase {
    const char* Name;
    Boolean ImmediateDropDown;
    const char16_t* Before;
    const char16_t* Clip;
    Boolean Opens;
  } const cases[] = {
      {"a new text", true, u"", u"gamma", true},
      {"the same text", true, u"gamma", u"gamma", false},
      {"without ImmediateDropDown", false, u"", u"gamma", false},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TvlComboBox* c = AddCombo({u"alpha", u"beta", u"gamma"});
    c->Properties()->SetImmediateDropDown(k.ImmediateDropDown);
    c->SetFocus();
    c->SetTextProp(k.Before);
    Pump();
    c->SelectAll();
    setClipboard(k.Clip);
    Key('V', VK_CONTROL);
    EXPECT_EQ(c->Text(), String(k.Clip));
    EXPECT_EQ(c->DroppedDown(), k.Opens);
    if (k.Opens) {
      TListBox* list = ListOf(c);
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(list->ItemIndex(), 2);
      c->SetDroppedDown(false);
    }
    Free(c);
    Pump();
  }
}

// --- Pictures ----------------------------------------------------------------------------------------------

namespace {

// Copies a screen rectangle into ASheet (ASheetWidth wide) at (AX, AY).
void CopyScreen(backend::THeadlessBackend& ADisplay, const TRect& AScreen, std::vector<uint32_t>& ASheet,
                int ASheetWidth, int AX, int AY) {
  ADisplay.Compose();
  const std::vector<uint32_t>& px = ADisplay.Pixels();
  for (int y = AScreen.Top; y < AScreen.Bottom; ++y)
    for (int x = AScreen.Left; x < AScreen.Right; ++x)
      ASheet[size_t(AY + y - AScreen.Top) * size_t(ASheetWidth) + size_t(AX + x - AScreen.Left)] =
          px[size_t(y) * size_t(ADisplay.Width()) + size_t(x)];
}

void ExpectSheet(const std::vector<uint32_t>& ASheet, int AWidth, int AHeight, const std::string& AName) {
  std::vector<uint32_t> big(size_t(AWidth) * 2 * size_t(AHeight) * 2);
  for (int y = 0; y < AHeight * 2; ++y)
    for (int x = 0; x < AWidth * 2; ++x) big[size_t(y) * size_t(AWidth * 2) + size_t(x)] = ASheet[size_t(y / 2) * size_t(AWidth) + size_t(x / 2)];
  testing_support::ExpectMatchesReference(big.data(), AWidth * 2, AHeight * 2,
                                          std::string(CL_SOURCE_DIR) + "/tests/lib/editors/reference/" + AName + ".png",
                                          AName);
}

}  // namespace

TEST_F(ComboBoxTest, PicturesClosedOpenAndDisabledWithEachPainter) {
  const TvlLookAndFeelKind kinds[] = {lfStandard, lfFlat, lfUltraFlat, lfOffice11, lfStandard};
  const int cellW = 164, cellH = 80, rows = 5, cols = 3;
  std::vector<uint32_t> sheet(size_t(cellW * cols) * size_t(cellH * rows), 0xFFFFFF);
  for (int r = 0; r < rows; ++r) {
    TvlComboBox* c = AddPortCombo();
    c->Style()->LookAndFeel()->SetNativeStyle(r == 4);
    c->Style()->LookAndFeel()->SetKind(kinds[r]);
    c->SetItemIndex(1);
    Display.MouseMove(1270, 1010);
    Pump();
    const TPoint o = c->ClientToScreen(TPoint{-4, -4});
    const TRect area{o.X, o.Y, o.X + cellW, o.Y + cellH};
    CopyScreen(Display, area, sheet, cellW * cols, 0, r * cellH);
    c->SetDroppedDown(true);
    Pump();
    ASSERT_TRUE(c->DroppedDown());
    CopyScreen(Display, area, sheet, cellW * cols, cellW, r * cellH);
    c->SetDroppedDown(false);
    c->SetEnabledProp(false);
    Pump();
    CopyScreen(Display, area, sheet, cellW * cols, 2 * cellW, r * cellH);
    Free(c);
    Pump();
  }
  ExpectSheet(sheet, cellW * cols, cellH * rows, "combo-painters");
}

TEST_F(ComboBoxTest, PictureOpenUpwardsWithGripAndShadow) {
  Form->SetBounds(100, GetSystemMetrics(SM_CYSCREEN) - 60, 400, 50);
  Pump();
  TvlComboBox* c = AddPortCombo();
  c->Properties()->SetDropDownSizeable(true);
  c->Style()->SetShadow(true);
  c->SetItemIndex(2);
  Display.MouseMove(10, 10);
  c->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  const TPoint o = c->ClientToScreen(TPoint{-4, c->Height() + 4});
  const int w = 164, h = 110;
  std::vector<uint32_t> sheet(size_t(w) * size_t(h), 0xFFFFFF);
  CopyScreen(Display, TRect{o.X, o.Y - h, o.X + w, o.Y}, sheet, w, 0, 0);
  ExpectSheet(sheet, w, h, "combo-open-upward");
}

// The closed port combo per painter (rows: standard, flat, ultra-flat,
// Office 2003, themed); columns: focused (the selection bar), open with the
// button kept pressed, the text area drawn by a draw handler (a green
// area) unfocused and focused.
TEST_F(ComboBoxTest, PicturesOfTheDropDownViewData) {
  const TvlLookAndFeelKind kinds[] = {lfStandard, lfFlat, lfUltraFlat, lfOffice11, lfStandard};
  editors_test::TScreenSheet sheet(156, 27, 4, 5);
  for (int r = 0; r < 5; ++r)
    for (int col = 0; col < 4; ++col) {
      TvlComboBox* c = AddPortCombo();
      c->Style()->LookAndFeel()->SetNativeStyle(r == 4);
      c->Style()->LookAndFeel()->SetKind(kinds[r]);
      c->Properties()->SetKeepArrowButtonPressedWhenDroppedDown(col == 1);
      if (col >= 2) c->Properties()->SetOnDrawItem(TvlEditDrawItemEvent(Recorder, &TComboRecorder::DrawItem));
      c->SetItemIndex(1);
      Display.MouseMove(1270, 1010);
      if (col != 2) c->SetFocus();
      if (col == 1) c->SetDroppedDown(true);
      Pump();
      sheet.PutArea(Display, c->ClientToScreen(TPoint{-3, -3}), col, r);
      if (col == 1) c->SetDroppedDown(false);
      Free(c);
      Pump();
    }
  sheet.Expect("combo-view-data");
}
