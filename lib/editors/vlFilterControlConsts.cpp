#include "lib/editors/vlFilterControlConsts.h"

#include "lib/foundation/nbCore.h"
#include "platform/classes/ModuleInit.h"

const TResStringRec vlSFilterBoolOperatorAnd = ResStringOfText(u"AND");
const TResStringRec vlSFilterBoolOperatorOr = ResStringOfText(u"OR");
const TResStringRec vlSFilterBoolOperatorNotAnd = ResStringOfText(u"NOT AND");
const TResStringRec vlSFilterBoolOperatorNotOr = ResStringOfText(u"NOT OR");
const TResStringRec vlSFilterRootButtonCaption = ResStringOfText(u"Filter");
const TResStringRec vlSFilterAddCondition = ResStringOfText(u"Add &Condition");
const TResStringRec vlSFilterAddGroup = ResStringOfText(u"Add &Group");
const TResStringRec vlSFilterRemoveRow = ResStringOfText(u"&Remove Row");
const TResStringRec vlSFilterClearAll = ResStringOfText(u"Clear &All");
const TResStringRec vlSFilterFooterAddCondition = ResStringOfText(u"press the button to add a new condition");
const TResStringRec vlSFilterGroupCaption = ResStringOfText(u"applies to the following conditions");
const TResStringRec vlSFilterRootGroupCaption = ResStringOfText(u"<root>");
const TResStringRec vlSFilterControlNullString = ResStringOfText(u"<empty>");
const TResStringRec vlSFilterErrorBuilding = ResStringOfText(u"Can't build filter from source");
const TResStringRec vlSFilterRowIncomplete = ResStringOfText(u"Row %d is incomplete: choose its item and its operator");
const TResStringRec vlSFilterDialogCaption = ResStringOfText(u"Custom Filter");
const TResStringRec vlSFilterDialogInvalidValue = ResStringOfText(u"Invalid value");
const TResStringRec vlSFilterDialogUse = ResStringOfText(u"Use");
const TResStringRec vlSFilterDialogSingleCharacter = ResStringOfText(u"to represent any single character");
const TResStringRec vlSFilterDialogCharactersSeries = ResStringOfText(u"to represent any series of characters");
const TResStringRec vlSFilterDialogOperationAnd = ResStringOfText(u"AND");
const TResStringRec vlSFilterDialogOperationOr = ResStringOfText(u"OR");
const TResStringRec vlSFilterDialogRows = ResStringOfText(u"Show rows where:");
const TResStringRec vlSFilterControlDialogCaption = ResStringOfText(u"Filter builder");
const TResStringRec vlSFilterControlDialogNewFile = ResStringOfText(u"untitled.flt");
const TResStringRec vlSFilterControlDialogOpenDialogCaption = ResStringOfText(u"Open an existing filter");
const TResStringRec vlSFilterControlDialogSaveDialogCaption = ResStringOfText(u"Save the active filter to file");
const TResStringRec vlSFilterControlDialogActionSaveCaption = ResStringOfText(u"&Save As...");
const TResStringRec vlSFilterControlDialogActionSaveHint = ResStringOfText(u"Save As|Saves the active filter with a new name");
const TResStringRec vlSFilterControlDialogActionOpenCaption = ResStringOfText(u"&Open...");
const TResStringRec vlSFilterControlDialogActionOpenHint = ResStringOfText(u"Open|Opens an existing filter");
const TResStringRec vlSFilterControlDialogActionApplyCaption = ResStringOfText(u"&Apply");
const TResStringRec vlSFilterControlDialogActionOkCaption = ResStringOfText(u"OK");
const TResStringRec vlSFilterControlDialogActionCancelCaption = ResStringOfText(u"Cancel");
const TResStringRec vlSFilterControlDialogFileExt = ResStringOfText(u"flt");
const TResStringRec vlSFilterControlDialogFileFilter = ResStringOfText(u"Filters (*.flt)|*.flt");

