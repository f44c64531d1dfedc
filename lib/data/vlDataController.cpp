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
#include "platform/classes/TypInfoBuild.h"
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
CL_IMPLEMENT_CLASS_PUBLISHED(TvlCustomDataSummaryItem, P) {
  P.Property(u"Format", &TvlCustomDataSummaryItem::Format, &TvlCustomDataSummaryItem::SetFormat);
  P.Property(u"Kind", &TvlCustomDataSummaryItem::Kind, &TvlCustomDataSummaryItem::SetKind).Default(skNone);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TvlDataSummaryItem, P) {
  P.Property(u"Position", &TvlDataSummaryItem::Position, &TvlDataSummaryItem::SetPosition)
      .Stored(&TvlDataSummaryItem::PositionNeedsStoring);
  P.Property(u"Tag", &TvlDataSummaryItem::Tag, &TvlDataSummaryItem::SetTag).Default(0);
  P.Property(u"OnGetText", &TvlDataSummaryItem::OnGetText, &TvlDataSummaryItem::SetOnGetText);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TvlDataSummaryItems, P) {
  P.Property(u"OnSummary", &TvlDataSummaryItems::OnSummary, &TvlDataSummaryItems::SetOnSummary);
}
CL_IMPLEMENT_CLASS(TvlDataFooterSummaryItems)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlDataGroupSummaryItems, P) {
  P.Property(u"BeginText", &TvlDataGroupSummaryItems::BeginText, &TvlDataGroupSummaryItems::SetBeginText)
      .Stored(&TvlDataGroupSummaryItems::IsBeginTextStored);
  P.Property(u"EndText", &TvlDataGroupSummaryItems::EndText, &TvlDataGroupSummaryItems::SetEndText)
      .Stored(&TvlDataGroupSummaryItems::IsEndTextStored);
  P.Property(u"Separator", &TvlDataGroupSummaryItems::Separator, &TvlDataGroupSummaryItems::SetSeparator)
      .Stored(&TvlDataGroupSummaryItems::IsSeparatorStored);
}
CL_IMPLEMENT_CLASS(TvlDataSummaryGroupItemLink)
CL_IMPLEMENT_CLASS(TvlDataSummaryGroupItemLinks)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlDataSummaryGroup, P) {
  P.Property(u"Links", &TvlDataSummaryGroup::Links, &TvlDataSummaryGroup::SetLinks);
  P.Property(u"SummaryItems", &TvlDataSummaryGroup::SummaryItems, &TvlDataSummaryGroup::SetSummaryItems);
}
CL_IMPLEMENT_CLASS(TvlDataSummaryGroups)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlDataSummary, P) {
  P.Property(u"DefaultGroupSummaryItems", &TvlDataSummary::DefaultGroupSummaryItems,
             &TvlDataSummary::SetDefaultGroupSummaryItems);
  P.Property(u"FooterSummaryItems", &TvlDataSummary::FooterSummaryItems, &TvlDataSummary::SetFooterSummaryItems);
  P.Property(u"SummaryGroups", &TvlDataSummary::SummaryGroups, &TvlDataSummary::SetSummaryGroups);
  P.Property(u"Options", &TvlDataSummary::Options, &TvlDataSummary::SetOptions)
      .Default(TvlSummaryOptions{soNullIgnore});
  P.Property(u"OnAfterSummary", &TvlDataSummary::OnAfterSummary, &TvlDataSummary::SetOnAfterSummary);
}
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

namespace {

// The first summary item or link of a collection for which APred holds; -1.
template <class TPred>
Integer FindSummaryItem(const TCollection* AItems, TPred APred) {
  for (Integer I = 0; I < AItems->Count(); ++I)
    if (APred(static_cast<TvlCustomDataSummaryItem*>(AItems->Items(I)))) return I;
  return -1;
}

}  // namespace

void TvlCustomDataSummaryItem::CopySettings(TvlCustomDataSummaryItem* ASource) {
  // The source's item maps to the item at the same place in this controller.
  TObject* Link = nullptr;
  TvlCustomDataController* Mine = OwningDataController();
  TvlCustomDataController* Theirs = ASource->OwningDataController();
  if (Mine == Theirs || !Mine || !Theirs) {
    Link = ASource->ItemLink();
  } else if (TvlCustomDataField* F = ASource->Field(); F && !F->IsInternal()) {
    Integer I = F->Index();
    if (I >= 0 && I < Mine->GetItemCount()) Link = Mine->GetItem(I);
  }
  SetItemLink(Link);
  SetFormat(ASource->Format());
  SetKind(ASource->Kind());
}

TvlCustomDataController* TvlCustomDataSummaryItem::OwningDataController() {
  auto* Items = dynamic_cast<TvlDataSummaryItems*>(Collection());
  return Items ? Items->DataController() : nullptr;
}

String TvlCustomDataSummaryItem::ChooseValueFormat(TvlSummaryValueType AValueType, const Variant&, Boolean AIsFooter) {
  if (!FFormat.empty()) return FFormat;
  auto* Items = dynamic_cast<TvlDataSummaryItems*>(Collection());
  return Items ? Items->DefaultFormat(AValueType, FKind, AIsFooter) : String();
}

Boolean TvlCustomDataSummaryItem::IsCurrency(Integer AVarType) { return vlIsCurrencyVarType(AVarType); }

String TvlCustomDataSummaryItem::FormatValue(const Variant& AValue, Boolean AIsFooter) {
  if (VarIsNull(AValue)) return u"";
  if (FKind == skNone) return VarToStr(AValue);
  TvlSummaryValueType ValueType =
      IsCurrency(VarType(AValue)) ? svtCurrency : (vlVarIsDateTime(AValue) ? svtDate : svtFloat);
  String Fmt = ChooseValueFormat(ValueType, AValue, AIsFooter);
  if (ValueType == svtDate && FKind != skCount) {
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
  // A footer count that is not calculated stays Empty: the number 0.
  if (VarIsEmpty(AValue)) return FormatFloat(Fmt, 0);
  return FormatFloat(Fmt, AValue.AsDouble());
}

void TvlCustomDataSummaryItem::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TvlCustomDataSummaryItem*>(Source);
  if (!S) return inherited::Assign(Source);
  TCollection* C = Collection();
  if (C) C->BeginUpdate();
  Finally End([&] {
    if (C) C->EndUpdate();
  });
  CopySettings(S);
}

TObject* TvlCustomDataSummaryItem::ItemLink() const { return FField ? FField->Item() : nullptr; }

void TvlCustomDataSummaryItem::SetItemLink(TObject* Value) {
  TvlCustomDataController* DC = OwningDataController();
  if (!DC || Value == ItemLink()) return;
  SetDataFieldLink(Value ? DC->Fields()->FieldByItem(Value) : nullptr);
}

void TvlCustomDataSummaryItem::SetDataFieldLink(TvlCustomDataField* AField) {
  if (AField == FField) return;
  TCollection* C = Collection();
  if (C) C->BeginUpdate();
  {
    Finally End([&] {
      if (C) C->EndUpdate();
    });
    DataFieldChanging(AField);
    FField = AField;
    Changed(true);  // the update's end reports it
  }
}

void TvlCustomDataSummaryItem::SetKind(TvlSummaryKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed(true);
}

void TvlCustomDataSummaryItem::SetFormat(const String& Value) {
  FFormat = Value;
  Changed(false);
}

void TvlDataSummaryItem::CopySettings(TvlCustomDataSummaryItem* ASource) {
  inherited::CopySettings(ASource);
  if (auto* S = dynamic_cast<TvlDataSummaryItem*>(ASource)) {
    SetPosition(S->Position());
    SetSorted(S->Sorted());
    SetOnGetText(S->OnGetText());
  }
}

void TvlDataSummaryItem::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* S = dynamic_cast<TvlDataSummaryItem*>(Source)) FTag = S->Tag();
}

void TvlDataSummaryItem::Destroy() {
  if (Collection()) SetSorted(false);
  inherited::Destroy();
}

TvlDataSummaryItems* TvlDataSummaryItem::SummaryItems() const {
  return static_cast<TvlDataSummaryItems*>(Collection());
}

TvlSummaryPosition TvlDataSummaryItem::Position() {
  return SummaryItems() ? SummaryItems()->PositionOfItem(this) : FPosition;
}

void TvlDataSummaryItem::SetPosition(TvlSummaryPosition Value) {
  if (Position() == Value) return;
  FPosition = Value;
  Changed(false);
}

Boolean TvlDataSummaryItem::PositionNeedsStoring() {
  return SummaryItems() ? SummaryItems()->PositionNeedsStoring(this) : FPosition != spGroup;
}

