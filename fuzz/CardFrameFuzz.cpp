// Device answers: the frame finder and the card-text reader take any bytes.
// A frame found must lie inside the text with a non-empty payload; a payload
// read as a card text must decode without fault, and a decoded card must
// build a text of the card's length again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/CardReader.h"
#include "app/CardRecord.h"
#include "platform/rtl/CodePages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const String text = AnsiToString(std::string(reinterpret_cast<const char*>(Data), Size));
  Integer p = 0, q = 0;
  String payload = text;
  if (FindReplyFrame(text, p, q)) {
    if (p < 1 || q <= p + 1 || static_cast<size_t>(q) > text.size()) __builtin_trap();
    payload = text.substr(static_cast<size_t>(p), static_cast<size_t>(q - p - 1));
  }
  TCardRecord rec;
  if (CardTextToRecord(payload, rec)) {
    const String again = CardRecordToText(rec, 40000.5);  // a fixed moment in 2009
    if (again.size() != 56) __builtin_trap();
  }
  return 0;
}
