// Master-detail between dataset-bound controllers over two memory tables:
// orders (the master) and their lines (the detail dataset every clone
// shares), with the view's part played by a master that makes one clone
// controller per expanded order.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDBData.h"
#include "lib/data/cxDBDataDetail.h"
#include "lib/data/cxDataRelations.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

namespace {

using data::TcxCustomDataController;
using data::TcxCustomDataRelation;
using data::TcxDBDataController;
using data::TcxDBDataRelation;
using rtl::String;
using rtl::Variant;

// A controller whose items are named after the dataset fields they show.
class MdController : public TcxDBDataController {
 public:
  MdController() : TcxDBDataController(nullptr) {}
  rtl::TObject* GetItem(int index) const override { return items.at(static_cast<size_t>(index)).get(); }
  int addItem(const String& fieldName) {
    items.push_back(std::make_unique<rtl::TComponent>(nullptr));
    items.back()->SetName(fieldName);
    const int index = AddItem(items.back().get())->GetIndex();
    ChangeFieldName(index, fieldName);
    return index;
  }
  void UpdateFocused() override {
    ++updateFocusedCalls;
    TcxDBDataController::UpdateFocused();
  }
  // The focus hooks, counted; a master that refuses to post stops a detail's move.
  bool CheckMasterBrowseMode() override {
    ++masterBrowseChecks;
    return !refuseMasterBrowse && TcxDBDataController::CheckMasterBrowseMode();
  }
  void CheckDataSetCurrent() override {
    ++dataSetCurrentChecks;
    TcxDBDataController::CheckDataSetCurrent();
  }
  bool SyncDetailsFocusWithMaster() const override { return syncDetailsFocus; }
  std::vector<std::unique_ptr<rtl::TComponent>> items;
  int updateFocusedCalls = 0;
  int masterBrowseChecks = 0;
  int dataSetCurrentChecks = 0;
  bool refuseMasterBrowse = false;
  bool syncDetailsFocus = false;
};

// The view's part: a link object owns the clone it made from the pattern.
class MdCloneLink : public rtl::TObject {
 public:
  std::unique_ptr<MdController> clone = std::make_unique<MdController>();
};

class MdMaster : public MdController {
 public:
  std::unique_ptr<rtl::TObject> CreateDetailLinkObject(TcxCustomDataRelation* relation, int record) override {
    auto link = std::make_unique<MdCloneLink>();
    auto* pattern = static_cast<MdController*>(relation->DetailDataController());
    MdController& clone = *link->clone;
    for (const auto& item : pattern->items) clone.addItem(item->Name());
    clone.SetKeyFieldNames(pattern->KeyFieldNames());
    clone.SetDetailKeyFieldNames(pattern->DetailKeyFieldNames());
    clone.SetMasterKeyFieldNames(pattern->MasterKeyFieldNames());
    clone.SetDataModeController(pattern->DataModeController());
    clone.SetMasterRelation(relation, record);
    clone.SetDataSource(pattern->DataSource());
    return link;
  }
  TcxCustomDataController* GetDetailDataControllerByLinkObject(rtl::TObject* link) override {
    auto* l = dynamic_cast<MdCloneLink*>(link);
    return l ? l->clone.get() : nullptr;
  }
};

struct MdLine {
  int lineId;
  int orderId;
  int amount;
};

// Lines appended in this order; the detail dataset orders them by ORDER_ID
// unless a test asks for the raw order.
const std::vector<MdLine> kMdLines = {{11, 1, 5}, {41, 4, 7}, {21, 2, 9}, {12, 1, 6}, {42, 4, 8}, {13, 1, 4}};

class MdFixture : public testing::Test {
 protected:
  void SetUp() override { build(true); }

