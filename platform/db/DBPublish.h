// The data-set events that every published data-set class lists, for the
// source files that declare published members (includes TypInfoBuild.h).
#pragma once

#include "platform/classes/TypInfoBuild.h"
#include "platform/db/DB.h"

template <class T>
void PublishDataSetEvents(TPublisher<T>& P) {
  P.Property(u"BeforeOpen", &TDataSet::BeforeOpen, &TDataSet::SetBeforeOpen);
  P.Property(u"AfterOpen", &TDataSet::AfterOpen, &TDataSet::SetAfterOpen);
  P.Property(u"BeforeClose", &TDataSet::BeforeClose, &TDataSet::SetBeforeClose);
  P.Property(u"AfterClose", &TDataSet::AfterClose, &TDataSet::SetAfterClose);
  P.Property(u"BeforeInsert", &TDataSet::BeforeInsert, &TDataSet::SetBeforeInsert);
  P.Property(u"AfterInsert", &TDataSet::AfterInsert, &TDataSet::SetAfterInsert);
  P.Property(u"BeforeEdit", &TDataSet::BeforeEdit, &TDataSet::SetBeforeEdit);
  P.Property(u"AfterEdit", &TDataSet::AfterEdit, &TDataSet::SetAfterEdit);
  P.Property(u"BeforePost", &TDataSet::BeforePost, &TDataSet::SetBeforePost);
  P.Property(u"AfterPost", &TDataSet::AfterPost, &TDataSet::SetAfterPost);
  P.Property(u"BeforeCancel", &TDataSet::BeforeCancel, &TDataSet::SetBeforeCancel);
  P.Property(u"AfterCancel", &TDataSet::AfterCancel, &TDataSet::SetAfterCancel);
  P.Property(u"BeforeDelete", &TDataSet::BeforeDelete, &TDataSet::SetBeforeDelete);
  P.Property(u"AfterDelete", &TDataSet::AfterDelete, &TDataSet::SetAfterDelete);
  P.Property(u"BeforeScroll", &TDataSet::BeforeScroll, &TDataSet::SetBeforeScroll);
  P.Property(u"AfterScroll", &TDataSet::AfterScroll, &TDataSet::SetAfterScroll);
  P.Property(u"OnCalcFields", &TDataSet::OnCalcFields, &TDataSet::SetOnCalcFields);
  P.Property(u"OnFilterRecord", &TDataSet::OnFilterRecord, &TDataSet::SetOnFilterRecord);
  P.Property(u"OnNewRecord", &TDataSet::OnNewRecord, &TDataSet::SetOnNewRecord);
}
