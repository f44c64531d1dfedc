// TDataSet: the state machine, the record window, navigation and editing.
#include <algorithm>

#include "platform/classes/StringLists.h"
#include "platform/db/DB.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"

using namespace dbconsts;

namespace {

// Splits a ";"-separated field list, trimming blanks; empty names are skipped.
std::vector<String> SplitFieldNames(const String& Names) {
  std::vector<String> out;
  Integer pos = 1;
  while (pos <= static_cast<Integer>(Names.size())) {
    String name = ExtractFieldName(Names, pos);
    if (!name.empty()) out.push_back(name);
  }
  return out;
}

}  // namespace

String ExtractFieldName(const String& AFields, Integer& APos) {
  size_t start = APos > 0 ? static_cast<size_t>(APos - 1) : 0;
  size_t end = std::min(AFields.find(u';', start), AFields.size());
  APos = static_cast<Integer>(end < AFields.size() ? end + 2 : end + 1);
  return Trim(AFields.substr(std::min(start, AFields.size()), end - std::min(start, end)));
}

bool IsEditMode(TDataSetState State) { return State == dsEdit || State == dsInsert || State == dsSetKey; }

void TDataSet::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FFieldDefs = New<TFieldDefs>(static_cast<TPersistent*>(this));
  FFields = New<TFields>(this);
  FAggFields = New<TFields>(this);
  FAutoCalcFields = true;
  FCurrentRecord = -1;
  FBOF = true;
  FEOF = true;
  SetBufferCount(1);
}

// A data set freed while a record is being edited tells its links first,
// while it is still whole, as a close does: a view then posts the typed
// value. A failed post cannot stop the freeing; the application's handler
// is told which value was lost (nothing is thrown out of the destruction).
void TDataSet::BeforeDestruction() {
  if ((FState == dsEdit || FState == dsInsert) && !FEndingEdit && !FDataSources.empty()) {
    try {
      DataEvent(deCheckBrowseMode, 1);
    } catch (const Exception& E) {
      ReportDroppedEdit(E.Message());
    } catch (...) {
      HandleExceptionsOf(this, [] { throw; });
    }
  }
  inherited::BeforeDestruction();
}

void TDataSet::ReportDroppedEdit(const String& AReason) {
  HandleExceptionsOf(this, [&] { DatabaseErrorFmt(SEditDropped, {AReason}, this); });
}

void TDataSet::Destroy() {
  if (FFields) {
    try {
      if (Active()) SetActive(false);
    } catch (...) {
    }
  }
  while (!FDataSources.empty()) FDataSources.back()->SetDataSet(nullptr);
  if (FFields) DestroyFields();
  FreeAndNil(FFields);
  FreeAndNil(FAggFields);
  FreeAndNil(FFieldDefs);
  FBuffers.clear();
  inherited::Destroy();
}

void TDataSet::Fire(const TDataSetNotifyEvent& E) {
  if (Assigned(E)) E(this);
}

// --- Opening and closing --------------------------------------------------------

void TDataSet::SetActive(Boolean Value) {
  if (ComponentState().Contains(csReading)) {
    FStreamedActive = Value;
    return;
  }
  if (Active() == Value) return;
  if (Value) {
    Fire(FBeforeOpen);
    try {
      OpenCursor(false);
    } catch (...) {
      try {
        CloseCursor();
      } catch (...) {
      }
      throw;
    }
    SetState(dsBrowse);
    Fire(FAfterOpen);
    if (!IsEmpty()) DoAfterScroll();
  } else {
    // Closing from the events of a post or cancel would end the record under
    // them (the typed value gone, nothing posted): refused.
    if (FEndingEdit && !ComponentState().Contains(csDestroying)) DatabaseError(SDataSetEndingEdit, this);
    // The links hear of the close while an edit is still pending (Info 1:
    // the data set is closing), so that a view showing the edit can post it;
    // an error raised there leaves the data set open and editing.
    if (!ComponentState().Contains(csDestroying) && (FState == dsEdit || FState == dsInsert))
      DataEvent(deCheckBrowseMode, 1);
    if (!ComponentState().Contains(csDestroying)) Fire(FBeforeClose);
    SetState(dsInactive);
    CloseCursor();
    if (!ComponentState().Contains(csDestroying)) Fire(FAfterClose);
  }
}

