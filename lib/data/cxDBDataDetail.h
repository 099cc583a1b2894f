#pragma once
// Restricting a detail dataset to one master's records. All the clones of a
// relation read the same detail dataset; before a clone loads, its master's
// key values are put on that dataset in one of two ways: by locating the
// first record of the master's run (the dataset is ordered by the detail
// key), or, in SQL mode, by re-running the dataset's parameterised query
// with the master's values.
#include <memory>
#include <vector>

#include "lib/data/cxDBData.h"
#include "lib/data/cxDataRelations.h"
#include "platform/db/dataset.h"
#include "platform/rtl/object.h"
#include "platform/rtl/ustring.h"
#include "platform/rtl/variant.h"

namespace data {

class TcxDBProviderDetailFilterAdapter : public TcxDBAdapterItem {
  RTL_CLASS(TcxDBProviderDetailFilterAdapter, TcxDBAdapterItem)

 public:
  // Whether the dataset's parameters already hold these values (a dataset
  // without parameters never does).
  virtual bool IsCurrentQuery(db::TDataSet* ADataSet, const rtl::String& AParamNames,
                              const rtl::Variant& AParamValues);
  // Same values: back to the first record. Other values: the query runs
  // again with them (controls held off meanwhile) and AReopened is set.
  // A dataset without parameters is left alone.
  virtual void ReopenSQL(db::TDataSet* ADataSet, const rtl::String& AParamNames, const rtl::Variant& AParamValues,
                         bool& AReopened);
  // SQL mode: ReopenSQL; otherwise the cursor goes to the first record of
  // the master's run.
  virtual void SetFilter(db::TDataSet* ADataSet, const rtl::String& AMasterDetailKeyFieldNames,
                         const rtl::Variant& AMasterDetailKeyValues, bool ASQLMode, bool& AReopened);
};

// The process-wide detail adapters by dataset class: one entry, TDataSet
// to TcxDBProviderDetailFilterAdapter, so that every dataset class finds
// one. Made by the unit's start (or on first use) and freed by its stop;
// main thread only.
TcxDBAdapterList* cxDetailFilterControllers();
void cxDBDataDetailInitialization();
void cxDBDataDetailFinalization();
// The adapter registered for the nearest class of the dataset. Raises
// EcxInvalidDataControllerOperation "DetailFilterController not found" when
// none fits (or without a dataset).
TcxDBProviderDetailFilterAdapter* cxFindDetailFilterAdapter(const db::TDataSet* ADataSet);

// A relation of a dataset-bound master: it links each master record to its
// details by key values. The master keeps an internal data field bound to
// the detail's MasterKeyFieldNames, so every loaded master record carries
// the values its details are looked up by.
class TcxDBDataRelation : public TcxCustomDataRelation {
  RTL_CLASS(TcxDBDataRelation, TcxCustomDataRelation)

 public:
  TcxDBDataRelation(TcxCustomDataRelationList* ARelationList, TObject* AItem);
  // Frees the master key field (unless the master is going away with its fields).
  ~TcxDBDataRelation() override;

  void RemoveDataField(TcxCustomDataField* AField) override;
  TcxDBDataController* GetDataController() const;
  // The key names of this relation's pattern controller, when it is dataset-bound.
  rtl::String GetDetailKeyFieldNames() const;
  rtl::String GetMasterKeyFieldNames() const;
  virtual bool IsLinked() const;
  std::vector<TcxCustomDataField*> GetMasterKeyFields() const;
  // The master record's stored key values (one value or an array); Unassigned
  // unless the relation is linked.
  rtl::Variant GetMasterRecordID(int ARecordIndex) const;
  void UpdateMasterDetailKeyFieldNames();
  TcxDBDataField* MasterKeyField() const { return FMasterKeyField; }

 private:
  friend class TcxDBDataController;
  TcxDBDataController* patternDetail() const;
  TcxDBDataController* FMaster;  // kept: a relation being removed has left its list already
  TcxDBDataField* FMasterKeyField = nullptr;  // an internal field of the master's list
};

}  // namespace data
