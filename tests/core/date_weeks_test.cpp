#include "lib/core/cxDateUtils.h"

#include <gtest/gtest.h>

#include <vector>

#include "lib/core/dxCore.h"
#include "platform/ui/utility_window.h"
#include "platform/win/headless.h"
#include "platform/win/system.h"

#include "platform/rtl/datetime.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"

namespace core {
namespace {

using rtl::EncodeDate;
using rtl::EncodeDateTime;

// Runs a test in a thread locale and puts back the locale, the user's
// choices and the assigned start of the week.
class InLocale {
 public:
  explicit InLocale(rtl::LCID lcid) : saved_(rtl::GetThreadLocale()) { rtl::SetThreadLocale(lcid); }
  ~InLocale() {
    rtl::SetThreadLocale(saved_);
    rtl::ClearLocaleUserOverrides();
    dxResetAssignedStartOfWeek();
  }

 private:
  rtl::LCID saved_;
};

TEST(LocaleItems, TextEmptyTextAndMissingItems) {
  // An empty item is an answer; only a missing one takes the default.
  EXPECT_EQ(dxGetLocaleInfo(rtl::LOCALE_PT_BR, rtl::LOCALE_S1159, u"AM"), u"");
  EXPECT_EQ(dxGetLocaleInfo(rtl::LOCALE_PT_BR, rtl::LOCALE_SSHORTDATE, u"x"), u"dd/MM/yyyy");
  EXPECT_EQ(dxGetLocaleInfo(rtl::LOCALE_PT_BR, 0x7777, u"fallback"), u"fallback");
  EXPECT_EQ(dxGetLocaleInfo(0x0419, rtl::LOCALE_SDATE, u"."), u".");
}

// A changed regional setting is announced to hidden windows with the area
// "intl", and what they then read from the locale is the new value.
struct IntlSink {
  std::vector<rtl::String> areas;
  TDay startOfWeek = dSunday;
  void Handle(ui::TMessage& m) {
    if (m.Msg != win::WM_SETTINGCHANGE || m.LParam == 0) return;
    areas.emplace_back(reinterpret_cast<const rtl::Char*>(m.LParam));
    startOfWeek = dxGetLocalStartOfWeek();
  }
};

TEST(LocaleItems, ChangesAreAnnouncedAsIntl) {
  win::headless::HeadlessScope screen;
  InLocale locale(rtl::LOCALE_EN_US);
  IntlSink sink;
  win::HWND wnd = ui::AllocateHWnd(ui::TWndMethod::bind<&IntlSink::Handle>(&sink));
  rtl::SetLocaleUserOverride(rtl::LOCALE_EN_US, rtl::LOCALE_IFIRSTDAYOFWEEK, u"0");
  win::BroadcastLocaleChange();
  ui::DeallocateHWnd(wnd);
  ASSERT_EQ(sink.areas.size(), 1u);
  EXPECT_EQ(sink.areas[0], u"intl");
  EXPECT_EQ(sink.startOfWeek, dMonday);
}

TEST(DateParts, NullDateAndNegativeDates) {
  struct Row {
    TDateTime value;
    TDateTime date;
    TDateTime time;
  };
  const Row rows[] = {
      {-1.25, -1.0, 0.25},  // 29 Dec 1899 06:00
      {NullDate, NullDate, 0.0},
      {45000.75, 45000.0, 0.75},
      {-0.5, 0.0, 0.5},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(dxDateOf(r.value), r.date) << r.value;
    EXPECT_DOUBLE_EQ(dxTimeOf(r.value), r.time) << r.value;
  }
  EXPECT_TRUE(cxIsDateValid(NullDate));
  EXPECT_TRUE(cxIsDateValid(rtl::MaxDateTime));
  EXPECT_TRUE(cxIsDateValid(rtl::MinDateTime));
  EXPECT_FALSE(cxIsDateValid(rtl::MinDateTime - 1));
  EXPECT_FALSE(cxIsDateValid(rtl::EncodeDate(9999, 12, 31) + 1));
}

TEST(DateParts, MonthAndYearBoundaries) {
  const TDateTime feb10 = EncodeDate(2024, 2, 10) + 0.5;
  EXPECT_EQ(dxGetEndDateOfMonth(feb10, true), EncodeDate(2024, 2, 29));
  EXPECT_EQ(dxGetEndDateOfMonth(feb10, false), EncodeDateTime(2024, 2, 29, 23, 59, 59, 999));
  EXPECT_EQ(dxGetEndDateOfMonth(EncodeDate(2023, 2, 1), true), EncodeDate(2023, 2, 28));
  EXPECT_EQ(dxGetStartDateOfMonth(feb10), EncodeDate(2024, 2, 1));
  EXPECT_EQ(dxGetStartDateOfYear(feb10), EncodeDate(2024, 1, 1));
  EXPECT_EQ(dxGetEndDateOfYear(feb10, false), EncodeDateTime(2024, 12, 31, 23, 59, 59, 999));
  EXPECT_EQ(dxGetMonthNumber(feb10), 2024 * 12 + 2 - 12);
  EXPECT_EQ(dxGetMonthNumber(EncodeDate(2024, 1, 31)) + 1, dxGetMonthNumber(EncodeDate(2024, 2, 1)));
  EXPECT_EQ(dxGetDateElement(feb10, deDay), 10);

  struct Row {
    int year, month, day, expected;
  };
  for (const Row& r : {Row{2023, 2, 31, 28}, Row{2024, 2, 0, 1}, Row{2024, 2, 30, 29},
                       Row{1900, 2, 29, 28}, Row{2000, 2, 29, 29}, Row{2024, 4, 31, 30},
                       Row{2024, 12, -5, 1}, Row{2024, 7, 15, 15}})
    EXPECT_EQ(CheckDay(r.year, r.month, r.day), r.expected) << r.year << "-" << r.month << "-" << r.day;
}

TEST(Weekdays, TheThreeNumberingsAgree) {
  // 3 March 2024 is a Sunday.
  const TDateTime sunday = EncodeDate(2024, 3, 3);
  for (int i = 0; i < 7; ++i) {
    const TDay day = dxDayOfWeek(sunday + i);
    EXPECT_EQ(day, TDay(i));
    EXPECT_EQ(dxDayOfWeekFromVCL(rtl::DayOfWeek(sunday + i)), day);
    EXPECT_EQ(dxDayOfWeekToVCL(day), rtl::DayOfWeek(sunday + i));
    // The locale numbering counts from Monday.
    EXPECT_EQ(dxDayOfWeekFromSystem((i + 6) % 7), day);
  }
  struct Row {
    TDay from;
    int count;
    TDay expected;
  };
  for (const Row& r : {Row{dSaturday, 1, dSunday}, Row{dMonday, 13, dSunday}, Row{dMonday, 0, dMonday},
                       Row{dWednesday, 7, dWednesday}, Row{dFriday, 365, dSaturday}})
    EXPECT_EQ(dxGetDayOfWeek(r.from, r.count), r.expected) << r.from << "+" << r.count;
}

TEST(Weekdays, StartOfWeekComesFromTheLocaleUnlessAssigned) {
  InLocale locale(rtl::LOCALE_PT_BR);  // weeks start on Sunday
  EXPECT_EQ(dxGetStartOfWeek(), dSunday);
  const TDateTime wednesday = EncodeDate(2024, 3, 6) + 0.75;
  EXPECT_EQ(dxGetStartDateOfWeek(wednesday), EncodeDate(2024, 3, 3));
  EXPECT_EQ(dxDayOfWeekOffset(wednesday), 3);
  EXPECT_EQ(dxDayOfWeekOffset(wednesday, dThursday), 6);

  rtl::SetLocaleUserOverride(rtl::LOCALE_PT_BR, rtl::LOCALE_IFIRSTDAYOFWEEK, u"0");  // Monday
  EXPECT_EQ(dxGetLocalStartOfWeek(), dMonday);
  EXPECT_EQ(dxGetStartDateOfWeek(wednesday), EncodeDate(2024, 3, 4));

  dxSetAssignedStartOfWeek(dSaturday);
  EXPECT_EQ(dxGetStartOfWeek(), dSaturday);
  EXPECT_EQ(dxGetStartDateOfWeek(wednesday), EncodeDate(2024, 3, 2));
  EXPECT_EQ(dxGetLocalStartOfWeek(), dMonday);
}

// ---- week numbers at year ends, for each rule and first day -------------------------------

struct WeekCase {
  TDay start;
  TcxFirstWeekOfYear rule;
  int y, m, d;
  int week;
};

class WeekNumbers : public ::testing::TestWithParam<WeekCase> {};

TEST_P(WeekNumbers, AtYearEnds) {
  const WeekCase& c = GetParam();
  InLocale locale(rtl::LOCALE_EN_US);
  dxSetAssignedStartOfWeek(c.start);
  const TDateTime date = EncodeDate(rtl::Word(c.y), rtl::Word(c.m), rtl::Word(c.d)) + 0.6;
  // The start-of-week argument does not change the result.
  EXPECT_EQ(dxGetWeekNumber(date, c.start, c.rule), c.week);
  EXPECT_EQ(dxGetWeekNumber(date, dWednesday, c.rule), c.week);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WeekNumbers,
    ::testing::Values(
        // Monday + four days: the calendar-week numbering used in Europe.
        WeekCase{dMonday, fwyFirstFourDays, 2021, 1, 1, 53},    // a Friday
        WeekCase{dMonday, fwyFirstFourDays, 2021, 1, 4, 1},
        WeekCase{dMonday, fwyFirstFourDays, 2024, 12, 31, 1},   // a Tuesday
        WeekCase{dMonday, fwyFirstFourDays, 2024, 12, 29, 52},
        WeekCase{dMonday, fwyFirstFourDays, 2020, 12, 31, 53},
        WeekCase{dMonday, fwyFirstFourDays, 2026, 1, 1, 1},     // a Thursday
        WeekCase{dMonday, fwyFirstFourDays, 2027, 1, 3, 53},
        // Sunday + 1 January: the week holding 1 January is week 1.
        WeekCase{dSunday, fwyJan1, 2022, 1, 1, 1},              // a Saturday
        WeekCase{dSunday, fwyJan1, 2022, 1, 2, 2},
        WeekCase{dSunday, fwyJan1, 2021, 12, 26, 1},            // the week of 1 Jan 2022
        WeekCase{dSunday, fwyJan1, 2021, 12, 25, 52},
        WeekCase{dSunday, fwyJan1, 2023, 12, 31, 1},
        // First full week: days before it belong to the last week of the old year.
        WeekCase{dSunday, fwyFirstFullWeek, 2022, 1, 1, 52},
        WeekCase{dSunday, fwyFirstFullWeek, 2022, 1, 2, 1},
        WeekCase{dSunday, fwyFirstFullWeek, 2023, 1, 1, 1},     // a Sunday
        WeekCase{dSunday, fwyFirstFullWeek, 2017, 12, 31, 53},
        WeekCase{dMonday, fwyFirstFullWeek, 2024, 1, 1, 1},     // a Monday
        WeekCase{dMonday, fwyFirstFullWeek, 2023, 1, 1, 52},
        WeekCase{dSaturday, fwyFirstFourDays, 2022, 1, 1, 1},
        WeekCase{dSaturday, fwyFirstFourDays, 2022, 12, 31, 1}));

TEST(WeekNumbers, SystemRuleReadsTheLocale) {
  InLocale locale(rtl::LOCALE_PT_BR);
  dxSetAssignedStartOfWeek(dMonday);
  EXPECT_EQ(dxGetLocalFirstWeekOfYear(), fwyJan1);
  EXPECT_EQ(dxGetWeekNumber(EncodeDate(2021, 1, 1), dMonday, fwySystem), 1);
  rtl::SetLocaleUserOverride(rtl::LOCALE_PT_BR, rtl::LOCALE_IFIRSTWEEKOFYEAR, u"2");
  EXPECT_EQ(dxGetLocalFirstWeekOfYear(), fwyFirstFourDays);
  EXPECT_EQ(dxGetWeekNumber(EncodeDate(2021, 1, 1), dMonday, fwySystem), 53);
}

TEST(WeekNumbers, EveryDayOfFourCenturiesIsInAWeekOfOneToFiftyThree) {
  // Weeks count up by one every seventh day and restart at 1 once a year.
  InLocale locale(rtl::LOCALE_EN_US);
  for (TDay start : {dSunday, dMonday, dSaturday}) {
    dxSetAssignedStartOfWeek(start);
    for (TcxFirstWeekOfYear rule : {fwyJan1, fwyFirstFullWeek, fwyFirstFourDays}) {
      int prev = dxGetWeekNumber(EncodeDate(1900, 1, 1), start, rule);
      for (int d = int(EncodeDate(1900, 1, 2)); d <= int(EncodeDate(2300, 1, 1)); ++d) {
        const int w = dxGetWeekNumber(d, start, rule);
        ASSERT_GE(w, 1);
        ASSERT_LE(w, 53);
        if (dxDayOfWeek(d) == start)
          ASSERT_TRUE(w == prev + 1 || (w == 1 && prev >= 52)) << d << " rule " << rule;
        else
          ASSERT_EQ(w, prev) << d << " rule " << rule;
        prev = w;
      }
    }
  }
}

}  // namespace
}  // namespace core
