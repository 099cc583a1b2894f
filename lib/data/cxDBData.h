#pragma once
// The data controller bound to a dataset: its provider, which turns the
// dataset's notifications into the controller's changes and, in grid mode,
// reads only the window of records its data link buffers; the data fields
// that bind items to dataset fields by name; the dataset routines they share;
// the filter criteria that can hand their filter text to the dataset; and
// the bookmark list of the grid-mode selection.
#include <memory>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxDataSummary.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtypes.h"

namespace data {

class TcxDBDataController;
class TcxDBDataProvider;
class TcxDBDataSelection;  // cxDBDataSelection.h
class TcxDBProviderDetailFilterAdapter;  // cxDBDataDetail.h

// --- dataset field routines -----------------------------------------------------------------
// No field: Null; one: its value; several: a variant array 0..n-1.
rtl::Variant GetDataSetValues(db::TDataSet* ADataSet, const std::vector<db::TField*>& AFields);
void SetDataSetValues(db::TDataSet* ADataSet, const std::vector<db::TField*>& AFields, const rtl::Variant& AValue);
// Null for a null field, else its variant value.
rtl::Variant GetFieldValue(db::TField* AField);
// A double given to a date-time field goes in through AsDateTime.
void SetFieldValue(db::TField* AField, const rtl::Variant& AValue);
// The name a filter text uses for the field: its Origin (unless
// AIgnoreOrigin), else its name, bracketed when it is not an identifier.
rtl::String GetFilterFieldName(db::TField* AField, bool AIgnoreOrigin);
// A name that is not an identifier is bracketed, a "]" inside doubled so
// that the dataset's filter reader finds the end of the name.
rtl::String CheckFilterFieldName(const rtl::String& AName);
bool IsDataAvailable(db::TField* AField);
bool IsDefaultFields(db::TDataSet* ADataSet);
bool IsEqualFieldNames(const rtl::String& AName1, const rtl::String& AName2);
// The first name of a ";" list from APos (0-based) on; APos moves past it.
rtl::String ExtractFieldName(const rtl::String& ANames, size_t& APos);
bool IsMultipleFieldNames(const rtl::String& ANames);
int GetFieldNamesCount(const rtl::String& ANames);
std::vector<rtl::String> GetFieldNames(const rtl::String& ANames);
bool IsSimpleCurrencyField(db::TField* AField);
TcxValueTypeClass GetValueTypeClassByField(db::TField* AField);
// Whether the dataset can be asked to Locate AKeyValue on AKeyFieldNames.
bool CanCallDataSetLocate(db::TDataSet* ADataSet, const rtl::String& AKeyFieldNames, const rtl::Variant& AKeyValue);

// --- field routines: editing and display texts -------------------------------------------------
// Whether the field can be edited: by value (AIsValueSource), or as text,
// which binary, blob and structured fields take only through OnSetText.
bool IsFieldCanModify(db::TField* AField, bool AIsValueSource);
// A lookup field is edited through its key fields: all of them must be editable.
bool CanModifyLookupField(db::TField* AField);
// Whether the field's display text is kept beside its value: the value type
// alone would not show it (OnGetText, an edit mask, a display format...).
bool IsFieldFormatted(db::TField* AField, bool AIsTextEdit);
// --- end of field routines: editing and display texts ---

// --- adapters by dataset class; the filter operator adapter (cxDBData_adapters.cpp) ---
class TcxDBAdapterList;
// Only an adapter list can make this key: it alone tells an adapter the
// dataset class it serves.
class TcxDBAdapterListKey {
  friend class TcxDBAdapterList;
  TcxDBAdapterListKey() = default;
};

// One entry of an adapter list: an object serving one dataset class and
// its descendants that have no entry closer to them.
class TcxDBAdapterItem : public rtl::TObject {
  RTL_CLASS(TcxDBAdapterItem, rtl::TObject)

 public:
  const rtl::ClassInfo* DataSetClass() const { return FDataSetClass; }
  // Called once by the list right after it made the adapter.
  virtual void SetDataSetClass(TcxDBAdapterListKey, const rtl::ClassInfo* AValue) { FDataSetClass = AValue; }

 private:
  const rtl::ClassInfo* FDataSetClass = nullptr;
};

// Adapters by dataset class, kept so that a class's entries come after
// those of its ancestors: scanning from the end, the first entry whose
// class is the dataset's class or an ancestor of it is the nearest one,
// whatever order the adapters were registered in.
class TcxDBAdapterList : public rtl::TObject {
  RTL_CLASS(TcxDBAdapterList, rtl::TObject)

