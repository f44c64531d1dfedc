// Text translation files: saving, loading and merging lists, two forms in one
// file, languages in another order, the key and value encodings, files
// written under one locale and read under another, and loading one language
// by name.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "localization/MemIni.h"
#include "platform/classes/ClassRegistry.h"
#include "localization/qlComp.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/support/TestSupport.h"

using namespace loc_test;

namespace loc_test {

// A second form class, so that two forms share one file.
class TMainForm : public TComPortForm {
  CL_CLASS(TMainForm, TComPortForm)
};
CL_IMPLEMENT_CLASS(TMainForm)

}  // namespace loc_test

namespace {

using TStreamPtr = TOwned<TMemoryStream>;

// A form with a localization component of two languages and a control
// Button1; Hold adds the controls a test's lines name (a load drops the
// lines of components the form lacks).
struct TLangForm {
  explicit TLangForm(Boolean Main = false, std::initializer_list<std::u16string> Names = {u"Türkçe", u"English"}) {
    RegisterClass(TTestControl::StaticClass());
    if (Main) {
      Form.reset(New<TMainForm>(nullptr));
      Form->SetName(u"MainForm");
    } else {
      Form = NewForm();
    }
    Button = AddControl(Form.get(), u"Button1");
    Lang = New<TqlLang>(Form.get());
    Lang->SetName(u"qlLang1");
    TOwned<TStringList> names(New<TStringList>());
    for (const auto& n : Names) names->Add(n);
    Lang->SetLangNames(names.get());
  }
  TLangForm& Hold(std::initializer_list<std::u16string> Names) {
    for (const auto& n : Names) AddControl(Form.get(), n);
    return *this;
  }
  // A control Grid with eleven columns.
  TLangForm& HoldGrid() {
    TTestControl* grid = AddControl(Form.get(), u"Grid");
    for (Integer i = 0; i < 11; ++i) grid->Columns()->Add();
    return *this;
  }
  TOwned<TComPortForm> Form;
  TTestControl* Button{};
  TqlLang* Lang{};
};

std::string StreamText(TMemoryStream* S) {
  return std::string(static_cast<const char*>(S->Memory()), size_t(S->Size()));
}

TStreamPtr StreamOf(const std::string& Bytes) {
  TStreamPtr s(New<TMemoryStream>());
  if (!Bytes.empty()) s->WriteBuffer(Bytes.data(), Integer(Bytes.size()));
  s->SetPosition(0);
  return s;
}

// UTF-8 text with a byte-order mark.
std::string Utf8File(const std::string& Text) { return "\xEF\xBB\xBF" + Text; }

std::string TempFile(const std::string& Name) { return testing_support::MakeTempDir("textfiles") + "/" + Name; }

void WriteBytes(const std::string& Path, const std::string& Bytes) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out << Bytes;
}

class TLocaleScope {
 public:
  explicit TLocaleScope(TSystemLocale L) { SetSystemLocale(L); }
  ~TLocaleScope() { SetSystemLocale(TSystemLocale::Turkish); }
};

}  // namespace

TEST(TextFiles, SavingTheCaptionsOfThePortFormAndLoadingThemBack) {
  TLangForm f;
  SetLines(f.Lang->Captions(), {u"Button1|Tamam|OK|", u"TComPortForm|Seri Port Seç|Choose the port|"});
  TStreamPtr s(New<TMemoryStream>());
  EXPECT_EQ(f.Lang->SaveToStream(stCaptions, s.get(), u"~!@#"), 2);
  const std::string text = StreamText(s.get());
  EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(text.substr(3),
            "[Captions]\r\n"
            "TComPortForm.Button1=Tamam~!@#OK~!@#\r\n"
            "TComPortForm.TComPortForm=Seri Port Seç~!@#Choose the port~!@#\r\n"
            "\r\n"
            "[Language names - for internal use only!]\r\n"
            "Language_1=Türkçe\r\n"
            "Language_2=English\r\n"
            "\r\n"
            "[OPTIONS]\r\n"
            "DELIMITER=~!@#\r\n"
            "IsUTF8File=0\r\n"
            "\r\n");

  TLangForm g(false, {u"A"});
  SetLines(g.Lang->Captions(), {u"Old|x|"});
  EXPECT_EQ(g.Lang->LoadFromStream(stCaptions, s.get(), true), 2);
  // The owner's line comes first.
  EXPECT_EQ(Lines(g.Lang->Captions()),
            (std::vector<std::string>{"TComPortForm|Seri Port Seç|Choose the port|", "Button1|Tamam|OK|"}));
  EXPECT_EQ(Lines(g.Lang->LangNames()), (std::vector<std::string>{"Türkçe", "English"}));
  EXPECT_EQ(g.Lang->NumOfLanguages(), 2);
  // Lists without a section: -1 only for a kind the component lacks.
  EXPECT_EQ(g.Lang->LoadFromStream(stHints, s.get(), true), 0);
  EXPECT_EQ(g.Lang->LoadFromStream(stListView_TreeView_Items, s.get(), true), -1);
  EXPECT_EQ(g.Lang->SaveToStream(stListView_TreeView_Items, s.get(), u"~!@#"), -1);
}

