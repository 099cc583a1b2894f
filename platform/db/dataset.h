#pragma once
// TDataSet, the dataset framework's cursor over records, and
// TCustomMemDataSet, the buffered base that keeps every record in memory.
//
// How a descendant uses it
// ------------------------
// Derive from TCustomMemDataSet (queries, memory tables). It implements the
// record store TDataSet asks for; a descendant only supplies and writes data:
//   * OpenData(): fill FieldDefs() (they stay from the last Open: Clear()
//     them first when the columns may differ) and load the rows with AppendLoadedRecord(values), one Variant per field
//     definition in FieldDefs order (Null for NULL; strings as String,
//     whole numbers as Int64/Integer, decimals as double, date-times as
//     varDate). Called inside Open; an exception aborts the Open.
//   * CloseData(): release what OpenData kept (the rows go with the base).
//     Destruction does not call it (the descendant's part is gone by then):
//     a descendant holding resources frees them in its own destructor.
//   * WriteRecord(status, record, newValues): called by Post and Delete when
//     CachedUpdates is off, before the change lands in memory. `status` is
//     usInserted, usModified or usDeleted; `record` holds the record as it is
//     stored (Values; for an insert an empty record); newValues the values
//     being posted (the descendant may change them, e.g. a generated key).
//     Raising EDatabaseError refuses the change (OnPostError/OnDeleteError
//     then decide); the dataset keeps its edit state.
//   * With CachedUpdates on, Post and Delete only log: each record keeps its
//     UpdateStatus and its OriginalValues. ApplyUpdates-style code walks
//     ChangedRecords() (store order, deleted records included), writes each,
//     and calls CommitUpdate(id) for each one written (or CommitUpdates()
//     for all); CancelUpdates() / RevertRecord() restore the originals.
//   * Records live in memory from Open to Close (Close drops them); bookmarks
//     and TMemRecord::Id are the same stable id. Refresh() calls
//     InternalRefresh(), which a descendant may override to read again
//     (ClearRecords() then AppendLoadedRecord()).
//   * Master/detail, IndexFieldNames ordering, filters, calculated and lookup
//     fields, links and events all come from the bases.
// A dataset with its rows elsewhere may derive from TDataSet and implement the
// protected "record store" virtuals itself.
//
// Bookmarks hold a record's stable id, so they stay valid while other records
// come and go, and compare by the records' current order.
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/db/datasource.h"
#include "platform/db/dbtypes.h"
#include "platform/db/field.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/formatsettings.h"

namespace rtl {
class TStrings;
}

