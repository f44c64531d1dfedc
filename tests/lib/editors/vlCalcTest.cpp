// The calculator on the headless screen, driven with real keys and clicks: its
// state machine, memory, errors, layout scaling and painting.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lib/editors/vlCalc.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/vcl/Forms.h"
#include "platform/win/FontMap.h"
#include "tests/lib/lookandfeel/ControlFixture.h"
#include "tests/support/ReferencePictures.h"

namespace {

// A calculator with a display of its own: a text the test can read and set,
// and a record of the display locks.
class TDisplayCalculator : public TvlCustomCalculator {
  CL_CLASS(TDisplayCalculator, TvlCustomCalculator)
 public:
  String Display;
  std::vector<std::string> Locks;  // "lock", "unlock", "unlock+changed"
  using TvlCustomCalculator::Layout;
  using TControl::SetEnabled;

 protected:
  void GetDisplayText(String& Text) override { Text = Display; }
  void SetDisplayText(const String& Text) override { Display = Text; }
  void LockDisplayChanges(Boolean ALock, Boolean AInvokeChangedOnUnlock) override {
    Locks.push_back(ALock ? "lock" : AInvokeChangedOnUnlock ? "unlock+changed" : "unlock");
  }
};
CL_IMPLEMENT_CLASS(TDisplayCalculator)

struct TClickRecorder : public TObject {
  CL_CLASS(TClickRecorder, TObject)
 public:
  TvlCalcButtonKind Replace = cbNone;
  bool DoReplace = false;
  int Results = 0, DisplayChanges = 0;
  void ButtonClick(TObject*, TvlCalcButtonKind& Kind) {
    if (DoReplace) Kind = Replace;
  }
  void Result(TObject*) { ++Results; }
  void DisplayChange(TObject*) { ++DisplayChanges; }
};
CL_IMPLEMENT_CLASS(TClickRecorder)

class CalcTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    TFormatSettings& fs = FormatSettings();
    Saved = fs;
    // Turkish: the decimal separator is a comma, thousands a dot.
    fs.DecimalSeparator = u',';
    fs.ThousandSeparator = u'.';
    fs.CurrencyString = u"TL";
    Calc = Add<TDisplayCalculator>(10, 10, 198, 131);
    Calc->SetFocus();
    Pump();
    Display.Sounds().clear();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    FormatSettings() = Saved;
  }
  // Types the characters; '\b' is Backspace, 'S' F9 (the sign).
  void Type(const std::string& Keys) {
    for (char c : Keys) {
      if (c == '\b')
        Display.KeyPress(win::VK_BACK);
      else if (c == 'S')
        Display.KeyPress(win::VK_F9);
      else
        Display.TypeText(String(1, Char(c)));
      Pump();
    }
  }
  void CtrlKey(win::UINT Key) {
    Display.KeyDown(win::VK_CONTROL);
    Display.KeyPress(Key);
    Display.KeyUp(win::VK_CONTROL);
    Pump();
  }
  void ClickButton(TvlCalcButtonKind Kind) {
    const TRect r = Calc->Buttons(Kind).BtnRect;
    ClickAt(Calc, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  int Beeps() const {
    int n = 0;
    for (const String& s : const_cast<backend::THeadlessBackend&>(Display).Sounds()) n += s == u"SystemDefault";
    return n;
  }

  TFormatSettings Saved;
  TDisplayCalculator* Calc{};
};

// --- State machine --------------------------------------------------------------------------------

// Sequences typed on the keyboard and the display they end in. A case with
// a starting text first types "1" and then puts that text in the display,
// as if it had been typed digit by digit.
TEST_F(CalcTest, TypedSequences) {
  struct TCase {
    const char16_t* Start;
    const char* Keys;
    const char16_t* Shown;
    int Beeps;
  } const cases[] = {
      {nullptr, "12+3=", u"15", 0},
      {nullptr, "12+3==", u"15", 0},  // = again repeats nothing
      {nullptr, "200+10%", u"220", 0},
      {nullptr, "200-10%", u"180", 0},
      {nullptr, "200*10%", u"20", 0},
      {nullptr, "9+16@=", u"13", 0},
      {nullptr, "2*3+4=", u"10", 0},  // operators chain from left to right
      {nullptr, "1/0=5", u"Error", 2},  // every button but CE and C repeats the error
      {nullptr, "4S@", u"Error", 1},    // square root of -4
      {nullptr, "0r", u"Error", 1},     // R alone: the reciprocal of 0
      {nullptr, "4r", u"0,25", 0},
      {nullptr, "1.5+1,25=", u"2,75", 0},  // "." and "," both type the locale's separator
      {nullptr, "1..5", u"1,5", 0},
      {nullptr, "12\b", u"1", 0},
      {nullptr, "5S\b", u"0", 0},  // Back on "-5"
      {u"12345678901234", "5", u"123456789012345", 0},
      {u"12345678901234", "56", u"123456789012345", 1},  // the sixteenth digit is refused
      {u"-51234567890123", "45", u"-512345678901234", 1},  // a leading minus adds one place
      {nullptr, "2/3=", u"0,666666666666667", 0},
      {nullptr, "0,1+0,2=", u"0,3", 0},  // no stray last digit
      {u"999999999999999", "*1000=", u"9,99999999999999E17", 0},
      {nullptr, "1/10000=", u"0,0001", 0},
      {nullptr, "1/100000=", u"1E-5", 0},
      {nullptr, "3*=", u"3", 0},  // an operator without a right operand keeps the value
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Keys);
    Type("c");
    if (c.Start) {
      Type("1");
      Calc->Display = c.Start;
    }
    Display.Sounds().clear();
    Type(c.Keys);
    EXPECT_EQ(UTF16ToUTF8(Calc->Display), UTF16ToUTF8(c.Shown));
    EXPECT_EQ(Beeps(), c.Beeps);
  }
}

