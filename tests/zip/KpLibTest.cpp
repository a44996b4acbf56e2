// The shared routines: percentages, DOS date-time repair, string parts.
#include <gtest/gtest.h>

#include "zip/KpLib.h"

using namespace kp;

namespace {

constexpr uint32_t Dos(int y, int mo, int d, int h, int mi, int s2) {
  return (uint32_t(y - 1980) << 25) | (uint32_t(mo) << 21) | (uint32_t(d) << 16) | (uint32_t(h) << 11) |
         (uint32_t(mi) << 5) | uint32_t(s2);
}

TEST(KpLib, Percentages) {
  const struct { int32_t total, done; int percent; } cases[] = {
      {0, 5, 0}, {-3, 5, 0}, {100, -7, 0}, {200, 1, 0}, {200, 3, 2}, {200, 5, 2}, {10, 20, 100}, {3, 1, 33}, {3, 2, 67},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PercentOf(c.total, c.done), c.percent) << c.total << " " << c.done;
    EXPECT_EQ(PercentOf64(c.total, c.done), c.percent) << c.total << " " << c.done;
  }
  EXPECT_EQ(PercentOf64(int64_t{1} << 40, int64_t{1} << 39), 50);
}

TEST(KpLib, RepairDosDateTime) {
  const struct { uint32_t in, out; } cases[] = {
      {Dos(2021, 5, 17, 13, 45, 10), Dos(2021, 5, 17, 13, 45, 10)},  // valid: bit for bit
      {Dos(2021, 5, 17, 31, 45, 10), Dos(2021, 5, 17, 24, 45, 10)},  // hour 31 -> 24
      {Dos(2021, 0, 0, 1, 2, 3), Dos(2021, 1, 1, 1, 2, 3)},          // month, day 0 -> 1
      {Dos(2021, 13, 0, 0, 0, 0), Dos(2021, 12, 1, 0, 0, 0)},
      {Dos(2021, 5, 5, 10, 63, 30), Dos(2021, 5, 5, 10, 59, 29)},    // 60 s -> 59, stored as 29
      {Dos(2107, 5, 5, 0, 0, 0), Dos(2099, 5, 5, 0, 0, 0)},
      {0, Dos(1980, 1, 1, 0, 0, 0)},
  };
  for (const auto& c : cases) EXPECT_EQ(RepairDosDateTime(c.in), c.out) << std::hex << c.in;
}

TEST(KpLib, StringParts) {
  EXPECT_EQ(RightPart("abc", 5), "abc");
  EXPECT_EQ(RightPart("abcdef", 2), "ef");
  EXPECT_EQ(LeftPart("abcdef", 2), "ab");
  EXPECT_EQ(LeftPart("ab", 5), "ab");
  char path[] = "a/b/c.txt";
  EXPECT_STREQ(SlashesToBackslashes(path), "a\\b\\c.txt");
  EXPECT_EQ(StringFromCString(NewCString("copy").get()), "copy");
  EXPECT_EQ(kpmin(3, -2), -2);
  EXPECT_EQ(kpmax(3, -2), 3);
}

}  // namespace
