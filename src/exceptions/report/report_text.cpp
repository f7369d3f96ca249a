#include "exceptions/report/report_text.h"

#include <cstdio>

#include "exceptions/options/module_options.h"
#include "exceptions/report/log_item.h"
#include "exceptions/report/report_format.h"
#include "exceptions/report/text_table.h"

namespace {
using S = TReportSnapshot;

std::string nameAndDescription(const S& s) {
  std::string name(ReportFileName(s.application.modulePath));
  if (s.application.description.empty()) return name;
  return name + " - " + s.application.description;
}

std::string parameters(const S& s) {
  std::string out;
  for (const std::string& p : s.application.parameters) {
    if (!out.empty()) out += ' ';
    out += '"' + p + '"';
  }
  return out;
}

std::string processor(const S& s) {
  return s.system.computer.processor.empty() ? std::string("Unknown processor") : s.system.computer.processor;
}

// One general item: its header block, its label in the text table, and its value.
struct GeneralItem {
  int headerText;
  int labelText;
  std::string (*value)(const S&);
};

// In show-flag order: entry k is bit k of the general items.
const GeneralItem kGeneralItems[] = {
    {22, 23, [](const S& s) { return FormatReportDate(s.application.startDate); }},
    {22, 24, nameAndDescription},
    {22, 25, [](const S& s) { return s.application.version; }},
    {22, 26, parameters},
    {22, 27, [](const S& s) { return FormatReportDate(s.application.compilationDate); }},
    {28, 29, [](const S& s) { return FormatReportDate(s.exception.date); }},
    {28, 30, [](const S& s) { return Hex8(s.exception.address); }},
    {28, 31, [](const S& s) { return std::string(ReportFileName(s.exception.module)); }},
    {28, 32, [](const S& s) { return s.exception.typeName.value_or("Unknown exception type."); }},
    {28, 33, [](const S& s) { return ReportMessageText(s.exception); }},
    {34, 35, [](const S& s) { return s.activeControls.formClass; }},
    {34, 36, [](const S& s) { return s.activeControls.formText; }},
    {34, 37, [](const S& s) { return s.activeControls.controlClass; }},
    {34, 38, [](const S& s) { return s.activeControls.controlText; }},
    {39, 40, [](const S& s) { return s.system.computer.name; }},
    {39, 41, [](const S& s) { return s.system.computer.user; }},
    {39, 42, [](const S& s) { return FormatMemory(s.system.computer.totalMemory); }},
    {39, 43, [](const S& s) { return FormatMemory(s.system.computer.freeMemory); }},
    {39, 44, [](const S& s) { return FormatDisk(s.system.computer.totalDisk); }},
    {39, 45, [](const S& s) { return FormatDisk(s.system.computer.freeDisk); }},
    {39, 46, [](const S& s) { return FormatUpTime(s.system.computer.upTimeMs); }},
    {39, 47, processor},
    {39, 48,
     [](const S& s) {
       const TReportComputer& c = s.system.computer;
       return FormatDisplayMode(c.displayWidth, c.displayHeight, c.displayBits);
     }},
    {49, 50, [](const S& s) { return OperatingSystemName(s.system.os); }},
    {49, 51, [](const S& s) { return OperatingSystemBuild(s.system.os); }},
    {49, 52, [](const S& s) { return std::string(TrimReportValue(s.system.os.servicePack)); }},
    {49, 53, [](const S& s) { return s.system.os.language; }},
    {54, 55, [](const S& s) { return s.system.network.ipAddress; }},
    {54, 56, [](const S& s) { return s.system.network.subnetMask; }},
    {54, 57, [](const S& s) { return s.system.network.gateway; }},
    {54, 58, [](const S& s) { return s.system.network.dns1; }},
    {54, 59, [](const S& s) { return s.system.network.dns2; }},
    {54, 60, [](const S& s) { return s.system.network.dhcp; }},
};

constexpr int kActiveControlsHeader = 34;

std::string lineCell(const TReportStackEntry& e, uint8_t stackFlags) {
  if (e.line == 0) return std::string();
  std::string s = std::to_string(e.line);
  if (stackFlags & skLineOffsets) {
    s += '[';
    s += std::to_string(e.lineOffset);
    s += ']';
  }
  return s;
}

// A titled block of free text (custom data, steps to reproduce). Empty lines become "." so
// that nothing a user types can end the report early in the log.
std::string freeSection(const std::string& title, std::string_view text) {
  std::string out = title + ":\r\n" + std::string(title.size() + 1, '-') + "\r\n";
  for (const std::string& l : FreeTextLines(text)) out += l + "\r\n";
  return out + "\r\n";
}

void appendDumpLine(std::string& out, const TReportCpu& cpu, int line) {
  const auto byteAt = [](const TReportMemory& m, size_t i) { return static_cast<uint8_t>(m.bytes[i]); };
  size_t so = static_cast<size_t>(line) * 4, co = static_cast<size_t>(line) * 16;
  uint32_t word = byteAt(cpu.stack, so) | byteAt(cpu.stack, so + 1) << 8 | byteAt(cpu.stack, so + 2) << 16 |
                  static_cast<uint32_t>(byteAt(cpu.stack, so + 3)) << 24;
  out += Hex8(cpu.stack.address + static_cast<uint32_t>(so)) + ": " + Hex8(word) + "   " +
         Hex8(cpu.code.address + static_cast<uint32_t>(co)) + ": ";
  char hex[4];
  for (size_t i = 0; i < 16; ++i) {
    std::snprintf(hex, sizeof hex, " %02X", byteAt(cpu.code, co + i));
    out += hex;
  }
  out += ' ';
  for (size_t i = 0; i < 16; ++i) {
    uint8_t b = byteAt(cpu.code, co + i);
    out += b < 32 || b > 126 ? '.' : static_cast<char>(b);
  }
  out += "\r\n";
}
}  // namespace

