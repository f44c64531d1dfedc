// The masked editor driven with real keys, mouse and clipboard on the
// headless screen: a date mask, a regular-expression time mask, the
// completing kind, paste, Backspace and Delete, the empty regular-expression
// mask of the port combo box, a refused text on exit; its properties, the
// display rule and the filter helper.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "lib/data/vlValueTypes.h"
#include "lib/editors/vlDateUtils.h"
#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlMaskEdit.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/win/Windows.h"
#include "tests/lib/editors/FormFromText.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

const char16_t* const kTime = u"([01]?\\d|2[0-3]):[0-5]?\\d";

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

struct THandlers {
  std::function<void(TMessage&)> Message;
  std::function<void(Variant&, String&, Boolean&)> Validate;
  void OnMessage(TMessage& M) { Message(M); }
  void OnValidate(TObject*, Variant& ADisplayValue, String& AErrorText, Boolean& AError) {
    Validate(ADisplayValue, AErrorText, AError);
  }
};

class MaskEditTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);
    vlFormatController()->RegionalSettingsChanged();
    ControlFixture::SetUp();
  }
  TvlMaskEdit* NewEdit(TvlEditMaskKind AKind, const String& AMask, Integer ATop = 10) {
    TvlMaskEdit* e = Add<TvlMaskEdit>(10, ATop, 150, 21);
    e->Properties()->SetMaskKind(AKind);
    e->Properties()->SetEditMask(AMask);
    Pump();
    return e;
  }
  void Focus(TvlMaskEdit* AEdit) {
    ClickAt(AEdit, 100, 10);
    Pump();
  }
  void Key(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  void Type(const String& AText) {
    Display.TypeText(AText);
    Pump();
  }
};

// --- Typing through the three kinds -------------------------------------------------------------------------

TEST_F(MaskEditTest, TypingIntoADateMask) {
  TvlMaskEdit* e = NewEdit(emkStandard, vlFormatController()->StandardDateEditMask());
  Focus(e);
  EXPECT_EQ(e->Text(), u"  .  .    ");
  Key(VK_HOME);
  Type(u"12");
  EXPECT_EQ(e->Text(), u"12.  .    ");  // the separator comes by itself
  EXPECT_EQ(e->SelStart(), 3);
  Type(u"x");  // refused
  EXPECT_EQ(e->Text(), u"12.  .    ");
  Type(u"022011");
  EXPECT_EQ(e->Text(), u"12.02.2011");
  EXPECT_TRUE(e->ModifiedAfterEnter());
  EXPECT_TRUE(e->ValidateEdit(false));
  // Backspace blanks the slot before the cursor, Delete the one under it.
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), u"12.02.201 ");
  Key(VK_HOME);
  Key(VK_DELETE);
  EXPECT_EQ(e->Text(), u" 2.02.201 ");
  // Left and Right step over the separators.
  Key(VK_END);
  for (int i = 0; i < 5; ++i) Key(VK_LEFT);
  EXPECT_EQ(e->SelStart(), 4);
  Key(VK_LEFT);
  EXPECT_EQ(e->SelStart(), 3);
  Key(VK_LEFT);
  EXPECT_EQ(e->SelStart(), 1);
}

TEST_F(MaskEditTest, TypingIntoARegularExpressionMask) {
  TvlMaskEdit* e = NewEdit(emkRegExpr, kTime);
  Focus(e);
  EXPECT_EQ(e->Text(), u"");
  Type(u"12:3x0");
  EXPECT_EQ(e->Text(), u"12:30");
  EXPECT_TRUE(e->ValidateEdit(false));
  EXPECT_EQ(VarToStr(e->EditValue()), u"12:30");
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), u"12:3");
  // Delete keeps a rest that still fits, and takes one that no longer does.
  Key(VK_HOME);
  Key(VK_DELETE);
  EXPECT_EQ(e->Text(), u"2:3");
  Key(VK_DELETE);
  EXPECT_EQ(e->Text(), u"");
  Type(u"23:59");
  EXPECT_EQ(e->Text(), u"23:59");
  EXPECT_TRUE(e->ValidateEdit(false));
}

TEST_F(MaskEditTest, TheCompletingKindBringsTheSeparatorAndTakesItBack) {
  TvlMaskEdit* e = NewEdit(emkRegExprEx, vlFormatController()->RegExprDateEditMask());
  Focus(e);
  Type(u"1");
  EXPECT_EQ(e->Text(), u"1");
  Type(u"2");
  EXPECT_EQ(e->Text(), u"12.");
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), u"1");
  Type(u"2022011");
  EXPECT_EQ(e->Text(), u"12.02.2011");
}

