#pragma once
// The LIKE rule written the plain recursive way, step by step as the filter
// documents it: the yardstick the fast matcher is checked against (tests and
// the differential fuzz target). Exponential on purpose-built patterns; keep
// its inputs short.
#include <cstddef>

namespace testing_support {

inline bool LikeReference(const char16_t* t, std::size_t tn, const char16_t* p, std::size_t pn, char16_t percent,
                          char16_t underline, char16_t escape) {
  std::size_t pi = 0, ti = 0;
  bool flag = false;
  for (;;) {
    if (pi == pn) return ti == tn;
    const char16_t c = p[pi];
    if (escape != 0 && !flag && c == escape) {
      flag = true;
      ++pi;
      continue;
    }
    if (!flag && c == percent) {
      if (pi + 1 == pn) return true;
      for (std::size_t s = ti; s < tn; ++s)
        if (LikeReference(t + s, tn - s, p + pi + 1, pn - pi - 1, percent, underline, escape)) return true;
      return false;
    }
    if (ti == tn) return false;
    if (!((!flag && c == underline) || c == t[ti])) return false;
    flag = false;
    ++pi;
    ++ti;
  }
}

}  // namespace testing_support
