#pragma once
// Number, date and currency conventions of a locale, as the platform's
// formatting routines take them. Tables are built in for the locales the
// program and its tests use (pt-BR 1046 and en-US 1033).
#include <array>
#include <vector>

#include "platform/rtl/types.h"

namespace rtl {

using LCID = std::uint32_t;
constexpr LCID LOCALE_EN_US = 1033;
constexpr LCID LOCALE_PT_BR = 1046;

// One era of the locale's calendar: year = era year + EraOffset.
struct TEraInfo {
  String EraName;
  Integer EraOffset = 0;
  TDateTime EraStart = 0;
  TDateTime EraEnd = 0;
};

struct TFormatSettings {
  Char DecimalSeparator = u'.';
  Char ThousandSeparator = u',';
  Char DateSeparator = u'/';
  Char TimeSeparator = u':';
  Char ListSeparator = u',';
  String CurrencyString;
  Byte CurrencyFormat = 0;   // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  Byte NegCurrFormat = 0;    // the platform's 0..15 table
  Byte CurrencyDecimals = 2;
  String ShortDateFormat;
  String LongDateFormat;
  String TimeAMString;
  String TimePMString;
  String ShortTimeFormat;
  String LongTimeFormat;
  std::array<String, 12> ShortMonthNames;
  std::array<String, 12> LongMonthNames;
  std::array<String, 7> ShortDayNames;  // Sunday first
  std::array<String, 7> LongDayNames;   // Sunday first
  Word TwoDigitYearCenturyWindow = 50;
  std::vector<TEraInfo> EraInfo;  // empty for calendars without eras

  // The offset of the era named `eraName` (exact match); 0 when none is.
  Integer GetEraYearOffset(StringView eraName) const;

  // Settings of a built-in locale (see platform/rtl/locale.h); an unknown
  // LCID gives en-US.
  static TFormatSettings Create(LCID locale);
  // "pt-BR", "pt_BR", "en-US"...; unknown names give en-US.
  static TFormatSettings Create(StringView localeName);
  // Culture-independent settings ('.' decimal, "MM/dd/yyyy", "hh:nn:ss").
  static TFormatSettings Invariant();
};

// The process-wide settings used by the routines that take none. They start
// from the locale named by LC_ALL, LC_TIME or LANG (pt_BR or en_US; anything
// else is en-US); the main thread may replace them before starting workers.
TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);
LCID GetThreadLocale();
void SetThreadLocale(LCID locale);

}  // namespace rtl
