// The data controller, its summaries, provider, custom data source and
// incremental search.
#include "lib/data/vlDataController.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "lib/data/vlDataConsts.h"
#include "lib/data/vlDataControllerKeys.h"
#include "lib/data/vlDataUtils.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TvlUpdateControlInfo)
CL_IMPLEMENT_CLASS(TvlDataChangedInfo)
CL_IMPLEMENT_CLASS(TvlLayoutChangedInfo)
CL_IMPLEMENT_CLASS(TvlUpdateRecordInfo)
CL_IMPLEMENT_CLASS(TvlFocusedRowChangedInfo)
CL_IMPLEMENT_CLASS(TvlFocusedRecordChangedInfo)
CL_IMPLEMENT_CLASS(TvlSelectionChangedInfo)
CL_IMPLEMENT_CLASS(TvlSearchChangedInfo)
CL_IMPLEMENT_CLASS(TvlBookmarkChangedInfo)
CL_IMPLEMENT_CLASS(TvlGroupingChangingInfo)
CL_IMPLEMENT_CLASS(TvlDataSummaryItem)
CL_IMPLEMENT_CLASS(TvlDataSummaryItems)
CL_IMPLEMENT_CLASS(TvlDataSummary)
CL_IMPLEMENT_CLASS(TvlCustomDataSource)
CL_IMPLEMENT_CLASS(TvlCustomDataProvider)
CL_IMPLEMENT_CLASS(TvlDataControllerSearch)
CL_IMPLEMENT_CLASS(TvlCustomDataController)
CL_IMPLEMENT_CLASS(TvlDataControllerGroups)

namespace {

[[noreturn]] void DataError(const TResStringRec& AMessage) {
  throw EvlInvalidDataControllerOperation(LoadResString(AMessage));
}

const AnsiString kStreamSignature = "DataController1";

}  // namespace

void TvlSelectionChangedInfo::CreateEx(Integer ARowIndex1, Integer ARowIndex2) {
  if (ARowIndex1 != -1) FRowIndexes.push_back(ARowIndex1);
  if (ARowIndex2 != -1 && ARowIndex2 != ARowIndex1) FRowIndexes.push_back(ARowIndex2);
}

// --- Summary items -------------------------------------------------------------------

void TvlDataSummaryItem::Create(TvlDataSummaryItems* AItems) {
  FItems = AItems;
  FItems->FItems.push_back(this);
}

Integer TvlDataSummaryItem::Index() const { return FItems->IndexOf(this); }

void TvlDataSummaryItem::SetField(TvlCustomDataField* Value) {
  if (FField == Value) return;
  FField = Value;
  FItems->Update(false);
}

void TvlDataSummaryItem::SetKind(TvlSummaryKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  FItems->Update(false);
}

void TvlDataSummaryItem::SetFormat(const String& Value) {
  FFormat = Value;
  FItems->Update(true);
}

TvlSummaryPosition TvlDataSummaryItem::Position() const { return FItems->IsFooter() ? spFooter : FPosition; }

void TvlDataSummaryItem::SetPosition(TvlSummaryPosition Value) {
  if (Position() == Value) return;
  FPosition = Value;
  FItems->Update(true);
}

void TvlDataSummaryItem::SetSorted(Boolean Value) {
  TvlCustomDataController* DC = FItems->Summary()->DataController();
  if (FSorted == Value || DC->SortingBySummaryDataItemIndex() != -1) return;
  // One sorted item per collection.
  if (Value)
    for (TvlDataSummaryItem* I : FItems->FItems) I->FSorted = false;
  FSorted = Value;
  if (!DC->IsOwnerDestroying()) {
    DC->SortingBySummaryChangedFlag = true;
    DC->Change(dccSorting);
  }
  FItems->Update(false);
}

Boolean TvlDataSummaryItem::IsCalculated() { return FField != nullptr || FKind == skCount; }

String TvlDataSummaryItem::FormatValue(const Variant& AValue, Boolean AIsFooter) {
  if (VarIsNull(AValue)) return u"";
  if (FKind == skNone) return VarToStr(AValue);
  enum { vtFloat, vtCurrency, vtDate };
  Integer ValueType = vlIsCurrencyVarType(VarType(AValue)) ? vtCurrency : (vlVarIsDateTime(AValue) ? vtDate : vtFloat);
  String Fmt = FFormat.empty() ? FItems->DefaultFormat(ValueType, FKind, AIsFooter) : FFormat;
  if (ValueType == vtDate && FKind != skCount) {
    TDateTime D = VarToDateTime(AValue);
    String Text;
    if (std::trunc(D) == D)
      Text = DateToStr(D);
    else if (std::trunc(D) == 0)
      Text = TimeToStr(D);
    else
      Text = DateTimeToStr(D);
    return Fmt + Text;
  }
  if (VarIsEmpty(AValue)) return FormatFloat(Fmt, 0);
  return FormatFloat(Fmt, AValue.AsDouble());
}

void TvlDataSummaryItems::Create(TvlDataSummary* ASummary, Boolean AIsFooter) {
  FSummary = ASummary;
  FIsFooter = AIsFooter;
}

void TvlDataSummaryItems::Destroy() {
  for (TvlDataSummaryItem* I : FItems) Free(I);
  FItems.clear();
  inherited::Destroy();
}

TvlDataSummaryItem* TvlDataSummaryItems::Add() {
  TvlDataSummaryItem* Item =
      CreateFrom(FSummary->DataController()->GetSummaryItemClass(), &TvlDataSummaryItem::Create, this);
  Update(false);
  return Item;
}

TvlDataSummaryItem* TvlDataSummaryItems::Add(TvlCustomDataField* AField, TvlSummaryPosition APosition,
                                             TvlSummaryKind AKind, const String& AFormat) {
  FSummary->BeginUpdate();
  Finally End([&] { FSummary->EndUpdate(); });
  TvlDataSummaryItem* Item = Add();
  Item->SetField(AField);
  Item->SetPosition(APosition);
  Item->SetKind(AKind);
  Item->SetFormat(AFormat);
  return Item;
}

void TvlDataSummaryItems::Delete(Integer AIndex) {
  TvlDataSummaryItem* Item = FItems[AIndex];
  FItems.erase(FItems.begin() + AIndex);
  Free(Item);
  Update(false);
}

void TvlDataSummaryItems::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

Integer TvlDataSummaryItems::IndexOf(const TvlDataSummaryItem* AItem) const {
  auto It = std::find(FItems.begin(), FItems.end(), AItem);
  return It == FItems.end() ? -1 : static_cast<Integer>(It - FItems.begin());
}

TvlDataSummaryItem* TvlDataSummaryItems::SortedSummaryItem() const {
  if (FIsFooter) return nullptr;
  Integer Forced = FSummary->DataController()->SortingBySummaryDataItemIndex();
  if (Forced != -1) {
    TvlCustomDataField* F = FSummary->DataController()->GetItemField(Forced);
    for (TvlDataSummaryItem* I : FItems)
      if (I->Field() == F) return I;
    return nullptr;
  }
  for (TvlDataSummaryItem* I : FItems)
    if (I->Sorted()) return I;
  return nullptr;
}

String TvlDataSummaryItems::DefaultFormat(Integer AValueType, TvlSummaryKind AKind, Boolean AIsFooter) const {
  static const char16_t* const kNames[] = {u"", u"SUM=", u"MIN=", u"MAX=", u"COUNT=", u"AVG="};
  if (AKind == skNone) return u"";
  if (AKind == skCount) return AIsFooter ? u"0" : u"COUNT=0";
  String Name = (AKind == skSum && AIsFooter) ? String() : String(kNames[AKind]);
  if (AValueType == 2) return Name;  // date
  if (AValueType == 1) {             // currency
    String C = vlGetCurrencyDisplayFormat();
    return Name + C + u";" + Name + u"-" + C;
  }
  return Name + u"0.00;" + Name + u"-0.00";
}

String TvlDataSummaryItems::GetGroupText(const Variant& ASummaryValues) {
  String Result;
  for (Integer I = 0; I < Count(); ++I) {
    TvlDataSummaryItem* Item = FItems[I];
    if (Item->Position() != spGroup) continue;
    Variant V = VarIsArray(ASummaryValues) && I <= VarArrayHighBound(ASummaryValues, 1) ? ASummaryValues[I] : Null();
    String Text = Item->FormatValue(V, false);
    if (!Result.empty()) Result += Separator + u" ";
    Result += Text;
  }
  if (!Result.empty()) Result = BeginText + Result + EndText;
  return Result;
}

void TvlDataSummaryItems::RemoveField(TvlCustomDataField* AField) {
  for (TvlDataSummaryItem* I : FItems)
    if (I->Field() == AField) I->SetField(nullptr);
}

void TvlDataSummaryItems::Update(Boolean ARedrawOnly) { FSummary->Changed(ARedrawOnly); }

// --- Summary ---------------------------------------------------------------------------

void TvlDataSummary::Create(TvlCustomDataController* ADataController) {
  FDataController = ADataController;
  FDefaultGroupSummaryItems = New<TvlDataSummaryItems>(this, false);
  FFooterSummaryItems = New<TvlDataSummaryItems>(this, true);
  // Null values are left out of sums, averages and counts of a field unless
  // the option is cleared.
  FOptions = soNullIgnore;
}

void TvlDataSummary::Destroy() {
  FDestroying = true;
  Free(FDefaultGroupSummaryItems);
  Free(FFooterSummaryItems);
  inherited::Destroy();
}

void TvlDataSummary::BeginUpdate() {
  FDataController->BeginUpdate();
  ++FLockCount;
}

void TvlDataSummary::EndUpdate() {
  --FLockCount;
  Finally End([&] { FDataController->EndUpdate(); });
  Changed(false);
}

void TvlDataSummary::Changed(Boolean ARedrawOnly) {
  if (FInAfterSummary || FLockCount > 0 || FDestroying) return;
  FDataController->DataControllerInfo()->RefreshSummary(ARedrawOnly);
}

void TvlDataSummary::SetOptions(Byte Value) {
  if (Value == FOptions) return;
  const Byte Both = soSelectedRecords | soMultipleSelectedRecords;
  if ((Value & Both) == Both) {
    Byte Added = Value & ~FOptions & Both;
    Value &= ~Both;
    Value |= (Added == soSelectedRecords) ? soSelectedRecords : soMultipleSelectedRecords;
  }
  FOptions = Value;
  Changed(false);
}

void TvlDataSummary::BeginCalculate() { CalculateFooterSummary(); }

void TvlDataSummary::EndCalculate() {
  CalculateGroupSummary();
  DoAfterSummary();
}

void TvlDataSummary::Calculate() {
  BeginCalculate();
  EndCalculate();
}

struct TvlDataSummary::TAccumulators {
  struct TFloat {
    TvlValueDef* Def{};
    Double Acc{};
    Byte State{};  // 0 nothing yet, 1 the integer 0 (a first Null), 2 Acc
  };
  std::vector<Variant> Values;
  std::vector<Integer> Counts;
  std::vector<TFloat> Floats;
  // Per float item: the values and null flags of every record, read once in
  // storage order (the records are then visited in display order).
  std::vector<std::vector<Double>> Columns;
  std::vector<std::vector<Byte>> Nulls;
  TvlDataSummaryItems* PreparedItems{};
};

Integer TvlDataSummary::GetRecordIndex(Integer ARecordListIndex) {
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  Integer R = Info->GetInternalRecordIndex(ARecordListIndex);
  Boolean BySelection = (FOptions & soSelectedRecords) ||
                        ((FOptions & soMultipleSelectedRecords) && FDataController->GetSelectedCount() > 1);
  if (!BySelection) return R;
  if (!FDataController->MultiSelect()) return R == FDataController->FocusedRecordIndex() ? R : -1;
  return Info->Selection()->IsRecordSelected(R) ? R : -1;
}

