// The light pointer list and its owning form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/dxCoreClasses.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace core {
namespace {

void* P(std::uintptr_t n) { return reinterpret_cast<void*>(n); }

std::vector<std::uintptr_t> itemsOf(const TdxFastList& l) {
  std::vector<std::uintptr_t> out;
  for (int i = 0; i < l.Count(); ++i) out.push_back(reinterpret_cast<std::uintptr_t>(l[i]));
  return out;
}

template <class F>
std::string listErrorOf(F&& f) {
  try {
    f();
  } catch (const rtl::EListError& e) {
    return rtl::StringToUtf8(e.Message());
  }
  return "no error";
}

TEST(FastList, GrowthSteps) {
  TdxFastList list;
  std::vector<int> capacities;
  for (int i = 0; i < 361; ++i) {
    list.Add(P(i));
    if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{16, 32, 64, 96, 128, 160, 240, 360, 540}));
  TdxFastList big(200);
  for (int i = 0; i < 201; ++i) big.Add(P(i));
  EXPECT_EQ(big.Capacity(), 300);
  TdxFastList inserted;
  for (int i = 0; i < 17; ++i) inserted.Insert(0, P(i));
  EXPECT_EQ(inserted.Capacity(), 32);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(inserted.First()), 16u);
}

TEST(FastList, IndexErrorsNameTheOffendingValue) {
  TdxFastList list;
  list.Add(P(1));
  list.Add(P(2));
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* message;
  };
  const Case cases[] = {
      {"Insert(Count+1)", [&] { list.Insert(3, P(9)); }, "List index out of bounds (3)"},
      {"Insert(-1)", [&] { list.Insert(-1, P(9)); }, "List index out of bounds (-1)"},
      {"Delete(Count)", [&] { list.Delete(2); }, "List index out of bounds (2)"},
      {"Items(-1)", [&] { list.Items(-1); }, "List index out of bounds (-1)"},
      {"SetItems(2)", [&] { list.SetItems(2, nullptr); }, "List index out of bounds (2)"},
      {"ExtractByIndex(5)", [&] { list.ExtractByIndex(5); }, "List index out of bounds (5)"},
      {"Move(0,3)", [&] { list.Move(0, 3); }, "List index out of bounds (3)"},
      {"Move(4,1)", [&] { list.Move(4, 1); }, "List index out of bounds (4)"},
      {"Capacity below count", [&] { list.SetCapacity(1); }, "List capacity out of bounds (1)"},
      {"negative count", [&] { list.SetCount(-2); }, "List count out of bounds (-2)"},
  };
  for (const Case& c : cases) EXPECT_EQ(listErrorOf(c.call), c.message) << c.what;
  EXPECT_EQ(itemsOf(list), (std::vector<std::uintptr_t>{1, 2}));  // nothing changed

  TdxFastList empty;
  EXPECT_EQ(listErrorOf([&] { empty.First(); }), "List index out of bounds (0)");
  EXPECT_EQ(listErrorOf([&] { empty.Last(); }), "List index out of bounds (-1)");
  EXPECT_EQ(listErrorOf([&] { empty.Move(5, 5); }), "no error");
}

