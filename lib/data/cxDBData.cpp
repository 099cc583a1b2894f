// The dataset field routines, the bookmark list, the data field and the
// data-mode settings of the dataset-bound controller (the provider and its
// link are in cxDBData_provider.cpp, the controller in
// cxDBData_controller.cpp).
#include "lib/data/cxDBData.h"

#include <algorithm>

#include "lib/data/cxCustomData_scopes.h"
#include "platform/db/dataset.h"
#include "platform/db/field.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/ustring.h"
#include "platform/rtl/variant.h"

namespace data {

using rtl::String;
using rtl::Variant;

// --- routines -------------------------------------------------------------------------------------
Variant GetDataSetValues(db::TDataSet*, const std::vector<db::TField*>& AFields) {
  if (AFields.empty()) return rtl::Null();
  if (AFields.size() == 1) return GetFieldValue(AFields.front());
  Variant result = rtl::VarArrayCreate({0, static_cast<int>(AFields.size()) - 1}, rtl::varVariant);
  for (size_t i = 0; i < AFields.size(); ++i) rtl::VarArrayPut(result, GetFieldValue(AFields[i]), static_cast<int>(i));
  return result;
}

void SetDataSetValues(db::TDataSet*, const std::vector<db::TField*>& AFields, const Variant& AValue) {
  if (AFields.empty()) return;
  if (AFields.size() == 1) {
    SetFieldValue(AFields.front(), AValue);
    return;
  }
  for (size_t i = 0; i < AFields.size(); ++i) SetFieldValue(AFields[i], rtl::VarArrayGet(AValue, static_cast<int>(i)));
}

Variant GetFieldValue(db::TField* AField) {
  if (AField->FieldKind() != db::fkAggregate && AField->IsNull()) return rtl::Null();
  return AField->Value();
}

void SetFieldValue(db::TField* AField, const Variant& AValue) {
  if (dynamic_cast<db::TDateTimeField*>(AField) != nullptr && rtl::VarType(AValue) == rtl::varDouble)
    AField->SetAsDateTime(AValue.AsDouble());
  else
    AField->SetValue(AValue);
}

String CheckFilterFieldName(const String& AName) {
  if (rtl::IsValidIdent(AName)) return AName;
  String result = u"[";
  for (char16_t c : AName) {
    result += c;
    if (c == u']') result += u']';
  }
  return result + u"]";
}

String GetFilterFieldName(db::TField* AField, bool AIgnoreOrigin) {
  if (AField == nullptr) return String();
  String result = AIgnoreOrigin ? String() : AField->Origin();
  if (result.empty()) result = CheckFilterFieldName(AField->FieldName());
  return result;
}

bool IsDataAvailable(db::TField* AField) {
  return AField != nullptr && AField->DataSet() != nullptr && AField->DataSet()->State() != db::dsInactive;
}

// There are no field auto-creation modes: the dataset says itself whether
// its fields are the default ones.
bool IsDefaultFields(db::TDataSet* ADataSet) { return ADataSet->DefaultFields(); }

bool IsEqualFieldNames(const String& AName1, const String& AName2) {
  return rtl::AnsiUpperCase(AName1) == rtl::AnsiUpperCase(AName2);
}

String ExtractFieldName(const String& ANames, size_t& APos) {
  size_t end = ANames.find(u';', APos);
  if (end == String::npos) end = ANames.size();
  String result = ANames.substr(std::min(APos, ANames.size()), end - std::min(APos, ANames.size()));
  APos = end < ANames.size() ? end + 1 : end;
  // Blanks around a name are not part of it.
  const size_t first = result.find_first_not_of(u' ');
  if (first == String::npos) return String();
  return result.substr(first, result.find_last_not_of(u' ') - first + 1);
}

bool IsMultipleFieldNames(const String& ANames) {
  size_t pos = 0;
  ExtractFieldName(ANames, pos);
  return pos < ANames.size();
}

std::vector<String> GetFieldNames(const String& ANames) {
  std::vector<String> result;
  size_t pos = 0;
  while (pos < ANames.size()) result.push_back(ExtractFieldName(ANames, pos));
  return result;
}

int GetFieldNamesCount(const String& ANames) { return static_cast<int>(GetFieldNames(ANames).size()); }

bool IsSimpleCurrencyField(db::TField* AField) {
  bool currency = false;
  if (auto* f = dynamic_cast<db::TFloatField*>(AField))
    currency = f->Currency();
  else if (auto* b = dynamic_cast<db::TBCDField*>(AField))
    currency = b->Currency();
  else if (auto* m = dynamic_cast<db::TFMTBCDField*>(AField))
    currency = m->Currency();
  else
    return false;
  auto* numeric = static_cast<db::TNumericField*>(AField);
  return currency && numeric->DisplayFormat().empty() && !AField->OnGetText();
}

TcxValueTypeClass GetValueTypeClassByField(db::TField* AField) {
  if (AField == nullptr) return TcxStringValueType::Instance();
  switch (AField->DataType()) {
    case db::ftString: case db::ftMemo: case db::ftFmtMemo: case db::ftFixedChar: case db::ftWideString:
    case db::ftFixedWideChar: case db::ftWideMemo:
      return TcxStringValueType::Instance();
    case db::ftSmallint: return TcxSmallintValueType::Instance();
    case db::ftInteger: case db::ftAutoInc: return TcxIntegerValueType::Instance();
    case db::ftWord: return TcxWordValueType::Instance();
    case db::ftBoolean: return TcxBooleanValueType::Instance();
    case db::ftFloat: case db::ftCurrency: return TcxFloatValueType::Instance();
    case db::ftBCD: return TcxCurrencyValueType::Instance();
    case db::ftDate: case db::ftTime: case db::ftDateTime: return TcxDateTimeValueType::Instance();
    case db::ftLargeint: return TcxLargeIntValueType::Instance();
    case db::ftTimeStamp: return TcxSQLTimeStampValueType::Instance();
    case db::ftFMTBcd: return TcxFMTBcdValueType::Instance();
    case db::ftSingle: return TcxSingleValueType::Instance();
    default: return TcxVariantValueType::Instance();
  }
}

bool CanCallDataSetLocate(db::TDataSet* ADataSet, const String& AKeyFieldNames, const Variant& AKeyValue) {
  if (ADataSet == nullptr) return false;
  if (rtl::VarIsArray(AKeyValue)) {
    const std::vector<String> names = GetFieldNames(AKeyFieldNames);
    const int low = rtl::VarArrayLowBound(AKeyValue, 1);
    if (rtl::VarArrayHighBound(AKeyValue, 1) - low + 1 != static_cast<int>(names.size())) return false;
    for (size_t i = 0; i < names.size(); ++i) {
      db::TField* field = ADataSet->FindField(names[i]);
      if (field == nullptr) return false;
      if (dynamic_cast<db::TAutoIncField*>(field) && rtl::VarIsNull(rtl::VarArrayGet(AKeyValue, low + static_cast<int>(i))))
        return false;
    }
    return true;
  }
  if (AKeyFieldNames.find(u';') != String::npos) return false;
  db::TField* field = ADataSet->FindField(AKeyFieldNames);
  if (field == nullptr) return false;
  return !(dynamic_cast<db::TAutoIncField*>(field) && rtl::VarIsNull(AKeyValue));
}

// --- bookmark list ----------------------------------------------------------------------------------
void TcxBookmarkList::checkIndex(int AIndex, bool AForInsert) const {
  const int limit = Count() + (AForInsert ? 1 : 0);
  if (AIndex < 0 || AIndex >= limit) rtl::ListIndexError(AIndex);
}

const db::TBookmark& TcxBookmarkList::Items(int AIndex) const {
  checkIndex(AIndex, false);
  return FItems[static_cast<size_t>(AIndex)];
}

void TcxBookmarkList::Insert(int AIndex, db::TBookmark ABookmark) {
  checkIndex(AIndex, true);
  FItems.insert(FItems.begin() + AIndex, std::move(ABookmark));
}

void TcxBookmarkList::Delete(int AIndex) {
  checkIndex(AIndex, false);
  FItems.erase(FItems.begin() + AIndex);
}

// --- data field -------------------------------------------------------------------------------------
TcxDBDataField::~TcxDBDataField() {
  if (FParentField != nullptr) FParentField->RemoveField(this);
  ClearFields();
}

TcxDBDataController* TcxDBDataField::DBController() const {
  return static_cast<TcxDBDataController*>(DataController());
}

const TcxDBDataField* TcxDBDataField::target() const {
  auto* reference = static_cast<const TcxDBDataField*>(ReferenceField());
  return reference != nullptr ? reference : this;
}

db::TField* TcxDBDataField::Field() const { return target()->FField; }
int TcxDBDataField::FieldCount() const { return static_cast<int>(target()->FFields.size()); }
TcxDBDataField* TcxDBDataField::Fields(int AIndex) const { return target()->FFields.at(static_cast<size_t>(AIndex)); }
bool TcxDBDataField::IsLookup() const { return Field() != nullptr && Field()->Lookup(); }

void TcxDBDataField::SetField(db::TField* AValue) {
  if (ReferenceField() != nullptr) return;
  if (AValue != nullptr && AValue->ComponentState().contains(rtl::TComponentStateItem::csDestroying)) AValue = nullptr;
  if (FField == AValue) return;
  FField = AValue;
  if (AValue != nullptr) DataController()->Notifier()->Watch(AValue);
  ClearFields();
}

void TcxDBDataField::AddField(TcxDBDataField* ASubField) {
  if (std::find(FFields.begin(), FFields.end(), ASubField) != FFields.end()) return;
  if (ASubField->FParentField != nullptr)
    TcxCustomDataController::InvalidOperation(u"ADataField.FParentField <> nil");
  FFields.push_back(ASubField);
  ASubField->FParentField = this;
}

void TcxDBDataField::RemoveField(TcxDBDataField* ASubField) {
  const auto it = std::find(FFields.begin(), FFields.end(), ASubField);
  if (it != FFields.end()) FFields.erase(it);
  ASubField->FParentField = nullptr;
}

void TcxDBDataField::ClearFields() {
  // Sub-fields live in the controller's field list, which frees them.
  while (!FFields.empty()) {
    TcxDBDataField* sub = FFields.back();
    RemoveField(sub);
    if (FieldList() != nullptr && FieldList()->IndexOf(sub) >= 0) FieldList()->Remove(sub);
  }
}

void TcxDBDataField::SetPropertiesByField(db::TField* AField, bool AFieldChanged) {
  if (ReferenceField() != nullptr) return;
  for (;;) {
    // The item's value source answers true when it is edited as text.
    const bool textEdit = !IsInternal() && DataController()->GetItemValueSource(GetIndex());
    const bool textStored = IsFieldFormatted(AField, textEdit);
    const TcxValueTypeClass type = GetValueTypeClassByField(AField);
    const bool currency = IsSimpleCurrencyField(AField);
    const bool typeChanged = type != GetValueTypeClass() || currency != FIsCurrency;
    if (!typeChanged && textStored == GetTextStored()) break;
    BeginRecreateData();
    SetTextStored(textStored);
    SetValueTypeClass(type);
    FIsCurrency = currency;
    EndRecreateData();
    if (!typeChanged) continue;
    DoPropertiesChanged();
    AFieldChanged = false;
  }
  if (AFieldChanged) DoPropertiesChanged();
}

void TcxDBDataField::DoPropertiesChanged() {
  TcxCustomDataController* c = DataController();
  if (!IsInternal()) c->DoValueTypeClassChanged(GetIndex());
  for (int i = 0; i < c->GetItemCount(); ++i) {
    TcxCustomDataField* field = c->Fields()->Items(i);
    if (!field->IsInternal() && field->ReferenceField() == this) c->DoValueTypeClassChanged(i);
  }
}

void TcxDBDataField::RemoveNotification(rtl::TComponent* AComponent) {
  if (ReferenceField() != nullptr) return;
  TcxCustomDataField::RemoveNotification(AComponent);
  if (AComponent != nullptr && AComponent == FField) {
    // A detail query run again inside First made its fields anew: the load
    // that follows binds the controller's fields again.
    TcxDBDataProvider* provider = DBController()->Provider();
    db::TDataSet* ds = provider->GetDataSet();
    if (provider->InFirst() && provider->DataLink()->Active() && ds != nullptr && !ds->Active())
      provider->SetRecreatedFieldsAfterFirst();
    FField = nullptr;
    ClearFields();
    Changed();
  }
}

void TcxDBDataField::Reassign(TcxCustomDataField* ASource) {
  TcxCustomDataField::Reassign(ASource);
  auto* source = dynamic_cast<TcxDBDataField*>(ASource);
  if (source == nullptr) return;
  FField = source->FField;
  source->FField = nullptr;
  FFields = std::move(source->FFields);
  source->FFields.clear();
  for (TcxDBDataField* sub : FFields) sub->FParentField = this;
}

bool TcxDBDataField::SupportsMultiThreading() const {
  return TcxCustomDataField::SupportsMultiThreading() && !IsLookup();
}

bool TcxDBDataField::CanModify() const {
  const bool base = TcxCustomDataField::CanModify();
  if (IsUnbound()) return base;
  if (!base || Field() == nullptr) return false;
  return Field()->CanModify();
}

bool TcxDBDataField::IsUnbound() const {
  return !IsInternal() && FFieldName.empty() && Field() == nullptr && GetValueDef() != nullptr;
}

bool TcxDBDataField::IsValueDefInternal() const {
  TcxDBDataController* c = DBController();
  if (Field() != nullptr) return c->IsGridMode();
  return !c->InUnboundCopy();
}

// --- data mode settings ---------------------------------------------------------------------------
rtl::TPersistent* TcxDBDataModeController::GetOwner() const { return FDataController; }

void TcxDBDataModeController::Assign(rtl::TPersistent* Source) {
  auto* source = dynamic_cast<TcxDBDataModeController*>(Source);
  if (source == nullptr) {
    rtl::TPersistent::Assign(Source);
    return;
  }
  FDetailInSQLMode = source->FDetailInSQLMode;
  FDetailInSyncMode = source->FDetailInSyncMode;
  SetGridMode(source->FGridMode);
  SetGridModeBufferCount(source->FGridModeBufferCount);
  SetSmartRefresh(source->FSmartRefresh);
  FSyncInsert = source->FSyncInsert;
  SetSyncMode(source->FSyncMode);
  OnDetailFirst = source->OnDetailFirst;
  OnDetailIsCurrentQuery = source->OnDetailIsCurrentQuery;
}

void TcxDBDataModeController::SetGridMode(bool AValue) {
  const bool wasEffective = FDataController->IsGridMode();
  if (FGridMode == AValue) return;
  FGridMode = AValue;
  // A unidirectional dataset (or a pattern detail) keeps loaded mode: the
  // setting is stored, nothing changes.
  if (FDataController->IsGridMode() == wasEffective) return;
  FDataController->Change({dccGridMode});
  FDataController->RestructData();
}

void TcxDBDataModeController::SetGridModeBufferCount(int AValue) {
  AValue = std::max(AValue, 0);
  if (FGridModeBufferCount == AValue) return;
  FGridModeBufferCount = AValue;
  FDataController->UpdateGridModeBufferCount();
}

void TcxDBDataModeController::SetSmartRefresh(bool AValue) {
  if (FSmartRefresh == AValue) return;
  FSmartRefresh = AValue;
  if (!FDataController->Provider()->IsGridMode()) FDataController->Provider()->DataScrolled(0);
}

void TcxDBDataModeController::SetSyncMode(bool AValue) {
  if (FSyncMode == AValue) return;
  FSyncMode = AValue;
  if (FDataController->Provider()->IsActive()) FDataController->Provider()->DataScrolled(0);
}

}  // namespace data
