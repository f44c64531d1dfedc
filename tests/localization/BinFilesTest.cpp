// Binary translation files: the layout of a file with one entry, entries of
// several forms, the header check, damaged and hostile files, and loading
// one list or all lists from an entry.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <fstream>

#include "localization/qlBinFiles.h"
#include "localization/qlComp.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/support/TestSupport.h"

using namespace loc_test;

namespace loc_test {

class TOtherForm : public TComPortForm {
  CL_CLASS(TOtherForm, TComPortForm)
};
CL_IMPLEMENT_CLASS(TOtherForm)

}  // namespace loc_test

namespace {

using TStreamPtr = TOwned<TMemoryStream>;

// A form with a localization component of two languages and the controls
// its lines name (a load drops the lines of components the form lacks).
struct TLangForm {
  explicit TLangForm(Boolean Other = false, std::initializer_list<std::u16string> Controls = {}) {
    if (Other) {
      Form.reset(New<TOtherForm>(nullptr));
      Form->SetName(u"OtherForm");
    } else {
      Form = NewForm();
    }
    Lang = New<TqlLang>(Form.get());
    Lang->SetName(u"qlLang1");
    TOwned<TStringList> names(New<TStringList>());
    names->Add(u"Türkçe");
    names->Add(u"English");
    Lang->SetLangNames(names.get());
    for (const auto& c : Controls) AddControl(Form.get(), c);
  }
  TOwned<TComPortForm> Form;
  TqlLang* Lang{};
};

std::string Bytes(TMemoryStream* S) { return std::string(static_cast<const char*>(S->Memory()), size_t(S->Size())); }

TStreamPtr StreamOf(const std::string& Bytes) {
  TStreamPtr s(New<TMemoryStream>());
  if (!Bytes.empty()) s->WriteBuffer(Bytes.data(), Integer(Bytes.size()));
  s->SetPosition(0);
  return s;
}

std::string TempFile(const std::string& Name) { return testing_support::MakeTempDir("binfiles") + "/" + Name; }

void WriteBytes(const std::string& Path, const std::string& Data) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out << Data;
}

std::string Word2(unsigned V) { return std::string{char(V & 0xFF), char(V >> 8)}; }
std::string Int4(unsigned V) { return std::string{char(V), char(V >> 8), char(V >> 16), char(V >> 24)}; }
std::string Header() { return std::string(qlBinaryFileHeader, 42); }

// A file of one entry whose component stream is Component.
std::string OneEntryFile(const std::string& Owner, const std::string& Component) {
  const unsigned offset = unsigned(42 + 2 + 2 + 2 + Owner.size() + 4);
  return Header() + Word2(1) + Word2(0) + Word2(unsigned(Owner.size())) + Owner + Int4(offset) + Component + Word2(0);
}

std::string ComponentStream(TComponent* C) {
  TStreamPtr s(New<TMemoryStream>());
  WriteComponentToStream(s.get(), C);
  return Bytes(s.get());
}

std::string ErrorOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const Exception& E) {
    return UTF16ToUTF8(E.Message());
  }
  return "";
}

}  // namespace

