#include "platform/db/dataset.h"

#include <algorithm>
#include <cstring>

#include "platform/db/filter.h"
#include "platform/db/params.h"
#include "platform/db/value_conversion.h"
#include "platform/rtl/format.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"

namespace db {

using rtl::Null;
using rtl::ScopedValue;

namespace {


std::vector<String> splitNames(StringView names) {
  std::vector<String> out;
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(u';', start);
    if (end == StringView::npos) end = names.size();
    String name = rtl::Trim(names.substr(start, end - start));
    if (!name.empty()) out.push_back(name);
    start = end + 1;
  }
  return out;
}

TBookmark encodeBookmark(TDataSet::TRowId id) {
  TBookmark b(sizeof(id));
  std::memcpy(b.data(), &id, sizeof(id));
  return b;
}

// Runs `op`, asking `onError` what to do when it fails: try it again
// (daRetry), stop quietly (daAbort) or let the error through (daFail).
template <class Op>
void runWithErrorAction(TDataSet* dataSet, const TDataSetErrorEvent& onError, Op op) {
  for (;;) {
    try {
      op();
      return;
    } catch (EDatabaseError& e) {
      TDataAction action = daFail;
      if (onError) onError(dataSet, e, action);
      if (action == daFail) throw;
      if (action == daAbort) rtl::Abort();
    }
  }
}

TDataSet::TRowId decodeBookmark(const TBookmark& b) {
  if (b.size() != sizeof(TDataSet::TRowId)) return 0;
  TDataSet::TRowId id;
  std::memcpy(&id, b.data(), sizeof(id));
  return id;
}

}  // namespace

// --- construction ----------------------------------------------------------------------
TDataSet::TDataSet(rtl::TComponent* owner)
    : rtl::TComponent(owner),
      fieldDefs_(std::make_unique<TFieldDefs>(this)),
      fields_(std::make_unique<TFields>(this)),
      aggFields_(std::make_unique<TFields>(this)) {}

TDataSet::~TDataSet() {
  destroying_ = true;
  // A descendant's part is gone by now, so no InternalClose: what it holds
  // goes with its own destructor.
  state_ = dsInactive;
  // Data sources and fields must forget this dataset before its members go.
  while (!dataSources_.empty()) dataSources_.back()->SetDataSet(nullptr);
  std::vector<TField*> fields = fields_->List();
  fields_->Clear();
  for (TField* f : fields) {
    f->dataSet_ = nullptr;
    if (f->Owner() == this) f->Free();
  }
  freeKeptFields();
}

// --- open and close ----------------------------------------------------------------------
void TDataSet::SetActive(bool value) {
  if (value == Active()) return;
  if (value) {
    DoBeforeOpen();
    state_ = dsOpening;
    try {
      openCursor();
    } catch (...) {
      state_ = dsInactive;
      try {
        closeCursor();
      } catch (...) {
      }
      throw;
    }
    state_ = dsInactive;
    SetState(dsBrowse);
    DoAfterOpen();
    if (!IsEmpty()) DoAfterScroll();
  } else {
    DoBeforeClose();
    SetState(dsInactive);
    closeCursor();
    DoAfterClose();
  }
}

void TDataSet::openCursor() {
  InternalOpen();
  if (fields_->Count() == 0) {
    if (!takeBackKeptFields()) CreateFields();
    defaultFields_ = true;
  } else {
    freeKeptFields();
    defaultFields_ = false;
  }
  BindFields(true);
  filterFields_.clear();
  calcCache_.clear();
  RebuildView();
  cur_ = 0;
  firstRecord_ = 0;
  bof_ = true;
  eof_ = view_.empty();
}

void TDataSet::closeCursor() {
  InternalClose();
  BindFields(false);
  if (defaultFields_) keepDefaultFields();
  defaultFields_ = false;
  view_.clear();
  positions_.clear();
  positionsValid_ = false;
  calcCache_.clear();
  clearEditBuffer();
  filterFields_.clear();
  cur_ = 0;
  firstRecord_ = 0;
  bof_ = eof_ = true;
}

void TDataSet::CreateFields() {
  for (int i = 0; i < fieldDefs_->Count(); ++i) fieldDefs_->Items(i)->CreateField(this, this);
}

void TDataSet::DestroyFields() {
  std::vector<TField*> fields = fields_->List();
  for (TField* f : fields)
    if (f->Owner() == this) f->Free();
}

void TDataSet::keepDefaultFields() {
  freeKeptFields();
  const std::vector<TField*>& fields = fields_->List();
  // Only a set made by CreateFields, untouched since: one field per
  // definition, in its order and of its kind.
  bool keep = static_cast<int>(fields.size()) == fieldDefs_->Count();
  for (size_t i = 0; keep && i < fields.size(); ++i) {
    TField* f = fields[i];
    TFieldDef* def = fieldDefs_->Items(static_cast<int>(i));
    keep = f->Owner() == this && f->FieldKind() == fkData && f->FieldName() == def->Name() &&
           f->DataType() == def->DataType() && f->ClassType() == def->FieldClass().get();
  }
  if (!keep) {
    DestroyFields();
    return;
  }
  std::vector<KeptField> kept;
  kept.reserve(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    TFieldDef* def = fieldDefs_->Items(static_cast<int>(i));
    kept.push_back({fields[i], def->DataType(), def->Size(), def->Precision()});
  }
  // Out of Fields as DestroyFields would take them: a closed dataset shows
  // no default fields.
  fields_->Clear();
  for (const KeptField& k : kept) k.Field->dataSet_ = nullptr;
  keptFields_ = std::move(kept);
}

