#include "lib/editors/vlFilterEdit.h"

#include "lib/data/vlFilterConsts.h"
#include "lib/editors/vlFilterControlConsts.h"
#include "lib/editors/vlTextEdit.h"
#include "lib/foundation/vlVariants.h"
#include "platform/rtl/Finally.h"

namespace {

TvlFilterEditsController* gController = nullptr;

const TResStringRec* const kCaptions[] = {
    nullptr,
    &vlSFilterOperatorEqual,
    &vlSFilterOperatorNotEqual,
    &vlSFilterOperatorLess,
    &vlSFilterOperatorLessEqual,
    &vlSFilterOperatorGreater,
    &vlSFilterOperatorGreaterEqual,
    &vlSFilterOperatorLike,
    &vlSFilterOperatorNotLike,
    &vlSFilterOperatorIsNull,
    &vlSFilterOperatorIsNotNull,
    &vlSFilterOperatorBetween,
    &vlSFilterOperatorNotBetween,
    &vlSFilterOperatorInList,
    &vlSFilterOperatorNotInList,
    &vlSFilterOperatorYesterday,
    &vlSFilterOperatorToday,
    &vlSFilterOperatorTomorrow,
    &vlSFilterOperatorLast7Days,
    &vlSFilterOperatorLastWeek,
    &vlSFilterOperatorLast14Days,
    &vlSFilterOperatorLastTwoWeeks,
    &vlSFilterOperatorLast30Days,
    &vlSFilterOperatorLastMonth,
    &vlSFilterOperatorLastYear,
    &vlSFilterOperatorPast,
    &vlSFilterOperatorThisWeek,
    &vlSFilterOperatorThisMonth,
    &vlSFilterOperatorThisYear,
    &vlSFilterOperatorNext7Days,
    &vlSFilterOperatorNextWeek,
    &vlSFilterOperatorNext14Days,
    &vlSFilterOperatorNextTwoWeeks,
    &vlSFilterOperatorNext30Days,
    &vlSFilterOperatorNextMonth,
    &vlSFilterOperatorNextYear,
    &vlSFilterOperatorFuture,
};
static_assert(sizeof(kCaptions) / sizeof(kCaptions[0]) == fcoInFuture + 1, "one caption per operator");

}  // namespace

// --- Helpers ---------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomFilterEditHelper)

void TvlCustomFilterEditHelper::ClearPropertiesEvents(TvlCustomEditProperties* AProperties) const {
  AProperties->SetOnButtonClick(TvlEditButtonClickEvent());
  AProperties->SetOnChange(TNotifyEvent());
  AProperties->SetOnEditValueChanged(TNotifyEvent());
  AProperties->SetOnValidate(TvlEditValidateEvent());
}

void TvlCustomFilterEditHelper::InitializeFilterEdit(TvlCustomEdit* AEdit,
                                                     TvlCustomEditProperties* AEditProperties) const {
  InitializeProperties(AEdit->ActiveProperties(), AEditProperties, EditPropertiesHasButtons());
}

void TvlCustomFilterEditHelper::GetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties,
                                               Variant& V, String& S) const {
  V = AEdit->EditValue();
  S = AEditProperties->GetDisplayText(V, false, true);
}

TvlFilterControlOperators TvlCustomFilterEditHelper::GetSupportedFilterOperators(TvlCustomEditProperties*,
                                                                               TvlValueTypeClass AValueTypeClass,
                                                                               Boolean AExtendedSet) const {
  TvlFilterControlOperators r;
  const TvlFilterControlOperator last = AExtendedSet ? fcoNotInList : fcoNonBlanks;
  for (Integer o = fcoEqual; o <= last; ++o) r.Include(TvlFilterControlOperator(o));
  if (!AValueTypeClass || !AValueTypeClass->IsString()) {
    r.Exclude(fcoLike);
    r.Exclude(fcoNotLike);
  }
  return r;
}

void TvlCustomFilterEditHelper::InitializeProperties(TvlCustomEditProperties* AProperties,
                                                     TvlCustomEditProperties* AEditProperties,
                                                     Boolean AHasButtons) const {
  AProperties->Assign(AEditProperties);
  AProperties->Alignment()->SetHorz(taLeftJustify);
  AProperties->Alignment()->SetVert(taTopJustify);
  AProperties->SetBeepOnError(false);
  if (!AHasButtons) AProperties->Buttons()->Clear();
  AProperties->SetReadOnly(false);
  AProperties->SetValidateOnEnter(true);
  if (!KeepsDefaultValuesProvider(AEditProperties)) AProperties->DropDefaultValuesProvider();
  ClearPropertiesEvents(AProperties);
}

Boolean TvlCustomFilterEditHelper::IsValueValid(TvlValueTypeClass AValueTypeClass, Variant& AValue) const {
  return AValueTypeClass->IsValueValid(AValue);
}

