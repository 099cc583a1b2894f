#pragma once
// Calendar tables: each converts between the platform's date-time number and
// a date (era, year, month, day) of one calendar, and knows that calendar's
// months, leap rules, eras, limits and weeks. One table class per calendar
// identifier 1..12 (the Gregorian calendar and five localised variants, the
// Japanese, Taiwan, Korean and Thai era calendars, the arithmetic Hijri
// calendar and the Hebrew calendar). Tables are made on first request by
// cxGetCalendar and live until the program ends; use them from the thread
// that runs the user interface.
#include "lib/core/cxDateUtils.h"
#include "lib/core/dxCoreClasses.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/types.h"

namespace core {

// A date-time in a calendar. Era indexes the table's Eras; -1 is its default era.
struct TcxDateTime {
  int Era = -1;
  int Year = 0;
  int Month = 0;  // 1-based; 13 in a Hebrew leap year
  int Day = 0;
  rtl::Byte Hours = 0;
  rtl::Byte Minutes = 0;
  rtl::Byte Seconds = 0;
  rtl::Word Milliseconds = 0;
};

struct TcxDate {
  int Era = -1;
  int Year = 0;
  int Month = 0;
  int Day = 0;
};

enum TcxCalendarAlgorithmType { catUnknown, catSolarCalendar, catLunarCalendar, catLunarSolarCalendar };
enum TcxHebrewCalendarTableTypeYear { hctyDeficient, hctyNormal, hctyPerfect };

using CALID = rtl::CALID;

// One era of an era-based calendar: Gregorian year = era year + YearOffset.
class TcxEra : public rtl::TPersistent {
  RTL_CLASS(TcxEra, rtl::TPersistent)

 public:
  TcxEra(int era, TDateTime startDate, int yearOffset, int minEraYear, int maxEraYear);
  void Assign(rtl::TPersistent* source) override;

  int Era() const { return FEra; }
  TDateTime StartDate() const { return FStartDate; }
  int YearOffset() const { return FYearOffset; }
  int MinEraYear() const { return FMinEraYear; }
  int MaxEraYear() const { return FMaxEraYear; }

 private:
  int FEra;
  int FMaxEraYear;
  int FMinEraYear;
  TDateTime FStartDate;
  int FYearOffset;
};

// The eras of a table in ascending order of start date; owns them.
class TcxEras : public TdxFastObjectList {
  RTL_CLASS(TcxEras, TdxFastObjectList)

 public:
  TcxEras() : TdxFastObjectList(true) {}
  TcxEra* Items(int index) const { return static_cast<TcxEra*>(TdxFastList::Items(index)); }
  TcxEra* operator[](int index) const { return Items(index); }
};

class TcxCustomCalendarTable : public rtl::TObject {
  RTL_CLASS(TcxCustomCalendarTable, rtl::TObject)

 public:
  // Joins the process-wide list that cxGetCalendar searches.
  TcxCustomCalendarTable();
  ~TcxCustomCalendarTable() override;

  TcxCalendarAlgorithmType AlgorithmType() const { return GetCalendarAlgorithmType(); }
  CALID CalendarID() const { return GetCalendarID(); }
  TcxEra* DefaultEra() const { return GetDefaultEra(); }
  TcxEras* Eras() const { return FEras.get(); }
  TDateTime MaxSupportedDate() const { return GetMaxSupportedDate(); }
  TDateTime MinSupportedDate() const { return GetMinSupportedDate(); }

  // Re-expresses a year given in `era` in the era that holds the Gregorian
  // date (year, month, day); the year is kept when no era holds it.
  void AdjustYear(int& year, int& era) const;
  virtual void AdjustYear(int& year, int& era, int month, int day) const;
  virtual TcxCalendarAlgorithmType GetCalendarAlgorithmType() const = 0;
  virtual CALID GetCalendarID() const = 0;
  virtual TcxEra* GetDefaultEra() const = 0;
  virtual TDateTime GetMaxSupportedDate() const = 0;
  virtual TDateTime GetMinSupportedDate() const = 0;
  virtual void CheckDateTime(TDateTime& value) const;
  virtual int GetMaxSupportedYear() const = 0;
  virtual int GetMinSupportedYear() const = 0;

