#include <malloc.h>

#include <algorithm>
#include <mutex>

#include "platform/db/dataset.h"
#include "platform/db/value_conversion.h"
#include "platform/rtl/ustring.h"

namespace db {

using rtl::Null;

namespace {

// Nulls first, then by value; texts ordinally.
int compareValues(const Variant& a, const Variant& b) {
  bool na = isNullValue(a), nb = isNullValue(b);
  if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
  if (rtl::VarIsStr(a) && rtl::VarIsStr(b)) {
    int c = rtl::CompareStr(rtl::VarToStr(a), rtl::VarToStr(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  try {
    switch (rtl::VarCompareValue(a, b)) {
      case rtl::vrLessThan: return -1;
      case rtl::vrGreaterThan: return 1;
      default: return 0;
    }
  } catch (const rtl::Exception&) {
    return 0;
  }
}

// A closed dataset hands its records back to the heap all together, and
// the allocator would give that block back to the system at once: the next
// open (a grid refreshed every few seconds) would fault every page in again.
// So the heap keeps what it had, large blocks included (process-wide, set
// once before the first dataset).
void keepHeap() {
  static std::once_flag once;
  std::call_once(once, [] {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
  });
}

}  // namespace

TCustomMemDataSet::TCustomMemDataSet(rtl::TComponent* owner)
    : TDataSet(owner), masterLink_(std::make_unique<TMasterDataLink>(this)) {
  keepHeap();
  masterLink_->SetOnMasterChange(rtl::TNotifyEvent::bind<&TCustomMemDataSet::masterChange>(this));
  masterLink_->SetOnMasterDisable(rtl::TNotifyEvent::bind<&TCustomMemDataSet::masterChange>(this));
}

TCustomMemDataSet::~TCustomMemDataSet() {
  masterLink_->SetOnMasterChange(nullptr);
  masterLink_->SetOnMasterDisable(nullptr);
  masterLink_->SetDataSource(nullptr);
}

// --- opening ------------------------------------------------------------------------------
void TCustomMemDataSet::CreateDataSet() {
  CheckInactive();
  Open();
}

void TCustomMemDataSet::InternalOpen() {
  ClearRecords();
  idxValid_ = false;
  OpenData();
  if (FieldDefs()->Count() == 0) {
    // A table made of persistent fields only.
    for (TField* f : Fields()->List()) {
      if (f->FieldKind() != fkData) continue;
      TFieldDef* def = FieldDefs()->Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
      def->SetReadOnly(f->ReadOnly());
    }
  }
  if (FieldDefs()->Count() == 0) DatabaseError(u"Missing data provider or data packet", this);
  size_t n = static_cast<size_t>(FieldDefs()->Count());
  for (TMemRecord& rec : slots_)
    if (rec.Id != 0) rec.Values.resize(n, Null());
}

void TCustomMemDataSet::InternalClose() {
  CloseData();
  ClearRecords();
  idxValid_ = false;
}

void TCustomMemDataSet::ClearRecords() {
  slots_.clear();
  live_ = 0;
  firstId_ = nextId_;
  order_.clear();
  index_.clear();
  indexValid_ = false;
}

TMemRecord& TCustomMemDataSet::addRecord() {
  TMemRecord& rec = slots_.emplace_back();
  rec.Id = nextId_++;
  ++live_;
  return rec;
}

void TCustomMemDataSet::dropRecord(TRowId id) {
  TMemRecord* rec = record(id);
  if (!rec) return;
  *rec = TMemRecord();
  if (--live_ == 0) {
    slots_.clear();
    firstId_ = nextId_;
  }
}

void TCustomMemDataSet::ReserveRecords(std::size_t count) {
  slots_.reserve(slots_.size() + count);
  order_.reserve(order_.size() + count);
}

TDataSet::TRowId TCustomMemDataSet::AppendLoadedRecord(std::vector<Variant> values) {
  TMemRecord& rec = addRecord();
  rec.Values = std::move(values);
  int n = FieldDefs()->Count();
  if (n > 0) rec.Values.resize(static_cast<size_t>(n), Null());
  TRowId id = rec.Id;
  if (indexValid_) index_[id] = static_cast<int>(order_.size());
  order_.push_back(id);
  return id;
}

void TCustomMemDataSet::EmptyDataSet() {
  ClearRecords();
  if (Active()) {
    Cancel();
    Resync();
    First();
  }
}

// --- the store ---------------------------------------------------------------------------------
int TCustomMemDataSet::StoreCount() const { return static_cast<int>(order_.size()); }

TDataSet::TRowId TCustomMemDataSet::StoreRowId(int index) const {
  return order_[static_cast<size_t>(index)];
}

Variant TCustomMemDataSet::StoreValue(TRowId row, int defIndex) const {
  const TMemRecord* rec = FindRecord(row);
  if (!rec) return Null();
  const auto& values = rec->Values;
  return static_cast<size_t>(defIndex) < values.size() ? values[static_cast<size_t>(defIndex)] : Null();
}

TMemRecord* TCustomMemDataSet::record(TRowId id) {
  return const_cast<TMemRecord*>(FindRecord(id));
}

const TMemRecord* TCustomMemDataSet::FindRecord(TRowId id) const {
  if (id < firstId_ || static_cast<std::size_t>(id - firstId_) >= slots_.size()) return nullptr;
  const TMemRecord& rec = slots_[static_cast<std::size_t>(id - firstId_)];
  return rec.Id != 0 ? &rec : nullptr;
}

int TCustomMemDataSet::indexOf(TRowId id) const {
  if (!indexValid_) {
    index_.clear();
    index_.reserve(order_.size());
    for (size_t i = 0; i < order_.size(); ++i) index_[order_[i]] = static_cast<int>(i);
    indexValid_ = true;
  }
  auto it = index_.find(id);
  return it == index_.end() ? -1 : it->second;
}

void TCustomMemDataSet::markChanged(TMemRecord& rec) {
  if (rec.ChangeOrder == 0) rec.ChangeOrder = ++changeCounter_;
}

TDataSet::TRowId TCustomMemDataSet::StoreInsert(TRowId before, std::vector<Variant>& values) {
  std::vector<Variant> written;
  if (!cachedUpdates_) {
    // The descendant may change the values it writes (a generated key): it
    // gets a copy, so that a refusal leaves the caller's values as they were.
    written = values;
    TMemRecord none;
    WriteRecord(usInserted, none, written);
  } else {
    written = std::move(values);
  }
  int pos = before != 0 ? indexOf(before) : -1;
  TMemRecord& rec = addRecord();
  rec.Values = std::move(written);
  if (cachedUpdates_) {
    rec.Status = usInserted;
    markChanged(rec);
  }
  TRowId id = rec.Id;
  if (pos < 0) {
    if (indexValid_) index_[id] = static_cast<int>(order_.size());
    order_.push_back(id);
  } else {
    order_.insert(order_.begin() + pos, id);
    indexValid_ = false;
  }
  return id;
}

void TCustomMemDataSet::StoreUpdate(TRowId row, std::vector<Variant>& values) {
  TMemRecord* rec = record(row);
  if (!rec) DatabaseError(u"Record not found", this);
  if (!cachedUpdates_) {
    // As in StoreInsert: a refusal leaves the caller's values as they were.
    std::vector<Variant> written = values;
    WriteRecord(usModified, *rec, written);
    rec->Values = std::move(written);
    return;
  }
  if (rec->Status == usUnmodified) {
    rec->OriginalValues = rec->Values;
    rec->Status = usModified;
    markChanged(*rec);
  }
  rec->Values = std::move(values);
}

void TCustomMemDataSet::StoreDelete(TRowId row) {
  TMemRecord* rec = record(row);
  if (!rec) DatabaseError(u"Record not found", this);
  if (!cachedUpdates_) {
    std::vector<Variant> values = rec->Values;
    WriteRecord(usDeleted, *rec, values);
  } else if (rec->Status != usInserted) {
    if (rec->Status == usUnmodified) rec->OriginalValues = rec->Values;
    rec->Status = usDeleted;
    markChanged(*rec);
    return;  // kept, hidden by RowInRange, for the log
  }
  int pos = indexOf(row);
  if (pos >= 0) order_.erase(order_.begin() + pos);
  indexValid_ = false;
  dropRecord(row);
}

// --- cached updates ----------------------------------------------------------------------------------
void TCustomMemDataSet::SetCachedUpdates(bool value) { cachedUpdates_ = value; }

bool TCustomMemDataSet::UpdatesPending() const { return ChangeCount() > 0; }

int TCustomMemDataSet::ChangeCount() const {
  int n = 0;
  for (const TMemRecord& rec : slots_)
    if (rec.Id != 0 && rec.Status != usUnmodified) ++n;
  return n;
}

std::vector<const TMemRecord*> TCustomMemDataSet::ChangedRecords() const {
  std::vector<const TMemRecord*> out;
  for (const TMemRecord& rec : slots_)
    if (rec.Id != 0 && rec.Status != usUnmodified) out.push_back(&rec);
  std::sort(out.begin(), out.end(),
            [](const TMemRecord* a, const TMemRecord* b) { return a->ChangeOrder < b->ChangeOrder; });
  return out;
}

void TCustomMemDataSet::CommitUpdate(TRowId id) {
  TMemRecord* rec = record(id);
  if (!rec || rec->Status == usUnmodified) return;
  if (rec->Status == usDeleted) {
    int pos = indexOf(id);
    if (pos >= 0) order_.erase(order_.begin() + pos);
    indexValid_ = false;
    dropRecord(id);
    return;
  }
  rec->Status = usUnmodified;
  rec->OriginalValues.clear();
  rec->ChangeOrder = 0;
}

void TCustomMemDataSet::CommitUpdates() {
  for (const TMemRecord* rec : ChangedRecords()) CommitUpdate(rec->Id);
}

void TCustomMemDataSet::resyncAfterLogChange() {
  if (!Active()) return;
  if (IsEditState(State())) Cancel();
  Resync();
}

void TCustomMemDataSet::CancelUpdates() {
  std::vector<TRowId> inserted;
  for (TMemRecord& rec : slots_) {
    if (rec.Id == 0) continue;
    switch (rec.Status) {
      case usInserted:
        inserted.push_back(rec.Id);
        break;
      case usModified:
      case usDeleted:
        rec.Values = rec.OriginalValues;
        rec.OriginalValues.clear();
        rec.Status = usUnmodified;
        rec.ChangeOrder = 0;
        break;
      default:
        break;
    }
  }
  for (TRowId id : inserted) {
    int pos = indexOf(id);
    if (pos >= 0) order_.erase(order_.begin() + pos);
    indexValid_ = false;
    dropRecord(id);
  }
  resyncAfterLogChange();
}

void TCustomMemDataSet::RevertRecord() {
  CheckActive();
  if (IsEditState(State())) Cancel();
  TBookmark bm = GetBookmark();
  if (bm.empty()) return;
  TRowId id;
  std::copy(bm.begin(), bm.end(), reinterpret_cast<Byte*>(&id));
  TMemRecord* rec = record(id);
  if (!rec || rec->Status == usUnmodified) return;
  if (rec->Status == usInserted) {
    int pos = indexOf(id);
    if (pos >= 0) order_.erase(order_.begin() + pos);
    indexValid_ = false;
    dropRecord(id);
  } else {
    rec->Values = rec->OriginalValues;
    rec->OriginalValues.clear();
    rec->Status = usUnmodified;
    rec->ChangeOrder = 0;
  }
  resyncAfterLogChange();
}

TUpdateStatus TCustomMemDataSet::UpdateStatus() const {
  if (State() == dsInsert) return usInserted;
  TBookmark bm = GetBookmark();
  if (bm.empty()) return usUnmodified;
  TRowId id;
  std::copy(bm.begin(), bm.end(), reinterpret_cast<Byte*>(&id));
  const TMemRecord* rec = FindRecord(id);
  return rec ? rec->Status : usUnmodified;
}

// --- master/detail and order -------------------------------------------------------------------------------
TDataSource* TCustomMemDataSet::MasterSource() const { return masterLink_->DataSource(); }

void TCustomMemDataSet::SetMasterSource(TDataSource* value) {
  if (value && value->IsLinkedTo(this)) DatabaseError(u"Circular datalinks are not allowed", this);
  masterLink_->SetDataSource(value);
}

const String& TCustomMemDataSet::MasterFields() const { return masterLink_->FieldNames(); }

void TCustomMemDataSet::SetMasterFields(const String& value) {
  idxValid_ = false;
  masterLink_->SetFieldNames(value);
}

void TCustomMemDataSet::SetIndexFieldNames(const String& value) {
  if (indexFieldNames_ == value) return;
  indexFieldNames_ = value;
  idxValid_ = false;
  if (Active()) {
    CheckBrowseMode();
    Resync();
  }
}

std::vector<int> TCustomMemDataSet::defIndexes(StringView fieldNames) const {
  std::vector<int> out;
  size_t start = 0;
  while (start <= fieldNames.size()) {
    size_t end = fieldNames.find(u';', start);
    if (end == StringView::npos) end = fieldNames.size();
    String name = rtl::Trim(fieldNames.substr(start, end - start));
    if (!name.empty()) out.push_back(FieldDefs()->Find(name)->Index());
    start = end + 1;
  }
  return out;
}

void TCustomMemDataSet::resolveIndexes() const {
  if (idxValid_) return;
  orderIdx_ = defIndexes(indexFieldNames_);
  detailIdx_ = indexFieldNames_.empty() ? defIndexes(MasterFields()) : orderIdx_;
  idxValid_ = true;
}

bool TCustomMemDataSet::RowInRange(TRowId row) const {
  const TMemRecord* rec = FindRecord(row);
  if (!rec || rec->Status == usDeleted) return false;
  if (!masterLink_->DataSource() || MasterFields().empty()) return true;
  const std::vector<TField*>& master = masterLink_->Fields();
  if (!masterLink_->Active() || master.empty()) return false;
  resolveIndexes();
  const auto& values = rec->Values;
  for (size_t i = 0; i < master.size() && i < detailIdx_.size(); ++i) {
    Variant m = master[i]->Value();
    if (isNullValue(m)) return false;
    const Variant& v = values[static_cast<size_t>(detailIdx_[i])];
    if (isNullValue(v) || compareValues(v, m) != 0) return false;
  }
  return true;
}

void TCustomMemDataSet::OrderRows(std::vector<TRowId>& rows) const {
  if (indexFieldNames_.empty()) return;
  resolveIndexes();
  std::stable_sort(rows.begin(), rows.end(), [this](TRowId a, TRowId b) {
    const auto& va = FindRecord(a)->Values;
    const auto& vb = FindRecord(b)->Values;
    for (int i : orderIdx_) {
      int c = compareValues(va[static_cast<size_t>(i)], vb[static_cast<size_t>(i)]);
      if (c != 0) return c < 0;
    }
    return false;
  });
}

bool TCustomMemDataSet::RowsOrdered() const {
  return !indexFieldNames_.empty() || (masterLink_->DataSource() && !MasterFields().empty());
}

void TCustomMemDataSet::InitRecord(std::vector<Variant>& values) {
  if (!masterLink_->Active() || masterLink_->Fields().empty()) return;
  resolveIndexes();
  const std::vector<TField*>& master = masterLink_->Fields();
  for (size_t i = 0; i < master.size() && i < detailIdx_.size(); ++i)
    values[static_cast<size_t>(detailIdx_[i])] = master[i]->Value();
}

void TCustomMemDataSet::masterChange(rtl::TObject*) { MasterChanged(); }

}  // namespace db
