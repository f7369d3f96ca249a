// skinpack: packs a skin folder into a skin file, lists a skin file, extracts entries.
//
//   skinpack pack FOLDER FILE
//   skinpack stream FOLDER FILE
//   skinpack list FILE
//   skinpack extract FILE FOLDER [NAME]
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "framework/streams.h"
#include "skin/data/skin_reader.h"
#include "skin/data/skin_text.h"
#include "skin_archive_writer.h"
#include "skin_extract.h"

namespace fs = std::filesystem;

namespace {

int Usage() {
  std::fprintf(
      stderr,
      "usage: skinpack pack FOLDER FILE | stream FOLDER FILE | list FILE | extract FILE FOLDER [NAME]\n");
  return 2;
}

void LoadSkin(const std::string& file, TSkinReader& reader) {
  TMemoryStream packed(ReadFileBytes(file));
  SetSkinMessageNotifier([](const std::string&) {});
  bool ok = reader.Load(packed);
  SetSkinMessageNotifier(nullptr);
  if (!ok) throw std::runtime_error(file + ": not a skin archive of version 20000");
}

int Extract(const std::string& file, const std::string& folder, const char* name) {
  TSkinReader reader;
  LoadSkin(file, reader);
  std::vector<int> wanted;
  if (name) {
    int i = reader.FindEntry(name);
    if (i < 0) throw std::runtime_error("no entry named " + skin_text::Printable(name));
    wanted.push_back(i);
  } else {
    for (int i = 0; i < reader.Count(); ++i) wanted.push_back(i);
  }
  fs::create_directories(folder);
  TExtractReport report = ExtractEntries(reader, wanted, folder);
  if (report.problems.empty()) return 0;
  std::fprintf(stderr, "skinpack: %d of %zu entries written; not written:\n", report.written, wanted.size());
  for (const std::string& p : report.problems) std::fprintf(stderr, "  %s\n", p.c_str());
  return 1;
}

int Run(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string cmd = argv[1];
  if (cmd == "pack" && argc == 4) {
    WriteFileBytes(argv[3], PackSkin(ReadSkinFolder(argv[2])));
    return 0;
  }
  if (cmd == "stream" && argc == 4) {
    // As a window's layout stores it: the byte count, then the packed skin.
    std::vector<uint8_t> packed = PackSkin(ReadSkinFolder(argv[2]));
    std::vector<uint8_t> out;
    out.reserve(packed.size() + 4);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(packed.size() >> (8 * i)));
    out.insert(out.end(), packed.begin(), packed.end());
    WriteFileBytes(argv[3], out);
    return 0;
  }
  if (cmd == "list" && argc == 3) {
    TSkinReader reader;
    LoadSkin(argv[2], reader);
    for (int i = 0; i < reader.Count(); ++i)
      std::printf("%10d  %s\n", reader.EntrySize(i), skin_text::Printable(reader.Names()[size_t(i)]).c_str());
    return 0;
  }
  if (cmd == "extract" && (argc == 4 || argc == 5))
    return Extract(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skinpack: %s\n", skin_text::Printable(e.what(), 400).c_str());
    return 1;
  }
}
