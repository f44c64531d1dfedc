// The language dispatcher: linking, the language names and count, switching
// with a veto, loading files into every component, and the test modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "localization/qlBinFiles.h"
#include "localization/qlComp.h"
#include "localization/qlDispatcher.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/support/TestSupport.h"

using namespace loc_test;

namespace loc_test {

class TSecondForm : public TComPortForm {
  CL_CLASS(TSecondForm, TComPortForm)
};
CL_IMPLEMENT_CLASS(TSecondForm)

// Records the events and vetoes the change when asked.
class TRecorder : public TObject {
  CL_CLASS(TRecorder, TObject)
 public:
  void Changing(TObject* Sender, Integer NewLanguage, Boolean& AllowChange) {
    Events.push_back((Sender == Who ? "changing " : "other changing ") + std::to_string(NewLanguage));
    if (Veto) AllowChange = false;
  }
  void Changed(TObject*) { Events.push_back("changed"); }
  TObject* Who{};
  Boolean Veto{};
  std::vector<std::string> Events;
};
CL_IMPLEMENT_CLASS(TRecorder)

// Frees a form when the language of the component it watches changes (a
// form closed from the change's event).
class TFormCloser : public TObject {
  CL_CLASS(TFormCloser, TObject)
 public:
  void Changed(TObject*) {
    if (Victim) Victim->reset();
  }
  TOwned<TComPortForm>* Victim{};
};
CL_IMPLEMENT_CLASS(TFormCloser)

}  // namespace loc_test

namespace {

std::string TempFile(const std::string& Name) { return testing_support::MakeTempDir("dispatcher") + "/" + Name; }

void WriteBytes(const std::string& Path, const std::string& Data) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out << Data;
}

// A main form with the dispatcher and two forms with their components.
struct TApp {
  TApp() {
    Main = NewForm();
    Main->SetName(u"MainForm");
    Dispatcher = New<TqlLangDispatcher>(Main.get());
    TOwned<TStringList> names(New<TStringList>());
    names->Add(u"Türkçe");
    names->Add(u"English");
    Dispatcher->SetLangNames(names.get());
    First.reset(New<TComPortForm>(nullptr));
    First->SetName(u"ComPortForm");
    Second.reset(New<TSecondForm>(nullptr));
    Second->SetName(u"SecondForm");
    A = New<TqlLang>(First.get());
    B = New<TqlLang>(Second.get());
  }
  void Link() {
    A->SetLangDispatcher(Dispatcher);
    B->SetLangDispatcher(Dispatcher);
  }
  TOwned<TComPortForm> Main;
  TqlLangDispatcher* Dispatcher{};
  TOwned<TComPortForm> First;
  TOwned<TComPortForm> Second;
  TqlLang* A{};
  TqlLang* B{};
};

std::string ErrorOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const Exception& E) {
    return UTF16ToUTF8(E.Message());
  }
  return "";
}

}  // namespace

TEST(Dispatcher, LinkedComponentsTakeItsLanguages) {
  TApp app;
  app.Link();
  EXPECT_EQ(app.Dispatcher->QlLangsCount(), 2);
  EXPECT_EQ(Lines(app.A->LangNames()), (std::vector<std::string>{"Türkçe", "English"}));
  EXPECT_EQ(app.B->NumOfLanguages(), 2);
  EXPECT_EQ(app.A->Language(), u"Türkçe");
  app.Dispatcher->SetNumOfLanguages(3);
  EXPECT_EQ(Lines(app.Dispatcher->LangNames()), (std::vector<std::string>{"Türkçe", "English", "Language N3"}));
  EXPECT_EQ(app.A->NumOfLanguages(), 3);
  EXPECT_EQ(app.B->NumOfLanguages(), 3);
  EXPECT_THROW(app.Dispatcher->SetNumOfLanguages(0), ELanguageError);
  EXPECT_EQ(app.A->NumOfLanguages(), 3);

  app.Dispatcher->SetDefaultLanguage(2);
  app.Dispatcher->SetDefaultLanguage(9);  // ignored
  app.Dispatcher->SetUseDefaultLanguage(true);
  EXPECT_EQ(app.A->DefaultLanguage(), 2);
  EXPECT_TRUE(app.B->UseDefaultLanguage());

  // A new dispatcher: three languages named by number.
  TqlLangDispatcher* fresh = New<TqlLangDispatcher>(app.Main.get());
  EXPECT_EQ(Lines(fresh->LangNames()), (std::vector<std::string>{"Language N1"}));
  fresh->SetNumOfLanguages(3);
  EXPECT_EQ(Lines(fresh->LangNames()), (std::vector<std::string>{"Language N1", "Language N2", "Language N3"}));

  // Unlinking: a component freed first, then the dispatcher.
  app.Second.reset();
  EXPECT_EQ(app.Dispatcher->QlLangsCount(), 1);
  Free(app.Dispatcher);
  EXPECT_EQ(app.A->LangDispatcher(), nullptr);
}

