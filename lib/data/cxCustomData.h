#pragma once
// The data controller core: the model behind every grid view and lookup
// list. A controller keeps one field per view item over the typed record
// storage (or a program-supplied record source reached through its
// provider), routes value and record access, reports every change to its
// view through one batched protocol (UpdateControl with a notification
// object, sent when the outermost update bracket closes, in a fixed order)
// and lets its provider run the edit states (edit, insert, post, cancel).
//
// The record list the views show (filter, sort, group), focus rules,
// selection, master-detail, summaries and the stream are built on top of
// this: TcxCustomDataControllerInfo below keeps the record list (filtered,
// sorted and grouped), one focus and a row selection.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "lib/core/dxCore.h"
#include "lib/data/cxDataSelection.h"
#include "lib/data/cxDataStorage.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"

namespace data {

class TcxCustomDataController;
class TcxCustomDataControllerInfo;
class TcxCustomDataField;
class TcxCustomDataFieldList;
class TcxCustomDataProvider;
class TcxCustomDataSource;
class TcxDataControllerNotifier;
class TcxDataFilterCriteria;
class TcxDataFilterList;
class TcxDataFilterValueList;
class TcxDataFindFilterCriteria;
class TcxDataControllerSearch;

// Frees the filter objects a controller owns where their classes are known
// (lib/data/cxDataFilter.cpp), so this header needs only their names.
struct TcxDataFilterDeleter {
  void operator()(TcxDataFilterCriteria* AObject) const;
  void operator()(TcxDataFindFilterCriteria* AObject) const;
  void operator()(TcxDataFilterList* AObject) const;
};

using rtl::TComponent;
using rtl::TNotifyEvent;
using rtl::TObject;
using rtl::TPersistent;

// No record is being edited, in every controller and provider.
inline constexpr int cxNullEditingRecordIndex = static_cast<int>(0x80000001u);  // -2147483647

// --- options -----------------------------------------------------------------------------
enum TcxDataControllerOption {
  dcoAnsiSort, dcoCaseInsensitive, dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding,
  dcoSortByDisplayText, dcoFocusTopRowAfterSorting, dcoGroupsAlwaysExpanded, dcoImmediatePost,
  dcoInsertOnNewItemRowFocusing
};
using TcxDataControllerOptions = rtl::Set<TcxDataControllerOption, 16>;
inline constexpr TcxDataControllerOptions cxDataControllerDefaultOptions = {
    dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding};

// --- change kinds ------------------------------------------------------------------------
enum TcxDataControllerChange {
  dccLayout, dccData, dccFocus, dccSelection, dccDetail, dccSummary, dccSearch, dccSorting, dccGrouping,
  dccSyncMasterPos, dccBookmark, dccUpdateRecord, dccGridMode, dccFindFilter
};
using TcxDataControllerChanges = rtl::Set<TcxDataControllerChange, 16>;

enum TcxDataControllerInfoChange {
  dcicLoad, dcicGrouping, dcicSorting, dcicFocusedRow, dcicView, dcicExpanding, dcicResetFocusedRow,
  dcicSelection, dcicSummary, dcicFocusedRecord, dcicFindFilter
};
using TcxDataControllerInfoChanges = rtl::Set<TcxDataControllerInfoChange, 16>;

enum TcxDataChange : std::uint8_t { dcField, dcRecord, dcNew, dcDeleted, dcTotal };

struct TcxDataChangeInfo {
  TcxDataChange Kind = dcTotal;
  int ItemIndex = -1;
  int RecordIndex = -1;
};

enum TcxDataLayoutChange { lcStructure, lcData };
using TcxDataLayoutChanges = rtl::Set<TcxDataLayoutChange, 2>;

struct TcxRowInfo {
  bool Expanded = false;
  int Level = 0;
  int RecordIndex = -1;
  int DataRowIndex = -1;
  int RowIndex = -1;
  int GroupIndex = -1;
};

struct TcxDataSelectionChangedInfo {
  int SelectedCount = 0;
  int RowIndex = -1;
};

enum TcxDataControllerDetailMode { dcdmNone, dcdmPattern, dcdmClone };

// --- edit states ---------------------------------------------------------------------------
enum TcxDataControllerEditKind { dceInsert, dceEdit, dceChanging, dceModified };
using TcxDataControllerEditState = rtl::Set<TcxDataControllerEditKind, 4>;
enum TcxDataControllerEditOperation { dceoAppend, dceoDelete, dceoEdit, dceoInsert, dceoShowEdit };
using TcxDataControllerEditOperations = rtl::Set<TcxDataControllerEditOperation, 5>;

// What a stored value means to an editor: the value, its text or a lookup key.
enum TcxDataEditValueSource { evsValue, evsText, evsKey };

// --- summary kinds (the summaries build on these) -------------------------------------------
enum TcxSummaryKind { skNone, skSum, skMin, skMax, skCount, skAverage };
using TcxSummaryKinds = rtl::Set<TcxSummaryKind, 6>;
enum TcxSummaryValueType { svtFloat, svtCurrency, svtDate };

// The default display format of a summary value; "" for skNone. Currency
// formats take the positive and negative halves of the format controller's
// currency format.
rtl::String cxDataGetDataSummaryValueDefaultFormat(TcxSummaryValueType AValueType, TcxSummaryKind AKind,
                                                   bool AIsFooter);

// --- errors -------------------------------------------------------------------------------
class EcxInvalidDataControllerOperation : public core::EdxException {
 public:
  using EdxException::EdxException;
  const char* ClassName() const override { return "EcxInvalidDataControllerOperation"; }
};

// --- notification objects ------------------------------------------------------------------
// What the view's OnUpdateControl receives. The controller frees the object
// right after the call; a view that needs it later keeps a Clone.
class TcxUpdateControlInfo : public TObject {
  RTL_CLASS(TcxUpdateControlInfo, TObject)

 public:
  virtual void AssignTo(TcxUpdateControlInfo* ADest) const {}
  virtual bool CanNavigatorUpdate() const { return true; }
  std::unique_ptr<TcxUpdateControlInfo> Clone() const;

 protected:
  virtual std::unique_ptr<TcxUpdateControlInfo> NewOfSameClass() const;
};

#define CX_UPDATE_INFO_CLASS(Class)                                                         \
  RTL_CLASS(Class, TcxUpdateControlInfo)                                                   \
                                                                                           \
 protected:                                                                                \
  std::unique_ptr<TcxUpdateControlInfo> NewOfSameClass() const override {                 \
    return std::make_unique<Class>();                                                      \
  }                                                                                        \
                                                                                           \
 public:

class TcxFindFilterChangedInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxFindFilterChangedInfo)
};

class TcxFocusedRecordChangedInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxFocusedRecordChangedInfo)
  TcxFocusedRecordChangedInfo() = default;
  TcxFocusedRecordChangedInfo(int APrevFocusedRecordIndex, int AFocusedRecordIndex, int APrevFocusedRowIndex,
                              int AFocusedRowIndex, bool ANewItemRowFocusingChanged)
      : FFocusedRecordIndex(AFocusedRecordIndex), FPrevFocusedRecordIndex(APrevFocusedRecordIndex),
        FFocusedRowIndex(AFocusedRowIndex), FPrevFocusedRowIndex(APrevFocusedRowIndex),
        FNewItemRowFocusingChanged(ANewItemRowFocusingChanged) {}
  void AssignTo(TcxUpdateControlInfo* ADest) const override;
  int FocusedRecordIndex() const { return FFocusedRecordIndex; }
  int PrevFocusedRecordIndex() const { return FPrevFocusedRecordIndex; }
  int FocusedRowIndex() const { return FFocusedRowIndex; }
  int PrevFocusedRowIndex() const { return FPrevFocusedRowIndex; }
  bool NewItemRowFocusingChanged() const { return FNewItemRowFocusingChanged; }

 private:
  int FFocusedRecordIndex = -1;
  int FPrevFocusedRecordIndex = -1;
  int FFocusedRowIndex = -1;
  int FPrevFocusedRowIndex = -1;
  bool FNewItemRowFocusingChanged = false;
};

class TcxFocusedRowChangedInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxFocusedRowChangedInfo)
  TcxFocusedRowChangedInfo() = default;
  TcxFocusedRowChangedInfo(int APrevFocusedRowIndex, int AFocusedRowIndex)
      : FFocusedRowIndex(AFocusedRowIndex), FPrevFocusedRowIndex(APrevFocusedRowIndex) {}
  void AssignTo(TcxUpdateControlInfo* ADest) const override;
  int FocusedRowIndex() const { return FFocusedRowIndex; }
  int PrevFocusedRowIndex() const { return FPrevFocusedRowIndex; }

 private:
  int FFocusedRowIndex = -1;
  int FPrevFocusedRowIndex = -1;
};

// Sent at once (not collected) right before the record list regroups.
class TcxGroupingChangingInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxGroupingChangingInfo)
  bool CanNavigatorUpdate() const override { return false; }
};

class TcxLayoutChangedInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxLayoutChangedInfo)
};

class TcxUpdateRecordInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxUpdateRecordInfo)
  TcxUpdateRecordInfo() = default;
  explicit TcxUpdateRecordInfo(int ARecordIndex) : FRecordIndex(ARecordIndex) {}
  void AssignTo(TcxUpdateControlInfo* ADest) const override;
  int RecordIndex() const { return FRecordIndex; }

 private:
  int FRecordIndex = -1;
};

class TcxDataChangedInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxDataChangedInfo)
  void AssignTo(TcxUpdateControlInfo* ADest) const override;
  TcxDataChange Kind = dcTotal;
  int ItemIndex = -1;
  int RecordIndex = -1;
};

class TcxBookmarkChangedInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxBookmarkChangedInfo)
};

// The rows whose selection changed; an empty list means "unknown rows".
class TcxSelectionChangedInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxSelectionChangedInfo)
  TcxSelectionChangedInfo() = default;
  static std::unique_ptr<TcxSelectionChangedInfo> CreateEx(int ARowIndex1, int ARowIndex2);
  void AssignTo(TcxUpdateControlInfo* ADest) const override;
  bool CanNavigatorUpdate() const override { return false; }
  int Count() const { return static_cast<int>(FRowIndexes.size()); }
  int RowIndexes(int AIndex) const { return FRowIndexes.at(static_cast<size_t>(AIndex)); }

 private:
  std::vector<int> FRowIndexes;
};

class TcxSearchChangedInfo : public TcxUpdateControlInfo {
  CX_UPDATE_INFO_CLASS(TcxSearchChangedInfo)
};

#undef CX_UPDATE_INFO_CLASS

// --- events ---------------------------------------------------------------------------------
using TcxDataControllerUpdateControlEvent = rtl::Method<void(TcxUpdateControlInfo* AInfo)>;
using TcxDataRecordChangedEvent =
    rtl::Method<void(TcxCustomDataController* ADataController, int ARecordIndex, int AItemIndex)>;
using TcxDataControllerRecordEvent = rtl::Method<void(TcxCustomDataController* ADataController, int ARecordIndex)>;
using TcxDataFilterRecordEvent =
    rtl::Method<void(TcxCustomDataController* ADataController, int ARecordIndex, bool& Accept)>;
using TcxDataControllerCompareEvent =
    rtl::Method<void(TcxCustomDataController* ADataController, int ARecordIndex1, int ARecordIndex2,
                     int AItemIndex, const rtl::Variant& V1, const rtl::Variant& V2, int& Compare)>;
using TcxDataDetailExpandingEvent =
    rtl::Method<void(TcxCustomDataController* ADataController, int ARecordIndex, bool& AAllow)>;

struct TNotifyEventItem {
  TObject* Object = nullptr;
  TNotifyEvent Event;
};

// A weak link to a controller: Ref reads null once the controller is gone.
class TcxDataListenerLink {
 public:
  TcxCustomDataController* Ref = nullptr;
};

