// Feeds untrusted bytes to the tagged variant reader and to the record
// reader of the data storage. Read errors are expected; crashes, leaks and
// reads past the end are not. Whatever is read is written again, and that
// form must read back and write to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lib/data/cxDataStorage.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"

namespace fuzzing {

using rtl::Byte;
using rtl::TBytes;
using rtl::TBytesStream;

TBytes written(const rtl::Variant& v) {
  TBytesStream out;
  data::WriteVariantProc(&out, v);
  return TBytes(out.Bytes().begin(), out.Bytes().begin() + out.Size());
}

void checkVariants(const uint8_t* bytes, size_t size) {
  TBytesStream in(TBytes(bytes, bytes + size));
  while (in.Remaining() > 0) {
    rtl::Variant v;
    try {
      data::ReadVariantProc(&in, v);
    } catch (const rtl::EReadError&) {
      return;
    }
    const TBytes first = written(v);
    TBytesStream again{TBytes(first)};
    const rtl::Variant back = data::ReadVariantFunc(&again);  // must not raise
    if (again.Remaining() != 0 || written(back) != first) std::abort();
  }
}

void checkRecords(const uint8_t* bytes, size_t size) {
  data::TcxDataStorage storage;
  const data::TcxValueTypeClassList* types = data::cxValueTypeClassList();
  for (int i = 0; i < types->Count(); ++i) storage.ValueDefs()->Add(types->Items(i), true, i % 3 == 0, nullptr);
  storage.SetUseRecordID(size % 2 == 0);
  storage.SetRecordCount(2);
  TBytesStream in(TBytes(bytes, bytes + size));
  try {
    storage.ReadData(0, &in);
  } catch (const rtl::Exception&) {
    return;  // read and conversion errors of the values
  }
  TBytesStream out;
  storage.WriteData(0, &out);
  out.SetPosition(0);
  storage.ReadData(1, &out);  // must not raise
  TBytesStream first, second;
  storage.WriteData(0, &first);
  storage.WriteData(1, &second);
  if (first.Size() != second.Size()) std::abort();
}

}  // namespace fuzzing

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::checkVariants(data, size);
  fuzzing::checkRecords(data, size);
  return 0;
}
