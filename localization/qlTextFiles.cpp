// Text translation files: saving, loading and merging the lists of a
// localization component as INI text, reading a file's language names, and
// loading one language of a file by name.
#include "localization/qlTextFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "localization/MemIni.h"
#include "localization/qlBinFiles.h"
#include "localization/qlComp.h"
#include "localization/qlHelpers.h"
#include "platform/classes/WeakRef.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"

TqlMemIniFile* SharedIniFile = nullptr;
const char16_t* const qlDefaultFileDelimiter = u"~!@#";

namespace {

using TIniPtr = std::unique_ptr<TqlMemIniFile, TObjectFree>;
using TListPtr = std::unique_ptr<TStringList, TObjectFree>;
using TStreamPtr = std::unique_ptr<TStream, TObjectFree>;

const char16_t* const kOptions = u"OPTIONS";
const char16_t* const kNamesSection = u"Language names - for internal use only!";
const char16_t* const kMisspeltNamesSection = u"Language names - for intenal use only!";
const char16_t* const kExtended = u"Extended";
const char16_t* const kTypeKindSuffix = u"_TypeKind";
// The default of a missing key (U+044F): a key whose value reads as this is skipped.
const char16_t* const kMissingKey = u"\u044F";
const Char kFileCR = Char(25);
const Char kFileLF = Char(26);

const char16_t* const kTypeKindNames[] = {
    u"tkUnknown", u"tkInteger", u"tkChar",   u"tkEnumeration", u"tkFloat",   u"tkString", u"tkSet",
    u"tkClass",   u"tkMethod",  u"tkWChar",  u"tkLString",     u"tkWString", u"tkVariant", u"tkArray",
    u"tkRecord",  u"tkInterface", u"tkInt64", u"tkDynArray",   u"tkUString"};

Boolean BracketKind(TStringsType Kind) { return Kind == stCollections || Kind == stListView_TreeView_Items; }
// The kinds whose first line may be the owner's own.
Boolean OwnerFirstKind(TStringsType Kind) {
  return Kind == stCaptions || Kind == stHints || Kind == stFonts || Kind == stCharSets;
}

String ReplaceChars(String S, Char From, Char To) {
  for (Char& c : S)
    if (c == From) c = To;
  return S;
}

// The whole text of the stream, from its start.
TqlMemIniFile* ParseStream(TStream* AStream) {
  TIniPtr ini(New<TqlMemIniFile>(String()));
  if (AStream) {
    AStream->SetPosition(0);
    ini->LoadFromStream(AStream);
  }
  return ini.release();
}

// The section and key names of the options compare by ASCII letters, so
// that "Options"/"Delimiter" and "OPTIONS"/"DELIMITER" are one entry under
// every locale (the Turkish dotted and dotless i make the locale's
// comparison tell them apart).
Boolean FindOption(TqlMemIniFile* Ini, const String& Key, String& Section, String& Ident) {
  TListPtr sections(New<TStringList>());
  Ini->ReadSections(sections.get());
  for (Integer s = 0; s < sections->Count(); ++s) {
    if (!SameText(sections->Strings(s), kOptions)) continue;
    TListPtr keys(New<TStringList>());
    Ini->ReadSection(sections->Strings(s), keys.get());
    for (Integer k = 0; k < keys->Count(); ++k)
      if (SameText(keys->Strings(k), Key)) {
        Section = sections->Strings(s);
        Ident = keys->Strings(k);
        return true;
      }
  }
  return false;
}

String ReadOption(TqlMemIniFile* Ini, const String& Key, const String& Default) {
  String section, ident;
  if (!FindOption(Ini, Key, section, ident)) return Default;
  return Ini->ReadString(section, ident, Default);
}

void WriteOption(TqlMemIniFile* Ini, const String& Key, const String& Value) {
  String section, ident;
  if (!FindOption(Ini, Key, section, ident)) {
    TListPtr sections(New<TStringList>());
    Ini->ReadSections(sections.get());
    section = kOptions;
    for (Integer s = 0; s < sections->Count(); ++s)
      if (SameText(sections->Strings(s), kOptions)) section = sections->Strings(s);
    ident = Key;
  }
  Ini->WriteString(section, ident, Value);
}

String FileDelimiter(TqlMemIniFile* Ini) {
  String d = ReadOption(Ini, u"DELIMITER", qlDefaultFileDelimiter);
  return d.empty() ? String(qlDefaultFileDelimiter) : d;
}

// The text with the file's line-break stand-ins, and back.
String ToFileBreaks(const String& S) { return ReplaceChars(ReplaceChars(S, u'\r', kFileCR), u'\n', kFileLF); }
String FromFileBreaks(const String& S) { return ReplaceChars(ReplaceChars(S, kFileCR, u'\r'), kFileLF, u'\n'); }

// Every occurrence of From replaced by To (an empty From changes nothing).
String ReplaceText(const String& S, const String& From, const String& To) {
  if (From.empty()) return S;
  return StringReplace(S, From, To, TReplaceFlags{rfReplaceAll});
}

// The file value reduced to language K (from 1): the first K - 1 fields
// dropped, the rest cut at the next delimiter text.
String LanguageValue(const String& Value, const String& Delim, Integer K) {
  size_t start = 0;
  for (Integer i = 1; i < K; ++i) {
    size_t p = Value.find(Delim, start);
    if (p == String::npos) return String();
    start = p + Delim.size();
  }
  size_t end = Value.find(Delim, start);
  return Value.substr(start, end == String::npos ? String::npos : end - start);
}

// Field N (from 1) of a line set to Value; the line padded with delimiters
// when it has fewer fields.
String SetLineField(const String& Line, Integer N, const String& Value, Char D) {
  String s = Line;
  Integer count = 0;
  for (Char c : s)
    if (c == D) ++count;
  if (!s.empty() && s.back() != D) {
    s += D;
    ++count;
  }
  while (count < N + 1) {
    s += D;
    ++count;
  }
  // The value of field N lies between delimiter N and delimiter N + 1.
  size_t begin = 0;
  Integer seen = 0;
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i] == D && ++seen == N) {
      begin = i + 1;
      break;
    }
  size_t end = s.find(D, begin);
  return s.substr(0, begin) + Value + s.substr(end);
}

