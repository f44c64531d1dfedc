// The text editor used as an operator and a failing world would use it: undo
// after a paste, Backspace at the start, a selection dragged with the mouse,
// the character case and numbers under the Turkish and English locales, the
// editor read-only, disabled or freed from its own handlers while typing, a
// very long text, lookup items with duplicates and empty items.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/editors/vlDateUtils.h"
#include "lib/editors/vlTextEdit.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

void PutClipboard(const String& AText) {
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

// Properties of an editor that edits numbers, as the spin and currency editors do.
class TNumberProperties : public TvlTextEditProperties {
  CL_CLASS(TNumberProperties, TvlTextEditProperties)
 public:
  Boolean EditsNumbers() override { return true; }
};
CL_IMPLEMENT_CLASS(TNumberProperties)

class TNumberEdit : public TvlTextEdit {
  CL_CLASS(TNumberEdit, TvlTextEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TNumberProperties>(); }
};
CL_IMPLEMENT_CLASS(TNumberEdit)

// Records the editor's events; frees or disables it from one of them on request.
struct TEditRecorder : public TObject {
  CL_CLASS(TEditRecorder, TObject)
 public:
  std::vector<std::string> Events;
  TvlTextEdit* Target{};
  std::string On;
  Boolean Disable{};
  void Note(const std::string& AWhat) {
    Events.push_back(AWhat);
    if (!Target || AWhat != On) return;
    TvlTextEdit* e = Target;
    Target = nullptr;
    if (Disable)
      e->SetEnabledProp(false);
    else
      Free(e);
  }
  void Changed(TObject*) { Note("change"); }
  void ValueChanged(TObject*) { Note("value"); }
  void Validate(TObject*, Variant&, String&, Boolean&) { Note("validate"); }
};
CL_IMPLEMENT_CLASS(TEditRecorder)

class TextEditOperatorTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TEditRecorder>();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    Free(Recorder);
    UseLocale(TSystemLocale::Turkish);
  }
  static void UseLocale(TSystemLocale ALocale) {
    SetSystemLocale(ALocale);
    vlFormatController()->RegionalSettingsChanged();
  }
  template <class T = TvlTextEdit>
  T* NewEdit(Integer ATop = 10) {
    T* e = Add<T>(10, ATop, 150, 21);
    e->Properties()->SetOnChange(TNotifyEvent(Recorder, &TEditRecorder::Changed));
    e->Properties()->SetOnEditValueChanged(TNotifyEvent(Recorder, &TEditRecorder::ValueChanged));
    e->Properties()->SetOnValidate(TvlEditValidateEvent(Recorder, &TEditRecorder::Validate));
    Pump();
    return e;
  }
  void Focus(TvlTextEdit* AEdit) { ClickAt(AEdit, 100, 10); }
  void Chord(UINT AModifier, UINT AKey) {
    Display.KeyDown(AModifier);
    Display.KeyPress(AKey);
    Display.KeyUp(AModifier);
    Pump();
  }
  void Press(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  void Type(const String& AText) {
    Display.TypeText(AText);
    Pump();
  }
  // The screen point of a character's left edge in the inner edit.
  TPoint CharPoint(TvlTextEdit* AEdit, Integer AIndex) {
    TWinControl* inner = AEdit->InnerControl();
    const LRESULT r = SendMessageW(inner->WindowHandle(), EM_POSFROMCHAR, WPARAM(AIndex), 0);
    return inner->ClientToScreen(TPoint{SmallInt(LOWORD(r)), SmallInt(HIWORD(r)) + 3});
  }
  TEditRecorder* Recorder{};
};

// --- Undo, Backspace, the mouse --------------------------------------------------------------------------------

