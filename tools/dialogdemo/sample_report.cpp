#include "sample_report.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace {
const char* const kProgram = "C:\\网络工具\\netvosk.exe";
const char* const kMessage = "Unable to write to C:\\网络工具\\ip.ini.";

using TLines = std::vector<std::pair<std::string, std::string>>;  // label (empty: a header) and value

std::string RtfText(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x80) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Rtf(const TLines& lines) {
  std::string s =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset134 Courier "
      "New;}}\r\n"
      "{\\colortbl "
      ";\\red0\\green100\\blue100;\\red0\\green0\\blue0;\\red40\\green40\\blue40;\\red0\\green0\\blue160;}"
      "\r\n"
      "\\pard\\tx3400\\f0\\fs16 ";
  for (const auto& [label, value] : lines) {
    if (label.empty())
      s += "\\cf1\\b " + RtfText(value) + "\\par\r\n";
    else
      s += "\\cf3\\b   " + RtfText(label) + "\\tab\\cf2\\b0 : " + RtfText(value) + "\\par\r\n";
  }
  return s + "}";
}

const TLines kGeneral = {
    {"", "Application:"},
    {"1.1 Start Date", "Tue, 9 Dec 2025 09:41:07 +0800"},
    {"1.2 Name/Description", "netvosk.exe - Netvosk IP profile switcher"},
    {"1.3 Version Number", "2.1.0.0"},
    {"1.4 Parameters", ""},
    {"1.5 Compilation Date", "Mon, 8 Dec 2025 18:02:44 +0800"},
    {"", "Exception:"},
    {"2.1 Date", "Tue, 9 Dec 2025 09:42:15 +0800"},
    {"2.2 Address", "00403A1C"},
    {"2.3 Module", "netvosk.exe"},
    {"2.4 Type", "EFCreateError"},
    {"2.5 Message", kMessage},
    {"", "Active Controls:"},
    {"3.1 Form Class", "TForm1"},
    {"3.2 Form Text", "Netvosk2.1--免费版"},
    {"3.3 Control Class", "TButton"},
    {"3.4 Control Text", "保存"},
    {"", "Computer:"},
    {"4.1 Name", "OFFICE-PC"},
    {"4.2 User", "admin"},
    {"4.3 Total Memory", "4096 Mb"},
    {"4.4 Free Memory", "2311 Mb"},
};

const TLines kCpu = {
    {"", "Registers:"},
    {"EAX", "0012F5A0   EDI: 00000000"},
    {"EBX", "00000001   ESI: 0012F7C4"},
    {"ECX", "7C80BE86   ESP: 0012F580"},
    {"EDX", "00403A1C   EIP: 00403A17"},
};

TDialogStackEntry Entry(uint8_t kind, bool exe, TDialogImage image, uint32_t address, const char* module,
                        const char* unit, const char* cls, const char* proc, uint32_t line, uint32_t offset) {
  TDialogStackEntry e;
  e.kind = kind;
  e.executableModule = exe;
  e.image = image;
  e.address = address;
  e.module = module;
  e.modulePath = exe ? kProgram : std::string("C:\\windows\\system32\\") + module;
  e.unitName = unit;
  e.className = cls;
  e.procedureName = proc;
  e.line = line;
  e.lineOffset = offset;
  e.debugHeader = {0x4D2A61C0u, 0x40E6B3A1u};
  return e;
}
}  // namespace

TErrorDialogInput SampleReport() {
  TErrorDialogInput in;
  in.message = kMessage;
  in.generalRtf = Rtf(kGeneral);
  in.cpuRtf = Rtf(kCpu);
  TDialogThread main;
  main.caption = "Exception Thread: ID=1408; Priority=0; Class=; [Main]";
  main.entries = {
      Entry(4, true, diSource, 0x00403A17, "netvosk.exe", "profile_store_win32.cpp", "TProfileStore", "Save",
            118, 9),
      Entry(4, true, diSource, 0x0040212B, "netvosk.exe", "main_form.cpp", "TForm1", "Button1Click", 86, 4),
      Entry(4, true, diFramework, 0x0041C0D2, "netvosk.exe", "std_controls_win32.cpp", "TButton", "Click", 40,
            2),
      Entry(4, true, diFramework, 0x0041B77E, "netvosk.exe", "controls_win32.cpp", "TWinControl", "WndProc",
            312, 27),
      Entry(2, false, diLibrary, 0x77D48734, "user32.dll", "", "", "CallWindowProcA", 0, 0),
      Entry(2, false, diLibrary, 0x77D48816, "user32.dll", "", "", "DispatchMessageA", 0, 0),
      Entry(4, true, diFramework, 0x004190AE, "netvosk.exe", "application_win32.cpp", "TApplication", "Run",
            95, 6),
      Entry(4, true, diSource, 0x00401655, "netvosk.exe", "main.cpp", "", "WinMain", 31, 12),
  };
  TDialogThread worker;
  worker.caption = "Running Thread: ID=1732; Priority=0; Class=TFreezeThread";
  worker.entries = {
      Entry(2, false, diLibrary, 0x7C802446, "kernel32.dll", "", "", "Sleep", 0, 0),
      Entry(4, true, diSource, 0x00455E20, "netvosk.exe", "freeze_watch.cpp", "TFreezeThread", "Execute", 64,
            11),
  };
  in.threads = {main, worker};
  in.modules = {
      {{"00400000", "netvosk.exe", "Netvosk IP profile switcher", "2.1.0.0", "1844736", "2025-12-08 18:02:44",
        kProgram},
       diFramework},
      {{"7C900000", "ntdll.dll", "NT Layer DLL", "5.1.2600.5512", "718336", "2008-04-14 00:00:00",
        "C:\\windows\\system32\\ntdll.dll"},
       diLibrary},
      {{"7C800000", "kernel32.dll", "Windows NT BASE API Client DLL", "5.1.2600.5512", "989696",
        "2008-04-14 00:00:00", "C:\\windows\\system32\\kernel32.dll"},
       diLibrary},
      {{"77D40000", "user32.dll", "Windows XP USER API Client DLL", "5.1.2600.5512", "578560",
        "2008-04-14 00:00:00", "C:\\windows\\system32\\user32.dll"},
       diLibrary},
      {{"77F10000", "gdi32.dll", "GDI Client DLL", "5.1.2600.5512", "286720", "2008-04-14 00:00:00",
        "C:\\windows\\system32\\gdi32.dll"},
       diLibrary},
      {{"5D090000", "comctl32.dll", "Common Controls Library", "5.82.2900.5512", "617472",
        "2008-04-14 00:00:00", "C:\\windows\\system32\\comctl32.dll"},
       diLibrary},
  };
  return in;
}

std::string SampleReportText(const TErrorDialogInput& in) {
  std::string s = "QuillonLog 5.1.11\r\n\r\n";
  for (const auto& [label, value] : kGeneral) {
    if (label.empty())
      s += (s.size() > 22 ? "\r\n" : "") + value + "\r\n-\r\n";
    else
      s += "  " + label + ": " + (label == "2.5 Message" ? in.message : value) + "\r\n";
  }
  return s;
}
