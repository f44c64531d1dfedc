// Translation data in the form resource: the port-choice form read and
// written back, the block format, merging with an inherited form, legacy
// 8-bit data, extended values, and damaged data.
#include <gtest/gtest.h>

#include "localization/qlComp.h"
#include "localization/qlLngLnk.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "tests/localization/LocalizationFixtures.h"

using namespace loc_test;

namespace {

const std::string kPortFormPath = std::string(CL_SOURCE_DIR) + "/tests/localization/ComPortForm.dfm";

// The bytes of a binary property in a binary form: after its name, vaBinary
// and a 32-bit length.
RawByteString BinaryProperty(const RawByteString& Form, const std::string& Name) {
  std::string key = std::string(1, char(Name.size())) + Name;
  size_t at = Form.find(key);
  if (at == std::string::npos) return RawByteString();
  size_t p = at + key.size();
  EXPECT_EQ(Byte(Form[p]), 10);  // vaBinary
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= uint32_t(Byte(Form[p + 1 + i])) << (8 * i);
  return Form.substr(p + 5, n);
}

RawByteString Utf16(const String& Text) {
  RawByteString out;
  for (Char c : Text) {
    out += char(c & 0xFF);
    out += char(c >> 8);
  }
  return out;
}

RawByteString WriteData(TqlCustomLang* Lang) {
  TOwned<TMemoryStream> stream(New<TMemoryStream>());
  Lang->WriteTranslationData(stream.get());
  return RawByteString(static_cast<const char*>(stream->Memory()), size_t(stream->Size()));
}

void ReadData(TqlCustomLang* Lang, const RawByteString& Bytes) {
  TOwned<TMemoryStream> stream(New<TMemoryStream>());
  if (!Bytes.empty()) stream->WriteBuffer(Bytes.data(), Integer(Bytes.size()));
  stream->SetPosition(0);
  Lang->ReadTranslationData(stream.get());
}

// A payload of UTF-16 lines, "|" standing for the delimiter.
RawByteString Payload(std::initializer_list<std::u16string> Lines) {
  String text;
  for (const auto& l : Lines) text += L(l) + u"\r\n";
  return Utf16(text);
}

std::string Hex(const RawByteString& Bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (char c : Bytes) {
    s += digits[Byte(c) >> 4];
    s += digits[Byte(c) & 15];
  }
  return s;
}

}  // namespace

TEST(TranslationData, PortFormIsReadAndWrittenBackByteForByte) {
  const RawByteString binary = FormBinary(ReadFile(kPortFormPath));
  const RawByteString stored = BinaryProperty(binary, "TranslationData");
  ASSERT_EQ(stored.size(), 1002u);
  auto form = NewForm();
  ReadForm(binary, form.get());
  auto* lang = dynamic_cast<TqlLangLinked*>(form->FindComponent(u"qlLangLinked"));
  ASSERT_NE(lang, nullptr);
  EXPECT_EQ(lang->NumOfLanguages(), 2);
  EXPECT_EQ(lang->ActiveLanguage(), 1);
  EXPECT_EQ(lang->Language(), u"Türkçe");
  EXPECT_EQ(Lines(lang->LangNames()), (std::vector<std::string>{"Türkçe", "English"}));
  EXPECT_EQ(Lines(lang->Captions()),
            (std::vector<std::string>{"TComPortForm|COM Port Seçimi|COM Port Selection|", "btOK|&TAMAM|&OK|"}));
  EXPECT_EQ(Lines(lang->Fonts()), (std::vector<std::string>{"TComPortForm|MS Sans Serif|MS Sans Serif|",
                                                            "vlGroupBox1|MS Sans Serif|MS Sans Serif|"}));
  EXPECT_EQ(Lines(lang->MultiLines()),
            (std::vector<std::string>{"ComCombo.Properties.Items|COM1,COM2,COM3,COM4|COM1,COM2,COM3,COM4|"}));
  EXPECT_EQ(Lines(lang->CharSets()), (std::vector<std::string>{"TComPortForm|DEFAULT_CHARSET|DEFAULT_CHARSET|",
                                                               "vlGroupBox1|DEFAULT_CHARSET|DEFAULT_CHARSET|"}));
  EXPECT_EQ(lang->Hints()->Count(), 0);
  EXPECT_EQ(lang->CurrentCharset, DEFAULT_CHARSET);
  // No block for the dialog captions and locales of the linked component.
  const RawByteString written = WriteData(lang);
  EXPECT_EQ(written.find(Utf16(u"stDlgsCaptions")), std::string::npos);
  EXPECT_EQ(written.find(Utf16(u"stLocales")), std::string::npos);
  EXPECT_EQ(Hex(written), Hex(stored));
  EXPECT_EQ(Hex(WriteForm(form.get())), Hex(binary));
}

