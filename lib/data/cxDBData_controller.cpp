// The dataset-bound controller: binding items to dataset fields, key
// fields and locating, the focus kept in step with the dataset's cursor,
// grid-mode answers, and the filter criteria that can filter the dataset.
#include <algorithm>

#include "lib/data/cxCustomData_scopes.h"
#include "lib/data/cxDBData.h"
#include "lib/data/cxFilterLike.h"
#include "lib/data/cxVariants.h"
#include "platform/db/dataset.h"
#include "platform/db/field.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/variant.h"

namespace data {

using rtl::String;
using rtl::Variant;

// --- construction -------------------------------------------------------------------------------
namespace {
TcxDataControllerParts dbControllerParts() {
  TcxDataControllerParts parts = TcxDataControllerParts::Default();
  parts.DataProvider = [](TcxCustomDataController* c) { return std::make_unique<TcxDBDataProvider>(c); };
  return parts;
}
}  // namespace

TcxDBDataController::TcxDBDataController(rtl::TComponent* AOwner)
    : TcxCustomDataController(AOwner, dbControllerParts()) {
  FDataModeController = std::make_unique<TcxDBDataModeController>(this);
}

TcxDBDataController::~TcxDBDataController() {
  // The link leaves the dataset before the fields it reads go.
  Provider()->SetDataSource(nullptr);
}

void TcxDBDataController::Assign(rtl::TPersistent* Source) {
  TcxCustomDataController::Assign(Source);
  auto* source = dynamic_cast<TcxDBDataController*>(Source);
  if (source == nullptr) return;
  SetDataModeController(source->DataModeController());
  SetDataSource(source->DataSource());
  SetKeyFieldNames(source->KeyFieldNames());
  FOnGridModeChanged = source->FOnGridModeChanged;
}

std::unique_ptr<TcxCustomDataField> TcxDBDataController::CreateField() {
  return std::make_unique<TcxDBDataField>(Fields());
}

std::unique_ptr<TcxDataFilterCriteria> TcxDBDataController::CreateFilter() {
  return std::make_unique<TcxDBDataFilterCriteria>(this);
}

void TcxDBDataController::SetDataSource(db::TDataSource* AValue) {
  if (DataSource() == AValue) return;
  Provider()->SetDataSource(AValue);
  DoDataSourceChanged();
}

void TcxDBDataController::DoGridModeChanged() {
  if (FOnGridModeChanged) FOnGridModeChanged(this);
}

int TcxDBDataController::RecNo() const {
  db::TDataSet* ds = DataSet();
  return ds != nullptr && ds->Active() ? ds->RecNo() : -1;
}

void TcxDBDataController::SetRecNo(int AValue) {
  if (db::TDataSet* ds = DataSet()) ds->SetRecNo(AValue);
}

int TcxDBDataController::DataSetRecordCount() const {
  db::TDataSet* ds = DataSet();
  return ds != nullptr && ds->Active() ? ds->RecordCount() : 0;
}

bool TcxDBDataController::IsSequenced() const { return DataSet() != nullptr && DataSet()->IsSequenced(); }

// --- binding items to dataset fields ----------------------------------------------------------------
db::TField* TcxDBDataController::GetItemField(int AItemIndex) const {
  CheckItemRange(AItemIndex);
  return DBField(AItemIndex)->Field();
}

String TcxDBDataController::GetItemFieldName(int AItemIndex) const {
  CheckItemRange(AItemIndex);
  return DBField(AItemIndex)->FieldName();
}

rtl::TObject* TcxDBDataController::GetItemByFieldName(const String& AFieldName) const {
  for (int i = 0; i < GetItemCount(); ++i)
    if (rtl::AnsiCompareText(DBField(i)->FieldName(), AFieldName) == 0) return GetItem(i);
  return nullptr;
}

void TcxDBDataController::ChangeFieldName(int AItemIndex, const String& AFieldName) {
  CheckItemRange(AItemIndex);
  TcxDBDataField* field = DBField(AItemIndex);
  if (field->FieldName() != AFieldName) UpdateField(field, AFieldName, false);
}

void TcxDBDataController::UpdateField(TcxDBDataField* ADataField, const String& AFieldNames, bool AIsLookup) {
  ADataField->ClearFields();
  if (!AIsLookup && ADataField->FieldName() != AFieldNames) {
    if (ADataField->ReferenceField() != nullptr) ADataField->SetReferenceField(nullptr);
    ADataField->SetFieldName(AFieldNames);
  }
  if (AIsLookup || IsMultipleFieldNames(AFieldNames)) {
    UpdateScope update(*this);
    for (const String& name : GetFieldNames(AFieldNames)) {
      auto* sub = static_cast<TcxDBDataField*>(AddInternalField());
      ADataField->AddField(sub);
      UpdateField(sub, name, false);
    }
    return;
  }
  // A second item on the same field shares the first one's values.
  if (!AFieldNames.empty()) {
    for (int i = 0; i < Fields()->Count(); ++i) {
      auto* other = static_cast<TcxDBDataField*>(Fields()->Items(i));
      if (other == ADataField || other->ReferenceField() != nullptr || other->ParentField() != nullptr) continue;
      if (other->IsInternal() != ADataField->IsInternal() && ADataField->ParentField() == nullptr) continue;
      if (!IsEqualFieldNames(other->FieldName(), AFieldNames)) continue;
      const TcxValueTypeClass before = ADataField->GetValueTypeClass();
      ADataField->SetReferenceField(other);
      Change({dccData});
      if (ADataField->GetValueTypeClass() != before && !ADataField->IsInternal())
        DoValueTypeClassChanged(ADataField->GetIndex());
      return;
    }
  } else {
    ADataField->SetValueTypeClass(nullptr);
  }
  LayoutChanged({lcStructure});
}

namespace {
// Whether the data field's sub-fields are named, in order, as the list.
bool dbControllerHasKeySubFields(const TcxDBDataField* ADataField, const String& AKeyFields) {
  const std::vector<String> names = GetFieldNames(AKeyFields);
  if (ADataField->FieldCount() != static_cast<int>(names.size())) return false;
  for (int i = 0; i < ADataField->FieldCount(); ++i)
    if (!IsEqualFieldNames(ADataField->Fields(i)->FieldName(), names[static_cast<size_t>(i)])) return false;
  return true;
}
}  // namespace

void TcxDBDataController::RetrieveField(TcxDBDataField* ADataField, bool ALookupOnly) {
  db::TDataSet* ds = DataSet();
  if (ADataField->ReferenceField() != nullptr || ds == nullptr) return;
  if (ALookupOnly && !(ADataField->ParentField() != nullptr && ADataField->ParentField()->IsLookup())) return;
  db::TField* previous = ADataField->Field();
  db::TField* field = nullptr;
  if (!FResetDBFields && !ADataField->FieldName().empty()) {
    field = ds->Fields()->FindField(ADataField->FieldName());
    if (field == nullptr && ds->AggFields() != nullptr) field = ds->AggFields()->FindField(ADataField->FieldName());
  }
  ADataField->SetField(field);
  if (field != nullptr) {
    ADataField->SetPropertiesByField(field, field != previous);
    // Key sub-fields that already match are kept: making them again would
    // destroy fields while the fields are being prepared, and the
    // preparation would start over without end.
    if (field->Lookup() && !ALookupOnly && (field != previous || !dbControllerHasKeySubFields(ADataField, field->KeyFields())))
      UpdateField(ADataField, field->KeyFields(), true);
  } else {
    ADataField->DoPropertiesChanged();
  }
}

void TcxDBDataController::PrepareField(TcxCustomDataField* AField) {
  RetrieveField(static_cast<TcxDBDataField*>(AField), false);
}

void TcxDBDataController::UpdateFields() {
  TcxCustomDataController::UpdateFields();
  for (int i = 0; i < Fields()->Count(); ++i) RetrieveField(static_cast<TcxDBDataField*>(Fields()->Items(i)), true);
}

void TcxDBDataController::ResetDBFields() {
  rtl::ScopedValue<bool> reset(FResetDBFields, true);
  UpdateFields();
}

bool TcxDBDataController::IsDataField(TcxCustomDataField* AField) const {
  return TcxCustomDataController::IsDataField(AField) || static_cast<TcxDBDataField*>(AField)->Field() != nullptr;
}

void TcxDBDataController::ChangeValueTypeClass(int AItemIndex, TcxValueTypeClass AValueTypeClass) {
  if (GetItemField(AItemIndex) != nullptr) return;  // a dataset field decides its own type
  TcxCustomDataController::ChangeValueTypeClass(AItemIndex, AValueTypeClass);
}

bool TcxDBDataController::IsDisplayFormatDefined(int AItemIndex, bool AIgnoreSimpleCurrency) const {
  if (AIgnoreSimpleCurrency && GetItemField(AItemIndex) != nullptr && IsSimpleCurrencyField(GetItemField(AItemIndex)))
    return false;
  return TcxCustomDataController::IsDisplayFormatDefined(AItemIndex, AIgnoreSimpleCurrency);
}

String TcxDBDataController::GetFilterItemFieldName(rtl::TObject* AItem) const {
  auto* field = static_cast<TcxDBDataField*>(FindFieldByItem(AItem));
  if (field == nullptr) return String();
  if (field->Field() == nullptr) return field->FieldName();
  const bool ignoreOrigin = const_cast<TcxDBDataController*>(this)->Filter()->IgnoreOrigin();
  if (!field->IsLookup()) return GetFilterFieldName(field->Field(), ignoreOrigin);
  String result;
  for (int i = 0; i < field->FieldCount(); ++i) {
    if (i > 0) result += u";";
    result += GetFilterFieldName(field->Fields(i)->Field(), ignoreOrigin);
  }
  return result;
}

// --- keys ---------------------------------------------------------------------------------------------
void TcxDBDataController::updateInternalKeyFields(const String& AFieldNames, TcxDBDataField*& AField) {
  if (AFieldNames.empty()) {
    if (AField != nullptr) {
      TcxDBDataField* field = AField;
      AField = nullptr;
      Fields()->Remove(field);
    }
    Change({dccData});
    return;
  }
  if (AField == nullptr) AField = static_cast<TcxDBDataField*>(AddInternalField());
  UpdateField(AField, AFieldNames, false);
  RetrieveField(AField, false);
}

void TcxDBDataController::SetKeyFieldNames(const String& AValue) {
  if (FKeyFieldNames == AValue) return;
  FKeyFieldNames = AValue;
  updateInternalKeyFields(AValue, FKeyField);
}

std::vector<TcxCustomDataField*> TcxDBDataController::GetKeyFields() const {
  std::vector<TcxCustomDataField*> result;
  if (FKeyField == nullptr) return result;
  if (FKeyField->FieldCount() == 0) {
    result.push_back(FKeyField);
    return result;
  }
  for (int i = 0; i < FKeyField->FieldCount(); ++i) result.push_back(FKeyField->Fields(i));
  return result;
}

std::vector<db::TField*> TcxDBDataController::GetKeyDBFields() const {
  std::vector<db::TField*> result;
  for (TcxCustomDataField* key : GetKeyFields()) {
    db::TField* field = static_cast<TcxDBDataField*>(key)->Field();
    if (field == nullptr) InvalidOperation(u"Key Field not found");
    result.push_back(field);
  }
  return result;
}

Variant TcxDBDataController::GetKeyFieldsValues() const { return GetDataSetValues(DataSet(), GetKeyDBFields()); }

Variant TcxDBDataController::GetRecordId(int ARecordIndex) const {
  if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount()) return TcxCustomDataController::GetRecordId(ARecordIndex);
  return GetInternalRecordId(ARecordIndex, GetKeyFields());
}

