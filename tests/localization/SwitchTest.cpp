// Switching a real form, read from its form file, between Turkish and
// English: the controls' texts, fonts and lists, the resource strings of the
// library and of the program's string table, and damaged lines.
#include <gtest/gtest.h>

#include "localization/qlComp.h"
#include "platform/backend/Headless.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Resources.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "lib/foundation/vlVariants.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/localization/SwitchFixture.h"

using namespace loc_test;

namespace loc_test {

CL_IMPLEMENT_CLASS(TSwitchForm)

void SwitchFixture::SetUp() {
  if (!GetClass(u"TSwitchForm")) RegisterClass(TSwitchForm::StaticClass());
  Form = NewBy<TSwitchForm>(&TSwitchForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  ReadForm(FormBinary(ReadFile(std::string(CL_SOURCE_DIR) + "/tests/localization/SwitchForm.dfm")), Form);
  Lang = static_cast<TqlCustomLang*>(Form->FindComponent(u"qlLang1"));
}

void SwitchFixture::TearDown() { Free(Form); }

TControl* SwitchFixture::Control(const char16_t* Name) { return static_cast<TControl*>(Form->FindComponent(Name)); }

}  // namespace loc_test

namespace {

std::vector<String> Items(TStrings* S) {
  std::vector<String> r;
  for (Integer i = 0; i < S->Count(); ++i) r.push_back(S->Strings(i));
  return r;
}

// A string table block (identifiers 4000 to 4015) of the program.
std::string StringBlock(std::initializer_list<std::u16string> Texts) {
  std::string out;
  size_t n = 0;
  for (const auto& t : Texts) {
    out += char(t.size() & 0xFF);
    out += char(t.size() >> 8);
    for (char16_t c : t) {
      out += char(c & 0xFF);
      out += char(c >> 8);
    }
    ++n;
  }
  for (; n < 16; ++n) out += std::string(2, '\0');
  return out;
}

}  // namespace

TEST_F(SwitchFixture, TheFormSwitchesToEnglishAndBackKeepingTheListIndexAndTheMemoLines) {
  ASSERT_NE(Lang, nullptr);
  auto* memo = static_cast<TMemo*>(Control(u"Memo1"));
  auto* list = static_cast<TListBox*>(Control(u"ListBox1"));
  auto* combo = static_cast<TComboBox*>(Control(u"ComboBox1"));
  Form->Show();
  Application->ProcessMessages();
  list->SetItemIndex(2);
  combo->SetItemIndex(1);
  ASSERT_TRUE(memo->WordWrap());
  struct TCase {
    Integer Language;
    String FormCaption, LabelCaption, ButtonCaption, ButtonHint, FormFont, SpeedFont;
    Byte Charset;
    std::vector<String> Memo, List, Combo;
  };
  const TCase cases[] = {
      {2, u"Serial Port Selection", u"Speed:", u"&OK", u"Confirm the choice", u"Arial", u"Courier New",
       ANSI_CHARSET, {u"Insert the card", u"Wait"}, {u"One", u"Two", u"Three"}, {u"Slow", u"Fast"}},
      {1, u"Seri Port Seçimi", u"Hız:", u"&TAMAM", u"Seçimi onayla", u"Tahoma", u"Tahoma", TURKISH_CHARSET,
       {u"Kart takın", u"Bekleyin"}, {u"Bir", u"İki", u"Üç"}, {u"Yavaş", u"Hızlı"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Language);
    Lang->SetActiveLanguage(c.Language);
    EXPECT_EQ(Form->Caption(), c.FormCaption);
    EXPECT_EQ(Control(u"lbSpeed")->Caption(), c.LabelCaption);
    EXPECT_EQ(Control(u"btOK")->Caption(), c.ButtonCaption);
    EXPECT_EQ(Control(u"btOK")->Hint(), c.ButtonHint);
    EXPECT_EQ(Form->Font()->Name(), c.FormFont);
    EXPECT_EQ(Form->Font()->Charset(), c.Charset);
    // A label with its own font follows the Fonts and CharSets lines (the
    // character-set name matched without regard to case); one that takes
    // its parent's font keeps it.
    EXPECT_EQ(static_cast<TLabel*>(Control(u"lbSpeed"))->Font()->Name(), c.SpeedFont);
    EXPECT_EQ(static_cast<TLabel*>(Control(u"lbSpeed"))->Font()->Charset(), c.Charset);
    EXPECT_TRUE(static_cast<TLabel*>(Control(u"lbPort"))->ParentFont());
    EXPECT_EQ(static_cast<TLabel*>(Control(u"lbPort"))->Font()->Name(), c.FormFont);
    EXPECT_EQ(Items(memo->Lines()), c.Memo);
    EXPECT_TRUE(memo->WordWrap());
    EXPECT_EQ(Items(list->Items()), c.List);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(Items(combo->Items()), c.Combo);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(Lang->Language(), c.Language == 1 ? u"Türkçe" : u"English");
  }
}

TEST_F(SwitchFixture, ResourceStringsAreTranslatedUntilTheFormIsFreed) {
  static const std::string block = StringBlock({u"Port %s cannot be opened", u"Card loader not found"});
  static TResourceEntry entry{nullptr, 6, nullptr, 4000 / 16 + 1,
                              reinterpret_cast<const Byte*>(block.data()), block.size()};
  RegisterResources(&entry, 1);
  Lang->AddString(u"IDS_RES_4001", nullptr);
  ASSERT_EQ(qlResourceStringsTranslator(), Lang);
  auto raised = [] {
    try {
      throw EReadError(&vlSDataReadError);
    } catch (const Exception& E) {
      return E.Message();
    }
  };
  // The resources are written in English (language 2); Turkish is active.
  EXPECT_EQ(raised(), u"Veri okuma hatası");
  EXPECT_EQ(FmtLoadStr(4000, {TVarRec(String(u"COM3"))}), u"COM3 portu açılamıyor");
  EXPECT_EQ(LoadStr(4001), u"Card loader not found");  // no line of that text
  // Looked up by identifier first, below the limit.
  std::unique_ptr<TStringList, TObjectFree> values(New<TStringList>());
  values->Add(u"Kart yükleyici bulunamadı");
  Lang->AddString(u"IDS_RES_4001", values.get());
  qlResStringIDLimit = 5000;
  EXPECT_EQ(LoadStr(4001), u"Kart yükleyici bulunamadı");
  qlResStringIDLimit = 0;
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(raised(), u"Stream read error");
  Lang->SetActiveLanguage(1);
  EXPECT_EQ(raised(), u"Veri okuma hatası");

  // The form goes: the texts load untranslated, and the next component with
  // HandleResourceStrings becomes the translator.
  FreeAndNil(Form);
  EXPECT_EQ(qlResourceStringsTranslator(), nullptr);
  EXPECT_EQ(raised(), u"Stream read error");
  EXPECT_EQ(FmtLoadStr(4000, {TVarRec(String(u"COM3"))}), u"Port COM3 cannot be opened");
  SetUp();
  EXPECT_EQ(qlResourceStringsTranslator(), Lang);
  EXPECT_EQ(raised(), u"Veri okuma hatası");
  UnregisterResources(&entry, 1);
}

TEST_F(SwitchFixture, DamagedLinesNeverStopOrHalfDoTheSwitch) {
  // Lines without a delimiter, of components that are gone, with a path
  // that leads nowhere, and lines for properties that translation data must
  // not write: the rest of the form still switches.
  TTestControl* query = AddControl(Form, u"Query1");
  query->SetCaption(u"Sorgu");
  Lang->OtherStrings()->Add(L(u"Query1.Hint|ipucu|SELECT * FROM Cards|"));
  Lang->OtherStrings()->Add(L(u"Query1.Name|Query1|Hacked|"));
  Lang->OtherStrings()->Add(u"no delimiter at all");
  Lang->OtherStrings()->Add(L(u"Query1.Font.Name.Deep|a|b|"));
  Lang->Captions()->Insert(1, L(u"Gone|Yok|Gone|"));
  Lang->Captions()->Insert(2, L(u"btOK"));
  Lang->MultiLines()->Add(L(u"ListBox1.Nothing|a|b|"));
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(Control(u"btOK")->Caption(), u"&OK");
  EXPECT_EQ(Control(u"lbSpeed")->Caption(), u"Speed:");
  EXPECT_EQ(Form->Caption(), u"Serial Port Selection");
  EXPECT_EQ(query->Name(), u"Query1");
  EXPECT_EQ(query->Hint(), u"SELECT * FROM Cards");  // a hint is text
  Lang->SetActiveLanguage(1);
  EXPECT_EQ(Control(u"btOK")->Caption(), u"&TAMAM");
}

namespace {

// A query-like component: its command and connection are not text.
class TTestQuery : public TComponent {
  CL_CLASS(TTestQuery, TComponent)
 public:
  const String& CommandText() const { return FCommandText; }
  void SetCommandText(const String& Value) { FCommandText = Value; }
  const String& ConnectionString() const { return FConnectionString; }
  void SetConnectionString(const String& Value) { FConnectionString = Value; }
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }

 private:
  String FCommandText, FConnectionString, FHint;
};

}  // namespace

CL_IMPLEMENT_CLASS_PUBLISHED(TTestQuery, P) {
  P.Property(u"CommandText", &TTestQuery::CommandText, &TTestQuery::SetCommandText);
  P.Property(u"ConnectionString", &TTestQuery::ConnectionString, &TTestQuery::SetConnectionString);
  P.Property(u"Hint", &TTestQuery::Hint, &TTestQuery::SetHint);
}

// Translation data (a file a translator edits) may name any published
// property; a command or a connection string is never written from it,
// neither through OtherStrings nor through an extended translation.
TEST_F(SwitchFixture, TranslationDataNeverWritesCommandsOrConnections) {
  auto* query = New<TTestQuery>(static_cast<TComponent*>(Form));
  query->SetName(u"Cards");
  query->SetCommandText(u"SELECT * FROM Cards");
  query->SetConnectionString(u"Data Source=log.db");
  Lang->OtherStrings()->Add(L(u"Cards.CommandText|SELECT * FROM Cards|DELETE FROM Cards|"));
  Lang->OtherStrings()->Add(L(u"Cards.Hint|Kartlar|Cards|"));
  TqlExtendedItem* item = Lang->ExtendedTranslations()->Add();
  item->SetIdentifier(u"Cards.ConnectionString");
  item->SetValues(L(u"Data Source=log.db|Data Source=/tmp/other.db|"));
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(query->CommandText(), u"SELECT * FROM Cards");
  EXPECT_EQ(query->ConnectionString(), u"Data Source=log.db");
  EXPECT_EQ(query->Hint(), u"Cards");
  EXPECT_FALSE(Lang->IsTranslatableProperty(query, u"CommandText"));
  EXPECT_TRUE(Lang->IsTranslatableProperty(query, u"Hint"));
}

// Assigning one list applies that list; a later change (a dispatcher, a
// file load) applies every list again, not only the one assigned last.
TEST_F(SwitchFixture, AChangeAfterAListIsAssignedAppliesEveryList) {
  std::unique_ptr<TStringList, TObjectFree> hints(New<TStringList>());
  hints->Assign(Lang->Hints());
  hints->SetStrings(1, L(u"btOK|Onayla|Confirm|"));
  Lang->SetHints(hints.get());
  EXPECT_EQ(Control(u"btOK")->Hint(), u"Onayla");
  Lang->Captions()->SetStrings(3, L(u"btOK|&Evet|&Yes|"));
  Lang->ChangeLanguage();
  EXPECT_EQ(Control(u"btOK")->Caption(), u"&Evet");
}

// Locale items go into the process's settings only with ChangeLocales; a
// name list gives at most twelve months, from the first.
TEST_F(SwitchFixture, LocalesApplyOnlyWhenAsked) {
  const TFormatSettings saved = FormatSettings();
  Lang->Locales()->Clear();
  Lang->Locales()->Add(L(u"Short Month Names|Oca,Şub|\"Jan\",Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec,Extra|"));
  Lang->Locales()->Add(L(u"Long Day Names||Sunday,Monday,Tuesday,Wednesday,Thursday|"));
  Lang->Locales()->Add(L(u"Decimal Separator|,|.|"));
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(FormatSettings().DecimalSeparator, saved.DecimalSeparator);
  EXPECT_EQ(FormatSettings().ShortMonthNames[0], saved.ShortMonthNames[0]);
  Lang->SetActiveLanguage(1);
  Lang->SetChangeLocales(true);
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(FormatSettings().DecimalSeparator, u'.');
  EXPECT_EQ(FormatSettings().ShortMonthNames[0], u"Jan");
  EXPECT_EQ(FormatSettings().ShortMonthNames[11], u"Dec");
  EXPECT_EQ(FormatSettings().LongDayNames[4], u"Thursday");
  EXPECT_EQ(FormatSettings().LongDayNames[5], saved.LongDayNames[5]);
  Lang->SetActiveLanguage(1);
  EXPECT_EQ(FormatSettings().ShortMonthNames[0], u"Oca");
  EXPECT_EQ(FormatSettings().ShortMonthNames[2], u"Mar");  // only two names given
  EXPECT_EQ(FormatSettings().LongDayNames[0], u"Sunday");  // an empty value changes nothing
  FormatSettings() = saved;
}
