// Switching, building and the dialogs when the world around them fails: lines
// damaged or left behind, controls freed between building and applying,
// empty translations, a second translator of resource strings, captions of a
// component that stores UTF-8, components that configure hardware.
#include <gtest/gtest.h>

#include <thread>

#include "localization/qlComp.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "lib/foundation/vlVariants.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/localization/SwitchFixture.h"

using namespace loc_test;

namespace {

std::vector<String> Items(TStrings* S) {
  std::vector<String> r;
  for (Integer i = 0; i < S->Count(); ++i) r.push_back(S->Strings(i));
  return r;
}

}  // namespace

// A line of a vanished component that lost its delimiters lends nothing to a
// new component at the next build, and the build completes.
TEST(BuildListFailures, ATruncatedLineOfAVanishedComponentLendsNothing) {
  TOwned<TComPortForm> form = NewForm();
  form->SetCaption(u"Port Seçimi");
  auto* lang = New<TqlLang>(form.get());
  lang->SetName(u"qlLang1");
  lang->SetNumOfLanguages(2);
  AddControl(form.get(), u"Label1")->SetCaption(u"Port:");
  AddControl(form.get(), u"Blank");  // no caption yet
  for (Boolean skipEmpties : {true, false}) {
    SCOPED_TRACE(skipEmpties);
    SetLines(lang->Captions(), {u"TComPortForm|Port Seçimi|Port Selection|", u"Gone"});
    lang->SetAutoSkipEmpties(skipEmpties);
    EXPECT_NO_THROW(lang->BuildList());
    std::vector<std::string> expected{"TComPortForm|Port Seçimi|Port Selection|", "Label1|Port:||"};
    if (!skipEmpties) expected.push_back("Blank|||");
    EXPECT_EQ(Lines(lang->Captions()), expected);
  }
}

// An untranslated (empty) language value never empties a memo or a list:
// the control keeps what it shows; with ttGetDefault it shows language 1.
TEST_F(SwitchFixture, AnEmptyListTranslationKeepsTheLines) {
  auto* memo = static_cast<TMemo*>(Control(u"Memo1"));
  auto* list = static_cast<TListBox*>(Control(u"ListBox1"));
  Lang->MultiLines()->SetStrings(0, L(u"Memo1.Lines|\"Kart takın\",Bekleyin||"));
  Lang->MultiLines()->SetStrings(1, L(u"ListBox1.Items|Bir,İki,Üç||"));
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(Items(memo->Lines()), (std::vector<String>{u"Kart takın", u"Bekleyin"}));
  EXPECT_EQ(Items(list->Items()), (std::vector<String>{u"Bir", u"İki", u"Üç"}));
  EXPECT_EQ(Control(u"lbSpeed")->Caption(), u"Speed:");  // the rest still switches
  Lang->SetActiveLanguage(1);
  memo->Lines()->SetText(u"Başka\r\n");
  Lang->SetTranslateType(ttGetDefault);
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(Items(memo->Lines()), (std::vector<String>{u"Kart takın", u"Bekleyin"}));
}

// Controls freed after the lists were built (and one freed between two
// changes): their lines are left aside, the rest of the form switches both
// ways, and a new control of the same name is not confused with them.
TEST_F(SwitchFixture, ControlsFreedBetweenBuildingAndApplying) {
  Lang->BuildList();
  Free(Control(u"lbSpeed"));
  Free(Control(u"ListBox1"));
  for (Integer language : {2, 1, 2}) {
    SCOPED_TRACE(language);
    Lang->SetActiveLanguage(language);
    EXPECT_EQ(Control(u"btOK")->Caption(), language == 2 ? u"&OK" : u"&TAMAM");
    EXPECT_EQ(Form->Caption(), language == 2 ? u"Serial Port Selection" : u"Seri Port Seçimi");
    if (language == 1) Free(Control(u"ComboBox1"));
  }
  for (TStrings* list : {static_cast<TStrings*>(Lang->Captions()), static_cast<TStrings*>(Lang->MultiLines())})
    for (Integer i = 0; i < list->Count(); ++i) {
      const String line = list->Strings(i);
      EXPECT_NE(line.rfind(u"lbSpeed", 0), 0u);
      EXPECT_NE(line.rfind(u"ListBox1", 0), 0u);
      EXPECT_NE(line.rfind(u"ComboBox1", 0), 0u);
    }
}

