// The standard controls on forms of the headless screen: edits and memos
// over the edit window, list boxes over the list window, the combo box,
// buttons, check boxes and radio buttons, labels and group boxes, read from
// the text form format and driven by injected input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Backend.h"
#include "tests/platform/vcl/FormsTestFixture.h"
#include "tests/platform/vcl/VclTestSupport.h"

using namespace win;
using formstest::FormsFixture;

namespace {

// Records the events of the controls under test.
class TStdEvents : public TObject {
  CL_CLASS(TStdEvents, TObject)
 public:
  std::vector<std::string> Log;
  TCustomListBox* List{};

  void Change(TObject* Sender) { Log.push_back("change:" + Text(Sender)); }
  void Click(TObject* Sender) { Log.push_back("click:" + Text(Sender)); }
  void Select(TObject* Sender) { Log.push_back("select:" + Text(Sender)); }
  void DrawItem(TWinControl*, Integer Index, TRect Rect, TOwnerDrawState State) {
    std::string s = "draw " + std::to_string(Index);
    if (State.Contains(odSelected)) s += " selected";
    if (State.Contains(odFocused)) s += " focused";
    Log.push_back(s);
    List->Canvas()->FillRect(Rect);
  }
  void MeasureItem(TWinControl*, Integer Index, Integer& Height) { Height = 10 + Index * 5; }
  void Data(TWinControl*, Integer Index, String& Value) { Value = u"Satır " + IntToStr(Index); }
  Integer DataFind(TWinControl*, String Find) {
    return Find.rfind(u"Satır ", 0) == 0 ? StrToIntDef(Find.substr(6), -1) : -1;
  }

 private:
  static std::string Text(TObject* Sender) {
    if (auto* e = dynamic_cast<TCustomEdit*>(Sender)) return UTF16ToUTF8(e->Text());
    if (auto* l = dynamic_cast<TCustomListBox*>(Sender)) return std::to_string(l->ItemIndex());
    if (auto* c = dynamic_cast<TCustomComboBox*>(Sender)) return UTF16ToUTF8(c->Text());
    if (auto* b = dynamic_cast<TCustomCheckBox*>(Sender)) return std::to_string(int(b->State()));
    if (auto* r = dynamic_cast<TRadioButton*>(Sender)) return UTF16ToUTF8(r->Name()) + (r->Checked() ? "+" : "-");
    return "?";
  }
};
CL_IMPLEMENT_CLASS(TStdEvents)

class StdCtrlsTest : public FormsFixture {
 protected:
  void SetUp() override {
    FormsFixture::SetUp();
    Events = New<TStdEvents>();
    Form = MakeForm(40, 40, 420, 320);
  }
  void TearDown() override {
    if (HasFailure()) Display.SaveScreenshot(vcltest::TempPath("stdctrls", "failed.png"));
    FormsFixture::TearDown();
    FreeAndNil(Events);
  }
  template <class T>
  T* Add(TWinControl* Parent, const char16_t* Name, int Left, int Top, int Width = 0, int Height = 0) {
    T* c = New<T>(static_cast<TComponent*>(Form));
    c->SetName(Name);
    c->SetBounds(Left, Top, Width ? Width : c->Width(), Height ? Height : c->Height());
    c->SetParent(Parent);
    return c;
  }
  void ShowForm() {
    Form->Show();
    Pump();
  }
  void ClickAt(TControl* C, int X, int Y) {
    TPoint p = C->ClientToScreen(TPoint{X, Y});
    Display.Click(p.X, p.Y);
    Pump();
  }
  TColor ScreenPixel(TControl* C, int X, int Y) {
    TPoint p = C->ClientToScreen(TPoint{X, Y});
    Display.Compose();
    return TColor(Display.Pixel(p.X, p.Y));
  }

  TForm* Form{};
  TStdEvents* Events{};
};

}  // namespace

// --- Edit and memo ---------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, TypingIntoAnEditFiresOnChangeAndUpdatesText) {
  TEdit* edit = Add<TEdit>(Form, u"Edit1", 10, 10, 150);
  edit->SetOnChange(TNotifyEvent(Events, &TStdEvents::Change));
  edit->SetMaxLength(5);
  ShowForm();
  edit->SetFocus();
  Pump();
  Display.TypeText(u"şeker!");  // the sixth character is over MaxLength
  Pump();
  EXPECT_EQ(edit->Text(), u"şeker");
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(Events->Log, (std::vector<std::string>{"change:ş", "change:şe", "change:şek", "change:şeke",
                                                   "change:şeker"}));
  Events->Log.clear();
  // a text set by code tells the change once; the same text again does not
  edit->SetTextProp(u"Elma");
  edit->SetTextProp(u"Elma");
  EXPECT_EQ(Events->Log, (std::vector<std::string>{"change:Elma"}));
  // selection properties work on the window
  edit->SetSelStart(1);
  edit->SetSelLength(2);
  EXPECT_EQ(edit->SelText(), u"lm");
  edit->SetSelText(u"LM");
  EXPECT_EQ(edit->Text(), u"ELMa");
}

