#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "tests/support/TestSupport.h"

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

std::vector<String> Items(TStrings* L) {
  std::vector<String> r;
  for (Integer i = 0; i < L->Count(); ++i) r.push_back(L->Strings(i));
  return r;
}

Owned<TStringList> ListOf(std::initializer_list<const char16_t*> Strings) {
  Owned<TStringList> l(New<TStringList>());
  for (auto s : Strings) l->Add(s);
  return l;
}

// Sets the locale for one test and restores Turkish, the program's default.
struct LocaleGuard {
  explicit LocaleGuard(TSystemLocale L) { SetSystemLocale(L); }
  ~LocaleGuard() { SetSystemLocale(TSystemLocale::Turkish); }
};

// Records the exchanges that a sort makes.
class TExchangeLog : public TStringList {
  CL_CLASS(TExchangeLog, TStringList)
 public:
  std::vector<std::pair<Integer, Integer>> Log;
  void Exchange(Integer Index1, Integer Index2) override {
    Log.emplace_back(Index1, Index2);
    inherited::Exchange(Index1, Index2);
  }
};

// A TStrings over its own storage, implementing only the abstract operations
// (the way a control presents its items).
class TVectorStrings : public TStrings {
  CL_CLASS(TVectorStrings, TStrings)
 public:
  std::vector<String> Data;
  std::vector<bool> UpdateStates;
  void Clear() override { Data.clear(); }
  void Delete(Integer Index) override { Data.erase(Data.begin() + Index); }
  void Insert(Integer Index, const String& S) override { Data.insert(Data.begin() + Index, S); }

 protected:
  String Get(Integer Index) override { return Data.at(static_cast<size_t>(Index)); }
  Integer GetCount() override { return static_cast<Integer>(Data.size()); }
  void SetUpdateState(Boolean Updating) override { UpdateStates.push_back(Updating); }
};

class TCountedItem : public TObject {
  CL_CLASS(TCountedItem, TObject)
 public:
  void Create(int* ACounter) { FCounter = ACounter; }
  void Destroy() override {
    ++*FCounter;
    inherited::Destroy();
  }

 private:
  int* FCounter{};
};

class TChangeListener : public TObject {
  CL_CLASS(TChangeListener, TObject)
 public:
  std::string Log;
  void Changing(TObject*) { Log += "<"; }
  void Changed(TObject*) { Log += ">"; }
};

// A component that publishes a string list, as controls publish their items.
class TListHolder : public TComponent {
  CL_CLASS(TListHolder, TComponent)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    FItems = New<TStringList>();
  }
  void Destroy() override {
    FreeAndNil(FItems);
    inherited::Destroy();
  }
  TStrings* Items() const { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  TStringList* FItems{};
};

}  // namespace

CL_IMPLEMENT_CLASS_PUBLISHED(TListHolder, P) {
  P.Property(u"Items", &TListHolder::Items, &TListHolder::SetItems);
}

namespace {

CL_IMPLEMENT_CLASS(TExchangeLog)
CL_IMPLEMENT_CLASS(TVectorStrings)
CL_IMPLEMENT_CLASS(TCountedItem)
CL_IMPLEMENT_CLASS(TChangeListener)

Integer CompareFirstChar(TStringList* List, Integer Index1, Integer Index2) {
  return Integer(List->Strings(Index1)[0]) - Integer(List->Strings(Index2)[0]);
}

TEST(TStringListTest, CustomSortFollowsTheQuicksortThroughExchange) {
  Owned<TExchangeLog> l(New<TExchangeLog>());
  for (auto s : {u"b1", u"a1", u"b2", u"a2", u"b3", u"a3"}) l->Add(s);
  l->CustomSort(CompareFirstChar);
  // Equal keys end in the order the platform's quicksort gives (worked by hand).
  EXPECT_EQ(Items(l.get()), (std::vector<String>{u"a2", u"a1", u"a3", u"b3", u"b1", u"b2"}));
  EXPECT_EQ(l->Log, (std::vector<std::pair<Integer, Integer>>{{0, 5}, {2, 4}, {0, 3}, {2, 3}, {4, 5}}));
  // A sorted list is left alone.
  l->SetSorted(true);
  l->Log.clear();
  l->CustomSort(CompareFirstChar);
  EXPECT_TRUE(l->Log.empty());
}

TEST(TStringListTest, SortedFindAndDuplicates) {
  LocaleGuard tr(TSystemLocale::Turkish);
  struct Case {
    TDuplicates Mode;
    std::vector<String> Expected;
    bool Raises;
  } cases[] = {
      {dupIgnore, {u"a", u"b", u"c"}, false},
      {dupAccept, {u"A", u"a", u"B", u"b", u"c"}, false},  // inserted before the equal ones
      {dupError, {u"a", u"b", u"c"}, true},
  };
  for (auto& c : cases) {
    Owned<TStringList> l(New<TStringList>());
    l->SetSorted(true);
    l->SetDuplicates(c.Mode);
    bool raised = false;
    for (auto s : {u"b", u"a", u"c", u"A", u"B"}) {
      try {
        l->Add(s);
      } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), u"String list does not allow duplicates");
        raised = true;
      }
    }
    EXPECT_EQ(raised, c.Raises);
    EXPECT_EQ(Items(l.get()), c.Expected) << int(c.Mode);
    Integer index = -1;
    EXPECT_TRUE(l->Find(u"B", index));
    if (c.Mode != dupAccept) {
      EXPECT_EQ(index, 1);
    }
    EXPECT_FALSE(l->Find(u"bb", index));
    EXPECT_EQ(index, c.Mode == dupAccept ? 4 : 2);  // where it would go
  }
  // dupIgnore answers the index of the string already there.
  Owned<TStringList> l = ListOf({u"x", u"y"});
  l->SetSorted(true);
  EXPECT_EQ(l->Add(u"Y"), 1);
  EXPECT_THROW(l->Insert(0, u"w"), EStringListError);
  EXPECT_THROW(l->SetStrings(0, u"w"), EStringListError);
}

