#include "exceptions/capture/fault_texts.h"

#include "framework/exception.h"

namespace {

struct Entry {
  uint32_t code;
  TFaultClass cls;
  bool convertible;
  const char* text;  // the message before " at address"
};

constexpr Entry kFaults[] = {
    {0xC0000005, TFaultClass::AccessViolation, true, "Access violation"},
    {0xC0000094, TFaultClass::DivByZero, true, "Division by zero"},
    {0xC0000095, TFaultClass::IntOverflow, true, "Integer overflow"},
    {0xC000008C, TFaultClass::IntOverflow, true, "Array bounds exceeded"},
    {0xC000008D, TFaultClass::InvalidOp, true, "Invalid floating point operation (denormal operand)"},
    {0xC000008E, TFaultClass::ZeroDivide, true, "Floating point division by zero"},
    {0xC000008F, TFaultClass::InvalidOp, true, "Invalid floating point operation (inexact result)"},
    {0xC0000090, TFaultClass::InvalidOp, true, "Invalid floating point operation"},
    {0xC0000091, TFaultClass::Overflow, true, "Floating point overflow"},
    {0xC0000092, TFaultClass::InvalidOp, true, "Floating point stack check"},
    {0xC0000093, TFaultClass::Underflow, true, "Floating point underflow"},
    {0xC000001D, TFaultClass::InvalidOpCode, true, "Invalid instruction"},
    {0xC0000096, TFaultClass::Privilege, true, "Privileged instruction"},
    // Never converted: no stack is left to unwind on.
    {0xC00000FD, TFaultClass::StackOverflow, false, "Stack overflow"},
};

const Entry* Find(uint32_t code) {
  for (const Entry& e : kFaults)
    if (e.code == code) return &e;
  return nullptr;
}

const char* AccessKind(uintptr_t kind) {
  switch (kind) {
    case 0: return "Read";
    case 1: return "Write";
    case 8: return "Execution";
    default: return "Access";
  }
}

}  // namespace

bool ConvertibleFault(uint32_t code, TFaultClass* cls) {
  const Entry* e = Find(code);
  if (!e || !e->convertible) return false;
  if (cls) *cls = e->cls;
  return true;
}

TFaultClass FaultClassOf(uint32_t code) {
  const Entry* e = Find(code);
  return e ? e->cls : TFaultClass::External;
}

bool IsDebuggerNotification(uint32_t code) {
  return code == 0x406D1388u                              // thread name
         || (code >= 0x40010000u && code <= 0x4001000Fu)  // output strings, control events
         || code == 0x80000003u || code == 0x80000004u    // breakpoint, single step
         || code == 0x4000001Fu || code == 0x4000001Eu;   // the same seen through WOW64
}

std::string FaultMessage(uint32_t code, uintptr_t address, const std::string& module, const uintptr_t* info,
                         size_t infoCount) {
  const Entry* e = Find(code);
  std::string where = Format(" at address %08X", static_cast<unsigned>(address));
  if (!module.empty()) where += " in module '" + module + "'";
  if (!e) return Format("External exception %08X", static_cast<unsigned>(code)) + where + ".";
  std::string text = e->text + where + ".";
  if (e->cls == TFaultClass::AccessViolation && info && infoCount >= 2)
    text += Format(" %s of address %08X.", AccessKind(info[0]), static_cast<unsigned>(info[1]));
  return text;
}