bool StackEntryShown(uint8_t kind, uint8_t stackFlags) {
  return kind == 4 || (kind == 2 && (stackFlags & skLibraryFrames)) ||
         (kind == 3 && (stackFlags & skPackageFrames));
}

std::string ReportMessageText(const TReportException& e) {
  if (!e.message) return "Unknown error message.";
  std::string m = *e.message;
  while (!m.empty() && (m.back() == '\r' || m.back() == '\n' || m.back() == ' ')) m.pop_back();
  if (m.empty() || m.back() != '.') m += '.';
  return m;
}

std::string EmptySectionText(const std::string& title) {
  return title + ":\r\n" + std::string(title.size() + 1, '-') + "\r\n\r\n";
}

std::string GeneralSectionText(const S& s) {
  TLogItem log;
  int header = -1;
  for (size_t k = 0; k < std::size(kGeneralItems); ++k) {
    const GeneralItem& it = kGeneralItems[k];
    if (it.headerText != header) {
      header = it.headerText;
      log.AddHeader(s.settings.Text(header));
    }
    bool shown = s.settings.ItemShown(static_cast<int>(k));
    if (header == kActiveControlsHeader && s.application.programKind != TReportProgramKind::pkGui)
      shown = false;
    log.AddItem(s.settings.Text(it.labelText), shown ? it.value(s) : std::string(), shown);
  }
  return std::string(kReportProductLine) + "\r\n\r\n" + log.Text();
}

std::string ThreadCaption(const TReportThread& t, uint32_t exceptionThreadId, const TReportSettings& st) {
  int kindText = t.id == exceptionThreadId ? 69 : t.running ? 70 : 71;
  std::string c = st.Text(kindText) + ": " + st.Text(72) + "=" + std::to_string(t.id) + "; " + st.Text(73) +
                  "=" + ThreadPriorityName(t.priority);
  if (!t.className.empty()) c += "; " + st.Text(74) + "=" + t.className;
  if (t.main) c += "; [" + st.Text(68) + "]";
  return c;
}

