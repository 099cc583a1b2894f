// The summary item of a dataset-bound controller: bound to a dataset field
// by name through an internal data field, so that a footer or group summary
// can cover a field no item shows.
#include "lib/data/cxDBData.h"
#include "platform/db/field.h"
#include "platform/rtl/scoped.h"

namespace data {

using rtl::String;

const rtl::ClassInfo& TcxDBDataController::GetSummaryItemClass() const { return TcxDBDataSummaryItem::classInfo(); }

TcxDBDataSummaryItem::~TcxDBDataSummaryItem() {
  // A controller on its way out frees its internal fields itself (the list
  // may already be gone).
  TcxDBDataController* c = dbController();
  if (FDataField != nullptr && c != nullptr && !c->IsDestroying()) c->UpdateInternalKeyFields(String(), FDataField);
}

TcxDBDataController* TcxDBDataSummaryItem::dbController() const {
  return dynamic_cast<TcxDBDataController*>(GetDataController());
}

void TcxDBDataSummaryItem::SetFieldName(const String& AValue) {
  if (FFieldName == AValue) return;
  FFieldName = AValue;
  if (TcxDBDataController* c = dbController()) c->UpdateInternalKeyFields(AValue, FDataField);
  Changed(true);
}

TcxCustomDataField* TcxDBDataSummaryItem::DataField() const {
  return FDataField != nullptr ? FDataField : TcxDataSummaryItem::DataField();
}

bool TcxDBDataSummaryItem::IsDataBinded() const { return FDataField != nullptr || TcxDataSummaryItem::IsDataBinded(); }

bool TcxDBDataSummaryItem::IsCurrency(rtl::TVarType AVarType) const {
  auto* field = dynamic_cast<TcxDBDataField*>(DataField());
  if (field != nullptr && field->Field() != nullptr) return field->IsCurrency();
  return TcxDataSummaryItem::IsCurrency(AVarType);
}

void TcxDBDataSummaryItem::Assign(rtl::TPersistent* ASource) {
  auto* source = dynamic_cast<TcxDBDataSummaryItem*>(ASource);
  if (source == nullptr) {
    TcxDataSummaryItem::Assign(ASource);
    return;
  }
  beginCollectionUpdate();
  rtl::ScopeExit end([this] { endCollectionUpdate(); });
  TcxDataSummaryItem::Assign(ASource);
  SetFieldName(source->FFieldName);
}

}  // namespace data
