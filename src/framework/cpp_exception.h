// ECppException: a C++ exception from outside the Exception family (std::out_of_range,
// std::bad_alloc, a thrown int …) as the framework hands it on.
//
// It keeps the exception's identity, so that handlers and the exception reporter's filters
// treat it like any framework exception: ClassName() is the thrown type's own name
// ("std::out_of_range"), ClassParent() / InheritsFrom() follow the type's base classes
// ("std::logic_error", "std::exception", then "ECppException", "Exception", "TObject"),
// Message() is what() for a std::exception, and Original() is the in-flight exception
// object itself (std::rethrow_exception(Original()) throws that very object again).
#pragma once

#include <exception>
#include <string>
#include <typeinfo>

#include "framework/exception.h"

class ECppException : public Exception {
 public:
  static const TClassInfo& StaticClass();
  // The record of the thrown type (made on first use, kept for the life of the process).
  const TClassInfo& ClassInfo() const override { return *info_; }

  // Only inside a catch block: the exception being handled. Never raises (a record that
  // cannot be made falls back to ECppException's own).
  static ECppException FromCurrent() noexcept;

  const std::type_info* Type() const { return type_; }  // null when unknown
  const std::string& TypeName() const { return typeName_; }
  std::exception_ptr Original() const { return original_; }
  // The thrown object as a std::exception, or null for other thrown types. Valid as long
  // as this object (which keeps the exception alive) exists.
  const std::exception* StdException() const { return std_; }

 private:
  ECppException(std::string message, const std::type_info* type, std::exception_ptr original,
                const std::exception* stdObject);
  const TClassInfo* info_;
  const std::type_info* type_;
  std::string typeName_;
  std::exception_ptr original_;
  const std::exception* std_;
};

// The readable name of a type ("std::out_of_range", "int").
std::string DemangledTypeName(const std::type_info& type);
// The class record that stands for a C++ type: named after it, its parent the record of the
// type's first base class (ECppException's record for a type without bases).
const TClassInfo& ClassInfoOfType(const std::type_info& type);