// The entry states: a result is an operand, digits after it start a new
// number; an error holds until CE or C.
TEST_F(CalcTest, EntryStates) {
  EXPECT_EQ(Calc->Status(), csFirst);
  Type("12");
  EXPECT_EQ(Calc->Status(), csValid);
  Type("+");
  EXPECT_EQ(Calc->Status(), csFirst);
  EXPECT_EQ(Calc->Operator(), cbAdd);
  EXPECT_EQ(double(Calc->Operand()), 12.0);
  Type("3=4");
  EXPECT_EQ(Calc->Display, u"4");
  Type("/0=");
  EXPECT_EQ(Calc->Status(), csError);
  EXPECT_EQ(double(Calc->Value()), 0.0);
  Display.KeyPress(win::VK_DELETE);  // CE
  Pump();
  EXPECT_EQ(Calc->Status(), csFirst);
  EXPECT_EQ(Calc->Display, u"0");
  EXPECT_EQ(Calc->Operator(), cbEqual);
}

// Mend: a display text that is no number (the calculator editor's user typed
// a lone "-") counts as 0 instead of raising from every button.
TEST_F(CalcTest, ADisplayThatIsNoNumberCountsAsZero) {
  for (const char16_t* text : {u"-", u",", u"abc", u"1-2", u"E5"}) {
    SCOPED_TRACE(UTF16ToUTF8(text));
    Type("c");
    Calc->Display = text;
    EXPECT_NO_THROW(Type("+"));
    EXPECT_EQ(double(Calc->Operand()), 0.0);
    Type("5=");
    EXPECT_EQ(Calc->Display, u"5");
  }
  // thousand separators are dropped, exponents read
  Calc->Display = u"1.234,5";
  EXPECT_EQ(double(Calc->Value()), 1234.5);
  Calc->Display = u"2,5E3";
  EXPECT_EQ(double(Calc->Value()), 2500.0);
}

// Mend: a result beyond the extended range shows the error instead of "INF",
// which no later button could read.
TEST_F(CalcTest, AResultBeyondTheRangeIsAnError) {
  Type("1");
  Calc->Display = u"1E4000";
  EXPECT_NEAR(double(std::log10(Calc->Value())), 4000.0, 1e-9);  // beyond double, within extended
  Type("*1");
  Calc->Display = u"1E4000";
  Type("=");
  EXPECT_EQ(Calc->Display, u"Error");
  EXPECT_EQ(Calc->Status(), csError);
  EXPECT_EQ(Beeps(), 1);
}

