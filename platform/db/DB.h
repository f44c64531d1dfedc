// Data access: data sets, fields and field definitions, data sources and data
// links, parameters, bookmarks and BLOB streams.
//
// A data set keeps a window of record buffers (BufferCount of them, the most
// any data link asks for); ActiveRecord is the current record's row in that
// window. Descendants supply the cursor (GetRecord, InternalFirst, ...); the
// base runs the state machine, navigation, editing and notifications.
// Field values live in the record buffers as variants, one slot per field.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Delegates.h"
#include "platform/classes/Lists.h"
#include "platform/classes/Sets.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SqlTimSt.h"
#include "platform/rtl/Variants.h"

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TFieldDef;
class TFieldDefs;
class TStrings;
class TStringList;

// --- Errors ---------------------------------------------------------------------

RTL_EXCEPTION_CLASS(EDatabaseError, Exception);

// Raises EDatabaseError; with a named component the message is "Name: Message".
[[noreturn]] void DatabaseError(const String& Message, TComponent* Component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const String& Message, std::initializer_list<TVarRec> Args,
                                   TComponent* Component = nullptr);

// The platform's message texts.
namespace dbconsts {
extern const char16_t* const SNotEditing;       // "Dataset not in edit or insert mode"
extern const char16_t* const SDataSetClosed;    // "Cannot perform this operation on a closed dataset"
extern const char16_t* const SDataSetOpen;      // "Cannot perform this operation on an open dataset"
extern const char16_t* const SDataSetEmpty;     // "Cannot perform this operation on an empty dataset"
extern const char16_t* const SDataSetReadOnly;  // "Cannot modify a read-only dataset"
extern const char16_t* const SDataSetUnidirectional;
extern const char16_t* const SFieldNotFound;      // "Field '%s' not found"
extern const char16_t* const SFieldReadOnly;      // "Field '%s' cannot be modified"
extern const char16_t* const SFieldRequired;      // "Field '%s' must have a value"
extern const char16_t* const SFieldTypeMismatch;  // "Type mismatch for field '%s', expecting: %s actual: %s"
extern const char16_t* const
    SFieldRangeError;  // "%g is not a valid value for field '%s'. The allowed range is %g to %g"
extern const char16_t* const SInvalidIntegerValue;
extern const char16_t* const SInvalidFloatValue;
extern const char16_t* const SInvalidBoolValue;
extern const char16_t* const SInvalidDateTimeValue;
extern const char16_t* const SFieldValueError;  // "Invalid value for field '%s'"
extern const char16_t* const SRecordNotFound;   // "Record not found"
extern const char16_t* const SBookmarkNotFound;
extern const char16_t* const SDuplicateFieldName;  // "Duplicate field name '%s'"
extern const char16_t* const SCircularDataLink;    // "Circular datalinks are not allowed"
extern const char16_t* const SDataSourceChange;    // "DataSource cannot be changed"
extern const char16_t* const SPropDefByLookup;     // "Property already defined by lookup field"
extern const char16_t* const SLookupInfoError;     // "Lookup information for field '%s' is incomplete"
extern const char16_t* const SDataSetMissing;      // "Field '%s' has no dataset"
extern const char16_t* const SFieldIndexError;     // "Field index out of range"
extern const char16_t* const SParameterNotFound;   // "Parameter '%s' not found"
extern const char16_t* const SInvalidFieldSize;    // "Invalid field size"
extern const char16_t* const SFilterExpression;    // "Invalid filter expression: %s"
extern const char16_t* const SFieldAccessError;    // "Cannot access field '%s' as type %s"
extern const char16_t* const SDataSetEndingEdit;   // "Cannot close a dataset while it posts or cancels a record"
extern const char16_t* const SEditDropped;        // "The record being edited could not be saved and was dropped: %s"
}  // namespace dbconsts

// --- Enumerations -------------------------------------------------------------

CL_ENUM(TDataSetState, Byte, dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter,
        dsNewValue, dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening)

CL_ENUM(TDataEvent, Byte, deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
        deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl,
        deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange)

// The 52 field types in the platform's order (ordinals 0..51). The type
// information unit already has ftSingle and ftExtended (float types), so the
// enumeration lives in namespace Db; every other value is brought into the
// global scope, and those two are written Db::ftSingle and Db::ftExtended.
namespace Db {
CL_ENUM(TFieldType, Byte, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency,
        ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
        ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint,
        ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch,
        ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord,
        ftShortint, ftByte, ftExtended, ftConnection, ftParams, ftStream, ftTimeStampOffset, ftObject,
        ftSingle)
}  // namespace Db
using Db::ftBytes, Db::ftVarBytes, Db::ftAutoInc, Db::ftBlob, Db::ftMemo, Db::ftGraphic;
using Db::ftFloat, Db::ftCurrency, Db::ftBCD, Db::ftDate, Db::ftTime, Db::ftDateTime;
using Db::ftFmtMemo, Db::ftParadoxOle, Db::ftDBaseOle, Db::ftTypedBinary, Db::ftCursor, Db::ftFixedChar;
using Db::ftLongWord, Db::ftShortint, Db::ftByte, Db::ftConnection, Db::ftParams, Db::ftStream;
using Db::ftOraBlob, Db::ftOraClob, Db::ftVariant, Db::ftInterface, Db::ftIDispatch, Db::ftGuid;
using Db::ftTimeStamp, Db::ftFMTBcd, Db::ftFixedWideChar, Db::ftWideMemo, Db::ftOraTimeStamp,
    Db::ftOraInterval;
using Db::ftTimeStampOffset, Db::ftObject;
using Db::ftUnknown, Db::ftString, Db::ftSmallint, Db::ftInteger, Db::ftWord, Db::ftBoolean;
using Db::ftWideString, Db::ftLargeint, Db::ftADT, Db::ftArray, Db::ftReference, Db::ftDataSet;
using Db::TFieldType;

CL_ENUM(TFieldKind, Byte, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate)

CL_ENUM(TLocateOption, Byte, loCaseInsensitive, loPartialKey)
using TLocateOptions = TSet<TLocateOption, 1>;
CL_SET_TYPEINFO(TLocateOptions)

CL_ENUM(TFilterOption, Byte, foCaseInsensitive, foNoPartialCompare)
using TFilterOptions = TSet<TFilterOption, 1>;
CL_SET_TYPEINFO(TFilterOptions)

CL_ENUM(TGetMode, Byte, gmCurrent, gmNext, gmPrior)
CL_ENUM(TGetResult, Byte, grOK, grBOF, grEOF, grError)
CL_ENUM(TBookmarkFlag, Byte, bfCurrent, bfBOF, bfEOF, bfInserted)
CL_ENUM(TResyncModeItem, Byte, rmExact, rmCenter)
using TResyncMode = TSet<TResyncModeItem, 1>;

CL_ENUM(TBlobStreamMode, Byte, bmRead, bmWrite, bmReadWrite)
CL_ENUM(TParamType, Byte, ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult)
CL_ENUM(TDataAction, Byte, daFail, daAbort, daRetry)

