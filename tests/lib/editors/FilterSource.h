// A component whose filter the filter builder edits: the columns of a data
// controller as items (caption, link name and field name "Name", "Amount",
// "Price"), the controller's own filter criteria as its criteria. Records
// are loaded by the test.
#pragma once

#include <initializer_list>
#include <vector>

#include "lib/data/vlCustomData.h"
#include "lib/data/vlDataController.h"
#include "lib/data/vlValueTypes.h"
#include "lib/editors/vlFilterControl.h"
#include "lib/editors/vlTextEditProperties.h"

namespace filtertest {

class TFilterSource : public TComponent, public IvlFilterControl {
  CL_CLASS(TFilterSource, TComponent)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    DC = New<TvlCustomDataController>(static_cast<TComponent*>(nullptr));
    AddColumn(u"Name", ClassOf<TvlStringValueType>());
    AddColumn(u"Amount", ClassOf<TvlIntegerValueType>());
    AddColumn(u"Price", ClassOf<TvlFloatValueType>());
  }
  void Destroy() override {
    Free(DC);
    for (TComponent* C : Columns) Free(C);
    for (TvlCustomEditProperties* P : Properties) Free(P);
    inherited::Destroy();
  }
  void AddColumn(const String& AName, TvlValueTypeClass AType) {
    TComponent* C = New<TComponent>(static_cast<TComponent*>(nullptr));
    C->SetName(AName);
    Columns.push_back(C);
    DC->AddItem(C)->SetValueTypeClass(AType);
    Properties.push_back(New<TvlTextEditProperties>(static_cast<TPersistent*>(nullptr)));
  }
  // Rows of values, one per column.
  void Load(std::initializer_list<std::initializer_list<Variant>> ARows) {
    DC->BeginUpdate();
    DC->SetRecordCount(Integer(ARows.size()));
    Integer R = 0;
    for (const auto& Row : ARows) {
      Integer C = 0;
      for (const Variant& V : Row) DC->SetValue(R, C++, V);
      ++R;
    }
    DC->EndUpdate();
  }
  // The records shown, in order.
  std::vector<Integer> Shown() {
    std::vector<Integer> R;
    for (Integer I = 0; I < DC->GetRowCount(); ++I) R.push_back(DC->GetRowInfo(I).RecordIndex);
    return R;
  }

  // IvlFilterControl
  void ItemCaption(Integer AIndex, String& ACaption) override { ACaption = Columns[size_t(AIndex)]->Name(); }
  Integer ItemCount() override { return Integer(Columns.size()); }
  TvlFilterCriteria* FilterCriteria() override { return OwnCriteria ? OwnCriteria : DC->Filter(); }
  TObject* ItemLink(Integer AIndex) override { return Columns[size_t(AIndex)]; }
  Integer ItemLinkID(Integer AIndex) override { return AIndex; }
  void ItemLinkName(Integer AIndex, String& AName) override { AName = LinkNames ? UpperCase(Columns[size_t(AIndex)]->Name()) : Columns[size_t(AIndex)]->Name(); }
  void ItemFieldName(Integer AIndex, String& AName) override { AName = Columns[size_t(AIndex)]->Name(); }
  TvlCustomEditProperties* ItemProperties(Integer AIndex) override { return Properties[size_t(AIndex)]; }
  TvlValueTypeClass ItemValueType(Integer AIndex) override { return DC->GetItemValueTypeClass(AIndex); }

  TvlCustomDataController* DC{};
  std::vector<TComponent*> Columns;
  std::vector<TvlCustomEditProperties*> Properties;
  // Criteria answered instead of the controller's (a builder's own, say).
  TvlFilterCriteria* OwnCriteria{};
  // Link names in capitals.
  Boolean LinkNames{};
};

}  // namespace filtertest
