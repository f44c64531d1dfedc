// Building the property lists from a sample form: the paths of every kind,
// the exclusions, the reuse of the lines of vanished components.
#include <gtest/gtest.h>

#include <functional>

#include "localization/qlComp.h"
#include "platform/classes/StringLists.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Menus.h"
#include "tests/localization/LocalizationFixtures.h"

using namespace loc_test;

namespace {

struct SampleForm {
  TOwned<TComPortForm> Form = NewForm();
  TqlLang* Lang{};
  TTestControl* Label;
  TTestControl* Button;
  TTestControl* Grid;
  SampleForm() {
    Form->SetCaption(u"COM Port Seçimi");
    Form->Font()->SetName(u"Tahoma");
    Lang = New<TqlLang>(Form.get());
    Lang->SetName(u"qlLang1");
    Lang->SetNumOfLanguages(2);
    Label = AddControl(Form.get(), u"Label1");
    Label->SetCaption(u"Port:");
    Label->Font()->SetName(u"Tahoma");
    Button = AddControl(Form.get(), u"Button1");
    Button->SetCaption(u"&TAMAM");
    Button->SetHint(u"Onay");
    Button->Font()->SetName(u"Arial");
    Button->Font()->SetCharset(162);
    Grid = AddControl(Form.get(), u"Grid");
    Grid->Items()->Add(u"Bir");
    Grid->Items()->Add(u"İki");
    for (const char16_t* c : {u"Ad", u"Soyad"})
      static_cast<TTestColumn*>(Grid->Columns()->Add())->SetCaption(c);
    Grid->Font()->SetName(u"Tahoma");
  }
};

}  // namespace

TEST(BuildList, EveryKindGetsItsPaths) {
  SampleForm f;
  f.Lang->BuildList();
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"TComPortForm|COM Port Seçimi||", "Label1|Port:||",
                                                                  "Button1|&TAMAM||"}));
  EXPECT_EQ(Lines(f.Lang->Hints()), (std::vector<std::string>{"Button1|Onay||"}));
  EXPECT_EQ(Lines(f.Lang->Fonts()), (std::vector<std::string>{"TComPortForm|Tahoma||", "Label1|Tahoma||",
                                                               "Button1|Arial||", "Grid|Tahoma||"}));
  EXPECT_EQ(Lines(f.Lang->CharSets()),
            (std::vector<std::string>{"TComPortForm|DEFAULT_CHARSET||", "Label1|DEFAULT_CHARSET||",
                                      "Button1|TURKISH_CHARSET||", "Grid|DEFAULT_CHARSET||"}));
  EXPECT_EQ(Lines(f.Lang->MultiLines()), (std::vector<std::string>{"Grid.Items|Bir,İki||"}));
  EXPECT_EQ(Lines(f.Lang->Collections()),
            (std::vector<std::string>{"Grid.Columns[0].Caption|Ad||", "Grid.Columns[1].Caption|Soyad||"}));
  EXPECT_EQ(Lines(f.Lang->OtherStrings()), std::vector<std::string>{});
  // A second build changes nothing.
  f.Lang->BuildList();
  EXPECT_EQ(f.Lang->Captions()->Count(), 3);
  EXPECT_EQ(f.Lang->Collections()->Count(), 2);
}

TEST(BuildList, ExclusionsRemoveAndSkipTheirLines) {
  struct TCase {
    const char* Name;
    std::function<void(SampleForm&)> Exclude;
    std::vector<std::string> Captions, Hints;
  };
  const TCase cases[] = {
      {"one button's hint", [](SampleForm& f) { SetLines(f.Lang->SmartExcludeProps(), {u"Button1.Hint"}); },
       {"TComPortForm|COM Port Seçimi||", "Label1|Port:||", "Button1|&TAMAM||"}, {}},
      {"every hint", [](SampleForm& f) { f.Lang->ExcludedProperties()->Add(u"Hint"); f.Lang->ExcludeProperties(); },
       {"TComPortForm|COM Port Seçimi||", "Label1|Port:||", "Button1|&TAMAM||"}, {}},
      {"a component", [](SampleForm& f) { SetLines(f.Lang->DoNotTranslate(), {u"Button1"}); },
       {"TComPortForm|COM Port Seçimi||", "Label1|Port:||"}, {}},
      {"a class", [](SampleForm& f) { SetLines(f.Lang->DoNotTranslate(), {u"!TTestControl"}); },
       {"TComPortForm|COM Port Seçimi||"}, {}},
      {"the owner's caption", [](SampleForm& f) { SetLines(f.Lang->SmartExcludeProps(), {u"TComPortForm.Caption"}); },
       {"Label1|Port:||", "Button1|&TAMAM||"}, {"Button1|Onay||"}},
  };
  // (At run time the lines already there of a component put into
  // DoNotTranslate stay; it is not collected any more.)
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    SampleForm f;
    c.Exclude(f);
    f.Lang->BuildList();
    EXPECT_EQ(Lines(f.Lang->Captions()), c.Captions);
    EXPECT_EQ(Lines(f.Lang->Hints()), c.Hints);
  }
}

