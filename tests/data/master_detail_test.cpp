// Master-detail between unbound controllers: relations and the internal
// detail field, pattern and clone controllers, detail objects, expansion.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lib/core/dxCore.h"
#include "lib/data/cxCustomData.h"
#include "lib/data/cxDBData.h"
#include "lib/data/cxDBDataDetail.h"
#include "lib/data/cxDBDataSelection.h"
#include "lib/data/cxDataRelations.h"
#include "lib/data/cxDataStorage.h"
#include "platform/db/db.h"
#include "tests/data/data_controller_support.h"

namespace {

using data::TcxCustomDataController;
using data::TcxCustomDataRelation;
using data::TcxDataRecordHandle;
using data::TcxDataItemHandle;
using data::TcxDetailObject;
using data::TcxIntegerValueType;
using data_test::TestController;
using rtl::Variant;

// Order lines of every customer; each controller reading it loads the lines
// of its own master record's customer (the pattern, having no master, none).
class OrderSource : public data::TcxCustomDataSource {
 public:
  struct Line {
    int customer;
    int amount;
  };
  std::vector<Line> lines;

  static TcxDataRecordHandle handleOf(size_t i) { return reinterpret_cast<TcxDataRecordHandle>(i + 1); }
  static size_t indexOf(TcxDataRecordHandle h) { return reinterpret_cast<std::uintptr_t>(h) - 1; }

  void LoadRecordHandles() override {
    TcxCustomDataController* c = GetDataController();
    TcxCustomDataController* master = c ? c->GetMasterDataController() : nullptr;
    if (master == nullptr || c->GetMasterRecordIndex() < 0) return;
    const int key = master->GetValue(c->GetMasterRecordIndex(), 0).AsInteger();
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i].customer == key) AddRecordHandle(handleOf(i));
  }
  Variant GetValue(TcxDataRecordHandle h, TcxDataItemHandle item) override {
    const Line& line = lines.at(indexOf(h));
    return Variant(reinterpret_cast<std::intptr_t>(item) == 0 ? line.customer : line.amount);
  }
};

// The view's part: a link object owns the clone it made.
// The count of live clones outlives the master (clones die in its destructor).
class CloneLink : public rtl::TObject {
 public:
  explicit CloneLink(std::shared_ptr<int> alive) : alive_(std::move(alive)) { ++*alive_; }
  ~CloneLink() override { --*alive_; }
  std::unique_ptr<TestController> clone = std::make_unique<TestController>(nullptr);

 private:
  std::shared_ptr<int> alive_;
};

class MasterController : public TestController {
 public:
  MasterController() : TestController(nullptr) {}
  std::unique_ptr<rtl::TObject> CreateDetailLinkObject(TcxCustomDataRelation* relation, int record) override {
    ++created;
    auto link = std::make_unique<CloneLink>(aliveClones);
    // A clone shows the pattern's items.
    TcxCustomDataController* pattern = relation->DetailDataController();
    for (int i = 0; pattern && i < pattern->GetItemCount(); ++i) link->clone->addItem(TcxIntegerValueType::Instance());
    link->clone->SetMasterRelation(relation, record);
    return link;
  }
  TcxCustomDataController* GetDetailDataControllerByLinkObject(rtl::TObject* link) override {
    auto* l = dynamic_cast<CloneLink*>(link);
    return l ? l->clone.get() : nullptr;
  }
  int created = 0;
  std::shared_ptr<int> aliveClones = std::make_shared<int>(0);
};

// Customers 10, 20, 30, 40, 50 with their order lines; one relation whose
// pattern reads the order source.
class MasterDetail : public ::testing::Test {
 protected:
  void SetUp() override {
    master.addItem(TcxIntegerValueType::Instance());
    master.SetRecordCount(5);
    for (int r = 0; r < 5; ++r) master.SetValue(r, 0, Variant((r + 1) * 10));
    source.lines = {{20, 1}, {10, 2}, {20, 3}, {40, 4}, {20, 5}};
    pattern.addItem(TcxIntegerValueType::Instance());
    pattern.addItem(TcxIntegerValueType::Instance());
    pattern.SetCustomDataSource(&source);
    relation = master.Relations()->Add(&levelItem);
    pattern.SetMasterMode(relation, true);
  }

  static std::vector<int> amounts(TcxCustomDataController* c) {
    std::vector<int> out;
    for (int r = 0; r < c->GetRecordCount(); ++r) out.push_back(c->GetValue(r, 1).AsInteger());
    return out;
  }

  OrderSource source;
  rtl::TObject levelItem;
  MasterController master;
  TestController pattern{nullptr};
  TcxCustomDataRelation* relation = nullptr;
};

