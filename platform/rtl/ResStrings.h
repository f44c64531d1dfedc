// Resource strings: records naming a string-table entry, and the one
// replaceable set of loaders through which every resource string is read.
//
// A record names entry Identifier of the string table of Module; an
// identifier of 65536 or more is instead the address of the text itself (a
// NUL-terminated UTF-16 string). The text is read at each use, so a
// translating loader installed later (the localization library) changes what
// every caller sees from then on.
#pragma once

#include <cstddef>
#include <initializer_list>

#include "platform/rtl/Types.h"

struct TVarRec;

struct TResStringRec {
  void* Module = nullptr;  // nil: the program's own module
  NativeUInt Identifier = 0;
};
using PResStringRec = const TResStringRec*;

// The longest text a string-table entry holds; a longer one is cut.
constexpr Integer MaxResStringLength = 1023;
// Identifiers from here on are text addresses.
constexpr NativeUInt ResStringAddressBase = 65536;

// A record whose "identifier" is the address of Text (for strings kept in
// the program's code rather than in its string tables).
inline TResStringRec ResStringOfText(const Char* Text) {
  return TResStringRec{nullptr, reinterpret_cast<NativeUInt>(Text)};
}

// Reads one string-table entry in the shape of LoadStringW: copies at most
// BufferMax - 1 characters and a NUL, answers the characters copied, 0 when
// there is no such entry. The class framework installs the reader of the
// program's embedded string tables; without one every table entry is empty.
using TStringTableReader = Integer (*)(void* Module, Cardinal ID, Char* Buffer, Integer BufferMax);
void SetStringTableReader(TStringTableReader Reader);
TStringTableReader GetStringTableReader();

// The text as the platform loads it, without any installed loader: the table
// entry (at most MaxResStringLength characters), or the text at the address.
// Nil gives "".
String LoadResStringDirect(PResStringRec ResStringRec);

// The replaceable loaders: by record, by identifier of the program's module,
// and by identifier with format arguments.
using TLoadResStringFunc = String (*)(PResStringRec ResStringRec);
using TLoadStrFunc = String (*)(Cardinal Ident);
using TFmtLoadStrFunc = String (*)(Cardinal Ident, const TVarRec* Args, size_t Count);

struct TResStringLoaders {
  TLoadResStringFunc LoadResString = nullptr;
  TLoadStrFunc LoadStr = nullptr;
  TFmtLoadStrFunc FmtLoadStr = nullptr;
};

// Installs Loaders and answers the ones installed before; a nil member
// installs the default of that form (LoadResStringDirect, and the identifier
// forms through the record form).
TResStringLoaders SetResStringLoaders(const TResStringLoaders& Loaders);
TResStringLoaders GetResStringLoaders();
// The defaults (what a translating loader falls back to).
String DefaultLoadResString(PResStringRec ResStringRec);
String DefaultLoadResStr(Cardinal Ident);
String DefaultFmtLoadStr(Cardinal Ident, const TVarRec* Args, size_t Count);

// Every load goes through the installed loaders.
String LoadResString(PResStringRec ResStringRec);
inline String LoadResString(const TResStringRec& ResStringRec) { return LoadResString(&ResStringRec); }
// The entry Ident of the program's string table.
String LoadResStr(Cardinal Ident);
// The entry Ident formatted with Args (Format); an empty entry gives "".
String FmtLoadStr(Cardinal Ident, std::initializer_list<TVarRec> Args);
String FmtLoadStr(Cardinal Ident, const TVarRec* Args, size_t Count);
