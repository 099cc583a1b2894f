// The format controller: the format-string parser, the masks and display
// formats built from it, the currency format, and the notifications of the
// controller's window on a headless window system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/cxFormats.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"
#include "platform/win/constants.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"

namespace core {
namespace {

using rtl::S;

// Fixed run-time settings and thread locale for each test, and a fresh
// controller made from them.
class FormatControllerTest : public testing::Test {
 protected:
  explicit FormatControllerTest(rtl::LCID locale = rtl::LOCALE_EN_US) {
    rtl::SetThreadLocale(locale);
    rtl::SetFormatSettings(rtl::TFormatSettings::Create(locale));
    cxFormatsUnitStop();
  }
  ~FormatControllerTest() override {
    cxFormatsUnitStop();
    rtl::SetThreadLocale(savedLocale_);
    rtl::SetFormatSettings(savedSettings_);
  }
  rtl::TFormatSettings& settings() { return rtl::FormatSettings(); }

  win::headless::HeadlessScope screen_;

 private:
  rtl::LCID savedLocale_ = rtl::GetThreadLocale();
  rtl::TFormatSettings savedSettings_ = rtl::FormatSettings();
};

const char* kindName(TcxDateTimeFormatItemKind kind) {
  static const char* const names[] = {"S", "Y", "M", "D", "H", "N", "Sec", "Z", "T", "/", ":"};
  return names[static_cast<int>(kind)];
}

// "D:DD / M:MM": each item as kind and text, blanks in texts as '_'.
std::string describe(const TcxDateTimeFormatInfo& info) {
  std::string out;
  for (int k = 0; k < info.ItemCount(); ++k) {
    if (k > 0) out += ' ';
    std::string data = rtl::StringToUtf8(info.Items(k)->Data);
    for (char& c : data) {
      if (c == ' ') c = '_';
    }
    const TcxDateTimeFormatItemKind kind = info.Items(k)->Kind;
    // Separators show as themselves.
    out += (kind == dtikDateSeparator || kind == dtikTimeSeparator)
               ? data
               : std::string(kindName(kind)) + ":" + data;
  }
  return out;
}

std::string parse(const char* format) {
  TcxDateTimeFormatInfo info;
  cxFormatController()->GetDateTimeFormatInfo(S(format), &info);
  return describe(info);
}

struct ParseCase {
  const char* format;
  const char* items;
};

TEST_F(FormatControllerTest, ParsesFormatStringsIntoItems) {
  // en-US run-time settings: short date M/d/yyyy, long time h:mm:ss AMPM.
  const ParseCase cases[] = {
      {"dd/mm/yyyy", "D:DD / M:MM / Y:YYYY"},
      {"hh:mm", "H:24HH : N:NN"},  // m after h is minutes
      {"h:nn AM/PM", "H:12H : N:NN S:_ T:AM/PM"},
      {"h:nn a/p", "H:12H : N:NN S:_ T:a/p"},
      {"h:nn", "H:24H : N:NN"},
      {"dd.mm.yyyy g", ""},  // eras are not supported
      {"yy", "Y:YY"},
      {"eeee", "Y:YYYY"},
      {"d 'de' mmmm \"x\"", "D:D S:_de_ M:MMMM S:_x"},
      {"mmmmmm", "M:MMMM"},
      {"aaaa aaa", "D:DDDD S:_"},    // the second day item is dropped: first wins
      {"dd A/P", "D:DD S:_"},        // a suffix without an hour goes
      {"hh:nn:ss.zzzz", "H:24HH : N:NN : Sec:SS S:. Z:ZZZ"},
      {"ddddd", "M:M / D:D / Y:YYYY"},  // the short date format
      {"t", "H:12H : N:NN S:_ T:AMPM"},  // the run-time short time format
      {"'unclosed", "S:unclosed"},
      {"ab", "S:ab"},
  };
  for (const ParseCase& c : cases) EXPECT_EQ(parse(c.format), c.items) << c.format;
}

TEST_F(FormatControllerTest, EmptyFormatMeansShortDateAndLongTime) {
  // The locale's long time format "h:mm:ss tt" reads as h:mm:ss AMPM.
  EXPECT_EQ(parse(""), "M:M / D:D / Y:YYYY S:_ H:12H : N:NN : Sec:SS S:_ T:AMPM");
  EXPECT_EQ(parse("C"), parse(""));
}

TEST_F(FormatControllerTest, NamedFormatsDoNotNestWithoutEnd) {
  // A short date format that names itself stops at the nesting limit.
  settings().ShortDateFormat = u"ddddd dd";
  EXPECT_EQ(parse("ddddd"), "S:_ D:DD");
  settings().ShortDateFormat = u"C";
  EXPECT_EQ(parse("C"), "S:__ H:12H : N:NN : Sec:SS S:_ T:AMPM");
}

TEST_F(FormatControllerTest, LocaleTimeDesignatorsBecomeRunTimeSuffixes) {
  TcxFormatController* controller = cxFormatController();
  EXPECT_EQ(controller->GetLongTimeFormat(), u"h:mm:ss AMPM");
  controller->SetUseCorvexDateTimeFormats(true);
  settings().LongTimeFormat = u"hh:nn:ss";
  EXPECT_EQ(controller->GetLongTimeFormat(), u"hh:nn:ss");
}

struct MaskCase {
  const char* format;
  TcxDateTimeEditMaskKind kind;
  const char* standard;
  const char* masked;
};

TEST_F(FormatControllerTest, BuildsStandardMasksAndMaskedFormats) {
  settings().TimeAMString = u"a.m.";
  settings().TimePMString = u"PM";
  const MaskCase cases[] = {
      {"dd/mm/yyyy", dtmkDate, "!99/99/9999;1; ", "dd/mm/yyyy"},
      {"hh:nn:ss", dtmkTime, "00:00:00;1;0", "hh:nn:ss"},
      {"hh:nn:ss", dtmkDateTime, "!99:99:99;1; ", "hh:nn:ss"},
      {"d mmm yy", dtmkDate, "!99\\ lll\\ 99;1; ", "dd' 'mmm' 'yy"},
      {"h:nn a/p", dtmkTime, "00:00\\ c;1;0", "hh:nn' 'a/p"},
      {"h:nn am/pm", dtmkTime, "00:00\\ cc;1;0", "hh:nn' 'am/pm"},
      {"h:nn ampm", dtmkTime, "00:00\\ cccc;1;0", "hh:nn' 'ampm"},  // "a.m." is the longer
      {"g", dtmkDate, "", ""},
  };
  for (const MaskCase& c : cases) {
    TcxDateTimeFormatInfo info;
    cxFormatController()->GetDateTimeFormatInfo(S(c.format), &info);
    EXPECT_EQ(TcxFormatController::InternalGetDateTimeEditStandardMask(&info, c.kind), S(c.standard))
        << c.format;
    EXPECT_EQ(TcxFormatController::InternalGetMaskedDateEditFormat(&info), S(c.masked)) << c.format;
  }
}

TEST_F(FormatControllerTest, FindsTheMaskZoneOfACaretPosition) {
  TcxDateTimeFormatInfo info;
  cxFormatController()->GetDateTimeFormatInfo(u"dd/mmm/yy hh", &info);
  // Zones: DD 1-2, / 3, MMM 4-6, / 7, YY 8-9, blank 10, HH 11-12.
  EXPECT_EQ(TcxFormatController::GetDateTimeStandardMaskStringLength(&info), 12);
  struct {
    int pos;
    bool found;
    TcxDateTimeFormatItemKind kind;
    int start, length;
  } const cases[] = {
      {0, false, dtikString, 0, 0},   {1, true, dtikDay, 1, 2},
      {2, true, dtikDay, 1, 2},       {3, true, dtikDateSeparator, 3, 1},
      {6, true, dtikMonth, 4, 3},     {9, true, dtikYear, 8, 2},
      {10, true, dtikString, 10, 1},  {12, true, dtikHour, 11, 2},
      {13, false, dtikString, 0, 0},
  };
  for (const auto& c : cases) {
    TcxDateTimeFormatItemInfo item;
    ASSERT_EQ(TcxFormatController::GetDateTimeFormatItemStandardMaskInfo(&info, c.pos, item), c.found)
        << c.pos;
    if (!c.found) continue;
    EXPECT_EQ(item.Kind, c.kind) << c.pos;
    EXPECT_EQ(item.ItemZoneStart, c.start) << c.pos;
    EXPECT_EQ(item.ItemZoneLength, c.length) << c.pos;
  }
  TcxDateTimeFormatInfo empty;
  TcxDateTimeFormatItemInfo item;
  EXPECT_FALSE(TcxFormatController::GetDateTimeFormatItemStandardMaskInfo(&empty, 1, item));
}

TEST_F(FormatControllerTest, TellsTheTimeSuffixKindOfItsZone) {
  struct {
    const char* format;
    TcxTimeSuffixKind kind;
  } const cases[] = {{"h a/p", tskAP}, {"h AM/PM", tskAMPM}, {"h ampm", tskAMPMString}};
  for (const auto& c : cases) {
    TcxDateTimeFormatInfo info;
    cxFormatController()->GetDateTimeFormatInfo(S(c.format), &info);
    TcxDateTimeFormatItemInfo item;
    ASSERT_TRUE(TcxFormatController::GetDateTimeFormatItemStandardMaskInfo(&info, 4, item));
    EXPECT_EQ(item.Kind, dtikTimeSuffix) << c.format;
    EXPECT_EQ(item.TimeSuffixKind, c.kind) << c.format;
  }
}

TEST_F(FormatControllerTest, BuildsRegularExpressionMasks) {
  settings().DateSeparator = u'-';
  const String months = u"('Jan'|'Feb'|'Mar'|'Apr'|'May'|'Jun'|'Jul'|'Aug'|'Sep'|'Oct'|'Nov'|'Dec')";
  TcxFormatController* controller = cxFormatController();
  EXPECT_EQ(controller->RegExprCustomDateEditMask(u"dd/mmm/yy"),
            u"([012]?[1-9]|[123]0|31)\\-((0?[1-9]|1[012])|" + months + u")\\-\\d\\d");
  // An hour item makes it a date-time mask; a blank separator is quoted.
  settings().TimeSeparator = u' ';
  EXPECT_EQ(controller->RegExprCustomDateEditMask(u"yyyy hh:nn a/p"),
            u"\\d\\d\\d\\d' '(0?[1-9]|1[012])' '[0-5]?\\d' '(A|P)?");
  // With no designators the locale's suffix adds nothing; with one, only it.
  settings().TimeAMString = u"";
  settings().TimePMString = u"";
  EXPECT_EQ(controller->RegExprCustomDateEditMask(u"hh ampm"), u"(0?[1-9]|1[012])' '");
  settings().TimePMString = u"pm";
  EXPECT_EQ(controller->RegExprCustomDateEditMask(u"hh ampm"), u"(0?[1-9]|1[012])' '('pm')?");
}

TEST_F(FormatControllerTest, DoublesSingleDayAndMonthLettersOfTheDateEditFormat) {
  struct {
    const char* shortDate;
    bool masked;
    const char* expected;
  } const cases[] = {
      {"d.M.yyyy", false, "dd.MM.yyyy"},
      {"dd/MM/yyyy", false, "dd/MM/yyyy"},
      {"d MMMM yyyy", false, "dd MMMM yyyy"},
      {"d MMMM yyyy", true, "dd MMM yyyy"},
      {"M/d/yy", true, "MM/dd/yy"},
  };
  for (const auto& c : cases) {
    settings().ShortDateFormat = S(c.shortDate);
    EXPECT_EQ(cxFormatController()->GetDateEditFormat(c.masked), S(c.expected)) << c.shortDate;
  }
}

TEST_F(FormatControllerTest, BuildsTheCurrencyFormatFromTheRunTimeSettings) {
  struct {
    const char* symbol;
    int decimals, positive, negative;
    const char* expected;
  } const cases[] = {
      {"€", 2, 3, 8, ",0.00 €;-,0.00 €"},
      {"R$", 2, 2, 9, "R$ ,0.00;-R$ ,0.00"},
      {"$", 0, 0, 0, "$,0.;($,0.)"},
      {"kr.", 1, 1, 15, ",0.0kr'.';(,0.0 kr'.')"},
      {"a,b", 3, 0, 14, "a','b,0.000;(a','b ,0.000)"},
      {"$", 2, 0, 11, "$,0.00;$ ,0.00-"},
  };
  for (const auto& c : cases) {
    settings().CurrencyString = S(c.symbol);
    settings().CurrencyDecimals = rtl::Byte(c.decimals);
    settings().CurrencyFormat = rtl::Byte(c.positive);
    settings().NegCurrFormat = rtl::Byte(c.negative);
    EXPECT_EQ(TcxFormatController::GetCurrencyFormat(), S(c.expected)) << c.symbol;
  }
}

TEST_F(FormatControllerTest, ComputesItsFormatsFromTheSettings) {
  settings().ShortDateFormat = u"dd/MM/yyyy";
  settings().LongTimeFormat = u"hh:nn:ss";
  TcxFormatController* controller = cxFormatController();
  controller->SetUseCorvexDateTimeFormats(true);
  EXPECT_EQ(controller->DateEditMask(), u"!99/99/9999;1; ");
  EXPECT_EQ(controller->StandardDateEditMask(), u"!99/99/9999;1; ");
  EXPECT_EQ(controller->StandardDateTimeEditMask(), u"!99/99/9999\\ 99:99:99;1; ");
  EXPECT_EQ(controller->MaskedDateEditFormat(), u"dd/mm/yyyy");
  EXPECT_EQ(controller->MaskedDateTimeEditFormat(), u"dd/mm/yyyy' 'hh:nn:ss");
  EXPECT_EQ(controller->DateEditFormat(), u"dd/MM/yyyy");
  // The smart words ride along in the regular-expression masks; "now" only
  // in the date-time one.
  EXPECT_TRUE(rtl::EndsStr(u"'eom')((\\+|-)\\d(\\d(\\d\\d?)?)?)?", controller->RegExprDateEditMask()));
  EXPECT_TRUE(rtl::EndsStr(u"'now')((\\+|-)\\d(\\d(\\d\\d?)?)?)?",
                           controller->RegExprDateTimeEditMask()));
  EXPECT_TRUE(rtl::StartsStr(u"(([012]?[1-9]|[123]0|31)", controller->RegExprDateTimeEditMask()));
}

// Records what it hears; the second kind also hears of time changes.
struct RecordingListener : IcxFormatControllerListener {
  void FormatChanged() override { heard.push_back("format"); }
  std::vector<std::string> heard;
};
struct TimeListener : RecordingListener, IcxFormatControllerListener2 {
  void TimeChanged() override { heard.push_back("time"); }
};

class FormatControllerMessages : public FormatControllerTest {
 protected:
  void SetUp() override {
    controller = cxFormatController();
    controller->AddListener(&formats);
    controller->AddListener(&times);
    controller->AddListener(&times);  // listed once
  }
  void broadcastSettingChange(const char16_t* area, win::WPARAM wParam = 0) {
    win::SendMessageW(win::HWND_BROADCAST, win::WM_SETTINGCHANGE, wParam,
                      reinterpret_cast<win::LPARAM>(area));
  }
  TcxFormatController* controller = nullptr;
  bool updateSwitch_ = ui::Application->UpdateFormatSettings();
  RecordingListener formats;
  TimeListener times;
};

TEST_F(FormatControllerMessages, RegionalSettingsChangeRecomputesAndTellsListeners) {
  EXPECT_EQ(controller->ListenerCount(), 2);
  rtl::SetThreadLocale(rtl::LOCALE_PT_BR);
  settings().ShortDateFormat = u"yyyy-MM-dd";  // the reload replaces this
  broadcastSettingChange(u"intl");
  EXPECT_EQ(formats.heard, std::vector<std::string>{"format"});
  EXPECT_EQ(times.heard, std::vector<std::string>{"format"});
  // The run-time settings were reloaded from the user's locale.
  EXPECT_NE(settings().ShortDateFormat, u"yyyy-MM-dd");
  EXPECT_EQ(controller->DateEditFormat(), controller->GetDateEditFormat(false));
}

TEST_F(FormatControllerMessages, WithoutAutomaticUpdatesOnlyTheLocalSettingsFollow) {
  ui::Application->SetUpdateFormatSettings(false);
  rtl::SetThreadLocale(rtl::LOCALE_PT_BR);
  settings().ShortDateFormat = u"yyyy-MM-dd";
  broadcastSettingChange(u"intl");
  ui::Application->SetUpdateFormatSettings(updateSwitch_);
  EXPECT_TRUE(formats.heard.empty());
  EXPECT_EQ(settings().ShortDateFormat, u"yyyy-MM-dd");  // the run-time settings stay
  EXPECT_EQ(controller->LocalFormatSettings().ShortDateFormat, u"dd/MM/yyyy");
  EXPECT_EQ(rtl::GetThreadLocale(), rtl::LOCALE_PT_BR);
}

// The library's copy of the run-time settings follows them wherever the
// controller recomputes, and keeps the run-time settings' own fields.
TEST_F(FormatControllerMessages, TheLibrarysSettingsCopyFollowsRecomputation) {
  TdxFormatSettings* copy = dxFormatSettings();
  const rtl::TFormatSettings& asRunTime = *copy;  // usable wherever run-time settings are
  settings().ShortDateFormat = u"yyyy-MM-dd";
  settings().DecimalSeparator = u'#';
  settings().LongMonthNames[0] = u"Primo";
  controller->FormatChanged();
  EXPECT_EQ(asRunTime.ShortDateFormat, u"yyyy-MM-dd");
  EXPECT_EQ(copy->DecimalSeparator, u'#');
  EXPECT_EQ(copy->LongMonthNames[0], u"Primo");
  EXPECT_EQ(rtl::FormatDateTime(u"mmmm", rtl::EncodeDate(2024, 1, 5), asRunTime), u"Primo");

  rtl::SetThreadLocale(rtl::LOCALE_PT_BR);
  broadcastSettingChange(u"intl");  // reloads the run-time settings
  EXPECT_NE(copy->ShortDateFormat, u"yyyy-MM-dd");
  EXPECT_EQ(copy->ShortDateFormat, settings().ShortDateFormat);
  EXPECT_EQ(copy->DecimalSeparator, settings().DecimalSeparator);
  EXPECT_EQ(copy->LongMonthNames, settings().LongMonthNames);

  // A new controller starts from the settings of its time.
  settings().TimeAMString = u"manha";
  cxFormatsUnitStop();
  EXPECT_EQ(dxFormatSettings()->TimeAMString, u"manha");
  controller = nullptr;
}

TEST_F(FormatControllerMessages, OtherSettingChangesAreIgnored) {
  broadcastSettingChange(u"Environment");
  broadcastSettingChange(u"intl", 1);
  broadcastSettingChange(nullptr);
  EXPECT_TRUE(formats.heard.empty());
  EXPECT_TRUE(times.heard.empty());
}

TEST_F(FormatControllerMessages, TimeChangeReachesOnlyTimeListeners) {
  win::SendMessageW(win::HWND_BROADCAST, win::WM_TIMECHANGE, 0, 0);
  EXPECT_TRUE(formats.heard.empty());
  EXPECT_EQ(times.heard, std::vector<std::string>{"time"});
}

TEST_F(FormatControllerMessages, RemovedListenersAndLockedControllersHearNothing) {
  controller->RemoveListener(&formats);
  controller->BeginUpdate();
  controller->FormatChanged();
  EXPECT_TRUE(times.heard.empty());
  controller->EndUpdate();  // the held change is made now
  EXPECT_EQ(times.heard, std::vector<std::string>{"format"});
  EXPECT_TRUE(formats.heard.empty());
  EXPECT_EQ(controller->ListenerCount(), 1);
}

TEST_F(FormatControllerMessages, AssignedValuesSurviveRecomputation) {
  controller->SetStandardDateEditMask(u"!00/00/0000;1;_");
  controller->SetCurrencyFormat(u"#,0.00");
  settings().ShortDateFormat = u"yyyy/MM/dd";
  controller->FormatChanged();
  EXPECT_EQ(controller->StandardDateEditMask(), u"!00/00/0000;1;_");
  EXPECT_EQ(controller->CurrencyFormat(), u"#,0.00");
  EXPECT_EQ(controller->DateEditMask(), u"!9999/99/99;1; ");
  controller->SetAssignedStandardDateEditMask(false);  // computed again at once
  EXPECT_EQ(controller->StandardDateEditMask(), u"!9999/99/99;1; ");
}

}  // namespace
}  // namespace core