TEST(FastList, InsertMoveExtractAndSearchDirections) {
  TdxFastList list;
  for (int i : {1, 2, 3, 2, 4}) list.Add(P(i));
  list.Insert(list.Count(), P(5));  // Insert(Count) appends
  EXPECT_EQ(itemsOf(list), (std::vector<std::uintptr_t>{1, 2, 3, 2, 4, 5}));
  EXPECT_EQ(list.IndexOf(P(2)), 1);
  EXPECT_EQ(list.IndexOf(P(2), TdxListDirection::ldFromEnd), 3);
  EXPECT_EQ(list.IndexOf(P(7)), -1);
  EXPECT_EQ(list.Extract(P(2), TdxListDirection::ldFromEnd), P(2));
  EXPECT_EQ(itemsOf(list), (std::vector<std::uintptr_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(list.Extract(P(9)), nullptr);
  list.Move(0, 4);
  EXPECT_EQ(itemsOf(list), (std::vector<std::uintptr_t>{2, 3, 4, 5, 1}));
  list.Move(3, 1);
  EXPECT_EQ(itemsOf(list), (std::vector<std::uintptr_t>{2, 5, 3, 4, 1}));
  EXPECT_EQ(list.Remove(P(3)), 2);
  EXPECT_EQ(list.Remove(P(3)), -1);
  EXPECT_EQ(list.ExtractByIndex(0), P(2));
  EXPECT_EQ(itemsOf(list), (std::vector<std::uintptr_t>{5, 4, 1}));
}

TEST(FastList, PackRemovesEveryEqualEntryKeepingOrder) {
  struct Case {
    std::vector<std::uintptr_t> items;
    std::uintptr_t value;
    std::vector<std::uintptr_t> expected;
  };
  const Case cases[] = {
      {{0, 1, 0, 2, 0}, 0, {1, 2}},
      {{0, 0, 0}, 0, {}},
      {{1, 2, 3}, 0, {1, 2, 3}},
      {{7, 1, 1, 7, 7, 2, 3, 7}, 7, {1, 1, 2, 3}},
      {{}, 0, {}},
  };
  for (const Case& c : cases) {
    TdxFastList list;
    for (auto v : c.items) list.Add(P(v));
    list.Pack(P(c.value));
    EXPECT_EQ(itemsOf(list), c.expected);
  }
}

TEST(FastList, CountAndCapacity) {
  TdxFastList list;
  list.SetCount(10);
  EXPECT_EQ(list.Capacity(), 10);
  EXPECT_EQ(itemsOf(list), std::vector<std::uintptr_t>(10, 0));
  list.SetItems(9, P(3));
  list.SetCount(2);
  list.SetCount(10);  // new slots are nil again
  EXPECT_EQ(list[9], nullptr);
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_EQ(list.List(), nullptr);
  EXPECT_TRUE(TdxFastList::Empty(nullptr));
  EXPECT_TRUE(list.Empty());
}

// Records which objects are freed, in order.
std::vector<int> gFreed;
class Tracked : public rtl::TObject {
 public:
  explicit Tracked(int id) : id_(id) {}
  ~Tracked() override { gFreed.push_back(id_); }

 private:
  int id_;
};

class FastObjectList : public ::testing::Test {
 protected:
  void SetUp() override {
    gFreed.clear();
    for (int i = 0; i < 5; ++i) objects[i] = new Tracked(i);
  }
  Tracked* objects[5];
};

TEST_F(FastObjectList, OwningListFreesWhatLeavesIt) {
  {
    TdxFastObjectList list(true);
    for (Tracked* o : objects) list.Add(o);
    list.SetCount(2);
    EXPECT_EQ(gFreed, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(list.Extract(objects[0]), objects[0]);  // never frees
    EXPECT_EQ(gFreed.size(), 3u);
    EXPECT_THROW(list.Delete(5), rtl::EListError);
    EXPECT_EQ(gFreed.size(), 3u);
    EXPECT_EQ(list.Remove(objects[1]), 0);
    EXPECT_EQ(gFreed, (std::vector<int>{2, 3, 4, 1}));
    list.Add(objects[0]);
  }
  EXPECT_EQ(gFreed, (std::vector<int>{2, 3, 4, 1, 0}));  // destruction clears
}

TEST_F(FastObjectList, ClearFreesFirstToLastAndNonOwningFreesNothing) {
  {
    TdxFastObjectList list(false);
    for (Tracked* o : objects) list.Add(o);
    list.Delete(0);
    list.SetCount(1);
    list.Clear();
  }
  EXPECT_TRUE(gFreed.empty());
  TdxFastObjectList owner(true);
  for (Tracked* o : objects) owner.Add(o);
  owner.Add(nullptr);
  owner.Clear();
  EXPECT_EQ(gFreed, (std::vector<int>{0, 1, 2, 3, 4}));
}

}  // namespace
}  // namespace core
