// The registry functions of the Win32-shaped API over a file-backed store.
//
// Each root key is one text file, <dir>/<ROOT NAME>.txt, where <dir> is
// $CL_REGISTRY_DIR when set, else $XDG_CONFIG_HOME/cardloader/registry, else
// ~/.config/cardloader/registry. A file is read when first needed and again
// whenever it changed on disk; every change is written at once (a temporary
// file renamed over the old one). A damaged file makes every call on its root
// fail with ERROR_BADDB (RegistryStoreError tells why) and is never written
// over, so the keys it holds are not lost.
//
// Key and value names compare without regard to case (simple Unicode upper
// case, independent of the locale). Subkeys enumerate in name order, values in
// the order they were made.
//
// A provider answers the values of a key that is not stored
// (HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM, filled by the serial
// layer); such a key and the keys above it exist while the provider is
// registered, and they are read-only.
#pragma once

#include <string>
#include <vector>

#include "platform/classes/WinHandles.h"

namespace win {

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LSTATUS = LONG;

struct FILETIME {
  DWORD dwLowDateTime = 0;
  DWORD dwHighDateTime = 0;
};
using PFILETIME = FILETIME*;

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000000u)));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000001u)));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000002u)));
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000003u)));
inline HKEY const HKEY_PERFORMANCE_DATA = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000004u)));
inline HKEY const HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000005u)));
inline HKEY const HKEY_DYN_DATA = reinterpret_cast<HKEY>(static_cast<intptr_t>(LONG(0x80000006u)));

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Access rights. KEY_SET_VALUE, KEY_CREATE_SUB_KEY or KEY_WRITE are needed to
// change a key through a handle; other rights are accepted and not enforced.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM STANDARD_RIGHTS_READ = 0x00020000;
constexpr REGSAM STANDARD_RIGHTS_WRITE = 0x00020000;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_EXECUTE = 0x00020019;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_VOLATILE = 1;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                        REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                        LPDWORD lpdwDisposition);
LSTATUS RegCloseKey(HKEY hKey);
LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData);
LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                       DWORD cbData);
LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                      LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                      LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);
// Deletes a subkey that has no subkeys of its own.
LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);
LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
// The counts and longest names of a key (lengths in characters, without the
// terminating null; data in bytes). Any pointer may be nil.
LSTATUS RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                         LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                         LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                         PFILETIME lpftLastWriteTime);

// --- Extensions of this layer -----------------------------------------------------

// One value answered by a provider.
struct TRegistryProviderValue {
  String Name;
  DWORD Type = REG_SZ;
  std::vector<BYTE> Data;
};
using TRegistryProvider = std::vector<TRegistryProviderValue> (*)();

// Makes Root\Path (for example HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM")
// answer the values Provider gives each time the key is opened (a handle
// keeps what its opening gave). The provider runs under the registry's lock
// and must not call the registry functions. A nil provider removes it.
void SetRegistryProvider(HKEY Root, const String& Path, TRegistryProvider Provider);

// Simple Unicode upper case of every code unit, whatever the locale: how
// registry names (and INI section and key names) compare.
String FoldName(const String& S);

// The folder that holds the root files.
String RegistryDirectory();

// Where the root files' bytes are read and written: the folder, unless a
// store is set (the fuzz target keeps its files in memory). Read answers
// false for a missing file (Missing true) or one that cannot be read; Write
// false when it cannot write. Nil puts the folder back.
struct TRegistryFileStore {
  bool (*Read)(const std::string& FileName, std::string& Text, bool& Missing);
  bool (*Write)(const std::string& FileName, const std::string& Text);
};
void SetRegistryFileStore(const TRegistryFileStore* Store);
// Why the file of the root of hKey could not be used, after a call failed
// with ERROR_BADDB (empty otherwise).
String RegistryStoreError(HKEY hKey);
// The text of a registry error code, for messages.
String RegistryErrorText(LSTATUS Code);

}  // namespace win
