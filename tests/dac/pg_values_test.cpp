// The server engine's text-form values read without a server: the forms it
// writes that the ordinary round trips through the suite's server do not
// reach (numerics past a double's range, the escape form of bytea, damaged
// values).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/dac/pg_values.h"
#include "platform/db/dbtypes.h"
#include "platform/rtl/variant.h"

namespace {

using dac::ColumnType;

rtl::Variant Read(const std::string& text, ColumnType type) {
  const dac::ColumnDesc column{u"valor", type};
  return dac::ParsePgTextValue(text, column);
}

TEST(PgTextValues, NumbersKeepSignAndMagnitudePastADoublesRange) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::string huge = "1" + std::string(400, '0');
  const std::string tiny = "0." + std::string(400, '0') + "1";
  struct Case {
    std::string text;
    ColumnType type;
    double expected;
  } cases[] = {
      {huge, ColumnType::Float, inf},
      {"-" + huge + ".5", ColumnType::Float, -inf},
      {huge, ColumnType::LargeInt, inf},  // numeric(500,0)
      {tiny, ColumnType::Float, 0.0},
      {"99999999999999999999", ColumnType::LargeInt, 1e20},
      {"-Infinity", ColumnType::Float, -inf},
      {"1.5e+20", ColumnType::Float, 1.5e20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 30));
    const rtl::Variant v = Read(c.text, c.type);
    ASSERT_EQ(v.Type(), rtl::varDouble);
    EXPECT_EQ(v.AsDouble(), c.expected);
  }
  EXPECT_TRUE(std::isnan(Read("NaN", ColumnType::Float).AsDouble()));
  EXPECT_EQ(Read("-9223372036854775808", ColumnType::LargeInt).AsInt64(), INT64_MIN);
}

TEST(PgTextValues, ByteaReadsInHexAndInEscapeForm) {
  struct Case {
    std::string text;
    std::string bytes;
  } cases[] = {
      {"\\x", ""},
      {"\\x00fF7f", std::string("\x00\xff\x7f", 3)},
      {"abc", "abc"},
      {"a\\\\b", "a\\b"},
      {"\\000\\377\\101z", std::string("\x00\xff" "Az", 4)},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.text, ColumnType::Blob).AsAnsiString(), c.bytes) << c.text;
}

TEST(PgTextValues, DamagedValuesAreRefusedNamingTheColumn) {
  struct Case {
    std::string text;
    ColumnType type;
  } cases[] = {
      {"\\x123", ColumnType::Blob},   // half a byte at the end
      {"\\x12g4", ColumnType::Blob},
      {"a\\b", ColumnType::Blob},     // a backslash that escapes nothing
      {"\\400", ColumnType::Blob},    // past a byte
      {"\\01", ColumnType::Blob},
      {"1.5x", ColumnType::Float},
      {"12abc", ColumnType::Integer},
      {"", ColumnType::Float},
      {"2025-02-30", ColumnType::Date},
  };
  for (const Case& c : cases) {
    try {
      Read(c.text, c.type);
      ADD_FAILURE() << "accepted '" << c.text << "'";
    } catch (const db::EDatabaseError& e) {
      EXPECT_NE(e.Message().find(u"valor"), rtl::String::npos) << c.text;
    }
  }
}

}  // namespace
