#include "lib/foundation/vlStorage.h"

#include <memory>
#include <utility>
#include <vector>

#include "lib/foundation/nbCore.h"
#include "platform/classes/Filer.h"
#include "platform/classes/IniFiles.h"
#include "platform/classes/Registry.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfo.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WinRegistry.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TvlCustomReader)
CL_IMPLEMENT_CLASS(TvlCustomWriter)
CL_IMPLEMENT_CLASS(TvlIniFileReader)
CL_IMPLEMENT_CLASS(TvlIniFileWriter)
CL_IMPLEMENT_CLASS(TvlRegistryReader)
CL_IMPLEMENT_CLASS(TvlRegistryWriter)
CL_IMPLEMENT_CLASS(TvlStreamReader)
CL_IMPLEMENT_CLASS(TvlStreamWriter)
CL_IMPLEMENT_CLASS(TvlStorage)

// One object of the stream form: kept in memory by the stream writer and reader.
struct TvlStreamObject {
  String Name;
  String ClassName;
  std::vector<std::pair<String, Variant>> Properties;
  std::vector<std::unique_ptr<TvlStreamObject>> Children;
};

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

const Char* const MainSection = u"Main";
const Char* const VersionIdent = u"Version";
const Char* const ClassNameKey = u"[ClassName]";
const Char* const ClassNameValue = u"ClassName";

// The value kinds the media store; anything else is skipped whole.
enum class TValueKind { None, Boolean, Byte, Integer, Currency, Date, Double, Single, AnsiText, WideText };

TValueKind KindOf(const Variant& AValue) {
  switch (AValue.VType()) {
    case varBoolean: return TValueKind::Boolean;
    case varByte: return TValueKind::Byte;
    case varShortInt:
    case varSmallint:
    case varInteger:
    case varWord:
    case varLongWord:
    case varInt64: return TValueKind::Integer;
    case varUInt64: {
      // beyond Int64 there is no stored form (and the value does not convert to one)
      const String text = AValue.AsString();
      return text.size() < 19 || (text.size() == 19 && text <= u"9223372036854775807") ? TValueKind::Integer
                                                                                       : TValueKind::None;
    }
    case varCurrency: return TValueKind::Currency;
    case varDate: return TValueKind::Date;
    case varDouble: return TValueKind::Double;
    case varSingle: return TValueKind::Single;
    case varString: return TValueKind::AnsiText;
    case varOleStr:
    case varUString: return TValueKind::WideText;
    default: return TValueKind::None;
  }
}

// An integer value as the variant that holds it exactly (Integer when it fits).
Variant IntegerVariant(Int64 AValue) {
  if (AValue >= INT32_MIN && AValue <= INT32_MAX) return Variant(static_cast<Integer>(AValue));
  return Variant(AValue);
}

// The fixed form of numbers in the media's texts, whatever the locale: a
// point for the decimal separator (and no thousands).
TFormatSettings PointSettings() {
  TFormatSettings fs = FormatSettings();
  fs.DecimalSeparator = u'.';
  fs.ThousandSeparator = u',';
  return fs;
}

// A float text in the fixed form ("1.5", "1E20", "1E-5"), or, for files
// written by earlier writers in the locale's form, with the locale's decimal
// separator ("1,5" under Turkish settings); ASettings receives the form read.
bool FloatText(const String& AText, double& AValue, TFormatSettings& ASettings) {
  ASettings = PointSettings();
  if (AText.find_first_of(u".eE") != String::npos && TryStrToFloat(AText, AValue, ASettings)) return true;
  ASettings = FormatSettings();
  return ASettings.DecimalSeparator != u'.' && AText.find(ASettings.DecimalSeparator) != String::npos &&
         TryStrToFloat(AText, AValue, ASettings);
}

// Whether a double holds the currency exactly (it does up to about 9 * 10^11;
// near the ends of the range it does not, nor does it fit the range).
Boolean DoubleHoldsCurrency(Currency AValue, double ADouble) {
  return ADouble > -922337203685477.0 && ADouble < 922337203685477.0 && Currency(ADouble) == AValue;
}


// The text of a registry or INI value that is not quoted: a float with a
// point (a currency when only a currency holds it exactly), a date-time of
// the locale, or the text itself.
Variant UnquotedText(const String& AText) {
  double d;
  TFormatSettings settings;
  if (FloatText(AText, d, settings)) {
    Currency c;
    if (TextToFloat(AText, c, settings) && !DoubleHoldsCurrency(c, d)) return Variant(c);
    return Variant(d);
  }
  TDateTime dt;
  if (TryStrToDateTime(AText, dt)) return VarFromDateTime(dt);
  return Variant(AText);
}

Boolean IsQuoted(const String& AText) {
  return AText.size() >= 2 && AText.front() == u'"' && AText.back() == u'"';
}

// "\" → "\\", CR LF → "\n", TAB → "\t", a lone CR → "\r", a lone LF → "\l".
String EscapeIniText(const String& AText) {
  String result;
  result.reserve(AText.size() + 2);
  for (size_t i = 0; i < AText.size(); ++i) {
    const Char c = AText[i];
    if (c == u'\\') {
      result += u"\\\\";
    } else if (c == u'\r' && i + 1 < AText.size() && AText[i + 1] == u'\n') {
      result += u"\\n";
      ++i;
    } else if (c == u'\r') {
      result += u"\\r";
    } else if (c == u'\n') {
      result += u"\\l";
    } else if (c == u'\t') {
      result += u"\\t";
    } else {
      result += c;
    }
  }
  return u"\"" + result + u"\"";
}

