#include "platform/rtl/datetime.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "platform/rtl/clock.h"
#include "platform/rtl/except.h"

namespace rtl {
namespace {

const String kInvalidDateEncode = u"Invalid argument to date encode";
const String kInvalidTimeEncode = u"Invalid argument to time encode";

// A value split the way the platform's time stamps split it: the day is the
// truncated integer part (relative to 1899-12-30) and the time the absolute
// fraction, both after rounding the whole value to a millisecond.
struct Stamp {
  Int64 days = 0;
  Int64 timeMs = 0;  // 0 .. MSecsPerDay-1
  bool valid = false;
};

// Far outside MinDateTime..MaxDateTime; keeps the millisecond count exact.
constexpr double kDecodeLimit = 1.0e7;

Stamp toStamp(TDateTime value) {
  Stamp s;
  if (!std::isfinite(value) || std::fabs(value) > kDecodeLimit) return s;
  // nearbyint rounds half to even under the default rounding mode.
  Int64 ms = static_cast<Int64>(std::nearbyint(value * static_cast<double>(MSecsPerDay)));
  s.days = ms / MSecsPerDay;  // truncates toward zero, as the platform does
  s.timeMs = (ms < 0 ? -ms : ms) % MSecsPerDay;
  s.valid = true;
  return s;
}

// The moment on a continuous millisecond line (0 = 1899-12-30 00:00).
Int64 toLineMs(TDateTime value) {
  Stamp s = toStamp(value);
  if (!s.valid) throw EConvertError(u"Invalid date/time value");
  return s.days * MSecsPerDay + s.timeMs;
}

TDateTime compose(Int64 days, double timeFraction) {
  double d = static_cast<double>(days);
  return days >= 0 ? d + timeFraction : d - timeFraction;
}

TDateTime fromLineMs(Int64 ms) {
  Int64 days = ms / MSecsPerDay;
  Int64 rest = ms % MSecsPerDay;
  if (rest < 0) {
    rest += MSecsPerDay;
    --days;
  }
  return compose(days, static_cast<double>(rest) / static_cast<double>(MSecsPerDay));
}

// Proleptic Gregorian conversions on days since 1970-01-01.
Int64 daysFromCivil(Int64 y, unsigned m, unsigned d) {
  y -= m <= 2;
  const Int64 era = (y >= 0 ? y : y - 399) / 400;
  const Int64 yoe = y - era * 400;
  const Int64 doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const Int64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(Int64 z, Int64& year, unsigned& month, unsigned& day) {
  z += 719468;
  const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  const Int64 doe = z - era * 146097;
  const Int64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const Int64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const Int64 mp = (5 * doy + 2) / 153;
  day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
  year = yoe + era * 400 + (month <= 2);
}

constexpr Int64 kUnixEpochDays = 25569;  // 1970-01-01 - 1899-12-30

struct Fields {
  Word year = 0, month = 0, day = 0, dow = 0;
  Word hour = 0, min = 0, sec = 0, msec = 0;
};

// Out-of-range dates decode as zeros, as the platform's decoder reports them.
Fields decode(TDateTime value) {
  Fields f;
  Stamp s = toStamp(value);
  if (!s.valid) return f;
  Int64 t = s.timeMs;
  f.msec = static_cast<Word>(t % 1000);
  t /= 1000;
  f.sec = static_cast<Word>(t % 60);
  t /= 60;
  f.min = static_cast<Word>(t % 60);
  f.hour = static_cast<Word>(t / 60);
  Int64 y;
  unsigned m, d;
  civilFromDays(s.days - kUnixEpochDays, y, m, d);
  if (y >= 1 && y <= 9999) {
    f.year = static_cast<Word>(y);
    f.month = static_cast<Word>(m);
    f.day = static_cast<Word>(d);
    f.dow = static_cast<Word>((s.days + DateDelta) % 7 + 1);
  }
  return f;
}

Char upperAscii(Char c) { return (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c; }
bool isAsciiLetter(Char c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigitChar(Char c) { return c >= u'0' && c <= u'9'; }

bool startsTextAt(StringView s, size_t pos, StringView prefix) {
  if (prefix.empty() || s.size() - pos < prefix.size() || pos > s.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (upperAscii(s[pos + i]) != upperAscii(prefix[i])) return false;
  return true;
}

void appendNumber(String& out, unsigned value, int digits) {
  char buf[16];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = n; i < digits; ++i) out.push_back(u'0');
  while (n > 0) out.push_back(static_cast<Char>(buf[--n]));
}

int currentYear() { return YearOf(Now()); }

// --- FormatDateTime ----------------------------------------------------------

class PictureWriter {
 public:
  PictureWriter(TDateTime value, const TFormatSettings& fs) : f_(decode(value)), fs_(fs) {}

  void append(StringView p, int depth) {
    // The settings' own pictures may name others ("c" -> ShortDateFormat);
    // the depth guard stops a picture that names itself.
    if (depth > 2) return;
    Char lastToken = u' ';
    size_t i = 0;
    while (i < p.size()) {
      const Char c = p[i];
      Char token = upperAscii(c);
      if (isAsciiLetter(c)) {
        if (token == u'M' && lastToken == u'H') token = u'N';
        lastToken = token;
      }
      switch (token) {
        case u'Y': {
          int n = count(p, i);
          if (n <= 2)
            appendNumber(out_, f_.year % 100, 2);
          else
            appendNumber(out_, f_.year, 4);
          break;
        }
        case u'M': {
          int n = count(p, i);
          if (n <= 2)
            appendNumber(out_, f_.month, n);
          else if (f_.month >= 1)
            out_ += (n == 3 ? fs_.ShortMonthNames : fs_.LongMonthNames)[f_.month - 1];
          break;
        }
        case u'D': {
          int n = count(p, i);
          if (n <= 2)
            appendNumber(out_, f_.day, n);
          else if (n <= 4) {
            if (f_.dow >= 1) out_ += (n == 3 ? fs_.ShortDayNames : fs_.LongDayNames)[f_.dow - 1];
          } else
            append(n == 5 ? fs_.ShortDateFormat : fs_.LongDateFormat, depth + 1);
          break;
        }
        case u'H': {
          int n = count(p, i);
          unsigned h = f_.hour;
          if (twelveHourClockAhead(p, i)) {
            if (h == 0) h = 12;
            if (h > 12) h -= 12;
          }
          appendNumber(out_, h, n == 1 ? 1 : 2);
          break;
        }
        case u'N': {
          int n = count(p, i);
          appendNumber(out_, f_.min, n == 1 ? 1 : 2);
          break;
        }
        case u'S': {
          int n = count(p, i);
          appendNumber(out_, f_.sec, n == 1 ? 1 : 2);
          break;
        }
        case u'Z': {
          int n = count(p, i);
          appendNumber(out_, f_.msec, n == 1 ? 1 : 3);
          break;
        }
        case u'T': {
          int n = count(p, i);
          append(n == 1 ? fs_.ShortTimeFormat : fs_.LongTimeFormat, depth + 1);
          break;
        }
        case u'C': {
          count(p, i);
          append(fs_.ShortDateFormat, depth + 1);
          if (f_.hour != 0 || f_.min != 0 || f_.sec != 0 || f_.msec != 0) {
            out_.push_back(u' ');
            append(fs_.LongTimeFormat, depth + 1);
          }
          break;
        }
        case u'A': {
          const bool pm = f_.hour >= 12;
          if (startsTextAt(p, i, u"am/pm")) {
            out_.append(p.substr(i + (pm ? 3 : 0), 2));
            i += 5;
          } else if (startsTextAt(p, i, u"a/p")) {
            out_.push_back(p[i + (pm ? 2 : 0)]);
            i += 3;
          } else if (startsTextAt(p, i, u"ampm")) {
            out_ += pm ? fs_.TimePMString : fs_.TimeAMString;
            i += 4;
          } else {
            out_.push_back(c);
            ++i;
          }
          break;
        }
        case u'/':
          out_.push_back(fs_.DateSeparator);
          ++i;
          break;
        case u':':
          out_.push_back(fs_.TimeSeparator);
          ++i;
          break;
        case u'\'':
        case u'"': {
          size_t end = p.find(c, i + 1);
          if (end == StringView::npos) end = p.size();
          out_.append(p.substr(i + 1, end - i - 1));
          i = end + 1;
          break;
        }
        default:
          out_.push_back(c);
          ++i;
          break;
      }
    }
  }

  String take() { return std::move(out_); }

 private:
  // Consumes a run of the same letter (any case) starting at i.
  static int count(StringView p, size_t& i) {
    const Char c = upperAscii(p[i]);
    size_t j = i + 1;
    while (j < p.size() && upperAscii(p[j]) == c) ++j;
    int n = static_cast<int>(j - i);
    i = j;
    return n;
  }

  // An hour shows on the 12-hour clock when an AM/PM token follows it
  // anywhere later in the same picture (outside quotes).
  static bool twelveHourClockAhead(StringView p, size_t i) {
    while (i < p.size()) {
      const Char c = p[i];
      if (c == u'\'' || c == u'"') {
        size_t end = p.find(c, i + 1);
        if (end == StringView::npos) return false;
        i = end + 1;
        continue;
      }
      if (upperAscii(c) == u'A' &&
          (startsTextAt(p, i, u"am/pm") || startsTextAt(p, i, u"a/p") || startsTextAt(p, i, u"ampm")))
        return true;
      ++i;
    }
    return false;
  }

  Fields f_;
  const TFormatSettings& fs_;
  String out_;
};

// --- reading ---------------------------------------------------------------------

enum class DateOrder { MDY, DMY, YMD };

DateOrder dateOrder(StringView shortDateFormat) {
  for (Char c : shortDateFormat) {
    switch (upperAscii(c)) {
      case u'Y':
      case u'E':
        return DateOrder::YMD;
      case u'M':
        return DateOrder::MDY;
      case u'D':
        return DateOrder::DMY;
      default:
        break;
    }
  }
  return DateOrder::MDY;
}

int placeTwoDigitYear(int year, const TFormatSettings& fs) {
  const int centuryBase = currentYear() - fs.TwoDigitYearCenturyWindow;
  year += centuryBase / 100 * 100;
  if (fs.TwoDigitYearCenturyWindow > 0 && year < centuryBase) year += 100;
  return year;
}

class Scanner {
 public:
  Scanner(StringView s, const TFormatSettings& fs) : s_(s), fs_(fs) {}

  void blanks() {
    while (pos_ < s_.size() && s_[pos_] == u' ') ++pos_;
  }
  bool atEnd() {
    blanks();
    return pos_ >= s_.size();
  }
  // At most four digits, as the platform reads date and time numbers.
  bool number(int& value, int& digits) {
    blanks();
    size_t start = pos_;
    value = 0;
    while (pos_ < s_.size() && isDigitChar(s_[pos_])) {
      if (pos_ - start == 4) {
        pos_ = start;
        return false;
      }
      value = value * 10 + (s_[pos_] - u'0');
      ++pos_;
    }
    digits = static_cast<int>(pos_ - start);
    return digits > 0;
  }
  bool ch(Char c) {
    size_t save = pos_;
    blanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    pos_ = save;
    return false;
  }
  // 0 for AM, 12 for PM, -1 when neither designator is next.
  int amPm() {
    size_t save = pos_;
    blanks();
    const StringView am[] = {fs_.TimeAMString, u"AM"};
    const StringView pm[] = {fs_.TimePMString, u"PM"};
    for (int k = 0; k < 2; ++k) {
      if (startsTextAt(s_, pos_, am[k])) {
        pos_ += am[k].size();
        return 0;
      }
      if (startsTextAt(s_, pos_, pm[k])) {
        pos_ += pm[k].size();
        return 12;
      }
    }
    pos_ = save;
    return -1;
  }

  bool date(TDateTime& value) {
    int n1, l1, n2, l2, n3 = 0, l3 = 0;
    if (!number(n1, l1) || !ch(fs_.DateSeparator) || !number(n2, l2)) return false;
    const DateOrder order = dateOrder(fs_.ShortDateFormat);
    int y, m, d, yearDigits;
    if (ch(fs_.DateSeparator)) {
      if (!number(n3, l3)) return false;
      switch (order) {
        case DateOrder::MDY: m = n1, d = n2, y = n3, yearDigits = l3; break;
        case DateOrder::DMY: d = n1, m = n2, y = n3, yearDigits = l3; break;
        default: y = n1, m = n2, d = n3, yearDigits = l1; break;
      }
    } else {
      y = currentYear();
      yearDigits = 4;
      if (order == DateOrder::DMY)
        d = n1, m = n2;
      else
        m = n1, d = n2;
    }
    if (yearDigits <= 2) y = placeTwoDigitYear(y, fs_);
    if (y > 9999 || m > 65535 || d > 65535) return false;
    return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), value);
  }

  bool time(TDateTime& value) {
    int base = amPm();
    int h, min = 0, sec = 0, ms = 0, l;
    if (!number(h, l)) return false;
    bool hasMinutes = false;
    if (ch(fs_.TimeSeparator)) {
      if (!number(min, l)) return false;
      hasMinutes = true;
      if (ch(fs_.TimeSeparator)) {
        if (!number(sec, l)) return false;
        if (ch(u'.') || ch(fs_.DecimalSeparator)) {
          if (!number(ms, l)) return false;
        }
      }
    }
    if (base < 0) base = amPm();
    if (base >= 0) {
      if (h == 0 || h > 12) return false;
      if (h == 12) h = 0;
      h += base;
    } else if (!hasMinutes) {
      return false;
    }
    if (h > 23 || min > 59 || sec > 59 || ms > 999) return false;
    return TryEncodeTime(static_cast<Word>(h), static_cast<Word>(min), static_cast<Word>(sec),
                         static_cast<Word>(ms), value);
  }

 private:
  StringView s_;
  const TFormatSettings& fs_;
  size_t pos_ = 0;
};

String quoted(StringView text, const char16_t* tail) {
  String m = u"'";
  m.append(text);
  m += u"' ";
  m += tail;
  return m;
}

}  // namespace

// --- calendar ----------------------------------------------------------------

bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

Word DaysInAMonth(Word year, Word month) {
  static const Word days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
    return false;
  date = static_cast<double>(daysFromCivil(year, month, day) + kUnixEpochDays);
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime d;
  if (!TryEncodeDate(year, month, day, d)) throw EConvertError(kInvalidDateEncode);
  return d;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  const Int64 ms = ((hour * 60 + min) * 60 + sec) * Int64{1000} + msec;
  time = static_cast<double>(ms) / static_cast<double>(MSecsPerDay);
  return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, min, sec, msec, t)) throw EConvertError(kInvalidTimeEncode);
  return t;
}

