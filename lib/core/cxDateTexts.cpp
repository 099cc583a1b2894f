#include "lib/core/cxDateTexts.h"

#include <algorithm>

#include "lib/core/cxCalendarTables.h"
#include "lib/core/cxFormats.h"
#include "lib/core/cxSmartDate.h"
#include "lib/core/cxTextOutWritingDirection.h"
#include "lib/core/dxCore.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace core {

using rtl::Char;
using rtl::StringView;

namespace {

const rtl::TFormatSettings& runtimeSettings() { return rtl::FormatSettings(); }

String localeItem(rtl::LCTYPE item) {
  return dxGetLocaleInfo(rtl::GetThreadLocale(), item, u"");
}

Char firstChar(const String& text) { return text.empty() ? Char(0) : text[0]; }

Char lowerAscii(Char c) { return (c >= u'A' && c <= u'Z') ? Char(c + 32) : c; }

bool startsDatePart(Char c) {
  const Char l = lowerAscii(c);
  return l == u'"' || l == u'\'' || l == u'd' || l == u'm' || l == u'y';
}

String twoDigits(int value) {
  String s = rtl::IntToStr(value);
  if (s.size() < 2) s.insert(s.begin(), u'0');
  return s;
}

String yearText(int year, bool fourDigits) {
  String s = rtl::IntToStr(year);
  if (s.size() > 4) s = s.substr(s.size() - 4);
  while (s.size() < 4) s.insert(s.begin(), u'0');
  return fourDigits ? s : s.substr(2);
}

}  // namespace

bool& cxUseSingleCharWeekNames() {
  static bool value = true;
  return value;
}

const std::array<std::array<rtl::LCTYPE, 7>, 2> cxDayNameLCType = {{
    {rtl::LOCALE_SDAYNAME7, rtl::LOCALE_SDAYNAME1, rtl::LOCALE_SDAYNAME1 + 1,
     rtl::LOCALE_SDAYNAME1 + 2, rtl::LOCALE_SDAYNAME1 + 3, rtl::LOCALE_SDAYNAME1 + 4,
     rtl::LOCALE_SDAYNAME1 + 5},
    {rtl::LOCALE_SSHORTESTDAYNAME7, rtl::LOCALE_SSHORTESTDAYNAME1,
     rtl::LOCALE_SSHORTESTDAYNAME1 + 1, rtl::LOCALE_SSHORTESTDAYNAME1 + 2,
     rtl::LOCALE_SSHORTESTDAYNAME1 + 3, rtl::LOCALE_SSHORTESTDAYNAME1 + 4,
     rtl::LOCALE_SSHORTESTDAYNAME1 + 5},
}};

// ---------------------------------------------------------------------------
// Locale items

rtl::Char cxGetLocalDateSeparator() { return firstChar(localeItem(rtl::LOCALE_SDATE)); }
rtl::Char cxGetLocalTimeSeparator() { return firstChar(localeItem(rtl::LOCALE_STIME)); }
String cxGetLocalShortDateFormat() { return localeItem(rtl::LOCALE_SSHORTDATE); }
String cxGetLocalLongDateFormat() { return localeItem(rtl::LOCALE_SLONGDATE); }
String cxGetLocalLongTimeFormat() { return localeItem(rtl::LOCALE_STIMEFORMAT); }
String cxGetLocalTimeAMString() { return localeItem(rtl::LOCALE_S1159); }
String cxGetLocalTimePMString() { return localeItem(rtl::LOCALE_S2359); }

void cxGetLocalFormatSettings(rtl::TFormatSettings& AFormatSettings) {
  AFormatSettings.DateSeparator = cxGetLocalDateSeparator();
  AFormatSettings.ShortDateFormat = cxGetLocalShortDateFormat();
  AFormatSettings.LongDateFormat = cxGetLocalLongDateFormat();
  AFormatSettings.TimeSeparator = cxGetLocalTimeSeparator();
  AFormatSettings.LongTimeFormat = cxGetLocalLongTimeFormat();
  AFormatSettings.TimeAMString = cxGetLocalTimeAMString();
  AFormatSettings.TimePMString = cxGetLocalTimePMString();
  AFormatSettings.ListSeparator = runtimeSettings().ListSeparator;
}

// ---------------------------------------------------------------------------
// Formatting

