#pragma once
// Locale services: locale items, calendar items, eras and the locale picture
// language of dates and times, answered from built-in tables for the locales
// the program and its tests use (en-US, pt-BR, ja-JP, zh-TW, ko-KR, th-TH,
// ar-SA, he-IL). The entry points keep the operating system's calling
// convention (buffer + length, 0 on failure with the reason in
// GetLocaleLastError) because the library above is written against it; the
// String forms below them are for our own code.
//
// Two picture languages exist side by side: this one (d M y g for dates,
// h H m s t for times: "M" is the month, "m" the minute) and the run-time
// library's of datetime.h ("m" month, "n" minute).
#include <cstdint>
#include <vector>

#include "platform/rtl/formatsettings.h"
#include "platform/rtl/types.h"

namespace rtl {

using LCTYPE = std::uint32_t;
using CALID = std::uint32_t;
using CALTYPE = std::uint32_t;

// --- locale identifiers --------------------------------------------------------
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_INVARIANT = 0x007F;
constexpr LCID LOCALE_JA_JP = 0x0411;
constexpr LCID LOCALE_ZH_TW = 0x0404;
constexpr LCID LOCALE_KO_KR = 0x0412;
constexpr LCID LOCALE_TH_TH = 0x041E;
constexpr LCID LOCALE_AR_SA = 0x0401;
constexpr LCID LOCALE_HE_IL = 0x040D;

// --- locale items -------------------------------------------------------------------
constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000u;
constexpr LCTYPE LOCALE_RETURN_NUMBER = 0x20000000u;
constexpr LCTYPE LOCALE_ILANGUAGE = 0x0001;
constexpr LCTYPE LOCALE_SLIST = 0x000C;
constexpr LCTYPE LOCALE_SDECIMAL = 0x000E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x000F;
constexpr LCTYPE LOCALE_SCURRENCY = 0x0014;
constexpr LCTYPE LOCALE_ICURRDIGITS = 0x0019;
constexpr LCTYPE LOCALE_ICURRENCY = 0x001B;
constexpr LCTYPE LOCALE_INEGCURR = 0x001C;
constexpr LCTYPE LOCALE_SDATE = 0x001D;
constexpr LCTYPE LOCALE_STIME = 0x001E;
constexpr LCTYPE LOCALE_SSHORTDATE = 0x001F;
constexpr LCTYPE LOCALE_SLONGDATE = 0x0020;
constexpr LCTYPE LOCALE_IDATE = 0x0021;   // 0 M-D-Y, 1 D-M-Y, 2 Y-M-D
constexpr LCTYPE LOCALE_S1159 = 0x0028;   // AM designator
constexpr LCTYPE LOCALE_S2359 = 0x0029;   // PM designator
constexpr LCTYPE LOCALE_SDAYNAME1 = 0x002A;         // Monday .. LOCALE_SDAYNAME7 Sunday
constexpr LCTYPE LOCALE_SDAYNAME7 = 0x0030;
constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x0031;   // Monday ..
constexpr LCTYPE LOCALE_SABBREVDAYNAME7 = 0x0037;
constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x0038;       // January .. 0x0043 December
constexpr LCTYPE LOCALE_SMONTHNAME12 = 0x0043;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x0044;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME12 = 0x004F;
constexpr LCTYPE LOCALE_SNAME = 0x005C;             // "pt-BR"
constexpr LCTYPE LOCALE_SSHORTESTDAYNAME1 = 0x0060; // Monday .. 0x0066 Sunday
constexpr LCTYPE LOCALE_SSHORTESTDAYNAME7 = 0x0066;
constexpr LCTYPE LOCALE_SSHORTTIME = 0x0079;
constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;
constexpr LCTYPE LOCALE_SYEARMONTH = 0x1006;
constexpr LCTYPE LOCALE_ICALENDARTYPE = 0x1009;
constexpr LCTYPE LOCALE_IOPTIONALCALENDAR = 0x100B;
constexpr LCTYPE LOCALE_IFIRSTDAYOFWEEK = 0x100C;   // 0 Monday .. 6 Sunday
constexpr LCTYPE LOCALE_IFIRSTWEEKOFYEAR = 0x100D;  // 0 Jan 1, 1 first full week, 2 first four days
constexpr LCTYPE LOCALE_SMONTHNAME13 = 0x100E;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME13 = 0x100F;

// --- calendars and calendar items --------------------------------------------------
constexpr CALID CAL_GREGORIAN = 1;
constexpr CALID CAL_GREGORIAN_US = 2;
constexpr CALID CAL_JAPAN = 3;
constexpr CALID CAL_TAIWAN = 4;
constexpr CALID CAL_KOREA = 5;
constexpr CALID CAL_HIJRI = 6;
constexpr CALID CAL_THAI = 7;
constexpr CALID CAL_HEBREW = 8;
constexpr CALID CAL_GREGORIAN_ME_FRENCH = 9;
constexpr CALID CAL_GREGORIAN_ARABIC = 10;
constexpr CALID CAL_GREGORIAN_XLIT_ENGLISH = 11;
constexpr CALID CAL_GREGORIAN_XLIT_FRENCH = 12;

constexpr CALTYPE CAL_RETURN_NUMBER = 0x20000000u;
constexpr CALTYPE CAL_NOUSEROVERRIDE = 0x80000000u;
constexpr CALTYPE CAL_ICALINTVALUE = 0x0001;
constexpr CALTYPE CAL_SCALNAME = 0x0002;
constexpr CALTYPE CAL_SERASTRING = 0x0004;
constexpr CALTYPE CAL_SSHORTDATE = 0x0005;
constexpr CALTYPE CAL_SLONGDATE = 0x0006;
constexpr CALTYPE CAL_SDAYNAME1 = 0x0007;           // Monday .. 0x000D Sunday
constexpr CALTYPE CAL_SABBREVDAYNAME1 = 0x000E;     // Monday .. 0x0014
constexpr CALTYPE CAL_SMONTHNAME1 = 0x0015;         // .. CAL_SMONTHNAME13 0x0021
constexpr CALTYPE CAL_SMONTHNAME13 = 0x0021;
constexpr CALTYPE CAL_SABBREVMONTHNAME1 = 0x0022;   // .. 0x002E
constexpr CALTYPE CAL_SABBREVMONTHNAME13 = 0x002E;
constexpr CALTYPE CAL_SYEARMONTH = 0x002F;
constexpr CALTYPE CAL_ITWODIGITYEARMAX = 0x0030;
constexpr CALTYPE CAL_SSHORTESTDAYNAME1 = 0x0031;   // Monday .. 0x0037
constexpr CALTYPE CAL_SABBREVERASTRING = 0x0039;

// --- formatting flags --------------------------------------------------------------
constexpr LongWord DATE_SHORTDATE = 0x0001;
constexpr LongWord DATE_LONGDATE = 0x0002;
constexpr LongWord DATE_USE_ALT_CALENDAR = 0x0004;
constexpr LongWord DATE_YEARMONTH = 0x0008;
constexpr LongWord TIME_NOMINUTESORSECONDS = 0x0001;
constexpr LongWord TIME_NOSECONDS = 0x0002;
constexpr LongWord TIME_NOTIMEMARKER = 0x0004;
constexpr LongWord TIME_FORCE24HOURFORMAT = 0x0008;

// --- failure reasons (GetLocaleLastError) -------------------------------------------
constexpr LongWord ERROR_INVALID_PARAMETER = 87;
constexpr LongWord ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LongWord ERROR_INVALID_FLAGS = 1004;
// The reason the last failing call of this module on this thread gave.
LongWord GetLocaleLastError();

struct SYSTEMTIME {
  Word wYear = 0;
  Word wMonth = 0;
  Word wDayOfWeek = 0;  // 0 = Sunday; ignored on input
  Word wDay = 0;
  Word wHour = 0;
  Word wMinute = 0;
  Word wSecond = 0;
  Word wMilliseconds = 0;
};
SYSTEMTIME DateTimeToSystemTime(TDateTime value);

// --- the user's locale -----------------------------------------------------------------
// The user default starts as the locale of LC_ALL/LC_TIME/LANG; tests and the
// settings dialog change it here. LOCALE_USER_DEFAULT and LOCALE_SYSTEM_DEFAULT
// stand for it in every call.
LCID GetUserDefaultLCID();
void SetUserDefaultLCID(LCID locale);
LCID ResolveLocale(LCID locale);  // the two defaults made concrete
bool IsBuiltInLocale(LCID locale);

// The user's own choices over a locale's defaults (the calendar, the first
// day of the week, formats...), as a settings dialog stores them. An item read
// with LOCALE_NOUSEROVERRIDE ignores them. Values are the item's text
// ("3" for LOCALE_ICALENDARTYPE = Japanese). Clearing drops all of them.
void SetLocaleUserOverride(LCID locale, LCTYPE item, StringView value);
void ClearLocaleUserOverrides();
// The two-digit year maximum of a calendar (CAL_ITWODIGITYEARMAX) as the user
// set it; 0 restores the calendar's default.
void SetCalendarTwoDigitYearMax(CALID calendar, Integer maxYear);

// --- the entry points ---------------------------------------------------------------
// Text items: the text and its terminating zero are written when `cchData` is
// large enough, and the length with the terminator returned; `cchData` 0 asks
// for that length only. With LOCALE_RETURN_NUMBER a numeric item is written
// as a 32-bit number over the first two characters and 2 is returned.
int GetLocaleInfoW(LCID locale, LCTYPE item, Char* data, int cchData);
// Calendar items of a locale; numbers go to *value with CAL_RETURN_NUMBER.
int GetCalendarInfoW(LCID locale, CALID calendar, CALTYPE item, Char* data, int cchData,
                     LongWord* value);
// A null `date` means today; a null `format` means the locale's format picked by
// the flags (short date by default). The date is shown in the locale's
// calendar (its optional one with DATE_USE_ALT_CALENDAR).
int GetDateFormatW(LCID locale, LongWord flags, const SYSTEMTIME* date, const Char* format,
                   Char* out, int cchOut);
// A null `format` means LOCALE_STIMEFORMAT.
int GetTimeFormatW(LCID locale, LongWord flags, const SYSTEMTIME* time, const Char* format,
                   Char* out, int cchOut);

// --- String forms -------------------------------------------------------------------
bool TryGetLocaleInfo(LCID locale, LCTYPE item, String& value);
// The item's text (possibly empty); `fallback` when the locale has no such item.
String GetLocaleStr(LCID locale, LCTYPE item, StringView fallback = {});
// A numeric item as a number; `fallback` when the item is missing.
Integer GetLocaleInt(LCID locale, LCTYPE item, Integer fallback = 0);
bool TryGetCalendarInfo(LCID locale, CALID calendar, CALTYPE item, String& value);
bool TryFormatLocaleDate(LCID locale, LongWord flags, const SYSTEMTIME& date, StringView format,
                         String& result);  // empty format: the locale's
bool TryFormatLocaleTime(LCID locale, LongWord flags, const SYSTEMTIME& time, StringView format,
                         String& result);

// --- eras and calendar dates ------------------------------------------------------------
struct TLocaleEra {
  Integer Era = 0;          // the era's number, 1-based in era order
  TDateTime Start = 0;      // first day (Gregorian)
  Integer YearOffset = 0;   // Gregorian year = era year + YearOffset
  String Name;              // CAL_SERASTRING
  String AbbrevName;        // CAL_SABBREVERASTRING
};
// Eras of a calendar in ascending order of start; empty for calendars
// without eras (Gregorian family, Hijri, Hebrew).
std::vector<TLocaleEra> GetCalendarEras(CALID calendar);

// A date in a calendar: Era is the 0-based index in GetCalendarEras (-1 when
// the calendar has none); Month 1..13 (Hebrew months count from Tishrei, the
// added month of a leap year is 6).
struct TLocaleCalendarDate {
  Integer Era = -1;
  Integer Year = 0;
  Integer Month = 0;
  Integer Day = 0;
};
// False when the Gregorian date lies outside the calendar's range.
bool GregorianToCalendarDate(CALID calendar, Integer year, Integer month, Integer day,
                             TLocaleCalendarDate& result);

// The arithmetic behind the lunar calendars, shared with the library's tables.
bool IsHijriLeapYear(Integer year);
// TDateTime of 1 Tishrei of a Hebrew year, and the year's length in days.
Integer HebrewNewYear(Integer hebrewYear);
Integer HebrewDaysInYear(Integer hebrewYear);
bool IsHebrewLeapYear(Integer hebrewYear);
Integer HebrewDaysInMonth(Integer hebrewYear, Integer month);  // Tishrei = 1

// --- run-time settings ------------------------------------------------------------------
// Settings of any built-in locale, read from its items (separators, formats
// in the run-time language, names, eras of its calendar).
TFormatSettings LocaleFormatSettings(LCID locale);
// Re-reads FormatSettings() from the thread locale: what the application does
// when it hears WM_SETTINGCHANGE with "intl".
void UpdateFormatSettings();

// --- time stamps --------------------------------------------------------------------------
// Days since 0000-12-31 (0001-01-01 is day 1) and milliseconds of the day.
struct TTimeStamp {
  Integer Time = 0;
  Integer Date = 0;
};
TTimeStamp DateTimeToTimeStamp(TDateTime value);
TDateTime TimeStampToDateTime(const TTimeStamp& stamp);

}  // namespace rtl