TEST_F(StdCtrlsTest, EditKeepsTextAndSettingsAcrossRecreateAndAutoSizesToItsFont) {
  TEdit* edit = Add<TEdit>(Form, u"Edit1", 10, 10, 150);
  edit->SetTextProp(u"gizli");
  edit->SetPasswordChar(u'#');
  edit->SetReadOnly(true);
  EXPECT_EQ(edit->Height(), 21);  // Tahoma 8 pt: 13 pixels of text and the 3D frame
  ShowForm();
  HWND first = edit->Handle();
  EXPECT_EQ(SendMessageW(first, EM_GETPASSWORDCHAR, 0, 0), LRESULT(u'#'));
  edit->SetCharCase(ecUpperCase);  // a style: the window is made again
  HWND second = edit->Handle();
  EXPECT_EQ(edit->Text(), u"gizli");
  EXPECT_EQ(SendMessageW(second, EM_GETPASSWORDCHAR, 0, 0), LRESULT(u'#'));
  EXPECT_NE(GetWindowLongW(second, GWL_STYLE) & ES_READONLY, 0);
  EXPECT_NE(GetWindowLongW(second, GWL_STYLE) & ES_UPPERCASE, 0);
  edit->Font()->SetSize(16);
  EXPECT_GT(edit->Height(), 30);
  edit->SetAutoSize(false);
  edit->SetHeight(50);
  edit->Font()->SetSize(8);
  EXPECT_EQ(edit->Height(), 50);
}

