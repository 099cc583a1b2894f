// The field routines that decide how a dataset field is edited and shown,
// the values a lookup item groups and filters by, the filter text the
// dataset is given, and the find panel's criteria of a dataset controller.
#include <utility>

#include "lib/data/cxDBData.h"
#include "platform/db/dataset.h"
#include "platform/db/field.h"
#include "platform/rtl/datetime.h"
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

int dbFieldsArrayCount(const Variant& AValue) {
  return rtl::VarArrayHighBound(AValue, 1) - rtl::VarArrayLowBound(AValue, 1) + 1;
}

String dbFieldsIsNull(const String& AField) { return u"(" + AField + u" IS NULL)"; }

}  // namespace

// The dataset's own form of the conditions whose plain text would not keep
// the criteria's rows:
// - A blank test with soft null: the criteria take an empty text for
//   blank, the dataset only a null value.
// - A key of several fields (a lookup item's keys): the criteria compare
//   the record's array of key values with the condition's array, where a
//   null element equals only a null one. Each element is made a two-valued
//   test, so that "<>" (a NOT around them) keeps a record with a null key
//   the way the criteria do. Such an array is never blank itself.
bool TcxDBDataFilterCriteria::dataSetItemExpression(TcxFilterCriteriaItem* AItem, String& AText) {
  TcxFilterOperator* op = AItem->Operator();
  const String field = AItem->GetFieldName();
  if (field.empty()) return false;
  const bool severalFields = field.find(u';') != String::npos;
  if (op->IsNullOperator()) {
    const bool blank = dynamic_cast<TcxFilterNotNullOperator*>(op) == nullptr;
    if (severalFields) {
      AText = blank ? u"FALSE" : u"TRUE";
      return true;
    }
    if (!Options().contains(TcxFilterCriteriaOption::fcoSoftNull)) return false;
    AText = blank ? dbFieldsIsNull(field) + u" OR (" + field + u" = '')"
                  : u"(" + field + u" IS NOT NULL) AND (" + field + u" <> '')";
    return true;
  }
  const TcxFilterOperatorKind kind = AItem->OperatorKind();
  const Variant& value = AItem->Value();
  if (!severalFields || (kind != TcxFilterOperatorKind::foEqual && kind != TcxFilterOperatorKind::foNotEqual) ||
      !rtl::VarIsArray(value) || dbFieldsArrayCount(value) != GetFieldNamesCount(field))
    return false;
  String keys;
  int pos = 1;
  for (int i = 0; i < dbFieldsArrayCount(value); ++i) {
    const String name = ExtractFilterDisplayValue(field, pos);
    const Variant element = rtl::VarArrayGet(value, rtl::VarArrayLowBound(value, 1) + i);
    if (i > 0) keys += u" AND ";
    keys += rtl::VarIsNull(element) ? dbFieldsIsNull(name)
                                    : u"((" + name + u" IS NOT NULL) AND (" + name + u" = " +
                                          FormatExpressionValue(AItem, element) + u"))";
  }
  AText = kind == TcxFilterOperatorKind::foEqual ? keys : u"NOT (" + keys + u")";
  return true;
}

// The dataset's filter is three-valued: a comparison with a null value is
// unknown, and unknown never passes, not even under NOT. The criteria
// compare Null as the smallest value instead. Each condition is therefore
// made two-valued for the dataset: the records with a null value pass it
// exactly when the criteria keep them. The filter language stays as SQL has
// it, since other callers write their own filter texts in it.
String TcxDBDataFilterCriteria::GetItemExpression(TcxFilterCriteriaItem* AItem, bool AIsCaption) {
  if (auto* item = dynamic_cast<TcxDBDataFilterCriteriaItem*>(AItem); item != nullptr && !AIsCaption)
    item->CheckOperatorClass();
  String own;
  if (!AIsCaption && dataSetText_ && dataSetItemExpression(AItem, own)) return own;
  String text = TcxDataFilterCriteria::GetItemExpression(AItem, AIsCaption);
  if (AIsCaption || !dataSetText_ || AItem->Operator()->IsNullOperator()) return text;
  const String field = AItem->GetFieldName();
  // Several fields at once (other than = and <>): no single field to test.
  if (field.empty() || field.find(u';') != String::npos) return text;
  if (dbFieldsCriteriaKeepNull(this, AItem)) return u"(" + field + u" IS NULL) OR (" + text + u")";
  // Ignoring blanks with soft null drops an empty text too.
  if (Options().contains(TcxFilterCriteriaOption::fcoIgnoreNull) &&
      Options().contains(TcxFilterCriteriaOption::fcoSoftNull))
    return u"(" + field + u" IS NOT NULL) AND (" + field + u" <> '') AND (" + text + u")";
  if (dbFieldsUnderNot(AItem)) return u"(" + field + u" IS NOT NULL) AND (" + text + u")";
  return text;
}

// Year first, with "-" and ":" whatever the display settings: the
// dataset's filter reader takes this form before any display form, so a
// date never reads as another (3/4 as April under day-first settings). The
// time is written only when there is one, milliseconds only when not 0.
String TcxDBDataFilterCriteria::ConvertDateToStr(const Variant& AValue) {
  if (!dataSetText_ || !DateTimeFormat().empty()) return TcxDataFilterCriteria::ConvertDateToStr(AValue);
  const auto value = AValue.AsDateTime();
  static const rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  String text = rtl::FormatDateTime(u"yyyy-mm-dd", value, fs);
  rtl::Word hour, minute, second, msec;
  rtl::DecodeTime(value, hour, minute, second, msec);
  if (hour != 0 || minute != 0 || second != 0 || msec != 0) text += rtl::FormatDateTime(u" hh:nn:ss", value, fs);
  if (msec != 0) text += rtl::FormatDateTime(u".zzz", value, fs);
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
