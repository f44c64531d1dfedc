// The data engine of the controller: sorting and grouping field lists, the
// group tree, focus and selection, and the info object's update pipeline.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

#include <sched.h>

#include "lib/data/vlDataConsts.h"
#include "lib/data/vlDataController.h"
#include "lib/foundation/vlVariants.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Collation.h"

CL_IMPLEMENT_CLASS(TvlSortingFieldList)
CL_IMPLEMENT_CLASS(TvlGroupingFieldList)
CL_IMPLEMENT_CLASS(TvlDataGroupInfo)
CL_IMPLEMENT_CLASS(TvlDataGroups)
CL_IMPLEMENT_CLASS(TvlDataExpandingInfos)
CL_IMPLEMENT_CLASS(TvlDataFocusingInfo)
CL_IMPLEMENT_CLASS(TvlDataSelection)
CL_IMPLEMENT_CLASS(TvlSortingBySummaryEngine)
CL_IMPLEMENT_CLASS(TvlCustomDataControllerInfo)

namespace {

[[noreturn]] void RowIndexError() { throw EvlInvalidDataControllerOperation(LoadResString(vlSDataRowIndexError)); }

}  // namespace

// --- Sorting field lists ---------------------------------------------------------------

void TvlSortingFieldList::Changed() {
  if (Assigned(FOnChanged)) FOnChanged();
}

void TvlSortingFieldList::Add(TvlCustomDataField* AField, TvlDataSortOrder ASortOrder) {
  FItems.push_back({AField, ASortOrder});
  Changed();
}

void TvlSortingFieldList::Insert(Integer AIndex, TvlCustomDataField* AField, TvlDataSortOrder ASortOrder) {
  FItems.insert(FItems.begin() + AIndex, {AField, ASortOrder});
  Changed();
}

void TvlSortingFieldList::Delete(Integer AIndex) {
  FItems.erase(FItems.begin() + AIndex);
  Changed();
}

void TvlSortingFieldList::Remove(TvlCustomDataField* AField) {
  Integer I = Find(AField);
  if (I >= 0) Delete(I);
}

void TvlSortingFieldList::Move(Integer ACurIndex, Integer ANewIndex) {
  if (ACurIndex == ANewIndex) return;
  TvlSortingFieldItem Item = FItems[ACurIndex];
  FItems.erase(FItems.begin() + ACurIndex);
  FItems.insert(FItems.begin() + ANewIndex, Item);
  Changed();
}

void TvlSortingFieldList::Clear() {
  while (!FItems.empty()) Delete(0);
}

Integer TvlSortingFieldList::Find(TvlCustomDataField* AField) const {
  for (size_t I = 0; I < FItems.size(); ++I)
    if (FItems[I].Field == AField) return static_cast<Integer>(I);
  return -1;
}

TvlDataSortOrder TvlSortingFieldList::SortOrderByField(TvlCustomDataField* AField) const {
  Integer I = Find(AField);
  return I < 0 ? soNone : FItems[I].SortOrder;
}

void TvlSortingFieldList::AssignSortOrder(Integer AIndex, TvlDataSortOrder ASortOrder) {
  if (FItems[AIndex].SortOrder == ASortOrder) return;
  FItems[AIndex].SortOrder = ASortOrder;
  Changed();
}

void TvlSortingFieldList::ChangeSorting(TvlCustomDataField* AField, TvlDataSortOrder ASortOrder) {
  Integer I = Find(AField);
  if (I >= 0) {
    if (ASortOrder == soNone)
      Delete(I);
    else
      AssignSortOrder(I, ASortOrder);
  } else if (ASortOrder != soNone) {
    Add(AField, ASortOrder);
  }
}

void TvlSortingFieldList::CheckField(TvlCustomDataField* AField) {
  if (Find(AField) >= 0) Changed();
}

void TvlSortingFieldList::AppendFrom(const TvlSortingFieldList* AList) {
  for (const TvlSortingFieldItem& Item : AList->FItems)
    if (Find(Item.Field) < 0) FItems.push_back(Item);
}

void TvlGroupingFieldList::ChangeSorting(TvlCustomDataField* AField, TvlDataSortOrder ASortOrder) {
  inherited::ChangeSorting(AField, ASortOrder == soNone ? soAscending : ASortOrder);
}

void TvlGroupingFieldList::ChangeGrouping(TvlCustomDataField* AField, Integer AGroupIndex) {
  Integer I = Find(AField);
  if (AGroupIndex < 0) {
    if (I >= 0) Delete(I);
  } else if (I < 0) {
    Insert(std::min(AGroupIndex, Count()), AField, soAscending);
  } else {
    Move(I, std::min(AGroupIndex, Count() - 1));
  }
}

void TvlGroupingFieldList::UpdateSorting(const TvlSortingFieldList* ASortingList) {
  for (Integer I = 0; I < Count(); ++I) {
    TvlDataSortOrder Order = ASortingList->SortOrderByField(Items(I).Field);
    AssignSortOrder(I, Order == soNone ? soAscending : Order);
  }
}

// --- Group tree ------------------------------------------------------------------------

void TvlDataGroups::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlDataGroups::Clear() {
  FFields.clear();
  for (TvlDataGroupInfo* G : FItems) Free(G);
  FItems.clear();
}

TvlDataGroupInfo* TvlDataGroups::Add() {
  TvlDataGroupInfo* G = New<TvlDataGroupInfo>();
  FItems.push_back(G);
  return G;
}

Integer TvlDataGroups::GetLevel(Integer AIndex) const {
  return AIndex >= 0 && AIndex < Count() ? FItems[AIndex]->Level : -1;
}

Integer TvlDataGroups::GetParentIndex(Integer AChildIndex) const {
  Integer L = GetLevel(AChildIndex);
  if (L <= 0) return -1;
  for (Integer I = AChildIndex - 1; I >= 0; --I)
    if (FItems[I]->Level < L) return I;
  return -1;
}

Integer TvlDataGroups::GetFirstLevelCount() const {
  Integer N = 0;
  for (TvlDataGroupInfo* G : FItems)
    if (G->Level == 0) ++N;
  return N;
}

Integer TvlDataGroups::GetFirstLevelIndex(Integer AIndex) const {
  Integer N = 0;
  for (Integer I = 0; I < Count(); ++I)
    if (FItems[I]->Level == 0 && N++ == AIndex) return I;
  return -1;
}

Integer TvlDataGroups::GetChildCount(Integer AIndex) const {
  if (AIndex == -1) return GetFirstLevelCount();
  if (AIndex < 0 || AIndex >= Count()) return 0;
  TvlDataGroupInfo* G = FItems[AIndex];
  if (G->Level == LevelCount() - 1) return G->EndRecordListIndex - G->BeginRecordListIndex + 1;
  Integer N = 0;
  for (Integer I = G->BeginRecordListIndex; I <= G->EndRecordListIndex; ++I)
    if (FItems[I]->Level == G->Level + 1) ++N;
  return N;
}

Integer TvlDataGroups::GetChildIndex(Integer AParentIndex, Integer AIndex) const {
  if (AParentIndex == -1) return GetFirstLevelIndex(AIndex);
  if (AParentIndex < 0 || AParentIndex >= Count() || AIndex < 0) return -1;
  TvlDataGroupInfo* G = FItems[AParentIndex];
  if (G->Level == LevelCount() - 1 || AIndex > G->EndRecordListIndex - G->BeginRecordListIndex) return -1;
  Integer N = 0;
  for (Integer I = G->BeginRecordListIndex; I <= G->EndRecordListIndex; ++I)
    if (FItems[I]->Level == G->Level + 1 && N++ == AIndex) return I;
  return -1;
}

Integer TvlDataGroups::GetDataRecordListIndex(Integer AIndex) const {
  while (FItems[AIndex]->Level < LevelCount() - 1) AIndex = FItems[AIndex]->BeginRecordListIndex;
  return FItems[AIndex]->BeginRecordListIndex;
}

Integer TvlDataGroups::GetVisibleGroup(Integer AIndex) const {
  Integer Result = AIndex;
  Integer Row = FItems[AIndex]->RowIndex;
  // The shallowest collapsed entry met owns the row.
  for (Integer I = AIndex; I >= 0 && FItems[I]->RowIndex == Row; --I) {
    if (!FItems[I]->Expanded) Result = I;
    if (FItems[I]->Level == 0) break;
  }
  return Result;
}

Integer TvlDataGroups::FindGroupByRowIndex(Integer ARowIndex, Integer& AInfo) const {
  Integer L = 0, H = Count() - 1;
  AInfo = -1;
  while (L <= H) {
    Integer M = (L + H) / 2;
    Integer R = FItems[M]->RowIndex;
    if (R < ARowIndex) {
      L = M + 1;
    } else if (R > ARowIndex) {
      H = M - 1;
    } else {
      // The first entry carrying the row; the visible one among the same row.
      while (M > 0 && FItems[M - 1]->RowIndex == ARowIndex) --M;
      Integer Last = M;
      while (Last + 1 < Count() && FItems[Last + 1]->RowIndex == ARowIndex) ++Last;
      Integer V = GetVisibleGroup(Last);
      AInfo = V;
      return V;
    }
  }
  AInfo = H;
  return -1;
}

Integer TvlDataGroups::FindGroupByRecordListIndex(Integer APosition, Integer ALevel) const {
  Integer Last = -1;
  for (Integer I = 0; I < Count(); ++I) {
    TvlDataGroupInfo* G = FItems[I];
    if (G->Level == ALevel) Last = I;
    if (G->Level == LevelCount() - 1 && APosition >= G->BeginRecordListIndex && APosition <= G->EndRecordListIndex)
      return Last;
  }
  return -1;
}

Integer TvlDataGroups::FindDeepestByRecordListIndex(Integer APosition) const {
  // Deepest entries hold increasing record ranges: halve over all entries by
  // their first record position.
  Integer L = 0, H = Count() - 1, Result = -1;
  while (L <= H) {
    Integer M = (L + H) / 2;
    Integer Pos = GetDataRecordListIndex(M);
    if (Pos <= APosition) {
      Result = M;
      L = M + 1;
    } else {
      H = M - 1;
    }
  }
  if (Result < 0) return -1;
  while (FItems[Result]->Level < LevelCount() - 1) Result = FItems[Result]->BeginRecordListIndex;
  TvlDataGroupInfo* G = FItems[Result];
  return APosition >= G->BeginRecordListIndex && APosition <= G->EndRecordListIndex ? Result : -1;
}

Integer TvlDataGroups::GetIndexByRowIndexLevel(Integer ARowIndex, Integer ALevel) const {
  Integer Info;
  Integer I = FindGroupByRowIndex(ARowIndex, Info);
  if (I < 0) I = Info;
  if (I < 0) return -1;
  if (ALevel < 0) return I;
  if (FItems[I]->Level < ALevel) {
    for (Integer J = I; J < Count(); ++J)
      if (FItems[J]->Level == ALevel) return J;
    return -1;
  }
  for (Integer J = I; J >= 0; --J)
    if (FItems[J]->Level == ALevel) return J;
  return -1;
}

