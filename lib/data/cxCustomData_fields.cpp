// Fields and the field list, the controller's item operations, value and
// record access, and how the storage is loaded and restructured.
#include <algorithm>
#include <utility>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataSummary.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxCustomData_scopes.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace data {

using rtl::String;
using rtl::Variant;

namespace {

[[noreturn]] void raise(const TcxResourceString& text) {
  TcxCustomDataController::InvalidOperation(core::cxGetResourceString(&text));
}
}  // namespace

// --- fields --------------------------------------------------------------------------------------
TcxCustomDataField::TcxCustomDataField(TcxCustomDataFieldList* AFieldList) : FFieldList(AFieldList) {}

TcxCustomDataField::~TcxCustomDataField() {
  if (FReferenceField == nullptr) dropValueDef();
}

TcxCustomDataController* TcxCustomDataField::DataController() const { return FFieldList->DataController(); }

bool TcxCustomDataField::CanModify() const {
  return GetValueDef() != nullptr || DataController()->IsProviderMode();
}

int TcxCustomDataField::GetIndex() const { return FCachedIndex != -1 ? FCachedIndex : FFieldList->IndexOf(this); }

void TcxCustomDataField::SetIndex(int AValue) { FFieldList->Move(FFieldList->IndexOf(this), AValue); }

void TcxCustomDataField::SetIsInternal(bool AValue) {
  if (FIsInternal == AValue) return;
  FIsInternal = AValue;
  FFieldList->RecountInternal();
}

TcxValueDef* TcxCustomDataField::GetValueDef() const {
  return FReferenceField ? FReferenceField->GetValueDef() : FValueDef;
}

TcxValueTypeClass TcxCustomDataField::GetValueTypeClass() const {
  return FReferenceField ? FReferenceField->GetValueTypeClass() : FValueTypeClass;
}

bool TcxCustomDataField::GetTextStored() const {
  return FReferenceField ? FReferenceField->GetTextStored() : FTextStored;
}

void TcxCustomDataField::SetValueTypeClass(TcxValueTypeClass AValue) {
  if (FReferenceField != nullptr || FValueTypeClass == AValue) return;
  BeginRecreateData();
  FValueTypeClass = AValue;
  EndRecreateData();
}

void TcxCustomDataField::SetTextStored(bool AValue) {
  if (FReferenceField != nullptr || FTextStored == AValue) return;
  BeginRecreateData();
  FTextStored = AValue;
  EndRecreateData();
}

void TcxCustomDataField::SetReferenceField(TcxCustomDataField* AField) {
  TcxCustomDataField* end = AField;
  while (end != nullptr && end->FReferenceField != nullptr) end = end->FReferenceField;
  if (end == this || end == FReferenceField) return;
  if (FReferenceField == nullptr) {
    // Its own definition gives way to the other field's.
    dropValueDef();
    FValueTypeClass = nullptr;
  }
  FReferenceField = end;
  if (FReferenceField == nullptr) CreateData();
  Changed();
}

void TcxCustomDataField::BeginRecreateData() {
  if (FLockRecreateData++ == 0) ClearData();
}

void TcxCustomDataField::EndRecreateData() {
  if (--FLockRecreateData == 0) {
    CreateData();
    Changed();
  }
}

void TcxCustomDataField::CreateData() {
  if (FReferenceField != nullptr || FValueTypeClass == nullptr) return;
  dropValueDef();
  FValueDef = DataController()->DataStorage()->ValueDefs()->Add(FValueTypeClass, FIsInternal, FTextStored, this);
}

void TcxCustomDataField::ClearData() {
  if (FReferenceField == nullptr) dropValueDef();
}

void TcxCustomDataField::dropValueDef() {
  if (FValueDef == nullptr) return;
  TcxValueDef* def = FValueDef;
  FValueDef = nullptr;
  DataController()->DataStorage()->ValueDefs()->Remove(def);
}