bool TryEncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec,
                       TDateTime& value) {
  TDateTime d, t;
  if (!TryEncodeDate(year, month, day, d) || !TryEncodeTime(hour, min, sec, msec, t)) return false;
  value = d >= 0 ? d + t : d - t;
  return true;
}

TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec) {
  TDateTime d = EncodeDate(year, month, day);
  TDateTime t = EncodeTime(hour, min, sec, msec);
  return d >= 0 ? d + t : d - t;
}

void DecodeDate(TDateTime value, Word& year, Word& month, Word& day) {
  Fields f = decode(value);
  year = f.year;
  month = f.month;
  day = f.day;
}

void DecodeTime(TDateTime value, Word& hour, Word& min, Word& sec, Word& msec) {
  Fields f = decode(value);
  hour = f.hour;
  min = f.min;
  sec = f.sec;
  msec = f.msec;
}

void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec) {
  Fields f = decode(value);
  year = f.year;
  month = f.month;
  day = f.day;
  hour = f.hour;
  min = f.min;
  sec = f.sec;
  msec = f.msec;
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }
TDateTime TimeOf(TDateTime value) { return value - std::trunc(value); }
Word DayOfWeek(TDateTime value) { return decode(value).dow; }

Word YearOf(TDateTime value) { return decode(value).year; }
Word MonthOf(TDateTime value) { return decode(value).month; }
Word DayOf(TDateTime value) { return decode(value).day; }
Word HourOf(TDateTime value) { return decode(value).hour; }
Word MinuteOf(TDateTime value) { return decode(value).min; }
Word SecondOf(TDateTime value) { return decode(value).sec; }
Word MilliSecondOf(TDateTime value) { return decode(value).msec; }