TEST(TStringListTest, CaseSensitivityFollowsTheLocale) {
  {
    LocaleGuard tr(TSystemLocale::Turkish);
    Owned<TStringList> l = ListOf({u"istanbul", u"Izmir"});
    // Turkish: i pairs with İ, ı with I.
    EXPECT_EQ(l->IndexOf(u"İSTANBUL"), 0);
    EXPECT_EQ(l->IndexOf(u"ISTANBUL"), -1);
    EXPECT_EQ(l->IndexOf(u"ızmir"), 1);
    l->SetCaseSensitive(true);
    EXPECT_EQ(l->IndexOf(u"İSTANBUL"), -1);
    EXPECT_EQ(l->IndexOf(u"istanbul"), 0);
  }
  {
    LocaleGuard en(TSystemLocale::EnglishUS);
    Owned<TStringList> l = ListOf({u"istanbul"});
    EXPECT_EQ(l->IndexOf(u"ISTANBUL"), 0);
  }
}

TEST(TStringListTest, SortedListResortsWhenCaseSensitivityChanges) {
  LocaleGuard en(TSystemLocale::EnglishUS);
  Owned<TStringList> l = ListOf({u"b", u"B", u"a", u"A"});
  l->SetCaseSensitive(true);
  l->SetSorted(true);
  // Lower case sorts first in the locale's case-sensitive order.
  EXPECT_EQ(Items(l.get()), (std::vector<String>{u"a", u"A", u"b", u"B"}));
  Integer index;
  EXPECT_TRUE(l->Find(u"B", index));
  EXPECT_EQ(index, 3);
  l->SetCaseSensitive(false);
  EXPECT_TRUE(l->Find(u"B", index));
  EXPECT_LE(index, 3);
  EXPECT_EQ(l->IndexOf(u"a"), 1);  // the first match the bisection meets
}

TEST(TStringsTest, CommaTextQuoting) {
  struct Case {
    std::vector<String> Strings;
    String Text;
  } cases[] = {
      {{u"a", u"b"}, u"a,b"},
      {{u"a b", u"c"}, u"\"a b\",c"},
      {{u"say \"hi\""}, u"\"say \"\"hi\"\"\""},
      {{u"a,b"}, u"\"a,b\""},
      {{u"tab\there"}, u"\"tab\there\""},
      {{u""}, u"\"\""},
      {{u"", u"x"}, u",x"},
      {{}, u""},
  };
  for (auto& c : cases) {
    Owned<TStringList> l(New<TStringList>());
    for (auto& s : c.Strings) l->Add(s);
    EXPECT_EQ(l->CommaText(), c.Text);
    Owned<TStringList> back(New<TStringList>());
    back->SetCommaText(c.Text);
    EXPECT_EQ(Items(back.get()), c.Strings) << UTF16ToUTF8(c.Text);
  }
}

