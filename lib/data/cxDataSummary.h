#pragma once
// Summaries of a data controller: footer values over every listed record and
// group values per group row, each item a kind (sum, min, max, count,
// average) over one field. The controller computes them after each rebuild
// of its record list; views read the formatted texts.
//
// Values are variants added and compared with the variant rules, so a
// currency field sums exactly (no rounding through doubles) and an average of
// dates is a date.
#include <cstdint>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/rtl/variant.h"

namespace data {

class TcxCustomDataField;
class TcxDataSummary;
class TcxDataSummaryGroup;
class TcxDataSummaryItem;
class TcxDataSummaryItems;

enum TcxSummaryPosition { spGroup, spFooter };
enum TcxSummaryOption { soNullIgnore, soSelectedRecords, soMultipleSelectedRecords };
using TcxSummaryOptions = rtl::Set<TcxSummaryOption, 3>;
// Which properties a SetDataItem... call touches.
enum TcxSummaryProperty { spFormat, spKind, spSorted };
using TcxSummaryProperties = rtl::Set<TcxSummaryProperty, 3>;

// One value (and one count) per item of a collection.
using TcxDataSummaryValues = std::vector<rtl::Variant>;
using TcxDataSummaryCountValues = std::vector<int>;

struct TcxSummaryEventArguments {
  int RecordIndex = -1;
  TcxDataSummaryItem* SummaryItem = nullptr;
};

// Done skips the built-in step for this record; SummaryValue and CountValue
// are the running value and count, which the handler may change.
struct TcxSummaryEventOutArguments {
  rtl::Variant Value;
  bool Done = false;
  rtl::Variant SummaryValue;
  int CountValue = 0;
};

using TcxSummaryEvent = rtl::Method<void(TcxDataSummaryItems* ASender, const TcxSummaryEventArguments& Arguments,
                                         TcxSummaryEventOutArguments& OutArguments)>;
using TcxSummaryGetTextEvent =
    rtl::Method<void(TcxDataSummaryItem* Sender, const rtl::Variant& AValue, bool AIsFooter, rtl::String& AText)>;

// --- items -----------------------------------------------------------------------------------
// An item linked to one controller field (through the view item that owns the
// field), with a kind and a display format.
class TcxCustomDataSummaryItem : public rtl::TCollectionItem {
  RTL_CLASS(TcxCustomDataSummaryItem, rtl::TCollectionItem)

 public:
  explicit TcxCustomDataSummaryItem(rtl::TCollection* ACollection) : TCollectionItem(ACollection) {}
  void Assign(rtl::TPersistent* ASource) override;

  virtual void AssignValues(TcxCustomDataSummaryItem* ASource);
  virtual bool CanSetKind(TcxSummaryKind AKind) const { return AKind != FKind; }
  virtual TcxCustomDataController* GetDataController() const = 0;
  virtual rtl::String GetValueFormat(TcxSummaryValueType AValueType, bool AIsFooter) const { return FFormat; }
  virtual bool IsCurrency(rtl::TVarType AVarType) const;
  virtual void ItemLinkChanging(TcxCustomDataField* AField) {}
  virtual rtl::String FormatValue(const rtl::Variant& AValue, bool AIsFooter);

  TcxCustomDataField* Field() const { return FField; }
  // The view item that owns the field; null without one.
  TObject* ItemLink() const;
  void SetItemLink(TObject* AItemLink);
  const rtl::String& Format() const { return FFormat; }
  void SetFormat(const rtl::String& AValue);
  TcxSummaryKind Kind() const { return FKind; }
  void SetKind(TcxSummaryKind AValue);

 protected:
  // The field goes away without a notice to the collection (the summary
  // decides whether that is a change).
  void ForgetField() { FField = nullptr; }
  // The owning collection's update bracket (none outside a collection).
  void beginCollectionUpdate();
  void endCollectionUpdate();

  TcxCustomDataField* FField = nullptr;
  rtl::String FFormat;
  TcxSummaryKind FKind = skNone;

 private:
  friend class TcxDataSummary;
};

class TcxDataSummaryItem : public TcxCustomDataSummaryItem {
  RTL_CLASS(TcxDataSummaryItem, TcxCustomDataSummaryItem)

 public:
  explicit TcxDataSummaryItem(rtl::TCollection* ACollection);
  ~TcxDataSummaryItem() override;
  void Assign(rtl::TPersistent* ASource) override;
  void AssignValues(TcxCustomDataSummaryItem* ASource) override;
  TcxCustomDataController* GetDataController() const override;
  rtl::String FormatValue(const rtl::Variant& AValue, bool AIsFooter) override;

