// The localization component: construction and defaults, one per owner,
// languages, setters, the loading steps, renaming and removal of components.
#include <gtest/gtest.h>

#include "localization/qlComp.h"
#include "localization/qlLngLnk.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "platform/vcl/Forms.h"
#include "tests/localization/LocalizationFixtures.h"

using namespace loc_test;

namespace {

std::string Message(const Exception& E) { return UTF16ToUTF8(E.Message()); }

}  // namespace

TEST(LangComponent, Defaults) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  EXPECT_EQ(lang->Version(), u"6.5");
  lang->SetVersion(u"7.0");
  EXPECT_EQ(lang->Version(), u"6.5");
  EXPECT_EQ(lang->NumOfLanguages(), 1);
  EXPECT_EQ(lang->ActiveLanguage(), 1);
  EXPECT_EQ(lang->LangDelim(), 1);
  EXPECT_EQ(Lines(lang->LangNames()), (std::vector<std::string>{"Language N1"}));
  EXPECT_EQ(lang->Language(), u"Language N1");
  EXPECT_EQ(lang->ExcludedProperties()->Count(), 20);
  EXPECT_EQ(lang->ExcludedProperties()->Strings(4), u"HelpKeyword");
  EXPECT_EQ(Lines(lang->StringsTypes()), (std::vector<std::string>{"TIB_STRINGLIST", "TSTRINGLIST"}));
  EXPECT_EQ(lang->ChangingCursor(), -1);
  EXPECT_TRUE(lang->AutoSkipEmpties());
  EXPECT_TRUE(lang->UseTaskMsgDlg());
  EXPECT_EQ(lang->ResourceLanguageIndex(), 1);
  EXPECT_EQ(lang->CurrentCharset, DEFAULT_CHARSET);
  ASSERT_EQ(lang->DlgsCaptions()->Count(), 15);
  EXPECT_EQ(Show(lang->DlgsCaptions()->Strings(0)), "Warning|Warning|");
  EXPECT_EQ(Show(lang->DlgsCaptions()->Strings(12)), "No To All|N&o to All|");
  EXPECT_EQ(Show(lang->DlgsCaptions()->Strings(13)), "Yes To All|Yes to &All|");
  // The locale snapshot of the process (Turkish).
  EXPECT_EQ(lang->LocaleSnapshot(2), u",");
  EXPECT_EQ(lang->LocaleSnapshot(11), u"Oca,Şub,Mar,Nis,May,Haz,Tem,Ağu,Eyl,Eki,Kas,Ara");
  // The owner publishes a TFont font, so fonts of components are applied;
  // an owner without one turns that off.
  EXPECT_FALSE(lang->DontHandleFonts());
  TOwned<TComponent> plain(New<TComponent>(nullptr));
  EXPECT_TRUE(New<TqlLang>(plain.get())->DontHandleFonts());
  EXPECT_TRUE(lang->IsStringsTypeClass(u"TStringList"));
  EXPECT_FALSE(lang->IsStringsTypeClass(u"TStrings"));
}

TEST(LangComponent, OneLocalizationComponentPerOwner) {
  auto form = NewForm();
  TqlLang* first = New<TqlLang>(form.get());
  for (int kind = 0; kind < 2; ++kind) {
    try {
      if (kind == 0)
        New<TqlLang>(form.get());
      else
        New<TqlLangLinked>(form.get());
      ADD_FAILURE() << "a second localization component was accepted";
    } catch (const Exception& E) {
      EXPECT_EQ(E.ClassName(), u"Exception");
      EXPECT_EQ(Message(E), "Only one TqlCustomLang component per Form/DataModule allowed!");
    }
  }
  ASSERT_EQ(form->ComponentCount(), 1);
  EXPECT_EQ(form->Components(0), first);
  // Without an owner there is no limit.
  TOwned<TqlLang> loose1(New<TqlLang>(nullptr));
  TOwned<TqlLang> loose2(New<TqlLang>(nullptr));
}

