#include "lib/data/vlDBFilter.h"

#include "platform/classes/ModuleInit.h"
#include "platform/db/DB.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TvlFilterSQLNullOperator)
CL_IMPLEMENT_CLASS(TvlFilterSQLNotNullOperator)
CL_IMPLEMENT_CLASS(TvlDBFilterOperatorAdapter)

TvlDBAdapterList* vlDBAdapterList = nullptr;

namespace {

void Startup() {
  if (vlDBAdapterList) return;
  vlDBAdapterList = New<TvlDBAdapterList>();
  vlDBAdapterList->RegisterAdapter(ClassOf<TDataSet>(), ClassOf<TvlDBFilterOperatorAdapter>());
}

void Shutdown() { FreeAndNil(vlDBAdapterList); }

}  // namespace

CL_UNIT_STEPS(vlDBFilter, &Startup, &Shutdown);

String TvlFilterSQLNullOperator::FilterText() { return u"IS"; }
String TvlFilterSQLNotNullOperator::FilterText() { return u"IS NOT"; }

void TvlDBFilterOperatorAdapter::PrepareOperatorClass(TObject* ASender, TDataSet* ADataSet,
                                                      TvlFilterOperatorClass& AOperatorClass) {
  if (!ADataSet || !AOperatorClass.Class()->InheritsFrom(TvlFilterNullOperator::StaticClass())) return;
  if (AnsiUpperCase(ADataSet->ClassName()).find(u"QUERY") == String::npos) return;
  if (AOperatorClass.Class()->InheritsFrom(TvlFilterNotNullOperator::StaticClass()))
    AOperatorClass = ClassOf<TvlFilterSQLNotNullOperator>();
  else
    AOperatorClass = ClassOf<TvlFilterSQLNullOperator>();
}

TvlDBFilterOperatorAdapter* vlGetDBFilterOperatorAdapter(TDataSet* ADataSet) {
  if (!ADataSet || !vlDBAdapterList) return nullptr;
  Integer Index = -1;
  if (!vlDBAdapterList->FindAdapter(ClassAs<TDataSet>(ADataSet->ClassType()), Index)) return nullptr;
  TvlDBAdapterItem* Item = vlDBAdapterList->Items(Index);
  return Is<TvlDBFilterOperatorAdapter>(Item) ? static_cast<TvlDBFilterOperatorAdapter*>(Item) : nullptr;
}
