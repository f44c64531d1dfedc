// The memo driven with real keys, mouse and clipboard on the headless screen:
// line breaks kept on paste, Return and Tab stand-alone and in a grid cell,
// MaxLength on SelText, automatic height from VisibleLineCount, the library's
// scroll bars, the display text of a cell, the registration and the pictures.
#include <gtest/gtest.h>

#include "lib/data/vlValueTypes.h"
#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlMemo.h"
#include "lib/lookandfeel/vlScrollBar.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Conversions.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Windows.h"
#include "tests/lib/editors/FormFromText.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

std::string Narrow(const String& S) { return std::string(S.begin(), S.end()); }

void PutClipboardText(const String& AText) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (AText.size() + 1) * sizeof(Char));
  auto* p = static_cast<Char*>(GlobalLock(h));
  std::copy(AText.begin(), AText.end(), p);
  p[AText.size()] = 0;
  GlobalUnlock(h);
  SetClipboardData(CF_UNICODETEXT, h);
  CloseClipboard();
}

std::vector<String> LinesOf(TStrings* ALines) {
  std::vector<String> r;
  for (Integer i = 0; i < ALines->Count(); ++i) r.push_back(ALines->Strings(i));
  return r;
}

struct TKeyRecorder : public TObject {
  CL_CLASS(TKeyRecorder, TObject)
 public:
  std::vector<Word> AfterKeys;
  void AfterKeyDown(TObject*, Word& Key, TShiftState) { AfterKeys.push_back(Key); }
};
CL_IMPLEMENT_CLASS(TKeyRecorder)

class MemoTest : public controltest::ControlFixture {
 protected:
  TvlMemo* NewMemo(Integer AHeight = 89) {
    TvlMemo* m = Add<TvlMemo>(10, 10, 185, AHeight);
    Other = Add<TEdit>(10, 250, 100, 21);
    Pump();
    return m;
  }
  void Focus(TvlMemo* AMemo) {
    ClickAt(AMemo, 150, 70);
    Pump();
  }
  void Keys(std::initializer_list<Word> AHeld, Word AKey) {
    for (Word k : AHeld) Display.KeyDown(k);
    Display.KeyPress(AKey);
    for (Word k : AHeld) Display.KeyUp(k);
    Pump();
  }
  TEdit* Other{};
};

// --- Line breaks ---------------------------------------------------------------------------------------------

TEST(MemoLineBreaksTest, EveryKindOfBreakBecomesOneCrLf) {
  struct {
    const char16_t* In;
    const char16_t* Out;
  } cases[] = {
      {u"", u""},
      {u"a\r\nb", u"a\r\nb"},
      {u"a\nb", u"a\r\nb"},
      {u"a\rb", u"a\r\nb"},
      {u"a\n\rb", u"a\r\nb"},
      // Two pairs of LF CR at the end are two breaks, not four.
      {u"a\n\r\n\r", u"a\r\n\r\n"},
      {u"\n\n", u"\r\n\r\n"},
      {u"\r\r", u"\r\n\r\n"},
      {u"\r\n\n\r", u"\r\n\r\n"},
      {u"\r\n\r\n", u"\r\n\r\n"},
      {u"x\n\r\ny", u"x\r\n\r\ny"},
  };
  for (const auto& c : cases) EXPECT_EQ(vlNormalizeMemoLineBreaks(c.In), String(c.Out)) << Narrow(String(c.In));
}

TEST_F(MemoTest, PastingKeepsTheLinesWhateverTheirBreaks) {
  TvlMemo* m = NewMemo();
  Focus(m);
  PutClipboardText(u"one\ntwo\r\nthree\rfour\n\r\n\rfive");
  Keys({VK_CONTROL}, 'V');
  EXPECT_EQ(LinesOf(m->Lines()), (std::vector<String>{u"one", u"two", u"three", u"four", u"", u"five"}));
  EXPECT_EQ(VarToStr(m->EditValue()), u"one\r\ntwo\r\nthree\r\nfour\r\n\r\nfive");
  EXPECT_TRUE(m->ModifiedAfterEnter());
  // Shift+Insert pastes the same way, at the caret.
  PutClipboardText(u"\n\rsix");
  Display.KeyDown(VK_SHIFT);
  Display.KeyPress(VK_INSERT);
  Display.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(m->Lines()->Count(), 7);
  EXPECT_EQ(m->Lines()->Strings(6), u"six");
}