void TvlDataSummaryItem::SetSorted(Boolean Value) {
  TvlCustomDataController* DC = DataController();
  if (FSorted == Value || !DC || DC->SortingBySummaryDataItemIndex() != -1) return;
  TvlDataSummaryItems* Items = SummaryItems();
  Items->BeginUpdate();
  {
    Finally End([&] { Items->EndUpdate(); });
    Items->PrepareSortedChange(this, Value);
    FSorted = Value;
    if (!DC->IsOwnerDestroying()) {
      DC->SortingBySummaryChangedFlag = true;
      DC->Change(dccSorting);
    }
    Changed(true);  // the update's end reports it
  }
}

Boolean TvlDataSummaryItem::IsCalculated() {
  // A count without a field counts the records, in a footer too.
  return DataField() != nullptr || Kind() == skCount;
}

String TvlDataSummaryItem::FormatValue(const Variant& AValue, Boolean AIsFooter) {
  String Result = inherited::FormatValue(AValue, AIsFooter);
  if (Assigned(FOnGetText)) FOnGetText(this, AValue, AIsFooter, Result);
  return Result;
}

// --- Summary item collections ----------------------------------------------------------

void TvlDataSummaryItems::Create(TvlDataSummary* ASummary, TvlDataSummaryItemClass AItemClass) {
  inherited::Create(AItemClass);
  FSummary = ASummary;
}

TPersistent* TvlDataSummaryItems::GetOwner() { return FSummary; }

TvlCustomDataController* TvlDataSummaryItems::DataController() const {
  return FSummary ? FSummary->DataController() : nullptr;
}

void TvlDataSummaryItems::Update(TCollectionItem* Item) {
  // One item's change redraws, the collection's recalculates.
  if (FSummary) FSummary->Changed(Item != nullptr);
}

void TvlDataSummaryItems::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* S = dynamic_cast<TvlDataSummaryItems*>(Source)) AssignEvents(S);
}

void TvlDataSummaryItems::AssignEvents(TvlDataSummaryItems* ASource) { FOnSummary = ASource->OnSummary(); }

TvlSummaryPosition TvlDataSummaryItems::PositionOfItem(TvlDataSummaryItem* AItem) { return AItem->FPosition; }

Boolean TvlDataSummaryItems::PositionNeedsStoring(TvlDataSummaryItem* AItem) { return AItem->FPosition != spGroup; }

Boolean TvlDataSummaryItems::AreSettingsEmpty(const String& AFormat, Boolean ASorted, TvlSummaryKind AKind) {
  return AFormat.empty() && !ASorted && AKind == skNone;
}

TvlDataSummaryItem* TvlDataSummaryItems::Add(TObject* AItemLink, TvlSummaryPosition APosition, TvlSummaryKind AKind,
                                             const String& AFormat) {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  TvlDataSummaryItem* Item = Add();
  Item->SetItemLink(AItemLink);
  Item->SetPosition(APosition);
  Item->SetKind(AKind);
  Item->SetFormat(AFormat);
  return Item;
}

void TvlDataSummaryItems::DeleteItems(TObject* AItemLink, TvlSummaryPosition APosition) {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  for (Integer I = Count() - 1; I >= 0; --I)
    if (Items(I)->ItemLink() == AItemLink && Items(I)->Position() == APosition) Free(Items(I));
}

TvlDataSummaryItem* TvlDataSummaryItems::FindByTag(Integer ATag) const {
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->Tag() == ATag) return Items(I);
  return nullptr;
}

Integer TvlDataSummaryItems::IndexOf(const TvlDataSummaryItem* AItem) const {
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I) == AItem) return I;
  return -1;
}

Integer TvlDataSummaryItems::IndexOfItemLink(TObject* AItemLink) const {
  return FindSummaryItem(this, [&](TvlCustomDataSummaryItem* I) { return I->ItemLink() == AItemLink; });
}

TvlDataSummaryItem* TvlDataSummaryItems::ItemOfItemLink(TObject* AItemLink) const {
  Integer I = IndexOfItemLink(AItemLink);
  return I < 0 ? nullptr : Items(I);
}

Integer TvlDataSummaryItems::IndexByField(TvlCustomDataField* AField) const {
  return FindSummaryItem(this, [&](TvlCustomDataSummaryItem* I) { return I->Field() == AField; });
}

TvlDataSummaryItem* TvlDataSummaryItems::ItemByField(TvlCustomDataField* AField) const {
  Integer I = IndexByField(AField);
  return I < 0 ? nullptr : Items(I);
}

TvlDataSummaryItem* TvlDataSummaryItems::GetDataItem(Integer AItemIndex, TvlSummaryPosition APosition,
                                                     Boolean ACheckKind, TvlSummaryKind AKind) {
  TvlCustomDataField* F = DataController()->GetItemField(AItemIndex);  // "ItemIndex out of range"
  for (Integer I = 0; I < Count(); ++I) {
    TvlDataSummaryItem* Item = Items(I);
    if (Item->Field() == F && Item->Position() == APosition && (!ACheckKind || Item->Kind() == AKind)) return Item;
  }
  return nullptr;
}

String TvlDataSummaryItems::DataItemFormat(Integer AItemIndex, TvlSummaryPosition APosition) {
  TvlDataSummaryItem* Item = GetDataItem(AItemIndex, APosition);
  return Item ? Item->Format() : String();
}

TvlSummaryKind TvlDataSummaryItems::DataItemKind(Integer AItemIndex, TvlSummaryPosition APosition) {
  TvlDataSummaryItem* Item = GetDataItem(AItemIndex, APosition);
  return Item ? Item->Kind() : skNone;
}

Boolean TvlDataSummaryItems::DataItemSorted(Integer AItemIndex, TvlSummaryPosition APosition) {
  TvlDataSummaryItem* Item = GetDataItem(AItemIndex, APosition);
  return Item && Item->Sorted();
}

template <class TSet>
void TvlDataSummaryItems::SetDataItemSetting(Integer AItemIndex, TvlSummaryPosition APosition, Boolean AEmpty,
                                             TSet ASet) {
  TvlDataSummaryItem* Item = GetDataItem(AItemIndex, APosition);
  if (Item) {
    ASet(Item);
    if (AreSettingsEmpty(Item->Format(), Item->Sorted(), Item->Kind())) Free(Item);
  } else if (!AEmpty) {
    ASet(Add(DataController()->GetItem(AItemIndex), APosition, skNone, u""));
  }
}

void TvlDataSummaryItems::SetDataItemFormat(Integer AItemIndex, TvlSummaryPosition APosition, const String& Value) {
  SetDataItemSetting(AItemIndex, APosition, Value.empty(), [&](TvlDataSummaryItem* I) { I->SetFormat(Value); });
}

void TvlDataSummaryItems::SetDataItemKind(Integer AItemIndex, TvlSummaryPosition APosition, TvlSummaryKind Value) {
  SetDataItemSetting(AItemIndex, APosition, Value == skNone, [&](TvlDataSummaryItem* I) { I->SetKind(Value); });
}

void TvlDataSummaryItems::SetDataItemSorted(Integer AItemIndex, TvlSummaryPosition APosition, Boolean Value) {
  SetDataItemSetting(AItemIndex, APosition, !Value, [&](TvlDataSummaryItem* I) { I->SetSorted(Value); });
}

void TvlDataSummaryItems::NotifyRedraw() {
  if (Count() > 0) Update(Items(0));
}

String TvlDataSummaryItems::DefaultFormat(TvlSummaryValueType AValueType, TvlSummaryKind AKind, Boolean AIsFooter) {
  static const char16_t* const kNames[] = {u"", u"SUM=", u"MIN=", u"MAX=", u"COUNT=", u"AVG="};
  if (AKind == skNone) return u"";
  if (AKind == skCount) return AIsFooter ? u"0" : u"COUNT=0";
  String Name = (AKind == skSum && AIsFooter) ? String() : String(kNames[AKind]);
  if (AValueType == svtDate) return Name;
  if (AValueType == svtCurrency) {
    String C = vlGetCurrencyDisplayFormat();
    return Name + C + u";" + Name + u"-" + C;
  }
  return Name + u"0.00;" + Name + u"-0.00";
}

Boolean TvlDataSummaryItems::RemoveField(TvlCustomDataField* AField) {
  Boolean Any = false;
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->Field() == AField) {
      Items(I)->SetDataFieldLink(nullptr);
      Any = true;
    }
  return Any;
}

