#pragma once
// Filter criteria: a tree of conditions joined by Boolean operators.
//
// `TcxFilterCriteria` owns the tree, its options and its wildcards, prepares
// the conditions' values once per change and evaluates the tree for one
// record at a time. A condition (`TcxFilterCriteriaItem`) names the item it
// tests, an operator kind, a value and a display value; the kind selects an
// operator object that compares and supplies the operator's words. The
// relative-date operators turn into a half-open date range computed from
// today when the criteria are prepared, and stay there until the criteria
// change again.
//
// Evaluation may run on several threads at once while the tree is left
// alone; the arrays of BETWEEN and IN conditions are read under locks.
#include <memory>
#include <mutex>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/rtl/variant.h"

namespace rtl {
class TStream;
class TMemoryStream;
}  // namespace rtl

namespace data {

using rtl::String;
using rtl::TDateTime;
using rtl::Variant;

enum class TcxFilterOperatorKind {
  foEqual, foNotEqual, foLess, foLessEqual, foGreater, foGreaterEqual, foLike, foNotLike, foBetween,
  foNotBetween, foInList, foNotInList, foYesterday, foToday, foTomorrow, foLast7Days, foLastWeek, foLast14Days,
  foLastTwoWeeks, foLast30Days, foLastMonth, foLastYear, foInPast, foThisWeek, foThisMonth, foThisYear,
  foNext7Days, foNextWeek, foNext14Days, foNextTwoWeeks, foNext30Days, foNextMonth, foNextYear, foInFuture
};
inline constexpr int cxFilterOperatorKindCount = 34;
enum class TcxFilterBoolOperatorKind { fboAnd, fboOr, fboNotAnd, fboNotOr };
enum class TcxFilterCriteriaOption {
  fcoCaseInsensitive, fcoShowOperatorDescription, fcoSoftNull, fcoSoftCompare, fcoIgnoreNull
};
using TcxFilterCriteriaOptions = rtl::Set<TcxFilterCriteriaOption, 5>;

// The binary form of a condition tree: version 1 (read only) starts with
// the root's child count, version 2 with -1, version 3 (conditions carry
// their item's name) with -2.
inline constexpr int cxFilterVersionPlain = 2;
inline constexpr int cxDataFilterVersion = 3;
int GetFilterVersionID(int AVersion);
int GetFilterVersion(int AID);
// Lists nested deeper than this in a stream are refused (read error).
inline constexpr int cxFilterMaxStreamNesting = 64;

// Whether the "last N days" ranges end after today and the "next N days"
// ranges start with it (true at start).
extern bool cxFilterIncludeTodayInLastNextDaysList;

class TcxFilterCriteria;
class TcxFilterCriteriaItem;
class TcxFilterCriteriaItemList;
struct TcxFilterInPlaceTest;

// A record's value as a condition reads it where it lies, without a
// variant: the kinds that compare without conversion. Text is the value's
// own (a String field's text, or a display text), not yet case-folded.
struct TcxFilterInPlaceValue {
  enum class Kind : unsigned char { Null, Integer, Real, Boolean, Text };
  Kind kind = Kind::Null;
  rtl::Int64 integer = 0;
  double real = 0;
  bool boolean = false;
  rtl::StringView text;
};

// --- operators ---------------------------------------------------------------------------
class TcxFilterOperator : public rtl::TObject {
  RTL_CLASS(TcxFilterOperator, rtl::TObject)

 public:
  explicit TcxFilterOperator(TcxFilterCriteriaItem* ACriteriaItem) : FCriteriaItem(ACriteriaItem) {}

