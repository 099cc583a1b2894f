#include "platform/rtl/formatsettings.h"

#include <atomic>
#include <cstdlib>
#include <string_view>

#include "platform/rtl/locale.h"
#include "platform/rtl/ustring.h"

namespace rtl {
namespace {

TFormatSettings makeEnUs() {
  TFormatSettings s;
  s.DecimalSeparator = u'.';
  s.ThousandSeparator = u',';
  s.DateSeparator = u'/';
  s.TimeSeparator = u':';
  s.ListSeparator = u',';
  s.CurrencyString = u"$";
  s.CurrencyFormat = 0;
  s.NegCurrFormat = 0;
  s.CurrencyDecimals = 2;
  s.ShortDateFormat = u"M/d/yyyy";
  s.LongDateFormat = u"dddd, MMMM d, yyyy";
  s.TimeAMString = u"AM";
  s.TimePMString = u"PM";
  s.ShortTimeFormat = u"h:mm AMPM";
  s.LongTimeFormat = u"h:mm:ss AMPM";
  s.ShortMonthNames = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                       u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  s.LongMonthNames = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                      u"July",    u"August",   u"September", u"October", u"November", u"December"};
  s.ShortDayNames = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  s.LongDayNames = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
  return s;
}

TFormatSettings makePtBr() {
  TFormatSettings s;
  s.DecimalSeparator = u',';
  s.ThousandSeparator = u'.';
  s.DateSeparator = u'/';
  s.TimeSeparator = u':';
  s.ListSeparator = u';';
  s.CurrencyString = u"R$";
  s.CurrencyFormat = 2;  // "R$ 1"
  s.NegCurrFormat = 9;   // "-R$ 1"
  s.CurrencyDecimals = 2;
  s.ShortDateFormat = u"dd/MM/yyyy";
  s.LongDateFormat = u"dddd, d' de 'MMMM' de 'yyyy";
  s.TimeAMString = u"";
  s.TimePMString = u"";
  s.ShortTimeFormat = u"hh:mm";
  s.LongTimeFormat = u"hh:mm:ss";
  s.ShortMonthNames = {u"jan", u"fev", u"mar", u"abr", u"mai", u"jun",
                       u"jul", u"ago", u"set", u"out", u"nov", u"dez"};
  s.LongMonthNames = {u"janeiro", u"fevereiro", u"mar\u00e7o", u"abril",   u"maio",     u"junho",
                      u"julho",   u"agosto",    u"setembro",   u"outubro", u"novembro", u"dezembro"};
  s.ShortDayNames = {u"dom", u"seg", u"ter", u"qua", u"qui", u"sex", u"s\u00e1b"};
  s.LongDayNames = {u"domingo",      u"segunda-feira", u"ter\u00e7a-feira", u"quarta-feira",
                    u"quinta-feira", u"sexta-feira",   u"s\u00e1bado"};
  return s;
}

LCID lcidFromName(std::string_view name) {
  // Accepts "pt-BR", "pt_BR", "pt_BR.UTF-8" and the like.
  if (name.size() >= 5 && (name.substr(0, 2) == "pt") && (name[2] == '-' || name[2] == '_') &&
      name.substr(3, 2) == "BR")
    return LOCALE_PT_BR;
  return LOCALE_EN_US;
}

LCID lcidFromEnvironment() {
  for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) return lcidFromName(value);
  }
  return LOCALE_EN_US;
}

std::atomic<LCID> threadLocale{0};

}  // namespace

TFormatSettings TFormatSettings::Create(LCID locale) {
  locale = ResolveLocale(locale);
  if (locale != LOCALE_PT_BR && locale != LOCALE_EN_US && IsBuiltInLocale(locale))
    return LocaleFormatSettings(locale);
  return locale == LOCALE_PT_BR ? makePtBr() : makeEnUs();
}

Integer TFormatSettings::GetEraYearOffset(StringView eraName) const {
  for (const TEraInfo& era : EraInfo)
    if (era.EraName == eraName) return era.EraOffset;
  return 0;
}

TFormatSettings TFormatSettings::Create(StringView localeName) {
  return Create(lcidFromName(StringToUtf8(localeName)));
}

TFormatSettings TFormatSettings::Invariant() {
  TFormatSettings s = makeEnUs();
  s.CurrencyString = u"\u00a4";
  s.ShortDateFormat = u"MM/dd/yyyy";
  s.LongDateFormat = u"dddd, dd MMMMM yyyy HH:mm:ss";
  s.ShortTimeFormat = u"hh:nn";
  s.LongTimeFormat = u"hh:nn:ss";
  return s;
}

TFormatSettings& FormatSettings() {
  static TFormatSettings settings = TFormatSettings::Create(GetThreadLocale());
  return settings;
}

void SetFormatSettings(const TFormatSettings& settings) { FormatSettings() = settings; }

LCID GetThreadLocale() {
  LCID l = threadLocale.load();
  if (l == 0) {
    l = lcidFromEnvironment();
    threadLocale.store(l);
  }
  return l;
}

void SetThreadLocale(LCID locale) { threadLocale.store(ResolveLocale(locale)); }

}  // namespace rtl