// --- arithmetic --------------------------------------------------------------

TDateTime IncMilliSecond(TDateTime value, Int64 count) { return fromLineMs(toLineMs(value) + count); }
TDateTime IncSecond(TDateTime value, Int64 count) { return IncMilliSecond(value, count * 1000); }
TDateTime IncMinute(TDateTime value, Int64 count) { return IncMilliSecond(value, count * 60000); }
TDateTime IncHour(TDateTime value, Int64 count) { return IncMilliSecond(value, count * 3600000); }

TDateTime IncDay(TDateTime value, Int64 count) {
  // Moves the day and keeps the time of day, also across 1899-12-30 where
  // adding to the double would turn the time around.
  const double day = std::trunc(value);
  const double time = std::fabs(value - day);
  return compose(static_cast<Int64>(day) + count, time);
}

TDateTime IncWeek(TDateTime value, Int64 count) { return IncDay(value, count * 7); }

TDateTime IncMonth(TDateTime value, Integer count) {
  Fields f = decode(value);
  if (f.year == 0) throw EConvertError(kInvalidDateEncode);
  Int64 months = Int64{f.year} * 12 + (f.month - 1) + count;
  const Int64 year = months / 12;
  const Word month = static_cast<Word>(months % 12 + 1);
  if (months < 0 || year < 1 || year > 9999) throw EConvertError(kInvalidDateEncode);
  const Word day = std::min<Word>(f.day, DaysInAMonth(static_cast<Word>(year), month));
  const TDateTime date = EncodeDate(static_cast<Word>(year), month, day);
  const double time = std::fabs(value - std::trunc(value));
  return compose(static_cast<Int64>(date), time);
}