TEST(TStringsTest, DelimitedTextParsing) {
  struct Case {
    String Text;
    bool Strict;
    std::vector<String> Expected;
  } cases[] = {
      {u"a, b ,c", false, {u"a", u"b", u"c"}},
      {u"a b", false, {u"a", u"b"}},  // blanks separate too unless strict
      {u"a,,b", false, {u"a", u"", u"b"}},
      {u"a,", false, {u"a", u""}},
      {u"  ", false, {}},
      {u"\"unterminated", false, {u"unterminated"}},
      {u"\"x\"\"y\"", false, {u"x\"y"}},
      {u"\"q\"z", false, {u"q", u"z"}},
      {String(u"cut\0here", 8), false, {u"cut"}},
      {u"a b, c", true, {u"a b", u" c"}},
      {u"a,", true, {u"a", u""}},
      {u"\"a,b\",c", true, {u"a,b", u"c"}},
  };
  for (auto& c : cases) {
    Owned<TStringList> l(New<TStringList>());
    l->SetStrictDelimiter(c.Strict);
    l->SetDelimitedText(c.Text);
    EXPECT_EQ(Items(l.get()), c.Expected) << UTF16ToUTF8(c.Text);
  }
  // Own delimiter and quote; CommaText keeps them.
  Owned<TStringList> l = ListOf({u"a b", u"c;d", u"it's"});
  l->SetDelimiter(u';');
  l->SetQuoteChar(u'\'');
  l->SetStrictDelimiter(true);
  EXPECT_EQ(l->DelimitedText(), u"a b;'c;d';'it''s'");
  EXPECT_EQ(l->CommaText(), u"\"a b\",c;d,it's");
  EXPECT_EQ(l->Delimiter(), u';');
  l->SetDelimitedText(u"x y;'p;q'");
  EXPECT_EQ(Items(l.get()), (std::vector<String>{u"x y", u"p;q"}));
}

TEST(TStringsTest, TextWithMixedLineEnds) {
  struct Case {
    String Text;
    std::vector<String> Expected;
  } cases[] = {
      {u"a\r\nb\nc\rd\r\n", {u"a", u"b", u"c", u"d"}},
      {u"a\r\r\nb", {u"a", u"", u"b"}},
      {u"\n\r", {u"", u""}},
      {u"last", {u"last"}},
      {String(u"x\0y", 3), {u"x"}},
      {u"", {}},
  };
  for (auto& c : cases) {
    Owned<TStringList> l(New<TStringList>());
    l->SetText(c.Text);
    EXPECT_EQ(Items(l.get()), c.Expected) << UTF16ToUTF8(c.Text);
  }
  Owned<TStringList> l = ListOf({u"a", u"", u"b"});
  EXPECT_EQ(l->Text(), u"a\r\n\r\nb\r\n");
}

TEST(TStringsTest, NamesAndValues) {
  LocaleGuard tr(TSystemLocale::Turkish);
  Owned<TStringList> l = ListOf({u"Port=COM1", u"plain", u"Baud=9600=fast", u"Empty="});
  EXPECT_EQ(l->Names(0), u"Port");
  EXPECT_EQ(l->Names(1), u"");
  EXPECT_EQ(l->Values(u"port"), u"COM1");  // names compare like the list
  EXPECT_EQ(l->Values(u"Baud"), u"9600=fast");
  EXPECT_EQ(l->Values(u"Empty"), u"");
  EXPECT_EQ(l->Values(u"missing"), u"");
  EXPECT_EQ(l->ValueFromIndex(2), u"9600=fast");
  EXPECT_EQ(l->ValueFromIndex(1), u"");
  EXPECT_EQ(l->IndexOfName(u"BAUD"), 2);

  l->SetValues(u"Port", u"COM2");
  l->SetValues(u"Parity", u"None");
  l->SetValues(u"Baud", u"");  // an empty value deletes
  EXPECT_EQ(Items(l.get()), (std::vector<String>{u"Port=COM2", u"plain", u"Empty=", u"Parity=None"}));
  l->SetValueFromIndex(0, u"COM3");
  EXPECT_EQ(l->Strings(0), u"Port=COM3");

  l->SetNameValueSeparator(u':');
  l->Add(u"Key:Val");
  EXPECT_EQ(l->Values(u"Key"), u"Val");
  EXPECT_EQ(l->Names(0), u"");
}

