// The dataset-bound controller in grid mode over a window much smaller than
// the dataset: its selection held as bookmarks (select all, ranges from an
// anchor, following the dataset's refreshes), walking and deleting the
// selected records, the incremental search through the dataset, and smart
// refresh in loaded mode. Each runs on a memory table and on an SQLite query.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "lib/data/cxDBData.h"
#include "tests/data/db_controller_support.h"
#include "lib/data/cxDBDataSelection.h"
#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

namespace {

using data::TcxDBDataController;
using rtl::String;
using rtl::Variant;

constexpr int kDbSelRows = 1200;
constexpr int kDbSelWindow = 20;

using DbSelController = data_test::CountingDBController;

// A memory table that gives a new record without an ID the next one on
// post, as a database's auto-increment column does.
class DbSelAutoIncTable : public db::TCustomMemDataSet {
 public:
  DbSelAutoIncTable() : TCustomMemDataSet(nullptr) {}
  int nextId = 1;

 protected:
  void WriteRecord(db::TUpdateStatus status, const db::TMemRecord&, std::vector<Variant>& values) override {
    if (status == db::usInserted && rtl::VarIsNull(values[0])) values[0] = Variant(nextId++);
  }
};

enum class DbSelSource { Memory, SQLite };

std::string dbSelSourceName(const testing::TestParamInfo<DbSelSource>& info) {
  return info.param == DbSelSource::Memory ? "memory" : "sqlite";
}

// ID 1..N, NAME "n<ID>", AMOUNT ID*1.5, in ID order, on the source chosen.
class DbSelFixture : public testing::TestWithParam<DbSelSource> {
 protected:
  void openData(int rows, bool autoInc = false) {
    if (GetParam() == DbSelSource::Memory) {
      auto table = autoInc ? std::make_unique<DbSelAutoIncTable>() : std::make_unique<db::TCustomMemDataSet>(nullptr);
      if (autoInc) static_cast<DbSelAutoIncTable*>(table.get())->nextId = rows + 1;
      table->FieldDefs()->Add(u"ID", autoInc ? db::ftAutoInc : db::ftInteger);
      table->FieldDefs()->Add(u"NAME", db::ftString, 20);
      table->FieldDefs()->Add(u"AMOUNT", db::ftFloat);
      table->CreateDataSet();
      for (int i = 1; i <= rows; ++i)
        table->AppendRecord({Variant(i), Variant(u"n" + rtl::IntToStr(i)), Variant(i * 1.5)});
      data = std::move(table);
    } else {
      connection = std::make_unique<dac::TConnection>(nullptr);
      connection->SetDriverName(u"SQLite");
      connection->Params().Add(u"DATABASE=TESTE");
      connection->Params().Add(u"USER_NAME=tester");
      connection->Params().Add(u"DEFAULT COMPANY=17");
      connection->Params().Add(u"Directory=" + rtl::Utf8ToString(folder.path().string()));
      connection->Open();
      connection->ExecSQL(String(u"CREATE TABLE itens (id INTEGER PRIMARY KEY") + (autoInc ? u" AUTOINCREMENT" : u"") +
                          u", name VARCHAR(20), amount REAL)");
      connection->ExecSQL(u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
                          rtl::IntToStr(rows) + u") INSERT INTO itens (id, name, amount) SELECT x, 'n' || x, x * 1.5 FROM c");
      auto query = std::make_unique<dac::TQuery>(nullptr);
      query->SetConnection(connection.get());
      query->SQL().SetText(u"select id, name, amount from itens order by id");
      query->SetUpdateTableName(u"itens");
      query->SetKeyFields(u"id");
      query->Open();
      data = std::move(query);
    }
    data->First();
    source = std::make_unique<db::TDataSource>(nullptr);
    source->SetDataSet(data.get());
  }
  void bind(bool gridMode, bool multiSelect = true) {
    openData(kDbSelRows);
    dc = std::make_unique<DbSelController>();
    id = dc->addItem(u"ID");
    name = dc->addItem(u"NAME");
    dc->DataModeController()->SetGridModeBufferCount(kDbSelWindow);
    dc->DataModeController()->SetGridMode(gridMode);
    dc->SetMultiSelect(multiSelect);
    dc->SetDataSource(source.get());
  }
  void TearDown() override {
    dc.reset();
    source.reset();
    data.reset();
    if (connection) connection->Close();
  }
  int currentId() const { return static_cast<int>(data->FieldByName(u"ID")->AsInteger()); }
  int focusedId() const {
    const int row = dc->GetFocusedRowIndex();
    return row < 0 ? -1 : static_cast<int>(dc->GetValue(dc->GetRowInfo(row).RecordIndex, id).AsInteger());
  }
  void goToId(int value) { ASSERT_TRUE(data->Locate(u"ID", Variant(value))); }
  // The window row showing the record of that ID (-1 when outside).
  int rowOfId(int value) const {
    for (int r = 0; r < dc->GetRowCount(); ++r)
      if (dc->GetValue(dc->GetRowInfo(r).RecordIndex, id).AsInteger() == value) return r;
    return -1;
  }
  // The IDs of the selected bookmarks, in bookmark order.
  std::vector<int> selectedIds() {
    std::vector<int> ids;
    const db::TBookmark keep = data->GetBookmark();
    const data::TcxBookmarkList& list = dc->DBSelection()->Bookmarks();
    for (int i = 0; i < list.Count(); ++i) {
      data->GotoBookmark(list.Items(i));
      ids.push_back(currentId());
    }
    data->GotoBookmark(keep);
    return ids;
  }
  std::set<int> dataIds() {
    std::set<int> ids;
    for (data->First(); !data->Eof(); data->Next()) ids.insert(currentId());
    return ids;
  }
  // Selects the records from `from` to `to` by an anchor on the first one.
  void selectRange(int from, int to, bool keep) {
    goToId(from);
    dc->SetSelectionAnchor(rowOfId(from));
    goToId(to);
    dc->SelectFromAnchor(rowOfId(to), keep);
  }