Boolean ListHasText(TStrings* List, const String& S) {
  for (Integer i = 0; i < List->Count(); ++i)
    if (SameText(List->Strings(i), S)) return true;
  return false;
}

// The file's bytes in memory (none when it does not exist); the file is
// written back whole by ReplaceFile.
TMemoryStream* ReadForRewrite(const String& FileName) {
  std::unique_ptr<TMemoryStream, TObjectFree> data(New<TMemoryStream>());
  if (FileExists(FileName)) {
    TStreamPtr in(New<TFileStream>(FileName, Word(fmOpenRead | fmShareDenyWrite)));
    if (in->Size() > 0) data->CopyFrom(in.get(), in->Size());
  }
  return data.release();
}

// Lines of components that no longer exist go, as the list building drops them.
void DropVanishedLines(TqlCustomLang* Lang, TStrings* List, TStringsType Kind) { Lang->DelOldNames(List, Kind); }

// The last steps of loading or merging one list on its own: lines of
// vanished components go, the string collections follow, the language is
// applied.
void FinishList(TqlCustomLang* Lang, TStrings* List, TStringsType Kind) {
  DropVanishedLines(Lang, List, Kind);
  if (Kind == stStrings) Lang->UpdateStrCollections();
  Lang->ChangeLanguage();
}

TStream* OpenForRead(const String& FileName) {
  return New<TFileStream>(FileName, Word(fmOpenRead | fmShareDenyNone));
}

// The names of the file's names section, up to the first missing or empty one.
void ReadNames(TqlMemIniFile* Ini, TStrings* Names) {
  for (Integer n = 1;; ++n) {
    String name = Ini->ReadString(kNamesSection, u"Language_" + IntToStr(n), String());
    if (name.empty()) break;
    Names->Add(name);
  }
}

}  // namespace

// --- Saving -------------------------------------------------------------------------------