// Mend: a display number beyond the extended range (digits typed after an
// exponent) is an error to the buttons that read it, not a silent 0.
TEST_F(CalcTest, ADisplayBeyondTheRangeIsAnError) {
  for (const char* keys : {"+", "=", "%", "@", "r", "S"}) {
    SCOPED_TRACE(keys);
    Type("c7+1");
    Calc->Display = u"1E4000";
    Type("0");  // typed on: 1E40000
    ASSERT_EQ(Calc->Display, u"1E40000");
    Display.Sounds().clear();
    Type(keys);
    EXPECT_EQ(Calc->Display, u"Error");
    EXPECT_EQ(Beeps(), 1);
  }
  Type("c1");
  Calc->Display = u"1E40000";
  CtrlKey('P');
  EXPECT_EQ(Calc->Display, u"Error");
  EXPECT_EQ(double(Calc->Memory()), 0.0);
}

TEST_F(CalcTest, BeepOnErrorOff) {
  Calc->SetBeepOnError(false);
  Type("1/0=5");
  EXPECT_EQ(Calc->Display, u"Error");
  Type("c1");
  Calc->Display = u"123456789012345";
  Type("6");
  EXPECT_EQ(Beeps(), 0);
}

// --- Memory ---------------------------------------------------------------------------------------

TEST_F(CalcTest, MemoryKeys) {
  auto grayed = [&] { return Calc->Buttons(cbMC).Grayed && Calc->Buttons(cbMR).Grayed; };
  EXPECT_TRUE(grayed());
  CtrlKey('M');  // MS with 0
  EXPECT_TRUE(grayed());
  Type("5");
  CtrlKey('P');  // M+ 5
  EXPECT_FALSE(grayed());
  EXPECT_EQ(double(Calc->Memory()), 5.0);
  Type("3");
  CtrlKey('P');
  EXPECT_EQ(double(Calc->Memory()), 8.0);
  Type("c2+");
  CtrlKey('R');  // MR: the recalled number is the right operand and can be extended
  EXPECT_EQ(Calc->Display, u"8");
  Type("1=");
  EXPECT_EQ(Calc->Display, u"83");
  Type("4r");  // R alone is the reciprocal
  EXPECT_EQ(Calc->Display, u"0,25");
  // memory survives clear and errors, not a new layout
  Type("1/0=c");
  EXPECT_EQ(double(Calc->Memory()), 8.0);
  ClickButton(cbMR);
  EXPECT_EQ(Calc->Display, u"8");
  Calc->SetBounds(10, 10, 300, 200);
  Pump();
  EXPECT_EQ(double(Calc->Memory()), 0.0);
  EXPECT_TRUE(grayed());
  Type("7");
  CtrlKey('M');
  CtrlKey('L');  // MC
  EXPECT_EQ(double(Calc->Memory()), 0.0);
  EXPECT_TRUE(grayed());
}

// Mend: a memory sum beyond the extended range is an error that keeps the
// memory as it was, instead of emptying it without a word.
TEST_F(CalcTest, MemoryAtTheRangeLimit) {
  auto log10Memory = [&] { return double(std::log10(std::fabs(Calc->Memory()))); };
  Type("1");
  Calc->Display = u"1E4932";  // near the top of the extended range
  CtrlKey('M');
  ASSERT_NEAR(log10Memory(), 4932.0, 1e-9);
  Type("1");
  Calc->Display = u"1E4932";
  Display.Sounds().clear();
  CtrlKey('P');  // M+ would leave the range
  EXPECT_EQ(Calc->Display, u"Error");
  EXPECT_EQ(Calc->Status(), csError);
  EXPECT_EQ(Beeps(), 1);
  EXPECT_NEAR(log10Memory(), 4932.0, 1e-9);
  EXPECT_FALSE(Calc->Buttons(cbMR).Grayed);
  Type("c");
  CtrlKey('R');
  EXPECT_EQ(Calc->Display, u"1E4932");
  // a sum back inside the range works on
  Type("S");
  Calc->Display = u"-5E4931";
  CtrlKey('P');
  EXPECT_EQ(Calc->Status(), csFirst);
  EXPECT_NEAR(double(Calc->Memory() / 1e4931L), 5.0, 1e-9);
}

// --- Mouse ----------------------------------------------------------------------------------------