TEST(TranslationData, TheOwnersLineComesFirst) {
  auto form = NewForm();
  TqlLangLinked* lang = New<TqlLangLinked>(form.get());
  lang->SetNumOfLanguages(2);
  SetLines(lang->Captions(), {u"old|x|"});
  ReadData(lang, Payload({u"stCaptions_Unicode", u"btOK|&TAMAM|&OK|", u"TComPortForm|Seçim|Choice|",
                          u"TComPortFormX|a|b|", u"stFonts_Unicode", u"vlGroupBox1|MS Sans Serif|",
                          u"TComPortForm|Tahoma|"}));
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"TComPortForm|Seçim|Choice|", "btOK|&TAMAM|&OK|",
                                                               "TComPortFormX|a|b|"}));
  EXPECT_EQ(Lines(lang->Fonts()), (std::vector<std::string>{"TComPortForm|Tahoma|", "vlGroupBox1|MS Sans Serif|"}));
}

TEST(TranslationData, LineBreaksInValuesTravelAsCharacters25And26) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  SetLines(lang->Strings(), {u"Msg|Satır 1\r\nSatır 2\nSon\r|"});
  const RawByteString data = WriteData(lang);
  EXPECT_NE(data.find(Utf16(u"Satır 1\x19\x1aSatır 2\x1aSon\x19")), std::string::npos);
  SetLines(lang->Strings(), {});
  ReadData(lang, data);
  EXPECT_EQ(Lines(lang->Strings()), (std::vector<std::string>{"Msg|Satır 1\r\nSatır 2\nSon\r|"}));
  // Every block is written, also for empty lists; the dialog captions too.
  for (const char16_t* header : {u"stCaptions_Unicode\r\n", u"stDlgsCaptions_Unicode\r\nWarning",
                                 u"stLocales_Unicode\r\n", u"stCharSets_Unicode\r\n"})
    EXPECT_NE(data.find(Utf16(header)), std::string::npos) << UTF16ToUTF8(header);
  EXPECT_EQ(data.find(Utf16(u"stListView")), std::string::npos);
}

TEST(TranslationData, Headers) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  SetLines(lang->Captions(), {u"A|a|"});
  SetLines(lang->Hints(), {u"H|h|"});
  SetLines(lang->Fonts(), {u"F|f|"});
  // Lines before the first header are ignored; a lower-case header counts; a
  // header followed by a header empties its list; a final header changes nothing.
  ReadData(lang, Payload({u"junk|x|", u"STCAPTIONS_UNICODE", u"B|b|", u"sthints_unicode", u"stFonts_Unicode",
                          u"stListView_TreeView_Items_Unicode", u"Item|i|", u"stStrings_Unicode"}));
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"B|b|"}));
  EXPECT_EQ(lang->Hints()->Count(), 0);
  EXPECT_EQ(lang->Fonts()->Count(), 0);
  // Data without any header reads nothing and converts nothing.
  SetLines(lang->Captions(), {u"Kapı|Дверь|"});
  ReadData(lang, Payload({u"only|text|"}));
  ReadData(lang, RawByteString("\x01"));
  ReadData(lang, RawByteString());
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"Kapı|Дверь|"}));
}

TEST(TranslationData, AnInheritedOwnerMergesIntoItsAncestorsLines) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNumOfLanguages(4);
  lang->SetIsInheritedOwner(true);
  SetLines(lang->Captions(), {u"P|a||c|", u"Q|q|"});
  ReadData(lang, Payload({u"stCaptions_Unicode", u"p|x|y||e|", u"R|r|", u"TComPortForm|f|"}));
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"TComPortForm|f|", "P|x|y|c|e|", "Q|q|", "R|r|"}));
  // Reading a binary translation file never merges.
  lang->SetQLBLoading(true);
  ReadData(lang, Payload({u"stCaptions_Unicode", u"S|s|"}));
  lang->SetQLBLoading(false);
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"S|s|"}));
}

TEST(TranslationData, AnInheritedFormWritesOnlyLinesThatDiffer) {
  auto ancestor = NewForm();
  TqlLang* base = New<TqlLang>(ancestor.get());
  base->SetName(u"qlLang1");
  SetLines(base->Captions(), {u"TComPortForm|Form|"});
  auto descendant = NewForm();
  TqlLang* lang = New<TqlLang>(descendant.get());
  lang->SetName(u"qlLang1");
  SetLines(lang->Captions(), {u"TComPortForm|Form|"});
  EXPECT_EQ(BinaryProperty(WriteForm(descendant.get(), ancestor.get()), "TranslationData").size(), 0u);
  EXPECT_EQ(WriteForm(descendant.get(), ancestor.get()).find("TranslationData"), std::string::npos);
  SetLines(lang->Captions(), {u"TComPortForm|Pencere|"});
  EXPECT_NE(WriteForm(descendant.get(), ancestor.get()).find("TranslationData"), std::string::npos);
  lang->SetUseInheritedData(true);
  EXPECT_EQ(WriteForm(descendant.get(), ancestor.get()).find("TranslationData"), std::string::npos);
  // Without an ancestor it is always written.
  EXPECT_NE(WriteForm(descendant.get()).find("TranslationData"), std::string::npos);
}

