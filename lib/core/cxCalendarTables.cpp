#include "lib/core/cxCalendarTables.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/ustring.h"

namespace core {

// Worked out from the calendar's rules (the molad of Tishrei and the
// postponements); the tests check every row against those rules.
const int cxHebrewTable[658 * 2] = {
    7, 3, 17, 3, 0, 4, 11, 2, 21, 6, 1, 3, 13, 2, 25, 4,
    5, 3, 16, 2, 27, 6, 9, 1, 20, 2, 0, 6, 11, 3, 23, 4,
    4, 2, 14, 3, 27, 4, 8, 2, 18, 3, 28, 6, 11, 1, 22, 5,
    2, 3, 12, 3, 25, 4, 6, 2, 16, 3, 26, 6, 8, 2, 20, 1,
    0, 6, 11, 2, 24, 4, 4, 3, 15, 2, 25, 6, 8, 1, 19, 2,
    29, 6, 9, 3, 22, 4, 3, 2, 13, 3, 25, 4, 6, 3, 17, 2,
    27, 6, 7, 3, 19, 2, 31, 4, 11, 3, 23, 4, 5, 2, 15, 3,
    25, 6, 6, 2, 19, 1, 29, 6, 10, 2, 22, 4, 3, 3, 14, 2,
    24, 6, 6, 1, 17, 3, 28, 5, 8, 3, 20, 1, 32, 5, 12, 3,
    22, 6, 4, 1, 16, 2, 26, 6, 6, 3, 17, 2, 0, 4, 10, 3,
    22, 4, 3, 2, 14, 3, 24, 6, 5, 2, 17, 1, 28, 6, 9, 2,
    19, 3, 31, 4, 13, 2, 23, 6, 3, 3, 15, 1, 27, 5, 7, 3,
    17, 3, 29, 4, 11, 2, 21, 6, 3, 1, 14, 2, 25, 6, 5, 3,
    16, 2, 28, 4, 9, 3, 20, 2, 0, 6, 12, 1, 23, 6, 4, 2,
    14, 3, 26, 4, 8, 2, 18, 3, 0, 4, 10, 3, 21, 5, 1, 3,
    13, 1, 24, 5, 5, 3, 15, 3, 27, 4, 8, 2, 19, 3, 29, 6,
    10, 2, 22, 4, 3, 3, 14, 2, 26, 4, 6, 3, 18, 2, 28, 6,
    10, 1, 20, 6, 2, 2, 12, 3, 24, 4, 5, 2, 16, 3, 28, 4,
    8, 3, 19, 2, 0, 6, 12, 1, 23, 5, 3, 3, 14, 3, 26, 4,
    7, 2, 17, 3, 28, 6, 9, 2, 21, 4, 1, 3, 13, 2, 25, 4,
    5, 3, 16, 2, 27, 6, 9, 1, 19, 3, 0, 5, 11, 3, 23, 4,
    4, 2, 14, 3, 25, 6, 7, 1, 18, 2, 28, 6, 9, 3, 21, 4,
    2, 2, 12, 3, 25, 4, 6, 2, 16, 3, 26, 6, 8, 2, 20, 1,
    0, 6, 11, 2, 22, 6, 4, 1, 15, 2, 25, 6, 6, 3, 18, 1,
    29, 5, 9, 3, 22, 4, 2, 3, 13, 2, 23, 6, 4, 3, 15, 2,
    27, 4, 7, 3, 19, 2, 31, 4, 11, 3, 21, 6, 3, 2, 15, 1,
    25, 6, 6, 2, 17, 3, 29, 4, 10, 2, 20, 6, 3, 1, 13, 3,
    24, 5, 4, 3, 16, 1, 27, 5, 7, 3, 17, 3, 0, 4, 11, 2,
    21, 6, 1, 3, 13, 2, 25, 4, 5, 3, 16, 2, 29, 4, 9, 3,
    19, 6, 30, 2, 13, 1, 23, 6, 4, 2, 14, 3, 27, 4, 8, 2,
    18, 3, 0, 4, 11, 3, 22, 5, 2, 3, 14, 1, 26, 5, 6, 3,
    16, 3, 28, 4, 10, 2, 20, 6, 30, 3, 11, 2, 24, 4, 4, 3,
    15, 2, 25, 6, 8, 1, 19, 2, 29, 6, 9, 3, 22, 4, 3, 2,
    13, 3, 25, 4, 7, 2, 17, 3, 27, 6, 9, 1, 21, 5, 1, 3,
    11, 3, 23, 4, 5, 2, 15, 3, 25, 6, 6, 2, 19, 1, 29, 6,
    10, 2, 22, 4, 3, 3, 14, 2, 24, 6, 6, 1, 18, 2, 28, 6,
    8, 3, 20, 4, 2, 2, 12, 3, 24, 4, 4, 3, 16, 2, 26, 6,
    6, 3, 17, 2, 0, 4, 10, 3, 22, 4, 3, 2, 14, 3, 24, 6,
    5, 2, 17, 1, 28, 6, 9, 2, 21, 4, 1, 3, 13, 2, 23, 6,
    5, 1, 15, 3, 27, 5, 7, 3, 19, 1, 0, 5, 10, 3, 22, 4,
    2, 3, 13, 2, 24, 6, 4, 3, 15, 2, 27, 4, 8, 3, 20, 4,
    1, 2, 11, 3, 22, 6, 3, 2, 15, 1, 25, 6, 7, 2, 17, 3,
    29, 4, 10, 2, 21, 6, 1, 3, 13, 1, 24, 5, 5, 3, 15, 3,
    27, 4, 8, 2, 19, 6, 1, 1, 12, 2, 22, 6, 3, 3, 14, 2,
    26, 4, 6, 3, 18, 2, 28, 6, 10, 1, 20, 6, 2, 2, 12, 3,
    24, 4, 5, 2, 16, 3, 28, 4, 9, 2, 19, 6, 30, 3, 12, 1,
    23, 5, 3, 3, 14, 3, 26, 4, 7, 2, 17, 3, 28, 6, 9, 2,
    21, 4, 1, 3, 13, 2, 25, 4, 5, 3, 16, 2, 27, 6, 9, 1,
    19, 6, 30, 2, 11, 3, 23, 4, 4, 2, 14, 3, 27, 4, 7, 3,
    18, 2, 28, 6, 11, 1, 22, 5, 2, 3, 12, 3, 25, 4, 6, 2,
    16, 3, 26, 6, 8, 2, 20, 4, 30, 3, 11, 2, 24, 4, 4, 3,
    15, 2, 25, 6, 8, 1, 18, 3, 29, 5, 9, 3, 22, 4, 3, 2,
    13, 3, 23, 6, 6, 1, 17, 2, 27, 6, 7, 3, 20, 4, 1, 2,
    11, 3, 23, 4, 5, 2, 15, 3, 25, 6, 6, 2, 19, 1, 29, 6,
    10, 2, 20, 6, 3, 1, 14, 2, 24, 6, 4, 3, 17, 1, 28, 5,
    8, 3, 20, 4, 1, 3, 12, 2, 22, 6, 2, 3, 14, 2, 26, 4,
    6, 3, 17, 2, 0, 4, 10, 3, 20, 6, 1, 2, 14, 1, 24, 6,
    5, 2, 15, 3, 28, 4, 9, 2, 19, 6, 1, 1, 12, 3, 23, 5,
    3, 3, 15, 1, 27, 5, 7, 3, 17, 3, 29, 4, 11, 2, 21, 6,
    1, 3, 12, 2, 25, 4, 5, 3, 16, 2, 28, 4, 9, 3, 19, 6,
    30, 2, 12, 1, 23, 6, 4, 2, 14, 3, 26, 4, 8, 2, 18, 3,
    0, 4, 10, 3, 22, 5, 2, 3, 14, 1, 25, 5, 6, 3, 16, 3,
    28, 4, 9, 2, 20, 6, 30, 3, 11, 2, 23, 4, 4, 3, 15, 2,
    27, 4, 7, 3, 19, 2, 29, 6, 11, 1, 21, 6, 3, 2, 13, 3,
    25, 4, 6, 2, 17, 3, 27, 6, 9, 1, 20, 5, 30, 3, 10, 3,
    22, 4, 3, 2, 14, 3, 24, 6, 5, 2, 17, 1, 28, 6, 9, 2,
    21, 4, 1, 3, 13, 2, 23, 6, 5, 1, 16, 2, 27, 6, 7, 3,
    19, 4, 30, 2, 11, 3, 23, 4, 3, 3, 14, 2, 25, 6, 5, 3,
    16, 2, 28, 4, 9, 3, 21, 4, 2, 2, 12, 3, 23, 6, 4, 2,
    16, 1, 26, 6, 8, 2, 20, 4, 30, 3, 11, 2, 22, 6, 4, 1,
    14, 3, 25, 5, 6, 3, 18, 1, 29, 5, 9, 3, 22, 4, 2, 3,
    13, 2, 23, 6, 4, 3, 15, 2, 27, 4, 7, 3, 20, 4, 1, 2,
    11, 3, 21, 6, 3, 2, 15, 1, 25, 6, 6, 2, 17, 3, 29, 4,
    10, 2, 20, 6, 3, 1, 13, 3, 24, 5, 4, 3, 17, 1, 28, 5,
    8, 3, 18, 6, 1, 1, 12, 2, 22, 6, 2, 3, 14, 2, 26, 4,
    6, 3, 17, 2, 28, 6, 10, 1, 20, 6, 1, 2, 12, 3, 24, 4,
    5, 2, 15, 3, 28, 4, 9, 2, 19, 6, 33, 3, 12, 1, 23, 5,
    3, 3, 13, 3, 25, 4, 6, 2, 16, 3, 26, 6, 8, 2, 20, 4,
    30, 3, 11, 2, 24, 4, 4, 3, 15, 2, 25, 6, 8, 1, 18, 6,
    33, 2, 9, 3, 22, 4, 3, 2, 13, 3, 25, 4, 6, 3, 17, 2,
    27, 6, 9, 1, 21, 5, 1, 3, 11, 3, 23, 4, 5, 2, 15, 3,
    25, 6, 6, 2, 19, 4, 33, 3, 10, 2, 22, 4, 3, 3, 14, 2,
    24, 6, 6, 1,
};

const int cxHebrewLunarMonthLen[7][14] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 30, 29, 29, 29, 30, 29, 30, 29, 30, 29, 30, 29, 0},
    {0, 30, 29, 30, 29, 30, 29, 30, 29, 30, 29, 30, 29, 0},
    {0, 30, 30, 30, 29, 30, 29, 30, 29, 30, 29, 30, 29, 0},
    {0, 30, 29, 29, 29, 30, 30, 29, 30, 29, 30, 29, 30, 29},
    {0, 30, 29, 30, 29, 30, 30, 29, 30, 29, 30, 29, 30, 29},
    {0, 30, 30, 30, 29, 30, 30, 29, 30, 29, 30, 29, 30, 29},
};