void TDataSet::Loaded() {
  inherited::Loaded();
  if (FStreamedActive) SetActive(true);
}

void TDataSet::OpenCursor(Boolean InfoQuery) {
  // The descendant opens its cursor and fills the field definitions.
  InternalOpen();
  if (InfoQuery) return;
  FDefaultFields = FFields->Count() == 0;
  if (FDefaultFields) CreateFields();
  BindFields(true);
  FBOF = true;
  FEOF = false;
  ClearBuffers();
  // Binding may have changed the number of slots: rebuild the window.
  for (auto& b : FBuffers) b->Clear(static_cast<size_t>(FSlotCount));
  UpdateBufferCount();
  if (FRecordCount == 0) GetNextRecords();
  FBOF = true;
  FEOF = FRecordCount == 0;
}

void TDataSet::CloseCursor() {
  ClearBuffers();
  FOldBuffer.reset();
  InternalClose();
  BindFields(false);
  if (FDefaultFields) DestroyFields();
  FDefaultFields = false;
}

void TDataSet::CheckActive() const {
  if (FState == dsInactive) DatabaseError(SDataSetClosed, const_cast<TDataSet*>(this));
}

void TDataSet::CheckInactive() const {
  if (FState != dsInactive) DatabaseError(SDataSetOpen, const_cast<TDataSet*>(this));
}

void TDataSet::CheckBiDirectional() const {
  if (FUniDirectional) DatabaseError(SDataSetUnidirectional, const_cast<TDataSet*>(this));
}

void TDataSet::CheckCanModify() {
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
}

void TDataSet::SetState(TDataSetState Value) {
  if (FState == Value) return;
  FState = Value;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

void TDataSet::SetTempState(TDataSetState Value, TRecordBuffer* Buffer) {
  FState = Value;
  FTempBuffer = Buffer;
}

void TDataSet::RestoreState(TDataSetState Value, TRecordBuffer* Buffer) {
  FState = Value;
  FTempBuffer = Buffer;
}

// --- Abstract cursor ------------------------------------------------------------

TGetResult TDataSet::GetRecord(TRecordBuffer*, TGetMode, Boolean) { AbstractError(); }
void TDataSet::InternalOpen() { AbstractError(); }
void TDataSet::InternalClose() {}
void TDataSet::InternalInitFieldDefs() {}
Boolean TDataSet::IsCursorOpen() const { return false; }
void TDataSet::InternalFirst() { AbstractError(); }
void TDataSet::InternalLast() { AbstractError(); }
void TDataSet::InternalSetToRecord(TRecordBuffer*) {}
void TDataSet::InternalGotoBookmark(const TBookmark&) { AbstractError(); }
void TDataSet::InternalPost() { CheckRequiredFields(); }
void TDataSet::InternalDelete() { AbstractError(); }
void TDataSet::InternalHandleException() {}
Integer TDataSet::CompareBookmarks(const TBookmark&, const TBookmark&) { return 0; }
void TDataSet::DataConvertError(TField* Field) {
  DatabaseErrorFmt(SFieldValueError, {Field->DisplayName()}, this);
}

void TDataSet::InternalInitRecord(TRecordBuffer* Buffer) { Buffer->Clear(static_cast<size_t>(FSlotCount)); }

void TDataSet::InitRecord(TRecordBuffer* Buffer) {
  InternalInitRecord(Buffer);
  ClearCalcFields(Buffer);
  Buffer->Flag = bfInserted;
  Buffer->Bookmark.clear();
}

void TDataSet::CheckRequiredFields() {
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull() &&
        f->DataType() != ftAutoInc) {
      f->FocusControl();
      DatabaseErrorFmt(SFieldRequired, {f->DisplayName()}, this);
    }
  }
}

// --- Field definitions and fields --------------------------------------------------

void TDataSet::InitFieldDefs() { InternalInitFieldDefs(); }

void TDataSet::SetFieldDefs(TFieldDefs* Value) { FFieldDefs->Assign(Value); }

void TDataSet::CreateFields() {
  TComponent* owner = this;
  for (Integer i = 0; i < FFieldDefs->Count(); ++i) {
    TFieldDef* def = FFieldDefs->Items(i);
    if (def->FieldClass()) def->CreateField(owner, this);
  }
}

void TDataSet::DestroyFields() { FFields->Clear(); }