  // The condition in its expanded form, for consumers that cannot take the
  // operator as it is (only when IsExpression).
  virtual String GetExpressionFilterText(const Variant& AValue) { return String(); }
  // The value as the filter text writes it: quoted texts and dates, NULL...
  virtual String GetExpressionValue(const Variant& AValue);
  // The display value as a caption shows it.
  virtual void PrepareDisplayValue(String& AText) {}
  // Computes what the operator needs before records are compared (date ranges).
  virtual void Prepare() {}
  // Writes AValue when the operator has its own form for it (arrays of
  // BETWEEN and IN); false leaves it to the general formatting.
  virtual bool PrepareExpressionValue(const Variant& AValue, String& AText) { return false; }
  // AValue is the record's prepared value, APreparedValue the condition's.
  virtual bool CompareValues(const Variant& AValue, const Variant& APreparedValue) = 0;
  virtual String DisplayText() { return FilterText(); }
  // The operator's word in a filter text ("=", "LIKE", ...).
  virtual String FilterText() = 0;
  virtual bool IsDescription() { return false; }
  virtual bool IsExpression() { return false; }
  virtual bool IsNullOperator() { return false; }

  TcxFilterCriteriaItem* CriteriaItem() const { return FCriteriaItem; }
  TcxFilterCriteria* Criteria() const;

 protected:
  TcxFilterCriteriaItem* FCriteriaItem;
  // Guards reading the condition's array value while several threads filter.
  std::mutex FCriticalSection;
};

using TcxFilterOperatorClass = std::unique_ptr<TcxFilterOperator> (*)(TcxFilterCriteriaItem*);

class TcxFilterEqualOperator : public TcxFilterOperator {
  RTL_CLASS(TcxFilterEqualOperator, TcxFilterOperator)

 public:
  using TcxFilterOperator::TcxFilterOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"="; }
  // An array value compares several fields at once (names joined by ';').
  bool IsExpression() override;
  String GetExpressionFilterText(const Variant& AValue) override;
};

class TcxFilterNotEqualOperator : public TcxFilterEqualOperator {
  RTL_CLASS(TcxFilterNotEqualOperator, TcxFilterEqualOperator)

 public:
  using TcxFilterEqualOperator::TcxFilterEqualOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"<>"; }
  String GetExpressionFilterText(const Variant& AValue) override;
};

class TcxFilterLessOperator : public TcxFilterOperator {
  RTL_CLASS(TcxFilterLessOperator, TcxFilterOperator)

 public:
  using TcxFilterOperator::TcxFilterOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"<"; }
};

class TcxFilterLessEqualOperator : public TcxFilterOperator {
  RTL_CLASS(TcxFilterLessEqualOperator, TcxFilterOperator)

 public:
  using TcxFilterOperator::TcxFilterOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"<="; }
};

class TcxFilterGreaterOperator : public TcxFilterOperator {
  RTL_CLASS(TcxFilterGreaterOperator, TcxFilterOperator)

 public:
  using TcxFilterOperator::TcxFilterOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u">"; }
};

class TcxFilterGreaterEqualOperator : public TcxFilterOperator {
  RTL_CLASS(TcxFilterGreaterEqualOperator, TcxFilterOperator)

 public:
  using TcxFilterOperator::TcxFilterOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u">="; }
};

class TcxFilterLikeOperator : public TcxFilterOperator {
  RTL_CLASS(TcxFilterLikeOperator, TcxFilterOperator)

 public:
  using TcxFilterOperator::TcxFilterOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  // By the pattern's class: like, begins with, ends with, contains.
  String DisplayText() override;
  String FilterText() override { return u"LIKE"; }

 protected:
  bool Matches(const Variant& AValue, const Variant& APreparedValue);
  void PrepareDisplayValue(String& AText) override;
};

class TcxFilterNotLikeOperator : public TcxFilterLikeOperator {
  RTL_CLASS(TcxFilterNotLikeOperator, TcxFilterLikeOperator)

 public:
  using TcxFilterLikeOperator::TcxFilterLikeOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"NOT LIKE"; }
  bool IsExpression() override;
  String GetExpressionFilterText(const Variant& AValue) override;
};

class TcxFilterBetweenOperator : public TcxFilterOperator {
  RTL_CLASS(TcxFilterBetweenOperator, TcxFilterOperator)

 public:
  using TcxFilterOperator::TcxFilterOperator;
  // Both bounds included.
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"BETWEEN"; }
  bool IsDescription() override { return true; }

 protected:
  bool InRange(const Variant& AValue, const Variant& APreparedValue);
  bool IsExpression() override;
  String GetExpressionFilterText(const Variant& AValue) override;
  bool PrepareExpressionValue(const Variant& AValue, String& AText) override;
  void PrepareDisplayValue(String& AText) override;
};