// The states in which field values may be written.
bool IsEditMode(TDataSetState State);  // dsEdit, dsInsert, dsSetKey
// The field name that starts at the 1-based APos of a ";"-separated list,
// trimmed; APos moves past it and its ";". Callers loop while APos <= length.
String ExtractFieldName(const String& AFields, Integer& APos);

// A bookmark: the data set's own bytes; empty is no bookmark.
using TBookmark = TBytes;
using TBookmarkStr = TBytes;

// --- Events -------------------------------------------------------------------

using TDataSetNotifyEvent = TDelegate<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = TDelegate<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;
using TFilterRecordEvent = TDelegate<void(TDataSet* DataSet, Boolean& Accept)>;
using TFieldNotifyEvent = TDelegate<void(TField* Sender)>;
using TFieldGetTextEvent = TDelegate<void(TField* Sender, String& Text, Boolean DisplayText)>;
using TFieldSetTextEvent = TDelegate<void(TField* Sender, const String& Text)>;
using TDataChangeEvent = TDelegate<void(TObject* Sender, TField* Field)>;
CL_EVENT_TYPEINFO(TDataSetNotifyEvent)
CL_EVENT_TYPEINFO(TDataSetErrorEvent)
CL_EVENT_TYPEINFO(TFilterRecordEvent)
CL_EVENT_TYPEINFO(TFieldNotifyEvent)
CL_EVENT_TYPEINFO(TFieldGetTextEvent)
CL_EVENT_TYPEINFO(TFieldSetTextEvent)
CL_EVENT_TYPEINFO(TDataChangeEvent)

// --- Record buffers -------------------------------------------------------------

class TRowStore;

// One record of the window: a value per field slot (data fields first, then
// calculated and lookup fields), the bookmark and its flag. A buffer filled
// from a row store reads that row's values on first use: its data slots hold
// Empty until then, so every read goes through Slot(); a buffer that is
// copied or kept past changes of the store reads everything first (LoadAll).
struct TRecordBuffer {
  std::vector<Variant> Values;
  TBookmark Bookmark;
  TBookmarkFlag Flag = bfCurrent;
  // The row still to be read: by position while the store's generation is
  // unchanged, else by id.
  const TRowStore* Source = nullptr;
  size_t SourceRow = 0;
  UInt64 SourceId = 0;
  UInt64 SourceGeneration = 0;

  Variant& Slot(size_t Index) {
    Variant& v = Values[Index];
    if (Source && v.VType() == varEmpty) LoadSlot(Index);
    return v;
  }
  void LoadAll();
  // The slot's value moved out: read straight from the row when the slot was
  // not read yet (the slot still reads its row on next use).
  Variant TakeSlot(size_t Index);
  // Every slot Null and no row to read.
  void Clear(size_t Slots);

 private:
  void LoadSlot(size_t Index);
};

// --- Field definitions ------------------------------------------------------------

class TFieldDef : public TCollectionItem {
  CL_CLASS(TFieldDef, TCollectionItem)
 public:
  void Create(TCollection* Collection) override;

  const String& Name() const { return FName; }
  void SetName(const String& Value);
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  Boolean Required() const { return FRequired; }
  void SetRequired(Boolean Value) { FRequired = Value; }
  Boolean ReadOnly() const { return FReadOnly; }
  void SetReadOnly(Boolean Value) { FReadOnly = Value; }
  Boolean AutoIncrement() const { return FDataType == ftAutoInc; }
  // 1-based number of the definition.
  Integer FieldNo() const { return Index() + 1; }
  // The field class of the data type; nil for types without one.
  TClass FieldClass() const;
  // A field of that class for DataSet, named and sized after the definition.
  TField* CreateField(TComponent* Owner, TDataSet* ADataSet);
  String GetDisplayName() override { return FName; }
  void Assign(TPersistent* Source) override;

 private:
  String FName;
  TFieldType FDataType{};
  Integer FSize{};
  Integer FPrecision{};
  Boolean FRequired{};
  Boolean FReadOnly{};
};

class TFieldDefs : public TOwnedCollection {
  CL_CLASS(TFieldDefs, TOwnedCollection)
 public:
  void Create(TPersistent* AOwner);
  TFieldDef* Items(Integer Index) const;
  TFieldDef* AddFieldDef();
  void Add(const String& Name, TFieldType DataType, Integer Size = 0, Boolean Required = false);
  // -1 when missing; names compare without regard to case.
  Integer IndexOf(const String& Name) const;
  TFieldDef* Find(const String& Name) const;  // EDatabaseError when missing
  Boolean Updated() const { return FUpdated; }
  void SetUpdated(Boolean Value) { FUpdated = Value; }
  using TCollection::Update;
  void Update();  // asks the data set to fill the definitions

 private:
  Boolean FUpdated{};
};

// --- Fields -------------------------------------------------------------------

