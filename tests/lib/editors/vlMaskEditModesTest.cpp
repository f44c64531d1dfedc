// The mask modes driven through a small fake editor: the inner edit's own
// key handling (caret, selection, Delete, Backspace, typing) and the
// editor's routing of keys to the mode, as the masked editor does it.
#include <gtest/gtest.h>

#include "lib/editors/vlDateUtils.h"
#include "lib/editors/vlMaskEditModes.h"
#include "lib/editors/vlRegExpr.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "platform/win/Windows.h"

namespace {

class FakeEditor : public IvlMaskEditModeEditor, public IvlMaskEditModeProperties {
 public:
  HRESULT QueryInterface(const TGUID&, void**) override { return E_NOINTERFACE; }
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }

  // The properties.
  Boolean GetBeepOnError() override { return true; }
  Boolean GetCaseInsensitive() override { return CaseInsensitive; }
  TEditCharCase GetCharCase() override { return ecNormal; }
  Boolean GetIgnoreMaskBlank() override { return IgnoreMaskBlank; }
  String PrepareDisplayText(const String& AEditValue, Boolean) override { return AEditValue; }

  // The editor.
  IvlMaskEditModeProperties* GetModeProperties() override { return this; }
  Boolean HasInnerEdit() override { return true; }
  Boolean HandleAllocated() override { return true; }
  Boolean IsMasked() override { return true; }
  Boolean IsFocused() override { return true; }
  Boolean ModifiedAfterEnter() override { return false; }
  Boolean GetShiftOn() override { return Shift; }
  void SetShiftOn(Boolean Value) override { Shift = Value; }
  String GetDisplayText() override { return Text; }
  void SetDisplayText(const String& AText) override {
    Text = AText;
    SelStart = std::min<Integer>(SelStart, Integer(Text.size()));
    SelLength = 0;
  }
  String GetEditValueText() override { return EditValue; }
  void SetEditValueText(const String& AText) override { EditValue = AText; }
  Integer GetSelStart() override { return SelStart; }
  void SetSelStart(Integer Value) override {
    SelStart = std::clamp<Integer>(Value, 0, Integer(Text.size()));
    SelLength = 0;
  }
  Integer GetSelLength() override { return SelLength; }
  void SetSelLength(Integer Value) override {
    SelLength = std::clamp<Integer>(Value, 0, Integer(Text.size()) - SelStart);
  }
  Boolean CaretAtSelStart() override { return false; }
  Boolean CanTypeChar(Integer, Char&) override { return true; }
  void Beep() override { ++Beeps; }

  // The inner edit's own handling of a key.
  void SendKey(Word AKey) override {
    switch (AKey) {
      case win::VK_LEFT:
        if (SelLength == 0 && SelStart > 0) --SelStart;
        SelLength = 0;
        break;
      case win::VK_RIGHT:
        SelStart = std::min<Integer>(SelStart + std::max(SelLength, 1), Integer(Text.size()));
        SelLength = 0;
        break;
      case win::VK_HOME: SelStart = SelLength = 0; break;
      case win::VK_END:
        SelStart = Integer(Text.size());
        SelLength = 0;
        break;
      case win::VK_DELETE:
        if (SelLength > 0)
          Text.erase(size_t(SelStart), size_t(SelLength));
        else if (SelStart < Integer(Text.size()))
          Text.erase(size_t(SelStart), 1);
        SelLength = 0;
        break;
      case win::VK_BACK:
        if (SelLength > 0) {
          Text.erase(size_t(SelStart), size_t(SelLength));
        } else if (SelStart > 0) {
          Text.erase(size_t(--SelStart), 1);
        }
        SelLength = 0;
        break;
    }
  }
  void SendChar(Char AChar) override {
    Text.replace(size_t(SelStart), size_t(SelLength), 1, AChar);
    ++SelStart;
    SelLength = 0;
  }

