#include "zip/kpMatch.h"

#include <bitset>

namespace kp {

namespace {

// The characters a restricted star may absorb, shared by every call.
std::bitset<256> StarSet;
bool StarSetNegated = false;

// Character at 1-based position I; past either end a NUL, as at a C string's end.
char At(const AnsiString& S, size_t I) { return I >= 1 && I <= S.size() ? S[I - 1] : '\0'; }

unsigned char Code(char C) { return static_cast<unsigned char>(C); }

AnsiString LowerAscii(AnsiString S) {
  for (char& c : S)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return S;
}

AnsiString From(const AnsiString& S, size_t I) { return I <= S.size() ? S.substr(I - 1) : AnsiString(); }

void AddRange(char Low, char High) {
  for (unsigned c = Code(Low); c <= Code(High); ++c) StarSet.set(c);
}

}  // namespace

int MatchPattern(const AnsiString& Pattern, const AnsiString& Name) {
  StarSet.reset();
  StarSetNegated = false;
  const AnsiString P = LowerAscii(Pattern);
  const AnsiString N = LowerAscii(Name);
  const size_t lenP = P.size();
  const size_t lenN = N.size();
  size_t p = 1;
  size_t n = 1;
  int R = MATCH_UNDECIDED;
  if (P == "*") return MATCH_VALID;
  while (R == MATCH_UNDECIDED && p <= lenP) {
    if (n > lenN) return At(P, p) == '*' && p == lenP ? MATCH_VALID : MATCH_ABORT;
    if (At(P, p) == '*') {
      if (At(P, p + 1) == '<') {
        // A restricted star: read the set its characters must lie in.
        p += 2;
        if (At(P, p) == '!' || At(P, p) == '^') {
          StarSetNegated = true;
          ++p;
        }
        StarSet.reset();
        while (At(P, p) != '>') {
          if (p > lenP) return MATCH_PATTERN;  // the set is never closed
          if (At(P, p + 1) == '-') {
            AddRange(At(P, p), At(P, p + 2));
            p += 3;
          } else {
            StarSet.set(Code(At(P, p)));
            ++p;
          }
        }
        ++p;
      } else {
        StarSet.reset();
        StarSetNegated = false;
      }
      R = MatchStar(From(P, p), From(N, n));
    } else if (At(P, p) == '<') {
      ++p;
      bool negated = false;
      if (At(P, p) == '!' || At(P, p) == '^') {
        negated = true;
        ++p;
      }
      if (At(P, p) == '>') return MATCH_PATTERN;  // an empty set
      const unsigned char c = Code(At(N, n));
      bool found = false;
      while (!found && At(P, p) != '>') {
        if (p > lenP) return MATCH_PATTERN;
        if (At(P, p + 1) == '-') {
          if (p + 2 > lenP || At(P, p + 2) == '>') return MATCH_PATTERN;
          found = c >= Code(At(P, p)) && c <= Code(At(P, p + 2));
          p += 3;
        } else {
          found = c == Code(At(P, p));
          ++p;
        }
      }
      if (negated == found) return MATCH_RANGE;
      if (found) {
        while (At(P, p) != '>') {
          if (p > lenP) return MATCH_PATTERN;
          ++p;
        }
      }
    } else if (At(P, p) != '?' && At(P, p) != At(N, n)) {
      R = MATCH_LITERAL;
    }
    ++p;
    ++n;
  }
  if (R == MATCH_UNDECIDED) return n > lenN ? MATCH_VALID : MATCH_END;
  return R;
}

int MatchStar(const AnsiString& Pattern, const AnsiString& Name) {
  AnsiString P = Pattern;
  AnsiString N = Name;
  int R = MATCH_UNDECIDED;
  size_t i = 1;
  size_t j = 1;
  if (!P.empty()) {
    // Stars and the '?'s among them: each '?' takes one name character.
    while ((j <= N.size() && i < P.size() && At(P, i) == '?') || At(P, i) == '*') {
      if (At(P, i) == '?') ++j;
      ++i;
    }
  }
  if (j > N.size()) return MATCH_ABORT;
  if (!P.empty() && i > P.size()) return MATCH_VALID;
  do {
    if (!P.empty() && (At(P, i) == At(N, j) || At(P, i) == '<')) {
      P = From(P, i);
      N = From(N, j);
      i = 1;
      j = 1;
      R = MatchPattern(P, N);
    }
    if (j > N.size()) return MATCH_ABORT;
    if (R != MATCH_VALID && StarSet.any()) {
      const bool inSet = StarSet.test(Code(At(N, j)));
      if (StarSetNegated == inSet) return MATCH_ABORT;
    }
    ++j;
  } while (R != MATCH_VALID && j <= N.size());
  if (i > P.size() && j > N.size()) R = MATCH_VALID;
  return R;
}

bool WildcardMatch(const AnsiString& Pattern, const AnsiString& Name) {
  return MatchPattern(Pattern, Name) == MATCH_VALID;
}

}  // namespace kp