TEST_F(MaskEditTest, PasteGoesThroughTheMask) {
  struct Case {
    TvlEditMaskKind Kind;
    String Mask, Clip, Text;
  };
  const Case cases[] = {
      {emkStandard, vlFormatController()->StandardDateEditMask(), u"12022011", u"12.02.2011"},
      {emkRegExpr, kTime, u"12:30", u"12:30"},
      // What the expression refuses is left out.
      {emkRegExpr, kTime, u"12:3x", u"12:3"},
  };
  Integer top = 10;
  for (const Case& c : cases) {
    TvlMaskEdit* e = NewEdit(c.Kind, c.Mask, top);
    top += 30;
    Focus(e);
    Key(VK_HOME);
    PutClipboardText(c.Clip);
    Display.KeyDown(VK_CONTROL);
    Display.KeyPress('V');
    Display.KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(e->Text(), c.Text) << UTF16ToUTF8(c.Clip);
    EXPECT_TRUE(e->ModifiedAfterEnter());
  }
}

// --- Validation ---------------------------------------------------------------------------------------------------

class TFailures : public TObject {
  CL_CLASS(TFailures, TObject)
 public:
  void Failed(TObject*, const Exception& E) { Messages.push_back(E.Message()); }
  std::vector<String> Messages;
};
CL_IMPLEMENT_CLASS(TFailures)

TEST_F(MaskEditTest, AnIncompleteTextIsRefusedOnExit) {
  TFailures* failures = New<TFailures>();
  Application->SetOnException(TExceptionEvent(failures, &TFailures::Failed));
  Finally restore([&] {
    Application->SetOnException(TExceptionEvent());
    Free(failures);
  });
  // Required digits (the locale's date mask has optional ones).
  TvlMaskEdit* e = NewEdit(emkStandard, u"00/00/0000;1;_");
  TvlMaskEdit* other = NewEdit(emkStandard, String(), 50);
  Focus(e);
  Key(VK_HOME);
  Type(u"12");
  Key(VK_TAB);
  EXPECT_TRUE(e->Focused());
  EXPECT_FALSE(other->Focused());
  EXPECT_EQ(failures->Messages, std::vector<String>{u"The edit value is invalid"});
  EXPECT_EQ(e->Text(), u"12.__.____");
  // Completed, it lets the focus go.
  Key(VK_HOME);
  Type(u"12022011");
  Key(VK_TAB);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(failures->Messages.size(), 1u);
}

TEST_F(MaskEditTest, IgnoreMaskBlankLetsAnUntouchedFieldPass) {
  TvlMaskEditProperties* p = New<TvlMaskEditProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeProperties([&] { Free(p); });
  p->SetEditMask(u"00/00/0000;1;_");
  for (Boolean ignore : {false, true}) {
    p->SetIgnoreMaskBlank(ignore);
    Variant display;
    p->PrepareDisplayValue(Null(), display, true);
    String error;
    Boolean failed = false;
    p->ValidateDisplayValue(display, error, failed, nullptr);
    EXPECT_EQ(failed, !ignore);
    if (failed) EXPECT_EQ(error, u"The edit value is invalid");
  }
}

// --- Without a mask -------------------------------------------------------------------------------------------------

// The port dialog's combo box: a regular-expression kind with an empty mask
// is the text editor, lookup items and MaxLength included.
TEST_F(MaskEditTest, TheEmptyRegularExpressionMaskIsAPlainEditor) {
  TvlMaskEdit* e = NewEdit(emkRegExpr, String());
  EXPECT_FALSE(e->Properties()->IsMasked());
  EXPECT_FALSE(e->Mode()->EditMask().size());
  e->Properties()->LookupItems()->Add(u"COM1");
  e->Properties()->LookupItems()->Add(u"COM3");
  e->Properties()->SetMaxLength(4);
  EXPECT_EQ(e->Properties()->MaxLength(), 4);
  Focus(e);
  Type(u"c");
  EXPECT_EQ(e->Text(), u"cOM1");  // completed from the first item
  Type(u"OM35");
  EXPECT_EQ(e->Text(), u"cOM3");
  e->SetTextProp(u"");
  EXPECT_EQ(e->Text(), u"");
  EXPECT_TRUE(e->ValidateEdit(false));
}