  void build(bool sortedByOrder) {
    orders = std::make_unique<db::TCustomMemDataSet>(nullptr);
    orders->FieldDefs()->Add(u"ID", db::ftInteger);
    orders->FieldDefs()->Add(u"CUSTOMER", db::ftString, 20);
    orders->CreateDataSet();
    for (int id = 1; id <= 4; ++id) orders->AppendRecord({Variant(id), Variant(u"c" + rtl::IntToStr(id))});
    orders->First();
    lines = std::make_unique<db::TCustomMemDataSet>(nullptr);
    lines->FieldDefs()->Add(u"LINE_ID", db::ftInteger);
    lines->FieldDefs()->Add(u"ORDER_ID", db::ftInteger);
    lines->FieldDefs()->Add(u"AMOUNT", db::ftInteger);
    lines->CreateDataSet();
    if (sortedByOrder) lines->SetIndexFieldNames(u"ORDER_ID;LINE_ID");
    for (const MdLine& l : kMdLines) lines->AppendRecord({Variant(l.lineId), Variant(l.orderId), Variant(l.amount)});
    lines->First();
    ordersSource = std::make_unique<db::TDataSource>(nullptr);
    ordersSource->SetDataSet(orders.get());
    linesSource = std::make_unique<db::TDataSource>(nullptr);
    linesSource->SetDataSet(lines.get());

    master = std::make_unique<MdMaster>();
    master->addItem(u"ID");
    master->addItem(u"CUSTOMER");
    master->SetKeyFieldNames(u"ID");
    master->SetDataSource(ordersSource.get());
    pattern = std::make_unique<MdController>();
    pattern->addItem(u"LINE_ID");
    pattern->addItem(u"ORDER_ID");
    pattern->addItem(u"AMOUNT");
    pattern->SetKeyFieldNames(u"LINE_ID");
    pattern->SetDetailKeyFieldNames(u"ORDER_ID");
    pattern->SetMasterKeyFieldNames(u"ID");
    pattern->SetDataSource(linesSource.get());
    relation = static_cast<TcxDBDataRelation*>(master->Relations()->Add(&levelItem));
    pattern->SetMasterMode(relation, true);
  }

  void TearDown() override {
    // The clones go with the master's records, the pattern leaves its relation first.
    pattern.reset();
    master.reset();
    linesSource.reset();
    ordersSource.reset();
    lines.reset();
    orders.reset();
  }

  int recordOfOrder(int orderId) {
    for (int r = 0; r < master->GetRecordCount(); ++r)
      if (master->GetValue(r, 0).AsInteger() == orderId) return r;
    return -1;
  }
  MdController* expand(int orderId) {
    const int record = recordOfOrder(orderId);
    if (record < 0 || !master->ChangeDetailExpanding(record, true)) return nullptr;
    return static_cast<MdController*>(master->GetDetailDataController(record, 0));
  }
  static std::vector<int> lineIds(TcxCustomDataController* c) {
    std::vector<int> out;
    for (int r = 0; r < c->GetRecordCount(); ++r) out.push_back(c->GetValue(r, 0).AsInteger());
    return out;
  }
  int currentLine() { return lines->FieldByName(u"LINE_ID")->AsInteger(); }
  int currentOrder() { return orders->FieldByName(u"ID")->AsInteger(); }

