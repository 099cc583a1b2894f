// Edit states with post and cancel, record insertion and deletion, record
// handles of a program-supplied record source, and the data binding base.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataBinding.h"
#include "tests/data/data_controller_support.h"

namespace {

using namespace data;
using data_test::show;
using data_test::TestController;
using rtl::Variant;

// Records "a".."e" in a string item 0 and 1..5 in an integer item 1; every
// edit event lands in `events`.
struct Fixture {
  TestController c{nullptr};
  std::vector<std::string> events;
  explicit Fixture(int records = 5) {
    c.addItem(TcxStringValueType::Instance());
    c.addItem(TcxIntegerValueType::Instance());
    c.SetRecordCount(records);
    for (int r = 0; r < records; ++r) {
      c.SetValue(r, 0, Variant(rtl::String(1, static_cast<char16_t>(u'a' + r))));
      c.SetValue(r, 1, Variant(r + 1));
    }
    auto log = [this](const char* name) {
      return rtl::TNotifyEvent::fromClosure(this, [this, name](rtl::TObject*) { events.push_back(name); });
    };
    c.FOnBeforePost = log("beforePost");
    c.FOnAfterPost = log("afterPost");
    c.FOnBeforeCancel = log("beforeCancel");
    c.FOnAfterCancel = log("afterCancel");
    c.FOnBeforeInsert = log("beforeInsert");
    c.FOnAfterInsert = log("afterInsert");
    c.FOnAfterDelete = log("afterDelete");
    c.FOnNewRecord = TcxDataControllerRecordEvent::fromClosure(
        this, [this](TcxCustomDataController*, int r) { events.push_back("newRecord " + std::to_string(r)); });
  }
  // Item 0 of every record, joined: "a,b,null,c".
  std::string column() const {
    std::string out;
    for (int r = 0; r < c.GetRecordCount(); ++r) out += (r ? "," : "") + show(c.GetValue(r, 0));
    return out;
  }
  std::string state() const {
    const TcxDataControllerEditState s = c.GetEditState();
    std::string out = s.contains(dceInsert) ? "insert" : s.contains(dceEdit) ? "edit" : "browse";
    if (s.contains(dceChanging)) out += "+changing";
    if (s.contains(dceModified)) out += "+modified";
    return out;
  }
};

struct Step {
  std::function<void(TestController&)> act;
  const char* state;  // the edit state after the step
};

struct EditCase {
  const char* name;
  int focusedRow;
  std::vector<Step> steps;
  const char* column;           // item 0 of every record at the end
  int focusedRecord;            // at the end
  std::vector<std::string> events;
};

void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

Step edit() { return {[](TestController& c) { c.Edit(); }, "edit"}; }
Step setText(const char16_t* text, const char* state) {
  return {[text](TestController& c) { c.SetEditValue(0, Variant(rtl::String(text)), evsValue); }, state};
}
Step post(bool force = false) { return {[force](TestController& c) { c.Post(force); }, "browse"}; }
Step cancel() { return {[](TestController& c) { c.Cancel(); }, "browse"}; }
Step insert() { return {[](TestController& c) { c.Insert(); }, "insert"}; }
Step append() { return {[](TestController& c) { c.Append(); }, "insert"}; }

// A value set through the controller first asks CanInitEditing, which marks
// editor input pending (changing) until PostEditingData takes it.
const EditCase kEditCases[] = {
    {"edit and post keeps the new value", 1, {edit(), setText(u"x", "edit+changing+modified"), post()},
     "a,x,c,d,e", 1,
     {"beforePost", "afterPost"}},
    {"edit and cancel restores every value from the saved copy", 1,
     {edit(), setText(u"x", "edit+changing+modified"),
      {[](TestController& c) { c.SetEditValue(1, Variant(99), evsValue); }, "edit+changing+modified"}, cancel()},
     "a,b,c,d,e", 1, {"beforeCancel", "afterCancel"}},
    {"an untouched insert posted without the flag disappears", 1, {insert(), post()}, "a,b,c,d,e", 1,
     {"beforeInsert", "newRecord 1", "afterInsert", "beforeCancel", "afterCancel"}},
    {"an untouched insert posted with the flag stays", 1, {insert(), post(true)}, "a,null,b,c,d,e", 1,
     {"beforeInsert", "newRecord 1", "afterInsert", "beforePost", "afterPost"}},
    {"inserting twice without typing leaves one new record", 2, {insert(), insert()}, "a,b,null,c,d,e", 2,
     {"beforeInsert", "newRecord 2", "afterInsert"}},
    {"inserting while a modified record is edited posts it first", 3,
     {edit(), setText(u"x", "edit+changing+modified"), insert()}, "a,b,c,null,x,e", 3,
     {"beforePost", "afterPost", "beforeInsert", "newRecord 3", "afterInsert"}},
    {"an inserted and typed record is posted in place", 0,
     {insert(), setText(u"n", "insert+changing+modified"), post()},
     "n,a,b,c,d,e", 0, {"beforeInsert", "newRecord 0", "afterInsert", "beforePost", "afterPost"}},
    {"cancelling an append at the end focuses the new last record", 4,
     {append(), setText(u"z", "insert+changing+modified"), cancel()}, "a,b,c,d,e", 4,
     {"beforeInsert", "newRecord 5", "afterInsert", "beforeCancel", "afterCancel"}},
    {"an appended record is posted at the end", 0, {append(), setText(u"z", "insert+changing+modified"), post()},
     "a,b,c,d,e,z", 5, {"beforeInsert", "newRecord 5", "afterInsert", "beforePost", "afterPost"}},
    {"an empty text is stored as null, an empty value as empty text", 2,
     {edit(), {[](TestController& c) { c.SetEditValue(0, Variant(rtl::String()), evsText); }, "edit+changing+modified"},
      {[](TestController& c) { c.SetEditValue(1, Variant(rtl::String()), evsText); }, "edit+changing+modified"}, post(),
      {[](TestController& c) {
         c.ChangeFocusedRowIndex(3);
         c.SetEditValue(0, Variant(rtl::String()), evsValue);
         c.Post();
       },
       "browse"}},
     "a,b,null,,e", 3, {"beforePost", "afterPost", "beforePost", "afterPost"}},
    {"with immediate post every edit value is posted at once", 2,
     {{[](TestController& c) { c.SetOptions(c.Options() + dcoImmediatePost); }, "browse"},
      setText(u"x", "browse"), setText(u"y", "browse")},
     "a,b,y,d,e", 2, {"beforePost", "afterPost", "beforePost", "afterPost"}},
    {"editor input marks the record changing until it is taken", 1,
     {{[](TestController& c) { c.CanInitEditing(0); }, "edit+changing"},
      {[](TestController& c) { c.PostEditingData(); }, "edit"}, cancel()},
     "a,b,c,d,e", 1, {"beforeCancel", "afterCancel"}},
};

class EditStates : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditStates, MoveThroughPostAndCancel) {
  const EditCase& tc = GetParam();
  Fixture f;
  f.c.ChangeFocusedRowIndex(tc.focusedRow);
  for (size_t i = 0; i < tc.steps.size(); ++i) {
    tc.steps[i].act(f.c);
    EXPECT_EQ(f.state(), tc.steps[i].state) << "after step " << i + 1;
  }
  EXPECT_EQ(f.column(), tc.column);
  EXPECT_EQ(f.c.GetFocusedRecordIndex(), tc.focusedRecord);
  EXPECT_EQ(f.events, tc.events);
  EXPECT_EQ(f.c.Provider()->SavedRecordIndex(), 0) << "no saved copy outlives the edit";
  EXPECT_EQ(f.c.DataStorage()->RecordCount(), f.c.GetRecordCount());
}

