// TReportSnapshot: everything one report is written from, as plain data.
//
// The report text, the log checks, the XML export and the renderings read only this; they
// never call the operating system, so tests fill a snapshot by hand and compare the text with
// expected files.
//
// Who fills what in the program:
//   application, system, activeControls  the system-facts gatherer (system_facts_win32.h),
//                                       once per report, before any thread is suspended
//   exception                           the report pipeline, from the captured exception
//   threads                             the pipeline from its copy of the thread list (id,
//                                       priority, class, main/running), each with the entries
//                                       the call-stack walker produced for that thread, in walk
//                                       order, the reported thread first; the writer applies
//                                       the display mask itself
//   modules                             the module list, sorted by handle
//   cpu                                 the reported thread's register context and the memory
//                                       at its ESP and EIP, read when the report is made
//   customData, reproduceText           the custom-data handlers and the request dialog
//   settings                            ReportSettingsFrom(options of the module that raised)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exceptions/options/option_fields.h"

class TQuillonModuleOptions;

// A local date-time with the zone it was taken in. `valid` false prints as an empty value.
struct TReportDateTime {
  bool valid = false;
  int year = 0, month = 0, day = 0;  // month 1 to 12
  int hour = 0, minute = 0, second = 0;
  int dayOfWeek = 0;    // 0 Sunday to 6 Saturday
  int biasMinutes = 0;  // local time minus UTC: +60 is one hour east

  // From a calendar date (the day of the week is computed).
  static TReportDateTime Make(int year, int month, int day, int hour, int minute, int second,
                              int biasMinutes);
  // From seconds since 1970-01-01 UTC, shown in the zone `biasMinutes` east of UTC.
  static TReportDateTime FromUnix(int64_t utcSeconds, int biasMinutes);
  bool operator==(const TReportDateTime&) const = default;
};

// Console and web programs have no active form; the report leaves that block out for them.
enum class TReportProgramKind { pkGui, pkConsole, pkWeb };

struct TReportApplication {
  TReportDateTime startDate;
  std::string modulePath;   // full name of the program file
  std::string description;  // its version resource's file description
  std::string version;      // its file version, "" when it has none; the log's version check uses it
  std::vector<std::string> parameters;  // command-line arguments, without the program name
  TReportDateTime compilationDate;      // link time in local time; invalid when unknown
  TReportProgramKind programKind = TReportProgramKind::pkGui;
};

struct TReportException {
  TReportDateTime date;
  uint32_t address = 0;
  std::string module;                   // name (or full name) of the module that holds the address
  std::optional<std::string> typeName;  // class name; none for an object of unknown class
  std::optional<std::string> message;   // none when the object is not an exception
  uint32_t threadId = 0;                // the reported thread
};

struct TReportActiveControls {
  std::string formClass, formText, controlClass, controlText;
};

struct TReportComputer {
  std::string name, user;
  uint64_t totalMemory = 0, freeMemory = 0;  // bytes of physical memory
  uint64_t totalDisk = 0, freeDisk = 0;      // bytes on the program's drive
  uint64_t upTimeMs = 0;
  std::string processor;  // "" prints as "Unknown processor"
  int displayWidth = 0, displayHeight = 0, displayBits = 0;
};

struct TReportOperatingSystem {
  uint32_t platformId = 2;  // 1 the old consumer line (95, 98, ME), 2 NT
  uint32_t major = 0, minor = 0, build = 0;
  bool server = false;      // a server product of the same version numbers
  std::string servicePack;  // the system's service-pack text, or its release name where there is none
  std::string language;
};

struct TReportNetwork {
  std::string ipAddress, subnetMask, gateway, dns1, dns2, dhcp;  // empty when unknown
};

struct TReportSystemFacts {
  TReportComputer computer;
  TReportOperatingSystem os;
  TReportNetwork network;
};

// One call-stack entry as the walker resolves it.
struct TReportStackEntry {
  uint8_t kind =
      0;  // 0 hidden or unresolved, 1 known module only, 2 plain export, 3 decorated export, 4 debug info
  std::string module;  // module name or full name (the table shows the file name)
  uint32_t address = 0;
  std::string unitName, className, procedureName;
  uint32_t line = 0;        // 0 when unknown
  uint32_t lineOffset = 0;  // lines from the procedure's first line
};

struct TReportThread {
  uint32_t id = 0;
  int priority = 0;       // the system's thread priority value
  std::string className;  // the thread object's class when known
  bool main = false;      // the process's main thread
  bool running = false;   // walked as another, running thread
  std::vector<TReportStackEntry> entries;
};

struct TReportModule {
  uint32_t handle = 0;
  std::string path;  // full name; the table's Name column is its file name
  std::string description, version;
  uint64_t size = 0;
  TReportDateTime modified;
};

struct TReportRegisters {
  bool known = false;  // false prints "????    " for each
  uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0, esi = 0, edi = 0, esp = 0, eip = 0;
};

constexpr int16_t kUnreadableByte = -1;
// Bytes read from the reported process, each 0 to 255 or kUnreadableByte.
struct TReportMemory {
  uint32_t address = 0;
  std::vector<int16_t> bytes;
  // Whether the first `count` bytes were all read.
  bool Readable(size_t count) const;
};

struct TReportCpu {
  TReportRegisters registers;
  TReportMemory stack;  // from ESP, 64 bytes for the dump
  TReportMemory code;   // from EIP, 256 bytes for the dump
};

// The options a report reads, copied from the options of the module that raised.
struct TReportSettings {
  TCustomizedTexts texts = DefaultQuillonTexts();
  uint64_t generalItems = kAllGeneralItems;  // bit k shows item k of the general section
  uint8_t stackFlags = 0x0F;                 // library/package frames, line offsets
  uint8_t contentFlags = 0x30;               // modules and CPU sections, no-duplicates
  uint8_t checkFlags = 0;                    // the log's version check
  int logCapacity = 32;

  const std::string& Text(int index) const { return texts[static_cast<size_t>(index)]; }
  bool ItemShown(int k) const { return k >= 0 && k < 40 && ((generalItems >> k) & 1) != 0; }
};

TReportSettings ReportSettingsFrom(const TQuillonModuleOptions& options);

struct TReportSnapshot {
  TReportApplication application;
  TReportException exception;
  TReportActiveControls activeControls;
  TReportSystemFacts system;
  std::vector<TReportThread> threads;
  std::vector<TReportModule> modules;
  TReportCpu cpu;
  std::vector<std::string> customData;  // lines from the custom-data handlers
  std::string reproduceText;            // the user's steps to reproduce, "" when none
  TReportSettings settings;
};