 public:
  // True with the index of the nearest entry for ADataSetClass. Otherwise
  // AIndex is the lowest position of an entry for a descendant of it (where
  // an entry for the class itself belongs), or -1.
  virtual bool FindAdapter(const rtl::ClassInfo* ADataSetClass, int& AIndex) const;
  // Makes an adapter of AAdapterClass (a TcxDBAdapterItem descendant that can
  // be made without arguments) serving ADataSetClass.
  virtual void RegisterAdapter(const rtl::ClassInfo& ADataSetClass, const rtl::ClassInfo& AAdapterClass);
  // Frees every entry for ADataSetClass whose adapter is exactly of AAdapterClass.
  virtual void UnregisterAdapter(const rtl::ClassInfo& ADataSetClass, const rtl::ClassInfo& AAdapterClass);
  void Clear() { FItems.clear(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  // EListError "List index out of bounds (%d)" for a bad index.
  TcxDBAdapterItem* Items(int AIndex) const;

 private:
  std::vector<std::unique_ptr<TcxDBAdapterItem>> FItems;
};

// The null tests written as SQL writes them ("F IS NULL", "F IS NOT NULL"):
// what a query's own SQL builder (OnBeforeChange) can take as it is. Only
// NULL may follow IS, so the value is always written as NULL, also where a
// soft-null blank test holds an empty text.
class TcxFilterSQLNullOperator : public TcxFilterNullOperator {
  RTL_CLASS(TcxFilterSQLNullOperator, TcxFilterNullOperator)

 public:
  using TcxFilterNullOperator::TcxFilterNullOperator;
  String FilterText() override { return u"IS"; }
  String GetExpressionValue(const Variant&) override { return u"NULL"; }
};

class TcxFilterSQLNotNullOperator : public TcxFilterNotNullOperator {
  RTL_CLASS(TcxFilterSQLNotNullOperator, TcxFilterNotNullOperator)

 public:
  using TcxFilterNotNullOperator::TcxFilterNotNullOperator;
  String FilterText() override { return u"IS NOT"; }
  String GetExpressionValue(const Variant&) override { return u"NULL"; }
};

TcxFilterOperatorClass cxFilterSQLNullOperatorClass();
TcxFilterOperatorClass cxFilterSQLNotNullOperatorClass();

class TcxDBFilterOperatorAdapter : public TcxDBAdapterItem {
  RTL_CLASS(TcxDBFilterOperatorAdapter, TcxDBAdapterItem)

 public:
  // A blank or non-blank test (or a descendant of one) on a dataset whose
  // class name holds "Query" in any case becomes its SQL form.
  virtual void PrepareOperatorClass(TcxFilterCriteriaItem* AItem, db::TDataSet* ADataSet,
                                    TcxFilterOperatorClass& AOperatorClass);
};

// The process-wide list of filter operator adapters: one entry, TDataSet to
// TcxDBFilterOperatorAdapter. Made by the unit's start (or on first use)
// and freed by its stop; main thread only.
TcxDBAdapterList* cxFilterOperatorAdapters();
// The adapter for the dataset's class, or null (also without a dataset).
TcxDBFilterOperatorAdapter* cxGetFilterOperatorAdapter(db::TDataSet* ADataSet);
void cxDBDataAdaptersInitialization();
void cxDBDataAdaptersFinalization();
// --- end of adapters by dataset class ---

// --- the grid-mode selection's bookmarks ------------------------------------------------------
// Bookmarks kept in the dataset's order. Every index is checked: a bad one
// raises EListError "List index out of bounds (%d)" instead of reading
// past the list.
class TcxBookmarkList {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  const db::TBookmark& Items(int AIndex) const;
  void Insert(int AIndex, db::TBookmark ABookmark);
  void Delete(int AIndex);
  void Clear() { FItems.clear(); }

 private:
  void checkIndex(int AIndex, bool AForInsert) const;
  std::vector<db::TBookmark> FItems;
};

// --- the data field -----------------------------------------------------------------------------
class TcxDBDataField : public TcxCustomDataField {
  RTL_CLASS(TcxDBDataField, TcxCustomDataField)

 public:
  explicit TcxDBDataField(TcxCustomDataFieldList* AFieldList) : TcxCustomDataField(AFieldList) {}
  ~TcxDBDataField() override;

  void Reassign(TcxCustomDataField* ASource) override;
  void RemoveNotification(rtl::TComponent* AComponent) override;
  bool SupportsMultiThreading() const override;
  bool CanModify() const override;
  bool IsUnbound() const override;
  bool IsValueDefInternal() const override;

  // Through the referenced field when this one references another.
  db::TField* Field() const;
  void SetField(db::TField* AValue);
  const rtl::String& FieldName() const { return FFieldName; }
  void SetFieldName(const rtl::String& AValue) { FFieldName = AValue; }
  int FieldCount() const;
  TcxDBDataField* Fields(int AIndex) const;
  bool IsLookup() const;
  bool IsCurrency() const { return FIsCurrency; }
  TcxDBDataField* ParentField() const { return FParentField; }
  void AddField(TcxDBDataField* ASubField);
  void RemoveField(TcxDBDataField* ASubField);
  void ClearFields();
  void SetPropertiesByField(db::TField* AField, bool AFieldChanged);
  void DoPropertiesChanged();
  TcxDBDataController* DBController() const;

  // --- editing by value source ---
  // A lookup field takes only its key (evsKey), and only when every key
  // field can take a value; any other field asks IsFieldCanModify.
  bool CanModify(TcxDataEditValueSource AValueSource) const;
  // --- end of editing by value source ---

 private:
  const TcxDBDataField* target() const;

  db::TField* FField = nullptr;
  rtl::String FFieldName;
  std::vector<TcxDBDataField*> FFields;  // sub-fields: internal fields of the controller's list
  bool FIsCurrency = false;
  TcxDBDataField* FParentField = nullptr;
};

// --- the data mode settings ---------------------------------------------------------------------
class TcxDBDataModeController : public rtl::TPersistent {
  RTL_CLASS(TcxDBDataModeController, rtl::TPersistent)

 public:
  explicit TcxDBDataModeController(TcxDBDataController* ADataController) : FDataController(ADataController) {}
  void Assign(rtl::TPersistent* Source) override;
  rtl::TPersistent* GetOwner() const override;

  bool DetailInSQLMode() const { return FDetailInSQLMode; }
  void SetDetailInSQLMode(bool AValue) { FDetailInSQLMode = AValue; }
  bool DetailInSyncMode() const { return FDetailInSyncMode; }
  void SetDetailInSyncMode(bool AValue) { FDetailInSyncMode = AValue; }
  bool GridMode() const { return FGridMode; }
  void SetGridMode(bool AValue);
  int GridModeBufferCount() const { return FGridModeBufferCount; }
  void SetGridModeBufferCount(int AValue);
  bool SmartRefresh() const { return FSmartRefresh; }
  void SetSmartRefresh(bool AValue);
  bool SyncInsert() const { return FSyncInsert; }
  void SetSyncInsert(bool AValue) { FSyncInsert = AValue; }
  bool SyncMode() const { return FSyncMode; }
  void SetSyncMode(bool AValue);

  // --- master-detail on datasets (cxDBData_masterdetail.cpp) ---
  using TcxDBDataModeControllerDetailFirstEvent =
      rtl::Method<void(TcxDBDataModeController* Sender, db::TDataSet* ADataSet, const rtl::String& AMasterDetailKeyFieldNames,
                       const rtl::Variant& AMasterDetailKeyValues, bool& AReopened)>;
  using TcxDBDataModeControllerDetailIsCurrentQueryEvent =
      rtl::Method<bool(TcxDBDataModeController* Sender, db::TDataSet* ADataSet, const rtl::String& AMasterDetailKeyFieldNames,
                       const rtl::Variant& AMasterDetailKeyValues)>;
  TcxDBDataModeControllerDetailFirstEvent OnDetailFirst;
  TcxDBDataModeControllerDetailIsCurrentQueryEvent OnDetailIsCurrentQuery;
  // Whether the detail dataset already holds these master keys (SQL mode).
  virtual bool DetailIsCurrentQuery(const rtl::String& AMasterDetailKeyFieldNames, const rtl::Variant& AMasterDetailKeyValues);
  // Puts the detail dataset on the first record of these master keys.
  virtual void DoDetailFirst(const rtl::String& AMasterDetailKeyFieldNames, const rtl::Variant& AMasterDetailKeyValues,
                             bool& AReopened);
  // --- end of master-detail on datasets ---

 private:
  TcxDBDataController* FDataController;
  bool FDetailInSQLMode = false;
  bool FDetailInSyncMode = true;
  bool FGridMode = false;
  int FGridModeBufferCount = 0;
  bool FSmartRefresh = false;
  bool FSyncInsert = true;
  bool FSyncMode = true;
};

// --- the data link ----------------------------------------------------------------------------
class TcxDBCustomDataLink : public db::TDataLink {
  RTL_CLASS(TcxDBCustomDataLink, db::TDataLink)

 public:
  virtual bool GetIsDataSetBusyState() { return false; }
};

class TcxDBDataLink : public TcxDBCustomDataLink {
  RTL_CLASS(TcxDBDataLink, TcxDBCustomDataLink)

 public:
  explicit TcxDBDataLink(TcxDBDataProvider* AProvider);
  void DataEvent(db::TDataEvent AEvent, db::NativeInt AInfo) override;
  bool GetIsDataSetBusyState() override;
  bool LayoutChangedFlag() const { return FLayoutChangedFlag; }
  bool PreventLayoutChanged() const { return FPreventLayoutChanged; }
  void SetPreventLayoutChanged(bool AValue) { FPreventLayoutChanged = AValue; }
  // The provider's entries to the notifications.
  void CallDataSetChanged() { DataSetChanged(); }
  void CallEditingChanged() { EditingChanged(); }
  void CallUpdateData() { UpdateData(); }

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int ADistance) override;
  void EditingChanged() override;
  void FocusControl(db::TField** AField) override;
  void LayoutChanged() override;
  void RecordChanged(db::TField* AField) override;
  void UpdateData() override;

 private:
  bool FLayoutChangedFlag = false;
  bool FPreventLayoutChanged = false;
  TcxDBDataProvider* FProvider;
};

// --- the reader of the dataset's current record -----------------------------------------------
class TcxValueDefDBReader : public TcxValueDefReader {
 public:
  rtl::String GetDisplayText(TcxValueDef* AValueDef) override;
  rtl::Variant GetValue(TcxValueDef* AValueDef) override;
  bool IsInternal(TcxValueDef* AValueDef) override;
};

// --- the provider -------------------------------------------------------------------------------
struct TcxDBDataSavePosInfo {
  db::TBookmark Bookmark;
  bool Bof = false;
  bool Eof = false;
  int ActiveRecord = 0;
};

class TcxDBDataProvider : public TcxCustomDataProvider {
  RTL_CLASS(TcxDBDataProvider, TcxCustomDataProvider)