void TDataSet::BindFields(Boolean Binding) {
  Integer slot = 0;
  FCalcFieldCount = 0;
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (!Binding) {
      f->Bind(-1);
      if (f->FieldKind() == fkData) f->SetFieldNoInternal(0);
      continue;
    }
    if (f->FieldKind() == fkData) {
      Integer def = FFieldDefs->IndexOf(f->FieldName());
      if (def < 0) DatabaseErrorFmt(SFieldNotFound, {f->DisplayName()}, this);
      f->SetFieldNoInternal(def + 1);
    } else {
      f->SetFieldNoInternal(-1);
    }
  }
  if (!Binding) {
    FSlotCount = 0;
    return;
  }
  // Data fields take the slot of their definition, so that descendants fill
  // records in definition order; the others follow.
  slot = FFieldDefs->Count();
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (f->FieldKind() == fkData)
      f->Bind(f->FieldNo() - 1);
    else {
      f->Bind(slot++);
      ++FCalcFieldCount;
    }
  }
  FSlotCount = slot;
}

TField* TDataSet::FindField(const String& FieldName) const { return FFields->FindField(FieldName); }

TField* TDataSet::FieldByName(const String& FieldName) const {
  TField* f = FindField(FieldName);
  if (!f) DatabaseErrorFmt(SFieldNotFound, {FieldName}, const_cast<TDataSet*>(this));
  return f;
}

std::vector<TField*> TDataSet::GetFieldList(const String& FieldNames) const {
  std::vector<TField*> out;
  for (const String& n : SplitFieldNames(FieldNames)) out.push_back(FieldByName(n));
  return out;
}

void TDataSet::GetFieldList(TList* List, const String& FieldNames) const {
  for (TField* f : GetFieldList(FieldNames)) List->Add(f);
}

Variant TDataSet::FieldValues(const String& FieldName) const {
  std::vector<TField*> fields = GetFieldList(FieldName);
  if (fields.size() == 1) return fields[0]->AsVariant();
  Variant a = VarArrayCreate({0, static_cast<Integer>(fields.size()) - 1}, varVariant);
  for (size_t i = 0; i < fields.size(); ++i) a.SetElement(static_cast<Integer>(i), fields[i]->AsVariant());
  return a;
}

void TDataSet::SetFieldValues(const String& FieldName, const Variant& Value) {
  std::vector<TField*> fields = GetFieldList(FieldName);
  if (fields.size() == 1 && !VarIsArray(Value)) {
    fields[0]->SetAsVariant(Value);
    return;
  }
  for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(KeyValue(Value, i, fields.size()));
}

TStream* TDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
  TBlobField* blob = As<TBlobField>(Field);
  return NewBy<TBlobStream>(&TBlobStream::Create, blob, Mode);
}

Boolean TDataSet::IsLinkedTo(TDataSource* ADataSource) const {
  const TDataSet* ds = this;
  for (int guard = 0; ds && guard < 1000; ++guard) {
    TDataSource* src = ds->GetDataSource();
    if (!src) return false;
    if (src == ADataSource) return true;
    ds = src->DataSet();
  }
  return false;
}

void TDataSet::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (f->Owner() == Root) Proc(f);
  }
}

void TDataSet::SetChildOrder(TComponent* Child, Integer Order) {
  if (Is<TField>(Child) && FFields->IndexOf(static_cast<TField*>(Child)) >= 0)
    static_cast<TField*>(Child)->SetIndex(Order);
}

// --- The record window ---------------------------------------------------------

TRecordBuffer* TDataSet::ActiveBuffer() const {
  if (FBuffers.empty()) return nullptr;
  return FBuffers[static_cast<size_t>(FActiveRecord)].get();
}

TRecordBuffer* TDataSet::StateRecBuf() const {
  switch (FState) {
    case dsBrowse:
      return IsEmpty() ? nullptr : ActiveBuffer();
    case dsEdit:
    case dsInsert:
    case dsSetKey:
      return ActiveBuffer();
    case dsCalcFields:
    case dsFilter:
    case dsInternalCalc:
    case dsNewValue:
      return FTempBuffer;
    case dsOldValue:
      return FOldBuffer ? FOldBuffer.get() : ActiveBuffer();
    default:
      return nullptr;
  }
}