// --- fields ---------------------------------------------------------------------------------
enum TcxNeedConversionFlag : int { cfUndefined = 0, cfNotNeeded = -1, cfNeeded = 1, cfSortByDisplayText = 2 };

// One field per view item (plus internal fields), each owning or sharing a
// value definition of the record storage.
class TcxCustomDataField : public TObject {
  RTL_CLASS(TcxCustomDataField, TObject)

 public:
  explicit TcxCustomDataField(TcxCustomDataFieldList* AFieldList);
  ~TcxCustomDataField() override;

  virtual void Reassign(TcxCustomDataField* ASource);
  virtual void RemoveNotification(TComponent* AComponent) {}
  virtual bool SupportsMultiThreading() const { return FNeedConversionFlag != cfSortByDisplayText; }
  virtual bool CanModify() const;
  virtual bool IsUnbound() const { return false; }
  virtual bool IsValueDefInternal() const { return FIsInternal; }

  TcxCustomDataController* DataController() const;
  TcxCustomDataFieldList* FieldList() const { return FFieldList; }
  int GetIndex() const;
  void SetIndex(int AValue);
  TObject* Item() const { return FItem; }
  void SetItem(TObject* AItem) { FItem = AItem; }
  bool IsInternal() const { return FIsInternal; }
  void SetIsInternal(bool AValue);
  int Flags() const { return FFlags; }
  void SetFlags(int AValue) { FFlags = AValue; }
  bool NeedConversion() const { return FNeedConversion; }
  void SetNeedConversion(bool AValue) { FNeedConversion = AValue; }
  int NeedConversionFlag() const { return FNeedConversionFlag; }

  // Follow the reference chain.
  TcxValueDef* GetValueDef() const;
  TcxValueTypeClass GetValueTypeClass() const;
  bool GetTextStored() const;
  void SetValueTypeClass(TcxValueTypeClass AValue);
  void SetTextStored(bool AValue);
  TcxCustomDataField* ReferenceField() const { return FReferenceField; }
  void SetReferenceField(TcxCustomDataField* AField);

  void BeginRecreateData();
  void EndRecreateData();
  void PrepareComparison(int AFlag);
  void ResetComparison();
  bool Prepared() const { return FPrepared; }
  void SetPrepared(bool AValue) { FPrepared = AValue; }

 protected:
  virtual void Changed();
  void CreateData();
  void ClearData();

 private:
  friend class TcxCustomDataFieldList;
  void dropValueDef();

  int FCachedIndex = -1;
  TcxCustomDataFieldList* FFieldList;
  int FFlags = 0;
  bool FIsInternal = false;
  TObject* FItem = nullptr;
  int FLockRecreateData = 0;
  bool FNeedConversion = false;
  int FNeedConversionFlag = cfUndefined;
  bool FPrepared = false;
  TcxCustomDataField* FReferenceField = nullptr;
  bool FTextStored = false;
  TcxValueDef* FValueDef = nullptr;
  TcxValueTypeClass FValueTypeClass = nullptr;
};

// Item fields first (item index = position), internal fields after them.
class TcxCustomDataFieldList {
 public:
  explicit TcxCustomDataFieldList(TcxCustomDataController* ADataController) : FDataController(ADataController) {}
  ~TcxCustomDataFieldList();
  TcxCustomDataFieldList(const TcxCustomDataFieldList&) = delete;
  TcxCustomDataFieldList& operator=(const TcxCustomDataFieldList&) = delete;

  // Takes ownership.
  void Add(std::unique_ptr<TcxCustomDataField> AField);
  // Frees the field: its value definition goes to a field that referred to
  // it, and the controller forgets it everywhere.
  void Remove(TcxCustomDataField* AField);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  int ItemCount() const { return Count() - FInternalCount; }
  int InternalCount() const { return FInternalCount; }
  TcxCustomDataField* Items(int AIndex) const { return FItems.at(static_cast<size_t>(AIndex)).get(); }
  int IndexOf(const TcxCustomDataField* AField) const;
  void Move(int ACurIndex, int ANewIndex);
  TcxCustomDataField* FieldByItem(const TObject* AItem) const;
  TcxCustomDataController* DataController() const { return FDataController; }
  bool FieldDestroyed() const { return FFieldDestroyed; }
  void SetFieldDestroyed(bool AValue) { FFieldDestroyed = AValue; }
  void RecountInternal();

 private:
  void ReassignFields(TcxCustomDataField* AField);

  TcxCustomDataController* FDataController;
  bool FFieldDestroyed = false;
  int FInternalCount = 0;
  std::vector<std::unique_ptr<TcxCustomDataField>> FItems;
};

// --- the record list ---------------------------------------------------------------------------
// One bracket counter shared by the controller (the controller's BeginUpdate
// raises it), the pending change set of the record list and its rebuild:
// load, filter, sort, group, then focus and selection kept in range.
struct TcxDataFocusingInfo {
  int RowIndex = -1;
  int RecordIndex = -1;
  bool Changed = false;  // the new-item row's focusing changed
};

enum TdxSortOrder { soNone, soAscending, soDescending };
enum TcxDataControllerComparisonMode { dccmSorting, dccmGrouping, dccmOther };

// One entry of a sorting or grouping field list.
struct TcxDataSortInfo {
  TcxCustomDataField* Field = nullptr;
  TdxSortOrder SortOrder = soNone;
};
using TcxSortingFieldList = std::vector<TcxDataSortInfo>;

// One group of the grouped record list, in pre-order (a group is followed by
// its children): its level and the record-list positions it covers.
struct TcxDataGroupInfo {
  int Level = 0;
  int BeginRecordListIndex = 0;
  int EndRecordListIndex = 0;  // inclusive
  bool Expanded = false;
};

// A filter that takes part in the filter pass: the controller's criteria or
// the find panel's. The record list does not own it.
class TcxRecordListFilter {
 public:
  virtual ~TcxRecordListFilter() = default;
  virtual bool IsFiltering() = 0;
  // The pass may call Accepts from several threads at once.
  virtual bool SupportsMultiThreading() = 0;
  virtual bool Accepts(int ARecordIndex) = 0;
};

// Marks a filtered-out entry of the record list until the list is packed.
inline constexpr int cxDeletedRecord = -1;

class TcxCustomDataControllerInfo {
 public:
  explicit TcxCustomDataControllerInfo(TcxCustomDataController* ADataController);
  virtual ~TcxCustomDataControllerInfo();
  TcxCustomDataControllerInfo(const TcxCustomDataControllerInfo&) = delete;
  TcxCustomDataControllerInfo& operator=(const TcxCustomDataControllerInfo&) = delete;

  TcxCustomDataController* DataController() const { return FDataController; }
  void BeginUpdate() { ++FLockCount; }
  // The outermost end runs the pending rebuild.
  void EndUpdate();
  int LockCount() const { return FLockCount; }
  TcxDataControllerInfoChanges Changes() const { return FChanges; }
  void Change(TcxDataControllerInfoChanges AChanges);
  void CheckUpdate();
  // Reloads the list; sorting and grouping run again over the new list.
  void Refresh();
  void RefreshFocused() { Change({dcicFocusedRecord}); }
  // Noted for the next rebuild, which the caller starts.
  void MarkFocusedRecordChanged() { FChanges += dcicFocusedRecord; }
  virtual void UpdateField(TcxCustomDataField* AField);
  virtual void RemoveField(TcxCustomDataField* AField);
  void LockStateInfo() { ++FStateInfoLockCount; }
  void UnlockStateInfo() { --FStateInfoLockCount; }
  bool InfoCalculation() const { return FInfoCalculation; }

  // Rows and records.
  virtual int GetRowCount() const;
  virtual TcxRowInfo GetRowInfo(int ARowIndex) const;
  // Records shown: the filtered and sorted record list.
  int GetInternalRecordCount() const { return static_cast<int>(FRecordList.size()); }
  int GetInternalRecordIndex(int AIndex) const { return FRecordList.at(static_cast<size_t>(AIndex)); }
  int GetFilteredRecordCount() const { return GetInternalRecordCount(); }
  int GetFilteredRecordIndex(int AIndex) const { return GetInternalRecordIndex(AIndex); }
  // The record's position in the list; -1 when filtered out (or none).
  int GetFilteredIndexByRecordIndex(int ARecordIndex) const;
  int GetDataRowCount() const { return GetInternalRecordCount(); }
  virtual int GetRowIndexByRecordIndex(int ARecordIndex) const;

  // Sorting and grouping fields. Grouping fields lead the total sorting list,
  // so that records of one group lie next to each other.
  const TcxSortingFieldList& SortingFieldList() const { return FSortingFieldList; }
  const TcxSortingFieldList& GroupingFieldList() const { return FGroupingFieldList; }
  const TcxSortingFieldList& TotalSortingFieldList() const { return FTotalSortingFieldList; }
  // Adds the field at the end, changes its order, or removes it (soNone);
  // grouping entries then take the field orders of the sorting list.
  void ChangeSorting(TcxCustomDataField* AField, TdxSortOrder ASortOrder);
  void ChangeSortingIndex(TcxCustomDataField* AField, int AIndex);
  void ClearSorting(bool AKeepGroupedItems);
  // A negative index ungroups the field.
  void ChangeGrouping(TcxCustomDataField* AField, int AGroupIndex);
  void ClearGrouping();
  TdxSortOrder GetFieldSortOrder(TcxCustomDataField* AField) const;
  int GetFieldSortingIndex(TcxCustomDataField* AField) const;
  int GetFieldGroupIndex(TcxCustomDataField* AField) const;

  // Filtering. The filters are not owned; null means none.
  void SetFilter(TcxRecordListFilter* AFilter);
  void SetFindFilter(TcxRecordListFilter* AFilter);
  // Keeps records whose display text of the field begins with the text
  // (ignoring case); answers the first record of the new list or -1.
  int SetIncrementalFilter(TcxCustomDataField* AField, const rtl::String& AText);
  void ResetIncrementalFilter();
  bool HasIncrementalFilter() const { return FIncrementalFilterField != nullptr && !FIncrementalFilterText.empty(); }
  const rtl::String& GetIncrementalFilterText() const { return FIncrementalFilterText; }
  // Worker threads for the filter pass and the sort (both on by default).
  bool MultiThreadedFiltering() const { return FMultiThreadedFiltering; }
  void SetMultiThreadedFiltering(bool AValue) { FMultiThreadedFiltering = AValue; }
  bool MultiThreadedSorting() const { return FMultiThreadedSorting; }
  void SetMultiThreadedSorting(bool AValue) { FMultiThreadedSorting = AValue; }
  // Whether the last sort ran on worker threads (it does only above 32 records).
  bool LastSortWasThreaded() const { return FLastSortThreaded; }

  // Comparison.
  int CompareRecords(int ARecordIndex1, int ARecordIndex2);
  int CompareGroupRecords(int ARecordIndex1, int ARecordIndex2, int ALevel);
  int CompareByField(int ARecordIndex1, int ARecordIndex2, TcxCustomDataField* AField,
                     TcxDataControllerComparisonMode AMode);
  int StringCompare(const rtl::String& S1, const rtl::String& S2) const;
  bool IsConversionNeededForCompare(TcxCustomDataField* AField) const;
  rtl::Variant GetComparedValue(int ARecordIndex, TcxCustomDataField* AField) const;
  void PrepareSorting(TcxDataControllerComparisonMode AMode);
  void UnprepareSorting();
  // A record of the list with the buffer record's first AGroupItemCount group
  // values, or -1.
  int FindGroupRecord(int ABufferRecordIndex, int AGroupItemCount, bool AIsGroupDataSorted);
  // The first record (by index) equal to the buffer record in every field.
  int FindRecordByFields(int ABufferRecordIndex, const std::vector<TcxCustomDataField*>& AFields);

