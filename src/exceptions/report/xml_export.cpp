#include "exceptions/report/xml_export.h"

#include <cstdio>

#include "exceptions/options/password_scramble.h"
#include "exceptions/report/report_reader.h"

namespace {
// Attribute names of the general items by block and item number; numbers never move.
const char* const kItemNames[6][9] = {
    {"StartDate", "NameDescription", "VersionNumber", "Parameters", "CompilationDate"},
    {"Date", "Address", "Module", "Type", "Message"},
    {"FormClass", "FormText", "ControlClass", "ControlText"},
    {"ComputerName", "User", "TotalMemory", "FreeMemory", "TotalDisk", "FreeDisk", "SystemUpTime",
     "Processor", "DisplayMode"},
    {"OSType", "OSBuild", "OSUpdate", "OSLanguage"},
    {"IPAddress", "Submask", "Gateway", "DNS1", "DNS2", "DHCP"},
};

struct Converter {
  const TXmlExportOptions& o;
  std::string operator()(std::string_view s) const { return o.toUtf8 ? o.toUtf8(s) : std::string(s); }
};

std::string cell(const TParsedTable::Row& r, size_t i) {
  return i < r.cells.size() ? r.cells[i] : std::string();
}

// "Exception Thread: ID=1234; Priority=Normal; Class=TWorker; [Main]"
TXMLItem& threadElement(TXMLItem& callStack, const std::string& caption, const TCustomizedTexts& texts,
                        const Converter& conv) {
  size_t colon = caption.find(": ");
  std::string kind = caption.substr(0, colon);
  const char* name = kind == texts[69]   ? "ExceptionThread"
                     : kind == texts[70] ? "RunningThread"
                                         : "CallingThread";
  TXMLItem& t = callStack.AddChild(name);
  if (colon == std::string::npos) return t;
  std::string rest = caption.substr(colon + 2);
  // The fields keep their order (ID, priority, class) whatever the texts call them.
  int field = 0;
  bool main = false;
  std::string priority;
  for (size_t p = 0; p <= rest.size();) {
    size_t end = rest.find("; ", p);
    if (end == std::string::npos) end = rest.size();
    std::string part = rest.substr(p, end - p);
    p = end + 2;
    if (!part.empty() && part[0] == '[') {
      main = true;
      continue;
    }
    size_t eq = part.find('=');
    std::string value = eq == std::string::npos ? part : part.substr(eq + 1);
    if (field == 0)
      t.AddAttribute("ID", conv(value));
    else if (field == 1)
      priority = value;
    else if (field == 2)
      t.AddAttribute("Class", conv(value));
    ++field;
  }
  if (!priority.empty()) t.AddChild("Priority").SetText(conv(priority));
  if (main) t.AddChild("MainThread");
  return t;
}

void addCallStack(TXMLItem& log, const TParsedTable& table, const TCustomizedTexts& texts,
                  const Converter& conv) {
  TXMLItem& cs = log.AddChild("CallStack");
  TXMLItem* parent = &cs;
  for (const TParsedTable::Row& r : table.rows) {
    if (r.caption) {
      parent = &threadElement(cs, r.cells[0], texts, conv);
      continue;
    }
    TXMLItem& a = parent->AddChild("Address");
    a.AddAttribute("Value", conv(cell(r, 0)));
    a.AddChild("Module").SetText(conv(cell(r, 1)));
    TXMLItem& proc = a.AddChild("Procedure");
    if (!cell(r, 2).empty()) proc.AddAttribute("Unit", conv(cell(r, 2)));
    if (!cell(r, 3).empty()) proc.AddAttribute("Class", conv(cell(r, 3)));
    proc.SetText(conv(cell(r, 4)));
    std::string line = cell(r, 5);
    if (line.empty()) continue;
    size_t bracket = line.find('[');
    a.AddChild("Number").SetText(line.substr(0, bracket));
    if (bracket != std::string::npos) {
      std::string offset = line.substr(bracket + 1);
      if (!offset.empty() && offset.back() == ']') offset.pop_back();
      a.AddChild("Offset").SetText(offset);
    }
  }
}

void addModules(TXMLItem& log, const TParsedTable& table, const Converter& conv) {
  TXMLItem& ms = log.AddChild("Modules");
  for (const TParsedTable::Row& r : table.rows) {
    if (r.caption) continue;
    TXMLItem& m = ms.AddChild("Module");
    m.AddAttribute("Name", conv(cell(r, 1)));
    m.AddAttribute("Size", conv(cell(r, 4)));
    m.AddAttribute("Path", conv(cell(r, 6)));
    m.AddChild("Handle").SetText(conv(cell(r, 0)));
    m.AddChild("Description").SetText(conv(cell(r, 2)));
    m.AddChild("Version").SetText(conv(cell(r, 3)));
    m.AddChild("Modified").SetText(conv(cell(r, 5)));
  }
}

void addRegisters(TXMLItem& log, const TParsedReport& p, const Converter& conv) {
  TXMLItem& regs = log.AddChild("Registers");
  for (const auto& [name, value] : p.registers) regs.AddAttribute(conv(name), conv(value));
  for (const TParsedDumpLine& d : p.dump) {
    TXMLItem& m = regs.AddChild("MemoryDump");
    m.AddAttribute("Stack", d.stackAddress);
    m.AddAttribute("Value", d.stackWord);
    m.AddAttribute("Code", d.codeAddress);
    m.AddAttribute("Chars", d.chars);
    m.SetText(d.bytes);
  }
}

void addReport(TXMLItem& doc, const std::string& report, const TXmlExportOptions& o) {
  Converter conv{o};
  const TCustomizedTexts& texts = *o.texts;
  TParsedReport p = ParseReportText(report);
  TXMLItem& log = doc.AddChild("Log");
  log.AddAttribute("Version", conv(p.productVersion));
  TXMLItem& general = log.AddChild("General");
  for (const TParsedItem& it : p.items) general.AddAttribute(XmlItemName(it.header, it.item), conv(it.value));
  if (const TParsedSection* custom = p.Section(texts[61]))
    general.AddAttribute("CustomInformation", conv(FreeTextFromLines(custom->lines)));
  if (p.callStack) addCallStack(log, *p.callStack, texts, conv);
  if (p.modules) addModules(log, *p.modules, conv);
  if (p.hasCpu) addRegisters(log, p, conv);
  if (const TParsedSection* steps = p.Section(texts[81]))
    log.AddChild("HoToReproduce").SetText(conv(FreeTextFromLines(steps->lines)));
}

bool validName(std::string_view n) {
  if (n.empty()) return false;
  for (size_t i = 0; i < n.size(); ++i) {
    char c = n[i];
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    if (!letter && !(i > 0 && ((c >= '0' && c <= '9') || c == '-' || c == '.'))) return false;
  }
  return true;
}
}  // namespace

