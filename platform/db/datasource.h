#pragma once
// TDataSource connects data links (grids, editors, master-detail links) to a
// dataset. Each TDataLink sees its own window of the dataset's records:
// BufferCount records starting at its first record, with ActiveRecord the
// current record's row inside that window. Moving the dataset shifts a
// window only as far as needed to keep the current record inside it, and the
// shift arrives as DataSetScrolled(distance).
#include <vector>

#include "platform/db/dbtypes.h"
#include "platform/rtl/classes.h"

namespace db {

class TDataSource : public rtl::TComponent {
  RTL_CLASS(TDataSource, rtl::TComponent)

 public:
  explicit TDataSource(rtl::TComponent* owner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Whether an edit from a data-aware control puts the dataset in dsEdit.
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool value) { autoEdit_ = value; }
  // The dataset's state; dsInactive without a dataset or when disabled.
  TDataSetState State() const { return state_; }
  // Puts a browsing dataset in dsEdit when AutoEdit is on.
  void Edit();
  bool IsLinkedTo(const TDataSet* dataSet) const;

  const rtl::TNotifyEvent& OnStateChange() const { return onStateChange_; }
  void SetOnStateChange(const rtl::TNotifyEvent& value) { onStateChange_ = value; }
  const TDataChangeEvent& OnDataChange() const { return onDataChange_; }
  void SetOnDataChange(const TDataChangeEvent& value) { onDataChange_ = value; }
  const rtl::TNotifyEvent& OnUpdateData() const { return onUpdateData_; }
  void SetOnUpdateData(const rtl::TNotifyEvent& value) { onUpdateData_ = value; }

  int DataLinkCount() const { return static_cast<int>(links_.size()); }
  TDataLink* DataLinks(int index) const { return links_.at(static_cast<size_t>(index)); }

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void addDataLink(TDataLink* link);
  void removeDataLink(TDataLink* link);
  // Delivers an event to the links of one kind (visual or not) and, with the
  // visual ones, to this source's own handlers.
  void notifyLinks(TDataEvent event, NativeInt info, bool visual);
  void updateState();

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  bool autoEdit_ = true;
  TDataSetState state_ = dsInactive;
  std::vector<TDataLink*> links_;  // not owned
  bool stateChangePending_ = false;
  rtl::TNotifyEvent onStateChange_;
  TDataChangeEvent onDataChange_;
  rtl::TNotifyEvent onUpdateData_;
};

class TDataLink : public rtl::TPersistent {
  RTL_CLASS(TDataLink, rtl::TPersistent)

 public:
  TDataLink();
  // Leaves its data source.
  ~TDataLink() override;

  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* value);
  TDataSet* DataSet() const;
  // The source is enabled and its dataset open.
  bool Active() const { return active_; }
  // The source's dataset is in an edit state and the link is not read-only.
  bool Editing() const { return editing_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // Visual links (controls) get nothing while the dataset's controls are
  // disabled and are told after non-visual ones.
  bool VisualControl() const { return visualControl_; }
  void SetVisualControl(bool value) { visualControl_ = value; }

  // --- the window
  int BufferCount() const { return bufferCount_; }
  void SetBufferCount(int value);
  // The current record's row in this link's window (0 when inactive).
  int ActiveRecord() const;
  // Makes row `value` of the window the dataset's current record, without
  // events: for reading the values of the window's rows.
  void SetActiveRecord(int value);
  // Records in the window (at most BufferCount; 0 when inactive).
  int RecordCount() const;

  // Puts the dataset in dsEdit through the source (AutoEdit); answers Editing.
  bool Edit();
  // Asks the link for its control's value (UpdateData) with RecordChanged muted.
  void UpdateRecord();
  // The dataset's MoveBy; answers the distance moved.
  int MoveBy(int distance);
  virtual bool ExecuteAction(rtl::TObject* action) { return false; }
  virtual bool UpdateAction(rtl::TObject* action) { return false; }

  // Handles an event of the dataset: the base keeps the window and state in
  // step and calls the virtuals below.
  virtual void DataEvent(TDataEvent event, NativeInt info);

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  // The base calls DataSetChanged.
  virtual void DataSetScrolled(int distance) { DataSetChanged(); }
  virtual void EditingChanged() {}
  // `field` points at the field to focus; a link that focuses it clears it.
  virtual void FocusControl(TField** field) {}
  // The base calls DataSetChanged.
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* field) {}
  virtual void UpdateData() {}
  // Index of the window's first record in the dataset's order.
  int FirstRecord() const { return firstRecord_; }