  // Results are clamped into the supported range; an invalid date gives
  // the smallest supported date.
  TDateTime AddDays(const TcxDateTime& date, int count) const;
  TDateTime AddMonths(TDateTime value, int count) const;
  virtual TDateTime AddMonths(const TcxDateTime& date, int count) const;
  TDateTime AddYears(TDateTime value, int count) const;
  virtual TDateTime AddYears(const TcxDateTime& date, int count) const;
  TDateTime AddWeeks(TDateTime value, int count) const;
  TDateTime AddWeeks(const TcxDateTime& date, int count) const;

  virtual TcxDateTime FromDateTime(TDateTime value) const = 0;
  TcxDateTime FromDateTime(int year, int month, int day) const;  // Gregorian numbers
  TcxDateTime FromDateTime(int year, int month, int day, int hours, int minutes, int seconds,
                           int milliseconds) const;

  int GetDayOfYear(TDateTime value) const;
  int GetDayOfYear(const TcxDateTime& date) const;
  int GetDaysInMonth(int year, int month) const;
  virtual int GetDaysInMonth(int era, int year, int month) const = 0;
  int GetDaysInYear(int year) const;
  virtual int GetDaysInYear(int era, int year) const = 0;
  // Index of the era holding the Gregorian date; -1 without eras.
  int GetEra(int year) const;
  virtual int GetEra(int year, int month, int day) const;
  TDateTime GetFirstDayOfWeek(TDateTime value) const;
  TDateTime GetFirstDayOfWeek(TDateTime value, int startDayOfWeek) const;
  TcxDateTime GetFirstDayOfWeek(const TcxDateTime& date) const;
  TcxDateTime GetFirstDayOfWeek(const TcxDateTime& date, int startDayOfWeek) const;
  TDateTime GetFirstDayOfMonth(TDateTime value) const;
  TcxDateTime GetFirstDayOfMonth(const TcxDateTime& date) const;
  TDateTime GetFirstDayOfYear(TDateTime value) const;
  TcxDateTime GetFirstDayOfYear(const TcxDateTime& date) const;
  virtual int GetFirstWeekDay() const = 0;  // 0 = Sunday
  virtual int GetFullWeeksInYear(int year) const = 0;
  TDateTime GetLastDayOfMonth(TDateTime value) const;
  TcxDateTime GetLastDayOfMonth(const TcxDateTime& date) const;
  TDateTime GetLastDayOfYear(TDateTime value) const;
  TcxDateTime GetLastDayOfYear(const TcxDateTime& date) const;
  int GetMonthsInYear(int year) const;
  virtual int GetMonthsInYear(int era, int year) const = 0;
  int GetYear(TDateTime value) const;
  int GetYear(const TcxDate& date) const { return date.Year; }
  int GetYear(const TcxDateTime& date) const { return date.Year; }
  int GetWeekDay(TDateTime value) const;  // 0 = Sunday
  int GetWeekDay(const TcxDateTime& date) const;
  int GetWeekNumber(TDateTime value, TDay startOfWeek, TcxFirstWeekOfYear firstWeekOfYear) const;
  virtual int GetWeekNumber(const TcxDateTime& date, TDay startOfWeek,
                            TcxFirstWeekOfYear firstWeekOfYear) const = 0;
  bool IsLeapDay(int year, int month, int day) const;
  virtual bool IsLeapDay(int era, int year, int month, int day) const = 0;
  bool IsLeapMonth(int year, int month) const;
  virtual bool IsLeapMonth(int era, int year, int month) const = 0;
  bool IsLeapYear(int year) const;
  virtual bool IsLeapYear(int era, int year) const = 0;
  bool IsValidYear(int year) const;
  virtual bool IsValidYear(int era, int year) const;
  bool IsValidMonth(int year, int month) const;
  virtual bool IsValidMonth(int era, int year, int month) const;
  bool IsValidDay(int year, int month, int day) const;
  virtual bool IsValidDay(int era, int year, int month, int day) const;
  bool IsValidDate(TDateTime value) const;
  TDateTime ToDateTime(const TcxDate& date) const;
  TDateTime ToDateTime(int year, int month, int day) const;
  TDateTime ToDateTime(int year, int month, int day, int hours, int minutes, int seconds,
                       int milliseconds) const;
  virtual TDateTime ToDateTime(const TcxDateTime& date) const = 0;

  // Readers of typed date parts; non-numeric text raises EConvertError.
  virtual int GetDayNumber(rtl::StringView text) const;
  virtual int GetMonthNumber(int year, rtl::StringView text) const;
  // Two-digit years are placed by the calendar's CAL_ITWODIGITYEARMAX.
  virtual int GetYearNumber(rtl::StringView text) const;