void TvlDataSummary::InitValues(TvlDataSummaryItems* AItems, TAccumulators& A) {
  const Integer N = AItems->Count();
  A.Values.assign(N, Variant());
  A.Counts.assign(N, 0);
  A.Floats.assign(N, {});
  if (FDataController->IsProviderMode()) return;
  const Boolean Prepare = A.PreparedItems != AItems;
  if (Prepare) {
    A.PreparedItems = AItems;
    A.Columns.assign(N, {});
    A.Nulls.assign(N, {});
  }
  TvlDataStorage* S = FDataController->DataStorage();
  const Integer Records = S->RecordCount();
  for (Integer I = 0; I < N; ++I) {
    TvlDataSummaryItem* Item = AItems->Items(I);
    TvlSummaryKind K = Item->Kind();
    if (!Item->Field() || !Item->Field()->ValueDef() || K == skNone || K == skCount ||
        Item->Field()->ValueTypeClass() != ClassOf<TvlFloatValueType>())
      continue;
    A.Floats[I].Def = Item->Field()->ValueDef();
    if (!Prepare) continue;
    A.Columns[I].resize(Records);
    A.Nulls[I].resize(Records);
    for (Integer R = 0; R < Records; ++R) {
      const void* Slot;
      A.Nulls[I][R] = S->GetCompareInfo(R, A.Floats[I].Def, Slot);
      if (!A.Nulls[I][R]) std::memcpy(&A.Columns[I][R], Slot, sizeof(Double));
    }
  }
}

void TvlDataSummary::AccumulateRecords(TvlDataSummaryItems* AItems, Integer AFirst, Integer ALast,
                                       TAccumulators& A) {
  const Integer N = AItems->Count();
  const Boolean NullIgnore = FOptions & soNullIgnore;
  const Boolean BySelection = FOptions & (soSelectedRecords | soMultipleSelectedRecords);
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  for (Integer P = AFirst; P <= ALast; ++P) {
    Integer R = BySelection ? GetRecordIndex(P) : Info->GetInternalRecordIndex(P);
    if (R == -1) continue;
    for (Integer I = 0; I < N; ++I) {
      TvlDataSummaryItem* Item = AItems->Items(I);
      if (!Item->IsCalculated() || Item->Kind() == skNone) continue;
      // A count without a field counts the records.
      if (!Item->Field()) {
        ++A.Counts[I];
        continue;
      }
      const TvlSummaryKind K = Item->Kind();
      if (TAccumulators::TFloat& F = A.Floats[I]; F.Def && R >= 0 && R < static_cast<Integer>(A.Nulls[I].size())) {
        const Boolean IsNull = A.Nulls[I][R];
        if (NullIgnore && IsNull) continue;
        const Double V = IsNull ? 0 : A.Columns[I][R];
        if (F.State == 0) {
          if (!(IsNull && (K == skMin || K == skMax))) {
            F.State = IsNull ? 1 : 2;
            F.Acc = V;
          }
        } else if (!IsNull) {
          if (K == skSum || K == skAverage)
            F.Acc = F.State == 1 ? V : F.Acc + V;
          else if ((K == skMin && V < F.Acc) || (K == skMax && V > F.Acc))
            F.Acc = V;
          F.State = 2;
        }
        ++A.Counts[I];
        continue;
      }
      Variant V = FDataController->GetValue(R, Item->Field());
      const Boolean IsNull = VarIsNull(V);
      if (NullIgnore && IsNull) continue;
      Variant& Acc = A.Values[I];
      if (VarIsEmpty(Acc)) {
        if (K != skCount && !(IsNull && (K == skMin || K == skMax))) Acc = (IsNull ? Variant(0) : V);
      } else if (!IsNull && !VarIsNull(Acc)) {
        if (K == skSum || K == skAverage)
          Acc = Acc + V;
        else if (K == skMin && vlCompareVariants(V, Acc) < 0)
          Acc = V;
        else if (K == skMax && vlCompareVariants(V, Acc) > 0)
          Acc = V;
      }
      ++A.Counts[I];
    }
  }
}

Variant TvlDataSummary::FinishValues(TvlDataSummaryItems* AItems, TAccumulators& A) {
  const Integer N = AItems->Count();
  if (N == 0) return Null();
  Variant Result = VarArrayCreate({0, N - 1}, varVariant);
  for (Integer I = 0; I < N; ++I) {
    TvlDataSummaryItem* Item = AItems->Items(I);
    const TAccumulators::TFloat& F = A.Floats[I];
    Variant V = F.Def ? (F.State == 0 ? Variant() : (F.State == 1 ? Variant(0) : Variant(F.Acc))) : A.Values[I];
    if (Item->IsCalculated()) {
      if (Item->Kind() == skCount) {
        V = A.Counts[I];
      } else if (VarIsEmpty(V)) {
        V = Null();
      } else if (Item->Kind() == skAverage && A.Counts[I] > 0 && !VarIsNull(V)) {
        Boolean IsDate = vlVarIsDateTime(V);
        V = V.AsDouble() / A.Counts[I];
        if (IsDate) V = VarFromDateTime(V.AsDouble());
      }
    }
    VarArrayPut(Result, V, {I});
  }
  return Result;
}

void TvlDataSummary::CalculateFooterSummary() {
  TAccumulators A;
  InitValues(FFooterSummaryItems, A);
  if (!FDataController->IsGridMode())
    AccumulateRecords(FFooterSummaryItems, 0, FDataController->DataControllerInfo()->RecordListCount() - 1, A);
  FFooterSummaryValues = FinishValues(FFooterSummaryItems, A);
}

void TvlDataSummary::CalculateGroupSummary() {
  TvlDataGroups* Groups = FDataController->DataControllerInfo()->DataGroups();
  const Integer Deepest = Groups->LevelCount() - 1;
  TAccumulators A;
  for (Integer L = 0; L <= Deepest; ++L) {
    TvlDataSummaryItems* Items = GetGroupSummaryItemsByLevel(L);
    Integer Current = -1;
    for (Integer I = 0; I < Groups->Count(); ++I) {
      TvlDataGroupInfo* G = Groups->Items(I);
      if (G->Level == L) {
        if (Current >= 0) Groups->Items(Current)->SummaryValues = FinishValues(Items, A);
        InitValues(Items, A);
        Current = I;
      }
      if (G->Level == Deepest && Current >= 0)
        AccumulateRecords(Items, G->BeginRecordListIndex, G->EndRecordListIndex, A);
    }
    if (Current >= 0) Groups->Items(Current)->SummaryValues = FinishValues(Items, A);
  }
}

void TvlDataSummary::DoAfterSummary() {
  if (!Assigned(FOnAfterSummary)) return;
  if (FDataController->IsOwnerLoading()) {
    FDataController->AfterSummaryFlag = true;
    return;
  }
  FDataController->AfterSummaryFlag = false;
  if (FDataController->IsPattern()) return;
  FInAfterSummary = true;
  Finally Clear([&] { FInAfterSummary = false; });
  FOnAfterSummary(this);
}

Variant TvlDataSummary::FooterSummaryValues(Integer AIndex) const {
  if (!VarIsArray(FFooterSummaryValues) || AIndex < 0 || AIndex > VarArrayHighBound(FFooterSummaryValues, 1))
    return Null();
  return FFooterSummaryValues[AIndex];
}

String TvlDataSummary::FooterSummaryTexts(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= FFooterSummaryItems->Count()) return u"";
  return FFooterSummaryItems->Items(AIndex)->FormatValue(FooterSummaryValues(AIndex), true);
}

TvlDataSummaryItems* TvlDataSummary::GetGroupSummaryItemsByLevel(Integer ALevel) const {
  if (ALevel < 0 || ALevel >= FDataController->DataControllerInfo()->GroupingFieldList()->Count()) return nullptr;
  return FDefaultGroupSummaryItems;
}

Boolean TvlDataSummary::GetGroupSummaryInfo(Integer ARowIndex, TvlDataSummaryItems*& AItems, Variant*& AValues) {
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  AItems = nullptr;
  AValues = nullptr;
  if (!Info->IsGrouped()) return false;
  Integer G = Info->DataGroups()->GetIndexByRowIndex(ARowIndex);
  if (G < 0) return false;
  AItems = GetGroupSummaryItemsByLevel(Info->DataGroups()->Items(G)->Level);
  AValues = &Info->DataGroups()->Items(G)->SummaryValues;
  return AItems && !VarIsEmpty(*AValues);
}

String TvlDataSummary::GroupSummaryText(Integer ARowIndex) {
  TvlDataSummaryItems* Items;
  Variant* Values;
  if (!GetGroupSummaryInfo(ARowIndex, Items, Values)) return u"";
  return Items->GetGroupText(*Values);
}

void TvlDataSummary::RemoveItemByField(TvlCustomDataField* AField) {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FFooterSummaryItems->RemoveField(AField);
  FDefaultGroupSummaryItems->RemoveField(AField);
}

// --- Custom data source --------------------------------------------------------------

TvlCustomDataSource::TRecordHandle TvlCustomDataSource::AppendRecord() { return -1; }
void TvlCustomDataSource::DeleteRecord(TRecordHandle) {}
String TvlCustomDataSource::GetDisplayText(TRecordHandle AHandle, Integer AItemHandle) {
  try {
    return VarToStr(GetValue(AHandle, AItemHandle));
  } catch (const EVariantError&) {
    return u"";
  }
}
Integer TvlCustomDataSource::GetItemHandle(Integer AItemIndex) { return AItemIndex; }
Integer TvlCustomDataSource::GetRecordCount() { return 0; }
Variant TvlCustomDataSource::GetRecordId(TRecordHandle) { return Null(); }
TvlCustomDataSource::TRecordHandle TvlCustomDataSource::GetRecordHandle(Integer ARecordIndex) { return ARecordIndex; }
Variant TvlCustomDataSource::GetValue(TRecordHandle, Integer) { return Null(); }
TvlCustomDataSource::TRecordHandle TvlCustomDataSource::InsertRecord(TRecordHandle) { return AppendRecord(); }
void TvlCustomDataSource::SetRecordCount(Integer) {}
void TvlCustomDataSource::SetValue(TRecordHandle, Integer, const Variant&) {}

void TvlCustomDataSource::Destroy() {
  if (FProvider) FProvider->SetCustomDataSource(nullptr);
  inherited::Destroy();
}

TvlCustomDataController* TvlCustomDataSource::DataController() const {
  return FProvider ? FProvider->DataController() : nullptr;
}

void TvlCustomDataSource::DataChanged() {
  if (!FProvider) return;
  TvlCustomDataController* DC = FProvider->DataController();
  DC->BeginFullUpdate();
  Finally End([&] { DC->EndFullUpdate(); });
  FProvider->DataChanged(dcTotal, -1, -1);
}

void TvlCustomDataSource::LoadRecordHandles() {
  TvlCustomDataController* DC = DataController();
  TvlCustomDataField* F = DC->RecordHandlesField();
  DC->DataStorage()->Clear(FProvider->LockCount() > 0);
  Integer N = std::max(0, GetRecordCount());
  DC->DataStorage()->SetRecordCount(N);
  if (!F) return;
  for (Integer I = 0; I < N; ++I)
    DC->DataStorage()->SetValue(I, F->ValueDef(), static_cast<Int64>(GetRecordHandle(I)));
}

TvlCustomDataSource::TRecordHandle TvlCustomDataSource::GetRecordHandleByIndex(Integer ARecordIndex) {
  TvlCustomDataController* DC = DataController();
  TvlCustomDataField* F = DC->RecordHandlesField();
  if (!F) return -1;
  Variant V = DC->DataStorage()->GetValue(ARecordIndex, F->ValueDef());
  return VarIsNull(V) ? -1 : static_cast<TRecordHandle>(V.AsInt64());
}

Integer TvlCustomDataSource::GetRecordIndexByHandle(TRecordHandle AHandle) {
  TvlCustomDataController* DC = DataController();
  for (Integer I = 0; I < DC->RecordCount(); ++I)
    if (GetRecordHandleByIndex(I) == AHandle) return I;
  return -1;
}

Integer TvlCustomDataSource::AppendHandleRecord(TRecordHandle AHandle) {
  TvlCustomDataController* DC = DataController();
  Integer R = DC->DataStorage()->AppendRecord();
  if (TvlCustomDataField* F = DC->RecordHandlesField())
    DC->DataStorage()->SetValue(R, F->ValueDef(), static_cast<Int64>(AHandle));
  return R;
}

// --- Provider --------------------------------------------------------------------------

void TvlCustomDataProvider::Create(TvlCustomDataController* ADataController) { FDataController = ADataController; }

void TvlCustomDataProvider::Destroy() {
  DiscardSavedRecord();
  if (FCustomDataSource) FCustomDataSource->FProvider = nullptr;
  inherited::Destroy();
}

Boolean TvlCustomDataProvider::DeleteAllowed() { return FDataController->FilteredRecordCount() > 0; }

void TvlCustomDataProvider::SetCustomDataSource(TvlCustomDataSource* ADataSource) {
  if (FCustomDataSource == ADataSource) return;
  if (FCustomDataSource) FCustomDataSource->FProvider = nullptr;
  FCustomDataSource = ADataSource;
  if (ADataSource) {
    if (ADataSource->FProvider) ADataSource->FProvider->SetCustomDataSource(nullptr);
    ADataSource->FProvider = this;
  }
  FDataController->RebuildData();
}