// Two forms whose components both handle resource strings: the first one
// translates; when it goes, nothing points at it and texts load untranslated;
// the second going does not clear a translator that is not itself.
// The serial thread may load a resource string (an error it raises) while the
// main thread switches languages or frees the translator. The lookup reads the
// component's lists, which only the main thread touches, so another thread
// gets the text as loaded; the main thread's texts are still translated.
TEST_F(SwitchFixture, AResourceStringLoadedOnAnotherThreadIsNotLookedUp) {
  auto raised = [] {
    try {
      throw EReadError(&vlSDataReadError);
    } catch (const Exception& E) {
      return E.Message();
    }
  };
  ASSERT_EQ(raised(), u"Veri okuma hatası");
  String alone;
  std::thread([&] { alone = raised(); }).join();
  EXPECT_EQ(alone, u"Stream read error");
  // And while the main thread switches.
  std::vector<String> seen;
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) seen.push_back(raised());
  });
  for (Integer i = 0; i < 20; ++i) Lang->SetActiveLanguage(i % 2 == 0 ? 2 : 1);
  worker.join();
  for (const String& text : seen) EXPECT_EQ(text, u"Stream read error");
  EXPECT_EQ(Lang->ActiveLanguage(), 1);
  EXPECT_EQ(raised(), u"Veri okuma hatası");
}

TEST_F(SwitchFixture, TwoResourceTranslatorsAndTheFirstFreed) {
  auto raised = [] {
    try {
      throw EReadError(&vlSDataReadError);
    } catch (const Exception& E) {
      return E.Message();
    }
  };
  ASSERT_EQ(qlResourceStringsTranslator(), Lang);
  TSwitchForm* first = Form;
  SetUp();  // a second form of the same kind
  TSwitchForm* second = Form;
  EXPECT_EQ(qlResourceStringsTranslator(), static_cast<TqlCustomLang*>(first->FindComponent(u"qlLang1")));
  EXPECT_EQ(raised(), u"Veri okuma hatası");
  Free(first);
  EXPECT_EQ(qlResourceStringsTranslator(), nullptr);
  EXPECT_EQ(raised(), u"Stream read error");
  SetUp();  // a third form: the next translator
  TSwitchForm* third = Form;
  EXPECT_EQ(qlResourceStringsTranslator(), Lang);
  Free(second);
  EXPECT_EQ(qlResourceStringsTranslator(), Lang);
  EXPECT_EQ(raised(), u"Veri okuma hatası");
  Form = third;
}

namespace {

// A serial port component like the card loader's: its port name is a string
// property, but it names a device, not a text anybody reads.
class TCustomComPort : public TComponent {
  CL_CLASS(TCustomComPort, TComponent)
 public:
  const String& Port() const { return FPort; }
  void SetPort(const String& Value) { FPort = Value; }

 private:
  String FPort;
};

class TTestComPort : public TCustomComPort {
  CL_CLASS(TTestComPort, TCustomComPort)
};

// A data-aware control: its field binding is not text either.
class TTestDBLabel : public TComponent {
  CL_CLASS(TTestDBLabel, TComponent)
 public:
  const String& DataField() const { return FDataField; }
  void SetDataField(const String& Value) { FDataField = Value; }
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }

 private:
  String FDataField, FHint;
};

}  // namespace

CL_IMPLEMENT_CLASS(TCustomComPort)
CL_IMPLEMENT_CLASS_PUBLISHED(TTestComPort, P) { P.Property(u"Port", &TCustomComPort::Port, &TCustomComPort::SetPort); }
CL_IMPLEMENT_CLASS_PUBLISHED(TTestDBLabel, P) {
  P.Property(u"DataField", &TTestDBLabel::DataField, &TTestDBLabel::SetDataField);
  P.Property(u"Hint", &TTestDBLabel::Hint, &TTestDBLabel::SetHint);
}

// Translation data never moves the card loader to another device nor binds a
// control to another field.
TEST_F(SwitchFixture, TranslationDataNeverRebindsADeviceOrAField) {
  auto* port = New<TTestComPort>(static_cast<TComponent*>(Form));
  port->SetName(u"ComPort1");
  port->SetPort(u"COM1");
  auto* dbLabel = New<TTestDBLabel>(static_cast<TComponent*>(Form));
  dbLabel->SetName(u"dbCardNo");
  dbLabel->SetDataField(u"CardNo");
  Lang->OtherStrings()->Add(L(u"ComPort1.Port|COM1|COM7|"));
  Lang->OtherStrings()->Add(L(u"dbCardNo.DataField|CardNo|Amount|"));
  Lang->OtherStrings()->Add(L(u"dbCardNo.Hint|Kart numarası|Card number|"));
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(port->Port(), u"COM1");
  EXPECT_EQ(dbLabel->DataField(), u"CardNo");
  EXPECT_EQ(dbLabel->Hint(), u"Card number");
  EXPECT_FALSE(Lang->IsTranslatableProperty(dbLabel, u"FieldName"));
}

