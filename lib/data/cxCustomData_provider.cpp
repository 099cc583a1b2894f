// The provider with its edit states, the program-supplied record source,
// the value-def readers and the controller's editing operations.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxCustomData_scopes.h"
#include "platform/rtl/scoped.h"

namespace data {

using rtl::String;
using rtl::Variant;

namespace {

Variant handleToVariant(TcxDataRecordHandle AHandle) {
  return Variant(static_cast<long long>(reinterpret_cast<std::intptr_t>(AHandle)));
}

TcxDataRecordHandle variantToHandle(const Variant& AValue) {
  if (rtl::VarIsNull(AValue) || rtl::VarIsEmpty(AValue)) return nullptr;
  return reinterpret_cast<TcxDataRecordHandle>(static_cast<std::intptr_t>(AValue.AsInt64()));
}
}  // namespace

// --- record source -----------------------------------------------------------------------------
TcxCustomDataSource::~TcxCustomDataSource() {
  // Providers still attached forget this source.
  if (FProviders) {
    const std::vector<TcxCustomDataProvider*> providers = *FProviders;
    for (TcxCustomDataProvider* provider : providers) provider->SetCustomDataSource(nullptr);
  }
}

String TcxCustomDataSource::GetDisplayText(TcxDataRecordHandle ARecordHandle, TcxDataItemHandle AItemHandle) {
  return rtl::VarToStr(GetValue(ARecordHandle, AItemHandle));
}

TcxDataItemHandle TcxCustomDataSource::GetItemHandle(int AItemIndex) {
  return reinterpret_cast<TcxDataItemHandle>(static_cast<std::intptr_t>(AItemIndex));
}

TcxDataRecordHandle TcxCustomDataSource::GetRecordHandle(int ARecordIndex) {
  TcxCustomDataController* controller = GetDataController();
  if (controller == nullptr || controller->RecordHandlesField() == nullptr) return nullptr;
  return variantToHandle(controller->GetStoredValue(ARecordIndex, controller->RecordHandlesField()));
}

TcxCustomDataController* TcxCustomDataSource::GetDataController() const {
  TcxCustomDataProvider* provider = GetProvider();
  return provider ? provider->DataController() : nullptr;
}

void TcxCustomDataSource::AddProvider(TcxCustomDataProvider* AProvider) {
  if (!FProviders) FProviders = std::make_unique<std::vector<TcxCustomDataProvider*>>();
  FProviders->push_back(AProvider);
}

void TcxCustomDataSource::RemoveProvider(TcxCustomDataProvider* AProvider) {
  if (FProviders) FProviders->erase(std::remove(FProviders->begin(), FProviders->end(), AProvider), FProviders->end());
  if (FCurrentProvider == AProvider) FCurrentProvider = nullptr;
  if (FDefaultProvider == AProvider) FDefaultProvider = nullptr;
}

int TcxCustomDataSource::AddRecordHandle(TcxDataRecordHandle AHandle) {
  TcxCustomDataController* controller = GetDataController();
  if (controller == nullptr || controller->RecordHandlesField() == nullptr) return -1;
  TcxDataStorage* storage = controller->DataStorage();
  const int record = storage->AppendRecord();
  storage->SetValue(record, controller->RecordHandlesField()->GetValueDef(), handleToVariant(AHandle));
  return record;
}

int TcxCustomDataSource::GetRecordIndexByHandle(TcxDataRecordHandle AHandle) {
  TcxCustomDataController* controller = GetDataController();
  if (controller == nullptr) return -1;
  for (int i = 0; i < controller->GetRecordCount(); ++i)
    if (GetRecordHandle(i) == AHandle) return i;
  return -1;
}

// --- provider: construction and the record source ---------------------------------------------------
TcxCustomDataProvider::TcxCustomDataProvider(TcxCustomDataController* ADataController)
    : FDataController(ADataController) {}

TcxCustomDataProvider::~TcxCustomDataProvider() {
  // The saved copy lives in the storage, which the controller clears itself.
  FSavedRecordIndex = 0;
  if (FCustomDataSource) {
    FCustomDataSource->RemoveProvider(this);
    FCustomDataSource = nullptr;
  }
}

TcxCustomDataSource* TcxCustomDataProvider::source() const {
  if (FCustomDataSource) FCustomDataSource->SetCurrentProvider(const_cast<TcxCustomDataProvider*>(this));
  return FCustomDataSource;
}

TcxDataRecordHandle TcxCustomDataProvider::recordHandle(int ARecordIndex) const {
  return source()->GetRecordHandle(ARecordIndex);
}

TcxDataItemHandle TcxCustomDataProvider::itemHandle(TcxCustomDataField* AField) const {
  return source()->GetItemHandle(AField->GetIndex());
}

int TcxCustomDataProvider::recordIndexOf(TcxDataRecordHandle AHandle) const {
  return source()->GetRecordIndexByHandle(AHandle);
}

void TcxCustomDataProvider::SetCustomDataSource(TcxCustomDataSource* Value) {
  if (!IsCustomDataSourceSupported() || Value == FCustomDataSource) return;
  if (FCustomDataSource) FCustomDataSource->RemoveProvider(this);
  FCustomDataSource = Value;
  if (FCustomDataSource) FCustomDataSource->AddProvider(this);
  if (FDataController->IsDestroying()) return;
  const bool saved = FDataController->InSetCustomDataSource();
  FDataController->SetInSetCustomDataSource(true);
  rtl::ScopeExit restore([this, saved] { FDataController->SetInSetCustomDataSource(saved); });
  FDataController->RestructData();
}

void TcxCustomDataProvider::CustomSort() {
  if (TcxCustomDataSource* s = source()) s->CustomSort();
}

bool TcxCustomDataProvider::IsCustomSorting() const {
  TcxCustomDataSource* s = source();
  return s != nullptr && s->IsCustomSorting();
}

bool TcxCustomDataProvider::IsRecordIdSupported() const {
  TcxCustomDataSource* s = source();
  return s != nullptr && s->IsRecordIdSupported();
}

bool TcxCustomDataProvider::CanDelete() const {
  return FDataController->DataControllerInfo()->GetInternalRecordCount() > 0;
}

int TcxCustomDataProvider::AddRecordHandle(TcxDataRecordHandle AHandle) {
  TcxCustomDataSource* s = source();
  return s ? s->AddRecordHandle(AHandle) : -1;
}

void TcxCustomDataProvider::LoadRecordHandles() {
  if (TcxCustomDataSource* s = source()) s->LoadRecordHandles();
}

int TcxCustomDataProvider::AppendRecord() {
  TcxCustomDataSource* s = source();
  if (s == nullptr) return -1;
  TcxDataRecordHandle handle = s->AppendRecord();
  return recordIndexOf(handle);
}

void TcxCustomDataProvider::DeleteRecord(int ARecordIndex) {
  if (TcxCustomDataSource* s = source()) s->DeleteRecord(recordHandle(ARecordIndex));
}

bool TcxCustomDataProvider::GetDetailHasChildren(int ARecordIndex, int ARelationIndex) {
  TcxCustomDataSource* s = source();
  return s != nullptr && s->GetDetailHasChildren(ARecordIndex, ARelationIndex);
}

String TcxCustomDataProvider::GetDisplayText(int ARecordIndex, TcxCustomDataField* AField) {
  TcxCustomDataSource* s = source();
  return s ? s->GetDisplayText(recordHandle(ARecordIndex), itemHandle(AField)) : String();
}

Variant TcxCustomDataProvider::GetRecordId(int ARecordIndex) {
  TcxCustomDataSource* s = source();
  return s ? s->GetRecordId(recordHandle(ARecordIndex)) : rtl::Null();
}

Variant TcxCustomDataProvider::GetValue(int ARecordIndex, TcxCustomDataField* AField) {
  TcxCustomDataSource* s = source();
  return s ? s->GetValue(recordHandle(ARecordIndex), itemHandle(AField)) : rtl::Null();
}

std::unique_ptr<TcxValueDefReader> TcxCustomDataProvider::CreateValueDefReader() {
  return std::make_unique<TcxValueDefReader>();
}

int TcxCustomDataProvider::InsertRecord(int ARecordIndex) {
  TcxCustomDataSource* s = source();
  if (s == nullptr) return -1;
  TcxDataRecordHandle handle =
      s->IsInsertSupported() ? s->InsertRecord(recordHandle(ARecordIndex)) : s->AppendRecord();
  return recordIndexOf(handle);
}

int TcxCustomDataProvider::NativeCompare(int ARecordIndex1, int ARecordIndex2, TcxCustomDataField* AField) {
  TcxDataStorage* storage = FDataController->DataStorage();
  TcxValueDef* def = AField->GetValueDef();
  if (ARecordIndex1 < 0 && ARecordIndex2 < 0) return storage->CompareRecords(ARecordIndex1, ARecordIndex2, def);
  auto read = [&](int record, TcxPreparedValue& value) {
    if (record < 0) return storage->GetCompareInfo(record, def, value);
    TcxCustomDataSource* s = source();
    return !(s != nullptr && s->GetCompareValue(recordHandle(record), itemHandle(AField), value));
  };
  TcxPreparedValue value1 = nullptr, value2 = nullptr;
  const bool null1 = read(ARecordIndex1, value1);
  const bool null2 = read(ARecordIndex2, value2);
  return def->CompareValues(null1, null2, value1, value2);
}

int TcxCustomDataProvider::NativeCompareFunc(int ARecordIndex1, int ARecordIndex2, TcxCustomDataField* AField) {
  TcxCustomDataSource* s = source();
  return s ? s->NativeCompareFunc(recordHandle(ARecordIndex1), recordHandle(ARecordIndex2), itemHandle(AField)) : 0;
}

void TcxCustomDataProvider::SetRecordCount(int ACount) {
  if (TcxCustomDataSource* s = source()) s->SetRecordCount(ACount);
}

void TcxCustomDataProvider::SetValue(int ARecordIndex, TcxCustomDataField* AField, const Variant& AValue) {
  if (TcxCustomDataSource* s = source()) s->SetValue(recordHandle(ARecordIndex), itemHandle(AField), AValue);
}

// --- provider: notifications from below ----------------------------------------------------------
void TcxCustomDataProvider::ActiveChanged(bool AActive) {
  FDataController->ActiveChanged(AActive);
  ResetEditing();
}

void TcxCustomDataProvider::DataChanged(TcxDataChange ADataChange, int AItemIndex, int ARecordIndex) {
  if (FLockCount == 0) FDataController->DataChanged(ADataChange, AItemIndex, ARecordIndex);
  if (FDataChangedLocked)
    ResetChanging();
  else
    ResetEditing();
}

void TcxCustomDataProvider::DataScrolled(int) {
  FDataController->DataScrolled();
  ResetChanging();
}

void TcxCustomDataProvider::LayoutChanged(TcxDataLayoutChanges ADataLayoutChanges) {
  FDataController->LayoutChanged(ADataLayoutChanges);
}

// --- provider: edit states ---------------------------------------------------------------------------
void TcxCustomDataProvider::CreateSavedRecord(int ARecordIndex) {
  if (FSavedRecordIndex == 0) FSavedRecordIndex = FDataController->DataStorage()->AddInternalRecord();
  FDataController->CopyRecord(ARecordIndex, FSavedRecordIndex);
}

void TcxCustomDataProvider::ClearSavedRecord() {
  if (FSavedRecordIndex < 0) FDataController->DataStorage()->DeleteInternalRecord(FSavedRecordIndex);
  FSavedRecordIndex = 0;
}

void TcxCustomDataProvider::EditingRecord() {
  TcxCustomDataController* c = FDataController;
  if (c->UseNewItemRowForEditing() && c->NewItemRowFocused() && !IsInserting()) {
    Insert();
    return;
  }
  FEditingRecordIndex = c->CalcEditingRecordIndex();
  if (FEditingRecordIndex >= 0) {
    FEditingRecordIndex1 = cxNullEditingRecordIndex;
    FEditingRecordIndex2 = cxNullEditingRecordIndex;
    const int focused = c->GetFocusedRowIndex();
    if (focused != -1) {
      // Where the record stays while the list re-sorts around it.
      if (focused < c->GetRowCount() - 1)
        FEditingRecordIndex2 = c->GetRowInfo(focused + 1).RecordIndex;
      else
        FEditingRecordIndex1 = c->GetRowInfo(focused == 0 ? focused : focused - 1).RecordIndex;
    }
  }
  if (FEditingRecordIndex == cxNullEditingRecordIndex) return;
  if ((!IsDataSource() || c->IsSmartRefresh()) && !IsInserting()) CreateSavedRecord(FEditingRecordIndex);
  c->Change({dccUpdateRecord});
}

bool TcxCustomDataProvider::CanInitEditing(int ARecordIndex) {
  FDataController->CheckRecordRange(ARecordIndex);
  if (!IsEditing()) SetEditing();
  if (IsEditing()) SetChanging();
  return true;
}

bool TcxCustomDataProvider::SetEditValue(int ARecordIndex, TcxCustomDataField* AField, const Variant& AValue,
                                         TcxDataEditValueSource AEditValueSource) {
  Variant value = AValue;
  if (AEditValueSource == evsText && rtl::VarToStr(value).empty()) value = rtl::Null();
  FDataController->SetValue(ARecordIndex, AField->GetIndex(), value);
  SetModified();
  return true;
}

Variant TcxCustomDataProvider::GetEditValue(int ARecordIndex, TcxCustomDataField* AField,
                                            TcxDataEditValueSource) {
  if (ARecordIndex == cxNullEditingRecordIndex)
    TcxCustomDataController::InvalidOperation(core::cxGetResourceString(&cxSDataRecordIndexError));
  return FDataController->GetInternalValue(ARecordIndex, AField);
}

void TcxCustomDataProvider::AssignItemValue(int ARecordIndex, TcxCustomDataField* AField, const Variant& AValue) {
  FDataController->SetValue(ARecordIndex, AField->GetIndex(), AValue);
}

void TcxCustomDataProvider::InsertingRecord(bool AIsAppending) {
  if (!IsDataSource() && IsInserting() && !IsChanging() && !IsModified()) return;  // an untouched new record
  if (IsEditing() && (IsChanging() || IsModified()) && !IsDataSource()) {
    if (IsChanging()) PostEditingData();
    Post(false);
  }
  FDataController->DoBeforeInsert();
  {
    UpdateScope update(*FDataController);
    DoInsertingRecord(AIsAppending);
  }
  FDataController->ChangeFocusedRecordIndex(FEditingRecordIndex);
  FDataController->DoAfterInsert();
}

void TcxCustomDataProvider::DoInsertingRecord(bool AIsAppending) {
  TcxCustomDataController* c = FDataController;
  std::vector<Variant> groupValues;
  if (c->UseNewItemRowForEditing()) {
    int reference = c->GetFocusedRecordIndex();
    if (reference == -1 && c->GetRowCount() > 0) reference = c->GetRowInfo(0).RecordIndex;
    c->GetGroupValues(reference, groupValues);
    FEditingRecordIndex = c->GetNewItemRecordIndex();
    c->SetNewItemRowFocused(true);
  } else {
    if (!AIsAppending) c->ClearSelection();
    if (IsGridMode()) {
      const int reference = c->GetFocusedRecordIndex();
      c->GetGroupValues(reference, groupValues);
      FEditingRecordIndex = reference;
    } else if (AIsAppending) {
      const int reference = c->GetRecordCount() - 1;
      c->GetGroupValues(reference, groupValues);
      FEditingRecordIndex = c->AppendRecord();
      FEditingRecordIndex1 = reference;
    } else {
      const int focused = c->GetFocusedRowIndex();
      const int reference = focused != -1 ? c->GetRowInfo(focused).RecordIndex : 0;
      // Read before the insertion moves the reference record.
      c->GetGroupValues(reference, groupValues);
      FEditingRecordIndex = c->InsertRecord(reference);
      const bool shifted = reference >= FEditingRecordIndex && reference < c->GetRecordCount() - 1;
      FEditingRecordIndex2 = reference + (shifted ? 1 : 0);
    }
  }
  DoInitInsertingRecord(FEditingRecordIndex, groupValues);
  ResetChanging();
  FInserting = true;
}

void TcxCustomDataProvider::DoInitInsertingRecord(int AInsertingRecordIndex,
                                                  const std::vector<Variant>& AGroupValues) {
  // Grouping levels hand their values to the new record here once grouping
  // exists (dcoAssignGroupingValues).
  FDataController->DoNewRecord(AInsertingRecordIndex);
}

void TcxCustomDataProvider::DoUpdateData() {
  if (FInUpdateData || !IsChanging()) return;
  rtl::ScopedValue<bool> guard(FInUpdateData, true);
  FDataController->UpdateData();
}

void TcxCustomDataProvider::PostEditingData() {
  DoUpdateData();
  ResetChanging();
}

void TcxCustomDataProvider::Post(bool APostFlag) {
  TcxCustomDataController* c = FDataController;
  FullUpdateScope update(*c);
  DoUpdateData();
  const bool inserting = IsInserting();
  int posted = -1;
  bool done = false;
  if (!inserting || IsModified() || APostFlag) {
    c->DoBeforePost();
    posted = FEditingRecordIndex;
    if (inserting && c->UseNewItemRowForEditing() && FEditingRecordIndex != cxNullEditingRecordIndex) {
      rtl::ScopedValue<bool> locked(FDataChangedLocked, FCustomDataSource != nullptr ? true : FDataChangedLocked);
      FInsertedRecordIndex = c->AppendRecord();
      posted = FInsertedRecordIndex;
      c->CopyRecord(FEditingRecordIndex, FInsertedRecordIndex);
    }
    ResetEditing();
    done = true;
  } else {
    Cancel();
  }
  c->DataChanged(dcRecord, -1, posted);
  if (done) c->DoAfterPost();
}

void TcxCustomDataProvider::Cancel() {
  TcxCustomDataController* c = FDataController;
  c->DoBeforeCancel();
  {
    UpdateScope update(*c);
    const int editing = FEditingRecordIndex;
    if (editing != cxNullEditingRecordIndex && (editing < c->GetRecordCount() || c->IsNewItemRecord(editing))) {
      if (IsInserting()) {
        const bool savedSmartLoad = c->InSmartLoad();
        c->SetInSmartLoad(c->IsSmartLoad());
        rtl::ScopeExit restore([c, savedSmartLoad] { c->SetInSmartLoad(savedSmartLoad); });
        const int focused = c->GetFocusedRecordIndex();
        c->DeleteRecord(editing);
        if (!c->InCancel() && focused >= c->GetRecordCount() && focused > 0) c->ChangeFocusedRecordIndex(focused - 1);
      } else if (FSavedRecordIndex < 0) {
        c->CopyRecord(FSavedRecordIndex, editing);
      }
    }
    ResetEditing();
  }
  c->DoAfterCancel();
}

void TcxCustomDataProvider::ResetEditing() {
  TcxCustomDataController* c = FDataController;
  if (FEditingRecordIndex < 0 && c->IsNewItemRecord(FEditingRecordIndex))
    c->DataStorage()->DeleteRecord(FEditingRecordIndex);  // the new-item row reads empty again
  FEditingRecordIndex = cxNullEditingRecordIndex;
  FEditingRecordIndex1 = cxNullEditingRecordIndex;
  FEditingRecordIndex2 = cxNullEditingRecordIndex;
  FInserting = false;
  ResetChanging();
  ResetModified();
  ClearSavedRecord();
}

// --- provider: deleting ------------------------------------------------------------------------------
void TcxCustomDataProvider::BeginDeleting() {
  if (IsGridMode()) return;
  TcxCustomDataController* c = FDataController;
  int row = c->GetFocusedRowIndex();
  if (row == -1) return;
  if (!c->MultiSelect() || c->IsRowSelected(row) || c->GetSelectedCount() == 0) row = c->GetNearestRowIndex(row);
  if (row >= 0 && row < c->GetRowCount()) c->SetNearestRecordIndex(c->GetRowInfo(row).RecordIndex);
}

void TcxCustomDataProvider::EndDeleting() { FDataController->SetNearestRecordIndex(-1); }

void TcxCustomDataProvider::Delete() {
  TcxCustomDataController* c = FDataController;
  const int record = c->GetFocusedRecordIndex();
  if (record == -1) return;
  c->DoBeforeDelete(record);
  const bool providerMode = c->IsProviderMode();
  if (providerMode) c->SaveKeys();
  rtl::ScopeExit restoreKeys([c, providerMode] {
    if (providerMode) c->RestoreKeys();
  });
  {
    c->LockStateInfo(true);
    rtl::ScopeExit unlock([c] { c->UnlockStateInfo(true); });
    c->DeleteRecord(record);
    c->CheckNearestFocusRow();
  }
  c->DoAfterDelete();
}

void TcxCustomDataProvider::DoDeleteRecords(const std::vector<int>& AList) {
  TcxCustomDataController* c = FDataController;
  // Many records at once: one pass over the storage instead of one tail
  // move per record (the same records and values remain).
  if (c->CanDeleteRecordsAtOnce(AList)) {
    c->DeleteRecordsAtOnce(AList);
    return;
  }
  for (auto it = AList.rbegin(); it != AList.rend(); ++it) {
    c->DoBeforeDelete(*it);
    c->DeleteRecord(*it);
    c->DoAfterDelete();
  }
}

void TcxCustomDataProvider::DeleteRecords(const std::vector<int>& AList) {
  TcxCustomDataController* c = FDataController;
  const bool providerMode = c->IsProviderMode();
  if (providerMode) c->SaveKeys();
  rtl::ScopeExit restoreKeys([c, providerMode] {
    if (providerMode) c->RestoreKeys();
  });
  {
    FullUpdateScope update(*c);
    c->LockStateInfo(true);
    rtl::ScopeExit unlock([c] { c->UnlockStateInfo(true); });
    DoDeleteRecords(AList);
    if (c->InDeleteSelection()) c->ClearSelection();
  }
  c->CheckNearestFocusRow();
}

void TcxCustomDataProvider::DeleteSelection() {
  TcxCustomDataController* c = FDataController;
  // A selected group row stands for all the records of its group; a record
  // selected on its own as well is deleted once (the list drops repeats).
  std::vector<int> records;
  const TcxCustomDataControllerInfo& info = *c->DataControllerInfo();
  const TcxDataSelection& selection = *info.Selection();
  records.reserve(static_cast<size_t>(selection.Count()));
  for (int i = 0; i < selection.Count(); ++i) {
    const TcxSelectionInfo& entry = selection.Items(i);
    if (entry.Level >= 0) {
      records.push_back(entry.RecordIndex);
      continue;
    }
    const TcxDataGroupInfo& group = info.GetDataGroup(entry.RecordIndex);
    for (int p = group.BeginRecordListIndex; p <= group.EndRecordListIndex; ++p)
      records.push_back(info.GetInternalRecordIndex(p));
  }
  c->SetInDeleteSelection(true);
  rtl::ScopeExit done([c] { c->SetInDeleteSelection(false); });
  c->DeleteRecords(std::move(records));
}

// The controller's side of editing is in cxCustomData_edit.cpp.

// --- readers ---------------------------------------------------------------------------------------------
namespace {
TcxCustomDataField* fieldOf(TcxValueDef* AValueDef) {
  return AValueDef ? dynamic_cast<TcxCustomDataField*>(AValueDef->GetLinkObject()) : nullptr;
}
}  // namespace

bool IsValueDefInternal(TcxValueDef* AValueDef) {
  TcxCustomDataField* field = fieldOf(AValueDef);
  return field != nullptr && field->IsValueDefInternal();
}

String TcxValueDefRecordReader::GetDisplayText(TcxValueDef* AValueDef) {
  TcxCustomDataField* field = fieldOf(AValueDef);
  if (field == nullptr || field->IsInternal()) return String();
  return FDataController->GetInternalDisplayText(FRecordIndex, field);
}

Variant TcxValueDefRecordReader::GetValue(TcxValueDef* AValueDef) {
  TcxCustomDataField* field = fieldOf(AValueDef);
  return field ? FDataController->GetInternalValue(FRecordIndex, field) : rtl::Null();
}

bool TcxValueDefRecordReader::IsInternal(TcxValueDef* AValueDef) { return IsValueDefInternal(AValueDef); }

Variant TcxValueDefUnboundReader::GetValue(TcxValueDef* AValueDef) {
  if (auto* internal = dynamic_cast<TcxInternalValueDef*>(AValueDef)) AValueDef = internal->GetValueDef();
  const auto it = std::find(FItems.begin(), FItems.end(), AValueDef);
  if (it == FItems.end()) return rtl::Null();
  const size_t index = static_cast<size_t>(it - FItems.begin());
  if (index >= FValues.size() || !FValues[index]) return rtl::Null();
  return *FValues[index];
}

bool TcxValueDefUnboundReader::IsInternal(TcxValueDef* AValueDef) { return IsValueDefInternal(AValueDef); }

void TcxValueDefUnboundReader::SetValue(TcxValueDef* AValueDef, const Variant& AValue) {
  auto it = std::find(FItems.begin(), FItems.end(), AValueDef);
  if (it == FItems.end()) it = FItems.insert(FItems.end(), AValueDef);
  const size_t index = static_cast<size_t>(it - FItems.begin());
  if (FValues.size() < FItems.size()) FValues.resize(FItems.size());
  if (!FValues[index]) FValues[index] = std::make_unique<Variant>();
  *FValues[index] = AValue;
}

void TcxValueDefUnboundReader::Truncate(int ACount) {
  if (ACount < 0) ACount = 0;
  if (FValues.size() > static_cast<size_t>(ACount)) FValues.resize(static_cast<size_t>(ACount));
}

}  // namespace data
