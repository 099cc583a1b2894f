#include "platform/rtl/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/rtl/clock.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace rtl {
namespace {

const TFormatSettings& ptBR() {
  static const TFormatSettings s = TFormatSettings::Create(LOCALE_PT_BR);
  return s;
}
const TFormatSettings& enUS() {
  static const TFormatSettings s = TFormatSettings::Create(LOCALE_EN_US);
  return s;
}

// Installs a test clock and a time zone for the test's duration; the century
// window of two-digit years and two-number dates read the clock too.
class ClockAndZone {
 public:
  ClockAndZone(Int64 unixMs, const char* tz) : clock_(std::make_shared<TestClock>(unixMs)) {
    if (const char* old = std::getenv("TZ")) oldTz_ = old;
    setenv("TZ", tz, 1);
    tzset();
    SetClock(clock_);
  }
  ~ClockAndZone() {
    SetClock(nullptr);
    if (oldTz_)
      setenv("TZ", oldTz_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  TestClock& clock() { return *clock_; }

 private:
  std::shared_ptr<TestClock> clock_;
  std::optional<std::string> oldTz_;
};

constexpr Int64 k2026_01_01_12h = 1767268800000;  // 2026-01-01 12:00 UTC

struct Ymdhnsz {
  int y, m, d, h, n, s, z;
};

Ymdhnsz decodeAll(TDateTime v) {
  Word y, m, d, h, n, s, z;
  DecodeDateTime(v, y, m, d, h, n, s, z);
  return {y, m, d, h, n, s, z};
}

::testing::AssertionResult isMoment(TDateTime v, Ymdhnsz want) {
  Ymdhnsz got = decodeAll(v);
  if (got.y == want.y && got.m == want.m && got.d == want.d && got.h == want.h && got.n == want.n &&
      got.s == want.s && got.z == want.z)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "value " << v << " decodes as " << got.y << "-" << got.m << "-" << got.d << " " << got.h << ":"
         << got.n << ":" << got.s << "." << got.z;
}

// --- encoding and decoding ------------------------------------------------------

TEST(DateTimeEncode, DatesMapToTheirDayNumbers) {
  struct Case {
    Word y, m, d;
    double serial;
  } cases[] = {
      {1899, 12, 30, 0},      {1899, 12, 29, -1},     {1900, 1, 1, 2},          {1970, 1, 1, 25569},
      {2000, 1, 1, 36526},    {2000, 2, 29, 36585},   {2026, 1, 1, 46023},      {100, 1, 1, MinDateTime},
      {9999, 12, 31, 2958465}, {1, 1, 1, -693593},     {1600, 3, 1, -109511},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial);
    Word y, m, d;
    DecodeDate(c.serial, y, m, d);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(m, c.m);
    EXPECT_EQ(d, c.d);
  }
}

TEST(DateTimeEncode, InvalidDatesAndTimesAreRejected) {
  struct Case {
    Word y, m, d;
  } dates[] = {{1900, 2, 29}, {2100, 2, 29}, {2023, 2, 29}, {2024, 2, 30}, {2024, 4, 31},
               {2024, 13, 1}, {2024, 0, 1},  {2024, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
  for (const Case& c : dates) {
    TDateTime v = 123;
    EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, v)) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(v, 123);
  }
  TDateTime v;
  EXPECT_TRUE(TryEncodeDate(2024, 2, 29, v));
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));

  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, v));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, v));
  EXPECT_TRUE(TryEncodeTime(23, 59, 59, 999, v));

  try {
    EncodeDate(2023, 2, 29);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
  }
  try {
    EncodeTime(25, 0, 0, 0);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Invalid argument to time encode");
  }
  EXPECT_THROW(EncodeDateTime(2024, 2, 30, 0, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeDateTime(2024, 2, 3, 0, 0, 0, 1000), EConvertError);
}

TEST(DateTimeEncode, LeapYearsAndMonthLengths) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
  struct Case {
    Word y, m, days;
  } cases[] = {{2024, 2, 29}, {2023, 2, 28}, {1900, 2, 28}, {2000, 2, 29}, {2023, 1, 31},
               {2023, 4, 30}, {2023, 12, 31}, {2023, 13, 0}};
  for (const Case& c : cases) EXPECT_EQ(DaysInAMonth(c.y, c.m), c.days) << c.y << "-" << c.m;
}

