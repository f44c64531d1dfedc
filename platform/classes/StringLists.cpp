#include "platform/classes/StringLists.h"

#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TStrings)
CL_IMPLEMENT_CLASS(TStringList)

namespace {

const char16_t kListIndexError[] = u"List index out of bounds (%d)";
const char16_t kListCapacityError[] = u"List capacity out of bounds (%d)";
const char16_t kDuplicateString[] = u"String list does not allow duplicates";
const char16_t kSortedListError[] = u"Operation not allowed on sorted list";
const char16_t kLineBreak[] = u"\r\n";

// Text handled as the platform's null-terminated strings: a NUL ends it.
String UpToNul(const String& S) {
  size_t n = S.find(u'\0');
  return n == String::npos ? S : S.substr(0, n);
}

bool IsBlank(Char C) { return C >= 1 && C <= u' '; }

RawByteString ReadRest(TStream* Stream) {
  Int64 size = Stream->Size() - Stream->Position();
  if (size <= 0) return RawByteString();
  if (size > MaxInt) throw EReadError(u"Stream read error");
  RawByteString buffer(static_cast<size_t>(size), '\0');
  Integer n = Stream->Read(buffer.data(), static_cast<Integer>(size));
  buffer.resize(static_cast<size_t>(n < 0 ? 0 : n));
  return buffer;
}

// The quoted text at S[Pos] (which is Quote): doubled quotes stand for one,
// and an unterminated text runs to the end. Pos ends after the closing quote.
String ExtractQuoted(const String& S, size_t& Pos, Char Quote) {
  String Result;
  ++Pos;
  while (Pos < S.size()) {
    if (S[Pos] == Quote) {
      if (Pos + 1 < S.size() && S[Pos + 1] == Quote) {
        Result += Quote;
        Pos += 2;
        continue;
      }
      ++Pos;
      return Result;
    }
    Result += S[Pos++];
  }
  return Result;
}

}  // namespace

// --- TStrings -----------------------------------------------------------------

void TStrings::Error(const String& Msg, Integer Data) { throw EStringListError(Format(Msg, {Data})); }

Integer TStrings::Add(const String& S) {
  Integer Result = GetCount();
  Insert(Result, S);
  return Result;
}

Integer TStrings::AddObject(const String& S, TObject* AObject) {
  Integer Result = Add(S);
  PutObject(Result, AObject);
  return Result;
}