  // The item takes part in a calculation: it has a field, or it counts the
  // records of a group row.
  virtual bool IsDataBinded() const;
  virtual bool IsPositionStored() const;
  virtual TcxCustomDataField* DataField() const { return FField; }

  TcxDataSummaryItems* SummaryItems() const;
  TcxSummaryPosition Position() const;
  void SetPosition(TcxSummaryPosition AValue);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool AValue);
  int Tag() const { return FTag; }
  void SetTag(int AValue) { FTag = AValue; }

  TcxSummaryGetTextEvent FOnGetText;

 private:
  friend class TcxDataSummaryItems;
  friend class TcxDataGroupSummaryItems;
  bool FSorted = false;
  int FTag = 0;
  TcxSummaryPosition FPosition = spGroup;
};

// --- item collections ------------------------------------------------------------------------
class TcxDataSummaryItems : public rtl::TCollection {
  RTL_CLASS(TcxDataSummaryItems, rtl::TCollection)

 public:
  TcxDataSummaryItems(TcxDataSummary* ASummary, rtl::ClassRef<TcxDataSummaryItem> AItemClass);
  rtl::TPersistent* GetOwner() const override;

  virtual void BeforeSortingChange(TcxDataSummaryItem* AItem, bool AValue) {}
  virtual TcxSummaryPosition GetItemPosition(const TcxDataSummaryItem* AItem) const { return AItem->FPosition; }
  virtual bool IsPositionStored(const TcxDataSummaryItem* AItem) const { return AItem->FPosition != spGroup; }
  virtual bool IsPropertiesEmpty(TcxSummaryProperties AProperties, const rtl::String& AFormat, bool ASorted,
                                 TcxSummaryKind AKind) const;
  virtual void AssignEvents(TcxDataSummaryItems* ASource) { FOnSummary = ASource->FOnSummary; }
  virtual rtl::String DefaultFormat(TcxSummaryValueType AValueType, TcxSummaryKind AKind, bool AIsFooter) const;
  // The text a group row shows for these values; empty here.
  virtual rtl::String GetGroupText(const TcxDataSummaryValues& ASummaryValues) const { return {}; }
  // The first item for the controller item at that position (and of that
  // kind, with ACheckKind); null when none.
  TcxDataSummaryItem* GetDataItem(int AItemIndex, TcxSummaryPosition APosition, bool ACheckKind = false,
                                  TcxSummaryKind AKind = skNone) const;

  TcxDataSummaryItem* Add();
  TcxDataSummaryItem* Add(TObject* AItemLink, TcxSummaryPosition APosition, TcxSummaryKind AKind,
                          const rtl::String& AFormat = {});
  TcxDataSummaryItem* AddDataItem(int AItemIndex, TcxSummaryPosition APosition);
  int IndexOfItemLink(const TObject* AItemLink) const;
  TcxDataSummaryItem* ItemOfItemLink(const TObject* AItemLink) const;
  int IndexOfField(const TcxCustomDataField* AField) const;
  TcxDataSummaryItem* ItemOfField(const TcxCustomDataField* AField) const;
  // Frees the item when format, kind and sorted are all empty.
  void CheckItemEmpty(TcxDataSummaryItem* AItem);
  rtl::String GetDataItemFormat(int AItemIndex, TcxSummaryPosition APosition) const;
  TcxSummaryKind GetDataItemKind(int AItemIndex, TcxSummaryPosition APosition) const;
  bool GetDataItemSorted(int AItemIndex, TcxSummaryPosition APosition) const;
  void SetDataItemFormat(int AItemIndex, TcxSummaryPosition APosition, const rtl::String& AValue);
  void SetDataItemKind(int AItemIndex, TcxSummaryPosition APosition, TcxSummaryKind AValue);
  void SetDataItemSorted(int AItemIndex, TcxSummaryPosition APosition, bool AValue);
  void SetDataItemProperties(int AItemIndex, TcxSummaryPosition APosition, bool ASorted, TcxSummaryKind AKind,
                             const rtl::String& AFormat, TcxSummaryProperties AProperties);
  // A repaint without a recalculation, when there is anything to show.
  void ChangedView();
  TcxCustomDataController* GetDataController() const;
  TcxDataSummaryItem* Items(int AIndex) const;
  TcxDataSummary* Summary() const { return FSummary; }

  TcxSummaryEvent FOnSummary;

 protected:
  // A change of one item only repaints; a change of the collection (or of an
  // item's kind or link) recalculates.
  void Update(rtl::TCollectionItem* AItem) override;