// A component that stores its values as UTF-8 holds them as text once read:
// the dialogs show its Turkish captions as they are, and captions still held
// as UTF-8 bytes are decoded.
TEST_F(SwitchFixture, DialogCaptionsOfAComponentStoringUTF8) {
  Lang->SetStoreAsUTF8(true);
  SetLines(Lang->DlgsCaptions(), {u"Confirm|Onay|Confirm|", u"Yes|&Evet|&Yes|", u"No|&Hayır|&No|",
                                  u"Cancel|İptal|Cancel|", u"OK|Tamam|OK|"});
  // "Kapat ı" held as the UTF-8 bytes of its dotless i.
  Lang->DlgsCaptions()->Add(L(u"Close|Kapat \u00C4\u00B1|Close|"));
  EXPECT_EQ(Lang->GetButtonCaption(mbNo), u"&Hayır");
  EXPECT_EQ(Lang->GetButtonCaption(mbCancel), u"İptal");
  EXPECT_EQ(Lang->GetButtonCaption(mbClose), u"Kapat ı");
  TForm* d = Lang->CreateMessageDialog(u"Kaydedilsin mi?", mtConfirmation, mbYesNoCancel);
  EXPECT_EQ(static_cast<TButton*>(d->FindComponent(u"No"))->Caption(), u"&Hayır");
  EXPECT_EQ(static_cast<TButton*>(d->FindComponent(u"Cancel"))->Caption(), u"İptal");
  Free(d);
}

namespace {

// A control whose caption setter counts its calls and refuses one text.
class TFussyControl : public TComponent {
  CL_CLASS(TFussyControl, TComponent)
 public:
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value) {
    ++Writes;
    if (Value == u"boom") throw EConvertError(u"refused");
    FCaption = Value;
  }
  void RaiseOnChange(TObject*) { throw EConvertError(u"handler"); }
  Integer Writes = 0;

 private:
  String FCaption;
};

}  // namespace

CL_IMPLEMENT_CLASS_PUBLISHED(TFussyControl, P) {
  P.Property(u"Caption", &TFussyControl::Caption, &TFussyControl::SetCaption);
}

// A property that raises in the middle of a change stops neither the change
// nor a later one; a handler that raises after the change leaves the
// component usable; a change made twice writes nothing the second time.
TEST_F(SwitchFixture, ASwitchRaisedInTheMiddleAndMadeTwice) {
  auto* fussy = New<TFussyControl>(static_cast<TComponent*>(Form));
  fussy->SetName(u"Fussy");
  fussy->SetCaption(u"Durum");
  Lang->Captions()->Insert(1, L(u"Fussy|Durum|boom|"));
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(fussy->Caption(), u"Durum");
  EXPECT_EQ(Control(u"btOK")->Caption(), u"&OK");  // after the failing line
  EXPECT_EQ(Lang->MultiLines()->Count(), 3);
  Lang->SetActiveLanguage(1);
  EXPECT_EQ(Control(u"btOK")->Caption(), u"&TAMAM");
  const Integer writes = fussy->Writes;
  Lang->ChangeLanguage();
  Lang->ChangeLanguage();
  EXPECT_EQ(fussy->Writes, writes);

  Lang->SetOnChangeLanguage(TNotifyEvent(fussy, &TFussyControl::RaiseOnChange));
  EXPECT_THROW(Lang->SetActiveLanguage(2), EConvertError);
  EXPECT_EQ(Lang->ActiveLanguage(), 2);
  EXPECT_EQ(Lang->Language(), u"English");
  EXPECT_EQ(Control(u"btOK")->Caption(), u"&OK");
  Lang->SetOnChangeLanguage(TNotifyEvent());
  Lang->SetActiveLanguage(1);
  EXPECT_EQ(Control(u"btOK")->Caption(), u"&TAMAM");
}

// Translation data naming the localization component itself (its language,
// its own lists) changes nothing of it: switching never recurses into
// another switch nor rewrites the lines being applied.
TEST_F(SwitchFixture, TranslationDataNeverWritesTheLocalizationComponent) {
  Lang->OtherStrings()->Add(L(u"qlLang1.Language|English|Türkçe|"));
  Lang->MultiLines()->Add(L(u"qlLang1.MultiLines|x|y|"));
  Lang->MultiLines()->Add(L(u"qlLang1.LangNames|A,B,C|D,E,F|"));
  Lang->SetActiveLanguage(2);
  EXPECT_EQ(Lang->ActiveLanguage(), 2);
  EXPECT_EQ(Lang->Language(), u"English");
  EXPECT_EQ(Lang->NumOfLanguages(), 2);
  EXPECT_EQ(Lang->MultiLines()->Count(), 5);
  EXPECT_EQ(Control(u"btOK")->Caption(), u"&OK");
  Lang->SetActiveLanguage(1);
  EXPECT_EQ(Lang->Language(), u"Türkçe");
  EXPECT_EQ(Control(u"btOK")->Caption(), u"&TAMAM");
}
