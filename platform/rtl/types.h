#pragma once
// Basic scalar and text types shared by the whole run-time layer.
#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

using Char = char16_t;
using String = std::u16string;
using StringView = std::u16string_view;

using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using Byte = std::uint8_t;
using Word = std::uint16_t;
using SmallInt = std::int16_t;
using ShortInt = std::int8_t;
using LongWord = std::uint32_t;
using NativeInt = std::intptr_t;
using NativeUInt = std::uintptr_t;
using Extended = double;

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;
using TDate = double;
using TTime = double;

// Fixed point with four decimals, kept as the value times 10,000 (the
// platform's Currency; 8 bytes in streams).
struct Currency {
  Int64 value = 0;  // scaled by 10,000
  static constexpr Currency FromScaled(Int64 scaled) { return Currency{scaled}; }
  // Rounds half to even at the fourth decimal, as the platform does.
  static Currency FromDouble(double v);
  double ToDouble() const { return static_cast<double>(value) / 10000.0; }
  friend constexpr bool operator==(Currency a, Currency b) = default;
  friend constexpr auto operator<=>(Currency a, Currency b) = default;
};

}  // namespace rtl