String UnescapeIniText(const String& AText) {
  String result;
  result.reserve(AText.size());
  for (size_t i = 0; i < AText.size(); ++i) {
    if (AText[i] != u'\\' || i + 1 >= AText.size()) {
      result += AText[i];
      continue;
    }
    switch (AText[++i]) {
      case u'n': result += u"\r\n"; break;
      case u't': result += u'\t'; break;
      case u'r': result += u'\r'; break;
      case u'l': result += u'\n'; break;
      default: result += u'\\'; break;  // the escaped character itself is dropped
    }
  }
  return result;
}

String IniSection(const String& APath, const String& AClassName) { return APath + u": " + AClassName; }

std::vector<String> SplitPath(const String& APath) {
  std::vector<String> parts;
  size_t start = 0;
  for (;;) {
    size_t slash = APath.find(u'/', start);
    parts.push_back(APath.substr(start, slash == String::npos ? String::npos : slash - start));
    if (slash == String::npos) break;
    start = slash + 1;
  }
  return parts;
}

// The registry key of an object: the storage key and the path's parts.
String RegistryKeyOf(const String& AStorageName, const String& APath) {
  String key = AStorageName;
  for (const String& part : SplitPath(APath)) key += u"\\" + part;
  return key;
}

String RegistryRoot(const String& AStorageName) {
  if (AStorageName.empty() || AStorageName[0] != u'\\') return u"\\" + AStorageName;
  return AStorageName;
}

// Reading the stream form is bounded: no record nests deeper than this.
constexpr Integer MaxStreamDepth = 256;

Integer ReadCount(TReader* AReader, TStream* AStream) {
  const Int64 count = AReader->ReadInt64();
  // every entry takes at least one byte
  if (count < 0 || count > AStream->Size() - AStream->Position()) throw EReadError(u"Stream read error");
  return static_cast<Integer>(count);
}

std::unique_ptr<TvlStreamObject> ReadStreamObject(TReader* AReader, TStream* AStream, Integer ADepth) {
  if (ADepth > MaxStreamDepth) throw EReadError(u"Stream read error");
  auto object = std::make_unique<TvlStreamObject>();
  object->Name = AReader->ReadString();
  object->ClassName = AReader->ReadString();
  for (Integer i = ReadCount(AReader, AStream); i > 0; --i) {
    String name = AReader->ReadString();
    Variant value;
    switch (AReader->ReadInteger()) {
      case 1: value = Variant(AReader->ReadBoolean()); break;
      case 2: value = Variant(static_cast<Byte>(AReader->ReadChar())); break;
      case 3: value = Variant(AReader->ReadCurrency()); break;
      case 4: value = VarFromDateTime(AReader->ReadDate()); break;
      case 5: value = Variant(AReader->ReadFloat()); break;
      case 6: value = IntegerVariant(AReader->ReadInt64()); break;
      case 7: value = Variant(AReader->ReadSingle()); break;
      case 8: value = Variant(AReader->ReadString()); break;
      case 9: value = VarAsType(Variant(AReader->ReadWideString()), varOleStr); break;
      default: throw EReadError(u"Stream read error");
    }
    object->Properties.emplace_back(std::move(name), std::move(value));
  }
  for (Integer i = ReadCount(AReader, AStream); i > 0; --i)
    object->Children.push_back(ReadStreamObject(AReader, AStream, ADepth + 1));
  return object;
}

void WriteStreamObject(TWriter* AWriter, const TvlStreamObject& AObject) {
  AWriter->WriteString(AObject.Name);
  AWriter->WriteString(AObject.ClassName);
  AWriter->WriteInteger(static_cast<Int64>(AObject.Properties.size()));
  for (const auto& [name, value] : AObject.Properties) {
    AWriter->WriteString(name);
    switch (KindOf(value)) {
      case TValueKind::Boolean:
        AWriter->WriteInteger(1);
        AWriter->WriteBoolean(value.AsBoolean());
        break;
      case TValueKind::Byte:
        AWriter->WriteInteger(2);
        AWriter->WriteChar(static_cast<Char>(value.AsInteger()));
        break;
      case TValueKind::Currency:
        AWriter->WriteInteger(3);
        AWriter->WriteCurrency(value.AsCurrency());
        break;
      case TValueKind::Date:
        AWriter->WriteInteger(4);
        AWriter->WriteDate(value.AsDateTime());
        break;
      case TValueKind::Double:
        AWriter->WriteInteger(5);
        AWriter->WriteFloat(value.AsDouble());
        break;
      case TValueKind::Integer:
        AWriter->WriteInteger(6);
        AWriter->WriteInteger(value.AsInt64());
        break;
      case TValueKind::Single:
        AWriter->WriteInteger(7);
        AWriter->WriteSingle(static_cast<Single>(value.AsDouble()));
        break;
      case TValueKind::AnsiText:
        AWriter->WriteInteger(8);
        AWriter->WriteString(value.AsString());
        break;
      case TValueKind::WideText:
        AWriter->WriteInteger(9);
        AWriter->WriteWideString(value.AsString());
        break;
      case TValueKind::None:
        break;  // never kept (WriteProperty skips such values)
    }
  }
  AWriter->WriteInteger(static_cast<Int64>(AObject.Children.size()));
  for (const auto& child : AObject.Children) WriteStreamObject(AWriter, *child);
}

}  // namespace

