#pragma once
// How the server engine's results, which arrive as text, become values: kept
// apart from the connection so that it can be tested and fuzzed on bytes.
#include <string_view>

#include "platform/dac/driver.h"
#include "platform/rtl/variant.h"

namespace dac {

// One value of a result in the server's text form, read as `column`'s type:
// Int64 (a whole number past 64 bits as a Double), Double, Boolean, a
// date-time, a String (UTF-8 decoded) or the bytes of a bytea (hex or escape
// form). Raises EDatabaseError, naming the column, on text the type cannot
// hold.
rtl::Variant ParsePgTextValue(std::string_view text, const ColumnDesc& column);

}  // namespace dac