void TcxCustomDataField::Reassign(TcxCustomDataField* ASource) {
  dropValueDef();
  FValueDef = ASource->FValueDef;
  FValueTypeClass = ASource->FValueTypeClass;
  FTextStored = ASource->FTextStored;
  FReferenceField = nullptr;
  if (FValueDef) FValueDef->SetLinkObject(this);
  ASource->FValueDef = nullptr;
  ASource->FValueTypeClass = nullptr;
}

void TcxCustomDataField::Changed() {
  FCachedIndex = -1;
  TcxCustomDataController* controller = DataController();
  if (controller->IsDestroying()) return;
  TcxCustomDataProvider* provider = controller->Provider();
  if (provider != nullptr && provider->LockCount() == 0) provider->LayoutChanged({lcStructure});
}

void TcxCustomDataField::PrepareComparison(int AFlag) {
  FCachedIndex = FFieldList->IndexOf(this);
  FNeedConversionFlag = AFlag;
}

void TcxCustomDataField::ResetComparison() {
  FNeedConversionFlag = cfUndefined;
  FCachedIndex = -1;
}

// --- field list ------------------------------------------------------------------------------------
TcxCustomDataFieldList::~TcxCustomDataFieldList() { Clear(); }

void TcxCustomDataFieldList::Add(std::unique_ptr<TcxCustomDataField> AField) {
  if (AField->IsInternal())
    FItems.push_back(std::move(AField));
  else
    FItems.insert(FItems.begin() + ItemCount(), std::move(AField));
  RecountInternal();
}

void TcxCustomDataFieldList::RecountInternal() {
  FInternalCount = static_cast<int>(
      std::count_if(FItems.begin(), FItems.end(), [](const auto& f) { return f->IsInternal(); }));
}

int TcxCustomDataFieldList::IndexOf(const TcxCustomDataField* AField) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == AField) return static_cast<int>(i);
  return -1;
}

void TcxCustomDataFieldList::Move(int ACurIndex, int ANewIndex) {
  if (ACurIndex == ANewIndex || ACurIndex < 0 || ANewIndex < 0 || ACurIndex >= Count() || ANewIndex >= Count())
    return;
  std::unique_ptr<TcxCustomDataField> field = std::move(FItems[static_cast<size_t>(ACurIndex)]);
  FItems.erase(FItems.begin() + ACurIndex);
  FItems.insert(FItems.begin() + ANewIndex, std::move(field));
}

TcxCustomDataField* TcxCustomDataFieldList::FieldByItem(const TObject* AItem) const {
  if (AItem == nullptr) return nullptr;
  for (const auto& field : FItems)
    if (field->Item() == AItem) return field.get();
  return nullptr;
}

void TcxCustomDataFieldList::ReassignFields(TcxCustomDataField* AField) {
  TcxCustomDataField* heir = nullptr;
  for (const auto& field : FItems) {
    if (field.get() == AField || field->FReferenceField != AField) continue;
    if (heir == nullptr) {
      heir = field.get();
      heir->Reassign(AField);
    } else {
      field->FReferenceField = heir;
    }
  }
}

void TcxCustomDataFieldList::Remove(TcxCustomDataField* AField) {
  const int index = IndexOf(AField);
  if (index < 0) return;
  std::unique_ptr<TcxCustomDataField> field = std::move(FItems[static_cast<size_t>(index)]);
  FItems.erase(FItems.begin() + index);
  RecountInternal();
  FFieldDestroyed = true;
  ReassignFields(field.get());
  FDataController->RemoveField(field.get());
}

void TcxCustomDataFieldList::Clear() {
  while (!FItems.empty()) Remove(FItems.back().get());
}

// --- items -----------------------------------------------------------------------------------------
int TcxCustomDataController::GetItemCount() const { return FFields->ItemCount(); }

void TcxCustomDataController::CheckItemRange(int AItemIndex) const {
  if (AItemIndex < 0 || AItemIndex >= GetItemCount()) raise(cxSDataItemIndexError);
}