std::string XmlEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  char ref[8];
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '&' || c == '<' || c == '>' || c == '"' || c == '\'' || c == '\t' || c == '\r' || c == '\n') {
      std::snprintf(ref, sizeof ref, "&#%03u;", c);
      out += ref;
    } else if (c < 32) {
      out += '?';
    } else {
      out += ch;
    }
  }
  return out;
}

std::string XmlItemName(int header, int item) {
  if (header >= 1 && header <= 6 && item >= 1 && item <= 9 && kItemNames[header - 1][item - 1])
    return kItemNames[header - 1][item - 1];
  return "Item" + std::to_string(header) + "_" + std::to_string(item);
}

TXMLItem& TXMLItem::AddChild(std::string name) {
  children_.push_back(std::make_unique<TXMLItem>(std::move(name), this));
  return *children_.back();
}

void TXMLItem::AddAttribute(std::string_view name, std::string_view value) {
  // A register name read from a damaged report must not break the document.
  std::string n = validName(name) ? std::string(name) : "Value";
  attributes_ += ' ' + n + "=\"" + XmlEscape(value) + '"';
}

void TXMLItem::SetText(std::string_view text) { text_ = XmlEscape(text); }

std::string TXMLItem::Text(const std::string& indent) const {
  std::string out;
  AppendText(out, indent);
  return out;
}

void TXMLItem::AppendText(std::string& out, const std::string& indent) const {
  out += indent;
  out += '<';
  out += name_;
  out += attributes_;
  if (text_.empty() && children_.empty()) {
    out += "/>\r\n";
    return;
  }
  out += '>';
  out += text_;
  if (!children_.empty()) {
    out += "\r\n";
    const std::string inner = indent + "  ";
    for (const auto& c : children_) c->AppendText(out, inner);
    out += indent;
  }
  out += "</";
  out += name_;
  out += ">\r\n";
}

std::string XmlExport(const std::vector<std::string>& reports, const TXmlExportOptions& o) {
  std::string out = "<Doc";
  std::string password = o.password;
  if (password.empty() && o.passwordRequest) password = o.passwordRequest();
  if (!password.empty()) {
    // Never the password itself: its scrambled form, which our side can turn back to check
    // which password the sending module knew.
    std::string scrambled = ScramblePassword(password, "XmlExport");
    char b[3];
    out += " Password=\"";
    for (unsigned char c : scrambled) {
      std::snprintf(b, sizeof b, "%02X", c);
      out += b;
    }
    out += '"';
  }
  out += ">\r\n";
  for (const std::string& r : reports) {
    TXMLItem holder("Doc");
    addReport(holder, r, o);
    holder.Children().front()->AppendText(out, "  ");
  }
  return out + "</Doc>";
}
