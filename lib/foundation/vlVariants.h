// Variant utilities: the library's one comparison of dynamically typed
// values, value-kind tests, small operations on one-dimensional variant
// arrays, and the binary stream forms (fixed-width scalars, counted strings,
// tagged variants) from which the library's streams are built.
//
// All stream forms are little-endian with no padding. Readers check every
// count against the bytes left in the stream before allocating anything.
#pragma once

#include "platform/classes/ObjectModel.h"
#include "platform/rtl/ResStrings.h"
#include "platform/rtl/Types.h"

class TStream;
class Variant;
class Currency;
using TVarType = Word;

// The data controller's stream errors (registered with its product by
// lib/data/vlDataConsts).
extern const TResStringRec vlSDataReadError;   // "Stream read error"
extern const TResStringRec vlSDataWriteError;  // "Stream write error"

// --- Comparison and tests -----------------------------------------------------------

// Negative, zero or positive. Empty first, then Null, then the platform's
// variant order; arrays after scalars, then by upper bound, then element by
// element. Values that cannot be brought to a common type order the same
// way in both directions: numbers and other values before text, then by
// type code. NaN orders before every other float.
Integer vlCompareVariants(const Variant& A, const Variant& B);
Boolean vlVariantsEqual(const Variant& A, const Variant& B);
// When neither is Null and one is a Boolean: their ANSI texts compared
// exactly (False when a conversion fails); else vlVariantsEqual.
Boolean vlEditValuesEqual(const Variant& A, const Variant& B);
Boolean vlIsDateVarType(TVarType AVarType);  // date-time or SQL time stamp
Boolean vlVarIsDateTime(const Variant& V);
Boolean vlVarIsNumber(const Variant& V);         // numeric or FMTBcd
Boolean vlIsSoftNullVariant(const Variant& V);   // Null or ""
Boolean vlIsCurrencyVarType(TVarType AVarType);  // currency or FMTBcd

// --- Arrays (one dimension of varVariant) ------------------------------------

Variant vlMakeVariantPair(const Variant& A, const Variant& B);  // bounds 0..1
Variant vlMakeVariantSingle(const Variant& A);                  // bounds 0..0
// Arr becomes 0..n with the old elements at their indexes and V last.
void vlAppendVariant(Variant& Arr, const Variant& V);

// --- Fixed-width stream forms ------------------------------------------------------
// Short streams raise EReadError.

void vlStreamReadBoolean(TStream* AStream, Boolean& AValue);
Boolean vlStreamGetBoolean(TStream* AStream);
void vlStreamWriteBoolean(TStream* AStream, Boolean AValue);
void vlStreamReadByte(TStream* AStream, Byte& AValue);
Byte vlStreamGetByte(TStream* AStream);
void vlStreamWriteByte(TStream* AStream, Byte AValue);
void vlStreamReadShortInt(TStream* AStream, ShortInt& AValue);
void vlStreamWriteShortInt(TStream* AStream, ShortInt AValue);
void vlStreamReadChar(TStream* AStream, Char& AValue);
void vlStreamWriteChar(TStream* AStream, Char AValue);
void vlStreamReadSmallInt(TStream* AStream, SmallInt& AValue);
SmallInt vlStreamGetSmallInt(TStream* AStream);
void vlStreamWriteSmallInt(TStream* AStream, SmallInt AValue);
void vlStreamReadWord(TStream* AStream, Word& AValue);
Word vlStreamGetWord(TStream* AStream);
void vlStreamWriteWord(TStream* AStream, Word AValue);
void vlStreamReadInteger(TStream* AStream, Integer& AValue);
Integer vlStreamGetInteger(TStream* AStream);
void vlStreamWriteInteger(TStream* AStream, Integer AValue);
void vlStreamReadCardinal(TStream* AStream, Cardinal& AValue);
void vlStreamWriteCardinal(TStream* AStream, Cardinal AValue);
void vlStreamReadLargeInt(TStream* AStream, Int64& AValue);
Int64 vlStreamGetLargeInt(TStream* AStream);
void vlStreamWriteLargeInt(TStream* AStream, Int64 AValue);
void vlStreamReadSingle(TStream* AStream, Single& AValue);
void vlStreamWriteSingle(TStream* AStream, Single AValue);
// The 10-byte extended form, rounded to double when read.
void vlStreamReadFloat(TStream* AStream, Double& AValue);
void vlStreamWriteFloat(TStream* AStream, Double AValue);
void vlStreamReadCurrency(TStream* AStream, Currency& AValue);
Currency vlStreamGetCurrency(TStream* AStream);
void vlStreamWriteCurrency(TStream* AStream, Currency AValue);
void vlStreamReadDateTime(TStream* AStream, TDateTime& AValue);
TDateTime vlStreamGetDateTime(TStream* AStream);
void vlStreamWriteDateTime(TStream* AStream, TDateTime AValue);

