// A dataset-bound controller for tests: items made on demand and bound to
// fields by name, and a count of the full reloads smart refresh avoids.
#pragma once

#include <memory>
#include <vector>

#include "lib/data/cxDBData.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/ustring.h"

namespace data_test {

class CountingDBController : public data::TcxDBDataController {
 public:
  CountingDBController() : data::TcxDBDataController(nullptr) {}
  rtl::TObject* GetItem(int index) const override { return items.at(static_cast<size_t>(index)).get(); }
  int addItem(const rtl::String& fieldName) {
    items.push_back(std::make_unique<rtl::TComponent>(nullptr));
    const int index = AddItem(items.back().get())->GetIndex();
    ChangeFieldName(index, fieldName);
    return index;
  }
  void LoadStorage() override {
    ++loads;
    data::TcxDBDataController::LoadStorage();
  }
  std::vector<std::unique_ptr<rtl::TComponent>> items;
  int loads = 0;
};

}  // namespace data_test
