// The thrown object as the reporter sees it: the complete object and its dynamic type, from
// which the report's class name and message come. A framework exception reports its class
// record's name and message; any other C++ exception its real (demangled) type name and,
// for a standard exception, what().
#pragma once

#include <exception>
#include <string>
#include <typeinfo>

class TObject;

struct TExceptionObject {
  void* object = nullptr;                // the complete object
  const std::type_info* type = nullptr;  // its dynamic type
  explicit operator bool() const { return object && type; }
};

// The framework object or standard exception inside a thrown object of the given type.
TObject* AsFrameworkObject(void* object, const std::type_info* type);
const std::exception* AsStdException(void* object, const std::type_info* type);

std::string ExceptionClassName(const TExceptionObject& e);
std::string ExceptionMessageOf(const TExceptionObject& e);

// The complete object and dynamic type of a pointer to a polymorphic object (any base
// subobject), read from its method table after checking that each step is readable memory
// inside a loaded module: the reporter's live-object test. Empty when p is no such object.
TExceptionObject ResolvePolymorphic(const void* p);
