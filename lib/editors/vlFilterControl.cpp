// The filter builder's model: its criteria, the row tree, criteria to rows
// and rows to criteria, applying to the linked component, filter files.
#include "lib/editors/vlFilterControl.h"

#include <memory>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlFilterControlConsts.h"
#include "lib/editors/vlTextEditProperties.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlClasses.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"

namespace {


IvlFilterControl* LinkedFilterOf(TvlCustomFilterControl* AControl) {
  return AControl ? AControl->GetLinkedFilter() : nullptr;
}

Boolean IsBetween(TvlFilterControlOperator AOperator) {
  return AOperator == fcoBetween || AOperator == fcoNotBetween;
}

Boolean IsInList(TvlFilterControlOperator AOperator) {
  return AOperator == fcoInList || AOperator == fcoNotInList;
}

// The piece of a ";"-separated display text that starts at APos (0-based),
// trimmed; APos moves past its separator.
String ExtractListItem(const String& AText, size_t& APos) {
  if (APos >= AText.size()) return String();
  size_t end = AText.find(u';', APos);
  if (end == String::npos) end = AText.size();
  String piece = Trim(AText.substr(APos, end - APos));
  APos = end + 1;
  return piece;
}

const String kBlank = u"blank";

}  // namespace

Boolean vlFilterControlOperatorShowsValues(TvlFilterControlOperator AOperator) {
  return AOperator != fcoBlanks && AOperator != fcoNonBlanks && !(AOperator >= fcoYesterday);
}

// --- Criteria --------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterControlCriteria)

void TvlFilterControlCriteria::Create(TvlCustomFilterControl* AControl) {
  FControl = AControl;
  inherited::Create();
  SetVersion(3);
}

Integer TvlFilterControlCriteria::ItemLinkToID(TObject* AItemLink) {
  if (IvlFilterControl* F = LinkedFilterOf(FControl))
    for (Integer I = 0; I < F->ItemCount(); ++I)
      if (F->ItemLink(I) == AItemLink) return F->ItemLinkID(I);
  return -1;
}

String TvlFilterControlCriteria::ItemLinkToName(TObject* AItemLink) {
  String Name;
  if (IvlFilterControl* F = LinkedFilterOf(FControl))
    for (Integer I = 0; I < F->ItemCount(); ++I)
      if (F->ItemLink(I) == AItemLink) {
        F->ItemLinkName(I, Name);
        break;
      }
  return Name;
}

TvlFilterCriteriaItemClass TvlFilterControlCriteria::CriteriaItemClass() {
  return ClassOf<TvlFilterControlCriteriaItem>();
}

TObject* TvlFilterControlCriteria::IDToItemLink(Integer AID) {
  if (IvlFilterControl* F = LinkedFilterOf(FControl))
    for (Integer I = 0; I < F->ItemCount(); ++I)
      if (F->ItemLinkID(I) == AID) return F->ItemLink(I);
  return nullptr;
}

TObject* TvlFilterControlCriteria::NameToItemLink(const String& AName) {
  if (IvlFilterControl* F = LinkedFilterOf(FControl))
    for (Integer I = 0; I < F->ItemCount(); ++I) {
      String Name;
      F->ItemLinkName(I, Name);
      if (SameText(Name, AName)) return F->ItemLink(I);
    }
  return nullptr;
}

CL_IMPLEMENT_CLASS(TvlFilterControlCriteriaItem)

TvlCustomFilterControl* TvlFilterControlCriteriaItem::Control() {
  return static_cast<TvlFilterControlCriteria*>(Criteria())->Control();
}

Integer TvlFilterControlCriteriaItem::LinkIndex() {
  if (IvlFilterControl* F = LinkedFilterOf(Control()))
    for (Integer I = 0; I < F->ItemCount(); ++I)
      if (F->ItemLink(I) == ItemLink()) return I;
  return -1;
}

Variant TvlFilterControlCriteriaItem::GetRecordValue(Pointer) { return Null(); }