namespace {

// Writes the options, the language names and the lines of one list kind of
// Lang into Ini.
void WriteNames(TqlCustomLang* Lang, TqlMemIniFile* Ini) {
  Ini->EraseSection(kNamesSection);
  for (Integer n = 1; n <= Lang->NumOfLanguages(); ++n) {
    String name = n <= Lang->LangNames()->Count() ? Lang->LangNames()->Strings(n - 1) : String();
    if (name.empty()) name = u"Language N" + IntToStr(n);
    Ini->WriteString(kNamesSection, u"Language_" + IntToStr(n), name);
  }
}

// The INI text written to the stream as UTF-8 with a byte-order mark, the
// stream emptied first unless asked not to.
void StoreText(TqlMemIniFile* Ini, TStream* AStream, Boolean DontEmpty) {
  TListPtr text(New<TStringList>());
  Ini->GetStrings(text.get());
  if (!DontEmpty) {
    AStream->SetSize(0);
    AStream->SetPosition(0);
  }
  text->SaveToStream(AStream, TTextEncoding::UTF8);
}

void CheckDelimiter(const String& Delimiter) {
  if (Delimiter.empty()) throw ELanguageError(u"The delimiter text of a translation file must not be empty!");
}

// A path with "=" (where the file's key ends) or a value with the delimiter
// text (where the file's values part) would come back as other lines.
void CheckStorable(const String& Path, const String& Values, Char D, const String& Where, const String& Delimiter) {
  if (Path.find(u'=') != String::npos)
    throw ELanguageError(u"The path \"" + Path + u"\" of " + Where + u" cannot be stored in a translation file!");
  size_t start = 0;
  while (start < Values.size()) {
    size_t end = Values.find(D, start);
    if (end == String::npos) end = Values.size();
    if (Values.substr(start, end - start).find(Delimiter) != String::npos)
      throw ELanguageError(u"A value of \"" + Path + u"\" in " + Where + u" holds the delimiter text \"" + Delimiter +
                           u"\" of the translation file!");
    start = end + 1;
  }
}

// Every line of the list of Kind, or every extended translation (Kind -1).
void CheckListStorable(TqlCustomLang* Lang, Integer Kind, const String& Delimiter) {
  CheckDelimiter(Delimiter);
  if (Kind < 0) {
    for (Integer i = 0; i < Lang->ExtendedTranslations()->Count(); ++i) {
      TqlExtendedItem* item = Lang->ExtendedTranslations()->Items(i);
      CheckStorable(item->Identifier(), item->Values(), Lang->D(), u"Extended", Delimiter);
    }
    return;
  }
  TStrings* list = Lang->GetPropListByType(TStringsType(Kind));
  if (!list) return;
  for (Integer i = 0; i < list->Count(); ++i) {
    const String line = list->Strings(i);
    const size_t d = line.find(Lang->D());
    CheckStorable(line.substr(0, d), d == String::npos ? String() : line.substr(d + 1), Lang->D(),
                  StringsTypeDisplayName(TStringsType(Kind)), Delimiter);
  }
}

String OwnerClassName(TqlCustomLang* Lang) { return Lang->Owner() ? Lang->Owner()->ClassName() : String(); }
String OwnerName(TqlCustomLang* Lang) { return Lang->Owner() ? Lang->Owner()->Name() : String(); }

}  // namespace

String TqlCustomLang::EncodeLineForFile(const String& Line) {
  if (static_cast<Integer>(CS_Array.size()) < FNumOfLanguages) FillCharsetArray();
  String result = ExtractField(Line, D(), 0) + D();
  for (Integer n = 1; n <= FNumOfLanguages; ++n) {
    String value = ExtractField(Line, D(), n);
    if (!FStoreAsUTF8) value = CharsetToWide(WideToCharset(value, GetCharsetForLanguage(n)), DEFAULT_CHARSET);
    result += value + D();
  }
  return result;
}

Integer TqlCustomLang::SaveToStream(TStringsType PropType, TStream* AStream, const String& Delimiter) {
  TStrings* list = GetPropListByType(PropType);
  if (!list) return -1;
  CheckListStorable(this, PropType, Delimiter);
  TIniPtr ini(ParseStream(AStream));
  WriteOption(ini.get(), u"DELIMITER", Delimiter);
  WriteOption(ini.get(), u"IsUTF8File", FStoreAsUTF8 ? u"1" : u"0");
  WriteNames(this, ini.get());
  ini->EraseSection(kMisspeltNamesSection);
  const String section = StringsTypeDisplayName(PropType);
  const String cls = OwnerClassName(this);
  // The file is Unicode text, so the values are written as they are (no
  // 8-bit conversion by language).
  for (Integer i = 0; i < list->Count(); ++i) {
    const String line = list->Strings(i);
    const size_t d = line.find(D());
    String path = line.substr(0, d);
    if (BracketKind(PropType)) path = ReplaceChars(ReplaceChars(path, u'[', u'-'), u']', u'+');
    path = ToFileBreaks(path);
    String value = d == String::npos ? String() : line.substr(d + 1);
    value = ToFileBreaks(ReplaceText(value, String(1, D()), Delimiter));
    ini->WriteString(section, cls + u"." + path, value);
  }
  // Keys that name the form by its component name instead of its class name.
  const String byName = OwnerName(this) + u".";
  if (byName.size() > 1 && OwnerName(this) != cls) {
    TListPtr keys(New<TStringList>());
    ini->ReadSection(section, keys.get());
    for (Integer k = 0; k < keys->Count(); ++k)
      if (StartsStr(byName, keys->Strings(k))) ini->DeleteKey(section, keys->Strings(k));
  }
  StoreText(ini.get(), AStream, DoNotEmptyStream);
  return list->Count();
}

Integer TqlCustomLang::SaveToFile(TStringsType PropType, const String& AFileName, const String& Delimiter) {
  std::unique_ptr<TMemoryStream, TObjectFree> data(ReadForRewrite(AFileName));
  const Integer result = SaveToStream(PropType, data.get(), Delimiter);
  ql_internal::ReplaceFile(AFileName, data.get());
  return result;
}

Integer TqlCustomLang::SaveStringsToFile(const String& AFileName, const String& Delimiter) {
  return SaveToFile(stStrings, AFileName, Delimiter);
}

void TqlCustomLang::SaveAllToFile(const String& AFileName, const String& Delimiter) {
  // Every list is checked before the first is written.
  for (Integer k = -1; k < StringsTypeCount; ++k) CheckListStorable(this, k, Delimiter);
  for (Integer k = 0; k < StringsTypeCount; ++k) SaveToFile(TStringsType(k), AFileName, Delimiter);
  SaveExtendedToFile(AFileName, Delimiter);
}