bool TcxDBDataController::IsKeyNavigation() const { return FKeyField != nullptr && !IsGridMode(); }

bool TcxDBDataController::IsSmartRefresh() const { return Provider()->GetIsSmartRefresh(); }

int TcxDBDataController::FindRecordIndexByKey(const Variant& AKeyValue) {
  const std::vector<TcxCustomDataField*> keys = GetKeyFields();
  if (keys.empty()) return -1;
  // A key of the wrong shape is found nowhere.
  const bool isArray = rtl::VarIsArray(AKeyValue);
  if (keys.size() == 1 ? isArray
                       : !isArray || rtl::VarArrayHighBound(AKeyValue, 1) - rtl::VarArrayLowBound(AKeyValue, 1) + 1 <
                                         static_cast<int>(keys.size()))
    return -1;
  for (int record = 0; record < GetRecordCount(); ++record)
    if (VarEquals(GetInternalRecordId(record, keys), AKeyValue)) return record;
  return -1;
}

bool TcxDBDataController::LocateByKey(const Variant& AKeyValue) {
  const int record = FindRecordIndexByKey(AKeyValue);
  if (record == -1 && IsGridMode()) {
    bool found = false;
    {
      BeginLocate();
      rtl::ScopeExit end([this] { EndLocate(); });
      found = CanCallDataSetLocate(DataSet(), FKeyFieldNames, AKeyValue) &&
              DataSet()->Locate(FKeyFieldNames, AKeyValue);
    }
    if (found) {
      // The window moved while the focus waited for the locate to end.
      UpdateFocused();
      SyncSelected(true);
    }
    return found;
  }
  const int row = record != -1 ? GetRowIndexByRecordIndex(record, true) : -1;
  ChangeFocusedRowIndex(row);
  return row != -1;
}