// --- Counted strings ----------------------------------------------------------------
// A 32-bit signed count, then the bytes (ANSI) or UTF-16 units (wide). A
// negative count or one beyond the bytes left raises EReadError.

void vlStreamReadAnsiString(TStream* AStream, AnsiString& AValue);
AnsiString vlStreamGetAnsiString(TStream* AStream);
void vlStreamWriteAnsiString(TStream* AStream, const AnsiString& AValue);
// The text converted to the system ANSI code page first.
void vlStreamWriteAnsiString(TStream* AStream, const String& AValue);
void vlStreamReadWideString(TStream* AStream, String& AValue);
String vlStreamGetWideString(TStream* AStream);
void vlStreamWriteWideString(TStream* AStream, const String& AValue);

// --- Tagged variants ----------------------------------------------------------------
// An unknown tag, a bad array count or nesting deeper than 64 arrays raises
// EReadError; an array of more than one dimension or a value without an
// ANSI text raises EWriteError.

void vlStreamWriteVariant(TStream* AStream, const Variant& AValue);
void vlStreamReadVariant(TStream* AStream, Variant& AValue);
Variant vlStreamGetVariant(TStream* AStream);

// --- Filer, reader and writer -------------------------------------------------------

class TvlFiler : public TObject {
  CL_CLASS(TvlFiler, TObject)
 public:
  // Tests the payload signature at the stream's position (a found
  // signature is consumed). The stream is not owned.
  virtual void Create(TStream* AStream);
  // For a writer that has just written the signature itself: the string
  // forms are chosen by AIsUnicode, nothing is read from the stream.
  void Create(TStream* AStream, Boolean AIsUnicode);

  TStream* Stream() const { return FStream; }
  Boolean IsUnicode() const { return FIsUnicode; }

 private:
  TStream* FStream{};
  Boolean FIsUnicode{};
};

class TvlReader : public TvlFiler {
  CL_CLASS(TvlReader, TvlFiler)
 public:
  AnsiString ReadAnsiString();
  Boolean ReadBoolean();
  Byte ReadByte();
  Cardinal ReadCardinal();
  Char ReadChar();
  Currency ReadCurrency();
  TDateTime ReadDateTime();
  Double ReadFloat();
  Integer ReadInteger();
  Int64 ReadLargeInt();
  ShortInt ReadShortInt();
  Single ReadSingle();
  SmallInt ReadSmallInt();
  // The 16-bit counted string, UTF-16 or UTF-8 by the payload signature.
  String ReadString_();
  Variant ReadVariant();
  String ReadWideString();
  Word ReadWord();
};

class TvlWriter : public TvlFiler {
  CL_CLASS(TvlWriter, TvlFiler)
 public:
  void WriteAnsiString(const AnsiString& AValue);
  void WriteAnsiString(const String& AValue);
  void WriteBoolean(Boolean AValue);
  void WriteByte(Byte AValue);
  void WriteCardinal(Cardinal AValue);
  void WriteChar(Char AValue);
  void WriteCurrency(Currency AValue);
  void WriteDateTime(TDateTime AValue);
  void WriteFloat(Double AValue);
  void WriteInteger(Integer AValue);
  void WriteLargeInt(Int64 AValue);
  void WriteShortInt(ShortInt AValue);
  void WriteSingle(Single AValue);
  void WriteSmallInt(SmallInt AValue);
  void WriteVariant(const Variant& AValue);
  void WriteWideString(const String& AValue);
  void WriteWord(Word AValue);
};
