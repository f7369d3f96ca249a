#include "exceptions/capture/hook_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "exceptions/capture/hook_errors.h"
#include "exceptions/capture/locks_win32.h"
#include "exceptions/capture/memory_win32.h"
#include "exceptions/capture/x86_length.h"

namespace {

constexpr size_t kJumpSize = 5;

TCriticalSection& ListsLock() {
  static TCriticalSection& lock = *new TCriticalSection;  // never destroyed
  return lock;
}
std::vector<THookedProcedure>* gHooked;
std::vector<TImportHook>* gImports;

void EnsureLists() {
  if (!gHooked) gHooked = new std::vector<THookedProcedure>;
  if (!gImports) gImports = new std::vector<TImportHook>;
}

// Trampolines live in a private heap whose pages are made executable.
HANDLE TrampolineHeap() {
  static HANDLE heap = HeapCreate(HEAP_CREATE_ENABLE_EXECUTE, 0, 0);
  return heap;
}

uint8_t* AllocTrampoline(size_t size) {
  HANDLE heap = TrampolineHeap();
  if (!heap) return nullptr;
  auto* p = static_cast<uint8_t*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, size));
  DWORD old;
  if (p && !VirtualProtect(p, size, PAGE_EXECUTE_READWRITE, &old)) {
    HeapFree(heap, 0, p);
    return nullptr;
  }
  return p;
}

void FreeTrampoline(uint8_t* p) {
  if (p) HeapFree(TrampolineHeap(), 0, p);
}

// A 5-byte jump to target, written to out, for a jump that will live at address at.
void EncodeJump(uint8_t* out, const uint8_t* at, const void* target) {
  out[0] = 0xE9;
  int32_t disp =
      static_cast<int32_t>(reinterpret_cast<intptr_t>(target) - reinterpret_cast<intptr_t>(at + kJumpSize));
  std::memcpy(out + 1, &disp, 4);
}
void PutJump(uint8_t* at, const void* target) { EncodeJump(at, at, target); }

// How many bytes from p on (at most max) can be read.
size_t ReadableLength(const uint8_t* p, size_t max) {
  if (IsReadableMemory(p, max)) return max;
  size_t n = 0;
  while (n < max && IsReadableMemory(p + n, 1)) ++n;
  return n;
}

// Instructions after which the procedure does not go on with the next byte.
bool EndsFlow(const uint8_t* code, const TX86Instruction& in) {
  size_t i = 0;
  while (i + 1 < in.length &&
         (code[i] == 0x66 || code[i] == 0xF2 || code[i] == 0xF3 || code[i] == 0x2E || code[i] == 0x3E))
    ++i;
  uint8_t op = code[i];
  if (op == 0xC3 || op == 0xC2 || op == 0xCB || op == 0xCA || op == 0xCC || op == 0xE9 || op == 0xEB)
    return true;
  if (op == 0xFF && i + 1 < in.length) {
    int reg = (code[i + 1] >> 3) & 7;
    return reg == 4 || reg == 5;
  }
  return false;
}

std::string ModuleFileNameOf(const void* address) {
  HMODULE module = nullptr;
  char path[MAX_PATH] = "";
  if (GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCSTR>(address), &module))
    GetModuleFileNameA(module, path, sizeof path);
  return path;
}

bool InSharedArea(const void* p) {
  return IsNonNtPlatform() && reinterpret_cast<uintptr_t>(p) >= 0x80000000u;
}