 public:
  explicit TcxDBDataProvider(TcxCustomDataController* ADataController);
  ~TcxDBDataProvider() override;

  // Every provider of the process, for the tests of several controllers on one dataset.
  static const std::vector<TcxDBDataProvider*>& DBDataProviders();

  // Overrides of the provider contract.
  bool IsCustomDataSourceSupported() const override { return false; }
  bool IsGridMode() const override;
  bool IsDataSource() const override;
  bool IsActive() const override;
  bool IsActiveDataSet() const override;
  bool IsBOF() const override;
  bool IsEOF() const override;
  bool IsEditing() const override;
  bool IsInserting() const override;
  bool IsGridModeUpdating() const override { return IsGridMode() && FInUpdateGridMode; }
  bool IsSyncMode() const override;
  bool IsOtherInsert() const override;
  void First() override;
  void Prev() override;
  void Next() override;
  void Last() override;
  void MoveBy(int ADistance) override;
  void Scroll(int ADistance) override;
  void SavePos() override;
  void RestorePos() override;
  void CorrectRecordIndex(int ARecordIndex) override;
  void Freeze() override;
  void Unfreeze() override;
  void LoadDataBuffer() override;
  rtl::String GetExternalDataDisplayText(int ARecordIndex, TcxCustomDataField* AField) override;
  rtl::Variant GetExternalDataValue(int ARecordIndex, TcxCustomDataField* AField) override;
  int GetRecordIndex() const override;
  void ActiveChanged(bool AActive) override;
  void DataScrolled(int ADistance) override;
  void LayoutChanged(TcxDataLayoutChanges ADataLayoutChanges) override;
  void BeginLocate() override;
  std::unique_ptr<TcxValueDefReader> CreateValueDefReader() override;