TEST(Dispatcher, ChangingTheLanguageAsksEveryComponentFirst) {
  TApp app;
  app.Link();
  TOwned<TRecorder> rec(New<TRecorder>());
  rec->Who = app.Dispatcher;
  app.Dispatcher->SetOnLanguageChanging(TLanguageChangingEvent(rec.get(), &TRecorder::Changing));
  app.Dispatcher->SetOnLanguageChanged(TNotifyEvent(rec.get(), &TRecorder::Changed));
  app.B->SetOnLanguageChanging(TLanguageChangingEvent(rec.get(), &TRecorder::Changing));

  app.Dispatcher->SetActiveLanguage(1);  // the current one: no event
  EXPECT_TRUE(rec->Events.empty());

  app.Dispatcher->SetActiveLanguage(2);
  // The component's own event runs once, from the dispatcher.
  EXPECT_EQ(rec->Events, (std::vector<std::string>{"changing 2", "other changing 2", "changed"}));
  EXPECT_EQ(app.A->ActiveLanguage(), 2);
  EXPECT_EQ(app.B->Language(), u"English");
  EXPECT_EQ(app.Dispatcher->Language(), u"English");

  // A veto of one component keeps every component and the dispatcher.
  rec->Events.clear();
  rec->Veto = true;
  rec->Who = nullptr;
  app.Dispatcher->SetOnLanguageChanging(TLanguageChangingEvent());
  app.Dispatcher->SetActiveLanguage(1);
  EXPECT_EQ(rec->Events, (std::vector<std::string>{"other changing 1"}));
  EXPECT_EQ(app.Dispatcher->ActiveLanguage(), 2);
  EXPECT_EQ(app.A->ActiveLanguage(), 2);
  EXPECT_EQ(app.B->ActiveLanguage(), 2);

  // By name.
  rec->Veto = false;
  app.Dispatcher->SetLanguage(u"türkçe");
  EXPECT_EQ(app.A->ActiveLanguage(), 1);
  EXPECT_EQ(ErrorOf([&] { app.Dispatcher->SetLanguage(u"Deutsch"); }),
            "Language name shall be included in LangNames property!");
}

TEST(Dispatcher, ALanguageOutOfRangeIsRefusedBeforeAnythingChanges) {
  TApp app;
  app.Link();
  TOwned<TRecorder> rec(New<TRecorder>());
  app.Dispatcher->SetOnLanguageChanged(TNotifyEvent(rec.get(), &TRecorder::Changed));
  for (Integer value : {0, 3}) {
    EXPECT_EQ(ErrorOf([&] { app.Dispatcher->SetActiveLanguage(value); }),
              "TComPortForm: " + std::to_string(value) + " - is not a valid property value!\rValue must be within [1..2]!");
    EXPECT_EQ(app.Dispatcher->ActiveLanguage(), 1);
    EXPECT_EQ(app.Dispatcher->Language(), u"Türkçe");
    EXPECT_EQ(app.A->ActiveLanguage(), 1);
  }
  EXPECT_TRUE(rec->Events.empty());
  // A later valid change still works.
  app.Dispatcher->SetActiveLanguage(2);
  EXPECT_EQ(app.B->ActiveLanguage(), 2);
}

