#include <gtest/gtest.h>

#include <string>

#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"

namespace {

std::string Bytes(std::initializer_list<int> L) {
  std::string s;
  for (int b : L) s += static_cast<char>(b);
  return s;
}

std::string Crlf(const std::string& Text) {
  std::string out;
  for (char c : Text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// A small form whose bytes are checked by hand against the binary format.
TEST(FormText, SmallFormMatchesHandMadeBytes) {
  std::string text = Crlf(
      "object Form1: TForm1\n"
      "  Tag = -2\n"
      "  Caption = 'Hi'\n"
      "  Visible = True\n"
      "  object Btn: TButton [1]\n"
      "    Align = alTop\n"
      "  end\n"
      "end\n");
  std::string expected = "TPF0" + Bytes({6}) + "TForm1" + Bytes({5}) + "Form1" +  //
                         Bytes({3}) + "Tag" + Bytes({vaInt8, 0xFE}) +           //
                         Bytes({7}) + "Caption" + Bytes({vaString, 2}) + "Hi" +  //
                         Bytes({7}) + "Visible" + Bytes({vaTrue}) + Bytes({0}) +  //
                         Bytes({0xF0 | ffChildPos, vaInt8, 1}) + Bytes({7}) + "TButton" + Bytes({3}) + "Btn" +
                         Bytes({5}) + "Align" + Bytes({vaIdent, 5}) + "alTop" + Bytes({0}) + Bytes({0}) +
                         Bytes({0});
  std::string bin = ObjectTextToBinary(text);
  EXPECT_EQ(bin, expected);
  EXPECT_EQ(ObjectBinaryToText(bin), text);
}

// Each value kind: the text, the bytes of the value, and the canonical text
// that the binary form converts back to.
struct TValueCase {
  const char* Text;
  std::string Value;
  const char* Back;  // nullptr: same as Text
};

class FormTextValues : public ::testing::TestWithParam<TValueCase> {};

TEST_P(FormTextValues, RoundTrip) {
  const TValueCase& c = GetParam();
  std::string text = Crlf(std::string("object X: TX\n  P = ") + c.Text + "\nend\n");
  std::string bin = ObjectTextToBinary(text);
  std::string head = "TPF0" + Bytes({2}) + "TX" + Bytes({1}) + "X" + Bytes({1}) + "P";
  ASSERT_EQ(bin.substr(0, head.size()), head);
  EXPECT_EQ(bin.substr(head.size(), bin.size() - head.size() - 2), c.Value) << c.Text;
  std::string back = Crlf(std::string("object X: TX\n  P = ") + (c.Back ? c.Back : c.Text) + "\nend\n");
  EXPECT_EQ(ObjectBinaryToText(bin), back);
  EXPECT_EQ(ObjectTextToBinary(back), bin);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, FormTextValues,
    ::testing::Values(
        TValueCase{"0", Bytes({vaInt8, 0}), nullptr}, TValueCase{"127", Bytes({vaInt8, 127}), nullptr},
        TValueCase{"-128", Bytes({vaInt8, 0x80}), nullptr},
        TValueCase{"128", Bytes({vaInt16, 0x80, 0}), nullptr},
        TValueCase{"-32768", Bytes({vaInt16, 0, 0x80}), nullptr},
        TValueCase{"32768", Bytes({vaInt32, 0, 0x80, 0, 0}), nullptr},
        TValueCase{"-2147483648", Bytes({vaInt32, 0, 0, 0, 0x80}), nullptr},
        TValueCase{"2147483648", Bytes({vaInt64, 0, 0, 0, 0x80, 0, 0, 0, 0}), nullptr},
        TValueCase{"-9223372036854775808", Bytes({vaInt64, 0, 0, 0, 0, 0, 0, 0, 0x80}), nullptr},
        TValueCase{"$FF", Bytes({vaInt16, 0xFF, 0}), "255"},
        TValueCase{"1.5", Bytes({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}), nullptr},
        TValueCase{"-2.0", Bytes({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}), nullptr},
        TValueCase{"1E+20", Bytes({vaExtended, 0x00, 0x00, 0x62, 0xAC, 0xC5, 0xEB, 0x78, 0xAD, 0x41, 0x40}), nullptr},
        TValueCase{"INF", Bytes({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}), nullptr},
        TValueCase{"-INF", Bytes({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}), nullptr},
        TValueCase{"+INF", Bytes({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}), "INF"},
        TValueCase{"NAN", Bytes({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F}), nullptr},
        TValueCase{"INFINITY", Bytes({vaIdent, 8}) + "INFINITY", nullptr},
        TValueCase{"1.5S", Bytes({vaSingle, 0, 0, 0xC0, 0x3F}), nullptr},
        TValueCase{"0.25F", Bytes({vaDouble, 0, 0, 0, 0, 0, 0, 0xD0, 0x3F}), nullptr},
        TValueCase{"2.5D", Bytes({vaDate, 0, 0, 0, 0, 0, 0, 0x04, 0x40}), nullptr},
        TValueCase{"1.2345C", Bytes({vaCurrency, 0x39, 0x30, 0, 0, 0, 0, 0, 0}), nullptr},
        TValueCase{"-0.5C", Bytes({vaCurrency, 0x78, 0xEC, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), nullptr},
        TValueCase{"12.00005C", Bytes({vaCurrency, 0xC0, 0xD4, 1, 0, 0, 0, 0, 0}), "12C"},  // half to even
        TValueCase{"'It''s'", Bytes({vaString, 4}) + "It's", nullptr},
        TValueCase{"''", Bytes({vaWString, 0, 0, 0, 0}), nullptr},
        TValueCase{"'a'#13#10'b'", Bytes({vaString, 4, 'a', 13, 10, 'b'}), nullptr},
        TValueCase{"'ab' +\n    'cd'", Bytes({vaString, 4}) + "abcd", "'abcd'"},
        TValueCase{"'Kont'#246'r'", Bytes({vaUTF8String, 7, 0, 0, 0}) + "Kont\xC3\xB6r", nullptr},
        TValueCase{"#1048#1048", Bytes({vaWString, 2, 0, 0, 0, 0x18, 0x04, 0x18, 0x04}), nullptr},
        TValueCase{"#$41", Bytes({vaString, 1, 'A'}), "'A'"},
        TValueCase{"alClient", Bytes({vaIdent, 8}) + "alClient", nullptr},
        TValueCase{"Form2.Table1", Bytes({vaIdent, 12}) + "Form2.Table1", nullptr},
        TValueCase{"False", Bytes({vaFalse}), nullptr}, TValueCase{"true", Bytes({vaTrue}), "True"},
        TValueCase{"nil", Bytes({vaNil}), nullptr}, TValueCase{"Null", Bytes({vaNull}), nullptr},
        TValueCase{"[fsBold, fsItalic]", Bytes({vaSet, 6}) + "fsBold" + Bytes({8}) + "fsItalic" + Bytes({0}),
                   nullptr},
        TValueCase{"[]", Bytes({vaSet, 0}), nullptr},
        TValueCase{"{\n    0A0BFF}", Bytes({vaBinary, 3, 0, 0, 0, 0x0A, 0x0B, 0xFF}), nullptr},
        TValueCase{"{}", Bytes({vaBinary, 0, 0, 0, 0}), nullptr},
        TValueCase{"(\n    'a'\n    1\n    (\n      x))",
                   Bytes({vaList, vaString, 1, 'a', vaInt8, 1, vaList, vaIdent, 1, 'x', 0, 0}), nullptr},
        TValueCase{"()", Bytes({vaList, 0}), nullptr},
        TValueCase{"<\n    item\n      Width = 5\n    end\n    item [3]\n    end>",
                   Bytes({vaCollection, vaList, 5}) + "Width" +
                       Bytes({vaInt8, 5, 0, vaInt8, 3, vaList, 0, 0}),
                   nullptr},
        TValueCase{"<>", Bytes({vaCollection, 0}), nullptr}));

// Floats a double cannot hold are written in the platform's text: an extended
// beyond the double range becomes an infinity, and so do infinite doubles,
// singles and dates.
TEST(FormText, FloatsBeyondTheDoubleRangeAreWrittenAsInfinities) {
  struct {
    std::string Value;
    const char* Text;
  } cases[] = {
      {Bytes({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F}), "INF"},  // about 1E4932
      {Bytes({vaExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0xFF}), "-INF"},
      {Bytes({vaDouble, 0, 0, 0, 0, 0, 0, 0xF0, 0x7F}), "INF"},
      {Bytes({vaDate, 0, 0, 0, 0, 0, 0, 0xF8, 0x7F}), "NAN"},
      {Bytes({vaSingle, 0, 0, 0x80, 0xFF}), "-INF"},
  };
  for (const auto& c : cases) {
    std::string bin = "TPF0" + Bytes({2}) + "TX" + Bytes({1}) + "X" + Bytes({1}) + "P" + c.Value + Bytes({0, 0});
    std::string text = ObjectBinaryToText(bin);
    EXPECT_EQ(text, Crlf(std::string("object X: TX\n  P = ") + c.Text + "\nend\n"));
    EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary(text)), text);
  }
}

TEST(FormText, HeaderForms) {
  std::string text = Crlf(
      "inherited Form2: TForm2\n"
      "  inline Frame1: TFrame1 [2]\n"
      "  end\n"
      "  object TTimer\n"
      "  end\n"
      "end\n");
  std::string bin = ObjectTextToBinary(text);
  EXPECT_EQ(bin.substr(4, 1), Bytes({0xF0 | ffInherited}));
  EXPECT_NE(bin.find(Bytes({0xF0 | ffInline | ffChildPos, vaInt8, 2, 7}) + "TFrame1"), std::string::npos);
  EXPECT_NE(bin.find(Bytes({6}) + "TTimer" + Bytes({0, 0, 0})), std::string::npos);  // no name
  EXPECT_EQ(ObjectBinaryToText(bin), text);
}

TEST(FormText, LongStringsAndBinarySplitOverLines) {
  std::string longText(70, 'x');
  std::string bytes(40, '\x5A');
  std::string hex;
  for (int i = 0; i < 40; ++i) hex += "5A";
  std::string text = Crlf("object X: TX\n  S = '" + longText + "'\n  B = {" + hex + "}\nend\n");
  std::string back = ObjectBinaryToText(ObjectTextToBinary(text));
  EXPECT_EQ(back, Crlf("object X: TX\n  S = '" + std::string(64, 'x') + "' +\n    '" + std::string(6, 'x') +
                       "'\n  B = {\n    " + hex.substr(0, 64) + "\n    " + hex.substr(64) + "}\nend\n"));
  EXPECT_EQ(ObjectTextToBinary(back), ObjectTextToBinary(text));
}

TEST(FormText, PropertyNamedLikeKeyword) {
  std::string text = Crlf("object X: TX\n  End = 1\n  Object.Item = 2\nend\n");
  EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary(text)), text);
}

