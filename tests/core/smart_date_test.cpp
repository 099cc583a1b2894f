// Smart date input and the conversions between edit texts and dates, on a
// fixed clock: Wednesday 14 February 2024, 12:00 UTC.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lib/core/cxDateUtils.h"
#include "lib/core/cxFormats.h"
#include "lib/core/cxSmartDate.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/ustring.h"
#include "platform/win/headless.h"

namespace core {
namespace {

using rtl::S;

constexpr rtl::Int64 kWednesday14Feb2024Noon = 1707912000000;

class SmartDateTest : public testing::Test {
 protected:
  void useLocale(rtl::LCID locale) {
    rtl::SetThreadLocale(locale);
    rtl::SetFormatSettings(rtl::LocaleFormatSettings(locale));
    cxFormatsUnitStop();
  }
  void SetUp() override { useLocale(rtl::LOCALE_EN_US); }
  void TearDown() override {
    SmartTextToDateFunc() = nullptr;
    dxResetAssignedStartOfWeek();
    cxFormatsUnitStop();
    rtl::SetThreadLocale(savedLocale_);
    rtl::SetFormatSettings(savedSettings_);
  }
  static TDateTime day(int y, int m, int d) { return rtl::EncodeDate(y, m, d); }

  win::headless::HeadlessScope screen_;
  rtl::TestClockScope clock_{kWednesday14Feb2024Noon};

