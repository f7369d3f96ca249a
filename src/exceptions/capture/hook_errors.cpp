#include "exceptions/capture/hook_errors.h"

NV_DEFINE_CLASS(EHookError, Exception)
NV_DEFINE_CLASS(EProcNull, EHookError)
NV_DEFINE_CLASS(ESharedArea, EHookError)
NV_DEFINE_CLASS(EHookingError, EHookError)

EProcNull ProcNullError(const std::string& name) {
  return EProcNull(Format("Cannot hook a null procedure (\"%s\").", name.c_str()));
}

ESharedArea SharedAreaError(const std::string& moduleFileName) {
  return ESharedArea(
      Format("Cannot hook the module \"%s\" located into the shared-area.", moduleFileName.c_str()));
}

EHookingError HookingError(const std::string& name) {
  return EHookingError(Format("Cannot hook the procedure \"%s\".", name.c_str()));
}