  // The editor's routing: key-down for the editing keys, key-press for
  // characters ("\b" is Backspace).
  void Key(Word AKey) {
    Boolean pass = true;
    switch (AKey) {
      case win::VK_LEFT: pass = Mode->PressLeft(); break;
      case win::VK_RIGHT: pass = Mode->PressRight(); break;
      case win::VK_HOME: pass = Mode->PressHome(); break;
      case win::VK_END: pass = Mode->PressEnd(); break;
      case win::VK_DELETE: pass = Mode->PressDelete(); break;
    }
    if (pass) SendKey(AKey);
  }
  void Type(const String& AText) {
    for (Char c : AText) {
      if (c == u'\b') {
        if (Mode->PressBackSpace()) SendKey(win::VK_BACK);
        continue;
      }
      Char symbol = c;
      if (Mode->PressSymbol(symbol)) SendChar(symbol);
    }
  }
  void Select(Integer AStart, Integer ALength) {
    SelStart = AStart;
    SelLength = ALength;
    Mode->LMouseDown();
  }

  TvlMaskEditCustomMode* Mode{};
  String Text, EditValue;
  Integer SelStart{}, SelLength{}, Beeps{};
  Boolean Shift{}, CaseInsensitive{true}, IgnoreMaskBlank{};
};

class MaskModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);
    vlFormatController()->RegionalSettingsChanged();
  }
  void TearDown() override { Free(Edit.Mode); }

  template <class TMode>
  void Make(const String& AMask) {
    Edit.Mode = New<TMode>(&Edit, nullptr);
    Edit.Mode->Compile(AMask);
    Edit.Text = Edit.Mode->GetFormattedText(String());
    Edit.SelStart = Edit.SelLength = 0;
    Edit.Mode->SetText(Edit.Text);
  }

  FakeEditor Edit;
};

// --- Standard mode ---

TEST_F(MaskModeTest, StandardTypingOnTheDateMask) {
  Make<TvlMaskEditStandardMode>(vlFormatController()->StandardDateEditMask());
  EXPECT_EQ(u"  .  .    ", Edit.Text);
  EXPECT_EQ(1, Edit.SelLength);  // the overwrite cursor
  Edit.Type(u"12");
  EXPECT_EQ(u"12.  .    ", Edit.Text);
  EXPECT_EQ(3, Edit.SelStart);  // past the separator
  Edit.Type(u"x");  // refused silently
  EXPECT_EQ(u"12.  .    ", Edit.Text);
  EXPECT_EQ(0, Edit.Beeps);
  Edit.Type(u"022011");
  EXPECT_EQ(u"12.02.2011", Edit.Text);
  EXPECT_EQ(10, Edit.SelStart);
  EXPECT_TRUE(Edit.Mode->IsCursorEnd());
  Edit.Type(u"5");  // nothing at the end
  EXPECT_EQ(u"12.02.2011", Edit.Text);
  // Backspace blanks the previous slot and leaves the cursor there.
  Edit.Type(u"\b");
  EXPECT_EQ(u"12.02.201 ", Edit.Text);
  EXPECT_EQ(9, Edit.SelStart);
  Edit.Key(win::VK_LEFT);
  Edit.Key(win::VK_LEFT);
  Edit.Key(win::VK_LEFT);
  EXPECT_EQ(6, Edit.SelStart);
  Edit.Key(win::VK_LEFT);  // over the separator
  EXPECT_EQ(4, Edit.SelStart);
  // A digit typed on the separator's position fills the next slot.
  Edit.Select(2, 0);
  EXPECT_EQ(1, Edit.SelLength);
  Edit.Type(u"5");
  EXPECT_EQ(u"12.52.201 ", Edit.Text);
  EXPECT_EQ(4, Edit.SelStart);
  // Delete over a selection blanks the slots and keeps the separators.
  Edit.Select(0, 4);
  Edit.Key(win::VK_DELETE);
  EXPECT_EQ(u"  . 2.201 ", Edit.Text);
  EXPECT_EQ(u"  . 2.201 ", Edit.Mode->GetUpdatedText(Edit.Text));
  Edit.Key(win::VK_HOME);
  EXPECT_EQ(0, Edit.SelStart);
  Edit.Key(win::VK_END);
  EXPECT_EQ(10, Edit.SelStart);
}

