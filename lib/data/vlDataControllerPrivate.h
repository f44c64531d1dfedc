// Private to the data controller's units (vlDataController*.cpp in this
// folder); nothing else includes it.
#pragma once

#include "lib/data/vlDataController.h"
#include "platform/rtl/ResStrings.h"

namespace vl_data_controller {

[[noreturn]] inline void DataError(const TResStringRec& AMessage) {
  throw EvlInvalidDataControllerOperation(LoadResString(AMessage));
}

}  // namespace vl_data_controller