  // Groups (pre-order) and their expansion.
  int GetDataGroupCount() const { return static_cast<int>(FDataGroups.size()); }
  const TcxDataGroupInfo& GetDataGroup(int AIndex) const { return FDataGroups.at(static_cast<size_t>(AIndex)); }
  int GetTopLevelGroupCount() const { return FTopLevelGroupCount; }
  bool IsGrouped() const { return !FGroupingFieldList.empty(); }
  void ChangeExpanding(int AGroupIndex, bool AExpanded);
  void FullExpand() { setAllExpanded(true); }
  void FullCollapse() { setAllExpanded(false); }

  // Focus.
  const TcxDataFocusingInfo& FocusingInfo() const { return FFocusingInfo; }
  const TcxDataFocusingInfo& PrevFocusingInfo() const { return FPrevFocusingInfo; }
  void SavePrevFocusingInfo() { FPrevFocusingInfo = FFocusingInfo; FFocusingInfo.Changed = false; }
  int GetFocusedRowIndex() const { return FFocusingInfo.RowIndex; }
  int GetFocusedRecordIndex() const { return FFocusingInfo.RecordIndex; }
  void ChangeFocusedRowIndex(int ARowIndex);
  void ChangeFocusedRecordIndex(int ARecordIndex);
  void SetNewItemRowFocusingChanged() { FFocusingInfo.Changed = true; }
  void FocusNewItemRecord(int ARecordIndex);

  // Row selection (bodies in cxDataSelection.cpp): entries ordered by row,
  // each remembering its record (or group), so that a rebuild puts them back
  // on the same records.
  TcxDataSelection* Selection() const { return FSelection.get(); }
  int GetSelectedCount() const { return FSelection->Count(); }
  int GetSelectedRowIndex(int AIndex) const { return FSelection->Items(AIndex).RowIndex; }
  bool IsRowSelected(int ARowIndex) const;
  // Adds the row at its place in row order, or removes it.
  void ChangeRowSelection(int ARowIndex, bool ASelection);
  void ClearSelection();
  // Drops entries whose records no longer exist.
  void CheckSelectedCount() { TruncateSelection(); }
  void TruncateSelection();
  // After a rebuild that moved rows: every entry goes to its record's new
  // row (or leaves when the record has none) and the order is restored.
  void RecalcSelection();
  // The selection object's notification.
  void SelectionChanged();

  // --- rows by record, focus kept on its record, expansion kept by group values ---
  // The row that shows the record: -1 when it is filtered out or, without
  // AMakeVisible, hidden in a collapsed group. With AMakeVisible its groups
  // are expanded first, so the answer is a row that exists.
  int GetRowIndexByRecordIndex(int ARecordIndex, bool AMakeVisible);
  // The row of a record-list position inside a deepest group; -1 when that
  // group is not shown expanded and AMakeVisible is not set.
  int LocateDetail(int AGroupIndex, int ARecordListIndex, bool AMakeVisible);
  // Climbs from the group to the ancestor of that level (or, for -1, as long
  // as the group is its parent's first child), shows it and answers its row.
  int LocateGroupByLevel(int AGroupIndex, int ALevel);
  // The deepest group that holds the record-list position; -1 when none.
  int FindDataGroup(int ARecordListIndex) const;
  int GetParentGroup(int AGroupIndex) const;
  // The row of the group; -1 when one of its ancestors is collapsed.
  int GetGroupRowIndex(int AGroupIndex) const;
  // The row to focus for the focused record after a rebuild or a collapse;
  // ANearest takes the nearest row that is already visible.
  int FindFocusedRow(bool ANearest);
  // Level of the focused row: a group level, the grouping field count for a
  // data row, -1 when unknown.
  int GetFocusedLevel() const { return FFocusedLevel; }
  // By row, as the views ask: a group row's group changes (with its
  // descendants when ARecursive); ignored when not grouped or always expanded.
  void ChangeExpandingByRow(int ARowIndex, bool AExpanded, bool ARecursive);
  bool IsAlwaysExpanded() const;
  TcxCustomDataField* IncrementalFilterField() const { return FIncrementalFilterField; }
  // The controller's criteria and find-panel criteria, installed once while
  // the controller is built (nothing to rebuild yet, so no refresh).
  void ConnectFilters(TcxRecordListFilter* AFilter, TcxRecordListFilter* AFindFilter) {
    FFilter = AFilter;
    FFindFilter = AFindFilter;
  }

 protected:
  // Runs the pending steps of the pipeline and keeps the focus in range.
  virtual void DoUpdate();
  virtual void DoLoad();
  virtual void DoFilter();
  virtual void DoSort();
  virtual void DoGrouping();

 private:
  struct SortKeys;
  void Update();
  void ForwardChanges();
  bool acceptsRecord(int ARecordIndex);
  bool editingAnchorsSet() const;
  void sortingFieldsChanged();
  void groupingFieldsChanged();
  void syncGroupingOrders();
  void rebuildPositions();
  void rebuildRows();
  void setAllExpanded(bool AExpanded);
  int recordAtRow(int ARowIndex) const;

  TcxCustomDataController* FDataController;
  int FLockCount = 0;
  int FStateInfoLockCount = 0;
  bool FInUpdate = false;
  bool FInfoCalculation = false;
  bool FGridMode = false;
  TcxDataControllerInfoChanges FChanges;
  std::vector<int> FRecordList;
  std::vector<int> FRecordPositions;  // record index -> list position, -1 when not listed
  TcxSortingFieldList FSortingFieldList, FGroupingFieldList, FTotalSortingFieldList;
  std::vector<TcxDataGroupInfo> FDataGroups;
  int FTopLevelGroupCount = 0;
  // Visible rows when grouped: a group index (>= 0) or -(data row + 1).
  std::vector<int> FRows;
  std::vector<int> FRowGroups;  // the group each visible row belongs to
  std::vector<int> FDataRowToRow;
  TcxRecordListFilter* FFilter = nullptr;
  TcxRecordListFilter* FFindFilter = nullptr;
  TcxCustomDataField* FIncrementalFilterField = nullptr;
  rtl::String FIncrementalFilterText;
  bool FMultiThreadedFiltering = true;
  bool FMultiThreadedSorting = true;
  bool FLastSortThreaded = false;
  TcxDataFocusingInfo FFocusingInfo;
  TcxDataFocusingInfo FPrevFocusingInfo;
  std::unique_ptr<TcxDataSelection> createSelection();
  std::unique_ptr<TcxDataSelection> FSelection = createSelection();

  // --- focus and expansion kept across rebuilds ---
  struct TSavedGroup {
    int Level;
    rtl::Variant Value;
  };
  void saveExpanding();
  void restoreExpanding();
  void checkFocusing(bool AFocusTop);
  void checkAfterCollapsing();
  int nearestVisibleRow(int AGroupIndex, int APosition);
  bool sameGroupingFields(const std::vector<TcxCustomDataField*>& AFields) const;
  void rebuildGroupParents();
  void focusRow(int ARowIndex);
  void showGroup(int AGroupIndex, bool AExpand);
  int FFocusedLevel = -1;
  int FExpansionLockCount = 0;
  bool FExpansionSaved = false;
  std::vector<TcxCustomDataField*> FSavedExpandingFields;
  std::vector<TSavedGroup> FSavedExpandedGroups;
  std::vector<int> FGroupRows;  // group index -> row, -1 when hidden
  std::vector<int> FGroupParents;  // group index -> parent group, -1 at the top
  std::vector<TcxCustomDataField*> FGroupsFields;  // the grouping fields the groups were built by

  // --- groups ordered by a summary ---
 public:
  // Whether the groups are ordered by a summary: the summary covers every
  // record (no selected-records option) and the group summary items of a
  // grouping level name a sorted item.
  bool IsSortingBySummary() const;
  // Puts the children of a group (-1: the top-level groups) in a new order:
  // ANewOrder[k] is the current sibling position of the child that goes k-th.
  // Their records, nested groups, expansion and group summaries move with
  // them. Rows, positions and focus are checked by the caller (the update
  // checks them after the engine has run).
  void ReorderChildGroups(int AParentGroup, const std::vector<int>& ANewOrder);

 protected:
  // Runs the controller's engine, when it answers one, and checks rows,
  // selection and focus again over the new group order.
  virtual void DoSortBySummary();

 private:
  void checkInfoAfterReorder();

  // --- grouping on the keys the sort extracted ---
  // The sort hands its key columns (indexed by position before the sort) and
  // its permutation to the grouping pass right after it, so that group
  // boundaries are found without reading the storage a second time.
  std::unique_ptr<SortKeys> FGroupingKeys;
  std::vector<int> FGroupingKeyOrder;  // list position -> key column index
  // The sort started from every record in storage order: the sorted list
  // itself maps positions to key column indexes (FGroupingKeyOrder is left
  // empty rather than copied).
  bool FGroupingKeyOrderIsList = false;
  // Values the sort reads for the summary in its own pass (see the .cpp),
  // only when the update that runs calculates the summary afterwards.
  struct SummaryColumns;
  bool FSummaryOwed = false;
};

// --- the engine that orders groups by their summaries -----------------------------------------
// Made for one update after the group summaries are calculated, asked to
// Sort, then freed. A descendant reorders groups through the info's
// ReorderChildGroups.
class TcxSortingBySummaryEngine {
 public:
  explicit TcxSortingBySummaryEngine(TcxCustomDataControllerInfo* AInfo) : FDataControllerInfo(AInfo) {}
  virtual ~TcxSortingBySummaryEngine() = default;
  TcxSortingBySummaryEngine(const TcxSortingBySummaryEngine&) = delete;
  TcxSortingBySummaryEngine& operator=(const TcxSortingBySummaryEngine&) = delete;
  virtual void Sort() = 0;
  TcxCustomDataControllerInfo* DataControllerInfo() const { return FDataControllerInfo; }
  TcxCustomDataController* GetDataController() const;

 private:
  TcxCustomDataControllerInfo* FDataControllerInfo;
};

// An engine class: makes the engine for an info. Null answers no engine.
using TcxSortingBySummaryEngineClass = std::unique_ptr<TcxSortingBySummaryEngine> (*)(TcxCustomDataControllerInfo*);

template <class TEngine>
std::unique_ptr<TcxSortingBySummaryEngine> MakeSortingBySummaryEngine(TcxCustomDataControllerInfo* AInfo) {
  return std::make_unique<TEngine>(AInfo);
}

// --- summaries and the grouping interface (cxDataSummary.h, cxDataGroups.h) ------------------
class TcxDataSummary;
class TcxDataControllerGroups;
class TcxCustomDataRelation;
class TcxCustomDataRelationList;
class TcxDetailObject;
// Frees the relation list where its class is known (cxDataRelations.cpp).
struct TcxDataRelationsDeleter {
  void operator()(TcxCustomDataRelationList* AObject) const;
};
// Frees them where their classes are known, so this header needs only their names.
struct TcxDataSummaryDeleter {
  void operator()(TcxDataSummary* AObject) const;
  void operator()(TcxDataControllerGroups* AObject) const;
};

// --- the controller ---------------------------------------------------------------------------
// The classes of the parts a controller makes in its constructor. A C++
// constructor cannot reach a descendant's overrides, so a descendant that
// needs its own provider or record list passes their factories up instead.
struct TcxDataControllerParts {
  std::function<std::unique_ptr<TcxCustomDataProvider>(TcxCustomDataController*)> DataProvider;
  std::function<std::unique_ptr<TcxCustomDataControllerInfo>(TcxCustomDataController*)> DataControllerInfo;
  // The base classes.
  static TcxDataControllerParts Default();
};

class TcxCustomDataController : public TPersistent {
  RTL_CLASS(TcxCustomDataController, TPersistent)

 public:
  explicit TcxCustomDataController(TComponent* AOwner,
                                   const TcxDataControllerParts& AParts = TcxDataControllerParts::Default());
  ~TcxCustomDataController() override;
  void BeforeDestruction() override;
  TPersistent* GetOwner() const override { return FOwner; }
  TComponent* Owner() const { return FOwner; }
  void Assign(TPersistent* Source) override;
  virtual void Loaded();

