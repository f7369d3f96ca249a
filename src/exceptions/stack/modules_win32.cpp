#include "exceptions/stack/modules_win32.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "exceptions/stack/memory_reader_win32.h"

namespace {
// Loaded on demand: both are optional system libraries.
class TLibrary {
 public:
  explicit TLibrary(const char* name) : h_(LoadLibraryA(name)) {}
  ~TLibrary() {
    if (h_) FreeLibrary(h_);
  }
  TLibrary(const TLibrary&) = delete;
  TLibrary& operator=(const TLibrary&) = delete;
  template <class F>
  F Get(const char* name) const {
    return h_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h_, name))) : nullptr;
  }

 private:
  HMODULE h_;
};

class THandle {
 public:
  explicit THandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~THandle() {
    if (h_) CloseHandle(h_);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

std::string moduleFileName(HMODULE module) {
  char path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(module, path, sizeof path);
  return n == 0 || n >= sizeof path ? std::string() : std::string(path, n);
}

double fileTimeToDateTime(const FILETIME& ft) {
  FILETIME local;
  FileTimeToLocalFileTime(&ft, &local);
  uint64_t t = static_cast<uint64_t>(local.dwHighDateTime) << 32 | local.dwLowDateTime;
  // 100 ns ticks since 1601-01-01 to days since 1899-12-30.
  return static_cast<double>(t) / 864000000000.0 - 109205.0;
}
}  // namespace

TModuleVersionInfo ReadModuleVersion(const std::string& path) {
  TModuleVersionInfo out;
  TLibrary version("version.dll");
  auto sizeOf = version.Get<DWORD(WINAPI*)(LPCSTR, LPDWORD)>("GetFileVersionInfoSizeA");
  auto read = version.Get<BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID)>("GetFileVersionInfoA");
  auto query = version.Get<BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT)>("VerQueryValueA");
  if (!sizeOf || !read || !query) return out;
  DWORD ignored = 0;
  DWORD size = sizeOf(path.c_str(), &ignored);
  if (size == 0) return out;
  std::vector<uint8_t> data(size);
  if (!read(path.c_str(), 0, size, data.data())) return out;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (query(data.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &len) && fixed && len >= sizeof *fixed) {
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", unsigned{HIWORD(fixed->dwFileVersionMS)},
                  unsigned{LOWORD(fixed->dwFileVersionMS)}, unsigned{HIWORD(fixed->dwFileVersionLS)},
                  unsigned{LOWORD(fixed->dwFileVersionLS)});
    if (std::string(text) != "0.0.0.0") out.version = text;
  }
  WORD* translation = nullptr;
  if (query(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&translation), &len) &&
      translation && len >= 4) {
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\FileDescription", translation[0],
                  translation[1]);
    char* text = nullptr;
    if (query(data.data(), key, reinterpret_cast<LPVOID*>(&text), &len) && text && len > 0)
      out.description.assign(text, strnlen(text, len));
  }
  return out;
}

std::vector<HMODULE> EnumerateModulesToolHelp() {
  std::vector<HMODULE> out;
  THandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0));
  if (!snap.Get()) return out;
  MODULEENTRY32 entry;
  entry.dwSize = sizeof entry;  // 548 bytes
  for (BOOL ok = Module32First(snap.Get(), &entry); ok; ok = Module32Next(snap.Get(), &entry))
    out.push_back(entry.hModule);
  return out;
}

std::vector<HMODULE> EnumerateModules() {
  TLibrary psapi("psapi.dll");
  auto enumerate = psapi.Get<BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD)>("EnumProcessModules");
  if (!enumerate) return EnumerateModulesToolHelp();
  THandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId()));
  if (!process.Get()) return EnumerateModulesToolHelp();
  std::vector<HMODULE> out(256);
  for (;;) {
    DWORD needed = 0;
    if (!enumerate(process.Get(), out.data(), static_cast<DWORD>(out.size() * sizeof(HMODULE)), &needed))
      return EnumerateModulesToolHelp();
    size_t count = needed / sizeof(HMODULE);
    if (count <= out.size()) {
      out.resize(count);
      return out;
    }
    out.resize(count + 16);  // modules were loaded meanwhile
  }
}

TQuillonModuleKind ModuleKind(HMODULE module) {
  TProcessMemoryReader memory;
  auto headers = ReadPeHeaders(memory, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module)));
  if (!headers) return mkUnknown;
  if (!headers.Value().IsLibrary()) return mkExecutable;
  bool package = FindResourceA(module, "PACKAGEINFO", MAKEINTRESOURCEA(10)) &&
                 FindResourceA(module, "PACKAGEOPTIONS", MAKEINTRESOURCEA(10));
  return package ? mkPackage : mkLibrary;
}

std::unique_ptr<TQuillonModule> DescribeModule(HMODULE module) {
  auto m = std::make_unique<TQuillonModule>();
  TProcessMemoryReader memory;
  m->handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module));
  m->path = moduleFileName(module);
  if (auto headers = ReadPeHeaders(memory, m->handle)) m->imageSize = headers.Value().sizeOfImage;
  WIN32_FILE_ATTRIBUTE_DATA facts;
  if (!m->path.empty() && GetFileAttributesExA(m->path.c_str(), GetFileExInfoStandard, &facts)) {
    m->fileSize = static_cast<uint64_t>(facts.nFileSizeHigh) << 32 | facts.nFileSizeLow;
    m->modified = fileTimeToDateTime(facts.ftLastWriteTime);
  }
  TModuleVersionInfo version = ReadModuleVersion(m->path);
  m->version = version.version;
  m->description = version.description;
  if (module != GetModuleHandleA(nullptr)) {
    if (auto exports = ReadExports(memory, m->handle)) m->exports = exports.Take();
  }
  m->kind = ModuleKind(module);
  if (!m->path.empty()) m->debugInfo = std::make_unique<TDebugInfoSource>(m->path);
  return m;
}

void RefreshModuleList(TQuillonModulesList& list) {
  list.RemoveIf([](const TQuillonModule& m) {
    return moduleFileName(reinterpret_cast<HMODULE>(static_cast<uintptr_t>(m.handle))).empty();
  });
  for (HMODULE h : EnumerateModules())
    if (!list.FindByHandle(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h))))
      list.Add(DescribeModule(h));
}

std::string TSharedModuleFlag::NameFor(DWORD processId, HMODULE module) {
  char name[32];
  std::snprintf(name, sizeof name, "MODULE%08lX%08lX", processId,
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(module)));
  return name;
}

TSharedModuleFlag::TSharedModuleFlag(HMODULE module) {
  std::string name = NameFor(GetCurrentProcessId(), module);
  mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 5, name.c_str());
  if (!mapping_) return;
  existed_ = GetLastError() == ERROR_ALREADY_EXISTS;
  view_ = static_cast<uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 5));
  if (view_ && !existed_) {
    uint32_t size = 5;
    std::memcpy(view_, &size, 4);
    view_[4] = 0;
  }
}

TSharedModuleFlag::~TSharedModuleFlag() {
  if (view_) UnmapViewOfFile(view_);
  if (mapping_) CloseHandle(mapping_);
}

bool TSharedModuleFlag::IsSet() const { return view_ && view_[4] != 0; }

void TSharedModuleFlag::Set(bool value) {
  if (view_) view_[4] = value ? 1 : 0;
}