void TvlCustomDataProvider::SaveEditedRecord(Integer ARecordIndex) {
  TvlDataStorage* S = FDataController->DataStorage();
  if (FSavedRecordIndex == 0) FSavedRecordIndex = S->AddInternalRecord();
  FDataController->CopyRecordValues(ARecordIndex, FSavedRecordIndex);
}

void TvlCustomDataProvider::DiscardSavedRecord() {
  if (FSavedRecordIndex == 0) return;
  Integer R = FSavedRecordIndex;
  FSavedRecordIndex = 0;
  if (!FDataController->DataStorage()->Destroying()) FDataController->DataStorage()->DeleteRecord(R);
}

void TvlCustomDataProvider::ResetEditing() {
  FEditingRecordIndex = FEditingRecordIndex1 = FEditingRecordIndex2 = vlNoEditingRecordIndex;
  FInserting = false;
  EndChange();
  ResetModified();
  DiscardSavedRecord();
}

void TvlCustomDataProvider::DoEdit() {
  if (IsEditing()) return;
  TvlCustomDataController* DC = FDataController;
  FEditingRecordIndex = DC->GetActiveRecordIndex();
  if (FEditingRecordIndex == vlNoEditingRecordIndex) return;
  FEditingRecordIndex1 = FEditingRecordIndex2 = vlNoEditingRecordIndex;
  Integer Row = DC->FocusedRowIndex();
  if (Row >= 0) {
    if (Row < DC->GetRowCount() - 1)
      FEditingRecordIndex2 = DC->GetRowInfo(Row + 1).RecordIndex;
    else
      FEditingRecordIndex1 = DC->GetRowInfo(Row > 0 ? Row - 1 : Row).RecordIndex;
  }
  if (FEditingRecordIndex >= 0) SaveEditedRecord(FEditingRecordIndex);
  DC->Change(dccUpdateRecord);
}

void TvlCustomDataProvider::AssignGroupingValues(Integer ARecordIndex, const std::vector<Variant>& AValues) {
  TvlCustomDataController* DC = FDataController;
  if (DC->Options() & dcoAssignGroupingValues) {
    TvlGroupingFieldList* G = DC->DataControllerInfo()->GroupingFieldList();
    for (Integer L = 0; L < G->Count() && L < static_cast<Integer>(AValues.size()); ++L)
      if (G->Items(L).Field->ValueDef())
        DC->DataStorage()->SetValue(ARecordIndex, G->Items(L).Field->ValueDef(), AValues[L]);
  }
  DC->DoNewRecord(ARecordIndex);
}

void TvlCustomDataProvider::DoInsert(Boolean AAppend) {
  TvlCustomDataController* DC = FDataController;
  if (IsInserting() && !FChanging && !FModified) return;
  if (IsEditing() && (FChanging || FModified)) Post(false);
  Integer NewRecord;
  {
    DC->BeginUpdate();
    Finally End([&] { DC->EndUpdate(); });
    std::vector<Variant> GroupValues;
    TvlGroupingFieldList* G = DC->DataControllerInfo()->GroupingFieldList();
    auto TakeGroupValues = [&](Integer R) {
      GroupValues.assign(G->Count(), Null());
      if (R < 0 || R >= DC->RecordCount()) return;
      for (Integer L = 0; L < G->Count(); ++L) GroupValues[L] = DC->GetValue(R, G->Items(L).Field);
    };
    if (IsEditing()) ResetEditing();
    if (AAppend) {
      Integer Rows = DC->GetRowCount();
      Integer Last = Rows > 0 ? DC->GetRowInfo(Rows - 1).RecordIndex : -1;
      TakeGroupValues(Last);
      NewRecord = DC->DataStorage()->AppendRecord();
      FEditingRecordIndex1 = Last >= 0 ? Last : NewRecord;
    } else {
      DC->ClearSelection();
      Integer Focused = DC->FocusedRecordIndex();
      Integer Before = Focused >= 0 ? Focused : 0;
      TakeGroupValues(Focused);
      NewRecord = std::min(Before, DC->RecordCount());
      DC->DataStorage()->InsertRecord(NewRecord);
      DC->RecordInserted(NewRecord);
      FEditingRecordIndex2 = Before + 1;
      if (FEditingRecordIndex2 >= DC->RecordCount()) {
        FEditingRecordIndex2 = vlNoEditingRecordIndex;
        FEditingRecordIndex1 = NewRecord;
      }
    }
    FEditingRecordIndex = NewRecord;
    AssignGroupingValues(NewRecord, GroupValues);
    EndChange();
    FInserting = true;
    DC->DataControllerInfo()->Refresh();
  }
  DC->ChangeFocusedRecordIndex(NewRecord);
  DC->DoAfterInsert();
}

void TvlCustomDataProvider::Post(Boolean AForcePost) {
  TvlCustomDataController* DC = FDataController;
  if (!IsEditing()) return;
  Integer Posted = -1;
  Boolean RealPost = false;
  {
    DC->BeginFullUpdate();
    Finally End([&] { DC->EndFullUpdate(); });
    if (!FInserting || FModified || AForcePost) {
      DC->DoBeforePost();
      Posted = FEditingRecordIndex;
      ResetEditing();
      RealPost = true;
    } else {
      Cancel();
    }
    DC->DataChanged(dcRecord, -1, Posted);
  }
  if (RealPost) DC->DoAfterPost();
}

void TvlCustomDataProvider::Cancel() {
  TvlCustomDataController* DC = FDataController;
  {
    DC->BeginUpdate();
    Finally End([&] { DC->EndUpdate(); });
    Integer E = FEditingRecordIndex;
    if (E != vlNoEditingRecordIndex && E >= 0 && E < DC->RecordCount()) {
      if (FInserting) {
        FEditingRecordIndex = vlNoEditingRecordIndex;
        DC->DataStorage()->DeleteRecord(E);
        DC->RecordDeleted(E);
      } else if (FSavedRecordIndex != 0) {
        DC->CopyRecordValues(FSavedRecordIndex, E);
      }
    }
    ResetEditing();
    DC->DataControllerInfo()->Refresh();
  }
  DC->DoAfterCancel();
}

void TvlCustomDataProvider::FindNearestRecord() {
  TvlCustomDataController* DC = FDataController;
  Integer Row = DC->FocusedRowIndex();
  if (Row < 0) return;
  if (!DC->MultiSelect() || DC->IsRowSelected(Row) || DC->GetSelectedCount() == 0)
    Row = DC->DataControllerInfo()->GetNearestRowIndex(Row);
  DC->NearestRecordIndex = Row >= 0 ? DC->GetRowInfo(Row).RecordIndex : -1;
}

void TvlCustomDataProvider::Delete() {
  TvlCustomDataController* DC = FDataController;
  Integer R = DC->FocusedRecordIndex();
  if (R < 0) return;
  DC->DoBeforeDelete(R);
  DC->DeleteRecord(R);
  DC->FocusNearestRecord();
}

void TvlCustomDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TvlCustomDataController* DC = FDataController;
  {
    DC->BeginFullUpdate();
    Finally End([&] { DC->EndFullUpdate(); });
    for (auto It = AList.rbegin(); It != AList.rend(); ++It) {
      DC->DoBeforeDelete(*It);
      DC->DeleteRecord(*It);
    }
    if (DC->InDeleteSelection()) DC->ClearSelection();
  }
  DC->FocusNearestRecord();
}

void TvlCustomDataProvider::DeleteSelection() {
  TvlCustomDataController* DC = FDataController;
  std::vector<Integer> List;
  TvlCustomDataControllerInfo* Info = DC->DataControllerInfo();
  for (Integer I = 0; I < DC->GetSelectedCount(); ++I) {
    TvlRowInfo R = DC->GetRowInfo(DC->GetSelectedRowIndex(I));
    if (Info->IsGrouped() && R.Level < Info->DataGroups()->LevelCount()) {
      DC->Groups()->LoadRecordIndexes(List, Info->DataGroups()->GetIndexByRowIndex(DC->GetSelectedRowIndex(I)));
    } else {
      List.push_back(R.RecordIndex);
    }
  }
  DC->DeleteRecordList(List);
}

Boolean TvlCustomDataProvider::CanInitEditing(Integer ARecordIndex) {
  FDataController->CheckRecordIndex(ARecordIndex);
  if (!IsEditing()) DoEdit();
  if (IsEditing()) BeginChange();
  return true;
}

Variant TvlCustomDataProvider::GetEditValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  if (ARecordIndex == vlNoEditingRecordIndex) DataError(vlSDataRecordIndexError);
  return FDataController->GetValue(ARecordIndex, AField);
}

Boolean TvlCustomDataProvider::SetEditValue(Integer ARecordIndex, TvlCustomDataField* AField, const Variant& AValue,
                                            Boolean AFromText) {
  Variant V = AValue;
  if (AFromText && VarIsStr(V) && VarToStr(V).empty()) V = Null();
  FDataController->SetValue(ARecordIndex, AField->Index(), V);
  MarkModified();
  return true;
}

void TvlCustomDataProvider::DataChanged(TvlDataChange AKind, Integer AItemIndex, Integer ARecordIndex) {
  if (FLockCount == 0) FDataController->DataChanged(AKind, AItemIndex, ARecordIndex);
  ResetEditing();
}

// --- Incremental search --------------------------------------------------------------

void TvlDataControllerSearch::Create(TvlCustomDataController* ADataController) { FDataController = ADataController; }

Integer TvlDataControllerSearch::ItemIndex() const {
  return FDataController->IncrementalSearchField ? FDataController->IncrementalSearchField->Index() : -1;
}

void TvlDataControllerSearch::SetItemIndex(Integer Value) {
  FDataController->CheckItemRange(Value);
  FDataController->IncrementalSearchField = FDataController->GetItemField(Value);
}

Boolean TvlDataControllerSearch::Searching() const { return FDataController->IncrementalSearching; }
String TvlDataControllerSearch::SearchText() const { return FDataController->IncrementalSearchText; }

void TvlDataControllerSearch::FocusRecordListIndex(Integer AIndex) {
  Lock();
  Finally Done([&] { Unlock(); });
  FDataController->ChangeFocusedRecordIndex(FDataController->DataControllerInfo()->GetInternalRecordIndex(AIndex));
  FDataController->SyncSelectionFocusedRecord();
}

Integer TvlDataControllerSearch::DoSearch(Integer AStartIndex, Integer AEndIndex, Boolean AForward,
                                          const String& AText) {
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  if (AEndIndex == -1) AEndIndex = AForward ? Info->RecordListCount() - 1 : 0;
  const Integer Item = ItemIndex();
  for (Integer P = AStartIndex; AForward ? P <= AEndIndex : P >= AEndIndex; P += AForward ? 1 : -1)
    if (vlMatchSearchText(FDataController->GetSearchDisplayText(Info->GetInternalRecordIndex(P), Item), AText, true))
      return P;
  return -1;
}

Boolean TvlDataControllerSearch::Locate(Integer AItemIndex, const String& ASubText) {
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  if (ASubText.empty() || Info->RecordListCount() == 0) return false;
  TvlCustomDataField* OldField = FDataController->IncrementalSearchField;
  SetItemIndex(AItemIndex);
  if (FDataController->IsGridMode()) {
    Lock();
    Boolean Found;
    {
      Finally Done([&] { Unlock(); });
      Found = FDataController->SearchInGridMode(ASubText, true, false);
    }
    if (!Found) {
      FDataController->IncrementalSearchField = OldField;
      return false;
    }
    FDataController->IncrementalSearching = true;
    FDataController->IncrementalSearchText = ASubText;
    FDataController->Change(dccSearch);
    return true;
  }
  Integer Start = Info->FindRecordListIndex(FDataController->FocusedRecordIndex());
  if (Start < 0) Start = 0;
  Integer Found = DoSearch(Start, -1, true, ASubText);
  if (Found < 0 && Start > 0) Found = DoSearch(0, Start - 1, true, ASubText);
  if (Found < 0) {
    FDataController->IncrementalSearchField = OldField;
    return false;
  }
  FocusRecordListIndex(Found);
  FDataController->IncrementalSearching = true;
  FDataController->IncrementalSearchText = ASubText;
  FDataController->Change(dccSearch);
  if (FDataController->MultiSelect()) FDataController->CheckFocusedSelected();
  return true;
}