TEST(TextFiles, SaveThenLoadGivesBackEveryListExactly) {
  TLangForm f;
  f.Hold({u"Memo1"}).HoldGrid();
  SetLines(f.Lang->Captions(), {u"TComPortForm|Başlık|Title|", u"Button1|İptal|Cancel|"});
  SetLines(f.Lang->Hints(), {u"Button1|Çık=çıkış|Quit; = sign|"});
  SetLines(f.Lang->MultiLines(), {u"Memo1.Items|satır 1\r\nsatır 2|line 1\nline 2|"});
  SetLines(f.Lang->Strings(), {u"[abc]|köşeli|brackets|", u"Empty|||", u"Greek|αβγ|Ελληνικά|",
                               u"Russian|Привет|Мир|"});
  SetLines(f.Lang->Collections(), {u"Grid.Columns[10].Caption|on|ten|", u"Grid.Columns[2].Caption|Ad|Name|"});
  SetLines(f.Lang->Locales(), {u"Decimal Separator|,|.|", u"Short Date Format|dd.MM.yyyy|M/d/yyyy|"});
  TqlExtendedItem* item = f.Lang->ExtendedTranslations()->Add();
  item->SetIdentifier(u"Button1.Caption");
  item->SetValues(L(u"Tamam|OK|"));
  item->SetPropertyType(tkUString);

  TStreamPtr s(New<TMemoryStream>());
  f.Lang->SaveAllToStream(s.get(), u"~!@#");
  const std::string text = StreamText(s.get());
  EXPECT_NE(text.find("TComPortForm.Grid.Columns-10+.Caption=on~!@#ten~!@#\r\n"
                      "TComPortForm.Grid.Columns-2+.Caption=Ad~!@#Name~!@#\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("TComPortForm.[abc]=köşeli~!@#brackets~!@#"), std::string::npos);
  EXPECT_NE(text.find("TComPortForm.Memo1.Items=satır 1\x19\x1Asatır 2~!@#line 1\x1Aline 2~!@#"), std::string::npos);
  EXPECT_NE(text.find("[Extended]\r\nTComPortForm.Button1.Caption=Tamam~!@#OK~!@#\r\n"
                      "TComPortForm.Button1.Caption_TypeKind=tkUString\r\n"),
            std::string::npos);

  // Read back under both locales, into a component with other lines.
  for (TSystemLocale locale : {TSystemLocale::Turkish, TSystemLocale::EnglishUS}) {
    TLocaleScope scope(locale);
    TLangForm g(false, {u"X"});
    g.Hold({u"Memo1", u"Stale"}).HoldGrid();
    SetLines(g.Lang->Captions(), {u"Stale|s|"});
    g.Lang->LoadAllFromStream(s.get(), true, false);
    for (TStringsType kind : {stCaptions, stHints, stMultiLines, stStrings, stCollections, stLocales})
      EXPECT_EQ(Lines(g.Lang->GetPropListByType(kind)), Lines(f.Lang->GetPropListByType(kind)))
          << UTF16ToUTF8(StringsTypeName(kind));
    ASSERT_EQ(g.Lang->ExtendedTranslations()->Count(), 1);
    EXPECT_EQ(g.Lang->ExtendedTranslations()->Items(0)->StoredIdentifier(), u"Button1.Caption");
    EXPECT_EQ(Show(g.Lang->ExtendedTranslations()->Items(0)->Values()), "Tamam|OK|");
    EXPECT_EQ(Lines(g.Lang->LangNames()), (std::vector<std::string>{"Türkçe", "English"}));

    // Saving what was read gives the same text.
    TStreamPtr again(New<TMemoryStream>());
    g.Lang->SaveAllToStream(again.get(), u"~!@#");
    EXPECT_EQ(StreamText(again.get()), text);
  }
}

TEST(TextFiles, KeysAndValuesAsTheFileHoldsThem) {
  struct TCase {
    const char* Name;
    std::string File;
    std::vector<std::string> Lines;
  };
  const std::string names = "[Language names - for internal use only!]\r\nLanguage_1=T\r\nLanguage_2=E\r\n";
  const TCase cases[] = {
      {"no DELIMITER: the default text", names + "[Captions]\r\nTComPortForm.Button1=a~!@#b~!@#\r\n",
       {"Button1|a|b|"}},
      {"a delimiter of the file's own", names + "[OPTIONS]\r\nDELIMITER=<>\r\n[Captions]\r\nTComPortForm.Button1=a<>b<>\r\n",
       {"Button1|a|b|"}},
      {"options written in another case", names + "[Options]\r\nDelimiter=;\r\n[Captions]\r\nTComPortForm.Button1=a;b;\r\n",
       {"Button1|a|b|"}},
      {"an empty delimiter reads as the default", "[OPTIONS]\r\nDELIMITER=\r\n[Captions]\r\nTComPortForm.B=a~!@#\r\n",
       {"B|a|"}},
      {"a value without a delimiter is the first language's", "[Captions]\r\nTComPortForm.Button1=only\r\n",
       {"Button1|only|"}},
      {"the missing-key mark is skipped", Utf8File("[Captions]\r\nTComPortForm.A=я\r\nTComPortForm.B=b~!@#\r\n"),
       {"B|b|"}},
      {"other forms' keys are skipped", "[Captions]\r\nTMainForm.A=x~!@#\r\nTComPortFormX.B=y~!@#\r\n", {}},
      {"keys by the form's component name", "[Captions]\r\nComPortForm.ComPortForm=c~!@#\r\nComPortForm.B=b~!@#\r\n",
       {"ComPortForm|c|", "B|b|"}},
      {"the class name in another case", "[Captions]\r\ntcomportform.B=b~!@#\r\n", {"B|b|"}},
      {"components not to translate are skipped", "[Captions]\r\nTComPortForm.Secret=s~!@#\r\n", {}},
      {"duplicate keys give one line", "[Captions]\r\nTComPortForm.B=1~!@#\r\nTComPortForm.B=2~!@#\r\n", {"B|2|"}},
      {"legacy text without a mark in the system code page", "[Captions]\r\nTComPortForm.B=\xFE\xF0~!@#\r\n",
       {"B|şğ|"}},
      {"undecodable UTF-8 becomes U+FFFD", Utf8File("[Captions]\r\nTComPortForm.B=\xC3~!@#\r\n"), {"B|\xEF\xBF\xBD|"}},
      {"binary junk holds no keys", std::string("\x00\xFF[\x01=\r\n\x1A", 8), {}},
  };
  for (const TCase& c : cases) {
    TLangForm f;
    f.Hold({u"A", u"B", u"Secret"});
    f.Lang->DoNotTranslate()->Add(u"Secret");
    TStreamPtr s = StreamOf(c.File);
    f.Lang->LoadFromStream(stCaptions, s.get(), true);
    EXPECT_EQ(Lines(f.Lang->Captions()), c.Lines) << c.Name;
  }
}

TEST(TextFiles, LoadingWithoutRewriteAddsAfterTheOwnLines) {
  TLangForm f;
  f.Hold({u"Kept", u"B"});
  SetLines(f.Lang->Captions(), {u"Kept|k|K|"});
  TStreamPtr s = StreamOf("[Captions]\r\nTComPortForm.B=b~!@#\r\nTComPortForm.TComPortForm=t~!@#\r\n");
  f.Lang->LoadFromStream(stCaptions, s.get(), false);
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"TComPortForm|t|", "Kept|k|K|", "B|b|"}));
}