class TField : public TComponent {
  CL_CLASS(TField, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // Identity.
  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* ADataSet);
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TFieldType DataType() const { return FDataType; }
  Integer FieldNo() const { return FFieldNo; }
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind Value);
  Integer Index() const;
  void SetIndex(Integer Value);
  const String& Origin() const { return FOrigin; }
  void SetOrigin(const String& Value) { FOrigin = Value; }
  Boolean Calculated() const { return FFieldKind == fkCalculated; }
  Boolean Lookup() const { return FFieldKind == fkLookup; }
  virtual Boolean IsBlob() const { return false; }
  // Whether the value lives in a record (data and internal-calc fields).
  Boolean IsDataField() const { return FFieldKind == fkData || FFieldKind == fkInternalCalc; }

  // Value access. Reading a field of a closed or empty data set gives Null.
  Variant Value() const { return GetAsVariant(); }
  // The value as the active record holds it, without a copy, for readers of
  // many records (Null for a closed or empty data set; not for aggregates,
  // whose value the owner data set keeps).
  const Variant& ValueRef() const { return GetData(); }
  // The value moved out of the active record when that record reads it from
  // its row (it is read from the row again on next use), a copy otherwise.
  // For readers that keep the values of many records.
  Variant TakeValue();
  void SetValue(const Variant& V) { SetAsVariant(V); }
  Variant AsVariant() const { return GetAsVariant(); }
  void SetAsVariant(const Variant& V) { SetVarValue(V); }
  String AsString() const { return GetAsString(); }
  void SetAsString(const String& V) { SetAsStringValue(V); }
  Integer AsInteger() const { return GetAsInteger(); }
  void SetAsInteger(Integer V) { SetAsIntegerValue(V); }
  Int64 AsLargeInt() const { return GetAsLargeInt(); }
  void SetAsLargeInt(Int64 V) { SetAsLargeIntValue(V); }
  Double AsFloat() const { return GetAsFloat(); }
  void SetAsFloat(Double V) { SetAsFloatValue(V); }
  Currency AsCurrency() const { return GetAsCurrency(); }
  void SetAsCurrency(Currency V) { SetAsCurrencyValue(V); }
  Boolean AsBoolean() const { return GetAsBoolean(); }
  void SetAsBoolean(Boolean V) { SetAsBooleanValue(V); }
  TDateTime AsDateTime() const { return GetAsDateTime(); }
  void SetAsDateTime(TDateTime V) { SetAsDateTimeValue(V); }
  TBcd AsBCD() const;
  void SetAsBCD(const TBcd& V);
  TSQLTimeStamp AsSQLTimeStamp() const;
  void SetAsSQLTimeStamp(const TSQLTimeStamp& V);
  AnsiString AsAnsiString() const;
  void SetAsAnsiString(const AnsiString& V);
  TBytes AsBytes() const;
  void SetAsBytes(const TBytes& V);
  Boolean IsNull() const;
  void Clear() { SetVarValue(Null()); }
  // The value before the current edit (the record as it was read).
  Variant OldValue() const;

  // Text.
  String Text() const { return GetTextValue(false); }
  void SetText(const String& Value);
  String DisplayText() const { return GetTextValue(true); }
  String DisplayName() const { return DisplayLabel(); }
  String DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const String& Value);
  Integer DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
  void SetDisplayWidth(Integer Value);
  bool IsDisplayLabelStored() const { return !FDisplayLabel.empty(); }
  bool IsDisplayWidthStored() const { return FDisplayWidth > 0; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value);
  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& Value);
  Boolean IsValidChar(Char C) const;

  // Editing rules.
  Boolean ReadOnly() const { return FReadOnly; }
  void SetReadOnly(Boolean Value);
  Boolean Required() const { return FRequired; }
  void SetRequired(Boolean Value) { FRequired = Value; }
  Boolean CanModify() const;
  Integer Size() const { return FSize; }
  void SetSize(Integer Value);
  virtual Integer DataSize() const { return 0; }
  void FocusControl();
  void Validate();

  // Lookup fields.
  const String& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& Value);
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* Value);
  const String& LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const String& Value);
  const String& LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const String& Value);
  Boolean LookupCache() const { return FLookupCache; }
  void SetLookupCache(Boolean Value) { FLookupCache = Value; }

  // Events.
  const TFieldNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TFieldNotifyEvent& V) { FOnChange = V; }
  const TFieldNotifyEvent& OnValidate() const { return FOnValidate; }
  void SetOnValidate(const TFieldNotifyEvent& V) { FOnValidate = V; }
  const TFieldGetTextEvent& OnGetText() const { return FOnGetText; }
  void SetOnGetText(const TFieldGetTextEvent& V) { FOnGetText = V; }
  const TFieldSetTextEvent& OnSetText() const { return FOnSetText; }
  void SetOnSetText(const TFieldSetTextEvent& V) { FOnSetText = V; }

  Boolean HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* AParent) override;
  void Assign(TPersistent* Source) override;

  // Internal: the field's slot in the record buffers, set when the data set binds its fields.
  Integer Offset() const { return FOffset; }
  void Bind(Integer AOffset) { FOffset = AOffset; }
  void SetFieldNoInternal(Integer Value) { FFieldNo = Value; }
  // Converts V to the value this field stores (its variant type), raising the
  // platform's conversion errors; Null stays Null.
  virtual Variant ConvertValue(const Variant& V) const;

 protected:
  virtual Variant GetAsVariant() const;
  virtual void SetVarValue(const Variant& V);
  virtual String GetAsString() const;
  virtual void SetAsStringValue(const String& V);
  virtual Integer GetAsInteger() const;
  virtual void SetAsIntegerValue(Integer V);
  virtual Int64 GetAsLargeInt() const;
  virtual void SetAsLargeIntValue(Int64 V);
  virtual Double GetAsFloat() const;
  virtual void SetAsFloatValue(Double V);
  virtual Currency GetAsCurrency() const;
  virtual void SetAsCurrencyValue(Currency V);
  virtual Boolean GetAsBoolean() const;
  virtual void SetAsBooleanValue(Boolean V);
  virtual TDateTime GetAsDateTime() const;
  virtual void SetAsDateTimeValue(TDateTime V);
  virtual void GetText(String& Text, Boolean DisplayText) const;
  virtual void SetTextValue(const String& Text);
  virtual Integer GetDefaultWidth() const { return 10; }
  virtual String DataTypeName() const;
  void SetDataType(TFieldType Value) { FDataType = Value; }
  void Change();
  String GetTextValue(Boolean Display) const;
  // The stored value (Null when absent) and its write with checks and notification.
  const Variant& GetData() const;
  void SetData(const Variant& V);
  [[noreturn]] void AccessError(const String& TypeName) const;
  [[noreturn]] void RangeError(double Value, double Min, double Max) const;
  void PropertyChanged(Boolean LayoutAffected);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TDataSet* FDataSet{};
  String FFieldName;
  TFieldType FDataType{};
  Integer FFieldNo{};
  TFieldKind FFieldKind{};
  Integer FOffset{-1};
  String FOrigin;
  String FDisplayLabel;
  Integer FDisplayWidth{};
  TAlignment FAlignment{};
  Boolean FVisible{};
  String FEditMask;
  Boolean FReadOnly{};
  Boolean FRequired{};
  Integer FSize{};
  String FKeyFields;
  TDataSet* FLookupDataSet{};
  String FLookupKeyFields;
  String FLookupResultField;
  Boolean FLookupCache{};
  TFieldNotifyEvent FOnChange;
  TFieldNotifyEvent FOnValidate;
  TFieldGetTextEvent FOnGetText;
  TFieldSetTextEvent FOnSetText;

  friend class TDataSet;
  friend class TFieldDef;
  friend class TFields;
};
using TFieldClass = TClassOf<TField>;

class TStringField : public TField {
  CL_CLASS(TStringField, TField)
 public:
  void Create(TComponent* AOwner) override;
  Boolean FixedChar() const { return FFixedChar; }
  void SetFixedChar(Boolean Value) { FFixedChar = Value; }
  Boolean Transliterate() const { return FTransliterate; }
  void SetTransliterate(Boolean Value) { FTransliterate = Value; }
  Integer DataSize() const override { return Size() + 1; }
  Variant ConvertValue(const Variant& V) const override;

 protected:
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  Double GetAsFloat() const override;
  Boolean GetAsBoolean() const override;
  TDateTime GetAsDateTime() const override;
  Integer GetDefaultWidth() const override { return Size(); }
  void GetText(String& Text, Boolean DisplayText) const override;

 private:
  Boolean FFixedChar{};
  Boolean FTransliterate{};
};

class TWideStringField : public TStringField {
  CL_CLASS(TWideStringField, TStringField)
 public:
  void Create(TComponent* AOwner) override;
  Integer DataSize() const override { return (Size() + 1) * 2; }
};

class TGuidField : public TStringField {
  CL_CLASS(TGuidField, TStringField)
 public:
  void Create(TComponent* AOwner) override;
};