class TcxFilterNotBetweenOperator : public TcxFilterBetweenOperator {
  RTL_CLASS(TcxFilterNotBetweenOperator, TcxFilterBetweenOperator)

 public:
  using TcxFilterBetweenOperator::TcxFilterBetweenOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"NOT BETWEEN"; }
  String GetExpressionFilterText(const Variant& AValue) override;
};

class TcxFilterInListOperator : public TcxFilterOperator {
  RTL_CLASS(TcxFilterInListOperator, TcxFilterOperator)

 public:
  using TcxFilterOperator::TcxFilterOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"IN"; }
  bool IsDescription() override { return true; }

 protected:
  bool InList(const Variant& AValue, const Variant& APreparedValue);
  bool IsExpression() override;
  String GetExpressionFilterText(const Variant& AValue) override;
  bool PrepareExpressionValue(const Variant& AValue, String& AText) override;
  void PrepareDisplayValue(String& AText) override;
};

class TcxFilterNotInListOperator : public TcxFilterInListOperator {
  RTL_CLASS(TcxFilterNotInListOperator, TcxFilterInListOperator)

 public:
  using TcxFilterInListOperator::TcxFilterInListOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"NOT IN"; }
  String GetExpressionFilterText(const Variant& AValue) override;
};

// The form "= Null" and "LIKE Null" take: the record value is blank.
class TcxFilterNullOperator : public TcxFilterEqualOperator {
  RTL_CLASS(TcxFilterNullOperator, TcxFilterEqualOperator)

 public:
  using TcxFilterEqualOperator::TcxFilterEqualOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  bool IsNullOperator() override { return true; }
  void PrepareDisplayValue(String& AText) override;
};

class TcxFilterNotNullOperator : public TcxFilterNullOperator {
  RTL_CLASS(TcxFilterNotNullOperator, TcxFilterNullOperator)

 public:
  using TcxFilterNullOperator::TcxFilterNullOperator;
  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return u"<>"; }
};

// A relative-date condition: the record value lies in [FDate1, FDate2), a
// bound of 0 meaning none. The range is fixed by Prepare from today.
class TcxFilterDateOperator : public TcxFilterOperator {
  RTL_CLASS(TcxFilterDateOperator, TcxFilterOperator)

 public:
  TcxFilterDateOperator(TcxFilterCriteriaItem* ACriteriaItem, TcxFilterOperatorKind AKind);

  bool CompareValues(const Variant& AValue, const Variant& APreparedValue) override;
  String DisplayText() override;
  String FilterText() override { return DisplayText(); }
  void Prepare() override;

  TcxFilterOperatorKind Kind() const { return FKind; }
  TDateTime Date1() const { return FDate1; }
  TDateTime Date2() const { return FDate2; }

 protected:
  TcxFilterOperatorKind FKind;
  TDateTime FDate1 = 0;
  TDateTime FDate2 = 0;
  bool IsExpression() override { return true; }
  String GetExpressionFilterText(const Variant& AValue) override;
  void PrepareDisplayValue(String& AText) override { AText.clear(); }
};

// The operator class of each kind.
TcxFilterOperatorClass cxFilterOperatorClass(TcxFilterOperatorKind AKind);
TcxFilterOperatorClass cxFilterNullOperatorClass();
TcxFilterOperatorClass cxFilterNotNullOperatorClass();
// The range [ADate1, ADate2) of a relative-date kind for today AToday
// (without time); 0 is an open end. Other kinds give false.
bool cxGetFilterDateRange(TcxFilterOperatorKind AKind, TDateTime AToday, TDateTime& ADate1, TDateTime& ADate2);

// --- texts of values --------------------------------------------------------------------
// The blank word for Null, else the platform's text.
String FilterVarToStr(const Variant& AValue);
// The trimmed piece of AText from APos (1-based) up to the next ';' or the
// end; APos moves past that ';'.
String ExtractFilterDisplayValue(const String& AText, int& APos);
// A between array of the first two pieces (the second empty when missing).
Variant StrToVarBetweenArray(const String& AText);
// A list array of every piece (an empty text gives one empty piece).
Variant StrToVarListArray(const String& AText);
// "low and high", "(a, b, c)".
String VarBetweenArrayToStr(const Variant& AValue);
String VarListArrayToStr(const Variant& AValue);

