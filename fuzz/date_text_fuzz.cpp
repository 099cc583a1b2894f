// Typed date texts and date-format strings into the date readers. The first
// byte picks the reader; the rest is UTF-8 text (for a reader that takes a
// format too, the format comes first, up to the first line feed). Conversion
// errors are what a reader with a format raises; anything else is a bug.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "lib/core/cxCalendarTables.h"
#include "lib/core/cxDateTexts.h"
#include "lib/core/cxFormats.h"
#include "lib/core/cxSmartDate.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/ustring.h"
#include "platform/win/headless.h"

namespace {

using core::TcxDateTimeFormatInfo;
using core::TcxFormatController;
using rtl::String;

// The controller lives on a window; one headless window system and one fixed
// clock serve every input, so runs are reproducible.
void prepare() {
  static bool ready = [] {
    static win::headless::HeadlessScope screen;
    static rtl::TestClockScope clock(1707912000000);  // 2024-02-14 12:00 UTC
    rtl::SetThreadLocale(rtl::LOCALE_PT_BR);
    rtl::SetFormatSettings(rtl::LocaleFormatSettings(rtl::LOCALE_PT_BR));
    return true;
  }();
  (void)ready;
}

void readFormat(const String& format) {
  TcxFormatController* controller = core::cxFormatController();
  TcxDateTimeFormatInfo info;
  controller->GetDateTimeFormatInfo(format, &info);
  for (auto kind : {core::dtmkDate, core::dtmkTime, core::dtmkDateTime}) {
    (void)TcxFormatController::InternalGetDateTimeEditStandardMask(&info, kind);
    (void)TcxFormatController::InternalGetDateTimeEditRegExprMask(&info, kind);
  }
  (void)TcxFormatController::InternalGetMaskedDateEditFormat(&info);
  const int length = TcxFormatController::GetDateTimeStandardMaskStringLength(&info);
  core::TcxDateTimeFormatItemInfo item;
  for (int pos = 0; pos <= length + 1; ++pos) {
    (void)TcxFormatController::GetDateTimeFormatItemStandardMaskInfo(&info, pos, item);
  }
  (void)core::GetDateOrder(&info);
  (void)core::GetDateOrder(format);
  (void)core::cxDateToStrByFormat(format, 0, rtl::EncodeDate(2024, 3, 5));
  (void)core::cxDateToStrByFormat(format, u' ', rtl::EncodeDate(1, 1, 1) + 0.5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  prepare();
  const String text =
      rtl::Utf8ToString(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  rtl::TDateTime date = core::NullDate;
  switch (data[0] % 5) {
    case 0: {
      core::TcxDateTime calendarDate;
      try {
        core::cxStrToDate(text, nullptr, calendarDate);
      } catch (const rtl::EConvertError&) {
      }
      (void)core::cxStrToDateTime(text, true, date);
      break;
    }
    case 1:
      (void)core::SmartTextToDate(text, date);
      break;
    case 2:
      (void)core::cxTextToDateTime(text, false);
      (void)core::cxTextToDateTime(text, true);
      break;
    case 3: {
      const size_t lineFeed = text.find(u'\n');
      const String format = lineFeed == String::npos ? String(u"dd/mm/yyyy") : text.substr(0, lineFeed);
      const String typed = lineFeed == String::npos ? text : text.substr(lineFeed + 1);
      try {
        (void)core::TextToDateEx(typed, date, format);
      } catch (const rtl::EConvertError&) {
      }
      break;
    }
    default:
      readFormat(text);
      break;
  }
  return 0;
}