namespace {

const char16_t kProductName[] = u"NimboFilterControl";
Integer gStartCount = 0;

void AddResourceStrings(TnbProductResourceStrings* AProduct) {
  AProduct->Add(u"vlSFilterBoolOperatorAnd", &vlSFilterBoolOperatorAnd);
  AProduct->Add(u"vlSFilterBoolOperatorOr", &vlSFilterBoolOperatorOr);
  AProduct->Add(u"vlSFilterBoolOperatorNotAnd", &vlSFilterBoolOperatorNotAnd);
  AProduct->Add(u"vlSFilterBoolOperatorNotOr", &vlSFilterBoolOperatorNotOr);
  AProduct->Add(u"vlSFilterRootButtonCaption", &vlSFilterRootButtonCaption);
  AProduct->Add(u"vlSFilterAddCondition", &vlSFilterAddCondition);
  AProduct->Add(u"vlSFilterAddGroup", &vlSFilterAddGroup);
  AProduct->Add(u"vlSFilterRemoveRow", &vlSFilterRemoveRow);
  AProduct->Add(u"vlSFilterClearAll", &vlSFilterClearAll);
  AProduct->Add(u"vlSFilterFooterAddCondition", &vlSFilterFooterAddCondition);
  AProduct->Add(u"vlSFilterGroupCaption", &vlSFilterGroupCaption);
  AProduct->Add(u"vlSFilterRootGroupCaption", &vlSFilterRootGroupCaption);
  AProduct->Add(u"vlSFilterControlNullString", &vlSFilterControlNullString);
  AProduct->Add(u"vlSFilterErrorBuilding", &vlSFilterErrorBuilding);
  AProduct->Add(u"vlSFilterRowIncomplete", &vlSFilterRowIncomplete);
  AProduct->Add(u"vlSFilterDialogCaption", &vlSFilterDialogCaption);
  AProduct->Add(u"vlSFilterDialogInvalidValue", &vlSFilterDialogInvalidValue);
  AProduct->Add(u"vlSFilterDialogUse", &vlSFilterDialogUse);
  AProduct->Add(u"vlSFilterDialogSingleCharacter", &vlSFilterDialogSingleCharacter);
  AProduct->Add(u"vlSFilterDialogCharactersSeries", &vlSFilterDialogCharactersSeries);
  AProduct->Add(u"vlSFilterDialogOperationAnd", &vlSFilterDialogOperationAnd);
  AProduct->Add(u"vlSFilterDialogOperationOr", &vlSFilterDialogOperationOr);
  AProduct->Add(u"vlSFilterDialogRows", &vlSFilterDialogRows);
  AProduct->Add(u"vlSFilterControlDialogCaption", &vlSFilterControlDialogCaption);
  AProduct->Add(u"vlSFilterControlDialogNewFile", &vlSFilterControlDialogNewFile);
  AProduct->Add(u"vlSFilterControlDialogOpenDialogCaption", &vlSFilterControlDialogOpenDialogCaption);
  AProduct->Add(u"vlSFilterControlDialogSaveDialogCaption", &vlSFilterControlDialogSaveDialogCaption);
  AProduct->Add(u"vlSFilterControlDialogActionSaveCaption", &vlSFilterControlDialogActionSaveCaption);
  AProduct->Add(u"vlSFilterControlDialogActionSaveHint", &vlSFilterControlDialogActionSaveHint);
  AProduct->Add(u"vlSFilterControlDialogActionOpenCaption", &vlSFilterControlDialogActionOpenCaption);
  AProduct->Add(u"vlSFilterControlDialogActionOpenHint", &vlSFilterControlDialogActionOpenHint);
  AProduct->Add(u"vlSFilterControlDialogActionApplyCaption", &vlSFilterControlDialogActionApplyCaption);
  AProduct->Add(u"vlSFilterControlDialogActionOkCaption", &vlSFilterControlDialogActionOkCaption);
  AProduct->Add(u"vlSFilterControlDialogActionCancelCaption", &vlSFilterControlDialogActionCancelCaption);
  AProduct->Add(u"vlSFilterControlDialogFileExt", &vlSFilterControlDialogFileExt);
  AProduct->Add(u"vlSFilterControlDialogFileFilter", &vlSFilterControlDialogFileFilter);
}

void Startup() {
  if (++gStartCount != 1) return;
  nbResourceStringsRepository()->RegisterProduct(kProductName, &AddResourceStrings);
}

void Shutdown() {
  if (gStartCount == 0 || --gStartCount != 0) return;
  nbResourceStringsRepository()->UnRegisterProduct(kProductName);
}

}  // namespace

CL_UNIT_STEPS(vlFilterControlConsts, &Startup, &Shutdown);