TcxCustomDataField* TcxCustomDataController::GetItemField(int AItemIndex) const {
  CheckItemRange(AItemIndex);
  return FFields->Items(AItemIndex);
}

std::unique_ptr<TcxCustomDataField> TcxCustomDataController::CreateField() {
  return std::make_unique<TcxCustomDataField>(FFields.get());
}

TcxCustomDataField* TcxCustomDataController::AddField() {
  std::unique_ptr<TcxCustomDataField> field = CreateField();
  TcxCustomDataField* result = field.get();
  FFields->Add(std::move(field));
  return result;
}

TcxCustomDataField* TcxCustomDataController::AddInternalField() {
  std::unique_ptr<TcxCustomDataField> field = CreateField();
  field->SetIsInternal(true);
  TcxCustomDataField* result = field.get();
  FFields->Add(std::move(field));
  return result;
}

TcxCustomDataField* TcxCustomDataController::AddItem(TObject* AItem) {
  if (AItem != nullptr && FFields->FieldByItem(AItem) != nullptr) raise(cxSDataItemExistError);
  TcxCustomDataField* field = AddField();
  field->SetItem(AItem);
  return field;
}

void TcxCustomDataController::RemoveItem(TObject* AItem) {
  TcxCustomDataField* field = FFields->FieldByItem(AItem);
  if (field == nullptr) return;
  UpdateScope update(*this);
  FDataControllerInfo->RemoveField(field);
  FFields->Remove(field);
}

void TcxCustomDataController::RemoveField(TcxCustomDataField* AField) {
  if (AField == FRecordHandlesField) FRecordHandlesField = nullptr;
  // Relations, filters, summaries, the incremental filter and search and the
  // sorting-by-summary item forget the field here as they are built.
  if (FDataControllerInfo && !FDestroying) FDataControllerInfo->RemoveField(AField);
  if (!FDestroying) RemoveFieldFromFilters(AField);
  if (!FDestroying && FSummary) FSummary->RemoveItemByField(AField);
  relationsRemoveField(AField);
}

void TcxCustomDataController::RemoveNotification(TComponent* AComponent) {
  for (int i = 0; i < FFields->Count(); ++i) FFields->Items(i)->RemoveNotification(AComponent);
}

void TcxCustomDataController::UpdateItemIndexes() {
  for (int i = 0; i < GetItemCount(); ++i) {
    TcxCustomDataField* field = FFields->FieldByItem(GetItem(i));
    if (field != nullptr) FFields->Move(FFields->IndexOf(field), i);
  }
  Change({dccLayout});
}

bool TcxCustomDataController::ItemPropertiesChanged(int AItemIndex) {
  // Sorted and grouped items refresh too once sorting and grouping exist.
  if (AItemIndex != -1) return false;
  Refresh();
  return true;
}

String TcxCustomDataController::GetItemName(TObject* AItem) const {
  if (auto* component = dynamic_cast<TComponent*>(AItem)) return component->Name();
  return String();
}

TObject* TcxCustomDataController::FindItemByInternalID(int AID) const {
  for (int i = 0; i < GetItemCount(); ++i)
    if (GetItemID(GetItem(i)) == AID) return GetItem(i);
  return nullptr;
}

TObject* TcxCustomDataController::FindItemByName(rtl::StringView AName) const {
  for (int i = 0; i < GetItemCount(); ++i)
    if (rtl::SameText(GetItemName(GetItem(i)), AName)) return GetItem(i);
  return nullptr;
}

bool TcxCustomDataController::IsDataField(TcxCustomDataField* AField) const {
  if (!AField->IsInternal()) return true;
  return AField->ReferenceField() != nullptr && !AField->ReferenceField()->IsInternal();
}

TcxValueTypeClass TcxCustomDataController::GetItemValueTypeClass(int AItemIndex) const {
  return GetItemField(AItemIndex)->GetValueTypeClass();
}