bool TDataSet::takeBackKeptFields() {
  if (keptFields_.empty()) return false;
  bool same = static_cast<int>(keptFields_.size()) == fieldDefs_->Count();
  for (size_t i = 0; same && i < keptFields_.size(); ++i) {
    const KeptField& k = keptFields_[i];
    TFieldDef* def = fieldDefs_->Items(static_cast<int>(i));
    same = k.Field->FieldName() == def->Name() && k.Type == def->DataType() &&
           k.Size == def->Size() && k.Precision == def->Precision();
  }
  if (!same) {
    freeKeptFields();
    return false;
  }
  std::vector<KeptField> kept = std::move(keptFields_);
  keptFields_.clear();
  // Their names are the definitions' own, unique: no checks to make again.
  fields_->Reserve(kept.size());
  for (size_t i = 0; i < kept.size(); ++i) {
    TField* f = kept[i].Field;
    TFieldDef* def = fieldDefs_->Items(static_cast<int>(i));
    // As a new field from this definition would be.
    f->SetRequired(def->Required());
    f->SetReadOnly(def->ReadOnly());
    fields_->Add(f);
    f->dataSet_ = this;
  }
  return true;
}

void TDataSet::freeKeptFields() {
  std::vector<KeptField> kept = std::move(keptFields_);
  keptFields_.clear();
  for (KeptField& k : kept) k.Field->Free();
}

void TDataSet::BindFields(bool binding) {
  calcCount_ = 0;
  hasCalcFields_ = false;
  for (TField* f : fields_->List()) {
    f->fieldNo_ = 0;
    f->calcIndex_ = -1;
    if (!binding) continue;
    if (f->FieldKind() == fkData) {
      TFieldDef* def = fieldDefs_->FindDef(f->FieldName());
      if (!def) DatabaseErrorFmt(u"Field '%s' not found", {f->FieldName()}, this);
      f->fieldNo_ = def->FieldNo();
    } else if (f->FieldKind() != fkAggregate) {
      f->calcIndex_ = calcCount_++;
      hasCalcFields_ = true;
    }
  }
}

void TDataSet::SetState(TDataSetState value) {
  if (state_ == value) return;
  state_ = value;
  modified_ = false;
  DataEvent(deUpdateState, 0);
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError(u"Cannot perform this operation on a closed dataset", this);
}

void TDataSet::CheckInactive() const {
  if (Active()) DatabaseError(u"Cannot perform this operation on an open dataset", this);
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(u"Cannot modify a read-only dataset", this);
}

// --- fields ---------------------------------------------------------------------------------
int TDataSet::FieldCount() const { return fields_->Count(); }

TField* TDataSet::FindField(StringView name) const { return fields_->FindField(name); }

TField* TDataSet::FieldByName(StringView name) const { return fields_->FieldByName(name); }

void TDataSet::GetFieldList(std::vector<TField*>& list, StringView fieldNames) const {
  for (const String& name : splitNames(fieldNames)) list.push_back(FieldByName(name));
}

void TDataSet::GetFieldNames(rtl::TStrings* list) const {
  const rtl::UpdateScope<rtl::TStrings> update(*list);
  list->Clear();
  if (Active() || fields_->Count() > 0) {
    for (TField* f : fields_->List()) list->Add(f->FieldName());
  } else {
    for (int i = 0; i < fieldDefs_->Count(); ++i) list->Add(fieldDefs_->Items(i)->Name());
  }
}

Variant TDataSet::FieldValues(StringView fieldNames) const {
  std::vector<TField*> fields;
  GetFieldList(fields, fieldNames);
  if (fields.size() == 1) return fields[0]->Value();
  std::vector<Variant> values;
  for (TField* f : fields) values.push_back(f->Value());
  return rtl::VarArrayOf(values);
}

void TDataSet::SetFieldValues(StringView fieldNames, const Variant& value) {
  std::vector<TField*> fields;
  GetFieldList(fields, fieldNames);
  if (fields.size() == 1 && !rtl::VarIsArray(value)) {
    fields[0]->SetValue(value);
    return;
  }
  for (size_t i = 0; i < fields.size(); ++i)
    fields[i]->SetValue(rtl::VarArrayGet(value, rtl::VarArrayLowBound(value, 1) + static_cast<int>(i)));
}

void TDataSet::ClearFields() {
  if (!IsEditState(state_)) DatabaseError(u"Dataset not in edit or insert mode", this);
  DataEvent(deCheckBrowseMode, 0);
  for (Variant& v : editValues_) v = Null();
  for (Variant& v : editCalc_) v = Null();
  recalcEditRecord();
  modified_ = true;
  DataEvent(deRecordChange, 0);
}

