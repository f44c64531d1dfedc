// String lists: TStrings, the abstract list of strings with associated
// objects, and TStringList, the list that keeps them in memory.
//
// TStrings builds everything (Text, CommaText, DelimitedText, Names and
// Values, loading and saving) on a few overridable operations (Get, Put,
// GetObject, PutObject, GetCount, Insert, Delete, Clear, ...), so a control
// can present its items as a TStrings. Text is joined with CR LF and split at
// CR, LF or CR LF. Files and streams are read with byte-order-mark detection
// (UTF-8, UTF-16 LE/BE, else ANSI in the system code page) and written as
// ANSI without a mark unless an encoding is given.
#pragma once

#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Delegates.h"
#include "platform/classes/Lists.h"

class TStream;
enum class TTextEncoding;

class TStrings : public TPersistent {
  CL_CLASS(TStrings, TPersistent)
 public:
  virtual Integer Add(const String& S);
  virtual Integer AddObject(const String& S, TObject* AObject);
  void Append(const String& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  // Copies the strings, objects and the text settings (delimiter, quote
  // character, name-value separator) of a TStrings; other sources as TPersistent.
  void Assign(TPersistent* Source) override;
  void BeginUpdate();
  void EndUpdate();
  // Abstract.
  virtual void Clear();
  virtual void Delete(Integer Index);
  virtual void Insert(Integer Index, const String& S);

  // The same strings in the same order (compared exactly).
  Boolean Equals(TStrings* Strings);
  virtual void Exchange(Integer Index1, Integer Index2);
  virtual Integer IndexOf(const String& S);
  Integer IndexOfName(const String& Name);
  Integer IndexOfObject(TObject* AObject);
  void InsertObject(Integer Index, const String& S, TObject* AObject);
  virtual void Move(Integer CurIndex, Integer NewIndex);

  // Reads the rest of the stream (from its position), detecting a byte-order
  // mark; without one the bytes are ANSI in the system code page.
  virtual void LoadFromStream(TStream* Stream);
  // Reads in Encoding (its mark skipped when present).
  virtual void LoadFromStream(TStream* Stream, TTextEncoding Encoding);
  virtual void LoadFromFile(const String& FileName);
  virtual void LoadFromFile(const String& FileName, TTextEncoding Encoding);
  // Writes Text as ANSI in the system code page, without a mark.
  virtual void SaveToStream(TStream* Stream);
  // Writes Text in Encoding, with the encoding's mark (none for ANSI).
  virtual void SaveToStream(TStream* Stream, TTextEncoding Encoding);
  virtual void SaveToFile(const String& FileName);
  virtual void SaveToFile(const String& FileName, TTextEncoding Encoding);

  // Properties.
  Integer Capacity() { return GetCapacity(); }
  // Default: nothing.
  virtual void SetCapacity(Integer NewCapacity);
  Integer Count() { return GetCount(); }
  String Strings(Integer Index) { return Get(Index); }
  void SetStrings(Integer Index, const String& S) { Put(Index, S); }
  TObject* Objects(Integer Index) { return GetObject(Index); }
  void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }
  String Text() { return GetTextStr(); }
  void SetText(const String& Value) { SetTextStr(Value); }
  String CommaText();
  void SetCommaText(const String& Value);
  String DelimitedText();
  void SetDelimitedText(const String& Value);
  Char Delimiter();
  void SetDelimiter(Char Value);
  Char QuoteChar();
  void SetQuoteChar(Char Value);
  Char NameValueSeparator();
  void SetNameValueSeparator(Char Value);
  Boolean StrictDelimiter() const { return FStrictDelimiter; }
  void SetStrictDelimiter(Boolean Value) { FStrictDelimiter = Value; }
  // The part before the first NameValueSeparator ("" when there is none).
  String Names(Integer Index);
  // The part after "Name=" of the string named Name; "" when none.
  String Values(const String& Name);
  // Replaces the value of Name, adding "Name=Value" when absent; an empty
  // Value deletes the string.
  void SetValues(const String& Name, const String& Value);
  // The part after the first NameValueSeparator; "" when there is none.
  String ValueFromIndex(Integer Index);
  void SetValueFromIndex(Integer Index, const String& Value);
  Integer UpdateCount() const { return FUpdateCount; }

