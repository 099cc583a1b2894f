#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/lists.h"
#include "platform/rtl/ustring.h"

namespace {

using rtl::TList;
using rtl::TListNotification;

struct RecordingList : TList {
  std::vector<std::pair<void*, TListNotification>> calls;
  void Notify(void* ptr, TListNotification action) override { calls.emplace_back(ptr, action); }
};

int values[6] = {0, 1, 2, 3, 4, 5};
void* item(int i) { return &values[i]; }

std::string errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const rtl::EListError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(TList, BadIndexesRaiseListErrorWithTheIndex) {
  TList list;
  list.Add(item(1));
  list.Add(item(2));
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* message;
  } cases[] = {
      {"Get past the end", [&] { list.Get(2); }, "List index out of bounds (2)"},
      {"Get negative", [&] { list.Get(-1); }, "List index out of bounds (-1)"},
      {"Insert past count", [&] { list.Insert(3, nullptr); }, "List index out of bounds (3)"},
      {"Delete past the end", [&] { list.Delete(5); }, "List index out of bounds (5)"},
      {"Exchange", [&] { list.Exchange(0, 9); }, "List index out of bounds (9)"},
      {"Move", [&] { list.Move(0, 2); }, "List index out of bounds (2)"},
      {"Put", [&] { list.Put(2, nullptr); }, "List index out of bounds (2)"},
      {"Capacity below count", [&] { list.SetCapacity(1); }, "List capacity out of bounds (1)"},
      {"Negative count", [&] { list.SetCount(-1); }, "List count out of bounds (-1)"},
  };
  for (const Case& c : cases) EXPECT_EQ(errorOf(c.call), c.message) << c.what;
  EXPECT_EQ(list.Count(), 2);

  TList empty;
  EXPECT_EQ(errorOf([&] { empty.First(); }), "List index out of bounds (0)");
  EXPECT_EQ(errorOf([&] { empty.Last(); }), "List index out of bounds (-1)");
}

TEST(TList, NotifiesAdditionsDeletionsAndExtractionsButNotNil) {
  RecordingList list;
  list.Add(item(1));
  list.Add(nullptr);
  list.Insert(0, item(2));
  list.Put(0, item(3));  // 2 leaves, 3 arrives
  list.Extract(item(1));
  list.Remove(item(3));
  list.Add(item(4));
  list.Clear();  // the nil entry is not reported
  using enum TListNotification;
  std::vector<std::pair<void*, TListNotification>> expected = {
      {item(1), lnAdded},   {item(2), lnAdded},     {item(2), lnDeleted}, {item(3), lnAdded},
      {item(1), lnExtracted}, {item(3), lnDeleted}, {item(4), lnAdded},   {item(4), lnDeleted}};
  EXPECT_EQ(list.calls, expected);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(TList, ExtractOfAnAbsentItemReturnsNil) {
  RecordingList list;
  list.Add(item(1));
  EXPECT_EQ(list.Extract(item(2)), nullptr);
  EXPECT_EQ(list.Remove(item(2)), -1);
  EXPECT_EQ(list.calls.size(), 1u);
}

TEST(TList, MoveExchangePackAndSort) {
  TList list;
  for (int i : {3, 1, 4, 1, 5}) list.Add(item(i));
  list.Add(nullptr);
  list.Pack();
  ASSERT_EQ(list.Count(), 5);
  list.Move(0, 4);  // 1 4 1 5 3
  EXPECT_EQ(list[4], item(3));
  EXPECT_EQ(list[0], item(1));
  list.Exchange(0, 1);  // 4 1 1 5 3
  EXPECT_EQ(list.First(), item(4));
  list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  std::vector<int> sorted;
  for (int i = 0; i < list.Count(); ++i) sorted.push_back(*static_cast<int*>(list[i]));
  EXPECT_EQ(sorted, (std::vector<int>{1, 1, 3, 4, 5}));
  EXPECT_EQ(list.IndexOf(item(5)), 4);
  EXPECT_EQ(list.Last(), item(5));
}

TEST(TList, SortSurvivesAnInconsistentCompare) {
  TList list;
  for (int i = 0; i < 200; ++i) list.Add(item(i % 6));
  list.Sort([](void*, void*) { return -1; });
  EXPECT_EQ(list.Count(), 200);
}

TEST(TList, SetCountGrowsWithNilAndShrinksWithNotifications) {
  RecordingList list;
  list.Add(item(1));
  list.SetCount(3);
  EXPECT_EQ(list[2], nullptr);
  list.SetCount(0);
  ASSERT_EQ(list.calls.size(), 2u);
  EXPECT_EQ(list.calls[1].second, rtl::lnDeleted);
}

struct Counted : rtl::TObject {
  explicit Counted(int* deaths) : deaths_(deaths) {}
  ~Counted() override { ++*deaths_; }
  int* deaths_;
};

TEST(TObjectList, FreesOwnedObjectsExceptExtractedOnes) {
  int deaths = 0;
  auto* kept = new Counted(&deaths);
  {
    rtl::TObjectList list;
    list.Add(new Counted(&deaths));
    list.Add(new Counted(&deaths));
    list.Add(kept);
    list.Delete(0);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(list.Extract(kept), kept);
    EXPECT_EQ(deaths, 1);
    list.SetItems(0, new Counted(&deaths));  // replaces and frees the old one
    EXPECT_EQ(deaths, 2);
  }
  EXPECT_EQ(deaths, 3);
  delete kept;
}

TEST(TObjectList, WithoutOwnershipFreesNothing) {
  int deaths = 0;
  Counted a(&deaths), b(&deaths);
  {
    rtl::TObjectList list(false);
    list.Add(&a);
    list.Add(&b);
    list.Remove(&a);
    list.Clear();
  }
  EXPECT_EQ(deaths, 0);
}

TEST(TInterfaceList, HoldsRawPointersWithListErrors) {
  rtl::TInterfaceList list;
  list.Add(item(1));
  list.Add(item(2));
  EXPECT_EQ(*list.As<int>(1), 2);
  EXPECT_EQ(list.IndexOf(item(2)), 1);
  list.Remove(item(1));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_THROW(list.Items(1), rtl::EListError);
}

TEST(TBits, GrowsOnWriteReadsFalsePastTheEndAndFindsTheOpenBit) {
  rtl::TBits bits;
  EXPECT_FALSE(bits.Bits(100));
  EXPECT_EQ(bits.OpenBit(), 0);
  for (int i = 0; i < 70; ++i) bits.SetBits(i, true);
  EXPECT_EQ(bits.Size(), 70);
  EXPECT_EQ(bits.OpenBit(), 70);
  bits.SetBits(65, false);
  EXPECT_EQ(bits.OpenBit(), 65);
  // Shrinking forgets the bits beyond the size, even after growing again.
  bits.SetSize(10);
  bits.SetSize(80);
  EXPECT_FALSE(bits[20]);
  EXPECT_TRUE(bits[9]);
  EXPECT_THROW(bits.SetBits(-1, true), rtl::EBitsError);
  EXPECT_THROW(bits.Bits(-1), rtl::EBitsError);
}

}  // namespace