TEST_F(StdCtrlsTest, MemoLinesRoundTripWithAndWithoutAWindow) {
  TMemo* memo = Add<TMemo>(Form, u"Memo1", 10, 10, 300, 150);
  memo->SetOnChange(TNotifyEvent(Events, &TStdEvents::Change));
  // Before the window exists the lines are those of the text.
  for (int withWindow = 0; withWindow < 2; ++withWindow) {
    SCOPED_TRACE(withWindow ? "window" : "no window");
    if (withWindow) ShowForm();
    ASSERT_EQ(memo->HandleAllocated(), withWindow == 1);
    TStrings* lines = memo->Lines();
    lines->Clear();
    EXPECT_EQ(lines->Count(), 0);
    lines->Add(u"bir");
    lines->Add(u"üç");
    lines->Insert(1, u"iki");
    lines->Add(u"dört");
    lines->SetStrings(3, u"DÖRT");
    EXPECT_EQ(memo->Text(), u"bir\r\niki\r\nüç\r\nDÖRT\r\n");
    lines->Delete(0);
    lines->Delete(2);
    ASSERT_EQ(lines->Count(), 2);
    EXPECT_EQ(lines->Strings(0), u"iki");
    EXPECT_EQ(lines->Strings(1), u"üç");
    lines->SetText(u"a\nb\rc");
    EXPECT_EQ(memo->Text(), u"a\r\nb\r\nc");
    EXPECT_EQ(lines->Count(), 3);
    EXPECT_THROW(lines->Strings(7), EListError);
  }
  // every change of the multi-line text is told
  EXPECT_FALSE(Events->Log.empty());
  // The lines survive the window being made again.
  memo->SetScrollBars(ssVertical);
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_NE(GetWindowLongW(memo->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
}

TEST_F(StdCtrlsTest, MemoWordWrapShowsALongLineAsSeveralLines) {
  TMemo* memo = Add<TMemo>(Form, u"Memo1", 10, 10, 120, 150);
  ShowForm();
  const String longLine = u"kelime kelime kelime kelime kelime kelime kelime";
  memo->Lines()->SetText(longLine);
  EXPECT_GT(memo->Lines()->Count(), 2);  // the lines as shown
  EXPECT_EQ(memo->Text(), longLine);     // the text is untouched
  EXPECT_EQ(GetWindowLongW(memo->Handle(), GWL_STYLE) & ES_AUTOHSCROLL, 0);
  memo->SetWordWrap(false);
  EXPECT_EQ(memo->Lines()->Count(), 1);
  EXPECT_EQ(memo->Lines()->Strings(0), longLine);
  EXPECT_NE(GetWindowLongW(memo->Handle(), GWL_STYLE) & ES_AUTOHSCROLL, 0);
}

TEST_F(StdCtrlsTest, MemoWantReturnsAndWantTabsDecideWhoGetsTheKey) {
  TMemo* memo = Add<TMemo>(Form, u"Memo1", 10, 10, 200, 100);
  TEdit* next = Add<TEdit>(Form, u"Edit1", 10, 150);
  ShowForm();
  memo->Clear();  // the name became the text
  memo->SetFocus();
  Pump();
  Display.TypeText(u"a");
  Display.KeyPress(VK_RETURN);
  Display.TypeText(u"b");
  Pump();
  EXPECT_EQ(memo->Text(), u"a\r\nb");
  // Tab moves on, unless the memo wants tabs
  Display.KeyPress(VK_TAB);
  Pump();
  EXPECT_TRUE(next->Focused());
  memo->SetFocus();
  memo->SetWantTabs(true);
  memo->SetWantReturns(false);
  Pump();
  Display.KeyPress(VK_TAB);
  Display.KeyPress(VK_RETURN);
  Pump();
  EXPECT_TRUE(memo->Focused());
  EXPECT_NE(memo->Text().find(u'\t'), String::npos);
  EXPECT_EQ(memo->Lines()->Count(), 2);
}

// --- List box --------------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, ListBoxItemsAndSelectionSurviveRecreateWnd) {
  TListBox* list = Add<TListBox>(Form, u"List1", 10, 10, 150, 120);
  TObject* tag = Events;
  // Items given before the window exists go into it.
  list->Items()->AddObject(u"elma", tag);
  list->Items()->Add(u"armut");
  list->Items()->Add(u"kiraz");
  list->SetItemIndex(1);
  ShowForm();
  ASSERT_TRUE(list->HandleAllocated());
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(list->ItemIndex(), 1);
  for (int i = 0; i < 30; ++i) list->Items()->Add(u"dolgu " + IntToStr(i));
  list->SetTopIndex(5);

  struct TCase {
    const char* Name;
    void (*Change)(TListBox*);
  };
  const TCase cases[] = {{"sorted", [](TListBox* l) { l->SetSorted(true); }},
                         {"owner drawn", [](TListBox* l) { l->SetStyle(lbOwnerDrawFixed); }},
                         {"columns", [](TListBox* l) { l->SetColumns(2); }},
                         {"item height", [](TListBox* l) { l->SetItemHeight(20); }}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND before = list->Handle();
    String chosen = list->Items()->Strings(list->ItemIndex());
    c.Change(list);
    EXPECT_NE(list->Handle(), before);
    EXPECT_EQ(list->Count(), 33);
    EXPECT_EQ(list->Items()->Strings(list->ItemIndex()), chosen);
    EXPECT_EQ(list->Items()->Objects(list->Items()->IndexOf(u"elma")), tag);
  }
  // Selections of a multiple-selection list are kept too.
  list->SetMultiSelect(true);
  list->ClearSelection();
  list->SetSelected(0, true);
  list->SetSelected(3, true);
  list->SetIntegralHeight(true);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_TRUE(list->Selected(0));
  EXPECT_TRUE(list->Selected(3));
  EXPECT_THROW(list->Selected(99), EListError);
}

TEST_F(StdCtrlsTest, ClickingAListItemSelectsItAndFiresOnClick) {
  TListBox* list = Add<TListBox>(Form, u"List1", 10, 10, 150, 120);
  for (const char16_t* s : {u"sıfır", u"bir", u"iki", u"üç"}) list->Items()->Add(s);
  list->SetOnClick(TNotifyEvent(Events, &TStdEvents::Click));
  ShowForm();
  TRect r = list->ItemRect(2);
  ClickAt(list, r.Left + 5, r.Top + 2);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(Events->Log, (std::vector<std::string>{"click:2"}));
  // positions: on an item, below the last item, outside
  EXPECT_EQ(list->ItemAtPos(TPoint{5, r.Top + 1}, true), 2);
  TRect after = list->ItemRect(4);
  EXPECT_EQ(after.Top, list->ItemRect(3).Bottom);
  EXPECT_EQ(list->ItemAtPos(TPoint{5, after.Top + 1}, true), -1);
  EXPECT_EQ(list->ItemAtPos(TPoint{5, after.Top + 1}, false), 4);
  EXPECT_EQ(list->ItemAtPos(TPoint{-3, 2}, false), -1);
}

// A wheel that no control handles reaches the native window of the focused
// control also when it lies inside other controls; the controls above it
// have their turn once.
TEST_F(StdCtrlsTest, UnhandledWheelScrollsANativeListInsideAPanel) {
  TPanel* panel = Add<TPanel>(Form, u"Panel1", 10, 10, 200, 160);
  TListBox* list = Add<TListBox>(panel, u"List1", 10, 10, 150, 120);
  for (int i = 0; i < 40; ++i) list->Items()->Add(u"satır " + IntToStr(i));
  struct TWheel : TObject {
    std::vector<std::string> Seen;
    Boolean Handle = false;
    void Down(TObject* S, TShiftState, TPoint, Boolean& H) {
      Seen.push_back(UTF16ToUTF8(static_cast<TComponent*>(S)->Name()));
      H = Handle;
    }
  } w;
  for (TControl* c : std::initializer_list<TControl*>{list, panel, Form})
    c->SetOnMouseWheelDown(TMouseWheelUpDownEvent(&w, &TWheel::Down));
  Form->SetName(u"Form1");
  ShowForm();
  list->SetFocus();
  Pump();
  ASSERT_TRUE(list->Focused());
  ASSERT_EQ(list->TopIndex(), 0);
  const TPoint p = list->ClientToScreen(TPoint{20, 20});
  Display.Wheel(p.X, p.Y, -120);
  Pump();
  EXPECT_EQ(w.Seen, (std::vector<std::string>{"List1", "Panel1", "Form1"}));
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  EXPECT_EQ(list->TopIndex(), Integer(lines));
  // a wheel a control handles stays away from the native list
  w.Seen.clear();
  w.Handle = true;
  Display.Wheel(p.X, p.Y, -120);
  Pump();
  EXPECT_EQ(w.Seen, (std::vector<std::string>{"List1"}));
  EXPECT_EQ(list->TopIndex(), Integer(lines));
}

TEST_F(StdCtrlsTest, OwnerDrawnListDrawsThroughOnDrawItemInTheWindowsOrder) {
  TListBox* list = Add<TListBox>(Form, u"List1", 10, 10, 150, 120);
  list->SetStyle(lbOwnerDrawVariable);
  Events->List = list;
  list->SetOnDrawItem(TDrawItemEvent(Events, &TStdEvents::DrawItem));
  list->SetOnMeasureItem(TMeasureItemEvent(Events, &TStdEvents::MeasureItem));
  for (const char16_t* s : {u"a", u"b", u"c"}) list->Items()->Add(s);
  ShowForm();
  EXPECT_EQ(list->ItemRect(0).Bottom - list->ItemRect(0).Top, 10);
  EXPECT_EQ(list->ItemRect(2).Bottom - list->ItemRect(2).Top, 20);
  list->SetFocus();
  list->SetItemIndex(0);
  Pump();
  Events->Log.clear();
  // Down: the old caret loses its focus frame, the selection moves, the new
  // caret gets the frame.
  Display.KeyPress(VK_DOWN);
  Pump();
  // each item is drawn in its new state: the old caret without its frame,
  // then the selection changes in index order, then the new caret's frame
  EXPECT_EQ(Events->Log, (std::vector<std::string>{"draw 0", "draw 0", "draw 1 selected focused",
                                                   "draw 1 selected focused"}));
}

TEST_F(StdCtrlsTest, VirtualListAsksOnDataAndFindsThroughOnDataFind) {
  TListBox* list = Add<TListBox>(Form, u"List1", 10, 10, 150, 120);
  list->SetStyle(lbVirtual);
  list->SetOnData(TLBGetDataEvent(Events, &TStdEvents::Data));
  list->SetOnDataFind(TLBFindDataEvent(Events, &TStdEvents::DataFind));
  list->SetCount(1000);
  ShowForm();
  EXPECT_EQ(list->Count(), 1000);
  EXPECT_EQ(list->Items()->Strings(734), u"Satır 734");
  EXPECT_EQ(list->Items()->IndexOf(u"Satır 12"), 12);
  EXPECT_EQ(list->Items()->Add(u"eklenmez"), -1);
  EXPECT_THROW(Add<TListBox>(Form, u"List2", 200, 10)->SetCount(3), EListError);
}

TEST_F(StdCtrlsTest, ListBoxAutoCompleteCollectsKeysWithinTheDelay) {
  TListBox* list = Add<TListBox>(Form, u"List1", 10, 10, 150, 120);
  for (const char16_t* s : {u"ada", u"bal", u"bardak", u"barış", u"kale"}) list->Items()->Add(s);
  ShowForm();
  SetManualClock(true);
  list->SetFocus();
  Pump();
  struct TStep {
    const char16_t* Keys;
    DWORD Wait;  // before the keys
    Integer Expected;
  };
  const TStep steps[] = {{u"b", 0, 1}, {u"ar", 100, 2}, {u"ı", 100, 3}, {u"k", 600, 4}, {u"x", 100, 4}};
  for (const TStep& s : steps) {
    SCOPED_TRACE(UTF16ToUTF8(s.Keys));
    AdvanceManualClock(s.Wait);
    Display.TypeText(s.Keys);
    Pump();
    EXPECT_EQ(list->ItemIndex(), s.Expected);
  }
}

// --- Combo box -------------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, ComboBoxChoosesFromItsDropDownList) {
  TComboBox* combo = Add<TComboBox>(Form, u"Combo1", 10, 10, 150);
  combo->SetStyle(csDropDownList);
  for (const char16_t* s : {u"Ocak", u"Şubat", u"Mart"}) combo->Items()->Add(s);
  combo->SetOnChange(TNotifyEvent(Events, &TStdEvents::Change));
  combo->SetOnSelect(TNotifyEvent(Events, &TStdEvents::Select));
  combo->SetItemIndex(0);
  EXPECT_EQ(combo->Text(), u"Ocak");
  EXPECT_TRUE(Events->Log.empty());  // code changes tell nothing
  ShowForm();
  combo->SetFocus();
  Pump();
  // keys move the choice
  Display.KeyPress(VK_DOWN);
  Pump();
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(Events->Log, (std::vector<std::string>{"select:Şubat", "change:Şubat"}));
  Events->Log.clear();
  // a click drops the list down; a click on an item chooses it and closes it
  ClickAt(combo, 10, 10);
  ASSERT_TRUE(combo->DroppedDown());
  TCustomListBox* list = combo->ListBox();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(IsWindowVisible(list->Handle()));
  EXPECT_EQ(list->ItemIndex(), 1);
  TRect r = list->ItemRect(2);
  ClickAt(list, r.Left + 3, r.Top + 2);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_FALSE(IsWindowVisible(list->Handle()));
  EXPECT_EQ(combo->Text(), u"Mart");
  EXPECT_TRUE(combo->Focused());
  EXPECT_EQ(Events->Log, (std::vector<std::string>{"select:Mart", "change:Mart"}));
  // Escape closes without choosing; Text selects by item text
  combo->SetDroppedDown(true);
  Display.KeyPress(VK_UP);
  Display.KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 2);
  combo->SetTextProp(u"Ocak");
  EXPECT_EQ(combo->ItemIndex(), 0);
  combo->SetTextProp(u"yok");
  EXPECT_EQ(combo->ItemIndex(), 0);
}

