// netvosk.exe: start-up and the message loop.
#include <windows.h>

#include "app/main_form.h"
#include "exceptions/capture/startup.h"
#include "framework/application_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TQuillonProgramScope reporterScope;
  TApplication app(nullptr);
  app.SetTitle("Netvosk--免费版");
  try {
    Form1 = app.CreateForm<TForm1>();
  } catch (Exception& e) {
    app.ShowException(&e);
    return 1;
  }
  app.Run();
  return 0;
}