TEST(TranslationData, LegacyDataIsDecodedPerLanguageCharset) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNumOfLanguages(3);
  // 8-bit data without "_Unicode": Turkish (1254), Russian (1251) and Greek
  // (1253) values, the path and the font names in the system code page.
  const RawByteString data =
      "stCaptions\r\n"
      "TComPortForm\x01Kap\xFD\x01\xC4\xE2\xE5\xF0\xFC\x01\xD0\xFC\xF1\xF4\xE1\x01\r\n"
      "Label1\x01\xDE\x01\xDE\x01\xDE\r\n"
      "stFonts\r\n"
      "TComPortForm\x01\xDE" "rift\x01\xDE" "rift\x01\xDE" "rift\x01\r\n"
      "stCharSets\r\n"
      "TComPortForm\x01TURKISH_CHARSET\x01RUSSIAN_CHARSET\x01GREEK_CHARSET\x01\r\n";
  ReadData(lang, data);
  EXPECT_EQ(Lines(lang->Captions()),
            (std::vector<std::string>{"TComPortForm|Kapı|Дверь|Πόρτα|", "Label1|Ş|Ю||"}));
  EXPECT_EQ(Lines(lang->Fonts()), (std::vector<std::string>{"TComPortForm|Şrift|Şrift|Şrift|"}));
  EXPECT_EQ(lang->CharsetArray(), (std::vector<Byte>{TURKISH_CHARSET, RUSSIAN_CHARSET, GREEK_CHARSET}));
  // With the default character sets, UTF-16 legacy data keeps the values the
  // system code page can hold.
  auto other = NewForm();
  TqlLang* plain = New<TqlLang>(other.get());
  plain->SetNumOfLanguages(2);
  ReadData(plain, Payload({u"stCaptions", u"Label1|Çıkış|Exit|"}));
  EXPECT_EQ(Lines(plain->Captions()), (std::vector<std::string>{"Label1|Çıkış|Exit|"}));
}

TEST(TranslationData, LegacyDataDecodesOnlyTheLinesItReads) {
  // Lines already in the lists are text: the Russian value is one the
  // system code page cannot hold, and a second decoding would destroy it.
  const RawByteString data =
      "stCaptions\r\n"
      "Label1\x01\x01\xC4\xE2\xE5\xF0\xFC\x01\r\n"
      "stCharSets\r\n"
      "TComPortForm\x01TURKISH_CHARSET\x01RUSSIAN_CHARSET\x01\r\n";
  struct {
    Boolean Inherited;
    std::vector<std::string> Captions;
  } const cases[] = {
      // An inherited owner merges the data into its ancestor's lines.
      {true, {"Label1|Kapı|Дверь|", "Button1|Çık|Выход|"}},
      {false, {"Label1||Дверь|"}},
  };
  for (const auto& c : cases) {
    auto form = NewForm();
    TqlLang* lang = New<TqlLang>(form.get());
    lang->SetNumOfLanguages(2);
    lang->SetIsInheritedOwner(c.Inherited);
    SetLines(lang->Captions(), {u"Label1|Kapı|Окно|", u"Button1|Çık|Выход|"});
    // A kind the data does not name keeps its lines in both cases.
    SetLines(lang->Hints(), {u"Label1|İpucu|Подсказка|"});
    ReadData(lang, data);
    EXPECT_EQ(Lines(lang->Captions()), c.Captions) << c.Inherited;
    EXPECT_EQ(Lines(lang->Hints()), (std::vector<std::string>{"Label1|İpucu|Подсказка|"})) << c.Inherited;
  }
}