TEST(LangComponent, NumberOfLanguages) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNumOfLanguages(3);
  EXPECT_EQ(Lines(lang->LangNames()), (std::vector<std::string>{"Language N1", "Language N2", "Language N3"}));
  SetLines(lang->Captions(), {u"P|a|b|c|", u"Q|a|", u"R|a|b|c|d|"});
  SetLines(lang->Strings(), {u"Hello|a|"});
  lang->SetNumOfLanguages(2);
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"P|a|b|", "Q|a|", "R|a|b|"}));
  EXPECT_EQ(Lines(lang->LangNames()), (std::vector<std::string>{"Language N1", "Language N2"}));
  // At run time the Strings lines are padded for the new language.
  EXPECT_EQ(Lines(lang->Strings()), (std::vector<std::string>{"Hello|a||"}));
  lang->SetNumOfLanguages(3);
  EXPECT_EQ(Lines(lang->Strings()), (std::vector<std::string>{"Hello|a|||"}));
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"P|a|b|", "Q|a|", "R|a|b|"}));
  EXPECT_EQ(lang->LangNames()->Strings(2), u"Language N3");
  try {
    lang->SetNumOfLanguages(0);
    ADD_FAILURE();
  } catch (const ELanguageError& E) {
    EXPECT_EQ(Message(E), "0 - is not a valid property value !\rValue must be more than ZERO !");
  }
  EXPECT_EQ(lang->NumOfLanguages(), 3);
}

TEST(LangComponent, ActiveLanguageRangeAndVeto) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNumOfLanguages(2);
  struct {
    Integer Value;
  } const bad[] = {{0}, {3}, {-1}};
  for (const auto& c : bad) {
    try {
      lang->SetActiveLanguage(c.Value);
      ADD_FAILURE();
    } catch (const ELanguageError& E) {
      EXPECT_EQ(Message(E), "TComPortForm: " + std::to_string(c.Value) +
                                " - is not a valid property value!\rValue must be within [1..2]!");
    }
  }
  TOwned<TqlLang> loose(New<TqlLang>(nullptr));
  try {
    loose->SetActiveLanguage(0);
    ADD_FAILURE();
  } catch (const ELanguageError& E) {
    EXPECT_EQ(Message(E), "0 - is not a valid property value!\rValue must be within [1..1]!");
  }
  lang->LangNames()->SetStrings(1, u"English");
  Integer asked = 0;
  Boolean allow = false;
  struct Handler {
    Integer* Asked;
    Boolean* Allow;
    void Changing(TObject*, Integer NewLanguage, Boolean& AllowChange) {
      *Asked = NewLanguage;
      AllowChange = *Allow;
    }
  } handler{&asked, &allow};
  lang->SetOnLanguageChanging(TLanguageChangingEvent(&handler, &Handler::Changing));
  lang->SetActiveLanguage(2);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(lang->ActiveLanguage(), 1);
  allow = true;
  lang->SetActiveLanguage(2);
  EXPECT_EQ(lang->ActiveLanguage(), 2);
  EXPECT_EQ(lang->Language(), u"English");
  lang->SetOnLanguageChanging(TLanguageChangingEvent());
  lang->SetLanguage(u"language n1");
  EXPECT_EQ(lang->ActiveLanguage(), 1);
  try {
    lang->SetLanguage(u"Deutsch");
    ADD_FAILURE();
  } catch (const ELanguageError& E) {
    EXPECT_EQ(Message(E), "Language name shall be included in LangNames property!");
  }
}

