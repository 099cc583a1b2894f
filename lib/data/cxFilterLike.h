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
