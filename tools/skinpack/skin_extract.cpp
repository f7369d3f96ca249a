#include "skin_extract.h"

#include <system_error>

#include "framework/exception.h"
#include "framework/streams.h"
#include "skin/data/skin_reader.h"
#include "skin/data/skin_text.h"

namespace fs = std::filesystem;

std::vector<std::string> EntryPathParts(const std::string& name, std::string* why) {
  auto refuse = [&](const char* reason) {
    *why = reason;
    return std::vector<std::string>{};
  };
  if (name.find('\0') != std::string::npos) return refuse("has a NUL byte");
  if (!name.empty() && (name[0] == '\\' || name[0] == '/')) return refuse("is an absolute path");
  std::vector<std::string> parts;
  std::string part;
  auto endPart = [&] {
    if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
  };
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    // A GBK trail byte may be 0x5C, the backslash: it belongs to its character.
    if (skin_text::IsGbkLead(c) && i + 1 < name.size()) {
      part += name.substr(i++, 2);
      continue;
    }
    if (c == ':') return refuse("names a drive or a stream");
    if (c == '\\' || c == '/') {
      if (part == "..") return refuse("leaves the destination");
      endPart();
      continue;
    }
    part += char(c);
  }
  if (part == "..") return refuse("leaves the destination");
  endPart();
  if (parts.empty()) return refuse("names no file");
  return parts;
}

TExtractReport ExtractEntries(const TSkinReader& reader, const std::vector<int>& indexes,
                              const fs::path& dest) {
  TExtractReport report;
  for (int i : indexes) {
    const std::string& name = reader.Names()[size_t(i)];
    auto problem = [&](const std::string& why) {
      report.problems.push_back("\"" + skin_text::Printable(name) + "\" " + why);
    };
    std::string why;
    std::vector<std::string> parts = EntryPathParts(name, &why);
    if (parts.empty()) {
      problem(why);
      continue;
    }
    fs::path target = dest;
    for (const std::string& p : parts) target /= p;
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (ec) {
      problem("cannot be written: " + ec.message());
      continue;
    }
    int64_t n;
    const uint8_t* bytes = reader.EntryData(i, &n);
    try {
      WriteFileBytes(target.string(), std::vector<uint8_t>(bytes, bytes + n));
      ++report.written;
    } catch (const Exception& e) {
      problem("cannot be written: " + skin_text::Printable(e.Message(), 300));
    }
  }
  return report;
}