TEST(TextFiles, SavingDropsKeysOfTheFormsComponentNameAndKeepsOtherForms) {
  TStreamPtr s = StreamOf(
      "[Captions]\r\nComPortForm.Old=o~!@#\r\nTMainForm.Main=m~!@#\r\n[Hints]\r\nComPortForm.H=h~!@#\r\n");
  TLangForm f;
  SetLines(f.Lang->Captions(), {u"B|b|B|"});
  f.Lang->SaveToStream(stCaptions, s.get(), u"~!@#");
  const std::string text = StreamText(s.get());
  EXPECT_EQ(text.find("ComPortForm.Old"), std::string::npos);
  EXPECT_NE(text.find("TMainForm.Main=m~!@#"), std::string::npos);
  EXPECT_NE(text.find("ComPortForm.H=h~!@#"), std::string::npos);  // another list's section
  EXPECT_NE(text.find("TComPortForm.B=b~!@#B~!@#"), std::string::npos);
  // An empty delimiter text would make the values inseparable.
  EXPECT_THROW(f.Lang->SaveToStream(stCaptions, s.get(), u""), ELanguageError);
}

TEST(TextFiles, TwoFormsInOneFileWithLanguagesInAnotherOrder) {
  const std::string path = TempFile("two.lng");
  TLangForm port;
  SetLines(port.Lang->Captions(), {u"TComPortForm|Port|Port EN|", u"Button1|Tamam|OK|"});
  port.Lang->SaveAllToFile(UTF8ToUTF16(path), u"~!@#");
  TLangForm main(true);
  SetLines(main.Lang->Captions(), {u"TMainForm|Ana|Main|"});
  main.Lang->SaveAllToFile(UTF8ToUTF16(path), u"~!@#");

  // Each form reads only its own keys.
  TLangForm port2;
  port2.Lang->LoadAllFromFile(UTF8ToUTF16(path), true);
  EXPECT_EQ(Lines(port2.Lang->Captions()), Lines(port.Lang->Captions()));
  TLangForm main2(true);
  main2.Lang->LoadAllFromFile(UTF8ToUTF16(path), true);
  EXPECT_EQ(Lines(main2.Lang->Captions()), Lines(main.Lang->Captions()));

  // A component with the languages in the other order merges the file: the
  // values go under the right names, its own lines the file lacks remain.
  TLangForm port3(false, {u"English", u"Türkçe"});
  port3.Hold({u"Label1"});
  SetLines(port3.Lang->Captions(), {u"Button1|old|eski|", u"Label1|Label|Etiket|"});
  EXPECT_TRUE(port3.Lang->MergeAllFromFile(UTF8ToUTF16(path)));
  EXPECT_EQ(Lines(port3.Lang->Captions()),
            (std::vector<std::string>{"TComPortForm|Port EN|Port|", "Button1|OK|Tamam|", "Label1|Label|Etiket|"}));
  EXPECT_EQ(Lines(port3.Lang->LangNames()), (std::vector<std::string>{"English", "Türkçe"}));
  EXPECT_FALSE(port3.Lang->MergeFromFile(stCaptions, UTF8ToUTF16(path + ".missing")));
}