const rtl::TFormatSettings& TDataSet::FormatSettings() const {
  return formatSettings_ ? *formatSettings_ : rtl::FormatSettings();
}

void TDataSet::addField(TField* field) {
  fields_->Add(field);
  field->dataSet_ = this;
  fieldListChanged();
}

void TDataSet::removeField(TField* field) {
  fields_->Remove(field);
  field->dataSet_ = nullptr;
  if (!destroying_) fieldListChanged();
}

void TDataSet::fieldListChanged() {
  if (!destroying_ && Active()) DataEvent(deFieldListChange, 0);
}

// --- reading and writing values -------------------------------------------------------------
Variant TDataSet::rowFieldValue(TRowId row, const TField* field) const {
  if (row == 0) return Null();
  if (field->FieldKind() == fkData) {
    int i = field->fieldNo_ - 1;
    if (i < 0) return Null();
    if (row == kEditing) return static_cast<size_t>(i) < editValues_.size() ? editValues_[i] : Null();
    return StoreValue(row, i);
  }
  int c = field->calcIndex_;
  if (c < 0) return Null();
  if (tempCalc_ && tempRow_ == row) return (*tempCalc_)[static_cast<size_t>(c)];
  if (row == kEditing) return static_cast<size_t>(c) < editCalc_.size() ? editCalc_[c] : Null();
  return calcValuesOf(row)[static_cast<size_t>(c)];
}

Variant TDataSet::fieldValue(const TField* field) const {
  if (field->FieldKind() == fkAggregate) return Null();
  if (!Active() && state_ != dsOpening) return Null();
  return rowFieldValue(currentRow(), field);
}

Variant TDataSet::oldFieldValue(const TField* field) const {
  if (field->FieldKind() != fkData || field->fieldNo_ <= 0) return fieldValue(field);
  TRowId row = currentRow();
  if (row == kEditing) {
    if (state_ == dsInsert || editRow_ == 0) return Null();
    row = editRow_;
  }
  if (row == 0) return Null();
  return StoreValue(row, field->fieldNo_ - 1);
}

[[gnu::always_inline]] inline int TDataSet::fieldSlot(TField* field) {
  if (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc) {
    if (field->calcIndex_ < 0)
      DatabaseErrorFmt(u"Field '%s' cannot be modified", {field->DisplayName()}, this);
    if (state_ == dsCalcFields && tempCalc_) return -1;
    if (!IsEditState(state_) || currentRow() != kEditing)
      DatabaseError(u"Dataset not in edit or insert mode", this);
    return -1;
  }
  if (field->FieldKind() == fkInternalCalc) {
    DatabaseErrorFmt(u"Field '%s' cannot be modified", {field->DisplayName()}, this);
  }
  if (!IsEditState(state_) || currentRow() != kEditing)
    DatabaseError(u"Dataset not in edit or insert mode", this);
  if (field->ReadOnly())
    DatabaseErrorFmt(u"Field '%s' cannot be modified", {field->DisplayName()}, this);
  size_t i = static_cast<size_t>(field->fieldNo_ - 1);
  if (i >= editValues_.size()) DatabaseErrorFmt(u"Field '%s' not found", {field->FieldName()}, this);
  return static_cast<int>(i);
}

[[gnu::always_inline]] inline void TDataSet::storeFieldValue(TField* field, int slot, Variant&& stored) {
  if (slot < 0) {
    size_t c = static_cast<size_t>(field->calcIndex_);
    if (state_ == dsCalcFields && tempCalc_) {
      (*tempCalc_)[c] = std::move(stored);
      return;
    }
    editCalc_[c] = std::move(stored);
    DataEvent(deFieldChange, reinterpret_cast<NativeInt>(field));
    return;
  }
  Variant& target = editValues_[static_cast<size_t>(slot)];
  if (field->onValidate_ && !field->validating_) {
    Variant old = std::move(target);
    target = std::move(stored);
    // A handler that refuses the value leaves the old one in place.
    rtl::ScopeExit restoreOnFailure([&] { editValues_[static_cast<size_t>(slot)] = std::move(old); });
    {
      ScopedValue<bool> guard(field->validating_, true);
      field->onValidate_(field);
    }
    restoreOnFailure.Release();
  } else {
    target = std::move(stored);
  }
  DataEvent(deFieldChange, reinterpret_cast<NativeInt>(field));
}

void TDataSet::setFieldValue(TField* field, const Variant& value) {
  int slot = fieldSlot(field);
  storeFieldValue(field, slot, field->ToStorage(value));
}

void TDataSet::setStoredFieldValue(TField* field, Variant&& stored) {
  int slot = fieldSlot(field);
  storeFieldValue(field, slot, std::move(stored));
}

const std::vector<Variant>& TDataSet::calcValuesOf(TRowId row) const {
  auto it = calcCache_.find(row);
  if (it != calcCache_.end()) return it->second;
  std::vector<Variant> calc(static_cast<size_t>(calcCount_), Null());
  calculateFields(row, calc);
  return calcCache_.emplace(row, std::move(calc)).first->second;
}