TEST(BinaryFiles, OneEntryHoldsItsComponentAtOffset64AndReadsBack) {
  const std::string path = TempFile("one.qlb");
  TLangForm f;
  SetLines(f.Lang->Captions(), {u"Button1|Tamam|OK|", u"TComPortForm|Port|Port EN|"});
  SetLines(f.Lang->Strings(), {u"Hello|Merhaba|Hello|"});
  TqlExtendedItem* item = f.Lang->ExtendedTranslations()->Add();
  item->SetIdentifier(u"Button1.Caption");
  item->SetValues(L(u"Tamam|OK|"));
  f.Lang->SaveAllToBinaryFile(UTF8ToUTF16(path));

  const std::string file = ReadFile(path);
  ASSERT_GT(file.size(), 70u);
  EXPECT_EQ(file.substr(0, 42), Header());
  EXPECT_EQ(file.substr(42, 2), Word2(1));
  EXPECT_EQ(file.substr(44, 2), Word2(0));
  EXPECT_EQ(file.substr(46, 2), Word2(12));
  EXPECT_EQ(file.substr(48, 12), "TComPortForm");
  EXPECT_EQ(file.substr(60, 4), Int4(64));
  EXPECT_EQ(file.substr(64, 4), "TPF0");
  EXPECT_EQ(file.substr(file.size() - 2), Word2(0));
  EXPECT_EQ(file.substr(64, file.size() - 66), ComponentStream(f.Lang));

  TLangForm g(false, {u"Button1", u"Old"});
  SetLines(g.Lang->Captions(), {u"Old|x|y|"});
  g.Lang->SetActiveLanguage(2);
  g.Lang->LoadAllFromBinaryFile(UTF8ToUTF16(path));
  EXPECT_EQ(Lines(g.Lang->Captions()), (std::vector<std::string>{"TComPortForm|Port|Port EN|", "Button1|Tamam|OK|"}));
  EXPECT_EQ(Lines(g.Lang->Strings()), Lines(f.Lang->Strings()));
  EXPECT_EQ(Lines(g.Lang->LangNames()), (std::vector<std::string>{"Türkçe", "English"}));
  EXPECT_EQ(g.Lang->ActiveLanguage(), 2);
  EXPECT_EQ(static_cast<TTestControl*>(g.Form->FindComponent(u"Button1"))->Caption(), u"OK");
  ASSERT_EQ(g.Lang->ExtendedTranslations()->Count(), 1);
  EXPECT_EQ(Show(g.Lang->ExtendedTranslations()->Items(0)->Values()), "Tamam|OK|");
  // Loading again (and again) keeps nothing behind on the component.
  g.Lang->LoadAllFromBinaryFile(UTF8ToUTF16(path));
  g.Lang->LoadAllFromBinaryFile(UTF8ToUTF16(path));
  EXPECT_EQ(g.Lang->ComponentCount(), 0);
  EXPECT_EQ(g.Form->ComponentCount(), 3);
  EXPECT_EQ(Lines(g.Lang->Captions()), (std::vector<std::string>{"TComPortForm|Port|Port EN|", "Button1|Tamam|OK|"}));
}

TEST(BinaryFiles, EntriesOfSeveralFormsAccumulateInOrder) {
  const std::string path = TempFile("two.qlb");
  TLangForm port;
  SetLines(port.Lang->Captions(), {u"A|port|PORT|"});
  port.Lang->SaveAllToBinaryFile(UTF8ToUTF16(path));
  TLangForm other(true);
  SetLines(other.Lang->Captions(), {u"A|other|OTHER|"});
  other.Lang->SaveAllToBinaryFile(UTF8ToUTF16(path));
  SetLines(port.Lang->Captions(), {u"A|port 2|PORT 2|"});
  port.Lang->SaveAllToBinaryFile(UTF8ToUTF16(path));

  TOwned<TQLBFileManager> manager(NewBy<TQLBFileManager>(&TQLBFileManager::CreateByName, UTF8ToUTF16(path)));
  ASSERT_EQ(manager->CompCount(), 2);
  EXPECT_EQ(Lines(manager->Owners()), (std::vector<std::string>{"TComPortForm", "TOtherForm"}));
  EXPECT_EQ(Lines(static_cast<TqlLang*>(manager->Components(0))->Captions()),
            (std::vector<std::string>{"A|port 2|PORT 2|"}));

  // Each form loads its own entry; a form without one is left unchanged.
  TLangForm other2(true, {u"A"});
  other2.Lang->LoadAllFromBinaryFile(UTF8ToUTF16(path));
  EXPECT_EQ(Lines(other2.Lang->Captions()), (std::vector<std::string>{"A|other|OTHER|"}));
  TOwned<TComponent> plain(New<TComponent>(nullptr));
  AddControl(plain.get(), u"Keep");
  TqlLang* unrelated = New<TqlLang>(plain.get());
  SetLines(unrelated->Captions(), {u"Keep|k|"});
  unrelated->LoadAllFromBinaryFile(UTF8ToUTF16(path));
  EXPECT_EQ(Lines(unrelated->Captions()), (std::vector<std::string>{"Keep|k|"}));

  // Adding a component of a form that has an entry replaces (and frees) the read one.
  EXPECT_EQ(manager->Add(other.Lang), 1);
  EXPECT_EQ(manager->CompCount(), 2);
  EXPECT_EQ(manager->Components(1), other.Lang);
  // Moving and removing keep both lists in step.
  manager->Move(1, 0);
  EXPECT_EQ(Lines(manager->Owners()), (std::vector<std::string>{"TOtherForm", "TComPortForm"}));
  manager->Remove(1);
  EXPECT_EQ(manager->CompCount(), 1);
  EXPECT_EQ(manager->Components(0), other.Lang);
}

