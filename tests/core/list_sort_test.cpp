// The library's list sort: order for valid comparators, its two phases, and
// safety for comparators that are not a strict weak order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include "lib/core/dxCoreClasses.h"

namespace core {
namespace {

// Items are pointers into `keys`; the comparator orders them by key.
struct Keyed {
  std::vector<int> keys;
  std::vector<void*> items;
  explicit Keyed(std::vector<int> k) : keys(std::move(k)) {
    for (int& key : keys) items.push_back(&key);
  }
  static int compare(void* a, void* b) {
    const int x = *static_cast<int*>(a), y = *static_cast<int*>(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  std::vector<int> sortedKeys() const {
    std::vector<int> out;
    for (void* p : items) out.push_back(*static_cast<int*>(p));
    return out;
  }
};

std::vector<int> randomKeys(int n, int range, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> dist(0, range);
  std::vector<int> keys(static_cast<size_t>(n));
  for (int& k : keys) k = dist(gen);
  return keys;
}

class ListSortSizes : public ::testing::TestWithParam<int> {};

TEST_P(ListSortSizes, GivesAscendingOrderOfAllItems) {
  const int n = GetParam();
  for (int range : {n / 4 + 1, 1 << 30}) {  // with many ties and with few
    Keyed k(randomKeys(n, range, 42u + static_cast<unsigned>(n)));
    std::vector<int> expected = k.keys;
    std::sort(expected.begin(), expected.end());
    dxInternalQuickSortList(k.items.data(), n, &Keyed::compare);
    EXPECT_EQ(k.sortedKeys(), expected) << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Core, ListSortSizes,
                         ::testing::Values(0, 1, 2, 3, 34, 35, 36, 37, 71, 72, 500, 4099, 100000));

TEST(ListSort, SortedAndReversedInputs) {
  for (int n : {36, 200, 5000}) {
    std::vector<int> up(static_cast<size_t>(n)), down(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      up[static_cast<size_t>(i)] = i;
      down[static_cast<size_t>(i)] = n - i;
    }
    Keyed a(up), b(down);
    dxInternalQuickSortList(a.items.data(), n, &Keyed::compare);
    dxInternalQuickSortList(b.items.data(), n, &Keyed::compare);
    std::vector<int> as = a.sortedKeys(), bs = b.sortedKeys();
    EXPECT_TRUE(std::is_sorted(as.begin(), as.end()));
    EXPECT_TRUE(std::is_sorted(bs.begin(), bs.end()));
  }
}

// The partition step starts by comparing the last item with the first; the
// insertion pass alone starts by looking for the smallest of the first 35.
TEST(ListSort, ThirtyFiveItemsUseTheInsertionPassAlone) {
  struct Case {
    int count;
    int firstLeft, firstRight;  // keys of the first comparison
  };
  const Case cases[] = {{35, 1, 0}, {36, 35, 0}};
  for (const Case& c : cases) {
    std::vector<int> keys(static_cast<size_t>(c.count));
    for (int i = 0; i < c.count; ++i) keys[static_cast<size_t>(i)] = i;
    Keyed k(keys);
    std::vector<std::pair<int, int>> calls;
    int token = 0;
    auto recording = TdxListSortCompareMethod::fromClosure(&token, [&](void* a, void* b) {
      calls.emplace_back(*static_cast<int*>(a), *static_cast<int*>(b));
      return Keyed::compare(a, b);
    });
    dxInternalQuickSortList(k.items.data(), c.count, recording);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), std::make_pair(c.firstLeft, c.firstRight)) << c.count;
  }
}

TEST(ListSort, MethodAndListForms) {
  Keyed k(randomKeys(300, 50, 7));
  rtl::TList list;
  for (void* p : k.items) list.Add(p);
  dxQuickSortList(&list, TdxListSortCompareMethod::fromFunction(&Keyed::compare));
  for (int i = 1; i < list.Count(); ++i)
    EXPECT_LE(*static_cast<int*>(list[i - 1]), *static_cast<int*>(list[i]));
  dxQuickSortList(static_cast<void**>(nullptr), 5, &Keyed::compare);  // nothing to do
  TdxFastList fast;
  for (void* p : k.items) fast.Add(p);
  fast.Sort(&Keyed::compare);
  for (int i = 1; i < fast.Count(); ++i)
    EXPECT_LE(*static_cast<int*>(fast[i - 1]), *static_cast<int*>(fast[i]));
}

// A comparator that breaks the ordering rules must still see only items of
// the list. The list lies inside a larger block whose other slots hold
// strangers; the comparator counts any stranger it is given.
struct BrokenComparator {
  const char* name;
  int (*pick)(int a, int b, std::mt19937& gen);
};

class ListSortBrokenComparator : public ::testing::TestWithParam<BrokenComparator> {};

TEST_P(ListSortBrokenComparator, StaysInsideTheList) {
  const BrokenComparator& broken = GetParam();
  for (int n : {36, 37, 100, 1000}) {
    std::vector<int> keys = randomKeys(n, 10, 3);
    int stranger = -1;
    constexpr int kPad = 64;
    std::vector<void*> block(static_cast<size_t>(n + 2 * kPad), &stranger);
    for (int i = 0; i < n; ++i) block[static_cast<size_t>(kPad + i)] = &keys[static_cast<size_t>(i)];
    std::mt19937 gen(11);
    int token = 0;
    auto compare = TdxListSortCompareMethod::fromClosure(&token, [&](void* a, void* b) {
      // A runaway scan ends here instead of walking on through memory.
      if (a == &stranger || b == &stranger) throw std::out_of_range("compared a stranger");
      return broken.pick(*static_cast<int*>(a), *static_cast<int*>(b), gen);
    });
    EXPECT_NO_THROW(dxInternalQuickSortList(block.data() + kPad, n, compare))
        << broken.name << " n=" << n;
    // Every item is still there exactly once.
    std::vector<void*> got(block.begin() + kPad, block.begin() + kPad + n);
    std::vector<void*> want;
    for (int& key : keys) want.push_back(&key);
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want) << broken.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Core, ListSortBrokenComparator,
    ::testing::Values(
        BrokenComparator{"always less", [](int, int, std::mt19937&) { return -1; }},
        BrokenComparator{"always greater", [](int, int, std::mt19937&) { return 1; }},
        BrokenComparator{"less or equal",
                         [](int a, int b, std::mt19937&) { return a <= b ? -1 : 1; }},
        BrokenComparator{"random", [](int, int, std::mt19937& g) {
                           return static_cast<int>(g() % 3) - 1;
                         }}),
    [](const ::testing::TestParamInfo<BrokenComparator>& info) {
      std::string name = info.param.name;
      std::replace(name.begin(), name.end(), ' ', '_');
      return name;
    });

}  // namespace
}  // namespace core
