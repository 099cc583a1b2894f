#include "platform/rtl/sortkey.h"

#include <unicode/coll.h>
#include <unicode/uniset.h>
#include <unicode/usetiter.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/rtl/collation_internal.h"
#include "platform/rtl/formatsettings.h"

namespace rtl {

namespace {

// The characters of the folded form: space, digits and letters.
bool foldable(Char c) {
  return c == u' ' || (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
unsigned char fold(Char c) { return static_cast<unsigned char>(c >= u'A' && c <= u'Z' ? c + 32 : c); }

// Without a collator AnsiCompareText compares code units: the key is the
// units, big-endian.
void ordinalKey(StringView text, std::string& out) {
  out.clear();
  out.reserve(text.size() * 2);
  for (Char c : text) {
    out.push_back(static_cast<char>(c >> 8));
    out.push_back(static_cast<char>(c & 0xFF));
  }
}

// The collator's key without its terminating zero byte, which would only
// repeat what the length says.
void collatorKey(icu::Collator& collator, StringView text, std::string& out) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max() / 4)) {
    ordinalKey(text, out);  // beyond what ICU takes in one call; never met in practice
    return;
  }
  const auto length = static_cast<int32_t>(text.size());
  out.resize(std::max<std::size_t>(out.capacity(), 16 + text.size() * 4));
  int32_t needed = collator.getSortKey(text.data(), length, reinterpret_cast<uint8_t*>(out.data()),
                                       static_cast<int32_t>(out.size()));
  if (needed > static_cast<int32_t>(out.size())) {
    out.resize(static_cast<std::size_t>(needed));
    needed = collator.getSortKey(text.data(), length, reinterpret_cast<uint8_t*>(out.data()), needed);
  }
  out.resize(needed > 0 ? static_cast<std::size_t>(needed) - 1 : 0);
}

// Whether the collator orders texts of foldable characters as their folded
// bytes order: the default order of space, digits and letters, case and the
// rest of the strength ignored, no contraction or tailoring on any of them,
// spaces not ignorable and digits not read as numbers.
bool foldsAsAscii(icu::Collator& collator) {
  UErrorCode err = U_ZERO_ERROR;
  const bool plain = collator.getAttribute(UCOL_ALTERNATE_HANDLING, err) == UCOL_NON_IGNORABLE &&
                     collator.getAttribute(UCOL_NUMERIC_COLLATION, err) == UCOL_OFF &&
                     collator.getAttribute(UCOL_CASE_LEVEL, err) == UCOL_OFF &&
                     collator.getAttribute(UCOL_STRENGTH, err) <= UCOL_SECONDARY;
  if (U_FAILURE(err) || !plain) return false;
  std::unique_ptr<icu::UnicodeSet> tailored(collator.getTailoredSet(err));
  if (U_FAILURE(err) || !tailored) return false;
  icu::UnicodeSetIterator it(*tailored);
  while (it.nextRange()) {
    if (it.isString()) {
      const icu::UnicodeString& s = it.getString();
      for (int32_t i = 0; i < s.length(); ++i)
        if (foldable(s.charAt(i))) return false;
      continue;
    }
    for (UChar32 c = it.getCodepoint(), end = std::min<UChar32>(it.getCodepointEnd(), 0x7F); c <= end; ++c)
      if (foldable(static_cast<Char>(c))) return false;
  }
  // The chain " " < "0" < ... < "9" < "a" < ... < "z", each upper-case
  // letter equal to its lower-case one.
  Char previous = 0;
  for (Char c = u' '; c <= u'z'; ++c) {
    if (!foldable(c)) continue;
    if (c >= u'A' && c <= u'Z') {
      const Char lower = static_cast<Char>(c + 32);
      if (collator.compare(&c, 1, &lower, 1, err) != UCOL_EQUAL) return false;
      continue;
    }
    if (previous != 0 && collator.compare(&previous, 1, &c, 1, err) != UCOL_LESS) return false;
    previous = c;
  }
  return U_SUCCESS(err);
}

// Checked once per thread and locale.
bool collatorFoldsAsAscii(icu::Collator* collator) {
  struct Cache {
    const icu::Collator* collator = nullptr;
    LCID locale = 0;
    bool folds = false;
  };
  thread_local Cache cache;
  const LCID locale = GetThreadLocale();
  if (collator == nullptr) return false;
  if (cache.collator != collator || cache.locale != locale) {
    cache.folds = foldsAsAscii(*collator);
    cache.collator = collator;
    cache.locale = locale;
  }
  return cache.folds;
}

void keyOf(icu::Collator* collator, StringView text, std::string& out) {
  if (collator == nullptr)
    ordinalKey(text, out);
  else
    collatorKey(*collator, text, out);
}

}  // namespace

std::string AnsiTextSortKey(StringView text) {
  std::string key;
  keyOf(internal::IgnoreCaseCollator(), text, key);
  return key;
}

void TAnsiTextSortKeys::append(std::size_t index, const unsigned char* key, std::size_t length) {
  std::uint64_t prefix = 0;
  for (std::size_t b = 0; b < 8; ++b) prefix = (prefix << 8) | (b < length ? key[b] : 0u);
  FPrefixes[index] = prefix;
  FLengths[index] = static_cast<std::uint32_t>(std::min<std::size_t>(length, std::numeric_limits<std::uint32_t>::max()));
  FTailOffsets[index] = FTails.size();
  if (length > 8) FTails.insert(FTails.end(), key + 8, key + length);
}

void TAnsiTextSortKeys::Build(const StringView* texts, std::size_t count) {
  FPrefixes.assign(count, 0);
  FLengths.assign(count, 0);
  FTailOffsets.assign(count, 0);
  FTails.clear();
  icu::Collator* collator = internal::IgnoreCaseCollator();
  FFoldedAscii = collatorFoldsAsAscii(collator) &&
                 std::all_of(texts, texts + count, [](StringView t) { return std::all_of(t.begin(), t.end(), foldable); });
  if (FFoldedAscii) {
    std::vector<unsigned char> folded;
    for (std::size_t i = 0; i < count; ++i) {
      folded.resize(texts[i].size());
      std::transform(texts[i].begin(), texts[i].end(), folded.begin(), fold);
      append(i, folded.data(), folded.size());
    }
    return;
  }
  std::string key;
  for (std::size_t i = 0; i < count; ++i) {
    keyOf(collator, texts[i], key);
    append(i, reinterpret_cast<const unsigned char*>(key.data()), key.size());
  }
}

int TAnsiTextSortKeys::compareTails(std::size_t i, std::size_t j) const {
  const std::size_t a = FLengths[i], b = FLengths[j];
  if (a > 8 && b > 8) {
    const std::size_t n = std::min(a, b) - 8;
    if (const int r = std::memcmp(FTails.data() + FTailOffsets[i], FTails.data() + FTailOffsets[j], n); r != 0)
      return r < 0 ? -1 : 1;
  }
  return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace rtl