void TStrings::AddStrings(TStrings* Strings) {
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  for (Integer i = 0; i < Strings->Count(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TStrings::Assign(TPersistent* Source) {
  if (TStrings* src = Is<TStrings>(Source) ? static_cast<TStrings*>(Source) : nullptr) {
    BeginUpdate();
    {
      Finally endUpdate([&] { EndUpdate(); });
      Clear();
      FDelimiter = src->FDelimiter;
      FDelimiterDefined = src->FDelimiterDefined;
      FQuoteChar = src->FQuoteChar;
      FQuoteCharDefined = src->FQuoteCharDefined;
      FNameValueSeparator = src->FNameValueSeparator;
      FNameValueSeparatorDefined = src->FNameValueSeparatorDefined;
      FStrictDelimiter = src->FStrictDelimiter;
      AddStrings(src);
    }
    return;
  }
  inherited::Assign(Source);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Clear() { AbstractError(); }
void TStrings::Delete(Integer) { AbstractError(); }
void TStrings::Insert(Integer, const String&) { AbstractError(); }
String TStrings::Get(Integer) { AbstractError(); }
Integer TStrings::GetCount() { AbstractError(); }

Boolean TStrings::Equals(TStrings* Strings) {
  Integer n = GetCount();
  if (n != Strings->GetCount()) return false;
  for (Integer i = 0; i < n; ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

void TStrings::Exchange(Integer Index1, Integer Index2) {
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  String TempString = Strings(Index1);
  TObject* TempObject = Objects(Index1);
  SetStrings(Index1, Strings(Index2));
  SetObjects(Index1, Objects(Index2));
  SetStrings(Index2, TempString);
  SetObjects(Index2, TempObject);
}

String TStrings::ExtractName(const String& S) {
  Integer P = AnsiPos(String(1, NameValueSeparator()), S);
  return P != 0 ? S.substr(0, static_cast<size_t>(P - 1)) : String();
}

Integer TStrings::GetCapacity() { return GetCount(); }

void TStrings::SetCapacity(Integer) {}

TObject* TStrings::GetObject(Integer) { return nullptr; }

void TStrings::PutObject(Integer, TObject*) {}

void TStrings::Put(Integer Index, const String& S) {
  TObject* TempObject = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, TempObject);
}

String TStrings::GetTextStr() {
  String Result;
  Integer n = GetCount();
  for (Integer i = 0; i < n; ++i) {
    Result += Get(i);
    Result += kLineBreak;
  }
  return Result;
}

void TStrings::SetTextStr(const String& Value) {
  String text = UpToNul(Value);
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  Clear();
  size_t p = 0;
  while (p < text.size()) {
    size_t start = p;
    while (p < text.size() && text[p] != u'\r' && text[p] != u'\n') ++p;
    Add(text.substr(start, p - start));
    if (p < text.size() && text[p] == u'\r') ++p;
    if (p < text.size() && text[p] == u'\n') ++p;
  }
}

void TStrings::SetUpdateState(Boolean) {}

Integer TStrings::CompareStrings(const String& S1, const String& S2) { return AnsiCompareText(S1, S2); }

Integer TStrings::IndexOf(const String& S) {
  Integer n = GetCount();
  for (Integer i = 0; i < n; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

Integer TStrings::IndexOfName(const String& Name) {
  String sep(1, NameValueSeparator());
  Integer n = GetCount();
  for (Integer i = 0; i < n; ++i) {
    String S = Get(i);
    Integer P = AnsiPos(sep, S);
    if (P != 0 && CompareStrings(S.substr(0, static_cast<size_t>(P - 1)), Name) == 0) return i;
  }
  return -1;
}

Integer TStrings::IndexOfObject(TObject* AObject) {
  Integer n = GetCount();
  for (Integer i = 0; i < n; ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

void TStrings::InsertObject(Integer Index, const String& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  String TempString = Get(CurIndex);
  TObject* TempObject = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, TempString, TempObject);
}

void TStrings::LoadFromStream(TStream* Stream) {
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  SetTextStr(DecodeText(ReadRest(Stream)).Text);
}

void TStrings::LoadFromStream(TStream* Stream, TTextEncoding Encoding) {
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  RawByteString raw = ReadRest(Stream);
  RawByteString bom = EncodeText(String(), Encoding, true);
  if (!bom.empty() && raw.compare(0, bom.size(), bom) == 0) raw.erase(0, bom.size());
  SetTextStr(DecodeTextAs(raw, Encoding));
}

void TStrings::LoadFromFile(const String& FileName) {
  TFileStream* Stream = New<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
  Finally release([&] { Free(Stream); });
  LoadFromStream(Stream);
}

void TStrings::LoadFromFile(const String& FileName, TTextEncoding Encoding) {
  TFileStream* Stream = New<TFileStream>(FileName, fmOpenRead | fmShareDenyWrite);
  Finally release([&] { Free(Stream); });
  LoadFromStream(Stream, Encoding);
}

void TStrings::SaveToStream(TStream* Stream) { SaveToStream(Stream, TTextEncoding::Ansi); }

void TStrings::SaveToStream(TStream* Stream, TTextEncoding Encoding) {
  RawByteString bytes = EncodeText(GetTextStr(), Encoding, true);
  if (bytes.size() > static_cast<size_t>(MaxInt)) throw EWriteError(u"Stream write error");
  Stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TStrings::SaveToFile(const String& FileName) { SaveToFile(FileName, TTextEncoding::Ansi); }

void TStrings::SaveToFile(const String& FileName, TTextEncoding Encoding) {
  TFileStream* Stream = New<TFileStream>(FileName, fmCreate);
  Finally release([&] { Free(Stream); });
  SaveToStream(Stream, Encoding);
}

Char TStrings::Delimiter() {
  if (!FDelimiterDefined) {
    FDelimiterDefined = true;
    FDelimiter = u',';
  }
  return FDelimiter;
}

void TStrings::SetDelimiter(Char Value) {
  FDelimiterDefined = true;
  FDelimiter = Value;
}

Char TStrings::QuoteChar() {
  if (!FQuoteCharDefined) {
    FQuoteCharDefined = true;
    FQuoteChar = u'"';
  }
  return FQuoteChar;
}

void TStrings::SetQuoteChar(Char Value) {
  FQuoteCharDefined = true;
  FQuoteChar = Value;
}

Char TStrings::NameValueSeparator() {
  if (!FNameValueSeparatorDefined) {
    FNameValueSeparatorDefined = true;
    FNameValueSeparator = u'=';
  }
  return FNameValueSeparator;
}

void TStrings::SetNameValueSeparator(Char Value) {
  FNameValueSeparatorDefined = true;
  FNameValueSeparator = Value;
}

String TStrings::DelimitedText() {
  Char delim = Delimiter(), quote = QuoteChar();
  Integer n = GetCount();
  if (n == 1 && Get(0).empty()) return String(2, quote);
  String Result;
  for (Integer i = 0; i < n; ++i) {
    String S = Get(i);
    // Quoted when it holds the quote or the delimiter (or, unless strict, a
    // blank or control character) before any NUL.
    for (Char c : S) {
      if (c == 0) break;
      if (c == quote || c == delim || (!FStrictDelimiter && IsBlank(c))) {
        S = AnsiQuotedStr(S, quote);
        break;
      }
    }
    Result += S;
    if (i + 1 < n) Result += delim;
  }
  return Result;
}

void TStrings::SetDelimitedText(const String& Value) {
  Char delim = Delimiter(), quote = QuoteChar();
  String text = UpToNul(Value);
  const bool strict = FStrictDelimiter;
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  Clear();
  size_t p = 0;
  const size_t n = text.size();
  if (!strict)
    while (p < n && IsBlank(text[p])) ++p;
  while (p < n) {
    String S;
    if (text[p] == quote) {
      S = ExtractQuoted(text, p, quote);
    } else {
      size_t start = p;
      while (p < n && (strict || text[p] > u' ') && text[p] != delim) ++p;
      S = text.substr(start, p - start);
    }
    Add(S);
    if (!strict)
      while (p < n && IsBlank(text[p])) ++p;
    if (p < n && text[p] == delim) {
      // A delimiter at the very end stands before an empty string.
      if (p + 1 == n) Add(String());
      do ++p;
      while (!strict && p < n && IsBlank(text[p]));
    }
  }
}

String TStrings::CommaText() {
  Char oldDelim = Delimiter(), oldQuote = QuoteChar();
  Boolean oldStrict = FStrictDelimiter;
  FDelimiter = u',';
  FQuoteChar = u'"';
  FStrictDelimiter = false;
  String Result;
  {
    Finally restore([&] {
      FDelimiter = oldDelim;
      FQuoteChar = oldQuote;
      FStrictDelimiter = oldStrict;
    });
    Result = DelimitedText();
  }
  return Result;
}

void TStrings::SetCommaText(const String& Value) {
  Char oldDelim = Delimiter(), oldQuote = QuoteChar();
  Boolean oldStrict = FStrictDelimiter;
  FDelimiter = u',';
  FQuoteChar = u'"';
  FStrictDelimiter = false;
  Finally restore([&] {
    FDelimiter = oldDelim;
    FQuoteChar = oldQuote;
    FStrictDelimiter = oldStrict;
  });
  SetDelimitedText(Value);
}

String TStrings::Names(Integer Index) { return ExtractName(Get(Index)); }

String TStrings::Values(const String& Name) {
  Integer I = IndexOfName(Name);
  if (I < 0) return String();
  String S = Get(I);
  size_t from = Name.size() + 1;
  return from < S.size() ? S.substr(from) : String();
}

void TStrings::SetValues(const String& Name, const String& Value) {
  Integer I = IndexOfName(Name);
  if (!Value.empty()) {
    if (I < 0) I = Add(String());
    Put(I, Name + NameValueSeparator() + Value);
  } else if (I >= 0) {
    Delete(I);
  }
}

String TStrings::ValueFromIndex(Integer Index) {
  if (Index < 0) return String();
  String S = Get(Index);
  Integer P = AnsiPos(String(1, NameValueSeparator()), S);
  return P != 0 ? S.substr(static_cast<size_t>(P)) : String();
}

void TStrings::SetValueFromIndex(Integer Index, const String& Value) {
  if (!Value.empty()) {
    if (Index < 0) Index = Add(String());
    Put(Index, Names(Index) + NameValueSeparator() + Value);
  } else if (Index >= 0) {
    Delete(Index);
  }
}

// The strings stream as the defined property "Strings", a list of strings,
// written when there are any (or, with an ancestor, when they differ from it).
void TStrings::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Boolean DoWrite;
  if (TPersistent* ancestor = Filer->Ancestor())
    DoWrite = Is<TStrings>(ancestor) ? !Equals(static_cast<TStrings*>(ancestor)) : true;
  else
    DoWrite = Count() > 0;
  Filer->DefineProperty(u"Strings", TReaderProc(this, &TStrings::ReadData),
                        TWriterProc(this, &TStrings::WriteData), DoWrite);
}

void TStrings::ReadData(TReader* Reader) {
  Reader->ReadListBegin();
  BeginUpdate();
  {
    Finally endUpdate([&] { EndUpdate(); });
    Clear();
    while (!Reader->EndOfList()) Add(Reader->ReadString());
  }
  Reader->ReadListEnd();
}

void TStrings::WriteData(TWriter* Writer) {
  Writer->WriteListBegin();
  for (Integer i = 0; i < Count(); ++i) Writer->WriteString(Get(i));
  Writer->WriteListEnd();
}

// --- TStringList --------------------------------------------------------------

void TStringList::Create(Boolean AOwnsObjects) {
  inherited::Create();
  FOwnsObjects = AOwnsObjects;
}

void TStringList::Destroy() {
  FOnChange = nullptr;
  FOnChanging = nullptr;
  // The list is emptied before the objects are freed, so a freed object that
  // looks at the list finds it empty.
  std::vector<TObject*> owned;
  if (FOwnsObjects)
    for (Integer i = 0; i < FCount; ++i)
      if (FList[static_cast<size_t>(i)].FObject) owned.push_back(FList[static_cast<size_t>(i)].FObject);
  FList.clear();
  FCount = 0;
  for (TObject* obj : owned) Free(obj);
  inherited::Destroy();
}

void TStringList::CheckIndex(Integer Index) {
  if (Index < 0 || Index >= FCount) Error(kListIndexError, Index);
}

Integer TStringList::Add(const String& S) { return AddObject(S, nullptr); }

Integer TStringList::AddObject(const String& S, TObject* AObject) {
  Integer Result;
  if (!FSorted) {
    Result = FCount;
  } else if (Find(S, Result)) {
    switch (FDuplicates) {
      case dupIgnore:
        return Result;
      case dupError:
        Error(kDuplicateString, 0);
      case dupAccept:
        break;
    }
  }
  InsertItem(Result, S, AObject);
  return Result;
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && FOnChange) FOnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && FOnChanging) FOnChanging(this);
}

void TStringList::Clear() {
  if (FCount == 0) return;
  Changing();
  std::vector<TObject*> owned;
  if (FOwnsObjects)
    for (Integer i = 0; i < FCount; ++i)
      if (FList[static_cast<size_t>(i)].FObject) owned.push_back(FList[static_cast<size_t>(i)].FObject);
  FCount = 0;
  SetCapacity(0);
  for (TObject* obj : owned) Free(obj);
  Changed();
}

void TStringList::Delete(Integer Index) {
  CheckIndex(Index);
  Changing();
  TObject* obj = FOwnsObjects ? FList[static_cast<size_t>(Index)].FObject : nullptr;
  for (Integer i = Index; i + 1 < FCount; ++i)
    FList[static_cast<size_t>(i)] = std::move(FList[static_cast<size_t>(i + 1)]);
  --FCount;
  FList[static_cast<size_t>(FCount)] = TStringItem();
  Free(obj);
  Changed();
}

void TStringList::Exchange(Integer Index1, Integer Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  ExchangeItems(Index1, Index2);
  Changed();
}

void TStringList::ExchangeItems(Integer Index1, Integer Index2) {
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void TStringList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  // Checked before anything is taken out, so that a refused move loses nothing.
  if (FSorted) Error(kSortedListError, 0);
  CheckIndex(CurIndex);
  if (NewIndex < 0 || NewIndex >= FCount) Error(kListIndexError, NewIndex);
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  String TempString = Get(CurIndex);
  TObject* TempObject = GetObject(CurIndex);
  FList[static_cast<size_t>(CurIndex)].FObject = nullptr;  // moved, not freed
  Delete(CurIndex);
  InsertObject(NewIndex, TempString, TempObject);
}

Boolean TStringList::Find(const String& S, Integer& Index) {
  Boolean Result = false;
  Integer L = 0;
  Integer H = FCount - 1;
  while (L <= H) {
    Integer I = static_cast<Integer>((static_cast<uint32_t>(L) + static_cast<uint32_t>(H)) >> 1);
    Integer C = CompareStrings(FList[static_cast<size_t>(I)].FString, S);
    if (C < 0) {
      L = I + 1;
    } else {
      H = I - 1;
      if (C == 0) {
        Result = true;
        if (FDuplicates != dupAccept) L = I;
      }
    }
  }
  Index = L;
  return Result;
}

String TStringList::Get(Integer Index) {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FString;
}

Integer TStringList::GetCapacity() { return static_cast<Integer>(FList.size()); }

Integer TStringList::GetCount() { return FCount; }

TObject* TStringList::GetObject(Integer Index) {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FObject;
}

void TStringList::Grow() {
  Integer cap = static_cast<Integer>(FList.size());
  Integer Delta = cap > 64 ? cap / 4 : cap > 8 ? 16 : 4;
  SetCapacity(cap + Delta);
}

Integer TStringList::IndexOf(const String& S) {
  if (!FSorted) return inherited::IndexOf(S);
  Integer Result;
  if (!Find(S, Result)) Result = -1;
  return Result;
}

void TStringList::Insert(Integer Index, const String& S) {
  if (FSorted) Error(kSortedListError, 0);
  if (Index < 0 || Index > FCount) Error(kListIndexError, Index);
  InsertItem(Index, S, nullptr);
}

void TStringList::InsertItem(Integer Index, const String& S, TObject* AObject) {
  Changing();
  if (FCount == static_cast<Integer>(FList.size())) Grow();
  for (Integer i = FCount; i > Index; --i)
    FList[static_cast<size_t>(i)] = std::move(FList[static_cast<size_t>(i - 1)]);
  FList[static_cast<size_t>(Index)] = TStringItem{S, AObject};
  ++FCount;
  Changed();
}

void TStringList::Put(Integer Index, const String& S) {
  if (FSorted) Error(kSortedListError, 0);
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FString = S;
  Changed();
}

void TStringList::PutObject(Integer Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FObject = AObject;
  Changed();
}

// The platform's quicksort: the pivot is followed by index while it moves.
void TStringList::QuickSort(Integer L, Integer R, TStringListSortCompare SCompare) {
  Integer I;
  do {
    I = L;
    Integer J = R;
    Integer P = static_cast<Integer>((static_cast<uint32_t>(L) + static_cast<uint32_t>(R)) >> 1);
    do {
      // The bounds never stop a consistent compare; they keep an
      // inconsistent one inside the list.
      while (I < R && SCompare(this, I, P) < 0) ++I;
      while (J > L && SCompare(this, J, P) > 0) --J;
      if (I <= J) {
        if (I != J) Exchange(I, J);
        if (P == I)
          P = J;
        else if (P == J)
          P = I;
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J) QuickSort(L, J, SCompare);
    L = I;
  } while (I < R);
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
  if (FSorted || FCount <= 1) return;
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  QuickSort(0, FCount - 1, Compare);
}

void TStringList::Sort() {
  CustomSort([](TStringList* List, Integer Index1, Integer Index2) {
    return List->CompareStrings(List->FList[static_cast<size_t>(Index1)].FString,
                                List->FList[static_cast<size_t>(Index2)].FString);
  });
}

void TStringList::SetCapacity(Integer NewCapacity) {
  if (NewCapacity < FCount || NewCapacity > MaxListSize) Error(kListCapacityError, NewCapacity);
  FList.resize(static_cast<size_t>(NewCapacity));
  if (NewCapacity == 0) FList.shrink_to_fit();
}

void TStringList::SetSorted(Boolean Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(Boolean Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  // Sort does nothing on a sorted list: unsort and sort again.
  if (FSorted) {
    SetSorted(false);
    SetSorted(true);
  }
}

void TStringList::SetUpdateState(Boolean Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

Integer TStringList::CompareStrings(const String& S1, const String& S2) {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}