INSTANTIATE_TEST_SUITE_P(DataProvider, EditStates, ::testing::ValuesIn(kEditCases), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

TEST(DataProvider, GetEditValueOutsideEditingRaises) {
  Fixture f;
  // Outside editing the editing record is the focused one: with no row
  // focused there is none.
  f.c.ChangeFocusedRowIndex(-1);
  EXPECT_THROW(f.c.GetEditValue(0, evsValue), EcxInvalidDataControllerOperation);
  f.c.ChangeFocusedRowIndex(0);
  f.c.Edit();
  EXPECT_EQ(show(f.c.GetEditValue(0, evsValue)), "a");
}

TEST(DataProvider, DataChangeFromBelowEndsEditingWithoutRestoring) {
  Fixture f;
  f.c.ChangeFocusedRowIndex(1);
  f.c.Edit();
  f.c.SetEditValue(0, Variant(rtl::String(u"x")), evsValue);
  f.c.CanInitEditing(0);
  TcxCustomDataProvider* provider = f.c.Provider();

  provider->SetDataChangedLocked(true);
  provider->DataChanged(dcRecord, -1, 1);
  EXPECT_EQ(f.state(), "edit+modified") << "locked: only the changing flag clears";

  provider->SetDataChangedLocked(false);
  provider->Freeze();
  data_test::RecordingView view(f.c);
  provider->DataChanged(dcRecord, -1, 1);
  provider->Unfreeze();
  EXPECT_EQ(f.state(), "browse") << "a frozen provider still ends editing";
  EXPECT_TRUE(view.log.empty()) << "but the controller hears nothing";
  EXPECT_EQ(f.column(), "a,x,c,d,e") << "the record keeps its current values";
  EXPECT_EQ(provider->SavedRecordIndex(), 0);
}

TEST(DataProvider, EditOperationsFollowTheProvider) {
  Fixture f(0);
  EXPECT_EQ(f.c.GetEditOperations(), (TcxDataControllerEditOperations{dceoAppend, dceoEdit, dceoInsert, dceoShowEdit}))
      << "nothing to delete";
  f.c.SetRecordCount(1);
  EXPECT_TRUE(f.c.GetEditOperations().contains(dceoDelete));
}

// --- insertion and deletion keep every other value in place ----------------------------------------
// Each step changes the controller and a plain model the same way; after
// every step item 0 and item 1 of every record must match the model.
struct Model {
  std::vector<std::string> texts;
  std::vector<std::string> numbers;
};

struct RecordStep {
  const char* what;
  std::function<void(TestController&)> act;
  std::function<void(Model&)> expect;
};

TEST(DataProvider, InsertionAndDeletionKeepValuesInPlace) {
  Fixture f;
  Model m{{"a", "b", "c", "d", "e"}, {"1", "2", "3", "4", "5"}};
  const RecordStep steps[] = {
      {"insert at 2", [](TestController& c) { c.InsertRecord(2); },
       [](Model& m) { m.texts.insert(m.texts.begin() + 2, "null"), m.numbers.insert(m.numbers.begin() + 2, "null"); }},
      {"fill the new record", [](TestController& c) { c.SetValue(2, 0, Variant(rtl::String(u"n"))), c.SetValue(2, 1, Variant(9)); },
       [](Model& m) { m.texts[2] = "n", m.numbers[2] = "9"; }},
      {"delete record 0", [](TestController& c) { c.DeleteRecord(0); },
       [](Model& m) { m.texts.erase(m.texts.begin()), m.numbers.erase(m.numbers.begin()); }},
      {"append at the end", [](TestController& c) { c.SetValue(c.AppendRecord(), 0, Variant(rtl::String(u"z"))); },
       [](Model& m) { m.texts.push_back("z"), m.numbers.push_back("null"); }},
      {"values of two records in one bracket",
       [](TestController& c) {
         c.BeginUpdate();
         c.SetValue(0, 1, Variant(10));
         c.SetValue(4, 1, Variant(40));
         c.EndUpdate();
       },
       [](Model& m) { m.numbers[0] = "10", m.numbers[4] = "40"; }},
      {"insert at the append position", [](TestController& c) { c.InsertRecord(c.GetRecordCount()); },
       [](Model& m) { m.texts.push_back("null"), m.numbers.push_back("null"); }},
      {"delete the focused record (row 1)",
       [](TestController& c) {
         c.ChangeFocusedRowIndex(1);
         c.DeleteFocused();
       },
       [](Model& m) { m.texts.erase(m.texts.begin() + 1), m.numbers.erase(m.numbers.begin() + 1); }},
      {"insert through the provider before the focused record",
       [](TestController& c) {
         c.Insert();
         c.SetEditValue(0, Variant(rtl::String(u"i")), evsValue);
         c.Post();
       },
       [](Model& m) { m.texts.insert(m.texts.begin() + 1, "i"), m.numbers.insert(m.numbers.begin() + 1, "null"); }},
      {"delete a selection of rows 0, 2 and 3",
       [](TestController& c) {
         c.SetMultiSelect(true);
         c.ClearSelection();  // switching multi-select on selects the focused row
         c.ChangeRowSelection(3, true);
         c.ChangeRowSelection(0, true);
         c.ChangeRowSelection(2, true);
         c.DeleteSelection();
       },
       [](Model& m) {
         for (int r : {3, 2, 0}) m.texts.erase(m.texts.begin() + r), m.numbers.erase(m.numbers.begin() + r);
       }},
      {"shrink to two records", [](TestController& c) { c.SetRecordCount(2); },
       [](Model& m) { m.texts.resize(2), m.numbers.resize(2); }},
      {"a negative count empties", [](TestController& c) { c.SetRecordCount(-1); },
       [](Model& m) { m.texts.clear(), m.numbers.clear(); }},
  };
  for (const RecordStep& step : steps) {
    SCOPED_TRACE(step.what);
    step.act(f.c);
    step.expect(m);
    ASSERT_EQ(f.c.GetRecordCount(), static_cast<int>(m.texts.size()));
    for (int r = 0; r < f.c.GetRecordCount(); ++r) {
      EXPECT_EQ(show(f.c.GetValue(r, 0)), m.texts[static_cast<size_t>(r)]) << "record " << r;
      EXPECT_EQ(show(f.c.GetValue(r, 1)), m.numbers[static_cast<size_t>(r)]) << "record " << r;
    }
    EXPECT_EQ(f.c.DataControllerInfo()->GetSelectedCount(), 0) << "no row selection is left behind";
  }
}

TEST(DataProvider, DeletingTheFocusedRecordFocusesItsNeighbour) {
  const struct {
    int focusedRow;
    const char* focusedValue;  // item 0 of the record focused afterwards
  } cases[] = {{1, "c"}, {4, "d"}, {0, "b"}};
  for (const auto& tc : cases) {
    Fixture f;
    f.c.ChangeFocusedRowIndex(tc.focusedRow);
    f.c.DeleteFocused();
    ASSERT_NE(f.c.GetFocusedRecordIndex(), -1);
    EXPECT_EQ(show(f.c.GetValue(f.c.GetFocusedRecordIndex(), 0)), tc.focusedValue) << "row " << tc.focusedRow;
    EXPECT_EQ(f.c.NearestRecordIndex(), -1);
  }
}

TEST(DataProvider, DeletingTheEditingRecordLeavesNoEditingRecord) {
  Fixture f;
  f.c.ChangeFocusedRowIndex(2);
  f.c.Edit();
  f.c.DeleteRecord(2);
  EXPECT_EQ(f.c.Provider()->EditingRecordIndex(), cxNullEditingRecordIndex);
  EXPECT_FALSE(f.c.IsEditing());
}

// --- a program-supplied record source ------------------------------------------------------------------
// Rows keyed by handles above 4 GiB, as pointers on a 64-bit host are.
class HandleSource : public TcxCustomDataSource {
 public:
  static TcxDataRecordHandle handle(int i) {
    return reinterpret_cast<TcxDataRecordHandle>((std::uintptr_t{1} << 32) * static_cast<std::uintptr_t>(i + 1) + 8);
  }
  std::map<TcxDataRecordHandle, std::vector<Variant>> rows;
  void LoadRecordHandles() override {
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) AddRecordHandle(handle(i));
  }
  Variant GetValue(TcxDataRecordHandle h, TcxDataItemHandle item) override {
    return rows.at(h).at(static_cast<size_t>(reinterpret_cast<std::intptr_t>(item)));
  }
  void SetValue(TcxDataRecordHandle h, TcxDataItemHandle item, const Variant& v) override {
    rows.at(h).at(static_cast<size_t>(reinterpret_cast<std::intptr_t>(item))) = v;
  }
};

