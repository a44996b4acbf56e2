#pragma once
// Wildcard matching of stored paths: '?' one character, '*' any run (path
// separators included), <set> one character of a set (<a-z>, <!x>, <^x>), and
// *<set> a star whose characters must lie in the set. ASCII case is ignored.
// The star's set is one process-wide state: one thread at a time.
#include <string>

#include "rtl/SysUtils.h"

namespace kp {
using namespace vcl;

// Result codes of MatchPattern and MatchStar.
enum : int {
  MATCH_UNDECIDED = 0,  // MatchStar only
  MATCH_VALID = 1,
  MATCH_END = 2,        // pattern used up while name characters remain
  MATCH_ABORT = 3,      // name used up while pattern characters remain
  MATCH_RANGE = 4,      // set did not match
  MATCH_LITERAL = 5,    // character mismatch
  MATCH_PATTERN = 6     // malformed set
};

bool WildcardMatch(const AnsiString& Pattern, const AnsiString& Name);
int MatchPattern(const AnsiString& Pattern, const AnsiString& Name);
int MatchStar(const AnsiString& Pattern, const AnsiString& Name);

}  // namespace kp