Integer TvlDataGroups::GetRowCount() const {
  if (FItems.empty()) return 0;
  Integer V = GetVisibleGroup(Count() - 1);
  TvlDataGroupInfo* G = FItems[V];
  if (G->Expanded && G->Level == LevelCount() - 1)
    return G->RowIndex + (G->EndRecordListIndex - G->BeginRecordListIndex) + 2;
  return G->RowIndex + 1;
}

TvlRowInfo TvlDataGroups::GetRowInfo(Integer ARowIndex) const {
  TvlRowInfo R;
  Integer Info;
  Integer I = FindGroupByRowIndex(ARowIndex, Info);
  if (I >= 0) {
    R.Level = FItems[I]->Level;
    R.Expanded = FItems[I]->Expanded;
    R.RecordListIndex = GetDataRecordListIndex(I);
  } else if (Info >= 0) {
    TvlDataGroupInfo* G = FItems[Info];
    R.Level = LevelCount();
    R.RecordListIndex = ARowIndex - G->RowIndex - 1 + G->BeginRecordListIndex;
  }
  return R;
}

Boolean TvlDataGroups::IsVisible(Integer AIndex) const {
  Integer Info;
  return FindGroupByRowIndex(FItems[AIndex]->RowIndex, Info) == AIndex;
}

Boolean TvlDataGroups::MakeVisible(Integer AIndex, Boolean AIncludeSelf) {
  Boolean Changed = false;
  if (AIncludeSelf && !FItems[AIndex]->Expanded) {
    FItems[AIndex]->Expanded = true;
    Changed = true;
  }
  for (Integer P = GetParentIndex(AIndex); P >= 0; P = GetParentIndex(P))
    if (!FItems[P]->Expanded) {
      FItems[P]->Expanded = true;
      Changed = true;
    }
  if (Changed) Rebuild();
  return Changed;
}

Boolean TvlDataGroups::ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive) {
  Integer Info;
  Integer I = FindGroupByRowIndex(ARowIndex, Info);
  if (I < 0) return false;
  Boolean Changed = FItems[I]->Expanded != AExpanded;
  FItems[I]->Expanded = AExpanded;
  if (ARecursive)
    for (Integer J = I + 1; J < Count() && FItems[J]->Level > FItems[I]->Level; ++J) {
      Changed = Changed || FItems[J]->Expanded != AExpanded;
      FItems[J]->Expanded = AExpanded;
    }
  Rebuild();
  return Changed;
}

void TvlDataGroups::FullExpanding(Boolean AExpanded) {
  for (TvlDataGroupInfo* G : FItems) G->Expanded = AExpanded;
  Rebuild();
}

void TvlDataGroups::Rebuild() {
  // Pre-order walk: an entry hidden by a collapsed ancestor takes the row of
  // that ancestor's group row.
  Integer Row = 0;
  Integer Deepest = LevelCount() - 1;
  Integer HiddenBelow = INT32_MAX;  // entries deeper than this level are hidden
  for (TvlDataGroupInfo* G : FItems) {
    if (G->Level <= HiddenBelow) HiddenBelow = INT32_MAX;
    if (G->Level > HiddenBelow) {
      G->RowIndex = Row - 1;
      continue;
    }
    G->RowIndex = Row++;
    if (G->Expanded) {
      if (G->Level == Deepest) Row += G->EndRecordListIndex - G->BeginRecordListIndex + 1;
    } else {
      HiddenBelow = G->Level;
    }
  }
}

// --- Expanding infos ---------------------------------------------------------------

void TvlDataExpandingInfos::AddField(TvlCustomDataField* AField) {
  if (std::find(FFields.begin(), FFields.end(), AField) != FFields.end())
    throw EvlInvalidDataControllerOperation(LoadResString(vlSDataItemExistError));
  FFields.push_back(AField);
  FItems.clear();
}

void TvlDataExpandingInfos::Clear() {
  FFields.clear();
  FItems.clear();
  SaveStates = 0;
}

void TvlDataExpandingInfos::CheckField(TvlCustomDataField* AField) {
  if (std::find(FFields.begin(), FFields.end(), AField) != FFields.end()) Clear();
}

// --- Focus -----------------------------------------------------------------------------

void TvlDataFocusingInfo::Create(TvlCustomDataControllerInfo* AInfo) { FInfo = AInfo; }

void TvlDataFocusingInfo::Assign(TvlDataFocusingInfo* ASource) {
  Level = ASource->Level;
  PrevRecordIndex = ASource->PrevRecordIndex;
  RecordIndex = ASource->RecordIndex;
  RowIndex = ASource->RowIndex;
  ChangedFlag = false;
}

void TvlDataFocusingInfo::Clear() {
  Level = -1;
  RecordIndex = -1;
  RowIndex = -1;
}

Boolean TvlDataFocusingInfo::IsEqual(TvlDataFocusingInfo* AOther) const {
  if (RecordIndex != AOther->RecordIndex || Level != AOther->Level) return false;
  return !(FInfo->Changes() & dcicFocusedRow) || RowIndex == AOther->RowIndex;
}

void TvlDataFocusingInfo::ResetToController() {
  Level = -1;
  RecordIndex = FInfo->FocusedRecordIndex();
}

void TvlDataFocusingInfo::UpdateFromRow() {
  if (RowIndex < 0) {
    Level = -1;
    RecordIndex = -1;
  } else {
    TvlRowInfo R = FInfo->GetRowInfo(RowIndex);
    Level = R.Level;
    RecordIndex = R.RecordIndex;
  }
  PrevRecordIndex = RecordIndex;
}

// --- Selection -------------------------------------------------------------------------

void TvlDataSelection::Create(TvlCustomDataController* ADataController) { FDataController = ADataController; }

void TvlDataSelection::Changed() {
  if (Assigned(FOnChanged)) FOnChanged();
}

void TvlDataSelection::Add(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex) {
  TvlSelectionEntry E{ALevel, ARecordIndex, ARowIndex};
  if (AIndex < 0)
    FItems.push_back(E);
  else
    FItems.insert(FItems.begin() + AIndex, E);
  Changed();
}

void TvlDataSelection::Clear() {
  FItems.clear();
  Changed();
}

void TvlDataSelection::ClearAll() {
  ClearAnchor();
  Clear();
}

void TvlDataSelection::Delete(Integer AIndex) {
  if (FItems[AIndex].RowIndex == FAnchorRowIndex) ClearAnchor();
  FItems.erase(FItems.begin() + AIndex);
  Changed();
}

Boolean TvlDataSelection::FindByRowIndex(Integer ARowIndex, Integer& AIndex) const {
  auto It = std::lower_bound(FItems.begin(), FItems.end(), ARowIndex,
                             [](const TvlSelectionEntry& E, Integer R) { return E.RowIndex < R; });
  AIndex = static_cast<Integer>(It - FItems.begin());
  return It != FItems.end() && It->RowIndex == ARowIndex;
}

Integer TvlDataSelection::FindByRecordIndex(Integer ARecordIndex) const {
  for (size_t I = 0; I < FItems.size(); ++I)
    if (FItems[I].Level >= 0 && FItems[I].RecordIndex == ARecordIndex) return static_cast<Integer>(I);
  return -1;
}

Integer TvlDataSelection::FindByGroupIndex(Integer AGroupIndex) const {
  for (size_t I = 0; I < FItems.size(); ++I)
    if (FItems[I].Level < 0 && FItems[I].RecordIndex == AGroupIndex) return static_cast<Integer>(I);
  return -1;
}

void TvlDataSelection::Sort() {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [](const TvlSelectionEntry& A, const TvlSelectionEntry& B) { return A.RowIndex < B.RowIndex; });
}

void TvlDataSelection::RemoveFilteredRecords(TvlCustomDataControllerInfo* AInfo) {
  // In grid mode entries stand for data-set bookmarks, not for window records.
  if (FDataController->IsGridMode()) return;
  if (FItems.empty()) return;
  const std::vector<Integer> PosOf = AInfo->RecordListPositions();
  auto Kept = [&](Integer R) { return R >= 0 && R < static_cast<Integer>(PosOf.size()) && PosOf[R] >= 0; };
  for (Integer I = Count() - 1; I >= 0; --I)
    if (FItems[I].Level >= 0 && !Kept(FItems[I].RecordIndex)) Delete(I);
}

void TvlDataSelection::ResizeEntries(Integer ACount) {
  if (ACount < Count()) {
    FItems.resize(ACount);
    return;
  }
  for (Integer I = Count(); I < ACount; ++I) FItems.push_back({0, I, I});
}

void TvlSortingBySummaryEngine::Sort() { throw EAbstractError(u"Abstract error"); }

// --- The info object -------------------------------------------------------------------

namespace {

// The user locale's collation keys of one text column's values, kept by the
// storage between sorts (TvlStoredValueCache): a value set in a record drops
// that record's key, and a sort computes only the keys that are missing, in
// parallel threads when there are many. Keys live in arenas that are never
// appended to once filled; each record points at its key and keeps its
// first eight bytes as a big-endian number, so most comparisons are one
// integer comparison.
class TCollationKeyCache : public TvlStoredValueCache {
 public:
  enum TState : Byte { ksMissing, ksKey, ksNull };

  void ValueChanged(Integer ARecordIndex) override {
    const size_t R = static_cast<size_t>(ARecordIndex);
    if (R >= FState.size() || FState[R] == ksMissing) return;
    if (FState[R] == ksKey) FGarbage += FLength[R];
    FState[R] = ksMissing;
  }

  // Brings the keys of records 0 .. ACount - 1 up to date.
  void Update(TvlDataStorage* AStorage, TvlValueDef* ADef, Integer ACount, Boolean AIgnoreCase);

  Boolean IsNull(Integer R) const { return FState[R] == ksNull; }
  // The key's first eight bytes as a big-endian number (zero-padded).
  UInt64 Prefix(Integer R) const { return FPrefix[R]; }

  // Bytewise order of the two keys.
  Integer Compare(Integer A, Integer B) const {
    if (FPrefix[A] != FPrefix[B]) return FPrefix[A] < FPrefix[B] ? -1 : 1;
    const Cardinal LA = FLength[A], LB = FLength[B], L = std::min(LA, LB);
    if (L > 8)
      if (const int R = std::memcmp(FKey[A] + 8, FKey[B] + 8, L - 8)) return R < 0 ? -1 : 1;
    return LA < LB ? -1 : (LA > LB ? 1 : 0);
  }

 private:
  struct TChunk {
    const Integer* Records;
    const String* const* Texts;
    size_t Count;
    std::string Keys;
    std::vector<size_t> Ends;
    std::exception_ptr Error;
  };
  static void BuildChunk(const TAnsiCollationKeyBuilder& ABuilder, TChunk& AChunk);