void TDataSet::calculateFields(TRowId row, std::vector<Variant>& calc) const {
  auto* self = const_cast<TDataSet*>(this);
  ScopedValue<TDataSetState> st(self->state_, dsCalcFields);
  ScopedValue<TRowId> r(self->tempRow_, row);
  ScopedValue<std::vector<Variant>*> c(self->tempCalc_, &calc);
  for (TField* f : fields_->List()) {
    if (f->FieldKind() != fkLookup || f->calcIndex_ < 0) continue;
    TDataSet* lookup = f->LookupDataSet();
    Variant result = Null();
    if (lookup && lookup->Active() && !f->KeyFields().empty()) {
      Variant keys = FieldValues(f->KeyFields());
      bool anyNull = rtl::VarIsArray(keys) ? false : isNullValue(keys);
      if (!anyNull) result = lookup->Lookup(f->LookupKeyFields(), keys, f->LookupResultField());
    }
    calc[static_cast<size_t>(f->calcIndex_)] = isNullValue(result) ? Null() : f->ToStorage(result);
  }
  self->DoOnCalcFields();
}

void TDataSet::recalcCalcFields() {
  editCalc_.assign(static_cast<size_t>(calcCount_), Null());
  calculateFields(kEditing, editCalc_);
}

// --- view and cursor ---------------------------------------------------------------------------
bool TDataSet::rowAccepted(TRowId row) {
  if (!RowInRange(row)) return false;
  if (!filtered_) return true;
  if (filterExpr_) {
    if (filterFields_.size() != filterExpr_->FieldNames().size()) {
      filterFields_.clear();
      for (const String& name : filterExpr_->FieldNames()) filterFields_.push_back(FieldByName(name));
    }
    bool ok = filterExpr_->Evaluate(
        [&](int i) { return rowFieldValue(row, filterFields_[static_cast<size_t>(i)]); },
        FormatSettings());
    if (!ok) return false;
  }
  if (onFilterRecord_) {
    ScopedValue<TDataSetState> st(state_, dsFilter);
    ScopedValue<TRowId> r(tempRow_, row);
    bool accept = true;
    onFilterRecord_(this, accept);
    if (!accept) return false;
  }
  return true;
}

void TDataSet::RebuildView() {
  std::vector<TRowId> rows;
  int n = StoreCount();
  rows.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    TRowId id = StoreRowId(i);
    if (rowAccepted(id)) rows.push_back(id);
  }
  OrderRows(rows);
  view_ = std::move(rows);
  positionsValid_ = false;
}

int TDataSet::positionOf(TRowId row) const {
  if (row == 0) return -1;
  if (!positionsValid_) {
    positions_.clear();
    positions_.reserve(view_.size());
    for (size_t i = 0; i < view_.size(); ++i)
      if (view_[i] != 0) positions_[view_[i]] = static_cast<int>(i);
    positionsValid_ = true;
  }
  auto it = positions_.find(row);
  return it == positions_.end() ? -1 : it->second;
}

void TDataSet::viewChanged() { positionsValid_ = false; }

void TDataSet::clampCursor() {
  int n = static_cast<int>(view_.size());
  if (cur_ >= n) cur_ = n - 1;
  if (cur_ < 0) cur_ = 0;
}

int TDataSet::windowShift(int& first, int count) const {
  int n = static_cast<int>(view_.size());
  int old = first;
  if (centerPending_) first = cur_ - (count - 1) / 2;
  if (first > n - count) first = n - count;
  if (first < 0) first = 0;
  if (cur_ < first) first = cur_;
  if (cur_ >= first + count) first = cur_ - count + 1;
  if (first < 0) first = 0;
  return first - old;
}

void TDataSet::updateBufferCount() {
  int count = 1;
  for (TDataSource* src : dataSources_)
    for (TDataLink* link : src->links_)
      if (link->active_) count = std::max(count, link->bufferCount_);
  bufferCount_ = count;
  windowShift(firstRecord_, bufferCount_);
}

int TDataSet::ActiveRecord() const { return Active() ? cur_ - firstRecord_ : 0; }

int TDataSet::RecNo() const {
  if (!Active() || view_.empty()) return 0;
  if (state_ == dsInsert && currentRow() == kEditing) return cur_ + 1;
  return cur_ + 1;
}

void TDataSet::SetRecNo(int value) {
  CheckBrowseMode();
  int n = static_cast<int>(view_.size());
  if (n == 0) return;
  value = std::clamp(value, 1, n);
  if (value == cur_ + 1) return;
  DoBeforeScroll();
  cur_ = value - 1;
  bof_ = eof_ = false;
  centerPending_ = true;
  windowShift(firstRecord_, bufferCount_);
  DataEvent(deDataSetChange, 0);
  centerPending_ = false;
  DoAfterScroll();
}

int TDataSet::RecordCount() const {
  if (!Active()) return 0;
  int n = static_cast<int>(view_.size());
  if (state_ == dsInsert && n > 0) --n;  // the new record's place is not a record yet
  return n;
}

