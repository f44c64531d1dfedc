// The check box as a filter value: the filter builder edits a Boolean
// column's value in a fixed-list combo box of the checked and unchecked
// display texts. Kept apart from vlCheckBox.h, which needs nothing of the
// combo box.
#pragma once

#include "lib/editors/vlComboBox.h"

class TvlFilterCheckBoxHelper : public TvlFilterComboBoxHelper {
  CL_CLASS(TvlFilterCheckBoxHelper, TvlFilterComboBoxHelper)
 public:
  // Item 0 is the checked value, item 1 the unchecked one, no item Null.
  void GetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties, Variant& V,
                      String& S) const override;
  TvlFilterControlOperators GetSupportedFilterOperators(TvlCustomEditProperties* AProperties,
                                                        TvlValueTypeClass AValueTypeClass,
                                                        Boolean AExtendedSet = false) const override;
  void InitializeProperties(TvlCustomEditProperties* AProperties, TvlCustomEditProperties* AEditProperties,
                            Boolean AHasButtons) const override;
  // Selects the item of the value's state (grayed: none).
  void SetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties,
                      const Variant& AValue) const override;
  Boolean UseDisplayValue() const override { return true; }
};
