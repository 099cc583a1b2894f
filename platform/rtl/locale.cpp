#include "platform/rtl/locale.h"

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace rtl {
namespace {

// ---- built-in tables -----------------------------------------------------------------------

// Formats and names that belong to one calendar as a locale shows it.
struct CalendarFormats {
  CALID id = CAL_GREGORIAN;
  const char16_t* shortDate = nullptr;  // null: the locale's own
  const char16_t* longDate = nullptr;
  const char16_t* yearMonth = nullptr;
  const std::array<const char16_t*, 13>* monthNames = nullptr;  // null: the locale's
  const std::array<const char16_t*, 13>* abbrevMonthNames = nullptr;
};

struct LocaleData {
  LCID id;
  const char16_t* name;
  const char16_t* list;
  const char16_t* decimal;
  const char16_t* thousand;
  const char16_t* currency;
  int currDigits;
  int currencyFormat;
  int negCurr;
  const char16_t* dateSep;
  const char16_t* timeSep;
  const char16_t* shortDate;
  const char16_t* longDate;
  const char16_t* timeFormat;
  const char16_t* shortTime;
  const char16_t* yearMonth;
  const char16_t* am;
  const char16_t* pm;
  int dateOrder;
  int firstDayOfWeek;  // 0 Monday .. 6 Sunday
  int firstWeekOfYear;
  std::array<const char16_t*, 7> dayNames;  // Sunday first
  std::array<const char16_t*, 7> abbrevDayNames;
  std::array<const char16_t*, 7> shortestDayNames;
  std::array<const char16_t*, 13> monthNames;
  std::array<const char16_t*, 13> abbrevMonthNames;
  const char16_t* gregorianEra;
  CalendarFormats calendar;          // the default calendar
  CalendarFormats optionalCalendar;  // id 0: none
};

const std::array<const char16_t*, 13> kHijriMonths = {
    u"محرم",        u"صفر",         u"ربيع الأول", u"ربيع الثاني", u"جمادى الأولى",
    u"جمادى الثانية", u"رجب",         u"شعبان",      u"رمضان",      u"شوال",
    u"ذو القعدة",    u"ذو الحجة",     u""};
// Month 6 of a common year is Adar; a leap year has Adar I and Adar II as
// months 6 and 7 (see hebrewMonthName).
const std::array<const char16_t*, 13> kHebrewMonths = {
    u"תשרי", u"חשון", u"כסלו", u"טבת", u"שבט", u"אדר א", u"אדר ב",
    u"ניסן", u"אייר", u"סיון", u"תמוז", u"אב",   u"אלול"};

const LocaleData kLocales[] = {
    {LOCALE_EN_US, u"en-US", u",", u".", u",", u"$", 2, 0, 0, u"/", u":", u"M/d/yyyy",
     u"dddd, MMMM d, yyyy", u"h:mm:ss tt", u"h:mm tt", u"MMMM yyyy", u"AM", u"PM", 0, 6, 0,
     {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"},
     {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"},
     {u"Su", u"Mo", u"Tu", u"We", u"Th", u"Fr", u"Sa"},
     {u"January", u"February", u"March", u"April", u"May", u"June", u"July", u"August",
      u"September", u"October", u"November", u"December", u""},
     {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov",
      u"Dec", u""},
     u"A.D.", {CAL_GREGORIAN}, {0}},
    {LOCALE_PT_BR, u"pt-BR", u";", u",", u".", u"R$", 2, 2, 9, u"/", u":", u"dd/MM/yyyy",
     u"dddd, d' de 'MMMM' de 'yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM' de 'yyyy", u"", u"", 1, 6, 0,
     {u"domingo", u"segunda-feira", u"terça-feira", u"quarta-feira", u"quinta-feira",
      u"sexta-feira", u"sábado"},
     {u"dom", u"seg", u"ter", u"qua", u"qui", u"sex", u"sáb"},
     {u"D", u"S", u"T", u"Q", u"Q", u"S", u"S"},
     {u"janeiro", u"fevereiro", u"março", u"abril", u"maio", u"junho", u"julho", u"agosto",
      u"setembro", u"outubro", u"novembro", u"dezembro", u""},
     {u"jan", u"fev", u"mar", u"abr", u"mai", u"jun", u"jul", u"ago", u"set", u"out", u"nov",
      u"dez", u""},
     u"d.C.", {CAL_GREGORIAN}, {0}},
    {LOCALE_JA_JP, u"ja-JP", u",", u".", u",", u"¥", 0, 0, 1, u"/", u":", u"yyyy/MM/dd",
     u"yyyy'年'M'月'd'日'", u"H:mm:ss", u"H:mm", u"yyyy'年'M'月'", u"午前", u"午後", 2, 6, 0,
     {u"日曜日", u"月曜日", u"火曜日", u"水曜日", u"木曜日", u"金曜日", u"土曜日"},
     {u"日", u"月", u"火", u"水", u"木", u"金", u"土"},
     {u"日", u"月", u"火", u"水", u"木", u"金", u"土"},
     {u"1月", u"2月", u"3月", u"4月", u"5月", u"6月", u"7月", u"8月", u"9月", u"10月", u"11月",
      u"12月", u""},
     {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10", u"11", u"12", u""},
     u"西暦", {CAL_GREGORIAN},
     {CAL_JAPAN, u"gg y/M/d", u"gg y'年'M'月'd'日'", u"gg y'年'M'月'"}},
    {LOCALE_ZH_TW, u"zh-TW", u",", u".", u",", u"NT$", 2, 0, 1, u"/", u":", u"yyyy/M/d",
     u"yyyy'年'M'月'd'日'", u"tt hh:mm:ss", u"tt hh:mm", u"yyyy'年'M'月'", u"上午", u"下午", 2, 6,
     0,
     {u"星期日", u"星期一", u"星期二", u"星期三", u"星期四", u"星期五", u"星期六"},
     {u"週日", u"週一", u"週二", u"週三", u"週四", u"週五", u"週六"},
     {u"日", u"一", u"二", u"三", u"四", u"五", u"六"},
     {u"一月", u"二月", u"三月", u"四月", u"五月", u"六月", u"七月", u"八月", u"九月", u"十月",
      u"十一月", u"十二月", u""},
     {u"一月", u"二月", u"三月", u"四月", u"五月", u"六月", u"七月", u"八月", u"九月", u"十月",
      u"十一月", u"十二月", u""},
     u"西元", {CAL_GREGORIAN},
     {CAL_TAIWAN, u"gg y/M/d", u"gg y'年'M'月'd'日'", u"gg y'年'M'月'"}},
    {LOCALE_KO_KR, u"ko-KR", u",", u".", u",", u"₩", 0, 0, 1, u"-", u":", u"yyyy-MM-dd",
     u"yyyy'년' M'월' d'일' dddd", u"tt h:mm:ss", u"tt h:mm", u"yyyy'년' M'월'", u"오전",
     u"오후", 2, 6, 0,
     {u"일요일", u"월요일", u"화요일", u"수요일", u"목요일", u"금요일", u"토요일"},
     {u"일", u"월", u"화", u"수", u"목", u"금", u"토"},
     {u"일", u"월", u"화", u"수", u"목", u"금", u"토"},
     {u"1월", u"2월", u"3월", u"4월", u"5월", u"6월", u"7월", u"8월", u"9월", u"10월", u"11월",
      u"12월", u""},
     {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10", u"11", u"12", u""},
     u"서기", {CAL_GREGORIAN},
     {CAL_KOREA, u"gg yyyy-MM-dd", u"gg yyyy'년' M'월' d'일' dddd", u"gg yyyy'년' M'월'"}},
    {LOCALE_TH_TH, u"th-TH", u",", u".", u",", u"฿", 2, 0, 1, u"/", u":", u"d/M/yyyy",
     u"d MMMM yyyy", u"H:mm:ss", u"H:mm", u"MMMM yyyy", u"AM", u"PM", 1, 0, 0,
     {u"อาทิตย์", u"จันทร์", u"อังคาร", u"พุธ", u"พฤหัสบดี", u"ศุกร์", u"เสาร์"},
     {u"อา.", u"จ.", u"อ.", u"พ.", u"พฤ.", u"ศ.", u"ส."},
     {u"อา", u"จ", u"อ", u"พ", u"พฤ", u"ศ", u"ส"},
     {u"มกราคม", u"กุมภาพันธ์", u"มีนาคม", u"เมษายน", u"พฤษภาคม", u"มิถุนายน", u"กรกฎาคม",
      u"สิงหาคม", u"กันยายน", u"ตุลาคม", u"พฤศจิกายน", u"ธันวาคม", u""},
     {u"ม.ค.", u"ก.พ.", u"มี.ค.", u"เม.ย.", u"พ.ค.", u"มิ.ย.", u"ก.ค.", u"ส.ค.", u"ก.ย.", u"ต.ค.",
      u"พ.ย.", u"ธ.ค.", u""},
     u"ค.ศ.", {CAL_THAI}, {CAL_GREGORIAN}},
    {LOCALE_AR_SA, u"ar-SA", u";", u".", u",", u"ر.س.‏", 2, 2, 3, u"/", u":", u"dd/MM/yy",
     u"dd/MMMM/yyyy", u"hh:mm:ss tt", u"hh:mm tt", u"MMMM, yyyy", u"ص", u"م", 1, 6, 0,
     {u"الأحد", u"الإثنين", u"الثلاثاء", u"الأربعاء", u"الخميس", u"الجمعة", u"السبت"},
     {u"الأحد", u"الإثنين", u"الثلاثاء", u"الأربعاء", u"الخميس", u"الجمعة", u"السبت"},
     {u"ح", u"ن", u"ث", u"ر", u"خ", u"ج", u"س"},
     {u"يناير", u"فبراير", u"مارس", u"أبريل", u"مايو", u"يونيو", u"يوليو", u"أغسطس", u"سبتمبر",
      u"أكتوبر", u"نوفمبر", u"ديسمبر", u""},
     {u"يناير", u"فبراير", u"مارس", u"أبريل", u"مايو", u"يونيو", u"يوليو", u"أغسطس", u"سبتمبر",
      u"أكتوبر", u"نوفمبر", u"ديسمبر", u""},
     u"م", {CAL_HIJRI, nullptr, nullptr, nullptr, &kHijriMonths, &kHijriMonths},
     {CAL_GREGORIAN}},
    {LOCALE_HE_IL, u"he-IL", u",", u".", u",", u"₪", 2, 2, 2, u"/", u":", u"dd/MM/yyyy",
     u"dddd dd MMMM yyyy", u"HH:mm:ss", u"HH:mm", u"MMMM yyyy", u"AM", u"PM", 1, 6, 0,
     {u"יום ראשון", u"יום שני", u"יום שלישי", u"יום רביעי", u"יום חמישי", u"יום שישי", u"שבת"},
     {u"יום א", u"יום ב", u"יום ג", u"יום ד", u"יום ה", u"יום ו", u"שבת"},
     {u"א", u"ב", u"ג", u"ד", u"ה", u"ו", u"ש"},
     {u"ינואר", u"פברואר", u"מרץ", u"אפריל", u"מאי", u"יוני", u"יולי", u"אוגוסט", u"ספטמבר",
      u"אוקטובר", u"נובמבר", u"דצמבר", u""},
     {u"ינו", u"פבר", u"מרץ", u"אפר", u"מאי", u"יונ", u"יול", u"אוג", u"ספט", u"אוק", u"נוב",
      u"דצמ", u""},
     u"לספירה", {CAL_GREGORIAN},
     {CAL_HEBREW, u"dd/MM/yyyy", u"dddd dd MMMM yyyy", u"MMMM yyyy", &kHebrewMonths,
      &kHebrewMonths}},
};

const LocaleData* findLocale(LCID id) {
  for (const LocaleData& l : kLocales)
    if (l.id == id) return &l;
  return nullptr;
}

// ---- eras ----------------------------------------------------------------------------------

struct EraRow {
  int era;
  int y, m, d;
  int offset;
  const char16_t* name;
  const char16_t* abbrev;
};
const EraRow kJapaneseEras[] = {{1, 1868, 9, 8, 1867, u"明治", u"明"},
                                {2, 1912, 7, 30, 1911, u"大正", u"大"},
                                {3, 1926, 12, 25, 1925, u"昭和", u"昭"},
                                {4, 1989, 1, 8, 1988, u"平成", u"平"},
                                {5, 2019, 5, 1, 2018, u"令和", u"令"}};
const EraRow kTaiwanEras[] = {{1, 1912, 1, 1, 1911, u"中華民國", u"中華民國"}};
const EraRow kKoreanEras[] = {{1, 1, 1, 1, -2333, u"단기", u"단기"}};
const EraRow kThaiEras[] = {{1, 1, 1, 1, -543, u"พ.ศ.", u"พ.ศ."}};

template <std::size_t N>
std::vector<TLocaleEra> toEras(const EraRow (&rows)[N]) {
  std::vector<TLocaleEra> out;
  for (const EraRow& r : rows) {
    TDateTime start = 0;
    TryEncodeDate(Word(r.y), Word(r.m), Word(r.d), start);
    out.push_back({r.era, start, r.offset, r.name, r.abbrev});
  }
  return out;
}

bool isGregorianFamily(CALID c) { return c == CAL_GREGORIAN || c == CAL_GREGORIAN_US || (c >= 9 && c <= 12); }
bool isEraCalendar(CALID c) { return c == CAL_JAPAN || c == CAL_TAIWAN || c == CAL_KOREA || c == CAL_THAI; }
bool isKnownCalendar(CALID c) { return c >= 1 && c <= 12; }

// ---- lunar arithmetic ----------------------------------------------------------------------

// 0001-01-01 as a TDateTime.
constexpr Integer kDayOne = -693593;

// Tabular Hijri: 1 Muharram 1 is day 227014 counted from 0001-01-01 = 1.
constexpr Integer kHijriEpochOffset = 227013;
constexpr int kHijriLeap[] = {2, 5, 7, 10, 13, 15, 18, 21, 24, 26, 29};

int hijriLeapsBefore(int yearInCycle) {  // leap years among 1 .. yearInCycle
  int n = 0;
  for (int y : kHijriLeap)
    if (y <= yearInCycle) ++n;
  return n;
}

int hijriDaysInMonth(int year, int month) {
  if (month == 12 && IsHijriLeapYear(year)) return 30;
  return month % 2 == 1 ? 30 : 29;
}

Integer hijriNewYear(int year) {
  return kDayOne + kHijriEpochOffset + 354 * (year - 1) + 11 * ((year - 1) / 30) +
         hijriLeapsBefore((year - 1) % 30);
}

// Hebrew: days from the calendar's epoch to 1 Tishrei, by the molad and the
// postponement rules.
Int64 hebrewElapsedDays(Int64 year) {
  const Int64 monthsElapsed =
      235 * ((year - 1) / 19) + 12 * ((year - 1) % 19) + (7 * ((year - 1) % 19) + 1) / 19;
  const Int64 partsElapsed = 204 + 793 * (monthsElapsed % 1080);
  const Int64 hoursElapsed =
      5 + 12 * monthsElapsed + 793 * (monthsElapsed / 1080) + partsElapsed / 1080;
  const Int64 conjunctionDay = 1 + 29 * monthsElapsed + hoursElapsed / 24;
  const Int64 conjunctionParts = 1080 * (hoursElapsed % 24) + partsElapsed % 1080;
  Int64 day = conjunctionDay;
  if (conjunctionParts >= 19440 ||
      (conjunctionDay % 7 == 2 && conjunctionParts >= 9924 && !IsHebrewLeapYear(Integer(year))) ||
      (conjunctionDay % 7 == 1 && conjunctionParts >= 16789 && IsHebrewLeapYear(Integer(year - 1))))
    day = conjunctionDay + 1;
  if (day % 7 == 0 || day % 7 == 3 || day % 7 == 5) ++day;
  return day;
}

// 1 Tishrei of year 1 falls on day -1373428 counted from 0001-01-01 = 1.
constexpr Int64 kHebrewEpoch = -1373429;

// ---- thread error and user state --------------------------------------------------------

thread_local LongWord lastError = 0;

int fail(LongWord reason) {
  lastError = reason;
  return 0;
}

struct UserState {
  std::mutex mutex;
  LCID userDefault = 0;
  std::map<std::pair<LCID, LCTYPE>, String> overrides;
  std::map<CALID, Integer> twoDigitYearMax;
};

UserState& userState() {
  static UserState s;
  return s;
}

LCID environmentLocale() {
  for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) {
      const std::string_view v(value);
      if (v.size() >= 5 && v.substr(0, 2) == "pt" && (v[2] == '-' || v[2] == '_') && v.substr(3, 2) == "BR")
        return LOCALE_PT_BR;
      return LOCALE_EN_US;
    }
  }
  return LOCALE_EN_US;
}

bool readOverride(LCID locale, LCTYPE item, String& value) {
  UserState& s = userState();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto it = s.overrides.find({locale, item});
  if (it == s.overrides.end()) return false;
  value = it->second;
  return true;
}

String intText(Int64 v) { return Utf8ToString(std::to_string(v)); }

bool parseInt(StringView text, Integer& value) {
  if (text.empty()) return false;
  Int64 v = 0;
  for (Char c : text) {
    if (c < u'0' || c > u'9') return false;
    v = v * 10 + (c - u'0');
    if (v > 0x7FFFFFFF) return false;
  }
  value = Integer(v);
  return true;
}

// ---- item lookup ------------------------------------------------------------------------

CALID currentCalendar(const LocaleData& l, bool useOverride) {
  String v;
  Integer n = 0;
  if (useOverride && readOverride(l.id, LOCALE_ICALENDARTYPE, v) && parseInt(v, n) &&
      isKnownCalendar(CALID(n)))
    return CALID(n);
  return l.calendar.id;
}

const CalendarFormats* calendarFormats(const LocaleData& l, CALID c) {
  if (l.calendar.id == c) return &l.calendar;
  if (l.optionalCalendar.id == c) return &l.optionalCalendar;
  return nullptr;
}

// Sunday-first index of the item's Monday-first number.
int sundayFirst(int mondayFirst) { return (mondayFirst + 1) % 7; }

bool isNumericItem(LCTYPE item) {
  switch (item) {
    case LOCALE_ILANGUAGE: case LOCALE_ICURRDIGITS: case LOCALE_ICURRENCY: case LOCALE_INEGCURR:
    case LOCALE_IDATE: case LOCALE_ICALENDARTYPE: case LOCALE_IOPTIONALCALENDAR:
    case LOCALE_IFIRSTDAYOFWEEK: case LOCALE_IFIRSTWEEKOFYEAR:
      return true;
    default:
      return false;
  }
}

bool baseItem(const LocaleData& l, LCTYPE item, bool useOverride, String& out) {
  const CALID cal = currentCalendar(l, useOverride);
  const CalendarFormats* cf = calendarFormats(l, cal);
  auto pick = [&](const char16_t* calendarValue, const char16_t* own) {
    return String(cf && calendarValue ? calendarValue : own);
  };
  if (item >= LOCALE_SDAYNAME1 && item <= LOCALE_SDAYNAME7) {
    out = l.dayNames[sundayFirst(int(item - LOCALE_SDAYNAME1))];
    return true;
  }
  if (item >= LOCALE_SABBREVDAYNAME1 && item <= LOCALE_SABBREVDAYNAME7) {
    out = l.abbrevDayNames[sundayFirst(int(item - LOCALE_SABBREVDAYNAME1))];
    return true;
  }
  if (item >= LOCALE_SSHORTESTDAYNAME1 && item <= LOCALE_SSHORTESTDAYNAME7) {
    out = l.shortestDayNames[sundayFirst(int(item - LOCALE_SSHORTESTDAYNAME1))];
    return true;
  }
  if (item >= LOCALE_SMONTHNAME1 && item <= LOCALE_SMONTHNAME12) {
    out = l.monthNames[item - LOCALE_SMONTHNAME1];
    return true;
  }
  if (item >= LOCALE_SABBREVMONTHNAME1 && item <= LOCALE_SABBREVMONTHNAME12) {
    out = l.abbrevMonthNames[item - LOCALE_SABBREVMONTHNAME1];
    return true;
  }
  switch (item) {
    case LOCALE_ILANGUAGE: out = intText(l.id); return true;
    case LOCALE_SNAME: out = l.name; return true;
    case LOCALE_SLIST: out = l.list; return true;
    case LOCALE_SDECIMAL: out = l.decimal; return true;
    case LOCALE_STHOUSAND: out = l.thousand; return true;
    case LOCALE_SCURRENCY: out = l.currency; return true;
    case LOCALE_ICURRDIGITS: out = intText(l.currDigits); return true;
    case LOCALE_ICURRENCY: out = intText(l.currencyFormat); return true;
    case LOCALE_INEGCURR: out = intText(l.negCurr); return true;
    case LOCALE_SDATE: out = l.dateSep; return true;
    case LOCALE_STIME: out = l.timeSep; return true;
    case LOCALE_SSHORTDATE: out = pick(cf ? cf->shortDate : nullptr, l.shortDate); return true;
    case LOCALE_SLONGDATE: out = pick(cf ? cf->longDate : nullptr, l.longDate); return true;
    case LOCALE_SYEARMONTH: out = pick(cf ? cf->yearMonth : nullptr, l.yearMonth); return true;
    case LOCALE_STIMEFORMAT: out = l.timeFormat; return true;
    case LOCALE_SSHORTTIME: out = l.shortTime; return true;
    case LOCALE_S1159: out = l.am; return true;
    case LOCALE_S2359: out = l.pm; return true;
    case LOCALE_IDATE: out = intText(l.dateOrder); return true;
    case LOCALE_ICALENDARTYPE: out = intText(cal); return true;
    case LOCALE_IOPTIONALCALENDAR:
      out = intText(l.optionalCalendar.id ? l.optionalCalendar.id : l.calendar.id);
      return true;
    case LOCALE_IFIRSTDAYOFWEEK: out = intText(l.firstDayOfWeek); return true;
    case LOCALE_IFIRSTWEEKOFYEAR: out = intText(l.firstWeekOfYear); return true;
    case LOCALE_SMONTHNAME13: case LOCALE_SABBREVMONTHNAME13: out.clear(); return true;
    default: return false;
  }
}

bool localeItem(LCID locale, LCTYPE item, String& out) {
  const bool useOverride = (item & LOCALE_NOUSEROVERRIDE) == 0;
  const LCTYPE bare = item & ~(LOCALE_NOUSEROVERRIDE | LOCALE_RETURN_NUMBER);
  const LocaleData* l = findLocale(ResolveLocale(locale));
  if (!l) return false;
  if (useOverride && bare != LOCALE_ICALENDARTYPE && readOverride(l->id, bare, out)) return true;
  return baseItem(*l, bare, useOverride, out);
}

int writeText(const String& text, Char* data, int cchData) {
  const int need = int(text.size()) + 1;
  if (cchData == 0) return need;
  if (!data || cchData < need) return fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(data, text.data(), text.size() * sizeof(Char));
  data[text.size()] = 0;
  return need;
}

int writeNumber(LongWord value, Char* data, int cchData) {
  constexpr int kChars = int(sizeof(LongWord) / sizeof(Char));
  if (cchData == 0) return kChars;
  if (!data || cchData < kChars) return fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(data, &value, sizeof value);
  return kChars;
}

// ---- calendar items -----------------------------------------------------------------------

Integer defaultTwoDigitYearMax(CALID c) {
  switch (c) {
    case CAL_JAPAN: case CAL_TAIWAN: return 99;
    case CAL_KOREA: return 4382;
    case CAL_THAI: return 2592;
    case CAL_HIJRI: return 1451;
    case CAL_HEBREW: return 5810;
    default: return 2049;
  }
}

Integer twoDigitYearMax(CALID c, bool useOverride) {
  if (useOverride) {
    UserState& s = userState();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.twoDigitYearMax.find(c);
    if (it != s.twoDigitYearMax.end()) return it->second;
  }
  return defaultTwoDigitYearMax(c);
}

const char16_t* calendarName(CALID c) {
  static const char16_t* const kNames[] = {
      u"Gregorian Calendar", u"Gregorian Calendar (English)", u"Japanese Calendar",
      u"Taiwan Calendar", u"Korean Calendar", u"Hijri Calendar", u"Thai Buddhist Calendar",
      u"Hebrew Calendar", u"Gregorian Calendar (Middle East French)",
      u"Gregorian Calendar (Arabic)", u"Gregorian Calendar (Transliterated English)",
      u"Gregorian Calendar (Transliterated French)"};
  return isKnownCalendar(c) ? kNames[c - 1] : u"";
}

// Month name of a calendar month as the locale writes it.
String monthName(const LocaleData& l, CALID cal, int year, int month, bool abbrev) {
  const CalendarFormats* cf = calendarFormats(l, cal);
  if (cal == CAL_HEBREW) {
    // The table lists Adar I and Adar II; a common year has one Adar and its
    // later months sit one place earlier.
    const bool leap = IsHebrewLeapYear(year);
    if (!leap && month == 6) return u"אדר";
    const int index = (!leap && month >= 7) ? month : month - 1;
    return (*(cf && cf->monthNames ? cf->monthNames : &kHebrewMonths))[std::size_t(index)];
  }
  if (cal == CAL_HIJRI) return kHijriMonths[std::size_t(month - 1)];
  if (cf && (abbrev ? cf->abbrevMonthNames : cf->monthNames))
    return (*(abbrev ? cf->abbrevMonthNames : cf->monthNames))[std::size_t(month - 1)];
  return abbrev ? l.abbrevMonthNames[std::size_t(month - 1)] : l.monthNames[std::size_t(month - 1)];
}

bool calendarItem(const LocaleData& l, CALID cal, CALTYPE item, bool useOverride, String& out,
                  Integer& number, bool& isNumber) {
  isNumber = false;
  if (item >= CAL_SDAYNAME1 && item < CAL_SDAYNAME1 + 7) {
    out = l.dayNames[sundayFirst(int(item - CAL_SDAYNAME1))];
    return true;
  }
  if (item >= CAL_SABBREVDAYNAME1 && item < CAL_SABBREVDAYNAME1 + 7) {
    out = l.abbrevDayNames[sundayFirst(int(item - CAL_SABBREVDAYNAME1))];
    return true;
  }
  if (item >= CAL_SSHORTESTDAYNAME1 && item < CAL_SSHORTESTDAYNAME1 + 7) {
    out = l.shortestDayNames[sundayFirst(int(item - CAL_SSHORTESTDAYNAME1))];
    return true;
  }
  const CalendarFormats* cf = calendarFormats(l, cal);
  if (item >= CAL_SMONTHNAME1 && item <= CAL_SMONTHNAME13) {
    const int m = int(item - CAL_SMONTHNAME1) + 1;
    if (cal == CAL_HEBREW) out = kHebrewMonths[std::size_t(m - 1)];
    else out = m == 13 ? String() : monthName(l, cal, 1, m, false);
    return true;
  }
  if (item >= CAL_SABBREVMONTHNAME1 && item <= CAL_SABBREVMONTHNAME13) {
    const int m = int(item - CAL_SABBREVMONTHNAME1) + 1;
    if (cal == CAL_HEBREW) out = kHebrewMonths[std::size_t(m - 1)];
    else out = m == 13 ? String() : monthName(l, cal, 1, m, true);
    return true;
  }
  switch (item) {
    case CAL_ICALINTVALUE: isNumber = true; number = Integer(cal); out = intText(cal); return true;
    case CAL_SCALNAME: out = calendarName(cal); return true;
    case CAL_SERASTRING:
    case CAL_SABBREVERASTRING: {
      if (isEraCalendar(cal)) {
        auto eras = GetCalendarEras(cal);
        out = item == CAL_SERASTRING ? eras.back().Name : eras.back().AbbrevName;
      } else if (cal == CAL_HIJRI) {
        out = u"بعد الهجرة";
      } else if (cal == CAL_HEBREW) {
        out.clear();
      } else {
        out = l.gregorianEra;
      }
      return true;
    }
    case CAL_SSHORTDATE: out = cf && cf->shortDate ? cf->shortDate : l.shortDate; return true;
    case CAL_SLONGDATE: out = cf && cf->longDate ? cf->longDate : l.longDate; return true;
    case CAL_SYEARMONTH: out = cf && cf->yearMonth ? cf->yearMonth : l.yearMonth; return true;
    case CAL_ITWODIGITYEARMAX:
      isNumber = true;
      number = twoDigitYearMax(cal, useOverride);
      out = intText(number);
      return true;
    default: return false;
  }
}

// ---- the picture language -----------------------------------------------------------------

String padded(Int64 v, int digits) {
  String s = intText(v < 0 ? -v : v);
  while (int(s.size()) < digits) s.insert(s.begin(), u'0');
  return v < 0 ? u"-" + s : s;
}

int runLength(StringView f, std::size_t i) {
  std::size_t j = i;
  while (j < f.size() && f[j] == f[i]) ++j;
  return int(j - i);
}

// Copies a quoted literal starting at f[i] == '\''; '' is one quote.
std::size_t quoted(StringView f, std::size_t i, String& out) {
  ++i;
  while (i < f.size()) {
    if (f[i] == u'\'') {
      if (i + 1 < f.size() && f[i + 1] == u'\'') {
        out += u'\'';
        i += 2;
        continue;
      }
      return i + 1;
    }
    out += f[i++];
  }
  return i;
}

bool validSystemDate(const SYSTEMTIME& t) {
  return t.wYear >= 1 && t.wYear <= 9999 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= DaysInAMonth(t.wYear, t.wMonth);
}

bool validSystemTime(const SYSTEMTIME& t) {
  return t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

bool formatDate(const LocaleData& l, CALID cal, const SYSTEMTIME& t, StringView f, String& out) {
  TLocaleCalendarDate cd;
  if (!GregorianToCalendarDate(cal, t.wYear, t.wMonth, t.wDay, cd)) return false;
  std::vector<TLocaleEra> eras = GetCalendarEras(cal);
  TDateTime date = 0;
  TryEncodeDate(t.wYear, t.wMonth, t.wDay, date);
  const int weekday = DayOfWeek(date) - 1;  // 0 = Sunday
  const bool hasEras = !eras.empty();
  out.clear();
  std::size_t i = 0;
  while (i < f.size()) {
    const Char c = f[i];
    if (c == u'\'' && i + 1 < f.size() && f[i + 1] == u'\'') {
      out += c;
      i += 2;
      continue;
    }
    if (c == u'\'') {
      i = quoted(f, i, out);
      continue;
    }
    if (c == u'd' || c == u'M' || c == u'y' || c == u'g') {
      const int n = runLength(f, i);
      i += std::size_t(n);
      switch (c) {
        case u'd':
          if (n == 1) out += intText(cd.Day);
          else if (n == 2) out += padded(cd.Day, 2);
          else if (n == 3) out += l.abbrevDayNames[std::size_t(weekday)];
          else out += l.dayNames[std::size_t(weekday)];
          break;
        case u'M':
          if (n == 1) out += intText(cd.Month);
          else if (n == 2) out += padded(cd.Month, 2);
          else out += monthName(l, cal, cd.Year, cd.Month, n == 3);
          break;
        case u'y':
          // Era years are written as they are; Gregorian years keep the
          // century rules of the picture.
          if (n <= 2) out += n == 1 && !hasEras ? intText(cd.Year % 100) : padded(cd.Year % 100, n);
          else out += hasEras ? intText(cd.Year) : padded(cd.Year, 4);
          break;
        default: {  // g, gg: the era name
          String era;
          if (hasEras) era = eras[std::size_t(cd.Era)].Name;
          else {
            Integer number = 0;
            bool isNumber = false;
            calendarItem(l, cal, CAL_SERASTRING, true, era, number, isNumber);
          }
          out += era;
          break;
        }
      }
      continue;
    }
    out += c;
    ++i;
  }
  return true;
}


struct TimePiece {
  bool token = false;
  Char letter = 0;
  int count = 0;
  String text;
};

std::vector<TimePiece> splitTimePicture(StringView f) {
  std::vector<TimePiece> pieces;
  std::size_t i = 0;
  while (i < f.size()) {
    const Char c = f[i];
    if (c == u'h' || c == u'H' || c == u'm' || c == u's' || c == u't') {
      const int n = runLength(f, i);
      pieces.push_back({true, c, n, {}});
      i += std::size_t(n);
      continue;
    }
    if (pieces.empty() || pieces.back().token) pieces.push_back({});
    if (c == u'\'' && i + 1 < f.size() && f[i + 1] == u'\'') {
      pieces.back().text += c;
      i += 2;
      continue;
    }
    if (c == u'\'') {
      i = quoted(f, i, pieces.back().text);
      continue;
    }
    pieces.back().text += c;
    ++i;
  }
  return pieces;
}

bool onlyBlanks(const String& s) {
  for (Char c : s)
    if (c != u' ') return false;
  return true;
}

// Drops the tokens the flags leave out together with the separator written
// before each (the blank around a time marker).
void applyTimeFlags(std::vector<TimePiece>& pieces, LongWord flags) {
  auto dropped = [&](const TimePiece& p) {
    if (!p.token) return false;
    if (p.letter == u's') return (flags & (TIME_NOSECONDS | TIME_NOMINUTESORSECONDS)) != 0;
    if (p.letter == u'm') return (flags & TIME_NOMINUTESORSECONDS) != 0;
    if (p.letter == u't') return (flags & (TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT)) != 0;
    return false;
  };
  std::vector<TimePiece> kept;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (!dropped(pieces[i])) {
      kept.push_back(pieces[i]);
      continue;
    }
    if (!kept.empty() && !kept.back().token && kept.size() > 1) {
      kept.pop_back();
    } else if (i + 1 < pieces.size() && !pieces[i + 1].token &&
               (pieces[i].letter == u't' ? onlyBlanks(pieces[i + 1].text) : true)) {
      ++i;  // a leading marker takes the blank after it
    }
  }
  pieces.swap(kept);
}

String formatTime(const LocaleData& l, const SYSTEMTIME& t, StringView f, LongWord flags) {
  std::vector<TimePiece> pieces = splitTimePicture(f);
  applyTimeFlags(pieces, flags);
  const bool force24 = (flags & TIME_FORCE24HOURFORMAT) != 0;
  String out;
  for (const TimePiece& p : pieces) {
    if (!p.token) {
      out += p.text;
      continue;
    }
    const int two = p.count >= 2 ? 2 : 1;
    switch (p.letter) {
      case u'h': {
        int h = t.wHour % 12;
        if (force24) h = t.wHour;
        else if (h == 0) h = 12;
        out += padded(h, two);
        break;
      }
      case u'H': out += padded(t.wHour, two); break;
      case u'm': out += padded(t.wMinute, two); break;
      case u's': out += padded(t.wSecond, two); break;
      default: {
        const String marker = t.wHour < 12 ? l.am : l.pm;
        out += p.count == 1 ? marker.substr(0, 1) : marker;
        break;
      }
    }
  }
  return out;
}

}  // namespace

// ---- public --------------------------------------------------------------------------------

LongWord GetLocaleLastError() { return lastError; }

SYSTEMTIME DateTimeToSystemTime(TDateTime value) {
  SYSTEMTIME t;
  Word y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(value, y, mo, d, h, mi, s, ms);
  t.wYear = y;
  t.wMonth = mo;
  t.wDay = d;
  t.wDayOfWeek = Word(DayOfWeek(value) - 1);
  t.wHour = h;
  t.wMinute = mi;
  t.wSecond = s;
  t.wMilliseconds = ms;
  return t;
}

LCID GetUserDefaultLCID() {
  UserState& s = userState();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.userDefault == 0) s.userDefault = environmentLocale();
  return s.userDefault;
}

void SetUserDefaultLCID(LCID locale) {
  UserState& s = userState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.userDefault = locale;
}

LCID ResolveLocale(LCID locale) {
  if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || locale == 0)
    return GetUserDefaultLCID();
  if (locale == LOCALE_INVARIANT) return LOCALE_EN_US;
  return locale;
}

bool IsBuiltInLocale(LCID locale) { return findLocale(ResolveLocale(locale)) != nullptr; }

void SetLocaleUserOverride(LCID locale, LCTYPE item, StringView value) {
  UserState& s = userState();
  const LCID id = ResolveLocale(locale);
  std::lock_guard<std::mutex> lock(s.mutex);
  s.overrides[{id, item & ~(LOCALE_NOUSEROVERRIDE | LOCALE_RETURN_NUMBER)}] = String(value);
}

void ClearLocaleUserOverrides() {
  UserState& s = userState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.overrides.clear();
  s.twoDigitYearMax.clear();
}

void SetCalendarTwoDigitYearMax(CALID calendar, Integer maxYear) {
  UserState& s = userState();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (maxYear == 0) s.twoDigitYearMax.erase(calendar);
  else s.twoDigitYearMax[calendar] = maxYear;
}

int GetLocaleInfoW(LCID locale, LCTYPE item, Char* data, int cchData) {
  if (cchData < 0) return fail(ERROR_INVALID_PARAMETER);
  const LCTYPE bare = item & ~(LOCALE_NOUSEROVERRIDE | LOCALE_RETURN_NUMBER);
  String text;
  if (!localeItem(locale, item, text)) return fail(ERROR_INVALID_PARAMETER);
  if (item & LOCALE_RETURN_NUMBER) {
    Integer n = 0;
    if (!isNumericItem(bare) || !parseInt(text, n)) return fail(ERROR_INVALID_FLAGS);
    return writeNumber(LongWord(n), data, cchData);
  }
  return writeText(text, data, cchData);
}

int GetCalendarInfoW(LCID locale, CALID calendar, CALTYPE item, Char* data, int cchData,
                     LongWord* value) {
  if (cchData < 0) return fail(ERROR_INVALID_PARAMETER);
  const LocaleData* l = findLocale(ResolveLocale(locale));
  if (!l || !isKnownCalendar(calendar)) return fail(ERROR_INVALID_PARAMETER);
  const bool useOverride = (item & CAL_NOUSEROVERRIDE) == 0;
  const CALTYPE bare = item & ~(CAL_NOUSEROVERRIDE | CAL_RETURN_NUMBER);
  String text;
  Integer number = 0;
  bool isNumber = false;
  if (!calendarItem(*l, calendar, bare, useOverride, text, number, isNumber))
    return fail(ERROR_INVALID_PARAMETER);
  if (item & CAL_RETURN_NUMBER) {
    if (!isNumber || !value) return fail(ERROR_INVALID_FLAGS);
    *value = LongWord(number);
    return int(sizeof(LongWord) / sizeof(Char));
  }
  return writeText(text, data, cchData);
}

int GetDateFormatW(LCID locale, LongWord flags, const SYSTEMTIME* date, const Char* format,
                   Char* out, int cchOut) {
  if (cchOut < 0) return fail(ERROR_INVALID_PARAMETER);
  const LocaleData* l = findLocale(ResolveLocale(locale));
  if (!l) return fail(ERROR_INVALID_PARAMETER);
  const LongWord kinds = flags & (DATE_SHORTDATE | DATE_LONGDATE | DATE_YEARMONTH);
  if (flags & ~(kinds | DATE_USE_ALT_CALENDAR | LOCALE_NOUSEROVERRIDE)) return fail(ERROR_INVALID_FLAGS);
  if ((format && kinds) || (kinds & (kinds - 1))) return fail(ERROR_INVALID_FLAGS);
  const SYSTEMTIME t = date ? *date : DateTimeToSystemTime(Now());
  if (!validSystemDate(t)) return fail(ERROR_INVALID_PARAMETER);
  const bool useOverride = (flags & LOCALE_NOUSEROVERRIDE) == 0;
  CALID cal = currentCalendar(*l, useOverride);
  if ((flags & DATE_USE_ALT_CALENDAR) && l->optionalCalendar.id) cal = l->optionalCalendar.id;
  String picture;
  if (format) {
    picture = format;
  } else {
    const CALTYPE item = kinds == DATE_LONGDATE    ? CAL_SLONGDATE
                         : kinds == DATE_YEARMONTH ? CAL_SYEARMONTH
                                                   : CAL_SSHORTDATE;
    const LCTYPE localeItemId = kinds == DATE_LONGDATE    ? LOCALE_SLONGDATE
                                : kinds == DATE_YEARMONTH ? LOCALE_SYEARMONTH
                                                          : LOCALE_SSHORTDATE;
    // The user's own format wins when it is for the calendar shown.
    if (!(useOverride && cal == currentCalendar(*l, true) && readOverride(l->id, localeItemId, picture))) {
      Integer number = 0;
      bool isNumber = false;
      calendarItem(*l, cal, item, useOverride, picture, number, isNumber);
    }
  }
  String text;
  if (!formatDate(*l, cal, t, picture, text)) return fail(ERROR_INVALID_PARAMETER);
  return writeText(text, out, cchOut);
}

int GetTimeFormatW(LCID locale, LongWord flags, const SYSTEMTIME* time, const Char* format,
                   Char* out, int cchOut) {
  if (cchOut < 0) return fail(ERROR_INVALID_PARAMETER);
  const LocaleData* l = findLocale(ResolveLocale(locale));
  if (!l) return fail(ERROR_INVALID_PARAMETER);
  if (flags & ~(TIME_NOMINUTESORSECONDS | TIME_NOSECONDS | TIME_NOTIMEMARKER |
                TIME_FORCE24HOURFORMAT | LOCALE_NOUSEROVERRIDE))
    return fail(ERROR_INVALID_FLAGS);
  const SYSTEMTIME t = time ? *time : DateTimeToSystemTime(Now());
  if (!validSystemTime(t)) return fail(ERROR_INVALID_PARAMETER);
  String picture;
  if (format) picture = format;
  else localeItem(locale, LOCALE_STIMEFORMAT | (flags & LOCALE_NOUSEROVERRIDE), picture);
  return writeText(formatTime(*l, t, picture, flags), out, cchOut);
}

bool TryGetLocaleInfo(LCID locale, LCTYPE item, String& value) {
  if (item & LOCALE_RETURN_NUMBER) return false;
  return localeItem(locale, item, value);
}

String GetLocaleStr(LCID locale, LCTYPE item, StringView fallback) {
  String v;
  if (!TryGetLocaleInfo(locale, item, v)) return String(fallback);
  return v;
}

Integer GetLocaleInt(LCID locale, LCTYPE item, Integer fallback) {
  String v;
  Integer n = 0;
  if (!localeItem(locale, item & ~LOCALE_RETURN_NUMBER, v) || !parseInt(v, n)) return fallback;
  return n;
}

bool TryGetCalendarInfo(LCID locale, CALID calendar, CALTYPE item, String& value) {
  const LocaleData* l = findLocale(ResolveLocale(locale));
  if (!l || !isKnownCalendar(calendar) || (item & CAL_RETURN_NUMBER)) return false;
  Integer number = 0;
  bool isNumber = false;
  return calendarItem(*l, calendar, item & ~CAL_NOUSEROVERRIDE, (item & CAL_NOUSEROVERRIDE) == 0,
                      value, number, isNumber);
}

bool TryFormatLocaleDate(LCID locale, LongWord flags, const SYSTEMTIME& date, StringView format,
                         String& result) {
  const String f(format);
  std::array<Char, 512> buffer{};
  const int n = GetDateFormatW(locale, flags, &date, format.empty() ? nullptr : f.c_str(),
                               buffer.data(), int(buffer.size()));
  if (n <= 0) return false;
  result.assign(buffer.data(), std::size_t(n - 1));
  return true;
}

bool TryFormatLocaleTime(LCID locale, LongWord flags, const SYSTEMTIME& time, StringView format,
                         String& result) {
  const String f(format);
  std::array<Char, 512> buffer{};
  const int n = GetTimeFormatW(locale, flags, &time, format.empty() ? nullptr : f.c_str(),
                               buffer.data(), int(buffer.size()));
  if (n <= 0) return false;
  result.assign(buffer.data(), std::size_t(n - 1));
  return true;
}

std::vector<TLocaleEra> GetCalendarEras(CALID calendar) {
  switch (calendar) {
    case CAL_JAPAN: return toEras(kJapaneseEras);
    case CAL_TAIWAN: return toEras(kTaiwanEras);
    case CAL_KOREA: return toEras(kKoreanEras);
    case CAL_THAI: return toEras(kThaiEras);
    default: return {};
  }
}

bool GregorianToCalendarDate(CALID calendar, Integer year, Integer month, Integer day,
                             TLocaleCalendarDate& result) {
  TDateTime date = 0;
  if (year < 1 || year > 9999 || !TryEncodeDate(Word(year), Word(month), Word(day), date))
    return false;
  result = {-1, year, month, day};
  if (isGregorianFamily(calendar)) return true;
  if (isEraCalendar(calendar)) {
    const std::vector<TLocaleEra> eras = GetCalendarEras(calendar);
    int index = -1;
    for (std::size_t i = 0; i < eras.size(); ++i)
      if (eras[i].Start <= date) index = int(i);
    if (index < 0) return false;
    result.Era = index;
    result.Year = year - eras[std::size_t(index)].YearOffset;
    return true;
  }
  const Integer d = Integer(date);
  if (calendar == CAL_HIJRI) {
    if (d < hijriNewYear(1)) return false;
    int y = int((Int64(30) * (d - hijriNewYear(1))) / 10631) + 1;
    while (hijriNewYear(y) > d) --y;
    while (hijriNewYear(y + 1) <= d) ++y;
    int rest = d - hijriNewYear(y) + 1;
    int m = 1;
    while (rest > hijriDaysInMonth(y, m)) rest -= hijriDaysInMonth(y, m++);
    result = {-1, y, m, rest};
    return true;
  }
  if (calendar == CAL_HEBREW) {
    int y = year + 3761;  // the year that begins in this autumn
    if (HebrewNewYear(y) > d) --y;
    int rest = d - HebrewNewYear(y) + 1;
    int m = 1;
    while (rest > HebrewDaysInMonth(y, m)) rest -= HebrewDaysInMonth(y, m++);
    result = {-1, y, m, rest};
    return true;
  }
  return false;
}

bool IsHijriLeapYear(Integer year) {
  const int r = ((year % 30) + 30) % 30;
  for (int y : kHijriLeap)
    if (y == r) return true;
  return false;
}

bool IsHebrewLeapYear(Integer hebrewYear) { return (7 * Int64(hebrewYear) + 1) % 19 < 7; }

Integer HebrewNewYear(Integer hebrewYear) {
  return Integer(kHebrewEpoch + hebrewElapsedDays(hebrewYear) + kDayOne);
}

Integer HebrewDaysInYear(Integer hebrewYear) {
  return Integer(hebrewElapsedDays(hebrewYear + 1) - hebrewElapsedDays(hebrewYear));
}

Integer HebrewDaysInMonth(Integer hebrewYear, Integer month) {
  const bool leap = IsHebrewLeapYear(hebrewYear);
  const int months = leap ? 13 : 12;
  if (month < 1 || month > months) return 0;
  const int length = HebrewDaysInYear(hebrewYear) - (leap ? 30 : 0);  // 353, 354 or 355
  switch (month) {
    case 1: return 30;                        // Tishrei
    case 2: return length == 355 ? 30 : 29;   // Heshvan
    case 3: return length == 353 ? 29 : 30;   // Kislev
    case 4: return 29;                        // Tevet
    case 5: return 30;                        // Shevat
    case 6: return leap ? 30 : 29;            // Adar I / Adar
    default: {
      // From Adar II (leap) or Nisan (common) on: 29, 30, 29, 30...
      const int fromNisan = month - (leap ? 8 : 7);
      if (fromNisan < 0) return 29;  // Adar II
      return fromNisan % 2 == 0 ? 30 : 29;
    }
  }
}

TFormatSettings LocaleFormatSettings(LCID locale) {
  const LCID id = ResolveLocale(locale);
  TFormatSettings s = TFormatSettings::Create(id == LOCALE_PT_BR ? LOCALE_PT_BR : LOCALE_EN_US);
  if (!findLocale(id) || id == LOCALE_PT_BR || id == LOCALE_EN_US) return s;
  auto first = [&](LCTYPE item, Char fallback) {
    const String v = GetLocaleStr(id, item);
    return v.empty() ? fallback : v[0];  // an empty separator keeps the usual one
  };
  s.DecimalSeparator = first(LOCALE_SDECIMAL, u'.');
  s.ThousandSeparator = first(LOCALE_STHOUSAND, u',');
  s.DateSeparator = first(LOCALE_SDATE, u'/');
  s.TimeSeparator = first(LOCALE_STIME, u':');
  s.ListSeparator = first(LOCALE_SLIST, u',');
  s.CurrencyString = GetLocaleStr(id, LOCALE_SCURRENCY);
  s.CurrencyFormat = Byte(GetLocaleInt(id, LOCALE_ICURRENCY));
  s.NegCurrFormat = Byte(GetLocaleInt(id, LOCALE_INEGCURR));
  s.CurrencyDecimals = Byte(GetLocaleInt(id, LOCALE_ICURRDIGITS));
  s.ShortDateFormat = GetLocaleStr(id, LOCALE_SSHORTDATE);
  s.LongDateFormat = GetLocaleStr(id, LOCALE_SLONGDATE);
  s.TimeAMString = GetLocaleStr(id, LOCALE_S1159);
  s.TimePMString = GetLocaleStr(id, LOCALE_S2359);
  s.LongTimeFormat = GetLocaleStr(id, LOCALE_STIMEFORMAT);
  s.ShortTimeFormat = GetLocaleStr(id, LOCALE_SSHORTTIME);
  for (int m = 0; m < 12; ++m) {
    s.LongMonthNames[std::size_t(m)] = GetLocaleStr(id, LOCALE_SMONTHNAME1 + LCTYPE(m));
    s.ShortMonthNames[std::size_t(m)] = GetLocaleStr(id, LOCALE_SABBREVMONTHNAME1 + LCTYPE(m));
  }
  for (int d = 0; d < 7; ++d) {  // Sunday first here, Monday first in the items
    const LCTYPE item = LCTYPE((d + 6) % 7);
    s.LongDayNames[std::size_t(d)] = GetLocaleStr(id, LOCALE_SDAYNAME1 + item);
    s.ShortDayNames[std::size_t(d)] = GetLocaleStr(id, LOCALE_SABBREVDAYNAME1 + item);
  }
  const std::vector<TLocaleEra> eras = GetCalendarEras(CALID(GetLocaleInt(id, LOCALE_ICALENDARTYPE, 1)));
  for (std::size_t i = 0; i < eras.size(); ++i) {
    const TDateTime end = i + 1 < eras.size() ? eras[i + 1].Start - 1 : MaxDateTime;
    s.EraInfo.push_back({eras[i].Name, eras[i].YearOffset, eras[i].Start, end});
  }
  return s;
}

void UpdateFormatSettings() { SetFormatSettings(LocaleFormatSettings(GetThreadLocale())); }

TTimeStamp DateTimeToTimeStamp(TDateTime value) {
  if (!std::isfinite(value) || std::fabs(value) > 1.0e7) throw EConvertError(u"Invalid date/time value");
  const Int64 ms = static_cast<Int64>(std::nearbyint(value * static_cast<double>(MSecsPerDay)));
  TTimeStamp stamp;
  stamp.Date = Integer(ms / MSecsPerDay + DateDelta);
  stamp.Time = Integer((ms < 0 ? -ms : ms) % MSecsPerDay);
  return stamp;
}

TDateTime TimeStampToDateTime(const TTimeStamp& stamp) {
  const double days = double(Int64(stamp.Date) - DateDelta);
  const double time = double(stamp.Time) / double(MSecsPerDay);
  return days >= 0 ? days + time : days - time;
}

}  // namespace rtl