bool TDataSet::IsEmpty() const { return !Active() || (RecordCount() == 0 && state_ != dsInsert); }

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  cur_ = 0;
  bof_ = true;
  eof_ = view_.empty();
  windowShift(firstRecord_, bufferCount_);
  calcCache_.clear();
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  int n = static_cast<int>(view_.size());
  cur_ = n > 0 ? n - 1 : 0;
  eof_ = true;
  bof_ = n == 0;
  windowShift(firstRecord_, bufferCount_);
  calcCache_.clear();
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int result = 0;
  DoBeforeScroll();
  if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
    bof_ = eof_ = false;
    int n = static_cast<int>(view_.size());
    if (n == 0) {
      bof_ = eof_ = true;
    } else if (distance > 0) {
      int avail = n - 1 - cur_;
      if (distance > avail) {
        result = avail;
        eof_ = true;
      } else {
        result = distance;
      }
    } else {
      int avail = cur_;
      if (-distance > avail) {
        result = -avail;
        bof_ = true;
      } else {
        result = distance;
      }
    }
    if (result != 0) {
      cur_ += result;
      windowShift(firstRecord_, bufferCount_);
      DataEvent(deDataSetScroll, result);
    }
  }
  DoAfterScroll();
  return result;
}

void TDataSet::goToPosition(int position) {
  cur_ = position;
  bof_ = eof_ = false;
  centerPending_ = true;
  windowShift(firstRecord_, bufferCount_);
  DataEvent(deDataSetChange, 0);
  centerPending_ = false;
}

void TDataSet::Resync() {
  CheckActive();
  TRowId keep = currentRow();
  if (keep == kEditing) return;
  RebuildView();
  int pos = positionOf(keep);
  if (pos >= 0) cur_ = pos;
  clampCursor();
  if (view_.empty()) bof_ = eof_ = true;
  calcCache_.clear();
  windowShift(firstRecord_, bufferCount_);
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  if (evBeforeRefresh_) evBeforeRefresh_(this);
  TRowId keep = currentRow();
  InternalRefresh();
  calcCache_.clear();
  RebuildView();
  int pos = positionOf(keep);
  if (pos >= 0) cur_ = pos;
  clampCursor();
  bof_ = eof_ = view_.empty();
  windowShift(firstRecord_, bufferCount_);
  DataEvent(deDataSetChange, 0);
  if (evAfterRefresh_) evAfterRefresh_(this);
}

void TDataSet::MasterChanged() {
  if (!Active()) return;
  CheckBrowseMode();
  RebuildView();
  calcCache_.clear();
  cur_ = 0;
  firstRecord_ = 0;
  for (TDataSource* src : dataSources_)
    for (TDataLink* link : src->links_) link->firstRecord_ = 0;
  First();
}

// --- editing -------------------------------------------------------------------------------------
void TDataSet::Edit() {
  if (IsEditState(state_)) return;
  CheckActive();
  if (RecordCount() == 0) {
    Append();
    return;
  }
  CheckCanModify();
  DoBeforeEdit();
  TRowId row = currentRow();
  editRow_ = row;
  editValues_.assign(static_cast<size_t>(fieldDefs_->Count()), Null());
  for (int i = 0; i < fieldDefs_->Count(); ++i) editValues_[static_cast<size_t>(i)] = StoreValue(row, i);
  editCalc_ = hasCalcFields_ ? calcValuesOf(row) : std::vector<Variant>();
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  DoAfterEdit();
}

void TDataSet::Append() { doInsert(true); }
void TDataSet::Insert() { doInsert(false); }

void TDataSet::doInsert(bool append) {
  CheckBrowseMode();
  CheckCanModify();
  DoBeforeInsert();
  DoBeforeScroll();
  int n = static_cast<int>(view_.size());
  int pos = append || n == 0 ? n : cur_;
  view_.insert(view_.begin() + pos, 0);
  viewChanged();
  cur_ = pos;
  editRow_ = 0;
  editValues_.assign(static_cast<size_t>(fieldDefs_->Count()), Null());
  editCalc_.assign(static_cast<size_t>(calcCount_), Null());
  InitRecord(editValues_);
  bof_ = false;
  eof_ = append;
  windowShift(firstRecord_, bufferCount_);
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    // The new record's placeholder (id 0) is normally at the cursor; the
    // search is the fallback, so appending n records is not n squared.
    auto it = cur_ >= 0 && cur_ < static_cast<int>(view_.size()) && view_[static_cast<size_t>(cur_)] == 0
                  ? view_.begin() + cur_
                  : std::find(view_.begin(), view_.end(), 0);
    if (it != view_.end()) view_.erase(it);
    viewChanged();
    clampCursor();
    editValues_.clear();
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
    throw;
  }
  recalcEditRecord();
  modified_ = false;
  DataEvent(deDataSetChange, 0);
  DoAfterInsert();
  DoAfterScroll();
}

void TDataSet::checkRequiredFields() {
  for (TField* f : fields_->List()) {
    if (f->FieldKind() != fkData || !f->Required() || f->ReadOnly()) continue;
    if (f->DataType() == ftAutoInc) continue;
    size_t i = static_cast<size_t>(f->fieldNo_ - 1);
    if (i < editValues_.size() && isNullValue(editValues_[i])) {
      DatabaseErrorFmt(u"Field '%s' must have a value", {f->DisplayName()}, this);
    }
  }
}