TEST(FormText, AcceptsBomLfAndAnsiText) {
  std::string utf8 = "\xEF\xBB\xBFobject X: TX\n  S = 'Kont\xC3\xB6r'\nend\n";
  std::string ansi = "object X: TX\n  S = 'Kont\xF6r'\nend\n";  // code page 1254: 0xF6 = ö
  EXPECT_EQ(ObjectTextToBinary(utf8), ObjectTextToBinary(ansi));
  EXPECT_EQ(TestStreamFormat(utf8), sofUTF8Text);
  EXPECT_EQ(TestStreamFormat(ansi), sofText);
  EXPECT_EQ(TestStreamFormat(ObjectTextToBinary(ansi)), sofBinary);
  EXPECT_EQ(TestStreamFormat(std::string("\x01\x02")), sofUnknown);
}

TEST(FormText, StreamOverloadsLeavePositionAfterObject) {
  std::string text = "object X: TX\nend\nrest";
  TMemoryStream* in = New<TMemoryStream>();
  TMemoryStream* bin = New<TMemoryStream>();
  TMemoryStream* out = New<TMemoryStream>();
  in->WriteBuffer(text.data(), static_cast<Integer>(text.size()));
  in->SetPosition(0);
  ObjectTextToBinary(in, bin);
  EXPECT_EQ(in->Position(), 16);
  bin->SetPosition(0);
  ObjectBinaryToText(bin, out);
  EXPECT_EQ(bin->Position(), bin->Size());
  EXPECT_EQ(std::string(static_cast<const char*>(out->Memory()), static_cast<size_t>(out->Size())),
            "object X: TX\r\nend\r\n");
  Free(in);
  Free(bin);
  Free(out);
}

