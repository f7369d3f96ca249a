#include "skin_archive_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "lzh_encoder.h"

namespace fs = std::filesystem;

namespace {
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return s;
}
}  // namespace

std::vector<uint8_t> BuildSkinArchive(const std::vector<TSkinEntry>& entries) {
  if (entries.size() > 1001) throw std::runtime_error("a skin holds at most 1001 entries");
  std::string list;
  for (const auto& e : entries) {
    if (e.name.empty() || e.name.find_first_of("\r\n") != std::string::npos)
      throw std::runtime_error("invalid entry name \"" + e.name + "\"");
    list += e.name + "\r\n";
  }
  std::vector<uint8_t> out;
  Put32(out, 20000);
  Put32(out, uint32_t(list.size()));
  Put32(out, 0);
  Put32(out, 0);
  out.insert(out.end(), list.begin(), list.end());
  for (const auto& e : entries) {
    if (e.bytes.size() > 0x7FFFFFFF) throw std::runtime_error("entry too large: " + e.name);
    Put32(out, uint32_t(e.bytes.size()));
  }
  for (const auto& e : entries) out.insert(out.end(), e.bytes.begin(), e.bytes.end());
  return out;
}

std::vector<uint8_t> PackSkin(const std::vector<TSkinEntry>& entries) {
  return LzhPackStored(BuildSkinArchive(entries));
}

std::vector<TSkinEntry> ReadSkinFolder(const std::string& folder) {
  if (!fs::is_directory(folder)) throw std::runtime_error("not a folder: " + folder);
  std::vector<fs::path> bmps, inis;
  for (const auto& de : fs::directory_iterator(folder)) {
    if (!de.is_regular_file()) continue;
    std::string ext = Lower(de.path().extension().string());
    if (ext == ".bmp")
      bmps.push_back(de.path());
    else if (ext == ".ini")
      inis.push_back(de.path());
  }
  if (inis.size() != 1)
    throw std::runtime_error("the folder must hold exactly one .ini definition, found " +
                             std::to_string(inis.size()));
  std::sort(bmps.begin(), bmps.end());
  std::vector<fs::path> files = bmps;
  files.push_back(inis[0]);  // the definition goes last
  std::vector<TSkinEntry> entries;
  for (const auto& p : files) {
    std::ifstream f(p, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + p.string());
    TSkinEntry e;
    e.name = p.filename().string();
    e.bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    entries.push_back(std::move(e));
  }
  return entries;
}
