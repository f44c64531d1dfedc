// Small helpers of the data controller and the data-bound editors: the base
// of an editor's data binding, a collection that assigns item by item, and
// date, week, currency-format and search-text functions.
#pragma once

#include "platform/classes/Classes.h"
#include "platform/classes/Delegates.h"
#include "platform/rtl/Types.h"

class Variant;
class TBasicAction;

using TvlDataBindingNotifyEvent = TDelegate<void(TObject* Sender)>;

// The base of an editor's link to its data; the editors' bindings override it.
class TvlCustomDataBinding : public TPersistent {
  CL_CLASS(TvlCustomDataBinding, TPersistent)
 public:
  virtual void DoDataChange();
  virtual void DoDataSetChange();
  virtual Boolean GetModified();
  virtual Boolean GetReadOnly();
  virtual void SetReadOnly(Boolean Value);
  virtual void DoUpdateData();
  virtual void VisualControlAssigned();
  virtual void Create(TComponent* AOwner, TComponent* ADataComponent);
  virtual Boolean CanModify();
  virtual Boolean ExecuteAction(TBasicAction* Action);
  virtual Variant GetStoredValue(Integer AValueSource, Boolean AFocused);
  virtual Boolean IsControlReadOnly();
  virtual Boolean IsDataSourceLive();
  virtual Boolean IsDataStorage();
  virtual void Reset();
  virtual Boolean SetEditMode();
  virtual void SetStoredValue(Integer AValueSource, const Variant& Value);
  virtual Boolean UpdateAction(TBasicAction* Action);
  virtual void UpdateDataSource();

  TPersistent* GetOwner() override;
  TComponent* DataComponent() const { return FDataComponent; }
  Boolean Modified() { return GetModified(); }
  Boolean ReadOnly() { return GetReadOnly(); }
  TComponent* VisualControl() const { return FVisualControl; }
  void SetVisualControl(TComponent* Value);
  const TvlDataBindingNotifyEvent& OnDataChange() const { return FOnDataChange; }
  void SetOnDataChange(const TvlDataBindingNotifyEvent& Value) { FOnDataChange = Value; }
  const TvlDataBindingNotifyEvent& OnDataSetChange() const { return FOnDataSetChange; }
  void SetOnDataSetChange(const TvlDataBindingNotifyEvent& Value) { FOnDataSetChange = Value; }
  const TvlDataBindingNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
  void SetOnUpdateData(const TvlDataBindingNotifyEvent& Value) { FOnUpdateData = Value; }

 private:
  TComponent* FDataComponent{};
  TComponent* FOwner{};
  Boolean FReadOnly{};
  TComponent* FVisualControl{};
  TvlDataBindingNotifyEvent FOnDataChange;
  TvlDataBindingNotifyEvent FOnDataSetChange;
  TvlDataBindingNotifyEvent FOnUpdateData;
};

// Assigning from another collection reuses the existing item objects.
class TvlCollection : public TCollection {
  CL_CLASS(TvlCollection, TCollection)
 public:
  void Assign(TPersistent* Source) override;
};

// Binary search of the sorted items ALow..AHigh; ACompare(AContext, i) is the
// sign of item i against the value sought. True with the index of the first
// equal item, else False with the index where the value would go.
Boolean vlFindSorted(Integer ALow, Integer AHigh, Integer (*ACompare)(void* AContext, Integer AIndex), void* AContext,
                     Integer& AIndex);

// 10 lets the locale decide the first day of the week.
extern Word vlFirstWeekDayOverride;

TDateTime vlDateOf(TDateTime ADateTime);
TDateTime vlTimeOf(TDateTime ADateTime);
// 0 = Sunday .. 6 = Saturday.
Integer vlGetFirstWeekDay();
TDateTime vlWeekStartDate(TDateTime ADate);
Boolean vlMatchSearchText(const String& AText, const String& ASearchText, Boolean APartial);
String vlGetCurrencyDisplayFormat();
