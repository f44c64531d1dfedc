// Exceptions: value classes thrown by value and caught by const reference.
// Each class answers its own name, can be copied to the heap (to carry it to
// another thread) and raised again with its dynamic type.
#pragma once

#include <cstddef>
#include <exception>
#include <initializer_list>
#include <memory>
#include <string>

#include "platform/rtl/ResStrings.h"
#include "platform/rtl/Types.h"

struct TVarRec;

class Exception : public std::exception {
 public:
  Exception() = default;
  explicit Exception(const String& Msg) : FMessage(Msg) {}
  Exception(const String& Msg, Integer AHelpContext) : FMessage(Msg), FHelpContext(AHelpContext) {}
  // The platform's CreateRes: the message is the resource string's text,
  // loaded now through the installed loaders (so a translation applies).
  explicit Exception(PResStringRec ResStringRec);
  // The platform's CreateResFmt: the resource string formatted with Args.
  Exception(PResStringRec ResStringRec, std::initializer_list<TVarRec> Args);
  Exception(PResStringRec ResStringRec, const TVarRec* Args, size_t Count);

  const String& Message() const { return FMessage; }
  void SetMessage(const String& Value) { FMessage = Value; FWhat.clear(); }
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer Value) { FHelpContext = Value; }

  virtual String ClassName() const { return u"Exception"; }
  virtual std::unique_ptr<Exception> Clone() const { return std::make_unique<Exception>(*this); }
  [[noreturn]] virtual void Raise() const { throw *this; }

  // The message in UTF-8, for diagnostics.
  const char* what() const noexcept override;

 private:
  String FMessage;
  Integer FHelpContext = 0;
  mutable std::string FWhat;
};

// Declares an exception class derived from Base with Base's constructors
// (so every class has the resource-string constructors too:
// `throw EListError(&SListIndexError, {Index})`).
#define RTL_EXCEPTION_CLASS(Name, Base)                                                              \
  class Name : public Base {                                                                         \
   public:                                                                                           \
    using Base::Base;                                                                                \
    Name() = default;                                                                                \
    String ClassName() const override { return u"" #Name; }                                          \
    std::unique_ptr<Exception> Clone() const override { return std::make_unique<Name>(*this); }      \
    [[noreturn]] void Raise() const override { throw *this; }                                        \
  }

// The silent exception: it ends an action without a message.
RTL_EXCEPTION_CLASS(EAbort, Exception);
[[noreturn]] void Abort();

RTL_EXCEPTION_CLASS(EHeapException, Exception);
RTL_EXCEPTION_CLASS(EOutOfMemory, EHeapException);
RTL_EXCEPTION_CLASS(EInvalidPointer, EHeapException);
RTL_EXCEPTION_CLASS(EInOutError, Exception);
RTL_EXCEPTION_CLASS(EExternal, Exception);
RTL_EXCEPTION_CLASS(EIntError, EExternal);
RTL_EXCEPTION_CLASS(EDivByZero, EIntError);
RTL_EXCEPTION_CLASS(ERangeError, EIntError);
RTL_EXCEPTION_CLASS(EIntOverflow, EIntError);
RTL_EXCEPTION_CLASS(EMathError, EExternal);
RTL_EXCEPTION_CLASS(EInvalidOp, EMathError);
RTL_EXCEPTION_CLASS(EZeroDivide, EMathError);
RTL_EXCEPTION_CLASS(EOverflow, EMathError);
RTL_EXCEPTION_CLASS(EUnderflow, EMathError);
RTL_EXCEPTION_CLASS(EInvalidCast, Exception);
RTL_EXCEPTION_CLASS(EConvertError, Exception);
RTL_EXCEPTION_CLASS(EAbstractError, Exception);
// Raises EAbstractError "Abstract Error": the body of a virtual operation
// that descendants must override.
[[noreturn]] void AbstractError();
RTL_EXCEPTION_CLASS(EAssertionFailed, Exception);
RTL_EXCEPTION_CLASS(EIntfCastError, Exception);
RTL_EXCEPTION_CLASS(EPropertyError, Exception);
RTL_EXCEPTION_CLASS(EPropertyConvertError, Exception);
RTL_EXCEPTION_CLASS(EArgumentException, Exception);
RTL_EXCEPTION_CLASS(EArgumentOutOfRangeException, EArgumentException);
RTL_EXCEPTION_CLASS(ENotSupportedException, Exception);
RTL_EXCEPTION_CLASS(ENotImplemented, Exception);

// Variant errors are a family of their own, apart from EConvertError.
RTL_EXCEPTION_CLASS(EVariantError, Exception);
RTL_EXCEPTION_CLASS(EVariantTypeCastError, EVariantError);
RTL_EXCEPTION_CLASS(EVariantOverflowError, EVariantError);
RTL_EXCEPTION_CLASS(EVariantInvalidOpError, EVariantError);
RTL_EXCEPTION_CLASS(EVariantInvalidArgError, EVariantError);
RTL_EXCEPTION_CLASS(EVariantBadVarTypeError, EVariantError);
RTL_EXCEPTION_CLASS(EVariantBadIndexError, EVariantError);
RTL_EXCEPTION_CLASS(EVariantArrayLockedError, EVariantError);
RTL_EXCEPTION_CLASS(EVariantArrayCreateError, EVariantError);

// Lists, streams and component streaming.
RTL_EXCEPTION_CLASS(EListError, Exception);
RTL_EXCEPTION_CLASS(EStringListError, Exception);
RTL_EXCEPTION_CLASS(EBitsError, Exception);
RTL_EXCEPTION_CLASS(EStreamError, Exception);
RTL_EXCEPTION_CLASS(EFCreateError, EStreamError);
RTL_EXCEPTION_CLASS(EFOpenError, EStreamError);
RTL_EXCEPTION_CLASS(EFilerError, EStreamError);
RTL_EXCEPTION_CLASS(EReadError, EFilerError);
RTL_EXCEPTION_CLASS(EWriteError, EFilerError);
RTL_EXCEPTION_CLASS(EClassNotFound, EFilerError);
RTL_EXCEPTION_CLASS(EMethodNotFound, EFilerError);
RTL_EXCEPTION_CLASS(EInvalidImage, EFilerError);
RTL_EXCEPTION_CLASS(EResNotFound, Exception);
RTL_EXCEPTION_CLASS(EParserError, Exception);
RTL_EXCEPTION_CLASS(EComponentError, Exception);
RTL_EXCEPTION_CLASS(EOutOfResources, EOutOfMemory);
RTL_EXCEPTION_CLASS(EInvalidOperation, Exception);
RTL_EXCEPTION_CLASS(EThread, Exception);
RTL_EXCEPTION_CLASS(ERegistryException, Exception);
RTL_EXCEPTION_CLASS(EIniFileException, Exception);

// An operating-system error with its error code.
class EOSError : public Exception {
 public:
  using Exception::Exception;
  EOSError() = default;
  EOSError(const String& Msg, Cardinal AErrorCode) : Exception(Msg), ErrorCode(AErrorCode) {}
  String ClassName() const override { return u"EOSError"; }
  std::unique_ptr<Exception> Clone() const override { return std::make_unique<EOSError>(*this); }
  [[noreturn]] void Raise() const override { throw *this; }
  Cardinal ErrorCode = 0;
};