void TDataSet::postRecord() {
  checkRequiredFields();
  // The store takes the edit buffer over; one that refuses the record
  // leaves it whole.
  std::vector<Variant>& values = editValues_;
  TRowId id;
  if (state_ == dsInsert) {
    // The new record's placeholder (id 0) is normally at the cursor; the
    // search is the fallback, so appending n records is not n squared.
    auto it = cur_ >= 0 && cur_ < static_cast<int>(view_.size()) && view_[static_cast<size_t>(cur_)] == 0
                  ? view_.begin() + cur_
                  : std::find(view_.begin(), view_.end(), 0);
    int pos = it == view_.end() ? static_cast<int>(view_.size()) : static_cast<int>(it - view_.begin());
    // The store takes the record before the one that follows it in view order.
    TRowId before = 0;
    if (pos + 1 < static_cast<int>(view_.size())) before = view_[static_cast<size_t>(pos + 1)];
    id = StoreInsert(before, values);
    if (it != view_.end())
      view_[static_cast<size_t>(pos)] = id;
    else
      view_.push_back(id);
    cur_ = pos;
  } else {
    id = editRow_;
    StoreUpdate(id, values);
  }
  viewChanged();
  calcCache_.erase(id);
  clearEditBuffer();
  if (filtered_ || RowsOrdered()) {
    RebuildView();
    int pos = positionOf(id);
    if (pos >= 0) cur_ = pos;
  }
  clampCursor();
}

void TDataSet::clearEditBuffer() {
  editValues_.clear();
  editCalc_.clear();
  editRow_ = 0;
}

// After a post, cancel or delete: browsing again, the window and the links
// brought up to date.
void TDataSet::backToBrowse() {
  SetState(dsBrowse);
  bof_ = eof_ = view_.empty();
  windowShift(firstRecord_, bufferCount_);
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Post() {
  if (IsEditState(state_)) UpdateRecord();
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforePost();
  runWithErrorAction(this, evOnPostError_, [&] { postRecord(); });
  backToBrowse();
  DoAfterPost();
}

void TDataSet::Cancel() {
  if (!IsEditState(state_)) return;
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeCancel();
  if (state_ == dsInsert) {
    // The new record's placeholder (id 0) is normally at the cursor; the
    // search is the fallback, so appending n records is not n squared.
    auto it = cur_ >= 0 && cur_ < static_cast<int>(view_.size()) && view_[static_cast<size_t>(cur_)] == 0
                  ? view_.begin() + cur_
                  : std::find(view_.begin(), view_.end(), 0);
    if (it != view_.end()) {
      cur_ = static_cast<int>(it - view_.begin());
      view_.erase(it);
    }
    viewChanged();
  } else {
    int pos = positionOf(editRow_);
    if (pos >= 0) cur_ = pos;
  }
  clampCursor();
  clearEditBuffer();
  backToBrowse();
  DoAfterCancel();
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert) {
    Cancel();
    return;
  }
  if (RecordCount() == 0) DatabaseError(u"Cannot perform this operation on an empty dataset", this);
  DataEvent(deCheckBrowseMode, 0);
  DoBeforeDelete();
  DoBeforeScroll();
  TRowId row = state_ == dsEdit ? editRow_ : currentRow();
  runWithErrorAction(this, evOnDeleteError_, [&] { StoreDelete(row); });
  int pos = positionOf(row);
  if (pos >= 0) {
    view_.erase(view_.begin() + pos);
    cur_ = pos;
  }
  viewChanged();
  calcCache_.erase(row);
  clampCursor();
  clearEditBuffer();
  backToBrowse();
  DoAfterDelete();
  DoAfterScroll();
}

void TDataSet::setRecordValues(const std::vector<Variant>& values) {
  int n = std::min(static_cast<int>(values.size()), fields_->Count());
  for (int i = 0; i < n; ++i) {
    TField* f = fields_->Fields(i);
    const Variant& v = values[static_cast<size_t>(i)];
    if (f->FieldKind() == fkData && !rtl::VarIsEmpty(v)) f->SetAsVariant(v);
  }
}

// The new record gets `values` and is posted; on failure it is dropped.
void TDataSet::postNewRecord(const std::vector<Variant>& values) {
  try {
    setRecordValues(values);
    Post();
  } catch (...) {
    if (IsEditState(state_)) Cancel();
    throw;
  }
}

void TDataSet::AppendRecord(const std::vector<Variant>& values) {
  Append();
  postNewRecord(values);
}

void TDataSet::InsertRecord(const std::vector<Variant>& values) {
  Insert();
  postNewRecord(values);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  if (state_ == dsEdit || state_ == dsInsert) {
    UpdateRecord();
    if (modified_)
      Post();
    else
      Cancel();
  } else if (state_ == dsSetKey) {
    Post();
  }
}

void TDataSet::UpdateRecord() {
  if (!IsEditState(state_)) DatabaseError(u"Dataset not in edit or insert mode", this);
  DataEvent(deUpdateRecord, 0);
}

