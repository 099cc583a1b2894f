#pragma once
// Small Gregorian date routines the library shares: date and time parts with
// care for the null date, month and year boundaries, the first day of the
// week and week numbers by the locale's rules, and the three weekday
// numberings that meet here:
//   TDay                 0 = Sunday .. 6 = Saturday (the library's own)
//   TdxDayOfWeekVCL      1 = Sunday .. 7 = Saturday (rtl::DayOfWeek)
//   TdxDayOfWeekSystem   0 = Monday .. 6 = Sunday   (LOCALE_IFIRSTDAYOFWEEK)
#include "platform/rtl/types.h"

namespace core {

using rtl::TDateTime;

enum TDay { dSunday, dMonday, dTuesday, dWednesday, dThursday, dFriday, dSaturday };
using TdxDayOfWeekVCL = int;     // 1 .. 7
using TdxDayOfWeekSystem = int;  // 0 .. 6
enum TcxFirstWeekOfYear { fwySystem, fwyJan1, fwyFirstFullWeek, fwyFirstFourDays };
enum TcxDateElement { deYear, deMonth, deDay };

constexpr TDateTime NullDate = -700000.0;
// Marks a year whose 1 January cannot be encoded (no week 1).
constexpr TDateTime NoFirstWeekDate = -699999.0;
constexpr int dxMinYear = 100;
constexpr int dxMaxYear = 9999;

extern const int ADaysInMonth[12];
extern const TDay dxDayConvertTableSystem[7];  // locale day 0..6 -> TDay
extern const TDay dxDayConvertTableVCL[7];     // run-time day 1..7 (index 0..6) -> TDay

bool IsLeapYear(int year);
int DaysPerMonth(int year, int month);
// 1 for a day <= 0, the month's length for a day past it, else the day.
int CheckDay(int year, int month, int day);

// The null date stays null; otherwise the whole days (-1.25 gives -1.0).
TDateTime dxDateOf(TDateTime date);
// 0 for the null date; otherwise the time of day (-1.25 gives 0.25).
TDateTime dxTimeOf(TDateTime date);
// The null date, or a date from 0100-01-01 to 9999-12-31 23:59:59.999.
bool cxIsDateValid(TDateTime date);

int dxGetDateElement(TDateTime date, TcxDateElement element);
TDateTime dxGetStartDateOfMonth(TDateTime date);
TDateTime dxGetEndDateOfMonth(TDateTime date, bool ignoreTime);  // 23:59:59.999 unless ignoreTime
TDateTime dxGetStartDateOfYear(TDateTime date);
TDateTime dxGetEndDateOfYear(TDateTime date, bool ignoreTime);
int dxGetMonthNumber(TDateTime date);  // year * 12 + month - 12

TDay dxDayOfWeek(TDateTime date);
int dxDayOfWeekOffset(TDateTime date, TDay startOfWeek);  // 0 .. 6
int dxDayOfWeekOffset(TDateTime date);                    // from dxGetStartOfWeek
TDateTime dxGetStartDateOfWeek(TDateTime date);

TDay dxDayOfWeekFromVCL(TdxDayOfWeekVCL value);
TDay dxDayOfWeekFromSystem(TdxDayOfWeekSystem value);
TdxDayOfWeekVCL dxDayOfWeekToVCL(TDay value);
// The weekday `daysCount` (>= 0) days after `dayFrom`.
TDay dxGetDayOfWeek(TDay dayFrom, int daysCount);

// The assigned start of the week when one is, else the locale's.
TDay dxGetStartOfWeek();
TDay dxGetLocalStartOfWeek();
TcxFirstWeekOfYear dxGetLocalFirstWeekOfYear();
// An application's own start of the week, overriding the locale's.
void dxSetAssignedStartOfWeek(TDay day);
void dxResetAssignedStartOfWeek();

// Weeks start on dxGetStartOfWeek(); `startOfWeek` is accepted for the
// callers' sake and does not change the result.
int dxGetWeekNumber(TDateTime date, TDay startOfWeek, TcxFirstWeekOfYear firstWeekOfYear);

}  // namespace core
