#include "lib/core/cxFormats.h"

#include <algorithm>

#include "lib/core/cxCalendarTables.h"
#include "lib/core/cxDateTexts.h"
#include "lib/core/cxSmartDate.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"
#include "platform/win/constants.h"

namespace core {

using rtl::Char;
using rtl::StringView;

namespace {

const rtl::TFormatSettings& formatRuntimeSettings() { return rtl::FormatSettings(); }

// The copy behind dxFormatSettings; the controller refreshes it through this
// name, since dxFormatSettings would make the controller again while it is
// being made.
TdxFormatSettings& formatSettingsCopy() {
  static TdxFormatSettings settings;
  return settings;
}

Char upperAscii(Char c) { return (c >= u'a' && c <= u'z') ? Char(c - 32) : c; }

// Counts the characters equal to s[i] (as written) from i on.
int runLength(const String& s, size_t i) {
  size_t j = i;
  while (j < s.size() && s[j] == s[i]) ++j;
  return static_cast<int>(j - i);
}

bool matchesAt(const String& s, size_t i, StringView word) {
  if (s.size() - i < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k) {
    if (upperAscii(s[i + k]) != word[k]) return false;
  }
  return true;
}

// The format-string parser: levels limit the nesting of the named formats
// ("C", "ddddd", "t"...), so a settings value that names itself cannot recurse.
class FormatParser {
 public:
  FormatParser(const TcxFormatController& controller, TcxDateTimeFormatInfo* info)
      : controller_(controller), info_(info) {}

  bool Parse(const String& s, int level) {
    if (level >= 2 || s.empty()) return true;
    const int sub = level + 1;
    Char lastLetter = 0;
    bool hourSeen = false;
    bool amPmSeen = false;
    size_t i = 0;
    while (i < s.size()) {
      const Char raw = s[i];
      Char c = upperAscii(raw);
      const bool letter = c >= u'A' && c <= u'Z';
      if (letter) {
        if (c == u'M' && lastLetter == u'H') c = u'N';
        lastLetter = c;
      }
      const int run = runLength(s, i);
      switch (c) {
        case u'"':
        case u'\'': {
          size_t close = s.find(raw, i + 1);
          if (close == String::npos) close = s.size();
          addLiteral(StringView(s).substr(i + 1, close - i - 1));
          i = std::min(close + 1, s.size());
          continue;
        }
        case u'/':
          info_->AddItem(dtikDateSeparator, u"/");
          break;
        case u':':
          info_->AddItem(dtikTimeSeparator, u":");
          break;
        case u'A':
          if (matchesAt(s, i, u"AM/PM")) {
            addItem(dtikTimeSuffix, s.substr(i, 5));
            amPmSeen = true;
            i += 5;
          } else if (matchesAt(s, i, u"A/P")) {
            addItem(dtikTimeSuffix, s.substr(i, 3));
            amPmSeen = true;
            i += 3;
          } else if (matchesAt(s, i, u"AMPM")) {
            addItem(dtikTimeSuffix, u"AMPM");
            amPmSeen = true;
            i += 4;
          } else if (matchesAt(s, i, u"AAAA")) {
            addItem(dtikDay, u"DDDD");
            i += 4;
          } else if (matchesAt(s, i, u"AAA")) {
            addItem(dtikDay, u"DDD");
            i += 3;
          } else {
            addLiteral(StringView(s).substr(i, 1));
            ++i;
          }
          continue;
        case u'C':
          if (!Parse(formatRuntimeSettings().ShortDateFormat, sub)) return false;
          addLiteral(u" ");
          if (!Parse(controller_.GetLongTimeFormat(), sub)) return false;
          break;
        case u'D':
          if (run <= 4) {
            addItem(dtikDay, String(run, u'D'));
          } else if (!Parse(run == 5 ? formatRuntimeSettings().ShortDateFormat
                                     : formatRuntimeSettings().LongDateFormat,
                            sub)) {
            return false;
          }
          i += run;
          continue;
        case u'E':
        case u'Y':
          addItem(dtikYear, run > 2 ? u"YYYY" : u"YY");
          i += run;
          continue;
        case u'G':
          return false;  // era formats are not supported
        case u'H':
          addItem(dtikHour, String(std::min(run, 2), u'H'));
          hourSeen = true;
          i += run;
          continue;
        case u'M':
          addItem(dtikMonth, String(std::min(run, 4), u'M'));
          i += run;
          continue;
        case u'N':
          addItem(dtikMin, String(std::min(run, 2), u'N'));
          i += run;
          continue;
        case u'S':
          addItem(dtikSec, String(std::min(run, 2), u'S'));
          i += run;
          continue;
        case u'Z':
          addItem(dtikMSec, String(std::min(run, 3), u'Z'));
          i += run;
          continue;
        case u'T':
          if (!Parse(run == 1 ? formatRuntimeSettings().ShortTimeFormat
                              : controller_.GetLongTimeFormat(),
                     sub)) {
            return false;
          }
          i += run;
          continue;
        default:
          addLiteral(StringView(s).substr(i, 1));
          break;
      }
      ++i;
    }
    if (hourSeen) hourHasAmPm_ = amPmSeen;
    return true;
  }

