// The locate objects: values read into an internal record, then matched
// against the listed records.
#include "lib/data/cxDataLocate.h"

#include "platform/rtl/scoped.h"

namespace data {

TcxDataControllerLocateObject::~TcxDataControllerLocateObject() { TcxDataControllerLocateObject::Clear(); }

void TcxDataControllerLocateObject::Clear() {
  if (FInternalRecordIndex == 0) return;
  FDataController->DataStorage()->DeleteInternalRecord(FInternalRecordIndex);
  FInternalRecordIndex = 0;
}

void TcxDataControllerLocateObject::ReadData(TcxValueDefReader* AReader) {
  if (FInternalRecordIndex == 0) FInternalRecordIndex = FDataController->DataStorage()->AddInternalRecord();
  FDataController->BeginReadRecord();
  rtl::ScopeExit endRead([this] { FDataController->EndReadRecord(); });
  FDataController->DataStorage()->ReadRecord(FInternalRecordIndex, AReader);
}

int TcxDataControllerKeyLocateObject::FindRecordIndex() {
  if (InternalRecordIndex() == 0) return -1;
  return DataController()->DataControllerInfo()->FindRecordByFields(InternalRecordIndex(), FFields);
}

TcxDataControllerGroupLocateObject::TcxDataControllerGroupLocateObject(TcxCustomDataController* ADataController)
    : TcxDataControllerLocateObject(ADataController) {
  // A grouping field sorted by its display text leaves the list out of value
  // order, and a binary search over it would miss groups.
  for (const TcxDataSortInfo& entry : ADataController->DataControllerInfo()->GroupingFieldList()) {
    TcxCustomDataField* field = entry.Field;
    if (!field->IsInternal() &&
        ADataController->GetItemSortByDisplayText(field->GetIndex(), ADataController->GetSortByDisplayTextSetting()))
      FIsGroupDataSorted = false;
  }
}

int TcxDataControllerGroupLocateObject::FindRecordIndex() {
  if (InternalRecordIndex() == 0) return -1;
  TcxCustomDataController* controller = DataController();
  // The range checks of the comparison must accept the internal record.
  rtl::ScopedValue<bool> finding(controller->FInternalFindRecord, true);
  const int saved = controller->SavedInternalRecordIndex();
  controller->SetSavedInternalRecordIndex(InternalRecordIndex());
  rtl::ScopeExit restore([controller, saved] { controller->SetSavedInternalRecordIndex(saved); });
  return controller->DataControllerInfo()->FindGroupRecord(InternalRecordIndex(), FLevel + 1, FIsGroupDataSorted);
}

}  // namespace data