  std::string FName;                  // the collation of the keys
  std::vector<std::string> FArenas;   // the keys, one after another
  std::vector<const char*> FKey;
  std::vector<UInt64> FPrefix;        // zero-padded
  std::vector<Cardinal> FLength;
  std::vector<Byte> FState;
  size_t FBytes{};
  size_t FGarbage{};                  // bytes of keys dropped since built
};

void TCollationKeyCache::BuildChunk(const TAnsiCollationKeyBuilder& ABuilder, TChunk& AChunk) {
  try {
    AChunk.Ends.reserve(AChunk.Count);
    for (size_t I = 0; I < AChunk.Count; ++I) {
      const String& T = *AChunk.Texts[I];
      ABuilder.Append(T.data(), T.size(), AChunk.Keys);
      AChunk.Ends.push_back(AChunk.Keys.size());
    }
  } catch (...) {
    AChunk.Error = std::current_exception();
  }
}

// The cores this thread may run on (its affinity, which a process started
// under a narrower mask inherits), not the machine's.
size_t UsableCores() {
  cpu_set_t Set;
  if (sched_getaffinity(0, sizeof Set, &Set) != 0) return std::max(1u, std::thread::hardware_concurrency());
  return static_cast<size_t>(std::max(1, CPU_COUNT(&Set)));
}

void TCollationKeyCache::Update(TvlDataStorage* AStorage, TvlValueDef* ADef, Integer ACount, Boolean AIgnoreCase) {
  const TAnsiCollationKeyBuilder Builder(AIgnoreCase);
  const size_t N = static_cast<size_t>(ACount);
  // Another locale, or mostly dropped keys: build them all again.
  if (FName != Builder.Name() || FGarbage > FBytes / 2) {
    FName = Builder.Name();
    FArenas.clear();
    FState.assign(N, ksMissing);
    FBytes = FGarbage = 0;
  }
  FState.resize(N, ksMissing);
  FKey.resize(N);
  FPrefix.resize(N);
  FLength.resize(N);
  // The texts are read here; the threads only build keys.
  std::vector<Integer> Records;
  std::vector<const String*> Texts;
  for (Integer R = 0; R < ACount; ++R) {
    if (FState[R] != ksMissing) continue;
    const void* P;
    if (AStorage->GetCompareInfo(R, ADef, P) || !P) {
      FState[R] = ksNull;
      FPrefix[R] = 0;
      FLength[R] = 0;
      continue;
    }
    Records.push_back(R);
    Texts.push_back(static_cast<const String*>(P));
  }
  if (Records.empty()) return;
  constexpr size_t kPerThread = 32768;
  const size_t Threads = std::clamp<size_t>(std::min<size_t>(UsableCores(), Records.size() / kPerThread), 1, 8);
  std::vector<TChunk> Chunks(Threads);
  const size_t Step = (Records.size() + Threads - 1) / Threads;
  for (size_t C = 0; C < Threads; ++C) {
    const size_t Begin = std::min(C * Step, Records.size());
    Chunks[C].Records = Records.data() + Begin;
    Chunks[C].Texts = Texts.data() + Begin;
    Chunks[C].Count = std::min(Records.size(), Begin + Step) - Begin;
  }
  {
    std::vector<TAnsiCollationKeyBuilder> Copies(Threads - 1, Builder);
    std::vector<std::thread> Workers;
    Workers.reserve(Threads);
    for (size_t C = 1; C < Threads; ++C) {
      // A thread that cannot start leaves its part to this one.
      try {
        Workers.emplace_back(BuildChunk, std::cref(Copies[C - 1]), std::ref(Chunks[C]));
      } catch (const std::system_error&) {
        BuildChunk(Copies[C - 1], Chunks[C]);
      }
    }
    BuildChunk(Builder, Chunks[0]);
    for (std::thread& W : Workers) W.join();
  }
  for (TChunk& C : Chunks)
    if (C.Error) std::rethrow_exception(C.Error);
  for (TChunk& C : Chunks) {
    FArenas.push_back(std::move(C.Keys));
    const char* Base = FArenas.back().data();
    FBytes += FArenas.back().size();
    size_t Start = 0;
    for (size_t I = 0; I < C.Count; ++I) {
      const Integer R = C.Records[I];
      const size_t Len = C.Ends[I] - Start;
      UInt64 Prefix = 0;
      for (size_t B = 0; B < 8; ++B)
        Prefix = (Prefix << 8) | (B < Len ? static_cast<Byte>(Base[Start + B]) : 0);
      FKey[R] = Base + Start;
      FPrefix[R] = Prefix;
      FLength[R] = static_cast<Cardinal>(Len);
      FState[R] = ksKey;
      Start = C.Ends[I];
    }
  }
}

// A number key beside its record, sorted by both.
struct TKeyedRecord {
  UInt64 Key;
  Integer Record;
};

// The buffers of a number sort, kept between passes.
struct TNumberSortScratch {
  std::vector<UInt64>& Packed;
  std::vector<UInt64>& PackedTmp;
  std::vector<TKeyedRecord>& Keyed;
  std::vector<TKeyedRecord>& KeyedTmp;
  std::vector<Integer>& Nulls;
  std::vector<Byte>& Listed;
  std::vector<size_t>& Counts;
};

}  // namespace

// Keys read once per sort or grouping pass from the storage, by record
// index: plain integers, floats or string pointers, so that comparing two
// records does not go through variants; collation keys kept by the storage.
// A field that needs its values converted, a compare event, provider mode
// or an internal record use the controller's comparison instead. The
// buffers stay between passes (Spare and the scratch lists), sized by the
// record count: a sort fills them again instead of touching new memory.
struct TvlCustomDataControllerInfo::TvlSortKeys {
  enum TKind : Byte { kGeneral, kInt, kFloat, kString, kCollation };
  struct TFieldKeys {
    TKind Kind{kGeneral};
    TvlCustomDataField* Field{};
    Boolean Descending{};
    std::vector<Byte> Null;
    std::vector<Int64> Ints;
    std::vector<Double> Floats;
    std::vector<const String*> Strings;
    const TCollationKeyCache* Keys{};  // collation keys of the user locale
  };
  std::vector<TFieldKeys> Fields;
  std::vector<TFieldKeys> Spare;
  std::vector<UInt64> Packed, PackedTmp;
  std::vector<TKeyedRecord> Keyed, KeyedTmp;
  std::vector<Byte> Listed;
  std::vector<size_t> Counts;
  std::vector<Integer> Nulls;
  Integer Count{};
};

namespace {

template <class T>
Integer Order3(T A, T B) {
  return A < B ? -1 : (B < A ? 1 : 0);
}

// NaN orders before every other number, so that the order stays total.
Integer OrderFloat(Double A, Double B) {
  Boolean NA = std::isnan(A), NB = std::isnan(B);
  if (NA || NB) return NA == NB ? 0 : (NA ? -1 : 1);
  return Order3(A, B);
}

// A plain number key as an unsigned number of the same order (for floats
// every NaN lowest, as OrderFloat orders them, and -0 as 0).
UInt64 OrderedKey(Int64 V) { return vlIntegerOrderKey(V); }
UInt64 OrderedKey(Double V) { return vlFloatOrderKey(V); }

// The first ACount entries of AList are its sorted records; the Null
// records go after them descending, before them ascending, in record order.
void PlaceNulls(std::vector<Integer>& AList, size_t ACount, const std::vector<Integer>& ANulls, Boolean ADescending) {
  if (!ADescending) std::move_backward(AList.begin(), AList.begin() + ACount, AList.end());
  std::copy(ANulls.begin(), ANulls.end(), ADescending ? AList.begin() + ACount : AList.begin());
}

// Stable LSD radix sorts, 8 bits a pass, skipping passes whose digit is
// the same everywhere: of packed words by the bits above the low 32 (the
// record), and of keyed records by their key.
void RadixByHighBits(std::vector<UInt64>& A, std::vector<UInt64>& ATmp, size_t* ACounts) {
  ATmp.resize(A.size());
  const size_t N = A.size();
  for (Integer Digit = 0; Digit < 4; ++Digit) {
    size_t* C = ACounts + Digit * 256;
    if (std::find(C, C + 256, N) != C + 256) continue;  // one digit everywhere
    size_t Sum = 0;
    for (Integer D = 0; D < 256; ++D) {
      const size_t Here = C[D];
      C[D] = Sum;
      Sum += Here;
    }
    const Integer Shift = 32 + 8 * Digit;
    UInt64* T = ATmp.data();
    for (UInt64 V : A) T[C[(V >> Shift) & 0xFF]++] = V;
    A.swap(ATmp);
  }
}

void RadixByKey(std::vector<TKeyedRecord>& A, std::vector<TKeyedRecord>& ATmp, UInt64 ASpread) {
  ATmp.resize(A.size());
  for (Integer Shift = 0; Shift < 64 && (ASpread >> Shift) != 0; Shift += 8) {
    size_t Count[257] = {};
    for (const TKeyedRecord& V : A) ++Count[((V.Key >> Shift) & 0xFF) + 1];
    if (std::find(Count + 1, Count + 257, A.size()) != Count + 257) continue;
    for (Integer D = 1; D <= 256; ++D) Count[D] += Count[D - 1];
    for (const TKeyedRecord& V : A) ATmp[Count[(V.Key >> Shift) & 0xFF]++] = V;
    A.swap(ATmp);
  }
}

// One plain number key: Null first (last when descending), then the key,
// then the record index. The records of the list are taken in record order
// (a mark per record), so a stable radix sort of the keys alone leaves ties
// in record order; the keys are packed with their record into one number
// when their spread fits 32 bits, and sorted beside it otherwise. The sort
// reads and writes memory in order instead of looking a key up per
// comparison.
template <class T>
Boolean SortByNumberKey(std::vector<Integer>& AList, Integer ARecordCount, const Byte* Null, const T* V,
                        Boolean ADescending, TNumberSortScratch X) {
  std::vector<UInt64>& APacked = X.Packed;
  std::vector<TKeyedRecord>& AKeyed = X.Keyed;
  std::vector<Integer>& ANulls = X.Nulls;
  auto KeyOf = [&](Integer R) { return ADescending ? ~OrderedKey(V[R]) : OrderedKey(V[R]); };
  // The records in record order: the list itself when it is so (a list
  // refreshed from the storage), else through a mark per record.
  Boolean InOrder = true;
  Integer Prev = -1;
  for (Integer R : AList) {
    if (R < 0 || R >= ARecordCount) return false;  // not a stored record: the general sort
    if (R <= Prev) InOrder = false;
    Prev = R;
  }
  if (!InOrder) {
    std::vector<Byte>& Listed = X.Listed;
    Listed.assign(static_cast<size_t>(ARecordCount), 0);
    for (Integer R : AList) Listed[R] = 1;
    size_t I = 0;
    for (Integer R = 0; R < ARecordCount; ++R)
      if (Listed[R]) AList[I++] = R;
  }
  ANulls.clear();
  UInt64 Min = UINT64_MAX, Max = 0;
  size_t Count = 0;
  for (Integer R : AList) {
    if (Null[R]) {
      ANulls.push_back(R);
      continue;
    }
    const UInt64 K = KeyOf(R);
    Min = std::min(Min, K);
    Max = std::max(Max, K);
    AList[Count++] = R;
  }
  const UInt64 Spread = Count > 0 ? Max - Min : 0;
  if (Spread <= UINT32_MAX) {
    APacked.resize(Count);
    // The digits' counts are taken while packing: one pass instead of one per digit.
    std::vector<size_t>& Counts = X.Counts;
    Counts.assign(4 * 256, 0);
    size_t* C = Counts.data();
    UInt64* P = APacked.data();
    const Integer* L = AList.data();
    for (size_t I = 0; I < Count; ++I) {
      const UInt64 K = KeyOf(L[I]) - Min;
      ++C[K & 0xFF];
      ++C[256 + ((K >> 8) & 0xFF)];
      ++C[512 + ((K >> 16) & 0xFF)];
      ++C[768 + ((K >> 24) & 0xFF)];
      P[I] = (K << 32) | static_cast<Cardinal>(L[I]);
    }
    RadixByHighBits(APacked, X.PackedTmp, C);
    for (size_t I = 0; I < Count; ++I) AList[I] = static_cast<Integer>(APacked[I] & UINT32_MAX);
  } else {
    AKeyed.resize(Count);
    for (size_t I = 0; I < Count; ++I) AKeyed[I] = {KeyOf(AList[I]) - Min, AList[I]};
    RadixByKey(AKeyed, X.KeyedTmp, Spread);
    for (size_t I = 0; I < Count; ++I) AList[I] = AKeyed[I].Record;
  }
  PlaceNulls(AList, Count, ANulls, ADescending);
  return true;
}

// One collation key, sorted as number keys are: the first eight bytes of
// each key beside its record, the rest of the keys compared only when those
// are equal.
void SortByCollationKey(std::vector<Integer>& AList, const Byte* Null, const TCollationKeyCache& C,
                        Boolean ADescending, std::vector<TKeyedRecord>& AKeyed, std::vector<Integer>& ANulls) {
  ANulls.clear();
  AKeyed.clear();
  for (Integer R : AList)
    if (Null[R])
      ANulls.push_back(R);
    else
      AKeyed.push_back({ADescending ? ~C.Prefix(R) : C.Prefix(R), R});
  std::sort(AKeyed.begin(), AKeyed.end(), [&](const TKeyedRecord& A, const TKeyedRecord& B) {
    if (A.Key != B.Key) return A.Key < B.Key;
    const Integer R = C.Compare(A.Record, B.Record);
    if (R != 0) return ADescending ? R > 0 : R < 0;
    return A.Record < B.Record;
  });
  for (size_t I = 0; I < AKeyed.size(); ++I) AList[I] = AKeyed[I].Record;
  PlaceNulls(AList, AKeyed.size(), ANulls, ADescending);
}

}  // namespace