// --- the tree ---------------------------------------------------------------------------
class TcxCustomFilterCriteriaItem : public rtl::TObject {
  RTL_CLASS(TcxCustomFilterCriteriaItem, rtl::TObject)

 public:
  explicit TcxCustomFilterCriteriaItem(TcxFilterCriteriaItemList* AParent) : FParent(AParent) {}
  ~TcxCustomFilterCriteriaItem() override = default;

  virtual void Changed();
  // Whether the record passes this item.
  virtual bool DoFilterData(rtl::Int64 ARecordIndex) = 0;
  virtual TcxFilterCriteria* GetCriteria();
  virtual bool GetIsItemList() = 0;
  virtual bool IsEmpty() = 0;

  // Removes the item from its list and destroys it.
  void Free();
  TcxFilterCriteriaItemList* Parent() const { return FParent; }

 protected:
  friend class TcxFilterCriteriaItemList;
  TcxFilterCriteriaItemList* FParent;
};

class TcxFilterCriteriaItemList : public TcxCustomFilterCriteriaItem {
  RTL_CLASS(TcxFilterCriteriaItemList, TcxCustomFilterCriteriaItem)

 public:
  TcxFilterCriteriaItemList(TcxFilterCriteriaItemList* AParent, TcxFilterBoolOperatorKind ABoolOperatorKind);
  ~TcxFilterCriteriaItemList() override;

  bool DoFilterData(rtl::Int64 ARecordIndex) override;
  TcxFilterCriteria* GetCriteria() override;
  bool GetIsItemList() override { return true; }
  bool IsEmpty() override { return FItems.empty(); }

  TcxFilterCriteriaItem* AddItem(rtl::TObject* AItemLink, TcxFilterOperatorKind AOperatorKind,
                                 const Variant& AValue, const String& ADisplayValue);
  TcxFilterCriteriaItemList* AddItemList(TcxFilterBoolOperatorKind ABoolOperatorKind);
  // Frees the children from the last to the first.
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  // None for an index out of range.
  TcxCustomFilterCriteriaItem* Items(int AIndex) const;
  TcxFilterBoolOperatorKind BoolOperatorKind() const { return FBoolOperatorKind; }
  void SetBoolOperatorKind(TcxFilterBoolOperatorKind AValue);
  // Takes AItem out of the list (it stays alive) and reports the change;
  // the caller owns it afterwards.
  std::unique_ptr<TcxCustomFilterCriteriaItem> ExtractItem(TcxCustomFilterCriteriaItem* AItem);
  // Takes ownership of AItem (whose parent becomes this list) at the end.
  void AppendItem(std::unique_ptr<TcxCustomFilterCriteriaItem> AItem);
  // Destroys AItem when it is a child; reports the change then.
  void RemoveItem(TcxCustomFilterCriteriaItem* AItem);

 protected:
  friend class TcxFilterCriteria;
  TcxFilterBoolOperatorKind FBoolOperatorKind;
  TcxFilterCriteria* FCriteria = nullptr;  // the root's only
  std::vector<std::unique_ptr<TcxCustomFilterCriteriaItem>> FItems;
};

class TcxFilterCriteriaItem : public TcxCustomFilterCriteriaItem {
  RTL_CLASS(TcxFilterCriteriaItem, TcxCustomFilterCriteriaItem)

 public:
  // The value goes in after the link, the display value and the kind; a
  // blank-class condition without a display value shows "blank".
  TcxFilterCriteriaItem(TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink,
                        TcxFilterOperatorKind AOperatorKind, const Variant& AValue, const String& ADisplayValue);
  ~TcxFilterCriteriaItem() override;

  bool DoFilterData(rtl::Int64 ARecordIndex) override;
  bool GetIsItemList() override { return false; }
  // A condition without an item link tests nothing.
  bool IsEmpty() override { return FItemLink == nullptr; }

