// Data sources and data links; errors and message texts; the classes'
// published members.
#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/db/DB.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"

namespace dbconsts {
const char16_t* const SNotEditing = u"Dataset not in edit or insert mode";
const char16_t* const SDataSetClosed = u"Cannot perform this operation on a closed dataset";
const char16_t* const SDataSetOpen = u"Cannot perform this operation on an open dataset";
const char16_t* const SDataSetEmpty = u"Cannot perform this operation on an empty dataset";
const char16_t* const SDataSetReadOnly = u"Cannot modify a read-only dataset";
const char16_t* const SDataSetUnidirectional = u"Operation not allowed on a unidirectional dataset";
const char16_t* const SFieldNotFound = u"Field '%s' not found";
const char16_t* const SFieldReadOnly = u"Field '%s' cannot be modified";
const char16_t* const SFieldRequired = u"Field '%s' must have a value";
const char16_t* const SFieldTypeMismatch = u"Type mismatch for field '%s', expecting: %s actual: %s";
const char16_t* const SFieldRangeError =
    u"%g is not a valid value for field '%s'. The allowed range is %g to %g";
const char16_t* const SInvalidIntegerValue = u"'%s' is not a valid integer value for field '%s'";
const char16_t* const SInvalidFloatValue = u"'%s' is not a valid floating point value for field '%s'";
const char16_t* const SInvalidBoolValue = u"'%s' is not a valid boolean value for field '%s'";
const char16_t* const SInvalidDateTimeValue = u"'%s' is not a valid date and time value for field '%s'";
const char16_t* const SFieldValueError = u"Invalid value for field '%s'";
const char16_t* const SRecordNotFound = u"Record not found";
const char16_t* const SBookmarkNotFound = u"Bookmark not found for dataset";
const char16_t* const SDuplicateFieldName = u"Duplicate field name '%s'";
const char16_t* const SCircularDataLink = u"Circular datalinks are not allowed";
const char16_t* const SDataSourceChange = u"DataSource cannot be changed";
const char16_t* const SPropDefByLookup = u"Property already defined by lookup field";
const char16_t* const SLookupInfoError = u"Lookup information for field '%s' is incomplete";
const char16_t* const SDataSetMissing = u"Field '%s' has no dataset";
const char16_t* const SFieldIndexError = u"Field index out of range";
const char16_t* const SParameterNotFound = u"Parameter '%s' not found";
const char16_t* const SInvalidFieldSize = u"Invalid field size";
const char16_t* const SFilterExpression = u"Invalid filter expression: %s";
const char16_t* const SDataSetEndingEdit = u"Cannot close a dataset while it posts or cancels a record";
const char16_t* const SEditDropped = u"The record being edited could not be saved and was dropped: %s";
const char16_t* const SFieldAccessError = u"Cannot access field '%s' as type %s";
}  // namespace dbconsts

using namespace dbconsts;

void DatabaseError(const String& Message, TComponent* Component) {
  if (Component && !Component->Name().empty()) throw EDatabaseError(Component->Name() + u": " + Message);
  throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const String& Message, std::initializer_list<TVarRec> Args, TComponent* Component) {
  DatabaseError(Format(Message, Args), Component);
}

// --- TDataSource ------------------------------------------------------------------

void TDataSource::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FEnabled = true;
  FAutoEdit = true;
}

void TDataSource::Destroy() {
  FOnStateChange = nullptr;
  if (FDataSet) SetDataSet(nullptr);
  while (!FDataLinks.empty()) RemoveDataLink(FDataLinks.back());
  inherited::Destroy();
}

void TDataSource::SetDataSet(TDataSet* ADataSet) {
  if (ADataSet == FDataSet) return;
  if (ADataSet && IsLinkedTo(ADataSet)) DatabaseError(SCircularDataLink, this);
  if (FDataSet) {
    FDataSet->RemoveFreeNotification(this);
    FDataSet->RemoveDataSource(this);
  }
  if (ADataSet) {
    ADataSet->AddDataSource(this);
    ADataSet->FreeNotification(this);
  }
}