  // Parts.
  TcxDataStorage* DataStorage() const { return FDataStorage.get(); }
  TcxCustomDataProvider* Provider() const { return FProvider.get(); }
  TcxCustomDataFieldList* Fields() const { return FFields.get(); }
  TcxCustomDataControllerInfo* DataControllerInfo() const { return FDataControllerInfo.get(); }
  TcxDataControllerNotifier* Notifier() const { return FNotifier; }

  // Options.
  TcxDataControllerOptions Options() const { return FOptions; }
  void SetOptions(TcxDataControllerOptions AValue);
  virtual bool GetAnsiSortSetting() const { return FOptions.contains(dcoAnsiSort); }
  virtual bool GetCaseInsensitiveSetting() const { return FOptions.contains(dcoCaseInsensitive); }
  virtual bool GetAssignGroupingValuesSetting() const { return FOptions.contains(dcoAssignGroupingValues); }
  virtual bool GetAssignMasterDetailKeysSetting() const { return FOptions.contains(dcoAssignMasterDetailKeys); }
  virtual bool GetSaveExpandingSetting() const { return FOptions.contains(dcoSaveExpanding); }
  virtual bool GetSortByDisplayTextSetting() const { return FOptions.contains(dcoSortByDisplayText); }
  virtual bool GetFocusTopRowAfterSortingSetting() const { return FOptions.contains(dcoFocusTopRowAfterSorting); }
  virtual bool GetGroupsAlwaysExpandedSetting() const { return FOptions.contains(dcoGroupsAlwaysExpanded); }
  virtual bool GetImmediatePostSetting() const { return FOptions.contains(dcoImmediatePost); }
  virtual bool GetInsertOnNewItemRowFocusingSetting() const {
    return FOptions.contains(dcoInsertOnNewItemRowFocusing);
  }

  // Modes.
  bool IsProviderMode() const;
  bool IsUnboundMode() const;
  virtual bool IsProviderDataSource() const;
  bool IsDataBound() const;
  bool IsGridMode() const;
  virtual bool IsKeyNavigation() const;
  bool IsRecordID() const { return IsUnboundMode() && UseRecordID(); }
  virtual bool UseRecordID() const { return false; }
  virtual bool IsSmartLoad() const { return false; }
  virtual bool IsSmartRefresh() const { return false; }
  virtual bool IsLoading() const;
  virtual bool IsDestroying() const;
  bool IsDataLoading() const;
  virtual bool IsImmediatePost() const;
  bool IsPattern() const { return GetDetailMode() == dcdmPattern; }
  TcxDataControllerDetailMode GetDetailMode() const;  // cxDataRelations.cpp
  TcxCustomDataSource* GetCustomDataSource() const;
  void SetCustomDataSource(TcxCustomDataSource* AValue);

  // Update brackets and change notification.
  void BeginUpdate();
  void EndUpdate();
  int GetLockCount() const;
  virtual void BeginFullUpdate() { BeginUpdate(); }
  virtual void EndFullUpdate() { EndUpdate(); }
  void BeginUpdateFields() { ++FLockUpdateFieldsCount; }
  void EndUpdateFields();
  void LockDataChangedNotify() { ++FDataChangedLockCount; }
  void UnlockDataChangedNotify() { --FDataChangedLockCount; }
  virtual bool DataChangedNotifyLocked() const { return FDataChangedLockCount != 0; }
  void LockGridModeNotify();
  void UnlockGridModeNotify();
  void SaveKeys();
  void RestoreKeys();
  void LockStateInfo(bool AUpdateData = true);
  void UnlockStateInfo(bool AUpdateData = true);
  void Change(TcxDataControllerChanges AChanges);
  void CheckChanges();
  virtual void Refresh();
  TcxDataControllerChanges PendingChanges() const { return FChanges; }
  const TcxDataChangeInfo& DataChangeInfo() const { return FDataChangeInfo; }
  // Sends one notification object and frees it, even when the view raises.
  void NotifyControl(std::unique_ptr<TcxUpdateControlInfo> AInfo);
  // Sent at once by the record list right before it regroups.
  void BeforeGroupingNotification();
  void SortingChanged();
  void GroupingChanged();
  void SortingBySummaryChanged();
  // Called by the record list at the start of each rebuild.
  void CheckMode(bool& AGridMode);  // AGridMode: the record list's remembered answer
  // Called by the record list at the end of each rebuild.
  void ForwardInfoChanges(TcxDataControllerInfoChanges AInfoChanges);
  bool InNotifyControl() const { return FInNotifyControl; }
  bool LoadedStorage() const { return FLoadedStorage; }

  // Data-changed listeners and weak links.
  void AddDataChangedListener(TObject* AObject, TNotifyEvent AEvent);
  void RemoveDataChangedListener(TObject* AObject, TNotifyEvent AEvent);
  bool IsDataChangedListenersExist() const;
  TcxDataListenerLink* AddListenerLink();
  static void RemoveListenerLink(TcxDataListenerLink* ALink);

  // Provider notifications.
  virtual void ActiveChanged(bool AActive);
  virtual void DataChanged(TcxDataChange AKind, int AItemIndex, int ARecordIndex);
  virtual void DataScrolled();
  virtual void LayoutChanged(TcxDataLayoutChanges AChanges);
  virtual void CustomDataSourceChanged() {}
  virtual void RemoveNotification(TComponent* AComponent);
  void UpdateItems(bool AUpdateFields);
  void UpdateStorage(bool AUpdateFields);
  virtual void LoadStorage();
  virtual void RestructData();
  virtual void UpdateFields();
  virtual void UpdateFocused();

  // Items and fields.
  virtual TObject* GetItem(int Index) const = 0;
  virtual int GetItemCount() const;
  TcxCustomDataField* AddItem(TObject* AItem);
  void RemoveItem(TObject* AItem);
  virtual void UpdateItemIndexes();
  virtual bool ItemPropertiesChanged(int AItemIndex);
  TcxCustomDataField* GetItemField(int AItemIndex) const;
  TcxCustomDataField* FindFieldByItem(const TObject* AItem) const { return FFields->FieldByItem(AItem); }
  virtual int GetItemID(TObject* AItem) const { return -1; }
  virtual rtl::String GetItemName(TObject* AItem) const;
  virtual TObject* FindItemByInternalID(int AID) const;
  virtual TObject* FindItemByName(rtl::StringView AName) const;
  virtual TObject* FindProperItemLink(TObject* AItem) const { return FindItemByInternalID(GetItemID(AItem)); }
  virtual bool IsDataField(TcxCustomDataField* AField) const;
  TcxValueTypeClass GetItemValueTypeClass(int AItemIndex) const;
  void SetItemValueTypeClass(int AItemIndex, TcxValueTypeClass AValue) { ChangeValueTypeClass(AItemIndex, AValue); }
  virtual void ChangeValueTypeClass(int AItemIndex, TcxValueTypeClass AValueTypeClass);
  virtual void DoValueTypeClassChanged(int AItemIndex) {}
  virtual void ChangeTextStored(int AItemIndex, bool ATextStored);
  virtual void ChangeNeedConversion(int AItemIndex, bool ANeedConversion);
  virtual bool GetItemTextStored(int AItemIndex) const;
  virtual bool GetItemNeedConversion(int AItemIndex) const;
  virtual bool IsDisplayFormatDefined(int AItemIndex, bool AIgnoreSimpleCurrency) const;
  virtual bool GetItemSortByDisplayText(int AItemIndex, bool ASortByDisplayText) const { return false; }
  virtual bool GetItemValueSource(int AItemIndex) const { return true; }
  virtual TcxSummaryKinds GetAllowedSummaryKinds(TcxValueTypeClass AValueTypeClass) const;
  TcxSummaryKinds GetAllowedSummaryKinds(int AItemIndex) const;
  TcxSummaryKinds GetAllowedSummaryKinds(TcxCustomDataField* AField) const;
  virtual TcxCustomDataField* AddField();
  virtual TcxCustomDataField* AddInternalField();
  // Called by the field list when a field dies.
  virtual void RemoveField(TcxCustomDataField* AField);
  virtual void PrepareField(TcxCustomDataField* AField) {}
  void CheckItemRange(int AItemIndex) const;

  // Values.
  virtual rtl::Variant GetValue(int ARecordIndex, int AItemIndex) const;
  virtual void SetValue(int ARecordIndex, int AItemIndex, const rtl::Variant& Value);
  virtual rtl::String GetDisplayText(int ARecordIndex, int AItemIndex) const;
  virtual void SetDisplayText(int ARecordIndex, int AItemIndex, const rtl::String& Value);
  virtual rtl::Variant GetInternalValue(int ARecordIndex, TcxCustomDataField* AField) const;
  virtual rtl::String GetInternalDisplayText(int ARecordIndex, TcxCustomDataField* AField) const;
  rtl::Variant GetStoredValue(int ARecordIndex, TcxCustomDataField* AField) const;
  rtl::String GetStoredDisplayText(int ARecordIndex, TcxCustomDataField* AField) const;
  void SetStoredValue(int ARecordIndex, TcxCustomDataField* AField, const rtl::Variant& Value);
  virtual rtl::Variant GetInternalRecordId(int ARecordIndex, const std::vector<TcxCustomDataField*>& AKeyFields) const;
  virtual rtl::Variant GetRecordId(int ARecordIndex) const;
  virtual std::vector<TcxCustomDataField*> GetKeyFields() const { return {}; }
  rtl::Variant GetRowValue(const TcxRowInfo& ARowInfo, int AItemIndex) const;
  rtl::String GetRowDisplayText(const TcxRowInfo& ARowInfo, int AItemIndex) const;
  virtual rtl::Variant GetRowId(int ARowIndex) const { return rtl::Variant(ARowIndex); }
  virtual rtl::Variant GetGroupValue(int ARecordIndex, TcxCustomDataField* AField) const {
    return GetInternalValue(ARecordIndex, AField);
  }
  // One value per grouping item (none until grouping exists).
  virtual bool GetGroupValues(int ARecordIndex, std::vector<rtl::Variant>& AValues) const;
  // Accepts the records, the new-item record, the provider's saved copy and
  // the record a group locate keeps; raises "RecordIndex out of range" else.
  void CheckRecordRange(int ARecordIndex) const;

  // Records.
  virtual int GetRecordCount() const;
  virtual void SetRecordCount(int ACount);
  virtual int AppendRecord();
  virtual int InsertRecord(int ARecordIndex);
  void DeleteRecord(int ARecordIndex);
  // Sorts the list, drops repeats and lets the provider delete them.
  void DeleteRecords(std::vector<int> AList);
  virtual void CopyRecord(int AFromRecordIndex, int AToRecordIndex);
  // Smart loading (dataset descendants): records come one by one from a
  // reader while the provider stays frozen.
  void BeginSmartLoad();
  void EndSmartLoad();
  virtual int LoadRecord(TcxValueDefReader* AReader);
  virtual int AppendInSmartLoad();
  virtual void DeleteInSmartLoad(int ARecordIndex);
  virtual void BeginReadRecord() {}
  virtual void EndReadRecord() {}
  // Lets the provider correct the record it has just read.
  virtual void DoReadRecord(int ARecordIndex);
  // Keep the clones on their master records (cxDataRelations.cpp).
  virtual void CorrectAfterInsert(int ARecordIndex);
  virtual void CorrectAfterDelete(int ARecordIndex);

