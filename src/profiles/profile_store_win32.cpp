#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/exception.h"
#include "profiles/profile_store.h"
#include "profiles/section_list.h"

namespace {

// Length of `text` without a double-byte character cut in half at its end. Wine cuts a long
// value at the buffer's last byte even inside a character; a half character would show as
// garbage in the edit box and be written back as such.
std::size_t WholeCharsLength(const char* text, std::size_t length) {
  std::size_t pos = 0;
  while (pos < length) {
    std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[pos])) ? 2 : 1;
    if (pos + step > length) break;
    pos += step;
  }
  return pos;
}

std::string ReadValue(const std::string& path, const std::string& section, const char* key,
                      const char* fallback) {
  std::vector<char> buf(TProfileStore::kValueBufferSize);
  DWORD n = GetPrivateProfileStringA(section.c_str(), key, fallback, buf.data(),
                                     static_cast<DWORD>(buf.size()), path.c_str());
  // When a long value does not fit after conversion to the ANSI code page, Wine reports the
  // whole buffer although it wrote less: the value ends at the first zero.
  std::size_t length = strnlen(buf.data(), std::min<std::size_t>(n, buf.size() - 1));
  return std::string(buf.data(), WholeCharsLength(buf.data(), length));
}

}  // namespace

std::string DefaultProfilePath() {
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return "ip.ini";
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);  // long path: try again with room enough
  }
  buf.push_back('\0');
  return DirectoryOf(buf.data()) + "ip.ini";
}

std::string DirectoryOf(const std::string& fileName) {
  // Walk by characters: in GBK a 0x5C byte can be the second half of a character ("乗" is
  // 81 5C), so the last separator is searched character by character, not byte by byte.
  std::size_t dirEnd = 0;
  for (std::size_t pos = 0; pos < fileName.size();) {
    char c = fileName[pos];
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && pos + 1 < fileName.size()) {
      pos += 2;
      continue;
    }
    ++pos;
    if (c == '\\' || c == '/' || c == ':') dirEnd = pos;
  }
  return fileName.substr(0, dirEnd);
}

TProfileStore::TProfileStore() = default;

TProfileStore::TProfileStore(std::string path, TWriter writer)
    : path_(std::move(path)), writer_(std::move(writer)) {}

std::string TProfileStore::Path() const { return path_.empty() ? DefaultProfilePath() : path_; }

std::vector<std::string> TProfileStore::List() const {
  std::string path = Path();
  // Filled with a non-zero byte: Wine may leave part of the buffer unwritten when the list
  // does not fit, and what it left must not pass for a name's end.
  std::vector<char> buf(kListBufferSize, '\xff');
  DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buf.data(), static_cast<DWORD>(buf.size()),
                                     path.c_str());
  return SplitSectionList(buf.data(), std::min<std::size_t>(n, buf.size() - 1));
}

TIpProfile TProfileStore::Load(const std::string& name) const {
  std::string path = Path();
  const TIpProfile defaults;
  TIpProfile p;
  p.connection = ReadValue(path, name, "LJM", defaults.connection.c_str());
  p.address = ReadValue(path, name, "IP", defaults.address.c_str());
  p.mask = ReadValue(path, name, "ZWYM", defaults.mask.c_str());
  p.gateway = ReadValue(path, name, "MRWG", defaults.gateway.c_str());
  p.dns = ReadValue(path, name, "DNS", defaults.dns.c_str());
  return p;
}

void TProfileStore::Save(const std::string& name, const TIpProfile& profile) const {
  std::string path = Path();
  Write(path, name.c_str(), "LJM", profile.connection.c_str());
  Write(path, name.c_str(), "IP", profile.address.c_str());
  Write(path, name.c_str(), "ZWYM", profile.mask.c_str());
  Write(path, name.c_str(), "MRWG", profile.gateway.c_str());
  Write(path, name.c_str(), "DNS", profile.dns.c_str());
  Flush(path);
}

void TProfileStore::Delete(const std::string& name) const {
  std::string path = Path();
  Write(path, name.c_str(), nullptr, nullptr);
  Flush(path);
}

void TProfileStore::Write(const std::string& path, const char* section, const char* key,
                          const char* value) const {
  bool ok = writer_ ? writer_(section, key, value, path.c_str())
                    : WritePrivateProfileStringA(section, key, value, path.c_str()) != FALSE;
  if (!ok) throw EIniFileException(Format("Unable to write to %s", path.c_str()));
}

void TProfileStore::Flush(const std::string& path) const {
  // The flush's answer means nothing: Wine reports failure for it every time, and the
  // writes before it have already reported their own outcome.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}