int TcxDBDataController::LocateRecordIndex(const std::vector<TcxCustomDataField*>& AFields) {
  if (AFields.empty() || DataSet() == nullptr) return -1;
  std::vector<db::TField*> dbFields;
  for (TcxCustomDataField* field : AFields) {
    db::TField* f = static_cast<TcxDBDataField*>(field)->Field();
    if (f == nullptr) return -1;
    dbFields.push_back(f);
  }
  const Variant current = GetDataSetValues(DataSet(), dbFields);
  if (FFocusingRecord && FFocusingRecordIndex >= 0 && FFocusingRecordIndex < GetRecordCount() &&
      VarEquals(GetInternalRecordId(FFocusingRecordIndex, AFields), current))
    return FFocusingRecordIndex;
  for (int record = 0; record < GetRecordCount(); ++record)
    if (VarEquals(GetInternalRecordId(record, AFields), current)) return record;
  return -1;
}

// --- focus and the dataset's position ---------------------------------------------------------------
bool TcxDBDataController::TryFocusRecord(int ARecordIndex) {
  if (ARecordIndex < 0) return false;
  TcxDBDataProvider* p = Provider();
  if (IsKeyNavigation()) {
    const Variant key = GetRecordId(ARecordIndex);
    FFocusingRecordIndex = ARecordIndex;
    if (VarEquals(key, GetKeyFieldsValues()) && ARecordIndex == p->RecordIndex()) {
      CheckBrowseMode();
      return true;
    }
    CheckBrowseMode();
    rtl::ScopedValue<bool> focusing(FFocusingRecord, true);
    return DataSet()->Locate(FKeyFieldNames, key);
  }
  CheckBrowseMode();
  // Record indexes follow the dataset's order (grid mode: the window's
  // rows), so the distance comes from where the dataset is now: the
  // provider's note of it may be stale while controls are disabled.
  db::TDataSet* ds = DataSet();
  const int current = IsGridMode() ? p->DataLink()->ActiveRecord() : ds->RecNo() - 1;
  ds->MoveBy(ARecordIndex - current);
  return true;
}

