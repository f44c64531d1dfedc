// The load workflow on the card road: reset the device, probe it, find the
// card and its serial, make sure the load can be logged, write the card,
// close the port and log the load read back.
#pragma once

#include "app/CardRecord.h"
#include "platform/rtl/Types.h"

class TReaderPort;
class TLoadLog;

// The outcome as the number of the window's message: 6 the device cannot be
// reset, 1 no device, 2 no card, 7 no card serial, 5 the write failed, 4 the
// card was written (and logged, or kept for logging: Log.PendingCount()).
// Rec becomes the record read back on success. The port is closed at the
// end. When the load could not be logged the card is not written and the
// log's EDatabaseError goes on (the port closed); so does an ECardError.
Byte LoadCard(TReaderPort* Port, Byte PortNumber, TCardRecord& Rec, TLoadLog& Log);
