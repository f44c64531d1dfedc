// The controller's summaries: summary items, their collections (footer and
// group), summary groups and their links, and the summary that computes them.
#include "lib/data/vlDataController.h"

#include <cmath>
#include <cstring>

#include "lib/data/vlDataUtils.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"

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
    // The system's short date and time formats.
    TDateTime D = VarToDateTime(AValue);
    const TFormatSettings& FS = FormatSettings();
    String Text;
    if (std::trunc(D) == D)
      Text = FormatDateTime(FS.ShortDateFormat, D);
    else if (std::trunc(D) == 0)
      Text = FormatDateTime(FS.ShortTimeFormat, D);
    else
      Text = FormatDateTime(FS.ShortDateFormat + u" " + FS.ShortTimeFormat, D);
    return Fmt + Text;
  }
  // A footer count that is not calculated stays Empty: the number 0.
  if (VarIsEmpty(AValue)) return FormatFloat(Fmt, 0);
  // Money from its exact decimal value (half away from zero), not its double.
  if (VarType(AValue) == varCurrency) return FormatCurr(Fmt, AValue.AsCurrency());
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
  Boolean First = true;
  for (Integer I = 0; I < Count(); ++I) {
    TvlDataSummaryItem* Item = Items(I);
    if (Item->Position() != spGroup) continue;
    Variant V = VarIsArray(ASummaryValues) && I <= VarArrayHighBound(ASummaryValues, 1) ? ASummaryValues[I] : Null();
    // Every text is joined, an empty one too, so the result does not depend
    // on where an empty text stands.
    if (!First) Result += FSeparator + u" ";
    First = false;
    Result += Item->FormatValue(V, false);
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

void TvlDataSummary::Destroy() {
  FDestroying = true;
  Free(FDefaultGroupSummaryItems);
  Free(FFooterSummaryItems);
  Free(FSummaryGroups);
  // Last: freeing the items above may calculate once more.
  delete FGroupAccumulators;
  FGroupAccumulators = nullptr;
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
    // Arrays of an earlier calculation are written over, not made again.
    A.Columns.resize(N);
    A.Nulls.resize(N);
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
    if (const Integer Off = S->StoredSlotOffset(A.Floats[I].Def); Off >= 0) {
      Byte* Nulls = A.Nulls[I].data();
      Double* Column = A.Columns[I].data();
      for (Integer R = 0; R < Records; ++R) {
        const Byte* B = S->StoredBuffer(R);
        Nulls[R] = !B || !B[Off];
        if (!Nulls[R]) std::memcpy(&Column[R], B + Off + 1, sizeof(Double));
      }
      continue;
    }
    for (Integer R = 0; R < Records; ++R) {
      const void* Slot;
      A.Nulls[I][R] = S->GetCompareInfo(R, A.Floats[I].Def, Slot);
      if (!A.Nulls[I][R]) std::memcpy(&A.Columns[I][R], Slot, sizeof(Double));
    }
  }
}

// The records of a range, item by item, when every item is a count without
// a field or a float column read into arrays (what the loop below does for
// them record by record); False, nothing done, for any other item or a
// record outside the arrays.
Boolean TvlDataSummary::AccumulatePlain(TvlDataSummaryItems* AItems, Integer AFirst, Integer ALast,
                                        TAccumulators& A) {
  const Integer N = AItems->Count();
  const Integer* Records = FDataController->DataControllerInfo()->RecordList().data();
  for (Integer I = 0; I < N; ++I) {
    TvlDataSummaryItem* Item = AItems->Items(I);
    if (!Item->IsCalculated() || Item->Kind() == skNone) continue;
    if (!Item->DataField()) continue;
    if (!A.Floats[I].Def) return false;
    const Integer Size = static_cast<Integer>(A.Nulls[I].size());
    for (Integer P = AFirst; P <= ALast; ++P)
      if (Records[P] < 0 || Records[P] >= Size) return false;
  }
  const Boolean NullIgnore = FOptions.Contains(soNullIgnore);
  for (Integer I = 0; I < N; ++I) {
    TvlDataSummaryItem* Item = AItems->Items(I);
    if (!Item->IsCalculated() || Item->Kind() == skNone) continue;
    if (!Item->DataField()) {
      A.Counts[I] += ALast - AFirst + 1;
      continue;
    }
    const TvlSummaryKind K = Item->Kind();
    TAccumulators::TFloat& F = A.Floats[I];
    const Byte* Nulls = A.Nulls[I].data();
    const Double* Column = A.Columns[I].data();
    Integer Count = A.Counts[I];
    for (Integer P = AFirst; P <= ALast; ++P) {
      const Integer R = Records[P];
      const Boolean IsNull = Nulls[R];
      if (NullIgnore && IsNull) continue;
      const Double V = IsNull ? 0 : Column[R];
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
      ++Count;
    }
    A.Counts[I] = Count;
  }
  return true;
}

void TvlDataSummary::AccumulateRecords(TvlDataSummaryItems* AItems, Integer AFirst, Integer ALast,
                                       TAccumulators& A) {
  const Integer N = AItems->Count();
  const Boolean NullIgnore = FOptions.Contains(soNullIgnore);
  const Boolean BySelection = FollowsSelection();
  const TvlSummaryEvent& OnSummary = AItems->OnSummary();
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  if (!BySelection && !Assigned(OnSummary) && AccumulatePlain(AItems, AFirst, ALast, A)) return;
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
        // A currency average stays currency (the variant division of money).
        if (vlIsCurrencyVarType(VarType(V)))
          V = V / Variant(A.Counts[I]);
        else
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
  if (!FGroupAccumulators) FGroupAccumulators = new TAccumulators;
  TAccumulators& A = *FGroupAccumulators;
  A.PreparedItems = nullptr;  // the values are read again
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