class TNumericField : public TField {
  CL_CLASS(TNumericField, TField)
 public:
  void Create(TComponent* AOwner) override;
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value);
  const String& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const String& Value);

 protected:
  Integer GetAsInteger() const override;
  void SetAsIntegerValue(Integer V) override { SetVarValue(Variant(V)); }
  Int64 GetAsLargeInt() const override;
  void SetAsLargeIntValue(Int64 V) override { SetVarValue(Variant(V)); }
  Double GetAsFloat() const override;
  void SetAsFloatValue(Double V) override { SetVarValue(Variant(V)); }
  Currency GetAsCurrency() const override;
  void SetAsCurrencyValue(Currency V) override { SetVarValue(Variant(V)); }
  void SetAsStringValue(const String& V) override;

 private:
  String FDisplayFormat;
  String FEditFormat;
};

class TIntegerField : public TNumericField {
  CL_CLASS(TIntegerField, TNumericField)
 public:
  void Create(TComponent* AOwner) override;
  Int64 MinValue() const { return FMinValue; }
  void SetMinValue(Int64 Value) { FMinValue = Value; }
  Int64 MaxValue() const { return FMaxValue; }
  void SetMaxValue(Int64 Value) { FMaxValue = Value; }
  Integer DataSize() const override { return 4; }
  Variant ConvertValue(const Variant& V) const override;

 protected:
  void GetText(String& Text, Boolean DisplayText) const override;
  Integer GetDefaultWidth() const override { return 11; }
  // The type's own range and variant code.
  virtual Int64 TypeMin() const { return -2147483647LL - 1; }
  virtual Int64 TypeMax() const { return 2147483647LL; }
  virtual Variant MakeValue(Int64 V) const { return Variant(static_cast<Integer>(V)); }

 private:
  Int64 FMinValue{};
  Int64 FMaxValue{};
};

class TSmallintField : public TIntegerField {
  CL_CLASS(TSmallintField, TIntegerField)
 public:
  void Create(TComponent* AOwner) override;
  Integer DataSize() const override { return 2; }

 protected:
  Integer GetDefaultWidth() const override { return 6; }
  Int64 TypeMin() const override { return -32768; }
  Int64 TypeMax() const override { return 32767; }
  Variant MakeValue(Int64 V) const override { return Variant(static_cast<SmallInt>(V)); }
};

class TShortintField : public TIntegerField {
  CL_CLASS(TShortintField, TIntegerField)
 public:
  void Create(TComponent* AOwner) override;
  Integer DataSize() const override { return 1; }

 protected:
  Integer GetDefaultWidth() const override { return 4; }
  Int64 TypeMin() const override { return -128; }
  Int64 TypeMax() const override { return 127; }
  Variant MakeValue(Int64 V) const override { return Variant(static_cast<ShortInt>(V)); }
};

class TByteField : public TIntegerField {
  CL_CLASS(TByteField, TIntegerField)
 public:
  void Create(TComponent* AOwner) override;
  Integer DataSize() const override { return 1; }

 protected:
  Integer GetDefaultWidth() const override { return 3; }
  Int64 TypeMin() const override { return 0; }
  Int64 TypeMax() const override { return 255; }
  Variant MakeValue(Int64 V) const override { return Variant(static_cast<Byte>(V)); }
};

class TWordField : public TIntegerField {
  CL_CLASS(TWordField, TIntegerField)
 public:
  void Create(TComponent* AOwner) override;
  Integer DataSize() const override { return 2; }

 protected:
  Integer GetDefaultWidth() const override { return 6; }
  Int64 TypeMin() const override { return 0; }
  Int64 TypeMax() const override { return 65535; }
  Variant MakeValue(Int64 V) const override { return Variant(static_cast<Word>(V)); }
};

class TLongWordField : public TIntegerField {
  CL_CLASS(TLongWordField, TIntegerField)
 public:
  void Create(TComponent* AOwner) override;

 protected:
  Int64 TypeMin() const override { return 0; }
  Int64 TypeMax() const override { return 4294967295LL; }
  Variant MakeValue(Int64 V) const override { return Variant(static_cast<Cardinal>(V)); }
};

class TAutoIncField : public TIntegerField {
  CL_CLASS(TAutoIncField, TIntegerField)
 public:
  void Create(TComponent* AOwner) override;
};

class TLargeintField : public TIntegerField {
  CL_CLASS(TLargeintField, TIntegerField)
 public:
  void Create(TComponent* AOwner) override;
  Integer DataSize() const override { return 8; }

 protected:
  Integer GetDefaultWidth() const override { return 15; }
  Int64 TypeMin() const override { return INT64_MIN; }
  Int64 TypeMax() const override { return INT64_MAX; }
  Variant MakeValue(Int64 V) const override { return Variant(V); }
};

class TFloatField : public TNumericField {
  CL_CLASS(TFloatField, TNumericField)
 public:
  void Create(TComponent* AOwner) override;
  Boolean currency() const { return FCurrency; }
  void SetCurrency(Boolean Value);
  Double MinValue() const { return FMinValue; }
  void SetMinValue(Double Value) { FMinValue = Value; }
  Double MaxValue() const { return FMaxValue; }
  void SetMaxValue(Double Value) { FMaxValue = Value; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value);
  Integer DataSize() const override { return 8; }
  Variant ConvertValue(const Variant& V) const override;

 protected:
  void GetText(String& Text, Boolean DisplayText) const override;

 private:
  Boolean FCurrency{};
  Double FMinValue{};
  Double FMaxValue{};
  Integer FPrecision{};
};

class TSingleField : public TFloatField {
  CL_CLASS(TSingleField, TFloatField)
 public:
  void Create(TComponent* AOwner) override;
};

class TExtendedField : public TFloatField {
  CL_CLASS(TExtendedField, TFloatField)
 public:
  void Create(TComponent* AOwner) override;
};

class TCurrencyField : public TFloatField {
  CL_CLASS(TCurrencyField, TFloatField)
 public:
  void Create(TComponent* AOwner) override;
};

class TBCDField : public TNumericField {
  CL_CLASS(TBCDField, TNumericField)
 public:
  void Create(TComponent* AOwner) override;
  Boolean currency() const { return FCurrency; }
  void SetCurrency(Boolean Value);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  Currency MinValue() const { return FMinValue; }
  void SetMinValue(Currency Value) { FMinValue = Value; }
  Currency MaxValue() const { return FMaxValue; }
  void SetMaxValue(Currency Value) { FMaxValue = Value; }
  Variant ConvertValue(const Variant& V) const override;

 protected:
  void GetText(String& Text, Boolean DisplayText) const override;

 private:
  Boolean FCurrency{};
  Integer FPrecision{};
  Currency FMinValue{};
  Currency FMaxValue{};
};

class TFMTBCDField : public TNumericField {
  CL_CLASS(TFMTBCDField, TNumericField)
 public:
  void Create(TComponent* AOwner) override;
  Boolean currency() const { return FCurrency; }
  void SetCurrency(Boolean Value);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer Value) { FPrecision = Value; }
  Variant ConvertValue(const Variant& V) const override;

 protected:
  Double GetAsFloat() const override;
  String GetAsString() const override;
  void GetText(String& Text, Boolean DisplayText) const override;

 private:
  Boolean FCurrency{};
  Integer FPrecision{};
};