Variant TDataSet::GetOldFieldValue(const TField* Field) const {
  TRecordBuffer* b = FOldBuffer && FState == dsEdit ? FOldBuffer.get() : GetActiveRecBuf();
  if (FState == dsInsert) return Null();
  if (!b || Field->Offset() < 0 || static_cast<size_t>(Field->Offset()) >= b->Values.size()) return Null();
  return b->Slot(static_cast<size_t>(Field->Offset()));
}

Boolean TDataSet::IsEmpty() const { return FActiveRecord >= FRecordCount; }

Boolean TDataSet::BookmarkAvailable() const {
  return FState == dsBrowse && !IsEmpty() ? ActiveBuffer()->Flag == bfCurrent
                                          : (FState == dsEdit && ActiveBuffer()->Flag == bfCurrent);
}

void TDataSet::UpdateBufferCount() {
  if (ComponentState().Contains(csDestroying)) return;
  Integer count = 1;
  for (TDataSource* src : FDataSources)
    for (TDataLink* link : src->FDataLinks)
      if (link->BufferCount() > count) count = link->BufferCount();
  SetBufferCount(count);
}

void TDataSet::SetBufferCount(Integer Value) {
  if (Value < 1) Value = 1;
  if (FBufferCount == Value && static_cast<Integer>(FBuffers.size()) == Value + 1) return;
  auto adjustFirst = [this](Integer Delta) {
    if (Delta == 0) return;
    for (TDataSource* src : FDataSources)
      for (TDataLink* link : src->FDataLinks)
        if (link->Active()) {
          link->FFirstRecord += Delta;
          if (link->FFirstRecord < 0) link->FFirstRecord = 0;
        }
  };
  // Shrinking: keep the active record inside the window.
  if (Value < FBufferCount && FRecordCount > 0) {
    Integer drop = FActiveRecord - (Value - 1);
    if (drop > 0) {
      std::rotate(FBuffers.begin(), FBuffers.begin() + drop, FBuffers.begin() + FRecordCount);
      FRecordCount -= drop;
      FActiveRecord -= drop;
      adjustFirst(-drop);
    }
    if (FRecordCount > Value) FRecordCount = Value;
    CursorPosChanged();
  }
  // One extra buffer at the end takes records being fetched.
  std::vector<std::unique_ptr<TRecordBuffer>> buffers;
  buffers.reserve(static_cast<size_t>(Value) + 1);
  for (Integer i = 0; i <= Value; ++i) {
    if (i < static_cast<Integer>(FBuffers.size()) && i < FRecordCount)
      buffers.push_back(std::move(FBuffers[static_cast<size_t>(i)]));
    else {
      auto b = std::make_unique<TRecordBuffer>();
      b->Clear(static_cast<size_t>(FSlotCount));
      buffers.push_back(std::move(b));
    }
  }
  FBuffers = std::move(buffers);
  FBufferCount = Value;
  if (IsCursorOpen() && FRecordCount > 0 && FRecordCount < FBufferCount) {
    if (IsEditMode(FState)) return;  // the edit buffer stays where it is
    GetNextRecords();
    Integer prior = 0;
    if (FRecordCount < FBufferCount && !FUniDirectional) prior = GetPriorRecords();
    adjustFirst(prior);
  }
}

void TDataSet::SetCurrentRecord(Integer Index) {
  if (FCurrentRecord != Index) {
    TRecordBuffer* b = Buffer(Index);
    switch (b->Flag) {
      case bfCurrent:
      case bfInserted:
        InternalSetToRecord(b);
        break;
      case bfBOF:
        InternalFirst();
        break;
      case bfEOF:
        InternalLast();
        break;
    }
    FCurrentRecord = Index;
  }
}