TEST_F(CalcTest, ClicksAndTracking) {
  for (TvlCalcButtonKind k : {cbNum7, cbMul, cbNum6, cbEqual}) ClickButton(k);
  EXPECT_EQ(Calc->Display, u"42");

  // pressed, dragged off and released elsewhere: no click
  const TRect r = Calc->Buttons(cbNum1).BtnRect;
  const TPoint in = At(Calc, r.Left + 4, r.Top + 4);
  Display.MouseDown(in.X, in.Y);
  Pump();
  EXPECT_TRUE(Calc->Tracking());
  EXPECT_TRUE(Calc->Buttons(cbNum1).Down);
  const TPoint out = At(Calc, r.Left + 4, r.Bottom + 20);
  Display.MouseMove(out.X, out.Y);
  Pump();
  EXPECT_FALSE(Calc->Buttons(cbNum1).Down);
  Display.MouseMove(in.X, in.Y);
  Pump();
  EXPECT_TRUE(Calc->Buttons(cbNum1).Down);
  Display.MouseMove(out.X, out.Y);
  Pump();
  Display.MouseUp(out.X, out.Y);
  Pump();
  EXPECT_FALSE(Calc->Tracking());
  EXPECT_EQ(Calc->DownButton(), cbNone);
  EXPECT_EQ(Calc->Display, u"42");

  // a grayed memory key does nothing; the gaps between buttons neither
  ClickButton(cbMR);
  EXPECT_EQ(Calc->Display, u"42");
  const TRect eq = Calc->Buttons(cbEqual).BtnRect;
  EXPECT_EQ(Calc->GetButtonKindAt(eq.Left - 1, eq.Top), cbNone);
  EXPECT_EQ(Calc->GetButtonKindAt(eq.Left, eq.Top), cbEqual);
  EXPECT_EQ(Calc->GetButtonKindAt(eq.Right, eq.Top), cbNone);
}

