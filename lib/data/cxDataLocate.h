#pragma once
// Finding a record by values: the values are read into an internal record of
// the controller's storage (negative index, never listed), then compared
// with the listed records by the controller's own comparison, so a value
// matches exactly when sorting and grouping would call it equal.
#include <vector>

#include "lib/data/cxCustomData.h"

namespace data {

class TcxDataControllerLocateObject : public TObject {
  RTL_CLASS(TcxDataControllerLocateObject, TObject)

 public:
  explicit TcxDataControllerLocateObject(TcxCustomDataController* ADataController)
      : FDataController(ADataController) {}
  ~TcxDataControllerLocateObject() override;
  TcxDataControllerLocateObject(const TcxDataControllerLocateObject&) = delete;
  TcxDataControllerLocateObject& operator=(const TcxDataControllerLocateObject&) = delete;

  // Drops the internal record.
  virtual void Clear();
  // The record that matches the values read last; -1 when none.
  virtual int FindRecordIndex() = 0;
  // Reads the reader's values into the internal record (made on first use).
  virtual void ReadData(TcxValueDefReader* AReader);
  TcxCustomDataController* DataController() const { return FDataController; }
  int InternalRecordIndex() const { return FInternalRecordIndex; }

 private:
  TcxCustomDataController* FDataController;
  int FInternalRecordIndex = 0;  // 0: none
};

// By key fields: the first record equal in every key field.
class TcxDataControllerKeyLocateObject : public TcxDataControllerLocateObject {
  RTL_CLASS(TcxDataControllerKeyLocateObject, TcxDataControllerLocateObject)

 public:
  using TcxDataControllerLocateObject::TcxDataControllerLocateObject;
  int FindRecordIndex() override;
  std::vector<TcxCustomDataField*>& Fields() { return FFields; }

 private:
  std::vector<TcxCustomDataField*> FFields;
};

// By group values: a listed record whose grouping values at Level and above
// equal the ones read.
class TcxDataControllerGroupLocateObject : public TcxDataControllerLocateObject {
  RTL_CLASS(TcxDataControllerGroupLocateObject, TcxDataControllerLocateObject)

 public:
  explicit TcxDataControllerGroupLocateObject(TcxCustomDataController* ADataController);
  int FindRecordIndex() override;
  int Level() const { return FLevel; }
  void SetLevel(int AValue) { FLevel = AValue; }
  // False when a grouping field sorts by display text: the list is then not
  // in value order and the search is linear.
  bool IsGroupDataSorted() const { return FIsGroupDataSorted; }

 private:
  bool FIsGroupDataSorted = true;
  int FLevel = 0;
};

}  // namespace data
