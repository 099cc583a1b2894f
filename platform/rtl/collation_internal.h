#pragma once
// Shared by the text code of this folder only (it pulls in ICU's headers):
// the collator behind AnsiCompareText, so that sort keys come from the very
// collator the comparisons use.
#include <unicode/coll.h>

namespace rtl::internal {

// The calling thread's collator for its thread locale, ignoring case; null
// when ICU could not make one (AnsiCompareText then compares ordinally).
icu::Collator* IgnoreCaseCollator();

}  // namespace rtl::internal