// --- Base reader and writer ---------------------------------------------------------------------

void TvlCustomReader::Create(const String& AStorageName) { Create(AStorageName, nullptr); }

void TvlCustomReader::Create(const String& AStorageName, TStream* AStream) {
  inherited::Create();
  FStorageName = AStorageName;
  AssignStream(AStream);
}

Variant TvlCustomReader::ReadProperty(const String&, const String&, const String&) { return Variant(); }

void TvlCustomWriter::Create(const String& AStorageName, Boolean AReCreate) {
  Create(AStorageName, AReCreate, nullptr);
}

void TvlCustomWriter::Create(const String& AStorageName, Boolean AReCreate, TStream* AStream) {
  inherited::Create();
  FStorageName = AStorageName;
  FReCreate = AReCreate;
  SetStorageStream(AStream);
}

void TvlCustomWriter::SetStorageStream(TStream* Value) {
  if (FStorageStream != Value) AssignStream(Value);
}

// --- INI file ----------------------------------------------------------------------------------

void TvlIniFileReader::Create(const String& AStorageName, TStream* AStream) {
  inherited::Create(AStorageName, AStream);
  FIniFile = New<TMemIniFile>(AStorageName);
}

void TvlIniFileReader::Destroy() {
  FreeAndNil(FIniFile);
  inherited::Destroy();
}

Boolean TvlIniFileReader::IsReadable() { return FileExists(StorageName()); }

void TvlIniFileReader::StartRead() { FStorageVersion = FIniFile->ReadInteger(MainSection, VersionIdent, 0); }

void TvlIniFileReader::ReadProperties(const String& AObjectFullName, const String& AClassName,
                                      TStrings* AProperties) {
  FIniFile->ReadSection(IniSection(AObjectFullName, AClassName), AProperties);
}

Variant TvlIniFileReader::ReadProperty(const String& AObjectFullName, const String& AClassName,
                                       const String& AName) {
  const String text = FIniFile->ReadString(IniSection(AObjectFullName, AClassName), AName, String());
  if (IsQuoted(text)) {
    String inner = text.substr(1, text.size() - 2);
    return Variant(StorageVersion() == 1 ? UnescapeIniText(inner) : inner);
  }
  Int64 i;
  if (TryStrToInt64(text, i)) return IntegerVariant(i);
  return UnquotedText(text);
}

void TvlIniFileReader::SplitSections() {
  FSectionsSplit = true;
  Owned<TStringList> sections(New<TStringList>());
  FIniFile->ReadSections(sections.get());
  for (Integer i = 0; i < sections->Count(); ++i) {
    const String section = sections->Strings(i);
    const size_t colon = section.find(u':');
    if (colon == String::npos) continue;  // "Main"
    const String path = section.substr(0, colon);
    const size_t slash = path.rfind(u'/');
    TSectionName s;
    s.Parent = slash == String::npos ? String() : path.substr(0, slash + 1);
    s.Name = slash == String::npos ? path : path.substr(slash + 1);
    s.ClassName = Trim(section.substr(colon + 1));
    s.Section = section;
    FSections.push_back(s);
  }
}

void TvlIniFileReader::ReadChildren(const String& AObjectFullName, const String&, TStrings* AChildrenClassNames,
                                    TStrings* AChildrenNames) {
  if (!FSectionsSplit) SplitSections();
  const String parent = AObjectFullName + u"/";
  for (const TSectionName& s : FSections)
    if (SameText(s.Parent, parent)) {
      AChildrenClassNames->Add(s.ClassName);
      AChildrenNames->Add(s.Name);
    }
}

void TvlIniFileWriter::Create(const String& AStorageName, Boolean AReCreate, TStream* AStream) {
  inherited::Create(AStorageName, AReCreate, AStream);
  FIniFile = New<TMemIniFile>(AStorageName);
  if (AReCreate) FIniFile->Clear();
}

void TvlIniFileWriter::Destroy() {
  FreeAndNil(FIniFile);
  inherited::Destroy();
}

void TvlIniFileWriter::StartWrite() { FIniFile->WriteInteger(MainSection, VersionIdent, 1); }

void TvlIniFileWriter::FinishWrite() { FIniFile->UpdateFile(); }

void TvlIniFileWriter::BeginWriteObject(const String& AObjectFullName, const String& AClassName) {
  FIniFile->WriteString(IniSection(AObjectFullName, AClassName), String(), String());
}

void TvlIniFileWriter::WriteProperty(const String& AObjectFullName, const String& AClassName, const Variant& AValue,
                                     const String& AName) {
  const String section = IniSection(AObjectFullName, AClassName);
  switch (KindOf(AValue)) {
    case TValueKind::Byte:
    case TValueKind::Integer:
      // the exact decimal: a 64-bit value reads back as it was
      FIniFile->WriteString(section, AName, IntToStr(AValue.AsInt64()));
      break;
    // numbers in the fixed form: a file written under one locale reads under any other
    case TValueKind::Single:
    case TValueKind::Double:
      FIniFile->WriteString(section, AName, FloatToStr(AValue.AsDouble(), PointSettings()));
      break;
    // the exact value: the float text of a double would round the largest currencies
    case TValueKind::Currency:
      FIniFile->WriteString(section, AName, CurrToStr(AValue.AsCurrency(), PointSettings()));
      break;
    case TValueKind::Date: FIniFile->WriteDateTime(section, AName, AValue.AsDateTime()); break;
    case TValueKind::AnsiText:
    case TValueKind::WideText: FIniFile->WriteString(section, AName, EscapeIniText(AValue.AsString())); break;
    case TValueKind::Boolean:
    case TValueKind::None: break;  // Booleans reach the writers as text; other kinds have no form
  }
}

