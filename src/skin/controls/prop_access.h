// Reading and setting published properties of any object by name, for painters and forms
// that meet controls of classes they do not know. None of these raises: a missing object or
// property, or a value of the wrong kind, gives the stated default or does nothing.
#pragma once

#include <string>

#include "framework/object.h"

// An integer property's value; -1 when there is none of that name or it is not an integer.
int GetOrdPropByName(const TObject* obj, const std::string& name);
// The name of an enumeration's value, a set as "[a,b]", "True"/"False"; empty when missing.
std::string GetEnumPropByName(const TObject* obj, const std::string& name);
// A string property's text; empty when missing or of another kind.
std::string GetTextPropByName(const TObject* obj, const std::string& name);
// The object held by an object property when it is of the class named (or derives from
// it); null otherwise.
TObject* GetObjectPropByName(TObject* obj, const std::string& name, const std::string& className);
// Integers from decimal text, enumerations by value name, strings as given; other kinds,
// missing properties and unreadable values are ignored.
void SetPropByName(TObject* obj, const std::string& name, const std::string& text);