void TDataSet::UpdateCursorPos() {
  if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

void TDataSet::ClearBuffers() {
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  FBOF = true;
  FEOF = true;
}

void TDataSet::ActivateBuffers() {
  FRecordCount = 1;
  FActiveRecord = 0;
  FCurrentRecord = 0;
  FBOF = false;
  FEOF = false;
}

void TDataSet::MoveBuffer(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  auto b = FBuffers.begin();
  if (CurIndex < NewIndex)
    std::rotate(b + CurIndex, b + CurIndex + 1, b + NewIndex + 1);
  else
    std::rotate(b + NewIndex, b + CurIndex, b + CurIndex + 1);
}

Boolean TDataSet::GetNextRecord() {
  TGetMode mode = gmNext;
  if (FRecordCount > 0) {
    SetCurrentRecord(FRecordCount - 1);
    if (FState == dsInsert && FCurrentRecord == FActiveRecord && ActiveBuffer()->Flag == bfCurrent)
      mode = gmCurrent;
  }
  Boolean ok = GetRecord(Buffer(FRecordCount), mode, true) == grOK;
  if (ok) {
    if (FRecordCount == 0)
      ActivateBuffers();
    else if (FRecordCount < FBufferCount)
      ++FRecordCount;
    else
      MoveBuffer(0, FRecordCount);
    FCurrentRecord = FRecordCount - 1;
  } else {
    CursorPosChanged();
  }
  return ok;
}

Boolean TDataSet::GetPriorRecord() {
  CheckBiDirectional();
  if (FRecordCount > 0) SetCurrentRecord(0);
  Boolean ok = GetRecord(Buffer(FRecordCount), gmPrior, true) == grOK;
  if (ok) {
    if (FRecordCount == 0)
      ActivateBuffers();
    else {
      MoveBuffer(FRecordCount, 0);
      if (FRecordCount < FBufferCount) {
        ++FRecordCount;
        ++FActiveRecord;
      }
    }
    FCurrentRecord = 0;
  } else {
    CursorPosChanged();
  }
  return ok;
}

Integer TDataSet::GetNextRecords() {
  Integer n = 0;
  while (FRecordCount < FBufferCount && GetNextRecord()) ++n;
  return n;
}

Integer TDataSet::GetPriorRecords() {
  Integer n = 0;
  while (FRecordCount < FBufferCount && GetPriorRecord()) ++n;
  return n;
}

void TDataSet::Resync(TResyncMode Mode) {
  TRecordBuffer* scratch = Buffer(FRecordCount);
  if (Mode.Contains(rmExact)) {
    CursorPosChanged();
    if (GetRecord(scratch, gmCurrent, true) != grOK) DatabaseError(SRecordNotFound, this);
  } else if (GetRecord(scratch, gmCurrent, false) != grOK && GetRecord(scratch, gmNext, false) != grOK &&
             GetRecord(scratch, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  Integer count = Mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
  MoveBuffer(FRecordCount, 0);
  ActivateBuffers();
  Finally changed([&] { DataEvent(deDataSetChange, 0); });
  if (!FUniDirectional)
    while (count > 0 && GetPriorRecord()) --count;
  GetNextRecords();
  if (!FUniDirectional) GetPriorRecords();
}

// --- Navigation ---------------------------------------------------------------

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  {
    Finally atFirst([&] {
      FBOF = true;
      DataEvent(deDataSetChange, 0);
    });
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  }
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBiDirectional();
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  {
    Finally atLast([&] {
      FEOF = true;
      DataEvent(deDataSetChange, 0);
    });
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  }
  DoAfterScroll();
}

void TDataSet::Next() { MoveBy(1); }

void TDataSet::Prior() { MoveBy(-1); }

Integer TDataSet::MoveBy(Integer Distance) {
  CheckBrowseMode();
  Integer result = 0;
  DoBeforeScroll();
  if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
    FBOF = false;
    FEOF = false;
    Integer scrollCount = 0;
    {
      Finally scrolled([&] { DataEvent(deDataSetScroll, scrollCount); });
      while (Distance > 0) {
        if (FActiveRecord < FRecordCount - 1)
          ++FActiveRecord;
        else {
          Integer shift = FRecordCount < FBufferCount ? 0 : 1;
          if (GetNextRecord()) {
            scrollCount -= shift;
            FActiveRecord = FRecordCount - 1;
          } else {
            FEOF = true;
            break;
          }
        }
        --Distance;
        ++result;
      }
      while (Distance < 0) {
        if (FActiveRecord > 0)
          --FActiveRecord;
        else {
          Integer shift = FRecordCount < FBufferCount ? 0 : 1;
          if (GetPriorRecord()) {
            scrollCount += shift;
            FActiveRecord = 0;
          } else {
            FBOF = true;
            break;
          }
        }
        ++Distance;
        --result;
      }
    }
    DoAfterScroll();
  }
  return result;
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  Fire(FBeforeRefresh);
  UpdateCursorPos();
  InternalRefresh();
  Resync(TResyncMode());
  Fire(FAfterRefresh);
}

// --- Bookmarks --------------------------------------------------------------------

TBookmark TDataSet::Bookmark() {
  if (!BookmarkAvailable()) return {};
  return ActiveBuffer()->Bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& ABookmark) {
  if (ABookmark.empty()) return;
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(ABookmark);
  Resync(TResyncMode{rmExact, rmCenter});
  DoAfterScroll();
}

// --- Searching --------------------------------------------------------------------

Variant TDataSet::KeyValue(const Variant& KeyValues, size_t Index, size_t Count) {
  if (Count == 1 && !VarIsArray(KeyValues)) return KeyValues;
  if (!VarIsArray(KeyValues)) {
    if (Count == 1) return KeyValues;
    throw EDatabaseError(u"Key values do not match the key fields");
  }
  Integer lo = VarArrayLowBound(KeyValues, 1);
  Integer hi = VarArrayHighBound(KeyValues, 1);
  if (static_cast<Int64>(hi) - lo + 1 < static_cast<Int64>(Count))
    throw EDatabaseError(u"Key values do not match the key fields");
  return KeyValues.GetElement(lo + static_cast<Integer>(Index));
}

Boolean TDataSet::LocateMatch(TField* Field, const Variant& FieldValue, const Variant& KeyValue,
                              TLocateOptions Options) {
  if (VarIsNull(KeyValue) || VarIsEmpty(KeyValue)) return VarIsNull(FieldValue) || VarIsEmpty(FieldValue);
  if (VarIsNull(FieldValue) || VarIsEmpty(FieldValue)) return false;
  TFieldType t = Field->DataType();
  bool textual = t == ftString || t == ftWideString || t == ftFixedChar || t == ftFixedWideChar ||
                 t == ftMemo || t == ftWideMemo || t == ftGuid;
  if (textual) {
    String fv = VarToStr(FieldValue);
    String kv = VarToStr(KeyValue);
    if (Options.Contains(loPartialKey)) fv = fv.substr(0, std::min(fv.size(), kv.size()));
    if (Options.Contains(loCaseInsensitive)) return AnsiCompareText(fv, kv) == 0;
    return fv == kv;
  }
  try {
    return VarCompareValue(FieldValue, Field->ConvertValue(KeyValue)) == vrEqual;
  } catch (const Exception&) {
    return false;
  }
}

Boolean TDataSet::Locate(const String&, const Variant&, TLocateOptions) { return false; }
Variant TDataSet::Lookup(const String&, const Variant&, const String&) { return Null(); }

// --- Editing ------------------------------------------------------------------------

void TDataSet::CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent) {
  for (;;) {
    try {
      UpdateCursorPos();
      (this->*Operation)();
      return;
    } catch (EDatabaseError& E) {
      TDataAction action = daFail;
      if (Assigned(ErrorEvent)) ErrorEvent(this, E, action);
      if (action == daFail) throw;
      if (action == daAbort) throw EAbort(u"");
      // daRetry: once more.
    }
  }
}

