#include "exceptions/dialog/error_dialog_win32.h"

#include <commctrl.h>

#include <optional>

#include "exceptions/dialog/dialog_ids.h"
#include "exceptions/dialog/dialog_resources_win32.h"
#include "exceptions/dialog/error_dialog_window_win32.h"

namespace {
void RegisterControls() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
}

// Stands in for a dialog that could not be shown: the message alone, in a box that a
// service or a locked desktop still shows.
void ShowFallbackBox(const TErrorDialogInput& in) {
  OSVERSIONINFOA vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  bool nt = !GetVersionExA(&vi) || vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
  if (!nt) return;
  MessageBoxA(nullptr, in.message.c_str(), in.options.texts[qtError].c_str(),
              MB_ICONSTOP | MB_TASKMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION);
}
}  // namespace

TErrorDialogResult ShowErrorDialog(const TErrorDialogInput& input, const TErrorDialogCallbacks& callbacks,
                                   HMODULE resources) {
  if (!resources) resources = ReporterResourceModule();
  RegisterControls();
  TRichEditLibrary richEdit;  // freed when the dialog is done
  HWND previous = GetForegroundWindow();
  MessageBeep(MB_ICONHAND);

  TErrorDialogResult result;
  std::optional<bool> details;  // shown again, the dialog keeps the details as the user left them
  for (;;) {
    TErrorDialog dialog(input, resources, richEdit.ClassName());
    if (details) dialog.StartWithDetails(*details);
    INT_PTR end = dialog.Run();
    if (end == -1 || !dialog.Painted()) {
      ShowFallbackBox(input);
      if (callbacks.onShowError) callbacks.onShowError(kCannotShowDialog);
      result = {};
      break;
    }
    result = dialog.Result();
    result.shown = true;
    details = dialog.DetailsShown();
    if (!result.terminateChosen || !callbacks.confirmTerminate || callbacks.confirmTerminate()) break;
    // A terminate handler said no: the user chooses again.
  }

  if (previous && IsWindow(previous)) SetForegroundWindow(previous);
  return result;
}
