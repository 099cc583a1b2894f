// Arbitrary text into the number parsers, the FormatFloat picture language
// and Format itself. Conversion errors are expected; anything else is a bug.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/ustring.h"

namespace {

template <class Fn>
void tolerateConvertErrors(Fn fn) {
  try {
    fn();
  } catch (const rtl::EConvertError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const rtl::TFormatSettings en = rtl::TFormatSettings::Create(rtl::LOCALE_EN_US);
  static const rtl::TFormatSettings pt = rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR);
  const rtl::String text = rtl::Utf8ToString(std::string_view(reinterpret_cast<const char*>(data), size));

  for (const rtl::TFormatSettings* fs : {&en, &pt}) {
    double d = 0;
    if (rtl::TryStrToFloat(text, d, *fs)) (void)rtl::FloatToStr(d, *fs);
    rtl::Currency c;
    if (rtl::TryStrToCurr(text, c, *fs)) (void)rtl::CurrToStr(c, *fs);
    (void)rtl::FormatFloat(text, 1234567.891, *fs);
    (void)rtl::FormatFloat(text, -0.000123, *fs);
    (void)rtl::FormatFloat(text, 0.0, *fs);
    (void)rtl::FormatFloat(text, 1e300, *fs);
    (void)rtl::FormatCurr(text, rtl::Currency::FromScaled(INT64_MIN), *fs);
    tolerateConvertErrors([&] {
      (void)rtl::Format(text, {42, -7LL, 3.5, rtl::Currency::FromScaled(12345), rtl::String(u"abc"), u'x',
                               static_cast<const void*>(data), true, 18446744073709551615ull},
                        *fs);
    });
  }
  int i = 0;
  (void)rtl::TryStrToInt(text, i);
  rtl::Int64 i64 = 0;
  (void)rtl::TryStrToInt64(text, i64);
  bool b = false;
  (void)rtl::TryStrToBool(text, b);
  (void)rtl::StringToUtf8(text);
  (void)rtl::StringToAnsi(text);
  return 0;
}