bool TcxDBDataController::CanFocusRecord(int ARecordIndex) {
  TcxDBDataProvider* p = Provider();
  if (FSyncingFocus || DataSet() == nullptr || !DataSet()->Active()) return true;
  if ((p->IsInserting() && ARecordIndex == p->EditingRecordIndex()) || (UseNewItemRowForEditing() && ARecordIndex < 0)) {
    if (!p->IsInserting() && ARecordIndex < 0) Post(false);
    return true;
  }
  bool result = false;
  {
    p->BeginLocate();
    rtl::ScopeExit end([p] { p->EndLocate(); });
    // A detail clone first makes the shared detail dataset hold its own master's rows.
    const bool detailSync = IsDetailMode() && DataModeController()->DetailInSyncMode();
    if (detailSync && !InResetDataSetCurrent()) CheckCurrentQuery();
    if (p->IsSyncMode() && !(detailSync && InResetDataSetCurrent()))
      result = TryFocusRecord(ARecordIndex);
    else
      result = TcxCustomDataController::CanFocusRecord(ARecordIndex);
  }
  SyncMasterPos();
  return result;
}

bool TcxDBDataController::CanFocusedRowChanging(int ARowIndex) {
  // The dataset moves first; a row it cannot go to keeps the old focus.
  if (FSyncingFocus || ARowIndex < 0 || ARowIndex >= GetRowCount()) return true;
  const int record = GetRowInfo(ARowIndex).RecordIndex;
  return record < 0 || record == GetFocusedRecordIndex() || CanFocusRecord(record);
}

