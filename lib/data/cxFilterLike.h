#pragma once
// The two text matchers of the data controllers.
//
// The LIKE matcher: a wildcard for any run of characters, one for exactly
// one character and an optional escape character (0 = none), all given by
// the caller (the filter criteria own them). Characters compare as UTF-16
// code units, exactly; callers fold case beforehand when they want to.
//
// One rule is easy to miss: after a percent character that is not the last
// pattern character, the rest of the pattern is tried only against text
// that still has at least one character, so "ab%%" does not match "ab"
// while "ab%" does.
#include <cstddef>
#include <vector>

#include "platform/rtl/ustring.h"

namespace data {

using rtl::String;

// How a pattern reads in a filter's display text (the pattern class).
enum class TcxFilterLikePattern { floLike, floBeginsWith, floEndsWith, floContains };

// Whether AText matches APattern. Runs in time proportional to the product
// of the two lengths whatever the pattern, so a hostile pattern from a user
// or a stream cannot stall a filter.
bool Like(const char16_t* AText, std::size_t ATextLen, const char16_t* APattern, std::size_t APatternLen,
          char16_t APercentChar, char16_t AUnderlineChar, char16_t AEscapeChar);
bool LikeStr(const String& AText, const String& APattern, char16_t APercent, char16_t AUnderline,
             char16_t AEscape);
// A pattern read once and matched against many texts (a filter condition
// against every record): the same answers as Like, without reading the
// pattern again per text. A pattern that is one literal between a leading
// and a trailing percent character ("contains") is matched by a plain
// search.
class TcxLikeMatcher {
 public:
  TcxLikeMatcher(const char16_t* APattern, std::size_t APatternLen, char16_t APercentChar, char16_t AUnderlineChar,
                 char16_t AEscapeChar);
  bool Matches(const char16_t* AText, std::size_t ATextLen) const;
  bool Matches(rtl::StringView AText) const { return Matches(AText.data(), AText.size()); }
  // The answer Matches gives for the text with its ASCII lower-case letters
  // made upper-case, without making that copy: a case-insensitive filter
  // whose pattern is already upper-cased tests each record's ASCII text as
  // it lies. AText must be ASCII only (other characters fold by the full
  // mapping, which the caller applies itself).
  bool MatchesAsciiUpper(const char16_t* AText, std::size_t ATextLen) const;
  bool MatchesAsciiUpper(rtl::StringView AText) const { return MatchesAsciiUpper(AText.data(), AText.size()); }

 private:
  enum class TokenKind : unsigned char { AnyRun, One, Literal };
  struct Token {
    TokenKind kind;
    char16_t ch;
  };
  template <class Fold>
  bool matchTokens(const char16_t* AText, std::size_t ATextLen, Fold AFold) const;
  template <class Fold>
  bool containsLiteral(const char16_t* AText, std::size_t ATextLen, Fold AFold) const;

  std::vector<Token> FTokens;
  // A percent character that is the pattern's very last character ends the
  // match at once, whatever text remains.
  bool FEndsWithAnyRun = false;
  bool FContains = false;
  String FLiteral;  // of a "contains" pattern
};

// Collapses every run of two or more percent characters into one.
void PreparePatternStr(String& APatternStr, char16_t APercent);
// Prepares the pattern, classifies it by its leading and trailing percent
// characters and strips the ones that made the class.
TcxFilterLikePattern LikeOperatorByPattern(String& APatternStr, char16_t APercent);

// Case-insensitive (locale-aware upper-casing) comparison of incremental
// search and locate: equal; with APartialCompare AText1 begins with AText2,
// or contains it anywhere with AIsAnywhere. An empty AText2 matches only an
// empty AText1.
bool DataCompareText(const String& AText1, const String& AText2, bool APartialCompare, bool AIsAnywhere = false);

}  // namespace data