Boolean TDataSource::IsLinkedTo(TDataSet* ADataSet) const {
  if (!ADataSet) return false;
  TDataSource* src = ADataSet->DataSource();
  for (int guard = 0; src && guard < 1000; ++guard) {
    if (src == this) return true;
    if (!src->DataSet()) return false;
    src = src->DataSet()->DataSource();
  }
  return false;
}

void TDataSource::SetEnabled(Boolean Value) {
  FEnabled = Value;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse) FDataSet->Edit();
}

void TDataSource::UpdateState() {
  if (FEnabled && FDataSet)
    SetState(FDataSet->State());
  else
    SetState(dsInactive);
}

void TDataSource::SetState(TDataSetState Value) {
  if (FState == Value) return;
  TDataSetState prior = FState;
  FState = Value;
  NotifyDataLinks(deUpdateState, 0);
  if (!ComponentState().Contains(csDestroying)) {
    if (Assigned(FOnStateChange)) FOnStateChange(this);
    if (prior == dsInactive && Assigned(FOnDataChange)) FOnDataChange(this, nullptr);
  }
}

void TDataSource::NotifyDataLinks(TDataEvent Event, NativeInt Info) {
  // A link may leave (or join) while it is notified: walk a copy and skip
  // links that left meanwhile.
  std::vector<TDataLink*> links = FDataLinks;
  for (TDataLink* link : links)
    if (std::find(FDataLinks.begin(), FDataLinks.end(), link) != FDataLinks.end())
      link->DataEvent(Event, Info);
}

void TDataSource::DataEvent(TDataEvent Event, NativeInt Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive) return;
  NotifyDataLinks(Event, Info);
  switch (Event) {
    case deFieldChange:
      if (Assigned(FOnDataChange)) FOnDataChange(this, reinterpret_cast<TField*>(Info));
      break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (Assigned(FOnDataChange)) FOnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (Assigned(FOnUpdateData)) FOnUpdateData(this);
      break;
    default:
      break;
  }
}

void TDataSource::AddDataLink(TDataLink* DataLink) {
  FDataLinks.push_back(DataLink);
  DataLink->FDataSource = this;
  if (FDataSet) FDataSet->UpdateBufferCount();
  DataLink->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* DataLink) {
  DataLink->FDataSource = nullptr;
  FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), DataLink), FDataLinks.end());
  DataLink->UpdateState();
  if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

// --- TDataLink --------------------------------------------------------------------

void TDataLink::Create() {
  FBufferCount = 1;
  FVisualControl = false;
}

