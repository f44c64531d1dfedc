#include "platform/classes/Registry.h"

#include <cstring>
#include <vector>

#include "platform/classes/StringLists.h"
#include "platform/rtl/Finally.h"

using namespace win;

CL_IMPLEMENT_CLASS(TRegistry)

namespace {

TRegDataType DataTypeToRegData(DWORD Type) {
  switch (Type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

DWORD RegDataToDataType(TRegDataType Value) {
  switch (Value) {
    case rdString: return REG_SZ;
    case rdExpandString: return REG_EXPAND_SZ;
    case rdInteger: return REG_DWORD;
    case rdBinary: return REG_BINARY;
    default: return REG_NONE;
  }
}

// A leading "\" makes a path absolute: it is removed and Relative cleared.
String StripRoot(const String& Key, bool& Relative) {
  Relative = Key.empty() || Key[0] != u'\\';
  return Relative ? Key : Key.substr(1);
}

// The path of a key opened at Sub below the current key's Path.
String JoinPath(const String& Path, const String& Sub) {
  if (Sub.empty()) return Path;
  return Path.empty() ? Sub : Path + u"\\" + Sub;
}

// Deletes Name below Parent with its whole subtree.
LSTATUS DeleteTree(HKEY Parent, const String& Name) {
  HKEY key = nullptr;
  LSTATUS r = RegOpenKeyExW(Parent, Name.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (r != ERROR_SUCCESS) return r;
  DWORD count = 0, maxLen = 0;
  r = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &maxLen, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr);
  std::vector<String> names;
  std::vector<WCHAR> buf(maxLen + 1);
  for (DWORD i = 0; r == ERROR_SUCCESS && i < count; ++i) {
    DWORD len = maxLen + 1;
    if (RegEnumKeyExW(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
      names.emplace_back(buf.data(), len);
  }
  for (const String& n : names) DeleteTree(key, n);
  RegCloseKey(key);
  return RegDeleteKeyW(Parent, Name.c_str());
}

}  // namespace

void TRegistry::Create() { Create(KEY_ALL_ACCESS); }

void TRegistry::Create(Cardinal AAccess) {
  FRootKey = HKEY_CURRENT_USER;
  FAccess = AAccess;
  FLazyWrite = true;
}

void TRegistry::Destroy() {
  CloseKey();
  inherited::Destroy();
}

void TRegistry::CheckStore(LSTATUS Code, HKEY Key) {
  if (Code == static_cast<LSTATUS>(ERROR_BADDB) || Code == static_cast<LSTATUS>(ERROR_CANTREAD)) {
    String why = RegistryStoreError(Key);
    throw ERegistryException(why.empty() ? RegistryErrorText(Code) : why);
  }
}

void TRegistry::ReadError(const String& Name) {
  throw ERegistryException(u"Invalid data type for '" + Name + u"'");
}

void TRegistry::CloseKey() {
  if (FCurrentKey) {
    RegCloseKey(FCurrentKey);
    FCurrentKey = nullptr;
    FCurrentPath.clear();
  }
}

void TRegistry::SetRootKey(HKEY Value) {
  if (FRootKey != Value) {
    FRootKey = Value;
    CloseKey();
  }
}

void TRegistry::ChangeKey(HKEY Value, const String& Path) {
  CloseKey();
  FCurrentKey = Value;
  FCurrentPath = Path;
}

HKEY TRegistry::GetBaseKey(Boolean Relative) { return (!FCurrentKey || !Relative) ? FRootKey : FCurrentKey; }

HKEY TRegistry::GetKey(const String& Key) {
  bool relative;
  String s = StripRoot(Key, relative);
  HKEY base = GetBaseKey(relative);
  HKEY result = nullptr;
  LSTATUS r = RegOpenKeyExW(base, s.c_str(), 0, FAccess, &result);
  CheckStore(r, base);
  return r == ERROR_SUCCESS ? result : nullptr;
}

Boolean TRegistry::OpenKey(const String& Key, Boolean CanCreate) {
  bool relative;
  String s = StripRoot(Key, relative);
  HKEY base = GetBaseKey(relative);
  HKEY temp = nullptr;
  LSTATUS r;
  if (!CanCreate || s.empty())
    r = RegOpenKeyExW(base, s.c_str(), 0, FAccess, &temp);
  else
    r = RegCreateKeyExW(base, s.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr, &temp, nullptr);
  CheckStore(r, base);
  if (r != ERROR_SUCCESS) return false;
  if (FCurrentKey && relative) s = JoinPath(FCurrentPath, s);
  ChangeKey(temp, s);
  return true;
}

Boolean TRegistry::OpenKeyReadOnly(const String& Key) {
  bool relative;
  String s = StripRoot(Key, relative);
  HKEY base = GetBaseKey(relative);
  HKEY temp = nullptr;
  LSTATUS r = RegOpenKeyExW(base, s.c_str(), 0, KEY_READ, &temp);
  CheckStore(r, base);
  if (r != ERROR_SUCCESS) return false;
  FAccess = KEY_READ;
  if (FCurrentKey && relative) s = JoinPath(FCurrentPath, s);
  ChangeKey(temp, s);
  return true;
}

Boolean TRegistry::CreateKey(const String& Key) {
  bool relative;
  String s = StripRoot(Key, relative);
  HKEY base = GetBaseKey(relative);
  HKEY temp = nullptr;
  LSTATUS r = RegCreateKeyExW(base, s.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr, &temp, nullptr);
  CheckStore(r, base);
  if (r != ERROR_SUCCESS) throw ERegistryException(u"Failed to create key " + Key);
  RegCloseKey(temp);
  return true;
}

Boolean TRegistry::DeleteKey(const String& Key) {
  bool relative;
  String s = StripRoot(Key, relative);
  HKEY base = GetBaseKey(relative);
  LSTATUS r = DeleteTree(base, s);
  CheckStore(r, base);
  return r == ERROR_SUCCESS;
}

Boolean TRegistry::DeleteValue(const String& Name) {
  return RegDeleteValueW(FCurrentKey, Name.c_str()) == ERROR_SUCCESS;
}

Boolean TRegistry::KeyExists(const String& Key) {
  Cardinal old = FAccess;
  FAccess = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
  HKEY temp;
  {
    Finally restore([&] { FAccess = old; });
    temp = GetKey(Key);
  }
  if (temp) RegCloseKey(temp);
  return temp != nullptr;
}

Boolean TRegistry::GetDataInfo(const String& ValueName, TRegDataInfo& Value) {
  DWORD type = REG_NONE, size = 0;
  Value = TRegDataInfo();
  LSTATUS r = RegQueryValueExW(FCurrentKey, ValueName.c_str(), nullptr, &type, nullptr, &size);
  CheckStore(r, FCurrentKey);
  if (r != ERROR_SUCCESS) return false;
  Value.RegData = DataTypeToRegData(type);
  Value.DataSize = static_cast<Integer>(size);
  return true;
}

Integer TRegistry::GetDataSize(const String& ValueName) {
  TRegDataInfo info;
  return GetDataInfo(ValueName, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(const String& ValueName) {
  TRegDataInfo info;
  return GetDataInfo(ValueName, info) ? info.RegData : rdUnknown;
}

Boolean TRegistry::ValueExists(const String& Name) {
  TRegDataInfo info;
  return GetDataInfo(Name, info);
}

Boolean TRegistry::GetKeyInfo(TRegKeyInfo& Value) {
  Value = TRegKeyInfo();
  DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValue = 0, maxData = 0;
  LSTATUS r = RegQueryInfoKeyW(FCurrentKey, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                               &maxValue, &maxData, nullptr, &Value.FileTime);
  CheckStore(r, FCurrentKey);
  if (r != ERROR_SUCCESS) return false;
  Value.NumSubKeys = static_cast<Integer>(subKeys);
  Value.MaxSubKeyLen = static_cast<Integer>(maxSubKey);
  Value.NumValues = static_cast<Integer>(values);
  Value.MaxValueLen = static_cast<Integer>(maxValue);
  Value.MaxDataLen = static_cast<Integer>(maxData);
  return true;
}

Boolean TRegistry::HasSubKeys() {
  TRegKeyInfo info;
  return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::GetKeyNames(TStrings* Strings) {
  Strings->Clear();
  TRegKeyInfo info;
  if (!GetKeyInfo(info)) return;
  std::vector<WCHAR> buf(static_cast<size_t>(info.MaxSubKeyLen) + 1);
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  for (Integer i = 0; i < info.NumSubKeys; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    if (RegEnumKeyExW(FCurrentKey, static_cast<DWORD>(i), buf.data(), &len, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS)
      Strings->Add(String(buf.data(), len));
  }
}

void TRegistry::GetValueNames(TStrings* Strings) {
  Strings->Clear();
  TRegKeyInfo info;
  if (!GetKeyInfo(info)) return;
  std::vector<WCHAR> buf(static_cast<size_t>(info.MaxValueLen) + 1);
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  for (Integer i = 0; i < info.NumValues; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    if (RegEnumValueW(FCurrentKey, static_cast<DWORD>(i), buf.data(), &len, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS)
      Strings->Add(String(buf.data(), len));
  }
}

Integer TRegistry::GetData(const String& Name, void* Buffer, Integer BufSize, TRegDataType& RegData) {
  DWORD type = REG_NONE;
  DWORD size = BufSize > 0 ? static_cast<DWORD>(BufSize) : 0;
  LSTATUS r = RegQueryValueExW(FCurrentKey, Name.c_str(), nullptr, &type, static_cast<LPBYTE>(Buffer), &size);
  CheckStore(r, FCurrentKey);
  if (r != ERROR_SUCCESS) throw ERegistryException(u"Failed to get data for '" + Name + u"'");
  RegData = DataTypeToRegData(type);
  return static_cast<Integer>(size);
}

void TRegistry::PutData(const String& Name, const void* Buffer, Integer BufSize, TRegDataType RegData) {
  LSTATUS r = RegSetValueExW(FCurrentKey, Name.c_str(), 0, RegDataToDataType(RegData),
                             static_cast<const BYTE*>(Buffer), BufSize > 0 ? static_cast<DWORD>(BufSize) : 0);
  CheckStore(r, FCurrentKey);
  if (r != ERROR_SUCCESS) throw ERegistryException(u"Failed to set data for '" + Name + u"'");
}

String TRegistry::ReadString(const String& Name) {
  Integer len = GetDataSize(Name);
  if (len <= 0) return String();
  std::vector<BYTE> bytes(static_cast<size_t>(len) + 2, 0);
  TRegDataType regData;
  len = GetData(Name, bytes.data(), len, regData);
  if (regData != rdString && regData != rdExpandString) ReadError(Name);
  String result;
  for (Integer i = 0; i < len; i += 2) {  // the buffer has room for a last odd byte's pair
    Char c = static_cast<Char>(bytes[i] | (bytes[i + 1] << 8));
    if (!c) break;
    result += c;
  }
  return result;
}

String TRegistry::ReadExpandString(const String& Name) { return ReadString(Name); }

Integer TRegistry::ReadInteger(const String& Name) {
  uint8_t bytes[4] = {};
  TRegDataType regData;
  GetData(Name, bytes, 4, regData);
  if (regData != rdInteger) ReadError(Name);
  return static_cast<Integer>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                              static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

Boolean TRegistry::ReadBool(const String& Name) { return ReadInteger(Name) != 0; }

Integer TRegistry::ReadBinaryData(const String& Name, void* Buffer, Integer BufSize) {
  TRegDataInfo info;
  if (!GetDataInfo(Name, info)) return 0;
  if ((info.RegData != rdBinary && info.RegData != rdUnknown) || info.DataSize > BufSize) ReadError(Name);
  TRegDataType regData;
  return GetData(Name, Buffer, info.DataSize, regData);
}

void TRegistry::ReadEightBytes(const String& Name, void* Out) {
  TRegDataType regData;
  uint8_t bytes[8] = {};
  Integer len = GetData(Name, bytes, 8, regData);
  if (regData != rdBinary || len != 8) ReadError(Name);
  std::memcpy(Out, bytes, 8);
}

Double TRegistry::ReadFloat(const String& Name) {
  Double v;
  ReadEightBytes(Name, &v);
  return v;
}

Currency TRegistry::ReadCurrency(const String& Name) {
  Int64 raw;
  ReadEightBytes(Name, &raw);
  return Currency::FromRaw(raw);
}

TDateTime TRegistry::ReadDateTime(const String& Name) { return ReadFloat(Name); }
TDateTime TRegistry::ReadDate(const String& Name) { return ReadFloat(Name); }
TDateTime TRegistry::ReadTime(const String& Name) { return ReadFloat(Name); }

void TRegistry::WriteString(const String& Name, const String& Value) {
  std::vector<BYTE> bytes((Value.size() + 1) * 2, 0);
  for (size_t i = 0; i < Value.size(); ++i) {
    bytes[2 * i] = static_cast<BYTE>(Value[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<BYTE>(Value[i] >> 8);
  }
  PutData(Name, bytes.data(), static_cast<Integer>(bytes.size()), rdString);
}

void TRegistry::WriteExpandString(const String& Name, const String& Value) {
  std::vector<BYTE> bytes((Value.size() + 1) * 2, 0);
  for (size_t i = 0; i < Value.size(); ++i) {
    bytes[2 * i] = static_cast<BYTE>(Value[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<BYTE>(Value[i] >> 8);
  }
  PutData(Name, bytes.data(), static_cast<Integer>(bytes.size()), rdExpandString);
}

void TRegistry::WriteInteger(const String& Name, Integer Value) {
  uint32_t v = static_cast<uint32_t>(Value);
  BYTE bytes[4] = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                   static_cast<BYTE>(v >> 24)};
  PutData(Name, bytes, 4, rdInteger);
}

void TRegistry::WriteBool(const String& Name, Boolean Value) { WriteInteger(Name, Value ? 1 : 0); }

void TRegistry::WriteBinaryData(const String& Name, const void* Buffer, Integer BufSize) {
  PutData(Name, Buffer, BufSize, rdBinary);
}

void TRegistry::WriteFloat(const String& Name, Double Value) { PutData(Name, &Value, 8, rdBinary); }

void TRegistry::WriteCurrency(const String& Name, Currency Value) {
  Int64 raw = Value.Raw();
  PutData(Name, &raw, 8, rdBinary);
}

void TRegistry::WriteDateTime(const String& Name, TDateTime Value) { WriteFloat(Name, Value); }
void TRegistry::WriteDate(const String& Name, TDateTime Value) { WriteFloat(Name, Value); }
void TRegistry::WriteTime(const String& Name, TDateTime Value) { WriteFloat(Name, Value); }