void TcxCustomDataController::ChangeValueTypeClass(int AItemIndex, TcxValueTypeClass AValueTypeClass) {
  TcxCustomDataField* field = GetItemField(AItemIndex);
  if (field->GetValueTypeClass() == AValueTypeClass) return;
  field->SetValueTypeClass(AValueTypeClass);
  if (IsProviderMode()) RestructData();
  FDataControllerInfo->UpdateField(field);
  DoValueTypeClassChanged(AItemIndex);
}

void TcxCustomDataController::ChangeTextStored(int AItemIndex, bool ATextStored) {
  if (GetItemTextStored(AItemIndex) == ATextStored) return;
  TcxCustomDataField* field = GetItemField(AItemIndex);
  field->SetTextStored(ATextStored);
  FDataControllerInfo->UpdateField(field);
}

void TcxCustomDataController::ChangeNeedConversion(int AItemIndex, bool ANeedConversion) {
  if (GetItemNeedConversion(AItemIndex) == ANeedConversion) return;
  TcxCustomDataField* field = GetItemField(AItemIndex);
  field->SetNeedConversion(ANeedConversion);
  FDataControllerInfo->UpdateField(field);
}

bool TcxCustomDataController::GetItemTextStored(int AItemIndex) const {
  return GetItemField(AItemIndex)->GetTextStored();
}

bool TcxCustomDataController::GetItemNeedConversion(int AItemIndex) const {
  CheckItemRange(AItemIndex);
  return false;
}

bool TcxCustomDataController::IsDisplayFormatDefined(int AItemIndex, bool) const {
  return GetItemTextStored(AItemIndex);
}

TcxSummaryKinds TcxCustomDataController::GetAllowedSummaryKinds(TcxValueTypeClass AValueTypeClass) const {
  const TcxSummaryKinds countOnly = {skNone, skCount};
  if (AValueTypeClass == nullptr) return countOnly;
  const rtl::TVarType type = AValueTypeClass->GetVarType();
  const bool numeric = (type >= 2 && type <= 7) || (type >= 16 && type <= 20) ||
                       type == TcxFMTBcdValueType::Instance()->GetVarType();
  if (!numeric) return countOnly;
  if (type == 7) return {skNone, skMin, skMax, skCount};
  return {skNone, skSum, skMin, skMax, skCount, skAverage};
}

TcxSummaryKinds TcxCustomDataController::GetAllowedSummaryKinds(int AItemIndex) const {
  return GetAllowedSummaryKinds(GetItemField(AItemIndex));
}

TcxSummaryKinds TcxCustomDataController::GetAllowedSummaryKinds(TcxCustomDataField* AField) const {
  return GetAllowedSummaryKinds(AField ? AField->GetValueTypeClass() : nullptr);
}

// --- values --------------------------------------------------------------------------------------
void TcxCustomDataController::CheckRecordRange(int ARecordIndex) const {
  if (ARecordIndex >= 0 && ARecordIndex < GetRecordCount()) return;
  if (ARecordIndex < 0 && (IsNewItemRecord(ARecordIndex) ||
                           (FProvider->SavedRecordIndex() != 0 && ARecordIndex == FProvider->SavedRecordIndex()) ||
                           (FSavedInternalRecordIndex != 0 && ARecordIndex == FSavedInternalRecordIndex)))
    return;
  raise(cxSDataRecordIndexError);
}

TcxCustomDataField* TcxCustomDataController::valueField(int ARecordIndex, int AItemIndex) const {
  CheckRecordRange(ARecordIndex);
  return GetItemField(AItemIndex);
}

Variant TcxCustomDataController::GetValue(int ARecordIndex, int AItemIndex) const {
  return GetInternalValue(ARecordIndex, valueField(ARecordIndex, AItemIndex));
}

String TcxCustomDataController::GetDisplayText(int ARecordIndex, int AItemIndex) const {
  return GetInternalDisplayText(ARecordIndex, valueField(ARecordIndex, AItemIndex));
}

