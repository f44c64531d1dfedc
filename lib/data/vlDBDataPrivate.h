// Private to the data-set controller's units (vlDBData*.cpp in this folder
// that hold the provider, its editing and the controller); nothing else
// includes it.
#pragma once

#include <vector>

#include "lib/data/vlDBData.h"
#include "platform/rtl/ResStrings.h"
#include "platform/rtl/Variants.h"

namespace vl_db_data {

[[noreturn]] inline void DBDataError(const TResStringRec& AMessage) {
  throw EvlInvalidDataControllerOperation(LoadResString(AMessage));
}

inline Boolean IsEditState(TDataSet* ADataSet) {
  if (!ADataSet) return false;
  TDataSetState S = ADataSet->State();
  return S == dsEdit || S == dsInsert || S == dsSetKey;
}

// The field's value read once (a field without one reads Null).
inline Variant FieldValue(TField* AField) {
  Variant V = AField->Value();
  if (VarIsEmpty(V)) return Null();
  return V;
}

inline Variant MakeArray(const std::vector<Variant>& AValues) {
  Variant Result = VarArrayCreate({0, static_cast<Integer>(AValues.size()) - 1}, varVariant);
  for (Integer I = 0; I < static_cast<Integer>(AValues.size()); ++I) VarArrayPut(Result, AValues[I], {I});
  return Result;
}

// Marks the data set's changes inside a scope as the provider's own.
struct OwnChange {
  Boolean& Flag;
  Boolean Was;
  explicit OwnChange(Boolean& AFlag) : Flag(AFlag), Was(AFlag) { Flag = true; }
  ~OwnChange() { Flag = Was; }
};

}  // namespace vl_db_data