TEST(MasterDetailNoRelations, AnswersNoDetailsAndCreatesAnEmptyList) {
  TestController c(nullptr);
  c.addItem(TcxIntegerValueType::Instance());
  c.SetRecordCount(2);
  EXPECT_EQ(c.RelationsIfCreated(), nullptr);
  EXPECT_EQ(c.GetDetailActiveRelationIndex(0), -1);
  EXPECT_FALSE(c.GetDetailExpanding(0));
  EXPECT_FALSE(c.IsDetailDataControllerExist(0, 0));
  EXPECT_FALSE(c.ChangeDetailExpanding(0, true));
  EXPECT_EQ(c.GetDetailLinkObject(0, 0), nullptr);
  ASSERT_NE(c.Relations(), nullptr);
  EXPECT_EQ(c.Relations()->Count(), 0);
  EXPECT_EQ(c.Relations()->DataField(), nullptr);
  EXPECT_EQ(c.GetDetailMode(), data::dcdmNone);
}

TEST_F(MasterDetail, ExpandingAMasterRowMakesACloneWithThatCustomersLines) {
  EXPECT_EQ(pattern.GetDetailMode(), data::dcdmPattern);
  EXPECT_TRUE(pattern.IsPattern());
  EXPECT_EQ(pattern.GetRecordCount(), 0) << "a pattern loads no data";
  EXPECT_EQ(relation->DetailDataController(), &pattern);

  ASSERT_TRUE(master.ChangeDetailExpanding(1, true));
  EXPECT_TRUE(master.GetDetailExpanding(1));
  EXPECT_FALSE(master.GetDetailExpanding(0));
  TcxCustomDataController* clone = master.GetDetailDataController(1, 0);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->GetDetailMode(), data::dcdmClone);
  EXPECT_FALSE(clone->IsPattern());
  EXPECT_EQ(clone->GetMasterDataController(), &master);
  EXPECT_EQ(clone->GetRootDataController(), &master);
  EXPECT_EQ(clone->GetPatternDataController(), &pattern);
  EXPECT_EQ(clone->GetCustomDataSource(), &source) << "clones read the pattern's source";
  EXPECT_EQ(amounts(clone), (std::vector<int>{1, 3, 5})) << "customer 20's lines";

  EXPECT_EQ(master.GetDetailDataController(1, 0), clone) << "made once";
  EXPECT_EQ(master.created, 1);
  TcxCustomDataController* other = master.GetDetailDataController(3, 0);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, clone);
  EXPECT_EQ(amounts(other), (std::vector<int>{4}));
  EXPECT_EQ(*master.aliveClones, 2);
  EXPECT_TRUE(master.GetDetailHasChildren(1, 0)) << "an existing clone answers by its records";
  EXPECT_FALSE(master.GetDetailHasChildren(4, 0)) << "no clone, and the master is not data-bound";
  EXPECT_EQ(master.GetDetailDataController(4, 0)->GetRecordCount(), 0);
  EXPECT_FALSE(master.GetDetailHasChildren(4, 0));
}

// A data-bound master asks its record source once per record and relation,
// until the cache is reset.
class CustomerSource : public data::TcxCustomDataSource {
 public:
  void LoadRecordHandles() override {
    for (std::uintptr_t i = 1; i <= 3; ++i) AddRecordHandle(reinterpret_cast<TcxDataRecordHandle>(i));
  }
  Variant GetValue(TcxDataRecordHandle h, TcxDataItemHandle) override {
    return Variant(static_cast<int>(reinterpret_cast<std::uintptr_t>(h)) * 10);
  }
  bool GetDetailHasChildren(int record, int) override {
    ++asked;
    return record != 2;
  }
  int asked = 0;
};

TEST(MasterDetailHasChildren, ADataBoundMasterCachesTheSourcesAnswer) {
  CustomerSource customers;
  MasterController master;
  master.addItem(TcxIntegerValueType::Instance());
  master.SetCustomDataSource(&customers);
  ASSERT_TRUE(master.IsDataBound());
  ASSERT_EQ(master.GetRecordCount(), 3);
  rtl::TObject item;
  TcxCustomDataRelation* relation = master.Relations()->Add(&item);
  EXPECT_TRUE(master.GetDetailHasChildren(0, 0)) << "no detail object while no pattern is bound";
  EXPECT_EQ(customers.asked, 0);
  TestController pattern(nullptr);
  pattern.SetMasterMode(relation, true);
  EXPECT_TRUE(master.GetDetailHasChildren(0, 0));
  EXPECT_FALSE(master.GetDetailHasChildren(2, 0));
  EXPECT_FALSE(master.GetDetailHasChildren(2, 0));
  EXPECT_EQ(customers.asked, 2) << "asked once per record";
  data_test::RecordingView view(master);
  master.ResetHasChildrenFlag();
  EXPECT_FALSE(view.log.empty()) << "the view redraws its expand buttons";
  EXPECT_FALSE(master.GetDetailHasChildren(2, 0));
  EXPECT_EQ(customers.asked, 3);
  master.SetCustomDataSource(nullptr);
}

