// The calculator editor on the headless screen: the popup calculator working
// on the editor's text with real keys, the closing keys, the memory kept
// across openings, the error text, the typing check and the formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "lib/editors/vlCalcEdit.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/lookandfeel/vlCustomPopup.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Variants.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/ControlFixture.h"
#include "tests/support/ReferencePictures.h"

using namespace win;

namespace {

class CalcEditTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    TFormatSettings& fs = FormatSettings();
    Saved = fs;
    // Turkish: the decimal separator is a comma, thousands a dot.
    fs.DecimalSeparator = u',';
    fs.ThousandSeparator = u'.';
    Edit = Add<TvlCalcEdit>(10, 10, 150, 21);
    // The tests drive the open popup from outside instead of from its modal loop.
    Edit->PopupWindow()->SetModalMode(false);
    Edit->SetFocus();
    Pump();
    Display.Sounds().clear();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    FormatSettings() = Saved;
  }
  void Key(UINT AKey, UINT AModifier = 0) {
    if (AModifier) Display.KeyDown(AModifier);
    Display.KeyPress(AKey);
    if (AModifier) Display.KeyUp(AModifier);
    Pump();
  }
  void Type(const String& AText) {
    Display.TypeText(AText);
    Pump();
  }
  void Open() {
    Key(VK_F4);
    ASSERT_TRUE(Edit->DroppedDown());
  }
  int Beeps() const {
    int n = 0;
    for (const String& s : const_cast<backend::THeadlessBackend&>(Display).Sounds()) n += s == u"SystemDefault";
    return n;
  }
  std::string Text() const { return UTF16ToUTF8(Edit->Text()); }

  TFormatSettings Saved;
  TvlCalcEdit* Edit{};
};

// The calculator's keys work on the editor's text; Enter computes and closes.
TEST_F(CalcEditTest, TwelvePlusThreeEnterLeavesFifteen) {
  Edit->SetValue(12);
  Pump();
  Open();
  EXPECT_TRUE(Edit->Calculator()->Focused());
  Type(u"+3");
  EXPECT_EQ(Text(), "3");
  Key(VK_RETURN);
  EXPECT_FALSE(Edit->DroppedDown());
  EXPECT_EQ(Text(), "15");
  EXPECT_EQ(Edit->CloseUpReason(), crEnter);
  EXPECT_TRUE(Edit->ModifiedAfterEnter());
  // Enter in the editor validates: the text becomes the value.
  Key(VK_RETURN);
  EXPECT_EQ(double(Edit->Value()), 15.0);
}

// The keys that close the popup, and what each leaves in the editor.
TEST_F(CalcEditTest, ClosingKeys) {
  struct TCase {
    const char* Name;
    UINT Key, Modifier;
    TvlEditCloseUpReason Reason;
  } const cases[] = {
      {"Escape", VK_ESCAPE, 0, crCancel},
      {"F4", VK_F4, 0, crClose},
      {"Alt+Up", VK_UP, VK_MENU, crClose},
      {"Alt+Down", VK_DOWN, VK_MENU, crClose},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Edit->SetValue(7);
    Pump();
    Open();
    Key(c.Key, c.Modifier);
    EXPECT_FALSE(Edit->DroppedDown());
    EXPECT_EQ(Edit->CloseUpReason(), c.Reason);
  }
  // "=" closes only with QuickClose.
  Edit->SetValue(2);
  Open();
  Type(u"*3=");
  EXPECT_TRUE(Edit->DroppedDown());
  EXPECT_EQ(Text(), "6");
  Key(VK_ESCAPE);
  Edit->Properties()->SetQuickClose(true);
  Edit->SetValue(2);
  Open();
  Type(u"*3=");
  EXPECT_FALSE(Edit->DroppedDown());
  EXPECT_EQ(Text(), "6");
}

// The memory register used to be cleared by the layout of every opening.
TEST_F(CalcEditTest, TheMemorySurvivesReopening) {
  Edit->SetValue(5);
  Open();
  Key('M', VK_CONTROL);  // MS
  EXPECT_EQ(double(Edit->Calculator()->Memory()), 5.0);
  Key(VK_ESCAPE);
  Edit->SetValue(1);
  Open();
  EXPECT_EQ(double(Edit->Calculator()->Memory()), 5.0);
  EXPECT_FALSE(Edit->Calculator()->Buttons(cbMR).Grayed);
  Key('R', VK_CONTROL);  // MR
  EXPECT_EQ(Text(), "5");
  Key(VK_RETURN);
  Key(VK_RETURN);
  EXPECT_EQ(double(Edit->Value()), 5.0);
}