void TqlCustomLang::SaveAllToStream(TStream* AStream, const String& Delimiter) {
  std::unique_ptr<TMemoryStream, TObjectFree> temp(New<TMemoryStream>());
  for (Integer k = 0; k < StringsTypeCount; ++k) SaveToStream(TStringsType(k), temp.get(), Delimiter);
  SaveExtendedToStream(temp.get(), Delimiter);
  temp->SetPosition(0);
  AStream->CopyFrom(temp.get(), temp->Size());
}

void TqlCustomLang::SaveExtendedToStream(TStream* AStream, const String& Delimiter) {
  CheckListStorable(this, -1, Delimiter);
  TIniPtr ini(ParseStream(AStream));
  WriteOption(ini.get(), u"DELIMITER", Delimiter);
  WriteNames(this, ini.get());
  const String cls = OwnerClassName(this);
  for (Integer i = 0; i < FExtendedTranslations->Count(); ++i) {
    TqlExtendedItem* item = FExtendedTranslations->Items(i);
    const String key = cls + u"." + item->Identifier();
    ini->WriteString(kExtended, key, ReplaceText(item->Values(), String(1, D()), Delimiter));
    const Integer kind = item->PropertyType();
    ini->WriteString(kExtended, key + kTypeKindSuffix, kind >= 0 && kind <= tkUString ? kTypeKindNames[kind] : u"");
  }
  StoreText(ini.get(), AStream, false);
}

void TqlCustomLang::SaveExtendedToFile(const String& FileName, const String& Delimiter) {
  std::unique_ptr<TMemoryStream, TObjectFree> data(ReadForRewrite(FileName));
  SaveExtendedToStream(data.get(), Delimiter);
  ql_internal::ReplaceFile(FileName, data.get());
}

void ql_internal::ReplaceFile(const String& FileName, TMemoryStream* Data) {
  const String temp = FileName + u".tmp" + IntToStr(Int64(::getpid()));
  try {
    TStreamPtr out(New<TFileStream>(temp, Word(fmCreate)));
    if (Data->Size() > 0) out->WriteBuffer(Data->Memory(), Integer(Data->Size()));
  } catch (const Exception&) {
    std::remove(UTF16ToUTF8(temp).c_str());
    throw;
  }
  // The new file keeps the old one's permissions.
  struct stat old {};
  if (::stat(UTF16ToUTF8(FileName).c_str(), &old) == 0) ::chmod(UTF16ToUTF8(temp).c_str(), old.st_mode & 07777);
  if (std::rename(UTF16ToUTF8(temp).c_str(), UTF16ToUTF8(FileName).c_str()) != 0) {
    const int err = errno;
    std::remove(UTF16ToUTF8(temp).c_str());
    throw EWriteError(u"Cannot write file \"" + ExpandFileName(FileName) + u"\". " +
                      SysErrorMessage(SystemErrorOfErrno(err)));
  }
}

// --- Loading ------------------------------------------------------------------------------

namespace {

// Languages from the file: the names (when the section is there), the
// UTF-8 flag and the fixed languages.
void ReadLanguages(TqlCustomLang* Lang, TqlMemIniFile* Ini) {
  if (Ini->SectionExists(kNamesSection)) {
    TListPtr names(New<TStringList>());
    ReadNames(Ini, names.get());
    // A section without a first name gives no languages; the component
    // keeps its own.
    if (names->Count() > 0) {
      const Integer active = Lang->ActiveLanguage() <= names->Count() ? Lang->ActiveLanguage() : 1;
      Lang->LangNames()->Assign(names.get());
      Lang->SetFileLanguages(names->Count(), active);
    }
  }
  Lang->SetStoreAsUTF8(StrToIntDef(ReadOption(Ini, u"IsUTF8File", u"0"), 0) != 0);
  Lang->FixedLanguages()->Clear();
  for (Integer n = 1; n <= Lang->NumOfLanguages() && n <= Lang->LangNames()->Count(); ++n)
    if (StrToIntDef(ReadOption(Ini, u"Language_Fixed" + IntToStr(n), u"0"), 0) != 0)
      Lang->FixedLanguages()->Add(Lang->LangNames()->Strings(n - 1));
}

}  // namespace