TEST(DataProvider, RecordHandlesKeepAllSixtyFourBits) {
  HandleSource source;
  for (int i = 0; i < 3; ++i) source.rows[HandleSource::handle(i)] = {Variant(i * 100)};
  TestController c(nullptr);
  c.addItem(TcxIntegerValueType::Instance());
  c.SetCustomDataSource(&source);
  ASSERT_TRUE(c.IsProviderMode());
  ASSERT_EQ(c.GetRecordCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(source.GetRecordIndexByHandle(HandleSource::handle(i)), i);
    EXPECT_EQ(c.GetValue(i, 0).AsInteger(), i * 100);
  }
  c.SetValue(2, 0, Variant(7));
  EXPECT_EQ(source.rows[HandleSource::handle(2)][0].AsInteger(), 7) << "the write reaches the record's own row";

  c.SetCustomDataSource(nullptr);
  EXPECT_FALSE(c.IsProviderMode());
  EXPECT_EQ(c.RecordHandlesField(), nullptr);
  EXPECT_EQ(c.GetRecordCount(), 0);
  EXPECT_EQ(source.ProviderCount(), 0);
}

// --- readers and the binding base -------------------------------------------------------------------------
TEST(DataProvider, UnboundReaderKeepsOneValuePerDefinition) {
  Fixture f;
  TcxValueDef* text = f.c.GetItemField(0)->GetValueDef();
  TcxValueDef* number = f.c.GetItemField(1)->GetValueDef();
  TcxValueDefUnboundReader reader;
  EXPECT_TRUE(rtl::VarIsNull(reader.GetValue(text)));
  reader.SetValue(number, Variant(5));
  reader.SetValue(text, Variant(rtl::String(u"t")));
  reader.SetValue(number, Variant(6));
  EXPECT_EQ(reader.GetValue(number).AsInteger(), 6);
  EXPECT_EQ(show(reader.GetValue(text)), "t");
  reader.Truncate(1);
  EXPECT_EQ(reader.GetValue(number).AsInteger(), 6);
  EXPECT_TRUE(rtl::VarIsNull(reader.GetValue(text))) << "cells past the count are gone";
  EXPECT_EQ(reader.Count(), 2) << "the definitions stay";
}

