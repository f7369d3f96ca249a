// What the error dialog shows and what it hands back, as plain data.
//
// The report pipeline fills a TErrorDialogInput from the report it made (message, the rich
// texts of the General and CPU pages, the call stacks by thread, the module rows, the custom
// data lines) and from the options of the module that raised; the dialog reads nothing else.
// Tests and the demo program fill one by hand.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "exceptions/options/option_fields.h"

// The options the dialogs read, copied from the options of the module that raised.
struct TDialogOptions {
  TCustomizedTexts texts = DefaultQuillonTexts();
  uint8_t dialogFlags = 0x1F;         // dg… bits
  uint8_t initialTab = 0;             // 0 General, 1 Call Stack, 2 Modules, 3 CPU, 4 Other
  uint8_t reportContentFlags = 0x30;  // rc… bits: modules and CPU sections, reproduce request
  uint8_t stackFlags = 0x0F;          // sk… bits: which entries the call stack shows
  uint8_t mailMethod = 0;             // TQuillonMailMethod
  uint8_t uploadMethod = 0;           // TQuillonUploadMethod
  uint8_t sendFlags = 0x51;           // sn… bits: snScreenshot offers the screenshot box
  uint8_t terminateAction = 1;        // TQuillonTerminateAction: the Kill button's text
  int closeAfterSecs = 0;             // seconds without input before the dialog closes; 0 never
  std::string supportAddress;         // opened by the support link; "" hides the link
};

TDialogOptions DialogOptionsFrom(const TQuillonOptionValues& values);

// The small pictures of the list rows.
enum TDialogImage : uint8_t { diNone, diLibrary, diPackage, diFramework, diSource };

// One call-stack entry as the walker resolved it.
struct TDialogStackEntry {
  uint8_t kind = 4;  // 0 hidden/unresolved, 1 module only, 2 plain export, 3 decorated export, 4 debug info
  bool executableModule = true;  // the entry lies in an executable rather than a library
  TDialogImage image = diSource;
  uint32_t address = 0;
  std::string module;      // the module's file name (the Module column)
  std::string modulePath;  // its full name, sent to a listening development environment
  std::string unitName, className, procedureName;
  uint32_t line = 0;        // 0 when unknown
  uint32_t lineOffset = 0;  // lines from the procedure's first line
  // Two words of the module's debug-information header (its link date), sent with the line.
  std::array<uint32_t, 2> debugHeader{};
};

// The entries of one thread, under the caption row the report gives it
// ("Exception Thread: ID=…; Priority=…").
struct TDialogThread {
  std::string caption;
  std::vector<TDialogStackEntry> entries;
};

// One module row: Handle, Name, Description, Version, Size, Modified, Path, as the report's
// modules table writes them.
struct TDialogModule {
  std::array<std::string, 7> columns;
  TDialogImage image = diLibrary;
};

struct TErrorDialogInput {
  std::string message;     // the exception's message, shown under text 3
  std::string generalRtf;  // rich text of the General page
  std::string cpuRtf;      // rich text of the CPU page
  std::vector<TDialogThread> threads;
  std::vector<TDialogModule> modules;
  std::vector<std::string> customData;  // lines of the Other page; none hides it
  TDialogOptions options;
  bool duplicate = false;      // the log already holds this report: nothing is offered for sending
  bool offerTerminate = true;  // the Kill button is shown (option and error count allow it)
  // The window-place file ("QuillonLog.ini"); "" puts it beside the program.
  std::string coordinatesFile;
};

struct TErrorDialogResult {
  bool sendChecked = false;
  bool screenshotChecked = false;
  bool copyChecked = false;
  bool terminateChosen = false;
  bool shown = false;  // false: the dialog never painted and the message box stood in for it
};