TEST_F(MasterDetail, DetailObjectsKeepTheirWholeAddress) {
  TcxDetailObject* detail = master.Relations()->GetDetailObject(2);
  ASSERT_NE(detail, nullptr);
  data::TcxCustomDataField* field = master.Relations()->DataField();
  ASSERT_NE(field, nullptr);
  const Variant stored = master.DataStorage()->GetValue(2, field->GetValueDef());
  EXPECT_EQ(static_cast<std::uint64_t>(stored.AsInt64()), reinterpret_cast<std::uintptr_t>(detail));
  EXPECT_EQ(master.Relations()->GetValueAsDetailObject(2), detail);
  EXPECT_EQ(master.Relations()->GetDetailObject(2), detail) << "made once per record";
  EXPECT_EQ(master.Relations()->GetValueAsDetailObject(3), nullptr) << "made lazily";
}

TEST_F(MasterDetail, FirstRelationCreatesTheDetailFieldAndTheLastFreesIt) {
  TestController plain(nullptr);
  plain.addItem(TcxIntegerValueType::Instance());
  plain.SetRecordCount(3);
  const int fields = plain.Fields()->Count();
  rtl::TObject item;
  TcxCustomDataRelation* r = plain.Relations()->Add(&item);
  ASSERT_NE(plain.Relations()->DataField(), nullptr);
  EXPECT_EQ(plain.Fields()->Count(), fields + 1);
  EXPECT_TRUE(plain.Relations()->DataField()->IsInternal());
  plain.Relations()->Remove(r);
  EXPECT_EQ(plain.Relations()->DataField(), nullptr);
  EXPECT_EQ(plain.Fields()->Count(), fields);

  // With clones alive: removing the relation frees every record's detail object and its clones.
  ASSERT_NE(master.GetDetailDataController(0, 0), nullptr);
  ASSERT_NE(master.GetDetailDataController(1, 0), nullptr);
  ASSERT_EQ(*master.aliveClones, 2);
  master.Relations()->Remove(relation);
  EXPECT_EQ(*master.aliveClones, 0);
  EXPECT_EQ(master.Relations()->DataField(), nullptr);
  EXPECT_EQ(pattern.GetMasterRelation(), nullptr) << "the dying relation lets its pattern go";
  EXPECT_EQ(master.GetDetailActiveRelationIndex(0), -1);
}

TEST_F(MasterDetail, ClonesFollowTheirMasterRecordThroughInsertsAndDeletes) {
  TcxCustomDataController* clone = master.GetDetailDataController(3, 0);
  TcxCustomDataController* first = master.GetDetailDataController(0, 0);
  ASSERT_NE(clone, nullptr);
  ASSERT_EQ(clone->GetMasterRecordIndex(), 3);
  master.InsertRecord(3);
  EXPECT_EQ(clone->GetMasterRecordIndex(), 4);
  EXPECT_EQ(master.GetDetailDataController(4, 0), clone);
  EXPECT_EQ(first->GetMasterRecordIndex(), 0) << "records before the insert keep their index";
  master.DeleteRecord(1);
  EXPECT_EQ(clone->GetMasterRecordIndex(), 3);
  EXPECT_EQ(master.GetValue(clone->GetMasterRecordIndex(), 0).AsInteger(), 40);
  EXPECT_EQ(first->GetMasterRecordIndex(), 0);
  const int alive = *master.aliveClones;
  master.DeleteRecord(0);
  EXPECT_EQ(*master.aliveClones, alive - 1) << "a deleted record's clone goes with it";
  EXPECT_EQ(clone->GetMasterRecordIndex(), 2);
}

// Expansion, with the handlers' log.
struct ExpansionCase {
  const char* name;
  bool refuse;          // the expanding/collapsing handler refuses
  bool startExpanded;   // the record is expanded first (without the log)
  bool target;
  bool answer;
  bool expandedAfter;
  std::vector<std::string> log;
};

class MasterDetailExpansion : public MasterDetail, public ::testing::WithParamInterface<ExpansionCase> {};

