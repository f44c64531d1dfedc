#include "lib/foundation/vlAutoWidth.h"

#include "platform/classes/Lists.h"
#include "platform/rtl/Numbers.h"

CL_IMPLEMENT_CLASS(TvlAutoWidthItem)
CL_IMPLEMENT_CLASS(TvlAutoWidthObject)

void TvlAutoWidthObject::Create(Integer ACount) {
  inherited::Create();
  FItems = New<TList>();
  if (ACount > 0) FItems->SetCapacity(ACount);
}

void TvlAutoWidthObject::Destroy() {
  if (FItems) {
    for (Integer I = 0; I < FItems->Count(); ++I) {
      auto* Item = static_cast<TvlAutoWidthItem*>(FItems->Items(I));
      Free(Item);
    }
    FreeAndNil(FItems);
  }
  inherited::Destroy();
}

TvlAutoWidthItem* TvlAutoWidthObject::AddItem() {
  auto* Item = New<TvlAutoWidthItem>();
  Item->AutoWidth = -1;
  FItems->Add(Item);
  return Item;
}

Integer TvlAutoWidthObject::Count() const { return FItems->Count(); }

TvlAutoWidthItem* TvlAutoWidthObject::Items(Integer Index) const {
  return static_cast<TvlAutoWidthItem*>(FItems->Items(Index));
}

Integer TvlAutoWidthObject::Width() const {
  Integer Result = 0;
  for (Integer I = 0; I < Count(); ++I) Result = WrapAdd(Result, Items(I)->Width);
  return Result;
}

void TvlAutoWidthObject::Calculate() {
  Integer Available = FAvailableWidth;
  Integer Total = Width();
  for (Integer I = 0; I < Count(); ++I) {
    TvlAutoWidthItem* Item = Items(I);
    if (Item->Fixed) {
      Item->AutoWidth = Item->Width;
      Available = WrapSub(Available, Item->Width);
      Total = WrapSub(Total, Item->Width);
    }
  }
  // A minimums pass takes out the items whose share would not reach their
  // minimum; an assign pass shares out what is left. Each share is the
  // difference of two rounded cumulative positions, so a pass's shares add
  // up to exactly the width it distributes.
  Boolean AssignMode = false;
  Boolean Found;
  do {
    const Integer PassAvailable = Available;
    const Integer PassTotal = Total;
    Integer Offset = 0;
    Found = false;
    for (Integer I = 0; I < Count(); ++I) {
      TvlAutoWidthItem* Item = Items(I);
      if (Item->AutoWidth != -1) continue;
      const Integer Share = WrapSub(MulDiv(WrapAdd(Offset, Item->Width), PassAvailable, PassTotal),
                                    MulDiv(Offset, PassAvailable, PassTotal));
      if (AssignMode) {
        Item->AutoWidth = Share;
      } else if (Item->MinWidth >= Share) {
        Item->AutoWidth = Item->MinWidth;
        Available = WrapSub(Available, Item->MinWidth);
        Total = WrapSub(Total, Item->Width);
        Found = true;
      }
      Offset = WrapAdd(Offset, Item->Width);
    }
    if (!Found) AssignMode = !AssignMode;
  } while (Total != 0 && (Found || AssignMode));
}
