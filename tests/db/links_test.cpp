// Data sources and links: notifications, DisableControls, the record window
// each link sees, field links and master/detail.
#include <gtest/gtest.h>

#include "tests/db/db_test_util.h"

using namespace dbtest;

namespace {

struct Linked {
  std::unique_ptr<db::TCustomMemDataSet> ds;
  db::TDataSource source{nullptr};
  RecordingLink link;
  explicit Linked(int count, int bufferCount = 1) : ds(makeNumbered(count)) {
    source.SetDataSet(ds.get());
    link.SetVisualControl(true);
    link.SetBufferCount(bufferCount);
    link.SetDataSource(&source);
    link.clear();
  }
};

TEST(Links, ActiveAndEditingFollowTheDataset) {
  Linked l(3);
  l.ds->Close();
  EXPECT_FALSE(l.link.Active());
  l.ds->Open();  // a memory table opens empty again
  EXPECT_TRUE(l.link.Active());
  l.ds->AppendRecord({Variant(1)});
  l.link.clear();
  l.ds->Edit();
  EXPECT_TRUE(l.link.Editing());
  l.ds->Cancel();
  EXPECT_EQ(l.link.log, (std::vector<std::string>{"editing 1", "record", "check browse", "editing 0",
                                                  "changed"}));
  l.source.SetEnabled(false);
  EXPECT_FALSE(l.link.Active());
}

TEST(Links, FieldChangesArriveAsRecordChangedAndPostAsksForData) {
  Linked l(2);
  l.ds->Edit();
  l.link.clear();
  l.ds->FieldByName(u"NAME")->SetAsString(u"x");
  l.ds->Post();
  EXPECT_EQ(l.link.log, (std::vector<std::string>{"record NAME", "update data", "check browse",
                                                  "editing 0", "changed"}));
}

TEST(Links, DisableControlsDefersOneChangeToTheOutermostEnable) {
  Linked l(10);
  RecordingLink background;  // not visual: keeps hearing
  background.SetDataSource(&l.source);
  background.clear();
  l.ds->DisableControls();
  l.ds->DisableControls();
  EXPECT_TRUE(l.ds->ControlsDisabled());
  for (int i = 0; i < 5; ++i) l.ds->Next();
  l.ds->Edit();
  l.ds->FieldByName(u"ID")->SetAsInteger(60);
  l.ds->Post();
  l.ds->EnableControls();
  EXPECT_TRUE(l.link.log.empty());
  l.ds->EnableControls();
  EXPECT_FALSE(l.ds->ControlsDisabled());
  EXPECT_EQ(l.link.log, (std::vector<std::string>{"changed"}));
  EXPECT_EQ(background.scrolls, 5);
}

TEST(Links, LayoutChangeWhileDisabledComesBackAsLayoutChanged) {
  Linked l(3);
  l.ds->DisableControls();
  l.ds->FieldByName(u"NAME")->SetVisible(false);
  l.ds->Next();
  l.ds->EnableControls();
  EXPECT_EQ(l.link.log, (std::vector<std::string>{"layout"}));
  l.link.clear();
  l.ds->FieldByName(u"ID")->SetIndex(3);
  EXPECT_EQ(l.link.log, (std::vector<std::string>{"layout"}));
  EXPECT_EQ(l.ds->Fields()->Fields(3)->FieldName(), u"ID");
}

TEST(Links, ClosingWhileDisabledSendsDisabledStateChangeThenStateAtEnable) {
  Linked l(3);
  l.ds->DisableControls();
  l.ds->Close();
  EXPECT_EQ(l.link.log, (std::vector<std::string>{"disabled state 0"}));
  EXPECT_TRUE(l.link.Active());  // told at the end
  l.ds->EnableControls();
  EXPECT_EQ(l.link.log, (std::vector<std::string>{"disabled state 0", "active 0"}));
}

TEST(Links, WindowOfFiveOverTwentyRecords) {
  Linked l(20, 5);
  EXPECT_EQ(l.ds->BufferCount(), 5);
  EXPECT_EQ(l.link.RecordCount(), 5);
  EXPECT_EQ(l.link.ActiveRecord(), 0);
  struct Step {
    int move;
    int activeRecord;
    int distance;  // -99: no scroll event
  } steps[] = {{1, 1, 0}, {3, 4, 0}, {1, 4, 1}, {2, 4, 2}, {-4, 0, 0}, {-1, 0, -1},
               {-10, 0, -2}, {-1, 0, -99}, {17, 4, 13}, {50, 4, 2}};
  for (const Step& s : steps) {
    l.link.clear();
    l.ds->MoveBy(s.move);
    EXPECT_EQ(l.link.ActiveRecord(), s.activeRecord) << "move " << s.move;
    if (s.distance == -99) {
      EXPECT_TRUE(l.link.distances.empty());
    } else {
      ASSERT_EQ(l.link.distances.size(), 1u) << "move " << s.move;
      EXPECT_EQ(l.link.distances[0], s.distance) << "move " << s.move;
    }
    EXPECT_EQ(l.link.RecordCount(), 5);
  }
  EXPECT_EQ(l.ds->RecNo(), 20);
}

TEST(Links, SetActiveRecordReadsTheWindowWithoutEvents) {
  Linked l(20, 5);
  l.ds->MoveBy(7);  // window 3..7 (0-based), active 4
  l.link.clear();
  std::vector<int> ids;
  int saved = l.link.ActiveRecord();
  for (int i = 0; i < l.link.RecordCount(); ++i) {
    l.link.SetActiveRecord(i);
    ids.push_back(l.ds->FieldByName(u"ID")->AsInteger());
  }
  l.link.SetActiveRecord(saved);
  EXPECT_EQ(ids, (std::vector<int>{4, 5, 6, 7, 8}));
  EXPECT_EQ(l.ds->RecNo(), 8);
  EXPECT_TRUE(l.link.log.empty());
}

TEST(Links, LastFillsTheWindowAndGotoBookmarkCentres) {
  Linked l(20, 5);
  l.ds->SetRecNo(11);
  db::TBookmark eleven = l.ds->GetBookmark();
  l.ds->Last();
  EXPECT_EQ(l.link.ActiveRecord(), 4);
  EXPECT_EQ(l.link.RecordCount(), 5);
  l.ds->GotoBookmark(eleven);
  EXPECT_EQ(l.link.ActiveRecord(), 2);
  l.ds->First();
  EXPECT_EQ(l.link.ActiveRecord(), 0);
}

TEST(Links, WindowShrinksWithTheRecordsAndGrowsForInsert) {
  Linked l(3, 5);
  EXPECT_EQ(l.link.RecordCount(), 3);
  l.ds->Append();
  EXPECT_EQ(l.link.RecordCount(), 4);
  EXPECT_EQ(l.link.ActiveRecord(), 3);
  l.ds->Cancel();
  EXPECT_EQ(l.link.RecordCount(), 3);
}

TEST(Links, BufferCountIsTheLargestLinks) {
  Linked l(20, 3);
  RecordingLink big;
  big.SetBufferCount(8);
  big.SetDataSource(&l.source);
  EXPECT_EQ(l.ds->BufferCount(), 8);
  big.SetDataSource(nullptr);
  EXPECT_EQ(l.ds->BufferCount(), 3);
}

TEST(Links, SourceEventsAndDatasetGoingAway) {
  auto ds = makeNumbered(2);
  db::TDataSource source(nullptr);
  int dataChanges = 0, stateChanges = 0;
  source.SetOnDataChange(db::TDataChangeEvent::fromClosure(&dataChanges, [&](rtl::TObject*, db::TField*) { ++dataChanges; }));
  source.SetOnStateChange(rtl::TNotifyEvent::fromClosure(&stateChanges, [&](rtl::TObject*) { ++stateChanges; }));
  source.SetDataSet(ds.get());
  EXPECT_EQ(source.State(), db::dsBrowse);
  ds->Next();
  ds->Edit();
  EXPECT_EQ(source.State(), db::dsEdit);
  ds->Cancel();
  EXPECT_EQ(dataChanges, 3);  // scroll, record change on edit, change after cancel
  EXPECT_EQ(stateChanges, 3);
  RecordingLink link;
  link.SetDataSource(&source);
  ds.reset();
  EXPECT_EQ(source.DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
}

TEST(Links, FieldDataLinkFollowsItsField) {
  auto ds = makeNumbered(3);
  db::TDataSource source(nullptr);
  source.SetDataSet(ds.get());
  db::TFieldDataLink link;
  std::vector<std::string> log;
  link.SetOnDataChange(rtl::TNotifyEvent::fromClosure(&log, [&](rtl::TObject*) {
    log.push_back("data " + rtl::StringToUtf8(link.Field() ? link.Field()->AsString() : String()));
  }));
  link.SetOnEditingChange(rtl::TNotifyEvent::fromClosure(&log, [&](rtl::TObject*) {
    log.push_back(std::string("editing ") + (link.Editing() ? "1" : "0"));
  }));
  link.SetOnUpdateData(rtl::TNotifyEvent::fromClosure(&log, [&](rtl::TObject*) {
    log.push_back("update");
    link.Field()->SetAsString(u"typed");
  }));
  link.SetFieldName(u"name");
  link.SetDataSource(&source);
  EXPECT_EQ(link.Field(), ds->FieldByName(u"NAME"));
  ds->Next();
  ds->FieldByName(u"AMOUNT");  // other fields do not concern it
  EXPECT_TRUE(link.Edit());
  link.Modified();
  ds->Post();
  EXPECT_EQ(ds->FieldByName(u"NAME")->AsString(), u"typed");
  EXPECT_EQ(log, (std::vector<std::string>{"data name1", "data name2", "editing 1", "data name2", "update",
                                           "editing 0", "data typed"}));
  ds->FieldByName(u"NAME")->SetReadOnly(true);
  EXPECT_FALSE(link.CanModify());
  EXPECT_FALSE(link.Edit());
}

TEST(Links, MasterDetailShowsTheMastersChildrenAndFollowsItsScroll) {
  auto master = makeNumbered(3);
  db::TDataSource masterSource(nullptr);
  masterSource.SetDataSet(master.get());
  db::TCustomMemDataSet detail(nullptr);
  detail.FieldDefs()->Add(u"PARENT", db::ftInteger);
  detail.FieldDefs()->Add(u"LINE", db::ftInteger);
  detail.CreateDataSet();
  int lines[][2] = {{1, 1}, {2, 1}, {1, 2}, {3, 1}, {1, 3}};
  for (auto& ln : lines) detail.AppendRecord({Variant(ln[0]), Variant(ln[1])});
  detail.SetIndexFieldNames(u"PARENT");
  detail.SetMasterFields(u"ID");
  detail.SetMasterSource(&masterSource);
  EXPECT_EQ(detail.RecordCount(), 3);
  master->Next();
  EXPECT_EQ(detail.RecordCount(), 1);
  EXPECT_EQ(detail.FieldByName(u"LINE")->AsInteger(), 1);
  // A new detail record takes the master's key.
  detail.Append();
  EXPECT_EQ(detail.FieldByName(u"PARENT")->AsInteger(), 2);
  detail.FieldByName(u"LINE")->SetAsInteger(2);
  detail.Post();
  EXPECT_EQ(detail.RecordCount(), 2);
  master->Last();
  EXPECT_EQ(detail.RecordCount(), 1);
  // Controls disabled on the master do not stop the detail.
  master->DisableControls();
  master->First();
  EXPECT_EQ(detail.RecordCount(), 3);
  master->EnableControls();
  master->Close();
  EXPECT_EQ(detail.RecordCount(), 0);
  EXPECT_THROW(masterSource.SetDataSet(&detail), db::EDatabaseError);  // would be circular
}

}  // namespace