String TvlFilterControlCriteriaItem::GetFieldCaption() {
  String Caption;
  const Integer I = LinkIndex();
  if (I >= 0) LinkedFilterOf(Control())->ItemCaption(I, Caption);
  return Caption;
}

String TvlFilterControlCriteriaItem::GetFieldName() {
  String Name;
  const Integer I = LinkIndex();
  if (I >= 0) LinkedFilterOf(Control())->ItemFieldName(I, Name);
  return Name;
}

TvlFilterOperatorClass TvlFilterControlCriteriaItem::GetFilterOperatorClass() {
  TvlFilterOperatorClass C = inherited::GetFilterOperatorClass();
  return Control() ? Control()->AdjustOperatorClass(C) : C;
}

// --- Rows ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomRowViewInfo)

void TvlCustomRowViewInfo::Create(TvlCustomFilterControl* AControl, TvlGroupViewInfo* AParent,
                                  TvlCustomFilterCriteriaItem* ACriteriaItem) {
  FControl = AControl;
  FParent = AParent;
  FCriteriaItem = ACriteriaItem;
  if (FParent) FParent->Add(this);
}

void TvlCustomRowViewInfo::Destroy() {
  if (FParent) FParent->Remove(this);
  inherited::Destroy();
}

Boolean TvlCustomRowViewInfo::IsLast() {
  return !FParent || FParent->Rows(FParent->RowCount() - 1) == this;
}

TvlGroupViewInfo* TvlCustomRowViewInfo::Group() {
  return IsGroup() ? static_cast<TvlGroupViewInfo*>(this) : FParent;
}

CL_IMPLEMENT_CLASS(TvlGroupViewInfo)

void TvlGroupViewInfo::Create(TvlCustomFilterControl* AControl, TvlGroupViewInfo* AParent,
                              TvlCustomFilterCriteriaItem* ACriteriaItem) {
  inherited::Create(AControl, AParent, ACriteriaItem);
  auto* Group = dynamic_cast<TvlFilterCriteriaItemList*>(ACriteriaItem);
  FBoolOperator = Group ? Group->BoolOperatorKind() : fboAnd;
  FCaption = vlGetResourceStringText(vlSFilterGroupCaption);
}

void TvlGroupViewInfo::Destroy() {
  while (!FRows.empty()) Free(FRows.back());
  inherited::Destroy();
}

void TvlGroupViewInfo::Add(TvlCustomRowViewInfo* ARow) { FRows.push_back(ARow); }

void TvlGroupViewInfo::Remove(TvlCustomRowViewInfo* ARow) {
  for (size_t I = 0; I < FRows.size(); ++I)
    if (FRows[I] == ARow) {
      FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(I));
      return;
    }
}

CL_IMPLEMENT_CLASS(TvlValueInfo)

void TvlValueInfo::Destroy() {
  FreeAndNil(FValueViewInfo);
  inherited::Destroy();
}

CL_IMPLEMENT_CLASS(TvlValuesViewInfo)

void TvlValuesViewInfo::Create(TvlConditionViewInfo* ACondition) { FCondition = ACondition; }

void TvlValuesViewInfo::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlValuesViewInfo::AddValue() {
  auto* V = New<TvlValueInfo>();
  V->FValue = Null();
  FList.push_back(V);
  TvlCustomEditProperties* P = FCondition->GetProperties();
  V->FValueViewInfo = CreateFrom(P->GetViewInfoClass(), &TvlCustomEditViewInfo::Create);
}

void TvlValuesViewInfo::RemoveValue(Integer AIndex) {
  if (AIndex < 0 || AIndex >= Count()) return;
  Free(FList[size_t(AIndex)]);
  FList.erase(FList.begin() + AIndex);
}

void TvlValuesViewInfo::Clear() {
  for (TvlValueInfo* V : FList) Free(V);
  FList.clear();
}

CL_IMPLEMENT_CLASS(TvlConditionViewInfo)

