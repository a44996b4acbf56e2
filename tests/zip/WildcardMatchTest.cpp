// The wildcard matcher: one table of pattern, name and result code.
#include <gtest/gtest.h>

#include "zip/kpMatch.h"

using namespace kp;

namespace {

TEST(WildcardMatch, TableOfPatterns) {
  const struct { const char* pattern; const char* name; int result; } cases[] = {
      {"*", "", 1},
      {"*.*", "readme", 5},
      {"*.txt", "A.TXT", 1},
      {"a?c", "ac", 3},
      {"*?", "ab", 1},
      {"*?", "abc", 2},
      {"a*?", "abc", 1},
      {"*<a-z>", "ab1", 3},
      {"abc*<0-9>", "abc123", 1},
      {"abc*<0-9>", "abc", 3},
      {"a*<0-9>b", "ab", 1},
      {"<c-a>x", "bx", 4},
      {"<^a-c>x", "dx", 1},
      {"<!a-c>x", "bx", 4},
      {"<a-cx>y", "xy", 1},
      {"<>x", "x", 6},
      {"<a->", "a", 6},
      {"<ab", "a", 6},    // a set that is never closed
      {"*<a-", "a", 6},   // a star's set that is never closed
      {"*<ab", "ab", 6},
      {"*\\f.txt", "dir\\sub\\f.txt", 1},
      {"*\\readme.txt", "readme.txt", 5},  // not at the root
      {"", "", 1},
      {"", "a", 2},
      {"update\\*", "UPDATE\\AUTO\\x.exe", 1},
      {"*.e?e", "setup.exe", 1},
      {"f*s.ini", "files.ini", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchPattern(c.pattern, c.name), c.result) << c.pattern << " vs " << c.name;
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.result == 1) << c.pattern << " vs " << c.name;
  }
}

}  // namespace
