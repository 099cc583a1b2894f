#pragma once
// The platform's small numeric routines: rounding to integers, comparison
// with tolerance, ranges and scaled multiplication.
#include <type_traits>

#include "platform/rtl/except.h"
#include "platform/rtl/types.h"

namespace rtl {

// Round, Trunc, Ceil and Floor raise EInvalidOp ("Invalid floating point
// operation") when a value has no integer result (NaN, infinity, or out of
// the Int64 range).

// a * b / c with a 64-bit product, rounded half away from zero; -1 when c is
// 0 or the result does not fit an int.
int MulDiv(int a, int b, int c);

Int64 Round(double value);  // halves go to the even neighbour
Int64 Trunc(double value);
double Frac(double value);
Int64 Ceil(double value);
Int64 Floor(double value);

// epsilon 0 means a tolerance relative to the smaller magnitude (1E-12
// scaled, never below 1E-12).
bool SameValue(double a, double b, double epsilon = 0);

template <class T>
constexpr int Sign(T value) {
  static_assert(std::is_arithmetic_v<T>);
  return value < T(0) ? -1 : value > T(0) ? 1 : 0;
}

template <class V, class L, class H>
constexpr bool InRange(V value, L min, H max) {
  using C = std::common_type_t<V, L, H>;
  return C(value) >= C(min) && C(value) <= C(max);
}

template <class V, class L, class H>
constexpr std::common_type_t<V, L, H> EnsureRange(V value, L min, H max) {
  using C = std::common_type_t<V, L, H>;
  C v = C(value);
  if (v < C(min)) v = C(min);
  if (v > C(max)) v = C(max);
  return v;
}

}  // namespace rtl