Integer TqlCustomLang::LoadFromStream(TStringsType PropType, TStream* AStream, Boolean CanRewrite) {
  TStrings* list = GetPropListByType(PropType);
  if (!list) return -1;
  // The file is parsed before anything changes.
  TIniPtr own(SharedIniFile ? nullptr : ParseStream(AStream));
  TqlMemIniFile* ini = SharedIniFile ? SharedIniFile : own.get();
  if (CanRewrite) list->Clear();
  const String delim = FileDelimiter(ini);
  ReadLanguages(this, ini);

  const String section = StringsTypeDisplayName(PropType);
  TListPtr keys(New<TStringList>());
  ini->ReadSection(section, keys.get());
  const String cls = OwnerClassName(this);
  const String name = OwnerName(this);
  const String d(1, D());
  String previous;
  for (Integer k = 0; k < keys->Count(); ++k) {
    const String key = keys->Strings(k);
    if (k > 0 && AnsiCompareText(key, previous) == 0) continue;
    previous = key;
    // Only the owner's keys: by class name, or by the form's component name
    // (older files).
    Boolean byName = false;
    String path;
    if (!name.empty() && StartsStr(name + u".", key)) {
      byName = true;
      path = key.substr(name.size() + 1);
    } else if (key.size() > cls.size() && SameText(key.substr(0, cls.size() + 1), cls + u".")) {
      path = key.substr(cls.size() + 1);
    } else if (!name.empty() && key.size() > name.size() && SameText(key.substr(0, name.size() + 1), name + u".")) {
      path = key.substr(cls.size() + 1 <= key.size() ? cls.size() + 1 : key.size());
    } else {
      continue;
    }
    if (BracketKind(PropType)) path = ReplaceChars(ReplaceChars(path, u'-', u'['), u'+', u']');
    const size_t dot = path.find(u'.');
    const String component = dot == String::npos ? path : path.substr(0, dot);
    if (ListHasText(FDoNotTranslate, component)) continue;
    const String value = ini->ReadString(section, key, kMissingKey);
    if (value == kMissingKey) continue;
    // A value without any delimiter text is the first language's alone.
    String line = FromFileBreaks(path + d + ReplaceText(value, delim, d));
    if (line.back() != D()) line += D();
    if (StartsText(cls + d, line) || (byName && StartsText(name + d, line)))
      list->Insert(0, line);
    else
      list->Add(line);
  }
  if (!FDontChange) FinishList(this, list, PropType);
  return keys->Count();
}

Integer TqlCustomLang::LoadFromFile(TStringsType PropType, const String& AFileName, Boolean CanRewrite) {
  if (!SharedIniFile && !FileExists(AFileName)) return -1;
  TStreamPtr stream(SharedIniFile ? nullptr : OpenForRead(AFileName));
  return LoadFromStream(PropType, stream.get(), CanRewrite);
}

Integer TqlCustomLang::LoadStringsFromFile(const String& AFileName, Boolean CanRewrite) {
  return LoadFromFile(stStrings, AFileName, CanRewrite);
}

void TqlCustomLang::LoadExtendedFromStream(TStream* AStream, Boolean CanRewrite) {
  TIniPtr own(SharedIniFile ? nullptr : ParseStream(AStream));
  TqlMemIniFile* ini = SharedIniFile ? SharedIniFile : own.get();
  if (CanRewrite) FExtendedTranslations->Clear();
  const String delim = FileDelimiter(ini);
  const String prefix = OwnerClassName(this) + u".";
  TListPtr keys(New<TStringList>());
  ini->ReadSection(kExtended, keys.get());
  for (Integer k = 0; k < keys->Count(); ++k) {
    const String key = keys->Strings(k);
    if (!StartsStr(prefix, key) || EndsStr(kTypeKindSuffix, key)) continue;
    const String id = key.substr(prefix.size());
    TqlExtendedItem* item = FExtendedTranslations->Find(id);
    const Boolean added = !item;
    if (added) {
      item = FExtendedTranslations->Add();
      item->SetIdentifier(id);
    }
    item->SetValues(ReplaceText(ini->ReadString(kExtended, key, String()), delim, String(1, D())));
    if (added) item->SetPropertyType(GetPropTypeByPath(id));
  }
}

void TqlCustomLang::LoadExtendedFromFile(const String& FileName, Boolean CanRewrite) {
  if (!SharedIniFile && !FileExists(FileName)) return;
  TStreamPtr stream(SharedIniFile ? nullptr : OpenForRead(FileName));
  LoadExtendedFromStream(stream.get(), CanRewrite);
}

void TqlCustomLang::LoadAllFromStream(TStream* AStream, Boolean CanRewrite, Boolean DontChangeLang) {
  FDontChange = true;
  TWeakReference self(this);  // OnChangeLanguage may free the owner
  Finally clear([&] {
    if (self) FDontChange = false;
  });
  const Boolean own = !SharedIniFile;
  if (own) SharedIniFile = ParseStream(AStream);
  Finally freeShared([own] {
    if (own) FreeAndNil(SharedIniFile);
  });
  for (Integer k = 0; k < StringsTypeCount; ++k) {
    const TStringsType kind = TStringsType(k);
    if (LoadFromStream(kind, AStream, CanRewrite) > 0)
      if (TStrings* list = GetPropListByType(kind)) DropVanishedLines(this, list, kind);
  }
  LoadExtendedFromStream(AStream, CanRewrite);
  UpdateStrCollections();
  if (!DontChangeLang) ChangeLanguage();
}

