// A data controller's records from arbitrary bytes: loading either fails
// with the format error or the read error and keeps the records it had, or
// succeeds, and then the records save and load back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataStorage.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"
#include "tests/data/data_controller_support.h"

namespace {
std::string save(data::TcxCustomDataController& c) {
  rtl::TMemoryStream s;
  c.SaveToStream(&s);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

void load(data::TcxCustomDataController& c, const std::string& bytes) {
  rtl::TMemoryStream s;
  s.Write(bytes.data(), static_cast<rtl::Int64>(bytes.size()));
  s.SetPosition(0);
  c.LoadFromStream(&s);
}

// String, integer, float and a variant column, with one record to keep.
void setUp(data_test::TestController& c) {
  c.addItem(data::TcxStringValueType::Instance());
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxFloatValueType::Instance());
  c.addItem(data::TcxVariantValueType::Instance());
  const int r = c.AppendRecord();
  c.SetValue(r, 0, rtl::Variant(u"keep"));
  c.SetValue(r, 1, rtl::Variant(1));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::TComponent owner(nullptr);
  data_test::TestController controller(&owner);
  setUp(controller);
  const std::string before = save(controller);
  try {
    load(controller, std::string(reinterpret_cast<const char*>(data), size));
  } catch (const data::EcxInvalidDataControllerOperation&) {
    if (save(controller) != before) std::abort();
    return 0;
  } catch (const rtl::EReadError&) {
    if (save(controller) != before) std::abort();
    return 0;
  }
  const std::string once = save(controller);
  data_test::TestController copy(&owner);
  setUp(copy);
  load(copy, once);
  if (save(copy) != once) std::abort();
  return 0;
}
