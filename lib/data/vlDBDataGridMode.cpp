// Grid mode: the selection of data-set bookmarks and the controller's
// selection and bookmark in grid mode.
#include "lib/data/vlDBData.h"

#include <algorithm>

#include "lib/data/vlCustomData.h"
#include "lib/data/vlDataConsts.h"
#include "lib/data/vlDataUtils.h"
#include "lib/data/vlDB.h"
#include "lib/data/vlDBDataPrivate.h"
#include "platform/classes/Lists.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"

using namespace vl_db_data;

// --- Grid-mode selection ----------------------------------------------------------------

void TvlDBDataSelection::Create(TvlCustomDataController* ADataController) {
  inherited::Create(ADataController);
  FController = static_cast<TvlDBDataController*>(ADataController);
  FBookmarks = New<TvlBookmarkList>();
}

void TvlDBDataSelection::Destroy() {
  Free(FBookmarks);
  FBookmarks = nullptr;
  inherited::Destroy();
}

Boolean TvlDBDataSelection::InGridMode() const { return FController->IsGridMode(); }

TBookmark TvlDBDataSelection::GetRowBookmark(Integer ARowIndex) const {
  if (!InGridMode() || ARowIndex < 0 || ARowIndex >= FController->GetRowCount()) return TBookmark();
  TvlDBDataLink* Link = FController->DBProvider()->DataLink();
  const Integer Record = FController->GetRowInfo(ARowIndex).RecordIndex;
  if (Record < 0 || Record >= Link->RecordCount()) return TBookmark();
  const Integer Active = Link->ActiveRecord();
  Finally Back([&] { Link->SetActiveRecord(Active); });
  Link->SetActiveRecord(Record);
  return FController->DataSet()->Bookmark();
}

Boolean TvlDBDataSelection::FindBookmark(const TBookmark& ABookmark, Integer& AIndex) const {
  TDataSet* DS = FController->DataSet();
  Integer Lo = 0, Hi = FBookmarks->Count();
  while (Lo < Hi) {
    const Integer Mid = Lo + (Hi - Lo) / 2;
    if (DS->CompareBookmarks(FBookmarks->Items(Mid), ABookmark) < 0)
      Lo = Mid + 1;
    else
      Hi = Mid;
  }
  AIndex = Lo;
  return Lo < FBookmarks->Count() && DS->CompareBookmarks(FBookmarks->Items(Lo), ABookmark) == 0;
}

Boolean TvlDBDataSelection::FindByRowIndex(Integer ARowIndex, Integer& AIndex) const {
  if (!InGridMode()) return inherited::FindByRowIndex(ARowIndex, AIndex);
  const TBookmark B = GetRowBookmark(ARowIndex);
  if (B.empty()) {
    AIndex = FBookmarks->Count();
    return false;
  }
  return FindBookmark(B, AIndex);
}

void TvlDBDataSelection::Add(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex) {
  if (InGridMode() && !FInSelectAll)
    FBookmarks->Insert(AIndex < 0 ? FBookmarks->Count() : std::min(AIndex, FBookmarks->Count()),
                       GetRowBookmark(ARowIndex));
  inherited::Add(AIndex, ARowIndex, ALevel, ARecordIndex);
}

void TvlDBDataSelection::Clear() {
  FBookmarks->Clear();
  inherited::Clear();
}

void TvlDBDataSelection::ClearAnchor() {
  FAnchorBookmark.clear();
  inherited::ClearAnchor();
}

void TvlDBDataSelection::Delete(Integer AIndex) {
  if (InGridMode() && !FInSelectAll && AIndex < FBookmarks->Count()) {
    if (FBookmarks->Items(AIndex) == FAnchorBookmark) ClearAnchor();
    FBookmarks->Delete(AIndex);
  }
  inherited::Delete(AIndex);
}

void TvlDBDataSelection::SyncCount() {
  // The base's entries stand for the bookmarks one to one.
  ResizeEntries(FBookmarks->Count());
}