// Builds the trampoline and patches the procedure; the lists lock is held. Any failure is
// reported as false, with nothing changed.
bool Splice(uint8_t* code, void* replacement, THookedProcedure& out) {
  size_t readable = ReadableLength(code, 32);
  std::vector<TX86Instruction> copied;
  size_t length = 0;
  while (length < kJumpSize) {
    if (length >= readable) return false;
    TX86Instruction in = DecodeX86(code + length, readable - length);
    if (in.branch == TX86Branch::Near16) return false;
    copied.push_back(in);
    length += in.length;
    if (length < kJumpSize && EndsFlow(code + length - in.length, in)) return false;
  }
  auto outside = [&](int64_t target) { return target < 0 || target >= static_cast<int64_t>(length); };
  size_t shortOut = 0;
  for (size_t off = 0, k = 0; k < copied.size(); off += copied[k].length, ++k)
    if (copied[k].branch == TX86Branch::Short && outside(off + copied[k].RelativeTarget(code + off)))
      ++shortOut;

  size_t size = length + kJumpSize + kJumpSize * shortOut;
  uint8_t* tramp = AllocTrampoline(size);
  if (!tramp) return false;
  std::memcpy(tramp, code, length);
  uint8_t* stub = tramp + length + kJumpSize;
  for (size_t off = 0, k = 0; k < copied.size(); off += copied[k].length, ++k) {
    const TX86Instruction& in = copied[k];
    if (in.branch == TX86Branch::None) continue;
    int64_t target = static_cast<int64_t>(off) + in.RelativeTarget(code + off);
    if (!outside(target)) continue;  // a branch within the copy keeps its distance
    uint8_t* absTarget = code + target;
    uint8_t* next = tramp + off + in.length;
    if (in.branch == TX86Branch::Short) {
      PutJump(stub, absTarget);
      tramp[off + in.dispOffset] = static_cast<uint8_t>(static_cast<int8_t>(stub - next));
      stub += kJumpSize;
    } else {
      int32_t disp = static_cast<int32_t>(absTarget - next);
      std::memcpy(tramp + off + in.dispOffset, &disp, 4);
    }
  }
  PutJump(tramp + length, code + length);
  FlushInstructionCache(GetCurrentProcess(), tramp, size);

  uint8_t patch[kJumpSize];
  EncodeJump(patch, code, replacement);

  out.procedure = code;
  out.trampoline = tramp;
  out.trampolineSize = static_cast<uint32_t>(size);
  out.savedBytes.assign(code, code + length);
  out.copiedLength = static_cast<uint32_t>(length);
  if (!WriteCode(code, patch, kJumpSize)) {
    FreeTrampoline(tramp);
    return false;
  }
  return true;
}

bool ValidImportDirectory(const uint8_t* base, const IMAGE_IMPORT_DESCRIPTOR** first) {
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (!IsReadableMemory(dos, 64) || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew == 0) return false;
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  if (!IsReadableMemory(nt, 248) || nt->Signature != IMAGE_NT_SIGNATURE) return false;
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return false;
  *first = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
  return true;
}

// A 9x system debug thunk: push imm32 followed by jmp rel32; its pushed value identifies it.
bool DebugThunkValue(const void* original, uint32_t* value) {
  auto* p = static_cast<const uint8_t*>(original);
  if (!IsNonNtPlatform() || !IsReadableMemory(p, 10) || p[0] != 0x68 || p[5] != 0xE9) return false;
  std::memcpy(value, p + 1, 4);
  return true;
}

}  // namespace

bool IsNonNtPlatform() { return (GetVersion() & 0x80000000u) != 0; }

void CreateHookLists() {
  TCriticalSectionGuard guard(ListsLock());
  EnsureLists();
}

void FreeHookLists() {
  TCriticalSectionGuard guard(ListsLock());
  delete gHooked;
  delete gImports;
  gHooked = nullptr;
  gImports = nullptr;
}

void* HookProcedure(void* procedure, void* replacement, const std::string& name) {
  procedure = FollowJumpThunks(procedure);
  replacement = FollowJumpThunks(replacement);
  if (!procedure) throw ProcNullError(name);
  if (InSharedArea(procedure)) throw SharedAreaError(ModuleFileNameOf(procedure));
  TCriticalSectionGuard guard(ListsLock());
  try {
    EnsureLists();
    for (const THookedProcedure& h : *gHooked)
      if (h.procedure == procedure) return h.trampoline;
    THookedProcedure hook;
    if (!replacement || !Splice(static_cast<uint8_t*>(procedure), replacement, hook))
      throw HookingError(name);
    gHooked->push_back(std::move(hook));
    return gHooked->back().trampoline;
  } catch (EHookingError&) {
    throw;
  } catch (...) {
    throw HookingError(name);
  }
}

bool UnhookProcedure(void* procedure) {
  procedure = FollowJumpThunks(procedure);
  TCriticalSectionGuard guard(ListsLock());
  if (!gHooked) return false;
  bool found = false;
  for (auto it = gHooked->begin(); it != gHooked->end();) {
    if (it->procedure != procedure) {
      ++it;
      continue;
    }
    WriteCode(it->procedure, it->savedBytes.data(), it->savedBytes.size());
    FreeTrampoline(it->trampoline);
    it = gHooked->erase(it);
    found = true;
  }
  return found;
}

