// Smart refresh of the dataset-bound controller in loaded mode: deleting a
// record (the focused one, or a selection by key) and posting a record typed
// in the new-item row keep every other loaded record instead of reading the
// dataset again. Each case runs on a memory table and on an SQLite query.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "lib/data/cxDBData.h"
#include "tests/data/db_controller_support.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

namespace {

using data::TcxDBDataController;
using rtl::String;
using rtl::Variant;

constexpr int kDbRefreshRows = 12;

using DbRefreshController = data_test::CountingDBController;

enum class DbRefreshSource { Memory, SQLite };

std::string dbRefreshSourceName(DbRefreshSource ASource) {
  return ASource == DbRefreshSource::Memory ? "memory" : "sqlite";
}

// ID 1..12 and NAME "n<ID>" in ID order, loaded with ID as the key and smart
// refresh on. Sorted by NAME the rows show IDs 1 10 11 12 2 3 4 5 6 7 8 9,
// so a row's neighbours are records before and after it alike.
class DbRefreshFixture : public testing::Test {
 protected:
  void open(DbRefreshSource ASource) {
    if (ASource == DbRefreshSource::Memory) {
      auto table = std::make_unique<db::TCustomMemDataSet>(nullptr);
      table->FieldDefs()->Add(u"ID", db::ftInteger);
      table->FieldDefs()->Add(u"NAME", db::ftString, 20);
      table->CreateDataSet();
      for (int i = 1; i <= kDbRefreshRows; ++i) table->AppendRecord({Variant(i), Variant(u"n" + rtl::IntToStr(i))});
      data = std::move(table);
    } else {
      connection = std::make_unique<dac::TConnection>(nullptr);
      connection->SetDriverName(u"SQLite");
      connection->Params().Add(u"DATABASE=TESTE");
      connection->Params().Add(u"USER_NAME=tester");
      connection->Params().Add(u"DEFAULT COMPANY=17");
      connection->Params().Add(u"Directory=" + rtl::Utf8ToString(folder.path().string()));
      connection->Open();
      connection->ExecSQL(u"CREATE TABLE itens (id INTEGER PRIMARY KEY, name VARCHAR(20))");
      connection->ExecSQL(u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
                          rtl::IntToStr(kDbRefreshRows) + u") INSERT INTO itens (id, name) SELECT x, 'n' || x FROM c");
      auto query = std::make_unique<dac::TQuery>(nullptr);
      query->SetConnection(connection.get());
      query->SQL().SetText(u"select id, name from itens order by id");
      query->SetUpdateTableName(u"itens");
      query->SetKeyFields(u"id");
      query->Open();
      data = std::move(query);
    }
    data->First();
    source = std::make_unique<db::TDataSource>(nullptr);
    source->SetDataSet(data.get());
    dc = std::make_unique<DbRefreshController>();
    id = dc->addItem(u"ID");
    name = dc->addItem(u"NAME");
    dc->SetKeyFieldNames(u"ID");
    dc->DataModeController()->SetSmartRefresh(true);
    dc->SetDataSource(source.get());
    ASSERT_TRUE(dc->IsSmartRefresh());
    ASSERT_EQ(dc->GetRecordCount(), kDbRefreshRows);
  }
  void TearDown() override {
    dc.reset();
    source.reset();
    data.reset();
    connection.reset();
  }

  void sortByName() {
    dc->ChangeSorting(name, data::soAscending);
    dc->loads = 0;
  }
  int idAtRow(int row) { return dc->GetValue(dc->GetRowInfo(row).RecordIndex, id).AsInteger(); }
  int rowOfId(int value) {
    for (int r = 0; r < dc->GetRowCount(); ++r)
      if (idAtRow(r) == value) return r;
    return -1;
  }
  int focusedId() {
    const int record = dc->GetFocusedRecordIndex();
    return record >= 0 ? dc->GetValue(record, id).AsInteger() : -1;
  }
  int currentId() { return data->FieldByName(u"ID")->AsInteger(); }
  std::vector<int> rowIds() {
    std::vector<int> ids;
    for (int r = 0; r < dc->GetRowCount(); ++r) ids.push_back(idAtRow(r));
    return ids;
  }
  std::set<int> datasetIds() {
    std::set<int> ids;
    for (data->First(); !data->Eof(); data->Next()) ids.insert(currentId());
    return ids;
  }
  // What the rows would show without the deleted IDs.
  static std::vector<int> without(std::vector<int> rows, const std::set<int>& gone) {
    rows.erase(std::remove_if(rows.begin(), rows.end(), [&gone](int v) { return gone.count(v) != 0; }), rows.end());
    return rows;
  }

