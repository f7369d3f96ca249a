#include "exceptions/capture/internal_report.h"

#include "framework/exception.h"

std::string InternalReportText(const TInternalReportFacts& f) {
  std::string dump, stack;
  for (uint8_t b : f.dump) dump += Format("$%02X ", b);
  for (uintptr_t a : f.callStack) stack += Format("$%08X ", static_cast<unsigned>(a));
  const std::string lines[] = {
      "Version   : " + f.version,
      "Date      : " + f.date,
      "OS        : " + f.os,
      "RAD       : " + f.rad,
      "Dump      : " + dump,
      "Section   : " + f.section,
      "LastExcept: " + f.lastException,
      Format("Address   : $%08X", static_cast<unsigned>(f.address)),
      "Exception : " + f.exceptionClass,
      "Message   : " + f.message,
      "Call Stack: " + stack,
  };
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string InternalErrorDebugLine(const std::string& section, uintptr_t address,
                                   const std::string& message) {
  return Format("[ERROR] - Section: %s - Address: %08X - Message: \"%s\"", section.c_str(),
                static_cast<unsigned>(address), message.c_str());
}
