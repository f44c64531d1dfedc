#include "localization/MemIni.h"

#include <memory>

#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS_PUBLISHED(TqlCustomIniFile, P) { P.Property(u"FileName", &TqlCustomIniFile::FileName); }
CL_IMPLEMENT_CLASS_PUBLISHED(TMemIniValue, P) {
  P.Property(u"Value", &TMemIniValue::Value, &TMemIniValue::SetValue);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TMemIniEntry, P) {
  P.Property(u"Count", &TMemIniEntry::Count);
  P.Property(u"StringList", &TMemIniEntry::StringList);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TqlMemIniFile, P) {
  P.Property(u"Changed", &TqlMemIniFile::Changed, &TqlMemIniFile::SetChanged);
}

namespace {

using TStringListPtr = std::unique_ptr<TStringList, TObjectFree>;

TStringListPtr NewSortedList() {
  TStringListPtr list(New<TStringList>());
  list->SetSorted(true);
  return list;
}

// Reads a typed value: an empty text or a conversion error gives Default.
template <class F>
double ReadConverted(TqlCustomIniFile* Ini, const String& Section, const String& Name, double Default, F Convert) {
  String text = Ini->ReadString(Section, Name, String());
  if (text.empty()) return Default;
  try {
    return Convert(text);
  } catch (const EConvertError&) {
    return Default;
  }
}

}  // namespace

// --- TqlCustomIniFile --------------------------------------------------------------

void TqlCustomIniFile::Create(const String& FileName) {
  inherited::Create();
  FFileName = FileName;
}

String TqlCustomIniFile::ReadString(const String&, const String&, const String&) { AbstractError(); }
void TqlCustomIniFile::WriteString(const String&, const String&, const String&) { AbstractError(); }
void TqlCustomIniFile::ReadSection(const String&, TStrings*) { AbstractError(); }
void TqlCustomIniFile::ReadSections(TStrings*) { AbstractError(); }
void TqlCustomIniFile::ReadSectionValues(const String&, TStrings*) { AbstractError(); }
void TqlCustomIniFile::EraseSection(const String&) { AbstractError(); }
void TqlCustomIniFile::DeleteKey(const String&, const String&) { AbstractError(); }
void TqlCustomIniFile::UpdateFile() { AbstractError(); }

Integer TqlCustomIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) {
  String text = ReadString(Section, Ident, String());
  if (Length(text) > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) text = u"$" + Copy(text, 3);
  return StrToIntDef(text, Default);
}

void TqlCustomIniFile::WriteInteger(const String& Section, const String& Ident, Integer Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

Boolean TqlCustomIniFile::ReadBool(const String& Section, const String& Ident, Boolean Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TqlCustomIniFile::WriteBool(const String& Section, const String& Ident, Boolean Value) {
  WriteString(Section, Ident, Value ? u"1" : u"0");
}

TDateTime TqlCustomIniFile::ReadDate(const String& Section, const String& Name, TDateTime Default) {
  return ReadConverted(this, Section, Name, Default, [](const String& S) { return StrToDate(S); });
}

TDateTime TqlCustomIniFile::ReadDateTime(const String& Section, const String& Name, TDateTime Default) {
  return ReadConverted(this, Section, Name, Default, [](const String& S) { return StrToDateTime(S); });
}

Double TqlCustomIniFile::ReadFloat(const String& Section, const String& Name, Double Default) {
  return ReadConverted(this, Section, Name, Default, [](const String& S) { return StrToFloat(S); });
}

TDateTime TqlCustomIniFile::ReadTime(const String& Section, const String& Name, TDateTime Default) {
  return ReadConverted(this, Section, Name, Default, [](const String& S) { return StrToTime(S); });
}

void TqlCustomIniFile::WriteDate(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, DateToStr(Value));
}

void TqlCustomIniFile::WriteDateTime(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, DateTimeToStr(Value));
}

void TqlCustomIniFile::WriteFloat(const String& Section, const String& Name, Double Value) {
  WriteString(Section, Name, FloatToStr(Value));
}

