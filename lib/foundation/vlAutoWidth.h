// Proportional width distribution: columns or panels that stretch to fill an
// available width hand their widths to a TvlAutoWidthObject and read back
// each one's share. Shares follow the widths, never fall below an item's
// minimum, and fixed items keep their width.
#pragma once

#include "platform/classes/ObjectModel.h"

class TList;

class TvlAutoWidthItem : public TObject {
  CL_CLASS(TvlAutoWidthItem, TObject)
 public:
  Integer MinWidth{};
  Integer Width{};
  Boolean Fixed{};
  Integer AutoWidth{};  // -1 until computed
};

class TvlAutoWidthObject : public TObject {
  CL_CLASS(TvlAutoWidthObject, TObject)
 public:
  // An empty list with room for ACount items.
  void Create(Integer ACount);
  // Frees the items.
  void Destroy() override;

  // Appends a new item (AutoWidth -1, the other fields 0).
  TvlAutoWidthItem* AddItem();
  // Fills AutoWidth of every item still at -1.
  void Calculate();

  Integer AvailableWidth() const { return FAvailableWidth; }
  void SetAvailableWidth(Integer Value) { FAvailableWidth = Value; }
  Integer Count() const;
  TvlAutoWidthItem* Items(Integer Index) const;
  // The sum of every item's Width.
  Integer Width() const;

 private:
  Integer FAvailableWidth{};
  TList* FItems{};
};