TEST(TextFiles, MergingAppliesTheWholePermutationOfLanguages) {
  // The file's languages A B C come to a component ordered C A B; moving
  // columns one at a time from positions computed beforehand put values
  // under the wrong names.
  const std::string path = TempFile("perm.lng");
  WriteBytes(path, Utf8File("[Language names - for internal use only!]\r\nLanguage_1=A\r\nLanguage_2=B\r\n"
                            "Language_3=C\r\nLanguage_4=D\r\n[Captions]\r\n"
                            "TComPortForm.P=a~!@#b~!@#c~!@#d~!@#\r\nTComPortForm.Q=a2~!@#~!@#c2~!@#d2~!@#\r\n"));
  TLangForm f(false, {u"C", u"A", u"E", u"B"});
  f.Hold({u"P", u"Q", u"R"});
  SetLines(f.Lang->Captions(), {u"R|c|a|e|b|"});
  EXPECT_TRUE(f.Lang->MergeFromFile(stCaptions, UTF8ToUTF16(path)));
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"P|c|a||b|", "Q|c2|a2|||", "R|c|a|e|b|"}));
  EXPECT_EQ(Lines(f.Lang->LangNames()), (std::vector<std::string>{"C", "A", "E", "B"}));
  EXPECT_EQ(f.Lang->NumOfLanguages(), 4);
}

// A stream whose languages come in another order is merged as a file is: the
// component keeps its languages and the stream's values go under the same
// names, so that its own lines and the merged ones agree.
TEST(TextFiles, MergingAStreamWithTheLanguagesInAnotherOrder) {
  TLangForm f;
  f.Hold({u"A", u"B"});
  SetLines(f.Lang->Captions(), {u"A|Tamam|OK|"});
  TStreamPtr s = StreamOf(Utf8File(
      "[Language names - for internal use only!]\r\nLanguage_1=English\r\nLanguage_2=Deutsch\r\n"
      "Language_3=Türkçe\r\n[Captions]\r\nTComPortForm.B=Cancel~!@#Abbrechen~!@#İptal~!@#\r\n"));
  EXPECT_TRUE(f.Lang->MergeFromStream(stCaptions, s.get()));
  EXPECT_EQ(Lines(f.Lang->LangNames()), (std::vector<std::string>{"Türkçe", "English"}));
  EXPECT_EQ(f.Lang->NumOfLanguages(), 2);
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"B|İptal|Cancel|", "A|Tamam|OK|"}));
  EXPECT_TRUE(f.Lang->MergeAllFromStream(s.get()));
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"B|İptal|Cancel|", "A|Tamam|OK|"}));
}