void TvlConditionViewInfo::Create(TvlCustomFilterControl* AControl, TvlGroupViewInfo* AParent,
                                  TvlCustomFilterCriteriaItem* ACriteriaItem) {
  inherited::Create(AControl, AParent, ACriteriaItem);
  FItemIndex = -1;
  FValues = New<TvlValuesViewInfo>(this);
  if (auto* Leaf = dynamic_cast<TvlFilterCriteriaItem*>(ACriteriaItem))
    BuildFromLeaf(Leaf);
  else
    SetItemIndex(-1);
}

void TvlConditionViewInfo::Destroy() {
  if (FControl && FControl->FValueEditor && FControl->FFocusedInfo.Row == this) FControl->ForgetValueEditor();
  FreeAndNil(FValues);
  FreeAndNil(FValueEditorData);
  FreeAndNil(FEditorProperties);
  inherited::Destroy();
}

void TvlConditionViewInfo::BuildFromLeaf(TvlFilterCriteriaItem* ALeaf) {
  IvlFilterControl* F = LinkedFilterOf(FControl);
  FItemLink = ALeaf->ItemLink();
  FItemIndex = -1;
  if (F)
    for (Integer I = 0; I < F->ItemCount(); ++I)
      if (F->ItemLink(I) == FItemLink) {
        FItemIndex = I;
        break;
      }
  if (!FControl->HasItems() || FItemIndex < 0 || FItemIndex >= F->ItemCount())
    throw EvlFilterControlError(vlGetResourceStringText(vlSFilterErrorBuilding));
  F->ItemCaption(FItemIndex, FItemText);
  SetOperator(vlFilterOperatorToControlOperator(ALeaf->OperatorKind(), VarIsNull(ALeaf->Value())));
  // The values: the value editor's properties are needed for their view infos.
  InitEditorProperties();
  if (!IsBetween(FOperator) && !IsInList(FOperator)) {
    FValues->AddValue();
    FValues->Values(0)->Value() = ALeaf->Value();
    FValues->Values(0)->ValueText() = ALeaf->DisplayValue();
  } else {
    const Variant& A = ALeaf->Value();
    size_t Pos = 0;
    if (VarIsArray(A)) {
      for (Integer I = VarArrayLowBound(A, 1); I <= VarArrayHighBound(A, 1); ++I) {
        FValues->AddValue();
        TvlValueInfo* V = FValues->Values(FValues->Count() - 1);
        V->Value() = VarArrayGet(A, {I});
        V->ValueText() = ExtractListItem(ALeaf->DisplayValue(), Pos);
      }
    } else {
      // A damaged leaf (no array): one value, as the single element it compares as.
      FValues->AddValue();
      FValues->Values(0)->Value() = A;
      FValues->Values(0)->ValueText() = ExtractListItem(ALeaf->DisplayValue(), Pos);
    }
  }
  if (IsBetween(FOperator))
    while (FValues->Count() < 2) FValues->AddValue();
  if (FValues->Count() == 0 && ShowsValues()) FValues->AddValue();
}

void TvlConditionViewInfo::SetOperator(TvlFilterControlOperator Value) {
  FOperator = Value;
  FOperatorText = vlFilterControlOperatorCaption(Value);
}

Boolean TvlConditionViewInfo::Ready() { return !FItemText.empty() && !FOperatorText.empty(); }

Boolean TvlConditionViewInfo::ShowsValues() { return vlFilterControlOperatorShowsValues(FOperator); }

void TvlConditionViewInfo::AdjustValueCount(Boolean AKeepValues) {
  if (AKeepValues && ShowsValues()) {
    if (IsBetween(FOperator)) {
      while (FValues->Count() > 2) FValues->RemoveValue(FValues->Count() - 1);
      while (FValues->Count() < 2) FValues->AddValue();
    } else if (!IsInList(FOperator)) {
      while (FValues->Count() > 1) FValues->RemoveValue(FValues->Count() - 1);
      if (FValues->Count() == 0) FValues->AddValue();
    } else if (FValues->Count() == 0) {
      FValues->AddValue();
    }
  } else {
    FValues->Clear();
    FValues->AddValue();
    if (IsBetween(FOperator)) FValues->AddValue();
  }
}