TEST(TStringsTest, LoadFromStreamDetectsTheEncoding) {
  LocaleGuard tr(TSystemLocale::Turkish);
  struct Case {
    const char* Name;
    std::string Bytes;
  } cases[] = {
      {"ANSI 1254",
       "\xDE"
       "ek\r\nGen\xE7"},
      {"UTF-8",
       "\xEF\xBB\xBF\xC5\x9E"
       "ek\nGen\xC3\xA7"},
      {"UTF-16LE", std::string("\xFF\xFE\x5E\x01"
                               "e\0k\0\r\0\n\0G\0e\0n\0\xE7\0",
                               20)},
      {"UTF-16BE", std::string("\xFE\xFF\x01\x5E\0e\0k\0\r\0\n\0G\0e\0n\0\xE7", 20)},
  };
  for (auto& c : cases) {
    Owned<TMemoryStream> s(New<TMemoryStream>());
    s->WriteBuffer(c.Bytes.data(), static_cast<Integer>(c.Bytes.size()));
    s->SetPosition(0);
    Owned<TStringList> l(New<TStringList>());
    l->LoadFromStream(s.get());
    EXPECT_EQ(Items(l.get()), (std::vector<String>{u"Şek", u"Genç"})) << c.Name;
  }
  // Reading starts at the stream's position; an explicit encoding skips its mark.
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer("skip\xEF\xBB\xBFx\xC3\xA7", 10);
  s->SetPosition(4);
  Owned<TStringList> l(New<TStringList>());
  l->LoadFromStream(s.get(), TTextEncoding::UTF8);
  EXPECT_EQ(Items(l.get()), (std::vector<String>{u"xç"}));
}

TEST(TStringsTest, SaveToStreamBytes) {
  LocaleGuard tr(TSystemLocale::Turkish);
  Owned<TStringList> l = ListOf({u"Ğ", u"a"});
  struct Case {
    bool Default;
    TTextEncoding Encoding;
    std::string Bytes;
  } cases[] = {
      {true, TTextEncoding::Ansi, "\xD0\r\na\r\n"},
      {false, TTextEncoding::Ansi, "\xD0\r\na\r\n"},
      {false, TTextEncoding::UTF8, "\xEF\xBB\xBF\xC4\x9E\r\na\r\n"},
      {false, TTextEncoding::UTF16LE, std::string("\xFF\xFE\x1E\x01\r\0\n\0a\0\r\0\n\0", 14)},
  };
  for (auto& c : cases) {
    Owned<TMemoryStream> s(New<TMemoryStream>());
    if (c.Default)
      l->SaveToStream(s.get());
    else
      l->SaveToStream(s.get(), c.Encoding);
    EXPECT_EQ(std::string(static_cast<const char*>(s->Memory()), static_cast<size_t>(s->Size())), c.Bytes);
  }
}

TEST(TStringsTest, FileRoundTripAndMissingFile) {
  LocaleGuard tr(TSystemLocale::Turkish);
  std::string dir = testing_support::MakeTempDir("strings");
  String path = UTF8ToUTF16(dir + "/list.txt");
  Owned<TStringList> l = ListOf({u"Kontör", u"çığ"});
  l->SaveToFile(path, TTextEncoding::UTF8);
  Owned<TStringList> back(New<TStringList>());
  back->LoadFromFile(path);
  EXPECT_TRUE(back->Equals(l.get()));
  EXPECT_THROW(back->LoadFromFile(UTF8ToUTF16(dir + "/none.txt")), EFOpenError);
}

