// Filtering and sorting may read one storage from several pool threads at
// once: reads, prepared values and comparisons must not write shared state.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "lib/data/cxDataStorage.h"

namespace data {
namespace {

TEST(StorageThreads, ConcurrentReadersSeeTheSameValues) {
  constexpr int kRecords = 2000;
  TcxDataStorage storage;
  TcxValueDef* s = storage.ValueDefs()->Add(TcxStringValueType::Instance(), true, false, nullptr);
  TcxValueDef* v = storage.ValueDefs()->Add(TcxVariantValueType::Instance(), true, false, nullptr);
  TcxValueDef* d = storage.ValueDefs()->Add(TcxFloatValueType::Instance(), true, false, nullptr);
  storage.SetRecordCount(kRecords);
  for (int r = 0; r < kRecords; ++r) {
    storage.SetValue(r, s, Variant(u"name " + String(1, static_cast<char16_t>(u'a' + r % 26))));
    storage.SetValue(r, v, r % 3 == 0 ? rtl::Null() : Variant(r));
    storage.SetValue(r, d, Variant(r * 0.5));
  }
  const TcxDataStorage& shared = storage;
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int r = t; r < kRecords; ++r) {
        TcxPreparedValue p = nullptr;
        if (shared.GetCompareInfo(r, s, p) || TcxStringValueType::StringOf(p)->size() != 6) ++mismatches;
        const Variant value = shared.GetValue(r, v);
        if ((r % 3 == 0) != rtl::VarIsNull(value)) ++mismatches;
        if (r > 0 && shared.CompareRecords(r - 1, r, d) != -1) ++mismatches;
        if (VarCompare(shared.GetValue(r, d), Variant(r * 0.5)) != 0) ++mismatches;
        if (cxValueTypeClassList()->ItemByCaption(u"Float") != TcxFloatValueType::Instance()) ++mismatches;
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace data
