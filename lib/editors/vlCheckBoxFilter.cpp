// The check box's filter helper.
#include "lib/editors/vlCheckBoxFilter.h"

#include "lib/editors/vlCheckBox.h"
#include "platform/rtl/Finally.h"

CL_IMPLEMENT_CLASS(TvlFilterCheckBoxHelper)

namespace {
constexpr Integer kCheckedItem = 0, kUncheckedItem = 1;
}  // namespace

void TvlFilterCheckBoxHelper::GetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties,
                                             Variant& V, String& S) const {
  auto* props = static_cast<TvlCustomCheckBoxProperties*>(AEditProperties);
  auto* combo = dynamic_cast<TvlCustomTextEdit*>(AEdit);
  const Integer index = combo ? combo->ItemIndex() : -1;
  if (index == kCheckedItem)
    V = props->ValueChecked();
  else if (index == kUncheckedItem)
    V = props->ValueUnchecked();
  else {
    V = Null();
    S.clear();
    return;
  }
  S = props->GetDisplayText(V);
}

TvlFilterControlOperators TvlFilterCheckBoxHelper::GetSupportedFilterOperators(TvlCustomEditProperties*,
                                                                             TvlValueTypeClass, Boolean) const {
  return TvlFilterControlOperators{fcoEqual, fcoNotEqual, fcoBlanks, fcoNonBlanks};
}

void TvlFilterCheckBoxHelper::InitializeProperties(TvlCustomEditProperties* AProperties,
                                                   TvlCustomEditProperties* AEditProperties,
                                                   Boolean AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  auto* combo = dynamic_cast<TvlCustomComboBoxProperties*>(AProperties);
  auto* check = dynamic_cast<TvlCustomCheckBoxProperties*>(AEditProperties);
  if (!combo || !check) return;
  TStrings* items = combo->Items();
  items->BeginUpdate();
  {
    Finally end([&] { items->EndUpdate(); });
    items->Clear();
    items->Add(check->GetDisplayText(check->ValueChecked()));
    items->Add(check->GetDisplayText(check->ValueUnchecked()));
  }
  combo->SetDropDownListStyle(lsFixedList);
  combo->DropDefaultValuesProvider();
  ClearPropertiesEvents(combo);
}

void TvlFilterCheckBoxHelper::SetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties,
                                             const Variant& AValue) const {
  auto* combo = dynamic_cast<TvlCustomTextEdit*>(AEdit);
  if (!combo) return;
  switch (static_cast<TvlCustomCheckBoxProperties*>(AEditProperties)->GetState(AValue)) {
    case cbsChecked: combo->SetItemIndex(kCheckedItem); break;
    case cbsUnchecked: combo->SetItemIndex(kUncheckedItem); break;
    default: combo->SetItemIndex(-1); break;
  }
}