TEST(TranslationData, AConversionFailureWhileAFormLoadsNamesTheComponentAndTheLanguage) {
  // The platform has no converter for the Johab code page.
  EXPECT_THROW(CharsetToWide("\xB0\xA1", JOHAB_CHARSET), ELanguageError);
  const RawByteString payload =
      "stCaptions\r\nLabel1\x01" "abc\x01\xB0\xA1\x01\r\nstCharSets\r\nTComPortForm\x01"
      "ANSI_CHARSET\x01JOHAB_CHARSET\x01\r\n";
  std::string text =
      "object ComPortForm: TComPortForm\n  object qlLang1: TqlLang\n    NumOfLanguages = 2\n"
      "    LangNames.Strings = ('Deutsch' 'Koreanisch')\n    TranslationData = {" +
      Hex(payload) + "}\n  end\nend\n";
  auto form = NewForm();
  try {
    ReadForm(FormBinary(text), form.get());
    ADD_FAILURE() << "the form loaded";
  } catch (const Exception& E) {
    const std::string message = UTF16ToUTF8(E.Message());
    EXPECT_EQ(message,
              "Error reading qlLang1.TranslationData: qlLang1: the translation data of language 2 (Koreanisch) "
              "cannot be decoded: Text cannot be converted from code page 1361");
  }
  EXPECT_EQ(form->ComponentCount(), 0);
}

TEST(TranslationData, ExtendedValuesTravelInValuesEx) {
  auto form = NewForm();
  AddControl(form.get(), u"Label1");
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetName(u"qlLang1");
  lang->SetNumOfLanguages(2);
  TqlExtendedItem* item = lang->ExtendedTranslations()->Add();
  item->SetIdentifier(u"Label1.Caption");
  item->SetValues(L(u"Çıkış|Exit|"));
  lang->ExtendedTranslations()->Add()->SetIdentifier(u"Label1.Hint");
  const RawByteString binary = WriteForm(form.get());
  const RawByteString values = BinaryProperty(binary, "ValuesEx");
  EXPECT_EQ(Hex(values.substr(0, 4)), "4F044E04");
  EXPECT_EQ(values.substr(4), Utf16(L(u"Çıkış|Exit|")));
  auto again = NewForm();
  again->SetName(u"ComPortForm");
  ReadForm(binary, again.get());
  auto* read = static_cast<TqlLang*>(again->FindComponent(u"qlLang1"));
  ASSERT_EQ(read->ExtendedTranslations()->Count(), 2);
  EXPECT_EQ(Show(read->ExtendedTranslations()->Items(0)->Values()), "Çıkış|Exit|");
  EXPECT_EQ(read->ExtendedTranslations()->Items(1)->Values(), u"");
  EXPECT_EQ(Hex(WriteForm(again.get())), Hex(binary));
}

TEST(TranslationData, LegacyExtendedValuesAreDecodedWithTheLists) {
  // ValuesEx without its mark: 8-bit values, Turkish then Russian.
  const RawByteString values = "Kap\xFD\x01\xC4\xE2\xE5\xF0\xFC\x01";
  const RawByteString payload =
      "stCaptions\r\nstCharSets\r\nTComPortForm\x01TURKISH_CHARSET\x01RUSSIAN_CHARSET\x01\r\n";
  std::string text =
      "object ComPortForm: TComPortForm\n  object Label1: TTestControl\n  end\n"
      "  object qlLang1: TqlLang\n    NumOfLanguages = 2\n"
      "    ExtendedTranslations = <\n      item\n        Identifier = 'Label1.Caption'\n"
      "        ValuesEx = {" + Hex(values) + "}\n      end>\n"
      "    TranslationData = {" + Hex(payload) + "}\n  end\nend\n";
  auto form = NewForm();
  ReadForm(FormBinary(text), form.get());
  auto* lang = static_cast<TqlLang*>(form->FindComponent(u"qlLang1"));
  ASSERT_EQ(lang->ExtendedTranslations()->Count(), 1);
  EXPECT_EQ(Show(lang->ExtendedTranslations()->Items(0)->Values()), "Kapı|Дверь|");
}

TEST(TranslationData, DamagedFormDataGivesClearErrors) {
  const RawByteString binary = FormBinary(ReadFile(kPortFormPath));
  struct {
    RawByteString Data;
    const char* Message;
  } const cases[] = {
      {binary.substr(0, binary.size() - 300), "Stream read error"},
      {FormBinary("object ComPortForm: TComPortForm\n  object q: TqlLangLinked\n    TranslationData = 'text'\n"
                  "  end\nend\n"),
       "Invalid property value"},
  };
  for (const auto& c : cases) {
    auto form = NewForm();
    try {
      ReadForm(c.Data, form.get());
      ADD_FAILURE() << c.Message;
    } catch (const Exception& E) {
      EXPECT_NE(UTF16ToUTF8(E.Message()).find(c.Message), std::string::npos) << UTF16ToUTF8(E.Message());
    }
    EXPECT_EQ(form->ComponentCount(), 0);
  }
  // Bytes that are no translation data are not read (the documented fallback).
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  SetLines(lang->Captions(), {u"A|a|"});
  ReadData(lang, RawByteString("\xFF\xFE\x00\xD8\x00\xDC\x0D\x00\x0A\x00\x00", 11));
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"A|a|"}));
}