Boolean TvlDataControllerSearch::LocateNext(Boolean AForward) {
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  if (!Searching() || SearchText().empty() || ItemIndex() < 0 || Info->RecordListCount() == 0) return false;
  if (FDataController->IsGridMode()) {
    Lock();
    Finally Done([&] { Unlock(); });
    return FDataController->SearchInGridMode(SearchText(), AForward, true);
  }
  Integer Cur = Info->FindRecordListIndex(FDataController->FocusedRecordIndex());
  if (Cur < 0) return false;
  Integer Start = Cur + (AForward ? 1 : -1);
  if (Start < 0 || Start >= Info->RecordListCount()) return false;
  Integer Found = DoSearch(Start, -1, AForward, SearchText());
  if (Found < 0) return false;
  FocusRecordListIndex(Found);
  if (FDataController->MultiSelect()) FDataController->CheckFocusedSelected();
  return true;
}

void TvlDataControllerSearch::Cancel() {
  if (FLocked || !FDataController->IncrementalSearching) return;
  FDataController->IncrementalSearchText.clear();
  FDataController->IncrementalSearching = false;
  FDataController->Change(dccSearch);
}

// --- The controller: construction ----------------------------------------------------

void TvlCustomDataController::Create(TComponent* AOwner) {
  FOwner = AOwner;
  FOptions = dcoAssignGroupingValues | dcoAssignMasterDetailKeys | dcoSaveExpanding;
  FFocusedSelected = true;
  FDataStorage = New<TvlDataStorage>();
  FGroups = New<TvlDataControllerGroups>(this);
  FFields = New<TvlCustomDataFieldList>(static_cast<IvlDataController*>(this));
  FFilters = New<TvlDataFilterList>();
  using TFilterCreate = void (TvlDataFilterCriteria::*)(IvlDataController*);
  FFilter = CreateFrom(GetFilterCriteriaClass(), static_cast<TFilterCreate>(&TvlDataFilterCriteria::Create),
                       static_cast<IvlDataController*>(this));
  FSearch = New<TvlDataControllerSearch>(this);
  FSummary = New<TvlDataSummary>(this);
  FProvider = New<TvlCustomDataProvider>(this);
  FDataControllerInfo = New<TvlCustomDataControllerInfo>(this);
  FMasterRecordIndex = -1;
  FBookmarkRecordIndex = -1;
  NearestRecordIndex = -1;
  ResetDataChangeInfo();
  FNotifier = New<TvlDataControllerNotifier>(nullptr);
  FNotifier->SetDataController(this);
}

void TvlCustomDataController::ReplaceProvider(TvlCustomDataProvider* AProvider) {
  Free(FProvider);
  FProvider = AProvider;
}

void TvlCustomDataController::BeforeDestruction() {
  FDestroying = true;
  inherited::BeforeDestruction();
}

void TvlCustomDataController::Destroy() {
  FDestroying = true;
  Free(FSaveObject);
  FSaveObject = nullptr;
  // A pattern leaves its relation; a clone's relation may be gone already.
  if (FMasterRelation && FMasterRecordIndex == -1 &&
      FMasterRelation->DetailDataController() == static_cast<IvlDataController*>(this))
    FMasterRelation->SetDetailDataController(nullptr);
  FreeAndNil(FNotifier);
  Free(FRelations);
  FRelations = nullptr;
  Free(FDataControllerInfo);
  FDataControllerInfo = nullptr;
  Free(FSummary);
  FSummary = nullptr;
  Free(FFilter);
  Free(FFilters);
  if (FDataStorage) FDataStorage->Clear(false);
  Free(FGroups);
  Free(FFields);
  Free(FProvider);
  Free(FDataStorage);
  Free(FSearch);
  inherited::Destroy();
}

// --- Items ------------------------------------------------------------------------

TObject* TvlCustomDataController::GetItem(Integer AIndex) {
  CheckItemRange(AIndex);
  return FFields->Items(AIndex)->Item();
}

TvlCustomDataField* TvlCustomDataController::AddItem(TObject* AItem) {
  if (AItem && FFields->FieldByItem(AItem)) DataError(vlSDataItemExistError);
  TvlCustomDataField* F = CreateFrom(GetFieldClass(), &TvlCustomDataField::Create, FFields);
  F->SetItem(AItem);
  FFields->Add(F);
  return F;
}

void TvlCustomDataController::RemoveItem(TObject* AItem) {
  TvlCustomDataField* F = FFields->FieldByItem(AItem);
  if (!F) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDataControllerInfo->RemoveField(F);
  Free(F);
}

void TvlCustomDataController::CheckItemRange(Integer AItemIndex) {
  if (AItemIndex < 0 || AItemIndex >= GetItemCount()) DataError(vlSDataItemIndexError);
}

TvlCustomDataField* TvlCustomDataController::GetItemField(Integer AItemIndex) {
  CheckItemRange(AItemIndex);
  return FFields->Items(AItemIndex);
}

void TvlCustomDataController::ChangeValueTypeClass(Integer AItemIndex, TvlValueTypeClass AValueTypeClass) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (F->ValueTypeClass() == AValueTypeClass) return;
  F->SetValueTypeClass(AValueTypeClass);
  if (IsProviderMode()) RebuildData();
  FDataControllerInfo->UpdateField(F);
}

TvlValueTypeClass TvlCustomDataController::GetItemValueTypeClass(Integer AItemIndex) {
  return GetItemField(AItemIndex)->ValueTypeClass();
}

String TvlCustomDataController::GetItemName(TObject* AItem) {
  auto* C = dynamic_cast<TComponent*>(AItem);
  return C ? C->Name() : String();
}

TObject* TvlCustomDataController::GetItemByID(Integer AID) {
  for (Integer I = 0; I < GetItemCount(); ++I)
    if (GetItemID(GetItem(I)) == AID) return GetItem(I);
  return nullptr;
}

TObject* TvlCustomDataController::GetItemByName(const String& AName) {
  for (Integer I = 0; I < GetItemCount(); ++I)
    if (SameText(GetItemName(GetItem(I)), AName)) return GetItem(I);
  return nullptr;
}

void TvlCustomDataController::FieldRemoved(TvlCustomDataField* AField) {
  if (FDestroying) return;
  if (AField == FRecordHandlesField) FRecordHandlesField = nullptr;
  if (FRelations) FRelations->RemoveField(AField);
  FFilters->RemoveItemByField(AField);
  FFilter->RemoveItemByField(AField);
  FSummary->RemoveItemByField(AField);
  if (AField == FIncrementalFilterField) ResetIncrementalFilter();
  if (FSortingBySummaryDataItemIndex != -1 && AField->Index() == FSortingBySummaryDataItemIndex)
    FSortingBySummaryDataItemIndex = -1;
  if (AField == IncrementalSearchField) {
    FSearch->Cancel();
    IncrementalSearchField = nullptr;
  }
  FDataControllerInfo->RemoveField(AField);
}

void TvlCustomDataController::ProviderLayoutChanged() {
  if (FDestroying || FProvider->LockCount() > 0) return;
  LayoutChanged(0x01);
}

void TvlCustomDataController::LayoutChanged(Byte) { UpdateItems(FProvider->IsActive()); }

void TvlCustomDataController::UpdateItems(Boolean AUpdateFields) {
  if (FUpdateItems) return;
  FUpdateItems = true;
  Finally Clear([&] { FUpdateItems = false; });
  if (LockCount() != 0) FStructureChanged = true;
  if (NeedsStructureUpdate()) {
    if (AUpdateFields && FLockUpdateFieldsCount > 0) FUpdateFieldsFlag = true;
    UpdateStructure();
  }
}

void TvlCustomDataController::EndUpdateFields() {
  if (--FLockUpdateFieldsCount > 0 || !FUpdateFieldsFlag) return;
  FUpdateFieldsFlag = false;
  LayoutChanged(0x01);
}

// --- Locks and notifications ----------------------------------------------------------

Integer TvlCustomDataController::LockCount() const { return FDataControllerInfo->LockCount(); }

void TvlCustomDataController::BeginUpdate() { FDataControllerInfo->BeginUpdate(); }

void TvlCustomDataController::EndUpdate() {
  FDataControllerInfo->EndUpdate();
  CheckChanges();
}

void TvlCustomDataController::Change(Word AChanges) {
  FChanges |= AChanges;
  CheckChanges();
}

void TvlCustomDataController::CheckChanges() {
  if (LockCount() != 0 || FDestroying) return;
  if (FChanges == 0) return;
  if (FStructureChanged) {
    FStructureChanged = false;
    LayoutChanged(0x01);
  }
  NotifyControl();
}

Boolean TvlCustomDataController::IsRowInfoValid() const { return !FDataControllerInfo->InfoCalculation(); }

void TvlCustomDataController::ResetDataChangeInfo() {
  FDataChangeKind = dcTotal;
  FDataChangeItemIndex = -1;
  FDataChangeRecordIndex = -1;
}

void TvlCustomDataController::DataChanged(TvlDataChange ADataChange, Integer AItemIndex, Integer ARecordIndex) {
  if (FDataChangeRecordIndex != -1 && ARecordIndex != FDataChangeRecordIndex)
    FDataChangeKind = dcTotal;
  else if (ADataChange == dcField && FDataChangeItemIndex != -1 && AItemIndex != FDataChangeItemIndex) {
    FDataChangeKind = dcRecord;
    AItemIndex = -1;
  } else
    FDataChangeKind = ADataChange;
  FDataChangeItemIndex = AItemIndex;
  FDataChangeRecordIndex = ARecordIndex;
  if (ADataChange == dcTotal) {
    UpdateStructure();
  } else {
    if (ADataChange == dcNew || ADataChange == dcDeleted) FDataControllerInfo->FocusedRecordChanged(false);
    BeginUpdate();
    Finally End([&] { EndUpdate(); });
    FDataControllerInfo->Refresh();
  }
}

void TvlCustomDataController::SendInfo(TvlUpdateControlInfo* AInfo) {
  FInNotifyControl = true;
  Finally Done([&] {
    Free(AInfo);
    FInNotifyControl = false;
  });
  DoUpdateControl(AInfo);
}

void TvlCustomDataController::DoUpdateControl(TvlUpdateControlInfo* AInfo) {
  if (Assigned(FOnUpdateControl)) FOnUpdateControl(AInfo);
}

void TvlCustomDataController::SendGroupingChanging() { SendInfo(New<TvlGroupingChangingInfo>()); }

void TvlCustomDataController::NotifyControl() {
  const Word C = FChanges;
  FChanges = 0;
  if (C & dccData) {
    Finally Reset([&] { ResetDataChangeInfo(); });
    if (FDataChangeKind == dcField && FDataChangeItemIndex == -1) FDataChangeKind = dcRecord;
    if ((FDataChangeKind == dcField || FDataChangeKind == dcRecord) && FDataChangeRecordIndex == -1)
      FDataChangeKind = dcTotal;
    auto* Info = New<TvlDataChangedInfo>();
    Info->Kind = FDataChangeKind;
    Info->ItemIndex = FDataChangeItemIndex;
    Info->RecordIndex = FDataChangeRecordIndex;
    SendInfo(Info);
    DoDataChanged();
  } else if (C & (dccLayout | dccDetail | dccSummary)) {
    SendInfo(New<TvlLayoutChangedInfo>());
  } else if (C & dccUpdateRecord) {
    auto* Info = New<TvlUpdateRecordInfo>();
    Info->RecordIndex = FocusedRecordIndex();
    SendInfo(Info);
    FSearch->Cancel();
  }
  if (C & dccFocus) {
    TvlCustomDataControllerInfo* I = FDataControllerInfo;
    TvlDataFocusingInfo* Prev = I->PrevFocusingInfo();
    if (Prev->RowIndex != I->FocusedRowIndex()) {
      auto* Info = New<TvlFocusedRowChangedInfo>();
      Info->FocusedRowIndex = I->FocusedRowIndex();
      Info->PrevFocusedRowIndex = Prev->RowIndex;
      SendInfo(Info);
    }
    const Integer Rec = I->FocusedRecordIndex();
    if (Prev->RecordIndex >= 0 || Rec >= 0 || Prev->ChangedFlag) {
      auto* Info = New<TvlFocusedRecordChangedInfo>();
      Info->FocusedRecordIndex = Rec;
      Info->PrevFocusedRecordIndex = Prev->RecordIndex;
      Info->FocusedRowIndex = I->FocusedRowIndex();
      Info->PrevFocusedRowIndex = Prev->RowIndex;
      Info->NewItemRowFocusingChanged = Prev->ChangedFlag;
      SendInfo(Info);
      FSearch->Cancel();
    }
    Prev->Assign(I->FocusingInfo());
  }
  if (C & dccSelection) {
    const Integer N = GetSelectedCount();
    Integer Row1 = -1, Row2 = -1;
    Integer Single = N == 1 ? GetSelectedRowIndex(0) : -1;
    if (N <= 1 && FPrevSelCount <= 1) {
      Row1 = FPrevSelCount == 1 ? FPrevSelRow : -1;
      Row2 = Single;
    }
    auto* Info = New<TvlSelectionChangedInfo>();
    Info->CreateEx(Row1, Row2);
    FPrevSelCount = N;
    if (N <= 1) FPrevSelRow = Single;
    SendInfo(Info);
  }
  if (C & dccSearch) SendInfo(New<TvlSearchChangedInfo>());
  if (C & dccBookmark) SendInfo(New<TvlBookmarkChangedInfo>());
  const Boolean Reading = FOwner && FOwner->ComponentState().Contains(csReading);
  if ((C & dccGrouping) && Assigned(FOnGroupingChanged) && !Reading) FOnGroupingChanged(this);
  if ((C & dccSorting) && Assigned(FOnSortingChanged) && !Reading && !FInOnSortingChanged) {
    FInOnSortingChanged = true;
    Finally Clear([&] { FInOnSortingChanged = false; });
    FOnSortingChanged(this);
  }
}