 protected:
  // Adds the offset of `era` (-1: the default era) to make a Gregorian year.
  void YearToGregorianYear(int& year, int era) const;
  // True (and `result` the smallest date) when `date` is not a valid day.
  bool IsNotValid(const TcxDateTime& date, TDateTime& result) const;
  // The month number of `text` among the run-time month names, else its number.
  int MonthNumberByRunTimeNames(rtl::StringView text) const;

 private:
  std::unique_ptr<TcxEras> FEras;
};

using TcxCalendarTableClass = TcxCustomCalendarTable* (*)();

class TcxGregorianCalendarTable : public TcxCustomCalendarTable {
  RTL_CLASS(TcxGregorianCalendarTable, TcxCustomCalendarTable)

 public:
  TcxGregorianCalendarTable();
  ~TcxGregorianCalendarTable() override;
  using TcxCustomCalendarTable::FromDateTime;
  using TcxCustomCalendarTable::GetDaysInMonth;
  using TcxCustomCalendarTable::GetDaysInYear;
  using TcxCustomCalendarTable::GetMonthsInYear;
  using TcxCustomCalendarTable::GetWeekNumber;
  using TcxCustomCalendarTable::IsLeapDay;
  using TcxCustomCalendarTable::IsLeapMonth;
  using TcxCustomCalendarTable::IsLeapYear;
  using TcxCustomCalendarTable::ToDateTime;

  TcxCalendarAlgorithmType GetCalendarAlgorithmType() const override { return catSolarCalendar; }
  CALID GetCalendarID() const override { return rtl::CAL_GREGORIAN; }
  TcxEra* GetDefaultEra() const override { return FDefaultEra.get(); }
  TDateTime GetMaxSupportedDate() const override;
  TDateTime GetMinSupportedDate() const override;
  int GetMaxSupportedYear() const override { return dxMaxYear; }
  int GetMinSupportedYear() const override { return dxMinYear; }
  TcxDateTime FromDateTime(TDateTime value) const override;
  int GetDaysInMonth(int era, int year, int month) const override;
  int GetDaysInYear(int era, int year) const override;
  int GetFirstWeekDay() const override { return 0; }
  int GetFullWeeksInYear(int year) const override;
  int GetMonthsInYear(int, int) const override { return 12; }
  int GetWeekNumber(const TcxDateTime& date, TDay startOfWeek,
                    TcxFirstWeekOfYear firstWeekOfYear) const override;
  bool IsLeapDay(int era, int year, int month, int day) const override;
  bool IsLeapMonth(int era, int year, int month) const override;
  bool IsLeapYear(int era, int year) const override;
  TDateTime ToDateTime(const TcxDateTime& date) const override;

 private:
  std::unique_ptr<TcxEra> FDefaultEra;
};

#define CX_GREGORIAN_VARIANT(Name, Id, FirstWeekDay)                             \
  class Name : public TcxGregorianCalendarTable {                                \
    RTL_CLASS(Name, TcxGregorianCalendarTable)                                   \
                                                                                 \
   public:                                                                       \
    CALID GetCalendarID() const override { return Id; }                          \
    int GetFirstWeekDay() const override { return FirstWeekDay; }                \
  };
CX_GREGORIAN_VARIANT(TcxGregorianUSEnglishCalendarTable, rtl::CAL_GREGORIAN_US, 0)
CX_GREGORIAN_VARIANT(TcxGregorianMiddleEastFrenchCalendarTable, rtl::CAL_GREGORIAN_ME_FRENCH, 1)
CX_GREGORIAN_VARIANT(TcxGregorianArabicCalendarTable, rtl::CAL_GREGORIAN_ARABIC, 6)
CX_GREGORIAN_VARIANT(TcxGregorianTransliteratedEnglishCalendarTable, rtl::CAL_GREGORIAN_XLIT_ENGLISH, 1)
CX_GREGORIAN_VARIANT(TcxGregorianTransliteratedFrenchCalendarTable, rtl::CAL_GREGORIAN_XLIT_FRENCH, 1)
#undef CX_GREGORIAN_VARIANT

// Meiji, Taisho, Showa and Heisei; the default era is Heisei.
class TcxJapaneseCalendarTable : public TcxGregorianCalendarTable {
  RTL_CLASS(TcxJapaneseCalendarTable, TcxGregorianCalendarTable)

 public:
  TcxJapaneseCalendarTable();
  using TcxGregorianCalendarTable::FromDateTime;
  using TcxGregorianCalendarTable::ToDateTime;

