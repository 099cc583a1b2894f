#pragma once
// The data controller's filters: criteria whose conditions are linked to the
// controller's fields (`TcxDataFilterCriteria`), the value lists a column's
// filter drop-down shows (`TcxFilterValueList`), and the find panel's
// criteria, which turn a search text into LIKE conditions over the searched
// fields (`TcxDataFindFilterCriteria`).
#include <memory>
#include <vector>

#include "lib/data/cxFilter.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/variant.h"

namespace rtl {
class TFiler;
}  // namespace rtl

namespace data {

class TcxCustomDataController;
class TcxCustomDataField;
class TcxDataFilterCriteria;

// --- value lists ---------------------------------------------------------------------------
enum class TcxFilterValueItemKind {
  fviAll, fviCustom, fviBlanks, fviNonBlanks, fviUser, fviValue, fviMRU, fviMRUSeparator, fviSpecial, fviUserEx
};

class TcxFilterValueList;

// One entry; the prepared forms are made once, on creation.
class TcxFilterValueItem : public rtl::TObject {
  RTL_CLASS(TcxFilterValueItem, rtl::TObject)

 public:
  TcxFilterValueItem(TcxFilterValueList* AOwner, TcxFilterValueItemKind AKind, const Variant& AValue,
                     const String& ADisplayText);
  const String& DisplayText() const { return FDisplayText; }
  TcxFilterValueItemKind Kind() const { return FKind; }
  const Variant& Value() const { return FValue; }
  const String& PreparedDisplayText() const { return FPreparedDisplayText; }
  const Variant& PreparedValue() const { return FPreparedValue; }
  TcxFilterValueList* Owner() const { return FOwner; }

 private:
  String FPreparedDisplayText;
  Variant FPreparedValue;
  String FDisplayText;
  TcxFilterValueItemKind FKind;
  TcxFilterValueList* FOwner;
  Variant FValue;
};

// A value with its display text, as a controller collects them for a list.
struct TcxFilterValueEntry {
  Variant Value;
  String DisplayText;
};

// Front to back: the MRU entries, their separator, the special and user
// entries, then the value entries (sorted unless some were appended).
class TcxFilterValueList : public rtl::TObject {
  RTL_CLASS(TcxFilterValueList, rtl::TObject)

 public:
  explicit TcxFilterValueList(TcxFilterCriteria* ACriteria);
  ~TcxFilterValueList() override;

  // Compares an entry's prepared forms with already prepared ones.
  virtual int CompareItem(int AIndex, const Variant& AValue, const String& ADisplayText);
  virtual void Add(TcxFilterValueItemKind AKind, const Variant& AValue, const String& ADisplayText,
                   bool ANoSorting = false);
  // Adds many values at once, as many sorted Adds in the given order would
  // (same entries, same limit), with one sort instead of one insertion each.
  void AddValues(std::vector<TcxFilterValueEntry> AValues);
  // The same for values already sorted as the list sorts them, no two
  // equal, each with its position among all the values offered (the limit
  // keeps the first offered).
  void AddSortedDistinctValues(std::vector<TcxFilterValueEntry> AValues, const std::vector<size_t>& AOfferedAt);
  virtual void Clear();
  virtual bool Find(const Variant& AValue, const String& ADisplayText, int& AIndex);
  virtual int GetIndexByCriteriaItem(TcxFilterCriteriaItem* ACriteriaItem);
  bool FindValueIndex(const Variant& AValue, const String& ADisplayText, int& AIndex);
  int FindItemByKind(TcxFilterValueItemKind AKind);
  int FindItemByKind(TcxFilterValueItemKind AKind, const Variant& AValue);
  int FindItemByValue(const Variant& AValue);
  void Delete(int AIndex);
  int GetMRUSeparatorIndex() const;

