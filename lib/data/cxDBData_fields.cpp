// The field routines that decide how a dataset field is edited and shown,
// the values a lookup item groups and filters by, the filter text the
// dataset is given, and the find panel's criteria of a dataset controller.
#include <utility>

#include "lib/data/cxDBData.h"
#include "platform/db/dataset.h"
#include "platform/db/field.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/variant.h"

namespace data {

using rtl::String;
using rtl::Variant;

namespace {

// Binary, blob and structured types: no text form of their own.
bool dbFieldsIsBinaryType(db::TFieldType AType) {
  const auto type = static_cast<int>(AType);
  const auto in = [type](db::TFieldType AFirst, db::TFieldType ALast) {
    return type >= static_cast<int>(AFirst) && type <= static_cast<int>(ALast);
  };
  return AType == db::ftBytes || AType == db::ftVarBytes || in(db::ftBlob, db::ftCursor) ||
         in(db::ftADT, db::ftDataSet);
}

// The Currency flag of a float, BCD or FMTBCD field; false for the others.
bool dbFieldsCurrencyFlag(db::TField* AField) {
  if (auto* f = dynamic_cast<db::TFloatField*>(AField)) return f->Currency();
  if (auto* b = dynamic_cast<db::TBCDField*>(AField)) return b->Currency();
  if (auto* m = dynamic_cast<db::TFMTBCDField*>(AField)) return m->Currency();
  return false;
}

}  // namespace

// --- routines -------------------------------------------------------------------------------------
bool IsFieldCanModify(db::TField* AField, bool AIsValueSource) {
  if (!AField->CanModify()) return false;
  if (AIsValueSource) return true;
  return !dbFieldsIsBinaryType(AField->DataType()) || static_cast<bool>(AField->OnSetText());
}

bool CanModifyLookupField(db::TField* AField) {
  db::TDataSet* ds = AField->DataSet();
  if (ds == nullptr) return false;
  std::vector<db::TField*> keys;
  ds->GetFieldList(keys, AField->KeyFields());
  if (keys.empty()) return false;
  for (db::TField* key : keys)
    if (!key->CanModify()) return false;
  return true;
}

bool IsFieldFormatted(db::TField* AField, bool AIsTextEdit) {
  if (AField->OnGetText() || !AField->EditMask().empty()) return true;
  if (dbFieldsIsBinaryType(AField->DataType()) || dynamic_cast<db::TBooleanField*>(AField) != nullptr)
    return AIsTextEdit;
  if (auto* numeric = dynamic_cast<db::TNumericField*>(AField)) {
    if (!numeric->DisplayFormat().empty() || !numeric->EditFormat().empty()) return true;
    return dbFieldsCurrencyFlag(AField);
  }
  if (auto* dateTime = dynamic_cast<db::TDateTimeField*>(AField)) return !dateTime->DisplayFormat().empty();
  if (auto* aggregate = dynamic_cast<db::TAggregateField*>(AField))
    return !aggregate->DisplayFormat().empty() || aggregate->Currency();
  return false;
}

// --- the data field: editing by value source ----------------------------------------------------
bool TcxDBDataField::CanModify(TcxDataEditValueSource AValueSource) const {
  const bool base = TcxCustomDataField::CanModify();
  if (IsUnbound()) return base;
  if (!base || Field() == nullptr) return false;
  if (IsLookup()) {
    if (AValueSource != evsKey || FieldCount() == 0) return false;
    for (int i = 0; i < FieldCount(); ++i)
      if (!Fields(i)->CanModify(evsValue)) return false;
    return true;
  }
  return IsFieldCanModify(Field(), AValueSource == evsValue);
}

// --- lookup items: grouped and filtered by their keys -------------------------------------------
Variant TcxDBDataController::GetGroupValue(int ARecordIndex, TcxCustomDataField* AField) const {
  auto* field = static_cast<TcxDBDataField*>(AField);
  if (!field->IsLookup() || field->FieldCount() == 0) return TcxCustomDataController::GetGroupValue(ARecordIndex, AField);
  if (field->FieldCount() == 1) return GetGroupValue(ARecordIndex, field->Fields(0));
  Variant result = rtl::VarArrayCreate({0, field->FieldCount() - 1}, rtl::varVariant);
  for (int i = 0; i < field->FieldCount(); ++i) rtl::VarArrayPut(result, GetGroupValue(ARecordIndex, field->Fields(i)), i);
  return result;
}

Variant TcxDBDataController::GetFilterDataValue(int ARecordIndex, TcxCustomDataField* AField) const {
  auto* field = static_cast<TcxDBDataField*>(AField);
  if (!field->IsLookup()) return TcxCustomDataController::GetFilterDataValue(ARecordIndex, AField);
  if (field->FieldCount() == 0) return rtl::Null();
  if (field->FieldCount() == 1) return GetFilterDataValue(ARecordIndex, field->Fields(0));
  Variant result = rtl::VarArrayCreate({0, field->FieldCount() - 1}, rtl::varVariant);
  for (int i = 0; i < field->FieldCount(); ++i)
    rtl::VarArrayPut(result, GetFilterDataValue(ARecordIndex, field->Fields(i)), i);
  return result;
}

void TcxDBDataController::UpdateInternalKeyFields(const String& AFieldNames, TcxDBDataField*& AField) {
  updateInternalKeyFields(AFieldNames, AField);
}

std::unique_ptr<TcxDataFindFilterCriteria, TcxDataFilterDeleter> TcxDBDataController::CreateFindFilterCriteria() {
  return std::unique_ptr<TcxDataFindFilterCriteria, TcxDataFilterDeleter>(new TcxDBDataFindFilterCriteria(this));
}

// --- the filter text handed to the dataset --------------------------------------------------------
void TcxDBDataFilterCriteria::FormatFilterTextValue(TcxFilterCriteriaItem* AItem, const Variant& AValue,
                                                    String& ADisplayValue) {
  // "1,5" under pt-BR would end a number and start a list for the
  // dataset's filter reader.
  if (rtl::VarIsNumeric(AValue) && rtl::VarType(AValue) != rtl::varBoolean)
    ADisplayValue = rtl::VarToStr(AValue, rtl::TFormatSettings::Invariant());
  if (FOnFormatFilterTextValue) FOnFormatFilterTextValue(this, AItem, AValue, ADisplayValue);
}

namespace {

// Whether the criteria keep a record whose value of the condition's item
// is null: the same steps as filtering a record, on a Null value.
bool dbFieldsCriteriaKeepNull(TcxFilterCriteria* ACriteria, TcxFilterCriteriaItem* AItem) {
  TcxFilterOperator* op = AItem->Operator();
  const Variant value = ACriteria->PrepareValue(rtl::Null());
  if (ACriteria->Options().contains(TcxFilterCriteriaOption::fcoIgnoreNull) && !op->IsNullOperator()) return false;
  try {
    return op->CompareValues(value, AItem->PreparedValue());
  } catch (const rtl::EVariantError&) {
    return false;
  }
}

// Whether a NOT list stands between the condition and the root: there a
// comparison the dataset finds unknown would not turn true as the
// criteria's false does.
bool dbFieldsUnderNot(TcxFilterCriteriaItem* AItem) {
  for (TcxFilterCriteriaItemList* list = AItem->Parent(); list != nullptr; list = list->Parent()) {
    const TcxFilterBoolOperatorKind kind = list->BoolOperatorKind();
    if (kind == TcxFilterBoolOperatorKind::fboNotAnd || kind == TcxFilterBoolOperatorKind::fboNotOr) return true;
  }
  return false;
}

}  // namespace

// The dataset's filter is three-valued: a comparison with a null value is
// unknown, and unknown never passes, not even under NOT. The criteria
// compare Null as the smallest value instead. Each condition is therefore
// made two-valued for the dataset: the records with a null value pass it
// exactly when the criteria keep them. The filter language stays as SQL has
// it, since other callers write their own filter texts in it.
String TcxDBDataFilterCriteria::GetItemExpression(TcxFilterCriteriaItem* AItem, bool AIsCaption) {
  String text = TcxDataFilterCriteria::GetItemExpression(AItem, AIsCaption);
  if (AIsCaption || !dataSetText_ || AItem->Operator()->IsNullOperator()) return text;
  const String field = AItem->GetFieldName();
  // Several fields at once (a lookup item's keys): no single field to test.
  if (field.empty() || field.find(u';') != String::npos) return text;
  if (dbFieldsCriteriaKeepNull(this, AItem)) return u"(" + field + u" IS NULL) OR (" + text + u")";
  if (dbFieldsUnderNot(AItem)) return u"(" + field + u" IS NOT NULL) AND (" + text + u")";
  return text;
}

String TcxDBDataFilterCriteria::GetDataSetFilterText() {
  rtl::ScopedValue<bool> writing(dataSetText_, true);
  return GetFilterText();
}

// --- the find panel's criteria -----------------------------------------------------------------------
void TcxDBDataFindFilterCriteria::Update() {
  auto* c = static_cast<TcxDBDataController*>(FOwner);
  if (c->IsDestroying()) return;
  db::TDataSet* ds = c->DataSet();
  if (ds != nullptr && db::IsEditState(ds->State())) {
    // The search is dropped with the edit it could not post.
    rtl::ScopeExit dropSearch([this] {
      FText.clear();
      FLowerText.clear();
      FFilter->SetActive(false);
    });
    c->CheckBrowseMode();
    dropSearch.Release();
  }
  TcxDataFindFilterCriteria::Update();
  if (c->Provider()->IsSyncMode()) c->CheckFocusedRow();
}

}  // namespace data