void TDataSet::Edit() {
  if (FState == dsEdit || FState == dsInsert) return;
  if (FRecordCount == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  Fire(FBeforeEdit);
  CheckOperation(&TDataSet::InternalEdit, FOnEditError);
  // The old values stay as they are now, whatever happens to the store.
  ActiveBuffer()->LoadAll();
  FOldBuffer = std::make_unique<TRecordBuffer>(*ActiveBuffer());
  GetCalcFields(ActiveBuffer());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  Fire(FAfterEdit);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  Fire(FBeforeInsert);
  DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    UpdateCursorPos();
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(TResyncMode());
    throw;
  }
  FModified = false;
  DataEvent(deDataSetChange, 0);
  Fire(FAfterInsert);
  DoAfterScroll();
}

void TDataSet::DoOnNewRecord() { Fire(FOnNewRecord); }

void TDataSet::Insert() {
  BeginInsertAppend();
  TBookmark current = FRecordCount > 0 ? ActiveBuffer()->Bookmark : TBookmark();
  TBookmarkFlag currentFlag = FRecordCount > 0 ? ActiveBuffer()->Flag : bfBOF;
  MoveBuffer(FRecordCount, FActiveRecord);
  TRecordBuffer* b = ActiveBuffer();
  InitRecord(b);
  if (FRecordCount == 0) {
    b->Flag = bfBOF;
  } else {
    // Inserted before the record that was current.
    b->Bookmark = current;
    b->Flag = currentFlag == bfEOF ? bfEOF : bfInserted;
  }
  if (FRecordCount < FBufferCount) ++FRecordCount;
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer* b = Buffer(0);
  InitRecord(b);
  b->Flag = bfEOF;
  FRecordCount = 1;
  FBOF = false;
  GetPriorRecords();
  InternalLast();
  EndInsertAppend();
}

