// INI files: TCustomIniFile and its three stores.
//
// TIniFile follows the profile-file functions: ANSI text in the system code
// page (a file that starts with a byte-order mark keeps its encoding),
// sections and keys compared without regard to case, every other line
// (comments, foreign lines, blank lines) kept, each write applied to the file
// at once, the file created by the first write. Keys and values are trimmed
// on reading, and a value in matching single or double quotes loses them.
//
// TMemIniFile keeps sections in memory (comments and lines before the first
// section are dropped, as the platform does) and writes them with UpdateFile
// in its Encoding, UTF-8 with a byte-order mark by default. A file without a
// mark is read as UTF-8 when it is valid UTF-8, else as ANSI.
//
// TRegistryIniFile maps sections to keys and identifiers to values below a
// key of HKEY_CURRENT_USER.
//
// Names compare by simple upper case, independent of the locale (so "TALVIK"
// and "talvik" are one section under every locale). A section name with "]"
// or a line break, a key with "=" or a line break, or a value with a line
// break would change the file's structure: writing one raises
// EIniFileException.
#pragma once

#include <vector>

#include "platform/classes/ObjectModel.h"
#include "platform/rtl/CodePages.h"

class TStrings;
class TStream;
class TRegistry;

// Where TIniFile and TMemIniFile read and write their files' bytes: the file
// system, unless a store is set (the fuzz target keeps its files in memory).
// Read answers false for a missing file (Missing true) or one that cannot be
// read; Write false when it cannot write.
struct TIniFileStore {
  bool (*Read)(const String& FileName, RawByteString& Bytes, bool& Missing);
  bool (*Write)(const String& FileName, const RawByteString& Bytes);
};
// Nil puts the file system back.
void SetIniFileStore(const TIniFileStore* Store);

class TCustomIniFile : public TObject {
  CL_CLASS(TCustomIniFile, TObject)
 public:
  void Create(const String& FileName);

  // Whether the section has at least one key.
  virtual Boolean SectionExists(const String& Section);
  // Abstract.
  virtual String ReadString(const String& Section, const String& Ident, const String& Default);
  virtual void WriteString(const String& Section, const String& Ident, const String& Value);
  // Decimal, "$" or "0x" hexadecimal; Default when missing or not a number.
  virtual Integer ReadInteger(const String& Section, const String& Ident, Integer Default);
  virtual void WriteInteger(const String& Section, const String& Ident, Integer Value);
  // Read as an integer, non-zero being true; written "1"/"0".
  virtual Boolean ReadBool(const String& Section, const String& Ident, Boolean Default);
  virtual void WriteBool(const String& Section, const String& Ident, Boolean Value);
  // Hexadecimal text (upper case) of the bytes. Reading writes them into Value
  // at its position and answers how many; a memory stream is put back to
  // where the bytes start. Writing takes Value from its position to its end.
  virtual Integer ReadBinaryStream(const String& Section, const String& Name, TStream* Value);
  virtual void WriteBinaryStream(const String& Section, const String& Name, TStream* Value);
  // The locale's formats (FormatSettings); Default when missing or not valid.
  virtual TDateTime ReadDate(const String& Section, const String& Name, TDateTime Default);
  virtual TDateTime ReadDateTime(const String& Section, const String& Name, TDateTime Default);
  virtual Double ReadFloat(const String& Section, const String& Name, Double Default);
  virtual TDateTime ReadTime(const String& Section, const String& Name, TDateTime Default);
  virtual void WriteDate(const String& Section, const String& Name, TDateTime Value);
  virtual void WriteDateTime(const String& Section, const String& Name, TDateTime Value);
  virtual void WriteFloat(const String& Section, const String& Name, Double Value);
  virtual void WriteTime(const String& Section, const String& Name, TDateTime Value);
  // Abstract: the keys of a section, the sections, "key=value" of a section.
  virtual void ReadSection(const String& Section, TStrings* Strings);
  virtual void ReadSections(TStrings* Strings);
  virtual void ReadSectionValues(const String& Section, TStrings* Strings);
  virtual void EraseSection(const String& Section);
  virtual void DeleteKey(const String& Section, const String& Ident);
  virtual void UpdateFile();
  virtual Boolean ValueExists(const String& Section, const String& Ident);

  const String& FileName() const { return FFileName; }

