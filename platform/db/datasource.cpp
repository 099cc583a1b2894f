#include "platform/db/datasource.h"

#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace db {

// --- TDataSource -------------------------------------------------------------------------
TDataSource::TDataSource(rtl::TComponent* owner) : rtl::TComponent(owner) {}

TDataSource::~TDataSource() {
  onStateChange_ = nullptr;
  onDataChange_ = nullptr;
  onUpdateData_ = nullptr;
  while (!links_.empty()) links_.back()->SetDataSource(nullptr);
  if (dataSet_) {
    dataSet_->removeDataSource(this);
    dataSet_ = nullptr;
  }
}

void TDataSource::SetDataSet(TDataSet* value) {
  if (value == dataSet_) return;
  if (value && value->IsLinkedTo(this)) DatabaseError(u"Circular datalinks are not allowed", this);
  if (dataSet_) {
    dataSet_->removeDataSource(this);
    if (!dataSet_->destroying_) RemoveFreeNotification(dataSet_);
  }
  dataSet_ = value;
  if (value) {
    value->addDataSource(this);
    FreeNotification(value);
  }
  updateState();
}

void TDataSource::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  updateState();
}

void TDataSource::Edit() {
  if (autoEdit_ && state_ == dsBrowse && dataSet_) dataSet_->Edit();
}

bool TDataSource::IsLinkedTo(const TDataSet* dataSet) const {
  // Walks this source's dataset and the masters it reads from.
  const TDataSet* ds = dataSet_;
  for (int guard = 0; ds && guard < 64; ++guard) {
    if (ds == dataSet) return true;
    TDataSource* src = ds->DataSource();
    ds = src ? src->DataSet() : nullptr;
  }
  return false;
}

void TDataSource::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  rtl::TComponent::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove && component == dataSet_) SetDataSet(nullptr);
}

void TDataSource::addDataLink(TDataLink* link) {
  links_.push_back(link);
  if (dataSet_) dataSet_->updateBufferCount();
}

void TDataSource::removeDataLink(TDataLink* link) {
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it != links_.end()) links_.erase(it);
  if (dataSet_ && !dataSet_->destroying_) dataSet_->updateBufferCount();
}

void TDataSource::updateState() {
  TDataSetState state = enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
  bool changed = state != state_;
  state_ = state;
  std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->updateState();
  if (changed && onStateChange_) onStateChange_(this);
}

void TDataSource::notifyLinks(TDataEvent event, NativeInt info, bool visual) {
  if (event == deUpdateState) {
    TDataSetState state = enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
    if (state != state_) {
      state_ = state;
      stateChangePending_ = true;
    }
  } else if (state_ == dsInactive && event != deDisabledStateChange) {
    return;
  }
  std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links) {
    if (link->visualControl_ != visual) continue;
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) continue;
    link->DataEvent(event, info);
  }
  if (!visual) return;
  switch (event) {
    case deUpdateState:
      if (stateChangePending_) {
        stateChangePending_ = false;
        if (onStateChange_) onStateChange_(this);
      }
      break;
    case deFieldChange:
    case deRecordChange:
      if (onDataChange_) onDataChange_(this, reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (onDataChange_) onDataChange_(this, nullptr);
      break;
    case deUpdateRecord:
      if (onUpdateData_) onUpdateData_(this);
      break;
    default:
      break;
  }
}

// --- TDataLink ---------------------------------------------------------------------------------
TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (dataSource_) dataSource_->removeDataLink(this);
  dataSource_ = nullptr;
}

void TDataLink::SetDataSource(TDataSource* value) {
  if (value == dataSource_) return;
  if (dataSource_) dataSource_->removeDataLink(this);
  dataSource_ = value;
  if (value) value->addDataLink(this);
  updateState();
}

TDataSet* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool value) {
  if (readOnly_ == value) return;
  readOnly_ = value;
  updateState();
}

void TDataLink::updateState() {
  TDataSet* ds = DataSet();
  setActive(dataSource_ && dataSource_->Enabled() && ds && ds->Active());
  setEditing(active_ && IsEditState(ds->State()) && !readOnly_);
}

void TDataLink::setActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  if (value) {
    TDataSet* ds = DataSet();
    firstRecord_ = ds->firstRecord_;
    ds->updateBufferCount();
    updateRange();
  } else {
    firstRecord_ = 0;
  }
  ActiveChanged();
}

void TDataLink::setEditing(bool value) {
  if (editing_ == value) return;
  editing_ = value;
  EditingChanged();
}

int TDataLink::updateRange() {
  TDataSet* ds = DataSet();
  if (!ds || !active_) return 0;
  return ds->windowShift(firstRecord_, bufferCount_);
}

void TDataLink::SetBufferCount(int value) {
  if (value < 1) value = 1;
  if (bufferCount_ == value) return;
  bufferCount_ = value;
  if (active_) {
    DataSet()->updateBufferCount();
    updateRange();
  }
}

