// Exception classes for processor faults that the framework has no class of its own for.
// The rest (EAccessViolation, EDivByZero, EIntOverflow, EStackOverflow, EPrivilege,
// EExternalException) are the framework's.
#pragma once

#include "framework/exception.h"

NV_EXCEPTION(EInvalidOp, EMathError)
NV_EXCEPTION(EZeroDivide, EMathError)
NV_EXCEPTION(EOverflow, EMathError)
NV_EXCEPTION(EUnderflow, EMathError)
NV_EXCEPTION(EInvalidOpCode, EExternal)