void TDataSet::FreeFieldBuffers() { FOldBuffer.reset(); }

void TDataSet::UpdateRecord() {
  if (!IsEditMode(FState)) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::Post() {
  UpdateRecord();
  if (FState == dsEdit || FState == dsInsert) {
    const Boolean WasEndingEdit = FEndingEdit;
    FEndingEdit = true;
    Finally Clear([&] { FEndingEdit = WasEndingEdit; });
    DataEvent(deCheckBrowseMode, 0);
    Fire(FBeforePost);
    CheckOperation(&TDataSet::InternalPost, FOnPostError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    FEndingEdit = WasEndingEdit;
    Resync(TResyncMode());
    Fire(FAfterPost);
  }
}

void TDataSet::Cancel() {
  if (FState == dsEdit || FState == dsInsert) {
    const Boolean WasEndingEdit = FEndingEdit;
    FEndingEdit = true;
    Finally Clear([&] { FEndingEdit = WasEndingEdit; });
    DataEvent(deCheckBrowseMode, 0);
    Fire(FBeforeCancel);
    Boolean wasInsert = FState == dsInsert;
    if (!wasInsert) UpdateCursorPos();
    InternalCancel();
    FreeFieldBuffers();
    SetState(dsBrowse);
    FEndingEdit = WasEndingEdit;
    if (wasInsert) CursorPosChanged();
    Resync(TResyncMode());
    Fire(FAfterCancel);
  }
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert || FState == dsSetKey) {
    Cancel();
    return;
  }
  if (FRecordCount == 0) DatabaseError(SDataSetEmpty, this);
  DataEvent(deCheckBrowseMode, 0);
  Fire(FBeforeDelete);
  DoBeforeScroll();
  CheckOperation(&TDataSet::InternalDelete, FOnDeleteError);
  FreeFieldBuffers();
  SetState(dsBrowse);
  Resync(TResyncMode());
  Fire(FAfterDelete);
  DoAfterScroll();
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (FState) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (FModified)
        Post();
      else
        Cancel();
      break;
    case dsSetKey:
      Post();
      break;
    default:
      break;
  }
}

void TDataSet::ClearFields() {
  if (!IsEditMode(FState)) DatabaseError(SNotEditing, this);
  TRecordBuffer* b = ActiveBuffer();
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (f->FieldKind() == fkData && f->Offset() >= 0) b->Values[static_cast<size_t>(f->Offset())] = Null();
  }
  GetCalcFields(b);
  DataEvent(deRecordChange, 0);
}

// --- Calculated and lookup fields ------------------------------------------------------

void TDataSet::ClearCalcFields(TRecordBuffer* Buffer) {
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (!f->IsDataField() && f->Offset() >= 0 && static_cast<size_t>(f->Offset()) < Buffer->Values.size())
      Buffer->Values[static_cast<size_t>(f->Offset())] = Null();
  }
}

void TDataSet::CalcLookupValue(TField* Field) {
  TDataSet* lookup = Field->LookupDataSet();
  if (!lookup || !lookup->Active() || Field->KeyFields().empty() || Field->LookupKeyFields().empty() ||
      Field->LookupResultField().empty())
    return;
  Variant keys = FieldValues(Field->KeyFields());
  Variant v = lookup->Lookup(Field->LookupKeyFields(), keys, Field->LookupResultField());
  FTempBuffer->Values[static_cast<size_t>(Field->Offset())] = VarIsEmpty(v) ? Null() : v;
}

void TDataSet::CalculateFields(TRecordBuffer* Buffer) {
  for (Integer i = 0; i < FFields->Count(); ++i) {
    TField* f = FFields->Fields(i);
    if (f->FieldKind() == fkLookup) CalcLookupValue(f);
  }
  Fire(FOnCalcFields);
}

