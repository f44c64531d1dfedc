// The localization library's own INI files: the abstract TqlCustomIniFile
// with typed readers and writers built on ReadString/WriteString, and
// TqlMemIniFile, which holds a whole INI text in memory as sorted sections of
// sorted keys. Text translation files and the language dispatcher's file
// loading go through these; nothing else uses them.
//
// Parsing keeps keys and values exactly as written (no trimming, comments
// dropped, lines before the first section dropped). Sections and keys compare
// without regard to case with the string lists' default comparison, and the
// text written back lists them in sorted order. A section header met twice
// adds its keys to the first section of that name.
#pragma once

#include "platform/classes/Classes.h"

class TStrings;
class TStringList;
class TStream;

class TqlCustomIniFile : public TObject {
  CL_CLASS(TqlCustomIniFile, TObject)
 public:
  void Create(const String& FileName);

  // Abstract.
  virtual String ReadString(const String& Section, const String& Ident, const String& Default);
  virtual void WriteString(const String& Section, const String& Ident, const String& Value);
  // "0x" or "0X" before more text reads as hexadecimal; Default when the text
  // is missing or does not convert.
  virtual Integer ReadInteger(const String& Section, const String& Ident, Integer Default);
  virtual void WriteInteger(const String& Section, const String& Ident, Integer Value);
  // Any non-zero integer is true; written "1" or "0".
  virtual Boolean ReadBool(const String& Section, const String& Ident, Boolean Default);
  virtual void WriteBool(const String& Section, const String& Ident, Boolean Value);
  // The locale's formats; an empty or unconvertible text gives Default.
  virtual TDateTime ReadDate(const String& Section, const String& Name, TDateTime Default);
  virtual TDateTime ReadDateTime(const String& Section, const String& Name, TDateTime Default);
  virtual Double ReadFloat(const String& Section, const String& Name, Double Default);
  virtual TDateTime ReadTime(const String& Section, const String& Name, TDateTime Default);
  virtual void WriteDate(const String& Section, const String& Name, TDateTime Value);
  virtual void WriteDateTime(const String& Section, const String& Name, TDateTime Value);
  virtual void WriteFloat(const String& Section, const String& Name, Double Value);
  virtual void WriteTime(const String& Section, const String& Name, TDateTime Value);
  // Abstract.
  virtual void ReadSection(const String& Section, TStrings* Strings);
  virtual void ReadSections(TStrings* Strings);
  virtual void ReadSectionValues(const String& Section, TStrings* Strings);
  virtual void EraseSection(const String& Section);
  virtual void DeleteKey(const String& Section, const String& Ident);
  virtual void UpdateFile();

  // A section without keys does not exist.
  Boolean SectionExists(const String& Section);
  Boolean ValueExists(const String& Section, const String& Ident);

  const String& FileName() const { return FFileName; }

 protected:
  String FFileName;
};

// The value of one key.
class TMemIniValue : public TObject {
  CL_CLASS(TMemIniValue, TObject)
 public:
  const String& Value() const { return FValue; }
  void SetValue(const String& AValue) { FValue = AValue; }

 private:
  String FValue;
};

// One section: its keys, sorted without regard to case, duplicates accepted;
// each key's object is its TMemIniValue, owned by the entry.
class TMemIniEntry : public TPersistent {
  CL_CLASS(TMemIniEntry, TPersistent)
 public:
  void Create();
  void Destroy() override;

  Integer Add(const String& Key, const String& Value);
  // Split at the first "=": the key before, the value after (empty without "=").
  Integer Add(const String& KeyValue);
  // From a string list: every line through Add(KeyValue).
  void Assign(TPersistent* Source) override;
  void Clear();
  void Delete(Integer Index);
  // Bisection; with duplicates the first equal key.
  Boolean Find(const String& S, Integer& Index);

  String Key(Integer Index);
  String Value(Integer Index);
  // Key, "=", value.
  String Line(Integer Index);

  Integer Count();
  TStringList* StringList() const { return FKeys; }

 private:
  TStringList* FKeys{};
};

class TqlMemIniFile : public TqlCustomIniFile {
  CL_CLASS(TqlMemIniFile, TqlCustomIniFile)
 public:
  // Loads the file when the name is not empty and the file exists.
  void Create(const String& FileName);
  void Destroy() override;

  TMemIniEntry* AddSection(const String& Name);
  void Clear();
  String ReadString(const String& Section, const String& Ident, const String& Default) override;
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  void ReadSection(const String& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const String& Section, TStrings* Strings) override;
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  // Appends the text (sections and keys in sorted order, an empty line after
  // each section) to List.
  void GetStrings(TStrings* List);
  void SetStrings(TStrings* List);
  void Rename(const String& FileName, Boolean Reload);
  // Writes the text to the file name in the system code page, no byte-order mark.
  void UpdateFile() override;
  // Reads another file; the object's file name stays.
  void LoadFromFile(const String& AFileName);
  void LoadFromStream(TStream* Stream);

  Boolean Changed() const { return FChanged; }
  void SetChanged(Boolean Value) { FChanged = Value; }

 private:
  void LoadValues();
  TMemIniEntry* FindSection(const String& Name);

  TStringList* FSections{};
  Boolean FChanged{};
};