// --- Properties -------------------------------------------------------------------------------------------------------

class TMaskProvider : public TvlCustomEditDefaultValuesProvider {
  CL_CLASS(TMaskProvider, TvlCustomEditDefaultValuesProvider)
 public:
  String DefaultEditMask() override { return u"000;0;_"; }
};
CL_IMPLEMENT_CLASS(TMaskProvider)

TEST_F(MaskEditTest, KindMaskAndLengthRules) {
  TvlMaskEdit* e = NewEdit(emkStandard, u"!99/99/9999;1;_");
  TvlMaskEditProperties* p = e->Properties();
  EXPECT_TRUE(p->ValidateOnEnter());
  EXPECT_TRUE(p->CaseInsensitive());
  // MaxLength stays 0 under a mask.
  p->SetMaxLength(5);
  EXPECT_EQ(p->MaxLength(), 0);
  // The kind alone moving to the other language clears the mask ...
  p->SetMaskKind(emkRegExpr);
  EXPECT_EQ(p->EditMask(), u"");
  EXPECT_FALSE(p->IsMasked());
  // ... both together keep the new one.
  p->BeginUpdate();
  p->SetMaskKind(emkStandard);
  p->SetEditMask(u"000");
  p->EndUpdate();
  EXPECT_EQ(p->EditMask(), u"000");
  EXPECT_EQ(e->Mode()->EditMask(), u"000");
  // Between the two regular-expression kinds the mask stays.
  p->BeginUpdate();
  p->SetMaskKind(emkRegExpr);
  p->SetEditMask(kTime);
  p->EndUpdate();
  p->SetMaskKind(emkRegExprEx);
  EXPECT_EQ(p->EditMask(), kTime);
  EXPECT_TRUE(e->Mode()->InheritsFrom(TvlMaskEditRegExprExMode::StaticClass()));
  // A mask that does not compile raises and changes nothing.
  try {
    p->SetEditMask(u"(12");
    FAIL() << "no error";
  } catch (const EvlMaskEditError& error) {
    EXPECT_EQ(error.Message().substr(0, 26), u"Regular expression errors:");
  }
  EXPECT_EQ(p->EditMask(), kTime);
  // Blanks only are no mask.
  p->SetEditMask(u" \t ");
  EXPECT_FALSE(p->IsMasked());
  // Upper or lower case makes the comparison case-insensitive.
  p->SetCaseInsensitive(false);
  EXPECT_FALSE(p->CaseInsensitive());
  p->SetCharCase(ecUpperCase);
  EXPECT_TRUE(p->CaseInsensitive());
  p->SetCaseInsensitive(false);
  EXPECT_TRUE(p->CaseInsensitive());
}

TEST_F(MaskEditTest, ABlankStandardMaskTakesTheDataEditMask) {
  TvlMaskEditProperties* p = New<TvlMaskEditProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeProperties([&] { Free(p); });
  TMaskProvider* provider = New<TMaskProvider>(static_cast<TPersistent*>(nullptr));
  Finally freeProvider([&] { Free(provider); });
  EXPECT_FALSE(p->IsMasked());
  p->SetIDefaultValuesProvider(provider);
  EXPECT_EQ(p->EditMask(), u"000;0;_");
  EXPECT_TRUE(p->IsMasked());
  EXPECT_TRUE(p->OwnEditMask().empty());
  p->SetMaskKind(emkRegExpr);
  EXPECT_FALSE(p->IsMasked());
  p->SetIDefaultValuesProvider(nullptr);
}

