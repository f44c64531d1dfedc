// The data controller's error messages, registered with the
// resource-string repository as the product "NimboDataController".
#pragma once

#include "platform/rtl/ResStrings.h"

// The stream errors are defined beside the tagged variant stream
// (lib/foundation/vlVariants), which raises them.
extern const TResStringRec vlSDataReadError;            // "Stream read error"
extern const TResStringRec vlSDataWriteError;           // "Stream write error"
extern const TResStringRec vlSDataItemExistError;       // "Item already exists"
extern const TResStringRec vlSDataRecordIndexError;     // "RecordIndex out of range"
extern const TResStringRec vlSDataItemIndexError;       // "ItemIndex out of range"
extern const TResStringRec vlSDataProviderModeError;    // "This operation is not supported in provider mode"
extern const TResStringRec vlSDataInvalidStreamFormat;  // "Invalid stream format"
extern const TResStringRec vlSDataRowIndexError;        // "RowIndex out of range"
extern const TResStringRec vlSDataCustomDataSourceInvalidCompare;  // "GetInfoForCompare not implemented"
extern const TResStringRec vlSDBDetailFilterControllerNotFound;    // "DetailFilterController not found"
extern const TResStringRec vlSDBNotInGridMode;                     // "DataController not in GridMode"
extern const TResStringRec vlSDBKeyFieldNotFound;                  // "Key Field not found"