  // The record's value of the linked item.
  virtual Variant GetDataValue(rtl::Int64 ARecordIndex) = 0;
  virtual String GetDisplayValue();
  virtual String GetFieldCaption() { return String(); }
  virtual String GetFieldName() { return String(); }
  // The operator class for the kind, or the blank class for "=", "<>",
  // LIKE and NOT LIKE with a blank value.
  virtual TcxFilterOperatorClass GetFilterOperatorClass();
  virtual rtl::TObject* GetItemLink() { return FItemLink; }
  virtual void SetItemLink(rtl::TObject* AValue);
  virtual void RecreateOperator();
  virtual bool SupportsMultiThreading() { return true; }
  bool ValueIsNull(const Variant& AValue);

  const String& DisplayValue() const { return FDisplayValue; }
  void SetDisplayValue(const String& AValue);
  rtl::TObject* ItemLink() const { return FItemLink; }
  TcxFilterOperator* Operator() const { return FOperator.get(); }
  TcxFilterOperatorKind OperatorKind() const { return FOperatorKind; }
  void SetOperatorKind(TcxFilterOperatorKind AValue);
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& AValue);
  const Variant& PreparedValue() const { return FPreparedValue; }
  bool CompareByDisplayValue();
  // Forgets the in-place test (the condition or its place changed); the
  // criteria's next Prepare makes it anew.
  void ResetInPlaceTest();

 protected:
  friend class TcxFilterCriteria;
  // Whether the record passes, the value already read.
  bool Compare(rtl::Int64 ARecordIndex);
  void Prepare();

  // Testing records in place (filter speed): Prepare turns a condition whose
  // operator and value allow it into a test on typed values, and each record
  // is then read by GetDataValueInPlace instead of GetDataValue. A record
  // the test cannot take (another kind of value) goes the variant way, so
  // the answers are the same either way.
  //   Answers whether records can be read in place at all (called by Prepare).
  virtual bool PrepareDataValueInPlace() { return false; }
  //   The record's value, as GetDataValue would give it before PrepareValue;
  //   AScratch may hold its text. False sends the record the variant way.
  virtual bool GetDataValueInPlace(rtl::Int64 ARecordIndex, TcxFilterInPlaceValue& AValue, String& AScratch) {
    return false;
  }
  // 1 passes, 0 fails, -1 when the record goes the variant way.
  int TestInPlace(rtl::Int64 ARecordIndex);
  void MakeInPlaceTest();
  std::unique_ptr<TcxFilterInPlaceTest> FInPlaceTest;

  String FDisplayValue;
  rtl::TObject* FItemLink;
  std::unique_ptr<TcxFilterOperator> FOperator;
  TcxFilterOperatorKind FOperatorKind;
  Variant FPreparedValue;
  Variant FValue;
};

// Makes a condition of the criteria's item class.
using TcxFilterCriteriaItemFactory = std::unique_ptr<TcxFilterCriteriaItem> (*)(
    TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink, TcxFilterOperatorKind AOperatorKind,
    const Variant& AValue, const String& ADisplayValue);

class TcxFilterCriteria : public rtl::TPersistent {
  RTL_CLASS(TcxFilterCriteria, rtl::TPersistent)

 public:
  static void Published(rtl::PropTable<TcxFilterCriteria>& p);
  TcxFilterCriteria();
  ~TcxFilterCriteria() override;

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  void CancelUpdate() { --FLockCount; }
  bool IsLocked() const { return FLockCount > 0; }
  // Marks the criteria changed; unlocked, prepares and reports at once.
  virtual void Changed();
  virtual void CheckChanges();

  // The tree as a filter text (field names, fixed operator words, quoted
  // values) and as a caption (field captions, localised words, display values).
  String GetFilterText() { return GetFilterExpression(false); }
  String GetFilterCaption() { return GetFilterExpression(true); }
  virtual String GetFilterExpression(bool AIsCaption);
  virtual String GetItemExpression(TcxFilterCriteriaItem* AItem, bool AIsCaption);
  virtual String GetItemExpressionFieldName(TcxFilterCriteriaItem* AItem, bool AIsCaption);
  virtual String GetItemExpressionOperator(TcxFilterCriteriaItem* AItem, bool AIsCaption);
  virtual String GetItemExpressionValue(TcxFilterCriteriaItem* AItem, bool AIsCaption);
  // A value written for the filter text, FormatFilterTextValue applied.
  String FormatExpressionValue(TcxFilterCriteriaItem* AItem, const Variant& AValue);