TDateTime IncYear(TDateTime value, Integer count) { return IncMonth(value, count * 12); }

Int64 MilliSecondsBetween(TDateTime now, TDateTime then) {
  const Int64 d = toLineMs(now) - toLineMs(then);
  return d < 0 ? -d : d;
}

Int64 SecondsBetween(TDateTime now, TDateTime then) { return MilliSecondsBetween(now, then) / 1000; }

Integer DaysBetween(TDateTime now, TDateTime then) {
  return static_cast<Integer>(MilliSecondsBetween(now, then) / MSecsPerDay);
}

// --- the clock ---------------------------------------------------------------

TDateTime UnixMsToDateTime(Int64 unixMs, bool utc) {
  if (utc) return fromLineMs(unixMs + kUnixEpochDays * MSecsPerDay);
  Int64 secs = unixMs / 1000;
  Int64 ms = unixMs % 1000;
  if (ms < 0) {
    ms += 1000;
    --secs;
  }
  const std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) throw EConvertError(u"Invalid date/time value");
  const TDateTime date = EncodeDate(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1),
                                    static_cast<Word>(tm.tm_mday));
  const TDateTime time = EncodeTime(static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min),
                                    static_cast<Word>(std::min(tm.tm_sec, 59)), static_cast<Word>(ms));
  return date >= 0 ? date + time : date - time;
}