  // Filters (bodies in cxDataFilter.cpp): the controller's filter, the find
  // panel's criteria and further internal criteria, each made on first use.
  TcxDataFilterCriteria* Filter();
  TcxDataFindFilterCriteria* FindFilterCriteria();
  TcxDataFilterList* Filters();
  virtual std::unique_ptr<TcxDataFilterCriteria> CreateFilter();
  virtual void FilterChanged();
  virtual void FindFilterChanged();
  virtual bool IsFilterItemSortByDisplayText(int AItemIndex) const;
  // Adds the item's distinct values of the records to AList (the filtered
  // ones with AUseFilteredRecords) and reports whether a blank occurs.
  virtual void PopulateFilterValues(TcxDataFilterValueList* AList, int AItemIndex, TcxDataFilterCriteria* ACriteria,
                                    bool& AUseFilteredRecords, bool& ANullExists);
  virtual rtl::Variant GetFilterDataValue(int ARecordIndex, TcxCustomDataField* AField) const;
  virtual bool IsConversionNeededForCompare(TcxCustomDataField* AField) const;
  virtual rtl::String GetFilterItemFieldCaption(TObject* AItem) const;
  virtual rtl::String GetFilterItemFieldName(TObject* AItem) const;
  // Forgets a criteria that is going away (it stays alive).
  void RemoveFilter(TcxDataFilterCriteria* ACriteria);
  // The filters drop their conditions on a field that is going away.
  void RemoveFieldFromFilters(TcxCustomDataField* AField);
  // --- the find panel's criteria class (base body in cxDataFilter.cpp) ---
  // Made by FindFilterCriteria on first use; a dataset controller's post the
  // dataset's pending edit before they refilter.
  virtual std::unique_ptr<TcxDataFindFilterCriteria, TcxDataFilterDeleter> CreateFindFilterCriteria();
  // --- end of the find panel's criteria class ---
  // --- filter speed: reading filter values in place (base body in cxDataFilter.cpp) ---
  // Whether the filter may read the field's values and display texts straight
  // from the record storage, as GetFilterDataValue and GetDisplayText hand
  // them out here: not in provider or grid mode, a field with storage. A
  // descendant whose GetFilterDataValue (or display text) gives other values
  // for a field answers false for it.
  virtual bool CanReadFilterValuesInPlace(TcxCustomDataField* AField) const;
  // The value list of a text column read in place (PopulateFilterValues).
  bool populateTextFilterValuesInPlace(TcxDataFilterValueList* AList, int AItemIndex, TcxDataFilterCriteria* ACriteria,
                                       const std::vector<int>& ARecords, bool& ANullExists);
  // --- end of filter speed ---

  // The records as a stream (bodies in cxCustomData_stream.cpp).
  void SaveToStream(rtl::TStream* AStream);
  // All or nothing: a stream that fails to load leaves the records as they were.
  void LoadFromStream(rtl::TStream* AStream);

  // Rows and focus (the record list's).
  int GetRowCount() const { return FDataControllerInfo->GetRowCount(); }
  TcxRowInfo GetRowInfo(int ARowIndex) const;
  int GetFocusedRowIndex() const { return FDataControllerInfo->GetFocusedRowIndex(); }
  void SetFocusedRowIndex(int AValue) { ChangeFocusedRowIndex(AValue); }
  int GetFocusedRecordIndex() const { return FDataControllerInfo->GetFocusedRecordIndex(); }
  void SetFocusedRecordIndex(int AValue) { ChangeFocusedRecordIndex(AValue); }
  virtual bool ChangeFocusedRowIndex(int ARowIndex);
  bool ChangeFocusedRecordIndex(int ARecordIndex);
  int GetNearestRowIndex(int ARowIndex) const;
  void CheckNearestFocusRow();
  int NearestRecordIndex() const { return FNearestRecordIndex; }
  void SetNearestRecordIndex(int AValue) { FNearestRecordIndex = AValue; }
  bool MultiSelect() const { return FMultiSelect; }
  void ClearSelection();
  bool InDeleteSelection() const { return FInDeleteSelection; }
  void SetInDeleteSelection(bool AValue) { FInDeleteSelection = AValue; }

  // Editing (the provider carries out each operation).
  virtual TcxDataControllerEditState GetEditState() const;
  virtual TcxDataControllerEditOperations GetEditOperations() const;
  bool IsEditing() const;
  virtual void Edit();
  virtual void Insert();
  virtual void Append();
  virtual void Post(bool AForcePost = false);
  virtual void Cancel();
  virtual void DeleteFocused();
  virtual void DeleteSelection();
  virtual bool CanInitEditing(int AItemIndex);
  virtual void PostEditingData();
  // The view writes its editors' pending input into the record here.
  virtual void UpdateData() {}
  virtual rtl::Variant GetEditValue(int AItemIndex, TcxDataEditValueSource AEditValueSource);
  virtual bool SetEditValue(int AItemIndex, const rtl::Variant& AValue, TcxDataEditValueSource AEditValueSource);
  virtual int GetEditingRecordIndex() const;
  virtual int CalcEditingRecordIndex() const;
  virtual int GetNewItemRecordIndex();
  bool NewItemRowFocused() const { return FNewItemRowFocused; }
  void SetNewItemRowFocused(bool AValue);
  bool UseNewItemRowForEditing() const { return FUseNewItemRowForEditing; }
  void SetUseNewItemRowForEditing(bool AValue);
  bool IsNewItemRecord(int ARecordIndex) const {
    return FNewItemRecordIndex != 0 && ARecordIndex == FNewItemRecordIndex;
  }

  // Event dispatchers.
  virtual void DoAfterCancel() { fire(FOnAfterCancel); }
  virtual void DoAfterDelete() { fire(FOnAfterDelete); }
  virtual void DoAfterInsert() { fire(FOnAfterInsert); }
  virtual void DoAfterPost() { fire(FOnAfterPost); }
  virtual void DoBeforeCancel() { fire(FOnBeforeCancel); }
  virtual void DoBeforeDelete(int ARecordIndex);
  virtual void DoBeforeImmediatePost() { fire(FOnBeforeImmediatePost); }
  virtual void DoBeforeInsert() { fire(FOnBeforeInsert); }
  virtual void DoBeforePost() { fire(FOnBeforePost); }
  virtual void DoNewRecord(int ARecordIndex);
  virtual void DoDataChanged();
  virtual void DoGridModeChanged() {}
  virtual void DoGroupingChanged() { fire(FOnGroupingChanged); }
  virtual void DoSortingChanged() { fire(FOnSortingChanged); }
  virtual void UpdateControl(TcxUpdateControlInfo* AInfo);
  virtual void Unlocked() {}
  void NotifyDataChangedListeners();

  // Events.
  TNotifyEvent FOnAfterCancel, FOnAfterDelete, FOnAfterInsert, FOnAfterPost, FOnBeforeCancel;
  TcxDataControllerRecordEvent FOnBeforeDelete;
  TNotifyEvent FOnBeforeImmediatePost, FOnBeforeInsert, FOnBeforePost;
  TcxDataFilterRecordEvent FOnFilterRecord;
  TcxDataControllerRecordEvent FOnNewRecord;
  TcxDataControllerCompareEvent FOnCompare;
  TNotifyEvent FOnDataChanged;
  TcxDataDetailExpandingEvent FOnDetailCollapsing;
  TcxDataControllerRecordEvent FOnDetailCollapsed;
  TcxDataDetailExpandingEvent FOnDetailExpanding;
  TcxDataControllerRecordEvent FOnDetailExpanded;
  TNotifyEvent FOnGroupingChanged;
  TcxDataRecordChangedEvent FOnRecordChanged;
  TNotifyEvent FOnSortingChanged;
  TcxDataControllerUpdateControlEvent FOnUpdateControl;

  [[noreturn]] static void InvalidOperation(rtl::StringView AMessage);

