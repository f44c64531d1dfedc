// Text form -> binary form -> text form: bad text must raise EParserError,
// and a text that converts must convert back, to text that gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/classes/FormText.h"
#include "platform/rtl/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string text(reinterpret_cast<const char*>(Data), Size);
  std::string bin;
  try {
    bin = ObjectTextToBinary(text);
  } catch (const EParserError&) {
    return 0;
  } catch (const EWriteError&) {
    return 0;  // an identifier longer than a short string
  }
  std::string back = ObjectBinaryToText(bin);
  if (ObjectTextToBinary(back) != bin) __builtin_trap();
  return 0;
}