  int Count() const { return static_cast<int>(FItems.size()); }
  TcxFilterValueItem* Items(int AIndex) const { return FItems.at(static_cast<size_t>(AIndex)).get(); }
  TcxFilterCriteria* Criteria() const { return FCriteria; }
  int MaxCount() const;
  int StartValueIndex() const;
  bool SortByDisplayText() const { return FSortByDisplayText; }
  void SetSortByDisplayText(bool AValue) { FSortByDisplayText = AValue; }
  bool IsUnsortedValues() const { return FIsUnsortedValues; }

 protected:
  void insertItem(int AIndex, TcxFilterValueItemKind AKind, const Variant& AValue, const String& ADisplayText);
  int comparePrepared(const TcxFilterValueItem& AItem, const Variant& AValue, const String& ADisplayText) const;
  // Whether an MRU entry equals the prepared value and text.
  bool findMRU(const Variant& APreparedValue, const String& APreparedText);
  // --- adding many values
  // An offered value in the forms entries compare in.
  struct TPreparedValue {
    Variant Value;
    String Text;
    // A Unicode string value read out once: two of them compare as the
    // variants would (ordinal), without a copy of each text per comparison.
    String Str;
    bool IsStr;
  };
  TPreparedValue prepareOffered(const TcxFilterValueEntry& AEntry) const;
  int compareOffered(const TPreparedValue& A, const TPreparedValue& B) const;
  // Adds AValues[i] for each i of ADistinct (in value order, none equal to
  // another) that the list does not hold yet; ARank[i] orders them as
  // offered, for the limit.
  void addDistinct(const std::vector<TcxFilterValueEntry>& AValues, const std::vector<TPreparedValue>& APrepared,
                   std::vector<size_t> ADistinct, const std::vector<size_t>& ARank);

  TcxFilterCriteria* FCriteria;
  std::vector<std::unique_ptr<TcxFilterValueItem>> FItems;
  bool FIsUnsortedValues = false;
  bool FSortByDisplayText = false;
};

// The value list of a controller's column.
class TcxDataFilterValueList : public TcxFilterValueList {
  RTL_CLASS(TcxDataFilterValueList, TcxFilterValueList)

 public:
  explicit TcxDataFilterValueList(TcxDataFilterCriteria* ACriteria);
  virtual void Load(int AItemIndex, bool AInitSortByDisplayText = true, bool AUseFilteredValues = false,
                    bool AAddValueItems = true);
  TcxDataFilterCriteria* DataCriteria() const;
};

// --- the controller's criteria ----------------------------------------------------------------
using TcxDataFilterGetValueListEvent =
    rtl::Method<void(TcxFilterCriteria* Sender, int AItemIndex, TcxDataFilterValueList* AValueList)>;

class TcxDataFilterCriteriaItem : public TcxFilterCriteriaItem {
  RTL_CLASS(TcxDataFilterCriteriaItem, TcxFilterCriteriaItem)

 public:
  using TcxFilterCriteriaItem::TcxFilterCriteriaItem;
  Variant GetDataValue(rtl::Int64 ARecordIndex) override;
  String GetFieldCaption() override;
  String GetFieldName() override;
  // The stored link is the field; the item link answered is its view item.
  rtl::TObject* GetItemLink() override;
  void SetItemLink(rtl::TObject* AValue) override;
  bool SupportsMultiThreading() override;

  TcxCustomDataField* Field() const;
  TcxCustomDataController* DataController();

 protected:
  // Values from the controller's storage, display texts too (see
  // TcxFilterCriteriaItem::GetDataValueInPlace).
  bool PrepareDataValueInPlace() override;
  bool GetDataValueInPlace(rtl::Int64 ARecordIndex, TcxFilterInPlaceValue& AValue, String& AScratch) override;

 private:
  // Fixed by PrepareDataValueInPlace for the records of one filter pass.
  TcxCustomDataField* FInPlaceField = nullptr;
  TcxCustomDataController* FInPlaceController = nullptr;
  bool FInPlaceByDisplay = false;
};

class TcxDataFilterCriteria : public TcxFilterCriteria {
  RTL_CLASS(TcxDataFilterCriteria, TcxFilterCriteria)