TEST(Dispatcher, AComponentLinkingAtRunTimeLoadsTheDispatchersTextFile) {
  const std::string path = TempFile("app.lng");
  WriteBytes(path,
             "\xEF\xBB\xBF[Language names - for internal use only!]\r\nLanguage_1=Türkçe\r\nLanguage_2=English\r\n"
             "Language_3=Deutsch\r\n[Captions]\r\nTComPortForm.TComPortForm=Port~!@#Port EN~!@#Anschluss~!@#\r\n"
             "TSecondForm.B=b~!@#B~!@#bb~!@#\r\n");
  TApp app;
  app.Dispatcher->SetFileName(UTF8ToUTF16(path));
  app.Dispatcher->SetActiveLanguage(2);
  app.A->SetLangDispatcher(app.Dispatcher);
  EXPECT_EQ(Lines(app.A->Captions()), (std::vector<std::string>{"TComPortForm|Port|Port EN|Anschluss|"}));
  EXPECT_EQ(app.A->ActiveLanguage(), 2);
  EXPECT_EQ(app.A->Language(), u"English");
  EXPECT_EQ(Lines(app.Dispatcher->LangNames()), (std::vector<std::string>{"Türkçe", "English", "Deutsch"}));
  EXPECT_EQ(app.Dispatcher->NumOfLanguages(), 3);

  // Loading the file again into every linked component.
  app.B->SetLangDispatcher(app.Dispatcher);
  SetLines(app.A->Captions(), {u"Stale|s|S|x|"});
  app.Dispatcher->LoadAllFromFile(UTF8ToUTF16(path));
  EXPECT_EQ(Lines(app.A->Captions()), (std::vector<std::string>{"TComPortForm|Port|Port EN|Anschluss|"}));
  EXPECT_EQ(Lines(app.B->Captions()), (std::vector<std::string>{"B|b|B|bb|"}));
  EXPECT_EQ(app.B->NumOfLanguages(), 3);

  // A missing file changes no component.
  EXPECT_THROW(app.Dispatcher->LoadAllFromFile(UTF8ToUTF16(path + ".missing")), Exception);
  EXPECT_EQ(Lines(app.B->Captions()), (std::vector<std::string>{"B|b|B|bb|"}));
}

TEST(Dispatcher, BinaryFilesForAllComponents) {
  const std::string path = TempFile("app.qlb");
  TApp app;
  app.Link();
  SetLines(app.A->Captions(), {u"A|a|A|"});
  SetLines(app.B->Captions(), {u"B|b|B|"});
  app.Dispatcher->SaveAllToBinaryFile(UTF8ToUTF16(path));
  SetLines(app.A->Captions(), {});
  SetLines(app.B->Captions(), {});
  app.Dispatcher->LoadAllFromFile(UTF8ToUTF16(path));
  EXPECT_EQ(Lines(app.A->Captions()), (std::vector<std::string>{"A|a|A|"}));
  EXPECT_EQ(Lines(app.B->Captions()), (std::vector<std::string>{"B|b|B|"}));

  // A file whose second entry is damaged changes neither component.
  std::string bytes = ReadFile(path);
  TOwned<TMemoryStream> s(New<TMemoryStream>());
  bytes.resize(bytes.size() - 20);
  s->WriteBuffer(bytes.data(), Integer(bytes.size()));
  SetLines(app.A->Captions(), {u"Mine|m|M|"});
  EXPECT_THROW(app.Dispatcher->LoadAllFromStream(s.get()), Exception);
  EXPECT_EQ(Lines(app.A->Captions()), (std::vector<std::string>{"Mine|m|M|"}));

  // A component linking to a dispatcher with a binary file gets its entry.
  app.Dispatcher->SetFileName(UTF8ToUTF16(path));
  TOwned<TComPortForm> third(New<TComPortForm>(nullptr));
  third->SetName(u"Third");
  TqlLang* c = New<TqlLang>(third.get());
  c->SetLangDispatcher(app.Dispatcher);
  EXPECT_NE(app.Dispatcher->QLBManager(), nullptr);
  EXPECT_EQ(Lines(c->Captions()), (std::vector<std::string>{"A|a|A|"}));
}

