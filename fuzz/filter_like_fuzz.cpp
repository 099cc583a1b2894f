// Differential check of the LIKE matcher: the first byte picks the escape,
// the rest splits into a text and a pattern over a small alphabet; the fast
// matcher must agree with the plain recursive rule on every input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lib/data/cxFilterLike.h"
#include "tests/support/like_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 20) return 0;  // the reference is exponential in the wildcards
  static const char16_t alphabet[] = {u'a', u'b', u'%', u'_', u'!', u'c', u'%', u'a'};
  const char16_t escape = (data[0] & 1) ? u'!' : 0;
  const std::size_t split = 1 + data[1] % (size - 1);
  std::u16string text, pattern;
  for (std::size_t i = 2; i < size; ++i) (i < split + 1 ? text : pattern).push_back(alphabet[data[i] & 7]);
  const bool expected = testing_support::LikeReference(text.data(), text.size(), pattern.data(), pattern.size(),
                                                       u'%', u'_', escape);
  if (data::Like(text.data(), text.size(), pattern.data(), pattern.size(), u'%', u'_', escape) != expected)
    std::abort();
  return 0;
}
