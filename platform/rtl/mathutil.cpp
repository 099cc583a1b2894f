#include "platform/rtl/mathutil.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace rtl {
namespace {

// 2^63 is exact as a double; everything below it converts to Int64.
constexpr double kInt64Bound = 9223372036854775808.0;

Int64 toInt64(double integral) {
  if (!(integral >= -kInt64Bound && integral < kInt64Bound)) throw EInvalidOp(u"Invalid floating point operation");
  return static_cast<Int64>(integral);
}

// Halves to even without relying on the floating-point rounding mode.
double roundHalfEven(double v) {
  double f = std::floor(v);
  double diff = v - f;
  if (diff > 0.5) return f + 1;
  if (diff < 0.5) return f;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

}  // namespace

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  long long product = static_cast<long long>(a) * b;
  long long q = product / c, r = product % c;
  // Round half away from zero: compare twice the remainder with the divisor.
  if (std::llabs(r) * 2 >= std::llabs(static_cast<long long>(c))) q += ((product < 0) != (c < 0)) ? -1 : 1;
  if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min()) return -1;
  return static_cast<int>(q);
}

Int64 Round(double value) { return toInt64(roundHalfEven(value)); }
Int64 Trunc(double value) { return toInt64(std::trunc(value)); }
double Frac(double value) { return value - std::trunc(value); }
Int64 Ceil(double value) { return toInt64(std::ceil(value)); }
Int64 Floor(double value) { return toInt64(std::floor(value)); }

bool SameValue(double a, double b, double epsilon) {
  if (a == b) return true;
  if (epsilon == 0) epsilon = std::fmax(std::fmin(std::fabs(a), std::fabs(b)) * 1e-12, 1e-12);
  return std::fabs(a - b) <= epsilon;
}

Currency Currency::FromDouble(double v) {
  double scaled = roundHalfEven(v * 10000.0);
  return Currency{toInt64(scaled)};
}

}  // namespace rtl