 protected:
  void DefineProperties(TFiler* Filer) override;
  // Raises EStringListError with Msg, in which %d stands for Data.
  [[noreturn]] static void Error(const String& Msg, Integer Data);
  String ExtractName(const String& S);
  // Abstract.
  virtual String Get(Integer Index);
  virtual Integer GetCount();
  // Defaults: the count; nil; nothing.
  virtual Integer GetCapacity();
  virtual TObject* GetObject(Integer Index);
  virtual void PutObject(Integer Index, TObject* AObject);
  // Default: Delete and InsertObject, keeping the object.
  virtual void Put(Integer Index, const String& S);
  virtual String GetTextStr();
  virtual void SetTextStr(const String& Value);
  // Called with true by the first BeginUpdate and false by the last EndUpdate.
  virtual void SetUpdateState(Boolean Updating);
  // Default: AnsiCompareText (locale-aware, ignoring case).
  virtual Integer CompareStrings(const String& S1, const String& S2);

 private:
  void ReadData(TReader* Reader);
  void WriteData(TWriter* Writer);

  Integer FUpdateCount{};
  Char FDelimiter{};
  Char FQuoteChar{};
  Char FNameValueSeparator{};
  Boolean FDelimiterDefined{};
  Boolean FQuoteCharDefined{};
  Boolean FNameValueSeparatorDefined{};
  Boolean FStrictDelimiter{};
};

class TStringList;

// Compares the strings at Index1 and Index2 of List: < 0, 0 or > 0.
using TStringListSortCompare = Integer (*)(TStringList* List, Integer Index1, Integer Index2);

class TStringList : public TStrings {
  CL_CLASS(TStringList, TStrings)
 public:
  void Create() {}
  // AOwnsObjects: the list frees the objects of the strings it deletes.
  void Create(Boolean AOwnsObjects);
  void Destroy() override;

  Integer Add(const String& S) override;
  Integer AddObject(const String& S, TObject* AObject) override;
  void Clear() override;
  void Delete(Integer Index) override;
  void Exchange(Integer Index1, Integer Index2) override;
  void Move(Integer CurIndex, Integer NewIndex) override;
  void SetCapacity(Integer NewCapacity) override;
  // Bisection in a sorted list: true when S is present; Index is where it
  // is, or where it would be inserted. With Duplicates other than dupAccept,
  // the first of equal strings is found.
  virtual Boolean Find(const String& S, Integer& Index);
  Integer IndexOf(const String& S) override;
  void Insert(Integer Index, const String& S) override;
  // Sorts with the platform's quicksort (unstable, middle pivot), swapping
  // through Exchange; nothing when Sorted or with fewer than two strings.
  virtual void CustomSort(TStringListSortCompare Compare);
  virtual void Sort();

  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  Boolean Sorted() const { return FSorted; }
  void SetSorted(Boolean Value);
  Boolean CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(Boolean Value);
  Boolean OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(Boolean Value) { FOwnsObjects = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(const TNotifyEvent& Value) { FOnChanging = Value; }

 protected:
  virtual void Changed();
  virtual void Changing();
  String Get(Integer Index) override;
  Integer GetCapacity() override;
  Integer GetCount() override;
  TObject* GetObject(Integer Index) override;
  void Put(Integer Index, const String& S) override;
  void PutObject(Integer Index, TObject* AObject) override;
  void SetUpdateState(Boolean Updating) override;
  // AnsiCompareStr when CaseSensitive, else AnsiCompareText.
  Integer CompareStrings(const String& S1, const String& S2) override;
  virtual void InsertItem(Integer Index, const String& S, TObject* AObject);

 private:
  struct TStringItem {
    String FString;
    TObject* FObject = nullptr;
  };
  void Grow();
  void ExchangeItems(Integer Index1, Integer Index2);
  void QuickSort(Integer L, Integer R, TStringListSortCompare SCompare);
  void CheckIndex(Integer Index);

  std::vector<TStringItem> FList;
  Integer FCount{};
  TDuplicates FDuplicates{};
  Boolean FSorted{};
  Boolean FCaseSensitive{};
  Boolean FOwnsObjects{};
  TNotifyEvent FOnChange;
  TNotifyEvent FOnChanging;
};
