// TRegistry: keys and typed values of the registry (WinRegistry.h) through a
// current key below a root key.
//
// Paths starting with "\" are taken from the root key, others from the
// current key when one is open. Failing reads and writes raise
// ERegistryException ("Failed to get data for '%s'", "Failed to set data for
// '%s'", "Invalid data type for '%s'"); a damaged store raises it with the
// store's own explanation on the first call that reaches it.
#pragma once

#include "platform/classes/ObjectModel.h"
#include "platform/classes/WinRegistry.h"
#include "platform/rtl/Numbers.h"

class TStrings;

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegKeyInfo {
  Integer NumSubKeys = 0;
  Integer MaxSubKeyLen = 0;
  Integer NumValues = 0;
  Integer MaxValueLen = 0;
  Integer MaxDataLen = 0;
  win::FILETIME FileTime;
};

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  Integer DataSize = 0;
};

class TRegistry : public TObject {
  CL_CLASS(TRegistry, TObject)
 public:
  // HKEY_CURRENT_USER, full access.
  void Create();
  void Create(Cardinal AAccess);
  void Destroy() override;

  void CloseKey();
  // Creates Key (and the keys on its way); ERegistryException "Failed to create key %s".
  Boolean CreateKey(const String& Key);
  // Deletes Key with all its subkeys.
  Boolean DeleteKey(const String& Key);
  Boolean DeleteValue(const String& Name);
  Boolean GetDataInfo(const String& ValueName, TRegDataInfo& Value);
  // The size in bytes, -1 when the value is missing.
  Integer GetDataSize(const String& ValueName);
  // rdUnknown for a missing value and for types other than the four.
  TRegDataType GetDataType(const String& ValueName);
  Boolean GetKeyInfo(TRegKeyInfo& Value);
  void GetKeyNames(TStrings* Strings);
  void GetValueNames(TStrings* Strings);
  Boolean HasSubKeys();
  Boolean KeyExists(const String& Key);
  Boolean OpenKey(const String& Key, Boolean CanCreate);
  Boolean OpenKeyReadOnly(const String& Key);
  Boolean ValueExists(const String& Name);

  // A missing string value reads as empty; other missing values fail.
  String ReadString(const String& Name);
  String ReadExpandString(const String& Name);
  Integer ReadInteger(const String& Name);
  Boolean ReadBool(const String& Name);
  // The bytes read (at most BufSize; a larger value fails); 0 when missing.
  Integer ReadBinaryData(const String& Name, void* Buffer, Integer BufSize);
  // 8-byte binary values.
  Double ReadFloat(const String& Name);
  Currency ReadCurrency(const String& Name);
  TDateTime ReadDateTime(const String& Name);
  TDateTime ReadDate(const String& Name);
  TDateTime ReadTime(const String& Name);

  void WriteString(const String& Name, const String& Value);
  void WriteExpandString(const String& Name, const String& Value);
  void WriteInteger(const String& Name, Integer Value);
  void WriteBool(const String& Name, Boolean Value);
  void WriteBinaryData(const String& Name, const void* Buffer, Integer BufSize);
  void WriteFloat(const String& Name, Double Value);
  void WriteCurrency(const String& Name, Currency Value);
  void WriteDateTime(const String& Name, TDateTime Value);
  void WriteDate(const String& Name, TDateTime Value);
  void WriteTime(const String& Name, TDateTime Value);

  win::HKEY CurrentKey() const { return FCurrentKey; }
  const String& CurrentPath() const { return FCurrentPath; }
  win::HKEY RootKey() const { return FRootKey; }
  // Closes the current key when the root changes.
  void SetRootKey(win::HKEY Value);
  Cardinal Access() const { return FAccess; }
  void SetAccess(Cardinal Value) { FAccess = Value; }
  // Kept for the platform's interface: every change is written at once.
  Boolean LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(Boolean Value) { FLazyWrite = Value; }

 protected:
  void ChangeKey(win::HKEY Value, const String& Path);
  win::HKEY GetBaseKey(Boolean Relative);
  // Reads into Buffer; raises "Failed to get data for '%s'" when the value is
  // missing or larger than BufSize. Answers the size.
  Integer GetData(const String& Name, void* Buffer, Integer BufSize, TRegDataType& RegData);
  // Opens Key for reading (0 when it does not exist).
  win::HKEY GetKey(const String& Key);
  void PutData(const String& Name, const void* Buffer, Integer BufSize, TRegDataType RegData);

 private:
  [[noreturn]] void ReadError(const String& Name);
  // Raises the store's own error for a damaged or unreadable store.
  void CheckStore(win::LSTATUS Code, win::HKEY Key);
  void ReadEightBytes(const String& Name, void* Out);

  win::HKEY FCurrentKey{};
  win::HKEY FRootKey{};
  String FCurrentPath;
  Cardinal FAccess{};
  Boolean FLazyWrite{};
};