TEST(Dispatcher, TestModes) {
  TApp app;
  app.Link();
  TTestModeInfo* info = app.Dispatcher->TestModeInfo();
  EXPECT_FALSE(info->Active());
  EXPECT_EQ(info->Kind(), tmkExpandWidth);
  EXPECT_EQ(info->ExpandWidthPercent(), 100);
  EXPECT_EQ(info->PaddingChar(), u'*');

  info->SetKind(tmkFlipCase);
  EXPECT_EQ(ApplyTestMode(app.A, u"Ok"), u"oK");
  info->SetKind(tmkExpandChars);
  info->SetExpandCharsPercent(50);
  EXPECT_EQ(ApplyTestMode(app.A, u"Abcd"), u"Abc*d*");
  EXPECT_EQ(ApplyTestMode(app.A, u"%d files"), u"%d files");

  info->SetKind(tmkExpandWidth);
  info->SetExpandWidthPercent(100);
  TOwned<TCanvas> canvas(New<TCanvas>());
  win::HDC dc = win::GetDC(nullptr);
  canvas->SetHandle(dc);
  canvas->Font()->SetName(u"Tahoma");
  canvas->Font()->SetSize(8);
  const String text = u"Seri port";
  const String wide = ApplyTestMode(app.A, text);
  EXPECT_EQ(Copy(wide, 1, 1), u"S");
  EXPECT_NE(Pos(u'*', wide), 0);
  String bare = wide;
  bare.erase(std::remove(bare.begin(), bare.end(), u'*'), bare.end());
  EXPECT_EQ(bare, u"SERİ PORT");  // upper case by the (Turkish) locale
  EXPECT_GE(canvas->TextWidth(wide), 2 * canvas->TextWidth(text));
  // A padding character without width would never widen the text.
  const Boolean zeroWidth = canvas->TextWidth(String(1, Char(0x200B))) == 0;
  canvas->SetHandle(nullptr);
  win::ReleaseDC(nullptr, dc);
  info->SetPaddingChar(Char(0x200B));
  ASSERT_TRUE(zeroWidth);
  EXPECT_EQ(ErrorOf([&] { ApplyTestMode(app.A, text); }), "The padding character of test mode has no width!");
  // Without a dispatcher the text stays.
  TOwned<TqlLang> loose(New<TqlLang>(nullptr));
  EXPECT_EQ(ApplyTestMode(loose.get(), u"Ok"), u"Ok");
}

TEST(Dispatcher, AComponentReadWithItsFormLinksWhenItsLoadingCompletes) {
  RegisterClass(TqlLangDispatcher::StaticClass());
  auto form = NewForm();
  ReadForm(FormBinary("object ComPortForm: TComPortForm\n"
                      "  object qlLangDispatcher1: TqlLangDispatcher\n"
                      "    ActiveLanguage = 2\n"
                      "    NumOfLanguages = 2\n"
                      "    LangNames.Strings = (\n"
                      "      'Türkçe'\n"
                      "      'English')\n"
                      "    Language = 'English'\n"
                      "    TestModeInfo.Kind = tmkFlipCase\n"
                      "  end\n"
                      "  object qlLang1: TqlLang\n"
                      "    LangDispatcher = qlLangDispatcher1\n"
                      "    LangDelim = 1\n"
                      "  end\n"
                      "end\n"),
           form.get());
  auto* dispatcher = static_cast<TqlLangDispatcher*>(form->FindComponent(u"qlLangDispatcher1"));
  auto* lang = static_cast<TqlLang*>(form->FindComponent(u"qlLang1"));
  ASSERT_TRUE(dispatcher && lang);
  EXPECT_EQ(dispatcher->TestModeInfo()->Kind(), tmkFlipCase);
  EXPECT_EQ(lang->LangDispatcher(), dispatcher);
  EXPECT_EQ(dispatcher->QlLangsCount(), 1);
  EXPECT_EQ(Lines(lang->LangNames()), (std::vector<std::string>{"Türkçe", "English"}));
  EXPECT_EQ(lang->ActiveLanguage(), 2);
  EXPECT_EQ(lang->Language(), u"English");
  // The link is never part of a binary translation file's component.
  TOwned<TQLBFileManager> manager(New<TQLBFileManager>());
  manager->Add(lang);
  TOwned<TMemoryStream> s(New<TMemoryStream>());
  manager->SaveToStream(s.get());
  const std::string bytes(static_cast<const char*>(s->Memory()), size_t(s->Size()));
  EXPECT_EQ(bytes.find("LangDispatcher"), std::string::npos);
  EXPECT_EQ(lang->LangDispatcher(), dispatcher);
}

TEST(Dispatcher, AComponentWithoutCharacterSetsTakesThoseOfAFormOfTheDispatcher) {
  TApp app;
  TOwned<TForm> mainForm(NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0));
  TqlLang* holder = New<TqlLang>(mainForm.get());
  holder->SetNumOfLanguages(2);
  SetLines(holder->CharSets(), {u"TForm|TURKISH_CHARSET|RUSSIAN_CHARSET|"});
  holder->SetLangDispatcher(app.Dispatcher);
  app.Link();  // A's owner is no form: it never holds them
  EXPECT_EQ(app.A->FontsInfoHolder(), holder);
  EXPECT_EQ(app.A->GetCharsetForLanguage(2), RUSSIAN_CHARSET);
  EXPECT_EQ(app.B->GetCharsetForLanguage(1), TURKISH_CHARSET);
  // The holder going clears the link.
  mainForm.reset();
  EXPECT_EQ(app.A->FontsInfoHolder(), nullptr);
  EXPECT_EQ(app.A->GetCharsetForLanguage(2), DEFAULT_CHARSET);
}

