// String collections with bisection, properties by path, extended translations.
#include <gtest/gtest.h>

#include "localization/qlComp.h"
#include "platform/rtl/CodePages.h"
#include "tests/localization/LocalizationFixtures.h"

using namespace loc_test;

namespace {

struct TFormWithLang {
  TOwned<TComPortForm> Form = NewForm();
  TTestControl* Grid = AddControl(Form.get(), u"Grid");
  TqlLang* Lang = New<TqlLang>(Form.get());

  TFormWithLang() {
    Lang->SetNumOfLanguages(2);
    Lang->LangNames()->SetStrings(1, u"English");
    static_cast<TTestColumn*>(Grid->Columns()->Add())->SetCaption(u"Zero");
    static_cast<TTestColumn*>(Grid->Columns()->Add())->SetCaption(u"One");
  }
  TqlExtendedItem* Extended(const String& Identifier, const std::u16string& Values) {
    TqlExtendedItem* item = Lang->ExtendedTranslations()->Add();
    item->SetIdentifier(Identifier);
    item->SetValues(L(Values));
    return item;
  }
};

}  // namespace

TEST(StringsCollection, LookupByIdentifierBisects) {
  TFormWithLang f;
  SetLines(f.Lang->Strings(), {u"C|c1|c2|", u"A|a1|a2|", u"b|b1|b2|", u"E|e1|e2|", u"d|d1|d2|", u"G|g1|g2|", u"f|f1|f2|"});
  f.Lang->UpdateStrCollections();
  TqlStringsCollection* coll = f.Lang->StringsColl();
  std::vector<std::string> order;
  for (Integer i = 0; i < coll->Count(); ++i) order.push_back(UTF16ToUTF8(coll->Items(i)->ID()));
  EXPECT_EQ(order, (std::vector<std::string>{"A", "b", "C", "d", "E", "f", "G"}));
  struct {
    const char16_t* ID;
    Integer Lang;
    const char16_t* Expected;
  } const cases[] = {{u"B", 2, u"b2"}, {u"a", 1, u"a1"}, {u"g", 2, u"g2"}, {u"D", 1, u"d1"}, {u"F", 2, u"f2"},
                     {u"c", 1, u"c1"}, {u"e", 2, u"e2"}, {u"H", 1, u""},   {u"0", 1, u""},   {u"bb", 1, u""},
                     {u"A", 3, u""}};
  for (const auto& c : cases) EXPECT_EQ(coll->GetTranslationByID(c.ID, c.Lang), c.Expected) << UTF16ToUTF8(c.ID);
  EXPECT_EQ(coll->GetIDIndex(u"E"), 4);
  EXPECT_EQ(coll->GetIDIndex(u"x"), -1);
  // Three items A, b, C find B; one item; none.
  SetLines(f.Lang->Strings(), {u"A|1|", u"b|2|", u"C|3|"});
  f.Lang->UpdateStrCollections();
  EXPECT_EQ(coll->GetTranslationByID(u"B", 1), u"2");
  SetLines(f.Lang->Strings(), {u"Only|1|"});
  f.Lang->UpdateStrCollections();
  EXPECT_EQ(coll->GetTranslationByID(u"only", 1), u"1");
  EXPECT_EQ(coll->GetTranslationByID(u"Other", 1), u"");
  f.Lang->Strings()->Clear();
  f.Lang->UpdateStrCollections();
  EXPECT_EQ(coll->GetTranslationByID(u"only", 1), u"");
}

TEST(StringsCollection, LookupByTextOfTheResourceLanguage) {
  TFormWithLang f;
  SetLines(f.Lang->Strings(), {u"S1|Kaydet|Save|", u"S2|Aç|Open|", u"S3|kapat|Close|", u"S4|Sil||", u"S5|Yeni|New|"});
  f.Lang->SetHandleResourceStrings(true);
  f.Lang->UpdateStrCollections();
  TqlStringsCollection* coll = f.Lang->LangStringsColl();
  EXPECT_EQ(coll->SortID, 1);
  struct {
    const char16_t* Text;
    const char16_t* ByLang;
    const char16_t* ByLang2;
  } const cases[] = {{u"Kaydet", u"Save", u"Save"}, {u"Aç", u"Open", u"Open"}, {u"kapat", u"Close", u"Close"},
                     {u"Yeni", u"New", u"New"},     {u"Kapat", u"Kapat", u""},   {u"Sil", u"", u""},
                     {u"", u"", u""}};
  for (const auto& c : cases) {
    EXPECT_EQ(coll->GetTranslationByLang(c.Text, 2), c.ByLang) << UTF16ToUTF8(c.Text);
    EXPECT_EQ(coll->GetTranslationByLang2(c.Text, 2), c.ByLang2) << UTF16ToUTF8(c.Text);
  }
  // Escapes are decoded before comparing when the host asks for it.
  f.Lang->UsedInCPP = true;
  SetLines(f.Lang->Strings(), {u"S1|Satır\\n|Line\\t|"});
  f.Lang->UpdateStrCollections();
  EXPECT_EQ(coll->GetTranslationByLang(u"Satır\n", 2), u"Line\t");
}