 private:
  rtl::LCID savedLocale_ = rtl::GetThreadLocale();
  rtl::TFormatSettings savedSettings_ = rtl::FormatSettings();
};

TEST_F(SmartDateTest, ReadsTheWordsWithOptionalDayOffsets) {
  dxSetAssignedStartOfWeek(dMonday);
  ASSERT_EQ(rtl::Date(), day(2024, 2, 14));
  struct {
    const char* text;
    bool ok;
    TDateTime expected;
  } const cases[] = {
      {"today", true, day(2024, 2, 14)},
      {"today+5", true, day(2024, 2, 19)},
      {"TODAY + 5", true, day(2024, 2, 19)},
      {"   today +5", true, day(2024, 2, 19)},
      {"today-20", true, day(2024, 1, 25)},
      {"Today+-2", true, day(2024, 2, 12)},
      {"yesterday", true, day(2024, 2, 13)},
      {"tomorrow - 1", true, day(2024, 2, 14)},
      {"Monday", true, day(2024, 2, 19)},     // the next Monday
      {"wednesday", true, day(2024, 2, 14)},  // today counts
      {"tuesday", true, day(2024, 2, 20)},
      {"first", true, day(2024, 2, 12)},      // this week's Monday
      {"seventh", true, day(2024, 2, 18)},    // this week's Sunday
      {"bom", true, day(2024, 2, 1)},
      {"eom", true, day(2024, 2, 29)},        // a leap year
      {"eom+1", true, day(2024, 3, 1)},
  };
  for (const auto& c : cases) {
    TDateTime date = NullDate;
    EXPECT_EQ(SmartTextToDate(S(c.text), date), c.ok) << c.text;
    EXPECT_EQ(date, c.expected) << c.text;
  }
}

TEST_F(SmartDateTest, NowKeepsTheTimeOfDay) {
  TDateTime date = NullDate;
  ASSERT_TRUE(SmartTextToDate(u"now", date));
  EXPECT_EQ(date, rtl::Now());
  ASSERT_TRUE(SmartTextToDate(u"now+1", date));
  EXPECT_EQ(date, rtl::Now() + 1);
}

// Records the texts the words could not read.
std::vector<rtl::String>& askedTexts() {
  static std::vector<rtl::String> texts;
  return texts;
}
bool recordingHook(const rtl::String& text, TDateTime& date) {
  askedTexts().push_back(text);
  if (text != u"payday") return false;
  date = rtl::EncodeDate(2024, 2, 25);
  return true;
}

TEST_F(SmartDateTest, TextsTheWordsCannotReadGoToTheHook) {
  const char* const rejected[] = {"today+x", "todayx", "today+", "today+99999999999", "", "5/3"};
  for (const char* text : rejected) {
    TDateTime date = NullDate;
    EXPECT_FALSE(SmartTextToDate(S(text), date)) << text;
  }
  askedTexts().clear();
  SmartTextToDateFunc() = &recordingHook;
  TDateTime date = NullDate;
  EXPECT_FALSE(SmartTextToDate(u" today+x", date));
  EXPECT_TRUE(SmartTextToDate(u"payday", date));
  EXPECT_EQ(date, rtl::EncodeDate(2024, 2, 25));
  EXPECT_EQ(askedTexts(), (std::vector<rtl::String>{u" today+x", u"payday"}));
  // The hook hears nothing when a word reads the text.
  EXPECT_TRUE(SmartTextToDate(u"today", date));
  EXPECT_EQ(askedTexts().size(), 2u);
}

TEST_F(SmartDateTest, MaskLetsTheWordsAndAnOffsetThrough) {
  String mask = u"\\d+";
  AddDateRegExprMaskSmartInput(mask, false);
  const String words =
      u"'today'|'yesterday'|'tomorrow'|'Sunday'|'Monday'|'Tuesday'|'Wednesday'|'Thursday'|"
      u"'Friday'|'Saturday'|'first'|'second'|'third'|'fourth'|'fifth'|'sixth'|'seventh'|"
      u"'bom'|'eom'";
  const String offset = u"((\\+|-)\\d(\\d(\\d\\d?)?)?)?";
  EXPECT_EQ(mask, u"(\\d+)|(" + words + u")" + offset);
  mask = u"x";
  AddDateRegExprMaskSmartInput(mask, true);
  EXPECT_EQ(mask, u"(x)|(" + words + u"|'now')" + offset);
}

TEST_F(SmartDateTest, TwoDigitYearsFallInTheCalendarsWindow) {
  struct {
    const char* text;
    int year;
  } const cases[] = {
      {"3/5/49", 2049}, {"3/5/50", 1950}, {"3/5/00", 2000}, {"3/5/99", 1999}, {"3/5/0024", 24 + 0},
  };
  for (const auto& c : cases) {
    const TDateTime date = cxTextToDateTime(S(c.text), false);
    if (c.year < 100) {
      EXPECT_EQ(date, NullDate) << c.text;  // before year 100
      continue;
    }
    ASSERT_NE(date, NullDate) << c.text;
    EXPECT_EQ(rtl::YearOf(date), c.year) << c.text;
    EXPECT_EQ(rtl::MonthOf(date), 3) << c.text;
  }
}

TEST_F(SmartDateTest, ReadsTypedTextOrGivesTheNullDate) {
  useLocale(rtl::LOCALE_PT_BR);
  struct {
    const char* text;
    bool corvex;
    TDateTime expected;
  } const cases[] = {
      {"05/03/2024", false, day(2024, 3, 5)},
      {"  5/3/2024  ", false, day(2024, 3, 5)},
      {"05/03/2024", true, day(2024, 3, 5)},
      {"31/12/2024 13:45", false, day(2024, 12, 31) + rtl::EncodeTime(13, 45, 0, 0)},
      {"hoje", false, NullDate},
      {"today+1", false, day(2024, 2, 15)},
      {"00/03/2024", false, NullDate},   // day 0
      {"05/03/10000", false, NullDate},  // past year 9999
      {"", false, NullDate},
      {"   ", true, NullDate},
      {"32/01/2024", true, NullDate},
      {"05/03", false, day(2024, 3, 5)},  // the current year
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cxTextToDateTime(S(c.text), c.corvex), c.expected) << c.text;
    TDateTime date = 0;
    EXPECT_EQ(TextToDateEx(S(c.text), date), c.expected != NullDate) << c.text;
  }
}

TEST_F(SmartDateTest, StrToDateTimeSkipsTheWords) {
  useLocale(rtl::LOCALE_PT_BR);
  TDateTime date = 0;
  EXPECT_TRUE(cxStrToDateTime(u"05/03/2024", true, date));
  EXPECT_EQ(date, day(2024, 3, 5));
  EXPECT_FALSE(cxStrToDateTime(u"today", true, date));
  EXPECT_EQ(date, NullDate);
  EXPECT_FALSE(cxStrToDateTime(u"99/99/2024", false, date));
  EXPECT_EQ(date, NullDate);
}

TEST_F(SmartDateTest, ReadsTextWrittenInAnExplicitFormat) {
  struct {
    rtl::LCID locale;
    const char* format;
    const char* text;
    TDateTime expected;
  } const cases[] = {
      // Literal words of the format are dropped.
      {rtl::LOCALE_PT_BR, "dd 'de' mm 'de' yyyy", "05 de 03 de 2024", day(2024, 3, 5)},
      // Parts in another order than the locale's are put into its order.
      {rtl::LOCALE_EN_US, "yyyy/mm/dd", "2024/03/05", day(2024, 3, 5)},
      {rtl::LOCALE_PT_BR, "yyyy/mm/dd", "2024/03/05", day(2024, 3, 5)},
      {rtl::LOCALE_PT_BR, "mm/dd/yyyy", "03/05/2024", day(2024, 3, 5)},
      {rtl::LOCALE_EN_US, "dd/mm/yyyy", "05/03/2024 10:20", day(2024, 3, 5) + rtl::EncodeTime(10, 20, 0, 0)},
      // A missing day becomes the first.
      {rtl::LOCALE_EN_US, "mm/yyyy", "03/2024", day(2024, 3, 1)},
      {rtl::LOCALE_PT_BR, "yyyy", "2024", day(2024, 1, 1)},
  };
  for (const auto& c : cases) {
    useLocale(c.locale);
    TDateTime date = NullDate;
    EXPECT_TRUE(TextToDateEx(S(c.text), date, S(c.format))) << c.format << " " << c.text;
    EXPECT_EQ(date, c.expected) << c.format << " " << c.text;
  }
}

TEST_F(SmartDateTest, ExplicitFormatRaisesOnUnreadableText) {
  const char* const texts[] = {"x", "2024/13/45", "", "////", "99999999999999999999/1/1"};
  for (const char* text : texts) {
    TDateTime date = 0;
    EXPECT_THROW(TextToDateEx(S(text), date, u"yyyy/mm/dd"), rtl::EConvertError) << text;
  }
}

TEST_F(SmartDateTest, EditTextsReadBackToTheSameValue) {
  const TDateTime values[] = {
      day(2024, 3, 5),
      day(1999, 12, 31),
      day(2024, 2, 29) + rtl::EncodeTime(13, 45, 10, 0),
      day(1900, 1, 1) + rtl::EncodeTime(0, 0, 1, 0),
      day(9999, 12, 31),
      day(100, 1, 1),
  };
  for (rtl::LCID locale : {rtl::LOCALE_PT_BR, rtl::LOCALE_EN_US}) {
    useLocale(locale);
    for (TDateTime value : values) {
      const bool hasTime = dxTimeOf(value) != 0;
      for (bool masked : {false, true}) {
        const String text = DateTimeToTextEx(value, masked, hasTime, true);
        TDateTime read = NullDate;
        ASSERT_TRUE(TextToDateEx(text, read)) << locale << " " << rtl::StringToUtf8(text);
        EXPECT_NEAR(read, value, 1e-8) << locale << " " << rtl::StringToUtf8(text);
      }
    }
  }
}

TEST_F(SmartDateTest, WritesEditTexts) {
  const TDateTime noon = day(2024, 3, 5) + 0.5;
  struct {
    rtl::LCID locale;
    TDateTime value;
    bool masked, isDateTime, fourDigits;
    const char* expected;
  } const cases[] = {
      {rtl::LOCALE_PT_BR, day(2024, 3, 5), false, false, true, "05/03/2024"},
      {rtl::LOCALE_PT_BR, noon, false, false, true, "05/03/2024 12:00:00"},
      {rtl::LOCALE_EN_US, noon, false, false, true, "3/5/2024 12:00:00 PM"},
      {rtl::LOCALE_PT_BR, noon, true, false, true, "05/03/2024"},
      {rtl::LOCALE_PT_BR, noon, true, true, true, "05/03/2024 12:00:00"},
      {rtl::LOCALE_EN_US, noon, true, true, true, "03/05/2024 12:00:00 PM"},
      {rtl::LOCALE_PT_BR, NullDate, false, false, true, ""},
  };
  for (const auto& c : cases) {
    useLocale(c.locale);
    EXPECT_EQ(DateTimeToTextEx(c.value, c.masked, c.isDateTime, c.fourDigits), S(c.expected))
        << c.expected;
  }
}

TEST_F(SmartDateTest, FourDigitYearsWidenATwoDigitYearFormat) {
  useLocale(rtl::LOCALE_PT_BR);
  rtl::FormatSettings().ShortDateFormat = u"dd/MM/yy";
  EXPECT_EQ(cxDateTimeToText(true, true, day(2024, 3, 5)), u"05/03/2024");
  EXPECT_EQ(cxDateTimeToText(false, true, day(2024, 3, 5)), u"05/03/24");
  rtl::FormatSettings().ShortDateFormat = u"dd/MM/YY";
  EXPECT_EQ(cxDateTimeToText(true, true, day(2024, 3, 5)), u"05/03/2024");
  rtl::FormatSettings().ShortDateFormat = u"dd/MM/yyy";
  EXPECT_EQ(cxDateTimeToText(true, true, day(2024, 3, 5)), u"05/03/2024");
}

}  // namespace
}  // namespace core