  // --- sorting, grouping, filtering and find panel by item index; focus, expansion and search ---
  // (bodies in cxCustomData_api.cpp and cxDataControllerFocus.cpp)
  void ChangeSorting(int AItemIndex, TdxSortOrder ASortOrder);
  void ChangeItemSortingIndex(int AItemIndex, int AIndex);
  // AKeepGroupedItems keeps the sorting of grouped items.
  void ClearSorting(bool AKeepGroupedItems);
  TdxSortOrder GetItemSortOrder(int AItemIndex) const;
  int GetItemSortingIndex(int AItemIndex) const;
  int GetSortingItemCount() const;
  int GetSortingItemIndex(int AIndex) const;
  void SortByDisplayTextChanged() { Refresh(); }
  // A negative index ungroups the item.
  void ChangeGroupIndex(int AItemIndex, int AGroupIndex);
  int GetItemGroupIndex(int AItemIndex) const;
  int GetGroupingItemCount() const;
  int GetGroupingItemIndex(int AIndex) const;
  void ClearGrouping();
  // Copies the conditions of AValue into the filter (not its events).
  void SetFilter(TcxDataFilterCriteria* AValue);
  const TcxDataFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }
  void SetOnFilterRecord(const TcxDataFilterRecordEvent& AValue);
  virtual bool HasRecordFilter() const { return static_cast<bool>(FOnFilterRecord); }
  // The handler's verdict; true without one.
  virtual bool DoFilterRecord(int ARecordIndex);
  rtl::String GetFindFilterText();
  void SetFindFilterText(const rtl::String& AValue);
  void ClearFindFilterText() { SetFindFilterText(rtl::String()); }
  bool GetUseExtendedFindFilterTextSyntax();
  void SetUseExtendedFindFilterTextSyntax(bool AValue);
  void AddFindFilterItem(int AItemIndex);
  void RemoveFindFilterItem(int AItemIndex);
  void ClearFindFilterItems();
  bool IsFindFiltering();
  // -1 when the record shows no searched text in that item; AHighlightedText
  // is emptied first.
  int GetFindFilterTextStartPosition(int ARecordIndex, int AItemIndex, rtl::String& AHighlightedText);
  virtual bool DoFindFilterRecord(int ARecordIndex);
  // Keeps the records whose display text of the item starts with the text
  // (ignoring case); answers the first record of the new list or -1.
  int SetIncrementalFilter(int AItemIndex, const rtl::String& AText);
  void ResetIncrementalFilter();
  bool HasIncrementalFilter() const;
  rtl::String GetIncrementalFilterText() const;
  // Re-applies an active incremental filter with another text; answers
  // whether it did.
  bool ChangeIncrementalFilterText(const rtl::String& AText);
  // Interfaces without reference counting: the controller lives by ownership.
  template <class I>
  int QueryInterface(I*& AObject) {
    return rtl::Supports<I>(this, AObject) ? 0 : static_cast<int>(0x80004002u);  // E_NOINTERFACE
  }
  int _AddRef() { return -1; }
  int _Release() { return -1; }

  // Rows by record and expansion (forward to the record list).
  int GetRowIndexByRecordIndex(int ARecordIndex, bool AMakeVisible);
  int GetFocusedDataRowIndex() const;
  virtual int GetActiveRecordIndex() const { return GetFocusedRecordIndex(); }
  // The provider's record when it follows a dataset in sync mode, else the
  // focused record.
  virtual int GetRecordIndex() const;
  // Focuses row 0 when no row (and not the new-item row) is focused.
  void CheckFocusedRow();
  void ChangeExpanding(int ARowIndex, bool AExpanded, bool ARecursive);
  void FullExpand();
  void FullCollapse();
  // Incremental search.
  TcxDataControllerSearch* Search();
  virtual rtl::String GetIncrementalSearchText(int ARecordIndex, int AItemIndex);
  // Grid mode searches the dataset instead (base: not found).
  virtual bool DoSearchInGridMode(const rtl::String& ASubText, bool AForward, bool ANext) { return false; }
  void CancelIncrementalSearch();
  bool IncrementalSearching() const { return FIncrementalSearching; }
  const rtl::String& IncrementalSearchText() const { return FIncrementalSearchText; }
  TcxCustomDataField* IncrementalSearchField() const { return FIncrementalSearchField; }
  // AStartRecordIndex is a record-list position; answers a record index or -1.
  virtual int FindRecordIndexByText(int AStartRecordIndex, int AItemIndex, const rtl::String& AText,
                                    bool APartialCompare, bool ACircular, bool AForward);
  // The locate objects' guard: range checks accept the internal record.
  bool InternalFindRecord() const { return FInternalFindRecord; }

 private:
  friend class TcxDataControllerSearch;
  friend class TcxDataControllerGroupLocateObject;
  class TCriteriaSeam;
  class TFindCriteriaSeam;
  void connectFilterSeams();
  std::unique_ptr<TcxRecordListFilter> FCriteriaSeam;
  std::unique_ptr<TcxRecordListFilter> FFindCriteriaSeam;
  std::unique_ptr<TcxDataControllerSearch> FSearch;
  TcxCustomDataField* FIncrementalSearchField = nullptr;
  bool FIncrementalSearching = false;
  rtl::String FIncrementalSearchText;
  bool FInternalFindRecord = false;

 public:
 protected:
  // The field class (fields are made after construction).
  virtual std::unique_ptr<TcxCustomDataField> CreateField();
  void DataStorageClearInternalRecords(TObject* Sender);
  void UpdateUseRecordIDState();
  void fire(const TNotifyEvent& AEvent) {
    if (AEvent) AEvent(this);
  }

 private:
  friend class TcxCustomDataControllerInfo;
  void DataNotification();
  void LayoutNotification();
  void UpdateRecordNotification();
  void FocusedNotification();
  void SelectionNotification();
  void Update();
  void resetDataChangeInfo() {
    FDataChangeInfo = TcxDataChangeInfo();
    FDataChangeInfoPending = false;
  }
  bool isNotedRecord(int ARecordIndex) const;
  TcxCustomDataField* valueField(int ARecordIndex, int AItemIndex) const;
  void loadData();

  bool FActive = false;
  bool FAfterSummaryFlag = false;
  int FBookmarkRecordIndex = -1;
  bool FDataChangedFlag = false;
  int FDataChangedLockCount = 0;
  TcxDataControllerChanges FChanges;
  std::vector<TNotifyEventItem> FDataChangedListeners;
  std::unique_ptr<TcxCustomDataControllerInfo> FDataControllerInfo;
  std::unique_ptr<TcxDataStorage> FDataStorage;
  bool FDestroying = false;
  bool FGroupingChangedFlag = false;
  std::unique_ptr<TcxCustomDataFieldList> FFields;
  bool FFilterChangedFlag = false;
  bool FFocusedSelected = true;
  bool FInCancel = false;
  bool FInLoadStorage = false;
  bool FInNotifyControl = false;
  bool FInOnSortingChanged = false;
  bool FIsPattern = false;
  bool FInSetCustomDataSource = false;
  bool FInSmartLoad = false;
  std::vector<std::unique_ptr<TcxDataListenerLink>> FListenerLinks;
  bool FLoadedStorage = false;
  int FLockGridModeNotifyCount = 0;
  int FLockUpdateFieldsCount = 0;
  bool FUpdateFieldsFlag = false;
  int FNewItemRecordIndex = 0;
  bool FNewItemRowFocused = false;
  int FMasterRecordIndex = -1;
  bool FMultiSelect = false;
  TcxDataControllerNotifier* FNotifier = nullptr;  // owned (a component without owner)
  TcxDataControllerOptions FOptions = cxDataControllerDefaultOptions;
  TComponent* FOwner;
  TcxDataSelectionChangedInfo FPrevSelectionChangedInfo, FSelectionChangedInfo;
  std::unique_ptr<TcxCustomDataProvider> FProvider;
  TcxCustomDataField* FRecordHandlesField = nullptr;
  int FSavedInternalRecordIndex = 0;
  int FSaveObjectLockCount = 0;
  bool FSortingBySummaryChangedFlag = false;
  bool FSortingChangedFlag = false;
  bool FStructureChanged = false;
  bool FStructureRecreated = false;
  bool FUpdateItems = false;
  bool FUseNewItemRowForEditing = false;
  TcxDataChangeInfo FDataChangeInfo;
  bool FDataChangeInfoPending = false;  // something was merged since the last reset
  bool FInDeleteSelection = false;
  int FNearestRecordIndex = -1;
  // Last, so that they go first: their destructors still reach the controller.
  std::unique_ptr<TcxDataFilterList, TcxDataFilterDeleter> FFilters;
  std::unique_ptr<TcxDataFindFilterCriteria, TcxDataFilterDeleter> FFindFilterCriteria;
  std::unique_ptr<TcxDataFilterCriteria, TcxDataFilterDeleter> FFilter;

 public:
  // Read-only views of the state the tests and the record list consult.
  bool Active() const { return FActive; }
  int BookmarkRecordIndex() const { return FBookmarkRecordIndex; }
  int MasterRecordIndex() const { return FMasterRecordIndex; }
  bool FocusedSelected() const { return FFocusedSelected; }
  TcxCustomDataField* RecordHandlesField() const { return FRecordHandlesField; }
  bool InSetCustomDataSource() const { return FInSetCustomDataSource; }
  void SetInSetCustomDataSource(bool AValue) { FInSetCustomDataSource = AValue; }
  bool InSmartLoad() const { return FInSmartLoad; }
  void SetInSmartLoad(bool AValue) { FInSmartLoad = AValue; }
  bool InCancel() const { return FInCancel; }
  int SavedInternalRecordIndex() const { return FSavedInternalRecordIndex; }
  void SetSavedInternalRecordIndex(int AValue) { FSavedInternalRecordIndex = AValue; }
  void SetSortingChangedFlag() { FSortingChangedFlag = true; }
  void SetGroupingChangedFlag() { FGroupingChangedFlag = true; }
  void SetFilterChangedFlag() { FFilterChangedFlag = true; }

  // --- focus re-checked after the filter pass that follows a post or a filter change ---
  // Set by Post and FilterChanged; the next filter pass that drops records
  // takes it and has the focus re-checked (the first row when none is left).
  void SetCheckFocusingAfterFilterNeeded() { FCheckFocusingAfterFilterNeeded = true; }
  bool CheckFocusingAfterFilterNeeded() const { return FCheckFocusingAfterFilterNeeded; }
  bool TakeCheckFocusingAfterFilterNeeded() {
    const bool needed = FCheckFocusingAfterFilterNeeded;
    FCheckFocusingAfterFilterNeeded = false;
    return needed;
  }

 private:
  bool FCheckFocusingAfterFilterNeeded = false;

 public:

  // --- summaries and the grouping interface (bodies in cxDataSummary.cpp, cxDataGroups.cpp) ---
 public:
  // Each is made on first use; a controller nobody asks for summaries never
  // computes any.
  TcxDataSummary* Summary();
  TcxDataSummary* SummaryIfCreated() const { return FSummary.get(); }
  void SetSummary(TcxDataSummary* AValue);  // assigns into the owned summary
  TcxDataControllerGroups* Groups();
  // The summary's items or options changed: recalculate, or only repaint.
  virtual void SummaryChanged(bool ARedrawOnly);
  // Grid mode with a pending structure change holds the after-summary event back.
  virtual bool LockOnAfterSummary() const { return false; }
  // The item classes summary collections create.
  virtual const rtl::ClassInfo& GetSummaryItemClass() const;
  virtual const rtl::ClassInfo& GetSummaryGroupItemLinkClass() const;
  // The engine that orders groups by their summaries; none here (a grid
  // view answers one).
  virtual TcxSortingBySummaryEngineClass GetSortingBySummaryEngineClass() const { return nullptr; }
  // The item whose group summary orders the groups; -1 when none.
  int GetSortingBySummaryDataItemIndex() const { return FSortingBySummaryDataItemIndex; }
  void SetSortingBySummaryDataItemIndex(int AValue);
  // Called by the record list once per rebuild, with the changes it is about
  // to carry out: whether the summary is owed, and then the calculation.
  bool IsSummaryCalculationNeeded(TcxDataControllerInfoChanges AChanges, bool ARegrouping) const;
  void CalculateSummaryOfRecordList();
  bool AfterSummaryFlag() const { return FAfterSummaryFlag; }
  void SetAfterSummaryFlag(bool AValue) { FAfterSummaryFlag = AValue; }

 private:
  int FSortingBySummaryDataItemIndex = -1;
  // After the filters: they go before the filters do.
  std::unique_ptr<TcxDataControllerGroups, TcxDataSummaryDeleter> FGroups;
  std::unique_ptr<TcxDataSummary, TcxDataSummaryDeleter> FSummary;

  // --- editing, deleting, navigation, the bookmark, selection and saved keys ---
  // (bodies in cxCustomData_edit.cpp; the selection object in cxDataSelection.cpp)
 public:
  // Focused-selected mode (multi-select off): only the focused row can be
  // selected, and FocusedSelected says whether it is.
  bool IsFocusedSelectedMode() const { return !FMultiSelect; }
  void SetMultiSelect(bool AValue);
  int GetSelectedCount() const;
  virtual int GetSelectedRowIndex(int AIndex) const;
  bool IsRowSelected(int ARowIndex) const;
  // Multi-select only: adds the row (when CanSelectRow allows) or removes it.
  virtual void ChangeRowSelection(int ARowIndex, bool ASelection);
  virtual bool CanSelectRow(int ARowIndex) { return true; }
  void ClearSelectionAnchor();
  virtual int GetSelectionAnchorRowIndex() const;
  virtual bool IsSelectionAnchorExist() const { return GetSelectionAnchorRowIndex() != -1; }
  virtual void SetSelectionAnchor(int ARowIndex);
  // Inside one bracket; the bounds may come in either order.
  void SelectRows(int AStartRowIndex, int AEndRowIndex);
  virtual void SelectAll();
  virtual void SelectFromAnchor(int ARowIndex, bool AKeepSelection);
  virtual void SyncSelectionFocusedRecord();
  // Focused-selected mode: whether the focused row is selected.
  void SyncSelected(bool ASelected);
  void CheckFocusedSelected();
  // After deletions and reloads: the selection drops records that are gone,
  // then the bookmark is checked.
  void CheckSelectedCount(int ADeletedRecordIndex = -1);
  // Focuses the AIndex-th selected row; answers whether it is now focused.
  virtual bool FocusSelectedRow(int AIndex);

  virtual void CheckEditingRecordIndex(int ARecordIndex);
  bool IsNewItemRecordIndex(int ARecordIndex) const {
    return FUseNewItemRowForEditing && ARecordIndex == FNewItemRecordIndex && FNewItemRecordIndex != 0;
  }
  void ResetNewItemRowFocused();
  virtual void BeforeSorting();
  virtual bool CanFocusRecord(int ARecordIndex);
  virtual void CheckBrowseMode() {}
  virtual void RefreshExternalData() {}
  virtual void FocusControl(int AItemIndex, bool& ADone) { ADone = false; }
  void DeleteFocusedRecord();

  // Navigation over rows (the provider's own in grid mode).
  void GotoFirst();
  void GotoLast();
  void GotoNext();
  void GotoPrev();
  void MoveBy(int ADistance);
  void Scroll(int ADistance);
  bool IsBOF() const;
  bool IsEOF() const;
  void SaveDataSetPos();
  void RestoreDataSetPos();
  virtual void SetFocus() {}

  // One bookmarked record.
  bool IsBookmarkAvailable() const { return FBookmarkRecordIndex != -1; }
  void SaveBookmark();
  void ClearBookmark();
  void GotoBookmark();
  bool IsBookmarkRow(int ARowIndex) const;
  virtual void CheckBookmarkValid(int ADeletedRecordIndex);
  virtual bool InternalCheckBookmark(int ADeletedRecordIndex);
  virtual void InternalSaveBookmark();
  virtual void InternalClearBookmark();
  virtual void InternalGotoBookmark();

  // Deleting a sorted list of records in one pass, for a controller whose
  // deletions nobody watches record by record (no delete events, no record
  // source, no smart loading).
  bool CanDeleteRecordsAtOnce(const std::vector<int>& ASortedList) const;
  void DeleteRecordsAtOnce(const std::vector<int>& ASortedList);

  // Whether a SaveKeys bracket is open.
  bool KeysSaved() const { return FSaveObjectLockCount != 0; }

 private:
  void moveFocusTo(int ARowIndex);
  std::unique_ptr<TcxSaveObject> FSaveObject;

  // --- master-detail: relations, detail objects, pattern and clone details ---
  // (bodies in cxDataRelations.cpp)
 public:
  // Made on first use.
  TcxCustomDataRelationList* Relations();
  TcxCustomDataRelationList* RelationsIfCreated() const { return FRelations.get(); }
  // The relation class of this controller's list.
  virtual std::unique_ptr<TcxCustomDataRelation> CreateRelation(TcxCustomDataRelationList* AList, TObject* AItem);
  // A master relation exists.
  bool IsDetailMode() const { return FMasterRelation != nullptr; }
  // Raises EdxException "!" when switching on for a bound detail while the
  // view is changing data.
  void SetIsPattern(bool AValue);
  void SetMasterMode(TcxCustomDataRelation* ARelation, bool AIsPattern);
  // -1 binds the controller as the relation's pattern, else as the clone of
  // that master record.
  virtual void SetMasterRelation(TcxCustomDataRelation* ARelation, int AMasterRecordIndex);
  TcxCustomDataRelation* GetMasterRelation() const { return FMasterRelation; }
  int GetMasterRecordIndex() const { return FMasterRecordIndex; }
  TcxCustomDataController* GetMasterDataController() const;
  TcxCustomDataController* GetRootDataController();
  TcxCustomDataController* GetPatternDataController();
  // The view maintains this count while it changes data.
  int DataChangeRefCount() const { return FDataChangeRefCount; }
  void SetDataChangeRefCount(int AValue) { FDataChangeRefCount = AValue; }
  TcxCustomDataController* CreatingDataController() const { return FCreatingDataController; }
  // Inside CreateDetailLinkObject: the view is making a clone of this master.
  bool InCreateDetailLinkObject() const { return FInCreateDetailLinkObject; }
  // Inside LoadStorage (its closing focus update is not a move of the dataset).
  bool InLoadStorage() const { return FInLoadStorage; }
  // Moves a clone with its master record when records before it come or go.
  void ShiftMasterRecordIndex(int ADelta) { FMasterRecordIndex += ADelta; }

  // Clones. The views create them: the base makes no link objects.
  TObject* GetDetailLinkObject(int ARecordIndex, int ARelationIndex);
  TcxCustomDataController* GetDetailDataController(int ARecordIndex, int ARelationIndex);
  bool IsDetailDataControllerExist(int ARecordIndex, int ARelationIndex);
  // The existing clone only (none is created).
  TcxCustomDataController* FindDetailDataController(int ARecordIndex, int ARelationIndex);
  void ClearDetailLinkObject(int ARecordIndex, int ARelationIndex);
  void ClearDetails();
  void ClearDetailsMasterRelation(TcxCustomDataRelation* ARelation);
  virtual std::unique_ptr<TObject> CreateDetailLinkObject(TcxCustomDataRelation* ARelation, int ARecordIndex) {
    return nullptr;
  }
  virtual TcxCustomDataController* GetDetailDataControllerByLinkObject(TObject* ALinkObject) { return nullptr; }

  // Active relation and expansion of a master record.
  virtual int GetDefaultActiveRelationIndex() const { return 0; }
  int GetDetailActiveRelationIndex(int ARecordIndex);
  void ChangeDetailActiveRelationIndex(int ARecordIndex, int AIndex);
  bool GetDetailExpanding(int ARecordIndex);
  bool ChangeDetailExpanding(int ARecordIndex, bool AExpanded);
  // Collapses every record without events.
  void CollapseDetails();
  virtual bool CanChangeDetailExpanding(int ARecordIndex, bool AExpanded);
  virtual bool DoChangeDetailExpanding(TcxDetailObject* ADetailObject, int ARecordIndex, bool AExpanded);
  bool GetDetailHasChildren(int ARecordIndex, int ARelationIndex);
  void ResetHasChildrenFlag();
  void ResetMasterHasChildrenFlag();

  // Calls AProc with every existing detail controller of the relation,
  // walking from the root controller.
  void ForEachDetail(TcxCustomDataRelation* AMasterRelation,
                     const std::function<void(TcxCustomDataController*)>& AProc);
  void FocusDetails(int ARecordIndex);
  virtual void ResetRelationByItem(TObject* AItem);
  virtual bool CheckDetailsBrowseMode();
  virtual bool CheckMasterBrowseMode() { return true; }
  virtual void UpdateRelations(TcxCustomDataRelation* ARelation);
  virtual void SyncMasterPos();
  virtual void NotifyDataControllers() {}
  virtual bool SyncDetailsFocusWithMaster() const { return false; }
  virtual bool GetClearDetailsOnCollapse() const { return false; }

 private:
  friend class TcxCustomDataRelationList;
  void relationsRemoveField(TcxCustomDataField* AField);
  // A dying pattern leaves its relation; a dying clone is no longer the one being created.
  void detachFromMasterRelation();
  TObject* detailLinkObject(int ARecordIndex, int ARelationIndex);
  int FDataChangeRefCount = 0;
  bool FIsPatternSave = false;
  bool FIsDetailExpanding = false;
  bool FInCreateDetailLinkObject = false;
  bool FInRetryDetailLinkObject = false;
  TcxCustomDataController* FCreatingDataController = nullptr;
  TcxCustomDataRelation* FMasterRelation = nullptr;
  std::unique_ptr<TcxCustomDataRelationList, TcxDataRelationsDeleter> FRelations;

  // --- walking the rows, the selected ones or all (base body in cxDataSelection.cpp) ---
 public:
  using TcxDataControllerEachRowProc = std::function<void(int ARowIndex, const TcxRowInfo& ARowInfo)>;
  // AProc gets each selected row in selection order, or every row. A
  // dataset-bound controller in grid mode walks the dataset instead.
  virtual void ForEachRow(bool ASelectedOnly, const TcxDataControllerEachRowProc& AProc);
  // --- end of walking the rows ---

  // --- moving the focus: the master and detail hooks (bodies in cxDataControllerFocus.cpp) ---
 public:
  // Asked once the masters and details accepted the move, before the row is
  // focused: a dataset-bound controller moves its dataset to the record
  // first, and a record it cannot reach keeps the old focus.
  virtual bool CanFocusedRowChanging(int ARowIndex) { return true; }
  // Called after a move that focused another row or record: a detail clone
  // then takes the shared detail dataset from the other clones.
  virtual void CheckDataSetCurrent() {}
  // Set while a master focuses the details of the record it just focused.
  bool InFocusDetails() const { return FInFocusDetails; }

 private:
  bool FInFocusDetails = false;
  // --- end of moving the focus ---
};