class TBooleanField : public TField {
  CL_CLASS(TBooleanField, TField)
 public:
  void Create(TComponent* AOwner) override;
  const String& DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const String& Value);
  Integer DataSize() const override { return 2; }
  Variant ConvertValue(const Variant& V) const override;

 protected:
  Boolean GetAsBoolean() const override;
  void SetAsBooleanValue(Boolean V) override { SetVarValue(Variant(V)); }
  String GetAsString() const override;
  void SetAsStringValue(const String& V) override;
  Integer GetAsInteger() const override;
  void GetText(String& Text, Boolean DisplayText) const override;
  Integer GetDefaultWidth() const override;

 private:
  String FDisplayValues;
  String FTrueText;
  String FFalseText;
};

class TDateTimeField : public TField {
  CL_CLASS(TDateTimeField, TField)
 public:
  void Create(TComponent* AOwner) override;
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value);
  Integer DataSize() const override { return 8; }
  Variant ConvertValue(const Variant& V) const override;

 protected:
  TDateTime GetAsDateTime() const override;
  void SetAsDateTimeValue(TDateTime V) override { SetVarValue(VarFromDateTime(V)); }
  Double GetAsFloat() const override { return GetAsDateTime(); }
  void SetAsFloatValue(Double V) override { SetVarValue(VarFromDateTime(V)); }
  void SetAsStringValue(const String& V) override;
  void GetText(String& Text, Boolean DisplayText) const override;
  Integer GetDefaultWidth() const override { return 18; }
  // The part of a date-time the type keeps.
  virtual TDateTime Normalize(TDateTime V) const { return V; }
  virtual String DefaultFormat() const;

 private:
  String FDisplayFormat;
};

class TDateField : public TDateTimeField {
  CL_CLASS(TDateField, TDateTimeField)
 public:
  void Create(TComponent* AOwner) override;
  Integer DataSize() const override { return 4; }

 protected:
  Integer GetDefaultWidth() const override { return 10; }
  TDateTime Normalize(TDateTime V) const override;
  String DefaultFormat() const override;
};

class TTimeField : public TDateTimeField {
  CL_CLASS(TTimeField, TDateTimeField)
 public:
  void Create(TComponent* AOwner) override;
  Integer DataSize() const override { return 4; }

 protected:
  Integer GetDefaultWidth() const override { return 10; }
  TDateTime Normalize(TDateTime V) const override;
  String DefaultFormat() const override;
};

class TSQLTimeStampField : public TField {
  CL_CLASS(TSQLTimeStampField, TField)
 public:
  void Create(TComponent* AOwner) override;
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value);
  Integer DataSize() const override { return 16; }
  Variant ConvertValue(const Variant& V) const override;

 protected:
  TDateTime GetAsDateTime() const override;
  void SetAsDateTimeValue(TDateTime V) override;
  void GetText(String& Text, Boolean DisplayText) const override;
  void SetAsStringValue(const String& V) override;
  Integer GetDefaultWidth() const override { return 18; }

 private:
  String FDisplayFormat;
};

// BLOB-like fields hold their data as an 8-bit string (varString); the wide
// memo holds text (varUString).
class TBlobField : public TField {
  CL_CLASS(TBlobField, TField)
 public:
  void Create(TComponent* AOwner) override;
  Boolean IsBlob() const override { return true; }
  Integer BlobSize() const;
  Boolean Modified() const { return FModified; }
  void SetModified(Boolean Value) { FModified = Value; }
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream);
  Variant ConvertValue(const Variant& V) const override;

 protected:
  String GetAsString() const override;
  void SetAsStringValue(const String& V) override;
  void GetText(String& Text, Boolean DisplayText) const override;

 private:
  Boolean FModified{};
};

class TMemoField : public TBlobField {
  CL_CLASS(TMemoField, TBlobField)
 public:
  void Create(TComponent* AOwner) override;

 protected:
  void GetText(String& Text, Boolean DisplayText) const override;
};

class TWideMemoField : public TBlobField {
  CL_CLASS(TWideMemoField, TBlobField)
 public:
  void Create(TComponent* AOwner) override;
  Variant ConvertValue(const Variant& V) const override;

 protected:
  String GetAsString() const override;
  void SetAsStringValue(const String& V) override;
  void GetText(String& Text, Boolean DisplayText) const override;
};

class TGraphicField : public TBlobField {
  CL_CLASS(TGraphicField, TBlobField)
 public:
  void Create(TComponent* AOwner) override;
};

class TBytesField : public TField {
  CL_CLASS(TBytesField, TField)
 public:
  void Create(TComponent* AOwner) override;
  Variant ConvertValue(const Variant& V) const override;

 protected:
  String GetAsString() const override;
  void GetText(String& Text, Boolean DisplayText) const override;
};

class TVarBytesField : public TBytesField {
  CL_CLASS(TVarBytesField, TBytesField)
 public:
  void Create(TComponent* AOwner) override;
};

class TVariantField : public TField {
  CL_CLASS(TVariantField, TField)
 public:
  void Create(TComponent* AOwner) override;
};

class TAggregateField : public TField {
  CL_CLASS(TAggregateField, TField)
 public:
  void Create(TComponent* AOwner) override;
  const String& Expression() const { return FExpression; }
  void SetExpression(const String& Value) { FExpression = Value; }
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value) { FDisplayFormat = Value; }
  Boolean currency() const { return FCurrency; }
  void SetCurrency(Boolean Value) { FCurrency = Value; }
  Boolean Active() const { return FActive; }
  void SetActive(Boolean Value) { FActive = Value; }
  // An aggregate's value is set by its owner data set, not stored in records.
  void SetAggregateValue(const Variant& V) { FValue = V; }

 protected:
  Variant GetAsVariant() const override { return FValue; }

 private:
  String FExpression;
  String FDisplayFormat;
  Boolean FCurrency{};
  Boolean FActive{};
  Variant FValue;
};

// The field class of each type (nil where the type has none).
TFieldClass DefaultFieldClass(TFieldType DataType);
// Every field class, registered for form streaming.
void RegisterFieldClasses();

// The ordered fields of a data set.
class TFields : public TObject {
  CL_CLASS(TFields, TObject)
 public:
  void Create(TDataSet* ADataSet);
  void Destroy() override;

  Integer Count() const { return static_cast<Integer>(FList.size()); }
  TField* Fields(Integer Index) const;
  TField* operator[](Integer Index) const { return Fields(Index); }
  void Add(TField* Field);
  void Remove(TField* Field);
  void Clear();  // frees the fields
  TField* FindField(const String& FieldName) const;
  TField* FieldByName(const String& FieldName) const;
  TField* FieldByNumber(Integer FieldNo) const;
  Integer IndexOf(TField* Field) const;
  void SetFieldIndex(TField* Field, Integer Value);
  void GetFieldNames(TStrings* List) const;
  TDataSet* DataSet() const { return FDataSet; }

 private:
  TDataSet* FDataSet{};
  std::vector<TField*> FList;
};