TEST(TextFiles, MergingAStreamKeepsTheFilesLineAndTheOthers) {
  TLangForm f;
  f.Hold({u"A", u"B"});
  SetLines(f.Lang->Captions(), {u"A|a|A|", u"B|b|B|"});
  TStreamPtr s = StreamOf("[Captions]\r\nTComPortForm.b=new~!@#NEW~!@#\r\n");
  EXPECT_TRUE(f.Lang->MergeFromStream(stCaptions, s.get()));
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"b|new|NEW|", "A|a|A|"}));
  EXPECT_TRUE(f.Lang->MergeAllFromStream(s.get()));
  EXPECT_TRUE(f.Lang->MergeFromStream(stListView_TreeView_Items, s.get()));
}

// The loads and merges that leave the language to their caller (no language
// change, which would drop them too) still drop the lines of components the
// form lacks; the strings, which name no component, stay.
TEST(TextFiles, LoadsWithoutALanguageChangeDropTheLinesOfVanishedComponents) {
  const std::string path = TempFile("vanished.lng");
  const std::string file = Utf8File(
      "[Language names - for internal use only!]\r\nLanguage_1=Türkçe\r\nLanguage_2=English\r\n"
      "[Captions]\r\nTComPortForm.Button1=Tamam~!@#OK~!@#\r\nTComPortForm.Gone=g~!@#G~!@#\r\n"
      "[Hints]\r\nTComPortForm.Gone=h~!@#H~!@#\r\n"
      "[Strings]\r\nTComPortForm.Gone=s~!@#S~!@#\r\n");
  WriteBytes(path, file);
  struct TCase {
    const char* Name;
    void (*Run)(TqlLang*, TStream*, const String&);
  };
  const TCase cases[] = {
      {"LoadAllFromStream", [](TqlLang* L, TStream* S, const String&) { L->LoadAllFromStream(S, true, true); }},
      {"LoadAllFromFileDNC", [](TqlLang* L, TStream*, const String& F) { L->LoadAllFromFileDNC(F, true); }},
      {"MergeAllFromStreamDNC", [](TqlLang* L, TStream* S, const String&) { EXPECT_TRUE(L->MergeAllFromStreamDNC(S)); }},
      {"MergeAllFromFileDNC", [](TqlLang* L, TStream*, const String& F) { EXPECT_TRUE(L->MergeAllFromFileDNC(F)); }},
  };
  for (const TCase& c : cases) {
    TLangForm f;
    f.Button->SetCaption(u"designed");
    SetLines(f.Lang->Hints(), {u"Gone|old|OLD|"});
    TStreamPtr s = StreamOf(file);
    c.Run(f.Lang, s.get(), UTF8ToUTF16(path));
    EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"Button1|Tamam|OK|"})) << c.Name;
    EXPECT_EQ(Lines(f.Lang->Hints()), std::vector<std::string>{}) << c.Name;
    EXPECT_EQ(Lines(f.Lang->Strings()), (std::vector<std::string>{"Gone|s|S|"})) << c.Name;
    EXPECT_EQ(f.Button->Caption(), u"designed") << c.Name;
  }
}