 private:
  TcxDataSummary* FSummary;
};

class TcxDataFooterSummaryItems : public TcxDataSummaryItems {
  RTL_CLASS(TcxDataFooterSummaryItems, TcxDataSummaryItems)

 public:
  using TcxDataSummaryItems::TcxDataSummaryItems;
  TcxSummaryPosition GetItemPosition(const TcxDataSummaryItem*) const override { return spFooter; }
  bool IsPositionStored(const TcxDataSummaryItem*) const override { return false; }
};

class TcxDataGroupSummaryItems : public TcxDataSummaryItems {
  RTL_CLASS(TcxDataGroupSummaryItems, TcxDataSummaryItems)

 public:
  TcxDataGroupSummaryItems(TcxDataSummary* ASummary, rtl::ClassRef<TcxDataSummaryItem> AItemClass,
                           TcxDataSummaryGroup* AOwner = nullptr)
      : TcxDataSummaryItems(ASummary, AItemClass), FOwner(AOwner) {}
  void Assign(rtl::TPersistent* ASource) override;
  rtl::TPersistent* GetOwner() const override;
  void BeforeSortingChange(TcxDataSummaryItem* AItem, bool AValue) override;
  // The group-row items' texts, joined by the separator and a blank, wrapped
  // in the begin and end texts. Values missing from the array (items added
  // since the last calculation) show nothing.
  rtl::String GetGroupText(const TcxDataSummaryValues& ASummaryValues) const override;
  // The item the groups are sorted by: the one linked to the controller's
  // sorting-by-summary item, else the first marked sorted; null when none.
  TcxDataSummaryItem* SortedSummaryItem() const;

  const rtl::String& BeginText() const { return FBeginText; }
  void SetBeginText(const rtl::String& AValue);
  const rtl::String& EndText() const { return FEndText; }
  void SetEndText(const rtl::String& AValue);
  const rtl::String& Separator() const { return FSeparator; }
  void SetSeparator(const rtl::String& AValue);
  bool IsBeginTextStored() const { return FBeginText != u"("; }
  bool IsEndTextStored() const { return FEndText != u")"; }
  bool IsSeparatorStored() const { return FSeparator != u","; }

 private:
  rtl::String FBeginText = u"(";
  rtl::String FEndText = u")";
  rtl::String FSeparator = u",";
  TcxDataSummaryGroup* FOwner;
};

// --- summary groups: chosen grouping items with their own group summaries ----------------------
class TcxDataSummaryGroupItemLink : public TcxCustomDataSummaryItem {
  RTL_CLASS(TcxDataSummaryGroupItemLink, TcxCustomDataSummaryItem)

 public:
  using TcxCustomDataSummaryItem::TcxCustomDataSummaryItem;
  TcxCustomDataController* GetDataController() const override;
  // A view item belongs to one summary group at most: linking it here
  // unlinks it everywhere else first.
  void ItemLinkChanging(TcxCustomDataField* AField) override;
  TcxDataSummaryGroup* SummaryGroup() const;
};

class TcxDataSummaryGroupItemLinks : public rtl::TCollection {
  RTL_CLASS(TcxDataSummaryGroupItemLinks, rtl::TCollection)

 public:
  TcxDataSummaryGroupItemLinks(TcxDataSummaryGroup* ASummaryGroup,
                               rtl::ClassRef<TcxDataSummaryGroupItemLink> AItemClass)
      : TCollection(AItemClass), FSummaryGroup(ASummaryGroup) {}
  rtl::TPersistent* GetOwner() const override;
  TcxDataSummaryGroupItemLink* Add();
  TcxDataSummaryGroupItemLink* Items(int AIndex) const;
  int IndexOfItemLink(const TObject* AItemLink) const;
  int IndexOfField(const TcxCustomDataField* AField) const;
  TcxDataSummaryGroupItemLink* ItemOfField(const TcxCustomDataField* AField) const;
  TcxDataSummaryGroup* SummaryGroup() const { return FSummaryGroup; }

 protected:
  void Update(rtl::TCollectionItem* AItem) override;

 private:
  TcxDataSummaryGroup* FSummaryGroup;
};

class TcxDataSummaryGroup : public rtl::TCollectionItem {
  RTL_CLASS(TcxDataSummaryGroup, rtl::TCollectionItem)

 public:
  explicit TcxDataSummaryGroup(rtl::TCollection* ACollection);
  ~TcxDataSummaryGroup() override;
  void Assign(rtl::TPersistent* ASource) override;
  TcxDataSummary* Summary() const;
  // Made on first use.
  TcxDataSummaryGroupItemLinks* Links();
  bool HasLinks() const { return FItemLinks != nullptr; }
  TcxDataGroupSummaryItems* SummaryItems() const { return FSummaryItems.get(); }

