// Module headers and export lists read from memory, and how exported names name an address.
#include "exceptions/stack/module_image.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
// A minimal PE32 library image: headers, an export directory naming three functions (one a
// forwarder) out of order.
std::vector<uint8_t> libraryImage() {
  std::vector<uint8_t> img(0x1000, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&img[at], &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&img[at], &v, 2); };
  img[0] = 'M', img[1] = 'Z';
  put32(60, 0x80);
  std::memcpy(&img[0x80], "PE\0\0", 4);
  put16(0x84 + 18, 0x2102);  // executable image, 32-bit, DLL
  put16(0x84 + 16, 224);
  put16(0x98, 0x10B);
  put32(0x98 + 56, 0x1000);
  put32(0x98 + 96, 0x400);  // export directory
  put32(0x98 + 100, 0x100);
  put32(0x400 + 20, 3);                                           // functions
  put32(0x400 + 24, 3);                                           // names
  put32(0x400 + 28, 0x440);                                       // function RVAs
  put32(0x400 + 32, 0x450);                                       // name RVAs
  put32(0x400 + 36, 0x460);                                       // ordinals
  put32(0x440, 0x900), put32(0x444, 0x480), put32(0x448, 0x800);  // the second is a forwarder
  put32(0x450, 0x470), put32(0x454, 0x478), put32(0x458, 0x47C);
  put16(0x460, 0), put16(0x462, 1), put16(0x464, 2);
  std::memcpy(&img[0x470], "Late", 5);
  std::memcpy(&img[0x478], "Fwd", 4);
  std::memcpy(&img[0x47C], "Early", 6);
  return img;
}
}  // namespace

TEST(ModuleImage, ExportsAreSortedAndForwardersLeftOut) {
  std::vector<uint8_t> img = libraryImage();
  TBufferMemoryReader memory;
  memory.AddRegion(0x10000000, img.data(), static_cast<uint32_t>(img.size()));
  auto headers = ReadPeHeaders(memory, 0x10000000);
  ASSERT_TRUE(headers) << headers.Error();
  EXPECT_TRUE(headers.Value().IsLibrary());
  EXPECT_EQ(headers.Value().sizeOfImage, 0x1000u);
  auto exports = ReadExports(memory, 0x10000000);
  ASSERT_TRUE(exports) << exports.Error();
  ASSERT_EQ(exports.Value().Count(), 2u);
  EXPECT_EQ(exports.Value()[0].name, "Early");
  EXPECT_EQ(exports.Value()[0].address, 0x10000800u);
  EXPECT_EQ(exports.Value().NearestAtOrBelow(0x100008FF)->name, "Early");
  EXPECT_EQ(exports.Value().NearestAtOrBelow(0x10000900)->name, "Late");
  EXPECT_EQ(exports.Value().NearestAtOrBelow(0x100007FF), nullptr);

  // Broken headers are refused, not followed.
  img[0x80] = 'X';
  EXPECT_FALSE(ReadPeHeaders(memory, 0x10000000));
  EXPECT_FALSE(ReadExports(memory, 0x10000000));
  EXPECT_FALSE(ReadPeHeaders(memory, 0x20000000));
}

TEST(ModuleImage, ExportedNamesGiveUnitClassAndProcedure) {
  struct Case {
    const char* name;
    int kind;
    const char *unit, *cls, *proc;
  } cases[] = {
      {"@Forms@TCustomForm@Show$qqrv", 3, "Forms.cpp", "TCustomForm", "Show"},
      {"@Sysutils@Trim$qqrx17System@AnsiString", 3, "Sysutils.cpp", "", "Trim"},
      {"@My@@Unit@TA@@B@Run@@Now$qqrv", 3, "My_Unit.cpp", "TA_B", "Run_Now"},
      {"@Unit@Proc@", 3, "Unit.cpp", "", "Proc"},
      {"Unit.Proc", 3, "Unit.cpp", "", "Proc"},
      {"Unit.TClass.Proc", 3, "Unit.cpp", "TClass", "Proc"},
      {"a.b.c.d", 2, "", "", "a.b.c.d"},
      {"GetTickCount", 2, "", "", "GetTickCount"},
      {"?Method@Class@@QAEXXZ", 1, "", "", ""},
      {"", 1, "", "", ""},
  };
  for (const auto& c : cases) {
    TExportedName n = ParseExportedName(c.name);
    EXPECT_EQ(n.kind, c.kind) << c.name;
    EXPECT_EQ(n.unitName, c.unit) << c.name;
    EXPECT_EQ(n.className, c.cls) << c.name;
    EXPECT_EQ(n.procedureName, c.proc) << c.name;
  }
}
