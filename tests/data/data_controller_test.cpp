// The controller's structure, fields, value routing and the change
// notification a view receives.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/except.h"
#include "tests/data/data_controller_support.h"

namespace {

using namespace data;
using data_test::RecordingView;
using data_test::show;
using data_test::TestController;
using rtl::Variant;

constexpr int kRecords = 10;

// Ten records of an integer item 0 (value = record index * 10), a string
// item 1 and an item 2 without a value definition; row 0 focused, nothing
// pending.
struct Controller {
  TestController c{nullptr};
  Controller() {
    c.addItem(TcxIntegerValueType::Instance());
    c.addItem(TcxStringValueType::Instance());
    c.addItem(nullptr);
    c.SetRecordCount(kRecords);
    for (int r = 0; r < kRecords; ++r) c.SetValue(r, 0, Variant(r * 10));
    c.ChangeFocusedRowIndex(0);
  }
};

// --- which notifications a sequence of changes produces ------------------------------------------
struct NotificationCase {
  const char* name;
  std::function<void(TestController&)> setup;  // before the view listens
  std::function<void(TestController&, std::vector<std::string>& log)> act;
  std::vector<std::string> expected;
};

void PrintTo(const NotificationCase& c, std::ostream* os) { *os << c.name; }

void nothing(TestController&) {}
// Rows are selected one by one only with multi-select on.
void selectRowThree(TestController& c) {
  c.SetMultiSelect(true);
  c.ClearSelection();
  c.ChangeRowSelection(3, true);
}

const NotificationCase kNotificationCases[] = {
    {"ten focus changes in a bracket send one focus notification", nothing,
     [](TestController& c, auto&) {
       c.BeginUpdate();
       for (int i = 0; i < 10; ++i) c.Change({dccFocus});
       c.EndUpdate();
     },
     {"focusedRecord 0>0"}},
    {"nested brackets notify at the outermost end only", nothing,
     [](TestController& c, auto& log) {
       c.BeginUpdate();
       c.BeginUpdate();
       c.SetValue(1, 0, Variant(7));
       c.EndUpdate();
       log.push_back("inner end");
       c.EndUpdate();
     },
     {"inner end", "data field 0 1", "recordChanged 1 0", "dataChanged"}},
    {"data with layout sends only the data notification", nothing,
     [](TestController& c, auto&) { c.Change({dccData, dccLayout}); }, {"data total -1 -1", "dataChanged"}},
    {"layout alone sends a layout notification", nothing, [](TestController& c, auto&) { c.Change({dccLayout}); },
     {"layout"}},
    {"two items of one record merge into the record", nothing,
     [](TestController& c, auto&) {
       c.BeginUpdate();
       c.SetValue(2, 0, Variant(1));
       c.SetValue(2, 1, Variant(u"x"));
       c.EndUpdate();
     },
     {"data record -1 2", "recordChanged 2 -1", "dataChanged"}},
    {"two records merge into a total change", nothing,
     [](TestController& c, auto&) {
       c.BeginUpdate();
       c.SetValue(2, 0, Variant(1));
       c.SetValue(3, 0, Variant(1));
       c.EndUpdate();
     },
     {"data total 0 3", "dataChanged"}},
    {"a total change stays total when the last record is edited again", nothing,
     [](TestController& c, auto&) {
       c.BeginUpdate();
       c.SetValue(2, 0, Variant(1));
       c.SetValue(3, 0, Variant(1));
       c.SetValue(3, 0, Variant(2));
       c.EndUpdate();
     },
     {"data total 0 3", "dataChanged"}},
    {"an appended record then edited is not narrowed to that record", nothing,
     [](TestController& c, auto&) {
       c.BeginUpdate();
       const int r = c.AppendRecord();
       c.SetValue(r, 0, Variant(5));
       c.EndUpdate();
     },
     {"data total 0 10", "dataChanged", "focusedRecord 0>0"}},
    {"outside a bracket every value is its own notification", nothing,
     [](TestController& c, auto&) {
       c.SetValue(5, 0, Variant(1));
       c.SetValue(5, 1, Variant(u"y"));
     },
     {"data field 0 5", "recordChanged 5 0", "dataChanged", "data field 1 5", "recordChanged 5 1", "dataChanged"}},
    {"a value of a field without definition reports nothing", nothing,
     [](TestController& c, auto&) { c.SetValue(5, 2, Variant(1)); }, {}},
    {"shrinking the records reports a deletion, then the focus", nothing,
     [](TestController& c, auto&) { c.SetRecordCount(8); }, {"data deleted -1 -1", "dataChanged", "focusedRecord 0>0"}},
    {"moving the focus sends the row, then the record", nothing,
     [](TestController& c, auto&) { c.ChangeFocusedRowIndex(2); }, {"focusedRow 0>2", "focusedRecord 0>2"}},
    {"entering edit mode reports the record being updated", nothing, [](TestController& c, auto&) { c.Edit(); },
     {"updateRecord 0"}},
    {"selection from one row to another names both rows",
     selectRowThree,
     [](TestController& c, auto&) {
       c.BeginUpdate();
       c.ChangeRowSelection(3, false);
       c.ChangeRowSelection(7, true);
       c.EndUpdate();
     },
     {"selection [3,7]"}},
    {"selection from one row to three rows names none",
     selectRowThree,
     [](TestController& c, auto&) {
       c.BeginUpdate();
       c.ChangeRowSelection(7, true);
       c.ChangeRowSelection(8, true);
       c.EndUpdate();
     },
     {"selection []"}},
    {"the same single row reported again names it once",
     selectRowThree,
     [](TestController& c, auto&) { c.Change({dccSelection}); }, {"selection [3]"}},
    {"independent kinds go out in their fixed order", nothing,
     [](TestController& c, auto&) {
       c.Change({dccFindFilter, dccSorting, dccGrouping, dccBookmark, dccSearch, dccSelection, dccFocus, dccSummary});
     },
     {"layout", "focusedRecord 0>0", "selection []", "search", "bookmark", "groupingChanged", "sortingChanged",
      "findFilter"}},
};

class Notifications : public ::testing::TestWithParam<NotificationCase> {};

TEST_P(Notifications, ReachTheViewAsExpected) {
  const NotificationCase& tc = GetParam();
  Controller f;
  tc.setup(f.c);
  RecordingView view(f.c);
  tc.act(f.c, view.log);
  EXPECT_EQ(view.log, tc.expected);
  EXPECT_TRUE(f.c.PendingChanges().empty());
}

INSTANTIATE_TEST_SUITE_P(DataController, Notifications, ::testing::ValuesIn(kNotificationCases),
                         [](const auto& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

TEST(DataController, ViewHandlerThatRaisesStillLeavesNothingPending) {
  Controller f;
  f.c.FOnUpdateControl = TcxDataControllerUpdateControlEvent::fromClosure(
      &f, [](TcxUpdateControlInfo*) { throw rtl::Exception(u"view failed"); });
  EXPECT_THROW(f.c.SetValue(1, 0, Variant(3)), rtl::Exception);
  EXPECT_FALSE(f.c.InNotifyControl());
  EXPECT_EQ(f.c.DataChangeInfo().Kind, dcTotal) << "the data change info is reset even when the view raises";
  EXPECT_EQ(f.c.DataChangeInfo().RecordIndex, -1);
  f.c.FOnUpdateControl = nullptr;
}

TEST(DataController, ListenersWaitForTheOwnerToFinishLoading) {
  rtl::TComponent owner(nullptr);
  TestController c(&owner);
  c.addItem(TcxIntegerValueType::Instance());
  c.SetRecordCount(2);
  int heard = 0;
  rtl::TObject listener;
  const auto event = rtl::TNotifyEvent::fromClosure(&listener, [&](rtl::TObject*) { ++heard; });
  c.AddDataChangedListener(&listener, event);
  {
    rtl::TLoadingBracket loading(&owner);
    c.SetValue(0, 0, Variant(1));
    c.SetValue(1, 0, Variant(2));
    EXPECT_EQ(heard, 0);
    loading.End();
  }
  c.Loaded();
  EXPECT_EQ(heard, 1);
  c.RemoveDataChangedListener(&listener, event);
  c.SetValue(0, 0, Variant(3));
  EXPECT_EQ(heard, 1) << "a removed listener hears nothing";
}

TEST(DataController, NotificationObjectsCloneTheirClassAndFields) {
  TcxFocusedRecordChangedInfo focused(1, 2, 3, 4, true);
  auto copy = focused.Clone();
  auto* f = dynamic_cast<TcxFocusedRecordChangedInfo*>(copy.get());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->PrevFocusedRecordIndex(), 1);
  EXPECT_EQ(f->FocusedRecordIndex(), 2);
  EXPECT_EQ(f->PrevFocusedRowIndex(), 3);
  EXPECT_EQ(f->FocusedRowIndex(), 4);
  EXPECT_TRUE(f->NewItemRowFocusingChanged());

  auto selection = TcxSelectionChangedInfo::CreateEx(5, 9);
  auto selectionCopy = selection->Clone();
  auto* s = dynamic_cast<TcxSelectionChangedInfo*>(selectionCopy.get());
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->Count(), 2);
  EXPECT_EQ(s->RowIndexes(1), 9);

  EXPECT_FALSE(selection->CanNavigatorUpdate());
  EXPECT_FALSE(TcxGroupingChangingInfo().CanNavigatorUpdate());
  EXPECT_TRUE(TcxLayoutChangedInfo().CanNavigatorUpdate());
  EXPECT_TRUE(dynamic_cast<TcxGroupingChangingInfo*>(TcxGroupingChangingInfo().Clone().get()) != nullptr);
}

// --- structure, fields and values ---------------------------------------------------------------
TEST(DataController, NewControllerStartsWithItsDocumentedState) {
  TestController c(nullptr);
  EXPECT_EQ(c.Options().Bits(), 28u);
  EXPECT_TRUE(c.FocusedSelected());
  EXPECT_EQ(c.BookmarkRecordIndex(), -1);
  EXPECT_EQ(c.MasterRecordIndex(), -1);
  EXPECT_EQ(c.NearestRecordIndex(), -1);
  EXPECT_TRUE(c.Active());
  EXPECT_TRUE(c.IsUnboundMode());
  EXPECT_FALSE(c.IsProviderMode());
  EXPECT_EQ(c.GetEditingRecordIndex(), cxNullEditingRecordIndex);
  EXPECT_EQ(cxNullEditingRecordIndex, -2147483647);
}

TEST(DataController, ItemErrors) {
  Controller f;
  EXPECT_THROW(f.c.AddItem(f.c.items[0].get()), EcxInvalidDataControllerOperation);
  EXPECT_THROW(f.c.GetValue(0, f.c.GetItemCount()), EcxInvalidDataControllerOperation);
  EXPECT_THROW(f.c.GetValue(kRecords, 0), EcxInvalidDataControllerOperation);
  EXPECT_THROW(f.c.InsertRecord(kRecords + 1), EcxInvalidDataControllerOperation);
  try {
    f.c.AddItem(f.c.items[1].get());
    FAIL();
  } catch (const EcxInvalidDataControllerOperation& e) {
    EXPECT_EQ(e.Message(), rtl::String(u"Item already exists"));
  }
  f.c.InsertRecord(kRecords);  // the append position is accepted
  EXPECT_EQ(f.c.GetRecordCount(), kRecords + 1);
}

TEST(DataController, InternalFieldsStayBehindItemFields) {
  Controller f;
  TcxCustomDataField* internal = f.c.AddInternalField();
  const int item = f.c.addItem(TcxFloatValueType::Instance());
  EXPECT_EQ(item, 3);
  EXPECT_EQ(f.c.GetItemCount(), 4);
  EXPECT_EQ(f.c.Fields()->IndexOf(internal), 4);
  EXPECT_THROW(f.c.GetItemField(4), EcxInvalidDataControllerOperation);
}

TEST(DataController, ReferenceFieldSharesAndInheritsTheDefinition) {
  Controller f;
  TcxCustomDataField* source = f.c.GetItemField(0);
  const int a = f.c.addItem(nullptr);
  const int b = f.c.addItem(nullptr);
  f.c.GetItemField(a)->SetReferenceField(source);
  f.c.GetItemField(b)->SetReferenceField(f.c.GetItemField(a));  // a chain collapses to its end
  EXPECT_EQ(f.c.GetItemField(b)->ReferenceField(), source);
  f.c.SetValue(4, a, Variant(99));
  EXPECT_EQ(f.c.GetValue(4, 0).AsInteger(), 99);
  EXPECT_EQ(f.c.GetValue(4, b).AsInteger(), 99);

  f.c.RemoveItem(f.c.items[0].get());
  // Items shifted down by one; the first referring field owns the values now.
  EXPECT_EQ(f.c.GetValue(4, a - 1).AsInteger(), 99);
  EXPECT_EQ(f.c.GetValue(3, b - 1).AsInteger(), 30);
  EXPECT_EQ(f.c.GetItemField(b - 1)->ReferenceField(), f.c.GetItemField(a - 1));
}

TEST(DataController, AllowedSummaryKindsFollowTheValueType) {
  TestController c(nullptr);
  const struct {
    TcxValueTypeClass type;
    TcxSummaryKinds kinds;
  } cases[] = {
      {TcxIntegerValueType::Instance(), {skNone, skSum, skMin, skMax, skCount, skAverage}},
      {TcxCurrencyValueType::Instance(), {skNone, skSum, skMin, skMax, skCount, skAverage}},
      {TcxLargeIntValueType::Instance(), {skNone, skSum, skMin, skMax, skCount, skAverage}},
      {TcxFMTBcdValueType::Instance(), {skNone, skSum, skMin, skMax, skCount, skAverage}},
      {TcxDateTimeValueType::Instance(), {skNone, skMin, skMax, skCount}},
      {TcxStringValueType::Instance(), {skNone, skCount}},
      {TcxBooleanValueType::Instance(), {skNone, skCount}},
      {nullptr, {skNone, skCount}},
  };
  for (const auto& tc : cases)
    EXPECT_EQ(c.GetAllowedSummaryKinds(tc.type), tc.kinds) << (tc.type ? data_test::utf8(tc.type->Caption()) : "none");
}

TEST(DataController, SummaryDefaultFormats) {
  const struct {
    TcxSummaryValueType type;
    TcxSummaryKind kind;
    bool footer;
    const char16_t* expected;
  } cases[] = {
      {svtFloat, skSum, false, u"SUM=0.00;SUM=-0.00"}, {svtFloat, skSum, true, u"0.00;-0.00"},
      {svtFloat, skNone, true, u""},                   {svtDate, skSum, true, u""},
      {svtDate, skMax, false, u"MAX="},                {svtFloat, skCount, false, u"COUNT=0"},
  };
  for (const auto& tc : cases)
    EXPECT_EQ(cxDataGetDataSummaryValueDefaultFormat(tc.type, tc.kind, tc.footer), rtl::String(tc.expected));
}

TEST(DataController, AssignCopiesOptionsAndEventsButNotTheViewHandlers) {
  TestController source(nullptr), target(nullptr);
  int token = 0;
  source.SetOptions({dcoImmediatePost});
  source.FOnAfterPost = rtl::TNotifyEvent::fromClosure(&token, [](rtl::TObject*) {});
  source.FOnRecordChanged = TcxDataRecordChangedEvent::fromClosure(&token, [](TcxCustomDataController*, int, int) {});
  source.FOnBeforeImmediatePost = rtl::TNotifyEvent::fromClosure(&token, [](rtl::TObject*) {});
  source.FOnUpdateControl = TcxDataControllerUpdateControlEvent::fromClosure(&token, [](TcxUpdateControlInfo*) {});
  target.Assign(&source);
  EXPECT_EQ(target.Options(), (TcxDataControllerOptions{dcoImmediatePost}));
  EXPECT_TRUE(target.FOnAfterPost == source.FOnAfterPost);
  EXPECT_TRUE(target.FOnRecordChanged == source.FOnRecordChanged);
  EXPECT_FALSE(target.FOnBeforeImmediatePost.assigned());
  EXPECT_FALSE(target.FOnUpdateControl.assigned());
}

TEST(DataController, RecordIdIsNullWithoutIdentifiers) {
  Controller f;
  EXPECT_TRUE(rtl::VarIsNull(f.c.GetRecordId(3)));
  EXPECT_THROW(f.c.GetRecordId(kRecords), EcxInvalidDataControllerOperation);
}

TEST(DataController, ListenerLinksReadNullOnceTheControllerIsGone) {
  auto c = std::make_unique<TestController>(nullptr);
  TcxDataListenerLink* kept = c->AddListenerLink();
  TcxDataListenerLink* given = c->AddListenerLink();
  TcxCustomDataController::RemoveListenerLink(given);
  EXPECT_EQ(kept->Ref, c.get());
  c.reset();
  EXPECT_EQ(kept->Ref, nullptr);
  TcxCustomDataController::RemoveListenerLink(kept);  // the holder frees it
}

}  // namespace
