// Reading a module's stored options from its "QLDATA" resource (Windows).
#pragma once

class TQuillonModuleOptions;

// Loads the options stored in the module's RCDATA resource "QLDATA" (module: an HMODULE, null
// for the executable). Returns false, leaving the options alone, when the module has none;
// raises EQuillonOptionsError when the stored data is damaged.
bool LoadQuillonOptionsFromModule(void* module, TQuillonModuleOptions& options);