TEST_P(MasterDetailExpansion, AsksFiresAndAnswers) {
  const ExpansionCase& c = GetParam();
  if (c.startExpanded) {
    ASSERT_TRUE(master.ChangeDetailExpanding(2, true));
  }
  std::vector<std::string> log;
  auto asking = [&log, &c](const char* what) {
    return data::TcxDataDetailExpandingEvent::fromClosure(&log, [&log, &c, what](TcxCustomDataController*, int r, bool& allow) {
      log.push_back(std::string(what) + " " + std::to_string(r));
      if (c.refuse) allow = false;
    });
  };
  auto told = [&log](const char* what) {
    return data::TcxDataControllerRecordEvent::fromClosure(&log, [&log, what](TcxCustomDataController*, int r) {
      log.push_back(std::string(what) + " " + std::to_string(r));
    });
  };
  master.FOnDetailExpanding = asking("expanding");
  master.FOnDetailCollapsing = asking("collapsing");
  master.FOnDetailExpanded = told("expanded");
  master.FOnDetailCollapsed = told("collapsed");
  EXPECT_EQ(master.ChangeDetailExpanding(2, c.target), c.answer);
  EXPECT_EQ(master.GetDetailExpanding(2), c.expandedAfter);
  EXPECT_EQ(log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MasterDetailExpansion,
    ::testing::Values(ExpansionCase{"Expand", false, false, true, true, true, {"expanding 2", "expanded 2"}},
                      ExpansionCase{"Collapse", false, true, false, true, false, {"collapsing 2", "collapsed 2"}},
                      ExpansionCase{"SameStateNoEvents", false, true, true, true, true, {}},
                      ExpansionCase{"RefusedExpand", true, false, true, false, false, {"expanding 2"}},
                      ExpansionCase{"RefusedCollapse", true, true, false, false, true, {"collapsing 2"}}),
    [](const ::testing::TestParamInfo<ExpansionCase>& i) { return std::string(i.param.name); });

TEST_F(MasterDetail, CollapseDetailsCollapsesEveryRecordWithoutEvents) {
  ASSERT_TRUE(master.ChangeDetailExpanding(0, true));
  ASSERT_TRUE(master.ChangeDetailExpanding(3, true));
  int events = 0;
  master.FOnDetailCollapsing = data::TcxDataDetailExpandingEvent::fromClosure(
      &events, [&events](TcxCustomDataController*, int, bool&) { ++events; });
  master.FOnDetailCollapsed =
      data::TcxDataControllerRecordEvent::fromClosure(&events, [&events](TcxCustomDataController*, int) { ++events; });
  master.CollapseDetails();
  for (int r = 0; r < master.GetRecordCount(); ++r) EXPECT_FALSE(master.GetDetailExpanding(r)) << r;
  EXPECT_EQ(events, 0);
}

TEST_F(MasterDetail, OutOfRangeRecords) {
  EXPECT_FALSE(master.ChangeDetailExpanding(5, true));
  EXPECT_FALSE(master.ChangeDetailExpanding(-1, true));
  for (int bad : {-1, 5}) {
    try {
      master.GetDetailActiveRelationIndex(bad);
      ADD_FAILURE() << bad << " was accepted";
    } catch (const data::EcxInvalidDataControllerOperation& e) {
      EXPECT_EQ(data_test::utf8(e.Message()), "RecordIndex out of range");
    }
    EXPECT_THROW(master.Relations()->IsDetailObjectExist(bad, 0), data::EcxInvalidDataControllerOperation);
  }
}

TEST_F(MasterDetail, ActiveRelationMovesToTheFirstRelationWithAPattern) {
  rtl::TObject secondItem, thirdItem;
  TcxCustomDataRelation* second = master.Relations()->Add(&secondItem);
  master.Relations()->Add(&thirdItem);
  TestController secondPattern(nullptr);
  secondPattern.SetMasterMode(second, true);
  EXPECT_EQ(master.GetDetailActiveRelationIndex(0), 0);
  pattern.SetMasterMode(nullptr, false);
  EXPECT_EQ(relation->DetailDataController(), nullptr);
  EXPECT_EQ(master.GetDetailActiveRelationIndex(1), 1) << "relation 0 lost its pattern";
  master.ChangeDetailActiveRelationIndex(1, 2);
  EXPECT_EQ(master.GetDetailActiveRelationIndex(1), 1) << "relation 2 has no pattern either";
  secondPattern.SetMasterMode(nullptr, false);
  EXPECT_EQ(master.GetDetailActiveRelationIndex(1), -1) << "no pattern at all: no detail objects";
  EXPECT_NE(master.Relations()->GetValueAsDetailObject(1), nullptr);
  EXPECT_EQ(master.Relations()->GetDetailObject(1), nullptr);
  EXPECT_EQ(master.Relations()->GetValueAsDetailObject(1), nullptr) << "the record's detail object was freed";
}

TEST_F(MasterDetail, PatternModeSwitchesAndTheirGuard) {
  TestController detail(nullptr);
  detail.SetIsPattern(true);
  EXPECT_EQ(detail.GetDetailMode(), data::dcdmPattern) << "flagged without a relation";
  detail.SetIsPattern(false);
  EXPECT_EQ(detail.GetDetailMode(), data::dcdmNone);

  pattern.SetDataChangeRefCount(1);
  try {
    pattern.SetIsPattern(true);
    ADD_FAILURE() << "no exception";
  } catch (const core::EdxException& e) {
    EXPECT_EQ(data_test::utf8(e.Message()), "!");
  }
  pattern.SetDataChangeRefCount(0);
}

TEST(MasterDetailLifetime, APatternDyingFirstLeavesNoDanglingRelation) {
  MasterController master;
  master.addItem(TcxIntegerValueType::Instance());
  master.SetRecordCount(1);
  rtl::TObject item;
  TcxCustomDataRelation* relation = master.Relations()->Add(&item);
  {
    TestController pattern(nullptr);
    pattern.SetMasterMode(relation, true);
    ASSERT_EQ(relation->DetailDataController(), &pattern);
  }
  EXPECT_EQ(relation->DetailDataController(), nullptr);
  EXPECT_EQ(master.GetDetailActiveRelationIndex(0), -1);
}

TEST(MasterDetailLifetime, AMasterDyingFirstReleasesItsPatternAndClones) {
  OrderSource source;
  source.lines = {{10, 1}};
  TestController pattern(nullptr);
  pattern.addItem(TcxIntegerValueType::Instance());
  pattern.addItem(TcxIntegerValueType::Instance());
  pattern.SetCustomDataSource(&source);
  std::shared_ptr<int> alive;
  {
    MasterController master;
    master.addItem(TcxIntegerValueType::Instance());
    master.SetRecordCount(1);
    master.SetValue(0, 0, Variant(10));
    rtl::TObject item;
    pattern.SetMasterMode(master.Relations()->Add(&item), true);
    ASSERT_NE(master.GetDetailDataController(0, 0), nullptr);
    ASSERT_EQ(*master.aliveClones, 1);
    alive = master.aliveClones;
  }
  EXPECT_EQ(*alive, 0) << "the clone died with its master record";
  EXPECT_EQ(pattern.GetMasterRelation(), nullptr);
  EXPECT_EQ(pattern.GetDetailMode(), data::dcdmPattern) << "still flagged as a pattern";
  EXPECT_EQ(source.ProviderCount(), 1) << "only the pattern reads the source now";
}

TEST_F(MasterDetail, ForEachDetailVisitsEveryCloneOfTheRelation) {
  std::vector<TcxCustomDataController*> expected{master.GetDetailDataController(1, 0),
                                                 master.GetDetailDataController(3, 0)};
  std::vector<TcxCustomDataController*> seen;
  master.ForEachDetail(relation, [&seen](TcxCustomDataController* c) { seen.push_back(c); });
  EXPECT_EQ(seen, expected);
  // Focusing the details of record 1 focuses its clone's first row.
  master.FocusDetails(1);
  EXPECT_EQ(expected[0]->GetFocusedRowIndex(), 0);
  EXPECT_EQ(expected[1]->GetFocusedRowIndex(), -1);
}

}  // namespace