  CALID GetCalendarID() const override { return rtl::CAL_JAPAN; }
  TcxEra* GetDefaultEra() const override { return Eras()->Items(3); }
  TDateTime GetMaxSupportedDate() const override;
  TDateTime GetMinSupportedDate() const override;
  int GetMaxSupportedYear() const override { return 8011; }
  int GetMinSupportedYear() const override { return 1; }
  TcxDateTime FromDateTime(TDateTime value) const override;
  TDateTime ToDateTime(const TcxDateTime& date) const override;

 protected:
  struct NoEras {};
  explicit TcxJapaneseCalendarTable(NoEras) {}
};

// Era-based calendars of one era, whose limits are that era's.
class TcxSingleEraCalendarTable : public TcxJapaneseCalendarTable {
  RTL_CLASS(TcxSingleEraCalendarTable, TcxJapaneseCalendarTable)

 public:
  TcxEra* GetDefaultEra() const override { return Eras()->Items(0); }
  TDateTime GetMinSupportedDate() const override { return Eras()->Items(0)->StartDate(); }
  int GetMaxSupportedYear() const override { return Eras()->Items(0)->MaxEraYear(); }
  int GetMinSupportedYear() const override { return Eras()->Items(0)->MinEraYear(); }

 protected:
  TcxSingleEraCalendarTable(int era, int y, int m, int d, int yearOffset, int minYear, int maxYear);
};

class TcxTaiwanCalendarTable : public TcxSingleEraCalendarTable {
  RTL_CLASS(TcxTaiwanCalendarTable, TcxSingleEraCalendarTable)

 public:
  TcxTaiwanCalendarTable() : TcxSingleEraCalendarTable(1, 1912, 1, 1, 1911, 1, 8088) {}
  CALID GetCalendarID() const override { return rtl::CAL_TAIWAN; }
};

class TcxKoreanCalendarTable : public TcxSingleEraCalendarTable {
  RTL_CLASS(TcxKoreanCalendarTable, TcxSingleEraCalendarTable)

 public:
  TcxKoreanCalendarTable() : TcxSingleEraCalendarTable(0, 1, 1, 1, -2333, 2334, 12332) {}
  CALID GetCalendarID() const override { return rtl::CAL_KOREA; }
};

class TcxThaiCalendarTable : public TcxSingleEraCalendarTable {
  RTL_CLASS(TcxThaiCalendarTable, TcxSingleEraCalendarTable)

 public:
  TcxThaiCalendarTable() : TcxSingleEraCalendarTable(0, 1, 1, 1, -543, 544, 10542) {}
  CALID GetCalendarID() const override { return rtl::CAL_THAI; }
};

// Shared by the two lunar tables: weeks start on the table's first weekday.
class TcxLunarCalendarTable : public TcxCustomCalendarTable {
  RTL_CLASS(TcxLunarCalendarTable, TcxCustomCalendarTable)

 public:
  TcxLunarCalendarTable();
  ~TcxLunarCalendarTable() override;
  using TcxCustomCalendarTable::GetWeekNumber;
  TcxEra* GetDefaultEra() const override { return FDefaultEra.get(); }
  int GetWeekNumber(const TcxDateTime& date, TDay startOfWeek,
                    TcxFirstWeekOfYear firstWeekOfYear) const override;

 private:
  std::unique_ptr<TcxEra> FDefaultEra;
};

// The arithmetic Hijri calendar: 30-year cycles of 10631 days.
class TcxHijriCalendarTable : public TcxLunarCalendarTable {
  RTL_CLASS(TcxHijriCalendarTable, TcxLunarCalendarTable)

 public:
  using TcxCustomCalendarTable::FromDateTime;
  using TcxCustomCalendarTable::GetDaysInMonth;
  using TcxCustomCalendarTable::GetDaysInYear;
  using TcxCustomCalendarTable::GetMonthsInYear;
  using TcxCustomCalendarTable::IsLeapDay;
  using TcxCustomCalendarTable::IsLeapMonth;
  using TcxCustomCalendarTable::IsLeapYear;
  using TcxCustomCalendarTable::ToDateTime;