TvlCustomEditProperties* TvlConditionViewInfo::GetProperties() {
  TvlCustomEditProperties* P = nullptr;
  IvlFilterControl* F = LinkedFilterOf(FControl);
  if (FControl->HasItems() && FItemIndex >= 0 && FItemIndex < F->ItemCount()) P = F->ItemProperties(FItemIndex);
  return P ? P : FControl->DefaultValueProperties();
}

void TvlConditionViewInfo::InitEditorProperties() {
  FreeAndNil(FValueEditorData);
  FreeAndNil(FEditorProperties);
  TvlCustomEditProperties* P = GetProperties();
  FEditorHelper = vlFilterEditsController()->FindHelper(P->ClassType());
  if (!FEditorHelper) FEditorHelper = ClassOf<TvlFilterTextEditHelper>();
  TvlCustomEditClass EditClass = FEditorHelper->GetFilterEditClass();
  TvlCustomEditPropertiesClass PropertiesClass =
      EditClass ? EditClass->GetPropertiesClass() : ClassAs<TvlCustomEditProperties>(P->ClassType());
  FEditorProperties = CreateFrom(PropertiesClass, &TvlCustomEditProperties::Create, static_cast<TPersistent*>(nullptr));
  FEditorHelper->InitializeProperties(FEditorProperties, P, true);
  IvlFilterControl* F = LinkedFilterOf(FControl);
  FValueType = F && FItemIndex >= 0 && FItemIndex < F->ItemCount() ? F->ItemValueType(FItemIndex)
                                                                    : TvlValueTypeClass();
  FSupportedOperators = FEditorHelper->GetSupportedFilterOperators(P, FValueType, true);
  ValidateOperators();
}

void TvlConditionViewInfo::ValidateOperators() { FControl->AdjustSupportedOperators(this); }

void TvlConditionViewInfo::SetItemIndex(Integer Value) {
  if (Value == FItemIndex && Value >= 0) return;
  IvlFilterControl* F = LinkedFilterOf(FControl);
  if (!F || F->ItemCount() == 0) return;
  Integer Index = Value;
  if (Index < 0) {
    Index = 0;
    if (FControl->SortItems()) {
      String Best;
      F->ItemCaption(0, Best);
      for (Integer I = 1; I < F->ItemCount(); ++I) {
        String C;
        F->ItemCaption(I, C);
        if (AnsiCompareText(C, Best) < 0) {
          Best = C;
          Index = I;
        }
      }
    }
  }
  if (Index >= F->ItemCount()) return;
  FItemIndex = Index;
  FItemLink = F->ItemLink(Index);
  F->ItemCaption(Index, FItemText);
  TvlCustomEditProperties* OldEditorProperties = FEditorProperties;
  if (OldEditorProperties && FControl->InplaceEditors()) FControl->InplaceEditors()->DisconnectProperties(OldEditorProperties);
  InitEditorProperties();
  TvlFilterControlOperator Op = fcoNone;
  if (FSupportedOperators.Contains(fcoLike))
    Op = fcoLike;
  else
    for (Integer O = fcoEqual; O <= fcoInFuture; ++O)
      if (FSupportedOperators.Contains(TvlFilterControlOperator(O))) {
        Op = TvlFilterControlOperator(O);
        break;
      }
  SetOperator(Op);
  AdjustValueCount(false);
}

// --- The control's model ------------------------------------------------------------------------------

Boolean TvlCustomFilterControl::HasItems() {
  IvlFilterControl* F = GetLinkedFilter();
  return F && F->ItemCount() > 0;
}

TvlCustomEditProperties* TvlCustomFilterControl::DefaultValueProperties() { return FTextEditProperties; }