void TvlCustomDataController::DoDataChanged() {
  if (IsOwnerDestroying()) return;
  if (!Assigned(FOnDataChanged) && FDataChangedListeners.empty()) return;
  if (IsOwnerLoading()) {
    FDataChangedFlag = true;
    return;
  }
  FDataChangedFlag = false;
  if (Assigned(FOnDataChanged)) FOnDataChanged(this);
  if (IsGridMode() && FProvider->IsLocating()) return;
  // A copy: a listener may remove itself.
  std::vector<TNotifyEventItem> Listeners = FDataChangedListeners;
  for (const TNotifyEventItem& L : Listeners) L.Event(this);
}

void TvlCustomDataController::AddDataChangedListener(TObject* AInstance, const TNotifyEvent& ADataChangedEvent) {
  FDataChangedListeners.push_back({AInstance, ADataChangedEvent});
}

void TvlCustomDataController::RemoveDataChangedListener(TObject* AInstance, const TNotifyEvent& ADataChangedEvent) {
  for (auto It = FDataChangedListeners.begin(); It != FDataChangedListeners.end(); ++It)
    if (It->Instance == AInstance && SameCode(It->Event, ADataChangedEvent)) {
      FDataChangedListeners.erase(It);
      return;
    }
}

void TvlCustomDataController::Loaded() {
  if (FDataChangedFlag) DoDataChanged();
  if (AfterSummaryFlag) {
    AfterSummaryFlag = false;
    FSummary->Recalculate();
  }
}

void TvlCustomDataController::RefreshPrevSelectionInfo() {
  if (FPrevSelCount != 1) return;
  FPrevSelCount = GetSelectedCount();
  FPrevSelRow = FPrevSelCount == 1 ? GetSelectedRowIndex(0) : -1;
}

void TvlCustomDataController::Refresh() {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDataControllerInfo->Refresh();
}

void TvlCustomDataController::UpdateStructure() {
  BeginFullUpdate();
  Finally End([&] { EndFullUpdate(); });
  if (NeedsStructureUpdate() && !FStructureChanged) LoadStorage();
  FDataControllerInfo->Refresh();
  FStructureRecreated = false;
}

void TvlCustomDataController::LoadStorage() {
  FDataStorage->Clear(FProvider->LockCount() > 0);
  if (IsProviderMode() && !IsPattern()) {
    FProvider->LockDataChanges();
    Finally Unlock([&] { FProvider->UnlockDataChanges(); });
    FDataStorage->BeginLoad();
    Finally EndLoad([&] { FDataStorage->EndLoad(); });
    FProvider->CustomDataSource()->LoadRecordHandles();
  }
  FDataControllerInfo->Selection()->ResizeEntries(std::min(GetSelectedCount(), RecordCount()));
  CheckBookmarkValid(-1);
  UpdateFocused();
  Change(dccData);
}

void TvlCustomDataController::UpdateFocused() {
  if (FProvider->IsLocating()) return;
  FDataControllerInfo->RefreshFocused();
}

void TvlCustomDataController::RebuildData() {
  BeginFullUpdate();
  Finally End([&] { EndFullUpdate(); });
  FProvider->ResetEditing();
  FDataStorage->Clear(false);
  ClearBookmark();
  FDataStorage->SetStoredValuesOnly(IsProviderMode() || IsGridMode());
  if (!IsProviderMode()) {
    if (FRecordHandlesField) {
      TvlCustomDataField* F = FRecordHandlesField;
      FRecordHandlesField = nullptr;
      Free(F);
    }
  } else if (!FRecordHandlesField) {
    FRecordHandlesField = New<TvlCustomDataField>(FFields);
    FRecordHandlesField->SetIsInternal(true);
    FFields->Add(FRecordHandlesField);
    FRecordHandlesField->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  }
  FStructureRecreated = true;
  LayoutChanged(0x02);
}

TvlCustomDataSource* TvlCustomDataController::CustomDataSource() const { return FProvider->CustomDataSource(); }

void TvlCustomDataController::SetCustomDataSource(TvlCustomDataSource* Value) {
  if (Value == CustomDataSource()) return;
  FProvider->SetCustomDataSource(Value);
}

Boolean TvlCustomDataController::IsProviderMode() { return FProvider && FProvider->CustomDataSource() != nullptr; }
Boolean TvlCustomDataController::IsGridMode() { return FProvider && FProvider->IsGridMode(); }
Boolean TvlCustomDataController::IsActiveDataSet() { return FProvider && FProvider->IsActiveDataSet(); }

Boolean TvlCustomDataController::IsOwnerDestroying() {
  return FDestroying || (FOwner && FOwner->ComponentState().Contains(csDestroying));
}

Boolean TvlCustomDataController::IsOwnerLoading() { return FOwner && FOwner->ComponentState().Contains(csLoading); }

Boolean TvlCustomDataController::IsItemSortByText(Integer AItemIndex) {
  return (FOptions & dcoAnsiSort) && GetItemField(AItemIndex)->ValueDef() &&
         GetItemField(AItemIndex)->ValueDef()->IsNeedConversion();
}

void TvlCustomDataController::SetOptions(Word Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Refresh();
}

// --- Records and values ---------------------------------------------------------------

void TvlCustomDataController::CheckRecordIndex(Integer ARecordIndex) {
  if (ARecordIndex >= 0 && ARecordIndex < RecordCount()) return;
  if (ARecordIndex < 0 && ARecordIndex != -1 && ARecordIndex == FProvider->SavedRecordIndex()) return;
  DataError(vlSDataRecordIndexError);
}

Variant TvlCustomDataController::GetValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  if (ARecordIndex >= 0 && IsProviderMode() && !AField->IsInternal()) {
    TvlCustomDataSource* S = CustomDataSource();
    return S->GetValue(S->GetRecordHandleByIndex(ARecordIndex), S->GetItemHandle(AField->Index()));
  }
  if (ARecordIndex >= 0 && IsGridMode() && !AField->IsInternal())
    return FProvider->GetExternalValue(ARecordIndex, AField);
  if (!AField->ValueDef()) return Null();
  return FDataStorage->GetValue(ARecordIndex, AField->ValueDef());
}

String TvlCustomDataController::GetDisplayText(Integer ARecordIndex, TvlCustomDataField* AField) {
  if (ARecordIndex >= 0 && IsProviderMode() && !AField->IsInternal()) {
    TvlCustomDataSource* S = CustomDataSource();
    return S->GetDisplayText(S->GetRecordHandleByIndex(ARecordIndex), S->GetItemHandle(AField->Index()));
  }
  if (ARecordIndex >= 0 && IsGridMode() && !AField->IsInternal())
    return FProvider->GetExternalDisplayText(ARecordIndex, AField);
  if (!AField->ValueDef()) return u"";
  return FDataStorage->GetDisplayText(ARecordIndex, AField->ValueDef());
}

Variant TvlCustomDataController::GetFilterDataValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  return GetValue(ARecordIndex, AField);
}

Variant TvlCustomDataController::GetValue(Integer ARecordIndex, Integer AItemIndex) {
  CheckRecordIndex(ARecordIndex);
  return GetValue(ARecordIndex, GetItemField(AItemIndex));
}

String TvlCustomDataController::GetDisplayText(Integer ARecordIndex, Integer AItemIndex) {
  CheckRecordIndex(ARecordIndex);
  return GetDisplayText(ARecordIndex, GetItemField(AItemIndex));
}

Variant TvlCustomDataController::GetRowValue(const TvlRowInfo& ARowInfo, Integer AItemIndex) {
  TvlGroupingFieldList* G = FDataControllerInfo->GroupingFieldList();
  if (ARowInfo.Level < G->Count()) return GetValue(ARowInfo.RecordIndex, G->Items(ARowInfo.Level).Field);
  return GetValue(ARowInfo.RecordIndex, AItemIndex);
}

void TvlCustomDataController::SetValue(Integer ARecordIndex, Integer AItemIndex, const Variant& Value) {
  if (IsGridMode()) return;
  CheckRecordIndex(ARecordIndex);
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (ARecordIndex >= 0 && IsProviderMode()) {
    TvlCustomDataSource* S = CustomDataSource();
    S->SetValue(S->GetRecordHandleByIndex(ARecordIndex), S->GetItemHandle(AItemIndex), Value);
  } else if (F->ValueDef()) {
    FDataStorage->SetValue(ARecordIndex, F->ValueDef(), Value);
  } else {
    return;
  }
  DataChanged(dcField, AItemIndex, ARecordIndex);
}

void TvlCustomDataController::SetRecordCount(Integer Value) {
  if (IsGridMode()) return;
  Value = std::max(0, Value);
  const Integer Old = RecordCount();
  if (Value == Old) return;
  if (IsProviderMode()) {
    CustomDataSource()->SetRecordCount(Value);
    return;
  }
  FDataStorage->SetRecordCount(Value);
  FDataControllerInfo->ValidateSelection();
  CheckBookmarkValid(-1);
  CheckEditingRecord(-1);
  DataChanged(Value > Old ? dcNew : dcDeleted, -1, -1);
}

Integer TvlCustomDataController::AppendRecord() {
  if (IsProviderMode()) {
    TvlCustomDataSource* S = CustomDataSource();
    return S->AppendHandleRecord(S->AppendRecord());
  }
  Integer R = FDataStorage->AppendRecord();
  DataChanged(dcNew, -1, -1);
  return R;
}

Integer TvlCustomDataController::InsertRecord(Integer ARecordIndex) {
  if (ARecordIndex < 0 || ARecordIndex > RecordCount()) DataError(vlSDataRecordIndexError);
  FDataStorage->InsertRecord(ARecordIndex);
  RecordInserted(ARecordIndex);
  DataChanged(dcNew, -1, -1);
  return ARecordIndex;
}

void TvlCustomDataController::DeleteRecord(Integer ARecordIndex) {
  CheckRecordIndex(ARecordIndex);
  if (ARecordIndex == FProvider->EditingRecordIndex()) FProvider->ResetEditing();
  if (ARecordIndex >= 0 && IsProviderMode()) {
    TvlCustomDataSource* S = CustomDataSource();
    S->DeleteRecord(S->GetRecordHandleByIndex(ARecordIndex));
  }
  FDataStorage->DeleteRecord(ARecordIndex);
  RecordDeleted(ARecordIndex);
  // Selected records after the deleted one move down by one.
  TvlDataSelection* Sel = FDataControllerInfo->Selection();
  for (Integer I = Sel->Count() - 1; I >= 0; --I) {
    TvlSelectionEntry& E = Sel->Items(I);
    if (E.Level < 0) continue;
    if (E.RecordIndex == ARecordIndex)
      Sel->Delete(I);
    else if (E.RecordIndex > ARecordIndex)
      --E.RecordIndex;
  }
  CheckBookmarkValid(ARecordIndex);
  if (FBookmarkRecordIndex > ARecordIndex) --FBookmarkRecordIndex;
  DataChanged(dcDeleted, -1, -1);
}

// --- Rows, focus and navigation -----------------------------------------------------------

