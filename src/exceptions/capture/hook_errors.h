// Failures of the hooking engine. They occur while the reporter installs its capture points
// and surface through the unit section that was running.
#pragma once

#include <string>

#include "framework/exception.h"

NV_EXCEPTION(EHookError, Exception)
// The procedure (or import) to hook is null.
NV_EXCEPTION(EProcNull, EHookError)
// The code lies in the shared upper half of a non-NT system, where a patch would reach every
// process.
NV_EXCEPTION(ESharedArea, EHookError)
// Copying, relocating or patching failed, or no import slot matched.
NV_EXCEPTION(EHookingError, EHookError)

EProcNull ProcNullError(const std::string& name);
ESharedArea SharedAreaError(const std::string& moduleFileName);
EHookingError HookingError(const std::string& name);
