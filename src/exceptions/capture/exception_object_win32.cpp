#include <cxxabi.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "exceptions/capture/exception_object.h"
#include "exceptions/capture/memory_win32.h"
#include "framework/exception.h"

TObject* AsFrameworkObject(void* object, const std::type_info* type) {
  if (!object || !type) return nullptr;
  void* adjusted = object;
  if (!typeid(TObject).__do_catch(type, &adjusted, 1)) return nullptr;
  return static_cast<TObject*>(adjusted);
}

const std::exception* AsStdException(void* object, const std::type_info* type) {
  if (!object || !type) return nullptr;
  void* adjusted = object;
  if (!typeid(std::exception).__do_catch(type, &adjusted, 1)) return nullptr;
  return static_cast<const std::exception*>(adjusted);
}

std::string ExceptionClassName(const TExceptionObject& e) {
  if (TObject* o = AsFrameworkObject(e.object, e.type)) return o->ClassName();
  if (!e.type) return "";
  int status = 0;
  char* readable = abi::__cxa_demangle(e.type->name(), nullptr, nullptr, &status);
  std::string name = status == 0 && readable ? readable : e.type->name();
  std::free(readable);
  return name;
}

std::string ExceptionMessageOf(const TExceptionObject& e) {
  if (TObject* o = AsFrameworkObject(e.object, e.type))
    if (auto* ex = dynamic_cast<Exception*>(o)) return ex->Message();
  if (const std::exception* s = AsStdException(e.object, e.type)) return s->what();
  return "";
}

namespace {

bool InsideModule(const void* p) {
  HMODULE module;
  return GetModuleHandleExA(
             GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
             static_cast<LPCSTR>(p), &module) != 0;
}

}  // namespace

TExceptionObject ResolvePolymorphic(const void* p) {
  // Itanium layout: the method table pointer first; before the table, the offset to the
  // complete object and the type_info.
  if (!IsReadableMemory(p, sizeof(void*))) return {};
  auto* vtable = *static_cast<const intptr_t* const*>(p);
  if (!InsideModule(vtable) || !IsReadableMemory(vtable - 2, 2 * sizeof(intptr_t))) return {};
  auto* type = reinterpret_cast<const std::type_info*>(vtable[-1]);
  if (!IsReadableMemory(type, 2 * sizeof(void*)) || !InsideModule(type)) return {};
  const char* name = type->name();
  if (!IsReadableMemory(name, 1)) return {};
  TExceptionObject out;
  out.object = const_cast<char*>(static_cast<const char*>(p)) + vtable[-2];
  out.type = type;
  return out;
}
