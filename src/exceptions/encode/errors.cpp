#include "exceptions/encode/errors.h"

NV_DEFINE_CLASS(EQuillonEncodeError, Exception)
NV_DEFINE_CLASS(EGzipError, EQuillonEncodeError)
NV_DEFINE_CLASS(ETarError, EQuillonEncodeError)
NV_DEFINE_CLASS(EPngError, EQuillonEncodeError)