void TcxDBDataController::syncFocusWithDataSet() {
  TcxDBDataProvider* p = Provider();
  const int record = p->RecordIndex();
  if (record < 0 || record >= GetRecordCount() || record == GetFocusedRecordIndex() || NewItemRowFocused()) return;
  rtl::ScopedValue<bool> syncing(FSyncingFocus, true);
  ChangeFocusedRecordIndex(record);
}

void TcxDBDataController::UpdateFocused() {
  UpdateScope update(*this);
  TcxCustomDataController::UpdateFocused();
  TcxDBDataProvider* p = Provider();
  if (!p->IsSyncMode() || p->LocateCount() != 0 || DataSet() == nullptr || !DataSet()->Active()) return;
  if (GetDetailMode() == dcdmPattern) {
    // Code moved the detail dataset: the view follows it to its master record.
    if (!IsLoading() && !InLoadStorage() && !p->ActiveChanging() && !p->IsDataSetBusy()) SyncMasterDetailDataSetPos();
    return;
  }
  if (IsKeyNavigation()) {
    const int record = LocateRecordIndex(GetKeyFields());
    p->SetRecordIndex(record);
  }
  syncFocusWithDataSet();
}

int TcxDBDataController::GetActiveRecordIndex() const {
  if (IsGridMode()) return Provider()->DataLink()->ActiveRecord();
  return TcxCustomDataController::GetActiveRecordIndex();
}

int TcxDBDataController::GetDataRowCount() const {
  if (!IsGridMode()) return GetRowCount();
  return IsSequenced() ? DataSetRecordCount() : -1;
}

int TcxDBDataController::GetFocusedDataRowIndex() const {
  if (!IsGridMode()) return TcxCustomDataController::GetFocusedDataRowIndex();
  return IsSequenced() ? RecNo() - 1 : -1;
}

// --- bookmark in grid mode ---------------------------------------------------------------------------
void TcxDBDataController::InternalSaveBookmark() {
  if (!IsGridMode()) {
    TcxCustomDataController::InternalSaveBookmark();
    return;
  }
  db::TDataSet* ds = DataSet();
  if (ds == nullptr) return;
  db::TBookmark current = ds->GetBookmark();
  if (FBookmark.empty() || ds->CompareBookmarks(current, FBookmark) != 0) FBookmark = std::move(current);
}

void TcxDBDataController::InternalGotoBookmark() {
  if (!IsGridMode()) {
    TcxCustomDataController::InternalGotoBookmark();
    return;
  }
  if (DataSet() != nullptr && !FBookmark.empty()) DataSet()->GotoBookmark(FBookmark);
}

bool TcxDBDataController::InternalCheckBookmark(int ADeletedRecordIndex) {
  if (!IsGridMode()) return TcxCustomDataController::InternalCheckBookmark(ADeletedRecordIndex);
  return DataSet() == nullptr || !DataSet()->BookmarkValid(FBookmark);
}

void TcxDBDataController::InternalClearBookmark() {
  FBookmark.clear();
  TcxCustomDataController::InternalClearBookmark();
}

// --- lifecycle -----------------------------------------------------------------------------------------
void TcxDBDataController::ActiveChanged(bool AActive) {
  // Restructured first, outside a bracket: a bracket would hold the reload
  // of the new records back as a pending structure change.
  if (AActive) RestructData();
  TcxCustomDataController::ActiveChanged(AActive);
  // Bookmarks of a closed (or reopened) dataset name records no more.
  RefreshSelectionBookmarks();
}

