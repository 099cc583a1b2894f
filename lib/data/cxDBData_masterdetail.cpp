// Master-detail between dataset-bound controllers. A detail's clones all
// read one detail dataset: before a clone loads, the dataset is put on the
// first record of its master's key (a Locate on a dataset ordered by the
// detail key, or a re-run query in SQL mode) and the load stops where the
// key changes. Only one clone of a relation at a time owns the dataset's
// position (the dataset-current flag); the master's relation carries the key
// values of each master record in an internal data field.
#include <algorithm>
#include <memory>
#include <vector>

#include "lib/core/dxCore.h"
#include "lib/data/cxCustomData_scopes.h"
#include "lib/data/cxDBData.h"
#include "lib/data/cxDBDataDetail.h"
#include "lib/data/cxDataRelations.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxVariants.h"
#include "platform/db/dataset.h"
#include "platform/db/field.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/variant.h"

namespace data {

using rtl::String;
using rtl::Variant;

namespace {

bool masterDetailAssigned(const Variant& AValue) { return !rtl::VarIsEmpty(AValue); }

TcxDBDataController* masterDetailPatternOf(TcxCustomDataController* AMaster, int ARelationIndex) {
  TcxCustomDataController* pattern = AMaster ? AMaster->GetPatternDataController() : nullptr;
  TcxCustomDataRelationList* relations = pattern ? pattern->RelationsIfCreated() : nullptr;
  if (relations == nullptr || ARelationIndex < 0 || ARelationIndex >= relations->Count()) return nullptr;
  return dynamic_cast<TcxDBDataController*>(relations->Items(ARelationIndex)->DetailDataController());
}

}  // namespace

// --- the data mode settings -------------------------------------------------------------------------
bool TcxDBDataModeController::DetailIsCurrentQuery(const String& AMasterDetailKeyFieldNames,
                                                   const Variant& AMasterDetailKeyValues) {
  db::TDataSet* ds = FDataController->DataSet();
  if (OnDetailIsCurrentQuery) return OnDetailIsCurrentQuery(this, ds, AMasterDetailKeyFieldNames, AMasterDetailKeyValues);
  return FDataController->GetDetailFilterAdapter()->IsCurrentQuery(ds, AMasterDetailKeyFieldNames,
                                                                    AMasterDetailKeyValues);
}

void TcxDBDataModeController::DoDetailFirst(const String& AMasterDetailKeyFieldNames,
                                            const Variant& AMasterDetailKeyValues, bool& AReopened) {
  AReopened = false;
  db::TDataSet* ds = FDataController->DataSet();
  if (OnDetailFirst) {
    OnDetailFirst(this, ds, AMasterDetailKeyFieldNames, AMasterDetailKeyValues, AReopened);
    return;
  }
  FDataController->GetDetailFilterAdapter()->SetFilter(ds, AMasterDetailKeyFieldNames, AMasterDetailKeyValues,
                                                       FDetailInSQLMode, AReopened);
}

// --- the dataset relation -----------------------------------------------------------------------------
TcxDBDataRelation::TcxDBDataRelation(TcxCustomDataRelationList* ARelationList, TObject* AItem)
    : TcxCustomDataRelation(ARelationList, AItem),
      FMaster(ARelationList ? dynamic_cast<TcxDBDataController*>(ARelationList->DataController()) : nullptr) {}

TcxDBDataRelation::~TcxDBDataRelation() {
  TcxDBDataField* field = FMasterKeyField;
  FMasterKeyField = nullptr;
  // A master going away frees its fields itself (they may be gone already).
  if (field == nullptr || FMaster == nullptr || FMaster->IsDestroying()) return;
  if (RelationList() != nullptr && RelationList()->Destroying()) return;
  if (FMaster->Fields()->IndexOf(field) >= 0) FMaster->Fields()->Remove(field);
}

void TcxDBDataRelation::RemoveDataField(TcxCustomDataField* AField) {
  if (AField != nullptr && AField == FMasterKeyField) FMasterKeyField = nullptr;
}

TcxDBDataController* TcxDBDataRelation::GetDataController() const {
  return static_cast<TcxDBDataController*>(DataController());
}

TcxDBDataController* TcxDBDataRelation::patternDetail() const { return masterDetailPatternOf(DataController(), Index()); }

String TcxDBDataRelation::GetDetailKeyFieldNames() const {
  TcxDBDataController* detail = patternDetail();
  return detail ? detail->DetailKeyFieldNames() : String();
}

String TcxDBDataRelation::GetMasterKeyFieldNames() const {
  TcxDBDataController* detail = patternDetail();
  return detail ? detail->MasterKeyFieldNames() : String();
}

bool TcxDBDataRelation::IsLinked() const { return FMasterKeyField != nullptr && !GetDetailKeyFieldNames().empty(); }

std::vector<TcxCustomDataField*> TcxDBDataRelation::GetMasterKeyFields() const {
  std::vector<TcxCustomDataField*> result;
  if (FMasterKeyField == nullptr) return result;
  if (FMasterKeyField->FieldCount() == 0) {
    result.push_back(FMasterKeyField);
    return result;
  }
  for (int i = 0; i < FMasterKeyField->FieldCount(); ++i) result.push_back(FMasterKeyField->Fields(i));
  return result;
}

Variant TcxDBDataRelation::GetMasterRecordID(int ARecordIndex) const {
  TcxDBDataController* master = GetDataController();
  master->CheckRecordRange(ARecordIndex);
  if (!IsLinked()) return rtl::Unassigned();
  return master->GetInternalRecordId(ARecordIndex, GetMasterKeyFields());
}

void TcxDBDataRelation::UpdateMasterDetailKeyFieldNames() {
  TcxCustomDataController* master = DataController();
  if (master != nullptr && master->GetDetailMode() != dcdmClone) Changed();
}

// --- the controller: key names ------------------------------------------------------------------------
void TcxDBDataController::SetDetailKeyFieldNames(const String& AValue) {
  if (FDetailKeyFieldNames == AValue) return;
  FDetailKeyFieldNames = AValue;
  FMasterDetailKeyFields.reset();
  if (auto* relation = dynamic_cast<TcxDBDataRelation*>(GetMasterRelation()))
    relation->UpdateMasterDetailKeyFieldNames();
}

void TcxDBDataController::SetMasterKeyFieldNames(const String& AValue) {
  if (FMasterKeyFieldNames == AValue) return;
  FMasterKeyFieldNames = AValue;
  FMasterDetailKeyFields.reset();
  if (auto* relation = dynamic_cast<TcxDBDataRelation*>(GetMasterRelation()))
    relation->UpdateMasterDetailKeyFieldNames();
}

String TcxDBDataController::GetMasterDetailKeyFieldNames() const {
  return FMasterKeyFieldNames.empty() ? String() : FDetailKeyFieldNames;
}

const std::vector<db::TField*>& TcxDBDataController::GetMasterDetailKeyFields() {
  if (FMasterDetailKeyFields) return *FMasterDetailKeyFields;
  auto fields = std::make_unique<std::vector<db::TField*>>();
  const String names = GetMasterDetailKeyFieldNames();
  db::TDataSet* ds = DataSet();
  if (ds == nullptr || names.empty()) {
    // Not kept: the dataset or the names may come later.
    static const std::vector<db::TField*> none;
    return none;
  }
  ds->GetFieldList(*fields, names);
  // A field that goes (its dataset closed with default fields) drops the list.
  for (db::TField* field : *fields) Notifier()->Watch(field);
  FMasterDetailKeyFields = std::move(fields);
  return *FMasterDetailKeyFields;
}

void TcxDBDataController::masterDetailRemoveNotification(rtl::TComponent* AComponent) {
  if (!FMasterDetailKeyFields) return;
  for (db::TField* field : *FMasterDetailKeyFields)
    if (field == AComponent) {
      FMasterDetailKeyFields.reset();
      return;
    }
}

TcxDBProviderDetailFilterAdapter* TcxDBDataController::GetDetailFilterAdapter() const {
  return cxFindDetailFilterAdapter(DataSet());
}

// --- the controller: relations --------------------------------------------------------------------------
std::unique_ptr<TcxCustomDataRelation> TcxDBDataController::CreateRelation(TcxCustomDataRelationList* AList,
                                                                          TObject* AItem) {
  return std::make_unique<TcxDBDataRelation>(AList, AItem);
}

void TcxDBDataController::SetMasterRelation(TcxCustomDataRelation* ARelation, int AMasterRecordIndex) {
  UpdateScope update(*this);
  TcxCustomDataController::SetMasterRelation(ARelation, AMasterRecordIndex);
  auto* relation = dynamic_cast<TcxDBDataRelation*>(ARelation);
  if (relation == nullptr || AMasterRecordIndex == -1) return;
  FMasterDetailKeyValues = relation->GetMasterRecordID(AMasterRecordIndex);
  LayoutChanged({lcData});
}

void TcxDBDataController::UpdateRelations(TcxCustomDataRelation* ARelation) {
  TcxCustomDataController::UpdateRelations(ARelation);
  TcxCustomDataRelationList* relations = RelationsIfCreated();
  if (IsDestroying() || relations == nullptr) return;
  for (int i = 0; i < relations->Count(); ++i) {
    auto* relation = dynamic_cast<TcxDBDataRelation*>(relations->Items(i));
    if (relation == nullptr) continue;
    const String names = relation->GetMasterKeyFieldNames();
    if (names.empty() && relation->FMasterKeyField == nullptr) continue;
    if (relation->FMasterKeyField != nullptr && relation->FMasterKeyField->FieldName() == names) continue;
    updateInternalKeyFields(names, relation->FMasterKeyField);
  }
}

// --- the controller: posting in a chain ---------------------------------------------------------------
bool TcxDBDataController::CheckMasterBrowseMode() {
  if (FInResetDataSetCurrent) return true;
  auto* relation = dynamic_cast<TcxDBDataRelation*>(GetMasterRelation());
  TcxCustomDataController* master = relation ? relation->DataController() : nullptr;
  if (master == nullptr) return true;
  if (!master->CheckMasterBrowseMode()) return false;
  // A post may free a controller of the chain (the view rebuilds its details).
  TcxDataListenerLink* masterLink = master->AddListenerLink();
  TcxDataListenerLink* selfLink = AddListenerLink();
  rtl::ScopeExit release([masterLink, selfLink] {
    RemoveListenerLink(selfLink);
    RemoveListenerLink(masterLink);
  });
  master->CheckBrowseMode();
  if (selfLink->Ref != nullptr) CheckBrowseMode();
  return masterLink->Ref != nullptr && selfLink->Ref != nullptr;
}

// --- the controller: which clone owns the detail dataset ------------------------------------------------
void TcxDBDataController::CheckDataSetCurrent() {
  if (GetFocusedRecordIndex() == -1) return;
  rtl::ScopedValue<bool> checking(FInResetDataSetCurrent, true);
  Provider()->SetIsDataSetCurrent(true);
}

void TcxDBDataController::ResetDataSetCurrent(TcxDBDataController* ADetail) {
  if (ADetail == nullptr || ADetail->FInResetDataSetCurrent) return;
  rtl::ScopedValue<bool> resetting(ADetail->FInResetDataSetCurrent, true);
  ADetail->Provider()->SetIsDataSetCurrent(false);
  ADetail->ChangeFocusedRecordIndex(-1);
}

bool TcxDBDataController::IsOtherDetailChanged() const {
  const TcxDBDataModeController* mode = DataModeController();
  if (!IsDetailMode() || mode == nullptr || !mode->DetailInSQLMode()) return false;
  if (!mode->DetailInSyncMode()) return true;
  if (Provider()->GetIsDataSetCurrent() || !masterDetailAssigned(FMasterDetailKeyValues)) return false;
  auto* self = const_cast<TcxDBDataController*>(this);
  const std::vector<db::TField*>& fields = self->GetMasterDetailKeyFields();
  if (fields.empty() || DataSet() == nullptr || !DataSet()->Active()) return false;
  return !VarEquals(GetDataSetValues(DataSet(), fields), FMasterDetailKeyValues);
}

bool TcxDBDataController::IsOtherDetailCreating() const {
  for (TcxDBDataProvider* p : TcxDBDataProvider::DBDataProviders())
    if (p->GetDataSet() == DataSet() && p->GetDataController()->FInCheckCurrentQuery) return true;
  TcxCustomDataController* master = GetMasterDataController();
  return master != nullptr && master->InCreateDetailLinkObject();
}

void TcxDBDataController::NotifyDetailsAfterFieldsRecreating(bool AFromSelf) {
  FCreatedDataController = AFromSelf ? this : nullptr;
  TcxCustomDataRelation* relation = GetMasterRelation();
  if (relation == nullptr) return;
  ForEachDetail(relation, [this](TcxCustomDataController* ADetail) {
    if (ADetail == this) return;
    ADetail->UpdateFields();
    ADetail->Change({dccData});
  });
}

void TcxDBDataController::CheckCurrentQuery() {
  const TcxDBDataModeController* mode = DataModeController();
  if (mode == nullptr || !mode->DetailInSQLMode()) return;
  if (FDataModeController->DetailIsCurrentQuery(GetMasterDetailKeyFieldNames(), FMasterDetailKeyValues)) return;
  TcxDBDataProvider* p = Provider();
  p->Freeze();
  rtl::ScopeExit unfreeze([p] { p->Unfreeze(); });
  rtl::ScopedValue<bool> checking(FInCheckCurrentQuery, true);
  // The query runs again for this clone's master.
  p->First();
  p->SavePos();
  p->RestorePos();
  p->SetRecordIndex(0);
}

// --- the controller: following the detail dataset -------------------------------------------------------
bool TcxDBDataController::isMastersInSyncMode() {
  for (TcxCustomDataController* m = GetMasterDataController(); m != nullptr; m = m->GetMasterDataController()) {
    auto* master = dynamic_cast<TcxDBDataController*>(m);
    if (master == nullptr || !master->Provider()->IsSyncMode() || !master->IsKeyNavigation() ||
        master->Provider()->IsEditing())
      return false;
  }
  return true;
}

void TcxDBDataController::SyncMasterDetailDataSetPos() {
  if (FUpdateDataSetPos || FInCheckBrowseMode) return;
  // The detail found at the end reports its position back to this pattern;
  // that report must not start another round.
  rtl::ScopedValue<bool> updating(FUpdateDataSetPos, true);
  SyncMasterDetail();
}

TcxDBDataController* TcxDBDataController::SyncMasterDetail() {
  if (GetMasterRelation() == nullptr || GetMasterDetailKeyFieldNames().empty()) return this;
  auto* relation = dynamic_cast<TcxDBDataRelation*>(GetMasterRelation());
  if (relation == nullptr || !Provider()->IsSyncMode() || !isMastersInSyncMode()) return nullptr;
  TcxDBDataController* master = relation->GetDataController();
  if (master->InCreateDetailLinkObject()) return nullptr;
  db::TDataSet* ds = DataSet();
  db::TDataSet* masterDs = master->DataSet();
  if (ds == nullptr || masterDs == nullptr || !ds->Active() || !masterDs->Active() || ds->IsEmpty()) return nullptr;
  rtl::ScopedValue<bool> updating(master->FUpdateDataSetPos, true);
  const String detailNames = relation->GetDetailKeyFieldNames();
  const String masterNames = relation->GetMasterKeyFieldNames();
  if (detailNames.empty() || masterNames.empty()) return nullptr;
  const Variant detailValue = ds->FieldValues(detailNames);
  if (!VarEquals(detailValue, masterDs->FieldValues(masterNames))) {
    bool found = false;
    {
      master->BeginLocate();
      rtl::ScopeExit end([master] { master->EndLocate(); });
      found = masterDs->Locate(masterNames, detailValue);
    }
    if (!found) return nullptr;
    // The focus waited for the locate to end.
    master->UpdateFocused();
  } else if (master->InFocusDetails()) {
    // The master itself is giving its details their focus: the detail
    // dataset moved for that, and the master's expansion stays as it is.
    return nullptr;
  }
  TcxDBDataController* result = nullptr;
  if (TcxDBDataController* shown = master->SyncMasterDetail()) {
    const int record = shown->GetFocusedRecordIndex();
    if (record < 0 || !shown->ChangeDetailExpanding(record, true)) return nullptr;
    const int index = relation->Index();
    const int active = shown->GetDetailActiveRelationIndex(record);
    if (active >= 0 && active != index) {
      auto* other = dynamic_cast<TcxDBDataController*>(shown->GetDetailDataController(record, active));
      db::TDataSet* otherDs = other ? other->DataSet() : nullptr;
      if (otherDs != nullptr && otherDs->Active() && !other->GetMasterDetailKeyFieldNames().empty() &&
          VarEquals(otherDs->FieldValues(other->GetMasterDetailKeyFieldNames()), detailValue))
        result = other;
    }
    if (result == nullptr) {
      shown->ChangeDetailActiveRelationIndex(record, index);
      result = dynamic_cast<TcxDBDataController*>(shown->GetDetailDataController(record, index));
    }
  }
  if (result != nullptr) result->SyncMasterPos();
  return result;
}

// --- the provider ------------------------------------------------------------------------------------------
bool TcxDBDataProvider::detailAllowsSyncMode() const {
  const TcxDBDataController* c = GetDataController();
  const TcxDBDataModeController* mode = c->DataModeController();
  if (mode == nullptr || !c->IsDetailMode()) return true;
  if (!mode->DetailInSyncMode()) return false;
  if (mode->DetailInSQLMode() && !GetIsDataSetCurrent()) return false;
  return c->IsKeyNavigation() || IsGridMode();
}

bool TcxDBDataProvider::IsSyncInsert() const {
  const TcxDBDataController* c = GetDataController();
  return !c->IsPattern() && c->DataModeController() != nullptr && c->DataModeController()->SyncInsert() &&
         IsSyncMode();
}

bool TcxDBDataProvider::IsCanInitEditingBusy() const {
  for (TcxDBDataProvider* p : TcxDBDataProvider::DBDataProviders())
    if (p->GetDataSet() == GetDataSet() && p->FInCanInitEditing) return true;
  return false;
}

bool TcxDBDataProvider::GetIsDataSetCurrent() const {
  const TcxDBDataController* c = GetDataController();
  const TcxDBDataModeController* mode = c->DataModeController();
  if (mode == nullptr || !c->IsDetailMode() || mode->DetailInSQLMode() || !IsSyncMode()) return FIsDataSetCurrent;
  if (FInCanInitEditing) return true;
  const bool otherInitEditing = IsCanInitEditingBusy();
  if (FInInsert) return !otherInitEditing;
  if ((c->GetFocusedRowIndex() == -1 && !FIsDataSetCurrent) || IsOtherInsert())
    return c->UseNewItemRowForEditing() && c->NewItemRowFocused() && IsInserting() && !otherInitEditing;
  return !otherInitEditing;
}

void TcxDBDataProvider::SetIsDataSetCurrent(bool AValue) {
  if (FIsDataSetCurrent == AValue) return;
  TcxDBDataController* c = GetDataController();
  if (AValue)
    if (TcxCustomDataRelation* relation = c->GetMasterRelation())
      // The other clones lose the dataset and their focus. The clone taking
      // it is not reset: it may be in the middle of its own load.
      c->ForEachDetail(relation, [c](TcxCustomDataController* ADetail) {
        if (ADetail != c) c->ResetDataSetCurrent(dynamic_cast<TcxDBDataController*>(ADetail));
      });
  FIsDataSetCurrent = AValue;
  c->DoDataSetCurrentChanged(AValue);
}

bool TcxDBDataProvider::IsOtherDetailChanged() const { return GetDataController()->IsOtherDetailChanged(); }

bool TcxDBDataProvider::detailFirst() {
  TcxDBDataController* c = GetDataController();
  if (!c->IsDetailMode() || IsGridMode() || !masterDetailAssigned(c->MasterDetailKeyValues())) return false;
  const String names = c->GetMasterDetailKeyFieldNames();
  db::TDataSet* ds = GetDataSet();
  if (names.empty() || ds == nullptr) return false;
  // Outside SQL mode only an open dataset can be positioned; in SQL mode the
  // adapter opens the query itself.
  if (!ds->Active() && !c->DataModeController()->DetailInSQLMode()) return true;
  rtl::ScopedValue<bool> inFirst(FInFirst, true);
  bool reopened = false;
  c->DataModeController()->DoDetailFirst(names, c->MasterDetailKeyValues(), reopened);
  // A reopened query has new bookmarks: the saved one means nothing now.
  if (reopened) SavePos();
  SetIsDataSetCurrent(true);
  if (FRecreatedFieldsAfterFirst) c->NotifyDetailsAfterFieldsRecreating(!c->InCheckCurrentQuery());
  return true;
}

bool TcxDBDataProvider::detailIsEOF(bool& AResult) const {
  TcxDBDataController* c = GetDataController();
  db::TDataSet* ds = GetDataSet();
  if (ds == nullptr || !c->IsDetailMode() || IsGridMode()) return false;
  const Variant& keys = c->MasterDetailKeyValues();
  if (!masterDetailAssigned(keys) || !FDataLink->Active() || ds->Eof()) {
    AResult = true;
    return true;
  }
  if (db::IsEditState(ds->State())) {
    AResult = false;
    return true;
  }
  const std::vector<db::TField*>& fields = c->GetMasterDetailKeyFields();
  // The run of the master's records ends where the key changes.
  AResult = fields.empty() || !VarEquals(GetDataSetValues(ds, fields), keys);
  return true;
}

void TcxDBDataProvider::assignMasterDetailKeys() {
  TcxDBDataController* c = GetDataController();
  if (!c->GetAssignMasterDetailKeysSetting() || !c->IsDetailMode()) return;
  const Variant& keys = c->MasterDetailKeyValues();
  if (!masterDetailAssigned(keys)) return;
  const std::vector<db::TField*>& fields = c->GetMasterDetailKeyFields();
  if (fields.empty()) return;
  SetDataSetValues(GetDataSet(), fields, keys);
  for (db::TField* field : fields)
    if (std::find(FAssignedFields.begin(), FAssignedFields.end(), field) == FAssignedFields.end())
      FAssignedFields.push_back(field);
}

bool TcxDBDataProvider::GetDetailHasChildren(int ARecordIndex, int ARelationIndex) {
  TcxDBDataController* c = GetDataController();
  TcxDBDataController* detail = masterDetailPatternOf(c, ARelationIndex);
  if (detail == nullptr) return TcxCustomDataProvider::GetDetailHasChildren(ARecordIndex, ARelationIndex);
  bool result = true;
  TcxCustomDataRelationList* relations = c->RelationsIfCreated();
  auto* relation = relations && ARelationIndex < relations->Count()
                       ? dynamic_cast<TcxDBDataRelation*>(relations->Items(ARelationIndex))
                       : nullptr;
  const Variant keys = relation ? relation->GetMasterRecordID(ARecordIndex) : rtl::Unassigned();
  const String names = detail->GetMasterDetailKeyFieldNames();
  if (c->OnDetailHasChildren) {
    c->OnDetailHasChildren(c, ARecordIndex, ARelationIndex, names, keys, result);
    return result;
  }
  // In grid mode or SQL mode the dataset cannot be asked cheaply: every
  // master record offers details.
  if (detail->DataModeController()->GridMode() || detail->DataModeController()->DetailInSQLMode()) return result;
  db::TDataSet* ds = detail->DataSet();
  if (ds == nullptr || !ds->Active()) return false;
  if (names.empty() || !masterDetailAssigned(keys)) return result;
  TcxDBDataProvider* p = detail->Provider();
  p->Freeze();
  p->SavePos();
  rtl::ScopeExit restore([p, detail] {
    p->RestorePos();
    p->Unfreeze();
    detail->SyncMasterPos();
  });
  return ds->Locate(names, keys);
}

}  // namespace data
