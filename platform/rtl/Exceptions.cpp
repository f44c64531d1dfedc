#include "platform/rtl/Exceptions.h"

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"

Exception::Exception(PResStringRec ResStringRec) : FMessage(LoadResString(ResStringRec)) {}

Exception::Exception(PResStringRec ResStringRec, std::initializer_list<TVarRec> Args)
    : Exception(ResStringRec, Args.begin(), Args.size()) {}

Exception::Exception(PResStringRec ResStringRec, const TVarRec* Args, size_t Count)
    : FMessage(Format(LoadResString(ResStringRec), Args, Count)) {}

const char* Exception::what() const noexcept {
  try {
    if (FWhat.empty()) FWhat = UTF16ToUTF8(FMessage);
    return FWhat.c_str();
  } catch (...) {
    return "Exception";
  }
}

void Abort() { throw EAbort(u"Operation aborted"); }

void AbstractError() { throw EAbstractError(u"Abstract Error"); }
