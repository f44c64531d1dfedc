// The data-set core on the in-memory data set: navigation, bookmarks, the
// record window that data links see, their notifications, editing and its
// events, Locate/Lookup, filters, calculated and lookup fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/db/MemData.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"

namespace {

std::string U8(const String& S) {
  std::string out;
  for (Char c : S) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

// A data link that writes down every notification it gets.
class TRecordingLink : public TDataLink {
  CL_CLASS(TRecordingLink, TDataLink)
 public:
  std::vector<std::string> Log;
  Integer SeenActiveRecord = -1;

 protected:
  void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { Log.push_back("changed"); }
  void DataSetScrolled(Integer Distance) override {
    Log.push_back("scrolled " + std::to_string(Distance));
    SeenActiveRecord = ActiveRecord();
  }
  void EditingChanged() override { Log.push_back(Editing() ? "editing" : "not editing"); }
  void LayoutChanged() override { Log.push_back("layout"); }
  void RecordChanged(TField* Field) override {
    Log.push_back(Field ? "record " + U8(Field->FieldName()) : std::string("record"));
  }
  void UpdateData() override { Log.push_back("update data"); }
  void CheckBrowseMode() override { Log.push_back("check browse"); }
};
CL_IMPLEMENT_CLASS(TRecordingLink)

// Reads every record of its window when editing ends, as a grid repaints.
class TRepaintLink : public TDataLink {
  CL_CLASS(TRepaintLink, TDataLink)
 public:
  std::vector<Integer> Ids;

 protected:
  void EditingChanged() override {
    if (Editing()) return;
    Ids.clear();
    Integer active = ActiveRecord();
    for (Integer i = 0; i < RecordCount(); ++i) {
      SetActiveRecord(i);
      Ids.push_back(DataSet()->FieldByName(u"ID")->AsInteger());
    }
    SetActiveRecord(active);
  }
};
CL_IMPLEMENT_CLASS(TRepaintLink)

// Writes the data set events it gets.
class TEventSink : public TObject {
  CL_CLASS(TEventSink, TObject)
 public:
  std::vector<std::string> Log;
  void BeforeEdit(TDataSet*) { Log.push_back("BeforeEdit"); }
  void AfterEdit(TDataSet*) { Log.push_back("AfterEdit"); }
  void BeforeInsert(TDataSet*) { Log.push_back("BeforeInsert"); }
  void AfterInsert(TDataSet*) { Log.push_back("AfterInsert"); }
  void NewRecord(TDataSet* D) {
    Log.push_back("OnNewRecord");
    D->FieldByName(u"Name")->SetAsString(u"new");
  }
  void BeforePost(TDataSet*) { Log.push_back("BeforePost"); }
  void AfterPost(TDataSet*) { Log.push_back("AfterPost"); }
  void BeforeCancel(TDataSet*) { Log.push_back("BeforeCancel"); }
  void AfterCancel(TDataSet*) { Log.push_back("AfterCancel"); }
  void BeforeDelete(TDataSet*) { Log.push_back("BeforeDelete"); }
  void AfterDelete(TDataSet*) { Log.push_back("AfterDelete"); }
  void BeforeScroll(TDataSet*) { Log.push_back("BeforeScroll"); }
  void AfterScroll(TDataSet*) { Log.push_back("AfterScroll"); }
  void BeforeOpen(TDataSet*) { Log.push_back("BeforeOpen"); }
  void AfterOpen(TDataSet*) { Log.push_back("AfterOpen"); }
  void BeforeClose(TDataSet*) { Log.push_back("BeforeClose"); }
  void AfterClose(TDataSet*) { Log.push_back("AfterClose"); }
  void CalcFields(TDataSet* D) {
    D->FieldByName(u"Double")->SetAsFloat(D->FieldByName(u"Amount")->AsFloat() * 2);
  }
  void EvenOnly(TDataSet* D, Boolean& Accept) { Accept = D->FieldByName(u"ID")->AsInteger() % 2 == 0; }
  void Validate(TField* F) {
    if (F->AsInteger() < 0) throw EDatabaseError(u"negative");
  }
};
CL_IMPLEMENT_CLASS(TEventSink)

class DataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Owner = New<TComponent>(nullptr);
    Data = New<TMemDataSet>(Owner);
    Data->SetName(u"Data");
    Data->FieldDefs()->Add(u"ID", ftInteger);
    Data->FieldDefs()->Add(u"Name", ftString, 10);
    Data->FieldDefs()->Add(u"Amount", ftFloat);
    Data->Open();
    for (Integer i = 1; i <= 20; ++i)
      Data->AppendRecord({Variant(i), Variant(String(u"Name") + IntToStr(i)), Variant(i * 1.5)});
    Data->First();
    Source = New<TDataSource>(Owner);
    Source->SetDataSet(Data);
    Sink = New<TEventSink>();
  }
  void TearDown() override {
    Free(Link);
    Free(Owner);
    Free(Sink);
  }
  TRecordingLink* MakeLink(Integer BufferCount) {
    Link = New<TRecordingLink>();
    Link->SetBufferCount(BufferCount);
    Link->SetDataSource(Source);
    Link->Log.clear();
    return Link;
  }
  Integer ID() { return Data->FieldByName(u"ID")->AsInteger(); }