 public:
  explicit TcxDataFilterCriteria(TcxCustomDataController* ADataController);
  ~TcxDataFilterCriteria() override;

  std::unique_ptr<TcxFilterCriteriaItem> CreateItem(TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink,
                                                    TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                                    const String& ADisplayValue) override;
  virtual std::unique_ptr<TcxDataFilterValueList> CreateValueList();
  virtual bool IsFiltering();

  void Assign(rtl::TPersistent* ASource) override;
  void AssignEvents(rtl::TPersistent* ASource) override;
  void DefineProperties(rtl::TFiler* AFiler) override;
  TcxFilterCriteriaItem* FindItemByItemLink(rtl::TObject* AItemLink) override;
  void RemoveItemByField(TcxCustomDataField* AField);
  bool DoFilterRecord(int ARecordIndex) { return DoFilterData(ARecordIndex); }
  void Update() override;

  int GetIDByItemLink(rtl::TObject* AItemLink) override;
  String GetNameByItemLink(rtl::TObject* AItemLink) override;
  rtl::TObject* GetItemLinkByID(int AID) override;
  rtl::TObject* GetItemLinkByName(const String& AName) override;

  bool Active() const { return FActive; }
  void SetActive(bool AValue);
  TcxCustomDataController* DataController() const { return FDataController; }
  bool Destroying() const { return FDestroying; }
  const TcxDataFilterGetValueListEvent& OnGetValueList() const { return FOnGetValueList; }
  void SetOnGetValueList(const TcxDataFilterGetValueListEvent& AValue) { FOnGetValueList = AValue; }
  // A link that is not a field becomes the controller's field of that item.
  rtl::TObject* FieldOfLink(rtl::TObject* AItemLink) const;
  // Internal criteria report to their owner (the find panel's criteria),
  // not to the controller.
  bool Internal() const { return FInternal; }
  void SetInternal(bool AValue) { FInternal = AValue; }

 protected:
  bool FActive = false;
  bool FInternal = false;
  TcxCustomDataController* FDataController;
  bool FDestroying = false;
  TcxDataFilterGetValueListEvent FOnGetValueList;
};

// Further criteria of a controller, owned by the list.
class TcxDataFilterList {
 public:
  TcxDataFilterList() = default;
  ~TcxDataFilterList() { Clear(); }
  TcxDataFilterList(const TcxDataFilterList&) = delete;
  TcxDataFilterList& operator=(const TcxDataFilterList&) = delete;

  TcxDataFilterCriteria* Add(std::unique_ptr<TcxDataFilterCriteria> ACriteria);
  // Frees the criteria from the last to the first.
  void Clear();
  void RemoveItemByField(TcxCustomDataField* AField);
  // Forgets a criteria being destroyed by someone else.
  void Remove(TcxDataFilterCriteria* ACriteria);
  int Count() const { return static_cast<int>(FItems.size()); }
  TcxDataFilterCriteria* Items(int AIndex) const { return FItems.at(static_cast<size_t>(AIndex)).get(); }

 private:
  std::vector<std::unique_ptr<TcxDataFilterCriteria>> FItems;
};

// --- find panel ------------------------------------------------------------------------------
enum class TcxDataFindFilterCriteriaConditionOperation { ffcoOr, ffcoAnd, ffcoNot };

struct TcxDataFindFilterCriteriaCondition {
  bool FFound = false;
  TcxDataFindFilterCriteriaConditionOperation FOperation = TcxDataFindFilterCriteriaConditionOperation::ffcoOr;
  String FText;
};

// The conditions a search text splits into.
class TcxDataFindFilterCriteriaConditions {
 public:
  using Op = TcxDataFindFilterCriteriaConditionOperation;
  virtual ~TcxDataFindFilterCriteriaConditions() = default;

  virtual void Clear();
  // Extended syntax: words, quoted phrases, '+' must contain, '-' must not.
  // A text with an unmatched quote is read again with that quote taken as
  // a literal first character (in a loop: no recursion on hostile text).
  virtual void Populate(const String& AText, bool AAdjustConditionWithMissedQuote);
  virtual void Refresh(const String& AText, bool AUseExtendedSyntax);
  virtual void ResetFoundInfo();