void TcxCustomDataController::SetValue(int ARecordIndex, int AItemIndex, const Variant& Value) {
  TcxCustomDataField* field = valueField(ARecordIndex, AItemIndex);
  if (IsGridMode()) return;
  if (IsProviderMode() && ARecordIndex >= 0) {
    FProvider->SetValue(ARecordIndex, field, Value);
  } else {
    TcxValueDef* def = field->GetValueDef();
    if (def == nullptr) return;
    FDataStorage->SetValue(ARecordIndex, def, Value);
  }
  DataChanged(dcField, AItemIndex, ARecordIndex);
}

void TcxCustomDataController::SetDisplayText(int ARecordIndex, int AItemIndex, const String& Value) {
  TcxCustomDataField* field = valueField(ARecordIndex, AItemIndex);
  if (IsGridMode()) return;
  if (IsProviderMode() && ARecordIndex >= 0) {
    FProvider->SetDisplayText(ARecordIndex, field, Value);
  } else {
    TcxValueDef* def = field->GetValueDef();
    if (def == nullptr) return;
    FDataStorage->SetDisplayText(ARecordIndex, def, Value);
  }
  DataChanged(dcField, AItemIndex, ARecordIndex);
}

Variant TcxCustomDataController::GetInternalValue(int ARecordIndex, TcxCustomDataField* AField) const {
  if (ARecordIndex >= 0 && IsProviderMode() && IsDataField(AField)) return FProvider->GetValue(ARecordIndex, AField);
  return GetStoredValue(ARecordIndex, AField);
}

String TcxCustomDataController::GetInternalDisplayText(int ARecordIndex, TcxCustomDataField* AField) const {
  if (ARecordIndex >= 0 && IsProviderMode() && IsDataField(AField))
    return FProvider->GetDisplayText(ARecordIndex, AField);
  return GetStoredDisplayText(ARecordIndex, AField);
}

Variant TcxCustomDataController::GetStoredValue(int ARecordIndex, TcxCustomDataField* AField) const {
  if (IsGridMode() && IsDataField(AField)) return FProvider->GetExternalDataValue(ARecordIndex, AField);
  TcxValueDef* def = AField->GetValueDef();
  if (def == nullptr) return rtl::Null();
  return FDataStorage->GetValue(ARecordIndex, def);
}

String TcxCustomDataController::GetStoredDisplayText(int ARecordIndex, TcxCustomDataField* AField) const {
  if (IsGridMode() && IsDataField(AField)) return FProvider->GetExternalDataDisplayText(ARecordIndex, AField);
  TcxValueDef* def = AField->GetValueDef();
  if (def == nullptr) return String();
  return FDataStorage->GetDisplayText(ARecordIndex, def);
}

void TcxCustomDataController::SetStoredValue(int ARecordIndex, TcxCustomDataField* AField, const Variant& Value) {
  if (TcxValueDef* def = AField->GetValueDef()) FDataStorage->SetValue(ARecordIndex, def, Value);
}

Variant TcxCustomDataController::GetInternalRecordId(int ARecordIndex,
                                                     const std::vector<TcxCustomDataField*>& AKeyFields) const {
  if (AKeyFields.empty()) return IsProviderMode() ? FProvider->GetRecordId(ARecordIndex) : rtl::Null();
  if (AKeyFields.size() == 1) return GetInternalValue(ARecordIndex, AKeyFields.front());
  Variant result = rtl::VarArrayCreate({0, static_cast<int>(AKeyFields.size()) - 1}, rtl::varVariant);
  for (size_t i = 0; i < AKeyFields.size(); ++i)
    rtl::VarArrayPut(result, GetInternalValue(ARecordIndex, AKeyFields[i]), static_cast<int>(i));
  return result;
}