  // Editing through the dataset.
  bool CanModify() const override;
  bool CanDelete() const override;
  bool CanInitEditing(int ARecordIndex) override;
  void Edit() override;
  void Insert() override;
  void Append() override;
  void Post(bool APostFlag) override;
  void PostEditingData() override;
  void Cancel() override;
  void Delete() override;
  void DeleteRecords(const std::vector<int>& AList) override;
  void EndDeleting() override;
  rtl::Variant GetEditValue(int ARecordIndex, TcxCustomDataField* AField,
                            TcxDataEditValueSource AEditValueSource) override;
  bool SetEditValue(int ARecordIndex, TcxCustomDataField* AField, const rtl::Variant& AValue,
                    TcxDataEditValueSource AEditValueSource) override;
  void AssignItemValue(int ARecordIndex, TcxCustomDataField* AField, const rtl::Variant& AValue) override;
  void DoInitInsertingRecord(int AInsertingRecordIndex, const std::vector<rtl::Variant>& AGroupValues) override;
  bool IsModified() const override;

  // Own operations.
  virtual bool IsDataSetModified() const;
  virtual bool BookmarkValid(const db::TBookmark& ABookmark) const;
  virtual int CompareBookmarks(const db::TBookmark& A, const db::TBookmark& B) const;
  virtual void InternalCancel();
  virtual void RecordChanged();

  TcxDBDataController* GetDataController() const;
  db::TDataSet* GetDataSet() const { return FDataLink ? FDataLink->DataSet() : nullptr; }
  db::TDataSource* GetDataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(db::TDataSource* ASource);
  TcxDBDataLink* DataLink() const { return FDataLink.get(); }
  int GetDataBufferCount() const;
  int GetDataRecordCount() const { return FDataLink->RecordCount(); }
  void UpdateGridMode();
  void ResetSmartRefresh();
  bool GetIsSmartRefresh() const;
  void SetPostLocateFlag();
  void ResetPostLocateFlag() { FPostLocateFlag = false; }
  bool IsDataSetBusy() const;
  bool IsOtherDataControllerUpdating();
  bool IsKeyNavigation() const;
  bool IsUniDirectional() const;
  void DoInsertingRecordFromLink();
  int RecordIndex() const { return FRecordIndex; }
  void SetRecordIndex(int AValue) { FRecordIndex = AValue; }
  bool InNotify() const { return FInNotify; }
  // Runs the deferred DataSetChanged of the providers that waited for this one.
  void NotifyListeners();
  void RemoveFromListeners();

  // --- master-detail on datasets (cxDBData_masterdetail.cpp) ---
  bool IsSyncInsert() const;
  // Which clone of a relation owns the shared detail dataset right now.
  bool GetIsDataSetCurrent() const;
  void SetIsDataSetCurrent(bool AValue);
  bool IsCanInitEditingBusy() const;
  bool IsOtherDetailChanged() const;
  bool GetDetailHasChildren(int ARecordIndex, int ARelationIndex) override;
  bool InFirst() const { return FInFirst; }
  void SetRecreatedFieldsAfterFirst() { FRecreatedFieldsAfterFirst = true; }

 private:
  // The detail branches of First, IsEOF and IsSyncMode; each answers false
  // when the provider is not a detail's and the plain behaviour applies.
  bool detailFirst();
  bool detailIsEOF(bool& AResult) const;
  bool detailAllowsSyncMode() const;
  // A detail's new record gets its master's key values.
  void assignMasterDetailKeys();
  bool FIsDataSetCurrent = false;
  // --- end of master-detail on datasets ---

 private:
  friend class TcxDBDataLink;
  bool isDataSetEditing() const;
  template <class Operation>
  void addNewRecord(Operation AOperation);
  void deleteByPosition(std::vector<int> AList);
  void deleteByKey(const std::vector<int>& AList, bool ASmart);

  std::vector<db::TField*> FAssignedFields;
  std::unique_ptr<TcxDBDataLink> FDataLink;
  bool FInCanInitEditing = false;
  bool FInSetDataSource = false;
  bool FIncrementalSearching = false;
  bool FInFirst = false;
  bool FInInsert = false;
  bool FInsertOperation = false;
  bool FInUpdateGridMode = false;
  bool FInNotify = false;
  std::vector<TcxDBDataProvider*> FListeners;
  bool FPostLocateFlag = false;
  int FRecordIndex = -1;
  TcxDBDataSavePosInfo FSavePosInfo;
  int FUpdatingPrevFocusedRecordIndex = -1;
  int FUpdatingRecordIndex = cxNullEditingRecordIndex;
  bool FUpdatingRecordIsInserting = false;
  int FUpdatingNewRecordIndex = -1;

