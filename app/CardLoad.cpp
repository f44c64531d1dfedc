#include "app/CardLoad.h"

#include "app/CardReader.h"
#include "app/LoadLog.h"
#include "app/ReaderPort.h"
#include "platform/rtl/Finally.h"

Byte LoadCard(TReaderPort* Port, Byte PortNumber, TCardRecord& Rec, TLoadLog& Log) {
  Finally closePort([&] {
    if (Port->Connected()) Port->Close();
  });
  if (!ResetReader(PortNumber)) return 6;
  if (!ReaderPresent()) return 1;
  if (CardPresent() != 1) return 2;
  TCardSerial serial;
  if (!ReadCardSerial(serial)) return 7;
  Log.Reserve();
  Finally release([&] {
    if (Log.Reserved()) Log.Release();
  });
  TCardRecord rec = Rec;
  if (!WriteCard(rec)) return 5;
  Port->Close();
  Rec = rec;
  Log.Append(Rec, serial);
  return 4;
}