namespace {

// Every table ever made; owned here until the program ends.
struct CalendarList {
  TdxFastObjectList* list = nullptr;
  CalendarList() : list(new TdxFastObjectList(true)) {}
  ~CalendarList() {
    // Cleared first, so the tables' destructors do not look for it.
    TdxFastObjectList* l = list;
    list = nullptr;
    delete l;
  }
};

CalendarList& calendarList() {
  static CalendarList l;
  return l;
}

constexpr TDateTime kLastMillisecond = 86399999.0 / 86400000.0;
// 0001-01-01 as a date-time.
constexpr int kDayOne = -693593;
constexpr int kHijriEpochOffset = 227013;
constexpr int kHijriLeapYears[] = {2, 5, 7, 10, 13, 15, 18, 21, 24, 26, 29};

TDateTime encodeDate(int y, int m, int d) {
  return rtl::EncodeDate(rtl::Word(y), rtl::Word(m), rtl::Word(d));
}

// The date plus the time of the record, the time counting forward from
// midnight also before 1899-12-30.
TDateTime withTime(TDateTime date, const TcxDateTime& dt) {
  const TDateTime t = rtl::EncodeTime(dt.Hours, dt.Minutes, dt.Seconds, dt.Milliseconds);
  return date < 0 ? date - t : date + t;
}

void decodeTime(TDateTime value, TcxDateTime& dt) {
  rtl::Word h = 0, mi = 0, s = 0, ms = 0;
  rtl::DecodeTime(value, h, mi, s, ms);
  dt.Hours = rtl::Byte(h);
  dt.Minutes = rtl::Byte(mi);
  dt.Seconds = rtl::Byte(s);
  dt.Milliseconds = ms;
}

// Whole days of a value (-1.25 is day -1), as the time stamps split it.
int wholeDay(TDateTime value) { return int(dxDateOf(value)); }

TcxDateTime gregorianDecode(TDateTime value) {
  TcxDateTime dt;
  rtl::Word y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  rtl::DecodeDateTime(value, y, m, d, h, mi, s, ms);
  dt.Year = y;
  dt.Month = m;
  dt.Day = d;
  dt.Hours = rtl::Byte(h);
  dt.Minutes = rtl::Byte(mi);
  dt.Seconds = rtl::Byte(s);
  dt.Milliseconds = ms;
  return dt;
}

int hijriLeapsUpTo(int yearInCycle) {
  int n = 0;
  for (int y : kHijriLeapYears)
    if (y <= yearInCycle) ++n;
  return n;
}

bool gregorianLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

// ---- TcxEra ----------------------------------------------------------------------------------

TcxEra::TcxEra(int era, TDateTime startDate, int yearOffset, int minEraYear, int maxEraYear)
    : FEra(era), FMaxEraYear(maxEraYear), FMinEraYear(minEraYear), FStartDate(startDate),
      FYearOffset(yearOffset) {}

void TcxEra::Assign(rtl::TPersistent* source) {
  if (auto* era = dynamic_cast<TcxEra*>(source)) {
    FEra = era->FEra;
    FMaxEraYear = era->FMaxEraYear;
    FMinEraYear = era->FMinEraYear;
    FStartDate = era->FStartDate;
    FYearOffset = era->FYearOffset;
    return;
  }
  rtl::TPersistent::Assign(source);
}

// ---- TcxCustomCalendarTable -------------------------------------------------------------------

TcxCustomCalendarTable::TcxCustomCalendarTable() : FEras(std::make_unique<TcxEras>()) {
  if (TdxFastObjectList* list = calendarList().list) list->Add(this);
}

TcxCustomCalendarTable::~TcxCustomCalendarTable() {
  if (TdxFastObjectList* list = calendarList().list) list->Extract(this);
  FEras->Clear();
}

void TcxCustomCalendarTable::YearToGregorianYear(int& year, int era) const {
  if (era == -1) year += GetDefaultEra()->YearOffset();
  else if (era >= 0 && era < Eras()->Count()) year += Eras()->Items(era)->YearOffset();
}

int TcxCustomCalendarTable::GetEra(int year) const { return GetEra(year, 1, 1); }

int TcxCustomCalendarTable::GetEra(int year, int month, int day) const {
  if (Eras()->Count() == 0) return -1;
  TDateTime date = 0;
  if (!rtl::TryEncodeDate(rtl::Word(year), rtl::Word(month), rtl::Word(day), date)) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return -1;
    date = encodeDate(year, month, DaysPerMonth(year, month));  // a day past the month's end
  }
  int result = -1;
  for (int i = 0; i < Eras()->Count(); ++i)
    if (Eras()->Items(i)->StartDate() <= date) result = i;
  return result;
}