  TComponent* Owner{};
  TMemDataSet* Data{};
  TDataSource* Source{};
  TRecordingLink* Link{};
  TEventSink* Sink{};
};

TEST_F(DataSetTest, NavigatesWithBofEofAndRecNo) {
  EXPECT_EQ(Data->RecordCount(), 20);
  EXPECT_TRUE(Data->Bof());
  EXPECT_EQ(ID(), 1);
  Data->Next();
  EXPECT_FALSE(Data->Bof());
  EXPECT_EQ(ID(), 2);
  EXPECT_EQ(Data->RecNo(), 2);
  EXPECT_EQ(Data->MoveBy(100), 18);
  EXPECT_TRUE(Data->Eof());
  EXPECT_EQ(ID(), 20);
  Data->Next();
  EXPECT_EQ(ID(), 20);
  EXPECT_EQ(Data->MoveBy(-5), -5);
  EXPECT_EQ(ID(), 15);
  Data->Last();
  EXPECT_TRUE(Data->Eof());
  Data->SetRecNo(7);
  EXPECT_EQ(ID(), 7);
  EXPECT_EQ(Data->RecNo(), 7);
  Data->First();
  Data->Prior();
  EXPECT_TRUE(Data->Bof());
  EXPECT_EQ(ID(), 1);
}

// The in-place value is the value, read where the active record holds it.
TEST_F(DataSetTest, ValueRefReadsTheActiveRecordInPlace) {
  TField* Name = Data->FieldByName(u"Name");
  Data->SetRecNo(4);
  const Variant& V = Name->ValueRef();
  EXPECT_EQ(VarToStr(V), u"Name4");
  EXPECT_EQ(VarToStr(Name->Value()), VarToStr(V));
  Data->Edit();
  Name->SetAsString(u"");
  Data->FieldByName(u"Amount")->Clear();
  EXPECT_TRUE(VarIsNull(Data->FieldByName(u"Amount")->ValueRef()));
  Data->Cancel();
  EXPECT_EQ(VarToStr(Name->ValueRef()), u"Name4");
  // Taken from a record that reads its row: read from the row again after.
  Data->SetRecNo(6);
  EXPECT_EQ(VarToStr(Name->TakeValue()), u"Name6");
  EXPECT_EQ(VarToStr(Name->Value()), u"Name6");
  EXPECT_EQ(VarToStr(Name->TakeValue()), u"Name6");
  // An edited record holds its values itself: taking copies them.
  Data->Edit();
  Name->SetAsString(u"Edited");
  EXPECT_EQ(VarToStr(Name->TakeValue()), u"Edited");
  EXPECT_EQ(VarToStr(Name->Value()), u"Edited");
  Data->Cancel();
  EXPECT_EQ(VarToStr(Name->Value()), u"Name6");
}

TEST_F(DataSetTest, BookmarksFindRecordsAgainAndOrderThem) {
  Data->SetRecNo(5);
  TBookmark five = Data->Bookmark();
  Data->SetRecNo(12);
  TBookmark twelve = Data->Bookmark();
  EXPECT_EQ(Data->CompareBookmarks(five, twelve), -1);
  EXPECT_EQ(Data->CompareBookmarks(twelve, five), 1);
  EXPECT_EQ(Data->CompareBookmarks(five, five), 0);
  EXPECT_EQ(Data->CompareBookmarks(TBookmark(), five), -1);
  Data->GotoBookmark(five);
  EXPECT_EQ(ID(), 5);
  EXPECT_TRUE(Data->BookmarkValid(five));
  Data->Delete();
  EXPECT_FALSE(Data->BookmarkValid(five));
  EXPECT_EQ(ID(), 6);
  EXPECT_THROW(Data->GotoBookmark(five), EDatabaseError);
  EXPECT_FALSE(Data->BookmarkValid(TBookmark{1, 2, 3}));
}

