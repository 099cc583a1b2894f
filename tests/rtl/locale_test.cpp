#include "platform/rtl/locale.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace rtl {
namespace {

// Every test starts from the built-in data: user choices and the user
// default are put back afterwards.
class LocaleTest : public ::testing::Test {
 protected:
  void SetUp() override { savedUser_ = GetUserDefaultLCID(); }
  void TearDown() override {
    ClearLocaleUserOverrides();
    SetUserDefaultLCID(savedUser_);
  }

 private:
  LCID savedUser_ = 0;
};

SYSTEMTIME st(Word y, Word m, Word d, Word h = 0, Word mi = 0, Word s = 0) {
  SYSTEMTIME t;
  t.wYear = y;
  t.wMonth = m;
  t.wDay = d;
  t.wHour = h;
  t.wMinute = mi;
  t.wSecond = s;
  return t;
}

String dateText(LCID lcid, LongWord flags, const SYSTEMTIME& t, const char16_t* format) {
  String out;
  EXPECT_TRUE(TryFormatLocaleDate(lcid, flags, t, format ? StringView(format) : StringView(), out))
      << StringToUtf8(format ? format : u"(default)");
  return out;
}

// ---- the date picture language --------------------------------------------------------

struct DateCase {
  LCID lcid;
  SYSTEMTIME date;
  const char16_t* format;  // null: the locale's (flags decide which)
  LongWord flags;
  const char16_t* expected;
};

class DatePicture : public LocaleTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(DatePicture, FormatsAsTheLocaleWritesIt) {
  const DateCase& c = GetParam();
  EXPECT_EQ(StringToUtf8(dateText(c.lcid, c.flags, c.date, c.format)), StringToUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DatePicture,
    ::testing::Values(
        // Counts of d, M and y; "M" is the month in this language.
        DateCase{LOCALE_EN_US, st(2024, 3, 5), u"d/M/y", 0, u"5/3/24"},
        DateCase{LOCALE_EN_US, st(2024, 3, 5), u"dd/MM/yy", 0, u"05/03/24"},
        DateCase{LOCALE_EN_US, st(2009, 3, 5), u"y", 0, u"9"},
        DateCase{LOCALE_EN_US, st(2024, 3, 5), u"ddd dddd MMM MMMM yyyy", 0,
                 u"Tue Tuesday Mar March 2024"},
        DateCase{LOCALE_EN_US, st(812, 1, 2), u"yyyy", 0, u"0812"},
        // Quotes: literal text, '' is one quote, an unclosed quote runs to the end.
        DateCase{LOCALE_EN_US, st(2024, 3, 5), u"'day' d 'of' MMMM", 0, u"day 5 of March"},
        DateCase{LOCALE_EN_US, st(2024, 3, 5), u"d''M", 0, u"5'3"},
        DateCase{LOCALE_EN_US, st(2024, 3, 5), u"d 'yy", 0, u"5 yy"},
        // The locale's own pictures.
        DateCase{LOCALE_EN_US, st(2024, 3, 5), nullptr, DATE_SHORTDATE, u"3/5/2024"},
        DateCase{LOCALE_EN_US, st(2024, 3, 5), nullptr, DATE_LONGDATE, u"Tuesday, March 5, 2024"},
        DateCase{LOCALE_PT_BR, st(2024, 3, 5), nullptr, 0, u"05/03/2024"},
        DateCase{LOCALE_PT_BR, st(2024, 3, 5), nullptr, DATE_LONGDATE,
                 u"terça-feira, 5 de março de 2024"},
        DateCase{LOCALE_PT_BR, st(2024, 3, 5), nullptr, DATE_YEARMONTH, u"março de 2024"},
        DateCase{LOCALE_EN_US, st(2024, 3, 5), u"gg yyyy", 0, u"A.D. 2024"},
        // Japanese: Gregorian by default, its era calendar as the alternative.
        DateCase{LOCALE_JA_JP, st(2024, 3, 5), nullptr, 0, u"2024/03/05"},
        DateCase{LOCALE_JA_JP, st(1989, 1, 7), u"gg y", DATE_USE_ALT_CALENDAR, u"昭和 64"},
        DateCase{LOCALE_JA_JP, st(1989, 1, 8), u"gg y", DATE_USE_ALT_CALENDAR, u"平成 1"},
        DateCase{LOCALE_JA_JP, st(2019, 4, 30), u"ggy", DATE_USE_ALT_CALENDAR, u"平成31"},
        DateCase{LOCALE_JA_JP, st(2019, 5, 1), u"ggy", DATE_USE_ALT_CALENDAR, u"令和1"},
        DateCase{LOCALE_JA_JP, st(2019, 5, 1), u"ggyy", DATE_USE_ALT_CALENDAR, u"令和01"},
        DateCase{LOCALE_JA_JP, st(2024, 3, 5), nullptr, DATE_LONGDATE | DATE_USE_ALT_CALENDAR,
                 u"令和 6年3月5日"},
        // Year offsets of the other era calendars.
        DateCase{LOCALE_ZH_TW, st(2024, 3, 5), u"gg yyyy", DATE_USE_ALT_CALENDAR, u"中華民國 113"},
        DateCase{LOCALE_KO_KR, st(2024, 3, 5), u"yyyy", DATE_USE_ALT_CALENDAR, u"4357"},
        DateCase{LOCALE_TH_TH, st(2024, 3, 5), u"d MMMM yyyy", 0, u"5 มีนาคม 2567"},
        DateCase{LOCALE_TH_TH, st(2024, 3, 5), u"yyyy", DATE_USE_ALT_CALENDAR, u"2024"},
        // Hijri (the arithmetic calendar): 1 Ramadan 1445 = 10 March 2024,
        // 1 Muharram 1 = 18 July 622 in the proleptic Gregorian calendar.
        DateCase{LOCALE_AR_SA, st(2024, 3, 10), u"d/M/yyyy", 0, u"1/9/1445"},
        DateCase{LOCALE_AR_SA, st(2024, 3, 9), u"d/M/yyyy", 0, u"29/8/1445"},
        DateCase{LOCALE_AR_SA, st(2024, 3, 10), u"MMMM", 0, u"رمضان"},
        DateCase{LOCALE_AR_SA, st(622, 7, 18), u"d/M/yyyy", 0, u"1/1/0001"},
        DateCase{LOCALE_AR_SA, st(2024, 3, 11), u"d/M/yyyy", DATE_USE_ALT_CALENDAR, u"11/3/2024"},
        // Hebrew: 1 Tishrei 5784 = 16 September 2023; 5784 is a leap year
        // whose sixth month is Adar I.
        DateCase{LOCALE_HE_IL, st(2023, 9, 16), u"d/M/yyyy", DATE_USE_ALT_CALENDAR, u"1/1/5784"},
        DateCase{LOCALE_HE_IL, st(2024, 2, 10), u"d MMMM", DATE_USE_ALT_CALENDAR, u"1 אדר א"},
        DateCase{LOCALE_HE_IL, st(2024, 4, 23), u"d/M", DATE_USE_ALT_CALENDAR, u"15/8"},
        DateCase{LOCALE_HE_IL, st(2025, 3, 1), u"d MMMM", DATE_USE_ALT_CALENDAR, u"1 אדר"}));

TEST_F(LocaleTest, TheUsersCalendarChoiceChangesFormatsAndNumbers) {
  EXPECT_EQ(GetLocaleInt(LOCALE_JA_JP, LOCALE_ICALENDARTYPE), Integer(CAL_GREGORIAN));
  SetLocaleUserOverride(LOCALE_JA_JP, LOCALE_ICALENDARTYPE, u"3");
  EXPECT_EQ(GetLocaleInt(LOCALE_JA_JP, LOCALE_ICALENDARTYPE), Integer(CAL_JAPAN));
  EXPECT_EQ(GetLocaleInt(LOCALE_JA_JP, LOCALE_ICALENDARTYPE | LOCALE_NOUSEROVERRIDE),
            Integer(CAL_GREGORIAN));
  EXPECT_EQ(StringToUtf8(GetLocaleStr(LOCALE_JA_JP, LOCALE_SSHORTDATE)), "gg y/M/d");
  EXPECT_EQ(StringToUtf8(dateText(LOCALE_JA_JP, 0, st(2024, 3, 5), nullptr)), "令和 6/3/5");
  // Run-time settings of the locale carry the calendar's eras.
  const TFormatSettings fs = TFormatSettings::Create(LOCALE_JA_JP);
  ASSERT_EQ(fs.EraInfo.size(), 5u);
  EXPECT_EQ(fs.GetEraYearOffset(u"平成"), 1988);
  EXPECT_EQ(fs.EraInfo[3].EraEnd, EncodeDate(2019, 4, 30));
  EXPECT_EQ(fs.GetEraYearOffset(u"none"), 0);
}

// ---- the time picture language and its flags --------------------------------------------

struct TimeCase {
  LCID lcid;
  SYSTEMTIME time;
  const char16_t* format;
  LongWord flags;
  const char16_t* expected;
};

class TimePicture : public LocaleTest, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(TimePicture, FormatsAsTheLocaleWritesIt) {
  const TimeCase& c = GetParam();
  String out;
  ASSERT_TRUE(TryFormatLocaleTime(c.lcid, c.flags, c.time, c.format ? c.format : u"", out));
  EXPECT_EQ(StringToUtf8(out), StringToUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimePicture,
    ::testing::Values(
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 0, 5, 9), nullptr, 0, u"12:05:09 AM"},
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 13, 5, 9), nullptr, 0, u"1:05:09 PM"},
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 13, 5, 9), u"hh:mm t", 0, u"01:05 P"},
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 13, 5, 9), u"H:m:s", 0, u"13:5:9"},
        // "m" is the minute here, never the month.
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 7, 45, 0), u"mm", 0, u"45"},
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 13, 5, 9), nullptr, TIME_NOSECONDS, u"1:05 PM"},
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 13, 5, 9), nullptr, TIME_NOMINUTESORSECONDS, u"1 PM"},
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 13, 5, 9), nullptr, TIME_NOTIMEMARKER, u"1:05:09"},
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 13, 5, 9), nullptr, TIME_FORCE24HOURFORMAT, u"13:05:09"},
        TimeCase{LOCALE_ZH_TW, st(1, 1, 1, 9, 5, 0), nullptr, TIME_NOTIMEMARKER, u"09:05:00"},
        TimeCase{LOCALE_PT_BR, st(1, 1, 1, 9, 5, 0), nullptr, 0, u"09:05:00"},
        TimeCase{LOCALE_KO_KR, st(1, 1, 1, 21, 5, 0), nullptr, 0, u"오후 9:05:00"},
        TimeCase{LOCALE_EN_US, st(1, 1, 1, 9, 5, 0), u"h 'o''clock'", 0, u"9 o'clock"}));

