#pragma once
// The exception family of the run-time layer. Every failure the layer reports
// is one of these; `what()` gives the message as UTF-8 for diagnostics.
#include <exception>
#include <string>

#include "platform/rtl/types.h"

namespace rtl {

class Exception : public std::exception {
 public:
  explicit Exception(String message, int helpContext = 0);
  ~Exception() override;

  const String& Message() const { return message_; }
  void SetMessage(String message);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value) { helpContext_ = value; }

  // The platform class name ("EConvertError"), used where code shows or
  // compares the class of a caught exception.
  virtual const char* ClassName() const { return "Exception"; }
  const char* what() const noexcept override;

 private:
  String message_;
  std::string utf8_;
  int helpContext_ = 0;
};

#define RTL_DECLARE_EXCEPTION(Name, Base)                          \
  class Name : public Base {                                       \
   public:                                                         \
    using Base::Base;                                              \
    const char* ClassName() const override { return #Name; }       \
  }

RTL_DECLARE_EXCEPTION(EAbort, Exception);
RTL_DECLARE_EXCEPTION(EConvertError, Exception);
RTL_DECLARE_EXCEPTION(EListError, Exception);
RTL_DECLARE_EXCEPTION(EStringListError, Exception);
RTL_DECLARE_EXCEPTION(EStreamError, Exception);
RTL_DECLARE_EXCEPTION(EReadError, EStreamError);
RTL_DECLARE_EXCEPTION(EWriteError, EStreamError);
RTL_DECLARE_EXCEPTION(EFilerError, EStreamError);
RTL_DECLARE_EXCEPTION(EFOpenError, EStreamError);
RTL_DECLARE_EXCEPTION(EFCreateError, EStreamError);
RTL_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
RTL_DECLARE_EXCEPTION(EInvalidOperation, Exception);
RTL_DECLARE_EXCEPTION(EInvalidCast, Exception);
RTL_DECLARE_EXCEPTION(EInvalidPointer, Exception);
RTL_DECLARE_EXCEPTION(EOutOfResources, Exception);
RTL_DECLARE_EXCEPTION(EPropertyError, Exception);
RTL_DECLARE_EXCEPTION(EComponentError, Exception);
RTL_DECLARE_EXCEPTION(EArgumentException, Exception);
RTL_DECLARE_EXCEPTION(EArgumentOutOfRangeException, EArgumentException);
RTL_DECLARE_EXCEPTION(ERangeError, Exception);
RTL_DECLARE_EXCEPTION(EIntOverflow, Exception);
RTL_DECLARE_EXCEPTION(EZeroDivide, Exception);
RTL_DECLARE_EXCEPTION(EOverflow, Exception);
RTL_DECLARE_EXCEPTION(EInvalidOp, Exception);
RTL_DECLARE_EXCEPTION(EVariantError, Exception);
RTL_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError);
RTL_DECLARE_EXCEPTION(EVariantOverflowError, EVariantError);
RTL_DECLARE_EXCEPTION(EVariantInvalidOpError, EVariantError);
RTL_DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError);
RTL_DECLARE_EXCEPTION(EIniFileException, Exception);
RTL_DECLARE_EXCEPTION(ERegistryException, Exception);
RTL_DECLARE_EXCEPTION(EThread, Exception);
RTL_DECLARE_EXCEPTION(EOSError, Exception);
RTL_DECLARE_EXCEPTION(EResNotFound, Exception);

// Raises the silent EAbort ("Operation aborted").
[[noreturn]] void Abort();

}  // namespace rtl