void TcxCustomCalendarTable::AdjustYear(int& year, int& era) const { AdjustYear(year, era, 1, 1); }

void TcxCustomCalendarTable::AdjustYear(int& year, int& era, int month, int day) const {
  int gregorian = year;
  YearToGregorianYear(gregorian, era);
  era = GetEra(gregorian, month, day);
  if (era >= 0) year = gregorian - Eras()->Items(era)->YearOffset();
}

void TcxCustomCalendarTable::CheckDateTime(TDateTime& value) const {
  if (value < GetMinSupportedDate()) value = GetMinSupportedDate();
  if (value > GetMaxSupportedDate()) value = GetMaxSupportedDate();
}

bool TcxCustomCalendarTable::IsNotValid(const TcxDateTime& date, TDateTime& result) const {
  if (IsValidDay(date.Era, date.Year, date.Month, date.Day)) return false;
  result = GetMinSupportedDate();
  return true;
}

bool TcxCustomCalendarTable::IsValidYear(int year) const { return IsValidYear(-1, year); }
bool TcxCustomCalendarTable::IsValidYear(int, int year) const {
  return year >= GetMinSupportedYear() && year <= GetMaxSupportedYear();
}
bool TcxCustomCalendarTable::IsValidMonth(int year, int month) const { return IsValidMonth(-1, year, month); }
bool TcxCustomCalendarTable::IsValidMonth(int era, int year, int month) const {
  return IsValidYear(era, year) && month > 0 && month <= GetMonthsInYear(era, year);
}
bool TcxCustomCalendarTable::IsValidDay(int year, int month, int day) const {
  return IsValidDay(-1, year, month, day);
}
bool TcxCustomCalendarTable::IsValidDay(int era, int year, int month, int day) const {
  return IsValidMonth(era, year, month) && day > 0 && day <= GetDaysInMonth(era, year, month);
}

bool TcxCustomCalendarTable::IsValidDate(TDateTime value) const {
  const TcxDateTime d = FromDateTime(value);
  const bool eraOk = d.Era == -1 || (d.Era >= 0 && d.Era < Eras()->Count());
  return eraOk && IsValidDay(d.Era, d.Year, d.Month, d.Day);
}