  // --- grid-mode selection, search and smart refresh (cxDBData_selection.cpp, cxDBData_controller.cpp) ---
 public:
  // The selection that keeps dataset bookmarks in grid mode.
  std::unique_ptr<TcxDataSelection> CreateDataSelection() override;
  // Grid mode: the dataset deletes the records of the selected bookmarks,
  // last first, and each leaves the selection; otherwise the base.
  void DeleteSelection() override;
  // Grid-mode incremental search: walks the dataset (from the current record
  // with ANext false, else from the one after it) for a record whose text of
  // the search item starts with ASubText. Without a match the dataset goes
  // back to where it was, on the same buffer row.
  bool DoLocate(const rtl::String& ASubText, bool AForward, bool ANext);
  // After a post or a cancel with smart refresh: only the edited record is
  // read again (or dropped when it is gone); the other records stay.
  void SmartDataChanged();
  // The record being edited, remembered for SmartDataChanged.
  void SetUpdatingRecord(int ARecordIndex, bool AIsInserting);
  int UpdatingRecordIndex() const { return FUpdatingRecordIndex; }
  // A deleted record is no longer the one smart refresh waits for.
  void CorrectSmartRefreshAfterDelete(int ARecordIndex);

 private:
  bool locateMatches();
  // The posted record was new, had no key and has its auto-increment key now.
  bool isNewAutoIncKey(const rtl::Variant& AStored, const rtl::Variant& ACurrent);
  rtl::String FIncrementalSearchSubText;
  // --- end of grid-mode selection, search and smart refresh ---

  // --- smart refresh after deleting and after a post from the new-item row (cxDBData_provider.cpp) ---
 private:
  // The record the dataset goes to after the focused one is deleted.
  int nearestRecordBeforeDelete(bool ASmartRefresh) const;
  // Drops the deleted focused record from the controller and refocuses.
  void smartDeleteFocused();
  // The new-item row's record appended as a real record, its values copied.
  void appendNewItemRecord();

  // --- a detail clone reading the shared detail dataset (cxDBData_provider.cpp) ---
  // Some provider of the dataset, frozen, belongs to a detail controller.
  bool isDetailDataSetBusy() const;
  // --- end of smart refresh after deleting and after a post from the new-item row ---
};

// --- the dataset criteria's conditions (cxDBData_adapters.cpp) ---
// A condition whose operator class the dataset's filter operator adapter
// may adjust. The dataset can be bound (or changed) after the condition was
// made, so the class is checked again before each filter text is written.
class TcxDBDataFilterCriteriaItem : public TcxDataFilterCriteriaItem {
  RTL_CLASS(TcxDBDataFilterCriteriaItem, TcxDataFilterCriteriaItem)

 public:
  TcxDBDataFilterCriteriaItem(TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink,
                              TcxFilterOperatorKind AOperatorKind, const rtl::Variant& AValue,
                              const rtl::String& ADisplayValue);
  TcxFilterOperatorClass GetFilterOperatorClass() override;
  void RecreateOperator() override;
  // Replaces the operator, without reporting a change, when the adapter now
  // picks another class: the classes it swaps differ only in their text.
  void CheckOperatorClass();

 private:
  TcxFilterOperatorClass operatorClass_ = nullptr;  // the class the operator was made of
};
// --- end of the dataset criteria's conditions ---

// --- the filter criteria ----------------------------------------------------------------------
class TcxDBDataFilterCriteria : public TcxDataFilterCriteria {
  RTL_CLASS(TcxDBDataFilterCriteria, TcxDataFilterCriteria)

 public:
  using TcxDataFilterCriteria::TcxDataFilterCriteria;
  using TcxDBDataFilterBeforeChangeEvent =
      rtl::Method<void(TcxDBDataFilterCriteria* Sender, db::TDataSet* ADataSet, const rtl::String& AFilterText)>;

  bool AutoDataSetFilter() const { return FAutoDataSetFilter; }
  void SetAutoDataSetFilter(bool AValue);
  bool IgnoreOrigin() const { return FIgnoreOrigin; }
  void SetIgnoreOrigin(bool AValue);
  const TcxDBDataFilterBeforeChangeEvent& OnBeforeChange() const { return FOnBeforeChange; }
  void SetOnBeforeChange(const TcxDBDataFilterBeforeChangeEvent& AValue) { FOnBeforeChange = AValue; }
  // The dataset filters instead of the controller.
  bool IsAutoDataSetFilter() const;
  bool IsFiltering() override;
  void Update() override;
  void RestoreDefaults() override;
  void Assign(rtl::TPersistent* ASource) override;
  void AssignEvents(rtl::TPersistent* ASource) override;

 private:
  void applyToDataSet();
  bool FAutoDataSetFilter = false;
  bool FIgnoreOrigin = true;
  TcxDBDataFilterBeforeChangeEvent FOnBeforeChange;

