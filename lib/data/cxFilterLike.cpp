#include "lib/data/cxFilterLike.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace data {

// The pattern with its escapes resolved: an escape character (when the
// previous character did not escape it) matches nothing and makes the next
// character literal.
TcxLikeMatcher::TcxLikeMatcher(const char16_t* APattern, std::size_t APatternLen, char16_t APercentChar,
                               char16_t AUnderlineChar, char16_t AEscapeChar) {
  FTokens.reserve(APatternLen);
  bool escaped = false;
  for (std::size_t i = 0; i < APatternLen; ++i) {
    const char16_t c = APattern[i];
    if (AEscapeChar != 0 && !escaped && c == AEscapeChar) {
      escaped = true;
      continue;
    }
    if (!escaped && c == APercentChar) {
      if (i + 1 == APatternLen) {
        FEndsWithAnyRun = true;
        break;
      }
      FTokens.push_back({TokenKind::AnyRun, c});
    } else if (!escaped && c == AUnderlineChar) {
      FTokens.push_back({TokenKind::One, c});
    } else {
      FTokens.push_back({TokenKind::Literal, c});
    }
    escaped = false;
  }
  // "%literal%": the leading wildcard needs a text character, which any
  // occurrence of a non-empty literal provides; an empty one needs it alone.
  FContains = FEndsWithAnyRun && !FTokens.empty() && FTokens.front().kind == TokenKind::AnyRun &&
              std::all_of(FTokens.begin() + 1, FTokens.end(), [](const Token& t) { return t.kind == TokenKind::Literal; });
  if (FContains)
    for (std::size_t i = 1; i < FTokens.size(); ++i) FLiteral.push_back(FTokens[i].ch);
}

namespace {
struct LikeNoFold {
  char16_t operator()(char16_t c) const { return c; }
};
struct LikeAsciiUpperFold {
  char16_t operator()(char16_t c) const { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }
};
}  // namespace

// A plain search for the literal, each text character folded as it is read.
template <class Fold>
bool TcxLikeMatcher::containsLiteral(const char16_t* AText, std::size_t ATextLen, Fold AFold) const {
  const std::size_t m = FLiteral.size();
  if (ATextLen == 0 || m > ATextLen) return false;
  if (m == 0) return true;
  const char16_t first = FLiteral[0];
  for (std::size_t i = 0; i + m <= ATextLen; ++i) {
    if (AFold(AText[i]) != first) continue;
    std::size_t k = 1;
    while (k < m && AFold(AText[i + k]) == FLiteral[k]) ++k;
    if (k == m) return true;
  }
  return false;
}

bool TcxLikeMatcher::Matches(const char16_t* AText, std::size_t ATextLen) const {
  if (FContains) return containsLiteral(AText, ATextLen, LikeNoFold());
  return matchTokens(AText, ATextLen, LikeNoFold());
}

bool TcxLikeMatcher::MatchesAsciiUpper(const char16_t* AText, std::size_t ATextLen) const {
  if (FContains) return containsLiteral(AText, ATextLen, LikeAsciiUpperFold());
  return matchTokens(AText, ATextLen, LikeAsciiUpperFold());
}

// Iterative matching with one remembered wildcard: when the text runs out of
// agreement after a wildcard, only the latest wildcard takes one more
// character (an earlier one taking more can never help, the latest one
// covers whatever it would have skipped). Every wildcard not at the end
// continues only where a text character remains, as the rule above says.
template <class Fold>
bool TcxLikeMatcher::matchTokens(const char16_t* AText, std::size_t ATextLen, Fold AFold) const {
  const std::vector<Token>& tokens = FTokens;
  const std::size_t n = tokens.size();
  std::size_t pi = 0, ti = 0;
  std::size_t starToken = SIZE_MAX, starText = 0;
  for (;;) {
    if (pi == n) {
      if (FEndsWithAnyRun) return true;
      if (ti == ATextLen) return true;
    } else if (tokens[pi].kind == TokenKind::AnyRun) {
      // The first time a wildcard is reached is at its earliest possible
      // text position; with no character left there, no choice helps.
      if (ti >= ATextLen) return false;
      starToken = pi++;
      starText = ti;
      continue;
    } else if (ti < ATextLen &&
               (tokens[pi].kind == TokenKind::One || tokens[pi].ch == AFold(AText[ti]))) {
      ++pi;
      ++ti;
      continue;
    }
    if (starToken == SIZE_MAX) return false;
    if (++starText >= ATextLen) return false;
    pi = starToken + 1;
    ti = starText;
  }
}

bool Like(const char16_t* AText, std::size_t ATextLen, const char16_t* APattern, std::size_t APatternLen,
          char16_t APercentChar, char16_t AUnderlineChar, char16_t AEscapeChar) {
  return TcxLikeMatcher(APattern, APatternLen, APercentChar, AUnderlineChar, AEscapeChar).Matches(AText, ATextLen);
}

bool LikeStr(const String& AText, const String& APattern, char16_t APercent, char16_t AUnderline,
             char16_t AEscape) {
  return Like(AText.data(), AText.size(), APattern.data(), APattern.size(), APercent, AUnderline, AEscape);
}

void PreparePatternStr(String& APatternStr, char16_t APercent) {
  String out;
  out.reserve(APatternStr.size());
  for (char16_t c : APatternStr) {
    if (c == APercent && !out.empty() && out.back() == APercent) continue;
    out.push_back(c);
  }
  APatternStr = std::move(out);
}

TcxFilterLikePattern LikeOperatorByPattern(String& APatternStr, char16_t APercent) {
  PreparePatternStr(APatternStr, APercent);
  if (APatternStr.size() < 2) return TcxFilterLikePattern::floLike;
  int kind = static_cast<int>(TcxFilterLikePattern::floLike);
  if (APatternStr.front() == APercent) {
    APatternStr.erase(0, 1);
    kind = static_cast<int>(TcxFilterLikePattern::floEndsWith);
  }
  if (!APatternStr.empty() && APatternStr.back() == APercent) {
    APatternStr.pop_back();
    kind += 1;
  }
  return static_cast<TcxFilterLikePattern>(kind);
}

bool DataCompareText(const String& AText1, const String& AText2, bool APartialCompare, bool AIsAnywhere) {
  const String s1 = rtl::AnsiUpperCase(AText1);
  const String s2 = rtl::AnsiUpperCase(AText2);
  if (s2.empty()) return s1.empty();
  if (!APartialCompare) return s1 == s2;
  if (AIsAnywhere) return s1.find(s2) != String::npos;
  return s1.compare(0, s2.size(), s2) == 0;
}

}  // namespace data
