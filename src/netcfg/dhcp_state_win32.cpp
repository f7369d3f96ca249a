// Asks the IP Helper API whether a connection is on DHCP. The library is loaded on demand from
// the system directory; without it (or without the function) the answer is "cannot tell".
// winsock2.h must come before windows.h, iphlpapi.h after both.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <utility>
#include <vector>

#include "netcfg/netsh_win32.h"

namespace {

class TLibrary {
 public:
  explicit TLibrary(HMODULE m) : m_(m) {}
  TLibrary(const TLibrary&) = delete;
  TLibrary& operator=(const TLibrary&) = delete;
  ~TLibrary() {
    if (m_) FreeLibrary(m_);
  }
  HMODULE Get() const { return m_; }

 private:
  HMODULE m_;
};

using GetAdaptersAddressesFn = ULONG(WINAPI*)(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES, PULONG);

std::wstring Widen(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

}  // namespace

std::optional<bool> IsDhcpEnabled(const std::string& connection) {
  char dir[MAX_PATH + 1];
  UINT n = GetSystemDirectoryA(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::nullopt;
  std::string path = std::string(dir, n) + "\\iphlpapi.dll";
  TLibrary lib(LoadLibraryA(path.c_str()));
  if (!lib.Get()) return std::nullopt;
  auto getAddresses = reinterpret_cast<GetAdaptersAddressesFn>(
      reinterpret_cast<void*>(GetProcAddress(lib.Get(), "GetAdaptersAddresses")));
  if (!getAddresses) return std::nullopt;

  const ULONG flags =
      GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buf;
  ULONG rc = ERROR_BUFFER_OVERFLOW;
  // The adapter list can grow between the two calls; a few tries are enough.
  for (int attempt = 0; attempt < 4 && rc == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buf.assign(size, 0);
    rc = getAddresses(AF_INET, flags, nullptr, reinterpret_cast<PIP_ADAPTER_ADDRESSES>(buf.data()), &size);
  }
  if (rc != NO_ERROR) return std::nullopt;

  const std::wstring wanted = Widen(connection);
  for (auto* a = reinterpret_cast<PIP_ADAPTER_ADDRESSES>(buf.data()); a; a = a->Next) {
    if (!a->FriendlyName) continue;
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a->FriendlyName, -1, wanted.c_str(),
                       static_cast<int>(wanted.size())) == CSTR_EQUAL)
      return (a->Flags & IP_ADAPTER_DHCP_ENABLED) != 0;
  }
  return std::nullopt;
}
