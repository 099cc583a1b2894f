#include "platform/db/value_conversion.h"

#include "platform/rtl/datetime.h"
#include "platform/rtl/ustring.h"

namespace db {

namespace {
String trimmedText(const Variant& value) { return rtl::Trim(rtl::VarToStr(value)); }
}  // namespace

double floatFromVariant(const Variant& value, const rtl::TFormatSettings& fs) {
  return rtl::VarIsStr(value) ? rtl::StrToFloat(trimmedText(value), fs) : value.AsDouble(fs);
}

Currency currencyFromVariant(const Variant& value, const rtl::TFormatSettings& fs) {
  return rtl::VarIsStr(value) ? rtl::StrToCurr(trimmedText(value), fs) : value.AsCurrency(fs);
}

rtl::TBcd bcdFromText(const Variant& text, const rtl::TFormatSettings& fs) {
  return rtl::StrToBcd(trimmedText(text), fs);
}

TDateTime dateTimeFromNonText(const Variant& value, const rtl::TFormatSettings& fs) {
  if (rtl::VarIsSQLTimeStamp(value)) return rtl::SQLTimeStampToDateTime(rtl::VarToSQLTimeStamp(value));
  return value.AsDateTime(fs);
}

}  // namespace db
