// The exception information record handed to event handlers and passed between copies of the
// reporter in one process through the exported event bridges.
#pragma once

#include <cstdint>
#include <string>
#include <typeinfo>

#pragma pack(push, 4)
struct TExceptNotifyParams {
  void* ExceptionObject = nullptr;
  void* ExceptionAddress = nullptr;
  uint32_t ThreadId = 0;
  void* ModuleHandle = nullptr;  // the module that holds the address
  uint8_t RaiserKind = 0;        // 0 generic, 1 application handler, 2 web handler
  uint8_t HandlerKind = 0;       // 0 normal, 1 safe-call, 2 the thread procedure's own handler
  uint8_t FromRaiseCall = 0;
  uint8_t Reserved = 0;
  // The object's C++ type; meaningful only inside the module that raised it.
  const std::type_info* ExceptionType = nullptr;

  TExceptNotifyParams() = default;
  TExceptNotifyParams(const TExceptNotifyParams& other);
  TExceptNotifyParams& operator=(const TExceptNotifyParams& other);
  ~TExceptNotifyParams();

  // The exception's class name, the record's one owned string. It is allocated with the C
  // runtime that every module of the process shares, so that any copy of the reporter can
  // free it.
  std::string ClassName() const { return className_ ? className_ : ""; }
  void SetClassName(const std::string& name);

 private:
  char* className_ = nullptr;
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(TExceptNotifyParams) == 28,
              "the record crosses module boundaries");