// --- bookmarks ------------------------------------------------------------------------------------
TBookmark TDataSet::GetBookmark() const {
  if (!Active()) return {};
  TRowId row = currentRow();
  if (row == kEditing) row = state_ == dsEdit ? editRow_ : 0;
  if (row <= 0) return {};
  return encodeBookmark(row);
}

bool TDataSet::BookmarkAvailable() const { return !GetBookmark().empty(); }

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  CheckBrowseMode();
  int pos = positionOf(decodeBookmark(bookmark));
  if (pos < 0) DatabaseError(u"Record not found", this);
  DoBeforeScroll();
  goToPosition(pos);
  DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const {
  if (!Active()) return false;
  return positionOf(decodeBookmark(bookmark)) >= 0;
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
  TRowId ia = decodeBookmark(a), ib = decodeBookmark(b);
  if (ia == ib) return 0;
  int pa = positionOf(ia), pb = positionOf(ib);
  // Bookmarks of records no longer shown sort by their ids, after shown ones.
  if (pa < 0 || pb < 0) {
    if (pa >= 0) return -1;
    if (pb >= 0) return 1;
    return ia < ib ? -1 : 1;
  }
  return pa < pb ? -1 : 1;
}

// --- searching ------------------------------------------------------------------------------------
bool TDataSet::matchRow(TRowId row, const std::vector<TField*>& fields,
                        const std::vector<Variant>& values, TLocateOptions options) const {
  const rtl::TFormatSettings& fs = FormatSettings();
  for (size_t i = 0; i < fields.size(); ++i) {
    TField* f = fields[i];
    Variant v = rowFieldValue(row, f);
    const Variant& key = values[i];
    if (isNullValue(key)) {
      if (!isNullValue(v)) return false;
      continue;
    }
    if (isNullValue(v)) return false;
    bool text = f->Is<TStringField>() || f->Is<TMemoField>() ||
                (f->Is<TVariantField>() && rtl::VarIsStr(v));
    if (text) {
      String s = rtl::VarToStr(v, fs);
      String k = rtl::VarToStr(key, fs);
      if (options.contains(loCaseInsensitive)) {
        s = rtl::AnsiUpperCase(s);
        k = rtl::AnsiUpperCase(k);
      }
      if (options.contains(loPartialKey)) {
        if (s.compare(0, k.size(), k) != 0 || s.size() < k.size()) return false;
      } else if (s != k) {
        return false;
      }
      continue;
    }
    Variant converted;
    try {
      converted = f->ToStorage(key);
    } catch (const rtl::Exception&) {
      return false;
    }
    if (rtl::VarCompareValue(v, converted) != rtl::vrEqual) return false;
  }
  return true;
}

TDataSet::TRowId TDataSet::findRow(StringView keyFields, const Variant& keyValues,
                                   TLocateOptions options) {
  CheckActive();
  std::vector<TField*> fields;
  GetFieldList(fields, keyFields);
  if (fields.empty()) return 0;
  std::vector<Variant> values;
  if (fields.size() == 1) {
    if (rtl::VarIsArray(keyValues))
      values.push_back(rtl::VarArrayGet(keyValues, rtl::VarArrayLowBound(keyValues, 1)));
    else
      values.push_back(keyValues);
  } else {
    if (!rtl::VarIsArray(keyValues)) return 0;
    int lo = rtl::VarArrayLowBound(keyValues, 1), hi = rtl::VarArrayHighBound(keyValues, 1);
    if (hi - lo + 1 < static_cast<int>(fields.size())) return 0;
    for (size_t i = 0; i < fields.size(); ++i)
      values.push_back(rtl::VarArrayGet(keyValues, lo + static_cast<int>(i)));
  }
  for (TRowId row : view_) {
    if (row == 0) continue;
    if (matchRow(row, fields, values, options)) return row;
  }
  return 0;
}

bool TDataSet::Locate(StringView keyFields, const Variant& keyValues, TLocateOptions options) {
  CheckBrowseMode();
  TRowId row = findRow(keyFields, keyValues, options);
  if (row == 0) return false;
  DoBeforeScroll();
  goToPosition(positionOf(row));
  DoAfterScroll();
  return true;
}

Variant TDataSet::Lookup(StringView keyFields, const Variant& keyValues, StringView resultFields) {
  TRowId row = findRow(keyFields, keyValues, {});
  if (row == 0) return Null();
  std::vector<TField*> fields;
  GetFieldList(fields, resultFields);
  if (fields.size() == 1) return rowFieldValue(row, fields[0]);
  std::vector<Variant> values;
  for (TField* f : fields) values.push_back(rowFieldValue(row, f));
  return rtl::VarArrayOf(values);
}

// --- filtering --------------------------------------------------------------------------------------
void TDataSet::applyFilterText(const String& text, TFilterOptions options) {
  std::unique_ptr<TFilterExpression> expr;
  if (!rtl::Trim(text).empty()) expr = TFilterExpression::Parse(text, options);
  // Names are checked before anything changes, so a bad filter leaves the old one.
  std::vector<TField*> fields;
  if (expr && Active())
    for (const String& name : expr->FieldNames()) fields.push_back(FieldByName(name));
  filterExpr_ = std::move(expr);
  filterFields_ = std::move(fields);
}