void TqlCustomLang::LoadAllFromFile(const String& AFileName, Boolean CanRewrite) {
  if (!FileExists(AFileName)) return;
  TStreamPtr stream(OpenForRead(AFileName));
  LoadAllFromStream(stream.get(), CanRewrite, false);
}

void TqlCustomLang::LoadAllFromFileDNC(const String& AFileName, Boolean CanRewrite) {
  FDontChange = true;
  Finally clear([this] { FDontChange = false; });
  // The file is parsed once for all lists.
  const Boolean own = !SharedIniFile && FileExists(AFileName);
  if (own) {
    TStreamPtr stream(OpenForRead(AFileName));
    SharedIniFile = ParseStream(stream.get());
  }
  Finally freeShared([own] {
    if (own) FreeAndNil(SharedIniFile);
  });
  for (Integer k = 0; k < StringsTypeCount; ++k) {
    const TStringsType kind = TStringsType(k);
    LoadFromFile(kind, AFileName, CanRewrite);
    if (TStrings* list = GetPropListByType(kind)) DropVanishedLines(this, list, kind);
  }
  LoadExtendedFromFile(AFileName, CanRewrite);
  UpdateStrCollections();
}

// --- Merging ------------------------------------------------------------------------------

namespace {

// The lines of Saved whose path no line of List has (ignoring case) appended.
void AppendMissingLines(TStrings* List, TStrings* Saved, Char D) {
  for (Integer i = 0; i < Saved->Count(); ++i)
    if (FindLineByPath(List, Saved->Strings(i), D) < 0) List->Add(Saved->Strings(i));
}

// The lines' columns, in the order of the file's names, brought into the
// order of the component's names: column q of a line is the file's column
// of the same name (empty when the file lacks it); the file's languages the
// component lacks are dropped.
void ReorderColumns(TStrings* List, TStrings* FileNames, TStrings* OwnNames, Char D) {
  std::vector<Integer> source;
  for (Integer q = 0; q < OwnNames->Count(); ++q) {
    Integer from = -1;
    for (Integer k = 0; k < FileNames->Count() && from < 0; ++k)
      if (AnsiSameText(Trim(FileNames->Strings(k)), Trim(OwnNames->Strings(q)))) from = k;
    source.push_back(from);
  }
  for (Integer i = 0; i < List->Count(); ++i) {
    const String line = List->Strings(i);
    String result = ExtractField(line, D, 0) + D;
    for (Integer from : source) result += (from >= 0 ? ExtractField(line, D, from + 1) : String()) + D;
    List->SetStrings(i, result);
  }
}

// The language settings a merge keeps: the component's own.
struct TSavedLanguages {
  explicit TSavedLanguages(TqlCustomLang* Lang)
      : Lang(Lang), Names(New<TStringList>()), Active(Lang->ActiveLanguage()), Count(Lang->NumOfLanguages()),
        Utf8(Lang->StoreAsUTF8()) {
    Names->Assign(Lang->LangNames());
  }
  void Restore() {
    Lang->LangNames()->Assign(Names.get());
    Lang->SetFileLanguages(Count, Active);
    Lang->SetStoreAsUTF8(Utf8);
  }
  TqlCustomLang* Lang;
  TListPtr Names;
  Integer Active;
  Integer Count;
  Boolean Utf8;
};

}  // namespace

Boolean TqlCustomLang::MergeList(TStringsType PropType, const std::function<void(TStrings* ANames)>& ALoad) {
  TStrings* list = GetPropListByType(PropType);
  if (!list) return true;
  TListPtr saved(New<TStringList>());
  saved->Assign(list);
  const Boolean dontChange = FDontChange;
  FDontChange = true;
  TSavedLanguages languages(this);
  try {
    TListPtr sourceNames(New<TStringList>());
    ALoad(sourceNames.get());
    // The component keeps its languages; the source's columns follow them
    // (else its own lines would sit under the source's names).
    languages.Restore();
    if (sourceNames->Count() > 0 && !SameText(Trim(sourceNames->Text()), Trim(FLangNames->Text())))
      ReorderColumns(list, sourceNames.get(), FLangNames, D());
    FDontChange = dontChange;
    AppendMissingLines(list, saved.get(), D());
  } catch (const Exception&) {
    list->Assign(saved.get());
    languages.Restore();
    FDontChange = dontChange;
    return false;
  }
  if (!FDontChange) FinishList(this, list, PropType);
  return true;
}

Boolean TqlCustomLang::MergeFromStream(TStringsType PropType, TStream* AStream) {
  return MergeList(PropType, [&](TStrings* ANames) {
    {
      TIniPtr own(SharedIniFile ? nullptr : ParseStream(AStream));
      ReadNames(SharedIniFile ? SharedIniFile : own.get(), ANames);
    }
    LoadFromStream(PropType, AStream, true);
  });
}