TEST(LangComponent, LoadingIgnoresAnActiveLanguageOutOfRangeAndAddsUnknownNames) {
  auto form = NewForm();
  ReadForm(FormBinary("object ComPortForm: TComPortForm\n"
                      "  object qlLang1: TqlLang\n"
                      "    NumOfLanguages = 2\n"
                      "    ActiveLanguage = 5\n"
                      "    LangNames.Strings = ('A' 'B')\n"
                      "    Language = 'C'\n"
                      "    DefaultLanguage = 2\n"
                      "    NeedAllDlgs = True\n"
                      "  end\n"
                      "end\n"),
           form.get());
  auto* lang = static_cast<TqlLang*>(form->FindComponent(u"qlLang1"));
  ASSERT_NE(lang, nullptr);
  EXPECT_EQ(lang->ActiveLanguage(), 1);
  EXPECT_EQ(Lines(lang->LangNames()), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(lang->Language(), u"C");
  EXPECT_EQ(lang->DefaultLanguage(), 2);
  EXPECT_EQ(lang->DlgsCaptions()->Count(), 86);  // completed once loaded
}

TEST(LangComponent, DialogCaptionsFollowNeedAllDlgs) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNeedAllDlgs(true);
  ASSERT_EQ(lang->DlgsCaptions()->Count(), 86);
  EXPECT_EQ(Show(lang->DlgsCaptions()->Strings(15)), "Open|&Open|");
  EXPECT_EQ(Show(lang->DlgsCaptions()->Strings(38)), "Size:|Si&ze:|");
  EXPECT_EQ(Show(lang->DlgsCaptions()->Strings(85)), "Find|Find|");
  lang->SetNeedAllDlgs(false);
  EXPECT_EQ(lang->DlgsCaptions()->Count(), 15);
  // Twenty lines: completed to 86 when all are needed, kept otherwise.
  while (lang->DlgsCaptions()->Count() < 20) lang->DlgsCaptions()->Add(L(u"Extra|x|"));
  lang->SetNeedAllDlgs(true);
  EXPECT_EQ(lang->DlgsCaptions()->Count(), 86);
  EXPECT_EQ(Show(lang->DlgsCaptions()->Strings(20)), "Save|&Save|");
  TOwned<TqlLang> other(New<TqlLang>(nullptr));
  while (other->DlgsCaptions()->Count() < 20) other->DlgsCaptions()->Add(L(u"Extra|x|"));
  other->CompleteDialogCaptions();
  EXPECT_EQ(other->DlgsCaptions()->Count(), 20);
}

TEST(LangComponent, LoadedConvertsOlderDataAndPreparesTheLists) {
  auto form = NewForm();
  AddControl(form.get(), u"Label1");
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNumOfLanguages(2);
  // Tab-delimited captions (N + 1 tabs in the first line) from older data.
  SetLines(lang->Captions(), {u"Label1\tEtiket\tLabel\t"});
  SetLines(lang->Hints(), {u"Label1|İpucu|Hint|"});
  // Eleven locale lines, written before the last four items existed.
  lang->Locales()->Clear();
  for (int i = 0; i < 11; ++i) lang->Locales()->Add(L(u"Item|x|y|"));
  SetLines(lang->MultiLines(), {u"Label1.Items|a|b|", u"Label1.HelpKeyword|k|k|", u"Label1.Name|n|n|"});
  SetLines(lang->Collections(), {u"Label1.Columns[0].Caption|a|b|", u"Label1.Columns[1].HelpKeyword|a|b|",
                                 u"Label1.PickList[0].Caption|a|b|"});
  SetLines(lang->SmartExcludeProps(), {u"!TTestControl.Hint"});
  SetLines(lang->OtherStrings(), {u"Label1.Hint|h|h|", u"Label1.Caption|c|c|"});
  SetLines(lang->Strings(), {u"Hello|Merhaba|Hello|", u"Bye|Hoşça kal|Bye|"});
  SetLines(lang->CharSets(), {u"TComPortForm|TURKISH_CHARSET|RUSSIAN_CHARSET|"});
  lang->Loaded();
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"Label1|Etiket|Label|"}));
  ASSERT_EQ(lang->Locales()->Count(), 15);
  EXPECT_EQ(Show(lang->Locales()->Strings(11)), "Short Month Names|" + UTF16ToUTF8(lang->LocaleSnapshot(11)) + "|");
  EXPECT_EQ(Show(lang->Locales()->Strings(14)), "Long Day Names|" + UTF16ToUTF8(lang->LocaleSnapshot(14)) + "|");
  // Excluded properties and the name lose their lines.
  EXPECT_EQ(Lines(lang->MultiLines()), (std::vector<std::string>{"Label1.Items|a|b|"}));
  EXPECT_EQ(Lines(lang->Collections()), (std::vector<std::string>{"Label1.Columns[0].Caption|a|b|"}));
  // "!TTestControl.Hint" excludes the hints of every control of that class.
  EXPECT_EQ(Lines(lang->OtherStrings()), (std::vector<std::string>{"Label1.Caption|c|c|"}));
  EXPECT_EQ(lang->Hints()->Count(), 0);
  // A whole list goes when its property is excluded.
  lang->ExcludedProperties()->Add(u"caption");
  lang->ExcludeProperties();
  EXPECT_EQ(lang->Captions()->Count(), 0);
  EXPECT_EQ(lang->MultiLines()->Count(), 1);
  // At run time the identifier collection is built from Strings.
  ASSERT_EQ(lang->StringsColl()->Count(), 2);
  EXPECT_EQ(lang->StringsColl()->GetTranslationByID(u"hello", 1), u"Merhaba");
  // The character sets of the languages.
  EXPECT_EQ(lang->CharsetArray(), (std::vector<Byte>{TURKISH_CHARSET, RUSSIAN_CHARSET}));
  EXPECT_EQ(lang->CurrentCharset, TURKISH_CHARSET);
}