// --- Buttons ----------------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, ClickingACheckBoxStepsThroughItsStates) {
  struct TCase {
    const char* Name;
    bool AllowGrayed;
    std::vector<TCheckBoxState> States;
  };
  const TCase cases[] = {{"two states", false, {cbChecked, cbUnchecked, cbChecked}},
                         {"grayed", true, {cbGrayed, cbChecked, cbUnchecked}}};
  TCheckBox* box = Add<TCheckBox>(Form, u"Check1", 10, 10, 120);
  box->SetCaption(u"&Onay");
  box->SetOnClick(TNotifyEvent(Events, &TStdEvents::Click));
  ShowForm();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    box->SetState(cbUnchecked);
    box->SetAllowGrayed(c.AllowGrayed);
    Events->Log.clear();
    std::vector<std::string> expected;
    for (TCheckBoxState s : c.States) {
      ClickAt(box, 6, 8);
      EXPECT_EQ(box->State(), s);
      EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), LRESULT(s));
      expected.push_back("click:" + std::to_string(int(s)));
    }
    EXPECT_EQ(Events->Log, expected);
  }
  // Checked by code clicks too; the state survives a new window
  box->SetCheckedProp(true);
  box->SetAlignment(taLeftJustify);
  EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_NE(GetWindowLongW(box->Handle(), GWL_STYLE) & BS_LEFTTEXT, 0);
}