TEST_F(CalcEditTest, ClosingOnTheErrorTextLeavesZero) {
  Edit->SetValue(1);
  Open();
  Type(u"/0=");
  EXPECT_EQ(Text(), "Error");
  Key(VK_F4);
  EXPECT_FALSE(Edit->DroppedDown());
  EXPECT_EQ(Text(), "0");
  EXPECT_EQ(double(Edit->Value()), 0.0);
}

// A lone "-" typed into the editor is no number; the calculator takes it as
// 0 instead of raising, so "+" after it works.
TEST_F(CalcEditTest, AMinusAloneThenPlusWorks) {
  Edit->SetTextProp(u"");
  Pump();
  Type(u"-");
  EXPECT_EQ(Text(), "-");
  Open();
  Type(u"+4=");
  EXPECT_EQ(Text(), "4");
  Key(VK_RETURN);
  Key(VK_RETURN);
  EXPECT_EQ(double(Edit->Value()), 4.0);
}

// Characters typed into the editor: "." and "," become the decimal
// separator; a character is taken only when the text stays a number (or is
// a lone "-"); a refused one beeps.
TEST_F(CalcEditTest, TypingCheck) {
  struct TCase {
    const char16_t* Before;
    Integer SelStart, SelLength;
    const char16_t* Typed;
    const char* After;
    bool Beep;
  } const cases[] = {
      {u"", 0, 0, u"-", "-", false},     {u"", 0, 0, u"a", "", true},
      {u"12", 2, 0, u".", "12,", false}, {u"12", 2, 0, u",", "12,", false},
      {u"12,5", 4, 0, u",", "12,5", true}, {u"1", 1, 0, u"e", "1", true},
      {u"12", 2, 0, u"-", "12", true},   {u"12", 0, 2, u"7", "7", false},
      {u"-", 1, 0, u"5", "-5", false},   {u"12", 0, 0, u"-", "-12", false},
      {u"1E30", 4, 0, u"0", "1E300", false}, {u"1E300", 5, 0, u"0", "1E300", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Before) + " + " + UTF16ToUTF8(c.Typed));
    Edit->SetTextProp(c.Before);
    Pump();
    Edit->SetSelStart(c.SelStart);
    Edit->SetSelLength(c.SelLength);
    Display.Sounds().clear();
    Type(c.Typed);
    EXPECT_EQ(Text(), c.After);
    EXPECT_EQ(Beeps() > 0, c.Beep);
  }
}

// The text of a value while editing, per format setting, and back.
TEST_F(CalcEditTest, DisplayFormats) {
  TvlCalcEditProperties* p = Edit->Properties();
  struct TCase {
    double Value;
    Integer Precision;
    bool Scientific, Thousands;
    const char* Shown;
  } const cases[] = {
      {1234.5, 15, false, false, "1234,5"},
      {1234.5, 15, true, false, "1,2345E+3"},
      {1E20, 15, true, false, "1E+20"},
      {1234567.5, 15, false, true, "1.234.567,5"},
      {2.0 / 3, 4, false, false, "0,6667"},
      {2.0 / 3, 20, false, false, "0,666666666666667"},  // above 15 reads as 15
      {-0.5, 15, false, true, "-0,5"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Shown);
    p->SetPrecision(Byte(c.Precision));
    p->SetScientificFormat(c.Scientific);
    p->SetUseThousandSeparator(c.Thousands);
    Variant shown;
    p->PrepareDisplayValue(Variant(c.Value), shown, true);
    EXPECT_EQ(UTF16ToUTF8(VarToStr(shown)), c.Shown);
    Variant back;
    Edit->PrepareEditValue(shown, back, true);
    EXPECT_NEAR(back.AsDouble(), c.Value, std::fabs(c.Value) * 1E-3);
  }
  EXPECT_EQ(p->Precision(), 15);
  Variant empty;
  p->PrepareDisplayValue(Null(), empty, true);
  EXPECT_EQ(VarToStr(empty), u"");
  Variant none;
  Edit->PrepareEditValue(Variant(u"abc"), none, true);
  EXPECT_TRUE(VarIsNull(none));
}

