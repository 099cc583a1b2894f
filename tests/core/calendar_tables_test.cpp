#include "lib/core/cxCalendarTables.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/ustring.h"

namespace core {
namespace {

using rtl::EncodeDate;

TcxDateTime cd(int era, int year, int month, int day) {
  TcxDateTime d;
  d.Era = era;
  d.Year = year;
  d.Month = month;
  d.Day = day;
  return d;
}

class InThreadLocale {
 public:
  explicit InThreadLocale(rtl::LCID lcid) : saved_(rtl::GetThreadLocale()) { rtl::SetThreadLocale(lcid); }
  ~InThreadLocale() {
    rtl::SetThreadLocale(saved_);
    rtl::ClearLocaleUserOverrides();
  }

 private:
  rtl::LCID saved_;
};

// ---- finding tables -----------------------------------------------------------------------------

TEST(CalendarTables, OneTablePerIdentifier) {
  TcxCustomCalendarTable* japanese = cxGetCalendar(rtl::CAL_JAPAN);
  EXPECT_EQ(cxGetCalendar(rtl::CAL_JAPAN), japanese);
  EXPECT_EQ(FindCalendarTable(rtl::CAL_JAPAN), japanese);
  // Derived tables are found by their own identifier, not their parent's.
  EXPECT_EQ(cxGetCalendar(rtl::CAL_TAIWAN)->GetCalendarID(), rtl::CAL_TAIWAN);
  EXPECT_NE(cxGetCalendar(rtl::CAL_TAIWAN), japanese);
  for (CALID id = 1; id <= 12; ++id) {
    EXPECT_EQ(cxGetCalendar(id)->GetCalendarID(), id);
    EXPECT_EQ(cxIsGregorianCalendar(cxGetCalendar(id)), id <= 2 || id >= 9) << id;
  }
  // Unknown identifiers share the Gregorian table.
  EXPECT_EQ(cxGetCalendar(0), cxGetCalendar(1));
  EXPECT_EQ(cxGetCalendar(77), cxGetCalendar(1));

  struct Row {
    CALID id;
    TcxCalendarAlgorithmType algorithm;
    int firstWeekDay;
  };
  for (const Row& r : {Row{1, catSolarCalendar, 0}, Row{9, catSolarCalendar, 1}, Row{10, catSolarCalendar, 6},
                       Row{11, catSolarCalendar, 1}, Row{3, catSolarCalendar, 0}, Row{6, catLunarCalendar, 6},
                       Row{8, catLunarSolarCalendar, 0}}) {
    EXPECT_EQ(cxGetCalendar(r.id)->AlgorithmType(), r.algorithm) << r.id;
    EXPECT_EQ(cxGetCalendar(r.id)->GetFirstWeekDay(), r.firstWeekDay) << r.id;
  }
}

TEST(CalendarTables, LocalCalendarFollowsTheThreadLocale) {
  InThreadLocale locale(rtl::LOCALE_AR_SA);
  EXPECT_EQ(cxGetLocalCalendarID(), rtl::CAL_HIJRI);
  EXPECT_EQ(cxGetLocalCalendar(), cxGetCalendar(rtl::CAL_HIJRI));
  EXPECT_FALSE(cxIsGregorianCalendar());
  rtl::SetThreadLocale(rtl::LOCALE_JA_JP);
  EXPECT_TRUE(cxIsGregorianCalendar());
  rtl::SetLocaleUserOverride(rtl::LOCALE_JA_JP, rtl::LOCALE_ICALENDARTYPE, u"3");
  EXPECT_EQ(cxGetLocalCalendar()->GetCalendarID(), rtl::CAL_JAPAN);
}

// ---- eras ---------------------------------------------------------------------------------------

struct EraCase {
  CALID calendar;
  int y, m, d;
  int era;
  int year;
};

class EraBoundaries : public ::testing::TestWithParam<EraCase> {};

TEST_P(EraBoundaries, ConvertBothWays) {
  const EraCase& c = GetParam();
  const TcxCustomCalendarTable* table = cxGetCalendar(c.calendar);
  const TDateTime date = EncodeDate(rtl::Word(c.y), rtl::Word(c.m), rtl::Word(c.d));
  const TcxDateTime dt = table->FromDateTime(date);
  EXPECT_EQ(dt.Era, c.era);
  EXPECT_EQ(dt.Year, c.year);
  EXPECT_EQ(dt.Month, c.m);
  EXPECT_EQ(dt.Day, c.d);
  EXPECT_EQ(table->ToDateTime(dt), date);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EraBoundaries,
    ::testing::Values(EraCase{rtl::CAL_JAPAN, 1868, 9, 8, 0, 1}, EraCase{rtl::CAL_JAPAN, 1912, 7, 29, 0, 45},
                      EraCase{rtl::CAL_JAPAN, 1912, 7, 30, 1, 1}, EraCase{rtl::CAL_JAPAN, 1926, 12, 25, 2, 1},
                      EraCase{rtl::CAL_JAPAN, 1989, 1, 7, 2, 64}, EraCase{rtl::CAL_JAPAN, 1989, 1, 8, 3, 1},
                      // The table's last era runs on: 1 May 2019 is its year 31.
                      EraCase{rtl::CAL_JAPAN, 2019, 5, 1, 3, 31}, EraCase{rtl::CAL_TAIWAN, 2024, 3, 5, 0, 113},
                      EraCase{rtl::CAL_TAIWAN, 1912, 1, 1, 0, 1}, EraCase{rtl::CAL_KOREA, 2024, 3, 5, 0, 4357},
                      EraCase{rtl::CAL_THAI, 2024, 3, 5, 0, 2567}, EraCase{rtl::CAL_GREGORIAN, 2024, 3, 5, -1, 2024}));

TEST(CalendarTables, EraYearsAdjustAndDefaultEras) {
  const TcxCustomCalendarTable* japanese = cxGetCalendar(rtl::CAL_JAPAN);
  ASSERT_EQ(japanese->Eras()->Count(), 4);
  EXPECT_EQ(japanese->DefaultEra(), japanese->Eras()->Items(3));
  EXPECT_EQ(japanese->Eras()->Items(0)->Era(), 1);
  EXPECT_EQ(japanese->Eras()->Items(2)->MaxEraYear(), 64);
  // Era -1 means Heisei: year 31 of it is 2019.
  EXPECT_EQ(japanese->ToDateTime(cd(-1, 31, 5, 1)), EncodeDate(2019, 5, 1));
  // Showa 65 does not exist as such: it is re-expressed in Heisei.
  int year = 65, era = 2;
  japanese->AdjustYear(year, era);
  EXPECT_EQ(era, 3);
  EXPECT_EQ(year, 2);
  // A Gregorian year before the first era keeps the year and gives era -1.
  year = 1850 - 1867;
  era = 0;
  japanese->AdjustYear(year, era);
  EXPECT_EQ(era, -1);
  EXPECT_EQ(year, 1850 - 1867);
  EXPECT_EQ(japanese->GetEra(1989, 1, 7), 2);
  EXPECT_EQ(cxGetCalendar(1)->GetEra(2000), -1);

  // Adding years across an era boundary moves into the new era.
  EXPECT_EQ(japanese->AddYears(EncodeDate(1988, 6, 1), 1), EncodeDate(1989, 6, 1));
  EXPECT_EQ(japanese->FromDateTime(japanese->AddMonths(EncodeDate(1988, 12, 31), 1)).Era, 3);

  const TcxCustomCalendarTable* korean = cxGetCalendar(rtl::CAL_KOREA);
  EXPECT_EQ(korean->GetMinSupportedYear(), 2334);
  EXPECT_EQ(korean->GetMaxSupportedYear(), 12332);
  EXPECT_EQ(korean->GetMinSupportedDate(), EncodeDate(1, 1, 1));
  EXPECT_TRUE(korean->IsLeapYear(4357));   // 2024
  EXPECT_FALSE(korean->IsLeapYear(4233));  // 1900
  // An invalid era date gives the smallest supported date.
  EXPECT_EQ(japanese->ToDateTime(cd(3, 10, 2, 30)), japanese->GetMinSupportedDate());
}

// ---- Gregorian arithmetic -------------------------------------------------------------------------

TEST(CalendarTables, GregorianMonthsYearsAndClamping) {
  const TcxCustomCalendarTable* g = cxGetCalendar(rtl::CAL_GREGORIAN);
  struct Row {
    TDateTime from;
    int months;
    TDateTime expected;
  };
  const Row months[] = {
      {EncodeDate(2023, 1, 31), 1, EncodeDate(2023, 2, 28)},
      {EncodeDate(2024, 1, 31), 1, EncodeDate(2024, 2, 29)},
      {EncodeDate(2024, 1, 15), -1, EncodeDate(2023, 12, 15)},
      {EncodeDate(2024, 3, 31), -13, EncodeDate(2023, 2, 28)},
      {EncodeDate(2024, 11, 30), 14, EncodeDate(2026, 1, 30)},
      {EncodeDate(2024, 5, 10), -29, EncodeDate(2021, 12, 10)},
      {EncodeDate(2024, 5, 10), 0, EncodeDate(2024, 5, 10)},
      // A month past the last year is no date: the smallest date stands for it.
      {EncodeDate(9999, 12, 1), 1, rtl::MinDateTime},
  };
  for (const Row& r : months) EXPECT_EQ(g->AddMonths(r.from, r.months), r.expected) << r.from << " " << r.months;
  EXPECT_EQ(g->AddMonths(EncodeDate(100, 1, 1), -1), g->GetMinSupportedDate());
  EXPECT_EQ(g->AddYears(EncodeDate(2024, 2, 29), 1), EncodeDate(2025, 2, 28));
  EXPECT_EQ(g->AddYears(EncodeDate(2024, 2, 29), 4), EncodeDate(2028, 2, 29));
  EXPECT_EQ(g->AddYears(EncodeDate(9990, 1, 1), 20), g->GetMinSupportedDate());  // no year 10010
  EXPECT_EQ(g->AddWeeks(EncodeDate(2024, 12, 30), 1), EncodeDate(2025, 1, 6));
  EXPECT_EQ(g->AddDays(g->FromDateTime(EncodeDate(2024, 3, 1)), -1), EncodeDate(2024, 2, 29));
  // The time of day survives the arithmetic.
  EXPECT_DOUBLE_EQ(g->AddMonths(EncodeDate(2024, 1, 31) + 0.25, 1), EncodeDate(2024, 2, 29) + 0.25);
  // An impossible date raises the platform's conversion error.
  EXPECT_THROW(g->ToDateTime(cd(-1, 2024, 13, 1)), rtl::EConvertError);
  EXPECT_EQ(g->AddMonths(cd(-1, 2023, 2, 29), 1), g->GetMinSupportedDate());

  EXPECT_EQ(g->GetDayOfYear(EncodeDate(2024, 12, 31)), 366);
  EXPECT_EQ(g->GetFirstDayOfWeek(EncodeDate(2024, 3, 6) + 0.5), EncodeDate(2024, 3, 3) + 0.5);
  EXPECT_EQ(g->GetFirstDayOfWeek(EncodeDate(2024, 3, 6), 4), EncodeDate(2024, 2, 29));
  EXPECT_EQ(g->GetLastDayOfMonth(EncodeDate(2100, 2, 3)), EncodeDate(2100, 2, 28));
  EXPECT_EQ(g->GetLastDayOfYear(EncodeDate(2100, 2, 3)), EncodeDate(2100, 12, 31));
  EXPECT_EQ(g->GetFirstDayOfYear(EncodeDate(2100, 2, 3)), EncodeDate(2100, 1, 1));
  EXPECT_TRUE(g->IsLeapDay(2000, 2, 29));
  EXPECT_FALSE(g->IsLeapMonth(1900, 2));

  struct Weeks {
    CALID calendar;
    int year;
    int full;
  };
  // 53 weeks when the year starts on the week's last day, or its last two in a leap year.
  for (const Weeks& w : {Weeks{1, 2022, 53}, Weeks{1, 2023, 52}, Weeks{1, 2028, 53}, Weeks{1, 2017, 52},
                         Weeks{9, 2023, 53}, Weeks{9, 2022, 52}, Weeks{10, 2021, 53}, Weeks{10, 2022, 52}})
    EXPECT_EQ(cxGetCalendar(w.calendar)->GetFullWeeksInYear(w.year), w.full) << w.calendar << " " << w.year;
}

TEST(CalendarTables, ValidityAndLimits) {
  struct Row {
    CALID calendar;
    int era, year, month, day;
    bool valid;
  };
  const Row rows[] = {
      {1, -1, 99, 1, 1, false},  {1, -1, 100, 1, 1, true},    {1, -1, 9999, 12, 31, true},
      {1, -1, 10000, 1, 1, false}, {1, -1, 2023, 2, 29, false}, {1, -1, 2024, 0, 1, false},
      {3, 3, 8011, 1, 1, true},  {3, 3, 8012, 1, 1, false},   {7, 0, 543, 1, 1, false},
      {7, 0, 544, 1, 1, true},   {6, -1, 9666, 1, 1, true},   {6, -1, 2, 12, 30, true},
      {6, -1, 1, 12, 30, false}, {8, -1, 5784, 13, 29, true}, {8, -1, 5783, 13, 1, false},
      {8, -1, 5342, 1, 1, false}, {8, -1, 6000, 1, 1, false},
  };
  for (const Row& r : rows)
    EXPECT_EQ(cxGetCalendar(r.calendar)->IsValidDay(r.era, r.year, r.month, r.day), r.valid)
        << r.calendar << ": " << r.year << "/" << r.month << "/" << r.day;

  const TcxCustomCalendarTable* g = cxGetCalendar(1);
  EXPECT_EQ(g->GetMaxSupportedDate(), rtl::MaxDateTime);
  TDateTime v = rtl::MaxDateTime + 5;
  g->CheckDateTime(v);
  EXPECT_EQ(v, rtl::MaxDateTime);
  EXPECT_TRUE(g->IsValidDate(EncodeDate(2024, 2, 29)));
  const TcxCustomCalendarTable* hebrew = cxGetCalendar(rtl::CAL_HEBREW);
  EXPECT_EQ(hebrew->GetMinSupportedDate(), EncodeDate(1583, 1, 1));
  // Dates outside the Hebrew range convert as its limits.
  const TcxDateTime last = hebrew->FromDateTime(EncodeDate(2300, 1, 1));
  EXPECT_EQ(hebrew->ToDateTime(cd(-1, last.Year, last.Month, last.Day)), EncodeDate(2239, 9, 29));
  EXPECT_EQ(last.Year, 5999);
  EXPECT_EQ(last.Month, hebrew->GetMonthsInYear(5999));  // Elul
  EXPECT_EQ(last.Day, 29);
  const TcxDateTime first = hebrew->FromDateTime(EncodeDate(1500, 1, 1));
  EXPECT_EQ(hebrew->ToDateTime(first), EncodeDate(1583, 1, 1));
  const TcxCustomCalendarTable* hijri = cxGetCalendar(rtl::CAL_HIJRI);
  const TcxDateTime h1 = hijri->FromDateTime(hijri->GetMinSupportedDate());
  EXPECT_EQ(h1.Year, 1);
  EXPECT_EQ(h1.Month, 1);
  EXPECT_EQ(h1.Day, 1);
}

// ---- Hijri and Hebrew rules --------------------------------------------------------------------

TEST(CalendarTables, HijriLeapYearsAndMonthLengths) {
  const TcxCustomCalendarTable* h = cxGetCalendar(rtl::CAL_HIJRI);
  const int leaps[] = {2, 5, 7, 10, 13, 15, 18, 21, 24, 26, 29};
  for (int y = 1; y <= 90; ++y) {
    bool leap = false;
    for (int l : leaps) leap = leap || (y % 30 == l);
    EXPECT_EQ(h->IsLeapYear(y), leap) << y;
    EXPECT_EQ(h->GetDaysInYear(y), leap ? 355 : 354) << y;
    EXPECT_EQ(h->GetDaysInMonth(y, 12), leap ? 30 : 29) << y;
    EXPECT_EQ(h->IsLeapDay(y, 12, 30), leap) << y;
  }
  EXPECT_EQ(h->GetDaysInMonth(1445, 1), 30);
  EXPECT_EQ(h->GetDaysInMonth(1445, 2), 29);
  EXPECT_EQ(h->GetMonthsInYear(1445), 12);
  // A cycle of 30 years is 10631 days.
  EXPECT_EQ(h->ToDateTime(31, 1, 1) - h->ToDateTime(1, 1, 1), 10631);
  EXPECT_EQ(h->ToDateTime(1445, 9, 1), EncodeDate(2024, 3, 10));
  EXPECT_EQ(h->ToDateTime(1, 1, 1), EncodeDate(622, 7, 18));
}

TEST(CalendarTables, HebrewYearsMonthsAndTheStoredTable) {
  const auto* h = static_cast<const TcxHebrewCalendarTable*>(cxGetCalendar(rtl::CAL_HEBREW));
  EXPECT_TRUE(h->IsLeapYear(5784));
  EXPECT_EQ(h->GetMonthsInYear(5784), 13);
  EXPECT_EQ(h->GetDaysInMonth(5784, 6), 30);
  EXPECT_EQ(h->GetDaysInMonth(5784, 7), 29);
  EXPECT_TRUE(h->IsLeapMonth(5784, 7));
  EXPECT_FALSE(h->IsLeapMonth(5785, 7));
  EXPECT_EQ(h->GetDaysInYear(5784), 383);
  EXPECT_EQ(h->GetDaysInYear(5785), 355);
  EXPECT_EQ(h->GetDaysInYear(6000), 0);
  EXPECT_EQ(h->GetDaysInMonth(5785, 13), 0);
  EXPECT_EQ(h->ToDateTime(5784, 1, 1), EncodeDate(2023, 9, 16));
  EXPECT_EQ(h->ToDateTime(5784, 8, 15), EncodeDate(2024, 4, 23));  // 15 Nisan
  EXPECT_EQ(h->GetFullWeeksInYear(5784), 54);
  EXPECT_EQ(TcxHebrewCalendarTable::GetDayDifference(1, 4, 7, 1, 1), 29 + 29 + 29 + 7);
  EXPECT_EQ(TcxHebrewCalendarTable::GetDayDifference(1, 1, 1, 4, 7), -(29 + 29 + 29 + 7));

  // Every stored row against the calendar's own rules.
  for (int g = 1583; g <= 2240; ++g) {
    const int hebrewYear = g + 3760;
    const int days = rtl::HebrewDaysInYear(hebrewYear);
    const bool leap = rtl::IsHebrewLeapYear(hebrewYear);
    const int type = (leap ? days - 30 : days) - 352 + (leap ? 3 : 0);
    ASSERT_EQ(cxHebrewTable[(g - 1583) * 2 + 1], type) << g;
    // 1 January's place in the year, from 1 Tishrei.
    int rest = int(EncodeDate(rtl::Word(g), 1, 1)) - rtl::HebrewNewYear(hebrewYear);
    int month = 1;
    while (rest >= rtl::HebrewDaysInMonth(hebrewYear, month)) rest -= rtl::HebrewDaysInMonth(hebrewYear, month++);
    const int day = rest + 1;
    const int code = cxHebrewTable[(g - 1583) * 2];
    const int expected = month == 4 ? day
                         : month == 3 ? (day == 30 ? 30 : 33)
                                      : (day == 1 ? 0 : day == 2 ? 31 : 32);
    ASSERT_EQ(code, expected) << g << ": month " << month << " day " << day;
  }
}

// Known dates across a leap year (Adar I and Adar II) and the plain year after it, both ways.
struct KnownHebrewDate {
  int year, month, day;  // months from Tishrei; month 6 of a leap year is Adar I
  int gYear, gMonth, gDay;
};

TEST(CalendarTables, HebrewDatesAgainstTheCivilCalendar) {
  static const KnownHebrewDate kDates[] = {
      {5784, 1, 1, 2023, 9, 16},   // Rosh Hashanah
      {5784, 4, 20, 2024, 1, 1},   // the stored 1 January
      {5784, 5, 1, 2024, 1, 11},   // Shevat
      {5784, 6, 1, 2024, 2, 10},   // Adar I
      {5784, 6, 25, 2024, 3, 5},
      {5784, 6, 30, 2024, 3, 10},
      {5784, 7, 1, 2024, 3, 11},   // Adar II
      {5784, 7, 14, 2024, 3, 24},  // Purim
      {5784, 8, 15, 2024, 4, 23},  // Passover
      {5784, 13, 29, 2024, 10, 2},  // last day of Elul
      {5785, 1, 1, 2024, 10, 3},
      {5785, 4, 1, 2025, 1, 1},    // Tevet
      {5785, 6, 1, 2025, 3, 1},    // Adar of a plain year
      {5785, 7, 15, 2025, 4, 13},  // Passover
      {5783, 4, 8, 2023, 1, 1},
  };
  const TcxCustomCalendarTable* h = cxGetCalendar(rtl::CAL_HEBREW);
  for (const KnownHebrewDate& k : kDates) {
    const TDateTime civil = EncodeDate(rtl::Word(k.gYear), rtl::Word(k.gMonth), rtl::Word(k.gDay));
    EXPECT_EQ(h->ToDateTime(k.year, k.month, k.day), civil) << k.year << "/" << k.month << "/" << k.day;
    const TcxDateTime back = h->FromDateTime(civil);
    EXPECT_EQ(back.Year * 10000 + back.Month * 100 + back.Day, k.year * 10000 + k.month * 100 + k.day)
        << k.gYear << "-" << k.gMonth << "-" << k.gDay;
  }
}

// ---- round trips over long ranges (catch off-by-ones) ---------------------------------------------

struct RoundTrip {
  CALID calendar;
  int fromYear;
  int toYear;
};

class RoundTrips : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTrips, DateToCalendarDateAndBack) {
  const RoundTrip& r = GetParam();
  const TcxCustomCalendarTable* table = cxGetCalendar(r.calendar);
  const int from = int(EncodeDate(rtl::Word(r.fromYear), 1, 1));
  const int to = int(EncodeDate(rtl::Word(r.toYear), 12, 31));
  TcxDateTime prev = table->FromDateTime(from);
  for (int d = from + 1; d <= to; ++d) {
    // A time of day rides along, also before 1899-12-30.
    const TDateTime value = d < 0 ? d - 0.75 : d + 0.75;
    const TcxDateTime cur = table->FromDateTime(value);
    ASSERT_TRUE(table->IsValidDay(cur.Era, cur.Year, cur.Month, cur.Day))
        << d << ": " << cur.Year << "/" << cur.Month << "/" << cur.Day;
    ASSERT_EQ(cur.Hours, 18);
    ASSERT_DOUBLE_EQ(table->ToDateTime(cur), value) << cur.Year << "/" << cur.Month << "/" << cur.Day;
    // The next calendar day: one more in the month, or day 1 of the next month or year.
    const bool sameMonth = cur.Era == prev.Era && cur.Year == prev.Year && cur.Month == prev.Month &&
                           cur.Day == prev.Day + 1;
    const bool nextMonth = cur.Day == 1 && prev.Day == table->GetDaysInMonth(prev.Era, prev.Year, prev.Month);
    // A new era begins with its year 1 on any day.
    const bool newEra = cur.Era == prev.Era + 1 && cur.Year == 1 && cur.Month == prev.Month &&
                        cur.Day == prev.Day + 1;
    ASSERT_TRUE(sameMonth || nextMonth || newEra) << d << ": " << prev.Year << "/" << prev.Month << "/" << prev.Day
                                        << " -> " << cur.Year << "/" << cur.Month << "/" << cur.Day;
    ASSERT_EQ(table->GetDayOfYear(cur) == 1, cur.Month == 1 && cur.Day == 1);
    prev = cur;
  }
}

INSTANTIATE_TEST_SUITE_P(Calendars, RoundTrips,
                         ::testing::Values(RoundTrip{rtl::CAL_GREGORIAN, 100, 9998},
                                           RoundTrip{rtl::CAL_HIJRI, 700, 9600},
                                           RoundTrip{rtl::CAL_HEBREW, 1583, 2238},
                                           RoundTrip{rtl::CAL_JAPAN, 1869, 2100},
                                           RoundTrip{rtl::CAL_THAI, 1800, 2100}));

// ---- weeks of the lunar tables ---------------------------------------------------------------------

TEST(CalendarTables, LunarWeekNumbers) {
  InThreadLocale locale(rtl::LOCALE_EN_US);
  for (CALID id : {rtl::CAL_HIJRI, rtl::CAL_HEBREW}) {
    const TcxCustomCalendarTable* t = cxGetCalendar(id);
    const int firstYear = id == rtl::CAL_HIJRI ? 1440 : 5780;
    for (TcxFirstWeekOfYear rule : {fwyJan1, fwyFirstFullWeek, fwyFirstFourDays}) {
      for (int y = firstYear; y < firstYear + 4; ++y) {
        const TDateTime start = t->ToDateTime(y, 1, 1);
        const TDateTime end = t->ToDateTime(y + 1, 1, 1);
        int prev = t->GetWeekNumber(start, dSunday, rule);
        EXPECT_TRUE(prev == 1 || (rule != fwyJan1 && prev == 0)) << id << " " << y << " rule " << rule;
        for (TDateTime d = start + 1; d < end; d += 1) {
          const int w = t->GetWeekNumber(d, dSunday, rule);
          if (t->GetWeekDay(d) == t->GetFirstWeekDay())
            ASSERT_TRUE(w == prev + 1 || w == 1) << id << " " << d << " rule " << rule;
          else
            ASSERT_EQ(w, prev) << id << " " << d << " rule " << rule;
          prev = w;
        }
      }
    }
    // The system rule reads the locale's first week of the year.
    rtl::SetLocaleUserOverride(rtl::LOCALE_EN_US, rtl::LOCALE_IFIRSTWEEKOFYEAR, u"1");
    const TDateTime some = t->ToDateTime(firstYear, 1, 5);
    EXPECT_EQ(t->GetWeekNumber(some, dSunday, fwySystem), t->GetWeekNumber(some, dSunday, fwyFirstFullWeek));
    rtl::ClearLocaleUserOverrides();
  }
  // Gregorian tables defer to the shared week rule.
  EXPECT_EQ(cxGetCalendar(1)->GetWeekNumber(EncodeDate(2021, 1, 1), dMonday, fwyFirstFourDays),
            dxGetWeekNumber(EncodeDate(2021, 1, 1), dMonday, fwyFirstFourDays));
}

// ---- typed date parts ------------------------------------------------------------------------------

TEST(CalendarTables, YearMonthAndDayTexts) {
  InThreadLocale locale(rtl::LOCALE_EN_US);
  const rtl::TFormatSettings saved = rtl::FormatSettings();
  rtl::SetFormatSettings(rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR));
  const TcxCustomCalendarTable* g = cxGetCalendar(1);
  struct Year {
    const char16_t* text;
    int max;
    int expected;
  };
  for (const Year& y : {Year{u"49", 2049, 2049}, Year{u"50", 2049, 1950}, Year{u"2050", 2049, 2050},
                        Year{u"0", 2049, 2000}, Year{u"99", 2049, 1999}, Year{u"29", 2029, 2029},
                        Year{u"30", 2029, 1930}, Year{u"050", 2049, 50}}) {
    rtl::SetCalendarTwoDigitYearMax(rtl::CAL_GREGORIAN, y.max);
    EXPECT_EQ(g->GetYearNumber(y.text), y.expected) << rtl::StringToUtf8(y.text) << " max " << y.max;
  }
  // Japanese era years are kept as typed with its maximum of 99.
  EXPECT_EQ(cxGetCalendar(rtl::CAL_JAPAN)->GetYearNumber(u"31"), 31);
  EXPECT_EQ(g->GetMonthNumber(2024, u"MARÇO"), 3);
  EXPECT_EQ(g->GetMonthNumber(2024, u"dez"), 12);
  EXPECT_EQ(g->GetMonthNumber(2024, u"7"), 7);
  EXPECT_EQ(g->GetDayNumber(u"17"), 17);
  EXPECT_THROW(g->GetDayNumber(u"x1"), rtl::EConvertError);
  EXPECT_THROW(g->GetMonthNumber(2024, u"marzo"), rtl::EConvertError);

  const TcxCustomCalendarTable* hebrew = cxGetCalendar(rtl::CAL_HEBREW);
  EXPECT_EQ(hebrew->GetDayNumber(u"טו"), 15);          // tet + vav
  EXPECT_EQ(hebrew->GetYearNumber(u"תשפד"), 5784);     // 400+300+80+4
  EXPECT_EQ(hebrew->GetYearNumber(u"5784"), 5784);
  EXPECT_EQ(hebrew->GetMonthNumber(5784, u"ז"), 7);
  EXPECT_EQ(hebrew->GetMonthNumber(5784, u"ניסן"), 8);
  EXPECT_EQ(hebrew->GetMonthNumber(5785, u"ניסן"), 7);
  EXPECT_EQ(HebrewNumber(u"abc"), 0);
  EXPECT_EQ(HebrewNumber(u"םן"), 90);  // final mem and final nun
  rtl::SetFormatSettings(saved);
  rtl::ClearLocaleUserOverrides();
}

}  // namespace
}  // namespace core
