#include "exceptions/report/system_facts_win32.h"

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
class LibraryHandle {  // LoadLibrary's module: FreeLibrary once
 public:
  explicit LibraryHandle(HMODULE h = nullptr) : h_(h) {}
  LibraryHandle(const LibraryHandle&) = delete;
  LibraryHandle& operator=(const LibraryHandle&) = delete;
  ~LibraryHandle() {
    if (h_) FreeLibrary(h_);
  }
  HMODULE Get() const { return h_; }

 private:
  HMODULE h_;
};

class RegKey {  // an open registry key: RegCloseKey once
 public:
  RegKey(HKEY root, const char* path) {
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &h_) != ERROR_SUCCESS) h_ = nullptr;
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() {
    if (h_) RegCloseKey(h_);
  }
  std::string String(const char* name) const {
    if (!h_) return std::string();
    char buf[512];
    DWORD type = 0, size = sizeof buf - 1;
    if (RegQueryValueExA(h_, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return std::string();
    buf[size] = 0;
    return buf;
  }

 private:
  HKEY h_ = nullptr;
};

std::string trimmed(std::string s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

std::string narrow(const wchar_t* w, int length = -1) {
  int n = WideCharToMultiByte(CP_ACP, 0, w, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, length, s.data(), n, nullptr, nullptr);
  if (length < 0 && !s.empty()) s.pop_back();  // the terminator
  return s;
}

// Local time minus UTC in minutes, as the zone stands now.
int currentBiasMinutes() {
  TIME_ZONE_INFORMATION tz{};
  DWORD id = GetTimeZoneInformation(&tz);
  long bias = tz.Bias + (id == TIME_ZONE_ID_DAYLIGHT   ? tz.DaylightBias
                         : id == TIME_ZONE_ID_STANDARD ? tz.StandardBias
                                                       : 0);
  return static_cast<int>(-bias);
}

std::string moduleFileName(HMODULE module) {
  char buf[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(module, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string windowClass(HWND h) {
  char buf[256];
  int n = h ? GetClassNameA(h, buf, sizeof buf) : 0;
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// The text the window manager keeps for the window; GetWindowText would send WM_GETTEXT to
// the window's thread.
std::string windowText(HWND h) {
  if (!h) return std::string();
  wchar_t buf[1024];
  int n = InternalGetWindowText(h, buf, static_cast<int>(std::size(buf)));
  return n > 0 ? narrow(buf, n) : std::string();
}

std::string processorName() {
  RegKey key(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
  std::string name = trimmed(key.String("ProcessorNameString"));
  if (name.empty()) name = trimmed(key.String("VendorIdentifier"));
  std::string id = trimmed(key.String("Identifier"));
  if (name.empty()) return id;
  return id.empty() ? name : name + " - " + id;
}

TReportOperatingSystem operatingSystem() {
  TReportOperatingSystem os;
  // GetVersionEx answers 6.2 to a program without a manifest naming later systems;
  // RtlGetVersion gives the real numbers.
  OSVERSIONINFOEXW v{};
  v.dwOSVersionInfoSize = sizeof v;
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  bool ok = rtlGetVersion && rtlGetVersion(&v) == 0;
  if (!ok) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ok = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v)) != 0;
#pragma GCC diagnostic pop
  }
  if (!ok) return os;
  os.platformId = v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 2;
  os.major = v.dwMajorVersion;
  os.minor = v.dwMinorVersion;
  os.build = v.dwBuildNumber;
  os.server = v.wProductType != 0 && v.wProductType != VER_NT_WORKSTATION;
  os.servicePack = trimmed(narrow(v.szCSDVersion));
  if (os.servicePack.empty() && os.major >= 10) {
    // Systems without service packs name their feature update instead ("22H2").
    RegKey cv(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    os.servicePack = trimmed(cv.String("DisplayVersion"));
    if (os.servicePack.empty()) os.servicePack = trimmed(cv.String("ReleaseId"));
  }
  LCID lcid = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  char language[128] = {}, country[128] = {};
  GetLocaleInfoA(lcid, LOCALE_SENGLANGUAGE, language, sizeof language);
  GetLocaleInfoA(lcid, LOCALE_SENGCOUNTRY, country, sizeof country);
  os.language = language;
  if (country[0]) os.language += std::string(" (") + country + ")";
  return os;
}

std::string rootOf(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':') return path.substr(0, 3);
  if (path.rfind("\\\\", 0) == 0) {  // a share: "\\server\share\" is its root
    size_t share = path.find('\\', 2);
    size_t end = share == std::string::npos ? std::string::npos : path.find('\\', share + 1);
    return end == std::string::npos ? path + "\\" : path.substr(0, end + 1);
  }
  return std::string();
}

std::string dhcpText(bool on) { return on ? "Yes" : "No"; }
// The first adapter that has an address (else the first one), from the IP helper; the
// system-wide DNS servers when the adapter names none.
TReportNetwork networkFacts(HMODULE ip) {
  TReportNetwork n;
  if (!ip) return n;
  using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
  using GetPerAdapterInfoFn = DWORD(WINAPI*)(ULONG, PIP_PER_ADAPTER_INFO, PULONG);
  using GetNetworkParamsFn = DWORD(WINAPI*)(PFIXED_INFO, PULONG);
  auto getAdapters =
      reinterpret_cast<GetAdaptersInfoFn>(reinterpret_cast<void*>(GetProcAddress(ip, "GetAdaptersInfo")));
  auto getPerAdapter =
      reinterpret_cast<GetPerAdapterInfoFn>(reinterpret_cast<void*>(GetProcAddress(ip, "GetPerAdapterInfo")));
  auto getParams =
      reinterpret_cast<GetNetworkParamsFn>(reinterpret_cast<void*>(GetProcAddress(ip, "GetNetworkParams")));
  std::vector<std::string> dns;
  ULONG size = 0;
  std::vector<char> buf;
  if (getAdapters && getAdapters(nullptr, &size) == ERROR_BUFFER_OVERFLOW && size > 0) {
    buf.resize(size);
    auto list = reinterpret_cast<PIP_ADAPTER_INFO>(buf.data());
    if (getAdapters(list, &size) == NO_ERROR) {
      PIP_ADAPTER_INFO pick = list;
      for (PIP_ADAPTER_INFO a = list; a; a = a->Next)
        if (std::strcmp(a->IpAddressList.IpAddress.String, "0.0.0.0") != 0) {
          pick = a;
          break;
        }
      n.ipAddress = pick->IpAddressList.IpAddress.String;
      n.subnetMask = pick->IpAddressList.IpMask.String;
      n.gateway = pick->GatewayList.IpAddress.String;
      n.dhcp = dhcpText(pick->DhcpEnabled != 0);
      ULONG psize = 0;
      if (getPerAdapter && getPerAdapter(pick->Index, nullptr, &psize) == ERROR_BUFFER_OVERFLOW &&
          psize > 0) {
        std::vector<char> pbuf(psize);
        auto per = reinterpret_cast<PIP_PER_ADAPTER_INFO>(pbuf.data());
        if (getPerAdapter(pick->Index, per, &psize) == NO_ERROR)
          for (PIP_ADDR_STRING d = &per->DnsServerList; d; d = d->Next)
            if (d->IpAddress.String[0]) dns.push_back(d->IpAddress.String);
      }
    }
  }
  if (dns.empty() && getParams) {  // the system-wide servers
    size = 0;
    if (getParams(nullptr, &size) == ERROR_BUFFER_OVERFLOW && size > 0) {
      std::vector<char> fbuf(size);
      auto fixed = reinterpret_cast<PFIXED_INFO>(fbuf.data());
      if (getParams(fixed, &size) == NO_ERROR)
        for (PIP_ADDR_STRING d = &fixed->DnsServerList; d; d = d->Next)
          if (d->IpAddress.String[0]) dns.push_back(d->IpAddress.String);
    }
  }
  if (dns.size() > 0) n.dns1 = dns[0];
  if (dns.size() > 1) n.dns2 = dns[1];
  return n;
}
}  // namespace

struct TSystemFactsGatherer::Cache {
  bool filled = false;
  TReportApplication application;
  std::string computerName, user, processor;
  TReportOperatingSystem os;
  LibraryHandle ipHelper{LoadLibraryA("iphlpapi.dll")};  // absent: no network facts
};

TSystemFactsGatherer::TSystemFactsGatherer() = default;
TSystemFactsGatherer::~TSystemFactsGatherer() = default;

TReportDateTime ReportDateTimeNow() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return ReportDateTimeFromFileTime((uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
}

TReportDateTime ReportDateTimeFromFileTime(uint64_t fileTime) {
  const uint64_t kUnixEpoch = 116444736000000000ull;  // 1970-01-01 in file time
  if (fileTime < kUnixEpoch) return TReportDateTime{};
  return TReportDateTime::FromUnix(static_cast<int64_t>((fileTime - kUnixEpoch) / 10000000),
                                   currentBiasMinutes());
}

TReportActiveControls ReadActiveControls(unsigned long guiThreadId) {
  TReportActiveControls c;
  DWORD thread = guiThreadId;
  if (thread == 0) {
    DWORD pid = 0;
    HWND fg = GetForegroundWindow();
    DWORD owner = fg ? GetWindowThreadProcessId(fg, &pid) : 0;
    if (pid != GetCurrentProcessId()) return c;
    thread = owner;
  }
  GUITHREADINFO gti{};
  gti.cbSize = sizeof gti;
  if (!GetGUIThreadInfo(thread, &gti)) return c;
  c.formClass = windowClass(gti.hwndActive);
  c.formText = windowText(gti.hwndActive);
  if (gti.hwndFocus && gti.hwndFocus != gti.hwndActive) {
    c.controlClass = windowClass(gti.hwndFocus);
    c.controlText = windowText(gti.hwndFocus);
  }
  return c;
}

void ReadVersionResource(const std::string& path, std::string& version, std::string& description) {
  version.clear();
  description.clear();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &len) && fixed &&
      len >= sizeof *fixed && (fixed->dwFileVersionMS | fixed->dwFileVersionLS) != 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", static_cast<unsigned>(HIWORD(fixed->dwFileVersionMS)),
                  static_cast<unsigned>(LOWORD(fixed->dwFileVersionMS)),
                  static_cast<unsigned>(HIWORD(fixed->dwFileVersionLS)),
                  static_cast<unsigned>(LOWORD(fixed->dwFileVersionLS)));
    version = buf;
  }
  WORD* translation = nullptr;
  if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                     &len) &&
      translation && len >= 4) {
    char key[80];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\FileDescription", translation[0],
                  translation[1]);
    char* text = nullptr;
    if (VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&text), &len) && text && len > 0)
      description = trimmed(std::string(text, strnlen(text, len)));
  }
}

