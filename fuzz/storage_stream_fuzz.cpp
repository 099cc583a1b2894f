// Bytes from outside as a stored layout stream: reading must never crash or
// allocate beyond the input, and a tree that reads writes back to bytes that
// read and write again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lib/core/cxStorage.h"
#include "platform/rtl/except.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<core::TcxStreamObjectData> tree;
  try {
    tree = core::cxReadStreamObjectData(data, size);
  } catch (const rtl::EReadError&) {
    return 0;
  }
  const rtl::TBytes written = core::cxWriteStreamObjectData(*tree);
  const auto again = core::cxReadStreamObjectData(written.data(), written.size());
  if (core::cxWriteStreamObjectData(*again) != written) std::abort();
  return 0;
}