void TcxDBDataController::Loaded() {
  if (!FLoaded && Provider()->IsActiveDataSet()) LayoutChanged({lcStructure});
  TcxCustomDataController::Loaded();
  FLoaded = true;
}

void TcxDBDataController::LoadStorage() {
  SaveKeys();
  rtl::ScopeExit restore([this] { RestoreKeys(); });
  TcxCustomDataController::LoadStorage();
  Provider()->ResetPostLocateFlag();
}

void TcxDBDataController::RestructData() {
  if (!IsGridMode()) Provider()->DataLink()->SetBufferCount(1);
  TcxCustomDataController::RestructData();
}

void TcxDBDataController::UpdateGridModeBufferCount() {
  if (!IsGridMode()) return;
  rtl::ScopedValue<bool> updating(FInUpdateGridModeBufferCount, true);
  Provider()->UpdateGridMode();
}

bool TcxDBDataController::LockOnAfterSummary() const {
  return TcxCustomDataController::LockOnAfterSummary() || FInUpdateGridModeBufferCount;
}

void TcxDBDataController::DoUpdateRecord(int ARecordIndex) {
  // The new-item row's record too: it holds the new dataset record's values
  // (its key among them) until the post makes it a real record.
  const bool record = (ARecordIndex >= 0 && ARecordIndex < GetRecordCount()) || IsNewItemRecordIndex(ARecordIndex);
  if (record && !IsGridMode()) {
    TcxValueDefDBReader reader;
    DataStorage()->ReadRecord(ARecordIndex, &reader);
    DoReadRecord(ARecordIndex);
  }
  Change({dccUpdateRecord});
}

void TcxDBDataController::UpdateEditingRecord() {
  TcxDBDataProvider* p = Provider();
  const int editing = p->EditingRecordIndex();
  if (editing == cxNullEditingRecordIndex) return;
  // Smart refresh reads this record alone once the dataset posts or cancels.
  p->SetUpdatingRecord(editing, p->IsInserting());
  DoUpdateRecord(editing);
}

void TcxDBDataController::CorrectAfterDelete(int ARecordIndex) {
  TcxCustomDataController::CorrectAfterDelete(ARecordIndex);
  Provider()->CorrectSmartRefreshAfterDelete(ARecordIndex);
}

void TcxDBDataController::RemoveNotification(rtl::TComponent* AComponent) {
  TcxCustomDataController::RemoveNotification(AComponent);
  masterDetailRemoveNotification(AComponent);
}

void TcxDBDataController::RefreshExternalData() {
  if (DataSet() != nullptr) DataSet()->Refresh();
}

// --- grid-mode incremental search -----------------------------------------------------------------------
bool TcxDBDataController::DoSearchInGridMode(const String& ASubText, bool AForward, bool ANext) {
  // Locked, so that the search's own move does not cancel the search.
  TcxDataControllerSearch* search = Search();
  search->Lock();
  rtl::ScopeExit unlock([search] { search->Unlock(); });
  const bool found = Provider()->DoLocate(ASubText, AForward, ANext);
  if (found) SyncSelectionFocusedRecord();
  return found;
}

bool TcxDBDataProvider::locateMatches() {
  TcxDBDataController* c = GetDataController();
  TcxCustomDataField* field = c->IncrementalSearchField();
  if (field == nullptr) return false;
  // Record -1 with the flag set reads the dataset's current record.
  rtl::ScopedValue<bool> searching(FIncrementalSearching, true);
  return DataCompareText(rtl::AnsiUpperCase(c->GetInternalDisplayText(-1, field)),
                         rtl::AnsiUpperCase(FIncrementalSearchSubText), true);
}