// The display rule: focused (or a regular expression) the formatted text,
// unfocused with a standard mask the edit-value form.
TEST_F(MaskEditTest, TheDisplayRule) {
  struct Case {
    TvlEditMaskKind Kind;
    const char16_t* Mask;
    Boolean ShowBlanks, Focused;
    const char16_t* Value;
    const char16_t* Display;
  };
  const Case cases[] = {
      {emkStandard, u"99/99/9999;0;_", false, true, u"12022011", u"12.02.2011"},
      {emkStandard, u"99/99/9999;0;_", false, false, u"12022011", u"12022011"},
      {emkStandard, u"99/99/9999;0;_", true, false, u"12022011", u"12.02.2011"},
      {emkStandard, u"99/99/9999;0;_", false, false, u"1202", u"1202    "},
      // "!" lines a short value up from the right.
      {emkStandard, u"!99/99/9999;0;_", false, true, u"1202", u"__.__.1202"},
      {emkRegExpr, kTime, false, false, u"12:3x", u"12:3"},
      {emkRegExprEx, kTime, false, true, u"12", u"12:"},
      {emkRegExpr, u"", false, false, u"abc", u"abc"},
  };
  for (const Case& c : cases) {
    TvlMaskEditProperties* p = New<TvlMaskEditProperties>(static_cast<TPersistent*>(nullptr));
    Finally freeProperties([&] { Free(p); });
    p->SetMaskKind(c.Kind);
    p->SetEditMask(c.Mask);
    p->SetAlwaysShowBlanksAndLiterals(c.ShowBlanks);
    Variant display;
    p->PrepareDisplayValue(Variant(String(c.Value)), display, c.Focused);
    EXPECT_EQ(VarToStr(display), c.Display) << UTF16ToUTF8(c.Mask) << " " << c.Focused;
    Variant value(String(c.Value));
    EXPECT_TRUE(p->IsEditValueValid(value, c.Focused));
  }
}

TEST_F(MaskEditTest, AnUnfocusedEditorShowsTheValueWithoutBlanks) {
  TvlMaskEdit* e = NewEdit(emkStandard, u"99/99/9999;0;_");
  TvlMaskEdit* other = NewEdit(emkStandard, String(), 50);
  e->SetEditValue(Variant(u"12022011"));
  Pump();
  EXPECT_EQ(e->Text(), u"12022011");
  Focus(e);
  EXPECT_EQ(e->Text(), u"12.02.2011");
  Focus(other);
  EXPECT_EQ(e->Text(), u"12022011");
  e->Properties()->SetAlwaysShowBlanksAndLiterals(true);
  EXPECT_EQ(e->Text(), u"12.02.2011");
}

TEST_F(MaskEditTest, ReadFromAFormFile) {
  TForm* form = NewFormFromText(
      "object Form1: TForm\n  Left = 0\n  Top = 0\n  Width = 200\n  Height = 100\n"
      "  object Time1: TvlMaskEdit\n    Left = 8\n    Top = 8\n    Width = 121\n    Height = 21\n"
      "    Properties.MaskKind = emkRegExpr\n    Properties.EditMask = '([01]?\\d|2[0-3]):[0-5]?\\d'\n"
      "    Properties.MaxLength = 3\n  end\nend\n");
  Finally freeForm([&] { Free(form); });
  auto* e = dynamic_cast<TvlMaskEdit*>(form->FindComponent(u"Time1"));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Properties()->MaskKind(), emkRegExpr);
  EXPECT_EQ(e->Properties()->EditMask(), kTime);
  EXPECT_EQ(e->Properties()->MaxLength(), 0);
  EXPECT_TRUE(e->Mode()->InheritsFrom(TvlMaskEditRegExprMode::StaticClass()));
}

// --- A failing world -------------------------------------------------------------------------------------------

// The mask or the kind changed under a focused editor holding half a text:
// the editor takes the new mask and typing goes on in it.
TEST_F(MaskEditTest, TheMaskOrKindChangedWhileHalfATextIsTyped) {
  struct Case {
    const char* Name;
    TvlEditMaskKind Kind;
    const char16_t* Mask;
    const char16_t* Typed;
    TvlEditMaskKind NewKind;
    const char16_t* NewMask;  // null: only the kind changes
    const char16_t* Retyped;
    const char16_t* Text;
  };
  const Case cases[] = {
      {"standard to standard", emkStandard, u"00/00/0000;1;_", u"12", emkStandard, u"00:00;1;_", u"1230",
       u"12:30"},
      {"expression to expression", emkRegExpr, kTime, u"12:", emkRegExpr, u"\\d\\d-\\d\\d", u"12-30", u"12-30"},
      {"expression to the completing kind", emkRegExpr, kTime, u"1", emkRegExprEx, nullptr, u"12:30", u"12:30"},
      {"expression to standard", emkRegExpr, kTime, u"12", emkStandard, u"00:00;1;_", u"1230", u"12:30"},
      // The kind alone leaving the expression language drops the mask.
      {"expression to standard, no mask", emkRegExpr, kTime, u"12", emkStandard, nullptr, u"ab", u"ab"},
  };
  Integer top = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlMaskEdit* e = NewEdit(c.Kind, c.Mask, top);
    top += 30;
    Focus(e);
    Key(VK_HOME);
    Type(c.Typed);
    TvlMaskEditProperties* p = e->Properties();
    p->BeginUpdate();
    p->SetMaskKind(c.NewKind);
    if (c.NewMask) p->SetEditMask(c.NewMask);
    p->EndUpdate();
    Pump();
    EXPECT_EQ(e->Mode()->GetMaskKind(), Integer(c.NewKind));
    e->SetTextProp(u"");
    Key(VK_HOME);
    Type(c.Retyped);
    EXPECT_EQ(e->Text(), c.Text);
    EXPECT_TRUE(e->ValidateEdit(false));
    Free(e);
  }
}