TEST(BuildList, VanishedComponentsLendTheirTranslations) {
  SampleForm f;
  f.Lang->BuildList();
  // Translations for the English column, then the label is replaced by
  // another with the same text, and the grid loses a column.
  f.Lang->ReplaceStringValue(f.Lang->Captions(), u"Port:", u"Label1", 2);
  f.Lang->ReplaceStringValue(f.Lang->Captions(), u"COM Port Selection", u"TComPortForm", 2);
  Free(f.Label);
  TTestControl* label = AddControl(f.Form.get(), u"PortLabel");
  label->SetCaption(u"Port:");
  f.Grid->Columns()->Delete(1);
  f.Lang->BuildList();
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"TComPortForm|COM Port Seçimi|COM Port Selection|",
                                                                  "Button1|&TAMAM||", "PortLabel|Port:|Port:|"}));
  EXPECT_EQ(Lines(f.Lang->Collections()), (std::vector<std::string>{"Grid.Columns[0].Caption|Ad||"}));
  // Lines of properties that no longer exist go as well.
  f.Lang->OtherStrings()->Add(L(u"Button1.Nothing|x|y|"));
  f.Lang->RemoveStaleLines();
  EXPECT_EQ(f.Lang->OtherStrings()->Count(), 0);
}

// A form whose class was renamed keeps the translations of its first line.
TEST(BuildList, TheOwnersLineFollowsAClassRename) {
  SampleForm f;
  SetLines(f.Lang->Captions(), {u"TForm1|COM Port Seçimi|COM Port Selection|"});
  f.Lang->BuildList();
  EXPECT_EQ(Lines(f.Lang->Captions()).front(), "TComPortForm|COM Port Seçimi|COM Port Selection|");
}

// A form whose first line is a component's (its caption was empty at the
// last build) gets its own line in front, although that component's name
// begins with the form's name; the component's translations stay its own.
TEST(BuildList, TheOwnersLineIsNeverTakenFromAComponentOfASimilarName) {
  TOwned<TComPortForm> form = NewForm();
  form->SetName(u"Port");
  auto* lang = New<TqlLang>(form.get());
  lang->SetName(u"qlLang1");
  lang->SetNumOfLanguages(2);
  AddControl(form.get(), u"PortLabel")->SetCaption(u"Port:");
  SetLines(lang->Captions(), {u"PortLabel|Port:|Port:|"});
  form->SetCaption(u"Port Seçimi");
  lang->BuildList();
  EXPECT_EQ(Lines(lang->Captions()), (std::vector<std::string>{"TComPortForm|Port Seçimi||", "PortLabel|Port:|Port:|"}));
}

// A menu separator gets no line in any list, although it has a hint.
TEST(BuildList, AMenuSeparatorIsNeverCollected) {
  SampleForm f;
  auto* separator = New<TMenuItem>(static_cast<TComponent*>(f.Form.get()));
  separator->SetName(u"N1");
  separator->SetCaption(u"-");
  separator->SetHint(u"ayraç");
  f.Lang->BuildList();
  for (TStrings* list : {f.Lang->Captions(), f.Lang->Hints(), f.Lang->OtherStrings()})
    for (const std::string& line : Lines(list)) EXPECT_NE(line.rfind("N1", 0), 0u) << line;
}