TEST(BinaryFiles, FixedLanguagesAndTheCommentsFileNameRoundTrip) {
  TLangForm f;
  TOwned<TQLBFileManager> manager(New<TQLBFileManager>());
  manager->Add(f.Lang);
  manager->FixedLanguages()->Add(u"English");
  manager->FixedLanguages()->Add(u"Türkçe");
  manager->CommentsFileName = u"notlar-ğ.txt";
  TStreamPtr s(New<TMemoryStream>());
  manager->SaveToStream(s.get());
  const std::string bytes = Bytes(s.get());
  EXPECT_EQ(bytes.substr(44, 2), Word2(17));
  EXPECT_EQ(bytes.substr(46, 17), "English\r\nT\xFCrk\xE7""e\r\n");

  TOwned<TQLBFileManager> read(New<TQLBFileManager>());
  read->ReadAllFromStream(s.get());
  EXPECT_EQ(Lines(read->FixedLanguages()), (std::vector<std::string>{"English", "Türkçe"}));
  EXPECT_EQ(read->CommentsFileName, u"notlar-ğ.txt");
  ASSERT_EQ(read->CompCount(), 1);
  EXPECT_EQ(read->Components(0)->ClassName(), u"TqlLang");

  TOwned<TQLBFileManager> copy(New<TQLBFileManager>());
  copy->Assign(read.get());
  ASSERT_EQ(copy->CompCount(), 1);
  EXPECT_NE(copy->Components(0), read->Components(0));
  EXPECT_EQ(Lines(copy->Owners()), (std::vector<std::string>{"TComPortForm"}));
  EXPECT_EQ(copy->CommentsFileName, u"notlar-ğ.txt");
}

TEST(BinaryFiles, ADelimiterOfTheFileBecomesTheComponentsOwn) {
  TLangForm f;
  f.Lang->SetLangDelim(9);
  f.Lang->Captions()->Clear();
  f.Lang->Captions()->Add(String(u"A\tb\tB\t"));
  const std::string path = TempFile("tab.qlb");
  f.Lang->SaveAllToBinaryFile(UTF8ToUTF16(path));
  TLangForm g;
  g.Lang->LoadAllFromBinaryFile(UTF8ToUTF16(path));
  EXPECT_EQ(Lines(g.Lang->Captions()), (std::vector<std::string>{"A|b|B|"}));
  EXPECT_EQ(g.Lang->LangDelim(), 1);
}

