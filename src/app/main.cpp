// netvosk.exe: start-up and the message loop.
#include <windows.h>

#include "app/main_form.h"
#include "exceptions/capture/startup.h"
#include "exceptions/pipeline/report_pipeline_win32.h"
#include "framework/application_win32.h"
#include "framework/guard.h"
#include "skin/data/skin_manager_link.h"
#include "skin/data/skin_reader.h"
#include "skin/forms/skin_manage_win32.h"
#include "skin/forms/thread_skin_win32.h"

namespace {
int Run() {
  TApplication app(nullptr);
  app.SetTitle("Netvosk--免费版");
  // The main window's layout carries the skin data component; a skin it cannot use is
  // reported in the framework's message box.
  RegisterSkinClasses();
  SetSkinMessageNotifier([](const std::string& text) { ShowMessage(text); });
  // The reporter shows its dialogs on a worker thread of its own, where the skin manager's
  // hook does not reach: they get a copy of the program's skin there.
  SetReportWindowsDecorator([]() -> std::shared_ptr<void> { return BeginThreadSkin(); });
  // A failure while the main window is made goes where every other failure goes (the
  // application's handler); without a main window there is nothing to run.
  if (!Guard([&] { Form1 = app.CreateForm<TForm1>(); })) return 1;
  app.Run();
  return 0;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The reporter knows from here that the program has started, and at the end that it is
  // shutting down.
  TQuillonProgramScope reporterScope;
  const int rc = Run();
  // The forms are gone; the skin manager lets go of its hook and what is left skinned.
  SetReportWindowsDecorator(nullptr);
  FreeSkinManager();
  return rc;
}
