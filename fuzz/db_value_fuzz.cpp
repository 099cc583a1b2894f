// Values as the databases hand them over in text: the server engine's result
// values of each column type it reads, and the ISO date-times both engines
// store. The first byte picks the reader; the rest is the text.
//
// Promises checked: a number keeps its sign and magnitude class (never a
// silent zero); a date-time written back in the engines' form reads back to
// the same text, and text already in that form is kept as is; bytes in the
// hex form come back one per pair of digits; text is decoded as UTF-8.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/dac/driver.h"
#include "platform/dac/pg_values.h"
#include "platform/db/dbtypes.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"
#include "platform/rtl/variant.h"

namespace {

using dac::ColumnType;

constexpr ColumnType kTypes[] = {ColumnType::Boolean, ColumnType::SmallInt, ColumnType::Integer,
                                 ColumnType::LargeInt, ColumnType::Float,   ColumnType::Date,
                                 ColumnType::Time,     ColumnType::DateTime, ColumnType::Blob,
                                 ColumnType::String,   ColumnType::Memo};
constexpr std::size_t kTypeCount = sizeof kTypes / sizeof kTypes[0];

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// A plain decimal number as the server writes numerics: [-]digits[.digits].
bool plainDecimal(std::string_view t, bool& negative, bool& nonZero, bool& wholePart) {
  negative = !t.empty() && t[0] == '-';
  if (negative) t.remove_prefix(1);
  const std::size_t dot = t.find('.');
  const std::string_view whole = t.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : t.substr(dot + 1);
  if (whole.empty()) return false;
  nonZero = wholePart = false;
  for (char c : whole) {
    if (c < '0' || c > '9') return false;
    wholePart = wholePart || c != '0';
  }
  for (char c : fraction) {
    if (c < '0' || c > '9') return false;
    nonZero = nonZero || c != '0';
  }
  nonZero = nonZero || wholePart;
  return true;
}

void checkNumber(std::string_view t, const rtl::Variant& v) {
  bool negative = false, nonZero = false, wholePart = false;
  if (!plainDecimal(t, negative, nonZero, wholePart)) return;
  if (v.Type() == rtl::varInt64) {
    check(nonZero ? (v.AsInt64() < 0) == negative : v.AsInt64() == 0);
    return;
  }
  check(v.Type() == rtl::varDouble);
  const double d = v.AsDouble();
  check(!std::isnan(d));
  // A number the text says is at least one in size stays so.
  if (wholePart) check(std::fabs(d) >= 1.0 && std::signbit(d) == negative);
  if (!nonZero) check(d == 0.0);
}

std::string isoOf(ColumnType type, rtl::TDateTime v) {
  if (type == ColumnType::Date) return dac::FormatIsoDate(v);
  if (type == ColumnType::Time) return dac::FormatIsoTime(v);
  return dac::FormatIsoDateTime(v);
}

// "yyyy-mm-dd", "hh:nn:ss" or "yyyy-mm-dd hh:nn:ss" as the column's type
// writes it (only called on text that was read as a value).
bool canonical(std::string_view t, ColumnType type) {
  if (type == ColumnType::Date) return t.size() == 10;
  if (type == ColumnType::Time) return t.size() == 8 && t[2] == ':' && t[5] == ':';
  return t.size() == 19 && t[10] == ' ' && t[13] == ':' && t[16] == ':';
}

void checkStamp(std::string_view t, ColumnType type, const rtl::Variant& v) {
  const std::string written = isoOf(type, v.AsDateTime());
  rtl::TDateTime again;
  check(dac::ParseIsoDateTime(written, again, type == ColumnType::Time));
  check(isoOf(type, again) == written);
  // Text in the engines' own form comes back unchanged.
  if (canonical(t, type)) check(written == t);
}

void checkBytes(std::string_view t, const rtl::Variant& v) {
  const std::string bytes = v.AsAnsiString();
  if (t.size() < 2 || t.substr(0, 2) != "\\x") return;
  check(t.size() % 2 == 0 && bytes.size() == (t.size() - 2) / 2);
  static const char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    check(lower(t[2 + 2 * i]) == kHex[b >> 4] && lower(t[3 + 2 * i]) == kHex[b & 15]);
  }
}

void readServerValue(ColumnType type, std::string_view t) {
  dac::ColumnDesc column;
  column.Name = u"c";
  column.Type = type;
  rtl::Variant v;
  try {
    v = dac::ParsePgTextValue(t, column);
  } catch (const rtl::Exception&) {
    return;
  }
  switch (type) {
    case ColumnType::SmallInt:
    case ColumnType::Integer:
    case ColumnType::LargeInt:
    case ColumnType::Float: checkNumber(t, v); break;
    case ColumnType::Date:
    case ColumnType::Time:
    case ColumnType::DateTime: checkStamp(t, type, v); break;
    case ColumnType::Blob: checkBytes(t, v); break;
    case ColumnType::String:
    case ColumnType::Memo: check(v.AsString() == rtl::Utf8ToString(t)); break;
    default: break;
  }
}

// Date-times written with one exact picture read back to the same text.
void readPictured(std::string_view t) {
  static const char16_t* const kPictures[] = {u"yyyy-mm-dd hh:nn:ss", u"yyyy-mm-dd"};
  const rtl::String text = rtl::Utf8ToString(t);
  for (const char16_t* picture : kPictures) {
    rtl::TDateTime v;
    if (rtl::TryParseDateTime(text, picture, v)) check(rtl::FormatDateTime(picture, v) == text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t pick = data[0] % (kTypeCount + 1);
  if (pick < kTypeCount) {
    readServerValue(kTypes[pick], text);
  } else {
    readPictured(text);
  }
  return 0;
}