TEST_F(CalcEditTest, PictureOpen) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  Edit->Style()->LookAndFeel()->SetNativeStyle(false);
  Edit->SetValue(12);
  Display.MouseMove(1270, 1010);
  Pump();
  Open();
  Type(u"+3");
  ASSERT_NE(Edit->PopupWindow(), nullptr);
  const TPoint o = Edit->ClientToScreen(TPoint{-4, -4});
  const TRect popup = Edit->PopupWindow()->BoundsRect();
  const int w = std::max(Edit->Width(), int(popup.Right - popup.Left)) + 8;
  const int h = Edit->Height() + int(popup.Bottom - popup.Top) + 8;
  Display.Compose();
  std::vector<uint32_t> big(size_t(w) * 2 * size_t(h) * 2);
  for (int y = 0; y < 2 * h; ++y)
    for (int x = 0; x < 2 * w; ++x)
      big[size_t(y) * size_t(2 * w) + size_t(x)] =
          Display.Pixels()[size_t(o.Y + y / 2) * size_t(Display.Width()) + size_t(o.X + x / 2)];
  testing_support::ExpectMatchesReference(big.data(), 2 * w, 2 * h,
                                          std::string(CL_SOURCE_DIR) + "/tests/lib/editors/reference/calc-edit.png",
                                          "calc-edit");
  Key(VK_ESCAPE);
}

}  // namespace

// A result past the largest double is no value the editor can hold: it
// reads as no number (an empty value), never as an infinity.
TEST_F(CalcEditTest, AResultPastTheDoubleRangeIsNoValue) {
  Edit->SetTextProp(u"1E300");
  Pump();
  Open();
  Type(u"*1000000000=");
  EXPECT_EQ(Text(), "1E309");
  Key(VK_RETURN);
  TvlCalcEdit* other = Add<TvlCalcEdit>(10, 40, 150, 21);
  other->SetFocus();
  Pump();
  EXPECT_TRUE(VarIsNull(Edit->EditValue()));
  EXPECT_EQ(Text(), "");
  EXPECT_EQ(double(Edit->Value()), 0.0);
  Variant v = Variant(u"1E309");
  EXPECT_FALSE(Edit->Properties()->IsEditValueValid(v, false));
}

namespace {

// An OnChange handler that frees, or disables, the editor it watches.
class TCalcEditChanger : public TObject {
  CL_CLASS(TCalcEditChanger, TObject)
 public:
  TvlCalcEdit* Edit{};
  bool FreeIt = true;
  int Calls = 0;
  void Changed(TObject*) {
    ++Calls;
    TvlCalcEdit* e = std::exchange(Edit, nullptr);
    if (!e) return;
    if (FreeIt)
      Free(e);
    else
      e->SetEnabledProp(false);
  }
};
CL_IMPLEMENT_CLASS(TCalcEditChanger)

}  // namespace

// A calculator key whose change event frees or disables the editor while
// the popup is open: the key's work stops there and the popup goes.
TEST_F(CalcEditTest, TheEditorFreedOrDisabledByACalculatorKey) {
  for (bool freeIt : {true, false}) {
    SCOPED_TRACE(freeIt ? "freed" : "disabled");
    TvlCalcEdit* e = Add<TvlCalcEdit>(10, 40, 150, 21);
    e->PopupWindow()->SetModalMode(false);
    e->SetFocus();
    Pump();
    TCalcEditChanger* changer = New<TCalcEditChanger>();
    Finally freeChanger([&] { Free(changer); });
    changer->Edit = e;
    changer->FreeIt = freeIt;
    e->Properties()->SetOnChange(TNotifyEvent(changer, &TCalcEditChanger::Changed));
    Key(VK_F4);
    ASSERT_TRUE(e->DroppedDown());
    Type(u"5+");
    EXPECT_EQ(changer->Calls, 1);
    if (!freeIt) {
      EXPECT_FALSE(e->DroppedDown());
      Free(e);
    }
    Pump();
  }
}

// A click outside the open calculator closes it mid-sum; the text shown
// stays and is taken as the value.
TEST_F(CalcEditTest, AnOutsideClickMidSum) {
  Edit->SetValue(12);
  Pump();
  Open();
  Type(u"+3");
  ClickAt(Form, 300, 250);
  EXPECT_FALSE(Edit->DroppedDown());
  EXPECT_EQ(vlOpenPopupCount(), 0);
  EXPECT_EQ(Text(), "3");
  Key(VK_RETURN);
  EXPECT_EQ(double(Edit->Value()), 3.0);
}