TEST_F(MaskModeTest, StandardHomeSkipsLeadingLiteralsAndPasteSelects) {
  Make<TvlMaskEditStandardMode>(u"(000) 000;0");
  EXPECT_EQ(u"(___) ___", Edit.Text);
  EXPECT_EQ(u"      ", Edit.Mode->GetEmptyString());
  Edit.Key(win::VK_HOME);
  EXPECT_EQ(1, Edit.SelStart);
  EXPECT_TRUE(Edit.Mode->IsCursorBegin());
  Edit.Type(u"212");
  EXPECT_EQ(u"(212) ___", Edit.Text);
  EXPECT_EQ(6, Edit.SelStart);  // past ") "
  EXPECT_EQ(u"212   ", Edit.Mode->GetUpdatedText(Edit.Text));
  // Paste: the clipboard's length is selected from the cursor, then the
  // cursor goes past the pasted text (never onto a literal).
  Edit.Select(1, 0);
  Edit.Mode->SetClipboardTextLength(3);
  Edit.Mode->PrePasteFromClipboard();
  EXPECT_EQ(1, Edit.SelStart);
  EXPECT_EQ(3, Edit.SelLength);
  Edit.Mode->AfterPasteFromClipboard();
  EXPECT_EQ(6, Edit.SelStart);
}

TEST_F(MaskModeTest, StandardRightReachesTheEndPastATrailingLiteral) {
  Make<TvlMaskEditStandardMode>(u"00%");
  Edit.Type(u"12");
  EXPECT_EQ(u"12%", Edit.Text);
  EXPECT_EQ(3, Edit.SelStart);
  Edit.Select(2, 0);
  Edit.Key(win::VK_RIGHT);
  EXPECT_EQ(3, Edit.SelStart);
  EXPECT_EQ(0, Edit.SelLength);
  Edit.Key(win::VK_LEFT);
  EXPECT_EQ(1, Edit.SelStart);  // over the literal, onto the last slot
  EXPECT_EQ(1, Edit.SelLength);
}

// Typing over a selection that begins on a literal fills the selection's
// first slot; Right over a selection of literals only lands on its last.
TEST_F(MaskModeTest, StandardSelectionsThatBeginOnLiterals) {
  Make<TvlMaskEditStandardMode>(vlFormatController()->StandardDateEditMask());
  Edit.Type(u"12022011");
  Edit.Select(2, 3);  // ".02"
  Edit.Type(u"9");
  EXPECT_EQ(u"12.9 .2011", Edit.Text);
  EXPECT_EQ(4, Edit.SelStart);
  Edit.Select(5, 3);  // ".20"
  Edit.Type(u"7");
  EXPECT_EQ(u"12.9 .7 11", Edit.Text);
  EXPECT_EQ(7, Edit.SelStart);
  Free(Edit.Mode);
  Make<TvlMaskEditStandardMode>(u"00--00");
  Edit.Select(2, 2);
  Edit.Key(win::VK_RIGHT);
  EXPECT_EQ(3, Edit.SelStart);
  Edit.Select(2, 2);
  Edit.Key(win::VK_LEFT);
  EXPECT_EQ(2, Edit.SelStart);
}

TEST_F(MaskModeTest, StandardCompleteTextAndIgnoreMaskBlank) {
  Make<TvlMaskEditStandardMode>(u"000-000");
  EXPECT_FALSE(Edit.Mode->IsFullValidText(u"___-___"));
  EXPECT_FALSE(Edit.Mode->IsFullValidText(u"123-45_"));
  EXPECT_TRUE(Edit.Mode->IsFullValidText(u"123-456"));
  Edit.IgnoreMaskBlank = true;
  EXPECT_TRUE(Edit.Mode->IsFullValidText(u"___-___"));  // nothing typed
  EXPECT_FALSE(Edit.Mode->IsFullValidText(u"123-45_"));
}