Boolean TvlDBDataSelection::CheckBookmarks() {
  TDataSet* DS = FController->DataSet();
  if (!DS || !InGridMode()) return false;
  Boolean Changed = false;
  if (!FAnchorBookmark.empty() && !DS->BookmarkValid(FAnchorBookmark)) {
    ClearAnchor();
    Changed = true;
  }
  for (Integer I = FBookmarks->Count() - 1; I >= 0; --I)
    if (FBookmarks->Items(I).empty() || !DS->BookmarkValid(FBookmarks->Items(I))) {
      if (I < Count())
        Delete(I);
      else
        FBookmarks->Delete(I);
      Changed = true;
    }
  return Changed;
}

Boolean TvlDBDataSelection::MaySelect() { return true; }

// Runs AWork over the data set with its events locked and its position kept;
// on an exception the bookmarks are dropped. The change is reported after.
template <class F>
static void WalkDataSet(TvlDBDataSelection* S, TvlDBDataController* DC, Boolean& AInSelectAll, F AWork) {
  TvlDBDataProvider* P = DC->DBProvider();
  // Locking would cancel a pending edit: it is posted first (a failed post
  // raises and nothing is selected).
  if (IsEditState(DC->DataSet())) DC->CheckBrowseMode();
  P->LockDataSet();
  P->SavePos();
  AInSelectAll = true;
  Finally Back([&] {
    AInSelectAll = false;
    P->RestorePos();
    P->UnlockDataSet();
    S->Changed();
    DC->DataControllerInfo()->CheckChanges();
  });
  Boolean Done = false;
  Finally Sync([&] {
    if (!Done) S->Bookmarks()->Clear();
    S->SyncCount();
  });
  AWork();
  Done = true;
}

void TvlDBDataSelection::SelectAll() {
  TDataSet* DS = FController->DataSet();
  if (!DS || !DS->Active()) return;
  WalkDataSet(this, FController, FInSelectAll, [&] {
    DS->First();
    inherited::Clear();
    FBookmarks->Clear();
    while (!DS->Eof()) {
      if (MaySelect()) FBookmarks->Add(DS->Bookmark());
      DS->Next();
    }
  });
}

Boolean TvlDBDataSelection::QuickAdjust(const TBookmark& S, const TBookmark& E, Boolean AAnchorFirst) {
  TDataSet* DS = FController->DataSet();
  TvlBookmarkList* L = FBookmarks;
  const Integer N = L->Count();
  auto Same = [&](const TBookmark& A, const TBookmark& B) { return DS->CompareBookmarks(A, B) == 0; };
  if (Same(S, E)) {
    L->Clear();
    if (MaySelect()) L->Add(S);
    return true;
  }
  if (AAnchorFirst) {
    // The range's end moved by one.
    if (N >= 2 && Same(L->Items(N - 2), E)) {
      if (!Same(L->Items(0), S)) return false;
      L->Delete(N - 1);
      return true;
    }
    DS->GotoBookmark(E);
    DS->Prior();
    if (Same(L->Items(N - 1), DS->Bookmark()) && Same(L->Items(0), S)) {
      DS->GotoBookmark(E);
      if (MaySelect()) L->Add(E);
      return true;
    }
    return false;
  }
  // The range's start moved by one.
  if (N >= 2 && Same(L->Items(1), S)) {
    if (!Same(L->Items(N - 1), E)) return false;
    L->Delete(0);
    return true;
  }
  DS->GotoBookmark(S);
  DS->Next();
  if (Same(L->Items(0), DS->Bookmark()) && Same(L->Items(N - 1), E)) {
    DS->GotoBookmark(S);
    if (MaySelect()) L->Insert(0, S);
    return true;
  }
  return false;
}