TEST(LangComponent, LoadedTurnsATabDelimiterIntoCharacterOne) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNumOfLanguages(2);
  SetLines(lang->Captions(), {u"Label1\ta\tb\t"});
  TqlExtendedItem* item = lang->ExtendedTranslations()->Add();
  item->SetIdentifier(u"Label1.Width");
  item->SetValues(u"8\t10\t");
  // Streamed with a tab delimiter and the common texts taken from elsewhere.
  auto other = NewForm();
  ReadForm(FormBinary("object ComPortForm: TComPortForm\n  object qlLang1: TqlLang\n    LangDelim = 9\n"
                      "    Options = [loUseExtCommonStrings]\n  end\nend\n"),
           other.get());
  auto* loaded = static_cast<TqlLang*>(other->FindComponent(u"qlLang1"));
  EXPECT_EQ(loaded->LangDelim(), 1);
  EXPECT_EQ(loaded->DlgsCaptions()->Count(), 0);
  EXPECT_EQ(loaded->Locales()->Count(), 0);
  // The same conversion applied to lines and extended values.
  lang->SetLangDelim(9);
  EXPECT_EQ(lang->LangDelim(), 9);
  EXPECT_EQ(UTF16ToUTF8(lang->DlgsCaptions()->Strings(0)), "Warning\tWarning\t\t");
  lang->SetLangDelim(1);
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"Label1|a|b|"}));
  EXPECT_EQ(Show(item->Values()), "8|10|");
}

TEST(LangComponent, AnOlderTabDelimitedFormIsConvertedInOrderWhenLoaded) {
  // Legacy 8-bit data delimited by tabs: the delimiter is converted before
  // the exclusions read the lines, the identifier collection is built from
  // the converted lines, and the language is applied last.
  const std::string payload =
      "stCaptions\r\nLabel1\tKap\xFD\tDoor\t\r\nstMultiLines\r\nLabel1.HelpKeyword\tk\tk\t\r\n"
      "stStrings\r\nHello\tMerhaba\tHi\t\r\nstCharSets\r\nTComPortForm\tTURKISH_CHARSET\tDEFAULT_CHARSET\t\r\n";
  std::string hex;
  for (unsigned char c : payload) {
    hex += "0123456789ABCDEF"[c >> 4];
    hex += "0123456789ABCDEF"[c & 15];
  }
  auto form = NewForm();
  ReadForm(FormBinary("object ComPortForm: TComPortForm\n  object Label1: TTestControl\n  end\n"
                      "  object qlLang1: TqlLang\n    IsInheritedOwner = True\n    NumOfLanguages = 2\n"
                      "    ActiveLanguage = 2\n    LangDelim = 9\n    ExtendedTranslations = <\n      item\n"
                      "        Identifier = 'Label1.Width'\n        ValuesEx = {4F044E0438000900310030000900}\n"
                      "      end>\n    TranslationData = {" + hex + "}\n  end\nend\n"),
           form.get());
  auto* lang = static_cast<TqlLang*>(form->FindComponent(u"qlLang1"));
  EXPECT_EQ(lang->LangDelim(), 1);
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"Label1|Kapı|Door|"}));
  EXPECT_EQ(lang->MultiLines()->Count(), 0);
  EXPECT_EQ(lang->StringsColl()->GetTranslationByID(u"hello", 2), u"Hi");
  EXPECT_EQ(Show(lang->ExtendedTranslations()->Items(0)->Values()), "8|10|");
  EXPECT_EQ(static_cast<TTestControl*>(form->FindComponent(u"Label1"))->Width(), 10);
  EXPECT_EQ(lang->CharsetArray(), (std::vector<Byte>{TURKISH_CHARSET, DEFAULT_CHARSET}));
  EXPECT_EQ(lang->CurrentCharset, DEFAULT_CHARSET);
}

