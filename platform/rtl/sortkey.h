#pragma once
// Sort keys for the case-insensitive order of AnsiCompareText. Comparing two
// texts through the collator costs far more than comparing two byte strings,
// and a sort compares each text about log2(n) times: a set of texts gets its
// keys built once, then compares as bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/types.h"

namespace rtl {

// The key of one text: for any two texts a and b under one thread locale,
// comparing AnsiTextSortKey(a) with AnsiTextSortKey(b) as byte strings
// (std::string's operator<, shorter prefix first) has the sign of
// AnsiCompareText(a, b). Keys made under different locales do not compare.
std::string AnsiTextSortKey(StringView text);

// The keys of a whole set of texts, kept side by side. When every text of the
// set is made of ASCII letters, digits and spaces and the locale orders those
// as the default collation does (no tailoring touches them), a key is the
// folded text itself, which the collator would order the same way; otherwise
// it is AnsiTextSortKey's. Either way Compare(i, j) has the sign of
// AnsiCompareText(texts[i], texts[j]) under the thread locale of the build.
class TAnsiTextSortKeys {
 public:
  TAnsiTextSortKeys() = default;
  TAnsiTextSortKeys(const StringView* texts, std::size_t count) { Build(texts, count); }

  void Build(const StringView* texts, std::size_t count);
  std::size_t Count() const { return FPrefixes.size(); }
  // Whether the last build took the folded-ASCII form (for tests and benches).
  bool FoldedAscii() const { return FFoldedAscii; }

  // -1, 0 or 1.
  int Compare(std::size_t i, std::size_t j) const {
    const std::uint64_t a = FPrefixes[i], b = FPrefixes[j];
    if (a != b) return a < b ? -1 : 1;
    return compareTails(i, j);
  }
  bool Less(std::size_t i, std::size_t j) const { return Compare(i, j) < 0; }

 private:
  // Bytes past the first eight, then the lengths (a key that is a prefix of
  // another sorts first).
  int compareTails(std::size_t i, std::size_t j) const;
  void append(std::size_t index, const unsigned char* key, std::size_t length);

  // The first eight bytes of each key, big-endian, zero-padded.
  std::vector<std::uint64_t> FPrefixes;
  std::vector<std::uint32_t> FLengths;
  std::vector<std::size_t> FTailOffsets;
  std::vector<unsigned char> FTails;
  bool FFoldedAscii = false;
};

}  // namespace rtl