Integer TvlCustomDataController::GetRowCount() const { return FDataControllerInfo->GetRowCount(); }
TvlRowInfo TvlCustomDataController::GetRowInfo(Integer ARowIndex) const {
  return FDataControllerInfo->GetRowInfo(ARowIndex);
}
Integer TvlCustomDataController::GetRowIndexByRecordIndex(Integer ARecordIndex, Boolean AMakeVisible) {
  CheckRecordIndex(ARecordIndex);
  return FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex, AMakeVisible);
}
Integer TvlCustomDataController::FocusedRowIndex() const { return FDataControllerInfo->FocusedRowIndex(); }
Integer TvlCustomDataController::FocusedRecordIndex() const { return FDataControllerInfo->FocusedRecordIndex(); }
Integer TvlCustomDataController::FilteredRecordCount() { return FDataControllerInfo->RecordListCount(); }
Integer TvlCustomDataController::GetRecordListRecordIndex(Integer AIndex) {
  return FDataControllerInfo->GetInternalRecordIndex(AIndex);
}

Boolean TvlCustomDataController::ChangeFocusedRowIndex(Integer ARowIndex) {
  FDataControllerInfo->SetFocusedRowIndex(ARowIndex);
  return true;
}

Boolean TvlCustomDataController::ChangeFocusedRecordIndex(Integer ARecordIndex) {
  Integer Row = ARecordIndex < 0 ? -1 : FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex, true);
  return ChangeFocusedRowIndex(Row);
}

Boolean TvlCustomDataController::CanFocusRecord(Integer ARecordIndex) {
  if (!IsActiveDataSet() && FProvider->IsEditing() && ARecordIndex != FProvider->EditingRecordIndex()) Post(false);
  return true;
}

void TvlCustomDataController::GotoFirst() { ChangeFocusedRowIndex(0); }
void TvlCustomDataController::GotoLast() { ChangeFocusedRowIndex(GetRowCount() - 1); }
void TvlCustomDataController::GotoNext() {
  if (FocusedRowIndex() + 1 < GetRowCount()) ChangeFocusedRowIndex(FocusedRowIndex() + 1);
}
void TvlCustomDataController::GotoPrev() { ChangeFocusedRowIndex(std::max(0, FocusedRowIndex() - 1)); }
void TvlCustomDataController::MoveBy(Integer ADistance) {
  ChangeFocusedRowIndex(std::max(0, FocusedRowIndex() + ADistance));
}
Boolean TvlCustomDataController::IsBOF() const { return GetRowCount() == 0 || FocusedRowIndex() == 0; }
Boolean TvlCustomDataController::IsEOF() const {
  return GetRowCount() == 0 || FocusedRowIndex() == GetRowCount() - 1;
}

Boolean TvlCustomDataController::SaveBookmarkData() {
  Integer R = FocusedRecordIndex();
  if (R == FBookmarkRecordIndex) return false;
  FBookmarkRecordIndex = R;
  return true;
}

void TvlCustomDataController::SaveBookmark() {
  if (SaveBookmarkData()) Change(dccBookmark);
}

void TvlCustomDataController::ClearBookmark() {
  Boolean Had = IsBookmarkAvailable();
  ClearBookmarkData();
  if (Had) Change(dccBookmark);
}

void TvlCustomDataController::GotoBookmark() {
  if (IsBookmarkAvailable()) GotoBookmarkData();
}

Boolean TvlCustomDataController::IsBookmarkRow(Integer ARowIndex) {
  return IsBookmarkAvailable() && ARowIndex >= 0 && ARowIndex < GetRowCount() &&
         GetRowInfo(ARowIndex).RecordIndex == FBookmarkRecordIndex;
}

void TvlCustomDataController::CheckBookmarkValid(Integer ARecordIndex) {
  if (FBookmarkRecordIndex == -1 || !FDataControllerInfo) return;
  Boolean Invalid = (ARecordIndex != -1 && ARecordIndex == FBookmarkRecordIndex) ||
                    FBookmarkRecordIndex >= RecordCount() ||
                    (FDataControllerInfo->InfoCalculation() &&
                     FDataControllerInfo->FindRecordListIndex(FBookmarkRecordIndex) < 0);
  if (!Invalid) return;
  FBookmarkRecordIndex = -1;
  Change(dccBookmark);
}

// --- Sorting and grouping ----------------------------------------------------------------

void TvlCustomDataController::PostPendingEdit() {
  if (FProvider->IsEditing()) Post(false);
}

void TvlCustomDataController::ChangeSorting(Integer AItemIndex, TvlDataSortOrder ASortOrder) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (FDataControllerInfo->SortingFieldList()->SortOrderByField(F) == ASortOrder) return;
  PostPendingEdit();
  SortingChangedFlag = true;
  FDataControllerInfo->ChangeSorting(F, ASortOrder);
}

void TvlCustomDataController::ClearSorting(Boolean AKeepGroupedItems) {
  FDataControllerInfo->ClearSorting(AKeepGroupedItems);
}

TvlDataSortOrder TvlCustomDataController::GetItemSortOrder(Integer AItemIndex) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  TvlDataSortOrder O = FDataControllerInfo->SortingFieldList()->SortOrderByField(F);
  return O != soNone ? O : FDataControllerInfo->GroupingFieldList()->SortOrderByField(F);
}

void TvlCustomDataController::ChangeGrouping(Integer AItemIndex, Integer AGroupIndex) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (FDataControllerInfo->GroupingFieldList()->GroupIndexByField(F) == AGroupIndex) return;
  PostPendingEdit();
  GroupingChangedFlag = true;
  FDataControllerInfo->ChangeGrouping(F, AGroupIndex);
}

void TvlCustomDataController::ClearGrouping() {
  if (FDataControllerInfo->GroupingFieldList()->Count() > 0) {
    PostPendingEdit();
    GroupingChangedFlag = true;
  }
  FDataControllerInfo->ClearGrouping();
}

Integer TvlCustomDataController::GroupingItemCount() const {
  return FDataControllerInfo->GroupingFieldList()->Count();
}

void TvlCustomDataController::ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive) {
  FDataControllerInfo->ChangeExpanding(ARowIndex, AExpanded, ARecursive);
}
void TvlCustomDataController::FullCollapse() { FDataControllerInfo->FullCollapse(); }
void TvlCustomDataController::FullExpand() { FDataControllerInfo->FullExpand(); }

void TvlCustomDataController::SetSortingBySummaryDataItemIndex(Integer Value) {
  if (Value == FSortingBySummaryDataItemIndex) return;
  if (Value != -1) CheckItemRange(Value);
  FSortingBySummaryDataItemIndex = Value;
  if (IsOwnerDestroying()) return;
  SortingBySummaryChangedFlag = true;
  Change(dccSorting);
}

Boolean TvlCustomDataController::NeedsAnsiConversion(TvlCustomDataField* AField) {
  return (FOptions & (dcoAnsiSort | dcoCaseInsensitive)) && AField->ValueDef() &&
         AField->ValueDef()->IsNeedConversion();
}

Boolean TvlCustomDataController::NeedsValueComparison(TvlCustomDataField* AField) {
  if (AField->NeedConversionFlag() != 0) return AField->NeedConversionFlag() > 0;
  return AField->NeedConversion() || NeedsAnsiConversion(AField) || IsSortByDisplayText(AField) ||
         IsProviderMode();
}

Variant TvlCustomDataController::GetComparedValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  if (AField->NeedConversionFlag() == 2) return Variant(GetDisplayText(ARecordIndex, AField));
  return GetValue(ARecordIndex, AField);
}

Integer TvlCustomDataController::CompareByField(Integer ARecordIndex1, Integer ARecordIndex2,
                                                TvlCustomDataField* AField, TvlDataControllerComparisonMode AMode) {
  if ((Assigned(FOnCompare) && !AField->IsInternal()) || NeedsValueComparison(AField)) {
    Variant V1 = GetComparedValue(ARecordIndex1, AField);
    Variant V2 = GetComparedValue(ARecordIndex2, AField);
    if (Assigned(FOnCompare)) {
      Integer Compare = 0;
      FOnCompare(this, ARecordIndex1, ARecordIndex2, AField->Index(), V1, V2, Compare);
      return Compare;
    }
    if (VarIsStr(V1) && VarIsStr(V2)) {
      String S1 = VarToStr(V1), S2 = VarToStr(V2);
      if (FOptions & dcoAnsiSort)
        return (FOptions & dcoCaseInsensitive) ? AnsiCompareText(S1, S2) : AnsiCompareStr(S1, S2);
      if (FOptions & dcoCaseInsensitive) return CompareStr(AnsiUpperCase(S1), AnsiUpperCase(S2));
    }
    return vlCompareVariants(V1, V2);
  }
  if (!AField->ValueDef()) return 0;
  return FDataStorage->CompareRecords(ARecordIndex1, ARecordIndex2, AField->ValueDef());
}

// --- Selection ----------------------------------------------------------------------

void TvlCustomDataController::SetMultiSelect(Boolean Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  FFocusedSelected = true;
  BeginUpdate();
  {
    Finally End([&] { EndUpdate(); });
    if (!Value)
      FDataControllerInfo->Selection()->ClearAll();
    else if (FocusedRowIndex() >= 0)
      FDataControllerInfo->ChangeRowSelection(FocusedRowIndex(), true);
  }
  if (FSummary->Options() & (soSelectedRecords | soMultipleSelectedRecords)) FSummary->Recalculate();
}

Integer TvlCustomDataController::GetSelectedCount() const {
  if (!FMultiSelect) return FFocusedSelected && FocusedRowIndex() >= 0 ? 1 : 0;
  return FDataControllerInfo->GetSelectedCount();
}

Integer TvlCustomDataController::GetSelectedRowIndex(Integer AIndex) const {
  if (!FMultiSelect) return FFocusedSelected && FocusedRowIndex() >= 0 && AIndex == 0 ? FocusedRowIndex() : -1;
  return FDataControllerInfo->GetSelectedRowIndex(AIndex);
}

Boolean TvlCustomDataController::IsRowSelected(Integer ARowIndex) const {
  if (!FMultiSelect) return FFocusedSelected && ARowIndex >= 0 && ARowIndex == FocusedRowIndex();
  return FDataControllerInfo->IsRowSelected(ARowIndex);
}

void TvlCustomDataController::ChangeRowSelection(Integer ARowIndex, Boolean ASelection) {
  if (FMultiSelect) FDataControllerInfo->ChangeRowSelection(ARowIndex, ASelection);
}

void TvlCustomDataController::SelectRows(Integer AStart, Integer AEnd) {
  if (!FMultiSelect) return;
  if (AEnd < AStart) std::swap(AStart, AEnd);
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  for (Integer R = AStart; R <= AEnd; ++R) FDataControllerInfo->ChangeRowSelection(R, true);
}

void TvlCustomDataController::SelectAll() {
  if (GetRowCount() > 0) SelectRows(0, GetRowCount() - 1);
}

void TvlCustomDataController::ClearSelection() { FDataControllerInfo->ClearSelection(); }

void TvlCustomDataController::SetSelectionAnchor(Integer ARowIndex) {
  FDataControllerInfo->CheckRowIndex(ARowIndex);
  FDataControllerInfo->Selection()->SetAnchorRowIndex(ARowIndex);
}

void TvlCustomDataController::SelectFromAnchor(Integer ARowIndex, Boolean AKeepSelection) {
  Integer Anchor = FDataControllerInfo->Selection()->AnchorRowIndex();
  if (Anchor == -1) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  if (!AKeepSelection) FDataControllerInfo->Selection()->Clear();
  SelectRows(Anchor, ARowIndex);
}

void TvlCustomDataController::SyncSelected(Boolean ASelected) {
  if (FMultiSelect || FFocusedSelected == ASelected) return;
  FFocusedSelected = ASelected;
  if (FocusedRowIndex() >= 0) {
    FPrevSelCount = 1;
    FPrevSelRow = FocusedRowIndex();
    Change(dccSelection);
  }
}

void TvlCustomDataController::SyncSelectionFocusedRecord() {
  if (!FMultiSelect) return;
  if (FocusedRowIndex() < 0) {
    ClearSelection();
    return;
  }
  SetSelectionAnchor(FocusedRowIndex());
  SelectFromAnchor(FocusedRowIndex(), false);
}

void TvlCustomDataController::CheckFocusedSelected() {
  if (!FMultiSelect) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDataControllerInfo->Selection()->Clear();
  if (FocusedRowIndex() >= 0) FDataControllerInfo->ChangeRowSelection(FocusedRowIndex(), true);
}

// --- Editing ------------------------------------------------------------------------

