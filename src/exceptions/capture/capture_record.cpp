#include "exceptions/capture/capture_record.h"

#include <cstdlib>
#include <vector>

#include "framework/exception.h"

namespace {

std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return s;
}

}  // namespace

std::string FormatCaptureRecord(const TCaptureRecord& r) {
  return "capture\tclass=" + OneLine(r.className) + Format("\taddress=%08x\trva=%08x", r.address, r.rva) +
         "\tmodule=" + OneLine(r.module) +
         Format("\tthread=%08x\tmain=%d\traiser=%d\thandler=%d\tsnapshot=%u\teip=%08x\tesp=%08x", r.threadId,
                r.mainThread ? 1 : 0, r.raiserKind, r.handlerKind, r.snapshotSize, r.eip, r.esp) +
         "\tmessage=" + OneLine(r.message);
}

bool ParseCaptureRecord(const std::string& line, TCaptureRecord& out) {
  std::string text = line;
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  std::vector<std::string> fields;
  for (size_t start = 0;;) {
    size_t tab = text.find('\t', start);
    fields.push_back(text.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  if (fields.empty() || fields[0] != "capture") return false;
  TCaptureRecord r;
  auto hex = [](const std::string& v) { return static_cast<unsigned>(std::strtoul(v.c_str(), nullptr, 16)); };
  for (size_t i = 1; i < fields.size(); ++i) {
    const std::string& field = fields[i];
    size_t eq = field.find('=');
    if (eq == std::string::npos) return false;
    std::string key = field.substr(0, eq), value = field.substr(eq + 1);
    if (key == "class")
      r.className = value;
    else if (key == "address")
      r.address = hex(value);
    else if (key == "rva")
      r.rva = hex(value);
    else if (key == "module")
      r.module = value;
    else if (key == "thread")
      r.threadId = hex(value);
    else if (key == "main")
      r.mainThread = value == "1";
    else if (key == "raiser")
      r.raiserKind = std::atoi(value.c_str());
    else if (key == "handler")
      r.handlerKind = std::atoi(value.c_str());
    else if (key == "snapshot")
      r.snapshotSize = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
    else if (key == "eip")
      r.eip = hex(value);
    else if (key == "esp")
      r.esp = hex(value);
    else if (key == "message")
      r.message = value;
  }
  out = r;
  return true;
}