void TvlCustomDataControllerInfo::Create(TvlCustomDataController* ADataController) {
  FDataController = ADataController;
  FGroupingFieldList = New<TvlGroupingFieldList>();
  FGroupingFieldList->SetOnChanged(TvlNoParamsEvent(this, &TvlCustomDataControllerInfo::GroupingChanged));
  FSortingFieldList = New<TvlSortingFieldList>();
  FSortingFieldList->SetOnChanged(TvlNoParamsEvent(this, &TvlCustomDataControllerInfo::SortingChanged));
  FTotalSortingFieldList = New<TvlSortingFieldList>();
  FDataGroups = New<TvlDataGroups>();
  FExpandingInfo = New<TvlDataExpandingInfos>();
  FFocusingInfo = New<TvlDataFocusingInfo>(this);
  FPrevFocusingInfo = New<TvlDataFocusingInfo>(this);
  FSelection = CreateFrom(ADataController->GetSelectionClass(), &TvlDataSelection::Create, ADataController);
  FSelection->SetOnChanged(TvlNoParamsEvent(this, &TvlCustomDataControllerInfo::SelectionChanged));
}

void TvlCustomDataControllerInfo::Destroy() {
  delete FSortKeys;
  Free(FDataGroups);
  Free(FTotalSortingFieldList);
  Free(FSortingFieldList);
  Free(FGroupingFieldList);
  Free(FFocusingInfo);
  Free(FPrevFocusingInfo);
  Free(FExpandingInfo);
  Free(FSelection);
  inherited::Destroy();
}

void TvlCustomDataControllerInfo::EndUpdate() {
  --FLockCount;
  CheckChanges();
}

void TvlCustomDataControllerInfo::CheckChanges() {
  if (FChanges != 0 && FLockCount == 0) Update();
}

void TvlCustomDataControllerInfo::Refresh() {
  FChanges |= dcicLoad;
  if (!(FDataController->IsGridMode() && FDataController->IsProviderMode())) FChanges |= dcicSummary;
  if (FSortingFieldList->Count() > 0) FChanges |= dcicSorting;
  if (FGroupingFieldList->Count() > 0) FChanges |= dcicGrouping;
  CheckChanges();
}

void TvlCustomDataControllerInfo::RefreshFocused() {
  FChanges |= dcicResetFocusedRow;
  FFocusingInfo->ResetToController();
  CheckChanges();
}

void TvlCustomDataControllerInfo::RefreshSummary(Boolean ARedrawOnly) {
  Boolean BySummary = IsSortingBySummary();
  FChanges |= (!ARedrawOnly || BySummary) ? dcicSummary : dcicView;
  if (BySummary) FChanges |= dcicGrouping;
  CheckChanges();
}

void TvlCustomDataControllerInfo::RefreshView() {
  FChanges |= dcicView;
  if (!FInfoCalculation) CheckChanges();
}

void TvlCustomDataControllerInfo::ExpandingChanged() {
  FChanges |= dcicExpanding;
  FExpandingFlag = true;
}

void TvlCustomDataControllerInfo::FocusedRecordChanged(Boolean AChangedFlag) {
  FChanges |= dcicFocusedRecord;
  if (AChangedFlag) FPrevFocusingInfo->ChangedFlag = true;
}

void TvlCustomDataControllerInfo::GroupingChanged() { FChanges |= dcicGrouping | dcicSorting | dcicSummary; }
void TvlCustomDataControllerInfo::SortingChanged() { FChanges |= dcicSorting; }

void TvlCustomDataControllerInfo::SelectionChanged() {
  FChanges |= dcicSelection;
  if (FDataController->Summary()->FollowsSelection())
    FChanges |= dcicSummary;
}

void TvlCustomDataControllerInfo::RemoveField(TvlCustomDataField* AField) {
  FSortingFieldList->Remove(AField);
  if (FGroupingFieldList->Find(AField) >= 0) FSelection->ClearAll();
  FGroupingFieldList->Remove(AField);
  FGroupingFieldList->UpdateSorting(FSortingFieldList);
  FExpandingInfo->CheckField(AField);
  CheckChanges();
}

void TvlCustomDataControllerInfo::UpdateField(TvlCustomDataField* AField) {
  FChanges |= dcicView;
  FSortingFieldList->CheckField(AField);
  if (FGroupingFieldList->Find(AField) >= 0) {
    FSelection->ClearAll();
    FGroupingFieldList->CheckField(AField);
  }
  FExpandingInfo->CheckField(AField);
  CheckChanges();
}

std::vector<Integer> TvlCustomDataControllerInfo::RecordListPositions() const {
  std::vector<Integer> PosOf(FDataController->RecordCount(), -1);
  for (Integer P = 0; P < RecordListCount(); ++P)
    if (FRecordList[P] >= 0 && FRecordList[P] < static_cast<Integer>(PosOf.size())) PosOf[FRecordList[P]] = P;
  return PosOf;
}

Integer TvlCustomDataControllerInfo::RowIndexOfRecordListIndex(Integer APosition) const {
  if (APosition < 0 || !IsGrouped()) return APosition;
  Integer G = FDataGroups->FindDeepestByRecordListIndex(APosition);
  if (G < 0 || !FDataGroups->Items(G)->Expanded || !FDataGroups->IsVisible(G)) return -1;
  TvlDataGroupInfo* Info = FDataGroups->Items(G);
  return APosition + Info->RowIndex - Info->BeginRecordListIndex + 1;
}

Integer TvlCustomDataControllerInfo::FindRecordListIndex(Integer ARecordIndex) const {
  for (size_t I = 0; I < FRecordList.size(); ++I)
    if (FRecordList[I] == ARecordIndex) return static_cast<Integer>(I);
  return -1;
}

void TvlCustomDataControllerInfo::CheckRowIndex(Integer ARowIndex) const {
  if (ARowIndex < 0 || ARowIndex >= GetRowCount()) RowIndexError();
}

// --- The pipeline --------------------------------------------------------------------

void TvlCustomDataControllerInfo::Update() {
  TvlCustomDataController* DC = FDataController;
  FInfoCalculation = true;
  {
    // A provider that re-reads its data for this (grid mode ends) does so under this run's lock.
    ++FLockCount;
    Finally Unlock([&] { --FLockCount; });
    DC->Provider()->SetLoadAllNeeded(FGroupingFieldList->Count() > 0);
  }
  if (DC->SortingBySummaryChangedFlag) {
    FChanges |= dcicSorting;
    if (!IsSortingBySummary()) FChanges |= dcicSummary | dcicGrouping;
  }
  const Boolean SummaryNeeded = (FChanges & dcicSummary) && !DC->IsOwnerLoading() && !DC->IsOwnerDestroying();
  FExpandingFlag = false;
  SaveExpanding();
  {
    Finally Done([&] {
      if (FSortKeys && !FSortKeys->Fields.empty()) UnprepareSortingFields();
      FExpandingInfo->Clear();
      if (FExpandingFlag) UpdateSelectionRowIndexes();
      if (FChanges & (dcicSorting | dcicExpanding)) DC->RefreshPrevSelectionInfo();
      FInfoCalculation = false;
      NotifyChanges();
    });
    const Boolean ForSelection = DC->Summary()->FollowsSelection();
    if (FChanges & dcicLoad) {
      CreateRecordList();
      FilterRecordList();
    }
    if (SummaryNeeded && !ForSelection) DC->Summary()->BeginCalculate();
    if (FChanges & (dcicGrouping | dcicSorting)) SortRecordList();
    if (FChanges & dcicGrouping) {
      DC->SendGroupingChanging();
      BuildGroups();
    }
    if (FChanges & (dcicGrouping | dcicSorting)) CheckFocusTopRowAfterSorting();
    RestoreAndCheckFocus();
    if (SummaryNeeded) {
      if (ForSelection)
        DC->Summary()->Calculate();
      else
        DC->Summary()->EndCalculate();
    }
    if ((SummaryNeeded || (FChanges & (dcicGrouping | dcicSorting))) && IsSortingBySummary()) {
      SortGroupsBySummary();
      RestoreAndCheckFocus();
    }
  }
}