void TvlDataGroupSummaryItems::Create(TvlDataSummary* ASummary, TvlDataSummaryItemClass AItemClass) {
  inherited::Create(ASummary, AItemClass);
  FBeginText = u"(";
  FEndText = u")";
  FSeparator = u",";
}

TPersistent* TvlDataGroupSummaryItems::GetOwner() { return FOwner ? FOwner : inherited::GetOwner(); }

void TvlDataGroupSummaryItems::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TvlDataGroupSummaryItems*>(Source)) {
    BeginUpdate();
    Finally End([&] { EndUpdate(); });
    inherited::Assign(Source);
    SetBeginText(S->BeginText());
    SetEndText(S->EndText());
    SetSeparator(S->Separator());
    return;
  }
  inherited::Assign(Source);
}

void TvlDataGroupSummaryItems::PrepareSortedChange(TvlDataSummaryItem* AItem, Boolean AValue) {
  if (!AValue) return;
  if (TvlDataSummaryItem* Current = SortedSummaryItem(); Current && Current != AItem) Current->SetSorted(false);
}

TvlDataSummaryItem* TvlDataGroupSummaryItems::SortedSummaryItem() {
  TvlCustomDataController* DC = DataController();
  Integer Forced = DC ? DC->SortingBySummaryDataItemIndex() : -1;
  if (Forced != -1) return ItemByField(DC->GetItemField(Forced));
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->Sorted()) return Items(I);
  return nullptr;
}

void TvlDataGroupSummaryItems::SetBeginText(const String& Value) {
  if (FBeginText == Value) return;
  FBeginText = Value;
  NotifyRedraw();
}

void TvlDataGroupSummaryItems::SetEndText(const String& Value) {
  if (FEndText == Value) return;
  FEndText = Value;
  NotifyRedraw();
}

void TvlDataGroupSummaryItems::SetSeparator(const String& Value) {
  if (FSeparator == Value) return;
  FSeparator = Value;
  NotifyRedraw();
}

String TvlDataGroupSummaryItems::GetGroupText(const Variant& ASummaryValues) {
  String Result;
  for (Integer I = 0; I < Count(); ++I) {
    TvlDataSummaryItem* Item = Items(I);
    if (Item->Position() != spGroup) continue;
    Variant V = VarIsArray(ASummaryValues) && I <= VarArrayHighBound(ASummaryValues, 1) ? ASummaryValues[I] : Null();
    String Text = Item->FormatValue(V, false);
    if (!Result.empty()) Result += FSeparator + u" ";
    Result += Text;
  }
  if (!Result.empty()) Result = FBeginText + Result + FEndText;
  return Result;
}

// --- Summary groups ----------------------------------------------------------------

TvlDataSummaryGroup* TvlDataSummaryGroupItemLink::SummaryGroup() const {
  auto* Links = static_cast<TvlDataSummaryGroupItemLinks*>(Collection());
  return Links ? Links->SummaryGroup() : nullptr;
}

TvlCustomDataController* TvlDataSummaryGroupItemLink::OwningDataController() {
  TvlDataSummaryGroup* G = SummaryGroup();
  TvlDataSummaryGroups* Groups = G ? G->SummaryGroups() : nullptr;
  return Groups && Groups->Summary() ? Groups->Summary()->DataController() : nullptr;
}

void TvlDataSummaryGroupItemLink::DataFieldChanging(TvlCustomDataField* AField) {
  TvlDataSummaryGroup* Mine = SummaryGroup();
  if (!AField || !Mine || !Mine->SummaryGroups()) return;
  TvlDataSummaryGroups* Groups = Mine->SummaryGroups();
  for (Integer G = 0; G < Groups->Count(); ++G)
    if (TvlDataSummaryGroupItemLinks* Links = Groups->Items(G)->ExistingLinks())
      for (Integer I = 0; I < Links->Count(); ++I)
        if (Links->Items(I) != this && Links->Items(I)->Field() == AField) Links->Items(I)->SetDataFieldLink(nullptr);
}

void TvlDataSummaryGroupItemLinks::Create(TvlDataSummaryGroup* ASummaryGroup,
                                          TvlDataSummaryGroupItemLinkClass AItemClass) {
  inherited::Create(AItemClass);
  FSummaryGroup = ASummaryGroup;
}

TPersistent* TvlDataSummaryGroupItemLinks::GetOwner() { return FSummaryGroup; }

void TvlDataSummaryGroupItemLinks::Update(TCollectionItem*) {
  TvlDataSummaryGroups* Groups = FSummaryGroup ? FSummaryGroup->SummaryGroups() : nullptr;
  if (Groups && Groups->Summary()) Groups->Summary()->Changed(false);
}

Integer TvlDataSummaryGroupItemLinks::IndexOfItemLink(TObject* AItemLink) const {
  return FindSummaryItem(this, [&](TvlCustomDataSummaryItem* I) { return I->ItemLink() == AItemLink; });
}

TvlDataSummaryGroupItemLink* TvlDataSummaryGroupItemLinks::ItemOfItemLink(TObject* AItemLink) const {
  Integer I = IndexOfItemLink(AItemLink);
  return I < 0 ? nullptr : Items(I);
}

Integer TvlDataSummaryGroupItemLinks::IndexByField(TvlCustomDataField* AField) const {
  return FindSummaryItem(this, [&](TvlCustomDataSummaryItem* I) { return I->Field() == AField; });
}

TvlDataSummaryGroupItemLink* TvlDataSummaryGroupItemLinks::ItemByField(TvlCustomDataField* AField) const {
  Integer I = IndexByField(AField);
  return I < 0 ? nullptr : Items(I);
}

void TvlDataSummaryGroup::Create(TCollection* Collection) {
  // The items exist before the group joins its collection (which recalculates).
  auto* Groups = dynamic_cast<TvlDataSummaryGroups*>(Collection);
  TvlDataSummary* Summary = Groups ? Groups->Summary() : nullptr;
  TvlDataSummaryItemClass ItemClass =
      Summary && Summary->DataController() ? Summary->DataController()->GetSummaryItemClass()
                                           : ClassOf<TvlDataSummaryItem>();
  FSummaryItems = New<TvlDataGroupSummaryItems>(Summary, ItemClass);
  FSummaryItems->FOwner = this;
  inherited::Create(Collection);
}

void TvlDataSummaryGroup::Destroy() {
  // Out of the list first, so that no calculation meets a half-freed group.
  SetCollection(nullptr);
  Free(FItemLinks);
  FItemLinks = nullptr;
  Free(FSummaryItems);
  FSummaryItems = nullptr;
  inherited::Destroy();
}

TvlDataSummaryGroups* TvlDataSummaryGroup::SummaryGroups() const {
  return static_cast<TvlDataSummaryGroups*>(Collection());
}

TvlDataSummaryGroupItemLinks* TvlDataSummaryGroup::Links() {
  if (!FItemLinks) {
    TvlDataSummary* Summary = SummaryGroups() ? SummaryGroups()->Summary() : nullptr;
    TvlDataSummaryGroupItemLinkClass LinkClass = Summary && Summary->DataController()
                                                     ? Summary->DataController()->GetSummaryGroupItemLinkClass()
                                                     : ClassOf<TvlDataSummaryGroupItemLink>();
    FItemLinks = New<TvlDataSummaryGroupItemLinks>(this, LinkClass);
  }
  return FItemLinks;
}

void TvlDataSummaryGroup::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TvlDataSummaryGroup*>(Source);
  if (!S) return inherited::Assign(Source);
  TvlDataSummary* Summary = SummaryGroups() ? SummaryGroups()->Summary() : nullptr;
  if (Summary) Summary->BeginUpdate();
  Finally End([&] {
    if (Summary) Summary->EndUpdate();
  });
  SetLinks(S->Links());
  SetSummaryItems(S->SummaryItems());
}

void TvlDataSummaryGroups::Create(TvlDataSummary* ASummary) {
  inherited::Create(ClassOf<TvlDataSummaryGroup>());
  FSummary = ASummary;
}

TPersistent* TvlDataSummaryGroups::GetOwner() { return FSummary; }

void TvlDataSummaryGroups::Update(TCollectionItem*) {
  if (FSummary) FSummary->Changed(false);
}

TvlDataSummaryGroup* TvlDataSummaryGroups::FindByItemLink(TObject* AItemLink) const {
  for (Integer I = 0; I < Count(); ++I)
    if (TvlDataSummaryGroupItemLinks* Links = Items(I)->ExistingLinks(); Links && Links->IndexOfItemLink(AItemLink) >= 0)
      return Items(I);
  return nullptr;
}

