// The Exception family: every failure of the framework and the engines is one of these.
#pragma once

#include <exception>
#include <string>

#include "framework/object.h"

class Exception : public TObject, public std::exception {
  NV_CLASS(Exception)
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  void SetMessage(std::string m) { message_ = std::move(m); }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Declares an exception class that takes its parent's constructors.
#define NV_EXCEPTION(Cls, Parent) \
  class Cls : public Parent {     \
    NV_CLASS(Cls)                 \
   public:                        \
    using Parent::Parent;         \
  };

NV_EXCEPTION(EAbort, Exception)
NV_EXCEPTION(EOutOfMemory, Exception)
NV_EXCEPTION(EConvertError, Exception)
NV_EXCEPTION(EInvalidOperation, Exception)
NV_EXCEPTION(EInvalidArgument, Exception)
NV_EXCEPTION(EAssertionFailed, Exception)
NV_EXCEPTION(EPropertyError, Exception)
NV_EXCEPTION(EClassNotFound, Exception)
NV_EXCEPTION(EListError, Exception)
NV_EXCEPTION(EStreamError, Exception)
NV_EXCEPTION(EFileStreamError, EStreamError)
NV_EXCEPTION(EFCreateError, EFileStreamError)
NV_EXCEPTION(EFOpenError, EFileStreamError)
NV_EXCEPTION(EReadError, EStreamError)
NV_EXCEPTION(EWriteError, EStreamError)
NV_EXCEPTION(EParserError, Exception)
NV_EXCEPTION(EInvalidGraphic, Exception)
NV_EXCEPTION(EIniFileException, Exception)
NV_EXCEPTION(EOSError, Exception)
NV_EXCEPTION(EOutOfResources, Exception)
NV_EXCEPTION(EThread, Exception)
// Operating-system faults turned into exception objects.
NV_EXCEPTION(EExternal, Exception)
NV_EXCEPTION(EAccessViolation, EExternal)
NV_EXCEPTION(EStackOverflow, EExternal)
NV_EXCEPTION(EIntError, EExternal)
NV_EXCEPTION(EDivByZero, EIntError)
NV_EXCEPTION(EIntOverflow, EIntError)
NV_EXCEPTION(EMathError, EExternal)
NV_EXCEPTION(EPrivilege, EExternal)
NV_EXCEPTION(EExternalException, EExternal)

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