// --- Registry ------------------------------------------------------------------------------------

void TvlRegistryReader::Create(const String& AStorageName, TStream* AStream) {
  inherited::Create(RegistryRoot(AStorageName), AStream);
  FRegistry = New<TRegistry>(win::KEY_READ);
  FRegistry->OpenKeyReadOnly(StorageName());
}

void TvlRegistryReader::Destroy() {
  FreeAndNil(FRegistry);
  inherited::Destroy();
}

Boolean TvlRegistryReader::OpenObjectKey(const String& AObjectFullName) {
  const String key = RegistryKeyOf(StorageName(), AObjectFullName);
  if (FObjectKey == key && FRegistry->CurrentKey()) return true;
  FObjectKey.clear();
  if (!FRegistry->OpenKeyReadOnly(key)) return false;
  FObjectKey = key;
  return true;
}

void TvlRegistryReader::ReadProperties(const String& AObjectFullName, const String&, TStrings* AProperties) {
  if (OpenObjectKey(AObjectFullName)) FRegistry->GetValueNames(AProperties);
}

Variant TvlRegistryReader::ReadProperty(const String& AObjectFullName, const String&, const String& AName) {
  if (!OpenObjectKey(AObjectFullName) || !FRegistry->ValueExists(AName)) return Variant();
  switch (FRegistry->GetDataType(AName)) {
    case rdString:
    case rdExpandString: {
      const String text = FRegistry->ReadString(AName);
      if (IsQuoted(text)) return Variant(text.substr(1, text.size() - 2));
      return UnquotedText(text);
    }
    case rdInteger: return Variant(FRegistry->ReadInteger(AName));
    case rdBinary:
      if (FRegistry->GetDataSize(AName) != 8) return Variant();
      return Variant(FRegistry->ReadFloat(AName));
    default: {
      // a 64-bit integer (REG_QWORD): written for values beyond 32 bits
      win::DWORD type = 0, size = sizeof(Int64);
      Int64 value = 0;
      if (win::RegQueryValueExW(FRegistry->CurrentKey(), AName.c_str(), nullptr, &type,
                                reinterpret_cast<win::LPBYTE>(&value), &size) == 0 &&
          type == win::REG_QWORD && size == sizeof(Int64))
        return Variant(value);
      return Variant();
    }
  }
}

void TvlRegistryReader::ReadChildren(const String& AObjectFullName, const String&, TStrings* AChildrenClassNames,
                                     TStrings* AChildrenNames) {
  if (!OpenObjectKey(AObjectFullName)) return;
  Owned<TStringList> keys(New<TStringList>());
  FRegistry->GetKeyNames(keys.get());
  Boolean skipped = false;
  for (Integer i = 0; i < keys->Count(); ++i) {
    const String name = keys->Strings(i);
    if (!skipped && SameText(name, ClassNameKey)) {
      skipped = true;
      continue;
    }
    String className;
    const String classKey = FObjectKey + u"\\" + name + u"\\" + ClassNameKey;
    if (FRegistry->OpenKeyReadOnly(classKey) && FRegistry->ValueExists(ClassNameValue) &&
        FRegistry->GetDataType(ClassNameValue) == rdString)
      className = FRegistry->ReadString(ClassNameValue);
    FRegistry->OpenKeyReadOnly(FObjectKey);
    AChildrenClassNames->Add(className);
    AChildrenNames->Add(name);
  }
}

void TvlRegistryWriter::Create(const String& AStorageName, Boolean AReCreate, TStream* AStream) {
  inherited::Create(RegistryRoot(AStorageName), AReCreate, AStream);
  FRegistry = New<TRegistry>();
  if (AReCreate && !AStorageName.empty()) FRegistry->DeleteKey(StorageName());
}

void TvlRegistryWriter::Destroy() {
  FreeAndNil(FRegistry);
  inherited::Destroy();
}

void TvlRegistryWriter::BeginWriteObject(const String& AObjectFullName, const String& AClassName) {
  if (!FRootOpened) {
    if (!FRegistry->KeyExists(StorageName()) && !FRegistry->CreateKey(StorageName()))
      throw ERegistryException(Format(u"Can't create the registry key: \\%s", {StorageName()}));
    if (!FRegistry->OpenKey(StorageName(), false))
      throw ERegistryException(Format(u"Can't open the registry key: \\%s", {StorageName()}));
    FRootOpened = true;
  }
  const String key = RegistryKeyOf(StorageName(), AObjectFullName);
  Boolean ok = FRegistry->OpenKey(key, true) && FRegistry->OpenKey(key + u"\\" + ClassNameKey, true);
  if (ok) {
    FRegistry->WriteString(ClassNameValue, AClassName);
    ok = FRegistry->OpenKey(key, false);
  }
  if (!ok) throw ERegistryException(Format(u"Error store %s object", {AObjectFullName}));
}

void TvlRegistryWriter::EndWriteObject(const String& AObjectFullName, const String&) {
  const size_t slash = AObjectFullName.rfind(u'/');
  const String parent = slash == String::npos ? String() : AObjectFullName.substr(0, slash);
  FRegistry->OpenKey(parent.empty() ? StorageName() : RegistryKeyOf(StorageName(), parent), false);
}