void TvlDBDataSelection::WalkRange(const TBookmark& S, const TBookmark& E, Boolean AKeepSelection) {
  TDataSet* DS = FController->DataSet();
  TvlBookmarkList* L = FBookmarks;
  if (!AKeepSelection) L->Clear();
  Boolean Merge = L->Count() > 0;
  Integer I = 0, J = 0;
  if (Merge) {
    FindBookmark(S, I);
    FindBookmark(E, J);
    if (I >= L->Count()) Merge = false;
  }
  DS->GotoBookmark(S);
  while (!DS->Eof()) {
    const TBookmark B = DS->Bookmark();
    Boolean Placed = false;
    if (Merge) {
      for (Integer K = I; K <= J && K < L->Count(); ++K) {
        const Integer C = DS->CompareBookmarks(L->Items(K), B);
        if (C > 0) {
          if (MaySelect()) {
            L->Insert(K, B);
            ++I;
            ++J;
          }
          Placed = true;
          break;
        }
        if (C == 0) {
          ++I;
          Placed = true;
          break;
        }
      }
    }
    if (!Placed && MaySelect()) L->Add(B);
    if (DS->CompareBookmarks(B, E) == 0) break;
    DS->Next();
  }
}

void TvlDBDataSelection::SelectFromAnchor(const TBookmark& AToBookmark, Boolean AKeepSelection) {
  TDataSet* DS = FController->DataSet();
  if (!DS || !DS->Active() || FAnchorBookmark.empty() || AToBookmark.empty()) return;
  if (DS->State() == dsInsert && DS->Eof()) return;
  const Boolean AnchorFirst = DS->CompareBookmarks(FAnchorBookmark, AToBookmark) <= 0;
  const TBookmark S = AnchorFirst ? FAnchorBookmark : AToBookmark;
  const TBookmark E = AnchorFirst ? AToBookmark : FAnchorBookmark;
  WalkDataSet(this, FController, FInSelectAll, [&] {
    if (AKeepSelection || FBookmarks->Count() == 0 || !QuickAdjust(S, E, AnchorFirst)) WalkRange(S, E, AKeepSelection);
  });
}

// --- Controller: selection and bookmark in grid mode -----------------------------------

TvlDBDataSelection* TvlDBDataController::DBSelection() const {
  return static_cast<TvlDBDataSelection*>(DataControllerInfo()->Selection());
}

TvlBookmarkList* TvlDBDataController::SelectedBookmarks() const { return DBSelection()->Bookmarks(); }

void TvlDBDataController::SelectAll() {
  TDataSet* DS = DataSet();
  if (!IsGridMode() || !DS || !DS->Active()) {
    inherited::SelectAll();
    return;
  }
  DBSelection()->SelectAll();
}

void TvlDBDataController::SetSelectionAnchor(Integer ARowIndex) {
  if (!IsGridMode()) {
    inherited::SetSelectionAnchor(ARowIndex);
    return;
  }
  DataControllerInfo()->CheckRowIndex(ARowIndex);
  DBSelection()->SetAnchorBookmark(DBSelection()->GetRowBookmark(ARowIndex));
}

void TvlDBDataController::SelectFromAnchor(Integer ARowIndex, Boolean AKeepSelection) {
  if (!IsGridMode()) {
    inherited::SelectFromAnchor(ARowIndex, AKeepSelection);
    return;
  }
  DataControllerInfo()->CheckRowIndex(ARowIndex);
  if (IsSelectionAnchorExist()) DBSelection()->SelectFromAnchor(DBSelection()->GetRowBookmark(ARowIndex), AKeepSelection);
}

Integer TvlDBDataController::GetSelectedRowIndex(Integer AIndex) const {
  auto* Self = const_cast<TvlDBDataController*>(this);
  if (!Self->IsGridMode() || !MultiSelect()) return inherited::GetSelectedRowIndex(AIndex);
  TvlDBDataSelection* S = DBSelection();
  TDataSet* DS = DataSet();
  const Integer Rows = GetRowCount();
  if (!DS || AIndex < 0 || AIndex >= S->Bookmarks()->Count() || Rows == 0) return -1;
  const TBookmark& B = S->Bookmarks()->Items(AIndex);
  if (DS->CompareBookmarks(B, S->GetRowBookmark(0)) < 0 || DS->CompareBookmarks(B, S->GetRowBookmark(Rows - 1)) > 0)
    return -1;
  for (Integer R = 0; R < Rows; ++R)
    if (DS->CompareBookmarks(S->GetRowBookmark(R), B) == 0) return R;
  return -1;
}