TEST_F(DataSetTest, DataLinkWindowFollowsScrolling) {
  MakeLink(5);
  EXPECT_EQ(Data->BufferCount(), 5);
  EXPECT_EQ(Link->RecordCount(), 5);
  EXPECT_EQ(Link->ActiveRecord(), 0);
  struct Step {
    Integer Move;
    std::string Event;
    Integer Active;
    Integer CurrentId;
  };
  // By one inside the window, by one past its end, by a page, by more than
  // the window, and back.
  const Step steps[] = {
      {1, "scrolled 0", 1, 2},    {3, "scrolled 0", 4, 5},     {1, "scrolled 1", 4, 6},
      {5, "scrolled 5", 4, 11},   {7, "scrolled 7", 4, 18},    {-1, "scrolled 0", 3, 17},
      {-4, "scrolled -1", 0, 13}, {-10, "scrolled -10", 0, 3},
  };
  for (const Step& s : steps) {
    Link->Log.clear();
    Data->MoveBy(s.Move);
    ASSERT_EQ(Link->Log.size(), 2u) << s.Move;
    EXPECT_EQ(Link->Log[0], "check browse") << s.Move;
    EXPECT_EQ(Link->Log[1], s.Event) << s.Move;
    EXPECT_EQ(Link->ActiveRecord(), s.Active) << s.Move;
    EXPECT_EQ(ID(), s.CurrentId) << s.Move;
  }
  // Each row of the window reads its own record.
  std::vector<Integer> ids;
  Integer saved = Link->ActiveRecord();
  for (Integer r = 0; r < Link->RecordCount(); ++r) {
    Link->SetActiveRecord(r);
    ids.push_back(ID());
  }
  Link->SetActiveRecord(saved);
  EXPECT_EQ(ids, (std::vector<Integer>{3, 4, 5, 6, 7}));
  EXPECT_EQ(ID(), 3);
}

TEST_F(DataSetTest, BufferCountChangesKeepTheActiveRecord) {
  MakeLink(4);
  Data->MoveBy(3);
  EXPECT_EQ(Link->ActiveRecord(), 3);
  Link->SetBufferCount(2);
  EXPECT_EQ(Link->RecordCount(), 2);
  EXPECT_EQ(Link->ActiveRecord(), 1);
  EXPECT_EQ(ID(), 4);
  Link->SetBufferCount(10);
  EXPECT_EQ(Link->RecordCount(), 10);
  EXPECT_EQ(ID(), 4);
  Link->SetActiveRecord(Link->ActiveRecord());
  EXPECT_EQ(Data->ActiveBuffer()->Values[0].AsInteger(), 4);
}

TEST_F(DataSetTest, DataLinkNotificationsInOrder) {
  MakeLink(3);
  Data->Close();
  EXPECT_EQ(Link->Log, (std::vector<std::string>{"inactive"}));
  Link->Log.clear();
  Data->Open();
  EXPECT_EQ(Link->Log, (std::vector<std::string>{"active"}));
  Link->Log.clear();
  Data->Next();
  EXPECT_EQ(Link->Log, (std::vector<std::string>{"check browse", "scrolled 0"}));
  Link->Log.clear();
  Data->Edit();
  EXPECT_EQ(Link->Log, (std::vector<std::string>{"check browse", "editing", "record"}));
  Link->Log.clear();
  Data->FieldByName(u"Name")->SetAsString(u"x");
  EXPECT_EQ(Link->Log, (std::vector<std::string>{"record Name"}));
  Link->Log.clear();
  Data->Post();
  EXPECT_EQ(Link->Log, (std::vector<std::string>{"update data", "check browse", "not editing", "changed"}));
  Link->Log.clear();
  Data->DisableControls();
  Data->Close();
  Data->Open();
  EXPECT_TRUE(Link->Log.empty());
  Data->EnableControls();
  EXPECT_EQ(Link->Log, (std::vector<std::string>{"layout"}));
  EXPECT_TRUE(Link->Active());
}