// --- the grid-mode selection by bookmarks over a memory table -----------------------------------
namespace {

std::vector<int> idRange(int from, int to) {
  std::vector<int> out;
  for (int i = from; i <= to; ++i) out.push_back(i);
  return out;
}

using data::TcxDBDataSelection;

// Refuses the records whose ID is in `refused`; raises on `failAt`.
class SelectionController : public data::TcxDBDataController {
 public:
  SelectionController() : TcxDBDataController(nullptr) {}
  rtl::TObject* GetItem(int index) const override { return items.at(static_cast<size_t>(index)).get(); }
  void addItem(const rtl::String& fieldName) {
    items.push_back(std::make_unique<rtl::TComponent>(nullptr));
    items.back()->SetName(fieldName);
    ChangeFieldName(AddItem(items.back().get())->GetIndex(), fieldName);
  }
  bool CanSelectRow(int) override {
    const int id = DataSet()->FieldByName(u"ID")->AsInteger();
    if (id == failAt) throw rtl::Exception(u"no selecting here");
    return refused.count(id) == 0;
  }
  std::vector<std::unique_ptr<rtl::TComponent>> items;
  std::set<int> refused;
  int failAt = -1;
};

class GridSelection : public ::testing::Test {
 protected:
  void SetUp() override {
    table = std::make_unique<db::TCustomMemDataSet>(nullptr);
    table->FieldDefs()->Add(u"ID", db::ftInteger);
    table->CreateDataSet();
    for (int i = 1; i <= 1000; ++i) table->AppendRecord({Variant(i)});
    table->First();
    source = std::make_unique<db::TDataSource>(nullptr);
    source->SetDataSet(table.get());
    dc = std::make_unique<SelectionController>();
    dc->addItem(u"ID");
    dc->DataModeController()->SetGridModeBufferCount(100);
    dc->DataModeController()->SetGridMode(true);
    dc->SetDataSource(source.get());
    selection = std::make_unique<TcxDBDataSelection>(dc.get());
  }
  void TearDown() override {
    selection.reset();
    dc.reset();
    source.reset();
    table.reset();
  }
  db::TBookmark at(int id) {
    const db::TBookmark saved = table->GetBookmark();
    table->SetRecNo(id);
    db::TBookmark result = table->GetBookmark();
    table->GotoBookmark(saved);
    return result;
  }
  std::vector<int> selectedIds() {
    const db::TBookmark saved = table->GetBookmark();
    std::vector<int> ids;
    for (int i = 0; i < selection->Bookmarks().Count(); ++i) {
      table->GotoBookmark(selection->Bookmarks().Items(i));
      ids.push_back(table->FieldByName(u"ID")->AsInteger());
    }
    table->GotoBookmark(saved);
    return ids;
  }
  int currentId() { return table->FieldByName(u"ID")->AsInteger(); }