namespace db {

class TFilterExpression;

#define DB_DATASET_EVENT(Type, Name)                        \
  const Type& Name() const { return ev##Name##_; }          \
  void Set##Name(const Type& value) { ev##Name##_ = value; }

class TDataSet : public rtl::TComponent {
  RTL_CLASS(TDataSet, rtl::TComponent)

 public:
  // A record's identity in the store; 0 names no record.
  using TRowId = Int64;

  explicit TDataSet(rtl::TComponent* owner);
  // Closes (without events) and lets go of fields and data sources.
  ~TDataSet() override;

  // --- opening and state
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool Active() const { return state_ != dsInactive && state_ != dsOpening; }
  void SetActive(bool value);
  TDataSetState State() const { return state_; }
  bool Modified() const { return modified_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  virtual bool CanModify() const { return !readOnly_; }
  virtual bool IsSequenced() const { return true; }
  virtual bool IsUniDirectional() const { return false; }
  // Reads the records again, keeping the current one when it still exists.
  void Refresh();
  // Rebuilds the order and filter and tells the links (deDataSetChange).
  void Resync();

  // --- fields
  TFieldDefs* FieldDefs() const { return fieldDefs_.get(); }
  TFields* Fields() const { return fields_.get(); }
  int FieldCount() const;
  // Fields were made from FieldDefs at Open (no persistent fields exist).
  // There are no field auto-creation modes, so this alone says whether the
  // fields are the default ones.
  bool DefaultFields() const { return defaultFields_; }
  // Aggregate fields: always empty, as no dataset here computes aggregates;
  // callers that look through them find nothing.
  TFields* AggFields() const { return aggFields_.get(); }
  TField* FindField(StringView name) const;
  // EDatabaseError "<Name>: Field '<name>' not found".
  TField* FieldByName(StringView name) const;
  // The fields named in a ";"-separated list, in its order (FieldByName's error).
  void GetFieldList(std::vector<TField*>& list, StringView fieldNames) const;
  void GetFieldNames(rtl::TStrings* list) const;
  // One value, or a variant array for a ";" list.
  Variant FieldValues(StringView fieldNames) const;
  void SetFieldValues(StringView fieldNames, const Variant& value);
  // Sets every field of the record being edited to NULL.
  void ClearFields();
  // Calculated fields are filled (OnCalcFields) as records are read.
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool value) { autoCalcFields_ = value; }

  // --- text conversions of the fields
  // The settings used by text written into and read from fields; the process
  // settings until set.
  const rtl::TFormatSettings& FormatSettings() const;
  void SetFormatSettings(const rtl::TFormatSettings& value) { formatSettings_ = value; }
  // An empty text written into any field makes it NULL (Oracle's rule; on by default).
  bool EmptyTextAsNull() const { return emptyTextAsNull_; }
  void SetEmptyTextAsNull(bool value) { emptyTextAsNull_ = value; }
  // Display labels default to the field name in capitals instead of as is.
  bool UpperCaseDisplayLabels() const { return upperCaseDisplayLabels_; }
  void SetUpperCaseDisplayLabels(bool value) { upperCaseDisplayLabels_ = value; }

  // --- navigation
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Answers the number of records moved (negative backwards).
  int MoveBy(int distance);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  // 1-based position of the current record (0 when there is none).
  int RecNo() const;
  void SetRecNo(int value);
  // Records in the dataset (filtered, within the master's range).
  int RecordCount() const;
  bool IsEmpty() const;

  // --- record buffers: the dataset's window (the largest link's size)
  int BufferCount() const { return bufferCount_; }
  int ActiveRecord() const;

  // --- editing
  void Append();
  void Insert();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  void AppendRecord(const std::vector<Variant>& values);
  void InsertRecord(const std::vector<Variant>& values);
  // Posts or cancels a pending edit (Post when Modified).
  void CheckBrowseMode();
  // Asks the links for their controls' values (deUpdateRecord).
  void UpdateRecord();

  // --- bookmarks
  TBookmark GetBookmark() const;
  TBookmark Bookmark() const { return GetBookmark(); }
  void SetBookmark(const TBookmark& value) { GotoBookmark(value); }
  // EDatabaseError "Record not found" for a bookmark of a record that is gone.
  void GotoBookmark(const TBookmark& bookmark);
  void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
  bool BookmarkValid(const TBookmark& bookmark) const;
  bool BookmarkAvailable() const;
  // -1, 0, 1 by the records' current order; an empty bookmark sorts first.
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

  // --- searching
  // `keyFields` "a;b" with a variant array of values for several fields.
  bool Locate(StringView keyFields, const Variant& keyValues, TLocateOptions options = {});
  // The result fields' values of the first matching record (an array for a
  // ";" list), Null when none matches; the current record does not move.
  Variant Lookup(StringView keyFields, const Variant& keyValues, StringView resultFields);

  // --- filtering
  const String& Filter() const { return filterText_; }
  // EDatabaseError on a syntax error; the old filter stays.
  void SetFilter(const String& value);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool value);
  TFilterOptions FilterOptions() const { return filterOptions_; }
  void SetFilterOptions(TFilterOptions value);
  const TFilterRecordEvent& OnFilterRecord() const { return onFilterRecord_; }
  void SetOnFilterRecord(const TFilterRecordEvent& value);

  // --- links
  // Nested; while disabled, visual links get nothing and the outermost
  // EnableControls sends one deDataSetChange (or deLayoutChange) if needed.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }
  bool IsLinkedTo(const TDataSource* dataSource) const;
  // The source this dataset reads its master from (nullptr for none).
  virtual TDataSource* DataSource() const { return nullptr; }
  // Parameters of a parameterised dataset (a query); nullptr for none.
  virtual TParams* GetParams() const { return nullptr; }
  // Tells the data sources and their links; see TDataLink::DataEvent.
  virtual void DataEvent(TDataEvent event, NativeInt info);
  // Asks the links to focus the control of `field` (deFocusControl).
  void FocusControl(TField* field);

  // --- events
  DB_DATASET_EVENT(TDataSetNotifyEvent, BeforeOpen)
  DB_DATASET_EVENT(TDataSetNotifyEvent, AfterOpen)
  DB_DATASET_EVENT(TDataSetNotifyEvent, BeforeClose)
  DB_DATASET_EVENT(TDataSetNotifyEvent, AfterClose)
  DB_DATASET_EVENT(TDataSetNotifyEvent, BeforeInsert)
  DB_DATASET_EVENT(TDataSetNotifyEvent, AfterInsert)
  DB_DATASET_EVENT(TDataSetNotifyEvent, BeforeEdit)
  DB_DATASET_EVENT(TDataSetNotifyEvent, AfterEdit)
  DB_DATASET_EVENT(TDataSetNotifyEvent, BeforePost)
  DB_DATASET_EVENT(TDataSetNotifyEvent, AfterPost)
  DB_DATASET_EVENT(TDataSetNotifyEvent, BeforeCancel)
  DB_DATASET_EVENT(TDataSetNotifyEvent, AfterCancel)
  DB_DATASET_EVENT(TDataSetNotifyEvent, BeforeDelete)
  DB_DATASET_EVENT(TDataSetNotifyEvent, AfterDelete)
  DB_DATASET_EVENT(TDataSetNotifyEvent, BeforeScroll)
  DB_DATASET_EVENT(TDataSetNotifyEvent, AfterScroll)
  DB_DATASET_EVENT(TDataSetNotifyEvent, BeforeRefresh)
  DB_DATASET_EVENT(TDataSetNotifyEvent, AfterRefresh)
  DB_DATASET_EVENT(TDataSetNotifyEvent, OnNewRecord)
  DB_DATASET_EVENT(TDataSetNotifyEvent, OnCalcFields)
  DB_DATASET_EVENT(TDataSetErrorEvent, OnPostError)
  DB_DATASET_EVENT(TDataSetErrorEvent, OnDeleteError)
  DB_DATASET_EVENT(TDataSetErrorEvent, OnEditError)

 protected:
  // --- the record store a descendant implements -------------------------------
  // Opens the source: FieldDefs filled, records ready in store order.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  // Records in store order; rows RowInRange rejects are not shown.
  virtual int StoreCount() const = 0;
  virtual TRowId StoreRowId(int index) const = 0;
  // The value of field definition `defIndex` (0-based) of a record.
  virtual Variant StoreValue(TRowId row, int defIndex) const = 0;
  // Adds a record before `before` (0: at the end); answers its new id. Both
  // take `values` over (the caller's edit buffer) once they succeed; one
  // that raises leaves them as they were.
  virtual TRowId StoreInsert(TRowId before, std::vector<Variant>& values) = 0;
  virtual void StoreUpdate(TRowId row, std::vector<Variant>& values) = 0;
  virtual void StoreDelete(TRowId row) = 0;
  // Records outside the range (a detail's master values) are not shown.
  virtual bool RowInRange(TRowId row) const { return true; }
  // Puts the shown records in the dataset's order (an index).
  virtual void OrderRows(std::vector<TRowId>& rows) const {}
  // Reads the records again (Refresh); the base does nothing.
  virtual void InternalRefresh() {}
  // Whether the shown records depend on their values beyond the filter (an
  // order or a range): a posted record is then put in its place again.
  virtual bool RowsOrdered() const { return false; }
  // Fills a new record's values before OnNewRecord (defaults, master values).
  virtual void InitRecord(std::vector<Variant>& values) {}

  // --- hooks around the public operations
  virtual void DoBeforeOpen();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoAfterClose();
  virtual void DoBeforeInsert();
  virtual void DoAfterInsert();
  virtual void DoBeforeEdit();
  virtual void DoAfterEdit();
  virtual void DoBeforePost();
  virtual void DoAfterPost();
  virtual void DoBeforeCancel();
  virtual void DoAfterCancel();
  virtual void DoBeforeDelete();
  virtual void DoAfterDelete();
  virtual void DoBeforeScroll();
  virtual void DoAfterScroll();
  virtual void DoOnNewRecord();
  virtual void DoOnCalcFields();

  // Makes default fields from FieldDefs (or FieldDefs from persistent fields).
  virtual void CreateFields();
  void DestroyFields();
  // Binds data fields to their definitions (EDatabaseError for a missing one).
  void BindFields(bool binding);
  void SetState(TDataSetState value);
  void CheckActive() const;    // "Cannot perform this operation on a closed dataset"
  void CheckInactive() const;  // "Cannot perform this operation on an open dataset"
  void CheckCanModify() const; // "Cannot modify a read-only dataset"
  // Rebuilds the shown records from the store (range, filter, order).
  void RebuildView();
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;
  // The master changed: re-read the range and go to the first record.
  void MasterChanged();

 private:
  friend class TField;
  friend class TFields;
  friend class TDataSource;
  friend class TDataLink;

  // Fields: values of the record the fields currently read.
  Variant fieldValue(const TField* field) const;
  void setFieldValue(TField* field, const Variant& value);
  // The same for a value the field has already put in its storage form.
  void setStoredFieldValue(TField* field, Variant&& stored);
  // The edit buffer slot a data field writes to, after the checks every
  // write makes; -1 for calculated and lookup fields.
  int fieldSlot(TField* field);
  void storeFieldValue(TField* field, int slot, Variant&& stored);
  Variant oldFieldValue(const TField* field) const;
  const std::vector<Variant>& calcValuesOf(TRowId row) const;
  void calculateFields(TRowId row, std::vector<Variant>& calc) const;
  void recalcEditRecord() {
    if (hasCalcFields_) recalcCalcFields();
  }
  void recalcCalcFields();
  void fieldListChanged();
  void addField(TField* field);
  void removeField(TField* field);

  // Cursor
  // The record being edited, as fields read it.
  static constexpr TRowId kEditing = -1;
  TRowId currentRow() const {
    if (tempRow_ != 0) return tempRow_;
    if (cur_ < 0 || cur_ >= static_cast<int>(view_.size())) return 0;
    TRowId id = view_[static_cast<std::size_t>(cur_)];
    if (id == 0) return kEditing;
    if (state_ == dsEdit && id == editRow_) return kEditing;
    return id;
  }
  int positionOf(TRowId row) const;  // -1 when not shown
  void goToPosition(int position);
  void clampCursor();
  void updateBufferCount();
  int windowShift(int& first, int count) const;
  bool rowAccepted(TRowId row);
  void checkRequiredFields();
  void clearEditBuffer();
  void backToBrowse();
  void openCursor();
  void closeCursor();
  void beginInsertAppend();
  void endInsertAppend();
  void doInsert(bool append);
  void postRecord();
  void setRecordValues(const std::vector<Variant>& values);
  void postNewRecord(const std::vector<Variant>& values);
  bool matchRow(TRowId row, const std::vector<TField*>& fields, const std::vector<Variant>& values,
                TLocateOptions options) const;
  TRowId findRow(StringView keyFields, const Variant& keyValues, TLocateOptions options);
  Variant rowFieldValue(TRowId row, const TField* field) const;
  // Most datasets have no data source: they pay for no call.
  void notifyLinks(TDataEvent event, NativeInt info) {
    if (!dataSources_.empty()) notifySources(event, info);
  }
  void notifySources(TDataEvent event, NativeInt info);
  void addDataSource(TDataSource* source);
  void removeDataSource(TDataSource* source);
  void applyFilterText(const String& text, TFilterOptions options);
  void viewChanged();

  // Default fields set aside by Close (out of Fields, still owned here), and
  // the definitions they were made from: the next Open takes them back when
  // its definitions are the same, so that a field a caller holds stays
  // valid and no fields are made again.
  struct KeptField {
    TField* Field;
    TFieldType Type;
    Integer Size;
    Integer Precision;
  };
  void keepDefaultFields();
  bool takeBackKeptFields();
  void freeKeptFields();

  TDataSetState state_ = dsInactive;
  std::unique_ptr<TFieldDefs> fieldDefs_;
  std::unique_ptr<TFields> fields_;
  std::unique_ptr<TFields> aggFields_;
  std::vector<KeptField> keptFields_;
  bool defaultFields_ = false;
  bool readOnly_ = false;
  bool modified_ = false;
  bool autoCalcFields_ = true;
  bool emptyTextAsNull_ = true;
  bool upperCaseDisplayLabels_ = false;
  std::optional<rtl::TFormatSettings> formatSettings_;

  // The records shown, in order; while inserting, the new record's place
  // holds 0.
  std::vector<TRowId> view_;
  mutable std::unordered_map<TRowId, int> positions_;
  mutable bool positionsValid_ = false;
  int cur_ = 0;
  bool bof_ = true;
  bool eof_ = true;
  int bufferCount_ = 1;
  int firstRecord_ = 0;  // the dataset's own window

  // The record being edited or inserted.
  std::vector<Variant> editValues_;
  std::vector<Variant> editCalc_;
  TRowId editRow_ = 0;
  // While filtering or calculating, fields read this record.
  TRowId tempRow_ = 0;
  std::vector<Variant>* tempCalc_ = nullptr;
  int calcCount_ = 0;
  mutable std::unordered_map<TRowId, std::vector<Variant>> calcCache_;
  bool hasCalcFields_ = false;

  String filterText_;
  bool filtered_ = false;
  TFilterOptions filterOptions_;
  std::unique_ptr<TFilterExpression> filterExpr_;
  std::vector<TField*> filterFields_;
  TFilterRecordEvent onFilterRecord_;

  std::vector<TDataSource*> dataSources_;  // not owned
  int disableCount_ = 0;
  TDataSetState disableState_ = dsInactive;
  TDataEvent enableEvent_ = deDataSetChange;
  bool pendingEnableEvent_ = false;
  bool centerPending_ = false;  // the next resync centres the current record
  bool destroying_ = false;

  TDataSetNotifyEvent evBeforeOpen_, evAfterOpen_, evBeforeClose_, evAfterClose_;
  TDataSetNotifyEvent evBeforeInsert_, evAfterInsert_, evBeforeEdit_, evAfterEdit_;
  TDataSetNotifyEvent evBeforePost_, evAfterPost_, evBeforeCancel_, evAfterCancel_;
  TDataSetNotifyEvent evBeforeDelete_, evAfterDelete_, evBeforeScroll_, evAfterScroll_;
  TDataSetNotifyEvent evBeforeRefresh_, evAfterRefresh_, evOnNewRecord_, evOnCalcFields_;
  TDataSetErrorEvent evOnPostError_, evOnDeleteError_, evOnEditError_;
};

#undef DB_DATASET_EVENT

// --- the buffered base ------------------------------------------------------------
// One record as the memory store keeps it.
struct TMemRecord {
  TDataSet::TRowId Id = 0;
  std::vector<Variant> Values;          // current values, FieldDefs order
  std::vector<Variant> OriginalValues;  // before the first cached change (usModified, usDeleted)
  TUpdateStatus Status = usUnmodified;
  Int64 ChangeOrder = 0;  // when the record was first changed (cached updates)
};

class TCustomMemDataSet : public TDataSet {
  RTL_CLASS(TCustomMemDataSet, TDataSet)