void TqlCustomIniFile::WriteTime(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, TimeToStr(Value));
}

Boolean TqlCustomIniFile::SectionExists(const String& Section) {
  TStringListPtr keys = NewSortedList();
  ReadSection(Section, keys.get());
  return keys->Count() > 0;
}

Boolean TqlCustomIniFile::ValueExists(const String& Section, const String& Ident) {
  TStringListPtr keys = NewSortedList();
  ReadSection(Section, keys.get());
  return keys->IndexOf(Ident) > -1;
}

// --- TMemIniEntry ----------------------------------------------------------------------

void TMemIniEntry::Create() {
  inherited::Create();
  FKeys = New<TStringList>();
  FKeys->SetDuplicates(dupAccept);
  FKeys->SetSorted(true);
}

void TMemIniEntry::Destroy() {
  if (FKeys) Clear();
  FreeAndNil(FKeys);
  inherited::Destroy();
}

Integer TMemIniEntry::Add(const String& Key, const String& Value) {
  TMemIniValue* v = New<TMemIniValue>();
  v->SetValue(Value);
  try {
    return FKeys->AddObject(Key, v);
  } catch (...) {
    Free(v);
    throw;
  }
}

Integer TMemIniEntry::Add(const String& KeyValue) {
  Integer p = Pos(u'=', KeyValue);
  if (p == 0) return Add(KeyValue, String());
  return Add(Copy(KeyValue, 1, p - 1), Copy(KeyValue, p + 1));
}

void TMemIniEntry::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TStrings*>(Source)) {
    FKeys->BeginUpdate();
    Finally endUpdate([&] { FKeys->EndUpdate(); });
    Clear();
    for (Integer i = 0; i < src->Count(); ++i) Add(src->Strings(i));
    return;
  }
  inherited::Assign(Source);
}

void TMemIniEntry::Clear() {
  for (Integer i = 0; i < FKeys->Count(); ++i) {
    TObject* v = FKeys->Objects(i);
    FKeys->SetObjects(i, nullptr);
    Free(v);
  }
  FKeys->Clear();
}

void TMemIniEntry::Delete(Integer Index) {
  TObject* v = FKeys->Objects(Index);
  FKeys->Delete(Index);
  Free(v);
}

Boolean TMemIniEntry::Find(const String& S, Integer& Index) { return FKeys->Find(S, Index); }

String TMemIniEntry::Key(Integer Index) { return FKeys->Strings(Index); }

String TMemIniEntry::Value(Integer Index) {
  auto* v = static_cast<TMemIniValue*>(FKeys->Objects(Index));
  return v ? v->Value() : String();
}

String TMemIniEntry::Line(Integer Index) { return Key(Index) + u"=" + Value(Index); }

Integer TMemIniEntry::Count() { return FKeys->Count(); }

// --- TqlMemIniFile ---------------------------------------------------------------------

void TqlMemIniFile::Create(const String& FileName) {
  inherited::Create(FileName);
  FSections = New<TStringList>();
  FSections->SetDuplicates(dupIgnore);
  FSections->SetSorted(true);
  FChanged = false;
  LoadValues();
}

void TqlMemIniFile::Destroy() {
  if (FSections) Clear();
  FreeAndNil(FSections);
  inherited::Destroy();
}

void TqlMemIniFile::LoadValues() {
  if (!FFileName.empty() && FileExists(FFileName)) {
    TStringListPtr list(New<TStringList>());
    list->LoadFromFile(FFileName);
    SetStrings(list.get());
  } else {
    Clear();
  }
}

TMemIniEntry* TqlMemIniFile::FindSection(const String& Name) {
  Integer i = 0;
  if (!FSections->Find(Name, i)) return nullptr;
  return static_cast<TMemIniEntry*>(FSections->Objects(i));
}

