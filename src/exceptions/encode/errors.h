// Failures of the reporter's own containers and encodings.
#pragma once

#include "framework/exception.h"

NV_EXCEPTION(EQuillonEncodeError, Exception)
// A gzip file that is truncated, corrupt or not gzip at all.
NV_EXCEPTION(EGzipError, EQuillonEncodeError)
// A file that cannot be put into the attachment archive.
NV_EXCEPTION(ETarError, EQuillonEncodeError)
// A picture the PNG writer cannot write (no pixels, wrong buffer size).
NV_EXCEPTION(EPngError, EQuillonEncodeError)