Int64 DateTimeToUnixMs(TDateTime value, bool utc) {
  if (utc) return toLineMs(value) - kUnixEpochDays * MSecsPerDay;
  Fields f = decode(value);
  if (f.year == 0) throw EConvertError(u"Invalid date/time value");
  std::tm tm{};
  tm.tm_year = f.year - 1900;
  tm.tm_mon = f.month - 1;
  tm.tm_mday = f.day;
  tm.tm_hour = f.hour;
  tm.tm_min = f.min;
  tm.tm_sec = f.sec;
  tm.tm_isdst = -1;  // let the zone rules decide
  const std::time_t t = std::mktime(&tm);
  return static_cast<Int64>(t) * 1000 + f.msec;
}

Int64 DateTimeToUnix(TDateTime value, bool utc) {
  const Int64 ms = DateTimeToUnixMs(value, utc);
  return ms / 1000;
}

TDateTime UnixToDateTime(Int64 unixSeconds, bool utc) { return UnixMsToDateTime(unixSeconds * 1000, utc); }

TDateTime Now() { return UnixMsToDateTime(CurrentClock().UnixTimeMs(), false); }
TDateTime Date() { return DateOf(Now()); }
TDateTime Time() { return TimeOf(Now()); }

// --- text ----------------------------------------------------------------------

String FormatDateTime(StringView picture, TDateTime value, const TFormatSettings& fs) {
  PictureWriter w(value, fs);
  w.append(picture.empty() ? StringView(u"c") : picture, 0);
  return w.take();
}

String FormatDateTime(StringView picture, TDateTime value) {
  return FormatDateTime(picture, value, FormatSettings());
}

String DateTimeToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime(u"c", value, fs); }
String DateTimeToStr(TDateTime value) { return DateTimeToStr(value, FormatSettings()); }
String DateToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime(u"ddddd", value, fs); }
String DateToStr(TDateTime value) { return DateToStr(value, FormatSettings()); }
String TimeToStr(TDateTime value, const TFormatSettings& fs) { return FormatDateTime(u"tt", value, fs); }
String TimeToStr(TDateTime value) { return TimeToStr(value, FormatSettings()); }

bool TryStrToDate(StringView text, TDateTime& value, const TFormatSettings& fs) {
  Scanner sc(text, fs);
  TDateTime d;
  if (!sc.date(d) || !sc.atEnd()) return false;
  value = d;
  return true;
}

bool TryStrToTime(StringView text, TDateTime& value, const TFormatSettings& fs) {
  Scanner sc(text, fs);
  TDateTime t;
  if (!sc.time(t) || !sc.atEnd()) return false;
  value = t;
  return true;
}

bool TryStrToDateTime(StringView text, TDateTime& value, const TFormatSettings& fs) {
  Scanner sc(text, fs);
  TDateTime d, t = 0;
  if (!sc.date(d) || !(sc.atEnd() || (sc.time(t) && sc.atEnd())))
    return TryStrToTime(text, value, fs);
  value = d >= 0 ? d + t : d - t;
  return true;
}

bool TryStrToDate(StringView text, TDateTime& value) { return TryStrToDate(text, value, FormatSettings()); }
bool TryStrToTime(StringView text, TDateTime& value) { return TryStrToTime(text, value, FormatSettings()); }
bool TryStrToDateTime(StringView text, TDateTime& value) {
  return TryStrToDateTime(text, value, FormatSettings());
}

TDateTime StrToDate(StringView text, const TFormatSettings& fs) {
  TDateTime v;
  if (!TryStrToDate(text, v, fs)) throw EConvertError(quoted(text, u"is not a valid date"));
  return v;
}

TDateTime StrToTime(StringView text, const TFormatSettings& fs) {
  TDateTime v;
  if (!TryStrToTime(text, v, fs)) throw EConvertError(quoted(text, u"is not a valid time"));
  return v;
}

TDateTime StrToDateTime(StringView text, const TFormatSettings& fs) {
  TDateTime v;
  if (!TryStrToDateTime(text, v, fs)) throw EConvertError(quoted(text, u"is not a valid date and time"));
  return v;
}

TDateTime StrToDate(StringView text) { return StrToDate(text, FormatSettings()); }
TDateTime StrToTime(StringView text) { return StrToTime(text, FormatSettings()); }
TDateTime StrToDateTime(StringView text) { return StrToDateTime(text, FormatSettings()); }

