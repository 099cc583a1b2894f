#pragma once
// Dates and times as the platform keeps them: TDateTime is a double counting
// days since 1899-12-30, the fraction being the time of day. For negative
// values the time still counts forward from midnight of the day given by the
// integer part (-1.25 is 1899-12-29 06:00), so the routines below split the
// value into a truncated day and an absolute fraction.
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/types.h"

namespace rtl {

constexpr TDateTime MinDateTime = -657434.0;       // 0100-01-01 00:00:00
// The last millisecond of 9999-12-31 (23:59:59.999).
constexpr TDateTime MaxDateTime = 2958465.0 + 86399999.0 / 86400000.0;
constexpr Int64 HoursPerDay = 24;
constexpr Int64 MinsPerDay = 24 * 60;
constexpr Int64 SecsPerDay = 24 * 60 * 60;
constexpr Int64 MSecsPerDay = SecsPerDay * 1000;
constexpr Int64 MSecsPerSec = 1000;
// Days between 0001-01-01 and 1899-12-30, as the platform's time stamps use.
constexpr Int64 DateDelta = 693594;
// 1970-01-01 as a TDateTime.
constexpr TDateTime UnixDateDelta = 25569.0;

// --- calendar ----------------------------------------------------------------
bool IsLeapYear(Word year);
Word DaysInAMonth(Word year, Word month);

// --- encoding and decoding ---------------------------------------------------
// EncodeDate/EncodeTime/EncodeDateTime raise EConvertError on values out of
// range; the Try forms return false instead.
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
TDateTime EncodeDate(Word year, Word month, Word day);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
bool TryEncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec,
                       TDateTime& value);
TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec);

// Decoding rounds the value to the nearest millisecond first, so a time a
// hair before midnight decodes as 00:00:00.000 of the next day.
void DecodeDate(TDateTime value, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime value, Word& hour, Word& min, Word& sec, Word& msec);
void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec);

TDateTime DateOf(TDateTime value);  // Trunc(value)
TDateTime TimeOf(TDateTime value);  // Frac(value): negative for negative values
// 1 = Sunday .. 7 = Saturday.
Word DayOfWeek(TDateTime value);

Word YearOf(TDateTime value);
Word MonthOf(TDateTime value);
Word DayOf(TDateTime value);
Word HourOf(TDateTime value);
Word MinuteOf(TDateTime value);
Word SecondOf(TDateTime value);
Word MilliSecondOf(TDateTime value);

// --- arithmetic --------------------------------------------------------------
// Time steps are counted in whole milliseconds on a continuous time line, so
// they also cross 1899-12-30 correctly.
TDateTime IncMilliSecond(TDateTime value, Int64 count = 1);
TDateTime IncSecond(TDateTime value, Int64 count = 1);
TDateTime IncMinute(TDateTime value, Int64 count = 1);
TDateTime IncHour(TDateTime value, Int64 count = 1);
TDateTime IncDay(TDateTime value, Int64 count = 1);
TDateTime IncWeek(TDateTime value, Int64 count = 1);
// Keeps the time of day; a day past the end of the new month becomes its last day.
TDateTime IncMonth(TDateTime value, Integer count = 1);
TDateTime IncYear(TDateTime value, Integer count = 1);

// Whole units between two moments, always positive.
Int64 MilliSecondsBetween(TDateTime now, TDateTime then);
Int64 SecondsBetween(TDateTime now, TDateTime then);
Integer DaysBetween(TDateTime now, TDateTime then);

// --- the clock ---------------------------------------------------------------
// Local time of rtl::CurrentClock(), in the zone TZ names.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Milliseconds since 1970-01-01 UTC. With `utc` false the TDateTime is local
// time and is converted through the time zone.
Int64 DateTimeToUnixMs(TDateTime value, bool utc = true);
TDateTime UnixMsToDateTime(Int64 unixMs, bool utc = true);
Int64 DateTimeToUnix(TDateTime value, bool utc = true);  // seconds, truncated
TDateTime UnixToDateTime(Int64 unixSeconds, bool utc = true);

// --- text ----------------------------------------------------------------------
// The platform's picture language: c d dd ddd dddd ddddd dddddd m mm mmm mmmm
// yy yyyy h hh n nn s ss z zzz t tt am/pm a/p ampm / : and quoted literals;
// letters in any case; "m" right after an hour token means minutes. An empty
// picture means "c".
String FormatDateTime(StringView picture, TDateTime value);
String FormatDateTime(StringView picture, TDateTime value, const TFormatSettings& fs);
String DateTimeToStr(TDateTime value);
String DateTimeToStr(TDateTime value, const TFormatSettings& fs);
String DateToStr(TDateTime value);
String DateToStr(TDateTime value, const TFormatSettings& fs);
String TimeToStr(TDateTime value);
String TimeToStr(TDateTime value, const TFormatSettings& fs);

// Reading follows the order of the settings' ShortDateFormat (d/m/y, m/d/y or
// y/m/d) and its DateSeparator/TimeSeparator. A date of two numbers takes the
// current year; a year of one or two digits is placed by
// TwoDigitYearCenturyWindow. Times are h:n[:s[.z]] with an optional AM/PM.
bool TryStrToDateTime(StringView text, TDateTime& value);
bool TryStrToDateTime(StringView text, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToDateTime(StringView text);
TDateTime StrToDateTime(StringView text, const TFormatSettings& fs);
bool TryStrToDate(StringView text, TDateTime& value);
bool TryStrToDate(StringView text, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToDate(StringView text);
TDateTime StrToDate(StringView text, const TFormatSettings& fs);
bool TryStrToTime(StringView text, TDateTime& value);
bool TryStrToTime(StringView text, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToTime(StringView text);
TDateTime StrToTime(StringView text, const TFormatSettings& fs);

// Reads text written with one exact picture ("dd/mm/yyyy hh:nn:ss",
// "yyyy-mm-dd"): tokens d dd m mm yy yyyy h hh n nn s ss z zzz am/pm; every
// other character, and quoted text, must appear as is. Doubled tokens need
// exactly that many digits.
bool TryParseDateTime(StringView text, StringView picture, TDateTime& value);

// --- SQL time stamps ------------------------------------------------------------
// The database layer's date-time value; Fractions are milliseconds.
struct TSQLTimeStamp {
  SmallInt Year = 0;
  Word Month = 0;
  Word Day = 0;
  Word Hour = 0;
  Word Minute = 0;
  Word Second = 0;
  LongWord Fractions = 0;
  friend bool operator==(const TSQLTimeStamp&, const TSQLTimeStamp&) = default;
};

// The all-zero stamp is the "null" stamp and converts to 0.0.
bool TrySQLTimeStampToDateTime(const TSQLTimeStamp& stamp, TDateTime& value);
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& stamp);  // EConvertError when invalid
TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime value);
String SQLTimeStampToStr(StringView picture, const TSQLTimeStamp& stamp);
String SQLTimeStampToStr(StringView picture, const TSQLTimeStamp& stamp, const TFormatSettings& fs);
TSQLTimeStamp StrToSQLTimeStamp(StringView text);
TSQLTimeStamp StrToSQLTimeStamp(StringView text, const TFormatSettings& fs);

}  // namespace rtl