TEST(PropertyPath, ObjectsAlongThePath) {
  TFormWithLang f;
  EXPECT_EQ(f.Lang->GetObjByPath(u"Grid.Columns[1].Caption"), f.Grid->Columns()->Items(1));
  EXPECT_EQ(f.Lang->GetObjByPath(u"Grid.Font.Size"), f.Grid->Font());
  EXPECT_EQ(f.Lang->GetObjByPath(u"TComPortForm.Font.Size"), f.Form->Font());
  EXPECT_EQ(f.Lang->GetObjByPath(u"Grid.Caption"), f.Grid);
  EXPECT_EQ(f.Lang->GetObjByPath(u"Missing.Caption"), nullptr);
  EXPECT_EQ(f.Lang->GetObjByPath(u"Grid.Nothing.Caption"), nullptr);
  EXPECT_EQ(f.Lang->GetObjByPath(u"Grid.Width.Caption"), nullptr);
  EXPECT_THROW(f.Lang->GetObjByPath(u"Grid.Columns[x].Caption"), EConvertError);
  f.Lang->SetPropValueByPath(u"Grid.Columns[x].Caption", u"Lost");
  f.Lang->SetPropValueByPath(u"Grid.Columns[5].Caption", u"Lost");
  f.Lang->SetPropValueByPath(u"Grid.Columns[1].Caption", u"Bir");
  EXPECT_EQ(static_cast<TTestColumn*>(f.Grid->Columns()->Items(1))->Caption(), u"Bir");
}

TEST(PropertyPath, ValuesAsTextByKind) {
  TFormWithLang f;
  struct {
    const char16_t* Path;
    const char16_t* Value;
    TTypeKind Kind;
  } const cases[] = {{u"Grid.Width", u"42", tkInteger},        {u"Grid.Ratio", u"1,5", tkFloat},
                     {u"Grid.Big", u"-123", tkInt64},          {u"Grid.Kind", u"tkdBold", tkEnumeration},
                     {u"Grid.Kinds", u"tkdBold,tkdItalic", tkSet}, {u"Grid.Accel", u"K", tkWChar},
                     {u"Grid.Caption", u"Başlık", tkUString},   {u"Grid.Items", u"a,\"b c\",\"d,e\"", tkClass},
                     {u"Grid.Font.Size", u"10", tkInteger},     {u"Grid.Font.Name", u"Arial", tkUString}};
  for (const auto& c : cases) {
    f.Lang->SetPropValueByPath(c.Path, c.Value);
    EXPECT_EQ(f.Lang->GetPropValueByPath(c.Path), c.Value) << UTF16ToUTF8(c.Path);
    EXPECT_EQ(f.Lang->GetPropTypeByPath(c.Path), c.Kind) << UTF16ToUTF8(c.Path);
  }
  EXPECT_EQ(f.Grid->Items()->Strings(2), u"d,e");
  EXPECT_EQ(f.Lang->GetPropTypeByPath(u"Grid.Font"), tkUnknown);  // a class that is no string list
  EXPECT_EQ(f.Lang->GetPropValueByPath(u"Grid.Font"), u"");
  EXPECT_EQ(f.Lang->GetPropValueByPath(u"Grid.None"), u"");
  // Conversion errors leave the property as it was.
  f.Lang->SetPropValueByPath(u"Grid.Width", u"wide");
  f.Lang->SetPropValueByPath(u"Grid.Kind", u"tkdNone");
  EXPECT_EQ(f.Grid->Width(), 42);
  EXPECT_EQ(f.Grid->Kind(), tkdBold);
}

