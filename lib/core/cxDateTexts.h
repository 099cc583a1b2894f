#pragma once
// The texts of dates in the user's language and calendar: locale items,
// whole dates, month, year and weekday names, and the reading of a typed
// date by the locale's date order. Texts come from the locale's formatting,
// or, when the application asks for the run-time formats on a Gregorian
// locale, from a small interpreter of date formats of our own. The locale is
// always the calling thread's.
#include <array>

#include "lib/core/cxDateUtils.h"
#include "lib/core/forward.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/types.h"

namespace core {

using rtl::String;
using rtl::StringView;
using rtl::TDateTime;

class TcxDateTimeFormatInfo;
class TcxCustomCalendarTable;
struct TcxDateTime;

enum class TcxMonthView { mvName, mvDigital, mvNone };
using enum TcxMonthView;
enum class TcxYearView { yvFourDigitals, yvTwoDigitals, yvNone };
using enum TcxYearView;
// 0 month-day-year, 1 day-month-year, 2 year-month-day.
using TcxDateOrder = int;

// Weekday names in calendars are cut to one character.
bool& cxUseSingleCharWeekNames();
// The locale items of the weekday names, Sunday first: row 0 the full
// names, row 1 the shortest.
extern const std::array<std::array<rtl::LCTYPE, 7>, 2> cxDayNameLCType;

// --- locale items of the thread locale --------------------------------------------
rtl::Char cxGetLocalDateSeparator();  // #0 when the locale has none
rtl::Char cxGetLocalTimeSeparator();
String cxGetLocalShortDateFormat();
String cxGetLocalLongDateFormat();
String cxGetLocalLongTimeFormat();
String cxGetLocalTimeAMString();
String cxGetLocalTimePMString();
// The seven items above; the list separator comes from the run-time settings.
void cxGetLocalFormatSettings(rtl::TFormatSettings& AFormatSettings);

// --- formatting ---------------------------------------------------------------------
// The date in AFormat (the locale's picture language; none when empty) by the
// locale, or by cxDateToStrByFormat with the run-time formats. False, with an
// empty text, when the locale's formatting fails.
bool cxGetDateFormat(String& AResult, rtl::Cardinal AFlags, const String& AFormat, TDateTime ADate);
// An interpreter of the date letters of a format (d, m, y, quotes; time
// letters are not interpreted). ASeparator, when not #0, replaces the literal
// text before each part.
String cxDateToStrByFormat(const String& AFormat, rtl::Char ASeparator, TDateTime ADate);
String cxDayNumberToLocalFormatStr(TDateTime ADate);
String DateToLongDateStr(TDateTime ADate);
// The locale's edit text of a date (two-digit years as the locale writes them).
String cxDateToLocalFormatStr(TDateTime ADate);
// The weekday's name for a calendar's header, in AFontCharset.
String cxGetDayOfWeekName(TDay ADay, rtl::Byte AFontCharset);

// --- month and year texts ---------------------------------------------------------------
// A calendar of nullptr is the local calendar.
String cxGetLocalMonthName(TDateTime ADate, const TcxCustomCalendarTable* ACalendar);
// Empty for a month the calendar's year does not have.
String cxGetLocalMonthName(int AYear, int AMonth, const TcxCustomCalendarTable* ACalendar);
String cxGetLocalYear(TDateTime ADate, const TcxCustomCalendarTable* ACalendar);
String cxGetLocalMonthYear(TDateTime ADate, const TcxCustomCalendarTable* ACalendar);

// --- reading typed dates ------------------------------------------------------------
// Reads day, month and year in the settings' date order (month names, also
// of two words, are read by the calendar) and an optional time after them.
// Raises EConvertError for a part the calendar cannot read.
void cxStrToDate(const String& AText, const TcxCustomCalendarTable* ACalendar, TcxDateTime& ADate);
void cxStrToDate(const String& AText, const rtl::TFormatSettings& AFormatSettings,
                 const TcxCustomCalendarTable* ACalendar, TcxDateTime& ADate);
// A typed date in the local calendar. Raises for the era calendars and the
// lunar ones; gives the null date otherwise.
TDateTime cxLocalFormatStrToDate(const String& AText);

// --- date orders ------------------------------------------------------------------------
TcxDateOrder GetDateOrder(StringView AFormat);
TcxDateOrder GetDateOrder(const TcxDateTimeFormatInfo* AFormatInfo);

}  // namespace core