  // The first hour item learns whether it counts 12 or 24 hours; a time
  // suffix without an hour means nothing and goes.
  void CompleteHour() {
    for (int k = 0; k < info_->ItemCount(); ++k) {
      TcxDateTimeFormatItem* item = info_->Items(k);
      if (item->Kind == dtikHour) {
        item->Data = (hourHasAmPm_ ? u"12" : u"24") + item->Data;
        return;
      }
    }
    for (int k = 0; k < info_->ItemCount(); ++k) {
      if (info_->Items(k)->Kind == dtikTimeSuffix) {
        info_->RemoveItem(k);
        info_->SetDefinedItems(dtikTimeSuffix, false);
        return;
      }
    }
  }

 private:
  void addLiteral(StringView text) {
    const int n = info_->ItemCount();
    if (n > 0 && info_->Items(n - 1)->Kind == dtikString) {
      info_->Items(n - 1)->Data += text;
    } else {
      info_->AddItem(dtikString, String(text));
    }
  }
  // The first occurrence of a kind wins.
  void addItem(TcxDateTimeFormatItemKind kind, const String& data) {
    if (info_->DefinedItems(kind)) return;
    info_->AddItem(kind, data);
  }

  const TcxFormatController& controller_;
  TcxDateTimeFormatInfo* info_;
  bool hourHasAmPm_ = false;
};

TcxTimeSuffixKind timeSuffixKind(const String& data) {
  const String u = rtl::UpperCase(data);
  if (u == u"A/P") return tskAP;
  if (u == u"AM/PM") return tskAMPM;
  return tskAMPMString;
}

int designatorLength() {
  const rtl::TFormatSettings& fs = formatRuntimeSettings();
  return static_cast<int>(std::max(fs.TimeAMString.size(), fs.TimePMString.size()));
}

int zoneLength(const TcxDateTimeFormatItem& item) {
  switch (item.Kind) {
    case dtikString: return static_cast<int>(item.Data.size());
    case dtikYear: return item.Data == u"YY" ? 2 : 4;
    case dtikMonth:
    case dtikDay: return item.Data.size() > 2 ? 3 : 2;
    case dtikHour:
    case dtikMin:
    case dtikSec: return 2;
    case dtikTimeSuffix:
      switch (timeSuffixKind(item.Data)) {
        case tskAP: return 1;
        case tskAMPM: return 2;
        default: return designatorLength();
      }
    case dtikDateSeparator:
    case dtikTimeSeparator: return 1;
    default: return 0;
  }
}

// A literal of the regular-expression mask language.
String quoted(StringView text) { return u"'" + String(text) + u"'"; }

String separatorFragment(Char separator) {
  if (separator == 0) return u"";
  if (separator == u' ') return u"' '";
  return String(u"\\") + separator;
}

String monthFragment(bool longNames) {
  const rtl::TFormatSettings& fs = formatRuntimeSettings();
  String names;
  for (int m = 0; m < 12; ++m) {
    if (m > 0) names += u'|';
    names += quoted(longNames ? fs.LongMonthNames[m] : fs.ShortMonthNames[m]);
  }
  return u"((0?[1-9]|1[012])|(" + names + u"))";
}

String timeSuffixFragment(const String& data) {
  switch (timeSuffixKind(data)) {
    case tskAP: return u"(A|P)?";
    case tskAMPM: return u"(AM|PM)?";
    default: break;
  }
  const rtl::TFormatSettings& fs = formatRuntimeSettings();
  if (fs.TimeAMString.empty() && fs.TimePMString.empty()) return u"";
  if (fs.TimeAMString.empty() || fs.TimePMString.empty()) {
    return u"('" + fs.TimeAMString + fs.TimePMString + u"')?";
  }
  return u"('" + fs.TimeAMString + u"'|'" + fs.TimePMString + u"')?";
}

bool isDateItem(TcxDateTimeFormatItemKind kind) {
  return kind == dtikString || kind == dtikYear || kind == dtikMonth || kind == dtikDay ||
         kind == dtikDateSeparator;
}

bool isTimeItem(TcxDateTimeFormatItemKind kind) {
  return kind == dtikHour || kind == dtikMin || kind == dtikSec || kind == dtikTimeSuffix ||
         kind == dtikTimeSeparator;
}

// Doubles each single d and M; the masked form cuts the first run of M's to three.
String doubledDayAndMonth(const String& format, bool masked) {
  String result;
  bool monthRunCut = false;
  size_t i = 0;
  while (i < format.size()) {
    const Char c = format[i];
    const Char u = upperAscii(c);
    if (u != u'D' && u != u'M') {
      result += c;
      ++i;
      continue;
    }
    size_t j = i;
    while (j < format.size() && upperAscii(format[j]) == u) ++j;
    int n = static_cast<int>(j - i);
    String run = format.substr(i, j - i);
    if (n == 1) run += c;
    if (u == u'M' && masked && !monthRunCut) {
      monthRunCut = true;
      if (run.size() > 3) run.resize(3);
    }
    result += run;
    i = j;
  }
  return result;
}

String currencySymbol() {
  String result;
  for (Char c : formatRuntimeSettings().CurrencyString) {
    if (c == u',' || c == u'.') {
      result += u'\'';
      result += c;
      result += u'\'';
    } else {
      result += c;
    }
  }
  return result;
}


std::unique_ptr<TcxFormatController>& controllerSlot() {
  static std::unique_ptr<TcxFormatController> controller;
  return controller;
}

}  // namespace

// ---------------------------------------------------------------------------
// TcxDateTimeFormatInfo

TcxDateTimeFormatInfo::~TcxDateTimeFormatInfo() = default;

void TcxDateTimeFormatInfo::AddItem(TcxDateTimeFormatItemKind AKind, const String& AData) {
  FItems.push_back(std::make_unique<TcxDateTimeFormatItem>(AKind, AData));
  FDefinedItems[static_cast<int>(AKind)] = true;
}

void TcxDateTimeFormatInfo::ClearItems() { FItems.clear(); }

void TcxDateTimeFormatInfo::RemoveItem(int AIndex) { FItems.erase(FItems.begin() + AIndex); }

void TcxDateTimeFormatInfo::ClearFormatInfo() {
  ClearItems();
  FDefinedItems.fill(false);
}

// ---------------------------------------------------------------------------
// TcxFormatController

TcxFormatController::TcxFormatController()
    : FDateFormatInfo(std::make_unique<TcxDateTimeFormatInfo>()),
      FDateTimeFormatInfo(std::make_unique<TcxDateTimeFormatInfo>()),
      FTimeFormatInfo(std::make_unique<TcxDateTimeFormatInfo>()) {
  GetFormats();
  dxResourceStringsRepository()->AddListener(this);
}

TcxFormatController::~TcxFormatController() {
  dxResourceStringsRepository()->RemoveListener(this);
}

void TcxFormatController::AddListener(IcxFormatControllerListener* AListener) {
  if (AListener && std::find(FList.begin(), FList.end(), AListener) == FList.end()) {
    FList.push_back(AListener);
  }
}

void TcxFormatController::RemoveListener(IcxFormatControllerListener* AListener) {
  auto it = std::find(FList.begin(), FList.end(), AListener);
  if (it != FList.end()) FList.erase(it);
}

void TcxFormatController::EndUpdate() {
  if (FLockCount > 0 && --FLockCount == 0) FormatChanged();
}

void TcxFormatController::FormatChanged() {
  if (FLockCount != 0) return;
  GetFormats();
  NotifyListeners();
}

void TcxFormatController::NotifyListeners() {
  // A copy, so that a listener that removes itself does not shift the walk.
  const std::vector<IcxFormatControllerListener*> listeners = FList;
  for (IcxFormatControllerListener* listener : listeners) listener->FormatChanged();
}

void TcxFormatController::TimeChanged() {
  const std::vector<IcxFormatControllerListener*> listeners = FList;
  for (IcxFormatControllerListener* listener : listeners) {
    if (auto* listener2 = dynamic_cast<IcxFormatControllerListener2*>(listener)) {
      listener2->TimeChanged();
    }
  }
}

void TcxFormatController::GetFormats() {
  formatSettingsCopy().Refresh();
  if (!FAssignedCurrencyFormat) FCurrencyFormat = GetCurrencyFormat();
  FDateEditFormat = GetDateEditFormat(false);
  UpdateLocalSettings();
  CalculateDateEditMasks(true);
}

void TcxFormatController::UpdateLocalSettings() {
  cxGetLocalFormatSettings(FLocalFormatSettings);
  const rtl::LCID locale = rtl::GetThreadLocale();
  localeSettings_ = rtl::LocaleFormatSettings(locale);
  const rtl::CALID calendar = rtl::CALID(rtl::GetLocaleInt(locale, rtl::LOCALE_ICALENDARTYPE, 1));
  rtl::LongWord maxYear = 0;
  const bool known =
      rtl::GetCalendarInfoW(locale, calendar, rtl::CAL_ITWODIGITYEARMAX | rtl::CAL_RETURN_NUMBER,
                            nullptr, 0, &maxYear) > 0;
  twoDigitYearMax_ = known && maxYear >= 99 && maxYear <= 9999 ? int(maxYear) : 0;
  FLocalIsGregorianCalendar = cxIsGregorianCalendar(cxGetLocalCalendar());
}

const rtl::TFormatSettings& TcxFormatController::LocaleConversionSettings() const {
  if (twoDigitYearMax_ > 0) {
    // Relative to the current year, as the run-time conversion counts it.
    const int window = int(rtl::YearOf(rtl::Date())) - (twoDigitYearMax_ - 99);
    localeSettings_.TwoDigitYearCenturyWindow = rtl::Word(std::clamp(window, 0, 9999));
  }
  return localeSettings_;
}

String TcxFormatController::GetDateTimeDisplayFormat(TcxDateTimeEditMaskKind AKind) const {
  switch (AKind) {
    case dtmkDate: return formatRuntimeSettings().ShortDateFormat;
    case dtmkTime: return GetLongTimeFormat();
    default: return formatRuntimeSettings().ShortDateFormat + u" " + GetLongTimeFormat();
  }
}

String TcxFormatController::RegExprCustomDateEditMask(const String& AFormat) const {
  TcxDateTimeFormatInfo info;
  GetDateTimeFormatInfo(AFormat, &info);
  return InternalGetDateTimeEditRegExprMask(
      &info, info.DefinedItems(dtikHour) ? dtmkDateTime : dtmkDate);
}

String TcxFormatController::GetDateEditFormat(bool AIsMasked) const {
  return doubledDayAndMonth(formatRuntimeSettings().ShortDateFormat, AIsMasked);
}

String TcxFormatController::GetCurrencyFormat() {
  const rtl::TFormatSettings& fs = formatRuntimeSettings();
  const String n = u",0." + String(fs.CurrencyDecimals, u'0');
  const String c = currencySymbol();
  static const char16_t* const positive[4] = {u"$n", u"n$", u"$ n", u"n $"};
  static const char16_t* const negative[16] = {
      u"($n)", u"-$n", u"$-n", u"$n-", u"(n$)", u"-n$", u"n-$", u"n$-",
      u"-n $", u"-$ n", u"n $-", u"$ n-", u"$ -n", u"n- $", u"($ n)", u"(n $)"};
  auto expand = [&](StringView pattern) {
    String result;
    for (Char ch : pattern) {
      if (ch == u'$') {
        result += c;
      } else if (ch == u'n') {
        result += n;
      } else {
        result += ch;
      }
    }
    return result;
  };
  return expand(positive[fs.CurrencyFormat % 4]) + u";" + expand(negative[fs.NegCurrFormat % 16]);
}

String TcxFormatController::GetLongTimeFormat() const {
  if (FUseCorvexDateTimeFormats) return formatRuntimeSettings().LongTimeFormat;
  const String local = cxGetLocalLongTimeFormat();
  String result;
  size_t i = 0;
  while (i < local.size()) {
    if (upperAscii(local[i]) != u'T') {
      result += local[i++];
      continue;
    }
    size_t j = i;
    while (j < local.size() && upperAscii(local[j]) == u'T') ++j;
    result += (j - i == 1) ? u"A/P" : u"AMPM";
    i = j;
  }
  return result;
}

void TcxFormatController::GetDateTimeFormatInfo(const String& AFormat,
                                                TcxDateTimeFormatInfo* AInfo) const {
  AInfo->ClearFormatInfo();
  FormatParser parser(*this, AInfo);
  if (parser.Parse(AFormat.empty() ? String(u"C") : AFormat, 0)) {
    parser.CompleteHour();
  } else {
    AInfo->ClearFormatInfo();
  }
}

bool TcxFormatController::GetDateTimeFormatItemStandardMaskInfo(
    TcxDateTimeFormatInfo* AFormatInfo, int APos, TcxDateTimeFormatItemInfo& AItemInfo) {
  if (APos <= 0 || AFormatInfo->ItemCount() == 0) return false;
  int start = 1;
  for (int k = 0; k < AFormatInfo->ItemCount(); ++k) {
    const TcxDateTimeFormatItem& item = *AFormatInfo->Items(k);
    const int length = zoneLength(item);
    if (APos >= start && APos < start + length) {
      AItemInfo.Kind = item.Kind;
      AItemInfo.ItemZoneStart = start;
      AItemInfo.ItemZoneLength = length;
      if (item.Kind == dtikTimeSuffix) AItemInfo.TimeSuffixKind = timeSuffixKind(item.Data);
      return true;
    }
    start += length;
  }
  return false;
}

int TcxFormatController::GetDateTimeStandardMaskStringLength(TcxDateTimeFormatInfo* AFormatInfo) {
  int length = 0;
  for (int k = 0; k < AFormatInfo->ItemCount(); ++k) length += zoneLength(*AFormatInfo->Items(k));
  return length;
}

String TcxFormatController::InternalGetDateTimeEditStandardMask(TcxDateTimeFormatInfo* AInfo,
                                                                TcxDateTimeEditMaskKind AKind) {
  if (AInfo->ItemCount() == 0) return u"";
  const bool timeKind = AKind == dtmkTime;
  String mask = timeKind ? u"" : u"!";
  for (int k = 0; k < AInfo->ItemCount(); ++k) {
    const TcxDateTimeFormatItem& item = *AInfo->Items(k);
    switch (item.Kind) {
      case dtikString:
        for (Char c : item.Data) {
          mask += u'\\';
          mask += c;
        }
        break;
      case dtikYear: mask += item.Data == u"YY" ? u"99" : u"9999"; break;
      case dtikMonth:
      case dtikDay: mask += item.Data.size() > 2 ? u"lll" : u"99"; break;
      case dtikHour:
      case dtikMin:
      case dtikSec: mask += timeKind ? u"00" : u"99"; break;
      case dtikTimeSuffix: mask += String(zoneLength(item), u'c'); break;
      case dtikDateSeparator: mask += u'/'; break;
      case dtikTimeSeparator: mask += u':'; break;
      default: break;
    }
  }
  return mask + (timeKind ? u";1;0" : u";1; ");
}

String TcxFormatController::InternalGetDateTimeEditRegExprMask(TcxDateTimeFormatInfo* AInfo,
                                                               TcxDateTimeEditMaskKind AKind) {
  const bool dates = AKind != dtmkTime;
  const bool times = AKind != dtmkDate;
  const rtl::TFormatSettings& fs = formatRuntimeSettings();
  String mask;
  for (int k = 0; k < AInfo->ItemCount(); ++k) {
    const TcxDateTimeFormatItem& item = *AInfo->Items(k);
    const bool wanted = item.Kind == dtikString ? (dates || times)
                                                : (dates && isDateItem(item.Kind)) ||
                                                      (times && isTimeItem(item.Kind));
    if (!wanted) continue;
    switch (item.Kind) {
      case dtikString: mask += quoted(item.Data); break;
      case dtikYear: mask += item.Data == u"YY" ? u"\\d\\d" : u"\\d\\d\\d\\d"; break;
      case dtikMonth: mask += monthFragment(item.Data.size() == 4); break;
      case dtikDay: mask += u"([012]?[1-9]|[123]0|31)"; break;
      case dtikDateSeparator: mask += separatorFragment(fs.DateSeparator); break;
      case dtikTimeSeparator: mask += separatorFragment(fs.TimeSeparator); break;
      case dtikHour:
        mask += rtl::StartsStr(u"12", item.Data) ? u"(0?[1-9]|1[012])" : u"([01]?\\d|2[0-3])";
        break;
      case dtikMin:
      case dtikSec: mask += u"[0-5]?\\d"; break;
      case dtikTimeSuffix: mask += timeSuffixFragment(item.Data); break;
      default: break;
    }
  }
  return mask;
}

String TcxFormatController::InternalGetMaskedDateEditFormat(TcxDateTimeFormatInfo* AInfo) {
  String format;
  for (int k = 0; k < AInfo->ItemCount(); ++k) {
    const TcxDateTimeFormatItem& item = *AInfo->Items(k);
    switch (item.Kind) {
      case dtikString: format += quoted(item.Data); break;
      case dtikYear: format += rtl::LowerCase(item.Data); break;
      case dtikMonth: format += item.Data.size() > 2 ? u"mmm" : u"mm"; break;
      case dtikDay: format += item.Data.size() > 2 ? u"ddd" : u"dd"; break;
      case dtikHour: format += u"hh"; break;
      case dtikMin: format += u"nn"; break;
      case dtikSec: format += u"ss"; break;
      case dtikTimeSuffix: format += rtl::LowerCase(item.Data); break;
      case dtikDateSeparator: format += u'/'; break;
      case dtikTimeSeparator: format += u':'; break;
      default: break;
    }
  }
  return format;
}

void TcxFormatController::CalculateDateEditMasks(bool AUseSmartInput) {
  GetDateTimeFormatInfo(GetDateTimeDisplayFormat(dtmkDate), FDateFormatInfo.get());
  GetDateTimeFormatInfo(GetDateTimeDisplayFormat(dtmkTime), FTimeFormatInfo.get());
  GetDateTimeFormatInfo(GetDateTimeDisplayFormat(dtmkDateTime), FDateTimeFormatInfo.get());
  FDateEditMask = InternalGetDateTimeEditStandardMask(FDateFormatInfo.get(), dtmkDate);
  if (!FAssignedStandardDateEditMask) FStandardDateEditMask = FDateEditMask;
  const String dateMask = InternalGetDateTimeEditRegExprMask(FDateFormatInfo.get(), dtmkDate);
  if (!FAssignedRegExprDateEditMask) {
    FRegExprDateEditMask = dateMask;
    if (AUseSmartInput) AddDateRegExprMaskSmartInput(FRegExprDateEditMask, false);
  }
  if (!FAssignedRegExprDateTimeEditMask) {
    FRegExprDateTimeEditMask =
        dateMask + u" ' '(" +
        InternalGetDateTimeEditRegExprMask(FTimeFormatInfo.get(), dtmkTime) + u")?";
    if (AUseSmartInput) AddDateRegExprMaskSmartInput(FRegExprDateTimeEditMask, true);
  }
  if (!FAssignedStandardDateTimeEditMask) {
    FStandardDateTimeEditMask =
        InternalGetDateTimeEditStandardMask(FDateTimeFormatInfo.get(), dtmkDateTime);
  }
  FMaskedDateEditFormat = InternalGetMaskedDateEditFormat(FDateFormatInfo.get());
  FMaskedDateTimeEditFormat = InternalGetMaskedDateEditFormat(FDateTimeFormatInfo.get());
}

void TcxFormatController::WndProc(ui::TMessage& Message) {
  if (Message.Msg == win::WM_SETTINGCHANGE && Message.WParam == 0 && Message.LParam != 0 &&
      StringView(reinterpret_cast<const Char*>(Message.LParam)) == u"intl") {
    if (ui::Application->UpdateFormatSettings()) {
      rtl::SetThreadLocale(rtl::LOCALE_USER_DEFAULT);
      rtl::UpdateFormatSettings();
      GetFormats();
      NotifyListeners();
    } else {
      UpdateLocalSettings();
    }
    Message.Result = 0;
    return;
  }
  if (Message.Msg == win::WM_TIMECHANGE) {
    TimeChanged();
    Message.Result = 0;
    return;
  }
  TcxMessageWindow::WndProc(Message);
}

void TcxFormatController::SetAssignedCurrencyFormat(bool AValue) {
  if (FAssignedCurrencyFormat == AValue) return;
  FAssignedCurrencyFormat = AValue;
  if (!AValue) FormatChanged();
}

void TcxFormatController::SetAssignedRegExprDateEditMask(bool AValue) {
  if (FAssignedRegExprDateEditMask == AValue) return;
  FAssignedRegExprDateEditMask = AValue;
  if (!AValue) FormatChanged();
}

void TcxFormatController::SetAssignedRegExprDateTimeEditMask(bool AValue) {
  if (FAssignedRegExprDateTimeEditMask == AValue) return;
  FAssignedRegExprDateTimeEditMask = AValue;
  if (!AValue) FormatChanged();
}

void TcxFormatController::SetAssignedStandardDateEditMask(bool AValue) {
  if (FAssignedStandardDateEditMask == AValue) return;
  FAssignedStandardDateEditMask = AValue;
  if (!AValue) FormatChanged();
}

void TcxFormatController::SetAssignedStandardDateTimeEditMask(bool AValue) {
  if (FAssignedStandardDateTimeEditMask == AValue) return;
  FAssignedStandardDateTimeEditMask = AValue;
  if (!AValue) FormatChanged();
}

void TcxFormatController::SetCurrencyFormat(const String& AValue) {
  FAssignedCurrencyFormat = true;
  if (FCurrencyFormat == AValue) return;
  FCurrencyFormat = AValue;
  NotifyListeners();
}

void TcxFormatController::SetRegExprDateEditMask(const String& AValue) {
  FAssignedRegExprDateEditMask = true;
  if (FRegExprDateEditMask == AValue) return;
  FRegExprDateEditMask = AValue;
  NotifyListeners();
}

void TcxFormatController::SetRegExprDateTimeEditMask(const String& AValue) {
  FAssignedRegExprDateTimeEditMask = true;
  if (FRegExprDateTimeEditMask == AValue) return;
  FRegExprDateTimeEditMask = AValue;
  NotifyListeners();
}

void TcxFormatController::SetStandardDateEditMask(const String& AValue) {
  FAssignedStandardDateEditMask = true;
  if (FStandardDateEditMask == AValue) return;
  FStandardDateEditMask = AValue;
  NotifyListeners();
}

void TcxFormatController::SetStandardDateTimeEditMask(const String& AValue) {
  FAssignedStandardDateTimeEditMask = true;
  if (FStandardDateTimeEditMask == AValue) return;
  FStandardDateTimeEditMask = AValue;
  NotifyListeners();
}

void TcxFormatController::SetUseCorvexDateTimeFormats(bool AValue) {
  if (FUseCorvexDateTimeFormats == AValue) return;
  FUseCorvexDateTimeFormats = AValue;
  FormatChanged();
}

TcxFormatController* cxFormatController() {
  // The repository the controller listens to is made first, so that it is
  // freed after the controller when the program ends.
  dxResourceStringsRepository();
  std::unique_ptr<TcxFormatController>& slot = controllerSlot();
  if (!slot) slot = std::make_unique<TcxFormatController>();
  return slot.get();
}

void cxFormatsUnitStop() { controllerSlot().reset(); }

// ---------------------------------------------------------------------------
// TdxFormatSettings

TdxFormatSettings::TdxFormatSettings() : rtl::TFormatSettings(rtl::FormatSettings()) {}

TdxFormatSettings::TdxFormatSettings(const rtl::TFormatSettings& ASource)
    : rtl::TFormatSettings(ASource) {}

void TdxFormatSettings::Refresh() {
  static_cast<rtl::TFormatSettings&>(*this) = rtl::FormatSettings();
}

TdxFormatSettings* dxFormatSettings() {
  cxFormatController();
  return &formatSettingsCopy();
}

}  // namespace core