TReportDateTime ModuleLinkDate(const void* moduleBase) {
  auto base = static_cast<const BYTE*>(moduleBase);
  if (!base) return TReportDateTime{};
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0) return TReportDateTime{};
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->FileHeader.TimeDateStamp == 0) return TReportDateTime{};
  return TReportDateTime::FromUnix(nt->FileHeader.TimeDateStamp, currentBiasMinutes());
}

// What stays the same while the program runs, read at the first report.
void TSystemFactsGatherer::readLastingFacts(Cache& c) {
  HMODULE exe = GetModuleHandleA(nullptr);
  c.application.modulePath = moduleFileName(exe);
  ReadVersionResource(c.application.modulePath, c.application.version, c.application.description);
  c.application.compilationDate = ModuleLinkDate(exe);
  FILETIME created, exited, kernelTime, userTime;
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelTime, &userTime))
    c.application.startDate =
        ReportDateTimeFromFileTime((uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime);
  // shell32 is loaded here, at the first report, rather than imported: importing it maps it
  // and what it pulls in at every start of the program.
  using Split = LPWSTR*(WINAPI*)(LPCWSTR, int*);
  HMODULE shell = LoadLibraryA("shell32.dll");
  const auto split =
      shell ? reinterpret_cast<Split>(reinterpret_cast<void*>(GetProcAddress(shell, "CommandLineToArgvW")))
            : nullptr;
  int argc = 0;
  if (LPWSTR* argv = split ? split(GetCommandLineW(), &argc) : nullptr) {
    for (int i = 1; i < argc; ++i) c.application.parameters.push_back(narrow(argv[i]));
    LocalFree(argv);
  }
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  if (GetComputerNameA(name, &size)) c.computerName.assign(name, size);
  char user[256];
  size = sizeof user;
  if (GetUserNameA(user, &size) && size > 0) c.user.assign(user, size - 1);
  c.processor = processorName();
  c.os = operatingSystem();
  c.filled = true;
}

