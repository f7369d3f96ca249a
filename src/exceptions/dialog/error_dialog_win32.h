// The error dialog and the request dialog of the exception reporter.
//
// Both run modally on the calling thread, which in the program is the report worker while the
// thread that raised waits and keeps its messages moving. They own no window beyond their
// own and leave the foreground where it was.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "exceptions/dialog/dialog_input.h"

struct TErrorDialogCallbacks {
  // The dialog could not be shown and the message box stood in for it; the pipeline records
  // it as reporter warning eeShowError. Gets "Cannot show the DialogBox window.".
  std::function<void(const std::string& message)> onShowError;
  // The user chose to terminate: the terminate action handlers run here. False cancels the
  // termination, and the dialog is shown again. Unset: the choice stands.
  std::function<bool()> confirmTerminate;
};

inline constexpr const char* kCannotShowDialog = "Cannot show the DialogBox window.";

// Loads the rich-edit library, sounds the error beep, runs the dialog from "QL_DIALOG" until
// the user closes it (again while a terminate handler cancels), and gives the foreground back.
// `resources` holds the templates and pictures; null: the module this code lives in.
TErrorDialogResult ShowErrorDialog(const TErrorDialogInput& input,
                                   const TErrorDialogCallbacks& callbacks = {}, HMODULE resources = nullptr);

// The error dialog's window while one is open on any thread, else null.
HWND CurrentErrorDialog();

// Asks for the steps that led to the error ("QL_REQUEST"): texts 81, 82 and 83, the prompt's
// height measured so that the dialog grows to fit it, and the dialog's auto-close rule. Returns
// the text typed, without the line breaks that end it ("" when none, or when the dialog could
// not be shown).
std::string ShowRequestDialog(const TDialogOptions& options, HMODULE resources = nullptr);
