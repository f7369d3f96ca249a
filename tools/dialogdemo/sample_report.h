// A hand-made report of a failed save in netvosk.exe, as the dialog would get it.
#pragma once

#include <string>

#include "exceptions/dialog/dialog_input.h"

// Message, rich texts of the General and CPU pages, two threads' call stacks and six modules,
// with the default options (no sending).
TErrorDialogInput SampleReport();
// The report as plain text, for the clipboard.
std::string SampleReportText(const TErrorDialogInput& input);