TvlFilterControlCriteriaClass TvlCustomFilterControl::GetCriteriaClass() {
  return ClassOf<TvlFilterControlCriteria>();
}

void TvlCustomFilterControl::AdjustSupportedOperators(TvlConditionViewInfo* ACondition) {
  if (!FCriteria->SupportedLike()) {
    ACondition->FSupportedOperators.Exclude(fcoLike);
    ACondition->FSupportedOperators.Exclude(fcoNotLike);
  }
}

Integer TvlCustomFilterControl::IndexOfRow(TvlCustomRowViewInfo* ARow) const {
  for (size_t I = 0; I < FRows.size(); ++I)
    if (FRows[I] == ARow) return Integer(I);
  return -1;
}

Boolean TvlCustomFilterControl::IsValid() {
  for (TvlCustomRowViewInfo* R : FRows)
    if (!R->Ready()) return false;
  return true;
}

void TvlCustomFilterControl::ClearRows() {
  ForgetValueEditor();
  CloseList();
  FRows.assign(1, FRoot);
  while (FRoot->RowCount() > 0) Free(FRoot->Rows(FRoot->RowCount() - 1));
  FFocusedInfo = TvlFilterControlHitTestInfo{};
  FFocusedInfo.Row = FRoot;
  FFocusedInfo.HitTest = fhtBoolOperator;
  FFocusedInfo.ValueIndex = -1;
  FHotTrack = TvlFilterControlHitTestInfo{};
  FHotTrack.ValueIndex = -1;
  FRoot->SetBoolOperator(fboAnd);
  FTopVisibleRow = 0;
  FLeftOffset = 0;
}

void TvlCustomFilterControl::RebuildRowList() {
  FRows.clear();
  // Pre-order without recursion: a deep tree from a file must not exhaust the stack.
  std::vector<TvlCustomRowViewInfo*> Stack{FRoot};
  while (!Stack.empty()) {
    TvlCustomRowViewInfo* R = Stack.back();
    Stack.pop_back();
    FRows.push_back(R);
    if (auto* G = dynamic_cast<TvlGroupViewInfo*>(R))
      for (Integer I = G->RowCount() - 1; I >= 0; --I) Stack.push_back(G->Rows(I));
  }
}

void TvlCustomFilterControl::BuildGroupRows(TvlGroupViewInfo* ARow, TvlFilterCriteriaItemList* AGroup) {
  ARow->SetBoolOperator(AGroup->BoolOperatorKind());
  for (Integer I = 0; I < AGroup->Count(); ++I) {
    TvlCustomFilterCriteriaItem* Item = AGroup->Items(I);
    if (auto* Sub = dynamic_cast<TvlFilterCriteriaItemList*>(Item))
      BuildGroupRows(New<TvlGroupViewInfo>(this, ARow, Item), Sub);
    else
      New<TvlConditionViewInfo>(this, ARow, Item);
  }
}

void TvlCustomFilterControl::RebuildRows() {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  ClearRows();
  Finally List([&] { RebuildRowList(); });
  BuildGroupRows(FRoot, FCriteria->Root());
}

void TvlCustomFilterControl::WriteRowsToCriteria() {
  CloseValueEditor(true);
  for (size_t I = 0; I < FRows.size(); ++I)
    if (!FRows[I]->Ready()) {
      // The user sees which row to complete: it gets the focus, and the
      // message counts the rows as shown, the root's row being the first.
      FFocusedInfo.Row = FRows[I];
      FFocusedInfo.HitTest = static_cast<TvlConditionViewInfo*>(FRows[I])->ItemText().empty() ? fhtItem
                                                                                            : fhtOperator;
      FFocusedInfo.ValueIndex = -1;
      LayoutChanged();
      throw EvlFilterControlError(Format(vlGetResourceStringText(vlSFilterRowIncomplete), {Integer(I + 1)}));
    }
  FCriteria->BeginUpdate();
  Finally End([&] { FCriteria->EndUpdate(); });
  FCriteria->Clear();
  WriteGroup(FRoot, FCriteria->Root());
  FCriteria->PrepareOperators();
}