TDateTime TcxCustomCalendarTable::AddDays(const TcxDateTime& date, int count) const {
  TDateTime result = ToDateTime(date) + count;
  CheckDateTime(result);
  return result;
}

TDateTime TcxCustomCalendarTable::AddWeeks(TDateTime value, int count) const {
  return AddWeeks(FromDateTime(value), count);
}

TDateTime TcxCustomCalendarTable::AddWeeks(const TcxDateTime& date, int count) const {
  TDateTime result = AddDays(date, 7 * count);
  CheckDateTime(result);
  return result;
}

TDateTime TcxCustomCalendarTable::AddMonths(TDateTime value, int count) const {
  return AddMonths(FromDateTime(value), count);
}

TDateTime TcxCustomCalendarTable::AddMonths(const TcxDateTime& date, int count) const {
  TDateTime result = 0;
  if (IsNotValid(date, result)) return result;
  int era = date.Era;
  int year = date.Year;
  int month = date.Month + count;
  const int step = month > GetMonthsInYear(era, year) ? -1 : 1;
  while (month > GetMonthsInYear(era, year) || month <= 0) {
    if (step == 1) month += GetMonthsInYear(era, year - 1);
    else month -= GetMonthsInYear(era, year);
    year -= step;
  }
  TcxDateTime moved = date;
  moved.Day = std::min(date.Day, GetDaysInMonth(era, year, month));
  AdjustYear(year, era, month, moved.Day);
  moved.Era = era;
  moved.Year = year;
  moved.Month = month;
  if (IsNotValid(moved, result)) return result;
  result = ToDateTime(moved);
  CheckDateTime(result);
  return result;
}

TDateTime TcxCustomCalendarTable::AddYears(TDateTime value, int count) const {
  return AddYears(FromDateTime(value), count);
}

TDateTime TcxCustomCalendarTable::AddYears(const TcxDateTime& date, int count) const {
  TDateTime result = 0;
  if (IsNotValid(date, result)) return result;
  int era = date.Era;
  int year = date.Year + count;
  AdjustYear(year, era);
  if (!IsValidYear(era, year)) return GetMinSupportedDate();
  TcxDateTime moved = date;
  moved.Month = std::min(date.Month, GetMonthsInYear(era, year));
  moved.Day = std::min(date.Day, GetDaysInMonth(era, year, moved.Month));
  AdjustYear(year, era, moved.Month, moved.Day);
  moved.Era = era;
  moved.Year = year;
  result = ToDateTime(moved);
  CheckDateTime(result);
  return result;
}

TcxDateTime TcxCustomCalendarTable::FromDateTime(int year, int month, int day) const {
  return FromDateTime(encodeDate(year, month, day));
}

TcxDateTime TcxCustomCalendarTable::FromDateTime(int year, int month, int day, int hours, int minutes,
                                                 int seconds, int milliseconds) const {
  return FromDateTime(rtl::EncodeDateTime(rtl::Word(year), rtl::Word(month), rtl::Word(day),
                                          rtl::Word(hours), rtl::Word(minutes), rtl::Word(seconds),
                                          rtl::Word(milliseconds)));
}

int TcxCustomCalendarTable::GetDayOfYear(TDateTime value) const { return GetDayOfYear(FromDateTime(value)); }

int TcxCustomCalendarTable::GetDayOfYear(const TcxDateTime& date) const {
  int result = date.Day;
  for (int m = 1; m < date.Month; ++m) result += GetDaysInMonth(date.Era, date.Year, m);
  return result;
}

int TcxCustomCalendarTable::GetDaysInMonth(int year, int month) const { return GetDaysInMonth(-1, year, month); }
int TcxCustomCalendarTable::GetDaysInYear(int year) const { return GetDaysInYear(-1, year); }
int TcxCustomCalendarTable::GetMonthsInYear(int year) const { return GetMonthsInYear(-1, year); }
bool TcxCustomCalendarTable::IsLeapDay(int year, int month, int day) const { return IsLeapDay(-1, year, month, day); }
bool TcxCustomCalendarTable::IsLeapMonth(int year, int month) const { return IsLeapMonth(-1, year, month); }
bool TcxCustomCalendarTable::IsLeapYear(int year) const { return IsLeapYear(-1, year); }

TDateTime TcxCustomCalendarTable::GetFirstDayOfWeek(TDateTime value) const {
  return GetFirstDayOfWeek(value, GetFirstWeekDay());
}

TDateTime TcxCustomCalendarTable::GetFirstDayOfWeek(TDateTime value, int start) const {
  const int w = GetWeekDay(value);
  TDateTime result = value + start - w;
  if (w < start) result -= 7;
  return result;
}

TcxDateTime TcxCustomCalendarTable::GetFirstDayOfWeek(const TcxDateTime& date) const {
  return GetFirstDayOfWeek(date, GetFirstWeekDay());
}

TcxDateTime TcxCustomCalendarTable::GetFirstDayOfWeek(const TcxDateTime& date, int start) const {
  const int w = GetWeekDay(date);
  int delta = start - w;
  if (w < start) delta -= 7;
  return FromDateTime(AddDays(date, delta));
}