TEST_F(MaskModeTest, ModesWithoutAnEditorAndBlankMasks) {
  FakeEditor properties;
  TvlMaskEditCustomMode* mode = New<TvlMaskEditStandardMode>(nullptr, &properties);
  EXPECT_EQ(&properties, mode->GetProperties());
  mode->Compile(u"  \t");
  EXPECT_FALSE(mode->NeedUpdateEditValue());  // a blank mask is not compiled
  EXPECT_EQ(u"abc", mode->GetUpdatedText(u"abc"));
  mode->Compile(u"00");
  EXPECT_TRUE(mode->NeedUpdateEditValue());
  EXPECT_EQ(u"12", mode->GetFormattedText(u"12"));
  Free(mode);
  mode = New<TvlMaskEditRegExprMode>(nullptr, &properties);
  mode->Compile(u"");
  EXPECT_EQ(u"", mode->GetFormattedText(u"abc"));
  EXPECT_EQ(1, mode->GetMaskKind());
  Free(mode);
}

// --- Regular-expression mode ---

const char16_t* const kTime = u"([01]?\\d|2[0-3]):[0-5]?\\d";

TEST_F(MaskModeTest, RegExprTypingBackspaceDelete) {
  Make<TvlMaskEditRegExprMode>(kTime);
  EXPECT_EQ(u"", Edit.Text);
  Edit.Type(u"12:30");
  EXPECT_EQ(u"12:30", Edit.Text);
  EXPECT_EQ(0, Edit.Beeps);
  Edit.Type(u"x");
  EXPECT_EQ(u"12:30", Edit.Text);
  EXPECT_EQ(1, Edit.Beeps);
  EXPECT_TRUE(Edit.Mode->IsFullValidText(Edit.Text));
  EXPECT_FALSE(Edit.Mode->IsFullValidText(u"12:"));
  EXPECT_TRUE(Edit.Mode->IsFullValidText(u""));
  // Backspace in the middle keeps a tail that still fits.
  Edit.Key(win::VK_LEFT);
  Edit.Key(win::VK_LEFT);
  Edit.Key(win::VK_LEFT);
  Edit.Type(u"\b");
  EXPECT_EQ(u"1:30", Edit.Text);
  // Delete where the rest still fits.
  Edit.Key(win::VK_RIGHT);
  Edit.Key(win::VK_DELETE);
  EXPECT_EQ(u"1:0", Edit.Text);
  // Delete where it no longer does: the rest goes with the character.
  Edit.Key(win::VK_HOME);
  Edit.Key(win::VK_DELETE);
  EXPECT_EQ(u"", Edit.Text);
  // Typing what makes the rest invalid drops the rest.
  Edit.Type(u"12:30");
  Edit.Key(win::VK_HOME);
  Edit.Type(u"2");
  EXPECT_EQ(u"2", Edit.Text);
  EXPECT_EQ(1, Edit.SelStart);
  Edit.Key(win::VK_END);
  Edit.Type(u"3:05");
  EXPECT_EQ(u"23:05", Edit.Text);
  EXPECT_TRUE(Edit.Mode->IsFullValidText(Edit.Text));
}