// Text written into a focused editor goes through the mask as a value shown
// does: cleared, a standard mask shows its empty slots and can be typed into
// again (before, the slots were gone and no key was taken).
TEST_F(MaskEditTest, TextWrittenIntoAFocusedEditorGoesThroughTheMask) {
  TvlMaskEdit* e = NewEdit(emkStandard, u"00/00/0000;1;_");
  Focus(e);
  Key(VK_HOME);
  Type(u"12");
  e->SetTextProp(u"");
  EXPECT_EQ(e->Text(), u"__.__.____");
  Key(VK_HOME);
  Type(u"12");
  EXPECT_EQ(e->Text(), u"12.__.____");
  e->SetTextProp(u"1202");
  EXPECT_EQ(e->Text(), u"12.02.____");
  Key(VK_END);
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), u"12.02.____");
}

// A mask compiled for one language reaching the other inside a change (a
// column given a field's standard mask, then the expression kind; an old
// form file listing the mask before its kind): the editor must not raise
// from its change handling; the mask, meaningless in the new language, is
// dropped as the kind change drops masks of the other language.
TEST_F(MaskEditTest, AMaskThatDoesNotCompileInTheNewKindIsDropped) {
  TvlMaskEdit* e = NewEdit(emkStandard, u"000");
  TvlMaskEditProperties* p = e->Properties();
  Focus(e);
  p->BeginUpdate();
  p->SetEditMask(u"(12");
  p->SetMaskKind(emkRegExpr);
  EXPECT_NO_THROW(p->EndUpdate());
  EXPECT_EQ(p->MaskKind(), emkRegExpr);
  EXPECT_FALSE(p->IsMasked());
  EXPECT_EQ(e->Mode()->EditMask(), u"");
  Type(u"ab(");
  EXPECT_EQ(e->Text(), u"ab(");

  TForm* form = nullptr;
  EXPECT_NO_THROW(form = NewFormFromText(
                      "object Form1: TForm\n  Left = 0\n  Top = 0\n  Width = 200\n  Height = 100\n"
                      "  object M1: TvlMaskEdit\n    Left = 8\n    Top = 8\n    Width = 121\n    Height = 21\n"
                      "    Properties.EditMask = '(12'\n    Properties.MaskKind = emkRegExpr\n  end\nend\n"));
  Finally freeForm([&] { Free(form); });
  ASSERT_NE(form, nullptr);
  auto* m = dynamic_cast<TvlMaskEdit*>(form->FindComponent(u"M1"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Properties()->MaskKind(), emkRegExpr);
  EXPECT_FALSE(m->Properties()->IsMasked());
}

// Pasting 10,000 characters keeps what the mask holds, in each kind.
// Each editor goes after its check: leaving an incomplete time would raise
// the invalid-value error on the focus move.
TEST_F(MaskEditTest, PasteOfALongText) {
  struct Case {
    TvlEditMaskKind Kind;
    String Mask, Text;
  };
  const Case cases[] = {
      {emkStandard, u"00/00/0000;1;_", u"11.11.1111"},
      {emkRegExpr, kTime, u"11"},
      {emkRegExprEx, kTime, u"11:"},
  };
  PutClipboardText(String(10000, u'1'));
  Integer top = 10;
  for (const Case& c : cases) {
    TvlMaskEdit* e = NewEdit(c.Kind, c.Mask, top);
    top += 30;
    Focus(e);
    Key(VK_HOME);
    Display.KeyDown(VK_CONTROL);
    Display.KeyPress('V');
    Display.KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(e->Text(), c.Text) << Integer(c.Kind);
    Free(e);
    Pump();
  }
}

// Frees the editor from its OnChange.
struct TMaskEditFreer : public TObject {
  CL_CLASS(TMaskEditFreer, TObject)
 public:
  TvlCustomEdit* Edit{};
  void OnChange(TObject*) {
    TvlCustomEdit* e = Edit;
    Edit = nullptr;
    Free(e);
  }
};
CL_IMPLEMENT_CLASS(TMaskEditFreer)

// The editor freed from its OnChange while the mode handles a key, a cut or
// a paste: nothing may touch it afterwards.
TEST_F(MaskEditTest, AnEditorFreedFromOnChangeWhileTheModeHandlesAKey) {
  struct Case {
    const char* Name;
    TvlEditMaskKind Kind;
    const char16_t* Mask;
    const char16_t* Before;
    UINT Key;  // 0: type a '1'; 'V': paste "12" with Ctrl+V
  };
  const Case cases[] = {
      {"standard, a digit", emkStandard, u"00/00/0000;1;_", u"", 0},
      {"standard, Backspace", emkStandard, u"00/00/0000;1;_", u"12", VK_BACK},
      {"standard, Delete", emkStandard, u"00/00/0000;1;_", u"12", VK_DELETE},
      {"expression, a digit", emkRegExpr, kTime, u"1", 0},
      {"expression, Backspace", emkRegExpr, kTime, u"12", VK_BACK},
      {"completing, a digit", emkRegExprEx, kTime, u"1", 0},
      {"completing, Backspace", emkRegExprEx, kTime, u"12", VK_BACK},
      {"standard, paste", emkStandard, u"00/00/0000;1;_", u"", 'V'},
      {"expression, paste", emkRegExpr, kTime, u"", 'V'},
  };
  PutClipboardText(u"12");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlMaskEdit* e = NewEdit(c.Kind, c.Mask);
    Focus(e);
    Key(VK_HOME);
    Type(c.Before);
    if (c.Key == VK_DELETE) Key(VK_HOME);
    TMaskEditFreer* freer = New<TMaskEditFreer>();
    Finally freeFreer([&] { Free(freer); });
    freer->Edit = e;
    e->Properties()->SetOnChange(TNotifyEvent(freer, &TMaskEditFreer::OnChange));
    if (c.Key == 'V') {
      Display.KeyDown(VK_CONTROL);
      Key('V');
      Display.KeyUp(VK_CONTROL);
    } else if (c.Key) {
      Key(c.Key);
    } else {
      Type(u"1");
    }
    Pump();
    EXPECT_EQ(freer->Edit, nullptr);
  }
}