 private:
  std::unique_ptr<TcxDataSummaryGroupItemLinks> FItemLinks;
  std::unique_ptr<TcxDataGroupSummaryItems> FSummaryItems;
};

class TcxDataSummaryGroups : public rtl::TCollection {
  RTL_CLASS(TcxDataSummaryGroups, rtl::TCollection)

 public:
  explicit TcxDataSummaryGroups(TcxDataSummary* ASummary);
  rtl::TPersistent* GetOwner() const override;
  TcxDataSummaryGroup* Add();
  TcxDataSummaryGroup* Items(int AIndex) const;
  // The first group whose links hold the view item; null when none.
  TcxDataSummaryGroup* FindByItemLink(const TObject* AItemLink) const;
  TcxDataSummary* Summary() const { return FSummary; }

 protected:
  void Update(rtl::TCollectionItem* AItem) override;

 private:
  TcxDataSummary* FSummary;
};

// --- the summary -----------------------------------------------------------------------------
using TcxDataSummaryAfterSummaryEvent = rtl::Method<void(TcxDataSummary* ASender)>;

class TcxDataSummary : public TcxDataControllerPersistent {
  RTL_CLASS(TcxDataSummary, TcxDataControllerPersistent)

 public:
  explicit TcxDataSummary(TcxCustomDataController* ADataController);
  ~TcxDataSummary() override;
  void Assign(rtl::TPersistent* ASource) override;

  virtual void BeginCalculateSummary(TcxDataSummaryItems* ASummaryItems, TcxDataSummaryCountValues& ACountValues,
                                     TcxDataSummaryValues& ASummaryValues);
  // Adds the records at record-list positions ABeginIndex..AEndIndex.
  virtual void CalculateSummary(TcxDataSummaryItems* ASummaryItems, int ABeginIndex, int AEndIndex,
                                TcxDataSummaryCountValues& ACountValues, TcxDataSummaryValues& ASummaryValues);
  virtual void Changed(bool ARedrawOnly);
  virtual void DoAfterSummary();
  virtual void DoFinishSummaryValue(TcxDataSummaryItem* ASummaryItem, rtl::Variant& AValue, int ACount);
  virtual void DoSummaryValue(TcxDataSummaryItem* ASummaryItem, int ARecordIndex, int& ACount,
                              rtl::Variant& AValue);
  virtual void EndCalculateSummary(TcxDataSummaryItems* ASummaryItems, TcxDataSummaryCountValues& ACountValues,
                                   TcxDataSummaryValues& AResult, TcxDataSummaryValues& ASummaryValues);
  // The record at a record-list position; -1 when the summary covers selected
  // records and that one is not among them.
  virtual int GetRecordIndex(int ARecordListIndex) const;
  virtual bool IsValidSummaryValuesIndex(const TcxDataSummaryValues& ASummaryValues, int AIndex) const;
  virtual void Update(bool ARedrawOnly);
  virtual void AssignEvents(TcxDataSummary* ASource) { FOnAfterSummary = ASource->FOnAfterSummary; }
  virtual void BeginCalculate();
  virtual void EndCalculate();
  virtual void Calculate();
  virtual void CalculateFooterSummary();
  virtual void CalculateGroupSummary();

  void BeginUpdate();
  void EndUpdate();
  void CancelUpdate();
  int LockCount() const { return FLockCount; }

  TcxDataGroupSummaryItems* DefaultGroupSummaryItems() const { return FDefaultGroupSummaryItems.get(); }
  void SetDefaultGroupSummaryItems(TcxDataGroupSummaryItems* AValue) { FDefaultGroupSummaryItems->Assign(AValue); }
  TcxDataFooterSummaryItems* FooterSummaryItems() const { return FFooterSummaryItems.get(); }
  void SetFooterSummaryItems(TcxDataFooterSummaryItems* AValue) { FFooterSummaryItems->Assign(AValue); }
  TcxDataSummaryGroups* SummaryGroups() const { return FSummaryGroups.get(); }
  void SetSummaryGroups(TcxDataSummaryGroups* AValue) { FSummaryGroups->Assign(AValue); }
  TcxSummaryOptions Options() const { return FOptions; }
  // Of the two selected-records options the newly asked one wins.
  void SetOptions(TcxSummaryOptions AValue);
  // The summary covers selected records now (the record list asks).
  bool CountsSelectedRecords() const;
  bool IsDestroying() const { return FDestroying; }