TEST(LangComponent, LoadedAtDesignTimeNormalizesAndBindsExtendedTranslations) {
  auto form = NewForm();
  form->SetDesigning(true);
  TTestControl* label = AddControl(form.get(), u"Label1");
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNumOfLanguages(2);
  SetLines(lang->Strings(), {u"Hello|Merhaba|"});
  TqlExtendedItem* own = lang->ExtendedTranslations()->Add();
  own->SetIdentifier(u"TComPortForm.Caption");
  TqlExtendedItem* bound = lang->ExtendedTranslations()->Add();
  bound->SetIdentifier(u"Label1.Caption");
  lang->ExtendedTranslations()->Add()->SetIdentifier(u"Gone.Caption");
  lang->Loaded();
  EXPECT_EQ(Lines(lang->Strings()), (std::vector<std::string>{"Hello|Merhaba||"}));
  EXPECT_EQ(lang->StringsColl()->Count(), 0);
  ASSERT_EQ(lang->ExtendedTranslations()->Count(), 2);
  EXPECT_EQ(own->RelComponent(), form.get());
  EXPECT_EQ(bound->RelComponent(), label);
  EXPECT_TRUE(own->IsRoot());
  EXPECT_FALSE(bound->IsRoot());
  // An item follows its renamed component.
  label->SetName(u"Title");
  EXPECT_EQ(bound->Identifier(), u"Title.Caption");
}

TEST(LangComponent, RenamingAComponentRewritesOnlyTheKeys) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNumOfLanguages(2);
  SetLines(lang->Captions(), {u"Button1|Button1|Knopf|", u"Button10|Button1 kopya|x|", u"Label1|Button1|y|",
                              u"TComPortForm|Form|Form|"});
  SetLines(lang->MultiLines(), {u"Button1.Items|Button1,Button2|a|"});
  SetLines(lang->DoNotTranslate(), {u"Button1", u"Button10"});
  SetLines(lang->SmartExcludeProps(), {u"Button1.Hint"});
  lang->ExtendedTranslations()->Add()->SetIdentifier(u"Button1.Font.Size");
  lang->ExtendedTranslations()->Add()->SetIdentifier(u"Button10.Font.Size");
  lang->ComponentRenamed(u"Button1", u"OKButton");
  // The values keep the old name: they are the component's text, not its key.
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"OKButton|Button1|Knopf|", "Button10|Button1 kopya|x|",
                                                               "Label1|Button1|y|", "TComPortForm|Form|Form|"}));
  EXPECT_EQ(Lines(lang->MultiLines()), (std::vector<std::string>{"OKButton.Items|Button1,Button2|a|"}));
  EXPECT_EQ(Lines(lang->DoNotTranslate()), (std::vector<std::string>{"OKButton", "Button10"}));
  EXPECT_EQ(Lines(lang->SmartExcludeProps()), (std::vector<std::string>{"OKButton.Hint"}));
  EXPECT_EQ(lang->ExtendedTranslations()->Items(0)->Identifier(), u"OKButton.Font.Size");
  EXPECT_EQ(lang->ExtendedTranslations()->Items(1)->Identifier(), u"Button10.Font.Size");
  // Renaming the form moves the lines keyed by its class name.
  lang->ComponentRenamed(u"ComPortForm", u"PortForm");
  EXPECT_EQ(Show(lang->Captions()->Strings(3)), "TPortForm|Form|Form|");
  lang->ComponentRenamed(u"Label1", u"");
  EXPECT_EQ(Show(lang->Captions()->Strings(2)), "Label1|Button1|y|");
}

