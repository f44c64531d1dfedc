// Value types: how a value of one column lives in a raw record buffer (its
// slot width, comparison, conversion to and from a variant, stream form and
// default text). Value types are used as classes, never instantiated: every
// operation is a const member called on the class side
// (TvlValueTypeClass->Compare...). Buffers point into record buffers and may
// be unaligned.
//
// Slots that hold a reference (strings, variants, objects, display texts)
// are pointer-sized.
#pragma once

#include "platform/classes/ObjectModel.h"
#include "platform/rtl/Types.h"

class Variant;
class TvlReader;
class TvlWriter;
using TVarType = Word;

class TvlValueType : public TObject {
  CL_CLASS(TvlValueType, TObject)
 public:
  // Compares two value slots (pointer-held types: the holders they point to).
  virtual Integer CompareData(const void* Buffer1, const void* Buffer2) const;
  // Frees what a value slot owns and clears the slot.
  virtual void ReleaseData(void* Buffer) const;
  // Frees the display-text holder of a text slot and clears the slot.
  virtual void ReleaseText(void* Buffer) const;
  // Bytes of the value slot.
  virtual Integer ValueSize() const;
  // The slot's value; the base gives Null.
  virtual Variant LoadValue(const void* Buffer) const;
  // LoadValue as text; a conversion error gives "".
  virtual String DefaultText(const void* Buffer) const;
  // The text of a text slot, "" when none.
  virtual String GetStoredText(const void* TextBuffer) const;
  // The base reads a tagged variant and stores it.
  virtual void ReadValueFrom(void* Buffer, TvlReader* AReader) const;
  // Reads a counted string (wide for a Unicode stream, else ANSI) and stores it.
  virtual void ReadTextFrom(void* TextBuffer, TvlReader* AReader) const;
  // The base does nothing.
  virtual void StoreValue(void* Buffer, const Variant& Value) const;
  // As StoreValue; may take what it keeps out of Value (texts).
  virtual void TakeValue(void* Buffer, Variant& Value) const { StoreValue(Buffer, Value); }
  // Creates the holder when the slot is empty and assigns the text.
  virtual void StoreText(void* TextBuffer, const String& Text) const;
  // The base writes LoadValue as a tagged variant.
  virtual void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const;
  virtual void WriteTextTo(const void* TextBuffer, TvlWriter* AWriter) const;
  // The class name without "Tvl" and "ValueType".
  virtual String Caption() const;
  // Compares two prepared value pointers (see PrepareValueBuffer).
  virtual Integer CompareValues(const void* P1, const void* P2) const;
  virtual Variant GetValue(const void* Buffer) const;
  // varVariant in the base.
  virtual TVarType GetVarType() const;
  // True for Null and for the variant type; else converts Value to
  // GetVarType in place (False, Value unchanged, when it cannot be).
  virtual Boolean IsValueValid(Variant& Value) const;
  virtual Boolean IsString() const;
  // A slot pointer turned into what CompareValues expects (the holder for
  // the pointer-held types).
  virtual void PrepareValueBuffer(const void*& P) const;
};

using TvlValueTypeClass = TClassOf<TvlValueType>;

// A UTF-16 string held on the heap; a nil slot reads as Null.
class TvlStringValueType : public TvlValueType {
  CL_CLASS(TvlStringValueType, TvlValueType)
 public:
  Integer CompareData(const void* Buffer1, const void* Buffer2) const override;
  void ReleaseData(void* Buffer) const override;
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void TakeValue(void* Buffer, Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
  Boolean IsString() const override;
  void PrepareValueBuffer(const void*& P) const override;
};

// As String, always streamed as a wide counted string.
class TvlWideStringValueType : public TvlStringValueType {
  CL_CLASS(TvlWideStringValueType, TvlStringValueType)
 public:
  Variant LoadValue(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  TVarType GetVarType() const override;
};

class TvlSmallintValueType : public TvlValueType {
  CL_CLASS(TvlSmallintValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

class TvlIntegerValueType : public TvlValueType {
  CL_CLASS(TvlIntegerValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

class TvlWordValueType : public TvlValueType {
  CL_CLASS(TvlWordValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

class TvlBooleanValueType : public TvlValueType {
  CL_CLASS(TvlBooleanValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  String DefaultText(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

class TvlFloatValueType : public TvlValueType {
  CL_CLASS(TvlFloatValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

class TvlCurrencyValueType : public TvlValueType {
  CL_CLASS(TvlCurrencyValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

class TvlDateTimeValueType : public TvlValueType {
  CL_CLASS(TvlDateTimeValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  String DefaultText(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

class TvlLargeIntValueType : public TvlValueType {
  CL_CLASS(TvlLargeIntValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

// The 34-byte packed decimal record; streamed as a tagged variant (its text).
class TvlFMTBcdValueType : public TvlValueType {
  CL_CLASS(TvlFMTBcdValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  String DefaultText(const void* Buffer) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

// The 16-byte time-stamp record; streamed as a tagged date-time.
class TvlSQLTimeStampValueType : public TvlValueType {
  CL_CLASS(TvlSQLTimeStampValueType, TvlValueType)
 public:
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

// A whole variant held on the heap; nil reads as Null.
class TvlVariantValueType : public TvlValueType {
  CL_CLASS(TvlVariantValueType, TvlValueType)
 public:
  Integer CompareData(const void* Buffer1, const void* Buffer2) const override;
  void ReleaseData(void* Buffer) const override;
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  void PrepareValueBuffer(const void*& P) const override;
};

// An object reference that the slot owns (pointer-sized; its value is the
// reference as a 64-bit integer). Nothing is streamed.
class TvlObjectValueType : public TvlIntegerValueType {
  CL_CLASS(TvlObjectValueType, TvlIntegerValueType)
 public:
  void ReleaseData(void* Buffer) const override;
  Integer ValueSize() const override;
  Variant LoadValue(const void* Buffer) const override;
  void ReadValueFrom(void* Buffer, TvlReader* AReader) const override;
  void StoreValue(void* Buffer, const Variant& Value) const override;
  void WriteValueTo(const void* Buffer, TvlWriter* AWriter) const override;
  Integer CompareValues(const void* P1, const void* P2) const override;
  TVarType GetVarType() const override;
};

// The registry of value types: classes without duplicates, in order.
class TvlValueTypeClassList : public TObject {
  CL_CLASS(TvlValueTypeClassList, TObject)
 public:
  void Create();
  void Destroy() override;

  // Ignored when already present.
  void RegisterItem(TvlValueTypeClass AValueTypeClass);
  void UnregisterItem(TvlValueTypeClass AValueTypeClass);
  // The first class whose Caption equals ACaption exactly; nil when none.
  TvlValueTypeClass ItemByCaption(const String& ACaption) const;

  Integer Count() const;
  TvlValueTypeClass Items(Integer Index) const;

 private:
  class TList* FItems{};
};

// The process-wide registry, made on first call (freed by the unit's
// shut-down step).
TvlValueTypeClassList* vlGetValueTypeRegistry();
Boolean vlIsDateValueTypeClass(TvlValueTypeClass AValueTypeClass);