void TvlRegistryWriter::WriteProperty(const String&, const String&, const Variant& AValue, const String& AName) {
  switch (KindOf(AValue)) {
    case TValueKind::Boolean: FRegistry->WriteInteger(AName, AValue.AsBoolean() ? 1 : 0); break;
    case TValueKind::Byte:
    case TValueKind::Integer: {
      const Int64 value = AValue.AsInt64();
      if (value >= INT32_MIN && value <= INT32_MAX) {
        FRegistry->WriteInteger(AName, static_cast<Integer>(value));
      } else {
        // beyond 32 bits: a REG_QWORD, so that the value reads back as it was
        if (win::RegSetValueExW(FRegistry->CurrentKey(), AName.c_str(), 0, win::REG_QWORD,
                                reinterpret_cast<const win::BYTE*>(&value), sizeof(value)) != 0)
          throw ERegistryException(Format(u"Failed to set data for '%s'", {AName}));
      }
      break;
    }
    // A currency as its 8-byte double, which the reader reads back (its own
    // 8 bytes would read as a meaningless double); one that no double holds
    // exactly as its decimal text, which the reader reads back as a currency.
    case TValueKind::Currency: {
      const Currency value = AValue.AsCurrency();
      if (DoubleHoldsCurrency(value, value.ToDouble()))
        FRegistry->WriteFloat(AName, value.ToDouble());
      else
        FRegistry->WriteString(AName, CurrToStr(value, PointSettings()));
      break;
    }
    case TValueKind::Single:
    case TValueKind::Double: FRegistry->WriteFloat(AName, AValue.AsDouble()); break;
    case TValueKind::Date: FRegistry->WriteDateTime(AName, AValue.AsDateTime()); break;
    case TValueKind::AnsiText:
    case TValueKind::WideText: FRegistry->WriteString(AName, u"\"" + AValue.AsString() + u"\""); break;
    case TValueKind::None: break;
  }
}

// --- Stream ----------------------------------------------------------------------------------------

Boolean TvlStreamReader::IsReadable() { return StorageStream() && StorageStream()->Size() > 0; }

void TvlStreamReader::AssignStream(TStream* AStream) { inherited::AssignStream(AStream); }

void TvlStreamReader::Destroy() {
  delete FRoot;
  FRoot = nullptr;
  inherited::Destroy();
}

void TvlStreamReader::StartRead() {
  delete FRoot;
  FRoot = nullptr;
  FLastObject = nullptr;
  FLastPath.clear();
  TStream* stream = StorageStream();
  if (!stream || stream->Position() >= stream->Size()) return;
  TReader* reader = New<TReader>(stream, 4096);
  Finally freeReader([&] { Free(reader); });
  try {
    FRoot = ReadStreamObject(reader, stream, 0).release();
  } catch (const EReadError&) {
    throw;
  } catch (const Exception&) {
    // other data (a float no number can hold, ...): the stream-reading error
    throw EReadError(u"Stream read error");
  }
}

TvlStreamObject* TvlStreamReader::FindObject(const String& AObjectFullName) {
  if (!FRoot) return nullptr;
  if (FLastObject && FLastPath == AObjectFullName) return FLastObject;
  const std::vector<String> parts = SplitPath(AObjectFullName);
  TvlStreamObject* object = FRoot;
  for (size_t i = 1; i < parts.size() && object; ++i) {
    TvlStreamObject* found = nullptr;
    for (const auto& child : object->Children)
      if (child->Name == parts[i]) {
        found = child.get();
        break;
      }
    object = found;
  }
  if (object && object->Name != parts.back()) object = nullptr;
  FLastPath = AObjectFullName;
  FLastObject = object;
  return object;
}

void TvlStreamReader::ReadProperties(const String& AObjectFullName, const String&, TStrings* AProperties) {
  if (TvlStreamObject* object = FindObject(AObjectFullName))
    for (const auto& property : object->Properties) AProperties->Add(property.first);
}

Variant TvlStreamReader::ReadProperty(const String& AObjectFullName, const String&, const String& AName) {
  if (TvlStreamObject* object = FindObject(AObjectFullName))
    for (const auto& property : object->Properties)
      if (property.first == AName) return property.second;
  return Variant();
}

void TvlStreamReader::ReadChildren(const String& AObjectFullName, const String&, TStrings* AChildrenClassNames,
                                   TStrings* AChildrenNames) {
  if (TvlStreamObject* object = FindObject(AObjectFullName))
    for (const auto& child : object->Children) {
      AChildrenClassNames->Add(child->ClassName);
      AChildrenNames->Add(child->Name);
    }
}

Boolean TvlStreamWriter::IsWritable() { return StorageStream() != nullptr; }

void TvlStreamWriter::AssignStream(TStream* AStream) { inherited::AssignStream(AStream); }

void TvlStreamWriter::Destroy() {
  delete FRoot;
  FRoot = nullptr;
  inherited::Destroy();
}

void TvlStreamWriter::BeginWriteObject(const String& AObjectFullName, const String& AClassName) {
  const std::vector<String> parts = SplitPath(AObjectFullName);
  auto object = std::make_unique<TvlStreamObject>();
  object->Name = parts.back();
  object->ClassName = AClassName;
  FCurrent = object.get();
  if (!FRoot) {
    if (parts.size() == 1) FRoot = object.release();
    return;
  }
  TvlStreamObject* parent = FRoot;
  for (size_t i = 1; i + 1 < parts.size() && parent; ++i) {
    TvlStreamObject* found = nullptr;
    for (const auto& child : parent->Children)
      if (child->Name == parts[i]) {
        found = child.get();
        break;
      }
    parent = found;
  }
  if (parent && parts.size() > 1)
    parent->Children.push_back(std::move(object));
  else
    FCurrent = nullptr;  // no place in the tree: its properties go nowhere
}

