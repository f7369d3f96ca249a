#include "profiles/section_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A byte string literal with its inner zeros, without the compiler's final one.
#define BYTES(lit) std::string(lit, sizeof(lit) - 1)

namespace {
std::vector<std::string> Split(const std::string& bytes, std::size_t returned) {
  return SplitSectionList(bytes.data(), returned);
}
}  // namespace

TEST(SplitSectionList, TakesNamesInOrder) {
  std::string list = BYTES("家里\0公司\0Lab 2\0\0");
  EXPECT_THAT(Split(list, list.size() - 1), ElementsAre("家里", "公司", "Lab 2"));
  EXPECT_THAT(Split(BYTES("\0\0"), 0), IsEmpty());
}

TEST(SplitSectionList, DropsANameCutByTheBuffer) {
  // Windows: the last name cut, two zeros, count = size - 2.
  std::string windows = BYTES("one\0tw\0\0");
  EXPECT_THAT(Split(windows, 6), ElementsAre("one"));
  // Wine after a failed conversion: count = size - 1, one zero, possibly half a character.
  std::string wine = BYTES("one\0\xb9\0");
  EXPECT_THAT(Split(wine, 5), ElementsAre("one"));
}

TEST(SplitSectionList, StopsAtAnEmptyName) {
  std::string list = BYTES("a\0\0b\0\0");
  EXPECT_THAT(Split(list, 5), ElementsAre("a"));
}
