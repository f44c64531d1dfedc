// The log of card loads as the card road uses it: a card is written only
// when its load can be logged, and a load whose append fails after the card
// was written is kept and retried, never dropped.
//
// Before the card is written, Reserve checks that the log is connected, its
// file in place and writable and the procedure "Ekle" prepared with its 15
// parameters, and takes the log's write lock. Append then logs the load
// read back from the card and ends the reservation; Release ends it when
// no card was written.
#pragma once

#include <deque>

#include "app/CardRecord.h"
#include "platform/rtl/Types.h"

class TADOConnection;
class TADOStoredProc;
class TDataSet;

// Sets the 15 parameters of "Ekle" by position from a load: the record as
// read back from the card and the card's serial.
class TParameters;
void SetLoadParameters(TParameters* Params, const TCardRecord& Rec, const TCardSerial& Serial);

class TLoadLog {
 public:
  // View, when given, is closed and opened again after each append (the
  // log's grid), its controls told once.
  TLoadLog(TADOConnection* Connection, TADOStoredProc* Ekle, TDataSet* View = nullptr);
  ~TLoadLog();
  TLoadLog(const TLoadLog&) = delete;
  TLoadLog& operator=(const TLoadLog&) = delete;

  // Raises EDatabaseError naming the cause when the load could not be
  // logged; nothing is reserved then.
  void Reserve();
  void Release();
  Boolean Reserved() const { return FReserved; }

  // Logs a load whose card was written. True when it is in the log; false
  // when the append failed: the load is then kept (PendingCount) and
  // appended first by the next Append or RetryPending.
  Boolean Append(const TCardRecord& Rec, const TCardSerial& Serial);
  // Appends the kept loads in order; true when none is left.
  Boolean RetryPending();
  Integer PendingCount() const { return static_cast<Integer>(FPending.size()); }
  // Why the last append failed ("" after a success).
  const String& LastError() const { return FLastError; }

 private:
  struct TLoad {
    TCardRecord Rec;
    TCardSerial Serial;
  };
  void Execute(const TLoad& Load);
  Boolean AppendPending();
  void ReopenView();

  TADOConnection* FConnection;
  TADOStoredProc* FEkle;
  TDataSet* FView;
  Boolean FReserved = false;
  std::deque<TLoad> FPending;
  String FLastError;
};