void TvlStreamWriter::WriteProperty(const String&, const String&, const Variant& AValue, const String& AName) {
  // A kind the stream form has no tag for is skipped whole: a name without
  // a value would leave the stream unreadable.
  if (FCurrent && KindOf(AValue) != TValueKind::None) FCurrent->Properties.emplace_back(AName, AValue);
}

void TvlStreamWriter::FinishWrite() {
  std::unique_ptr<TvlStreamObject> root(FRoot);
  FRoot = nullptr;
  FCurrent = nullptr;
  if (!root || !StorageStream()) return;
  TWriter* writer = New<TWriter>(StorageStream(), 4096);
  Finally freeWriter([&] { Free(writer); });
  WriteStreamObject(writer, *root);
}

// --- TvlStorage ---------------------------------------------------------------------------------------

void TvlStorage::Create(const String& AStorageName, TStream* AStream) {
  inherited::Create();
  FStorageName = AStorageName;
  FStream = AStream;
  FReCreate = true;
}

void TvlStorage::Create(const String& AStorageName) { Create(AStorageName, nullptr); }

void TvlStorage::Create(TStream* AStream) { Create(String(), AStream); }

TvlStorageModes TvlStorage::GetModes() { return Assigned(FOnGetStorageModes) ? FOnGetStorageModes(this) : FModes; }

Boolean TvlStorage::GetUseInterfaceOnly() {
  return Assigned(FOnGetUseInterfaceOnly) ? FOnGetUseInterfaceOnly(this) : FUseInterfaceOnly;
}

String TvlStorage::GetObjectName(const String& AObjectName) {
  String name = AObjectName;
  if (name.empty()) {
    IvlStoredPropertiesProvider* provider = nullptr;
    if (Supports(FStoredObject, provider))
      name = provider->GetStoredObjectName();
    else if (TComponent* component = dynamic_cast<TComponent*>(FStoredObject))
      name = component->Name();
    else
      name = u"Object";
  }
  if (!FNamePrefix.empty()) name = FNamePrefix + u"." + name;
  return name;
}

void TvlStorage::ListStoredProperties(TStrings* AProperties) {
  IvlStoredPropertiesProvider* provider = nullptr;
  if (Supports(FStoredObject, provider) && provider->GetStoredProperties(AProperties)) return;
  AProperties->Clear();
  for (const TPropInfo* info : GetPropList(FStoredObject))
    if (info->PropType->Kind != tkMethod) AProperties->Add(info->Name);
}

void TvlStorage::ListStoredChildren(TStringList* AChildren) {
  IvlStoredChildrenProvider* children = nullptr;
  const Boolean hasProvider = Supports(FStoredObject, children);
  if (hasProvider) children->GetStoredChildren(AChildren);
  if (!GetModes().Contains(smSavePublishedClassProperties)) return;
  if (TCollection* collection = dynamic_cast<TCollection*>(FStoredObject); collection && !hasProvider)
    for (Integer i = 0; i < collection->Count(); ++i) AChildren->AddObject(IntToStr(i), collection->Items(i));
  for (const TPropInfo* info : GetPropList(FStoredObject)) {
    if (info->PropType->Kind != tkClass || !info->Getter) continue;
    TObject* object = GetObjectProp(FStoredObject, info);
    if (!object) continue;
    if (Assigned(FOnTestClassProperty) && !FOnTestClassProperty(this, info->Name, object)) continue;
    AChildren->AddObject(info->Name, object);
  }
}

Variant TvlStorage::ReadPropertyValue(const String& AName) {
  Variant result = Null();
  IvlStoredPropertiesProvider* provider = nullptr;
  Supports(FStoredObject, provider);
  auto fromProvider = [&] {
    if (provider) result = provider->GetStoredPropertyValue(AName);
  };
  const TPropInfo* info = GetUseInterfaceOnly() ? nullptr : GetPropInfo(FStoredObject, AName);
  if (GetUseInterfaceOnly() || !info || !info->Getter) {
    fromProvider();
  } else {
    switch (info->PropType->Kind) {
      case tkInteger:
      case tkChar:
      case tkWChar: result = Variant(static_cast<Integer>(GetOrdProp(FStoredObject, info))); break;
      case tkEnumeration: result = Variant(GetEnumProp(FStoredObject, info)); break;
      case tkFloat:
        result = IsCurrencyProp(info) ? Variant(GetCurrencyProp(FStoredObject, info))
                                      : Variant(GetFloatProp(FStoredObject, info));
        break;
      case tkString:
      case tkLString:
      case tkUString: result = Variant(GetStrProp(FStoredObject, info)); break;
      case tkSet: result = Variant(GetSetProp(FStoredObject, info, true)); break;
      case tkClass:
        if (FSaveComponentPropertiesByName) {
          if (TComponent* component = dynamic_cast<TComponent*>(GetObjectProp(FStoredObject, info)))
            result = Variant(component->Name());
        } else {
          fromProvider();
        }
        break;
      case tkWString: result = VarAsType(Variant(GetWideStrProp(FStoredObject, info)), varOleStr); break;
      case tkVariant: result = GetVariantProp(FStoredObject, info); break;
      case tkInt64: result = Variant(GetInt64Prop(FStoredObject, info)); break;
      default: fromProvider(); break;
    }
  }
  if (result.VType() == varBoolean) result = Variant(String(result.AsBoolean() ? u"True" : u"False"));
  return result;
}