Boolean TqlCustomLang::MergeFromFile(TStringsType PropType, const String& AFileName) {
  if (!FileExists(AFileName)) return false;
  return MergeList(PropType, [&](TStrings* ANames) {
    GetLanguageNamesFromFile(AFileName, ANames);
    if (IsBinaryTranslationFileName(AFileName))
      LoadPropFromBinaryFile(PropType, AFileName);
    else
      LoadFromFile(PropType, AFileName, true);
  });
}

namespace {

// Every kind merged by Merge, without applying the language; false at the
// first kind that fails.
template <class TMerge>
Boolean MergeAllKinds(TqlCustomLang* Lang, Boolean& DontChange, TMerge Merge) {
  DontChange = true;
  for (Integer k = 0; k < StringsTypeCount; ++k) {
    const TStringsType kind = TStringsType(k);
    if (!Merge(kind)) {
      DontChange = false;
      return false;
    }
    if (TStrings* list = Lang->GetPropListByType(kind)) DropVanishedLines(Lang, list, kind);
  }
  Lang->UpdateStrCollections();
  DontChange = false;
  return true;
}

}  // namespace

Boolean TqlCustomLang::MergeAllFromStreamDNC(TStream* AStream) {
  return MergeAllKinds(this, FDontChange, [&](TStringsType Kind) { return MergeFromStream(Kind, AStream); });
}

Boolean TqlCustomLang::MergeAllFromFileDNC(const String& AFileName) {
  return MergeAllKinds(this, FDontChange, [&](TStringsType Kind) { return MergeFromFile(Kind, AFileName); });
}

Boolean TqlCustomLang::MergeAllFromStream(TStream* AStream) {
  MergeAllFromStreamDNC(AStream);
  ChangeLanguage();
  return true;
}

Boolean TqlCustomLang::MergeAllFromFile(const String& AFileName) {
  const Boolean result = MergeAllFromFileDNC(AFileName);
  ChangeLanguage();
  return result;
}

// --- Language names -----------------------------------------------------------------------

Boolean TqlCustomLang::IsBinaryTranslationFileName(const String& FileName) {
  return UpperCase(ExtractFileExt(FileName)) == u".QLB";
}

void TqlCustomLang::GetLanguageNamesFromFile(const String& FileName, TStrings* LanguageList) {
  if (IsBinaryTranslationFileName(FileName)) {
    std::unique_ptr<TqlCustomLang, TObjectFree> temp(
        static_cast<TqlCustomLang*>(CreateFrom(ClassType(), &TComponent::Create, static_cast<TComponent*>(nullptr))));
    temp->SetQLBLoading(true);
    if (Owner()) Owner()->InsertComponent(temp.get());
    std::unique_ptr<TQLBFileManager, TObjectFree> manager(New<TQLBFileManager>());
    manager->LoadFromFile(temp.get(), OwnerClassName(this), FileName);
    LanguageList->Assign(temp->LangNames());
    return;
  }
  // A text file: the names of its names section (none when it has none).
  LanguageList->Clear();
  if (!FileExists(FileName)) return;
  TStreamPtr stream(OpenForRead(FileName));
  TIniPtr ini(ParseStream(stream.get()));
  ReadNames(ini.get(), LanguageList);
}

// --- One language by name -----------------------------------------------------------------

namespace {

// What loading one language needs of the file: nothing when the file or
// the name is missing or the file does not name the language.
struct TLanguageSource {
  TIniPtr Ini;
  String Delim;
  Integer FileColumn{};
  Integer Target{};
  Boolean NotFound{};
};

Boolean OpenLanguage(TqlCustomLang* Lang, const String& AFileName, const String& LangName, TLanguageSource& Source) {
  if (LangName.empty() || !FileExists(AFileName)) return false;
  TStreamPtr stream(OpenForRead(AFileName));
  Source.Ini.reset(ParseStream(stream.get()));
  Source.Delim = FileDelimiter(Source.Ini.get());
  for (Integer k = 1;; ++k) {
    const String name = Source.Ini->ReadString(kNamesSection, u"Language_" + IntToStr(k), String());
    if (name == LangName) {
      Source.FileColumn = k;
      break;
    }
    if (name.empty()) {
      Source.NotFound = true;
      return false;
    }
  }
  Integer target = -1;
  for (Integer i = 0; i < Lang->LangNames()->Count() && target < 0; ++i)
    if (AnsiSameText(Lang->LangNames()->Strings(i), LangName)) target = i + 1;
  if (target < 0) {
    Lang->LangNames()->Add(LangName);
    Lang->SetFileLanguages(Lang->NumOfLanguages() + 1, Lang->ActiveLanguage());
    target = Lang->NumOfLanguages();
  }
  Source.Target = target;
  return true;
}

// OpenLanguage with its failures handled: a file that cannot be read is
// passed over silently; a language the file does not name raises only with
// DoRaiseExceptions.
Boolean OpenLanguageChecked(TqlCustomLang* Lang, const String& AFileName, const String& LangName,
                            TLanguageSource& Source) {
  try {
    if (OpenLanguage(Lang, AFileName, LangName, Source)) return true;
  } catch (const Exception&) {
    return false;
  }
  if (Source.NotFound && Lang->DoRaiseExceptions()) throw Exception(LangName + u" not found in " + AFileName);
  return false;
}

}  // namespace