void TvlCustomFilterControl::WriteGroup(TvlGroupViewInfo* ARow, TvlFilterCriteriaItemList* AGroup) {
  AGroup->SetBoolOperatorKind(ARow->BoolOperator());
  for (Integer I = 0; I < ARow->RowCount(); ++I) {
    TvlCustomRowViewInfo* R = ARow->Rows(I);
    if (auto* G = dynamic_cast<TvlGroupViewInfo*>(R)) {
      TvlFilterCriteriaItemList* Sub = AGroup->AddItemList(fboAnd);
      G->FCriteriaItem = Sub;
      WriteGroup(G, Sub);
    } else {
      WriteCondition(static_cast<TvlConditionViewInfo*>(R), AGroup);
    }
  }
}

void TvlCustomFilterControl::WriteCondition(TvlConditionViewInfo* ARow, TvlFilterCriteriaItemList* AGroup) {
  TvlValuesViewInfo* Values = ARow->Values();
  auto Text = [&](Integer I) -> String {
    TvlValueInfo* V = Values->Values(I);
    return VarIsNull(V->Value()) ? kBlank : V->ValueText();
  };
  auto ValueAt = [&](Integer I) -> Variant { return I < Values->Count() ? Values->Values(I)->Value() : Null(); };
  Variant Value;
  String Display;
  const TvlFilterControlOperator Op = ARow->Operator();
  if (Op == fcoBlanks || Op == fcoNonBlanks) {
    Value = Null();
    Display = kBlank;
  } else if (IsBetween(Op)) {
    Variant A = ValueAt(0), B = ValueAt(1);
    String TA = Values->Count() > 0 ? Text(0) : kBlank, TB = Values->Count() > 1 ? Text(1) : kBlank;
    if (vlCompareVariants(A, B) < 0) {
      Value = vlMakeVariantPair(A, B);
      Display = TA + u";" + TB;
    } else {
      Value = vlMakeVariantPair(B, A);
      Display = TB + u";" + TA;
    }
  } else if (IsInList(Op)) {
    for (Integer I = 0; I < Values->Count(); ++I) {
      if (I == 0) {
        Value = vlMakeVariantSingle(ValueAt(0));
        Display = Text(0);
      } else {
        vlAppendVariant(Value, ValueAt(I));
        Display += u";" + Text(I);
      }
    }
    if (Values->Count() == 0) Value = Null();
  } else {
    Value = ValueAt(0);
    Display = Values->Count() > 0 ? Text(0) : kBlank;
    // Comparisons, like and the date periods: an empty text is shown as blank too.
    if (Op != fcoEqual && Op != fcoNotEqual && VarIsStr(Value) && VarToStr(Value).empty()) Display = kBlank;
    if (!ARow->ShowsValues()) {
      Value = Null();
      Display = kBlank;
    }
  }
  TvlFilterCriteriaItem* Leaf = FCriteria->AddItem(AGroup, ARow->ItemLink(), vlFilterControlOperatorToKind(Op),
                                                   Value, Display);
  ARow->FCriteriaItem = Leaf;
}

String TvlCustomFilterControl::GetFilterCaption() {
  WriteRowsToCriteria();
  return FCriteria->FilterCaption();
}

String TvlCustomFilterControl::GetFilterText() {
  WriteRowsToCriteria();
  return FCriteria->FilterText();
}

void TvlCustomFilterControl::ApplyToLinkedFilter() {
  IvlFilterControl* F = GetLinkedFilter();
  if (!F || !F->FilterCriteria()) return;
  WriteRowsToCriteria();
  TvlFilterCriteria* Linked = F->FilterCriteria();
  const Boolean Other = Linked != FCriteria;
  // The handler may free the builder: the linked update still ends, and
  // nothing of the builder is touched after that.
  TvlObjectLinkScope Alive(this);
  Linked->BeginUpdate();
  {
    Finally After([&] {
      Linked->EndUpdate();
      if (!Alive.Alive()) return;
      if (Other) FCriteria->Assign(Linked, false);
      RebuildRows();
    });
    if (Other) Linked->AssignItems(FCriteria, false);
    DoApplyFilter();
  }
}