  testing_support::TempDir folder;
  std::unique_ptr<dac::TConnection> connection;
  std::unique_ptr<db::TDataSet> data;
  std::unique_ptr<db::TDataSource> source;
  std::unique_ptr<DbRefreshController> dc;
  int id = -1, name = -1;
};

// --- deleting the focused record ---------------------------------------------------------------------
struct DbRefreshDeleteCase {
  const char* what;
  bool sorted;
  int deletedId;
  int focusedAfter;  // the next row's record, the previous row's for the last row
};

const DbRefreshDeleteCase kDbRefreshDeleteCases[] = {
    {"unsortedMiddleRow", false, 5, 6},
    {"unsortedLastRow", false, 12, 11},
    {"unsortedFirstRow", false, 1, 2},
    {"sortedFirstRow", true, 1, 10},
    {"sortedNextRowHoldsALaterRecord", true, 10, 11},
    {"sortedNextRowHoldsAnEarlierRecord", true, 12, 2},
    {"sortedLastRow", true, 9, 8},
};

class DbRefreshDelete
    : public DbRefreshFixture,
      public testing::WithParamInterface<std::tuple<DbRefreshSource, DbRefreshDeleteCase>> {};

TEST_P(DbRefreshDelete, DeletingTheFocusedRecordDropsItAloneAndFocusesItsNeighbour) {
  const DbRefreshDeleteCase& c = std::get<1>(GetParam());
  ASSERT_NO_FATAL_FAILURE(open(std::get<0>(GetParam())));
  if (c.sorted) sortByName();
  dc->loads = 0;
  const std::vector<int> before = rowIds();
  ASSERT_TRUE(dc->ChangeFocusedRowIndex(rowOfId(c.deletedId)));
  ASSERT_EQ(currentId(), c.deletedId);
  // The dataset goes from the deleted record to the one after it (the one
  // before, for its last record) and from there only to the new focus.
  std::set<int> visited;
  data->SetAfterScroll(db::TDataSetNotifyEvent::fromClosure(
      &visited, [this, &visited](db::TDataSet*) { visited.insert(currentId()); }));
  dc->DeleteFocused();
  data->SetAfterScroll({});
  const int following = c.deletedId < kDbRefreshRows ? c.deletedId + 1 : c.deletedId - 1;
  visited.erase(following);
  visited.erase(c.focusedAfter);
  EXPECT_TRUE(visited.empty()) << "visited " << *visited.begin();
  EXPECT_EQ(dc->loads, 0) << "no full reload";
  EXPECT_EQ(dc->GetRecordCount(), kDbRefreshRows - 1);
  EXPECT_EQ(dc->FindRecordIndexByKey(Variant(c.deletedId)), -1);
  EXPECT_EQ(rowIds(), without(before, {c.deletedId}));
  EXPECT_EQ(focusedId(), c.focusedAfter);
  EXPECT_EQ(currentId(), c.focusedAfter) << "the dataset stands on the focused record";
  EXPECT_EQ(dc->GetFocusedRowIndex(), rowOfId(c.focusedAfter));
  const std::set<int> left = datasetIds();
  EXPECT_EQ(left.count(c.deletedId), 0u);
  EXPECT_EQ(left.size(), static_cast<size_t>(kDbRefreshRows - 1));
}

// --- deleting a selection by key ----------------------------------------------------------------------
class DbRefreshOnSource : public DbRefreshFixture, public testing::WithParamInterface<DbRefreshSource> {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(open(GetParam())); }
};
using DbRefreshSelection = DbRefreshOnSource;

