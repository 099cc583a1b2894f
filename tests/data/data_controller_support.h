#pragma once
// A small view for the controller tests: it owns the items, answers them
// through GetItem, and records every notification object, data-changed
// event and controller event it hears as one line of text, so a test
// compares a whole sequence at once.
#include <memory>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/ustring.h"

namespace data_test {

using data::TcxCustomDataController;
using rtl::String;
using rtl::Variant;

class TestController : public data::TcxDataController {
 public:
  explicit TestController(rtl::TComponent* owner) : TcxDataController(owner) {}
  rtl::TObject* GetItem(int index) const override { return items.at(static_cast<size_t>(index)).get(); }
  // A new item with a field of `type` (none: a field without a value definition).
  int addItem(data::TcxValueTypeClass type) {
    items.push_back(std::make_unique<rtl::TComponent>(nullptr));
    data::TcxCustomDataField* field = AddItem(items.back().get());
    if (type) field->SetValueTypeClass(type);
    return field->GetIndex();
  }
  std::vector<std::unique_ptr<rtl::TComponent>> items;
};

inline std::string utf8(const String& s) {
  std::string out;
  for (char16_t c : s) out += static_cast<char>(c < 128 ? c : '?');
  return out;
}

inline std::string show(const Variant& v) {
  if (rtl::VarIsNull(v)) return "null";
  if (rtl::VarIsEmpty(v)) return "empty";
  return utf8(rtl::VarToStr(v));
}

class RecordingView {
 public:
  explicit RecordingView(TcxCustomDataController& c) : controller_(c) {
    c.FOnUpdateControl = data::TcxDataControllerUpdateControlEvent::fromClosure(
        this, [this](data::TcxUpdateControlInfo* info) { log.push_back(describe(info)); });
    c.FOnRecordChanged = data::TcxDataRecordChangedEvent::fromClosure(
        this, [this](TcxCustomDataController*, int record, int item) {
          log.push_back("recordChanged " + std::to_string(record) + " " + std::to_string(item));
        });
    c.FOnDataChanged = rtl::TNotifyEvent::fromClosure(this, [this](rtl::TObject*) { log.push_back("dataChanged"); });
    c.FOnGroupingChanged = rtl::TNotifyEvent::fromClosure(this, [this](rtl::TObject*) { log.push_back("groupingChanged"); });
    c.FOnSortingChanged = rtl::TNotifyEvent::fromClosure(this, [this](rtl::TObject*) { log.push_back("sortingChanged"); });
  }
  ~RecordingView() {
    controller_.FOnUpdateControl = nullptr;
    controller_.FOnRecordChanged = nullptr;
    controller_.FOnDataChanged = nullptr;
    controller_.FOnGroupingChanged = nullptr;
    controller_.FOnSortingChanged = nullptr;
  }
  RecordingView(const RecordingView&) = delete;
  RecordingView& operator=(const RecordingView&) = delete;

  static std::string describe(data::TcxUpdateControlInfo* info) {
    using namespace data;
    static const char* const kinds[] = {"field", "record", "new", "deleted", "total"};
    if (auto* d = dynamic_cast<TcxDataChangedInfo*>(info))
      return std::string("data ") + kinds[d->Kind] + " " + std::to_string(d->ItemIndex) + " " +
             std::to_string(d->RecordIndex);
    if (auto* r = dynamic_cast<TcxFocusedRowChangedInfo*>(info))
      return "focusedRow " + std::to_string(r->PrevFocusedRowIndex()) + ">" + std::to_string(r->FocusedRowIndex());
    if (auto* r = dynamic_cast<TcxFocusedRecordChangedInfo*>(info))
      return "focusedRecord " + std::to_string(r->PrevFocusedRecordIndex()) + ">" +
             std::to_string(r->FocusedRecordIndex());
    if (auto* s = dynamic_cast<TcxSelectionChangedInfo*>(info)) {
      std::string text = "selection [";
      for (int i = 0; i < s->Count(); ++i) text += (i ? "," : "") + std::to_string(s->RowIndexes(i));
      return text + "]";
    }
    if (auto* u = dynamic_cast<TcxUpdateRecordInfo*>(info)) return "updateRecord " + std::to_string(u->RecordIndex());
    if (dynamic_cast<TcxLayoutChangedInfo*>(info)) return "layout";
    if (dynamic_cast<TcxSearchChangedInfo*>(info)) return "search";
    if (dynamic_cast<TcxBookmarkChangedInfo*>(info)) return "bookmark";
    if (dynamic_cast<TcxFindFilterChangedInfo*>(info)) return "findFilter";
    if (dynamic_cast<TcxGroupingChangingInfo*>(info)) return "groupingChanging";
    return "?";
  }

  std::vector<std::string> log;

 private:
  TcxCustomDataController& controller_;
};

}  // namespace data_test