  // --- the text handed to the dataset (cxDBData_fields.cpp) ---
 public:
  using TcxDBDataFilterFormatFilterTextValueEvent = rtl::Method<void(
      TcxDBDataFilterCriteria* Sender, TcxFilterCriteriaItem* AItem, const rtl::Variant& AValue, rtl::String& ADisplayValue)>;
  const TcxDBDataFilterFormatFilterTextValueEvent& OnFormatFilterTextValue() const { return FOnFormatFilterTextValue; }
  void SetOnFormatFilterTextValue(const TcxDBDataFilterFormatFilterTextValueEvent& AValue) {
    FOnFormatFilterTextValue = AValue;
  }
  // Numbers are written with the "." the filter readers take, whatever the
  // display settings; then OnFormatFilterTextValue may rewrite the text.
  void FormatFilterTextValue(TcxFilterCriteriaItem* AItem, const rtl::Variant& AValue, rtl::String& ADisplayValue) override;
  String GetItemExpression(TcxFilterCriteriaItem* AItem, bool AIsCaption) override;
  // The filter text AutoDataSetFilter gives the dataset: GetFilterText, with
  // the blank case written out wherever the criteria and the dataset's
  // three-valued filter would disagree about a null value (the criteria
  // rank Null below every value, so "<> 5", "< 5" and NOT IN keep it);
  // also where soft null takes an empty text for blank, and for keys of
  // several fields. Dates are written year first (ConvertDateToStr).
  rtl::String GetDataSetFilterText();
  // Conditions of the dataset class, whose null tests follow the dataset.
  std::unique_ptr<TcxFilterCriteriaItem> CreateItem(TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink,
                                                    TcxFilterOperatorKind AOperatorKind, const rtl::Variant& AValue,
                                                    const rtl::String& ADisplayValue) override;
  // Without a DateTimeFormat, the dataset's text carries dates in one fixed
  // form its filter reader takes whatever the display settings.
  rtl::String ConvertDateToStr(const rtl::Variant& AValue) override;

 private:
  // The condition's own form for the dataset, where the plain text would
  // not keep the criteria's rows (several key fields, soft null).
  bool dataSetItemExpression(TcxFilterCriteriaItem* AItem, rtl::String& AText);
  TcxDBDataFilterFormatFilterTextValueEvent FOnFormatFilterTextValue;
  bool dataSetText_ = false;
  // --- end of the text handed to the dataset ---
};

// --- the find panel's criteria (cxDBData_fields.cpp) ---
// A changed search text first posts the dataset's pending edit, so that
// the refiltering does not throw the typed values away.
class TcxDBDataFindFilterCriteria : public TcxDataFindFilterCriteria {
  RTL_CLASS(TcxDBDataFindFilterCriteria, TcxDataFindFilterCriteria)

 public:
  using TcxDataFindFilterCriteria::TcxDataFindFilterCriteria;

 protected:
  void Update() override;
};
// --- end of the find panel's criteria ---

// --- the dataset summary item (cxDBData_summary.cpp) ---
// A summary over a dataset field by name, also one that no item shows: the
// item keeps an internal data field of the controller bound to it.
class TcxDBDataSummaryItem : public TcxDataSummaryItem {
  RTL_CLASS(TcxDBDataSummaryItem, TcxDataSummaryItem)

 public:
  explicit TcxDBDataSummaryItem(rtl::TCollection* ACollection) : TcxDataSummaryItem(ACollection) {}
  ~TcxDBDataSummaryItem() override;
  void Assign(rtl::TPersistent* ASource) override;
  TcxCustomDataField* DataField() const override;
  bool IsDataBinded() const override;
  // A currency flag of the bound dataset field decides over the value's type.
  bool IsCurrency(rtl::TVarType AVarType) const override;

  const rtl::String& FieldName() const { return FFieldName; }
  void SetFieldName(const rtl::String& AValue);

 private:
  TcxDBDataController* dbController() const;
  TcxDBDataField* FDataField = nullptr;  // an internal field of the controller's list
  rtl::String FFieldName;
};
// --- end of the dataset summary item ---

// --- the controller ---------------------------------------------------------------------------
class TcxDBDataController : public TcxCustomDataController {
  RTL_CLASS(TcxDBDataController, TcxCustomDataController)

 public:
  explicit TcxDBDataController(rtl::TComponent* AOwner);
  ~TcxDBDataController() override;
  void Assign(rtl::TPersistent* Source) override;

  TcxDBDataProvider* Provider() const { return static_cast<TcxDBDataProvider*>(TcxCustomDataController::Provider()); }
  db::TDataSource* DataSource() const { return Provider()->GetDataSource(); }
  void SetDataSource(db::TDataSource* AValue);
  db::TDataSet* DataSet() const { return Provider()->GetDataSet(); }
  TcxDBDataModeController* DataModeController() const { return FDataModeController.get(); }
  void SetDataModeController(TcxDBDataModeController* AValue) { FDataModeController->Assign(AValue); }
  const rtl::String& KeyFieldNames() const { return FKeyFieldNames; }
  void SetKeyFieldNames(const rtl::String& AValue);
  TcxDBDataFilterCriteria* Filter() { return static_cast<TcxDBDataFilterCriteria*>(TcxCustomDataController::Filter()); }
  int RecNo() const;
  void SetRecNo(int AValue);
  int DataSetRecordCount() const;
  bool IsSequenced() const;

  // Items and dataset fields.
  db::TField* GetItemField(int AItemIndex) const;
  rtl::String GetItemFieldName(int AItemIndex) const;
  rtl::TObject* GetItemByFieldName(const rtl::String& AFieldName) const;
  void ChangeFieldName(int AItemIndex, const rtl::String& AFieldName);
  TcxDBDataField* DBField(int AItemIndex) const { return static_cast<TcxDBDataField*>(TcxCustomDataController::GetItemField(AItemIndex)); }

  // Keys.
  rtl::Variant GetKeyFieldsValues() const;
  std::vector<db::TField*> GetKeyDBFields() const;
  int FindRecordIndexByKey(const rtl::Variant& AKeyValue);
  bool LocateByKey(const rtl::Variant& AKeyValue);
  TcxDBDataField* KeyField() const { return FKeyField; }