// The in-memory controller: active from the start.
class TcxDataController : public TcxCustomDataController {
  RTL_CLASS(TcxDataController, TcxCustomDataController)

 public:
  explicit TcxDataController(TComponent* AOwner);
};

// --- incremental search ---------------------------------------------------------------------------
// Moves the focus to the next record whose text of the search item starts
// with (or contains) what the user typed. The item, the text and the
// searching flag live in the controller.
class TcxDataControllerSearch : public TObject {
  RTL_CLASS(TcxDataControllerSearch, TObject)

 public:
  explicit TcxDataControllerSearch(TcxCustomDataController* ADataController) : FDataController(ADataController) {}
  TcxCustomDataController* DataController() const { return FDataController; }
  // Forward from the focused record to the end, then once from the top.
  virtual bool Locate(int AItemIndex, const rtl::String& AText, bool AIsAnywhere = false);
  // From the record after (before) the focused one, without wrapping.
  virtual bool LocateNext(bool AForward, bool AIsAnywhere = false);
  // The first record-list position from AStart to AEnd (inclusive; -1: the
  // end in that direction) whose search text matches; -1 when none.
  virtual int DoSearch(int AStart, int AEnd, bool AIsAnywhere, bool AForward, const rtl::String& AText);
  virtual void DoFocusedRecord(int APosition);
  virtual void Lock() { FLocked = true; }
  virtual void Unlock() { FLocked = false; }
  bool Locked() const { return FLocked; }
  void Cancel();
  int ItemIndex() const;
  void SetItemIndex(int AValue);
  bool Searching() const;
  rtl::String SearchText() const;

 private:
  void found(int APosition, const rtl::String& AText);
  TcxCustomDataController* FDataController;
  bool FLocked = false;
};


// --- record sources and providers -------------------------------------------------------------
// Opaque pointer-sized values a program-supplied record source hands out.
using TcxDataRecordHandle = void*;
using TcxDataItemHandle = void*;

// Smart loading in provider mode: a record is its handle, the values stay
// in the record source.
class TcxDataRecordHandleReader : public TcxValueDefReader {
 public:
  virtual TcxDataRecordHandle GetRecordHandle() = 0;
};

// A program-supplied record source for an unbound controller. Each call runs
// on behalf of the provider set current right before it.
class TcxCustomDataSource : public TObject {
  RTL_CLASS(TcxCustomDataSource, TObject)

 public:
  ~TcxCustomDataSource() override;

  virtual TcxDataRecordHandle AppendRecord() { return nullptr; }
  virtual void CustomSort() {}
  virtual void DeleteRecord(TcxDataRecordHandle ARecordHandle) {}
  virtual bool GetDetailHasChildren(int ARecordIndex, int ARelationIndex) { return false; }
  virtual rtl::String GetDisplayText(TcxDataRecordHandle ARecordHandle, TcxDataItemHandle AItemHandle);
  // True when a value is present; `AValue` then addresses the value in the
  // layout of the field's value type.
  virtual bool GetCompareValue(TcxDataRecordHandle ARecordHandle, TcxDataItemHandle AItemHandle,
                               TcxPreparedValue& AValue) { return false; }
  virtual TcxDataItemHandle GetItemHandle(int AItemIndex);
  virtual bool IsInsertSupported() { return false; }
  virtual rtl::Variant GetRecordId(TcxDataRecordHandle ARecordHandle) { return rtl::Null(); }
  virtual rtl::Variant GetValue(TcxDataRecordHandle ARecordHandle, TcxDataItemHandle AItemHandle) {
    return rtl::Null();
  }
  virtual TcxDataRecordHandle InsertRecord(TcxDataRecordHandle ARecordHandle) { return nullptr; }
  virtual bool IsCustomSorting() { return false; }
  virtual bool IsMultiThreadingSupported() { return false; }
  virtual bool IsNativeCompare() { return false; }
  virtual bool IsNativeCompareFunc() { return false; }
  virtual bool IsRecordIdSupported() { return false; }
  virtual void LoadRecordHandles() {}
  virtual int NativeCompareFunc(TcxDataRecordHandle ARecordHandle1, TcxDataRecordHandle ARecordHandle2,
                                TcxDataItemHandle AItemHandle) { return 0; }
  virtual void SetRecordCount(int ACount) {}
  virtual void SetValue(TcxDataRecordHandle ARecordHandle, TcxDataItemHandle AItemHandle,
                        const rtl::Variant& AValue) {}
  // The handle stored for the record at that index (null when none).
  virtual TcxDataRecordHandle GetRecordHandle(int ARecordIndex);
  // Smart loading: the reader whose handle the next loaded record carries
  // (none: the source does not load smartly).
  virtual std::unique_ptr<TcxDataRecordHandleReader> CreateSmartLoadReader() { return nullptr; }

  TcxCustomDataProvider* GetProvider() const { return FCurrentProvider ? FCurrentProvider : FDefaultProvider; }
  TcxCustomDataController* GetDataController() const;
  void SetCurrentProvider(TcxCustomDataProvider* AProvider) { FCurrentProvider = AProvider; }
  void SetDefaultProvider(TcxCustomDataProvider* AProvider) { FDefaultProvider = AProvider; }
  void AddProvider(TcxCustomDataProvider* AProvider);
  void RemoveProvider(TcxCustomDataProvider* AProvider);
  int ProviderCount() const { return FProviders ? static_cast<int>(FProviders->size()) : 0; }
  // Appends a storage record that carries the handle; answers its index.
  int AddRecordHandle(TcxDataRecordHandle AHandle);
  int GetRecordIndexByHandle(TcxDataRecordHandle AHandle);

