// What the pipeline does when one of its own steps fails, and the restart.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "exceptions/report/log_errors.h"

class TObject;

// A failing step that does not stop the report: its line in the debugger output and, for
// the sending codes, a message box captioned "Error.".
void ReporterWarning(TQuillonLogErrorCode code, uint32_t address, const std::string& message);

// A failure of the pipeline itself at a progress number: handed to the reporter's
// internal-error handler with the address the failure was raised at.
void ReporterInternalError(int section, const TObject* object, const std::string& className,
                           const std::exception* failure);

// Starts the program again with its command line, in the directory it was started in, in a
// process group of its own; the caller then ends this process.
void RestartProgram();