void TvlStorage::WritePropertyValue(const String& AName, const Variant& AValue, Boolean AApply) {
  if (VarIsNull(AValue) || VarIsEmpty(AValue)) return;
  IvlStoredPropertiesProvider* provider = nullptr;
  Supports(FStoredObject, provider);
  auto toProvider = [&] {
    if (provider && AApply) provider->SetStoredPropertyValue(AName, AValue);
  };
  const TPropInfo* info = GetUseInterfaceOnly() ? nullptr : GetPropInfo(FStoredObject, AName);
  if (GetUseInterfaceOnly() || !info || !info->Setter) {
    // a class property is set through its object even without a setter
    if (!info || info->PropType->Kind != tkClass || GetUseInterfaceOnly()) {
      toProvider();
      return;
    }
  }
  // Each value is converted first; without AApply nothing more happens, so a
  // value that does not convert raises before anything is set.
  switch (info->PropType->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar: {
      const Integer value = AValue.AsInteger();
      if (AApply) SetOrdProp(FStoredObject, info, value);
      break;
    }
    case tkEnumeration: {
      const String value = AValue.AsString();
      // an unknown name raises there before anything is set
      if (AApply || GetEnumValue(info->PropType, value) < 0) SetEnumProp(FStoredObject, info, value);
      break;
    }
    case tkFloat:
      if (IsCurrencyProp(info)) {
        const Currency value = AValue.AsCurrency();  // exact, also at the ends of the range
        if (AApply) SetCurrencyProp(FStoredObject, info, value);
      } else {
        const double value = AValue.AsDouble();
        if (AApply) SetFloatProp(FStoredObject, info, value);
      }
      break;
    case tkString:
    case tkLString:
    case tkUString: {
      const String value = AValue.AsString();
      if (AApply) SetStrProp(FStoredObject, info, value);
      break;
    }
    case tkSet: {
      const String value = AValue.AsString();
      if (AApply)
        SetSetProp(FStoredObject, info, value);
      else
        static_cast<void>(StringToSet(info, value));  // an unknown name raises
      break;
    }
    case tkClass:
      if (!AApply) break;
      if (FSaveComponentPropertiesByName && VarIsStr(AValue) && info->PropType->ClassType &&
          info->PropType->ClassType->InheritsFrom(TComponent::StaticClass())) {
        if (!Assigned(FOnGetComponentByName) || !info->Setter) break;
        if (TComponent* component = FOnGetComponentByName(this, AValue.AsString()))
          SetObjectProp(FStoredObject, info, component);
      } else {
        toProvider();
      }
      break;
    case tkWString: {
      const String value = AValue.AsString();
      if (AApply) SetWideStrProp(FStoredObject, info, value);
      break;
    }
    case tkVariant:
      if (AApply) SetVariantProp(FStoredObject, info, AValue);
      break;
    case tkInt64: {
      const Int64 value = AValue.AsInt64();
      if (AApply) SetInt64Prop(FStoredObject, info, value);
      break;
    }
    default: toProvider(); break;
  }
}

TvlStorage* TvlStorage::NewChildStorage(TObject* AChild, const String& AObjectPath) {
  TvlStorage* storage = New<TvlStorage>(String());
  storage->FObjectNamePrefix = AObjectPath + u"/";
  storage->FStoredObject = AChild;
  storage->FOnTestClassProperty = FOnTestClassProperty;
  storage->FOnGetComponentByName = FOnGetComponentByName;
  storage->FModes = FModes;
  storage->FSaveComponentPropertiesByName = FSaveComponentPropertiesByName;
  return storage;
}

void TvlStorage::StoreObject(TvlCustomWriter* AWriter, const String& AObjectName) {
  const String path = FObjectNamePrefix + GetObjectName(AObjectName);
  const String className = FStoredObject->ClassName();
  AWriter->BeginWriteObject(path, className);
  Owned<TStringList> properties(New<TStringList>());
  ListStoredProperties(properties.get());
  for (Integer i = 0; i < properties->Count(); ++i) {
    const String name = properties->Strings(i);
    const Variant value = ReadPropertyValue(name);
    if (!VarIsEmpty(value) && !VarIsNull(value)) AWriter->WriteProperty(path, className, value, name);
  }
  Owned<TStringList> children(New<TStringList>());
  ListStoredChildren(children.get());
  for (Integer i = 0; i < children->Count(); ++i) {
    Owned<TvlStorage> child(NewChildStorage(children->Objects(i), path));
    child->StoreObject(AWriter, children->Strings(i));
  }
  AWriter->EndWriteObject(path, className);
}

