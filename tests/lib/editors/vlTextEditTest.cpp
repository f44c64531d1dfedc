// The text editor driven with real keys, mouse and clipboard on the headless
// screen, its properties, its lookup items and the filter edit helpers.
#include <gtest/gtest.h>

#include "lib/data/vlValueTypes.h"
#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlFilterEdit.h"
#include "lib/editors/vlTextEdit.h"
#include "platform/classes/StringLists.h"
#include "tests/lib/editors/FormFromText.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Resources.h"
#include "platform/classes/Streams.h"
#include "platform/vcl/Forms.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Conversions.h"
#include "platform/win/Windows.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

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

class TextEditTest : public controltest::ControlFixture {
 protected:
  TvlTextEdit* NewEdit(Integer ATop = 10) {
    TvlTextEdit* e = Add<TvlTextEdit>(10, ATop, 150, 21);
    Pump();
    return e;
  }
  void Focus(TvlTextEdit* AEdit) {
    ClickAt(AEdit, 100, 10);
    Pump();
  }
};

// --- Typing, Text and clearing ------------------------------------------------------------------------------

TEST_F(TextEditTest, TypedTextIsReadThroughTextAndClearedByWritingEmpty) {
  TvlTextEdit* e = NewEdit();
  e->Properties()->Alignment()->SetHorz(taCenter);
  e->Properties()->SetMaxLength(8);
  Focus(e);
  Display.TypeText(u"12345");
  Pump();
  EXPECT_EQ(e->Text(), u"12345");
  EXPECT_TRUE(e->ModifiedAfterEnter());
  // The window's own limit stops typing at MaxLength.
  Display.TypeText(u"6789");
  Pump();
  EXPECT_EQ(e->Text(), u"12345678");
  e->SetTextProp(u"");
  Pump();
  EXPECT_EQ(e->Text(), u"");
  EXPECT_TRUE(VarToStr(e->EditValue()).empty());
}

TEST_F(TextEditTest, WritingTextSetsTheEditValue) {
  TvlTextEdit* e = NewEdit();
  e->SetTextProp(u"Kontör");
  EXPECT_EQ(VarToStr(e->EditValue()), u"Kontör");
  e->SetEditValue(Variant(u"abc"));
  EXPECT_EQ(e->Text(), u"abc");
}