 private:
  TcxCustomDataProvider* FCurrentProvider = nullptr;
  TcxCustomDataProvider* FDefaultProvider = nullptr;
  std::unique_ptr<std::vector<TcxCustomDataProvider*>> FProviders;
};

// The controller's record source and the owner of its edit state.
class TcxCustomDataProvider : public TObject {
  RTL_CLASS(TcxCustomDataProvider, TObject)

 public:
  explicit TcxCustomDataProvider(TcxCustomDataController* ADataController);
  ~TcxCustomDataProvider() override;

  TcxCustomDataController* DataController() const { return FDataController; }
  TcxCustomDataSource* CustomDataSource() const { return FCustomDataSource; }
  void SetCustomDataSource(TcxCustomDataSource* Value);

  virtual void CustomSort();
  virtual bool IsCustomDataSourceSupported() const { return true; }
  virtual bool IsCustomSorting() const;
  virtual bool IsGridMode() const { return false; }
  virtual bool IsDataSource() const { return false; }
  virtual bool IsOtherInsert() const { return false; }
  virtual bool IsRecordIdSupported() const;
  virtual bool IsSyncMode() const { return false; }
  virtual bool IsActive() const { return FCustomDataSource != nullptr; }
  virtual bool IsActiveDataSet() const { return false; }
  virtual bool IsBOF() const { return true; }
  virtual bool IsChanging() const { return FChanging; }
  virtual bool IsEditing() const { return FEditingRecordIndex != cxNullEditingRecordIndex; }
  virtual bool IsEOF() const { return true; }
  virtual bool IsGridModeUpdating() const { return false; }
  virtual bool IsInserting() const { return IsEditing() && FInserting; }
  virtual bool IsModified() const { return FModified; }
  virtual bool IsUnboundColumnMode() const { return !CanModify(); }
  virtual void CorrectRecordIndex(int ARecordIndex) {}
  virtual void First() { FRecreatedFieldsAfterFirst = false; }
  virtual void Prev() {}
  virtual void Next() {}
  virtual void Last() {}
  virtual void MoveBy(int ADistance) {}
  virtual void Scroll(int ADistance) {}
  virtual void SavePos() {}
  virtual void RestorePos() {}
  virtual bool CanAppend() const { return CanModify(); }
  virtual bool CanDelete() const;
  virtual bool CanInitEditing(int ARecordIndex);
  virtual bool CanInsert() const { return CanModify(); }
  virtual bool CanModify() const { return true; }
  virtual void Append() { InsertingRecord(true); }
  virtual void Cancel();
  virtual void DoUpdateData();
  virtual void Delete();
  virtual void DoDeleteRecords(const std::vector<int>& AList);
  virtual void DeleteRecords(const std::vector<int>& AList);
  virtual void DeleteSelection();
  virtual void Edit() { SetEditing(); }
  virtual rtl::Variant GetEditValue(int ARecordIndex, TcxCustomDataField* AField,
                                    TcxDataEditValueSource AEditValueSource);
  virtual void Insert() { InsertingRecord(false); }
  virtual void Post(bool APostFlag);
  virtual void PostEditingData();
  virtual bool SetEditValue(int ARecordIndex, TcxCustomDataField* AField, const rtl::Variant& AValue,
                            TcxDataEditValueSource AEditValueSource);
  virtual void BeginDeleting();
  virtual void EndDeleting();
  virtual void AssignItemValue(int ARecordIndex, TcxCustomDataField* AField, const rtl::Variant& AValue);
  virtual void DoInitInsertingRecord(int AInsertingRecordIndex, const std::vector<rtl::Variant>& AGroupValues);
  virtual void EditingRecord();
  virtual void DoInsertingRecord(bool AIsAppending);
  virtual void ResetChanging() { FChanging = false; }
  virtual void ResetEditing();
  virtual void ResetModified() { FModified = false; }
  virtual void SetChanging() { FChanging = true; }
  virtual void SetEditing() { EditingRecord(); }
  virtual void SetModified() { FModified = true; }
  virtual void BeginLocate() { ++FLocateCount; }
  virtual void EndLocate() { --FLocateCount; }
  virtual void Freeze() { ++FLockCount; }
  virtual void Unfreeze() { --FLockCount; }
  virtual int AppendRecord();
  virtual void DeleteRecord(int ARecordIndex);
  virtual bool GetDetailHasChildren(int ARecordIndex, int ARelationIndex);
  virtual rtl::String GetDisplayText(int ARecordIndex, TcxCustomDataField* AField);
  virtual rtl::String GetExternalDataDisplayText(int ARecordIndex, TcxCustomDataField* AField) { return {}; }
  virtual rtl::Variant GetExternalDataValue(int ARecordIndex, TcxCustomDataField* AField) { return rtl::Null(); }
  virtual rtl::Variant GetRecordId(int ARecordIndex);
  virtual int GetRecordIndex() const { return -1; }
  virtual rtl::Variant GetValue(int ARecordIndex, TcxCustomDataField* AField);
  // The reader a load fills storage records from (the base reader reads nothing).
  virtual std::unique_ptr<TcxValueDefReader> CreateValueDefReader();
  virtual int InsertRecord(int ARecordIndex);
  virtual void LoadDataBuffer() {}
  virtual int NativeCompare(int ARecordIndex1, int ARecordIndex2, TcxCustomDataField* AField);
  virtual int NativeCompareFunc(int ARecordIndex1, int ARecordIndex2, TcxCustomDataField* AField);
  virtual void SetDisplayText(int ARecordIndex, TcxCustomDataField* AField, const rtl::String& AText) {}
  virtual void SetRecordCount(int ACount);
  virtual void SetValue(int ARecordIndex, TcxCustomDataField* AField, const rtl::Variant& AValue);
  virtual void ActiveChanged(bool AActive);
  virtual void DataChanged(TcxDataChange ADataChange, int AItemIndex, int ARecordIndex);
  virtual void DataScrolled(int ADistance);
  virtual void LayoutChanged(TcxDataLayoutChanges ADataLayoutChanges);

  int AddRecordHandle(TcxDataRecordHandle AHandle);
  void LoadRecordHandles();
  void CreateSavedRecord(int ARecordIndex);
  void ClearSavedRecord();
  void InsertingRecord(bool AIsAppending);

  // State read by the controller and the record list.
  int EditingRecordIndex() const { return FEditingRecordIndex; }
  void SetEditingRecordIndex(int AValue) { FEditingRecordIndex = AValue; }
  int EditingRecordIndex1() const { return FEditingRecordIndex1; }
  int EditingRecordIndex2() const { return FEditingRecordIndex2; }
  int InsertedRecordIndex() const { return FInsertedRecordIndex; }
  void SetInsertedRecordIndex(int AValue) { FInsertedRecordIndex = AValue; }
  int SavedRecordIndex() const { return FSavedRecordIndex; }
  void ClearSavedRecordIndex() { FSavedRecordIndex = 0; }
  int LockCount() const { return FLockCount; }
  int LocateCount() const { return FLocateCount; }
  bool ActiveChanging() const { return FActiveChanging; }
  bool DataChangedLocked() const { return FDataChangedLocked; }
  void SetDataChangedLocked(bool AValue) { FDataChangedLocked = AValue; }
  bool RecreatedFieldsAfterFirst() const { return FRecreatedFieldsAfterFirst; }
  bool LoadAllNeeded() const { return FLoadAllNeeded; }
  void SetLoadAllNeeded(bool AValue) { FLoadAllNeeded = AValue; }

 protected:
  // Sets the source current and answers it (null without one).
  TcxCustomDataSource* source() const;
  TcxDataRecordHandle recordHandle(int ARecordIndex) const;
  TcxDataItemHandle itemHandle(TcxCustomDataField* AField) const;
  int recordIndexOf(TcxDataRecordHandle AHandle) const;

  bool FActiveChanging = false;
  bool FChanging = false;
  TcxCustomDataSource* FCustomDataSource = nullptr;
  bool FDataChangedLocked = false;
  TcxCustomDataController* FDataController;
  int FEditingRecordIndex = cxNullEditingRecordIndex;
  int FEditingRecordIndex1 = cxNullEditingRecordIndex;
  int FEditingRecordIndex2 = cxNullEditingRecordIndex;
  int FInsertedRecordIndex = -1;
  bool FInUpdateData = false;
  int FLocateCount = 0;
  int FLockCount = 0;
  bool FModified = false;
  bool FRecreatedFieldsAfterFirst = false;
  int FSavedRecordIndex = 0;
  bool FInInserting = false;
  bool FInserting = false;
  bool FLoadAllNeeded = false;

  // --- the record list's selection object (base body in cxDataSelection.cpp) ---
 public:
  // Made here because the provider exists before the record list and is
  // already of the descendant's kind: a dataset provider makes the
  // selection that keeps dataset bookmarks in grid mode.
  virtual std::unique_ptr<TcxDataSelection> CreateDataSelection();
  // --- end of the record list's selection object ---
};

// --- value-def readers ------------------------------------------------------------------------
// Reads one record of a controller, field by field.
class TcxValueDefRecordReader : public TcxValueDefReader {
 public:
  TcxValueDefRecordReader(TcxCustomDataController* ADataController, int ARecordIndex)
      : FDataController(ADataController), FRecordIndex(ARecordIndex) {}
  rtl::String GetDisplayText(TcxValueDef* AValueDef) override;
  rtl::Variant GetValue(TcxValueDef* AValueDef) override;
  bool IsInternal(TcxValueDef* AValueDef) override;

 private:
  TcxCustomDataController* FDataController;
  int FRecordIndex;
};

// Loose values keyed by value definition.
class TcxValueDefUnboundReader : public TcxValueDefReader {
 public:
  rtl::Variant GetValue(TcxValueDef* AValueDef) override;
  bool IsInternal(TcxValueDef* AValueDef) override;
  void SetValue(TcxValueDef* AValueDef, const rtl::Variant& AValue);
  void Truncate(int ACount);
  void Clear() { Truncate(0); }
  int Count() const { return static_cast<int>(FItems.size()); }

 private:
  std::vector<TcxValueDef*> FItems;
  std::vector<std::unique_ptr<rtl::Variant>> FValues;
};

// True when the value definition belongs to an internal field.
bool IsValueDefInternal(TcxValueDef* AValueDef);

// --- companions -------------------------------------------------------------------------------
class TcxDataControllerObject : public TObject {
  RTL_CLASS(TcxDataControllerObject, TObject)

 public:
  explicit TcxDataControllerObject(TcxCustomDataController* ADataController) : FDataController(ADataController) {}
  TcxCustomDataController* DataController() const { return FDataController; }

 private:
  TcxCustomDataController* FDataController;
};

class TcxDataControllerPersistent : public TPersistent {
  RTL_CLASS(TcxDataControllerPersistent, TPersistent)

 public:
  explicit TcxDataControllerPersistent(TcxCustomDataController* ADataController)
      : FDataController(ADataController) {}
  TcxCustomDataController* DataController() const { return FDataController; }
  TPersistent* GetOwner() const override { return FDataController; }

 private:
  TcxCustomDataController* FDataController;
};

// Hears components go away on the controller's behalf (fields may refer to
// components) and passes the news to the controller.
class TcxDataControllerNotifier : public TComponent {
  RTL_CLASS(TcxDataControllerNotifier, TComponent)

 public:
  explicit TcxDataControllerNotifier(TcxCustomDataController* ADataController)
      : TComponent(nullptr), FDataController(ADataController) {}
  void Watch(TComponent* AComponent) { FreeNotification(AComponent); }

 protected:
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 private:
  TcxCustomDataController* FDataController;
};

}  // namespace data