// --- BLOB streams -------------------------------------------------------------

// A stream over a BLOB field's data. In a writing mode the data goes back to
// the field when the stream is freed (bmWrite starts empty).
class TBlobStream : public TMemoryStream {
  CL_CLASS(TBlobStream, TMemoryStream)
 public:
  void Create(TBlobField* Field, TBlobStreamMode Mode);
  void Destroy() override;
  Integer Write(const void* Buffer, Integer Count) override;
  void SetSize(Int64 NewSize) override;
  void Truncate();

 private:
  TBlobField* FField{};
  TBlobStreamMode FMode{};
  Boolean FModified{};
};

// --- Parameters -----------------------------------------------------------------

class TParam : public TCollectionItem {
  CL_CLASS(TParam, TCollectionItem)
 public:
  void Create(TCollection* Collection) override;
  const String& Name() const { return FName; }
  void SetName(const String& Value) { FName = Value; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType Value) { FDataType = Value; }
  TParamType ParamType() const { return FParamType; }
  void SetParamType(TParamType Value) { FParamType = Value; }
  Integer Size() const { return FSize; }
  void SetSize(Integer Value) { FSize = Value; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& V);
  Boolean IsNull() const { return VarIsNull(FValue) || VarIsEmpty(FValue); }
  void Clear() { FValue = Null(); }
  String AsString() const { return VarToStr(FValue); }
  void SetAsString(const String& V);
  Integer AsInteger() const { return IsNull() ? 0 : FValue.AsInteger(); }
  void SetAsInteger(Integer V);
  Double AsFloat() const { return IsNull() ? 0 : FValue.AsDouble(); }
  void SetAsFloat(Double V);
  Boolean AsBoolean() const { return IsNull() ? false : FValue.AsBoolean(); }
  void SetAsBoolean(Boolean V);
  TDateTime AsDateTime() const { return IsNull() ? 0 : FValue.AsDateTime(); }
  void SetAsDateTime(TDateTime V);
  void AssignField(TField* Field);
  void Assign(TPersistent* Source) override;
  String GetDisplayName() override { return FName.empty() ? inherited::GetDisplayName() : FName; }

 private:
  String FName;
  TFieldType FDataType{};
  TParamType FParamType{};
  Integer FSize{};
  Variant FValue;
};

class TParams : public TCollection {
  CL_CLASS(TParams, TCollection)
 public:
  void Create(TPersistent* AOwner = nullptr);
  TParam* Items(Integer Index) const;
  TParam* operator[](Integer Index) const { return Items(Index); }
  TParam* AddParam();
  TParam* CreateParam(TFieldType FldType, const String& ParamName, TParamType ParamType);
  TParam* FindParam(const String& Value) const;
  TParam* ParamByName(const String& Value) const;  // EDatabaseError when missing
  Variant ParamValues(const String& ParamName) const { return ParamByName(ParamName)->Value(); }
  void SetParamValues(const String& ParamName, const Variant& V) { ParamByName(ParamName)->SetValue(V); }
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner{};
};

// --- Data sources and links ----------------------------------------------------------

class TDataSource : public TComponent {
  CL_CLASS(TDataSource, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* ADataSet);
  Boolean AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(Boolean Value) { FAutoEdit = Value; }
  Boolean Enabled() const { return FEnabled; }
  void SetEnabled(Boolean Value);
  TDataSetState State() const { return FState; }
  // Puts the data set into edit mode when AutoEdit allows and it is browsing.
  void Edit();
  // Whether this source is linked to DataSet through master sources.
  Boolean IsLinkedTo(TDataSet* ADataSet) const;
  Integer DataLinkCount() const { return static_cast<Integer>(FDataLinks.size()); }
  TDataLink* DataLinks(Integer Index) const { return FDataLinks.at(static_cast<size_t>(Index)); }

  const TNotifyEvent& OnStateChange() const { return FOnStateChange; }
  void SetOnStateChange(const TNotifyEvent& V) { FOnStateChange = V; }
  const TDataChangeEvent& OnDataChange() const { return FOnDataChange; }
  void SetOnDataChange(const TDataChangeEvent& V) { FOnDataChange = V; }
  const TNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
  void SetOnUpdateData(const TNotifyEvent& V) { FOnUpdateData = V; }

  // Internal: called by the data set.
  void DataEvent(TDataEvent Event, NativeInt Info);
  void UpdateState();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void AddDataLink(TDataLink* DataLink);
  void RemoveDataLink(TDataLink* DataLink);
  void SetState(TDataSetState Value);
  void NotifyDataLinks(TDataEvent Event, NativeInt Info);

  TDataSet* FDataSet{};
  std::vector<TDataLink*> FDataLinks;
  Boolean FEnabled{};
  Boolean FAutoEdit{};
  TDataSetState FState{};
  TNotifyEvent FOnStateChange;
  TDataChangeEvent FOnDataChange;
  TNotifyEvent FOnUpdateData;

  friend class TDataLink;
  friend class TDataSet;
};

// A control's connection to a data source. It sees a window of BufferCount
// records of the data set; ActiveRecord is the current record's row in it.
class TDataLink : public TPersistent {
  CL_CLASS(TDataLink, TPersistent)
 public:
  void Create();
  void Destroy() override;

  Boolean Active() const { return FActive; }
  Integer ActiveRecord() const;
  void SetActiveRecord(Integer Value);
  Integer BufferCount() const { return FBufferCount; }
  void SetBufferCount(Integer Value);
  // Records in the window: the data set's buffered records, at most BufferCount.
  Integer RecordCount() const;
  TDataSet* DataSet() const;
  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* ADataSource);
  Boolean DataSourceFixed() const { return FDataSourceFixed; }
  void SetDataSourceFixed(Boolean Value) { FDataSourceFixed = Value; }
  Boolean Editing() const { return FEditing; }
  Boolean ReadOnly() const { return FReadOnly; }
  void SetReadOnly(Boolean Value);
  Boolean VisualControl() const { return FVisualControl; }
  void SetVisualControl(Boolean Value) { FVisualControl = Value; }
  Boolean BOF() const;
  Boolean Eof() const;
  Boolean EOF_() const { return Eof(); }

  // Puts the data set into edit mode through the source (AutoEdit); answers Editing.
  Boolean Edit();
  Integer MoveBy(Integer Distance);
  // Runs UpdateData with the updating flag set (field changes then do not
  // come back as RecordChanged).
  void UpdateRecord();
  // The first record of the window in the data set's buffers (internal).
  Integer FirstRecord() const { return FFirstRecord; }

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataEvent(TDataEvent Event, NativeInt Info);
  virtual void DataSetChanged();
  virtual void DataSetScrolled(Integer Distance);
  virtual void EditingChanged() {}
  virtual void FocusControl(TField*& Field) {}
  virtual void LayoutChanged();
  virtual void RecordChanged(TField* Field) {}
  virtual void UpdateData() {}
  virtual Integer GetActiveRecord() const;
  virtual void SetActiveRecordValue(Integer Value);
  virtual Integer GetBufferCount() const { return FBufferCount; }
  virtual void SetBufferCountValue(Integer Value);
  virtual Integer GetRecordCount() const;

 private:
  void UpdateState();
  void UpdateRange();
  void SetActive(Boolean Value);
  void SetEditing(Boolean Value);

  TDataSource* FDataSource{};
  Integer FFirstRecord{};
  Integer FBufferCount{};
  Boolean FActive{};
  Boolean FEditing{};
  Boolean FReadOnly{};
  Boolean FUpdating{};
  Boolean FDataSourceFixed{};
  Boolean FVisualControl{};

  friend class TDataSource;
  friend class TDataSet;
};

