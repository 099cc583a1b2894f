// The binary form of filter criteria from arbitrary bytes: reading either
// fails with the read error or gives a tree that writes and reads back to
// the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lib/data/cxFilter.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"
#include "tests/data/filter_test_criteria.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace filter_test;
  static Column a(1, u"A"), b(2, u"B"), nameless(3, u"");
  TestCriteria criteria(cxDataFilterVersion);
  criteria.columns = {&a, &b, &nameless};
  rtl::TMemoryStream in;
  in.Write(data, static_cast<rtl::Int64>(size));
  in.SetPosition(0);
  try {
    criteria.ReadData(&in);
  } catch (const rtl::EReadError&) {
    return 0;
  }
  rtl::TMemoryStream once, twice;
  criteria.WriteData(&once);
  TestCriteria copy(cxDataFilterVersion);
  copy.columns = criteria.columns;
  once.SetPosition(0);
  copy.ReadData(&once);
  copy.WriteData(&twice);
  if (!TcxFilterCriteria::StreamsEqual(&once, &twice)) std::abort();
  return 0;
}