void TvlStorage::RestoreObject(TvlCustomReader* AReader, const String& AObjectName) {
  const String path = FObjectNamePrefix + GetObjectName(AObjectName);
  const String className = FStoredObject->ClassName();
  Owned<TStringList> properties(New<TStringList>());
  AReader->ReadProperties(path, className, properties.get());
  // Every value is read and converted before any is set: a value that does
  // not convert leaves the object's properties as they were.
  std::vector<std::pair<String, Variant>> values;
  for (Integer i = 0; i < properties->Count(); ++i) {
    const String name = properties->Strings(i);
    if (!name.empty()) values.emplace_back(name, AReader->ReadProperty(path, className, name));
  }
  for (const auto& [name, value] : values) WritePropertyValue(name, value, false);
  for (const auto& [name, value] : values) WritePropertyValue(name, value);

  Owned<TStringList> storedClasses(New<TStringList>()), storedNames(New<TStringList>());
  AReader->ReadChildren(path, className, storedClasses.get(), storedNames.get());
  Owned<TStringList> current(New<TStringList>());
  ListStoredChildren(current.get());
  for (Integer i = 0; i < current->Count(); ++i)
    if (current->Strings(i).empty()) {
      Owned<TvlStorage> named(NewChildStorage(current->Objects(i), path));
      current->SetStrings(i, named->GetObjectName(String()));
    }

  IvlStoredChildrenProvider* provider = nullptr;
  Supports(FStoredObject, provider);
  TCollection* collection = dynamic_cast<TCollection*>(FStoredObject);
  const TvlStorageModes modes = GetModes();
  for (Integer i = 0; i < storedNames->Count(); ++i) {
    String name = storedNames->Strings(i);
    TObject* child = nullptr;
    for (Integer j = 0; j < current->Count(); ++j)
      if (SameText(current->Strings(j), name)) {
        child = current->Objects(j);
        name = current->Strings(j);
        current->Delete(j);
        break;
      }
    if (!child && modes.Contains(smChildrenCreating)) {
      if (provider) child = provider->CreateStoredChild(name, storedClasses->Strings(i));
      if (!child && collection) child = collection->Add();
    }
    if (!child) continue;  // neither found nor made: its subtree is skipped
    Owned<TvlStorage> storage(NewChildStorage(child, path));
    storage->RestoreObject(AReader, name);
  }
  if (modes.Contains(smChildrenDeleting))
    for (Integer j = current->Count() - 1; j >= 0; --j) {
      if (provider)
        provider->DeleteStoredChild(current->Strings(j), current->Objects(j));
      else if (collection && Is<TCollectionItem>(current->Objects(j)))
        Free(current->Objects(j));
    }
}

void TvlStorage::StoreTo(TObject* AObject, TvlCustomWriterClass AWriterClass) {
  using TCreate = void (TvlCustomWriter::*)(const String&, Boolean, TStream*);
  TvlCustomWriter* writer = CreateFrom(AWriterClass, static_cast<TCreate>(&TvlCustomWriter::Create), FStorageName,
                                       FReCreate, FStream);
  Finally freeWriter([&] { Free(writer); });
  StoreWithExistingWriter(AObject, writer);
}

void TvlStorage::StoreWithExistingWriter(TObject* AObject, TvlCustomWriter* AWriter) {
  if (!AWriter || !AWriter->IsWritable()) return;
  FStoredObject = AObject;
  AWriter->StartWrite();
  // Finished only when everything was written: a writer that failed half way
  // leaves the file (stream) as it was rather than half written.
  StoreObject(AWriter, String());
  AWriter->FinishWrite();
}

void TvlStorage::RestoreFrom(TObject* AObject, TvlCustomReaderClass AReaderClass) {
  using TCreate = void (TvlCustomReader::*)(const String&, TStream*);
  TvlCustomReader* reader =
      CreateFrom(AReaderClass, static_cast<TCreate>(&TvlCustomReader::Create), FStorageName, FStream);
  Finally freeReader([&] { Free(reader); });
  RestoreWithExistingReader(AObject, reader);
}

void TvlStorage::RestoreWithExistingReader(TObject* AObject, TvlCustomReader* AReader) {
  if (!AReader || !AReader->IsReadable()) return;
  FStoredObject = AObject;
  AReader->StartRead();
  Finally finish([&] { AReader->FinishRead(); });
  RestoreObject(AReader, String());
}

void TvlStorage::RestoreFromIni(TObject* AObject) { RestoreFrom(AObject, ClassOf<TvlIniFileReader>()); }
void TvlStorage::RestoreFromRegistry(TObject* AObject) { RestoreFrom(AObject, ClassOf<TvlRegistryReader>()); }
void TvlStorage::RestoreFromStream(TObject* AObject) { RestoreFrom(AObject, ClassOf<TvlStreamReader>()); }
void TvlStorage::StoreToIni(TObject* AObject) { StoreTo(AObject, ClassOf<TvlIniFileWriter>()); }
void TvlStorage::StoreToRegistry(TObject* AObject) { StoreTo(AObject, ClassOf<TvlRegistryWriter>()); }
void TvlStorage::StoreToStream(TObject* AObject) { StoreTo(AObject, ClassOf<TvlStreamWriter>()); }

// --- Helpers ------------------------------------------------------------------------------------------

String vlStreamToHexText(TStream* AStream) {
  if (!AStream || AStream->Size() == 0) return String();
  AnsiString bytes(static_cast<size_t>(AStream->Size()), '\0');
  AStream->SetPosition(0);
  AStream->ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  return u"Hex:" + nbStringToHex(bytes);
}

void vlHexTextToStream(const String& AText, TStream* AStream) {
  if (!AStream || AText.size() <= 5) return;
  const AnsiString bytes = nbHexToString(AText.substr(4));
  if (!bytes.empty()) AStream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

Boolean vlTextToBoolean(const String& AText) {
  if (SameText(AText, u"TRUE")) return true;
  if (SameText(AText, u"FALSE")) return false;
  throw EPropertyConvertError(u"Invalid property value");
}