TvlDataSummaryGroup* TvlDataSummaryGroups::FindByField(TvlCustomDataField* AField) const {
  if (!AField) return nullptr;
  for (Integer I = 0; I < Count(); ++I)
    if (TvlDataSummaryGroupItemLinks* Links = Items(I)->ExistingLinks(); Links && Links->IndexByField(AField) >= 0)
      return Items(I);
  return nullptr;
}

// --- Summary ---------------------------------------------------------------------------

void TvlDataSummary::Create(TvlCustomDataController* ADataController) {
  FDataController = ADataController;
  TvlDataSummaryItemClass ItemClass = ADataController->GetSummaryItemClass();
  FDefaultGroupSummaryItems = New<TvlDataGroupSummaryItems>(this, ItemClass);
  FFooterSummaryItems = New<TvlDataFooterSummaryItems>(this, ItemClass);
  FSummaryGroups = New<TvlDataSummaryGroups>(this);
  // Null values are left out of sums, averages and counts of a field unless
  // the option is cleared.
  FOptions = TvlSummaryOptions{soNullIgnore};
}

void TvlDataSummary::Destroy() {
  FDestroying = true;
  Free(FDefaultGroupSummaryItems);
  Free(FFooterSummaryItems);
  Free(FSummaryGroups);
  inherited::Destroy();
}

void TvlDataSummary::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TvlDataSummary*>(Source);
  if (!S) return inherited::Assign(Source);
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDefaultGroupSummaryItems->Assign(S->DefaultGroupSummaryItems());
  FFooterSummaryItems->Assign(S->FooterSummaryItems());
  FSummaryGroups->Assign(S->SummaryGroups());
  SetOptions(S->Options());
  AssignEvents(S);
}

void TvlDataSummary::AssignEvents(TvlDataSummary* ASource) { FOnAfterSummary = ASource->FOnAfterSummary; }

void TvlDataSummary::CancelUpdate() {
  --FLockCount;
  FDataController->EndUpdate();
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
  if (FInAfterSummary || FLockCount > 0 || FDestroying || !FDataController->DataControllerInfo()) return;
  FDataController->DataControllerInfo()->RefreshSummary(ARedrawOnly);
}

void TvlDataSummary::SetOptions(TvlSummaryOptions Value) {
  if (Value == FOptions) return;
  // Both selected-records options: the one just added wins (both added: the multiple one).
  if (Value.Contains(soSelectedRecords) && Value.Contains(soMultipleSelectedRecords)) {
    const Boolean AddedSingle = !FOptions.Contains(soSelectedRecords) && FOptions.Contains(soMultipleSelectedRecords);
    Value.Exclude(AddedSingle ? soMultipleSelectedRecords : soSelectedRecords);
  }
  FOptions = Value;
  Changed(false);
}

void TvlDataSummary::BeginCalculate() {
  if (!FSetCustomSummary) CalculateFooterSummary();
}

void TvlDataSummary::EndCalculate() {
  if (FSetCustomSummary) return;
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
  Boolean BySelection = FOptions.Contains(soSelectedRecords) ||
                        (FOptions.Contains(soMultipleSelectedRecords) && FDataController->GetSelectedCount() > 1);
  if (!BySelection) return R;
  if (!FDataController->MultiSelect()) return R == FDataController->FocusedRecordIndex() ? R : -1;
  return Info->Selection()->IsRecordSelected(R) ? R : -1;
}