struct TBadText {
  const char* Text;
  const char* Message;
};

TEST(FormText, BadTextRaisesParserErrorWithLine) {
  const TBadText cases[] = {
      {"", "'object' expected on line 1"},
      {"thing X: TX\nend", "'object' expected on line 1"},
      {"object X: TX\n  P = 'abc\nend", "Unterminated string on line 2"},
      {"object X: TX\n  P = \nend", "'end' expected on line 3"},
      {"object X: TX\n  P = {ABC}\nend", "Invalid binary value on line 2"},
      {"object X: TX\n  P = {AG}\nend", "Invalid binary value on line 2"},
      {"object X: TX\n  P = 99999999999999999999\nend", "Integer out of range on line 2"},
      {"object X: TX\n  P = 1.5X\nend", "Invalid number on line 2"},
      {"object X: TX\n  P = 'a' +\nend", "String expected on line 3"},
      {"object X: TX\n  P = #\nend", "Invalid character code on line 2"},
      {"object X: TX\n  P = #1114112\nend", "Invalid character code on line 2"},
      {"object X: TX\n  P = [a b]\nend", "']' expected on line 2"},
      {"object X: TX\n  P = (1\n", "')' expected on line 3"},
      {"object X: TX\n  P = <thing>\nend", "'item' expected on line 2"},
      {"object X: TX\n  P = 1\n", "'end' expected on line 3"},
      {"object X: TX\n  P 1\nend", "'=' expected on line 2"},
      {"object X: TX\n  P = 1E999\nend", "Invalid floating point value on line 2"},
      {"object X: TX\n  P = ?\nend", "Invalid property value on line 2"},
      {"object X: TX\n  P = (Null)\nend", "Invalid property value on line 2"},
  };
  for (const TBadText& c : cases) {
    try {
      ObjectTextToBinary(std::string(c.Text));
      ADD_FAILURE() << "no error for: " << c.Text;
    } catch (const EParserError& e) {
      EXPECT_EQ(std::string(e.what()), c.Message) << c.Text;
    }
  }
}