bool TryParseDateTime(StringView text, StringView picture, TDateTime& value) {
  int year = -1, month = -1, day = -1, hour = 0, min = 0, sec = 0, ms = 0;
  int pmBase = -1;
  bool twoDigitYear = false;
  size_t t = 0;
  // Reads between minDigits and maxDigits digits.
  auto digits = [&](int minDigits, int maxDigits, int& out) {
    int n = 0, v = 0;
    while (n < maxDigits && t < text.size() && isDigitChar(text[t])) {
      v = v * 10 + (text[t] - u'0');
      ++t;
      ++n;
    }
    out = v;
    return n >= minDigits;
  };
  Char lastToken = u' ';
  size_t i = 0;
  while (i < picture.size()) {
    const Char c = picture[i];
    Char token = upperAscii(c);
    if (c == u'\'' || c == u'"') {
      size_t end = picture.find(c, i + 1);
      if (end == StringView::npos) end = picture.size();
      StringView lit = picture.substr(i + 1, end - i - 1);
      if (text.substr(t, lit.size()) != lit) return false;
      t += lit.size();
      i = end + 1;
      continue;
    }
    if (token == u'A') {
      if (startsTextAt(picture, i, u"am/pm") || startsTextAt(picture, i, u"ampm")) {
        if (startsTextAt(text, t, u"am")) pmBase = 0;
        else if (startsTextAt(text, t, u"pm")) pmBase = 12;
        else return false;
        t += 2;
        i += startsTextAt(picture, i, u"am/pm") ? 5 : 4;
        continue;
      }
      if (startsTextAt(picture, i, u"a/p")) {
        if (startsTextAt(text, t, u"a")) pmBase = 0;
        else if (startsTextAt(text, t, u"p")) pmBase = 12;
        else return false;
        t += 1;
        i += 3;
        continue;
      }
    }
    if (isAsciiLetter(c)) {
      if (token == u'M' && lastToken == u'H') token = u'N';
      lastToken = token;
    }
    size_t j = i + 1;
    while (j < picture.size() && upperAscii(picture[j]) == upperAscii(c)) ++j;
    const int n = static_cast<int>(j - i);
    bool ok = true;
    switch (token) {
      case u'D':
        if (n > 2) return false;
        ok = digits(n, 2, day);
        break;
      case u'M':
        if (n > 2) return false;
        ok = digits(n, 2, month);
        break;
      case u'Y':
        twoDigitYear = n <= 2;
        ok = twoDigitYear ? digits(n, 2, year) : digits(4, 4, year);
        break;
      case u'H':
        ok = n <= 2 && digits(n, 2, hour);
        break;
      case u'N':
        ok = n <= 2 && digits(n, 2, min);
        break;
      case u'S':
        ok = n <= 2 && digits(n, 2, sec);
        break;
      case u'Z':
        ok = n == 1 ? digits(1, 3, ms) : (n == 3 && digits(3, 3, ms));
        break;
      default:
        if (isAsciiLetter(c)) return false;  // names and nested pictures are not read
        for (int k = 0; k < n; ++k, ++t)
          if (t >= text.size() || text[t] != c) return false;
        break;
    }
    if (!ok) return false;
    i = j;
  }
  if (t != text.size()) return false;
  if (pmBase >= 0) {
    if (hour == 0 || hour > 12) return false;
    hour = hour % 12 + pmBase;
  }
  TDateTime date = 0, time = 0;
  if (year >= 0 || month >= 0 || day >= 0) {
    if (year < 0)
      year = currentYear();
    else if (twoDigitYear)
      year = placeTwoDigitYear(year, FormatSettings());
    if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month < 0 ? 1 : month),
                       static_cast<Word>(day < 0 ? 1 : day), date))
      return false;
  }
  if (!TryEncodeTime(static_cast<Word>(hour), static_cast<Word>(min), static_cast<Word>(sec),
                     static_cast<Word>(ms), time))
    return false;
  value = date >= 0 ? date + time : date - time;
  return true;
}

// --- SQL time stamps ------------------------------------------------------------

bool TrySQLTimeStampToDateTime(const TSQLTimeStamp& s, TDateTime& value) {
  if (s == TSQLTimeStamp{}) {
    value = 0;
    return true;
  }
  if (s.Year < 1 || s.Fractions > 999) return false;
  return TryEncodeDateTime(static_cast<Word>(s.Year), s.Month, s.Day, s.Hour, s.Minute, s.Second,
                           static_cast<Word>(s.Fractions), value);
}

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& stamp) {
  TDateTime v;
  if (!TrySQLTimeStampToDateTime(stamp, v)) throw EConvertError(u"Invalid SQL date/time values");
  return v;
}

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime value) {
  Fields f = decode(value);
  TSQLTimeStamp s;
  s.Year = static_cast<SmallInt>(f.year);
  s.Month = f.month;
  s.Day = f.day;
  s.Hour = f.hour;
  s.Minute = f.min;
  s.Second = f.sec;
  s.Fractions = f.msec;
  return s;
}

String SQLTimeStampToStr(StringView picture, const TSQLTimeStamp& stamp, const TFormatSettings& fs) {
  return FormatDateTime(picture, SQLTimeStampToDateTime(stamp), fs);
}

String SQLTimeStampToStr(StringView picture, const TSQLTimeStamp& stamp) {
  return SQLTimeStampToStr(picture, stamp, FormatSettings());
}

TSQLTimeStamp StrToSQLTimeStamp(StringView text, const TFormatSettings& fs) {
  return DateTimeToSQLTimeStamp(StrToDateTime(text, fs));
}

TSQLTimeStamp StrToSQLTimeStamp(StringView text) { return StrToSQLTimeStamp(text, FormatSettings()); }

}  // namespace rtl
