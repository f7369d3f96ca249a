#include "exceptions/capture/fault_classes.h"

NV_DEFINE_CLASS(EInvalidOp, EMathError)
NV_DEFINE_CLASS(EZeroDivide, EMathError)
NV_DEFINE_CLASS(EOverflow, EMathError)
NV_DEFINE_CLASS(EUnderflow, EMathError)
NV_DEFINE_CLASS(EInvalidOpCode, EExternal)
