#pragma once
// TMemTable: a dataset living only in memory, with field definitions given
// by the caller (FieldDefs().Add, then CreateDataSet or Open).
#include "platform/db/dataset.h"

namespace dac {

class TMemTable : public db::TCustomMemDataSet {
  RTL_CLASS(TMemTable, db::TCustomMemDataSet)

 public:
  explicit TMemTable(rtl::TComponent* owner);
  ~TMemTable() override;
};

}  // namespace dac