TEST(TextFiles, FilesWrittenUnderOneLocaleReadTheSameUnderTheOther) {
  // Keys with I and i, which the Turkish locale pairs with dotless and
  // dotted letters, and values in the locales' number and date forms.
  TStreamPtr s(New<TMemoryStream>());
  std::vector<std::string> expected, expectedStrings;
  {
    TLocaleScope english(TSystemLocale::EnglishUS);
    TLangForm f;
    SetLines(f.Lang->Captions(), {u"EditInfo|Bilgi 3,5|Info 3.5|", u"Ileri|i|I|", u"LIST|12.03.2025|3/12/2025|"});
    SetLines(f.Lang->Strings(), {u"İleri|ı|I|", u"Kapı|i|İ|"});
    f.Lang->SetStoreAsUTF8(true);
    f.Lang->SaveToStream(stCaptions, s.get(), u"~!@#");
    f.Lang->SaveToStream(stStrings, s.get(), u"~!@#");
    TqlExtendedItem* item = f.Lang->ExtendedTranslations()->Add();
    item->SetIdentifier(u"EditInfo.Hint");
    item->SetValues(L(u"ipucu|hint|"));
    f.Lang->SaveExtendedToStream(s.get(), u"~!@#");
    expected = Lines(f.Lang->Captions());
    expectedStrings = Lines(f.Lang->Strings());
  }
  TLangForm g;
  g.Hold({u"EditInfo", u"Ileri", u"LIST", u"X"});
  g.Lang->LoadAllFromStream(s.get(), true, true);
  EXPECT_EQ(Lines(g.Lang->Captions()), expected);
  EXPECT_EQ(Lines(g.Lang->Strings()), expectedStrings);
  EXPECT_TRUE(g.Lang->StoreAsUTF8());
  ASSERT_EQ(g.Lang->ExtendedTranslations()->Count(), 1);
  EXPECT_EQ(Show(g.Lang->ExtendedTranslations()->Items(0)->Values()), "ipucu|hint|");
  // A file whose options section is spelt "Options" is read and written as
  // the same section under the Turkish locale.
  TStreamPtr mixed = StreamOf("[Options]\r\nDelimiter=#\r\nIsUTF8File=1\r\n[Captions]\r\nTComPortForm.X=x#y#\r\n");
  g.Lang->SetStoreAsUTF8(false);
  g.Lang->LoadFromStream(stCaptions, mixed.get(), true);
  EXPECT_EQ(Lines(g.Lang->Captions()), (std::vector<std::string>{"X|x|y|"}));
  EXPECT_TRUE(g.Lang->StoreAsUTF8());
  g.Lang->SaveToStream(stCaptions, mixed.get(), u"%");
  const std::string text = StreamText(mixed.get());
  EXPECT_EQ(text.find("OPTIONS"), std::string::npos);
  EXPECT_NE(text.find("[Options]\r\nDelimiter=%\r\nIsUTF8File=1\r\n"), std::string::npos);
}

TEST(TextFiles, FileOperationsOnMissingFiles) {
  TLangForm f;
  SetLines(f.Lang->Captions(), {u"A|a|A|"});
  const String missing = UTF8ToUTF16(TempFile("none.lng"));
  EXPECT_EQ(f.Lang->LoadFromFile(stCaptions, missing, true), -1);
  f.Lang->LoadAllFromFile(missing, true);
  f.Lang->LoadExtendedFromFile(missing, true);
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"A|a|A|"}));
  EXPECT_TRUE(f.Lang->IsBinaryTranslationFileName(u"x.qlb"));
  EXPECT_FALSE(f.Lang->IsBinaryTranslationFileName(u"x.lng"));
  // Saving creates the file.
  EXPECT_EQ(f.Lang->SaveStringsToFile(missing, u"~!@#"), 0);
  TOwned<TStringList> names(New<TStringList>());
  f.Lang->GetLanguageNamesFromFile(missing, names.get());
  EXPECT_EQ(Lines(names.get()), (std::vector<std::string>{"Türkçe", "English"}));
}

// --- One language by name ---------------------------------------------------------------------

namespace {

const std::string kThreeLanguages = Utf8File(
    "[Language names - for internal use only!]\r\nLanguage_1=Türkçe\r\nLanguage_2=English\r\nLanguage_3=Deutsch\r\n"
    "[Captions]\r\nTComPortForm.Button1=Tamam~!@#OK~!@#Gut~!@#\r\nTComPortForm.TComPortForm=Port~!@#Port EN~!@#Anschluss~!@#\r\n"
    "TComPortForm.Short=k~!@#\r\nTComPortForm.New=yeni~!@#new~!@#neu\x19\x1Azeile~!@#\r\n"
    "TMainForm.Other=x~!@#y~!@#z~!@#\r\n"
    "[Extended]\r\nTComPortForm.Button1.Hint=ipucu~!@#hint~!@#Hinweis~!@#\r\nTComPortForm.Button1.Hint_TypeKind=tkUString\r\n");

}  // namespace

TEST(LoadLanguage, AThirdLanguageIsAddedAndFilledForEveryKey) {
  const std::string path = TempFile("three.lng");
  WriteBytes(path, kThreeLanguages);
  TLangForm f;
  f.Hold({u"Short", u"Mine", u"New"});
  SetLines(f.Lang->Captions(), {u"TComPortForm|Port|Port EN|", u"Button1|Tamam|OK|", u"Short|kısa|short|",
                                u"Mine|benim|mine|"});
  TqlExtendedItem* item = f.Lang->ExtendedTranslations()->Add();
  item->SetIdentifier(u"Button1.Hint");
  item->SetValues(L(u"ip|hi|"));
  f.Lang->LoadLanguage(UTF8ToUTF16(path), u"Deutsch");
  EXPECT_EQ(f.Lang->NumOfLanguages(), 3);
  EXPECT_EQ(Lines(f.Lang->LangNames()), (std::vector<std::string>{"Türkçe", "English", "Deutsch"}));
  EXPECT_EQ(Lines(f.Lang->Captions()),
            (std::vector<std::string>{"TComPortForm|Port|Port EN|Anschluss|", "Button1|Tamam|OK|Gut|",
                                      "Short|kısa|short||", "Mine|benim|mine|", "New|||neu\r\nzeile|"}));
  EXPECT_EQ(Show(f.Lang->ExtendedTranslations()->Items(0)->Values()), "ip|hi|Hinweis|");
}