TEST_F(DataSetTest, EditingEventsInOrder) {
  Data->SetBeforeEdit(TDataSetNotifyEvent(Sink, &TEventSink::BeforeEdit));
  Data->SetAfterEdit(TDataSetNotifyEvent(Sink, &TEventSink::AfterEdit));
  Data->SetBeforeInsert(TDataSetNotifyEvent(Sink, &TEventSink::BeforeInsert));
  Data->SetAfterInsert(TDataSetNotifyEvent(Sink, &TEventSink::AfterInsert));
  Data->SetOnNewRecord(TDataSetNotifyEvent(Sink, &TEventSink::NewRecord));
  Data->SetBeforePost(TDataSetNotifyEvent(Sink, &TEventSink::BeforePost));
  Data->SetAfterPost(TDataSetNotifyEvent(Sink, &TEventSink::AfterPost));
  Data->SetBeforeCancel(TDataSetNotifyEvent(Sink, &TEventSink::BeforeCancel));
  Data->SetAfterCancel(TDataSetNotifyEvent(Sink, &TEventSink::AfterCancel));
  Data->SetBeforeDelete(TDataSetNotifyEvent(Sink, &TEventSink::BeforeDelete));
  Data->SetAfterDelete(TDataSetNotifyEvent(Sink, &TEventSink::AfterDelete));
  Data->SetBeforeScroll(TDataSetNotifyEvent(Sink, &TEventSink::BeforeScroll));
  Data->SetAfterScroll(TDataSetNotifyEvent(Sink, &TEventSink::AfterScroll));

  Data->SetRecNo(3);
  Sink->Log.clear();
  Data->Edit();
  EXPECT_EQ(Data->State(), dsEdit);
  EXPECT_FALSE(Data->Modified());
  Data->FieldByName(u"Amount")->SetAsFloat(99);
  EXPECT_TRUE(Data->Modified());
  EXPECT_EQ(Data->FieldByName(u"Amount")->OldValue().AsDouble(), 4.5);
  Data->Post();
  EXPECT_EQ(Sink->Log, (std::vector<std::string>{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost"}));
  EXPECT_EQ(Data->FieldByName(u"Amount")->AsFloat(), 99);

  Sink->Log.clear();
  Data->Insert();
  EXPECT_EQ(Data->State(), dsInsert);
  EXPECT_EQ(Data->FieldByName(u"Name")->AsString(), u"new");
  Data->Cancel();
  EXPECT_EQ(Sink->Log, (std::vector<std::string>{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert",
                                                 "AfterScroll", "BeforeCancel", "AfterCancel"}));
  EXPECT_EQ(ID(), 3);
  EXPECT_EQ(Data->RecordCount(), 20);

  // Insert puts the new record before the current one.
  Data->Insert();
  Data->FieldByName(u"ID")->SetAsInteger(100);
  Data->Post();
  EXPECT_EQ(ID(), 100);
  EXPECT_EQ(Data->RecNo(), 3);
  Data->Next();
  EXPECT_EQ(ID(), 3);

  Sink->Log.clear();
  Data->Delete();
  EXPECT_EQ(Sink->Log,
            (std::vector<std::string>{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
  EXPECT_EQ(ID(), 4);
  EXPECT_EQ(Data->RecordCount(), 20);

  // Moving while editing posts a modified record and cancels an unmodified one.
  Data->Edit();
  Data->FieldByName(u"Name")->SetAsString(u"moved");
  Data->Next();
  Data->Prior();
  EXPECT_EQ(Data->FieldByName(u"Name")->AsString(), u"moved");
  Data->Append();
  Data->Next();
  EXPECT_EQ(Data->RecordCount(), 20);
}

TEST_F(DataSetTest, FieldWritesNeedEditModeAndValidValues) {
  TField* id = Data->FieldByName(u"ID");
  EXPECT_THROW(id->SetAsInteger(5), EDatabaseError);
  Data->Edit();
  EXPECT_THROW(id->SetAsString(u"abc"), EDatabaseError);
  EXPECT_THROW(Data->FieldByName(u"Amount")->SetAsString(u"1,2,3"), EDatabaseError);
  id->SetOnValidate(TFieldNotifyEvent(Sink, &TEventSink::Validate));
  EXPECT_THROW(id->SetAsInteger(-1), EDatabaseError);
  EXPECT_EQ(id->AsInteger(), 1);  // the rejected value is not kept
  Data->FieldByName(u"Name")->SetAsString(u"a much longer name");
  EXPECT_EQ(Data->FieldByName(u"Name")->AsString(), u"a much lon");
  Data->Cancel();
  id->SetReadOnly(true);
  Data->Edit();
  EXPECT_THROW(id->SetAsInteger(3), EDatabaseError);
  Data->Cancel();
  EXPECT_THROW(Data->FieldByName(u"Nope"), EDatabaseError);
  Data->Close();
  EXPECT_EQ(Data->FindField(u"ID"), nullptr);  // default fields live while open
  EXPECT_THROW(Data->Next(), EDatabaseError);
}

TEST_F(DataSetTest, RequiredFieldsBlockPost) {
  Data->FieldByName(u"Name")->SetRequired(true);
  Data->Append();
  Data->FieldByName(u"ID")->SetAsInteger(50);
  try {
    Data->Post();
    FAIL() << "posted without a required value";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), u"Data: Field 'Name' must have a value");
  }
  EXPECT_EQ(Data->State(), dsInsert);
  Data->Cancel();
  EXPECT_EQ(Data->RecordCount(), 20);
}

TEST_F(DataSetTest, LocateWithEachOption) {
  struct Case {
    const char16_t* Key;
    TLocateOptions Options;
    bool Found;
    Integer Id;
  };
  const Case cases[] = {
      {u"Name7", {}, true, 7},
      {u"name7", {}, false, 0},
      {u"name7", {loCaseInsensitive}, true, 7},
      {u"Name1", {loPartialKey}, true, 1},
      {u"NAME2", {loPartialKey, loCaseInsensitive}, true, 2},
      {u"Name20", {loPartialKey}, true, 20},
      {u"Nome", {loPartialKey, loCaseInsensitive}, false, 0},
  };
  for (const Case& c : cases) {
    Data->SetRecNo(10);
    EXPECT_EQ(Data->Locate(u"Name", Variant(String(c.Key)), c.Options), c.Found) << U8(c.Key);
    EXPECT_EQ(ID(), c.Found ? c.Id : 10) << U8(c.Key);
  }
  // Several key fields take an array; numbers match across variant types.
  EXPECT_TRUE(Data->Locate(u"ID;Name", VarArrayOf({Variant(12), Variant(u"Name12")}), {}));
  EXPECT_EQ(ID(), 12);
  EXPECT_TRUE(Data->Locate(u"ID", Variant(u"15"), {}));
  EXPECT_EQ(ID(), 15);
  EXPECT_FALSE(Data->Locate(u"ID;Name", VarArrayOf({Variant(12), Variant(u"Name13")}), {}));
  EXPECT_EQ(Data->Lookup(u"ID", Variant(4), u"Name").AsString(), u"Name4");
  EXPECT_TRUE(VarIsNull(Data->Lookup(u"ID", Variant(400), u"Name")));
  EXPECT_EQ(ID(), 15);  // Lookup does not move
}

TEST_F(DataSetTest, FilterExpressionsAndEvents) {
  struct Case {
    const char16_t* Filter;
    TFilterOptions Options;
    Integer Count;
  };
  const Case cases[] = {
      {u"ID > 15", {}, 5},
      {u"ID >= 5 and ID < 8", {}, 3},
      {u"ID = 1 or ID = 20 or (Amount > 10 and Amount <= 12)", {}, 4},
      {u"not (ID <> 3)", {}, 1},
      {u"Name = 'Name1*'", {}, 11},
      {u"Name = 'name1*'", {foCaseInsensitive}, 11},
      {u"Name = 'Name1*'", {foNoPartialCompare}, 0},
      {u"Amount is null", {}, 0},
      {u"[Name] <> 'Name5' and Amount is not null", {}, 19},
  };
  for (const Case& c : cases) {
    Data->SetFilterOptions(c.Options);
    Data->SetFilter(c.Filter);
    Data->SetFiltered(true);
    EXPECT_EQ(Data->RecordCount(), c.Count) << U8(c.Filter);
    Integer walked = 0;
    for (Data->First(); !Data->Eof(); Data->Next()) ++walked;
    EXPECT_EQ(walked, c.Count) << U8(c.Filter);
    Data->SetFiltered(false);
  }
  for (const char16_t* bad : {u"ID >", u"(ID = 1", u"Name = 'x", u"ID ! 3", u"= 3"})
    EXPECT_THROW(Data->SetFilter(bad), EDatabaseError) << U8(bad);
  EXPECT_EQ(Data->Filter(), u"[Name] <> 'Name5' and Amount is not null");
  // Deep nesting is refused, not recursed into without end.
  EXPECT_THROW(Data->SetFilter(String(5000, u'(') + u"ID = 1" + String(5000, u')')), EDatabaseError);
  EXPECT_THROW(Data->SetFilter(String(5000, u'n') + u"ot ID = 1"), EDatabaseError);
  // A filter naming a missing field fails when records are read.
  Data->SetFilter(u"Nope = 1");
  EXPECT_THROW(Data->SetFiltered(true), EDatabaseError);
  Data->SetFiltered(false);

  Data->SetFilter(u"");
  Data->SetOnFilterRecord(TFilterRecordEvent(Sink, &TEventSink::EvenOnly));
  Data->SetFiltered(true);
  EXPECT_EQ(Data->RecordCount(), 10);
  EXPECT_EQ(ID(), 2);
  EXPECT_FALSE(Data->Locate(u"ID", Variant(3), {}));
  EXPECT_TRUE(Data->Locate(u"ID", Variant(4), {}));
  EXPECT_EQ(Data->RecNo(), 2);
}

TEST_F(DataSetTest, CalculatedAndLookupFields) {
  Data->Close();
  // Persistent fields: the data fields plus a calculated and a lookup field.
  for (Integer i = 0; i < Data->FieldDefs()->Count(); ++i)
    Data->FieldDefs()->Items(i)->CreateField(Data, Data);
  TFloatField* dbl = New<TFloatField>(Data);
  dbl->SetFieldName(u"Double");
  dbl->SetFieldKind(fkCalculated);
  dbl->SetDataSet(Data);

  TMemDataSet* names = New<TMemDataSet>(Owner);
  names->FieldDefs()->Add(u"Key", ftInteger);
  names->FieldDefs()->Add(u"Label", ftString, 10);
  names->Open();
  names->AppendRecord({Variant(2), Variant(u"two")});
  names->AppendRecord({Variant(3), Variant(u"three")});
  TStringField* label = New<TStringField>(Data);
  label->SetFieldName(u"Label");
  label->SetFieldKind(fkLookup);
  label->SetKeyFields(u"ID");
  label->SetLookupDataSet(names);
  label->SetLookupKeyFields(u"Key");
  label->SetLookupResultField(u"Label");
  label->SetDataSet(Data);

  Data->SetOnCalcFields(TDataSetNotifyEvent(Sink, &TEventSink::CalcFields));
  Data->Open();
  EXPECT_FALSE(Data->DefaultFields());
  EXPECT_DOUBLE_EQ(dbl->AsFloat(), 3.0);
  EXPECT_TRUE(label->IsNull());
  Data->Next();
  EXPECT_EQ(label->AsString(), u"two");
  Data->Next();
  EXPECT_EQ(label->AsString(), u"three");
  Data->Edit();
  Data->FieldByName(u"Amount")->SetAsFloat(10);
  EXPECT_DOUBLE_EQ(dbl->AsFloat(), 20.0);
  Data->FieldByName(u"ID")->SetAsInteger(2);
  EXPECT_EQ(label->AsString(), u"two");
  Data->Cancel();
  EXPECT_TRUE(Data->Locate(u"Label", Variant(u"two"), {}));
  EXPECT_EQ(ID(), 2);
  EXPECT_THROW(dbl->SetAsFloat(1), EDatabaseError);
}

TEST_F(DataSetTest, FieldTextAndTypes) {
  TMemDataSet* d = New<TMemDataSet>(Owner);
  d->FieldDefs()->Add(u"S", ftSmallint);
  d->FieldDefs()->Add(u"W", ftWord);
  d->FieldDefs()->Add(u"B", ftBoolean);
  d->FieldDefs()->Add(u"D", ftDateTime);
  d->FieldDefs()->Add(u"C", ftCurrency);
  d->FieldDefs()->Add(u"M", ftMemo);
  d->Open();
  EXPECT_TRUE(Is<TSmallintField>(d->Fields()->Fields(0)));
  EXPECT_TRUE(Is<TWordField>(d->Fields()->Fields(1)));
  EXPECT_TRUE(Is<TBooleanField>(d->Fields()->Fields(2)));
  EXPECT_TRUE(Is<TDateTimeField>(d->Fields()->Fields(3)));
  EXPECT_TRUE(Is<TCurrencyField>(d->Fields()->Fields(4)));
  EXPECT_TRUE(Is<TMemoField>(d->Fields()->Fields(5)));
  d->Append();
  EXPECT_THROW(d->FieldByName(u"S")->SetAsInteger(40000), EDatabaseError);
  EXPECT_THROW(d->FieldByName(u"W")->SetAsInteger(-1), EDatabaseError);
  d->FieldByName(u"W")->SetAsInteger(65535);
  EXPECT_EQ(d->FieldByName(u"W")->AsVariant().VType(), varWord);
  d->FieldByName(u"B")->SetAsString(u"true");
  EXPECT_TRUE(d->FieldByName(u"B")->AsBoolean());
  EXPECT_EQ(d->FieldByName(u"B")->DisplayText(), u"True");
  d->FieldByName(u"D")->SetAsDateTime(45000.5);
  EXPECT_EQ(d->FieldByName(u"D")->AsVariant().VType(), varDate);
  TStream* s = d->CreateBlobStream(d->FieldByName(u"M"), bmWrite);
  s->WriteBuffer("abc", 3);
  Free(s);
  EXPECT_EQ(d->FieldByName(u"M")->AsString(), u"abc");
  d->Post();
  EXPECT_EQ(d->FieldByName(u"M")->AsString(), u"abc");
  EXPECT_EQ(d->FieldByName(u"S")->DisplayWidth(), 6);
  EXPECT_EQ(d->FieldByName(u"S")->Alignment(), taRightJustify);
  EXPECT_EQ(DefaultFieldClass(ftAutoInc).Class(), TAutoIncField::StaticClass());
}

TEST_F(DataSetTest, DataSourceEventsAndCircularLinks) {
  TMemDataSet* detail = New<TMemDataSet>(Owner);
  EXPECT_FALSE(Source->IsLinkedTo(detail));
  Source->SetEnabled(false);
  MakeLink(1);
  EXPECT_FALSE(Link->Active());
  Source->SetEnabled(true);
  EXPECT_TRUE(Link->Active());
  Free(Data);
  Data = nullptr;
  EXPECT_EQ(Source->DataSet(), nullptr);
  EXPECT_FALSE(Link->Active());
}

TEST_F(DataSetTest, WindowRecordsReadWhilePostingShowTheirOwnRows) {
  // The insert moves the rows after it before the window is read again.
  TRepaintLink* repaint = New<TRepaintLink>();
  repaint->SetBufferCount(5);
  repaint->SetDataSource(Source);
  Data->MoveBy(2);
  Data->Insert();
  Data->FieldByName(u"ID")->SetAsInteger(100);
  Data->Post();
  EXPECT_EQ(repaint->Ids, (std::vector<Integer>{1, 2, 100, 3, 4}));
  EXPECT_EQ(ID(), 100);
  Data->Next();
  EXPECT_EQ(ID(), 3);
  Free(repaint);
}

// The rows a data set should hold, by ID, in order.
struct TModelRow {
  Integer Id;
  Variant Text, Data, Amount;
};

bool SameValue(const Variant& A, const Variant& B) {
  if (A.VType() != B.VType()) return false;
  if (VarIsNull(A)) return true;
  if (A.VType() == varString) return A.AsAnsiString() == B.AsAnsiString();
  if (A.VType() == varUString) return A.AsString() == B.AsString();
  return A == B;
}

// Compares the record the data set shows with the model's row of that ID.
::testing::AssertionResult ShowsModelRow(TDataSet* D, const std::vector<TModelRow>& Model) {
  Integer id = D->FieldByName(u"ID")->AsInteger();
  for (const TModelRow& r : Model) {
    if (r.Id != id) continue;
    if (!SameValue(D->FieldByName(u"Text")->AsVariant(), r.Text))
      return ::testing::AssertionFailure() << "Text of " << id;
    if (!SameValue(D->FieldByName(u"Data")->AsVariant(), r.Data))
      return ::testing::AssertionFailure() << "Data of " << id;
    if (!SameValue(D->FieldByName(u"Amount")->AsVariant(), r.Amount))
      return ::testing::AssertionFailure() << "Amount of " << id;
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "no row " << id;
}

// Walks forward and back and through a window of 7 records (each record read
// from its own buffer, as a grid reads them), checking every row.
void ExpectRows(TDataSet* D, TRecordingLink* Link, const std::vector<TModelRow>& Model, const char* When) {
  SCOPED_TRACE(When);
  D->First();
  size_t k = 0;
  for (; !D->Eof(); D->Next(), ++k) {
    ASSERT_LT(k, Model.size());
    ASSERT_EQ(D->FieldByName(u"ID")->AsInteger(), Model[k].Id);
    ASSERT_TRUE(ShowsModelRow(D, Model));
  }
  EXPECT_EQ(k, Model.size());
  D->Last();
  for (k = Model.size(); !D->Bof(); D->Prior()) {
    ASSERT_GT(k, 0u);
    ASSERT_EQ(D->FieldByName(u"ID")->AsInteger(), Model[--k].Id);
  }
  D->First();
  std::vector<Integer> seen;
  for (;;) {
    Integer active = Link->ActiveRecord();
    for (Integer i = 0; i < Link->RecordCount(); ++i) {
      Link->SetActiveRecord(i);
      ASSERT_TRUE(ShowsModelRow(D, Model));
      Integer id = D->FieldByName(u"ID")->AsInteger();
      if (std::find(seen.begin(), seen.end(), id) == seen.end()) seen.push_back(id);
    }
    Link->SetActiveRecord(active);
    if (D->Eof()) break;
    D->MoveBy(7);
  }
  EXPECT_EQ(seen.size(), Model.size());
}

TEST(MemDataSetRows, NullsLongTextAndBlobsSurviveEditsAndDeletes) {
  TComponent* owner = New<TComponent>(nullptr);
  TMemDataSet* d = New<TMemDataSet>(owner);
  d->FieldDefs()->Add(u"ID", ftInteger);
  d->FieldDefs()->Add(u"Text", ftWideMemo);
  d->FieldDefs()->Add(u"Data", ftBlob);
  d->FieldDefs()->Add(u"Amount", ftFloat);
  d->Open();
  TDataSource* source = New<TDataSource>(owner);
  source->SetDataSet(d);
  TRecordingLink* link = New<TRecordingLink>();
  link->SetBufferCount(7);
  link->SetDataSource(source);
  // Text of 0 to 343 characters (inline, in the arena, none), bytes with zeros.
  auto text = [](Integer I) {
    return I % 3 == 0 ? Null()
                      : Variant(String(static_cast<size_t>(I % 50) * 7, static_cast<Char>(u'ğ' + I % 5)));
  };
  auto data = [](Integer I) {
    if (I % 4 == 0) return Null();
    AnsiString b(static_cast<size_t>(I % 40), '\0');
    for (size_t k = 0; k < b.size(); k += 3) b[k] = static_cast<char>(0x80 + k);
    return Variant(b);
  };
  std::vector<TModelRow> model;
  for (Integer i = 1; i <= 600; ++i) {
    TModelRow r{i, text(i), data(i), i % 5 == 0 ? Null() : Variant(i * 0.25)};
    d->AppendRecord({Variant(i), r.Text, r.Data, r.Amount});
    model.push_back(r);
  }
  ExpectRows(d, link, model, "appended");

  // Edit every 5th row (long text in, text out), delete every 7th, insert a
  // few before others.
  for (size_t k = 0; k < model.size(); k += 5) {
    ASSERT_TRUE(d->Locate(u"ID", Variant(model[k].Id), {}));
    d->Edit();
    model[k].Text = VarIsNull(model[k].Text) ? Variant(String(1000, u'x')) : Null();
    model[k].Data = data(model[k].Id + 1);
    d->FieldByName(u"Text")->SetAsVariant(model[k].Text);
    d->FieldByName(u"Data")->SetAsVariant(model[k].Data);
    d->Post();
  }
  for (size_t k = model.size(); k-- > 0;) {
    if (model[k].Id % 7 != 0) continue;
    ASSERT_TRUE(d->Locate(u"ID", Variant(model[k].Id), {}));
    d->Delete();
    model.erase(model.begin() + static_cast<std::ptrdiff_t>(k));
  }
  for (Integer i = 0; i < 3; ++i) {
    size_t at = 50 + static_cast<size_t>(i) * 100;
    ASSERT_TRUE(d->Locate(u"ID", Variant(model[at].Id), {}));
    TModelRow r{1000 + i, Variant(String(20, u'n')), Null(), Variant(1.5)};
    d->InsertRecord({Variant(r.Id), r.Text, r.Data, r.Amount});
    model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), r);
  }
  ExpectRows(d, link, model, "edited");

  // Cancel brings back what the record held; OldValue shows it meanwhile.
  ASSERT_TRUE(d->Locate(u"ID", Variant(2), {}));
  Variant before = d->FieldByName(u"Text")->AsVariant();
  d->Edit();
  d->FieldByName(u"Text")->SetAsString(u"changed");
  EXPECT_TRUE(SameValue(d->FieldByName(u"Text")->OldValue(), before));
  d->Cancel();
  EXPECT_TRUE(SameValue(d->FieldByName(u"Text")->AsVariant(), before));
  // A bookmark keeps its row through deletes and inserts before it.
  ASSERT_TRUE(d->Locate(u"ID", Variant(599), {}));
  TBookmark b = d->Bookmark();
  d->First();
  d->Delete();
  model.erase(model.begin());
  d->GotoBookmark(b);
  EXPECT_EQ(d->FieldByName(u"ID")->AsInteger(), 599);
  ExpectRows(d, link, model, "after a bookmark");
  Free(link);
  Free(owner);
}

}  // namespace

namespace {
// A view that posts the data set's pending edit when it hears of a close,
// as a data-aware view does; it can also close the data set from an event.
class TPostingLink : public TDataLink {
  CL_CLASS(TPostingLink, TDataLink)
 public:
  Integer Closings{};
  void CloseFromEvent(TDataSet* D) { D->Close(); }

 protected:
  void DataEvent(TDataEvent Event, NativeInt Info) override {
    TDataLink::DataEvent(Event, Info);
    if (Event != deCheckBrowseMode || Info != 1) return;
    ++Closings;
    DataSet()->Post();
  }
};
CL_IMPLEMENT_CLASS(TPostingLink)
}  // namespace

// The closing notice (deCheckBrowseMode, Info 1) reaches the links also
// through disabled controls and when the data set is freed while editing;
// a close from the events of a post is refused and the edit stays; a post
// that fails while freeing goes to the application's handler, not out.
TEST_F(DataSetTest, ClosingNoticeLetsLinksPostThePendingEdit) {
  auto* Posting = New<TPostingLink>();
  Posting->SetDataSource(Source);
  Data->Edit();
  Data->FieldByName(u"Name")->SetAsString(u"typed");
  Data->DisableControls();
  Data->Close();
  Data->EnableControls();
  EXPECT_EQ(Posting->Closings, 1);
  Data->Open();
  EXPECT_EQ(U8(Data->FieldByName(u"Name")->AsString()), "typed");

  Data->SetBeforePost(TDataSetNotifyEvent(Posting, &TPostingLink::CloseFromEvent));
  Data->Edit();
  Data->FieldByName(u"Name")->SetAsString(u"again");
  try {
    Data->Post();
    ADD_FAILURE() << "a close from BeforePost was not refused";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(U8(E.Message()), "Data: Cannot close a dataset while it posts or cancels a record");
  }
  EXPECT_EQ(Data->State(), dsEdit);
  EXPECT_EQ(U8(Data->FieldByName(u"Name")->AsString()), "again");
  Data->SetBeforePost(TDataSetNotifyEvent());
  Data->SetAfterPost(TDataSetNotifyEvent(Posting, &TPostingLink::CloseFromEvent));
  Data->Post();
  EXPECT_FALSE(Data->Active());
  Data->SetAfterPost(TDataSetNotifyEvent());
  Data->Open();
  EXPECT_EQ(U8(Data->FieldByName(u"Name")->AsString()), "again");

  // Freed while editing: the link posts; a refused post is reported.
  static std::string Reported;
  const auto Saved = ApplicationHandleException;
  ApplicationHandleException = [](TObject*) {
    try {
      throw;
    } catch (const Exception& E) {
      Reported = U8(E.Message());
    }
  };
  Data->Edit();
  Data->FieldByName(u"Name")->SetAsString(u"lost");
  Data->SetBeforePost(TDataSetNotifyEvent(Posting, &TPostingLink::CloseFromEvent));
  const Integer Before = Posting->Closings;
  Free(Data);
  Data = nullptr;
  ApplicationHandleException = Saved;
  EXPECT_EQ(Posting->Closings, Before + 1);
  EXPECT_EQ(Reported.rfind("Data: The record being edited could not be saved and was dropped: ", 0), 0u)
      << Reported;
  Free(Posting);
}