bool cxGetDateFormat(String& AResult, rtl::Cardinal AFlags, const String& AFormat,
                     TDateTime ADate) {
  TcxFormatController* controller = cxFormatController();
  if (controller->LocalIsGregorianCalendar() && controller->UseCorvexDateTimeFormats()) {
    AResult = cxDateToStrByFormat(AFormat.empty() ? runtimeSettings().LongDateFormat : AFormat, 0,
                                  ADate);
    return true;
  }
  AResult.clear();
  const rtl::SYSTEMTIME date = rtl::DateTimeToSystemTime(ADate);
  Char buffer[256];
  const int length = rtl::GetDateFormatW(rtl::GetThreadLocale(), AFlags, &date,
                                         AFormat.empty() ? nullptr : AFormat.c_str(), buffer, 256);
  if (length <= 0) return false;
  AResult.assign(buffer, size_t(length - 1));
  return true;
}

String cxDateToStrByFormat(const String& AFormat, rtl::Char ASeparator, TDateTime ADate) {
  rtl::Word year = 0, month = 0, day = 0;
  rtl::DecodeDate(ADate, year, month, day);
  const int weekDay = rtl::DayOfWeek(ADate);  // 1 = Sunday
  const rtl::TFormatSettings& fs = runtimeSettings();

  String result;
  String literal;
  auto appendPart = [&](const String& part) {
    if (!result.empty() || !literal.empty()) {
      if (ASeparator != 0) {
        result += ASeparator;
      } else {
        result += literal;
      }
    }
    result += part;
    literal.clear();
  };
  auto runOf = [&](size_t i) {
    size_t j = i;
    while (j < AFormat.size() && lowerAscii(AFormat[j]) == lowerAscii(AFormat[i])) ++j;
    return j - i;
  };

  size_t i = 0;
  while (i < AFormat.size() && !startsDatePart(AFormat[i])) ++i;
  while (i < AFormat.size()) {
    const Char c = lowerAscii(AFormat[i]);
    if (c == u'"' || c == u'\'') {
      size_t close = AFormat.find(AFormat[i], i + 1);
      if (close == String::npos) close = AFormat.size();
      literal += AFormat.substr(i + 1, close - i - 1);
      i = close + 1;
    } else if (c == u'd') {
      const size_t n = runOf(i);
      if (n == 3) {
        appendPart(fs.ShortDayNames[weekDay - 1]);
      } else if (n == 4) {
        appendPart(fs.LongDayNames[weekDay - 1]);
      } else if (n == 2) {
        appendPart(twoDigits(day));
      } else {
        appendPart(rtl::IntToStr(day));
      }
      i += n;
    } else if (c == u'm') {
      const size_t n = runOf(i);
      appendPart(n == 4 ? fs.LongMonthNames[month - 1] : twoDigits(month));
      i += n;
    } else if (c == u'y') {
      const size_t n = runOf(i);
      appendPart(yearText(year, n == 4));
      i += n;
    } else if (c == u'e') {
      ++i;
      while (i < AFormat.size() && !startsDatePart(AFormat[i])) ++i;
      literal.clear();
    } else {
      literal += AFormat[i];
      ++i;
    }
  }
  return result;
}

String cxDayNumberToLocalFormatStr(TDateTime ADate) {
  String result;
  if (cxGetDateFormat(result, 0, u"d", ADate)) return result;
  rtl::TFormatSettings& fs = rtl::FormatSettings();
  rtl::ScopedValue<String> shortFormat(fs.ShortDateFormat, String(u"d"));
  return rtl::DateToStr(ADate);
}

String DateToLongDateStr(TDateTime ADate) {
  String result;
  if (cxGetDateFormat(result, rtl::DATE_LONGDATE, u"", ADate)) return result;
  return rtl::FormatDateTime(u"dddddd", ADate);
}

String cxDateToLocalFormatStr(TDateTime ADate) { return cxDateTimeToText(false, false, ADate); }

String cxGetDayOfWeekName(TDay ADay, rtl::Byte AFontCharset) {
  const int day = static_cast<int>(ADay);
  TcxFormatController* controller = cxFormatController();
  String name;
  if (controller->LocalIsGregorianCalendar() && controller->UseCorvexDateTimeFormats()) {
    name = runtimeSettings().ShortDayNames.at(day);
  } else {
    name = localeItem(cxDayNameLCType[IsWinVistaOrLater ? 1 : 0].at(day));
  }
  if (cxUseSingleCharWeekNames() && name.size() > 1) {
    name = cxGetWritingDirection(AFontCharset, name) ? name.substr(name.size() - 1)
                                                     : name.substr(0, 1);
  }
  return name;
}

// ---------------------------------------------------------------------------
// Month and year texts