void TvlCustomDataControllerInfo::NotifyChanges() {
  TvlCustomDataController* DC = FDataController;
  Word Mask = 0;
  if (FChanges & (dcicSorting | dcicView)) Mask |= dccLayout;
  if (FChanges & (dcicLoad | dcicGrouping | dcicExpanding)) Mask |= dccData;
  if (FChanges & (dcicFocusedRow | dcicResetFocusedRow | dcicFocusedRecord)) Mask |= dccFocus;
  if (FChanges & dcicSelection) Mask |= dccSelection;
  if (FChanges & dcicSummary) Mask |= dccSummary;
  if (DC->GroupingChangedFlag) Mask |= dccGrouping;
  if (DC->SortingChangedFlag) Mask |= dccSorting;
  FChanges = 0;
  DC->GroupingChangedFlag = false;
  DC->SortingChangedFlag = false;
  DC->FilterChangedFlag = false;
  DC->SortingBySummaryChangedFlag = false;
  DC->Change(Mask);
  DC->LoadedStorageFlag = false;
}

void TvlCustomDataControllerInfo::CreateRecordList() {
  Integer N = FDataController->RecordCount();
  FRecordList.resize(N);
  for (Integer I = 0; I < N; ++I) FRecordList[I] = I;
}

void TvlCustomDataControllerInfo::FilterRecordList() {
  TvlCustomDataController* DC = FDataController;
  const Boolean Incremental = DC->IsIncrementalFilter();
  const Boolean Criteria = DC->Filter()->IsFiltering();
  const Boolean Handler = !DC->IsGridMode() && DC->HasFilterRecordHandler();
  if (!Incremental && !Criteria && !Handler) return;
  const Integer Editing = DC->Provider()->EditingRecordIndex();
  // LIKE and equality conditions over stored texts match the texts in the
  // storage, as the criteria would match the values read through the
  // controller.
  std::vector<TvlPlainTextCondition> Likes;
  std::vector<TvlValueDef*> LikeDefs;
  if (Criteria && DC->Filter()->PreparePlainTextConditions(Likes)) {
    for (const TvlPlainTextCondition& C : Likes) {
      auto* Item = dynamic_cast<TvlDataFilterCriteriaItem*>(C.Item);
      TvlCustomDataField* F = Item && Item->ReadsFilterDataValue() ? Item->Field() : nullptr;
      TvlValueDef* Def = F ? DC->GetFilterTextValueDef(F) : nullptr;
      if (!Def) {
        LikeDefs.clear();
        break;
      }
      LikeDefs.push_back(Def);
    }
  }
  TvlDataStorage* S = DC->DataStorage();
  auto MatchCriteria = [&](Integer R) {
    if (LikeDefs.empty()) return DC->Filter()->MatchRecordIndex(R);
    for (size_t I = 0; I < Likes.size(); ++I) {
      const void* P;
      if (!Likes[I].Matches(S->GetCompareInfo(R, LikeDefs[I], P) ? nullptr : static_cast<const String*>(P)))
        return false;
    }
    return true;
  };
  size_t Out = 0;
  // Kept in order; the edited record always stays.
  for (size_t I = 0; I < FRecordList.size(); ++I) {
    Integer R = FRecordList[I];
    Boolean Keep = R == Editing || ((!Handler || DC->DoFilterRecord(R)) &&
                                    (!Incremental || DC->IsIncrementalFilterMatch(R)) &&
                                    (!Criteria || MatchCriteria(R)));
    if (Keep) FRecordList[Out++] = R;
  }
  if (Out == FRecordList.size()) return;
  FRecordList.resize(Out);
  FSelection->RemoveFilteredRecords(this);
  if (DC->CheckFocusingAfterFilterNeeded) {
    DC->CheckFocusingAfterFilterNeeded = false;
    DC->FilterChangedFlag = true;
  }
}

// --- Sorting -----------------------------------------------------------------------

void TvlCustomDataControllerInfo::ChangeSorting(TvlCustomDataField* AField, TvlDataSortOrder ASortOrder) {
  FSortingFieldList->ChangeSorting(AField, ASortOrder);
  FGroupingFieldList->UpdateSorting(FSortingFieldList);
  CheckChanges();
}

void TvlCustomDataControllerInfo::ChangeSortIndex(TvlCustomDataField* AField, Integer AIndex) {
  Integer Cur = FSortingFieldList->Find(AField);
  if (Cur < 0) return;
  AIndex = std::clamp(AIndex, 0, FSortingFieldList->Count() - 1);
  if (AIndex != Cur) {
    FSortingFieldList->Move(Cur, AIndex);
    FDataController->PostPendingEdit();
    FDataController->SortingChangedFlag = true;
  }
  CheckChanges();
}

void TvlCustomDataControllerInfo::ClearSorting(Boolean AKeepGroupedItems) {
  Integer Before = FSortingFieldList->Count();
  if (AKeepGroupedItems) {
    for (Integer I = FSortingFieldList->Count() - 1; I >= 0; --I)
      if (FGroupingFieldList->Find(FSortingFieldList->Items(I).Field) < 0) FSortingFieldList->Delete(I);
  } else {
    FSortingFieldList->Clear();
    FGroupingFieldList->UpdateSorting(FSortingFieldList);
  }
  if (FSortingFieldList->Count() != Before) {
    FDataController->PostPendingEdit();
    FDataController->SortingChangedFlag = true;
  }
  CheckChanges();
}

namespace {

// Reads the number keys of every stored record straight from the record
// buffers, one loop per value type; False for a type read the general way.
template <class TSlot, class TKey, class F>
void ReadSlots(TvlDataStorage* S, Integer AOffset, Integer N, Byte* ANull, TKey* AKeys, F AConvert) {
  for (Integer R = 0; R < N; ++R) {
    const Byte* B = S->StoredBuffer(R);
    if (!B || !B[AOffset]) {
      ANull[R] = 1;
      continue;
    }
    ANull[R] = 0;
    TSlot V;
    std::memcpy(&V, B + AOffset + 1, sizeof V);
    AKeys[R] = AConvert(V);
  }
}

template <class TKeys>
Boolean ReadNumberKeys(TvlDataStorage* S, TvlValueDef* ADef, Integer N, Boolean AFloat, TKeys& K) {
  const Integer Off = S->StoredSlotOffset(ADef);
  if (Off < 0) return false;
  TvlValueTypeClass T = ADef->ValueTypeClass();
  Byte* Null = K.Null.data();
  auto Same = [](auto V) { return V; };
  if (AFloat) {
    ReadSlots<Double>(S, Off, N, Null, K.Floats.data(), Same);
  } else if (T == ClassOf<TvlSmallintValueType>()) {
    ReadSlots<SmallInt>(S, Off, N, Null, K.Ints.data(), [](SmallInt V) { return Int64(V); });
  } else if (T == ClassOf<TvlWordValueType>()) {
    ReadSlots<Word>(S, Off, N, Null, K.Ints.data(), [](Word V) { return Int64(V); });
  } else if (T == ClassOf<TvlBooleanValueType>()) {
    // True = -1, as the variants compare it.
    ReadSlots<Byte>(S, Off, N, Null, K.Ints.data(), [](Byte V) { return V != 0 ? Int64(-1) : Int64(0); });
  } else if (T == ClassOf<TvlLargeIntValueType>() || T == ClassOf<TvlCurrencyValueType>()) {
    ReadSlots<Int64>(S, Off, N, Null, K.Ints.data(), Same);
  } else {
    ReadSlots<Integer>(S, Off, N, Null, K.Ints.data(), [](Integer V) { return Int64(V); });
  }
  return true;
}

}  // namespace

void TvlCustomDataControllerInfo::PrepareSortingFields() {
  TvlCustomDataController* DC = FDataController;
  if (!FSortKeys) FSortKeys = new TvlSortKeys;
  std::vector<TvlSortKeys::TFieldKeys>& Fields = FSortKeys->Fields;
  if (Fields.empty()) Fields.swap(FSortKeys->Spare);
  Fields.resize(static_cast<size_t>(FTotalSortingFieldList->Count()));
  const Integer N = DC->RecordCount();
  FSortKeys->Count = N;
  TvlDataStorage* S = DC->DataStorage();
  for (Integer I = 0; I < FTotalSortingFieldList->Count(); ++I) {
    TvlSortingFieldItem Item = FTotalSortingFieldList->Items(I);
    TvlCustomDataField* F = Item.Field;
    Boolean Needs = DC->NeedsValueComparison(F);
    F->SetNeedConversionFlag(Needs ? (DC->IsSortByDisplayText(F) ? 2 : 1) : -1);
    TvlSortKeys::TFieldKeys& K = Fields[static_cast<size_t>(I)];
    K.Kind = TvlSortKeys::kGeneral;
    K.Keys = nullptr;
    K.Field = F;
    K.Descending = Item.SortOrder == soDescending;
    TvlValueDef* Def = F->ValueDef();
    if (!Def || DC->IsProviderMode() || Assigned(DC->OnCompareEvent())) continue;
    TvlValueTypeClass T = Def->ValueTypeClass();
    // Compared by the locale's collation: one collation key per record,
    // kept by the storage until the record's value changes.
    if (Needs && F->NeedConversionFlag() == 1 && DC->Options().Contains(dcoAnsiSort) &&
        T->IsString()) {
      K.Kind = TvlSortKeys::kCollation;
      const Boolean IgnoreCase = DC->Options().Contains(dcoCaseInsensitive);
      auto* Cache = static_cast<TCollationKeyCache*>(S->ValueCache(Def, IgnoreCase ? 1 : 0));
      if (!Cache) {
        Cache = new TCollationKeyCache;
        S->SetValueCache(Def, IgnoreCase ? 1 : 0, std::unique_ptr<TvlStoredValueCache>(Cache));
      }
      Cache->Update(S, Def, N, IgnoreCase);
      K.Keys = Cache;
      K.Null.resize(N);
      for (Integer R = 0; R < N; ++R) K.Null[R] = Cache->IsNull(R);
      continue;
    }
    if (Needs) continue;
    if (T->InheritsFrom(TvlObjectValueType::StaticClass())) continue;
    if (T->InheritsFrom(TvlIntegerValueType::StaticClass()) || T == ClassOf<TvlSmallintValueType>() ||
        T == ClassOf<TvlWordValueType>() || T == ClassOf<TvlBooleanValueType>() ||
        T == ClassOf<TvlLargeIntValueType>() || T == ClassOf<TvlCurrencyValueType>())
      K.Kind = TvlSortKeys::kInt;
    else if (T == ClassOf<TvlFloatValueType>() || T == ClassOf<TvlDateTimeValueType>())
      K.Kind = TvlSortKeys::kFloat;
    else if (T->IsString())
      K.Kind = TvlSortKeys::kString;
    else
      continue;
    K.Null.resize(N);
    if (K.Kind == TvlSortKeys::kInt) K.Ints.resize(N);
    if (K.Kind == TvlSortKeys::kFloat) K.Floats.resize(N);
    if (K.Kind == TvlSortKeys::kString) K.Strings.resize(N);
    if (K.Kind != TvlSortKeys::kString && ReadNumberKeys(S, Def, N, K.Kind == TvlSortKeys::kFloat, K)) continue;
    for (Integer R = 0; R < N; ++R) {
      const void* P;
      K.Null[R] = S->GetCompareInfo(R, Def, P);
      if (K.Null[R]) continue;
      if (K.Kind == TvlSortKeys::kString) {
        K.Strings[R] = static_cast<const String*>(P);
      } else if (K.Kind == TvlSortKeys::kFloat) {
        std::memcpy(&K.Floats[R], P, sizeof(Double));
      } else if (T == ClassOf<TvlSmallintValueType>()) {
        SmallInt V;
        std::memcpy(&V, P, sizeof V);
        K.Ints[R] = V;
      } else if (T == ClassOf<TvlWordValueType>()) {
        Word V;
        std::memcpy(&V, P, sizeof V);
        K.Ints[R] = V;
      } else if (T == ClassOf<TvlBooleanValueType>()) {
        K.Ints[R] = *static_cast<const Byte*>(P) != 0 ? -1 : 0;  // True = -1, as the variants compare
      } else if (T == ClassOf<TvlLargeIntValueType>() || T == ClassOf<TvlCurrencyValueType>()) {
        std::memcpy(&K.Ints[R], P, sizeof(Int64));
      } else {
        Integer V;
        std::memcpy(&V, P, sizeof V);
        K.Ints[R] = V;
      }
    }
  }
}

