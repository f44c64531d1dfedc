// Functions over the platform's data sets and fields (field-name lists, key
// values, filter field names, the value type of a field, whether a field can
// be edited) and the registry of adapters chosen by data-set class.
//
// A name list holds names separated by ";"; blanks around names are ignored.
#pragma once

#include <vector>

#include "lib/data/vlValueTypes.h"
#include "platform/rtl/Types.h"

class TDataSet;
class TField;
class TList;
class TStrings;
class Variant;
using TDataSetClass = TClassOf<TDataSet>;

void vlQuoteFieldName(String& AName);
String vlGetFilterFieldName(TField* AField, Boolean AIgnoreOrigin);
Boolean vlSameTextUpper(const String& A, const String& B);
Boolean vlHasSeveralFieldNames(const String& ANames);
Integer vlFieldNameCount(const String& ANames);
void vlSplitFieldNames(const String& ANames, TStrings* AList);
Boolean vlFindFields(TDataSet* ADataSet, const String& ANames, TList* AList);
void vlAddDataFieldParts(TField* AField, TList* AList);
Variant vlGetFieldValue(TField* AField);
Variant vlGetFieldsValue(TDataSet* ADataSet, TList* AFields);
void vlSetFieldValue(TField* AField, const Variant& AValue);
void vlSetFieldsValue(TDataSet* ADataSet, TList* AFields, const Variant& AValue);
Boolean vlLookupKeysCanModify(TField* ALookupField);
Boolean vlDataFieldCanModify(TField* AField, Boolean AAlwaysEditable);
Boolean vlFieldFormatsItself(TField* AField, Boolean AComplexResult);
Boolean vlIsPlainCurrencyField(TField* AField);
Boolean vlIsNotAutoIncField(TField* AField);
Boolean vlKeyValuesUsable(TDataSet* ADataSet, const String& AKeyFieldNames, const Variant& AKeyValues);
TvlValueTypeClass vlValueTypeClassByField(TField* AField);

class TvlDBAdapterItem : public TObject {
  CL_CLASS(TvlDBAdapterItem, TObject)
 public:
  virtual void Create(TDataSetClass ADataSetClass);
  TDataSetClass DataSetClass() const { return FDataSetClass; }

 private:
  TDataSetClass FDataSetClass;
};

using TvlDBAdapterItemClass = TClassOf<TvlDBAdapterItem>;

class TvlDBAdapterList : public TObject {
  CL_CLASS(TvlDBAdapterList, TObject)
 public:
  void Destroy() override;
  void Clear();
  // Scans from the last item: the first registered for the class or an
  // ancestor wins; an item of a descendant seen on the way sets AIndex.
  Boolean FindAdapter(TDataSetClass ADataSetClass, Integer& AIndex) const;
  void RegisterAdapter(TDataSetClass ADataSetClass, TvlDBAdapterItemClass AItemClass);
  void UnregisterAdapter(TDataSetClass ADataSetClass, TvlDBAdapterItemClass AItemClass);
  Integer ItemCount() const { return static_cast<Integer>(FItems.size()); }
  TvlDBAdapterItem* Items(Integer AIndex) const { return FItems[AIndex]; }

 private:
  std::vector<TvlDBAdapterItem*> FItems;
};