Variant TcxCustomDataController::GetRecordId(int ARecordIndex) const {
  if (ARecordIndex < 0 || ARecordIndex >= GetRecordCount()) raise(cxSDataRecordIndexError);
  if (FDataStorage->UseRecordID()) return Variant(FDataStorage->GetRecordID(ARecordIndex));
  if (IsProviderMode() && FProvider->IsRecordIdSupported()) return FProvider->GetRecordId(ARecordIndex);
  return rtl::Null();
}

Variant TcxCustomDataController::GetRowValue(const TcxRowInfo& ARowInfo, int AItemIndex) const {
  return GetValue(ARowInfo.RecordIndex, AItemIndex);
}

String TcxCustomDataController::GetRowDisplayText(const TcxRowInfo& ARowInfo, int AItemIndex) const {
  return GetDisplayText(ARowInfo.RecordIndex, AItemIndex);
}

bool TcxCustomDataController::GetGroupValues(int ARecordIndex, std::vector<Variant>& AValues) const {
  AValues.clear();
  return ARecordIndex >= 0 && ARecordIndex < GetRecordCount();
}

// --- records ---------------------------------------------------------------------------------------
int TcxCustomDataController::GetRecordCount() const { return FDataStorage->RecordCount(); }

void TcxCustomDataController::SetRecordCount(int ACount) {
  if (IsGridMode()) return;
  if (ACount < 0) ACount = 0;
  const int old = GetRecordCount();
  if (ACount == old) return;
  if (IsProviderMode()) {
    FProvider->SetRecordCount(ACount);
    return;
  }
  FDataStorage->SetRecordCount(ACount);
  if (GetRecordCount() == old) return;
  CheckSelectedCount();
  const int editing = FProvider->EditingRecordIndex();
  if (editing != cxNullEditingRecordIndex && editing >= GetRecordCount()) FProvider->ResetEditing();
  DataChanged(GetRecordCount() > old ? dcNew : dcDeleted, -1, -1);
}

int TcxCustomDataController::AppendRecord() {
  if (IsSmartLoad()) return AppendInSmartLoad();
  if (IsProviderMode()) return FProvider->AppendRecord();
  const int result = FDataStorage->AppendRecord();
  DataChanged(dcNew, -1, -1);
  return result;
}

int TcxCustomDataController::InsertRecord(int ARecordIndex) {
  if (ARecordIndex < 0 || ARecordIndex > GetRecordCount()) raise(cxSDataRecordIndexError);
  if (IsSmartLoad()) return AppendInSmartLoad();
  if (IsProviderMode()) return FProvider->InsertRecord(ARecordIndex);
  FDataStorage->InsertRecord(ARecordIndex);
  CorrectAfterInsert(ARecordIndex);
  if (FNearestRecordIndex >= ARecordIndex) ++FNearestRecordIndex;
  DataChanged(dcNew, -1, -1);
  return ARecordIndex;
}

void TcxCustomDataController::DeleteRecord(int ARecordIndex) {
  CheckRecordRange(ARecordIndex);
  if (IsSmartLoad() && ARecordIndex >= 0) {
    DeleteInSmartLoad(ARecordIndex);
    return;
  }
  if (ARecordIndex == FProvider->EditingRecordIndex()) FProvider->SetEditingRecordIndex(cxNullEditingRecordIndex);
  if (IsProviderMode() && ARecordIndex >= 0) {
    FProvider->DeleteRecord(ARecordIndex);
    return;
  }
  FDataStorage->DeleteRecord(ARecordIndex);
  CorrectAfterDelete(ARecordIndex);
  CheckSelectedCount(ARecordIndex);
  if (IsNewItemRecord(ARecordIndex)) FNewItemRecordIndex = 0;
  DataChanged(dcDeleted, -1, -1);
}