TEST(LoadLanguage, AKnownLanguageRewritesOnlyItsColumn) {
  const std::string path = TempFile("three.lng");
  WriteBytes(path, kThreeLanguages);
  TLangForm f(false, {u"Türkçe", u"english"});
  f.Hold({u"Short", u"New"});
  SetLines(f.Lang->Captions(), {u"Button1|T|E|", u"Short|kısa|short|"});
  f.Lang->SetActiveLanguage(2);
  f.Lang->LoadLanguage(UTF8ToUTF16(path), u"English");
  EXPECT_EQ(f.Lang->NumOfLanguages(), 2);
  // The owner's new line goes first, where applying the language reads it.
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"TComPortForm||Port EN|", "Button1|T|OK|",
                                                                  "Short|kısa||", "New||new|"}));
  EXPECT_EQ(f.Form->Caption(), u"Port EN");
  ASSERT_EQ(f.Lang->ExtendedTranslations()->Count(), 1);
  EXPECT_EQ(Show(f.Lang->ExtendedTranslations()->Items(0)->Values()), "|hint|");
}

TEST(LoadLanguage, NothingHappensWithoutTheFileOrTheLanguage) {
  const std::string path = TempFile("three.lng");
  WriteBytes(path, kThreeLanguages);
  TLangForm f;
  SetLines(f.Lang->Captions(), {u"Button1|T|E|"});
  f.Lang->LoadLanguage(UTF8ToUTF16(path), u"");
  f.Lang->LoadLanguage(UTF8ToUTF16(path + ".missing"), u"English");
  f.Lang->LoadLanguage(UTF8ToUTF16(path), u"english");  // the file's names compare exactly
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"Button1|T|E|"}));
  EXPECT_EQ(f.Lang->NumOfLanguages(), 2);
  f.Lang->SetDoRaiseExceptions(true);
  try {
    f.Lang->LoadLanguage(UTF8ToUTF16(path), u"Français");
    ADD_FAILURE() << "no error";
  } catch (const Exception& E) {
    EXPECT_EQ(E.ClassName(), u"Exception");
    EXPECT_EQ(E.Message(), u"Français not found in " + UTF8ToUTF16(path));
  }
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"Button1|T|E|"}));
  EXPECT_EQ(f.Lang->BuildLanguageFields(u"v", 2), L(u"|v|"));
}

// A text file cut at every length (inside the byte-order mark, inside a
// character of two or three bytes, inside a key or the options) reads
// without an error, and only lines of the form's own paths. (What a cut
// value or delimiter text reads as cannot be told from the file.)
TEST(TextFiles, AFileCutAtAnyLengthReadsOnlyTheFormsPaths) {
  TLangForm f;
  f.Hold({u"Label1"});
  SetLines(f.Lang->Captions(), {u"TComPortForm|Başlık|Τίτλος|", u"Button1|İptal|€ Cancel|", u"Label1|Şu|Это|"});
  TStreamPtr whole(New<TMemoryStream>());
  f.Lang->SaveAllToStream(whole.get(), u"~!@#");
  const std::string bytes = StreamText(whole.get());
  const std::vector<std::string> full = Lines(f.Lang->Captions());
  for (size_t n = 0; n <= bytes.size(); ++n) {
    TLangForm g;
    g.Hold({u"Label1"});
    TStreamPtr s = StreamOf(bytes.substr(0, n));
    ASSERT_NO_THROW(g.Lang->LoadAllFromStream(s.get(), true, false)) << n;
    for (const std::string& line : Lines(g.Lang->Captions())) {
      const std::string path = line.substr(0, line.find('|'));
      auto it = std::find_if(full.begin(), full.end(), [&](const std::string& l) { return l.rfind(path + "|", 0) == 0; });
      ASSERT_NE(it, full.end()) << n << ": " << line;
    }
  }
}

// --- Saving where the file cannot be written whole -------------------------------------------

