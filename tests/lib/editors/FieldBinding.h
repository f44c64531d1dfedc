// A data binding of the list controls to one field of a data set, through a
// data link: the value is the field of the current record, editing puts the
// data set in edit mode, leaving the control writes the field. Unbound it
// behaves as the plain binding. vlListBoxTest.cpp implements the classes.
#pragma once

#include "lib/data/vlDataUtils.h"
#include "platform/db/DB.h"
#include "platform/db/MemData.h"
#include "platform/rtl/Variants.h"

class TTestFieldBinding;

class TTestFieldBindingLink : public TDataLink {
  CL_CLASS(TTestFieldBindingLink, TDataLink)
 public:
  TTestFieldBinding* Binding{};

 protected:
  void ActiveChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;
};

class TTestFieldBinding : public TvlCustomDataBinding {
  CL_CLASS(TTestFieldBinding, TvlCustomDataBinding)
 public:
  void Create(TComponent* AOwner, TComponent* ADataComponent) override {
    inherited::Create(AOwner, ADataComponent);
    FLink = New<TTestFieldBindingLink>();
    FLink->Binding = this;
  }
  void Destroy() override {
    FreeAndNil(FLink);
    inherited::Destroy();
  }
  void Bind(TDataSource* ASource, const String& AFieldName) {
    FFieldName = AFieldName;
    FLink->SetDataSource(ASource);
    DoDataChange();
  }
  Boolean Bound() const { return FLink->DataSource() != nullptr; }
  TField* Field() const {
    return FLink->Active() && FLink->DataSet() ? FLink->DataSet()->FindField(FFieldName) : nullptr;
  }
  Boolean IsDataSourceLive() override { return !Bound() || Field() != nullptr; }
  Variant GetStoredValue(Integer, Boolean) override { return Field() ? Field()->Value() : Null(); }
  void SetStoredValue(Integer, const Variant& Value) override {
    if (TField* f = Field()) f->SetValue(Value);
  }
  Boolean CanModify() override {
    if (!inherited::CanModify()) return false;
    return !Bound() || (Field() && FLink->DataSet()->CanModify());
  }
  Boolean SetEditMode() override {
    if (!CanModify()) return false;
    return !Bound() || FLink->Edit();
  }
  Boolean IsControlReadOnly() override { return !CanModify(); }
  void UpdateDataSource() override {
    if (Bound() && FLink->Editing()) FLink->UpdateRecord();
  }
  void Reset() override { DoDataChange(); }

 private:
  TTestFieldBindingLink* FLink{};
  String FFieldName;
};

inline void TTestFieldBindingLink::ActiveChanged() {
  if (Binding) Binding->DoDataChange();
}
inline void TTestFieldBindingLink::RecordChanged(TField*) {
  if (Binding) Binding->DoDataChange();
}
inline void TTestFieldBindingLink::UpdateData() {
  if (Binding) Binding->DoUpdateData();
}

