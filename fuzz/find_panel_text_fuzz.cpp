// The find panel's search text from arbitrary bytes (one character per
// byte): splitting ends, makes no empty condition, counts every condition
// under its operation, and the filter built from it evaluates.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxDataStorage.h"
#include "tests/data/data_controller_support.h"

namespace {
void checkConditions(const data::TcxDataFindFilterCriteriaConditions& c) {
  using Op = data::TcxDataFindFilterCriteriaConditionOperation;
  int counts[3] = {0, 0, 0};
  for (int i = 0; i < c.Count(); ++i) {
    if (c.Items(i).FText.empty()) std::abort();
    ++counts[static_cast<int>(c.Items(i).FOperation)];
  }
  for (Op op : {Op::ffcoOr, Op::ffcoAnd, Op::ffcoNot})
    if (counts[static_cast<int>(op)] != c.Counter(op)) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::String text;
  for (std::size_t i = 0; i < size; ++i) text += static_cast<char16_t>(data[i]);
  data::TcxDataFindFilterCriteriaConditions conditions;
  conditions.Refresh(text, true);
  checkConditions(conditions);

  rtl::TComponent owner(nullptr);
  data_test::TestController controller(&owner);
  controller.addItem(data::TcxStringValueType::Instance());
  const int r = controller.AppendRecord();
  controller.SetValue(r, 0, rtl::Variant(u"Joanne \"x\" 50% +a -b"));
  data::TcxDataFindFilterCriteria* find = controller.FindFilterCriteria();
  find->AddItem(0);
  for (bool extended : {false, true}) {
    find->SetUseExtendedSyntax(extended);
    find->SetText(text);
    (void)find->FilterRecord(r);
    rtl::String found;
    (void)find->GetTextStartPosition(r, 0, found);
  }
  return 0;
}
