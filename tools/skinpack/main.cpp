// skinpack: packs a skin folder into a skin file, lists a skin file, extracts entries.
//
//   skinpack pack FOLDER FILE
//   skinpack list FILE
//   skinpack extract FILE FOLDER [NAME]
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "framework/streams.h"
#include "skin/data/skin_reader.h"
#include "skin_archive_writer.h"

namespace fs = std::filesystem;

namespace {

int Usage() {
  std::fprintf(stderr, "usage: skinpack pack FOLDER FILE | list FILE | extract FILE FOLDER [NAME]\n");
  return 2;
}

void LoadSkin(const std::string& file, TSkinReader& reader) {
  TMemoryStream packed(ReadFileBytes(file));
  std::string refusal;
  SetSkinMessageNotifier([&](const std::string& text) { refusal = text; });
  bool ok = reader.Load(packed);
  SetSkinMessageNotifier(nullptr);
  if (!ok) throw std::runtime_error(file + ": not a skin archive of version 20000");
}

void WriteEntry(const TSkinReader& reader, int i, const fs::path& folder) {
  const std::string& name = reader.Names()[size_t(i)];
  fs::path target = folder / fs::path(name).filename();
  if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\:") != std::string::npos)
    throw std::runtime_error("refusing entry name with a folder part: " + name);
  int64_t n;
  const uint8_t* p = reader.EntryData(i, &n);
  WriteFileBytes(target.string(), std::vector<uint8_t>(p, p + n));
}

int Run(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string cmd = argv[1];
  if (cmd == "pack" && argc == 4) {
    std::vector<uint8_t> packed = PackSkin(ReadSkinFolder(argv[2]));
    WriteFileBytes(argv[3], packed);
    return 0;
  }
  if (cmd == "list" && argc == 3) {
    TSkinReader reader;
    LoadSkin(argv[2], reader);
    for (int i = 0; i < reader.Count(); ++i)
      std::printf("%10d  %s\n", reader.EntrySize(i), reader.Names()[size_t(i)].c_str());
    return 0;
  }
  if (cmd == "extract" && (argc == 4 || argc == 5)) {
    TSkinReader reader;
    LoadSkin(argv[2], reader);
    fs::create_directories(argv[3]);
    if (argc == 5) {
      int i = reader.FindEntry(argv[4]);
      if (i < 0) throw std::runtime_error(std::string("no entry named ") + argv[4]);
      WriteEntry(reader, i, argv[3]);
    } else {
      for (int i = 0; i < reader.Count(); ++i) WriteEntry(reader, i, argv[3]);
    }
    return 0;
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skinpack: %s\n", e.what());
    return 1;
  }
}