  std::unique_ptr<db::TCustomMemDataSet> table;
  std::unique_ptr<db::TDataSource> source;
  std::unique_ptr<SelectionController> dc;
  std::unique_ptr<TcxDBDataSelection> selection;
};

// One Shift+click or Shift+arrow step: the anchor (0: keep the last one),
// the record reached, whether the selection is kept, and the result.
struct SelectStep {
  int anchor;
  int to;
  bool keep;
  std::vector<int> expected;
};
struct SelectScenario {
  const char* name;
  std::vector<SelectStep> steps;
};

class GridSelectionSteps : public GridSelection, public ::testing::WithParamInterface<SelectScenario> {};

TEST_P(GridSelectionSteps, KeepsTheBookmarksSortedAndWithoutRepeats) {
  table->SetRecNo(500);
  for (const SelectStep& step : GetParam().steps) {
    if (step.anchor != 0) selection->SetAnchorBookmark(at(step.anchor));
    selection->SelectFromAnchor(at(step.to), step.keep);
    EXPECT_EQ(selectedIds(), step.expected) << "anchor " << step.anchor << " to " << step.to;
    EXPECT_EQ(selection->Count(), selection->Bookmarks().Count()) << "one base item per bookmark";
    EXPECT_EQ(currentId(), 500) << "the dataset goes back where it was";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridSelectionSteps,
    ::testing::Values(
        SelectScenario{"ShiftDownThenBackUp",
                       {{5, 9, false, idRange(5, 9)},
                        {0, 10, false, idRange(5, 10)},
                        {0, 9, false, idRange(5, 9)},
                        {0, 5, false, {5}},
                        {0, 4, false, {4, 5}}}},
        SelectScenario{"ShiftUpThenBackDown",
                       {{9, 5, false, idRange(5, 9)}, {0, 4, false, idRange(4, 9)}, {0, 5, false, idRange(5, 9)}}},
        SelectScenario{"JumpReloadsTheRange", {{5, 9, false, idRange(5, 9)}, {0, 20, false, idRange(5, 20)}}},
        SelectScenario{"KeepSelectionMerges",
                       {{2, 4, false, {2, 3, 4}},
                        {8, 10, true, {2, 3, 4, 8, 9, 10}},
                        {3, 9, true, idRange(2, 10)},
                        {998, 1000, true, {2, 3, 4, 5, 6, 7, 8, 9, 10, 998, 999, 1000}},
                        {1, 1, true, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 998, 999, 1000}}}}),
    [](const ::testing::TestParamInfo<SelectScenario>& i) { return std::string(i.param.name); });

// Counts the bookmark comparisons a step costs.
class CountingSelection : public TcxDBDataSelection {
 public:
  using TcxDBDataSelection::TcxDBDataSelection;
  int CompareBookmarks(const db::TBookmark& A, const db::TBookmark& B) const override {
    ++compared;
    return TcxDBDataSelection::CompareBookmarks(A, B);
  }
  mutable int compared = 0;
};

TEST_F(GridSelection, AOneRecordStepCostsAFewComparisonsNotAWalk) {
  auto counting = std::make_unique<CountingSelection>(dc.get());
  CountingSelection& s = *counting;
  selection = std::move(counting);
  struct Step {
    int anchor;
    int to;
    int count;
  };
  // Down from 100 to 600, one more, one back; up from 600 to 100, one more, one back.
  for (const Step& step : {Step{100, 600, 501}, Step{0, 601, 502}, Step{0, 600, 501}, Step{600, 100, 501},
                           Step{0, 99, 502}, Step{0, 100, 501}}) {
    if (step.anchor != 0) selection->SetAnchorBookmark(at(step.anchor));
    s.compared = 0;
    selection->SelectFromAnchor(at(step.to), false);
    EXPECT_EQ(selection->Bookmarks().Count(), step.count) << step.to;
    if (step.anchor == 0) {
      EXPECT_LE(s.compared, 8) << "to " << step.to;
    }
  }
}

TEST_F(GridSelection, SelectAllStoresEveryAllowedRecordWhileTheViewHoldsItsWindow) {
  table->SetRecNo(300);
  selection->SelectAll();
  EXPECT_EQ(selection->Bookmarks().Count(), 1000);
  EXPECT_EQ(selection->Count(), 1000);
  EXPECT_EQ(dc->GetRecordCount(), 100);
  EXPECT_EQ(currentId(), 300);
  int index = -1;
  EXPECT_TRUE(selection->FindBookmark(at(640), index));
  EXPECT_EQ(index, 639);

  dc->refused = {2, 4, 6};
  selection->SelectAll();
  EXPECT_EQ(selection->Bookmarks().Count(), 997);
  EXPECT_FALSE(selection->FindBookmark(at(4), index));
  EXPECT_EQ(index, 2) << "where it would go";
}

TEST_F(GridSelection, AFailingWalkEmptiesTheSelectionAndRestoresThePosition) {
  selection->SelectAll();
  table->SetRecNo(40);
  dc->failAt = 50;
  EXPECT_THROW(selection->SelectAll(), rtl::Exception);
  EXPECT_EQ(selection->Bookmarks().Count(), 0);
  EXPECT_EQ(selection->Count(), 0);
  EXPECT_EQ(currentId(), 40);
  selection->SetAnchorBookmark(at(45));
  EXPECT_THROW(selection->SelectFromAnchor(at(55), false), rtl::Exception);
  EXPECT_EQ(selection->Count(), 0);
  EXPECT_EQ(currentId(), 40);
}

TEST_F(GridSelection, RefreshDropsTheBookmarksOfDeletedRecordsAndTheirAnchor) {
  selection->SetAnchorBookmark(at(7));
  selection->SelectFromAnchor(at(9), false);
  selection->SetAnchorBookmark(at(7));
  ASSERT_EQ(selectedIds(), idRange(7, 9));
  EXPECT_FALSE(selection->RefreshBookmarks()) << "nothing to drop yet";
  table->SetRecNo(7);
  table->Delete();
  table->First();
  EXPECT_TRUE(selection->RefreshBookmarks());
  EXPECT_EQ(selectedIds(), (std::vector<int>{8, 9}));
  EXPECT_TRUE(selection->AnchorBookmark().empty());
  EXPECT_EQ(selection->Count(), 2);
}

TEST_F(GridSelection, RowBookmarksAndDeletingTheAnchorsItem) {
  table->SetRecNo(120);
  const int first = dc->GetValue(0, 0).AsInteger();  // the window's first record
  ASSERT_GT(first, 1) << "the window moved away from the table's start";
  const int active = dc->Provider()->DataLink()->ActiveRecord();
  const db::TBookmark row0 = selection->GetRowBookmark(0);
  EXPECT_EQ(dc->Provider()->DataLink()->ActiveRecord(), active) << "the link's active record is put back";
  EXPECT_EQ(currentId(), 120);
  table->GotoBookmark(row0);
  EXPECT_EQ(currentId(), first);
  table->SetRecNo(120);
  ASSERT_EQ(dc->GetValue(0, 0).AsInteger(), first);
  // Adding rows through the base operations records their bookmarks.
  selection->Add(-1, 0, 0, 0);
  selection->Add(-1, 3, 0, 3);
  EXPECT_EQ(selectedIds(), (std::vector<int>{first, first + 3}));
  int index = -1;
  EXPECT_TRUE(selection->FindByRowIndex(3, index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(selection->FindByRowIndex(2, index));
  EXPECT_EQ(index, 1);
  selection->SetAnchorBookmark(at(first + 3));
  selection->Delete(1);
  EXPECT_TRUE(selection->AnchorBookmark().empty()) << "the anchor left with its item";
  EXPECT_EQ(selectedIds(), (std::vector<int>{first}));
}

}  // namespace

// --- restricting a detail dataset to one master ---------------------------------------------------
namespace {

// Order lines of one customer, chosen by the CUSTOMER parameter each time
// the dataset opens (as a parameterised query would).
class LinesQuery : public db::TCustomMemDataSet {
 public:
  LinesQuery() : TCustomMemDataSet(nullptr), params_(std::make_unique<db::TParams>()) {
    params_->CreateParam(db::ftInteger, u"CUSTOMER", db::TParamType::ptInput);
  }
  db::TParams* GetParams() const override { return params_.get(); }
  int opens = 0;

 protected:
  void OpenData() override {
    ++opens;
    if (FieldDefs()->Count() == 0) {
      FieldDefs()->Add(u"CUSTOMER", db::ftInteger);
      FieldDefs()->Add(u"AMOUNT", db::ftInteger);
    }
    const Variant customer = params_->ParamValues(u"CUSTOMER");
    for (int amount = 1; amount <= 6; ++amount) {
      const int owner = amount % 2 == 0 ? 20 : 40;
      if (!rtl::VarIsNull(customer) && customer.AsInteger() == owner) AppendLoadedRecord({Variant(owner), Variant(amount)});
    }
  }

 private:
  std::unique_ptr<db::TParams> params_;
};

std::vector<int> amountsOf(db::TDataSet* ds) {
  std::vector<int> out;
  ds->First();
  for (; !ds->Eof(); ds->Next()) out.push_back(ds->FieldByName(u"AMOUNT")->AsInteger());
  return out;
}

TEST(DetailFilterAdapter, SqlModeReopensForANewMasterAndOnlyGoesFirstForTheSameOne) {
  LinesQuery query;
  data::TcxDBProviderDetailFilterAdapter* adapter = data::cxFindDetailFilterAdapter(&query);
  ASSERT_NE(adapter, nullptr);
  struct Step {
    int customer;
    bool reopened;
    int opens;
    std::vector<int> amounts;
  };
  const Step steps[] = {{20, true, 1, {2, 4, 6}}, {20, false, 1, {2, 4, 6}}, {40, true, 2, {1, 3, 5}}};
  for (const Step& step : steps) {
    if (query.Active()) query.Last();
    bool reopened = false;
    adapter->SetFilter(&query, u"CUSTOMER", Variant(step.customer), true, reopened);
    EXPECT_EQ(reopened, step.reopened) << step.customer;
    EXPECT_EQ(query.opens, step.opens) << step.customer;
    EXPECT_EQ(query.FieldByName(u"AMOUNT")->AsInteger(), step.amounts.front()) << "on the first record";
    EXPECT_TRUE(adapter->IsCurrentQuery(&query, u"CUSTOMER", Variant(step.customer)));
    EXPECT_FALSE(adapter->IsCurrentQuery(&query, u"CUSTOMER", Variant(step.customer + 1)));
    EXPECT_EQ(amountsOf(&query), step.amounts);
  }
}

TEST(DetailFilterAdapter, OutsideSqlModeLocatesTheFirstRecordOfTheMastersRun) {
  db::TCustomMemDataSet lines(nullptr);
  lines.FieldDefs()->Add(u"CUSTOMER", db::ftInteger);
  lines.FieldDefs()->Add(u"AMOUNT", db::ftInteger);
  lines.CreateDataSet();
  for (const auto& [customer, amount] : std::vector<std::pair<int, int>>{{10, 1}, {20, 2}, {20, 3}, {30, 4}})
    lines.AppendRecord({Variant(customer), Variant(amount)});
  lines.Last();
  data::TcxDBProviderDetailFilterAdapter* adapter = data::cxFindDetailFilterAdapter(&lines);
  bool reopened = false;
  adapter->SetFilter(&lines, u"CUSTOMER", Variant(20), false, reopened);
  EXPECT_FALSE(reopened);
  EXPECT_EQ(lines.FieldByName(u"AMOUNT")->AsInteger(), 2);
  // A dataset without parameters is never the current query and never reopened.
  EXPECT_FALSE(adapter->IsCurrentQuery(&lines, u"CUSTOMER", Variant(20)));
  adapter->ReopenSQL(&lines, u"CUSTOMER", Variant(30), reopened);
  EXPECT_FALSE(reopened);
  EXPECT_EQ(lines.FieldByName(u"AMOUNT")->AsInteger(), 2) << "left alone";
}

TEST(DetailFilterAdapter, TheNearestRegisteredClassAnswersAndNoneRaises) {
  LinesQuery query;
  data::TcxDBAdapterList* list = data::cxDetailFilterControllers();
  ASSERT_EQ(list->Count(), 1);
  data::TcxDBProviderDetailFilterAdapter* base = data::cxFindDetailFilterAdapter(&query);
  EXPECT_EQ(base->DataSetClass(), &db::TDataSet::classInfo());
  list->RegisterAdapter(db::TCustomMemDataSet::classInfo(), data::TcxDBProviderDetailFilterAdapter::classInfo());
  data::TcxDBProviderDetailFilterAdapter* own = data::cxFindDetailFilterAdapter(&query);
  EXPECT_NE(own, base);
  EXPECT_EQ(own->DataSetClass(), &db::TCustomMemDataSet::classInfo());
  list->UnregisterAdapter(db::TCustomMemDataSet::classInfo(), data::TcxDBProviderDetailFilterAdapter::classInfo());
  EXPECT_EQ(data::cxFindDetailFilterAdapter(&query), base);
  EXPECT_EQ(list->Count(), 1);
  try {
    data::cxFindDetailFilterAdapter(nullptr);
    ADD_FAILURE() << "no exception";
  } catch (const data::EcxInvalidDataControllerOperation& e) {
    EXPECT_EQ(data_test::utf8(e.Message()), "DetailFilterController not found");
  }
}

}  // namespace
