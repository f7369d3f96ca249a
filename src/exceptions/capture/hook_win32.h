// The hooking engine: code splices with trampolines, import-table patches and replaced
// virtual methods. The reporter installs its capture points with these during start-up;
// every failure raises one of the EHookError classes (hook_errors.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One code-splice hook. The trampoline runs the copied instructions, then jumps back behind
// them: calling it is calling the original procedure.
struct THookedProcedure {
  void* procedure = nullptr;
  uint8_t* trampoline = nullptr;
  uint32_t trampolineSize = 0;  // copied length + 5, and 5 more per redirected short jump
  std::vector<uint8_t> savedBytes;
  uint32_t copiedLength = 0;
};

// One patched import slot.
struct TImportHook {
  void* module = nullptr;
  std::string importedModule;
  void* original = nullptr;
  void* replacement = nullptr;
  void** slot = nullptr;
};

// Splices a jump to replacement over the start of procedure (jump thunks on either address
// are followed) and returns the trampoline that runs the original behaviour; hooking the same
// procedure again returns the same trampoline. The trampoline stays valid until
// UnhookProcedure. Raises EProcNull for a null procedure, ESharedArea for code in the shared
// area of a non-NT system, EHookingError when the start cannot be copied or patched (fewer
// than 5 bytes before the procedure ends, a 16-bit branch, unwritable code).
void* HookProcedure(void* procedure, void* replacement, const std::string& name);

// Puts back the original bytes of every hook of procedure and frees their trampolines.
// False when the procedure was not hooked.
bool UnhookProcedure(void* procedure);

// Points every import slot of module that imports original from importedModule (compared
// case-insensitively) to replacement, recording each slot unless doNotRecord. Returns original
// when at least one slot was patched, else null. Raises EProcNull for a null original; raises
// EHookingError when the module has no valid import table or nothing matched, unless
// ignoreMissing.
void* HookImportedProcedure(void* module, const std::string& importedModule, void* original, bool doNotRecord,
                            bool ignoreMissing, const std::string& name, void* replacement);

// Resolves procName in the loaded importedModule, patches the imports of each listed module
// that is loaded ("" is the executable), stores the real address in *original and returns
// whether any slot was patched.
bool HookModulesImport(const std::vector<std::string>& modules, const std::string& importedModule,
                       bool ignoreMissing, void** original, void* replacement, const std::string& procName);

// Writes the original back into every recorded import slot that holds replacement; the
// number of slots restored.
int UnhookImports(void* replacement);

// Copies of the bookkeeping, for tests and the report.
std::vector<THookedProcedure> HookedProcedures();
std::vector<TImportHook> ImportHooks();

// The two lists of hooks: made by the hook unit's initialisation (and on first use), freed by
// its finalisation. Freeing forgets the hooks; it does not undo them.
void CreateHookLists();
void FreeHookLists();

// Replaced virtual methods: the class's method table, the original and the slot index.
class THookedMethodsList {
 public:
  THookedMethodsList();
  ~THookedMethodsList();
  THookedMethodsList(const THookedMethodsList&) = delete;
  THookedMethodsList& operator=(const THookedMethodsList&) = delete;

  // Puts replacement into slot index of methodTable and returns the method it replaced. A
  // slot that already holds the replacement returns the recorded original instead of
  // recording it twice. Null when the slot cannot be written.
  void* Replace(void** methodTable, int index, void* replacement);
  // Writes the original back and forgets the entry; false when none was recorded.
  bool Restore(void** methodTable, int index);
  // The recorded original of a slot, or null.
  void* Original(void** methodTable, int index) const;
  size_t Count() const;

 private:
  struct Entry {
    void** methodTable;
    void* original;
    int index;
  };
  struct Lock;
  Lock* lock_;
  std::vector<Entry> entries_;
};

// True on the Windows 9x family, where addresses from 0x80000000 up are shared by all
// processes. Always false on the systems this program runs on; kept for the rules above.
bool IsNonNtPlatform();