  virtual String ConvertBoolToStr(const Variant& AValue);
  virtual String ConvertDateToStr(const Variant& AValue);
  virtual void FormatFilterTextValue(TcxFilterCriteriaItem* AItem, const Variant& AValue, String& ADisplayValue) {}
  // The condition class of this criteria (the data controller's makes its own).
  virtual std::unique_ptr<TcxFilterCriteriaItem> CreateItem(TcxFilterCriteriaItemList* AParent,
                                                            rtl::TObject* AItemLink,
                                                            TcxFilterOperatorKind AOperatorKind,
                                                            const Variant& AValue, const String& ADisplayValue) = 0;
  virtual void Prepare();
  virtual String PrepareDisplayText(const String& AText);
  virtual Variant PrepareValue(const Variant& AValue);
  virtual void SetFilterText(const String& AValue) {}
  virtual void Update();
  void Assign(rtl::TPersistent* ASource) override;
  virtual void AssignEvents(rtl::TPersistent* ASource);
  TcxFilterCriteriaItem* AddItem(TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink,
                                 TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                 const String& ADisplayValue);
  virtual TcxFilterCriteriaItem* FindItemByItemLink(rtl::TObject* AItemLink);
  virtual bool IsEmpty();
  virtual void RestoreDefaults();
  virtual bool ValueIsNull(const Variant& AValue);
  // Whether conditions may test records in place, preparing and testing
  // their values as PrepareValue and ValueIsNull above do (see
  // TcxFilterCriteriaItem::PrepareDataValueInPlace). A descendant that
  // overrides either of them answers false.
  virtual bool CanTestRecordsInPlace() { return true; }

  // How a condition's item travels in the binary form: an identifier and,
  // from version 3 on, a name; reading resolves them back to an item.
  virtual int GetIDByItemLink(rtl::TObject* AItemLink) = 0;
  virtual String GetNameByItemLink(rtl::TObject* AItemLink) = 0;
  virtual rtl::TObject* GetItemLinkByID(int AID) = 0;
  virtual rtl::TObject* GetItemLinkByName(const String& AName) = 0;

  // The binary form. Writing uses the criteria's version, or the smaller of
  // it and AVersion when AVersion is not 0. Reading replaces the tree in one
  // update bracket; bad input raises EReadError "Stream read error" and
  // leaves the conditions read so far.
  void WriteData(rtl::TStream* AStream) { WriteData(AStream, 0); }
  void WriteData(rtl::TStream* AStream, int AVersion);
  void ReadData(rtl::TStream* AStream);
  // The component form ("TPF0", a filter wrapper with the property Filter).
  void SaveToStream(rtl::TStream* AStream);
  void LoadFromStream(rtl::TStream* AStream);
  // Compare and copy trees through the binary form; with AIgnoreItemNames
  // the comparison and the copy use version 2, which carries no names.
  bool EqualItems(TcxFilterCriteria* ACriteria, bool AIgnoreItemNames = false);
  void AssignItems(TcxFilterCriteria* ACriteria, bool AIgnoreItemNames);
  static bool StreamsEqual(rtl::TMemoryStream* AStream1, rtl::TMemoryStream* AStream2);
  int LoadedVersion() const { return FLoadedVersion; }
  int SavedVersion() const { return FSavedVersion; }
  bool SavingToStream() const { return FSavingToStream; }

  void Clear();
  // The root's result for the record.
  bool DoFilterData(rtl::Int64 ARecordIndex);
  void RemoveItemByItemLink(rtl::TObject* AItemLink);
  bool SupportsMultiThreading();

