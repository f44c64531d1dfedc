#include "app/LoadLog.h"

#include "platform/db/ADODB.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"

void SetLoadParameters(TParameters* Params, const TCardRecord& Rec, const TCardSerial& Serial) {
  auto set = [&](Integer Index, const Variant& V) { Params->Items(Index)->SetValue(V); };
  set(0, Variant(Rec.Kontor));
  set(1, Variant(UIntToStr(Rec.SeriNo)));
  set(2, Variant(AnsiToString(Rec.FaturaNo.ToAnsi())));
  set(3, Variant(Rec.T1));
  set(4, Variant(Rec.T2));
  set(5, Variant(Rec.T3));
  set(6, Variant(Rec.T4));
  set(7, Variant(Rec.T0));
  set(8, Variant(Rec.TarifeYapisi));
  set(9, Variant(Rec.CokluTarife));
  set(10, Variant(Rec.DusukAlarm));
  set(11, Variant(AnsiToString(Rec.TahsilatYeri.ToAnsi())));
  set(12, VarFromDateTime(Rec.YuklemeTS));
  set(13, Variant(IntToHex(Serial.Value, 10)));
  set(14, Variant(0));
}

TLoadLog::TLoadLog(TADOConnection* Connection, TADOStoredProc* Ekle, TDataSet* View)
    : FConnection(Connection), FEkle(Ekle), FView(View) {}

TLoadLog::~TLoadLog() {
  if (FReserved) {
    try {
      Release();
    } catch (...) {
    }
  }
}

void TLoadLog::Reserve() {
  if (FReserved) return;
  if (FConnection->Mode() == cmRead)
    DatabaseError(u"The log '" + FConnection->DatabaseFileName() + u"' is open for reading only",
                  FConnection);
  // Loads kept from a failed append go first; while they cannot be logged
  // no further card is written.
  if (!RetryPending()) DatabaseError(u"Earlier loads are not logged yet: " + FLastError, FConnection);
  FConnection->BeginWriteTrans();
  Finally undo([&] {
    if (!FReserved) FConnection->RollbackTrans();
  });
  FEkle->SetPrepared(true);
  if (FEkle->Parameters()->Count() != 15)
    DatabaseError(u"Procedure '" + FEkle->ProcedureName() + u"' does not take the 15 values of a load",
                  FEkle);
  FReserved = true;
}

void TLoadLog::Release() {
  if (!FReserved) return;
  FReserved = false;
  FConnection->RollbackTrans();
}

void TLoadLog::Execute(const TLoad& Load) {
  SetLoadParameters(FEkle->Parameters(), Load.Rec, Load.Serial);
  FEkle->SetPrepared(true);
  FEkle->ExecProc();
}

Boolean TLoadLog::Append(const TCardRecord& Rec, const TCardSerial& Serial) {
  FPending.push_back({Rec, Serial});
  if (FReserved) {
    // Inside the reservation: the write lock is held, so only the disk or
    // the file can fail it.
    FReserved = false;
    try {
      Execute(FPending.back());
      FConnection->CommitTrans();
      FPending.pop_back();
      FLastError.clear();
    } catch (const Exception& E) {
      FLastError = E.Message();
      if (FConnection->InTransaction()) FConnection->RollbackTrans();
    }
  }
  const Boolean logged = AppendPending();
  ReopenView();
  return logged;
}

Boolean TLoadLog::AppendPending() {
  while (!FPending.empty()) {
    try {
      Execute(FPending.front());
    } catch (const Exception& E) {
      FLastError = E.Message();
      return false;
    }
    FPending.pop_front();
    FLastError.clear();
  }
  return true;
}

Boolean TLoadLog::RetryPending() {
  if (FPending.empty()) return true;
  const Boolean done = AppendPending();
  ReopenView();
  return done;
}

void TLoadLog::ReopenView() {
  if (!FView) return;
  FView->DisableControls();
  Finally enable([&] { FView->EnableControls(); });
  try {
    FView->Close();
    FView->Open();
  } catch (const Exception&) {
    // The grid shows the log again at the next append; the loads are in it.
  }
}