  void UpdateGridModeBufferCount();
  void BeginLocate() { Provider()->BeginLocate(); }
  void EndLocate() { Provider()->EndLocate(); }
  void CheckBrowseMode() override;
  bool DataChangedNotifyLocked() const override;

  // Hooks.
  virtual void DoDataSourceChanged() {}
  virtual void DoInitInsertingRecord(int ARecordIndex) {}
  virtual int GetDefaultGridModeBufferCount() const { return 100; }
  virtual void InvalidateDataBuffer() { Change({dccLayout}); }
  virtual int LocateRecordIndex(const std::vector<TcxCustomDataField*>& AFields);
  virtual bool TryFocusRecord(int ARecordIndex);
  virtual void UpdateScrollBars() {}

  // Overrides of the controller.
  void ActiveChanged(bool AActive) override;
  void Loaded() override;
  void LoadStorage() override;
  void RestructData() override;
  void UpdateFields() override;
  void PrepareField(TcxCustomDataField* AField) override;
  bool IsDataField(TcxCustomDataField* AField) const override;
  void ChangeValueTypeClass(int AItemIndex, TcxValueTypeClass AValueTypeClass) override;
  bool IsDisplayFormatDefined(int AItemIndex, bool AIgnoreSimpleCurrency) const override;
  std::vector<TcxCustomDataField*> GetKeyFields() const override;
  rtl::Variant GetRecordId(int ARecordIndex) const override;
  bool IsKeyNavigation() const override;
  bool IsSmartRefresh() const override;
  bool IsProviderDataSource() const override { return true; }
  bool CanFocusRecord(int ARecordIndex) override;
  // The dataset moves to the row's record before the row is focused.
  bool CanFocusedRowChanging(int ARowIndex) override;
  void UpdateFocused() override;
  int GetActiveRecordIndex() const override;
  rtl::String GetFilterItemFieldName(rtl::TObject* AItem) const override;
  bool InternalCheckBookmark(int ADeletedRecordIndex) override;
  void InternalSaveBookmark() override;
  void InternalClearBookmark() override;
  void InternalGotoBookmark() override;
  void BeginReadRecord() override { FInUnboundCopy = true; }
  void EndReadRecord() override { FInUnboundCopy = false; }
  void RefreshExternalData() override;
  void CorrectAfterDelete(int ARecordIndex) override;
  void RemoveNotification(rtl::TComponent* AComponent) override;
  bool LockOnAfterSummary() const override;
  std::unique_ptr<TcxDataFilterCriteria> CreateFilter() override;
  void DoUpdateRecord(int ARecordIndex);
  void UpdateEditingRecord();
  int GetDataRowCount() const;
  int GetFocusedDataRowIndex() const;
  bool IsBookmarkAvailable() const { return !FBookmark.empty(); }

  // Field binding.
  void UpdateField(TcxDBDataField* ADataField, const rtl::String& AFieldNames, bool AIsLookup);
  void RetrieveField(TcxDBDataField* ADataField, bool ALookupOnly);
  void ResetDBFields();
  void ResyncDBFields() { UpdateFields(); }

  bool InUnboundCopy() const { return FInUnboundCopy; }
  void SetInUnboundCopy(bool AValue) { FInUnboundCopy = AValue; }
  bool InUpdateGridModeBufferCount() const { return FInUpdateGridModeBufferCount; }
  bool IsLoaded() const { return FLoaded; }
  void SetLoaded() { FLoaded = true; }
  rtl::TNotifyEvent FOnGridModeChanged;

  // --- dataset summaries, find criteria and lookup values (cxDBData_summary.cpp, cxDBData_fields.cpp) ---
  const rtl::ClassInfo& GetSummaryItemClass() const override;
  std::unique_ptr<TcxDataFindFilterCriteria, TcxDataFilterDeleter> CreateFindFilterCriteria() override;
  // A lookup item groups and filters by its key values (one key: its value;
  // several: an array); its display text and order come from the looked-up value.
  rtl::Variant GetGroupValue(int ARecordIndex, TcxCustomDataField* AField) const override;
  rtl::Variant GetFilterDataValue(int ARecordIndex, TcxCustomDataField* AField) const override;
  // Binds AField (made when missing) to the dataset fields named, or frees
  // it for an empty list: the key field's and the summary items' fields.
  void UpdateInternalKeyFields(const rtl::String& AFieldNames, TcxDBDataField*& AField);
  // --- end of dataset summaries, find criteria and lookup values ---
  // --- filter speed: a lookup item filters by its keys, never by what the storage holds ---
  bool CanReadFilterValuesInPlace(TcxCustomDataField* AField) const override {
    return !static_cast<TcxDBDataField*>(AField)->IsLookup() &&
           TcxCustomDataController::CanReadFilterValuesInPlace(AField);
  }
  // --- end of filter speed ---

