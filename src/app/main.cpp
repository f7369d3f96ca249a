// netvosk.exe: start-up and the message loop.
#include <windows.h>

#include "app/main_form.h"
#include "exceptions/capture/startup.h"
#include "framework/application_win32.h"
#include "framework/guard.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_reader.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TQuillonProgramScope reporterScope;
  TApplication app(nullptr);
  app.SetTitle("Netvosk--免费版");
  // The main window's layout carries the skin data component; a skin it cannot use is
  // reported in the framework's message box.
  RegisterSkinDataClass();
  SetSkinMessageNotifier([](const std::string& text) { ShowMessage(text); });
  // A failure while the main window is made goes where every other failure goes (the
  // application's handler); without a main window there is nothing to run.
  if (!Guard([&] { Form1 = app.CreateForm<TForm1>(); })) return 1;
  app.Run();
  return 0;
}