// Mend: a held button is let go when the calculator loses the mouse
// (disabled while the button is down) or the focus (the key is released
// elsewhere): no click comes later, no button stays drawn down, and the
// same key works again at once.
TEST_F(CalcTest, AHeldButtonIsLetGoWhenTheMouseOrTheFocusGoes) {
  const TRect r = Calc->Buttons(cbNum5).BtnRect;
  const TPoint p = At(Calc, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  Type("c");
  Display.MouseDown(p.X, p.Y);
  Pump();
  ASSERT_TRUE(Calc->Tracking());
  Calc->SetEnabled(false);
  Pump();
  EXPECT_FALSE(Calc->Tracking());
  EXPECT_FALSE(Calc->Buttons(cbNum5).Down);
  EXPECT_EQ(Calc->DownButton(), cbNone);
  Calc->SetEnabled(true);
  Pump();
  Display.MouseUp(p.X, p.Y);
  Pump();
  EXPECT_EQ(Calc->Display, u"0");

  TDisplayCalculator* other = Add<TDisplayCalculator>(10, 150, 100, 100);
  Calc->SetFocus();
  Pump();
  Display.KeyDown('5');
  Pump();
  ASSERT_EQ(Calc->PressedButton(), cbNum5);
  other->SetFocus();
  Pump();
  EXPECT_EQ(Calc->PressedButton(), cbNone);
  EXPECT_FALSE(Calc->Buttons(cbNum5).Down);
  Display.KeyUp('5');
  Pump();
  Calc->SetFocus();
  Pump();
  Type("5");
  EXPECT_EQ(Calc->Display, u"55");
}

// Freed while a button is held with the mouse or a key: the input that
// follows finds no calculator and nothing breaks.
TEST_F(CalcTest, FreedWhileAButtonIsHeld) {
  const TRect r = Calc->Buttons(cbNum5).BtnRect;
  const TPoint p = At(Calc, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  Display.MouseDown(p.X, p.Y);
  Pump();
  FreeAndNil(Calc);
  Display.MouseUp(p.X, p.Y);
  Pump();

  Calc = Add<TDisplayCalculator>(10, 10, 198, 131);
  Calc->SetFocus();
  Pump();
  Display.KeyDown('5');
  Pump();
  FreeAndNil(Calc);
  Display.KeyUp('5');
  Pump();
}

// The English locale: a point before the decimals, commas between the
// thousands, "$" as the currency.
TEST_F(CalcTest, EnglishSeparators) {
  TFormatSettings& fs = FormatSettings();
  fs.DecimalSeparator = u'.';
  fs.ThousandSeparator = u',';
  fs.CurrencyString = u"$";
  Calc->SetBounds(10, 10, 300, 200);  // a new layout takes the separator
  Pump();
  EXPECT_EQ(Calc->Buttons(cbDecimal).Text, u".");
  struct TCase {
    const char* Keys;
    const char16_t* Shown;
  } const cases[] = {
      {"1,5+1.25=", u"2.75"},
      {"2/3=", u"0.666666666666667"},
      {"1/100000=", u"1E-5"},
      {"5S\b", u"0"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Keys);
    Type("c");
    Type(c.Keys);
    EXPECT_EQ(UTF16ToUTF8(Calc->Display), UTF16ToUTF8(c.Shown));
  }
  Calc->Display = u"1,234.5";
  EXPECT_EQ(double(Calc->Value()), 1234.5);
}

// OnButtonClick may replace the button or cancel it; OnResult follows = and
// %; the display is locked around each click and unlocked with a change
// notice exactly when its text changed.
TEST_F(CalcTest, ButtonEventsAndDisplayLocks) {
  TClickRecorder* rec = New<TClickRecorder>();
  Finally freeRec([&] { Free(rec); });
  Calc->SetOnButtonClick(TvlCalcButtonClick(rec, &TClickRecorder::ButtonClick));
  Calc->SetOnResult(TNotifyEvent(rec, &TClickRecorder::Result));
  Calc->SetOnDisplayChange(TNotifyEvent(rec, &TClickRecorder::DisplayChange));
  Type("8");
  Calc->Locks.clear();
  Type("+");  // display unchanged
  Type("2");
  EXPECT_EQ(Calc->Locks, (std::vector<std::string>{"lock", "unlock", "lock", "unlock+changed"}));
  rec->DoReplace = true;
  rec->Replace = cbMul;
  Type("=");  // becomes *
  EXPECT_EQ(Calc->Operator(), cbMul);
  EXPECT_EQ(rec->Results, 0);
  rec->Replace = cbNone;
  Type("5");  // cancelled
  EXPECT_EQ(Calc->Display, u"10");
  rec->DoReplace = false;
  Type("3=");
  EXPECT_EQ(Calc->Display, u"30");
  EXPECT_EQ(rec->Results, 1);
  Type("%");
  EXPECT_EQ(rec->Results, 2);
  EXPECT_GT(rec->DisplayChanges, 0);
}

// --- Clipboard ------------------------------------------------------------------------------------

TEST_F(CalcTest, CopyAndPaste) {
  auto setClipboard = [](const String& Text) {
    ASSERT_TRUE(win::OpenClipboard(nullptr));
    win::EmptyClipboard();
    win::HGLOBAL h = win::GlobalAlloc(win::GMEM_MOVEABLE, (Text.size() + 1) * sizeof(Char));
    auto* p = static_cast<Char*>(win::GlobalLock(h));
    std::copy(Text.begin(), Text.end(), p);
    p[Text.size()] = 0;
    win::GlobalUnlock(h);
    win::SetClipboardData(win::CF_UNICODETEXT, h);
    win::CloseClipboard();
  };
  struct TCase {
    const char16_t* Clip;
    const char16_t* Shown;
  } const cases[] = {
      {u" 1.250,5 TL ", u"1250,5"},
      {u"TL-3", u"-3"},
      {u"abc", u"0"},
      {u"", u"0"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Clip));
    Type("c9");
    setClipboard(c.Clip);
    CtrlKey('V');
    EXPECT_EQ(Calc->Display, c.Shown);
  }
  // a pasted number is an operand
  setClipboard(u"12");
  Type("c5+");
  CtrlKey('V');
  Type("=");
  EXPECT_EQ(Calc->Display, u"17");
  CtrlKey('C');
  setClipboard(u"");
  Calc->Display = u"4,5";
  CtrlKey('C');
  Type("c");
  CtrlKey('V');
  EXPECT_EQ(Calc->Display, u"4,5");
}

// --- Layout ---------------------------------------------------------------------------------------

// The button height follows the client height (at most the width's share),
// and everything scales with it.
TEST_F(CalcTest, LayoutScalesWithTheSize) {
  struct TCase {
    int Width, Height;
    int ButtonHeight, FontSize, CalcWidth, CalcHeight;
  } const cases[] = {
      {198, 131, 23, 8, 202, 133},  // 133 is nearer 131 than 128
      {100, 50, 22, 8, 196, 128},   // never below 22
      {400, 195, 33, 12, 296, 195},  // 5 x 33 + 6 x 5
      {296, 300, 33, 12, 296, 195},  // the width limits
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Height);
    Calc->SetBounds(10, 10, c.Width, c.Height);
    Pump();
    EXPECT_EQ(Calc->CalcBtnHeight(), c.ButtonHeight);
    EXPECT_EQ(Calc->CalcFontSize(), c.FontSize);
    EXPECT_EQ(Calc->CalcWidth(), c.CalcWidth);
    EXPECT_EQ(Calc->CalcHeight(), c.CalcHeight);
    EXPECT_EQ(Calc->ClientWidth(), c.CalcWidth);
    EXPECT_EQ(Calc->ClientHeight(), c.CalcHeight);
    // the grid: C ends at the right edge of the last pad column, = is the
    // last pad button of the last row
    const Integer H = Calc->CalcBtnHeight(), W = Calc->CalcBtnWidth(), XO = Calc->CalcXOfs();
    const Integer lastPadRight = XO + (W + 2 * XO + 4) + 4 * (XO + W) + W;
    EXPECT_EQ(Calc->Buttons(cbClear).BtnRect.Right, lastPadRight);
    EXPECT_EQ(Calc->Buttons(cbEqual).BtnRect, (TRect{lastPadRight - W, XO + 4 * (H + XO), lastPadRight, 5 * (H + XO)}));
    EXPECT_EQ(Calc->Buttons(cbCancel).BtnRect.Right, Calc->Buttons(cbClear).BtnRect.Left - XO);
    EXPECT_EQ(Calc->Buttons(cbMP).BtnRect, (TRect{XO, XO + 4 * (H + XO), XO + W, 5 * (H + XO)}));
  }
  // without AutoFontSize the button is twice the font's text height
  Calc->SetAutoFontSize(false);
  Pump();
  TBitmap* measure = New<TBitmap>();
  measure->Canvas()->Font()->Assign(Calc->Font());
  EXPECT_EQ(Calc->CalcBtnHeight(), 2 * measure->Canvas()->TextHeight(u"0"));
  Free(measure);
  EXPECT_EQ(Calc->Buttons(cbDecimal).Text, u",");
}