TEST(DateTimeEncode, NegativeValuesCountTheTimeForwardFromTheirDay) {
  // -1.25 is 1899-12-29 06:00, not 18:00: the fraction is taken absolute.
  EXPECT_TRUE(isMoment(-1.25, {1899, 12, 29, 6, 0, 0, 0}));
  EXPECT_TRUE(isMoment(-0.5, {1899, 12, 30, 12, 0, 0, 0}));
  EXPECT_TRUE(isMoment(-657434.75, {100, 1, 1, 18, 0, 0, 0}));
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  EXPECT_EQ(EncodeDateTime(1899, 12, 30, 6, 0, 0, 0), 0.25);
  EXPECT_EQ(EncodeDateTime(1800, 1, 1, 12, 0, 0, 0), EncodeDate(1800, 1, 1) - 0.5);
  EXPECT_EQ(DateOf(-1.25), -1);
  EXPECT_EQ(TimeOf(-1.25), -0.25);
  EXPECT_EQ(TimeOf(10.75), 0.75);
  EXPECT_EQ(HourOf(-1.25), 6);
}

TEST(DateTimeEncode, DecodingRoundsToTheNearestMillisecond) {
  const double ms = 1.0 / MSecsPerDay;
  const TDateTime newYearsEve = EncodeDate(2024, 12, 31);
  struct Case {
    TDateTime value;
    Ymdhnsz want;
  } cases[] = {
      {newYearsEve + 1 - 0.4 * ms, {2025, 1, 1, 0, 0, 0, 0}},      // rounds over midnight
      {newYearsEve + 1 - 0.6 * ms, {2024, 12, 31, 23, 59, 59, 999}},
      {newYearsEve + EncodeTime(10, 0, 0, 0) + 0.6 * ms, {2024, 12, 31, 10, 0, 0, 1}},
      {newYearsEve + EncodeTime(10, 0, 0, 0) - 0.4 * ms, {2024, 12, 31, 10, 0, 0, 0}},
      {EncodeTime(23, 59, 59, 999), {1899, 12, 30, 23, 59, 59, 999}},
      {-2 + 0.3 * ms, {1899, 12, 28, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_TRUE(isMoment(c.value, c.want));
  // Every millisecond of a day survives an encode/decode round trip.
  for (int z = 0; z < 1000; z += 7) {
    TDateTime v = EncodeDateTime(2025, 6, 15, 13, 45, 59, static_cast<Word>(z));
    EXPECT_EQ(MilliSecondOf(v), z);
    EXPECT_EQ(SecondOf(v), 59);
  }
}

TEST(DateTimeEncode, PartsAndDayOfWeek) {
  const TDateTime v = EncodeDateTime(2026, 3, 5, 14, 7, 9, 45);
  EXPECT_EQ(YearOf(v), 2026);
  EXPECT_EQ(MonthOf(v), 3);
  EXPECT_EQ(DayOf(v), 5);
  EXPECT_EQ(HourOf(v), 14);
  EXPECT_EQ(MinuteOf(v), 7);
  EXPECT_EQ(SecondOf(v), 9);
  EXPECT_EQ(MilliSecondOf(v), 45);
  EXPECT_EQ(DayOfWeek(v), 5);  // Thursday
  EXPECT_EQ(DayOfWeek(0), 7);  // 1899-12-30 was a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 3)), 1);
  EXPECT_EQ(DayOfWeek(EncodeDate(2000, 2, 29)), 3);
  EXPECT_EQ(DayOfWeek(EncodeDate(100, 1, 1)), 6);  // proleptic Gregorian Friday
}

// --- arithmetic -----------------------------------------------------------------

TEST(DateTimeArithmetic, IncMonthClampsTheDayAndKeepsTheTime) {
  struct Case {
    Ymdhnsz from;
    int months;
    Ymdhnsz want;
  } cases[] = {
      {{2024, 1, 31, 10, 30, 0, 0}, 1, {2024, 2, 29, 10, 30, 0, 0}},
      {{2023, 1, 31, 0, 0, 0, 0}, 1, {2023, 2, 28, 0, 0, 0, 0}},
      {{2024, 3, 31, 0, 0, 0, 0}, -1, {2024, 2, 29, 0, 0, 0, 0}},
      {{2024, 12, 15, 8, 0, 0, 0}, 1, {2025, 1, 15, 8, 0, 0, 0}},
      {{2024, 1, 15, 0, 0, 0, 0}, -13, {2022, 12, 15, 0, 0, 0, 0}},
      {{2024, 5, 31, 0, 0, 0, 0}, 24, {2026, 5, 31, 0, 0, 0, 0}},
      {{1899, 12, 29, 6, 0, 0, 0}, -1, {1899, 11, 29, 6, 0, 0, 0}},
      {{1899, 12, 29, 6, 0, 0, 0}, 1, {1900, 1, 29, 6, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const auto& f = c.from;
    TDateTime v = EncodeDateTime(f.y, f.m, f.d, f.h, f.n, f.s, f.z);
    EXPECT_TRUE(isMoment(IncMonth(v, c.months), c.want)) << f.y << "-" << f.m << "-" << f.d << " + " << c.months;
  }
  EXPECT_TRUE(isMoment(IncYear(EncodeDate(2024, 2, 29), 1), {2025, 2, 28, 0, 0, 0, 0}));
  EXPECT_TRUE(isMoment(IncYear(EncodeDate(2024, 2, 29), 4), {2028, 2, 29, 0, 0, 0, 0}));
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
}

TEST(DateTimeArithmetic, TimeStepsCrossDaysAndTheDayZero) {
  struct Case {
    Ymdhnsz from;
    TDateTime (*step)(TDateTime, Int64);
    Int64 count;
    Ymdhnsz want;
  } cases[] = {
      {{2025, 12, 31, 23, 59, 59, 0}, IncSecond, 1, {2026, 1, 1, 0, 0, 0, 0}},
      {{2026, 1, 1, 0, 0, 0, 0}, IncSecond, -1, {2025, 12, 31, 23, 59, 59, 0}},
      {{2026, 1, 1, 0, 0, 0, 0}, IncMilliSecond, -1, {2025, 12, 31, 23, 59, 59, 999}},
      {{2024, 2, 28, 23, 30, 0, 0}, IncMinute, 45, {2024, 2, 29, 0, 15, 0, 0}},
      {{2024, 2, 28, 12, 0, 0, 0}, IncHour, 36, {2024, 3, 1, 0, 0, 0, 0}},
      {{2024, 2, 28, 12, 0, 0, 0}, IncSecond, 86400 * 366, {2025, 2, 28, 12, 0, 0, 0}},
      // Around 1899-12-30 the double runs the other way inside each day.
      {{1899, 12, 30, 0, 0, 0, 0}, IncSecond, -1, {1899, 12, 29, 23, 59, 59, 0}},
      {{1899, 12, 29, 23, 0, 0, 0}, IncHour, 2, {1899, 12, 30, 1, 0, 0, 0}},
      {{1899, 12, 29, 6, 0, 0, 0}, IncMinute, 30, {1899, 12, 29, 6, 30, 0, 0}},
      {{1899, 12, 29, 6, 0, 0, 0}, IncDay, 2, {1899, 12, 31, 6, 0, 0, 0}},
      {{1899, 12, 31, 6, 0, 0, 0}, IncDay, -3, {1899, 12, 28, 6, 0, 0, 0}},
      {{2026, 1, 1, 18, 0, 0, 0}, IncWeek, -1, {2025, 12, 25, 18, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const auto& f = c.from;
    TDateTime v = EncodeDateTime(f.y, f.m, f.d, f.h, f.n, f.s, f.z);
    EXPECT_TRUE(isMoment(c.step(v, c.count), c.want)) << f.y << "-" << f.m << "-" << f.d << " " << f.h
                                                      << ":" << f.n << ":" << f.s << " step " << c.count;
  }
}

TEST(DateTimeArithmetic, SpansAreWholePositiveUnits) {
  const TDateTime a = EncodeDateTime(2025, 1, 1, 10, 0, 0, 0);
  EXPECT_EQ(SecondsBetween(a, IncMilliSecond(a, 1999)), 1);
  EXPECT_EQ(SecondsBetween(IncMilliSecond(a, 1999), a), 1);
  EXPECT_EQ(SecondsBetween(a, IncSecond(a, 3600)), 3600);
  EXPECT_EQ(MilliSecondsBetween(a, IncMilliSecond(a, -250)), 250);
  EXPECT_EQ(DaysBetween(a, IncMilliSecond(a, 2 * MSecsPerDay - 1)), 1);
  EXPECT_EQ(DaysBetween(a, IncDay(a, 2)), 2);
  // Across day zero the distance is the real one, not the difference of doubles.
  EXPECT_EQ(MilliSecondsBetween(EncodeDateTime(1899, 12, 29, 23, 59, 59, 500), EncodeTime(0, 0, 0, 250)), 750);
  // A hundred thousand seconds added one by one still land exactly.
  TDateTime v = a;
  for (int i = 0; i < 100000; ++i) v = IncSecond(v);
  EXPECT_EQ(SecondsBetween(a, v), 100000);
  EXPECT_EQ(MilliSecondOf(v), 0);
}

// --- the clock ------------------------------------------------------------------

TEST(DateTimeClock, NowReadsTheInstalledClockInTheLocalZone) {
  ClockAndZone env(1767225600045, "BRT3");  // 2026-01-01 00:00:00.045 UTC, UTC-3
  EXPECT_TRUE(isMoment(Now(), {2025, 12, 31, 21, 0, 0, 45}));
  EXPECT_EQ(Date(), EncodeDate(2025, 12, 31));
  EXPECT_TRUE(isMoment(Time(), {1899, 12, 30, 21, 0, 0, 45}));
  env.clock().Advance(3 * 3600 * 1000);
  EXPECT_TRUE(isMoment(Now(), {2026, 1, 1, 0, 0, 0, 45}));
}

TEST(DateTimeClock, NowFollowsDaylightSavingRules) {
  ClockAndZone env(1751371200000, "CET-1CEST,M3.5.0,M10.5.0/3");  // 2025-07-01 12:00 UTC
  EXPECT_TRUE(isMoment(Now(), {2025, 7, 1, 14, 0, 0, 0}));
  env.clock().SetUnixTimeMs(1767268800000);  // 2026-01-01 12:00 UTC
  EXPECT_TRUE(isMoment(Now(), {2026, 1, 1, 13, 0, 0, 0}));
}

TEST(DateTimeClock, UnixConversions) {
  ClockAndZone env(k2026_01_01_12h, "BRT3");
  EXPECT_EQ(UnixMsToDateTime(0), UnixDateDelta);
  EXPECT_EQ(DateTimeToUnixMs(UnixDateDelta + 0.5), 43200000);
  EXPECT_TRUE(isMoment(UnixMsToDateTime(-1), {1969, 12, 31, 23, 59, 59, 999}));
  EXPECT_TRUE(isMoment(UnixMsToDateTime(1767225600123), {2026, 1, 1, 0, 0, 0, 123}));
  EXPECT_TRUE(isMoment(UnixMsToDateTime(1767225600123, false), {2025, 12, 31, 21, 0, 0, 123}));
  EXPECT_EQ(DateTimeToUnixMs(EncodeDateTime(2025, 12, 31, 21, 0, 0, 123), false), 1767225600123);
  EXPECT_EQ(DateTimeToUnix(EncodeDate(2026, 1, 1)), 1767225600);
  EXPECT_EQ(UnixToDateTime(1767225600), EncodeDate(2026, 1, 1));
  for (Int64 ms : {Int64{0}, Int64{-86400001}, Int64{951782400999}, Int64{4102444799999}})
    EXPECT_EQ(DateTimeToUnixMs(UnixMsToDateTime(ms)), ms);
}

// --- FormatDateTime -------------------------------------------------------------

TEST(FormatDateTime, PicturesWithBothLocales) {
  const TDateTime v = EncodeDateTime(2026, 3, 5, 14, 7, 9, 45);  // a Thursday
  struct Case {
    const char16_t* picture;
    const char16_t* pt;
    const char16_t* en;
  } cases[] = {
      {u"dd/mm/yyyy hh:nn:ss", u"05/03/2026 14:07:09", u"05/03/2026 14:07:09"},
      {u"d/m/yy h:n:s", u"5/3/26 14:7:9", u"5/3/26 14:7:9"},
      {u"yyyy-mm-dd", u"2026-03-05", u"2026-03-05"},
      {u"yyy", u"2026", u"2026"},
      {u"hh:mm", u"14:07", u"14:07"},
      {u"HH:MM:SS", u"14:07:09", u"14:07:09"},
      {u"hh' h 'mm", u"14 h 07", u"14 h 07"},
      {u"dd/mm hh:nn mm", u"05/03 14:07 03", u"05/03 14:07 03"},
      {u"ddd dddd", u"qui quinta-feira", u"Thu Thursday"},
      {u"mmm MMMM", u"mar mar\u00e7o", u"Mar March"},
      {u"zzz z zz", u"045 45 045", u"045 45 045"},
      {u"h:nn am/pm", u"2:07 pm", u"2:07 pm"},
      {u"H:NN AM/PM", u"2:07 PM", u"2:07 PM"},
      {u"h a/p A/P", u"2 p P", u"2 p P"},
      {u"hh:nn ampm", u"02:07 ", u"02:07 PM"},
      {u"c", u"05/03/2026 14:07:09", u"3/5/2026 2:07:09 PM"},
      {u"ddddd", u"05/03/2026", u"3/5/2026"},
      {u"dddddd", u"quinta-feira, 5 de mar\u00e7o de 2026", u"Thursday, March 5, 2026"},
      {u"t", u"14:07", u"2:07 PM"},
      {u"tt", u"14:07:09", u"2:07:09 PM"},
      {u"'Hoje \u00e9' dddd", u"Hoje \u00e9 quinta-feira", u"Hoje \u00e9 Thursday"},
      {u"\"at\" hh'h'", u"at 14h", u"at 14h"},
      {u"'hh:nn' hh", u"hh:nn 14", u"hh:nn 14"},
      {u"x-y", u"x-26", u"x-26"},
      {u"", u"05/03/2026 14:07:09", u"3/5/2026 2:07:09 PM"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateTime(c.picture, v, ptBR()), c.pt) << StringToUtf8(c.picture);
    EXPECT_EQ(FormatDateTime(c.picture, v, enUS()), c.en) << StringToUtf8(c.picture);
  }
}

TEST(FormatDateTime, TwelveHourClockAtMidnightAndNoon) {
  struct Case {
    Word h, n;
    const char16_t* want;
  } cases[] = {{0, 30, u"12:30 am"}, {11, 59, u"11:59 am"}, {12, 0, u"12:00 pm"}, {23, 5, u"11:05 pm"}};
  for (const Case& c : cases)
    EXPECT_EQ(FormatDateTime(u"h:nn am/pm", EncodeTime(c.h, c.n, 0, 0), enUS()), c.want);
  // An AM/PM token inside quotes does not switch the clock.
  EXPECT_EQ(FormatDateTime(u"hh 'am/pm'", EncodeTime(15, 0, 0, 0), enUS()), u"15 am/pm");
}

TEST(FormatDateTime, SeparatorsComeFromTheSettings) {
  TFormatSettings fs = ptBR();
  fs.DateSeparator = u'-';
  fs.TimeSeparator = u'.';
  const TDateTime v = EncodeDateTime(2026, 3, 5, 14, 7, 9, 0);
  EXPECT_EQ(FormatDateTime(u"dd/mm/yyyy hh:nn", v, fs), u"05-03-2026 14.07");
  EXPECT_EQ(DateTimeToStr(v, fs), u"05-03-2026 14.07.09");
  EXPECT_EQ(FormatDateTime(u"dd'/'mm", v, fs), u"05/03");
}

TEST(FormatDateTime, DateTimeDateAndTimeToStr) {
  const TDateTime day = EncodeDate(2026, 3, 5);
  EXPECT_EQ(DateTimeToStr(day, ptBR()), u"05/03/2026");  // no time part at midnight
  EXPECT_EQ(DateTimeToStr(day + EncodeTime(0, 0, 0, 1), ptBR()), u"05/03/2026 00:00:00");
  EXPECT_EQ(DateTimeToStr(EncodeTime(8, 30, 0, 0), enUS()), u"12/30/1899 8:30:00 AM");
  EXPECT_EQ(DateToStr(day + 0.75, enUS()), u"3/5/2026");
  EXPECT_EQ(TimeToStr(day + 0.75, ptBR()), u"18:00:00");
  EXPECT_EQ(FormatDateTime(u"dd/mm/yyyy hh:nn", -1.25, ptBR()), u"29/12/1899 06:00");
  EXPECT_EQ(FormatDateTime(u"dd/mm/yyyy", MinDateTime, ptBR()), u"01/01/0100");
  EXPECT_EQ(FormatDateTime(u"dd/mm/yyyy hh:nn:ss", MaxDateTime, ptBR()), u"31/12/9999 23:59:59");
}

// --- reading ----------------------------------------------------------------------

struct ReadCase {
  const char16_t* text;
  bool ptLocale;
  std::optional<Ymdhnsz> want;  // nullopt: not a valid date and time
};

TEST(StrToDateTime, ReadsInTheOrderOfTheSettings) {
  ClockAndZone env(k2026_01_01_12h, "UTC");
  const ReadCase cases[] = {
      {u"31/12/2025 23:59:59", true, Ymdhnsz{2025, 12, 31, 23, 59, 59, 0}},
      {u"31/12/2025", true, Ymdhnsz{2025, 12, 31, 0, 0, 0, 0}},
      {u"1/2/2025 8:05", true, Ymdhnsz{2025, 2, 1, 8, 5, 0, 0}},
      {u"1/2/2025 8:05", false, Ymdhnsz{2025, 1, 2, 8, 5, 0, 0}},
      {u"12/31/2025 11:59:59 PM", false, Ymdhnsz{2025, 12, 31, 23, 59, 59, 0}},
      {u"12/31/2025 12:15 am", false, Ymdhnsz{2025, 12, 31, 0, 15, 0, 0}},
      {u"  31/12/2025   10:00  ", true, Ymdhnsz{2025, 12, 31, 10, 0, 0, 0}},
      {u"31/12/2025 10:30:15.250", true, Ymdhnsz{2025, 12, 31, 10, 30, 15, 250}},
      {u"31/12/2025 10:30:15,250", true, Ymdhnsz{2025, 12, 31, 10, 30, 15, 250}},
      {u"31/12/25", true, Ymdhnsz{2025, 12, 31, 0, 0, 0, 0}},   // window 1976..2075
      {u"31/12/76", true, Ymdhnsz{1976, 12, 31, 0, 0, 0, 0}},
      {u"31/12/75", true, Ymdhnsz{2075, 12, 31, 0, 0, 0, 0}},
      {u"31/12/0025", true, Ymdhnsz{25, 12, 31, 0, 0, 0, 0}},  // four digits are taken as written
      {u"31/12", true, Ymdhnsz{2026, 12, 31, 0, 0, 0, 0}},     // the current year
      {u"12/31", false, Ymdhnsz{2026, 12, 31, 0, 0, 0, 0}},
      {u"29/02/2024", true, Ymdhnsz{2024, 2, 29, 0, 0, 0, 0}},
      {u"10:30", true, Ymdhnsz{1899, 12, 30, 10, 30, 0, 0}},   // a time alone
      {u"10 PM", false, Ymdhnsz{1899, 12, 30, 22, 0, 0, 0}},
      {u"PM 10:15", false, Ymdhnsz{1899, 12, 30, 22, 15, 0, 0}},
      {u"29/02/2025", true, std::nullopt},
      {u"31/12/2025 24:00", true, std::nullopt},
      {u"31/12/2025 10", true, std::nullopt},
      {u"31/12/2025 13:00 PM", false, std::nullopt},
      {u"31/12/2025x", true, std::nullopt},
      {u"2025-12-31", true, std::nullopt},
      {u"31/12/20251", true, std::nullopt},
      {u"31//2025", true, std::nullopt},
      {u"abc", true, std::nullopt},
      {u"", true, std::nullopt},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.text) + (c.ptLocale ? " (pt-BR)" : " (en-US)"));
    TDateTime v = -7;
    const bool ok = TryStrToDateTime(c.text, v, c.ptLocale ? ptBR() : enUS());
    ASSERT_EQ(ok, c.want.has_value());
    if (ok) {
      EXPECT_TRUE(isMoment(v, *c.want));
    } else {
      EXPECT_EQ(v, -7);
    }
  }
}

TEST(StrToDateTime, DatesAndTimesAlone) {
  ClockAndZone env(k2026_01_01_12h, "UTC");
  TDateTime v;
  EXPECT_TRUE(TryStrToDate(u"05/03/2026", v, ptBR()));
  EXPECT_EQ(v, EncodeDate(2026, 3, 5));
  EXPECT_FALSE(TryStrToDate(u"05/03/2026 10:00", v, ptBR()));
  EXPECT_FALSE(TryStrToDate(u"10:00", v, ptBR()));
  EXPECT_TRUE(TryStrToTime(u"23:59:59", v, ptBR()));
  EXPECT_EQ(v, EncodeTime(23, 59, 59, 0));
  EXPECT_TRUE(TryStrToTime(u"12:00 PM", v, enUS()));
  EXPECT_EQ(v, 0.5);
  EXPECT_TRUE(TryStrToTime(u"12:00 AM", v, enUS()));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(TryStrToTime(u"05/03/2026", v, ptBR()));
  EXPECT_FALSE(TryStrToTime(u"10:60", v, ptBR()));
  EXPECT_FALSE(TryStrToTime(u"0:30 AM", v, enUS()));

  TFormatSettings ymd = ptBR();
  ymd.ShortDateFormat = u"yyyy-MM-dd";
  ymd.DateSeparator = u'-';
  EXPECT_TRUE(TryStrToDateTime(u"2025-12-31 08:00", v, ymd));
  EXPECT_TRUE(isMoment(v, {2025, 12, 31, 8, 0, 0, 0}));
  EXPECT_TRUE(TryStrToDate(u"12-31", v, ymd));  // y/m/d without a year reads month then day
  EXPECT_EQ(v, EncodeDate(2026, 12, 31));
  EXPECT_TRUE(TryStrToDate(u"99-1-2", v, ymd));
  EXPECT_EQ(v, EncodeDate(1999, 1, 2));
}

TEST(StrToDateTime, ErrorsNameTheTextAndTheKind) {
  ClockAndZone env(k2026_01_01_12h, "UTC");
  struct Case {
    TDateTime (*read)(StringView, const TFormatSettings&);
    const char16_t* text;
    const char16_t* message;
  } cases[] = {
      {StrToDateTime, u"31/02/2025 10:00", u"'31/02/2025 10:00' is not a valid date and time"},
      {StrToDate, u"31/13/2025", u"'31/13/2025' is not a valid date"},
      {StrToTime, u"25:00", u"'25:00' is not a valid time"},
      {StrToDateTime, u"", u"'' is not a valid date and time"},
  };
  for (const Case& c : cases) {
    try {
      c.read(c.text, ptBR());
      ADD_FAILURE() << "no exception for " << StringToUtf8(c.text);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  EXPECT_EQ(StrToDateTime(u"05/03/2026 14:07:09", ptBR()), EncodeDateTime(2026, 3, 5, 14, 7, 9, 0));
}

TEST(StrToDateTime, WhatIsWrittenReadsBack) {
  ClockAndZone env(k2026_01_01_12h, "UTC");
  const TDateTime values[] = {EncodeDateTime(2026, 3, 5, 14, 7, 9, 0), EncodeDate(1999, 12, 31),
                              EncodeDateTime(2000, 2, 29, 0, 0, 1, 0), EncodeDateTime(1899, 12, 29, 6, 0, 0, 0),
                              EncodeDateTime(2024, 7, 4, 12, 0, 0, 0)};
  for (const TDateTime v : values) {
    for (const TFormatSettings* fs : {&ptBR(), &enUS()}) {
      EXPECT_EQ(StrToDateTime(DateTimeToStr(v, *fs), *fs), v) << StringToUtf8(DateTimeToStr(v, *fs));
    }
  }
}

TEST(TryParseDateTime, ExactPictures) {
  ClockAndZone env(k2026_01_01_12h, "UTC");
  struct Case {
    const char16_t* text;
    const char16_t* picture;
    std::optional<Ymdhnsz> want;
  } cases[] = {
      {u"05/03/2026 14:07:09", u"dd/mm/yyyy hh:nn:ss", Ymdhnsz{2026, 3, 5, 14, 7, 9, 0}},
      {u"05/03/2026 14:07:09", u"dd/mm/yyyy hh:mm:ss", Ymdhnsz{2026, 3, 5, 14, 7, 9, 0}},
      {u"2026-03-05T14:07:09.045", u"yyyy-mm-dd'T'hh:nn:ss.zzz", Ymdhnsz{2026, 3, 5, 14, 7, 9, 45}},
      {u"5/3/2026", u"d/m/yyyy", Ymdhnsz{2026, 3, 5, 0, 0, 0, 0}},
      {u"15/11/2026", u"d/m/yyyy", Ymdhnsz{2026, 11, 15, 0, 0, 0, 0}},
      {u"05.03.26", u"dd.mm.yy", Ymdhnsz{2026, 3, 5, 0, 0, 0, 0}},
      {u"20260305", u"yyyymmdd", Ymdhnsz{2026, 3, 5, 0, 0, 0, 0}},
      {u"14:07", u"hh:nn", Ymdhnsz{1899, 12, 30, 14, 7, 0, 0}},
      {u"02:07 PM", u"hh:nn am/pm", Ymdhnsz{1899, 12, 30, 14, 7, 0, 0}},
      {u"12:07 am", u"hh:nn AM/PM", Ymdhnsz{1899, 12, 30, 0, 7, 0, 0}},
      {u"5/3/2026 14:07:09", u"dd/mm/yyyy hh:nn:ss", std::nullopt},  // "dd" needs two digits
      {u"05-03-2026", u"dd/mm/yyyy", std::nullopt},                  // separators are literal
      {u"31/02/2026", u"dd/mm/yyyy", std::nullopt},
      {u"05/03/2026 25:00", u"dd/mm/yyyy hh:nn", std::nullopt},
      {u"05/03/2026 ", u"dd/mm/yyyy", std::nullopt},
      {u"05/03/202", u"dd/mm/yyyy", std::nullopt},
      {u"13:00 PM", u"hh:nn am/pm", std::nullopt},
      {u"05 mar 2026", u"dd mmm yyyy", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.text) + " as " + StringToUtf8(c.picture));
    TDateTime v = -7;
    const bool ok = TryParseDateTime(c.text, c.picture, v);
    ASSERT_EQ(ok, c.want.has_value());
    if (ok) {
      EXPECT_TRUE(isMoment(v, *c.want));
    }
  }
}

// --- SQL time stamps -----------------------------------------------------------------

TEST(SQLTimeStamp, ConvertsExactlyBothWays) {
  const TSQLTimeStamp stamp{2026, 3, 5, 14, 7, 9, 45};
  const TDateTime v = SQLTimeStampToDateTime(stamp);
  EXPECT_EQ(v, EncodeDateTime(2026, 3, 5, 14, 7, 9, 45));
  EXPECT_EQ(DateTimeToSQLTimeStamp(v), stamp);
  EXPECT_EQ(SQLTimeStampToDateTime(TSQLTimeStamp{}), 0);
  EXPECT_EQ(SQLTimeStampToStr(u"dd/mm/yyyy hh:nn:ss.zzz", stamp, ptBR()), u"05/03/2026 14:07:09.045");
  EXPECT_EQ(StrToSQLTimeStamp(u"05/03/2026 14:07:09", ptBR()), (TSQLTimeStamp{2026, 3, 5, 14, 7, 9, 0}));
  try {
    SQLTimeStampToDateTime(TSQLTimeStamp{2026, 2, 30, 0, 0, 0, 0});
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Invalid SQL date/time values");
  }
  EXPECT_THROW(SQLTimeStampToDateTime(TSQLTimeStamp{2026, 1, 1, 0, 0, 0, 1000}), EConvertError);
}

}  // namespace
}  // namespace rtl