  TcxCalendarAlgorithmType GetCalendarAlgorithmType() const override { return catLunarCalendar; }
  CALID GetCalendarID() const override { return rtl::CAL_HIJRI; }
  TDateTime GetMaxSupportedDate() const override;
  TDateTime GetMinSupportedDate() const override;
  int GetMaxSupportedYear() const override { return 9666; }
  int GetMinSupportedYear() const override { return 1; }
  TcxDateTime FromDateTime(TDateTime value) const override;
  int GetDaysInMonth(int era, int year, int month) const override;
  int GetDaysInYear(int era, int year) const override;
  int GetFirstWeekDay() const override { return 6; }
  int GetFullWeeksInYear(int) const override { return 50; }
  int GetMonthsInYear(int, int) const override { return 12; }
  int GetMonthNumber(int year, rtl::StringView text) const override;
  bool IsLeapDay(int era, int year, int month, int day) const override;
  bool IsLeapMonth(int era, int year, int month) const override;
  bool IsLeapYear(int era, int year) const override;
  TDateTime ToDateTime(const TcxDateTime& date) const override;
};

// The Hebrew lunisolar calendar over the Gregorian years 1583..2239.
class TcxHebrewCalendarTable : public TcxLunarCalendarTable {
  RTL_CLASS(TcxHebrewCalendarTable, TcxLunarCalendarTable)

 public:
  using TcxCustomCalendarTable::FromDateTime;
  using TcxCustomCalendarTable::GetDaysInMonth;
  using TcxCustomCalendarTable::GetDaysInYear;
  using TcxCustomCalendarTable::GetMonthsInYear;
  using TcxCustomCalendarTable::IsLeapDay;
  using TcxCustomCalendarTable::IsLeapMonth;
  using TcxCustomCalendarTable::IsLeapYear;
  using TcxCustomCalendarTable::ToDateTime;

  TcxCalendarAlgorithmType GetCalendarAlgorithmType() const override { return catLunarSolarCalendar; }
  CALID GetCalendarID() const override { return rtl::CAL_HEBREW; }
  TDateTime GetMaxSupportedDate() const override;
  TDateTime GetMinSupportedDate() const override;
  int GetMaxSupportedYear() const override { return 5999; }
  int GetMinSupportedYear() const override { return 5343; }
  TcxDateTime FromDateTime(TDateTime value) const override;
  int GetDaysInMonth(int era, int year, int month) const override;
  int GetDaysInYear(int era, int year) const override;
  int GetFirstWeekDay() const override { return 0; }
  int GetFullWeeksInYear(int year) const override;
  int GetMonthsInYear(int era, int year) const override;
  bool IsLeapDay(int era, int year, int month, int day) const override;
  bool IsLeapMonth(int era, int year, int month) const override;
  bool IsLeapYear(int era, int year) const override;
  TDateTime ToDateTime(const TcxDateTime& date) const override;
  int GetDayNumber(rtl::StringView text) const override;
  int GetMonthNumber(int year, rtl::StringView text) const override;
  int GetYearNumber(rtl::StringView text) const override;

  // 1 deficient, 2 normal, 3 perfect; 0 outside 5343..5999.
  int GetYearType(int year) const;
  // Days from (month2, day2) to (month1, day1) inside a year of `yearType`
  // (1..6, leap years 4..6); negative when the first is earlier.
  static int GetDayDifference(int yearType, int month1, int day1, int month2, int day2);
};

// Stored facts of the Hebrew years: per Gregorian year 1583..2240 the Hebrew
// day of 1 January (a day of Tevet 1..29, or 0 = 1 Shevat, 30 = 30 Kislev,
// 31 = 2 Shevat, 32 = 3 Shevat, 33 = 29 Kislev) and the type of its Hebrew
// year (1..3, plus 3 in a leap year); and the month lengths by type.
extern const int cxHebrewTable[658 * 2];
extern const int cxHebrewLunarMonthLen[7][14];

// The value of a Hebrew numeral (letters summed); 0 when the text has none.
int HebrewNumber(rtl::StringView text);

TcxCalendarTableClass cxGetCalendarClass(CALID calendarID);
// The one table of an identifier (identifiers outside 1..12 share the Gregorian one).
TcxCustomCalendarTable* cxGetCalendar(CALID calendarID);
TcxCustomCalendarTable* FindCalendarTable(CALID calendarID);
bool cxIsGregorianCalendar(const TcxCustomCalendarTable* calendar = nullptr);
CALID cxGetCalendarID(rtl::LCID locale);
CALID cxGetLocalCalendarID();
TcxCustomCalendarTable* cxGetLocalCalendar();
int cxGetCalendarInfo(rtl::LCID locale, CALID calendar, rtl::CALTYPE calType, rtl::Char* calData,
                      int cchData, rtl::LongWord* value);

}  // namespace core