void TDataSet::SetFilter(const String& value) {
  if (Active() && filtered_) CheckBrowseMode();
  applyFilterText(value, filterOptions_);
  filterText_ = value;
  if (Active() && filtered_) {
    RebuildView();
    First();
  }
}

void TDataSet::SetFiltered(bool value) {
  if (filtered_ == value) return;
  if (Active()) {
    CheckBrowseMode();
    if (value && filterExpr_)
      for (const String& name : filterExpr_->FieldNames()) FieldByName(name);
  }
  filtered_ = value;
  if (Active()) {
    RebuildView();
    First();
  }
}

void TDataSet::SetFilterOptions(TFilterOptions value) {
  if (filterOptions_ == value) return;
  if (Active() && filtered_) CheckBrowseMode();
  applyFilterText(filterText_, value);
  filterOptions_ = value;
  if (Active() && filtered_) {
    RebuildView();
    First();
  }
}

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& value) {
  onFilterRecord_ = value;
  if (Active() && filtered_) {
    CheckBrowseMode();
    RebuildView();
    First();
  }
}

// --- links ---------------------------------------------------------------------------------------------
void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    enableEvent_ = deDataSetChange;
  }
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ > 0) return;
  std::vector<TDataSource*> sources = dataSources_;
  if (disableState_ != state_)
    for (TDataSource* src : sources) src->notifyLinks(deUpdateState, 0, true);
  if (disableState_ != dsInactive && state_ != dsInactive)
    for (TDataSource* src : sources) src->notifyLinks(enableEvent_, 0, true);
}

bool TDataSet::IsLinkedTo(const TDataSource* dataSource) const {
  const TDataSet* ds = this;
  for (int guard = 0; ds && guard < 64; ++guard) {
    TDataSource* src = ds->DataSource();
    if (!src) return false;
    if (src == dataSource) return true;
    ds = src->DataSet();
  }
  return false;
}

void TDataSet::DataEvent(TDataEvent event, NativeInt info) {
  if (event == deFieldChange) {
    auto* field = reinterpret_cast<TField*>(info);
    if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) {
      modified_ = true;
      if (autoCalcFields_) recalcEditRecord();
    }
    if (field->onChange_) field->onChange_(field);
  }
  notifyLinks(event, info);
}

void TDataSet::notifySources(TDataEvent event, NativeInt info) {
  std::vector<TDataSource*> sources = dataSources_;
  auto alive = [this](TDataSource* src) {
    return std::find(dataSources_.begin(), dataSources_.end(), src) != dataSources_.end();
  };
  for (TDataSource* src : sources)
    if (alive(src)) src->notifyLinks(event, info, false);
  if (disableCount_ == 0) {
    for (TDataSource* src : sources)
      if (alive(src)) src->notifyLinks(event, info, true);
    return;
  }
  if (event == deLayoutChange) enableEvent_ = deLayoutChange;
  if (event == deUpdateState && (state_ == dsInactive) != (disableState_ == dsInactive)) {
    for (TDataSource* src : sources)
      if (alive(src)) src->notifyLinks(deDisabledStateChange, Active() ? 1 : 0, true);
  }
}

void TDataSet::FocusControl(TField* field) {
  TField* target = field;
  DataEvent(deFocusControl, reinterpret_cast<NativeInt>(&target));
}

void TDataSet::addDataSource(TDataSource* source) {
  dataSources_.push_back(source);
  updateBufferCount();
}

void TDataSet::removeDataSource(TDataSource* source) {
  auto it = std::find(dataSources_.begin(), dataSources_.end(), source);
  if (it != dataSources_.end()) dataSources_.erase(it);
  if (!destroying_) updateBufferCount();
}

void TDataSet::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  rtl::TComponent::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove && !keptFields_.empty()) {
    // A set-aside field freed by someone else is no longer there to take back.
    auto it = std::find_if(keptFields_.begin(), keptFields_.end(),
                           [&](const KeptField& k) { return k.Field == component; });
    if (it != keptFields_.end()) keptFields_.erase(it);  // the next Open makes new ones
  }
}

// --- events ------------------------------------------------------------------------------------------------
#define DB_FIRE(Name) \
  void TDataSet::Do##Name() { if (ev##Name##_) ev##Name##_(this); }
DB_FIRE(BeforeOpen)
DB_FIRE(AfterOpen)
DB_FIRE(BeforeClose)
DB_FIRE(AfterClose)
DB_FIRE(BeforeInsert)
DB_FIRE(AfterInsert)
DB_FIRE(BeforeEdit)
DB_FIRE(AfterEdit)
DB_FIRE(BeforePost)
DB_FIRE(AfterPost)
DB_FIRE(BeforeCancel)
DB_FIRE(AfterCancel)
DB_FIRE(BeforeDelete)
DB_FIRE(AfterDelete)
DB_FIRE(BeforeScroll)
DB_FIRE(AfterScroll)
DB_FIRE(OnNewRecord)
DB_FIRE(OnCalcFields)
#undef DB_FIRE

}  // namespace db
