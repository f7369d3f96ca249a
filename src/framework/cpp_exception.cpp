#include "framework/cpp_exception.h"

#include <cxxabi.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

NV_DEFINE_CLASS(ECppException, Exception)

std::string DemangledTypeName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                              std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

namespace {
// The first base class of a class type, from the runtime's type records; null for a type
// without bases or one that is not a class.
const std::type_info* FirstBase(const std::type_info& type) {
  if (auto* single = dynamic_cast<const abi::__si_class_type_info*>(&type)) return single->__base_type;
  if (auto* multi = dynamic_cast<const abi::__vmi_class_type_info*>(&type))
    if (multi->__base_count > 0) return multi->__base_info[0].__base_type;
  return nullptr;
}
}  // namespace

const TClassInfo& ClassInfoOfType(const std::type_info& type) {
  // Records live as long as the process: handlers may keep the class of what they saw.
  static std::mutex lock;
  static auto* records = new std::map<std::string, std::unique_ptr<TClassInfo>>;
  static auto* names = new std::map<std::string, std::string>;
  const TClassInfo* parent = &ECppException::StaticClass();
  if (const std::type_info* base = FirstBase(type)) parent = &ClassInfoOfType(*base);
  std::lock_guard<std::mutex> guard(lock);
  auto& slot = (*records)[type.name()];
  if (!slot) {
    std::string& name = (*names)[type.name()];
    name = DemangledTypeName(type);
    slot = std::make_unique<TClassInfo>(TClassInfo{name.c_str(), parent, nullptr, nullptr});
  }
  return *slot;
}

ECppException::ECppException(std::string message, const std::type_info* type, std::exception_ptr original,
                             const std::exception* stdObject)
    : Exception(std::move(message)),
      info_(&StaticClass()),
      type_(type),
      original_(std::move(original)),
      std_(stdObject) {
  if (type_) {
    typeName_ = DemangledTypeName(*type_);
    info_ = &ClassInfoOfType(*type_);
  } else {
    typeName_ = "unknown type";
  }
}

ECppException ECppException::FromCurrent() noexcept {
  std::exception_ptr current = std::current_exception();
  const std::type_info* type = abi::__cxa_current_exception_type();
  const std::exception* stdObject = nullptr;
  // Rethrown here only to learn whether the object is a std::exception; the exception_ptr
  // keeps that very object alive for as long as the ECppException exists.
  try {
    throw;
  } catch (const std::exception& e) {
    stdObject = &e;
  } catch (...) {
  }
  try {
    std::string message = stdObject
                              ? std::string(stdObject->what())
                              : "C++ exception of type " + (type ? DemangledTypeName(*type) : "unknown");
    return ECppException(std::move(message), type, current, stdObject);
  } catch (...) {
    // Out of memory while describing it: hand it on without a name of its own.
    return ECppException(std::string(), nullptr, current, stdObject);
  }
}