// Formatting a value (the editor's display rule) runs the mode's own
// automaton over another text: typing goes on from the editor's text after it.
TEST_F(MaskModeTest, RegExprTypingGoesOnAfterFormattingAnotherText) {
  for (Boolean extended : {false, true}) {
    Free(Edit.Mode);
    if (extended)
      Make<TvlMaskEditRegExprExMode>(kTime);
    else
      Make<TvlMaskEditRegExprMode>(kTime);
    Edit.Type(extended ? u"123" : u"12:3");  // the extended mode completes the colon
    EXPECT_EQ(u"12:3", Edit.Text) << extended;
    EXPECT_EQ(u"23:59", Edit.Mode->GetFormattedText(u"23:59")) << extended;
    Edit.Type(u"0");
    EXPECT_EQ(u"12:30", Edit.Text) << extended;
    EXPECT_EQ(0, Edit.Beeps) << extended;
    EXPECT_TRUE(Edit.Mode->IsFullValidText(Edit.Text)) << extended;
  }
}

TEST_F(MaskModeTest, RegExprSelectionsAndTheMouse) {
  Make<TvlMaskEditRegExprMode>(kTime);
  Edit.Type(u"12:30");
  // A selection replaced by a character that fits.
  Edit.Select(3, 2);
  Edit.Type(u"4");
  EXPECT_EQ(u"12:4", Edit.Text);
  // A selection before the caret replaced by one that breaks the rest:
  // the rest goes.
  Edit.Select(0, 1);
  Edit.Type(u"3");  // "32:4" does not fit: the rest goes
  EXPECT_EQ(u"3", Edit.Text);
  EXPECT_EQ(1, Edit.SelStart);
  Edit.Type(u":4");
  Edit.Select(0, 1);
  Edit.Type(u"5");
  EXPECT_EQ(u"5:4", Edit.Text);
  Edit.Select(3, 0);
  Edit.Type(u"\b");
  // A refused character puts the selection back and beeps.
  Edit.Type(u":15");
  Edit.Select(0, 1);
  const Integer beeps = Edit.Beeps;
  Edit.Type(u"x");
  EXPECT_EQ(u"5:15", Edit.Text);
  EXPECT_EQ(beeps + 1, Edit.Beeps);
  Edit.Select(4, 0);
  Edit.Type(u"7");  // nothing may follow a complete time
  EXPECT_EQ(u"5:15", Edit.Text);
}

TEST_F(MaskModeTest, RegExprErrorsAndCase) {
  Edit.Mode = New<TvlMaskEditRegExprMode>(&Edit, nullptr);
  try {
    Edit.Mode->Compile(u"(a|)\r\n[]");
    FAIL();
  } catch (const EvlMaskEditError& e) {
    EXPECT_EQ(u"Regular expression errors:\r\nLine1, Char4: The block should not be empty\r\n"
              u"Line2, Char2: Can't create empty enumeration",
              e.Message());
  }
  Edit.Mode->Compile(u"('AM'|'PM')");
  Edit.Type(u"pm");
  EXPECT_EQ(u"PM", Edit.Text);  // the mask's case
  EXPECT_EQ(u"AM", Edit.Mode->GetFormattedText(u"am"));
}

TEST_F(MaskModeTest, RegExprKindWithAnEmptyMaskIsAPlainEditor) {
  Make<TvlMaskEditRegExprMode>(u"");
  Edit.Type(u"COM3 x");
  EXPECT_EQ(u"COM3 x", Edit.Text);
  Edit.Type(u"\b");
  EXPECT_EQ(u"COM3 ", Edit.Text);
  EXPECT_EQ(0, Edit.Beeps);
}

// --- Extended mode ---

TEST_F(MaskModeTest, ExtendedCompletesTheDateSeparator) {
  Make<TvlMaskEditRegExprExMode>(vlFormatController()->RegExprDateEditMask());
  EXPECT_EQ(u"", Edit.Text);
  Edit.Type(u"1");
  EXPECT_EQ(u"1", Edit.Text);
  Edit.Type(u"2");
  EXPECT_EQ(u"12.", Edit.Text);  // the separator comes with the second digit
  Edit.Type(u"\b");
  EXPECT_EQ(u"1", Edit.Text);  // Backspace takes the separator and the digit
  Edit.Type(u"2022011");
  EXPECT_EQ(u"12.02.2011", Edit.Text);
  EXPECT_TRUE(Edit.Mode->IsFullValidText(Edit.Text));
  EXPECT_FALSE(Edit.Mode->IsFullValidText(u"12.02."));
  Edit.IgnoreMaskBlank = true;
  EXPECT_TRUE(Edit.Mode->IsFullValidText(u"12.02."));
  // Left skips the completed separator.
  Edit.IgnoreMaskBlank = false;
  for (Integer i = 0; i < 4; ++i) Edit.Key(win::VK_LEFT);
  EXPECT_EQ(6, Edit.SelStart);
  Edit.Key(win::VK_LEFT);
  EXPECT_EQ(4, Edit.SelStart);
  Edit.Key(win::VK_RIGHT);
  EXPECT_EQ(6, Edit.SelStart);
}

