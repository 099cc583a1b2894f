#pragma once
// What a date editor reads from typed text and writes back: ordinary dates by
// the run-time or the locale's conversion, after the text is cleaned of the
// format's literal words and put into the conversion's order, and the smart
// words ("today", "tomorrow", a weekday, "bom", "eom"...) with an optional
// signed number of days.
#include <array>

#include "lib/core/cxDateUtils.h"
#include "lib/core/forward.h"
#include "platform/rtl/types.h"

namespace core {

using rtl::String;
using rtl::TDateTime;

class TcxDateTimeFormatInfo;

enum class TcxDateEditSmartInput {
  deiToday, deiYesterday, deiTomorrow,
  deiSunday, deiMonday, deiTuesday, deiWednesday, deiThursday, deiFriday, deiSaturday,
  deiFirst, deiSecond, deiThird, deiFourth, deiFifth, deiSixth, deiSeventh,
  deiBOM, deiEOM, deiNow
};
using enum TcxDateEditSmartInput;
inline constexpr int kSmartInputCount = 20;

// The words, refreshed from the library texts by InitSmartInputConsts.
std::array<String, kSmartInputCount>& scxDateEditSmartInput();
void InitSmartInputConsts();

// An application's own reading of typed text, asked when the words fail.
using TcxSmartTextToDateFunc = bool (*)(const String& AText, TDateTime& ADate);
TcxSmartTextToDateFunc& SmartTextToDateFunc();

bool SmartTextToDate(const String& AText, TDateTime& ADate);
// Lets the smart words, with a signed offset of up to four digits, through a
// regular-expression edit mask.
void AddDateRegExprMaskSmartInput(String& AMask, bool AWithNow);

// Removes the format's literal words from AText and, with a date format
// given, puts its day, month and year into the order the conversion expects.
void CorrectTextForDateTimeConversion(String& AText, bool AOleConversion,
                                      const TcxDateTimeFormatInfo* ADateFormatInfo,
                                      const TcxDateTimeFormatInfo* ATimeFormatInfo);

// True when the result is not the null date. With a format, a text the
// conversion cannot read raises EConvertError; without one nothing raises.
bool TextToDateEx(const String& AText, TDateTime& ADate, const String& AFormat = String());
// The null date when nothing is read; never raises.
TDateTime cxTextToDateTime(const String& AText, bool AUseCorvexFormats);
// Without the smart words; false (and the null date) when nothing is read.
bool cxStrToDateTime(const String& AText, bool AUseOleDateFormat, TDateTime& ADate);

String cxDateTimeToText(bool AFourDigitYearNeeded, bool AUseCorvexFormats, TDateTime ADate);
String DateTimeToText(TDateTime ADate, bool AFourDigitYearNeeded);
// The edit text of a date editor.
String DateTimeToTextEx(TDateTime ADate, bool AIsMasked, bool AIsDateTime,
                        bool AFourDigitYearNeeded);

}  // namespace core
