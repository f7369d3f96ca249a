#include "framework/exception.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

NV_DEFINE_CLASS(Exception, TObject)
NV_DEFINE_CLASS(EAbort, Exception)
NV_DEFINE_CLASS(EOutOfMemory, Exception)
NV_DEFINE_CLASS(EConvertError, Exception)
NV_DEFINE_CLASS(EInvalidOperation, Exception)
NV_DEFINE_CLASS(EInvalidArgument, Exception)
NV_DEFINE_CLASS(EAssertionFailed, Exception)
NV_DEFINE_CLASS(EPropertyError, Exception)
NV_DEFINE_CLASS(EClassNotFound, Exception)
NV_DEFINE_CLASS(EListError, Exception)
NV_DEFINE_CLASS(EStreamError, Exception)
NV_DEFINE_CLASS(EFileStreamError, EStreamError)
NV_DEFINE_CLASS(EFCreateError, EFileStreamError)
NV_DEFINE_CLASS(EFOpenError, EFileStreamError)
NV_DEFINE_CLASS(EReadError, EStreamError)
NV_DEFINE_CLASS(EWriteError, EStreamError)
NV_DEFINE_CLASS(EParserError, Exception)
NV_DEFINE_CLASS(EInvalidGraphic, Exception)
NV_DEFINE_CLASS(EIniFileException, Exception)
NV_DEFINE_CLASS(EOSError, Exception)
NV_DEFINE_CLASS(EOutOfResources, Exception)
NV_DEFINE_CLASS(EThread, Exception)
NV_DEFINE_CLASS(EExternal, Exception)
NV_DEFINE_CLASS(EAccessViolation, EExternal)
NV_DEFINE_CLASS(EStackOverflow, EExternal)
NV_DEFINE_CLASS(EIntError, EExternal)
NV_DEFINE_CLASS(EDivByZero, EIntError)
NV_DEFINE_CLASS(EIntOverflow, EIntError)
NV_DEFINE_CLASS(EMathError, EExternal)
NV_DEFINE_CLASS(EPrivilege, EExternal)
NV_DEFINE_CLASS(EExternalException, EExternal)

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}