 public:
  explicit TCustomMemDataSet(rtl::TComponent* owner);
  ~TCustomMemDataSet() override;

  // Opens with the FieldDefs (made from persistent fields when empty) and no records.
  void CreateDataSet();
  // Removes every record (no update log entries).
  void EmptyDataSet();

  // --- cached updates
  bool CachedUpdates() const { return cachedUpdates_; }
  void SetCachedUpdates(bool value);
  bool UpdatesPending() const;
  int ChangeCount() const;
  // Changed records in the order they were first changed; deleted ones included.
  std::vector<const TMemRecord*> ChangedRecords() const;
  // The record `id` was written: it becomes unmodified (a deleted one goes).
  void CommitUpdate(TRowId id);
  void CommitUpdates();
  // Restores every changed record (inserted ones go, deleted ones return).
  void CancelUpdates();
  // Restores the current record.
  void RevertRecord();
  // Of the current record.
  TUpdateStatus UpdateStatus() const;
  const TMemRecord* FindRecord(TRowId id) const;

  // --- master/detail: records whose IndexFieldNames (or, when empty, the
  // MasterFields names) equal the master's MasterFields values.
  TDataSource* MasterSource() const;
  void SetMasterSource(TDataSource* value);
  const String& MasterFields() const;
  void SetMasterFields(const String& value);
  // Orders the records by these fields (";" list) and names the detail keys.
  const String& IndexFieldNames() const { return indexFieldNames_; }
  void SetIndexFieldNames(const String& value);
  TDataSource* DataSource() const override { return MasterSource(); }

