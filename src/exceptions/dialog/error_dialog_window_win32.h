// TErrorDialog: one run of the error dialog's window, from WM_INITDIALOG to its end.
#pragma once

#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "exceptions/dialog/auto_close_win32.h"
#include "exceptions/dialog/coordinates.h"
#include "exceptions/dialog/custom_look_win32.h"
#include "exceptions/dialog/custom_tabs_win32.h"
#include "exceptions/dialog/dialog_handles_win32.h"
#include "exceptions/dialog/dialog_layout.h"
#include "exceptions/dialog/dialog_pages_win32.h"

class TErrorDialog {
 public:
  // What DialogBoxParam returns for a dialog that closed itself because it never painted.
  static constexpr INT_PTR kNeverPainted = 0;

  TErrorDialog(const TErrorDialogInput& input, HMODULE resources, std::string richEditClass);
  ~TErrorDialog();
  TErrorDialog(const TErrorDialog&) = delete;
  TErrorDialog& operator=(const TErrorDialog&) = delete;

  // Runs the dialog modally; DialogBoxParam's result (-1: it could not be made).
  INT_PTR Run();
  bool Painted() const { return painted_; }
  // Overrides the options' details-at-start flag (a dialog shown again after a cancelled
  // termination opens as the user left it).
  void StartWithDetails(bool details) { detailsOverride_ = details ? 1 : 0; }
  bool DetailsShown() const { return details_; }
  const TErrorDialogResult& Result() const { return result_; }

 private:
  enum : UINT_PTR { kPaintCheckTimer = 0x5101, kKeepOnTopTimer = 0x5103 };

  static INT_PTR CALLBACK Proc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR Answer(LRESULT result);  // a message whose result goes through DWLP_MSGRESULT

  void Init();
  void SetLook();
  void SetTexts();
  void SetBoxes();
  void MakeTabs();
  void MeasureTemplate();
  void PlaceInitially();
  void RecordWindows();

  TDialogLayout ComputeLayout(int clientWidth, int clientHeight);
  void ApplyLayout(const TDialogLayout& l);
  void Relayout();
  void SetFrameStyle();
  SIZE WindowSizeFor(int clientWidth, int clientHeight) const;
  SIZE ClientSizeFor(int windowWidth, int windowHeight) const;

  void ShowSelectedPage();
  void ToggleDetails();
  void SaveState();
  void Close(bool terminate);
  void OpenSupport();
  void KeepOnTop();
  void Paint();
  void UserAction();

  const TErrorDialogInput& in_;
  HMODULE resources_;
  std::string richEditClass_;
  HWND w_ = nullptr;
  TDialogBoxes boxes_;
  std::vector<TDialogTab> tabs_;
  std::vector<std::unique_ptr<TDialogPage>> pages_;
  TDialogMetrics metrics_;
  TDialogLayout layout_;
  TDialogCoordinates coords_;
  std::string coordinatesFile_;
  std::unique_ptr<TCustomLook> look_;
  std::unique_ptr<TCustomTabs> customTabs_;
  std::unique_ptr<TAutoClose> autoClose_;
  std::set<HWND> recorded_;  // the process's top-level windows when the dialog opened
  TFontHandle font_, linkFont_;
  TImageListHandle errorPicture_, rowPictures_;
  HWND link_ = nullptr;
  bool details_ = false;
  bool pinned_ = false;
  bool painted_ = false;
  bool closing_ = false;
  bool ready_ = false;
  int detailsOverride_ = -1;  // measured: layouts can be made
  TErrorDialogResult result_;
};