namespace {

// Writes past Bytes in any file fail (as on a full disk) while it lives.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldSignal = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = FOld;
    limit.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    signal(SIGXFSZ, FOldSignal);
  }

 private:
  rlimit FOld{};
  void (*FOldSignal)(int){};
};

}  // namespace

// A save that cannot write the whole file (a full disk) reports the error and
// leaves the file as it was: the other forms' translations in it are kept.
// The same for a folder that does not exist.
TEST(FileSaves, AFailedSaveReportsTheErrorAndKeepsTheFile) {
  struct TCase {
    const char* Name;
    std::string File;
    void (*Save)(TqlLang*, const String&);
  };
  const TCase cases[] = {
      {"text, all lists", "all.lng", [](TqlLang* L, const String& F) { L->SaveAllToFile(F, u"~!@#"); }},
      {"text, one list", "one.lng", [](TqlLang* L, const String& F) { L->SaveToFile(stCaptions, F, u"~!@#"); }},
      {"binary", "all.qlb", [](TqlLang* L, const String& F) { L->SaveAllToBinaryFile(F); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const String path = UTF8ToUTF16(TempFile(c.File));
    TLangForm port;
    for (Integer i = 0; i < 60; ++i)
      port.Lang->Captions()->Add(L(u"Label" + UTF8ToUTF16(std::to_string(i)) + u"|Tamam|OK|"));
    c.Save(port.Lang, path);
    const std::string before = ReadFile(UTF16ToUTF8(path));
    ASSERT_GT(before.size(), 2000u);
    TLangForm main(true);
    SetLines(main.Lang->Captions(), {u"TMainForm|Ana|Main|"});
    {
      TFileSizeLimit limit(before.size() / 2);
      EXPECT_THROW(c.Save(main.Lang, path), Exception);
    }
    EXPECT_EQ(ReadFile(UTF16ToUTF8(path)), before);
    EXPECT_THROW(c.Save(main.Lang, path + u".missing/x"), Exception);
    // Nothing is left beside it.
    const std::filesystem::path file(UTF16ToUTF8(path));
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
      EXPECT_EQ(entry.path().filename().string().find(file.filename().string() + ".tmp"), std::string::npos);
    // A save that succeeds keeps the file's permissions.
    namespace fs = std::filesystem;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    c.Save(main.Lang, path);
    EXPECT_GT(ReadFile(UTF16ToUTF8(path)).size(), before.size());
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  }
}

// A path holding "=" (where the file's key ends) or a value holding the
// delimiter text (where the file's values part) would come back as other
// lines: such a list is refused before anything is written. Blanks around
// a path and the text of another option stay as they are.
TEST(TextFiles, LinesTheFileCannotHoldAreRefused) {
  struct TCase {
    const char* Name;
    std::u16string Line;
    std::string Error;  // empty: stored and read back unchanged
  };
  const TCase cases[] = {
      {"\"=\" in a path", u"Soru=Cevap|a|b|", "The path \"Soru=Cevap\" of Strings cannot be stored in a translation file!"},
      {"the delimiter text in a value", u"D|a;b|c|",
       "A value of \"D\" in Strings holds the delimiter text \";\" of the translation file!"},
      {"blanks around a path", u" Bosluk |x|y|", ""},
      {"a path with the delimiter text", u"Yorum;|z|w|", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLangForm f;
    SetLines(f.Lang->Strings(), {u"Kept|k|K|", c.Line});
    TStreamPtr s = StreamOf("[Strings]\r\nTComPortForm.Old=o;O;\r\n");
    std::string error;
    try {
      f.Lang->SaveToStream(stStrings, s.get(), u";");
    } catch (const ELanguageError& E) {
      error = UTF16ToUTF8(E.Message());
    }
    EXPECT_EQ(error, c.Error);
    if (!error.empty()) {
      EXPECT_EQ(StreamText(s.get()), "[Strings]\r\nTComPortForm.Old=o;O;\r\n");
      // The whole-file save refuses it before any list is written.
      const String path = UTF8ToUTF16(TempFile("refused.lng"));
      WriteBytes(UTF16ToUTF8(path), "old");
      EXPECT_THROW(f.Lang->SaveAllToFile(path, u";"), ELanguageError);
      EXPECT_EQ(ReadFile(UTF16ToUTF8(path)), "old");
      continue;
    }
    TLangForm g;
    g.Lang->LoadFromStream(stStrings, s.get(), true);
    std::vector<std::string> read = Lines(g.Lang->Strings()), expected{"Kept|k|K|", Show(L(c.Line)), "Old|o|O|"};
    std::sort(read.begin(), read.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(read, expected);
  }
}