TEST(BinaryFiles, DamagedAndHostileFilesGiveAClearErrorAndChangeNothing) {
  TLangForm source;
  SetLines(source.Lang->Captions(), {u"A|a|A|"});
  const std::string good = ComponentStream(source.Lang);
  std::string header = Header();
  header[10] = 'X';
  // A stream with a component inside the localization component.
  std::string nested = good.substr(0, good.size() - 1) + "\x0CTTestControl\x01X" + std::string(3, '\0');
  TLangForm many;
  many.Lang->SetNumOfLanguages(2000);
  struct TCase {
    const char* Name;
    std::string File;
    std::string Error;
  };
  const std::string dir = "Invalid binary translation file: ";
  const TCase cases[] = {
      {"empty", "", "Unrecognized stream format!"},
      {"two bytes", "QL", "Unrecognized stream format!"},
      {"one header byte differs", header + Word2(0) + Word2(0), "Unrecognized stream format!"},
      {"the header alone", Header(), "Unrecognized stream format!"},
      {"the header and a count", Header() + Word2(0), "Stream read error"},
      {"a fixed-language length past the end", Header() + Word2(0) + Word2(500), dir + "a length runs past the end of the file"},
      {"a name length past the end", Header() + Word2(1) + Word2(0) + Word2(4000) + "TComPortForm",
       dir + "a length runs past the end of the file"},
      {"an offset past the end", Header() + Word2(1) + Word2(0) + Word2(12) + "TComPortForm" + Int4(0x7FFFFFF0) + good,
       dir + "the component of \"TComPortForm\" lies outside the file"},
      {"a negative offset", Header() + Word2(1) + Word2(0) + Word2(12) + "TComPortForm" + Int4(0xFFFFFFFF) + good,
       dir + "the component of \"TComPortForm\" lies outside the file"},
      {"an offset into the header", Header() + Word2(1) + Word2(0) + Word2(12) + "TComPortForm" + Int4(3) + good,
       dir + "the component of \"TComPortForm\" lies outside the file"},
      {"a component of another class", OneEntryFile("TComPortForm", ComponentStream(AddControl(source.Form.get(), u"Ctl"))),
       dir + "\"TTestControl\" is not a localization component class"},
      {"a component holding components", OneEntryFile("TComPortForm", nested),
       dir + "the component of \"TComPortForm\" holds other components"},
      {"too many languages", OneEntryFile("TComPortForm", ComponentStream(many.Lang)),
       dir + "the component of \"TComPortForm\" has too many languages"},
      {"a truncated component", OneEntryFile("TComPortForm", good.substr(0, good.size() / 2)), "Stream read error"},
  };
  for (const TCase& c : cases) {
    TLangForm f;
    SetLines(f.Lang->Captions(), {u"Mine|m|M|"});
    TStreamPtr s = StreamOf(c.File);
    EXPECT_EQ(ErrorOf([&] { f.Lang->LoadAllFromBinaryStream(s.get()); }), c.Error) << c.Name;
    EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"Mine|m|M|"})) << c.Name;
    EXPECT_EQ(f.Lang->NumOfLanguages(), 2) << c.Name;
    EXPECT_FALSE(f.Lang->QLBLoading()) << c.Name;
    EXPECT_EQ(f.Lang->ComponentCount(), 0) << c.Name;
    TOwned<TQLBFileManager> manager(New<TQLBFileManager>());
    EXPECT_EQ(ErrorOf([&] { manager->ReadAllFromStream(s.get()); }), c.Error) << c.Name;
  }
}

TEST(BinaryFiles, OneListFromAnEntryAndMergingABinaryFile) {
  const std::string path = TempFile("prop.qlb");
  TLangForm f;
  SetLines(f.Lang->Captions(), {u"A|a|A|"});
  SetLines(f.Lang->Hints(), {u"H|h|H|"});
  f.Lang->SaveAllToBinaryFile(UTF8ToUTF16(path));

  TLangForm g(false, {u"A", u"H", u"Old", u"Kept"});
  SetLines(g.Lang->Captions(), {u"Old|o|O|"});
  SetLines(g.Lang->Hints(), {u"Kept|k|K|"});
  g.Lang->LoadPropFromBinaryFile(stCaptions, UTF8ToUTF16(path));
  EXPECT_EQ(Lines(g.Lang->Captions()), (std::vector<std::string>{"A|a|A|"}));
  EXPECT_EQ(Lines(g.Lang->Hints()), (std::vector<std::string>{"Kept|k|K|"}));
  EXPECT_EQ(g.Form->ComponentCount(), 5);  // the temporary component is gone

  EXPECT_TRUE(g.Lang->MergeFromFile(stHints, UTF8ToUTF16(path)));
  EXPECT_EQ(Lines(g.Lang->Hints()), (std::vector<std::string>{"H|h|H|", "Kept|k|K|"}));
  TOwned<TStringList> names(New<TStringList>());
  g.Lang->GetLanguageNamesFromFile(UTF8ToUTF16(path), names.get());
  EXPECT_EQ(Lines(names.get()), (std::vector<std::string>{"Türkçe", "English"}));

  // A damaged binary file: the merge fails and the list stays.
  WriteBytes(path, "QLB junk");
  EXPECT_FALSE(g.Lang->MergeFromFile(stHints, UTF8ToUTF16(path)));
  EXPECT_EQ(Lines(g.Lang->Hints()), (std::vector<std::string>{"H|h|H|", "Kept|k|K|"}));
  // Saving into a damaged file does not overwrite it.
  EXPECT_EQ(ErrorOf([&] { g.Lang->SaveAllToBinaryFile(UTF8ToUTF16(path)); }), "Unrecognized stream format!");
  EXPECT_EQ(ReadFile(path), "QLB junk");
}