TMemIniEntry* TqlMemIniFile::AddSection(const String& Name) {
  // The section list registers a name once: a header met again gets the
  // section that already holds that name, so no entry lives outside the list.
  TMemIniEntry* entry = FindSection(Name);
  if (!entry) {
    entry = New<TMemIniEntry>();
    try {
      FSections->AddObject(Name, entry);
    } catch (...) {
      Free(entry);
      throw;
    }
  }
  FChanged = true;
  return entry;
}

void TqlMemIniFile::Clear() {
  for (Integer i = 0; i < FSections->Count(); ++i) {
    TObject* entry = FSections->Objects(i);
    FSections->SetObjects(i, nullptr);
    Free(entry);
  }
  FSections->Clear();
  FChanged = true;
}

String TqlMemIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
  TMemIniEntry* entry = FindSection(Section);
  if (!entry) return Default;
  Integer i = 0;
  if (!entry->Find(Ident, i)) return Default;
  return entry->Value(i);
}

void TqlMemIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  TMemIniEntry* entry = FindSection(Section);
  if (!entry) entry = AddSection(Section);
  Integer i = 0;
  if (entry->Find(Ident, i)) entry->Delete(i);
  entry->Add(Ident + u"=" + Value);
  FChanged = true;
}

void TqlMemIniFile::ReadSection(const String& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  if (TMemIniEntry* entry = FindSection(Section))
    for (Integer i = 0; i < entry->Count(); ++i) Strings->Add(entry->Key(i));
}

void TqlMemIniFile::ReadSections(TStrings* Strings) { Strings->Assign(FSections); }

void TqlMemIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  if (TMemIniEntry* entry = FindSection(Section))
    for (Integer i = 0; i < entry->Count(); ++i) Strings->Add(entry->Value(i));
}

void TqlMemIniFile::EraseSection(const String& Section) {
  Integer i = 0;
  if (!FSections->Find(Section, i)) return;
  TObject* entry = FSections->Objects(i);
  FSections->Delete(i);
  Free(entry);
  FChanged = true;
}

void TqlMemIniFile::DeleteKey(const String& Section, const String& Ident) {
  TMemIniEntry* entry = FindSection(Section);
  if (!entry) return;
  Integer i = 0;
  if (entry->Find(Ident, i)) entry->Delete(i);
  FChanged = true;
}

void TqlMemIniFile::GetStrings(TStrings* List) {
  List->BeginUpdate();
  Finally endUpdate([&] { List->EndUpdate(); });
  for (Integer s = 0; s < FSections->Count(); ++s) {
    List->Add(u"[" + FSections->Strings(s) + u"]");
    auto* entry = static_cast<TMemIniEntry*>(FSections->Objects(s));
    for (Integer k = 0; k < entry->Count(); ++k) List->Add(entry->Line(k));
    List->Add(String());
  }
}

void TqlMemIniFile::SetStrings(TStrings* List) {
  Clear();
  TMemIniEntry* section = nullptr;
  for (Integer i = 0; i < List->Count(); ++i) {
    String line = List->Strings(i);
    if (line.empty() || line[0] == u';') continue;
    if (line[0] == u'[' && line.back() == u']' && line.size() >= 2) {
      section = AddSection(line.substr(1, line.size() - 2));
      continue;
    }
    if (section) section->Add(line);
  }
  FChanged = true;
}

void TqlMemIniFile::Rename(const String& FileName, Boolean Reload) {
  FFileName = FileName;
  if (Reload) LoadValues();
}

void TqlMemIniFile::UpdateFile() {
  TStringListPtr list(New<TStringList>());
  GetStrings(list.get());
  list->SaveToFile(FFileName);
  FChanged = false;
}

void TqlMemIniFile::LoadFromFile(const String& AFileName) {
  std::unique_ptr<TFileStream, TObjectFree> stream(New<TFileStream>(AFileName, Word(fmOpenRead | fmShareDenyWrite)));
  LoadFromStream(stream.get());
}

void TqlMemIniFile::LoadFromStream(TStream* Stream) {
  Clear();
  TStringListPtr list(New<TStringList>());
  list->LoadFromStream(Stream);
  SetStrings(list.get());
}