// --- TDataSet -----------------------------------------------------------------

class TDataSet : public TComponent {
  CL_CLASS(TDataSet, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void BeforeDestruction() override;
  void Destroy() override;
  // Tells the application's handler that the pending edit was dropped
  // (AReason: why its post failed), where nobody is left to raise to.
  void ReportDroppedEdit(const String& AReason);

  // Opening and closing.
  Boolean Active() const { return FState != dsInactive; }
  void SetActive(Boolean Value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return FState; }
  void CheckActive() const;
  void CheckInactive() const;
  void CheckBrowseMode();

  // Navigation.
  void First();
  void Last();
  void Next();
  void Prior();
  Integer MoveBy(Integer Distance);
  Boolean Bof() const { return FBOF; }
  Boolean Eof() const { return FEOF; }
  Boolean IsEmpty() const;
  Integer RecNo() { return GetRecNo(); }
  void SetRecNo(Integer Value) { SetRecNoValue(Value); }
  Integer RecordCount() { return GetRecordCount(); }
  virtual Boolean IsSequenced() { return true; }
  Boolean IsUniDirectional() const { return FUniDirectional; }
  void Refresh();
  void Resync(TResyncMode Mode);

  // Bookmarks.
  TBookmark Bookmark();
  void SetBookmark(const TBookmark& Value) { GotoBookmark(Value); }
  TBookmark GetBookmark() { return Bookmark(); }
  void GotoBookmark(const TBookmark& ABookmark);
  void FreeBookmark(TBookmark& ABookmark) { ABookmark.clear(); }
  virtual Boolean BookmarkValid(const TBookmark& ABookmark) { return false; }
  virtual Integer CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
  Boolean BookmarkAvailable() const;

  // Searching.
  virtual Boolean Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options);
  virtual Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields);

  // Editing.
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  void UpdateRecord();
  void ClearFields();
  Boolean Modified() const { return FModified; }
  void SetModified(Boolean Value) { FModified = Value; }
  Boolean CanModify() { return GetCanModify(); }
  Boolean ReadOnly() const { return FReadOnly; }
  void SetReadOnly(Boolean Value) { FReadOnly = Value; }
  Boolean AutoCalcFields() const { return FAutoCalcFields; }
  void SetAutoCalcFields(Boolean Value) { FAutoCalcFields = Value; }

  // Notifications to data sources.
  void DisableControls();
  void EnableControls();
  Boolean ControlsDisabled() const { return FDisableCount != 0; }
  void UpdateCursorPos();
  void CursorPosChanged() { FCurrentRecord = -1; }

  // Fields.
  TFields* Fields() const { return FFields; }
  Integer FieldCount() const { return FFields->Count(); }
  TFields* AggFields() const { return FAggFields; }
  TFieldDefs* FieldDefs() const { return FFieldDefs; }
  void SetFieldDefs(TFieldDefs* Value);
  TField* FindField(const String& FieldName) const;
  TField* FieldByName(const String& FieldName) const;
  TField* FieldByNumber(Integer FieldNo) const { return FFields->FieldByNumber(FieldNo); }
  void GetFieldNames(TStrings* List) const { FFields->GetFieldNames(List); }
  // The fields named in a ";"-separated list, in order; EDatabaseError for a missing name.
  void GetFieldList(TList* List, const String& FieldNames) const;
  std::vector<TField*> GetFieldList(const String& FieldNames) const;
  Boolean DefaultFields() const { return FDefaultFields; }
  Variant FieldValues(const String& FieldName) const;
  void SetFieldValues(const String& FieldName, const Variant& Value);
  virtual TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode);
  // Whether fields are owned by the data set's owner or by the data set.
  TDataSource* DataSource() const { return GetDataSource(); }
  // Whether this data set reaches DataSource through its master links.
  Boolean IsLinkedTo(TDataSource* ADataSource) const;

  // Filtering.
  const String& Filter() const { return FFilterText; }
  void SetFilter(const String& Value) { SetFilterText(Value); }
  Boolean Filtered() const { return FFiltered; }
  void SetFiltered(Boolean Value) { SetFilteredValue(Value); }
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  void SetFilterOptions(TFilterOptions Value) { SetFilterOptionsValue(Value); }
  const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
  void SetOnFilterRecord(const TFilterRecordEvent& Value) { SetOnFilterRecordValue(Value); }

  // The record window that data links see.
  Integer BufferCount() const { return FBufferCount; }
  Integer ActiveRecord() const { return FActiveRecord; }
  Integer BufferedRecordCount() const { return FRecordCount; }
  TRecordBuffer* ActiveBuffer() const;
  void UpdateBufferCount();

  // Events.
