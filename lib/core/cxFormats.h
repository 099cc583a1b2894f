#pragma once
// The user's date, time and money formats in the forms the editors use: the
// parsed date-time formats, the standard and regular-expression edit masks,
// the masked display formats and the currency format. One process-wide
// controller keeps them, recomputes them when the regional settings or the
// library's translations change, and tells its listeners.
#include <array>
#include <memory>
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/cxDateUtils.h"
#include "lib/core/dxCore.h"
#include "lib/core/forward.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/types.h"

namespace core {

// --- parsed date-time formats ----------------------------------------------------------

enum class TcxDateTimeFormatItemKind {
  dtikString, dtikYear, dtikMonth, dtikDay, dtikHour, dtikMin, dtikSec, dtikMSec,
  dtikTimeSuffix, dtikDateSeparator, dtikTimeSeparator
};
using enum TcxDateTimeFormatItemKind;
inline constexpr int kDateTimeFormatItemKindCount = 11;

// "A/P", "AM/PM" and any other suffix ("AMPM": the locale's designators).
enum class TcxTimeSuffixKind { tskAP, tskAMPM, tskAMPMString };
using enum TcxTimeSuffixKind;

enum class TcxDateTimeEditMaskKind { dtmkDate, dtmkTime, dtmkDateTime };
using enum TcxDateTimeEditMaskKind;

class TcxDateTimeFormatItem : public rtl::TObject {
 public:
  TcxDateTimeFormatItem(TcxDateTimeFormatItemKind AKind, const String& AData)
      : Kind(AKind), Data(AData) {}
  TcxDateTimeFormatItemKind Kind;
  String Data;
};

class TcxDateTimeFormatInfo : public rtl::TObject {
 public:
  TcxDateTimeFormatInfo() = default;
  ~TcxDateTimeFormatInfo() override;

  void AddItem(TcxDateTimeFormatItemKind AKind, const String& AData);
  void ClearItems();
  void RemoveItem(int AIndex);
  // Items cleared and every kind undefined.
  void ClearFormatInfo();
  int ItemCount() const { return static_cast<int>(FItems.size()); }
  TcxDateTimeFormatItem* Items(int AIndex) const { return FItems.at(AIndex).get(); }
  bool DefinedItems(TcxDateTimeFormatItemKind AKind) const {
    return FDefinedItems[static_cast<int>(AKind)];
  }
  void SetDefinedItems(TcxDateTimeFormatItemKind AKind, bool AValue) {
    FDefinedItems[static_cast<int>(AKind)] = AValue;
  }

 private:
  std::array<bool, kDateTimeFormatItemKindCount> FDefinedItems{};
  std::vector<std::unique_ptr<TcxDateTimeFormatItem>> FItems;
};

struct TcxDateTimeFormatItemInfo {
  TcxDateTimeFormatItemKind Kind = dtikString;
  int ItemZoneStart = 0;
  int ItemZoneLength = 0;
  TcxTimeSuffixKind TimeSuffixKind = tskAP;
};

// --- listeners -----------------------------------------------------------------------------

// {A7F2F6D3-1A7D-4295-A6E6-9297BD83D0DE}
class IcxFormatControllerListener {
 public:
  virtual void FormatChanged() = 0;

 protected:
  ~IcxFormatControllerListener() = default;
};

// {5E33A2A7-0C77-415F-A359-112103E54937}; a listener that also implements
// this hears of changes of the system time.
class IcxFormatControllerListener2 {
 public:
  virtual void TimeChanged() = 0;

 protected:
  ~IcxFormatControllerListener2() = default;
};

// --- the controller ---------------------------------------------------------------------

class TcxFormatController : public TcxMessageWindow, public IdxLocalizerListener {
  RTL_CLASS(TcxFormatController, TcxMessageWindow)

 public:
  TcxFormatController();
  ~TcxFormatController() override;

  virtual void AddListener(IcxFormatControllerListener* AListener);
  virtual void RemoveListener(IcxFormatControllerListener* AListener);
  int ListenerCount() const { return static_cast<int>(FList.size()); }

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  // Recomputes and tells the listeners, unless locked.
  void FormatChanged();
  void NotifyListeners();
  void TimeChanged();
  void GetFormats();
  void UpdateLocalSettings();

  // 0 date, 1 time, 2 date and time.
  String GetDateTimeDisplayFormat(TcxDateTimeEditMaskKind AKind) const;
  String RegExprCustomDateEditMask(const String& AFormat) const;
  String GetDateEditFormat(bool AIsMasked) const;
  static String GetCurrencyFormat();

  // Parses AFormat ("C" when empty) into AInfo; a format it cannot read
  // (era letters) leaves AInfo empty.
  void GetDateTimeFormatInfo(const String& AFormat, TcxDateTimeFormatInfo* AInfo) const;
  static bool GetDateTimeFormatItemStandardMaskInfo(TcxDateTimeFormatInfo* AFormatInfo, int APos,
                                                    TcxDateTimeFormatItemInfo& AItemInfo);
  static int GetDateTimeStandardMaskStringLength(TcxDateTimeFormatInfo* AFormatInfo);
  static String InternalGetDateTimeEditStandardMask(TcxDateTimeFormatInfo* AInfo,
                                                    TcxDateTimeEditMaskKind AKind);
  static String InternalGetDateTimeEditRegExprMask(TcxDateTimeFormatInfo* AInfo,
                                                   TcxDateTimeEditMaskKind AKind);
  static String InternalGetMaskedDateEditFormat(TcxDateTimeFormatInfo* AInfo);
  // The long time format in the run-time language: the run-time one with the
  // library's own formats, otherwise the locale's with its "t" runs turned
  // into "A/P" or "AMPM".
  String GetLongTimeFormat() const;