// ---- the calling convention -----------------------------------------------------------------

TEST_F(LocaleTest, BufferSizesAndErrorsFollowTheCallingConvention) {
  // Asking for the size, then a buffer one short, then the right one.
  const int need = GetLocaleInfoW(LOCALE_EN_US, LOCALE_SLONGDATE, nullptr, 0);
  EXPECT_EQ(need, int(std::char_traits<char16_t>::length(u"dddd, MMMM d, yyyy")) + 1);
  std::vector<Char> buffer(std::size_t(need), u'x');
  EXPECT_EQ(GetLocaleInfoW(LOCALE_EN_US, LOCALE_SLONGDATE, buffer.data(), need - 1), 0);
  EXPECT_EQ(GetLocaleLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(GetLocaleInfoW(LOCALE_EN_US, LOCALE_SLONGDATE, buffer.data(), need), need);
  EXPECT_EQ(buffer.back(), u'\0');

  // Numbers: two characters holding a 32-bit value; text items refuse the flag.
  LongWord number = 0;
  Char raw[2] = {};
  EXPECT_EQ(GetLocaleInfoW(LOCALE_AR_SA, LOCALE_ICALENDARTYPE | LOCALE_RETURN_NUMBER, raw, 2), 2);
  std::memcpy(&number, raw, sizeof number);
  EXPECT_EQ(number, CAL_HIJRI);
  EXPECT_EQ(GetLocaleInfoW(LOCALE_EN_US, LOCALE_SDATE | LOCALE_RETURN_NUMBER, raw, 2), 0);
  EXPECT_EQ(GetLocaleLastError(), ERROR_INVALID_FLAGS);

  // Unknown locales and items.
  EXPECT_EQ(GetLocaleInfoW(0x0419, LOCALE_SDATE, nullptr, 0), 0);
  EXPECT_EQ(GetLocaleLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetLocaleInfoW(LOCALE_EN_US, 0x7777, nullptr, 0), 0);

  // Date formatting: a picture and a picture-choosing flag together, two such
  // flags, an impossible date.
  const SYSTEMTIME d = st(2024, 2, 29);
  Char out[64];
  EXPECT_EQ(GetDateFormatW(LOCALE_EN_US, DATE_LONGDATE, &d, u"d", out, 64), 0);
  EXPECT_EQ(GetLocaleLastError(), ERROR_INVALID_FLAGS);
  EXPECT_EQ(GetDateFormatW(LOCALE_EN_US, DATE_LONGDATE | DATE_SHORTDATE, &d, nullptr, out, 64), 0);
  const SYSTEMTIME bad = st(2023, 2, 29);
  EXPECT_EQ(GetDateFormatW(LOCALE_EN_US, 0, &bad, nullptr, out, 64), 0);
  EXPECT_EQ(GetLocaleLastError(), ERROR_INVALID_PARAMETER);
  // Before the first Japanese era there is no era date.
  const SYSTEMTIME early = st(1868, 9, 7);
  EXPECT_EQ(GetDateFormatW(LOCALE_JA_JP, DATE_USE_ALT_CALENDAR, &early, u"ggy", out, 64), 0);
  SYSTEMTIME badTime = st(1, 1, 1, 24);
  EXPECT_EQ(GetTimeFormatW(LOCALE_EN_US, 0, &badTime, nullptr, out, 64), 0);
}

TEST_F(LocaleTest, ItemsOfEveryBuiltInLocale) {
  struct Row {
    LCID lcid;
    LCTYPE item;
    const char16_t* expected;
  };
  const Row rows[] = {
      {LOCALE_PT_BR, LOCALE_SDATE, u"/"},
      {LOCALE_PT_BR, LOCALE_SSHORTDATE, u"dd/MM/yyyy"},
      {LOCALE_PT_BR, LOCALE_STIMEFORMAT, u"HH:mm:ss"},
      {LOCALE_PT_BR, LOCALE_S1159, u""},
      {LOCALE_PT_BR, LOCALE_SDAYNAME1, u"segunda-feira"},   // Monday first
      {LOCALE_PT_BR, LOCALE_SDAYNAME7, u"domingo"},
      {LOCALE_PT_BR, LOCALE_SSHORTESTDAYNAME7, u"D"},
      {LOCALE_PT_BR, LOCALE_SMONTHNAME12, u"dezembro"},
      {LOCALE_PT_BR, LOCALE_IFIRSTDAYOFWEEK, u"6"},
      {LOCALE_EN_US, LOCALE_S2359, u"PM"},
      {LOCALE_EN_US, LOCALE_SABBREVDAYNAME7, u"Sun"},
      {LOCALE_EN_US, LOCALE_IFIRSTWEEKOFYEAR, u"0"},
      {LOCALE_EN_US, LOCALE_SNAME, u"en-US"},
      {LOCALE_KO_KR, LOCALE_SDATE, u"-"},
      {LOCALE_TH_TH, LOCALE_ICALENDARTYPE, u"7"},
      {LOCALE_TH_TH, LOCALE_IFIRSTDAYOFWEEK, u"0"},
      {LOCALE_HE_IL, LOCALE_IOPTIONALCALENDAR, u"8"},
      {LOCALE_ZH_TW, LOCALE_S1159, u"上午"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(StringToUtf8(GetLocaleStr(r.lcid, r.item, u"(none)")), StringToUtf8(r.expected))
        << r.lcid << " item " << r.item;
  }
  // The defaults stand for the user's locale, which the settings can change.
  SetUserDefaultLCID(LOCALE_HE_IL);
  EXPECT_EQ(GetLocaleStr(LOCALE_USER_DEFAULT, LOCALE_SNAME), u"he-IL");
  SetLocaleUserOverride(LOCALE_USER_DEFAULT, LOCALE_SDATE, u".");
  EXPECT_EQ(GetLocaleStr(LOCALE_HE_IL, LOCALE_SDATE), u".");
  EXPECT_EQ(GetLocaleStr(LOCALE_HE_IL, LOCALE_SDATE | LOCALE_NOUSEROVERRIDE), u"/");
}

// ---- calendar items: the two-digit year maximum and year-month pictures -----------------

TEST_F(LocaleTest, CalendarItems) {
  struct Row {
    CALID calendar;
    LongWord twoDigitMax;
  };
  for (const Row& r : {Row{CAL_GREGORIAN, 2049}, Row{CAL_JAPAN, 99}, Row{CAL_KOREA, 4382},
                       Row{CAL_THAI, 2592}, Row{CAL_HIJRI, 1451}, Row{CAL_HEBREW, 5810}}) {
    LongWord v = 0;
    EXPECT_EQ(GetCalendarInfoW(LOCALE_EN_US, r.calendar, CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER,
                               nullptr, 0, &v),
              2);
    EXPECT_EQ(v, r.twoDigitMax) << r.calendar;
  }
  SetCalendarTwoDigitYearMax(CAL_GREGORIAN, 2029);
  LongWord v = 0;
  GetCalendarInfoW(LOCALE_EN_US, CAL_GREGORIAN, CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, nullptr, 0, &v);
  EXPECT_EQ(v, 2029u);
  GetCalendarInfoW(LOCALE_EN_US, CAL_GREGORIAN,
                   CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER | CAL_NOUSEROVERRIDE, nullptr, 0, &v);
  EXPECT_EQ(v, 2049u);
  // A text item asked as a number fails; a calendar outside 1..12 fails.
  EXPECT_EQ(GetCalendarInfoW(LOCALE_EN_US, CAL_GREGORIAN, CAL_SYEARMONTH | CAL_RETURN_NUMBER,
                             nullptr, 0, &v),
            0);
  EXPECT_EQ(GetCalendarInfoW(LOCALE_EN_US, 13, CAL_SYEARMONTH, nullptr, 0, nullptr), 0);

  String text;
  ASSERT_TRUE(TryGetCalendarInfo(LOCALE_PT_BR, CAL_GREGORIAN, CAL_SYEARMONTH, text));
  EXPECT_EQ(text, u"MMMM' de 'yyyy");
  ASSERT_TRUE(TryGetCalendarInfo(LOCALE_JA_JP, CAL_JAPAN, CAL_SYEARMONTH, text));
  EXPECT_EQ(StringToUtf8(text), "gg y'年'M'月'");
  ASSERT_TRUE(TryGetCalendarInfo(LOCALE_AR_SA, CAL_HIJRI, CAL_SMONTHNAME1 + 8, text));
  EXPECT_EQ(StringToUtf8(text), "رمضان");
  ASSERT_TRUE(TryGetCalendarInfo(LOCALE_HE_IL, CAL_HEBREW, CAL_SMONTHNAME13, text));
  EXPECT_EQ(StringToUtf8(text), "אלול");
}

// ---- lunar arithmetic over long ranges ----------------------------------------------------

TEST(LunarArithmetic, HebrewYearsHaveTheSixLengthsAndFollowEachOther) {
  for (Integer y = 5343; y <= 6000; ++y) {
    const Integer days = HebrewDaysInYear(y);
    const Integer common = IsHebrewLeapYear(y) ? days - 30 : days;
    EXPECT_TRUE(common == 353 || common == 354 || common == 355) << y << " has " << days;
    EXPECT_EQ(HebrewNewYear(y + 1) - HebrewNewYear(y), days);
    Integer sum = 0;
    for (Integer m = 1; m <= (IsHebrewLeapYear(y) ? 13 : 12); ++m) sum += HebrewDaysInMonth(y, m);
    EXPECT_EQ(sum, days) << y;
    // The new year never falls on a Sunday, Wednesday or Friday.
    const Word dow = DayOfWeek(HebrewNewYear(y));
    EXPECT_TRUE(dow != 1 && dow != 4 && dow != 6) << y;
  }
  EXPECT_EQ(HebrewNewYear(5784), Integer(EncodeDate(2023, 9, 16)));
  EXPECT_EQ(HebrewNewYear(5785), Integer(EncodeDate(2024, 10, 3)));
  EXPECT_EQ(HebrewDaysInYear(5784), 383);
  EXPECT_EQ(HebrewDaysInMonth(5784, 6), 30);
  EXPECT_EQ(HebrewDaysInMonth(5785, 13), 0);
}

TEST(LunarArithmetic, DayByDayCalendarDatesNeverSkipOrRepeat) {
  // Walking day by day from 1583 to 2239, every calendar date must be the
  // previous one plus a day: catches off-by-ones at month and year ends.
  for (CALID cal : {CAL_HIJRI, CAL_HEBREW, CAL_JAPAN, CAL_THAI}) {
    TLocaleCalendarDate prev;
    bool havePrev = false;
    for (Integer d = Integer(EncodeDate(1869, 1, 1)); d <= Integer(EncodeDate(2239, 9, 1)); ++d) {
      Word y = 0, m = 0, day = 0;
      DecodeDate(d, y, m, day);
      TLocaleCalendarDate cur;
      ASSERT_TRUE(GregorianToCalendarDate(cal, y, m, day, cur)) << cal << " " << d;
      if (havePrev) {
        // A new era starts with its year 1 on any day of the year.
        const bool newEra = cur.Era == prev.Era + 1 && cur.Year == 1;
        const bool sameYear = cur.Year == prev.Year || newEra;
        const bool nextDay = sameYear && cur.Month == prev.Month && cur.Day == prev.Day + 1;
        const bool nextMonth = sameYear && cur.Month == prev.Month + 1 && cur.Day == 1;
        const bool nextYear = cur.Month == 1 && cur.Day == 1 && (cur.Year == prev.Year + 1 || newEra);
        ASSERT_TRUE(nextDay || nextMonth || nextYear)
            << "calendar " << cal << " at " << y << "-" << m << "-" << day << ": " << prev.Year << "/"
            << prev.Month << "/" << prev.Day << " -> " << cur.Year << "/" << cur.Month << "/" << cur.Day;
      }
      prev = cur;
      havePrev = true;
    }
  }
}

// ---- run-time settings, time stamps and the largest date ----------------------------------

TEST_F(LocaleTest, UpdateFormatSettingsFollowsTheThreadLocale) {
  const TFormatSettings saved = FormatSettings();
  const LCID savedThread = GetThreadLocale();
  SetUserDefaultLCID(LOCALE_KO_KR);
  SetThreadLocale(LOCALE_USER_DEFAULT);
  EXPECT_EQ(GetThreadLocale(), LOCALE_KO_KR);
  UpdateFormatSettings();
  EXPECT_EQ(FormatSettings().DateSeparator, u'-');
  EXPECT_EQ(StringToUtf8(FormatSettings().LongDayNames[0]), "일요일");
  SetThreadLocale(savedThread);
  SetFormatSettings(saved);
}

TEST(TimeStamps, SplitLikeThePlatform) {
  struct Row {
    TDateTime value;
    Integer date;
    Integer time;
  };
  const Row rows[] = {
      {0.0, 693594, 0},
      {-1.25, 693593, 21600000},  // 29 Dec 1899 06:00: the fraction counts forward
      {MinDateTime, 36160, 0},
      {MaxDateTime, 3652059, 86399999},
      {1.5 + 0.4 / 86400000.0, 693595, 43200000},  // rounds to the millisecond
  };
  for (const Row& r : rows) {
    const TTimeStamp s = DateTimeToTimeStamp(r.value);
    EXPECT_EQ(s.Date, r.date) << r.value;
    EXPECT_EQ(s.Time, r.time) << r.value;
    EXPECT_NEAR(TimeStampToDateTime(s), r.value, 1e-8);
  }
  EXPECT_THROW(DateTimeToTimeStamp(std::nan("")), EConvertError);
}

TEST(TimeStamps, LargestDateIsTheLastMillisecond) {
  Word h = 0, m = 0, s = 0, ms = 0;
  DecodeTime(MaxDateTime, h, m, s, ms);
  EXPECT_EQ(ms, 999);
  EXPECT_EQ(DayOf(MaxDateTime), 31);
}

}  // namespace
}  // namespace rtl