TEST(Dispatcher, LookupsReadTheListsOfOtherLinkedComponents) {
  TApp app;
  app.Link();
  auto values = [](std::initializer_list<const char16_t*> V) {
    TOwned<TStringList> list(New<TStringList>());
    for (const char16_t* v : V) list->Add(v);
    return list;
  };
  app.A->AddString(u"Port", values({u"Bağlantı noktası", u"Port"}).get());
  app.B->AddString(u"Port", values({u"B kendi", u"B own"}).get());
  SetLines(app.A->DlgsCaptions(), {u"Yes|Evet|Yes!|"});
  SetLines(app.A->Locales(), {u"ShortDateFormat|dd.MM.yyyy|M/d/yyyy|"});
  app.A->Loaded();
  app.B->Loaded();
  // This component's language, another component's list.
  app.B->SetActiveLanguage(2);
  EXPECT_EQ(app.B->GetText(u"Port"), u"B own");
  app.B->SetOptions(TqlLangOptions{loUseExtUDStrings});
  EXPECT_EQ(app.B->GetText(u"port"), u"Port");
  EXPECT_EQ(app.A->ActiveLanguage(), 1);
  app.B->SetOptions(TqlLangOptions{loUseExtCommonStrings});
  EXPECT_EQ(app.B->GetText(u"Port"), u"B own");
  EXPECT_EQ(app.B->GetTextFrom(app.B->DlgsCaptions(), u"yes", false), u"Yes!");
  EXPECT_EQ(app.B->GetTextFromByIndex(app.B->Locales(), 0, false), u"M/d/yyyy");
  EXPECT_EQ(app.B->GetTextFrom(app.B->Locales(), u"ShortDateFormat", false), u"M/d/yyyy");
  // The identifier error is this component's setting.
  app.B->SetOptions(TqlLangOptions{loUseExtUDStrings});
  app.B->SetDoRaiseExceptions(true);
  EXPECT_THROW(app.B->GetText(u"Missing"), ELanguageError);
  app.B->SetDoRaiseExceptions(false);

  // No other component with such a list: the own list.
  app.A->Strings()->Clear();
  app.A->Loaded();
  EXPECT_EQ(app.B->GetText(u"Port"), u"B own");
  // Without a dispatcher: nothing.
  app.B->SetLangDispatcher(nullptr);
  EXPECT_EQ(app.B->GetText(u"Port"), u"");
  app.B->SetOptions(TqlLangOptions{loUseExtCommonStrings});
  EXPECT_EQ(app.B->GetTextFromByIndex(app.B->Locales(), 0, false), u"");
  EXPECT_EQ(app.B->GetTextFrom(app.B->DlgsCaptions(), u"Yes", false), u"");
}