void TDataLink::Destroy() {
  FActive = false;
  FEditing = false;
  FDataSourceFixed = false;
  SetDataSource(nullptr);
  inherited::Destroy();
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetDataSource(TDataSource* ADataSource) {
  if (FDataSource == ADataSource) return;
  if (FDataSourceFixed) DatabaseError(SDataSourceChange, ADataSource);
  if (FDataSource) FDataSource->RemoveDataLink(this);
  if (ADataSource) ADataSource->AddDataLink(this);
}

void TDataLink::SetReadOnly(Boolean Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  UpdateState();
}

Integer TDataLink::ActiveRecord() const { return GetActiveRecord(); }
void TDataLink::SetActiveRecord(Integer Value) { SetActiveRecordValue(Value); }
void TDataLink::SetBufferCount(Integer Value) { SetBufferCountValue(Value); }
Integer TDataLink::RecordCount() const { return GetRecordCount(); }

Integer TDataLink::GetActiveRecord() const {
  if (!FActive) return 0;
  if (FDataSource->State() == dsSetKey) return 0;
  return FDataSource->DataSet()->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecordValue(Integer Value) {
  if (!FActive || FDataSource->State() == dsSetKey) return;
  TDataSet* ds = FDataSource->DataSet();
  Integer target = Value + FFirstRecord;
  // Only records of the window can be made active; the cursor follows lazily.
  if (target < 0 || target >= ds->FRecordCount) return;
  ds->FActiveRecord = target;
}

void TDataLink::SetBufferCountValue(Integer Value) {
  if (Value < 1) Value = 1;
  if (FBufferCount == Value) return;
  FBufferCount = Value;
  if (FActive) {
    UpdateRange();
    FDataSource->DataSet()->UpdateBufferCount();
    UpdateRange();
  }
}

Integer TDataLink::GetRecordCount() const {
  if (!FActive) return 0;
  if (FDataSource->State() == dsSetKey) return 1;
  Integer n = FDataSource->DataSet()->FRecordCount - FFirstRecord;
  if (n > FBufferCount) n = FBufferCount;
  return n < 0 ? 0 : n;
}

Boolean TDataLink::BOF() const { return DataSet() ? DataSet()->Bof() : true; }
Boolean TDataLink::Eof() const { return DataSet() ? DataSet()->Eof() : true; }

void TDataLink::UpdateRange() {
  TDataSet* ds = FDataSource->DataSet();
  Integer min = ds->FActiveRecord - FBufferCount + 1;
  if (min < 0) min = 0;
  Integer max = ds->FBufferCount - FBufferCount;
  if (max < 0) max = 0;
  if (max > ds->FActiveRecord) max = ds->FActiveRecord;
  if (FFirstRecord < min) FFirstRecord = min;
  if (FFirstRecord > max) FFirstRecord = max;
  if (FFirstRecord != 0 && ds->FActiveRecord - FFirstRecord < FBufferCount - 1)
    FFirstRecord = std::max(0, min);
}

void TDataLink::SetActive(Boolean Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (Value)
    UpdateRange();
  else
    FFirstRecord = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(Boolean Value) {
  if (FEditing == Value) return;
  FEditing = Value;
  EditingChanged();
}

void TDataLink::UpdateState() {
  SetActive(FDataSource && FDataSource->State() != dsInactive);
  SetEditing(FDataSource && IsEditMode(FDataSource->State()) && !FReadOnly);
}

Boolean TDataLink::Edit() {
  if (!FReadOnly && FDataSource) FDataSource->Edit();
  return FEditing;
}

Integer TDataLink::MoveBy(Integer Distance) { return DataSet()->MoveBy(Distance); }

void TDataLink::UpdateRecord() {
  FUpdating = true;
  Finally done([&] { FUpdating = false; });
  UpdateData();
}

void TDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (Event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(Info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      Integer count = 0;
      if (FDataSource->State() != dsSetKey) {
        TDataSet* ds = FDataSource->DataSet();
        Integer active = ds->FActiveRecord;
        Integer first = FFirstRecord + static_cast<Integer>(Info);
        Integer last = first + FBufferCount - 1;
        if (active > last)
          count = active - last;
        else if (active < first)
          count = active - first;
        FFirstRecord = first + count;
        // The window never starts beyond the buffered records.
        if (FFirstRecord < 0) FFirstRecord = 0;
      }
      switch (Event) {
        case deDataSetChange:
          DataSetChanged();
          break;
        case deDataSetScroll:
          DataSetScrolled(count);
          break;
        case deLayoutChange:
          FFirstRecord = 0;
          UpdateRange();
          LayoutChanged();
          break;
        default:
          break;
      }
      break;
    }
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(*reinterpret_cast<TField**>(Info));
      break;
    default:
      break;
  }
}

void TDataLink::DataSetChanged() { RecordChanged(nullptr); }
void TDataLink::DataSetScrolled(Integer Distance) { DataSetChanged(); }
void TDataLink::LayoutChanged() { DataSetChanged(); }

// --- Class metadata ----------------------------------------------------------------

CL_IMPLEMENT_CLASS(TFieldDef)
CL_IMPLEMENT_CLASS(TFieldDefs)
CL_IMPLEMENT_CLASS(TFields)
CL_IMPLEMENT_CLASS(TBlobStream)
CL_IMPLEMENT_CLASS(TParams)
CL_IMPLEMENT_CLASS(TDataLink)

CL_IMPLEMENT_CLASS_PUBLISHED(TParam, P) {
  P.Property(u"DataType", &TParam::DataType, &TParam::SetDataType);
  P.Property(u"Name", &TParam::Name, &TParam::SetName);
  P.Property(u"ParamType", &TParam::ParamType, &TParam::SetParamType);
  P.Property(u"Size", &TParam::Size, &TParam::SetSize).Default(0);
  P.Property(u"Value", &TParam::Value, &TParam::SetValue);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TField, P) {
  P.Property(u"Alignment", &TField::Alignment, &TField::SetAlignment).Default(taLeftJustify);
  P.Property(u"DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel)
      .Stored(&TField::IsDisplayLabelStored);
  P.Property(u"DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
      .Stored(&TField::IsDisplayWidthStored);
  P.Property(u"FieldKind", &TField::FieldKind, &TField::SetFieldKind).Default(fkData);
  P.Property(u"FieldName", &TField::FieldName, &TField::SetFieldName);
  P.Property(u"Index", &TField::Index, &TField::SetIndex).Stored(false);
  P.Property(u"KeyFields", &TField::KeyFields, &TField::SetKeyFields);
  P.Property(u"LookupCache", &TField::LookupCache, &TField::SetLookupCache).Default(false);
  P.Property(u"LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet);
  P.Property(u"LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields);
  P.Property(u"LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
  P.Property(u"Origin", &TField::Origin, &TField::SetOrigin);
  P.Property(u"ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
  P.Property(u"Required", &TField::Required, &TField::SetRequired).Default(false);
  P.Property(u"Visible", &TField::Visible, &TField::SetVisible).Default(true);
  P.Property(u"OnChange", &TField::OnChange, &TField::SetOnChange);
  P.Property(u"OnGetText", &TField::OnGetText, &TField::SetOnGetText);
  P.Property(u"OnSetText", &TField::OnSetText, &TField::SetOnSetText);
  P.Property(u"OnValidate", &TField::OnValidate, &TField::SetOnValidate);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TStringField, P) {
  P.Property(u"EditMask", &TField::EditMask, &TField::SetEditMask);
  P.Property(u"FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar).Default(false);
  P.Property(u"Size", &TField::Size, &TField::SetSize).Default(20);
  P.Property(u"Transliterate", &TStringField::Transliterate, &TStringField::SetTransliterate).Default(true);
}
CL_IMPLEMENT_CLASS(TWideStringField)
CL_IMPLEMENT_CLASS(TGuidField)

CL_IMPLEMENT_CLASS_PUBLISHED(TNumericField, P) {
  P.Property(u"Alignment", &TField::Alignment, &TField::SetAlignment).Default(taRightJustify);
  P.Property(u"DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
  P.Property(u"EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
  P.Property(u"EditMask", &TField::EditMask, &TField::SetEditMask);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TIntegerField, P) {
  P.Property(u"MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(Int64(0));
  P.Property(u"MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(Int64(0));
}
CL_IMPLEMENT_CLASS(TSmallintField)
CL_IMPLEMENT_CLASS(TShortintField)
CL_IMPLEMENT_CLASS(TByteField)
CL_IMPLEMENT_CLASS(TWordField)
CL_IMPLEMENT_CLASS(TLongWordField)
CL_IMPLEMENT_CLASS(TAutoIncField)
CL_IMPLEMENT_CLASS(TLargeintField)
CL_IMPLEMENT_CLASS_PUBLISHED(TFloatField, P) {
  P.Property(u"currency", &TFloatField::currency, &TFloatField::SetCurrency).Default(false);
  P.Property(u"MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue);
  P.Property(u"MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue);
  P.Property(u"Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15);
}
CL_IMPLEMENT_CLASS(TSingleField)
CL_IMPLEMENT_CLASS(TExtendedField)
CL_IMPLEMENT_CLASS(TCurrencyField)
CL_IMPLEMENT_CLASS_PUBLISHED(TBCDField, P) {
  P.Property(u"currency", &TBCDField::currency, &TBCDField::SetCurrency).Default(false);
  P.Property(u"MaxValue", &TBCDField::MaxValue, &TBCDField::SetMaxValue);
  P.Property(u"MinValue", &TBCDField::MinValue, &TBCDField::SetMinValue);
  P.Property(u"Precision", &TBCDField::Precision, &TBCDField::SetPrecision).Default(0);
  P.Property(u"Size", &TField::Size, &TField::SetSize).Default(4);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TFMTBCDField, P) {
  P.Property(u"currency", &TFMTBCDField::currency, &TFMTBCDField::SetCurrency).Default(false);
  P.Property(u"Precision", &TFMTBCDField::Precision, &TFMTBCDField::SetPrecision).Default(15);
  P.Property(u"Size", &TField::Size, &TField::SetSize).Default(8);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TBooleanField, P) {
  P.Property(u"DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TDateTimeField, P) {
  P.Property(u"DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
  P.Property(u"EditMask", &TField::EditMask, &TField::SetEditMask);
}
CL_IMPLEMENT_CLASS(TDateField)
CL_IMPLEMENT_CLASS(TTimeField)
CL_IMPLEMENT_CLASS_PUBLISHED(TSQLTimeStampField, P) {
  P.Property(u"DisplayFormat", &TSQLTimeStampField::DisplayFormat, &TSQLTimeStampField::SetDisplayFormat);
  P.Property(u"EditMask", &TField::EditMask, &TField::SetEditMask);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TBlobField, P) {
  P.Property(u"Size", &TField::Size, &TField::SetSize).Default(0);
}
CL_IMPLEMENT_CLASS(TMemoField)
CL_IMPLEMENT_CLASS(TWideMemoField)
CL_IMPLEMENT_CLASS(TGraphicField)
CL_IMPLEMENT_CLASS_PUBLISHED(TBytesField, P) {
  P.Property(u"Size", &TField::Size, &TField::SetSize).Default(16);
}
CL_IMPLEMENT_CLASS(TVarBytesField)
CL_IMPLEMENT_CLASS(TVariantField)
CL_IMPLEMENT_CLASS_PUBLISHED(TAggregateField, P) {
  P.Property(u"Active", &TAggregateField::Active, &TAggregateField::SetActive).Default(false);
  P.Property(u"currency", &TAggregateField::currency, &TAggregateField::SetCurrency).Default(false);
  P.Property(u"DisplayFormat", &TAggregateField::DisplayFormat, &TAggregateField::SetDisplayFormat);
  P.Property(u"Expression", &TAggregateField::Expression, &TAggregateField::SetExpression);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TDataSource, P) {
  P.Property(u"AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true);
  P.Property(u"DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
  P.Property(u"Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
  P.Property(u"OnStateChange", &TDataSource::OnStateChange, &TDataSource::SetOnStateChange);
  P.Property(u"OnDataChange", &TDataSource::OnDataChange, &TDataSource::SetOnDataChange);
  P.Property(u"OnUpdateData", &TDataSource::OnUpdateData, &TDataSource::SetOnUpdateData);
}

CL_IMPLEMENT_CLASS(TDataSet)

void RegisterFieldClasses() {
  RegisterClasses(
      {TStringField::StaticClass(),       TWideStringField::StaticClass(), TGuidField::StaticClass(),
       TSmallintField::StaticClass(),     TShortintField::StaticClass(),   TByteField::StaticClass(),
       TIntegerField::StaticClass(),      TWordField::StaticClass(),       TLongWordField::StaticClass(),
       TAutoIncField::StaticClass(),      TLargeintField::StaticClass(),   TBooleanField::StaticClass(),
       TFloatField::StaticClass(),        TSingleField::StaticClass(),     TExtendedField::StaticClass(),
       TCurrencyField::StaticClass(),     TBCDField::StaticClass(),        TFMTBCDField::StaticClass(),
       TDateField::StaticClass(),         TTimeField::StaticClass(),       TDateTimeField::StaticClass(),
       TSQLTimeStampField::StaticClass(), TBytesField::StaticClass(),      TVarBytesField::StaticClass(),
       TBlobField::StaticClass(),         TMemoField::StaticClass(),       TWideMemoField::StaticClass(),
       TGraphicField::StaticClass(),      TVariantField::StaticClass(),    TAggregateField::StaticClass(),
       TDataSource::StaticClass()});
}