namespace {

const TcxCustomCalendarTable* orLocal(const TcxCustomCalendarTable* calendar) {
  return calendar ? calendar : cxGetLocalCalendar();
}

// The run-time formats serve only a Gregorian calendar.
bool ownFormattingFor(const TcxCustomCalendarTable* calendar) {
  return cxIsGregorianCalendar(orLocal(calendar)) &&
         cxFormatController()->UseCorvexDateTimeFormats();
}

String runtimeLongMonthName(int month) {
  return month >= 1 && month <= 12 ? runtimeSettings().LongMonthNames[month - 1] : String();
}

// The first day of the calendar month that holds ADate.
TcxDateTime firstOfMonth(TDateTime ADate, const TcxCustomCalendarTable* calendar) {
  TcxDateTime date = calendar->FromDateTime(ADate);
  date.Day = 1;
  return date;
}

}  // namespace

String cxGetLocalMonthName(TDateTime ADate, const TcxCustomCalendarTable* ACalendar) {
  const TcxCustomCalendarTable* calendar = orLocal(ACalendar);
  const TcxDateTime first = firstOfMonth(ADate, calendar);
  String result;
  if (!ownFormattingFor(calendar) &&
      cxGetDateFormat(result, 0, u"MMMM", calendar->ToDateTime(first))) {
    return result;
  }
  return runtimeLongMonthName(first.Month);
}

String cxGetLocalMonthName(int AYear, int AMonth, const TcxCustomCalendarTable* ACalendar) {
  const TcxCustomCalendarTable* calendar = orLocal(ACalendar);
  if (ownFormattingFor(calendar)) return runtimeLongMonthName(AMonth);
  if (!calendar->IsValidMonth(AYear, AMonth)) return u"";
  TcxDateTime first;
  first.Era = -1;
  first.Year = AYear;
  first.Month = AMonth;
  first.Day = 1;
  return cxGetLocalMonthName(calendar->ToDateTime(first), calendar);
}

String cxGetLocalYear(TDateTime ADate, const TcxCustomCalendarTable* ACalendar) {
  const TcxCustomCalendarTable* calendar = orLocal(ACalendar);
  const TcxDateTime first = firstOfMonth(ADate, calendar);
  String result;
  if (cxGetDateFormat(result, 0, u"yyyy", calendar->ToDateTime(first))) return result;
  return rtl::IntToStr(first.Year);
}

String cxGetLocalMonthYear(TDateTime ADate, const TcxCustomCalendarTable* ACalendar) {
  const TcxCustomCalendarTable* calendar = orLocal(ACalendar);
  if (ownFormattingFor(calendar)) return cxDateToStrByFormat(u"MMMM yyyy", u' ', ADate);
  const TcxDateTime first = firstOfMonth(ADate, calendar);
  Char buffer[256] = {};
  String format = u"MMMM yyyy";
  if (cxGetCalendarInfo(rtl::GetThreadLocale(), calendar->CalendarID(), rtl::CAL_SYEARMONTH, buffer,
                        256, nullptr) > 0) {
    format = buffer;
  }
  String result;
  if (cxGetDateFormat(result, 0, format, calendar->ToDateTime(first))) return result;
  return cxGetLocalMonthName(first.Year, first.Month, calendar) + u" " +
         cxGetLocalYear(ADate, calendar);
}

// ---------------------------------------------------------------------------
// Reading typed dates

namespace {

// Reads the typed text part by part, never past its end.
class PartReader {
 public:
  explicit PartReader(const String& text, size_t start = 0) : text_(text), pos_(start) {}

  // Up to the separator or a blank (or only a blank when separator is 0);
  // the stopping character is skipped.
  String Next(Char separator) {
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != u' ' && (separator == 0 || text_[pos_] != separator)) {
      ++pos_;
    }
    String part = text_.substr(start, pos_ - start);
    if (pos_ < text_.size()) ++pos_;
    return part;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  String Rest() const { return AtEnd() ? String() : text_.substr(pos_); }

 private:
  const String& text_;
  size_t pos_;
};

bool startsWithNonDigit(const String& part) { return !part.empty() && !rtl::IsDigit(part[0]); }

int eraYearOffset(const String& text, const rtl::TFormatSettings& settings, size_t& start) {
  const rtl::TFormatSettings& fs = runtimeSettings();
  if (!settings.ShortDateFormat.empty() && lowerAscii(settings.ShortDateFormat[0]) == u'g') {
    // The era's name comes first; the date parts follow it.
    while (start < text.size() && !rtl::IsDigit(text[start])) ++start;
    return fs.GetEraYearOffset(rtl::Trim(StringView(text).substr(0, start)));
  }
  const bool eraYears = fs.ShortDateFormat.find(u'e') != String::npos ||
                        fs.ShortDateFormat.find(u'E') != String::npos;
  if (eraYears && !fs.EraInfo.empty()) return fs.EraInfo.back().EraOffset;
  return 0;
}

// A year counted in a named era is placed by its Gregorian date: the era of
// the first year alone can be the wrong one (an era may begin within a year,
// and the locale may name an era the calendar's table does not have), so the
// date is re-expressed in the table's era that holds it.
void placeInCalendarEra(const TcxCustomCalendarTable& calendar, int eraOffset, TcxDateTime& date) {
  const rtl::Int64 gregorianYear = rtl::Int64(date.Year) + eraOffset;
  if (gregorianYear < 1 || gregorianYear > 9999 || date.Month < 1 || date.Month > 12) return;
  const int era = calendar.GetEra(int(gregorianYear), date.Month, std::max(date.Day, 1));
  if (era < 0) return;
  date.Era = era;
  date.Year = int(gregorianYear) - calendar.Eras()->Items(era)->YearOffset();
}

}  // namespace