TDateTime TcxCustomCalendarTable::GetFirstDayOfMonth(TDateTime value) const {
  return ToDateTime(GetFirstDayOfMonth(FromDateTime(value)));
}
TcxDateTime TcxCustomCalendarTable::GetFirstDayOfMonth(const TcxDateTime& date) const {
  TcxDateTime r = date;
  r.Day = 1;
  return r;
}
TDateTime TcxCustomCalendarTable::GetFirstDayOfYear(TDateTime value) const {
  return ToDateTime(GetFirstDayOfYear(FromDateTime(value)));
}
TcxDateTime TcxCustomCalendarTable::GetFirstDayOfYear(const TcxDateTime& date) const {
  TcxDateTime r = date;
  r.Month = 1;
  r.Day = 1;
  return r;
}
TDateTime TcxCustomCalendarTable::GetLastDayOfMonth(TDateTime value) const {
  return ToDateTime(GetLastDayOfMonth(FromDateTime(value)));
}
TcxDateTime TcxCustomCalendarTable::GetLastDayOfMonth(const TcxDateTime& date) const {
  TcxDateTime r = date;
  r.Day = GetDaysInMonth(date.Era, date.Year, date.Month);
  return r;
}
TDateTime TcxCustomCalendarTable::GetLastDayOfYear(TDateTime value) const {
  return ToDateTime(GetLastDayOfYear(FromDateTime(value)));
}
TcxDateTime TcxCustomCalendarTable::GetLastDayOfYear(const TcxDateTime& date) const {
  TcxDateTime r = date;
  r.Month = GetMonthsInYear(date.Era, date.Year);
  r.Day = GetDaysInMonth(date.Era, date.Year, r.Month);
  return r;
}

int TcxCustomCalendarTable::GetYear(TDateTime value) const { return FromDateTime(value).Year; }

int TcxCustomCalendarTable::GetWeekDay(TDateTime value) const { return rtl::DayOfWeek(value) - 1; }
int TcxCustomCalendarTable::GetWeekDay(const TcxDateTime& date) const { return GetWeekDay(ToDateTime(date)); }

int TcxCustomCalendarTable::GetWeekNumber(TDateTime value, TDay startOfWeek,
                                          TcxFirstWeekOfYear firstWeekOfYear) const {
  return GetWeekNumber(FromDateTime(value), startOfWeek, firstWeekOfYear);
}

TDateTime TcxCustomCalendarTable::ToDateTime(const TcxDate& date) const {
  TcxDateTime dt;
  dt.Era = date.Era;
  dt.Year = date.Year;
  dt.Month = date.Month;
  dt.Day = date.Day;
  return ToDateTime(dt);
}

TDateTime TcxCustomCalendarTable::ToDateTime(int year, int month, int day) const {
  return ToDateTime(year, month, day, 0, 0, 0, 0);
}

TDateTime TcxCustomCalendarTable::ToDateTime(int year, int month, int day, int hours, int minutes,
                                             int seconds, int milliseconds) const {
  TcxDateTime dt;
  dt.Year = year;
  dt.Month = month;
  dt.Day = day;
  dt.Hours = rtl::Byte(hours);
  dt.Minutes = rtl::Byte(minutes);
  dt.Seconds = rtl::Byte(seconds);
  dt.Milliseconds = rtl::Word(milliseconds);
  return ToDateTime(dt);
}

int TcxCustomCalendarTable::GetDayNumber(rtl::StringView text) const { return rtl::StrToInt(text); }

int TcxCustomCalendarTable::MonthNumberByRunTimeNames(rtl::StringView text) const {
  const rtl::TFormatSettings& fs = rtl::FormatSettings();
  for (int i = 0; i < 12; ++i)
    if (rtl::AnsiSameText(fs.LongMonthNames[std::size_t(i)], text) ||
        rtl::AnsiSameText(fs.ShortMonthNames[std::size_t(i)], text))
      return i + 1;
  return rtl::StrToInt(text);
}

int TcxCustomCalendarTable::GetMonthNumber(int, rtl::StringView text) const {
  return MonthNumberByRunTimeNames(text);
}

int TcxCustomCalendarTable::GetYearNumber(rtl::StringView text) const {
  const int value = rtl::StrToInt(text);
  if (text.size() > 2) return value;
  rtl::LongWord max = 0;
  cxGetCalendarInfo(rtl::GetThreadLocale(), GetCalendarID(),
                    rtl::CAL_ITWODIGITYEARMAX | rtl::CAL_RETURN_NUMBER, nullptr, 0, &max);
  const int m = int(max);
  int year = value + (m / 100) * 100;
  if (m % 100 < value) year -= 100;
  return year;
}

// ---- Gregorian family -------------------------------------------------------------------------

TcxGregorianCalendarTable::TcxGregorianCalendarTable()
    : FDefaultEra(std::make_unique<TcxEra>(-1, NullDate, 0, 1, 9999)) {}

TcxGregorianCalendarTable::~TcxGregorianCalendarTable() = default;

TDateTime TcxGregorianCalendarTable::GetMaxSupportedDate() const { return rtl::MaxDateTime; }
TDateTime TcxGregorianCalendarTable::GetMinSupportedDate() const { return rtl::MinDateTime; }

TcxDateTime TcxGregorianCalendarTable::FromDateTime(TDateTime value) const { return gregorianDecode(value); }

TDateTime TcxGregorianCalendarTable::ToDateTime(const TcxDateTime& date) const {
  int year = date.Year;
  YearToGregorianYear(year, date.Era);
  if (year < 1 || year > 9999 || date.Month < 1 || date.Month > 12 || date.Day < 1)
    throw rtl::EConvertError(u"Invalid argument to date encode");
  return withTime(encodeDate(year, date.Month, date.Day), date);
}

bool TcxGregorianCalendarTable::IsLeapYear(int era, int year) const {
  YearToGregorianYear(year, era);
  return gregorianLeap(year);
}

int TcxGregorianCalendarTable::GetDaysInMonth(int era, int year, int month) const {
  switch (month) {
    case 4: case 6: case 9: case 11: return 30;
    case 2: return IsLeapYear(era, year) ? 29 : 28;
    default: return 31;
  }
}

int TcxGregorianCalendarTable::GetDaysInYear(int era, int year) const { return IsLeapYear(era, year) ? 366 : 365; }

bool TcxGregorianCalendarTable::IsLeapMonth(int era, int year, int month) const {
  return month == 2 && IsLeapYear(era, year);
}

bool TcxGregorianCalendarTable::IsLeapDay(int era, int year, int month, int day) const {
  return day == 29 && IsLeapMonth(era, year, month);
}

