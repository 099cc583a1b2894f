// Date and time texts: the library's own date-format interpreter, the
// locale's items and formatting, weekday names and date orders.
#include <gtest/gtest.h>

#include "lib/core/cxCalendarTables.h"
#include "lib/core/cxDateTexts.h"
#include "lib/core/cxFormats.h"
#include "lib/core/cxSmartDate.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"
#include "platform/win/headless.h"

namespace core {
namespace {

using rtl::S;

// A thread locale with its run-time settings, and a fresh controller.
class DateTextTest : public testing::Test {
 protected:
  // `calendar`, when given, is the user's choice of calendar for the locale.
  void useLocale(rtl::LCID locale, const char16_t* calendar = nullptr) {
    rtl::ClearLocaleUserOverrides();
    if (calendar) rtl::SetLocaleUserOverride(locale, rtl::LOCALE_ICALENDARTYPE, calendar);
    rtl::SetThreadLocale(locale);
    rtl::SetFormatSettings(rtl::LocaleFormatSettings(locale));
    cxFormatsUnitStop();
  }
  void SetUp() override { useLocale(rtl::LOCALE_EN_US); }
  void TearDown() override {
    cxFormatsUnitStop();
    rtl::ClearLocaleUserOverrides();
    rtl::SetThreadLocale(savedLocale_);
    rtl::SetFormatSettings(savedSettings_);
  }

  win::headless::HeadlessScope screen_;