 protected:
  // --- what a descendant supplies (see the top of this file)
  virtual void OpenData() {}
  virtual void CloseData() {}
  virtual void WriteRecord(TUpdateStatus status, const TMemRecord& record,
                           std::vector<Variant>& newValues) {}
  // Adds a record read from the source (unmodified, no log entry).
  TRowId AppendLoadedRecord(std::vector<Variant> values);
  // Room for `count` more records, when the source knows how many it loads.
  void ReserveRecords(std::size_t count);
  // Removes every record.
  void ClearRecords();

  // TDataSet's record store.
  void InternalOpen() override;
  void InternalClose() override;
  int StoreCount() const override;
  TRowId StoreRowId(int index) const override;
  Variant StoreValue(TRowId row, int defIndex) const override;
  TRowId StoreInsert(TRowId before, std::vector<Variant>& values) override;
  void StoreUpdate(TRowId row, std::vector<Variant>& values) override;
  void StoreDelete(TRowId row) override;
  bool RowInRange(TRowId row) const override;
  void OrderRows(std::vector<TRowId>& rows) const override;
  void InitRecord(std::vector<Variant>& values) override;
  bool RowsOrdered() const override;

 private:
  TMemRecord* record(TRowId id);
  int indexOf(TRowId id) const;
  void masterChange(rtl::TObject* sender);
  std::vector<int> defIndexes(StringView fieldNames) const;
  void resolveIndexes() const;
  void markChanged(TMemRecord& rec);
  void resyncAfterLogChange();

  // Adds a record under the next id.
  TMemRecord& addRecord();
  // Removes a record from the store (not from order_).
  void dropRecord(TRowId id);

  // Every record, deleted ones (kept for the log) included, in the slot of
  // its id: slots_[id - firstId_]. Ids only grow, so records are appended; a
  // removed one leaves an empty slot (Id 0) until none is left. Then their
  // store order.
  std::vector<TMemRecord> slots_;
  TRowId firstId_ = 1;
  std::size_t live_ = 0;
  std::vector<TRowId> order_;
  mutable std::unordered_map<TRowId, int> index_;
  mutable bool indexValid_ = false;
  TRowId nextId_ = 1;
  Int64 changeCounter_ = 0;
  mutable std::vector<int> detailIdx_;
  mutable std::vector<int> orderIdx_;
  mutable bool idxValid_ = false;
  bool cachedUpdates_ = false;
  String indexFieldNames_;
  std::unique_ptr<TMasterDataLink> masterLink_;
};

}  // namespace db