int TcxGregorianCalendarTable::GetWeekNumber(const TcxDateTime& date, TDay startOfWeek,
                                             TcxFirstWeekOfYear firstWeekOfYear) const {
  return dxGetWeekNumber(ToDateTime(date), startOfWeek, firstWeekOfYear);
}

int TcxGregorianCalendarTable::GetFullWeeksInYear(int year) const {
  TcxDateTime first;
  first.Year = year;
  first.Month = 1;
  first.Day = 1;
  int c = GetWeekDay(first) - GetFirstWeekDay();
  if (c < 0) c += 7;
  return (c >= 6 || (IsLeapYear(year) && c >= 5)) ? 53 : 52;
}

// ---- era-based calendars -----------------------------------------------------------------------

TcxJapaneseCalendarTable::TcxJapaneseCalendarTable() {
  Eras()->Add(new TcxEra(1, encodeDate(1868, 9, 8), 1867, 1, 45));
  Eras()->Add(new TcxEra(2, encodeDate(1912, 7, 30), 1911, 1, 15));
  Eras()->Add(new TcxEra(3, encodeDate(1926, 12, 25), 1925, 1, 64));
  Eras()->Add(new TcxEra(4, encodeDate(1989, 1, 8), 1988, 1, 8011));
}

TDateTime TcxJapaneseCalendarTable::GetMaxSupportedDate() const { return encodeDate(9999, 12, 31); }
TDateTime TcxJapaneseCalendarTable::GetMinSupportedDate() const { return encodeDate(1868, 9, 8); }

TcxDateTime TcxJapaneseCalendarTable::FromDateTime(TDateTime value) const {
  TcxDateTime dt = gregorianDecode(value);
  dt.Era = GetEra(dt.Year, dt.Month, dt.Day);
  const TcxEra* era = dt.Era >= 0 ? Eras()->Items(dt.Era) : GetDefaultEra();
  dt.Year -= era->YearOffset();
  return dt;
}

TDateTime TcxJapaneseCalendarTable::ToDateTime(const TcxDateTime& date) const {
  TDateTime result = 0;
  if (IsNotValid(date, result)) return result;
  int year = date.Year;
  YearToGregorianYear(year, date.Era);
  TDateTime day = 0;
  if (!rtl::TryEncodeDate(rtl::Word(year), rtl::Word(date.Month), rtl::Word(date.Day), day))
    return GetMinSupportedDate();
  return withTime(day, date);
}

TcxSingleEraCalendarTable::TcxSingleEraCalendarTable(int era, int y, int m, int d, int yearOffset,
                                                     int minYear, int maxYear)
    : TcxJapaneseCalendarTable(NoEras{}) {
  Eras()->Add(new TcxEra(era, encodeDate(y, m, d), yearOffset, minYear, maxYear));
}

// ---- lunar calendars ---------------------------------------------------------------------------

TcxLunarCalendarTable::TcxLunarCalendarTable()
    : FDefaultEra(std::make_unique<TcxEra>(-1, NullDate, 0, 1, 9999)) {}

TcxLunarCalendarTable::~TcxLunarCalendarTable() = default;

int TcxLunarCalendarTable::GetWeekNumber(const TcxDateTime& date, TDay,
                                         TcxFirstWeekOfYear firstWeekOfYear) const {
  const int rule = firstWeekOfYear == fwySystem ? int(dxGetLocalFirstWeekOfYear()) : int(firstWeekOfYear);
  const TDateTime yearStart = std::trunc(ToDateTime(date.Year, 1, 1));
  TDateTime start = GetFirstDayOfWeek(yearStart, GetFirstWeekDay());
  if (rule == fwyFirstFullWeek && start < yearStart) start += 7;
  if (rule == fwyFirstFourDays && start + 3 < yearStart) start += 7;
  const TDateTime day = std::trunc(ToDateTime(date));
  int week = int(day - start) / 7 + 1;
  if (date.Month == GetMonthsInYear(date.Era, date.Year)) {
    const TDateTime weekStart = GetFirstDayOfWeek(day, GetFirstWeekDay());
    if (rule == fwyJan1 && FromDateTime(weekStart + 6).Month == 1) week = 1;
    if (rule == fwyFirstFourDays && FromDateTime(weekStart + 3).Month == 1) week = 1;
  }
  return week;
}

// Hijri.

TDateTime TcxHijriCalendarTable::GetMaxSupportedDate() const { return encodeDate(9666, 4, 3); }
// 1 Muharram of year 1 by the calendar's own arithmetic.
TDateTime TcxHijriCalendarTable::GetMinSupportedDate() const { return encodeDate(622, 7, 18); }

bool TcxHijriCalendarTable::IsLeapYear(int, int year) const {
  const int r = ((year % 30) + 30) % 30;
  for (int y : kHijriLeapYears)
    if (y == r) return true;
  return false;
}

int TcxHijriCalendarTable::GetDaysInYear(int era, int year) const { return IsLeapYear(era, year) ? 355 : 354; }

int TcxHijriCalendarTable::GetDaysInMonth(int era, int year, int month) const {
  if (month == 12 && IsLeapYear(era, year)) return 30;
  return month % 2 == 1 ? 30 : 29;
}

bool TcxHijriCalendarTable::IsLeapMonth(int era, int year, int month) const {
  return month == 12 && IsLeapYear(era, year);
}

bool TcxHijriCalendarTable::IsLeapDay(int era, int year, int month, int day) const {
  return day == 30 && IsLeapMonth(era, year, month);
}

TDateTime TcxHijriCalendarTable::ToDateTime(const TcxDateTime& date) const {
  const int y = date.Year - 1;
  const int n = kHijriEpochOffset + 354 * y + 11 * (y / 30) + hijriLeapsUpTo(y % 30) + GetDayOfYear(date);
  return withTime(double(kDayOne + n - 1), date);
}