  // Footer values: Null outside the value array (or before any calculation).
  const TcxDataSummaryValues& FooterSummaryValues() const { return FFooterSummaryValues; }
  rtl::Variant GetFooterSummaryValue(int AIndex) const;
  rtl::String GetFooterSummaryText(int AIndex);
  // The items of a grouping level: the summary group linked to the item
  // grouped there, or the default group items; null outside the grouping.
  TcxDataGroupSummaryItems* GetGroupSummaryItems(int ALevel) const;
  // A group's values (by data group index); null for -1 or a group the last
  // calculation did not reach.
  const TcxDataSummaryValues* GetGroupSummaryValues(int ADataGroupIndex) const;
  bool GetGroupSummaryInfo(int ARowIndex, TcxDataGroupSummaryItems*& ASummaryItems,
                           const TcxDataSummaryValues*& ASummaryValues) const;
  rtl::String GetGroupSummaryText(int ARowIndex) const;
  rtl::String GetGroupFooterSummaryText(int ARowIndex, int ALevel, int AIndex);
  // The collection of a pattern summary that corresponds to one of ours.
  TcxDataSummaryItems* GetPatternSummaryItems(TcxDataSummary* APatternSummary, TcxDataSummaryItems* ASummaryItems);
  // Unlinks the field from every item and link that uses it.
  void RemoveItemByField(TcxCustomDataField* AField);
  // The Currency and Float fields the next calculation reads by column
  // (items without handlers, over every record of the list); the record
  // list reads them in its own pass over the records when it can.
  std::vector<TcxValueDef*> ColumnValueDefs() const;
  // A column read by the record list for the next calculation, by record
  // index (only the listed records' slots count); dropped after the update.
  void PrepareColumn(TcxValueDef* AValueDef, std::vector<std::int64_t>&& ABits, std::vector<unsigned char>&& ANulls);
  void DropPreparedColumns() { recycleColumns(FPreparedColumns); }
  // A zeroed buffer for a column of ASize records: one of an earlier
  // calculation when there is one, so that a rebuild of a large list does
  // not map and fault in fresh pages every time.
  std::vector<std::int64_t> TakeColumnBuffer(size_t ASize) const;
  // The groups were put in a new order: group g now is the group that was
  // AOldIndexes[g], and its values follow it.
  void MoveGroupValues(const std::vector<int>& AOldIndexes);

  TcxDataSummaryAfterSummaryEvent FOnAfterSummary;

 private:
  // One item over a range straight from the record storage; false when the
  // item needs the per-record path.
  bool calculateDirect(TcxDataSummaryItem* AItem, int ABeginIndex, int AEndIndex, int& ACount,
                       rtl::Variant& AValue) const;
  // The values of one Currency or Float field, read once per calculation in
  // storage order: the groups of a sorted list then read one array slot per
  // record instead of a record pointer and a scattered record block.
  struct DirectColumn {
    const TcxValueDef* valueDef = nullptr;
    std::vector<std::int64_t> bits;     // the value's 8 bytes; 0 for a null
    std::vector<unsigned char> nulls;   // empty when no value is null
  };
  // Null outside a calculation, or when the list holds too few of the
  // records for a storage-order pass to pay.
  const DirectColumn* directColumn(TcxValueDef* AValueDef) const;

  bool FDestroying = false;
  std::unique_ptr<TcxDataGroupSummaryItems> FDefaultGroupSummaryItems;
  std::unique_ptr<TcxDataFooterSummaryItems> FFooterSummaryItems;
  std::unique_ptr<TcxDataSummaryGroups> FSummaryGroups;
  TcxDataSummaryValues FFooterSummaryValues;
  std::vector<TcxDataSummaryValues> FGroupSummaryValues;  // by data group index
  bool FInAfterSummary = false;
  int FLockCount = 0;
  TcxSummaryOptions FOptions;
  bool FSetCustomSummary = false;
  // The records of the selected rows, gathered once per calculation.
  std::vector<char> FSelectedRecords;
  bool FSelectedRecordsOnly = false;
  // The columns read during the calculation that runs (see DirectColumn).
  mutable std::vector<DirectColumn> FDirectColumns;
  std::vector<DirectColumn> FPreparedColumns;
  // Buffers of columns gone, kept for the next ones (a few at most).
  mutable std::vector<std::vector<std::int64_t>> FSpareColumnBuffers;
  void recycleColumns(std::vector<DirectColumn>& AColumns) const;
  bool FCalculating = false;
};

}  // namespace data
