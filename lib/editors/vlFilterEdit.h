// The value editors of the filter builder: per editor kind a helper says
// which editor edits a filter value, how its properties are prepared, which
// operators it offers and how a value goes in and out. The filter-edits
// controller maps a properties class to its helper (keyed through the
// class's parent, so a descendant without its own helper finds its
// ancestor's). Also the filter-control operators with their captions, their
// mapping to the filter criteria's operators and the check of a typed value.
#pragma once

#include "lib/data/vlFilter.h"
#include "lib/data/vlValueTypes.h"
#include "lib/editors/vlEdit.h"

class TvlInplaceEditList;

CL_ENUM(TvlFilterControlOperator, Byte, fcoNone, fcoEqual, fcoNotEqual, fcoLess, fcoLessEqual, fcoGreater,
        fcoGreaterEqual, fcoLike, fcoNotLike, fcoBlanks, fcoNonBlanks, fcoBetween, fcoNotBetween, fcoInList,
        fcoNotInList, fcoYesterday, fcoToday, fcoTomorrow, fcoLast7Days, fcoLastWeek, fcoLast14Days,
        fcoLastTwoWeeks, fcoLast30Days, fcoLastMonth, fcoLastYear, fcoInPast, fcoThisWeek, fcoThisMonth,
        fcoThisYear, fcoNext7Days, fcoNextWeek, fcoNext14Days, fcoNextTwoWeeks, fcoNext30Days, fcoNextMonth,
        fcoNextYear, fcoInFuture)
using TvlFilterControlOperators = TSet<TvlFilterControlOperator, 8>;

RTL_EXCEPTION_CLASS(EvlFilterControlError, EnbException);

// All operations are class-level: a helper is used through its class.
class TvlCustomFilterEditHelper : public TObject {
  CL_CLASS(TvlCustomFilterEditHelper, TObject)
 public:
  virtual void ClearPropertiesEvents(TvlCustomEditProperties* AProperties) const;
  virtual void InitializeFilterEdit(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties) const;
  virtual Boolean KeepsDefaultValuesProvider(TvlCustomEditProperties* AEditProperties) const { return true; }
  virtual Boolean EditPropertiesHasButtons() const { return false; }
  virtual TvlCustomEditClass GetFilterEditClass() const { return TvlCustomEditClass(); }
  virtual void GetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties, Variant& V,
                              String& S) const;
  virtual TvlFilterControlOperators GetSupportedFilterOperators(TvlCustomEditProperties* AProperties,
                                                                TvlValueTypeClass AValueTypeClass,
                                                                Boolean AExtendedSet = false) const;
  virtual void InitializeProperties(TvlCustomEditProperties* AProperties, TvlCustomEditProperties* AEditProperties,
                                    Boolean AHasButtons) const;
  virtual Boolean IsValueValid(TvlValueTypeClass AValueTypeClass, Variant& AValue) const;
  virtual void SetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties,
                              const Variant& AValue) const {}
  virtual Boolean UseDisplayValue() const { return false; }
  // Without a list a new ownerless editor (the caller frees it).
  TvlCustomEdit* GetFilterEdit(TvlCustomEditProperties* AEditProperties,
                               TvlInplaceEditList* AInplaceEditList = nullptr) const;
};
using TvlCustomFilterEditHelperClass = TClassOf<TvlCustomFilterEditHelper>;

class TvlFilterTextEditHelper : public TvlCustomFilterEditHelper {
  CL_CLASS(TvlFilterTextEditHelper, TvlCustomFilterEditHelper)
 public:
  TvlCustomEditClass GetFilterEditClass() const override;
  void InitializeProperties(TvlCustomEditProperties* AProperties, TvlCustomEditProperties* AEditProperties,
                            Boolean AHasButtons) const override;
  void SetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties,
                      const Variant& AValue) const override;
};

// Pairs of (properties class, helper class), keyed by the properties class's parent.
class TvlFilterEditsController : public TvlRegisteredClassList {
  CL_CLASS(TvlFilterEditsController, TvlRegisteredClassList)
 public:
  void Register(TClass APropertiesClass, TClass AHelperClass) override;
  // Frees the controller when its last pair goes.
  void Unregister(TClass APropertiesClass, TClass AHelperClass) override;
  TvlCustomFilterEditHelperClass FindHelper(TClass APropertiesClass);
};

// The single controller, made on first use.
TvlFilterEditsController* vlFilterEditsController();

String vlGetFilterControlOperatorText(TvlFilterControlOperator AOperator);
TvlFilterControlOperator vlFilterOperatorToControlOperator(TvlFilterOperatorKind AKind, Boolean AValueIsNull);
// The operators of an ordered value: the six comparisons and the two blank
// tests; with the extended set also between and in-list, each with its negation.
TvlFilterControlOperators vlOrderedValueFilterOperators(Boolean AExtendedSet);
TvlFilterOperatorKind vlFilterControlOperatorToKind(TvlFilterControlOperator AOperator);
// Raises EvlFilterControlError "Invalid value" for a value the value type rejects.
void vlValidateFilterValue(TvlCustomEdit* AEdit, Variant& AValue, TvlFilterControlOperator AOperator,
                           TvlCustomFilterEditHelperClass AHelperClass, TvlValueTypeClass AValueTypeClass);