TcxDateTime TcxHijriCalendarTable::FromDateTime(TDateTime value) const {
  TcxDateTime dt;
  decodeTime(value, dt);
  int n = wholeDay(value) - kDayOne + 1 - kHijriEpochOffset;
  int year = int((30LL * n) / 10631) + 1;
  n -= 354 * (year - 1) + 11 * ((year - 1) / 30) + hijriLeapsUpTo((year - 1) % 30);
  // The estimate can fall a year short or long at cycle ends.
  while (n <= 0) {
    --year;
    n += GetDaysInYear(-1, year);
  }
  while (n > GetDaysInYear(-1, year)) {
    n -= GetDaysInYear(-1, year);
    ++year;
  }
  int month = 1;
  while (GetDaysInMonth(-1, year, month) < n) n -= GetDaysInMonth(-1, year, month++);
  dt.Year = year;
  dt.Month = month;
  dt.Day = n;
  return dt;
}

int TcxHijriCalendarTable::GetMonthNumber(int year, rtl::StringView text) const {
  for (int m = 1; m <= 12; ++m) {
    rtl::String name;
    if (rtl::TryGetCalendarInfo(rtl::GetThreadLocale(), rtl::CAL_HIJRI,
                                rtl::CAL_SMONTHNAME1 + rtl::CALTYPE(m - 1), name) &&
        !name.empty() && rtl::AnsiSameText(name, text))
      return m;
  }
  return TcxCustomCalendarTable::GetMonthNumber(year, text);
}

// Hebrew.

TDateTime TcxHebrewCalendarTable::GetMaxSupportedDate() const {
  return encodeDate(2239, 9, 29) + kLastMillisecond;
}
TDateTime TcxHebrewCalendarTable::GetMinSupportedDate() const { return encodeDate(1583, 1, 1); }

int TcxHebrewCalendarTable::GetYearType(int year) const {
  if (year < 5343 || year > 5999) return 0;
  const int t = cxHebrewTable[(year - 3760 - 1583) * 2 + 1];
  return t > 3 ? t - 3 : t;
}

bool TcxHebrewCalendarTable::IsLeapYear(int, int year) const {
  return year >= 5343 && year <= 5999 && cxHebrewTable[(year - 3760 - 1583) * 2 + 1] > 3;
}

int TcxHebrewCalendarTable::GetMonthsInYear(int era, int year) const { return IsLeapYear(era, year) ? 13 : 12; }

int TcxHebrewCalendarTable::GetDaysInYear(int era, int year) const {
  if (!IsValidYear(era, year)) return 0;
  return 352 + GetYearType(year) + (IsLeapYear(era, year) ? 30 : 0);
}

int TcxHebrewCalendarTable::GetDaysInMonth(int era, int year, int month) const {
  if (!IsValidMonth(era, year, month)) return 0;
  return cxHebrewLunarMonthLen[GetYearType(year) + (IsLeapYear(era, year) ? 3 : 0)][month];
}

bool TcxHebrewCalendarTable::IsLeapMonth(int era, int year, int month) const {
  return month == 7 && IsLeapYear(era, year) && IsValidMonth(era, year, month);
}

bool TcxHebrewCalendarTable::IsLeapDay(int era, int year, int month, int day) const {
  return IsValidDay(era, year, month, day) && IsLeapMonth(era, year, month);
}

int TcxHebrewCalendarTable::GetFullWeeksInYear(int year) const { return GetDaysInYear(-1, year) / 7; }

namespace {

// Hebrew month and day of 1 January of a Gregorian year.
void lunarMonthDay(int gregorianYear, int& month, int& day) {
  const int code = cxHebrewTable[(gregorianYear - 1583) * 2];
  switch (code) {
    case 0: month = 5; day = 1; break;
    case 30: month = 3; day = 30; break;
    case 31: month = 5; day = 2; break;
    case 32: month = 5; day = 3; break;
    case 33: month = 3; day = 29; break;
    default: month = 4; day = code; break;
  }
}

}  // namespace

int TcxHebrewCalendarTable::GetDayDifference(int yearType, int month1, int day1, int month2, int day2) {
  if (month1 == month2) return day1 - day2;
  const bool firstLater = month1 > month2;
  const int earlyMonth = firstLater ? month2 : month1;
  const int earlyDay = firstLater ? day2 : day1;
  const int lateMonth = firstLater ? month1 : month2;
  const int lateDay = firstLater ? day1 : day2;
  int days = cxHebrewLunarMonthLen[yearType][earlyMonth] - earlyDay;
  for (int m = earlyMonth + 1; m < lateMonth; ++m) days += cxHebrewLunarMonthLen[yearType][m];
  days += lateDay;
  return firstLater ? days : -days;
}

TDateTime TcxHebrewCalendarTable::ToDateTime(const TcxDateTime& date) const {
  TDateTime result = 0;
  if (IsNotValid(date, result)) return result;
  const int gregorianYear = date.Year - 3760;
  int month = 0, day = 0;
  lunarMonthDay(gregorianYear, month, day);
  TDateTime value = encodeDate(gregorianYear, 1, 1);
  if (date.Month != month || date.Day != day)
    value += GetDayDifference(GetYearType(date.Year) + (IsLeapYear(-1, date.Year) ? 3 : 0), date.Month,
                              date.Day, month, day);
  return withTime(value, date);
}

TcxDateTime TcxHebrewCalendarTable::FromDateTime(TDateTime value) const {
  if (value < GetMinSupportedDate()) value = GetMinSupportedDate();
  if (value > GetMaxSupportedDate()) value = GetMaxSupportedDate();
  TcxDateTime dt;
  decodeTime(value, dt);
  int year = dxGetDateElement(value, deYear) + 3760;
  int month = 1;
  const int day = wholeDay(value);
  int c = day - int(ToDateTime(year, 1, 1)) + 1;
  // A year and a half of months at most; the bound keeps a damaged table
  // from turning into an endless walk.
  for (int steps = 0; (c > GetDaysInMonth(-1, year, month) || c < 1) && steps < 20; ++steps) {
    if (c > 0) {
      if (++month > GetMonthsInYear(-1, year)) {
        month = 1;
        ++year;
      }
    } else if (--month < 1) {
      --year;
      month = GetMonthsInYear(-1, year);
    }
    c = day - int(ToDateTime(year, month, 1)) + 1;
  }
  dt.Year = year;
  dt.Month = month;
  dt.Day = c;
  return dt;
}

