// The error dialog's input made from a report snapshot.
#pragma once

#include "exceptions/dialog/dialog_input.h"
#include "exceptions/report/report_render.h"
#include "exceptions/report/snapshot.h"

// Message, the General and CPU pages as rich text, the call stacks under their thread
// captions, the module rows and the custom data of `s`, shown with `options` (the options of
// the module that raised, DialogOptionsFrom). The stack entries keep their kinds: the dialog
// filters them itself. Modules are told apart by their file names (".exe", ".bpl", libraries).
TErrorDialogInput DialogInputFromReport(const TReportSnapshot& s, const TDialogOptions& options,
                                        bool duplicate, bool offerTerminate,
                                        const TRichTextStyle& style = {});