TEST_F(StdCtrlsTest, CheckingARadioButtonUnchecksItsSiblings) {
  TGroupBox* group = Add<TGroupBox>(Form, u"Group1", 10, 10, 200, 120);
  auto* r1 = Add<TRadioButton>(group, u"R1", 10, 20);
  auto* r2 = Add<TRadioButton>(group, u"R2", 10, 45);
  auto* other = Add<TRadioButton>(Form, u"R3", 10, 150);
  other->SetCheckedProp(true);
  r1->SetCheckedProp(true);
  r2->SetOnClick(TNotifyEvent(Events, &TStdEvents::Click));
  ShowForm();
  ClickAt(r2, 6, 8);
  EXPECT_TRUE(r2->Checked());
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(other->Checked());  // another parent
  EXPECT_EQ(SendMessageW(r1->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Events->Log, (std::vector<std::string>{"click:R2+"}));
}

TEST_F(StdCtrlsTest, ButtonsEndAModalFormWithTheirModalResult) {
  struct TCase {
    const char* Name;
    UINT Key;  // 0: click the OK button
    Integer Expected;
  };
  const TCase cases[] = {{"click", 0, mrOk}, {"enter on the default button", VK_RETURN, mrOk},
                         {"escape on the cancel button", VK_ESCAPE, mrCancel}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm* dialog = MakeForm(100, 100, 300, 160);
    TEdit* edit = New<TEdit>(static_cast<TComponent*>(dialog));
    edit->SetBounds(10, 10, 100, 21);
    edit->SetParent(dialog);
    TButton* ok = New<TButton>(static_cast<TComponent*>(dialog));
    ok->SetBounds(10, 60, 75, 25);
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    ok->SetParent(dialog);
    TButton* cancel = New<TButton>(static_cast<TComponent*>(dialog));
    cancel->SetBounds(100, 60, 75, 25);
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    cancel->SetParent(dialog);
    dialog->SetActiveControl(edit);
    bool highlighted = false;
    formstest::TLoopStep step;
    step.Post([&] {
      highlighted = (GetWindowLongW(ok->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      if (c.Key == 0) {
        TPoint p = ok->ClientToScreen(TPoint{20, 10});
        Display.Click(p.X, p.Y);
      } else {
        Display.KeyPress(c.Key);
      }
    });
    EXPECT_EQ(dialog->ShowModal(), c.Expected);
    EXPECT_TRUE(highlighted);
    Free(dialog);
  }
}

TEST_F(StdCtrlsTest, FocusedButtonTakesTheDefaultHighlight) {
  TButton* def = Add<TButton>(Form, u"Def", 10, 10);
  TButton* other = Add<TButton>(Form, u"Other", 100, 10);
  TEdit* edit = Add<TEdit>(Form, u"Edit1", 10, 60);
  def->SetDefault(true);
  ShowForm();
  auto isDefault = [](TButton* b) {
    return (GetWindowLongW(b->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  };
  edit->SetFocus();
  Pump();
  EXPECT_TRUE(isDefault(def));
  EXPECT_FALSE(isDefault(other));
  other->SetFocus();
  Pump();
  EXPECT_FALSE(isDefault(def));
  EXPECT_TRUE(isDefault(other));
  edit->SetFocus();
  Pump();
  EXPECT_TRUE(isDefault(def));
}

// --- Label and group box ------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, LabelAcceleratorFocusesItsFocusControl) {
  TLabel* label = Add<TLabel>(Form, u"Label1", 10, 10);
  label->SetCaption(u"&Adı:");
  TEdit* first = Add<TEdit>(Form, u"Edit1", 10, 40);
  TButton* button = Add<TButton>(Form, u"Button1", 200, 40);
  TEdit* target = Add<TEdit>(Form, u"Edit2", 10, 80);
  label->SetFocusControl(target);
  ShowForm();
  struct TCase {
    const char* Name;
    TWinControl* From;
    bool Alt;
    bool Focuses;
  };
  const TCase cases[] = {{"alt from an edit", first, true, true},
                         {"plain key from a button", button, false, true},
                         {"plain key typed into an edit", first, false, false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    c.From->SetFocus();
    Pump();
    if (c.Alt)
      // the system character of Alt+A, as the keyboard sends it
      PostMessageW(c.From->Handle(), WM_SYSCHAR, u'a', 0x20000001);
    else
      Display.KeyPress('A');
    Pump();
    EXPECT_EQ(target->Focused(), c.Focuses);
  }
  // without ShowAccelChar the "&" is text, not an accelerator
  label->SetShowAccelChar(false);
  button->SetFocus();
  Pump();
  Display.KeyPress('A');
  Pump();
  EXPECT_FALSE(target->Focused());
  // the link goes with the control
  Free(target);
  EXPECT_EQ(label->FocusControl(), nullptr);
}

TEST_F(StdCtrlsTest, LabelAutoSizeMeasuresItsCaption) {
  TLabel* label = Add<TLabel>(Form, u"Label1", 10, 10);
  TCanvas* measure = Form->Canvas();
  measure->SetFont(label->Font());
  label->SetCaption(u"&Dosya adı");
  EXPECT_EQ(label->Width(), measure->TextWidth(u"Dosya adı"));  // the "&" is not shown
  EXPECT_EQ(label->Height(), measure->TextHeight(u"Dosya adı"));
  label->SetShowAccelChar(false);
  EXPECT_EQ(label->Width(), measure->TextWidth(u"&Dosya adı"));
  // right-aligned text keeps its right edge
  label->SetAlignment(taRightJustify);
  Integer right = label->Left() + label->Width();
  label->SetCaption(u"Ad");
  EXPECT_EQ(label->Left() + label->Width(), right);
  // word wrap keeps the width and grows in height
  label->SetAutoSize(false);
  label->SetWidth(40);
  label->SetWordWrap(true);
  label->SetCaption(u"bir iki üç dört beş");
  label->SetAutoSize(true);
  EXPECT_LE(label->Width(), 40);
  EXPECT_GE(label->Height(), 3 * measure->TextHeight(u"bir"));
  // an empty caption still has the height of a line
  label->SetWordWrap(false);
  label->SetCaption(u"");
  EXPECT_EQ(label->Height(), measure->TextHeight(u" "));
}

TEST_F(StdCtrlsTest, LabelAndGroupBoxPaintTheirText) {
  Form->SetColor(clWhite);
  TLabel* label = Add<TLabel>(Form, u"Label1", 10, 10);
  label->SetCaption(u"MMMM");
  label->SetColor(clYellow);
  TGroupBox* group = Add<TGroupBox>(Form, u"Group1", 10, 60, 150, 80);
  group->SetCaption(u"Grup");
  group->SetColor(clWhite);
  ShowForm();
  // the label's opaque background, the text in the font colour
  EXPECT_EQ(ScreenPixel(label, label->Width() - 1, label->Height() - 1), clYellow);
  bool dark = false;
  for (int x = 0; x < label->Width(); ++x)
    for (int y = 0; y < label->Height(); ++y) dark = dark || ScreenPixel(label, x, y) == clBlack;
  EXPECT_TRUE(dark);
  label->SetTransparent(true);
  Pump();
  EXPECT_EQ(ScreenPixel(label, label->Width() - 1, label->Height() - 1), clWhite);
  // the group's etched frame below the caption's middle, children inside it
  Integer h = Form->Canvas()->TextHeight(u"0");
  EXPECT_EQ(ScreenPixel(group, 0, group->Height() / 2), TColor(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(ScreenPixel(group, 1, group->Height() / 2), TColor(ColorToRGB(clBtnHighlight)));
  // aligned children are placed inside the frame, below the caption
  TPanel* inside = Add<TPanel>(group, u"Inside", 0, 0);
  inside->SetAlign(alClient);
  EXPECT_EQ(inside->Top(), h + 2);
  EXPECT_EQ(inside->Left(), 2);
  EXPECT_EQ(inside->Width(), group->Width() - 4);
}

// --- Form files and type information ----------------------------------------------------------------

namespace {

const char kStdForm[] =
    "object StdForm: TForm\r\n"
    "  Left = 0\r\n"
    "  Top = 0\r\n"
    "  Caption = 'Ayarlar'\r\n"
    "  ClientHeight = 260\r\n"
    "  ClientWidth = 400\r\n"
    "  object LabelName: TLabel\r\n"
    "    Left = 8\r\n"
    "    Top = 8\r\n"
    "    Caption = '&Ad'#305':'\r\n"
    "    FocusControl = EditName\r\n"
    "    Layout = tlCenter\r\n"
    "  end\r\n"
    "  object EditName: TEdit\r\n"
    "    Left = 60\r\n"
    "    Top = 8\r\n"
    "    Width = 150\r\n"
    "    Height = 21\r\n"
    "    MaxLength = 20\r\n"
    "    PasswordChar = '*'\r\n"
    "    TabOrder = 0\r\n"
    "    Text = 'kullan'#305'c'#305\r\n"
    "  end\r\n"
    "  object MemoNotes: TMemo\r\n"
    "    Left = 8\r\n"
    "    Top = 40\r\n"
    "    Width = 200\r\n"
    "    Height = 60\r\n"
    "    Lines.Strings = (\r\n"
    "      'birinci'\r\n"
    "      'ikinci')\r\n"
    "    ScrollBars = ssVertical\r\n"
    "    TabOrder = 1\r\n"
    "    WordWrap = False\r\n"
    "  end\r\n"
    "  object ListPorts: TListBox\r\n"
    "    Left = 220\r\n"
    "    Top = 8\r\n"
    "    Width = 100\r\n"
    "    Height = 80\r\n"
    "    ItemHeight = 13\r\n"
    "    Items.Strings = (\r\n"
    "      'COM1'\r\n"
    "      'COM2'\r\n"
    "      'COM3')\r\n"
    "    Sorted = True\r\n"
    "    TabOrder = 2\r\n"
    "  end\r\n"
    "  object ComboSpeed: TComboBox\r\n"
    "    Left = 220\r\n"
    "    Top = 100\r\n"
    "    Style = csDropDownList\r\n"
    "    ItemIndex = 1\r\n"
    "    TabOrder = 3\r\n"
    "    Items.Strings = (\r\n"
    "      '9600'\r\n"
    "      '19200')\r\n"
    "  end\r\n"
    "  object CheckLog: TCheckBox\r\n"
    "    Left = 8\r\n"
    "    Top = 110\r\n"
    "    Caption = 'G'#252'nl'#252'k tut'\r\n"
    "    State = cbChecked\r\n"
    "    TabOrder = 4\r\n"
    "  end\r\n"
    "  object GroupMode: TGroupBox\r\n"
    "    Left = 8\r\n"
    "    Top = 140\r\n"
    "    Width = 200\r\n"
    "    Height = 70\r\n"
    "    Caption = 'Kip'\r\n"
    "    TabOrder = 5\r\n"
    "    object RadioFast: TRadioButton\r\n"
    "      Left = 8\r\n"
    "      Top = 20\r\n"
    "      Caption = 'H'#305'zl'#305\r\n"
    "      Checked = True\r\n"
    "      TabOrder = 0\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object ButtonOK: TButton\r\n"
    "    Left = 220\r\n"
    "    Top = 220\r\n"
    "    Caption = 'Tamam'\r\n"
    "    Default = True\r\n"
    "    ModalResult = 1\r\n"
    "    TabOrder = 6\r\n"
    "  end\r\n"
    "  object PanelBottom: TPanel\r\n"
    "    Left = 0\r\n"
    "    Top = 230\r\n"
    "    Width = 200\r\n"
    "    Height = 30\r\n"
    "    BevelOuter = bvLowered\r\n"
    "    Caption = 'Haz'#305'r'\r\n"
    "    TabOrder = 7\r\n"
    "  end\r\n"
    "  object TimerPoll: TTimer\r\n"
    "    Interval = 250\r\n"
    "    Left = 300\r\n"
    "    Top = 150\r\n"
    "  end\r\n"
    "end\r\n";

template <class T>
T* Find(TComponent* Root, const char16_t* Name) {
  return dynamic_cast<T*>(Root->FindComponent(Name));
}

}  // namespace

TEST_F(StdCtrlsTest, AFormTextWithTheStandardControlsReadsBack) {
  RawByteString bin = ObjectTextToBinary(RawByteString(kStdForm));
  vcltest::Owned<TMemoryStream> in(New<TMemoryStream>());
  in->WriteBuffer(bin.data(), Integer(bin.size()));
  in->SetPosition(0);
  ReadComponentFromStream(in.get(), Form);
  auto* label = Find<TLabel>(Form, u"LabelName");
  auto* edit = Find<TEdit>(Form, u"EditName");
  auto* memo = Find<TMemo>(Form, u"MemoNotes");
  auto* list = Find<TListBox>(Form, u"ListPorts");
  auto* combo = Find<TComboBox>(Form, u"ComboSpeed");
  auto* check = Find<TCheckBox>(Form, u"CheckLog");
  auto* radio = Find<TRadioButton>(Form, u"RadioFast");
  auto* button = Find<TButton>(Form, u"ButtonOK");
  auto* panel = Find<TPanel>(Form, u"PanelBottom");
  auto* timer = Find<TTimer>(Form, u"TimerPoll");
  ASSERT_TRUE(label && edit && memo && list && combo && check && radio && button && panel && timer);
  EXPECT_EQ(label->FocusControl(), edit);
  EXPECT_EQ(label->Layout(), tlCenter);
  EXPECT_EQ(label->Width(), Form->Canvas()->TextWidth(u"Adı:"));  // sized once loaded
  EXPECT_EQ(edit->Text(), u"kullanıcı");
  EXPECT_EQ(edit->PasswordChar(), u'*');
  EXPECT_EQ(edit->MaxLength(), 20);
  EXPECT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->ScrollBars(), ssVertical);
  EXPECT_FALSE(memo->WordWrap());
  EXPECT_EQ(list->Count(), 3);
  EXPECT_EQ(list->ItemHeight(), 13);
  EXPECT_TRUE(list->Sorted());
  EXPECT_EQ(combo->Style(), csDropDownList);
  EXPECT_EQ(combo->Text(), u"19200");
  EXPECT_EQ(check->State(), cbChecked);
  EXPECT_EQ(radio->Parent(), Find<TGroupBox>(Form, u"GroupMode"));
  EXPECT_TRUE(radio->Checked());
  EXPECT_TRUE(button->Default());
  EXPECT_EQ(button->ModalResult(), mrOk);
  EXPECT_EQ(panel->BevelOuter(), bvLowered);
  EXPECT_EQ(panel->Caption(), u"Hazır");
  EXPECT_EQ(timer->Interval(), 250u);
  ShowForm();
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(memo->Lines()->Strings(1), u"ikinci");
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

  // Written back, the defaults stay out and the values read back the same.
  vcltest::Owned<TMemoryStream> out(New<TMemoryStream>());
  out->WriteComponent(Form);
  out->SetPosition(0);
  vcltest::Owned<TMemoryStream> text(New<TMemoryStream>());
  ObjectBinaryToText(out.get(), text.get());
  std::string written(static_cast<const char*>(text->Memory()), size_t(text->Size()));
  EXPECT_NE(written.find("PasswordChar = '*'"), std::string::npos);
  EXPECT_NE(written.find("'COM3'"), std::string::npos);
  EXPECT_EQ(written.find("AutoSelect"), std::string::npos);
  EXPECT_EQ(written.find("Checked ="), written.find("Checked = True"));  // the check box's is not stored
}

TEST_F(StdCtrlsTest, DialogControlPropertiesAreSetByNameThroughTypeInformation) {
  TLabel* label = Add<TLabel>(Form, u"Message", 10, 10);
  TEdit* edit = Add<TEdit>(Form, u"Value", 10, 40);
  TButton* button = Add<TButton>(Form, u"OK", 10, 80);
  SetPropValue(label, u"WordWrap", Variant(true));
  SetPropValue(label, u"Transparent", Variant(true));
  SetEnumProp(label, u"Layout", u"tlCenter");
  SetPropValue(label, u"Caption", Variant(String(u"Emin misiniz?")));
  SetPropValue(edit, u"MaxLength", Variant(Integer(12)));
  SetPropValue(edit, u"PasswordChar", Variant(Integer(u'*')));
  SetPropValue(edit, u"Text", Variant(String(u"abc")));
  SetPropValue(button, u"ModalResult", Variant(Integer(mrYes)));
  SetPropValue(button, u"Default", Variant(true));
  SetPropValue(button, u"Cancel", Variant(true));
  EXPECT_TRUE(label->WordWrap());
  EXPECT_TRUE(label->Transparent());
  EXPECT_EQ(label->Layout(), tlCenter);
  EXPECT_EQ(label->Caption(), u"Emin misiniz?");
  EXPECT_EQ(edit->MaxLength(), 12);
  EXPECT_EQ(edit->PasswordChar(), u'*');
  EXPECT_EQ(edit->Text(), u"abc");
  EXPECT_EQ(button->ModalResult(), mrYes);
  EXPECT_TRUE(button->Default());
  EXPECT_TRUE(button->Cancel());
  // a property the class lacks is found missing, as callers check first
  EXPECT_EQ(GetPropInfo(button, u"WordWrap") != nullptr, true);
  EXPECT_EQ(GetPropInfo(label, u"ModalResult"), nullptr);
}