bool TcxDBDataProvider::DoLocate(const String& ASubText, bool AForward, bool ANext) {
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr || IsEditing() || !ds->Active() || (ds->Bof() && ds->Eof())) return false;
  TcxDBDataController* c = GetDataController();
  rtl::ScopedValue<String> subText(FIncrementalSearchSubText, ASubText);
  if (!ANext && locateMatches()) {
    c->UpdateFocused();
    return true;
  }
  bool found = false;
  {
    Freeze();
    SavePos();
    rtl::ScopeExit done([this, &found] {
      if (!found) RestorePos();
      Unfreeze();
    });
    db::TBookmark wrap;
    bool stop = false;
    // One step in the search's direction; at the end the search wraps
    // (next off) or stops (next on), and in both cases ends at the start.
    auto step = [&] {
      if (AForward) {
        ds->Next();
        if (ds->Eof()) {
          if (ANext)
            stop = true;
          else
            ds->First();
          wrap = FSavePosInfo.Bookmark;
        }
      } else {
        ds->Prior();
        if (ds->Bof()) {
          if (ANext)
            stop = true;
          else
            ds->Last();
          wrap = FSavePosInfo.Bookmark;
        }
      }
    };
    bool startedAtEof = false;
    if (ANext)
      step();
    else
      startedAtEof = ds->Eof();
    while (!ds->Eof() || ANext || startedAtEof) {
      startedAtEof = false;
      if (!wrap.empty() && ds->CompareBookmarks(ds->GetBookmark(), wrap) == 0) break;  // every record seen
      if (locateMatches()) {
        found = true;
        break;
      }
      step();
      if (stop) break;
    }
  }
  if (found) c->Change({dccLayout});
  c->SyncMasterPos();
  return found;
}

// --- smart refresh ------------------------------------------------------------------------------------------
void TcxDBDataProvider::SetUpdatingRecord(int ARecordIndex, bool AIsInserting) {
  FUpdatingRecordIndex = ARecordIndex;
  FUpdatingRecordIsInserting = AIsInserting;
}

void TcxDBDataProvider::CorrectSmartRefreshAfterDelete(int ARecordIndex) {
  if (ARecordIndex == FUpdatingRecordIndex) ResetSmartRefresh();
  if (ARecordIndex == FUpdatingPrevFocusedRecordIndex) FUpdatingPrevFocusedRecordIndex = -1;
}

void TcxDBDataProvider::SmartDataChanged() {
  TcxDBDataController* c = GetDataController();
  if (FUpdatingRecordIndex != cxNullEditingRecordIndex) {
    int record = c->GetFocusedRecordIndex();
    if (record == FUpdatingRecordIndex && record < 0 && FUpdatingNewRecordIndex != -1)
      record = FUpdatingNewRecordIndex;
    const Variant stored = record >= 0 ? c->GetRecordId(record) : rtl::Null();
    const Variant current = c->GetKeyFieldsValues();
    if (VarEquals(stored, current)) {
      c->DoUpdateRecord(record);  // posted in place
    } else if (isNewAutoIncKey(stored, current)) {
      // The new record got its key on post.
      if (c->NewItemRowFocused()) {
        record = FUpdatingNewRecordIndex;
        if (record == -1) {
          record = c->AppendRecord();
          c->CopyRecord(c->GetNewItemRecordIndex(), record);
        }
      }
      c->DoUpdateRecord(record);
    } else {
      // Cancelled away, or no longer in the dataset.
      const int found = c->FindRecordIndexByKey(stored);
      if ((found == -1 || found == record) && record != -1) {
        c->DeleteRecord(record);
        record = -1;
      }
      c->UpdateFocused();
    }
  }
  // The list is rebuilt (filter, order, summaries) without reading the
  // other records again.
  c->FilterChanged();
  c->SummaryChanged(false);
  ResetPostLocateFlag();
}

bool TcxDBDataProvider::isNewAutoIncKey(const Variant& AStored, const Variant& ACurrent) {
  if (!FUpdatingRecordIsInserting || !rtl::VarIsNull(AStored)) return false;
  const std::vector<db::TField*> keys = GetDataController()->GetKeyDBFields();
  return keys.size() == 1 && keys.front()->DataType() == db::ftAutoInc &&
         GetDataController()->FindRecordIndexByKey(ACurrent) == -1;
}

// --- editing ---------------------------------------------------------------------------------------------
void TcxDBDataController::CheckBrowseMode() {
  if (FInCheckBrowseMode) return;
  rtl::ScopedValue<bool> inCheck(FInCheckBrowseMode, true);
  db::TDataSet* ds = DataSet();
  if (ds == nullptr || ds->State() == db::dsInactive) return;
  ds->DataEvent(db::deCheckBrowseMode, 0);
  if (ds->State() != db::dsEdit && ds->State() != db::dsInsert) return;
  ds->UpdateRecord();
  if (Provider()->IsDataSetModified()) {
    const bool disable = !IsSmartRefresh() && !IsGridMode();
    if (disable) ds->DisableControls();
    rtl::ScopeExit enable([ds, disable] {
      if (disable) ds->EnableControls();
    });
    ds->Post();
  } else {
    ds->Cancel();
  }
}