  int Count() const { return static_cast<int>(FItems.size()); }
  const TcxDataFindFilterCriteriaCondition& Items(int AIndex) const { return FItems.at(static_cast<size_t>(AIndex)); }
  int Counter(Op AOperation) const { return FCounters[static_cast<int>(AOperation)]; }

 protected:
  void Add(const String& AText, Op AOperation);

 private:
  // One pass; answers true with the text to read again when a quote stayed open.
  bool populateOnce(const String& AText, bool AAdjust, String& AReparse);

  std::vector<TcxDataFindFilterCriteriaCondition> FItems;
  int FCounters[3] = {0, 0, 0};
};

class TcxFindFilterCriteria : public rtl::TObject {
  RTL_CLASS(TcxFindFilterCriteria, rtl::TObject)

 public:
  explicit TcxFindFilterCriteria(TcxCustomDataController* AOwner) : FOwner(AOwner) {}
  virtual void Clear();
  TcxDataFilterCriteria* Filter() const { return FFilter.get(); }
  TcxCustomDataController* Owner() const { return FOwner; }

 protected:
  // Called by the descendant's constructor: makes the filter and sets it up.
  void init();
  virtual std::unique_ptr<TcxDataFilterCriteria> CreateFilter() = 0;
  virtual void SetFilterProperty() {}

  std::unique_ptr<TcxDataFilterCriteria> FFilter;
  TcxCustomDataController* FOwner;
};

class TcxDataFindFilterCriteria : public TcxFindFilterCriteria {
  RTL_CLASS(TcxDataFindFilterCriteria, TcxFindFilterCriteria)

 public:
  explicit TcxDataFindFilterCriteria(TcxCustomDataController* AOwner);
  ~TcxDataFindFilterCriteria() override;

  void Clear() override;
  bool FilterRecord(int ARecordIndex) { return FFilter->DoFilterRecord(ARecordIndex); }
  // The 0-based position of the first non-excluded condition in the
  // record's display text of that item, with the condition's text; -1 when
  // none occurs or the find filter is not filtering.
  int GetTextStartPosition(int ARecordIndex, int AItemIndex, String& AText) {
    return FindTextStartPosition(ARecordIndex, AItemIndex, AText);
  }
  bool IsFiltering() { return FFilter->IsFiltering(); }
  bool SupportsMultiThreading() { return FFilter->SupportsMultiThreading(); }
  void AddItem(int AItemIndex);
  void ClearItems();
  void RemoveItem(int AItemIndex);
  // Forgets a field that is going away.
  void RemoveField(TcxCustomDataField* AField);

  const String& Text() const { return FText; }
  void SetText(const String& AValue);
  bool UseExtendedSyntax() const { return FUseExtendedSyntax; }
  void SetUseExtendedSyntax(bool AValue);
  const TcxDataFindFilterCriteriaConditions& Conditions() const { return *FConditions; }
  int ItemCount() const { return static_cast<int>(FItems.size()); }

 protected:
  std::unique_ptr<TcxDataFilterCriteria> CreateFilter() override;
  void SetFilterProperty() override;
  virtual void Changed();
  virtual int FindTextStartPosition(int ARecordIndex, int AItemIndex, String& AText);
  bool HasText() const { return !FText.empty(); }
  bool HasItems() const { return !FItems.empty(); }
  virtual bool IsLocked();
  virtual String GetEscapedCondition(const String& AText);
  char16_t GetEscapeWildcard() const { return u'^'; }
  String PrepareCondition(const String& AText);
  virtual void RebuildFilter();
  virtual void RefreshConditions();
  virtual void Update();

  std::unique_ptr<TcxDataFindFilterCriteriaConditions> FConditions;
  std::vector<TcxCustomDataField*> FItems;
  String FText;
  String FLowerText;
  bool FUseExtendedSyntax = false;
};

}  // namespace data