void TDataSet::GetCalcFields(TRecordBuffer* Buffer) {
  if (FCalcFieldCount == 0 || FCalcFieldsActive) return;
  const TDataSetState savedState = FState;
  TRecordBuffer* savedBuffer = FTempBuffer;
  Finally restore([&] { RestoreState(savedState, savedBuffer); });
  FCalcFieldsActive = true;
  Finally done([&] { FCalcFieldsActive = false; });
  SetTempState(dsCalcFields, Buffer);
  ClearCalcFields(Buffer);
  CalculateFields(Buffer);
}

void TDataSet::UpdateCalcFields() {
  if (FState != dsSetKey && FAutoCalcFields && FCalcFieldCount > 0 && ActiveBuffer())
    GetCalcFields(ActiveBuffer());
}

// --- Filters -----------------------------------------------------------------------

void TDataSet::SetFilterText(const String& Value) { FFilterText = Value; }
void TDataSet::SetFilteredValue(Boolean Value) { FFiltered = Value; }
void TDataSet::SetFilterOptionsValue(TFilterOptions Value) { FFilterOptions = Value; }
void TDataSet::SetOnFilterRecordValue(const TFilterRecordEvent& Value) { FOnFilterRecord = Value; }

Boolean TDataSet::RecordFilter(TRecordBuffer* Buffer) {
  if (!FFiltered) return true;
  const TDataSetState savedState = FState;
  TRecordBuffer* savedBuffer = FTempBuffer;
  Finally restore([&] { RestoreState(savedState, savedBuffer); });
  SetTempState(dsFilter, Buffer);
  Boolean accept = true;
  if (Assigned(FOnFilterRecord)) FOnFilterRecord(this, accept);
  if (accept) accept = FilterExpressionAccepts();
  return accept;
}

// --- Notifications --------------------------------------------------------------

void TDataSet::DisableControls() {
  if (FDisableCount == 0) {
    FDisableState = FState;
    FEnableEvent = deDataSetChange;
    for (size_t i = 0; i < FDataSources.size(); ++i) FDataSources[i]->DataEvent(deDisabledStateChange, 1);
  }
  ++FDisableCount;
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  --FDisableCount;
  if (FDisableCount == 0) {
    for (size_t i = 0; i < FDataSources.size(); ++i) FDataSources[i]->DataEvent(deDisabledStateChange, 0);
    if (FDisableState != FState) DataEvent(deUpdateState, 0);
    if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent, 0);
  }
}

void TDataSet::DataEvent(TDataEvent Event, NativeInt Info) {
  switch (Event) {
    case deFieldChange: {
      TField* f = reinterpret_cast<TField*>(Info);
      if (f->IsDataField()) SetModified(true);
      UpdateCalcFields();
      break;
    }
    case dePropertyChange:
      FFieldDefs->SetUpdated(false);
      break;
    default:
      break;
  }
  // The closing notice gets through disabled controls too: a close inside a
  // DisableControls bracket (a query reopened for new parameters) must not
  // drop a value a view holds typed.
  const Boolean closing = Event == deCheckBrowseMode && Info == 1;
  Boolean notify = (FDisableCount == 0 || closing) && FState != dsBlockRead;
  if (notify) {
    // A source may leave the list while it is notified.
    std::vector<TDataSource*> sources = FDataSources;
    for (TDataSource* src : sources)
      if (std::find(FDataSources.begin(), FDataSources.end(), src) != FDataSources.end())
        src->DataEvent(Event, Info);
  } else if ((Event == deUpdateState && FState == dsInactive) || Event == deLayoutChange) {
    FEnableEvent = deLayoutChange;
  }
  if (Event == deFieldChange) reinterpret_cast<TField*>(Info)->Change();
}

void TDataSet::AddDataSource(TDataSource* DataSource) {
  FDataSources.push_back(DataSource);
  DataSource->FDataSet = this;
  UpdateBufferCount();
  DataSource->UpdateState();
}

void TDataSet::RemoveDataSource(TDataSource* DataSource) {
  DataSource->FDataSet = nullptr;
  FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), DataSource), FDataSources.end());
  DataSource->UpdateState();
  UpdateBufferCount();
}