std::string CallStackSectionText(const S& s) {
  const TReportSettings& st = s.settings;
  TTextTable table({st.Text(62), st.Text(63), st.Text(64), st.Text(65), st.Text(66), st.Text(67)}, {8});
  for (const TReportThread& t : s.threads) {
    bool first = true;
    for (const TReportStackEntry& e : t.entries) {
      if (!StackEntryShown(e.kind, st.stackFlags)) continue;
      if (first) table.AddCaption(ThreadCaption(t, s.exception.threadId, st));
      first = false;
      table.AddRow({Hex8(e.address), std::string(ReportFileName(e.module)), e.unitName, e.className,
                    e.procedureName, lineCell(e, st.stackFlags)});
    }
  }
  return st.Text(7) + ":\r\n" + table.Text() + "\r\n";
}

std::string ModulesSectionText(const S& s) {
  const TReportSettings& st = s.settings;
  if (!(st.contentFlags & rcModules)) return EmptySectionText(st.Text(9));
  // The handle shows as many hexadecimal digits as its column is wide.
  int handleDigits = static_cast<int>(std::max<size_t>(8, st.Text(84).size()));
  TTextTable table(
      {st.Text(84), st.Text(85), st.Text(86), st.Text(87), st.Text(88), st.Text(89), st.Text(90)},
      {static_cast<size_t>(handleDigits)});
  char handle[64];
  for (const TReportModule& m : s.modules) {
    std::snprintf(handle, sizeof handle, "%0*X", handleDigits, static_cast<unsigned>(m.handle));
    table.AddRow({handle, std::string(ReportFileName(m.path)), m.description, m.version,
                  std::to_string(m.size), FormatModuleDate(m.modified), m.path});
  }
  return st.Text(9) + ":\r\n" + table.Text() + "\r\n";
}

std::string CpuSectionText(const S& s) {
  const TReportSettings& st = s.settings;
  if (!(st.contentFlags & rcCPU)) return EmptySectionText(st.Text(91));
  const TReportRegisters& r = s.cpu.registers;
  auto reg = [&](uint32_t v) { return r.known ? Hex8(v) : std::string("????    "); };
  std::string stackTitle = st.Text(92) + ":";
  if (stackTitle.size() < 21) stackTitle.append(21 - stackTitle.size(), ' ');
  std::string out = st.Text(91) + ":\r\n-----------------------------\r\n";
  out += "EAX: " + reg(r.eax) + "   EDI: " + reg(r.edi) + "\r\n";
  out += "EBX: " + reg(r.ebx) + "   ESI: " + reg(r.esi) + "\r\n";
  out += "ECX: " + reg(r.ecx) + "   ESP: " + reg(r.esp) + "\r\n";
  out += "EDX: " + reg(r.edx) + "   EIP: " + reg(r.eip) + "\r\n\r\n";
  out += stackTitle + st.Text(93) + ":\r\n";
  out +=
      "------------------   ---------------------------------------------------------------------------\r\n";
  // Half a dump would mislead: all of it or nothing.
  if (s.cpu.stack.Readable(64) && s.cpu.code.Readable(256))
    for (int line = 0; line < 16; ++line) appendDumpLine(out, s.cpu, line);
  return out;
}

std::string BuildReportText(const S& s) {
  std::string out = GeneralSectionText(s);
  out.reserve(out.size() + 256 * (s.modules.size() + 16) + 128 * s.threads.size());
  out += "\r\n";
  out += CallStackSectionText(s);
  out += ModulesSectionText(s);
  out += CpuSectionText(s);
  bool custom = !s.customData.empty(), reproduce = !TrimReportValue(s.reproduceText).empty();
  if ((custom || reproduce) && out.compare(out.size() - 4, 4, "\r\n\r\n") != 0) out += "\r\n";
  if (custom) {
    std::string text;
    for (const std::string& l : s.customData) text += l + "\r\n";
    out += freeSection(s.settings.Text(61), text);
  }
  if (reproduce) out += freeSection(s.settings.Text(81), s.reproduceText);
  return out;
}

TReportKey ReportKeyOf(const S& s) {
  // Items 2.2 to 2.5 are entries 6 to 9 of the table; their values, shown or not.
  TReportKey k;
  k.address = ItemValueAsStored(kGeneralItems[6].value(s));
  k.module = ItemValueAsStored(kGeneralItems[7].value(s));
  k.type = ItemValueAsStored(kGeneralItems[8].value(s));
  k.message = ItemValueAsStored(kGeneralItems[9].value(s));
  return k;
}