TEST(Dispatcher, SwitchingMakesTestModeTextsForEmptyValues) {
  TApp app;
  TTestControl* button = AddControl(app.First.get(), u"Button1");
  TTestControl* done = AddControl(app.First.get(), u"Done");
  app.Link();
  SetLines(app.A->Captions(), {u"TComPortForm|Port||", u"Button1|Tamam||", u"Done|Bitti|Finished|"});
  SetLines(app.A->Hints(), {u"Button1|Yardım||"});
  SetLines(app.A->Fonts(), {u"Button1|Arial||"});
  TqlExtendedItem* item = app.A->ExtendedTranslations()->Add();
  item->SetIdentifier(u"Done.Hint");
  item->SetValues(L(u"Bitirildi||"));
  // The texts of the resource language (1) and their translations.
  SetLines(app.A->Strings(), {u"S1|Kaydet||"});
  app.A->UpdateStrCollections();
  app.A->FillStringsCollection(app.A->LangStringsColl(), 1);
  app.Dispatcher->TestModeInfo()->SetKind(tmkFlipCase);
  app.Dispatcher->SetActiveLanguage(2);
  struct TCase {
    const char* Name;
    bool Active;
    TTranslateType Type;
    String Form, Button, Hint, Extended, Resource;
  };
  const TCase cases[] = {
      {"inactive: the empty values change nothing", false, ttNoChange, u"Port", u"Tamam", u"Yardım", u"Bitirildi",
       u""},
      {"active", true, ttNoChange, u"pORT", u"tAMAM", u"yARDIM", u"bİTİRİLDİ", u"kAYDET"},
      {"active comes before the default", true, ttGetDefault, u"pORT", u"tAMAM", u"yARDIM", u"bİTİRİLDİ", u"kAYDET"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    app.Dispatcher->TestModeInfo()->SetActive(c.Active);
    app.A->SetTranslateType(c.Type);
    app.Dispatcher->SetActiveLanguage(1);
    EXPECT_EQ(button->Caption(), u"Tamam");
    app.Dispatcher->SetActiveLanguage(2);
    EXPECT_EQ(app.First->Caption(), c.Form);
    EXPECT_EQ(button->Caption(), c.Button);
    EXPECT_EQ(button->Hint(), c.Hint);
    EXPECT_EQ(done->Caption(), u"Finished");
    EXPECT_EQ(done->Hint(), c.Extended);
    EXPECT_EQ(app.A->LangStringsColl()->GetTranslationByLang(u"Kaydet", 2), c.Resource);
    // A font name is never made up.
    EXPECT_EQ(button->Font()->Name(), u"Arial");
  }
}

TEST(Dispatcher, LookupsMakeTestModeTextsForEmptyValues) {
  TApp app;
  app.Link();
  TOwned<TStringList> values(New<TStringList>());
  values->Add(u"Port");
  app.A->AddString(u"Port", values.get());
  SetLines(app.A->DlgsCaptions(), {u"Tip|Yardım||"});
  app.A->Loaded();
  app.Dispatcher->TestModeInfo()->SetKind(tmkFlipCase);
  struct TCase {
    const char* Name;
    bool Active;
    Integer Language;
    TTranslateType Type;
    String Text, Hint;
  };
  const TCase cases[] = {
      {"inactive", false, 2, ttNoChange, u"", u""},
      {"inactive, default", false, 2, ttGetDefault, u"Port", u"Yardım"},
      {"active", true, 2, ttNoChange, u"pORT", u"yARDIM"},
      {"active, default", true, 2, ttGetDefault, u"pORT", u"yARDIM"},
      {"language 1", true, 1, ttNoChange, u"Port", u"Yardım"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    app.Dispatcher->TestModeInfo()->SetActive(c.Active);
    app.A->SetActiveLanguage(c.Language);
    app.A->SetTranslateType(c.Type);
    EXPECT_EQ(app.A->GetText(u"Port"), c.Text);
    EXPECT_EQ(app.A->GetTextFrom(app.A->DlgsCaptions(), u"Tip", c.Type == ttGetDefault), c.Hint);
  }
}

// The first component's change closes the second form: every step that goes
// through the linked components passes the freed one over.
TEST(Dispatcher, AFormClosedWhileTheLanguageChangesIsPassedOver) {
  const std::string text = TempFile("closing.lng");
  WriteBytes(text, "\xEF\xBB\xBF[Language names - for internal use only!]\r\nLanguage_1=Türkçe\r\nLanguage_2=English\r\n"
                   "[Captions]\r\nTComPortForm.TComPortForm=Port~!@#Port EN~!@#\r\n");
  const std::string binary = TempFile("closing.qlb");
  {
    TApp app;
    app.Link();
    SetLines(app.A->Captions(), {u"TComPortForm|Port|Port EN|"});
    app.Dispatcher->SaveAllToBinaryFile(UTF8ToUTF16(binary));
  }
  struct TCase {
    const char* Name;
    void (*Run)(TqlLangDispatcher*, const String& Text, const String& Binary);
  };
  const TCase cases[] = {
      {"switching", [](TqlLangDispatcher* D, const String&, const String&) { D->SetActiveLanguage(2); }},
      {"a text file", [](TqlLangDispatcher* D, const String& T, const String&) { D->LoadAllFromFile(T); }},
      {"a binary file", [](TqlLangDispatcher* D, const String&, const String& B) { D->LoadAllFromFile(B); }},
      {"a binary stream",
       [](TqlLangDispatcher* D, const String&, const String& B) {
         TOwned<TFileStream> s(New<TFileStream>(B, Word(fmOpenRead)));
         D->LoadAllFromStream(s.get());
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TApp app;
    app.Link();
    app.A->SetActiveLanguage(2);  // the language of the files
    app.Dispatcher->SetActiveLanguage(2);
    app.Dispatcher->SetActiveLanguage(1);
    SetLines(app.A->Captions(), {u"TComPortForm|Port|Port EN|"});
    TOwned<TFormCloser> closer(New<TFormCloser>());
    closer->Victim = &app.Second;
    app.A->SetOnChangeLanguage(TNotifyEvent(closer.get(), &TFormCloser::Changed));
    c.Run(app.Dispatcher, UTF8ToUTF16(text), UTF8ToUTF16(binary));
    EXPECT_EQ(app.Second, nullptr);
    EXPECT_EQ(app.Dispatcher->QlLangsCount(), 1);
    EXPECT_EQ(Lines(app.A->Captions()), (std::vector<std::string>{"TComPortForm|Port|Port EN|"}));
    app.A->SetOnChangeLanguage(TNotifyEvent());
  }
}

// A component's OnChangeLanguage frees its own form (and so the component):
// nothing of the freed component is touched afterwards, whether the change
// came from the component itself, from a file it loads or from the dispatcher.
TEST(Dispatcher, AHandlerFreeingItsOwnFormEndsTheChangeSafely) {
  const std::string text = TempFile("own.lng");
  WriteBytes(text, "\xEF\xBB\xBF[Language names - for internal use only!]\r\nLanguage_1=Türkçe\r\nLanguage_2=English\r\n"
                   "[Captions]\r\nTComPortForm.TComPortForm=Port~!@#Port EN~!@#\r\n");
  const std::string binary = TempFile("own.qlb");
  {
    TApp app;
    app.Link();
    SetLines(app.A->Captions(), {u"TComPortForm|Port|Port EN|"});
    app.Dispatcher->SaveAllToBinaryFile(UTF8ToUTF16(binary));
  }
  struct TCase {
    const char* Name;
    void (*Run)(TApp&, const String& Text, const String& Binary);
  };
  const TCase cases[] = {
      {"the dispatcher switching", [](TApp& A, const String&, const String&) { A.Dispatcher->SetActiveLanguage(2); }},
      {"the dispatcher loading text", [](TApp& A, const String& T, const String&) { A.Dispatcher->LoadAllFromFile(T); }},
      {"the dispatcher loading binary",
       [](TApp& A, const String&, const String& B) { A.Dispatcher->LoadAllFromFile(B); }},
      {"the component switching", [](TApp& A, const String&, const String&) { A.A->SetActiveLanguage(2); }},
      {"the component loading text", [](TApp& A, const String& T, const String&) { A.A->LoadAllFromFile(T, true); }},
      {"the component loading binary",
       [](TApp& A, const String&, const String& B) { A.A->LoadAllFromBinaryFile(B); }},
      {"the component loading one list",
       [](TApp& A, const String& T, const String&) { A.A->LoadFromFile(stCaptions, T, true); }},
      {"the component loading one language",
       [](TApp& A, const String& T, const String&) { A.A->LoadLanguage(T, u"English"); }},
      {"the component merging", [](TApp& A, const String& T, const String&) { A.A->MergeAllFromFile(T); }},
      // Linked again while the dispatcher shows the other language, or
      // while it names a file the component loads on linking.
      {"the component linking",
       [](TApp& A, const String&, const String&) {
         A.A->SetLangDispatcher(nullptr);
         A.Dispatcher->SetActiveLanguage(2);
         A.A->SetLangDispatcher(A.Dispatcher);
       }},
      {"the component linking to a text file",
       [](TApp& A, const String& T, const String&) {
         A.A->SetLangDispatcher(nullptr);
         A.Dispatcher->SetFileName(T);
         A.A->SetLangDispatcher(A.Dispatcher);
       }},
      {"the component linking to a binary file",
       [](TApp& A, const String&, const String& B) {
         A.A->SetLangDispatcher(nullptr);
         A.Dispatcher->SetFileName(B);
         A.A->SetLangDispatcher(A.Dispatcher);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TApp app;
    app.Link();
    SetLines(app.A->Captions(), {u"TComPortForm|Port|Port EN|"});
    SetLines(app.B->Captions(), {u"TSecondForm|Ikinci|Second|"});
    TOwned<TFormCloser> closer(New<TFormCloser>());
    closer->Victim = &app.First;
    app.A->SetOnChangeLanguage(TNotifyEvent(closer.get(), &TFormCloser::Changed));
    EXPECT_NO_THROW(c.Run(app, UTF8ToUTF16(text), UTF8ToUTF16(binary)));
    EXPECT_EQ(app.First, nullptr);
    app.A = nullptr;
    EXPECT_EQ(app.Dispatcher->QlLangsCount(), 1);
    // The dispatcher still switches the form that is left.
    app.Dispatcher->SetActiveLanguage(1);
    app.Dispatcher->SetActiveLanguage(2);
    EXPECT_EQ(app.B->ActiveLanguage(), 2);
  }
}

// The dispatcher shows the third language; the file it loads has two. Every
// component and the dispatcher come to language 1 of the file, whose names
// they all take; the components' completion step runs.
TEST(Dispatcher, AFileWithoutTheShownLanguageBringsEveryoneToTheFirst) {
  const std::string path = TempFile("two.lng");
  WriteBytes(path, "\xEF\xBB\xBF[Language names - for internal use only!]\r\nLanguage_1=Türkçe\r\nLanguage_2=English\r\n"
                   "[Captions]\r\nTComPortForm.TComPortForm=Port~!@#Port EN~!@#\r\n");
  TApp app;
  app.Link();
  app.Dispatcher->SetNumOfLanguages(3);
  app.Dispatcher->SetActiveLanguage(3);
  ASSERT_EQ(app.A->ActiveLanguage(), 3);
  EXPECT_NO_THROW(app.Dispatcher->LoadAllFromFile(UTF8ToUTF16(path)));
  EXPECT_EQ(Lines(app.Dispatcher->LangNames()), (std::vector<std::string>{"Türkçe", "English"}));
  EXPECT_EQ(app.Dispatcher->NumOfLanguages(), 2);
  EXPECT_EQ(app.Dispatcher->ActiveLanguage(), 1);
  EXPECT_EQ(app.Dispatcher->Language(), u"Türkçe");
  for (TqlLang* c : {app.A, app.B}) {
    EXPECT_EQ(c->NumOfLanguages(), 2);
    EXPECT_EQ(c->ActiveLanguage(), 1);
    EXPECT_EQ(c->Language(), u"Türkçe");
  }
  EXPECT_EQ(app.First->Caption(), u"Port");
  // The next change works from there.
  app.Dispatcher->SetActiveLanguage(2);
  EXPECT_EQ(app.First->Caption(), u"Port EN");
}

// The same when a component links to a dispatcher whose file lacks the shown
// language, and when a binary stream is loaded.
TEST(Dispatcher, LinkingOrLoadingAStreamWithoutTheShownLanguage) {
  const std::string path = TempFile("two-link.lng");
  WriteBytes(path, "\xEF\xBB\xBF[Language names - for internal use only!]\r\nLanguage_1=Türkçe\r\nLanguage_2=English\r\n"
                   "[Captions]\r\nTComPortForm.TComPortForm=Port~!@#Port EN~!@#\r\n");
  TApp app;
  app.Dispatcher->SetNumOfLanguages(3);
  app.Dispatcher->SetActiveLanguage(3);
  app.Dispatcher->SetFileName(UTF8ToUTF16(path));
  app.A->SetLangDispatcher(app.Dispatcher);
  EXPECT_EQ(app.Dispatcher->NumOfLanguages(), 2);
  EXPECT_EQ(app.Dispatcher->ActiveLanguage(), app.A->ActiveLanguage());
  EXPECT_EQ(app.Dispatcher->Language(), app.A->Language());
  // A second component links without an error and shows the same language.
  app.Dispatcher->SetFileName(u"");
  EXPECT_NO_THROW(app.B->SetLangDispatcher(app.Dispatcher));
  EXPECT_EQ(app.B->Language(), app.A->Language());

  const std::string binary = TempFile("two-link.qlb");
  app.Dispatcher->SaveAllToBinaryFile(UTF8ToUTF16(binary));
  app.Dispatcher->SetNumOfLanguages(3);
  app.Dispatcher->SetActiveLanguage(3);
  TOwned<TFileStream> s(New<TFileStream>(UTF8ToUTF16(binary), Word(fmOpenRead)));
  app.Dispatcher->LoadAllFromStream(s.get());
  EXPECT_EQ(app.Dispatcher->NumOfLanguages(), 2);
  EXPECT_EQ(app.Dispatcher->ActiveLanguage(), app.A->ActiveLanguage());
  EXPECT_EQ(app.Dispatcher->Language(), app.A->Language());
  EXPECT_NO_THROW(app.Dispatcher->SetActiveLanguage(2));
  EXPECT_EQ(app.First->Caption(), u"Port EN");
}
