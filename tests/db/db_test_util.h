#pragma once
// A memory dataset of numbered records for the dataset tests, and a link
// that records what it is told.
#include <memory>
#include <string>
#include <vector>

#include "platform/db/db.h"
#include "platform/rtl/ustring.h"

namespace dbtest {

using db::String;
using db::Variant;
using rtl::S;

// ID (integer), NAME (string), AMOUNT (float), WHEN (date-time); record i
// has ID i, NAME "name<i>", AMOUNT i * 1.5, WHEN 45000 + i.
inline std::unique_ptr<db::TCustomMemDataSet> makeNumbered(int count, rtl::TComponent* owner = nullptr) {
  auto ds = std::make_unique<db::TCustomMemDataSet>(owner);
  ds->SetName(u"Numbers");
  ds->FieldDefs()->Add(u"ID", db::ftInteger);
  ds->FieldDefs()->Add(u"NAME", db::ftString, 30);
  ds->FieldDefs()->Add(u"AMOUNT", db::ftFloat);
  ds->FieldDefs()->Add(u"WHEN", db::ftDateTime);
  ds->CreateDataSet();
  for (int i = 1; i <= count; ++i)
    ds->AppendRecord({Variant(i), Variant(u"name" + rtl::IntToStr(i)), Variant(i * 1.5),
                      Variant::FromDateTime(45000.0 + i)});
  ds->First();
  return ds;
}

// Records every callback as a line ("changed", "scrolled 2", "active 1"...).
class RecordingLink : public db::TDataLink {
 public:
  std::vector<std::string> log;
  int changes = 0;
  int scrolls = 0;
  std::vector<int> distances;

  void clear() {
    log.clear();
    changes = scrolls = 0;
    distances.clear();
  }

 protected:
  void ActiveChanged() override { log.push_back(std::string("active ") + (Active() ? "1" : "0")); }
  void DataSetChanged() override {
    ++changes;
    log.push_back("changed");
  }
  void DataSetScrolled(int distance) override {
    ++scrolls;
    distances.push_back(distance);
    log.push_back("scrolled " + std::to_string(distance));
  }
  void EditingChanged() override { log.push_back(std::string("editing ") + (Editing() ? "1" : "0")); }
  void RecordChanged(db::TField* field) override {
    log.push_back(field ? "record " + rtl::StringToUtf8(field->FieldName()) : std::string("record"));
  }
  void LayoutChanged() override { log.push_back("layout"); }
  void UpdateData() override { log.push_back("update data"); }
  void CheckBrowseMode() override { log.push_back("check browse"); }

 public:
  void DataEvent(db::TDataEvent event, db::NativeInt info) override {
    if (event == db::deDisabledStateChange) log.push_back("disabled state " + std::to_string(info));
    db::TDataLink::DataEvent(event, info);
  }
};

}  // namespace dbtest