void TvlCustomDataControllerInfo::UnprepareSortingFields() {
  for (Integer I = 0; I < FTotalSortingFieldList->Count(); ++I)
    FTotalSortingFieldList->Items(I).Field->SetNeedConversionFlag(0);
  // Nothing prepared: the kept arrays stay for the next pass.
  if (!FSortKeys || FSortKeys->Fields.empty()) return;
  FSortKeys->Spare.swap(FSortKeys->Fields);
  FSortKeys->Fields.clear();
}

Integer TvlCustomDataControllerInfo::CompareByLevel(Integer A, Integer B, Integer ALevel) {
  const TvlSortKeys::TFieldKeys& K = FSortKeys->Fields[ALevel];
  Integer R;
  if (K.Kind == TvlSortKeys::kGeneral || A < 0 || B < 0 || A >= FSortKeys->Count || B >= FSortKeys->Count) {
    R = FDataController->CompareByField(A, B, K.Field, dccmSorting);
  } else if (K.Null[A] || K.Null[B]) {
    R = K.Null[A] == K.Null[B] ? 0 : (K.Null[A] ? -1 : 1);
  } else if (K.Kind == TvlSortKeys::kInt) {
    R = Order3(K.Ints[A], K.Ints[B]);
  } else if (K.Kind == TvlSortKeys::kFloat) {
    R = OrderFloat(K.Floats[A], K.Floats[B]);
  } else if (K.Kind == TvlSortKeys::kCollation) {
    R = K.Keys->Compare(A, B);
  } else {
    const String* S1 = K.Strings[A];
    const String* S2 = K.Strings[B];
    R = (!S1 || !S2) ? (S1 ? 1 : (S2 ? -1 : 0)) : Order3(S1->compare(*S2), 0);
  }
  return K.Descending ? -R : R;
}

Integer TvlCustomDataControllerInfo::CompareRecords(Integer A, Integer B) {
  if (A == B) return 0;
  TvlCustomDataProvider* P = FDataController->Provider();
  const Integer E = P->EditingRecordIndex(), E1 = P->EditingRecordIndex1(), E2 = P->EditingRecordIndex2();
  if (E != vlNoEditingRecordIndex && (E1 != vlNoEditingRecordIndex || E2 != vlNoEditingRecordIndex)) {
    if (A == E) {
      if (E1 != vlNoEditingRecordIndex) return 1;
      if (B == E2) return -1;
      A = E2;
    } else if (B == E) {
      if (E1 != vlNoEditingRecordIndex) return -1;
      if (A == E2) return 1;
      B = E2;
    }
  }
  for (Integer L = 0; L < static_cast<Integer>(FSortKeys->Fields.size()); ++L) {
    Integer R = CompareByLevel(A, B, L);
    if (R != 0) return R;
  }
  return FDataController->CompareRecordIndexes(A, B);
}

Integer TvlCustomDataControllerInfo::CompareGroupRecords(Integer A, Integer B, Integer ALevel) {
  if (A == B) return 0;
  TvlCustomDataProvider* P = FDataController->Provider();
  const Integer E = P->EditingRecordIndex(), E1 = P->EditingRecordIndex1(), E2 = P->EditingRecordIndex2();
  if (E != vlNoEditingRecordIndex && (A == E || B == E)) {
    if (P->SavedRecordIndex() != 0) {
      if (A == E) A = P->SavedRecordIndex();
      if (B == E) B = P->SavedRecordIndex();
    } else if (E1 != vlNoEditingRecordIndex) {
      return 0;
    } else if (E2 != vlNoEditingRecordIndex) {
      if (A == E) A = E2;
      if (B == E) B = E2;
      if (A == B) return 0;
    }
  }
  return CompareByLevel(A, B, ALevel);
}

void TvlCustomDataControllerInfo::SortRecordList() {
  FTotalSortingFieldList->Clear();
  FTotalSortingFieldList->AppendFrom(FGroupingFieldList);
  FTotalSortingFieldList->AppendFrom(FSortingFieldList);
  if (FDataController->IsGridMode() || FRecordList.empty() || FTotalSortingFieldList->Count() == 0) return;
  PrepareSortingFields();
  // Grouping in the same pass compares by the same keys.
  Finally Unprepare([&] {
    if (!(FChanges & dcicGrouping)) UnprepareSortingFields();
  });
  TvlCustomDataProvider* P = FDataController->Provider();
  // A custom data source that sorts itself gives its records in order.
  if (FDataController->IsProviderMode() && P->IsCustomSorting()) return P->CustomSort();
  Boolean Plain = P->EditingRecordIndex() == vlNoEditingRecordIndex;
  for (const auto& K : FSortKeys->Fields)
    if (K.Kind == TvlSortKeys::kGeneral) Plain = false;
  // Ties go by record index, so the order is total and any sort gives the
  // one result a stable sort of the storage order gives.
  if (Plain && FSortKeys->Fields.size() == 1) {
    const auto& K = FSortKeys->Fields[0];
    TvlSortKeys& X = *FSortKeys;
    TNumberSortScratch Scratch{X.Packed, X.PackedTmp, X.Keyed, X.KeyedTmp, X.Nulls, X.Listed, X.Counts};
    if (K.Kind == TvlSortKeys::kInt &&
        SortByNumberKey(FRecordList, X.Count, K.Null.data(), K.Ints.data(), K.Descending, Scratch))
      return;
    if (K.Kind == TvlSortKeys::kFloat &&
        SortByNumberKey(FRecordList, X.Count, K.Null.data(), K.Floats.data(), K.Descending, Scratch))
      return;
    if (K.Kind == TvlSortKeys::kCollation)
      return SortByCollationKey(FRecordList, K.Null.data(), *K.Keys, K.Descending, X.Keyed, X.Nulls);
  }
  std::sort(FRecordList.begin(), FRecordList.end(), [this](Integer A, Integer B) { return CompareRecords(A, B) < 0; });
}

Boolean TvlCustomDataControllerInfo::IsSortingBySummary() {
  TvlDataSummary* S = FDataController->Summary();
  if (S->FollowsSelection()) return false;
  for (Integer L = 0; L < FGroupingFieldList->Count(); ++L) {
    TvlDataGroupSummaryItems* Items = S->GetGroupSummaryItemsByLevel(L);
    if (Items && Items->SortedSummaryItem()) return true;
  }
  return false;
}

void TvlCustomDataControllerInfo::SortGroupsBySummary() {
  TvlSortingBySummaryEngineClass C = FDataController->GetSortingBySummaryEngineClass();
  if (!C) return;
  TvlSortingBySummaryEngine* Engine = CreateFrom(C, &TvlSortingBySummaryEngine::Create, this);
  Finally FreeEngine([&] { Free(Engine); });
  Engine->Sort();
}

// --- Grouping ----------------------------------------------------------------------

void TvlCustomDataControllerInfo::BuildGroups() {
  FDataGroups->Clear();
  for (Integer I = 0; I < FGroupingFieldList->Count(); ++I) FDataGroups->AddField(FGroupingFieldList->Items(I).Field);
  const Integer Levels = FDataGroups->LevelCount();
  const Integer N = RecordListCount();
  if (N == 0 || Levels == 0) {
    UnprepareSortingFields();
    return;
  }
  // The total sorting list starts with the grouping fields.
  std::vector<Integer> Open(Levels), First(Levels);
  auto OpenGroup = [&](Integer L, Integer Pos, Integer Row) {
    Open[L] = FDataGroups->Count();
    TvlDataGroupInfo* G = FDataGroups->Add();
    G->Level = L;
    G->RowIndex = Row;
    G->BeginRecordListIndex = L == Levels - 1 ? Pos : FDataGroups->Count();
    First[L] = FRecordList[Pos];
  };
  auto CloseGroup = [&](Integer L, Integer Pos) {
    TvlDataGroupInfo* G = FDataGroups->Items(Open[L]);
    G->EndRecordListIndex = L == Levels - 1 ? Pos - 1 : FDataGroups->Count() - 1;
  };
  Integer TopCount = 0;
  for (Integer L = 0; L < Levels; ++L) OpenGroup(L, 0, 0);
  if (!FSortKeys || static_cast<Integer>(FSortKeys->Fields.size()) < Levels) PrepareSortingFields();
  {
    Finally Unprepare([&] { UnprepareSortingFields(); });
    // Without an edited record, plain number keys are compared in place.
    const Boolean NoEdit = FDataController->Provider()->EditingRecordIndex() == vlNoEditingRecordIndex;
    const Integer KeyCount = FSortKeys->Count;
    auto SameGroup = [&](Integer A, Integer B, Integer L) {
      const TvlSortKeys::TFieldKeys& K = FSortKeys->Fields[L];
      if (NoEdit && A >= 0 && B >= 0 && A < KeyCount && B < KeyCount) {
        if (K.Kind == TvlSortKeys::kInt)
          return K.Null[A] == K.Null[B] && (K.Null[A] || K.Ints[A] == K.Ints[B]);
        if (K.Kind == TvlSortKeys::kFloat)
          return K.Null[A] == K.Null[B] && (K.Null[A] || OrderFloat(K.Floats[A], K.Floats[B]) == 0);
      }
      return CompareGroupRecords(A, B, L) == 0;
    };
    for (Integer P = 1; P < N; ++P) {
      Integer R = FRecordList[P];
      for (Integer L = 0; L < Levels; ++L) {
        if (SameGroup(First[L], R, L)) continue;
        if (L == 0) ++TopCount;
        for (Integer D = Levels - 1; D >= L; --D) CloseGroup(D, P);
        for (Integer D = L; D < Levels; ++D) OpenGroup(D, P, TopCount);
        break;
      }
    }
  }
  for (Integer L = Levels - 1; L >= 0; --L) CloseGroup(L, N);
}