TEST(TStringListTest, IndexErrors) {
  Owned<TStringList> l = ListOf({u"a"});
  struct Case {
    std::function<void()> Op;
    const char16_t* Message;
  } cases[] = {
      {[&] { l->Strings(1); }, u"List index out of bounds (1)"},
      {[&] { l->Objects(-1); }, u"List index out of bounds (-1)"},
      {[&] { l->Delete(3); }, u"List index out of bounds (3)"},
      {[&] { l->Insert(2, u"x"); }, u"List index out of bounds (2)"},
      {[&] { l->Exchange(0, 1); }, u"List index out of bounds (1)"},
      {[&] { l->Move(0, 1); }, u"List index out of bounds (1)"},
      {[&] { l->SetCapacity(0); }, u"List capacity out of bounds (0)"},
  };
  for (auto& c : cases) {
    try {
      c.Op();
      ADD_FAILURE() << UTF16ToUTF8(c.Message);
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
  EXPECT_EQ(Items(l.get()), (std::vector<String>{u"a"}));
}

TEST(TStringListTest, OnChangeAndUpdates) {
  Owned<TChangeListener> listener(New<TChangeListener>());
  Owned<TStringList> l(New<TStringList>());
  l->SetOnChanging(TNotifyEvent(listener.get(), &TChangeListener::Changing));
  l->SetOnChange(TNotifyEvent(listener.get(), &TChangeListener::Changed));
  l->Add(u"a");
  l->BeginUpdate();
  l->Add(u"b");
  l->BeginUpdate();
  l->SetText(u"x\ny\nz");
  l->EndUpdate();
  EXPECT_EQ(l->UpdateCount(), 1);
  l->EndUpdate();
  EXPECT_EQ(listener->Log, "<><>");  // one pair per change outside updates, one for the update
  listener->Log.clear();
  l->Sort();
  EXPECT_EQ(listener->Log, "<>");
  l->Clear();
  l->Clear();  // nothing to clear: no event
  EXPECT_EQ(listener->Log, "<><>");
}

TEST(TStringListTest, OwnsObjects) {
  int freed = 0;
  Owned<TStringList> l(New<TStringList>(true));
  for (auto s : {u"a", u"b", u"c", u"d"}) l->AddObject(s, New<TCountedItem>(&freed));
  TObject* b = l->Objects(1);
  l->Move(1, 3);  // moved, not freed
  EXPECT_EQ(freed, 0);
  EXPECT_EQ(l->Objects(3), b);
  l->Exchange(0, 3);
  EXPECT_EQ(freed, 0);
  l->Delete(0);
  EXPECT_EQ(freed, 1);
  l->Clear();
  EXPECT_EQ(freed, 4);
  l->AddObject(u"e", New<TCountedItem>(&freed));
  l.reset();
  EXPECT_EQ(freed, 5);
}

TEST(TStringsTest, AssignCopiesStringsObjectsAndSettings) {
  Owned<TStringList> src = ListOf({u"a", u"b"});
  src->SetObjects(1, src.get());
  src->SetDelimiter(u'|');
  Owned<TStringList> dst = ListOf({u"old"});
  dst->Assign(src.get());
  EXPECT_TRUE(dst->Equals(src.get()));
  EXPECT_EQ(dst->Objects(1), src.get());
  EXPECT_EQ(dst->DelimitedText(), u"a|b");
  dst->SetStrings(0, u"A");
  EXPECT_FALSE(dst->Equals(src.get()));
  EXPECT_THROW(dst->Assign(nullptr), EConvertError);
}

TEST(TStringsTest, StreamsAsTheStringsProperty) {
  std::string text =
      "object Holder1: TListHolder\r\n"
      "  Items.Strings = (\r\n"
      "    'one'\r\n"
      "    'Kont'#246'r'\r\n"
      "    '')\r\n"
      "end\r\n";
  RegisterClass(TListHolder::StaticClass());
  std::string bin = ObjectTextToBinary(text);
  Owned<TMemoryStream> in(New<TMemoryStream>());
  in->WriteBuffer(bin.data(), static_cast<Integer>(bin.size()));
  in->SetPosition(0);
  Owned<TListHolder> holder(static_cast<TListHolder*>(ReadComponentFromStream(in.get(), nullptr)));
  EXPECT_EQ(Items(holder->FItems), (std::vector<String>{u"one", u"Kontör", u""}));

  Owned<TMemoryStream> out(New<TMemoryStream>());
  WriteDescendentToStream(out.get(), holder.get(), nullptr);
  EXPECT_EQ(ObjectBinaryToText(
                std::string(static_cast<const char*>(out->Memory()), static_cast<size_t>(out->Size()))),
            text);
  // An empty list writes nothing.
  holder->FItems->Clear();
  out->Clear();
  WriteDescendentToStream(out.get(), holder.get(), nullptr);
  EXPECT_EQ(ObjectBinaryToText(
                std::string(static_cast<const char*>(out->Memory()), static_cast<size_t>(out->Size()))),
            "object Holder1: TListHolder\r\nend\r\n");
  UnRegisterClass(TListHolder::StaticClass());
}

TEST(TStringsTest, BaseClassWorksThroughTheOverridables) {
  Owned<TVectorStrings> v(New<TVectorStrings>());
  v->SetText(u"one\r\ntwo\r\nthree");
  EXPECT_EQ(v->Data, (std::vector<String>{u"one", u"two", u"three"}));
  EXPECT_EQ(v->UpdateStates, (std::vector<bool>{true, false}));
  v->Exchange(0, 2);
  v->Move(0, 1);
  EXPECT_EQ(v->Data, (std::vector<String>{u"two", u"three", u"one"}));
  v->SetStrings(0, u"2");  // Put: Delete and Insert
  EXPECT_EQ(v->IndexOf(u"THREE"), 1);
  EXPECT_EQ(v->CommaText(), u"2,three,one");
  EXPECT_EQ(v->Objects(0), nullptr);
  EXPECT_EQ(v->Capacity(), 3);
  Owned<TStringList> copy(New<TStringList>());
  copy->Assign(v.get());
  EXPECT_EQ(copy->Text(), u"2\r\nthree\r\none\r\n");
}

}  // namespace