 protected:
  String FFileName;
};

class TIniFile : public TCustomIniFile {
  CL_CLASS(TIniFile, TCustomIniFile)
 public:
  void Destroy() override;

  String ReadString(const String& Section, const String& Ident, const String& Default) override;
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  void ReadSection(const String& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  // Nothing to do: every write is already in the file.
  void UpdateFile() override;
};

class TMemIniFile : public TCustomIniFile {
  CL_CLASS(TMemIniFile, TCustomIniFile)
 public:
  void Create(const String& FileName);
  void Create(const String& FileName, TTextEncoding AEncoding);
  void Destroy() override;

  void Clear();
  // The contents as INI text lines; replacing them parses the lines.
  void GetStrings(TStrings* List);
  void SetStrings(TStrings* List);
  // Takes another file name, reading it when Reload.
  void Rename(const String& FileName, Boolean Reload);

  String ReadString(const String& Section, const String& Ident, const String& Default) override;
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  void ReadSection(const String& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const String& Section, TStrings* Strings) override;
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  // Writes the contents to the file (EIniFileException when it cannot).
  void UpdateFile() override;
  Boolean ValueExists(const String& Section, const String& Ident) override;

  Boolean CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(Boolean Value) { FCaseSensitive = Value; }
  TTextEncoding Encoding() const { return FEncoding; }
  void SetEncoding(TTextEncoding Value) { FEncoding = Value; }

 private:
  struct TEntry {
    String Name;
    String Value;
    Boolean HasValue{};  // false: a line without "=", kept as it was
  };
  struct TSection {
    String Name;
    std::vector<TEntry> Entries;
  };
  TSection* FindSection(const String& Name);
  TEntry* FindEntry(TSection* Section, const String& Name);
  bool SameName(const String& A, const String& B) const;
  void LoadValues();
  void ParseLines(const std::vector<String>& Lines);
  std::vector<String> Lines();

  std::vector<TSection> FSections;
  TTextEncoding FEncoding{};
  Boolean FEncodingGiven{};
  Boolean FCaseSensitive{};
};

class TRegistryIniFile : public TCustomIniFile {
  CL_CLASS(TRegistryIniFile, TCustomIniFile)
 public:
  // FileName: a key path below HKEY_CURRENT_USER, created when missing.
  void Create(const String& FileName);
  void Create(const String& FileName, Cardinal AAccess);
  void Destroy() override;

  String ReadString(const String& Section, const String& Ident, const String& Default) override;
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  // A string value is read as text; a new value is a 32-bit number, an
  // existing string value is written as decimal text.
  Integer ReadInteger(const String& Section, const String& Ident, Integer Default) override;
  void WriteInteger(const String& Section, const String& Ident, Integer Value) override;
  // "1"/"0" as a string, or a number over an existing number.
  void WriteBool(const String& Section, const String& Ident, Boolean Value) override;
  Integer ReadBinaryStream(const String& Section, const String& Name, TStream* Value) override;
  void WriteBinaryStream(const String& Section, const String& Name, TStream* Value) override;
  // 8-byte binary values.
  TDateTime ReadDate(const String& Section, const String& Name, TDateTime Default) override;
  TDateTime ReadDateTime(const String& Section, const String& Name, TDateTime Default) override;
  Double ReadFloat(const String& Section, const String& Name, Double Default) override;
  TDateTime ReadTime(const String& Section, const String& Name, TDateTime Default) override;
  void WriteDate(const String& Section, const String& Name, TDateTime Value) override;
  void WriteDateTime(const String& Section, const String& Name, TDateTime Value) override;
  void WriteFloat(const String& Section, const String& Name, Double Value) override;
  void WriteTime(const String& Section, const String& Name, TDateTime Value) override;
  void ReadSection(const String& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const String& Section, TStrings* Strings) override;
  void EraseSection(const String& Section) override;
  void DeleteKey(const String& Section, const String& Ident) override;
  void UpdateFile() override;

  TRegistry* Registry() const { return FRegistry; }

 private:
  // Opens the section's key (the base key for ""); false when it is missing.
  bool OpenSection(const String& Section, bool Create);
  void ReturnToBase();
  double ReadEight(const String& Section, const String& Name, double Default);
  void WriteEight(const String& Section, const String& Name, double Value);

  TRegistry* FRegistry{};
  String FBase;
};