bool TcxDBDataController::DataChangedNotifyLocked() const {
  return TcxCustomDataController::DataChangedNotifyLocked() || (IsGridMode() && Provider()->IsInserting());
}

// --- the filter criteria ------------------------------------------------------------------------------
void TcxDBDataFilterCriteria::SetAutoDataSetFilter(bool AValue) {
  if (FAutoDataSetFilter == AValue) return;
  FAutoDataSetFilter = AValue;
  Changed();
}

void TcxDBDataFilterCriteria::SetIgnoreOrigin(bool AValue) {
  if (FIgnoreOrigin == AValue) return;
  FIgnoreOrigin = AValue;
  Changed();
}

bool TcxDBDataFilterCriteria::IsAutoDataSetFilter() const {
  return FAutoDataSetFilter && !DataController()->IsSmartRefresh();
}

bool TcxDBDataFilterCriteria::IsFiltering() {
  return TcxDataFilterCriteria::IsFiltering() && !FOnBeforeChange && !IsAutoDataSetFilter();
}

void TcxDBDataFilterCriteria::applyToDataSet() {
  auto* c = static_cast<TcxDBDataController*>(DataController());
  db::TDataSet* ds = c->DataSet();
  if (ds == nullptr) return;
  const String text = GetDataSetFilterText();
  // The criteria compare a text ending in '*' whole, never as a prefix.
  db::TFilterOptions options = {db::foNoPartialCompare};
  if (Options().contains(TcxFilterCriteriaOption::fcoCaseInsensitive)) options += db::foCaseInsensitive;
  const bool filtered = Active() && !text.empty();
  // Only a real change touches the dataset: each one re-reads it.
  if (text == ds->Filter() && options == ds->FilterOptions() && filtered == ds->Filtered()) return;
  ds->DisableControls();
  rtl::ScopeExit enable([ds] { ds->EnableControls(); });
  ds->SetFilter(text);
  ds->SetFilterOptions(options);
  ds->SetFiltered(filtered);
}

void TcxDBDataFilterCriteria::Update() {
  if (Internal()) return;
  auto* c = static_cast<TcxDBDataController*>(DataController());
  if (!Destroying() && c->DataSet() != nullptr && db::IsEditState(c->DataSet()->State())) {
    try {
      c->CheckBrowseMode();
    } catch (...) {
      FActive = false;
      throw;
    }
  }
  if (FOnBeforeChange && !c->IsLoading()) FOnBeforeChange(this, c->DataSet(), GetFilterText());
  if (IsAutoDataSetFilter()) applyToDataSet();
  TcxDataFilterCriteria::Update();
  if (!Destroying() && c->Provider()->IsSyncMode() && !c->IsDestroying()) c->CheckFocusedRow();
}

void TcxDBDataFilterCriteria::RestoreDefaults() {
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(); });
  TcxDataFilterCriteria::RestoreDefaults();
  FAutoDataSetFilter = false;
  FIgnoreOrigin = true;
}

void TcxDBDataFilterCriteria::Assign(rtl::TPersistent* ASource) {
  BeginUpdate();
  rtl::ScopeExit end([this] { EndUpdate(); });
  TcxDataFilterCriteria::Assign(ASource);
  if (auto* source = dynamic_cast<TcxDBDataFilterCriteria*>(ASource)) {
    FAutoDataSetFilter = source->FAutoDataSetFilter;
    FIgnoreOrigin = source->FIgnoreOrigin;
  }
}

void TcxDBDataFilterCriteria::AssignEvents(rtl::TPersistent* ASource) {
  TcxDataFilterCriteria::AssignEvents(ASource);
  if (auto* source = dynamic_cast<TcxDBDataFilterCriteria*>(ASource)) FOnBeforeChange = source->FOnBeforeChange;
}

}  // namespace data