  std::unique_ptr<db::TCustomMemDataSet> orders, lines;
  std::unique_ptr<db::TDataSource> ordersSource, linesSource;
  rtl::TObject levelItem;
  std::unique_ptr<MdMaster> master;
  std::unique_ptr<MdController> pattern;
  TcxDBDataRelation* relation = nullptr;
};

// --- the relation -----------------------------------------------------------------------------------
TEST_F(MdFixture, RelationCarriesEachMasterRecordsKeyAndFollowsTheKeyNames) {
  ASSERT_NE(relation, nullptr);
  EXPECT_EQ(pattern->GetDetailMode(), data::dcdmPattern);
  EXPECT_EQ(pattern->GetRecordCount(), 0) << "a pattern loads nothing";
  EXPECT_TRUE(relation->IsLinked());
  EXPECT_EQ(relation->GetDetailKeyFieldNames(), u"ORDER_ID");
  EXPECT_EQ(relation->GetMasterKeyFieldNames(), u"ID");
  for (int r = 0; r < master->GetRecordCount(); ++r)
    EXPECT_EQ(relation->GetMasterRecordID(r), master->GetValue(r, 0)) << r;
  EXPECT_THROW(relation->GetMasterRecordID(4), data::EcxInvalidDataControllerOperation);

  // Without master key names nothing links the levels.
  pattern->SetMasterKeyFieldNames(u"");
  EXPECT_EQ(pattern->GetMasterDetailKeyFieldNames(), u"");
  EXPECT_EQ(relation->MasterKeyField(), nullptr) << "the master's internal key field is freed";
  EXPECT_FALSE(relation->IsLinked());
  EXPECT_TRUE(rtl::VarIsEmpty(relation->GetMasterRecordID(0)));

  // A composite key comes back as an array, element i for key field i.
  pattern->SetMasterKeyFieldNames(u"ID;CUSTOMER");
  pattern->SetDetailKeyFieldNames(u"ORDER_ID;AMOUNT");
  ASSERT_TRUE(relation->IsLinked());
  const Variant key = relation->GetMasterRecordID(2);
  ASSERT_TRUE(rtl::VarIsArray(key));
  EXPECT_EQ(rtl::VarArrayGet(key, 0), Variant(3));
  EXPECT_EQ(rtl::VarArrayGet(key, 1), Variant(u"c3"));
}

// --- loading a clone ------------------------------------------------------------------------------------
struct MdExpandCase {
  int orderId;
  std::vector<int> lines;
};

class MdExpand : public MdFixture, public testing::WithParamInterface<MdExpandCase> {};

TEST_P(MdExpand, ACloneShowsExactlyItsOrdersLines) {
  const MdExpandCase& c = GetParam();
  lines->Last();  // the load must find the run itself, and come back
  MdController* clone = expand(c.orderId);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->GetDetailMode(), data::dcdmClone);
  EXPECT_EQ(clone->MasterDetailKeyValues(), Variant(c.orderId));
  EXPECT_EQ(lineIds(clone), c.lines);
  for (int r = 0; r < clone->GetRecordCount(); ++r) EXPECT_EQ(clone->GetValue(r, 1), Variant(c.orderId));
  EXPECT_EQ(currentLine(), 42) << "the detail dataset is back where it was";
}

INSTANTIATE_TEST_SUITE_P(Orders, MdExpand,
                         testing::Values(MdExpandCase{1, {11, 12, 13}}, MdExpandCase{2, {21}}, MdExpandCase{3, {}},
                                         MdExpandCase{4, {41, 42}}));

