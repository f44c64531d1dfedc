#include "platform/rtl/Exceptions.h"

#include "platform/rtl/CodePages.h"

const char* Exception::what() const noexcept {
  try {
    if (FWhat.empty()) FWhat = UTF16ToUTF8(FMessage);
    return FWhat.c_str();
  } catch (...) {
    return "Exception";
  }
}

void Abort() { throw EAbort(u"Operation aborted"); }