// Switching the echo mode or the password character rebuilds the inner
// window: the text and the selection stay, and editing goes on through the
// mask.
TEST_F(MaskEditTest, ChangingTheEchoModeKeepsTheTextAndSelection) {
  struct Case {
    const char* Name;
    TvlEditMaskKind Kind;
    String Mask, Typed, Text, After;
  };
  const Case cases[] = {
      {"standard", emkStandard, u"00/00/0000;1;_", u"12022011", u"12.02.2011", u"12.02.201_"},
      {"expression", emkRegExpr, kTime, u"12:30", u"12:30", u"12:3"},
      {"no mask", emkRegExpr, String(), u"12:30", u"12:30", u"12:3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlMaskEdit* e = NewEdit(c.Kind, c.Mask);
    Focus(e);
    Key(VK_HOME);
    Type(c.Typed);
    ASSERT_EQ(e->Text(), c.Text);
    e->SetSelStart(1);
    e->SetSelLength(3);
    const std::function<void()> changes[] = {[&] { e->Properties()->SetEchoMode(eemPassword); },
                                             [&] { e->Properties()->SetPasswordChar(u'#'); },
                                             [&] { e->Properties()->SetEchoMode(eemNormal); }};
    for (const auto& change : changes) {
      change();
      Pump();
      EXPECT_EQ(e->Text(), c.Text);
      EXPECT_EQ(e->EditText(), c.Text);
      if (!c.Mask.empty()) {
        EXPECT_EQ(e->SelStart(), 1);
        EXPECT_EQ(e->SelLength(), 3);
      }
      EXPECT_TRUE(e->Focused());
    }
    Key(VK_END);
    Key(VK_BACK);
    EXPECT_EQ(e->Text(), c.After);
    Free(e);
  }
}

// The mode changes the inner edit's text in steps (a completed separator is
// a key of its own): the edit is not redrawn between them, and shows again
// once the key is done. Without a mask the edit is never hidden.
TEST_F(MaskEditTest, TheEditIsNotRedrawnWhileTheModeChangesItsText) {
  struct Case {
    const char* Name;
    TvlEditMaskKind Kind;
    String Mask;
  };
  const Case cases[] = {{"completing", emkRegExprEx, vlFormatController()->RegExprDateEditMask()},
                        {"no mask", emkRegExpr, String()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlMaskEdit* e = NewEdit(c.Kind, c.Mask);
    Focus(e);
    TWinControl* inner = e->InnerEdit()->GetControl();
    const HWND wnd = inner->WindowHandle();
    std::vector<std::pair<Char, Boolean>> chars;  // each character reaching the edit, and whether it showed
    Integer hidden = 0;
    const TWndMethod old = inner->WindowProc();
    THandlers h;
    h.Message = [&](TMessage& M) {
      if (M.Msg == WM_CHAR) chars.emplace_back(Char(M.WParam), IsWindowVisible(wnd) != 0);
      if (M.Msg == WM_SETREDRAW && M.WParam == 0) ++hidden;
      old(M);
    };
    inner->SetWindowProc(TWndMethod(&h, &THandlers::OnMessage));
    Type(u"12");
    inner->SetWindowProc(old);
    EXPECT_TRUE(IsWindowVisible(wnd));
    if (c.Mask.empty()) {
      EXPECT_EQ(e->Text(), u"12");
      EXPECT_EQ(hidden, 0);
      for (const auto& ch : chars) EXPECT_TRUE(ch.second);
    } else {
      EXPECT_EQ(e->Text(), u"12.");
      // The separator is sent by the mode, inside the key's handling.
      auto dot = std::find_if(chars.begin(), chars.end(), [](const auto& ch) { return ch.first == u'.'; });
      ASSERT_NE(dot, chars.end());
      EXPECT_FALSE(dot->second);
      EXPECT_GT(hidden, 0);
    }
    Free(e);
  }
}

// A value shown while the editor is focused (here the correction of an
// OnValidate handler on Enter) is handed to the mode, which goes on from it:
// the standard mode shows its overwrite cursor on the new text, and what the
// expression mode had matched of the old text no longer counts.
TEST_F(MaskEditTest, AShownValueIsWhatTheModeGoesOnFrom) {
  struct Case {
    const char* Name;
    TvlEditMaskKind Kind;
    String Mask, Before, Shown;  // typed from the start, and the handler's correction
    Integer SelLength;           // the selection on the shown text
    UINT Move;                   // a key moving the cursor afterwards, or 0
    String Typed, Text;          // typed then, and the text after it
  };
  const Case cases[] = {
      {"standard", emkStandard, u"00/00/0000;1;_", u"1202", u"01.01.2000", 1, 0, u"5", u"51.01.2000"},
      // "24" is no hour: the 4 is refused after the shown 2.
      {"expression, end", emkRegExpr, kTime, u"1", u"2", 0, VK_END, u"43:5", u"23:5"},
      // A 2 typed in front of the shown 4 would make "24": the tail goes.
      {"expression, start", emkRegExpr, kTime, u"1", u"4", 0, VK_HOME, u"2", u"2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlMaskEdit* e = NewEdit(c.Kind, c.Mask);
    THandlers h;
    h.Validate = [&](Variant& ADisplayValue, String&, Boolean& AError) {
      ADisplayValue = Variant(c.Shown);
      AError = false;
    };
    e->Properties()->SetOnValidate(TvlEditValidateEvent(&h, &THandlers::OnValidate));
    Focus(e);
    Key(VK_HOME);
    Type(c.Before);
    Key(VK_RETURN);
    ASSERT_EQ(e->Text(), c.Shown);
    EXPECT_TRUE(e->Focused());
    EXPECT_EQ(e->SelStart(), 0);
    EXPECT_EQ(e->SelLength(), c.SelLength);
    if (c.Move) Key(c.Move);
    Type(c.Typed);
    EXPECT_EQ(e->Text(), c.Text);
    Free(e);
  }
}

TEST_F(MaskEditTest, AReadOnlyMaskedEditorRefusesEveryChange) {
  struct Case {
    TvlEditMaskKind Kind;
    const char16_t* Mask;
    const char16_t* Value;
  };
  const Case cases[] = {
      {emkStandard, u"00/00/0000;1;_", u"12.02.2011"},
      {emkRegExpr, kTime, u"12:30"},
      {emkRegExprEx, kTime, u"12:30"},
  };
  PutClipboardText(u"0101");
  Integer top = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(Integer(c.Kind));
    TvlMaskEdit* e = NewEdit(c.Kind, c.Mask, top);
    top += 30;
    e->SetEditValue(Variant(String(c.Value)));
    e->Properties()->SetReadOnly(true);
    Focus(e);
    const String shown = e->Text();
    Key(VK_HOME);
    Type(u"0");
    Key(VK_DELETE);
    Key(VK_END);
    Key(VK_BACK);
    Display.KeyDown(VK_SHIFT);
    Key(VK_DELETE);
    Display.KeyUp(VK_SHIFT);
    Key(VK_HOME);
    for (UINT k : {UINT('V'), UINT('X')}) {
      Display.KeyDown(VK_CONTROL);
      Display.KeyPress(k);
      Display.KeyUp(VK_CONTROL);
      Pump();
    }
    e->CutToClipboard();
    e->SetSelText(u"99");
    EXPECT_EQ(e->Text(), shown);
    EXPECT_FALSE(e->ModifiedAfterEnter());
  }
  // A program's cut from a read-only editor that is not focused.
  TvlMaskEdit* e = NewEdit(emkStandard, u"00/00/0000;1;_", top);
  e->SetEditValue(Variant(String(u"12.02.2011")));
  e->Properties()->SetReadOnly(true);
  Pump();
  const String shown = e->Text();
  e->SetSelStart(0);
  e->SetSelLength(5);
  e->CutToClipboard();
  EXPECT_EQ(e->Text(), shown);
  EXPECT_TRUE(VarToStr(e->EditValue()).find(u"2011") != String::npos);
}

// --- Registration and the filter helper -------------------------------------------------------------------------------

TEST(MaskEditFilterTest, RegistrationOperatorsAndTheFilterEditor) {
  EXPECT_EQ(vlFilterEditsController()->FindHelper(ClassOf<TvlMaskEditProperties>()),
            ClassOf<TvlFilterMaskEditHelper>());
  TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry();
  EXPECT_EQ(registry->GetDescriptionByClass(ClassOf<TvlMaskEditProperties>()), u"MaskEdit");
  EXPECT_EQ(registry->GetHintByClass(ClassOf<TvlMaskEditProperties>()), u"Represents a generic masked edit control.");

  TvlMaskEditProperties* column = New<TvlMaskEditProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeColumn([&] { Free(column); });
  TvlCustomFilterEditHelperClass helper = ClassOf<TvlFilterMaskEditHelper>();
  struct Case {
    const char16_t* Mask;
    TvlValueTypeClass Type;
    Boolean Extended, Like;
  };
  const Case cases[] = {
      {u"", ClassOf<TvlStringValueType>(), false, true},
      {u"000", ClassOf<TvlStringValueType>(), false, false},
      {u"", ClassOf<TvlIntegerValueType>(), true, false},
  };
  for (const Case& c : cases) {
    column->SetEditMask(c.Mask);
    const TvlFilterControlOperators ops = helper->GetSupportedFilterOperators(column, c.Type, c.Extended);
    EXPECT_EQ(ops.Contains(fcoLike), c.Like);
    EXPECT_EQ(ops.Contains(fcoNotLike), c.Like);
    EXPECT_TRUE(ops.Contains(fcoNonBlanks));
    EXPECT_EQ(ops.Contains(fcoInList), c.Extended);
    EXPECT_FALSE(ops.Contains(fcoToday));
  }

  // A regular-expression column edits its filter value with the completing kind.
  column->SetMaskKind(emkRegExpr);
  column->SetEditMask(kTime);
  TvlCustomEdit* edit = helper->GetFilterEdit(column);
  Finally freeEdit([&] { Free(edit); });
  auto* filterEdit = dynamic_cast<TvlMaskEdit*>(edit);
  ASSERT_NE(filterEdit, nullptr);
  EXPECT_EQ(filterEdit->Properties()->MaskKind(), emkRegExprEx);
  EXPECT_EQ(filterEdit->Properties()->EditMask(), kTime);
  EXPECT_FALSE(filterEdit->Properties()->AutoSelect());
}

}  // namespace
