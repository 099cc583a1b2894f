// Restricting a detail dataset to one master's records.
#include <memory>
#include <utility>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDBDataDetail.h"
#include "lib/data/cxVariants.h"
#include "platform/db/params.h"
#include "platform/rtl/scoped.h"

namespace data {

namespace {

struct DetailAdapterEntry {
  const rtl::ClassInfo* DataSetClass;
  std::unique_ptr<TcxDBProviderDetailFilterAdapter> Adapter;
};

std::vector<DetailAdapterEntry>& detailAdapterRegistry() {
  // Made with its built-in entry on first use and freed at exit.
  static std::vector<DetailAdapterEntry> registry = [] {
    std::vector<DetailAdapterEntry> entries;
    entries.push_back({&db::TDataSet::classInfo(), std::make_unique<TcxDBProviderDetailFilterAdapter>()});
    return entries;
  }();
  return registry;
}

}  // namespace

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
  const std::vector<DetailAdapterEntry>& registry = detailAdapterRegistry();
  // The nearest registered class up the dataset's ancestry.
  for (const rtl::ClassInfo* c = ADataSet ? ADataSet->ClassType() : nullptr; c != nullptr; c = c->ClassParent())
    for (const DetailAdapterEntry& entry : registry)
      if (entry.DataSetClass == c) return entry.Adapter.get();
  TcxCustomDataController::InvalidOperation(u"DetailFilterController not found");
}

void cxRegisterDetailFilterAdapter(const rtl::ClassInfo& ADataSetClass,
                                   std::unique_ptr<TcxDBProviderDetailFilterAdapter> AAdapter) {
  std::vector<DetailAdapterEntry>& registry = detailAdapterRegistry();
  for (DetailAdapterEntry& entry : registry)
    if (entry.DataSetClass == &ADataSetClass) {
      entry.Adapter = std::move(AAdapter);
      return;
    }
  registry.push_back({&ADataSetClass, std::move(AAdapter)});
}

void cxUnregisterDetailFilterAdapter(const rtl::ClassInfo& ADataSetClass) {
  std::vector<DetailAdapterEntry>& registry = detailAdapterRegistry();
  for (auto it = registry.begin(); it != registry.end(); ++it)
    if (it->DataSetClass == &ADataSetClass) {
      registry.erase(it);
      return;
    }
}

}  // namespace data