void* HookImportedProcedure(void* module, const std::string& importedModule, void* original, bool doNotRecord,
                            bool ignoreMissing, const std::string& name, void* replacement) {
  if (!original) throw ProcNullError(name);
  if (InSharedArea(module)) throw SharedAreaError(ModuleFileNameOf(module));
  uint32_t thunkValue = 0;
  bool matchThunk = DebugThunkValue(original, &thunkValue);
  auto* base = static_cast<uint8_t*>(module);
  const IMAGE_IMPORT_DESCRIPTOR* desc = nullptr;
  if (!module || !ValidImportDirectory(base, &desc)) {
    if (ignoreMissing) return nullptr;
    throw HookingError(name);
  }
  TCriticalSectionGuard guard(ListsLock());
  EnsureLists();
  int patched = 0;
  for (; IsReadableMemory(desc, sizeof *desc) && desc->Name != 0; ++desc) {
    auto* dllName = reinterpret_cast<const char*>(base + desc->Name);
    if (!IsReadableMemory(dllName, 1) || lstrcmpiA(dllName, importedModule.c_str()) != 0) continue;
    for (auto* slot = reinterpret_cast<void**>(base + desc->FirstThunk); IsReadableMemory(slot, 4) && *slot;
         ++slot) {
      bool match = *slot == original;
      uint32_t value;
      if (!match && matchThunk && DebugThunkValue(*slot, &value)) match = value == thunkValue;
      if (!match || !WriteCode(slot, &replacement, sizeof replacement)) continue;
      ++patched;
      if (!doNotRecord) gImports->push_back(TImportHook{module, importedModule, original, replacement, slot});
    }
  }
  if (patched == 0) {
    if (ignoreMissing) return nullptr;
    throw HookingError(name);
  }
  return original;
}

bool HookModulesImport(const std::vector<std::string>& modules, const std::string& importedModule,
                       bool ignoreMissing, void** original, void* replacement, const std::string& procName) {
  HMODULE imported = GetModuleHandleA(importedModule.c_str());
  void* real = imported ? reinterpret_cast<void*>(GetProcAddress(imported, procName.c_str())) : nullptr;
  if (original) *original = real;
  if (!real && ignoreMissing) return false;
  bool any = false;
  for (const std::string& name : modules) {
    HMODULE module = GetModuleHandleA(name.empty() ? nullptr : name.c_str());
    if (module &&
        HookImportedProcedure(module, importedModule, real, false, ignoreMissing, procName, replacement))
      any = true;
  }
  return any;
}

int UnhookImports(void* replacement) {
  TCriticalSectionGuard guard(ListsLock());
  if (!gImports) return 0;
  int restored = 0;
  for (auto it = gImports->begin(); it != gImports->end();) {
    if (it->replacement != replacement) {
      ++it;
      continue;
    }
    if (*it->slot == replacement && WriteCode(it->slot, &it->original, sizeof it->original)) ++restored;
    it = gImports->erase(it);
  }
  return restored;
}

std::vector<THookedProcedure> HookedProcedures() {
  TCriticalSectionGuard guard(ListsLock());
  return gHooked ? *gHooked : std::vector<THookedProcedure>{};
}

std::vector<TImportHook> ImportHooks() {
  TCriticalSectionGuard guard(ListsLock());
  return gImports ? *gImports : std::vector<TImportHook>{};
}

struct THookedMethodsList::Lock {
  TCriticalSection cs;
};

THookedMethodsList::THookedMethodsList() : lock_(new Lock) {}
THookedMethodsList::~THookedMethodsList() { delete lock_; }

void* THookedMethodsList::Replace(void** methodTable, int index, void* replacement) {
  TCriticalSectionGuard guard(lock_->cs);
  void** slot = methodTable + index;
  if (!IsReadableMemory(slot, sizeof *slot)) return nullptr;
  if (*slot == replacement) {
    for (const Entry& e : entries_)
      if (e.methodTable == methodTable && e.index == index) return e.original;
  }
  void* original = *slot;
  if (!WriteCode(slot, &replacement, sizeof replacement)) return nullptr;
  entries_.push_back(Entry{methodTable, original, index});
  return original;
}

bool THookedMethodsList::Restore(void** methodTable, int index) {
  TCriticalSectionGuard guard(lock_->cs);
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->methodTable != methodTable || it->index != index) continue;
    WriteCode(methodTable + index, &it->original, sizeof it->original);
    entries_.erase(it);
    return true;
  }
  return false;
}

void* THookedMethodsList::Original(void** methodTable, int index) const {
  TCriticalSectionGuard guard(lock_->cs);
  for (const Entry& e : entries_)
    if (e.methodTable == methodTable && e.index == index) return e.original;
  return nullptr;
}

size_t THookedMethodsList::Count() const {
  TCriticalSectionGuard guard(lock_->cs);
  return entries_.size();
}
