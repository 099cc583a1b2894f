#pragma once
// How fields and parameters turn the values they are given into the values
// they keep; shared so that both read text the same way. Not part of db.h.
#include "platform/db/dbtypes.h"

namespace db {

// Null and Unassigned both mean "no value" to fields and parameters.
inline bool isNullValue(const Variant& v) { return rtl::VarIsNull(v) || rtl::VarIsEmpty(v); }

// Text is trimmed and read with `fs` (raising EConvertError when it is not a
// number); any other variant converts itself.
double floatFromVariant(const Variant& value, const rtl::TFormatSettings& fs);
Currency currencyFromVariant(const Variant& value, const rtl::TFormatSettings& fs);
// Text only: trimmed and read with `fs`.
rtl::TBcd bcdFromText(const Variant& text, const rtl::TFormatSettings& fs);
// A date and time from a variant that is not text: a SQL time stamp as the
// moment it names, anything else through the variant's own conversion.
TDateTime dateTimeFromNonText(const Variant& value, const rtl::TFormatSettings& fs);

}  // namespace db