void TcxCustomDataController::CopyRecord(int AFromRecordIndex, int AToRecordIndex) {
  TcxValueDefRecordReader reader(this, AFromRecordIndex);
  if (IsProviderMode() && AToRecordIndex >= 0) {
    for (int i = 0; i < FFields->Count(); ++i) {
      TcxCustomDataField* field = FFields->Items(i);
      if (field->IsInternal()) continue;
      FProvider->SetValue(AToRecordIndex, field, GetInternalValue(AFromRecordIndex, field));
      if (field->GetTextStored())
        FProvider->SetDisplayText(AToRecordIndex, field, GetInternalDisplayText(AFromRecordIndex, field));
    }
  } else {
    FDataStorage->ReadRecord(AToRecordIndex, &reader);
  }
  if (AToRecordIndex >= 0) DataChanged(dcRecord, -1, AToRecordIndex);
}

// --- smart loading -----------------------------------------------------------------------------------
void TcxCustomDataController::BeginSmartLoad() {
  FProvider->Freeze();
  FProvider->SavePos();
  FDataStorage->BeginLoad();
}

void TcxCustomDataController::EndSmartLoad() {
  FDataStorage->EndLoad();
  FProvider->RestorePos();
  FProvider->Unfreeze();
  UpdateFocused();
  Refresh();
}

int TcxCustomDataController::LoadRecord(TcxValueDefReader* AReader) {
  // In provider mode the record is the handle the reader carries.
  if (IsProviderMode()) {
    auto* handles = dynamic_cast<TcxDataRecordHandleReader*>(AReader);
    if (handles == nullptr) return -1;
    const int record = FProvider->AddRecordHandle(handles->GetRecordHandle());
    if (record >= 0) DoReadRecord(record);
    return record;
  }
  const int record = FDataStorage->AppendRecord();
  FDataStorage->ReadRecord(record, AReader);
  DoReadRecord(record);
  return record;
}

int TcxCustomDataController::AppendInSmartLoad() {
  rtl::ScopedValue<bool> inSmartLoad(FInSmartLoad, true);
  if (IsProviderMode()) {
    TcxCustomDataSource* source = GetCustomDataSource();
    source->SetCurrentProvider(FProvider.get());
    std::unique_ptr<TcxDataRecordHandleReader> handles = source->CreateSmartLoadReader();
    return handles ? LoadRecord(handles.get()) : -1;
  }
  std::unique_ptr<TcxValueDefReader> reader = FProvider->CreateValueDefReader();
  const int record = LoadRecord(reader.get());
  DataChanged(dcNew, -1, -1);
  return record;
}

void TcxCustomDataController::DoReadRecord(int ARecordIndex) { FProvider->CorrectRecordIndex(ARecordIndex); }

void TcxCustomDataController::DeleteInSmartLoad(int ARecordIndex) {
  FDataStorage->DeleteRecord(ARecordIndex);
  CheckSelectedCount();
  DataChanged(dcDeleted, -1, -1);
}

// --- provider notifications and loading -------------------------------------------------------------
void TcxCustomDataController::ActiveChanged(bool AActive) {
  FActive = AActive;
  UpdateItems(FProvider->IsActive());
  ResetMasterHasChildrenFlag();
}

void TcxCustomDataController::LayoutChanged(TcxDataLayoutChanges) { UpdateItems(FProvider->IsActive()); }

void TcxCustomDataController::DataScrolled() { UpdateFocused(); }

void TcxCustomDataController::UpdateFocused() {
  if (FProvider->LocateCount() != 0) return;
  FDataControllerInfo->RefreshFocused();
}

void TcxCustomDataController::UpdateItems(bool AUpdateFields) {
  if (FUpdateItems || IsDestroying()) return;
  if (GetLockCount() != 0) FStructureChanged = true;
  if (!IsProviderDataSource()) return;
  FUpdateItems = true;
  rtl::ScopeExit done([this] { FUpdateItems = false; });
  UpdateStorage(AUpdateFields);
}

