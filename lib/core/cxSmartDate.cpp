#include "lib/core/cxSmartDate.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "lib/core/cxCalendarTables.h"
#include "lib/core/cxDateTexts.h"
#include "lib/core/cxFormats.h"
#include "lib/core/cxLibraryStrs.h"
#include "lib/core/dxCore.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/ustring.h"

namespace core {

namespace {

using rtl::Char;
using rtl::StringView;

const TcxResourceString* const kSmartInputTexts[kSmartInputCount] = {
    &cxSDateToday,    &cxSDateYesterday, &cxSDateTomorrow, &cxSDateSunday, &cxSDateMonday,
    &cxSDateTuesday,  &cxSDateWednesday, &cxSDateThursday, &cxSDateFriday, &cxSDateSaturday,
    &cxSDateFirst,    &cxSDateSecond,    &cxSDateThird,    &cxSDateFourth, &cxSDateFifth,
    &cxSDateSixth,    &cxSDateSeventh,   &cxSDateBOM,      &cxSDateEOM,    &cxSDateNow};

const rtl::TFormatSettings& smartDateRuntimeSettings() { return rtl::FormatSettings(); }

// The locale's settings, as the system's variant conversions read them.
const rtl::TFormatSettings& variantSettings() {
  return cxFormatController()->LocaleConversionSettings();
}

// The system's conversion of a text to a date: the locale's date order, its
// separator or blanks between the numbers. Raises EConvertError.
TDateTime variantTextToDate(const String& text) {
  const rtl::TFormatSettings& fs = variantSettings();
  TDateTime value = 0;
  if (rtl::TryStrToDateTime(text, value, fs)) return value;
  // Blanks stand for the date separator too.
  const int firstTimeSeparator = rtl::Pos(String(1, fs.TimeSeparator), text);
  String dated = text;
  size_t end = firstTimeSeparator > 0 ? size_t(firstTimeSeparator - 1) : dated.size();
  // The blank before the time stays: it parts the date from the time.
  if (firstTimeSeparator > 0) {
    while (end > 0 && rtl::IsDigit(dated[end - 1])) --end;
    while (end > 0 && dated[end - 1] == u' ') --end;
  }
  for (size_t k = 0; k < end; ++k) {
    if (dated[k] == u' ') dated[k] = fs.DateSeparator;
  }
  if (rtl::TryStrToDateTime(dated, value, fs)) return value;
  throw rtl::EConvertError(rtl::Format(u"Could not convert variant of type (%s) into type (%s)",
                                       {String(u"UnicodeString"), String(u"Date")}));
}

String variantDateToText(TDateTime date) { return rtl::DateTimeToStr(date, variantSettings()); }

// The words longest first, ties in descending case-insensitive order, so
// that a word never hides a longer one it begins ("sun" and "sunday").
struct WordSearch {
  std::array<String, kSmartInputCount> words;  // as sorted last
  std::array<String, kSmartInputCount> upper;  // upper-cased, for matching
  std::vector<int> order;
};

const WordSearch& wordSearch() {
  static WordSearch search;
  const std::array<String, kSmartInputCount>& words = scxDateEditSmartInput();
  // Sorted again only when a translation changed the words.
  if (!search.order.empty() && search.words == words) return search;
  search.words = words;
  for (int k = 0; k < kSmartInputCount; ++k) search.upper[k] = rtl::AnsiUpperCase(words[k]);
  search.order.resize(kSmartInputCount);
  for (int k = 0; k < kSmartInputCount; ++k) search.order[k] = k;
  std::stable_sort(search.order.begin(), search.order.end(), [&](int a, int b) {
    if (words[a].size() != words[b].size()) return words[a].size() > words[b].size();
    return rtl::AnsiCompareText(words[a], words[b]) > 0;
  });
  return search;
}

TDateTime dateOfWord(TcxDateEditSmartInput word) {
  const TDateTime today = rtl::Date();
  const int index = static_cast<int>(word);
  switch (word) {
    case deiToday: return today;
    case deiYesterday: return today - 1;
    case deiTomorrow: return today + 1;
    case deiBOM: {
      rtl::Word y = 0, m = 0, d = 0;
      rtl::DecodeDate(today, y, m, d);
      return rtl::EncodeDate(y, m, 1);
    }
    case deiEOM: {
      rtl::Word y = 0, m = 0, d = 0;
      rtl::DecodeDate(today, y, m, d);
      return rtl::EncodeDate(y, m, rtl::DaysInAMonth(y, m));
    }
    case deiNow: return rtl::Now();
    default: break;
  }
  if (index >= static_cast<int>(deiSunday) && index <= static_cast<int>(deiSaturday)) {
    const int wanted = index - static_cast<int>(deiSunday) + 1;  // 1 = Sunday
    const int c = wanted - rtl::DayOfWeek(today);
    return c >= 0 ? today + c : today + 7 + c;
  }
  const int k = index - static_cast<int>(deiFirst);
  return today - (dxDayOfWeekOffset(today) - k);
}

// A word for the mask language: apostrophes escaped, other runs quoted.
String maskQuoted(const String& word) {
  String result;
  bool open = false;
  for (Char c : word) {
    if (c == u'\'') {
      if (open) result += u'\'';
      open = false;
      result += u"\\'";
    } else {
      if (!open) result += u'\'';
      open = true;
      result += c;
    }
  }
  if (open) result += u'\'';
  return result;
}

struct KeptStrings {
  std::vector<String> items;
  bool contains(const String& s) const {
    return std::find(items.begin(), items.end(), s) != items.end();
  }
};

KeptStrings keptStrings(bool ole) {
  const rtl::TFormatSettings& fs =
      ole ? cxFormatController()->LocalFormatSettings() : smartDateRuntimeSettings();
  KeptStrings kept;
  auto keep = [&](const String& s) { kept.items.push_back(rtl::AnsiUpperCase(rtl::Trim(s))); };
  keep(String(1, fs.DateSeparator));
  keep(String(1, fs.TimeSeparator));
  keep(fs.TimeAMString);
  keep(fs.TimePMString);
  return kept;
}

// Every literal word of the format in the text becomes as many blanks.
void removeFormatWords(String& text, const TcxDateTimeFormatInfo* info, const KeptStrings& kept) {
  if (!info) return;
  for (int k = 0; k < info->ItemCount(); ++k) {
    const TcxDateTimeFormatItem& item = *info->Items(k);
    if (item.Kind != dtikString) continue;
    const String word = rtl::AnsiUpperCase(rtl::Trim(item.Data));
    if (word.empty() || kept.contains(word)) continue;
    const String upper = rtl::AnsiUpperCase(text);
    if (upper.size() != text.size()) continue;  // case mapping changed the length
    size_t at = upper.find(word);
    while (at != String::npos) {
      std::fill(text.begin() + at, text.begin() + at + word.size(), u' ');
      at = upper.find(word, at + word.size());
    }
  }
}

bool hasItem(const TcxDateTimeFormatInfo* info, TcxDateTimeFormatItemKind kind) {
  for (int k = 0; k < info->ItemCount(); ++k) {
    if (info->Items(k)->Kind == kind) return true;
  }
  return false;
}

// Puts the day, month and year read along the format's items into the order
// and with the separator the conversion expects.
void reorderDateParts(String& text, bool ole, const TcxDateTimeFormatInfo* info) {
  TcxFormatController* controller = cxFormatController();
  const rtl::TFormatSettings& local = controller->LocalFormatSettings();
  const TcxDateOrder target =
      ole ? GetDateOrder(local.ShortDateFormat) : GetDateOrder(controller->DateFormatInfo());
  String separator(1, local.DateSeparator);
  if (!ole) {
    const TcxDateTimeFormatInfo* own = controller->DateFormatInfo();
    for (int k = 0; k < own->ItemCount(); ++k) {
      if (own->Items(k)->Kind == dtikDateSeparator) {
        separator = own->Items(k)->Data;
        break;
      }
    }
  }
  if (GetDateOrder(info) == target && hasItem(info, dtikYear) && hasItem(info, dtikMonth) &&
      hasItem(info, dtikDay)) {
    return;
  }
  const Char localSeparator = local.DateSeparator;
  const Char runtimeSeparator = smartDateRuntimeSettings().DateSeparator;
  String day, month, year;
  size_t pos = 0;
  auto readDigits = [&] {
    const size_t start = pos;
    while (pos < text.size() && rtl::IsDigit(text[pos])) ++pos;
    return text.substr(start, pos - start);
  };
  bool walking = true;
  for (int k = 0; walking && k < info->ItemCount() && pos <= text.size(); ++k) {
    const TcxDateTimeFormatItem& item = *info->Items(k);
    switch (item.Kind) {
      case dtikString: pos = std::min(text.size(), pos + item.Data.size()); break;
      case dtikYear: year = readDigits(); break;
      case dtikDay: day = readDigits(); break;
      case dtikMonth: {
        const size_t start = pos;
        while (pos < text.size() && text[pos] != localSeparator && text[pos] != runtimeSeparator) {
          ++pos;
        }
        month = text.substr(start, pos - start);
        break;
      }
      case dtikDateSeparator: pos = std::min(text.size(), pos + 1); break;
      default: walking = false; break;
    }
  }
  if (day.empty()) day = u"1";
  if (month.empty()) month = u"1";
  static const char16_t* const patterns[3] = {u"%2:s%0:s%1:s%0:s%3:s %4:s",
                                              u"%1:s%0:s%2:s%0:s%3:s %4:s",
                                              u"%3:s%0:s%2:s%0:s%1:s %4:s"};
  const String rest = text.substr(std::min(pos, text.size()));
  text = rtl::Format(patterns[std::clamp(target, 0, 2)], {separator, day, month, year, rest});
}

void collapseBlanks(String& text) {
  const String trimmed = rtl::Trim(text);
  String result;
  result.reserve(trimmed.size());
  for (size_t i = 0; i < trimmed.size(); ++i) {
    if (trimmed[i] <= u' ') {
      size_t j = i;
      while (j < trimmed.size() && trimmed[j] <= u' ') ++j;
      result += j - i >= 2 ? u' ' : trimmed[i];
      i = j - 1;
    } else {
      result += trimmed[i];
    }
  }
  text = result;
}

// What a conversion gave must be a date the library can show.
bool isShowableDate(TDateTime value) {
  constexpr double kLimit = 2147483647.0;
  if (!(value > -kLimit - 1 && value < kLimit)) return false;
  if (value < rtl::MinDateTime || value >= rtl::MaxDateTime + 1) return false;
  rtl::Word y = 0, m = 0, d = 0;
  rtl::DecodeDate(value, y, m, d);
  return d != 0 && y <= 9999;
}

// Texts of a locale whose calendar is not Gregorian are read by that
// calendar. Only the era and lunar calendars have readers; an unknown
// calendar falls back to the Gregorian reading, which also keeps the two
// readers from handing a text to each other without end.
bool readsInLocalCalendar() {
  if (cxFormatController()->LocalIsGregorianCalendar()) return false;
  const rtl::CALID id = cxGetLocalCalendarID();
  return id >= rtl::CAL_JAPAN && id <= rtl::CAL_HEBREW;
}

}  // namespace

std::array<String, kSmartInputCount>& scxDateEditSmartInput() {
  static std::array<String, kSmartInputCount> words;
  return words;
}

void InitSmartInputConsts() {
  std::array<String, kSmartInputCount>& words = scxDateEditSmartInput();
  for (int k = 0; k < kSmartInputCount; ++k) words[k] = cxGetResourceString(kSmartInputTexts[k]);
}

TcxSmartTextToDateFunc& SmartTextToDateFunc() {
  static TcxSmartTextToDateFunc hook = nullptr;
  return hook;
}

bool SmartTextToDate(const String& AText, TDateTime& ADate) {
  InitSmartInputConsts();
  const String text = rtl::Trim(AText);
  const WordSearch& search = wordSearch();
  const String upperText = rtl::AnsiUpperCase(text);
  bool result = false;
  for (int index : search.order) {
    const String& word = search.upper[index];
    if (word.empty() || upperText.size() != text.size() ||
        StringView(upperText).substr(0, word.size()) != word) {
      continue;
    }
    ADate = dateOfWord(static_cast<TcxDateEditSmartInput>(index));
    const String rest = rtl::Trim(StringView(text).substr(word.size()));
    if (rest.empty()) {
      result = true;
    } else if (rest[0] == u'+' || rest[0] == u'-') {
      int days = 0;
      if (rtl::TryStrToInt(rtl::Trim(StringView(rest).substr(1)), days)) {
        ADate += rest[0] == u'+' ? days : -static_cast<double>(days);
        result = true;
      }
    }
    break;
  }
  if (!result && SmartTextToDateFunc()) result = SmartTextToDateFunc()(AText, ADate);
  return result;
}

void AddDateRegExprMaskSmartInput(String& AMask, bool AWithNow) {
  InitSmartInputConsts();
  const std::array<String, kSmartInputCount>& words = scxDateEditSmartInput();
  const int last = static_cast<int>(AWithNow ? deiNow : deiEOM);
  String alternatives;
  for (int k = 0; k <= last; ++k) {
    if (k > 0) alternatives += u'|';
    alternatives += maskQuoted(words[k]);
  }
  AMask = u"(" + AMask + u")|(" + alternatives + u")((\\+|-)\\d(\\d(\\d\\d?)?)?)?";
}

void CorrectTextForDateTimeConversion(String& AText, bool AOleConversion,
                                      const TcxDateTimeFormatInfo* ADateFormatInfo,
                                      const TcxDateTimeFormatInfo* ATimeFormatInfo) {
  TcxFormatController* controller = cxFormatController();
  const KeptStrings kept = keptStrings(AOleConversion);
  if (ADateFormatInfo) {
    reorderDateParts(AText, AOleConversion, ADateFormatInfo);
  } else {
    removeFormatWords(AText, controller->DateFormatInfo(), kept);
  }
  removeFormatWords(AText, ATimeFormatInfo ? ATimeFormatInfo : controller->TimeFormatInfo(), kept);
  collapseBlanks(AText);
  if (AOleConversion) {
    const Char separator = controller->LocalFormatSettings().DateSeparator;
    if (separator != 0) std::replace(AText.begin(), AText.end(), separator, u' ');
  }
}

bool TextToDateEx(const String& AText, TDateTime& ADate, const String& AFormat) {
  if (!AFormat.empty()) {
    TcxDateTimeFormatInfo info;
    cxFormatController()->GetDateTimeFormatInfo(AFormat, &info);
    String text = AText;
    CorrectTextForDateTimeConversion(text, true, &info, &info);
    ADate = variantTextToDate(text);
  } else {
    ADate = cxTextToDateTime(AText, cxFormatController()->UseCorvexDateTimeFormats());
  }
  return ADate != NullDate;
}

TDateTime cxTextToDateTime(const String& AText, bool AUseCorvexFormats) {
  try {
    String text = rtl::Trim(AText);
    if (text.empty()) return NullDate;
    if (readsInLocalCalendar()) return cxLocalFormatStrToDate(text);
    TDateTime result = NullDate;
    if (!SmartTextToDate(text, result)) {
      CorrectTextForDateTimeConversion(text, !AUseCorvexFormats, nullptr, nullptr);
      result = AUseCorvexFormats ? rtl::StrToDateTime(text) : variantTextToDate(text);
    }
    return isShowableDate(result) ? result : NullDate;
  } catch (const std::exception&) {  // whatever failed, nothing was read
    return NullDate;
  }
}

bool cxStrToDateTime(const String& AText, bool AUseOleDateFormat, TDateTime& ADate) {
  ADate = NullDate;
  try {
    if (readsInLocalCalendar()) {
      ADate = cxLocalFormatStrToDate(AText);
      return true;
    }
    String text = AText;
    CorrectTextForDateTimeConversion(text, AUseOleDateFormat, nullptr, nullptr);
    ADate = AUseOleDateFormat ? variantTextToDate(text) : rtl::StrToDateTime(text);
    return true;
  } catch (const std::exception&) {
    ADate = NullDate;
    return false;
  }
}

String cxDateTimeToText(bool AFourDigitYearNeeded, bool AUseCorvexFormats, TDateTime ADate) {
  if (ADate == NullDate) return u"";
  const rtl::TFormatSettings& fs = smartDateRuntimeSettings();
  String format;
  if (AUseCorvexFormats) {
    format = fs.ShortDateFormat;
    if (dxTimeOf(ADate) != 0) format += u" " + fs.LongTimeFormat;
  } else {
    format = cxFormatController()->LocalFormatSettings().ShortDateFormat;
  }
  if (AFourDigitYearNeeded) {
    const String lower = rtl::LowerCase(format);
    const size_t at = lower.find(u"yy");
    if (at != String::npos && lower.find(u"yyy") == String::npos) {
      format.insert(at + 2, 2, format[at]);
    }
  }
  if (AUseCorvexFormats) return rtl::FormatDateTime(format, ADate);
  const rtl::LCID locale = rtl::GetThreadLocale();
  const rtl::SYSTEMTIME stamp = rtl::DateTimeToSystemTime(ADate);
  Char buffer[100];
  if (rtl::GetDateFormatW(locale, 0, &stamp, format.c_str(), buffer, 100) > 0) {
    String text(buffer);
    if (dxTimeOf(ADate) != 0 && rtl::GetTimeFormatW(locale, 0, &stamp, nullptr, buffer, 100) > 0) {
      text += u" ";
      text += buffer;
    }
    return text;
  }
  try {
    return variantDateToText(ADate);
  } catch (const rtl::Exception&) {
    return u"";
  }
}

String DateTimeToText(TDateTime ADate, bool AFourDigitYearNeeded) {
  return cxDateTimeToText(AFourDigitYearNeeded, cxFormatController()->UseCorvexDateTimeFormats(),
                          ADate);
}

String DateTimeToTextEx(TDateTime ADate, bool AIsMasked, bool AIsDateTime,
                        bool AFourDigitYearNeeded) {
  if (ADate == NullDate) return u"";
  TcxFormatController* controller = cxFormatController();
  if (!controller->LocalIsGregorianCalendar()) return cxDateToLocalFormatStr(ADate);
  if (AIsMasked) {
    return AIsDateTime ? rtl::FormatDateTime(controller->MaskedDateTimeEditFormat(), ADate)
                       : rtl::FormatDateTime(controller->MaskedDateEditFormat(), dxDateOf(ADate));
  }
  return DateTimeToText(ADate, AFourDigitYearNeeded);
}

}  // namespace core