Byte TvlCustomDataController::EditState() {
  Byte S = FProvider->IsInserting() ? dceInsert : (FProvider->IsEditing() ? dceEdit : 0);
  if (S) {
    if (FProvider->IsChanging()) S |= dceChanging;
    if (FProvider->IsModified()) S |= dceModified;
  }
  return S;
}

Boolean TvlCustomDataController::IsEditing() {
  return (EditState() & (dceInsert | dceEdit)) && FProvider->EditingRecordIndex() != vlNoEditingRecordIndex;
}

Integer TvlCustomDataController::GetActiveRecordIndex() {
  Integer R = FocusedRecordIndex();
  return R >= 0 ? R : vlNoEditingRecordIndex;
}

Integer TvlCustomDataController::EditingRecordIndex() {
  Integer R = FProvider->EditingRecordIndex();
  return R != vlNoEditingRecordIndex ? R : GetActiveRecordIndex();
}

void TvlCustomDataController::Append() {
  if (FProvider->AppendAllowed()) FProvider->Append();
}
void TvlCustomDataController::Insert() {
  if (FProvider->InsertAllowed()) FProvider->Insert();
}
void TvlCustomDataController::Edit() {
  if (FProvider->CanModify()) FProvider->Edit();
}

void TvlCustomDataController::Post(Boolean AForcePost) {
  CheckFocusingAfterFilterNeeded = true;
  if (FProvider->IsEditing()) FProvider->Post(AForcePost);
}

void TvlCustomDataController::Cancel() {
  if (FInCancel) return;
  FInCancel = true;
  Finally Clear([&] { FInCancel = false; });
  Integer Row = FocusedRowIndex();
  if (FProvider->IsEditing()) FProvider->Cancel();
  Row = std::min(Row, GetRowCount() - 1);
  ChangeFocusedRowIndex(Row);
}

Boolean TvlCustomDataController::CanInitEditing(Integer AItemIndex) {
  CheckItemRange(AItemIndex);
  if (!FProvider->CanModify()) return false;
  Integer R = EditingRecordIndex();
  if (R == vlNoEditingRecordIndex) return false;
  return FProvider->CanInitEditing(R);
}

Variant TvlCustomDataController::GetEditValue(Integer AItemIndex) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  return FProvider->GetEditValue(EditingRecordIndex(), F);
}

Boolean TvlCustomDataController::SetEditValue(Integer AItemIndex, const Variant& AValue, Boolean AFromText) {
  if (!CanInitEditing(AItemIndex)) return false;
  Boolean Result = FProvider->SetEditValue(EditingRecordIndex(), GetItemField(AItemIndex), AValue, AFromText);
  if (Result && IsImmediatePost()) Post(false);
  return Result;
}

void TvlCustomDataController::FocusNearestRecord() {
  if (NearestRecordIndex == -1) {
    if (LockCount() == 0 && FocusedRecordIndex() < 0 && GetRowCount() > 0)
      ChangeFocusedRowIndex(GetRowCount() - 1);
  } else if (NearestRecordIndex < RecordCount()) {
    ChangeFocusedRecordIndex(NearestRecordIndex);
  }
}

void TvlCustomDataController::DeleteFocused() {
  if (FocusedRowIndex() < 0 || !FProvider->DeleteAllowed()) return;
  FProvider->FindNearestRecord();
  Finally End([&] { NearestRecordIndex = -1; });
  TvlRowInfo Row = GetRowInfo(FocusedRowIndex());
  if (FDataControllerInfo->IsGrouped() && Row.Level < GroupingItemCount()) {
    std::vector<Integer> List;
    FGroups->LoadRecordIndexes(List, FDataControllerInfo->DataGroups()->GetIndexByRowIndex(FocusedRowIndex()));
    DeleteRecordList(List);
  } else {
    const Integer Focused = FocusedRecordIndex();
    if (NearestRecordIndex >= Focused) --NearestRecordIndex;
    FProvider->Delete();
  }
  FDataControllerInfo->ClearSelection();
}

void TvlCustomDataController::DeleteSelection() {
  if (GetSelectedCount() == 0 || !FProvider->DeleteAllowed()) return;
  FProvider->FindNearestRecord();
  Finally End([&] { NearestRecordIndex = -1; });
  if (!FMultiSelect) {
    const Integer Focused = FocusedRecordIndex();
    if (NearestRecordIndex >= Focused) --NearestRecordIndex;
    FProvider->Delete();
    return;
  }
  FInDeleteSelection = true;
  Finally Clear([&] { FInDeleteSelection = false; });
  FProvider->DeleteSelection();
}

void TvlCustomDataController::DeleteRecordList(std::vector<Integer> AList) {
  std::sort(AList.begin(), AList.end());
  AList.erase(std::unique(AList.begin(), AList.end()), AList.end());
  if (NearestRecordIndex != -1) {
    Integer Before = static_cast<Integer>(std::upper_bound(AList.begin(), AList.end(), NearestRecordIndex) - AList.begin());
    NearestRecordIndex -= Before;
  }
  FProvider->DeleteRecords(AList);
}

void TvlCustomDataController::CopyRecordValues(Integer AFromRecordIndex, Integer AToRecordIndex) {
  for (Integer I = 0; I < FFields->Count(); ++I) {
    TvlCustomDataField* F = FFields->Items(I);
    if (!F->ValueDef() || F->IsInternal()) continue;
    FDataStorage->SetValue(AToRecordIndex, F->ValueDef(), FDataStorage->GetValue(AFromRecordIndex, F->ValueDef()));
  }
  if (AToRecordIndex >= 0) DataChanged(dcRecord, -1, -1);
}

void TvlCustomDataController::CheckEditingRecord(Integer ARecordIndex) {
  Integer E = FProvider->EditingRecordIndex();
  if (E == vlNoEditingRecordIndex) return;
  if ((ARecordIndex >= 0 && ARecordIndex <= E) || E >= RecordCount()) FProvider->ResetEditing();
}

// --- Filtering ------------------------------------------------------------------------

Boolean TvlCustomDataController::DoFilterRecord(Integer ARecordIndex) {
  Boolean Accept = true;
  if (Assigned(FOnFilterRecord)) FOnFilterRecord(this, ARecordIndex, Accept);
  return Accept;
}

void TvlCustomDataController::SetOnFilterRecord(const TvlDataFilterRecordEvent& Value) {
  if (FOnFilterRecord == Value) return;
  FOnFilterRecord = Value;
  FilterChanged();
}

void TvlCustomDataController::FilterChanged() {
  if (FDestroying) return;
  CheckFocusingAfterFilterNeeded = true;
  Cancel();
  Refresh();
  CheckBookmarkValid(-1);
  RefreshPrevSelectionInfo();
}

Integer TvlCustomDataController::SetIncrementalFilter(Integer AItemIndex, const String& AText) {
  FIncrementalFilterField = GetItemField(AItemIndex);
  FIncrementalFilterText = AText;
  Refresh();
  return FilteredRecordCount() > 0 ? FDataControllerInfo->GetInternalRecordIndex(0) : -1;
}

void TvlCustomDataController::ResetIncrementalFilter() {
  Boolean Was = IsIncrementalFilter();
  FIncrementalFilterField = nullptr;
  FIncrementalFilterText.clear();
  if (Was && !IsOwnerDestroying()) Refresh();
}

Boolean TvlCustomDataController::IsIncrementalFilterMatch(Integer ARecordIndex) {
  return vlMatchSearchText(GetDisplayText(ARecordIndex, FIncrementalFilterField), FIncrementalFilterText, true);
}

Integer TvlCustomDataController::FindRecordIndexByText(Integer AStartRecordIndex, Integer AItemIndex,
                                                       const String& AText, Boolean APartialCompare,
                                                       Boolean ACircular, Boolean AForward) {
  CheckItemRange(AItemIndex);
  const Integer N = FilteredRecordCount();
  if (AStartRecordIndex < 0 || AStartRecordIndex >= N) return -1;
  auto Scan = [&](Integer From, Integer To) {
    for (Integer P = From; AForward ? P <= To : P >= To; P += AForward ? 1 : -1) {
      Integer R = FDataControllerInfo->GetInternalRecordIndex(P);
      if (vlMatchSearchText(GetDisplayText(R, AItemIndex), AText, APartialCompare)) return R;
    }
    return -1;
  };
  Integer R = Scan(AStartRecordIndex, AForward ? N - 1 : 0);
  if (R < 0 && ACircular && AStartRecordIndex != 0)
    R = AForward ? Scan(0, AStartRecordIndex - 1) : Scan(N - 1, AStartRecordIndex + 1);
  return R;
}

// --- Master-detail -----------------------------------------------------------------

TvlCustomDataRelationList* TvlCustomDataController::Relations() {
  if (!FRelations) FRelations = New<TvlCustomDataRelationList>(static_cast<IvlDataController*>(this));
  return FRelations;
}

TvlCustomDataRelationClass TvlCustomDataController::GetRelationClass() { return ClassOf<TvlCustomDataRelation>(); }

Boolean TvlCustomDataController::IsPattern() { return FMasterRelation ? FMasterRecordIndex == -1 : FIsPattern; }

void TvlCustomDataController::SetIsPattern(Boolean Value) {
  // A request that cannot be met is refused with the controller's own error.
  Boolean Old = IsPattern();
  FIsPattern = Value;
  if (IsPattern() != Old && !IsOwnerDestroying()) RebuildData();
}

void TvlCustomDataController::SetMasterMode(TvlCustomDataRelation* AMasterRelation, Boolean AIsPattern) {
  BeginFullUpdate();
  Finally End([&] { EndFullUpdate(); });
  SetMasterRelation(AMasterRelation, -1);
  SetIsPattern(AIsPattern);
}

void TvlCustomDataController::SetMasterRelation(TvlCustomDataRelation* AMasterRelation, Integer AMasterRecordIndex) {
  if (!FMasterRelation && !AMasterRelation && FMasterRecordIndex == -1 && AMasterRecordIndex == -1) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  if (FMasterRelation && AMasterRecordIndex == -1 &&
      FMasterRelation->DetailDataController() == static_cast<IvlDataController*>(this))
    FMasterRelation->SetDetailDataController(nullptr);
  FMasterRelation = AMasterRelation;
  if (AMasterRelation && AMasterRecordIndex == -1) AMasterRelation->SetDetailDataController(this);
  FMasterRecordIndex = AMasterRecordIndex;
}

void TvlCustomDataController::ClearDetails() {
  if (!FRelations) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  for (Integer R = 0; R < RecordCount(); ++R) FRelations->ClearDetailObject(R, -1);
}

void TvlCustomDataController::RelationsChanged(TvlCustomDataRelation*) {
  if (FDestroying) return;
  if (!IsPattern()) Change(dccData);
}

Boolean TvlCustomDataController::GetDetailExpanding(Integer ARecordIndex) {
  if (!FRelations || FRelations->Count() == 0) return false;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  return D && D->Expanded();
}

Boolean TvlCustomDataController::ChangeDetailExpanding(Integer ARecordIndex, Boolean AExpanded) {
  if (ARecordIndex >= 0 && ARecordIndex < RecordCount() && GetDetailExpanding(ARecordIndex) == AExpanded) return true;
  FIsDetailExpanding = true;
  Finally Clear([&] { FIsDetailExpanding = false; });
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount() || !FRelations || FRelations->Count() == 0) return false;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  if (!D) return false;
  Boolean Allow = true;
  if (Assigned(FOnDetailExpanding)) FOnDetailExpanding(this, ARecordIndex, Allow);
  if (!Allow) return false;
  D->SetExpanded(AExpanded);
  TvlCustomDataController* Master = FMasterRelation
                                        ? dynamic_cast<TvlCustomDataController*>(FMasterRelation->DataController())
                                        : nullptr;
  if (!Master || Master->LockCount() == 0) Change(dccDetail);
  return true;
}

TObject* TvlCustomDataController::CreateDetailLinkObject(TvlCustomDataRelation*, Integer) { return nullptr; }

TObject* TvlCustomDataController::GetDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FRelations || ARelationIndex < 0 || ARelationIndex >= FRelations->Count()) return nullptr;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  if (!D) return nullptr;
  if (TObject* L = D->LinkObjects(ARelationIndex)) return L;
  if (FCreatingLinkObject) return nullptr;
  FCreatingLinkObject = true;
  Finally Clear([&] { FCreatingLinkObject = false; });
  TObject* L = CreateDetailLinkObject(FRelations->Items(ARelationIndex), ARecordIndex);
  if (!L) return nullptr;
  if (ARecordIndex >= RecordCount() || FRelations->GetDetailObject(ARecordIndex) != D) {
    Free(L);
    return nullptr;
  }
  D->AssignLinkObject(ARelationIndex, L);
  return L;
}