TEST_F(MemoTest, ReplacingTheSelectionFromOutsideKeepsTheBreaksAndTheValue) {
  TvlMemo* m = NewMemo();
  m->SetEditValue(Variant(u"start"));
  m->SetSelection(5, 0);
  // The message itself, as a caller of the window would send it.
  const String text = u"\n\rend\n\r\n\r";
  SendMessageW(m->InnerMemo()->WindowHandle(), EM_REPLACESEL, 1, reinterpret_cast<LPARAM>(text.c_str()));
  EXPECT_EQ(m->InnerMemo()->Text(), u"start\r\nend\r\n\r\n");
  EXPECT_EQ(VarToStr(m->EditValue()), u"start\r\nend\r\n\r\n");
  // SelText of an unfocused memo: the value follows, the editor is not modified.
  m->SetSelection(0, 5);
  m->SetSelText(u"a\rb");
  EXPECT_EQ(VarToStr(m->EditValue()), u"a\r\nb\r\nend\r\n\r\n");
  EXPECT_FALSE(m->EditModified());
}

// --- MaxLength and SelText -------------------------------------------------------------------------------------

TEST_F(MemoTest, MaxLengthCutsTheTextGivenToSelTextOfAFocusedMemo) {
  struct {
    const char* Name;
    const char16_t* Text;
    Integer SelStart, SelLength;
    const char16_t* Insert;
    const char16_t* Result;
  } cases[] = {
      {"caret at the end", u"12345678", 8, 0, u"abcd", u"12345678ab"},
      {"no room left", u"1234567890", 10, 0, u"abcd", u"1234567890"},
      {"a break is not split", u"12345678", 8, 0, u"\r\nx", u"12345678\r\n"},
      {"a surrogate pair is not split", u"123456789", 9, 0, u"\U0001F600", u"123456789"},
      {"room before the caret", u"12345678", 2, 0, u"ab", u"12ab345678"},
      // A value longer than MaxLength (from a data field): a selection that
      // starts past the limit has no room, so it is not even deleted.
      {"selection past the limit", u"123456789012", 10, 2, u"ab", u"123456789012"},
  };
  TvlMemo* m = NewMemo();
  m->Properties()->SetMaxLength(10);
  Focus(m);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    m->SetEditValue(Variant(String(c.Text)));
    m->SetSelection(c.SelStart, c.SelLength);
    m->SetSelText(c.Insert);
    EXPECT_EQ(m->InnerMemo()->Text(), String(c.Result));
  }
}

// --- Keys ----------------------------------------------------------------------------------------------------