TEST_F(MdFixture, UnsortedDetailDatasetYieldsOnlyTheFirstContiguousRun) {
  TearDown();
  build(false);
  // Raw order: 11(1) 41(4) 21(2) 12(1) 42(4) 13(1).
  MdController* first = expand(1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(lineIds(first), (std::vector<int>{11}));
  MdController* fourth = expand(4);
  ASSERT_NE(fourth, nullptr);
  EXPECT_EQ(lineIds(fourth), (std::vector<int>{41}));
}

TEST_F(MdFixture, EachExpandedMasterKeepsItsOwnLinesAndFocusingAMasterRowMovesTheMasterOnly) {
  MdController* one = expand(1);
  MdController* four = expand(4);
  ASSERT_TRUE(one && four);
  EXPECT_NE(one, four);
  master->ChangeFocusedRowIndex(master->GetRowIndexByRecordIndex(recordOfOrder(4), false));
  EXPECT_EQ(currentOrder(), 4);
  EXPECT_EQ(lineIds(one), (std::vector<int>{11, 12, 13}));
  EXPECT_EQ(lineIds(four), (std::vector<int>{41, 42}));
}

// --- the clone that owns the detail dataset ---------------------------------------------------------------
TEST_F(MdFixture, FocusingACloneRowMovesTheDetailDatasetAndTakesItFromTheOtherClones) {
  MdController* one = expand(1);
  MdController* four = expand(4);
  ASSERT_TRUE(one && four);
  ASSERT_TRUE(one->ChangeFocusedRowIndex(2));
  EXPECT_EQ(currentLine(), 13);
  EXPECT_TRUE(one->Provider()->GetIsDataSetCurrent());

  ASSERT_TRUE(four->ChangeFocusedRowIndex(1));
  EXPECT_EQ(currentLine(), 42);
  EXPECT_TRUE(four->Provider()->GetIsDataSetCurrent());
  EXPECT_FALSE(one->Provider()->GetIsDataSetCurrent());
  EXPECT_EQ(one->GetFocusedRecordIndex(), -1) << "the clone that lost the dataset lost its focus";
  EXPECT_EQ(four->GetFocusedRowIndex(), 1);
}

TEST_F(MdFixture, OnlyADetailInSyncModeWithKeyNavigationFollowsTheDataset) {
  MdController* one = expand(1);
  ASSERT_NE(one, nullptr);
  struct Case {
    const char* what;
    bool syncDetail;
    bool sqlMode;
    bool keys;
    bool sync;
  };
  const Case cases[] = {
      {"default", true, false, true, true},
      {"detail sync off", false, false, true, false},
      {"no key fields", true, false, false, false},
      {"SQL mode, not the current clone", true, true, true, false},
  };
  for (const Case& c : cases) {
    one->DataModeController()->SetDetailInSyncMode(c.syncDetail);
    one->DataModeController()->SetDetailInSQLMode(c.sqlMode);
    one->SetKeyFieldNames(c.keys ? u"LINE_ID" : u"");
    one->Provider()->SetIsDataSetCurrent(false);
    EXPECT_EQ(one->Provider()->IsSyncMode(), c.sync) << c.what;
    EXPECT_TRUE(master->Provider()->IsSyncMode()) << "a master is not restricted: " << c.what;
  }
  EXPECT_FALSE(pattern->Provider()->IsSyncInsert()) << "a pattern never inserts";
}

// --- the hooks of a focus move ------------------------------------------------------------------------------
// Each move asks the masters once, before the detail dataset moves, and a
// move that focused another record takes the detail dataset once.
struct MdFocusHookCase {
  const char* what;
  bool refuse;
  int toRow;
  bool accepted;
  int focusedRow;
  int line;  // where the detail dataset stands afterwards
  int masterChecks;
  int currentChecks;
};

class MdFocusHooks : public MdFixture, public testing::WithParamInterface<MdFocusHookCase> {};

TEST_P(MdFocusHooks, AMoveAsksTheMastersFirstAndTakesTheDatasetOnce) {
  const MdFocusHookCase& c = GetParam();
  MdController* one = expand(1);
  ASSERT_NE(one, nullptr);
  ASSERT_TRUE(one->ChangeFocusedRowIndex(0));
  ASSERT_EQ(currentLine(), 11);
  one->masterBrowseChecks = 0;
  one->dataSetCurrentChecks = 0;
  one->refuseMasterBrowse = c.refuse;
  EXPECT_EQ(one->ChangeFocusedRowIndex(c.toRow), c.accepted);
  EXPECT_EQ(one->GetFocusedRowIndex(), c.focusedRow);
  EXPECT_EQ(currentLine(), c.line) << "a refused move leaves the detail dataset alone";
  EXPECT_EQ(one->masterBrowseChecks, c.masterChecks);
  EXPECT_EQ(one->dataSetCurrentChecks, c.currentChecks);
  EXPECT_TRUE(one->Provider()->GetIsDataSetCurrent());
}

INSTANTIATE_TEST_SUITE_P(Moves, MdFocusHooks,
                         testing::Values(MdFocusHookCase{"accepted", false, 2, true, 2, 13, 1, 1},
                                         MdFocusHookCase{"refused", true, 2, false, 0, 11, 1, 0},
                                         MdFocusHookCase{"sameRow", false, 0, true, 0, 11, 0, 0}),
                         [](const testing::TestParamInfo<MdFocusHookCase>& info) { return std::string(info.param.what); });

// A master whose details follow its focus gives the details of the record
// it moves to a focused row, and only while it does so a detail dataset
// that already shows that master's lines leaves the master's expansion alone.
struct MdFocusDetailsCase {
  const char* what;
  bool follow;
  bool expandFour;
  int cloneRow;  // the clone's focused row before the master moves, -1 none
  int expectedRow;
};

class MdFocusDetails : public MdFixture, public testing::WithParamInterface<MdFocusDetailsCase> {};

TEST_P(MdFocusDetails, TheMastersMoveFocusesItsDetailsWithoutExpandingThem) {
  const MdFocusDetailsCase& c = GetParam();
  master->syncDetailsFocus = c.follow;
  MdController* one = expand(1);
  ASSERT_NE(one, nullptr);
  if (c.expandFour) {
    MdController* four = expand(4);
    ASSERT_NE(four, nullptr);
    ASSERT_TRUE(four->ChangeFocusedRowIndex(1));  // takes the dataset and one's focus
  }
  if (c.cloneRow >= 0) ASSERT_TRUE(one->ChangeFocusedRowIndex(c.cloneRow));
  master->ChangeFocusedRowIndex(master->GetRowIndexByRecordIndex(recordOfOrder(4), false));
  ASSERT_EQ(currentOrder(), 4);
  const int first = recordOfOrder(1);
  ASSERT_TRUE(master->ChangeDetailExpanding(first, false));
  ASSERT_TRUE(master->IsDetailDataControllerExist(first, 0)) << "a collapsed detail keeps its clone";
  const int lineBefore = currentLine();

  ASSERT_TRUE(master->ChangeFocusedRowIndex(master->GetRowIndexByRecordIndex(first, false)));
  EXPECT_FALSE(master->InFocusDetails());
  EXPECT_EQ(currentOrder(), 1);
  EXPECT_EQ(one->GetFocusedRowIndex(), c.expectedRow);
  EXPECT_EQ(currentLine(), c.expectedRow >= 0 ? lineIds(one)[static_cast<size_t>(c.expectedRow)] : lineBefore);
  EXPECT_FALSE(master->GetDetailExpanding(first)) << "focusing the details does not expand them";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MdFocusDetails,
    testing::Values(MdFocusDetailsCase{"unfocusedCloneGetsRow0", true, true, -1, 0},
                    MdFocusDetailsCase{"focusedCloneKeepsItsRow", true, false, 2, 2},
                    MdFocusDetailsCase{"detailsNotFollowing", false, true, -1, -1}),
    [](const testing::TestParamInfo<MdFocusDetailsCase>& info) { return std::string(info.param.what); });

// --- editing through the chain -----------------------------------------------------------------------------
TEST_F(MdFixture, AnAppendedDetailLineGetsItsMastersKey) {
  MdController* two = expand(2);
  ASSERT_NE(two, nullptr);
  two->Append();
  ASSERT_EQ(lines->State(), db::dsInsert);
  EXPECT_EQ(lines->FieldByName(u"ORDER_ID")->AsInteger(), 2) << "the key is written as the record starts";
  two->SetEditValue(0, Variant(22), data::evsValue);
  two->SetEditValue(2, Variant(3), data::evsValue);
  two->Post();
  ASSERT_EQ(lines->State(), db::dsBrowse);
  ASSERT_TRUE(lines->Locate(u"LINE_ID", Variant(22)));
  EXPECT_EQ(lines->FieldByName(u"ORDER_ID")->AsInteger(), 2);
  EXPECT_EQ(lines->RecordCount(), 7);
  EXPECT_EQ(lineIds(two), (std::vector<int>{21, 22}));
}

TEST_F(MdFixture, ADetailLineHoldingOnlyItsMastersKeyIsNotPosted) {
  MdController* two = expand(2);
  ASSERT_NE(two, nullptr);
  two->Append();
  ASSERT_EQ(lines->State(), db::dsInsert);
  two->CheckBrowseMode();
  EXPECT_EQ(lines->State(), db::dsBrowse);
  EXPECT_EQ(lines->RecordCount(), 6);
  EXPECT_EQ(lineIds(two), (std::vector<int>{21}));
}

TEST_F(MdFixture, OnlyTheCurrentCloneTakesANewDatasetRecordAsItsOwn) {
  MdController* one = expand(1);
  MdController* two = expand(2);
  ASSERT_TRUE(one && two);
  ASSERT_TRUE(two->ChangeFocusedRowIndex(0));
  two->Append();
  ASSERT_EQ(lines->State(), db::dsInsert);
  EXPECT_NE(two->Provider()->EditingRecordIndex(), data::cxNullEditingRecordIndex);
  EXPECT_EQ(one->Provider()->EditingRecordIndex(), data::cxNullEditingRecordIndex)
      << "another clone of the dataset does not start a new row";
  EXPECT_EQ(pattern->Provider()->EditingRecordIndex(), data::cxNullEditingRecordIndex);
  two->Cancel();
}

TEST_F(MdFixture, DeletingADetailLineRemovesItFromItsCloneOnly) {
  MdController* one = expand(1);
  MdController* four = expand(4);
  ASSERT_TRUE(one && four);
  ASSERT_TRUE(one->ChangeFocusedRowIndex(1));
  ASSERT_EQ(currentLine(), 12);
  one->DeleteFocusedRecord();
  EXPECT_EQ(lines->RecordCount(), 5);
  EXPECT_FALSE(lines->Locate(u"LINE_ID", Variant(12)));
  EXPECT_EQ(lineIds(one), (std::vector<int>{11, 13}));
  EXPECT_EQ(lineIds(four), (std::vector<int>{41, 42}));
}

// Moving inside a detail posts the masters' edits first. The master then
// reloads its records, which frees their clones (the view makes them anew):
// the move is refused instead of going on in a controller that is gone.
TEST_F(MdFixture, MovingInADetailPostsTheMastersEditAndStopsWhenThatFreedTheDetail) {
  MdController* one = expand(1);
  ASSERT_NE(one, nullptr);
  ASSERT_TRUE(one->ChangeFocusedRowIndex(0));
  EXPECT_TRUE(one->CheckMasterBrowseMode()) << "nothing to post";
  EXPECT_TRUE(master->CheckMasterBrowseMode()) << "no master above";
  ASSERT_EQ(currentOrder(), 1);
  orders->Edit();
  orders->FieldByName(u"CUSTOMER")->SetAsString(u"edited");
  EXPECT_FALSE(one->ChangeFocusedRowIndex(2));
  EXPECT_EQ(orders->State(), db::dsBrowse);
  EXPECT_EQ(orders->FieldByName(u"CUSTOMER")->AsString(), u"edited");
  EXPECT_FALSE(master->IsDetailDataControllerExist(recordOfOrder(1), 0));
  MdController* again = expand(1);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(lineIds(again), (std::vector<int>{11, 12, 13}));
  EXPECT_TRUE(again->ChangeFocusedRowIndex(2));
  EXPECT_EQ(currentLine(), 13);
}

// --- has-children -------------------------------------------------------------------------------------------
TEST_F(MdFixture, HasChildrenAsksTheDetailDatasetAndLeavesItInPlace) {
  lines->Last();
  const bool expected[] = {true, true, false, true};
  for (int order = 1; order <= 4; ++order)
    EXPECT_EQ(master->GetDetailHasChildren(recordOfOrder(order), 0), expected[order - 1]) << order;
  EXPECT_EQ(currentLine(), 42);
}

TEST_F(MdFixture, AChangedOrReopenedDetailDatasetResetsTheMastersHasChildrenCache) {
  // The master stays where it is: the answers come from the dataset, not from a clone.
  pattern->DataModeController()->SetDetailInSyncMode(false);
  const int third = recordOfOrder(3);
  ASSERT_FALSE(master->GetDetailHasChildren(third, 0));
  lines->AppendRecord({Variant(31), Variant(3), Variant(1)});
  EXPECT_TRUE(master->GetDetailHasChildren(third, 0)) << "the cached answer was dropped";
  // Reopened, the memory table is empty: the activation drops the cache too.
  lines->Close();
  lines->Open();
  EXPECT_FALSE(master->GetDetailHasChildren(third, 0)) << "the reopened detail dataset has no lines";
  EXPECT_FALSE(master->IsDetailDataControllerExist(third, 0));
}

TEST_F(MdFixture, HasChildrenWithoutAskingTheDataset) {
  struct Case {
    const char* what;
    bool handler;
    bool gridMode;
    bool sqlMode;
  };
  const Case cases[] = {{"handler", true, false, false}, {"grid mode", false, true, false}, {"SQL mode", false, false, true}};
  for (const Case& c : cases) {
    std::vector<Variant> asked;
    master->OnDetailHasChildren =
        c.handler ? TcxDBDataController::TcxDBDataDetailHasChildrenEvent::fromClosure(
                        &asked, [&asked](TcxDBDataController*, int, int, const String& names, const Variant& keys,
                                         bool& has) {
                          EXPECT_EQ(names, u"ORDER_ID");
                          asked.push_back(keys);
                          has = keys.AsInteger() % 2 == 1;
                        })
                  : TcxDBDataController::TcxDBDataDetailHasChildrenEvent();
    pattern->DataModeController()->SetGridMode(c.gridMode);
    pattern->DataModeController()->SetDetailInSQLMode(c.sqlMode);
    // An existing clone would answer by its own records.
    master->ClearDetails();
    master->ResetHasChildrenFlag();
    for (int order = 1; order <= 4; ++order) {
      const bool has = master->GetDetailHasChildren(recordOfOrder(order), 0);
      EXPECT_EQ(has, c.handler ? order % 2 == 1 : true) << c.what << " " << order;
    }
    if (c.handler) {
      EXPECT_EQ(asked, (std::vector<Variant>{Variant(1), Variant(2), Variant(3), Variant(4)}));
    }
  }
  master->OnDetailHasChildren = {};
}

// --- following the detail dataset ---------------------------------------------------------------------------
TEST_F(MdFixture, ACloneReportingItsPositionRefreshesThePatternsFocusOnly) {
  MdController* one = expand(1);
  ASSERT_NE(one, nullptr);
  const int before = pattern->updateFocusedCalls;
  one->SyncMasterPos();
  const int after = pattern->updateFocusedCalls;
  EXPECT_GT(after, before);
  master->SyncMasterPos();
  pattern->SyncMasterPos();
  EXPECT_EQ(pattern->updateFocusedCalls, after) << "only a clone reports to its pattern";
}

TEST_F(MdFixture, CodeMovingTheDetailDatasetBringsTheMasterAndItsExpandedDetails) {
  ASSERT_EQ(currentOrder(), 1);
  ASSERT_TRUE(lines->Locate(u"LINE_ID", Variant(42)));
  EXPECT_EQ(currentOrder(), 4) << "the master followed the line's order";
  const int fourth = recordOfOrder(4);
  EXPECT_EQ(master->GetFocusedRecordIndex(), fourth);
  EXPECT_TRUE(master->GetDetailExpanding(fourth));
  auto* clone = static_cast<MdController*>(master->FindDetailDataController(fourth, 0));
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(lineIds(clone), (std::vector<int>{41, 42}));
  EXPECT_EQ(currentLine(), 42) << "loading the clone did not move the line";
}

// --- SQL mode: the detail query runs again for the clone that moves ---------------------------------------
// The lines come from an SQLite query whose parameter is the detail key, so
// the query holds one order's lines at a time. NOTE has no declared type: its
// field takes the type of the values the query returns, integers for order 1
// and text for order 2, so running the query for the other order makes the
// dataset's fields anew.
class MdSqlFixture : public MdFixture {
 protected:
  void SetUp() override {
    MdFixture::SetUp();
    connection = std::make_unique<dac::TConnection>(nullptr);
    connection->SetDriverName(u"SQLite");
    connection->Params().Add(u"DATABASE=TESTE");
    connection->Params().Add(u"USER_NAME=tester");
    connection->Params().Add(u"DEFAULT COMPANY=17");
    connection->Params().Add(u"Directory=" + rtl::Utf8ToString(folder.path().string()));
    connection->Open();
    connection->ExecSQL(u"CREATE TABLE lines (line_id INTEGER PRIMARY KEY, order_id INTEGER, amount INTEGER, note)");
    connection->ExecSQL(
        u"INSERT INTO lines VALUES (11, 1, 5, 1), (12, 1, 6, 2), (13, 1, 4, 3), (21, 2, 9, 'x'), (22, 2, 3, 'y')");
    query = std::make_unique<dac::TQuery>(nullptr);
    query->SetConnection(connection.get());
    query->SQL().SetText(u"select line_id, order_id, amount, note from lines where order_id = :ORDER_ID order by line_id");
    query->ParamByName(u"ORDER_ID")->SetValue(Variant(1));
    query->SetAfterOpen(db::TDataSetNotifyEvent::fromClosure(this, [this](db::TDataSet*) { ++opens; }));
    query->Open();
    sqlSource = std::make_unique<db::TDataSource>(nullptr);
    sqlSource->SetDataSet(query.get());
    pattern->addItem(u"NOTE");
    pattern->DataModeController()->SetDetailInSQLMode(true);
    pattern->SetDataSource(sqlSource.get());
    opens = 0;
  }
  void TearDown() override {
    MdFixture::TearDown();
    sqlSource.reset();
    query.reset();
    connection.reset();
  }
  int queryOrder() { return query->ParamByName(u"ORDER_ID")->Value().AsInteger(); }
  int queryLine() { return query->FieldByName(u"LINE_ID")->AsInteger(); }

  testing_support::TempDir folder;
  std::unique_ptr<dac::TConnection> connection;
  std::unique_ptr<dac::TQuery> query;
  std::unique_ptr<db::TDataSource> sqlSource;
  int opens = 0;
};

TEST_F(MdSqlFixture, FocusingAnotherCloneRunsTheQueryForItsOrderAndFocusesTheRowAsked) {
  MdController* one = expand(1);
  MdController* two = expand(2);
  ASSERT_TRUE(one && two);
  EXPECT_EQ(lineIds(one), (std::vector<int>{11, 12, 13}));
  EXPECT_EQ(lineIds(two), (std::vector<int>{21, 22}));
  ASSERT_EQ(queryOrder(), 2) << "the query holds the lines of the clone loaded last";
  EXPECT_TRUE(two->Provider()->GetIsDataSetCurrent());
  EXPECT_FALSE(one->Provider()->GetIsDataSetCurrent());

  struct Step {
    MdController* clone;
    int row;
    int order;   // the query's parameter afterwards
    int line;    // the query's current line afterwards
    int opened;  // the query ran again
  };
  const Step steps[] = {
      {one, 1, 1, 12, 1},  // the other order: the query runs again for it
      {one, 2, 1, 13, 0},  // the same order: the query stays
      {two, 1, 2, 22, 1},
      {two, 0, 2, 21, 0},
      {one, 0, 1, 11, 1},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "order " << s.order << " row " << s.row);
    MdController* other = s.clone == one ? two : one;
    opens = 0;
    ASSERT_TRUE(s.clone->ChangeFocusedRowIndex(s.row));
    EXPECT_EQ(queryOrder(), s.order);
    EXPECT_EQ(queryLine(), s.line);
    EXPECT_EQ(opens, s.opened);
    EXPECT_EQ(s.clone->GetFocusedRowIndex(), s.row);
    EXPECT_TRUE(s.clone->Provider()->GetIsDataSetCurrent());
    EXPECT_FALSE(other->Provider()->GetIsDataSetCurrent());
    EXPECT_EQ(other->GetFocusedRowIndex(), -1) << "the clone that lost the query lost its focus";
    // Each clone keeps its own lines, whatever the query holds now.
    EXPECT_EQ(lineIds(one), (std::vector<int>{11, 12, 13}));
    EXPECT_EQ(lineIds(two), (std::vector<int>{21, 22}));
    // The fields made anew are the ones every controller of the query reads.
    db::TField* note = query->FieldByName(u"NOTE");
    for (MdController* c : {pattern.get(), one, two}) EXPECT_EQ(c->GetItemField(3), note);
  }
}

}  // namespace
