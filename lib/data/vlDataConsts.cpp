#include "lib/data/vlDataConsts.h"

#include "lib/foundation/nbCore.h"
#include "platform/classes/ModuleInit.h"

const TResStringRec vlSDataItemExistError = ResStringOfText(u"Item already exists");
const TResStringRec vlSDataRecordIndexError = ResStringOfText(u"RecordIndex out of range");
const TResStringRec vlSDataItemIndexError = ResStringOfText(u"ItemIndex out of range");
const TResStringRec vlSDataProviderModeError =
    ResStringOfText(u"This operation is not supported in provider mode");
const TResStringRec vlSDataInvalidStreamFormat = ResStringOfText(u"Invalid stream format");
const TResStringRec vlSDataRowIndexError = ResStringOfText(u"RowIndex out of range");
const TResStringRec vlSDataCustomDataSourceInvalidCompare =
    ResStringOfText(u"GetInfoForCompare not implemented");
const TResStringRec vlSDBDetailFilterControllerNotFound =
    ResStringOfText(u"DetailFilterController not found");
const TResStringRec vlSDBNotInGridMode = ResStringOfText(u"DataController not in GridMode");
const TResStringRec vlSDBKeyFieldNotFound = ResStringOfText(u"Key Field not found");

namespace {

const char16_t kProductName[] = u"NimboDataController";
Integer gStartCount = 0;

void AddResourceStrings(TnbProductResourceStrings* AProduct) {
  AProduct->Add(u"vlSDataReadError", &vlSDataReadError);
  AProduct->Add(u"vlSDataWriteError", &vlSDataWriteError);
  AProduct->Add(u"vlSDataItemExistError", &vlSDataItemExistError);
  AProduct->Add(u"vlSDataRecordIndexError", &vlSDataRecordIndexError);
  AProduct->Add(u"vlSDataItemIndexError", &vlSDataItemIndexError);
  AProduct->Add(u"vlSDataProviderModeError", &vlSDataProviderModeError);
  AProduct->Add(u"vlSDataInvalidStreamFormat", &vlSDataInvalidStreamFormat);
  AProduct->Add(u"vlSDataRowIndexError", &vlSDataRowIndexError);
  AProduct->Add(u"vlSDataCustomDataSourceInvalidCompare", &vlSDataCustomDataSourceInvalidCompare);
  AProduct->Add(u"vlSDBDetailFilterControllerNotFound", &vlSDBDetailFilterControllerNotFound);
  AProduct->Add(u"vlSDBNotInGridMode", &vlSDBNotInGridMode);
  AProduct->Add(u"vlSDBKeyFieldNotFound", &vlSDBKeyFieldNotFound);
}

void Startup() {
  if (++gStartCount == 1) nbResourceStringsRepository()->RegisterProduct(kProductName, &AddResourceStrings);
}

void Shutdown() {
  if (gStartCount > 0 && --gStartCount == 0) nbResourceStringsRepository()->UnRegisterProduct(kProductName);
}

}  // namespace

CL_UNIT_STEPS(vlDataConsts, &Startup, &Shutdown);