TEST_F(MemoTest, ReturnAndTabFollowWantReturnsAndWantTabs) {
  struct {
    const char* Name;
    Boolean WantReturns, WantTabs;
    std::initializer_list<Word> Held;
    Word Key;
    const char16_t* Text;
    Boolean KeepsFocus;
  } cases[] = {
      {"Return with WantReturns", true, false, {}, VK_RETURN, u"ab\r\n", true},
      {"Return without WantReturns", false, false, {}, VK_RETURN, u"ab", true},
      {"Ctrl+Return without WantReturns", false, false, {VK_CONTROL}, VK_RETURN, u"ab\r\n", true},
      {"Tab with WantTabs", true, true, {}, VK_TAB, u"ab\t", true},
      {"Tab without WantTabs moves on", true, false, {}, VK_TAB, u"ab", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlMemo* m = NewMemo();
    Finally freeMemo([&] {
      Free(m);
      Free(Other);
    });
    m->Properties()->SetWantReturns(c.WantReturns);
    m->Properties()->SetWantTabs(c.WantTabs);
    Focus(m);
    Display.TypeText(u"ab");
    Pump();
    Keys(c.Held, c.Key);
    EXPECT_EQ(m->InnerMemo()->Text(), String(c.Text));
    EXPECT_EQ(m->Focused(), c.KeepsFocus);
  }
}

TEST_F(MemoTest, CtrlASelectsAllAndKeysThatMoveNothingTellTheEditor) {
  TvlMemo* m = NewMemo();
  TKeyRecorder* rec = New<TKeyRecorder>();
  Finally freeRec([&] { Free(rec); });
  m->SetOnAfterKeyDown(TKeyEvent(rec, &TKeyRecorder::AfterKeyDown));
  m->SetEditValue(Variant(u"first\r\nsecond"));
  Focus(m);
  Keys({VK_CONTROL}, 'A');
  EXPECT_EQ(m->SelStart(), 0);
  EXPECT_EQ(m->SelLength(), 13);
  m->SetSelection(0, 0);
  rec->AfterKeys.clear();
  Keys({}, VK_UP);  // the first line: Up moves nothing, and says nothing
  Keys({}, VK_LEFT);  // the very start: Left moves nothing
  EXPECT_EQ(rec->AfterKeys, (std::vector<Word>{VK_LEFT}));
  Keys({}, VK_RIGHT);
  EXPECT_EQ(rec->AfterKeys.size(), 1u);
}

// A stand-in for a grid: one memo in place, Return in the editor's OnKeyDown leaves the cell.
class TMemoGrid : public TCustomControl {
  CL_CLASS(TMemoGrid, TCustomControl)
 public:
  TvlInplaceEditList* List{};
  TvlMemoProperties* Properties{};
  TvlCustomEditData* Data{};
  TvlMemo* Edit{};
  Integer Leaves{};
  void StartEdit() {
    Edit = static_cast<TvlMemo*>(List->GetEdit(Properties));
    Edit->SetParent(this);
    Edit->SetBounds(10, 10, 150, 60);
    Edit->SetEditValue(Variant(u"cell"));
    Edit->SetOnKeyDown(TKeyEvent(this, &TMemoGrid::EditKeyDown));
    Edit->Activate(Data);
  }
  void EditKeyDown(TObject*, Word& Key, TShiftState) {
    if (Key != VK_RETURN) return;
    ++Leaves;
    Key = 0;
  }
};
CL_IMPLEMENT_CLASS(TMemoGrid)

TEST_F(MemoTest, InAGridCellReturnAndTabEnterTheTextOnlyWhenTheMemoWantsThem) {
  struct {
    const char* Name;
    Boolean WantReturns, WantTabs;
    std::initializer_list<Word> Held;
    Word Key;
    const char16_t* Text;
    Integer Leaves;
  } cases[] = {
      {"Return with WantReturns", true, false, {}, VK_RETURN, u"cell\r\n", 0},
      {"Return without WantReturns leaves", false, false, {}, VK_RETURN, u"cell", 1},
      {"Ctrl+Return without WantReturns", false, false, {VK_CONTROL}, VK_RETURN, u"cell\r\n", 0},
      {"Tab with WantTabs", true, true, {}, VK_TAB, u"cell\t", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoGrid* grid = Add<TMemoGrid>(10, 10, 300, 150);
    TvlInplaceEditList* list = New<TvlInplaceEditList>(static_cast<TComponent*>(grid));
    TvlMemoProperties* props = New<TvlMemoProperties>(static_cast<TPersistent*>(nullptr));
    Finally freeAll([&] {
      Free(grid->Data);
      Free(list);
      Free(props);
      Free(grid);
    });
    props->SetWantReturns(c.WantReturns);
    props->SetWantTabs(c.WantTabs);
    grid->List = list;
    grid->Properties = props;
    grid->StartEdit();
    Pump();
    ASSERT_TRUE(grid->Edit->Focused());
    grid->Edit->SetSelection(4, 0);
    Keys(c.Held, c.Key);
    EXPECT_EQ(grid->Edit->InnerMemo()->Text(), String(c.Text));
    EXPECT_EQ(grid->Leaves, c.Leaves);
  }
}

TEST_F(MemoTest, AnActivatingReturnIsNotTypedIntoTheCell) {
  TMemoGrid* grid = Add<TMemoGrid>(10, 10, 300, 150);
  TvlInplaceEditList* list = New<TvlInplaceEditList>(static_cast<TComponent*>(grid));
  TvlMemoProperties* props = New<TvlMemoProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeAll([&] {
    Free(grid->Data);
    Free(list);
    Free(props);
  });
  grid->List = list;
  grid->Properties = props;
  TvlMemo* m = static_cast<TvlMemo*>(list->GetEdit(props));
  m->SetParent(grid);
  m->SetBounds(10, 10, 150, 60);
  m->SetEditValue(Variant(u"x"));
  m->ActivateByKey(Char(VK_RETURN), grid->Data);
  Pump();
  EXPECT_EQ(m->InnerMemo()->Text(), u"x");
  // Any other key is typed once, at the start (a memo does not select all).
  m->ActivateByKey(u'y', grid->Data);
  Pump();
  EXPECT_EQ(m->InnerMemo()->Text(), u"yx");
}

struct TMemoFreer : public TObject {
  CL_CLASS(TMemoFreer, TObject)
 public:
  TvlCustomEdit* Edit{};
  void Change(TObject*) {
    TvlCustomEdit* e = Edit;
    Edit = nullptr;
    Free(e);
  }
  void AfterKeyDown(TObject* Sender, Word&, TShiftState) { Change(Sender); }
};
CL_IMPLEMENT_CLASS(TMemoFreer)

// The memo freed by its own handler while a key, a paste, a cut or a Return
// in place is handled: nothing may touch it afterwards.
TEST_F(MemoTest, AMemoFreedFromItsHandlerWhileAKeyOrAPasteIsHandled) {
  struct {
    const char* Name;
    std::initializer_list<Word> Held;
    Word Key;
    Boolean ByAfterKeyDown;
  } cases[] = {
      {"typing", {}, 'K', false},
      {"Return", {}, VK_RETURN, false},
      {"Ctrl+V", {VK_CONTROL}, 'V', false},
      {"Ctrl+X", {VK_CONTROL}, 'X', false},
      {"Ctrl+A", {VK_CONTROL}, 'A', true},
      {"Left at the start", {}, VK_LEFT, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlMemo* m = NewMemo();
    Finally freeOther([&] { Free(Other); });
    m->SetEditValue(Variant(u"a\r\nb"));
    Focus(m);
    m->SetSelection(0, c.Key == 'X' ? 1 : 0);
    PutClipboardText(u"p\nq");
    TMemoFreer* freer = New<TMemoFreer>();
    Finally freeFreer([&] { Free(freer); });
    freer->Edit = m;
    if (c.ByAfterKeyDown)
      m->SetOnAfterKeyDown(TKeyEvent(freer, &TMemoFreer::AfterKeyDown));
    else
      m->Properties()->SetOnChange(TNotifyEvent(freer, &TMemoFreer::Change));
    Keys(c.Held, c.Key);
    EXPECT_EQ(freer->Edit, nullptr);
    if (freer->Edit) Free(m);
  }
}

struct TMemoDisabler : public TObject {
  CL_CLASS(TMemoDisabler, TObject)
 public:
  TvlCustomEdit* Edit{};
  Integer Calls = 0;
  void Change(TObject*) {
    ++Calls;
    Edit->SetEnabledProp(false);
  }
};
CL_IMPLEMENT_CLASS(TMemoDisabler)

// A paste of many lines into a memo its own OnChange disables: the text is
// in whole and the value holds it.
TEST_F(MemoTest, AMemoDisabledFromItsHandlerDuringAPasteKeepsThePastedLines) {
  TvlMemo* m = NewMemo();
  Focus(m);
  String text;
  for (int i = 0; i < 200; ++i) text += u"line" + IntToStr(i) + (i % 2 ? u"\n" : u"\r");
  PutClipboardText(text);
  TMemoDisabler* disabler = New<TMemoDisabler>();
  Finally freeDisabler([&] { Free(disabler); });
  disabler->Edit = m;
  m->Properties()->SetOnChange(TNotifyEvent(disabler, &TMemoDisabler::Change));
  Keys({VK_CONTROL}, 'V');
  EXPECT_GE(disabler->Calls, 1);
  EXPECT_FALSE(m->Enabled());
  EXPECT_EQ(m->Lines()->Count(), 200);
  EXPECT_EQ(m->Lines()->Strings(199), u"line199");
  EXPECT_EQ(VarToStr(m->EditValue()), vlNormalizeMemoLineBreaks(text));
}

// A large paste with every kind of break loses nothing.
TEST_F(MemoTest, ALargePasteWithMixedBreaksKeepsEveryLine) {
  TvlMemo* m = NewMemo();
  Focus(m);
  const char16_t* breaks[] = {u"\r\n", u"\n", u"\r", u"\n\r"};
  String text, expected;
  Integer lines = 0;
  while (text.size() < 100000) {
    const String line = u"row " + IntToStr(lines) + u" \u0130\u0131\u015F\u011F";
    text += line + breaks[lines % 4];
    expected += line + u"\r\n";
    ++lines;
  }
  PutClipboardText(text);
  Keys({VK_CONTROL}, 'V');
  EXPECT_EQ(m->Lines()->Count(), lines);
  EXPECT_EQ(m->InnerMemo()->Text(), expected);
  EXPECT_EQ(VarToStr(m->EditValue()), expected);
}

// Values from a data field that are not plain text.
TEST_F(MemoTest, NullNumberAndALoneCarriageReturnAsTheValue) {
  struct {
    const char* Name;
    Variant Value;
    Integer Lines;
    String Shown;
  } cases[] = {
      {"Null", Null(), 0, u""},
      {"a number", Variant(Integer(42)), 1, u"42"},
      {"a lone CR", Variant(String(u"a\rb")), 2, u"a"},
      {"a lone LF", Variant(String(u"a\nb")), 2, u"a"},
  };
  TvlMemo* m = NewMemo();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    m->SetEditValue(Variant(u"old"));
    m->SetEditValue(c.Value);
    EXPECT_EQ(m->Lines()->Count(), c.Lines);
    EXPECT_EQ(m->Properties()->GetDisplayText(m->EditValue(), false), c.Shown);
    // Showing the value does not rewrite it: the field gets back what it gave.
    EXPECT_EQ(VarToStr(m->EditValue()), VarToStr(c.Value));
    EXPECT_FALSE(m->EditModified());
  }
}

// --- Size and scroll bars ---------------------------------------------------------------------------------------

TEST_F(MemoTest, VisibleLineCountSizesAStandAloneMemo) {
  TvlMemo* m = NewMemo(200);
  TvlScreenCanvas* canvas = vlGetScreenCanvas();
  canvas->SetFont(m->Style()->GetVisibleFont());
  const Integer line = canvas->TextHeight(u"Zg");
  canvas->Dormant();
  // Without a line count the memo keeps its height, AutoSize or not.
  m->SetAutoSize(true);
  Pump();
  EXPECT_EQ(m->Height(), 200);
  m->SetAutoSize(false);
  m->Properties()->SetVisibleLineCount(3);
  Pump();
  const Integer three = m->Height();
  m->Properties()->SetVisibleLineCount(1);
  Pump();
  EXPECT_EQ(three - m->Height(), 2 * line);
  // Three lines plus the text offsets (4) plus the border.
  EXPECT_GE(three, 3 * line + 4);
  EXPECT_LT(three, 3 * line + 4 + 8);
  // Even with nothing to show the text area holds the three lines and the offsets (1 above, 3 below).
  m->Properties()->SetVisibleLineCount(3);
  Pump();
  EXPECT_EQ(m->ViewInfo()->ClientRect.Height(), 3 * line + 4);
  // A view that measures no text at all (buttons only) still holds the three lines.
  m->Properties()->SetButtonsViewStyle(bvsButtonsOnly);
  Pump();
  EXPECT_EQ(m->ViewInfo()->ClientRect.Height(), 3 * line + 4);
  m->Properties()->SetButtonsViewStyle(bvsNormal);
  {
    const Integer before = m->Height();
    m->Properties()->SetScrollBars(ssHorizontal);
    Pump();
    // A horizontal bar adds its height, so the three lines stay in view above it.
    EXPECT_EQ(m->Height(), before + GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(m->InnerMemo()->ClientHeight(), 3 * line);
  }
  m->Properties()->SetVisibleLineCount(-2);
  EXPECT_EQ(m->Properties()->VisibleLineCount(), 0);
}

TEST_F(MemoTest, TheLibraryDrawsTheScrollBarAndItScrollsTheText) {
  TvlMemo* m = NewMemo();
  String text;
  for (int i = 0; i < 30; ++i) text += u"line " + IntToStr(i) + u"\r\n";
  m->SetEditValue(Variant(text));
  Pump();
  EXPECT_TRUE(!m->VScrollBar() || !m->VScrollBar()->Visible());
  m->Properties()->SetScrollBars(ssVertical);
  Pump();
  ASSERT_TRUE(m->VScrollBar());
  ASSERT_TRUE(m->VScrollBar()->Visible());
  EXPECT_FALSE(m->HScrollBar()->Visible());
  // A click on the bar's lower arrow scrolls the memo by a line.
  TvlScrollBar* bar = m->VScrollBar();
  const HWND inner = m->InnerMemo()->WindowHandle();
  EXPECT_EQ(SendMessageW(inner, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  ClickAt(bar, bar->Width() / 2, bar->Height() - 3);
  Pump();
  EXPECT_EQ(SendMessageW(inner, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  // Dragging the thumb down scrolls further, and the bar follows the memo.
  const TPoint thumb = bar->ClientToScreen(TPoint{bar->Width() / 2, bar->Width() + 3});
  Display.MouseDown(thumb.X, thumb.Y);
  Pump();
  Display.MouseMove(thumb.X, thumb.Y + 25);
  Pump();
  Display.MouseUp(thumb.X, thumb.Y + 25);
  Pump();
  const LRESULT first = SendMessageW(inner, EM_GETFIRSTVISIBLELINE, 0, 0);
  EXPECT_GT(first, 1);
  EXPECT_EQ(bar->Position(), Integer(first));
  m->Properties()->SetScrollBars(ssNone);
  Pump();
  EXPECT_TRUE(!m->VScrollBar() || !m->VScrollBar()->Visible());
  // The text and its place survive the windows made again.
  EXPECT_EQ(VarToStr(m->EditValue()), text);
}

// Changing the bars while the user is typing makes the windows again: what
// was typed stays, still to be posted.
TEST_F(MemoTest, ChangingTheScrollBarsWhileTypingKeepsTheTypedText) {
  TvlMemo* m = NewMemo();
  m->SetEditValue(Variant(u"old"));
  Focus(m);
  Keys({VK_CONTROL}, 'A');
  Display.TypeText(u"new");
  Keys({}, VK_RETURN);
  Display.TypeText(u"\u0130z");
  Pump();
  m->Properties()->SetScrollBars(ssBoth);
  Pump();
  const String typed = u"new\r\n\u0130z";
  EXPECT_EQ(m->InnerMemo()->Text(), typed);
  EXPECT_EQ(VarToStr(m->EditingValue()), typed);
  EXPECT_TRUE(m->EditModified());
  EXPECT_TRUE(m->Focused());
}

// --- Lines, caret, clipboard, forms ---------------------------------------------------------------------------

TEST_F(MemoTest, LinesAndCaretPosSpeakInLinesAndColumns) {
  TvlMemo* m = NewMemo();
  TStringList* lines = New<TStringList>();
  Finally freeLines([&] { Free(lines); });
  lines->Add(u"alpha");
  lines->Add(u"beta");
  m->SetLines(lines);
  EXPECT_EQ(VarToStr(m->EditValue()), u"alpha\r\nbeta\r\n");
  m->SetCaretPos(TPoint{2, 1});
  EXPECT_EQ(m->SelStart(), 9);
  EXPECT_EQ(m->CaretPos().X, 2);
  EXPECT_EQ(m->CaretPos().Y, 1);
  // Writing the lines from outside makes the value; writing the value shows the lines.
  m->Lines()->SetText(u"x\r\ny");
  EXPECT_EQ(VarToStr(m->EditValue()), u"x\r\ny");
  m->SetEditValue(Variant(u"1\r\n2\r\n3"));
  EXPECT_EQ(m->Lines()->Count(), 3);
  // Adding, changing and deleting single lines keeps the value in step.
  m->Lines()->Add(u"4");
  EXPECT_EQ(VarToStr(m->EditValue()), u"1\r\n2\r\n3\r\n4");
  m->Lines()->SetStrings(1, u"two");
  EXPECT_EQ(VarToStr(m->EditValue()), u"1\r\ntwo\r\n3\r\n4");
  m->Lines()->Delete(0);
  EXPECT_EQ(VarToStr(m->EditValue()), u"two\r\n3\r\n4");
  m->Lines()->Delete(2);
  EXPECT_EQ(VarToStr(m->EditValue()), u"two\r\n3");
  EXPECT_FALSE(m->EditModified());
}

TEST_F(MemoTest, CutDeleteAndPasteTakeTheSelectionUnlessReadOnly) {
  struct {
    const char* Name;
    Boolean ReadOnly;
    std::initializer_list<Word> Held;
    Word Key;
    const char16_t* Text;
    const char16_t* Clipboard;
  } cases[] = {
      {"Ctrl+X", false, {VK_CONTROL}, 'X', u"one\r\n", u"two"},
      {"Delete", false, {}, VK_DELETE, u"one\r\n", u"-"},
      {"Ctrl+X read-only", true, {VK_CONTROL}, 'X', u"one\r\ntwo", nullptr},
      {"Delete read-only", true, {}, VK_DELETE, u"one\r\ntwo", nullptr},
      {"Ctrl+V", false, {VK_CONTROL}, 'V', u"one\r\n-", u"-"},
      {"Ctrl+V read-only", true, {VK_CONTROL}, 'V', u"one\r\ntwo", u"-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlMemo* m = NewMemo();
    Finally freeMemo([&] {
      Free(m);
      Free(Other);
    });
    PutClipboardText(u"-");
    m->Properties()->SetReadOnly(c.ReadOnly);
    m->SetEditValue(Variant(u"one\r\ntwo"));
    Focus(m);
    m->SetSelection(5, 3);
    Keys(c.Held, c.Key);
    EXPECT_EQ(m->InnerMemo()->Text(), String(c.Text));
    EXPECT_EQ(VarToStr(m->EditingValue()), String(c.Text));
    if (!c.Clipboard) continue;
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    const String clip = h ? String(static_cast<const Char*>(GlobalLock(h))) : String();
    if (h) GlobalUnlock(h);
    CloseClipboard();
    EXPECT_EQ(clip, String(c.Clipboard));
  }
}

TEST_F(MemoTest, LinesStoredWithAFormBecomeTheValue) {
  const char* text =
      "object Form1: TForm\n  Left = 0\n  Top = 0\n  Width = 300\n  Height = 200\n"
      "  object Notes: TvlMemo\n    Left = 8\n    Top = 8\n"
      "    Lines.Strings = (\n      'Kart 12'\n      'Kont\xc3\xb6r 150')\n"
      "    Properties.ScrollBars = ssVertical\n    Properties.WantTabs = True\n"
      "    Height = 89\n    Width = 185\n  end\nend\n";
  TForm* form = NewFormFromText(RawByteString(text));
  Finally freeForm([&] { Free(form); });
  auto* m = dynamic_cast<TvlMemo*>(form->FindComponent(u"Notes"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Properties()->ScrollBars(), ssVertical);
  EXPECT_TRUE(m->Properties()->WantTabs());
  EXPECT_EQ(LinesOf(m->Lines()), (std::vector<String>{u"Kart 12", u"Kontör 150"}));
  EXPECT_EQ(VarToStr(m->EditValue()), u"Kart 12\r\nKontör 150\r\n");
}

class TActionBinding : public TvlEditDataBinding {
  CL_CLASS(TActionBinding, TvlEditDataBinding)
 public:
  Boolean ExecuteAction(TBasicAction*) override { return ++Actions > 0; }
  Boolean UpdateAction(TBasicAction*) override { return ++Actions > 0; }
  Integer Actions{};
};
CL_IMPLEMENT_CLASS(TActionBinding)

class TActionMemo : public TvlMemo {
  CL_CLASS(TActionMemo, TvlMemo)
 public:
  TActionBinding* Binding() const { return static_cast<TActionBinding*>(DataBinding()); }

 protected:
  TvlEditDataBindingClass DataBindingClass() const override { return ClassOf<TActionBinding>(); }
};
CL_IMPLEMENT_CLASS(TActionMemo)

TEST_F(MemoTest, ActionsTheInnerMemoDoesNotHandleGoToTheEditor) {
  TActionMemo* m = Add<TActionMemo>(10, 10, 185, 89);
  TBasicAction* action = New<TBasicAction>(static_cast<TComponent*>(nullptr));
  Finally freeAction([&] { Free(action); });
  EXPECT_TRUE(m->InnerMemo()->ExecuteAction(action));
  EXPECT_TRUE(m->InnerMemo()->UpdateAction(action));
  EXPECT_EQ(m->Binding()->Actions, 2);
}

// --- Display text, registration -------------------------------------------------------------------------------

TEST(MemoPropertiesTest, ACellShowsTheFirstLineUpTo250Characters) {
  TvlMemoProperties* p = New<TvlMemoProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeProps([&] { Free(p); });
  const String long300(300, u'x');
  struct {
    const char* Name;
    String Value;
    Boolean Full;
    String Shown;
  } cases[] = {
      {"two lines", u"first\r\nsecond", false, u"first"},
      {"a lone LF", u"a\nb", false, u"a"},
      {"an empty first line", u"\r\nb", false, u""},
      {"the full text", u"first\r\nsecond", true, u"first\r\nsecond"},
      {"300 characters", long300, false, String(250, u'x')},
      {"300 characters in full", long300, true, long300},
      // A character outside the basic plane straddling the cut is left out whole.
      {"a surrogate pair at the cut", String(249, u'x') + u"\U0001F600yy", false, String(249, u'x')},
      {"a surrogate pair before the cut", String(248, u'x') + u"\U0001F600yy", false,
       String(248, u'x') + u"\U0001F600"},
  };
  for (const auto& c : cases) EXPECT_EQ(p->GetDisplayText(Variant(c.Value), c.Full), c.Shown) << c.Name;
  EXPECT_FALSE(p->AutoSelect());
  EXPECT_TRUE(p->WantReturns());
  EXPECT_TRUE(p->WordWrap());
  EXPECT_TRUE(p->KeepsTabKey() == p->WantTabs());
}

class TBlobProvider : public TvlCustomEditDefaultValuesProvider {
  CL_CLASS(TBlobProvider, TvlCustomEditDefaultValuesProvider)
 public:
  Boolean IsBlob() override { return true; }
};
CL_IMPLEMENT_CLASS(TBlobProvider)

TEST(MemoPropertiesTest, ABlobFieldExchangesItsValueAnyOtherItsText) {
  TvlMemoProperties* p = New<TvlMemoProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeProps([&] { Free(p); });
  EXPECT_EQ(p->GetEditValueSource(false), 1);
  TBlobProvider* blob = New<TBlobProvider>(static_cast<TPersistent*>(nullptr));
  Finally freeProvider([&] { Free(blob); });
  p->SetIDefaultValuesProvider(blob);
  EXPECT_EQ(p->GetEditValueSource(false), 0);
}

TEST(MemoPropertiesTest, RegisteredWithItsFilterHelperOfTextOperators) {
  TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry();
  EXPECT_EQ(registry->GetDescriptionByClass(ClassOf<TvlMemoProperties>()), u"Memo");
  EXPECT_EQ(registry->GetHintByClass(ClassOf<TvlMemoProperties>()),
            u"Represents an edit control that allows editing memo data");
  ASSERT_EQ(vlFilterEditsController()->FindHelper(ClassOf<TvlMemoProperties>()), ClassOf<TvlFilterMemoHelper>());
  const TvlFilterControlOperators ops = ClassOf<TvlFilterMemoHelper>()->GetSupportedFilterOperators(
      nullptr, ClassOf<TvlIntegerValueType>(), true);
  TvlFilterControlOperators expected;
  for (TvlFilterControlOperator o : {fcoLike, fcoNotLike, fcoBlanks, fcoNonBlanks}) expected.Include(o);
  EXPECT_TRUE(ops == expected);
}

}  // namespace
