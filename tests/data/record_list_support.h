#pragma once
// Random records and a plain reference for the record-list tests: the
// reference sorts record indexes with std::stable_sort over the values the
// controller answers, compared as the controller's rules say (nulls first,
// strings by the chosen collation, ties in record order).
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/ustring.h"
#include "tests/data/data_controller_support.h"

namespace data_test {

// Items 0: Integer, 1: String, 2: Float, 3: Variant (integers and floats:
// a variant holding a number and one holding a word have no order, see the
// contradictory-comparison test).
enum RecordListItem { kInt = 0, kText = 1, kFloat = 2, kMixed = 3 };

inline void fillRandomRecords(TestController& c, int count, unsigned seed) {
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxStringValueType::Instance());
  c.addItem(data::TcxFloatValueType::Instance());
  c.addItem(data::TcxVariantValueType::Instance());
  std::mt19937 random(seed);
  static const char16_t* const kWords[] = {u"b", u"B", u"a", u"ab", u"Ab", u"abc", u"ABx", u"xab", u"z", u"Zeta"};
  c.BeginUpdate();
  c.SetRecordCount(count);
  for (int r = 0; r < count; ++r) {
    const unsigned v = random();
    c.SetValue(r, kInt, v % 7 == 0 ? rtl::Null() : Variant(static_cast<int>(v % 13) - 6));
    c.SetValue(r, kText, v % 11 == 0 ? rtl::Null() : Variant(String(kWords[(v / 7) % 10])));
    c.SetValue(r, kFloat, v % 5 == 0 ? rtl::Null() : Variant(static_cast<double>((v / 3) % 9) / 4.0));
    c.SetValue(r, kMixed, (v / 5) % 2 == 0 ? Variant(static_cast<int>((v / 11) % 4)) : Variant(((v / 11) % 8) / 2.0));
  }
  c.EndUpdate();
}

struct SortKey {
  int item;
  data::TdxSortOrder order;
};

// Texts of the String item compare by the collation; every other value
// (nulls, numbers, the Variant item's mixed values) as variants.
inline int referenceCompareValues(const Variant& a, const Variant& b, bool textItem, bool caseInsensitive) {
  if (textItem && rtl::VarIsStr(a) && rtl::VarIsStr(b)) {
    const String sa = rtl::VarToStr(a), sb = rtl::VarToStr(b);
    return caseInsensitive ? rtl::AnsiCompareText(sa, sb) : rtl::CompareStr(sa, sb);
  }
  return data::VarCompare(a, b);
}

inline std::vector<int> referenceOrder(const TestController& c, const std::vector<SortKey>& keys,
                                       bool caseInsensitive, const std::vector<int>& records) {
  std::vector<int> order = records;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    for (const SortKey& key : keys) {
      int result = referenceCompareValues(c.GetValue(a, key.item), c.GetValue(b, key.item), key.item == kText,
                                              caseInsensitive);
      if (key.order == data::soDescending) result = -result;
      if (result != 0) return result < 0;
    }
    return false;
  });
  return order;
}

inline std::vector<int> allRecords(int count) {
  std::vector<int> records(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) records[static_cast<size_t>(i)] = i;
  return records;
}

inline std::vector<int> recordList(const data::TcxCustomDataControllerInfo& info) {
  std::vector<int> list;
  for (int i = 0; i < info.GetFilteredRecordCount(); ++i) list.push_back(info.GetFilteredRecordIndex(i));
  return list;
}

}  // namespace data_test
