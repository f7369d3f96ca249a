// The internal report: what the reporter writes about a failure of its own, for its authors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TInternalReportFacts {
  std::string version, date, os;
  std::string rad;            // the development environment: none for this program
  std::vector<uint8_t> dump;  // up to 32 bytes at the failing address
  std::string section;
  std::string lastException;  // class and message of the last exception captured
  uintptr_t address = 0;
  std::string exceptionClass, message;
  std::vector<uintptr_t> callStack;
};

// Eleven lines, "Version   : ..." to "Call Stack: ...", joined with CR LF; dump bytes and
// call-stack addresses each written as "$" and hexadecimal digits followed by a blank.
std::string InternalReportText(const TInternalReportFacts& facts);

// The line the failure leaves in the debugger output.
std::string InternalErrorDebugLine(const std::string& section, uintptr_t address, const std::string& message);