// A file of two entries cut at every length: each cut gives a clear error and
// leaves the component as it was; only the whole file loads.
TEST(BinaryFiles, AFileCutAtAnyLengthGivesAnErrorAndChangesNothing) {
  TLangForm port(false, {u"Button1"});
  SetLines(port.Lang->Captions(), {u"TComPortForm|Port|Port EN|", u"Button1|Tamam|OK|"});
  TLangForm other(true);
  SetLines(other.Lang->Captions(), {u"A|a|A|"});
  TOwned<TQLBFileManager> manager(New<TQLBFileManager>());
  manager->Add(other.Lang);
  manager->Add(port.Lang);
  manager->CommentsFileName = u"notes.txt";
  TStreamPtr whole(New<TMemoryStream>());
  manager->SaveToStream(whole.get());
  const std::string bytes = Bytes(whole.get());
  for (size_t n = 0; n < bytes.size(); ++n) {
    TLangForm f(false, {u"Button1"});
    SetLines(f.Lang->Captions(), {u"Mine|m|M|"});
    TStreamPtr s = StreamOf(bytes.substr(0, n));
    // A cut inside the comments file name is the one that still loads:
    // the entries are whole.
    const std::string error = ErrorOf([&] { f.Lang->LoadAllFromBinaryStream(s.get()); });
    if (!error.empty()) {
      EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"Mine|m|M|"})) << n;
    } else {
      EXPECT_GE(n, bytes.size() - 2 - 18) << n;
      EXPECT_EQ(Lines(f.Lang->Captions()), Lines(port.Lang->Captions())) << n;
    }
    EXPECT_EQ(f.Lang->ComponentCount(), 0) << n;
    EXPECT_FALSE(f.Lang->QLBLoading()) << n;
  }
}

// The fixed-language names and owner class names are 8-bit text of the
// system code page: a name it cannot hold is refused with a clear error
// instead of being written as question marks.
TEST(BinaryFiles, ANameTheCodePageCannotHoldIsRefused) {
  TLangForm f;
  TOwned<TQLBFileManager> manager(New<TQLBFileManager>());
  manager->Add(f.Lang);
  manager->FixedLanguages()->Add(u"Русский");
  TStreamPtr s(New<TMemoryStream>());
  EXPECT_EQ(ErrorOf([&] { manager->SaveToStream(s.get()); }),
            "Binary translation file: the fixed language \"Русский\" cannot be written in the system code page");
  manager->FixedLanguages()->Clear();
  manager->FixedLanguages()->Add(u"Türkçe");  // the Turkish code page holds it
  s->SetSize(0);
  manager->SaveToStream(s.get());
  TOwned<TQLBFileManager> read(New<TQLBFileManager>());
  read->ReadAllFromStream(s.get());
  EXPECT_EQ(Lines(read->FixedLanguages()), (std::vector<std::string>{"Türkçe"}));
}

// A file written under the English locale reads the same under the Turkish
// one: the lines (with I, ı, İ and Greek) travel in the component stream.
TEST(BinaryFiles, AFileWrittenUnderOneLocaleReadsTheSameUnderTheOther) {
  const std::string path = TempFile("locale.qlb");
  std::vector<std::string> written;
  {
    struct TEnglish {
      TEnglish() { SetSystemLocale(TSystemLocale::EnglishUS); }
      ~TEnglish() { SetSystemLocale(TSystemLocale::Turkish); }
    } english;
    TLangForm f(false, {u"Info"});
    SetLines(f.Lang->Captions(), {u"TComPortForm|Bilgi İleri|Info ıI|", u"Info|Λίστα 3,5|List 3.5|"});
    f.Lang->SaveAllToBinaryFile(UTF8ToUTF16(path));
    written = Lines(f.Lang->Captions());
  }
  TLangForm g(false, {u"Info"});
  g.Lang->LoadAllFromBinaryFile(UTF8ToUTF16(path));
  EXPECT_EQ(Lines(g.Lang->Captions()), written);
  EXPECT_EQ(g.Form->Caption(), u"Bilgi İleri");
}