Boolean TvlCustomDataController::GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FRelations || ARelationIndex < 0 || ARelationIndex >= FRelations->Count()) return false;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  if (D && D->LinkObjects(ARelationIndex)) {
    auto* Detail =
        dynamic_cast<TvlCustomDataController*>(GetDetailDataControllerByLinkObject(D->LinkObjects(ARelationIndex)));
    if (Detail) return Detail->RecordCount() > 0;
  }
  if (!IsProviderMode() && !IsActiveDataSet()) return false;
  if (!D) return true;
  if (ARelationIndex >= D->InfoObjectCount() || !D->InfoObjects(ARelationIndex)) D->AssignLinkObject(ARelationIndex, nullptr);
  TvlDetailInfoObject* Info = D->InfoObjects(ARelationIndex);
  if (!Info->HasChildrenAssigned) {
    Info->HasChildren = FProvider->GetDetailHasChildren(ARecordIndex, ARelationIndex);
    Info->HasChildrenAssigned = true;
  }
  return Info->HasChildren;
}

void TvlCustomDataController::ResetHasChildrenFlag() {
  if (!FRelations || FRelations->Count() == 0) return;
  Boolean Any = false;
  for (Integer R = 0; R < RecordCount(); ++R)
    if (TvlDetailObject* D = FRelations->GetDetailObject(R)) Any = D->ClearHasChildrenFlag() || Any;
  if (Any) FDataControllerInfo->RefreshView();
}

void TvlCustomDataController::RecordInserted(Integer ARecordIndex) {
  if (!FRelations || FRelations->Count() == 0) return;
  for (Integer R = ARecordIndex + 1; R < RecordCount(); ++R)
    for (Integer I = 0; I < FRelations->Count(); ++I)
      if (FRelations->IsDetailObjectExist(R, I))
        if (auto* Detail = dynamic_cast<TvlCustomDataController*>(
                GetDetailDataControllerByLinkObject(FRelations->GetDetailObject(R)->LinkObjects(I))))
          ++Detail->FMasterRecordIndex;
}

void TvlCustomDataController::RecordDeleted(Integer ARecordIndex) {
  CheckEditingRecord(ARecordIndex);
  if (!FRelations || FRelations->Count() == 0) return;
  for (Integer R = ARecordIndex; R < RecordCount(); ++R)
    for (Integer I = 0; I < FRelations->Count(); ++I)
      if (FRelations->IsDetailObjectExist(R, I))
        if (auto* Detail = dynamic_cast<TvlCustomDataController*>(
                GetDetailDataControllerByLinkObject(FRelations->GetDetailObject(R)->LinkObjects(I))))
          --Detail->FMasterRecordIndex;
}

// --- The stream -----------------------------------------------------------------------

void TvlCustomDataController::SaveToStream(TStream* AStream) {
  // Item definitions in field order; in provider mode the values come from
  // the data source into a scratch storage of the same layout, so that the
  // stream reads back like any other.
  std::vector<TvlCustomDataField*> Items;
  for (Integer I = 0; I < GetItemCount(); ++I)
    if (FFields->Items(I)->ValueDef()) Items.push_back(FFields->Items(I));
  TvlDataStorage* Scratch = New<TvlDataStorage>();
  Finally FreeScratch([&] { Free(Scratch); });
  for (TvlCustomDataField* F : Items) Scratch->ValueDefs()->Add(F->ValueTypeClass(), true, false, nullptr);
  const Integer N = RecordCount();
  Scratch->SetRecordCount(N);
  for (Integer R = 0; R < N; ++R)
    for (size_t I = 0; I < Items.size(); ++I)
      Scratch->SetValue(R, Scratch->ValueDefs()->Items(static_cast<Integer>(I)), GetValue(R, Items[I]));
  for (Integer I = 0; I < Scratch->ValueDefs()->Count(); ++I) Scratch->ValueDefs()->Items(I)->SetStreamStored(true);
  vlStreamWriteAnsiString(AStream, kStreamSignature);
  vlStreamWriteInteger(AStream, static_cast<Integer>(Items.size()));
  for (TvlCustomDataField* F : Items) vlStreamWriteAnsiString(AStream, F->ValueTypeClass()->ClassName());
  vlStreamWriteInteger(AStream, N);
  for (Integer R = 0; R < N; ++R) Scratch->WriteData(R, AStream);
}

void TvlCustomDataController::LoadFromStream(TStream* AStream) {
  if (IsProviderMode()) DataError(vlSDataProviderModeError);
  std::vector<TvlCustomDataField*> Items;
  for (Integer I = 0; I < FFields->Count(); ++I) {
    TvlCustomDataField* F = FFields->Items(I);
    if (F->ValueDef() && !F->IsInternal()) Items.push_back(F);
  }
  AnsiString Signature;
  vlStreamReadAnsiString(AStream, Signature);
  if (Signature != kStreamSignature) DataError(vlSDataInvalidStreamFormat);
  Integer Count = vlStreamGetInteger(AStream);
  if (Count != static_cast<Integer>(Items.size())) DataError(vlSDataInvalidStreamFormat);
  for (TvlCustomDataField* F : Items) {
    AnsiString Name;
    vlStreamReadAnsiString(AStream, Name);
    if (String(Name.begin(), Name.end()) != F->ValueTypeClass()->ClassName()) DataError(vlSDataInvalidStreamFormat);
  }
  const Integer N = vlStreamGetInteger(AStream);
  // Each record takes at least its signature; a count beyond the bytes left
  // is damage.
  if (N < 0 || N > (AStream->Size() - AStream->Position())) DataError(vlSDataInvalidStreamFormat);
  // Read into a scratch storage first: a stream that fails midway leaves
  // the controller as it was.
  TvlDataStorage* Scratch = New<TvlDataStorage>();
  Finally FreeScratch([&] { Free(Scratch); });
  for (TvlCustomDataField* F : Items) Scratch->ValueDefs()->Add(F->ValueTypeClass(), true, false, nullptr);
  for (Integer I = 0; I < Scratch->ValueDefs()->Count(); ++I) Scratch->ValueDefs()->Items(I)->SetStreamStored(true);
  Scratch->SetRecordCount(N);
  for (Integer R = 0; R < N; ++R) {
    // A record starts with its payload signature; a stream cut inside it
    // is damage, not a record of other bytes.
    char Sig[6];
    if (AStream->Size() - AStream->Position() < 7) DataError(vlSDataInvalidStreamFormat);
    AStream->ReadBuffer(Sig, 6);
    AStream->Seek(-6, soCurrent);
    if (std::memcmp(Sig, "NBUFMT", 6) != 0 && std::memcmp(Sig, "NBAFMT", 6) != 0)
      DataError(vlSDataInvalidStreamFormat);
    Scratch->ReadData(R, AStream);
  }
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDataControllerInfo->Selection()->ClearAll();
  FProvider->ResetEditing();
  FDataStorage->SetRecordCount(0);
  FDataStorage->SetRecordCount(N);
  for (Integer R = 0; R < N; ++R)
    for (size_t I = 0; I < Items.size(); ++I)
      FDataStorage->SetValue(R, Items[I]->ValueDef(),
                             Scratch->GetValue(R, Scratch->ValueDefs()->Items(static_cast<Integer>(I))));
  CheckBookmarkValid(-1);
  FDataControllerInfo->Refresh();
}

// --- Grouping face --------------------------------------------------------------------

TvlCustomDataControllerInfo* TvlDataControllerGroups::Info() const { return FDataController->DataControllerInfo(); }

void TvlDataControllerGroups::ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive) {
  Info()->ChangeExpanding(ARowIndex, AExpanded, ARecursive);
}
void TvlDataControllerGroups::FullCollapse() { Info()->FullCollapse(); }
void TvlDataControllerGroups::FullExpand() { Info()->FullExpand(); }
void TvlDataControllerGroups::ChangeGrouping(Integer AItemIndex, Integer AGroupIndex) {
  FDataController->ChangeGrouping(AItemIndex, AGroupIndex);
}
void TvlDataControllerGroups::ClearGrouping() { FDataController->ClearGrouping(); }
Integer TvlDataControllerGroups::GroupingItemCount() const { return Info()->GroupingFieldList()->Count(); }

Integer TvlDataControllerGroups::ItemOfGroupingLevel(Integer AIndex) const {
  return Info()->GroupingFieldList()->Items(AIndex).Field->Index();
}

Integer TvlDataControllerGroups::GetItemGroupIndex(Integer AItemIndex) const {
  return Info()->GroupingFieldList()->GroupIndexByField(FDataController->GetItemField(AItemIndex));
}

Integer TvlDataControllerGroups::GroupIndexOfRow(Integer ARowIndex) const {
  return Info()->DataGroups()->GetIndexByRowIndex(ARowIndex);
}
Integer TvlDataControllerGroups::GetLevel(Integer ADataGroupIndex) const {
  return Info()->DataGroups()->GetLevel(ADataGroupIndex);
}
Integer TvlDataControllerGroups::GetChildCount(Integer ADataGroupIndex) const {
  return Info()->DataGroups()->GetChildCount(ADataGroupIndex);
}
Integer TvlDataControllerGroups::GetChildDataGroupIndex(Integer ADataGroupIndex, Integer AIndex) const {
  return Info()->DataGroups()->GetChildIndex(ADataGroupIndex, AIndex);
}

Integer TvlDataControllerGroups::GetRecordIndexOfChild(Integer ADataGroupIndex, Integer AIndex) const {
  TvlDataGroups* G = Info()->DataGroups();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= G->Count() || G->GetLevel(ADataGroupIndex) != G->LevelCount() - 1)
    return -1;
  TvlDataGroupInfo* I = G->Items(ADataGroupIndex);
  if (AIndex < 0 || AIndex > I->EndRecordListIndex - I->BeginRecordListIndex) return -1;
  return Info()->GetInternalRecordIndex(I->BeginRecordListIndex + AIndex);
}

Integer TvlDataControllerGroups::GetFirstRecordOfGroup(Integer ADataGroupIndex) const {
  TvlDataGroups* G = Info()->DataGroups();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= G->Count()) return -1;
  return Info()->GetInternalRecordIndex(G->GetDataRecordListIndex(ADataGroupIndex));
}

Variant TvlDataControllerGroups::GetGroupValue(Integer ADataGroupIndex) const {
  Integer R = GetFirstRecordOfGroup(ADataGroupIndex);
  if (R < 0) return Null();
  TvlCustomDataField* F = Info()->DataGroups()->Fields(GetLevel(ADataGroupIndex));
  return FDataController->GetValue(R, F);
}

Integer TvlDataControllerGroups::GetDataGroupIndexByGroupValue(Integer AParentDataGroupIndex,
                                                               const Variant& AValue) const {
  for (Integer I = 0; I < GetChildCount(AParentDataGroupIndex); ++I) {
    Integer G = GetChildDataGroupIndex(AParentDataGroupIndex, I);
    if (G >= 0 && vlVariantsEqual(GetGroupValue(G), AValue)) return G;
  }
  return -1;
}

Boolean TvlDataControllerGroups::HasAsParent(Integer ARowIndex, Integer AParentRowIndex) const {
  if (!Info()->IsGrouped()) return false;
  TvlDataGroups* G = Info()->DataGroups();
  Integer Child = G->GetIndexByRowIndex(ARowIndex), Parent = G->GetIndexByRowIndex(AParentRowIndex);
  if (Child < 0 || Parent < 0) return false;
  if (Child == Parent) return true;
  if (G->GetLevel(Parent) >= G->GetLevel(Child)) return false;
  return Child >= G->Items(Parent)->BeginRecordListIndex && Child <= G->Items(Parent)->EndRecordListIndex;
}

void TvlDataControllerGroups::LoadRecordIndexes(std::vector<Integer>& AList, Integer ADataGroupIndex) const {
  TvlDataGroups* G = Info()->DataGroups();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= G->Count()) return;
  Integer Last = ADataGroupIndex;
  while (Last + 1 < G->Count() && G->Items(Last + 1)->Level > G->Items(ADataGroupIndex)->Level) ++Last;
  for (Integer P = G->GetDataRecordListIndex(ADataGroupIndex); P <= G->Items(Last)->EndRecordListIndex; ++P)
    AList.push_back(Info()->GetInternalRecordIndex(P));
}