void cxStrToDate(const String& AText, const TcxCustomCalendarTable* ACalendar, TcxDateTime& ADate) {
  cxStrToDate(AText, cxFormatController()->LocalFormatSettings(), ACalendar, ADate);
}

void cxStrToDate(const String& AText, const rtl::TFormatSettings& AFormatSettings,
                 const TcxCustomCalendarTable* ACalendar, TcxDateTime& ADate) {
  size_t start = 0;
  const int eraOffset = eraYearOffset(AText, AFormatSettings, start);
  const Char separator = AFormatSettings.DateSeparator;
  PartReader reader(AText, start);
  String part1 = reader.Next(separator);
  String part2 = reader.Next(separator);
  String part3 = reader.Next(0);

  ADate.Era = -1;
  const TcxCustomCalendarTable* calendar = orLocal(ACalendar);
  const TcxDateOrder order = GetDateOrder(AFormatSettings.ShortDateFormat);

  // A month name of two words takes the part after it too.
  if (separator == u' ') {
    if (order == 0 && startsWithNonDigit(part2)) {
      part1 += u" " + part2;
      part2 = part3;
      part3 = reader.Next(0);
    } else if (order != 0 && startsWithNonDigit(part3)) {
      part2 += u" " + part3;
      part3 = reader.Next(0);
    }
  }

  const String& yearPart = order == 2 ? part1 : part3;
  const String& monthPart = order == 0 ? part1 : part2;
  const String& dayPart = order == 0 ? part2 : (order == 1 ? part1 : part3);
  ADate.Year = calendar->GetYearNumber(yearPart);
  ADate.Month = calendar->GetMonthNumber(ADate.Year, monthPart);
  ADate.Day = calendar->GetDayNumber(dayPart);
  ADate.Era = calendar->GetEra(eraOffset + 1);
  if (eraOffset != 0) placeInCalendarEra(*calendar, eraOffset, ADate);

  ADate.Hours = ADate.Minutes = ADate.Seconds = 0;
  ADate.Milliseconds = 0;
  if (!reader.AtEnd()) {
    rtl::Word h = 0, m = 0, s = 0, ms = 0;
    rtl::DecodeTime(rtl::StrToTime(reader.Rest()), h, m, s, ms);
    ADate.Hours = rtl::Byte(h);
    ADate.Minutes = rtl::Byte(m);
    ADate.Seconds = rtl::Byte(s);
    ADate.Milliseconds = ms;
  }
}

TDateTime cxLocalFormatStrToDate(const String& AText) {
  const rtl::CALID id = cxGetLocalCalendarID();
  if (id >= rtl::CAL_JAPAN && id <= rtl::CAL_HEBREW) {
    const TcxCustomCalendarTable* calendar = cxGetLocalCalendar();
    TcxDateTime date;
    cxStrToDate(AText, calendar, date);
    return calendar->ToDateTime(date);
  }
  TDateTime result = NullDate;
  TextToDateEx(AText, result);
  return result;
}

// ---------------------------------------------------------------------------
// Date orders

TcxDateOrder GetDateOrder(StringView AFormat) {
  for (Char c : AFormat) {
    switch (lowerAscii(c)) {
      case u'd': return 1;
      case u'e':
      case u'y': return 2;
      case u'm': return 0;
      default: break;
    }
  }
  return 0;
}

TcxDateOrder GetDateOrder(const TcxDateTimeFormatInfo* AFormatInfo) {
  for (int k = 0; k < AFormatInfo->ItemCount(); ++k) {
    switch (AFormatInfo->Items(k)->Kind) {
      case dtikYear: return 2;
      case dtikMonth: return 0;
      case dtikDay: return 1;
      default: break;
    }
  }
  return 0;
}

}  // namespace core