// A bordered calculator keeps its layout's client size; its window has the
// sunken edge, a popup calculator none.
TEST_F(CalcTest, BorderAndWindowStyles) {
  Calc->SetBorderStyle(bsSingle);
  Pump();
  EXPECT_TRUE(win::GetWindowLongW(Calc->Handle(), win::GWL_EXSTYLE) & win::WS_EX_CLIENTEDGE);
  EXPECT_EQ(Calc->ClientWidth(), Calc->CalcWidth());
  EXPECT_EQ(Calc->ClientHeight(), Calc->CalcHeight());
  EXPECT_GT(Calc->Width(), Calc->CalcWidth());
  EXPECT_TRUE(win::GetWindowLongW(Calc->Handle(), win::GWL_STYLE) & win::WS_CLIPCHILDREN);
}

// --- Painting -------------------------------------------------------------------------------------

// The calculator as it is seen: focused (the focus rectangle in "="), "5"
// held down with the keyboard, M+ hot under the mouse, the memory keys
// grayed; then at a button height of 33 with bold 12-point captions.
TEST_F(CalcTest, Pictures) {
  win::fontmap::SetFontFileOverride("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  Finally noOverride([] { win::fontmap::SetFontFileOverride(""); });
  auto snap = [&](const char* Name) {
    Calc->Repaint();
    Pump();
    Display.Compose();
    const TPoint o = Calc->ClientToScreen(TPoint{0, 0});
    const int w = Calc->Width(), h = Calc->Height();
    std::vector<uint32_t> pixels;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels.push_back(Display.Pixels()[size_t(o.Y + y) * Display.Width() + size_t(o.X + x)]);
    testing_support::ExpectMatchesReference(
        pixels.data(), w, h, std::string(CL_SOURCE_DIR) + "/tests/lib/editors/reference/" + Name + ".png", Name);
  };
  const TRect mp = Calc->Buttons(cbMP).BtnRect;
  MoveTo(Calc, mp.Left + 3, mp.Top + 3);
  Display.KeyDown('5');
  Pump();
  ASSERT_TRUE(Calc->Buttons(cbNum5).Down);
  snap("calc-default");
  Display.KeyUp('5');
  Pump();
  Calc->SetBounds(10, 10, 400, 195);
  Pump();
  ASSERT_EQ(Calc->CalcFontSize(), 12);
  snap("calc-large");
}

}  // namespace