  // --- master-detail on datasets (cxDBData_masterdetail.cpp) ---
  using TcxDBDataDetailHasChildrenEvent =
      rtl::Method<void(TcxDBDataController* Sender, int ARecordIndex, int ARelationIndex,
                       const rtl::String& AMasterDetailKeyFieldNames, const rtl::Variant& AMasterDetailKeyValues,
                       bool& HasChildren)>;
  TcxDBDataDetailHasChildrenEvent OnDetailHasChildren;
  const rtl::String& DetailKeyFieldNames() const { return FDetailKeyFieldNames; }
  void SetDetailKeyFieldNames(const rtl::String& AValue);
  const rtl::String& MasterKeyFieldNames() const { return FMasterKeyFieldNames; }
  void SetMasterKeyFieldNames(const rtl::String& AValue);
  // DetailKeyFieldNames while MasterKeyFieldNames is set, else empty.
  rtl::String GetMasterDetailKeyFieldNames() const;
  // The detail dataset's fields of those names, built on first use.
  const std::vector<db::TField*>& GetMasterDetailKeyFields();
  // The master's key values for this clone (Unassigned until it has a master record).
  const rtl::Variant& MasterDetailKeyValues() const { return FMasterDetailKeyValues; }
  TcxDBProviderDetailFilterAdapter* GetDetailFilterAdapter() const;
  std::unique_ptr<TcxCustomDataRelation> CreateRelation(TcxCustomDataRelationList* AList, TObject* AItem) override;
  void SetMasterRelation(TcxCustomDataRelation* ARelation, int AMasterRecordIndex) override;
  void UpdateRelations(TcxCustomDataRelation* ARelation) override;
  bool CheckMasterBrowseMode() override;
  void CheckDataSetCurrent() override;
  void CheckCurrentQuery();
  bool IsOtherDetailChanged() const;
  bool IsOtherDetailCreating() const;
  void ResetDataSetCurrent(TcxDBDataController* ADetail);
  void NotifyDetailsAfterFieldsRecreating(bool AFromSelf);
  // The controller that now shows the detail dataset's record, or null.
  TcxDBDataController* SyncMasterDetail();
  void SyncMasterDetailDataSetPos();
  virtual void DoDataSetCurrentChanged(bool AIsCurrent) {}
  bool InCheckCurrentQuery() const { return FInCheckCurrentQuery; }
  bool InResetDataSetCurrent() const { return FInResetDataSetCurrent; }
  bool UpdatingDataSetPos() const { return FUpdateDataSetPos; }
  TcxDBDataController* CreatedDataController() const { return FCreatedDataController; }

 private:
  // Frees the key field list when one of its fields goes.
  void masterDetailRemoveNotification(rtl::TComponent* AComponent);
  bool isMastersInSyncMode();
  TcxDBDataController* FCreatedDataController = nullptr;
  rtl::String FDetailKeyFieldNames;
  bool FInCheckCurrentQuery = false;
  bool FInResetDataSetCurrent = false;
  std::unique_ptr<std::vector<db::TField*>> FMasterDetailKeyFields;
  rtl::Variant FMasterDetailKeyValues = rtl::Unassigned();
  rtl::String FMasterKeyFieldNames;
  bool FUpdateDataSetPos = false;
  friend class TcxDBDataRelation;
  // --- end of master-detail on datasets ---

 public:

 protected:
  std::unique_ptr<TcxCustomDataField> CreateField() override;
  void DoGridModeChanged() override;

 private:
  void updateInternalKeyFields(const rtl::String& AFieldNames, TcxDBDataField*& AField);
  void syncFocusWithDataSet();

  db::TBookmark FBookmark;
  std::unique_ptr<TcxDBDataModeController> FDataModeController;
  bool FFocusingRecord = false;
  int FFocusingRecordIndex = -1;
  bool FInCheckBrowseMode = false;
  bool FInUnboundCopy = false;
  bool FInUpdateGridModeBufferCount = false;
  TcxDBDataField* FKeyField = nullptr;  // an internal field of the field list
  rtl::String FKeyFieldNames;
  bool FLoaded = false;
  bool FResetDBFields = false;
  bool FSyncingFocus = false;

  // --- grid-mode selection, search and smart refresh (cxDBData_selection.cpp, cxDBData_controller.cpp) ---
  // In grid mode the selected records are dataset bookmarks (the window
  // holds only a few of them). Outside grid mode the selection operations
  // below answer as the base does.
 public:
  TcxDBDataSelection* DBSelection() const;
  // "DataController not in GridMode" outside grid mode. In focused-selected
  // mode the focused row's bookmark, else the AIndex-th selected one.
  db::TBookmark GetSelectedBookmark(int AIndex) const;
  db::TBookmark GetSelectionAnchorBookmark() const;
  // Grid mode: the window row of the AIndex-th selected record, -1 when it
  // lies outside the window.
  int GetSelectedRowIndex(int AIndex) const override;
  int GetSelectionAnchorRowIndex() const override;
  bool IsSelectionAnchorExist() const override;
  void SetSelectionAnchor(int ARowIndex) override;
  // Grid mode: every record of the dataset, not only the window's.
  void SelectAll() override;
  void SelectFromAnchor(int ARowIndex, bool AKeepSelection) override;
  // Moves the dataset to the AIndex-th selected bookmark.
  bool FocusSelectedRow(int AIndex) override;
  // Grid mode: the row's bookmark as an array of bytes.
  rtl::Variant GetRowId(int ARowIndex) const override;
  // Grid mode: moves the dataset to each selected bookmark (or through the
  // whole dataset) and calls AProc with the focused row after each move.
  void ForEachRow(bool ASelectedOnly, const TcxDataControllerEachRowProc& AProc) override;
  bool DoSearchInGridMode(const rtl::String& ASubText, bool AForward, bool ANext) override;
  // Drops the selected bookmarks (and the anchor) the dataset no longer
  // accepts: after each refresh of the window, a close and an open.
  bool RefreshSelectionBookmarks();

 private:
  db::TBookmark rowBookmark(int ARowIndex) const;
  void checkSelectionRow(int ARowIndex) const;
  // --- end of grid-mode selection, search and smart refresh ---
};

}  // namespace data