 private:
  friend class TDataSource;
  friend class TDataSet;
  void updateState();
  void setActive(bool value);
  void setEditing(bool value);
  // Moves the window to hold the dataset's current record; answers the shift.
  int updateRange();

  TDataSource* dataSource_ = nullptr;
  int bufferCount_ = 1;
  int firstRecord_ = 0;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;
  bool visualControl_ = false;
};

// Binds one field by name for a data-aware control.
class TFieldDataLink : public TDataLink {
  RTL_CLASS(TFieldDataLink, TDataLink)

 public:
  TFieldDataLink();
  ~TFieldDataLink() override;

  TField* Field() const { return field_; }
  // The link is editing and its field can be modified.
  bool Editing() const { return fieldEditing_; }
  const String& FieldName() const { return fieldName_; }
  void SetFieldName(const String& value);
  // Whether the field can be changed through this link.
  bool CanModify() const;
  // Set by the control after the user changed its text; cleared by Reset and
  // after UpdateData.
  void Modified() { modified_ = true; }
  bool IsModified() const { return modified_; }
  // Drops the control's change: the field's value is shown again.
  void Reset();
  // Edit only when the field can be modified.
  bool Edit();
  rtl::TComponent* Control() const { return control_; }
  void SetControl(rtl::TComponent* value) { control_ = value; }

  const rtl::TNotifyEvent& OnDataChange() const { return onDataChange_; }
  void SetOnDataChange(const rtl::TNotifyEvent& value) { onDataChange_ = value; }
  const rtl::TNotifyEvent& OnEditingChange() const { return onEditingChange_; }
  void SetOnEditingChange(const rtl::TNotifyEvent& value) { onEditingChange_ = value; }
  const rtl::TNotifyEvent& OnUpdateData() const { return onUpdateData_; }
  void SetOnUpdateData(const rtl::TNotifyEvent& value) { onUpdateData_ = value; }
  const rtl::TNotifyEvent& OnActiveChange() const { return onActiveChange_; }
  void SetOnActiveChange(const rtl::TNotifyEvent& value) { onActiveChange_ = value; }

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField** field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  void updateField();
  void setField(TField* value);

  TField* field_ = nullptr;
  String fieldName_;
  rtl::TComponent* control_ = nullptr;
  bool modified_ = false;
  bool fieldEditing_ = false;
  rtl::TNotifyEvent onDataChange_;
  rtl::TNotifyEvent onEditingChange_;
  rtl::TNotifyEvent onUpdateData_;
  rtl::TNotifyEvent onActiveChange_;
};

// A non-visual link that calls a dataset back when its master moves or
// changes: the detail side of master/detail.
class TMasterDataLink : public TDataLink {
  RTL_CLASS(TMasterDataLink, TDataLink)

 public:
  explicit TMasterDataLink(TDataSet* detail);

  TDataSet* Detail() const { return detail_; }
  // ";"-separated names of the master's key fields.
  const String& FieldNames() const { return fieldNames_; }
  void SetFieldNames(const String& value);
  // The master's key fields (resolved when the link becomes active).
  const std::vector<TField*>& Fields() const { return fields_; }

  const rtl::TNotifyEvent& OnMasterChange() const { return onMasterChange_; }
  void SetOnMasterChange(const rtl::TNotifyEvent& value) { onMasterChange_ = value; }
  const rtl::TNotifyEvent& OnMasterDisable() const { return onMasterDisable_; }
  void SetOnMasterDisable(const rtl::TNotifyEvent& value) { onMasterDisable_ = value; }

 protected:
  void ActiveChanged() override;
  void CheckBrowseMode() override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;

 private:
  void resolveFields();
  void masterChanged();

  TDataSet* detail_;
  String fieldNames_;
  std::vector<TField*> fields_;
  rtl::TNotifyEvent onMasterChange_;
  rtl::TNotifyEvent onMasterDisable_;
};

}  // namespace db