int TcxHebrewCalendarTable::GetDayNumber(rtl::StringView text) const {
  const int v = HebrewNumber(text);
  return v != 0 ? v : TcxCustomCalendarTable::GetDayNumber(text);
}

int TcxHebrewCalendarTable::GetMonthNumber(int year, rtl::StringView text) const {
  const int v = HebrewNumber(text);
  if (IsValidMonth(-1, year, v)) return v;
  // The locale lists Adar I and Adar II; in a common year both mean Adar.
  const bool leap = IsLeapYear(-1, year);
  for (int i = 1; i <= 13; ++i) {
    rtl::String name;
    if (!rtl::TryGetCalendarInfo(rtl::GetThreadLocale(), rtl::CAL_HEBREW,
                                 rtl::CAL_SMONTHNAME1 + rtl::CALTYPE(i - 1), name) ||
        name.empty() || !rtl::AnsiSameText(name, text))
      continue;
    return leap || i <= 6 ? i : i - 1;
  }
  return TcxCustomCalendarTable::GetMonthNumber(year, text);
}

int TcxHebrewCalendarTable::GetYearNumber(rtl::StringView text) const {
  const int v = HebrewNumber(text);
  return v != 0 ? v + 5000 : TcxCustomCalendarTable::GetYearNumber(text);
}

int HebrewNumber(rtl::StringView text) {
  // Alef U+05D0 .. tav U+05EA; the final forms count as their letters.
  static const int kValues[27] = {1,  2,  3,  4,  5,  6,  7,  8,  9,   10,  20,  20,  30, 40,
                                  40, 50, 50, 60, 70, 80, 80, 90, 90, 100, 200, 300, 400};
  int value = 0;
  for (rtl::Char c : text)
    if (c >= 0x05D0 && c <= 0x05EA) value += kValues[c - 0x05D0];
  return value;
}

// ---- finding tables ----------------------------------------------------------------------------

namespace {

template <class T>
TcxCustomCalendarTable* make() {
  return new T();
}

}  // namespace

TcxCalendarTableClass cxGetCalendarClass(CALID calendarID) {
  switch (calendarID) {
    case rtl::CAL_GREGORIAN_US: return &make<TcxGregorianUSEnglishCalendarTable>;
    case rtl::CAL_JAPAN: return &make<TcxJapaneseCalendarTable>;
    case rtl::CAL_TAIWAN: return &make<TcxTaiwanCalendarTable>;
    case rtl::CAL_KOREA: return &make<TcxKoreanCalendarTable>;
    case rtl::CAL_HIJRI: return &make<TcxHijriCalendarTable>;
    case rtl::CAL_THAI: return &make<TcxThaiCalendarTable>;
    case rtl::CAL_HEBREW: return &make<TcxHebrewCalendarTable>;
    case rtl::CAL_GREGORIAN_ME_FRENCH: return &make<TcxGregorianMiddleEastFrenchCalendarTable>;
    case rtl::CAL_GREGORIAN_ARABIC: return &make<TcxGregorianArabicCalendarTable>;
    case rtl::CAL_GREGORIAN_XLIT_ENGLISH: return &make<TcxGregorianTransliteratedEnglishCalendarTable>;
    case rtl::CAL_GREGORIAN_XLIT_FRENCH: return &make<TcxGregorianTransliteratedFrenchCalendarTable>;
    default: return &make<TcxGregorianCalendarTable>;
  }
}

TcxCustomCalendarTable* FindCalendarTable(CALID calendarID) {
  TdxFastObjectList* list = calendarList().list;
  if (!list) return nullptr;
  for (int i = 0; i < list->Count(); ++i) {
    auto* table = static_cast<TcxCustomCalendarTable*>(list->TdxFastList::Items(i));
    if (table->GetCalendarID() == calendarID) return table;
  }
  return nullptr;
}

TcxCustomCalendarTable* cxGetCalendar(CALID calendarID) {
  if (calendarID < 1 || calendarID > 12) calendarID = rtl::CAL_GREGORIAN;
  if (TcxCustomCalendarTable* table = FindCalendarTable(calendarID)) return table;
  return cxGetCalendarClass(calendarID)();  // joins the list as it is made
}

bool cxIsGregorianCalendar(const TcxCustomCalendarTable* calendar) {
  const CALID id = calendar ? calendar->GetCalendarID() : cxGetLocalCalendarID();
  return id == 1 || id == 2 || (id >= 9 && id <= 12);
}

CALID cxGetCalendarID(rtl::LCID locale) {
  rtl::Char raw[2] = {};
  if (rtl::GetLocaleInfoW(locale, rtl::LOCALE_ICALENDARTYPE | rtl::LOCALE_RETURN_NUMBER, raw, 2) != 2)
    return rtl::CAL_GREGORIAN;
  rtl::LongWord id = 0;
  static_assert(sizeof raw == sizeof id);
  std::memcpy(&id, raw, sizeof id);
  return id;
}

CALID cxGetLocalCalendarID() { return cxGetCalendarID(rtl::GetThreadLocale()); }

TcxCustomCalendarTable* cxGetLocalCalendar() { return cxGetCalendar(cxGetLocalCalendarID()); }

int cxGetCalendarInfo(rtl::LCID locale, CALID calendar, rtl::CALTYPE calType, rtl::Char* calData,
                      int cchData, rtl::LongWord* value) {
  return rtl::GetCalendarInfoW(locale, calendar, calType, calData, cchData, value);
}

}  // namespace core