void TSystemFactsGatherer::Gather(TReportSnapshot& s, unsigned long guiThreadId) {
  if (!cache_) cache_ = std::make_unique<Cache>();
  Cache& c = *cache_;
  if (!c.filled) readLastingFacts(c);
  TReportProgramKind kind = s.application.programKind;
  s.application = c.application;
  s.application.programKind = kind;

  TReportComputer& pc = s.system.computer;
  pc.name = c.computerName;
  pc.user = c.user;
  pc.processor = c.processor;
  MEMORYSTATUSEX mem{};
  mem.dwLength = sizeof mem;
  if (GlobalMemoryStatusEx(&mem)) {
    pc.totalMemory = mem.ullTotalPhys;
    pc.freeMemory = mem.ullAvailPhys;
  }
  ULARGE_INTEGER available{}, total{}, free{};
  std::string root = rootOf(c.application.modulePath);
  if (!root.empty() && GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) {
    pc.totalDisk = total.QuadPart;
    pc.freeDisk = available.QuadPart;
  }
  pc.upTimeMs = GetTickCount64();
  DEVMODEA dm{};
  dm.dmSize = sizeof dm;
  if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm)) {
    pc.displayWidth = static_cast<int>(dm.dmPelsWidth);
    pc.displayHeight = static_cast<int>(dm.dmPelsHeight);
    pc.displayBits = static_cast<int>(dm.dmBitsPerPel);
  } else {
    pc.displayWidth = GetSystemMetrics(SM_CXSCREEN);
    pc.displayHeight = GetSystemMetrics(SM_CYSCREEN);
  }
  s.system.os = c.os;

  s.system.network = networkFacts(c.ipHelper.Get());

  s.activeControls =
      kind == TReportProgramKind::pkGui ? ReadActiveControls(guiThreadId) : TReportActiveControls{};
}
