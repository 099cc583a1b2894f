// Restricting a detail dataset to one master's records.
#include <memory>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDBDataDetail.h"
#include "lib/data/cxVariants.h"
#include "platform/db/params.h"
#include "platform/rtl/scoped.h"

namespace data {

namespace {

std::unique_ptr<TcxDBAdapterList>& detailAdapterList() {
  static std::unique_ptr<TcxDBAdapterList> list;
  return list;
}

}  // namespace

void cxDBDataDetailInitialization() {
  std::unique_ptr<TcxDBAdapterList>& list = detailAdapterList();
  if (list) return;
  list = std::make_unique<TcxDBAdapterList>();
  list->RegisterAdapter(db::TDataSet::classInfo(), TcxDBProviderDetailFilterAdapter::classInfo());
}

void cxDBDataDetailFinalization() { detailAdapterList().reset(); }

TcxDBAdapterList* cxDetailFilterControllers() {
  // Nothing runs the library's unit starts for every program: the first
  // user makes the list as the start would.
  cxDBDataDetailInitialization();
  return detailAdapterList().get();
}

bool TcxDBProviderDetailFilterAdapter::IsCurrentQuery(db::TDataSet* ADataSet, const rtl::String& AParamNames,
                                                      const rtl::Variant& AParamValues) {
  db::TParams* params = ADataSet ? ADataSet->GetParams() : nullptr;
  if (params == nullptr) return false;
  return VarEqualsExact(params->ParamValues(AParamNames), AParamValues);
}

void TcxDBProviderDetailFilterAdapter::ReopenSQL(db::TDataSet* ADataSet, const rtl::String& AParamNames,
                                                 const rtl::Variant& AParamValues, bool& AReopened) {
  db::TParams* params = ADataSet ? ADataSet->GetParams() : nullptr;
  if (params == nullptr) return;
  if (ADataSet->Active() && VarEqualsExact(params->ParamValues(AParamNames), AParamValues)) {
    ADataSet->First();
    return;
  }
  ADataSet->DisableControls();
  rtl::ScopeExit enable([ADataSet] { ADataSet->EnableControls(); });
  ADataSet->Close();
  params->SetParamValues(AParamNames, AParamValues);
  ADataSet->Open();
  AReopened = true;
}

void TcxDBProviderDetailFilterAdapter::SetFilter(db::TDataSet* ADataSet, const rtl::String& AMasterDetailKeyFieldNames,
                                                 const rtl::Variant& AMasterDetailKeyValues, bool ASQLMode,
                                                 bool& AReopened) {
  if (ASQLMode)
    ReopenSQL(ADataSet, AMasterDetailKeyFieldNames, AMasterDetailKeyValues, AReopened);
  else
    ADataSet->Locate(AMasterDetailKeyFieldNames, AMasterDetailKeyValues);
}

TcxDBProviderDetailFilterAdapter* cxFindDetailFilterAdapter(const db::TDataSet* ADataSet) {
  TcxDBAdapterList* list = cxDetailFilterControllers();
  int index;
  if (ADataSet != nullptr && list->FindAdapter(ADataSet->ClassType(), index))
    if (auto* adapter = dynamic_cast<TcxDBProviderDetailFilterAdapter*>(list->Items(index))) return adapter;
  TcxCustomDataController::InvalidOperation(u"DetailFilterController not found");
}

}  // namespace data