TEST(LangComponent, RenamingFindsOneCharacterKeysAndIgnoresAFirstName) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  SetLines(lang->Captions(), {u"A|a|", u"AB|A|", u"", u"x"});
  SetLines(lang->DoNotTranslate(), {u"A", u"", u"."});
  // A component getting its first name has no lines: nothing changes (an
  // empty line or a one-character line is no key of the empty name).
  lang->ComponentRenamed(u"", u"Button1");
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"A|a|", "AB|A|", "", "x"}));
  EXPECT_EQ(Lines(lang->DoNotTranslate()), (std::vector<std::string>{"A", "", "."}));
  // A one-character name is a key like any other.
  lang->ComponentRenamed(u"A", u"OKButton");
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"OKButton|a|", "AB|A|", "", "x"}));
  EXPECT_EQ(Lines(lang->DoNotTranslate()), (std::vector<std::string>{"OKButton", "", "."}));
}

TEST(LangComponent, RemovingAComponent) {
  auto form = NewForm();
  form->SetDesigning(true);
  TTestControl* label = AddControl(form.get(), u"Label1");
  TTestControl* other = AddControl(form.get(), u"Label10");
  TqlLang* lang = New<TqlLang>(form.get());
  SetLines(lang->Captions(), {u"Label1|a|", u"Label10|b|"});
  SetLines(lang->MultiLines(), {u"Label1.Items|a|", u"Label10.Items|b|"});
  SetLines(lang->CharSets(), {u"Label1|ANSI_CHARSET|"});
  SetLines(lang->DoNotTranslate(), {u"Label1"});
  lang->ExtendedTranslations()->Add()->SetIdentifier(u"Label1.Width");
  lang->IgnoreRemoval = true;
  Free(other);
  EXPECT_EQ(lang->Captions()->Count(), 2);  // ignored at design time
  lang->IgnoreRemoval = false;
  Free(label);
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"Label10|b|"}));
  EXPECT_EQ(Lines(lang->MultiLines()), (std::vector<std::string>{"Label10.Items|b|"}));
  EXPECT_EQ(lang->CharSets()->Count(), 0);
  EXPECT_EQ(lang->DoNotTranslate()->Count(), 0);
  EXPECT_EQ(lang->ExtendedTranslations()->Count(), 0);
  // At run time the lines stay; the extended translations go.
  auto run = NewForm();
  TTestControl* button = AddControl(run.get(), u"Button1");
  TqlLang* runLang = New<TqlLang>(run.get());
  SetLines(runLang->Captions(), {u"Button1|a|"});
  TqlExtendedItem* item = runLang->ExtendedTranslations()->Add();
  item->SetIdentifier(u"Button1.Width");
  item->SetRelComponent(button);
  Free(button);
  EXPECT_EQ(runLang->Captions()->Count(), 1);
  EXPECT_EQ(runLang->ExtendedTranslations()->Count(), 0);
}

TEST(LangComponent, AnIgnoredRemovalLeavesNoItemBoundToTheFreedComponent) {
  auto form = NewForm();
  form->SetDesigning(true);
  TTestControl* label = AddControl(form.get(), u"Label1");
  TqlLang* lang = New<TqlLang>(form.get());
  SetLines(lang->Captions(), {u"Label1|a|"});
  TqlExtendedItem* item = lang->ExtendedTranslations()->Add();
  item->SetIdentifier(u"Label1.Caption");
  lang->Loaded();
  ASSERT_EQ(item->RelComponent(), label);
  label->SetName(u"Title");
  lang->IgnoreRemoval = true;
  Free(label);
  // The lines and the item stay (the removal is ignored), but the item no
  // longer reads the freed component's name.
  EXPECT_EQ(lang->Captions()->Count(), 1);
  ASSERT_EQ(lang->ExtendedTranslations()->Count(), 1);
  EXPECT_EQ(item->RelComponent(), nullptr);
  EXPECT_EQ(item->Identifier(), u"Label1.Caption");
}