 private:
  rtl::LCID savedLocale_ = rtl::GetThreadLocale();
  rtl::TFormatSettings savedSettings_ = rtl::FormatSettings();
};

TEST_F(DateTextTest, InterpretsTheDateLettersOfAFormat) {
  struct {
    const char* format;
    char16_t separator;
    int year, month, day;
    const char* expected;
  } const cases[] = {
      {"d/m/yyyy", 0, 2024, 3, 5, "5/03/2024"},  // a single m still writes two digits
      {"dd.mm.yy", 0, 2024, 3, 5, "05.03.24"},
      {"yy", 0, 2024, 3, 5, "24"},
      {"yyy", 0, 2024, 3, 5, "24"},             // any count but four is two digits
      {"yyyy", 0, 100, 1, 1, "0100"},           // padded to four
      {"dddd", 0, 2024, 3, 3, "Sunday"},
      {"ddd d", 0, 2024, 3, 3, "Sun 3"},
      {"dd.mm.yyyy hh:nn", 0, 2024, 12, 31, "31.12.2024"},  // trailing literal dropped
      {"MMMM yyyy", u' ', 2024, 3, 5, "March 2024"},
      {"mmmm' de 'yyyy", 0, 2024, 3, 5, "March de 2024"},
      {"dd/mm/yyyy", u'-', 2024, 3, 5, "05-03-2024"},
      {"hh: dd", 0, 2024, 3, 5, "05"},          // text before the first part is skipped
      {"dd e mm", 0, 2024, 3, 5, "0503"},       // e drops the pending literal
      {"'unclosed dd", 0, 2024, 3, 5, ""},
      {"", 0, 2024, 3, 5, ""},
  };
  for (const auto& c : cases) {
    const TDateTime date = rtl::EncodeDate(c.year, c.month, c.day);
    EXPECT_EQ(cxDateToStrByFormat(S(c.format), c.separator, date), S(c.expected)) << c.format;
  }
}

TEST_F(DateTextTest, ReadsTheDateOrderOfFormats) {
  struct {
    const char* format;
    int order;
  } const cases[] = {
      {"dd/MM/yyyy", 1}, {"M/d/yyyy", 0}, {"yyyy-MM-dd", 2}, {"gg ee/MM/dd", 2},
      {"hh:nn", 0},      {"", 0},         {"'D'", 1},  // quotes are not skipped
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetDateOrder(S(c.format)), c.order) << c.format;
    TcxDateTimeFormatInfo info;
    cxFormatController()->GetDateTimeFormatInfo(S(c.format), &info);
    if (info.ItemCount() > 0 && c.format[0] != '\'' && c.format[0] != 'g') {
      EXPECT_EQ(GetDateOrder(&info), c.order) << c.format;
    }
  }
}

TEST_F(DateTextTest, LocalFormatSettingsComeFromTheThreadLocale) {
  useLocale(rtl::LOCALE_PT_BR);
  rtl::TFormatSettings fs;
  rtl::FormatSettings().ListSeparator = u'|';
  cxGetLocalFormatSettings(fs);
  EXPECT_EQ(fs.DateSeparator, u'/');
  EXPECT_EQ(fs.ShortDateFormat, u"dd/MM/yyyy");
  EXPECT_EQ(fs.TimeSeparator, u':');
  EXPECT_EQ(fs.LongTimeFormat, u"HH:mm:ss");
  EXPECT_EQ(fs.ListSeparator, u'|');
  EXPECT_EQ(cxFormatController()->LocalFormatSettings().ShortDateFormat, u"dd/MM/yyyy");
  useLocale(rtl::LOCALE_EN_US);
  cxGetLocalFormatSettings(fs);
  EXPECT_EQ(fs.TimeAMString, u"AM");
  EXPECT_EQ(fs.TimePMString, u"PM");
  EXPECT_EQ(fs.LongTimeFormat, u"h:mm:ss tt");
}

TEST_F(DateTextTest, FormatsByTheLocaleOrByTheRunTimeFormats) {
  const TDateTime date = rtl::EncodeDate(2024, 3, 5);
  String text;
  ASSERT_TRUE(cxGetDateFormat(text, 0, u"dd/MM/yyyy", date));
  EXPECT_EQ(text, u"05/03/2024");
  ASSERT_TRUE(cxGetDateFormat(text, rtl::DATE_LONGDATE, u"", date));
  EXPECT_EQ(text, u"Tuesday, March 5, 2024");
  EXPECT_EQ(DateToLongDateStr(date), u"Tuesday, March 5, 2024");
  EXPECT_EQ(cxDayNumberToLocalFormatStr(date), u"5");
  // The run-time formats: the locale's picture letter M is a month here, and
  // time letters stay out.
  cxFormatController()->SetUseCorvexDateTimeFormats(true);
  rtl::FormatSettings().LongDateFormat = u"dd mmmm yyyy hh:nn";
  ASSERT_TRUE(cxGetDateFormat(text, 0, u"", date));
  EXPECT_EQ(text, u"05 March 2024");
  EXPECT_EQ(DateToLongDateStr(date), u"05 March 2024");
}

TEST_F(DateTextTest, WeekdayNamesAreCutToTheirDistinguishingCharacter) {
  struct {
    rtl::LCID locale;
    bool singleChar;
    rtl::Byte charset;
    TDay day;
    const char* expected;
  } const cases[] = {
      {rtl::LOCALE_EN_US, false, 0, dSunday, "Su"},
      {rtl::LOCALE_EN_US, true, 0, dSunday, "S"},
      {rtl::LOCALE_EN_US, true, 0, dSaturday, "S"},
      {rtl::LOCALE_PT_BR, false, 0, dMonday, "S"},
  };
  rtl::ScopedValue<bool> single(cxUseSingleCharWeekNames());
  for (const auto& c : cases) {
    useLocale(c.locale);
    cxUseSingleCharWeekNames() = c.singleChar;
    EXPECT_EQ(cxGetDayOfWeekName(c.day, c.charset), S(c.expected)) << c.expected;
  }
}

TEST_F(DateTextTest, RunTimeWeekdayNamesWithTheLibrarysFormats) {
  cxFormatController()->SetUseCorvexDateTimeFormats(true);
  rtl::ScopedValue<bool> single(cxUseSingleCharWeekNames(), false);
  EXPECT_EQ(cxGetDayOfWeekName(dWednesday, 0), u"Wed");
  // A name read from the right keeps its last character, in a charset whose
  // script is written so.
  cxUseSingleCharWeekNames() = true;
  rtl::FormatSettings().ShortDayNames[0] = S("الأحد");
  EXPECT_EQ(cxGetDayOfWeekName(dSunday, 178), S("د"));   // Arabic
  EXPECT_EQ(cxGetDayOfWeekName(dSunday, 0), S("ا"));     // the system's
}

// A format-settings record with a short date format and its separator.
rtl::TFormatSettings typedDateSettings(const char* shortDate, char16_t separator) {
  rtl::TFormatSettings fs = rtl::LocaleFormatSettings(rtl::LOCALE_EN_US);
  fs.ShortDateFormat = S(shortDate);
  fs.DateSeparator = separator;
  return fs;
}

TEST_F(DateTextTest, ReadsTypedDatesInTheSettingsOrder) {
  rtl::FormatSettings().LongMonthNames[2] = u"Early March";  // a month name of two words
  struct {
    const char* shortDate;
    char16_t separator;
    const char* text;
    int year, month, day, hours, minutes, seconds, ms;
  } const cases[] = {
      {"dd.MM.yyyy", u'.', "31.12.2024 13:45", 2024, 12, 31, 13, 45, 0, 0},
      {"dd MMMM yyyy", u' ', "5 Early March 2024", 2024, 3, 5, 0, 0, 0, 0},
      {"dd MM yyyy", u' ', "5 3 2024", 2024, 3, 5, 0, 0, 0, 0},
      {"MMMM d yyyy", u' ', "Early March 5 2024", 2024, 3, 5, 0, 0, 0, 0},
      {"MMMM d yyyy", u' ', "Jun 5 2024 8:30", 2024, 6, 5, 8, 30, 0, 0},
      {"M/d/yyyy", u'/', "3/5/2024", 2024, 3, 5, 0, 0, 0, 0},
      {"yyyy-MM-dd", u'-', "2024-03-05 08:30:15.250", 2024, 3, 5, 8, 30, 15, 250},
      {"dd/MM/yyyy", u'/', "5/mar/2024", 2024, 3, 5, 0, 0, 0, 0},
      // Two-digit years by the calendar's maximum, 2049.
      {"M/d/yy", u'/', "3/5/49", 2049, 3, 5, 0, 0, 0, 0},
      {"M/d/yy", u'/', "3/5/50", 1950, 3, 5, 0, 0, 0, 0},
      {"M/d/yy", u'/', "3/5/0", 2000, 3, 5, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    TcxDateTime date;
    cxStrToDate(S(c.text), typedDateSettings(c.shortDate, c.separator), nullptr, date);
    EXPECT_EQ(date.Year, c.year) << c.text;
    EXPECT_EQ(date.Month, c.month) << c.text;
    EXPECT_EQ(date.Day, c.day) << c.text;
    EXPECT_EQ(date.Era, -1) << c.text;
    EXPECT_EQ(date.Hours, c.hours) << c.text;
    EXPECT_EQ(date.Minutes, c.minutes) << c.text;
    EXPECT_EQ(date.Seconds, c.seconds) << c.text;
    EXPECT_EQ(date.Milliseconds, c.ms) << c.text;
  }
}

TEST_F(DateTextTest, TypedDatesTheCalendarCannotReadRaise) {
  const char* const texts[] = {"x/3/2024", "", "5/3", "5/3/", "5/3/2024 25:99", "5/13x/2024",
                               "////", "5/3/2024 "};
  const rtl::TFormatSettings fs = typedDateSettings("d/M/yyyy", u'/');
  for (const char* text : texts) {
    TcxDateTime date;
    if (std::string(text) == "5/3/2024 ") {
      // A blank after the date leaves nothing to read as a time.
      EXPECT_NO_THROW(cxStrToDate(S(text), fs, nullptr, date));
      continue;
    }
    EXPECT_THROW(cxStrToDate(S(text), fs, nullptr, date), rtl::EConvertError) << text;
  }
}

TEST_F(DateTextTest, ReadsTheEraNameBeforeAJapaneseDate) {
  useLocale(rtl::LOCALE_JA_JP, u"3");
  ASSERT_FALSE(cxFormatController()->LocalIsGregorianCalendar());
  struct {
    const char* text;
    int year, month, day;
  } const cases[] = {
      {"令和 6/3/5", 2024, 3, 5},
      {"令和 1/5/1", 2019, 5, 1},    // the era began in May of its first year
      {"平成 31/4/30", 2019, 4, 30},
      {"昭和 64/1/7", 1989, 1, 7},
      {"平成 1/1/8", 1989, 1, 8},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cxLocalFormatStrToDate(S(c.text)), rtl::EncodeDate(c.year, c.month, c.day)) << c.text;
  }
}

TEST_F(DateTextTest, MonthAndYearTextsFollowTheLocalCalendar) {
  struct {
    rtl::LCID locale;
    const char16_t* calendar;
    const char* month;
    const char* year;
    const char* monthYear;
  } const cases[] = {
      {rtl::LOCALE_EN_US, nullptr, "March", "2024", "March 2024"},
      {rtl::LOCALE_PT_BR, nullptr, "março", "2024", "março de 2024"},
      {rtl::LOCALE_JA_JP, u"3", "3月", "6", "令和 6年3月"},
      {rtl::LOCALE_TH_TH, nullptr, "มีนาคม", "2567", "มีนาคม 2567"},
      {rtl::LOCALE_AR_SA, nullptr, "شعبان", "1445", "شعبان, 1445"},
  };
  const TDateTime date = rtl::EncodeDate(2024, 3, 5) + 0.75;
  for (const auto& c : cases) {
    useLocale(c.locale, c.calendar);
    EXPECT_EQ(cxGetLocalMonthName(date, nullptr), S(c.month)) << c.monthYear;
    EXPECT_EQ(cxGetLocalYear(date, nullptr), S(c.year)) << c.monthYear;
    EXPECT_EQ(cxGetLocalMonthYear(date, nullptr), S(c.monthYear)) << c.monthYear;
  }
}

TEST_F(DateTextTest, MonthNamesByNumber) {
  TcxCustomCalendarTable* gregorian = cxGetCalendar(rtl::CAL_GREGORIAN);
  EXPECT_EQ(cxGetLocalMonthName(2024, 3, gregorian), u"March");
  EXPECT_EQ(cxGetLocalMonthName(2024, 13, gregorian), u"");  // no such month
  EXPECT_EQ(cxGetLocalMonthName(2024, 0, gregorian), u"");
  // The run-time names with the library's formats.
  cxFormatController()->SetUseCorvexDateTimeFormats(true);
  rtl::FormatSettings().LongMonthNames[2] = u"Mar.";
  EXPECT_EQ(cxGetLocalMonthName(2024, 3, gregorian), u"Mar.");
  EXPECT_EQ(cxGetLocalMonthName(rtl::EncodeDate(2024, 3, 9), gregorian), u"Mar.");
  EXPECT_EQ(cxGetLocalMonthYear(rtl::EncodeDate(2024, 3, 9), gregorian), u"Mar. 2024");
}

TEST_F(DateTextTest, EditTextsOfOtherCalendarsReadBack) {
  struct {
    rtl::LCID locale;
    const char16_t* calendar;
  } const locales[] = {{rtl::LOCALE_JA_JP, u"3"}, {rtl::LOCALE_TH_TH, nullptr},
                       {rtl::LOCALE_AR_SA, nullptr}, {rtl::LOCALE_HE_IL, u"8"}};
  const TDateTime values[] = {rtl::EncodeDate(2024, 3, 5), rtl::EncodeDate(2019, 5, 1),
                              rtl::EncodeDate(1999, 12, 31) + 0.5};
  for (const auto& l : locales) {
    useLocale(l.locale, l.calendar);
    for (TDateTime value : values) {
      const String text = DateTimeToTextEx(value, false, true, true);
      TDateTime read = NullDate;
      EXPECT_TRUE(TextToDateEx(text, read)) << rtl::StringToUtf8(text);
      EXPECT_NEAR(read, value, 1e-8) << l.locale << " " << rtl::StringToUtf8(text);
    }
  }
}

// A leap year adds Adar I before Adar II; a plain year has one Adar and Nisan is its month 7.
TEST_F(DateTextTest, HebrewMonthNamesFollowTheLeapYear) {
  useLocale(rtl::LOCALE_HE_IL, u"8");
  const TcxCustomCalendarTable* hebrew = cxGetCalendar(rtl::CAL_HEBREW);
  struct {
    int year, month;
    const char16_t* name;
  } const cases[] = {{5784, 5, u"שבט"}, {5784, 6, u"אדר א"}, {5784, 7, u"אדר ב"}, {5784, 8, u"ניסן"},
                     {5784, 13, u"אלול"}, {5785, 6, u"אדר"},   {5785, 7, u"ניסן"},   {5785, 12, u"אלול"}};
  for (const auto& c : cases) {
    EXPECT_EQ(cxGetLocalMonthName(c.year, c.month, hebrew), c.name) << c.year << "/" << c.month;
    EXPECT_EQ(cxGetLocalMonthYear(hebrew->ToDateTime(c.year, c.month, 1), hebrew),
              String(c.name) + u" " + rtl::IntToStr(c.year))
        << c.year << "/" << c.month;
  }
}

}  // namespace
}  // namespace core
