// Hand-built report snapshots for the report, log and export tests.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "exceptions/report/snapshot.h"

namespace reptest {

inline TReportStackEntry Entry(uint8_t kind, const char* module, uint32_t address, const char* unit,
                               const char* cls, const char* proc, uint32_t line = 0, uint32_t offset = 0) {
  TReportStackEntry e;
  e.kind = kind;
  e.module = module;
  e.address = address;
  e.unitName = unit;
  e.className = cls;
  e.procedureName = proc;
  e.line = line;
  e.lineOffset = offset;
  return e;
}

inline TReportModule Module(uint32_t handle, const char* path, const char* description, const char* version,
                            uint64_t size) {
  TReportModule m;
  m.handle = handle;
  m.path = path;
  m.description = description;
  m.version = version;
  m.size = size;
  m.modified = TReportDateTime::Make(2024, 11, 30, 18, 2, 9, 480);
  return m;
}

// A report as the program makes one: every section filled, every kind of stack entry, three
// threads, readable memory.
inline TReportSnapshot SampleSnapshot() {
  TReportSnapshot s;
  TReportApplication& a = s.application;
  a.startDate = TReportDateTime::Make(2024, 12, 3, 9, 5, 7, 480);
  a.modulePath = "C:\\Program Files\\Netvosk\\netvosk.exe";
  a.description = "Netvosk IP 切换";
  a.version = "2.1.0.0";
  a.compilationDate = TReportDateTime::Make(2024, 11, 30, 18, 0, 0, 480);

  TReportException& e = s.exception;
  e.date = TReportDateTime::Make(2024, 12, 3, 9, 15, 42, 480);
  e.address = 0x00401A2B;
  e.module = a.modulePath;
  e.typeName = "EAccessViolation";
  e.message = "Access violation at address 00401A2B in module 'netvosk.exe'. Read of address 00000000";
  e.threadId = 1204;

  s.activeControls = {"TForm1", "Netvosk2.1--免费版", "TButton", "设置"};

  TReportComputer& c = s.system.computer;
  c.name = "WORKSTATION-7";
  c.user = "zhang";
  c.totalMemory = 8ull << 30;
  c.freeMemory = 3650ull << 20;
  c.totalDisk = 250ull << 30;
  c.freeDisk = (975ull << 30) / 10;
  c.upTimeMs = ((2 * 24 + 3) * 3600 + 14 * 60 + 5) * 1000ull;
  c.processor = "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz - x86 Family 6 Model 142 Stepping 10";
  c.displayWidth = 1920;
  c.displayHeight = 1080;
  c.displayBits = 32;
  s.system.os = {2, 10, 0, 19045, false, "22H2", "Chinese (People's Republic of China)"};
  s.system.network = {"192.168.1.23", "255.255.255.0", "192.168.1.1", "192.168.1.1", "8.8.8.8", "Yes"};

  TReportThread main;
  main.id = 1204;
  main.main = true;
  main.entries = {
      Entry(4, a.modulePath.c_str(), 0x00401A2B, "main_form.cpp", "TForm1", "Button2Click", 212, 14),
      Entry(0, a.modulePath.c_str(), 0x00401A2B, "", "", ""),  // a duplicate the walker hid
      Entry(2, "C:\\windows\\system32\\user32.dll", 0x7E368734, "", "", "CallWindowProcA"),
      Entry(1, "C:\\windows\\system32\\user32.dll", 0x7E369000, "", "", ""),
      Entry(4, a.modulePath.c_str(), 0x00405C10, "controls_win32.cpp", "TButton", "Click", 88, 3),
      Entry(4, a.modulePath.c_str(), 0x00402000, "application_win32.cpp", "TApplication", "Run", 140, 0),
  };
  TReportThread sender;
  sender.id = 2216;
  sender.priority = 2;
  sender.className = "TSendThread";
  sender.running = true;
  sender.entries = {
      Entry(4, a.modulePath.c_str(), 0x00431000, "send_thread.cpp", "TSendThread", "Execute", 57, 9),
      Entry(3, "C:\\windows\\system32\\kernel32.dll", 0x7C80B729, "kernel32.cpp", "", "BaseThreadStart"),
  };
  TReportThread waiter;
  waiter.id = 3300;
  waiter.priority = -1;
  waiter.entries = {Entry(4, a.modulePath.c_str(), 0x00440100, "watchdog.cpp", "", "WatchLoop", 31, 2)};
  s.threads = {main, sender, waiter};

  s.modules = {
      Module(0x00400000, a.modulePath.c_str(), "Netvosk IP 切换", "2.1.0.0", 1482752),
      Module(0x7C800000, "C:\\windows\\system32\\kernel32.dll", "Windows NT BASE API Client DLL",
             "5.1.2600.5781", 989696),
      Module(0x7E360000, "C:\\windows\\system32\\user32.dll", "Windows XP USER API Client DLL",
             "5.1.2600.5512", 580608),
  };

  TReportCpu& cpu = s.cpu;
  cpu.registers = {true,       0x00A3F2C0, 0x00000001, 0x0012FF60, 0x00000000,
                   0x00A3F2C0, 0x0012FE10, 0x0012FE04, 0x00401A2B};
  cpu.stack.address = 0x0012FE04;
  for (int i = 0; i < 64; ++i) cpu.stack.bytes.push_back(static_cast<int16_t>((i * 37 + 5) & 0xFF));
  cpu.code.address = 0x00401A2B;
  const char* code =
      "U\x8B\xEC\x83\xC4\xF0SVW3\xC0\x89"
      "E\xF0hello world{}|\\\x01\x7F";
  for (int i = 0; i < 256; ++i)
    cpu.code.bytes.push_back(static_cast<int16_t>(static_cast<uint8_t>(code[i % 31])));
  return s;
}

// A report of the size the measurements use: `rows` call-stack entries over three threads and
// `modules` modules.
inline TReportSnapshot LargeSnapshot(int rows, int modules) {
  TReportSnapshot s = SampleSnapshot();
  for (TReportThread& t : s.threads) t.entries.clear();
  for (int i = 0; i < rows; ++i) {
    std::string unit = "unit_" + std::to_string(i % 17) + "_win32.cpp";
    std::string proc = "Procedure" + std::to_string(i);
    s.threads[i * 3 / rows].entries.push_back(Entry(4, s.application.modulePath.c_str(),
                                                    0x00401000u + i * 0x40, unit.c_str(), "TSomeClass",
                                                    proc.c_str(), 100 + i, i % 7));
  }
  s.modules.clear();
  for (int i = 0; i < modules; ++i) {
    std::string path = "C:\\windows\\system32\\module" + std::to_string(i) + ".dll";
    s.modules.push_back(Module(0x10000000u + i * 0x100000, path.c_str(), "A system library of some kind",
                               "6.1.7601.17514", 100000 + i * 1000));
  }
  return s;
}

// The expected files live in tests/data/reports; NV_UPDATE_GOLDEN=1 writes them anew.
inline std::string GoldenPath(const std::string& name) {
  return std::string(NV_SOURCE_DIR) + "/tests/data/reports/" + name;
}

inline std::string ReadGolden(const std::string& name) {
  std::ifstream in(GoldenPath(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool UpdatingGoldens() {
  const char* v = std::getenv("NV_UPDATE_GOLDEN");
  return v && *v == '1';
}

inline void WriteGolden(const std::string& name, const std::string& text) {
  std::ofstream(GoldenPath(name), std::ios::binary) << text;
}

}  // namespace reptest