TEST(LangComponent, SettersOfListsAndLocales) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  TOwned<TStringList> lines(New<TStringList>());
  SetLines(lines.get(), {u"A|x|"});
  lang->SetCaptions(lines.get());
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"A|x|"}));
  // The assigned list's kind is applied by that one change only; the next
  // change applies every list again.
  EXPECT_EQ(lang->PropForChange(), -1);
  lang->Locales()->Clear();
  lang->SetChangeLocales(true);
  ASSERT_EQ(lang->Locales()->Count(), 15);
  EXPECT_EQ(Show(lang->Locales()->Strings(0)), "Currency String|TL|");
  EXPECT_EQ(Show(lang->Locales()->Strings(2)), "Decimal Separator|,|");
  try {
    lang->SetResourceLanguageIndex(0);
    ADD_FAILURE();
  } catch (const ELanguageError& E) {
    EXPECT_EQ(Message(E), "0 - is not a valid property value!\rValue must be within [1..1]!");
  }
  lang->SetDefaultLanguage(5);
  EXPECT_EQ(lang->DefaultLanguage(), 1);
  TOwned<TStringList> names(New<TStringList>());
  SetLines(names.get(), {u"Türkçe", u"English", u"Deutsch"});
  lang->SetLangNames(names.get());
  EXPECT_EQ(lang->NumOfLanguages(), 3);
  EXPECT_EQ(lang->Language(), u"Türkçe");
}

TEST(LangLinked, CopiesDialogCaptionsAndLocalesFromItsContainer) {
  auto main = NewForm();
  TqlLang* container = New<TqlLang>(main.get());
  container->SetNumOfLanguages(2);
  container->SetLangDelim(9);
  SetLines(container->DlgsCaptions(), {u"Warning\tWarning\tUyarı\t"});
  SetLines(container->Locales(), {u"Decimal Separator\t.\t,\t"});
  auto port = NewForm();
  TqlLangLinked* linked = New<TqlLangLinked>(port.get());
  linked->SetNumOfLanguages(2);
  linked->SetCommonContainer(linked);
  EXPECT_EQ(linked->CommonContainer(), nullptr);
  linked->SetCommonContainer(container);
  EXPECT_EQ(Lines(linked->DlgsCaptions()), (std::vector<std::string>{"Warning|Warning|Uyarı|"}));
  EXPECT_EQ(Lines(linked->Locales()), (std::vector<std::string>{"Decimal Separator|.|,|"}));
  // The list of a kind is found only among the published lists.
  EXPECT_EQ(linked->GetPropListByType(stDlgsCaptions), nullptr);
  EXPECT_EQ(linked->GetPropListByType(stLocales), nullptr);
  EXPECT_EQ(linked->GetPropListByType(stCaptions), linked->Captions());
  EXPECT_EQ(container->GetPropListByType(stLocales), container->Locales());
  EXPECT_EQ(container->GetPropListByType(stListView_TreeView_Items), nullptr);
  main.reset();
  EXPECT_EQ(linked->CommonContainer(), nullptr);
  EXPECT_EQ(linked->DlgsCaptions()->Count(), 1);
}

TEST(LangLinked, AtDesignTimeKeepsNoCommonTexts) {
  auto port = NewForm();
  port->SetDesigning(true);
  TqlLangLinked* linked = New<TqlLangLinked>(port.get());
  EXPECT_EQ(linked->DlgsCaptions()->Count(), 15);
  linked->Loaded();
  EXPECT_EQ(linked->DlgsCaptions()->Count(), 0);
  EXPECT_EQ(linked->Locales()->Count(), 0);
}