TEST_F(TextEditTest, GetTextWithAOneCharacterBufferCopiesNothing) {
  TvlTextEdit* e = NewEdit();
  e->SetTextProp(u"abc");
  Char buffer[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(SendMessageW(e->WindowHandle(), WM_GETTEXT, 1, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(SendMessageW(e->WindowHandle(), WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(SendMessageW(e->WindowHandle(), WM_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)), 2);
  EXPECT_EQ(String(buffer), u"ab");
  EXPECT_EQ(SendMessageW(e->WindowHandle(), WM_GETTEXTLENGTH, 0, 0), 3);
}

TEST_F(TextEditTest, PasteBeyondMaxLengthKeepsThePreparedText) {
  TvlTextEdit* e = NewEdit();
  e->Properties()->SetMaxLength(5);
  Focus(e);
  Display.TypeText(u"12345");
  Pump();
  e->SetSelection(2, 0);
  PutClipboardText(u"6789");
  Display.KeyDown(VK_CONTROL);
  Display.KeyPress('V');
  Display.KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(e->Text(), u"12678");
  EXPECT_EQ(e->SelStart(), 5);
  EXPECT_EQ(e->CursorPos(), 5);
}

TEST_F(TextEditTest, PrepareInsertionCases) {
  TvlTextEdit* e = NewEdit();
  e->Properties()->SetMaxLength(5);
  Focus(e);
  struct TCase {
    const char16_t* Text;
    Integer SelStart, SelLength;
    const char16_t* Insert;
    Boolean Accepted;
    const char16_t* NewText;
    Integer Caret;
  } cases[] = {
      {u"", 0, 0, u"123456789", true, u"12345", 5},
      {u"12345", 2, 0, u"6789", true, u"12678", 5},
      {u"12345", 1, 2, u"x", true, u"1x45", 2},
      {u"1234", 4, 0, u"ab", true, u"1234a", 5},
  };
  for (const TCase& c : cases) {
    e->SetTextProp(c.Text);
    e->SetSelection(c.SelStart, c.SelLength);
    e->SetKeyboardAction(true);
    String text;
    Integer caret = -1;
    const Boolean accepted = e->PrepareInsertion(c.Insert, text, caret);
    e->SetKeyboardAction(false);
    EXPECT_EQ(accepted, c.Accepted) << std::string(c.Text, c.Text + 0);
    EXPECT_EQ(text, String(c.NewText));
    EXPECT_EQ(caret, c.Caret);
  }
  // MaxLength lowered below the text before the selection: every keyboard insertion is refused.
  e->Properties()->SetMaxLength(8);
  e->SetTextProp(u"1234567");
  e->Properties()->SetMaxLength(3);
  e->SetSelection(5, 0);
  e->SetKeyboardAction(true);
  String text;
  Integer caret = 0;
  EXPECT_FALSE(e->PrepareInsertion(u"x", text, caret));
  e->SetKeyboardAction(false);
}

TEST_F(TextEditTest, PasswordEchoShowsStarsAndTheTextStays) {
  TvlTextEdit* e = NewEdit();
  e->Properties()->SetEchoMode(eemPassword);
  Focus(e);
  Display.TypeText(u"gizli");
  Pump();
  EXPECT_EQ(e->Text(), u"gizli");
  EXPECT_EQ(e->Properties()->GetDisplayText(Variant(u"gizli")), u"*****");
  HWND inner = e->InnerControl()->WindowHandle();
  EXPECT_TRUE(GetWindowLongPtrW(inner, GWL_STYLE) & ES_PASSWORD);
  EXPECT_NE(SendMessageW(inner, EM_GETPASSWORDCHAR, 0, 0), 0);
  e->Properties()->SetPasswordChar(u'#');
  EXPECT_EQ(e->Properties()->GetDisplayText(Variant(u"ab")), u"##");
}

TEST_F(TextEditTest, UpperCaseFollowsTheTurkishRules) {
  TvlTextEdit* e = NewEdit();
  e->Properties()->SetCharCase(ecUpperCase);
  Focus(e);
  Display.TypeText(u"iı");
  Pump();
  EXPECT_EQ(e->Text(), u"İI");
  e->SetTextProp(u"şişe");
  EXPECT_EQ(e->Text(), u"ŞİŞE");
}

// --- Properties ----------------------------------------------------------------------------------------------

TEST(TextEditPropertiesTest, MaxLengthAndBounds) {
  TvlTextEditProperties* p = New<TvlTextEditProperties>(static_cast<TPersistent*>(nullptr));
  Finally freed([&] { Free(p); });
  EXPECT_EQ(p->MaxLength(), 0);
  p->SetMaxLength(-5);
  EXPECT_EQ(p->MaxLength(), 0);
  EXPECT_TRUE(p->AssignedValues()->MaxLength());
  p->SetMinValue(10);
  EXPECT_TRUE(p->HasBound(0));
  EXPECT_FALSE(p->HasBound(1));
  p->SetMaxValue(5);
  EXPECT_FALSE(p->HasRangeCheck());
  p->SetMaxValue(20);
  EXPECT_TRUE(p->HasBound(0) && p->HasBound(1));
}

// Properties of a numeric editor, as the spin and currency editors are.
class TNumericProperties : public TvlTextEditProperties {
  CL_CLASS(TNumericProperties, TvlTextEditProperties)
 public:
  Boolean EditsNumbers() override { return true; }
  Boolean GroupsDigitsWhileEditing(Boolean) override { return Grouping; }
  Boolean Grouping{};
};
CL_IMPLEMENT_CLASS(TNumericProperties)

TEST(TextEditPropertiesTest, AMinimumAboveTheMaximumIsRefusedWithAnError) {
  TNumericProperties* p = New<TNumericProperties>(static_cast<TPersistent*>(nullptr));
  Finally freed([&] { Free(p); });
  p->SetMinValue(10);
  p->SetMaxValue(5);
  Variant v(u"7");
  String error;
  Boolean failed = false;
  EXPECT_THROW(p->ValidateDisplayValue(v, error, failed, nullptr), EvlEditError);
  p->SetMaxValue(20);
  v = Variant(30.0);
  p->ValidateDisplayValue(v, error, failed, nullptr);
  EXPECT_TRUE(failed);
  EXPECT_EQ(error, u"Value out of bounds");
}

TEST(TextEditPropertiesTest, NumbersAndThousandSeparators) {
  TFormatSettings& fs = FormatSettings();
  const Char sep = fs.ThousandSeparator, dec = fs.DecimalSeparator;
  Finally restore([&] {
    fs.ThousandSeparator = sep;
    fs.DecimalSeparator = dec;
  });
  fs.ThousandSeparator = u',';
  fs.DecimalSeparator = u'.';
  EXPECT_EQ(vlInsertThousandSeparators(u"1234567"), u"1,234,567");
  EXPECT_EQ(vlInsertThousandSeparators(u"-1234.5"), u"-1,234.5");
  EXPECT_EQ(vlInsertThousandSeparators(u"123"), u"123");
  EXPECT_EQ(vlInsertThousandSeparators(u" 1234E5 "), u" 1,234E5 ");
  TNumericProperties* p = New<TNumericProperties>(static_cast<TPersistent*>(nullptr));
  Finally freed([&] { Free(p); });
  Variant d;
  p->PrepareDisplayValue(Variant(1234.5), d, true);
  EXPECT_EQ(VarToStr(d), u"1234.5");
  p->Grouping = true;
  p->PrepareDisplayValue(Variant(1234.5), d, true);
  EXPECT_EQ(VarToStr(d), u"1,234.5");
  EXPECT_THROW(p->PrepareDisplayValue(VarFromDateTime(1.0) , d, true), EConvertError);
}

// A properties class with the editing style of a fixed list.
class TFixedListProperties : public TvlTextEditProperties {
  CL_CLASS(TFixedListProperties, TvlTextEditProperties)
 public:
  TvlEditEditingStyle GetTextEditingStyle() override { return Style; }
  TvlEditEditingStyle Style{esFixedList};
};
CL_IMPLEMENT_CLASS(TFixedListProperties)

TEST(TextEditPropertiesTest, LookupStylesCheckTheText) {
  TFixedListProperties* p = New<TFixedListProperties>(static_cast<TPersistent*>(nullptr));
  Finally freed([&] { Free(p); });
  p->LookupItems()->Add(u"Apple");
  p->LookupItems()->Add(u"Banana");
  p->SetCharCase(ecUpperCase);
  Variant v(u"banana");
  EXPECT_TRUE(p->IsDisplayValueValid(v, true));
  EXPECT_EQ(VarToStr(v), u"BANANA");
  v = Variant(u"Cherry");
  EXPECT_FALSE(p->IsDisplayValueValid(v, true));
  p->Style = esEdit;
  EXPECT_TRUE(p->IsDisplayValueValid(v, true));
}

// --- Acceptable characters --------------------------------------------------------------------------------------

class TValidCharsEdit : public TvlTextEdit {
  CL_CLASS(TValidCharsEdit, TvlTextEdit)
 public:
  Boolean Accepts(Char C) { return IsCharAcceptable(C); }
};
CL_IMPLEMENT_CLASS(TValidCharsEdit)

// A provider that accepts no character by itself, so ValidChars decides.
class TStrictProvider : public TvlCustomEditDefaultValuesProvider {
  CL_CLASS(TStrictProvider, TvlCustomEditDefaultValuesProvider)
 public:
  Boolean IsValidChar(Char) override { return false; }
};
CL_IMPLEMENT_CLASS(TStrictProvider)

TEST_F(TextEditTest, ACharacterIsAcceptableByItsWholeCode) {
  TValidCharsEdit* e = Add<TValidCharsEdit>(10, 10, 100, 21);
  TStrictProvider* provider = New<TStrictProvider>(static_cast<TPersistent*>(nullptr));
  Finally freed([&] {
    e->Properties()->SetIDefaultValuesProvider(e->DataBinding()->IDefaultValuesProvider());
    Free(provider);
  });
  e->Properties()->SetIDefaultValuesProvider(provider);
  TvlTextEditChars chars;
  chars.Include(Byte('_'));
  e->Properties()->SetValidChars(chars);
  EXPECT_TRUE(e->Accepts(u'_'));
  // U+015F has the low byte of '_'.
  EXPECT_FALSE(e->Accepts(u'ş'));
}

// --- Incremental search -----------------------------------------------------------------------------------------

TEST_F(TextEditTest, IncrementalSearchCompletesFromTheItems) {
  TvlTextEdit* e = NewEdit();
  e->Properties()->LookupItems()->Add(u"Alpha");
  e->Properties()->LookupItems()->Add(u"Beta");
  e->Properties()->LookupItems()->Add(u"Bravo");
  Focus(e);
  Display.TypeText(u"b");
  Pump();
  EXPECT_EQ(e->Text(), u"beta");
  EXPECT_EQ(e->SelStart(), 1);
  EXPECT_EQ(e->SelLength(), 3);
  Display.TypeText(u"r");
  Pump();
  EXPECT_EQ(e->Text(), u"bravo");
  EXPECT_EQ(e->SelText(), u"avo");
  Display.KeyPress(VK_BACK);
  Pump();
  EXPECT_EQ(e->Text(), u"beta");
  EXPECT_EQ(e->SelText(), u"eta");
}

TEST_F(TextEditTest, GoStepsThroughTheItems) {
  TvlTextEdit* e = NewEdit();
  for (Integer i = 0; i < 12; ++i) e->Properties()->LookupItems()->Add(u"item" + IntToStr(i));
  TvlCustomTextEditLookupData* data = e->LookupData();
  ASSERT_TRUE(data);
  data->SetCurrentKey(Variant(-1));
  data->Go(egdPageDown, false);
  EXPECT_EQ(data->CurrentKey(), 7);
  data->Go(egdEnd, false);
  data->Go(egdNext, false);
  EXPECT_EQ(data->CurrentKey(), 11);
  data->Go(egdNext, true);
  EXPECT_EQ(data->CurrentKey(), 0);
  data->Go(egdPrev, true);
  EXPECT_EQ(data->CurrentKey(), 11);
  EXPECT_EQ(e->Text(), u"item11");
  // No wrap-around for a search from the last item.
  String s = u"item", tail;
  EXPECT_FALSE(data->Locate(s, tail, true));
}

// --- Filter helpers -----------------------------------------------------------------------------------------------

TEST(FilterEditTest, HelpersOperatorsAndValues) {
  EXPECT_EQ(vlFilterEditsController()->FindHelper(ClassOf<TvlTextEditProperties>()),
            ClassOf<TvlFilterTextEditHelper>());
  EXPECT_EQ(vlFilterEditsController()->FindHelper(ClassOf<TFixedListProperties>()),
            ClassOf<TvlFilterTextEditHelper>());
  TvlCustomFilterEditHelperClass helper = ClassOf<TvlFilterTextEditHelper>();
  const TvlFilterControlOperators ints =
      helper->GetSupportedFilterOperators(nullptr, ClassOf<TvlIntegerValueType>(), false);
  EXPECT_FALSE(ints.Contains(fcoLike));
  EXPECT_TRUE(ints.Contains(fcoEqual));
  EXPECT_TRUE(helper->GetSupportedFilterOperators(nullptr, ClassOf<TvlStringValueType>(), false).Contains(fcoLike));
  EXPECT_EQ(vlGetFilterControlOperatorText(vlFilterOperatorToControlOperator(foEqual, true)), u"is blank");
  EXPECT_EQ(vlFilterOperatorToControlOperator(foBetween, false), fcoBetween);
  EXPECT_EQ(vlFilterOperatorToControlOperator(foInFuture, false), fcoInFuture);
  EXPECT_EQ(vlFilterControlOperatorToKind(fcoNonBlanks), foNotEqual);
  EXPECT_EQ(vlFilterControlOperatorToKind(fcoNextYear), foNextYear);
  EXPECT_EQ(vlGetFilterControlOperatorText(fcoLessEqual), u"is less than or equal to");
  Variant v(u"");
  vlValidateFilterValue(nullptr, v, fcoEqual, helper, ClassOf<TvlIntegerValueType>());
  EXPECT_TRUE(VarIsNull(v));
  v = Variant(u"");
  vlValidateFilterValue(nullptr, v, fcoEqual, helper, ClassOf<TvlStringValueType>());
  EXPECT_TRUE(VarIsStr(v));
  v = Variant(u"abc");
  EXPECT_THROW(vlValidateFilterValue(nullptr, v, fcoEqual, helper, ClassOf<TvlIntegerValueType>()),
               EvlFilterControlError);
  v = Variant(u"abc");
  EXPECT_NO_THROW(vlValidateFilterValue(nullptr, v, fcoLike, helper, ClassOf<TvlIntegerValueType>()));
}

}  // namespace

namespace {

// The program's twelve input fields: centred, bold, BeepOnError, a MaxLength
// of 3 to 8, one read-only; read from a form file, typed into with real
// keys, read through Text and cleared by writing "".
TEST_F(TextEditTest, TwelveFieldsFromAFormFile) {
  std::string text = "object Form1: TForm\n  Left = 0\n  Top = 0\n  Width = 400\n  Height = 420\n";
  for (int i = 0; i < 12; ++i) {
    text += "  object Field" + std::to_string(i) + ": TvlTextEdit\n    Left = 8\n    Top = " +
            std::to_string(8 + i * 30) + "\n    Width = 121\n    Height = 21\n" +
            "    Properties.Alignment.Horz = taCenter\n    Properties.BeepOnError = True\n" +
            "    Properties.MaxLength = " + std::to_string(3 + i % 6) + "\n" +
            (i == 11 ? "    Properties.ReadOnly = True\n" : "") + "    Style.Font.Style = [fsBold]\n  end\n";
  }
  text += "end\n";
  TForm* form = NewFormFromText(RawByteString(text.c_str()));
  Finally freeForm([&] { Free(form); });
  form->SetPosition(poDesigned);
  form->SetBounds(100, 100, 400, 420);
  form->Show();
  Pump();
  for (int i = 0; i < 12; ++i) {
    auto* e = dynamic_cast<TvlTextEdit*>(form->FindComponent(u"Field" + IntToStr(i)));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Properties()->Alignment()->Horz(), taCenter);
    EXPECT_EQ(e->Properties()->MaxLength(), 3 + i % 6);
    EXPECT_TRUE(e->Style()->Font()->Style().Contains(fsBold));
    ClickAt(e, 60, 10);
    Display.TypeText(u"123456789");
    Pump();
    const String typed = i == 11 ? String() : String(u"123456789").substr(0, size_t(3 + i % 6));
    EXPECT_EQ(e->Text(), typed) << i;
    e->SetTextProp(u"");
    EXPECT_EQ(e->Text(), u"") << i;
  }
}

}  // namespace

// --- Lookup navigation in place, edit mode, the inner edit's clip and CM_ENTER ------------------------------------

namespace {

// The combo box's permission: the navigation keys step through the items.
class TNavigatingEdit : public TvlTextEdit {
  CL_CLASS(TNavigatingEdit, TvlTextEdit)
 public:
  Boolean AllowsLookupNavigation(Boolean) override { return true; }
};
CL_IMPLEMENT_CLASS(TNavigatingEdit)

class TEditProbe : public TObject {
  CL_CLASS(TEditProbe, TObject)
 public:
  void Posted(TObject* Sender) { Posts.push_back(static_cast<TvlTextEdit*>(Sender)->Text()); }
  void Editing(TObject* Sender, Boolean&) {
    ++EditingCalls;
    SettingSeen = static_cast<TvlCustomEdit*>(Sender)->IsEditModeSetting();
  }
  std::vector<String> Posts;
  Integer EditingCalls{};
  Boolean SettingSeen{};
};
CL_IMPLEMENT_CLASS(TEditProbe)

template <class T>
T* NewInplace(TComponent* AOwner) {
  return static_cast<T*>(CreateFrom(ClassOf<T>(), static_cast<void (TvlCustomEdit::*)(TComponent*, Boolean)>(
                                                      &TvlCustomEdit::Create),
                                    AOwner, true));
}

TEST_F(TextEditTest, LookupNavigationInPlacePostsAtOnceWithImmediatePost) {
  TEditProbe* probe = New<TEditProbe>();
  Finally freeProbe([&] { Free(probe); });
  for (Boolean immediate : {false, true}) {
    probe->Posts.clear();
    TNavigatingEdit* e = NewInplace<TNavigatingEdit>(Form);
    e->SetParent(Form);
    e->SetBounds(10, 10, 150, 21);
    e->Properties()->LookupItems()->Add(u"Alpha");
    e->Properties()->LookupItems()->Add(u"Beta");
    e->Properties()->SetImmediatePost(immediate);
    e->SetOnPostEditValue(TNotifyEvent(probe, &TEditProbe::Posted));
    TvlCustomEditData* data = nullptr;
    e->Activate(data);
    Pump();
    ASSERT_TRUE(e->Focused());
    Display.KeyPress(VK_DOWN);
    Pump();
    EXPECT_EQ(e->Text(), u"Alpha");
    Display.KeyPress(VK_DOWN);
    Pump();
    EXPECT_EQ(e->Text(), u"Beta");
    const std::vector<String> expected = immediate ? std::vector<String>{u"Alpha", u"Beta"} : std::vector<String>{};
    EXPECT_EQ(probe->Posts, expected) << immediate;
    EXPECT_EQ(e->EditModified(), !immediate);
    Free(e);
    Free(data);
  }
}

TEST_F(TextEditTest, OnEditingRunsWhileTheEditorSetsEditMode) {
  TEditProbe* probe = New<TEditProbe>();
  Finally freeProbe([&] { Free(probe); });
  TvlTextEdit* e = NewEdit();
  e->SetOnEditing(TvlEditEditingEvent(probe, &TEditProbe::Editing));
  Focus(e);
  Display.TypeText(u"a");
  Pump();
  EXPECT_EQ(e->Text(), u"a");
  EXPECT_GE(probe->EditingCalls, 1);
  EXPECT_TRUE(probe->SettingSeen);
  EXPECT_FALSE(e->IsEditModeSetting());
}

// A filter row's editor comes from the owner's in-place list, which keeps
// and frees it.
TEST_F(TextEditTest, AFilterEditorComesFromTheInplaceList) {
  TvlInplaceEditList* list = New<TvlInplaceEditList>(static_cast<TComponent*>(Form));
  Finally freeList([&] { Free(list); });
  TvlTextEditProperties* column = New<TvlTextEditProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeColumn([&] { Free(column); });
  column->SetMaxLength(7);
  TvlCustomFilterEditHelperClass helper = ClassOf<TvlFilterTextEditHelper>();
  TvlCustomEdit* edit = helper->GetFilterEdit(column, list);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(list->Count(), 1);
  EXPECT_TRUE(edit->IsInplace());
  EXPECT_EQ(edit->Owner(), Form);
  EXPECT_EQ(static_cast<TvlTextEdit*>(edit)->Properties()->MaxLength(), 7);
  EXPECT_TRUE(static_cast<TvlTextEdit*>(edit)->Properties()->ValidateOnEnter());
  EXPECT_EQ(helper->GetFilterEdit(column, list), edit);
  EXPECT_EQ(list->Count(), 1);
}

// An in-place editor started by a typed key takes that key as an edit: a
// value of that one character is kept when editing ends, like a longer one.
TEST_F(TextEditTest, AKeyThatStartsAnInplaceEditorIsAnEdit) {
  Focus(NewEdit(60));  // the form is active: the in-place editor takes the focus at once
  for (const String& typed : {String(u"7"), String(u"78")}) {
    SCOPED_TRACE(typed.size());
    TvlCustomEditData* data = nullptr;
    TvlTextEdit* e = NewInplace<TvlTextEdit>(Form);
    Finally freeBoth([&] {
      Free(e);
      Free(data);
    });
    e->SetParent(Form);
    e->SetBounds(10, 10, 150, 21);
    e->SetEditValue(Variant(u"5"));
    Pump();
    e->ActivateByKey(typed[0], data);
    Pump();
    ASSERT_TRUE(e->Focused());
    EXPECT_EQ(e->Text(), typed.substr(0, 1));
    if (typed.size() > 1) {
      Display.TypeText(typed.substr(1));
      Pump();
    }
    EXPECT_TRUE(e->ModifiedAfterEnter());
    ASSERT_TRUE(e->Deactivate());
    EXPECT_EQ(VarToStr(e->EditValue()), typed);
  }
}

// In place, the inner edit is clipped one pixel inside the cell at top and
// bottom, so it never paints over the grid lines.
TEST_F(TextEditTest, TheInnerEditOfAnInplaceEditorIsClippedInsideTheCell) {
  TvlTextEdit* e = NewInplace<TvlTextEdit>(Form);
  e->SetParent(Form);
  const Integer h = e->InnerTextHeight();
  e->SetBounds(10, 10, 150, h);
  TvlCustomEditData* data = nullptr;
  e->Activate(data);
  Pump();
  TWinControl* inner = e->InnerEdit()->GetControl();
  ASSERT_EQ(inner->Height(), h);
  inner->SetVisible(false);
  inner->SetVisible(true);  // the container lays its inner control out again
  Pump();
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetWindowRgn(inner->WindowHandle(), rgn), SIMPLEREGION);
  RECT box{};
  GetRgnBox(rgn, &box);
  DeleteObject(rgn);
  const TRect client = e->ViewInfo()->ClientRect;
  EXPECT_EQ(box.top, std::max(0, client.Top + 1 - inner->Top()));
  EXPECT_EQ(box.bottom, std::min(h, client.Bottom - 1 - inner->Top()));
  Free(e);
  Free(data);
}

// Entering an editor whose data can change makes its inner edit writable
// (it may have been left read-only, as a data-aware binding does while its
// data is unavailable); a read-only editor stays read-only.
TEST_F(TextEditTest, EnteringMakesTheInnerEditWritableUnlessReadOnly) {
  TvlTextEdit* e = NewEdit();
  TvlTextEdit* readOnly = NewEdit(40);
  readOnly->Properties()->SetReadOnly(true);
  for (TvlTextEdit* edit : {e, readOnly}) {
    edit->InnerEdit()->SetReadOnly(true);
    Focus(edit);
    Display.TypeText(u"ab");
    Pump();
    EXPECT_EQ(edit->Text(), edit == e ? u"ab" : u"");
    EXPECT_EQ(edit->InnerEdit()->GetReadOnly(), edit == readOnly);
  }
}

}  // namespace