void TvlCustomDataControllerInfo::ChangeGrouping(TvlCustomDataField* AField, Integer AGroupIndex) {
  FGroupingFieldList->ChangeGrouping(AField, AGroupIndex);
  FGroupingFieldList->UpdateSorting(FSortingFieldList);
  CheckChanges();
}

void TvlCustomDataControllerInfo::ClearGrouping() {
  FGroupingFieldList->Clear();
  CheckChanges();
}

void TvlCustomDataControllerInfo::ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive) {
  CheckRowIndex(ARowIndex);
  if (!IsGrouped() || FDataController->Options().Contains(dcoGroupsAlwaysExpanded)) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  if (FDataGroups->ChangeExpanding(ARowIndex, AExpanded, ARecursive)) {
    ExpandingChanged();
    if (!AExpanded) RefocusAfterCollapse();
  }
}

void TvlCustomDataControllerInfo::FullCollapse() {
  if (!IsGrouped() || FDataController->Options().Contains(dcoGroupsAlwaysExpanded)) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDataGroups->FullExpanding(false);
  ExpandingChanged();
  RefocusAfterCollapse();
}

void TvlCustomDataControllerInfo::FullExpand() {
  if (!IsGrouped() || FDataController->Options().Contains(dcoGroupsAlwaysExpanded)) return;
  FDataGroups->FullExpanding(true);
  ExpandingChanged();
  CheckChanges();
}

void TvlCustomDataControllerInfo::RefocusAfterCollapse() {
  Integer Row = LocateFocusedRow(true);
  if (Row != FocusedRowIndex()) ChangeFocusedRow(Row, false);
}

// --- Saving and restoring expanded and selected groups ------------------------------------

void TvlCustomDataControllerInfo::SaveExpanding() {
  TvlCustomDataController* DC = FDataController;
  const Boolean SaveOption = DC->Options().Contains(dcoSaveExpanding);
  const Boolean AnySelected = FSelection->Count() > 0;
  Byte States = 0;
  if (SaveOption && (FChanges & (dcicLoad | dcicGrouping))) States |= eisExpanded;
  if (AnySelected && (FChanges & (dcicLoad | dcicGrouping | dcicSorting | dcicExpanding))) States |= eisSelected;
  if (States == FExpandingInfo->SaveStates) return;
  Boolean Match = FDataGroups->LevelCount() == FGroupingFieldList->Count() && DC->RecordCount() > 0;
  for (Integer L = 0; Match && L < FDataGroups->LevelCount(); ++L)
    Match = FDataGroups->Fields(L) == FGroupingFieldList->Items(L).Field;
  if (States == 0 || !Match) {
    FExpandingInfo->Clear();
    FExpandingInfo->SaveStates = States;
    return;
  }
  FExpandingInfo->Clear();
  FExpandingInfo->SaveStates = States;
  for (Integer L = 0; L < FDataGroups->LevelCount(); ++L) FExpandingInfo->AddField(FDataGroups->Fields(L));
  const Boolean Always = DC->Options().Contains(dcoGroupsAlwaysExpanded);
  for (Integer I = 0; I < FDataGroups->Count(); ++I) {
    TvlDataGroupInfo* G = FDataGroups->Items(I);
    Byte State = 0;
    if (G->Expanded && (States & eisExpanded) && !(Always && !AnySelected)) State |= eisExpanded;
    if ((States & eisSelected) && FSelection->FindByGroupIndex(I) >= 0) State |= eisSelected;
    Integer First = FRecordList[FDataGroups->GetDataRecordListIndex(I)];
    if (State && First < DC->RecordCount())
      FExpandingInfo->Add(G->Level, DC->GetValue(First, FDataGroups->Fields(G->Level)), State);
    if (!G->Expanded)  // skip the contents of a collapsed group
      while (I + 1 < FDataGroups->Count() && FDataGroups->Items(I + 1)->Level > G->Level) ++I;
  }
}

Integer TvlCustomDataControllerInfo::LocateGroupRecord(const std::vector<Variant>& APath, Integer ALevel) {
  // The entry of level ALevel whose grouping values along the path equal
  // APath: descend level by level through the children of the match.
  Integer Parent = -1;
  for (Integer L = 0; L <= ALevel; ++L) {
    Integer Found = -1;
    Integer Count = FDataGroups->GetChildCount(Parent);
    for (Integer C = 0; C < Count; ++C) {
      Integer I = FDataGroups->GetChildIndex(Parent, C);
      if (I < 0) break;
      Integer R = FRecordList[FDataGroups->GetDataRecordListIndex(I)];
      if (vlVariantsEqual(FDataController->GetValue(R, FDataGroups->Fields(L)), APath[L])) {
        Found = I;
        break;
      }
    }
    if (Found < 0) return -1;
    Parent = Found;
  }
  return Parent;
}

void TvlCustomDataControllerInfo::RestoreExpanding() {
  TvlCustomDataController* DC = FDataController;
  const Boolean Always = DC->Options().Contains(dcoGroupsAlwaysExpanded);
  if (IsGrouped() && Always) FDataGroups->FullExpanding(true);
  const Byte States = FExpandingInfo->SaveStates;
  if (States == 0) return;
  Boolean Same = FExpandingInfo->FieldCount() == FDataGroups->LevelCount();
  for (Integer L = 0; Same && L < FDataGroups->LevelCount(); ++L)
    Same = FExpandingInfo->Fields(L) == FDataGroups->Fields(L);
  if (!IsGrouped() && FExpandingInfo->FieldCount() == 0) Same = true;
  if (Same) {
    for (Integer I = FSelection->Count() - 1; I >= 0; --I)
      if (FSelection->Items(I).Level < 0) FSelection->Delete(I);
    if (IsGrouped()) {
      Boolean Expanded = false;
      {
        Finally Renumber([&] {
          if (Expanded && !Always) FDataGroups->Rebuild();
          RemapSelectionGrouped();
        });
        std::vector<Variant> Path;
        for (Integer K = 0; K < FExpandingInfo->Count(); ++K) {
          const TvlDataExpandingInfo& Info = FExpandingInfo->Items(K);
          Path.resize(Info.Level + 1);
          Path[Info.Level] = Info.Value;
          Boolean WantExpand = (Info.State & eisExpanded) && (States & eisExpanded);
          if (!WantExpand && !(Info.State & eisSelected)) continue;
          Integer G = LocateGroupRecord(Path, Info.Level);
          if (G < 0) continue;
          if (WantExpand && !FDataGroups->Items(G)->Expanded) {
            FDataGroups->Items(G)->Expanded = true;
            Expanded = true;
          }
          if (Info.State & eisSelected) FSelection->Add(-1, -1, -1, G);
        }
      }
    } else if (States & eisSelected) {
      RemapSelectionUngrouped();
    }
    if (FSelection->AnchorRowIndex() != -1) {
      Integer Dummy;
      if (!FSelection->FindByRowIndex(FSelection->AnchorRowIndex(), Dummy)) FSelection->ClearAnchor();
    }
  } else if (States & eisSelected) {
    FSelection->ClearAll();
  }
}

void TvlCustomDataControllerInfo::RemapSelectionGrouped() {
  if (FSelection->Count() == 0) return;
  // Data entries by record list position, then placed in their groups.
  const std::vector<Integer> PosOf = RecordListPositions();
  for (Integer I = 0; I < FSelection->Count(); ++I) {
    TvlSelectionEntry& E = FSelection->Items(I);
    if (E.Level >= 0)
      E.RowIndex = E.RecordIndex >= 0 && E.RecordIndex < static_cast<Integer>(PosOf.size()) ? PosOf[E.RecordIndex] : -1;
    else
      E.RowIndex = E.RecordIndex < FDataGroups->Count() ? FDataGroups->Items(E.RecordIndex)->RowIndex : -1;
  }
  for (Integer I = FSelection->Count() - 1; I >= 0; --I) {
    TvlSelectionEntry& E = FSelection->Items(I);
    if (E.Level >= 0) {
      Integer G = E.RowIndex < 0 ? -1 : FDataGroups->FindDeepestByRecordListIndex(E.RowIndex);
      Boolean Shown = G >= 0 && FDataGroups->Items(G)->Expanded && FDataGroups->IsVisible(G);
      if (!Shown) {
        FSelection->Delete(I);
        continue;
      }
      TvlDataGroupInfo* Info = FDataGroups->Items(G);
      E.RowIndex = E.RowIndex + Info->RowIndex - Info->BeginRecordListIndex + 1;
      E.Level = FDataGroups->LevelCount();
    }
  }
  FSelection->Sort();
}

void TvlCustomDataControllerInfo::RemapSelectionUngrouped() {
  if (FDataController->IsGridMode()) return;
  const std::vector<Integer> PosOf = RecordListPositions();
  for (Integer I = FSelection->Count() - 1; I >= 0; --I) {
    TvlSelectionEntry& E = FSelection->Items(I);
    Integer P = E.RecordIndex >= 0 && E.RecordIndex < static_cast<Integer>(PosOf.size()) ? PosOf[E.RecordIndex] : -1;
    if (E.Level < 0 || P < 0) {
      FSelection->Delete(I);
      continue;
    }
    E.RowIndex = P;
    E.Level = 0;
  }
  FSelection->Sort();
}

void TvlCustomDataControllerInfo::UpdateSelectionRowIndexes() {
  if (FSelection->Count() == 0) return;
  // Record list positions from one map, rows by halving the group entries.
  const std::vector<Integer> PosOf = RecordListPositions();
  for (Integer I = 0; I < FSelection->Count(); ++I) {
    TvlSelectionEntry& E = FSelection->Items(I);
    if (E.Level < 0)
      E.RowIndex = E.RecordIndex < FDataGroups->Count() ? FDataGroups->Items(E.RecordIndex)->RowIndex : -1;
    else
      E.RowIndex = RowIndexOfRecordListIndex(
          E.RecordIndex >= 0 && E.RecordIndex < static_cast<Integer>(PosOf.size()) ? PosOf[E.RecordIndex] : -1);
  }
}