TEST(DataBinding, BaseAnswersAndChangeEvents) {
  rtl::TComponent owner(nullptr), control(nullptr);
  TcxCustomDataBinding binding(&owner, nullptr);
  EXPECT_FALSE(binding.ReadOnly());
  EXPECT_TRUE(binding.CanModify());
  EXPECT_TRUE(binding.SetEditMode());
  EXPECT_FALSE(binding.Modified());
  EXPECT_TRUE(rtl::VarIsNull(binding.GetStoredValue(evsValue, false)));
  EXPECT_EQ(binding.GetOwner(), &owner);

  int dataSetChanges = 0;
  binding.OnDataSetChange = rtl::TNotifyEvent::fromClosure(&binding, [&](rtl::TObject*) { ++dataSetChanges; });
  binding.SetReadOnly(false);
  EXPECT_EQ(dataSetChanges, 0) << "the same value fires nothing";
  binding.SetReadOnly(true);
  EXPECT_EQ(dataSetChanges, 1);
  EXPECT_FALSE(binding.CanModify());
  EXPECT_FALSE(binding.SetEditMode());

  struct CountingBinding : TcxCustomDataBinding {
    using TcxCustomDataBinding::TcxCustomDataBinding;
    void VisualControlChanged() override { ++changes; }
    int changes = 0;
  } counting(&owner, nullptr);
  counting.SetVisualControl(&control);
  counting.SetVisualControl(&control);
  EXPECT_EQ(counting.changes, 1);
}

}  // namespace
