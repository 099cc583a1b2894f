#include "lib/core/cxDateUtils.h"

#include <cmath>

#include "lib/core/dxCore.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"

namespace core {

const int ADaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const TDay dxDayConvertTableSystem[7] = {dMonday,   dTuesday, dWednesday, dThursday,
                                         dFriday,   dSaturday, dSunday};
const TDay dxDayConvertTableVCL[7] = {dSunday,   dMonday, dTuesday, dWednesday,
                                      dThursday, dFriday, dSaturday};

namespace {

// Read once at start-up from the locale, as the unit's start does.
TDay startOfWeek = dSunday;
bool assignedStartOfWeek = false;

constexpr TDateTime kDayLastMillisecond = 86399999.0 / 86400000.0;

int firstDigit(const String& s, int fallback) {
  if (s.empty() || s[0] < u'0' || s[0] > u'9') return fallback;
  return s[0] - u'0';
}

TDateTime encode(int year, int month, int day) {
  return rtl::EncodeDate(rtl::Word(year), rtl::Word(month), rtl::Word(day));
}

TDateTime yearFirstWeekDate(int year, TcxFirstWeekOfYear rule) {
  TDateTime jan1 = 0;
  if (year < 1 || year > 9999 || !rtl::TryEncodeDate(rtl::Word(year), 1, 1, jan1))
    return NoFirstWeekDate;
  switch (rule) {
    case fwyFirstFourDays: return dxGetStartDateOfWeek(jan1 + 3);
    case fwyFirstFullWeek: return dxGetStartDateOfWeek(jan1 + 6);
    default: return dxGetStartDateOfWeek(jan1);
  }
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysPerMonth(int year, int month) {
  return ADaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

int CheckDay(int year, int month, int day) {
  if (day <= 0) return 1;
  const int last = DaysPerMonth(year, month);
  return day > last ? last : day;
}

TDateTime dxDateOf(TDateTime date) {
  if (date == NullDate) return NullDate;
  return double(rtl::DateTimeToTimeStamp(date).Date - rtl::DateDelta);
}

TDateTime dxTimeOf(TDateTime date) {
  if (date == NullDate) return 0;
  return double(rtl::DateTimeToTimeStamp(date).Time) / double(rtl::MSecsPerDay);
}

bool cxIsDateValid(TDateTime date) {
  return date == NullDate || (date >= rtl::MinDateTime && date <= rtl::MaxDateTime);
}

int dxGetDateElement(TDateTime date, TcxDateElement element) {
  rtl::Word y = 0, m = 0, d = 0;
  rtl::DecodeDate(date, y, m, d);
  return element == deYear ? y : element == deMonth ? m : d;
}

TDateTime dxGetStartDateOfMonth(TDateTime date) {
  rtl::Word y = 0, m = 0, d = 0;
  rtl::DecodeDate(date, y, m, d);
  return encode(y, m, 1);
}

TDateTime dxGetEndDateOfMonth(TDateTime date, bool ignoreTime) {
  rtl::Word y = 0, m = 0, d = 0;
  rtl::DecodeDate(date, y, m, d);
  const TDateTime last = encode(y, m, DaysPerMonth(y, m));
  return ignoreTime ? last : last + kDayLastMillisecond;
}

TDateTime dxGetStartDateOfYear(TDateTime date) { return encode(dxGetDateElement(date, deYear), 1, 1); }

TDateTime dxGetEndDateOfYear(TDateTime date, bool ignoreTime) {
  const TDateTime last = encode(dxGetDateElement(date, deYear), 12, 31);
  return ignoreTime ? last : last + kDayLastMillisecond;
}

int dxGetMonthNumber(TDateTime date) {
  rtl::Word y = 0, m = 0, d = 0;
  rtl::DecodeDate(date, y, m, d);
  return y * 12 + m - 12;
}

TDay dxDayOfWeek(TDateTime date) { return dxDayOfWeekFromVCL(rtl::DayOfWeek(date)); }

int dxDayOfWeekOffset(TDateTime date, TDay start) {
  int offset = int(dxDayOfWeek(date)) - int(start);
  return offset < 0 ? offset + 7 : offset;
}

int dxDayOfWeekOffset(TDateTime date) { return dxDayOfWeekOffset(date, dxGetStartOfWeek()); }

TDateTime dxGetStartDateOfWeek(TDateTime date) { return dxDateOf(date) - dxDayOfWeekOffset(date); }

TDay dxDayOfWeekFromVCL(TdxDayOfWeekVCL value) { return dxDayConvertTableVCL[value - 1]; }
TDay dxDayOfWeekFromSystem(TdxDayOfWeekSystem value) { return dxDayConvertTableSystem[value]; }
TdxDayOfWeekVCL dxDayOfWeekToVCL(TDay value) { return int(value) + 1; }

TDay dxGetDayOfWeek(TDay dayFrom, int daysCount) {
  int day = int(dayFrom) + daysCount % 7;
  if (day > 6) day -= 7;
  return TDay(day);
}

TDay dxGetLocalStartOfWeek() {
  const int v = firstDigit(dxGetLocaleInfo(rtl::GetThreadLocale(), rtl::LOCALE_IFIRSTDAYOFWEEK, u"0"), 0);
  return dxDayOfWeekFromSystem(v <= 6 ? v : 0);
}

TcxFirstWeekOfYear dxGetLocalFirstWeekOfYear() {
  const int v = firstDigit(dxGetLocaleInfo(rtl::GetThreadLocale(), rtl::LOCALE_IFIRSTWEEKOFYEAR, u"0"), 0);
  return TcxFirstWeekOfYear(v <= 2 ? v + 1 : 1);
}

TDay dxGetStartOfWeek() {
  if (assignedStartOfWeek) return startOfWeek;
  return dxGetLocalStartOfWeek();
}

void dxSetAssignedStartOfWeek(TDay day) {
  startOfWeek = day;
  assignedStartOfWeek = true;
}

void dxResetAssignedStartOfWeek() {
  assignedStartOfWeek = false;
  startOfWeek = dxGetLocalStartOfWeek();
}

int dxGetWeekNumber(TDateTime date, TDay, TcxFirstWeekOfYear firstWeekOfYear) {
  const TcxFirstWeekOfYear rule =
      firstWeekOfYear == fwySystem ? dxGetLocalFirstWeekOfYear() : firstWeekOfYear;
  rtl::Word y = 0, m = 0, d = 0;
  rtl::DecodeDate(date, y, m, d);
  if (m == 12) {
    const TDateTime next = yearFirstWeekDate(y + 1, rule);
    if (next != NoFirstWeekDate && date >= next) return 1;
  }
  TDateTime start = yearFirstWeekDate(y, rule);
  if (m == 1 && date < start) start = yearFirstWeekDate(y - 1, rule);
  return int(std::trunc(std::trunc(date) - start)) / 7 + 1;
}

}  // namespace core