  TcxFilterCriteriaItemList* Root() const { return FRoot.get(); }
  const String& DateTimeFormat() const { return FDateTimeFormat; }
  void SetDateTimeFormat(const String& AValue);
  char16_t EscapeWildcard() const { return FEscapeWildcard; }
  void SetEscapeWildcard(char16_t AValue) { FEscapeWildcard = AValue; }
  int MaxValueListCount() const { return FMaxValueListCount; }
  void SetMaxValueListCount(int AValue) { FMaxValueListCount = AValue; }
  TcxFilterCriteriaOptions Options() const { return FOptions; }
  void SetOptions(TcxFilterCriteriaOptions AValue);
  char16_t PercentWildcard() const { return FPercentWildcard; }
  void SetPercentWildcard(char16_t AValue);
  char16_t UnderscoreWildcard() const { return FUnderscoreWildcard; }
  void SetUnderscoreWildcard(char16_t AValue);
  bool CompareByDisplayValues() const { return FCompareByDisplayValues; }
  void SetCompareByDisplayValues(bool AValue) { FCompareByDisplayValues = AValue; }
  bool SupportedLike() const { return FSupportedLike; }
  void SetSupportedLike(bool AValue) { FSupportedLike = AValue; }
  bool TranslateBetween() const { return FTranslateBetween; }
  void SetTranslateBetween(bool AValue) { FTranslateBetween = AValue; }
  bool TranslateLike() const { return FTranslateLike; }
  void SetTranslateLike(bool AValue) { FTranslateLike = AValue; }
  bool TranslateIn() const { return FTranslateIn; }
  void SetTranslateIn(bool AValue) { FTranslateIn = AValue; }
  int Version() const { return FVersion; }
  const rtl::TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const rtl::TNotifyEvent& AValue) { FOnChanged = AValue; }

 protected:
  void PrepareList(TcxFilterCriteriaItemList* AList);
  String ListExpression(TcxFilterCriteriaItemList* AList, bool AIsCaption);
  // After a condition left AList: frees emptied lists up to the root and
  // dissolves a list left with a single child into its parent.
  void TidyList(TcxFilterCriteriaItemList* AList);

  bool FChanged = false;
  // Re-entrant: preparing an array prepares its elements, arrays included.
  std::recursive_mutex FCriticalSection;
  String FDateTimeFormat;
  char16_t FEscapeWildcard = 0;
  int FLockCount = 0;
  int FMaxValueListCount = 0;
  TcxFilterCriteriaOptions FOptions;
  char16_t FPercentWildcard = u'%';
  bool FCompareByDisplayValues = false;
  std::unique_ptr<TcxFilterCriteriaItemList> FRoot;
  bool FSupportedLike = true;
  bool FTranslateBetween = false;
  bool FTranslateLike = false;
  bool FTranslateIn = false;
  char16_t FUnderscoreWildcard = u'_';
  int FVersion = cxFilterVersionPlain;
  int FLoadedVersion = 0;
  int FSavedVersion = 0;
  bool FSavingToStream = false;
  rtl::TNotifyEvent FOnChanged;

 private:
  void WriteList(rtl::TStream* AStream, TcxFilterCriteriaItemList* AList);
  void WriteCondition(rtl::TStream* AStream, TcxFilterCriteriaItem* AItem);
  void ReadList(rtl::TStream* AStream, TcxFilterCriteriaItemList* AList, bool AWithOperator, int ACount,
                int ADepth);
  void ReadCondition(rtl::TStream* AStream, TcxFilterCriteriaItem* AItem);
};

// The component the criteria travel in for their component form: one
// published property, the criteria (not owned).
class TFilterWrapper : public rtl::TComponent {
  RTL_CLASS(TFilterWrapper, rtl::TComponent)

 public:
  static void Published(rtl::PropTable<TFilterWrapper>& p);
  explicit TFilterWrapper(rtl::TComponent* AOwner = nullptr) : rtl::TComponent(AOwner) {}
  TcxFilterCriteria* Filter() const { return FFilter; }
  // A criteria given to the property is copied into the attached one.
  void SetFilter(TcxFilterCriteria* AValue);
  void Attach(TcxFilterCriteria* AFilter) { FFilter = AFilter; }

 private:
  TcxFilterCriteria* FFilter = nullptr;
};

}  // namespace data