#define CL_DATASET_EVENT(Name)                                \
  const TDataSetNotifyEvent& Name() const { return F##Name; } \
  void Set##Name(const TDataSetNotifyEvent& V) { F##Name = V; }
  CL_DATASET_EVENT(BeforeOpen)
  CL_DATASET_EVENT(AfterOpen)
  CL_DATASET_EVENT(BeforeClose)
  CL_DATASET_EVENT(AfterClose)
  CL_DATASET_EVENT(BeforeInsert)
  CL_DATASET_EVENT(AfterInsert)
  CL_DATASET_EVENT(BeforeEdit)
  CL_DATASET_EVENT(AfterEdit)
  CL_DATASET_EVENT(BeforePost)
  CL_DATASET_EVENT(AfterPost)
  CL_DATASET_EVENT(BeforeCancel)
  CL_DATASET_EVENT(AfterCancel)
  CL_DATASET_EVENT(BeforeDelete)
  CL_DATASET_EVENT(AfterDelete)
  CL_DATASET_EVENT(BeforeScroll)
  CL_DATASET_EVENT(AfterScroll)
  CL_DATASET_EVENT(BeforeRefresh)
  CL_DATASET_EVENT(AfterRefresh)
  CL_DATASET_EVENT(OnNewRecord)
  CL_DATASET_EVENT(OnCalcFields)
#undef CL_DATASET_EVENT
  const TDataSetErrorEvent& OnPostError() const { return FOnPostError; }
  void SetOnPostError(const TDataSetErrorEvent& V) { FOnPostError = V; }
  const TDataSetErrorEvent& OnEditError() const { return FOnEditError; }
  void SetOnEditError(const TDataSetErrorEvent& V) { FOnEditError = V; }
  const TDataSetErrorEvent& OnDeleteError() const { return FOnDeleteError; }
  void SetOnDeleteError(const TDataSetErrorEvent& V) { FOnDeleteError = V; }

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, Integer Order) override;
  void Loaded() override;

  // Internal, used by fields and links.
  void DataEvent(TDataEvent Event, NativeInt Info);
  // The buffer that field reads and writes use in the current state (nil when none).
  // Browsing is answered here: readers of many records ask once per value.
  TRecordBuffer* GetActiveRecBuf() const {
    if (FState == dsBrowse && FActiveRecord < FRecordCount && !FBuffers.empty())
      return FBuffers[static_cast<size_t>(FActiveRecord)].get();
    return StateRecBuf();
  }
  Integer SlotCount() const { return FSlotCount; }
  // The value of a field's slot in the current record before the edit began.
  Variant GetOldFieldValue(const TField* Field) const;
  void SetTempState(TDataSetState Value, TRecordBuffer* Buffer);
  void RestoreState(TDataSetState Value, TRecordBuffer* Buffer);
  // Whether the record in Buffer passes Filter and OnFilterRecord.
  Boolean RecordFilter(TRecordBuffer* Buffer);
  // Computes calculated and lookup fields of Buffer.
  void GetCalcFields(TRecordBuffer* Buffer);

 protected:
  // The cursor a descendant provides.
  virtual TGetResult GetRecord(TRecordBuffer* Buffer, TGetMode GetMode, Boolean DoCheck);
  virtual void InternalOpen();
  virtual void InternalClose();
  virtual void InternalInitFieldDefs();
  virtual Boolean IsCursorOpen() const;
  virtual void InternalFirst();
  virtual void InternalLast();
  virtual void InternalSetToRecord(TRecordBuffer* Buffer);
  virtual void InternalGotoBookmark(const TBookmark& ABookmark);
  virtual void InternalInitRecord(TRecordBuffer* Buffer);
  virtual void InternalEdit() {}
  virtual void InternalInsert() {}
  virtual void InternalPost();
  virtual void InternalCancel() {}
  virtual void InternalDelete();
  virtual void InternalRefresh() {}
  virtual void InternalHandleException();
  virtual Integer GetRecordCount() { return -1; }
  virtual Integer GetRecNo() { return -1; }
  virtual void SetRecNoValue(Integer Value) {}
  virtual Boolean GetCanModify() { return !FReadOnly; }
  virtual TDataSource* GetDataSource() const { return nullptr; }
  virtual void SetFilterText(const String& Value);
  virtual void SetFilteredValue(Boolean Value);
  virtual void SetFilterOptionsValue(TFilterOptions Value);
  virtual void SetOnFilterRecordValue(const TFilterRecordEvent& Value);
  // Calls OnFilterRecord and the filter expression; the base has no expression.
  virtual Boolean FilterExpressionAccepts() { return true; }
  virtual void ClearCalcFields(TRecordBuffer* Buffer);
  virtual void CalculateFields(TRecordBuffer* Buffer);
  virtual void DoOnNewRecord();
  virtual void CreateFields();
  virtual void DestroyFields();
  virtual void BindFields(Boolean Binding);
  virtual void OpenCursor(Boolean InfoQuery);
  virtual void CloseCursor();
  virtual void SetBufferCount(Integer Value);
  virtual void DataConvertError(TField* Field);
  void InitFieldDefs();
  void InitRecord(TRecordBuffer* Buffer);
  void SetState(TDataSetState Value);
  void SetUniDirectional(Boolean Value) { FUniDirectional = Value; }
  void CheckCanModify();
  void CheckBiDirectional() const;
  void SetCurrentRecord(Integer Index);
  void ClearBuffers();
  void ActivateBuffers();
  Boolean GetNextRecord();
  Boolean GetPriorRecord();
  Integer GetNextRecords();
  Integer GetPriorRecords();
  void MoveBuffer(Integer CurIndex, Integer NewIndex);
  // Runs an internal operation with the OnXxxError retry protocol.
  void CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent);
  void UpdateCalcFields();
  TRecordBuffer* Buffer(Integer Index) const { return FBuffers[static_cast<size_t>(Index)].get(); }
  Integer CurrentRecord() const { return FCurrentRecord; }
  // Tests a variant key against a field value with the locate options.
  static Boolean LocateMatch(TField* Field, const Variant& FieldValue, const Variant& KeyValue,
                             TLocateOptions Options);
  // The key values in the array shape for Fields (a single value or an array).
  static Variant KeyValue(const Variant& KeyValues, size_t Index, size_t Count);

  void DoBeforeScroll() { Fire(FBeforeScroll); }
  void DoAfterScroll() { Fire(FAfterScroll); }

 private:
  void Fire(const TDataSetNotifyEvent& E);
  void AddDataSource(TDataSource* DataSource);
  void RemoveDataSource(TDataSource* DataSource);
  void BeginInsertAppend();
  void EndInsertAppend();
  void FreeFieldBuffers();
  void CheckRequiredFields();
  void CalcLookupValue(TField* Field);
  TRecordBuffer* StateRecBuf() const;

  TFields* FFields{};
  TFields* FAggFields{};
  TFieldDefs* FFieldDefs{};
  std::vector<TDataSource*> FDataSources;
  std::vector<std::unique_ptr<TRecordBuffer>> FBuffers;
  Integer FBufferCount{};
  Integer FRecordCount{};
  Integer FActiveRecord{};
  Integer FCurrentRecord{};
  Integer FSlotCount{};
  Integer FCalcFieldCount{};
  Integer FDisableCount{};
  TDataEvent FEnableEvent{};
  TDataSetState FDisableState{};
  TDataSetState FState{};
  TRecordBuffer* FTempBuffer{};
  std::unique_ptr<TRecordBuffer> FOldBuffer;  // the record as it was before Edit
  Boolean FBOF{};
  Boolean FEOF{};
  Boolean FModified{};
  Boolean FReadOnly{};
  Boolean FDefaultFields{};
  Boolean FUniDirectional{};
  Boolean FAutoCalcFields{};
  Boolean FFiltered{};
  Boolean FInternalCalc{};
  Boolean FStreamedActive{};
  Boolean FCalcFieldsActive{};
  Boolean FEndingEdit{};  // inside Post or Cancel: a close from their events is refused
  String FFilterText;
  TFilterOptions FFilterOptions{};
  TFilterRecordEvent FOnFilterRecord;
  TDataSetNotifyEvent FBeforeOpen, FAfterOpen, FBeforeClose, FAfterClose, FBeforeInsert, FAfterInsert,
      FBeforeEdit, FAfterEdit, FBeforePost, FAfterPost, FBeforeCancel, FAfterCancel, FBeforeDelete,
      FAfterDelete, FBeforeScroll, FAfterScroll, FBeforeRefresh, FAfterRefresh, FOnNewRecord, FOnCalcFields;
  TDataSetErrorEvent FOnPostError, FOnEditError, FOnDeleteError;

  friend class TDataLink;
  friend class TDataSource;
  friend class TField;
  friend class TFields;
};