TEST(PropertyPath, StringListsKeepTheObjectsOfUnchangedLines) {
  TFormWithLang f;
  TOwned<TObject> tagA(New<TObject>());
  f.Grid->Items()->AddObject(u"a", tagA.get());
  f.Grid->Items()->Add(u"b");
  f.Grid->Items()->Add(u"c");
  f.Lang->SetPropValueByPath(u"Grid.Items", u"A,B");
  EXPECT_EQ(Lines(f.Grid->Items()), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(f.Grid->Items()->Objects(0), tagA.get());
  f.Lang->SetPropValueByPath(u"Grid.Items", u"A,B,C,D");
  EXPECT_EQ(Lines(f.Grid->Items()), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST(ExtendedTranslations, FontSizeFollowsTheLanguage) {
  TFormWithLang f;
  f.Grid->Font()->SetSize(8);
  f.Form->Font()->SetSize(8);
  f.Extended(u"Grid.Font.Size", u"8|10|");
  f.Extended(u"TComPortForm.Font.Size", u"8|12|");
  f.Lang->SetActiveLanguage(2);
  EXPECT_EQ(f.Grid->Font()->Size(), 10);
  EXPECT_EQ(f.Form->Font()->Size(), 12);
  EXPECT_EQ(f.Lang->Language(), u"English");
  f.Lang->SetActiveLanguage(1);
  EXPECT_EQ(f.Grid->Font()->Size(), 8);
  EXPECT_EQ(f.Form->Font()->Size(), 8);
}

TEST(ExtendedTranslations, EmptyValuesAndFallbacks) {
  TFormWithLang f;
  f.Lang->SetNumOfLanguages(3);
  f.Grid->SetCaption(u"Başlık");
  f.Grid->SetHint(u"İpucu");
  f.Extended(u"Grid.Caption", u"Başlık|||");
  f.Extended(u"Grid.Hint", u"İpucu||Tip|");
  f.Lang->SetActiveLanguage(2);
  EXPECT_EQ(f.Grid->Caption(), u"Başlık");  // ttNoChange: the property keeps its text
  EXPECT_EQ(f.Grid->Hint(), u"İpucu");
  f.Grid->SetCaption(u"Other");
  f.Lang->SetActiveLanguage(1);
  f.Lang->SetTranslateType(ttGetDefault);
  f.Lang->SetActiveLanguage(2);
  EXPECT_EQ(f.Grid->Caption(), u"Başlık");  // language 1's value
  f.Lang->SetTranslateType(ttNoChange);
  f.Lang->SetUseDefaultLanguage(true);
  f.Lang->SetDefaultLanguage(3);
  f.Lang->SetActiveLanguage(1);
  f.Lang->SetActiveLanguage(2);
  EXPECT_EQ(f.Grid->Hint(), u"Tip");  // the default language's value
}

TEST(ExtendedTranslations, TranslatedTextPassesTheWriteHook) {
  TFormWithLang f;
  f.Extended(u"Grid.Caption", u"Bir|One|");
  static std::vector<std::string> seen;
  seen.clear();
  qlWriteStrPropHook = [](TObject*, const TPropInfo* Prop, String& Text) {
    seen.push_back(UTF16ToUTF8(Prop->Name + u"=" + Text));
    Text += u"!";
  };
  f.Lang->SetActiveLanguage(2);
  qlWriteStrPropHook = nullptr;
  EXPECT_EQ(seen, (std::vector<std::string>{"Caption=One"}));
  EXPECT_EQ(f.Grid->Caption(), u"One!");
}

TEST(ExtendedTranslations, RefreshStoresTheEditedTextInTheActiveLanguage) {
  TFormWithLang f;
  TqlExtendedItem* caption = f.Extended(u"Grid.Caption", u"Eski|Old|");
  f.Extended(u"Gone.Caption", u"a|b|");
  f.Lang->SetActiveLanguage(2);
  f.Grid->SetCaption(u"New");
  f.Lang->BuildList();
  ASSERT_EQ(f.Lang->ExtendedTranslations()->Count(), 1);
  EXPECT_EQ(Show(caption->Values()), "Eski|New|");
  EXPECT_EQ(f.Lang->ExtendedTranslations()->Find(u"grid.caption"), caption);
  EXPECT_EQ(f.Lang->ExtendedTranslations()->Find(u"Grid.Hint"), nullptr);
}