TEST(LangComponent, AChangingCursorIsShownWhileTheLanguageChanges) {
  ASSERT_NE(Screen, nullptr);
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  lang->SetNumOfLanguages(2);
  lang->SetChangingCursor(crHourGlass);
  static TCursor during;
  during = crDefault;
  struct Handler {
    void Changing(TObject*, Integer, Boolean&) { during = Screen->Cursor(); }
  } handler;
  lang->SetOnLanguageChanging(TLanguageChangingEvent(&handler, &Handler::Changing));
  lang->SetActiveLanguage(2);
  EXPECT_EQ(during, crHourGlass);
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST(LangComponent, AnInheritedOwnerAppliesItsLanguageWhenLoaded) {
  for (Boolean inherited : {false, true}) {
    auto form = NewForm();
    ReadForm(FormBinary(std::string("object ComPortForm: TComPortForm\n"
                                    "  object Label1: TTestControl\n    Caption = 'Kapat'\n  end\n"
                                    "  object qlLang1: TqlLang\n    IsInheritedOwner = ") +
                        (inherited ? "True" : "False") +
                        "\n    NumOfLanguages = 2\n    ActiveLanguage = 2\n"
                        "    ExtendedTranslations = <\n      item\n        Identifier = 'Label1.Caption'\n"
                        "        ValuesEx = {4F044E044B006100700061007400010043006C006F00730065000100}\n"
                        "      end>\n  end\nend\n"),
             form.get());
    auto* label = static_cast<TTestControl*>(form->FindComponent(u"Label1"));
    EXPECT_EQ(label->Caption(), inherited ? u"Close" : u"Kapat");
  }
}

TEST(LangComponent, PropertyAccessByName) {
  auto form = NewForm();
  TTestControl* label = AddControl(form.get(), u"Label1");
  TqlLang* lang = New<TqlLang>(form.get());
  label->Font()->SetName(u"Arial");
  label->Font()->SetCharset(TURKISH_CHARSET);
  EXPECT_TRUE(lang->HasProperty(label, u"font", TTypeKinds{tkClass}, u"TFONT"));
  EXPECT_FALSE(lang->HasProperty(label, u"Font", TTypeKinds{tkClass}, u"TStrings"));
  EXPECT_FALSE(lang->HasProperty(label, u"Font", qlStringKinds));
  EXPECT_FALSE(lang->HasProperty(nullptr, u"Font", qlAllKinds));
  EXPECT_EQ(lang->GetFontName(label), u"Arial");
  EXPECT_EQ(lang->GetFontCharset(label), TURKISH_CHARSET);
  EXPECT_EQ(lang->GetFontName(lang), u"");
  EXPECT_EQ(lang->GetFontCharset(lang), 0);
  lang->SetStrPropValue(label, u"Caption", u"Tamam");
  lang->SetStrPropByName(label, u"Hint", u"İpucu");
  lang->SetStrPropValue(label, u"Width", u"5");  // not a string property: nothing
  EXPECT_EQ(lang->GetStrPropValue(label, u"caption"), u"Tamam");
  EXPECT_EQ(label->Hint(), u"İpucu");
  EXPECT_EQ(label->Width(), 0);
  EXPECT_EQ(lang->GetStrPropValue(label, u"Missing"), u"");
  EXPECT_EQ(lang->GetStrPropValue(nullptr, u"Caption"), u"");
}

TEST(LangComponent, PublishedPropertyLists) {
  auto form = NewForm();
  TTestControl* label = AddControl(form.get(), u"Label1");
  try {
    New<TqlPropInfoList>(nullptr, qlAllKinds);
    ADD_FAILURE();
  } catch (const Exception& E) {
    EXPECT_EQ(Message(E), "NIL passed as AObject in TqlPropInfoList.Create!");
  }
  TOwned<TqlPropInfoList> all(New<TqlPropInfoList>(label, qlAllKinds));
  TOwned<TqlPropInfoList> strings(New<TqlPropInfoList>(label, qlStringKinds));
  TOwned<TqlPropInfoList> classes(New<TqlPropInfoList>(label, qlClassKinds));
  auto names = [](TqlPropInfoList* List) {
    std::vector<std::string> out;
    for (Integer i = 0; i < List->Count(); ++i) out.push_back(UTF16ToUTF8(List->Items(i)->Name));
    return out;
  };
  EXPECT_EQ(names(strings.get()), (std::vector<std::string>{"Caption", "Hint", "Name"}));
  EXPECT_EQ(names(classes.get()), (std::vector<std::string>{"Columns", "Font", "Items"}));
  EXPECT_NE(all->Find(u"WIDTH"), nullptr);
  EXPECT_EQ(all->Find(u"Nothing"), nullptr);
  EXPECT_TRUE(all->Contains(strings->Items(0)));
  EXPECT_FALSE(classes->Contains(strings->Items(0)));
  all->Intersect(strings.get());
  EXPECT_EQ(names(all.get()), names(strings.get()));
  all->Delete(0);
  EXPECT_EQ(names(all.get()), (std::vector<std::string>{"Hint", "Name"}));
}