TEST_P(DbRefreshSelection, DeletedSelectionLeavesTheControllerRecordByRecord) {
  sortByName();
  dc->SetMultiSelect(true);
  const std::vector<int> before = rowIds();
  const std::set<int> gone = {3, 11, 12};
  ASSERT_TRUE(dc->ChangeFocusedRowIndex(rowOfId(5)));
  dc->ClearSelection();
  for (int value : gone) dc->ChangeRowSelection(rowOfId(value), true);
  ASSERT_EQ(dc->GetSelectedCount(), 3);
  dc->DeleteSelection();
  EXPECT_EQ(dc->loads, 0) << "no full reload";
  EXPECT_EQ(dc->GetSelectedCount(), 0);
  EXPECT_EQ(dc->GetRecordCount(), kDbRefreshRows - 3);
  EXPECT_EQ(rowIds(), without(before, gone));
  EXPECT_EQ(focusedId(), 5) << "the focused record was not selected and stays focused";
  EXPECT_EQ(currentId(), 5);
  const std::set<int> left = datasetIds();
  for (int value : gone) EXPECT_EQ(left.count(value), 0u) << value;
  EXPECT_EQ(left.size(), static_cast<size_t>(kDbRefreshRows - 3));
}

// --- a record typed in the new-item row ---------------------------------------------------------------
using DbRefreshNewItemRow = DbRefreshOnSource;

TEST_P(DbRefreshNewItemRow, PostedRecordJoinsTheLoadedRecordsWithoutAReload) {
  sortByName();
  dc->SetUseNewItemRowForEditing(true);
  dc->SetNewItemRowFocused(true);
  ASSERT_TRUE(dc->SetEditValue(id, Variant(50), data::evsValue));
  ASSERT_EQ(data->State(), db::dsInsert);
  ASSERT_TRUE(dc->SetEditValue(name, Variant(u"a50"), data::evsValue));
  dc->Post();
  ASSERT_EQ(data->State(), db::dsBrowse);
  EXPECT_EQ(dc->loads, 0) << "no full reload";
  EXPECT_EQ(dc->GetRecordCount(), kDbRefreshRows + 1);
  const int record = dc->FindRecordIndexByKey(Variant(50));
  ASSERT_NE(record, -1) << "the new record is a real record of the controller";
  EXPECT_EQ(dc->GetValue(record, name), Variant(u"a50"));
  EXPECT_EQ(dc->GetRowInfo(0).RecordIndex, record) << "sorted in among the others";
  EXPECT_EQ(dc->Provider()->EditingRecordIndex(), data::cxNullEditingRecordIndex);
  EXPECT_EQ(datasetIds().count(50), 1u);
  // Typed again: a second record, the first one kept.
  dc->SetNewItemRowFocused(true);
  ASSERT_TRUE(dc->SetEditValue(id, Variant(51), data::evsValue));
  ASSERT_TRUE(dc->SetEditValue(name, Variant(u"a51"), data::evsValue));
  dc->Post();
  EXPECT_EQ(dc->loads, 0);
  EXPECT_EQ(dc->GetRecordCount(), kDbRefreshRows + 2);
  EXPECT_EQ(dc->GetValue(dc->GetRowInfo(1).RecordIndex, id), Variant(51));
  EXPECT_EQ(dc->GetValue(dc->FindRecordIndexByKey(Variant(50)), name), Variant(u"a50"));
}

INSTANTIATE_TEST_SUITE_P(Cases, DbRefreshDelete,
                         testing::Combine(testing::Values(DbRefreshSource::Memory, DbRefreshSource::SQLite),
                                          testing::ValuesIn(kDbRefreshDeleteCases)),
                         [](const auto& info) {
                           return dbRefreshSourceName(std::get<0>(info.param)) + "_" +
                                  std::get<1>(info.param).what;
                         });

INSTANTIATE_TEST_SUITE_P(Sources, DbRefreshSelection,
                         testing::Values(DbRefreshSource::Memory, DbRefreshSource::SQLite),
                         [](const auto& info) { return dbRefreshSourceName(info.param); });

INSTANTIATE_TEST_SUITE_P(Sources, DbRefreshNewItemRow,
                         testing::Values(DbRefreshSource::Memory, DbRefreshSource::SQLite),
                         [](const auto& info) { return dbRefreshSourceName(info.param); });

}  // namespace
