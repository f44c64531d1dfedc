// Run-time binding: LoadLibrary, GetProcAddress, FreeLibrary and the module
// look-up by name. There are no dynamic libraries: one table in Modules.cpp
// names the libraries the program binds at run time and, for each, the entry
// points that platform/win implements. A library of the table loads (its
// handle is counted); an entry point that is not in the table answers nil,
// so callers take their documented fallback. Library names compare without
// regard to case, without a directory and with or without ".dll".
//
// kernel32, user32, gdi32 and comctl32 count as always loaded.
#pragma once

#include "platform/win/Windows.h"

namespace win {

using FARPROC = void (*)();

HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
inline HMODULE LoadLibrary(LPCWSTR lpLibFileName) { return LoadLibraryW(lpLibFileName); }
HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
BOOL FreeLibrary(HMODULE hLibModule);
// By name; an ordinal (a "name" below 0x10000) answers nil.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

// The handle of a library of the table while it is loaded, else nil (with
// ERROR_MOD_NOT_FOUND). GetModuleHandleW answers the program's own module for
// nil and asks this for a name.
HMODULE FindLoadedModule(LPCWSTR lpModuleName);

// Makes a library of the table fail to load (as on a system without it) or
// loadable again; tests use it to reach the callers' fallbacks. Libraries
// that are always loaded cannot be hidden.
void SetLibraryHidden(LPCWSTR lpLibFileName, bool Hidden);

constexpr DWORD ERROR_MOD_NOT_FOUND = 126, ERROR_PROC_NOT_FOUND = 127;

// The error mode (kept and answered; no error boxes are ever shown).
constexpr UINT SEM_FAILCRITICALERRORS = 0x0001, SEM_NOGPFAULTERRORBOX = 0x0002,
               SEM_NOALIGNMENTFAULTEXCEPT = 0x0004, SEM_NOOPENFILEERRORBOX = 0x8000;
UINT SetErrorMode(UINT uMode);
UINT GetErrorMode();

}  // namespace win