TvlCustomEdit* TvlCustomFilterEditHelper::GetFilterEdit(TvlCustomEditProperties* AEditProperties,
                                                        TvlInplaceEditList* AInplaceEditList) const {
  TvlCustomEditClass cls = GetFilterEditClass();
  if (!cls) return nullptr;
  // A list's editor is its own (the list frees it); otherwise the caller's.
  TvlCustomEdit* edit = AInplaceEditList ? AInplaceEditList->GetEdit(cls->GetPropertiesClass())
                                         : CreateFrom(cls, static_cast<TComponent*>(nullptr));
  InitializeFilterEdit(edit, AEditProperties);
  return edit;
}

CL_IMPLEMENT_CLASS(TvlFilterTextEditHelper)

TvlCustomEditClass TvlFilterTextEditHelper::GetFilterEditClass() const { return ClassOf<TvlTextEdit>(); }

void TvlFilterTextEditHelper::InitializeProperties(TvlCustomEditProperties* AProperties,
                                                   TvlCustomEditProperties* AEditProperties,
                                                   Boolean AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  auto* p = dynamic_cast<TvlCustomTextEditProperties*>(AProperties);
  if (!p) return;
  p->SetAutoSelect(true);
  p->SetHideSelection(true);
  p->SetViewStyle(vsNormal);
}

void TvlFilterTextEditHelper::SetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties*,
                                             const Variant& AValue) const {
  AEdit->SetEditValue(AValue);
}

// --- The controller ----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterEditsController)

TvlFilterEditsController* vlFilterEditsController() {
  if (!gController) gController = New<TvlFilterEditsController>();
  return gController;
}

void TvlFilterEditsController::Register(TClass APropertiesClass, TClass AHelperClass) {
  inherited::Register(APropertiesClass->ClassParent(), AHelperClass);
}

void TvlFilterEditsController::Unregister(TClass APropertiesClass, TClass AHelperClass) {
  inherited::Unregister(APropertiesClass->ClassParent(), AHelperClass);
  if (Count() == 0 && gController == this) {
    gController = nullptr;
    Free(this);
  }
}

TvlCustomFilterEditHelperClass TvlFilterEditsController::FindHelper(TClass APropertiesClass) {
  TClass c = FindClass(APropertiesClass->ClassParent());
  return c ? ClassAs<TvlCustomFilterEditHelper>(c) : TvlCustomFilterEditHelperClass();
}

// --- Operators -----------------------------------------------------------------------------------------------

String vlGetFilterControlOperatorText(TvlFilterControlOperator AOperator) {
  const TResStringRec* caption = kCaptions[AOperator];
  return caption ? vlGetResourceStringText(*caption) : String();
}

TvlFilterControlOperators vlOrderedValueFilterOperators(Boolean AExtendedSet) {
  TvlFilterControlOperators r;
  for (TvlFilterControlOperator o : {fcoEqual, fcoNotEqual, fcoLess, fcoLessEqual, fcoGreater, fcoGreaterEqual,
                                     fcoBlanks, fcoNonBlanks})
    r.Include(o);
  if (AExtendedSet)
    for (TvlFilterControlOperator o : {fcoBetween, fcoNotBetween, fcoInList, fcoNotInList}) r.Include(o);
  return r;
}

TvlFilterControlOperator vlFilterOperatorToControlOperator(TvlFilterOperatorKind AKind, Boolean AValueIsNull) {
  TvlFilterControlOperator r = AKind <= foNotLike ? TvlFilterControlOperator(Integer(AKind) + Integer(fcoEqual))
                                                  : TvlFilterControlOperator(Integer(AKind) + 3);
  if (AValueIsNull) {
    if (r == fcoEqual) r = fcoBlanks;
    else if (r == fcoNotEqual) r = fcoNonBlanks;
  }
  return r;
}

TvlFilterOperatorKind vlFilterControlOperatorToKind(TvlFilterControlOperator AOperator) {
  switch (AOperator) {
    case fcoNone:
    case fcoBlanks: return foEqual;
    case fcoNonBlanks: return foNotEqual;
    default:
      return AOperator <= fcoNotLike ? TvlFilterOperatorKind(AOperator - fcoEqual)
                                     : TvlFilterOperatorKind(AOperator - 3);
  }
}

void vlValidateFilterValue(TvlCustomEdit*, Variant& AValue, TvlFilterControlOperator AOperator,
                           TvlCustomFilterEditHelperClass AHelperClass, TvlValueTypeClass AValueTypeClass) {
  if (!AValueTypeClass) return;
  if (VarIsStr(AValue) && VarToStr(AValue).empty() && !AValueTypeClass->IsString()) AValue = Null();
  if (VarIsNull(AValue) || AOperator == fcoLike || AOperator == fcoNotLike) return;
  Boolean valid = false;
  try {
    valid = AHelperClass->IsValueValid(AValueTypeClass, AValue);
  } catch (const Exception&) {
    valid = false;
  }
  if (!valid) throw EvlFilterControlError(vlGetResourceStringText(vlSFilterDialogInvalidValue));
}
