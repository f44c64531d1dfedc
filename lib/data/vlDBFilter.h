// The filter adapter of data sets: query data sets write null tests with the
// operator words "IS" and "IS NOT". The unit's start-up step makes the
// process-wide adapter list with this one registration.
#pragma once

#include "lib/data/vlDB.h"
#include "lib/data/vlFilter.h"

class TvlFilterSQLNullOperator : public TvlFilterNullOperator {
  CL_CLASS(TvlFilterSQLNullOperator, TvlFilterNullOperator)
 public:
  String FilterText() override;
};

class TvlFilterSQLNotNullOperator : public TvlFilterNotNullOperator {
  CL_CLASS(TvlFilterSQLNotNullOperator, TvlFilterNotNullOperator)
 public:
  String FilterText() override;
};

class TvlDBFilterOperatorAdapter : public TvlDBAdapterItem {
  CL_CLASS(TvlDBFilterOperatorAdapter, TvlDBAdapterItem)
 public:
  // A null or not-null operator class becomes its SQL form for a data set
  // whose class name contains "Query".
  virtual void PrepareOperatorClass(TObject* ASender, TDataSet* ADataSet, TvlFilterOperatorClass& AOperatorClass);
};

// Made by the start-up step of vlDBFilter, freed by its shut-down step.
extern TvlDBAdapterList* vlDBAdapterList;

// The adapter for the data set's class; nil for no data set or no adapter.
TvlDBFilterOperatorAdapter* vlGetDBFilterOperatorAdapter(TDataSet* ADataSet);