// A class name's length byte must not look like a prefix byte (0xF0 and up).
TEST(FormText, LongNames) {
  std::string name239 = "T" + std::string(238, 'x');
  std::string text = "object " + name239 + "\r\nend\r\n";
  EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary(text)), text);
  try {
    ObjectTextToBinary("object T" + std::string(239, 'x') + "\nend\n");
    ADD_FAILURE();
  } catch (const EParserError& e) {
    EXPECT_STREQ(e.what(), "Identifier too long on line 1");
  }
  EXPECT_THROW(ObjectTextToBinary("object X: TX\n  P" + std::string(255, 'x') + " = 1\nend\n"), EParserError);
}

TEST(FormText, DeepNestingIsRefused) {
  std::string deep = "object X: TX\n  P = " + std::string(1000, '(') + std::string(1000, ')') + "\nend\n";
  EXPECT_THROW(ObjectTextToBinary(deep), EParserError);
  std::string bin = "TPF0" + Bytes({2}) + "TX" + Bytes({1, 'X', 1, 'P'});
  for (int i = 0; i < 1000; ++i) bin += static_cast<char>(vaList);
  EXPECT_THROW(ObjectBinaryToText(bin), EReadError);
}

// Every truncation of a valid stream, and every single-byte corruption of it,
// gives a filer error or a text that converts back: never a crash.
TEST(FormText, TruncatedAndCorruptBinary) {
  std::string text = Crlf(
      "object F: TF\n"
      "  A = 'x'#1\n  B = 1.5\n  C = [a]\n  D = {00FF}\n  E = <\n    item [1]\n      V = 2\n    end>\n"
      "  G = (\n    1)\n  H = #1048\n  I = 3.25C\n"
      "  object G2: TG [0]\n  end\n"
      "end\n");
  std::string bin = ObjectTextToBinary(text);
  for (size_t n = 0; n < bin.size(); ++n) {
    EXPECT_THROW(ObjectBinaryToText(bin.substr(0, n)), EFilerError) << n;
  }
  for (size_t i = 4; i < bin.size(); ++i) {
    for (int delta : {1, 0x80, 0xFF}) {
      std::string bad = bin;
      bad[i] = static_cast<char>(static_cast<Byte>(bad[i]) + delta);
      try {
        std::string t = ObjectBinaryToText(bad);
        EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary(t)), t);
      } catch (const EFilerError&) {
      }
    }
  }
  EXPECT_THROW(ObjectBinaryToText(std::string("TPF1")), EFilerError);
}

}  // namespace