void TcxCustomDataController::UpdateStorage(bool AUpdateFields) {
  FullUpdateScope update(*this);
  // Only a controller fed from a source reloads: an unbound controller's
  // storage is its data.
  if (IsProviderDataSource()) {
    if (AUpdateFields || FProvider->IsActiveDataSet()) {
      const bool gridModeUpdate = FProvider->IsGridModeUpdating();
      const bool allowed =
          !gridModeUpdate || (!GetEditState().contains(dceInsert) && !FFields->FieldDestroyed());
      if (FLockUpdateFieldsCount != 0)
        FUpdateFieldsFlag = true;
      else if (allowed)
        UpdateFields();
    }
    if (!FStructureChanged) LoadStorage();
  }
  FDataControllerInfo->Refresh();
  FUpdateItems = false;
  FStructureRecreated = false;
}

void TcxCustomDataController::LoadStorage() {
  if (!(IsSmartLoad() && FInSmartLoad)) FDataStorage->Clear(FProvider->DataChangedLocked());
  if (FProvider->IsActive() && !IsSmartLoad()) {
    if (GetDetailMode() != dcdmPattern) loadData();
    rtl::ScopedValue<bool> inLoad(FInLoadStorage, true);
    CheckSelectedCount();
    UpdateFocused();
  }
  Change({dccData});
}

void TcxCustomDataController::loadData() {
  if (IsGridMode()) {
    FDataStorage->BeginLoad();
    rtl::ScopeExit endLoad([this] { FDataStorage->EndLoad(); });
    FProvider->LoadDataBuffer();
    return;
  }
  FProvider->Freeze();
  rtl::ScopeExit unfreeze([this] { FProvider->Unfreeze(); });
  FProvider->SavePos();
  rtl::ScopeExit restore([this] {
    FLoadedStorage = FProvider->ActiveChanging();
    FProvider->RestorePos();
  });
  FProvider->First();
  if (FProvider->RecreatedFieldsAfterFirst()) UpdateFields();
  FDataStorage->BeginLoad();
  rtl::ScopeExit endLoad([this] { FDataStorage->EndLoad(); });
  if (IsProviderMode()) {
    FProvider->LoadRecordHandles();
    return;
  }
  std::unique_ptr<TcxValueDefReader> reader = FProvider->CreateValueDefReader();
  while (!FProvider->IsEOF()) {
    const int record = FDataStorage->AppendRecord();
    FDataStorage->ReadRecord(record, reader.get());
    DoReadRecord(record);
    FProvider->Next();
  }
}

void TcxCustomDataController::RestructData() {
  FullUpdateScope update(*this);
  FProvider->ResetEditing();
  if (!IsUnboundMode() || FInSetCustomDataSource) FDataStorage->Clear(false);
  FBookmarkRecordIndex = -1;
  CheckSelectedCount();
  FDataStorage->SetStoredValuesOnly(IsProviderMode() || IsGridMode());
  UpdateUseRecordIDState();
  if (GetCustomDataSource() == nullptr) {
    if (FRecordHandlesField != nullptr) FFields->Remove(FRecordHandlesField);
  } else if (FRecordHandlesField == nullptr) {
    // Handles are pointer-sized: a 32-bit slot would cut them on 64-bit hosts.
    FRecordHandlesField = AddInternalField();
    FRecordHandlesField->SetValueTypeClass(TcxLargeIntValueType::Instance());
  }
  FStructureRecreated = true;
  LayoutChanged({lcData});
}

void TcxCustomDataController::UpdateFields() {
  for (int i = 0; i < FFields->Count(); ++i) FFields->Items(i)->SetPrepared(false);
  bool allPrepared = false;
  while (!allPrepared) {
    allPrepared = true;
    FFields->SetFieldDestroyed(false);
    for (int i = 0; i < FFields->Count(); ++i) {
      TcxCustomDataField* field = FFields->Items(i);
      if (field->Prepared()) continue;
      PrepareField(field);
      if (FFields->FieldDestroyed()) {
        allPrepared = false;
        break;
      }
      field->SetPrepared(true);
    }
  }
}

}  // namespace data
