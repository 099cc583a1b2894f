#pragma once
// Filter criteria over a small in-memory table for the filter tests: columns
// are plain objects with an identifier and a name, a record maps a column to
// its value.
#include <map>
#include <memory>
#include <vector>

#include "lib/data/cxFilter.h"

namespace filter_test {

using namespace data;

struct Column : rtl::TObject {
  Column() = default;
  Column(int AID, const String& AName) : id(AID), name(AName) {}
  int id = 0;
  String name;
};
using Record = std::map<const rtl::TObject*, Variant>;

class TestItem : public TcxFilterCriteriaItem {
 public:
  using TcxFilterCriteriaItem::TcxFilterCriteriaItem;
  Variant GetDataValue(rtl::Int64 ARecordIndex) override;
  String GetFieldCaption() override { return GetFieldName(); }
  String GetFieldName() override;
};

class TestCriteria : public TcxFilterCriteria {
 public:
  explicit TestCriteria(int AVersion = cxFilterVersionPlain) { FVersion = AVersion; }

  std::unique_ptr<TcxFilterCriteriaItem> CreateItem(TcxFilterCriteriaItemList* AParent, rtl::TObject* AItemLink,
                                                    TcxFilterOperatorKind AOperatorKind, const Variant& AValue,
                                                    const String& ADisplayValue) override {
    return std::make_unique<TestItem>(AParent, AItemLink, AOperatorKind, AValue, ADisplayValue);
  }
  int GetIDByItemLink(rtl::TObject* AItemLink) override {
    return AItemLink != nullptr ? static_cast<Column*>(AItemLink)->id : -1;
  }
  String GetNameByItemLink(rtl::TObject* AItemLink) override {
    return AItemLink != nullptr ? static_cast<Column*>(AItemLink)->name : String();
  }
  rtl::TObject* GetItemLinkByID(int AID) override {
    for (Column* c : columns)
      if (c->id == AID) return c;
    return nullptr;
  }
  rtl::TObject* GetItemLinkByName(const String& AName) override {
    for (Column* c : columns)
      if (c->name == AName) return c;
    return nullptr;
  }

  void Changes(rtl::TObject*) { ++changes; }
  void Count() { SetOnChanged(rtl::TNotifyEvent::bind<&TestCriteria::Changes>(this)); }

  std::vector<Column*> columns;  // the items a stream can link to
  std::vector<Record> records;
  int changes = 0;
};

inline Variant TestItem::GetDataValue(rtl::Int64 ARecordIndex) {
  auto* criteria = static_cast<TestCriteria*>(GetCriteria());
  const Record& record = criteria->records.at(static_cast<std::size_t>(ARecordIndex));
  auto it = record.find(ItemLink());
  return it == record.end() ? rtl::Null() : it->second;
}

inline String TestItem::GetFieldName() {
  return ItemLink() != nullptr ? static_cast<Column*>(ItemLink())->name : String();
}

}  // namespace filter_test