TEST_F(MaskModeTest, ExtendedFixedStart) {
  Make<TvlMaskEditRegExprExMode>(u"'ID-'\\d+");
  EXPECT_EQ(u"ID-", Edit.Mode->GetEmptyString());
  EXPECT_EQ(u"ID-", Edit.Text);
  EXPECT_TRUE(Edit.Mode->IsFullValidText(u"ID-"));  // an empty value
  EXPECT_FALSE(Edit.Mode->IsFullValidText(u"ID"));
  Edit.Select(0, 0);
  Edit.Type(u"42");
  EXPECT_EQ(u"ID-42", Edit.Text);
  Edit.Type(u"\b\b");
  EXPECT_EQ(u"ID-", Edit.Text);
  const Integer beeps = Edit.Beeps;
  Edit.Type(u"\b");  // the fixed start stays
  EXPECT_EQ(u"ID-", Edit.Text);
  EXPECT_EQ(beeps + 1, Edit.Beeps);
  Edit.Type(u"7");
  Edit.Key(win::VK_HOME);
  EXPECT_EQ(3, Edit.SelStart);  // never inside the completed start
  Edit.Key(win::VK_DELETE);
  EXPECT_EQ(u"ID-", Edit.Text);
}


// A key over a selection never leaves a text the mask refuses, and never
// takes the fixed start.
TEST_F(MaskModeTest, ExtendedSelectionsKeepTheTextAndTheFixedStart) {
  Make<TvlMaskEditRegExprExMode>(vlFormatController()->RegExprDateEditMask());
  Edit.Type(u"12022011");
  Edit.Select(3, 2);
  const Integer beeps = Edit.Beeps;
  Edit.Type(u"x");  // refused: the selection stays as it was
  EXPECT_EQ(u"12.02.2011", Edit.Text);
  EXPECT_EQ(3, Edit.SelStart);
  EXPECT_EQ(2, Edit.SelLength);
  EXPECT_EQ(beeps + 1, Edit.Beeps);
  Edit.Type(u"1");
  EXPECT_EQ(u"12.1.2011", Edit.Text);
  Free(Edit.Mode);
  Make<TvlMaskEditRegExprExMode>(u"'ID-'\\d+");
  Edit.Select(3, 0);
  Edit.Type(u"42");
  Edit.Select(0, 5);
  Edit.Type(u"5");
  EXPECT_EQ(u"ID-5", Edit.Text);
  EXPECT_EQ(4, Edit.SelStart);
  Edit.Type(u"6");
  Edit.Select(0, 6);
  Edit.Type(u"\b");
  EXPECT_EQ(u"ID-", Edit.Text);
  Edit.Type(u"78");
  Edit.Select(0, 2);  // inside the fixed start only
  Edit.Key(win::VK_DELETE);
  EXPECT_EQ(u"ID-78", Edit.Text);
  // Delete in front of the fixed start deletes nothing and beeps.
  Edit.Select(0, 0);
  const Integer before = Edit.Beeps;
  Edit.Key(win::VK_DELETE);
  EXPECT_EQ(u"ID-78", Edit.Text);
  EXPECT_EQ(before + 1, Edit.Beeps);
}

}  // namespace