  bool AssignedCurrencyFormat() const { return FAssignedCurrencyFormat; }
  bool AssignedRegExprDateEditMask() const { return FAssignedRegExprDateEditMask; }
  bool AssignedRegExprDateTimeEditMask() const { return FAssignedRegExprDateTimeEditMask; }
  bool AssignedStandardDateEditMask() const { return FAssignedStandardDateEditMask; }
  bool AssignedStandardDateTimeEditMask() const { return FAssignedStandardDateTimeEditMask; }
  void SetAssignedCurrencyFormat(bool AValue);
  void SetAssignedRegExprDateEditMask(bool AValue);
  void SetAssignedRegExprDateTimeEditMask(bool AValue);
  void SetAssignedStandardDateEditMask(bool AValue);
  void SetAssignedStandardDateTimeEditMask(bool AValue);

  const String& CurrencyFormat() const { return FCurrencyFormat; }
  void SetCurrencyFormat(const String& AValue);
  const String& DateEditFormat() const { return FDateEditFormat; }
  const String& DateEditMask() const { return FDateEditMask; }
  TcxDateTimeFormatInfo* DateFormatInfo() const { return FDateFormatInfo.get(); }
  TcxDateTimeFormatInfo* DateTimeFormatInfo() const { return FDateTimeFormatInfo.get(); }
  TcxDateTimeFormatInfo* TimeFormatInfo() const { return FTimeFormatInfo.get(); }
  const String& MaskedDateEditFormat() const { return FMaskedDateEditFormat; }
  const String& MaskedDateTimeEditFormat() const { return FMaskedDateTimeEditFormat; }
  const String& RegExprDateEditMask() const { return FRegExprDateEditMask; }
  void SetRegExprDateEditMask(const String& AValue);
  const String& RegExprDateTimeEditMask() const { return FRegExprDateTimeEditMask; }
  void SetRegExprDateTimeEditMask(const String& AValue);
  const String& StandardDateEditMask() const { return FStandardDateEditMask; }
  void SetStandardDateEditMask(const String& AValue);
  const String& StandardDateTimeEditMask() const { return FStandardDateTimeEditMask; }
  void SetStandardDateTimeEditMask(const String& AValue);
  bool UseCorvexDateTimeFormats() const { return FUseCorvexDateTimeFormats; }
  void SetUseCorvexDateTimeFormats(bool AValue);
  const rtl::TFormatSettings& LocalFormatSettings() const { return FLocalFormatSettings; }
  // The thread locale's whole settings, as the system's conversions of
  // texts and dates read them; kept with the local settings.
  // A two-digit year falls in the hundred years that end at the calendar's
  // two-digit year maximum.
  const rtl::TFormatSettings& LocaleConversionSettings() const;
  bool LocalIsGregorianCalendar() const { return FLocalIsGregorianCalendar; }
  TcxFirstWeekOfYear FirstWeekOfYear() const { return FFirstWeekOfYear; }
  void SetFirstWeekOfYear(TcxFirstWeekOfYear AValue) { FFirstWeekOfYear = AValue; }
  TDay StartOfWeek() const { return dxGetStartOfWeek(); }

 protected:
  void WndProc(ui::TMessage& Message) override;
  void TranslationChanged() override { FormatChanged(); }
  void CalculateDateEditMasks(bool AUseSmartInput);

 private:
  bool FAssignedCurrencyFormat = false;
  bool FAssignedRegExprDateEditMask = false;
  bool FAssignedRegExprDateTimeEditMask = false;
  bool FAssignedStandardDateEditMask = false;
  bool FAssignedStandardDateTimeEditMask = false;
  String FCurrencyFormat;
  String FDateEditFormat;
  String FDateEditMask;
  TcxFirstWeekOfYear FFirstWeekOfYear = fwySystem;
  std::vector<IcxFormatControllerListener*> FList;  // not owned
  rtl::TFormatSettings FLocalFormatSettings;
  bool FLocalIsGregorianCalendar = true;
  rtl::Cardinal FLockCount = 0;
  String FMaskedDateEditFormat;
  String FMaskedDateTimeEditFormat;
  String FRegExprDateEditMask;
  String FRegExprDateTimeEditMask;
  String FStandardDateEditMask;
  String FStandardDateTimeEditMask;
  bool FUseCorvexDateTimeFormats = false;
  std::unique_ptr<TcxDateTimeFormatInfo> FDateFormatInfo;
  std::unique_ptr<TcxDateTimeFormatInfo> FDateTimeFormatInfo;
  std::unique_ptr<TcxDateTimeFormatInfo> FTimeFormatInfo;
  mutable rtl::TFormatSettings localeSettings_;
  int twoDigitYearMax_ = 0;  // 0: the run-time window stays
};

// The single controller, created on first call.
TcxFormatController* cxFormatController();
// Frees the controller (the unit's end); the next call of cxFormatController
// makes a new one. Tests call it to begin anew.
void cxFormatsUnitStop();

// The run-time library's format settings as the library reads them: the
// currency, separators, date and time formats, AM/PM strings and the day and
// month names are the inherited fields (names Sunday and January first, from
// index 0). It is a copy, refreshed whenever the format controller recomputes
// its formats: when it is made, when the regional settings change ("intl"
// with automatic updates on), and on FormatChanged; a direct change of the
// run-time settings shows once the controller recomputes.
class TdxFormatSettings : public rtl::TFormatSettings {
 public:
  // A copy of the current run-time settings.
  TdxFormatSettings();
  explicit TdxFormatSettings(const rtl::TFormatSettings& ASource);

  // Takes the current run-time settings again.
  void Refresh();
};

// The process-wide copy; asking for it makes the format controller, so that
// the copy follows changes of the regional settings from then on.
TdxFormatSettings* dxFormatSettings();

}  // namespace core