TBookmark TvlDBDataController::GetRowId(Integer ARowIndex) {
  return ARowIndex >= 0 ? DBSelection()->GetRowBookmark(ARowIndex) : TBookmark();
}

TBookmark TvlDBDataController::GetSelectedBookmark(Integer AIndex) {
  if (!IsGridMode()) DBDataError(vlSDBNotInGridMode);
  if (!MultiSelect()) return FocusedRowIndex() >= 0 ? GetRowId(FocusedRowIndex()) : TBookmark();
  return SelectedBookmarks()->Items(AIndex);
}

TBookmark TvlDBDataController::GetSelectionAnchorBookmark() {
  if (!IsGridMode()) DBDataError(vlSDBNotInGridMode);
  return DBSelection()->AnchorBookmark();
}

Integer TvlDBDataController::GetSelectionAnchorRowIndex() {
  return IsGridMode() ? -1 : DataControllerInfo()->Selection()->AnchorRowIndex();
}

Boolean TvlDBDataController::IsSelectionAnchorExist() {
  return IsGridMode() ? !DBSelection()->AnchorBookmark().empty()
                      : DataControllerInfo()->Selection()->AnchorRowIndex() != -1;
}

Boolean TvlDBDataController::FocusSelectedRow(Integer ASelectedIndex) {
  if (!IsGridMode()) {
    // Mended: outside grid mode the selected row is focused instead of raising.
    if (ASelectedIndex < 0 || ASelectedIndex >= GetSelectedCount()) return false;
    ChangeFocusedRowIndex(GetSelectedRowIndex(ASelectedIndex));
    return FocusedRowIndex() == GetSelectedRowIndex(ASelectedIndex);
  }
  if (!DataSet()) return false;
  DataSet()->GotoBookmark(GetSelectedBookmark(ASelectedIndex));
  return true;
}

Boolean TvlDBDataController::IsBookmarkAvailable() const {
  if (const_cast<TvlDBDataController*>(this)->IsGridMode()) return !FBookmark.empty();
  return inherited::IsBookmarkAvailable();
}

Boolean TvlDBDataController::IsBookmarkRow(Integer ARowIndex) {
  if (!IsGridMode()) return inherited::IsBookmarkRow(ARowIndex);
  return DataSet() && !FBookmark.empty() && GetRowId(ARowIndex) == FBookmark;
}

Boolean TvlDBDataController::SaveBookmarkData() {
  if (!IsGridMode()) return inherited::SaveBookmarkData();
  TDataSet* DS = DataSet();
  if (!DS || !DS->Active() || DS->IsEmpty()) return false;
  TBookmark B = DS->Bookmark();
  if (B == FBookmark) return false;
  FBookmark = B;
  return true;
}

void TvlDBDataController::ClearBookmarkData() {
  FBookmark.clear();
  inherited::ClearBookmarkData();
}

void TvlDBDataController::GotoBookmarkData() {
  if (!IsGridMode()) {
    inherited::GotoBookmarkData();
    return;
  }
  if (!DataSet()) return;
  DataSet()->GotoBookmark(FBookmark);
  RefreshPrevSelectionInfo();
}

Boolean TvlDBDataController::IsBookmarkInvalid() {
  TDataSet* DS = DataSet();
  return !DS || !DS->BookmarkValid(FBookmark);
}

Boolean TvlDBDataController::SearchInGridMode(const String& AText, Boolean AForward, Boolean ANext) {
  Boolean Found = DBProvider()->SearchInGridMode(AText, AForward, ANext);
  if (Found) SyncSelectionFocusedRecord();
  return Found;
}
