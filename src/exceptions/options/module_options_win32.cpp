#include "exceptions/options/module_options_win32.h"

#include <windows.h>

#include "exceptions/options/module_options.h"

bool LoadQuillonOptionsFromModule(void* module, TQuillonModuleOptions& options) {
  HMODULE mod = static_cast<HMODULE>(module ? module : GetModuleHandleA(nullptr));
  HRSRC res = FindResourceA(mod, "QLDATA", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!res) return false;
  DWORD size = SizeofResource(mod, res);
  HGLOBAL loaded = LoadResource(mod, res);  // resource memory belongs to the module: nothing to free
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  options.LoadFromBytes(static_cast<const uint8_t*>(data), size);
  return true;
}