void TvlCustomFilterControl::DoApplyFilter() {
  if (Assigned(FOnApplyFilter)) FOnApplyFilter(this);
}

void TvlCustomFilterControl::Clear() {
  CloseValueEditor(false);
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  ClearRows();
  FCriteria->Clear();
}

// --- Filter files ---------------------------------------------------------------------------------

void TvlCustomFilterControl::SaveToFile(const String& AFileName) {
  // The rows are written first: an incomplete row raises before the file is touched.
  WriteRowsToCriteria();
  std::unique_ptr<TFileStream, TObjectFree> S(New<TFileStream>(AFileName, fmCreate));
  FCriteria->WriteData(S.get(), FCriteria->Version());
}

void TvlCustomFilterControl::SaveToStream(TStream* AStream) {
  WriteRowsToCriteria();
  FCriteria->WriteData(AStream, FCriteria->Version());
}

void TvlCustomFilterControl::LoadFromFile(const String& AFileName) {
  if (!HasItems()) throw EvlFilterControlError(vlGetResourceStringText(vlSFilterErrorBuilding));
  std::unique_ptr<TFileStream, TObjectFree> S(New<TFileStream>(AFileName, fmOpenRead | fmShareDenyWrite));
  LoadFromStream(S.get());
}

void TvlCustomFilterControl::LoadFromStream(TStream* AStream) {
  if (!HasItems()) throw EvlFilterControlError(vlGetResourceStringText(vlSFilterErrorBuilding));
  // New criteria with the settings of the current ones, read from the stream.
  std::unique_ptr<TvlFilterControlCriteria, TObjectFree> NewCriteria(
      CreateFrom(GetCriteriaClass(), this));
  NewCriteria->Assign(FCriteria, false);
  NewCriteria->Clear();
  NewCriteria->ReadData(AStream);
  // Rows over them, as a check: building raises for an item the component does not offer.
  {
    std::unique_ptr<TvlGroupViewInfo, TObjectFree> Check(
        New<TvlGroupViewInfo>(this, static_cast<TvlGroupViewInfo*>(nullptr), NewCriteria->Root()));
    BuildGroupRows(Check.get(), NewCriteria->Root());
  }
  // Both read: the own criteria take the new contents (the object stays,
  // others may hold it) and the rows are built from them.
  CloseValueEditor(false);
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FCriteria->Assign(NewCriteria.get(), false);
  RebuildRows();
}

// --- The linked control ----------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterControl)

IvlFilterControl* TvlFilterControl::GetLinkedFilter() {
  IvlFilterControl* F = nullptr;
  return FLinkComponent && Supports(FLinkComponent, F) ? F : nullptr;
}

void TvlFilterControl::LinkTo(TComponent* AComponent) {
  IvlFilterControl* F = nullptr;
  if (AComponent && !Supports(AComponent, F)) AComponent = nullptr;
  if (AComponent == FLinkComponent) return;
  if (FLinkComponent) FLinkComponent->RemoveFreeNotification(this);
  FLinkComponent = AComponent;
  if (FLinkComponent) FLinkComponent->FreeNotification(this);
  UpdateFilter();
}

void TvlFilterControl::UpdateFilter() {
  IvlFilterControl* F = GetLinkedFilter();
  if (F && F->FilterCriteria()) {
    if (F->FilterCriteria() != Criteria()) Criteria()->Assign(F->FilterCriteria(), false);
    RebuildRows();
  } else {
    Clear();
  }
}

void TvlFilterControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLinkComponent) {
    FLinkComponent = nullptr;
    UpdateFilter();
  }
}