int TDataLink::ActiveRecord() const {
  if (!active_) return 0;
  return DataSet()->cur_ - firstRecord_;
}

void TDataLink::SetActiveRecord(int value) {
  if (!active_) return;
  TDataSet* ds = DataSet();
  int pos = firstRecord_ + value;
  if (pos < 0 || pos >= static_cast<int>(ds->view_.size())) return;
  ds->cur_ = pos;
}

int TDataLink::RecordCount() const {
  if (!active_) return 0;
  int n = static_cast<int>(DataSet()->view_.size()) - firstRecord_;
  return std::clamp(n, 0, bufferCount_);
}

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_) dataSource_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  const rtl::ScopedValue<bool> updating(updating_, true);
  UpdateData();
}

int TDataLink::MoveBy(int distance) {
  TDataSet* ds = DataSet();
  return ds ? ds->MoveBy(distance) : 0;
}

void TDataLink::DataEvent(TDataEvent event, NativeInt info) {
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
      updateRange();
      DataSetChanged();
      break;
    case deDataSetScroll:
      DataSetScrolled(updateRange());
      break;
    case deLayoutChange:
      updateRange();
      LayoutChanged();
      break;
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deUpdateState:
      updateState();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField**>(info));
      break;
    default:
      break;
  }
}

// --- TFieldDataLink -------------------------------------------------------------------------------
TFieldDataLink::TFieldDataLink() { SetVisualControl(true); }

TFieldDataLink::~TFieldDataLink() = default;

void TFieldDataLink::SetFieldName(const String& value) {
  if (fieldName_ == value) return;
  fieldName_ = value;
  updateField();
}

void TFieldDataLink::updateField() {
  if (Active() && !fieldName_.empty())
    setField(DataSet()->FieldByName(fieldName_));
  else
    setField(nullptr);
}

void TFieldDataLink::setField(TField* value) {
  if (field_ == value) return;
  field_ = value;
  EditingChanged();
  RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && field_ && field_->CanModify(); }

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

bool TFieldDataLink::Edit() {
  if (CanModify()) TDataLink::Edit();
  return fieldEditing_;
}

void TFieldDataLink::ActiveChanged() {
  updateField();
  if (onActiveChange_) onActiveChange_(this);
}

void TFieldDataLink::EditingChanged() {
  bool value = TDataLink::Editing() && CanModify();
  if (value == fieldEditing_) return;
  fieldEditing_ = value;
  modified_ = false;
  if (onEditingChange_) onEditingChange_(this);
}

void TFieldDataLink::FocusControl(TField** field) {
  if (field && *field && *field == field_ && control_) *field = nullptr;
}

void TFieldDataLink::LayoutChanged() { updateField(); }

void TFieldDataLink::RecordChanged(TField* field) {
  if (field == nullptr || field == field_) {
    if (onDataChange_) onDataChange_(this);
    modified_ = false;
  }
}

void TFieldDataLink::UpdateData() {
  if (!modified_) return;
  if (field_ && onUpdateData_) onUpdateData_(this);
  modified_ = false;
}

// --- TMasterDataLink --------------------------------------------------------------------------------
TMasterDataLink::TMasterDataLink(TDataSet* detail) : detail_(detail) {}

void TMasterDataLink::SetFieldNames(const String& value) {
  if (fieldNames_ == value) return;
  fieldNames_ = value;
  ActiveChanged();
}

void TMasterDataLink::resolveFields() {
  fields_.clear();
  if (Active() && !fieldNames_.empty()) {
    // No half-resolved list stays behind.
    rtl::ScopeExit clearOnFailure([this] { fields_.clear(); });
    DataSet()->GetFieldList(fields_, fieldNames_);
    clearOnFailure.Release();
  }
}

void TMasterDataLink::masterChanged() {
  if (!detail_->Active() || detail_->ComponentState().contains(rtl::TComponentStateItem::csDestroying))
    return;
  if (Active() && !fields_.empty()) {
    if (onMasterChange_) onMasterChange_(this);
  } else if (onMasterDisable_) {
    onMasterDisable_(this);
  }
}

void TMasterDataLink::ActiveChanged() {
  resolveFields();
  masterChanged();
}

void TMasterDataLink::CheckBrowseMode() {
  if (detail_->Active() && IsEditState(detail_->State())) detail_->CheckBrowseMode();
}

void TMasterDataLink::LayoutChanged() { ActiveChanged(); }

void TMasterDataLink::RecordChanged(TField* field) {
  if (!Active() || fields_.empty()) return;
  if (DataSource()->State() == dsSetKey) return;
  if (field && std::find(fields_.begin(), fields_.end(), field) == fields_.end()) return;
  masterChanged();
}

void TMasterDataLink::DataSetChanged() { RecordChanged(nullptr); }

void TMasterDataLink::DataSetScrolled(int) { RecordChanged(nullptr); }

}  // namespace db