void TqlCustomLang::SetFileLanguages(Integer Count, Integer Active) {
  FNumOfLanguages = Count;
  FActiveLanguage = Active;
  if (Active >= 1 && Active <= FLangNames->Count()) FLanguage = FLangNames->Strings(Active - 1);
}

String TqlCustomLang::BuildLanguageFields(const String& Value, Integer ALang) {
  String result;
  for (Integer n = 1; n <= FNumOfLanguages; ++n) result += (n == ALang ? Value : String()) + D();
  return result;
}

void TqlCustomLang::LoadLanguageByProp(TStringsType PropType, const String& AFileName, const String& LangName) {
  TStrings* list = GetPropListByType(PropType);
  if (!list) return;
  TLanguageSource source;
  if (!OpenLanguageChecked(this, AFileName, LangName, source)) return;
  try {
    const String section = StringsTypeDisplayName(PropType);
    const String prefix = OwnerClassName(this) + u".";
    TListPtr keys(New<TStringList>());
    source.Ini->ReadSection(section, keys.get());
    for (Integer k = 0; k < keys->Count(); ++k) {
      const String key = keys->Strings(k);
      if (!StartsStr(prefix, key)) continue;
      String path = key.substr(prefix.size());
      if (BracketKind(PropType)) path = ReplaceChars(ReplaceChars(path, u'-', u'['), u'+', u']');
      const String value =
          FromFileBreaks(LanguageValue(source.Ini->ReadString(section, key, String()), source.Delim, source.FileColumn));
      Integer found = -1;
      for (Integer i = 0; i < list->Count() && found < 0; ++i)
        if (StartsStr(path + D(), list->Strings(i))) found = i;
      if (found >= 0) {
        list->SetStrings(found, SetLineField(list->Strings(found), source.Target, value, D()));
      } else {
        // The owner's own line goes first, where the loaders put it and
        // where applying a language looks for it (a later one is dropped).
        const String line = path + D() + BuildLanguageFields(value, source.Target);
        if (SameText(path, OwnerClassName(this)) && OwnerFirstKind(PropType))
          list->Insert(0, line);
        else
          list->Add(line);
      }
    }
  } catch (const Exception&) {
    return;
  }
  if (!FDontChange) FinishList(this, list, PropType);
}

void TqlCustomLang::LoadLanguageByExt(const String& AFileName, const String& LangName) {
  TLanguageSource source;
  if (!OpenLanguageChecked(this, AFileName, LangName, source)) return;
  try {
    const String prefix = OwnerClassName(this) + u".";
    TListPtr keys(New<TStringList>());
    source.Ini->ReadSection(kExtended, keys.get());
    for (Integer k = 0; k < keys->Count(); ++k) {
      const String key = keys->Strings(k);
      if (!StartsStr(prefix, key) || EndsStr(kTypeKindSuffix, key)) continue;
      const String id = key.substr(prefix.size());
      const String value = LanguageValue(source.Ini->ReadString(kExtended, key, String()), source.Delim,
                                         source.FileColumn);
      if (TqlExtendedItem* item = FExtendedTranslations->Find(id)) {
        const String old = String(1, D()) + item->Values();
        String values;
        for (Integer n = 1; n <= FNumOfLanguages; ++n)
          values += (n == source.Target ? value : ExtractField(old, D(), n)) + D();
        item->SetValues(values);
      } else {
        TqlExtendedItem* added = FExtendedTranslations->Add();
        added->SetIdentifier(id);
        added->SetValues(BuildLanguageFields(value, source.Target));
        added->SetPropertyType(GetPropTypeByPath(id));
      }
    }
  } catch (const Exception&) {
    return;
  }
  if (!FDontChange) ChangeLanguage();
}

void TqlCustomLang::LoadLanguage(const String& AFileName, const String& LangName) {
  FDontChange = true;
  TWeakReference self(this);  // OnChangeLanguage may free the owner
  Finally clear([&] {
    if (self) FDontChange = false;
  });
  for (Integer k = 0; k < StringsTypeCount; ++k) {
    const TStringsType kind = TStringsType(k);
    LoadLanguageByProp(kind, AFileName, LangName);
    if (TStrings* list = GetPropListByType(kind)) DropVanishedLines(this, list, kind);
  }
  LoadLanguageByExt(AFileName, LangName);
  UpdateStrCollections();
  ChangeLanguage();
}