void TvlCustomDataControllerInfo::CheckFocusTopRowAfterSorting() {
  TvlCustomDataController* DC = FDataController;
  if (DC->InNotifyControl() || !DC->Options().Contains(dcoFocusTopRowAfterSorting)) return;
  if (!DC->GroupingChangedFlag && !DC->SortingChangedFlag && !DC->LoadedStorageFlag) return;
  DC->LoadedStorageFlag = false;
  FFocusingInfo->Clear();
  ChangeFocusedRow(0, true);
  if (FSelection->Count() > 0) FSelection->ClearAll();
}

void TvlCustomDataControllerInfo::RestoreAndCheckFocus() {
  RestoreExpanding();
  CheckFocusedRow();
  FDataController->CheckBookmarkValid(-1);
}

// --- Rows and focus ----------------------------------------------------------------

Integer TvlCustomDataControllerInfo::GetRowCount() const {
  return IsGrouped() ? FDataGroups->GetRowCount() : RecordListCount();
}

TvlRowInfo TvlCustomDataControllerInfo::GetRowInfo(Integer ARowIndex) const {
  CheckRowIndex(ARowIndex);
  TvlRowInfo R;
  if (IsGrouped()) {
    R = FDataGroups->GetRowInfo(ARowIndex);
  } else {
    R.Level = 0;
    R.RecordListIndex = ARowIndex;
  }
  R.RecordIndex = R.RecordListIndex >= 0 && R.RecordListIndex < RecordListCount() ? FRecordList[R.RecordListIndex] : -1;
  return R;
}

Integer TvlCustomDataControllerInfo::GetRowIndexByRecordIndex(Integer ARecordIndex, Boolean AMakeVisible) {
  Integer P = FindRecordListIndex(ARecordIndex);
  if (P < 0 || !IsGrouped()) return P;
  if (!AMakeVisible) return RowIndexOfRecordListIndex(P);
  Integer G = FDataGroups->FindDeepestByRecordListIndex(P);
  if (G < 0) return -1;
  if (FDataGroups->MakeVisible(G, true)) {
    ExpandingChanged();
    CheckChanges();
  }
  TvlDataGroupInfo* Info = FDataGroups->Items(G);
  return P + Info->RowIndex - Info->BeginRecordListIndex + 1;
}

Integer TvlCustomDataControllerInfo::GetNearestRowIndex(Integer ARowIndex) const {
  CheckRowIndex(ARowIndex);
  const Integer Count = GetRowCount();
  if (IsGrouped()) {
    Integer Level = GetRowInfo(ARowIndex).Level;
    if (ARowIndex + 1 < Count && GetRowInfo(ARowIndex + 1).Level == Level) return ARowIndex + 1;
    if (ARowIndex > 0 && GetRowInfo(ARowIndex - 1).Level == Level) return ARowIndex - 1;
    if (ARowIndex + 1 < Count) return ARowIndex + 1;
    return ARowIndex > 0 ? ARowIndex - 1 : ARowIndex;
  }
  return ARowIndex + 1 < Count ? ARowIndex + 1 : ARowIndex - 1;
}

Integer TvlCustomDataControllerInfo::FocusedRecordIndex() const {
  Integer Row = FFocusingInfo->RowIndex;
  if (Row < 0 || Row >= GetRowCount()) return -1;
  return GetRowInfo(Row).RecordIndex;
}

void TvlCustomDataControllerInfo::SetFocusedRowIndex(Integer AValue) {
  FDataController->BeginFullUpdate();
  Finally End([&] { FDataController->EndFullUpdate(); });
  ChangeFocusedRow(AValue, false);
}

void TvlCustomDataControllerInfo::ChangeFocusedRow(Integer ARowIndex, Boolean AForce) {
  const Integer Count = GetRowCount();
  ARowIndex = std::clamp(ARowIndex, -1, Count - 1);
  if (ARowIndex == FFocusingInfo->RowIndex) return;
  FFocusingFlag = true;
  if (!(FChanges & dcicFocusedRow)) FPrevFocusingInfo->Assign(FFocusingInfo);
  const Integer PrevRecord = FFocusingInfo->RecordIndex;
  Boolean Allowed = AForce;
  {
  Finally After([&] {
    const Integer N = GetRowCount();
    if (FFocusingInfo->RowIndex >= N) FFocusingInfo->RowIndex = -1;
    if (FPrevFocusingInfo->RowIndex >= N) FPrevFocusingInfo->RowIndex = -1;
    if (Allowed || FPrevFocusingInfo->RowIndex != -1) FFocusingInfo->UpdateFromRow();
    if (!FFocusingInfo->IsEqual(FPrevFocusingInfo) || FFocusingInfo->RowIndex != FPrevFocusingInfo->RowIndex) {
      FChanges |= dcicFocusedRow | dcicFocusedRecord;
      TvlCustomDataController* DC = FDataController;
      if (!DC->MultiSelect() && DC->Summary()->Options().Contains(soSelectedRecords)) FChanges |= dcicSummary;
      if (DC->NewItemRowFocusedFlag()) {
        DC->ClearNewItemRowFocused();
        FPrevFocusingInfo->ChangedFlag = true;
      }
      DC->SyncSelected(true);
    }
    FFocusingFlag = false;
  });
  if (!Allowed) {
    // Nested moves (a cancel's own refocusing) leave the outer question's flag set.
    const Boolean WasAsking = FInCanFocusedRowChanging;
    FInCanFocusedRowChanging = true;
    Finally Clear([&] { FInCanFocusedRowChanging = WasAsking; });
    Integer Target = ARowIndex >= 0 ? GetRowInfo(ARowIndex).RecordIndex : -1;
    Allowed = FDataController->CanFocusRecord(Target);
  }
  if (Allowed) FFocusingInfo->RowIndex = ARowIndex;
  }
  if (FFocusingInfo->RecordIndex != PrevRecord) FDataController->AfterFocusedRecordChange();
}

Integer TvlCustomDataControllerInfo::LocateFocusedRow(Boolean AAfterCollapse) {
  const Integer Rec = FFocusingInfo->RecordIndex;
  if (Rec < 0) return -1;
  const Integer P = FindRecordListIndex(Rec);
  if (P < 0) return -1;
  if (!IsGrouped()) return P;
  Integer G = FDataGroups->FindDeepestByRecordListIndex(P);
  if (G < 0) return -1;
  const Integer Levels = FDataGroups->LevelCount();
  const Integer Level = FFocusingInfo->Level;
  TvlDataGroupInfo* Deep = FDataGroups->Items(G);
  if (!AAfterCollapse) {
    if (Deep->BeginRecordListIndex == P && Level < Levels) {
      // A group row focused: climb while the group is its parent's first child.
      Integer Cur = G;
      while (FDataGroups->Items(Cur)->Level > (Level < 0 ? 0 : Level)) {
        Integer Par = FDataGroups->GetParentIndex(Cur);
        if (Par < 0 || FDataGroups->Items(Par)->BeginRecordListIndex != Cur) break;
        Cur = Par;
      }
      if (Level < 0 || FDataGroups->Items(Cur)->Level == Level) {
        if (FDataGroups->MakeVisible(Cur, false)) ExpandingChanged();
        return FDataGroups->Items(Cur)->RowIndex;
      }
    }
    if (FDataGroups->MakeVisible(G, true)) ExpandingChanged();
    return P + Deep->RowIndex - Deep->BeginRecordListIndex + 1;
  }
  Integer Owner = FDataGroups->GetVisibleGroup(G);
  if (Level == Levels && Owner == G && Deep->Expanded) return P + Deep->RowIndex - Deep->BeginRecordListIndex + 1;
  if (Level < 0) return Owner == G ? Deep->RowIndex : -1;
  Integer Want = std::min(Level, Levels - 1);
  Integer Cur = G;
  while (Cur >= 0 && FDataGroups->Items(Cur)->Level > Want) Cur = FDataGroups->GetParentIndex(Cur);
  return Cur < 0 ? -1 : FDataGroups->Items(Cur)->RowIndex;
}

void TvlCustomDataControllerInfo::CheckFocusedRow() {
  Integer Row = LocateFocusedRow(false);
  const Integer Count = GetRowCount();
  const Integer Cur = FFocusingInfo->RowIndex;
  if (Row != Cur &&
      (Cur < 0 || Cur >= Count || GetRowInfo(Cur).RecordIndex != FFocusingInfo->RecordIndex ||
       (IsGrouped() && GetRowInfo(Cur).Level != FFocusingInfo->Level)))
    ChangeFocusedRow(Row, true);
  if ((FChanges & dcicFocusedRow) && FPrevFocusingInfo->RowIndex >= Count) FPrevFocusingInfo->RowIndex = -1;
  TvlCustomDataController* DC = FDataController;
  if (DC->FilterChangedFlag && FFocusingInfo->RowIndex < 0 && !DC->NewItemRowFocused()) {
    DC->FilterChangedFlag = false;
    if (!DC->Provider()->IsLocating()) {
      FFocusingInfo->Clear();
      ChangeFocusedRow(0, true);
    }
  }
}

// --- Selection -------------------------------------------------------------------

void TvlCustomDataControllerInfo::ChangeRowSelection(Integer ARowIndex, Boolean ASelection) {
  CheckRowIndex(ARowIndex);
  Integer I;
  Boolean Found = FSelection->FindByRowIndex(ARowIndex, I);
  if (Found && !ASelection) {
    FSelection->Delete(I);
  } else if (!Found && ASelection) {
    TvlRowInfo R = GetRowInfo(ARowIndex);
    if (IsGrouped() && R.Level < FDataGroups->LevelCount())
      FSelection->Add(I, ARowIndex, -1, FDataGroups->GetIndexByRowIndex(ARowIndex));
    else
      FSelection->Add(I, ARowIndex, R.Level, R.RecordIndex);
  }
  CheckChanges();
}

void TvlCustomDataControllerInfo::ClearSelection() {
  if (FSelection->Count() > 0) FSelection->Clear();
  CheckChanges();
}

void TvlCustomDataControllerInfo::ClearSelectionAnchor() { FSelection->ClearAnchor(); }

Boolean TvlCustomDataControllerInfo::IsRowSelected(Integer ARowIndex) const {
  CheckRowIndex(ARowIndex);
  Integer I;
  return FSelection->FindByRowIndex(ARowIndex, I);
}

void TvlCustomDataControllerInfo::ValidateSelection() {
  TvlCustomDataController* DC = FDataController;
  if (FSelection->Count() == 0) return;
  if (DC->RecordCount() == 0) {
    FSelection->ClearAll();
    return;
  }
  if (DC->InDeleteSelection() || DC->IsGridMode()) return;
  for (Integer I = FSelection->Count() - 1; I >= 0; --I)
    if (FSelection->Items(I).Level >= 0 && FSelection->Items(I).RecordIndex >= DC->RecordCount()) FSelection->Delete(I);
}