  testing_support::TempDir folder;
  std::unique_ptr<dac::TConnection> connection;
  std::unique_ptr<db::TCustomMemDataSet> data;
  std::unique_ptr<db::TDataSource> source;
  std::unique_ptr<DbSelController> dc;
  int id = -1, name = -1;
};

std::vector<int> dbSelIds(int from, int to) {
  std::vector<int> ids;
  for (int i = from; i <= to; ++i) ids.push_back(i);
  return ids;
}

// --- the selection by bookmarks ------------------------------------------------------------------
TEST_P(DbSelFixture, SelectAllKeepsEveryRecordWhileTheWindowHoldsTwenty) {
  bind(true);
  ASSERT_NE(dynamic_cast<data::TcxDBDataSelection*>(dc->DataControllerInfo()->Selection()), nullptr);
  goToId(700);
  const int activeRow = dc->Provider()->DataLink()->ActiveRecord();
  dc->SelectAll();
  EXPECT_EQ(dc->GetRecordCount(), kDbSelWindow);
  EXPECT_EQ(dc->GetSelectedCount(), kDbSelRows);
  EXPECT_EQ(selectedIds(), dbSelIds(1, kDbSelRows));
  // The walk put the dataset back on its record and buffer row.
  EXPECT_EQ(currentId(), 700);
  EXPECT_EQ(dc->Provider()->DataLink()->ActiveRecord(), activeRow);
  for (int r = 0; r < dc->GetRowCount(); ++r) EXPECT_TRUE(dc->IsRowSelected(r)) << r;
}

// A caller holding the base controller (a view) reaches the grid-mode
// selection too: select-all takes every dataset record, not the window's.
TEST_P(DbSelFixture, TheBaseControllersSelectionCallsReachTheBookmarks) {
  bind(true);
  goToId(700);
  data::TcxCustomDataController& base = *dc;
  base.SelectAll();
  EXPECT_EQ(base.GetSelectedCount(), kDbSelRows);
  EXPECT_EQ(selectedIds(), dbSelIds(1, kDbSelRows));
  base.ClearSelection();
  base.SetSelectionAnchor(rowOfId(702));
  base.SelectFromAnchor(rowOfId(705), false);
  EXPECT_EQ(selectedIds(), dbSelIds(702, 705));
  EXPECT_TRUE(base.IsSelectionAnchorExist());
}

// The record list is rebuilt at every refresh of the window; the selection
// stands for records far outside it and must come through unchanged.
TEST_P(DbSelFixture, SelectionSurvivesScrollingAndRefreshingTheWindow) {
  bind(true);
  selectRange(4, 8, false);
  ASSERT_EQ(selectedIds(), dbSelIds(4, 8));
  goToId(900);
  dc->Scroll(40);
  data->Refresh();
  EXPECT_EQ(dc->GetSelectedCount(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(dc->GetSelectedRowIndex(i), -1) << i;
  for (int r = 0; r < dc->GetRowCount(); ++r) EXPECT_FALSE(dc->IsRowSelected(r)) << r;
  data->First();
  EXPECT_EQ(selectedIds(), dbSelIds(4, 8));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(dc->GetSelectedRowIndex(i), rowOfId(4 + i)) << i;
  EXPECT_FALSE(dc->IsRowSelected(rowOfId(3)));
  EXPECT_TRUE(dc->IsRowSelected(rowOfId(8)));
  EXPECT_FALSE(dc->IsRowSelected(rowOfId(9)));

  dc->SelectAll();
  data->Refresh();
  EXPECT_EQ(dc->GetSelectedCount(), kDbSelRows);
}

struct DbSelRangeCase {
  const char* name;
  int keptFrom, keptTo;  // selected first (0: nothing)
  int anchor, to;
  bool keep;
  std::vector<int> expected;
};

const DbSelRangeCase kDbSelRanges[] = {
    {"down", 0, 0, 5, 9, false, dbSelIds(5, 9)},
    {"up", 0, 0, 9, 5, false, dbSelIds(5, 9)},
    {"oneRecord", 0, 0, 7, 7, false, {7}},
    {"replacesWithoutKeep", 2, 4, 10, 12, false, dbSelIds(10, 12)},
    {"mergesApart", 2, 4, 10, 12, true, {2, 3, 4, 10, 11, 12}},
    {"mergesOverlapping", 2, 6, 12, 4, true, dbSelIds(2, 12)},
    {"acrossWindows", 0, 0, 15, 260, false, dbSelIds(15, 260)},
};

TEST_P(DbSelFixture, RangesFromTheAnchorMergeWithoutRepeats) {
  bind(true);
  for (const DbSelRangeCase& c : kDbSelRanges) {
    SCOPED_TRACE(c.name);
    dc->ClearSelection();
    if (c.keptFrom != 0) selectRange(c.keptFrom, c.keptTo, false);
    selectRange(c.anchor, c.to, c.keep);
    EXPECT_EQ(selectedIds(), c.expected);
    EXPECT_EQ(dc->GetSelectedCount(), static_cast<int>(c.expected.size()));
  }
}

// Shift+Down and Shift+Up: one bookmark more, then that one less.
TEST_P(DbSelFixture, ShiftStepsAddAndRemoveOneBookmark) {
  bind(true);
  selectRange(5, 9, false);
  goToId(10);
  dc->SelectFromAnchor(rowOfId(10), false);
  EXPECT_EQ(selectedIds(), dbSelIds(5, 10));
  goToId(9);
  dc->SelectFromAnchor(rowOfId(9), false);
  EXPECT_EQ(selectedIds(), dbSelIds(5, 9));
  goToId(4);
  dc->SelectFromAnchor(rowOfId(4), false);
  EXPECT_EQ(selectedIds(), dbSelIds(4, 5));
}

TEST_P(DbSelFixture, RecordsGoneFromTheDatasetLeaveTheSelectionAndTheAnchorWithThem) {
  bind(true);
  selectRange(30, 34, false);
  ASSERT_TRUE(dc->IsSelectionAnchorExist());
  for (int gone : {32, 30}) {
    goToId(gone);
    data->Delete();
  }
  EXPECT_EQ(selectedIds(), (std::vector<int>{31, 33, 34}));
  EXPECT_FALSE(dc->IsSelectionAnchorExist());
}

TEST_P(DbSelFixture, ClosingTheDatasetDropsTheSelection) {
  bind(true);
  dc->SelectAll();
  data->Close();
  EXPECT_EQ(dc->GetSelectedCount(), 0);
  if (GetParam() == DbSelSource::SQLite) {
    data->Open();  // the same rows, as records of a new opening
    EXPECT_EQ(dc->GetSelectedCount(), 0);
    EXPECT_EQ(dc->GetRecordCount(), kDbSelWindow);
  }
}

TEST_P(DbSelFixture, SelectedBookmarksAndRowIds) {
  bind(true);
  selectRange(40, 42, false);
  ASSERT_EQ(dc->GetSelectedCount(), 3);
  data->GotoBookmark(dc->GetSelectedBookmark(1));
  EXPECT_EQ(currentId(), 41);
  data->GotoBookmark(dc->GetSelectionAnchorBookmark());
  EXPECT_EQ(currentId(), 40);
  EXPECT_EQ(dc->GetSelectionAnchorRowIndex(), -1);  // rows come and go; the anchor is a bookmark
  EXPECT_THROW(dc->GetSelectedBookmark(3), rtl::EListError);
  // A row's id is its bookmark, byte for byte.
  const int row = rowOfId(41);
  const Variant rowId = dc->GetRowId(row);
  const db::TBookmark bookmark = dc->DBSelection()->GetRowBookmark(dc->GetRowInfo(row).RecordIndex);
  ASSERT_TRUE(rtl::VarIsArray(rowId));
  ASSERT_EQ(rtl::VarArrayHighBound(rowId, 1) + 1, static_cast<int>(bookmark.size()));
  for (size_t i = 0; i < bookmark.size(); ++i)
    EXPECT_EQ(rtl::VarArrayGet(rowId, static_cast<int>(i)).AsInteger(), bookmark[i]) << i;
}

TEST_P(DbSelFixture, FocusedSelectedModeAnswersWithTheFocusedRecord) {
  bind(true, false);
  goToId(333);
  ASSERT_EQ(dc->GetSelectedCount(), 1);
  data->First();
  data->GotoBookmark(dc->GetSelectedBookmark(0));
  // GotoBookmark moved the focus away and back: the same record.
  EXPECT_EQ(currentId(), 1);
  goToId(333);
  const db::TBookmark focused = dc->GetSelectedBookmark(0);
  data->First();
  data->GotoBookmark(focused);
  EXPECT_EQ(currentId(), 333);
  dc->SelectAll();  // only a multi-select controller selects
  EXPECT_EQ(dc->DBSelection()->Bookmarks().Count(), 0);
}

TEST_P(DbSelFixture, BookmarkApiOutsideGridModeRaises) {
  bind(false);
  for (auto call : {+[](TcxDBDataController* c) { c->GetSelectedBookmark(0); },
                    +[](TcxDBDataController* c) { c->GetSelectionAnchorBookmark(); }}) {
    try {
      call(dc.get());
      ADD_FAILURE() << "no error";
    } catch (const data::EcxInvalidDataControllerOperation& e) {
      EXPECT_EQ(e.Message(), u"DataController not in GridMode");
    }
  }
  // Outside grid mode the selection is the rows'.
  dc->SelectAll();
  EXPECT_EQ(dc->GetSelectedCount(), kDbSelRows);
  EXPECT_EQ(dc->DBSelection()->Bookmarks().Count(), 0);
}

// --- walking, focusing and deleting the selected records -------------------------------------------
TEST_P(DbSelFixture, ForEachRowVisitsTheSelectedRecordsThroughTheDataset) {
  bind(true);
  selectRange(3, 5, false);
  selectRange(1100, 1101, true);
  std::vector<int> visited;
  dc->ForEachRow(true, [&](int row, const data::TcxRowInfo& info) {
    EXPECT_EQ(row, dc->GetFocusedRowIndex());
    EXPECT_EQ(info.RecordIndex, dc->GetRowInfo(row).RecordIndex);
    visited.push_back(focusedId());
    EXPECT_EQ(focusedId(), currentId());
  });
  EXPECT_EQ(visited, (std::vector<int>{3, 4, 5, 1100, 1101}));
  int all = 0;
  int last = 0;
  dc->ForEachRow(false, [&](int, const data::TcxRowInfo&) {
    ++all;
    EXPECT_EQ(focusedId(), last + 1);
    last = focusedId();
  });
  EXPECT_EQ(all, kDbSelRows);
}

TEST_P(DbSelFixture, FocusSelectedRowMovesTheDatasetToTheBookmark) {
  bind(true);
  selectRange(500, 502, false);
  selectRange(10, 10, true);
  data->Last();
  ASSERT_TRUE(dc->FocusSelectedRow(2));  // 10, 500, 501, 502 in dataset order
  EXPECT_EQ(currentId(), 501);
  EXPECT_EQ(focusedId(), 501);
  ASSERT_TRUE(dc->FocusSelectedRow(0));
  EXPECT_EQ(focusedId(), 10);
}

TEST_P(DbSelFixture, DeleteSelectionDeletesTheSelectedRecordsAndNoOther) {
  bind(true);
  selectRange(5, 9, false);
  selectRange(600, 602, true);
  selectRange(1199, 1200, true);
  goToId(300);
  dc->DeleteSelection();
  EXPECT_EQ(dc->GetSelectedCount(), 0);
  std::set<int> expected;
  for (int i = 1; i <= kDbSelRows; ++i)
    if (!((i >= 5 && i <= 9) || (i >= 600 && i <= 602) || i >= 1199)) expected.insert(i);
  EXPECT_EQ(dataIds(), expected);
  if (GetParam() == DbSelSource::SQLite) {
    // Written through to the database.
    auto check = std::make_unique<dac::TQuery>(nullptr);
    check->SetConnection(connection.get());
    check->SQL().SetText(u"select count(*) as n, sum(id) as s from itens");
    check->Open();
    long long sum = 0;
    for (int i : expected) sum += i;
    EXPECT_EQ(check->FieldByName(u"n")->AsInteger(), static_cast<int>(expected.size()));
    EXPECT_EQ(check->FieldByName(u"s")->AsLargeInt(), sum);
  }
}

// --- incremental search through the dataset ------------------------------------------------------------
TEST_P(DbSelFixture, IncrementalSearchWalksTheDatasetBeyondTheWindow) {
  bind(true);
  data::TcxDataControllerSearch* search = dc->Search();
  ASSERT_TRUE(search->Locate(name, u"N50"));  // case does not matter
  EXPECT_EQ(currentId(), 50);
  EXPECT_EQ(focusedId(), 50);
  EXPECT_TRUE(dc->IncrementalSearching());
  ASSERT_TRUE(search->LocateNext(true));
  EXPECT_EQ(focusedId(), 500);
  ASSERT_TRUE(search->LocateNext(true));
  EXPECT_EQ(focusedId(), 501);
  ASSERT_TRUE(search->LocateNext(false));
  EXPECT_EQ(focusedId(), 500);
  // The selection follows the record found.
  EXPECT_EQ(selectedIds(), (std::vector<int>{500}));
  // A current record that matches stays.
  ASSERT_TRUE(search->Locate(name, u"n5"));
  EXPECT_EQ(focusedId(), 500);
}

struct DbSelSearchCase {
  const char* name;
  int start;
  const char16_t* text;
  bool next, forward;
  int found;  // 0: not found, the dataset stays on `start`
};

const DbSelSearchCase kDbSelSearches[] = {
    {"wrapsToTheTop", 1150, u"n9", false, true, 9},
    {"currentRecordMatches", 1150, u"n115", false, true, 1150},
    {"noMatchAnywhere", 640, u"x", false, true, 0},
    {"nextStopsAtTheLastRecord", 1199, u"n119", true, true, 0},
    {"nextStopsAtTheFirstRecord", 2, u"n2", true, false, 0},
    {"nextBackward", 1000, u"n99", true, false, 999},
};

TEST_P(DbSelFixture, GridModeSearchWrapsOrStopsAndReturnsWhenNothingMatches) {
  bind(true);
  for (const DbSelSearchCase& c : kDbSelSearches) {
    SCOPED_TRACE(c.name);
    goToId(c.start);
    const int activeRow = dc->Provider()->DataLink()->ActiveRecord();
    data::TcxDataControllerSearch* search = dc->Search();
    bool found;
    if (c.next) {
      ASSERT_TRUE(search->Locate(name, u"n" + rtl::IntToStr(c.start)));
      // Searching goes on with the text of the case.
      found = dc->DoSearchInGridMode(c.text, c.forward, true);
    } else {
      found = search->Locate(name, c.text);
    }
    EXPECT_EQ(found, c.found != 0);
    EXPECT_EQ(currentId(), c.found != 0 ? c.found : c.start);
    if (c.found == 0) {
      EXPECT_EQ(dc->Provider()->DataLink()->ActiveRecord(), activeRow);
    }
    EXPECT_EQ(focusedId(), currentId());
    search->Cancel();
  }
}

// --- smart refresh ---------------------------------------------------------------------------------------
class DbSelSmartRefresh : public DbSelFixture {
 protected:
  void bindLoaded(bool autoInc = false) {
    openData(300, autoInc);
    dc = std::make_unique<DbSelController>();
    id = dc->addItem(u"ID");
    name = dc->addItem(u"NAME");
    dc->SetKeyFieldNames(u"ID");
    dc->DataModeController()->SetSmartRefresh(true);
    dc->SetDataSource(source.get());
    ASSERT_TRUE(dc->IsSmartRefresh());
    ASSERT_EQ(dc->GetRecordCount(), 300);
    dc->loads = 0;
  }
  int recordOf(int value) { return dc->FindRecordIndexByKey(Variant(value)); }
};

TEST_P(DbSelSmartRefresh, PostedEditIsReadAloneAndTakesItsPlaceInTheOrder) {
  bindLoaded();
  dc->ChangeSorting(name, data::soAscending);
  goToId(250);
  data->Edit();
  data->FieldByName(u"NAME")->SetAsString(u"a250");
  data->Post();
  EXPECT_EQ(dc->loads, 0);
  EXPECT_EQ(dc->GetRecordCount(), 300);
  EXPECT_EQ(dc->GetValue(recordOf(250), name), Variant(u"a250"));
  EXPECT_EQ(dc->GetValue(dc->GetRowInfo(0).RecordIndex, id).AsInteger(), 250);
  EXPECT_EQ(focusedId(), 250);
  // The same through the controller's own editing.
  dc->ChangeFocusedRowIndex(rowOfId(17));
  dc->Edit();
  dc->SetEditValue(name, Variant(u"zz"), data::evsValue);
  dc->Post();
  EXPECT_EQ(dc->loads, 0);
  EXPECT_EQ(dc->GetValue(dc->GetRowInfo(299).RecordIndex, name), Variant(u"zz"));
  EXPECT_EQ(data->Lookup(u"ID", Variant(17), u"NAME"), Variant(u"zz"));
}

TEST_P(DbSelSmartRefresh, CancelledEditReadsTheRecordBack) {
  bindLoaded();
  goToId(40);
  data->Edit();
  data->FieldByName(u"NAME")->SetAsString(u"typed");
  ASSERT_EQ(dc->GetValue(recordOf(40), name), Variant(u"typed"));  // the edit shows while it lasts
  data->Cancel();
  EXPECT_EQ(dc->loads, 0);
  EXPECT_EQ(dc->GetValue(recordOf(40), name), Variant(u"n40"));
  EXPECT_EQ(dc->GetRecordCount(), 300);
}

TEST_P(DbSelSmartRefresh, InsertedRecordIsReadAloneWithItsKey) {
  bindLoaded();
  data->Append();
  data->FieldByName(u"ID")->SetAsInteger(5000);
  data->FieldByName(u"NAME")->SetAsString(u"new");
  data->Post();
  EXPECT_EQ(dc->loads, 0);
  EXPECT_EQ(dc->GetRecordCount(), 301);
  ASSERT_NE(recordOf(5000), -1);
  EXPECT_EQ(dc->GetValue(recordOf(5000), name), Variant(u"new"));
  EXPECT_EQ(focusedId(), 5000);
}

// A database's auto-increment key arrives with the post: the record that
// had none is the one the dataset now stands on, not a record to drop.
class DbSelSmartRefreshAutoInc : public DbSelSmartRefresh {};

TEST_P(DbSelSmartRefreshAutoInc, InsertedRecordGetsItsGeneratedKeyWithoutAReload) {
  bindLoaded(true);
  data->Append();
  data->FieldByName(u"NAME")->SetAsString(u"new");
  data->Post();
  const int newId = currentId();
  EXPECT_EQ(newId, 301);
  EXPECT_EQ(dc->loads, 0);
  EXPECT_EQ(dc->GetRecordCount(), 301);
  ASSERT_NE(recordOf(newId), -1);
  EXPECT_EQ(dc->GetValue(recordOf(newId), name), Variant(u"new"));
  EXPECT_EQ(focusedId(), newId);
}

TEST_P(DbSelSmartRefresh, CancelledInsertLeavesNoRecordBehind) {
  bindLoaded();
  goToId(120);
  data->Append();
  data->FieldByName(u"NAME")->SetAsString(u"dropped");
  ASSERT_EQ(dc->GetRecordCount(), 301);
  data->Cancel();
  EXPECT_EQ(dc->loads, 0);
  EXPECT_EQ(dc->GetRecordCount(), 300);
  EXPECT_EQ(focusedId(), currentId());
}

INSTANTIATE_TEST_SUITE_P(Sources, DbSelFixture, testing::Values(DbSelSource::Memory, DbSelSource::SQLite),
                         dbSelSourceName);
INSTANTIATE_TEST_SUITE_P(Sources, DbSelSmartRefresh, testing::Values(DbSelSource::Memory, DbSelSource::SQLite),
                         dbSelSourceName);
// The memory table generates the key itself (the query reads no generated key back).
INSTANTIATE_TEST_SUITE_P(Sources, DbSelSmartRefreshAutoInc, testing::Values(DbSelSource::Memory), dbSelSourceName);

}  // namespace