TEST_F(TextEditOperatorTest, UndoAfterAPasteBringsTheTextBack) {
  struct Case {
    Integer MaxLength;
    const char16_t *Typed, *Clip, *Pasted;
    Integer Caret;
  } cases[] = {
      {5, u"12345", u"6789", u"12678", 2},
      {0, u"abc", u"XY", u"aXYbc", 1},
      {8, u"abc", u"XY", u"aXYbc", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    TvlTextEdit* e = NewEdit();
    e->Properties()->SetMaxLength(c.MaxLength);
    Focus(e);
    Type(c.Typed);
    e->SetSelection(c.Caret, 0);
    PutClipboard(c.Clip);
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(e->Text(), String(c.Pasted));
    Chord(VK_CONTROL, 'Z');
    EXPECT_EQ(e->Text(), String(c.Typed));
    Free(e);
  }
}

TEST_F(TextEditOperatorTest, BackspaceAtTheStartChangesNothing) {
  TvlTextEdit* e = NewEdit();
  e->Properties()->LookupItems()->Add(u"Beta");
  Focus(e);
  Press(VK_BACK);
  EXPECT_EQ(e->Text(), u"");
  Type(u"ab");
  Press(VK_HOME);
  Recorder->Events.clear();
  Press(VK_BACK);
  EXPECT_EQ(e->Text(), u"ab");
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_TRUE(Recorder->Events.empty());
}

TEST_F(TextEditOperatorTest, AMouseDragSelectsTheText) {
  TvlTextEdit* e = NewEdit();
  Focus(e);
  Type(u"Kontör yükle");
  const TPoint from = CharPoint(e, 1), to = CharPoint(e, 6);
  Display.MouseDown(from.X + 1, from.Y);
  Pump();
  Display.MouseMove(to.X + 1, to.Y);
  Pump();
  Display.MouseUp(to.X + 1, to.Y);
  Pump();
  EXPECT_EQ(e->SelStart(), 1);
  EXPECT_EQ(e->SelText(), u"ontör");
  Chord(VK_CONTROL, 'C');
  e->SetSelection(12, 0);
  Chord(VK_CONTROL, 'V');
  EXPECT_EQ(e->Text(), u"Kontör yükleontör");
}

// --- Locales -----------------------------------------------------------------------------------------------

TEST_F(TextEditOperatorTest, CharCaseFollowsTheLocale) {
  struct Case {
    TSystemLocale Locale;
    TEditCharCase CharCase;
    const char16_t *Typed, *Shown;
  } cases[] = {
      {TSystemLocale::Turkish, ecUpperCase, u"iıa", u"İIA"},
      {TSystemLocale::EnglishUS, ecUpperCase, u"iıa", u"IIA"},
      {TSystemLocale::Turkish, ecLowerCase, u"IİA", u"ıia"},
      {TSystemLocale::EnglishUS, ecLowerCase, u"IA", u"ia"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    UseLocale(c.Locale);
    TvlTextEdit* e = NewEdit();
    e->Properties()->SetCharCase(c.CharCase);
    Focus(e);
    Type(c.Typed);
    EXPECT_EQ(e->Text(), String(c.Shown));
    // A paste and a value set from code take the same case.
    e->SetSelection(0, 0);
    PutClipboard(c.Typed);
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(e->Text(), String(c.Shown) + c.Shown);
    e->SetTextProp(c.Typed);
    EXPECT_EQ(e->Text(), String(c.Shown));
    Free(e);
  }
}

TEST_F(TextEditOperatorTest, ANumberFollowsTheLocaleFocusedOrNot) {
  struct Case {
    TSystemLocale Locale;
    const char16_t *Unfocused, *Focused;
  } cases[] = {
      {TSystemLocale::Turkish, u"1.234,50", u"1234,5"},
      {TSystemLocale::EnglishUS, u"1,234.50", u"1234.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    UseLocale(c.Locale);
    TNumberEdit* e = NewEdit<TNumberEdit>();
    TvlTextEdit* other = NewEdit(40);
    e->Properties()->SetDisplayFormat(u"#,##0.00");
    e->SetEditValue(Variant(1234.5));
    EXPECT_EQ(e->Text(), String(c.Unfocused));
    Focus(e);
    EXPECT_EQ(e->Text(), String(c.Focused));
    e->SetEditValue(Variant(1234.5));
    EXPECT_EQ(e->Text(), String(c.Focused)) << "set while focused";
    Focus(other);
    EXPECT_EQ(e->Text(), String(c.Unfocused));
    Free(e);
    Free(other);
  }
}

TEST_F(TextEditOperatorTest, ALocaleChangeReformatsAShownNumber) {
  TNumberEdit* e = NewEdit<TNumberEdit>();
  e->Properties()->SetDisplayFormat(u"#,##0.00");
  e->SetEditValue(Variant(1234.5));
  EXPECT_EQ(e->Text(), u"1.234,50");
  UseLocale(TSystemLocale::EnglishUS);
  EXPECT_EQ(e->Text(), u"1,234.50");
}

TEST_F(TextEditOperatorTest, IncrementalSearchWithTheDottedAndDotlessI) {
  struct Case {
    TSystemLocale Locale;
    const char16_t *Typed, *Shown;
  } cases[] = {
      {TSystemLocale::Turkish, u"i", u"istanbul"},
      {TSystemLocale::Turkish, u"ı", u"ızmir"},
      {TSystemLocale::Turkish, u"İ", u"İstanbul"},
      {TSystemLocale::EnglishUS, u"i", u"izmir"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    UseLocale(c.Locale);
    TvlTextEdit* e = NewEdit();
    e->Properties()->LookupItems()->Add(u"Izmir");
    e->Properties()->LookupItems()->Add(u"İstanbul");
    Focus(e);
    Type(c.Typed);
    EXPECT_EQ(e->Text(), String(c.Shown));
    EXPECT_EQ(e->SelStart(), 1);
    Free(e);
  }
}

// --- Read-only, disabled, freed ------------------------------------------------------------------------------

// The framework drops an unposted change when the editor turns read-only;
// the text shows the value again at once instead of keeping the typed text
// until a later refresh wipes it.
TEST_F(TextEditOperatorTest, ReadOnlyToggledWhileFocused) {
  TvlTextEdit* e = NewEdit();
  e->SetTextProp(u"12");
  Focus(e);
  e->SetSelection(2, 0);
  Type(u"ab");
  EXPECT_EQ(e->Text(), u"12ab");
  e->Properties()->SetReadOnly(true);
  EXPECT_EQ(e->Text(), u"12");
  Type(u"c");
  Press(VK_BACK);
  Press(VK_DELETE);
  PutClipboard(u"xyz");
  Chord(VK_CONTROL, 'V');
  e->SelectAll();
  Chord(VK_CONTROL, 'X');
  EXPECT_EQ(e->Text(), u"12");
  e->Properties()->SetReadOnly(false);
  EXPECT_EQ(e->Text(), u"12");
  e->SetSelection(2, 0);
  Type(u"c");
  EXPECT_EQ(e->Text(), u"12c");
  // A value typed, validated with Enter and then made read-only stays.
  e->Properties()->SetValidateOnEnter(true);
  Press(VK_RETURN);
  e->Properties()->SetReadOnly(true);
  e->Properties()->SetReadOnly(false);
  EXPECT_EQ(e->Text(), u"12c");
  EXPECT_EQ(VarToStr(e->EditValue()), u"12c");
}

TEST_F(TextEditOperatorTest, FreedOrDisabledFromItsHandlersWhileTyping) {
  for (const char* on : {"change", "value", "validate"}) {
    for (Boolean disable : {false, true}) {
      SCOPED_TRACE(std::string(on) + (disable ? " disabled" : " freed"));
      TvlTextEdit* e = NewEdit();
      e->Properties()->SetValidateOnEnter(true);
      Focus(e);
      Recorder->Target = e;
      Recorder->On = on;
      Recorder->Disable = disable;
      Type(u"ab");
      Press(VK_RETURN);
      Type(u"cd");
      EXPECT_EQ(Recorder->Target, nullptr) << "the handler ran";
      if (disable) {
        EXPECT_FALSE(e->Enabled());
        const String text = e->Text();
        Type(u"x");
        EXPECT_EQ(e->Text(), text);
        Free(e);
      }
      Recorder->Target = nullptr;
      Recorder->Events.clear();
    }
  }
}

// --- Long texts and lookup items -------------------------------------------------------------------------------

TEST_F(TextEditOperatorTest, AHundredThousandCharacters) {
  TvlTextEdit* e = NewEdit();
  const String big(100000, u'ş');
  e->SetTextProp(big);
  EXPECT_EQ(e->Text().size(), 100000u);
  EXPECT_EQ(SendMessageW(e->WindowHandle(), WM_GETTEXTLENGTH, 0, 0), 100000);
  Focus(e);
  e->SetSelection(100000, 0);
  Type(u"x");
  EXPECT_EQ(e->Text().size(), 100001u);
  EXPECT_EQ(e->CursorPos(), 100001);
  e->Properties()->SetMaxLength(10);
  e->SelectAll();
  Type(u"y");
  EXPECT_EQ(e->Text(), u"y");
}

TEST_F(TextEditOperatorTest, LookupItemsWithDuplicatesAndEmptyItems) {
  TvlTextEdit* e = NewEdit();
  for (const char16_t* s : {u"", u"Beta", u"Beta", u"", u"Bravo"}) e->Properties()->LookupItems()->Add(s);
  TvlCustomTextEditLookupData* data = e->LookupData();
  Focus(e);
  Type(u"b");
  EXPECT_EQ(e->Text(), u"beta");
  EXPECT_EQ(data->CurrentKey(), 1);
  Type(u"r");
  EXPECT_EQ(e->Text(), u"bravo");
  EXPECT_EQ(data->CurrentKey(), 4);
  data->Go(egdBegin, false);
  EXPECT_EQ(e->Text(), u"");
  data->Go(egdNext, false);
  EXPECT_EQ(e->Text(), u"Beta");
  data->Go(egdNext, false);
  EXPECT_EQ(data->CurrentKey(), 2);
  EXPECT_EQ(e->Text(), u"Beta");
  data->Go(egdNext, false);
  EXPECT_EQ(e->Text(), u"");
  EXPECT_EQ(e->ItemIndex(), 3);
  e->SetItemIndex(4);
  EXPECT_EQ(e->Text(), u"Bravo");
  e->SetItemIndex(0);
  EXPECT_EQ(e->Text(), u"");
}

}  // namespace