void TvlDataSummary::InitValues(TvlDataSummaryItems* AItems, TAccumulators& A) {
  const Integer N = AItems->Count();
  A.Values.assign(N, Variant());
  A.Counts.assign(N, 0);
  A.Floats.assign(N, {});
  // Provider mode and the summary event read every value through the controller.
  if (FDataController->IsProviderMode() || Assigned(AItems->OnSummary())) return;
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
    TvlCustomDataField* Field = Item->DataField();
    if (!Field || !Field->ValueDef() || K == skNone || K == skCount ||
        Field->ValueTypeClass() != ClassOf<TvlFloatValueType>())
      continue;
    A.Floats[I].Def = Field->ValueDef();
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
  const Boolean NullIgnore = FOptions.Contains(soNullIgnore);
  const Boolean BySelection = FollowsSelection();
  const TvlSummaryEvent& OnSummary = AItems->OnSummary();
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  for (Integer P = AFirst; P <= ALast; ++P) {
    Integer R = BySelection ? GetRecordIndex(P) : Info->GetInternalRecordIndex(P);
    if (R == -1) continue;
    for (Integer I = 0; I < N; ++I) {
      TvlDataSummaryItem* Item = AItems->Items(I);
      if (!Item->IsCalculated()) continue;
      TvlCustomDataField* Field = Item->DataField();
      Variant V;
      if (Assigned(OnSummary)) {
        // The handler may supply the value, change the accumulators or
        // take the record over (Done).
        TvlSummaryEventArguments Arguments{R, Item};
        TvlSummaryEventOutArguments Out;
        Out.Value = Field ? FDataController->GetValue(R, Field) : Null();
        Out.SummaryValue = A.Values[I];
        Out.CountValue = A.Counts[I];
        OnSummary(AItems, Arguments, Out);
        A.Values[I] = Out.SummaryValue;
        A.Counts[I] = Out.CountValue;
        if (Out.Done) continue;
        V = Out.Value;
      }
      if (Item->Kind() == skNone) continue;
      // A count without a field counts the records.
      if (!Field) {
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
      if (!Assigned(OnSummary)) V = FDataController->GetValue(R, Field);
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

TvlDataGroupSummaryItems* TvlDataSummary::GetGroupSummaryItemsByLevel(Integer ALevel) const {
  TvlGroupingFieldList* Grouping = FDataController->DataControllerInfo()->GroupingFieldList();
  if (ALevel < 0 || ALevel >= Grouping->Count()) return nullptr;
  TvlDataSummaryGroup* G = FSummaryGroups->FindByField(Grouping->Items(ALevel).Field);
  return G ? G->SummaryItems() : FDefaultGroupSummaryItems;
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

String TvlDataSummary::GroupFooterSummaryTexts(Integer ARowIndex, Integer ALevel, Integer AIndex) {
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  if (!Info->IsGrouped() || ARowIndex < 0 || ARowIndex >= Info->GetRowCount()) return u"";
  Integer G = Info->DataGroups()->GetIndexByRowIndexLevel(ARowIndex, ALevel);
  if (G < 0) return u"";
  TvlDataSummaryItems* Items = GetGroupSummaryItemsByLevel(Info->DataGroups()->Items(G)->Level);
  const Variant& Values = Info->DataGroups()->Items(G)->SummaryValues;
  if (!Items || VarIsEmpty(Values) || AIndex < 0 || AIndex >= Items->Count()) return u"";
  Variant V = VarIsArray(Values) && AIndex <= VarArrayHighBound(Values, 1) ? Values[AIndex] : Null();
  return Items->Items(AIndex)->FormatValue(V, true);
}

TvlDataSummaryItems* TvlDataSummary::GetPatternSummaryItems(TvlDataSummary* APatternSummary,
                                                            TvlDataSummaryItems* AItems) {
  if (AItems == FFooterSummaryItems) return APatternSummary->FooterSummaryItems();
  if (AItems == FDefaultGroupSummaryItems) return APatternSummary->DefaultGroupSummaryItems();
  for (Integer I = 0; I < FSummaryGroups->Count(); ++I)
    if (FSummaryGroups->Items(I)->SummaryItems() == AItems)
      return I < APatternSummary->SummaryGroups()->Count() ? APatternSummary->SummaryGroups()->Items(I)->SummaryItems()
                                                           : nullptr;
  return nullptr;
}

void TvlDataSummary::RemoveItemByField(TvlCustomDataField* AField) {
  BeginUpdate();
  Boolean Any = false;
  Finally End([&] {
    if (Any)
      EndUpdate();
    else
      CancelUpdate();
  });
  Any = FFooterSummaryItems->RemoveField(AField);
  Any = FDefaultGroupSummaryItems->RemoveField(AField) || Any;
  for (Integer G = 0; G < FSummaryGroups->Count(); ++G) {
    TvlDataSummaryGroup* Group = FSummaryGroups->Items(G);
    Any = Group->SummaryItems()->RemoveField(AField) || Any;
    if (TvlDataSummaryGroupItemLinks* Links = Group->ExistingLinks())
      for (Integer I = 0; I < Links->Count(); ++I)
        if (Links->Items(I)->Field() == AField) {
          Links->Items(I)->SetDataFieldLink(nullptr);
          Any = true;
        }
  }
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
  // Every provider still attached lets go (its controller rebuilds).
  while (!FProviders.empty()) FProviders.back()->SetCustomDataSource(nullptr);
  inherited::Destroy();
}

void TvlCustomDataSource::AttachProvider(TvlCustomDataProvider* AProvider) {
  FProviders.push_back(AProvider);
  if (!FProvider) FProvider = AProvider;
}

void TvlCustomDataSource::DetachProvider(TvlCustomDataProvider* AProvider) {
  FProviders.erase(std::remove(FProviders.begin(), FProviders.end(), AProvider), FProviders.end());
  if (FCurrentProvider == AProvider) FCurrentProvider = nullptr;
  if (FProvider == AProvider) FProvider = FProviders.empty() ? nullptr : FProviders.front();
}

TvlCustomDataController* TvlCustomDataSource::DataController() const {
  return Provider() ? Provider()->DataController() : nullptr;
}

void TvlCustomDataSource::DataChanged() {
  TvlCustomDataProvider* P = Provider();
  if (!P) return;
  TvlCustomDataController* DC = P->DataController();
  DC->BeginFullUpdate();
  Finally End([&] { DC->EndFullUpdate(); });
  P->DataChanged(dcTotal, -1, -1);
}

void TvlCustomDataSource::LoadRecordHandles() {
  TvlCustomDataController* DC = DataController();
  TvlCustomDataField* F = DC->RecordHandlesField();
  DC->DataStorage()->Clear(Provider()->LockCount() > 0);
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
  if (FCustomDataSource) FCustomDataSource->DetachProvider(this);
  inherited::Destroy();
}

Boolean TvlCustomDataProvider::DeleteAllowed() { return FDataController->FilteredRecordCount() > 0; }

void TvlCustomDataProvider::SetCustomDataSource(TvlCustomDataSource* ADataSource) {
  if (FCustomDataSource == ADataSource) return;
  if (FCustomDataSource) FCustomDataSource->DetachProvider(this);
  FCustomDataSource = ADataSource;
  if (ADataSource) ADataSource->AttachProvider(this);
  FDataController->RebuildData();
}

Boolean TvlCustomDataProvider::GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) {
  TvlCustomDataSource* S = CurrentDataSource();
  return S && S->GetDetailHasChildren(ARecordIndex, ARelationIndex);
}

TvlCustomDataSource* TvlCustomDataProvider::CurrentDataSource() const {
  if (FCustomDataSource) FCustomDataSource->FCurrentProvider = const_cast<TvlCustomDataProvider*>(this);
  return FCustomDataSource;
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
  TvlCustomDataController* DC = FDataController;
  const Integer Edited = FEditingRecordIndex;
  FEditingRecordIndex = FEditingRecordIndex1 = FEditingRecordIndex2 = vlNoEditingRecordIndex;
  // The new-item record goes with its edit; the next use starts from empty values.
  if (Edited != vlNoEditingRecordIndex && DC->IsNewItemRecord(Edited) && !DC->DataStorage()->Destroying())
    DC->DeleteRecord(Edited);
  FInserting = false;
  EndChange();
  ResetModified();
  DiscardSavedRecord();
}

void TvlCustomDataProvider::DoEdit() {
  if (IsEditing()) return;
  TvlCustomDataController* DC = FDataController;
  if (DC->UseNewItemRowForEditing() && DC->NewItemRowFocused() && !IsInserting()) {
    Insert();
    return;
  }
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
  if (DC->Options().Contains(dcoAssignGroupingValues)) {
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
  DC->DoBeforeInsert();
  Integer NewRecord;
  {
    DC->BeginUpdate();
    Finally End([&] { DC->EndUpdate(); });
    std::vector<Variant> GroupValues;
    auto TakeGroupValues = [&](Integer R) { DC->GetGroupValues(R, GroupValues); };
    if (IsEditing()) ResetEditing();
    if (DC->UseNewItemRowForEditing()) {
      // The new-item row takes the values; a stored record is appended on post.
      Integer Neighbour = DC->FocusedRecordIndex();
      if (Neighbour < 0 && DC->GetRowCount() > 0) Neighbour = DC->GetRowInfo(0).RecordIndex;
      TakeGroupValues(Neighbour);
      NewRecord = DC->NewItemRecordIndex();
      DC->FocusNewItemRow(true);
    } else if (AAppend) {
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
      if (FInserting && DC->IsNewItemRecord(Posted)) {
        // The new-item row's values become a stored record at the end.
        {
          // The source's data change must not end the edit of the new-item record.
          FDataChangedLocked = DC->IsProviderMode();
          Finally Unlock([&] { FDataChangedLocked = false; });
          FInsertedRecordIndex = DC->AppendRecord();
        }
        DC->CopyRecordValues(Posted, FInsertedRecordIndex);
        Posted = FInsertedRecordIndex;
      }
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
  DC->DoBeforeCancel();
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
  DC->DoAfterDelete();
}

void TvlCustomDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TvlCustomDataController* DC = FDataController;
  {
    DC->BeginFullUpdate();
    Finally End([&] { DC->EndFullUpdate(); });
    for (auto It = AList.rbegin(); It != AList.rend(); ++It) {
      DC->DoBeforeDelete(*It);
      DC->DeleteRecord(*It);
      DC->DoAfterDelete();
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
  if (FDataChangedLocked)
    EndChange();
  else
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
  FOptions = TvlDataControllerOptions{dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding};
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
  FDataStorage->SetOnClearInternalRecords(TNotifyEvent(this, &TvlCustomDataController::ClearInternalRecords));
}

void TvlCustomDataController::ClearInternalRecords(TObject*) {
  if (FProvider) FProvider->ForgetSavedRecord();
  FNewItemRecordIndex = 0;
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
  if (FDataStorage) {
    FDataStorage->Clear(false);
    FDataStorage->SetOnClearInternalRecords(TNotifyEvent());
  }
  Free(FGroups);
  Free(FFields);
  Free(FProvider);
  Free(FDataStorage);
  Free(FSearch);
  // Running operations see that the controller is gone.
  for (TvlDataListenerLink* L : FListenerLinks) L->Ref = nullptr;
  FListenerLinks.clear();
  inherited::Destroy();
}

void TvlCustomDataController::GetGroupValues(Integer ARecordIndex, std::vector<Variant>& AValues) {
  TvlGroupingFieldList* G = FDataControllerInfo->GroupingFieldList();
  AValues.assign(G->Count(), Null());
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount()) return;
  for (Integer L = 0; L < G->Count(); ++L) AValues[L] = GetGroupValue(ARecordIndex, G->Items(L).Field);
}

void TvlCustomDataController::ForEachRow(Boolean ASelectedRows, const TvlDataControllerEachRowProc& AProc) {
  if (ASelectedRows) {
    for (Integer I = 0; I < GetSelectedCount(); ++I) {
      const Integer Row = GetSelectedRowIndex(I);
      AProc(Row, GetRowInfo(Row));
    }
    return;
  }
  for (Integer Row = 0; Row < GetRowCount(); ++Row) AProc(Row, GetRowInfo(Row));
}

void TvlCustomDataController::LockGridModeNotify() {
  ++FLockGridModeNotifyCount;
  FProvider->BeginLocate();
}

void TvlCustomDataController::UnlockGridModeNotify() {
  FProvider->EndLocate();
  --FLockGridModeNotifyCount;
}

TvlDataListenerLink* TvlCustomDataController::AddListenerLink() {
  auto* L = new TvlDataListenerLink{this};
  FListenerLinks.push_back(L);
  return L;
}

void TvlCustomDataController::RemoveListenerLink(TvlDataListenerLink* ALink) {
  std::erase(FListenerLinks, ALink);
}

// --- Items ------------------------------------------------------------------------

TObject* TvlCustomDataController::GetItem(Integer AIndex) {
  CheckItemRange(AIndex);
  return FFields->Items(AIndex)->Item();
}

TvlCustomDataField* TvlCustomDataController::AddItem(TObject* AItem) {
  if (AItem && FFields->FieldByItem(AItem)) DataError(vlSDataItemExistError);
  TvlCustomDataField* F = AddField();
  F->SetItem(AItem);
  return F;
}

TvlCustomDataField* TvlCustomDataController::AddField() {
  TvlCustomDataField* F = CreateFrom(GetFieldClass(), &TvlCustomDataField::Create, FFields);
  FFields->Add(F);
  return F;
}

TvlCustomDataField* TvlCustomDataController::AddInternalField() {
  TvlCustomDataField* F = CreateFrom(GetFieldClass(), &TvlCustomDataField::Create, FFields);
  F->SetIsInternal(true);
  FFields->Add(F);
  return F;
}

Boolean TvlCustomDataController::ItemPropertiesChanged(Integer AItemIndex) {
  if (AItemIndex != -1 && GetItemSortOrder(AItemIndex) == soNone) return false;
  Refresh();
  return true;
}

void TvlCustomDataController::ChangeNeedConversion(Integer AItemIndex, Boolean Value) {
  CheckItemRange(AItemIndex);
  if (GetItemNeedConversion(AItemIndex) == Value) return;
  TvlCustomDataField* F = GetItemField(AItemIndex);
  F->SetNeedConversion(Value);
  FDataControllerInfo->UpdateField(F);
}

Boolean TvlCustomDataController::GetItemTextStored(Integer AItemIndex) { return GetItemField(AItemIndex)->TextStored(); }

void TvlCustomDataController::ChangeTextStored(Integer AItemIndex, Boolean Value) {
  if (GetItemTextStored(AItemIndex) == Value) return;
  TvlCustomDataField* F = GetItemField(AItemIndex);
  // The field rebuilds its definition: the stored values are carried over.
  std::vector<Variant> Values;
  const Boolean Keep = F->ValueDef() && !IsProviderMode() && !F->ReferenceField();
  if (Keep)
    for (Integer R = 0; R < FDataStorage->RecordCount(); ++R) Values.push_back(FDataStorage->GetValue(R, F->ValueDef()));
  F->SetTextStored(Value);
  if (Keep && F->ValueDef())
    for (Integer R = 0; R < static_cast<Integer>(Values.size()) && R < FDataStorage->RecordCount(); ++R)
      FDataStorage->SetValue(R, F->ValueDef(), Values[R]);
  FDataControllerInfo->UpdateField(F);
}

void TvlCustomDataController::UpdateItemIndexes() {
  for (Integer I = 0; I < GetItemCount(); ++I)
    if (TvlCustomDataField* F = FFields->FieldByItem(GetItem(I)); F && F->Index() != I) F->SetIndex(I);
  Change(dccLayout);
}

TObject* TvlCustomDataController::GetItemByItemID(TObject* AItem) { return GetItemByID(GetItemID(AItem)); }

TvlDataFilterCriteria* TvlCustomDataController::CreateFilter() {
  auto* Filter = New<TvlDataFilterCriteria>(static_cast<IvlDataController*>(this));
  FFilters->Add(Filter);
  return Filter;
}

void TvlCustomDataController::ActiveChanged(Boolean AActive) {
  FActive = AActive;
  UpdateItems(FProvider->IsActive());
  if (TvlCustomDataController* Master = GetMasterDataController()) Master->ResetHasChildrenFlag();
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
  ItemValueTypeClassChanged(AItemIndex);
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
  if (NeedsStructureUpdate()) UpdateStructure(AUpdateFields);
}

void TvlCustomDataController::UpdateFields() {
  for (Integer I = 0; I < FFields->Count(); ++I) FFields->Items(I)->SetPrepared(false);
  // Preparing may destroy (and recreate) fields: each time that happens the
  // pass starts again over the fields not yet prepared. A descendant that
  // never stops recreating fields ends after a bounded number of passes.
  for (Integer Pass = 0; Pass <= 4 * FFields->Count() + 16; ++Pass) {
    FFields->ClearFieldDestroyed();
    Boolean Unprepared = false;
    for (Integer I = 0; I < FFields->Count(); ++I) {
      TvlCustomDataField* F = FFields->Items(I);
      if (F->Prepared()) continue;
      PrepareField(F);
      if (FFields->FieldDestroyed()) {
        Unprepared = true;
        break;
      }
      F->SetPrepared(true);
    }
    if (!Unprepared) return;
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
    UpdateStructure(false);
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
    if ((FDataChangeKind == dcField || FDataChangeKind == dcRecord) && FDataChangeRecordIndex == -1 &&
        !IsNewItemRecord(-1))
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
  if (!Assigned(FOnDataChanged) && !Assigned(FOnRecordChanged) && FDataChangedListeners.empty()) return;
  if (IsOwnerLoading()) {
    FDataChangedFlag = true;
    return;
  }
  FDataChangedFlag = false;
  if (!IsPattern() && Assigned(FOnRecordChanged) && (FDataChangeKind == dcField || FDataChangeKind == dcRecord) &&
      (FDataChangeRecordIndex != -1 || IsNewItemRecord(-1)))
    FOnRecordChanged(this, FDataChangeRecordIndex, FDataChangeItemIndex);
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

void TvlCustomDataController::UpdateStructure(Boolean AUpdateFields) {
  BeginFullUpdate();
  Finally End([&] { EndFullUpdate(); });
  if (NeedsStructureUpdate()) {
    if (AUpdateFields) {
      // Under the field lock the preparation waits for its end.
      if (FLockUpdateFieldsCount > 0)
        FUpdateFieldsFlag = true;
      else
        UpdateFields();
    }
    if (!FStructureChanged) LoadStorage();
  }
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
    CustomDataSource()->LoadRecordHandles();
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
    FRecordHandlesField = AddInternalField();
    FRecordHandlesField->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  }
  FStructureRecreated = true;
  LayoutChanged(0x02);
}

TvlCustomDataSource* TvlCustomDataController::CustomDataSource() const { return FProvider->CurrentDataSource(); }

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
  return FOptions.Contains(dcoAnsiSort) && GetItemField(AItemIndex)->ValueDef() &&
         GetItemField(AItemIndex)->ValueDef()->IsNeedConversion();
}

void TvlCustomDataController::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TvlCustomDataController*>(Source);
  if (!S) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  SetOptions(S->FOptions);
  FFilter->Assign(S->FFilter, true);
  FSummary->Assign(S->FSummary);
  FOnAfterCancel = S->FOnAfterCancel;
  FOnAfterDelete = S->FOnAfterDelete;
  FOnAfterInsert = S->FOnAfterInsert;
  FOnAfterPost = S->FOnAfterPost;
  FOnBeforeCancel = S->FOnBeforeCancel;
  FOnBeforeDelete = S->FOnBeforeDelete;
  FOnBeforeInsert = S->FOnBeforeInsert;
  FOnBeforePost = S->FOnBeforePost;
  SetOnFilterRecord(S->FOnFilterRecord);
  FOnNewRecord = S->FOnNewRecord;
  FOnCompare = S->FOnCompare;
  FOnDataChanged = S->FOnDataChanged;
  FOnDetailCollapsing = S->FOnDetailCollapsing;
  FOnDetailCollapsed = S->FOnDetailCollapsed;
  FOnDetailExpanding = S->FOnDetailExpanding;
  FOnDetailExpanded = S->FOnDetailExpanded;
  FOnGroupingChanged = S->FOnGroupingChanged;
  FOnRecordChanged = S->FOnRecordChanged;
  FOnSortingChanged = S->FOnSortingChanged;
}

void TvlCustomDataController::SetOptions(TvlDataControllerOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Refresh();
}

// --- Records and values ---------------------------------------------------------------

void TvlCustomDataController::CheckRecordIndex(Integer ARecordIndex) {
  if (ARecordIndex >= 0 && ARecordIndex < RecordCount()) return;
  if (IsNewItemRecord(ARecordIndex)) return;
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

TvlValueDef* TvlCustomDataController::GetFilterTextValueDef(TvlCustomDataField* AField) {
  if ((IsProviderMode() || IsGridMode()) && !AField->IsInternal()) return nullptr;
  TvlValueDef* Def = AField->ValueDef();
  if (!Def) return nullptr;
  const TvlValueTypeClass T = Def->ValueTypeClass();
  return T == ClassOf<TvlStringValueType>() || T == ClassOf<TvlWideStringValueType>() ? Def : nullptr;
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
  if (ARowInfo.Level < G->Count() && !IsNewItemRecord(ARowInfo.RecordIndex))
    return GetValue(ARowInfo.RecordIndex, G->Items(ARowInfo.Level).Field);
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
  if (ARecordIndex < 0) {
    // An internal record: no stored record, selection entry or bookmark moves.
    FDataStorage->DeleteRecord(ARecordIndex);
    if (ARecordIndex == FNewItemRecordIndex) FNewItemRecordIndex = 0;
    DataChanged(dcDeleted, -1, -1);
    return;
  }
  if (IsProviderMode()) {
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

Integer TvlCustomDataController::GetSyncFocusedRecordIndex() {
  if (FProvider->IsSyncMode() && FProvider->IsActiveDataSet()) return FProvider->GetCurrentRecordIndex();
  return FocusedRecordIndex();
}

Boolean TvlCustomDataController::ChangeFocusedRowIndex(Integer ARowIndex) {
  if (ARowIndex != FocusedRowIndex()) {
    if (FProvider->IsSyncMode() && !FProvider->IsInserting() && !CanChangeFocusedRow()) return false;
    // Pending edits of the details are posted before their master row changes.
    CheckDetailsBrowseMode();
  }
  FDataControllerInfo->SetFocusedRowIndex(ARowIndex);
  return true;
}

Boolean TvlCustomDataController::CheckDetailsBrowseMode() {
  if (!FRelations || FRelations->Count() == 0) return true;
  std::vector<TvlCustomDataController*> Details;
  for (Integer R = 0; R < RecordCount(); ++R)
    for (Integer I = 0; I < FRelations->Count(); ++I)
      if (TvlCustomDataController* D = ExistingDetailDataController(R, I)) Details.push_back(D);
  for (TvlCustomDataController* D : Details) D->CheckBrowseMode();
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
  return (FOptions.Contains(dcoAnsiSort) || FOptions.Contains(dcoCaseInsensitive)) && AField->ValueDef() &&
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
      if (FOptions.Contains(dcoAnsiSort))
        return FOptions.Contains(dcoCaseInsensitive) ? AnsiCompareText(S1, S2) : AnsiCompareStr(S1, S2);
      if (FOptions.Contains(dcoCaseInsensitive)) return CompareStr(AnsiUpperCase(S1), AnsiUpperCase(S2));
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
  if (FSummary->FollowsSelection()) FSummary->Recalculate();
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
  if (NewItemRowFocused()) return NewItemRecordIndex();
  Integer R = FocusedRecordIndex();
  return R >= 0 ? R : vlNoEditingRecordIndex;
}

Integer TvlCustomDataController::NewItemRecordIndex() {
  if (FNewItemRecordIndex == 0) FNewItemRecordIndex = FDataStorage->AddInternalRecord();
  return FNewItemRecordIndex;
}

Boolean TvlCustomDataController::NewItemRowFocused() const {
  return FNewItemRowFocused && FUseNewItemRowForEditing && FocusedRecordIndex() < 0;
}

void TvlCustomDataController::FocusNewItemRow(Boolean Value) {
  if (Value == NewItemRowFocused()) return;
  // Leaving the row posts its values first, outside the update, so that the
  // appended record is in the rows when the focus moves to it.
  if (!Value && !IsOwnerDestroying()) Post(false);
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  if (Value) ChangeFocusedRowIndex(-1);
  FDataControllerInfo->FocusedRecordChanged(true);
  FNewItemRowFocused = Value;
}

void TvlCustomDataController::SetNewItemRowFocused(Boolean Value) {
  const Boolean Changed = Value != NewItemRowFocused();
  FocusNewItemRow(Value);
  if (Changed && FOptions.Contains(dcoInsertOnNewItemRowFocusing) && NewItemRowFocused() && !FProvider->IsInserting())
    Insert();
}

void TvlCustomDataController::SetUseNewItemRowForEditing(Boolean Value) {
  if (FUseNewItemRowForEditing == Value) return;
  Cancel();
  ClearSelection();
  FUseNewItemRowForEditing = Value;
  Change(dccData);
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
  // A handler may free the controller during the post; the link tells.
  TvlDataListenerLink* Link = AddListenerLink();
  Finally Release([&] {
    if (TvlCustomDataController* DC = Link->Ref) {
      DC->FProvider->ResetInsertedRecordIndex();
      DC->RemoveListenerLink(Link);
    }
    delete Link;
  });
  if (!FProvider->IsEditing()) return;
  FProvider->Post(AForcePost);
  // A record posted from the new-item row gets the focus, unless the post runs
  // because the focus is moving to another row.
  if (Link->Ref && !FDataControllerInfo->InCanFocusedRowChanging() && FProvider->InsertedRecordIndex() >= 0 &&
      FProvider->InsertedRecordIndex() < RecordCount())
    ChangeFocusedRecordIndex(FProvider->InsertedRecordIndex());
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
  if (FUseNewItemRowForEditing && NewItemRowFocused() && !FProvider->IsEditing()) return Null();
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
    // A stored record of provider or grid mode is read where its values live.
    Variant V = GetValue(AFromRecordIndex, F);
    if (AToRecordIndex >= 0 && IsProviderMode()) {
      TvlCustomDataSource* S = CustomDataSource();
      S->SetValue(S->GetRecordHandleByIndex(AToRecordIndex), S->GetItemHandle(F->Index()), V);
    } else {
      FDataStorage->SetValue(AToRecordIndex, F->ValueDef(), V);
    }
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

TvlDataSummaryItemClass TvlCustomDataController::GetSummaryItemClass() { return ClassOf<TvlDataSummaryItem>(); }

TvlDataSummaryGroupItemLinkClass TvlCustomDataController::GetSummaryGroupItemLinkClass() {
  return ClassOf<TvlDataSummaryGroupItemLink>();
}

TvlDataControllerDetailMode TvlCustomDataController::DetailMode() {
  // A data-change reference makes a pattern work as a normal controller.
  if (FMasterRelation)
    return FMasterRecordIndex != -1 ? dcdmClone : (FDataChangeRefCount == 0 ? dcdmPattern : dcdmNone);
  return FIsPattern ? dcdmPattern : dcdmNone;
}

Boolean TvlCustomDataController::IsPattern() { return DetailMode() == dcdmPattern; }

void TvlCustomDataController::SetIsPattern(Boolean Value) {
  // Never refused: while data-change references are held the request is
  // kept and applied when the last one goes.
  Boolean Old = IsPattern();
  FIsPatternSave = Value;
  FIsPattern = Value && FDataChangeRefCount == 0;
  if (IsPattern() != Old && !IsOwnerDestroying()) RebuildData();
}

void TvlCustomDataController::AddDataChangeRefCount() {
  Boolean Old = IsPattern();
  ++FDataChangeRefCount;
  FIsPattern = false;
  if (IsPattern() != Old && !IsOwnerDestroying()) RebuildData();
}

void TvlCustomDataController::RemoveDataChangeRefCount() {
  if (FDataChangeRefCount == 0) return;
  Boolean Old = IsPattern();
  --FDataChangeRefCount;
  FIsPattern = FIsPatternSave && FDataChangeRefCount == 0;
  if (IsPattern() != Old && !IsOwnerDestroying()) RebuildData();
}

TvlCustomDataController* TvlCustomDataController::GetMasterDataController() const {
  return FMasterRelation ? dynamic_cast<TvlCustomDataController*>(FMasterRelation->DataController()) : nullptr;
}

TvlCustomDataController* TvlCustomDataController::GetRootDataController() {
  TvlCustomDataController* Root = this;
  while (TvlCustomDataController* Master = Root->GetMasterDataController()) Root = Master;
  return Root;
}

namespace {

// Depth first through the patterns: the detail controller of the first
// relation for AItem.
TvlCustomDataController* FindPatternByItem(TvlCustomDataController* AController, TObject* AItem, Integer ADepth) {
  if (ADepth > 64 || AController->Relations()->Count() == 0) return nullptr;
  TvlCustomDataRelationList* List = AController->Relations();
  for (Integer I = 0; I < List->Count(); ++I) {
    auto* Detail = dynamic_cast<TvlCustomDataController*>(List->Items(I)->DetailDataController());
    if (!Detail) continue;
    if (List->Items(I)->Item() == AItem) return Detail;
    if (TvlCustomDataController* Found = FindPatternByItem(Detail, AItem, ADepth + 1)) return Found;
  }
  return nullptr;
}

}  // namespace

TvlCustomDataController* TvlCustomDataController::GetPatternDataController() {
  if (!FMasterRelation) return this;
  TvlCustomDataController* Found = FindPatternByItem(GetRootDataController(), FMasterRelation->Item(), 0);
  return Found ? Found : this;
}

TvlCustomDataController* TvlCustomDataController::ExistingDetailDataController(Integer ARecordIndex,
                                                                               Integer ARelationIndex) {
  if (!FRelations || ARelationIndex < 0 || ARelationIndex >= FRelations->Count() || ARecordIndex < 0 ||
      ARecordIndex >= RecordCount() || !FRelations->IsDetailObjectExist(ARecordIndex, ARelationIndex))
    return nullptr;
  TObject* Link = FRelations->GetDetailObject(ARecordIndex)->LinkObjects(ARelationIndex);
  return dynamic_cast<TvlCustomDataController*>(GetDetailDataControllerByLinkObject(Link));
}

TvlCustomDataController* TvlCustomDataController::GetDetailDataController(Integer ARecordIndex,
                                                                          Integer ARelationIndex) {
  return dynamic_cast<TvlCustomDataController*>(
      GetDetailDataControllerByLinkObject(GetDetailLinkObject(ARecordIndex, ARelationIndex)));
}

Boolean TvlCustomDataController::IsDetailDataControllerExist(Integer ARecordIndex, Integer ARelationIndex) {
  return FRelations && ARelationIndex >= 0 && ARelationIndex < FRelations->Count() && ARecordIndex >= 0 &&
         ARecordIndex < RecordCount() && FRelations->IsDetailObjectExist(ARecordIndex, ARelationIndex);
}

void TvlCustomDataController::ClearDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FRelations || ARecordIndex < 0 || ARecordIndex >= RecordCount()) return;
  if (!FRelations->IsDetailObjectExist(ARecordIndex, ARelationIndex)) return;
  if (FRelations->ClearDetailObject(ARecordIndex, ARelationIndex)) Change(dccDetail);
}

void TvlCustomDataController::CollapseDetails() {
  if (!FRelations || FRelations->Count() == 0) return;
  PostPendingEdit();
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  for (Integer R = 0; R < RecordCount(); ++R) {
    FRelations->ClearDetailObject(R, -1);
    if (FRelations->IsDetailObjectExist(R, -1) || GetDetailExpanding(R)) {
      FRelations->GetDetailObject(R)->SetExpanded(false);
      Change(dccDetail);
    }
  }
}

void TvlCustomDataController::FocusDetails(Integer ARecordIndex) {
  Integer Relation = GetDetailActiveRelationIndex(ARecordIndex);
  TvlCustomDataController* Detail = ExistingDetailDataController(ARecordIndex, Relation);
  if (!Detail) return;
  Detail->BeginUpdate();
  Finally End([&] { Detail->EndUpdate(); });
  Detail->DataControllerInfo()->CheckFocusedRow();
}

void TvlCustomDataController::ForEachDetail(TvlCustomDataRelation* AMasterRelation,
                                            const TvlDataControllerEachDetailProc& AProc) {
  // The relation indexes from the root down to AMasterRelation.
  std::vector<Integer> Chain;
  for (TvlCustomDataRelation* Rel = AMasterRelation; Rel && Chain.size() <= 64;) {
    Chain.insert(Chain.begin(), Rel->Index());
    auto* Owner = dynamic_cast<TvlCustomDataController*>(Rel->DataController());
    Rel = Owner ? Owner->MasterRelation() : nullptr;
  }
  if (Chain.empty() || Chain.front() < 0) return;
  struct TWalk {
    const std::vector<Integer>& Chain;
    const TvlDataControllerEachDetailProc& Proc;
    void Run(TvlCustomDataController* AController, size_t APos) {
      const Integer Relation = Chain[APos];
      for (Integer R = 0; R < AController->RecordCount(); ++R) {
        TvlCustomDataController* Detail = AController->ExistingDetailDataController(R, Relation);
        // A detail being attached right now has no link object yet.
        TvlCustomDataController* Creating = AController->CreatingDataController();
        if (!Detail && Creating && Creating->MasterRecordIndex() == R && Creating->MasterRelation() &&
            Creating->MasterRelation()->Index() == Relation)
          Detail = Creating;
        if (!Detail) continue;
        if (APos + 1 == Chain.size())
          Proc(Detail);
        else
          Run(Detail, APos + 1);
      }
    }
  } Walk{Chain, AProc};
  Walk.Run(GetRootDataController(), 0);
}

void TvlCustomDataController::ResetRelationByItem(TObject* AItem) {
  if (FRelations && FRelations->FindByItem(AItem)) {
    ClearDetails();
    return;
  }
  if (!FRelations) return;
  for (Integer R = 0; R < RecordCount(); ++R)
    for (Integer I = 0; I < FRelations->Count(); ++I)
      if (TvlCustomDataController* Detail = ExistingDetailDataController(R, I)) Detail->ResetRelationByItem(AItem);
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
  if (FMasterRelation) {
    if (AMasterRecordIndex == -1 && FMasterRelation->DetailDataController() == static_cast<IvlDataController*>(this))
      FMasterRelation->SetDetailDataController(nullptr);
    else
      SetCustomDataSource(nullptr);  // a clone's source was its pattern's
    if (TvlCustomDataController* OldMaster = GetMasterDataController();
        OldMaster && OldMaster->FCreatingDataController == this)
      OldMaster->FCreatingDataController = nullptr;
    if (FRelations && FRelations->Count() > 0) FRelations->Changed(nullptr);
  }
  FMasterRelation = AMasterRelation;
  if (AMasterRelation && AMasterRecordIndex == -1) {
    AMasterRelation->SetDetailDataController(this);
    AMasterRelation->Changed();
  }
  FMasterRecordIndex = AMasterRecordIndex;
  if (AMasterRelation && AMasterRecordIndex != -1) {
    // A clone reads its records from its pattern's source.
    TvlCustomDataController* Pattern = GetPatternDataController();
    if (Pattern != this) SetCustomDataSource(Pattern->Provider()->CustomDataSource());
    if (TvlCustomDataController* Master = GetMasterDataController()) Master->FCreatingDataController = this;
  }
  LayoutChanged(0x02);
}

void TvlCustomDataController::ClearDetails() {
  if (!FRelations) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  for (Integer R = 0; R < RecordCount(); ++R) FRelations->ClearDetailObject(R, -1);
}

void TvlCustomDataController::RelationsChanged(TvlCustomDataRelation*) {
  if (FDestroying) return;
  // A pattern's relations changed: its clones drop their details.
  if (IsPattern()) {
    if (FMasterRelation) GetRootDataController()->ResetRelationByItem(FMasterRelation->Item());
  } else {
    Change(dccData);
  }
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
  PostPendingEdit();
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount() || !FRelations || FRelations->Count() == 0) return false;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  if (!D) return false;
  if (!DoDetailExpanding(ARecordIndex, AExpanded)) return false;
  // The handler may have changed the records: the detail object is read again.
  if (ARecordIndex >= RecordCount() || !(D = FRelations->GetDetailObject(ARecordIndex))) return false;
  D->SetExpanded(AExpanded);
  TvlCustomDataController* Master = GetMasterDataController();
  if (!Master || Master->LockCount() == 0) Change(dccDetail);
  const TvlDataDetailExpandedEvent& Done = AExpanded ? FOnDetailExpanded : FOnDetailCollapsed;
  if (Assigned(Done)) Done(this, ARecordIndex);
  return true;
}

Boolean TvlCustomDataController::DoDetailExpanding(Integer ARecordIndex, Boolean AExpanded) {
  Boolean Allow = true;
  const TvlDataDetailExpandingEvent& Asking = AExpanded ? FOnDetailExpanding : FOnDetailCollapsing;
  if (Assigned(Asking)) Asking(this, ARecordIndex, Allow);
  return Allow;
}

TObject* TvlCustomDataController::CreateDetailLinkObject(TvlCustomDataRelation*, Integer) { return nullptr; }

TObject* TvlCustomDataController::GetDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FRelations || ARelationIndex < 0 || ARelationIndex >= FRelations->Count()) return nullptr;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  if (!D) return nullptr;
  if (TObject* L = D->LinkObjects(ARelationIndex)) return L;
  if (FCreatingLinkObject) return nullptr;
  TObject* L = nullptr;
  {
    TvlCustomDataController* Pattern = GetPatternDataController();
    FCreatingLinkObject = true;
    Pattern->FCreatingLinkObject = true;
    Finally Clear([&] {
      FCreatingLinkObject = false;
      Pattern->FCreatingLinkObject = false;
    });
    L = CreateDetailLinkObject(FRelations->Items(ARelationIndex), ARecordIndex);
    FCreatingDataController = nullptr;
    // The master record may have gone while the link was made.
    if (L && (ARecordIndex < 0 || ARecordIndex >= RecordCount() || FRelations->GetDetailObject(ARecordIndex) != D)) {
      Free(L);
      L = nullptr;
    }
    if (L) D->AssignLinkObject(ARelationIndex, L);
  }
  if (!L && !FRecreatingLinkObject && ARecordIndex >= 0 && ARecordIndex < RecordCount()) {
    FRecreatingLinkObject = true;
    Finally Clear([&] { FRecreatingLinkObject = false; });
    L = GetDetailLinkObject(ARecordIndex, ARelationIndex);
  }
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
  return FDataController->GetGroupValue(R, F);
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
